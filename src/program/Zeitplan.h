#pragma once
// The clock a run keeps its table by. The start of a run (or of a single line) is
// time zero; every wait of the run ends on a deadline counted from there: time zero
// plus the lengths of all the waits before it and its own. What happens between two
// waits (writing a command, processing events, starting a sound) therefore never
// lengthens the table, and a wait that ends late makes the next one shorter, so the
// table's time and the clock's time stay together for hours. Only small lateness is
// made up that way: a wait that begins more than `aufholbarMs` behind its schedule
// starts the schedule afresh from that moment, so a held process never makes the
// following lines fire back to back.
//
// Only the run's own waits follow the schedule. A wait asked for while another wait
// is suspended (a control request's pause beside the run, or a handler run inside a
// wait of the tests' virtual clock) is a plain wait of its own length and leaves the
// run's deadlines alone.
#include <QtGlobal>

namespace trabolin {

class Zeitplan {
public:
    // The most lateness a wait makes up by ending early.
    static constexpr qint64 aufholbarMs = 50;

    // For as long as it lives, the waits asked for at the depth where it was made
    // follow the schedule whose time zero is `jetztMs`.
    class Lauf {
    public:
        Lauf(Zeitplan &plan, qint64 jetztMs);
        ~Lauf();
        Lauf(const Lauf &) = delete;
        Lauf &operator=(const Lauf &) = delete;

    private:
        friend class Zeitplan;
        struct Stand {
            bool aktiv = false;
            qint64 soll = 0; // where the run should be now: its last deadline
        };
        Zeitplan &m_plan;
        Stand m_vorher; // restored at the end
    };

    // For as long as it lives, a wait is suspended: a wait asked for in that time
    // is not the run's next one.
    class Ereignisse {
    public:
        explicit Ereignisse(Zeitplan &plan) : m_plan(plan) { ++m_plan.m_tiefe; }
        ~Ereignisse() { --m_plan.m_tiefe; }
        Ereignisse(const Ereignisse &) = delete;
        Ereignisse &operator=(const Ereignisse &) = delete;

    private:
        Zeitplan &m_plan;
    };

    // How long a wait of `dauerMs` (at least 0) asked for at `jetztMs` really waits:
    // for a wait of the run, the rest up to its deadline, 0 when that has passed;
    // for any other wait, `dauerMs`. Never more than `dauerMs`.
    int wartezeit(int dauerMs, qint64 jetztMs);

    // The run's schedule goes on from `jetztMs`: after a wait whose end the layout
    // decided (a contact), the next line's time counts from that moment.
    void setzeFort(qint64 jetztMs)
    {
        if (m_lauf.aktiv)
            m_lauf.soll = jetztMs;
    }

private:
    Lauf::Stand m_lauf;
    int m_tiefe = 0; // how many waits are suspended now
};

} // namespace trabolin

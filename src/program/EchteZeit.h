#pragma once
// The real clock and wait of the program: the time of day from the system, and a
// wait that sleeps in a nested event loop until its deadline or until it is woken,
// so the window keeps working and no core is burnt while a line runs.
#include "program/Umgebung.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace trabolin {

class EchteZeit : public Zeitbasis {
public:
    // The clock of the waits and of a run's schedule: on Linux CLOCK_BOOTTIME, which
    // counts the time a suspended machine slept (a laptop lid closed during a line),
    // where the kernel has it for both the clock and the timer, else CLOCK_MONOTONIC;
    // elsewhere the standard steady clock. The timer of the waits runs on the same.
    struct Uhr {
        using rep = std::int64_t;
        using period = std::nano;
        using duration = std::chrono::nanoseconds;
        using time_point = std::chrono::time_point<Uhr>;
        static constexpr bool is_steady = true;
        static time_point now() noexcept;
        // True when it is CLOCK_BOOTTIME.
        static bool zaehltSchlaf();
    };

    EchteZeit();
    ~EchteZeit() override;
    EchteZeit(const EchteZeit &) = delete;
    EchteZeit &operator=(const EchteZeit &) = delete;

    QTime tageszeit() const override;
    // The monotonic clock of the waits in whole milliseconds, rounded down.
    qint64 monotonMs() const override;
    void verarbeiteEreignisse() override;

    // Processes the pending events once, then returns when `abbruch` is true or the
    // time is up; otherwise it sleeps in an event loop that a timer on the monotonic
    // clock (with nanosecond resolution on Linux) or wecke() ends, and looks again.
    // Never returns early unless `abbruch` is true, with one exception: when the
    // application is quitting and its event loops refuse to run, the wait returns
    // rather than spin.
    void warte(int dauerMs, const std::function<bool()> &abbruch) override;

    // Ends the event loop of every running wait, the outer ones included, so that
    // each of them looks at its `abbruch` again as soon as it has control.
    void wecke() override;

    // How many waits are running right now, nested in each other.
    int laufendeWartezeiten() const { return static_cast<int>(m_laufend.size()); }

private:
    struct Ebene;

    std::vector<std::unique_ptr<Ebene>> m_ebenen; // one per depth reached so far
    std::vector<Ebene *> m_laufend;               // the running waits, innermost last
};

} // namespace trabolin

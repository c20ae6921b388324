#pragma once
// The real clock and wait of the program: the time of day from the system, and a
// wait that suspends its coroutine until its deadline or until it is woken, while
// the main event loop runs on: the window keeps working, no box or dialog can hold
// the wait, and no core is burnt while a line runs.
#include "program/Umgebung.h"

#include <QObject>

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

    // Suspends the caller; the main event loop resumes it when a timer on the
    // monotonic clock (with nanosecond resolution on Linux) reaches the deadline, or
    // when wecke() has been called, and it looks at `abbruch` again. Always lets the
    // event loop run once first, so that a click waiting in the queue is seen.
    // Without an application object it sleeps in slices instead.
    QCoro::Task<> warte(int dauerMs, std::function<bool()> abbruch) override;

    // Wakes every running wait: each looks at its `abbruch` in the next round of the
    // event loop.
    void wecke() override;

    // How many waits are running right now.
    int laufendeWartezeiten() const { return static_cast<int>(m_laufend.size()); }

private:
    struct Wecker;
    class Schlaf;

    // A timer of a wait, taken from the free ones or made anew.
    Wecker &nimmWecker();
    void gibZurueck(Wecker &wecker);

    QObject m_kontext; // resumes the waits from the event loop; dies with the clock
    std::vector<std::unique_ptr<Wecker>> m_wecker; // every timer made so far
    std::vector<Wecker *> m_frei;                  // those no wait uses now
    std::vector<Wecker *> m_laufend;               // those of the running waits
};

} // namespace trabolin

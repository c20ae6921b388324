#pragma once
// The real clock and wait of the program: the time of day from the system, and a
// wait that sleeps in a nested event loop until its deadline or until it is woken,
// so the window keeps working and no core is burnt while a line runs.
#include "program/Umgebung.h"

#include <chrono>
#include <memory>
#include <vector>

namespace trabolin {

class EchteZeit : public Zeitbasis {
public:
    using Uhr = std::chrono::steady_clock;

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

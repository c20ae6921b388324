#pragma once
#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace trabolin {

// Reports that have to wait while a program runs or sends a single line, because a
// modal box would hold the run's wait: shown at once when nothing runs, else when the
// run has ended. One report of each kind waits at a time, the first counts.
class Nachmeldungen {
public:
    // `jetzt` tells whether a report may be shown now.
    explicit Nachmeldungen(std::function<bool()> jetzt) : m_jetzt(std::move(jetzt)) {}

    // Keeps report `meldung` of kind `art` (unless one of that kind waits already) and
    // shows what waits if it may.
    void melde(const QString &art, std::function<void()> meldung);
    // Shows every waiting report, in the order they came, if it may.
    void zeige();
    // Drops the waiting report of kind `art`: it is out of date.
    void verwirf(const QString &art);

private:
    std::function<bool()> m_jetzt;
    QList<std::pair<QString, std::function<void()>>> m_wartend; // kind, report
};

} // namespace trabolin

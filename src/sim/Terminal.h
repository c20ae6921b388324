#pragma once
// The simulators take layout actions typed on their terminal, one per line. This
// reads them as they arrive, without blocking and without polling.
#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include <unistd.h>

namespace trabolin::sim {

// Takes the complete lines out of `eingabe`, each trimmed; empty lines are dropped and
// an unfinished last line stays for the next read.
inline QStringList nimmZeilen(QByteArray &eingabe)
{
    QStringList zeilen;
    for (qsizetype ende; (ende = eingabe.indexOf('\n')) >= 0;) {
        const QString zeile = QString::fromUtf8(eingabe.left(ende)).trimmed();
        eingabe.remove(0, ende + 1);
        if (!zeile.isEmpty())
            zeilen << zeile;
    }
    return zeilen;
}

// Hands every line typed on standard input to `aktion`, for as long as `eltern` lives.
// Without a terminal, or once it has closed, nothing more comes.
inline void lauscheAufTerminal(QObject *eltern, std::function<void(const QString &)> aktion)
{
    auto *terminal = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, eltern);
    auto eingabe = std::make_shared<QByteArray>();
    QObject::connect(terminal, &QSocketNotifier::activated, eltern, [terminal, eingabe, aktion] {
        char puffer[512];
        const ssize_t n = ::read(STDIN_FILENO, puffer, sizeof puffer);
        if (n <= 0) {
            terminal->setEnabled(false);
            return;
        }
        eingabe->append(puffer, n);
        for (const QString &zeile : nimmZeilen(*eingabe))
            aktion(zeile);
    });
}

} // namespace trabolin::sim

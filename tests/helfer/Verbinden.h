#pragma once
// A network link's connect as the tests wait for it: the connect runs on the event
// loop and reports with verbindungsergebnis(); the test's own loop waits for it.
#include "program/Netzverbindung.h"

#include <QSignalSpy>
#include <QtTest>

namespace trabolin::test {

// Starts the connect and waits for its outcome (at most the link's wait and 2 s
// more). False when the link is not up, or when no outcome came.
inline bool verbindeUndWarte(Netzverbindung &netz, const QString &host, quint16 port, int wartezeitMs = 3500)
{
    QSignalSpy ergebnis(&netz, &Netzverbindung::verbindungsergebnis);
    netz.verbinde(host, port, wartezeitMs);
    if (ergebnis.isEmpty() && !ergebnis.wait(wartezeitMs + 2000))
        return false;
    return ergebnis.first().first().toBool();
}

} // namespace trabolin::test

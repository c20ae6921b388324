#pragma once
// Keeps watch over the ECoS while the link stands: asks to be told of every change
// of the track power, reads the events and status replies out of what the ECoS
// sends, and asks for the state every 10 seconds. An ECoS that leaves such a request
// without an answer for 3 seconds counts as lost, as does a link that closes.
// It also asks for the s88 feedback modules, is told of their changes and reports
// their contacts: the answers to "get(100, state)" as states, the events as changes.
// Everything is driven by the replies and two timers; nothing waits or polls.
#include "program/Gleiszustand.h"
#include "program/Netzlink.h"
#include "stations/ecos/EcosMeldungsleser.h"

#include <QObject>
#include <QTimer>

namespace trabolin {

class EcosStatuswache : public QObject {
    Q_OBJECT
public:
    explicit EcosStatuswache(Netzlink &link, QObject *parent = nullptr);

    // Where the states go; none: they are read and dropped.
    void setzeMelder(Gleismelder *melder) { m_melder = melder; }

    // The intervals; the tests shorten them.
    void setzeZeiten(int abfrageMs, int antwortMs);

    // The link has just come up: "request(1, view)", "get(1, status)" and
    // "queryObjects(26, ports)" go out and the watch begins; with the list of modules
    // "request(1xx, view)" and "get(1xx, state)" follow for each.
    void beginne();
    // The link is gone or closes: the watch ends, and with `verloren` the layout
    // state becomes "Verbindung verloren".
    void beende(bool verloren);
    bool aktiv() const { return m_abfrage.isActive(); }

    // What the ECoS sent, as the link delivers it: the events and the replies to the
    // watch's own requests are read and reported; the rest is returned, for the
    // reply field (empty when nothing else came).
    QString lies(const QString &text);

signals:
    // A status request went unanswered: the link must be taken as lost.
    void stumm();

private:
    void frage();

    Netzlink &m_link;
    Gleismelder *m_melder = nullptr;
    EcosMeldungsleser m_leser;
    EcosRueckmelder m_rueckmelder;
    QTimer m_abfrage; // every 10 s
    QTimer m_frist;   // 3 s for the answer
};

} // namespace trabolin

#pragma once
// The TCP link to the ECoS. Connecting runs on the main loop, so the window keeps
// working; a link that was lost or refused can be connected again. Commands
// go out at once, each as its own packet: the ECoS reads a packet without a line
// end as one command, so two commands must never share one. Replies are gathered
// until their END line (or a short quiet moment) and delivered whole. While the
// link stands, a watch reads the track state out of them and asks after the ECoS
// (EcosStatuswache.h); only what remains is delivered.
#include "program/Netzlink.h"
#include "program/Netzverbindung.h"
#include "stations/ecos/EcosStatuswache.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace trabolin {

class EcosVerbindung : public Netzverbindung, public Netzlink {
    Q_OBJECT
public:
    // Bytes of one reply that are kept; beyond that only its end is kept.
    static constexpr qsizetype kappe = 4 * 1024 * 1024;
    // Bytes kept of the end of a reply that outgrew the cap.
    static constexpr qsizetype endstueck = 4096;
    // A reply without END line is delivered after this long without new data ...
    static constexpr int ruheMs = 100;
    // ... and a flood that never pauses at least this often.
    static constexpr int hoechstesAlterMs = 500;

    explicit EcosVerbindung(QObject *parent = nullptr);
    ~EcosVerbindung() override;

    // Starts connecting to `host` and `port` and returns at once; verbindungsergebnis()
    // follows from the event loop when the link is up or `wartezeitMs` has passed. A
    // link already up to the same host and port is kept (the outcome true follows, and
    // true is returned); any other link is dropped first. While a connect is under way
    // another changes nothing.
    bool verbinde(const QString &host, quint16 port, int wartezeitMs = 3500) override;
    void beginneVerbindung(const QString &host, quint16 port) override { verbinde(host, port); }

    bool verbunden() const override;
    // One command text's bytes (ecosBytes), at once as its own packet; false, and
    // nothing sent, when the link is not connected.
    bool sende(const QByteArray &befehl) override;

    // Closes the link after writing what is still pending.
    void schliesse() override;

    QTcpSocket *socket() const { return m_socket; }

    // Where the track state the ECoS reports goes, and "Verbindung verloren".
    void setzeGleismelder(Gleismelder *melder) { m_wache->setzeMelder(melder); }
    EcosStatuswache &wache() { return *m_wache; }

private:
    void lies();
    void liefere();
    bool endetMitEndzeile() const;

    QTcpSocket *m_socket;
    EcosStatuswache *m_wache;
    QByteArray m_kopf;        // the start of the reply being gathered
    QByteArray m_ende;        // its last bytes, once it outgrew the cap
    qint64 m_ausgelassen = 0; // bytes dropped between the two
    QTimer m_ruhe;
    QElapsedTimer m_alter;
    bool m_warVerbunden = false;
    bool m_verliert = false; // the loss is being reported
};

} // namespace trabolin

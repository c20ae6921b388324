#pragma once
// The way to a DCC-EX station: the serial port (USB, the default) or a TCP link to its
// WiFi or Ethernet variant. Commands go out at once, each as its own write; what the
// station sends back is cut into whole answers and handed on one by one. Both
// directions are logged as text ("DCC-EX >" / "DCC-EX <").
#include "program/Umgebung.h"
#include "stations/dccex/DccexBefehle.h"

#include <QObject>

class QTcpSocket;

namespace trabolin {

class SerielleSchnittstelle;

class DccexVerbindung : public QObject, public Ausgabe {
    Q_OBJECT
public:
    explicit DccexVerbindung(SerielleSchnittstelle &v24, QObject *parent = nullptr);
    ~DccexVerbindung() override;

    // The network (true) or the serial port (false) carries the commands. Switching
    // forgets a half-received answer; it neither opens nor closes anything.
    void setzeUeberNetzwerk(bool netzwerk);
    bool ueberNetzwerk() const { return m_ueberNetzwerk; }

    // Connects to `host` and `port` and waits until the link is up or `wartezeitMs`
    // has passed, processing events meanwhile. A link already up to the same host and
    // port is kept; any other is dropped first. Returns whether the link is up.
    bool verbinde(const QString &host, quint16 port, int wartezeitMs = 3500);
    bool netzwerkVerbunden() const;
    // Closes the network link after writing what is still pending.
    void trenne();

    // Whether a command can go out now on the chosen way.
    bool offen() const;

    // One command as one write on the chosen way; nothing when it is not open.
    void schreibe(const QByteArray &befehl) override;

    // Forgets a half-received answer: after a new opening the station starts afresh.
    void neuerAnfang() { m_zerleger.leere(); }

    QTcpSocket *socket() const { return m_socket; }

signals:
    // One whole answer or broadcast of the station, or a piece of noise.
    void antwort(const trabolin::DccexAntwort &antwort);
    // The network link that was up is gone.
    void verloren();

private:
    void empfange(const QByteArray &bytes);

    SerielleSchnittstelle &m_v24;
    QTcpSocket *m_socket;
    DccexZerleger m_zerleger;
    bool m_ueberNetzwerk = false;
    bool m_warVerbunden = false;
};

} // namespace trabolin

#pragma once
// The network link to a Märklin Central Station 2 or 3 through its CAN gateway: TCP to
// the address and port the user typed (15731), or, "über UDP", datagrams to that port
// and the answers on UDP port 15730 of this computer. Either way each frame is 13
// bytes; what the station sends is cut into frames (split and joined reads alike).
//
// The link counts as up at the first answer to a ping; while it is up a ping goes out
// every 10 s, and three pings in a row left without an answer mean the station is
// lost. A TCP link that closes is lost at once. The track state the station reports
// (Stop, Go, Halt, Overload) and the loss go to the run logic's Gleismelder; nothing
// the station sends, or fails to send, stops or blocks the program.
#include "program/Netzverbindung.h"
#include "stations/cs2/Cs2Link.h"
#include "stations/cs2/Cs2Rahmen.h"

#include <QHostAddress>
#include <QTimer>

class QEventLoop;
class QTcpSocket;
class QUdpSocket;

namespace trabolin {

class Cs2Verbindung : public Netzverbindung, public Cs2Link {
    Q_OBJECT
public:
    static constexpr quint16 standardPort = 15731;       // the station listens here
    static constexpr quint16 standardEmpfangsport = 15730; // its UDP answers come here
    static constexpr int wartezeitMs = 3000;   // for the first ping's answer
    static constexpr int pingAbstandMs = 10000;
    static constexpr int verpassteBisVerloren = 3;

    explicit Cs2Verbindung(QObject *parent = nullptr);
    ~Cs2Verbindung() override;

    // "über UDP": the next connect uses UDP instead of TCP.
    void setzeUeberUdp(bool udp) { m_udp = udp; }
    bool ueberUdp() const { return m_udp; }
    // The local UDP port the station's answers come to; the tests take a free one.
    void setzeEmpfangsport(quint16 port) { m_empfangsport = port; }

    // Opens the way to `host`:`port`, sends a ping and waits until the station
    // answers it or `wartezeit` ms have passed, processing events meanwhile. With the
    // answer the regular ping starts and "CS2 verbunden (TCP)" or "(UDP)" is handed on;
    // without it the way is closed again and "Keine Antwort von der CS2 ..." handed on.
    // A link that was up before is closed first. Returns whether the station answered.
    bool verbinde(const QString &host, quint16 port, int wartezeit = wartezeitMs) override;
    bool verbunden() const override { return m_verbunden; }
    void schliesse() override;

    quint16 hash() const override { return m_hash; }
    bool sende(const QByteArray &rahmen) override;

    // The distance of the regular pings; the tests shorten it.
    void setzePingAbstand(int ms) { m_ping.setInterval(ms); }
    // Where the track state the station reports goes, and "Verbindung verloren".
    void setzeGleismelder(Gleismelder *melder) { m_melder = melder; }

signals:
    // Every whole frame from the station.
    void rahmen(const trabolin::Cs2Rahmen &rahmen);

private:
    void empfange(const QByteArray &bytes);
    void pingFaellig();
    void verliere();
    // The IPv4 address of a host name, waited for at most `wartezeit` ms.
    QHostAddress sucheAdresse(const QString &name, int wartezeit);
    bool schreibe(const QByteArray &bytes);

    QTcpSocket *m_tcp;
    QUdpSocket *m_udpSocket;
    QTimer m_ping;
    Cs2Leser m_leser;
    Gleismelder *m_melder = nullptr;
    QHostAddress m_ziel;
    quint16 m_port = standardPort;
    quint16 m_empfangsport = standardEmpfangsport;
    quint16 m_hash = cs2Hash(cs2ProgrammUid);
    bool m_udp = false;
    bool m_offen = false;     // frames can go out (the way stands)
    bool m_verbunden = false; // the station has answered and not fallen silent
    bool m_beantwortet = false; // the last ping has its answer
    int m_verpasst = 0;         // pings in a row without an answer
    QEventLoop *m_warten = nullptr; // the connect's wait, while it runs
};

} // namespace trabolin

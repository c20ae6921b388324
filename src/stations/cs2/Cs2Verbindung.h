#pragma once
// The network link to a Märklin Central Station 2 or 3 through its CAN gateway: TCP to
// the address and port the user typed (15731), or, "über UDP", datagrams to that port
// and the answers on UDP port 15730 of this computer. Either way each frame is 13
// bytes; what the station sends is cut into frames (split and joined reads alike).
//
// The connect runs on the main loop, never in a loop of its own: verbinde() starts it
// and returns, verbindungsergebnis() and the reply text follow when the station has
// answered or the wait is over. The link counts as up at the first answer to a ping
// (every device behind the station answers it); then the station is asked for its
// track state, which stays "unbekannt" until it answers (older firmware does not).
// While it is up a ping goes out every 10 s, and three pings in a row left without an
// answer mean the station is lost. A TCP link that closes is lost at once; the loss is
// reported before the way counts as closed, so that the stop the run sends on it is
// still written. The track state the station reports (Stop, Go, Halt, Overload), the
// loss, the S88 events and the direction of each locomotive the station reports go to the run logic;
// nothing the station sends, or fails to send, stops or blocks the program.
#include "program/Netzverbindung.h"
#include "stations/cs2/Cs2Link.h"
#include "stations/cs2/Cs2Rahmen.h"

#include <QHostAddress>
#include <QTimer>

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
    // The replies the link shows when it connects or fails to, in the language in
    // effect: "%1" is "TCP" or "UDP"; "%1:%2, %3" host, port and "TCP" or "UDP". The
    // driver knows each by its start (Cs2Treiber::bewerteAntwort).
    static QString verbundenMuster();
    static QString keineAntwortMuster();

    explicit Cs2Verbindung(QObject *parent = nullptr);
    ~Cs2Verbindung() override;

    // "über UDP": the next connect uses UDP instead of TCP.
    void setzeUeberUdp(bool udp) { m_udp = udp; }
    bool ueberUdp() const { return m_udp; }
    // The local UDP port the station's answers come to; the tests take a free one.
    void setzeEmpfangsport(quint16 port) { m_empfangsport = port; }

    // Starts opening the way to `host`:`port` and returns false at once: the outcome
    // follows. A ping goes out; when the station answers it the regular ping starts,
    // the track state is asked for, "CS2 verbunden (TCP)" or "(UDP)" is handed on and
    // verbindungsergebnis(true) follows. Without an answer within `wartezeit` ms (3 s
    // at most) the way is closed again, "Keine Antwort von der CS2 ..." is handed on
    // and verbindungsergebnis(false) follows. A link that was up before is closed
    // first; while a connect is under way another changes nothing.
    bool verbinde(const QString &host, quint16 port, int wartezeit = wartezeitMs) override;
    void beginneVerbindung(const QString &host, quint16 port) override { verbinde(host, port); }
    // A connect is under way.
    bool verbindet() const { return m_aufbau != Aufbau::keiner; }
    bool verbunden() const override { return m_verbunden; }
    void schliesse() override;

    quint16 hash() const override { return m_hash; }
    std::optional<bool> richtung(quint32 uid) const override { return m_richtungen.vorwaerts(uid); }
    bool sende(const QByteArray &rahmen) override;

    // The distance of the regular pings; the tests shorten it.
    void setzePingAbstand(int ms) { m_ping.setInterval(ms); }
    // Where the track state and the S88 events the station reports go, and "Verbindung verloren".
    void setzeGleismelder(Gleismelder *melder) { m_melder = melder; }

signals:
    // Every whole frame from the station.
    void rahmen(const trabolin::Cs2Rahmen &rahmen);

private:
    enum class Aufbau { keiner, sucheName, tcpVerbindet, wartetAufPing };

    void empfange(const QByteArray &bytes);
    void pingFaellig();
    void verliere();
    // The connect's steps: the UDP way to the address found, the first ping, its
    // answer, and the end without one.
    void zielGefunden(const QHostAddress &adresse);
    void sendeErstenPing();
    void gelungen();
    void scheitere();
    bool schreibe(const QByteArray &bytes);

    QTcpSocket *m_tcp;
    QUdpSocket *m_udpSocket;
    QTimer m_ping;
    QTimer m_frist; // the connect's wait for the first answer
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
    Aufbau m_aufbau = Aufbau::keiner; // the step of the connect under way
    QString m_host;                    // as typed, for the reply text
    int m_suche = -1;                  // the host lookup under way
    Cs2Richtungen m_richtungen;
};

} // namespace trabolin

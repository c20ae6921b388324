#pragma once
// The UDP link to a Z21. UDP knows no connection: the link counts as connected once
// the Z21 has answered the request for its serial number, and the Z21 counts the PC
// as one of its clients as long as it hears from it at least once a minute, so a
// status request goes out regularly while connected, each after the broadcast flags:
// a Z21 that restarted has forgotten them and would report nothing more. A status request left without
// an answer for 3 s is asked again at once and twice more a second apart (one datagram
// lost on Wi-Fi is no lost link); the Z21 counts as lost only when none of these is
// answered and nothing else came from it meanwhile. It is reported lost while the
// link still sends, so the run logic's stop for the locomotive can go out first. The track state the Z21 reports goes to the run logic. Every datagram in and out goes
// to the traffic log; what the Z21 sends is split into its packets and handed on,
// and nothing it sends (or fails to send) ever stops or blocks the program.
//
// The socket is bound but not connected to the Z21's address: on a connected UDP
// socket an ICMP "port unreachable" from an earlier datagram makes the next send
// fail, and that next datagram could be a stop.
#include "program/Netzlink.h"
#include "program/Netzverbindung.h"
#include "stations/z21/Z21Befehle.h"

#include <QHash>
#include <QHostAddress>
#include <QTimer>

#include <optional>

class QUdpSocket;

namespace trabolin {

class Z21Verbindung : public Netzverbindung, public Netzlink {
    Q_OBJECT
public:
    // The PC stays registered with the Z21 only if it is heard from at least once a
    // minute; LAN_X_GET_STATUS goes out this often, each time after
    // LAN_SET_BROADCASTFLAGS, which a Z21 forgets when it restarts.
    static constexpr int statusAbstandMs = 15000;
    // A status request left without an answer this long is asked again.
    static constexpr int statusFristMs = 3000;
    // After a missing answer: asked again this often (at once, then a second apart),
    // each given this long for its answer.
    static constexpr int nachfragen = 3;
    static constexpr int nachfrageAbstandMs = 1000;
    // However the answers go, the Z21 hears from the PC well within its minute.
    static_assert(statusAbstandMs + statusFristMs + nachfragen * nachfrageAbstandMs <= 30000);
    // How long the connect waits for the serial number (3 to 4 s, as for the ECoS).
    static constexpr int wartezeitMs = 3500;
    // The reply the link shows when it has connected, in the language in effect ("%1"
    // the serial number); the driver knows it by its start (Z21Treiber::bewerteAntwort).
    static QString verbundenMuster();
    // LAN_SET_BROADCASTFLAGS: the general messages (track power, status), the R-Bus
    // feedback modules and the CAN occupancy detectors.
    static constexpr quint32 broadcastflags = z21FlagAllgemein | z21FlagRmBus | z21FlagCanMelder;

    explicit Z21Verbindung(QObject *parent = nullptr);
    ~Z21Verbindung() override;

    // Sends LAN_GET_SERIAL_NUMBER to `host` (a name or an address) and `port` and
    // returns at once; the wait for the answer, at most `wartezeit` ms, runs on the
    // main loop. With the answer the broadcast flags and a status request go out, the
    // regular status request starts, the reply "Z21 verbunden, Seriennummer <n>" is
    // handed on and verbindungsergebnis(true) follows; without it
    // verbindungsergebnis(false). A link that was connected before is logged off
    // first; while a connect is waiting another changes nothing.
    bool verbinde(const QString &host, quint16 port, int wartezeit = wartezeitMs) override;
    void beginneVerbindung(const QString &host, quint16 port) override { verbinde(host, port); }
    // The serial number of the connected Z21.
    std::optional<quint32> seriennummer() const { return m_seriennummer; }

    bool verbunden() const override { return m_verbunden; }
    // Sends `datagramm` as one UDP datagram, unchanged. False, and nothing sent,
    // while the link is not connected.
    bool sende(const QByteArray &datagramm) override;

    // Logs off (LAN_LOGOFF) when connected and closes the socket.
    void schliesse() override;

    // The distance of the regular status requests; the tests shorten it.
    void setzeStatusAbstand(int ms) { m_status.setInterval(ms); }
    // The wait for the answer to a regular status request, and for each one asked
    // again; the tests shorten them.
    void setzeStatusFrist(int ms) { m_fristMs = ms; }
    void setzeNachfrageAbstand(int ms) { m_nachfrageMs = ms; }

    // Where the track state and the feedback contacts the Z21 reports go, and
    // "Verbindung verloren". At the connect the link asks for both R-Bus groups
    // (LAN_RMBUS_GETDATA); their answers are states, every later change a contact's event.
    void setzeGleismelder(Gleismelder *melder) { m_melder = melder; }

signals:
    // A well-formed packet from the Z21 (the serial number's answer included).
    void paket(const trabolin::Z21Paket &paket);

private:
    void lies();
    // The end of the connect's wait: the serial number came, or the time is up.
    void aufbauEnde();
    // LAN_SET_BROADCASTFLAGS and LAN_X_GET_STATUS, with the deadline for its answer.
    void frageStatus();
    // The deadline of a status request has passed without its answer.
    void fristAbgelaufen();
    // No answer to any request and nothing else heard: the Z21 is gone.
    void verliere();
    bool schreibe(const QByteArray &datagramm);
    // The contacts of an R-Bus record or a CAN detector's report.
    void meldeKontakte(const Z21Paket &paket);
    void zielGefunden(const QHostAddress &adresse);

    QUdpSocket *m_socket;
    QTimer m_status;
    QTimer m_frist;
    int m_fristMs = statusFristMs;
    int m_nachfrageMs = nachfrageAbstandMs;
    int m_nachgefragt = 0;  // how often the missing answer has been asked again
    bool m_gehoert = false; // a datagram came from the Z21 since the unanswered request
    Gleismelder *m_melder = nullptr;
    bool m_rmBusFrage[2] = {}; // the answer to LAN_RMBUS_GETDATA for group 0 or 1 is due
    QHash<int, bool> m_kontakte; // each contact as last reported
    QHostAddress m_ziel;
    quint16 m_port = 0;
    bool m_verbunden = false;
    std::optional<quint32> m_seriennummer;
    QTimer m_aufbau;        // the connect's wait for the serial number
    bool m_wartet = false;  // a connect is waiting for it
    int m_suche = -1;               // the host name's lookup, while it runs
};

} // namespace trabolin

#pragma once
// The way to a DCC-EX station: the serial port (USB, the default) or a TCP link to its
// WiFi or Ethernet variant. Commands go out at once, each as its own write; what the
// station sends back is cut into whole answers, handed on one by one and shown as the
// last few of them. Both directions are logged as text ("DCC-EX >" / "DCC-EX <").
// Over the network the station is asked "<#>" every 5 s; 15 s without a byte from it
// lose the link as a closed one does.
#include "program/Netzlink.h"
#include "program/Netzverbindung.h"
#include "stations/dccex/DccexBefehle.h"
#include "stations/dccex/DccexGleise.h"
#include "stations/dccex/DccexStartwarte.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QTimer>

class QTcpSocket;

namespace trabolin {

class SerielleSchnittstelle;

class DccexVerbindung : public Netzverbindung, public Netzlink {
    Q_OBJECT
public:
    // Answers kept for the reply field.
    static constexpr qsizetype gezeigteAntworten = 20;
    // Over the network a station can hang with its TCP link still open. So while the
    // link is up it is asked "<#>" this often, and any bytes it sends show it lives ...
    static constexpr int lebenszeichenMs = 5000;
    // ... and after this long without a single byte it counts as lost.
    static constexpr int stilleMs = 15000;
    static_assert(stilleMs >= 2 * lebenszeichenMs, "a lost answer alone is no lost station");

    explicit DccexVerbindung(SerielleSchnittstelle &v24, QObject *parent = nullptr);
    ~DccexVerbindung() override;

    // The network (true) or the serial port (false) carries the commands. Switching
    // forgets a half-received answer; it neither opens nor closes anything.
    void setzeUeberNetzwerk(bool netzwerk);
    bool ueberNetzwerk() const { return m_ueberNetzwerk; }

    // Starts connecting to `host` and `port` and returns at once; verbindungsergebnis()
    // follows from the event loop when the network link is up or `wartezeitMs` has
    // passed. A link already up to the same host and port is kept (the outcome true
    // follows, and true is returned); any other is dropped first. While a connect is
    // under way another changes nothing.
    bool verbinde(const QString &host, quint16 port, int wartezeitMs = 3500) override;
    void beginneVerbindung(const QString &host, quint16 port) override { verbinde(host, port); }
    // The station can be reached on the chosen way: as offen().
    bool verbunden() const override { return offen(); }
    // Closes the network link after writing what is still pending.
    void schliesse() override;

    // Asks the station "<s>" until it answers (DccexStartwarte); meanwhile only that
    // question goes out. A command given meanwhile is never lost: a locomotive command
    // becomes that locomotive's stop, "<0>" stays, and these go out when the wait is
    // over, answered or not; nothing that would drive follows them.
    bool warteAufZentrale() override;
    DccexStartwarte &startwarte() { return m_startwarte; }

    // Whether a command can go out now on the chosen way: the serial port is open,
    // or the network link is up.
    bool offen() const;
    // One command as one write on the chosen way; nothing when it is not open.
    void schreibe(const QByteArray &befehl);
    // As schreibe(); false when the way is not open.
    bool sende(const QByteArray &befehl) override;

    // Forgets a half-received answer and what the station said of its tracks: after a
    // new opening the station starts afresh.
    void neuerAnfang()
    {
        m_zerleger.leere();
        m_gleise.vergiss();
        m_kontaktstaende = false;
    }
    // Asks which output drives the main track ("<=>"), the power of the tracks and the
    // state of the sensors ("<s>", "<Q>"), and "<#>" after them: the sensors the
    // station lists until its "<# n>" are states, all others changes. Once the station
    // has answered its boot wait.
    void frageGleise();

    // Where the track power and the sensors the station reports go, and "Verbindung verloren" when
    // the chosen way (the port or the network link) fails.
    void setzeGleismelder(Gleismelder *melder) { m_melder = melder; }

    // The distance of the "<#>" questions and the silence that loses the link; the
    // tests shorten them.
    void setzeLebenszeichen(int abstandMs, int stilleMs)
    {
        m_lebenszeichen.setInterval(abstandMs);
        m_stille.setInterval(stilleMs);
    }

    QTcpSocket *socket() const { return m_socket; }

signals:
    // One whole answer or broadcast of the station, or a piece of noise.
    void rahmen(const trabolin::DccexAntwort &antwort);

private:
    // The network link is up.
    bool netzVerbunden() const;
    // The network link is lost: reported while it still carries the locomotive's
    // stop, then counted as gone.
    void verliere();
    // The regular "<#>", and the end of the silence it is waiting on.
    void frageLebenszeichen();
    void stilleAbgelaufen();
    void empfange(const QByteArray &bytes);
    void zeige(const QString &zeile);
    // A command given during the boot wait, kept as the stop it stands for.
    void halteZurueck(const QByteArray &befehl);
    // Remembers the direction of a speed command for the stop of its locomotive.
    void merkeRichtung(const QByteArray &befehl);

    SerielleSchnittstelle &m_v24;
    QTcpSocket *m_socket;
    DccexZerleger m_zerleger;
    DccexGleise m_gleise; // which output is the main track, and its power
    DccexStartwarte m_startwarte;
    QStringList m_letzte; // the last answers, for the reply field
    QList<QByteArray> m_zurueckgehalten;     // stops to send when the boot wait is over
    QHash<QByteArray, QByteArray> m_richtung; // per address: the direction last asked for, "1" or "0"
    bool m_ueberNetzwerk = false;
    bool m_warVerbunden = false;
    bool m_verliert = false; // the loss is being reported
    bool m_kontaktstaende = false; // the sensors now reported answer "<s>" and "<Q>"
    QTimer m_lebenszeichen;  // "<#>" while the network link is up
    QTimer m_stille;         // runs out when the station has sent nothing for so long
    Gleismelder *m_melder = nullptr;
};

} // namespace trabolin

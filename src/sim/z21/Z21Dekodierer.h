#pragma once
// The decoder of the Z21 simulator: datagrams in, printed lines and answers out, with
// no I/O of its own. It reads the Z21 LAN protocol as a Z21 does (packets of DataLen,
// header and data, several to a datagram; the XpressNet commands behind header 0x40
// with their check byte), keeps the track power, the clients and every locomotive's
// speed, direction and F0 to F4, and answers what a Z21 answers.
//
// Every locomotive runs on its own virtual track (sim/Gleise.h) at the share of its top
// speed that its step gives (step / 14, 28 or 126), standing in an emergency stop and
// with the track off. Contact n is R-Bus input n counted from input 1 of module 1: the
// first locomotive to run has inputs 1 and 2, the next 3 and 4, and so on. Each change
// goes out as LAN_RMBUS_DATACHANGED of group 0 (the whole group) to the clients with
// the R-Bus flag 0x00000002; LAN_RMBUS_GETDATA is answered so too.
#include "sim/Gleise.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace trabolin::sim {

struct Z21Lok {
    int adresse = 0;
    int stufen = 128;     // 14, 28 or 128, as the last drive command gave it
    bool vorwaerts = true;
    int fahrstufe = 0;    // 0 = stands; counted in steps of the mode
    bool nothalt = false;
    bool f[5] = {};       // F0 (the light) to F4
};

// One datagram to send back, to the client named as the sender was named.
struct Z21Antwort {
    QString ziel;
    QByteArray datagramm;
};

struct Z21Ergebnis {
    QStringList zeilen; // one per packet: its bytes, what it is and the state after it
    QList<Z21Antwort> antworten;
};

class Z21Dekodierer {
public:
    static constexpr quint32 standardSeriennummer = 123456;

    explicit Z21Dekodierer(quint32 seriennummer = standardSeriennummer) : m_seriennummer(seriennummer) {}

    // One datagram from the client `absender` (any name for it, such as "127.0.0.1:5000").
    Z21Ergebnis verarbeite(const QByteArray &datagramm, const QString &absender);

    // The layout around the Z21: "aus" and "an" (its power switched by hand),
    // "kurzschluss" (it switches the track off), "nothalt" (every locomotive stops),
    // "flut" (a flood of broadcasts and bad datagrams that change nothing). Each is
    // broadcast to the clients that asked for the general messages.
    Z21Ergebnis anlage(const QString &aktion);

    // The Z21 forgets a client that has sent nothing for a minute (Z21 LAN protocol
    // document, 2.2 LAN_LOGOFF: a client that sends nothing for a minute is
    // logged off by the Z21 itself).
    static constexpr qint64 clientFristMs = 60000;
    // Client `absender` sent a datagram at `zeitMs` (any steady clock).
    void gehoert(const QString &absender, qint64 zeitMs);
    // Forgets the clients silent for clientFristMs at `zeitMs`: they hear no broadcast
    // any more. One printed line each.
    QStringList vergissStille(qint64 zeitMs);

    // Moves the locomotives on their tracks up to `jetztMs` (any steady clock; commands
    // are taken at the time of the last call): the R-Bus records of the contacts they
    // changed.
    Z21Ergebnis bewege(qint64 jetztMs);
    const Gleise<int> &gleise() const { return m_gleise; }

    std::optional<Z21Lok> lok(int adresse) const;
    bool gleisAn() const { return m_gleisAn; }
    // The clients that have talked to the Z21 and not logged off, with their flags.
    const QMap<QString, quint32> &clients() const { return m_clients; }

private:
    QString paket(quint16 kopf, const QByteArray &daten, const QString &absender, Z21Ergebnis &e);
    QString xBefehl(const QByteArray &x, const QString &absender, Z21Ergebnis &e);
    QString zustand(const Z21Lok &lok) const;
    void anAlle(const QByteArray &datagramm, const QString &absender, Z21Ergebnis &e) const;
    // The central state of LAN_X_STATUS_CHANGED: 0x01 emergency stop, 0x02 track power
    // off, 0x04 short circuit.
    quint8 zentralenstatus() const;
    // The tracks take the locomotives' speeds; the records of what changed.
    void aufStrecke(Z21Ergebnis &e);
    void melde(const QList<Gleise<int>::Wechsel> &wechsel, Z21Ergebnis &e);
    // LAN_RMBUS_DATACHANGED of group `gruppe` as the modules stand.
    QByteArray rmBus(quint8 gruppe) const;

    quint32 m_seriennummer;
    bool m_gleisAn = true;
    bool m_kurzschluss = false;
    bool m_nothalt = false;
    QMap<QString, quint32> m_clients;
    QMap<int, Z21Lok> m_loks;
    QMap<QString, qint64> m_gehoert; // when each client sent its last datagram
    Gleise<int> m_gleise;
    QByteArray m_module = QByteArray(20, '\0'); // the R-Bus modules 1 to 20, bit 0 input 1
    qint64 m_jetzt = 0;
};

} // namespace trabolin::sim

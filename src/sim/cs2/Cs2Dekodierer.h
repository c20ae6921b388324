#pragma once
// The decoder of the Central Station simulator: bytes in, printed lines and answers
// out, with no I/O of its own. It reads the CAN frames of the CS2 network gateway as
// the station does (13 bytes each: identifier big-endian, DLC, 8 data bytes; over TCP
// a stream in which frames may be split or joined), keeps the track state and every
// locomotive's speed, direction and F0 to F4, and answers what a Central Station
// answers, always under its own hash: the ping once for each of its devices (the
// track format processor and the GUI), every command with the same frame and the
// response bit set, the state query (a system frame with DLC 4) with Stop or Go. A
// frame whose hash lacks the mark 0x0300 in bits 7 to 9 is not taken. After a Halt
// the locomotive commands are taken but held from the decoders until Go. The speed
// value becomes the decoder's step rounding down, as on the station: MM2 14 steps,
// DCC 28 (both as set), mfx 126. Answers go to every client, as the station's do.
//
// Every locomotive runs on its own virtual track (sim/Gleise.h: the first to run has
// contacts 1 and 2, the next 3 and 4, ...) at the share of its top speed that its
// decoder step gives (step / the decoder's steps), with no power on the track at none;
// each contact it reaches or leaves is reported as the station reports an S88 event:
// command 0x11 with the response bit, DLC 8, device id 0, the contact's number as
// contact id, old state, new state (1 occupied), time 0.
#include "sim/Gleise.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace trabolin::sim {

struct Cs2Lok {
    quint32 uid = 0;
    int geschwindigkeit = 0; // 0 to 1000 (up to 1023)
    bool vorwaerts = true;
    bool f[5] = {};          // F0 (the light) to F4
};

struct Cs2Ergebnis {
    QStringList zeilen;        // one per frame: its bytes, what it is and the state after it
    QList<QByteArray> antworten; // frames of 13 bytes, to every client
};

class Cs2Dekodierer {
public:
    // The UID of the station (its track format processor, device code 0) and of its
    // GUI (device code 0xFFFF); both answer the ping.
    static constexpr quint32 eigeneUid = 0x43533208;
    static constexpr quint16 gfpKennung = 0x0000;
    static constexpr quint32 guiUid = 0x43533209;
    static constexpr quint16 geraetekennung = 0xFFFF;
    static constexpr quint16 softwarestand = 0x0401;

    // Bytes from the client `absender` (any name for it); a TCP client's half frame
    // waits for the rest of it, a UDP client's datagram stands alone.
    Cs2Ergebnis verarbeite(const QByteArray &bytes, const QString &absender, bool strom = true);
    // A client is gone: its half frame is forgotten.
    void vergiss(const QString &absender) { m_reste.remove(absender); }

    // The layout around the station: "stopp" (its stop key: the track off), "go" (on
    // again), "halt" (every locomotive to speed 0, the track keeps power),
    // "ueberlast" (an overload switches the track off), "wenden DCC 3" (another
    // controller turns the locomotive round and stops it). Each is announced to every
    // client as the station's frame with the response bit.
    Cs2Ergebnis anlage(const QString &aktion);

    // Moves the locomotives on their tracks up to `jetztMs` (any steady clock; commands
    // are taken at the time of the last call): the S88 events of the contacts they
    // changed.
    Cs2Ergebnis bewege(qint64 jetztMs);
    const Gleise<quint32> &gleise() const { return m_gleise; }

    std::optional<Cs2Lok> lok(quint32 uid) const;
    bool gleisAn() const { return m_gleisAn; }
    // The decoders' speed steps of MM2 and DCC locomotives (the station's locomotive list).
    void setzeFahrstufen(int stufen);
    // The decoder's step of a locomotive: its speed value × steps / 1000, rounded down.
    int fahrstufe(const Cs2Lok &lok) const;

private:
    QString rahmen(const QByteArray &bytes, Cs2Ergebnis &e);
    QString system(const QByteArray &daten, Cs2Ergebnis &e);
    QString zustand(const Cs2Lok &lok) const;
    // The state a command changes: the decoder's, or during a Halt the one held for it.
    Cs2Lok &befehlsziel(quint32 uid);
    // What the decoder does after a command.
    QString nachBefehl(quint32 uid) const;
    int fahrstufenVon(quint32 uid) const;
    void halt();
    void go();
    // The tracks take the locomotives' speeds; the events of what changed.
    void aufStrecke(Cs2Ergebnis &e);
    void melde(const QList<Gleise<quint32>::Wechsel> &wechsel, Cs2Ergebnis &e) const;

    bool m_gleisAn = true;
    bool m_halt = false;
    int m_fahrstufenMm2 = 14;
    int m_fahrstufenDcc = 28;
    QMap<quint32, Cs2Lok> m_loks;      // what the decoders do
    QMap<quint32, Cs2Lok> m_gehalten;  // commands taken during a Halt
    QStringList m_nachher;             // lines that follow the frame's own
    QMap<QString, QByteArray> m_reste;
    Gleise<quint32> m_gleise; // by UID
    qint64 m_jetzt = 0;
};

// The hash of a UID as the station's description gives it (the halves exclusive-or'ed,
// bits 7 to 9 forced to 1, 1, 0 from the top).
quint16 cs2SimHash(quint32 uid);
// The locomotive a UID names: "MM2 24", "DCC 3", "mfx 5".
QString cs2SimLokname(quint32 uid);
// The UID of "DCC" "3"; nothing for another protocol or an address outside its range.
std::optional<quint32> cs2SimLokUid(const QString &protokoll, const QString &adresse);

} // namespace trabolin::sim

#pragma once
// The decoder of the Central Station simulator: bytes in, printed lines and answers
// out, with no I/O of its own. It reads the CAN frames of the CS2 network gateway as
// the station does (13 bytes each: identifier big-endian, DLC, 8 data bytes; over TCP
// a stream in which frames may be split or joined), keeps the track state and every
// locomotive's speed, direction and F0 to F4, and answers what a Central Station
// answers: the ping with its own UID, every command with the same frame and the
// response bit set. Answers go to every client, as the station's do.
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
    // The UID the simulated station answers the ping with, and its device code (CS2 GUI).
    static constexpr quint32 eigeneUid = 0x43533208;
    static constexpr quint16 geraetekennung = 0xFFFF;
    static constexpr quint16 softwarestand = 0x0401;

    // Bytes from the client `absender` (any name for it); a TCP client's half frame
    // waits for the rest of it, a UDP client's datagram stands alone.
    Cs2Ergebnis verarbeite(const QByteArray &bytes, const QString &absender, bool strom = true);
    // A client is gone: its half frame is forgotten.
    void vergiss(const QString &absender) { m_reste.remove(absender); }

    // The layout around the station: "stopp" (its stop key: the track off), "go" (on
    // again), "halt" (every locomotive to speed 0, the track keeps power),
    // "ueberlast" (an overload switches the track off). Each is announced to every
    // client as the station's system frame with the response bit.
    Cs2Ergebnis anlage(const QString &aktion);

    std::optional<Cs2Lok> lok(quint32 uid) const;
    bool gleisAn() const { return m_gleisAn; }

private:
    QString rahmen(const QByteArray &bytes, Cs2Ergebnis &e);
    QString system(quint16 hash, const QByteArray &daten, Cs2Ergebnis &e);
    QString zustand(const Cs2Lok &lok) const;

    bool m_gleisAn = true;
    QMap<quint32, Cs2Lok> m_loks;
    QMap<QString, QByteArray> m_reste;
};

// The hash of a UID as the station's description gives it (the halves exclusive-or'ed,
// bits 7 to 9 forced to 1, 1, 0 from the top).
quint16 cs2SimHash(quint32 uid);
// The locomotive a UID names: "MM2 24", "DCC 3", "mfx 5".
QString cs2SimLokname(quint32 uid);

} // namespace trabolin::sim

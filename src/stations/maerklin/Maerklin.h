#pragma once
// Wire formats of the Märklin 6051 interface (two-byte commands, also understood
// by IntelliBox and MasterControl) and the IntelliBox "XL" text commands.
#include "stations/Kontaktmeldung.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace trabolin {

inline constexpr char maerklinPowerEin = 0x60; // "Power o&n"
inline constexpr char maerklinPowerAus = 0x61; // "Power of&f"

// Command byte and address byte in one write. A value outside 0 to 255 cannot be
// coded in its byte: then there is no command (the caller sends nothing).
std::optional<QByteArray> maerklinBefehl(qint64 befehl, qint64 adresse);

// Function byte of the two-byte path: 64 + 1*F1 + 2*F2 + 4*F3 + 8*F4.
int funktionsbyte(bool f1, bool f2, bool f3, bool f4);

// "XL " + address + "," + speed + "," + light + "," + direction + "," + F1..F4 + CR.
QByteArray xlFahrzeile(const QString &adresse, const QString &fahrstufe, bool licht,
                       int richtung, bool f1, bool f2, bool f3, bool f4);

// The stop of an "f"/"F" line: "XL " + address + ", 0," + CR.
QByteArray xlRichtungsstopp(const QString &adresse);

// The stop line: "XL" + address + ",0,0," + direction + ",0,0,0,0" + CR.
QByteArray xlStoppzeile(const QString &adresse, int richtung);

// ---- s88 feedback modules: the stations report nothing by themselves, they are asked.
// Module n (from 1) holds the contacts (n - 1) * 16 + 1 to n * 16.
inline constexpr int maerklinGroessterModul = 31;
int s88Modul(int kontakt);

// 6051: "0xC0" alone switches the reset mode on (a module's bits then hold everything
// seen since it was last read, so a contact crossed between two reads is not lost);
// "0xC0 + n" reads module n, answered with its two bytes, high byte first. None for a
// module outside 1 to 31.
inline constexpr char p50RuecksetzenEin = char(0xC0);
QByteArray p50Modulfrage(int modul);
// IntelliBox (P50X, "X" before the binary command): XSensor "58 98 mm" reads module mm,
// answered "00 high low" (a status byte other than 00 alone for an error); XEvtSen
// "58 CB" asks for the modules changed since the last XEvtSen, answered with module,
// high, low for each of them and 00 after the last (a contact occupied in between
// reads occupied once, so a short pulse is not lost).
QByteArray p50xSensorfrage(int modul);
QByteArray p50xEreignisfrage();

// The 16 contacts of module `modul` from its two bytes: bit 7 of the high byte is its
// first contact, bit 0 of the low byte its sixteenth.
QList<Kontaktmeldung> s88Kontakte(int modul, quint8 hoch, quint8 tief);

// Reads the answers to the module questions, in whatever pieces they arrive, while a
// contact line waits. Only what is asked for is read: bytes when no question is
// pending are dropped, and each question forgets what was left of the one before.
// Within one watch (from beginne()) the first answer for a contact is its baseline:
// a contact first seen free is reported free; one first seen occupied is held back
// until it has been seen free, since it may have been occupied all along, or, in
// reset mode, been crossed before the line began. Every later change is reported.
class S88Abfrage {
public:
    enum class Art {
        p50,          // "0xC0 + n": two bytes
        xSensor,      // "58 98 mm": status, two bytes
        xEreignisse,  // "58 CB": (module, two bytes) ... 00; only module `modul` is read
        xVergessen,   // "58 CB" whose answer only clears what the box held: nothing is read
    };
    // A new watch: nothing seen yet.
    void beginne();
    // Question `art` for module `modul` has gone out.
    void frage(Art art, int modul);
    // The bytes read; returns the contacts to report (as states) once an answer is whole.
    QList<Kontaktmeldung> lies(const QByteArray &bytes);
    // A question has gone out and its answer is not whole yet.
    bool wartetAufAntwort() const { return m_art.has_value(); }

private:
    // The two bytes of the module asked for, compared with what the watch has seen.
    QList<Kontaktmeldung> vergleiche(quint8 hoch, quint8 tief);

    std::optional<Art> m_art; // the question pending
    int m_modul = 0;
    QByteArray m_antwort;
    QHash<int, bool> m_gesehen; // in this watch: each contact as last read
};

// The questions to the s88 modules on one port, shared by the drivers of every
// program: the interface answers in the order it was asked and an answer carries no
// sign of its question, so one question is out at a time and its answer goes to the
// watch that asked. A question asked while another's answer is awaited goes out the
// moment that answer is whole; an answer that has not come `verlorenMs` after its
// question is lost, and the next question goes out at once.
class S88Leitung {
public:
    static constexpr int verlorenMs = 100;
    // Marks the question in the watch's S88Abfrage and writes it.
    using Frage = std::function<void()>;

    // `abfrage` asks with `stellen`, now or when the answer awaited is whole. A
    // question of the same watch still waiting is replaced.
    void frage(S88Abfrage &abfrage, Frage stellen);
    // The bytes read, to the watch whose question is out.
    QList<Kontaktmeldung> lies(const QByteArray &bytes);
    // The watch is gone: its questions are no longer asked, its answer no longer read.
    void vergiss(const S88Abfrage &abfrage);

private:
    void stelle(S88Abfrage &abfrage, const Frage &stellen);

    S88Abfrage *m_offen = nullptr; // whose question is out
    QElapsedTimer m_seit;          // since it went out
    QList<std::pair<S88Abfrage *, Frage>> m_warten;
};

} // namespace trabolin

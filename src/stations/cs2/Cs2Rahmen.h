#pragma once
// The CAN frames of the Märklin Central Station 2 and 3 as they travel over its
// network gateway (TCP or UDP): 13 bytes each, the 29-bit CAN identifier in 4 bytes
// big-endian (priority << 25 | command << 17 | response << 16 | hash), the DLC (0 to
// 8) and always 8 data bytes, the unused ones zero. The locomotive commands address
// a locomotive by its UID, which carries the track protocol in its upper bits.
#include "program/Gleiszustand.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace trabolin {

// The commands Trabolin sends or reads.
enum Cs2Befehl : quint8 {
    cs2System = 0x00,          // sub-command in data byte 4
    cs2Geschwindigkeit = 0x04, // UID + speed 0..1000 (2 bytes)
    cs2Richtung = 0x05,        // UID + 1 forwards, 2 backwards
    cs2Funktion = 0x06,        // UID + number + value
    cs2S88Ereignis = 0x11,     // a feedback contact's change (with the response bit)
    cs2Ping = 0x18,            // DLC 0 asks; the answers carry UID, version, device
};

// The sub-commands of cs2System.
enum Cs2System : quint8 {
    cs2Stopp = 0x00,
    cs2Go = 0x01,
    cs2Halt = 0x02,
    cs2Ueberlast = 0x0A,
};

constexpr qsizetype cs2RahmenLaenge = 13;

// One frame, taken apart.
struct Cs2Rahmen {
    quint8 prioritaet = 0; // 4 bits
    quint8 befehl = 0;
    bool antwort = false;  // the response bit
    quint16 hash = 0;
    QByteArray daten;      // DLC bytes, 0 to 8
    bool operator==(const Cs2Rahmen &) const = default;
};

// The 13 bytes of a frame; data beyond 8 bytes is cut off.
QByteArray cs2Kodiere(const Cs2Rahmen &rahmen);
// The frame in 13 bytes; nothing for another length or a DLC above 8.
std::optional<Cs2Rahmen> cs2Dekodiere(const QByteArray &bytes);

// The hash of a sender: the two halves of its UID exclusive-or'ed; its bits 7 to 12
// move up by three places and bits 7 to 9 become 1, 1, 0 (from the top), so that
// (hash & 0x0380) == 0x0300 marks a frame of the newer devices.
quint16 cs2Hash(quint32 uid);
// The UID this program sends under.
constexpr quint32 cs2ProgrammUid = 0x54524142; // "TRAB"

// The track protocols of the locomotive UID, in the order of the "Protokoll" choice.
enum class Cs2Protokoll { mm2, dcc, mfx };

// The addresses a protocol takes: MM2 1 to 255, DCC 1 to 10239, mfx 1 to 16383.
struct Cs2Bereich {
    int von = 1;
    int bis = 1;
};
Cs2Bereich cs2Adressbereich(Cs2Protokoll protokoll);
// "MM2", "DCC", "mfx".
QString cs2Protokollname(Cs2Protokoll protokoll);
// The locomotive UID: MM2 the address, DCC 0xC000 + address, mfx 0x4000 + address;
// nothing for an address outside the protocol's range.
std::optional<quint32> cs2LokUid(Cs2Protokoll protokoll, qint64 adresse);

// The highest speed step of the "Fahrstufen" entry 0 to 3 ("14", "27", "28", "128"):
// 14, 27, 28, 126; -1 (no entry) counts as "14".
int cs2HoechsteFahrstufe(int fahrstufenIndex);
// The speed value of a Fahrstufe: limited to 0..hoechste, then step × 1000 / hoechste
// rounded up, so that the station's rounding down gives the decoder that step again.
quint16 cs2Geschwindigkeitswert(qint64 fahrstufe, int hoechste);

// The frames Trabolin sends, priority 0, as 13 bytes each.
QByteArray cs2Pingbefehl(quint16 hash);
QByteArray cs2Fahrbefehl(quint16 hash, quint32 uid, quint16 wert);
QByteArray cs2Richtungsbefehl(quint16 hash, quint32 uid, bool vorwaerts);
QByteArray cs2Funktionsbefehl(quint16 hash, quint32 uid, int nummer, bool an);
// System Go or Stop to every device (UID 0).
QByteArray cs2Systembefehl(quint16 hash, Cs2System unterbefehl);

// Asks the station for its track state: a system frame with DLC 4 and UID 0. The
// station answers with System Stop or Go with the response bit; older firmware not
// at all.
QByteArray cs2Zustandsfrage(quint16 hash);

// An answer to a ping (command 0x18 with the response bit).
bool cs2IstPingantwort(const Cs2Rahmen &rahmen);
// What a system frame of the station with the response bit says about the layout:
// Stop -> off, Go -> on, Halt -> every locomotive stopped, Overload -> short circuit.
// Nothing for every other frame, our own commands without the response bit included.
std::optional<Gleiszustand> cs2Gleiszustand(const Cs2Rahmen &rahmen);

// What an S88 event of the station (command 0x11 with the response bit, DLC 8: device
// id, contact id, both big endian, old state, new state, time) says of a contact: its
// number is the contact id, a new state other than 0 is occupied. An event whose old
// state equals the new one reports a state, not a change (the station sends old = new =
// 1 for a contact that stays occupied). Nothing for every other frame.
struct Cs2Kontaktmeldung {
    int kontakt = 0;
    bool belegt = false;
    bool wechsel = false; // the old state differs from the new one
    bool operator==(const Cs2Kontaktmeldung &) const = default;
};
std::optional<Cs2Kontaktmeldung> cs2Kontaktmeldung(const Cs2Rahmen &rahmen);
// Hands such a report to `melder`: a change as meldeKontakt, a state as meldeKontaktstand.
void cs2MeldeKontakt(const Cs2Kontaktmeldung &meldung, Gleismelder &melder);

// The direction of each locomotive as far as this side knows it: the last direction
// frame with the response bit the station sent (on a command from any controller: its
// wheel, a phone, this program), or the direction this program sent since.
class Cs2Richtungen {
public:
    // A frame this program sends, 13 bytes.
    void gesendet(const QByteArray &bytes);
    // A frame from the station.
    void gelesen(const Cs2Rahmen &rahmen);
    std::optional<bool> vorwaerts(quint32 uid) const;
    void leere() { m_vorwaerts.clear(); }

private:
    void merke(const Cs2Rahmen &rahmen);
    QHash<quint32, bool> m_vorwaerts;
};

// Cuts a byte stream into frames: a frame may come split over several reads, several
// may come in one. A frame whose DLC is above 8 is dropped; the stream stays on its
// 13-byte grid.
class Cs2Leser {
public:
    QList<Cs2Rahmen> fuettere(const QByteArray &bytes);
    // The same cut without taking the frames apart: every whole 13 bytes as they came,
    // a DLC above 8 included (for the traffic log; cs2Dekodiere() drops those).
    QList<QByteArray> zerlege(const QByteArray &bytes);
    // Forgets a half-received frame (a new connection starts afresh).
    void leere() { m_rest.clear(); }
    qsizetype offen() const { return m_rest.size(); }

private:
    QByteArray m_rest;
};

} // namespace trabolin

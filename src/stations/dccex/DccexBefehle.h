#pragma once
// The DCC-EX command station's text commands and the splitting of what it answers.
// A command is "<" opcode parameters ">"; the program writes each one as its own write,
// followed by a line feed. The station answers in the same brackets, also unasked
// (broadcasts), and may mix its own diagnostic lines "<* ... *>" in between; older
// firmware breaks those over several lines.
#include "program/Gleiszustand.h"
#include "stations/Kontaktmeldung.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace trabolin {

// Locomotive addresses DCC-EX drives: 1 to 10239. 0 would reach every locomotive.
inline constexpr qint64 dccexKleinsteAdresse = 1;
inline constexpr qint64 dccexGroessteAdresse = 10239;
// Highest speed step of the 128-step mode (0 stop, 1 to 126 driving).
inline constexpr qint64 dccexHoechsteFahrstufe = 126;
// The TCP port of the network variants (WiFi, Ethernet).
inline constexpr quint16 dccexStandardPort = 2560;

bool dccexAdresseGueltig(qint64 adresse);

// "<t ADDR SPEED DIR>\n": the speed held within 0 to 126, DIR 1 forwards for the units
// "M" and "S", 0 for every other unit. Nothing for an address outside 1 to 10239.
std::optional<QByteArray> dccexFahrbefehl(qint64 adresse, qint64 fahrstufe, const QString &einheit);

// "<F ADDR N 1>\n" or "<F ADDR N 0>\n" for function N (0 is the light). Nothing for an
// address outside 1 to 10239.
std::optional<QByteArray> dccexFunktionsbefehl(qint64 adresse, int funktion, bool an);

// Track power: "<1>\n" on, "<0>\n" off.
QByteArray dccexPowerbefehl(bool an);

// "<s>\n": asks for the station's status; it answers with "<iDCC-EX ...>".
QByteArray dccexStatusbefehl();

// "<#>\n": asks for the number of locomotive slots, answered "<# n>" at once. The
// cheapest question of the 5.x firmware: over the network it shows the station lives.
QByteArray dccexLebenszeichen();

// "<Q>\n": asks for the state of every sensor, answered "<Q id>" or "<q id>" each.
QByteArray dccexKontaktfrage();

// A sensor's state: "<Q id>" active (the contact occupied), "<q id>" inactive, as the
// station sends it unasked on every change and in answer to "<Q>" and "<s>". A "Q"
// with three numbers ("<Q 12 30 1>", the answer to "<S>") is the definition of sensor
// 12 on pin 30 and no state: nothing then, nor for anything else.
std::optional<Kontaktmeldung> dccexKontakt(const QByteArray &rahmen);

// What an answer of the station says, as far as the program looks at it.
enum class DccexArt {
    kennung,  // "<iDCC-EX V-5.0.0 / MEGA / ...>": the station is up and answers
    abgelehnt, // "<X>": the station refused the last command
    gleisAn,  // "<p1>", "<p1 MAIN>", ...
    gleisAus, // "<p0>", "<p0 PROG>", ...
    lok,      // "<l CAB REG SPEED FUNCTIONS>": the state of a locomotive
    meldung,  // "<* ... *>": a diagnostic line of the station
    sonstige, // any other answer
    muell,    // text outside the brackets, or a frame that broke off
};

struct DccexAntwort {
    DccexArt art = DccexArt::sonstige;
    QString text; // the frame with its brackets, e.g. "<p1 MAIN>"; for muell the bytes as text
};

// The kind of one whole frame "<...>".
DccexArt dccexArt(const QByteArray &rahmen);


// Cuts the received byte stream into answers. Frames may arrive in any pieces; text
// outside the brackets (a boot message, line ends, noise at a wrong baud rate) is
// handed out as muell, blanks and line ends alone are dropped. Memory stays bounded:
// a frame longer than laengsterRahmen is no frame, and a run of noise is handed out
// once it reaches that length.
class DccexZerleger {
public:
    static constexpr qsizetype laengsterRahmen = 512;

    QList<DccexAntwort> fuettere(const QByteArray &bytes);
    // Drops what is pending (a new link or a reset station starts afresh).
    void leere();

private:
    void gibMuellAus(QList<DccexAntwort> &aus);

    QByteArray m_rahmen; // the frame being gathered, from its "<"
    QByteArray m_muell;  // text outside frames, not yet handed out
};

} // namespace trabolin

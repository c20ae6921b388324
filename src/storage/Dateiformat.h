#pragma once
// The settings file "Trabolin.ini" and the program files: their bytes, and the
// values and table they stand for. No window here; the window gathers and applies.
//
// Encoding: the files are 8-bit text. They are read and written as Latin-1, which
// agrees with the Windows code page 1252 for every character the program itself
// writes (all fixed texts are ASCII) and for the usual German letters a user may
// type into the address or host fields. A character without a Latin-1 code is
// written as "?".
#include "program/Tabelle.h"
#include "program/Fehler.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

#include <array>
#include <optional>

namespace trabolin {

// Error numbers of the file reads, as the central error report shows them.
namespace dateifehler {
inline constexpr int typUnvertraeglich = 13; // line 50 is no number
inline constexpr int nichtGefunden = 53;     // the file does not exist
inline constexpr int hinterDateiende = 62;   // the file ends before a line it needs
inline constexpr int zugriff = 75;           // the file exists but cannot be opened
} // namespace dateifehler

using Tabellenzeile = std::array<QString, anzahlZellen>;
using Tabelleninhalt = std::array<Tabellenzeile, anzahlZeilen>;

// The row line of a table line: 11 characters at fixed places (duration 2, unit 1,
// speed step 3, light and functions 1 each). A program file writes the unit in
// upper case, the settings file as entered.
QString kodiereZeile(const Tabellenzeile &zellen, bool einheitGross = false);
// Decodes a row line by its fixed places; a line shorter than 11 characters reads
// its missing places as empty texts.
Tabellenzeile dekodiereZeile(QStringView zeile);

// Every value of the settings file, as the window shows it.
struct Einstellungen {
    Tabelleninhalt tabelle;
    QString adresse;
    QString port, baudrate, parity, datenbits, stopbits;
    QString zentrale;
    bool usb = false;
    QString ecosPort, ecosAdresse;
    // The settings after line 56, each written as an empty line, "[label]" and the
    // value line: label and value, in file order.
    QList<std::pair<QString, QString>> weitere;
    // The value of `label` after line 56, or `vorgabe` when the file has none.
    QString weiterer(const QString &label, const QString &vorgabe = {}) const;
};

// A driving program after the first, as the settings file keeps it after line 56 in
// labelled pairs: "[Fahrprogramm 2]" and its address (on the ECoS its ID),
// "[Fahrprogramm 2 Endlosschleife]" 1 or 0, "[Fahrprogramm 2 Datei]" its program file
// (empty for none) and "[Fahrprogramm 2 Zeile 1]" to "... Zeile 25", the row lines as
// the settings file writes them (the unit as entered). An older reader skips them and
// drives the first program; the first program stays in lines 1 to 56.
struct Fahrprogrammdaten {
    QString adresse;
    bool endlos = false;
    QString datei;
    Tabelleninhalt tabelle;
};

// The label of the number of the program shown when the window closed, written only
// when there are several.
inline const QString aktuellesFahrprogrammLabel = QStringLiteral("Fahrprogramm aktuell");
// The window's language as the user chose it in "Sprache / Language": "de" or "en".
// Without it the system's language decides.
inline const QString spracheLabel = QStringLiteral("Sprache");

// "Fahrstufe in km/h" of program `nummer` (1 and up), kept after line 56 as
// "[Fahrprogramm 1 km/h]" and "1", only while it is ticked.
inline QString kmhLabel(int nummer) { return QStringLiteral("Fahrprogramm %1 km/h").arg(nummer); }

// The pairs of program `nummer` (2 and up), in the order the file keeps them.
QList<std::pair<QString, QString>> fahrprogrammPaare(int nummer, const Fahrprogrammdaten &programm);
// Programs 2 and up from the settings after line 56, up to the first number missing;
// a line missing in them reads empty.
QList<Fahrprogrammdaten> leseFahrprogramme(const Einstellungen &werte);

// File lines that carry the values (the line of each value in the settings file).
namespace einstellungszeile {
inline constexpr int adresse = 29, port = 32, baudrate = 35, parity = 38, datenbits = 41,
                     stopbits = 44, zentrale = 47, usb = 50, ecosPort = 53, ecosAdresse = 56;
inline constexpr int anzahl = 56;
inline constexpr int tabelle(int zeile) { return zeile + 1; } // table line 1 stands in line 2
} // namespace einstellungszeile

// How far a read of the settings file got: the values of file lines 1 to
// `gueltigBis` were read and are to be applied in file order; values on later lines
// are not (they hold their defaults here). `fehler` is the failure that stopped the
// read, or none when all 56 lines were read.
struct Einstellungslesung {
    Einstellungen werte;
    int gueltigBis = 0;
    Fehler fehler;
    bool gilt(int dateizeile) const { return dateizeile <= gueltigBis; }
};

// Reads the settings file from an open device. Blank value lines of the five
// serial settings get their defaults ("1", "9600", "N", "8", "1"). After line 56
// every "[label]" line with a line after it gives a further setting; the file may
// end at line 56.
Einstellungslesung leseEinstellungen(QIODevice &geraet, const QString &name = {});
Einstellungslesung leseEinstellungen(const QByteArray &bytes);
// The exact bytes of the settings file: 56 lines and three for each further
// setting, each ending in CR LF.
QByteArray schreibeEinstellungen(const Einstellungen &werte);

// Reads a program file (or the first 26 lines of a settings file). Nothing when the
// data end before line 26; `fehlendeZeile` then names the first missing line.
std::optional<Tabelleninhalt> leseProgramm(QIODevice &geraet, int *fehlendeZeile = nullptr);
std::optional<Tabelleninhalt> leseProgramm(const QByteArray &bytes, int *fehlendeZeile = nullptr);
// The exact bytes of a program file: 26 lines, each ending in CR LF, units upper case.
QByteArray schreibeProgramm(const Tabelleninhalt &tabelle);

// Copies the table store into a Tabelleninhalt and back.
Tabelleninhalt tabelleAus(const Tabellenspeicher &speicher);
void tabelleNach(Tabellenspeicher &speicher, const Tabelleninhalt &inhalt);

// Writes the bytes so that the old file is replaced only by a complete new one: a
// failed or interrupted write leaves the old file as it was. Returns an empty text
// on success, otherwise a German message that names the file and the cause.
QString speichereDatei(const QString &pfad, const QByteArray &bytes);

// Opens a file for reading, or gives the error to report (53 missing, 75 no access).
Fehler oeffneZumLesen(QFile &datei);

} // namespace trabolin

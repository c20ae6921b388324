#pragma once
// What the layout says about itself: whether the track has power, and whether the
// link to the command station still stands. Each station's driver or link reads it
// from its own replies and broadcasts and reports it through one `Gleismelder`; the
// run logic ends a run on it and the window shows it beside the power buttons.
#include <QString>

namespace trabolin {

enum class Gleiszustand {
    unbekannt,          // the station tells nothing (6021, IntelliBox, MasterControl) or has not yet
    an,                 // track power on, normal operation
    aus,                // track power off: the station's stop button, "Power of&f", an overload
    kurzschluss,        // switched off by the station's short-circuit protection
    nothalt,            // every locomotive stopped by the station; the track may still have power
    programmiermodus,   // the main track is off while the station programs a decoder
    verbindungVerloren, // the link to the station is gone or no longer answers
};

// The indicator's text, which is also its accessible name: "Gleis: an", "Gleis: aus"
// (for the programming mode too), "Kurzschluss", "Nothalt", "Verbindung verloren",
// "unbekannt".
QString gleisanzeigeText(Gleiszustand zustand);

// True for the states in which a locomotive must not be sent a speed: a run or a
// single line ends on them, and neither may start while one of them is shown. A
// speed sent now would be kept by the station and take effect when someone switches
// the power on again.
bool sperrtFahrt(Gleiszustand zustand);

// A message box's title and text.
struct Gleismeldung {
    QString titel;
    QString text;
};

// The message after a run or a single line that the layout ended. A lost link has
// none here: each link tells of its own loss.
Gleismeldung gleisHaltMeldung(Gleiszustand zustand);

// The message when "starten" or "aktuelle Zeile" is refused in such a state;
// `zentrale` names the station in the text of a lost link ("Die Verbindung zur " +
// zentrale + " ist abgebrochen !"); `seriell`: it is reached through the serial
// port, which has no connect button but "Parameter setzen".
Gleismeldung gleisSperrMeldung(Gleiszustand zustand, const QString &zentrale, bool seriell = false);

// Where a station's driver or link reports what the layout says: its track state
// and its feedback contacts. A report of the state already known changes nothing;
// every report is made on the window's thread as the reply or broadcast is read.
// Contacts are numbered from 1 as the station's own user interface counts them.
class Gleismelder {
public:
    virtual ~Gleismelder() = default;
    virtual void meldeGleiszustand(Gleiszustand zustand) = 0;
    // A contact's change that the station reported by itself (an event): `belegt`
    // is its new state. From an unknown state a change to occupied counts as one.
    virtual void meldeKontakt(int nummer, bool belegt) { (void)nummer, (void)belegt; }
    // A contact's state as the station answered a question for it (at connect, or a
    // poll): from an unknown state it only sets the state, since the contact may have
    // been occupied all along.
    virtual void meldeKontaktstand(int nummer, bool belegt) { (void)nummer, (void)belegt; }
};

} // namespace trabolin

#pragma once
// How a pass reads one line of the driving program, and what a pass from a given
// line adds up to. A station reads the cells by the rules of its family and adds its
// own pauses inside a line; the passes and the times shown in the window both read
// the table through leseProgrammzeile, so what is shown is what is driven.
#include "program/Tabelle.h"

#include <QList>
#include <array>

namespace trabolin {

// When a function cell counts as switched on.
enum class Schaltregel {
    belegt,     // any text, a single blank too
    nichtBlank, // any text that is more than blanks
    nurX,       // exactly "X"
};

// The two ways the stations read a line.
enum class Zeilenregeln {
    // The DCC stations: only an empty "Dauer" ends the pass, its number counts with
    // blanks ignored, "s"/"S" are seconds and every other unit minutes, "S"/"M" drive
    // forwards and every other unit backwards; a line whose "Dauer" is 0 is passed
    // over: nothing goes out, nothing is waited.
    dcc,
    // The 6051 interface and the IntelliBox: a "Dauer" of blanks ends the pass, it
    // counts only when the whole cell is a number, "s"/"S" are seconds and "m"/"M"
    // minutes, "f"/"F" stops, waits "Dauer" seconds and changes the direction, any
    // other unit drives nothing; every line goes out, one with "Dauer" 0 too.
    // On both, "k"/"K" drive until the contact "Dauer" reports occupied; on the DCC
    // stations "K" forwards and "k" backwards, on the others in the direction kept.
    maerklin,
};

// How one station reads a line, and the pauses it puts inside a line. The station's
// driver waits these pauses; the length of a pass is reckoned from them.
struct Lesart {
    Zeilenregeln regeln = Zeilenregeln::dcc;
    Schaltregel licht = Schaltregel::nurX;      // "Fu"
    Schaltregel funktionen = Schaltregel::nurX; // "F1" to "F4"
    int pauseMs = 0;       // one pause between the commands of a line
    int pausen = 0;        // pauses in each line of a pass
    int pausenEinzel = 0;  // pauses in a single line ("aktuelle Zeile ")
    int nachWechselMs = 0; // after a change of direction ("f"/"F" on the 6051 path)
};

struct Lokprofil;

// What the locomotive's measured profile adds to the reading of a line: distance
// lines ("W"/"w") take their time from it, and with `kmh` ("Fahrstufe in km/h") the
// "Fahrstufe" of a line that drives is a speed in scale km/h, driven at the step whose
// measured speed in the line's direction comes nearest. Without a profile a distance
// line waits nothing (a run refuses such a table before it starts) and "Fahrstufe"
// stays a step.
struct Fahrmass {
    const Lokprofil *profil = nullptr;
    bool kmh = false;
};

// One line as a pass reads it.
struct Programmzeile {
    int nummer = 0;       // 1 to 25
    bool ende = false;    // the pass ends at this line; none of it goes out
    bool faehrt = false;  // the line goes out in a pass
    qint64 dauer = 0;     // "Dauer" as a whole number
    QString einheit;      // "Einheit" as typed
    bool richtungswechsel = false; // "f"/"F" on the 6051 path
    bool vorwaerts = false;        // the DCC direction: "S" and "M"
    qint64 fahrstufe = 0;          // "Fahrstufe" as a number
    QString fahrstufeText;         // "Fahrstufe" as typed
    // The speed step the locomotive runs at once the line's commands are out, as far
    // as the station takes it (DCC: 0 to 127; a change of direction stops); -1 for a
    // line that leaves the speed as it was.
    int stufe = -1;
    bool licht = false;            // "Fu"
    std::array<bool, 4> f{};       // "F1" to "F4"
    // The wait after the line's commands: "Dauer" in its unit, on the 6051 path the
    // stop before a change of direction ("Dauer" seconds, blanks ignored, to the
    // millisecond), 0 for a unit that drives nothing. May be negative for a negative
    // "Dauer"; the wait then returns at once.
    int warteMs = 0;
    int gesamtMs = 0; // all the line takes in a pass: pauses and waits; 0 when it does not go out
    // A contact line ("k"/"K"): the number of the contact whose report ends it, in
    // place of a wait (warteMs is 0, gesamtMs holds only its pauses). 0 otherwise.
    int kontakt = 0;
    // A distance line ("W"/"w"): its distance in cm, 1 to 9999; warteMs is the time
    // the profile's speed at its step and direction takes for it. 0 otherwise. The
    // direction of its speed column is the letter's case on every station ("W"
    // forwards); on the 6051 path the locomotive keeps the direction it has.
    int streckeCm = 0;
};

// The time a locomotive at `mmProS` takes for `cm` centimetres, to the millisecond;
// 0 when it does not move.
int streckenzeitMs(int cm, double mmProS);

Programmzeile leseProgrammzeile(const Tabellenspeicher &tabelle, int zeile, const Lesart &lesart,
                                const Fahrmass &mass = {});

// The time a single line takes, from its first command to its last wait, without the
// commands that end it.
qint64 ermittleEinzelzeileMs(const Programmzeile &zeile, const Lesart &lesart);

// One pass from a start line: the lines up to the one that ends it (or line 25).
struct Durchlauf {
    int startzeile = 1;
    QList<Programmzeile> zeilen; // every line read, the ending one not included
    int gefahren = 0;            // lines that go out
    qint64 gesamtMs = 0;         // their time, without the commands at the end of the pass
    qint64 hoechsteFahrstufe = 0; // of the lines that go out, at least 0
};

Durchlauf ermittleDurchlauf(const Tabellenspeicher &tabelle, int startzeile, const Lesart &lesart,
                            const Fahrmass &mass = {});

// The time left in a pass while `zeile` is being driven and `msInZeile` of it have
// passed. A line that has run over its time counts as done, no more.
qint64 ermittleRestMs(const Durchlauf &durchlauf, int zeile, qint64 msInZeile);

// A duration rounded down to whole seconds: "m:ss", from one hour "h:mm:ss".
QString ermittleDauertext(qint64 ms);

} // namespace trabolin

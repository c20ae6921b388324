#pragma once
// What a DCC-EX station says about its track outputs, read for the one thing a run
// needs: whether the main track, where the locomotive drives, has power. Firmware 5.x
// reports power per output ("<p1 A>", "<p0 B>") and as a summary ("<p1 MAIN>",
// "<p1 JOIN>", "<p0>"), names the outputs on "<=>" ("<= A MAIN>", "<= B PROG>"), and
// tells of an overload only in a diagnostic frame, switching the output on again by
// itself after a pause. The programming track (and any output that is no main track)
// may switch off without the run noticing; a main track that switches off or
// overloads ends the run.
#include "program/Gleiszustand.h"

#include <QByteArray>
#include <QMap>

#include <optional>

namespace trabolin {

// "<=>\n": asks the station which output drives which track.
QByteArray dccexGleisfrage();

// An overload diagnostic "<* ... POWER OVERLOAD ... *>" in any of the firmware's
// wordings: the output it names ('A' to 'H'; a number counts from 0 = 'A'), 'M' for
// "MAIN TRACK", 'P' for "PROG TRACK". Nothing for any other frame.
std::optional<char> dccexUeberlast(const QByteArray &rahmen);

class DccexGleise {
public:
    // Reads one frame. The state of the main track when the frame tells of it: on,
    // off or short circuit; nothing for a frame that does not concern the main track.
    std::optional<Gleiszustand> lies(const QByteArray &rahmen);
    // Forgets what the station said: a new link or a reset station starts with
    // A as the main track and B as the programming track, their power unknown.
    void vergiss();
    // Whether output `ausgang` ('A' to 'H') drives a main track now.
    bool istHauptgleis(char ausgang) const;

private:
    // The main track's state from the outputs' power: off as soon as one main
    // output is off.
    Gleiszustand hauptgleis() const;

    QMap<char, QByteArray> m_art;  // the output's track mode as named by "<=>": MAIN, PROG, NONE, DC ...
    QMap<char, bool> m_strom;      // the output's power as last reported
};

} // namespace trabolin

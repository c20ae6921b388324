#pragma once
// The pass that the DCC stations share (Lenz, ECoS and those that follow): the line
// loop with its reading of the cells, the remembered unit, the stop rules and the
// end of a pass. A station supplies only what goes on the wire for a line, for the
// end of a pass and for a stop.
#include "program/Laufkontext.h"
#include "program/Programmzeile.h"
#include "program/Zentralentreiber.h"

namespace trabolin {

class DccTreiber : public Zentralentreiber {
public:
    // `lesart`: the station's rules for the cells and its pauses inside a line.
    DccTreiber(Laufkontext &lauf, const Lesart &lesart) : m_lauf(lauf), m_lesart(lesart) {}

    // From `startzeile` on, each line as leseProgrammzeile reads it: an exactly empty
    // "Dauer" ends the pass (a blank is not empty); a "Dauer" of 0 or less is skipped
    // without a send or a wait; a raised stop flag sends the halt (when the layout
    // raised it, speed 0 in the direction of the last line driven) and ends the run;
    // otherwise the line goes out, its duration is waited out and the running time
    // shown. The pass ends with the locomotive at speed 0: at an empty "Dauer" and
    // after line 25.
    Passergebnis fahrePass(int startzeile) final;
    // The pass plays the end sound and the run plays it once more (the second play
    // restarts it).
    void programmende() override { m_lauf.spieleEndsignal(); }

protected:
    // One command of a station behind a link: nothing once the window closes (the stop
    // has gone out and nothing may follow it); when `senden` finds no link, the window
    // is told through nichtVerbunden and the handler ends. True when it went out.
    template <typename Senden>
    bool sendeUeberLink(Senden senden)
    {
        if (m_lauf.beendet())
            return false;
        if (senden())
            return true;
        if (nichtVerbunden)
            nichtVerbunden();
        return false;
    }

    // Before the first line of a pass.
    virtual void beginnePass() {}
    // What goes on the wire for a line, with the pauses between its commands (each
    // m_lesart.pauseMs, m_lesart.pausen of them); the pass waits out the line's
    // duration afterwards. False when it could not go out: the run ends without an
    // end sound.
    virtual bool sendeFahrt(const Programmzeile &zeile) = 0;
    // The end of a pass: speed 0, in the direction of `einheit` (the remembered unit)
    // where the station carries one. False when it could not go out.
    virtual bool sendePassende(const QString &einheit) = 0;
    // The halt at the next line after a stop. False when it could not go out.
    virtual bool sendeHalt() = 0;

    Laufkontext &m_lauf;
    const Lesart m_lesart;

private:
    QString m_gefahreneEinheit; // the unit of the last line driven in this run
};

} // namespace trabolin

#pragma once
// What the DCC stations share: the pass, with the line loop and its reading of the
// cells, the remembered unit, the stop rules and the end of a pass; and the single
// line, read, sent, waited out and stopped. A station supplies only what goes on the
// wire for a line, for the end of a pass or a single line and for a stop.
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
    QCoro::Task<Passergebnis> fahrePass(int startzeile, Lok lok) final;
    // The pass plays the end sound and the run plays it once more (the second play
    // restarts it).
    QCoro::Task<> programmende() override
    {
        m_lauf.spieleEndsignal();
        co_return;
    }

    // Nothing by default: the pass sends the station's halt at its next line, at once.
    // A station with a command pending in its own buffer during the wait sends it here.
    void stoppNachWarten() override {}

    // "aktuelle &Zeile ": the current line goes out as in a pass but with the single
    // line's pauses, its duration is waited out, then the station's stop follows
    // (sendeZeilenende). False as soon as something could not go out.
    QCoro::Task<bool> sendeZeile(Lok lok) final;
    // The line's commands as a single line sends them, without its wait.
    QCoro::Task<bool> fahreLok(Lok lok, Programmzeile zeile) final
    {
        m_lok = std::move(lok);
        if (!beginneZeile())
            co_return false;
        const bool raus = co_await sendeFahrt(zeile, true);
        co_return raus;
    }

protected:
    // One command of a station behind a link, for `lok`, with what it does to it:
    // nothing once the window closes (the stop has gone out and nothing may follow
    // it); nothing, but counted as sent, when the stop latch holds it back; when
    // `senden` finds no link, the window is told through nichtVerbunden and the
    // handler ends. True when it went out or was held back.
    template <typename Senden>
    bool sendeUeberLink(const Lok &lok, Wirkung wirkung, Senden senden)
    {
        if (m_lauf.beendet())
            return false;
        if (!m_lauf.durchlassen(*this, lok, wirkung))
            return true;
        if (senden())
            return true;
        if (nichtVerbunden)
            nichtVerbunden();
        return false;
    }

    // Before the first line of a pass; `neuerLauf`: the first pass of a run.
    virtual void beginnePass(bool neuerLauf) { (void)neuerLauf; }
    // Before a single line is read. False when it cannot go out (the user has been
    // told why): nothing is sent and nothing rings.
    virtual bool beginneZeile() { return true; }
    // What goes on the wire for a line, with the pauses between its commands (each
    // m_lesart.pauseMs, pausen(einzeln) of them); `einzeln`: the line goes out on its
    // own ("aktuelle &Zeile "), not in a pass. The line's duration is waited out
    // afterwards. False when it could not go out: the run or line ends without a sound.
    virtual QCoro::Task<bool> sendeFahrt(const Programmzeile &zeile, bool einzeln) = 0;
    // The end of a pass: speed 0, in the direction of `einheit` (the remembered unit)
    // where the station carries one. False when it could not go out.
    virtual bool sendePassende(const QString &einheit) = 0;
    // The halt at the next line after a stop. False when it could not go out.
    virtual bool sendeHalt() = 0;
    // The stop after a single line: as at the end of a pass, in the direction of the
    // line's unit where the station carries one. False when it could not go out.
    virtual bool sendeZeilenende(const Programmzeile &zeile) { return sendePassende(zeile.einheit); }

    // The pauses inside a line: those of a pass, or of a single line.
    int pausen(bool einzeln) const { return einzeln ? m_lesart.pausenEinzel : m_lesart.pausen; }
    // `anzahl` pauses of m_lesart.pauseMs.
    QCoro::Task<> pausiere(int anzahl)
    {
        for (int i = 0; i < anzahl; ++i)
            co_await m_lauf.subWarten(m_lesart.pauseMs);
    }

    Laufkontext &m_lauf;
    const Lesart m_lesart;
    Lok m_lok; // the locomotive of the pass or single line, as taken at its start

private:
    QString m_gefahreneEinheit; // the unit of the last line driven in this run
};

} // namespace trabolin

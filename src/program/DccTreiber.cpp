#include "program/DccTreiber.h"

#include "program/Zahlen.h"

namespace trabolin {

Passergebnis DccTreiber::fahrePass(int startzeile)
{
    using Ende = Passergebnis::Ende;
    Tabellenspeicher &tabelle = m_lauf.tabelle();
    if (m_lauf.gemerkteEinheit().isEmpty()) // a new run
        m_gefahreneEinheit.clear();
    beginnePass();
    bool gefahren = false;
    for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
        const QString dauerText = tabelle.zelle(zeile, 1);
        const QString einheit = tabelle.zelle(zeile, 2);
        if (dauerText.isEmpty())
            break;
        m_lauf.gemerkteEinheit() = einheit;
        const qint64 dauer = leseGanzzahl(dauerText, Leerzeichen::ueberall);
        if (dauer <= 0)
            continue;
        if (m_lauf.stopp()) {
            // When the layout ended the run, the locomotive keeps its direction.
            const bool raus = m_lauf.haltDurchAnlage() ? sendePassende(m_gefahreneEinheit) : sendeHalt();
            return {raus ? Ende::gestoppt : Ende::abgebrochen, gefahren};
        }
        tabelle.setzeAktuelleZeile(zeile);
        if (!sendeFahrt(zeile))
            return {Ende::abgebrochen, gefahren};
        m_gefahreneEinheit = einheit;
        m_lauf.subWarten(wartezeitMs(dauer, einheit));
        if (m_lauf.beendet())
            return {Ende::abgebrochen, gefahren};
        m_lauf.aktualisiereLaufzeit();
        gefahren = true;
    }
    if (!sendePassende(m_lauf.gemerkteEinheit()))
        return {Ende::abgebrochen, gefahren};
    return {Ende::regulaer, gefahren};
}

} // namespace trabolin

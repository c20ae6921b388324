#include "program/DccTreiber.h"

namespace trabolin {

Passergebnis DccTreiber::fahrePass(int startzeile)
{
    using Ende = Passergebnis::Ende;
    Tabellenspeicher &tabelle = m_lauf.tabelle();
    const bool neuerLauf = m_lauf.gemerkteEinheit().isEmpty();
    if (neuerLauf)
        m_gefahreneEinheit.clear();
    beginnePass(neuerLauf);
    bool gefahren = false;
    for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
        const Programmzeile z = leseProgrammzeile(tabelle, zeile, m_lesart);
        if (z.ende)
            break;
        m_lauf.gemerkteEinheit() = z.einheit;
        if (!z.faehrt)
            continue;
        if (m_lauf.stopp()) {
            // When the layout ended the run, the locomotive keeps its direction.
            const bool raus = m_lauf.haltDurchAnlage() ? sendePassende(m_gefahreneEinheit) : sendeHalt();
            return {raus ? Ende::gestoppt : Ende::abgebrochen, gefahren};
        }
        tabelle.setzeAktuelleZeile(zeile);
        if (!sendeFahrt(z, false))
            return {Ende::abgebrochen, gefahren};
        m_gefahreneEinheit = z.einheit;
        m_lauf.subWarten(z.warteMs);
        if (m_lauf.beendet())
            return {Ende::abgebrochen, gefahren};
        m_lauf.aktualisiereLaufzeit();
        gefahren = true;
    }
    if (!sendePassende(m_lauf.gemerkteEinheit()))
        return {Ende::abgebrochen, gefahren};
    return {Ende::regulaer, gefahren};
}

bool DccTreiber::sendeZeile()
{
    if (!beginneZeile())
        return false;
    const Tabellenspeicher &tabelle = m_lauf.tabelle();
    const Programmzeile z = leseProgrammzeile(tabelle, tabelle.aktuelleZeile(), m_lesart);
    if (!sendeFahrt(z, true))
        return false;
    m_lauf.subWarten(z.warteMs);
    return sendeZeilenende(z);
}

} // namespace trabolin

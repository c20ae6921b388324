#include "program/DccTreiber.h"


namespace trabolin {

Passergebnis DccTreiber::fahrePass(int startzeile)
{
    using Ende = Passergebnis::Ende;
    Tabellenspeicher &tabelle = m_lauf.tabelle();
    beginnePass();
    bool gefahren = false;
    for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
        const Programmzeile z = leseProgrammzeile(tabelle, zeile, m_lesart);
        if (z.ende)
            break;
        m_lauf.gemerkteEinheit() = z.einheit;
        if (!z.faehrt)
            continue;
        if (m_lauf.stopp())
            return {sendeHalt() ? Ende::gestoppt : Ende::abgebrochen, gefahren};
        tabelle.setzeAktuelleZeile(zeile);
        if (!sendeFahrt(z))
            return {Ende::abgebrochen, gefahren};
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

} // namespace trabolin

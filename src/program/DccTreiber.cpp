#include "program/DccTreiber.h"

#include "program/Zahlen.h"

namespace trabolin {

Passergebnis DccTreiber::fahrePass(int startzeile)
{
    using Ende = Passergebnis::Ende;
    Tabellenspeicher &tabelle = m_lauf.tabelle();
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
        if (m_lauf.stopp())
            return {sendeHalt() ? Ende::gestoppt : Ende::abgebrochen, gefahren};
        tabelle.setzeAktuelleZeile(zeile);
        if (!sendeFahrt(zeile))
            return {Ende::abgebrochen, gefahren};
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

#include "program/DccTreiber.h"

namespace trabolin {

QCoro::Task<Passergebnis> DccTreiber::fahrePass(int startzeile, Lok lok)
{
    m_lok = std::move(lok);
    using Ende = Passergebnis::Ende;
    Tabellenspeicher &tabelle = m_lauf.tabelle();
    const bool neuerLauf = m_lauf.gemerkteEinheit().isEmpty();
    if (neuerLauf)
        m_gefahreneEinheit.clear();
    beginnePass(neuerLauf);
    bool gefahren = false;
    for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
        const Programmzeile z = m_lauf.liesZeile(zeile, m_lesart);
        if (z.ende)
            break;
        m_lauf.gemerkteEinheit() = z.einheit;
        if (!z.faehrt)
            continue;
        if (m_lauf.stopp()) {
            // When the layout ended the run, the locomotive keeps its direction.
            const bool raus = m_lauf.haltDurchAnlage() ? sendePassende(m_gefahreneEinheit) : sendeHalt();
            co_return Passergebnis{raus ? Ende::gestoppt : Ende::abgebrochen, gefahren};
        }
        tabelle.setzeAktuelleZeile(zeile);
        if (!co_await sendeFahrt(z, false))
            co_return Passergebnis{Ende::abgebrochen, gefahren};
        m_gefahreneEinheit = z.einheit;
        co_await m_lauf.warteZeileAus(z.kontakt, z.warteMs);
        if (m_lauf.beendet())
            co_return Passergebnis{Ende::abgebrochen, gefahren};
        m_lauf.aktualisiereLaufzeit();
        gefahren = true;
    }
    if (!sendePassende(m_lauf.gemerkteEinheit()))
        co_return Passergebnis{Ende::abgebrochen, gefahren};
    co_return Passergebnis{Ende::regulaer, gefahren};
}

QCoro::Task<bool> DccTreiber::sendeZeile(Lok lok)
{
    m_lok = std::move(lok);
    if (!beginneZeile())
        co_return false;
    const Tabellenspeicher &tabelle = m_lauf.tabelle();
    const Programmzeile z = m_lauf.liesZeile(tabelle.aktuelleZeile(), m_lesart);
    if (!co_await sendeFahrt(z, true))
        co_return false;
    co_await m_lauf.warteZeileAus(z.kontakt, z.warteMs);
    co_return sendeZeilenende(z);
}

} // namespace trabolin

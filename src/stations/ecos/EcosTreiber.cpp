#include "stations/ecos/EcosTreiber.h"

#include "program/Zahlen.h"
#include "stations/ecos/EcosBefehle.h"

namespace trabolin {

namespace {

EcosFunktionszellen funktionszellen(const Tabellenspeicher &t, int zeile)
{
    return {t.zelle(zeile, 4), t.zelle(zeile, 5), t.zelle(zeile, 6), t.zelle(zeile, 7), t.zelle(zeile, 8)};
}

} // namespace

EcosTreiber::EcosTreiber(Laufkontext &lauf, EcosLink &link) : DccTreiber(lauf), m_link(link) {}

bool EcosTreiber::sende(const QString &text)
{
    if (m_lauf.beendet())
        return false; // the window closes: the stop has gone out and nothing may follow it
    if (m_link.sende(text))
        return true;
    if (nichtVerbunden)
        nichtVerbunden();
    return false;
}

bool EcosTreiber::sendeFahrt(const QString &einheit, const QString &funktionen, const QString &fahrstufe)
{
    if (!sende(ecosRichtung(m_ecosId, einheit)))
        return false;
    m_lauf.subWarten(100);
    if (!sende(funktionen))
        return false;
    m_lauf.subWarten(100);
    return sende(ecosFahrstufe(m_ecosId, fahrstufe));
}

void EcosTreiber::power(int index)
{
    if (m_link.verbunden())
        sende(ecosPower(index));
}

void EcosTreiber::stoppeLok()
{
    if (!m_ecosId.isNull())
        m_link.sende(ecosStopp(m_ecosId));
}

void EcosTreiber::leseLokliste()
{
    if (m_link.verbunden())
        m_link.sende(ecosLokliste());
}

Antwortwertung EcosTreiber::bewerteAntwort(const QString &antwort) const
{
    return bewerteEcosAntwort(antwort);
}

bool EcosTreiber::uebernehmeKontrolle()
{
    m_ecosId = m_lauf.adresseFeld();
    if (!sende(ecosKontrolle(m_ecosId)))
        return false;
    m_lauf.subWarten(200);
    return sende(ecosKontrolle(m_ecosId));
}

// ---------------------------------------------------------------- run and single line

void EcosTreiber::beginnePass()
{
    m_ecosId = m_lauf.adresseFeld();
}

bool EcosTreiber::sendeFahrt(int zeile)
{
    const Tabellenspeicher &t = m_lauf.tabelle();
    return sendeFahrt(t.zelle(zeile, 2), ecosFunktionen(m_ecosId, funktionszellen(t, zeile)),
                      ecosFahrstufentext(t.zelle(zeile, 3)));
}

bool EcosTreiber::sendePassende(const QString &)
{
    return sende(ecosStopp(m_ecosId));
}

bool EcosTreiber::sendeHalt()
{
    return sende(ecosStopp(m_ecosId));
}

bool EcosTreiber::sendeZeile()
{
    Tabellenspeicher &t = m_lauf.tabelle();
    const int zeile = t.aktuelleZeile();
    m_ecosId = m_lauf.adresseFeld();
    const qint64 dauer = leseGanzzahl(t.zelle(zeile, 1));
    const QString einheit = t.zelle(zeile, 2);
    const QString fahrstufe = ecosFahrstufentext(t.zelle(zeile, 3));
    t.setzeAktuelleZeile(zeile);

    if (!sendeFahrt(einheit, ecosFunktionenEinzeln(m_ecosId, funktionszellen(t, zeile)), fahrstufe))
        return false;
    m_lauf.subWarten(wartezeitMs(dauer, einheit));
    if (!sende(ecosStopp(m_ecosId)))
        return false;
    m_lauf.aktualisiereLaufzeit();
    return true;
}

} // namespace trabolin

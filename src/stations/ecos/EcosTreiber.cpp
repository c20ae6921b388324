#include "stations/ecos/EcosTreiber.h"

#include "stations/ecos/EcosBefehle.h"

namespace trabolin {

namespace {

EcosFunktionen funktionen(const Programmzeile &z) { return {z.licht, z.f[0], z.f[1], z.f[2], z.f[3]}; }

} // namespace

EcosTreiber::EcosTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart)
    : DccTreiber(lauf, lesart), m_link(link)
{
}

bool EcosTreiber::sende(const QString &text)
{
    return sendeUeberLink([&] { return m_link.sende(ecosBytes(text)); });
}

bool EcosTreiber::sendeFahrt(const QString &einheit, const QString &funktionen, const QString &fahrstufe)
{
    if (!sende(ecosRichtung(m_ecosId, einheit)))
        return false;
    m_lauf.subWarten(m_lesart.pauseMs);
    if (!sende(funktionen))
        return false;
    m_lauf.subWarten(m_lesart.pauseMs);
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
        m_link.sende(ecosBytes(ecosStopp(m_ecosId)));
}

void EcosTreiber::leseLokliste()
{
    if (m_link.verbunden())
        m_link.sende(ecosBytes(ecosLokliste()));
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

void EcosTreiber::beginnePass(bool)
{
    m_ecosId = m_lauf.adresseFeld();
}

bool EcosTreiber::beginneZeile()
{
    m_ecosId = m_lauf.adresseFeld();
    return true;
}

bool EcosTreiber::sendeFahrt(const Programmzeile &z, bool einzeln)
{
    if (einzeln)
        m_lauf.tabelle().setzeAktuelleZeile(z.nummer);
    const QString funktionstext = einzeln ? ecosFunktionenEinzeln(m_ecosId, funktionen(z))
                                          : ecosFunktionen(m_ecosId, funktionen(z));
    return sendeFahrt(z.einheit, funktionstext, ecosFahrstufentext(z.fahrstufeText));
}

bool EcosTreiber::sendePassende(const QString &)
{
    return sende(ecosStopp(m_ecosId));
}

bool EcosTreiber::sendeHalt()
{
    return sende(ecosStopp(m_ecosId));
}

bool EcosTreiber::sendeZeilenende(const Programmzeile &)
{
    if (!sende(ecosStopp(m_ecosId)))
        return false;
    m_lauf.aktualisiereLaufzeit();
    return true;
}

} // namespace trabolin

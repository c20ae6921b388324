#include "stations/dccex/DccexTreiber.h"

#include "program/Zahlen.h"
#include "stations/dccex/DccexBefehle.h"

namespace trabolin {

DccexTreiber::DccexTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart)
    : DccTreiber(lauf, lesart), m_link(link)
{
}

qint64 DccexTreiber::adresse() const
{
    return leseGanzzahl(m_lauf.adresseFeld(), Leerzeichen::ueberall);
}

bool DccexTreiber::sende(const std::optional<QByteArray> &befehl)
{
    // An address without a command (outside 1 to 10239) sends nothing, but counts as sent.
    return sendeUeberLink([&] { return befehl ? m_link.sende(*befehl) : m_link.verbunden(); });
}

bool DccexTreiber::sendeFahrstufe(qint64 fahrstufe, const QString &einheit)
{
    const qint64 a = adresse();
    const std::optional<QByteArray> befehl = dccexFahrbefehl(a, fahrstufe, einheit);
    if (!sende(befehl))
        return false;
    if (befehl) {
        m_richtungFuer = a;
        m_vorwaerts = istVorwaerts(einheit);
    }
    return true;
}

bool DccexTreiber::sendeFunktionen(const Programmzeile &zeile)
{
    for (int n = 0; n <= 4; ++n)
        if (!sende(dccexFunktionsbefehl(adresse(), n, n == 0 ? zeile.licht : zeile.f[n - 1])))
            return false;
    return true;
}

std::optional<QByteArray> DccexTreiber::haltebefehl() const
{
    const qint64 a = adresse();
    const bool vorwaerts = a == m_richtungFuer ? m_vorwaerts : true;
    return dccexFahrbefehl(a, 0, vorwaerts ? QStringLiteral("S") : QStringLiteral("s"));
}

bool DccexTreiber::sendeFahrt(const Programmzeile &zeile, bool einzeln)
{
    if (!sendeFahrstufe(alsInt16(zeile.fahrstufe), zeile.einheit))
        return false;
    pausiere(pausen(einzeln));
    return sendeFunktionen(zeile);
}

bool DccexTreiber::sendePassende(const QString &einheit)
{
    (void)einheit; // the direction of the last line driven, not of a line skipped
    return sende(haltebefehl());
}

bool DccexTreiber::sendeHalt()
{
    return sende(haltebefehl());
}

void DccexTreiber::power(int index)
{
    m_link.sende(dccexPowerbefehl(index == 1));
}

void DccexTreiber::stoppeLok()
{
    if (const auto befehl = haltebefehl())
        m_link.sende(*befehl);
}

} // namespace trabolin

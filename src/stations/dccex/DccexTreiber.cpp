#include "stations/dccex/DccexTreiber.h"

#include "program/Zahlen.h"
#include "stations/dccex/DccexBefehle.h"

namespace trabolin {

DccexTreiber::DccexTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart)
    : DccTreiber(lauf, lesart), m_link(link)
{
}

qint64 DccexTreiber::adresse(const Lok &lok)
{
    return leseGanzzahl(lok.text, Leerzeichen::ueberall);
}

bool DccexTreiber::sende(const std::optional<QByteArray> &befehl, Wirkung wirkung)
{
    // An address without a command (outside 1 to 10239) sends nothing, but counts as sent.
    return sendeUeberLink(m_lok, wirkung, [&] { return befehl ? m_link.sende(*befehl) : m_link.verbunden(); });
}

bool DccexTreiber::sendeFahrstufe(qint64 fahrstufe, const QString &einheit)
{
    const qint64 a = adresse(m_lok);
    const std::optional<QByteArray> befehl = dccexFahrbefehl(a, fahrstufe, einheit);
    if (!sende(befehl, fahrstufe > 0 ? Wirkung::faehrt : Wirkung::haelt))
        return false;
    if (befehl) {
        m_richtungFuer = a;
        m_vorwaerts = istVorwaerts(einheit);
    }
    return true;
}

bool DccexTreiber::sendeFunktionen(const Programmzeile &zeile)
{
    for (int n = 0; n <= 4; ++n) {
        const bool an = n == 0 ? zeile.licht : zeile.f[n - 1];
        if (!sende(dccexFunktionsbefehl(adresse(m_lok), n, an), an ? Wirkung::stellt : Wirkung::ruhig))
            return false;
    }
    return true;
}

std::optional<QByteArray> DccexTreiber::haltebefehl(const Lok &lok) const
{
    const qint64 a = adresse(lok);
    const bool vorwaerts = a == m_richtungFuer ? m_vorwaerts : true;
    return dccexFahrbefehl(a, 0, vorwaerts ? QStringLiteral("S") : QStringLiteral("s"));
}

QCoro::Task<bool> DccexTreiber::sendeFahrt(const Programmzeile &zeile, bool einzeln)
{
    if (!sendeFahrstufe(alsInt16(zeile.fahrstufe), zeile.einheit))
        co_return false;
    co_await pausiere(pausen(einzeln));
    co_return sendeFunktionen(zeile);
}

bool DccexTreiber::sendePassende(const QString &einheit)
{
    (void)einheit; // the direction of the last line driven, not of a line skipped
    return sende(haltebefehl(m_lok), Wirkung::haelt);
}

bool DccexTreiber::sendeHalt()
{
    return sende(haltebefehl(m_lok), Wirkung::haelt);
}

void DccexTreiber::power(int index)
{
    m_link.sende(dccexPowerbefehl(index == 1));
}

void DccexTreiber::stoppeLok(const Lok &lok)
{
    if (const auto befehl = haltebefehl(lok)) {
        m_lauf.durchlassen(*this, lok, Wirkung::haelt);
        m_link.sende(*befehl);
    }
}

} // namespace trabolin

#include "stations/ecos/EcosTreiber.h"

#include "program/Zahlen.h"
#include "stations/ecos/EcosBefehle.h"

namespace trabolin {

namespace {

EcosFunktionen funktionen(const Programmzeile &z) { return {z.licht, z.f[0], z.f[1], z.f[2], z.f[3]}; }

} // namespace

EcosTreiber::EcosTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart)
    : DccTreiber(lauf, lesart), m_link(link)
{
}

EcosTreiber::EcosTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart,
                         std::shared_ptr<EcosKontrollen> kontrollen)
    : DccTreiber(lauf, lesart), m_link(link), m_kontrollen(std::move(kontrollen))
{
}

bool EcosTreiber::sende(const QString &text, Wirkung wirkung)
{
    return sendeUeberLink(m_lok, wirkung, [&] { return m_link.sende(ecosBytes(text)); });
}

QCoro::Task<bool> EcosTreiber::sendeFahrt(QString einheit, QString funktionen, bool funktionAn, QString fahrstufe)
{
    if (!sende(ecosRichtung(m_ecosId, einheit), Wirkung::stellt))
        co_return false;
    co_await m_lauf.subWarten(m_lesart.pauseMs);
    if (!sende(funktionen, funktionAn ? Wirkung::stellt : Wirkung::ruhig))
        co_return false;
    co_await m_lauf.subWarten(m_lesart.pauseMs);
    const bool faehrt = leseZahl(fahrstufe, Leerzeichen::ueberall) > 0;
    co_return sende(ecosFahrstufe(m_ecosId, fahrstufe), faehrt ? Wirkung::faehrt : Wirkung::haelt);
}

void EcosTreiber::power(int index)
{
    if (m_link.verbunden())
        sende(ecosPower(index), Wirkung::ruhig);
}

void EcosTreiber::stoppeLok(const Lok &lok)
{
    if (lok.text.isNull())
        return;
    m_lauf.durchlassen(*this, lok, Wirkung::haelt);
    m_link.sende(ecosBytes(ecosStopp(lok.text)));
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

QCoro::Task<bool> EcosTreiber::uebernehmeKontrolle(QString kennung)
{
    // Not a command that moves the locomotive: it goes past the stop latch.
    const auto fordere = [&] {
        return sendeUeberLink({kennung}, Wirkung::ruhig, [&] { return m_link.sende(ecosBytes(ecosKontrolle(kennung))); });
    };
    if (!fordere())
        co_return false;
    co_await m_lauf.subWarten(200);
    co_return fordere();
}

QCoro::Task<bool> EcosTreiber::sichereLok(Lok lok)
{
    const QString id = lok.text.trimmed();
    if (!m_kontrollen || m_kontrollen->hat(id))
        co_return true;
    std::optional<bool> erteilt;
    const QMetaObject::Connection antwort = QObject::connect(
        m_kontrollen.get(), &EcosKontrollen::beantwortet, [&](const QString &wer, bool ok) {
            if (wer == id) {
                erteilt = ok;
                m_lauf.weckeWarten();
            }
        });
    // Not a command that moves the locomotive: it goes past the stop latch.
    const bool raus = sendeUeberLink(lok, Wirkung::ruhig, [&] { return m_link.sende(ecosBytes(ecosKontrolle(id))); });
    if (raus)
        co_await m_lauf.warteAufAntwort(kontrollfristMs, [&] { return erteilt.has_value(); });
    QObject::disconnect(antwort);
    if (erteilt.value_or(false))
        co_return true;
    if (raus && !m_lauf.stopp() && !m_lauf.beendet() && hinweis)
        hinweis(erteilt ? tr("Die Ecos gibt ID %1 nicht frei: sie fährt nicht !").arg(id)
                        : tr("Die Ecos antwortet nicht auf die Kontrolle über ID %1: sie fährt nicht !").arg(id));
    co_return false;
}

// ---------------------------------------------------------------- run and single line

void EcosTreiber::beginnePass(bool)
{
    m_ecosId = m_lok.text;
}

bool EcosTreiber::beginneZeile()
{
    m_ecosId = m_lok.text;
    return true;
}

QCoro::Task<bool> EcosTreiber::sendeFahrt(const Programmzeile &z, bool einzeln)
{
    if (einzeln)
        m_lauf.tabelle().setzeAktuelleZeile(z.nummer);
    const QString funktionstext = einzeln ? ecosFunktionenEinzeln(m_ecosId, funktionen(z))
                                          : ecosFunktionen(m_ecosId, funktionen(z));
    const bool an = z.licht || z.f[0] || z.f[1] || z.f[2] || z.f[3];
    co_return co_await sendeFahrt(z.einheit, funktionstext, an, ecosFahrstufentext(z.fahrstufeText));
}

bool EcosTreiber::sendePassende(const QString &)
{
    return sende(ecosStopp(m_ecosId), Wirkung::haelt);
}

bool EcosTreiber::sendeHalt()
{
    return sende(ecosStopp(m_ecosId), Wirkung::haelt);
}

bool EcosTreiber::sendeZeilenende(const Programmzeile &)
{
    if (!sende(ecosStopp(m_ecosId), Wirkung::haelt))
        return false;
    m_lauf.aktualisiereLaufzeit();
    return true;
}

} // namespace trabolin

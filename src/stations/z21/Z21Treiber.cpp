#include "stations/z21/Z21Treiber.h"

#include "program/Zahlen.h"
#include "program/Tabelle.h"
#include "stations/z21/Z21Befehle.h"
#include "stations/z21/Z21Verbindung.h"

namespace trabolin {

Z21Treiber::Z21Treiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart)
    : DccTreiber(lauf, lesart), m_link(link)
{
}

qint64 Z21Treiber::adresse(const Lok &lok)
{
    return leseGanzzahl(lok.text, Leerzeichen::ueberall);
}

Lok Z21Treiber::nimmLok(const QString &text, qint16 nummer) const
{
    Lok lok{text, nummer};
    lok.fahrstufen = m_fahrstufenIndex;
    return lok;
}

std::optional<int> Z21Treiber::stufen(int fahrstufenIndex)
{
    switch (fahrstufenIndex) {
    case -1:
    case 0: return 14; // no entry: the 14 steps the port check selects, as on the Lenz
    case 2: return 28;
    case 3: return 128;
    default: return std::nullopt;
    }
}

bool Z21Treiber::sende(const QByteArray &datagramm, Wirkung wirkung)
{
    return sendeUeberLink(m_lok, wirkung, [&] { return m_link.sende(datagramm); });
}

bool Z21Treiber::modusGeht()
{
    if (m_stufen)
        return true;
    if (hinweis)
        hinweis(tr("Die Z21 kennt keine 27 Fahrstufen, bitte 14, 28 oder 128 wählen !"));
    return false;
}

bool Z21Treiber::sendeFahrstufe(quint8 fahrbyte)
{
    const qint64 a = adresse(m_lok);
    const auto datagramm = z21Fahrbefehl(a, m_stufen.value_or(128), fahrbyte);
    if (!datagramm)
        return true; // an address without coding: nothing goes out, the line's pauses still run
    // The speed bits lie below the direction bit in every mode; 1 is the emergency stop.
    const int stufe = fahrbyte & 0x7F;
    if (!sende(*datagramm, stufe > 1 ? Wirkung::faehrt : Wirkung::haelt))
        return false;
    m_richtungFuer = a;
    m_vorwaerts = fahrbyte & 0x80;
    return true;
}

quint8 Z21Treiber::fahrbyte(const Programmzeile &zeile) const
{
    return z21Fahrbyte(m_stufen.value_or(128), alsInt16(zeile.fahrstufe), istVorwaerts(zeile.einheit));
}

int Z21Treiber::hoechsteFahrstufe() const
{
    return z21HoechsteFahrstufe(stufen(m_fahrstufenIndex).value_or(128));
}

bool Z21Treiber::sendeFunktionen(const Programmzeile &zeile)
{
    for (int f = 0; f <= 4; ++f) {
        const bool an = f == 0 ? zeile.licht : zeile.f[f - 1];
        const auto datagramm = z21Funktionsbefehl(adresse(m_lok), f, an);
        if (!datagramm)
            return true;
        if (!sende(*datagramm, an ? Wirkung::stellt : Wirkung::ruhig))
            return false;
    }
    return true;
}

std::optional<QByteArray> Z21Treiber::haltebefehl(const Lok &lok) const
{
    const qint64 a = adresse(lok);
    const bool vorwaerts = a == m_richtungFuer ? m_vorwaerts : true;
    return z21Fahrbefehl(a, stufen(lok.fahrstufen).value_or(128), vorwaerts ? 0x80 : 0x00);
}

void Z21Treiber::power(int index)
{
    if (m_link.verbunden())
        sendeUeberLink(m_lok, Wirkung::ruhig, [&] { return m_link.sende(z21Gleisspannung(index == 1)); });
}

void Z21Treiber::stoppeLok(const Lok &lok)
{
    // At once and straight to the link: the run is being left behind.
    if (const auto datagramm = haltebefehl(lok)) {
        m_lauf.durchlassen(*this, lok, Wirkung::haelt);
        m_link.sende(*datagramm);
    }
}

Antwortwertung Z21Treiber::bewerteAntwort(const QString &antwort) const
{
    // The link's own reply, German or in the language in effect when it was made.
    const QString muster = Z21Verbindung::verbundenMuster();
    return antwort.startsWith(QStringLiteral("Z21 verbunden")) || antwort.startsWith(muster.left(muster.indexOf(u'%')))
               ? Antwortwertung::ok
               : Antwortwertung::keine;
}

// ---------------------------------------------------------------- run and single line

void Z21Treiber::beginnePass(bool)
{
    m_stufen = stufen(m_lok.fahrstufen);
}

bool Z21Treiber::beginneZeile()
{
    m_stufen = stufen(m_lok.fahrstufen);
    return modusGeht();
}

QCoro::Task<bool> Z21Treiber::sendeFahrt(const Programmzeile &zeile, bool einzeln)
{
    if (!modusGeht() || !sendeFahrstufe(fahrbyte(zeile)))
        co_return false;
    co_await pausiere(pausen(einzeln));
    co_return sendeFunktionen(zeile);
}

bool Z21Treiber::sendePassende(const QString &)
{
    // The direction of the last line driven, not of a line skipped.
    const auto halt = haltebefehl(m_lok);
    return modusGeht() && (!halt || sende(*halt, Wirkung::haelt));
}

bool Z21Treiber::sendeHalt()
{
    return sendePassende({});
}

} // namespace trabolin

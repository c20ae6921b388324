#include "stations/z21/Z21Treiber.h"

#include "program/Zahlen.h"
#include "stations/lenz/LenzTreiber.h"
#include "stations/z21/Z21Befehle.h"

namespace trabolin {

namespace {

qint64 alsZahl(const QString &text) { return leseGanzzahl(text, Leerzeichen::ueberall); }

} // namespace

Z21Treiber::Z21Treiber(Laufkontext &lauf, Z21Link &link) : DccTreiber(lauf), m_link(link) {}

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

bool Z21Treiber::sende(const QByteArray &datagramm)
{
    if (m_lauf.beendet())
        return false; // the window closes: the stop has gone out and nothing may follow it
    if (m_link.sende(datagramm))
        return true;
    if (nichtVerbunden)
        nichtVerbunden();
    return false;
}

bool Z21Treiber::modusGeht()
{
    if (m_stufen)
        return true;
    if (hinweis)
        hinweis(QStringLiteral("Die Z21 kennt keine 27 Fahrstufen, bitte 14, 28 oder 128 wählen !"));
    return false;
}

bool Z21Treiber::sendeFahrstufe(quint8 fahrbyte)
{
    const auto datagramm = z21Fahrbefehl(alsZahl(m_lauf.adresseFeld()), m_stufen.value_or(128), fahrbyte);
    if (!datagramm)
        return true; // an address without coding: nothing goes out, the line's pauses still run
    if (!sende(*datagramm))
        return false;
    m_vorwaerts = fahrbyte & 0x80;
    return true;
}

bool Z21Treiber::sendeFunktionen(int zeile)
{
    const Tabellenspeicher &t = m_lauf.tabelle();
    const qint64 adresse = alsZahl(m_lauf.adresseFeld());
    // The cells read as for the Lenz function byte: any text switches a function on.
    const quint8 bits = lenzFunktionsbyte(t.zelle(zeile, 4), t.zelle(zeile, 5), t.zelle(zeile, 6),
                                          t.zelle(zeile, 7), t.zelle(zeile, 8));
    for (int f = 0; f <= 4; ++f) {
        const auto datagramm = z21Funktionsbefehl(adresse, f, bits & (f == 0 ? 0x10 : 1 << (f - 1)));
        if (!datagramm)
            return true;
        if (!sende(*datagramm))
            return false;
    }
    return true;
}

bool Z21Treiber::sendeStillstand()
{
    return sendeFahrstufe(m_vorwaerts ? 0x80 : 0x00);
}

void Z21Treiber::power(int index)
{
    if (m_link.verbunden())
        sende(z21Gleisspannung(index == 1));
}

void Z21Treiber::stoppeLok()
{
    // At once and straight to the link: the run is being left behind.
    const auto datagramm = z21Fahrbefehl(alsZahl(m_lauf.adresseFeld()), m_stufen.value_or(128),
                                         m_vorwaerts ? 0x80 : 0x00);
    if (datagramm)
        m_link.sende(*datagramm);
}

Antwortwertung Z21Treiber::bewerteAntwort(const QString &antwort) const
{
    return antwort.startsWith(QStringLiteral("Z21 verbunden")) ? Antwortwertung::ok : Antwortwertung::keine;
}

// ---------------------------------------------------------------- run and single line

void Z21Treiber::beginnePass()
{
    m_stufen = stufen(m_fahrstufenIndex);
}

bool Z21Treiber::sendeFahrt(int zeile)
{
    if (!modusGeht())
        return false;
    const Tabellenspeicher &t = m_lauf.tabelle();
    if (!sendeFahrstufe(lenzFahrbyte(alsInt16(alsZahl(t.zelle(zeile, 3))), t.zelle(zeile, 2))))
        return false;
    m_lauf.subWarten(100);
    return sendeFunktionen(zeile);
}

bool Z21Treiber::sendePassende(const QString &)
{
    return modusGeht() && sendeStillstand();
}

bool Z21Treiber::sendeHalt()
{
    return modusGeht() && sendeStillstand();
}

bool Z21Treiber::sendeZeile()
{
    m_stufen = stufen(m_fahrstufenIndex);
    if (!modusGeht())
        return false;
    const Tabellenspeicher &t = m_lauf.tabelle();
    const int zeile = t.aktuelleZeile();
    const qint64 dauer = leseGanzzahl(t.zelle(zeile, 1));
    const QString einheit = t.zelle(zeile, 2);

    if (!sendeFahrstufe(lenzFahrbyte(leseGanzzahl(t.zelle(zeile, 3)), einheit)))
        return false;
    // As on the Lenz: 100 ms, then the functions after another 100 ms.
    m_lauf.subWarten(100);
    m_lauf.subWarten(100);
    if (!sendeFunktionen(zeile))
        return false;
    m_lauf.subWarten(wartezeitMs(dauer, einheit));
    return sendeStillstand();
}

} // namespace trabolin

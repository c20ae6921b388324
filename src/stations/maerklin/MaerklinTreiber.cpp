#include "stations/maerklin/MaerklinTreiber.h"

#include "program/Zahlen.h"
#include "stations/maerklin/Maerklin.h"

namespace trabolin {

namespace {

// A line with "s", "S", "m" or "M": it sets a speed and waits "Dauer" in its unit.
// A change of direction ("f", "F") sets none of its own; any other unit neither.
bool istFahrt(const Programmzeile &z) { return z.stufe >= 0 && !z.richtungswechsel; }

} // namespace

MaerklinTreiber::MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart)
    : m_lauf(lauf), m_v24(v24), m_lesart(lesart)
{
}

void MaerklinTreiber::schreibe(const QByteArray &bytes)
{
    // Once the window closes, the stop has gone out and nothing may follow it.
    if (!m_lauf.beendet())
        m_v24.schreibe(bytes);
}

void MaerklinTreiber::sendeMaerklinBefehl(const QString &befehl, const QString &adresse)
{
    // A value that does not fit its byte (a speed above 255 with the light, a
    // negative address) cannot be coded: nothing is sent rather than a wrong byte.
    if (const auto bytes = maerklinBefehl(leseGanzzahl(befehl), leseGanzzahl(adresse)))
        schreibe(*bytes);
}

void MaerklinTreiber::sendeStoppzeileXL()
{
    schreibe(xlStoppzeile(m_lauf.adresseText(), m_XLRichtung));
}

void MaerklinTreiber::sendeStopp()
{
    if (mitTextbefehlen())
        sendeStoppzeileXL();
    else
        sendeMaerklinBefehl(QStringLiteral("0"), m_lauf.adresseText());
}

void MaerklinTreiber::stoppNachWarten() { sendeStopp(); }

void MaerklinTreiber::stoppeLok() { sendeStopp(); }

void MaerklinTreiber::power(int index)
{
    schreibe(QByteArray(1, index == 1 ? maerklinPowerEin : maerklinPowerAus));
}

// ---------------------------------------------------------------- row commands

void MaerklinTreiber::Fahrbefehl()
{
    const Programmzeile z = leseProgrammzeile(m_lauf.tabelle(), m_lauf.tabelle().aktuelleZeile(), m_lesart);
    const QString adresse = m_lauf.adresseText();
    const int licht = z.licht ? 16 : 0;
    auto sende = [&](qint64 befehl) { sendeMaerklinBefehl(QString::number(befehl), adresse); };

    sende(funktionsbyte(z.f[0], z.f[1], z.f[2], z.f[3]));
    m_lauf.subWarten(m_lesart.pauseMs);
    if (z.richtungswechsel) {
        sende(licht);
        m_lauf.subWarten(z.warteMs);
        sende(15 + licht);
        m_lauf.subWarten(m_lesart.nachWechselMs);
    } else if (istFahrt(z)) {
        sende(z.fahrstufe + licht);
        m_lauf.subWarten(z.warteMs);
    }
}

void MaerklinTreiber::Fahrbefehl_X()
{
    const Programmzeile z = leseProgrammzeile(m_lauf.tabelle(), m_lauf.tabelle().aktuelleZeile(), m_lesart);
    const QString adresse = m_lauf.adresseText();

    m_lauf.subWarten(m_lesart.pauseMs);
    if (z.richtungswechsel) {
        schreibe(xlRichtungsstopp(adresse));
        m_lauf.subWarten(z.warteMs);
        m_XLRichtung = m_XLRichtung == 0 ? 1 : 0;
        m_lauf.subWarten(m_lesart.nachWechselMs);
    } else if (istFahrt(z)) {
        schreibe(xlFahrzeile(adresse, z.fahrstufeText, z.licht, m_XLRichtung, z.f[0], z.f[1], z.f[2], z.f[3]));
        m_lauf.subWarten(z.warteMs);
    }
}

void MaerklinTreiber::schlussfolge()
{
    const QString adresse = m_lauf.adresseText();
    sendeMaerklinBefehl(QStringLiteral("0"), adresse);
    m_lauf.subWarten(500);
    sendeMaerklinBefehl(QStringLiteral("64"), adresse);
}

void MaerklinTreiber::sendeEndbefehl()
{
    if (mitTextbefehlen())
        sendeStoppzeileXL();
    else
        schlussfolge();
}

// ---------------------------------------------------------------- run and single line

Passergebnis MaerklinTreiber::fahrePass(int startzeile)
{
    using Ende = Passergebnis::Ende;
    Tabellenspeicher &tabelle = m_lauf.tabelle();
    auto stoppGefunden = [&] {
        if (!m_lauf.stopp())
            return false;
        sendeStopp();
        return true;
    };

    bool gefahren = false;
    for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
        if (stoppGefunden())
            return {Ende::abgebrochen, gefahren};
        tabelle.setzeAktuelleZeile(zeile);
        if (leseProgrammzeile(tabelle, zeile, m_lesart).ende)
            break;
        if (mitTextbefehlen())
            Fahrbefehl_X();
        else
            Fahrbefehl();
        if (m_lauf.beendet())
            return {Ende::abgebrochen, gefahren};
        m_lauf.aktualisiereLaufzeit();
        gefahren = true;
    }
    // A stop pressed during line 25 is honoured too, instead of being lost in the
    // closing sequence or in the restart of an endless run.
    if (stoppGefunden())
        return {Ende::abgebrochen, gefahren};
    return {Ende::regulaer, gefahren};
}

bool MaerklinTreiber::sendeZeile()
{
    if (mitTextbefehlen()) {
        Fahrbefehl_X();
        sendeStoppzeileXL();
    } else {
        Fahrbefehl();
        schlussfolge();
    }
    // On this station the ring sequence sounds twice: here and after the line.
    if (m_lauf.signal() && !m_lauf.beendet())
        m_lauf.spieleRing();
    return true;
}

} // namespace trabolin

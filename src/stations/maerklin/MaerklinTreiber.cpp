#include "stations/maerklin/MaerklinTreiber.h"

#include "program/Zahlen.h"
#include "stations/maerklin/Maerklin.h"

namespace trabolin {

namespace {

// The cells of one table line as the row commands read them.
struct Zeilenwerte {
    QString einheit;
    QString fahrstufeText;
    qint64 dauer = 0;       // whole number when the cell is a number, else 0
    qint64 fPauseMs = 0;    // the "f"/"F" pause: the cell in seconds, blanks ignored
    qint64 fahrstufe = 0;   // the speed cell as a number (two-byte path)
    bool licht = false;
    bool f[4] = {};
};

Zeilenwerte leseZeile(const Tabellenspeicher &t, int zeile)
{
    Zeilenwerte w;
    const QString dauer = t.zelle(zeile, 1);
    w.einheit = t.zelle(zeile, 2);
    w.fahrstufeText = t.zelle(zeile, 3);
    w.dauer = istZahl(dauer) ? leseGanzzahl(dauer) : 0;
    w.fPauseMs = rundeGerade(leseZahl(dauer, Leerzeichen::ueberall) * 1000.0);
    w.fahrstufe = leseGanzzahl(w.fahrstufeText);
    w.licht = !ohneBlanks(t.zelle(zeile, 4)).isEmpty();
    for (int i = 0; i < 4; ++i)
        w.f[i] = t.zelle(zeile, 5 + i) == QLatin1String("X");
    return w;
}

bool istFahrt(const QString &e) { return e == u"s" || e == u"S" || e == u"m" || e == u"M"; }
bool istRichtungswechsel(const QString &e) { return e == u"f" || e == u"F"; }

} // namespace

MaerklinTreiber::MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24) : m_lauf(lauf), m_v24(v24) {}

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
    const Zeilenwerte w = leseZeile(m_lauf.tabelle(), m_lauf.tabelle().aktuelleZeile());
    const QString adresse = m_lauf.adresseText();
    const int licht = w.licht ? 16 : 0;
    auto sende = [&](qint64 befehl) { sendeMaerklinBefehl(QString::number(befehl), adresse); };

    sende(funktionsbyte(w.f[0], w.f[1], w.f[2], w.f[3]));
    m_lauf.subWarten(500);
    if (istRichtungswechsel(w.einheit)) {
        sende(licht);
        m_lauf.subWarten(alsWartezeit(w.fPauseMs));
        sende(15 + licht);
        m_lauf.subWarten(1000);
    } else if (istFahrt(w.einheit)) {
        sende(w.fahrstufe + licht);
        m_lauf.subWarten(wartezeitMs(w.dauer, w.einheit));
    }
}

void MaerklinTreiber::Fahrbefehl_X()
{
    const Zeilenwerte w = leseZeile(m_lauf.tabelle(), m_lauf.tabelle().aktuelleZeile());
    const QString adresse = m_lauf.adresseText();

    m_lauf.subWarten(500);
    if (istRichtungswechsel(w.einheit)) {
        schreibe(xlRichtungsstopp(adresse));
        m_lauf.subWarten(alsWartezeit(w.fPauseMs));
        m_XLRichtung = m_XLRichtung == 0 ? 1 : 0;
        m_lauf.subWarten(1000);
    } else if (istFahrt(w.einheit)) {
        schreibe(xlFahrzeile(adresse, w.fahrstufeText, w.licht, m_XLRichtung, w.f[0], w.f[1],
                             w.f[2], w.f[3]));
        m_lauf.subWarten(wartezeitMs(w.dauer, w.einheit));
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
        if (ohneBlanks(tabelle.zelle(zeile, 1)).isEmpty())
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

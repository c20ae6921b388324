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

MaerklinTreiber::MaerklinTreiber(Ablauf &ablauf, Ausgabe &v24) : m_ablauf(ablauf), m_v24(v24) {}

void MaerklinTreiber::schreibe(const QByteArray &bytes)
{
    // Once the window closes, the stop has gone out and nothing may follow it.
    if (!m_ablauf.beendet())
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
    const Laufzustand &z = m_ablauf.zustand();
    schreibe(xlStoppzeile(z.adresseText, z.XLRichtung));
}

void MaerklinTreiber::sendeStopp()
{
    if (mitTextbefehlen())
        sendeStoppzeileXL();
    else
        sendeMaerklinBefehl(QStringLiteral("0"), m_ablauf.zustand().adresseText);
}

void MaerklinTreiber::stoppNachWarten() { sendeStopp(); }

void MaerklinTreiber::stoppBeimSchliessen() { sendeStopp(); }

void MaerklinTreiber::power(int index)
{
    schreibe(QByteArray(1, index == 1 ? maerklinPowerEin : maerklinPowerAus));
}

// ---------------------------------------------------------------- row commands

void MaerklinTreiber::Fahrbefehl()
{
    const Zeilenwerte w = leseZeile(m_ablauf.tabelle(), m_ablauf.tabelle().aktuelleZeile());
    const QString adresse = m_ablauf.zustand().adresseText;
    const int licht = w.licht ? 16 : 0;
    auto sende = [&](qint64 befehl) { sendeMaerklinBefehl(QString::number(befehl), adresse); };

    sende(funktionsbyte(w.f[0], w.f[1], w.f[2], w.f[3]));
    m_ablauf.subWarten(500);
    if (istRichtungswechsel(w.einheit)) {
        sende(licht);
        m_ablauf.subWarten(alsWartezeit(w.fPauseMs));
        sende(15 + licht);
        m_ablauf.subWarten(1000);
    } else if (istFahrt(w.einheit)) {
        sende(w.fahrstufe + licht);
        m_ablauf.subWarten(wartezeitMs(w.dauer, w.einheit));
    }
}

void MaerklinTreiber::Fahrbefehl_X()
{
    const Zeilenwerte w = leseZeile(m_ablauf.tabelle(), m_ablauf.tabelle().aktuelleZeile());
    Laufzustand &z = m_ablauf.zustand();
    const QString adresse = z.adresseText;

    m_ablauf.subWarten(500);
    if (istRichtungswechsel(w.einheit)) {
        schreibe(xlRichtungsstopp(adresse));
        m_ablauf.subWarten(alsWartezeit(w.fPauseMs));
        z.XLRichtung = z.XLRichtung == 0 ? 1 : 0;
        m_ablauf.subWarten(1000);
    } else if (istFahrt(w.einheit)) {
        schreibe(xlFahrzeile(adresse, w.fahrstufeText, w.licht, z.XLRichtung, w.f[0], w.f[1],
                             w.f[2], w.f[3]));
        m_ablauf.subWarten(wartezeitMs(w.dauer, w.einheit));
    }
}

void MaerklinTreiber::schlussfolge()
{
    const QString adresse = m_ablauf.zustand().adresseText;
    sendeMaerklinBefehl(QStringLiteral("0"), adresse);
    m_ablauf.subWarten(500);
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

bool MaerklinTreiber::fahreProgramm()
{
    Tabellenspeicher &tabelle = m_ablauf.tabelle();
    Laufzustand &z = m_ablauf.zustand();
    int startzeile = tabelle.aktuelleZeile();

    // Each pass is a new start: the start time, the stop flag and the address are
    // taken afresh (the first pass has them from "starten").
    for (bool ersterPass = true;; ersterPass = false) {
        if (!ersterPass) {
            m_ablauf.setzeStartzeit();
            z.stopp = false;
            m_ablauf.leseAdresse();
            startzeile = tabelle.aktuelleZeile();
        }
        auto stoppGefunden = [&] {
            if (!z.stopp)
                return false;
            sendeStopp();
            return true;
        };

        bool gefahren = false;
        for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
            if (stoppGefunden())
                return false;
            tabelle.setzeAktuelleZeile(zeile);
            if (ohneBlanks(tabelle.zelle(zeile, 1)).isEmpty())
                break;
            if (mitTextbefehlen())
                Fahrbefehl_X();
            else
                Fahrbefehl();
            if (m_ablauf.beendet())
                return false;
            m_ablauf.aktualisiereLaufzeit();
            gefahren = true;
        }
        // A stop pressed during line 25 is honoured too, instead of being lost in
        // the closing sequence or in the restart of an endless run.
        if (stoppGefunden())
            return false;

        // An endless pass that drove no line would only spin: it ends the run
        // like a run without endless mode.
        if (m_ablauf.bedienfeld().endlos() && gefahren) {
            tabelle.setzeAktuelleZeile(1);
            m_ablauf.verarbeiteEreignisse();
            if (m_ablauf.beendet())
                return false;
            continue;
        }
        sendeEndbefehl();
        return true;
    }
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
    if (m_ablauf.bedienfeld().signal() && !m_ablauf.beendet())
        m_ablauf.spieleRing();
    return true;
}

} // namespace trabolin

#include "stations/maerklin/MaerklinTreiber.h"

#include "program/Verkehrsprotokoll.h"
#include "program/Zahlen.h"

namespace trabolin {

namespace {

// A line with "s", "S", "m" or "M": it sets a speed and waits "Dauer" in its unit;
// with "k" or "K" it sets a speed and waits for the contact "Dauer".
// A change of direction ("f", "F") sets none of its own; any other unit neither.
bool istFahrt(const Programmzeile &z) { return z.stufe >= 0 && !z.richtungswechsel; }

} // namespace

MaerklinTreiber::MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder *melder)
    : MaerklinTreiber(lauf, v24, lesart, melder, std::make_shared<S88Leitung>())
{
}

MaerklinTreiber::~MaerklinTreiber() { m_leitung->vergiss(m_s88); }

MaerklinTreiber::MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder *melder,
                                 std::shared_ptr<S88Leitung> leitung)
    : m_lauf(lauf), m_v24(v24), m_lesart(lesart), m_melder(melder), m_leitung(std::move(leitung))
{
    m_abfrage.setInterval(abfrageMs);
    QObject::connect(&m_abfrage, &QTimer::timeout, [this] { frageKontakt(); });
}

void MaerklinTreiber::beobachteKontakt(int nummer)
{
    m_kontakt = m_melder && s88Modul(nummer) <= maerklinGroessterModul ? nummer : 0;
    m_s88.beginne();
    m_abfragen = 0;
    if (m_kontakt <= 0) {
        m_abfrage.stop();
        return;
    }
    if (!mitTextbefehlen())
        schreibe(QByteArray(1, p50RuecksetzenEin));
    m_abfrage.start();
}

void MaerklinTreiber::frageKontakt()
{
    if (m_kontakt <= 0 || m_lauf.beendet()) {
        m_abfrage.stop();
        return;
    }
    // Another program's question may be out: this one goes when its answer is whole.
    m_leitung->frage(m_s88, [this] { stelleFrage(); });
}

void MaerklinTreiber::stelleFrage()
{
    if (m_kontakt <= 0 || m_lauf.beendet())
        return;
    const int modul = s88Modul(m_kontakt);
    using Art = S88Abfrage::Art;
    if (!mitTextbefehlen()) {
        m_s88.frage(Art::p50, modul);
        schreibe(p50Modulfrage(modul));
        return;
    }
    // The IntelliBox: XEvtSen clears what it held from before the line, XSensor reads
    // the baseline, and from then on XEvtSen tells each change, a short one too.
    const Art art = m_abfragen == 0 ? Art::xVergessen : m_abfragen == 1 ? Art::xSensor : Art::xEreignisse;
    ++m_abfragen;
    m_s88.frage(art, modul);
    schreibe(art == Art::xSensor ? p50xSensorfrage(modul) : p50xEreignisfrage());
}

void MaerklinTreiber::empfange(const QByteArray &bytes)
{
    Verkehrsprotokoll::v24Empfangen(bytes);
    for (const Kontaktmeldung &k : m_leitung->lies(bytes))
        if (m_melder)
            m_melder->meldeKontaktstand(k.nummer, k.belegt);
}

void MaerklinTreiber::schreibe(const QByteArray &bytes)
{
    // Once the window closes, the stop has gone out and nothing may follow it.
    if (!m_lauf.beendet())
        m_v24.schreibe(bytes);
}

void MaerklinTreiber::schreibe(const QByteArray &bytes, const Lok &lok, Wirkung wirkung)
{
    if (!m_lauf.beendet() && m_lauf.durchlassen(*this, lok, wirkung))
        m_v24.schreibe(bytes);
}

void MaerklinTreiber::sendeMaerklinBefehl(const QString &befehl, const QString &adresse, Wirkung wirkung)
{
    // A value that does not fit its byte (a speed above 255 with the light, a
    // negative address) cannot be coded: nothing is sent rather than a wrong byte.
    if (const auto bytes = maerklinBefehl(leseGanzzahl(befehl), leseGanzzahl(adresse)))
        schreibe(*bytes, m_lok, wirkung);
}

void MaerklinTreiber::sendeStoppzeileXL()
{
    schreibe(xlStoppzeile(m_lok.text, m_XLRichtung), m_lok, Wirkung::haelt);
}

void MaerklinTreiber::sendeStopp(const Lok &lok)
{
    if (lok.text.isNull()) // no pass has taken a locomotive yet
        return;
    if (mitTextbefehlen(lok)) {
        schreibe(xlStoppzeile(lok.text, m_XLRichtung), lok, Wirkung::haelt);
    } else if (const auto bytes = maerklinBefehl(0, leseGanzzahl(lok.text))) {
        schreibe(*bytes, lok, Wirkung::haelt);
    }
}

void MaerklinTreiber::stoppNachWarten() { sendeStopp(m_lok); }

void MaerklinTreiber::stoppeLok(const Lok &lok) { sendeStopp(lok); }

void MaerklinTreiber::power(int index)
{
    schreibe(QByteArray(1, index == 1 ? maerklinPowerEin : maerklinPowerAus));
}

// ---------------------------------------------------------------- row commands

QCoro::Task<> MaerklinTreiber::Fahrbefehl(std::optional<Programmzeile> zeile)
{
    const Programmzeile z = zeile ? *zeile : m_lauf.liesZeile(m_lauf.tabelle().aktuelleZeile(), m_lesart);
    const QString adresse = m_lok.text;
    const int licht = z.licht ? 16 : 0;
    auto sende = [&](qint64 befehl, Wirkung wirkung) { sendeMaerklinBefehl(QString::number(befehl), adresse, wirkung); };

    const int funktionen = funktionsbyte(z.f[0], z.f[1], z.f[2], z.f[3]);
    sende(funktionen, (funktionen & 0x0F) ? Wirkung::stellt : Wirkung::ruhig);
    co_await m_lauf.subWarten(m_lesart.pauseMs);
    if (z.richtungswechsel) {
        sende(licht, Wirkung::haelt);
        co_await m_lauf.subWarten(z.warteMs);
        sende(15 + licht, Wirkung::stellt);
        co_await m_lauf.subWarten(m_lesart.nachWechselMs);
    } else if (istFahrt(z)) {
        sende(z.fahrstufe + licht, z.fahrstufe > 0 ? Wirkung::faehrt : Wirkung::haelt);
        co_await m_lauf.warteZeileAus(z.kontakt, z.warteMs);
    }
}

QCoro::Task<> MaerklinTreiber::Fahrbefehl_X(std::optional<Programmzeile> zeile)
{
    const Programmzeile z = zeile ? *zeile : m_lauf.liesZeile(m_lauf.tabelle().aktuelleZeile(), m_lesart);
    const QString adresse = m_lok.text;

    co_await m_lauf.subWarten(m_lesart.pauseMs);
    if (z.richtungswechsel) {
        schreibe(xlRichtungsstopp(adresse), m_lok, Wirkung::haelt);
        co_await m_lauf.subWarten(z.warteMs);
        m_XLRichtung = m_XLRichtung == 0 ? 1 : 0;
        co_await m_lauf.subWarten(m_lesart.nachWechselMs);
    } else if (istFahrt(z)) {
        const bool faehrt = leseZahl(z.fahrstufeText, Leerzeichen::ueberall) > 0;
        schreibe(xlFahrzeile(adresse, z.fahrstufeText, z.licht, m_XLRichtung, z.f[0], z.f[1], z.f[2], z.f[3]),
                 m_lok, faehrt ? Wirkung::faehrt : Wirkung::haelt);
        co_await m_lauf.warteZeileAus(z.kontakt, z.warteMs);
    }
}

QCoro::Task<> MaerklinTreiber::schlussfolge()
{
    const QString adresse = m_lok.text;
    sendeMaerklinBefehl(QStringLiteral("0"), adresse, Wirkung::haelt);
    co_await m_lauf.subWarten(500);
    sendeMaerklinBefehl(QStringLiteral("64"), adresse, Wirkung::ruhig);
}

QCoro::Task<> MaerklinTreiber::sendeEndbefehl()
{
    if (mitTextbefehlen())
        sendeStoppzeileXL();
    else
        co_await schlussfolge();
}

QCoro::Task<> MaerklinTreiber::programmende()
{
    co_await sendeEndbefehl();
}

// ---------------------------------------------------------------- run and single line

QCoro::Task<Passergebnis> MaerklinTreiber::fahrePass(int startzeile, Lok lok)
{
    using Ende = Passergebnis::Ende;
    m_lok = std::move(lok);
    Tabellenspeicher &tabelle = m_lauf.tabelle();
    auto stoppGefunden = [&] {
        if (!m_lauf.stopp())
            return false;
        sendeStopp(m_lok);
        return true;
    };

    bool gefahren = false;
    for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
        if (stoppGefunden())
            co_return Passergebnis{Ende::abgebrochen, gefahren};
        tabelle.setzeAktuelleZeile(zeile);
        if (leseProgrammzeile(tabelle, zeile, m_lesart).ende)
            break;
        if (mitTextbefehlen())
            co_await Fahrbefehl_X();
        else
            co_await Fahrbefehl();
        if (m_lauf.beendet())
            co_return Passergebnis{Ende::abgebrochen, gefahren};
        m_lauf.aktualisiereLaufzeit();
        gefahren = true;
    }
    // A stop pressed during line 25 is honoured too, instead of being lost in the
    // closing sequence or in the restart of an endless run.
    if (stoppGefunden())
        co_return Passergebnis{Ende::abgebrochen, gefahren};
    co_return Passergebnis{Ende::regulaer, gefahren};
}

QCoro::Task<bool> MaerklinTreiber::fahreLok(Lok lok, Programmzeile zeile)
{
    m_lok = std::move(lok);
    if (mitTextbefehlen())
        co_await Fahrbefehl_X(zeile);
    else
        co_await Fahrbefehl(zeile);
    co_return !m_lauf.beendet();
}

QCoro::Task<bool> MaerklinTreiber::sendeZeile(Lok lok)
{
    m_lok = std::move(lok);
    if (mitTextbefehlen()) {
        co_await Fahrbefehl_X();
        sendeStoppzeileXL();
    } else {
        co_await Fahrbefehl();
        co_await schlussfolge();
    }
    // On this station the ring sequence sounds twice: here and after the line.
    if (m_lauf.signal() && !m_lauf.beendet())
        co_await m_lauf.spieleRing();
    co_return true;
}

} // namespace trabolin

#include "program/Ablauf.h"

#include "program/Programmzeile.h"
#include "program/Zahlen.h"

#include <algorithm>
#include <utility>

namespace trabolin {

Ablauf::Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit, Klang &klang,
               QObject *parent)
    : QObject(parent), m_eigenerBetrieb(std::make_unique<Fahrbetrieb>(zeit)), m_betrieb(*m_eigenerBetrieb),
      m_tabelle(tabelle), m_bedienfeld(bedienfeld), m_zeit(zeit), m_klang(klang)
{
    schliesseAn();
}

Ablauf::Ablauf(Fahrbetrieb &betrieb, Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Klang &klang,
               QObject *parent)
    : QObject(parent), m_betrieb(betrieb), m_tabelle(tabelle), m_bedienfeld(bedienfeld), m_zeit(betrieb.zeit()),
      m_klang(klang)
{
    schliesseAn();
}

void Ablauf::schliesseAn()
{
    m_betrieb.nimmAuf(*this);
    // What the layout of the selected station reports, for the window.
    connect(&m_betrieb, &Fahrbetrieb::gleiszustandGeaendert, this, [this](int option) {
        if (option == m_bedienfeld.zentraleOption())
            emit gleiszustandGeaendert();
    });
    connect(&m_betrieb, &Fahrbetrieb::kontaktGeaendert, this, [this](int option, int nummer, bool belegt) {
        if (option == m_bedienfeld.zentraleOption())
            emit kontaktGeaendert(nummer, belegt);
    });
}

Ablauf::~Ablauf()
{
    m_betrieb.gibAb(*this);
}

bool Ablauf::faehrt(int option, const Lok &lok) const
{
    if (!m_laeuft || !m_pass || optionVon(m_pass->treiber) != option)
        return false;
    // The same locomotive: the same number in the same protocol; an address that is
    // no number is compared as typed.
    const Lok &l = m_pass->lok;
    return l.nummer == lok.nummer && l.protokoll == lok.protokoll
           && (lok.nummer != 0 || l.text.trimmed() == lok.text.trimmed());
}

void Ablauf::setzeTreiber(int option, Zentralentreiber *treiber)
{
    if (option < 0)
        return;
    if (option >= int(m_treiber.size()))
        m_treiber.resize(option + 1, nullptr);
    m_treiber[option] = treiber;
}

Zentralentreiber *Ablauf::treiber() const
{
    const int option = m_bedienfeld.zentraleOption();
    if (option < 0 || option >= int(m_treiber.size()))
        return nullptr;
    return m_treiber[option];
}

Zentralentreiber *Ablauf::aktiverTreiber() const
{
    return m_pass ? m_pass->treiber : treiber();
}

// ---------------------------------------------------------------- wait and stop

QCoro::Task<> Ablauf::subWarten(int dauerMs)
{
    if (dauerMs < 0 || m_beendet)
        co_return;
    const int wartezeit = m_zeitplan.wartezeit(dauerMs, m_zeit.monotonMs());
    {
        const Zeitplan::Ereignisse ereignisse(m_zeitplan);
        co_await m_zeit.warte(wartezeit, [this] { return m_zustand.stopp || m_beendet; });
    }
    if (m_zustand.stopp && !m_beendet) {
        if (Zentralentreiber *t = aktiverTreiber())
            t->stoppNachWarten();
    }
}

QCoro::Task<> Ablauf::warteAufAntwort(int hoechstensMs, std::function<bool()> bis)
{
    if (!m_beendet)
        co_await m_zeit.warte(hoechstensMs, [this, bis] { return m_zustand.stopp || m_beendet || bis(); });
}

void Ablauf::weckeWarten() { m_zeit.wecke(); }

QCoro::Task<> Ablauf::subWartenAufKontakt(int kontakt)
{
    if (m_beendet)
        co_return;
    Zentralentreiber *t = aktiverTreiber();
    m_kontaktwarte = Kontaktwarte{optionVon(t), kontakt, false};
    emit kontaktwarteGeaendert(kontakt);
    if (t)
        t->beobachteKontakt(kontakt);
    {
        const Zeitplan::Ereignisse ereignisse(m_zeitplan);
        co_await m_zeit.warte(alsWartezeit(qint64(m_kontaktgrenzeS) * 1000), [this] {
            return m_zustand.stopp || m_beendet || (m_kontaktwarte && m_kontaktwarte->erreicht);
        });
    }
    const bool erreicht = m_kontaktwarte && m_kontaktwarte->erreicht;
    m_kontaktwarte.reset();
    if (t && !m_beendet)
        t->beobachteKontakt(0);
    emit kontaktwarteGeaendert(0);
    // The next line's time counts from the contact, not from the line's start.
    m_zeitplan.setzeFort(m_zeit.monotonMs());
    if (m_beendet)
        co_return;
    if (m_zustand.stopp) {
        if (t)
            t->stoppNachWarten();
        co_return;
    }
    if (erreicht)
        co_return;
    // The contact never came: the train is somewhere it should not be. The run ends
    // as the layout ends it (no end sound, the stop in the line's direction), with
    // the stop at once rather than at the next line.
    m_halt = Gleiszustand::unbekannt;
    if (m_pass)
        m_pass->treiber->halteDurchAnlage(m_pass->lok);
    stoppKlick();
    stoppeBewegte();
    emit kontaktVerfehlt(kontakt);
}

bool Ablauf::durchlassen(Zentralentreiber &treiber, const Lok &lok, Wirkung wirkung)
{
    const auto eintrag = std::find_if(m_bewegt.begin(), m_bewegt.end(), [&](const auto &b) {
        return b.first == &treiber && b.second == lok;
    });
    if (wirkung == Wirkung::haelt) {
        if (eintrag != m_bewegt.end())
            m_bewegt.erase(eintrag);
        return true;
    }
    if (wirkung == Wirkung::ruhig)
        return true;
    // The stop latch: from a stop (or the end of the run) until the next start,
    // nothing that moves a locomotive reaches a station.
    if (!m_laeuft || m_zustand.stopp || m_beendet)
        return false;
    if (wirkung == Wirkung::faehrt && eintrag == m_bewegt.end())
        m_bewegt.emplace_back(&treiber, lok);
    return true;
}

void Ablauf::stoppeBewegte(const Passziel *ausser)
{
    // Taken out first: each stop goes through the gate, which takes it out as well.
    auto bewegt = std::exchange(m_bewegt, {});
    for (const auto &[t, lok] : bewegt) {
        if (ausser && ausser->treiber == t && ausser->lok == lok)
            m_bewegt.emplace_back(t, lok);
        else
            t->stoppeLok(lok);
    }
}

void Ablauf::stoppeAlle()
{
    if (m_pass)
        m_pass->treiber->stoppeLok(m_pass->lok);
    stoppeBewegte();
}

void Ablauf::stoppKlick()
{
    m_zustand.stopp = true;
    m_zeit.wecke();
}

// ---------------------------------------------------------------- the layout

Gleismelder &Ablauf::gleismelder(int option)
{
    return m_betrieb.gleismelder(option);
}

Gleiszustand Ablauf::gleiszustand() const
{
    return gleiszustand(m_bedienfeld.zentraleOption());
}

Gleiszustand Ablauf::gleiszustand(int option) const
{
    return m_betrieb.gleiszustand(option);
}

void Ablauf::gleisGemeldet(int option, Gleiszustand zustand)
{
    // Only the station that drives can end the run; the first report counts.
    const bool faehrt = laeuft() && m_pass && option < int(m_treiber.size()) && m_treiber[option] == m_pass->treiber;
    if (!faehrt || m_beendet || m_halt || !sperrtFahrt(zustand))
        return;
    m_halt = zustand;
    // The stop goes out here, as the report is read, not when the run is next
    // resumed from the event loop.
    m_pass->treiber->halteDurchAnlage(m_pass->lok);
    stoppKlick();
    stoppeBewegte();
    emit angehalten(zustand);
}

int Ablauf::optionVon(const Zentralentreiber *t) const
{
    const auto it = std::find(m_treiber.begin(), m_treiber.end(), t);
    return t && it != m_treiber.end() ? int(it - m_treiber.begin()) : -1;
}

std::optional<bool> Ablauf::kontaktzustand(int nummer) const
{
    return kontaktzustand(m_bedienfeld.zentraleOption(), nummer);
}

std::optional<bool> Ablauf::kontaktzustand(int option, int nummer) const
{
    return m_betrieb.kontaktzustand(option, nummer);
}

void Ablauf::kontaktGewechselt(int option, int nummer, bool belegt)
{
    if (belegt && m_kontaktwarte && !m_kontaktwarte->erreicht && m_kontaktwarte->option == option
        && m_kontaktwarte->kontakt == nummer) {
        m_kontaktwarte->erreicht = true;
        m_zeit.wecke();
    }
    if (m_messwarte && !m_messwarte->gekommen && m_messwarte->option == option && m_messwarte->kontakt == nummer
        && m_messwarte->belegt == belegt) {
        m_messwarte->gekommen = true;
        m_zeit.wecke();
    }
}

QList<Programmzeile> Ablauf::zuFahren(bool einzelzeile, const Lesart &lesart, const Fahrmass &mass) const
{
    if (einzelzeile)
        return {leseProgrammzeile(m_tabelle, m_tabelle.aktuelleZeile(), lesart, mass)};
    // The pass from the cursor, and in endless mode every later pass from line 1.
    QList<Programmzeile> zeilen;
    for (const int start : {m_tabelle.aktuelleZeile(), 1})
        for (const Programmzeile &z : ermittleDurchlauf(m_tabelle, start, lesart, mass).zeilen)
            if (z.faehrt)
                zeilen.append(z);
    return zeilen;
}

bool Ablauf::kannKontakte(bool einzelzeile)
{
    const Zentralentreiber *t = treiber();
    if (!t || t->liestKontakte())
        return true;
    // A contact line reads alike on every station: its "Dauer" is its contact.
    const QList<Programmzeile> zeilen = zuFahren(einzelzeile, Lesart{});
    if (std::none_of(zeilen.begin(), zeilen.end(), [](const Programmzeile &z) { return z.kontakt > 0; }))
        return true;
    emit ohneKontakte();
    return false;
}

bool Ablauf::kannProfil(bool einzelzeile)
{
    if (!treiber())
        return true;
    const QList<Programmzeile> zeilen = zuFahren(einzelzeile, Lesart{});
    const bool strecke = std::any_of(zeilen.begin(), zeilen.end(), [](const Programmzeile &z) { return z.streckeCm > 0; });
    if (!strecke && !(m_bedienfeld.kmh() && !zeilen.isEmpty()))
        return true;
    const int option = m_bedienfeld.zentraleOption();
    const Profilschluessel schluessel = profilschluessel(option);
    const Lokprofil *profil = m_betrieb.lokprofil(schluessel);
    const QString titel = tr(" Lokprofil...");
    if (!profil) {
        emit profilFehlt(titel, tr("Für die Lok %1 auf der %2 (Fahrstufen %3) ist noch keine "
                                   "Geschwindigkeit gemessen.\nZeilen mit W oder w und "
                                   "\"Fahrstufe in km/h\" brauchen ein Lokprofil: bitte die Lok zuerst "
                                   "mit \"Lok einmessen ...\" einmessen.")
                                    .arg(schluessel.adresse, schluessel.zentrale, schluessel.modus));
        return false;
    }
    // A distance at a step the locomotive does not move at would never end.
    for (const Programmzeile &z : zuFahren(einzelzeile, Lesart{}, {profil, m_bedienfeld.kmh()}))
        if (z.streckeCm > 0 && z.warteMs <= 0) {
            emit profilFehlt(titel, tr("Zeile %1: Bei Fahrstufe %2 fährt die Lok nach ihrem Lokprofil "
                                       "nicht, eine Strecke ist so nicht zu fahren.")
                                        .arg(z.nummer).arg(z.stufe));
            return false;
        }
    return true;
}

Profilschluessel Ablauf::profilschluessel(int option) const
{
    const Zentralentreiber *t = option >= 0 && option < int(m_treiber.size()) ? m_treiber[option] : nullptr;
    const QString text = m_bedienfeld.adresseText();
    const Lok lok = t ? t->nimmLok(text, alsInt16(leseGanzzahl(text))) : Lok{text, 0};
    return {m_betrieb.stationscode(option), text.trimmed(), t ? t->fahrstufenmodus(lok) : QString()};
}

int Ablauf::hoechsteMessstufe(int option) const
{
    const int modus = profilschluessel(option).modus.toInt();
    return modus == 128 ? 126 : qBound(1, modus, 127);
}

bool Ablauf::lokFrei()
{
    Zentralentreiber *t = treiber();
    if (!t)
        return true;
    const QString text = m_bedienfeld.adresseText();
    const Lok lok = t->nimmLok(text, alsInt16(leseGanzzahl(text)));
    const int anderes = m_betrieb.faehrtSchon(*this, m_bedienfeld.zentraleOption(), lok);
    if (anderes == 0)
        return true;
    emit lokBelegt(anderes, text.trimmed());
    return false;
}

bool Ablauf::darfFahren()
{
    const Gleiszustand z = gleiszustand();
    if (!sperrtFahrt(z))
        return true;
    emit gesperrt(z);
    return false;
}

void Ablauf::halteAn()
{
    if (!laeuft() || m_beendet)
        return;
    stoppKlick();
    stoppeAlle();
}

void Ablauf::beenden()
{
    if (m_beendet)
        return;
    m_zustand.stopp = true;
    if (laeuft())
        stoppeAlle();
    else
        stoppeBewegte();
    m_beendet = true;
    m_zeit.wecke();
}

// ---------------------------------------------------------------- times and sounds

QString Ablauf::ermittleZeittext(int sekunden)
{
    const qint64 s = sekunden;
    const qint64 stunden = s / 3600;
    const qint64 rest = s % 3600;
    return QStringLiteral("%1:%2:%3")
        .arg(stunden, 2, 10, QLatin1Char('0'))
        .arg(rest / 60, 2, 10, QLatin1Char('0'))
        .arg(rest % 60, 2, 10, QLatin1Char('0'));
}

void Ablauf::aktualisiereLaufzeit()
{
    const QTime start = QTime::fromString(m_bedienfeld.startzeit(), QStringLiteral("hh:mm:ss"));
    if (!start.isValid()) {
        // No run has written a start time yet: there is nothing to count from.
        m_bedienfeld.setzeLaufzeit(ermittleZeittext(0));
        return;
    }
    const QTime jetzt = m_zeit.tageszeit();
    int sekunden = start.secsTo(QTime(jetzt.hour(), jetzt.minute(), jetzt.second()));
    if (sekunden < 0) // the run has passed midnight
        sekunden += 24 * 3600;
    m_bedienfeld.setzeLaufzeit(ermittleZeittext(sekunden));
}

void Ablauf::setzeStartzeit()
{
    m_bedienfeld.setzeStartzeit(m_zeit.tageszeit().toString(QStringLiteral("hh:mm:ss")));
}

void Ablauf::leseAdresse()
{
    m_zustand.adresseText = m_bedienfeld.adresseText();
    // Numbers beyond the 16-bit range are held as its largest or smallest value:
    // such an address takes the text commands, which carry the text as typed.
    m_zustand.adresseNummer = alsInt16(leseGanzzahl(m_zustand.adresseText));
}

void Ablauf::spieleEndsignal()
{
    if (!m_beendet && m_bedienfeld.signal())
        m_klang.spiele(QStringLiteral("Signal.wav"));
}

QCoro::Task<> Ablauf::spieleRing()
{
    m_klang.spiele(QStringLiteral("ring.wav"));
    co_await subWarten(1000);
    m_klang.spiele(QStringLiteral("ring.wav"));
    co_await subWarten(1000);
    m_klang.spiele(QStringLiteral("ring.wav"));
}

// ---------------------------------------------------------------- run, single line, power

QCoro::Task<> Ablauf::fahre(bool einzelzeile, std::optional<qint64> start,
                            std::function<QCoro::Task<>(Zentralentreiber &, Lok)> messung)
{
    // A second start while a run or a single line is going on is refused with a
    // beep: two runs sharing one cursor and one stop flag only confuse the locomotive.
    if (laeuft()) {
        m_bedienfeld.piepe();
        co_return;
    }
    if (!darfFahren() || (!messung && (!kannKontakte(einzelzeile) || !kannProfil(einzelzeile))) || !lokFrei())
        co_return;
    m_laeuft = true;
    m_misst = bool(messung);
    m_halt.reset();
    emit laufBeginnt(einzelzeile);
    {
        // Time zero of the table (for all the passes of a run) or of the single line.
        const Zeitplan::Lauf zeitplan(m_zeitplan, start.value_or(m_zeit.monotonMs()));
        m_zustand.stopp = false;
        leseAdresse();
        if (!co_await sichereLok()) {
            // Refused by the station: nothing was driven, the driver has told why.
        } else if (messung) {
            if (Zentralentreiber *t = treiber()) {
                beginnePass(t, t->nimmLok(m_zustand.adresseText, m_zustand.adresseNummer));
                co_await messung(*t, m_pass->lok);
            }
        } else if (einzelzeile) {
            co_await fahreZeile();
        } else {
            setzeStartzeit();
            m_zustand.gemerkteEinheit.clear();
            co_await fahrePaesse();
        }
    }
    // Whatever ended it, no locomotive this run gave a speed is left driving.
    if (!m_beendet)
        stoppeBewegte();
    m_pass.reset();
    m_laeuft = false;
    emit laufEndet();
}

QCoro::Task<> Ablauf::fahreMessung(std::function<QCoro::Task<>(Zentralentreiber &, Lok)> messung)
{
    co_await fahre(true, std::nullopt, std::move(messung));
}

QCoro::Task<Ablauf::Kontaktankunft> Ablauf::warteAufKontakt(int kontakt, bool belegt, int grenzeMs, qint64 seitMs)
{
    using Art = Kontaktankunft::Art;
    if (m_beendet || m_zustand.stopp)
        co_return Kontaktankunft{};
    Zentralentreiber *t = aktiverTreiber();
    const int option = optionVon(t);
    const auto gekommen = [&]() -> std::optional<qint64> {
        const std::optional<qint64> ms = m_betrieb.letzterWechsel(option, kontakt, belegt);
        return ms && *ms >= seitMs ? ms : std::nullopt;
    };
    if (const auto ms = gekommen())
        co_return Kontaktankunft{Art::gemeldet, *ms};
    m_messwarte = Messwarte{option, kontakt, belegt, false};
    if (t)
        t->beobachteKontakt(kontakt);
    {
        const Zeitplan::Ereignisse ereignisse(m_zeitplan);
        co_await m_zeit.warte(qMax(0, grenzeMs), [this] {
            return m_zustand.stopp || m_beendet || (m_messwarte && m_messwarte->gekommen);
        });
    }
    m_messwarte.reset();
    if (t && !m_beendet)
        t->beobachteKontakt(0);
    if (m_zustand.stopp || m_beendet)
        co_return Kontaktankunft{};
    if (const auto ms = gekommen())
        co_return Kontaktankunft{Art::gemeldet, *ms};
    co_return Kontaktankunft{Art::zeitgrenze, m_zeit.monotonMs()};
}

void Ablauf::beginnePass(Zentralentreiber *t, const Lok &lok)
{
    // The profile of the locomotive on this station, as it stands now: a measurement
    // during the pass changes the next one.
    const Lokprofil *profil = m_betrieb.lokprofil(
        {m_betrieb.stationscode(optionVon(t)), lok.text.trimmed(), t->fahrstufenmodus(lok)});
    m_profil = profil ? std::optional<Lokprofil>(*profil) : std::nullopt;
    m_kmh = m_bedienfeld.kmh();
    // A locomotive the run left moving that this pass does not drive (on the station
    // before, or at the address before) is stopped before the pass's first frame.
    const Passziel neu{t, lok};
    stoppeBewegte(&neu);
    m_pass = neu;
}

QCoro::Task<bool> Ablauf::sichereLok()
{
    // With one program the station is set up by hand, as it always was.
    Zentralentreiber *t = treiber();
    if (!t || m_betrieb.anzahl() < 2)
        co_return true;
    co_return co_await t->sichereLok(t->nimmLok(m_zustand.adresseText, m_zustand.adresseNummer));
}

void Ablauf::btnStart_Click()
{
    fahre(false);
}

void Ablauf::starteAbZeile1(qint64 startMs)
{
    if (laeuft() || m_tabelle.zelle(1, 1).trimmed().isEmpty())
        return;
    m_tabelle.setzeAktuelleZeile(1);
    fahre(false, startMs);
}

QCoro::Task<> Ablauf::fahrePaesse()
{
    using Ende = Passergebnis::Ende;
    std::optional<Passziel> bisher;
    int startzeile = m_tabelle.aktuelleZeile();
    for (bool ersterPass = true;; ersterPass = false) {
        // Each pass goes to the station selected when it starts. When that changed,
        // the locomotive is stopped on the old station first: no locomotive is left
        // driving on a station the run no longer talks to.
        Zentralentreiber *t = treiber();
        if (bisher && t != bisher->treiber)
            bisher->treiber->stoppeLok(bisher->lok);
        if (!t) {
            spieleEndsignal();
            co_return;
        }
        // Each later pass is a new start: the address is taken afresh (the first pass
        // has it from "starten"). The stop flag is not lowered here: the pass before
        // ended without a stop, so a raised flag comes from "St&op" pressed in the
        // event round between the passes, and the new pass must stop the locomotive
        // at its first line instead of driving on. A run that the layout ended
        // between two passes stays ended: the pass before left the locomotive at speed 0.
        if (!ersterPass) {
            if (m_halt)
                co_return;
            // A station chosen during the run whose layout forbids driving (its track
            // off, a short circuit) ends the run as its report would have: nothing is
            // sent to it, and the message follows after the run.
            if (const Gleiszustand z = gleiszustand(); sperrtFahrt(z)) {
                m_halt = z;
                m_zustand.stopp = true;
                emit angehalten(z);
                co_return;
            }
            if (t->startzeitJePass())
                setzeStartzeit();
            leseAdresse();
        }
        const Lok lok = t->nimmLok(m_zustand.adresseText, m_zustand.adresseNummer);
        // A pass whose address or station now names a locomotive another program drives
        // ends the run, as its start would have been refused (the first pass's start was).
        if (const int anderes = m_betrieb.faehrtSchon(*this, optionVon(t), lok); anderes) {
            emit lokBelegt(anderes, m_zustand.adresseText.trimmed());
            co_return;
        }
        beginnePass(t, lok);
        bisher = m_pass;
        const Passergebnis pass = co_await t->fahrePass(startzeile, m_pass->lok);
        if (pass.ende == Ende::abgebrochen || m_beendet)
            co_return;
        // A stop raised during the pass's last line ends the run too, also in endless
        // mode. When the layout ended it, no sound says it ended well.
        if (pass.ende == Ende::gestoppt || m_zustand.stopp) {
            if (!m_halt)
                spieleEndsignal();
            co_return;
        }
        // Endless mode starts again at line 1, also after a first pass that began on
        // an empty line below filled ones. A pass from line 1 that drove no line would
        // only spin: it ends the run like a run without endless mode.
        if (m_bedienfeld.endlos() && (pass.gefahren || startzeile != 1)) {
            m_tabelle.setzeAktuelleZeile(1);
            co_await m_zeit.warte(0, {}); // every pass lets the window in
            if (m_beendet)
                co_return;
            startzeile = 1;
            continue;
        }
        co_await t->programmende();
        spieleEndsignal();
        co_return;
    }
}

void Ablauf::btnSendZeile_Click()
{
    fahre(true);
}

QCoro::Task<> Ablauf::fahreZeile()
{
    Zentralentreiber *t = treiber();
    bool gesendet = true;
    if (t) {
        beginnePass(t, t->nimmLok(m_zustand.adresseText, m_zustand.adresseNummer));
        gesendet = co_await t->sendeZeile(m_pass->lok);
    }
    if (gesendet && m_bedienfeld.signal() && !m_beendet && !m_halt)
        co_await spieleRing();
}

void Ablauf::btnPower_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    // The user switches the track off under a running locomotive: the run ends with
    // its stop, as when the layout switches it off, and no message follows (the
    // station's echo of the change finds the run ended already).
    // The locomotive's stop goes out first, at once, whether a line is waiting or the
    // run is between two passes: with the track off nothing else would reach it, and
    // the station would drive it on at its old speed when the power comes back.
    if (index == 0)
        m_betrieb.powerAus();
    if (Zentralentreiber *t = treiber())
        t->power(index);
}

void Ablauf::endeDurchPowerAus()
{
    if (laeuft() && !m_halt && !m_beendet) {
        m_halt = Gleiszustand::aus;
        stoppKlick();
        stoppeAlle();
    }
}

} // namespace trabolin

#include "program/Ablauf.h"

#include "program/Zahlen.h"

namespace trabolin {

namespace {

// Counts a run or single line in progress for as long as the handler lives.
class Laufmarke {
public:
    explicit Laufmarke(int &zaehler) : m_zaehler(zaehler) { ++m_zaehler; }
    ~Laufmarke() { --m_zaehler; }
    Laufmarke(const Laufmarke &) = delete;
    Laufmarke &operator=(const Laufmarke &) = delete;

private:
    int &m_zaehler;
};

// Remembers the driver that drives now, and forgets it when the handler ends.
class Fahrender {
public:
    explicit Fahrender(Zentralentreiber *&ziel) : m_ziel(ziel) {}
    ~Fahrender() { m_ziel = nullptr; }
    void setze(Zentralentreiber *t) { m_ziel = t; }
    Fahrender(const Fahrender &) = delete;
    Fahrender &operator=(const Fahrender &) = delete;

private:
    Zentralentreiber *&m_ziel;
};

} // namespace

// The reporting point of one station: its reports carry its option.
class Ablauf::Melder : public Gleismelder {
public:
    Melder(Ablauf &ablauf, int option) : m_ablauf(ablauf), m_option(option) {}
    void meldeGleiszustand(Gleiszustand zustand) override { m_ablauf.meldeGleis(m_option, zustand); }

private:
    Ablauf &m_ablauf;
    int m_option;
};

Ablauf::Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit, Klang &klang,
               QObject *parent)
    : QObject(parent), m_tabelle(tabelle), m_bedienfeld(bedienfeld), m_zeit(zeit), m_klang(klang)
{
}

Ablauf::~Ablauf() = default;

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
    return m_fahrender ? m_fahrender : treiber();
}

// ---------------------------------------------------------------- wait and stop

void Ablauf::subWarten(int dauerMs)
{
    if (dauerMs < 0 || m_beendet)
        return;
    const int wartezeit = m_zeitplan.wartezeit(dauerMs, m_zeit.monotonMs());
    {
        const Zeitplan::Ereignisse ereignisse(m_zeitplan);
        m_zeit.warte(wartezeit, [this] { return m_zustand.stopp || m_beendet; });
    }
    if (m_zustand.stopp && !m_beendet) {
        if (Zentralentreiber *t = aktiverTreiber())
            t->stoppNachWarten();
    }
}

void Ablauf::verarbeiteEreignisse()
{
    const Zeitplan::Ereignisse ereignisse(m_zeitplan);
    m_zeit.verarbeiteEreignisse();
}

void Ablauf::stoppKlick()
{
    m_zustand.stopp = true;
    m_zeit.wecke();
}

// ---------------------------------------------------------------- the layout

Gleismelder &Ablauf::gleismelder(int option)
{
    option = qMax(option, 0);
    if (option >= int(m_melder.size())) {
        m_melder.resize(option + 1);
        m_gleis.resize(option + 1, Gleiszustand::unbekannt);
    }
    if (!m_melder[option])
        m_melder[option] = std::make_unique<Melder>(*this, option);
    return *m_melder[option];
}

Gleiszustand Ablauf::gleiszustand() const
{
    return gleiszustand(m_bedienfeld.zentraleOption());
}

Gleiszustand Ablauf::gleiszustand(int option) const
{
    return (option >= 0 && option < int(m_gleis.size())) ? m_gleis[option] : Gleiszustand::unbekannt;
}

void Ablauf::meldeGleis(int option, Gleiszustand zustand)
{
    if (m_gleis[option] == zustand)
        return;
    m_gleis[option] = zustand;
    if (option == m_bedienfeld.zentraleOption())
        emit gleiszustandGeaendert();
    // Only the station that drives can end the run; the first report counts.
    const bool faehrt = laeuft() && m_fahrender && option < int(m_treiber.size()) && m_treiber[option] == m_fahrender;
    if (!faehrt || m_beendet || m_halt || !sperrtFahrt(zustand))
        return;
    m_halt = zustand;
    // The stop goes out here, as the report is read, not when the wait that runs
    // next looks at the flag: a modal box open at this moment (a message, a file
    // dialog) holds that wait until the user closes it.
    m_fahrender->halteDurchAnlage();
    stoppKlick();
    emit angehalten(zustand);
}

bool Ablauf::darfFahren()
{
    const Gleiszustand z = gleiszustand();
    if (!sperrtFahrt(z))
        return true;
    emit gesperrt(z);
    return false;
}

void Ablauf::beginneLauf()
{
    m_halt.reset();
}

void Ablauf::halteAn()
{
    if (!laeuft() || m_beendet)
        return;
    if (Zentralentreiber *t = aktiverTreiber())
        t->stoppeLok();
    stoppKlick();
}

void Ablauf::beenden()
{
    if (laeuft() && !m_beendet) {
        if (Zentralentreiber *t = aktiverTreiber())
            t->stoppeLok();
    }
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

void Ablauf::spieleRing()
{
    m_klang.spiele(QStringLiteral("ring.wav"));
    subWarten(1000);
    m_klang.spiele(QStringLiteral("ring.wav"));
    subWarten(1000);
    m_klang.spiele(QStringLiteral("ring.wav"));
}

// ---------------------------------------------------------------- run, single line, power

void Ablauf::fahre(bool einzelzeile, const std::function<void()> &fahrt)
{
    // A second start while a run or a single line is going on is refused with a
    // beep: two runs sharing one cursor and one stop flag only confuse the locomotive.
    if (laeuft()) {
        m_bedienfeld.piepe();
        return;
    }
    if (!darfFahren())
        return;
    Laufmarke marke(m_laeuft);
    beginneLauf();
    emit laufBeginnt(einzelzeile);
    // Time zero of the table (for all the passes of a run) or of the single line.
    const Zeitplan::Lauf zeitplan(m_zeitplan, m_zeit.monotonMs());

    m_zustand.stopp = false;
    leseAdresse();
    fahrt();
    emit laufEndet();
}

void Ablauf::btnStart_Click()
{
    fahre(false, [this] {
        setzeStartzeit();
        m_zustand.gemerkteEinheit.clear();
        fahrePaesse();
    });
}

void Ablauf::fahrePaesse()
{
    using Ende = Passergebnis::Ende;
    Fahrender fahrender(m_fahrender);
    Zentralentreiber *bisher = nullptr;
    int startzeile = m_tabelle.aktuelleZeile();
    for (bool ersterPass = true;; ersterPass = false) {
        // Each pass goes to the station selected when it starts. When that changed,
        // the locomotive is stopped on the old station first: no locomotive is left
        // driving on a station the run no longer talks to.
        Zentralentreiber *t = treiber();
        if (bisher && t != bisher)
            bisher->stoppeLok();
        fahrender.setze(t);
        if (!t) {
            spieleEndsignal();
            return;
        }
        // Each later pass is a new start: the address is taken afresh (the first pass
        // has it from "starten"). The stop flag is not lowered here: the pass before
        // ended without a stop, so a raised flag comes from "St&op" pressed in the
        // event round between the passes, and the new pass must stop the locomotive
        // at its first line instead of driving on. A run that the layout ended
        // between two passes stays ended: the pass before left the locomotive at speed 0.
        if (!ersterPass) {
            if (m_halt)
                return;
            if (t->startzeitJePass())
                setzeStartzeit();
            leseAdresse();
        }
        const Passergebnis pass = t->fahrePass(startzeile);
        bisher = t;
        if (pass.ende == Ende::abgebrochen || m_beendet)
            return;
        // A stop raised during the pass's last line ends the run too, also in endless
        // mode. When the layout ended it, no sound says it ended well.
        if (pass.ende == Ende::gestoppt || m_zustand.stopp) {
            if (!m_halt)
                spieleEndsignal();
            return;
        }
        // Endless mode starts again at line 1, also after a first pass that began on
        // an empty line below filled ones. A pass from line 1 that drove no line would
        // only spin: it ends the run like a run without endless mode.
        if (m_bedienfeld.endlos() && (pass.gefahren || startzeile != 1)) {
            m_tabelle.setzeAktuelleZeile(1);
            verarbeiteEreignisse(); // every pass lets the window in
            if (m_beendet)
                return;
            startzeile = 1;
            continue;
        }
        t->programmende();
        spieleEndsignal();
        return;
    }
}

void Ablauf::btnSendZeile_Click()
{
    fahre(true, [this] {
        Fahrender fahrender(m_fahrender);
        Zentralentreiber *t = treiber();
        fahrender.setze(t);
        const bool gesendet = !t || t->sendeZeile();
        if (gesendet && m_bedienfeld.signal() && !m_beendet && !m_halt)
            spieleRing();
    });
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
    if (index == 0 && laeuft() && !m_halt && !m_beendet) {
        if (Zentralentreiber *t = aktiverTreiber())
            t->stoppeLok();
        m_halt = Gleiszustand::aus;
        stoppKlick();
    }
    if (Zentralentreiber *t = treiber())
        t->power(index);
}

} // namespace trabolin

#include "program/Ablauf.h"

#include "program/Zahlen.h"

#include <limits>

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

} // namespace

int alsWartezeit(qint64 ms)
{
    return static_cast<int>(qBound(qint64(std::numeric_limits<int>::min()), ms,
                                   qint64(std::numeric_limits<int>::max())));
}

int wartezeitMs(qint64 dauer, const QString &einheit)
{
    return alsWartezeit(dauer * ((einheit == u"s" || einheit == u"S") ? 1000 : 60000));
}

Ablauf::Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit, Klang &klang,
               QObject *parent)
    : QObject(parent), m_tabelle(tabelle), m_bedienfeld(bedienfeld), m_zeit(zeit), m_klang(klang)
{
}

void Ablauf::setzeTreiber(int option, Zentralentreiber *treiber)
{
    if (option >= 0 && option < int(m_treiber.size()))
        m_treiber[option] = treiber;
}

Zentralentreiber *Ablauf::treiber() const
{
    const int option = m_bedienfeld.zentraleOption();
    if (option < 0 || option >= int(m_treiber.size()))
        return nullptr;
    return m_treiber[option];
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
        if (Zentralentreiber *t = treiber())
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

void Ablauf::beenden()
{
    if (laeuft() && !m_beendet) {
        if (Zentralentreiber *t = treiber())
            t->stoppBeimSchliessen();
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

bool Ablauf::naechsterPass(bool gefahren)
{
    if (m_zustand.stopp || m_beendet)
        return false;
    if (m_bedienfeld.endlos() && gefahren) {
        m_tabelle.setzeAktuelleZeile(1);
        verarbeiteEreignisse(); // every pass lets the window in
        return !m_beendet;
    }
    spieleEndsignal();
    return false;
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

void Ablauf::btnStart_Click()
{
    // A second start while a run or a single line is going on is refused with a
    // beep: two runs sharing one cursor and one stop flag only confuse the locomotive.
    if (laeuft()) {
        m_bedienfeld.piepe();
        return;
    }
    Laufmarke marke(m_laeuft);
    // Time zero of the table, for all its passes.
    const Zeitplan::Lauf zeitplan(m_zeitplan, m_zeit.monotonMs());

    setzeStartzeit();
    m_zustand.stopp = false;
    leseAdresse();

    bool endsignal = true;
    if (Zentralentreiber *t = treiber())
        endsignal = t->fahreProgramm();
    if (endsignal)
        spieleEndsignal();
}

void Ablauf::btnSendZeile_Click()
{
    if (laeuft()) {
        m_bedienfeld.piepe();
        return;
    }
    Laufmarke marke(m_laeuft);
    const Zeitplan::Lauf zeitplan(m_zeitplan, m_zeit.monotonMs());

    leseAdresse();
    m_zustand.stopp = false;
    Zentralentreiber *t = treiber();
    const bool gesendet = !t || t->sendeZeile();
    if (gesendet && m_bedienfeld.signal() && !m_beendet)
        spieleRing();
}

void Ablauf::btnPower_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    if (Zentralentreiber *t = treiber())
        t->power(index);
}

} // namespace trabolin

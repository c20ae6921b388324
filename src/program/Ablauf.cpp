#include "program/Ablauf.h"

#include "program/Zahlen.h"
#include "stations/maerklin/Maerklin.h"

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

// Removes leading and trailing blanks (only blanks, as the table cells hold them).
QString ohneBlanks(const QString &text)
{
    qsizetype anfang = 0;
    qsizetype ende = text.size();
    while (anfang < ende && text[anfang] == u' ')
        ++anfang;
    while (ende > anfang && text[ende - 1] == u' ')
        --ende;
    return text.mid(anfang, ende - anfang);
}

int alsMillisekunden(qint64 wert)
{
    return static_cast<int>(qBound(qint64(std::numeric_limits<int>::min()), wert,
                                   qint64(std::numeric_limits<int>::max())));
}

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

bool istSekunden(const QString &e) { return e == u"s" || e == u"S"; }
bool istMinuten(const QString &e) { return e == u"m" || e == u"M"; }
bool istRichtungswechsel(const QString &e) { return e == u"f" || e == u"F"; }

} // namespace

Ablauf::Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit, Ausgabe &v24,
               Klang &klang, QObject *parent)
    : QObject(parent), m_tabelle(tabelle), m_bedienfeld(bedienfeld), m_zeit(zeit), m_v24(v24),
      m_klang(klang)
{
}

// ---------------------------------------------------------------- wait and stop

void Ablauf::subWarten(int dauerMs)
{
    if (dauerMs < 0 || m_beendet)
        return;
    m_zeit.warte(dauerMs, [this] { return m_zustand.stopp || m_beendet; });
    if (m_zustand.stopp && !m_beendet)
        sendeStoppDerZentrale();
}

void Ablauf::stoppKlick()
{
    m_zustand.stopp = true;
    m_zeit.wecke();
}

void Ablauf::beenden()
{
    m_beendet = true;
    m_zeit.wecke();
}

void Ablauf::sendeStoppDerZentrale()
{
    if (m_bedienfeld.zentraleOption() == 0) {
        sendeStoppMaerklin();
        return;
    }
    // Lenz, ECoS or no station: a frame pending in the slot buffer goes out; with
    // an empty buffer (always so on the ECoS) nothing is sent.
    sendeLenzBefehl();
}

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

void Ablauf::leseAdresse()
{
    m_zustand.adresseText = m_bedienfeld.adresseText();
    // Numbers beyond the 16-bit range are held as its largest or smallest value:
    // such an address takes the text commands, which carry the text as typed.
    m_zustand.adresseNummer = alsInt16(leseGanzzahl(m_zustand.adresseText));
}

// ---------------------------------------------------------------- wire

void Ablauf::sendeMaerklinBefehl(const QString &befehl, const QString &adresse)
{
    // A value that does not fit its byte (a speed above 255 with the light, a
    // negative address) cannot be coded: nothing is sent rather than a wrong byte.
    if (const auto bytes = maerklinBefehl(leseGanzzahl(befehl), leseGanzzahl(adresse)))
        m_v24.schreibe(*bytes);
}

void Ablauf::sendeStoppMaerklin()
{
    if (m_zustand.adresseNummer < 256)
        sendeMaerklinBefehl(QStringLiteral("0"), m_zustand.adresseText);
    else
        sendeStoppzeileXL();
}

void Ablauf::sendeStoppzeileXL()
{
    m_v24.schreibe(xlStoppzeile(m_zustand.adresseText, m_zustand.XLRichtung));
}

void Ablauf::sendeLenzBefehl()
{
    if (m_lenzBefehl.istLeer())
        return;
    const QByteArray rahmen = m_lenzBefehl.rahmen();
    m_v24.schreibe(xpressNetBefehl(rahmen, m_bedienfeld.usbInterface()));
    m_lenzBefehl.leeren();
    // The window processes its events once per slot, as it always has, but only
    // after the write: a handler that runs now cannot cut into this frame.
    for (qsizetype i = 0; i < rahmen.size(); ++i)
        m_zeit.verarbeiteEreignisse();
}

void Ablauf::btnPower_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    switch (m_bedienfeld.zentraleOption()) {
    case 0:
        m_v24.schreibe(QByteArray(1, index == 1 ? maerklinPowerEin : maerklinPowerAus));
        break;
    case 1:
        m_lenzBefehl.setze(1, 0x21);
        m_lenzBefehl.setze(2, static_cast<quint8>(0x80 + index));
        sendeLenzBefehl();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- row commands

void Ablauf::Fahrbefehl()
{
    const Zeilenwerte w = leseZeile(m_tabelle, m_tabelle.aktuelleZeile());
    const QString &adresse = m_zustand.adresseText;
    const int licht = w.licht ? 16 : 0;
    auto sende = [&](qint64 befehl) { sendeMaerklinBefehl(QString::number(befehl), adresse); };

    sende(funktionsbyte(w.f[0], w.f[1], w.f[2], w.f[3]));
    subWarten(500);
    if (istRichtungswechsel(w.einheit)) {
        sende(licht);
        subWarten(alsMillisekunden(w.fPauseMs));
        sende(15 + licht);
        subWarten(1000);
    } else if (istSekunden(w.einheit) || istMinuten(w.einheit)) {
        sende(w.fahrstufe + licht);
        subWarten(alsMillisekunden(w.dauer * (istSekunden(w.einheit) ? 1000 : 60000)));
    }
}

void Ablauf::Fahrbefehl_X()
{
    const Zeilenwerte w = leseZeile(m_tabelle, m_tabelle.aktuelleZeile());
    const QString &adresse = m_zustand.adresseText;

    subWarten(500);
    if (istRichtungswechsel(w.einheit)) {
        m_v24.schreibe(xlRichtungsstopp(adresse));
        subWarten(alsMillisekunden(w.fPauseMs));
        m_zustand.XLRichtung = m_zustand.XLRichtung == 0 ? 1 : 0;
        subWarten(1000);
    } else if (istSekunden(w.einheit) || istMinuten(w.einheit)) {
        m_v24.schreibe(xlFahrzeile(adresse, w.fahrstufeText, w.licht, m_zustand.XLRichtung,
                                   w.f[0], w.f[1], w.f[2], w.f[3]));
        subWarten(alsMillisekunden(w.dauer * (istSekunden(w.einheit) ? 1000 : 60000)));
    }
}

void Ablauf::schlussfolge()
{
    sendeMaerklinBefehl(QStringLiteral("0"), m_zustand.adresseText);
    subWarten(500);
    sendeMaerklinBefehl(QStringLiteral("64"), m_zustand.adresseText);
}

void Ablauf::endeBefehlOption0()
{
    if (m_zustand.adresseNummer >= 256)
        sendeStoppzeileXL();
    else
        schlussfolge();
}

// ---------------------------------------------------------------- run and single line

void Ablauf::btnStart_Click()
{
    // A second start while a run or a single line is going on is refused with a
    // beep: two runs sharing one cursor and one stop flag only confuse the locomotive.
    if (laeuft()) {
        m_bedienfeld.piepe();
        return;
    }
    Laufmarke marke(m_laeuft);

    while (!m_beendet) {
        m_bedienfeld.setzeStartzeit(m_zeit.tageszeit().toString(QStringLiteral("hh:mm:ss")));
        m_zustand.stopp = false;
        leseAdresse();
        const int startzeile = m_tabelle.aktuelleZeile();

        switch (m_bedienfeld.zentraleOption()) {
        case 0:
            break;
        default:
            // The Lenz and ECoS passes run their own loops; until they are wired
            // in, these stations only give the end signal.
            if (m_bedienfeld.signal())
                m_klang.spiele(QStringLiteral("Signal.wav"));
            return;
        }

        auto stoppGefunden = [this] {
            if (!m_zustand.stopp)
                return false;
            sendeStoppMaerklin();
            return true;
        };
        for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
            if (stoppGefunden())
                return;
            m_tabelle.setzeAktuelleZeile(zeile);
            if (ohneBlanks(m_tabelle.zelle(zeile, 1)).isEmpty())
                break;
            if (m_zustand.adresseNummer < 256)
                Fahrbefehl();
            else
                Fahrbefehl_X();
            if (m_beendet)
                return;
            aktualisiereLaufzeit();
        }
        // A stop pressed during line 25 is honoured too, instead of being lost in
        // the closing sequence or in the restart of an endless run.
        if (stoppGefunden())
            return;

        if (m_bedienfeld.endlos()) {
            m_tabelle.setzeAktuelleZeile(1);
            continue;
        }
        endeBefehlOption0();
        break;
    }
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

void Ablauf::btnSendZeile_Click()
{
    if (laeuft()) {
        m_bedienfeld.piepe();
        return;
    }
    Laufmarke marke(m_laeuft);

    leseAdresse();
    m_zustand.stopp = false;

    if (m_bedienfeld.zentraleOption() == 0) {
        if (m_zustand.adresseNummer >= 256) {
            Fahrbefehl_X();
            sendeStoppzeileXL();
        } else {
            Fahrbefehl();
            schlussfolge();
        }
        if (m_bedienfeld.signal() && !m_beendet)
            spieleRing();
    }
    if (m_bedienfeld.signal() && !m_beendet)
        spieleRing();
}

} // namespace trabolin

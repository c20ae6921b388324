// What the run must keep on every station, whatever the user and the layout do while it
// goes on: seeded random sequences of clicks, typed addresses, station changes, layout
// reports, power switches, refusing links and closing, each at a random virtual time,
// with the traffic of all six stations decoded after every step:
//  (a) every command that drives goes to the locomotive of the pass or single line
//      started last, on the station it was started on (the address read at the start
//      of each pass, so in endless mode the one typed before that pass);
//  (b) once nothing runs, every locomotive that got a speed has speed 0 as its last
//      speed command;
//  (c) from a stop (St&op, a layout report that ends the run, Power off, closing, the
//      halt of a handler) to the next start nothing drives: no speed above 0, no
//      direction, no function switched on. A speed-0 frame is always a stop, also
//      where it carries a direction.
// The serial stations' bytes and the Z21's and Central Station's frames are read with
// the simulators' decoders; the ECoS and DCC-EX texts with the small readers below. A
// frame a refusing link did not take still counts as the program's command: the
// property is about what the program sends, the link only decides whether it arrives.
// A failing sequence is shrunk to its shortest failing prefix, which is printed as a
// row for aufgezeichnet_data().
#include "helfer/Aufbau.h"
#include "sim/cs2/Cs2Dekodierer.h"
#include "sim/serial/Dekodierer.h"
#include "sim/z21/Z21Dekodierer.h"
#include "stations/cs2/Cs2Treiber.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

#include <map>
#include <random>

using namespace trabolin;
using namespace trabolin::test;

namespace {

constexpr int anzahlStationen = 6;

// One write or frame as a driver gave it to its port or link, with what the test knew
// at that moment: whether a stop holds since the last start.
struct Rahmen {
    int option = 0;
    QByteArray bytes;
    bool raus = true;      // the port or link took it
    bool gesperrt = false; // a stop came after the last start
    std::pair<int, int> pass{-1, 0}; // (option, address) of the pass or single line started last
    qint64 zeit = 0;
};

// What the run did, in the order it happened.
struct Verkehr {
    std::vector<Rahmen> rahmen;
    bool gesperrt = false;
    std::pair<int, int> pass{-1, 0};
    // (option, address) of every pass or single line started, with the number of
    // frames written before its start.
    std::map<std::pair<int, int>, std::size_t> gestartet;
    int passOption = -1; // the station of the pass or single line started last
    const VirtuelleZeit *zeit = nullptr;

    void nimm(int option, const QByteArray &bytes, bool raus)
    {
        rahmen.push_back({option, bytes, raus, gesperrt, pass, zeit ? zeit->jetzt : 0});
    }
};

// The serial port of one station.
class Portmitschrift : public Mitschrift {
public:
    Portmitschrift(VirtuelleZeit &zeit, Verkehr &verkehr, int option) : Mitschrift(zeit), m_verkehr(verkehr), m_option(option) {}
    void schreibe(const QByteArray &b) override
    {
        Mitschrift::schreibe(b);
        m_verkehr.nimm(m_option, b, true);
    }

private:
    Verkehr &m_verkehr;
    int m_option;
};

// A network link double of one station that also keeps what it refused.
template <class Basis>
class Linkerfassung : public Basis {
public:
    Linkerfassung(VirtuelleZeit &zeit, Verkehr &verkehr, int option) : Basis(zeit), m_verkehr(verkehr), m_option(option) {}
    bool sende(const QByteArray &b) override
    {
        const bool raus = Basis::sende(b);
        m_verkehr.nimm(m_option, b, raus);
        return raus;
    }

private:
    Verkehr &m_verkehr;
    int m_option;
};

// A driver that tells when a pass or single line takes its locomotive: the run logic
// asks it once at each start.
template <class Treiber>
class Beobachtet : public Treiber {
public:
    template <class... A>
    explicit Beobachtet(std::function<void()> beiStart, A &&...a) : Treiber(std::forward<A>(a)...), m_beiStart(std::move(beiStart))
    {
    }
    Lok nimmLok(const QString &text, qint16 nummer) const override
    {
        m_beiStart();
        return Treiber::nimmLok(text, nummer);
    }

private:
    std::function<void()> m_beiStart;
};

// One command for a locomotive as read back from the wire.
struct Befehl {
    enum Art { fahrt, richtung, funktion } art = fahrt;
    int adresse = 0;
    int wert = 0;        // the speed; for a function 1 when it switches one on
    int danach = -1;     // the locomotive's speed after it, as the station holds it; -1 unknown
    QString text;
    bool treibt() const { return art == richtung || wert > 0; }
};

int zahlNach(const QString &text, const QString &vor, int ab = 0)
{
    const int i = text.indexOf(vor, ab);
    if (i < 0)
        return -1;
    int j = i + vor.size();
    int wert = 0;
    bool ziffer = false;
    while (j < text.size() && text[j].isDigit()) {
        wert = wert * 10 + text[j].digitValue();
        ++j;
        ziffer = true;
    }
    return ziffer ? wert : -1;
}

// The speed in a decoder's state text after "Lok N: ": "Nothalt" is 0.
int geschwindigkeitIm(const QString &text, const QString &wort)
{
    const int lok = text.indexOf(QLatin1String("Lok "));
    if (text.indexOf(QLatin1String("Nothalt"), lok) >= 0)
        return 0;
    return zahlNach(text, wort, lok);
}

// The serial stations: one decoder line per command.
void liesSeriell(const QString &text, bool lenz, QList<Befehl> &aus)
{
    Befehl b;
    b.text = text;
    b.adresse = zahlNach(text, QStringLiteral("Lok "));
    if (b.adresse < 0)
        return;
    b.danach = geschwindigkeitIm(text, QStringLiteral("Fahrstufe "));
    if (text.startsWith(QLatin1String("Fahren"))) {
        b.art = Befehl::fahrt;
        b.wert = b.danach;
    } else if (text.startsWith(QLatin1String("Wenden"))) {
        b.art = Befehl::richtung;
    } else if (text.startsWith(QLatin1String("Funktionen"))) {
        // The command sets all of them; on the 6051 path the light rides on the speed.
        b.art = Befehl::funktion;
        const QString f = text.mid(text.indexOf(QLatin1Char('|')));
        b.wert = f.contains(QLatin1String("F1 an")) || f.contains(QLatin1String("F2 an"))
                 || f.contains(QLatin1String("F3 an")) || f.contains(QLatin1String("F4 an"))
                 || (lenz && f.contains(QLatin1String("Licht an")));
    } else {
        return;
    }
    aus << b;
}

// The ECoS texts: "set(ID,speed[n])", "set(ID,dir[d])", "set(ID,func[n,v],...)".
void liesEcos(const QString &text, QList<Befehl> &aus)
{
    static const QRegularExpression set(QStringLiteral("^set\\(\\s*(\\d+)\\s*,(.*)\\)\\s*$"));
    static const QRegularExpression speed(QStringLiteral("speed\\[\\s*(\\d+)\\s*\\]"));
    static const QRegularExpression func(QStringLiteral("func\\[\\s*\\d+\\s*,\\s*(\\d)\\s*\\]"));
    const auto m = set.match(text.trimmed());
    if (!m.hasMatch())
        return;
    Befehl b;
    b.text = text.trimmed();
    b.adresse = m.captured(1).toInt();
    const QString rest = m.captured(2);
    if (const auto s = speed.match(rest); s.hasMatch()) {
        b.art = Befehl::fahrt;
        b.wert = b.danach = s.captured(1).toInt();
    } else if (rest.contains(QLatin1String("dir["))) {
        b.art = Befehl::richtung;
    } else if (rest.contains(QLatin1String("func["))) {
        b.art = Befehl::funktion;
        for (auto it = func.globalMatch(rest); it.hasNext();)
            b.wert |= it.next().captured(1) == u'1';
    } else {
        return;
    }
    aus << b;
}

// The DCC-EX texts: "<t cab speed dir>", "<F cab n v>".
void liesDccex(const QByteArray &bytes, QList<Befehl> &aus)
{
    for (const QByteArray &zeile : bytes.split('\n')) {
        const QList<QByteArray> teile = zeile.trimmed().mid(1).chopped(zeile.trimmed().endsWith('>') ? 1 : 0).split(' ');
        if (!zeile.trimmed().startsWith('<') || teile.size() != 4)
            continue;
        Befehl b;
        b.text = QString::fromLatin1(zeile.trimmed());
        b.adresse = teile[1].toInt();
        if (teile[0] == "t") {
            b.art = Befehl::fahrt;
            b.wert = b.danach = qMax(0, teile[2].toInt());
        } else if (teile[0] == "F") {
            b.art = Befehl::funktion;
            b.wert = teile[3] == "1";
        } else {
            continue;
        }
        aus << b;
    }
}

// A Z21 decoder line: "<hex>  LAN_X_SET_LOCO_DRIVE -> Lok N: ...".
void liesZ21(const QString &zeile, QList<Befehl> &aus)
{
    Befehl b;
    b.text = zeile;
    b.adresse = zahlNach(zeile, QStringLiteral("-> Lok "));
    if (b.adresse < 0)
        return;
    b.danach = geschwindigkeitIm(zeile, QStringLiteral("Fahrstufe "));
    if (zeile.contains(QLatin1String("LAN_X_SET_LOCO_DRIVE"))) {
        b.art = Befehl::fahrt;
        b.wert = b.danach;
    } else if (zeile.contains(QLatin1String("LAN_X_SET_LOCO_FUNCTION"))) {
        b.art = Befehl::funktion;
        static const QRegularExpression an(QStringLiteral("FUNCTION F\\d (an|umschalten)"));
        b.wert = zeile.contains(an);
    } else {
        return;
    }
    aus << b;
}

// A Central Station decoder line: "<hex>  Geschwindigkeit W -> Lok DCC N: ...".
void liesCs2(const QString &zeile, QList<Befehl> &aus)
{
    const int pfeil = zeile.indexOf(QLatin1String(" -> Lok "));
    if (pfeil < 0)
        return;
    Befehl b;
    b.text = zeile;
    const int doppelpunkt = zeile.indexOf(QLatin1Char(':'), pfeil);
    const int leer = zeile.lastIndexOf(QLatin1Char(' '), doppelpunkt);
    b.adresse = zeile.mid(leer + 1, doppelpunkt - leer - 1).toInt();
    b.danach = zahlNach(zeile, QStringLiteral("Geschwindigkeit "), doppelpunkt);
    static const QRegularExpression funktion(QStringLiteral("^F\\d (\\d+)$"));
    const QString was = zeile.mid(zeile.indexOf(QLatin1String("  ")) + 2, pfeil - zeile.indexOf(QLatin1String("  ")) - 2);
    if (was.startsWith(QLatin1String("Geschwindigkeit ")) && !was.contains(QLatin1String("abfragen"))) {
        b.art = Befehl::fahrt;
        b.wert = b.danach;
    } else if (was.startsWith(QLatin1String("Richtung ")) && !was.contains(QLatin1String("abfragen"))) {
        b.art = Befehl::richtung;
    } else if (funktion.match(was).hasMatch()) {
        b.art = Befehl::funktion;
        b.wert = !was.endsWith(QLatin1String(" 0"));
    } else {
        return;
    }
    aus << b;
}

const char *gleisName(Gleiszustand z)
{
    switch (z) {
    case Gleiszustand::an: return "an";
    case Gleiszustand::aus: return "aus";
    case Gleiszustand::kurzschluss: return "kurzschluss";
    case Gleiszustand::nothalt: return "nothalt";
    case Gleiszustand::verbindungVerloren: return "verloren";
    default: return "unbekannt";
    }
}

std::optional<Gleiszustand> gleisAus(const QString &name)
{
    for (Gleiszustand z : {Gleiszustand::an, Gleiszustand::aus, Gleiszustand::kurzschluss, Gleiszustand::nothalt,
                           Gleiszustand::verbindungVerloren})
        if (name == QLatin1String(gleisName(z)))
            return z;
    return std::nullopt;
}

// The run logic with all six stations, each on its own recording port or link, and
// the decoders that read their traffic back.
struct Anlage {
    Tabellenspeicher tabelle;
    TestBedienfeld feld;
    VirtuelleZeit zeit;
    KlangMitschrift klang{zeit};
    Ablauf ablauf{tabelle, feld, zeit, klang};
    Verkehr verkehr;
    Portmitschrift port0{zeit, verkehr, 0};
    Portmitschrift port1{zeit, verkehr, 1};
    Linkerfassung<LinkMitschrift> ecosLink{zeit, verkehr, 2};
    Linkerfassung<Z21Mitschrift> z21Link{zeit, verkehr, 3};
    Linkerfassung<LinkMitschrift> dccexLink{zeit, verkehr, 4};
    Linkerfassung<Cs2Linkmitschrift> cs2Link{zeit, verkehr, 5};
    Beobachtet<MaerklinTreiber> maerklin{beiStart(0), ablauf, port0, zentralenzeile(0)->lesart};
    Beobachtet<LenzTreiber> lenz{beiStart(1), ablauf, port1, zentralenzeile(1)->lesart, ablauf.gleismelder(1)};
    Beobachtet<EcosTreiber> ecos{beiStart(2), ablauf, ecosLink, zentralenzeile(2)->lesart};
    Beobachtet<Z21Treiber> z21{beiStart(3), ablauf, z21Link, zentralenzeile(3)->lesart};
    Beobachtet<DccexTreiber> dccex{beiStart(4), ablauf, dccexLink, zentralenzeile(4)->lesart};
    Beobachtet<Cs2Treiber> cs2{beiStart(5), ablauf, cs2Link, zentralenzeile(5)->lesart};
    Netzmitschrift<> *links[anzahlStationen] = {nullptr, nullptr, &ecosLink, &z21Link, &dccexLink, nullptr};

    sim::Dekodierer maerklinDekodierer{sim::Station::Maerklin};
    sim::Dekodierer lenzDekodierer{sim::Station::Lenz};
    sim::Z21Dekodierer z21Dekodierer;
    sim::Cs2Dekodierer cs2Dekodierer;
    qint64 dekodiertMs = 0;       // the serial decoders' own clock
    std::size_t gelesen = 0;      // frames decoded so far
    std::map<std::pair<int, int>, int> letzteFahrt; // (option, address): speed after its last speed command
    std::map<std::pair<int, int>, QString> letzterText;
    Gleiszustand gleis[anzahlStationen] = {};
    int starts = 0;
    QString fehler;

    std::function<void()> beiStart(int option)
    {
        return [this, option] {
            ++starts;
            verkehr.passOption = option;
            verkehr.pass = std::pair{option, feld.adresse.toInt()};
            verkehr.gestartet.try_emplace(verkehr.pass, verkehr.rahmen.size());
        };
    }

    Anlage()
    {
        verkehr.zeit = &zeit;
        ablauf.setzeTreiber(0, &maerklin);
        ablauf.setzeTreiber(1, &lenz);
        ablauf.setzeTreiber(2, &ecos);
        ablauf.setzeTreiber(3, &z21);
        ablauf.setzeTreiber(4, &dccex);
        ablauf.setzeTreiber(5, &cs2);
        // 128 steps where a station has a choice, so that every speed reads back as sent;
        // DCC on the Central Station, whose range takes every address used here.
        lenz.setzeFahrstufen(3);
        z21.setzeFahrstufen(3);
        cs2.setzeFahrstufen(3);
        cs2.setzeProtokoll(Cs2Protokoll::dcc);
        QObject::connect(&ablauf, &Ablauf::laufBeginnt, [this](bool) { verkehr.gesperrt = false; });
    }

    void setzeLink(int option, bool offen)
    {
        if (option == 5)
            cs2Link.offen = offen;
        else if (links[option])
            links[option]->offen = offen;
    }

    QList<Befehl> dekodiere(const Rahmen &r)
    {
        QList<Befehl> befehle;
        switch (r.option) {
        case 0:
        case 1: {
            // Each write is one command: a pause after it closes anything cut.
            sim::Dekodierer &d = r.option == 0 ? maerklinDekodierer : lenzDekodierer;
            dekodiertMs += 1000;
            QList<sim::Ereignis> e = d.fuettere(r.bytes, dekodiertMs);
            e += d.ticke(dekodiertMs + sim::Dekodierer::pauseMs + 1);
            for (const auto &ereignis : e)
                if (!ereignis.fehler)
                    liesSeriell(ereignis.text, r.option == 1, befehle);
            break;
        }
        case 2:
            liesEcos(QString::fromLatin1(r.bytes), befehle);
            break;
        case 3:
            for (const QString &zeile : z21Dekodierer.verarbeite(r.bytes, QStringLiteral("pc")).zeilen)
                liesZ21(zeile, befehle);
            break;
        case 4:
            liesDccex(r.bytes, befehle);
            break;
        case 5:
            for (const QString &zeile : cs2Dekodierer.verarbeite(r.bytes, QStringLiteral("pc")).zeilen)
                liesCs2(zeile, befehle);
            break;
        }
        return befehle;
    }

    // Reads the frames written since the last look and checks (a) and (c) on them,
    // then (b) when nothing runs. The first failure is kept.
    void pruefe()
    {
        while (gelesen < verkehr.rahmen.size()) {
            const std::size_t index = gelesen++;
            const Rahmen r = verkehr.rahmen[index];
            for (const Befehl &b : dekodiere(r)) {
                const auto schluessel = std::pair{r.option, b.adresse};
                const QString wo = QStringLiteral("%1 ms, Station %2, Lok %3: \"%4\"%5")
                                       .arg(r.zeit)
                                       .arg(r.option)
                                       .arg(b.adresse)
                                       .arg(b.text, r.raus ? QString() : QStringLiteral(" (vom Link abgewiesen)"));
                if (b.danach >= 0) {
                    letzteFahrt[schluessel] = b.danach;
                    letzterText[schluessel] = wo;
                }
                if (!b.treibt() || !fehler.isEmpty())
                    continue;
                // Only the locomotive of the pass or single line started last is driven;
                // one an earlier pass drove only gets its stop.
                const auto start = verkehr.gestartet.find(schluessel);
                if (start == verkehr.gestartet.end() || start->second > index)
                    fehler = QStringLiteral("(a) fährt eine Lok, für die nichts gestartet wurde: ") + wo;
                else if (r.pass != schluessel)
                    fehler = QStringLiteral("(a) fährt eine Lok, deren Pass vorbei ist (gestartet zuletzt: Station %1, Lok %2): ")
                                 .arg(r.pass.first)
                                 .arg(r.pass.second)
                             + wo;
                else if (r.gesperrt)
                    fehler = QStringLiteral("(c) fährt nach einem Halt vor dem nächsten Start: ") + wo;
            }
        }
        if (!fehler.isEmpty() || ablauf.laeuft())
            return;
        for (const auto &[schluessel, geschwindigkeit] : letzteFahrt)
            if (geschwindigkeit > 0) {
                fehler = QStringLiteral("(b) nach dem Ende des Laufs ohne Halt, zuletzt: ") + letzterText[schluessel];
                return;
            }
    }

    // A table "d,e,s,l,f1,f2,f3,f4;..." fills lines 1 and on, the rest stays empty.
    void fuelle(const QString &text)
    {
        const QStringList zeilen = text.split(QLatin1Char(';'));
        for (int nr = 1; nr <= anzahlZeilen; ++nr)
            fuelleZeile(tabelle, nr, nr <= zeilen.size() ? zeilen[nr - 1] : QString());
    }

    // Runs one action, written "<verb> <arguments>".
    void fuehreAus(const QStringList &t)
    {
        const QString &verb = t[0];
        if (verb == u"start" || verb == u"zeile") {
            // A table is loaded only while nothing runs; a click during a run is refused.
            if (!ablauf.laeuft()) {
                fuelle(t[2]);
                tabelle.setzeAktuelleZeile(t[1].toInt());
            }
            if (verb == u"start")
                ablauf.btnStart_Click();
            else
                ablauf.btnSendZeile_Click();
        } else if (verb == u"stopp") {
            verkehr.gesperrt = true;
            ablauf.stoppKlick();
        } else if (verb == u"adresse") {
            feld.adresse = t[1];
        } else if (verb == u"option") {
            feld.option = t[1].toInt();
        } else if (verb == u"endlos") {
            feld.mitEndlos = t[1] == u"1";
        } else if (verb == u"halteAn") {
            verkehr.gesperrt = true;
            ablauf.halteAn();
        } else if (verb == u"gleis") {
            const int option = t[1].toInt();
            const Gleiszustand z = *gleisAus(t[2]);
            // A report stops when it tells a new state in which nothing may drive, of the
            // station the run drives on (the report of any station when nothing runs).
            const bool neu = gleis[option] != z;
            gleis[option] = z;
            if (neu && z != Gleiszustand::an && (!ablauf.laeuft() || verkehr.passOption == option))
                verkehr.gesperrt = true;
            ablauf.gleismelder(option).meldeGleiszustand(z);
        } else if (verb == u"power") {
            if (t[1] == u"0")
                verkehr.gesperrt = true;
            ablauf.btnPower_Click(t[1].toInt());
        } else if (verb == u"link") {
            setzeLink(t[1].toInt(), t[2] == u"auf");
        } else if (verb == u"beenden") {
            verkehr.gesperrt = true;
            ablauf.beenden();
        } else {
            qFatal("unbekannte Aktion %s", qPrintable(t.join(u' ')));
        }
    }
};

// Runs the actions ("<ms> <verb> <arguments>") at their virtual times, the window
// closing after the last; "" when the properties held, else what failed and where.
// What the random sequences did, all together: that they drive at all.
struct Umfang {
    qint64 rahmen = 0;
    qint64 starts = 0; // passes and single lines
    qint64 gesperrt = 0; // frames written while a stop held
};

QString spiele(const QStringList &aktionen, const QString &vorher = {}, Umfang *umfang = nullptr)
{
    Anlage a;
    const QStringList grund = vorher.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // "<option> <address> <signal>": the state of the window before the first action.
    if (grund.size() == 3) {
        a.feld.option = grund[0].toInt();
        a.feld.adresse = grund[1];
        a.feld.mitSignal = grund[2] == u"1";
    }
    QStringList alle = aktionen;
    if (alle.isEmpty() || !alle.last().endsWith(QLatin1String(" beenden")))
        alle << QString::number(alle.isEmpty() ? 0 : alle.last().section(u' ', 0, 0).toLongLong() + 1) + QStringLiteral(" beenden");
    int naechste = 0;
    bool geschlossen = false;
    for (int i = 0; i < alle.size(); ++i) {
        QStringList teile = alle[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qint64 zeitpunkt = teile.takeFirst().toLongLong();
        a.zeit.bei(zeitpunkt, [&a, &naechste, &geschlossen, teile, i, &alle] {
            ++naechste;
            a.pruefe();
            if (!a.fehler.isEmpty() && !geschlossen) {
                // Found: the run is ended at once, so that an endless one does not go on
                // without the actions that would have stopped it.
                geschlossen = true;
                a.ablauf.beenden();
            }
            if (geschlossen)
                return;
            a.fuehreAus(teile);
            if (teile[0] == u"beenden")
                geschlossen = true;
            a.pruefe();
            if (!a.fehler.isEmpty())
                a.fehler = QStringLiteral("nach Schritt %1 (\"%2\"): ").arg(i + 1).arg(alle[i]) + a.fehler;
        });
    }
    qint64 bis = 0;
    while (naechste < alle.size()) {
        const qint64 zeitpunkt = alle[naechste].section(u' ', 0, 0).toLongLong();
        bis = qMax(bis, zeitpunkt);
        a.zeit.jetzt = qMax(a.zeit.jetzt, bis);
        a.zeit.verarbeiteEreignisse();
        a.pruefe();
    }
    if (umfang) {
        umfang->rahmen += qint64(a.verkehr.rahmen.size());
        umfang->starts += a.starts;
        for (const Rahmen &r : a.verkehr.rahmen)
            umfang->gesperrt += r.gesperrt;
    }
    return a.fehler;
}

// The station variants a sequence is about: the 6051 path and the IntelliBox text path
// of option 0, then options 1 to 5.
struct Heimat {
    int option;
    QString adresse;
};
const Heimat heimaten[] = {{0, QStringLiteral("24")}, {0, QStringLiteral("300")}, {1, QStringLiteral("3")},
                           {2, QStringLiteral("24")}, {3, QStringLiteral("24")}, {4, QStringLiteral("3")},
                           {5, QStringLiteral("24")}};
constexpr int anzahlHeimaten = int(std::size(heimaten));

// A random sequence of `schritte` actions for seed `saat`; `vorher` the window's state.
QStringList erzeuge(quint32 saat, int schritte, QString &vorher)
{
    std::mt19937 zufall(saat);
    auto bis = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(zufall)); };
    const Heimat &heimat = heimaten[saat % anzahlHeimaten];
    vorher = QStringLiteral("%1 %2 %3").arg(heimat.option).arg(heimat.adresse).arg(bis(4) == 0 ? 1 : 0);
    const QStringList adressen{heimat.adresse, QStringLiteral("3"), QStringLiteral("24"), QStringLiteral("300")};
    const QStringList einheiten{"s", "S", "s", "S", "s", "S", "m", "M", "f", "F", "x"};
    auto tabelle = [&] {
        QStringList zeilen;
        const int n = 1 + bis(4);
        for (int z = 0; z < n; ++z) {
            // Speeds of the 6051 path stay in its 0 to 14 on that home, else 0 to 126.
            const int fahrstufe = bis(5) == 0 ? 0 : (heimat.option == 0 && heimat.adresse == u"24") ? bis(15) : bis(127);
            QStringList zellen{QString::number(1 + bis(5)), einheiten[bis(einheiten.size())], QString::number(fahrstufe)};
            for (int f = 0; f < 5; ++f)
                zellen << (bis(3) == 0 ? QStringLiteral("X") : QString());
            zeilen << zellen.join(u',');
        }
        return std::pair{n, zeilen.join(u';')};
    };
    QStringList aktionen;
    qint64 jetzt = 0;
    for (int i = 0; i < schritte; ++i) {
        // Half of the gaps fall on the 100 ms grid of the lines and pauses, so that an
        // action often comes in the same moment as a line's end or a pass's start.
        jetzt += bis(4) == 0 ? 0 : bis(2) ? 100 * bis(30) : bis(3000);
        const int wurf = bis(1000);
        QString a;
        if (wurf < 200) {
            const auto [n, t] = tabelle();
            a = QStringLiteral("start %1 %2").arg(1 + bis(n)).arg(t);
        } else if (wurf < 280) {
            const auto [n, t] = tabelle();
            a = QStringLiteral("zeile %1 %2").arg(1 + bis(n)).arg(t);
        } else if (wurf < 350) {
            a = QStringLiteral("stopp");
        } else if (wurf < 470) {
            a = QStringLiteral("adresse ") + adressen[bis(adressen.size())];
        } else if (wurf < 540) {
            a = QStringLiteral("option %1").arg(bis(2) ? heimat.option : bis(anzahlStationen));
        } else if (wurf < 620) {
            a = QStringLiteral("endlos %1").arg(bis(2));
        } else if (wurf < 660) {
            a = QStringLiteral("halteAn");
        } else if (wurf < 800) {
            static const char *zustaende[] = {"aus", "kurzschluss", "nothalt", "verloren", "an", "an", "an"};
            a = QStringLiteral("gleis %1 %2").arg(bis(3) ? heimat.option : bis(anzahlStationen)).arg(QLatin1String(zustaende[bis(7)]));
        } else if (wurf < 890) {
            a = QStringLiteral("power %1").arg(bis(2));
        } else if (wurf < 970) {
            a = QStringLiteral("link %1 %2").arg(bis(2) && heimat.option >= 2 ? heimat.option : 2 + bis(4)).arg(bis(2) ? "zu" : "auf");
        } else if (wurf < 973) {
            a = QStringLiteral("beenden");
        } else {
            a = QStringLiteral("adresse ") + adressen[0];
        }
        aktionen << QString::number(jetzt) + u' ' + a;
        if (a == u"beenden")
            break;
    }
    return aktionen;
}

// The shortest prefix of `aktionen` that still fails.
QStringList kuerzeste(const QStringList &aktionen, const QString &vorher)
{
    for (int n = 1; n < aktionen.size(); ++n)
        if (!spiele(aktionen.mid(0, n), vorher).isEmpty())
            return aktionen.mid(0, n);
    return aktionen;
}

QString alsZeile(const QStringList &aktionen)
{
    QStringList zitiert;
    for (const QString &a : aktionen)
        zitiert << u'"' + a + u'"';
    return u'{' + zitiert.join(QStringLiteral(", ")) + u'}';
}

} // namespace

class TestSicherheit : public QObject {
    Q_OBJECT
private slots:
    // Sequences found by zufall() and rows written by hand, kept as they are.
    void aufgezeichnet_data()
    {
        QTest::addColumn<QString>("vorher");
        QTest::addColumn<QStringList>("aktionen");
        // A stop between two passes of an endless run: the next pass stops the
        // locomotive at its first line and drives nothing.
        QTest::newRow("Lenz, Halt zwischen zwei Pässen")
            << "1 3 0" << QStringList{"0 endlos 1", "0 start 1 2,S,40,X", "2100 stopp"};
        // The address changes during an endless run: each pass drives the address read
        // at its start, and the locomotive left behind is stopped.
        QTest::newRow("Z21, neue Adresse im Endlosbetrieb")
            << "3 24 0" << QStringList{"0 endlos 1", "0 start 1 1,S,60,X,X", "500 adresse 300", "4000 stopp"};
        // A report of a station that does not drive ends nothing; the run goes on.
        QTest::newRow("ECoS, Meldung einer anderen Station")
            << "2 24 0" << QStringList{"0 start 1 3,s,20;2,S,30", "1000 gleis 3 aus", "2500 halteAn"};
        // Power off on the Central Station during a single line; the link refuses
        // meanwhile and the stop still counts as the program's.
        QTest::newRow("CS2, Power aus und Link weg")
            << "5 24 1" << QStringList{"0 zeile 1 5,S,90,,X", "1000 link 5 zu", "1500 power 0", "3000 link 5 auf"};
        // The station changes between two passes: the locomotive on the old one stops.
        QTest::newRow("DCC-EX nach 6051 im Endlosbetrieb")
            << "4 3 0" << QStringList{"0 endlos 1", "0 start 1 2,s,50,X", "1000 option 0", "5000 gleis 0 kurzschluss"};
        QTest::newRow("IntelliBox, Richtungswechsel und St&op")
            << "0 300 0" << QStringList{"0 start 1 2,S,40,X;3,f,0;2,s,20", "3000 stopp", "3200 start 1 1,s,5"};
    }
    void aufgezeichnet()
    {
        QFETCH(QString, vorher);
        QFETCH(QStringList, aktionen);
        const QString fehler = spiele(aktionen, vorher);
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
    }

    // Seeded random sequences over all station variants; each failing seed is shrunk
    // to its shortest failing prefix and printed as a row for aufgezeichnet_data().
    void zufall()
    {
        // TRABOLIN_SAAT and TRABOLIN_SEQUENZEN search further by hand; CI runs the fixed base.
        const quint32 basis = qEnvironmentVariableIsSet("TRABOLIN_SAAT") ? quint32(qEnvironmentVariableIntValue("TRABOLIN_SAAT")) : 20261207u;
        const int anzahl = qEnvironmentVariableIsSet("TRABOLIN_SEQUENZEN") ? qEnvironmentVariableIntValue("TRABOLIN_SEQUENZEN") : 3000;
        constexpr int schritte = 300;
        QElapsedTimer uhr;
        uhr.start();
        int fehlschlaege = 0;
        Umfang umfang;
        QString erster;
        for (int i = 0; i < anzahl; ++i) {
            QString vorher;
            const QStringList aktionen = erzeuge(basis + quint32(i), schritte, vorher);
            const QString fehler = spiele(aktionen, vorher, &umfang);
            if (fehler.isEmpty())
                continue;
            ++fehlschlaege;
            if (fehlschlaege > 5) // the first few are shrunk and printed; the rest only counted
                continue;
            const QStringList kurz = kuerzeste(aktionen, vorher);
            const QString text = QStringLiteral("Saat %1 (Station %2): %3\n  kürzeste Folge (%4 Schritte): QTest::newRow(\"Saat %1\") << \"%5\" << QStringList%6;\n  dort: %7")
                                     .arg(basis + quint32(i))
                                     .arg(vorher.section(u' ', 0, 1))
                                     .arg(fehler)
                                     .arg(kurz.size())
                                     .arg(vorher, alsZeile(kurz), spiele(kurz, vorher));
            qWarning("%s", qPrintable(text));
            if (erster.isEmpty())
                erster = text;
        }
        qInfo("%d Folgen zu höchstens %d Schritten in %lld ms: %lld Starts, %lld Rahmen, davon %lld nach einem Halt",
              anzahl, schritte, uhr.elapsed(), umfang.starts, umfang.rahmen, umfang.gesperrt);
        QVERIFY(umfang.starts > anzahl && umfang.gesperrt > 0);
        if (fehlschlaege)
            QFAIL(qPrintable(QStringLiteral("%1 von %2 Folgen verletzen die Regeln; die erste: %3").arg(fehlschlaege).arg(anzahl).arg(erster)));
    }
};

QTEST_GUILESS_MAIN(TestSicherheit)
#include "tst_sicherheit.moc"

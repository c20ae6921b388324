// What the runs must keep on every station, whatever the user and the layout do while
// they go on: seeded random sequences over one to four driving programs on one
// Fahrbetrieb (each program's clicks, its own halt, typed addresses and endless mode;
// "Alle starten", St&op, station changes, layout reports, contact reports, power
// switches, refusing links and closing), each at a random virtual time on a clock whose
// waits suspend, so that the runs go on side by side; contact lines wait at most 3 s
// for their contact. The traffic of all six stations is decoded after every step:
//  (a) every command that drives goes to the locomotive of its program's pass or single
//      line started last, on the station it was started on (the address read at the
//      start of each pass, so in endless mode the one typed before that pass);
//  (b) once a program does not run, every locomotive it gave a speed has speed 0 as its
//      last speed command;
//  (c) from a stop of a program (St&op, a layout report that ends its run, Power off,
//      closing, its own halt or that of a handler, a contact that never came) to its
//      next start nothing of it drives: no speed above 0, no direction, no function
//      switched on. A speed-0 frame is always a stop, also where it carries a direction;
//  (d) when a pass drives, no other locomotive of its program is left moving: one an
//      earlier pass drove (on another station, or at the address before) has had its
//      stop first;
//  (e) no program drives a locomotive another program's run drives at that moment.
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

#include <QtTest>

#include <map>
#include <random>

using namespace trabolin;
using namespace trabolin::test;

namespace {

constexpr int anzahlStationen = 6;
using Schluessel = std::pair<int, int>; // (option, address)

constexpr int hoechstensProgramme = 4;

// One write or frame as a driver gave it to its port or link, with what the test knew
// at that moment: the program whose driver wrote it, whether a stop holds for that
// program since its last start, its pass started last, and the passes the other
// programs drive now.
struct Rahmen {
    int option = 0;
    QByteArray bytes;
    bool raus = true; // the port or link took it
    int programm = 0;
    bool gesperrt = false;
    Schluessel pass{-1, 0};
    qint64 zeit = 0;
    std::vector<std::pair<int, Schluessel>> andere; // (program, pass) of the others that run
};

// What the run did, in the order it happened.
struct Verkehr {
    std::vector<Rahmen> rahmen;
    bool gesperrt[hoechstensProgramme] = {};
    bool laeuft[hoechstensProgramme] = {};
    Schluessel pass[hoechstensProgramme] = {{-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}};
    // every pass or single line started, per program: frames written before its start
    std::map<Schluessel, std::size_t> gestartet[hoechstensProgramme];
    const VirtuelleZeit *zeit = nullptr;
    void nimm(int programm, int option, const QByteArray &bytes, bool raus)
    {
        Rahmen r{option, bytes, raus, programm, gesperrt[programm], pass[programm], zeit->jetzt, {}};
        for (int p = 0; p < hoechstensProgramme; ++p)
            if (p != programm && laeuft[p])
                r.andere.emplace_back(p, pass[p]);
        rahmen.push_back(std::move(r));
    }
};

// The serial port of one station, and a network link double that also keeps what it
// refused, as one program's driver writes to them.
struct Portmitschrift : Mitschrift {
    Verkehr &verkehr;
    int programm, option;
    Portmitschrift(VirtuelleZeit &zeit, Verkehr &v, int p, int o) : Mitschrift(zeit), verkehr(v), programm(p), option(o) {}
    void schreibe(const QByteArray &b) override
    {
        Mitschrift::schreibe(b);
        verkehr.nimm(programm, option, b, true);
    }
};
template <class Basis>
struct Linkerfassung : Basis {
    Verkehr &verkehr;
    int programm, option;
    Linkerfassung(VirtuelleZeit &zeit, Verkehr &v, int p, int o) : Basis(zeit), verkehr(v), programm(p), option(o) {}
    bool sende(const QByteArray &b) override
    {
        const bool raus = Basis::sende(b);
        verkehr.nimm(programm, option, b, raus);
        return raus;
    }
};

// A driver that tells when a pass or single line takes its locomotive: the run logic
// asks it once at each start.
template <class Treiber>
struct Beobachtet : Treiber {
    std::function<void()> beiStart;
    template <class... A>
    explicit Beobachtet(std::function<void()> b, A &&...a) : Treiber(std::forward<A>(a)...), beiStart(std::move(b)) {}
    Lok nimmLok(const QString &text, qint16 nummer) const override
    {
        beiStart();
        return Treiber::nimmLok(text, nummer);
    }
};

// One command for a locomotive as read back from the wire.
struct Befehl {
    enum Art { fahrt, richtung, funktion } art = fahrt;
    int adresse = 0;
    int wert = 0;    // the speed; for a function 1 when it switches one on
    int danach = -1; // the locomotive's speed after it, as the station holds it; -1 unknown
    QString text;
    bool treibt() const { return art == richtung || wert > 0; }
};

// A decoder line of the serial stations, the Z21 or the Central Station: what was done
// before "Lok [protocol] N:", the locomotive's state after it ("Nothalt" is speed 0).
// A serial "Funktionen" sets all of them; on the 6051 path (not `lenz`) the light rides
// on the speed, so only F1 to F4 count there.
void liesZeile(const QString &zeile, bool lenz, QList<Befehl> &aus)
{
    static const QRegularExpression form(QStringLiteral("^(.*?)Lok (?:\\w+ )?(\\d+): (.*)$"));
    static const QRegularExpression stand(QStringLiteral("Nothalt|(?:Fahrstufe|Geschwindigkeit) (\\d+)"));
    static const QRegularExpression cs2Funktion(QStringLiteral("  F\\d (\\d+) -> $"));
    static const QRegularExpression z21An(QStringLiteral("FUNCTION F\\d (an|umschalten)"));
    static const QRegularExpression seriellAn(QStringLiteral("\\|.*F[1-4] an"));
    const auto m = form.match(zeile);
    if (!m.hasMatch())
        return;
    const QString kopf = m.captured(1);
    const bool abfrage = kopf.contains(QLatin1String("abfragen"));
    const auto s = stand.match(m.captured(3));
    const auto f = cs2Funktion.match(kopf);
    Befehl b{Befehl::fahrt, m.captured(2).toInt(), 0, s.hasMatch() ? s.captured(1).toInt() : -1, zeile};
    if (kopf.startsWith(QLatin1String("Fahren")) || kopf.contains(QLatin1String("SET_LOCO_DRIVE"))
        || (kopf.contains(QLatin1String("Geschwindigkeit ")) && !abfrage)) {
        b.wert = b.danach;
    } else if (kopf.startsWith(QLatin1String("Wenden")) || (kopf.contains(QLatin1String("Richtung ")) && !abfrage)) {
        b.art = Befehl::richtung;
    } else if (kopf.startsWith(QLatin1String("Funktionen"))) {
        b.art = Befehl::funktion;
        b.wert = zeile.contains(seriellAn) || (lenz && zeile.section(u'|', 1).contains(QLatin1String("Licht an")));
    } else if (f.hasMatch() || kopf.contains(QLatin1String("SET_LOCO_FUNCTION"))) {
        b.art = Befehl::funktion;
        b.wert = f.hasMatch() ? f.captured(1) != u"0" : zeile.contains(z21An);
    } else {
        return;
    }
    aus << b;
}

// The ECoS texts "set(ID,speed[n])", "set(ID,dir[d])", "set(ID,func[n,v],...)" and the
// DCC-EX ones "<t cab speed dir>", "<F cab n v>".
void liesText(const QByteArray &bytes, QList<Befehl> &aus)
{
    static const QRegularExpression ecos(QStringLiteral("^set\\(\\s*(\\d+)\\s*,(.*)\\)$"));
    static const QRegularExpression speed(QStringLiteral("speed\\[\\s*(\\d+)\\s*\\]"));
    static const QRegularExpression an(QStringLiteral("func\\[\\s*\\d+\\s*,\\s*1\\s*\\]"));
    static const QRegularExpression dccex(QStringLiteral("^<([tF]) (\\d+) (-?\\d+) (\\d+)>?$"));
    for (const QByteArray &roh : bytes.split('\n')) {
        const QString zeile = QString::fromLatin1(roh.trimmed());
        if (const auto e = ecos.match(zeile); e.hasMatch()) {
            const QString rest = e.captured(2);
            const auto s = speed.match(rest);
            Befehl b{Befehl::fahrt, e.captured(1).toInt(), s.captured(1).toInt(), -1, zeile};
            if (s.hasMatch())
                b.danach = b.wert;
            else if (rest.contains(QLatin1String("dir[")))
                b.art = Befehl::richtung;
            else if (rest.contains(QLatin1String("func[")))
                b = {Befehl::funktion, b.adresse, int(rest.contains(an)), -1, zeile};
            else
                continue;
            aus << b;
        } else if (const auto d = dccex.match(zeile); d.hasMatch()) {
            const bool fahrt = d.captured(1) == u"t";
            const int wert = fahrt ? qMax(0, d.captured(3).toInt()) : int(d.captured(4) == u"1");
            aus << Befehl{fahrt ? Befehl::fahrt : Befehl::funktion, d.captured(2).toInt(), wert, fahrt ? wert : -1, zeile};
        }
    }
}

const QMap<QString, Gleiszustand> gleisNamen{{"an", Gleiszustand::an}, {"aus", Gleiszustand::aus},
                                             {"kurzschluss", Gleiszustand::kurzschluss}, {"nothalt", Gleiszustand::nothalt},
                                             {"verloren", Gleiszustand::verbindungVerloren}};

// One driving program: its table and fields, its run on the shared Fahrbetrieb, and
// its driver for each of the six stations, each writing through its own recording port
// or link (the program's frames are told apart; the links' "open" is the station's).
struct Programm {
    Tabellenspeicher tabelle;
    TestBedienfeld feld;
    KlangMitschrift klang;
    Ablauf ablauf;
    Verkehr &verkehr;
    int nummer; // from 0
    Portmitschrift port0, port1;
    Linkerfassung<LinkMitschrift> ecosLink;
    Linkerfassung<Z21Mitschrift> z21Link;
    Linkerfassung<LinkMitschrift> dccexLink;
    Linkerfassung<Cs2Linkmitschrift> cs2Link;
    Beobachtet<MaerklinTreiber> maerklin;
    Beobachtet<LenzTreiber> lenz;
    Beobachtet<EcosTreiber> ecos;
    Beobachtet<Z21Treiber> z21;
    Beobachtet<DccexTreiber> dccex;
    Beobachtet<Cs2Treiber> cs2;
    int passOption = -1; // the station of the pass or single line started last
    int starts = 0;

    Programm(Fahrbetrieb &betrieb, VirtuelleZeit &zeit, Verkehr &v, int n)
        : klang(zeit), ablauf(betrieb, tabelle, feld, klang), verkehr(v), nummer(n), port0(zeit, v, n, 0),
          port1(zeit, v, n, 1), ecosLink(zeit, v, n, 2), z21Link(zeit, v, n, 3), dccexLink(zeit, v, n, 4),
          cs2Link(zeit, v, n, 5), maerklin(beiStart(0), ablauf, port0, zentralenzeile(0)->lesart),
          lenz(beiStart(1), ablauf, port1, zentralenzeile(1)->lesart, ablauf.gleismelder(1)),
          ecos(beiStart(2), ablauf, ecosLink, zentralenzeile(2)->lesart),
          z21(beiStart(3), ablauf, z21Link, zentralenzeile(3)->lesart),
          dccex(beiStart(4), ablauf, dccexLink, zentralenzeile(4)->lesart),
          cs2(beiStart(5), ablauf, cs2Link, zentralenzeile(5)->lesart)
    {
        Zentralentreiber *treiber[] = {&maerklin, &lenz, &ecos, &z21, &dccex, &cs2};
        for (int i = 0; i < anzahlStationen; ++i)
            ablauf.setzeTreiber(i, treiber[i]);
        // 128 steps where a station has a choice, so that every speed reads back as sent;
        // DCC on the Central Station, whose range takes every address used here.
        lenz.setzeFahrstufen(3);
        z21.setzeFahrstufen(3);
        cs2.setzeFahrstufen(3);
        cs2.setzeProtokoll(Cs2Protokoll::dcc);
        ablauf.setzeKontaktZeitgrenze(3);
        QObject::connect(&ablauf, &Ablauf::laufBeginnt, [this](bool) {
            verkehr.gesperrt[nummer] = false;
            verkehr.laeuft[nummer] = true;
        });
        QObject::connect(&ablauf, &Ablauf::laufEndet, [this] { verkehr.laeuft[nummer] = false; });
        QObject::connect(&ablauf, &Ablauf::kontaktVerfehlt, [this](int) { verkehr.gesperrt[nummer] = true; });
    }

    std::function<void()> beiStart(int option)
    {
        return [this, option] {
            ++starts;
            passOption = option;
            verkehr.pass[nummer] = {option, feld.adresse.toInt()};
            verkehr.gestartet[nummer].try_emplace(verkehr.pass[nummer], verkehr.rahmen.size());
        };
    }
    bool *offen(int option)
    {
        static bool ohneLink = true;
        bool *o[anzahlStationen] = {&ohneLink, &ohneLink, &ecosLink.offen, &z21Link.offen, &dccexLink.offen, &cs2Link.offen};
        return o[option];
    }
};

// The programs on one Fahrbetrieb and one clock whose waits suspend, and the decoders
// that read the traffic of all six stations back.
struct Anlage {
    GleichzeitigeZeit zeit;
    Fahrbetrieb betrieb{zeit};
    Verkehr verkehr{.zeit = &zeit};
    std::vector<std::unique_ptr<Programm>> programme;

    sim::Dekodierer seriell[2] = {sim::Dekodierer{sim::Station::Maerklin}, sim::Dekodierer{sim::Station::Lenz}};
    sim::Z21Dekodierer z21Dekodierer;
    sim::Cs2Dekodierer cs2Dekodierer;
    qint64 dekodiertMs = 0; // the serial decoders' own clock
    std::size_t gelesen = 0; // frames decoded so far
    // The last speed command of each locomotive where it left it above 0, with the
    // program that sent it.
    std::map<Schluessel, std::pair<QString, int>> letzteFahrt;
    Gleiszustand gleis[anzahlStationen] = {};
    int kontaktwarten = 0, verfehlt = 0; // contact lines waited on; of them, not reached
    QString fehler;

    explicit Anlage(int anzahl)
    {
        for (int n = 0; n < anzahl; ++n) {
            programme.push_back(std::make_unique<Programm>(betrieb, zeit, verkehr, n));
            Ablauf &a = programme.back()->ablauf;
            QObject::connect(&a, &Ablauf::kontaktVerfehlt, [this](int) { ++verfehlt; });
            QObject::connect(&a, &Ablauf::kontaktwarteGeaendert, [this](int k) { kontaktwarten += k > 0; });
        }
    }
    int starts() const
    {
        int n = 0;
        for (const auto &p : programme)
            n += p->starts;
        return n;
    }

    QList<Befehl> dekodiere(const Rahmen &r)
    {
        QList<Befehl> befehle;
        QStringList zeilen;
        if (r.option <= 1) {
            // Each write is one command: a pause after it closes anything cut.
            sim::Dekodierer &d = seriell[r.option];
            dekodiertMs += 1000;
            QList<sim::Ereignis> ereignisse = d.fuettere(r.bytes, dekodiertMs);
            ereignisse += d.ticke(dekodiertMs + sim::Dekodierer::pauseMs + 1);
            for (const auto &e : ereignisse)
                if (!e.fehler)
                    zeilen << e.text;
        } else if (r.option == 3) {
            zeilen = z21Dekodierer.verarbeite(r.bytes, QStringLiteral("pc")).zeilen;
        } else if (r.option == 5) {
            zeilen = cs2Dekodierer.verarbeite(r.bytes, QStringLiteral("pc")).zeilen;
        } else {
            liesText(r.bytes, befehle);
        }
        for (const QString &zeile : zeilen)
            liesZeile(zeile, r.option == 1, befehle);
        return befehle;
    }

    // Reads the frames written since the last look and checks (a), (c), (d) and (e) on
    // them, then (b) for each program that does not run. The first failure is kept.
    void pruefe()
    {
        for (; gelesen < verkehr.rahmen.size() && fehler.isEmpty(); ++gelesen) {
            const Rahmen r = verkehr.rahmen[gelesen];
            for (const Befehl &b : dekodiere(r)) {
                const Schluessel lok{r.option, b.adresse};
                const QString wo = QStringLiteral("%1 ms, Programm %2, Station %3, Lok %4: \"%5\"%6")
                                       .arg(r.zeit).arg(r.programm + 1).arg(r.option).arg(b.adresse)
                                       .arg(b.text, r.raus ? QString() : QStringLiteral(" (vom Link abgewiesen)"));
                if (b.danach > 0)
                    letzteFahrt[lok] = {wo, r.programm};
                else if (b.danach == 0)
                    letzteFahrt.erase(lok);
                if (!b.treibt() || !fehler.isEmpty())
                    continue;
                // Only the locomotive of the program's pass or single line started last
                // is driven; one an earlier pass drove only gets its stop.
                const auto &gestartet = verkehr.gestartet[r.programm];
                const auto start = gestartet.find(lok);
                const auto zweiter = std::find_if(r.andere.begin(), r.andere.end(),
                                                  [&](const auto &a) { return a.second == lok; });
                if (start == gestartet.end() || start->second > gelesen)
                    fehler = QStringLiteral("(a) fährt eine Lok, für die nichts gestartet wurde: ") + wo;
                else if (r.pass != lok)
                    fehler = QStringLiteral("(a) fährt eine Lok, deren Pass vorbei ist (zuletzt gestartet: Station %1, Lok %2): ")
                                 .arg(r.pass.first).arg(r.pass.second) + wo;
                else if (r.gesperrt)
                    fehler = QStringLiteral("(c) fährt nach einem Halt vor dem nächsten Start: ") + wo;
                else if (zweiter != r.andere.end())
                    fehler = QStringLiteral("(e) fährt eine Lok, die Programm %1 fährt: ").arg(zweiter->first + 1) + wo;
                else if (const auto andere = std::find_if(letzteFahrt.begin(), letzteFahrt.end(),
                                                          [&](const auto &l) { return l.first != lok && l.second.second == r.programm; });
                         andere != letzteFahrt.end())
                    fehler = QStringLiteral("(d) fährt, während eine andere Lok des Programms ohne Halt fährt (%1): ")
                                 .arg(andere->second.first) + wo;
            }
        }
        for (const auto &[lok, fahrt] : letzteFahrt)
            if (fehler.isEmpty() && !programme[fahrt.second]->ablauf.laeuft())
                fehler = QStringLiteral("(b) nach dem Ende des Laufs ohne Halt, zuletzt: ") + fahrt.first;
    }

    // Runs one action, written "[@<program>] <verb> <arguments>"; without "@" program 1.
    void fuehreAus(QStringList t)
    {
        int nummer = 0;
        if (t[0].startsWith(u'@'))
            nummer = qBound(0, t.takeFirst().mid(1).toInt() - 1, int(programme.size()) - 1);
        Programm &p = *programme[nummer];
        const QString &verb = t[0];
        // A table "d,e,s,l,f1,f2,f3,f4;..." fills lines 1 and on, the rest stays empty; it
        // is loaded only while the program does not run, a click during its run is refused.
        if ((verb == u"start" || verb == u"zeile") && !p.ablauf.laeuft()) {
            const QStringList zeilen = t[2].split(u';');
            for (int nr = 1; nr <= anzahlZeilen; ++nr)
                fuelleZeile(p.tabelle, nr, zeilen.value(nr - 1));
            p.tabelle.setzeAktuelleZeile(t[1].toInt());
        }
        // A report stops when it tells a new state in which nothing may drive, of the
        // station a program drives on (the report of any station for a program that
        // does not run).
        const int option = t.value(1).toInt();
        const Gleiszustand z = gleisNamen.value(t.value(2));
        for (const auto &q : programme)
            if (verb == u"stopp" || verb == u"beenden" || (verb == u"power" && t[1] == u"0")
                || (verb == u"gleis" && gleis[option] != z && z != Gleiszustand::an
                    && (!q->ablauf.laeuft() || q->passOption == option))
                || ((verb == u"halteAn" || verb == u"halt") && q.get() == &p))
                verkehr.gesperrt[q->nummer] = true;
        if (verb == u"start")
            p.ablauf.btnStart_Click();
        else if (verb == u"alle") // "Alle starten": every program with a line, from line 1, at one instant
            for (const auto &q : programme) {
                if (q->ablauf.laeuft() || q->tabelle.zelle(1, 1).trimmed().isEmpty())
                    continue;
                q->tabelle.setzeAktuelleZeile(1);
                q->ablauf.btnStart_Click();
            }
        else if (verb == u"zeile")
            p.ablauf.btnSendZeile_Click();
        else if (verb == u"stopp")
            betrieb.stoppAlle();
        else if (verb == u"halt")
            p.ablauf.stoppKlick();
        else if (verb == u"adresse")
            p.feld.adresse = t[1];
        else if (verb == u"option")
            for (const auto &q : programme)
                q->feld.option = option;
        else if (verb == u"endlos")
            p.feld.mitEndlos = option == 1;
        else if (verb == u"halteAn")
            p.ablauf.halteAn();
        else if (verb == u"gleis")
            betrieb.gleismelder(option).meldeGleiszustand(gleis[option] = z);
        else if (verb == u"kontakt" && t[4] == u"ereignis")
            betrieb.gleismelder(option).meldeKontakt(t[2].toInt(), t[3] == u"1");
        else if (verb == u"kontakt")
            betrieb.gleismelder(option).meldeKontaktstand(t[2].toInt(), t[3] == u"1");
        else if (verb == u"power")
            p.ablauf.btnPower_Click(option);
        else if (verb == u"link")
            for (const auto &q : programme)
                *q->offen(option) = t[2] == u"auf";
        else if (verb == u"beenden")
            betrieb.beenden();
        else
            qFatal("unbekannte Aktion %s", qPrintable(t.join(u' ')));
    }
};

// What the random sequences did, all together: that they drive at all, and after stops.
struct Umfang {
    qint64 starts = 0;   // passes and single lines
    qint64 gesperrt = 0; // frames written while a stop held
    qint64 kontaktwarten = 0, verfehlt = 0;
};

// Runs the actions ("<ms> [@<program>] <verb> <arguments>") at their virtual times
// from the window's state `vorher` ("<option> <address> <signal>", then the address of
// each further program), the window closing after the last; "" when the properties
// held, else what failed and where.
QString spiele(QStringList alle, const QString &vorher, Umfang *umfang = nullptr)
{
    const QStringList grund = vorher.split(u' ');
    Anlage a(int(grund.size()) - 2);
    for (int n = 0; n < int(a.programme.size()); ++n) {
        Programm &p = *a.programme[n];
        p.feld.option = grund[0].toInt();
        p.feld.adresse = grund[n == 0 ? 1 : n + 2];
        p.feld.mitSignal = grund[2] == u"1";
    }
    if (alle.isEmpty() || !alle.last().endsWith(QLatin1String(" beenden")))
        alle << QString::number(alle.isEmpty() ? 0 : alle.last().section(u' ', 0, 0).toLongLong() + 1) + QStringLiteral(" beenden");
    bool geschlossen = false;
    for (int i = 0; i < alle.size(); ++i) {
        QStringList teile = alle[i].split(u' ', Qt::SkipEmptyParts);
        const qint64 zeitpunkt = teile.takeFirst().toLongLong();
        a.zeit.bei(zeitpunkt, [&, teile, i] {
            a.pruefe();
            // Found: the runs are ended at once, so that an endless one does not go on
            // without the actions that would have stopped it.
            if (!a.fehler.isEmpty() && !geschlossen) {
                geschlossen = true;
                a.betrieb.beenden();
            }
            if (geschlossen)
                return;
            a.fuehreAus(teile);
            geschlossen = teile.last() == u"beenden";
            a.pruefe();
            if (!a.fehler.isEmpty())
                a.fehler = QStringLiteral("nach Schritt %1 (\"%2\"): ").arg(i + 1).arg(alle[i]) + a.fehler;
        });
    }
    a.zeit.laufe();
    a.pruefe();
    if (umfang) {
        umfang->starts += a.starts();
        umfang->kontaktwarten += a.kontaktwarten;
        umfang->verfehlt += a.verfehlt;
        for (const Rahmen &r : a.verkehr.rahmen)
            umfang->gesperrt += r.gesperrt;
    }
    return a.fehler;
}

// A random sequence of `schritte` actions for seed `saat`; `vorher` the window's state.
// The station variants it is about: the 6051 path and the IntelliBox text path of
// option 0, then options 1 to 5; one to four programs, whose addresses often meet.
QStringList erzeuge(quint32 saat, int schritte, QString &vorher)
{
    static const char *heimaten[] = {"0 24", "0 300", "1 3", "2 24", "3 24", "4 3", "5 24"};
    std::mt19937 zufall(saat);
    auto bis = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(zufall)); };
    const QString heimat = QLatin1String(heimaten[saat % std::size(heimaten)]);
    const int option = heimat.section(u' ', 0, 0).toInt();
    vorher = heimat + (bis(4) == 0 ? QStringLiteral(" 1") : QStringLiteral(" 0"));
    const QStringList adressen{heimat.section(u' ', 1), "3", "24", "300"};
    const int programme = 1 + int((saat / std::size(heimaten)) % hoechstensProgramme);
    for (int n = 1; n < programme; ++n)
        vorher += u' ' + adressen[bis(adressen.size())];
    const QStringList einheiten{"s", "S", "s", "S", "s", "S", "m", "M", "f", "F", "x", "K", "k"};
    auto tabelle = [&](const char *verb) {
        QStringList zeilen;
        const int n = 1 + bis(4);
        for (int z = 0; z < n; ++z) {
            // Speeds of the 6051 path stay in its 0 to 14 on that home, else 0 to 126.
            const int fahrstufe = bis(5) == 0 ? 0 : heimat == u"0 24" ? bis(15) : bis(127);
            QStringList zellen{QString::number(1 + bis(5)), einheiten[bis(einheiten.size())], QString::number(fahrstufe)};
            for (int f = 0; f < 5; ++f)
                zellen << (bis(3) == 0 ? QStringLiteral("X") : QString());
            zeilen << zellen.join(u',');
        }
        return QStringLiteral("%1 %2 %3").arg(QLatin1String(verb)).arg(1 + bis(n)).arg(zeilen.join(u';'));
    };
    static const char *zustaende[] = {"aus", "kurzschluss", "nothalt", "verloren", "an", "an", "an"};
    QStringList aktionen;
    qint64 jetzt = 0;
    for (int i = 0; i < schritte; ++i) {
        // Half of the gaps fall on the 100 ms grid of the lines and pauses, so that an
        // action often comes in the same moment as a line's end or a pass's start.
        jetzt += bis(4) == 0 ? 0 : bis(2) ? 100 * bis(30) : bis(3000);
        const int wurf = bis(1000);
        const int programm = bis(programme);
        const QString wer = programm > 0 ? QStringLiteral("@%1 ").arg(programm + 1) : QString();
        QString a = wurf < 200   ? tabelle("start")
                          : wurf < 280 ? tabelle("zeile")
                          : wurf < 350 ? QStringLiteral("stopp")
                          : wurf < 470 ? "adresse " + adressen[bis(adressen.size())]
                          : wurf < 540 ? QStringLiteral("option %1").arg(bis(2) ? option : bis(anzahlStationen))
                          : wurf < 620 ? QStringLiteral("endlos %1").arg(bis(2))
                          : wurf < 660 ? QStringLiteral("halteAn")
                          : wurf < 800 ? QStringLiteral("gleis %1 %2").arg(bis(3) ? option : bis(anzahlStationen)).arg(QLatin1String(zustaende[bis(7)]))
                          : wurf < 850 ? QStringLiteral("kontakt %1 %2 %3 %4").arg(bis(4) ? option : bis(anzahlStationen)).arg(1 + bis(5)).arg(bis(2)).arg(bis(3) ? "ereignis" : "stand")
                          : wurf < 900 ? QStringLiteral("power %1").arg(bis(2))
                          : wurf < 970 ? QStringLiteral("link %1 %2").arg(bis(2) && option >= 2 ? option : 2 + bis(4)).arg(bis(2) ? "zu" : "auf")
                          : wurf < 973 ? QStringLiteral("beenden")
                          : wurf < 986 ? QStringLiteral("halt")
                          : wurf < 993 ? QStringLiteral("alle")
                                       : "adresse " + adressen[0];
        // Each program's own: its table, address, endless mode, its stop and its halt.
        static const QStringList eigene{"start", "zeile", "adresse", "endlos", "halteAn", "halt"};
        if (eigene.contains(a.section(u' ', 0, 0)))
            a.prepend(wer);
        aktionen << QString::number(jetzt) + u' ' + a;
        if (a == u"beenden")
            break;
    }
    return aktionen;
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
        // Station and address change during an endless run: the next pass drives the
        // new locomotive on the new station, after the old one's stop on the old.
        QTest::newRow("Lenz nach Z21 mit neuer Adresse im Endlosbetrieb")
            << "1 24 0" << QStringList{"0 endlos 1", "0 start 1 2,s,5", "1000 option 3", "1000 adresse 7", "3000 stopp"};
        // A contact line whose contact comes, and one whose contact never comes: its
        // time limit stops the locomotive and nothing of the next line goes out.
        QTest::newRow("Lenz, Kontakt erreicht und verfehlt")
            << "1 3 0" << QStringList{"0 start 1 2,K,40,X;3,k,20;2,S,30", "1500 kontakt 1 2 1 ereignis", "2000 kontakt 1 3 1 stand", "9000 adresse 3"};
        // St&op while the 6051 path polls for the contact; then the contact comes.
        QTest::newRow("6051, St&op während der Kontaktwarte")
            << "0 24 0" << QStringList{"0 start 1 1,K,10;5,s,12", "1200 stopp", "1300 kontakt 0 1 1 ereignis", "4000 adresse 24"};
// Two programs: the endless one gets the address the other drives; its next
        // pass ends its run instead of taking that locomotive.
        QTest::newRow("Lenz, zwei Programme, dieselbe Adresse im Endlosbetrieb")
            << "1 24 0 3" << QStringList{"0 @2 endlos 1", "0 @2 start 1 2,S,40,X", "100 start 1 10,S,30", "500 @2 adresse 24", "6000 stopp"};
        // "Alle starten" with one address in two programs: the later one is refused; one
        // program's own halt leaves the other driving.
        QTest::newRow("Z21, drei Programme, alle starten und eigener Halt")
            << "3 24 0 24 3" << QStringList{"0 @2 zeile 1 1,s,0", "0 @3 zeile 1 1,s,0", "0 start 1 5,S,60;5,s,20", "1500 alle", "2000 @3 halt", "2100 @3 start 1 3,S,9", "9000 stopp"};
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

    // Seeded random sequences over all station variants; the first few failing seeds are
    // shrunk to their shortest failing prefix and printed as rows for aufgezeichnet_data().
    // TRABOLIN_SAAT and TRABOLIN_SEQUENZEN search further by hand; CI runs the fixed base.
    void zufall()
    {
        const quint32 basis = qEnvironmentVariableIsSet("TRABOLIN_SAAT") ? quint32(qEnvironmentVariableIntValue("TRABOLIN_SAAT")) : 20261207u;
        const int anzahl = qEnvironmentVariableIsSet("TRABOLIN_SEQUENZEN") ? qEnvironmentVariableIntValue("TRABOLIN_SEQUENZEN") : 3000;
        QElapsedTimer uhr;
        uhr.start();
        int fehlschlaege = 0;
        Umfang umfang;
        QString erster;
        for (quint32 saat = basis; saat < basis + quint32(anzahl); ++saat) {
            QString vorher;
            const QStringList aktionen = erzeuge(saat, 300, vorher);
            if (spiele(aktionen, vorher, &umfang).isEmpty() || ++fehlschlaege > 5)
                continue;
            int n = 1;
            while (n < aktionen.size() && spiele(aktionen.mid(0, n), vorher).isEmpty())
                ++n;
            const QStringList kurz = aktionen.mid(0, n);
            const QString text = QStringLiteral("%1\n  QTest::newRow(\"Saat %2\") << \"%3\" << QStringList{\"%4\"};")
                                     .arg(spiele(kurz, vorher)).arg(saat).arg(vorher, kurz.join(QStringLiteral("\", \"")));
            qWarning("%s", qPrintable(text));
            if (erster.isEmpty())
                erster = text;
        }
        qInfo("%d Folgen in %lld ms: %lld Starts, %lld Rahmen nach einem Halt, %lld Kontaktzeilen (%lld verfehlt)", anzahl,
              uhr.elapsed(), umfang.starts, umfang.gesperrt, umfang.kontaktwarten, umfang.verfehlt);
        QVERIFY(umfang.starts > anzahl && umfang.gesperrt > 0);
        QVERIFY(umfang.verfehlt > 0 && umfang.kontaktwarten > umfang.verfehlt);
        if (fehlschlaege)
            QFAIL(qPrintable(QStringLiteral("%1 von %2 Folgen verletzen die Regeln; die erste: %3").arg(fehlschlaege).arg(anzahl).arg(erster)));
    }
};

QTEST_GUILESS_MAIN(TestSicherheit)
#include "tst_sicherheit.moc"

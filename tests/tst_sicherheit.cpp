// What the run must keep on every station, whatever the user and the layout do while it
// goes on: seeded random sequences of clicks, typed addresses, station changes, layout
// reports, contact reports, power switches, refusing links and closing, each at a
// random virtual time; contact lines wait at most 3 s for their contact,
// with the traffic of all six stations decoded after every step:
//  (a) every command that drives goes to the locomotive of the pass or single line
//      started last, on the station it was started on (the address read at the start
//      of each pass, so in endless mode the one typed before that pass);
//  (b) once nothing runs, every locomotive that got a speed has speed 0 as its last
//      speed command;
//  (c) from a stop (St&op, a layout report that ends the run, Power off, closing, the
//      halt of a handler, a contact that never came) to the next start nothing drives: no speed above 0, no
//      direction, no function switched on. A speed-0 frame is always a stop, also
//      where it carries a direction;
//  (d) when a pass drives, no other locomotive is left moving: one an earlier pass
//      drove (on another station, or at the address before) has had its stop first.
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

// One write or frame as a driver gave it to its port or link, with what the test knew
// at that moment: whether a stop holds since the last start, and the pass started last.
struct Rahmen {
    int option = 0;
    QByteArray bytes;
    bool raus = true; // the port or link took it
    bool gesperrt = false;
    Schluessel pass{-1, 0};
    qint64 zeit = 0;
};

// What the run did, in the order it happened.
struct Verkehr {
    std::vector<Rahmen> rahmen;
    bool gesperrt = false;
    Schluessel pass{-1, 0};
    std::map<Schluessel, std::size_t> gestartet; // every pass or single line started: frames written before its start
    const VirtuelleZeit *zeit = nullptr;
    void nimm(int option, const QByteArray &bytes, bool raus) { rahmen.push_back({option, bytes, raus, gesperrt, pass, zeit->jetzt}); }
};

// The serial port of one station, and a network link double that also keeps what it refused.
struct Portmitschrift : Mitschrift {
    Verkehr &verkehr;
    int option;
    Portmitschrift(VirtuelleZeit &zeit, Verkehr &v, int o) : Mitschrift(zeit), verkehr(v), option(o) {}
    void schreibe(const QByteArray &b) override
    {
        Mitschrift::schreibe(b);
        verkehr.nimm(option, b, true);
    }
};
template <class Basis>
struct Linkerfassung : Basis {
    Verkehr &verkehr;
    int option;
    Linkerfassung(VirtuelleZeit &zeit, Verkehr &v, int o) : Basis(zeit), verkehr(v), option(o) {}
    bool sende(const QByteArray &b) override
    {
        const bool raus = Basis::sende(b);
        verkehr.nimm(option, b, raus);
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

// The run logic with all six stations, each on its own recording port or link, and
// the decoders that read their traffic back.
struct Anlage {
    Tabellenspeicher tabelle;
    TestBedienfeld feld;
    VirtuelleZeit zeit;
    KlangMitschrift klang{zeit};
    Ablauf ablauf{tabelle, feld, zeit, klang};
    Verkehr verkehr{.zeit = &zeit};
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
    bool ohneLink = true;
    bool *offen[anzahlStationen] = {&ohneLink, &ohneLink, &ecosLink.offen, &z21Link.offen, &dccexLink.offen, &cs2Link.offen};

    sim::Dekodierer seriell[2] = {sim::Dekodierer{sim::Station::Maerklin}, sim::Dekodierer{sim::Station::Lenz}};
    sim::Z21Dekodierer z21Dekodierer;
    sim::Cs2Dekodierer cs2Dekodierer;
    qint64 dekodiertMs = 0;                   // the serial decoders' own clock
    std::size_t gelesen = 0;                  // frames decoded so far
    std::map<Schluessel, QString> letzteFahrt; // the last speed command of each locomotive, where it left it above 0
    Gleiszustand gleis[anzahlStationen] = {};
    int passOption = -1; // the station of the pass or single line started last
    int starts = 0;
    int kontaktwarten = 0, verfehlt = 0; // contact lines waited on; of them, not reached
    QString fehler;

    std::function<void()> beiStart(int option)
    {
        return [this, option] {
            ++starts;
            passOption = option;
            verkehr.pass = {option, feld.adresse.toInt()};
            verkehr.gestartet.try_emplace(verkehr.pass, verkehr.rahmen.size());
        };
    }

    Anlage()
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
        QObject::connect(&ablauf, &Ablauf::laufBeginnt, [this](bool) { verkehr.gesperrt = false; });
        ablauf.setzeKontaktZeitgrenze(3);
        QObject::connect(&ablauf, &Ablauf::kontaktVerfehlt, [this](int) {
            verkehr.gesperrt = true;
            ++verfehlt;
        });
        QObject::connect(&ablauf, &Ablauf::kontaktwarteGeaendert, [this](int k) { kontaktwarten += k > 0; });
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

    // Reads the frames written since the last look and checks (a) and (c) on them,
    // then (b) when nothing runs. The first failure is kept.
    void pruefe()
    {
        for (; gelesen < verkehr.rahmen.size() && fehler.isEmpty(); ++gelesen) {
            const Rahmen r = verkehr.rahmen[gelesen];
            for (const Befehl &b : dekodiere(r)) {
                const Schluessel lok{r.option, b.adresse};
                const QString wo = QStringLiteral("%1 ms, Station %2, Lok %3: \"%4\"%5")
                                       .arg(r.zeit).arg(r.option).arg(b.adresse)
                                       .arg(b.text, r.raus ? QString() : QStringLiteral(" (vom Link abgewiesen)"));
                if (b.danach > 0)
                    letzteFahrt[lok] = wo;
                else if (b.danach == 0)
                    letzteFahrt.erase(lok);
                if (!b.treibt() || !fehler.isEmpty())
                    continue;
                // Only the locomotive of the pass or single line started last is driven;
                // one an earlier pass drove only gets its stop.
                const auto start = verkehr.gestartet.find(lok);
                if (start == verkehr.gestartet.end() || start->second > gelesen)
                    fehler = QStringLiteral("(a) fährt eine Lok, für die nichts gestartet wurde: ") + wo;
                else if (r.pass != lok)
                    fehler = QStringLiteral("(a) fährt eine Lok, deren Pass vorbei ist (zuletzt gestartet: Station %1, Lok %2): ")
                                 .arg(r.pass.first).arg(r.pass.second) + wo;
                else if (r.gesperrt)
                    fehler = QStringLiteral("(c) fährt nach einem Halt vor dem nächsten Start: ") + wo;
                else if (const auto andere = std::find_if(letzteFahrt.begin(), letzteFahrt.end(),
                                                          [&](const auto &l) { return l.first != lok; });
                         andere != letzteFahrt.end())
                    fehler = QStringLiteral("(d) fährt, während eine andere Lok ohne Halt fährt (%1): ").arg(andere->second) + wo;
            }
        }
        if (fehler.isEmpty() && !ablauf.laeuft() && !letzteFahrt.empty())
            fehler = QStringLiteral("(b) nach dem Ende des Laufs ohne Halt, zuletzt: ") + letzteFahrt.begin()->second;
    }

    // Runs one action, written "<verb> <arguments>".
    void fuehreAus(const QStringList &t)
    {
        const QString &verb = t[0];
        // A table "d,e,s,l,f1,f2,f3,f4;..." fills lines 1 and on, the rest stays empty; it
        // is loaded only while nothing runs, a click during a run is refused.
        if ((verb == u"start" || verb == u"zeile") && !ablauf.laeuft()) {
            const QStringList zeilen = t[2].split(u';');
            for (int nr = 1; nr <= anzahlZeilen; ++nr)
                fuelleZeile(tabelle, nr, zeilen.value(nr - 1));
            tabelle.setzeAktuelleZeile(t[1].toInt());
        }
        // A report stops when it tells a new state in which nothing may drive, of the
        // station the run drives on (the report of any station when nothing runs).
        const int option = t.value(1).toInt();
        const Gleiszustand z = gleisNamen.value(t.value(2));
        if (verb == u"stopp" || verb == u"halteAn" || verb == u"beenden" || (verb == u"power" && t[1] == u"0")
            || (verb == u"gleis" && gleis[option] != z && z != Gleiszustand::an && (!ablauf.laeuft() || passOption == option)))
            verkehr.gesperrt = true;
        if (verb == u"start")
            ablauf.btnStart_Click();
        else if (verb == u"zeile")
            ablauf.btnSendZeile_Click();
        else if (verb == u"stopp")
            ablauf.stoppKlick();
        else if (verb == u"adresse")
            feld.adresse = t[1];
        else if (verb == u"option")
            feld.option = option;
        else if (verb == u"endlos")
            feld.mitEndlos = option == 1;
        else if (verb == u"halteAn")
            ablauf.halteAn();
        else if (verb == u"gleis")
            ablauf.gleismelder(option).meldeGleiszustand(gleis[option] = z);
        else if (verb == u"kontakt" && t[4] == u"ereignis")
            ablauf.gleismelder(option).meldeKontakt(t[2].toInt(), t[3] == u"1");
        else if (verb == u"kontakt")
            ablauf.gleismelder(option).meldeKontaktstand(t[2].toInt(), t[3] == u"1");
        else if (verb == u"power")
            ablauf.btnPower_Click(option);
        else if (verb == u"link")
            *offen[option] = t[2] == u"auf";
        else if (verb == u"beenden")
            ablauf.beenden();
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

// Runs the actions ("<ms> <verb> <arguments>") at their virtual times from the window's
// state `vorher` ("<option> <address> <signal>"), the window closing after the last;
// "" when the properties held, else what failed and where.
QString spiele(QStringList alle, const QString &vorher, Umfang *umfang = nullptr)
{
    Anlage a;
    const QStringList grund = vorher.split(u' ');
    a.feld.option = grund[0].toInt();
    a.feld.adresse = grund[1];
    a.feld.mitSignal = grund[2] == u"1";
    if (alle.isEmpty() || !alle.last().endsWith(QLatin1String(" beenden")))
        alle << QString::number(alle.isEmpty() ? 0 : alle.last().section(u' ', 0, 0).toLongLong() + 1) + QStringLiteral(" beenden");
    int naechste = 0;
    bool geschlossen = false;
    for (int i = 0; i < alle.size(); ++i) {
        QStringList teile = alle[i].split(u' ', Qt::SkipEmptyParts);
        const qint64 zeitpunkt = teile.takeFirst().toLongLong();
        a.zeit.bei(zeitpunkt, [&, teile, i] {
            ++naechste;
            a.pruefe();
            // Found: the run is ended at once, so that an endless one does not go on
            // without the actions that would have stopped it.
            if (!a.fehler.isEmpty() && !geschlossen) {
                geschlossen = true;
                a.ablauf.beenden();
            }
            if (geschlossen)
                return;
            a.fuehreAus(teile);
            geschlossen = teile[0] == u"beenden";
            a.pruefe();
            if (!a.fehler.isEmpty())
                a.fehler = QStringLiteral("nach Schritt %1 (\"%2\"): ").arg(i + 1).arg(alle[i]) + a.fehler;
        });
    }
    while (naechste < alle.size()) {
        a.zeit.jetzt = qMax(a.zeit.jetzt, alle[naechste].section(u' ', 0, 0).toLongLong());
        a.zeit.verarbeiteEreignisse();
        a.pruefe();
    }
    if (umfang) {
        umfang->starts += a.starts;
        umfang->kontaktwarten += a.kontaktwarten;
        umfang->verfehlt += a.verfehlt;
        for (const Rahmen &r : a.verkehr.rahmen)
            umfang->gesperrt += r.gesperrt;
    }
    return a.fehler;
}

// A random sequence of `schritte` actions for seed `saat`; `vorher` the window's state.
// The station variants it is about: the 6051 path and the IntelliBox text path of
// option 0, then options 1 to 5.
QStringList erzeuge(quint32 saat, int schritte, QString &vorher)
{
    static const char *heimaten[] = {"0 24", "0 300", "1 3", "2 24", "3 24", "4 3", "5 24"};
    std::mt19937 zufall(saat);
    auto bis = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(zufall)); };
    const QString heimat = QLatin1String(heimaten[saat % std::size(heimaten)]);
    const int option = heimat.section(u' ', 0, 0).toInt();
    vorher = heimat + (bis(4) == 0 ? QStringLiteral(" 1") : QStringLiteral(" 0"));
    const QStringList adressen{heimat.section(u' ', 1), "3", "24", "300"};
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
        const QString a = wurf < 200   ? tabelle("start")
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
                                       : "adresse " + adressen[0];
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

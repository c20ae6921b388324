// Figures for measuring a locomotive's speed and for distance lines, in real time:
//
// (1) The measuring run (program/Messlauf.h) on the run logic with the real wait,
//     driving each station's driver against its simulator's decoder in this process:
//     every frame reaches the decoder as it is written, a timer on the same clock moves
//     the locomotive to its next contact edge (as the simulators' programs do), and the
//     contact's change is reported to the run 1 ms later, as a link would. The ECoS's
//     simulator reports its contacts itself: its events for s88 module 100 go, 1 ms
//     after it sent them, to the link's own watch (EcosStatuswache), which reads them
//     as it reads the ECoS's. The locomotive runs on the decoder-like curve
//     (sim/Fahrkurve.h) between contact 1 and contact 2, 2700 mm apart. Prints, per station and step, the speed the simulator
//     drove and each run measured, with the error in percent. On the 6051 a change is
//     read only by the next s88 poll (every 100 ms, its phase at random): the error it
//     gives is printed with the distance between the contacts that keeps it below 1 %.
// (2) Distance lines: an endless table of a "W" and a "w" line on the Z21 driver with a
//     profile (step 64: 500 mm/s forwards, 480 backwards), each datagram stamped as it is
//     written; prints how far each line's speed command lies from the table's clock
//     (time zero the first one, each line's time as its profile gives it).
//
//   bench_messung [--kurz] [STATION ...]
//
// STATION (Z21, Lenz, DCC-EX, CS2, Ecos, 6051, Strecke for the distance lines) runs
// only the parts named.
// --kurz measures the top step only (126, on the ECoS 127, on the 6051 14) and runs
// 6 distance lines instead of 30.
#include "Bedienung.h"
#include "Laufende.h"
#include "program/Ablauf.h"
#include "program/EchteZeit.h"
#include "program/Fahrbetrieb.h"
#include "program/Messlauf.h"
#include "program/Netzlink.h"
#include "sim/cs2/Cs2Dekodierer.h"
#include "sim/ecos/EcosDekodierer.h"
#include "sim/serial/DccexStation.h"
#include "sim/serial/Dekodierer.h"
#include "sim/z21/Z21Dekodierer.h"
#include "stations/Zentralenregister.h"
#include "stations/cs2/Cs2Link.h"
#include "stations/cs2/Cs2Rahmen.h"
#include "stations/cs2/Cs2Treiber.h"
#include "stations/dccex/DccexTreiber.h"
#include "stations/ecos/EcosKontrollen.h"
#include "stations/ecos/EcosStatuswache.h"
#include "stations/ecos/EcosTreiber.h"
#include "stations/lenz/LenzTreiber.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "stations/z21/Z21Treiber.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace trabolin;
using namespace trabolin::bench;

namespace {

using Uhr = EchteZeit::Uhr;
constexpr int abstandMm = 2700;

// "5,s,7" into cells 1 to 3 of table line `nr`, the others emptied.
void fuelle(Tabellenspeicher &tabelle, int nr, const QString &zellen)
{
    const QStringList teile = zellen.split(u',');
    for (int i = 0; i < anzahlZellen; ++i)
        tabelle.setzeZelle(nr, i + 1, teile.value(i));
}

struct Anlage;

class SimNetz : public Netzlink {
public:
    explicit SimNetz(Anlage &a) : m_a(a) {}
    bool verbunden() const override { return true; }
    bool sende(const QByteArray &b) override;

private:
    Anlage &m_a;
};

// The Central Station's link, which keeps the directions it sent as the real one does.
class SimCs2 : public Cs2Link {
public:
    explicit SimCs2(Anlage &a) : m_a(a) {}
    bool verbunden() const override { return true; }
    bool sende(const QByteArray &b) override;
    quint16 hash() const override { return 0x4711; }
    std::optional<bool> richtung(quint32 uid) const override { return m_richtungen.vorwaerts(uid); }

private:
    Anlage &m_a;
    Cs2Richtungen m_richtungen;
};

class SimPort : public Ausgabe {
public:
    explicit SimPort(Anlage &a) : m_a(a) {}
    void schreibe(const QByteArray &b) override;

private:
    Anlage &m_a;
};

// One station's driver against its simulator's decoder, on the real clock.
struct Anlage {
    bool kurve = (sim::streckenkurve() = sim::Fahrkurve::dekoder(), true);
    EchteZeit zeit;
    Fahrbetrieb betrieb{zeit};
    Tabellenspeicher tabelle;
    Bedienung bedienung;
    StillerKlang klang;
    Ablauf ablauf;
    sim::Z21Dekodierer z21;
    sim::Dekodierer lenz{sim::Station::Lenz};
    sim::Dekodierer maerklin{sim::Station::Maerklin};
    sim::DccexStation dccex{0};
    sim::Cs2Dekodierer cs2;
    sim::EcosDekodierer ecos;
    SimNetz netz{*this};
    SimCs2 cs2link{*this};
    SimPort port{*this};
    std::unique_ptr<Zentralentreiber> treiber;
    // The ECoS's contacts come as its events, read by the link's own watch; the
    // replies to the control requests reach the controls as the link hands them on.
    std::shared_ptr<EcosKontrollen> kontrollen;
    std::unique_ptr<EcosStatuswache> wache;
    bool meldetSelbst = false; // the simulator reports its contacts itself
    QString station;
    int option;
    int abfrageMs = 0; // the 6051's poll
    qint64 abfragePhase = 0;
    std::function<void(const QByteArray &, qint64)> nimm;
    std::function<void(qint64)> bewege;
    std::function<bool(int)> belegt;
    std::function<qint64()> msBisWechsel;
    std::function<double()> mmProS;
    QList<double> geschwindigkeiten;
    bool gemeldet[3] = {false, false, false};
    QTimer wecker;

    template <typename G>
    void binde(std::function<const G &()> g)
    {
        belegt = [g](int n) { return g().belegt(n); };
        msBisWechsel = [g] { return g().msBisWechsel(); };
        mmProS = [g] { return g().mmProS(1); };
    }

    explicit Anlage(const QString &s)
        : bedienung(false, s == u"Ecos" ? QStringLiteral("1000") : QStringLiteral("3"),
                    zentralenoption(s == u"6051" ? QStringLiteral("DCC") : s)),
          ablauf(betrieb, tabelle, bedienung, klang), station(s),
          option(zentralenoption(s == u"6051" ? QStringLiteral("DCC") : s))
    {
        const Lesart &lesart = zentralenzeile(option)->lesart;
        Gleismelder &melder = betrieb.gleismelder(option);
        if (s == u"Z21") {
            auto *t = new Z21Treiber(ablauf, netz, lesart);
            t->setzeFahrstufen(3);
            treiber.reset(t);
            nimm = [this](const QByteArray &b, qint64 j) { z21.bewege(j); z21.verarbeite(b, QStringLiteral("A")); };
            bewege = [this](qint64 j) { z21.bewege(j); };
            binde<sim::Gleise<int>>([this]() -> const sim::Gleise<int> & { return z21.gleise(); });
        } else if (s == u"Lenz" || s == u"6051") {
            sim::Dekodierer &d = s == u"Lenz" ? lenz : maerklin;
            if (s == u"Lenz") {
                auto *t = new LenzTreiber(ablauf, port, lesart, melder);
                t->setzeFahrstufen(3);
                treiber.reset(t);
            } else {
                treiber = std::make_unique<MaerklinTreiber>(ablauf, port, lesart, &melder);
                abfrageMs = 100;
            }
            nimm = [&d](const QByteArray &b, qint64 j) { d.fuettere(b, j); };
            bewege = [&d](qint64 j) { d.ticke(j); };
            binde<sim::Gleise<int>>([&d]() -> const sim::Gleise<int> & { return d.gleise(); });
        } else if (s == u"DCC-EX") {
            treiber = std::make_unique<DccexTreiber>(ablauf, netz, lesart);
            dccex.starte(0);
            nimm = [this](const QByteArray &b, qint64 j) { dccex.fuettere(b, j); };
            bewege = [this](qint64 j) { dccex.ticke(j); };
            binde<sim::Gleise<int>>([this]() -> const sim::Gleise<int> & { return dccex.gleise(); });
        } else if (s == u"Ecos") {
            kontrollen = std::make_shared<EcosKontrollen>();
            treiber = std::make_unique<EcosTreiber>(ablauf, netz, lesart, kontrollen);
            wache = std::make_unique<EcosStatuswache>(netz);
            wache->setzeMelder(&melder);
            meldetSelbst = true;
            ecos.verbunden(QStringLiteral("A"));
            nimm = [this](const QByteArray &b, qint64 j) { liefere(ecos.verarbeite(b, QStringLiteral("A"), j)); };
            bewege = [this](qint64 j) { liefere(ecos.bewege(j)); };
            binde<sim::Gleise<int>>([this]() -> const sim::Gleise<int> & { return ecos.gleise(); });
        } else {
            auto *t = new Cs2Treiber(ablauf, cs2link, lesart);
            t->setzeProtokoll(Cs2Protokoll::dcc);
            t->setzeFahrstufen(3);
            treiber.reset(t);
            cs2.setzeFahrstufen(126);
            nimm = [this](const QByteArray &b, qint64 j) { cs2.bewege(j); cs2.verarbeite(b, QStringLiteral("A")); };
            bewege = [this](qint64 j) { cs2.bewege(j); };
            binde<sim::Gleise<quint32>>([this]() -> const sim::Gleise<quint32> & { return cs2.gleise(); });
        }
        ablauf.setzeTreiber(option, treiber.get());
        QStringList codes;
        for (const auto &z : zentralenregister())
            codes << z->code;
        betrieb.setzeStationscodes(codes);
        wecker.setSingleShot(true);
        wecker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&wecker, &QTimer::timeout, [this] { tick(); });
        if (wache) {
            // As the link comes up: the watch asks for the power and the s88 modules,
            // and their answers give the contacts' states.
            wache->beginne();
            // "Kontrolle übernehmen", as the user takes ID 1000 before a run of one program.
            netz.sende(QByteArrayLiteral("request(1000, control)"));
        } else {
            melder.meldeKontaktstand(1, false);
            melder.meldeKontaktstand(2, false);
        }
    }

    // What the ECoS simulator sends goes to the link's watch 1 ms later, as over a
    // link; what the watch leaves (the replies) to the controls.
    void liefere(const sim::EcosErgebnis &e)
    {
        for (const sim::EcosSendung &s : e.sendungen)
            QTimer::singleShot(1, Qt::PreciseTimer, wache.get(), [this, text = QString::fromUtf8(s.text)] {
                const QString rest = wache->lies(text);
                if (!rest.trimmed().isEmpty())
                    kontrollen->lies(rest);
            });
    }

    // A frame went to the simulator: the contacts up to now first (a frame may come
    // just as the locomotive crosses an edge), then the speed it took on.
    void nachRahmen(const QByteArray &b)
    {
        const qint64 jetzt = zeit.monotonMs();
        meldeBis(jetzt);
        nimm(b, jetzt);
        const double v = mmProS();
        if (v > 0 && (geschwindigkeiten.isEmpty() || geschwindigkeiten.last() != v))
            geschwindigkeiten << v;
        plane();
    }
    void plane()
    {
        const qint64 ms = msBisWechsel();
        if (ms < 0)
            wecker.stop();
        else
            wecker.start(int(ms));
    }
    void tick()
    {
        meldeBis(zeit.monotonMs());
        plane();
    }
    // Moves the locomotive up to `jetzt` and reports each contact that changed.
    void meldeBis(qint64 jetzt)
    {
        bewege(jetzt);
        if (meldetSelbst)
            return;
        for (int k = 1; k <= 2; ++k) {
            const bool b = belegt(k);
            if (b == gemeldet[k])
                continue;
            gemeldet[k] = b;
            qint64 nach = 1; // the link
            if (abfrageMs > 0)
                nach = (abfrageMs - (jetzt + abfragePhase) % abfrageMs) % abfrageMs + 1;
            QTimer::singleShot(int(nach), Qt::PreciseTimer, [this, k, b] {
                Gleismelder &m = betrieb.gleismelder(option);
                if (abfrageMs > 0)
                    m.meldeKontaktstand(k, b);
                else
                    m.meldeKontakt(k, b);
            });
        }
    }

    void zurueck()
    {
        const QStringList zeilen = station == u"6051" ? QStringList{"0,F,0", "4,s,14", "0,F,0"}
                                                      : QStringList{"1,k,126", "3,s,126"};
        for (int i = 0; i < zeilen.size(); ++i)
            fuelle(tabelle, i + 1, zeilen[i]);
        tabelle.setzeAktuelleZeile(1);
        ablauf.btnStart_Click();
        warteAufLaufende(ablauf);
        geschwindigkeiten.clear();
    }
};

bool SimNetz::sende(const QByteArray &b)
{
    m_a.nachRahmen(b);
    return true;
}
bool SimCs2::sende(const QByteArray &b)
{
    m_richtungen.gesendet(b);
    m_a.nachRahmen(b);
    return true;
}
void SimPort::schreibe(const QByteArray &b) { m_a.nachRahmen(b); }

void messe(const QString &station, const QList<int> &stufen)
{
    Anlage a(station);
    a.abfragePhase = QRandomGenerator::global()->bounded(100);
    a.zurueck();
    Messlauf m(a.ablauf);
    QEventLoop schleife;
    QString meldung;
    QObject::connect(&m, &Messlauf::beendet, [&](bool, const QString &text) {
        meldung = text;
        schleife.quit();
    });
    Messauftrag auftrag;
    auftrag.abstandMm = abstandMm;
    auftrag.stufen = stufen;
    auftrag.durchlaeufe = 1;
    m.starte(auftrag);
    if (m.laeuft())
        schleife.exec();
    if (!meldung.isEmpty()) {
        std::printf("%-7s %s\n", qPrintable(station), qPrintable(meldung));
        return;
    }
    int i = 0;
    double schlimmste = 0;
    for (const Messzeile &z : m.zeilen()) {
        for (const bool vor : {true, false}) {
            const double gemessen = vor ? z.mittelVor() : z.mittelRueck();
            const double soll = a.geschwindigkeiten.value(i++);
            const double fehler = (gemessen - soll) / soll * 100.0;
            schlimmste = std::max(schlimmste, std::abs(fehler));
            std::printf("%-7s Stufe %3d %-9s Simulator %7.1f mm/s, gemessen %7.1f mm/s, Fehler %+6.3f %%\n",
                        qPrintable(station), z.stufe, vor ? "vorwärts" : "rückwärts", soll, gemessen, fehler);
        }
    }
    if (a.abfrageMs > 0 && !m.zeilen().isEmpty()) {
        const double v = a.geschwindigkeiten.value(a.geschwindigkeiten.size() - 2);
        std::printf("%-7s die Abfrage alle %d ms: Fehler bis %.1f %% auf %d mm bei %.0f mm/s; "
                    "für 1 %% mindestens %.1f m zwischen den Kontakten\n",
                    qPrintable(station), a.abfrageMs, a.abfrageMs / (abstandMm / v * 1000.0) * 100.0, abstandMm, v,
                    v * a.abfrageMs / 0.01 / 1e6);
    }
    std::printf("%-7s schlimmster Fehler %.3f %%\n", qPrintable(station), schlimmste);
}

// Distance lines against the table's clock on the Z21 driver.
class Stempellink : public Netzlink {
public:
    std::vector<std::pair<Uhr::time_point, QByteArray>> stempel;
    bool verbunden() const override { return true; }
    bool sende(const QByteArray &b) override
    {
        stempel.emplace_back(Uhr::now(), b);
        return true;
    }
};

void strecken(int zeilen)
{
    EchteZeit zeit;
    Fahrbetrieb betrieb(zeit);
    Tabellenspeicher tabelle;
    const int option = zentralenoption(QStringLiteral("Z21"));
    Bedienung bedienung(true, QStringLiteral("3"), option);
    StillerKlang klang;
    Ablauf ablauf(betrieb, tabelle, bedienung, klang);
    Stempellink link;
    const Lesart &lesart = zentralenzeile(option)->lesart;
    Z21Treiber treiber(ablauf, link, lesart);
    treiber.setzeFahrstufen(3);
    ablauf.setzeTreiber(option, &treiber);
    QStringList codes;
    for (const auto &z : zentralenregister())
        codes << z->code;
    betrieb.setzeStationscodes(codes);
    const Lokprofil profil{ablauf.profilschluessel(option), {}, abstandMm, 87, {{64, 500, 480}}};
    betrieb.setzeLokprofile({profil});
    fuelle(tabelle, 1, QStringLiteral("50,W,64"));
    fuelle(tabelle, 2, QStringLiteral("48,w,64"));
    const Fahrmass mass{&profil, false};
    const qint64 dauer[2] = {leseProgrammzeile(tabelle, 1, lesart, mass).gesamtMs,
                             leseProgrammzeile(tabelle, 2, lesart, mass).gesamtMs};
    ablauf.btnStart_Click();
    // Until `zeilen` speed commands above 0 have gone out (the stop at the end of each
    // pass is not one).
    const auto fahrbefehle = [&] {
        std::vector<Uhr::time_point> t;
        for (const auto &[wann, bytes] : link.stempel)
            if (bytes.size() == 10 && quint8(bytes[4]) == 0xE4 && quint8(bytes[5]) == 0x13 && (bytes[8] & 0x7F) > 1)
                t.push_back(wann);
        return t;
    };
    while (int(fahrbefehle().size()) < zeilen + 1)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ablauf.stoppKlick();
    warteAufLaufende(ablauf);
    const std::vector<Uhr::time_point> t = fahrbefehle();
    std::vector<double> abweichung;
    qint64 soll = 0;
    for (int i = 1; i <= zeilen; ++i) {
        soll += dauer[(i - 1) % 2];
        const double ist = std::chrono::duration<double, std::milli>(t[i] - t[0]).count();
        abweichung.push_back(std::abs(ist - double(soll)));
    }
    std::sort(abweichung.begin(), abweichung.end());
    std::printf("Streckenzeilen (Z21, 50 cm bei 500 mm/s, 48 cm bei 480 mm/s, je %lld ms mit den Pausen), "
                "%d Zeilen: Abstand des Fahrbefehls zur Tabellenzeit p50 %.3f ms, max %.3f ms\n",
                dauer[0], zeilen, abweichung[abweichung.size() / 2], abweichung.back());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool kurz = false;
    QStringList nur; // the stations named, all without
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--kurz") == 0)
            kurz = true;
        else
            nur << QString::fromLocal8Bit(argv[i]);
    }
    const auto gewaehlt = [&nur](const QString &station) { return nur.isEmpty() || nur.contains(station); };
    const QList<int> stufen = kurz ? QList<int>{126} : QList<int>{64, 96, 126};
    for (const char *station : {"Z21", "Lenz", "DCC-EX", "CS2"})
        if (gewaehlt(QString::fromLatin1(station)))
            messe(QString::fromLatin1(station), stufen);
    // The ECoS's top step is 127.
    if (gewaehlt(QStringLiteral("Ecos")))
        messe(QStringLiteral("Ecos"), kurz ? QList<int>{127} : QList<int>{64, 96, 127});
    if (gewaehlt(QStringLiteral("6051")))
        messe(QStringLiteral("6051"), kurz ? QList<int>{14} : QList<int>{7, 10, 14});
    if (gewaehlt(QStringLiteral("Strecke")))
        strecken(kurz ? 6 : 30);
    return 0;
}

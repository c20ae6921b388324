// The main window with several driving programs: its start-up time and memory with one
// program against eight loaded from "Trabolin.ini", and the CPU share while programs
// wait inside long lines with the current page's chart shown.
//  (1) Start: each start is a process of its own (this benchmark started again with
//      --start=FOLDER), so that its peak memory (max RSS) is that of one window; one
//      program and eight programs take turns. "bis sichtbar" is from the process's
//      start to the window shown and painted, as the parent sees it (loading the
//      libraries included); "Fenster" is the window alone, from its construction (the
//      settings file read) to shown and painted; "CPU bis sichtbar" the process's CPU
//      time up to then, which a busy machine disturbs less. Both settings files hold
//      the same first program and station (the 6021 on port 1, a pseudo-terminal); the
//      one for eight adds programs 2 to 8 after line 56, each with eight lines.
//  (2) CPU: one window with the eight programs, the 6021 path on a pseudo-terminal
//      that nobody reads, each program's first line 60 s long; nothing started, the
//      first program alone, then all eight with "Alle starten"; the CPU share of the
//      process and the chart's paints while they wait, the event loop idle between.
//
//   QT_QPA_PLATFORM=offscreen bench_fenster [--kurz] [--runden=N]
//
// --runden=N starts each window N times (default 10, --kurz 3); --kurz measures (2)
// for 5 s instead of 10.
#include "Laufende.h"
#include "program/Ablauf.h"
#include "program/Fahrbetrieb.h"
#include "storage/Dateiformat.h"
#include "window/Fahrbild.h"
#include "window/frmTrabolin.h"

#include "Fensterfeld.h"
#include "Leitung.h"
#include "Messung.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace trabolin;
using namespace trabolin::bench;

namespace {


double ms(Uhr::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Program `nummer` (from 1): eight lines, the first 60 s long, speeds and functions
// differing from program to program so that each chart has its own steps.
Tabelleninhalt tabelle(int nummer)
{
    Tabelleninhalt t;
    for (int z = 1; z <= 8; ++z)
        t[z - 1] = dekodiereZeile(QStringLiteral("%1%2%3X%4---")
                                      .arg(z == 1 ? 60 : 5 + z, 2, 10, QLatin1Char('0'))
                                      .arg(z % 2 ? QStringLiteral("S") : QStringLiteral("s"))
                                      .arg((nummer * 7 + z * 11) % 15, 3, 10, QLatin1Char('0'))
                                      .arg(z % 3 ? QStringLiteral("-") : QStringLiteral("X")));
    return t;
}

// A settings file with `programme` programs on the 6021 path, port 1 (a link in the
// folder to a pseudo-terminal), the first program shown.
QByteArray einstellungen(int programme)
{
    Einstellungen w;
    w.tabelle = tabelle(1);
    w.adresse = QStringLiteral("3");
    w.port = QStringLiteral("1");
    w.baudrate = QStringLiteral("2400");
    w.parity = QStringLiteral("N");
    w.datenbits = QStringLiteral("8");
    w.stopbits = QStringLiteral("2");
    w.zentrale = QStringLiteral("DCC");
    w.ecosPort = QStringLiteral("15471");
    w.ecosAdresse = QStringLiteral("127.0.0.1");
    for (int n = 2; n <= programme; ++n)
        w.weitere << fahrprogrammPaare(n, {QString::number(n + 2), false, {}, tabelle(n)});
    if (programme > 1)
        w.weitere.append({aktuellesFahrprogrammLabel, QStringLiteral("1")});
    return schreibeEinstellungen(w);
}

void schreibe(const QString &pfad, const QByteArray &bytes)
{
    QFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly) || datei.write(bytes) != bytes.size())
        qFatal("%s nicht geschrieben", qPrintable(pfad));
}

QTabBar &reiter(const frmTrabolin &f)
{
    return *feld<QTabBar>(f, QStringLiteral("tabProgramme"));
}

// The child: the window from `ordner`, shown and painted; prints the programs it
// holds and the window's time in ms at once, and the process's max RSS in KiB after
// 300 ms more.
int starteFenster(const QString &ordner)
{
    startetStill();
    const auto t0 = Uhr::now();
    frmTrabolin f(nullptr, ordner);
    f.show();
    if (!QTest::qWaitForWindowExposed(&f))
        return 1;
    QCoreApplication::processEvents(); // the first paint
    std::printf("%d %.3f %.3f\n", std::max(1, reiter(f).count()), ms(Uhr::now() - t0), cpuSekunden() * 1000);
    std::fflush(stdout);
    QTest::qWait(300); // what the window sets up after it is shown
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    std::printf("%ld\n", r.ru_maxrss);
    std::fflush(stdout);
    return 0;
}

struct Start {
    double bisSichtbar = 0, fenster = 0, cpu = 0;
    long rssKiB = 0;
};

Start miss(const QString &ordner, int programme)
{
    QProcess kind;
    kind.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer uhr;
    uhr.start();
    kind.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start=") + ordner});
    if (!kind.waitForReadyRead(30000))
        qFatal("Fenster aus %s startet nicht", qPrintable(ordner));
    Start s;
    s.bisSichtbar = double(uhr.nsecsElapsed()) / 1e6;
    kind.waitForFinished(30000);
    int gezaehlt = 0;
    const QByteArray ausgabe = kind.readAllStandardOutput().simplified();
    if (std::sscanf(ausgabe.constData(), "%d %lf %lf %ld", &gezaehlt, &s.fenster, &s.cpu, &s.rssKiB) != 4
        || gezaehlt != programme)
        qFatal("Fenster aus %s: \"%s\"", qPrintable(ordner), ausgabe.constData());
    return s;
}

double median(std::vector<double> werte)
{
    std::sort(werte.begin(), werte.end());
    const size_t n = werte.size();
    return n % 2 ? werte[n / 2] : (werte[n / 2 - 1] + werte[n / 2]) / 2;
}

void start(const Pty &leitung, int runden)
{
    QTemporaryDir eins, acht;
    leitung.verlinkeAlsCom1(eins.path());
    leitung.verlinkeAlsCom1(acht.path());
    schreibe(QDir(eins.path()).filePath(QStringLiteral("Trabolin.ini")), einstellungen(1));
    schreibe(QDir(acht.path()).filePath(QStringLiteral("Trabolin.ini")), einstellungen(8));
    miss(eins.path(), 1); // the libraries into the page cache
    std::vector<double> sichtbar[2], fenster[2], cpu[2], rss[2];
    for (int r = 0; r < runden; ++r)
        for (int i : {r % 2, 1 - r % 2}) { // taking turns, each first every other round
            const Start s = miss(i ? acht.path() : eins.path(), i ? 8 : 1);
            sichtbar[i].push_back(s.bisSichtbar);
            fenster[i].push_back(s.fenster);
            cpu[i].push_back(s.cpu);
            rss[i].push_back(double(s.rssKiB));
        }
    for (int i : {0, 1})
        std::printf("(1) %d Programm%s, %d Starts: bis sichtbar Median %.1f ms (min %.1f), Fenster Median %.1f ms "
                    "(min %.1f), CPU bis sichtbar Median %.1f ms (min %.1f), max RSS Median %.0f KiB (min %.0f, max "
                    "%.0f)\n",
                    i ? 8 : 1, i ? "e" : "", runden, median(sichtbar[i]),
                    *std::min_element(sichtbar[i].begin(), sichtbar[i].end()), median(fenster[i]),
                    *std::min_element(fenster[i].begin(), fenster[i].end()), median(cpu[i]),
                    *std::min_element(cpu[i].begin(), cpu[i].end()), median(rss[i]),
                    *std::min_element(rss[i].begin(), rss[i].end()), *std::max_element(rss[i].begin(), rss[i].end()));
    const auto mehr = [](const std::vector<double> *v) { return 100.0 * (median(v[1]) / median(v[0]) - 1); };
    std::printf("(1) 8 gegen 1 Programm (Mediane): bis sichtbar %+.1f %%, Fenster %+.1f %%, CPU bis sichtbar %+.1f %%, "
                "max RSS %+.1f %% (%+.0f KiB)\n",
                mehr(sichtbar), mehr(fenster), mehr(cpu), mehr(rss), median(rss[1]) - median(rss[0]));
    std::fflush(stdout);
}

Fahrbild &sichtbaresFahrbild(const frmTrabolin &f)
{
    for (Fahrbild *b : f.findChildren<Fahrbild *>(QStringLiteral("imgFahrbild")))
        if (b->isVisible())
            return *b;
    qFatal("kein Fahrbild sichtbar");
}

// `wie`: 0 nothing started, 1 the first program alone, 8 "Alle starten".
void warten(frmTrabolin &f, int wie, int sekunden)
{
    f.tabelle().setzeAktuelleZeile(1);
    if (wie == 8)
        f.ablauf().betrieb().alleStarten();
    else if (wie == 1)
        f.ablauf().btnStart_Click();
    QTest::qWait(1000); // past the 6021's pause after the function byte
    Bildzaehler zaehler;
    Fahrbild &bild = sichtbaresFahrbild(f);
    bild.installEventFilter(&zaehler);
    const double cpuVorher = cpuSekunden();
    const auto t0 = Uhr::now();
    laufeSchleife(sekunden * 1000);
    const double wand = ms(Uhr::now() - t0) / 1000;
    const double cpu = cpuSekunden() - cpuVorher;
    bild.removeEventFilter(&zaehler);
    int laufen = 0;
    for (int i = 0; i < reiter(f).count(); ++i)
        laufen += reiter(f).accessibleTabName(i).endsWith(QStringLiteral("fährt"));
    std::printf("(2) %d von %d Programmen warten in ihrer ersten Zeile, Fahrbild sichtbar, %.1f s: %.3f %% eines "
                "Kerns (%.1f ms CPU), %d Bilder (%.1f je Sekunde, je Bild %.0f Pixel)\n",
                laufen, reiter(f).count(), wand, 100.0 * cpu / wand, cpu * 1000.0, zaehler.bilder, zaehler.bilder / wand,
                zaehler.bilder ? double(zaehler.pixel) / zaehler.bilder : 0.0);
    std::fflush(stdout);
    f.ablauf().betrieb().stoppAlle();
    QTest::qWait(200);
}

void rechenzeit(const Pty &leitung, int sekunden)
{
    QTemporaryDir acht;
    leitung.verlinkeAlsCom1(acht.path());
    schreibe(QDir(acht.path()).filePath(QStringLiteral("Trabolin.ini")), einstellungen(8));
    startetStill();
    frmTrabolin f(nullptr, acht.path());
    f.show();
    if (!QTest::qWaitForWindowExposed(&f))
        qFatal("Fenster nicht sichtbar");
    QTest::qWait(500);
    f.melde = [](QMessageBox::Icon, const QString &titel, const QString &text) {
        std::fprintf(stderr, "Meldung: %s | %s\n", qPrintable(titel), qPrintable(text));
    };
    warten(f, 0, sekunden);
    warten(f, 1, sekunden);
    warten(f, 8, sekunden);
}


} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    for (const QString &a : app.arguments())
        if (a.startsWith(QStringLiteral("--start=")))
            return starteFenster(a.mid(8));
    const bool kurz = app.arguments().contains(QStringLiteral("--kurz"));
    const Pty leitung;
    if (!leitung.ok())
        qFatal("kein Pseudo-Terminal");
    start(leitung, wert(argc, argv, "--runden", kurz ? 3 : 10));
    rechenzeit(leitung, kurz ? 5 : 10);
    return 0;
}

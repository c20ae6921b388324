// The real wait: it never ends before its time unless told to stop, it keeps the
// events flowing, a wake-up reaches every wait of a nested stack, and it neither
// hangs nor spins when the application quits underneath it.
#include "program/EchteZeit.h"

#include <QCoreApplication>
#include <QTimer>
#include <QtTest>

#include <chrono>

using trabolin::EchteZeit;
using namespace std::chrono;

namespace {

// Milliseconds on the monotonic clock since `start`, with the fraction kept.
double msSeit(steady_clock::time_point start)
{
    return duration<double, std::milli>(steady_clock::now() - start).count();
}

// A wait that is cut short must have ended long before this; reaching it means it hung.
constexpr double haengt = 30'000;

} // namespace

class TestWarten : public QObject {
    Q_OBJECT
private slots:
    void nieZuFrueh_data();
    void nieZuFrueh();
    void weckenMitAbbruch_data();
    void weckenMitAbbruch();
    void abbruchSchonGesetzt_data();
    void abbruchSchonGesetzt();
    void ereignisseWaehrendDesWartens_data();
    void ereignisseWaehrendDesWartens();
    void verschachtelt_data();
    void verschachtelt();
    void weckenErreichtAlleEbenen_data();
    void weckenErreichtAlleEbenen();
    // Runs last: it quits the application, which leaves the event loops of this
    // thread refusing to run until a new exec() starts.
    void anwendungEndet_data();
    void anwendungEndet();
};

void TestWarten::nieZuFrueh_data()
{
    QTest::addColumn<int>("dauer");
    QTest::newRow("0 ms") << 0;
    QTest::newRow("1 ms") << 1;
    QTest::newRow("7 ms") << 7;
    QTest::newRow("50 ms") << 50;
    QTest::newRow("negativ wie 0") << -5;
}

void TestWarten::nieZuFrueh()
{
    QFETCH(int, dauer);
    EchteZeit zeit;
    for (int i = 0; i < 5; ++i) {
        const auto start = steady_clock::now();
        zeit.warte(dauer, [] { return false; });
        const double ms = msSeit(start);
        QVERIFY2(ms >= dauer, qPrintable(QStringLiteral("ended after %1 ms").arg(ms)));
        QVERIFY(ms < haengt);
        QCOMPARE(zeit.laufendeWartezeiten(), 0);
    }
}

void TestWarten::weckenMitAbbruch_data()
{
    // A wake-up ends the wait only when `abbruch` has become true; a wake-up
    // without it (or one that came before the wait began) must not shorten it.
    QTest::addColumn<int>("dauer");
    QTest::addColumn<int>("weckenNach"); // -1: wake before the wait starts
    QTest::addColumn<bool>("abbruchSetzen");
    QTest::addColumn<bool>("sollVollLaufen");
    QTest::newRow("Stopp in langer Wartezeit") << 60'000 << 10 << true << false;
    QTest::newRow("Stopp gleich am Anfang") << 60'000 << 0 << true << false;
    QTest::newRow("wecken ohne Abbruch") << 120 << 20 << false << true;
    QTest::newRow("mehrmals wecken ohne Abbruch") << 120 << 5 << false << true;
    QTest::newRow("wecken vor dem Warten") << 80 << -1 << false << true;
}

void TestWarten::weckenMitAbbruch()
{
    QFETCH(int, dauer);
    QFETCH(int, weckenNach);
    QFETCH(bool, abbruchSetzen);
    QFETCH(bool, sollVollLaufen);

    EchteZeit zeit;
    bool stopp = false;
    int geweckt = 0;
    QTimer wecker;
    if (weckenNach < 0) {
        zeit.wecke();
    } else {
        wecker.setInterval(weckenNach);
        wecker.setSingleShot(abbruchSetzen);
        QObject::connect(&wecker, &QTimer::timeout, [&] {
            stopp = abbruchSetzen;
            ++geweckt;
            zeit.wecke();
        });
        wecker.start();
    }

    const auto start = steady_clock::now();
    zeit.warte(dauer, [&] { return stopp; });
    const double ms = msSeit(start);
    wecker.stop();

    QVERIFY(ms < haengt);
    if (sollVollLaufen)
        QVERIFY2(ms >= dauer, qPrintable(QStringLiteral("ended after %1 ms").arg(ms)));
    else
        QCOMPARE(geweckt, 1);
    if (weckenNach >= 0)
        QVERIFY(geweckt >= 1);
    QCOMPARE(zeit.laufendeWartezeiten(), 0);
}

void TestWarten::abbruchSchonGesetzt_data()
{
    QTest::addColumn<int>("dauer");
    QTest::newRow("60 s") << 60'000;
    QTest::newRow("1 ms") << 1;
    QTest::newRow("0 ms") << 0;
}

void TestWarten::abbruchSchonGesetzt()
{
    // With the flag already raised the wait still runs one round of events (so a
    // click waiting in the queue is handled) and then returns.
    QFETCH(int, dauer);
    EchteZeit zeit;
    bool gefeuert = false;
    QTimer::singleShot(0, [&] { gefeuert = true; });
    int abgefragt = 0;

    const auto start = steady_clock::now();
    zeit.warte(dauer, [&] {
        ++abgefragt;
        return true;
    });
    QVERIFY(msSeit(start) < haengt);
    QVERIFY(gefeuert);
    QCOMPARE(abgefragt, 1);
}

void TestWarten::ereignisseWaehrendDesWartens_data()
{
    QTest::addColumn<int>("dauer");
    QTest::addColumn<QList<int>>("zeitpunkte"); // single-shot timers, ms into the wait
    QTest::newRow("einer nach 20 ms") << 100 << QList<int>{20};
    QTest::newRow("mehrere") << 100 << QList<int>{0, 5, 30, 60};
    QTest::newRow("dicht vor dem Ende") << 60 << QList<int>{45};
}

void TestWarten::ereignisseWaehrendDesWartens()
{
    QFETCH(int, dauer);
    QFETCH(QList<int>, zeitpunkte);
    EchteZeit zeit;
    int gefeuert = 0;
    for (int t : zeitpunkte)
        QTimer::singleShot(t, Qt::PreciseTimer, [&] { ++gefeuert; });

    const auto start = steady_clock::now();
    zeit.warte(dauer, [] { return false; });
    const double ms = msSeit(start);
    QCOMPARE(gefeuert, zeitpunkte.size());
    QVERIFY(ms >= dauer);
    QVERIFY(ms < haengt);
}

void TestWarten::verschachtelt_data()
{
    // An event handler inside a wait waits itself. The outer wait lasts at least
    // its own time, and at least until the inner one is done; when the inner wait
    // outlasts the outer deadline, the outer wait must notice once it has control
    // again instead of sleeping on (its timer has already fired).
    QTest::addColumn<int>("aussen");
    QTest::addColumn<int>("innenStart");
    QTest::addColumn<int>("innen");
    QTest::newRow("innen endet vor aussen") << 200 << 50 << 100;
    QTest::newRow("innen ueberdauert aussen") << 100 << 10 << 300;
    QTest::newRow("innen 0 ms") << 80 << 20 << 0;
}

void TestWarten::verschachtelt()
{
    QFETCH(int, aussen);
    QFETCH(int, innenStart);
    QFETCH(int, innen);
    EchteZeit zeit;
    double innenMs = -1;
    int tiefe = 0;
    QTimer::singleShot(innenStart, Qt::PreciseTimer, [&] {
        tiefe = zeit.laufendeWartezeiten();
        const auto s = steady_clock::now();
        zeit.warte(innen, [] { return false; });
        innenMs = msSeit(s);
    });

    const auto start = steady_clock::now();
    zeit.warte(aussen, [] { return false; });
    const double ms = msSeit(start);

    QCOMPARE(tiefe, 1);
    QVERIFY2(innenMs >= innen, qPrintable(QStringLiteral("inner %1 ms").arg(innenMs)));
    QVERIFY2(ms >= aussen, qPrintable(QStringLiteral("outer %1 ms").arg(ms)));
    QVERIFY(ms >= innenStart + innen);
    QVERIFY(ms < haengt);
    QCOMPARE(zeit.laufendeWartezeiten(), 0);
}

void TestWarten::weckenErreichtAlleEbenen_data()
{
    // Three waits of 60 s nested in each other; the stop comes from a handler run
    // inside the innermost one. Every level must see it, not only the innermost.
    QTest::addColumn<bool>("nurAussenAbbrechen");
    QTest::newRow("alle Ebenen abbrechen") << false;
    QTest::newRow("nur die aeussere bricht ab") << true;
}

void TestWarten::weckenErreichtAlleEbenen()
{
    QFETCH(bool, nurAussenAbbrechen);
    EchteZeit zeit;
    bool stopp = false;
    int maxTiefe = 0;
    // The inner levels stop on their own after a short time when only the outer
    // one is cut short; the outer one must still see its wake-up afterwards.
    const int innenDauer = nurAussenAbbrechen ? 50 : 60'000;
    const auto innenAbbruch = [&] { return !nurAussenAbbrechen && stopp; };

    QTimer::singleShot(5, [&] {
        QTimer::singleShot(5, [&] {
            QTimer::singleShot(5, [&] {
                maxTiefe = zeit.laufendeWartezeiten();
                stopp = true;
                zeit.wecke();
            });
            zeit.warte(innenDauer, innenAbbruch);
        });
        zeit.warte(innenDauer, innenAbbruch);
    });

    const auto start = steady_clock::now();
    zeit.warte(60'000, [&] { return stopp; });
    QVERIFY(msSeit(start) < haengt);
    QCOMPARE(maxTiefe, 3);
    QCOMPARE(zeit.laufendeWartezeiten(), 0);
}

void TestWarten::anwendungEndet_data()
{
    QTest::addColumn<int>("ebenen");
    QTest::newRow("eine Wartezeit") << 1;
    QTest::newRow("zwei verschachtelt") << 2;
}

void TestWarten::anwendungEndet()
{
    // Quitting the application ends every event loop and keeps new ones from
    // running; a wait whose `abbruch` stays false must then return, not spin.
    QFETCH(int, ebenen);
    EchteZeit zeit;
    int beendet = 0;
    if (ebenen == 2) {
        QTimer::singleShot(5, [&] {
            QTimer::singleShot(5, [] { QCoreApplication::exit(0); });
            zeit.warte(60'000, [] { return false; });
            ++beendet;
        });
    } else {
        QTimer::singleShot(5, [] { QCoreApplication::exit(0); });
    }

    const auto start = steady_clock::now();
    zeit.warte(60'000, [] { return false; });
    ++beendet;
    QVERIFY(msSeit(start) < haengt);
    QCOMPARE(beendet, ebenen);

    // Later waits return too, while the quit is pending.
    const auto danach = steady_clock::now();
    zeit.warte(60'000, [] { return false; });
    QVERIFY(msSeit(danach) < haengt);

    // A fresh exec() lets event loops run again, for the rows that follow.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

QTEST_GUILESS_MAIN(TestWarten)
#include "tst_warten.moc"

// The real wait: it never ends before its time unless told to stop, it keeps the
// events flowing while it is suspended, and a wake-up reaches every wait that runs
// at the same time. The test itself waits for the coroutines in an event loop of
// its own (QCoro::waitFor); the program never does.
#include "program/EchteZeit.h"

#include <QtTest>
#include <QCoro/QCoroTask>

#include <chrono>
#include <ctime>

using trabolin::EchteZeit;
using namespace std::chrono;

namespace {

double msSeit(steady_clock::time_point start)
{
    return duration<double, std::milli>(steady_clock::now() - start).count();
}

// A wait that is cut short ends long before this; reaching it means it hung.
constexpr double haengt = 30'000;

enum Aktion { nichts, stoppen };

} // namespace

class TestWarten : public QObject {
    Q_OBJECT
private slots:
    // The waits and a run's schedule keep time on CLOCK_BOOTTIME on Linux, so the
    // time a suspended machine slept counts: the clock reads what the kernel's
    // CLOCK_BOOTTIME reads.
    void uhrZaehltSchlaf()
    {
#if defined(Q_OS_LINUX) && defined(CLOCK_BOOTTIME)
        QVERIFY(EchteZeit::Uhr::zaehltSchlaf());
        timespec vorher{}, nachher{};
        ::clock_gettime(CLOCK_BOOTTIME, &vorher);
        const qint64 ms = EchteZeit().monotonMs();
        ::clock_gettime(CLOCK_BOOTTIME, &nachher);
        QVERIFY(ms >= qint64(vorher.tv_sec) * 1000 + vorher.tv_nsec / 1'000'000);
        QVERIFY(ms <= qint64(nachher.tv_sec) * 1000 + nachher.tv_nsec / 1'000'000);
#else
        QSKIP("CLOCK_BOOTTIME is a Linux clock");
#endif
    }

    void warte_data()
    {
        // Timers fire during the wait; with the stop already raised it still runs one
        // round of events (a click waiting in the queue) and returns. A wake-up ends the
        // wait only once the stop is raised; one without it, or one that came before the
        // wait began, must not shorten it.
        QTest::addColumn<int>("dauer");
        QTest::addColumn<QList<int>>("zeitpunkte"); // single shots, ms into the wait
        QTest::addColumn<int>("weckenNach"); // every n ms; 0: never; -1: once before the wait starts
        QTest::addColumn<bool>("abbruch");   // the stop, raised by the wake-up or else from the start
        QTest::newRow("1 ms") << 1 << QList<int>{} << 0 << false;
        QTest::newRow("50 ms mit Ereignissen") << 50 << QList<int>{0, 20, 45} << 0 << false;
        QTest::newRow("Abbruch schon gesetzt") << 60'000 << QList<int>{0} << 0 << true;
        QTest::newRow("wiederholt ohne Abbruch") << 120 << QList<int>{} << 5 << false;
        QTest::newRow("vor dem Warten") << 80 << QList<int>{} << -1 << false;
    }

    void warte()
    {
        QFETCH(int, dauer); QFETCH(QList<int>, zeitpunkte); QFETCH(int, weckenNach); QFETCH(bool, abbruch);
        EchteZeit zeit;
        for (int runde = 1; runde <= 3; ++runde) { // later rounds reuse the first one's machinery
            int gefeuert = 0;
            bool stopp = abbruch && weckenNach == 0;
            QObject kontext; // a failed check must not leave timers behind that touch `gefeuert`
            for (int t : zeitpunkte)
                QTimer::singleShot(t, Qt::PreciseTimer, &kontext, [&] { ++gefeuert; });
            QTimer wecker;
            QObject::connect(&wecker, &QTimer::timeout, [&] {
                stopp = abbruch;
                zeit.wecke();
            });
            if (weckenNach < 0)
                zeit.wecke();
            else if (weckenNach > 0)
                wecker.start(weckenNach);

            const auto start = steady_clock::now();
            QCoro::waitFor(zeit.warte(dauer, [&] { return stopp; }));
            const double ms = msSeit(start);
            QVERIFY2((abbruch || ms >= dauer) && ms < haengt, qPrintable(QStringLiteral("%1 ms").arg(ms)));
            QCOMPARE(gefeuert, zeitpunkte.size());
        }
    }

    void gleichzeitig_data()
    {
        // 20 ms into the first wait a second one begins; 10 ms later comes a bare
        // wake-up or a stop. A bare wake-up shortens neither; a stop ends each wait
        // that looks at it, and only those.
        QTest::addColumn<int>("aussen");
        QTest::addColumn<int>("innen");
        QTest::addColumn<bool>("innenHoertStopp");
        QTest::addColumn<int>("aktion");
        QTest::newRow("zweite endet vor der ersten") << 200 << 100 << false << int(nichts);
        QTest::newRow("zweite ueberdauert die erste") << 100 << 300 << false << int(nichts);
        QTest::newRow("Stopp fuer beide") << 60'000 << 60'000 << true << int(stoppen);
        QTest::newRow("Stopp nur fuer die erste") << 60'000 << 50 << false << int(stoppen);
    }

    void gleichzeitig()
    {
        QFETCH(int, aussen); QFETCH(int, innen); QFETCH(bool, innenHoertStopp); QFETCH(int, aktion);
        EchteZeit zeit;
        bool stopp = false;
        double innenMs = -1;
        QObject kontext;
        QTimer::singleShot(20, Qt::PreciseTimer, &kontext, [&] {
            QTimer::singleShot(10, &kontext, [&] {
                stopp = aktion == stoppen;
                zeit.wecke();
            });
            const auto s = steady_clock::now();
            QCoro::connect(zeit.warte(innen, [&] { return innenHoertStopp && stopp; }), &kontext,
                           [&, s] { innenMs = msSeit(s); });
        });

        const auto start = steady_clock::now();
        QCoro::waitFor(zeit.warte(aussen, [&] { return stopp; }));
        const double ms = msSeit(start);
        QTRY_VERIFY_WITH_TIMEOUT(innenMs >= 0, int(haengt));
        QVERIFY2(ms < haengt, qPrintable(QStringLiteral("first %1 ms").arg(ms)));
        QVERIFY2(innenMs >= innen || (innenHoertStopp && stopp), qPrintable(QStringLiteral("second %1 ms").arg(innenMs)));
        if (aktion == nichts)
            QVERIFY2(ms >= aussen, qPrintable(QStringLiteral("first %1 ms").arg(ms)));
        QCOMPARE(zeit.laufendeWartezeiten(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWarten)
#include "tst_warten.moc"

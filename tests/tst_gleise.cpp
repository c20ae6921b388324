// The simulators' tracks for several locomotives (sim/Gleise.h) in virtual time: which
// address runs on which track, when each reaches its contacts (the locomotive starts
// at 1.5 m, its track's contacts lie at 0.1 m to 0.2 m and 2.8 m to 2.9 m, the top
// speed is 1 m/s) and when the simulator's timer has to wake next.
#include "sim/Gleise.h"

#include <QtTest>

using namespace trabolin::sim;

class TstGleise : public QObject {
    Q_OBJECT

private slots:
    // Each step "<ms> <address> <share> v|r" sets a locomotive running (share of the top
    // speed, forwards or backwards); "<ms>" alone lets the time pass. After each step:
    // the contacts that changed, "<ms of the edge> L<address> K<contact>+|-", and the
    // moment of the next edge on any track, "-> <ms>" or "-> nichts".
    void fahrten_data()
    {
        QTest::addColumn<QStringList>("schritte");
        QTest::addColumn<QStringList>("verlauf");
        QTest::newRow("eine lok wie bisher auf 1 und 2")
            << QStringList{"0 24 1 v", "1300", "1400"}
            << QStringList{"-> 1300", "1300 L24 K2+", "-> 1400", "1400 L24 K2-", "-> nichts"};
        // Track 1 drives towards its contact at 1300, track 2 from 500 on towards its
        // at 1800: the timer wakes for the nearer one, whichever track it is on.
        QTest::newRow("zweite adresse auf 3 und 4")
            << QStringList{"0 3 1 v", "500 4 1 v", "1300", "1400", "1800", "1900"}
            << QStringList{"-> 1300", "-> 1300", "1300 L3 K2+", "-> 1400", "1400 L3 K2-", "-> 1800",
                           "1800 L4 K4+", "-> 1900", "1900 L4 K4-", "-> nichts"};
        QTest::newRow("rückwärts zum ersten kontakt des zweiten gleises")
            << QStringList{"0 3 0.5 v", "0 4 1 r", "1300", "1400", "2600", "2800"}
            << QStringList{"-> 2600", "-> 1300", "1300 L4 K3+", "-> 1400", "1400 L4 K3-", "-> 2600",
                           "2600 L3 K2+", "-> 2800", "2800 L3 K2-", "-> nichts"};
        // Moved in one go, the changes come in the order they happened, not track by track.
        QTest::newRow("in einem zug nach der zeit")
            << QStringList{"0 3 0.5 v", "100 4 1 v", "3000"}
            << QStringList{"-> 2600", "-> 1400", "1400 L4 K4+", "1500 L4 K4-", "2600 L3 K2+", "2800 L3 K2-",
                           "-> nichts"};
        // A stop alone takes no track: the first address that runs gets track 1.
        QTest::newRow("nur angehalten gibt kein gleis")
            << QStringList{"0 3 0 v", "0 4 1 v", "300 3 1 v", "1300", "1400", "1600", "1700"}
            << QStringList{"-> nichts", "-> 1300", "-> 1300", "1300 L4 K2+", "-> 1400", "1400 L4 K2-", "-> 1600",
                           "1600 L3 K4+", "-> 1700", "1700 L3 K4-", "-> nichts"};
        // Stopped and started again, a locomotive goes on from where it stands on its
        // own track: locomotive 3, stopped at 2.1 m, reaches contact 2 0.7 s after its
        // new start, while locomotive 4 stands at 2 m on track 2.
        QTest::newRow("gleis bleibt nach dem halt")
            << QStringList{"0 3 1 v", "500 4 1 v", "600 3 0 v", "1000 4 0 v", "2000 3 1 v", "3000"}
            << QStringList{"-> 1300", "-> 1300", "-> 1800", "-> nichts", "-> 2700", "2700 L3 K2+", "2800 L3 K2-",
                           "-> nichts"};
        // Eight tracks, contacts 1 to 16; the ninth address runs on none.
        QStringList neun, achtKontakte;
        for (int adresse = 11; adresse <= 19; ++adresse)
            neun << QStringLiteral("0 %1 1 v").arg(adresse);
        neun << QStringLiteral("1300");
        for (int i = 0; i < 9; ++i)
            achtKontakte << QStringLiteral("-> 1300");
        for (int gleis = 1; gleis <= 8; ++gleis)
            achtKontakte << QStringLiteral("1300 L%1 K%2+").arg(10 + gleis).arg(2 * gleis);
        achtKontakte << QStringLiteral("-> 1400");
        QTest::newRow("acht gleise, die neunte adresse ohne") << neun << achtKontakte;
    }
    void fahrten()
    {
        QFETCH(QStringList, schritte);
        Gleise<int> gleise;
        QStringList verlauf;
        for (const QString &schritt : schritte) {
            const QStringList teile = schritt.split(u' ');
            const qint64 jetzt = teile[0].toLongLong();
            const QList<Gleise<int>::Wechsel> wechsel =
                teile.size() == 1 ? gleise.rueckeVor(jetzt)
                                  : gleise.setzeFahrt(teile[1].toInt(), teile[2].toDouble(), teile[3] == u"v", jetzt);
            for (const auto &w : wechsel)
                verlauf << QStringLiteral("%1 L%2 K%3%4")
                               .arg(w.kontakt.zeitMs)
                               .arg(w.lok)
                               .arg(w.kontakt.nummer)
                               .arg(w.kontakt.belegt ? QChar(u'+') : QChar(u'-'));
            const qint64 ms = gleise.msBisWechsel();
            verlauf << (ms < 0 ? QStringLiteral("-> nichts") : QStringLiteral("-> %1").arg(jetzt + ms));
        }
        QTEST(verlauf, "verlauf");
    }

    // With an acceleration time of 1 s to the top speed (1 m/s, the straight line) the
    // locomotive gains 1 mm/s each millisecond: from 1.5 m it covers 0.5 m in the first
    // second and reaches contact 2 (2.8 m) 0.8 s later. Braking alike; a change of
    // direction brakes to a stand (0.5 m on) and accelerates the other way (0.5 m back),
    // then 1.8 m to the end of contact 1. Steps as above.
    void anfahren_data()
    {
        QTest::addColumn<QStringList>("schritte");
        QTest::addColumn<QStringList>("verlauf");
        QTest::newRow("anfahren") << QStringList{"0 1 v", "3000"}
                                  << QStringList{"-> 1800", "1800 K2+", "1900 K2-", "-> nichts"};
        QTest::newRow("bremsen vor dem kontakt") << QStringList{"0 1 v", "1000 0 v", "3000"}
                                                 << QStringList{"-> 1800", "-> nichts", "-> nichts"};
        QTest::newRow("wenden: bremsen, zurück anfahren") << QStringList{"0 1 v", "1000 1 r", "5000"}
                                                          << QStringList{"-> 1800", "-> 4800", "4800 K1+", "4900 K1-",
                                                                         "-> nichts"};
    }
    void anfahren()
    {
        QFETCH(QStringList, schritte);
        Fahrkurve kurve = Fahrkurve::gerade();
        kurve.anfahrMs = 1000;
        Strecke strecke({{1, 100, 100}, {2, 2800, 100}}, 3000, 1500, kurve);
        QStringList verlauf;
        for (const QString &schritt : schritte) {
            const QStringList teile = schritt.split(u' ');
            const qint64 jetzt = teile[0].toLongLong();
            const QList<Kontaktwechsel> wechsel = teile.size() == 1
                                                      ? strecke.rueckeVor(jetzt)
                                                      : strecke.setzeFahrt(teile[1].toDouble(), teile[2] == u"v", jetzt);
            for (const Kontaktwechsel &w : wechsel)
                verlauf << QStringLiteral("%1 K%2%3").arg(w.zeitMs).arg(w.nummer).arg(QChar(w.belegt ? u'+' : u'-'));
            const qint64 ms = strecke.msBisWechsel();
            verlauf << (ms < 0 ? QStringLiteral("-> nichts") : QStringLiteral("-> %1").arg(jetzt + ms));
        }
        QTEST(verlauf, "verlauf");
    }
};

QTEST_GUILESS_MAIN(TstGleise)
#include "tst_gleise.moc"

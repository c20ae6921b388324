// The step chart: where each step lies (as a share of the chart's width and height),
// its direction, the marks of a change of direction, what it says in words, and the
// cursor and time left during a run on a clock the test sets.
#include "helfer/Aufbau.h"
#include "window/Fahrbild.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {
// Pauses left out, so that the shares come out round.
constexpr Lesart dcc{Zeilenregeln::dcc, Schaltregel::nurX, Schaltregel::nurX, 0, 0, 0, 0};
constexpr Lesart maerklin{Zeilenregeln::maerklin, Schaltregel::nichtBlank, Schaltregel::nurX, 0, 0, 0, 0};

QString anteil(qreal wert) { return QString::number(wert, 'f', 2); }
} // namespace

class TestFahrbild : public QObject {
    Q_OBJECT
private slots:
    void geometrie_data()
    {
        QTest::addColumn<bool>("aufDcc");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<QStringList>("stufen"); // "line x0-x1 y direction"
        QTest::addColumn<QStringList>("wechsel");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hoechste"); // the station's top in its mode; 0 none
        QTest::newRow("dcc: S vorwaerts, s rueckwaerts") << true << QStringList{"1,S,50", "3,s,100"}
            << QStringList{"1 0.00-0.25 0.50 v", "2 0.25-1.00 1.00 r"} << QStringList{"0.25"}
            << "2 Zeilen, 0:04 min, höchste Fahrstufe 100" << 0;
        QTest::newRow("6021: f haelt und wendet") << false << QStringList{"2,s,40", "2,f", "4,s,20"}
            << QStringList{"1 0.00-0.25 1.00 v", "2 0.25-0.50 0.00 v", "3 0.50-1.00 0.50 r"} << QStringList{"0.50"}
            << "3 Zeilen, 0:08 min, höchste Fahrstufe 40" << 0;
        QTest::newRow("eine zeile") << true << QStringList{"5,M,80"} << QStringList{"1 0.00-1.00 1.00 v"}
            << QStringList{} << "1 Zeile, 5:00 min, höchste Fahrstufe 80" << 0;
        QTest::newRow("ueber eine stunde, dauer 0 zaehlt nicht") << true << QStringList{"0,S,90", "70,M,60"}
            << QStringList{"2 0.00-1.00 1.00 v"} << QStringList{} << "1 Zeile, 1:10:00 h, höchste Fahrstufe 60" << 0;
        QTest::newRow("leer") << true << QStringList{} << QStringList{} << QStringList{} << "keine Zeile" << 0;
        // A step above the mode's top drives at the top: the chart shows it so.
        QTest::newRow("28 stufen: 30 und 80 fahren 28") << true << QStringList{"1,S,14", "1,S,30", "2,s,80"}
            << QStringList{"1 0.00-0.25 0.50 v", "2 0.25-0.50 1.00 v", "3 0.50-1.00 1.00 r"} << QStringList{"0.50"}
            << "3 Zeilen, 0:04 min, höchste Fahrstufe 28" << 28;
        QTest::newRow("14 stufen: 7 und 20") << true << QStringList{"1,S,7", "1,S,20"}
            << QStringList{"1 0.00-0.50 0.50 v", "2 0.50-1.00 1.00 v"} << QStringList{}
            << "2 Zeilen, 0:02 min, höchste Fahrstufe 14" << 14;
        QTest::newRow("128 stufen: 127 faehrt 126") << true << QStringList{"1,S,63", "1,S,127"}
            << QStringList{"1 0.00-0.50 0.50 v", "2 0.50-1.00 1.00 v"} << QStringList{}
            << "2 Zeilen, 0:02 min, höchste Fahrstufe 126" << 126;
    }
    void geometrie()
    {
        QFETCH(bool, aufDcc);
        QFETCH(QStringList, tabelle);
        Tabellenspeicher t;
        for (int i = 0; i < tabelle.size(); ++i)
            fuelleZeile(t, i + 1, tabelle[i]);
        Fahrbild bild(t);
        bild.resize(600, 150);
        bild.setzeLesart(aufDcc ? dcc : maerklin);
        QFETCH(int, hoechste);
        bild.setzeHoechsteFahrstufe(hoechste);
        const QRectF f = bild.flaeche();
        QVERIFY(bild.contentsRect().contains(f.toRect()));
        QStringList stufen, wechsel;
        for (const Fahrbild::Stufe &s : bild.stufen()) {
            QCOMPARE(s.rechteck.bottom(), f.bottom());
            stufen << QStringLiteral("%1 %2-%3 %4 %5")
                          .arg(s.zeile)
                          .arg(anteil((s.rechteck.left() - f.left()) / f.width()),
                               anteil((s.rechteck.right() - f.left()) / f.width()),
                               anteil((f.bottom() - s.rechteck.top()) / f.height()), s.vorwaerts ? "v" : "r");
        }
        for (qreal x : bild.wechsel())
            wechsel << anteil((x - f.left()) / f.width());
        QTEST(stufen, "stufen");
        QTEST(wechsel, "wechsel");
        QTEST(bild.toolTip(), "text");
        QTEST(bild.accessibleName(), "text");
    }

    // A run from line 2 (3 s), then a pass from line 1 (1 s and 3 s): the cursor and
    // the time left follow the clock, a line that runs over its time holds them, and
    // the end clears them.
    void lauf()
    {
        Tabellenspeicher t;
        fuelleZeile(t, 1, "1,S,50");
        fuelleZeile(t, 2, "3,s,100");
        Fahrbild bild(t);
        bild.resize(600, 150);
        bild.setzeLesart(dcc);
        qint64 jetzt = 0;
        bild.uhr = [&] { return jetzt; };
        int meldungen = 0;
        connect(&bild, &Fahrbild::geaendert, [&] { ++meldungen; });
        const QRectF f = bild.flaeche();
        auto cursor = [&] { return anteil((bild.cursorX() - f.left()) / f.width()); };

        t.setzeAktuelleZeile(2);
        bild.laufBeginnt(false);
        QCOMPARE(bild.restMs(), 3000);
        bild.zeileBeginnt(2);
        QCOMPARE(bild.laufzeile(), 2);
        jetzt = 1500;
        QCOMPARE(cursor(), "0.50");
        QCOMPARE(bild.restMs(), 1500);
        jetzt = 9000;
        QCOMPARE(cursor(), "1.00");
        QCOMPARE(bild.restMs(), 0);
        bild.zeileBeginnt(1); // an endless run starts its next pass at line 1
        jetzt = 9600;
        QCOMPARE(cursor(), "0.15");
        QCOMPARE(bild.restMs(), 3400);
        QVERIFY(meldungen >= 4);
        bild.laufEndet();
        QCOMPARE(bild.restMs(), -1);
        QCOMPARE(bild.cursorX(), -1);
        QCOMPARE(bild.laufzeile(), 0);
    }
};

QTEST_MAIN(TestFahrbild)
#include "tst_fahrbild.moc"

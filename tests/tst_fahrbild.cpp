// The step chart: where each step lies (as a share of the chart's width and height),
// its direction, the marks of a change of direction, what it says in words, and the
// cursor and time left during a run on a clock the test sets.
#include "helfer/Aufbau.h"
#include "window/Fahrbild.h"
#include "window/Tabellengitter.h"

#include <QFontInfo>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {
// Pauses left out, so that the shares come out round.
constexpr Lesart dcc{Zeilenregeln::dcc, Schaltregel::nurX, Schaltregel::nurX, 0, 0, 0, 0};
constexpr Lesart maerklin{Zeilenregeln::maerklin, Schaltregel::nichtBlank, Schaltregel::nurX, 0, 0, 0, 0};

QString anteil(qreal wert) { return QString::number(wert, 'f', 2); }

// The tables the pictures are taken of: on DCC a change of direction, the light and all
// four functions, a line at step 0; on the 6021 path an "f" line.
const QStringList dccTabelle{"2,S,40,X,X", "3,S,100,,,X", "2,s,60,X,,,X,X", "1,S,0,X"};
const QStringList maerklinTabelle{"2,s,40,X", "2,f", "3,s,20,,X,,,X"};

// A chart shown as a window of its own, at a fixed size and font, on a clock the test
// sets. `schritt` moves the clock to `bis` in small steps as the timer would, each tick
// painted before the next.
struct Bildaufbau {
    Tabellenspeicher tabelle;
    Fahrbild bild{tabelle};
    qint64 jetzt = 0;

    Bildaufbau(const QStringList &zeilen, bool aufDcc)
    {
        for (int i = 0; i < zeilen.size(); ++i)
            fuelleZeile(tabelle, i + 1, zeilen[i]);
        bild.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        bild.setzeLesart(aufDcc ? dcc : maerklin);
        bild.uhr = [this] { return jetzt; };
        bild.resize(600, 150);
    }
    bool zeige()
    {
        bild.show();
        return QTest::qWaitForWindowExposed(&bild);
    }
    void schritt(qint64 bis, qint64 weite = 37)
    {
        while (jetzt < bis) {
            jetzt = qMin(bis, jetzt + weite);
            bild.takt();
            QCoreApplication::processEvents();
        }
    }
    // The steps of a run: "start N" (a run from line N), "einzeln N" (line N alone),
    // "zeile N" (the run starts driving line N), "bis MS" (the clock moves on), "ende".
    void spiele(const QStringList &ablauf)
    {
        for (const QString &schrittText : ablauf) {
            const QStringList teile = schrittText.split(QLatin1Char(' '));
            const int zahl = teile.value(1).toInt();
            if (teile[0] == QLatin1String("start") || teile[0] == QLatin1String("einzeln")) {
                tabelle.setzeAktuelleZeile(zahl);
                bild.laufBeginnt(teile[0] == QLatin1String("einzeln"));
            } else if (teile[0] == QLatin1String("zeile")) {
                bild.zeileBeginnt(zahl);
            } else if (teile[0] == QLatin1String("bis")) {
                schritt(zahl);
            } else if (teile[0] == QLatin1String("ende")) {
                bild.laufEndet();
            }
            QCoreApplication::processEvents();
        }
    }
};

// What the screen shows of a widget now, painted piece by piece as it went; and the
// widget painted whole at once.
QImage aufDemSchirm(QWidget &w)
{
    return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage ganz(QWidget &w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// How many pixels differ, and where the first one is; -1 when the sizes differ.
int abweichungen(const QImage &a, const QImage &b, QPoint *erste = nullptr)
{
    if (a.size() != b.size())
        return -1;
    int anzahl = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (anzahl++ == 0 && erste)
                    *erste = {x, y};
            }
    return anzahl;
}

// Empty when the screen shows what the widget painted whole shows, else where not.
QString schirmAnders(QWidget &w)
{
    QPoint erste;
    const int anders = abweichungen(aufDemSchirm(w), ganz(w), &erste);
    return anders == 0 ? QString()
                       : QStringLiteral("%1 Pixel anders, das erste bei %2,%3").arg(anders).arg(erste.x()).arg(erste.y());
}

// Paint events of one widget: where each one painted.
class Malzaehler : public QObject {
public:
    QList<QRect> flaechen; // the bounds of each
    QList<qint64> pixel;   // how many pixels each painted
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            const QRegion &region = static_cast<QPaintEvent *>(e)->region();
            flaechen.append(region.boundingRect());
            qint64 summe = 0;
            for (const QRect &r : region)
                summe += qint64(r.width()) * r.height();
            pixel.append(summe);
        }
        return false;
    }
};
} // namespace

class TestFahrbild : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }

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
        QFETCH(bool, aufDcc); QFETCH(QStringList, tabelle); QFETCH(int, hoechste);
        Bildaufbau a(tabelle, aufDcc);
        Fahrbild &bild = a.bild;
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
        Bildaufbau a({"1,S,50", "3,s,100"}, true);
        Fahrbild &bild = a.bild;
        qint64 &jetzt = a.jetzt;
        int meldungen = 0;
        connect(&bild, &Fahrbild::geaendert, [&] { ++meldungen; });
        const QRectF f = bild.flaeche();
        auto cursor = [&] { return anteil((bild.cursorX() - f.left()) / f.width()); };

        a.tabelle.setzeAktuelleZeile(2);
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

    // A contact line takes the time limit until it has run, then what it took in this
    // run; its times are guesses, and while it waits the chart says for what.
    void kontaktzeile()
    {
        Bildaufbau a({"2,S,40", "2,K,40", "3,s,0"}, true);
        Fahrbild &bild = a.bild;
        bild.setzeKontaktgrenze(10000);
        QCOMPARE(bild.durchlauf().gesamtMs, 15000);
        QVERIFY(bild.geschaetzt());
        QCOMPARE(bild.beschreibung(), QStringLiteral("3 Zeilen, ≈ 0:15 min, höchste Fahrstufe 40"));
        QCOMPARE(bild.stufen().value(1).kontakt, true);
        QCOMPARE(bild.stufen().value(0).kontakt, false);

        a.spiele({"start 1", "zeile 1", "bis 2000", "zeile 2"});
        bild.setzeKontaktwarte(2);
        QVERIFY2(bild.beschreibung().endsWith(QStringLiteral(", wartet auf Kontakt 2")), qPrintable(bild.beschreibung()));
        a.spiele({"bis 6000"});
        bild.setzeKontaktwarte(0);
        a.spiele({"zeile 3"});
        QCOMPARE(bild.durchlauf().gesamtMs, 9000); // the contact came after 4 s
        QCOMPARE(bild.restMs(), 3000);
        a.spiele({"bis 9000", "ende"});
        QCOMPARE(bild.beschreibung(), QStringLiteral("3 Zeilen, ≈ 0:09 min, höchste Fahrstufe 40"));
        bild.laufBeginnt(false); // a new run starts from the time limit again
        QCOMPARE(bild.durchlauf().gesamtMs, 15000);

        // An endless run whose line 1 is the contact line: the next pass draws it with
        // the time it took in the pass before, while it runs again. Between the passes
        // the run puts the cursor on line 1, and the pass puts it there as it drives it.
        Bildaufbau b({"2,K,64", "3,s,0"}, true);
        b.bild.setzeKontaktgrenze(10000);
        b.spiele({"start 1", "zeile 1"});
        b.bild.setzeKontaktwarte(2);
        b.spiele({"bis 2600"});
        b.bild.setzeKontaktwarte(0);
        b.spiele({"zeile 2", "bis 5600", "zeile 1", "zeile 1"});
        QCOMPARE(b.bild.durchlauf().gesamtMs, 5600);
        QCOMPARE(b.bild.restMs(), 5600);
        b.bild.setzeKontaktwarte(2);
        b.spiele({"bis 8600"});
        QCOMPARE(b.bild.durchlauf().gesamtMs, 5600); // still while it waits
        b.spiele({"bis 9600"});
        b.bild.setzeKontaktwarte(0); // it took 4 s this time
        b.spiele({"zeile 2"});
        QCOMPARE(b.bild.durchlauf().gesamtMs, 7000);
    }

    // The chart at several states of a run looks exactly as the pictures in
    // tests/daten/fahrbild/ (taken when the whole chart was painted on every change),
    // and what the screen shows after the cursor has moved piece by piece is the same
    // as the chart painted whole.
    void bild_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<bool>("aufDcc");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<QStringList>("ablauf");
        QTest::newRow("ruhe") << "ruhe" << true << dccTabelle << QStringList{};
        QTest::newRow("zeile 1 faehrt") << "zeile1" << true << dccTabelle
                                        << QStringList{"start 1", "zeile 1", "bis 700"};
        QTest::newRow("zeile 2 faehrt") << "zeile2" << true << dccTabelle
                                        << QStringList{"start 1", "zeile 1", "bis 2000", "zeile 2", "bis 3600"};
        QTest::newRow("zeile 3 ueber ihre zeit")
            << "zeile3" << true << dccTabelle
            << QStringList{"start 1", "zeile 1", "bis 2000", "zeile 2", "bis 5000", "zeile 3", "bis 8000"};
        QTest::newRow("letzte zeile, neuer durchlauf")
            << "durchlauf" << true << dccTabelle
            << QStringList{"start 2", "zeile 2", "bis 3000", "zeile 3", "bis 5000", "zeile 4", "bis 6000",
                           "zeile 1", "bis 7300"};
        QTest::newRow("6021 mit f") << "maerklin" << false << maerklinTabelle
                                    << QStringList{"start 1", "zeile 1", "bis 2000", "zeile 2", "bis 2900"};
        QTest::newRow("einzelne zeile") << "einzeln" << true << dccTabelle << QStringList{"einzeln 2", "bis 1234"};
        QTest::newRow("nach dem lauf") << "ruhe" << true << dccTabelle
                                       << QStringList{"start 1", "zeile 1", "bis 1500", "zeile 2", "bis 2600", "ende"};
        QTest::newRow("leer") << "leer" << true << QStringList{} << QStringList{};
    }
    void bild()
    {
        QFETCH(QString, datei); QFETCH(bool, aufDcc); QFETCH(QStringList, tabelle); QFETCH(QStringList, ablauf);
        Bildaufbau a(tabelle, aufDcc);
        QVERIFY(a.zeige());
        a.spiele(ablauf);

        const QImage gemalt = ganz(a.bild);
        const QString pfad = QStringLiteral(TRABOLIN_TESTDATEN "/fahrbild/%1.png").arg(datei);
        const QImage vorlage = QImage(pfad).convertToFormat(QImage::Format_RGB32);
        QPoint erste;
        // The pictures were taken with DejaVu Sans (fonts-dejavu-core); with another font
        // in its place only the screen is held against the chart painted whole.
        const bool mitVorlage = QFontInfo(QFont(QStringLiteral("DejaVu Sans"), 9)).family() == u"DejaVu Sans";
        if (!mitVorlage)
            qWarning("DejaVu Sans fehlt: das Bild wird nicht mit %s verglichen", qPrintable(pfad));
        const int anders = mitVorlage ? abweichungen(gemalt, vorlage, &erste) : 0;
        if (anders != 0) {
            const QString ablage = QDir::temp().filePath(QStringLiteral("fahrbild-%1.png").arg(datei));
            gemalt.save(ablage);
            QFAIL(qPrintable(QStringLiteral("%1 Pixel anders als %2, das erste bei %3,%4; das Bild liegt in %5")
                                 .arg(anders).arg(pfad).arg(erste.x()).arg(erste.y()).arg(ablage)));
        }
        QCOMPARE(schirmAnders(a.bild), QString());
    }

    // A chart already painted and then given another font, colours, size, style or
    // state looks as a new chart made that way: its kept picture is drawn again.
    void aenderung_data()
    {
        QTest::addColumn<QString>("was");
        QTest::newRow("schrift") << "schrift";
        QTest::newRow("farben") << "farben";
        QTest::newRow("groesse") << "groesse";
        QTest::newRow("stil") << "stil";
        QTest::newRow("gesperrt") << "gesperrt";
    }
    void aenderung()
    {
        QFETCH(QString, was);
        std::unique_ptr<QStyle> stil(QStyleFactory::create(QStringLiteral("Windows")));
        auto aendere = [&](Fahrbild &bild) {
            if (was == QLatin1String("schrift")) {
                bild.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
            } else if (was == QLatin1String("farben")) {
                QPalette farben = bild.palette();
                farben.setColor(QPalette::Base, QColor(0xff, 0xff, 0xe0));
                farben.setColor(QPalette::Text, Qt::darkRed);
                farben.setColor(QPalette::Mid, Qt::darkGreen);
                bild.setPalette(farben);
            } else if (was == QLatin1String("groesse")) {
                bild.resize(520, 130);
            } else if (was == QLatin1String("stil")) {
                bild.setPalette(bild.palette()); // kept as it is: only the frame changes
                bild.setStyle(stil.get());
            } else if (was == QLatin1String("gesperrt")) {
                bild.setEnabled(false);
            }
        };
        const QStringList ablauf{"start 1", "zeile 1", "bis 1000"};
        Bildaufbau a(dccTabelle, true);
        QVERIFY(a.zeige());
        a.spiele(ablauf);
        const QImage vorher = ganz(a.bild);
        aendere(a.bild);
        QCoreApplication::processEvents();

        Bildaufbau neu(dccTabelle, true);
        neu.spiele(ablauf);
        aendere(neu.bild);
        const QImage erwartet = ganz(neu.bild);
        QVERIFY(abweichungen(vorher, erwartet) != 0); // the change shows at all
        QCOMPARE(abweichungen(ganz(a.bild), erwartet), 0);
        QCOMPARE(abweichungen(aufDemSchirm(a.bild), erwartet), 0);
    }

    // While a run goes on, the chart paints only the cursor's strip when it moves, and
    // nothing while a line has used up its time; "noch" is told once a second.
    void neuzeichnen_data()
    {
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<int>("bisLinie"); // the clock runs to here before watching
        QTest::addColumn<int>("bisEnde");
        QTest::addColumn<int>("bilder");     // paints seen, -1 many
        QTest::addColumn<int>("meldungen");  // reports of the time left
        QTest::newRow("cursor zieht") << QStringList{"5,S,30", "5,S,60", "5,s,90", "5,s,20"} << 1000 << 3000 << -1
                                      << 2;
        QTest::newRow("zeile hat ihre zeit um") << QStringList{"2,S,50", "5,S,60"} << 2500 << 8000 << 0 << 0;
        QTest::newRow("lange zeile: nur noch zaehlt") << QStringList{"70,M,60"} << 100 << 3000 << 0 << 2;
    }
    void neuzeichnen()
    {
        QFETCH(QStringList, tabelle); QFETCH(int, bisLinie); QFETCH(int, bisEnde);
        Bildaufbau a(tabelle, true);
        QVERIFY(a.zeige());
        a.spiele({"start 1", "zeile 1"});
        a.schritt(bisLinie);
        int meldungen = 0;
        connect(&a.bild, &Fahrbild::geaendert, [&] { ++meldungen; });
        Malzaehler zaehler;
        a.bild.installEventFilter(&zaehler);
        a.schritt(bisEnde);
        a.bild.removeEventFilter(&zaehler);

        QFETCH(int, bilder);
        if (bilder >= 0)
            QCOMPARE(zaehler.flaechen.size(), bilder);
        else
            QVERIFY(zaehler.flaechen.size() > 10);
        for (const QRect &r : std::as_const(zaehler.flaechen))
            QVERIFY2(r.width() <= 10, qPrintable(QStringLiteral("%1 Pixel breit gemalt").arg(r.width())));
        QTEST(meldungen, "meldungen");
    }

    // The table tints the line being driven: as the run moves from line to line, the
    // screen shows what the grid painted whole shows, and each change paints only the
    // rows whose tint changes.
    void gitter_data()
    {
        QTest::addColumn<QList<int>>("laufzeilen");
        QTest::addColumn<int>("zeilenJeBild"); // the most rows one change paints
        QTest::newRow("erste zeile") << QList<int>{1} << 1;
        QTest::newRow("weiter") << QList<int>{1, 2, 3} << 2;
        QTest::newRow("neuer durchlauf") << QList<int>{4, 5, 1} << 2;
        QTest::newRow("lauf endet") << QList<int>{2, 3, 0} << 2;
    }
    void gitter()
    {
        QFETCH(QList<int>, laufzeilen);
        Tabellenspeicher tabelle;
        for (int z = 1; z <= 5; ++z)
            fuelleZeile(tabelle, z, QStringLiteral("2,S,%1,X").arg(10 * z));
        Tabellengitter gitter(tabelle);
        gitter.resize(gitter.sizeHint());
        gitter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&gitter));
        QCoreApplication::processEvents();
        Malzaehler zaehler;
        gitter.viewport()->installEventFilter(&zaehler);
        for (int z : std::as_const(laufzeilen)) {
            gitter.setzeLaufzeile(z);
            QCoreApplication::processEvents();
        }
        gitter.viewport()->removeEventFilter(&zaehler);

        QFETCH(int, zeilenJeBild);
        QVERIFY(!zaehler.pixel.isEmpty());
        const qint64 zeile = qint64(gitter.viewport()->width()) * gitter.rowHeight(0);
        for (qint64 p : std::as_const(zaehler.pixel))
            QVERIFY2(p <= zeilenJeBild * zeile, qPrintable(QStringLiteral("%1 Zeilen gemalt").arg(double(p) / zeile)));
        QCOMPARE(schirmAnders(gitter), QString());
    }
};

QTEST_MAIN(TestFahrbild)
#include "tst_fahrbild.moc"

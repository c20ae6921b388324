// The length of one pass and the time left, as the window shows them, against the
// passes themselves in virtual time on each station: the end sound comes when the
// length says, and at any moment the time left is what the run still takes.
#include "helfer/Aufbau.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {
struct Station {
    int option;
    qint64 schluss; // the end commands after the pass, before the end sound
};
const Station stationen[] = {{1, 0}, {2, 0}, {0, 500}}; // Lenz, ECoS, 6021
} // namespace

class TestFahrzeit : public QObject {
    Q_OBJECT
private slots:
    // Lenz, ECoS, 6021: the length of a pass in ms.
    void durchlauf_data()
    {
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<qint64>>("ms");
        QTest::newRow("s und m") << QStringList{"5,s,30", "2,m,40,X"} << 1 << QList<qint64>{125200, 125400, 126000};
        QTest::newRow("f") << QStringList{"3,f", "4,S,10"} << 1 << QList<qint64>{184200, 184400, 9000};
        QTest::newRow("leere dauer in der mitte") << QStringList{"5,s,1", "", "7,s,2"} << 1
                                                  << QList<qint64>{5100, 5200, 5500};
        QTest::newRow("dauer 0") << QStringList{"0,s,5", "5,s,1"} << 1 << QList<qint64>{5100, 5200, 6000};
        QTest::newRow("dauer aus blanks") << QStringList{" ,s,3", "5,s,1"} << 1 << QList<qint64>{5100, 5200, 0};
        QTest::newRow("ab zeile 2") << QStringList{"9,m,1", "5,s,30", "2,s,40"} << 2
                                    << QList<qint64>{7200, 7400, 8000};
        QTest::newRow("zeile 25 gefuellt") << QStringList(25, QStringLiteral("1,s,5")) << 1
                                           << QList<qint64>{27500, 30000, 37500};
    }
    void durchlauf()
    {
        QFETCH(QStringList, tabelle);
        QFETCH(int, start);
        QFETCH(QList<qint64>, ms);
        for (int s = 0; s < 3; ++s) {
            const Station &st = stationen[s];
            Aufbau a;
            a.feld.option = st.option;
            a.feld.mitSignal = true;
            a.zeilen(tabelle);
            a.tabelle.setzeAktuelleZeile(start);
            const Durchlauf d = ermittleDurchlauf(a.tabelle, start, zentralenzeile(st.option)->lesart);
            QCOMPARE(d.gesamtMs, ms[s]);

            // The window's reckoning: the line the run put the cursor on, since when.
            int zeile = 0;
            qint64 beginn = 0;
            QObject::connect(&a.tabelle, &Tabellenspeicher::zeileGesetzt, [&](int z) {
                zeile = z;
                beginn = a.zeit.jetzt;
            });
            QList<qint64> rest, soll;
            for (qint64 t : {d.gesamtMs / 3, d.gesamtMs * 2 / 3 + 7}) {
                if (t <= 0 || t >= d.gesamtMs)
                    continue;
                soll << d.gesamtMs - t;
                a.zeit.bei(t, [&, t] { rest << ermittleRestMs(d, zeile, t - beginn); });
            }
            a.ablauf.btnStart_Click();
            QCOMPARE(a.klang.gespielt.value(0).first, ms[s] + st.schluss);
            QCOMPARE(rest, soll);
        }
    }

    void dauertext_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("null") << qint64(0) << "0:00";
        QTest::newRow("abgerundet") << qint64(205999) << "3:25";
        QTest::newRow("knapp eine stunde") << qint64(3599999) << "59:59";
        QTest::newRow("eine stunde") << qint64(3600000) << "1:00:00";
        QTest::newRow("99 minuten und 4 s") << qint64(5944000) << "1:39:04";
    }
    void dauertext()
    {
        QFETCH(qint64, ms);
        QTEST(ermittleDauertext(ms), "text");
    }
};

QTEST_GUILESS_MAIN(TestFahrzeit)
#include "tst_fahrzeit.moc"

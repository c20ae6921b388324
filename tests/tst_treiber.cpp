// What every station driver shares, one table row per station: a stop in the
// middle of a line, a full table, and closing the window mid-run all end with the
// locomotive at speed 0 as the last thing sent.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {
// Everything sent, on the port or on the ECoS link.
QStringList gesendet(const Aufbau &a) { return protokoll(a.port) + a.link.gesendet; }
} // namespace

class TestTreiber : public QObject {
    Q_OBJECT
private slots:
    void halt_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("letztes");
        QTest::addColumn<qint64>("ende");

        QTest::newRow("6021 stopp") << 0 << "stopp" << "3000 00 18" << qint64(3000);
        QTest::newRow("lenz stopp") << 1 << "stopp" << "3000 E4 10 00 18 00 EC" << qint64(3000);
        QTest::newRow("ecos stopp") << 2 << "stopp" << "3000 set(24,speed[0])" << qint64(3000);
        QTest::newRow("6021 volle tabelle") << 0 << "voll" << "38000 40 18" << qint64(38000);
        QTest::newRow("lenz volle tabelle") << 1 << "voll" << "27500 E4 10 00 18 00 EC" << qint64(27500);
        QTest::newRow("ecos volle tabelle") << 2 << "voll" << "30000 set(24,speed[0])" << qint64(30000);
        QTest::newRow("6021 schliessen") << 0 << "schliessen" << "3000 00 18" << qint64(3000);
        QTest::newRow("lenz schliessen") << 1 << "schliessen" << "3000 E4 10 00 18 00 EC" << qint64(3000);
        QTest::newRow("ecos schliessen") << 2 << "schliessen" << "3000 set(24,speed[0])" << qint64(3000);
    }
    void halt()
    {
        QFETCH(int, option);
        QFETCH(QString, fall);
        QFETCH(QString, letztes);
        QFETCH(qint64, ende);

        Aufbau a;
        a.feld.option = option;
        a.feld.mitEndlos = fall != u"voll";
        for (int z = 1; z <= anzahlZeilen; ++z)
            a.zeile(z, fall == u"voll" ? QStringLiteral("1,s,1") : QStringLiteral("60,s,5"));
        if (fall == u"stopp")
            a.zeit.bei(3000, [&] { a.ablauf.stoppKlick(); });
        if (fall == u"schliessen")
            a.zeit.bei(3000, [&] { a.ablauf.beenden(); });
        a.ablauf.btnStart_Click();

        const QStringList alles = gesendet(a);
        QVERIFY(!alles.isEmpty());
        QCOMPARE(alles.last(), letztes);
        QCOMPARE(a.zeit.jetzt, ende);
        QVERIFY(!a.ablauf.laeuft());
        // After closing nothing at all follows the stop, not even the end sound.
        if (fall == u"schliessen")
            QVERIFY(a.klang.gespielt.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTreiber)
#include "tst_treiber.moc"

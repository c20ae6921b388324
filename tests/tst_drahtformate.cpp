// The XpressNet slot buffer and the limits of the 6051 two-byte command. The frames
// and texts themselves are checked where the runs send them.
#include "stations/lenz/XpressNet.h"
#include "stations/maerklin/Maerklin.h"
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

class TestDrahtformate : public QObject {
    Q_OBJECT
private slots:
    void sendeLenzBefehl()
    {
        Aufbau a;
        LenzTreiber &ablauf = a.lenz;

        // A filled slot holding zero belongs to the frame.
        for (int s = 1; const int b : {0xE4, 0x10, 0x00, 0x03, 0x00})
            ablauf.LenzBefehl().setze(s++, quint8(b));
        ablauf.sendeLenzBefehl();
        ablauf.sendeLenzBefehl(); // the buffer is empty now: nothing more
        QCOMPARE(protokoll(a.port), QStringList{"0 E4 10 00 03 00 F7"});
        QVERIFY(!ablauf.LenzBefehl().slot(1).has_value());

        // Without slot 1 nothing goes out, and the other slots stay filled.
        ablauf.LenzBefehl().setze(2, 0x81);
        ablauf.sendeLenzBefehl();
        QCOMPARE(a.port.vorgaenge.size(), 1);
        QCOMPARE(ablauf.LenzBefehl().slot(2), std::optional<quint8>(0x81));

        // Slots behind an empty one are not part of the frame.
        ablauf.LenzBefehl().setze(1, 0x21);
        ablauf.LenzBefehl().setze(4, 0x55);
        ablauf.sendeLenzBefehl();
        QCOMPARE(protokoll(a.port).last(), QStringLiteral("0 21 81 A0"));
    }

    void zweiByteBefehl_data()
    {
        QTest::addColumn<qint64>("befehl");
        QTest::addColumn<qint64>("adresse");
        QTest::addColumn<QByteArray>("erwartet"); // empty: not codable, nothing sent
        QTest::newRow("grenze") << qint64(255) << qint64(255) << QByteArray("\xFF\xFF");
        QTest::newRow("null") << qint64(0) << qint64(0) << QByteArray("\x00\x00", 2);
        QTest::newRow("befehl zu gross") << qint64(256) << qint64(24) << QByteArray();
        QTest::newRow("negative adresse") << qint64(0) << qint64(-5) << QByteArray();
    }
    void zweiByteBefehl()
    {
        QFETCH(qint64, befehl);
        QFETCH(qint64, adresse);
        QTEST(maerklinBefehl(befehl, adresse).value_or(QByteArray()), "erwartet");
    }
};

QTEST_GUILESS_MAIN(TestDrahtformate)
#include "tst_drahtformate.moc"

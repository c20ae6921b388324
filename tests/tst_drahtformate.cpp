// The byte and text formats as they go on the wire: XpressNet frames with check
// byte and USB prefix, the slot buffer, and the IntelliBox texts.
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
    void xpressNet_data()
    {
        QTest::addColumn<QByteArray>("rahmen");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QByteArray>("draht");
        QTest::newRow("power an") << QByteArray("\x21\x81") << false << QByteArray("\x21\x81\xA0");
        QTest::newRow("power an usb") << QByteArray("\x21\x81") << true
                                      << QByteArray("\xFF\xFE\x21\x81\xA0");
        QTest::newRow("power aus") << QByteArray("\x21\x80") << false << QByteArray("\x21\x80\xA1");
        QTest::newRow("fahrstufe") << QByteArray("\xE4\x13\x00\x03\x85", 5) << false
                                   << QByteArray("\xE4\x13\x00\x03\x85\x71", 6);
        QTest::newRow("null im datenbyte") << QByteArray("\xE4\x10\x00\x03\x00", 5) << false
                                           << QByteArray("\xE4\x10\x00\x03\x00\xF7", 6);
    }
    void xpressNet()
    {
        QFETCH(QByteArray, rahmen);
        QFETCH(bool, usb);
        QFETCH(QByteArray, draht);
        QCOMPARE(xpressNetBefehl(rahmen, usb).toHex(' '), draht.toHex(' '));
    }

    void sendeLenzBefehl()
    {
        Aufbau a;
        LenzTreiber &ablauf = a.lenz;
        Mitschrift &port = a.port;

        // A filled slot holding zero belongs to the frame.
        for (int s = 1; const int b : {0xE4, 0x10, 0x00, 0x03, 0x00})
            ablauf.LenzBefehl().setze(s++, quint8(b));
        ablauf.sendeLenzBefehl();
        ablauf.sendeLenzBefehl(); // the buffer is empty now: nothing more
        QCOMPARE(protokoll(port), QStringList{"0 E4 10 00 03 00 F7"});
        QVERIFY(!ablauf.LenzBefehl().slot(1).has_value());

        // Without slot 1 nothing goes out, and the other slots stay filled.
        ablauf.LenzBefehl().setze(2, 0x81);
        ablauf.sendeLenzBefehl();
        QCOMPARE(port.vorgaenge.size(), 1);
        QCOMPARE(ablauf.LenzBefehl().slot(2), std::optional<quint8>(0x81));

        // Slots behind an empty one are not part of the frame.
        ablauf.LenzBefehl().setze(1, 0x21);
        ablauf.LenzBefehl().setze(4, 0x55);
        ablauf.sendeLenzBefehl();
        QCOMPARE(protokoll(port).last(), QStringLiteral("0 21 81 A0"));
    }

    void intelliBox_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("erwartet");
        QTest::newRow("fahrzeile") << xlFahrzeile("300", "12", true, 1, false, true, false, false)
                                   << QByteArray("XL 300,12,1,1,0,1,0,0\r");
        QTest::newRow("stoppzeile richtung 0") << xlStoppzeile("300", 0)
                                               << QByteArray("XL300,0,0,0,0,0,0,0\r");
        QTest::newRow("stoppzeile richtung 1") << xlStoppzeile("300", 1)
                                               << QByteArray("XL300,0,0,1,0,0,0,0\r");
        QTest::newRow("richtungsstopp") << xlRichtungsstopp("300") << QByteArray("XL 300, 0,\r");
        QTest::newRow("adresse wie getippt") << xlStoppzeile("0300 ", 1)
                                             << QByteArray("XL0300 ,0,0,1,0,0,0,0\r");
    }
    void intelliBox()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, erwartet);
        QCOMPARE(text, erwartet);
    }

    void zweiByteBefehl_data()
    {
        QTest::addColumn<qint64>("befehl");
        QTest::addColumn<qint64>("adresse");
        QTest::addColumn<QByteArray>("erwartet"); // empty: not codable, nothing sent
        QTest::newRow("funktionen") << qint64(64) << qint64(24) << QByteArray("\x40\x18");
        QTest::newRow("grenze") << qint64(255) << qint64(255) << QByteArray("\xFF\xFF");
        QTest::newRow("null") << qint64(0) << qint64(0) << QByteArray("\x00\x00", 2);
        QTest::newRow("befehl zu gross") << qint64(256) << qint64(24) << QByteArray();
        QTest::newRow("negative adresse") << qint64(0) << qint64(-5) << QByteArray();
    }
    void zweiByteBefehl()
    {
        QFETCH(qint64, befehl);
        QFETCH(qint64, adresse);
        QFETCH(QByteArray, erwartet);
        QCOMPARE(maerklinBefehl(befehl, adresse).value_or(QByteArray()), erwartet);
    }
};

QTEST_GUILESS_MAIN(TestDrahtformate)
#include "tst_drahtformate.moc"

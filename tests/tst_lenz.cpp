// The Lenz LZ100 driver in virtual time: every XpressNet frame with its check byte,
// the order and the pauses of the pass and of the single line, the stop, the end of
// a pass, endless passes and the sounds.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// The address bytes as "00 03", or "-" for an address without coding.
QString adressText(qint64 adresse)
{
    const auto b = lenzAdressbytes(adresse);
    return b ? QStringLiteral("%1 %2").arg(b->first, 2, 16, QLatin1Char('0')).arg(b->second, 2, 16, QLatin1Char('0')).toUpper()
             : QStringLiteral("-");
}

} // namespace

class TestLenz : public QObject {
    Q_OBJECT
private slots:
    void adressbytes_data()
    {
        QTest::addColumn<qint64>("adresse");
        QTest::addColumn<QString>("bytes");
        QTest::newRow("1 kurz") << qint64(1) << "00 01";
        QTest::newRow("99 kurz") << qint64(99) << "00 63";
        QTest::newRow("100 lang") << qint64(100) << "C0 64";
        QTest::newRow("16383") << qint64(16383) << "FF FF";
        QTest::newRow("16384 passt nicht") << qint64(16384) << "-";
        QTest::newRow("0 waere jede lok") << qint64(0) << "-";
        QTest::newRow("negativ") << qint64(-1) << "-";
    }
    void adressbytes()
    {
        QFETCH(qint64, adresse);
        QFETCH(QString, bytes);
        QCOMPARE(adressText(adresse), bytes);
    }

    void fahrbyte_data()
    {
        QTest::addColumn<qint64>("fahrstufe");
        QTest::addColumn<QString>("einheit");
        QTest::addColumn<int>("byte");
        QTest::newRow("0 vorwaerts") << qint64(0) << "S" << 0x80;
        QTest::newRow("0 rueckwaerts") << qint64(0) << "s" << 0x00;
        QTest::newRow("1 wird 2") << qint64(1) << "M" << 0x82;
        QTest::newRow("126 wird 127") << qint64(126) << "m" << 0x7F;
        QTest::newRow("127 begrenzt") << qint64(127) << "S" << 0xFF;
        QTest::newRow("999 begrenzt") << qint64(999) << "f" << 0x7F;
        QTest::newRow("negativ wird 0") << qint64(-5) << "M" << 0x80;
        QTest::newRow("leere einheit") << qint64(4) << "" << 0x05;
    }
    void fahrbyte()
    {
        QFETCH(qint64, fahrstufe);
        QFETCH(QString, einheit);
        QFETCH(int, byte);
        QCOMPARE(int(lenzFahrbyte(fahrstufe, einheit)), byte);
    }

    void funktionsbyte_data()
    {
        QTest::addColumn<QStringList>("zellen"); // Fu, F1, F2, F3, F4
        QTest::addColumn<int>("byte");
        QTest::newRow("keine") << QStringList{"", "", "", "", ""} << 0x00;
        QTest::newRow("Fu und F1") << QStringList{"X", "X", "", "", ""} << 0x11;
        QTest::newRow("nur F4") << QStringList{"", "", "", "", "X"} << 0x08;
        QTest::newRow("blank setzt das bit") << QStringList{" ", "", " ", "", ""} << 0x12;
        QTest::newRow("kleines x") << QStringList{"", "", "", "x", ""} << 0x04;
    }
    void funktionsbyte()
    {
        QFETCH(QStringList, zellen);
        QFETCH(int, byte);
        QCOMPARE(int(lenzFunktionsbyte(zellen[0], zellen[1], zellen[2], zellen[3], zellen[4])), byte);
    }

    // Whole runs from "starten": every frame with its time, and the sounds.
    void lauf_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<int>("modus");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<int>("startzeile");
        QTest::addColumn<bool>("endlos");
        QTest::addColumn<qint64>("stoppBei");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<QStringList>("klaenge");

        const QStringList zweimal{"4100 Signal.wav", "4100 Signal.wav"};
        QTest::newRow("zeile S, dann leer: halt vorwaerts")
            << "3" << 3 << false << QStringList{"4,S,4,X"} << 1 << false << qint64(-1)
            << QStringList{"0 E4 13 00 03 85 71", "100 E4 20 00 03 10 D7", "4100 E4 13 00 03 80 74"}
            << zweimal;
        QTest::newRow("leere erste zeile, kein eintrag in fahrstufen: 14")
            << "3" << -1 << false << QStringList{} << 1 << false << qint64(-1)
            << QStringList{"0 E4 10 00 03 00 F7"} << QStringList{"0 Signal.wav", "0 Signal.wav"};
        QTest::newRow("usb-interface")
            << "3" << 0 << true << QStringList{} << 1 << false << qint64(-1)
            << QStringList{"0 FF FE E4 10 00 03 00 F7"} << QStringList{"0 Signal.wav", "0 Signal.wav"};
        QTest::newRow("dauer 0 wird uebersprungen, merkt aber die einheit")
            << "3" << 0 << false << QStringList{"1,s,2", "0,S,5"} << 1 << false << qint64(-1)
            << QStringList{"0 E4 10 00 03 03 F4", "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 80 77"}
            << QStringList{"1100 Signal.wav", "1100 Signal.wav"};
        QTest::newRow("lange adresse, minuten")
            << "1234" << 2 << false << QStringList{"1,M,10"} << 1 << false << qint64(-1)
            << QStringList{"0 E4 12 C4 D2 8B 6B", "100 E4 20 C4 D2 00 D2", "60100 E4 12 C4 D2 80 60"}
            << QStringList{"60100 Signal.wav", "60100 Signal.wav"};
        QTest::newRow("ab zeile 2")
            << "3" << 0 << false << QStringList{"9,S,9", "1,s,3"} << 2 << false << qint64(-1)
            << QStringList{"0 E4 10 00 03 04 F3", "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 00 F7"}
            << QStringList{"1100 Signal.wav", "1100 Signal.wav"};
        // A stop during a line's wait: nothing is pending, so the wait sends nothing;
        // the next line with a positive Dauer sends speed 0 without the direction bit.
        QTest::newRow("stopp in der zeile")
            << "3" << 0 << false << QStringList{"60,S,5", "60,M,3"} << 1 << false << qint64(3000)
            << QStringList{"0 E4 10 00 03 86 71", "100 E4 20 00 03 00 C7", "3000 E4 10 00 03 00 F7"}
            << QStringList{"3000 Signal.wav"};
        // During the 100 ms pause the function frame is pending: the wait sends it.
        QTest::newRow("stopp in der pause")
            << "3" << 0 << false << QStringList{"60,S,5"} << 1 << true << qint64(50)
            << QStringList{"0 E4 10 00 03 86 71", "50 E4 20 00 03 00 C7", "50 E4 10 00 03 80 77"}
            << QStringList{"50 Signal.wav"};
        QTest::newRow("stopp in zeile 25 beendet auch endlos")
            << "3" << 0 << false << QStringList{} << 25 << true << qint64(2000)
            << QStringList{"0 E4 10 00 03 04 F3", "100 E4 20 00 03 00 C7", "2000 E4 10 00 03 00 F7"}
            << QStringList{"2000 Signal.wav"};
        QTest::newRow("endlos ohne gefahrene zeile endet")
            << "3" << 0 << false << QStringList{"", "5,s,5"} << 1 << true << qint64(-1)
            << QStringList{"0 E4 10 00 03 00 F7"} << QStringList{"0 Signal.wav", "0 Signal.wav"};
        QTest::newRow("adresse ohne kodierung: nichts, nur die zeit")
            << "20000" << 0 << false << QStringList{"2,s,5"} << 1 << false << qint64(-1)
            << QStringList{} << QStringList{"2100 Signal.wav", "2100 Signal.wav"};
    }
    void lauf()
    {
        QFETCH(QString, adresse);
        QFETCH(int, modus);
        QFETCH(bool, usb);
        QFETCH(QStringList, tabelle);
        QFETCH(int, startzeile);
        QFETCH(bool, endlos);
        QFETCH(qint64, stoppBei);
        QFETCH(QStringList, erwartet);
        QFETCH(QStringList, klaenge);

        Aufbau a;
        a.feld.option = 1;
        a.feld.adresse = adresse;
        a.feld.fsIndex = modus;
        a.feld.usb = usb;
        a.feld.mitSignal = true;
        a.feld.mitEndlos = endlos;
        a.zeilen(tabelle);
        if (startzeile == 25)
            a.zeile(25, "10,s,3");
        a.tabelle.setzeAktuelleZeile(startzeile);
        if (stoppBei >= 0)
            a.zeit.bei(stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), erwartet);
        QCOMPARE(a.klaenge(), klaenge);
        QVERIFY(!a.ablauf.laeuft());
    }

    // Endless: the start time is written once, the running time counts on across
    // passes, each pass starts at line 1.
    void endlosZaehltDieLaufzeitWeiter()
    {
        Aufbau a;
        a.feld.option = 1;
        a.feld.adresse = QStringLiteral("3");
        a.feld.mitEndlos = true;
        a.zeilen({"1,s,1", "1,s,1"});
        a.tabelle.setzeAktuelleZeile(2);
        a.zeit.bei(3500, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(a.feld.start, QStringLiteral("12:00:00"));
        QCOMPARE(a.feld.lauf, QStringLiteral("00:00:03"));
        QCOMPARE(protokoll(a.port),
                 (QStringList{"0 E4 10 00 03 02 F5", "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 00 F7",
                              "1100 E4 10 00 03 02 F5", "1200 E4 20 00 03 00 C7",
                              "2200 E4 10 00 03 02 F5", "2300 E4 20 00 03 00 C7", "3300 E4 10 00 03 00 F7",
                              "3300 E4 10 00 03 02 F5", "3400 E4 20 00 03 00 C7",
                              "3500 E4 10 00 03 00 F7"}));
    }

    void einzelzeile_data()
    {
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<qint64>("stoppBei");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("5 S 10 nur Fu")
            << "5,S,10,X" << qint64(-1)
            << QStringList{"0 E4 10 00 03 8B 7C", "200 E4 20 00 03 10 D7", "5200 E4 10 00 03 80 77"};
        QTest::newRow("1 m 0")
            << "1,m,0" << qint64(-1)
            << QStringList{"0 E4 10 00 03 00 F7", "200 E4 20 00 03 00 C7", "60200 E4 10 00 03 00 F7"};
        QTest::newRow("200 mit M")
            << ",M,200,X,X,X,X,X" << qint64(-1)
            << QStringList{"0 E4 10 00 03 FF 08", "200 E4 20 00 03 1F D8", "200 E4 10 00 03 80 77"};
        QTest::newRow("stopp in der zeile")
            << "5,S,10" << qint64(1000)
            << QStringList{"0 E4 10 00 03 8B 7C", "200 E4 20 00 03 00 C7", "1000 E4 10 00 03 80 77"};
    }
    void einzelzeile()
    {
        QFETCH(QString, zeile);
        QFETCH(qint64, stoppBei);
        QFETCH(QStringList, erwartet);

        Aufbau a;
        a.feld.option = 1;
        a.feld.adresse = QStringLiteral("3");
        a.feld.mitSignal = true;
        a.zeile(4, zeile);
        a.tabelle.setzeAktuelleZeile(4);
        if (stoppBei >= 0)
            a.zeit.bei(stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnSendZeile_Click();
        QCOMPARE(protokoll(a.port), erwartet);
        const qint64 ende = a.port.vorgaenge.last().zeit;
        QCOMPARE(a.klaenge(), (QStringList{QString::number(ende) + " ring.wav",
                                           QString::number(ende + (stoppBei < 0 ? 1000 : 0)) + " ring.wav",
                                           QString::number(ende + (stoppBei < 0 ? 2000 : 0)) + " ring.wav"}));
        QCOMPARE(a.tabelle.aktuelleZeile(), 4);
    }
};

QTEST_GUILESS_MAIN(TestLenz)
#include "tst_lenz.moc"

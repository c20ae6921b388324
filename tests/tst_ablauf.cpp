// The run logic on the 6021/6051 and IntelliBox path in virtual time: every byte,
// every text and every pause of the row commands, the run, the single line, the
// stop, and the power buttons.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;


class TestAblauf : public QObject {
    Q_OBJECT
private slots:
    void zeittext_data()
    {
        QTest::addColumn<int>("sekunden");
        QTest::addColumn<QString>("text");
        QTest::newRow("null") << 0 << "00:00:00";
        QTest::newRow("59") << 59 << "00:00:59";
        QTest::newRow("3661") << 3661 << "01:01:01";
        QTest::newRow("hundert stunden") << 360000 << "100:00:00";
    }
    void zeittext()
    {
        QFETCH(int, sekunden);
        QFETCH(QString, text);
        QCOMPARE(Ablauf::ermittleZeittext(sekunden), text);
    }

    // One table line through the row command chosen by the address, called as the
    // run calls it: the bytes with their times and the time the line ends.
    void zeilenbefehl_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<qint64>("ende");
        QTest::addColumn<int>("richtungDanach");

        QTest::newRow("sekunden mit licht")
            << "24" << "5,s,7,X" << QStringList{"0 40 18", "500 17 18"} << qint64(5500) << 1;
        QTest::newRow("minuten mit F1 und F3")
            << "24" << "2,m,0,,X,,X" << QStringList{"0 45 18", "500 00 18"} << qint64(120500) << 1;
        QTest::newRow("richtungswechsel")
            << "5" << "3,F" << QStringList{"0 40 05", "500 00 05", "3500 0F 05"} << qint64(4500) << 1;
        QTest::newRow("richtungswechsel mit licht")
            << "5" << "3,f,,X" << QStringList{"0 40 05", "500 10 05", "3500 1F 05"} << qint64(4500) << 1;
        QTest::newRow("leere einheit")
            << "24" << "5,,7,X" << QStringList{"0 40 18"} << qint64(500) << 1;
        QTest::newRow("licht aus einem blank ist aus")
            << "24" << "5,s,7, " << QStringList{"0 40 18", "500 07 18"} << qint64(5500) << 1;
        QTest::newRow("kleines x: licht an, F1 aus")
            << "24" << "1,S,3,x,x" << QStringList{"0 40 18", "500 13 18"} << qint64(1500) << 1;
        QTest::newRow("fahrstufe passt in kein byte: nichts")
            << "24" << "1,s,250,X" << QStringList{"0 40 18"} << qint64(1500) << 1;
        QTest::newRow("dauer mit blank")
            << "24" << " 5,s,1" << QStringList{"0 40 18", "500 01 18"} << qint64(5500) << 1;
        QTest::newRow("XL leere einheit") << "300" << "4,,5" << QStringList{} << qint64(500) << 1;
        QTest::newRow("XL adresse mit blank")
            << " 300" << "1,s,5" << QStringList{"500 'XL  300,5,0,1,0,0,0,0<CR>'"} << qint64(1500) << 1;
    }
    void zeilenbefehl()
    {
        QFETCH(QString, adresse);
        QFETCH(QString, zeile);
        QFETCH(QStringList, erwartet);
        QFETCH(qint64, ende);
        QFETCH(int, richtungDanach);

        Aufbau a;
        a.zeile(7, zeile);
        a.tabelle.setzeAktuelleZeile(7);
        a.feld.adresse = adresse;
        a.ablauf.zustand().adresseText = adresse;
        a.ablauf.zustand().adresseNummer = qint16(adresse.trimmed().toInt());
        if (a.ablauf.zustand().adresseNummer < 256)
            a.maerklin.Fahrbefehl();
        else
            a.maerklin.Fahrbefehl_X();
        QCOMPARE(protokoll(a.port), erwartet);
        QCOMPARE(a.zeit.jetzt, ende);
        QCOMPARE(int(a.ablauf.zustand().XLRichtung), richtungDanach);
    }

    void sendeMaerklinBefehl()
    {
        Aufbau a;
        a.maerklin.sendeMaerklinBefehl("64", "24");
        a.maerklin.sendeMaerklinBefehl("7", "24");
        a.maerklin.sendeMaerklinBefehl("2.5", " 24");
        QCOMPARE(protokoll(a.port), (QStringList{"0 40 18", "0 07 18", "0 02 18"}));
    }

    // Whole runs from "starten": the lines run, the end command, the sound.
    void lauf_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<int>("startzeile");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<QStringList>("klaenge");

        QTest::newRow("leere erste zeile: nur schlussfolge")
            << "24" << QStringList{} << 1 << QStringList{"0 00 18", "500 40 18"}
            << QStringList{"500 Signal.wav"};
        QTest::newRow("dauer aus einem blank ist leer")
            << "24" << QStringList{" ,s,5"} << 1 << QStringList{"0 00 18", "500 40 18"}
            << QStringList{"500 Signal.wav"};
        QTest::newRow("ab zeile 5, endet an der leeren zeile 7")
            << "24" << QStringList{"1,s,1", "1,s,2", "1,s,3", "1,s,4", "2,s,5", "1,s,6", "", "1,s,8"} << 5
            << QStringList{"0 40 18", "500 05 18", "2500 40 18", "3000 06 18", "4000 00 18", "4500 40 18"}
            << QStringList{"4500 Signal.wav"};
        QTest::newRow("adresse 255 im lauf: zwei bytes")
            << "255" << QStringList{"1,s,9"} << 1
            << QStringList{"0 40 FF", "500 09 FF", "1500 00 FF", "2000 40 FF"}
            << QStringList{"2000 Signal.wav"};
        QTest::newRow("adresse 256 im lauf: text")
            << "256" << QStringList{"1,s,9"} << 1
            << QStringList{"500 'XL 256,9,0,1,0,0,0,0<CR>'", "1500 'XL256,0,0,1,0,0,0,0<CR>'"}
            << QStringList{"1500 Signal.wav"};
        // After a change of direction the later rows and the stop line carry the new direction.
        QTest::newRow("XL richtung nach f")
            << "300" << QStringList{"1,f", "1,s,5", "1,f", "1,s,6"} << 1
            << QStringList{"500 'XL 300, 0,<CR>'", "3000 'XL 300,5,0,0,0,0,0,0<CR>'",
                           "4500 'XL 300, 0,<CR>'", "7000 'XL 300,6,0,1,0,0,0,0<CR>'",
                           "8000 'XL300,0,0,1,0,0,0,0<CR>'"}
            << QStringList{"8000 Signal.wav"};
        QTest::newRow("XL stoppzeile nach f")
            << "300" << QStringList{"1,f"} << 1
            << QStringList{"500 'XL 300, 0,<CR>'", "2500 'XL300,0,0,0,0,0,0,0<CR>'"}
            << QStringList{"2500 Signal.wav"};
        QTest::newRow("XL endet mit der stoppzeile")
            << "300" << QStringList{"1,s,9,X"} << 1
            << QStringList{"500 'XL 300,9,1,1,0,0,0,0<CR>'", "1500 'XL300,0,0,1,0,0,0,0<CR>'"}
            << QStringList{"1500 Signal.wav"};
    }
    void lauf()
    {
        QFETCH(QString, adresse);
        QFETCH(QStringList, tabelle);
        QFETCH(int, startzeile);
        QFETCH(QStringList, erwartet);
        QFETCH(QStringList, klaenge);

        Aufbau a;
        a.feld.adresse = adresse;
        a.feld.mitSignal = true;
        a.zeilen(tabelle);
        a.tabelle.setzeAktuelleZeile(startzeile);
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), erwartet);
        QCOMPARE(a.klaenge(), klaenge);
        QVERIFY(!a.ablauf.laeuft());
    }

    void laufzeitNachZweiMinuten()
    {
        Aufbau a;
        a.zeile(1, "2,m,5");
        a.zeit.tagesbeginn = QTime(23, 59, 30); // the run passes midnight
        a.ablauf.btnStart_Click();
        QCOMPARE(a.feld.start, QStringLiteral("23:59:30"));
        QCOMPARE(a.feld.lauf, QStringLiteral("00:02:00"));
    }

    void stoppWaehrendEinerZeile_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<qint64>("stoppBei");
        QTest::addColumn<QStringList>("erwartet");

        // The cut-short wait sends the stop, the loop finds the flag and sends it once more.
        QTest::newRow("zwei bytes")
            << "24" << "60,s,5" << qint64(3000)
            << QStringList{"0 40 18", "500 05 18", "3000 00 18", "3000 00 18"};
        // During the pause of a change of direction: the direction byte still
        // follows, its 1000 ms wait ends at once with another stop.
        QTest::newRow("richtungswechsel")
            << "5" << "3,F" << qint64(1000)
            << QStringList{"0 40 05", "500 00 05", "1000 00 05", "1000 0F 05", "1000 00 05", "1000 00 05"};
        QTest::newRow("XL ab 256")
            << "256" << "60,s,5" << qint64(2000)
            << QStringList{"500 'XL 256,5,0,1,0,0,0,0<CR>'", "2000 'XL256,0,0,1,0,0,0,0<CR>'",
                           "2000 'XL256,0,0,1,0,0,0,0<CR>'"};
        QTest::newRow("XL vor der zeile")
            << "300" << "60,s,5" << qint64(100)
            << QStringList{"100 'XL300,0,0,1,0,0,0,0<CR>'", "100 'XL 300,5,0,1,0,0,0,0<CR>'",
                           "100 'XL300,0,0,1,0,0,0,0<CR>'", "100 'XL300,0,0,1,0,0,0,0<CR>'"};
    }
    void stoppWaehrendEinerZeile()
    {
        QFETCH(QString, adresse);
        QFETCH(QString, zeile);
        QFETCH(qint64, stoppBei);
        QFETCH(QStringList, erwartet);

        Aufbau a;
        a.feld.adresse = adresse;
        a.feld.mitSignal = true;
        a.feld.mitEndlos = true;
        a.zeile(1, zeile);
        a.zeile(2, zeile);
        a.zeit.bei(stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), erwartet);
        QVERIFY(a.klang.gespielt.isEmpty()); // no end sound after a stop
        QCOMPARE(a.zeit.jetzt, stoppBei);
    }

    void stoppInDerLetztenZeileBeendetAuchEndlos()
    {
        Aufbau a;
        a.feld.mitEndlos = true;
        a.zeile(25, "10,s,3");
        a.tabelle.setzeAktuelleZeile(25);
        a.zeit.bei(2000, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), (QStringList{"0 40 18", "500 03 18", "2000 00 18", "2000 00 18"}));
    }

    // An endless pass that drives no line ends the run as a run without endless
    // mode does, instead of spinning with the window frozen.
    void endlosOhneGefahreneZeileEndet()
    {
        Aufbau a;
        a.feld.mitEndlos = true;
        a.feld.mitSignal = true;
        a.zeile(2, "5,s,5");
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), (QStringList{"0 00 18", "500 40 18"}));
        QCOMPARE(a.klaenge(), QStringList{"500 Signal.wav"});
    }

    // Without "akustisches Signal bei Programmende" no station plays a sound.
    void ohneSignalKeinKlang_data()
    {
        QTest::addColumn<int>("option");
        QTest::newRow("6021") << 0;
        QTest::newRow("lenz") << 1;
    }
    void ohneSignalKeinKlang()
    {
        QFETCH(int, option);
        Aufbau a;
        a.feld.option = option;
        a.feld.mitSignal = false;
        a.zeile(1, "1,s,5");
        a.ablauf.btnStart_Click();
        a.ablauf.btnSendZeile_Click();
        QVERIFY(!a.port.vorgaenge.isEmpty());
        QVERIFY(a.klang.gespielt.isEmpty());
    }

    // The window closes during a single line (runs: tst_ecos, tst_simfahrt): the selected
    // station's stop goes out at once, and nothing after it.
    void schliessenWaehrendDerZeile_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<qint64>("schliessenBei");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("6021") << 0 << qint64(2000) << QStringList{"0 40 03", "500 05 03", "2000 00 03"};
        QTest::newRow("lenz in der pause")
            << 1 << qint64(50) << QStringList{"0 E4 10 00 03 06 F1", "2000 E4 10 00 03 00 F7"};
    }
    void schliessenWaehrendDerZeile()
    {
        QFETCH(int, option);
        QFETCH(qint64, schliessenBei);
        QFETCH(QStringList, erwartet);
        Aufbau a;
        a.feld.option = option;
        a.feld.adresse = QStringLiteral("3");
        a.feld.mitSignal = true;
        a.zeilen({"60,s,5", "60,s,5"});
        a.zeit.bei(schliessenBei, [&] { a.zeit.jetzt = 2000; a.ablauf.beenden(); });
        a.ablauf.btnSendZeile_Click();
        QCOMPARE(protokoll(a.port), erwartet);
        QVERIFY(a.klang.gespielt.isEmpty());
        QVERIFY(!a.ablauf.laeuft());
    }

    void endlosBeginntBeiZeile1MitNeuerStartzeit()
    {
        Aufbau a;
        a.feld.mitEndlos = true;
        a.zeilen({"1,s,1", "1,s,2", "1,s,3"});
        a.tabelle.setzeAktuelleZeile(3);
        QStringList startzeiten;
        // Stop in the second pass, during line 2.
        a.zeit.bei(1600, [&] { startzeiten << a.feld.start; });
        a.zeit.bei(3700, [&] { startzeiten << a.feld.start; a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port),
                 (QStringList{"0 40 18", "500 03 18",                       // line 3
                              "1500 40 18", "2000 01 18",                   // line 1
                              "3000 40 18", "3500 02 18", "3700 00 18", "3700 00 18"}));
        QCOMPARE(startzeiten, (QStringList{"12:00:01", "12:00:01"}));
        QCOMPARE(a.feld.start, QStringLiteral("12:00:01"));
    }

    void fruehererStoppWirdBeimStartGesenkt()
    {
        Aufbau a;
        a.zeile(1, "1,s,4");
        a.ablauf.stoppKlick(); // nothing runs: only the flag
        QVERIFY(a.port.vorgaenge.isEmpty());
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), (QStringList{"0 40 18", "500 04 18", "1500 00 18", "2000 40 18"}));
    }

    void zweiterStartWirdAbgewiesen()
    {
        Aufbau a;
        a.zeile(1, "2,s,4");
        a.zeit.bei(700, [&] { a.ablauf.btnStart_Click(); a.ablauf.btnSendZeile_Click(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(a.feld.pieptoene, 2);
        QCOMPARE(protokoll(a.port), (QStringList{"0 40 18", "500 04 18", "2500 00 18", "3000 40 18"}));
    }

    void warten_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<bool>("lenzRahmen");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("6021") << 0 << "24" << false << QStringList{"3000 00 18"};
        QTest::newRow("intellibox") << 0 << "300" << false << QStringList{"3000 'XL300,0,0,1,0,0,0,0<CR>'"};
        QTest::newRow("lenz ohne rahmen") << 1 << "24" << false << QStringList{};
        QTest::newRow("lenz mit rahmen") << 1 << "24" << true << QStringList{"3000 E4 20 00 03 10 D7"};
        QTest::newRow("ecos") << 2 << "1000" << false << QStringList{};
    }
    void warten()
    {
        QFETCH(int, option);
        QFETCH(QString, adresse);
        QFETCH(bool, lenzRahmen);
        QFETCH(QStringList, erwartet);

        Aufbau a;
        a.feld.option = option;
        a.ablauf.zustand().adresseText = adresse;
        a.ablauf.zustand().adresseNummer = qint16(adresse.toInt());
        if (lenzRahmen)
            for (int s = 1; const quint8 b : {0xE4, 0x20, 0x00, 0x03, 0x10})
                a.lenz.LenzBefehl().setze(s++, b);

        a.ablauf.subWarten(1000); // runs out: nothing sent
        QCOMPARE(a.zeit.jetzt, qint64(1000));
        QVERIFY(a.port.vorgaenge.isEmpty());

        a.zeit.bei(3000, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.subWarten(60000);
        QCOMPARE(a.zeit.jetzt, qint64(3000));
        QCOMPARE(protokoll(a.port), erwartet);

        // The flag stays raised: the next wait ends after one round of events and
        // sends the stop again.
        a.port.vorgaenge.clear();
        const int runden = a.zeit.ereignisrunden;
        a.ablauf.subWarten(5000);
        QCOMPARE(a.zeit.jetzt, qint64(3000));
        QCOMPARE(a.zeit.ereignisrunden, runden + 1);
        if (option == 0)
            QCOMPARE(protokoll(a.port), erwartet);

        // A negative duration returns at once without processing events or sending.
        a.port.vorgaenge.clear();
        a.ablauf.subWarten(-1);
        QCOMPARE(a.zeit.ereignisrunden, runden + 1);
        QVERIFY(a.port.vorgaenge.isEmpty());
    }

    void einzelzeile_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<QStringList>("klaenge");
        QTest::newRow("zwei bytes mit ring zweimal")
            << "24" << "5,s,7,X"
            << QStringList{"0 40 18", "500 17 18", "5500 00 18", "6000 40 18"}
            << QStringList{"6000 ring.wav", "7000 ring.wav", "8000 ring.wav",
                           "8000 ring.wav", "9000 ring.wav", "10000 ring.wav"};
        QTest::newRow("XL mit stoppzeile")
            << "300" << "2,s,9"
            << QStringList{"500 'XL 300,9,0,1,0,0,0,0<CR>'", "2500 'XL300,0,0,1,0,0,0,0<CR>'"}
            << QStringList{"2500 ring.wav", "3500 ring.wav", "4500 ring.wav",
                           "4500 ring.wav", "5500 ring.wav", "6500 ring.wav"};
        QTest::newRow("leere dauer wird trotzdem gesendet")
            << "24" << ",s,7"
            << QStringList{"0 40 18", "500 07 18", "500 00 18", "1000 40 18"}
            << QStringList{"1000 ring.wav", "2000 ring.wav", "3000 ring.wav",
                           "3000 ring.wav", "4000 ring.wav", "5000 ring.wav"};
    }
    void einzelzeile()
    {
        QFETCH(QString, adresse);
        QFETCH(QString, zeile);
        QFETCH(QStringList, erwartet);
        QFETCH(QStringList, klaenge);

        Aufbau a;
        a.feld.adresse = adresse;
        a.feld.mitSignal = true;
        a.zeile(9, zeile);
        a.tabelle.setzeAktuelleZeile(9);
        a.ablauf.stoppKlick(); // a stop from before does not cut the line short
        a.ablauf.btnSendZeile_Click();
        QCOMPARE(protokoll(a.port), erwartet);
        QCOMPARE(a.klaenge(), klaenge);
        QCOMPARE(a.tabelle.aktuelleZeile(), 9);
        QVERIFY(a.feld.start.isEmpty()); // the single line writes no start time
    }

    void power_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("6021 an") << 0 << false << 1 << "60";
        QTest::newRow("6021 aus") << 0 << false << 0 << "61";
        QTest::newRow("lenz an") << 1 << false << 1 << "21 81 A0";
        QTest::newRow("lenz aus") << 1 << false << 0 << "21 80 A1";
        QTest::newRow("lenz usb an") << 1 << true << 1 << "FF FE 21 81 A0";
    }
    void power()
    {
        QFETCH(int, option);
        QFETCH(bool, usb);
        QFETCH(int, index);
        QFETCH(QString, erwartet);
        Aufbau a;
        a.feld.option = option;
        a.feld.usb = usb;
        a.ablauf.btnPower_Click(index);
        QCOMPARE(QString::fromLatin1(a.port.alles().toHex(' ').toUpper()), erwartet);
    }
};

QTEST_GUILESS_MAIN(TestAblauf)
#include "tst_ablauf.moc"

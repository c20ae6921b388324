// The run logic with every station's driver in virtual time: the wait and its stop,
// the running time, what every driver must do alike (one row per station), a change
// of station between the passes of an endless run, and the endless restart.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"

#include <QtTest>

#include <algorithm>

using namespace trabolin;
using namespace trabolin::test;

namespace {
// What went out: the bytes on the serial port, the texts on the ECoS link, the Z21 datagrams.
QStringList verkehr(const Aufbau &a)
{
    return protokoll(a.port) + a.link.gesendet + a.z21link.gesendet;
}

QStringList gestartet(Aufbau &a, int option, const QString &adresse, const QStringList &tabelle,
                      int startzeile = 1)
{
    a.feld.option = option;
    a.feld.adresse = adresse;
    a.feld.mitSignal = true;
    a.zeilen(tabelle);
    a.tabelle.setzeAktuelleZeile(startzeile);
    a.ablauf.btnStart_Click();
    return verkehr(a);
}
} // namespace

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
        QTEST(Ablauf::ermittleZeittext(sekunden), "text");
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

    void warten_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<bool>("lenzRahmen");
        QTest::addColumn<QStringList>("erwartet");
        // Outside a pass there is no locomotive to stop: the 6021 sends nothing.
        QTest::newRow("6021 ohne pass") << 0 << "24" << false << QStringList{};
        QTest::newRow("lenz mit rahmen") << 1 << "24" << true << QStringList{"3000 E4 20 00 03 10 D7"};
    }
    void warten()
    {
        QFETCH(int, option); QFETCH(QString, adresse); QFETCH(bool, lenzRahmen); QFETCH(QStringList, erwartet);

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

    // An endless run of one line whose commands take time to write: after 1000 passes
    // the first command at or after their end goes out at that very moment.
    void tausendPaesse_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<qint64>("pass");
        QTest::newRow("6021") << 0 << qint64(500 + 1000);
        QTest::newRow("lenz") << 1 << qint64(100 + 1000);
        QTest::newRow("ecos") << 2 << qint64(100 + 100 + 1000);
        QTest::newRow("dcc-ex") << 4 << qint64(100 + 1000);
        QTest::newRow("z21") << zentralenoption(QStringLiteral("Z21")) << qint64(100 + 1000);
    }
    void tausendPaesse()
    {
        QFETCH(int, option); QFETCH(qint64, pass);
        Aufbau a;
        a.feld.mitEndlos = true;
        a.port.schreibMs = a.link.schreibMs = a.z21link.schreibMs = 2;
        a.zeit.bei(1000 * pass + 50, [&] { a.ablauf.stoppKlick(); });
        QList<qint64> zeiten;
        for (const QString &z : gestartet(a, option, "24", {"1,s,5"}))
            zeiten << z.section(u' ', 0, 0).toLongLong();
        const auto erster = std::lower_bound(zeiten.cbegin(), zeiten.cend(), 1000 * pass);
        QVERIFY2(erster != zeiten.cend(), "nothing went out at or after the end of the 1000 passes");
        QCOMPARE(*erster, 1000 * pass);
    }

    // The process is held (a busy machine, a debugger, a suspended laptop) for
    // `halt` ms from `ab` on, across the end of a 2-minute line. Lateness of up to
    // 50 ms is made up by the next line; more starts the schedule afresh, so each
    // following 5 s line still gets its full time: the times of the speed commands.
    void angehalten_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<qint64>("ab");
        QTest::addColumn<qint64>("halt");
        QTest::addColumn<QList<qint64>>("fahrten");
        // Lenz and Z21: speed, 100 ms, functions, the line's time; the first line ends
        // at 120100 ms.
        QTest::newRow("lenz, 30 s gehalten") << 1 << qint64(100000) << qint64(30000)
                                             << QList<qint64>{0, 130000, 135100, 140200};
        QTest::newRow("lenz, 20 ms aufgeholt") << 1 << qint64(120080) << qint64(40)
                                               << QList<qint64>{0, 120120, 125200, 130300};
        QTest::newRow("lenz, 60 ms nicht") << 1 << qint64(120080) << qint64(80)
                                           << QList<qint64>{0, 120160, 125260, 130360};
        QTest::newRow("z21, 30 s gehalten") << zentralenoption(QStringLiteral("Z21")) << qint64(100000)
                                            << qint64(30000) << QList<qint64>{0, 130000, 135100, 140200};
        // 6021: functions, 500 ms, speed, the line's time.
        QTest::newRow("6021, 30 s gehalten") << 0 << qint64(100000) << qint64(30000)
                                             << QList<qint64>{500, 130500, 136000, 141500};
    }
    void angehalten()
    {
        QFETCH(int, option); QFETCH(qint64, ab); QFETCH(qint64, halt);
        Aufbau a;
        a.zeit.bei(ab, [&] { a.zeit.jetzt += halt; });
        // The speed commands of the four lines, speeds 5 to 8 forwards.
        const QRegularExpression fahrt(option == 0 ? QStringLiteral("^\\d+ 0[5-8] 18$")
                                                   : QStringLiteral("E4 10 00 18 8[6-9]"));
        QList<qint64> fahrten;
        for (const QString &z : gestartet(a, option, "24", {"2,M,5", "5,S,6", "5,S,7", "5,S,8"}))
            if (z.contains(fahrt))
                fahrten << z.section(u' ', 0, 0).toLongLong();
        QTEST(fahrten, "fahrten");
    }

    // "St&op" pressed in the event round between two endless passes: the next pass
    // must not lower the flag and drive on, but stop the locomotive at its first line.
    // "Power of&f" there ends the run, with the locomotive's stop first; so does a
    // handler that ends the run at once (a program file loaded, the table emptied).
    void stoppZwischenPaessen_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("aktion"); // "stopp", "power", "anhalten"
        QTest::addColumn<QStringList>("schluss");
        QTest::newRow("6021") << 0 << "stopp" << QStringList{"1500 00 03"};
        QTest::newRow("lenz") << 1 << "stopp" << QStringList{"1100 E4 10 00 03 80 77", "1100 E4 10 00 03 00 F7"};
        QTest::newRow("ecos") << 2 << "stopp" << QStringList{"1200 set(3,speed[0])", "1200 set(3,speed[0])"};
        QTest::newRow("dccex") << 4 << "stopp" << QStringList{"1100 <t 3 0 1><LF>", "1100 <t 3 0 1><LF>"};
        QTest::newRow("6021 power off") << 0 << "power" << QStringList{"1500 00 03", "1500 61"};
        QTest::newRow("lenz power off") << 1 << "power" << QStringList{"1100 E4 10 00 03 00 F7", "1100 21 80 A1"};
        QTest::newRow("ecos power off") << 2 << "power" << QStringList{"1200 set(3,speed[0])", "1200 set(1,stop)"};
        QTest::newRow("dccex power off") << 4 << "power" << QStringList{"1100 <t 3 0 1><LF>", "1100 <0><LF>"};
        QTest::newRow("6021 angehalten") << 0 << "anhalten" << QStringList{"1500 00 03", "1500 00 03"};
        QTest::newRow("lenz angehalten") << 1 << "anhalten" << QStringList{"1100 E4 10 00 03 80 77", "1100 E4 10 00 03 00 F7", "1100 E4 10 00 03 00 F7"};
    }
    void stoppZwischenPaessen()
    {
        QFETCH(int, option); QFETCH(QString, aktion); QFETCH(QStringList, schluss);
        Aufbau a;
        a.feld.mitEndlos = true;
        int gesetzt = 0;
        QObject::connect(&a.tabelle, &Tabellenspeicher::zeileGesetzt, [&] {
            if (++gesetzt == 3) // set by the test, by the pass, then between the passes
                a.zeit.bei(a.zeit.jetzt, [&] {
                    if (aktion == u"power")
                        a.ablauf.btnPower_Click(0);
                    else if (aktion == u"anhalten")
                        a.ablauf.halteAn();
                    else
                        a.ablauf.stoppKlick();
                });
        });
        const QStringList alles = gestartet(a, option, "3", {"1,S,5"});
        QCOMPARE(alles.mid(alles.size() - schluss.size()), schluss);
        QVERIFY(!a.ablauf.laeuft());
    }

    // What every station does alike, for locomotive 3 (ECoS: ID 3). A run of two long
    // lines stopped at 3000 ms sends the station's stop then, and nothing after it; a
    // second start and a single line meanwhile are refused with a beep. Closing the
    // window during the run sends the stop at once and nothing after it. Power off and
    // on; without the signal box no sound. A single line without a link rings no bell
    // where the station can tell, and the user is told once.
    void vertrag_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("gestoppt");
        QTest::addColumn<QStringList>("geschlossen");
        QTest::addColumn<QStringList>("power");
        QTest::addColumn<bool>("ringtOhneVerbindung");
        QTest::newRow("6021") << 0 << QStringList{"0 40 03", "500 05 03", "3000 00 03", "3000 00 03"}
                              << QStringList{"0 40 03", "500 05 03", "3000 00 03"} << QStringList{"0 61", "0 60"}
                              << true;
        const QStringList lenz{"0 E4 10 00 03 06 F1", "100 E4 20 00 03 00 C7", "3000 E4 10 00 03 00 F7"};
        QTest::newRow("lenz") << 1 << lenz << lenz << QStringList{"0 21 80 A1", "0 21 81 A0"} << true;
        const QStringList ecos{"0 set(3,dir[1])", "100 set(3,func[0,0],func[1,0],func[2,0],func[3,0],func[4,0])",
                               "200 set(3,speed[5])", "3000 set(3,speed[0])"};
        QTest::newRow("ecos") << 2 << ecos << ecos << QStringList{"0 set(1,stop)", "0 set(1,go)"} << false;
        const QStringList dccex{"0 <t 3 5 0><LF>", "100 <F 3 0 0><LF>", "100 <F 3 1 0><LF>", "100 <F 3 2 0><LF>",
                                "100 <F 3 3 0><LF>", "100 <F 3 4 0><LF>", "3000 <t 3 0 0><LF>"};
        QTest::newRow("dccex") << 4 << dccex << dccex << QStringList{"0 <0><LF>", "0 <1><LF>"} << false;
        const QString x = QStringLiteral(" 0A 00 40 00 E4 ");
        const QStringList z21{"0" + x + "10 00 03 06 F1", "100" + x + "F8 00 03 00 1F", "100" + x + "F8 00 03 01 1E",
                              "100" + x + "F8 00 03 02 1D", "100" + x + "F8 00 03 03 1C",
                              "100" + x + "F8 00 03 04 1B", "3000" + x + "10 00 03 00 F7"};
        QTest::newRow("z21") << zentralenoption("Z21") << z21 << z21
                             << QStringList{"0 07 00 40 00 21 80 A1", "0 07 00 40 00 21 81 A0"} << false;
    }
    void vertrag()
    {
        QFETCH(int, option);
        const QStringList tabelle{"60,s,5", "60,s,5"};
        Aufbau a;
        a.zeit.bei(1000, [&] { a.ablauf.btnStart_Click(); a.ablauf.btnSendZeile_Click(); });
        a.zeit.bei(3000, [&] { a.ablauf.stoppKlick(); });
        QTEST(gestartet(a, option, "3", tabelle), "gestoppt");
        QCOMPARE(a.zeit.jetzt, qint64(3000));
        QCOMPARE(a.feld.pieptoene, 2);

        Aufbau b;
        b.zeit.bei(3000, [&] { b.ablauf.beenden(); });
        QTEST(gestartet(b, option, "3", tabelle), "geschlossen");
        QVERIFY(b.klang.gespielt.isEmpty() && !b.ablauf.laeuft());

        Aufbau c;
        c.feld.option = option;
        c.ablauf.btnPower_Click(0);
        c.ablauf.btnPower_Click(1);
        QTEST(verkehr(c), "power");
        c.zeile(1, "1,s,5"); // without "akustisches Signal bei Programmende" no sound at all
        c.ablauf.btnStart_Click();
        c.ablauf.btnSendZeile_Click();
        QVERIFY(c.klang.gespielt.isEmpty());

        Aufbau d;
        d.feld.option = option;
        d.feld.mitSignal = true;
        d.link.offen = d.z21link.offen = false;
        d.zeile(1, "1,s,5");
        d.ablauf.btnSendZeile_Click();
        QTEST(!d.klang.gespielt.isEmpty(), "ringtOhneVerbindung");
        QCOMPARE(d.nichtVerbunden, d.klang.gespielt.isEmpty() ? 1 : 0); // told once
    }

    // The station changes while an endless run drives line 1 (2 s): the pass ends on
    // the old station, the old station gets its stop, the next pass drives on the new
    // one; a stop (at 4500 ms) ends the run. Each station is left and reached at least
    // once. Without a change ("leer"), an endless run started on an empty line below a
    // filled one starts again at line 1.
    void zentralenwechsel_data()
    {
        QTest::addColumn<int>("von");
        QTest::addColumn<int>("nach");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<qint64>("stoppBei");
        QTest::addColumn<bool>("leer"); // the table "1,s,5", "", "1,s,6", started at line 2
        const QString ohneFu = QStringLiteral("func[0,0],func[1,0],func[2,0],func[3,0],func[4,0])");
        // A stop before the pass ends stops on the station of the pass: no 6021 bytes reach the Lenz.
        QTest::newRow("lenz -> 6021, stopp im alten pass") << 1 << 0 << "24" << QStringList{"0 E4 10 00 18 06 EA",
            "100 E4 20 00 18 00 DC", "1500 E4 10 00 18 00 EC"} << qint64(1500) << false;
        QTest::newRow("6021 -> lenz, XL") << 0 << 1 << "300" << QStringList{
            "500 'XL 300,5,0,1,0,0,0,0<CR>'", "2500 'XL300,0,0,1,0,0,0,0<CR>'", "2500 E4 10 C1 2C 06 1F",
            "2600 E4 20 C1 2C 00 29", "4500 E4 10 C1 2C 00 19"} << qint64(4500) << false;
        QTest::newRow("lenz -> 6021") << 1 << 0 << "24" << QStringList{"0 E4 10 00 18 06 EA",
            "100 E4 20 00 18 00 DC", "2100 E4 10 00 18 00 EC", "2100 E4 10 00 18 00 EC", "2100 40 18", "2600 05 18",
            "4500 00 18", "4500 00 18"} << qint64(4500) << false;
        QTest::newRow("lenz -> ecos") << 1 << 2 << "24" << QStringList{"0 E4 10 00 18 06 EA",
            "100 E4 20 00 18 00 DC", "2100 E4 10 00 18 00 EC", "2100 E4 10 00 18 00 EC", "2100 set(24,dir[1])",
            "2200 set(24," + ohneFu, "2300 set(24,speed[5])", "4300 set(24,speed[0])", "4300 set(24,dir[1])",
            "4400 set(24," + ohneFu, "4500 set(24,speed[0])"} << qint64(4500) << false; // no speed after the stop
        QTest::newRow("ecos -> 6021, XL") << 2 << 0 << "300" << QStringList{"2700 'XL 300,5,0,1,0,0,0,0<CR>'",
            "4500 'XL300,0,0,1,0,0,0,0<CR>'", "4500 'XL300,0,0,1,0,0,0,0<CR>'", "0 set(300,dir[1])",
            "100 set(300," + ohneFu, "200 set(300,speed[5])", "2200 set(300,speed[0])", "2200 set(300,speed[0])"} << qint64(4500) << false;
        // The Z21 and DCC-EX stops keep the direction of the last line ("s": backwards).
        auto dccex = [](int t, int v) {
            QStringList z{QStringLiteral("%1 <t 24 %2 0><LF>").arg(t).arg(v)};
            for (int n = 0; v && n <= 4; ++n)
                z << QStringLiteral("%1 <F 24 %2 0><LF>").arg(t + 100).arg(n);
            return z;
        };
        auto z21 = [](int t, bool fahrt) {
            QStringList z{QString::number(t) + (fahrt ? " 0A 00 40 00 E4 10 00 18 06 EA" : " 0A 00 40 00 E4 10 00 18 00 EC")};
            for (int n = 0; fahrt && n <= 4; ++n)
                z << QString::number(t + 100) + " 0A 00 40 00 E4 F8 00 18 " + QStringList{"00 04", "01 05", "02 06", "03 07", "04 00"}[n];
            return z;
        };
        QTest::newRow("z21 -> dccex") << 3 << 4 << "24" << dccex(2100, 5) + dccex(4200, 0) + dccex(4200, 5)
            + dccex(4500, 0) + z21(0, true) + z21(2100, false) + z21(2100, false) << qint64(4500) << false;
        QTest::newRow("dccex -> z21") << 4 << 3 << "24" << dccex(0, 5) + dccex(2100, 0) + dccex(2100, 0) + z21(2100, true)
            + z21(4200, false) + z21(4200, true) + z21(4500, false) << qint64(4500) << false;
        QTest::newRow("lenz ab leerer zeile") << 1 << 1 << "3" << QStringList{"0 E4 10 00 03 00 F7", "0 E4 10 00 03 06 F1",
            "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 00 F7", "1100 E4 10 00 03 06 F1", "1200 E4 20 00 03 00 C7",
            "1500 E4 10 00 03 00 F7"} << qint64(1500) << true;
    }
    // A pass drives the locomotive it began with in the step mode it began with: an
    // address typed or a step mode chosen during the pass changes nothing on the wire,
    // its stop included.
    void eingabeImPass_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("eingabe"); // "adresse" or "fahrstufen"
        for (const int option : {0, 1, 2, 3, 4})
            QTest::addRow("adresse, option %d", option) << option << "adresse";
        QTest::newRow("adresse, XL") << 0 << "adresse XL";
        QTest::newRow("fahrstufen, lenz") << 1 << "fahrstufen";
        QTest::newRow("fahrstufen, z21") << zentralenoption(QStringLiteral("Z21")) << "fahrstufen";
    }
    void eingabeImPass()
    {
        QFETCH(int, option); QFETCH(QString, eingabe);
        const QString adresse = eingabe.endsWith(u"XL") ? QStringLiteral("300") : QStringLiteral("24");
        const auto lauf = [&](bool mitEingabe) {
            Aufbau a;
            if (mitEingabe) {
                a.zeit.bei(1500, [&] {
                    if (eingabe.startsWith(u"adresse"))
                        a.feld.adresse = QStringLiteral("7");
                    else
                        a.ablauf.treiber()->setzeFahrstufen(2);
                });
            }
            return gestartet(a, option, adresse, {"3,s,5,X", "2,S,9,,X"});
        };
        const QStringList ohne = lauf(false);
        QVERIFY(!ohne.isEmpty());
        QCOMPARE(lauf(true), ohne);
    }

    // An endless run on the 6021 whose address is changed: the next pass drives the
    // new address, and the locomotive at the old one gets its stop first (the 6021's
    // pass ends without one).
    void endlosNeueAdresse()
    {
        Aufbau a;
        a.feld.mitEndlos = true;
        a.zeit.bei(1000, [&] { a.feld.adresse = QStringLiteral("7"); });
        a.zeit.bei(3800, [&] { a.ablauf.stoppKlick(); });
        const QStringList v = gestartet(a, 0, QStringLiteral("24"), {"1,s,5", "1,s,6"});
        const qsizetype neu = v.indexOf(QRegularExpression(QStringLiteral("^\\d+ .. 07$")));
        QVERIFY2(neu > 0, qPrintable(v.join(u'\n')));
        QCOMPARE(v.mid(neu - 1, 1), QStringList{QStringLiteral("3000 00 18")});
        QCOMPARE(v.filter(QRegularExpression(QStringLiteral(" 18$"))).last(), QStringLiteral("3000 00 18"));
        QCOMPARE(v.last(), QStringLiteral("3800 00 07"));
    }

    // An endless run switched to a station whose track is off: the next pass sends it
    // nothing and the run ends, as the report would have ended a run on it.
    void wechselAufGesperrteZentrale()
    {
        Aufbau a;
        a.feld.mitEndlos = true;
        a.ablauf.gleismelder(1).meldeGleiszustand(Gleiszustand::aus);
        QList<Gleiszustand> ursachen;
        QObject::connect(&a.ablauf, &Ablauf::angehalten, [&](Gleiszustand z) { ursachen << z; });
        a.zeit.bei(500, [&] { a.feld.option = 1; });
        a.zeit.bei(20000, [&] { a.ablauf.stoppKlick(); });
        const QStringList v = gestartet(a, 0, QStringLiteral("24"), {"2,s,5"});
        QVERIFY2(v.filter(QStringLiteral(" E4 ")).isEmpty(), qPrintable(v.join(u'\n')));
        QCOMPARE(v.last(), QStringLiteral("2500 00 18"));
        QCOMPARE(ursachen, QList<Gleiszustand>{Gleiszustand::aus});
        QVERIFY(!a.ablauf.laeuft());
    }

    // A contact line drives and waits for its contact's first change to occupied from
    // the moment its commands went out; the next line follows at once. A contact that
    // never comes stops the locomotive after the time limit and ends the run without
    // the end sound. Lenz: speed, 100 ms, functions; 6021: functions, 500 ms, speed.
    void kontaktzeile_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("einheit");
        QTest::addColumn<QList<std::tuple<qint64, int, bool, bool>>>("meldungen"); // time, contact, occupied, event
        QTest::addColumn<qint64>("weiter"); // time of the next line's first command, -1 for none
        using M = QList<std::tuple<qint64, int, bool, bool>>;
        QTest::newRow("lenz erreicht") << 1 << "K" << M{{7000, 2, true, true}} << qint64(7000);
        QTest::newRow("lenz rückwärts") << 1 << "k" << M{{7000, 2, true, true}} << qint64(7000);
        QTest::newRow("lenz anderer kontakt, frei") << 1 << "K"
            << M{{3000, 3, true, true}, {4000, 2, false, true}, {7000, 2, true, true}} << qint64(7000);
        // Occupied at the start: it counts once it has been free.
        QTest::newRow("lenz belegt am anfang") << 1 << "K"
            << M{{-1, 2, true, false}, {4000, 2, true, true}, {5000, 2, false, true}, {7000, 2, true, true}}
            << qint64(7000);
        // A first answer to a question (a poll) only tells where the train stands.
        QTest::newRow("6021 erster stand") << 0 << "K"
            << M{{3000, 2, true, false}, {5000, 2, false, false}, {9000, 2, true, false}} << qint64(9000);
        QTest::newRow("6021 ereignis") << 0 << "K" << M{{3000, 2, true, true}} << qint64(3000);
        QTest::newRow("lenz zeitgrenze") << 1 << "K" << M{{4000, 1, true, true}} << qint64(-1);
        QTest::newRow("6021 zeitgrenze") << 0 << "k" << M{} << qint64(-1);
    }
    void kontaktzeile()
    {
        QFETCH(int, option); QFETCH(QString, einheit);
        using M = QList<std::tuple<qint64, int, bool, bool>>;
        QFETCH(M, meldungen); QFETCH(qint64, weiter);
        Aufbau a;
        a.feld.option = option;
        for (const auto &[t, k, belegt, ereignis] : meldungen) {
            auto melde = [&a, option, k = k, belegt = belegt, ereignis = ereignis] {
                Gleismelder &m = a.ablauf.gleismelder(option);
                ereignis ? m.meldeKontakt(k, belegt) : m.meldeKontaktstand(k, belegt);
            };
            t < 0 ? melde() : a.zeit.bei(t, melde);
        }
        QList<int> verfehlt;
        QObject::connect(&a.ablauf, &Ablauf::kontaktVerfehlt, [&](int k) { verfehlt << k; });
        const QStringList v = gestartet(a, option, "24", {"2," + einheit + ",5", "3,s,6"});
        const qint64 erste = option == 0 ? 500 : 0; // the speed of line 1
        const qint64 ende = option == 0 ? 500 : 100; // its commands are out
        const QString fahrt = option == 0 ? QStringLiteral("05 18") // the 6021 keeps its direction
                                          : QString::fromLatin1(einheit == u"K" ? "E4 10 00 18 86" : "E4 10 00 18 06");
        QVERIFY2(v.filter(fahrt).value(0).startsWith(QString::number(erste) + u' '), qPrintable(v.join(u'\n')));
        const QStringList spaeter = v.filter(QRegularExpression(QStringLiteral("^(\\d+) ")))
                                        .filter(QRegularExpression(QStringLiteral("^(?!(0|100|500) )")));
        if (weiter >= 0) {
            QVERIFY2(!spaeter.isEmpty() && spaeter.first().startsWith(QString::number(weiter) + u' '),
                     qPrintable(v.join(u'\n')));
            QVERIFY(verfehlt.isEmpty());
            QVERIFY(!a.klaenge().filter(QStringLiteral("Signal.wav")).isEmpty());
            return;
        }
        // The time limit: the stop at once, nothing of line 2, the run ended.
        const qint64 grenze = ende + 120000;
        QCOMPARE(verfehlt, QList<int>{2});
        QVERIFY2(!spaeter.isEmpty() && spaeter.first().startsWith(QString::number(grenze) + u' '), qPrintable(v.join(u'\n')));
        QVERIFY2(spaeter.filter(option == 0 ? QStringLiteral("06 18") : QStringLiteral("E4 10 00 18 87")).isEmpty(),
                 qPrintable(v.join(u'\n')));
        QCOMPARE(spaeter.first().section(u' ', 1), option == 0 ? QStringLiteral("00 18")
                                                                : QStringLiteral("E4 10 00 18 80 6C"));
        QVERIFY(!a.ablauf.laeuft());
        QVERIFY(a.ablauf.bewegte().empty());
        QVERIFY(a.klaenge().isEmpty());
    }

    // St&op and the track switched off by the layout end a contact line's wait at
    // once: the stop is on the wire then, nothing of the next line follows.
    void kontaktwarteEndet_data()
    {
        QTest::addColumn<std::optional<Gleiszustand>>("meldung"); // none: St&op
        QTest::newRow("st&op") << std::optional<Gleiszustand>();
        QTest::newRow("gleis aus") << std::optional(Gleiszustand::aus);
        QTest::newRow("verbindung verloren") << std::optional(Gleiszustand::verbindungVerloren);
    }
    void kontaktwarteEndet()
    {
        QFETCH(std::optional<Gleiszustand>, meldung);
        Aufbau a;
        a.ablauf.gleismelder(1).meldeGleiszustand(Gleiszustand::an);
        a.zeit.bei(3000, [&] {
            meldung ? a.ablauf.gleismelder(1).meldeGleiszustand(*meldung) : a.ablauf.stoppKlick();
        });
        const QStringList v = gestartet(a, 1, "24", {"2,K,5", "3,s,6"});
        QVERIFY2(v.filter(QRegularExpression(QStringLiteral("^3000 E4 10 00 18 [08]0 "))).size() >= 1,
                 qPrintable(v.join(u'\n')));
        QVERIFY2(v.filter(QStringLiteral("E4 10 00 18 07")).isEmpty(), qPrintable(v.join(u'\n')));
        QVERIFY(!a.ablauf.laeuft());
        QVERIFY(a.ablauf.bewegte().empty());
        QCOMPARE(a.ablauf.wartetAufKontakt(), 0);
    }

    // A single line with a contact: the line, the wait for its contact, the stop.
    void kontaktEinzelzeile()
    {
        Aufbau a;
        a.feld.option = 1;
        a.zeile(1, "2,K,5");
        a.zeit.bei(6000, [&] { a.ablauf.gleismelder(1).meldeKontakt(2, true); });
        a.ablauf.btnSendZeile_Click();
        const QStringList v = protokoll(a.port);
        QCOMPARE(v.first(), QStringLiteral("0 E4 10 00 18 86 6A"));
        QCOMPARE(v.last(), QStringLiteral("6000 E4 10 00 18 80 6C"));
        QVERIFY(a.ablauf.bewegte().empty());
    }

    // A station that reads no contacts refuses a table with a contact line among the
    // lines a run drives.
    void ohneKontakte_data()
    {
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<bool>("abgelehnt");
        QTest::newRow("kontaktzeile") << QStringList{"2,s,5", "3,K,5"} << true;
        QTest::newRow("dauer 0 fährt nicht") << QStringList{"2,s,5", "0,k,5"} << false;
        QTest::newRow("ohne") << QStringList{"2,s,5", "3,M,5"} << false;
    }
    void ohneKontakte()
    {
        QFETCH(QStringList, tabelle); QFETCH(bool, abgelehnt);
        struct Ohne : Zentralentreiber {
            int paesse = 0;
            QCoro::Task<Passergebnis> fahrePass(int, Lok) override { ++paesse; co_return Passergebnis{}; }
            QCoro::Task<bool> sendeZeile(Lok) override { co_return true; }
            void stoppNachWarten() override {}
            void power(int) override {}
            void stoppeLok(const Lok &) override {}
        } ohne;
        Aufbau a;
        a.ablauf.setzeTreiber(9, &ohne);
        int meldungen = 0;
        QObject::connect(&a.ablauf, &Ablauf::ohneKontakte, [&] { ++meldungen; });
        gestartet(a, 9, "24", tabelle);
        QCOMPARE(meldungen, abgelehnt ? 1 : 0);
        QCOMPARE(ohne.paesse, abgelehnt ? 0 : 1);
    }

    void zentralenwechsel()
    {
        QFETCH(int, von); QFETCH(int, nach); QFETCH(QString, adresse);
        Aufbau a;
        a.feld.mitEndlos = true;
        a.zeit.bei(1000, [&] { a.feld.option = nach; });
        QFETCH(qint64, stoppBei); QFETCH(bool, leer);
        a.zeit.bei(stoppBei, [&] { a.ablauf.stoppKlick(); });
        QTEST(leer ? gestartet(a, von, adresse, {"1,s,5", "", "1,s,6"}, 2) : gestartet(a, von, adresse, {"2,s,5"}),
              "erwartet");
    }
};

QTEST_GUILESS_MAIN(TestAblauf)
#include "tst_ablauf.moc"

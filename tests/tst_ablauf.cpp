// The run logic on the 6021/6051 and IntelliBox path in virtual time: every byte,
// every text and every pause of the row commands, the run, the single line, the
// stop, and the power buttons.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"

#include <QtTest>

#include <algorithm>

using namespace trabolin;
using namespace trabolin::test;

namespace {
// One case on the 6021/IntelliBox path: the table from line 1 (for the row command and
// the single line, the one line driven), where the run starts, a stop, and what comes out.
struct Fall {
    QString adresse = QStringLiteral("24");
    QStringList tabelle;
    int startzeile = 1;
    bool endlos = false;
    qint64 stoppBei = 0; // 0: no stop
    QStringList erwartet;
    qint64 ende = 0; // when the line or the run ends
    QString start = QStringLiteral("12:00:00"); // the start time shown after a run
    qint64 schreibMs = 0; // how long each write takes
    qint64 haltBei = 0;   // then `halt` runs as an event handler in the middle of the run
    std::function<void(Aufbau &)> halt;
};
} // namespace

Q_DECLARE_METATYPE(Fall)

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
        QTest::addColumn<Fall>("fall");
        QTest::newRow("sekunden mit licht")
            << Fall{.tabelle = {"5,s,7,X"}, .erwartet = {"0 40 18", "500 17 18"}, .ende = 5500};
        QTest::newRow("minuten mit F1 und F3")
            << Fall{.tabelle = {"2,m,0,,X,,X"}, .erwartet = {"0 45 18", "500 00 18"}, .ende = 120500};
        QTest::newRow("richtungswechsel") << Fall{
            .adresse = "5", .tabelle = {"3,F"}, .erwartet = {"0 40 05", "500 00 05", "3500 0F 05"}, .ende = 4500};
        QTest::newRow("richtungswechsel mit licht") << Fall{
            .adresse = "5", .tabelle = {"3,f,,X"}, .erwartet = {"0 40 05", "500 10 05", "3500 1F 05"}, .ende = 4500};
        QTest::newRow("leere einheit") << Fall{.tabelle = {"5,,7,X"}, .erwartet = {"0 40 18"}, .ende = 500};
        QTest::newRow("licht aus einem blank ist aus")
            << Fall{.tabelle = {"5,s,7, "}, .erwartet = {"0 40 18", "500 07 18"}, .ende = 5500};
        QTest::newRow("kleines x: licht an, F1 aus")
            << Fall{.tabelle = {"1,S,3,x,x"}, .erwartet = {"0 40 18", "500 13 18"}, .ende = 1500};
        QTest::newRow("fahrstufe passt in kein byte: nichts")
            << Fall{.tabelle = {"1,s,250,X"}, .erwartet = {"0 40 18"}, .ende = 1500};
        QTest::newRow("dauer mit blank")
            << Fall{.tabelle = {" 5,s,1"}, .erwartet = {"0 40 18", "500 01 18"}, .ende = 5500};
        QTest::newRow("adresse mit blank, fahrstufe mit komma")
            << Fall{.adresse = " 24", .tabelle = {"1,s,2.5"}, .erwartet = {"0 40 18", "500 02 18"}, .ende = 1500};
        QTest::newRow("XL leere einheit") << Fall{.adresse = "300", .tabelle = {"4,,5"}, .ende = 500};
        QTest::newRow("XL adresse mit blank") << Fall{
            .adresse = " 300", .tabelle = {"1,s,5"}, .erwartet = {"500 'XL  300,5,0,1,0,0,0,0<CR>'"}, .ende = 1500};
    }
    void zeilenbefehl()
    {
        QFETCH(Fall, fall);
        Aufbau a;
        a.zeile(7, fall.tabelle[0]);
        a.tabelle.setzeAktuelleZeile(7);
        a.feld.adresse = fall.adresse;
        a.ablauf.zustand().adresseText = fall.adresse;
        a.ablauf.zustand().adresseNummer = qint16(fall.adresse.trimmed().toInt());
        if (a.ablauf.zustand().adresseNummer < 256)
            a.maerklin.Fahrbefehl();
        else
            a.maerklin.Fahrbefehl_X();
        QCOMPARE(protokoll(a.port), fall.erwartet);
        QCOMPARE(a.zeit.jetzt, fall.ende);
        QCOMPARE(a.ablauf.zustand().XLRichtung, 1); // only an "f" row on the "XL" path turns it
    }

    // Whole runs from "starten": the lines run, the end command, and the end sound at
    // `ende`; or a stop at `stoppBei`, which ends the run then, without a sound.
    void lauf_data()
    {
        QTest::addColumn<Fall>("fall");
        QTest::newRow("dauer aus einem blank ist leer")
            << Fall{.tabelle = {" ,s,5"}, .erwartet = {"0 00 18", "500 40 18"}, .ende = 500};
        // Writing takes time, but every command goes out on the table's own clock.
        QTest::newRow("ab zeile 5, endet an der leeren zeile 7") << Fall{
            .tabelle = {"1,s,1", "1,s,2", "1,s,3", "1,s,4", "2,s,5", "1,s,6", "", "1,s,8"}, .startzeile = 5,
            .erwartet = {"0 40 18", "500 05 18", "2500 40 18", "3000 06 18", "4000 00 18", "4500 40 18"},
            .ende = 4503, .schreibMs = 3};
        // A handler's own wait nested in line 1 (the ECoS control request, a modal box) lasts its
        // own time and holds the run past the line's end: less than a line late, the run makes up
        // for it; more (the machine slept), it starts afresh.
        const QStringList dreiZeilen{"5,s,1", "5,s,2", "5,s,3"};
        QTest::newRow("2,5 s festgehalten: wieder im takt") << Fall{.tabelle = dreiZeilen,
            .erwartet = {"0 40 18", "500 01 18", "6500 7F", "6500 40 18", "6500 02 18", "11000 40 18",
                         "11500 03 18", "16500 00 18", "17000 40 18"}, .ende = 17000, .haltBei = 4000,
            .halt = [](Aufbau &a) { a.ablauf.subWarten(2500); a.port.schreibe("\x7F"); }};
        QTest::newRow("9 s geschlafen: neu ab da") << Fall{.tabelle = dreiZeilen,
            .erwartet = {"0 40 18", "500 01 18", "13000 40 18", "13500 02 18", "18500 40 18", "19000 03 18",
                         "24000 00 18", "24500 40 18"},
            .ende = 24500, .haltBei = 4000, .halt = [](Aufbau &a) { a.zeit.jetzt += 9000; }};
        QTest::newRow("adresse 255 im lauf: zwei bytes") << Fall{.adresse = "255", .tabelle = {"1,s,9"},
            .erwartet = {"0 40 FF", "500 09 FF", "1500 00 FF", "2000 40 FF"}, .ende = 2000};
        QTest::newRow("adresse 256 im lauf: text mit stoppzeile") << Fall{.adresse = "256", .tabelle = {"1,s,9,X"},
            .erwartet = {"500 'XL 256,9,1,1,0,0,0,0<CR>'", "1500 'XL256,0,0,1,0,0,0,0<CR>'"}, .ende = 1500};
        // After a change of direction the later rows and the stop line carry the new direction.
        QTest::newRow("XL richtung nach f") << Fall{.adresse = "300", .tabelle = {"1,f", "1,s,5", "1,f", "1,s,6"},
            .erwartet = {"500 'XL 300, 0,<CR>'", "3000 'XL 300,5,0,0,0,0,0,0<CR>'", "4500 'XL 300, 0,<CR>'",
                         "7000 'XL 300,6,0,1,0,0,0,0<CR>'", "8000 'XL300,0,0,1,0,0,0,0<CR>'"},
            .ende = 8000};
        QTest::newRow("XL stoppzeile nach f") << Fall{.adresse = "300", .tabelle = {"1,f"},
            .erwartet = {"500 'XL 300, 0,<CR>'", "2500 'XL300,0,0,0,0,0,0,0<CR>'"}, .ende = 2500};
        // An endless pass that drives no line ends the run as a run without endless
        // mode does, instead of spinning with the window frozen.
        QTest::newRow("endlos ohne gefahrene zeile endet")
            << Fall{.tabelle = {"", "5,s,5"}, .endlos = true, .erwartet = {"0 00 18", "500 40 18"}, .ende = 500};

        // A stop during an endless run: the cut-short wait sends the stop, the loop
        // finds the flag and sends it once more.
        const QStringList zweiLangeZeilen{"60,s,5", "60,s,5"};
        QTest::newRow("stopp: zwei bytes") << Fall{.tabelle = zweiLangeZeilen, .endlos = true, .stoppBei = 3000,
            .erwartet = {"0 40 18", "500 05 18", "3000 00 18", "3000 00 18"}};
        // During the pause of a change of direction: the direction byte still
        // follows, its 1000 ms wait ends at once with another stop.
        QTest::newRow("stopp: richtungswechsel") << Fall{.adresse = "5", .tabelle = {"3,F", "3,F"}, .endlos = true,
            .stoppBei = 1000,
            .erwartet = {"0 40 05", "500 00 05", "1000 00 05", "1000 0F 05", "1000 00 05", "1000 00 05"}};
        QTest::newRow("stopp: XL ab 256") << Fall{.adresse = "256", .tabelle = zweiLangeZeilen, .endlos = true,
            .stoppBei = 2000, .erwartet = {"500 'XL 256,5,0,1,0,0,0,0<CR>'", "2000 'XL256,0,0,1,0,0,0,0<CR>'",
                                           "2000 'XL256,0,0,1,0,0,0,0<CR>'"}};
        QTest::newRow("stopp: XL vor der zeile") << Fall{.adresse = "300", .tabelle = zweiLangeZeilen, .endlos = true,
            .stoppBei = 100, .erwartet = {"100 'XL300,0,0,1,0,0,0,0<CR>'", "100 'XL 300,5,0,1,0,0,0,0<CR>'",
                                          "100 'XL300,0,0,1,0,0,0,0<CR>'", "100 'XL300,0,0,1,0,0,0,0<CR>'"}};
        // Each endless pass starts at line 1 and writes its own start time.
        QTest::newRow("stopp im zweiten pass") << Fall{.tabelle = {"1,s,1", "1,s,2", "1,s,3"}, .startzeile = 3,
            .endlos = true, .stoppBei = 3700,
            .erwartet = {"0 40 18", "500 03 18", "1500 40 18", "2000 01 18", "3000 40 18", "3500 02 18",
                         "3700 00 18", "3700 00 18"},
            .start = "12:00:01"};
        QTest::newRow("stopp in zeile 25 beendet auch endlos") << Fall{
            .tabelle = QStringList(24, QString()) << QStringLiteral("10,s,3"), .startzeile = 25, .endlos = true,
            .stoppBei = 2000, .erwartet = {"0 40 18", "500 03 18", "2000 00 18", "2000 00 18"}};
    }
    void lauf()
    {
        QFETCH(Fall, fall);
        Aufbau a;
        a.feld.adresse = fall.adresse;
        a.feld.mitSignal = true;
        a.feld.mitEndlos = fall.endlos;
        a.zeilen(fall.tabelle);
        a.tabelle.setzeAktuelleZeile(fall.startzeile);
        a.port.schreibMs = fall.schreibMs;
        if (fall.halt)
            a.zeit.bei(fall.haltBei, [&] { fall.halt(a); });
        if (fall.stoppBei > 0)
            a.zeit.bei(fall.stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.stoppKlick(); // a stop from before the run only raises the flag, which the start lowers
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), fall.erwartet);
        QCOMPARE(a.feld.start, fall.start);
        QVERIFY(!a.ablauf.laeuft());
        if (fall.stoppBei > 0) {
            QVERIFY(a.klang.gespielt.isEmpty());
            QCOMPARE(a.zeit.jetzt, fall.stoppBei);
        } else {
            QCOMPARE(a.klaenge(), QStringList{QString::number(fall.ende) + QStringLiteral(" Signal.wav")});
        }
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
    }
    void tausendPaesse()
    {
        QFETCH(int, option);
        QFETCH(qint64, pass);
        Aufbau a;
        a.feld.option = option;
        a.feld.mitEndlos = true;
        a.port.schreibMs = a.link.schreibMs = 2;
        a.zeile(1, "1,s,5");
        a.zeit.bei(1000 * pass + 50, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QList<qint64> zeiten;
        for (const QString &z : protokoll(a.port) + a.link.gesendet)
            zeiten << z.section(u' ', 0, 0).toLongLong();
        QCOMPARE(*std::lower_bound(zeiten.cbegin(), zeiten.cend(), 1000 * pass), 1000 * pass);
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
        QTest::newRow("lenz mit rahmen") << 1 << "24" << true << QStringList{"3000 E4 20 00 03 10 D7"};
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

    // The single line at line 9; the ring sequence sounds twice after it, three rings
    // a second apart each time, from `ende`.
    void einzelzeile_data()
    {
        QTest::addColumn<Fall>("fall");
        QTest::newRow("zwei bytes") << Fall{
            .tabelle = {"5,s,7,X"}, .erwartet = {"0 40 18", "500 17 18", "5500 00 18", "6000 40 18"}, .ende = 6000};
        QTest::newRow("XL mit stoppzeile") << Fall{.adresse = "300", .tabelle = {"2,s,9"},
            .erwartet = {"500 'XL 300,9,0,1,0,0,0,0<CR>'", "2500 'XL300,0,0,1,0,0,0,0<CR>'"}, .ende = 2500};
        QTest::newRow("festgehalten: die schlussfolge holt auf") << Fall{.tabelle = {"5,s,7,X"},
            .erwartet = {"0 40 18", "500 17 18", "6000 00 18", "6000 40 18"}, .ende = 6000, .haltBei = 4000,
            .halt = [](Aufbau &a) { a.zeit.jetzt += 2000; }};
        QTest::newRow("leere dauer wird trotzdem gesendet")
            << Fall{.tabelle = {",s,7"}, .erwartet = {"0 40 18", "500 07 18", "500 00 18", "1000 40 18"}, .ende = 1000};
    }
    void einzelzeile()
    {
        QFETCH(Fall, fall);
        Aufbau a;
        a.feld.adresse = fall.adresse;
        a.feld.mitSignal = true;
        a.zeile(9, fall.tabelle[0]);
        a.tabelle.setzeAktuelleZeile(9);
        a.ablauf.stoppKlick(); // a stop from before does not cut the line short
        if (fall.halt)
            a.zeit.bei(fall.haltBei, [&] { fall.halt(a); });
        a.ablauf.btnSendZeile_Click();
        QCOMPARE(protokoll(a.port), fall.erwartet);
        QStringList ringe;
        for (const qint64 nach : {0, 1000, 2000, 2000, 3000, 4000})
            ringe << QString::number(fall.ende + nach) + QStringLiteral(" ring.wav");
        QCOMPARE(a.klaenge(), ringe);
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

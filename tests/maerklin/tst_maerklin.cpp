// The 6021/6051 and IntelliBox driver in virtual time: every byte, every text and
// every pause of the row commands, the run and the single line, and the stop; the s88
// answers, and a contact line polling its module on the real clock.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"
#include "program/EchteZeit.h"
#include "program/Fahrbetrieb.h"

#include <QtTest>

#include <functional>

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

// The 6051 or IntelliBox behind the port: records every write and answers the module
// questions in the order given, one byte at a time from the event loop, as a serial
// line delivers them.
class S88Port : public Ausgabe {
public:
    Zentralentreiber *treiber = nullptr;
    QList<std::pair<QByteArray, QByteArray>> antworten; // question, answer
    QStringList geschrieben;
    void schreibe(const QByteArray &bytes) override
    {
        geschrieben << alsText(bytes);
        if (antworten.isEmpty() || bytes != antworten.first().first)
            return;
        for (const char b : antworten.takeFirst().second)
            QTimer::singleShot(0, [this, b] { treiber->empfange(QByteArray(1, b)); });
    }
};
// The 6051 behind the port with its s88 modules as they stand: each module question
// ("0xC0 + n") is answered with the module's two bytes, one byte at a time from the
// event loop, to one driver only, as the window hands the port's bytes to one.
class Modulport : public Ausgabe {
public:
    Zentralentreiber *treiber = nullptr;
    QHash<int, QByteArray> module; // module -> its two bytes; "00 00" when not set
    QStringList geschrieben;
    void schreibe(const QByteArray &bytes) override
    {
        geschrieben << alsText(bytes);
        const int modul = quint8(bytes[0]) - 0xC0;
        if (bytes.size() != 1 || modul < 1)
            return;
        for (const char b : module.value(modul, QByteArray(2, '\0')))
            QTimer::singleShot(0, [this, b] { treiber->empfange(QByteArray(1, b)); });
    }
};
} // namespace

Q_DECLARE_METATYPE(Fall)
using S88Antworten = QList<std::pair<QByteArray, QByteArray>>;
Q_DECLARE_METATYPE(S88Antworten)

class TestMaerklin : public QObject {
    Q_OBJECT
private slots:
    // The two bytes of a module, high byte first: bit 7 of the first is the module's
    // first contact (6051 and P50X descriptions; contact 3: "20 00").
    void s88Kontakte_data()
    {
        QTest::addColumn<int>("modul");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("belegt");
        QTest::newRow("kontakt 3") << 1 << QByteArray::fromHex("2000") << "3";
        QTest::newRow("9 im zweiten byte") << 1 << QByteArray::fromHex("0080") << "9";
        QTest::newRow("1 und 16") << 1 << QByteArray::fromHex("8001") << "1 16";
        QTest::newRow("modul 2 beginnt mit 17") << 2 << QByteArray::fromHex("8000") << "17";
    }
    void s88Kontakte()
    {
        QFETCH(int, modul);
        QFETCH(QByteArray, bytes);
        QStringList belegt;
        for (const Kontaktmeldung &k : trabolin::s88Kontakte(modul, quint8(bytes[0]), quint8(bytes[1])))
            if (k.belegt)
                belegt << QString::number(k.nummer);
        QTEST(belegt.join(u' '), "belegt");
    }

    // The answers of a watch, each after its question for module 1 ("p:" P50, "s:"
    // XSensor, "e:" XEvtSen, "v:" the XEvtSen that only clears), in the pieces given
    // ("|"): what is reported of contact 3. P50 answers two bytes, XSensor a status
    // byte and two (58 98 01 -> 00 20 00), XEvtSen module and two bytes each, then 00
    // (58 CB -> 01 20 00 00); an occupied first answer is no change.
    void s88Abfrage_data()
    {
        QTest::addColumn<QStringList>("antworten");
        QTest::addColumn<QString>("kontakt3");
        QTest::newRow("p50 frei, dann belegt") << QStringList{"p:0000", "p:2000"} << "3- 3+";
        QTest::newRow("p50 erst belegt: erst nach frei") << QStringList{"p:2000", "p:2000", "p:0000", "p:2000"} << "3- 3+";
        QTest::newRow("p50 in stuecken") << QStringList{"p:00|00", "p:20|00"} << "3- 3+";
        QTest::newRow("xsensor") << QStringList{"s:000000", "s:00|20|00"} << "3- 3+";
        QTest::newRow("xsensor fehler ist keine antwort") << QStringList{"s:02", "s:000000", "s:002000"} << "3- 3+";
        QTest::newRow("xsensor ohne status falsch") << QStringList{"s:000000", "s:2000"} << "3-";
        QTest::newRow("xevtsen") << QStringList{"s:000000", "e:01200000"} << "3- 3+";
        QTest::newRow("xevtsen zwei module, in stuecken") << QStringList{"s:000000", "e:02|800001|20|0000"} << "3- 3+";
        QTest::newRow("xevtsen ohne das modul") << QStringList{"s:000000", "e:00", "e:03200000"} << "3-";
        QTest::newRow("das leeren liest nichts") << QStringList{"v:01000000", "s:002000", "e:00"} << "";
    }
    void s88Abfrage()
    {
        QFETCH(QStringList, antworten);
        const QHash<QChar, S88Abfrage::Art> arten{{u'p', S88Abfrage::Art::p50}, {u's', S88Abfrage::Art::xSensor},
                                                  {u'e', S88Abfrage::Art::xEreignisse},
                                                  {u'v', S88Abfrage::Art::xVergessen}};
        S88Abfrage abfrage;
        abfrage.beginne();
        QStringList kontakt3;
        for (const QString &antwort : antworten) {
            abfrage.frage(arten.value(antwort[0]), 1);
            for (const QString &stueck : antwort.mid(2).split(u'|'))
                for (const Kontaktmeldung &k : abfrage.lies(QByteArray::fromHex(stueck.toLatin1())))
                    if (k.nummer == 3)
                        kontakt3 << QStringLiteral("3") + (k.belegt ? u'+' : u'-');
        }
        QTEST(kontakt3.join(u' '), "kontakt3");
    }

    // A single "K" line for contact 3 on the real clock: the module is read only while
    // the line waits, after its speed went out, and the line ends at the first answer
    // that makes the contact occupied.
    void kontaktzeile_data()
    {
        using Antworten = QList<std::pair<QByteArray, QByteArray>>;
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<Antworten>("antworten");
        QTest::addColumn<QStringList>("erwartet");
        const auto x = [](const char *hex) { return QByteArray::fromHex(hex); };
        QTest::newRow("6051") << "24" << Antworten{{x("C1"), x("0000")}, {x("C1"), x("2000")}}
                              << QStringList{"40 18", "05 18", "C0", "C1", "C1", "00 18", "40 18"};
        QTest::newRow("intellibox")
            << "300" << Antworten{{x("58CB"), x("01200000")}, {x("589801"), x("000000")}, {x("58CB"), x("01200000")}}
            << QStringList{"'XL 300,5,0,1,0,0,0,0<CR>'", "58 CB", "58 98 01", "58 CB", "'XL300,0,0,1,0,0,0,0<CR>'"};
    }
    void kontaktzeile()
    {
        QFETCH(QString, adresse);
        Tabellenspeicher tabelle;
        TestBedienfeld feld;
        feld.adresse = adresse;
        EchteZeit zeit;
        VirtuelleZeit ohneZeit;
        KlangMitschrift klang(ohneZeit);
        Ablauf ablauf(tabelle, feld, zeit, klang);
        S88Port port;
        using Antworten = QList<std::pair<QByteArray, QByteArray>>;
        QFETCH(Antworten, antworten);
        port.antworten = antworten;
        MaerklinTreiber treiber(ablauf, port, zentralenzeile(0)->lesart, &ablauf.gleismelder(0));
        port.treiber = &treiber;
        ablauf.setzeTreiber(0, &treiber);
        fuelleZeile(tabelle, 1, QStringLiteral("3,K,5"));
        tabelle.setzeAktuelleZeile(1);
        ablauf.btnSendZeile_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!ablauf.laeuft(), 10000);
        QTEST(port.geschrieben, "erwartet");
    }

    // Two programs' contact lines on one port, contact 3 (module 1) for address 24 and
    // contact 18 (module 2) for address 25, with the port's bytes going to the first
    // program's driver: one question is out at a time and each answer is read by the
    // watch that asked. Contact 18 ends only the second line, contact 3 the first.
    void zweiProgrammeAmPort()
    {
        EchteZeit zeit;
        VirtuelleZeit ohneZeit;
        Fahrbetrieb betrieb(zeit);
        Modulport port;
        auto leitung = std::make_shared<S88Leitung>();
        struct Programm {
            Tabellenspeicher tabelle;
            TestBedienfeld feld;
            KlangMitschrift klang;
            Ablauf ablauf;
            MaerklinTreiber treiber;
            Programm(Fahrbetrieb &b, VirtuelleZeit &z, Ausgabe &port, std::shared_ptr<S88Leitung> leitung)
                : klang(z), ablauf(b, tabelle, feld, klang),
                  treiber(ablauf, port, zentralenzeile(0)->lesart, &b.gleismelder(0), std::move(leitung))
            {
                ablauf.setzeTreiber(0, &treiber);
            }
        };
        Programm p1(betrieb, ohneZeit, port, leitung), p2(betrieb, ohneZeit, port, leitung);
        port.treiber = &p1.treiber;
        p1.feld.adresse = QStringLiteral("24");
        p2.feld.adresse = QStringLiteral("25");
        fuelleZeile(p1.tabelle, 1, QStringLiteral("3,K,3"));
        fuelleZeile(p2.tabelle, 1, QStringLiteral("18,K,3"));
        p1.ablauf.btnSendZeile_Click();
        p2.ablauf.btnSendZeile_Click();
        // Both modules read free once, then contact 18 occupied.
        QTRY_VERIFY2(port.geschrieben.count(QStringLiteral("C1")) >= 2 && port.geschrieben.count(QStringLiteral("C2")) >= 2, qPrintable(port.geschrieben.join(u'|')));
        port.module[2] = QByteArray::fromHex("4000");
        QTRY_VERIFY(!p2.ablauf.laeuft());
        QVERIFY(p1.ablauf.laeuft());
        QVERIFY(port.geschrieben.contains(QStringLiteral("00 19")));
        QVERIFY(!port.geschrieben.contains(QStringLiteral("00 18")));
        port.module[1] = QByteArray::fromHex("2000");
        QTRY_VERIFY(!p1.ablauf.laeuft());
        QVERIFY(port.geschrieben.contains(QStringLiteral("00 18")));
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
        // As a single line: the row command, then the end the single line sends.
        a.ablauf.btnSendZeile_Click();
        const bool xl = fall.adresse.trimmed().toInt() >= 256;
        const QStringList alles = protokoll(a.port);
        QCOMPARE(alles.mid(0, fall.erwartet.size()), fall.erwartet);
        const QString ende = QString::number(fall.ende);
        const QString adr = fall.adresse.trimmed() == u"5" ? QStringLiteral("05") : QStringLiteral("18");
        const QStringList schluss =
            xl ? QStringList{QStringLiteral("%1 'XL%2,0,0,1,0,0,0,0<CR>'").arg(ende, fall.adresse)}
               : QStringList{QStringLiteral("%1 00 %2").arg(ende, adr), QStringLiteral("%1 40 %2").arg(fall.ende + 500).arg(adr)};
        QCOMPARE(alles.mid(fall.erwartet.size()), schluss);
        QCOMPARE(a.zeit.jetzt, fall.ende + (xl ? 0 : 500));
        QCOMPARE(a.maerklin.XLRichtung(), 1); // only an "f" row on the "XL" path turns it
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
        // own time and holds the run past the line's end: more than 50 ms late, the run starts
        // afresh from there, so the following lines get their full time.
        const QStringList dreiZeilen{"5,s,1", "5,s,2", "5,s,3"};
        QTest::newRow("2,5 s festgehalten: die naechsten zeilen ganz") << Fall{.tabelle = dreiZeilen,
            .erwartet = {"0 40 18", "500 01 18", "6500 7F", "6500 40 18", "7000 02 18", "12000 40 18",
                         "12500 03 18", "17500 00 18", "18000 40 18"}, .ende = 18000, .haltBei = 4000,
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
        // During the pause of a change of direction: the direction byte still
        // follows, its 1000 ms wait ends at once with another stop.
        QTest::newRow("stopp: richtungswechsel") << Fall{.adresse = "5", .tabelle = {"3,F", "3,F"}, .endlos = true,
            .stoppBei = 1000,
            // The reversal byte after the stop is held back by the stop latch.
            .erwartet = {"0 40 05", "500 00 05", "1000 00 05", "1000 00 05", "1000 00 05"}};
        QTest::newRow("stopp: XL ab 256") << Fall{.adresse = "256", .tabelle = zweiLangeZeilen, .endlos = true,
            .stoppBei = 2000, .erwartet = {"500 'XL 256,5,0,1,0,0,0,0<CR>'", "2000 'XL256,0,0,1,0,0,0,0<CR>'",
                                           "2000 'XL256,0,0,1,0,0,0,0<CR>'"}};
        QTest::newRow("stopp: XL vor der zeile") << Fall{.adresse = "300", .tabelle = zweiLangeZeilen, .endlos = true,
            // The line's speed after the stop is held back by the stop latch.
            .stoppBei = 100, .erwartet = {"100 'XL300,0,0,1,0,0,0,0<CR>'", "100 'XL300,0,0,1,0,0,0,0<CR>'",
                                          "100 'XL300,0,0,1,0,0,0,0<CR>'"}};
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

    // The single line at line 9; the ring sequence sounds twice after it, three rings
    // a second apart each time, from `ende`.
    void einzelzeile_data()
    {
        QTest::addColumn<Fall>("fall");
        QTest::newRow("zwei bytes") << Fall{
            .tabelle = {"5,s,7,X"}, .erwartet = {"0 40 18", "500 17 18", "5500 00 18", "6000 40 18"}, .ende = 6000};
        QTest::newRow("XL mit stoppzeile") << Fall{.adresse = "300", .tabelle = {"2,s,9"},
            .erwartet = {"500 'XL 300,9,0,1,0,0,0,0<CR>'", "2500 'XL300,0,0,1,0,0,0,0<CR>'"}, .ende = 2500};
        QTest::newRow("festgehalten: die schlussfolge bekommt ihre zeit") << Fall{.tabelle = {"5,s,7,X"},
            .erwartet = {"0 40 18", "500 17 18", "6000 00 18", "6500 40 18"}, .ende = 6500, .haltBei = 4000,
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

};

QTEST_GUILESS_MAIN(TestMaerklin)
#include "tst_maerklin.moc"

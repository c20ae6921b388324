// The Lenz LZ100 driver in virtual time: every XpressNet frame with its check byte,
// the order and the pauses of the pass and of the single line, the stop, the end of
// a pass, endless passes and the sounds; the feedback frames and the contact line.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"
#include "stations/lenz/LenzMeldungsleser.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// The address bytes as "00 03", or "-" for an address without coding.
QString adressText(qint64 adresse)
{
    const auto b = lenzAdressbytes(adresse);
    return b ? alsText(QByteArray(1, char(b->first)) + char(b->second)) : QStringLiteral("-");
}

// A run on the Lenz, or its single line (`tabelle` holds that line).
struct Lauf {
    QString adresse = QStringLiteral("3");
    int modus = 0; // the entry chosen in "Fahrstufen"
    bool usb = false;
    QStringList tabelle; // from line 1
    int startzeile = 1;
    bool endlos = false;
    qint64 stoppBei = 0; // 0: no stop
    QStringList erwartet;
    qint64 ende = 0; // when the end signals sound
    int signale = 2; // the pass plays it and the run once more; once after a stop
    QString laufzeit; // shown when the run has ended; empty: not looked at
};

// "42 01|42 01": the pieces as the port reads them.
QList<QByteArray> stuecke(const char *hex)
{
    QList<QByteArray> s;
    for (const QByteArray &teil : QByteArray(hex).split('|'))
        s << QByteArray::fromHex(teil);
    return s;
}

// What the LZ100 sends at a virtual time during a contact line.
struct Meldung {
    qint64 zeit;
    const char *hex;
};

} // namespace

Q_DECLARE_METATYPE(Lauf)
Q_DECLARE_METATYPE(QList<Meldung>)

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
        QTEST(adressText(adresse), "bytes");
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
        QTEST(int(lenzFahrbyte(fahrstufe, einheit)), "byte");
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
    // The cells as the Lenz pass reads them, then the byte.
    void funktionsbyte()
    {
        QFETCH(QStringList, zellen);
        Tabellenspeicher t;
        fuelleZeile(t, 1, QStringLiteral("1,s,1,") + zellen.join(u','));
        const Programmzeile z = leseProgrammzeile(t, 1, zentralenzeile(1)->lesart);
        QTEST(int(lenzFunktionsbyte(z.licht, z.f[0], z.f[1], z.f[2], z.f[3])), "byte");
    }

    // Whole runs from "starten": every frame with its time, and the sounds.
    void lauf_data()
    {
        QTest::addColumn<Lauf>("lauf");
        QTest::newRow("zeile S, dann leer: halt vorwaerts") << Lauf{.modus = 3, .tabelle = {"4,S,4,X"},
            .erwartet = {"0 E4 13 00 03 85 71", "100 E4 20 00 03 10 D7", "4100 E4 13 00 03 80 74"}, .ende = 4100};
        QTest::newRow("leere erste zeile, kein eintrag in fahrstufen: 14")
            << Lauf{.modus = -1, .erwartet = {"0 E4 10 00 03 00 F7"}};
        QTest::newRow("usb-interface") << Lauf{.usb = true, .erwartet = {"0 FF FE E4 10 00 03 00 F7"}};
        QTest::newRow("dauer 0 wird uebersprungen, merkt aber die einheit") << Lauf{.tabelle = {"1,s,2", "0,S,5"},
            .erwartet = {"0 E4 10 00 03 03 F4", "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 80 77"}, .ende = 1100};
        QTest::newRow("lange adresse, minuten") << Lauf{.adresse = "1234", .modus = 2, .tabelle = {"1,M,10"},
            .erwartet = {"0 E4 12 C4 D2 8B 6B", "100 E4 20 C4 D2 00 D2", "60100 E4 12 C4 D2 80 60"}, .ende = 60100};
        QTest::newRow("ab zeile 2") << Lauf{.tabelle = {"9,S,9", "1,s,3"}, .startzeile = 2,
            .erwartet = {"0 E4 10 00 03 04 F3", "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 00 F7"}, .ende = 1100};
        // A stop during a line's wait: nothing is pending, so the wait sends nothing;
        // the next line with a positive Dauer sends speed 0 without the direction bit.
        QTest::newRow("stopp in der zeile") << Lauf{.tabelle = {"60,S,5", "60,M,3"}, .stoppBei = 3000,
            .erwartet = {"0 E4 10 00 03 86 71", "100 E4 20 00 03 00 C7", "3000 E4 10 00 03 00 F7"},
            .ende = 3000, .signale = 1};
        // During the 100 ms pause the function frame is pending: the wait sends it.
        QTest::newRow("stopp in der pause") << Lauf{.tabelle = {"60,S,5"}, .endlos = true, .stoppBei = 50,
            .erwartet = {"0 E4 10 00 03 86 71", "50 E4 20 00 03 00 C7", "50 E4 10 00 03 80 77"},
            .ende = 50, .signale = 1};
        // A pending frame that switches the light on is held back by the stop latch.
        QTest::newRow("stopp in der pause, licht an") << Lauf{.tabelle = {"60,S,5,X"}, .endlos = true, .stoppBei = 50,
            .erwartet = {"0 E4 10 00 03 86 71", "50 E4 10 00 03 80 77"}, .ende = 50, .signale = 1};
        QTest::newRow("stopp in zeile 25 beendet auch endlos") << Lauf{
            .tabelle = QStringList(24, QString()) << QStringLiteral("10,s,3"),
            .startzeile = 25, .endlos = true, .stoppBei = 2000,
            .erwartet = {"0 E4 10 00 03 04 F3", "100 E4 20 00 03 00 C7", "2000 E4 10 00 03 00 F7"},
            .ende = 2000, .signale = 1};
        // Each pass starts at line 1 and ends with its stop frame; the running time counts on.
        QTest::newRow("endlos, zweiter pass ab zeile 1") << Lauf{.tabelle = {"1,s,1", "1,s,1"}, .startzeile = 2,
            .endlos = true, .stoppBei = 3500,
            .erwartet = {"0 E4 10 00 03 02 F5", "100 E4 20 00 03 00 C7", "1100 E4 10 00 03 00 F7",
                         "1100 E4 10 00 03 02 F5", "1200 E4 20 00 03 00 C7", "2200 E4 10 00 03 02 F5",
                         "2300 E4 20 00 03 00 C7", "3300 E4 10 00 03 00 F7", "3300 E4 10 00 03 02 F5",
                         "3400 E4 20 00 03 00 C7", "3500 E4 10 00 03 00 F7"},
            .ende = 3500, .signale = 1, .laufzeit = "00:00:03"};
        QTest::newRow("endlos ohne gefahrene zeile endet")
            << Lauf{.tabelle = {"", "5,s,5"}, .endlos = true, .erwartet = {"0 E4 10 00 03 00 F7"}};
        QTest::newRow("adresse ohne kodierung: nichts, nur die zeit")
            << Lauf{.adresse = "20000", .tabelle = {"2,s,5"}, .ende = 2100};
    }
    void lauf()
    {
        QFETCH(Lauf, lauf);
        Aufbau a;
        a.feld.option = 1;
        a.feld.adresse = lauf.adresse;
        a.lenz.setzeFahrstufen(lauf.modus);
        a.lenz.setzeUsbInterface(lauf.usb);
        a.feld.mitSignal = true;
        a.feld.mitEndlos = lauf.endlos;
        a.zeilen(lauf.tabelle);
        a.tabelle.setzeAktuelleZeile(lauf.startzeile);
        if (lauf.stoppBei > 0)
            a.zeit.bei(lauf.stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(protokoll(a.port), lauf.erwartet);
        QCOMPARE(a.klaenge(), QStringList(lauf.signale, QString::number(lauf.ende) + QStringLiteral(" Signal.wav")));
        QCOMPARE(a.feld.start, QStringLiteral("12:00:00"));
        if (!lauf.laufzeit.isEmpty())
            QCOMPARE(a.feld.lauf, lauf.laufzeit);
        QVERIFY(!a.ablauf.laeuft());
    }

    // Feedback frames as the reader gets them (Lenz XpressNet V3.0, "Accessory decoder
    // information response": DATA = I TT N ZZZZ, TT 10 a feedback module; contact 10
    // occupied is 42 01 42 01), four contacts for each feedback pair.
    void rueckmeldung_data()
    {
        QTest::addColumn<QList<QByteArray>>("bytes");
        QTest::addColumn<QString>("kontakte");
        QTest::newRow("kontakt 10 belegt") << stuecke("42 01 42 01") << "9- 10+ 11- 12-";
        QTest::newRow("obere haelfte: 13 belegt") << stuecke("42 01 51 12") << "13+ 14- 15- 16-";
        QTest::newRow("modul 0: kontakt 1") << stuecke("42 00 41 03") << "1+ 2- 3- 4-";
        QTest::newRow("zweites paar eine weiche (TT 00)") << stuecke("44 01 42 05 03 01") << "9- 10+ 11- 12-";
        QTest::newRow("weiche mit rueckmeldung (TT 01)") << stuecke("42 01 22 61") << "";
        QTest::newRow("in stuecken, usb-vorspann") << stuecke("FF FD 42|01 42|01") << "9- 10+ 11- 12-";
        QTest::newRow("pruefbyte falsch") << stuecke("42 01 42 00") << "";
        QTest::newRow("gleis an ist keine") << stuecke("61 01 60") << "";
    }
    void rueckmeldung()
    {
        QFETCH(QList<QByteArray>, bytes);
        LenzMeldungsleser leser;
        QStringList kontakte;
        for (const QByteArray &b : bytes) {
            leser.lies(b);
            for (const Kontaktmeldung &k : leser.nimmKontakte())
                kontakte << QString::number(k.nummer) + (k.belegt ? u'+' : u'-');
        }
        QTEST(kontakte.join(u' '), "kontakte");
    }

    // A "K" line waits for contact 10: its module is asked for (42 01 80 C3, 42 01 81 C2),
    // the first frame of each nibble is the answer, a state; the run goes on at the
    // first broadcast that makes the contact occupied.
    void kontaktzeile_data()
    {
        QTest::addColumn<QList<Meldung>>("meldungen");
        QTest::addColumn<qint64>("weiter");
        QTest::newRow("frei, dann belegt")
            << QList<Meldung>{{1000, "42 01 40 03 42 01 50 13"}, {3000, "42 01 42 01"}} << qint64(3000);
        QTest::newRow("als antwort belegt zaehlt nicht") << QList<Meldung>{
            {1000, "42 01 42 01 42 01 50 13"}, {2000, "42 01 40 03"}, {3000, "42 01 42 01"}} << qint64(3000);
    }
    void kontaktzeile()
    {
        QFETCH(QList<Meldung>, meldungen);
        QFETCH(qint64, weiter);
        Aufbau a;
        a.feld.option = 1;
        a.feld.adresse = QStringLiteral("3");
        a.zeilen({"10,K,5", "3,S,3"});
        for (const Meldung &m : meldungen)
            a.zeit.bei(m.zeit, [&a, m] { a.lenz.empfange(QByteArray::fromHex(m.hex)); });
        a.ablauf.btnStart_Click();
        const QString t = QString::number(weiter), t2 = QString::number(weiter + 100);
        QCOMPARE(protokoll(a.port), (QStringList{"0 E4 10 00 03 86 71", "100 E4 20 00 03 00 C7", "100 42 01 80 C3",
                                                 "100 42 01 81 C2", t + " E4 10 00 03 84 73", t2 + " E4 20 00 03 00 C7",
                                                 QString::number(weiter + 3100) + " E4 10 00 03 80 77"}));
    }

    // When the port opens, the LZ100 is asked for its state: 21 24 with its check byte
    // 05 (Lenz XpressNet V3.0 description, "Command station status request"; through
    // the USB interface behind FF FE).
    void statusfrage_data()
    {
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("seriell") << false << QStringList{"0 21 24 05"};
        QTest::newRow("usb") << true << QStringList{"0 FF FE 21 24 05"};
    }
    void statusfrage()
    {
        QFETCH(bool, usb);
        Aufbau a;
        a.lenz.setzeUsbInterface(usb);
        a.lenz.schnittstelleGeoeffnet();
        QTEST(protokoll(a.port), "erwartet");
    }

    // The single line at line 4: the frames, the ring three times after the line.
    void einzelzeile_data()
    {
        QTest::addColumn<Lauf>("lauf");
        QTest::newRow("5 S 10 nur Fu") << Lauf{.tabelle = {"5,S,10,X"},
            .erwartet = {"0 E4 10 00 03 8B 7C", "200 E4 20 00 03 10 D7", "5200 E4 10 00 03 80 77"}};
        QTest::newRow("1 m 0") << Lauf{.tabelle = {"1,m,0"},
            .erwartet = {"0 E4 10 00 03 00 F7", "200 E4 20 00 03 00 C7", "60200 E4 10 00 03 00 F7"}};
        QTest::newRow("200 mit M") << Lauf{.tabelle = {",M,200,X,X,X,X,X"},
            .erwartet = {"0 E4 10 00 03 FF 08", "200 E4 20 00 03 1F D8", "200 E4 10 00 03 80 77"}};
        QTest::newRow("stopp in der zeile") << Lauf{.tabelle = {"5,S,10"}, .stoppBei = 1000,
            .erwartet = {"0 E4 10 00 03 8B 7C", "200 E4 20 00 03 00 C7", "1000 E4 10 00 03 80 77"}};
    }
    void einzelzeile()
    {
        QFETCH(Lauf, lauf);
        Aufbau a;
        a.feld.option = 1;
        a.feld.adresse = lauf.adresse;
        a.feld.mitSignal = true;
        a.zeile(4, lauf.tabelle[0]);
        a.tabelle.setzeAktuelleZeile(4);
        if (lauf.stoppBei > 0)
            a.zeit.bei(lauf.stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnSendZeile_Click();
        QCOMPARE(protokoll(a.port), lauf.erwartet);
        const qint64 ende = a.port.vorgaenge.last().zeit;
        const qint64 abstand = lauf.stoppBei > 0 ? 0 : 1000;
        QCOMPARE(a.klaenge(), (QStringList{QString::number(ende) + " ring.wav",
                                           QString::number(ende + abstand) + " ring.wav",
                                           QString::number(ende + 2 * abstand) + " ring.wav"}));
        QCOMPARE(a.tabelle.aktuelleZeile(), 4);
    }
};

QTEST_GUILESS_MAIN(TestLenz)
#include "tst_lenz.moc"

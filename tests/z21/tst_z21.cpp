// The Z21: every datagram byte for byte, the reading of received datagrams, the
// simulator's decoder, the driver's runs and single lines in virtual time, the UDP
// link against the real simulator and against a Z21 that never answers, with the
// traffic log, and the window driving the simulator.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Simulatorprozess.h"
#include "helfer/Verbinden.h"
#include "program/Verkehrsprotokoll.h"
#include "sim/z21/Z21Dekodierer.h"
#include "program/Tabelle.h"
#include "stations/z21/Z21Befehle.h"
#include "stations/z21/Z21Verbindung.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

using namespace trabolin;
using namespace trabolin::sim;
using namespace trabolin::test;

namespace {

QString hex(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }
QByteArray bytes(const QString &hexText) { return QByteArray::fromHex(hexText.toLatin1()); }
QByteArray oder(const std::optional<QByteArray> &b) { return b.value_or(QByteArray()); }

QString alsText(const QList<Z21Paket> &pakete)
{
    QStringList teile;
    for (const Z21Paket &p : pakete)
        teile << QString::number(p.kopf, 16) + u':' + hex(p.daten);
    return teile.join(u'|');
}

// "<time> E4 F8 <address> <byte> <check>" for F0 to F4 of one line, `an` giving
// each function as "1" or "0".
QStringList funktionen(const QString &zeit, const QString &adresse, const QString &an)
{
    QStringList zeilen;
    for (int f = 0; f <= 4; ++f) {
        const QByteArray x = bytes("E4 F8 " + adresse) + char((an[f] == u'1' ? 0x40 : 0) | f);
        char pruef = 0;
        for (const char b : x)
            pruef ^= b;
        zeilen << zeit + u' ' + hex(x + pruef);
    }
    return zeilen;
}

// A run or single line on the Z21; `erwartet` holds the XpressNet part of each datagram.
struct Fahrt {
    QString adresse = QStringLiteral("3");
    int fahrstufen = 0; // the entry chosen in "Fahrstufen"
    QStringList tabelle;
    bool einzeln = false;
    qint64 stoppBei = 0, schliessenBei = 0; // 0: never
    QStringList erwartet, klaenge;
    int hinweise = 0;
};

// The simulator as a child process on a free port.
struct Simulator : Simulatorprozess {
    bool starte()
    {
        schnitt = ohneZeit;
        return Simulatorprozess::starte(QStringLiteral(Z21_SIMULATOR), {"--port", "0"}) && port() != 0;
    }
};

// A Z21 played by the test on a local UDP port: it answers the serial number, and
// each status request as its script says, one character per request: "a" answers,
// "-" loses the answer, "x" loses it but broadcasts "track on" instead. Past the end
// of the script every request is answered.
struct SpielZ21 {
    QUdpSocket socket;
    QString skript;
    QStringList empfangen; // every datagram, in hex
    int statusAnfragen = 0;

    bool starte()
    {
        if (!socket.bind(QHostAddress::LocalHost, 0))
            return false;
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = socket.receiveDatagram();
                const QString h = hex(d.data());
                empfangen << h;
                QString antwort;
                if (h == u"04 00 10 00") {
                    antwort = QStringLiteral("08 00 10 00 40 E2 01 00");
                } else if (h == u"07 00 40 00 21 24 05") {
                    const QChar was = statusAnfragen < skript.size() ? skript.at(statusAnfragen) : QChar(u'a');
                    ++statusAnfragen;
                    antwort = was == u'a' ? QStringLiteral("08 00 40 00 62 22 00 40")
                              : was == u'x' ? QStringLiteral("07 00 40 00 61 01 60")
                                            : QString();
                }
                if (!antwort.isEmpty())
                    socket.writeDatagram(bytes(antwort), d.senderAddress(), quint16(d.senderPort()));
            }
        });
        return true;
    }
};

// Where the link reports the loss: as the run logic does, it sends the locomotive's
// stop at once, and notes whether the link still took it.
struct StoppAmMelder : Gleismelder {
    Z21Verbindung *z21 = nullptr;
    QList<bool> gesendet; // per report of the lost link
    void meldeGleiszustand(Gleiszustand zustand) override
    {
        if (zustand == Gleiszustand::verbindungVerloren)
            gesendet << z21->sende(bytes("0A 00 40 00 E4 10 00 03 80 77"));
    }
};

} // namespace

Q_DECLARE_METATYPE(Fahrt)

class TestZ21 : public QObject {
    Q_OBJECT
private slots:
    void datagramme_data()
    {
        QTest::addColumn<QByteArray>("ist");
        QTest::addColumn<QString>("soll"); // empty: nothing may go out
        QTest::newRow("broadcastflags") << z21Broadcastflags(0x12345601) << "08 00 50 00 01 56 34 12";
        // Z21 LAN protocol document, 7.2 LAN_RMBUS_GETDATA with its group, five bytes in all.
        QTest::newRow("rmbus abfrage gruppe 1") << z21RmBusAbfrage(1) << "05 00 81 00 01";
        const auto fahren = [](qint64 adresse, int stufen, int fahrstufe, const char *einheit) {
            return oder(z21Fahrbefehl(adresse, stufen, z21Fahrbyte(stufen, fahrstufe, istVorwaerts(einheit))));
        };
        QTest::newRow("1234, 128, 63 vorwaerts") << fahren(1234, 128, 63, "S") << "0A 00 40 00 E4 13 C4 D2 C0 21";
        // The speed bytes below follow the Z21 LAN protocol document, 4.2
        // LAN_X_SET_LOCO_DRIVE: RVVVVVVV in the DCC coding of the chosen mode. 14 steps:
        // 0x00 stop, 0x01 emergency stop, 0x02 step 1 ... 0x0F step 14. 28 steps: bit 4
        // is the lowest bit, 0x00/0x10 stop, 0x01/0x11 emergency stop, 0x02 step 1,
        // 0x12 step 2, 0x03 step 3 ... 0x0F step 27, 0x1F step 28. 128 steps: 0x00 stop,
        // 0x01 emergency stop, 0x02 step 1 ... 0x7F step 126.
        QTest::newRow("14 stufen, rueckwaerts") << fahren(3, 14, 5, "s") << "0A 00 40 00 E4 10 00 03 06 F1";
        QTest::newRow("14 stufen, stufe 1") << fahren(3, 14, 1, "S") << "0A 00 40 00 E4 10 00 03 82 75";
        QTest::newRow("14 stufen, stufe 14") << fahren(3, 14, 14, "S") << "0A 00 40 00 E4 10 00 03 8F 78";
        QTest::newRow("14 stufen, halt") << fahren(3, 14, 0, "s") << "0A 00 40 00 E4 10 00 03 00 F7";
        QTest::newRow("28 stufen, halt vorwaerts") << fahren(3, 28, 0, "M") << "0A 00 40 00 E4 12 00 03 80 75";
        QTest::newRow("28 stufen, stufe 1") << fahren(3, 28, 1, "S") << "0A 00 40 00 E4 12 00 03 82 77";
        QTest::newRow("28 stufen, stufe 2") << fahren(3, 28, 2, "S") << "0A 00 40 00 E4 12 00 03 92 67";
        QTest::newRow("28 stufen, stufe 3 rueckwaerts") << fahren(3, 28, 3, "s") << "0A 00 40 00 E4 12 00 03 03 F6";
        QTest::newRow("28 stufen, stufe 5") << fahren(3, 28, 5, "S") << "0A 00 40 00 E4 12 00 03 84 71";
        QTest::newRow("28 stufen, stufe 15") << fahren(3, 28, 15, "S") << "0A 00 40 00 E4 12 00 03 89 7C";
        QTest::newRow("28 stufen, stufe 16") << fahren(3, 28, 16, "S") << "0A 00 40 00 E4 12 00 03 99 6C";
        QTest::newRow("28 stufen, stufe 27") << fahren(3, 28, 27, "S") << "0A 00 40 00 E4 12 00 03 8F 7A";
        QTest::newRow("28 stufen, stufe 28") << fahren(3, 28, 28, "S") << "0A 00 40 00 E4 12 00 03 9F 6A";
        QTest::newRow("128 stufen, stufe 126") << fahren(3, 128, 126, "S") << "0A 00 40 00 E4 13 00 03 FF 0B";
        QTest::newRow("128 stufen, 200 faehrt 126") << fahren(3, 128, 200, "s") << "0A 00 40 00 E4 13 00 03 7F 8B";
        QTest::newRow("27 stufen gibt es nicht") << fahren(3, 27, 5, "S") << "";
        QTest::newRow("adresse 127 kurz") << fahren(127, 128, 0, "m") << "0A 00 40 00 E4 13 00 7F 00 88";
        QTest::newRow("adresse 128 lang") << fahren(128, 128, 0, "m") << "0A 00 40 00 E4 13 C0 80 00 B7";
        QTest::newRow("adresse 9999") << fahren(9999, 128, 0, "m") << "0A 00 40 00 E4 13 E7 0F 00 1F";
        QTest::newRow("adresse 10000") << fahren(10000, 128, 0, "m") << "";
        QTest::newRow("adresse 0") << fahren(0, 128, 0, "m") << "";
        QTest::newRow("F0 an, adresse 3") << oder(z21Funktionsbefehl(3, 0, true)) << "0A 00 40 00 E4 F8 00 03 40 5F";
        QTest::newRow("F4 aus, adresse 9999") << oder(z21Funktionsbefehl(9999, 4, false))
                                              << "0A 00 40 00 E4 F8 E7 0F 04 F0";
        QTest::newRow("F1 adresse 10000") << oder(z21Funktionsbefehl(10000, 1, true)) << "";
    }
    void datagramme()
    {
        QFETCH(QByteArray, ist);
        QTEST(hex(ist), "soll");
    }

    void empfangen_data()
    {
        QTest::addColumn<QString>("datagramm");
        QTest::addColumn<QString>("pakete");
        QTest::newRow("zwei in einem") << "08 00 10 00 40 E2 01 00 08 00 40 00 62 22 02 42"
                                       << "10:40 E2 01 00|40:62 22 02 42";
        QTest::newRow("falsches pruefbyte, das naechste zaehlt") << "07 00 40 00 61 01 61 07 00 40 00 61 00 61"
                                                                 << "40:61 00 61";
        QTest::newRow("laenge ueber das ende") << "08 00 10 00 40 E2 01" << "";
        QTest::newRow("laenge unter 4 beendet") << "03 00 07 00 40 00 61 01 60" << "";
        QTest::newRow("rest ohne kopf") << "07 00 40 00 61 01 60 07 00" << "40:61 01 60";
        QTest::newRow("x ohne pruefbyte") << "05 00 40 00 61" << "";
    }
    void empfangen()
    {
        QFETCH(QString, datagramm);
        const QList<Z21Paket> liste = z21Pakete(bytes(datagramm));
        QTEST(alsText(liste), "pakete");
        if (liste.size() == 2) {
            QCOMPARE(z21Seriennummer(liste[0]), std::optional<quint32>(123456));
            QCOMPARE(z21Zentralenstatus(liste[1]), std::optional<quint8>(2));
            QVERIFY(!z21Seriennummer(liste[1]) && !z21Zentralenstatus(liste[0]));
        }
    }

    // The feedback contacts a datagram reports, as the Z21 LAN protocol document lays
    // them out (7.1 LAN_RMBUS_DATACHANGED: group, one byte per module, bit 0 input 1;
    // 10.1 LAN_CAN_DETECTOR of type 0x01): "R<group>:" and the occupied contacts of an
    // R-Bus record, "C:<contact> belegt|frei" for a CAN detector, one per packet.
    void kontakte_data()
    {
        QTest::addColumn<QString>("datagramm");
        QTest::addColumn<QString>("kontakte");
        QTest::newRow("kontakt 12 belegt") << "0F 00 80 00 00 00 08 00 00 00 00 00 00 00 00" << "R0:12";
        QTest::newRow("bit 0 ist eingang 1 des moduls") << "0F 00 80 00 00 01 01 00 00 00 00 00 00 00 00" << "R0:1,9";
        QTest::newRow("gruppe 1 zaehlt ab 81") << "0F 00 80 00 01 01 00 00 00 00 00 00 00 00 80" << "R1:81,160";
        QTest::newRow("zwei saetze in einem datagramm")
            << "0F 00 80 00 00 00 00 00 00 00 00 00 00 00 80 0F 00 80 00 01 00 00 00 00 00 00 00 00 00 00"
            << "R0:80|R1:";
        QTest::newRow("can belegt") << "0E 00 C4 00 00 D0 01 00 03 01 00 11 00 00" << "C:4 belegt";
        QTest::newRow("can frei, adresse 2") << "0E 00 C4 00 00 D0 02 00 00 01 00 01 00 00" << "C:9 frei";
        QTest::newRow("can ueberlast ist belegt") << "0E 00 C4 00 00 D0 01 00 07 01 01 12 00 00" << "C:8 belegt";
        QTest::newRow("can railcom, kein kontakt") << "0E 00 C4 00 00 D0 01 00 03 11 03 00 00 00" << "";
    }
    void kontakte()
    {
        QFETCH(QString, datagramm);
        QStringList teile;
        for (const Z21Paket &p : z21Pakete(bytes(datagramm))) {
            if (const auto r = z21RmBusKontakte(p)) {
                QStringList belegt;
                for (const Kontaktmeldung &k : r->kontakte)
                    if (k.belegt)
                        belegt << QString::number(k.nummer);
                QCOMPARE(r->kontakte.size(), 80);
                teile << QStringLiteral("R%1:").arg(r->gruppe) + belegt.join(u',');
            } else if (const auto k = z21CanKontakt(p)) {
                teile << QStringLiteral("C:%1 ").arg(k->nummer) + (k->belegt ? QStringLiteral("belegt") : QStringLiteral("frei"));
            }
        }
        QTEST(teile.join(u'|'), "kontakte");
    }

    // A contact line against the simulator: at the connect the link asks for both R-Bus
    // groups and knows the contacts free; "K" drives locomotive 3 forwards at step 126,
    // the simulator's locomotive reaches contact 2, its LAN_RMBUS_DATACHANGED ends the
    // line's wait and the next line drives after it.
    void kontaktZumSimulator()
    {
        Aufbau a;
        const int option = zentralenoption(QStringLiteral("Z21"));
        a.feld.option = option;
        a.feld.adresse = QStringLiteral("3");
        Simulator sim;
        QVERIFY(sim.starte());
        Z21Verbindung link;
        link.setzeGleismelder(&a.ablauf.gleismelder(option));
        Z21Treiber treiber(a.ablauf, link, zentralenzeile(option)->lesart);
        treiber.setzeFahrstufen(3);
        a.ablauf.setzeTreiber(option, &treiber);
        QVERIFY(test::verbindeUndWarte(link, QStringLiteral("127.0.0.1"), sim.port()));
        QTRY_COMPARE(a.ablauf.kontaktzustand(option, 2), std::optional<bool>(false));
        a.zeilen({"2,K,126", "1,S,5"});
        QSignalSpy verfehlt(&a.ablauf, &Ablauf::kontaktVerfehlt);
        bool wartete = false;
        a.zeit.bei(1000, [&] {
            wartete = a.ablauf.wartetAufKontakt() == 2;
            QTRY_COMPARE(a.ablauf.kontaktzustand(option, 2), std::optional<bool>(true));
        });
        a.ablauf.btnStart_Click();
        QVERIFY(wartete);
        QVERIFY(!a.ablauf.laeuft());
        QCOMPARE(verfehlt.size(), 0);
        QTRY_VERIFY(sim.anzahl(QStringLiteral("Lok 3: 128 Fahrstufen, vorwärts, Fahrstufe 5,")) > 0);
        // Z21 LAN protocol document, 7.1: group 0, input 2 of module 1, between the lines.
        const QStringList zeilen = sim.lies();
        const auto stelle = [&](const char *text) { qsizetype i = 0; while (i < zeilen.size() && !zeilen[i].contains(text)) ++i; return i; };
        const qsizetype satz = stelle("0F 00 80 00 00 02 00 00 00 00 00 00 00 00 00  Strecke: Lok 3");
        QVERIFY(satz < zeilen.size());
        QVERIFY(stelle("Fahrstufe 126,") < satz);
        QVERIFY(satz < stelle("Fahrstufe 5,"));
    }

    // The simulator's decoder: datagrams from clients "A" and "B" ("A 04 00 10 00");
    // the line printed for the last packet and the answers to the last datagram.
    void simulator_data()
    {
        QTest::addColumn<QStringList>("eingaben");
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<QStringList>("antworten");
        QTest::newRow("seriennummer") << QStringList{"A 04 00 10 00"}
                                      << "04 00 10 00  LAN_GET_SERIAL_NUMBER -> Seriennummer 123456"
                                      << QStringList{"A 08 00 10 00 40 E2 01 00"};
        const QString lok = QStringLiteral("Licht aus, F1 aus, F2 aus, F3 aus, F4 aus");
        QTest::newRow("128 stufen") << QStringList{"A 0A 00 40 00 E4 13 C4 D2 C0 21"}
                                    << "0A 00 40 00 E4 13 C4 D2 C0 21  LAN_X_SET_LOCO_DRIVE -> Lok 1234: 128 "
                                       "Fahrstufen, vorwärts, Fahrstufe 63, " + lok
                                    << QStringList{};
        // As the Z21 LAN protocol document reads them (4.2 LAN_X_SET_LOCO_DRIVE,
        // the tables of the 14- and 28-step coding): locomotive 3, what the simulator prints.
        const auto lok3 = [&](const char *name, const QString &datagramm, const QString &zustand) {
            QTest::newRow(name) << QStringList{"A " + datagramm}
                                << datagramm + "  LAN_X_SET_LOCO_DRIVE -> Lok 3: " + zustand + ", " + lok << QStringList{};
        };
        lok3("28 stufen lesen das fuenfte bit", "0A 00 40 00 E4 12 00 03 1B EE", "28 Fahrstufen, rückwärts, Fahrstufe 20");
        lok3("28 stufen, 0x02 ist stufe 1", "0A 00 40 00 E4 12 00 03 82 77", "28 Fahrstufen, vorwärts, Fahrstufe 1");
        lok3("28 stufen, 0x12 ist stufe 2", "0A 00 40 00 E4 12 00 03 92 67", "28 Fahrstufen, vorwärts, Fahrstufe 2");
        lok3("28 stufen, 0x1F ist stufe 28", "0A 00 40 00 E4 12 00 03 9F 6A", "28 Fahrstufen, vorwärts, Fahrstufe 28");
        lok3("28 stufen, 0x10 haelt", "0A 00 40 00 E4 12 00 03 90 65", "28 Fahrstufen, vorwärts, Fahrstufe 0");
        lok3("28 stufen, 0x11 ist nothalt", "0A 00 40 00 E4 12 00 03 91 64", "28 Fahrstufen, vorwärts, Nothalt");
        lok3("14 stufen, 0x0F ist stufe 14", "0A 00 40 00 E4 10 00 03 8F 78", "14 Fahrstufen, vorwärts, Fahrstufe 14");
        lok3("14 stufen, nothalt", "0A 00 40 00 E4 10 00 03 81 76", "14 Fahrstufen, vorwärts, Nothalt");
        QTest::newRow("F0 an, F2 umschalten")
            << QStringList{"A 0A 00 40 00 E4 F8 00 03 40 5F", "A 0A 00 40 00 E4 F8 00 03 82 9D"}
            << "0A 00 40 00 E4 F8 00 03 82 9D  LAN_X_SET_LOCO_FUNCTION F2 umschalten -> Lok 3: 128 Fahrstufen, "
               "vorwärts, Fahrstufe 0, Licht an, F1 aus, F2 an, F3 aus, F4 aus" << QStringList{};
        QTest::newRow("status bei gleis aus")
            << QStringList{"A 07 00 40 00 21 80 A1", "A 07 00 40 00 21 24 05"}
            << "07 00 40 00 21 24 05  LAN_X_GET_STATUS -> Gleis aus" << QStringList{"A 08 00 40 00 62 22 02 42"};
        QTest::newRow("gleis aus: absender und wer flag 1 hat")
            << QStringList{"B 08 00 50 00 01 00 00 00", "C 04 00 10 00", "A 07 00 40 00 21 80 A1"}
            << "07 00 40 00 21 80 A1  LAN_X_SET_TRACK_POWER_OFF -> Gleis aus"
            << QStringList{"A 07 00 40 00 61 00 61", "B 07 00 40 00 61 00 61"};
        QTest::newRow("abgemeldet hoert nichts mehr")
            << QStringList{"B 08 00 50 00 01 00 00 00", "B 04 00 30 00", "A 07 00 40 00 21 81 A0"}
            << "07 00 40 00 21 81 A0  LAN_X_SET_TRACK_POWER_ON -> Gleis an" << QStringList{"A 07 00 40 00 61 01 60"};
        QTest::newRow("falsches pruefbyte") << QStringList{"A 07 00 40 00 21 81 A1"}
                                            << "07 00 40 00 21 81 A1  FEHLER: Prüfbyte A1, richtig wäre A0"
                                            << QStringList{};
        QTest::newRow("laenge ueber das ende") << QStringList{"A 07 00 10 00 21 24 05 0A 00 40 00 E4 13"}
                                               << "FEHLER: Länge 10 passt nicht, 6 Bytes übrig: 0A 00 40 00 E4 13"
                                               << QStringList{};
        QTest::newRow("falsche laenge fuer den befehl") << QStringList{"A 09 00 40 00 E4 13 00 03 F4"}
                                                        << "09 00 40 00 E4 13 00 03 F4  FEHLER: Länge 9 falsch "
                                                           "für E4 13" << QStringList{};
        QTest::newRow("unbekannter x-befehl") << QStringList{"A 06 00 40 00 F1 F1"}
                                              << "06 00 40 00 F1 F1  unbekannter X-Befehl -> LAN_X_UNKNOWN_COMMAND"
                                              << QStringList{"A 07 00 40 00 61 82 E3"};
    }
    void simulator()
    {
        QFETCH(QStringList, eingaben);
        QFETCH(QStringList, antworten);
        Z21Dekodierer z21;
        Z21Ergebnis e;
        for (const QString &eingabe : eingaben)
            e = z21.verarbeite(bytes(eingabe.mid(2)), eingabe.left(1));
        QTEST(e.zeilen.last(), "zeile");
        QStringList gesendet;
        for (const Z21Antwort &a : e.antworten)
            gesendet << a.ziel + u' ' + hex(a.datagramm);
        QCOMPARE(gesendet, antworten);
    }

    // Two locomotives at once on the simulator's decoder, each on a track of its own:
    // the first one driven on R-Bus inputs 1 and 2 as always, the second on inputs 3
    // and 4 of the same module (Z21 LAN protocol document, 7.1 LAN_RMBUS_DATACHANGED:
    // group 0, ten module bytes, bit 0 input 1). Steps "<ms> <datagram>" from client A
    // (which asked for the R-Bus with flag 0x00000002), "<ms> <layout action>" or
    // "<ms>" alone; what went to A, and the simulator's lines of the contacts.
    void simulatorZweiLoks_data()
    {
        QTest::addColumn<QStringList>("schritte");
        QTest::addColumn<QStringList>("anA");
        QTest::addColumn<QStringList>("strecke");
        const auto satz = [](const char *modul1) {
            return QStringLiteral("0F 00 80 00 00 %1 00 00 00 00 00 00 00 00 00").arg(QLatin1String(modul1));
        };
        const auto zeile = [](int lok, int mm, int kontakt, bool belegt) {
            return QStringLiteral("Strecke: Lok %1 bei %2 mm, Kontakt %3 %4 -> LAN_RMBUS_DATACHANGED")
                .arg(lok).arg(mm).arg(kontakt).arg(belegt ? QStringLiteral("belegt") : QStringLiteral("frei"));
        };
        // 4.2 LAN_X_SET_LOCO_DRIVE, 128 steps, step 126 forwards: locomotive 3 at 0 ms
        // reaches input 2 at 1300 ms, locomotive 4 from 500 ms input 4 at 1800 ms.
        QTest::newRow("3 und 4 nacheinander")
            << QStringList{"0 08 00 50 00 02 00 00 00", "0 0A 00 40 00 E4 13 00 03 FF 0B",
                           "500 0A 00 40 00 E4 13 00 04 FF 0C", "1300", "1400", "1800", "1900"}
            << QStringList{satz("02"), satz("00"), satz("08"), satz("00")}
            << QStringList{zeile(3, 2800, 2, true), zeile(3, 2900, 2, false), zeile(4, 2800, 4, true),
                           zeile(4, 2900, 4, false)};
        // Locomotive 4 in 28 steps, step 28 backwards (RV 0x1F), reaches input 3 (its
        // track's first contact, 0.1 m to 0.2 m) at the same moment as locomotive 3
        // input 2: both records, the second with both inputs. The emergency stop halts
        // both where they stand, and the module reads so afterwards.
        QTest::newRow("rückwärts auf 3, nothalt hält beide")
            << QStringList{"0 08 00 50 00 02 00 00 00", "0 0A 00 40 00 E4 13 00 03 FF 0B",
                           "0 0A 00 40 00 E4 12 00 04 1F ED", "1300", "1350 nothalt", "3000",
                           "3000 05 00 81 00 00"}
            << QStringList{satz("02"), satz("06"), satz("06")}
            << QStringList{zeile(3, 2800, 2, true), zeile(4, 200, 3, true)};
    }
    void simulatorZweiLoks()
    {
        QFETCH(QStringList, schritte);
        Z21Dekodierer z21;
        QStringList anA, strecke;
        const auto nimm = [&](const Z21Ergebnis &e) {
            for (const QString &zeile : e.zeilen)
                if (zeile.contains(u"  Strecke: "))
                    strecke << zeile.section(QStringLiteral("  "), 1);
            for (const Z21Antwort &a : e.antworten)
                if (a.ziel == u"A")
                    anA << hex(a.datagramm);
        };
        for (const QString &schritt : schritte) {
            const QString rest = schritt.section(u' ', 1);
            nimm(z21.bewege(schritt.section(u' ', 0, 0).toLongLong()));
            if (rest.isEmpty())
                continue;
            nimm(rest.at(0).isLetter() ? z21.anlage(rest) : z21.verarbeite(bytes(rest), QStringLiteral("A")));
        }
        QTEST(anA, "anA");
        QTEST(strecke, "strecke");
    }

    void fahrt_data()
    {
        QTest::addColumn<Fahrt>("fahrt");
        const QStringList ende(2, QStringLiteral("2100 Signal.wav"));
        QTest::newRow("128, ein stopp haelt vorwaerts") << Fahrt{.adresse = "1234", .fahrstufen = 3,
            .tabelle = {"60,S,63,X", "60,S,5"}, .stoppBei = 3000,
            .erwartet = QStringList{"0 E4 13 C4 D2 C0 21"} + funktionen("100", "C4 D2", "10000")
                        + QStringList{"3000 E4 13 C4 D2 80 61"}, .klaenge = {"3000 Signal.wav"}};
        // The pass ends in the direction of the line driven, not of the skipped one.
        QTest::newRow("28, passende wie die letzte gefahrene zeile") << Fahrt{.fahrstufen = 2,
            .tabelle = {"2,S,5", "0,s,9"}, .erwartet = QStringList{"0 E4 12 00 03 84 71"}
            + funktionen("100", "00 03", "00000") + QStringList{"2100 E4 12 00 03 80 75"}, .klaenge = ende};
        // The demo table in each mode: 30 and 80 drive at the mode's top, not at a stop
        // or an emergency stop (Z21 LAN protocol document, 4.2).
        QTest::newRow("28: 30 und 80 fahren 28") << Fahrt{.fahrstufen = 2, .tabelle = {"1,S,30", "1,s,80"},
            .erwartet = QStringList{"0 E4 12 00 03 9F 6A"} + funktionen("100", "00 03", "00000")
                        + QStringList{"1100 E4 12 00 03 1F EA"} + funktionen("1200", "00 03", "00000")
                        + QStringList{"2200 E4 12 00 03 00 F5"}, .klaenge = {"2200 Signal.wav", "2200 Signal.wav"}};
        QTest::newRow("14: 30 und 80 fahren 14") << Fahrt{.fahrstufen = 0, .tabelle = {"1,S,30", "1,s,80"},
            .erwartet = QStringList{"0 E4 10 00 03 8F 78"} + funktionen("100", "00 03", "00000")
                        + QStringList{"1100 E4 10 00 03 0F F8"} + funktionen("1200", "00 03", "00000")
                        + QStringList{"2200 E4 10 00 03 00 F7"}, .klaenge = {"2200 Signal.wav", "2200 Signal.wav"}};
        QTest::newRow("schliessen vor den funktionen: halt vorwaerts, dann nichts") << Fahrt{.fahrstufen = 3,
            .tabelle = {"60,S,5"}, .schliessenBei = 50, .erwartet = {"0 E4 13 00 03 86 72", "50 E4 13 00 03 80 74"}};
        QTest::newRow("adresse 10000: nur die pausen") << Fahrt{.adresse = "10000", .tabelle = {"2,s,5"},
                                                                .klaenge = ende};
        QTest::newRow("27, einzelne zeile") << Fahrt{.fahrstufen = 1, .tabelle = {"2,s,5"}, .einzeln = true,
                                                     .hinweise = 1};
        QTest::newRow("einzelne zeile") << Fahrt{.tabelle = {"5,S,10,X,,, ,X"}, .einzeln = true,
            .erwartet = QStringList{"0 E4 10 00 03 8B 7C"} + funktionen("200", "00 03", "10011")
                        + QStringList{"5200 E4 10 00 03 80 77"},
            .klaenge = {"5200 ring.wav", "6200 ring.wav", "7200 ring.wav"}};
        // A stop cuts the wait short: of the rest of the line only the functions that
        // stay off go out (the stop latch holds back the light and F4), its halt follows
        // at once, the ring sequence without its pauses.
        QTest::newRow("einzelne zeile, stopp in der pause") << Fahrt{.tabelle = {"5,S,10,X,,, ,X"},
            .einzeln = true, .stoppBei = 50,
            .erwartet = QStringList{"0 E4 10 00 03 8B 7C"} + funktionen("50", "00 03", "10011").mid(1, 2)
                        + QStringList{"50 E4 10 00 03 80 77"},
            .klaenge = QStringList(3, QStringLiteral("50 ring.wav"))};
        QTest::newRow("einzelne zeile, stopp in der dauer") << Fahrt{.tabelle = {"5,s,10"},
            .einzeln = true, .stoppBei = 1000,
            .erwartet = QStringList{"0 E4 10 00 03 0B FC"} + funktionen("200", "00 03", "00000")
                        + QStringList{"1000 E4 10 00 03 00 F7"},
            .klaenge = QStringList(3, QStringLiteral("1000 ring.wav"))};
    }
    void fahrt()
    {
        QFETCH(Fahrt, fahrt);
        Aufbau a;
        a.feld.option = zentralenoption(QStringLiteral("Z21"));
        a.feld.adresse = fahrt.adresse;
        a.feld.mitSignal = true;
        a.z21.setzeFahrstufen(fahrt.fahrstufen);
        int hinweise = 0;
        a.z21.hinweis = [&](const QString &text) {
            QCOMPARE(text, QStringLiteral("Die Z21 kennt keine 27 Fahrstufen, bitte 14, 28 oder 128 wählen !"));
            ++hinweise;
        };
        a.zeilen(fahrt.tabelle);
        if (fahrt.stoppBei > 0)
            a.zeit.bei(fahrt.stoppBei, [&] { a.ablauf.stoppKlick(); });
        if (fahrt.schliessenBei > 0)
            a.zeit.bei(fahrt.schliessenBei, [&] { a.ablauf.beenden(); });
        fahrt.einzeln ? a.ablauf.btnSendZeile_Click() : a.ablauf.btnStart_Click();
        QCOMPARE(a.z21link.gesendet.replaceInStrings(QStringLiteral(" 0A 00 40 00 "), QStringLiteral(" ")),
                 fahrt.erwartet);
        QCOMPARE(a.klaenge(), fahrt.klaenge);
        QCOMPARE(hinweise, fahrt.hinweise);
    }

    // Over real UDP: the serial number, the flags and status after it, the regular
    // status request, a command and the answer it brings, a second connect by name
    // that logs off first, and the logoff at the end; every datagram in the log.
    void mitSimulator()
    {
        Simulator sim;
        QVERIFY(sim.starte());
        QTemporaryDir verzeichnis;
        const QString logPfad = verzeichnis.filePath(QStringLiteral("verkehr.log"));
        Verkehrsprotokoll log;
        QVERIFY(log.oeffne(logPfad));

        Z21Verbindung z21;
        QSignalSpy pakete(&z21, &Z21Verbindung::paket);
        z21.setzeStatusAbstand(100);
        QSignalSpy antworten(&z21, &Z21Verbindung::antwort);
        QVERIFY(test::verbindeUndWarte(z21, QStringLiteral("127.0.0.1"), sim.port()));
        QVERIFY(z21.verbunden());
        QCOMPARE(antworten.value(0).value(0).toString(), QStringLiteral("Z21 verbunden, Seriennummer 123456"));
        QTRY_VERIFY(sim.anzahl(QStringLiteral("LAN_X_GET_STATUS")) >= 3);
        QCOMPARE(sim.lies().mid(0, 2), (QStringList{"04 00 10 00  LAN_GET_SERIAL_NUMBER -> Seriennummer 123456",
                                                    "08 00 50 00 03 00 08 00  LAN_SET_BROADCASTFLAGS 00080003"}));
        QVERIFY(z21.sende(z21Gleisspannung(false)));
        QTRY_VERIFY(std::any_of(pakete.cbegin(), pakete.cend(), [](const QList<QVariant> &p) {
            return p.at(0).value<Z21Paket>().daten == bytes("61 00 61");
        }));

        QVERIFY(test::verbindeUndWarte(z21, QStringLiteral("localhost"), sim.port()));
        QCOMPARE(z21.seriennummer(), std::optional<quint32>(123456));
        QCOMPARE(sim.anzahl(QStringLiteral("LAN_LOGOFF")), 1);
        z21.schliesse();
        QVERIFY(!z21.verbunden());
        QVERIFY(!z21.sende(z21Gleisspannung(true)));
        QTRY_COMPARE(sim.anzahl(QStringLiteral("LAN_LOGOFF")), 2);
        QCOMPARE(sim.lies().last().left(11), QStringLiteral("04 00 30 00"));

        QFile datei(logPfad);
        QVERIFY(datei.open(QIODevice::ReadOnly));
        const QStringList eintraege = QString::fromUtf8(datei.readAll()).split(u'\n', Qt::SkipEmptyParts);
        const auto eintrag = [&](int i) { return eintraege.at(i).section(u' ', 1); };
        QCOMPARE(eintrag(1), QStringLiteral("Z21 > 04 00 10 00"));
        QCOMPARE(eintrag(2), QStringLiteral("Z21 < 08 00 10 00 40 E2 01 00"));
        QCOMPARE(eintrag(int(eintraege.size()) - 1), QStringLiteral("Z21 > 04 00 30 00"));
    }

    // The simulator forgets a client silent for a minute, as the Z21 does (Z21 LAN
    // protocol document, 2.2 LAN_LOGOFF): it hears no broadcast any more.
    void stilleClients()
    {
        Z21Dekodierer z21;
        for (const char *client : {"A", "B"}) {
            z21.verarbeite(bytes("08 00 50 00 01 00 00 00"), QString::fromLatin1(client));
            z21.gehoert(QString::fromLatin1(client), 0);
        }
        z21.gehoert(QStringLiteral("B"), 30000);
        QCOMPARE(z21.vergissStille(59999), QStringList{});
        QCOMPARE(z21.vergissStille(60000), QStringList{"A seit 60 s still -> abgemeldet"});
        QStringList hoeren;
        for (const Z21Antwort &a : z21.anlage(QStringLiteral("aus")).antworten)
            hoeren << a.ziel;
        QCOMPARE(hoeren, QStringList{"B"});
        QCOMPARE(z21.vergissStille(90000), QStringList{"B seit 60 s still -> abgemeldet"});
        QVERIFY(z21.clients().isEmpty());
    }

    // Status answers that go missing: after a missing one the link asks again at once
    // and twice more; it counts as lost only when none of them is answered and nothing
    // else came from the Z21 meanwhile, and then it reports the loss while it still
    // sends, so the locomotive's stop goes out before the link is given up. A Z21 that
    // restarts forgets the broadcast flags: every status request, the first at the
    // connect and each regular one, goes out right after LAN_SET_BROADCASTFLAGS with the
    // flags of the connect (Z21 LAN protocol document, 2.16: 0x00080003, little endian,
    // the general messages, the R-Bus and the CAN detectors); the connect's
    // LAN_RMBUS_GETDATA for groups 0 and 1 follow the first. A status request asked
    // again after a missing answer needs no flags of its own.
    void nachfragen_data()
    {
        QTest::addColumn<QString>("skript");
        QTest::addColumn<bool>("verloren");
        QTest::addColumn<int>("anfragen"); // status requests up to the next regular one
        QTest::addColumn<QStringList>("anfang"); // the first datagrams the Z21 hears
        const QString flags = QStringLiteral("08 00 50 00 03 00 08 00"), status = QStringLiteral("07 00 40 00 21 24 05");
        const QStringList connect{"04 00 10 00", flags, status, "05 00 81 00 00", "05 00 81 00 01"};
        QTest::newRow("jede antwort kommt") << "" << false << 2 << connect + QStringList{flags, status};
        QTest::newRow("eine antwort fehlt") << "-" << false << 3 << connect + QStringList{status, flags, status};
        QTest::newRow("drei fehlen, die dritte nachfrage kommt an") << "---" << false << 5 << QStringList{};
        QTest::newRow("vier fehlen") << "----" << true << 4 << QStringList{};
        QTest::newRow("vier fehlen, ein rundruf dazwischen") << "-x--" << false << 5 << QStringList{};
        QTest::newRow("vier fehlen, ein rundruf vor der ersten nachfrage") << "x---" << false << 5 << QStringList{};
    }
    void nachfragen()
    {
        QFETCH(QString, skript);
        QFETCH(bool, verloren);
        QFETCH(int, anfragen);
        SpielZ21 zentrale;
        zentrale.skript = skript;
        QVERIFY(zentrale.starte());
        Z21Verbindung z21;
        StoppAmMelder melder;
        melder.z21 = &z21;
        z21.setzeGleismelder(&melder);
        z21.setzeStatusAbstand(3000);
        z21.setzeStatusFrist(300);
        z21.setzeNachfrageAbstand(300);
        QSignalSpy weg(&z21, &Z21Verbindung::verloren);
        QVERIFY(test::verbindeUndWarte(z21, QStringLiteral("127.0.0.1"), zentrale.socket.localPort()));
        const QString status = QStringLiteral("07 00 40 00 21 24 05");
        const QString stopp = QStringLiteral("0A 00 40 00 E4 10 00 03 80 77");
        if (verloren) {
            // The first request and three more, then the stop; nothing after it.
            QTRY_COMPARE(weg.size(), 1);
            QCOMPARE(melder.gesendet, QList<bool>{true});
            QVERIFY(!z21.verbunden());
            // The connect's R-Bus questions aside.
            QStringList gehoert = zentrale.empfangen.mid(zentrale.empfangen.indexOf(status));
            gehoert.removeIf([](const QString &d) { return d.startsWith(u"05 00 81 00"); });
            QCOMPARE(gehoert, (QStringList{status, status, status, status, stopp}));
            QCOMPARE(zentrale.statusAnfragen, anfragen);
            QVERIFY(!z21.sende(bytes(stopp)));
        } else {
            // The regular request after the missing answers is answered: the link stands.
            QTRY_VERIFY_WITH_TIMEOUT(zentrale.statusAnfragen >= anfragen, 8000);
            QCOMPARE(weg.size(), 0);
            QVERIFY(melder.gesendet.isEmpty() && z21.verbunden());
            QCOMPARE(zentrale.empfangen.filter(status).size(), zentrale.statusAnfragen);
            QFETCH(QStringList, anfang);
            QCOMPARE(zentrale.empfangen.mid(0, anfang.size()), anfang);
        }
    }

    // A Z21 that stays silent, that is not there, or whose name does not resolve:
    // the connect gives up after its wait, the window's events run meanwhile, and
    // nothing goes out afterwards.
    void ohneAntwort_data()
    {
        QTest::addColumn<QString>("ziel");
        QTest::newRow("stumm") << "stumm";
        QTest::newRow("niemand lauscht") << "127.0.0.1";
        QTest::newRow("name unbekannt") << "z21.invalid";
    }
    void ohneAntwort()
    {
        QFETCH(QString, ziel);
        QUdpSocket stumm;
        QVERIFY(stumm.bind(QHostAddress::LocalHost, 0));
        quint16 port = stumm.localPort();
        if (ziel != u"stumm") {
            stumm.close(); // the port is free now: a datagram to it comes back refused
        }
        Z21Verbindung z21;
        z21.setzeStatusAbstand(20);
        QSignalSpy ergebnis(&z21, &Z21Verbindung::verbindungsergebnis);
        // The connect returns at once; its wait runs on the event loop.
        QVERIFY(!z21.verbinde(ziel == u"stumm" ? QStringLiteral("127.0.0.1") : ziel, port, 300));
        QVERIFY(ergebnis.isEmpty());
        QVERIFY(ergebnis.wait(5000));
        QCOMPARE(ergebnis.size(), 1);
        QCOMPARE(ergebnis.first().first().toBool(), false);
        QVERIFY(!z21.verbunden());
        QVERIFY(!z21.sende(z21Gleisspannung(false)));
        QTest::qWait(100);
        if (ziel == u"stumm") {
            QVERIFY(stumm.hasPendingDatagrams());
            QCOMPARE(hex(stumm.receiveDatagram().data()), QStringLiteral("04 00 10 00"));
            QVERIFY(!stumm.hasPendingDatagrams());
        }
    }

    // The window: the option with its captions, the port remembered per station, the
    // connection to the simulator with the green reply, the refused 27 steps, a line
    // driven, and closing with the settings after line 56 and the logoff last.
    void fenster()
    {
        Simulator sim;
        QVERIFY(sim.starte());
        Fensteranlage a;
        a.starte();
        a.meldungen.clear();
        frmTrabolin &f = *a.f;
        const int z21 = zentralenoption(QStringLiteral("Z21"));
        QCOMPARE(feld<QRadioButton>(f, "optZentrale", z21)->text(), QStringLiteral("Z2&1"));
        feld<QRadioButton>(f, "optZentrale", z21)->click();
        QCOMPARE(anzeigen(f, {"btnEcos", "lblRX", "txtLocalPort"}) << a.gespeichert().zentrale,
                 (QStringList{"PC mit Z21 verbinden", "letzte Antwort der Z21", "21105", "Z21"}));
        QVERIFY(feld<QComboBox>(f, "lstFS")->isEnabled() && !feld<QCheckBox>(f, "chkUSB")->isEnabled()
                && feld<QPushButton>(f, "btnEcos")->isEnabled());
        feld<QLineEdit>(f, "txtLocalPort")->setText(QString::number(sim.port()));
        feld<QRadioButton>(f, "optZentrale_2")->click();
        QCOMPARE(anzeigen(f, {"btnEcos", "lblRX", "txtLocalPort"}),
                 (QStringList{"PC mit Ecos verbinden", "letzte Antwort der Ecos", ""}));
        feld<QRadioButton>(f, "optZentrale", z21)->click();
        feld<QLineEdit>(f, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
        feld<QComboBox>(f, "lstFS")->setCurrentText(QStringLiteral("28"));
        feld<QPushButton>(f, "btnEcos")->click();
        QTRY_COMPARE(feld<QPlainTextEdit>(f, "txtRX")->toPlainText(), QStringLiteral("Z21 verbunden, Seriennummer 123456"));
        QCOMPARE(feld<QComboBox>(f, "lstFS")->currentText(), QStringLiteral("28")); // connecting keeps the user's mode
        QCOMPARE(feld<QPlainTextEdit>(f, "txtRX")->palette().color(QPalette::Base), QColor(0, 128, 0));
        QCOMPARE(a.knoepfe(), QStringLiteral("an"));
        QVERIFY(!feld<QPushButton>(f, "btnListe")->isEnabled() && !feld<QPushButton>(f, "btnLok")->isEnabled());

        feld<QLineEdit>(f, "txtAdresse")->setText(QStringLiteral("1234"));
        fuelleZeile(f.tabelle(), 1, QStringLiteral("60,S,63,X"));
        feld<QComboBox>(f, "lstFS")->setCurrentIndex(1);
        feld<QPushButton>(f, "btnStart")->click();
        QCOMPARE(a.meldungen, QStringList{" Z21...|Die Z21 kennt keine 27 Fahrstufen, bitte 14, 28 oder 128 wählen !"});
        // Closing during the line: speed 0 forwards, then the logoff.
        feld<QComboBox>(f, "lstFS")->setCurrentIndex(3);
        a.antwort = true;
        QTimer::singleShot(500, &f, [&] { f.close(); });
        feld<QPushButton>(f, "btnStart")->click();
        QTRY_COMPARE(sim.anzahl(QStringLiteral("LAN_LOGOFF")), 1);
        const QStringList zeilen = sim.lies();
        QCOMPARE(zeilen.filter(QStringLiteral("Lok 1234")).size(), 7);
        QVERIFY(zeilen.last().contains(QStringLiteral("LAN_LOGOFF")));
        QVERIFY(zeilen.at(zeilen.size() - 2).endsWith(
            QStringLiteral("LAN_X_SET_LOCO_DRIVE -> Lok 1234: 128 Fahrstufen, vorwärts, Fahrstufe 0, Licht an, "
                           "F1 aus, F2 aus, F3 aus, F4 aus")));
        QFile ini(a.datei(QStringLiteral("Trabolin.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QList<QByteArray> datei = ini.readAll().split('\n');
        QCOMPARE(datei.value(46), "Z21\r");
        QCOMPARE(datei.mid(datei.indexOf("[Z21 LocalPort]\r") - 1, 6),
                 (QList<QByteArray>{"\r", "[Z21 LocalPort]\r", QByteArray::number(sim.port()) + '\r', "\r",
                                    "[Z21 IP-Adresse]\r", "127.0.0.1\r"}));
    }
};

QTEST_MAIN(TestZ21)
#include "tst_z21.moc"

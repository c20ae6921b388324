// The DCC-EX station: its commands byte for byte, the cutting of what it answers, and
// the link to the station simulator over TCP on 127.0.0.1 and over a real
// pseudo-terminal, where opening the port resets the station.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Protokoll.h"
#include "helfer/Pty.h"
#include "helfer/Simulatorprozess.h"
#include "helfer/Verbinden.h"
#include "program/EchteZeit.h"
#include "program/Verkehrsprotokoll.h"
#include "serial/V24.h"
#include "stations/dccex/DccexBefehle.h"
#include "stations/dccex/DccexGleise.h"
#include "stations/dccex/DccexStartwarte.h"
#include "stations/dccex/DccexVerbindung.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <termios.h>

using namespace trabolin;
using trabolin::test::feld;

namespace {

QByteArray oder(const std::optional<QByteArray> &befehl)
{
    return befehl.value_or("nichts");
}

// The answers as "art text" lines, art as a digit of DccexArt.
QStringList alsZeilen(const QList<DccexAntwort> &antworten)
{
    QStringList zeilen;
    for (const DccexAntwort &a : antworten)
        zeilen << QString::number(int(a.art)) + u' ' + a.text;
    return zeilen;
}

// The serial station simulator as the DCC-EX station; its first line says it is ready.
struct Simulator : test::Simulatorprozess {
    bool starte(const QStringList &argumente)
    {
        schnitt = [](const QString &z) { return z.section(QStringLiteral("ms  "), 1, -1); };
        return Simulatorprozess::starte(QStringLiteral(SIMULATOR_PROGRAMM), QStringList{"--station", "dccex"} + argumente)
               && erste.contains(u"bereit");
    }
};

// Sends `befehl` and waits for the next answer of the kind `art`.
QString frage(DccexVerbindung &v, const QByteArray &befehl, DccexArt art)
{
    QString text;
    auto verbindung = QObject::connect(&v, &DccexVerbindung::rahmen, [&](const DccexAntwort &a) {
        if (a.art == art && text.isEmpty())
            text = a.text;
    });
    v.schreibe(befehl);
    const bool beantwortet = QTest::qWaitFor([&] { return !text.isEmpty(); }, 1000);
    QObject::disconnect(verbindung);
    return beantwortet ? text : QString();
}

// The pseudo-terminal "COM<nummer>" in `v24`'s folder opened as DCC-EX wants it: no
// handshake, 115200 baud.
bool oeffne(SerielleSchnittstelle &v24, int nummer)
{
    v24.setzeStandardzuordnung(false);
    v24.setzePortNummer(nummer);
    v24.setzeHandshake(false);
    return v24.oeffne().nummer == 0 && v24.setzeEinstellungen(QStringLiteral("115200,N,8,1")).nummer == 0;
}

// The window with DCC-EX over the network to 127.0.0.1:`port`.
frmTrabolin &imNetz(test::Fensteranlage &a, quint16 port)
{
    a.starte();
    a.meldungen.clear(); // start-up's own: no settings file
    frmTrabolin &f = *a.f;
    feld<QRadioButton>(f, "optZentrale_4")->click();
    feld<QCheckBox>(f, "einstellung_4_über Netzwerk")->click();
    feld<QLineEdit>(f, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
    feld<QLineEdit>(f, "txtLocalPort")->setText(QString::number(port));
    return f;
}

} // namespace

class TstDccex : public QObject {
    Q_OBJECT

private slots:
    void befehle_data()
    {
        QTest::addColumn<QByteArray>("befehl");
        QTest::addColumn<QByteArray>("erwartet");
        const auto zeile = [](const char *name, const std::optional<QByteArray> &b, const char *e) {
            QTest::newRow(name) << oder(b) << QByteArray(e);
        };
        zeile("fahren S vorwärts", dccexFahrbefehl(3, 40, "S"), "<t 3 40 1>\n");
        zeile("fahren M vorwärts", dccexFahrbefehl(3, 40, "M"), "<t 3 40 1>\n");
        zeile("fahren s rückwärts", dccexFahrbefehl(3, 40, "s"), "<t 3 40 0>\n");
        zeile("fahren f rückwärts", dccexFahrbefehl(3, 40, "f"), "<t 3 40 0>\n");
        zeile("adresse 0", dccexFahrbefehl(0, 40, "S"), "nichts");
        zeile("adresse 1", dccexFahrbefehl(1, 0, "S"), "<t 1 0 1>\n");
        zeile("adresse 10239", dccexFahrbefehl(10239, 5, "m"), "<t 10239 5 0>\n");
        zeile("adresse 10240", dccexFahrbefehl(10240, 5, "S"), "nichts");
        zeile("stufe 126", dccexFahrbefehl(3, 126, "S"), "<t 3 126 1>\n");
        zeile("stufe 127", dccexFahrbefehl(3, 127, "S"), "<t 3 126 1>\n");
        zeile("stufe -5", dccexFahrbefehl(3, -5, "S"), "<t 3 0 1>\n");
        zeile("funktion adresse 0", dccexFunktionsbefehl(0, 1, true), "nichts");
        zeile("funktion adresse 10240", dccexFunktionsbefehl(10240, 1, true), "nichts");
    }
    void befehle()
    {
        QFETCH(QByteArray, befehl);
        QTEST(befehl, "erwartet");
    }

    // Sensor frames (DCC-EX command reference; Sensor::printAll of CommandStation-EX):
    // "<Q id>" active, "<q id>" inactive; with three numbers a definition, no state.
    void kontakt_data()
    {
        QTest::addColumn<QByteArray>("rahmen");
        QTest::addColumn<QString>("kontakt");
        QTest::newRow("belegt") << QByteArray("<Q 12>") << "12+";
        QTest::newRow("frei") << QByteArray("<q 12>") << "12-";
        QTest::newRow("definition ist kein stand") << QByteArray("<Q 12 30 1>") << "-";
        QTest::newRow("die frage selbst") << QByteArray("<Q>") << "-";
        QTest::newRow("keine zahl") << QByteArray("<q x>") << "-";
        QTest::newRow("lok") << QByteArray("<l 12 0 0 0>") << "-";
    }
    void kontakt()
    {
        QFETCH(QByteArray, rahmen);
        const auto k = dccexKontakt(rahmen);
        QTEST(k ? QString::number(k->nummer) + (k->belegt ? u'+' : u'-') : QStringLiteral("-"), "kontakt");
    }

    // A "K" line for sensor 2 against the simulator, over TCP and over a pseudo-terminal:
    // once the station has answered, "<Q>" tells both sensors free; the locomotive runs
    // at step 126 onto contact 2, the station sends "<Q 2>" unasked, and only then does
    // the run stop it.
    void kontaktzeile_data()
    {
        QTest::addColumn<bool>("netz");
        QTest::newRow("tcp") << true;
        QTest::newRow("seriell") << false;
    }
    void kontaktzeile()
    {
        QFETCH(bool, netz);
        QTemporaryDir verzeichnis;
        Simulator sim;
        QVERIFY(sim.starte(netz ? QStringList{"--tcp", "0", "--boot", "0"}
                                : QStringList{"--link", verzeichnis.filePath("COM3"), "--boot", "0"}));
        Tabellenspeicher tabelle;
        test::TestBedienfeld feld;
        feld.adresse = QStringLiteral("3");
        feld.option = 4;
        EchteZeit zeit;
        test::VirtuelleZeit ohneZeit;
        test::KlangMitschrift klang(ohneZeit);
        Ablauf ablauf(tabelle, feld, zeit, klang);
        SerielleSchnittstelle v24(verzeichnis.path());
        QVERIFY(netz || oeffne(v24, 3));
        DccexVerbindung v(v24);
        v.setzeGleismelder(&ablauf.gleismelder(4));
        DccexTreiber treiber(ablauf, v, zentralenzeile(4)->lesart);
        ablauf.setzeTreiber(4, &treiber);
        v.setzeUeberNetzwerk(netz);
        QVERIFY(!netz || test::verbindeUndWarte(v, QStringLiteral("127.0.0.1"), sim.port()));
        QSignalSpy bereit(&v, &Netzverbindung::zentraleBereit);
        QVERIFY(v.warteAufZentrale());
        QVERIFY(bereit.wait(3000));
        v.schreibe(dccexPowerbefehl(true));
        QTRY_VERIFY(ablauf.kontaktzustand(2).has_value() && ablauf.gleiszustand() == Gleiszustand::an);
        QCOMPARE(ablauf.kontaktzustand(1), std::optional<bool>(false));
        QCOMPARE(ablauf.kontaktzustand(2), std::optional<bool>(false));
        QSignalSpy verfehlt(&ablauf, &Ablauf::kontaktVerfehlt);
        test::fuelleZeile(tabelle, 1, QStringLiteral("2,K,126"));
        tabelle.setzeAktuelleZeile(1);
        ablauf.btnStart_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!ablauf.laeuft(), 10000);
        QCOMPARE(verfehlt.count(), 0);
        QCOMPARE(ablauf.kontaktzustand(2), std::optional<bool>(true));
        QVERIFY(sim.wartetAuf(QStringLiteral("<t 3 0 1>")));
        const QStringList zeilen = sim.lies();
        const auto stelle = [&](const QString &anfang) {
            return std::find_if(zeilen.begin(), zeilen.end(), [&](const QString &z) { return z.startsWith(anfang); })
                   - zeilen.begin();
        };
        QVERIFY2(stelle("<t 3 126 1>") < stelle("Kontakt    2 belegt, Meldung <Q 2>")
                     && stelle("Kontakt    2 belegt") < stelle("<t 3 0 1>") && stelle("<t 3 0 1>") < zeilen.size(),
                 qPrintable(zeilen.join(u'\n')));
    }

    // Runs and single lines in virtual time: what goes out when, and when it ends.
    void fahrt_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<bool>("einzeln");
        QTest::addColumn<qint64>("stoppBei"); // "St&op" then; 0: none
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<qint64>("ende");
        // The five function commands of a line at `zeit`, "10100": F0 and F2 on.
        const auto fu = [](const char *zeit, const char *adresse, const char *an) {
            QStringList f;
            for (int n = 0; n < 5; ++n)
                f << QStringLiteral("%1 <F %2 %3 %4><LF>").arg(zeit, adresse).arg(n).arg(an[n]);
            return f;
        };
        QTest::newRow("passende in der richtung der letzten gefahrenen zeile")
            << "3" << QStringList{"2,S,40,X,,X", "0,s,7", ""} << false << qint64(0)
            << QStringList{"0 <t 3 40 1><LF>"} + fu("100", "3", "10100") + QStringList{"2100 <t 3 0 1><LF>"}
            << qint64(2100);
        QTest::newRow("stufen 127 und 999, ein blank schaltet")
            << "3" << QStringList{"1,S,127, ", "1,s,999"} << false << qint64(0)
            << QStringList{"0 <t 3 126 1><LF>"} + fu("100", "3", "10000") + QStringList{"1100 <t 3 126 0><LF>"}
                   + fu("1200", "3", "00000") + QStringList{"2200 <t 3 0 0><LF>"}
            << qint64(2200);
        QTest::newRow("adresse 10239") << "10239" << QStringList{"1,s,5"} << false << qint64(0)
                                       << QStringList{"0 <t 10239 5 0><LF>"} + fu("100", "10239", "00000")
                                              + QStringList{"1100 <t 10239 0 0><LF>"}
                                       << qint64(1100);
        QTest::newRow("adresse 0: nichts, die pausen laufen")
            << "0" << QStringList{"1,s,5"} << false << qint64(0) << QStringList{} << qint64(1100);
        QTest::newRow("adresse 10240") << "10240" << QStringList{"1,s,5"} << true << qint64(0) << QStringList{} << qint64(1200);
        QTest::newRow("einzelne zeile") << "3" << QStringList{"1,S,40"} << true << qint64(0)
                                        << QStringList{"0 <t 3 40 1><LF>"} + fu("200", "3", "00000")
                                               + QStringList{"1200 <t 3 0 1><LF>"}
                                        << qint64(1200);
        // "St&op" at 700 ms: the line's time ends there and its stop follows at once,
        // in the line's direction.
        QTest::newRow("einzelne zeile, stopp in der dauer")
            << "3" << QStringList{"5,s,40"} << true << qint64(700)
            << QStringList{"0 <t 3 40 0><LF>"} + fu("200", "3", "00000") + QStringList{"700 <t 3 0 0><LF>"}
            << qint64(700);
    }
    void fahrt()
    {
        QFETCH(QString, adresse);
        QFETCH(QStringList, tabelle);
        test::Aufbau a;
        a.feld.option = 4;
        a.feld.adresse = adresse;
        QFETCH(qint64, stoppBei);
        if (stoppBei > 0)
            a.zeit.bei(stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.zeilen(tabelle);
        a.tabelle.setzeAktuelleZeile(1);
        QFETCH(bool, einzeln);
        einzeln ? a.ablauf.btnSendZeile_Click() : a.ablauf.btnStart_Click();
        QTEST(test::protokoll(a.port), "erwartet");
        QTEST(a.zeit.jetzt, "ende");
    }

    // Pieces as they arrive -> "art text" per answer (0 kennung, 1 abgelehnt, 2 gleisAn,
    // 3 gleisAus, 4 lok, 5 meldung, 6 sonstige, 7 muell).
    void zerleger_data()
    {
        QTest::addColumn<QList<QByteArray>>("stuecke");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("status, ganz") << QList<QByteArray>{"<p0>\r\n<iDCC-EX V-5.0.0 / MEGA / SHIELD G-1>\n"}
                                      << QStringList{"3 <p0>", "0 <iDCC-EX V-5.0.0 / MEGA / SHIELD G-1>"};
        QTest::newRow("in stücken") << QList<QByteArray>{"<iDCC-E", "X V-5", ".0>", "\n<l 3 0 1", "69 1>"}
                                    << QStringList{"0 <iDCC-EX V-5.0>", "4 <l 3 0 169 1>"};
        QTest::newRow("gleis mit namen, X, ähnliches")
            << QList<QByteArray>{"<p1 MAIN><p0 PROG><X><p10><Xa>"}
            << QStringList{"2 <p1 MAIN>", "3 <p0 PROG>", "1 <X>", "6 <p10>", "6 <Xa>"};
        QTest::newRow("müll, abgebrochen, neu angefangen")
            << QList<QByteArray>{"\x80\xFF" "ab\x01<l 3 0\n", "x<t 3<p1>  \r\n"}
            << QStringList{"7 .ÿab.", "7 <l 3 0", "7 x", "7 <t 3", "2 <p1>"};
        QTest::newRow("meldung mit klammern") << QList<QByteArray>{"<* warte auf <s> *>\n"}
                                              << QStringList{"5 <* warte auf <s> *>"};
        // Older firmware (DCCWaveform.cpp 3.x with StringFormatter::diag, which puts
        // "<* " and " *>\n" around the text) breaks the overload line.
        QTest::newRow("meldung mit zeilenumbruechen")
            << QList<QByteArray>{"<* \n*** MAIN TRACK POWER OVERLOAD current=2147 max=2000  offtime=40 ***\n", "\n *>\n<p0>"}
            << QStringList{"5 <* .*** MAIN TRACK POWER OVERLOAD current=2147 max=2000  offtime=40 ***.. *>", "3 <p0>"};
        QTest::newRow("abgebrochene meldung, neuer rahmen am zeilenanfang")
            << QList<QByteArray>{"<* TRACK A POWER\n<p0 A>\n"} << QStringList{"7 <* TRACK A POWER", "3 <p0 A>"};
    }
    void zerleger()
    {
        QFETCH(QList<QByteArray>, stuecke);
        DccexZerleger z;
        QList<DccexAntwort> antworten;
        for (const QByteArray &s : stuecke)
            antworten += z.fuettere(s);
        QTEST(alsZeilen(antworten), "erwartet");
    }

    // Frames in order -> the main track's state after each frame that tells of it
    // ("-" for none). The frames are the firmware's: CommandDistributor.cpp
    // (broadcastPower: "<p1 A>" per output, then "<p1 JOIN>", "<p1 MAIN>", "<p1 PROG>",
    // then "<p0>"/"<p1>" when all agree), TrackManager.cpp (streamTrackState: "<= A MAIN>"),
    // MotorDriver.cpp 5.x ("TRACK A POWER OVERLOAD 2147mA (max 2000mA) detected after
    // 12ms. Pause 40ms"), MotorDriver.cpp 4.2 ("TRACK %c POWER OVERLOAD %dmA (limit %dmA)
    // shutdown for %dms"), DCCWaveform.cpp 4.0 ("MAIN TRACK POWER OVERLOAD current= max=
    // offtime=") and 3.x ("\n*** MAIN TRACK POWER OVERLOAD ... ***\n").
    void gleise_data()
    {
        QTest::addColumn<QStringList>("rahmen");
        QTest::addColumn<QString>("zustaende");
        QTest::newRow("power aus, wie nach <0>") << QStringList{"<p0 A>", "<p0 B>", "<p0>"} << "aus - aus";
        QTest::newRow("power an, wie nach <1>") << QStringList{"<p1 A>", "<p1 B>", "<p1 MAIN>", "<p1 PROG>", "<p1>"}
                                                << "an - an - an";
        QTest::newRow("nur prog aus") << QStringList{"<p1 A>", "<p0 B>", "<p1 MAIN>"} << "an - an";
        QTest::newRow("nur prog an, haupt aus") << QStringList{"<p0 A>", "<p1 B>", "<p1 PROG>"} << "aus - -";
        QTest::newRow("prog zusammenfassung aus") << QStringList{"<p0 PROG>"} << "-";
        QTest::newRow("join") << QStringList{"<p1 A>", "<p1 B>", "<p1 JOIN>", "<p1>"} << "an - an an";
        QTest::newRow("vertauscht nach <=>")
            << QStringList{"<= A PROG>", "<= B MAIN>", "<p0 A>", "<p1 B>", "<p0 B>"} << "- - - an aus";
        QTest::newRow("zwei hauptgleise") << QStringList{"<= A MAIN>", "<= B PROG>", "<= C MAIN>", "<p0 C>", "<p1 A>"}
                                          << "- - - aus aus";
        QTest::newRow("gleis D ohne <=> ist keins") << QStringList{"<p0 D>"} << "-";
        QTest::newRow("ueberlast 5.x") << QStringList{"<* TRACK A POWER OVERLOAD 2147mA (max 2000mA) detected after 12ms. Pause 40ms *>"}
                                       << "kurzschluss";
        QTest::newRow("ueberlast 4.2") << QStringList{"<* TRACK A POWER OVERLOAD 2147mA (limit 2000mA) shutdown for 40ms *>"}
                                       << "kurzschluss";
        QTest::newRow("ueberlast nummer") << QStringList{"<* TRACK 0 POWER OVERLOAD 2147mA (limit 2000mA) shutdown for 40ms *>"}
                                          << "kurzschluss";
        QTest::newRow("ueberlast nummer 1 ist prog") << QStringList{"<* TRACK 1 POWER OVERLOAD 300mA (limit 250mA) shutdown for 40ms *>"}
                                                     << "-";
        QTest::newRow("ueberlast main 4.0") << QStringList{"<* MAIN TRACK POWER OVERLOAD current=2147 max=2000 offtime=40 *>"}
                                            << "kurzschluss";
        QTest::newRow("ueberlast alt, umbrochen")
            << QStringList{"<* .*** MAIN TRACK POWER OVERLOAD current=2147 max=2000  offtime=40 ***.. *>"} << "kurzschluss";
        QTest::newRow("ueberlast prog alt") << QStringList{"<* .*** PROG TRACK POWER OVERLOAD current=300 max=250 ***. *>"}
                                            << "-";
        QTest::newRow("ueberlast B, B ist haupt")
            << QStringList{"<= B MAIN>", "<* TRACK B POWER OVERLOAD 2147mA (max 2000mA) detected after 12ms. Pause 40ms *>"}
            << "- kurzschluss";
        QTest::newRow("andere meldungen") << QStringList{"<* TRACK A CURRENT (100ms ignore) 5mA *>", "<l 3 0 169 0>", "<X>"}
                                          << "- - -";
    }
    void gleise()
    {
        QFETCH(QStringList, rahmen);
        DccexGleise g;
        QStringList zustaende;
        for (const QString &r : rahmen) {
            const auto z = g.lies(r.toLatin1());
            zustaende << (!z ? QStringLiteral("-")
                          : *z == Gleiszustand::kurzschluss ? QStringLiteral("kurzschluss")
                                                            : gleisanzeigeText(*z).section(u' ', 1));
        }
        QTEST(zustaende.join(u' '), "zustaende");
    }

    // A flood of answers comes out whole; endless noise and a frame that never ends
    // are handed out in bounded pieces, and the next answer is still seen.
    void flut()
    {
        DccexZerleger z;
        QCOMPARE(z.fuettere(QByteArray("<p1>").repeated(10000)).size(), 10000);
        for (const QByteArray &laerm : {QByteArray(100000, 'a'), "<" + QByteArray(100000, 'b')}) {
            const QList<DccexAntwort> stuecke = z.fuettere(laerm + "<X>");
            QCOMPARE(stuecke.size(), 100000 / DccexZerleger::laengsterRahmen + 2);
            for (qsizetype i = 0; i + 1 < stuecke.size(); ++i) {
                QCOMPARE(stuecke[i].art, DccexArt::muell);
                QVERIFY(stuecke[i].text.size() <= DccexZerleger::laengsterRahmen);
            }
            QCOMPARE(stuecke.last().text, QStringLiteral("<X>"));
        }
    }

    // Over TCP: the commands arrive, the answers come back whole and both are logged.
    void netzwerk()
    {
        Simulator sim;
        QVERIFY(sim.starte({"--tcp", "0", "--boot", "0"}));
        const quint16 port = sim.port();
        QTemporaryDir verzeichnis;
        Verkehrsprotokoll protokoll;
        QVERIFY(protokoll.oeffne(verzeichnis.filePath("verkehr.log")));

        SerielleSchnittstelle v24(verzeichnis.path());
        DccexVerbindung v(v24);
        QVERIFY(!test::verbindeUndWarte(v, QStringLiteral("127.0.0.1"), port == 1 ? 2 : port - 1, 300));
        QVERIFY(test::verbindeUndWarte(v, QStringLiteral("127.0.0.1"), port));
        QVERIFY(!v.offen()); // still on the serial port, which is closed
        v.setzeUeberNetzwerk(true);
        QVERIFY(v.offen());
        QCOMPARE(frage(v, dccexStatusbefehl(), DccexArt::kennung).left(9), QStringLiteral("<iDCC-EX "));
        QCOMPARE(frage(v, dccexPowerbefehl(true), DccexArt::gleisAn), QStringLiteral("<p1 A>"));
        QCOMPARE(frage(v, *dccexFahrbefehl(3, 40, "S"), DccexArt::lok), QStringLiteral("<l 3 0 169 0>"));
        QCOMPARE(frage(v, "<t 0 40 1>\n", DccexArt::abgelehnt), QStringLiteral("<X>"));
        QVERIFY(sim.wartetAuf("<t 3 40 1>      Lok 3: Fahrstufe 40 vorwärts | Licht aus F1 aus "
                              "F2 aus F3 aus F4 aus | Gleis an"));

        QFile datei(verzeichnis.filePath("verkehr.log"));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        const QString log = QString::fromUtf8(datei.readAll());
        for (const char *zeile : {" DCC-EX > <s>\n", " DCC-EX < <p0>\n", " DCC-EX > <t 3 40 1>\n",
                                  " DCC-EX < <l 3 0 169 0>\n", " DCC-EX < <X>\n"})
            QVERIFY2(log.contains(QLatin1String(zeile)), zeile);
    }

    // A station that never answers: asked again every interval, given up after the time.
    void stumm()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        SerielleSchnittstelle v24;
        DccexVerbindung v(v24);
        v.setzeUeberNetzwerk(true);
        QVERIFY(test::verbindeUndWarte(v, QStringLiteral("127.0.0.1"), server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *gegenstelle = server.nextPendingConnection();
        DccexStartwarte warte(v, 350, 100);
        QSignalSpy fertig(&warte, &DccexStartwarte::fertig);
        warte.beginne();
        QVERIFY(warte.wartet());
        QVERIFY(fertig.wait(2000));
        QCOMPARE(fertig.at(0).at(0).toBool(), false);
        QVERIFY(!warte.wartet());
        QTest::qWait(250); // nothing more after the end
        const QByteArray gefragt = gegenstelle->readAll();
        QVERIFY2(gefragt.size() >= 12 && gefragt.size() <= 20
                     && gefragt == QByteArray("<s>\n").repeated(gefragt.size() / 4),
                 gefragt.constData());
    }

    // The window on the simulator over a pseudo-terminal: choosing DCC-EX sets the port,
    // applying it waits for the boot, the answers show, and a line goes out whole. Its
    // own setting saved and read back is the stations' contract test's.
    void fenster()
    {
        test::Fensteranlage a;
        Simulator sim;
        QVERIFY(sim.starte({"--link", a.datei("COM3"), "--boot", "300"}));
        a.starte();
        frmTrabolin &f = *a.f;
        feld<QRadioButton>(f, "optZentrale_4")->click();
        QCOMPARE(test::anzeigen(f, {"lstBaudrate", "lstParity", "lstDatenbits", "lstStopbits"}) << a.gespeichert().zentrale,
                 QStringList({"115200", "N", "8", "1", "DCC-EX"}));
        QVERIFY(feld<QComboBox>(f, "lstBaudrate")->findText("115200") >= 0
                && !feld<SerielleSchnittstelle>(f, "V24")->handshake());
        for (QWidget *w : test::felder<QWidget>(f, {"lstFS", "chkUSB", "btnEcos"}))
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        auto *netzwerk = feld<QCheckBox>(f, "einstellung_4_über Netzwerk");
        QVERIFY(netzwerk->isEnabled() && !netzwerk->isChecked());
        feld<QComboBox>(f, "lstV24")->setEditText(QStringLiteral("3"));
        feld<QPushButton>(f, "btnParameterSetzen")->click();
        QCOMPARE(a.knoepfe(true), QStringLiteral("aus")); // until the station has answered
        QTRY_COMPARE_WITH_TIMEOUT(a.knoepfe(true), QStringLiteral("an"), 3000);
        QVERIFY(sim.wartetAuf(QStringLiteral("verloren, die Zentrale bootet noch: \"<s><0A>\"")));
        QVERIFY(feld<QPlainTextEdit>(f, "txtRX")->toPlainText().contains(u"<iDCC-EX V-"));
        // Once it answers, the station is asked which output is the main track and
        // the state of its tracks: it boots with them off.
        QVERIFY(sim.wartetAuf(QStringLiteral("<=>             Gleise: A MAIN, B PROG")));
        QTRY_COMPARE(feld<QLabel>(f, "lblGleis")->text(), QStringLiteral("Gleis: aus"));

        feld<QPushButton>(f, "btnPower_1")->click();
        QTRY_VERIFY(feld<QPlainTextEdit>(f, "txtRX")->toPlainText().endsWith(u"\n<p1>"));
        QTRY_COMPARE(feld<QLabel>(f, "lblGleis")->text(), QStringLiteral("Gleis: an"));
        feld<QLineEdit>(f, "txtAdresse")->setText(QStringLiteral("3"));
        test::fuelleZeile(f.tabelle(), 1, QStringLiteral("1,S,40,X"));
        f.tabelle().setzeAktuelleZeile(1);
        feld<QPushButton>(f, "btnStart")->click();
        QVERIFY(sim.wartetAuf(QStringLiteral("<t 3 0 1>       Lok 3: Fahrstufe 0 vorwärts | Licht an F1 aus")));
        QCOMPARE(sim.zeilen.filter(u"Lok 3").size(), 7); // speed, five functions, halt
    }

    // Over the network to a station that never answers: the run buttons come on after
    // the wait, with a note in the reply field.
    void fensterOhneAntwort()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        test::Fensteranlage a;
        frmTrabolin &f = imNetz(a, 0);
        auto *verbinden = feld<QPushButton>(f, "btnEcos");
        QVERIFY(verbinden->isEnabled() && verbinden->text() == u"PC mit DCC-EX verbinden");
        feld<QPushButton>(f, "btn15471")->click();
        QCOMPARE(feld<QLineEdit>(f, "txtLocalPort")->text(), QStringLiteral("2560"));
        feld<QLineEdit>(f, "txtLocalPort")->setText(QString::number(server.serverPort()));
        feld<DccexVerbindung>(f, "TCP")->startwarte().setzeZeiten(300, 100);
        verbinden->click();
        QCOMPARE(a.knoepfe(), QStringLiteral("aus"));
        QTRY_COMPARE(a.knoepfe(), QStringLiteral("an"));
        QVERIFY(feld<QPlainTextEdit>(f, "txtRX")->toPlainText().contains(u"nicht geantwortet"));
        QVERIFY(a.meldungen.isEmpty());
    }

    // Over the network a station can hang with its TCP link open. While connected the
    // program asks "<#>" at its interval (5 s, shortened here), which the station
    // answers "<# n>"; any byte from it keeps the link. A station that answers keeps
    // the run going to its end; one that hangs loses the link after the silence (15 s,
    // shortened here): the locomotive's stop goes out first, then the run ends and the
    // user is told that the link is lost.
    void lebenszeichen_data()
    {
        QTest::addColumn<bool>("haengt");
        QTest::newRow("die zentrale antwortet") << false;
        QTest::newRow("die zentrale haengt bei offener verbindung") << true;
    }
    void lebenszeichen()
    {
        QFETCH(bool, haengt);
        Simulator sim;
        QVERIFY(sim.starte({"--tcp", "0", "--boot", "0"}));
        test::Fensteranlage a;
        frmTrabolin &f = imNetz(a, sim.port());
        feld<DccexVerbindung>(f, "TCP")->setzeLebenszeichen(100, 700);
        feld<QPushButton>(f, "btnEcos")->click();
        QTRY_COMPARE_WITH_TIMEOUT(a.knoepfe(), QStringLiteral("an"), 5000);
        feld<QPushButton>(f, "btnPower_1")->click();
        QTRY_COMPARE(feld<QLabel>(f, "lblGleis")->text(), QStringLiteral("Gleis: an"));
        QVERIFY(sim.wartetAuf(QStringLiteral("<#>             Lokplätze: 50")));

        feld<QLineEdit>(f, "txtAdresse")->setText(QStringLiteral("3"));
        // Answered, the line runs its 2 s to the end; hung, a line of 30 s ends soon
        // after the station has gone silent.
        test::fuelleZeile(f.tabelle(), 1, haengt ? QStringLiteral("30,S,40") : QStringLiteral("2,S,40"));
        f.tabelle().setzeAktuelleZeile(1);
        if (haengt)
            QTimer::singleShot(500, &f, [&] { sim.tippe("haengen"); });
        feld<QPushButton>(f, "btnStart")->click();
        QVERIFY(test::laufAbgewartet(f, 20000));
        if (!haengt) {
            QVERIFY(sim.wartetAuf(QStringLiteral("<t 3 0 1>       Lok 3: Fahrstufe 0 vorwärts")));
            QVERIFY2(sim.anzahl(QStringLiteral("<#>             Lokplätze: 50")) >= 10, qPrintable(sim.zeilen.join(u'\n')));
            QVERIFY(a.meldungen.isEmpty());
            QVERIFY(feld<DccexVerbindung>(f, "TCP")->offen());
            return;
        }
        // The stop reached the hung station after it had stopped answering, and nothing
        // went out after it: the link was dropped.
        const QString stopp = QStringLiteral("hängt, nichts beantwortet: \"<t 3 0 1><0A>\"");
        QVERIFY2(sim.wartetAuf(stopp), qPrintable(sim.zeilen.join(u'\n')));
        QVERIFY(sim.wartetAuf(QStringLiteral("getrennt")));
        QTest::qWait(300);
        const QStringList zeilen = sim.lies();
        QCOMPARE(zeilen.filter(QStringLiteral("hängt, nichts beantwortet")).last(), stopp);
        QCOMPARE(a.meldungen, QStringList{QStringLiteral(" DCC-EX...|Die Verbindung zur DCC-EX ist abgebrochen !")});
        QCOMPARE(a.knoepfe(), QStringLiteral("aus"));
        QVERIFY(!feld<DccexVerbindung>(f, "TCP")->offen());
        QCOMPARE(feld<QLabel>(f, "lblGleis")->text(), QStringLiteral("Verbindung verloren"));
    }

    // The handshake reaches the driver: off for DCC-EX, RTS/CTS again for the others.
    void handshake()
    {
        QTemporaryDir verzeichnis;
        test::Pty pty;
        QVERIFY(pty.ok() && pty.verknuepfe(verzeichnis.path(), 2));
        SerielleSchnittstelle v24(verzeichnis.path());
        QVERIFY(oeffne(v24, 2));
        termios t{};
        for (const bool rtsCts : {false, true}) {
            v24.setzeHandshake(rtsCts);
            QVERIFY(pty.slaveEinstellungen(t));
            QCOMPARE(bool(t.c_cflag & CRTSCTS), rtsCts);
        }
    }

    // Commands given while the station boots (the port just opened) are not lost: what
    // would move a locomotive becomes its stop "<t cab 0 dir>" in the direction last
    // asked for, "<0>" stays, and these go out once the station has answered its "<s>"
    // (or the wait has run out); nothing that drives follows a stop.
    void startwarteHaeltStoppZurueck_data()
    {
        QTest::addColumn<QStringList>("vorher");    // sent before the wait
        QTest::addColumn<QStringList>("waehrend");  // given during the wait
        QTest::addColumn<bool>("antwort");          // the station answers (else the wait runs out)
        // On the wire after the "<s>" questions: the held stops, then the questions for
        // the tracks and the power.
        QTest::addColumn<QByteArray>("danach");
        QTest::newRow("fahrt wird stopp") << QStringList{} << QStringList{"<t 3 40 1>"} << true
                                          << QByteArray("<t 3 0 1>\n<=>\n<s>\n<Q>\n<#>\n");
        QTest::newRow("stopp rueckwaerts") << QStringList{} << QStringList{"<t 3 0 0>"} << true
                                           << QByteArray("<t 3 0 0>\n<=>\n<s>\n<Q>\n<#>\n");
        QTest::newRow("nach dem stopp faehrt nichts mehr")
            << QStringList{} << QStringList{"<t 3 0 1>", "<t 3 50 1>", "<F 3 0 1>", "<1>"} << true
            << QByteArray("<t 3 0 1>\n<=>\n<s>\n<Q>\n<#>\n");
        QTest::newRow("funktion: stopp in der letzten richtung")
            << QStringList{"<t 7 30 0>"} << QStringList{"<F 7 1 1>"} << true << QByteArray("<t 7 0 0>\n<=>\n<s>\n<Q>\n<#>\n");
        QTest::newRow("zwei loks und gleis aus")
            << QStringList{} << QStringList{"<t 3 20 1>", "<t 10239 20 0>", "<0>"} << true
            << QByteArray("<t 3 0 1>\n<t 10239 0 0>\n<0>\n<=>\n<s>\n<Q>\n<#>\n");
        QTest::newRow("ohne antwort auch") << QStringList{} << QStringList{"<t 3 40 0>"} << false
                                           << QByteArray("<t 3 0 0>\n");
    }
    void startwarteHaeltStoppZurueck()
    {
        QFETCH(QStringList, vorher);
        QFETCH(QStringList, waehrend);
        QFETCH(bool, antwort);
        QTemporaryDir verzeichnis;
        test::Pty pty;
        QVERIFY(pty.ok() && pty.verknuepfe(verzeichnis.path(), 3));
        SerielleSchnittstelle v24(verzeichnis.path());
        QVERIFY(oeffne(v24, 3));
        DccexVerbindung v(v24);
        v.startwarte().setzeZeiten(antwort ? 5000 : 300, 5000);
        QSignalSpy bereit(&v, &Netzverbindung::zentraleBereit);
        for (const QString &b : vorher)
            v.schreibe(b.toLatin1() + '\n');
        QCOMPARE(pty.liesVorhandenes().size() > 0, !vorher.isEmpty());
        QVERIFY(v.warteAufZentrale());
        for (const QString &b : waehrend)
            v.schreibe(b.toLatin1() + '\n');
        QCOMPARE(pty.liesVorhandenes(), QByteArray("<s>\n"));
        if (antwort)
            QVERIFY(pty.schreibe("<iDCC-EX V-5.0.0 / MEGA / STANDARD_MOTOR_SHIELD G-c389fe9>\n"));
        QVERIFY(bereit.wait(3000));
        QTEST(pty.liesVorhandenes(), "danach");
        v.schreibe("<t 3 10 1>\n"); // afterwards everything goes out again
        QCOMPARE(pty.liesVorhandenes(), QByteArray("<t 3 10 1>\n"));
    }

};

QTEST_MAIN(TstDccex)
#include "tst_dccex.moc"

// What the layout tells the program: the Lenz broadcast frames (check byte, USB
// prefixes, garbage, pieces, floods), the ECoS events and status replies taken out of
// the replies, the Z21's broadcasts and central state, the indicator, and in virtual
// time, per station, a run that the layout ends and a start it refuses.
#include "helfer/Aufbau.h"
#include "helfer/Protokoll.h"
#include "program/Gleiszustand.h"
#include "stations/dccex/DccexGleise.h"
#include "stations/ecos/EcosMeldungsleser.h"
#include "stations/lenz/LenzMeldungsleser.h"
#include "stations/z21/Z21Befehle.h"
#include "window/Gleisanzeige.h"

#include <QAccessible>
#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// What the layout does at a virtual time, "<ms> <what>": hex bytes arriving from
// the Lenz interface ("3000 61 00 61"), "STOP" or "GO" as an ECoS event through its
// link's watch, "verloren" for a lost ECoS link (reported, as the link does, while it
// still sends, then closed), "z21 <state>" and "dccex <state>" as those links report
// it ("kurzschluss", "aus", "verloren"), a frame "<...>" of the DCC-EX station read as
// its link reads it, "aus" for the program's own "Power of&f", "box <ms>" for a modal
// box the user keeps open that long (a nested event loop, as QMessageBox::exec() or a
// file dialog runs one).
void anlage(Aufbau &a, const QString &ereignis, DccexGleise &dccex)
{
    const QString was = ereignis.section(u' ', 1);
    const auto melde = [&](int option, const QString &zustand) {
        const Gleiszustand z = zustand == u"kurzschluss" ? Gleiszustand::kurzschluss
                               : zustand == u"aus"       ? Gleiszustand::aus
                                                         : Gleiszustand::verbindungVerloren;
        a.ablauf.gleismelder(option).meldeGleiszustand(z);
        if (z == Gleiszustand::verbindungVerloren)
            a.link.offen = a.z21link.offen = false;
    };
    if (was.startsWith(u'<')) {
        if (const auto z = dccex.lies(was.toLatin1()))
            a.ablauf.gleismelder(zentralenoption(QStringLiteral("DCC-EX"))).meldeGleiszustand(*z);
    } else if (was == u"STOP" || was == u"GO")
        a.ecosWache.lies(QStringLiteral("<EVENT 1>\n1 status[%1]\n<END 0 (OK)>\n").arg(was));
    else if (was == u"verloren")
        melde(2, was);
    else if (was.startsWith(u"z21 "))
        melde(zentralenoption(QStringLiteral("Z21")), was.section(u' ', 1));
    else if (was.startsWith(u"dccex "))
        melde(zentralenoption(QStringLiteral("DCC-EX")), was.section(u' ', 1));
    else if (was.startsWith(u"box "))
        a.zeit.warte(was.section(u' ', 1).toInt(), [] { return false; });
    else if (was == u"aus")
        a.ablauf.btnPower_Click(0);
    else
        a.lenz.empfange(QByteArray::fromHex(was.toLatin1()));
}

QString texte(const QList<Gleiszustand> &liste)
{
    QStringList t;
    for (Gleiszustand z : liste)
        t << gleisanzeigeText(z);
    return t.join(u'|');
}

} // namespace

class TestGleismeldung : public QObject {
    Q_OBJECT
private slots:
    // Pieces as they come from the port, "|" between two reads; `ruhe`: the line
    // goes quiet afterwards. "z21 ...": a datagram of the Z21, several packets in it.
    void leser_data()
    {
        QTest::addColumn<QString>("stuecke");
        QTest::addColumn<bool>("ruhe");
        QTest::addColumn<QString>("zustaende");
        QTest::newRow("aus") << "61 00 61" << false << "Gleis: aus";
        QTest::newRow("an") << "61 01 60" << false << "Gleis: an";
        QTest::newRow("nothalt") << "81 00 81" << false << "Nothalt";
        QTest::newRow("programmiermodus") << "61 02 63" << false << "Gleis: aus";
        QTest::newRow("kurzschluss wie in der z21") << "61 08 69" << false << "Kurzschluss";
        QTest::newRow("falsches pruefbyte") << "61 00 60" << true << "";
        QTest::newRow("usb FF FD") << "FF FD 61 00 61" << false << "Gleis: aus";
        QTest::newRow("usb FF FE, in stuecken") << "FF|FE 81|00|81" << false << "Nothalt";
        QTest::newRow("aus und wieder an in einem stueck") << "61 00 61 61 01 60" << false << "Gleis: aus|Gleis: an";
        QTest::newRow("zweimal aus zaehlt einmal") << "61 00 61 61 00 61" << false << "Gleis: aus";
        QTest::newRow("rueckmeldung davor") << "42 01 02 41 61 00 61" << false << "Gleis: aus";
        QTest::newRow("abgeschnitten wartet") << "61 00" << false << "";
        // 13 would be a frame of six bytes: only the quiet line shows it was garbage.
        QTest::newRow("muell davor, erst nach ruhe") << "13 61 00 61" << false << "";
        QTest::newRow("muell davor, nach ruhe") << "13 61 00 61" << true << "Gleis: aus";
        QTest::newRow("muell mit falschem pruefbyte davor") << "00 13|61 00 61 00 00 00" << false << "Gleis: aus";
        // The answer to the status request, 62 22 S X (Lenz XpressNet V3.0 description,
        // "Command station status indication response"): S bit 0 emergency off, bit 1
        // emergency stop, bit 3 service mode, bit 6 power-up.
        QTest::newRow("status normal") << "62 22 00 40" << false << "Gleis: an";
        QTest::newRow("status notaus") << "62 22 01 41" << false << "Gleis: aus";
        QTest::newRow("status nothalt") << "62 22 02 42" << false << "Nothalt";
        QTest::newRow("status programmiermodus") << "62 22 08 48" << false << "Gleis: aus";
        QTest::newRow("status einschalten") << "62 22 40 00" << false << "Gleis: aus";
        QTest::newRow("status manueller start ist an") << "62 22 04 44" << false << "Gleis: an";
        QTest::newRow("status usb, in stuecken") << "FF FE 62|22 01|41" << false << "Gleis: aus";
        QTest::newRow("status falsches pruefbyte") << "62 22 01 40" << true << "";
        QTest::newRow("z21 status an") << "z21 08 00 40 00 62 22 00 40" << false << "Gleis: an";
        QTest::newRow("z21 status aus") << "z21 08 00 40 00 62 22 02 42" << false << "Gleis: aus";
        QTest::newRow("z21 status kurzschluss vor aus") << "z21 08 00 40 00 62 22 06 46" << false << "Kurzschluss";
        QTest::newRow("z21 status nothalt") << "z21 08 00 40 00 62 22 01 41" << false << "Nothalt";
        QTest::newRow("z21 status programmieren") << "z21 08 00 40 00 62 22 20 60" << false << "Gleis: aus";
        QTest::newRow("z21 rundrufe kurzschluss, nothalt") << "z21 07 00 40 00 61 08 69 07 00 40 00 81 00 81" << false << "Kurzschluss|Nothalt";
        QTest::newRow("z21 falsches pruefbyte, seriennummer") << "z21 07 00 40 00 61 00 60 08 00 10 00 01 02 03 04" << false << "";
    }
    void leser()
    {
        QFETCH(QString, stuecke); QFETCH(bool, ruhe);
        LenzMeldungsleser leser;
        QList<Gleiszustand> z;
        if (stuecke.startsWith(u"z21 ")) {
            for (const Z21Paket &p : z21Pakete(QByteArray::fromHex(stuecke.mid(4).toLatin1())))
                if (const auto g = z21Gleiszustand(p))
                    z << *g;
        } else {
            for (const QString &s : stuecke.split(u'|'))
                z += leser.lies(QByteArray::fromHex(s.toLatin1()));
        }
        if (ruhe)
            z += leser.schliesseAb();
        QTEST(texte(z), "zustaende");
        if (ruhe)
            QVERIFY(!leser.wartet());
    }

    // A flood of frames and garbage in small pieces: every change is read.
    void lenzFlut()
    {
        LenzMeldungsleser leser;
        QByteArray flut;
        for (int i = 0; i < 20000; ++i)
            flut += QByteArray::fromHex(i % 1000 == 999 ? "61 00 61 61 01 60" : "E4 13 00 03 85 71 07 FF");
        QList<Gleiszustand> z;
        for (qsizetype i = 0; i < flut.size(); i += 7)
            z += leser.lies(flut.mid(i, 7));
        z += leser.schliesseAb(); // the flood ends in garbage
        QCOMPARE(z.size(), 2 * 20);
        QCOMPARE(texte(z.mid(0, 2)), QStringLiteral("Gleis: aus|Gleis: an"));
    }

    void ecos_data()
    {
        QTest::addColumn<QStringList>("stuecke");
        QTest::addColumn<QString>("zustaende");
        QTest::addColumn<bool>("statusAntwort");
        QTest::addColumn<QString>("rest");
        const QString stopp = QStringLiteral("<EVENT 1>\n1 status[STOP]\n<END 0 (OK)>\n");
        const QString fahrt = QStringLiteral("<REPLY set(1000,speed[40])>\n<END 0 (OK)>\n");
        QTest::newRow("ereignis stop") << QStringList{stopp} << "Gleis: aus" << false << "";
        QTest::newRow("statusantwort go")
            << QStringList{"<REPLY get(1, status)>\r\n1 status[GO]\r\n<END 0 (OK)>\r\n"} << "Gleis: an" << true << "";
        QTest::newRow("statusantwort ohne blanks")
            << QStringList{"<REPLY get(1,status)>\n1 status[STOP]\n<END 0 (OK)>"} << "Gleis: aus" << true << "";
        QTest::newRow("beobachten") << QStringList{"<REPLY request(1, view)>\n<END 0 (OK)>\n"} << "" << false << "";
        QTest::newRow("mit fahrbefehl") << QStringList{fahrt + stopp} << "Gleis: aus" << false << fahrt;
        QTest::newRow("ereignis vor fahrbefehl") << QStringList{stopp + fahrt} << "Gleis: aus" << false << fahrt;
        QTest::newRow("status2 allein") << QStringList{"<EVENT 1>\n1 status2[ALL]\n<END 0 (OK)>\n"} << "" << false << "";
        QTest::newRow("andere lok") << QStringList{"<EVENT 1000>\n1000 speed[3]\n<END 0 (OK)>\n"} << "" << false
                                    << "<EVENT 1000>\n1000 speed[3]\n<END 0 (OK)>\n";
        QTest::newRow("zeile ohne block") << QStringList{"1 status[STOP]\n"} << "" << false << "1 status[STOP]\n";
        QTest::newRow("block ueber zwei stuecke")
            << QStringList{"<EVENT 1>\n", "1 status[STOP]\n<END 0 (OK)>\n" + fahrt} << "Gleis: aus" << false << fahrt;
        QTest::newRow("stop und go") << QStringList{stopp, "<EVENT 1>\n1 status[GO]\n<END 0 (OK)>\n"}
                                     << "Gleis: aus|Gleis: an" << false << "";
    }
    void ecos()
    {
        QFETCH(QStringList, stuecke); QFETCH(bool, statusAntwort); QFETCH(QString, rest);
        EcosMeldungsleser leser;
        EcosMeldungen alle;
        for (const QString &s : stuecke) {
            const EcosMeldungen m = leser.lies(s);
            alle.gleis += m.gleis;
            alle.statusAntwort = alle.statusAntwort || m.statusAntwort;
            alle.rest += m.rest;
        }
        QTEST(texte(alle.gleis), "zustaende");
        QCOMPARE(alle.statusAntwort, statusAntwort);
        QCOMPARE(alle.rest, rest);
    }

    // A run of two minute-long lines forwards (or the single line) on locomotive 3,
    // with the signal box ticked: what went out, what the run logic told the window,
    // how many sounds played, and when it ended.
    void halt_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("einzeln");
        QTest::addColumn<QStringList>("ereignisse");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<QString>("ursache");
        QTest::addColumn<int>("klaenge");
        const QStringList lenz{"0 E4 10 00 03 86 71", "100 E4 20 00 03 00 C7"};
        const QStringList lenzEinzeln{"0 E4 10 00 03 86 71", "200 E4 20 00 03 00 C7"};
        // Speed 0 forwards, as the line drove: the lights stay as they were. The first
        // goes out as the report is read, the second is the halt of the pass.
        const QStringList halt(2, QStringLiteral("3000 E4 10 00 03 80 77"));
        QTest::newRow("lenz gleis aus") << 1 << false << QStringList{"3000 61 00 61"}
                                        << lenz + halt << "Gleis: aus" << 0;
        QTest::newRow("lenz einzelzeile, kein ring") << 1 << true << QStringList{"3000 61 00 61"}
            << lenzEinzeln + halt << "Gleis: aus" << 0;
        QTest::newRow("lenz muell und andere rahmen") << 1 << false
            << QStringList{"1000 61 00 60 13 E4 13 00 03 85 71 42 01 02 41 61 01 60 FF"}
            << lenz + QStringList{"60100 E4 10 00 03 06 F1", "60200 E4 20 00 03 00 C7", "120200 E4 10 00 03 00 F7"}
            << "" << 2;
        // The program's own "Power of&f" ends the run, the locomotive's stop going out
        // before the power goes off; the station's echo says nothing more.
        QTest::newRow("lenz eigenes power off mit echo") << 1 << false << QStringList{"3000 aus", "3000 61 00 61"}
            << lenz + QStringList{"3000 E4 10 00 03 00 F7", "3000 21 80 A1", "3000 E4 10 00 03 80 77"} << "" << 0;
        QTest::newRow("6021 eigenes power off") << 0 << false << QStringList{"3000 aus"}
            << QStringList{"0 40 03", "500 05 03", "3000 00 03", "3000 61", "3000 00 03", "3000 00 03"} << "" << 0;
        const QStringList ecos{"0 set(3,dir[0])", "100 set(3,func[0,0],func[1,0],func[2,0],func[3,0],func[4,0])",
                               "200 set(3,speed[5])"};
        QTest::newRow("ecos stop") << 2 << false << QStringList{"3000 STOP"}
                                   << ecos + QStringList(2, QStringLiteral("3000 set(3,speed[0])")) << "Gleis: aus" << 0;
        // Lost: the stop is tried while the link still sends, then the run ends.
        QTest::newRow("ecos verbindung verloren") << 2 << false << QStringList{"3000 verloren"}
                                                  << ecos + QStringList{"3000 set(3,speed[0])"}
                                                  << "Verbindung verloren" << 0;
        // DCC-EX 5.x frames as CommandDistributor.cpp (broadcastPower), TrackManager.cpp
        // (streamTrackState) and MotorDriver.cpp (checkPowerOverload) write them, one of each
        // kind (the DCC-EX tests read the versions' wordings): the main track off ends the
        // run with speed 0 at once, the programming track off leaves it alone.
        const auto dccexFahrt = [](int pause) {
            QStringList z{"0 <t 3 5 1><LF>"};
            for (int n = 0; n <= 4; ++n)
                z << QStringLiteral("%1 <F 3 %2 0><LF>").arg(pause).arg(n);
            return z;
        };
        const QStringList dccex = dccexFahrt(100);
        // The stop as the report is read, and the pass's halt as it ends the run.
        const QStringList dccexHalt = dccex + QStringList(2, QStringLiteral("3000 <t 3 0 1><LF>"));
        QStringList dccexDurch = dccex + QStringList{"60100 <t 3 5 0><LF>"};
        for (int n = 0; n <= 4; ++n)
            dccexDurch << QStringLiteral("60200 <F 3 %1 0><LF>").arg(n);
        dccexDurch << "120200 <t 3 0 0><LF>";
        const QString ueberlastA = QStringLiteral(
            "3000 <* TRACK A POWER OVERLOAD 2147mA (max 2000mA) detected after 12ms. Pause 40ms *>");
        QTest::newRow("dccex hauptgleis A aus") << 4 << false << QStringList{"3000 <p0 A>"} << dccexHalt
                                                << "Gleis: aus" << 0;
        QTest::newRow("dccex programmiergleis B aus, prog aus")
            << 4 << false << QStringList{"3000 <p0 B>", "3000 <p1 MAIN>", "4000 <p0 PROG>"} << dccexDurch << "" << 2;
        QTest::newRow("dccex ueberlast A, 5.x") << 4 << false << QStringList{ueberlastA} << dccexHalt << "Kurzschluss" << 0;
        QTest::newRow("dccex ueberlast einzelzeile") << 4 << true << QStringList{ueberlastA}
            << dccexFahrt(200) + QStringList(2, QStringLiteral("3000 <t 3 0 1><LF>")) << "Kurzschluss" << 0;
        QTest::newRow("dccex ueberlast programmiergleis") << 4 << false
            << QStringList{"3000 <* TRACK B POWER OVERLOAD 300mA (max 250mA) detected after 3ms. Pause 40ms *>",
                           "3000 <* PROG TRACK POWER OVERLOAD current=300 max=250 offtime=40 *>"}
            << dccexDurch << "" << 2;
        // A modal box open from 2000 to 10000 ms: the stop goes out as the report is
        // read, not when the box is closed; the pass's halt follows then. (A report of each
        // station with a box open reaches the simulators in tst_gleisfenster.)
        QTest::newRow("lenz einzelzeile, box offen") << 1 << true << QStringList{"2000 box 8000", "3000 81 00 81"}
            << lenzEinzeln + QStringList{"3000 E4 10 00 03 80 77", "10000 E4 10 00 03 80 77"} << "Nothalt" << 0;
        QTest::newRow("ecos verloren, box offen") << 2 << false << QStringList{"2000 box 8000", "3000 verloren"}
            << ecos + QStringList{"3000 set(3,speed[0])"} << "Verbindung verloren" << 0;
        const QString x = QStringLiteral(" 0A 00 40 00 E4 ");
        QStringList z21{"0" + x + "10 00 03 86 71"};
        for (const char *f : {"00 1F", "01 1E", "02 1D", "03 1C", "04 1B"})
            z21 << "100" + x + "F8 00 03 " + f;
        const int z21Option = zentralenoption(QStringLiteral("Z21"));
        QTest::newRow("z21 verloren, box offen") << z21Option << false
            << QStringList{"2000 box 8000", "3000 z21 verloren"}
            << z21 + QStringList{"3000" + x + "10 00 03 80 77"} << "Verbindung verloren" << 0;
        QTest::newRow("dccex gleis aus, box offen") << zentralenoption(QStringLiteral("DCC-EX")) << false
            << QStringList{"2000 box 8000", "3000 dccex aus"}
            << dccex + QStringList{"3000 <t 3 0 1><LF>", "10000 <t 3 0 1><LF>"} << "Gleis: aus" << 0;
        QTest::newRow("ecos eigenes power off") << 2 << false << QStringList{"3000 aus"}
            << ecos + QStringList{"3000 set(3,speed[0])", "3000 set(1,stop)", "3000 set(3,speed[0])"} << "" << 0;
        const auto dccexAus = [&](int pause) {
            return dccexFahrt(pause) + QStringList{"3000 <t 3 0 1><LF>", "3000 <0><LF>", "3000 <t 3 0 1><LF>"};
        };
        QTest::newRow("dccex eigenes power off") << 4 << false << QStringList{"3000 aus"} << dccexAus(100) << "" << 0;
        QTest::newRow("dccex einzelzeile, power off") << 4 << true << QStringList{"3000 aus"} << dccexAus(200) << "" << 0;
    }
    void halt()
    {
        QFETCH(int, option); QFETCH(bool, einzeln); QFETCH(QStringList, ereignisse);
        Aufbau a;
        a.feld.option = option;
        a.feld.adresse = QStringLiteral("3");
        a.feld.mitSignal = true;
        a.zeilen({"1,M,5", "1,m,5"});
        QStringList ursachen;
        connect(&a.ablauf, &Ablauf::angehalten, this, [&](Gleiszustand z) { ursachen << gleisanzeigeText(z); });
        DccexGleise dccex;
        for (const QString &e : ereignisse)
            a.zeit.bei(e.section(u' ', 0, 0).toLongLong(), [&a, e, &dccex] { anlage(a, e, dccex); });
        einzeln ? a.ablauf.btnSendZeile_Click() : a.ablauf.btnStart_Click();
        QTEST(protokoll(a.port) + a.link.gesendet + a.z21link.gesendet, "erwartet");
        QTEST(ursachen.join(u'|'), "ursache");
        QTEST(int(a.klang.gespielt.size()), "klaenge");
        QVERIFY(!a.ablauf.laeuft());
    }

    // Outside a run the state alone changes; while it stops the track, "starten" and
    // "aktuelle Zeile" are refused and nothing goes out; power back allows them again.
    // A report of another station than the selected one changes nothing here.
    void sperre_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("meldung");
        QTest::addColumn<QString>("wiederAn");
        QTest::addColumn<QString>("zustand");
        QTest::newRow("lenz aus") << 1 << "0 61 00 61" << "0 61 01 60" << "Gleis: aus";
        QTest::newRow("lenz nothalt") << 1 << "0 81 00 81" << "0 61 01 60" << "Nothalt";
        QTest::newRow("ecos stop") << 2 << "0 STOP" << "0 GO" << "Gleis: aus";
        QTest::newRow("ecos verloren") << 2 << "0 verloren" << "0 GO" << "Verbindung verloren";
        QTest::newRow("ecos meldet, lenz faehrt") << 1 << "0 STOP" << "" << "unbekannt";
        QTest::newRow("dccex hauptgleis aus") << 4 << "0 <p0 A>" << "0 <p1 A>" << "Gleis: aus";
        QTest::newRow("dccex ueberlast") << 4 << "0 <* TRACK A POWER OVERLOAD 2147mA (max 2000mA) detected after 12ms. Pause 40ms *>"
                                         << "0 <p1 MAIN>" << "Kurzschluss";
        QTest::newRow("dccex nur programmiergleis aus") << 4 << "0 <p0 PROG>" << "" << "unbekannt";
    }
    void sperre()
    {
        QFETCH(int, option); QFETCH(QString, meldung); QFETCH(QString, wiederAn);
        Aufbau a;
        a.feld.option = option;
        a.feld.adresse = QStringLiteral("3");
        a.zeile(1, "1,s,5");
        int gesperrt = 0;
        connect(&a.ablauf, &Ablauf::gesperrt, this, [&] { ++gesperrt; });
        DccexGleise dccex;
        anlage(a, meldung, dccex);
        QTEST(gleisanzeigeText(a.ablauf.gleiszustand()), "zustand");
        QVERIFY(a.port.vorgaenge.isEmpty() && a.link.gesendet.isEmpty());
        a.ablauf.btnStart_Click();
        a.ablauf.btnSendZeile_Click();
        const bool sperrt = sperrtFahrt(a.ablauf.gleiszustand());
        QCOMPARE(gesperrt, sperrt ? 2 : 0);
        QCOMPARE(a.port.vorgaenge.isEmpty() && a.link.gesendet.isEmpty(), sperrt);
        if (!sperrt)
            return;
        a.link.offen = true;
        anlage(a, wiederAn, dccex);
        QVERIFY(a.port.vorgaenge.isEmpty() && a.link.gesendet.isEmpty()); // power back starts nothing
        QCOMPARE(gleisanzeigeText(a.ablauf.gleiszustand()), QStringLiteral("Gleis: an"));
        a.ablauf.btnStart_Click();
        QVERIFY(!a.port.vorgaenge.isEmpty() || !a.link.gesendet.isEmpty());
    }

    void anzeige_data()
    {
        QTest::addColumn<Gleiszustand>("zustand");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("grund");
        QTest::addColumn<bool>("sperrt");
        QTest::newRow("an") << Gleiszustand::an << "Gleis: an" << QColor(0, 128, 0) << false;
        QTest::newRow("aus") << Gleiszustand::aus << "Gleis: aus" << QColor(255, 191, 0) << true;
        QTest::newRow("programmiermodus") << Gleiszustand::programmiermodus << "Gleis: aus" << QColor(255, 191, 0) << true;
        QTest::newRow("kurzschluss") << Gleiszustand::kurzschluss << "Kurzschluss" << QColor(255, 0, 0) << true;
        QTest::newRow("nothalt") << Gleiszustand::nothalt << "Nothalt" << QColor(255, 0, 0) << true;
        QTest::newRow("verloren") << Gleiszustand::verbindungVerloren << "Verbindung verloren" << QColor(80, 80, 80) << true;
        QTest::newRow("unbekannt") << Gleiszustand::unbekannt << "unbekannt" << QColor() << false;
    }
    // Words, colour and the name assistive technology reads; the width never changes.
    void anzeige()
    {
        QFETCH(Gleiszustand, zustand); QFETCH(QString, text); QFETCH(QColor, grund);
        Gleisanzeige a;
        const int breite = a.minimumSizeHint().width();
        const QColor fenster = a.palette().color(QPalette::Window);
        a.zeige(Gleiszustand::kurzschluss);
        a.zeige(zustand);
        QCOMPARE(a.text(), text);
        QCOMPARE(QAccessible::queryAccessibleInterface(&a)->text(QAccessible::Name), text);
        QCOMPARE(a.palette().color(QPalette::Window), grund.isValid() ? grund : fenster);
        QCOMPARE(a.minimumSizeHint().width(), breite);
        QTEST(sperrtFahrt(zustand), "sperrt");
    }
};

QTEST_MAIN(TestGleismeldung)
#include "tst_gleismeldung.moc"

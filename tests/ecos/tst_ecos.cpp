// The ECoS in virtual time: every command text, the evaluation of replies, and
// the order and pauses of the pass (stopped, closed, a full table), the single
// line, the control request and the power buttons, with a link that records every text;
// and the bytes the real link puts on the socket.
#include "helfer/Aufbau.h"
#include "helfer/Simulatorprozess.h"
#include "helfer/Verbinden.h"
#include "program/Verkehrsprotokoll.h"
#include "stations/ecos/EcosBefehle.h"
#include "stations/ecos/EcosVerbindung.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

Q_DECLARE_METATYPE(trabolin::EcosWertung)

namespace {
// The ECoS selected, the locomotive's ID typed into the address field.
void aufEcos(Aufbau &a, const QString &id = QStringLiteral("1000"))
{
    a.feld.option = 2;
    a.feld.adresse = id;
}

// A whole run from "starten" on the ECoS, ID 1000.
struct Lauf {
    QStringList tabelle;
    int startzeile = 1;
    bool endlos = false;
    qint64 eingriffBei = 0;  // a stop then; 0: none
    QStringList erwartet;
    int endsignale = 1;
};
} // namespace

Q_DECLARE_METATYPE(Lauf)

class TestEcos : public QObject {
    Q_OBJECT
private slots:
    void befehle_data()
    {
        QTest::addColumn<QString>("ist");
        QTest::addColumn<QString>("soll");
        QTest::newRow("richtung S") << ecosRichtung("1000", "S") << "set(1000,dir[0])";
        for (const char *e : {"s", "m", "f", "F", ""})
            QTest::addRow("richtung '%s'", e) << ecosRichtung("1000", e) << "set(1000,dir[1])";
        // The cells as the ECoS pass reads them.
        Tabellenspeicher t;
        fuelleZeile(t, 1, "1,s,1, ,x,XX,X,1");
        const Programmzeile z = leseProgrammzeile(t, 1, zentralenzeile(2)->lesart);
        QTest::newRow("nur grosses X zaehlt") << ecosFunktionen("7", {z.licht, z.f[0], z.f[1], z.f[2], z.f[3]})
                                              << "set(7,func[0,0],func[1,0],func[2,0],func[3,1],func[4,0])";
        QTest::newRow("id wie getippt") << ecosStopp(" 1000") << "set( 1000,speed[0])";
        QTest::newRow("fahrstufe 127.5") << ecosFahrstufentext("127.5") << "127";
        QTest::newRow("fahrstufe -3") << ecosFahrstufentext("-3") << "0";
        QTest::newRow("fahrstufe 1 2") << ecosFahrstufentext("1 2") << "1 2";
    }
    void befehle()
    {
        QFETCH(QString, ist);
        QTEST(ist, "soll");
    }

    void wertung_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<EcosWertung>("wertung");
        const auto ok = EcosWertung::ok, fehler = EcosWertung::fehler, keine = EcosWertung::keine;
        QTest::newRow("ok") << "<REPLY request(1000,control)>\n<END 0 (OK)>\n" << ok;
        QTest::newRow("ERROR") << "ERROR" << fehler;
        QTest::newRow("klein geschrieben") << "error" << keine;
        QTest::newRow("beide woerter: OK gewinnt") << "(OK) ERROR" << ok;
        QTest::newRow("beide woerter, andere reihenfolge") << "ERROR (OK)" << ok;
        QTest::newRow("mitten abgeschnitten") << "<REPLY queryObjects(10, name)>\n1000 name[\"BR" << keine;
        QTest::newRow("ohne zeilenende") << "<REPLY set(1,go)>\n<END 0 (OK, but no newline after packet)>\n" << ok;
        QTest::newRow("alte firmware") << "<REPLY set(1,go)>\n<END 0 (NERROR_OK)>\n" << ok;
        QTest::newRow("fremde kontrolle") << "<END 25 (controlled by somebody else)>" << fehler;
        QTest::newRow("(OK) im namen, END 11") << "1000 name[\"(OK)\"]\n<END 11 (unknown option at 9)>" << fehler;
        QTest::newRow("letzte END zaehlt: fehler") << "<END 0 (OK)>\n<END 25 (controlled by somebody else)>" << fehler;
        QTest::newRow("letzte END zaehlt: ok") << "<END 25 (controlled by somebody else)>\n<END 0 (OK)>" << ok;
    }
    void wertung()
    {
        QFETCH(QString, antwort);
        QTEST(bewerteEcosAntwort(antwort), "wertung");
    }

    void lauf_data()
    {
        QTest::addColumn<Lauf>("lauf");
        const QString ohneFu = QStringLiteral(" set(1000,func[0,0],func[1,0],func[2,0],func[3,0],func[4,0])");
        // Line 1 driven at `fahrstufe`, the stop at `bei` ms.
        const auto gestoppt = [&](int fahrstufe, int bei) {
            return QStringList{"0 set(1000,dir[1])", "100" + ohneFu,
                               QStringLiteral("200 set(1000,speed[%1])").arg(fahrstufe),
                               QStringLiteral("%1 set(1000,speed[0])").arg(bei)};
        };
        // From line 2: Dauer 0 and a blank Dauer are skipped, minutes forward, then
        // seconds backward; the speed goes out as typed, above 127 as 127.
        QTest::newRow("ab zeile 2, uebersprungen, minuten und sekunden") << Lauf{
            .tabelle = {"9,s,9", "0,s,5", " ,s,6", "1,M,200,X,,X", "12,s,040"},
            .startzeile = 2,
            .erwartet = {"0 set(1000,dir[0])", "100 set(1000,func[0,1],func[1,0],func[2,1],func[3,0],func[4,0])",
                         "200 set(1000,speed[127])", "60200 set(1000,dir[1])", "60300" + ohneFu,
                         "60400 set(1000,speed[040])", "72400 set(1000,speed[0])"},
            .endsignale = 2};
        QTest::newRow("endlos ohne gefahrene zeile endet") << Lauf{
            .tabelle = {"0,s,5"}, .endlos = true, .erwartet = {"0 set(1000,speed[0])"}, .endsignale = 2};
        // The cut-short wait sends nothing; the next line sends one stop and the run ends.
        // A line without Fahrstufe stands: speed 0.
        QTest::newRow("stopp in der wartezeit, leere fahrstufe")
            << Lauf{.tabelle = {"5,s,", "5,s,8"}, .eingriffBei = 1000, .erwartet = gestoppt(0, 1000)};
        QTest::newRow("stopp zwischen den befehlen einer zeile") << Lauf{
            .tabelle = {"5,s,7", "5,s,8"},
            .eingriffBei = 50,
            // The stop latch holds the line's speed back; the functions, all off, move nothing.
            .erwartet = {"0 set(1000,dir[1])", "50" + ohneFu, "50 set(1000,speed[0])"}};
    }
    void lauf()
    {
        QFETCH(Lauf, lauf);
        Aufbau a;
        aufEcos(a);
        a.feld.mitSignal = true;
        a.feld.mitEndlos = lauf.endlos;
        a.zeilen(lauf.tabelle);
        a.tabelle.setzeAktuelleZeile(lauf.startzeile);
        if (lauf.eingriffBei > 0)
            a.zeit.bei(lauf.eingriffBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        QCOMPARE(a.link.gesendet, lauf.erwartet);
        QCOMPARE(a.klang.gespielt.size(), lauf.endsignale);
        QVERIFY(a.port.vorgaenge.isEmpty());
        QCOMPARE(a.nichtVerbunden, 0);
    }

    // A full table: 25 lines, then the stop.
    void volleTabelle()
    {
        Aufbau a;
        aufEcos(a, QStringLiteral("24"));
        for (int z = 1; z <= anzahlZeilen; ++z)
            a.zeile(z, QStringLiteral("1,s,1"));
        a.ablauf.btnStart_Click();
        QCOMPARE(a.link.gesendet.size(), 3 * anzahlZeilen + 1);
        QCOMPARE(a.link.gesendet.last(), QStringLiteral("30000 set(24,speed[0])"));
    }

    // The link goes away in the middle of a line: the run ends at the next command,
    // the window is told once, no end sound.
    void linkWeg()
    {
        Aufbau a;
        aufEcos(a);
        a.feld.mitSignal = true;
        a.zeilen({"1,s,1", "1,s,2"});
        a.zeit.bei(150, [&] { a.link.offen = false; });
        a.ablauf.btnStart_Click();
        QCOMPARE(a.link.gesendet.size(), 2);
        QCOMPARE(a.nichtVerbunden, 1);
        QCOMPARE(a.zeit.jetzt, qint64(200));
        QVERIFY(a.klang.gespielt.isEmpty());
        QVERIFY(!a.ablauf.laeuft());
    }

    void einzelzeile_data()
    {
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<qint64>("stoppBei"); // 0: no stop
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("sekunden vorwaerts")
            << "5,S,300,X" << qint64(0)
            << QStringList{"0 set(1000,dir[0])", "100 set(1000, func[0, 1], func[1, 0], func[2, 0], func[3, 0], func[4, 0])",
                           "200 set(1000,speed[127])", "5200 set(1000,speed[0])"};
        QTest::newRow("leere dauer und fahrstufe: gesendet, gleich gestoppt")
            << ",s,,,X" << qint64(0)
            << QStringList{"0 set(1000,dir[1])", "100 set(1000, func[0, 0], func[1, 1], func[2, 0], func[3, 0], func[4, 0])",
                           "200 set(1000,speed[0])", "200 set(1000,speed[0])"};
        // A stop cuts the wait short: the rest of the line and its stop follow at once.
        QTest::newRow("stopp in der ersten pause")
            << "5,S,300,X" << qint64(50)
            // The light and the speed after the stop are held back by the stop latch.
            << QStringList{"0 set(1000,dir[0])", "50 set(1000,speed[0])"};
        QTest::newRow("stopp in der dauer")
            << "5,S,300,X" << qint64(1000)
            << QStringList{"0 set(1000,dir[0])", "100 set(1000, func[0, 1], func[1, 0], func[2, 0], func[3, 0], func[4, 0])",
                           "200 set(1000,speed[127])", "1000 set(1000,speed[0])"};
    }
    void einzelzeile()
    {
        QFETCH(QString, zeile);
        Aufbau a;
        aufEcos(a);
        a.zeile(4, zeile);
        a.tabelle.setzeAktuelleZeile(4);
        QFETCH(qint64, stoppBei);
        if (stoppBei > 0)
            a.zeit.bei(stoppBei, [&] { a.ablauf.stoppKlick(); });
        a.ablauf.btnSendZeile_Click();
        QTEST(a.link.gesendet, "erwartet");
        QCOMPARE(a.ecos.ecosId(), QStringLiteral("1000"));
        QCOMPARE(a.feld.lauf, QStringLiteral("00:00:00")); // no run yet: nothing to count from
    }

    // "Kontrolle übernehmen" for another ID during a run leaves the run's locomotive
    // alone: the rest of the pass and its stop go to the ID the pass began with.
    void kontrolleImLauf()
    {
        Aufbau a;
        aufEcos(a, QStringLiteral("1000"));
        a.zeilen({"3,s,7", "2,s,9"});
        a.zeit.bei(1500, [&] { a.ecos.uebernehmeKontrolle(QStringLiteral("1003")); });
        a.ablauf.btnStart_Click();
        const QStringList v = a.link.gesendet;
        QCOMPARE(v.filter(QStringLiteral("request(1003,control)")).size(), 2);
        QCOMPARE(v.filter(QStringLiteral("set(1003")), QStringList());
        QCOMPARE(v.last(), QStringLiteral("5400 set(1000,speed[0])"));
    }

    // Twice, 200 ms apart, and a stop cuts the pause short; a link that is gone is
    // told once, with no second try.
    void kontrolle()
    {
        Aufbau a;
        aufEcos(a, QStringLiteral("1003"));
        QVERIFY(QCoro::waitFor(a.ecos.uebernehmeKontrolle(a.feld.adresse)));
        a.zeit.bei(250, [&] { a.ablauf.stoppKlick(); });
        QVERIFY(QCoro::waitFor(a.ecos.uebernehmeKontrolle(a.feld.adresse)));
        QCOMPARE(a.link.gesendet, (QStringList{"0 request(1003,control)", "200 request(1003,control)",
                                               "200 request(1003,control)", "250 request(1003,control)"}));

        a.link.offen = false;
        QVERIFY(!QCoro::waitFor(a.ecos.uebernehmeKontrolle(a.feld.adresse)));
        QCOMPARE(a.nichtVerbunden, 1);
    }

    // Through the real link to a socket on 127.0.0.1: each command text as its Latin-1
    // bytes, nothing added, after the two requests of the link's watch; a character
    // beyond Latin-1 goes out as "?". The traffic log shows what went out.
    void bytesAufDemSocket_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("befehl");
        QTest::addColumn<QString>("protokoll");
        QTest::newRow("ziffern") << QStringLiteral("1003") << QByteArray("request(1003,control)")
                                 << QStringLiteral("ECoS > request(1003,control)");
        QTest::newRow("latin-1") << QStringLiteral("10\u00E4") << QByteArray("request(10\xE4,control)")
                                 << QStringLiteral("ECoS > request(10\u00E4,control)");
        QTest::newRow("jenseits") << QStringLiteral("1\u20AC") << QByteArray("request(1?,control)")
                                  << QStringLiteral("ECoS > request(1?,control)");
    }

    void bytesAufDemSocket()
    {
        QFETCH(QString, id);
        QFETCH(QByteArray, befehl);
        QFETCH(QString, protokoll);
        QTemporaryDir verzeichnis;
        const QString pfad = verzeichnis.filePath(QStringLiteral("verkehr.log"));
        Verkehrsprotokoll log;
        QVERIFY(log.oeffne(pfad));

        QTcpServer ecos;
        QVERIFY(ecos.listen(QHostAddress::LocalHost));
        EcosVerbindung link;
        QVERIFY(test::verbindeUndWarte(link, QStringLiteral("127.0.0.1"), ecos.serverPort()));
        QTRY_VERIFY(ecos.hasPendingConnections());
        QTcpSocket *gegenstelle = ecos.nextPendingConnection();
        QByteArray empfangen;
        QObject::connect(gegenstelle, &QTcpSocket::readyRead, [&] { empfangen += gegenstelle->readAll(); });

        Aufbau a;
        aufEcos(a, id);
        EcosTreiber treiber(a.ablauf, link, zentralenzeile(2)->lesart);
        QVERIFY(QCoro::waitFor(treiber.uebernehmeKontrolle(a.feld.adresse)));
        const QByteArray erwartet = QByteArray("request(1, view)get(1, status)queryObjects(26, ports)") + befehl + befehl;
        QTRY_VERIFY(empfangen.size() >= erwartet.size());
        QCOMPARE(empfangen, erwartet);

        QFile datei(pfad);
        QVERIFY(datei.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(datei.readAll()).count(protokoll), 2);
    }

    // The s88 modules' contacts as the watch reports them, from the ECoS PC interface's
    // replies and events (bit i of state = port i + 1; a flat number counts the ports of
    // the lower modules first): "E3+" an event of contact 3 occupied, "E3-" free, "S1+" a
    // state (the answer to get); free states are left out. What `vorher` brings is not
    // shown; "|" parts pieces the link delivers one by one.
    void kontakte_data()
    {
        QTest::addColumn<QString>("vorher");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("meldungen");
        const auto liste = [](const char *zeilen) {
            return QStringLiteral("<REPLY queryObjects(26, ports)>\n%1<END 0 (OK)>\n").arg(QLatin1String(zeilen));
        };
        const auto stand = [](int objekt, const char *wert) {
            return QStringLiteral("<REPLY get(%1, state)>\n%1 state[%2]\n<END 0 (OK)>\n").arg(objekt).arg(QLatin1String(wert));
        };
        const auto ereignis = [](int objekt, const char *wert) {
            return QStringLiteral("<EVENT %1>\n%1 state[%2]\n<END 0 (OK)>\n").arg(objekt).arg(QLatin1String(wert));
        };
        QTest::newRow("port 3 von modul 1") << stand(100, "0x0") << ereignis(100, "0x4") << "E3+";
        QTest::newRow("stand, bit 0 ist port 1") << "" << stand(100, "0x8001") << "S1+ S16+";
        QTest::newRow("zweites modul hinter 8 ports")
            << liste("100 ports[8]\n101 ports[16]\n") + stand(100, "0x0") + stand(101, "0x0") << ereignis(101, "0x1")
            << "E9+";
        QTest::newRow("ohne liste 16 ports je modul") << stand(101, "0x0") << ereignis(101, "0x2") << "E18+";
        QTest::newRow("ohne ports in der liste 16")
            << liste("100\n101 ports[8]\n") + stand(100, "0x0") + stand(101, "0x0") << ereignis(101, "0x1") << "E17+";
        QTest::newRow("nur der wechsel") << ereignis(100, "0x4") << ereignis(100, "0x6") << "E2+";
        QTest::newRow("frei") << stand(100, "0x4") << ereignis(100, "0x0") << "E3-";
        QTest::newRow("in stuecken") << stand(100, "0x0") << "<EVENT 100>\n|100 state[0x4]\n|<END 0 (OK)>\n" << "E3+";
        QTest::newRow("eine lok ist kein modul") << "" << ereignis(1000, "0x1") << "";
    }
    void kontakte()
    {
        QFETCH(QString, vorher);
        QFETCH(QString, text);
        Aufbau a;
        struct : Gleismelder {
            QStringList meldungen;
            void meldeGleiszustand(Gleiszustand) override {}
            void meldeKontakt(int n, bool belegt) override { meldungen << QStringLiteral("E%1%2").arg(n).arg(belegt ? QChar(u'+') : QChar(u'-')); }
            void meldeKontaktstand(int n, bool belegt) override
            {
                if (belegt)
                    meldungen << QStringLiteral("S%1+").arg(n);
            }
        } melder;
        EcosStatuswache wache(a.link);
        wache.setzeMelder(&melder);
        wache.beginne();
        wache.lies(vorher);
        melder.meldungen.clear();
        for (const QString &stueck : text.split(u'|'))
            wache.lies(stueck);
        QTEST(melder.meldungen.join(u' '), "meldungen");
    }

    // A contact line against the simulator: at the connect the link asks for the s88
    // modules and knows contact 2 free; "K" drives the locomotive forwards at speed 127,
    // the simulator's locomotive reaches contact 2 and the module's EVENT ends the line's
    // wait; the next line drives after it.
    void kontaktZumSimulator()
    {
        Aufbau a;
        aufEcos(a);
        Simulatorprozess sim;
        sim.schnitt = ohneZeit;
        QVERIFY(sim.starte(QStringLiteral(TRABOLIN_ECOS_SIM), {"--port", "0"}));
        EcosVerbindung link;
        link.setzeGleismelder(&a.ablauf.gleismelder(2));
        EcosTreiber treiber(a.ablauf, link, zentralenzeile(2)->lesart);
        a.ablauf.setzeTreiber(2, &treiber);
        QVERIFY(test::verbindeUndWarte(link, QStringLiteral("127.0.0.1"), sim.port()));
        QTRY_COMPARE(a.ablauf.kontaktzustand(2, 2), std::optional<bool>(false));
        QVERIFY(QCoro::waitFor(treiber.uebernehmeKontrolle(a.feld.adresse)));
        a.zeilen({"2,K,127", "1,S,5"});
        QSignalSpy verfehlt(&a.ablauf, &Ablauf::kontaktVerfehlt);
        bool wartete = false;
        a.zeit.bei(1000, [&] {
            wartete = a.ablauf.wartetAufKontakt() == 2;
            QTRY_COMPARE(a.ablauf.kontaktzustand(2, 2), std::optional<bool>(true));
        });
        a.ablauf.btnStart_Click();
        QVERIFY(wartete && !a.ablauf.laeuft());
        QCOMPARE(verfehlt.size(), 0);
        QTRY_VERIFY(sim.anzahl(QStringLiteral("1000 speed=5 ")) > 0);
        // The module's event as the PC interface writes it, between the two lines.
        const QStringList zeilen = sim.lies();
        const auto stelle = [&](const QString &text) { qsizetype i = 0; while (i < zeilen.size() && !zeilen[i].contains(text)) ++i; return i; };
        const qsizetype ereignis = stelle(QStringLiteral("-> Kontakt 2 belegt [EVENT 100 state[0x2]]"));
        QVERIFY(ereignis < zeilen.size());
        QVERIFY(stelle(QStringLiteral("1000 speed=127 ")) < ereignis);
        QVERIFY(ereignis < stelle(QStringLiteral("1000 speed=5 ")));
    }

    // Two locomotives on the simulator at once, each on a track of its own: the first
    // one set running (1000, speed[127], 1 m/s) on ports 1 and 2 of module 100 as
    // always, the second (1001, speed[64], about 0.5 m/s) on ports 3 and 4. Both set
    // in one go: 1000 reaches port 2 after 1.3 s and leaves it after 1.4 s, 1001 port
    // 4 after about 2.6 s and 2.8 s, and a client that asked for the module gets each
    // change as "<EVENT 100>" with the module's state (bit i is port i + 1).
    void zweiLoksAmSimulator()
    {
        Simulatorprozess sim;
        sim.schnitt = ohneZeit;
        QVERIFY(sim.starte(QStringLiteral(TRABOLIN_ECOS_SIM), {"--port", "0"}));
        QTcpSocket ecos;
        ecos.connectToHost(QHostAddress::LocalHost, sim.port());
        QVERIFY(ecos.waitForConnected(5000));
        QByteArray empfangen;
        QObject::connect(&ecos, &QTcpSocket::readyRead, [&] { empfangen += ecos.readAll(); });
        ecos.write("request(100, view)\nrequest(1000, control)\nrequest(1001, control)\n"
                   "set(1000, speed[127])\nset(1001, speed[64])\n");
        QTRY_VERIFY_WITH_TIMEOUT(empfangen.count("<EVENT 100>") >= 4, 10000);
        QStringList staende;
        static const QRegularExpression ereignis(QStringLiteral("<EVENT 100>\n100 state\\[(0x[0-9a-f]+)\\]\n<END 0 \\(OK\\)>"));
        for (auto it = ereignis.globalMatch(QString::fromUtf8(empfangen)); it.hasNext();)
            staende << it.next().captured(1);
        QCOMPARE(staende, (QStringList{"0x2", "0x0", "0x8", "0x0"}));
        // The simulator's lines name the locomotive that changed each contact.
        static const QRegularExpression strecke(QStringLiteral("Strecke: Lok (\\d+) bei \\d+ mm -> (Kontakt \\d+ \\w+)"));
        const auto kontakte = [&] {
            QStringList liste;
            for (const QString &zeile : sim.lies())
                if (const auto treffer = strecke.match(zeile); treffer.hasMatch())
                    liste << treffer.captured(1) + u' ' + treffer.captured(2);
            return liste;
        };
        QTRY_COMPARE(kontakte(), (QStringList{"1000 Kontakt 2 belegt", "1000 Kontakt 2 frei", "1001 Kontakt 4 belegt",
                                              "1001 Kontakt 4 frei"}));
    }

    void power()
    {
        Aufbau a;
        aufEcos(a);
        a.ablauf.btnPower_Click(1);
        a.ablauf.btnPower_Click(0);
        a.link.offen = false;
        a.ablauf.btnPower_Click(1); // not connected: nothing, no message
        QCOMPARE(a.link.gesendet, (QStringList{"0 set(1,go)", "0 set(1,stop)"}));
        QCOMPARE(a.nichtVerbunden, 0);
    }
};

QTEST_GUILESS_MAIN(TestEcos)
#include "tst_ecos.moc"

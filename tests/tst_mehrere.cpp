// Several driving programs on one station link and one clock, in virtual time with
// waits that suspend, so that the runs go on side by side. Each program drives its
// table on its own schedule: what the link carries is exactly what each program alone
// would have sent, command for command and millisecond for millisecond. A program's
// own stop stops only its locomotive; St&op, the layout and closing stop all of them;
// a locomotive driven by one program is refused to another; one contact ends the
// waits of every program that waits for it.
#include "helfer/Aufbau.h"
#include "window/Gleisanzeige.h"

#include <QtTest>

#include <algorithm>
#include <memory>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// One driving program: its table, its fields, its sound, its run and its driver.
struct Programm {
    Tabellenspeicher tabelle;
    TestBedienfeld feld;
    KlangMitschrift klang;
    Ablauf ablauf;
    std::unique_ptr<Zentralentreiber> treiber;
    QStringList belegt; // "<program>|<address>" of each refusal
    Programm(Fahrbetrieb &betrieb, VirtuelleZeit &zeit) : klang(zeit), ablauf(betrieb, tabelle, feld, klang)
    {
        QObject::connect(&ablauf, &Ablauf::lokBelegt,
                         [this](int p, const QString &lok) { belegt << QString::number(p) + u'|' + lok; });
    }
};

// The station link shared by the programs: the Z21's datagrams, the ECoS's texts, or
// the serial port of the Lenz and the 6021, each write with its virtual time.
struct Anlage {
    GleichzeitigeZeit zeit;
    Fahrbetrieb betrieb{zeit};
    QString station;
    int option = -1;
    Z21Mitschrift z21{zeit};
    LinkMitschrift ecos{zeit};
    Mitschrift port{zeit};
    // What the drivers share on the one port, as the station's factory makes it.
    std::shared_ptr<LenzHoerer> hoerer = std::make_shared<LenzHoerer>(betrieb.gleismelder(option));
    std::shared_ptr<S88Leitung> leitung = std::make_shared<S88Leitung>();
    std::shared_ptr<EcosKontrollen> kontrollen; // set: the ECoS drivers take control themselves
    std::vector<std::unique_ptr<Programm>> programme;

    explicit Anlage(const QString &s) : station(s), option(zentralenoption(s)) {}

    Programm &neu(const QString &adresse, const QStringList &zeilen)
    {
        auto p = std::make_unique<Programm>(betrieb, zeit);
        p->feld.option = option;
        p->feld.adresse = adresse;
        p->feld.mitSignal = true;
        for (int i = 0; i < zeilen.size(); ++i)
            fuelleZeile(p->tabelle, i + 1, zeilen[i]);
        const Lesart &lesart = zentralenzeile(option)->lesart;
        Ablauf &a = p->ablauf;
        if (station == u"Z21")
            p->treiber = std::make_unique<Z21Treiber>(a, z21, lesart);
        else if (station == u"Ecos")
            p->treiber = kontrollen ? std::make_unique<EcosTreiber>(a, ecos, lesart, kontrollen)
                                    : std::make_unique<EcosTreiber>(a, ecos, lesart);
        else if (station == u"Lenz")
            p->treiber = std::make_unique<LenzTreiber>(a, port, lesart, hoerer);
        else
            p->treiber = std::make_unique<MaerklinTreiber>(a, port, lesart, &betrieb.gleismelder(option), leitung);
        a.setzeTreiber(option, p->treiber.get());
        programme.push_back(std::move(p));
        return *programme.back();
    }

    // Every command on the link as "<time> <command>", ordered by time and text: two
    // programs whose commands fall due at one moment may go out in either order.
    QStringList draht() const
    {
        QStringList d = station == u"Z21" ? z21.gesendet : station == u"Ecos" ? ecos.gesendet : QStringList{};
        for (const Schreibvorgang &v : port.vorgaenge)
            d << QString::number(v.zeit) + u' ' + QString::fromLatin1(v.bytes.toHex(' ').toUpper());
        std::stable_sort(d.begin(), d.end(), [](const QString &a, const QString &b) {
            const qint64 ta = a.section(u' ', 0, 0).toLongLong(), tb = b.section(u' ', 0, 0).toLongLong();
            return ta != tb ? ta < tb : a < b;
        });
        return d;
    }
    QStringList klaenge() const
    {
        QStringList k;
        for (const auto &p : programme)
            for (const auto &[t, datei] : p->klang.gespielt)
                k << QString::number(t) + u' ' + datei;
        k.sort();
        return k;
    }
};

// What happens during the runs, at virtual times: "1500 stopp" St&op, "1500 halt 1"
// program 1's own stop, "1500 aus" the station reports its track off, "1500 ende" the
// window closes.
using Ereignisse = QList<std::pair<qint64, QString>>;

void plane(Anlage &a, const Ereignisse &ereignisse)
{
    for (const auto &[t, was] : ereignisse)
        a.zeit.bei(t, [&a, was] {
            if (was == u"stopp")
                a.betrieb.stoppAlle();
            else if (was.startsWith(u"halt "))
                a.programme.at(was.mid(5).toInt() - 1)->ablauf.stoppKlick();
            else if (was == u"aus")
                a.betrieb.gleismelder(a.option).meldeGleiszustand(Gleiszustand::aus);
            else if (was == u"ende")
                a.betrieb.beenden();
        });
}

// The events that reach program `nummer` when it runs alone: its own stop, and all
// that stops every program.
Ereignisse fuer(const Ereignisse &alle, int nummer)
{
    Ereignisse e;
    for (const auto &paar : alle)
        if (!paar.second.startsWith(u"halt ") || paar.second == QStringLiteral("halt %1").arg(nummer))
            e << std::make_pair(paar.first, paar.second.startsWith(u"halt ") ? QStringLiteral("halt 1") : paar.second);
    return e;
}

} // namespace

class TstMehrere : public QObject {
    Q_OBJECT
private slots:
    // Two programs started together, address 3 and 4 (on the ECoS IDs 1003 and 1004),
    // tables of different lengths, one endless: the link carries the union of what
    // each program alone sends, at the same times, and each plays its own end sound.
    void nebeneinander_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<Ereignisse>("ereignisse");
        for (const char *station : {"Z21", "Ecos", "Lenz", "DCC"}) {
            QTest::addRow("%s, ungestört", station) << station << Ereignisse{};
            QTest::addRow("%s, St&op", station) << station << Ereignisse{{3500, "stopp"}};
            QTest::addRow("%s, eigener Halt von 1", station) << station << Ereignisse{{3500, "halt 1"}};
            QTest::addRow("%s, eigener Halt von 2", station) << station << Ereignisse{{2500, "halt 2"}};
            QTest::addRow("%s, Gleis aus", station) << station << Ereignisse{{3500, "aus"}};
            QTest::addRow("%s, Fenster zu", station) << station << Ereignisse{{3500, "ende"}};
        }
    }
    void nebeneinander()
    {
        QFETCH(QString, station);
        QFETCH(Ereignisse, ereignisse);
        const bool ecos = station == u"Ecos";
        const QStringList tabelle1{"2,S,10,X", "3,s,20,,X", "1,S,5"};
        const QStringList tabelle2{"1,S,30,,,X", "4,S,12"};
        const QString adresse1 = ecos ? QStringLiteral("1003") : QStringLiteral("3");
        const QString adresse2 = ecos ? QStringLiteral("1004") : QStringLiteral("4");
        // Each alone, on a Fahrbetrieb of its own.
        QStringList einzeln, einzelnKlaenge;
        for (int n : {1, 2}) {
            Anlage e(station);
            Programm &p = e.neu(n == 1 ? adresse1 : adresse2, n == 1 ? tabelle1 : tabelle2);
            p.feld.mitEndlos = n == 2;
            plane(e, fuer(ereignisse, n));
            p.ablauf.btnStart_Click();
            e.zeit.laufe(20000);
            einzeln << e.draht();
            einzelnKlaenge << e.klaenge();
        }
        // Together, started at one instant.
        Anlage a(station);
        Programm &p1 = a.neu(adresse1, tabelle1);
        Programm &p2 = a.neu(adresse2, tabelle2);
        p2.feld.mitEndlos = true;
        plane(a, ereignisse);
        p1.ablauf.btnStart_Click();
        p2.ablauf.btnStart_Click();
        QVERIFY(p1.ablauf.laeuft() && p2.ablauf.laeuft());
        a.zeit.laufe(20000);
        const auto ordne = [](QStringList l) {
            std::stable_sort(l.begin(), l.end(), [](const QString &x, const QString &y) {
                const qint64 tx = x.section(u' ', 0, 0).toLongLong(), ty = y.section(u' ', 0, 0).toLongLong();
                return tx != ty ? tx < ty : x < y;
            });
            return l;
        };
        QCOMPARE(a.draht(), ordne(einzeln));
        einzelnKlaenge.sort();
        QCOMPARE(a.klaenge(), einzelnKlaenge);
        QVERIFY(!p1.ablauf.laeuft());
        // The endless one runs on unless something stopped it.
        const bool zweiterHaelt = std::any_of(ereignisse.begin(), ereignisse.end(),
                                              [](const auto &e) { return e.second != u"halt 1"; });
        QCOMPARE(p2.ablauf.laeuft(), !zweiterHaelt);
        if (p2.ablauf.laeuft())
            QVERIFY(!p2.ablauf.bewegte().empty());
        QVERIFY(p1.ablauf.bewegte().empty());
    }

    // The alone runs above stand for what a program does today: on the clock that
    // suspends, a program on its own sends what it sends on the tests' usual clock.
    void alleinWieBisher()
    {
        const QStringList tabelle{"2,S,10,X", "3,s,20,,X", "1,S,5"};
        Aufbau bisher;
        bisher.feld.option = zentralenoption(QStringLiteral("Z21"));
        bisher.feld.adresse = QStringLiteral("3");
        bisher.feld.mitSignal = true;
        bisher.zeilen(tabelle);
        bisher.ablauf.btnStart_Click();
        Anlage neu(QStringLiteral("Z21"));
        neu.neu(QStringLiteral("3"), tabelle).ablauf.btnStart_Click();
        neu.zeit.laufe();
        QStringList erwartet = bisher.z21link.gesendet;
        std::stable_sort(erwartet.begin(), erwartet.end(), [](const QString &x, const QString &y) {
            const qint64 tx = x.section(u' ', 0, 0).toLongLong(), ty = y.section(u' ', 0, 0).toLongLong();
            return tx != ty ? tx < ty : x < y;
        });
        QCOMPARE(neu.draht(), erwartet);
        QCOMPARE(neu.klaenge(), bisher.klaenge());
    }

    // A locomotive another program drives is refused, on "starten" and on "aktuelle
    // Zeile", with the number of that program; nothing of the refused one goes out.
    // The same address on another station, or once the first has ended, is free.
    void belegt()
    {
        Anlage a(QStringLiteral("Z21"));
        Programm &p1 = a.neu(QStringLiteral("3"), {"5,S,10"});
        Programm &p2 = a.neu(QStringLiteral(" 3"), {"1,S,20"});
        Programm &p3 = a.neu(QStringLiteral("4"), {"1,S,20"});
        p1.ablauf.btnStart_Click();
        const qsizetype vorher = a.z21.gesendet.size();
        p2.ablauf.btnStart_Click();
        p2.ablauf.btnSendZeile_Click();
        QCOMPARE(p2.belegt, (QStringList{"1|3", "1|3"}));
        QVERIFY(!p2.ablauf.laeuft());
        QCOMPARE(a.z21.gesendet.size(), vorher);
        p3.ablauf.btnStart_Click(); // another locomotive drives beside it
        QVERIFY(p3.ablauf.laeuft());
        QVERIFY(p3.belegt.isEmpty());
        a.zeit.laufe();
        QVERIFY(!p1.ablauf.laeuft());
        p2.ablauf.btnStart_Click(); // free again
        QVERIFY(p2.ablauf.laeuft());
        QCOMPARE(p2.belegt.size(), 2);
        a.zeit.laufe();
        QCOMPARE(a.betrieb.nummerVon(p3.ablauf), 3);
    }

    // Two programs wait for the same contact: its report ends both waits at once, and
    // each goes on with its next line from that moment.
    void einKontaktFuerBeide()
    {
        Anlage a(QStringLiteral("Z21"));
        Programm &p1 = a.neu(QStringLiteral("3"), {"7,K,10", "1,S,0"});
        Programm &p2 = a.neu(QStringLiteral("4"), {"7,k,20", "2,S,0"});
        a.zeit.bei(2500, [&] {
            Gleismelder &m = a.betrieb.gleismelder(a.option);
            m.meldeKontakt(7, false);
            m.meldeKontakt(7, true);
        });
        p1.ablauf.btnStart_Click();
        p2.ablauf.btnStart_Click();
        a.zeit.laufe(1000);
        QCOMPARE(p1.ablauf.wartetAufKontakt(), 7);
        QCOMPARE(p2.ablauf.wartetAufKontakt(), 7);
        a.zeit.laufe();
        QVERIFY(!p1.ablauf.laeuft() && !p2.ablauf.laeuft());
        // Line 2 from the contact: its commands, the Z21's 100 ms before the functions, its time.
        QCOMPARE(p1.klang.gespielt.value(0).first, qint64(3600));
        QCOMPARE(p2.klang.gespielt.value(0).first, qint64(4600));
    }

    // The port's bytes reach the first program's driver only, as the window hands them
    // on; program 2 waits for contact 10 and asked for its module (42 01 80 C3,
    // 42 01 81 C2). The first frame of each nibble is the answer to that question, a
    // state: occupied there does not end the wait; the broadcast at 3000 ms does.
    void antwortAmPort()
    {
        Anlage a(QStringLiteral("Lenz"));
        Programm &p1 = a.neu(QStringLiteral("3"), {"10,S,5"});
        Programm &p2 = a.neu(QStringLiteral("4"), {"10,K,5", "3,S,3"});
        const QList<std::pair<qint64, const char *>> meldungen{
            {1000, "42 01 42 01 42 01 50 13"}, {2000, "42 01 40 03"}, {3000, "42 01 42 01"}};
        for (const auto &[t, hex] : meldungen)
            a.zeit.bei(t, [&p1, hex] { p1.treiber->empfange(QByteArray::fromHex(hex)); });
        a.betrieb.alleStarten();
        a.zeit.laufe(2500);
        QCOMPARE(p2.ablauf.wartetAufKontakt(), 10);
        a.zeit.laufe();
        QVERIFY(a.draht().contains(QStringLiteral("3000 E4 10 00 04 84 74")));
    }

    // On the ECoS each further program takes control of its ID before it drives: ID
    // 1003 was taken by hand ("Kontrolle übernehmen"), so only 1004 is asked for, and
    // its program drives the moment the ECoS granted it, on the common schedule from
    // there on. A refused or unanswered request (2 s) drives nothing of 1004 and tells
    // the user; 1003 drives on untouched.
    void ecosKontrolle_data()
    {
        QTest::addColumn<QString>("antwort"); // the ECoS's reply at 50 ms; empty: none
        QTest::addColumn<QStringList>("erwartet1004");
        QTest::addColumn<QString>("hinweis");
        const QStringList frage{"0 request(1004,control)"};
        QTest::newRow("erteilt") << "<REPLY request(1004,control)>\n<END 0 (OK)>"
                                 << frage + QStringList{"50 set(1004,dir[0])", "100 set(1004,func[0,0],func[1,0],func[2,0],func[3,0],func[4,0])",
                                                        "200 set(1004,speed[5])", "2200 set(1004,speed[0])"}
                                 << "";
        QTest::newRow("verweigert") << "<REPLY request(1004,control)>\n<END 25 (controlled by somebody else)>" << frage
                                    << "Die Ecos gibt ID 1004 nicht frei: sie fährt nicht !";
        QTest::newRow("keine antwort") << "" << frage
                                       << "Die Ecos antwortet nicht auf die Kontrolle über ID 1004: sie fährt nicht !";
    }
    void ecosKontrolle()
    {
        QFETCH(QString, antwort);
        Anlage a(QStringLiteral("Ecos"));
        a.kontrollen = std::make_shared<EcosKontrollen>();
        a.kontrollen->lies(QStringLiteral("<REPLY request(1003,control)>\n<END 0 (OK)>"));
        Programm &p1 = a.neu(QStringLiteral("1003"), {"2,S,7"});
        Programm &p2 = a.neu(QStringLiteral("1004"), {"2,S,5"});
        QStringList hinweise;
        p2.treiber->hinweis = [&](const QString &text) { hinweise << text; };
        if (!antwort.isEmpty())
            a.zeit.bei(50, [&] { a.kontrollen->lies(antwort); });
        a.betrieb.alleStarten();
        a.zeit.laufe();
        QStringList nur1003, nur1004;
        for (const QString &z : a.ecos.gesendet)
            (z.contains(u"1004") ? nur1004 : nur1003) << z;
        QTEST(nur1004, "erwartet1004");
        QCOMPARE(nur1003, (QStringList{"0 set(1003,dir[0])", "100 set(1003,func[0,0],func[1,0],func[2,0],func[3,0],func[4,0])",
                                       "200 set(1003,speed[7])", "2200 set(1003,speed[0])"}));
        QFETCH(QString, hinweis);
        QCOMPARE(hinweise.join(u'|'), hinweis);
        QVERIFY(!p1.ablauf.laeuft() && !p2.ablauf.laeuft());
    }

    // St&op while the second program waits for its control: both runs end, 1003 gets
    // its stop at that moment, and a grant that comes after the stop drives nothing.
    void ecosKontrolleStopp()
    {
        Anlage a(QStringLiteral("Ecos"));
        a.kontrollen = std::make_shared<EcosKontrollen>();
        a.kontrollen->lies(QStringLiteral("<REPLY request(1003,control)>\n<END 0 (OK)>"));
        Programm &p1 = a.neu(QStringLiteral("1003"), {"2,S,7"});
        Programm &p2 = a.neu(QStringLiteral("1004"), {"2,S,5"});
        plane(a, {{250, QStringLiteral("stopp")}});
        a.zeit.bei(300, [&] { a.kontrollen->lies(QStringLiteral("<REPLY request(1004,control)>\n<END 0 (OK)>")); });
        a.betrieb.alleStarten();
        a.zeit.laufe();
        QVERIFY(!p1.ablauf.laeuft() && !p2.ablauf.laeuft());
        QCOMPARE(a.ecos.gesendet.filter(QStringLiteral("1004")), QStringList{"0 request(1004,control)"});
        QVERIFY(a.ecos.gesendet.contains(QStringLiteral("250 set(1003,speed[0])")));
    }

    // The replies that grant control, in the ECoS's reply format ("<REPLY command>" up
    // to "<END n (text)>"): one block each, or several in one delivery in any order.
    // "beantwortet": each request's answer; "gehalten": the IDs held after.
    void ecosKontrollenLesen_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<QString>("beantwortet");
        QTest::addColumn<QString>("gehalten");
        QTest::newRow("erteilt") << "<REPLY request(1001,control)>\n<END 0 (OK)>" << "1001+" << "1001";
        QTest::newRow("mit force und blanks") << "<REPLY request(1002, control, force)>\n<END 0 (OK)>" << "1002+" << "1002";
        QTest::newRow("verweigert")
            << "<REPLY request(1001,control)>\n<END 25 (NERROR_NOCONTROL)>" << "1001-" << "";
        QTest::newRow("verweigert, dann ein anderes ok")
            << "<REPLY request(1001,control)>\n<END 25 (NERROR_NOCONTROL)>\n<REPLY set(1003,speed[0])>\n<END 0 (OK)>"
            << "1001-" << "";
        QTest::newRow("zwei anfragen") << "<REPLY request(1001,control)>\n<END 0 (OK)>\n<REPLY request(1002,control)>\n<END 15 (unknown object)>"
                                       << "1001+ 1002-" << "1001";
        QTest::newRow("zurueckgegeben") << "<REPLY request(1001,control)>\n<END 0 (OK)>\n<REPLY release(1001,control)>\n<END 0 (OK)>"
                                        << "1001+" << "";
        QTest::newRow("anderes") << "<REPLY get(1001,name)>\n1001 name[\"BR 218\"]\n<END 0 (OK)>" << "" << "";
    }
    void ecosKontrollenLesen()
    {
        QFETCH(QString, antwort);
        EcosKontrollen k;
        QStringList beantwortet;
        connect(&k, &EcosKontrollen::beantwortet,
                [&](const QString &id, bool ok) { beantwortet << id + (ok ? u'+' : u'-'); });
        k.lies(antwort);
        QTEST(beantwortet.join(u' '), "beantwortet");
        QStringList gehalten;
        for (const char *id : {"1001", "1002", "1003"})
            if (k.hat(QString::fromLatin1(id)))
                gehalten << QString::fromLatin1(id);
        QTEST(gehalten.join(u' '), "gehalten");
    }

    // "Alle starten": every program with a first line starts from line 1 on one
    // schedule start. Here program 1's first commands take 3 ms on its link, so a start
    // one after the other would move program 2's schedule 3 ms on; its last line (no
    // other command then) still ends at the common 2200 ms. An empty program stays.
    void alleStarten_data()
    {
        QTest::addColumn<bool>("zusammen");
        QTest::addColumn<qint64>("ende2");
        QTest::newRow("alle starten") << true << qint64(2200);
        QTest::newRow("nacheinander") << false << qint64(2203);
    }
    void alleStarten()
    {
        QFETCH(bool, zusammen);
        Anlage a(QStringLiteral("Z21"));
        Z21Mitschrift langsam(a.zeit);
        langsam.schreibMs = 3;
        Programm &p1 = a.neu(QStringLiteral("3"), {"1,S,10"});
        p1.treiber = std::make_unique<Z21Treiber>(p1.ablauf, langsam, zentralenzeile(a.option)->lesart);
        p1.ablauf.setzeTreiber(a.option, p1.treiber.get());
        Programm &p2 = a.neu(QStringLiteral("4"), {"1,S,10", "1,S,20"});
        Programm &leer = a.neu(QStringLiteral("5"), {});
        p2.tabelle.setzeAktuelleZeile(2);
        if (zusammen) {
            a.betrieb.alleStarten();
        } else {
            p1.ablauf.btnStart_Click();
            p2.tabelle.setzeAktuelleZeile(1);
            p2.ablauf.btnStart_Click();
        }
        QVERIFY(p1.ablauf.laeuft() && p2.ablauf.laeuft() && !leer.ablauf.laeuft());
        a.zeit.laufe();
        QTEST(p2.klang.gespielt.value(0).first, "ende2");
    }

    // "Power of&f" from one program's driver ends every program's run with its stop;
    // the track command goes out once, after the stops.
    void powerAus()
    {
        Anlage a(QStringLiteral("Z21"));
        Programm &p1 = a.neu(QStringLiteral("3"), {"60,S,10"});
        Programm &p2 = a.neu(QStringLiteral("4"), {"60,S,20"});
        a.zeit.bei(1000, [&] { p1.ablauf.btnPower_Click(0); });
        p1.ablauf.btnStart_Click();
        p2.ablauf.btnStart_Click();
        a.zeit.laufe();
        QVERIFY(!p1.ablauf.laeuft() && !p2.ablauf.laeuft());
        QVERIFY(p1.ablauf.bewegte().empty() && p2.ablauf.bewegte().empty());
        // Z21 LAN protocol: LAN_X_SET_LOCO_DRIVE speed 0 forwards for 3 and 4 at once,
        // then LAN_X_SET_TRACK_POWER_OFF; each program's wait repeats its stop as it ends.
        const QStringList um1000 = a.z21.gesendet.filter(QRegularExpression(QStringLiteral("^1000 ")));
        QCOMPARE(um1000.mid(0, 3), (QStringList{"1000 0A 00 40 00 E4 10 00 03 80 77", "1000 0A 00 40 00 E4 10 00 04 80 70",
                                                "1000 07 00 40 00 21 80 A1"}));
        QCOMPARE(um1000.size(), 5);
        QVERIFY(a.klaenge().isEmpty());
    }
};

QTEST_MAIN(TstMehrere)
#include "tst_mehrere.moc"

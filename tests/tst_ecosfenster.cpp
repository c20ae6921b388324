// The ECoS through the real window over real TCP: replies as they arrive in the
// reply field with its colours and the run buttons, the connection and its
// refusals, the double click into the address, a run against the simulator, and
// a link that breaks during a run.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Simulatorprozess.h"
#include "helfer/Verbinden.h"
#include "stations/ecos/EcosVerbindung.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// The simulator as a child process on a free port; the program's own status and s88
// module requests left out.
struct Simulator : Simulatorprozess {
    bool starte()
    {
        static const QRegularExpression eigen(
            QStringLiteral(" (request\\((1|100), view\\)|get\\(1, status\\)|queryObjects\\(26, ports\\)|get\\(100, state\\)) ->"));
        behalten = [](const QString &z) { return !z.contains(eigen); };
        return Simulatorprozess::starte(QStringLiteral(TRABOLIN_ECOS_SIM), {"--port", "0"}) && port() != 0;
    }
};

// The window with the ECoS chosen; a test's own server can play the ECoS.
struct Anlage : Fensteranlage {
    QTcpServer server;
    QTcpSocket *gegenstelle = nullptr;

    Anlage()
    {
        starte();
        meldungen.clear(); // start-up's own: no settings file
        feld<QRadioButton>(*f, "optZentrale_2")->click();
    }
    // Presses the connect button and waits for the outcome, which comes from the
    // event loop.
    void verbinde(quint16 port)
    {
        feld<QLineEdit>(*f, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
        feld<QLineEdit>(*f, "txtLocalPort")->setText(QString::number(port));
        QSignalSpy ergebnis(feld<EcosVerbindung>(*f, "TCP"), &Netzverbindung::verbindungsergebnis);
        feld<QPushButton>(*f, "btnEcos")->click();
        ergebnis.wait(6000);
    }
    // Connects the window to a server of the test, which then plays the ECoS.
    bool verbindeMitTest()
    {
        if (!server.listen(QHostAddress::LocalHost))
            return false;
        // The test's ECoS answers the program's first status request, as every ECoS
        // does, before anything else; the requests that follow it come too late to matter.
        feld<EcosVerbindung>(*f, "TCP")->wache().setzeZeiten(3'600'000, 3'600'000);
        verbinde(server.serverPort());
        if (!server.hasPendingConnections() && !server.waitForNewConnection(2000))
            return false;
        gegenstelle = server.nextPendingConnection();
        while (gegenstelle && !gegenstelle->peek(4096).contains("get(1, status)"))
            if (!gegenstelle->waitForReadyRead(2000))
                return false;
        gegenstelle->readAll();
        gegenstelle->write("<REPLY get(1, status)>\n1 status[GO]\n<END 0 (OK)>\n");
        if (!QTest::qWaitFor([this] { return feld<QLabel>(*f, "lblGleis")->text() == u"Gleis: an"; }))
            return false;
        return feld<EcosVerbindung>(*f, "TCP")->verbunden() && feld<QPushButton>(*f, "btnLok")->isEnabled();
    }
    void setzeLaufknoepfe(bool an)
    {
        for (QPushButton *k : felder<QPushButton>(*f, {"btnStart", "btnSendStop", "btnSendZeile"}))
            k->setEnabled(an);
    }
    // The reply field.
    QPlainTextEdit *rx() const { return feld<QPlainTextEdit>(*f, "txtRX"); }
};

} // namespace

class TestEcosFenster : public QObject {
    Q_OBJECT
private slots:
    void antworten_data()
    {
        // Reply pieces the test's ECoS writes one after the other, the reply field's colour
        // after them, and whether the run buttons were on before.
        QTest::addColumn<QStringList>("stuecke");
        QTest::addColumn<QString>("farbe"); // "", "rot", "gruen"
        QTest::addColumn<bool>("knoepfeVorher");
        const QString liste = QStringLiteral("<REPLY queryObjects(10, name)>\n1000 name[\"BR 218\"]\n"
                                             "1001 name[\"V 200\"]\n<END 0 (OK)>\n");
        QTest::newRow("liste in stuecken") << QStringList{liste.left(40), liste.mid(40, 25), liste.mid(65)} << "gruen" << false;
        QTest::newRow("mitten abgeschnitten") << QStringList{"<REPLY queryObjects(10, name)>\n1000 na"} << "" << true;
        QTest::newRow("markup woertlich") << QStringList{"<b>fett</b> &amp; <i>x</i>\n"} << "" << false;
    }
    void antworten()
    {
        QFETCH(QStringList, stuecke); QFETCH(QString, farbe); QFETCH(bool, knoepfeVorher);
        Anlage a;
        QVERIFY(a.verbindeMitTest());
        const QColor grund = a.rx()->palette().color(QPalette::Base);
        a.setzeLaufknoepfe(knoepfeVorher);
        for (const QString &s : stuecke) {
            a.gegenstelle->write(s.toUtf8());
            a.gegenstelle->flush();
            QTest::qWait(20);
        }
        QTRY_COMPARE(a.rx()->toPlainText(), stuecke.join(QString())); // as it came, nothing rendered
        const QColor soll = farbe == u"rot" ? QColor(255, 0, 0) : farbe == u"gruen" ? QColor(0, 128, 0) : grund;
        QCOMPARE(a.rx()->palette().color(QPalette::Base), soll);
        if (!farbe.isEmpty())
            QCOMPARE(a.rx()->palette().color(QPalette::Text), QColor(Qt::white));
        const bool an = farbe.isEmpty() ? knoepfeVorher : farbe == u"gruen";
        QCOMPARE(a.knoepfe(), an ? QStringLiteral("an") : QStringLiteral("aus"));
    }

    // A list of several megabytes: the field shows its start and its END line,
    // bounded, and it counts as a success.
    void grosseAntwort()
    {
        Anlage a;
        QVERIFY(a.verbindeMitTest());
        QByteArray riesig = "<REPLY queryObjects(10, name)>\n";
        for (int i = 0; riesig.size() < 6 * 1024 * 1024; ++i)
            riesig += QByteArray::number(1000 + i) + " name[\"Lok mit einem langen Namen\"]\n";
        riesig += "<END 0 (OK)>\n";
        a.gegenstelle->write(riesig);
        QTRY_VERIFY_WITH_TIMEOUT(a.rx()->toPlainText().endsWith(QLatin1String("<END 0 (OK)>\n")), 20000);
        const QString t = a.rx()->toPlainText();
        QVERIFY(t.startsWith(QLatin1String("<REPLY queryObjects(10, name)>\n1000 name[")));
        QVERIFY2(t.size() <= frmTrabolin::anzeigeKappe + 100, qPrintable(QString::number(t.size())));
        QVERIFY(t.contains(QLatin1String("Zeichen nicht angezeigt")));
        QCOMPARE(a.knoepfe(), QStringLiteral("an"));
    }

    // The ECoS answers an error in the middle of a run: "&starten" and "aktuelle &Zeile " go
    // off, "St&op" stays, wakes the running wait and stops at once; afterwards it follows the reply.
    void stoppNachFehlerantwort()
    {
        QByteArray empfangen, nachDemStopp;
        Anlage a;
        QVERIFY(a.verbindeMitTest());
        QObject::connect(a.gegenstelle, &QTcpSocket::readyRead, [&] { empfangen += a.gegenstelle->readAll(); });
        a.setzeLaufknoepfe(true);
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("2,s,40"));
        QTimer::singleShot(300, a.gegenstelle, [&] { a.gegenstelle->write("<END 11 (unknown option at 9)>\n"); });
        QTimer::singleShot(700, a.f.get(), [&] {
            QCOMPARE(a.knoepfe(), QStringLiteral("gemischt")); // "St&op" on, the other two off
            empfangen.clear();
            QTest::mouseClick(feld<QPushButton>(*a.f, "btnSendStop"), Qt::LeftButton);
        });
        QTimer::singleShot(1200, a.f.get(), [&] { nachDemStopp = empfangen; }); // the line runs to 2200
        feld<QPushButton>(*a.f, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(nachDemStopp, QByteArray("set(1,speed[0])"), 5000);
        QVERIFY(test::laufAbgewartet(*a.f));
        QCOMPARE(a.knoepfe(), QStringLiteral("aus"));
        QCOMPARE(a.rx()->palette().color(QPalette::Base), QColor(255, 0, 0));
    }

    void verbindungsfehler_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port"); // "*": a closed local port
        QTest::addColumn<QString>("meldung");
        QTest::newRow("geschlossener port")
            << "127.0.0.1" << "*" << " Verbindungsaufbau gescheitert...|Die Ecos antwortet nicht !             ";
        QTest::newRow("leerer host") << " " << "15471" << " Ecos...|Bitte die IP-Adresse der Ecos eintragen !";
        const QString portText = QStringLiteral(" Ecos...|Der LocalPort muss eine Zahl von 1 bis 65535 sein (Standard: 15471) !");
        QTest::newRow("port mit buchstaben") << "127.0.0.1" << "15a71" << portText;
        QTest::newRow("port 65536") << "127.0.0.1" << "65536" << portText;
    }
    void verbindungsfehler()
    {
        QFETCH(QString, host); QFETCH(QString, port); QFETCH(QString, meldung);
        if (port == u"*") { // a port nobody listens on any more
            QTcpServer frei;
            QVERIFY(frei.listen(QHostAddress::LocalHost));
            port = QString::number(frei.serverPort());
        }
        Anlage a;
        feld<QLineEdit>(*a.f, "txtIPAdresse")->setText(host);
        feld<QLineEdit>(*a.f, "txtLocalPort")->setText(port);
        feld<QPushButton>(*a.f, "btnEcos")->click();
        QTRY_COMPARE_WITH_TIMEOUT(a.meldungen, QStringList{meldung}, 6000);
        QVERIFY(!feld<QPushButton>(*a.f, "btnListe")->isEnabled());
        QVERIFY(!feld<QPushButton>(*a.f, "btnLok")->isEnabled());
    }

    void doppelklick()
    {
        Anlage a;
        a.rx()->setPlainText(QStringLiteral("<REPLY queryObjects(10, name)>\n1002 name[\"V 200\"]\n"
                                                "1003 name[\"ICE 3\"]\n<END 0 (OK)>"));
        const QTextCursor wort = a.rx()->document()->find(QStringLiteral("1003"));
        QVERIFY(!wort.isNull());
        QTextCursor mitte(a.rx()->document());
        mitte.setPosition(wort.selectionStart() + 1);
        QTest::mouseDClick(a.rx()->viewport(), Qt::LeftButton, {},
                           a.rx()->cursorRect(mitte).center());
        QCOMPARE(feld<QLineEdit>(*a.f, "txtAdresse")->text(), QStringLiteral("1003"));
    }

    // Sending without a link ends the handler and tells the user once.
    void nichtVerbunden_data()
    {
        QTest::addColumn<QString>("knopf");
        QTest::newRow("lauf") << "btnStart";
        QTest::newRow("einzelzeile") << "btnSendZeile";
        QTest::newRow("kontrolle") << "btnLok";
    }
    void nichtVerbunden()
    {
        QFETCH(QString, knopf);
        Anlage a;
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("5,s,3"));
        a.setzeLaufknoepfe(true);
        feld<QPushButton>(*a.f, "btnLok")->setEnabled(true);
        a.f->findChild<QPushButton *>(knopf)->click();
        QCOMPARE(a.meldungen, QStringList{QStringLiteral(" Ecos...|Die Ecos ist nicht verbunden !")});
        QCOMPARE(a.knoepfe(), QStringLiteral("aus"));
    }

    // The simulator as the peer: the list, the control request and a run of one
    // line, checked against the state the simulator reports after each command.
    // Then the simulator dies in the middle of a line: the run ends at once, the
    // user is told once after it, the run buttons go off, and the link can be made again.
    void laufMitSimulatorUndAbbruch()
    {
        auto sim = std::make_unique<Simulator>();
        QVERIFY(sim->starte());
        Anlage a;
        a.verbinde(sim->port());
        QVERIFY(feld<QPushButton>(*a.f, "btnListe")->isEnabled());
        feld<QPushButton>(*a.f, "btnListe")->click();
        QTRY_VERIFY(a.rx()->toPlainText().contains(QLatin1String("1003 name[\"ICE 3\"]")));
        feld<QLineEdit>(*a.f, "txtAdresse")->setText(QStringLiteral("1000"));
        feld<QPushButton>(*a.f, "btnLok")->click();
        QTRY_COMPARE(a.knoepfe(), QStringLiteral("an"));
        // The second request, 200 ms after the first, goes on on the event loop.
        QTRY_COMPARE(sim->lies().filter(QStringLiteral("request(1000,control)")).size(), 2);
        QCOMPARE(a.rx()->palette().color(QPalette::Base), QColor(0, 128, 0));

        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("1,s,40,X,,X"));
        feld<QPushButton>(*a.f, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(sim->lies().size(), 7, 15000);

        // Each command arrived as one and was accepted; the locomotive ends as the line left it.
        static const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} (.*) -> .* \\[END 0 \\(OK.*\\]$"));
        QStringList befehle;
        for (const QString &z : sim->zeilen) {
            const auto m = form.match(z);
            QVERIFY2(m.hasMatch(), qPrintable(z));
            befehle << m.captured(1);
        }
        QCOMPARE(befehle, (QStringList{"queryObjects(10, name)", "request(1000,control)", "request(1000,control)",
                                       "set(1000,dir[1])", "set(1000,func[0,1],func[1,0],func[2,1],func[3,0],func[4,0])",
                                       "set(1000,speed[40])", "set(1000,speed[0])"}));
        QVERIFY(sim->zeilen.last().contains(QLatin1String("1000 speed=0 dir=1 licht=1 f1=0 f2=1 f3=0 f4=0 kontrolle=1")));
        QVERIFY(a.meldungen.isEmpty());

        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("30,s,40"));
        QStringList waehrendDesLaufs{QStringLiteral("-")};
        // Both tied to objects of this test, so that neither fires in a later one.
        QTimer::singleShot(500, &sim->prozess, [&] { sim->prozess.kill(); });
        QTimer::singleShot(900, a.f.get(), [&] { waehrendDesLaufs = a.meldungen; });
        QElapsedTimer uhr;
        uhr.start();
        feld<QPushButton>(*a.f, "btnStart")->click();
        QVERIFY(test::laufAbgewartet(*a.f));
        QVERIFY(uhr.elapsed() < 10000);
        QVERIFY(waehrendDesLaufs.isEmpty() || uhr.elapsed() < 900);
        QCOMPARE(a.meldungen, QStringList{QStringLiteral(" Ecos...|Die Verbindung zur Ecos ist abgebrochen !")});
        QCOMPARE(a.knoepfe(), QStringLiteral("aus"));

        sim = std::make_unique<Simulator>();
        QVERIFY(sim->starte());
        a.verbinde(sim->port());
        QVERIFY(feld<EcosVerbindung>(*a.f, "TCP")->verbunden());
        QCOMPARE(a.meldungen.size(), 1);
    }

    // Two programs against the simulator: ID 1000 taken by hand, the second program's
    // ID taken by its run before it drives. An ID the ECoS does not give (one it does
    // not know) is not driven and the user is told after the run; 1000 drives anyway.
    void zweiProgramme_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("meldungen");
        QTest::newRow("erteilt") << "1001" << QStringList{};
        QTest::newRow("verweigert") << "1009"
                                    << QStringList{" Ecos...|Die Ecos gibt ID 1009 nicht frei: sie fährt nicht !"};
    }
    void zweiProgramme()
    {
        QFETCH(QString, id);
        Simulator sim;
        QVERIFY(sim.starte());
        Anlage a;
        a.verbinde(sim.port());
        feld<QLineEdit>(*a.f, "txtAdresse")->setText(QStringLiteral("1000"));
        feld<QPushButton>(*a.f, "btnLok")->click();
        QTRY_COMPARE(sim.lies().filter(QStringLiteral("request(1000,control)")).size(), 2);
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("1,s,40"));
        feld<QAction>(*a.f, "mnuNeueLok")->trigger();
        for (QLineEdit *e : a.f->findChildren<QLineEdit *>(QStringLiteral("txtAdresse")))
            if (e->isVisibleTo(a.f.get())) // the new page's
                e->setText(id);
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("1,s,20"));
        feld<QAction>(*a.f, "mnuAlleStarten")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!a.f->ablauf().betrieb().laeuftEtwas(), 15000);
        const QStringList befehle = sim.lies();
        QCOMPARE(befehle.filter(QStringLiteral("request(1000,control)")).size(), 2); // none more
        QCOMPARE(befehle.filter(QStringLiteral("request(") + id + QStringLiteral(",control)")).size(), 1);
        QCOMPARE(befehle.filter(QStringLiteral("set(1000,speed[40])")).size(), 1);
        QCOMPARE(befehle.filter(QStringLiteral("set(") + id + QStringLiteral(",speed[20])")).size(),
                 a.meldungen.isEmpty() ? 1 : 0);
        QTEST(a.meldungen, "meldungen");
    }
};

QTEST_MAIN(TestEcosFenster)
#include "tst_ecosfenster.moc"

// The layout through the real window, one row per station and what its layout does in
// the middle of a line: the simulator switches the track off, short-circuits it, stops
// everything, falls silent, drops the link or floods the program; or the user switches
// the power off. The run ends at once with the station's stop on the wire (when the
// link still carries it), the indicator beside the power buttons shows the state, the
// user is told once afterwards; power coming back starts nothing.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Simulatorprozess.h"
#include "stations/Zentralenregister.h"
#include "stations/ecos/EcosVerbindung.h"
#include "stations/z21/Z21Verbindung.h"
#include "window/Fahrbild.h"
#include "window/Tabellengitter.h"

#include <QSpinBox>

using namespace trabolin;
using namespace trabolin::test;

namespace {

struct Fall {
    QString station;         // "ecos", "z21", "lenz", "dccex"
    QStringList simOptionen; // besides the port or link
    QString aktion;          // typed on the simulator's terminal at 500 ms; "power": "Power of&f"
    qint64 stoppBei = 0;     // "St&op" pressed then; 0: never
    QString meldung;         // "<title>|<text>", empty for none
    QString anzeige;         // the indicator after the run
    bool stoppAngekommen;    // the locomotive's stop reached the station
    bool box = false;        // a modal box is open from 300 ms until the stop has arrived
    int umschalten = -1;     // the station option clicked at 300 ms, during the line
};

// The window on the station's simulator, the locomotive ready to run, the track on
// where the station tells it.
struct Anlage : Fensteranlage {
    Simulatorprozess sim;
    QStringList anzeigeBeiMeldung; // "noch", the chart's and the table's running line, as each message came

    // Every message is shown after the run's display has ended.
    void merkeAnzeigeBeiMeldung()
    {
        const auto melden = f->melde;
        f->melde = [this, melden](QMessageBox::Icon symbol, const QString &titel, const QString &text) {
            anzeigeBeiMeldung << QStringLiteral("noch '%1', Bild %2, Tabelle %3")
                                     .arg(feld<QLabel>(*f, "lblNoch")->text())
                                     .arg(feld<Fahrbild>(*f, "imgFahrbild")->laufzeile())
                                     .arg(feld<Tabellengitter>(*f, "DBTabelle")->laufzeile());
            melden(symbol, titel, text);
        };
    }
    void pruefeAnzeigeBeiMeldung() const
    {
        for (const QString &anzeige : anzeigeBeiMeldung)
            QCOMPARE(anzeige, QStringLiteral("noch '', Bild 0, Tabelle 0"));
    }

    bool bereite(const Fall &fall)
    {
        const bool ecos = fall.station == u"ecos", z21 = fall.station == u"z21";
        if (!sim.starte(QString::fromUtf8(ecos ? TRABOLIN_ECOS_SIM : z21 ? Z21_SIMULATOR : SIMULATOR_PROGRAMM),
                        (ecos || z21 ? QStringList{"--port", "0"}
                                     : QStringList{"--station", fall.station, "--link", datei("COM7")})
                            + fall.simOptionen))
            return false;
        starte();
        merkeAnzeigeBeiMeldung();
        meldungen.clear();
        if (ecos || z21) {
            const int option = zentralenoption(ecos ? QStringLiteral("Ecos") : QStringLiteral("Z21"));
            feld<QRadioButton>(*f, "optZentrale", option)->click();
            if (ecos) {
                feld<EcosVerbindung>(*f, "TCP")->wache().setzeZeiten(400, 300);
            } else {
                auto *link = feld<Z21Verbindung>(*f, "TCP");
                link->setzeStatusAbstand(400);
                link->setzeStatusFrist(300);
                link->setzeNachfrageAbstand(300);
            }
            feld<QLineEdit>(*f, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
            feld<QLineEdit>(*f, "txtLocalPort")->setText(QString::number(sim.port()));
            feld<QPushButton>(*f, "btnEcos")->click();
            feld<QLineEdit>(*f, "txtAdresse")->setText(ecos ? QStringLiteral("1000") : QStringLiteral("24"));
            if (ecos) {
                // "Kontrolle übernehmen" comes on when the connect has come through.
                auto *kontrolle = feld<QPushButton>(*f, "btnLok");
                if (!QTest::qWaitFor([kontrolle] { return kontrolle->isEnabled(); }, 5000))
                    return false;
                kontrolle->click();
            }
        } else {
            const int option = zentralenoption(fall.station == u"lenz" ? QStringLiteral("Lenz") : QStringLiteral("DCC-EX"));
            feld<QRadioButton>(*f, "optZentrale", option)->click();
            feld<QCheckBox>(*f, "chkUSB")->setChecked(fall.simOptionen.contains(QStringLiteral("--usb")));
            feld<QComboBox>(*f, "lstV24")->setEditText(QStringLiteral("7"));
            feld<QPushButton>(*f, "btnParameterSetzen")->click();
            meldungen.clear();
            feld<QLineEdit>(*f, "txtAdresse")->setText(QStringLiteral("24"));
        }
        if (!QTest::qWaitFor([this] { return knoepfe() == u"an"; }))
            return false;
        if (fall.station == u"dccex") // it starts with the track off, as the station does
            feld<QPushButton>(*f, "btnPower_1")->click();
        // The Lenz tells its state when asked at the port's opening.
        return QTest::qWaitFor([this] { return feld<QLabel>(*f, "lblGleis")->text() == u"Gleis: an"; });
    }
};

} // namespace

Q_DECLARE_METATYPE(Fall)

class TestGleisfenster : public QObject {
    Q_OBJECT
private slots:
    void anlage_data()
    {
        QTest::addColumn<Fall>("fall");
        const QString spannung = QStringLiteral(
            " Gleisspannung...|Die Gleisspannung wurde abgeschaltet. Das Fahrprogramm wurde angehalten.");
        const QString nothalt = QStringLiteral(
            " Nothalt...|Die Zentrale hat alle Loks angehalten (Nothalt). Das Fahrprogramm wurde angehalten.");
        const QString verloren = QStringLiteral(" Ecos...|Die Verbindung zur Ecos ist abgebrochen !");
        const QString kurzschluss = QStringLiteral(" Gleisspannung...|Die Gleisspannung wurde abgeschaltet "
                                                   "(Kurzschluss). Das Fahrprogramm wurde angehalten.");
        QTest::newRow("ecos stopp-taste") << Fall{"ecos", {}, "aus", 0, spannung, "Gleis: aus", true};
        QTest::newRow("ecos stumm") << Fall{"ecos", {}, "stumm", 0, verloren, "Verbindung verloren", false};
        QTest::newRow("ecos getrennt") << Fall{"ecos", {}, "trennen", 0, verloren, "Verbindung verloren", false};
        QTest::newRow("ecos eigenes power off") << Fall{"ecos", {}, "power", 0, {}, "Gleis: aus", true};
        QTest::newRow("ecos flut, dann st&op") << Fall{"ecos", {}, "flut", 1000, {}, "Gleis: an", true};
        // The Z21 tells the short circuit and the emergency stop apart.
        QTest::newRow("z21 kurzschluss") << Fall{"z21", {}, "kurzschluss", 0, kurzschluss, "Kurzschluss", true};
        QTest::newRow("z21 nothalt nach 1 s") << Fall{"z21", {"--nothalt-nach", "1"}, {}, 0, nothalt, "Nothalt", true};
        QTest::newRow("z21 stumm") << Fall{"z21", {}, "stumm", 0, " Z21...|Die Verbindung zur Z21 ist abgebrochen !",
                                           "Verbindung verloren", false};
        QTest::newRow("z21 eigenes power off") << Fall{"z21", {}, "power", 0, {}, "Gleis: aus", true};
        QTest::newRow("z21 flut, dann st&op") << Fall{"z21", {}, "flut", 1000, {}, "Gleis: an", true};
        QTest::newRow("lenz stopp-taste") << Fall{"lenz", {}, "aus", 0, spannung, "Gleis: aus", true};
        // The LZ100 (as the ECoS) tells no short circuit apart: it switches the track off.
        QTest::newRow("lenz usb, kurzschluss nach 1 s")
            << Fall{"lenz", {"--usb", "--kurzschluss-nach", "1"}, {}, 0, spannung, "Gleis: aus", true};
        QTest::newRow("lenz nothalt") << Fall{"lenz", {}, "nothalt", 0, nothalt, "Nothalt", true};
        QTest::newRow("lenz eigenes power off") << Fall{"lenz", {}, "power", 0, {}, "Gleis: aus", true};
        QTest::newRow("lenz flut, dann st&op") << Fall{"lenz", {}, "flut", 1000, {}, "Gleis: an", true};
        // DCC-EX tells an overload only in a diagnostic line and switches the track on
        // again by itself: the run ends all the same.
        QTest::newRow("dccex kurzschluss") << Fall{"dccex", {"--boot", "100"}, "kurzschluss", 0, kurzschluss, "Kurzschluss", true};
        // The programming track switched off leaves the run alone, until "St&op".
        QTest::newRow("dccex programmiergleis aus, dann st&op")
            << Fall{"dccex", {"--boot", "100"}, "prog-aus", 1000, {}, "Gleis: an", true};
        QTest::newRow("dccex getrennt") << Fall{"dccex", {"--boot", "100"}, "trennen", 0,
            " zentrale Fehlerbehandlung...|Fehler 8010:  <Die serielle Schnittstelle 7 ist nicht mehr erreichbar "
            "(Adapter entfernt?)> aufgetreten      ",
            "Verbindung verloren", false};
        QTest::newRow("dccex eigenes power off") << Fall{"dccex", {"--boot", "100"}, "power", 0, {}, "Gleis: aus", true};
        QTest::newRow("dccex flut, dann st&op") << Fall{"dccex", {"--boot", "100"}, "flut", 1000, {}, "Gleis: an", true};
        // The stop goes out while a modal box is open; the message follows the run.
        QTest::newRow("lenz stopp-taste, box offen") << Fall{"lenz", {}, "aus", 0, spannung, "Gleis: aus", true, true};
        QTest::newRow("ecos stopp-taste, box offen") << Fall{"ecos", {}, "aus", 0, spannung, "Gleis: aus", true, true};
        QTest::newRow("z21 kurzschluss, box offen")
            << Fall{"z21", {}, "kurzschluss", 0, kurzschluss, "Kurzschluss", true, true};
        QTest::newRow("dccex kurzschluss, box offen")
            << Fall{"dccex", {"--boot", "100"}, "kurzschluss", 0, kurzschluss, "Kurzschluss", true, true};
        // The Z21 still hears but its answers are lost: the link counts lost, and the
        // stop sent first reaches the locomotive.
        QTest::newRow("z21 antworten verloren") << Fall{"z21", {}, "verliere 1000000", 0,
            " Z21...|Die Verbindung zur Z21 ist abgebrochen !", "Verbindung verloren", true};
        // The option changed to the 6021 during the line: the LZ100 on the port still
        // ends the run it drives.
        QTest::newRow("lenz kurzschluss nach umschalten auf 6021")
            << Fall{"lenz", {}, "kurzschluss", 0, spannung, "unbekannt", true, false, 0};
    }
    void anlage()
    {
        QFETCH(Fall, fall);
        Anlage a;
        QVERIFY(a.bereite(fall));
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("30,S,40"));
        a.f->tabelle().setzeAktuelleZeile(1);
        const QRegularExpression stopp(QStringLiteral(
            ".*(set\\(1000,speed\\[0\\]\\) -> 1000 speed=0|Lok 24: (\\d+ Fahrstufen, \\S+, )?Fahrstufe 0\\b).*"));
        if (fall.umschalten >= 0)
            QTimer::singleShot(300, [&] { feld<QRadioButton>(*a.f, "optZentrale", fall.umschalten)->click(); });
        bool stoppBeiOffenerBox = false;
        if (fall.box)
            QTimer::singleShot(300, [&] {
                // Stands for a message box or file dialog the user leaves open.
                QEventLoop box;
                QTimer zu;
                zu.setSingleShot(true);
                QObject::connect(&zu, &QTimer::timeout, &box, &QEventLoop::quit);
                QObject::connect(&a.sim.prozess, &QProcess::readyReadStandardOutput, &box, [&] {
                    if (a.sim.lies().indexOf(stopp) >= 0) {
                        stoppBeiOffenerBox = true;
                        box.quit();
                    }
                });
                zu.start(5000);
                box.exec();
            });
        QTimer::singleShot(500, [&] {
            if (fall.aktion == u"power")
                feld<QPushButton>(*a.f, "btnPower_0")->click();
            else if (!fall.aktion.isEmpty())
                a.sim.tippe(fall.aktion.toUtf8());
        });
        if (fall.stoppBei)
            QTimer::singleShot(fall.stoppBei, [&] { feld<QPushButton>(*a.f, "btnSendStop")->click(); });
        QElapsedTimer uhr;
        uhr.start();
        feld<QPushButton>(*a.f, "btnStart")->click();
        QVERIFY(test::laufAbgewartet(*a.f));
        QVERIFY2(uhr.elapsed() < (fall.stoppBei ? fall.stoppBei + 1000 : 5000), qPrintable(QString::number(uhr.elapsed())));
        QTRY_COMPARE(feld<QLabel>(*a.f, "lblGleis")->text(), fall.anzeige);
        QCOMPARE(feld<QLabel>(*a.f, "lblGleis")->accessibleName(), fall.anzeige);
        QCOMPARE(a.meldungen.join(u'\n'), fall.meldung);
        a.pruefeAnzeigeBeiMeldung();

        QCOMPARE(stoppBeiOffenerBox, fall.box);

        QTest::qWait(300);
        const qsizetype bisher = a.sim.lies().size();
        QCOMPARE(a.sim.zeilen.indexOf(stopp) >= 0, fall.stoppAngekommen);
        // The events are the program's own business: the reply field shows the replies.
        QVERIFY(!feld<QPlainTextEdit>(*a.f, "txtRX")->toPlainText().contains(QLatin1String("EVENT")));
        if (!sperrtFahrt(a.f->ablauf().gleiszustand()) || fall.anzeige == u"Verbindung verloren")
            return;
        // Power back: the indicator follows, and nothing goes to the locomotive.
        a.sim.tippe("an");
        QTRY_COMPARE(feld<QLabel>(*a.f, "lblGleis")->text(), QStringLiteral("Gleis: an"));
        QTest::qWait(300);
        QVERIFY(a.sim.lies().mid(bisher).filter(QRegularExpression(QStringLiteral("set\\(1000|Lok 24"))).isEmpty());
        QCOMPARE(a.meldungen.size(), fall.meldung.isEmpty() ? 0 : 1);
    }

    // Contact lines through the window on the simulators' virtual track (the
    // locomotive at 1.5 m, contact 2 at 2.8 m): the demo's shuttle reaches contact 2,
    // 1.3 s on at the top step, and contact 1 on its way back; contact 9 lies nowhere,
    // so its line stops the locomotive after the time limit and says so after the run.
    // While it waits, the track field shows the contact.
    void kontaktfahrt_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QStringList>("zeilen");
        QTest::addColumn<QString>("meldung");
        QTest::addColumn<int>("grenze");
        const QString verfehlt = QStringLiteral(" Kontaktfahrt...|Kontakt 9 nicht erreicht – Lok angehalten");
        // The demo's shuttle, with short stands: forwards to contact 2, back to contact 1
        // (a contact not reached would end it with the message).
        QTest::newRow("lenz pendel") << "lenz" << QStringList{"2,K,14", "1,S,0", "1,k,14", "1,s,0"} << QString() << 30;
        QTest::newRow("lenz verfehlt") << "lenz" << QStringList{"9,K,14", "1,s,0"} << verfehlt << 1;
        QTest::newRow("z21 verfehlt") << "z21" << QStringList{"9,k,100", "1,s,0"} << verfehlt << 1;
    }
    void kontaktfahrt()
    {
        QFETCH(QString, station); QFETCH(QStringList, zeilen); QFETCH(QString, meldung); QFETCH(int, grenze);
        Anlage a;
        QVERIFY(a.bereite(Fall{station, {}, {}, 0, {}, {}, true}));
        feld<QSpinBox>(*a.f, "einstellung_Lauf_Kontakt-Zeitgrenze")->setValue(grenze);
        for (int i = 0; i < zeilen.size(); ++i)
            fuelleZeile(a.f->tabelle(), i + 1, zeilen[i]);
        a.f->tabelle().setzeAktuelleZeile(1);
        feld<QPushButton>(*a.f, "btnStart")->click();
        const QString kontakt = zeilen[0].section(u',', 0, 0);
        QTRY_VERIFY(feld<QLabel>(*a.f, "lblGleis")->text().startsWith(QStringLiteral("Gleis: an · K") + kontakt));
        QVERIFY(test::laufAbgewartet(*a.f));
        QCOMPARE(feld<QLabel>(*a.f, "lblGleis")->text(), QStringLiteral("Gleis: an"));
        QCOMPARE(a.meldungen.join(u'\n'), meldung);
        a.pruefeAnzeigeBeiMeldung();
        // Either way the locomotive ends at speed 0.
        QTRY_VERIFY(!a.sim.lies().filter(QRegularExpression(QStringLiteral("Lok 24: .*Fahrstufe 0\\b"))).isEmpty());
        QVERIFY(a.f->ablauf().bewegte().empty());
    }
};

QTEST_MAIN(TestGleisfenster)
#include "tst_gleisfenster.moc"

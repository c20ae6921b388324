// The layout through the real window, one row per station and what its layout does in
// the middle of a line: the simulator switches the track off, short-circuits it, falls
// silent, drops the link or floods the program; or the user switches the power off.
// The run ends at once with the station's stop on the wire (when the link still
// carries it), the indicator beside the power buttons shows the state, the user is
// told once afterwards; power coming back starts nothing.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "stations/ecos/EcosVerbindung.h"

using namespace trabolin;
using namespace trabolin::test;

namespace {

struct Fall {
    QStringList simOptionen; // besides the port or link
    QString aktion;          // typed on the simulator's terminal at 800 ms; "power": "Power of&f"
    qint64 stoppBei = 0;     // "St&op" pressed then; 0: never
    QString meldung;         // "<title>|<text>", empty for none
    QString anzeige;         // the indicator after the run
    bool stoppAngekommen;    // the locomotive's stop reached the station
};

// The simulator's lines so far.
QStringList zeilen(QProcess &sim, QStringList &alle)
{
    while (sim.canReadLine())
        alle << QString::fromUtf8(sim.readLine()).trimmed();
    return alle;
}

} // namespace

Q_DECLARE_METATYPE(Fall)

class TestGleisfenster : public QObject {
    Q_OBJECT
private slots:
    void ecos_data()
    {
        QTest::addColumn<Fall>("fall");
        const QString spannung = QStringLiteral(
            " Gleisspannung...|Die Gleisspannung wurde abgeschaltet. Das Fahrprogramm wurde angehalten.");
        const QString verloren = QStringLiteral(" Ecos...|Die Verbindung zur Ecos ist abgebrochen !");
        QTest::newRow("stopp-taste") << Fall{{}, "aus", 0, spannung, "Gleis: aus", true};
        // The ECoS tells no short circuit apart: it switches to STOP.
        QTest::newRow("kurzschluss nach 2 s") << Fall{{"--kurzschluss-nach", "2"}, {}, 0, spannung, "Gleis: aus", true};
        QTest::newRow("stumm") << Fall{{}, "stumm", 0, verloren, "Verbindung verloren", false};
        QTest::newRow("getrennt") << Fall{{}, "trennen", 0, verloren, "Verbindung verloren", false};
        QTest::newRow("eigenes power off") << Fall{{}, "power", 0, {}, "Gleis: aus", true};
        QTest::newRow("flut, dann st&op") << Fall{{}, "flut", 2500, {}, "Gleis: an", true};
    }
    void ecos()
    {
        QFETCH(Fall, fall);
        QProcess sim;
        sim.start(QStringLiteral(TRABOLIN_ECOS_SIM), QStringList{"--port", "0"} + fall.simOptionen);
        QVERIFY(sim.waitForReadyRead(5000));
        const QString port = QString::fromUtf8(sim.readLine()).section(u':', -1).trimmed();
        Fensteranlage a;
        a.starte();
        a.meldungen.clear();
        a.f->optZentrale[2]->click();
        static_cast<EcosVerbindung *>(a.f->TCP)->wache().setzeZeiten(400, 300);
        a.f->txtIPAdresse->setText(QStringLiteral("127.0.0.1"));
        a.f->txtLocalPort->setText(port);
        a.f->btnEcos->click();
        QTRY_COMPARE(a.f->lblGleis->text(), QStringLiteral("Gleis: an"));
        a.f->txtAdresse->setText(QStringLiteral("1000"));
        a.f->btnLok->click();
        QTRY_COMPARE(a.knoepfe(), QStringLiteral("an"));

        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("30,s,40"));
        a.f->tabelle().setzeAktuelleZeile(1);
        QTimer::singleShot(800, [&] {
            if (fall.aktion == u"power")
                a.f->btnPower[0]->click();
            else if (!fall.aktion.isEmpty())
                sim.write(fall.aktion.toUtf8() + '\n');
        });
        if (fall.stoppBei)
            QTimer::singleShot(fall.stoppBei, [&] { a.f->btnSendStop->click(); });
        QElapsedTimer uhr;
        uhr.start();
        a.f->btnStart->click();
        QVERIFY2(uhr.elapsed() < (fall.stoppBei ? fall.stoppBei + 1000 : 5000), qPrintable(QString::number(uhr.elapsed())));
        QTRY_COMPARE(a.f->lblGleis->text(), fall.anzeige);
        QCOMPARE(a.f->lblGleis->accessibleName(), fall.anzeige);
        QCOMPARE(a.meldungen.join(u'\n'), fall.meldung);

        QStringList alle;
        QTest::qWait(300);
        const QRegularExpression stopp(QStringLiteral("^\\S+ set\\(1000,speed\\[0\\]\\) -> 1000 speed=0.*"));
        QCOMPARE(zeilen(sim, alle).indexOf(stopp) >= 0, fall.stoppAngekommen);
        // The events are the program's own business: the reply field shows the replies.
        QVERIFY(!a.f->txtRX->toPlainText().contains(QLatin1String("EVENT")));
        if (fall.anzeige != u"Gleis: aus")
            return;
        // Power back: the indicator follows, and nothing goes to the locomotive.
        const qsizetype bisher = alle.size();
        sim.write("an\n");
        QTRY_COMPARE(a.f->lblGleis->text(), QStringLiteral("Gleis: an"));
        QTest::qWait(300);
        QVERIFY(zeilen(sim, alle).mid(bisher).filter(QStringLiteral("set(1000")).isEmpty());
        QCOMPARE(a.meldungen.size(), fall.meldung.isEmpty() ? 0 : 1);
        sim.kill();
        sim.waitForFinished(2000);
    }
};

QTEST_MAIN(TestGleisfenster)
#include "tst_gleisfenster.moc"

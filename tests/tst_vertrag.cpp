// What every station of the registry keeps to, through the real window and with the
// station's simulator as the far end, on each of the station's ways (serial port,
// network): its driver's stop reaches the locomotive while a line drives, its link (or
// the port) reports its loss, and its own settings are saved after line 56 and read back.
// A station added to the registry without a far end (tests/<name>/gegenstelle.inc)
// fails, so none is left out.
#include "helfer/Aufbau.h"
#include "helfer/Feld.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "helfer/Simulatorprozess.h"
#include "stations/Zentralenregister.h"

using namespace trabolin;
using test::feld;

namespace {

// The far end of one station on one way: the simulator, its options ("{COM3}" stands for
// the port link in the program folder, "{PORT}" is read from its first line), the address
// driven, the station's own settings for this way, and what the simulator prints of a
// locomotive at speed 0.
struct Gegenstelle {
    QString code;
    QString weg; // the row's name
    QString programm;
    QStringList optionen;
    QString adresse;
    QMap<QString, QString> einstellungen;
    QString halt; // a regular expression; "{ADR}" stands for the address
};

// Each station's test folder brings its far ends in its "gegenstelle.inc", gathered here
// by the build.
QList<Gegenstelle> gegenstellen()
{
    return {
#include "gegenstellen.inc"
    };
}

} // namespace

class TstVertrag : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test::Pty probe;
        if (!probe.ok())
            QSKIP("no pseudo-terminal on this machine");
    }

    void station_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("gegenstelle");
        const auto &stationen = zentralenregister();
        const QList<Gegenstelle> g = gegenstellen();
        for (int i = 0; i < int(stationen.size()); ++i) {
            int zeilen = 0;
            for (int k = 0; k < g.size(); ++k)
                if (g[k].code == stationen[i]->code) {
                    QTest::addRow("%s %s", qPrintable(g[k].code), qPrintable(g[k].weg)) << i << k;
                    ++zeilen;
                }
            if (zeilen == 0)
                QTest::addRow("%s ohne Gegenstelle", qPrintable(stationen[i]->code)) << i << -1;
        }
    }
    void station()
    {
        QFETCH(int, option); QFETCH(int, gegenstelle);
        QVERIFY2(gegenstelle >= 0, "the station has no far end in this test");
        const Gegenstelle g = gegenstellen().at(gegenstelle);
        const Zentrale &z = *zentralenregister()[option];

        test::Fensteranlage a;
        test::Simulatorprozess sim;
        sim.prozess.setProcessChannelMode(QProcess::MergedChannels);
        QStringList optionen = g.optionen;
        optionen.replaceInStrings(QStringLiteral("{COM3}"), a.datei(QStringLiteral("COM3")));
        QVERIFY(sim.starte(QStringLiteral(SIM_ORDNER "/") + g.programm, optionen));
        a.starte();
        frmTrabolin &f = *a.f;
        feld<QRadioButton>(f, QStringLiteral("optZentrale_%1").arg(option))->click();
        for (auto it = g.einstellungen.cbegin(); it != g.einstellungen.cend(); ++it) {
            QWidget *w = feld<QWidget>(f, QStringLiteral("einstellung_%1_%2").arg(option).arg(it.key()));
            if (auto *haken = qobject_cast<QCheckBox *>(w))
                haken->setChecked(it.value() == u"1");
            else if (auto *auswahl = qobject_cast<QComboBox *>(w))
                auswahl->setCurrentText(it.value());
        }
        a.meldungen.clear();
        feld<QLineEdit>(f, QStringLiteral("txtAdresse"))->setText(g.adresse);
        const bool seriell = z.istSeriell(g.einstellungen);
        if (seriell) {
            feld<QComboBox>(f, QStringLiteral("lstV24"))->setEditText(QStringLiteral("3"));
            feld<QPushButton>(f, QStringLiteral("btnParameterSetzen"))->click();
        } else {
            const QString ausgabe = sim.erste + sim.lies().join(u'\n');
            const auto port = QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:\\s*(?:TCP )?(\\d+)")).match(ausgabe);
            QVERIFY2(port.hasMatch(), qPrintable(ausgabe));
            feld<QLineEdit>(f, QStringLiteral("txtIPAdresse"))->setText(QStringLiteral("127.0.0.1"));
            feld<QLineEdit>(f, QStringLiteral("txtLocalPort"))->setText(port.captured(1));
            feld<QPushButton>(f, QStringLiteral("btnEcos"))->click();
            if (z.lokliste()) { // the ECoS drives once it has handed over the control
                auto *kontrolle = feld<QPushButton>(f, QStringLiteral("btnLok"));
                QTRY_VERIFY_WITH_TIMEOUT(kontrolle->isEnabled(), 5000); // the connect has come through
                kontrolle->click();
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(a.knoepfe(), QStringLiteral("an"), 5000);
        // A station that starts with its track off is switched on first.
        feld<QPushButton>(f, QStringLiteral("btnPower_1"))->click();
        QTRY_VERIFY(feld<QLabel>(f, QStringLiteral("lblGleis"))->text() != u"Gleis: aus");

        // A line of 30 s; "St&op" 1.5 s into it. The stop is on the wire before the run
        // has ended, and the line's time is not waited out.
        test::fuelleZeile(f.tabelle(), 1, QStringLiteral("30,S,40"));
        f.tabelle().setzeAktuelleZeile(1);
        qsizetype vorDemStopp = -1;
        auto *stopp = feld<QPushButton>(f, QStringLiteral("btnSendStop"));
        QTimer::singleShot(1500, &f, [&] {
            vorDemStopp = sim.lies().size();
            QTest::mousePress(stopp, Qt::LeftButton);
            QTest::mouseRelease(stopp, Qt::LeftButton);
        });
        QElapsedTimer uhr;
        uhr.start();
        feld<QPushButton>(f, QStringLiteral("btnStart"))->click();
        QVERIFY(test::laufAbgewartet(f, 20000));
        QVERIFY(uhr.elapsed() < 20000);
        QVERIFY2(vorDemStopp >= 0, qPrintable(a.meldungen.join(u'\n') + sim.lies().join(u'\n')));
        const QRegularExpression halt(QString(g.halt).replace(QStringLiteral("{ADR}"), g.adresse));
        QTRY_VERIFY2_WITH_TIMEOUT(!sim.lies().mid(vorDemStopp).filter(halt).isEmpty(),
                                  qPrintable(sim.zeilen.mid(vorDemStopp).join(u'\n')), 3000);

        // The far end goes away: the port or the link reports it.
        sim.prozess.kill();
        sim.prozess.waitForFinished(2000);
        const QString verlust = seriell ? QStringLiteral("nicht mehr erreichbar") : QStringLiteral("abgebrochen");
        QTRY_VERIFY2_WITH_TIMEOUT(!a.meldungen.filter(verlust).isEmpty(), qPrintable(a.meldungen.join(u'\n')),
                                  25000);

        // The station's own settings go after line 56 and come back in a new window.
        a.antwort = true;
        f.close();
        QFile ini(a.datei(QStringLiteral("Trabolin.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(ini.readAll());
        for (const Stationseinstellung &e : z.einstellungen()) {
            const QString erwartet = g.einstellungen.value(e.schluessel, e.vorgabe);
            QVERIFY2(text.contains(QStringLiteral("\r\n[%1 %2]\r\n%3\r\n").arg(z.name, e.schluessel, erwartet)),
                     qPrintable(e.schluessel));
        }
        test::Fensteranlage b;
        b.ordner = a.ordner;
        b.starte();
        for (auto it = g.einstellungen.cbegin(); it != g.einstellungen.cend(); ++it) {
            QWidget *w = feld<QWidget>(*b.f, QStringLiteral("einstellung_%1_%2").arg(option).arg(it.key()));
            if (auto *haken = qobject_cast<QCheckBox *>(w))
                QCOMPARE(haken->isChecked(), it.value() == u"1");
            else if (auto *auswahl = qobject_cast<QComboBox *>(w))
                QCOMPARE(auswahl->currentText(), it.value());
        }
    }
};

QTEST_MAIN(TstVertrag)
#include "tst_vertrag.moc"

// Runs through the real window on a serial link. With the serial station simulator as
// the far end: what the simulator understood, command by command, with the state it left
// the locomotive in and the real pauses between the commands.
// With a bare pseudo-terminal: closing the window during a run and an adapter pulled
// mid-run.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "helfer/Simulatorprozess.h"

using namespace trabolin;
using namespace trabolin::test;

namespace {

// The simulator's lines as "<ms> <text>": the expected number, and whatever more
// arrives shortly after (a cut command is reported after a pause of 100 ms).
QStringList gedruckt(QProcess &sim, int erwartet)
{
    QStringList zeilen;
    const QRegularExpression zeit(QStringLiteral("^ *(\\d+) ms  (.*)$"));
    while (sim.canReadLine() || sim.waitForReadyRead(zeilen.size() < erwartet ? 2000 : 150)) {
        while (sim.canReadLine()) {
            const QString zeile = QString::fromUtf8(sim.readLine()).trimmed();
            const auto treffer = zeit.match(zeile);
            zeilen << (treffer.hasMatch() ? treffer.captured(1) + u' ' + treffer.captured(2) : zeile);
        }
    }
    return zeilen;
}

qint64 ms(const QString &zeile) { return zeile.section(u' ', 0, 0).toLongLong(); }

// A window in a program directory whose "COM7" leads to the far end: the simulator
// started with `simulator` as its options, or else a pseudo-terminal.
struct Anlage : Fensteranlage {
    Pty pty;
    Simulatorprozess sim;

    explicit Anlage(const QStringList &simulator = {}, bool mitEchtenDialogen = false)
    {
        echteDialoge = mitEchtenDialogen;
        if (simulator.isEmpty()) {
            pty.verknuepfe(verzeichnis.path(), 7);
        } else if (!sim.starte(QStringLiteral(SIMULATOR_PROGRAMM),
                               simulator + QStringList{"--link", verzeichnis.filePath(QStringLiteral("COM7"))})
                   || !sim.erste.contains(u"bereit")) {
            qFatal("serial station simulator did not start");
        }
        starte();
        feld<QRadioButton>(*f, "optZentrale_0")->click();
        feld<QComboBox>(*f, "lstV24")->setEditText(QStringLiteral("7"));
        feld<QPushButton>(*f, "btnParameterSetzen")->click();
        meldungen.clear();
        feld<QLineEdit>(*f, "txtAdresse")->setText(QStringLiteral("24"));
    }

    void zeile(int nr, const QString &zellen) { fuelleZeile(f->tabelle(), nr, zellen); }
};

} // namespace

class TstSimfahrt : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Pty probe;
        if (!probe.ok())
            QSKIP("no pseudo-terminal on this machine");
    }

    // A Lenz run through the window over the USB interface, 128 speed steps, long address: what the
    // simulator understood, command by command (it takes only frames behind FF FE),
    // and the real pauses between the commands. A command may come a little late,
    // never early.
    void fahrt()
    {
        Anlage a({"--station", "lenz", "--usb"});
        QVERIFY(feld<QPushButton>(*a.f, "btnStart")->isEnabled());
        feld<QRadioButton>(*a.f, "optZentrale_1")->click();
        feld<QCheckBox>(*a.f, "chkUSB")->setChecked(true);
        feld<QComboBox>(*a.f, "lstFS")->setCurrentText(QStringLiteral("128"));
        feld<QCheckBox>(*a.f, "chkSignal")->setChecked(true);
        feld<QLineEdit>(*a.f, "txtAdresse")->setText(QStringLiteral("1234"));
        a.zeile(1, QStringLiteral("1,S,7,X"));
        a.zeile(2, QStringLiteral("1,s,3,,X"));
        feld<QPushButton>(*a.f, "btnStart")->click();
        QVERIFY(test::laufAbgewartet(*a.f));

        // "Fahren" / "Funktionen" with the light and F1 (F2 to F4 stay off, the track
        // power is never switched).
        const auto lok = [](const char *befehl, const char *fahrt, const char *licht, const char *f1) {
            return QString::fromUtf8(befehl).leftJustified(11)
                   + QStringLiteral("Lok 1234: %1 (128 FS) | Licht %2 F1 %3 F2 aus F3 aus F4 aus | Gleis unbekannt")
                         .arg(QString::fromUtf8(fahrt), licht, f1);
        };
        const QStringList ist = gedruckt(a.sim.prozess, 5);
        QStringList texte;
        for (const QString &z : ist)
            texte << z.section(u' ', 1);
        QCOMPARE(texte, (QStringList{lok("Fahren", "Fahrstufe 7 vorwärts", "aus", "aus"),
                                     lok("Funktionen", "Fahrstufe 7 vorwärts", "an", "aus"),
                                     lok("Fahren", "Fahrstufe 3 rückwärts", "an", "aus"),
                                     lok("Funktionen", "Fahrstufe 3 rückwärts", "aus", "an"),
                                     lok("Fahren", "Fahrstufe 0 rückwärts", "aus", "an")}));
        // Arrival times carry the simulator's own scheduling delay, so a few
        // milliseconds either way are the measurement; that a wait never ends early
        // is checked on the clock itself elsewhere.
        const QList<qint64> pausen{100, 1000, 100, 1000};
        for (int i = 1; i < ist.size(); ++i) {
            const qint64 pause = ms(ist[i]) - ms(ist[i - 1]);
            QVERIFY2(pause >= pausen[i - 1] - 20 && pause <= pausen[i - 1] + 500,
                     qPrintable(QStringLiteral("command %1: pause %2 ms").arg(i).arg(pause)));
        }
        // No Signal.wav in the program directory: the end signal is the beep; the
        // Lenz pass plays it and the run once more.
        QCOMPARE(a.pieptoene, 2);
        QCOMPARE(feld<QLabel>(*a.f, "lblStartzeit")->text().size(), 8);
        QVERIFY2(a.meldungen.isEmpty(), qPrintable(a.meldungen.join(u'\n')));
    }

    // The window closes, or the desktop session ends (the application is told to
    // quit), in the middle of a line: the stop goes out before the port closes, and
    // it is the last thing that goes out.
    void schliessenWaehrendDesLaufs_data()
    {
        QTest::addColumn<bool>("programmEnde");
        QTest::newRow("fenster schliessen") << false;
        QTest::newRow("programm beenden") << true;
    }
    void schliessenWaehrendDesLaufs()
    {
        QFETCH(bool, programmEnde);
        Anlage a;
        a.zeile(1, QStringLiteral("60,s,5"));
        QTimer::singleShot(800, a.f.get(), [&] {
            if (programmEnde)
                QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection);
            else
                a.f->close();
        });
        QElapsedTimer uhr;
        uhr.start();
        feld<QPushButton>(*a.f, "btnStart")->click();
        QVERIFY(test::laufAbgewartet(*a.f));
        QVERIFY(uhr.elapsed() < 30000); // ended, long before the line's minute
        QVERIFY(!feld<SerielleSchnittstelle>(*a.f, "V24")->istOffen());
        QCOMPARE(a.pty.lies(1 << 16, 300).toHex(' '), QByteArray("40 18 05 18 00 18"));
        QVERIFY(a.meldungen.isEmpty());
    }

    // A modal box or dialog opened 0.5 s into a 3 s line and left open holds neither
    // the line nor its stop: at 2.5 s the line still drives, at 4.8 s (a precise timer,
    // the box still open) the stop is on the wire and the run has ended.
    void boxHaeltNichts_data()
    {
        QTest::addColumn<QString>("oeffnen");
        QTest::newRow("Info") << "lblLogo";
        QTest::newRow("speichern") << "mnuDatei_speichern";
    }
    void boxHaeltNichts()
    {
        QFETCH(QString, oeffnen);
        Anlage a({}, true);
        a.zeile(1, QStringLiteral("3,s,5"));
        QByteArray mitte, ende;
        bool boxOffen = false, laeuft = true;
        QTimer::singleShot(500, a.f.get(), [&] {
            if (oeffnen == u"lblLogo")
                QTest::mouseClick(feld<QLabel>(*a.f, "lblLogo"), Qt::LeftButton);
            else
                a.f->findChild<QAction *>(oeffnen)->trigger();
        });
        QTimer::singleShot(2500, Qt::PreciseTimer, a.f.get(), [&] { mitte = a.pty.liesVorhandenes(); });
        QTimer::singleShot(4800, Qt::PreciseTimer, a.f.get(), [&] {
            ende = mitte + a.pty.liesVorhandenes();
            laeuft = a.f->ablauf().laeuft();
            QWidget *box = QApplication::activeModalWidget();
            if ((boxOffen = box != nullptr))
                box->close();
        });
        feld<QPushButton>(*a.f, "btnStart")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!ende.isEmpty() && !a.f->ablauf().laeuft(), 15000);
        QVERIFY(boxOffen);
        QVERIFY(!laeuft);
        // The 6021's line: functions, 500 ms, speed 5, its 3 s, then the end: speed 0.
        QVERIFY2(mitte.toHex(' ').contains("05 18") && !mitte.toHex(' ').contains("05 18 00 18"), mitte.toHex(' ').constData());
        QVERIFY2(ende.toHex(' ').contains("05 18 00 18"), ende.toHex(' ').constData());
    }

    // The adapter is pulled during a line: the run goes on without the port, ends
    // normally, and one message follows after it, not during it.
    void adapterGezogen()
    {
        Anlage a;
        a.zeile(1, QStringLiteral("2,s,5"));
        QStringList meldungenWaehrendDesLaufs{QStringLiteral("-")};
        QTimer::singleShot(700, [&] { a.pty.schliesseMaster(); });
        QTimer::singleShot(1800, [&] { meldungenWaehrendDesLaufs = a.meldungen; });
        feld<QPushButton>(*a.f, "btnStart")->click();
        QVERIFY(test::laufAbgewartet(*a.f));
        QVERIFY(meldungenWaehrendDesLaufs.isEmpty());
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY2(a.meldungen.first().contains(QLatin1String("nicht mehr erreichbar")),
                 qPrintable(a.meldungen.first()));
        QVERIFY(!feld<QPushButton>(*a.f, "btnStart")->isEnabled());
        QVERIFY(!feld<SerielleSchnittstelle>(*a.f, "V24")->istOffen());
    }
};

QTEST_MAIN(TstSimfahrt)
#include "tst_simfahrt.moc"

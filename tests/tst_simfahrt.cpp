// Runs through the real window on a serial link. With the serial station simulator as
// the far end: what the simulator understood, command by command, with the state it left
// the locomotive in and the real pauses between the commands, on each serial station.
// With a bare pseudo-terminal: closing the window during a run and an adapter pulled
// mid-run.
#include "helfer/Aufbau.h"
#include "helfer/Pty.h"
#include "window/frmTrabolin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

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

// A shown window in a program directory whose "COM7" leads to the far end: the
// simulator started with `simulator` as its options, or else a pseudo-terminal.
struct Anlage {
    QTemporaryDir verzeichnis;
    Pty pty;
    QProcess sim;
    std::unique_ptr<frmTrabolin> fenster;
    QStringList meldungen;
    int pieptoene = 0;

    explicit Anlage(const QStringList &simulator = {})
    {
        if (simulator.isEmpty()) {
            pty.verknuepfe(verzeichnis.path(), 7);
        } else {
            sim.start(QStringLiteral(SIMULATOR_PROGRAMM),
                      simulator + QStringList{"--link", verzeichnis.filePath(QStringLiteral("COM7"))});
            if (!sim.waitForReadyRead(5000) || !sim.readLine().contains("bereit"))
                qFatal("serial station simulator did not start");
        }
        fenster = std::make_unique<frmTrabolin>(nullptr, verzeichnis.path());
        fenster->V24->setzeStandardzuordnung(false);
        fenster->melde = [this](QMessageBox::Icon, const QString &titel, const QString &text) {
            meldungen << titel + QLatin1Char('|') + text;
        };
        fenster->piepen = [this] { ++pieptoene; };
        fenster->show();
        fenster->optZentrale[0]->click();
        fenster->lstV24->setEditText(QStringLiteral("7"));
        fenster->btnParameterSetzen->click();
        meldungen.clear();
        fenster->txtAdresse->setText(QStringLiteral("24"));
    }
    ~Anlage()
    {
        sim.terminate();
        sim.waitForFinished(5000);
    }

    void zeile(int nr, const QString &zellen) { fuelleZeile(fenster->tabelle(), nr, zellen); }
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

    // Every expected command: when it should arrive (ms after the first) and what the
    // simulator made of it. A command may come a little late, never early.
    void fahrt_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<int>("stoppNachMs"); // 0: no stop
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<int>("endsignale");

        // "Fahren" / "Funktionen" for a locomotive, with the light and F1 (F2 to F4 stay
        // off, the track power is never switched).
        const auto lok = [](int ms, const char *befehl, const char *adresse, const char *fahrt,
                            const char *licht, const char *f1) {
            return QString::number(ms) + u' ' + QString::fromUtf8(befehl).leftJustified(11)
                   + QStringLiteral("Lok %1: %2 | Licht %3 F1 %4 F2 aus F3 aus F4 aus | Gleis unbekannt")
                         .arg(adresse, QString::fromUtf8(fahrt), licht, f1);
        };
        // Line 1: light on at speed 7; line 2: F1 on at speed 3 (on Lenz backwards).
        // The 6051 sends the functions, then the speed of each line, and at the end the
        // stop and all functions off.
        QTest::newRow("6051")
            << 0 << false << "24" << QStringList{"1,s,7,X", "0,s,3,,X"} << 0
            << QStringList{lok(0, "Funktionen", "24", "Fahrstufe 0 vorwärts", "aus", "aus"),
                           lok(500, "Fahren", "24", "Fahrstufe 7 vorwärts", "an", "aus"),
                           lok(1500, "Funktionen", "24", "Fahrstufe 7 vorwärts", "an", "an"),
                           lok(2000, "Fahren", "24", "Fahrstufe 3 vorwärts", "aus", "an"),
                           lok(2000, "Fahren", "24", "Fahrstufe 0 vorwärts", "aus", "an"),
                           lok(2500, "Funktionen", "24", "Fahrstufe 0 vorwärts", "aus", "aus")}
            << 1;
        // The stop cuts the wait short and goes out; the run sends it once more and
        // gives no end signal.
        QTest::newRow("6051 stopp waehrend der zeile")
            << 0 << false << "24" << QStringList{"10,s,5"} << 1500
            << QStringList{lok(0, "Funktionen", "24", "Fahrstufe 0 vorwärts", "aus", "aus"),
                           lok(500, "Fahren", "24", "Fahrstufe 5 vorwärts", "aus", "aus"),
                           lok(1500, "Fahren", "24", "Fahrstufe 0 vorwärts", "aus", "aus"),
                           lok(1500, "Fahren", "24", "Fahrstufe 0 vorwärts", "aus", "aus")}
            << 0;
        // The Lenz pass plays the end signal and the run once more.
        const auto lenz = [&](const char *adresse) {
            return QStringList{lok(0, "Fahren", adresse, "Fahrstufe 7 vorwärts (14 FS)", "aus", "aus"),
                               lok(100, "Funktionen", adresse, "Fahrstufe 7 vorwärts (14 FS)", "an", "aus"),
                               lok(1100, "Fahren", adresse, "Fahrstufe 3 rückwärts (14 FS)", "an", "aus"),
                               lok(1200, "Funktionen", adresse, "Fahrstufe 3 rückwärts (14 FS)", "aus", "an"),
                               lok(2200, "Fahren", adresse, "Fahrstufe 0 rückwärts (14 FS)", "aus", "an")};
        };
        // The simulator with --usb takes only frames behind FF FE, without only plain ones.
        QTest::newRow("lenz") << 1 << false << "3" << QStringList{"1,S,7,X", "1,s,3,,X"} << 0
                              << lenz("3") << 2;
        QTest::newRow("lenz usb") << 1 << true << "1234" << QStringList{"1,S,7,X", "1,s,3,,X"} << 0
                                  << lenz("1234") << 2;
    }
    void fahrt()
    {
        QFETCH(int, option);
        QFETCH(bool, usb);
        QFETCH(QString, adresse);
        QFETCH(QStringList, tabelle);
        QFETCH(int, stoppNachMs);
        QFETCH(QStringList, erwartet);

        QStringList simulator{"--station", option == 1 ? "lenz" : "maerklin"};
        if (usb)
            simulator << "--usb";
        Anlage a(simulator);
        QVERIFY(a.fenster->btnStart->isEnabled());
        a.fenster->optZentrale[option]->click();
        a.fenster->chkUSB->setChecked(usb);
        a.fenster->chkSignal->setChecked(true);
        a.fenster->txtAdresse->setText(adresse);
        for (int i = 0; i < tabelle.size(); ++i)
            a.zeile(i + 1, tabelle[i]);
        if (stoppNachMs > 0)
            QTimer::singleShot(stoppNachMs, a.fenster->btnSendStop, &QPushButton::click);
        a.fenster->btnStart->click(); // returns when the run has ended

        const QStringList ist = gedruckt(a.sim, erwartet.size());
        QStringList texte, soll;
        for (const QString &z : ist)
            texte << z.section(u' ', 1);
        for (const QString &z : erwartet)
            soll << z.section(u' ', 1);
        QCOMPARE(texte, soll);
        // The pauses between the commands as the table asks for them. Arrival times
        // carry the simulator's own scheduling delay, so a few milliseconds either way
        // are the measurement; that a wait never ends early is checked on the clock
        // itself elsewhere.
        for (int i = 1; i < ist.size(); ++i) {
            const qint64 soll_ms = ms(erwartet[i]) - ms(erwartet[i - 1]);
            const qint64 ist_ms = ms(ist[i]) - ms(ist[i - 1]);
            QVERIFY2(ist_ms >= soll_ms - 20 && ist_ms <= soll_ms + 500,
                     qPrintable(QStringLiteral("command %1: pause %2 ms, expected %3 ms")
                                    .arg(i).arg(ist_ms).arg(soll_ms)));
        }
        // No Signal.wav in the program directory: the end signal is the beep.
        QTEST(a.pieptoene, "endsignale");
        QCOMPARE(a.fenster->lblStartzeit->text().size(), 8);
        QVERIFY2(a.meldungen.isEmpty(), qPrintable(a.meldungen.join(u'\n')));
    }

    // Closing the window in the middle of a line stops the locomotive, then closes
    // the port: the stop is the last thing that goes out.
    void schliessenWaehrendDesLaufs()
    {
        Anlage a;
        a.zeile(1, QStringLiteral("60,s,5"));
        QTimer::singleShot(800, a.fenster.get(), &QWidget::close);
        QElapsedTimer uhr;
        uhr.start();
        a.fenster->btnStart->click();
        QVERIFY(uhr.elapsed() < 30000); // returned, long before the line's minute
        QVERIFY(!a.fenster->V24->istOffen());
        QCOMPARE(a.pty.lies(1 << 16, 300).toHex(' '), QByteArray("40 18 05 18 00 18"));
        QVERIFY(a.meldungen.isEmpty());
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
        a.fenster->btnStart->click();
        QVERIFY(meldungenWaehrendDesLaufs.isEmpty());
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY2(a.meldungen.first().contains(QLatin1String("nicht mehr erreichbar")),
                 qPrintable(a.meldungen.first()));
        QVERIFY(!a.fenster->btnStart->isEnabled());
        QVERIFY(!a.fenster->V24->istOffen());
    }
};

QTEST_MAIN(TstSimfahrt)
#include "tst_simfahrt.moc"

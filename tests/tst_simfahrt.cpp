// A short table driven through the real window on each serial station, with the
// serial station simulator as the far end: what the simulator understood, command by
// command, with the state it left the locomotive in.
#include "helfer/Aufbau.h"
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

// The simulator's lines without their time: the expected number, and whatever more
// arrives shortly after (a cut command is reported after a pause of 100 ms).
QStringList gedruckt(QProcess &sim, int erwartet)
{
    QStringList zeilen;
    const QRegularExpression zeit(QStringLiteral("^ *\\d+ ms  (.*)$"));
    while (sim.canReadLine() || sim.waitForReadyRead(zeilen.size() < erwartet ? 2000 : 150)) {
        while (sim.canReadLine()) {
            const QString zeile = QString::fromUtf8(sim.readLine()).trimmed();
            const auto treffer = zeit.match(zeile);
            zeilen << (treffer.hasMatch() ? treffer.captured(1) : zeile);
        }
    }
    return zeilen;
}

} // namespace

class TstSimfahrt : public QObject {
    Q_OBJECT
private slots:
    void fahrt_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<QStringList>("erwartet");

        // "Fahren" / "Funktionen" for a locomotive, with the light and F1 (F2 to F4 stay
        // off, the track power is never switched).
        const auto lok = [](const char *befehl, const char *adresse, const char *fahrt,
                            const char *licht, const char *f1) {
            return QString::fromUtf8(befehl).leftJustified(11)
                   + QStringLiteral("Lok %1: %2 | Licht %3 F1 %4 F2 aus F3 aus F4 aus | Gleis unbekannt")
                         .arg(adresse, QString::fromUtf8(fahrt), licht, f1);
        };
        // Line 1: light on at speed 7; line 2: F1 on at speed 3 (on Lenz backwards).
        // The 6051 sends the functions, then the speed of each line, and at the end the
        // stop and all functions off.
        QTest::newRow("6051")
            << 0 << false << "24" << QStringList{"1,s,7,X", "0,s,3,,X"}
            << QStringList{lok("Funktionen", "24", "Fahrstufe 0 vorwärts", "aus", "aus"),
                           lok("Fahren", "24", "Fahrstufe 7 vorwärts", "an", "aus"),
                           lok("Funktionen", "24", "Fahrstufe 7 vorwärts", "an", "an"),
                           lok("Fahren", "24", "Fahrstufe 3 vorwärts", "aus", "an"),
                           lok("Fahren", "24", "Fahrstufe 0 vorwärts", "aus", "an"),
                           lok("Funktionen", "24", "Fahrstufe 0 vorwärts", "aus", "aus")};
        QTest::newRow("intellibox")
            << 0 << false << "300" << QStringList{"1,s,7,X", "0,s,3,,X"}
            << QStringList{lok("Fahren", "300", "Fahrstufe 7 vorwärts", "an", "aus"),
                           lok("Fahren", "300", "Fahrstufe 3 vorwärts", "aus", "an"),
                           lok("Fahren", "300", "Fahrstufe 0 vorwärts", "aus", "aus")};
        const auto lenz = [&](const char *adresse) {
            return QStringList{lok("Fahren", adresse, "Fahrstufe 7 vorwärts (14 FS)", "aus", "aus"),
                               lok("Funktionen", adresse, "Fahrstufe 7 vorwärts (14 FS)", "an", "aus"),
                               lok("Fahren", adresse, "Fahrstufe 3 rückwärts (14 FS)", "an", "aus"),
                               lok("Funktionen", adresse, "Fahrstufe 3 rückwärts (14 FS)", "aus", "an"),
                               lok("Fahren", adresse, "Fahrstufe 0 rückwärts (14 FS)", "aus", "an")};
        };
        // The simulator with --usb takes only frames behind FF FE, without only plain ones.
        QTest::newRow("lenz") << 1 << false << "3" << QStringList{"1,S,7,X", "1,s,3,,X"} << lenz("3");
        QTest::newRow("lenz usb") << 1 << true << "1234" << QStringList{"1,S,7,X", "1,s,3,,X"}
                                  << lenz("1234");
    }
    void fahrt()
    {
        QFETCH(int, option);
        QFETCH(bool, usb);
        QFETCH(QString, adresse);
        QFETCH(QStringList, tabelle);
        QFETCH(QStringList, erwartet);

        QTemporaryDir verzeichnis;
        QProcess sim;
        QStringList argumente{"--station", option == 1 ? "lenz" : "maerklin", "--link",
                              verzeichnis.filePath(QStringLiteral("COM7"))};
        if (usb)
            argumente << "--usb";
        sim.start(QStringLiteral(SIMULATOR_PROGRAMM), argumente);
        QVERIFY(sim.waitForReadyRead(5000));
        QVERIFY(sim.readLine().contains("bereit"));

        frmTrabolin fenster(nullptr, verzeichnis.path());
        fenster.V24->setzeStandardzuordnung(false);
        QStringList meldungen;
        fenster.melde = [&](QMessageBox::Icon, const QString &titel, const QString &text) {
            meldungen << titel + QLatin1Char('|') + text;
        };
        fenster.piepen = [] {};
        fenster.show();
        fenster.optZentrale[option]->click();
        fenster.chkUSB->setChecked(usb);
        fenster.lstV24->setEditText(QStringLiteral("7"));
        fenster.btnParameterSetzen->click();
        meldungen.clear();
        fenster.txtAdresse->setText(adresse);
        for (int i = 0; i < tabelle.size(); ++i)
            fuelleZeile(fenster.tabelle(), i + 1, tabelle[i]);
        fenster.btnStart->click(); // returns when the run has ended

        const QStringList zeilen = gedruckt(sim, erwartet.size());
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(zeilen, erwartet);
        QVERIFY2(meldungen.isEmpty(), qPrintable(meldungen.join(u'\n')));
    }
};

QTEST_MAIN(TstSimfahrt)
#include "tst_simfahrt.moc"

// Runs through the real window on a pseudo-terminal standing in for the 6051
// interface: the bytes that arrive at the other end, with their pauses, for whole
// runs, a stop, a single line, the power buttons and an adapter pulled mid-run.
#include "helfer/Aufbau.h"
#include "helfer/Pty.h"
#include "helfer/Protokoll.h"
#include "window/frmTrabolin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// A write as seen at the far end: milliseconds after the first byte, and the bytes.
struct Ankunft {
    qint64 ms;
    QByteArray bytes;
};

// Chunks that arrive within a few milliseconds of each other belong to one moment
// (two writes in a row may reach the reader as one chunk or as two).
QList<Ankunft> ankuenfte(const QList<Pty::Stueck> &stuecke)
{
    QList<Ankunft> liste;
    if (stuecke.isEmpty())
        return liste;
    const qint64 anfang = stuecke.first().zeitNs;
    for (const auto &s : stuecke) {
        const qint64 ms = (s.zeitNs - anfang) / 1000000;
        if (!liste.isEmpty() && ms - liste.last().ms < 20)
            liste.last().bytes += s.bytes;
        else
            liste.append({ms, s.bytes});
    }
    return liste;
}

// Everything that has arrived since the last look, one text per moment.
QStringList geschrieben(Pty &pty)
{
    pty.lies(1 << 16, 300);
    QStringList bytes;
    for (const auto &x : ankuenfte(pty.nimmStuecke()))
        bytes << alsText(x.bytes);
    return bytes;
}

struct Anlage {
    QTemporaryDir verzeichnis;
    Pty pty;
    std::unique_ptr<frmTrabolin> fenster;
    QStringList meldungen;
    int pieptoene = 0;

    Anlage()
    {
        pty.verknuepfe(verzeichnis.path(), 7);
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
    }

    void zeile(int nr, const QString &zellen) { fuelleZeile(fenster->tabelle(), nr, zellen); }
};

} // namespace

class TestFahrt : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Pty probe;
        if (!probe.ok())
            QSKIP("no pseudo-terminal on this machine");
    }

    // Every expected write: when it should arrive (ms after the first) and its bytes.
    // A write may come a little late, never early.
    void lauf_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("tabellenzeile");
        QTest::addColumn<qint64>("stoppNachMs"); // 0: no stop
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<int>("endsignale");

        QTest::newRow("6021 licht und funktionen")
            << 0 << "24" << "1,s,7,X,X,,X" << qint64(0)
            << QStringList{"0 45 18", "500 17 18", "1500 00 18", "2000 40 18"} << 1;
        QTest::newRow("intellibox")
            << 0 << "300" << "1,s,20,X" << qint64(0)
            << QStringList{"0 'XL 300,20,1,1,0,0,0,0<CR>'", "1000 'XL300,0,0,1,0,0,0,0<CR>'"} << 1;
        // The cut-short wait sends the stop, the run sends it once more; no end signal.
        QTest::newRow("6021 stopp waehrend der zeile")
            << 0 << "24" << "10,s,5" << qint64(1500)
            << QStringList{"0 40 18", "500 05 18", "1500 00 18 00 18"} << 0;
        // The Lenz pass plays the end signal and the run once more.
        QTest::newRow("lenz")
            << 1 << "3" << "1,S,4,X" << qint64(0)
            << QStringList{"0 E4 10 00 03 85 72", "100 E4 20 00 03 10 D7", "1100 E4 10 00 03 80 77"} << 2;
        QTest::newRow("lenz stopp")
            << 1 << "3" << "10,S,4" << qint64(1500)
            << QStringList{"0 E4 10 00 03 85 72", "100 E4 20 00 03 00 C7", "1500 E4 10 00 03 80 77"} << 1;
    }
    void lauf()
    {
        QFETCH(int, option);
        QFETCH(QString, adresse);
        QFETCH(QString, tabellenzeile);
        QFETCH(qint64, stoppNachMs);
        QFETCH(QStringList, erwartet);
        QFETCH(int, endsignale);

        Anlage a;
        QVERIFY2(a.pty.ok(), qPrintable(a.pty.fehler()));
        QVERIFY(a.fenster->btnStart->isEnabled());
        a.fenster->optZentrale[option]->click();
        a.fenster->txtAdresse->setText(adresse);
        a.fenster->chkSignal->setChecked(true);
        a.zeile(1, tabellenzeile);
        if (stoppNachMs > 0)
            QTimer::singleShot(stoppNachMs, a.fenster->btnSendStop, &QPushButton::click);
        a.pty.nimmStuecke();
        a.fenster->btnStart->click(); // returns when the run has ended
        a.pty.lies(1 << 16, 300);

        const QList<Ankunft> ist = ankuenfte(a.pty.nimmStuecke());
        QStringList bytes;
        for (const auto &x : ist)
            bytes << alsText(x.bytes);
        QStringList soll;
        for (const auto &e : erwartet)
            soll << e.section(QLatin1Char(' '), 1);
        QCOMPARE(bytes, soll);
        // The pauses between the writes as the table asks for them. Arrival times
        // carry the reader's own scheduling delay, so a few milliseconds either way
        // are the measurement; that a wait never ends early is checked on the clock
        // itself elsewhere. IntelliBox times count from the first write, which
        // follows the 500 ms pause at the start of the line.
        for (int i = 1; i < ist.size(); ++i) {
            const qint64 soll_ms = erwartet[i].section(QLatin1Char(' '), 0, 0).toLongLong()
                                   - erwartet[i - 1].section(QLatin1Char(' '), 0, 0).toLongLong();
            const qint64 ist_ms = ist[i].ms - ist[i - 1].ms;
            QVERIFY2(ist_ms >= soll_ms - 20 && ist_ms <= soll_ms + 500,
                     qPrintable(QStringLiteral("write %1: pause %2 ms, expected %3 ms")
                                    .arg(i).arg(ist_ms).arg(soll_ms)));
        }
        // No Signal.wav in the program directory: the end signal is the beep.
        QCOMPARE(a.pieptoene, endsignale);
        QCOMPARE(a.fenster->lblStartzeit->text().size(), 8);
    }

    void einzelzeile()
    {
        Anlage a;
        a.fenster->txtAdresse->setText(QStringLiteral("24"));
        a.zeile(3, QStringLiteral("1,s,3"));
        a.fenster->tabelle().setzeAktuelleZeile(3);
        a.pty.nimmStuecke();
        a.fenster->btnSendZeile->click();
        QCOMPARE(geschrieben(a.pty), (QStringList{"40 18", "03 18", "00 18", "40 18"}));
        QCOMPARE(a.fenster->tabelle().aktuelleZeile(), 3);
    }

    void power()
    {
        Anlage a;
        a.pty.nimmStuecke();
        a.fenster->btnPower[1]->click();
        QCOMPARE(a.pty.lies(1, 2000), QByteArray("\x60"));
        a.fenster->btnPower[0]->click();
        QCOMPARE(a.pty.lies(1, 2000), QByteArray("\x61"));
    }

    // Closing the window in the middle of a line stops the locomotive, then closes
    // the port: the stop is the last thing that goes out.
    void schliessenWaehrendDesLaufs()
    {
        Anlage a;
        a.fenster->txtAdresse->setText(QStringLiteral("24"));
        a.zeile(1, QStringLiteral("60,s,5"));
        QTimer::singleShot(800, a.fenster.get(), &QWidget::close);
        QElapsedTimer uhr;
        uhr.start();
        a.fenster->btnStart->click();
        QVERIFY(uhr.elapsed() < 30000); // returned, long before the line's minute
        QVERIFY(!a.fenster->V24->istOffen());
        QCOMPARE(geschrieben(a.pty), (QStringList{"40 18", "05 18", "00 18"}));
        QVERIFY(a.meldungen.isEmpty());
    }

    // The adapter is pulled during a line: the run goes on without the port, ends
    // normally, and one message follows after it, not during it.
    void adapterGezogen()
    {
        Anlage a;
        a.fenster->txtAdresse->setText(QStringLiteral("24"));
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

QTEST_MAIN(TestFahrt)
#include "tst_fahrt.moc"

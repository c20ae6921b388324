// The sound: a file that cannot be played gives exactly one beep per play, a
// playable one plays or (on a machine without audio) beeps, and nothing blocks.
#include "program/WavKlang.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>

using trabolin::WavKlang;

namespace {

// Runs the event loop for a while so that background loading and status changes
// have their chance to show (and to beep a second time, which they must not).
void ereignisseLaufenLassen(int ms)
{
    QElapsedTimer uhr;
    uhr.start();
    while (uhr.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

class TestKlang : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void nichtAbspielbar_data();
    void nichtAbspielbar();
    void vorhandeneDatei_data();
    void vorhandeneDatei();
    void programmverzeichnisAlsVorgabe();

private:
    QTemporaryDir m_dir;
};

void TestKlang::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A file named like a sound that holds no sound.
    QFile kaputt(m_dir.filePath("kaputt.wav"));
    QVERIFY(kaputt.open(QIODevice::WriteOnly));
    kaputt.write("this is not a RIFF file, only text pretending to be one");
    kaputt.close();
    QVERIFY(QDir(m_dir.path()).mkdir("ordner.wav"));
    for (const char *name : {"Signal.wav", "ring.wav"}) {
        const QString quelle = QFINDTESTDATA(QStringLiteral("../resources/%1").arg(name));
        QVERIFY2(!quelle.isEmpty(), name);
        QVERIFY(QFile::copy(quelle, m_dir.filePath(name)));
    }
}

void TestKlang::nichtAbspielbar_data()
{
    QTest::addColumn<QString>("datei");
    QTest::addColumn<int>("spiele");
    QTest::newRow("fehlende Datei, einmal") << "fehlt.wav" << 1;
    QTest::newRow("fehlende Datei, dreimal") << "fehlt.wav" << 3;
    QTest::newRow("leerer Name") << "" << 1;
    QTest::newRow("Verzeichnis statt Datei") << "ordner.wav" << 2;
    QTest::newRow("keine WAV-Daten") << "kaputt.wav" << 2;
}

void TestKlang::nichtAbspielbar()
{
    QFETCH(QString, datei);
    QFETCH(int, spiele);
    int piepser = 0;
    WavKlang klang([&] { ++piepser; }, m_dir.path());
    for (int i = 0; i < spiele; ++i)
        klang.spiele(datei);
    // A file that exists is loaded in the background, so its beep may come a
    // little later; wait for it, and then a while longer for a second beep that
    // must not come.
    QTRY_COMPARE_WITH_TIMEOUT(piepser, spiele, 10'000);
    ereignisseLaufenLassen(200);
    QCOMPARE(piepser, spiele);
}

void TestKlang::vorhandeneDatei_data()
{
    QTest::addColumn<QStringList>("folge");
    QTest::newRow("Signal") << QStringList{"Signal.wav"};
    QTest::newRow("ring dreimal, jeder schneidet ab") << QStringList{"ring.wav", "ring.wav", "ring.wav"};
    QTest::newRow("beide im Wechsel") << QStringList{"Signal.wav", "ring.wav", "Signal.wav"};
}

void TestKlang::vorhandeneDatei()
{
    // With an audio output the sounds play and nothing beeps; without one (as in
    // CI) every play beeps once. Either way each call returns and nothing piles up.
    QFETCH(QStringList, folge);
    const bool mitAusgabe = !QMediaDevices::audioOutputs().isEmpty();
    int piepser = 0;
    {
        WavKlang klang([&] { ++piepser; }, m_dir.path());
        for (const QString &datei : folge) {
            klang.spiele(datei);
            ereignisseLaufenLassen(20);
        }
        ereignisseLaufenLassen(300);
        if (mitAusgabe)
            QCOMPARE(piepser, 0);
        else
            QCOMPARE(piepser, folge.size());
    } // destroyed while a sound may still be playing
    ereignisseLaufenLassen(50);
}

void TestKlang::programmverzeichnisAlsVorgabe()
{
    // Without a directory the files are looked for beside the executable, where
    // no file of this name lies.
    int piepser = 0;
    WavKlang klang([&] { ++piepser; });
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/gibtsnicht-42.wav"));
    klang.spiele("gibtsnicht-42.wav");
    QCOMPARE(piepser, 1);
}

QTEST_GUILESS_MAIN(TestKlang)
#include "tst_klang.moc"

// The sound: a file that cannot be played gives exactly one beep per play, a
// playable one plays or (on a machine without audio) beeps, and nothing blocks.
#include "program/WavKlang.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>

using trabolin::WavKlang;

class TestKlang : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile kaputt(m_dir.filePath("kaputt.wav")); // named like a sound, holds none
        QVERIFY(kaputt.open(QIODevice::WriteOnly) && kaputt.write("not a RIFF file, only text") > 0);
        kaputt.close();
        QVERIFY(QFile::copy(QFINDTESTDATA("../resources/Signal.wav"), m_dir.filePath("Signal.wav")));
    }

    // Without an audio output (as in CI) every play beeps once; with one, only the plays
    // of files that cannot be played do: a missing one and one without WAV data, each time.
    void spiele()
    {
        const QStringList folge{"fehlt.wav", "kaputt.wav", "Signal.wav", "fehlt.wav", "kaputt.wav", "fehlt.wav"};
        const int erwartet = QMediaDevices::audioOutputs().isEmpty() ? folge.size() : 5;
        int piepser = 0;
        {
            WavKlang klang([&] { ++piepser; }, m_dir.path());
            for (const QString &datei : folge)
                klang.spiele(datei); // returns while loading or playing goes on
            // An unreadable file is found out while loading in the background, so its
            // beep may come late; then give a second beep time to show: it must not.
            QTRY_COMPARE_WITH_TIMEOUT(piepser, erwartet, 10'000);
            QTest::qWait(200);
            QCOMPARE(piepser, erwartet);
        } // destroyed while a sound may still be playing
    }
};

QTEST_GUILESS_MAIN(TestKlang)
#include "tst_klang.moc"

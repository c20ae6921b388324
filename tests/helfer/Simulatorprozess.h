#pragma once
// A station simulator as a child process of the test: started with its options, the
// first line it prints (where it listens, or that it is ready), every later line as it
// comes, and what is typed at its terminal. It is killed with the test.
#include <QProcess>
#include <QStringList>
#include <QtTest>

#include <functional>

namespace trabolin::test {

struct Simulatorprozess {
    QProcess prozess;
    QString erste;
    QStringList zeilen; // the later lines, trimmed, that `behalten` keeps, as `schnitt` leaves them
    std::function<QString(const QString &)> schnitt = [](const QString &z) { return z; };
    std::function<bool(const QString &)> behalten = [](const QString &) { return true; };

    bool starte(const QString &programm, const QStringList &optionen)
    {
        prozess.start(programm, optionen);
        if (!prozess.waitForStarted(5000) || !prozess.waitForReadyRead(5000))
            return false;
        erste = QString::fromUtf8(prozess.readLine());
        return true;
    }
    // The port at the end of the first line ("... 127.0.0.1:21105").
    quint16 port() const { return quint16(erste.section(u':', -1).trimmed().toUInt()); }
    QStringList lies()
    {
        while (prozess.canReadLine())
            if (const QString z = QString::fromUtf8(prozess.readLine()).trimmed(); behalten(z))
                zeilen << schnitt(z);
        return zeilen;
    }
    int anzahl(const QString &teil) { return int(lies().filter(teil).size()); }
    // Waits until a line contains `teil`.
    bool wartetAuf(const QString &teil) { return QTest::qWaitFor([&] { return anzahl(teil) > 0; }, 5000); }
    void tippe(const QByteArray &zeile) { prozess.write(zeile + '\n'); }
    ~Simulatorprozess()
    {
        prozess.kill();
        prozess.waitForFinished(2000);
    }
};

// The time a simulator prints before each line, cut off.
inline QString ohneZeit(const QString &zeile) { return zeile.section(u' ', 1); }

} // namespace trabolin::test

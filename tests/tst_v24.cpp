// The serial port against a real pseudo-terminal, for what the window tests cannot reach
// well: the exact bytes, exclusive access, permissions and an unplugged adapter.
#include "helfer/OhneRoot.h"
#include "helfer/Pty.h"
#include "program/Benutzerverzeichnis.h"
#include "serial/V24.h"

#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

Q_DECLARE_METATYPE(trabolin::Oeffnungsbefund)

using namespace trabolin;
using trabolin::test::ohneRoot;
using trabolin::test::Pty;

namespace {

// The port COM<nummer> of program directory `ordner`; the machine's own /dev/ttyS* stay out.
std::unique_ptr<SerielleSchnittstelle> schnittstelle(const QString &ordner, int nummer)
{
    auto v24 = std::make_unique<SerielleSchnittstelle>(ordner);
    v24->setzeStandardzuordnung(false);
    v24->setzePortNummer(nummer);
    return v24;
}

// A program directory with a "COM2" link to a pseudo-terminal.
struct Anlage {
    QTemporaryDir verzeichnis;
    Pty pty;

    Anlage()
    {
        if (!pty.ok() || !pty.verknuepfe(verzeichnis.path(), 2))
            qFatal("pseudo-terminal for COM2: %s", qPrintable(pty.fehler()));
    }
    std::unique_ptr<SerielleSchnittstelle> port() const { return schnittstelle(verzeichnis.path(), 2); }
};

} // namespace

class TstV24 : public QObject {
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // A lone NUL, a write ending in CR and every other value up to 0xFF.
    void bytesKommenUnveraendertAn()
    {
        QByteArray alle;
        for (int b = 0; b < 256; ++b)
            alle += char(b);
        Anlage anlage;
        auto v24 = anlage.port();
        QCOMPARE(v24->oeffne().nummer, 0);
        termios t{}; // the line a freshly opened port runs: 9600,N,8,2 with RTS/CTS
        QVERIFY(anlage.pty.slaveEinstellungen(t));
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QVERIFY((t.c_cflag & CSTOPB) && (t.c_cflag & CRTSCTS));
        for (const QByteArray &b : {alle.left(1), alle.mid(1, 13), alle.mid(14)})
            v24->schreibe(b);
        QCOMPARE(anlage.pty.lies(alle.size() + 1, 300).toHex(' '), alle.toHex(' '));
    }

    // The line as a send queue: a command waits while the characters written before it
    // are still going out. At 2400 baud, 8 data bits, no parity and 2 stop bits (the
    // 6051's settings in Märklin's description of its interface) a character is 11
    // bits, 4.583 ms; at 9600,N,8,1 10 bits, 1.042 ms; with parity and 1.5 stop bits
    // 11.5 bits. Writes: "<ms>:<characters>", the waits they get.
    void leitungstakt_data()
    {
        QTest::addColumn<double>("zeichen");
        QTest::addColumn<QStringList>("schreiben");
        QTest::addColumn<QList<double>>("warten");
        const double c6051 = zeichenMs(2400, 8, false, 2);
        QTest::newRow("6051: zwei befehle zugleich")
            << c6051 << QStringList{"0:2", "0:2"} << QList<double>{0, 2 * c6051};
        QTest::newRow("6051: acht halte, der letzte nach 14 zeichen")
            << c6051 << QStringList{"0:2", "0:2", "0:2", "0:2", "0:2", "0:2", "0:2", "1:2"}
            << QList<double>{0, 2 * c6051, 4 * c6051, 6 * c6051, 8 * c6051, 10 * c6051, 12 * c6051, 14 * c6051 - 1};
        QTest::newRow("6051: die leitung ist frei")
            << c6051 << QStringList{"0:2", "9.2:2", "100:1"} << QList<double>{0, 0, 0};
        QTest::newRow("lenz 9600,N,8,1") << zeichenMs(9600, 8, false, 1) << QStringList{"0:6", "3:4"}
                                         << QList<double>{0, 6 * 1000.0 / 960 - 3};
        QTest::newRow("gerade paritaet, 1,5 stoppbits") << zeichenMs(1000, 8, true, 1.5)
                                                        << QStringList{"0:1", "0:1"} << QList<double>{0, 11.5};
    }
    void leitungstakt()
    {
        QFETCH(double, zeichen);
        QFETCH(QStringList, schreiben);
        QFETCH(QList<double>, warten);
        Leitungstakt leitung;
        QList<double> ist;
        for (const QString &s : schreiben)
            ist << leitung.schreibe(s.section(u':', 1).toLongLong(), zeichen, s.section(u':', 0, 0).toDouble());
        QCOMPARE(ist.size(), warten.size());
        for (int i = 0; i < ist.size(); ++i)
            QVERIFY2(qAbs(ist[i] - warten[i]) < 1e-9, qPrintable(QStringLiteral("%1: %2 statt %3").arg(i).arg(ist[i]).arg(warten[i])));
        QCOMPARE(leitung.wartezahlen().befehle, qint64(schreiben.size()));
        QCOMPARE(leitung.wartezahlen().hoechstMs, *std::max_element(warten.begin(), warten.end()));
    }

    // The port reckons its line with its own settings: one two-byte command at
    // 2400,N,8,2 keeps the line busy for 9.167 ms from its write.
    void portRechnetLeitung()
    {
        Anlage anlage;
        auto v24 = anlage.port();
        QCOMPARE(v24->setzeEinstellungen(QStringLiteral("2400,N,8,2")).nummer, 0);
        QCOMPARE(v24->oeffne().nummer, 0);
        v24->schreibe(QByteArray::fromHex("0018"));
        QCOMPARE(v24->leitung().wartezahlen().befehle, qint64(1));
        QVERIFY(v24->leitung().freiAbMs() >= 22.0 / 2.4);
        QVERIFY(v24->leitung().freiAbMs() < 22.0 / 2.4 + 1000);
    }

    // Nothing written to a closed port may turn up later, and nothing is complained
    // about; an open port is exclusive until it is closed.
    void geschlossenerPortNimmtNichts()
    {
        Anlage anlage;
        auto v24 = anlage.port(), zweiter = anlage.port();
        v24->schreibe("nie geoeffnet");
        QCOMPARE(v24->oeffne().nummer, 0);
        QCOMPARE(zweiter->oeffne().nummer, fehlernummer::anschlussBelegt);
        v24->schreibe("A");
        v24->schliesse();
        v24->schreibe("B");
        QCOMPARE(zweiter->oeffne().nummer, 0);
        zweiter->schliesse();
        QCOMPARE(v24->oeffne().nummer, 0);
        v24->schreibe("C");
        QCOMPARE(anlage.pty.lies(2, 5000), QByteArray("AC"));
    }

    // A device node the user may not open is a permission problem, not a busy port.
    void ohneBerechtigung()
    {
        Anlage anlage;
        QCOMPARE(::chmod(QFile::encodeName(anlage.verzeichnis.path()).constData(), 0755), 0);
        const QString geraet = anlage.pty.slavePfad();
        QCOMPARE(::chmod(QFile::encodeName(geraet).constData(), 0), 0);
        auto v24 = anlage.port();
        Fehler f;
        if (!ohneRoot([&] { f = v24->oeffne(); }))
            QSKIP("cannot drop root for the permission check");
        QCOMPARE(f.nummer, fehlernummer::keineBerechtigung);
        QVERIFY2(f.beschreibung.contains(geraet) && f.beschreibung.contains(u"usermod -aG"),
                 qPrintable(f.beschreibung));
    }

    // Installed read-only, the program looks for its "COM<N>" links in the per-user
    // folder; a program directory the user may write to keeps them beside it.
    void benutzerVerzeichnis()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString proBenutzer =
            QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                .filePath(QStringLiteral("trabolin"));
        QTemporaryDir verzeichnis;
        QCOMPARE(trabolin::benutzerVerzeichnis(verzeichnis.path()), verzeichnis.path());

        const QString geschuetzt = verzeichnis.filePath(QStringLiteral("lib"));
        QVERIFY(QDir().mkdir(geschuetzt));
        QCOMPARE(::chmod(QFile::encodeName(verzeichnis.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(geschuetzt).constData(), 0555), 0);
        QString gewaehlt;
        if (ohneRoot([&] { gewaehlt = trabolin::benutzerVerzeichnis(geschuetzt); }))
            QCOMPARE(gewaehlt, proBenutzer);

        // A program directory that is not there at all stands in for the read-only one.
        Pty pty;
        const QString link = QDir(proBenutzer).filePath(QStringLiteral("COM29"));
        QVERIFY(pty.ok() && pty.verknuepfe(trabolin::benutzerVerzeichnis(geschuetzt + "/fehlt"), 29));
        const auto v24 = schnittstelle(geschuetzt + "/fehlt", 29);
        const Fehler f = v24->oeffne();
        const QString hinweis = v24->geraeteHinweis(29);
        QFile::remove(link);
        QCOMPARE(f.nummer, 0);
        QVERIFY2(hinweis.contains(QStringLiteral("über COM29 in ") + proBenutzer), qPrintable(hinweis));
    }

    void bewerteOeffnung_data()
    {
        QTest::addColumn<Oeffnungsbefund>("befund");
        QTest::addColumn<int>("fehler");
        QTest::addColumn<QString>("enthaelt");
        const QString usb = QStringLiteral("/dev/ttyUSB0");
        using P = QSerialPort;
        QTest::newRow("EACCES") << Oeffnungsbefund{usb, true, EACCES} << 70 << "Keine Berechtigung für /dev/ttyUSB0 (Gruppe dialout?)";
        QTest::newRow("EACCES, Gruppe root")
            << Oeffnungsbefund{usb, true, EACCES, P::NoError, {}, "root"} << 70 << "(Gruppe dialout?)";
        QTest::newRow("EPERM, Gruppe uucp") << Oeffnungsbefund{usb, true, EPERM, P::NoError, {}, "uucp"} << 70 << "(Gruppe uucp?)";
        QTest::newRow("kein UART dahinter") << Oeffnungsbefund{usb, true, 0, P::ResourceError, "EIO"} << 8002 << "";
        QTest::newRow("kein Terminal") << Oeffnungsbefund{usb, true, 0, P::UnsupportedOperationError, "ENOTTY"} << 8010 << "ENOTTY";
        QTest::newRow("schreibgeschützt") << Oeffnungsbefund{usb, true, EROFS} << 8010 << usb;
    }
    void bewerteOeffnung()
    {
        QFETCH(Oeffnungsbefund, befund);
        QFETCH(QString, enthaelt);
        const Fehler f = trabolin::bewerteOeffnung(befund);
        QTEST(f.nummer, "fehler");
        QVERIFY2(f.beschreibung.contains(enthaelt), qPrintable(f.beschreibung));
    }

    // Unplugged while idle the loss shows on the read side, during a write on the write side.
    void verlorenerAdapter_data()
    {
        QTest::addColumn<bool>("schreibtDanach");
        QTest::newRow("ruhend") << false;
        QTest::newRow("beim Schreiben") << true;
    }
    void verlorenerAdapter()
    {
        QFETCH(bool, schreibtDanach);
        Anlage anlage;
        auto v24 = anlage.port();
        QSignalSpy verloren(v24.get(), &SerielleSchnittstelle::verloren);
        QCOMPARE(v24->oeffne().nummer, 0);
        anlage.pty.schliesseMaster();
        if (schreibtDanach)
            v24->schreibe("\x61");
        QVERIFY(verloren.wait(5000));
        for (int i = 0; i < 20; ++i) {
            v24->schreibe("\x61");
            QCoreApplication::processEvents();
        }
        QCOMPARE(verloren.count(), 1);
        QVERIFY(!v24->istOffen());
        QCOMPARE(v24->oeffne().nummer, 8002); // the pty node is gone with its master
    }
};

QTEST_GUILESS_MAIN(TstV24)
#include "tst_v24.moc"
// The serial port against real pseudo-terminals: what reaches the wire, which error
// numbers come back, and the texts the window shows for them.
#include "helfer/Pty.h"
#include "serial/V24.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

Q_DECLARE_METATYPE(trabolin::Oeffnungsbefund)

using namespace trabolin;
using trabolin::test::Pty;

namespace {

using Bytes = QList<QByteArray>;

// A program directory with "COM<N>" links to pseudo-terminals.
struct Anlage {
    QTemporaryDir verzeichnis;
    std::map<int, std::unique_ptr<Pty>> ptys;

    explicit Anlage(const QList<int> &nummern = {})
    {
        for (int n : nummern)
            verbinde(n);
    }
    Pty &verbinde(int n)
    {
        auto &pty = ptys[n];
        pty = std::make_unique<Pty>();
        if (!pty->ok() || !pty->verknuepfe(verzeichnis.path(), n))
            qFatal("pseudo-terminal for COM%d: %s", n, qPrintable(pty->fehler()));
        return *pty;
    }
    std::unique_ptr<SerielleSchnittstelle> port(int nummer) const
    {
        auto v24 = std::make_unique<SerielleSchnittstelle>(verzeichnis.path());
        v24->setzeStandardzuordnung(false); // the machine's own /dev/ttyS* stay out
        v24->setzePortNummer(nummer);
        return v24;
    }
};

speed_t geschwindigkeit(Pty &pty)
{
    termios t{};
    return pty.slaveEinstellungen(t) ? cfgetospeed(&t) : B0;
}

} // namespace

class TstV24 : public QObject {
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void bytesKommenUnveraendertAn_data()
    {
        QTest::addColumn<Bytes>("schreibvorgaenge");
        QByteArray alle;
        for (int b = 0; b < 256; ++b)
            alle += char(b);
        QTest::newRow("Power an") << Bytes{"\x60"};
        QTest::newRow("Nullbyte und CR") << Bytes{QByteArray("\x00\x0D", 2)};
        QTest::newRow("XpressNet mit USB-Vorsatz") << Bytes{"\xFF\xFE\xE4\x13\x00\x03\x05\xF1"};
        QTest::newRow("XL-Text mit CR") << Bytes{"XL 300, 5, 1, 0, 0, 0, 0\r"};
        QTest::newRow("mehrere in Folge") << Bytes{"\x05\x18", QByteArray("\x00", 1), "\x0D\x0A"};
        QTest::newRow("alle Bytewerte") << Bytes{alle};
    }
    void bytesKommenUnveraendertAn()
    {
        QFETCH(Bytes, schreibvorgaenge);
        Anlage anlage({3});
        auto v24 = anlage.port(3);
        QCOMPARE(v24->oeffne().nummer, 0);
        QByteArray erwartet;
        for (const QByteArray &b : schreibvorgaenge) {
            v24->schreibe(b);
            erwartet += b;
        }
        QCOMPARE(anlage.ptys[3]->lies(erwartet.size() + 1, 300).toHex(' '), erwartet.toHex(' '));
    }

    void oeffnen_data()
    {
        QTest::addColumn<QString>("eintrag"); // what "COM4" in the program directory is
        QTest::addColumn<int>("nummer");
        QTest::addColumn<int>("fehler");
        QTest::newRow("COM4 fehlt") << "" << 4 << 8002;
        QTest::newRow("Nummer 0") << "pty" << 0 << 8002;
        QTest::newRow("negative Nummer") << "pty" << -4 << 8002;
        QTest::newRow("verwaiste Verknüpfung") << "verwaist" << 4 << 8002;
        QTest::newRow("gewöhnliche Datei") << "datei" << 4 << fehlernummer::oeffnenFehlgeschlagen;
        QTest::newRow("Pseudo-Terminal") << "pty" << 4 << 0;
    }
    void oeffnen()
    {
        QFETCH(QString, eintrag);
        QFETCH(int, nummer);
        QFETCH(int, fehler);
        Anlage anlage;
        const QString com4 = anlage.verzeichnis.filePath(QStringLiteral("COM4"));
        if (eintrag == u"pty")
            anlage.verbinde(4);
        else if (eintrag == u"verwaist")
            QVERIFY(QFile::link(anlage.verzeichnis.filePath(QStringLiteral("weg")), com4));
        else if (eintrag == u"datei")
            QVERIFY(QFile(com4).open(QIODevice::WriteOnly));
        auto v24 = anlage.port(nummer);
        const Fehler f = v24->oeffne();
        QCOMPARE(f.nummer, fehler);
        QCOMPARE(v24->istOffen(), fehler == 0);
        if (fehler != 0 && fehler != 8002)
            QVERIFY2(f.beschreibung.contains(QFileInfo(com4).canonicalFilePath()), qPrintable(f.beschreibung));
    }

    void zweiterZugriffIstBelegt()
    {
        Anlage anlage({5});
        auto erster = anlage.port(5);
        auto zweiter = anlage.port(5);
        QCOMPARE(erster->oeffne().nummer, 0);
        QCOMPARE(zweiter->oeffne().nummer, 8005);
        erster->schreibe("\x61");
        QCOMPARE(anlage.ptys[5]->lies(1, 5000), QByteArray("\x61"));
        erster->schliesse();
        QCOMPARE(zweiter->oeffne().nummer, 0);
    }

    // A device node the user may not open is a permission problem, not a busy port.
    // Root may open everything, so root drops its effective user for the attempt.
    void ohneBerechtigung()
    {
        Anlage anlage({7});
        QVERIFY(QFile::setPermissions(anlage.verzeichnis.path(),
                                      QFile::permissions(anlage.verzeichnis.path())
                                          | QFile::ReadOther | QFile::ExeOther));
        const QByteArray geraet = QFile::encodeName(anlage.ptys[7]->slavePfad());
        QCOMPARE(::chmod(geraet.constData(), 0), 0);
        auto v24 = anlage.port(7);
        const bool root = ::geteuid() == 0;
        if (root && (::setegid(65534) != 0 || ::seteuid(65534) != 0)) {
            QCOMPARE(::setegid(0), 0);
            QSKIP("cannot drop root for the permission check");
        }
        const Fehler f = v24->oeffne();
        if (root) {
            QCOMPARE(::seteuid(0), 0);
            QCOMPARE(::setegid(0), 0);
        }
        QCOMPARE(f.nummer, fehlernummer::keineBerechtigung);
        QVERIFY2(f.beschreibung.contains(anlage.ptys[7]->slavePfad()), qPrintable(f.beschreibung));
        QVERIFY2(f.beschreibung.contains(u"usermod -aG"), qPrintable(f.beschreibung));
    }

    void bewerteOeffnung_data()
    {
        QTest::addColumn<Oeffnungsbefund>("befund");
        QTest::addColumn<int>("fehler");
        QTest::addColumn<QString>("enthaelt");
        const QString usb = QStringLiteral("/dev/ttyUSB0");
        using P = QSerialPort;
        QTest::newRow("keine Zuordnung") << Oeffnungsbefund{} << 8002 << "";
        QTest::newRow("nichts unter dem Pfad") << Oeffnungsbefund{usb, false} << 8002 << "";
        QTest::newRow("EACCES") << Oeffnungsbefund{usb, true, EACCES} << 70 << "Keine Berechtigung für /dev/ttyUSB0 (Gruppe dialout?)";
        QTest::newRow("EPERM") << Oeffnungsbefund{usb, true, EPERM} << 70 << "sudo usermod -aG dialout $USER";
        QTest::newRow("Gruppe uucp") << Oeffnungsbefund{usb, true, EACCES, P::NoError, {}, "uucp"} << 70 << "(Gruppe uucp?)";
        QTest::newRow("anderswo gesperrt") << Oeffnungsbefund{usb, true, 0, P::PermissionError, "locked"} << 8005 << "";
        QTest::newRow("kein UART dahinter") << Oeffnungsbefund{usb, true, 0, P::ResourceError, "EIO"} << 8002 << "";
        QTest::newRow("kein Terminal") << Oeffnungsbefund{usb, true, 0, P::UnsupportedOperationError, "ENOTTY"} << 8010 << "ENOTTY";
        QTest::newRow("schreibgeschützt") << Oeffnungsbefund{usb, true, EROFS} << 8010 << usb;
        QTest::newRow("geöffnet") << Oeffnungsbefund{usb, true} << 0 << "";
    }
    void bewerteOeffnung()
    {
        QFETCH(Oeffnungsbefund, befund);
        QFETCH(int, fehler);
        QFETCH(QString, enthaelt);
        const Fehler f = trabolin::bewerteOeffnung(befund);
        QCOMPARE(f.nummer, fehler);
        QVERIFY2(f.beschreibung.contains(enthaelt), qPrintable(f.beschreibung));
    }

    // What the driver holds for the line; a pty keeps 8 data bits and no parity itself.
    void leitungseinstellungen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("zurueck");
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("zweiStoppbits");
        QTest::newRow("nach dem Öffnen") << "" << "9600,N,8,2" << int(B9600) << true;
        QTest::newRow("19200,N,8,1") << "19200,N,8,1" << "19200,N,8,1" << int(B19200) << false;
        QTest::newRow("klein geschrieben") << "2400,n,8,2" << "2400,N,8,2" << int(B2400) << true;
        QTest::newRow("mit Leerzeichen") << " 4800 , n ,8, 1 " << "4800,N,8,1" << int(B4800) << false;
        QTest::newRow("38400,N,8,2") << "38400,N,8,2" << "38400,N,8,2" << int(B38400) << true;
    }
    void leitungseinstellungen()
    {
        QFETCH(QString, text);
        QFETCH(QString, zurueck);
        QFETCH(int, baud);
        QFETCH(bool, zweiStoppbits);
        Anlage anlage({1});
        auto v24 = anlage.port(1);
        QCOMPARE(v24->oeffne().nummer, 0);
        if (!text.isEmpty())
            QCOMPARE(v24->setzeEinstellungen(text).nummer, 0);
        QCOMPARE(v24->einstellungen(), zurueck);
        termios t{};
        QVERIFY(anlage.ptys[1]->slaveEinstellungen(t));
        QCOMPARE(int(cfgetospeed(&t)), baud);
        QCOMPARE(bool(t.c_cflag & CSTOPB), zweiStoppbits);
        QVERIFY(t.c_cflag & CRTSCTS); // RTS/CTS handshake towards the interface
    }

    void ungueltigeEinstellungen_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *t : {"abc,N,8,1", "0,N,8,1", "-9600,N,8,1", "9600.5,N,8,1", "9600,X,8,1",
                              "9600,NN,8,1", "9600,N,9,1", "9600,N,4,1", "9600,N,8,3", "9600,N,8,1.5",
                              "9600,N,8", "9600,N,8,1,1", "",
                              "9600,E,8,1" /* a pty refuses parity */})
            QTest::newRow(t) << QString::fromUtf8(t);
    }
    void ungueltigeEinstellungen()
    {
        QFETCH(QString, text);
        Anlage anlage({1});
        auto v24 = anlage.port(1);
        QCOMPARE(v24->oeffne().nummer, 0);
        QCOMPARE(v24->setzeEinstellungen(QStringLiteral("19200,N,8,1")).nummer, 0);
        const Fehler f = v24->setzeEinstellungen(text);
        QCOMPARE(f.nummer, fehlernummer::ungueltigeParameter);
        QVERIFY(!f.beschreibung.isEmpty());
        QCOMPARE(v24->einstellungen(), QStringLiteral("19200,N,8,1"));
        QCOMPARE(geschwindigkeit(*anlage.ptys[1]), speed_t(B19200));
        v24->schreibe("\x60");
        QCOMPARE(anlage.ptys[1]->lies(1, 5000), QByteArray("\x60"));
    }

    // Nothing written to a closed port may turn up later, and nothing is complained about.
    void geschlossenerPortNimmtNichts()
    {
        Anlage anlage({2});
        auto v24 = anlage.port(2);
        v24->schreibe("nie geoeffnet");
        QCOMPARE(v24->oeffne().nummer, 0);
        v24->schreibe("A");
        v24->schliesse();
        v24->schreibe("B");
        QCOMPARE(v24->oeffne().nummer, 0);
        v24->schreibe("C");
        QCOMPARE(anlage.ptys[2]->lies(2, 5000), QByteArray("AC"));
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
        Anlage anlage({2});
        auto v24 = anlage.port(2);
        QSignalSpy verloren(v24.get(), &SerielleSchnittstelle::verloren);
        QCOMPARE(v24->oeffne().nummer, 0);
        v24->schreibe("\x60");
        QCOMPARE(anlage.ptys[2]->lies(1, 5000), QByteArray("\x60"));
        anlage.ptys[2]->schliesseMaster();
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

    void freiePorts_data()
    {
        QTest::addColumn<QList<int>>("verknuepft");
        QTest::addColumn<int>("gemerkt");
        QTest::addColumn<bool>("vorherOffen");
        QTest::addColumn<int>("fremdBelegt");
        QTest::addColumn<QStringList>("frei");
        QTest::addColumn<bool>("nachherOffen");
        QTest::newRow("COM1 und COM3") << QList<int>{1, 3} << 1 << false << 0 << QStringList{"1", "3"} << true;
        QTest::newRow("COM3 offen") << QList<int>{1, 3} << 3 << true << 0 << QStringList{"1", "3"} << true;
        QTest::newRow("COM2 fremd belegt") << QList<int>{1, 2, 3} << 3 << false << 2 << QStringList{"1", "3"} << true;
        QTest::newRow("gemerkte ohne Gerät") << QList<int>{1, 3} << 5 << false << 0 << QStringList{"1", "3"} << false;
        QTest::newRow("bis 16") << QList<int>{16, 17} << 17 << true << 0 << QStringList{"16"} << true;
    }
    void freiePorts()
    {
        QFETCH(QList<int>, verknuepft);
        QFETCH(int, gemerkt);
        QFETCH(bool, vorherOffen);
        QFETCH(int, fremdBelegt);
        QFETCH(QStringList, frei);
        QFETCH(bool, nachherOffen);
        Anlage anlage(verknuepft);
        auto fremd = anlage.port(fremdBelegt);
        if (fremdBelegt)
            QCOMPARE(fremd->oeffne().nummer, 0);
        auto v24 = anlage.port(gemerkt);
        if (vorherOffen)
            QCOMPARE(v24->oeffne().nummer, 0);
        QCOMPARE(v24->freiePorts(), frei);
        QCOMPARE(v24->portNummer(), gemerkt);
        QCOMPARE(v24->istOffen(), nachherOffen);
        if (nachherOffen) { // and it is the remembered device that is open
            v24->schreibe("\x60");
            QCOMPARE(anlage.ptys[gemerkt]->lies(1, 5000), QByteArray("\x60"));
        }
    }

    void parameterAnwenden_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("fehler");
        QTest::addColumn<bool>("offen");
        QTest::addColumn<QString>("text");
        const QString kopf = QStringLiteral("Die serielle Schnittstelle %1 wurde mit folgenden Parametern initialisiert:        \n\n%2");
        QTest::newRow("9600 n 8 1") << "3" << "9600" << 0 << true << kopf.arg(3).arg("9600,N,8,1");
        QTest::newRow("2.5 wird 2") << "2.5" << "19200" << 0 << true << kopf.arg(2).arg("19200,N,8,1");
        QTest::newRow("führende Blanks") << "  3" << "2400" << 0 << true << kopf.arg(3).arg("2400,N,8,1");
        QTest::newRow("COM3 wird 0") << "COM3" << "9600" << 8002 << false << "";
        QTest::newRow("leer") << "" << "9600" << 8002 << false << "";
        QTest::newRow("ohne Gerät") << "7" << "9600" << 8002 << false << "";
        QTest::newRow("Baudrate abc") << "3" << "abc" << 380 << true << "";
    }
    void parameterAnwenden()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(int, fehler);
        QFETCH(bool, offen);
        QFETCH(QString, text);
        Anlage anlage({2, 3});
        auto v24 = anlage.port(3);
        QCOMPARE(v24->oeffne().nummer, 0);
        QCOMPARE(v24->setzeEinstellungen(QStringLiteral("4800,N,8,2")).nummer, 0);
        const Anwendung a = wendeParameterAn(*v24, port, baud, QStringLiteral("n"),
                                             QStringLiteral("8"), QStringLiteral("1"));
        QCOMPARE(a.fehler.nummer, fehler);
        QCOMPARE(v24->istOffen(), offen);
        QCOMPARE(a.meldungText, text);
        if (fehler == 0)
            QCOMPARE(a.meldungTitel, QStringLiteral(" Schnittstellenparameter setzen...            "));
        else if (offen) // a refused setting leaves the previous ones in force
            QCOMPARE(v24->einstellungen(), QStringLiteral("4800,N,8,2"));
        QCOMPARE(schnittstelleUnbrauchbar(a.fehler), fehler == 8002);
    }

    void fehlermeldung_data()
    {
        QTest::addColumn<int>("nummer");
        QTest::addColumn<QString>("beschreibung");
        QTest::addColumn<QString>("text"); // empty: no message
        QTest::newRow("8002") << 8002 << "egal" << "Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    ";
        QTest::newRow("8005") << 8005 << "egal" << "Fehler 8005:  Der Anschluß wird bereits von einer anderen Anwendung benutzt !     ";
        QTest::newRow("Berechtigung") << 70 << "Keine Berechtigung für /dev/ttyS0" << "Fehler 70:  <Keine Berechtigung für /dev/ttyS0> aufgetreten      ";
        QTest::newRow("Parameter") << 380 << "Ungültige Baudrate „abc“" << "Fehler 380:  <Ungültige Baudrate „abc“> aufgetreten      ";
        QTest::newRow("leere Beschreibung") << 8010 << "" << "Fehler 8010:  <> aufgetreten      ";
        QTest::newRow("429") << 429 << "x" << "";
        QTest::newRow("32755") << 32755 << "x" << "";
        QTest::newRow("kein Fehler") << 0 << "" << "";
    }
    void fehlermeldung()
    {
        QFETCH(int, nummer);
        QFETCH(QString, beschreibung);
        QFETCH(QString, text);
        const std::optional<Meldung> m = trabolin::fehlermeldung({nummer, beschreibung});
        QCOMPARE(m.has_value(), !text.isEmpty());
        if (m) {
            QCOMPARE(m->titel, QStringLiteral(" zentrale Fehlerbehandlung..."));
            QCOMPARE(m->text, text);
        }
    }

    void geraet_data()
    {
        QTest::addColumn<int>("nummer");
        QTest::addColumn<QString>("pfad");
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM4") << 4 << "/dev/ttyS3";
        QTest::newRow("COM5") << 5 << "/dev/ttyUSB0";
        QTest::newRow("COM12") << 12 << "/dev/ttyUSB7";
        QTest::newRow("COM13") << 13 << "/dev/ttyACM0";
        QTest::newRow("COM16") << 16 << "/dev/ttyACM3";
        QTest::newRow("COM17") << 17 << "/dev/ttyS16";
        QTest::newRow("COM0") << 0 << "";
        QTest::newRow("Verknüpfung geht vor") << 6 << "pty";
    }
    void geraet()
    {
        QFETCH(int, nummer);
        QFETCH(QString, pfad);
        Anlage anlage({6});
        SerielleSchnittstelle v24(anlage.verzeichnis.path());
        if (pfad == u"pty")
            pfad = anlage.ptys[6]->slavePfad();
        QCOMPARE(v24.geraet(nummer), pfad);
        if (!pfad.isEmpty())
            QVERIFY2(v24.geraeteHinweis(nummer).contains(pfad), qPrintable(v24.geraeteHinweis(nummer)));
    }
};

QTEST_GUILESS_MAIN(TstV24)
#include "tst_v24.moc"

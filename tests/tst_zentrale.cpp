// The station choice and the serial port controls of the main window: what the user
// sees after a click (enabled states, captions, messages) and what reaches the wire.
#include "helfer/Pty.h"
#include "window/frmTrabolin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>
#include <termios.h>

using namespace trabolin;
using trabolin::test::Pty;

namespace {

const QString text8002 =
    QStringLiteral("Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    ");
const QList<bool> alleAn{true, true, true, true, true};
const QList<bool> alleAus{false, false, false, false, false};

// A shown main window with the 6021 chosen, whose program directory holds "COM<N>" links
// to pseudo-terminals; its message boxes are collected instead of shown.
struct Anlage {
    struct Box { QMessageBox::Icon symbol; QString titel, text; };
    QTemporaryDir verzeichnis;
    std::map<int, std::unique_ptr<Pty>> ptys;
    frmTrabolin fenster{nullptr, verzeichnis.path()};
    QList<Box> meldungen;

    explicit Anlage(const QList<int> &nummern = {})
    {
        fenster.V24->setzeStandardzuordnung(false);
        fenster.melde = [this](QMessageBox::Icon s, const QString &titel, const QString &text) {
            meldungen.append({s, titel, text});
        };
        fenster.piepen = [] {};
        for (int n : nummern) {
            auto &pty = ptys[n] = std::make_unique<Pty>();
            if (!pty->ok() || !pty->verknuepfe(verzeichnis.path(), n))
                qFatal("pseudo-terminal for COM%d: %s", n, qPrintable(pty->fehler()));
        }
        fenster.show();
        if (!QTest::qWaitForWindowExposed(&fenster))
            qFatal("window not exposed");
        waehle(0); // the 6021: power on/off are the single bytes 0x60/0x61
    }
    void klick(QAbstractButton *k) { QTest::mouseClick(k, Qt::LeftButton); }
    void waehle(int option) { klick(fenster.optZentrale[option]); }
    void setze(const QString &port, const QString &baud = QStringLiteral("9600"),
               const QString &paritaet = QStringLiteral("N"), const QString &stop = QStringLiteral("1"))
    {
        fenster.lstV24->setEditText(port);
        fenster.lstBaudrate->setEditText(baud);
        fenster.lstParity->setEditText(paritaet);
        fenster.lstDatenbits->setEditText(QStringLiteral("8"));
        fenster.lstStopbits->setEditText(stop);
        meldungen.clear();
        klick(fenster.btnParameterSetzen);
    }
    QList<bool> knoepfe() const
    {
        QList<bool> an;
        for (QPushButton *k : {fenster.btnStart, fenster.btnSendStop, fenster.btnSendZeile,
                               fenster.btnPower[0], fenster.btnPower[1]})
            an << k->isEnabled();
        return an;
    }
};

} // namespace

class TstZentrale : public QObject {
    Q_OBJECT

private slots:
    // Each station is chosen once from each of the other two, with the port working,
    // speed steps "28" and the USB box (ticked and unticked by the user) left ticked on Lenz.
    void zentralenwechsel_data()
    {
        QTest::addColumn<int>("wahl");
        QTest::addColumn<bool>("fahrstufen");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<bool>("ecos");
        QTest::addColumn<QString>("titel");
        QTest::addColumn<QString>("bereich");
        QTest::addColumn<QString>("code");
        QTest::newRow("6021") << 0 << false << false << false << "Adresse:" << "1..." << "DCC";
        QTest::newRow("Lenz") << 1 << true << true << false << "Adresse:" << "1..." << "Lenz";
        QTest::newRow("Ecos") << 2 << false << false << true << "ID:" << "1000..." << "Ecos";
    }
    void zentralenwechsel()
    {
        QFETCH(int, wahl);
        Anlage a({2});
        auto &f = a.fenster;
        a.setze(QStringLiteral("2"));
        f.lstFS->setCurrentText(QStringLiteral("28"));
        f.txtAdresse->setText(QStringLiteral("1234"));
        for (int vorher : {(wahl + 1) % 3, (wahl + 2) % 3}) {
            a.waehle(vorher);
            if (vorher == 1)
                for (bool an : {true, false, true}) { // the user ticks, unticks and ticks it
                    a.klick(f.chkUSB);
                    QCOMPARE(f.imgUSB->isVisibleTo(&f) && f.USBInterface, an);
                }
            a.waehle(wahl);
            QTEST(f.lblFS->isEnabled(), "fahrstufen");
            QTEST(f.lstFS->isEnabled(), "fahrstufen");
            QTEST(f.chkUSB->isEnabled(), "usb");
            QTEST(f.btnEcos->isEnabled(), "ecos");
            QTEST(f.lblAdresse[0]->text(), "titel");
            QTEST(f.lblAdresse[1]->text(), "bereich");
            QTEST(f.Zentrale, "code");
            QVERIFY(!f.chkUSB->isChecked() && f.imgUSB->isHidden() && !f.USBInterface);
            QCOMPARE(f.lstFS->currentText(), QStringLiteral("28"));
            QCOMPARE(f.txtAdresse->text(), QStringLiteral("1234"));
            QCOMPARE(a.knoepfe(), alleAn);
            QVERIFY(f.V24->istOffen());
        }
    }

    // After a working port on COM2 (9600,N,8,1, speed steps then set to "28") the user
    // applies other settings. An error that leaves the port usable keeps the buttons,
    // the speed steps and the line on the wire.
    void parameterSetzen_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("paritaet");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QMessageBox::Icon>("symbol");
        QTest::addColumn<QString>("titel");
        QTest::addColumn<QString>("muster"); // the whole message text
        QTest::addColumn<QString>("fahrstufen");
        QTest::addColumn<int>("geschwindigkeit"); // of the line afterwards; 0: port closed
        const auto info = QMessageBox::Information, kritisch = QMessageBox::Critical;
        const QString t1 = QStringLiteral(" Schnittstellenparameter setzen...            ");
        const QString t2 = QStringLiteral(" zentrale Fehlerbehandlung...");
        const auto ok = [](const char *leitung) {
            return QRegularExpression::escape(QStringLiteral("Die serielle Schnittstelle 2 wurde mit "
                "folgenden Parametern initialisiert:        \n\n") + QLatin1String(leitung));
        };
        const QString fehlt = QRegularExpression::escape(text8002);
        const QString belegt = QRegularExpression::escape(QStringLiteral(
            "Fehler 8005:  Der Anschluß wird bereits von einer anderen Anwendung benutzt !     "));
        const QString ungueltig = QStringLiteral("Fehler 380:  <.+> aufgetreten      ");
        QTest::newRow("19200 n 8 1") << "2" << "19200" << "n" << "1" << info << t1 << ok("19200,N,8,1") << "14" << int(B19200);
        QTest::newRow("2.5 und Blanks, 2 Stoppbits") << "  2.5" << " 4800 " << " N " << "2" << info << t1 << ok("4800,N,8,2") << "14" << int(B4800);
        QTest::newRow("COM4 als Text, nicht verknüpft") << "COM4" << "9600" << "N" << "1" << kritisch << t2 << fehlt << "14" << 0;
        QTest::newRow("fremd belegt") << "5" << "9600" << "N" << "1" << kritisch << t2 << belegt << "14" << 0;
        QTest::newRow("Baudrate abc") << "2" << "abc" << "N" << "1" << kritisch << t2 << ungueltig << "28" << int(B9600);
        QTest::newRow("Parität E vom Treiber abgelehnt") << "2" << "19200" << "E" << "1" << kritisch << t2 << ungueltig << "28" << int(B9600);
    }
    void parameterSetzen()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(QString, paritaet);
        QFETCH(QString, stop);
        QFETCH(QString, muster);
        QFETCH(int, geschwindigkeit);
        Anlage a({2, 5});
        auto &f = a.fenster;
        QSerialPort fremd(a.ptys[5]->slavePfad()); // another program holds COM5
        QVERIFY(fremd.open(QIODevice::ReadWrite));
        a.setze(QStringLiteral("2"));
        f.lstFS->setCurrentText(QStringLiteral("28"));

        a.setze(port, baud, paritaet, stop);
        QCOMPARE(a.meldungen.size(), 1);
        QTEST(a.meldungen[0].symbol, "symbol");
        QTEST(a.meldungen[0].titel, "titel");
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(muster))
                     .match(a.meldungen[0].text).hasMatch(),
                 qPrintable(a.meldungen[0].text));
        QTEST(f.lstFS->currentText(), "fahrstufen");
        QCOMPARE(a.knoepfe(), geschwindigkeit ? alleAn : alleAus);
        QCOMPARE(f.V24->istOffen(), geschwindigkeit != 0);
        if (geschwindigkeit) {
            termios t{};
            QVERIFY(a.ptys[2]->slaveEinstellungen(t));
            QCOMPARE(int(cfgetospeed(&t)), geschwindigkeit);
            QCOMPARE(bool(t.c_cflag & CSTOPB), stop == u"2");
            QVERIFY(t.c_cflag & CRTSCTS); // RTS/CTS handshake towards the interface
            a.klick(f.btnPower[1]);
            QCOMPARE(a.ptys[2]->lies(1, 5000), QByteArray("\x60"));
        }
    }

    // COM3 is in use, COM2 is held by another program, COM17 lies beyond the scanned range.
    void suche()
    {
        Anlage a({1, 2, 3, 17});
        auto &f = a.fenster;
        QSerialPort fremd(a.ptys[2]->slavePfad());
        QVERIFY(fremd.open(QIODevice::ReadWrite));
        a.setze(QStringLiteral("3"));

        a.klick(f.btnV24);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QStringList eintraege;
        for (int i = 0; i < f.lstV24->count(); ++i)
            eintraege << f.lstV24->itemText(i);
        QCOMPARE(eintraege, (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
        QCOMPARE(f.lstV24->currentText(), QString());
        a.klick(f.btnPower[0]); // COM3 is open again
        QCOMPARE(a.ptys[3]->lies(1, 5000), QByteArray("\x61"));

        a.meldungen.clear();
        a.klick(f.btnParameterSetzen);
        QCOMPARE(a.meldungen.size(), 1);
        QCOMPARE(a.meldungen[0].text, text8002);
        QCOMPARE(a.knoepfe(), alleAus);
    }

    // The port choice names the device behind the typed number: a "COM6" link in the
    // program directory goes before the fixed mapping (COM6 is /dev/ttyUSB1 there).
    void geraetImTooltip_data()
    {
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<QString>("hinweis"); // "pty": the pseudo-terminal linked as COM6
        QTest::newRow("verknuepft") << "6" << "pty";
        QTest::newRow("feste Zuordnung") << "5" << "= /dev/ttyUSB0";
        QTest::newRow("ungueltig") << "0" << "Keine gültige Schnittstellennummer";
    }
    void geraetImTooltip()
    {
        QFETCH(QString, eingabe);
        QFETCH(QString, hinweis);
        Anlage a({6});
        a.fenster.V24->setzeStandardzuordnung(true);
        a.fenster.lstV24->lineEdit()->clear();
        QTest::keyClicks(a.fenster.lstV24->lineEdit(), eingabe);
        const QString tipp = a.fenster.lstV24->toolTip();
        QVERIFY2(tipp.contains(hinweis == u"pty" ? QStringLiteral("= ") + a.ptys[6]->slavePfad() : hinweis), qPrintable(tipp));
    }
};

QTEST_MAIN(TstZentrale)
#include "tst_zentrale.moc"
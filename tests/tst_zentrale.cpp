// The station choice and the serial port controls of the main window: what the user
// sees after a click (enabled states, captions, messages) and what reaches the wire.
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"

#include <map>
#include <termios.h>

using namespace trabolin;
using trabolin::test::Pty;

namespace {

// The window with the 6021 chosen, whose program directory holds "COM<N>" links to
// pseudo-terminals.
struct Anlage : test::Fensteranlage {
    std::map<int, std::unique_ptr<Pty>> ptys;

    explicit Anlage(const QList<int> &nummern = {})
    {
        for (int n : nummern) {
            auto &pty = ptys[n] = std::make_unique<Pty>();
            if (!pty->ok() || !pty->verknuepfe(verzeichnis.path(), n))
                qFatal("pseudo-terminal for COM%d: %s", n, qPrintable(pty->fehler()));
        }
        starte();
        waehle(0); // the 6021: power on/off are the single bytes 0x60/0x61
    }
    void klick(QAbstractButton *k) { QTest::mouseClick(k, Qt::LeftButton); }
    void waehle(int option) { klick(f->optZentrale[option]); }
    void setze(const QString &port, const QString &baud = QStringLiteral("9600"),
               const QString &paritaet = QStringLiteral("N"), const QString &stop = QStringLiteral("1"))
    {
        f->lstV24->setEditText(port);
        f->lstBaudrate->setEditText(baud);
        f->lstParity->setEditText(paritaet);
        f->lstDatenbits->setEditText(QStringLiteral("8"));
        f->lstStopbits->setEditText(stop);
        meldungen.clear();
        symbole.clear();
        klick(f->btnParameterSetzen);
    }
};

} // namespace

class TstZentrale : public QObject {
    Q_OBJECT

private slots:
    // Each station is chosen once from each of the other two, with the port working,
    // speed steps "28" and the USB box ticked by the user on Lenz.
    void zentralenwechsel_data()
    {
        QTest::addColumn<int>("wahl");
        // enabled: lblFS|lstFS|chkUSB|btnEcos, then the address captions and the station code
        QTest::addColumn<QString>("zustand");
        QTest::newRow("6021") << 0 << "0|0|0|0|Adresse:|1...|DCC";
        QTest::newRow("Lenz") << 1 << "1|1|1|0|Adresse:|1...|Lenz";
        QTest::newRow("Ecos") << 2 << "0|0|0|1|ID:|1000...|Ecos";
    }
    void zentralenwechsel()
    {
        QFETCH(int, wahl);
        Anlage a({2});
        auto &f = *a.f;
        a.setze(QStringLiteral("2"));
        f.lstFS->setCurrentText(QStringLiteral("28"));
        f.txtAdresse->setText(QStringLiteral("1234"));
        for (int vorher : {(wahl + 1) % 3, (wahl + 2) % 3}) {
            a.waehle(vorher);
            if (vorher == 1) {
                a.klick(f.chkUSB);
                QVERIFY(f.imgUSB->isVisibleTo(&f) && f.USBInterface);
            }
            a.waehle(wahl);
            QStringList zustand;
            for (QWidget *w : std::initializer_list<QWidget *>{f.lblFS, f.lstFS, f.chkUSB, f.btnEcos})
                zustand << QString::number(w->isEnabled());
            zustand << f.lblAdresse[0]->text() << f.lblAdresse[1]->text() << f.Zentrale;
            QTEST(zustand.join(u'|'), "zustand");
            QVERIFY(!f.chkUSB->isChecked() && f.imgUSB->isHidden() && !f.USBInterface);
            QCOMPARE(f.lstFS->currentText(), QStringLiteral("28"));
            QCOMPARE(f.txtAdresse->text(), QStringLiteral("1234"));
            QCOMPARE(a.knoepfe(true), "an");
            QVERIFY(f.V24->istOffen());
        }
    }

    // After a working port on COM2 (9600,N,8,1, speed steps then set to "28") the user
    // applies other settings. An error that leaves the port usable keeps the buttons,
    // the speed steps and the line on the wire.
    void parameterSetzen_data()
    {
        QTest::addColumn<QString>("eingabe"); // port|baud|parity|stop bits
        QTest::addColumn<bool>("fehler");     // critical central error, else the information
        QTest::addColumn<QString>("muster");  // the whole message text
        QTest::addColumn<QString>("fahrstufen");
        QTest::addColumn<int>("geschwindigkeit"); // of the line afterwards; 0: port closed
        const auto ok = [](const char *leitung) {
            return QRegularExpression::escape(QStringLiteral("Die serielle Schnittstelle 2 wurde mit "
                "folgenden Parametern initialisiert:        \n\n") + QLatin1String(leitung));
        };
        const QString belegt = QRegularExpression::escape(QStringLiteral(
            "Fehler 8005:  Der Anschluß wird bereits von einer anderen Anwendung benutzt !     "));
        const QString ungueltig = QStringLiteral("Fehler 380:  <.+> aufgetreten      ");
        QTest::newRow("19200 n 8 1") << "2|19200|n|1" << false << ok("19200,N,8,1") << "14" << int(B19200);
        QTest::newRow("2.5 und Blanks, 2 Stoppbits")
            << "  2.5| 4800 | N |2" << false << ok("4800,N,8,2") << "14" << int(B4800);
        QTest::newRow("fremd belegt") << "5|9600|N|1" << true << belegt << "14" << 0;
        QTest::newRow("Baudrate abc") << "2|abc|N|1" << true << ungueltig << "28" << int(B9600);
        QTest::newRow("Parität E vom Treiber abgelehnt") << "2|19200|E|1" << true << ungueltig << "28" << int(B9600);
    }
    void parameterSetzen()
    {
        QFETCH(QString, eingabe);
        QFETCH(bool, fehler);
        QFETCH(QString, muster);
        QFETCH(int, geschwindigkeit);
        const QStringList e = eingabe.split(u'|');
        Anlage a({2, 5});
        auto &f = *a.f;
        QSerialPort fremd(a.ptys[5]->slavePfad()); // another program holds COM5
        QVERIFY(fremd.open(QIODevice::ReadWrite));
        a.setze(QStringLiteral("2"));
        f.lstFS->setCurrentText(QStringLiteral("28"));

        a.setze(e[0], e[1], e[2], e[3]);
        QCOMPARE(a.symbole, QList{fehler ? QMessageBox::Critical : QMessageBox::Information});
        const char *titel = fehler ? " zentrale Fehlerbehandlung..." : " Schnittstellenparameter setzen...            ";
        const QRegularExpression meldung(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(QString::fromUtf8(titel) + u'|') + muster));
        QVERIFY2(meldung.match(a.meldungen[0]).hasMatch(), qPrintable(a.meldungen[0]));
        QTEST(f.lstFS->currentText(), "fahrstufen");
        QCOMPARE(a.knoepfe(true), geschwindigkeit ? "an" : "aus");
        QCOMPARE(f.V24->istOffen(), geschwindigkeit != 0);
        if (geschwindigkeit) {
            termios t{};
            QVERIFY(a.ptys[2]->slaveEinstellungen(t));
            QCOMPARE(int(cfgetospeed(&t)), geschwindigkeit);
            QCOMPARE(bool(t.c_cflag & CSTOPB), e[3] == u"2");
            QVERIFY(t.c_cflag & CRTSCTS); // RTS/CTS handshake towards the interface
        }
    }

    // COM3 is in use, COM2 is held by another program, COM16 is the last scanned, COM17 is not.
    // Applying the empty text then closes the port and disables the buttons.
    void suche()
    {
        Anlage a({1, 2, 3, 16, 17});
        auto &f = *a.f;
        QSerialPort fremd(a.ptys[2]->slavePfad());
        QVERIFY(fremd.open(QIODevice::ReadWrite));
        a.setze(QStringLiteral("3"));

        a.klick(f.btnV24);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QStringList eintraege;
        for (int i = 0; i < f.lstV24->count(); ++i)
            eintraege << f.lstV24->itemText(i);
        QCOMPARE(eintraege, (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("16")}));
        QCOMPARE(f.lstV24->currentText(), QString());
        a.klick(f.btnPower[0]); // COM3 is open again
        QCOMPARE(a.ptys[3]->lies(1, 5000), QByteArray("\x61"));

        a.meldungen.clear();
        a.klick(f.btnParameterSetzen);
        QCOMPARE(a.meldungen.size(), 1);
        QCOMPARE(a.meldungen[0].section(u'|', 1),
                 "Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    ");
        QCOMPARE(a.knoepfe(true), "aus");
        QVERIFY(!f.V24->istOffen());
    }

    // The port choice names the device behind the typed number: a "COM6" link in the program
    // directory goes before the fixed mapping (COM6: /dev/ttyUSB1), checked beside its limits.
    void geraetImTooltip()
    {
        Anlage a({6});
        a.f->V24->setzeStandardzuordnung(true);
        QLineEdit *feld = a.f->lstV24->lineEdit();
        QList<std::pair<QString, QString>> faelle{{"6", "= " + a.ptys[6]->slavePfad()},
                                                  {"0", "Keine gültige Schnittstellennummer"}};
        for (const char *n : {"4 ttyS3", "5 ttyUSB0", "12 ttyUSB7", "13 ttyACM0", "16 ttyACM3", "17 ttyS16"})
            faelle.append({QString(n).section(u' ', 0, 0), "= /dev/" + QString(n).section(u' ', 1)});
        for (const auto &[eingabe, hinweis] : faelle) {
            feld->clear();
            QTest::keyClicks(feld, eingabe);
            const QString tipp = a.f->lstV24->toolTip();
            QVERIFY2(tipp.contains(hinweis), qPrintable(eingabe + u' ' + tipp));
        }
    }
};

QTEST_MAIN(TstZentrale)
#include "tst_zentrale.moc"
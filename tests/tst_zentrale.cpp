// The station choice and the serial port controls of the main window: what the user
// sees after a click (enabled states, captions, messages) and what reaches the wire;
// and, in virtual time, what they do while a run goes on.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "program/Netzverbindung.h"
#include "stations/Zentralenregister.h"

#include <map>
#include <termios.h>

using namespace trabolin;
using trabolin::test::feld;
using trabolin::test::Pty;

namespace {

// The window with the 6021 chosen, whose program directory holds "COM<N>" links to
// pseudo-terminals.
struct Anlage : test::Fensteranlage {
    std::map<int, std::unique_ptr<Pty>> ptys;

    // `zeit`: the window's runs go in that virtual time.
    explicit Anlage(const QList<int> &nummern = {}, test::VirtuelleZeit *zeit = nullptr)
    {
        for (int n : nummern) {
            auto &pty = ptys[n] = std::make_unique<Pty>();
            if (!pty->ok() || !pty->verknuepfe(verzeichnis.path(), n))
                qFatal("pseudo-terminal for COM%d: %s", n, qPrintable(pty->fehler()));
        }
        if (zeit)
            frmTrabolin::zeitbasis() = [zeit] { return std::make_unique<test::GelieheneZeit>(*zeit); };
        starte();
        frmTrabolin::zeitbasis() = nullptr;
        waehle(0); // the 6021: power on/off are the single bytes 0x60/0x61
    }
    void klick(QAbstractButton *k) { QTest::mouseClick(k, Qt::LeftButton); }
    // Chooses `station` ("6021", "lenz", "dccex") on COM2, with the port open and the
    // run buttons on; a DCC-EX station answers its "<s>" as a booted one does.
    bool bereite(const QString &station)
    {
        const bool dccex = station == u"dccex";
        waehle(zentralenoption(station == u"6021" ? QStringLiteral("DCC") : dccex ? QStringLiteral("DCC-EX") : QStringLiteral("Lenz")));
        setze(QStringLiteral("2"), dccex ? QStringLiteral("115200") : QStringLiteral("9600"));
        Pty &pty = *ptys[2];
        if (dccex) {
            if (!QTest::qWaitFor([&] { return pty.liesVorhandenes().contains("<s>"); }))
                return false;
            pty.schreibe("<iDCC-EX V-5.0.0 / MEGA / STANDARD_MOTOR_SHIELD G-c389fe9>\n");
        }
        if (!QTest::qWaitFor([this] { return knoepfe(true) == u"an"; }))
            return false;
        feld<QLineEdit>(*f, "txtAdresse")->setText(QStringLiteral("24"));
        test::fuelleZeile(f->tabelle(), 1, QStringLiteral("10,S,40,X"));
        test::fuelleZeile(f->tabelle(), 2, QStringLiteral("10,S,20"));
        pty.liesVorhandenes();
        return true;
    }
    void waehle(int option) { klick(feld<QRadioButton>(*f, "optZentrale", option)); }
    void setze(const QString &port, const QString &baud = QStringLiteral("9600"),
               const QString &paritaet = QStringLiteral("N"), const QString &stop = QStringLiteral("1"))
    {
        feld<QComboBox>(*f, "lstV24")->setEditText(port);
        feld<QComboBox>(*f, "lstBaudrate")->setEditText(baud);
        feld<QComboBox>(*f, "lstParity")->setEditText(paritaet);
        feld<QComboBox>(*f, "lstDatenbits")->setEditText(QStringLiteral("8"));
        feld<QComboBox>(*f, "lstStopbits")->setEditText(stop);
        meldungen.clear();
        symbole.clear();
        klick(feld<QPushButton>(*f, "btnParameterSetzen"));
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
        feld<QComboBox>(f, "lstFS")->setCurrentText(QStringLiteral("28"));
        feld<QLineEdit>(f, "txtAdresse")->setText(QStringLiteral("1234"));
        for (int vorher : {(wahl + 1) % 3, (wahl + 2) % 3}) {
            a.waehle(vorher);
            if (vorher == 1) {
                a.klick(feld<QCheckBox>(f, "chkUSB"));
                QVERIFY(feld<QLabel>(f, "imgUSB")->isVisibleTo(&f) && a.gespeichert().usb);
            }
            a.waehle(wahl);
            QStringList zustand;
            for (QWidget *w : test::felder<QWidget>(f, {"lblFS", "lstFS", "chkUSB", "btnEcos"}))
                zustand << QString::number(w->isEnabled());
            zustand << feld<QLabel>(f, "lblAdresse_0")->text() << feld<QLabel>(f, "lblAdresse_1")->text()
                    << a.gespeichert().zentrale;
            QTEST(zustand.join(u'|'), "zustand");
            QVERIFY(!feld<QCheckBox>(f, "chkUSB")->isChecked() && feld<QLabel>(f, "imgUSB")->isHidden()
                    && !a.gespeichert().usb);
            QCOMPARE(feld<QComboBox>(f, "lstFS")->currentText(), QStringLiteral("28"));
            QCOMPARE(feld<QLineEdit>(f, "txtAdresse")->text(), QStringLiteral("1234"));
            QCOMPARE(a.knoepfe(true), "an");
            QVERIFY(feld<SerielleSchnittstelle>(f, "V24")->istOffen());
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
        QFETCH(QString, eingabe); QFETCH(bool, fehler); QFETCH(QString, muster); QFETCH(int, geschwindigkeit);
        const QStringList e = eingabe.split(u'|');
        Anlage a({2, 5});
        auto &f = *a.f;
        QSerialPort fremd(a.ptys[5]->slavePfad()); // another program holds COM5
        QVERIFY(fremd.open(QIODevice::ReadWrite));
        a.setze(QStringLiteral("2"));
        feld<QComboBox>(f, "lstFS")->setCurrentText(QStringLiteral("28"));

        a.setze(e[0], e[1], e[2], e[3]);
        QCOMPARE(a.symbole, QList{fehler ? QMessageBox::Critical : QMessageBox::Information});
        const char *titel = fehler ? " zentrale Fehlerbehandlung..." : " Schnittstellenparameter setzen...            ";
        const QRegularExpression meldung(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(QString::fromUtf8(titel) + u'|') + muster));
        QVERIFY2(meldung.match(a.meldungen[0]).hasMatch(), qPrintable(a.meldungen[0]));
        QTEST(feld<QComboBox>(f, "lstFS")->currentText(), "fahrstufen");
        QCOMPARE(a.knoepfe(true), geschwindigkeit ? "an" : "aus");
        QCOMPARE(feld<SerielleSchnittstelle>(f, "V24")->istOffen(), geschwindigkeit != 0);
        if (geschwindigkeit) {
            termios t{};
            QVERIFY(a.ptys[2]->slaveEinstellungen(t));
            QCOMPARE(int(cfgetospeed(&t)), geschwindigkeit);
            QCOMPARE(bool(t.c_cflag & CSTOPB), e[3] == u"2");
            QVERIFY(t.c_cflag & CRTSCTS); // RTS/CTS handshake towards the interface
        }
    }

    // While a run goes on, in virtual time, the user uses a control of the way to the
    // station at 5 s (after choosing another station at 4 s where `wechsel` says so);
    // the run ends at 20 s by itself, by "St&op" at 12 s or by "Power of&f" at 12 s;
    // "zeile": a single line ("aktuelle Zeile", 10 s) instead of the run.
    // The control is disabled meanwhile and says why; the wire carries exactly what a
    // run without it carries; afterwards the control is back with its own tool tip.
    void fahrtsperre_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("steuer"); // object name
        QTest::addColumn<int>("wechsel");    // station option chosen at 4 s, -1: none
        QTest::addColumn<QString>("ende");
        const int ecos = zentralenoption(QStringLiteral("Ecos"));
        QTest::newRow("dccex &COM") << "dccex" << "btnV24" << -1 << "regulaer";
        QTest::newRow("dccex Parameter setzen") << "dccex" << "btnParameterSetzen" << -1 << "stopp";
        QTest::newRow("dccex über Netzwerk") << "dccex" << "einstellung_4_über Netzwerk" << -1 << "power";
        QTest::newRow("dccex Schnittstelle") << "dccex" << "lstV24" << -1 << "regulaer";
        QTest::newRow("lenz USB-Interface") << "lenz" << "chkUSB" << -1 << "regulaer";
        QTest::newRow("lenz Parameter setzen") << "lenz" << "btnParameterSetzen" << -1 << "power";
        QTest::newRow("lenz Fahrstufen") << "lenz" << "lstFS" << -1 << "stopp";
        QTest::newRow("6021 &COM") << "6021" << "btnV24" << -1 << "stopp";
        QTest::newRow("6021 Baudrate") << "6021" << "lstBaudrate" << -1 << "regulaer";
        QTest::newRow("6021 Parity") << "6021" << "lstParity" << -1 << "stopp";
        QTest::newRow("6021 Datenbits") << "6021" << "lstDatenbits" << -1 << "power";
        QTest::newRow("6021 Stopbits") << "6021" << "lstStopbits" << -1 << "regulaer";
        QTest::newRow("6021, dann ecos: verbinden") << "6021" << "btnEcos" << ecos << "regulaer";
        QTest::newRow("6021, dann ecos: Default") << "6021" << "btn15471" << ecos << "stopp";
        QTest::newRow("6021, dann dccex: über Netzwerk")
            << "6021" << "einstellung_4_über Netzwerk" << zentralenoption(QStringLiteral("DCC-EX")) << "regulaer";
        QTest::newRow("6021, dann cs2: Protokoll")
            << "6021" << "einstellung_5_Protokoll" << zentralenoption(QStringLiteral("CS2")) << "stopp";
        QTest::newRow("6021, dann cs2: über UDP")
            << "6021" << "einstellung_5_über UDP" << zentralenoption(QStringLiteral("CS2")) << "power";
        QTest::newRow("6021, dann z21: verbinden") << "6021" << "btnEcos" << zentralenoption(QStringLiteral("Z21")) << "power";
        QTest::newRow("dccex einzelzeile: &COM") << "dccex" << "btnV24" << -1 << "zeile";
        QTest::newRow("lenz einzelzeile: USB-Interface") << "lenz" << "chkUSB" << -1 << "zeile";
    }
    void fahrtsperre()
    {
        QFETCH(QString, station); QFETCH(QString, steuer); QFETCH(int, wechsel); QFETCH(QString, ende);
        test::VirtuelleZeit zeit;
        Anlage a({2}, &zeit);
        frmTrabolin &f = *a.f;
        QVERIFY(a.bereite(station));
        const int option = feld<QButtonGroup>(f, "grpZentrale")->checkedId();
        QWidget *w = f.findChild<QWidget *>(steuer);
        QVERIFY(w);
        auto texte = [&] {
            return test::anzeigen(f, {"txtLocalPort", "lstV24", "lstBaudrate", "lstParity", "lstDatenbits", "lstStopbits", steuer})
                << QString::number(feld<QCheckBox>(f, "chkUSB")->isChecked());
        };
        auto *stopp = feld<QPushButton>(f, "btnSendStop");
        // One run; `benutzen`: with the control used. What went out on the wire.
        QString tippWaehrend;
        bool anWaehrend = true;
        auto fahre = [&](bool benutzen) {
            const qint64 t0 = zeit.jetzt;
            f.tabelle().setzeAktuelleZeile(1);
            if (wechsel >= 0)
                zeit.bei(t0 + 4000, [&] { a.waehle(wechsel); });
            zeit.bei(t0 + 5000, [&, benutzen] {
                anWaehrend = w->isEnabled();
                tippWaehrend = w->toolTip();
                if (!benutzen)
                    return;
                if (auto *k = qobject_cast<QAbstractButton *>(w))
                    a.klick(k);
                else if (auto *l = static_cast<QComboBox *>(w); l->lineEdit())
                    QTest::keyClicks(l->lineEdit(), QStringLiteral("7"));
                else
                    QTest::keyClick(l, Qt::Key_Down);
            });
            if (ende == u"stopp")
                zeit.bei(t0 + 12000, [&] { QTest::mousePress(stopp, Qt::LeftButton); });
            else if (ende == u"power")
                zeit.bei(t0 + 12000, [&] { a.klick(feld<QPushButton>(f, "btnPower_0")); });
            a.klick(ende == u"zeile" ? feld<QPushButton>(f, "btnSendZeile") : feld<QPushButton>(f, "btnStart"));
            if (ende == u"stopp")
                QTest::mouseRelease(stopp, Qt::LeftButton);
            const QByteArray draht = a.ptys[2]->liesVorhandenes();
            if (wechsel >= 0)
                a.waehle(option);
            return draht;
        };
        const QByteArray ohne = fahre(false);
        QVERIFY(!ohne.isEmpty());
        QVERIFY(!f.ablauf().laeuft());
        QVERIFY(wechsel >= 0 || w->isEnabled());
        const QString tipp = w->toolTip();
        const QStringList vorher = texte();
        a.meldungen.clear();

        const QByteArray mit = fahre(true);
        QCOMPARE(mit.toHex(' '), ohne.toHex(' '));
        QCOMPARE(a.meldungen, QStringList());
        QCOMPARE(texte(), vorher);
        QVERIFY(!anWaehrend);
        QCOMPARE(tippWaehrend, QStringLiteral(" während der Fahrt gesperrt "));
        QVERIFY(feld<SerielleSchnittstelle>(f, "V24")->istOffen());
        if (wechsel >= 0)
            a.waehle(wechsel);
        QVERIFY(w->isEnabled());
        QCOMPARE(w->toolTip(), tipp);
        QVERIFY(!tipp.contains(u"gesperrt"));
    }

    // "Datei laden" and "Tabelle" (a new program) during a run: the locomotive's stop
    // (6021, address 24: bytes 0x00 0x18) is on the wire before the file dialog opens or
    // the table is emptied, and nothing but that stop follows it.
    void neuesProgramm_data()
    {
        QTest::addColumn<QString>("wie");
        QTest::newRow("Datei laden") << "laden";
        QTest::newRow("Tabelle loeschen") << "tabelle";
    }
    void neuesProgramm()
    {
        QFETCH(QString, wie);
        test::VirtuelleZeit zeit;
        Anlage a({2}, &zeit);
        frmTrabolin &f = *a.f;
        QVERIFY(a.bereite(QStringLiteral("6021")));
        Pty &pty = *a.ptys[2];
        QByteArray bisZumStopp;
        f.waehleDatei = [&](bool) {
            bisZumStopp = pty.liesVorhandenes();
            return QString(); // cancelled: the run has ended all the same
        };
        zeit.bei(5000, [&] {
            if (wie == u"laden") {
                feld<QAction>(f, "mnuDatei_laden")->trigger();
            } else {
                feld<QPushButton>(f, "btnDelTabelle")->click();
                bisZumStopp = pty.liesVorhandenes();
            }
        });
        a.klick(feld<QPushButton>(f, "btnStart"));
        QVERIFY(!f.ablauf().laeuft());
        QCOMPARE(zeit.jetzt, qint64(5000));
        QVERIFY2(bisZumStopp.endsWith(QByteArray("\x00\x18", 2)), bisZumStopp.toHex(' ').constData());
        const QByteArray danach = pty.liesVorhandenes();
        QCOMPARE(danach, QByteArray("\x00\x18", 2).repeated(danach.size() / 2));
        QCOMPARE(f.tabelle().zelle(1, 1).isEmpty(), wie == u"tabelle");
    }

    // "&COM" on a DCC-EX port: the scan reopens the port, the Arduino restarts, so the
    // station is asked "<s>" again and the run and power buttons wait for its answer.
    // When the port then vanishes, a start is refused with what helps there, the port
    // and "Parameter setzen", not a connect button it does not have.
    void dccexPort()
    {
        test::VirtuelleZeit zeit;
        Anlage a({2}, &zeit);
        auto &f = *a.f;
        QVERIFY(a.bereite(QStringLiteral("dccex")));
        a.klick(feld<QPushButton>(f, "btnV24"));
        QCOMPARE(a.knoepfe(true), QStringLiteral("aus"));
        QVERIFY(QTest::qWaitFor([&] { return a.ptys[2]->liesVorhandenes().contains("<s>"); }));
        a.ptys[2]->schreibe("<iDCC-EX V-5.0.0 / MEGA / STANDARD_MOTOR_SHIELD G-c389fe9>\n");
        QTRY_COMPARE(a.knoepfe(true), QStringLiteral("an"));

        a.meldungen.clear();
        a.ptys[2]->schliesseMaster();
        QTRY_COMPARE(feld<QLabel>(f, "lblGleis")->text(), QStringLiteral("Verbindung verloren"));
        QTRY_COMPARE(a.meldungen.size(), 1); // the port's own report
        f.ablauf().btnStart_Click();
        QCOMPARE(a.meldungen.value(1), QStringLiteral(" Verbindung...|Die Verbindung zur DCC-EX ist abgebrochen !\n"
                                                      "Bitte zuerst die Schnittstelle prüfen und \"Parameter setzen\" drücken."));
    }

    // The link of a network station is lost while the 6021 is selected (in the
    // background) and the network fields show another station: the message names the
    // station whose link it was, and the run buttons stay as the 6021's port decided.
    void verlustImHintergrund_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("gezeigt"); // the network station whose fields show
        QTest::newRow("Ecos, Z21 gezeigt") << "Ecos" << "Z21";
        QTest::newRow("Z21, Ecos gezeigt") << "Z21" << "Ecos";
        QTest::newRow("DCC-EX, Z21 gezeigt") << "DCC-EX" << "Z21";
    }
    void verlustImHintergrund()
    {
        QFETCH(QString, station); QFETCH(QString, gezeigt);
        Anlage a({2});
        frmTrabolin &f = *a.f;
        const int option = zentralenoption(station);
        a.waehle(option);
        a.waehle(zentralenoption(gezeigt));
        QVERIFY(a.bereite(QStringLiteral("6021")));
        QCOMPARE(feld<QPushButton>(f, "btnEcos")->text(),
                 zentralenregister()[zentralenoption(gezeigt)]->verbindenText);
        a.meldungen.clear();
        // Each network station's link is a child of the window; the registry's order.
        QList<Netzverbindung *> links = f.findChildren<Netzverbindung *>(QString(), Qt::FindDirectChildrenOnly);
        int netzstation = 0;
        for (int i = 0; i < option; ++i)
            netzstation += zentralenregister()[i]->netz;
        QVERIFY(netzstation < links.size());
        emit links[netzstation]->verloren();
        QCOMPARE(a.meldungen, QStringList{u' ' + station + "...|Die Verbindung zur " + station + " ist abgebrochen !"});
        QCOMPARE(a.knoepfe(true), QStringLiteral("an"));
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

        a.klick(feld<QPushButton>(f, "btnV24"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QStringList eintraege;
        for (int i = 0; i < feld<QComboBox>(f, "lstV24")->count(); ++i)
            eintraege << feld<QComboBox>(f, "lstV24")->itemText(i);
        QCOMPARE(eintraege, (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("16")}));
        QCOMPARE(feld<QComboBox>(f, "lstV24")->currentText(), QString());
        a.klick(feld<QPushButton>(f, "btnPower_0")); // COM3 is open again
        QCOMPARE(a.ptys[3]->lies(1, 5000), QByteArray("\x61"));

        a.meldungen.clear();
        a.klick(feld<QPushButton>(f, "btnParameterSetzen"));
        QCOMPARE(a.meldungen.size(), 1);
        QCOMPARE(a.meldungen[0].section(u'|', 1),
                 "Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    ");
        QCOMPARE(a.knoepfe(true), "aus");
        QVERIFY(!feld<SerielleSchnittstelle>(f, "V24")->istOffen());
    }

    // The port choice names the device behind the typed number: a "COM6" link in the program
    // directory goes before the fixed mapping (COM6: /dev/ttyUSB1), checked beside its limits.
    void geraetImTooltip()
    {
        Anlage a({6});
        feld<SerielleSchnittstelle>(*a.f, "V24")->setzeStandardzuordnung(true);
        auto *lstV24 = feld<QComboBox>(*a.f, "lstV24");
        QLineEdit *portfeld = lstV24->lineEdit();
        QList<std::pair<QString, QString>> faelle{{"6", "= " + a.ptys[6]->slavePfad()},
                                                  {"0", "Keine gültige Schnittstellennummer"}};
        for (const char *n : {"4 ttyS3", "5 ttyUSB0", "12 ttyUSB7", "13 ttyACM0", "16 ttyACM3", "17 ttyS16"})
            faelle.append({QString(n).section(u' ', 0, 0), "= /dev/" + QString(n).section(u' ', 1)});
        for (const auto &[eingabe, hinweis] : faelle) {
            portfeld->clear();
            QTest::keyClicks(portfeld, eingabe);
            const QString tipp = lstV24->toolTip();
            QVERIFY2(tipp.contains(hinweis), qPrintable(eingabe + u' ' + tipp));
        }
    }
};

QTEST_MAIN(TstZentrale)
#include "tst_zentrale.moc"
// Start-up and shutdown with the settings file, the "&Datei" commands, the
// single-instance check and the help, as the user meets them.
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "stations/Zentralenregister.h"
#include "storage/Dateiformat.h"
#include "window/Einzelinstanz.h"
#include "window/Sprache.h"

#include <termios.h>

using namespace trabolin;
using trabolin::test::feld;

namespace {

const QByteArray vorlage = test::liesDatei(QStringLiteral(TRABOLIN_TESTDATEN "/Trabolin.ini"));

// A window on its own program folder with `ini` as its settings file, or on `in`.
struct Anlage : test::Fensteranlage {
    test::Pty pty; // linked as COM3 into the program folder
    explicit Anlage(const QByteArray &ini = {}, bool einzeln = false, const QString &in = {}, bool echt = false)
    {
        einzelinstanz = einzeln;
        echteDialoge = echt;
        if (!in.isEmpty())
            ordner = in;
        if (!ini.isNull())
            test::schreibeDatei(ini_pfad(), ini);
        pty.verknuepfe(ordner, 3);
        starte();
    }
    QString ini_pfad() const { return datei("Trabolin.ini"); }
    QString zeile(int r) const
    {
        QStringList z;
        for (int c = 1; c <= anzahlZellen; ++c)
            z << f->tabelle().zelle(r, c);
        return z.join(u',');
    }
};

const QString frageSpeichern = QStringLiteral(" Datei speichern...|aktuelle Daten in 'Trabolin.ini' speichern ?      ");

} // namespace

class TestStart : public QObject {
    Q_OBJECT
private slots:
    // First start: the report, the open delete panel. Qt's dialogs speak German: the
    // save dialog lists a file without an extension under "Alle Dateien" and keeps a name
    // typed without one; the question at the end shows "Ja" and "Nein", Yes writes the file.
    void ohneEinstellungen()
    {
        QVERIFY(setzeSprache(QStringLiteral("de")));
        Anlage a({}, false, {}, true);
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY(a.meldungen[0].contains("Fehler 53") && a.meldungen[0].contains("Trabolin.ini"));
        QCOMPARE(feld<QFrame>(*a.f, "pnlDel")->height(), frmTrabolin::pnlDelOffen);
        QCOMPARE(feld<QLabel>(*a.f, "lblDatei")->text(), "");
        QVERIFY(a.meldungen[0].contains(u'"' + QDir::toNativeSeparators(a.ini_pfad()) + u'"')); // where it looked
        test::schreibeDatei(a.datei("alt"), "");
        QString gesehen;
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            d->setDirectory(a.ordner);
            d->selectNameFilter("Alle Dateien (*)");
            const auto *liste = d->findChild<QListView *>("listView");
            (void)QTest::qWaitFor([&] { return liste->model()->rowCount(liste->rootIndex()) > 0; }, 2000);
            gesehen = d->windowTitle() + u'|' + liste->model()->index(0, 0, liste->rootIndex()).data().toString() + u'|';
            d->findChild<QLineEdit *>("fileNameEdit")->setText("fahrt");
            static_cast<QDialog *>(d)->accept();
        });
        feld<QAction>(*a.f, "mnuDatei_speichern")->trigger();
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            gesehen += box->windowTitle() + u'|' + box->text() + u'|' + box->button(QMessageBox::Yes)->text()
                       + box->button(QMessageBox::No)->text();
            box->button(QMessageBox::Yes)->click();
        });
        a.f->close();
        QCOMPARE(gesehen, "Speichern unter|alt|" + frageSpeichern + "|&Ja&Nein");
        QCOMPARE(QDir(a.ordner).entryList(QDir::Files), (QStringList{"alt", "COM3", "fahrt", "Trabolin.ini"}));
        const QByteArray neu = test::liesDatei(a.ini_pfad()); // an empty table, USB off
        QVERIFY(neu.startsWith("[Programm-Daten]\r\n---000-----\r\n")
                && neu.contains("\r\n[USB-Interface]\r\n 0 \r\n"));
    }

    // A full start from the hand-written file, values longer than the fields' typing limits
    // included (a host of 40 characters): closing writes them back whole, typing is cut.
    void rundreise()
    {
        const QByteArray host = "ecos-zentrale.keller.modellbahn.fritz.de";
        const QByteArray ini =
            QByteArray(vorlage).replace("192.168.1.10", host).replace("\n1003\r", "\n1003000\r").replace("15471", "0015471");
        Anlage a(ini);
        frmTrabolin &f = *a.f;
        QCOMPARE(a.meldungen, QStringList{});
        QCOMPARE(a.zeile(1), "5,s,28,X,,X,,");
        QCOMPARE(a.zeile(3), ",f,,X,,,,");
        QCOMPARE(test::anzeigen(f, {"txtAdresse", "lstV24", "lstBaudrate", "lstStopbits", "lblAdresse_0", "lblAdresse_1",
                                    "txtLocalPort", "txtIPAdresse", "lblDatei"}),
                 (QStringList{"1003000", "3", "19200", "1", "ID:", "1000...", "0015471", host,
                              QDir::toNativeSeparators(a.ini_pfad())}));
        QVERIFY(feld<QCheckBox>(f, "chkUSB")->isChecked() && a.gespeichert().usb);
        QCOMPARE(feld<QFrame>(f, "pnlDel")->height(), frmTrabolin::pnlDelZu);
        feld<QLineEdit>(f, "txtLocalPort")->selectAll();
        QTest::keyClicks(feld<QLineEdit>(f, "txtLocalPort"), "1234567");
        // The run's own setting goes to the run and into the file after the stations'.
        feld<QSpinBox>(f, "einstellung_Lauf_Kontakt-Zeitgrenze")->setValue(45);
        QCOMPARE(f.ablauf().kontaktZeitgrenze(), 45);
        f.close();
        QCOMPARE(a.fragen, QStringList{});
        // The stations that came later follow line 56 with their defaults.
        QCOMPARE(test::liesDatei(a.ini_pfad()), QByteArray(ini).replace("0015471", "12345")
                                         + "\r\n[Z21 LocalPort]\r\n21105\r\n\r\n[Z21 IP-Adresse]\r\n\r\n"
                                           "\r\n[DCC-EX LocalPort]\r\n2560\r\n\r\n[DCC-EX IP-Adresse]\r\n\r\n"
                                           "\r\n[DCC-EX \xFC" "ber Netzwerk]\r\n0\r\n"
                                           "\r\n[CS2 LocalPort]\r\n15731\r\n\r\n[CS2 IP-Adresse]\r\n\r\n"
                                           "\r\n[CS2 Protokoll]\r\nMM2\r\n\r\n[CS2 \xFC" "ber UDP]\r\n0\r\n"
                                           "\r\n[Kontakt-Zeitgrenze]\r\n45\r\n");
        // Read back from that file: the field and the contact wait of a run hold it.
        Anlage b(test::liesDatei(a.ini_pfad()));
        QCOMPARE(feld<QSpinBox>(*b.f, "einstellung_Lauf_Kontakt-Zeitgrenze")->value(), 45);
        QCOMPARE(b.f->ablauf().kontaktZeitgrenze(), 45);
    }

    // A read that stops applies what came before and nothing after. A serial station
    // named in the file opens its port (COM3, a pseudo-terminal) and the run buttons.
    // DCC-EX over USB runs at the saved line settings from the start (115200 baud is
    // only what choosing the station puts into the lists); the Lenz keeps the port's
    // initial 9600 until "Parameter setzen".
    void teilweise_data()
    {
        QTest::addColumn<QByteArray>("ini");
        // address|port|option|usb|local port|panel closed|port open|run buttons; empty: not looked at
        QTest::addColumn<QString>("werte");
        QTest::addColumn<QString>("baud"); // in the list, and the line's speed on the port; 0: not looked at
        QTest::addColumn<int>("leitung");
        QList<QByteArray> z = vorlage.split('\n');
        const auto mit = [](const QByteArray &zentrale, const QByteArray &baud = "19200") {
            return QByteArray(vorlage).replace("Ecos\r", zentrale + '\r').replace("\n19200\r", "\n" + baud + '\r');
        };
        QTest::newRow("30 Zeilen") << z.mid(0, 30).join('\n') << "1003||2|0||0|0|aus" << "" << 0;
        QTest::newRow("Zeile 50 leer") << QByteArray(vorlage).replace("-1 ", "") << "1003|3|2|0||0|0|aus" << "" << 0;
        QTest::newRow("dcc klein") << mit("dcc") << "1003|3|2|1|15471|1|0|aus" << "" << 0;
        QTest::newRow("DCC") << mit("DCC") << "1003|3|0|1|15471|1|1|an" << "" << 0;
        QTest::newRow("Lenz 19200 bleibt 9600") << mit("Lenz") << "1003|3|1|1|15471|1|1|an" << "19200" << int(B9600);
        QTest::newRow("DCC-EX 115200") << mit("DCC-EX", "115200") << "" << "115200" << int(B115200);
        QTest::newRow("DCC-EX 57600") << mit("DCC-EX", "57600") << "" << "57600" << int(B57600);
    }
    void teilweise()
    {
        QFETCH(QByteArray, ini); QFETCH(QString, werte); QFETCH(int, leitung);
        Anlage a(ini);
        frmTrabolin &f = *a.f;
        QCOMPARE(a.zeile(2), "12,M,5,,,,,X");
        if (!werte.isEmpty())
            QCOMPARE((QStringList{feld<QLineEdit>(f, "txtAdresse")->text(), feld<QComboBox>(f, "lstV24")->currentText(),
                                  QString::number(feld<QButtonGroup>(f, "grpZentrale")->checkedId()),
                                  QString::number(feld<QCheckBox>(f, "chkUSB")->isChecked()),
                                  feld<QLineEdit>(f, "txtLocalPort")->text(),
                                  QString::number(feld<QFrame>(f, "pnlDel")->height() == frmTrabolin::pnlDelZu),
                                  QString::number(feld<SerielleSchnittstelle>(f, "V24")->istOffen()), a.knoepfe()})
                         .join(u'|'),
                     werte);
        termios t{};
        if (leitung) {
            QVERIFY(feld<SerielleSchnittstelle>(f, "V24")->istOffen() && a.pty.slaveEinstellungen(t));
            QTEST(feld<QComboBox>(f, "lstBaudrate")->currentText(), "baud");
            QCOMPARE(int(cfgetospeed(&t)), leitung);
        }
    }

    // Save and load through the "&Datei" menu; failures leave table and files as they were.
    void programmdateien()
    {
        Anlage a(vorlage);
        frmTrabolin &f = *a.f;
        QString gewaehlt;
        f.waehleDatei = [&](bool) { return gewaehlt; };
        gewaehlt = a.datei("fahrt.dat");
        feld<QAction>(f, "mnuDatei_speichern")->trigger();
        QCOMPARE(test::liesDatei(gewaehlt), QByteArray(vorlage.left(18 + 25 * 13)).replace("05s", "05S").replace("--f", "--F"));
        QCOMPARE(f.tabelle().aktuelleZeile(), 25);
        QCOMPARE(feld<QLabel>(f, "lblDatei")->text(), QDir::toNativeSeparators(a.ini_pfad()));

        gewaehlt = a.datei("fahrt.dat/x.dat");
        feld<QAction>(f, "mnuDatei_speichern")->trigger();
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY(a.meldungen.takeFirst().startsWith(" Datei speichern...|Die Datei"));

        gewaehlt = a.datei("kurz.dat");
        test::schreibeDatei(gewaehlt, "[Programm-Daten]\r\n01s001-----\r\n");
        feld<QAction>(f, "mnuDatei_laden")->trigger();
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY(a.meldungen.takeFirst().startsWith(" Datei laden...|Die Datei"));
        QCOMPARE(a.zeile(1), "5,s,28,X,,X,,");
        gewaehlt = a.datei("fehlt.dat");
        feld<QAction>(f, "mnuDatei_laden")->trigger();
        QVERIFY(a.meldungen.takeFirst().startsWith(" Datei laden...|Die Datei"));

        gewaehlt = a.datei("fahrt.dat");
        feld<QAction>(f, "mnuDatei_laden")->trigger();
        QCOMPARE(a.zeile(1), "5,S,28,X,,X,,");
        QCOMPARE(feld<QLabel>(f, "lblDatei")->text(), QDir::toNativeSeparators(gewaehlt));
        QCOMPARE(feld<QLineEdit>(f, "txtAdresse")->text(), "1003");
    }

    // The settings a user makes once stay: an ECoS host longer than typing allows
    // survives a switch to the Z21 and back; the Z21's "Fahrstufen" survive a switch to
    // the Lenz (whose port check sets its own) and to the ECoS, and are saved after
    // line 56 and read back.
    void netzstationen()
    {
        const QByteArray host = "ecos-zentrale.keller.modellbahn.fritz.de";
        Anlage a(QByteArray(vorlage).replace("192.168.1.10", host));
        frmTrabolin &f = *a.f;
        const int z21 = zentralenoption(QStringLiteral("Z21"));
        feld<QRadioButton>(f, "optZentrale", z21)->click();
        feld<QComboBox>(f, "lstFS")->setCurrentText(QStringLiteral("128"));
        feld<QRadioButton>(f, "optZentrale_2")->click();
        QCOMPARE(feld<QLineEdit>(f, "txtIPAdresse")->text(), QString::fromLatin1(host));
        feld<QRadioButton>(f, "optZentrale_1")->click();
        feld<QComboBox>(f, "lstFS")->setCurrentText(QStringLiteral("28"));
        feld<QRadioButton>(f, "optZentrale", z21)->click();
        QCOMPARE(feld<QComboBox>(f, "lstFS")->currentText(), QStringLiteral("128"));
        feld<QRadioButton>(f, "optZentrale_1")->click();
        QCOMPARE(feld<QComboBox>(f, "lstFS")->currentText(), QStringLiteral("128")); // the Lenz keeps what stands there
        feld<QRadioButton>(f, "optZentrale", z21)->click();
        a.antwort = true;
        f.close();
        const QByteArray geschrieben = test::liesDatei(a.ini_pfad());
        QVERIFY(geschrieben.contains("\r\n" + host + "\r\n"));
        // Between the Z21's and the DCC-EX's own; what follows is rundreise's.
        QVERIFY2(geschrieben.contains("\r\n[Z21 Fahrstufen]\r\n128\r\n\r\n[DCC-EX LocalPort]\r\n"),
                 geschrieben.right(300).constData());

        test::Fensteranlage b;
        b.ordner = a.ordner;
        b.starte();
        QCOMPARE(feld<QButtonGroup>(*b.f, "grpZentrale")->checkedId(), z21);
        QCOMPARE(feld<QComboBox>(*b.f, "lstFS")->currentText(), QStringLiteral("128"));
    }

    // One instance per program folder; a lock left by a dead process does not count.
    void einzelinstanz()
    {
        QTemporaryDir sperren, programm;
        auto erste = std::make_unique<Einzelinstanz>(programm.path(), sperren.path());
        QVERIFY(erste->erlangen());
        QTemporaryDir anderes;
        QVERIFY(Einzelinstanz(anderes.path(), sperren.path()).erlangen());
        const QString datei = erste->sperrdatei();
        erste.reset();
        test::schreibeDatei(datei, "999999999\ntrabolin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        QVERIFY(Einzelinstanz(programm.path(), sperren.path()).erlangen());
    }
    // A second window on the same folder beeps, says so, and neither reads nor writes
    // the settings file; once the first ends, the next one starts.
    void zweiteInstanz()
    {
        Anlage erste(vorlage, true);
        QVERIFY(!erste.f->zweiteInstanz());
        auto zweite = std::make_unique<Anlage>(QByteArray(), true, erste.ordner);
        QVERIFY(zweite->f->zweiteInstanz());
        QCOMPARE(zweite->pieptoene, 1);
        QCOMPARE(zweite->meldungen,
                 QStringList{" Lokomotiven-Trabolin|Das Programm wurde bereits gestartet ...                 "});
        QCOMPARE(feld<QLineEdit>(*zweite->f, "txtAdresse")->text(), "1"); // nothing read
        zweite->f->close();
        QCOMPARE(test::liesDatei(erste.ini_pfad()), vorlage); // nothing written
        zweite.reset();
        erste.f.reset();
        QVERIFY(!Anlage({}, true, erste.ordner).f->zweiteInstanz());
    }

    // F1 and "&?" in the language chosen under "Sprache / Language": the CHM file of that
    // language ("Trabolin.chm" German, "Trabolin_en.chm" English) where it and a viewer
    // exist, otherwise the built-in help in that language. A switch of language shows the
    // page open in the help window, at its anchor, in the other language.
    void hilfe_data()
    {
        QTest::addColumn<QString>("sprache");   // chosen before F1
        QTest::addColumn<QStringList>("chm");   // files in the program folder
        QTest::addColumn<bool>("betrachter");
        QTest::addColumn<bool>("perMenue");
        QTest::addColumn<QString>("geoeffnet"); // the file handed to the viewer
        QTest::addColumn<QString>("seite");     // the help window's page, empty: no window
        QTest::addColumn<QString>("titel");
        QTest::addColumn<QString>("text");      // a text of that page
        QTest::addColumn<QString>("wechsel");   // language chosen with the help window open
        QTest::addColumn<QString>("danach");    // its page after the switch
        QTest::addColumn<QString>("danachTitel");
        QTest::addColumn<QString>("danachText");
        const QString de = QStringLiteral("qrc:/hilfe/index.html");
        const QString en = QStringLiteral("qrc:/hilfe/en/index.html");
        const QString titelDe = QStringLiteral(" Lokomotiven-Trabolin - Hilfe");
        const QString titelEn = QStringLiteral(" Lokomotiven-Trabolin - Help");
        const QString textDe = QStringLiteral("Unterstützte Zentralen:");
        const QString textEn = QStringLiteral("Supported command stations:");
        const QStringList keine, deutsch{"Trabolin.chm"}, englisch{"Trabolin_en.chm"}, beide{"Trabolin.chm", "Trabolin_en.chm"};
        QTest::newRow("keine Datei") << "de" << keine << true << false << "" << de << titelDe << textDe << "" << "" << "" << "";
        QTest::newRow("kein Betrachter") << "de" << deutsch << false << true << "Trabolin.chm" << de << titelDe << textDe << "" << "" << "" << "";
        QTest::newRow("CHM") << "de" << beide << true << false << "Trabolin.chm" << "" << "" << "" << "" << "" << "" << "";
        QTest::newRow("deutsch, nur englische CHM") << "de" << englisch << true << false << "" << de << titelDe << textDe << "" << "" << "" << "";
        QTest::newRow("englisch, keine Datei") << "en" << keine << true << false << "" << en << titelEn << textEn << "" << "" << "" << "";
        QTest::newRow("englisch, nur deutsche CHM") << "en" << deutsch << true << true << "" << en << titelEn << textEn << "" << "" << "" << "";
        QTest::newRow("englisch, CHM") << "en" << beide << true << false << "Trabolin_en.chm" << "" << "" << "" << "" << "" << "" << "";
        QTest::newRow("englisch, kein Betrachter") << "en" << beide << false << false << "Trabolin_en.chm" << en << titelEn << textEn << "" << "" << "" << "";
        QTest::newRow("Wechsel nach Englisch") << "de" << keine << true << false << "" << de << titelDe << textDe
            << "en" << "qrc:/hilfe/en/fenster.html#gleisanzeige" << titelEn << "What the command station reports";
        QTest::newRow("Wechsel nach Deutsch") << "en" << keine << true << true << "" << en << titelEn << textEn
            << "de" << "qrc:/hilfe/fenster.html#gleisanzeige" << titelDe << "Was die Zentrale meldet";
    }
    void hilfe()
    {
        QFETCH(QString, sprache); QFETCH(QStringList, chm); QFETCH(bool, betrachter); QFETCH(bool, perMenue);
        QFETCH(QString, geoeffnet); QFETCH(QString, seite); QFETCH(QString, titel); QFETCH(QString, text);
        QFETCH(QString, wechsel); QFETCH(QString, danach); QFETCH(QString, danachTitel); QFETCH(QString, danachText);
        Anlage a(vorlage);
        for (const QString &name : chm)
            test::schreibeDatei(a.datei(name), "ITSF");
        QList<QUrl> geoeffnetListe;
        a.f->oeffneUrl = [&](const QUrl &url) { geoeffnetListe << url; return betrachter; };
        QVERIFY(QTest::qWaitForWindowActive(a.f.get()));
        feld<QAction>(*a.f, sprache == u"en" ? "mnuSprache_en" : "mnuSprache_de")->trigger();
        QCOMPARE(trabolin::sprache(), sprache);
        if (perMenue)
            feld<QAction>(*a.f, "mnuHilfe_Hilfe")->trigger();
        else
            QTest::keyClick(feld<Tabellengitter>(*a.f, "DBTabelle"), Qt::Key_F1);
        QList<QUrl> erwartet;
        if (!geoeffnet.isEmpty())
            erwartet << QUrl::fromLocalFile(a.datei(geoeffnet));
        QCOMPARE(geoeffnetListe, erwartet);
        auto *fenster = a.f->findChild<QTextBrowser *>("frmHilfe");
        QCOMPARE(fenster && fenster->isVisible(), !seite.isEmpty());
        if (seite.isEmpty())
            return;
        QCOMPARE(fenster->source(), QUrl(seite));
        QCOMPARE(fenster->windowTitle(), titel);
        QVERIFY2(fenster->toPlainText().contains(text), qPrintable(fenster->toPlainText().left(300)));
        if (!wechsel.isEmpty()) {
            // a link of the page: the pages of one language link among themselves
            fenster->setSource(fenster->source().resolved(QUrl("fenster.html#gleisanzeige")));
            feld<QAction>(*a.f, wechsel == u"en" ? "mnuSprache_en" : "mnuSprache_de")->trigger();
            QCOMPARE(fenster->source(), QUrl(danach));
            QCOMPARE(fenster->windowTitle(), danachTitel);
            QVERIFY2(fenster->toPlainText().contains(danachText), qPrintable(fenster->toPlainText().left(300)));
        }
        QCOMPARE(a.meldungen, QStringList{});
    }

    // Every test starts in German, as the window of a German system does.
    void cleanup() { QVERIFY(setzeSprache(QStringLiteral("de"))); }
};

QTEST_MAIN(TestStart)
#include "tst_start.moc"

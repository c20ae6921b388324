// Several driving programs in the window: the tab bar that appears with the second,
// "Fa&hrprogramm" with its shortcuts, Ctrl+Shift+Tab as each platform delivers it, a
// new program's address captions for the station chosen, the ninth refused, removing
// one, the programs kept in "Trabolin.ini" after line 56, and two runs on the 6021
// path in virtual time: "Alle starten", a locomotive refused to the second program,
// "Lok anhal&ten" for the current one only and St&op for all.
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "stations/Zentralenregister.h"

#include <QTabBar>

using namespace trabolin;
using namespace trabolin::test;

namespace {

struct Anlage : Fensteranlage {
    Pty pty;
    explicit Anlage(VirtuelleZeit *zeit = nullptr, const QByteArray &ini = {})
    {
        if (!pty.ok() || !pty.verknuepfe(verzeichnis.path(), 2))
            qFatal("pseudo-terminal: %s", qPrintable(pty.fehler()));
        if (!ini.isEmpty()) {
            QFile ziel(datei(QStringLiteral("Trabolin.ini")));
            if (!ziel.open(QIODevice::WriteOnly) || ziel.write(ini) != ini.size())
                qFatal("settings file not written");
        }
        if (zeit)
            frmTrabolin::zeitbasis() = [zeit] { return std::make_unique<GelieheneZeit>(*zeit); };
        starte();
        frmTrabolin::zeitbasis() = nullptr;
        QTest::mouseClick(feld<QRadioButton>(*f, "optZentrale", 0), Qt::LeftButton); // the 6021: "Lok"
        meldungen.clear();
    }
    QTabBar *reiter() const { return feld<QTabBar>(*f, "tabProgramme"); }
    QStringList reitertexte() const
    {
        QStringList t;
        for (int i = 0; i < reiter()->count(); ++i)
            t << reiter()->accessibleTabName(i);
        return t;
    }
    void menue(const char *name) { feld<QAction>(*f, name)->trigger(); }
    QLineEdit *adresse() const
    {
        // The current page's: the one visible.
        for (QLineEdit *e : f->findChildren<QLineEdit *>(QStringLiteral("txtAdresse")))
            if (e->isVisibleTo(f.get()))
                return e;
        return nullptr;
    }
};

} // namespace

class TstProgramme : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Pty probe;
        if (!probe.ok())
            QSKIP("no pseudo-terminal on this machine");
    }

    // One program: no tab bar. "&Neue Lok" (Ctrl+T) adds one after the highest
    // address in use and shows it; Ctrl+Tab goes round; each page has its own table
    // and "Endlosschleife", shown for the current page only.
    void reiter()
    {
        Anlage a;
        QVERIFY(!a.reiter()->isVisible());
        QVERIFY(!feld<QPushButton>(*a.f, "btnLokAnhalten")->isVisible());
        a.adresse()->setText(QStringLiteral("3"));
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("5,s,10"));
        QCOMPARE(feld<QAction>(*a.f, "mnuNeueLok")->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
        QCOMPARE(feld<QAction>(*a.f, "mnuLokEntfernen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
        QCOMPARE(feld<QAction>(*a.f, "mnuAlleStarten")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
        QTest::keyClick(a.f.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(a.reiter()->isVisible());
        QCOMPARE(a.reitertexte(), (QStringList{"Lok 3", "Lok 4"}));
        QCOMPARE(a.reiter()->currentIndex(), 1);
        QCOMPARE(a.adresse()->text(), QStringLiteral("4"));
        QCOMPARE(a.f->tabelle().zelle(1, 1), QString()); // a table of its own
        const auto endlos = a.f->findChildren<QCheckBox *>(QStringLiteral("chkEndlos"));
        QCOMPARE(endlos.size(), 2);
        QCOMPARE(std::count_if(endlos.begin(), endlos.end(), [&](QCheckBox *c) { return c->isVisibleTo(a.f.get()); }), 1);
        QTest::keyClick(a.f.get(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(a.reiter()->currentIndex(), 0);
        QCOMPARE(a.f->tabelle().zelle(1, 1), QStringLiteral("5"));
        QCOMPARE(a.adresse()->text(), QStringLiteral("3"));
        a.adresse()->setText(QStringLiteral("7")); // the tab follows the address
        QCOMPARE(a.reitertexte(), (QStringList{"Lok 7", "Lok 4"}));
        // ... and the station: the ECoS names its locomotives by their IDs.
        const auto &stationen = zentralenregister();
        for (int i = 0; i < int(stationen.size()); ++i)
            if (stationen[i]->code == u"Ecos")
                QTest::mouseClick(feld<QRadioButton>(*a.f, "optZentrale", i), Qt::LeftButton);
        QCOMPARE(a.reitertexte(), (QStringList{"ID 7", "ID 4"}));
        QTest::mouseClick(feld<QRadioButton>(*a.f, "optZentrale", 0), Qt::LeftButton);
        QCOMPARE(a.reitertexte(), (QStringList{"Lok 7", "Lok 4"}));
    }

    // Ctrl+Shift+Tab goes to the program before, as the platform delivers the key:
    // Backtab with Shift (Windows, and Qt's own key events), or looked up as Tab with
    // Shift (X11, where the shortcut map asks for "Ctrl+Shift+Tab").
    void zurueck_data()
    {
        QTest::addColumn<int>("taste");
        QTest::newRow("Backtab") << int(Qt::Key_Backtab);
        QTest::newRow("Tab") << int(Qt::Key_Tab);
    }
    void zurueck()
    {
        QFETCH(int, taste);
        Anlage a;
        a.menue("mnuNeueLok");
        a.menue("mnuNeueLok");
        QCOMPARE(a.reiter()->currentIndex(), 2);
        QTest::keyClick(a.f.get(), Qt::Key(taste), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(a.reiter()->currentIndex(), 1);
        QTest::keyClick(a.f.get(), Qt::Key(taste), Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(a.f.get(), Qt::Key(taste), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(a.reiter()->currentIndex(), 2); // round from the first to the last
    }

    // A program added after a station was chosen shows that station's address captions,
    // as the first does.
    void adresstitel_data()
    {
        QTest::addColumn<QString>("zentrale");
        QTest::addColumn<QString>("titel"); // lblAdresse_0|lblAdresse_1
        QTest::newRow("Ecos") << "Ecos" << "ID:|1000...";
        QTest::newRow("Z21") << "Z21" << "Adresse:|1...9999";
        QTest::newRow("DCC-EX") << "DCC-EX" << "Adresse:|1...10239";
        QTest::newRow("Lenz") << "Lenz" << "Adresse:|1...";
    }
    void adresstitel()
    {
        QFETCH(QString, zentrale);
        Anlage a;
        QTest::mouseClick(feld<QRadioButton>(*a.f, "optZentrale", zentralenoption(zentrale)), Qt::LeftButton);
        a.menue("mnuNeueLok");
        QCOMPARE(a.reiter()->currentIndex(), 1);
        QStringList titel;
        for (const char *name : {"lblAdresse_0", "lblAdresse_1"})
            for (QLabel *l : a.f->findChildren<QLabel *>(QString::fromLatin1(name)))
                if (l->isVisibleTo(a.f.get()))
                    titel << l->text();
        QTEST(titel.join(u'|'), "titel");
    }

    // At most eight programs: the ninth is refused with a message. "Lok &entfernen"
    // asks first when the table is not empty; the last program stays.
    void grenzenUndEntfernen()
    {
        Anlage a;
        a.adresse()->setText(QStringLiteral("3"));
        for (int i = 0; i < 8; ++i)
            a.menue("mnuNeueLok");
        QCOMPARE(a.reiter()->count(), 8);
        QCOMPARE(a.meldungen, QStringList{" Neue Lok...|Mehr als 8 Fahrprogramme gehen nicht !"});
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("5,s,10")); // program 8, address 10
        a.antwort = false;
        a.menue("mnuLokEntfernen");
        QCOMPARE(a.fragen, QStringList{" Lok entfernen...|Fahrprogramm für Lok 10 mit seiner Tabelle entfernen ?"});
        QCOMPARE(a.reiter()->count(), 8);
        a.antwort = true;
        a.menue("mnuLokEntfernen");
        QCOMPARE(a.reiter()->count(), 7);
        for (int i = 0; i < 6; ++i)
            a.menue("mnuLokEntfernen"); // empty tables: no question
        QCOMPARE(a.fragen.size(), 2);
        QCOMPARE(a.reiter()->count(), 1);
        QVERIFY(!feld<QAction>(*a.f, "mnuLokEntfernen")->isEnabled());
        QVERIFY(!a.reiter()->isVisible());
    }

    // The programs after the first go into "Trabolin.ini" after line 56 and come back,
    // with the one shown; the first program keeps lines 1 to 56.
    void datei()
    {
        QByteArray geschrieben;
        {
            Anlage a;
            a.adresse()->setText(QStringLiteral("3"));
            fuelleZeile(a.f->tabelle(), 1, QStringLiteral("5,s,10"));
            a.menue("mnuNeueLok");
            fuelleZeile(a.f->tabelle(), 1, QStringLiteral("2,K,20,X"));
            for (QCheckBox *c : a.f->findChildren<QCheckBox *>(QStringLiteral("chkEndlos")))
                if (c->isVisibleTo(a.f.get()))
                    c->setChecked(true);
            a.menue("mnuNeueLok");
            a.menue("mnuNeueLok");
            QTest::keyClick(a.f.get(), Qt::Key_Tab, Qt::ControlModifier); // round to program 1
            QTest::keyClick(a.f.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier); // back to 4
            QCOMPARE(a.reiter()->currentIndex(), 3);
            a.antwort = true;
            a.f->close();
            QFile datei(a.datei(QStringLiteral("Trabolin.ini")));
            QVERIFY(datei.open(QIODevice::ReadOnly));
            geschrieben = datei.readAll();
        }
        QVERIFY(geschrieben.startsWith("[Programm-Daten]\r\n05s010-----\r\n"));
        QVERIFY(geschrieben.contains("\r\n[digit. Adresse / ID]\r\n3\r\n"));
        QVERIFY(geschrieben.contains("\r\n\r\n[Fahrprogramm 2]\r\n4\r\n\r\n[Fahrprogramm 2 Endlosschleife]\r\n1\r\n"));
        QVERIFY(geschrieben.contains("\r\n[Fahrprogramm 2 Zeile 1]\r\n02K020X----\r\n"));
        QVERIFY(geschrieben.contains("\r\n[Fahrprogramm 4]\r\n6\r\n"));
        QVERIFY(geschrieben.endsWith("\r\n[Fahrprogramm aktuell]\r\n4\r\n"));

        Anlage b(nullptr, geschrieben);
        QCOMPARE(b.meldungen, QStringList{});
        QCOMPARE(b.reitertexte(), (QStringList{"Lok 3", "Lok 4", "Lok 5", "Lok 6"}));
        QCOMPARE(b.reiter()->currentIndex(), 3);
        b.reiter()->setCurrentIndex(1);
        QCOMPARE(b.f->tabelle().zelle(1, 2), QStringLiteral("K"));
        QCOMPARE(b.adresse()->text(), QStringLiteral("4"));
        const auto endlos = b.f->findChildren<QCheckBox *>(QStringLiteral("chkEndlos"));
        QCOMPARE(std::count_if(endlos.begin(), endlos.end(), [](QCheckBox *c) { return c->isChecked(); }), 1);
    }

    // Two programs on the 6021 path in virtual time: "Alle starten" runs both, the
    // running ones marked on their tabs; a third with a locomotive already driven is
    // refused with the number of the program that drives it; "Lok anhal&ten" stops
    // only the current program; St&op the rest.
    void fahrten()
    {
        GleichzeitigeZeit zeit;
        Anlage a(&zeit);
        feld<QComboBox>(*a.f, "lstV24")->setEditText(QStringLiteral("2"));
        QTest::mouseClick(feld<QPushButton>(*a.f, "btnParameterSetzen"), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return a.knoepfe() == u"an"; }));
        a.meldungen.clear();
        a.adresse()->setText(QStringLiteral("24"));
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("60,s,10"));
        a.menue("mnuNeueLok");
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("60,s,5"));
        a.menue("mnuNeueLok");
        a.adresse()->setText(QStringLiteral("24"));
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("60,s,7"));
        a.menue("mnuAlleStarten");
        QCOMPARE(a.meldungen, QStringList{" Adresse...|Lok 24 fährt schon im Fahrprogramm 1 !"});
        QCOMPARE(a.reitertexte(), (QStringList{"Lok 24 – fährt", "Lok 25 – fährt", "Lok 24"}));
        zeit.laufe(zeit.jetzt + 5000);
        // On the wire (6051: speed byte, then the address): locomotive 25 gets speed 0,
        // 24 drives on; then St&op stops 24 too.
        QByteArray draht;
        const auto liest = [&](const QByteArray &befehl) {
            return QTest::qWaitFor([&] {
                draht += a.pty.liesVorhandenes();
                return draht.contains(befehl);
            }, 2000);
        };
        QVERIFY(liest(QByteArray("\x05\x19", 2)) && liest(QByteArray("\x0A\x18", 2)));
        draht.clear();
        // A running program's address and "öffnen / laden" are locked, a resting one's not.
        QAction *laden = feld<QAction>(*a.f, "mnuDatei_laden");
        const QString eigenerTipp = a.adresse()->toolTip();
        QVERIFY(a.adresse()->isEnabled() && laden->isEnabled());
        a.reiter()->setCurrentIndex(1);
        QVERIFY(!a.adresse()->isEnabled() && !laden->isEnabled());
        QCOMPARE(a.adresse()->toolTip(), QStringLiteral(" während der Fahrt gesperrt "));
        QCOMPARE(laden->toolTip(), QStringLiteral(" während der Fahrt gesperrt "));
        QTest::mouseClick(feld<QPushButton>(*a.f, "btnLokAnhalten"), Qt::LeftButton);
        zeit.laufe(zeit.jetzt + 1000);
        QCOMPARE(a.reitertexte(), (QStringList{"Lok 24 – fährt", "Lok 25", "Lok 24"}));
        QVERIFY(a.adresse()->isEnabled() && laden->isEnabled());
        QCOMPARE(a.adresse()->toolTip(), eigenerTipp);
        QVERIFY(liest(QByteArray("\x00\x19", 2)));
        QVERIFY(!draht.contains(QByteArray("\x00\x18", 2)));
        QTest::mouseClick(feld<QPushButton>(*a.f, "btnSendStop"), Qt::LeftButton);
        zeit.laufe(zeit.jetzt + 1000);
        QVERIFY(liest(QByteArray("\x00\x18", 2)));
        QCOMPARE(a.reitertexte(), (QStringList{"Lok 24", "Lok 25", "Lok 24"}));
        QVERIFY(!a.f->ablauf().betrieb().laeuftEtwas());
        a.antwort = false;
    }
};

QTEST_MAIN(TstProgramme)
#include "tst_programme.moc"

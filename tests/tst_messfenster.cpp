// The window " Lok einmessen" in the main window: its menu item, its fields with their
// labels, its defaults for the station chosen, what it refuses before anything is sent,
// and "Lokprofile.ini" read at the start into the run's profiles (the chart of a
// program draws a distance line with the time its profile gives).
#include "window/frmTrabolin.h"

#include "helfer/Feld.h"
#include "window/Fahrbild.h"

#include <QtTest>
#include <QtWidgets>

using namespace trabolin;
using trabolin::test::feld;

class TstMessfenster : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    frmTrabolin *f = nullptr;
    QStringList meldungen; // "<title>|<text>"

    QWidget *messfenster() { return feld<QWidget>(*f, QStringLiteral("frmEinmessen")); }

private slots:
    void initTestCase()
    {
        // The ECoS (the window's first station) with ID 1: step 64 at 500 mm/s forwards;
        // one line a hand broke, kept.
        QFile profile(dir.filePath(QStringLiteral("Lokprofile.ini")));
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write("[Ecos 1 127]\r\nMassstab=87\r\nStufe 64=500;480\r\nStufe 80=kaputt\r\n");
        profile.close();
        f = new frmTrabolin(nullptr, dir.path());
        f->melde = [this](QMessageBox::Icon, const QString &titel, const QString &text) { meldungen << titel + u'|' + text; };
        f->show();
    }
    void cleanupTestCase() { delete f; }

    void menueUndFelder()
    {
        QAction *eintrag = feld<QAction>(*f, QStringLiteral("mnuLokEinmessen"));
        QCOMPARE(eintrag->text(), QStringLiteral("Lok ein&messen ..."));
        QVERIFY(feld<QMenu>(*f, QStringLiteral("mnuFahrprogramm"))->actions().contains(eintrag));
        eintrag->trigger();
        QWidget *w = messfenster();
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral(" Lok einmessen"));
        const QList<std::pair<const char *, const char *>> felder{
            {"txtKontaktA", "Kontakt A"}, {"txtKontaktB", "Kontakt B"}, {"txtAbstand", "Abstand (mm)"},
            {"txtFahrstufen", "Fahrstufen"}, {"txtDurchlaeufe", "Durchläufe"}, {"lstMassstab", "Maßstab"}};
        for (const auto &[name, titel] : felder) {
            QWidget *eingabe = feld<QWidget>(*w, QString::fromLatin1(name));
            QLabel *beschriftung = nullptr;
            for (QLabel *l : w->findChildren<QLabel *>())
                if (l->buddy() == eingabe)
                    beschriftung = l;
            QVERIFY2(beschriftung, name);
            QCOMPARE(beschriftung->text(), QString::fromUtf8(titel));
            QCOMPARE(eingabe->accessibleName(), QString::fromUtf8(titel));
            QVERIFY(!eingabe->toolTip().isEmpty());
        }
        QCOMPARE(feld<QPushButton>(*w, QStringLiteral("btnMessen"))->text(), QStringLiteral("&Messen"));
        QCOMPARE(feld<QPushButton>(*w, QStringLiteral("btnAbbrechen"))->text(), QStringLiteral("&Abbrechen"));
        QCOMPARE(feld<QComboBox>(*w, QStringLiteral("lstMassstab"))->currentText(), QStringLiteral("H0 1:87"));
        QCOMPARE(feld<QSpinBox>(*w, QStringLiteral("txtDurchlaeufe"))->value(), 2);
        // Eight steps over the ECoS's 127, the top one included.
        QCOMPARE(feld<QLineEdit>(*w, QStringLiteral("txtFahrstufen"))->text(),
                 QStringLiteral("16, 32, 48, 64, 79, 95, 111, 127"));
        QStringList spalten;
        auto *tabelle = feld<QTableWidget>(*w, QStringLiteral("tabMessung"));
        for (int c = 0; c < tabelle->columnCount(); ++c)
            spalten << tabelle->horizontalHeaderItem(c)->text();
        QCOMPARE(spalten, (QStringList{"Fahrstufe", "vorwärts mm/s", "rückwärts mm/s", "km/h", "Streuung %"}));
        // The main window's controls stay usable beside it.
        QVERIFY(f->isEnabled());
    }

    // What is refused before anything goes out, with the message that says why.
    void verweigert_data()
    {
        QTest::addColumn<int>("abstand");
        QTest::addColumn<QString>("stufen");
        QTest::addColumn<int>("kontaktB");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("ohne abstand") << 0 << "8, 16" << 2
                                      << " Lok einmessen...|Bitte bei \"Abstand (mm)\" die Strecke zwischen den beiden "
                                         "Kontakten in mm eintragen.";
        QTest::newRow("A gleich B") << 1200 << "8" << 1
                                    << " Lok einmessen...|\"Kontakt A\" und \"Kontakt B\" müssen zwei verschiedene "
                                       "Kontakte sein.";
        QTest::newRow("stufe über der obersten") << 1200 << "8, 200" << 2
                                                 << " Lok einmessen...|Bitte bei \"Fahrstufen\" Fahrstufen von 1 bis 127 "
                                                    "eintragen, durch Kommas getrennt.";
    }
    void verweigert()
    {
        QFETCH(int, abstand);
        QFETCH(QString, stufen);
        QFETCH(int, kontaktB);
        feld<QAction>(*f, QStringLiteral("mnuLokEinmessen"))->trigger();
        QWidget *w = messfenster();
        feld<QSpinBox>(*w, QStringLiteral("txtAbstand"))->setValue(abstand);
        feld<QSpinBox>(*w, QStringLiteral("txtKontaktB"))->setValue(kontaktB);
        feld<QLineEdit>(*w, QStringLiteral("txtFahrstufen"))->setText(stufen);
        meldungen.clear();
        QTest::mouseClick(feld<QPushButton>(*w, QStringLiteral("btnMessen")), Qt::LeftButton);
        QCOMPARE(meldungen.size(), 1);
        QTEST(meldungen.first(), "meldung");
        QVERIFY(feld<QPushButton>(*w, QStringLiteral("btnMessen"))->isEnabled());
        QVERIFY(!feld<QPushButton>(*w, QStringLiteral("btnAbbrechen"))->isEnabled());
    }

    // The profile of ID 1 read at the start: a line of 250 cm at step 64 takes 5 s in
    // the chart of program 1; with "Fahrstufe in km/h" 157 km/h is step 64 too.
    void profilImFahrbild()
    {
        f->tabelle().setzeZelle(1, 1, QStringLiteral("250"));
        f->tabelle().setzeZelle(1, 2, QStringLiteral("W"));
        f->tabelle().setzeZelle(1, 3, QStringLiteral("64"));
        auto *adresse = feld<QLineEdit>(*f, QStringLiteral("txtAdresse"));
        adresse->setText(QStringLiteral("1"));
        auto *bild = feld<Fahrbild>(*f, QStringLiteral("imgFahrbild"));
        bild->aktualisiere();
        const qint64 pausen = bild->durchlauf().gesamtMs - 5000;
        QVERIFY(pausen >= 0 && pausen < 1000);
        f->tabelle().setzeZelle(1, 3, QStringLiteral("157"));
        feld<QCheckBox>(*f, QStringLiteral("chkKmh"))->setChecked(true);
        QCOMPARE(bild->durchlauf().gesamtMs, pausen + 5000);
        QCOMPARE(bild->durchlauf().zeilen.first().stufe, 64);
        // Another address has no profile: the distance line takes no time.
        adresse->setText(QStringLiteral("2"));
        QCOMPARE(bild->durchlauf().gesamtMs, pausen);
        feld<QCheckBox>(*f, QStringLiteral("chkKmh"))->setChecked(false);
        adresse->setText(QStringLiteral("1"));
    }

    // "Fahrstufe in km/h" is kept in "Trabolin.ini" after line 56 while it is ticked.
    void kmhInDerEinstellungsdatei()
    {
        auto *kmh = feld<QCheckBox>(*f, QStringLiteral("chkKmh"));
        for (const bool an : {true, false}) {
            kmh->setChecked(an);
            QCOMPARE(f->subWriteConfig(), QString());
            QFile datei(dir.filePath(QStringLiteral("Trabolin.ini")));
            QVERIFY(datei.open(QIODevice::ReadOnly));
            QCOMPARE(datei.readAll().contains("\r\n[Fahrprogramm 1 km/h]\r\n1\r\n"), an);
            datei.close();
            kmh->setChecked(!an);
            f->subReadConfig();
            QCOMPARE(kmh->isChecked(), an);
        }
    }
};

QTEST_MAIN(TstMessfenster)
#include "tst_messfenster.moc"

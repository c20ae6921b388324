// The main window as the user meets it: its controls, the one menu bar with its
// keyboard and assistive access, Alt+E, the stop at the press, the about box.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"

#include "Version.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

using namespace trabolin;

namespace {

// A message box as it was shown.
struct Kasten {
    bool gesehen = false;
    QString titel, text;
    QMessageBox::Icon symbol{};
    QMessageBox::StandardButtons knoepfe;
};

// Runs `ausloeser` and catches the modal message box it shows: reads it and closes it.
Kasten fangeKasten(const std::function<void()> &ausloeser)
{
    Kasten m;
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
            box->done(QMessageBox::Ok);
        }
    });
    wache.start(10);
    ausloeser();
    return m;
}

const QString release = QStringLiteral("Rel. %1.%2.%3").arg(version::major).arg(version::minor).arg(version::revision);

} // namespace

class TestFenster : public QObject {
    Q_OBJECT
    QTemporaryDir dir; // no settings file: the window as on the very first start
    frmTrabolin *f = nullptr;

    // Opens the cell editor on line 1, "Dauer", as F2 does.
    QWidget *oeffneZelle()
    {
        f->DBTabelle->setCurrentIndex(f->tabelle().index(0, 0));
        f->DBTabelle->setFocus();
        QTest::keyClick(f->DBTabelle, Qt::Key_F2);
        return f->DBTabelle->offenerEditor();
    }

private slots:
    void initTestCase() { f = new frmTrabolin(nullptr, dir.path()); f->show(); }
    void cleanupTestCase() { delete f; }
    void init() { f->activateWindow(); QVERIFY(QTest::qWaitForWindowActive(f)); }
    void cleanup() { f->uebernehmeEingabe(); f->tabelle().leeren(); }

    void fenster()
    {
        QCOMPARE(f->windowTitle(), " Lokomotiven-Trabolin");
        QTRY_COMPARE(f->frameGeometry(), QRect(0, 0, 1024, 741));
        QVERIFY(!f->windowIcon().isNull());
        QCOMPARE(f->lblLogo->pixmap().size(), QSize(51, 33));
        QCOMPARE(f->lblRelease->text(), release);
        QCOMPARE(f->grpZentrale->checkedId(), 2);
        QVERIFY(!f->chkUSB->isChecked() && !f->chkEndlos->isChecked() && !f->chkSignal->isChecked());
    }

    // Every control exists under its caption, inside the window and not squeezed
    // below the size its text needs.
    void steuerelemente()
    {
        const QList<std::pair<const char *, QString>> soll{
            {"btnStart", "&starten"}, {"btnSendStop", "St&op"}, {"btnSendZeile", "aktuelle &Zeile "},
            {"chkEndlos", "&Endlosschleife"}, {"chkSignal", "&akustisches Signal bei Programmende"},
            {"btnPower_0", "Power of&f"}, {"btnPower_1", "Power o&n"}, {"optZentrale_0", "&6021, IB, MC"},
            {"optZentrale_1", "&Lenz V3.0"}, {"optZentrale_2", "Ecos"}, {"lblFS", "Fahrstufen"}, {"btnV24", "&COM"},
            {"btnParameterSetzen", "&Parameter setzen"}, {"chkUSB", "&USB-Interface     "}, {"btn15471", "Default"},
            {"btnEcos", "PC mit Ecos verbinden"}, {"btnListe", "Lokliste einlesen"}, {"btnLok", "Kontrolle übernehmen"},
            {"lblAdresse_0", "Adresse:"}, {"lblAdresse_1", "Adresse"}, {"btnInsertLine", "Zeile einfügen"},
            {"btnDeleteLine", "Zeile löschen"}, {"btnLineUp", "Zeile aufwärts"}, {"btnLineDown", "Zeile abwärts"},
            {"lblDel", "Löschen ..."}, {"btnDelZeile", "aktuelle Zeile "}, {"btnDelFolgende", "Zeile + folgende"},
            {"btnDelTabelle", "Tabelle"}, {"lblZentrale", "Zentrale"}, {"lblBaudrate", "Baudrate"}, {"lblParity", "Parity"},
            {"lblDatenbits", "Datenbits"}, {"lblStopbits", "Stopbits"}, {"lblIPAdresse", "IP-Adresse"},
            {"lblLocalPort", "LocalPort"}, {"lblRX", "letzte Antwort der Ecos"}, {"lblDateiTitel", "Datei:"},
            {"lblProgramm", "Programm"}, {"lblStartzeitTitel", "Startzeit"}, {"lblLaufzeitTitel", "Laufzeit"},
            {"lblEdit", "Edit"}, {"txtAdresse", "1"}, {"lstV24", ""}, {"txtIPAdresse", ""}, {"txtLocalPort", ""},
            {"txtRX", ""}, {"lblStartzeit", ""}, {"lblLaufzeit", ""}, {"DBTabelle", ""}, {"lblLogo", ""}};
        for (const auto &[name, text] : soll) {
            const QList<QWidget *> treffer = f->findChildren<QWidget *>(name);
            QVERIFY2(treffer.size() == 1, name);
            QWidget *w = treffer.first();
            const QVariant ist = w->property("text").isValid() ? w->property("text") : w->property("currentText");
            QCOMPARE(ist.toString(), text);
            if (w->isVisible())
                QVERIFY2(f->rect().contains(QRect(w->mapTo(f, QPoint()), w->size()))
                             && w->width() >= w->minimumSizeHint().width(), name);
        }
    }

    void listen_data()
    {
        QTest::addColumn<QComboBox *>("liste");
        QTest::addColumn<QStringList>("eintraege");
        QTest::addColumn<QString>("gezeigt");
        QTest::newRow("V24") << f->lstV24 << QStringList{} << "";
        QTest::newRow("Baudrate") << f->lstBaudrate << QStringList{"2400", "4800", "9600", "19200", "38400", "57600", "128000"} << "2400";
        QTest::newRow("Parity") << f->lstParity << QStringList{"N", "E", "O", "M", "S"} << "N";
        QTest::newRow("Datenbits") << f->lstDatenbits << QStringList{"6", "7", "8"} << "8";
        QTest::newRow("Stopbits") << f->lstStopbits << QStringList{"1", "2"} << "2";
    }
    // A typed value becomes the text but not a new item.
    void listen()
    {
        QFETCH(QComboBox *, liste); QFETCH(QStringList, eintraege); QFETCH(QString, gezeigt);
        QStringList ist;
        for (int i = 0; i < liste->count(); ++i)
            ist << liste->itemText(i);
        QCOMPARE(ist, eintraege);
        QCOMPARE(liste->currentText(), gezeigt);
        QVERIFY(liste->isEditable());
        liste->lineEdit()->selectAll();
        QTest::keyClicks(liste->lineEdit(), "77\r");
        QCOMPARE(liste->currentText(), "77");
        QCOMPARE(liste->count(), eintraege.size());
        liste->setEditText(gezeigt);
    }

    // The address field's name follows its relabelled label; the tip of "Kontrolle übernehmen" names the address.
    void folgtAdresse()
    {
        f->lblAdresse[0]->setText("ID:");
        QCOMPARE(f->txtAdresse->accessibleName(), "ID");
        f->lblAdresse[0]->setText("Adresse:");
        f->txtAdresse->setFocus();
        f->txtAdresse->selectAll();
        QTest::keyClicks(f->txtAdresse, "1003");
        QCOMPARE(f->btnLok->toolTip(), " übernimmt die Kontrolle über die Lok mit der o.a. ID (aktuell: 1003) ");
        f->txtAdresse->setText("1");
    }

    void gitter()
    {
        Tabellengitter *g = f->DBTabelle;
        QVERIFY(g->verticalHeader()->isHidden() && !g->horizontalHeader()->sectionsMovable());
        QVERIFY(g->horizontalHeader()->length() <= g->viewport()->width());
        QAccessibleTableInterface *tabelle = QAccessible::queryAccessibleInterface(g)->tableInterface();
        QCOMPARE(tabelle->rowCount(), 25);
        QStringList titel;
        for (int s = 0; s < tabelle->columnCount(); ++s)
            titel << tabelle->columnDescription(s);
        QCOMPARE(titel, (QStringList{"Dauer", "Einheit", "Fahrstufe", "Fu", "F1", "F2", "F3", "F4"}));
    }

    // Name, caption and shortcut of each item.
    static QStringList punkte(const QList<QAction *> &aktionen)
    {
        QStringList punkte;
        for (QAction *a : aktionen)
            punkte << a->objectName() + u'|' + (a->isSeparator() ? "-" : a->text()) + u'|' + a->shortcut().toString();
        return punkte;
    }
    // One bar: "&Datei" at its left edge, "&?" and "b&eenden" at its right edge,
    // all three found by assistive technology under their captions.
    void menue()
    {
        QMenuBar *leiste = f->menuBar();
        QVERIFY(!leiste->cornerWidget(Qt::TopRightCorner) && !leiste->cornerWidget(Qt::TopLeftCorner));
        QList<QAction *> punkteDerLeiste = leiste->actions();
        punkteDerLeiste.removeIf([](QAction *a) { return a->isSeparator(); });
        QCOMPARE(punkte(punkteDerLeiste), (QStringList{"mnuDatei|&Datei|", "mnuHilfe|&?|", "mnuBeenden|b&eenden|"}));
        QCOMPARE(punkte(f->mnuDatei->actions()),
                 (QStringList{"mnuDatei_laden|öffnen / laden|Ctrl+L", "mnuDatei_speichern|speichern / sichern           |Ctrl+S",
                              "mnuDatei_L1|-|", "mnuDatei_Beenden|beenden|"}));
        QVERIFY(leiste->actionGeometry(f->mnuDatei->menuAction()).left() < 20);
        QVERIFY(leiste->actionGeometry(f->mnuHilfe).left() > leiste->width() / 2);
        QVERIFY(leiste->actionGeometry(f->mnuBeenden).right() >= leiste->width() - 20);
        QAccessibleInterface *zugang = QAccessible::queryAccessibleInterface(leiste);
        QStringList namen;
        for (int i = 0; i < zugang->childCount(); ++i)
            if (zugang->child(i)->role() != QAccessible::Separator)
                namen << zugang->child(i)->text(QAccessible::Name);
        QCOMPARE(namen, (QStringList{"Datei", "?", "beenden"}));

        QSignalSpy laden(f->mnuDatei_laden, &QAction::triggered);
        QTest::keyClick(f->DBTabelle, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(laden.size(), 1);
        for (const char *punkt : {"mnuBeenden", "mnuDatei_Beenden"}) { // both close the window
            frmTrabolin zweites;
            zweites.show();
            zweites.findChild<QAction *>(punkt)->trigger();
            QVERIFY2(!zweites.isVisible(), punkt);
        }
    }

    // "b&eenden" is reached by the bar's keyboard navigation: Alt, then the arrow keys.
    void menueTastatur()
    {
        frmTrabolin zweites;
        zweites.show();
        QVERIFY(QTest::qWaitForWindowActive(&zweites));
        auto empfaenger = [] {
            return QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
        };
        QTest::keyClick(empfaenger(), Qt::Key_Alt);
        for (QAction *soll : {zweites.mnuHilfe, zweites.mnuBeenden}) {
            QTest::keyClick(empfaenger(), Qt::Key_Right);
            QCOMPARE(zweites.menuBar()->activeAction(), soll);
        }
        QTest::keyClick(empfaenger(), Qt::Key_Return);
        QVERIFY(!zweites.isVisible());
    }

    // Alt+E toggles "Endlosschleife" every time, also from a cell editor; no single
    // key ends the program.
    void altE_data()
    {
        QTest::addColumn<bool>("imEditor");
        QTest::newRow("Fenster") << false;
        QTest::newRow("Zelleneditor") << true;
    }
    void altE()
    {
        QFETCH(bool, imEditor);
        QVERIFY(!imEditor || oeffneZelle());
        const bool vorher = f->chkEndlos->isChecked();
        for (int mal = 1; mal <= 4; ++mal) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
            QCOMPARE(f->chkEndlos->isChecked(), vorher != (mal % 2 == 1));
            QVERIFY(f->isVisible());
        }
    }

    // The stop goes out as the button goes down, once: by mouse, by Space on the
    // focused button, by Alt+O, also from inside a cell editor; not from a
    // disabled button.
    void stoppBeimDruecken_data()
    {
        QTest::addColumn<QString>("weg");
        QTest::addColumn<bool>("aktiv");
        for (const char *weg : {"Maus", "Leertaste", "Alt+O", "Alt+O im Zelleneditor"})
            QTest::newRow(weg) << weg << true;
        QTest::newRow("Maus, gesperrt") << "Maus" << false;
        QTest::newRow("Alt+O, gesperrt") << "Alt+O" << false;
    }
    void stoppBeimDruecken()
    {
        QFETCH(QString, weg); QFETCH(bool, aktiv);
        int piepser = 0;
        f->piepen = [&] { ++piepser; };
        bool &stopp = f->ablauf().zustand().stopp;
        stopp = false;
        f->btnSendStop->setEnabled(aktiv);
        QWidget *ziel = f;
        if (weg == "Leertaste") {
            f->btnSendStop->setFocus();
            ziel = f->btnSendStop;
        } else if (weg.endsWith("Zelleneditor")) {
            ziel = oeffneZelle();
            QVERIFY(ziel);
        }
        const Qt::Key taste = weg == "Leertaste" ? Qt::Key_Space : Qt::Key_O;
        const Qt::KeyboardModifiers mit = weg == "Leertaste" ? Qt::NoModifier : Qt::AltModifier;
        if (weg == "Maus")
            QTest::mousePress(f->btnSendStop, Qt::LeftButton);
        else
            QTest::keyPress(ziel, taste, mit);
        QCOMPARE(stopp, aktiv); // at the press, before any release
        stopp = false;
        if (weg == "Maus")
            QTest::mouseRelease(f->btnSendStop, Qt::LeftButton);
        else
            QTest::keyRelease(ziel, taste, mit);
        QTest::qWait(200); // longer than the delayed click of an access key
        QVERIFY(!stopp);   // no second stop
        QCOMPARE(piepser, 0);
        f->uebernehmeEingabe();
        QCOMPARE(f->tabelle().zelle(1, 1), QString()); // nothing typed into the cell
        f->btnSendStop->setEnabled(false);
        f->piepen = [] {};
    }

    void infobox()
    {
        const Kasten m = fangeKasten([&] { QTest::mouseClick(f->lblLogo, Qt::LeftButton); });
        QCOMPARE(m.titel, " Info über Lokomotiven-Trabolin");
        QCOMPARE(m.symbol, QMessageBox::Information);
        QCOMPARE(m.knoepfe, QMessageBox::Ok);
        QCOMPARE(m.text.split(u'\n'),
                 (QStringList{"Programm:     Lokomotiven-Trabolin",
                              QStringLiteral("Release :       %1.%2").arg(version::major).arg(version::minor), "",
                              QString::fromUtf8(version::copyright), "",
                              "mailto :           " + QString::fromUtf8(version::kommentar)}));
    }
};

QTEST_MAIN(TestFenster)
#include "tst_fenster.moc"

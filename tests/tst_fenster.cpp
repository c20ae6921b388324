// The main window as the user meets it: its controls, the one menu bar with its
// keyboard and assistive access, keys typed into the grid's cells with the text the
// store holds afterwards and the beeps, the line commands with their cursor, Alt+E,
// the stop at the press, the about box.
#include "window/frmTrabolin.h"

#include "helfer/Feld.h"

#include "program/Ablauf.h"
#include "stations/Zentralenregister.h"

#include "Version.h"

#include <QtTest>
#include <QtWidgets>

using namespace trabolin;
using trabolin::test::feld;

namespace {

// Line n of the filled table: Dauer n, Einheit s or M, Fahrstufe 3n, light on odd
// lines (so also on line 25), one of F1 to F4 by the line's last digit, F3 " " otherwise.
QStringList gefuellteZeile(int n)
{
    auto x = [](bool an) { return an ? QStringLiteral("X") : QString(); };
    return {QString::number(n), n % 2 ? "s" : "M", QString::number(3 * n), x(n % 2), x(n % 10 == 1),
            x(n % 10 == 2), n % 10 == 3 ? "X" : " ", x(n % 10 == 4)};
}

// The old lines that end up in lines 1 to 25: "1-12 0 13-24" keeps lines 1 to 12,
// empties line 13, then follow old lines 13 to 24; lines left unnamed at the end
// are empty. "25d" is old line 25 with Dauer, Einheit and Fahrstufe emptied.
QList<QStringList> erwarteteTabelle(const QString &muster)
{
    QList<QStringList> tabelle;
    for (QString teil : muster.split(u' ', Qt::SkipEmptyParts)) {
        const bool ohneZahlen = teil.endsWith(u'd');
        const QStringList bereich = teil.remove(u'd').split(u'-');
        for (int n = bereich[0].toInt(); n <= bereich.last().toInt(); ++n)
            tabelle << (n ? gefuellteZeile(n) : QStringList(anzahlZellen));
        for (int c = 0; ohneZahlen && c < 3; ++c)
            tabelle.last()[c].clear();
    }
    return tabelle << QList<QStringList>(anzahlZeilen - tabelle.size(), QStringList(anzahlZellen));
}

// Keys typed into a cell of line 7 that holds `vorher`, with `ablage` on the clipboard.
struct Eingabe { int spalte; QString vorher, tasten, nachher; int piepser; QString ablage = {}; };
// Buttons clicked one after the other with the cursor on line `start`, the table
// afterwards (as for erwarteteTabelle) and the cursor's line.
struct Befehl { QString knoepfe; int start; QString erwartet; int cursor, piepser = 0; };

} // namespace

class TestFenster : public QObject {
    Q_OBJECT
    QTemporaryDir dir; // no settings file: the window as on the very first start, delete panel open
    frmTrabolin *f = nullptr;
    int piepser = 0;

    void setzeCursor(int zeile, int spalte)
    {
        feld<Tabellengitter>(*f, "DBTabelle")->setCurrentIndex(f->tabelle().index(zeile - 1, spalte));
        feld<Tabellengitter>(*f, "DBTabelle")->setFocus();
    }
    // Types on whatever has the focus (the first key opens the grid's cell editor), word
    // by word: a key name ("F2", "Esc", "Space", "Alt+K", "Ctrl+V") is one key, "Ime:ê"
    // text an input method composes, "Drop:j" text dropped with the mouse; anything else
    // is typed character by character.
    static void tippe(const QString &tasten)
    {
        for (const QString &wort : tasten.split(u' ', Qt::SkipEmptyParts)) {
            QWidget *ziel = QApplication::focusWidget();
            const QString text = wort.section(u':', 1);
            if (wort.contains(u'+') || wort == "F2" || wort == "Esc" || wort == "Space") {
                const QKeyCombination k = QKeySequence::fromString(wort)[0];
                QTest::keyClick(ziel, k.key(), k.keyboardModifiers());
            } else if (wort.startsWith("Ime:")) {
                QInputMethodEvent komponiert;
                komponiert.setCommitString(text);
                QApplication::sendEvent(ziel, &komponiert);
            } else if (wort.startsWith("Drop:")) {
                QMimeData daten;
                daten.setText(text);
                QDragEnterEvent ziehen(QPoint(2, 2), Qt::CopyAction, &daten, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(ziel, &ziehen);
                QDropEvent ablegen(QPointF(2, 2), Qt::CopyAction, &daten, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(ziel, &ablegen);
            } else {
                for (QChar c : wort)
                    QTest::keyClick(QApplication::focusWidget(), char(c.unicode())); // the editor after the first
            }
        }
    }

private slots:
    void initTestCase()
    {
        f = new frmTrabolin(nullptr, dir.path());
        f->piepen = [this] { ++piepser; };
        f->show();
    }
    void cleanupTestCase() { delete f; }
    void init()
    {
        piepser = 0;
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
    }
    void cleanup()
    {
        QCoreApplication::processEvents(); // Enter closes its editor a moment later
        feld<Tabellengitter>(*f, "DBTabelle")->uebernehmeEingabe();
        f->tabelle().leeren();
    }

    // Every control exists under its caption, inside the window and not squeezed
    // below the size its text needs.
    void steuerelemente()
    {
        QCOMPARE(f->windowTitle(), " Lokomotiven-Trabolin");
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
            {"lblDauerGesamtTitel", "Dauer gesamt"}, {"lblNochTitel", "noch"}, {"imgFahrbild", ""},
            {"lblEdit", "Edit"}, {"lblRelease", QStringLiteral("Rel. %1.%2.%3").arg(version::major).arg(version::minor).arg(version::revision)}, {"txtAdresse", "1"}, {"lstV24", ""}, {"txtIPAdresse", ""},
            {"txtLocalPort", ""}, {"txtRX", ""}, {"lblStartzeit", ""}, {"lblLaufzeit", ""}, {"DBTabelle", ""}, {"lblLogo", ""}};
        for (const auto &[name, text] : soll) {
            QWidget *w = feld<QWidget>(*f, name);
            QCOMPARE(test::anzeigen(*f, {name}).first(), text);
            if (w->isVisible())
                QVERIFY2(f->rect().contains(QRect(w->mapTo(f, QPoint()), w->size()))
                             && w->width() >= w->minimumSizeHint().width(), name);
        }
    }

    // "Dauer gesamt" follows the table, the station, the current line and "Endlosschleife";
    // during a run "noch" counts down and the line driven is marked, afterwards neither.
    void fahrzeiten()
    {
        const QStringList demo{"5,S,30,X", "5,S,80,X", "4,S,80,X", "5,s,40,X", "5,s,15,X"};
        for (int i = 0; i < demo.size(); ++i)
            for (int c = 0; c < 4; ++c)
                f->tabelle().setzeZelle(i + 1, c + 1, demo[i].section(u',', c, c));
        f->tabelle().setzeAktuelleZeile(1);
        QCOMPARE(feld<QLabel>(*f, "lblDauerGesamt")->text(), "0:25");
        QCOMPARE(feld<QWidget>(*f, "imgFahrbild")->toolTip(), "5 Zeilen, 0:25 min, höchste Fahrstufe 80");
        feld<QRadioButton>(*f, "optZentrale_1")->setChecked(true);
        QCOMPARE(feld<QLabel>(*f, "lblDauerGesamt")->text(), "0:24");
        f->tabelle().setzeAktuelleZeile(3);
        feld<QCheckBox>(*f, "chkEndlos")->setChecked(true);
        QCOMPARE(feld<QLabel>(*f, "lblDauerGesamt")->text(), "0:14 je Durchlauf");
        feld<QCheckBox>(*f, "chkEndlos")->setChecked(false);

        // On the 6021 with its port closed: 500 ms, the line's second, the 500 ms of the end.
        f->tabelle().leeren();
        f->tabelle().setzeZelle(1, 1, "1");
        f->tabelle().setzeZelle(1, 2, "s");
        f->tabelle().setzeAktuelleZeile(1);
        feld<QRadioButton>(*f, "optZentrale_0")->setChecked(true);
        QString noch;
        int markiert = 0;
        QTimer::singleShot(300, this, [&] {
            noch = feld<QLabel>(*f, "lblNoch")->text();
            markiert = feld<Tabellengitter>(*f, "DBTabelle")->laufzeile();
        });
        f->ablauf().btnStart_Click();
        QVERIFY(QTest::qWaitFor([&] { return !f->ablauf().laeuft(); }, 10000));
        feld<QRadioButton>(*f, "optZentrale_2")->setChecked(true);
        QCOMPARE(noch, "0:01");
        QCOMPARE(markiert, 1);
        QCOMPARE(feld<QLabel>(*f, "lblNoch")->text(), "");
        QCOMPARE(feld<Tabellengitter>(*f, "DBTabelle")->laufzeile(), 0);
    }

    // Each serial list takes a typed value as its text without adding it as an item.
    void listen()
    {
        for (QComboBox *liste :
             test::felder<QComboBox>(*f, {"lstV24", "lstBaudrate", "lstParity", "lstDatenbits", "lstStopbits"})) {
            const QString vorher = liste->currentText();
            const int anzahl = liste->count();
            QVERIFY2(liste->isEditable(), qPrintable(liste->objectName()));
            liste->lineEdit()->selectAll();
            QTest::keyClicks(liste->lineEdit(), "77\r");
            QCOMPARE(liste->currentText(), "77");
            QCOMPARE(liste->count(), anzahl);
            liste->setEditText(vorher);
        }
    }

    // The address field's name follows its relabelled label; the tip of "Kontrolle übernehmen" names the address.
    void folgtAdresse()
    {
        auto *adresse = feld<QLineEdit>(*f, "txtAdresse");
        feld<QLabel>(*f, "lblAdresse_0")->setText("ID:");
        QCOMPARE(adresse->accessibleName(), "ID");
        feld<QLabel>(*f, "lblAdresse_0")->setText("Adresse:");
        adresse->setFocus();
        adresse->selectAll();
        QTest::keyClicks(adresse, "1003");
        QCOMPARE(feld<QPushButton>(*f, "btnLok")->toolTip(),
                 " übernimmt die Kontrolle über die Lok mit der o.a. ID (aktuell: 1003) ");
        adresse->setText("1");
    }

    void gitter()
    {
        Tabellengitter *g = feld<Tabellengitter>(*f, "DBTabelle");
        QVERIFY(g->horizontalHeader()->length() <= g->viewport()->width());
        QAccessibleTableInterface *tabelle = QAccessible::queryAccessibleInterface(g)->tableInterface();
        QCOMPARE(tabelle->rowCount(), 25);
        QStringList titel;
        for (int s = 0; s < tabelle->columnCount(); ++s)
            titel << tabelle->columnDescription(s);
        QCOMPARE(titel, (QStringList{"Dauer", "Einheit", "Fahrstufe", "Fu", "F1", "F2", "F3", "F4"}));
        // The units, told where they are typed.
        const QString tipp = g->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString();
        QVERIFY2(tipp.contains(QStringLiteral("K/k fährt, bis der Kontakt mit der Nummer unter \"Dauer\" belegt meldet")),
                 qPrintable(tipp));
    }

    // One bar: "&Datei" and "Fa&hrprogramm" at its left edge, "&?" and "b&eenden" at
    // its right edge, all found by assistive technology under their captions.
    void menue()
    {
        QMenuBar *leiste = f->menuBar();
        QVERIFY(!leiste->cornerWidget(Qt::TopRightCorner) && !leiste->cornerWidget(Qt::TopLeftCorner));
        QStringList punkte;
        for (QAction *a : leiste->actions() + feld<QMenu>(*f, "mnuDatei")->actions())
            if (!a->isSeparator())
                punkte << a->text() + u'|' + a->shortcut().toString();
        QCOMPARE(punkte, (QStringList{"&Datei|", "Fa&hrprogramm|", "&?|", "b&eenden|", "öffnen / laden|Ctrl+L",
                                      "speichern / sichern           |Ctrl+S", "beenden|"}));
        QVERIFY(leiste->actionGeometry(feld<QMenu>(*f, "mnuDatei")->menuAction()).left() < 20);
        QVERIFY(leiste->actionGeometry(feld<QMenu>(*f, "mnuFahrprogramm")->menuAction()).right() < leiste->width() / 2);
        QVERIFY(leiste->actionGeometry(feld<QAction>(*f, "mnuHilfe")).left() > leiste->width() / 2);
        QVERIFY(leiste->actionGeometry(feld<QAction>(*f, "mnuBeenden")).right() >= leiste->width() - 20);
        QAccessibleInterface *zugang = QAccessible::queryAccessibleInterface(leiste);
        QStringList namen;
        for (int i = 0; i < zugang->childCount(); ++i)
            if (zugang->child(i)->role() != QAccessible::Separator)
                namen << zugang->child(i)->text(QAccessible::Name);
        QCOMPARE(namen, (QStringList{"Datei", "Fahrprogramm", "?", "beenden"}));

        QSignalSpy laden(feld<QAction>(*f, "mnuDatei_laden"), &QAction::triggered);
        QTest::keyClick(feld<Tabellengitter>(*f, "DBTabelle"), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(laden.size(), 1);
        frmTrabolin zweites; // "beenden" in "Datei" closes the window too
        zweites.show();
        feld<QAction>(zweites, "mnuDatei_Beenden")->trigger();
        QVERIFY(!zweites.isVisible());
    }

    // "b&eenden" is reached by the bar's keyboard navigation: Alt, then the arrow keys.
    void menueTastatur_data()
    {
        QTest::addColumn<int>("taste");
        QTest::newRow("Alt") << int(Qt::Key_Alt);
        QTest::newRow("F10") << int(Qt::Key_F10);
    }
    void menueTastatur()
    {
        QFETCH(int, taste);
        frmTrabolin zweites;
        zweites.show();
        QVERIFY(QTest::qWaitForWindowActive(&zweites));
        auto empfaenger = [] {
            return QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
        };
        QTest::keyClick(empfaenger(), Qt::Key(taste));
        QMenuBar *leiste = zweites.menuBar();
        QVERIFY(leiste->activeAction());
        // The current item is drawn marked, so the user sees what Enter opens.
        const QImage punkt = leiste->grab(leiste->actionGeometry(leiste->activeAction())).toImage();
        const QRgb hervorgehoben = leiste->palette().color(QPalette::Highlight).rgb();
        int markiert = 0;
        for (int y = 0; y < punkt.height(); ++y)
            for (int x = 0; x < punkt.width(); ++x)
                markiert += punkt.pixel(x, y) == hervorgehoben;
        QVERIFY2(markiert > punkt.width() * punkt.height() / 3, qPrintable(QString::number(markiert)));
        // The arrow keys pass "&?" on the way to "b&eenden".
        QList<QAction *> weg;
        for (int i = 0; i < 4 && leiste->activeAction() != feld<QAction>(zweites, "mnuBeenden"); ++i) {
            QTest::keyClick(empfaenger(), Qt::Key_Right);
            weg << leiste->activeAction();
        }
        QVERIFY(weg.contains(feld<QAction>(zweites, "mnuHilfe")));
        QCOMPARE(weg.last(), feld<QAction>(zweites, "mnuBeenden"));
        QTest::keyClick(empfaenger(), Qt::Key_Return);
        QVERIFY(!zweites.isVisible());
    }

    // Alt+E toggles "Endlosschleife" every time; no single key ends the program.
    void altE()
    {
        const bool vorher = feld<QCheckBox>(*f, "chkEndlos")->isChecked();
        for (int mal = 1; mal <= 4; ++mal) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
            QCOMPARE(feld<QCheckBox>(*f, "chkEndlos")->isChecked(), vorher != (mal % 2 == 1));
            QVERIFY(f->isVisible());
        }
    }

    // Whatever station is chosen, each access key belongs to one control shown at the
    // time; only the bar's "b&eenden" leaves its E to "&Endlosschleife" (altE).
    void zugriffstasten()
    {
        for (int i = 0; i < int(zentralenregister().size()); ++i) {
            feld<QRadioButton>(*f, "optZentrale", i)->setChecked(true);
            QStringList texte;
            for (QAbstractButton *k : f->findChildren<QAbstractButton *>())
                texte << (k->isVisible() ? k->text() : QString());
            for (QLabel *l : f->findChildren<QLabel *>())
                texte << (l->isVisible() && l->buddy() ? l->text() : QString());
            for (QAction *a : f->menuBar()->actions())
                texte << (a != feld<QAction>(*f, "mnuBeenden") ? a->text() : QString());
            QMap<QString, QString> besitzer;
            for (const QString &text : texte) {
                const QString taste = QKeySequence::mnemonic(text).toString();
                QVERIFY2(taste.isEmpty() || !besitzer.contains(taste), qPrintable(besitzer.value(taste) + " / " + text));
                besitzer.insert(taste, text);
            }
        }
        feld<QRadioButton>(*f, "optZentrale", startoption())->setChecked(true);
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
        QTest::newRow("Alt+O, gesperrt") << "Alt+O" << false;
    }
    void stoppBeimDruecken()
    {
        QFETCH(QString, weg); QFETCH(bool, aktiv);
        bool &stopp = f->ablauf().zustand().stopp;
        stopp = false;
        auto *knopf = feld<QPushButton>(*f, "btnSendStop");
        knopf->setEnabled(aktiv);
        QWidget *ziel = f;
        if (weg == "Leertaste") {
            knopf->setFocus();
            ziel = knopf;
        } else if (weg.endsWith("Zelleneditor")) {
            setzeCursor(1, 0);
            tippe("F2");
            QVERIFY(ziel = feld<Tabellengitter>(*f, "DBTabelle")->offenerEditor());
        }
        const Qt::Key taste = weg == "Leertaste" ? Qt::Key_Space : Qt::Key_O;
        const Qt::KeyboardModifiers mit = weg == "Leertaste" ? Qt::NoModifier : Qt::AltModifier;
        if (weg == "Maus")
            QTest::mousePress(knopf, Qt::LeftButton);
        else
            QTest::keyPress(ziel, taste, mit);
        QCOMPARE(stopp, aktiv); // at the press, before any release
        stopp = false;
        if (weg == "Maus")
            QTest::mouseRelease(knopf, Qt::LeftButton);
        else
            QTest::keyRelease(ziel, taste, mit);
        QTest::qWait(200); // longer than the delayed click of an access key
        QVERIFY(!stopp);   // no second stop
        QCOMPARE(piepser, 0);
        feld<Tabellengitter>(*f, "DBTabelle")->uebernehmeEingabe();
        QCOMPARE(f->tabelle().zelle(1, 1), QString()); // nothing typed into the cell
        knopf->setEnabled(false);
    }

    // A click on the logo shows the about box.
    void infobox()
    {
        QString gesehen;
        QTimer wache;
        connect(&wache, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                gesehen = box->windowTitle() + u'|' + box->text().section(u'\n', 0, 0);
                box->done(QMessageBox::Ok);
            }
        });
        wache.start(10);
        QTest::mouseClick(feld<QLabel>(*f, "lblLogo"), Qt::LeftButton);
        QCOMPARE(gesehen, " Info über Lokomotiven-Trabolin|Programm:     Lokomotiven-Trabolin");
    }

    void tasten_data()
    {
        QTest::addColumn<Eingabe>("e");
        auto z = [](const char *name, const Eingabe &e) { QTest::newRow(name) << e; };
        z("Dauer: dritte Ziffer", {0, "", "123", "12", 0}), z("Dauer: Buchstabe zuerst", {0, "12", "a", "12", 1});
        z("Dauer: Rücktaste", {0, "", "12\b", "1", 0}), z("Einheit: Ziffer piept", {1, "", "5", "", 1});
        z("Einheit: M bleibt M", {1, "", "M", "M", 0}), z("Einheit: k für Kontakt", {1, "", "k", "k", 0});
        z("Einheit: x piept", {1, "", "x", "", 1}), z("Fahrstufe: 999", {2, "", "999", "999", 0});
        z("Fahrstufe: vierte Ziffer", {2, "", "9990", "999", 0}), z("Fahrstufe: - und . piepen", {2, "", "-1.5", "15", 2});
        z("F3: j wird X", {6, "", "j", "X", 0}), z("F3: k piept, Zelle bleibt", {6, "X", "k", "X", 1});
        z("F3: Leerzeichen", {6, "X", "Space", " ", 0}), z("F2: o, dann a: nur ein X", {5, "", "oa", "X", 0});
        // keys with Alt or Meta type nothing, also where the character itself would pass
        // (Alt+5 in "Dauer", Meta+x); AltGr, reported as Ctrl+Alt on some systems, types through the check
        z("F3: Alt+k", {6, "", "F2 Alt+K", "", 1}), z("Einheit: Alt+5", {1, "", "F2 Alt+5", "", 1});
        z("Dauer: Alt+5", {0, "", "F2 Alt+5", "", 1}), z("Fu: Meta+x", {3, "", "F2 Meta+X", "", 1});
        z("F3: AltGr+j wird X", {6, "", "F2 Ctrl+Alt+J", "X", 0});
        z("Escape piept, Eingabe bleibt offen", {0, "", "4 Esc 2", "42", 1});
        // a paste goes through the check and the column's length, or is refused whole
        z("Dauer: Strg+V x9", {0, "", "1 Ctrl+V", "1", 1, "x9"}), z("Dauer: Strg+V zu lang", {0, "", "F2 Ctrl+V", "12", 0, "123"});
        z("Einheit: Umschalt+Einfg 5", {1, "", "F2 Shift+Ins", "", 1, "5"});
        z("F3: Strg+V j wird X", {6, "", "F2 Ctrl+V", "X", 0, "j"});
        // text that reaches the open editor without a key passes the same check
        z("F3: komponiert j wird X", {6, "", "F2 Ime:j", "X", 0}), z("Einheit: komponiert ê", {1, "", "F2 Ime:ê", "", 1});
        z("F3: abgelegt j wird X", {6, "", "F2 Drop:j", "X", 0}), z("Einheit: abgelegt ê", {1, "", "F2 Drop:ê", "", 1});
    }
    // Beside a "W" or "w" the "Dauer" takes four digits (a distance in cm); beside any
    // other unit two, as always. A unit other than "W" or "w" beside a longer "Dauer"
    // beeps and the unit stays.
    void streckentasten_data()
    {
        QTest::addColumn<QString>("dauer");   // of line 7 before
        QTest::addColumn<QString>("einheit"); // of line 7 before
        QTest::addColumn<Eingabe>("e");       // `vorher` unused
        auto z = [](const char *name, const char *dauer, const char *einheit, const Eingabe &e) {
            QTest::newRow(name) << QString(dauer) << QString(einheit) << e;
        };
        z("W: vier Ziffern", "", "W", {0, "", "12345", "1234", 0}), z("w: vier Ziffern", "", "w", {0, "", "0150", "0150", 0});
        z("S: weiter zwei", "", "S", {0, "", "1234", "12", 0}), z("k: weiter zwei", "", "k", {0, "", "123", "12", 0});
        z("Einheit w", "", "", {1, "", "w", "w", 0}), z("1200 mit W: s piept", "1200", "W", {1, "", "F2 Ctrl+A s", "W", 1});
        z("1200 mit W: w geht", "1200", "W", {1, "", "F2 Ctrl+A w", "w", 0});
    }
    void streckentasten()
    {
        QFETCH(QString, dauer);
        QFETCH(QString, einheit);
        QFETCH(Eingabe, e);
        f->tabelle().setzeZelle(7, 1, dauer);
        f->tabelle().setzeZelle(7, 2, einheit);
        setzeCursor(7, e.spalte);
        tippe(e.tasten);
        QCOMPARE(piepser, e.piepser);
        feld<Tabellengitter>(*f, "DBTabelle")->uebernehmeEingabe();
        QCOMPARE(f->tabelle().zelle(7, e.spalte + 1), e.nachher);
        f->tabelle().setzeZelle(7, 1, QString());
        f->tabelle().setzeZelle(7, 2, QString());
    }

    void tasten()
    {
        QFETCH(Eingabe, e);
        QApplication::clipboard()->setText(e.ablage.isEmpty() ? "-" : e.ablage); // what a paste would insert
        f->tabelle().setzeZelle(7, e.spalte + 1, e.vorher);
        setzeCursor(7, e.spalte);
        tippe(e.tasten);
        QCOMPARE(piepser, e.piepser);
        feld<Tabellengitter>(*f, "DBTabelle")->uebernehmeEingabe();
        QCOMPARE(f->tabelle().zelle(7, e.spalte + 1), e.nachher);
        QCOMPARE(f->tabelle().zelle(8, e.spalte + 1), QString());
    }

    // The store holds the typed text as soon as the user leaves the cell or starts a
    // command from inside it.
    void eingabeUebernommen_data()
    {
        QTest::addColumn<QString>("weg");
        for (const char *weg : {"Enter", "Tab", "Zugriffstaste", "Menü"})
            QTest::newRow(weg) << weg;
    }
    void eingabeUebernommen()
    {
        QFETCH(QString, weg);
        QString gesehen = "(kein Befehl)";
        QObject verbindungen; // ends the connections with this test
        auto befehl = [&] { gesehen = f->tabelle().zelle(4, 1); };
        connect(feld<QPushButton>(*f, "btnPower_0"), &QPushButton::clicked, &verbindungen, befehl);
        connect(feld<QAction>(*f, "mnuDatei_laden"), &QAction::triggered, &verbindungen, befehl);
        setzeCursor(4, 0);
        tippe("42");
        QCOMPARE(f->tabelle().zelle(4, 1), QString()); // still in the editor
        if (weg == "Enter" || weg == "Tab") {
            QTest::keyClick(QApplication::focusWidget(), weg == "Enter" ? Qt::Key_Return : Qt::Key_Tab);
            befehl();
        } else if (weg == "Zugriffstaste")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier); // "Power of&f"
        else
            feld<QAction>(*f, "mnuDatei_laden")->trigger();
        QTRY_COMPARE(gesehen, "42"); // an access key clicks its button a moment later
        QCOMPARE(piepser, 0);
    }

    // Next to each edge and at it; a move beeps only at the very edge: line 1 up, line 25 down.
    void zeilenbefehle_data()
    {
        QTest::addColumn<Befehl>("b");
        auto z = [](const Befehl &b) { QTest::addRow("%s auf %d", qPrintable(b.knoepfe), b.start) << b; };
        z({"btnInsertLine", 13, "1-12 0 13-24", 13}), z({"btnInsertLine", 25, "1-24", 25});
        // "Zeile löschen" empties only the numbers of line 25, its function cells stay
        z({"btnDeleteLine", 13, "1-12 14-25 25d", 13}), z({"btnDeleteLine", 25, "1-24 25d", 25});
        z({"btnLineUp", 1, "1-25", 1, 1}), z({"btnLineUp", 2, "2 1 3-25", 1});
        z({"btnLineDown", 24, "1-23 25 24", 25}), z({"btnLineDown", 25, "1-25", 25, 1});
        z({"btnDelZeile", 13, "1-12 0 14-25", 13}), z({"btnDelTabelle", 13, "", 13});
        // from line 1, "Zeile + folgende" empties the whole table, as "Tabelle" does
        z({"btnDelFolgende", 1, "", 1}), z({"btnDelFolgende", 13, "1-12", 13});
    }
    void zeilenbefehle()
    {
        QFETCH(Befehl, b);
        for (int n = 1; n <= anzahlZeilen; ++n)
            for (int c = 1; c <= anzahlZellen; ++c)
                f->tabelle().setzeZelle(n, c, gefuellteZeile(n)[c - 1]);
        setzeCursor(b.start, 2);
        for (const QString &name : b.knoepfe.split(u' ')) {
            auto *k = f->findChild<QPushButton *>(name);
            QVERIFY(k && k->isVisible());
            QTest::mouseClick(k, Qt::LeftButton);
        }
        QCOMPARE(piepser, b.piepser);
        QList<QStringList> alle(anzahlZeilen, QStringList(anzahlZellen));
        for (int n = 1; n <= anzahlZeilen; ++n)
            for (int c = 1; c <= anzahlZellen; ++c)
                alle[n - 1][c - 1] = f->tabelle().zelle(n, c);
        QCOMPARE(alle, erwarteteTabelle(b.erwartet));
        QCOMPARE(feld<Tabellengitter>(*f, "DBTabelle")->currentIndex(), f->tabelle().index(b.cursor - 1, 2));
    }

    // Closed by the space bar on the focused label, opened again by a click.
    void loeschpanelUmschalten()
    {
        auto *lblDel = feld<QLabel>(*f, "lblDel");
        auto *pnlDel = feld<QFrame>(*f, "pnlDel");
        lblDel->setFocus();
        for (bool offen : {false, true}) {
            if (offen)
                QTest::mouseClick(lblDel, Qt::LeftButton);
            else
                QTest::keyClick(lblDel, Qt::Key_Space);
            QCOMPARE(pnlDel->height(), offen ? frmTrabolin::pnlDelOffen : frmTrabolin::pnlDelZu);
            QCOMPARE(lblDel->text(), offen ? "Löschen" : "Löschen ...");
            // whole inside the open panel
            for (QPushButton *k : test::felder<QPushButton>(*f, {"btnDelZeile", "btnDelFolgende", "btnDelTabelle"}))
                QVERIFY(k->isVisible() == offen && (!offen || pnlDel->rect().contains(k->geometry())));
        }
    }
};

QTEST_MAIN(TestFenster)
#include "tst_fenster.moc"

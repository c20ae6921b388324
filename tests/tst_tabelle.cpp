// The driving-program grid as the user meets it: keys typed into cells, the text
// the store holds afterwards, beeps, and the line commands with their cursor.
#include "storage/Dateiformat.h"
#include "window/frmTrabolin.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

using namespace trabolin;

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

// One key event as a keyboard sends it: "Alt+K" sends K with Alt and the text "k";
// "AltGr+@" sends the character with Ctrl+Alt, as some systems report AltGr.
QKeyEvent tastenereignis(const QString &name)
{
    if (name.startsWith("AltGr+")) {
        const QChar c = name.back();
        return {QEvent::KeyPress, c.toUpper().unicode(), Qt::ControlModifier | Qt::AltModifier, QString(c)};
    }
    const QKeyCombination k = QKeySequence::fromString(name)[0];
    const int taste = k.key();
    QString text;
    if ((taste >= Qt::Key_A && taste <= Qt::Key_Z) || (taste >= Qt::Key_0 && taste <= Qt::Key_9))
        text = QChar(taste).toLower();
    else if (taste == Qt::Key_Space)
        text = " ";
    else if (taste == Qt::Key_Escape)
        text = "\x1b";
    else if (taste == Qt::Key_Backspace)
        text = "\b";
    return {QEvent::KeyPress, taste, k.keyboardModifiers(), text};
}

} // namespace

class TestTabelle : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    frmTrabolin *f = nullptr;
    int piepser = 0;

    void setzeCursor(int zeile, int spalte)
    {
        f->DBTabelle->setCurrentIndex(f->tabelle().index(zeile - 1, spalte));
        f->DBTabelle->setFocus();
    }
    // Types on whatever has the focus: the first key goes to the grid and opens the
    // cell editor, the following ones go into that editor. Words separated by blanks:
    // a key name ("F2", "Esc", "Alt+K", "Ctrl+V", "Shift+Ins", "AltGr+@") is one key,
    // anything else is typed character by character.
    static void tippe(const QString &tasten)
    {
        for (const QString &wort : tasten.split(u' ', Qt::SkipEmptyParts)) {
            if (wort.size() > 1 && (wort.contains(u'+') || wort == "F2" || wort == "Esc" || wort == "Backspace" || wort == "Tab" || wort == "Space")) {
                const QKeyEvent k = tastenereignis(wort);
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(k.key()), k.text(), k.modifiers());
                continue;
            }
            for (QChar c : wort)
                QTest::keyClick(QApplication::focusWidget(), char(c.unicode()));
        }
    }
    void fuelleTabelle()
    {
        for (int n = 1; n <= anzahlZeilen; ++n)
            for (int c = 1; c <= anzahlZellen; ++c)
                f->tabelle().setzeZelle(n, c, gefuellteZeile(n)[c - 1]);
    }
    QList<QStringList> alleZeilen() const
    {
        QList<QStringList> alle(anzahlZeilen, QStringList(anzahlZellen));
        for (int n = 1; n <= anzahlZeilen; ++n)
            for (int c = 1; c <= anzahlZellen; ++c)
                alle[n - 1][c - 1] = f->tabelle().zelle(n, c);
        return alle;
    }

private slots:
    void init()
    {
        piepser = 0;
        // A complete start-up: the delete panel starts closed.
        dir = std::make_unique<QTemporaryDir>();
        Einstellungen grund;
        grund.zentrale = QStringLiteral("Ecos");
        QFile ini(dir->filePath(QStringLiteral("Trabolin.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(schreibeEinstellungen(grund)) > 0);
        ini.close();
        f = new frmTrabolin(nullptr, dir->path());
        f->piepen = [this] { ++piepser; };
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f));
    }
    void cleanup() { delete f; }

    void tasten_data()
    {
        QTest::addColumn<Eingabe>("e");
        auto z = [](const char *name, const Eingabe &e) { QTest::newRow(name) << e; };
        z("Dauer: dritte Ziffer", {0, "", "123", "12", 0}), z("Dauer: - und . piepen", {0, "", "-1.5", "15", 2});
        z("Dauer: Buchstabe zuerst", {0, "12", "a", "12", 1}), z("Dauer: Rücktaste", {0, "", "12\b", "1", 0});
        z("Einheit: Ziffer piept", {1, "", "5", "", 1}), z("Einheit: M bleibt M", {1, "", "M", "M", 0});
        z("Fahrstufe: 999", {2, "", "999", "999", 0}), z("Fahrstufe: vierte Ziffer", {2, "", "9990", "999", 0});
        z("Fahrstufe: - und . piepen", {2, "", "-1.5", "15", 2});
        z("F3: j wird X", {6, "", "j", "X", 0}), z("F3: k piept, Zelle bleibt", {6, "X", "k", "X", 1});
        z("F3: Leerzeichen", {6, "X", "Space", " ", 0}), z("F2: o, dann a: nur ein X", {5, "", "oa", "X", 0});
        // keys with Alt or Meta type nothing; AltGr (Ctrl+Alt) types through the check
        z("F3: Alt+k", {6, "", "F2 Alt+K", "", 1}), z("Einheit: Alt+5", {1, "", "F2 Alt+5", "", 1});
        z("Dauer: Alt+5", {0, "", "F2 Alt+5", "", 1}), z("Fu: Meta+x", {3, "", "F2 Meta+X", "", 1});
        z("Dauer: AltGr+@", {0, "", "F2 AltGr+@", "", 1}), z("F3: AltGr+j wird X", {6, "", "F2 AltGr+j", "X", 0});
        z("Escape piept, Eingabe bleibt offen", {0, "", "4 Esc 2", "42", 1});
        // a paste goes through the check and the column's length, or is refused whole
        z("Dauer: Strg+V 7", {0, "", "1 Ctrl+V", "17", 0, "7"}), z("Dauer: Strg+V x9", {0, "", "1 Ctrl+V", "1", 1, "x9"});
        z("Dauer: Strg+V zu lang", {0, "", "F2 Ctrl+V", "12", 0, "123"});
        z("Einheit: Umschalt+Einfg 5", {1, "", "F2 Shift+Ins", "", 1, "5"});
        z("F3: Strg+V j wird X", {6, "", "F2 Ctrl+V", "X", 0, "j"});
    }
    void tasten()
    {
        QFETCH(Eingabe, e);
        QApplication::clipboard()->setText(e.ablage.isEmpty() ? "-" : e.ablage); // what a paste would insert
        f->tabelle().setzeZelle(7, e.spalte + 1, e.vorher);
        setzeCursor(7, e.spalte);
        tippe(e.tasten);
        QCOMPARE(piepser, e.piepser);
        f->uebernehmeEingabe();
        QCOMPARE(f->tabelle().zelle(7, e.spalte + 1), e.nachher);
        QCOMPARE(f->tabelle().zelle(8, e.spalte + 1), QString());
    }

    // Text that reaches the open editor without a key passes the same check.
    void einfuegen_data()
    {
        QTest::addColumn<QString>("weg");
        QTest::addColumn<int>("spalte");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("nachher");
        for (const char *weg : {"paste()", "Eingabemethode", "Ablegen"}) {
            QTest::addRow("%s: k in F3", weg) << weg << 6 << "k" << "";
            QTest::addRow("%s: j in F3", weg) << weg << 6 << "j" << "X";
            QTest::addRow("%s: ê in Einheit", weg) << weg << 1 << "ê" << "";
            QTest::addRow("%s: 59 in Dauer", weg) << weg << 0 << "59" << "59";
        }
    }
    void einfuegen()
    {
        QFETCH(QString, weg); QFETCH(int, spalte); QFETCH(QString, text); QFETCH(QString, nachher);
        setzeCursor(7, spalte);
        tippe("F2");
        QLineEdit *editor = f->DBTabelle->offenerEditor();
        QVERIFY(editor);
        if (weg == "paste()") {
            QApplication::clipboard()->setText(text);
            editor->paste();
        } else if (weg == "Eingabemethode") { // a dead key and a letter, composed
            QInputMethodEvent komponiert;
            komponiert.setCommitString(text);
            QApplication::sendEvent(editor, &komponiert);
        } else {
            QMimeData daten;
            daten.setText(text);
            QDragEnterEvent ziehen(QPoint(2, 2), Qt::CopyAction, &daten, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(editor, &ziehen);
            QDropEvent ablegen(QPointF(2, 2), Qt::CopyAction, &daten, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(editor, &ablegen);
        }
        QCOMPARE(piepser, nachher.isEmpty() ? 1 : 0);
        f->uebernehmeEingabe();
        QCOMPARE(f->tabelle().zelle(7, spalte + 1), nachher);
    }

    // The store holds the typed text as soon as the user leaves the cell or starts a
    // command, however the command is started.
    void eingabeUebernommen_data()
    {
        QTest::addColumn<QString>("weg");
        for (const char *weg : {"Enter", "Tab", "Pfeil", "Klick", "Zugriffstaste", "Menü"})
            QTest::newRow(weg) << weg;
    }
    void eingabeUebernommen()
    {
        QFETCH(QString, weg);
        QString gesehen = "(kein Befehl)";
        auto befehl = [&] { gesehen = f->tabelle().zelle(4, 1); };
        connect(f->btnPower[0], &QPushButton::clicked, this, befehl);
        connect(f->mnuDatei_laden, &QAction::triggered, this, befehl);
        setzeCursor(4, 0);
        tippe("42");
        QCOMPARE(f->tabelle().zelle(4, 1), QString()); // still in the editor
        if (weg == "Enter" || weg == "Tab" || weg == "Pfeil") {
            QTest::keyClick(QApplication::focusWidget(), weg == "Enter" ? Qt::Key_Return : weg == "Tab" ? Qt::Key_Tab : Qt::Key_Down);
            befehl();
        } else if (weg == "Klick")
            QTest::mouseClick(f->btnPower[0], Qt::LeftButton);
        else if (weg == "Zugriffstaste")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier); // "Power of&f"
        else
            f->mnuDatei_laden->trigger();
        QTRY_COMPARE(gesehen, "42"); // an access key clicks its button a moment later
        QCOMPARE(piepser, 0);
    }

    void zeilenbefehle_data()
    {
        QTest::addColumn<Befehl>("b");
        auto z = [](const Befehl &b) { QTest::addRow("%s auf %d", qPrintable(b.knoepfe), b.start) << b; };
        z({"btnInsertLine", 1, "0 1-24", 1}), z({"btnInsertLine", 13, "1-12 0 13-24", 13}), z({"btnInsertLine", 25, "1-24", 25});
        // "Zeile löschen" empties only the numbers of line 25, its function cells stay
        z({"btnDeleteLine", 1, "2-25 25d", 1}), z({"btnDeleteLine", 13, "1-12 14-25 25d", 13}), z({"btnDeleteLine", 25, "1-24 25d", 25});
        // a move beeps only at the very edge: line 1 up, line 25 down
        z({"btnLineUp", 1, "1-25", 1, 1}), z({"btnLineUp", 2, "2 1 3-25", 1}), z({"btnLineUp", 25, "1-23 25 24", 24});
        z({"btnLineDown", 1, "2 1 3-25", 2}), z({"btnLineDown", 24, "1-23 25 24", 25}), z({"btnLineDown", 25, "1-25", 25, 1});
        z({"btnLineDown btnLineUp", 9, "1-25", 9});
        z({"btnDelZeile", 1, "0 2-25", 1}), z({"btnDelZeile", 13, "1-12 0 14-25", 13}), z({"btnDelZeile", 25, "1-24", 25});
        // from line 1, "Zeile + folgende" empties the whole table, as "Tabelle" does
        z({"btnDelFolgende", 1, "", 1}), z({"btnDelFolgende", 13, "1-12", 13}), z({"btnDelFolgende", 25, "1-24", 25});
        z({"btnDelTabelle", 13, "", 13});
    }
    void zeilenbefehle()
    {
        QFETCH(Befehl, b);
        fuelleTabelle();
        f->lblDel_Click(); // opens the delete panel
        setzeCursor(b.start, 2);
        for (const QString &name : b.knoepfe.split(u' ')) {
            auto *k = f->findChild<QPushButton *>(name);
            QVERIFY(k && k->isVisible());
            QTest::mouseClick(k, Qt::LeftButton);
        }
        QCOMPARE(piepser, b.piepser);
        QCOMPARE(alleZeilen(), erwarteteTabelle(b.erwartet));
        QCOMPARE(f->DBTabelle->currentIndex(), f->tabelle().index(b.cursor - 1, 2));
    }

    // Opened by a click, closed by the space bar on the focused label.
    void loeschpanelUmschalten()
    {
        f->lblDel->setFocus();
        for (bool offen : {true, false}) {
            if (offen)
                QTest::mouseClick(f->lblDel, Qt::LeftButton);
            else
                QTest::keyClick(f->lblDel, Qt::Key_Space);
            QCOMPARE(f->pnlDel->height(), offen ? 125 : 32);
            QCOMPARE(f->lblDel->text(), offen ? "Löschen" : "Löschen ...");
            for (QPushButton *k : {f->btnDelZeile, f->btnDelFolgende, f->btnDelTabelle}) // whole inside the open panel
                QVERIFY(k->isVisible() == offen && (!offen || f->pnlDel->rect().contains(k->geometry())));
        }
    }
};

QTEST_MAIN(TestTabelle)
#include "tst_tabelle.moc"

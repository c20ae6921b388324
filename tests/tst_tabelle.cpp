// The driving-program grid as the user meets it: keys typed into cells, the text
// the store holds afterwards, beeps, and the line commands with their cursor.
#include "window/frmTrabolin.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QtTest>

using namespace trabolin;

class TestTabelle : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tasten_data();
    void tasten();
    void eingabeUebernommen_data();
    void eingabeUebernommen();
    void zeilenbefehle_data();
    void zeilenbefehle();
    void abUndAufStelltWiederHer();
    void folgendeAbZeile1GleichTabelle();
    void loeschpanelUmschalten();

private:
    void setzeCursor(int zeile, int spalte);
    void tippe(const QString &tasten);
    void fuelleTabelle();
    QList<QStringList> alleZeilen() const;

    frmTrabolin *m_fenster = nullptr;
    int m_piepser = 0;
};

// Line n of the filled table: Dauer n, Einheit s or M, Fahrstufe 3n, light on odd
// lines (so also on line 25), one of F1 to F4 by the line's last digit.
static QStringList gefuellteZeile(int n)
{
    auto x = [](bool an) { return an ? QStringLiteral("X") : QString(); };
    return {QString::number(n), n % 2 ? QStringLiteral("s") : QStringLiteral("M"),
            QString::number(3 * n), x(n % 2), x(n % 10 == 1), x(n % 10 == 2),
            n % 10 == 3 ? QStringLiteral("X") : QStringLiteral(" "), x(n % 10 == 4)};
}

void TestTabelle::init()
{
    m_fenster = new frmTrabolin;
    m_piepser = 0;
    m_fenster->piepen = [this] { ++m_piepser; };
    m_fenster->show();
    QVERIFY(QTest::qWaitForWindowActive(m_fenster));
}

void TestTabelle::cleanup()
{
    delete m_fenster;
}

void TestTabelle::setzeCursor(int zeile, int spalte)
{
    Tabellenspeicher &t = m_fenster->tabelle();
    t.auswahl()->setCurrentIndex(t.index(zeile - 1, spalte), QItemSelectionModel::ClearAndSelect);
    m_fenster->DBTabelle->setFocus();
}

// Types on whatever has the focus: the first key goes to the grid and opens the
// cell editor, the following ones go into that editor. "\x16" stands for Ctrl+V.
void TestTabelle::tippe(const QString &tasten)
{
    for (QChar c : tasten) {
        if (c == u'\x16')
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        else
            QTest::keyClick(QApplication::focusWidget(), char(c.unicode()));
    }
}

void TestTabelle::fuelleTabelle()
{
    for (int n = 1; n <= anzahlZeilen; ++n)
        for (int c = 1; c <= anzahlZellen; ++c)
            m_fenster->tabelle().setzeZelle(n, c, gefuellteZeile(n)[c - 1]);
}

QList<QStringList> TestTabelle::alleZeilen() const
{
    QList<QStringList> alle;
    for (int n = 1; n <= anzahlZeilen; ++n) {
        QStringList z;
        for (int c = 1; c <= anzahlZellen; ++c)
            z << m_fenster->tabelle().zelle(n, c);
        alle << z;
    }
    return alle;
}

void TestTabelle::tasten_data()
{
    QTest::addColumn<int>("spalte");
    QTest::addColumn<QString>("vorher");
    QTest::addColumn<QString>("tasten");
    QTest::addColumn<QString>("nachher");
    QTest::addColumn<int>("piepser");

    QTest::newRow("Dauer: dritte Ziffer nicht genommen") << 0 << "" << "123" << "12" << 0;
    QTest::newRow("Dauer: Punkt piept") << 0 << "" << "1.5" << "15" << 1;
    QTest::newRow("Dauer: Minus piept") << 0 << "" << "-3" << "3" << 1;
    QTest::newRow("Dauer: Buchstabe als erste Taste") << 0 << "12" << "a" << "12" << 1;
    QTest::newRow("Dauer: Rücktaste") << 0 << "" << "12\b" << "1" << 0;
    QTest::newRow("Dauer: Einfügen verweigert") << 0 << "" << "1\x16" << "1" << 1;
    QTest::newRow("Einheit: Ziffer piept") << 1 << "" << "5" << "" << 1;
    QTest::newRow("Einheit: M bleibt M") << 1 << "" << "M" << "M" << 0;
    QTest::newRow("Fahrstufe: 999") << 2 << "" << "999" << "999" << 0;
    QTest::newRow("Fahrstufe: Punkt piept") << 2 << "" << "1.5" << "15" << 1;
    QTest::newRow("Fahrstufe: Minus piept") << 2 << "" << "-3" << "3" << 1;
    QTest::newRow("F3: j wird X") << 6 << "" << "j" << "X" << 0;
    QTest::newRow("F3: k piept, Zelle bleibt") << 6 << "X" << "k" << "X" << 1;
    QTest::newRow("F3: Leerzeichen") << 6 << "X" << " " << " " << 0;
    QTest::newRow("F2: o, dann a: nur ein X") << 5 << "" << "oa" << "X" << 0;
}

void TestTabelle::tasten()
{
    QFETCH(int, spalte);
    QFETCH(QString, vorher);
    QFETCH(QString, tasten);
    QFETCH(QString, nachher);
    QFETCH(int, piepser);

    QApplication::clipboard()->setText(QStringLiteral("9x"));
    m_fenster->tabelle().setzeZelle(7, spalte + 1, vorher);
    setzeCursor(7, spalte);
    tippe(tasten);
    QCOMPARE(m_piepser, piepser);
    m_fenster->uebernehmeEingabe();
    QCOMPARE(m_fenster->tabelle().zelle(7, spalte + 1), nachher);
    QCOMPARE(m_fenster->tabelle().zelle(8, spalte + 1), QString());
}

// The store holds the typed text as soon as the user leaves the cell or starts a
// command, however the command is started.
void TestTabelle::eingabeUebernommen_data()
{
    QTest::addColumn<QString>("weg");
    for (const char *weg : {"Enter", "Pfeil", "Klick", "Zugriffstaste", "Menü"})
        QTest::newRow(weg) << QString::fromUtf8(weg);
}

void TestTabelle::eingabeUebernommen()
{
    QFETCH(QString, weg);
    QString gesehen = QStringLiteral("(kein Befehl)");
    auto befehl = [&] { gesehen = m_fenster->tabelle().zelle(4, 1); };
    connect(m_fenster->btnPower[0], &QPushButton::clicked, this, befehl);
    connect(m_fenster->mnuDatei_laden, &QAction::triggered, this, befehl);

    setzeCursor(4, 0);
    tippe(QStringLiteral("42"));
    QCOMPARE(m_fenster->tabelle().zelle(4, 1), QString()); // still in the editor

    if (weg == QLatin1String("Enter") || weg == QLatin1String("Pfeil")) {
        QTest::keyClick(QApplication::focusWidget(), weg == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Down);
        befehl();
    } else if (weg == QLatin1String("Klick")) {
        QTest::mouseClick(m_fenster->btnPower[0], Qt::LeftButton);
    } else if (weg == QLatin1String("Zugriffstaste")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier); // "Power of&f"
        QTRY_COMPARE(gesehen, QStringLiteral("42"));
    } else {
        m_fenster->mnuDatei_laden->trigger();
    }
    QCOMPARE(gesehen, QStringLiteral("42"));
    QCOMPARE(m_piepser, 0);
}

// Expected tables list the old line that ends up in lines 1 to 25: "1-12 0 13-24"
// keeps lines 1 to 12, empties line 13, then follow old lines 13 to 24. "25d" is
// old line 25 with Dauer, Einheit and Fahrstufe emptied.
static QList<QStringList> erwarteteTabelle(const QString &muster)
{
    QList<QStringList> tabelle;
    for (QString teil : muster.split(u' ', Qt::SkipEmptyParts)) {
        const bool ohneZahlen = teil.endsWith(u'd');
        const QStringList bereich = teil.remove(u'd').split(u'-');
        for (int n = bereich[0].toInt(); n <= bereich.last().toInt(); ++n)
            tabelle << (n ? gefuellteZeile(n) : QStringList(anzahlZellen, QString()));
        if (ohneZahlen) {
            tabelle.last()[0].clear();
            tabelle.last()[1].clear();
            tabelle.last()[2].clear();
        }
    }
    return tabelle;
}

void TestTabelle::zeilenbefehle_data()
{
    QTest::addColumn<QString>("knopf");
    QTest::addColumn<int>("startzeile");
    QTest::addColumn<QString>("erwartet");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("piepser");

    const QString leer13 = QStringLiteral("1-12") + QStringLiteral(" 0").repeated(13);
    QTest::newRow("einfügen auf 1") << "btnInsertLine" << 1 << "0 1-24" << 1 << 0;
    QTest::newRow("einfügen auf 25 leert nur 25") << "btnInsertLine" << 25 << "1-24 0" << 25 << 0;
    QTest::newRow("löschen auf 1, Fu von 25 bleibt") << "btnDeleteLine" << 1 << "2-25 25d" << 1 << 0;
    QTest::newRow("löschen auf 25") << "btnDeleteLine" << 25 << "1-24 25d" << 25 << 0;
    QTest::newRow("aufwärts auf 1 piept") << "btnLineUp" << 1 << "1-25" << 1 << 1;
    QTest::newRow("aufwärts auf 13") << "btnLineUp" << 13 << "1-11 13 12 14-25" << 12 << 0;
    QTest::newRow("abwärts auf 13") << "btnLineDown" << 13 << "1-12 14 13 15-25" << 14 << 0;
    QTest::newRow("abwärts auf 25 piept") << "btnLineDown" << 25 << "1-25" << 25 << 1;
    QTest::newRow("Zeile leeren auf 25") << "btnDelZeile" << 25 << "1-24 0" << 25 << 0;
    QTest::newRow("folgende leeren ab 13") << "btnDelFolgende" << 13 << leer13 << 13 << 0;
}

void TestTabelle::zeilenbefehle()
{
    QFETCH(QString, knopf);
    QFETCH(int, startzeile);
    QFETCH(QString, erwartet);
    QFETCH(int, cursor);
    QFETCH(int, piepser);

    fuelleTabelle();
    m_fenster->lblDel_Click(); // opens the delete panel
    auto *k = m_fenster->findChild<QPushButton *>(knopf);
    QVERIFY(k && k->isVisible());
    setzeCursor(startzeile, 2);

    QTest::mouseClick(k, Qt::LeftButton);

    QCOMPARE(m_piepser, piepser);
    QCOMPARE(alleZeilen(), erwarteteTabelle(erwartet));
    QCOMPARE(m_fenster->DBTabelle->currentIndex(), m_fenster->tabelle().index(cursor - 1, 2));
}

void TestTabelle::abUndAufStelltWiederHer()
{
    fuelleTabelle();
    const QList<QStringList> vorher = alleZeilen();
    setzeCursor(9, 0);
    QTest::mouseClick(m_fenster->btnLineDown, Qt::LeftButton);
    QTest::mouseClick(m_fenster->btnLineUp, Qt::LeftButton);
    QCOMPARE(alleZeilen(), vorher);
    QCOMPARE(m_fenster->tabelle().aktuelleZeile(), 9);
}

void TestTabelle::folgendeAbZeile1GleichTabelle()
{
    m_fenster->lblDel_Click();
    fuelleTabelle();
    setzeCursor(1, 0);
    QTest::mouseClick(m_fenster->btnDelFolgende, Qt::LeftButton);
    const QList<QStringList> folgende = alleZeilen();
    fuelleTabelle();
    QTest::mouseClick(m_fenster->btnDelTabelle, Qt::LeftButton);
    QCOMPARE(folgende, alleZeilen());
}

// Opened by a click, closed by the space bar on the focused label.
void TestTabelle::loeschpanelUmschalten()
{
    QPushButton *knoepfe[] = {m_fenster->btnDelZeile, m_fenster->btnDelFolgende, m_fenster->btnDelTabelle};
    QTest::mouseClick(m_fenster->lblDel, Qt::LeftButton);
    QCOMPARE(m_fenster->pnlDel->height(), 125);
    QCOMPARE(m_fenster->lblDel->text(), QStringLiteral("Löschen"));
    for (QPushButton *k : knoepfe) // shown whole inside the open panel
        QVERIFY(k->isVisible() && m_fenster->pnlDel->rect().contains(k->geometry()));

    m_fenster->lblDel->setFocus();
    QTest::keyClick(m_fenster->lblDel, Qt::Key_Space);
    QCOMPARE(m_fenster->pnlDel->height(), 32);
    QCOMPARE(m_fenster->lblDel->text(), QStringLiteral("Löschen ..."));
    for (QPushButton *k : knoepfe)
        QVERIFY(!k->isVisible());
}

QTEST_MAIN(TestTabelle)
#include "tst_tabelle.moc"

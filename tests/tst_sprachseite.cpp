// The program page in English and back, where its texts follow its state: the grid's
// columns fit their captions, the chart draws its words anew, a running program's tab
// says so in English, and the measuring window opened in English tells its state and
// its refusal in English. (That every text changes and comes back: tst_sprache.)
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "window/Fahrbild.h"
#include "window/Sprache.h"

#include <QTabBar>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// What the user reads of control `name` ("DBTabelle:2" for a column of a table): its
// caption, tool tip, accessible name or description, window title or column header.
QString lies(const QWidget &fenster, const QString &name, const QString &art)
{
    const QString objekt = name.section(u':', 0, 0);
    QList<QObject *> treffer = fenster.findChildren<QObject *>(objekt);
    // A menu and the item that opens it share their name: the item is what the bar shows.
    if (treffer.size() > 1)
        treffer.removeIf([](QObject *o) { return !qobject_cast<QAction *>(o); });
    if (treffer.size() != 1)
        qFatal("control \"%s\": found %d times", qPrintable(objekt), int(treffer.size()));
    QObject *o = treffer.first();
    auto *w = qobject_cast<QWidget *>(o);
    auto *a = qobject_cast<QAction *>(o);
    if (art == u"text") {
        if (a)
            return a->text();
        if (auto *k = qobject_cast<QAbstractButton *>(o))
            return k->text();
        if (auto *l = qobject_cast<QLabel *>(o))
            return l->text();
    } else if (art == u"tipp") {
        return a ? a->toolTip() : w->toolTip();
    } else if (art == u"name") {
        return w->accessibleName();
    } else if (art == u"beschreibung") {
        return w->accessibleDescription();
    } else if (art == u"titel") {
        return w->windowTitle();
    } else if (art == u"kopf") {
        auto *t = qobject_cast<QTableView *>(o);
        return t->model()->headerData(name.section(u':', 1).toInt(), Qt::Horizontal).toString();
    }
    qFatal("\"%s\" has no %s", qPrintable(name), qPrintable(art));
}

// An image of what the widget paints.
QImage bild(QWidget *w)
{
    return w->grab().toImage();
}

} // namespace

class TstSprachseite : public QObject {
    Q_OBJECT
    Fensteranlage a;

private slots:
    void initTestCase()
    {
        setzeSprache(QStringLiteral("de"));
        a.starte();
        // The measuring window is a child of the main window, made with it.
        QVERIFY(a.f->findChild<QWidget *>(QStringLiteral("frmEinmessen")));
    }
    void cleanup() { setzeSprache(QStringLiteral("de")); }

    // Each column of the grid is as wide as its caption in the language in effect, also
    // after a switch; German keeps the widths it had.
    void spaltenbreiten()
    {
        auto *gitter = feld<QTableView>(*a.f, QStringLiteral("DBTabelle"));
        QList<int> deutsch;
        for (int s = 0; s < gitter->model()->columnCount(); ++s)
            deutsch << gitter->horizontalHeader()->sectionSize(s);
        for (const char *code : {"en", "de"}) {
            setzeSprache(QString::fromLatin1(code));
            for (int s = 0; s < gitter->model()->columnCount(); ++s) {
                const QString titel = gitter->model()->headerData(s, Qt::Horizontal).toString();
                QVERIFY2(gitter->horizontalHeader()->sectionSize(s)
                             >= gitter->fontMetrics().horizontalAdvance(titel) + 16,
                         qPrintable(titel));
            }
        }
        for (int s = 0; s < gitter->model()->columnCount(); ++s)
            QCOMPARE(gitter->horizontalHeader()->sectionSize(s), deutsch[s]);
    }

    // The chart describes and draws its words in the language in effect, at once: the
    // description (tool tip and accessible name) and the picture change with the
    // switch, and switching back draws the same picture as before.
    void fahrbild()
    {
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("5,s,10"));
        fuelleZeile(a.f->tabelle(), 2, QStringLiteral("3,s,20"));
        auto *bildfeld = feld<Fahrbild>(*a.f, QStringLiteral("imgFahrbild"));
        a.f->tabelle().setzeAktuelleZeile(1);
        const QString deutsch = QStringLiteral("2 Zeilen, 0:08 min, höchste Fahrstufe 20");
        QCOMPARE(bildfeld->beschreibung(), deutsch);
        const QImage vorher = bild(bildfeld);

        setzeSprache(QStringLiteral("en"));
        QCOMPARE(bildfeld->beschreibung(), QStringLiteral("2 lines, 0:08 min, top speed step 20"));
        QCOMPARE(bildfeld->toolTip(), bildfeld->beschreibung());
        QCOMPARE(bildfeld->accessibleName(), bildfeld->beschreibung());
        QVERIFY(bild(bildfeld) != vorher); // "F0" where "Fu" stood

        setzeSprache(QStringLiteral("de"));
        QCOMPARE(bildfeld->toolTip(), deutsch);
        QCOMPARE(bild(bildfeld), vorher);

        a.f->tabelle().leeren();
        setzeSprache(QStringLiteral("en"));
        QCOMPARE(bildfeld->beschreibung(), QStringLiteral("no line"));
        // "Endlosschleife": the time of one pass says so.
        fuelleZeile(a.f->tabelle(), 1, QStringLiteral("5,s,10"));
        feld<QCheckBox>(*a.f, QStringLiteral("chkEndlos"))->setChecked(true);
        QCOMPARE(lies(*a.f, QStringLiteral("lblDauerGesamt"), QStringLiteral("name")), QStringLiteral("0:05 per pass"));
        setzeSprache(QStringLiteral("de"));
        QCOMPARE(lies(*a.f, QStringLiteral("lblDauerGesamt"), QStringLiteral("name")),
                 QStringLiteral("0:05 je Durchlauf"));
        feld<QCheckBox>(*a.f, QStringLiteral("chkEndlos"))->setChecked(false);
        a.f->tabelle().leeren();
    }

    // Opened in English, the measuring window tells the locomotive's state in English,
    // and refuses steps it cannot drive with an English message; back in German, the
    // state line reads German again.
    void messfenster()
    {
        setzeSprache(QStringLiteral("en"));
        feld<QAction>(*a.f, QStringLiteral("mnuLokEinmessen"))->trigger();
        auto *w = feld<QWidget>(*a.f, QStringLiteral("frmEinmessen"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral(" Measure loco"));
        auto *stand = feld<QLabel>(*w, QStringLiteral("lblStand"));
        QVERIFY2(stand->text().startsWith(QStringLiteral("Loco 1 on the ")), qPrintable(stand->text()));
        QVERIFY2(stand->text().endsWith(QStringLiteral(": not measured yet.")), qPrintable(stand->text()));
        const QString englisch = stand->text();

        feld<QLineEdit>(*w, QStringLiteral("txtFahrstufen"))->setText(QStringLiteral("0, 500"));
        a.meldungen.clear();
        QTest::mouseClick(feld<QPushButton>(*w, QStringLiteral("btnMessen")), Qt::LeftButton);
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY2(a.meldungen[0].startsWith(QStringLiteral(" Measure loco...|Please enter speed steps from 1 to ")),
                 qPrintable(a.meldungen[0]));

        setzeSprache(QStringLiteral("de"));
        QVERIFY2(stand->text().startsWith(QStringLiteral("Lok 1 auf der ")), qPrintable(stand->text()));
        QVERIFY2(stand->text().endsWith(QStringLiteral(": noch nicht eingemessen.")), qPrintable(stand->text()));
        setzeSprache(QStringLiteral("en"));
        QCOMPARE(stand->text(), englisch);
        w->close();
    }

    // Two programs on the 6021 path in virtual time: a running program's tab says so in
    // English as soon as the language is switched, and in German again after.
    void laufenderReiter()
    {
        Pty pty;
        if (!pty.ok())
            QSKIP("no pseudo-terminal on this machine");
        GleichzeitigeZeit zeit;
        Fensteranlage b;
        QVERIFY(pty.verknuepfe(b.verzeichnis.path(), 2));
        frmTrabolin::zeitbasis() = [&zeit] { return std::make_unique<GelieheneZeit>(zeit); };
        b.starte();
        frmTrabolin::zeitbasis() = nullptr;
        QTest::mouseClick(feld<QRadioButton>(*b.f, "optZentrale", 0), Qt::LeftButton);
        feld<QComboBox>(*b.f, "lstV24")->setEditText(QStringLiteral("2"));
        QTest::mouseClick(feld<QPushButton>(*b.f, "btnParameterSetzen"), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return b.knoepfe() == u"an"; }));
        fuelleZeile(b.f->tabelle(), 1, QStringLiteral("60,s,10"));
        feld<QAction>(*b.f, "mnuNeueLok")->trigger();
        feld<QAction>(*b.f, "mnuAlleStarten")->trigger();
        auto *reiter = feld<QTabBar>(*b.f, "tabProgramme");
        QCOMPARE(reiter->accessibleTabName(0), QStringLiteral("Lok 1 – fährt"));
        QCOMPARE(reiter->accessibleTabName(1), QStringLiteral("Lok 2"));

        setzeSprache(QStringLiteral("en"));
        // The word for an address is the window's; the marker is the tab's own.
        QCOMPARE(reiter->accessibleTabName(0), reiter->tabText(0) + QStringLiteral(" – running"));
        QCOMPARE(reiter->accessibleTabName(1), reiter->tabText(1));
        QCOMPARE(feld<QPushButton>(*b.f, "btnLokAnhalten")->text(), QStringLiteral("S&top loco"));

        setzeSprache(QStringLiteral("de"));
        QCOMPARE(reiter->accessibleTabName(0), QStringLiteral("Lok 1 – fährt"));
        QTest::mouseClick(feld<QPushButton>(*b.f, "btnSendStop"), Qt::LeftButton);
        zeit.laufe(zeit.jetzt + 1000);
        QVERIFY(!b.f->ablauf().betrieb().laeuftEtwas());
    }
};

QTEST_MAIN(TstSprachseite)
#include "tst_sprachseite.moc"

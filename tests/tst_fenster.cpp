// The main window as it comes up: captions, tool tips, states, accessibility,
// menus, help, the release label and the about box.
#include "window/frmTrabolin.h"

#include "Version.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

using namespace trabolin;

namespace {

// A control as the user meets it.
struct Element { QString text, tipp; bool aktiv = true, sichtbar = true; };
// What an assistive tool reads for a field: its name, the label it finds for it,
// and for a value field (which reads its value as name) the description.
struct Zugang { QWidget *feld; QString name; QLabel *beschriftung = nullptr; QString beschreibung; };
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

private slots:
    void initTestCase() { f = new frmTrabolin(nullptr, dir.path()); f->show(); }
    void cleanupTestCase() { delete f; }
    void init() { f->activateWindow(); QVERIFY(QTest::qWaitForWindowActive(f)); }

    void fenster()
    {
        QCOMPARE(f->windowTitle(), " Lokomotiven-Trabolin");
        QTRY_COMPARE(f->frameGeometry(), QRect(0, 0, 1024, 741));
        QVERIFY(!f->windowIcon().isNull());
        QCOMPARE(f->lblLogo->pixmap().size(), QSize(51, 33));
        QCOMPARE(f->lblRelease->text(), release);
        QCOMPARE(f->grpZentrale->checkedId(), 2);
        QCOMPARE((QList<int>{f->txtAdresse->maxLength(), f->txtIPAdresse->maxLength(), f->txtLocalPort->maxLength()}),
                 (QList<int>{5, 15, 5}));
        QVERIFY(!f->chkUSB->isChecked() && !f->chkEndlos->isChecked() && !f->chkSignal->isChecked());
    }

    void steuerelemente_data()
    {
        QTest::addColumn<Element>("soll");
        auto z = [](const char *name, const Element &soll) { QTest::newRow(name) << soll; };
        z("btnStart", {"&starten", " startet das Programm ", false});
        z("btnSendStop", {"St&op", " stoppt das laufende Programm ", false});
        z("btnSendZeile", {"aktuelle &Zeile ", " überträgt die aktuelle Zeile zum Interface ", false});
        z("chkEndlos", {"&Endlosschleife", " führt das Programm endlos aus "});
        z("chkSignal", {"&akustisches Signal bei Programmende", " startet bei Programmende die Datei \"Signal.wav\" "});
        z("btnPower_0", {"Power of&f", " Zentrale abschalten "}), z("btnPower_1", {"Power o&n", " Zentrale einschalten "});
        z("optZentrale_0", {"&6021, IB, MC", " 6021 & 6051, IntelliBox, MasterControl u.ä. "});
        z("optZentrale_1", {"&Lenz V3.0", " Lenz LZ100 V3.0"}), z("optZentrale_2", {"Ecos"});
        z("lblFS", {"Fahrstufen", "", false}), z("lstFS", {"14", "", false}), z("imgUSB", {"", "", true, false});
        z("btnV24", {"&COM", " ermittelt alle freien Schnittstellen "}), z("btnParameterSetzen", {"&Parameter setzen"});
        z("chkUSB", {"&USB-Interface     ", " bei Verwendung des Lenz USB-Interfaces ", false});
        z("btn15471", {"Default", " setzt den von ESU vorgegebenen Standardwert "});
        z("btnEcos", {"PC mit Ecos verbinden", " stellt die TCP-Verbindung zwischen PC und Ecos her "});
        z("btnListe", {"Lokliste einlesen", " listet alle angemeldeten Lokomotiven auf ", false});
        z("btnLok", {"Kontrolle übernehmen", " übernimmt die Kontrolle über die Lok mit der o.a. ID ", false});
        z("lblAdresse_0", {"Adresse:"}), z("txtAdresse", {"1"}), z("lblAdresse_1", {"Adresse"});
        z("btnInsertLine", {"Zeile einfügen", "fügt eine neue Zeile ein und schiebt alle folgenden Zeilen um eins nach unten"});
        z("btnDeleteLine", {"Zeile löschen", "löscht die aktuelle Zeile und schiebt alle folgenden Zeilen um eins nach oben"});
        z("btnLineUp", {"Zeile aufwärts", "verschiebt die aktuelle Zeile um eins nach oben"});
        z("btnLineDown", {"Zeile abwärts", "verschiebt die aktuelle Zeile um eins nach unten"});
        z("lblDel", {"Löschen ...", "öffnet / schliesst das Lösch-Menu"});
        z("btnDelZeile", {"aktuelle Zeile ", "löscht den Inhalt der aktuellen Zeile"});
        z("btnDelFolgende", {"Zeile + folgende", "löscht die aktuelle und alle folgenden Zeilen"});
        z("btnDelTabelle", {"Tabelle", "löscht die komplette Tabelle"});
        z("lblZentrale", {"Zentrale"}), z("lblSchnittstelle", {"Schnittstelle"}), z("lblBaudrate", {"Baudrate"});
        z("lblParity", {"Parity"}), z("lblDatenbits", {"Datenbits"}), z("lblStopbits", {"Stopbits"});
        z("lblIPAdresse", {"IP-Adresse"}), z("lblLocalPort", {"LocalPort"}), z("lblRX", {"letzte Antwort der Ecos"});
        z("lblDateiTitel", {"Datei:"}), z("lblProgramm", {"Programm"}), z("lblStartzeitTitel", {"Startzeit"});
        z("lblLaufzeitTitel", {"Laufzeit"}), z("lblEdit", {"Edit"});
        for (const char *leer : {"imgV24", "txtIPAdresse", "txtLocalPort", "txtRX", "lblDatei", "lblStartzeit",
                                 "lblLaufzeit", "pnlZeit", "pnlEdit", "pnlDel", "pnlProgramm", "DBTabelle", "lblLogo"})
            z(leer, {});
    }
    void steuerelemente()
    {
        QFETCH(Element, soll);
        const QList<QWidget *> treffer = f->findChildren<QWidget *>(QString::fromUtf8(QTest::currentDataTag()));
        QCOMPARE(treffer.size(), 1);
        QWidget *w = treffer.first();
        const QVariant text = w->property("text").isValid() ? w->property("text") : w->property("currentText");
        QCOMPARE(text.toString(), soll.text);
        QCOMPARE(w->toolTip(), soll.tipp);
        QCOMPARE(w->isEnabled(), soll.aktiv);
        QCOMPARE(w->isVisible(), soll.sichtbar);
        // inside the window, and not squeezed below the size its text needs
        QVERIFY(!soll.sichtbar || f->rect().contains(QRect(w->mapTo(f, QPoint()), w->size())));
        QVERIFY(!soll.sichtbar || w->width() >= w->minimumSizeHint().width());
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

    void zugangsnamen_data()
    {
        QTest::addColumn<Zugang>("soll");
        auto z = [](const Zugang &soll) { QTest::newRow(qPrintable(soll.feld->objectName())) << soll; };
        z({f->txtAdresse, "Adresse", f->lblAdresse[0]}), z({f->lstBaudrate, "Baudrate", f->lblBaudrate});
        z({f->txtRX, "letzte Antwort der Ecos", f->lblRX}), z({f->DBTabelle, "Fahrprogramm"});
        z({f->btnSendStop, "Stop"}), z({f->optZentrale[0], "6021, IB, MC"});
        z({f->lblRelease, release, nullptr, "Release"}), z({f->lblStartzeit, "", nullptr, "Startzeit"});
    }
    void zugangsnamen()
    {
        QFETCH(Zugang, soll);
        QAccessibleInterface *schnitt = QAccessible::queryAccessibleInterface(soll.feld);
        // a labelled field: its own name, as a list box reads out its entry instead
        QCOMPARE(soll.beschriftung ? soll.feld->accessibleName() : schnitt->text(QAccessible::Name), soll.name);
        if (soll.beschriftung) {
            QCOMPARE(soll.beschriftung->buddy(), soll.feld);
            const auto beziehungen = schnitt->relations(QAccessible::Label);
            QVERIFY(std::any_of(beziehungen.begin(), beziehungen.end(),
                                [&](const auto &b) { return b.first->object() == soll.beschriftung; }));
        }
        if (auto *wert = qobject_cast<Beschriftung *>(soll.feld)) {
            wert->setText("01:02:03");
            QCOMPARE(schnitt->text(QAccessible::Name), "01:02:03");
            QCOMPARE(schnitt->text(QAccessible::Description), soll.beschreibung);
            wert->setText(soll.name);
        }
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
    void menue()
    {
        QMenuBar *leiste = f->menuBar();
        QCOMPARE(punkte(leiste->actions()), QStringList{"mnuDatei|&Datei|"});
        QCOMPARE(punkte(f->mnuDatei->actions()),
                 (QStringList{"mnuDatei_laden|öffnen / laden|Ctrl+L", "mnuDatei_speichern|speichern / sichern           |Ctrl+S",
                              "mnuDatei_L1|-|", "mnuDatei_Beenden|beenden|"}));
        // "&?" and "b&eenden" are commands on the bar, at its right edge
        auto *rechts = qobject_cast<QMenuBar *>(leiste->cornerWidget(Qt::TopRightCorner));
        QVERIFY(rechts && rechts->isVisible());
        QCOMPARE(punkte(rechts->actions()), (QStringList{"mnuHilfe|&?|", "mnuBeenden|b&eenden|"}));
        QVERIFY(leiste->actionGeometry(f->mnuDatei->menuAction()).left() < 20);
        QVERIFY(rechts->mapTo(leiste, rechts->actionGeometry(f->mnuBeenden).topRight()).x() >= leiste->width() - 20);
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

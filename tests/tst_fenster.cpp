// The main window as it comes up: captions, tool tips, states, accessibility,
// menus, help, the release label and the about box.
#include "window/frmTrabolin.h"

#include "Version.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace trabolin;

namespace {

struct GefangeneMeldung {
    bool gesehen = false;
    QString titel, text;
    QMessageBox::Icon symbol = QMessageBox::NoIcon;
    QMessageBox::StandardButtons knoepfe;
};

// Runs `ausloeser` and catches the modal message box it shows: reads it and closes it.
GefangeneMeldung fangeMeldung(const std::function<void()> &ausloeser)
{
    GefangeneMeldung m;
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            wache.stop();
            m = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
            box->done(QMessageBox::Ok);
        }
    });
    wache.start(10);
    ausloeser();
    return m;
}

QString textVon(QWidget *w)
{
    if (auto *k = qobject_cast<QAbstractButton *>(w))
        return k->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *t = qobject_cast<QLineEdit *>(w))
        return t->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    return {};
}

const QString hilfepfad = QStringLiteral("Trabolin.chm");
const QString release = QStringLiteral("Rel. %1.%2.%3").arg(version::major).arg(version::minor).arg(version::revision);

} // namespace

class TestFenster : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { delete m_fenster; }
    void init()
    {
        m_fenster->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_fenster));
    }
    void fenster();
    void steuerelemente_data();
    void steuerelemente();
    void listen_data();
    void listen();
    void buddies_data();
    void buddies();
    void zugangsnamen();
    void wertfelderMeldenIhrenWert_data();
    void wertfelderMeldenIhrenWert();
    void gitter();
    void menue();
    void beenden();
    void hilfe_data();
    void hilfe();
    void infobox();
    void lokTippFolgtAdresse();

private:
    frmTrabolin *m_fenster = nullptr;
};

void TestFenster::initTestCase()
{
    m_fenster = new frmTrabolin;
    m_fenster->show();
}

void TestFenster::fenster()
{
    QCOMPARE(m_fenster->windowTitle(), QStringLiteral(" Lokomotiven-Trabolin"));
    QTRY_COMPARE(m_fenster->frameGeometry(), QRect(0, 0, 1024, 741));
    QVERIFY(!m_fenster->windowIcon().isNull());
    QCOMPARE(m_fenster->lblLogo->pixmap().size(), QSize(51, 33));
    QCOMPARE(m_fenster->lblRelease->text(), release);
    QCOMPARE(m_fenster->grpZentrale->checkedId(), 2);
    QCOMPARE(m_fenster->txtAdresse->maxLength(), 5);
    QCOMPARE(m_fenster->txtIPAdresse->maxLength(), 15);
    QCOMPARE(m_fenster->txtLocalPort->maxLength(), 5);
    for (QAbstractButton *k : {(QAbstractButton *)m_fenster->chkUSB, (QAbstractButton *)m_fenster->chkEndlos,
                               (QAbstractButton *)m_fenster->chkSignal})
        QVERIFY(!k->isChecked());
}

void TestFenster::steuerelemente_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tipp");
    QTest::addColumn<bool>("aktiv");
    QTest::addColumn<bool>("sichtbar");
    auto z = [](const char *name, const char *text, const char *tipp = "", bool aktiv = true, bool sichtbar = true) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(tipp) << aktiv << sichtbar;
    };
    z("btnStart", "&starten", " startet das Programm ", false);
    z("btnSendStop", "St&op", " stoppt das laufende Programm ", false);
    z("btnSendZeile", "aktuelle &Zeile ", " überträgt die aktuelle Zeile zum Interface ", false);
    z("chkEndlos", "&Endlosschleife", " führt das Programm endlos aus ");
    z("chkSignal", "&akustisches Signal bei Programmende", " startet bei Programmende die Datei \"Signal.wav\" ");
    z("btnPower_0", "Power of&f", " Zentrale abschalten ");
    z("btnPower_1", "Power o&n", " Zentrale einschalten ");
    z("optZentrale_0", "&6021, IB, MC", " 6021 & 6051, IntelliBox, MasterControl u.ä. ");
    z("optZentrale_1", "&Lenz V3.0", " Lenz LZ100 V3.0");
    z("optZentrale_2", "Ecos");
    z("lblFS", "Fahrstufen", "", false);
    z("lstFS", "14", "", false);
    z("btnV24", "&COM", " ermittelt alle freien Schnittstellen ");
    z("btnParameterSetzen", "&Parameter setzen");
    z("chkUSB", "&USB-Interface     ", " bei Verwendung des Lenz USB-Interfaces ", false);
    z("imgUSB", "", "", true, false);
    z("imgV24", "");
    z("txtIPAdresse", "");
    z("txtLocalPort", "");
    z("btn15471", "Default", " setzt den von ESU vorgegebenen Standardwert ");
    z("btnEcos", "PC mit Ecos verbinden", " stellt die TCP-Verbindung zwischen PC und Ecos her ");
    z("btnListe", "Lokliste einlesen", " listet alle angemeldeten Lokomotiven auf ", false);
    z("btnLok", "Kontrolle übernehmen", " übernimmt die Kontrolle über die Lok mit der o.a. ID ", false);
    z("txtRX", "");
    z("lblAdresse_0", "Adresse:");
    z("txtAdresse", "1");
    z("lblAdresse_1", "Adresse");
    z("lblDatei", "");
    z("lblStartzeit", "");
    z("lblLaufzeit", "");
    z("btnInsertLine", "Zeile einfügen", "fügt eine neue Zeile ein und schiebt alle folgenden Zeilen um eins nach unten");
    z("btnDeleteLine", "Zeile löschen", "löscht die aktuelle Zeile und schiebt alle folgenden Zeilen um eins nach oben");
    z("btnLineUp", "Zeile aufwärts", "verschiebt die aktuelle Zeile um eins nach oben");
    z("btnLineDown", "Zeile abwärts", "verschiebt die aktuelle Zeile um eins nach unten");
    z("lblDel", "Löschen ...", "öffnet / schliesst das Lösch-Menu");
    z("btnDelZeile", "aktuelle Zeile ", "löscht den Inhalt der aktuellen Zeile", true, false);
    z("btnDelFolgende", "Zeile + folgende", "löscht die aktuelle und alle folgenden Zeilen", true, false);
    z("btnDelTabelle", "Tabelle", "löscht die komplette Tabelle", true, false);
    for (const char *name : {"pnlZeit", "pnlEdit", "pnlDel", "pnlProgramm", "DBTabelle", "lblLogo"})
        z(name, "");
    // captions of groups and fields
    for (const char *text : {"Zentrale", "Schnittstelle", "Baudrate", "Parity", "Datenbits", "Stopbits",
                             "IP-Adresse", "LocalPort", "letzte Antwort der Ecos", "Datei:", "Programm",
                             "Startzeit", "Laufzeit", "Edit"}) {
        for (QLabel *l : m_fenster->findChildren<QLabel *>())
            if (l->text() == QString::fromUtf8(text))
                z(qPrintable(l->objectName()), text);
    }
}

void TestFenster::steuerelemente()
{
    QFETCH(QString, text);
    QFETCH(QString, tipp);
    QFETCH(bool, aktiv);
    QFETCH(bool, sichtbar);
    const QString name = QString::fromUtf8(QTest::currentDataTag());

    const QList<QWidget *> treffer = m_fenster->findChildren<QWidget *>(name);
    QCOMPARE(treffer.size(), 1);
    QWidget *w = treffer.first();
    QCOMPARE(textVon(w), text);
    QCOMPARE(w->toolTip(), tipp);
    QCOMPARE(w->isEnabled(), aktiv);
    QCOMPARE(w->isVisible(), sichtbar);
    // inside the window, and not squeezed below the size its text needs
    if (sichtbar) {
        QVERIFY(m_fenster->rect().contains(QRect(w->mapTo(m_fenster, QPoint()), w->size())));
        QVERIFY(w->width() >= w->minimumSizeHint().width());
    }
}

void TestFenster::listen_data()
{
    QTest::addColumn<QComboBox *>("liste");
    QTest::addColumn<QStringList>("eintraege");
    QTest::addColumn<QString>("gezeigt");
    const frmTrabolin &f = *m_fenster;
    QTest::newRow("lstV24") << f.lstV24 << QStringList{} << "";
    QTest::newRow("lstBaudrate") << f.lstBaudrate
                                 << QStringList{"2400", "4800", "9600", "19200", "38400", "57600", "128000"} << "2400";
    QTest::newRow("lstParity") << f.lstParity << QStringList{"N", "E", "O", "M", "S"} << "N";
    QTest::newRow("lstDatenbits") << f.lstDatenbits << QStringList{"6", "7", "8"} << "8";
    QTest::newRow("lstStopbits") << f.lstStopbits << QStringList{"1", "2"} << "2";
}

void TestFenster::listen()
{
    QFETCH(QComboBox *, liste);
    QFETCH(QStringList, eintraege);
    QFETCH(QString, gezeigt);
    QCOMPARE(liste->objectName(), QString::fromUtf8(QTest::currentDataTag()));
    QStringList ist;
    for (int i = 0; i < liste->count(); ++i)
        ist << liste->itemText(i);
    QCOMPARE(ist, eintraege);
    QCOMPARE(liste->currentText(), gezeigt);

    // a typed value becomes the text but not a new item
    QVERIFY(liste->isEditable());
    liste->lineEdit()->selectAll();
    QTest::keyClicks(liste->lineEdit(), QStringLiteral("77"));
    QTest::keyClick(liste->lineEdit(), Qt::Key_Return);
    QCOMPARE(liste->currentText(), QStringLiteral("77"));
    QCOMPARE(liste->count(), eintraege.size());
    liste->setEditText(gezeigt);
}

void TestFenster::buddies_data()
{
    QTest::addColumn<QLabel *>("beschriftung");
    QTest::addColumn<QWidget *>("feld");
    QTest::addColumn<QString>("zugangsname");
    const frmTrabolin &f = *m_fenster;
    QTest::newRow("Adresse") << (QLabel *)f.lblAdresse[0] << (QWidget *)f.txtAdresse << "Adresse";
    QTest::newRow("Schnittstelle") << (QLabel *)f.lblSchnittstelle << (QWidget *)f.lstV24 << "Schnittstelle";
    QTest::newRow("Baudrate") << (QLabel *)f.lblBaudrate << (QWidget *)f.lstBaudrate << "Baudrate";
    QTest::newRow("Parity") << (QLabel *)f.lblParity << (QWidget *)f.lstParity << "Parity";
    QTest::newRow("Datenbits") << (QLabel *)f.lblDatenbits << (QWidget *)f.lstDatenbits << "Datenbits";
    QTest::newRow("Stopbits") << (QLabel *)f.lblStopbits << (QWidget *)f.lstStopbits << "Stopbits";
    QTest::newRow("Fahrstufen") << (QLabel *)f.lblFS << (QWidget *)f.lstFS << "Fahrstufen";
    QTest::newRow("IP-Adresse") << (QLabel *)f.lblIPAdresse << (QWidget *)f.txtIPAdresse << "IP-Adresse";
    QTest::newRow("LocalPort") << (QLabel *)f.lblLocalPort << (QWidget *)f.txtLocalPort << "LocalPort";
    QTest::newRow("Antwort") << (QLabel *)f.lblRX << (QWidget *)f.txtRX << "letzte Antwort der Ecos";
}

void TestFenster::buddies()
{
    QFETCH(QLabel *, beschriftung);
    QFETCH(QWidget *, feld);
    QFETCH(QString, zugangsname);
    QCOMPARE(beschriftung->buddy(), feld);
    QCOMPARE(feld->accessibleName(), zugangsname);
    // an assistive tool finds the label as the field's label
    bool gefunden = false;
    for (const auto &beziehung : QAccessible::queryAccessibleInterface(feld)->relations(QAccessible::Label))
        gefunden = gefunden || beziehung.first->object() == beschriftung;
    QVERIFY(gefunden);
}

void TestFenster::zugangsnamen()
{
    const frmTrabolin &f = *m_fenster;
    const std::pair<QWidget *, QString> erwartet[] = {
        {f.btnSendStop, "Stop"}, {f.btnSendZeile, "aktuelle Zeile "}, {f.optZentrale[0], "6021, IB, MC"},
        {f.txtAdresse, "Adresse"}, {f.DBTabelle, "Fahrprogramm"}, {f.lblRelease, release}};
    for (const auto &[w, name] : erwartet)
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name), name);

    // the field's name follows its label when the station switch relabels it
    m_fenster->lblAdresse[0]->setText(QStringLiteral("ID:"));
    QCOMPARE(m_fenster->txtAdresse->accessibleName(), QStringLiteral("ID"));
    m_fenster->lblAdresse[0]->setText(QStringLiteral("Adresse:"));
}

void TestFenster::wertfelderMeldenIhrenWert_data()
{
    QTest::addColumn<Beschriftung *>("feld");
    QTest::addColumn<QString>("beschreibung");
    QTest::newRow("lblStartzeit") << m_fenster->lblStartzeit << "Startzeit";
    QTest::newRow("lblLaufzeit") << m_fenster->lblLaufzeit << "Laufzeit";
    QTest::newRow("lblDatei") << m_fenster->lblDatei << "Datei";
    QTest::newRow("lblRelease") << m_fenster->lblRelease << "Release";
}

void TestFenster::wertfelderMeldenIhrenWert()
{
    QFETCH(Beschriftung *, feld);
    QFETCH(QString, beschreibung);
    const QString alt = feld->text();
    feld->setText(QStringLiteral("01:02:03"));
    QAccessibleInterface *schnitt = QAccessible::queryAccessibleInterface(feld);
    QCOMPARE(schnitt->text(QAccessible::Name), QStringLiteral("01:02:03"));
    QCOMPARE(schnitt->text(QAccessible::Description), beschreibung);
    feld->setText(alt);
}

void TestFenster::gitter()
{
    Tabellengitter *g = m_fenster->DBTabelle;
    QVERIFY(g->verticalHeader()->isHidden());
    QVERIFY(!g->horizontalHeader()->sectionsMovable());
    QVERIFY(g->horizontalHeader()->length() <= g->viewport()->width());
    QAccessibleTableInterface *tabelle = QAccessible::queryAccessibleInterface(g)->tableInterface();
    QCOMPARE(tabelle->rowCount(), 25);
    const QStringList titel{"Dauer", "Einheit", "Fahrstufe", "Fu", "F1", "F2", "F3", "F4"};
    for (int s = 0; s < 8; ++s)
        QCOMPARE(tabelle->columnDescription(s), titel[s]);
}

void TestFenster::menue()
{
    QMenuBar *leiste = m_fenster->menuBar();
    QCOMPARE(leiste->actions(), QList<QAction *>{m_fenster->mnuDatei->menuAction()});
    QCOMPARE(m_fenster->mnuDatei->title(), QStringLiteral("&Datei"));
    QStringList punkte;
    for (QAction *a : m_fenster->mnuDatei->actions())
        punkte << a->objectName() + u'|' + (a->isSeparator() ? QStringLiteral("-") : a->text()) + u'|'
                      + a->shortcut().toString();
    QCOMPARE(punkte, (QStringList{"mnuDatei_laden|öffnen / laden|Ctrl+L",
                                  "mnuDatei_speichern|speichern / sichern           |Ctrl+S",
                                  "mnuDatei_L1|-|", "mnuDatei_Beenden|beenden|"}));

    // "&?" and "b&eenden" are commands on the bar, at its right edge
    auto *rechts = qobject_cast<QMenuBar *>(leiste->cornerWidget(Qt::TopRightCorner));
    QVERIFY(rechts && rechts->isVisible());
    QCOMPARE(rechts->actions(), (QList<QAction *>{m_fenster->mnuHilfe, m_fenster->mnuBeenden}));
    QCOMPARE(m_fenster->mnuHilfe->text(), QStringLiteral("&?"));
    QCOMPARE(m_fenster->mnuBeenden->text(), QStringLiteral("b&eenden"));
    QVERIFY(leiste->actionGeometry(m_fenster->mnuDatei->menuAction()).left() < 20);
    QVERIFY(rechts->mapTo(leiste, rechts->actionGeometry(m_fenster->mnuBeenden).topRight()).x()
            >= leiste->width() - 20);

    QSignalSpy laden(m_fenster->mnuDatei_laden, &QAction::triggered);
    QTest::keyClick(m_fenster->DBTabelle, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(laden.size(), 1);
}

void TestFenster::beenden()
{
    for (const char *punkt : {"mnuBeenden", "mnuDatei_Beenden"}) {
        frmTrabolin f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.findChild<QAction *>(punkt)->trigger();
        QVERIFY2(!f.isVisible(), punkt);
    }
}

void TestFenster::hilfe_data()
{
    QTest::addColumn<bool>("taste");
    QTest::addColumn<bool>("vorhanden");
    QTest::newRow("F1, Datei fehlt") << true << false;
    QTest::newRow("&?, Datei fehlt") << false << false;
    QTest::newRow("F1") << true << true;
    QTest::newRow("&?") << false << true;
}

void TestFenster::hilfe()
{
    QFETCH(bool, taste);
    QFETCH(bool, vorhanden);
    const QString pfad = QCoreApplication::applicationDirPath() + u'/' + hilfepfad;
    QFile datei(pfad);
    QVERIFY(vorhanden ? datei.open(QIODevice::WriteOnly) : !datei.exists() || datei.remove());
    datei.close();
    QList<QUrl> geoeffnet;
    m_fenster->oeffneUrl = [&](const QUrl &url) { geoeffnet << url; return true; };

    const GefangeneMeldung m = fangeMeldung([&] {
        if (taste)
            QTest::keyClick(m_fenster->DBTabelle, Qt::Key_F1);
        else
            m_fenster->mnuHilfe->trigger();
    });
    datei.remove();
    QCOMPARE(m.gesehen, !vorhanden);
    QCOMPARE(geoeffnet, vorhanden ? QList<QUrl>{QUrl::fromLocalFile(pfad)} : QList<QUrl>{});
    if (!vorhanden) {
        QCOMPARE(m.symbol, QMessageBox::Critical);
        QVERIFY(m.text.contains(hilfepfad) && m.text.contains(QStringLiteral("nicht gefunden")));
    }
}

void TestFenster::infobox()
{
    const GefangeneMeldung m = fangeMeldung([&] { QTest::mouseClick(m_fenster->lblLogo, Qt::LeftButton); });
    QCOMPARE(m.titel, QStringLiteral(" Info über Lokomotiven-Trabolin"));
    QCOMPARE(m.symbol, QMessageBox::Information);
    QCOMPARE(m.knoepfe, QMessageBox::Ok);
    QCOMPARE(m.text.split(u'\n'),
             (QStringList{"Programm:     Lokomotiven-Trabolin",
                          QStringLiteral("Release :       %1.%2").arg(version::major).arg(version::minor), "",
                          QString::fromUtf8(version::copyright), "",
                          QStringLiteral("mailto :           ") + QString::fromUtf8(version::kommentar)}));
}

void TestFenster::lokTippFolgtAdresse()
{
    QLineEdit *adresse = m_fenster->txtAdresse;
    adresse->setFocus();
    adresse->selectAll();
    QTest::keyClicks(adresse, QStringLiteral("1003"));
    QCOMPARE(m_fenster->btnLok->toolTip(),
             QStringLiteral(" übernimmt die Kontrolle über die Lok mit der o.a. ID (aktuell: 1003) "));
    adresse->setText(QStringLiteral("1"));
}

QTEST_MAIN(TestFenster)
#include "tst_fenster.moc"

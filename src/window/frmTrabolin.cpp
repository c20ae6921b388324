#include "window/frmTrabolin.h"

#include "Version.h"
#include "program/Ablauf.h"
#include "program/EchteZeit.h"
#include "program/WavKlang.h"
#include "program/Netzverbindung.h"
#include "stations/Zentralenregister.h"
#include "window/Einstellungsseite.h"
#include "window/Einzelinstanz.h"
#include "window/Fahrbild.h"
#include "window/Fensterbedienfeld.h"
#include "window/Gleisanzeige.h"
#include "window/Stoppknopf.h"
#include "window/Tippgrenze.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QProcess>
#include <QShortcut>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

// The pictures are compiled into the window library, a static library, so their
// registration has to be pulled in by hand.
static void ladeBilder()
{
    Q_INIT_RESOURCE(trabolin);
    Q_INIT_RESOURCE(hilfe);
}

namespace trabolin {

namespace {

const QString lokTippAnfang =
    QStringLiteral(" übernimmt die Kontrolle über die Lok mit der o.a. ID");

template <class W>
W *benannt(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton *knopf(const QString &name, const QString &text, const QString &tipp = {})
{
    auto *k = benannt(new QPushButton(text), name);
    k->setToolTip(tipp);
    return k;
}

Beschriftung *ueberschrift(const QString &name, const QString &text)
{
    auto *l = benannt(new Beschriftung(text), name);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// A label that shows a value, such as a time, with the caption beside it as its
// accessible description.
Beschriftung *wertfeld(const QString &name, const QString &beschreibung)
{
    auto *l = benannt(new Beschriftung({}, Beschriftung::Art::wert), name);
    l->setAccessibleDescription(beschreibung);
    return l;
}

QComboBox *liste(const QString &name, const QStringList &eintraege, int start, bool editierbar)
{
    auto *l = benannt(new QComboBox, name);
    l->setEditable(editierbar);
    if (editierbar)
        l->setInsertPolicy(QComboBox::NoInsert);
    l->addItems(eintraege);
    l->setCurrentIndex(start);
    if (editierbar && start < 0)
        l->setEditText({});
    return l;
}

QFrame *panel(const QString &name, const QString &zugangsname)
{
    auto *p = benannt(new QFrame, name);
    p->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    p->setAccessibleName(zugangsname);
    return p;
}

QFrame *trennlinie()
{
    auto *linie = new QFrame;
    linie->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    return linie;
}

QLabel *bild(const QString &name, const QString &datei, const QString &zugangsname)
{
    auto *b = benannt(new QLabel, name);
    const QPixmap p(datei);
    b->setPixmap(p);
    b->setFixedSize(p.size());
    b->setAccessibleName(zugangsname);
    return b;
}

QString waehleDateiImDialog(QWidget *eltern, bool speichern)
{
    const QString filter = frmTrabolin::dateifilter().join(QStringLiteral(";;"));
    QString typ = frmTrabolin::dateifilter().first();
    return speichern ? QFileDialog::getSaveFileName(eltern, {}, {}, filter, &typ)
                     : QFileDialog::getOpenFileName(eltern, {}, {}, filter, &typ);
}

} // namespace

frmTrabolin::frmTrabolin(QWidget *parent, const QString &programmVerzeichnis)
    : QMainWindow(parent),
      m_programmVerzeichnis(programmVerzeichnis.isEmpty() ? QCoreApplication::applicationDirPath()
                                                          : programmVerzeichnis)
{
    ladeBilder();
    setObjectName(QStringLiteral("frmTrabolin"));
    setWindowTitle(QStringLiteral(" ") + QString::fromUtf8(version::produkt));
    setWindowIcon(QIcon(QStringLiteral(":/trabolin.png")));

    piepen = [] { QApplication::beep(); };
    oeffneUrl = [this](const QUrl &url) {
        return m_chmBetrachter && QDesktopServices::openUrl(url);
    };
    melde = [this](QMessageBox::Icon symbol, const QString &titel, const QString &text) {
        QMessageBox box(symbol, titel, text, QMessageBox::Ok, this);
        box.exec();
    };
    frage = [this](const QString &titel, const QString &text) {
        QMessageBox box(QMessageBox::Question, titel, text, QMessageBox::Yes | QMessageBox::No, this);
        return box.exec() == QMessageBox::Yes;
    };
    waehleDatei = [this](bool speichern) { return waehleDateiImDialog(this, speichern); };

    baueMenue();

    auto *mitte = benannt(new QWidget, QStringLiteral("frmTrabolinMitte"));
    auto *spalten = new QHBoxLayout(mitte);
    spalten->setContentsMargins(6, 6, 6, 6);
    spalten->setSpacing(8);

    DBTabelle = benannt(new Tabellengitter(m_tabelle), QStringLiteral("DBTabelle"));
    DBTabelle->setAccessibleName(QStringLiteral("Fahrprogramm"));
    DBTabelle->setzePiepen([this] {
        if (piepen)
            piepen();
    });
    DBTabelle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);

    lblLogo = benannt(new Beschriftung, QStringLiteral("lblLogo"));
    const QPixmap logo(QStringLiteral(":/logo.gif"));
    lblLogo->setPixmap(logo);
    lblLogo->setFixedSize(logo.size());
    lblLogo->setzeKlickbar(true);
    lblLogo->setAccessibleName(QStringLiteral("Logo"));
    lblLogo->setAccessibleDescription(QStringLiteral("zeigt die Programminformation"));
    lblRelease = wertfeld(QStringLiteral("lblRelease"), QStringLiteral("Release"));
    lblRelease->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto *fuss = new QHBoxLayout;
    fuss->addWidget(lblLogo);
    fuss->addWidget(lblRelease, 1);

    auto *mittelspalte = new QVBoxLayout;
    mittelspalte->setSpacing(8);
    mittelspalte->addWidget(baueZeitpanel());
    mittelspalte->addWidget(baueAdresspanel());
    mittelspalte->addWidget(baueEditpanel());
    mittelspalte->addWidget(baueLoeschpanel());
    mittelspalte->addStretch(1);
    mittelspalte->addLayout(fuss);

    auto *mittelWidget = new QWidget;
    mittelWidget->setLayout(mittelspalte);
    mittelspalte->setContentsMargins(0, 0, 0, 0);
    mittelWidget->setFixedWidth(qMax(220, fontMetrics().averageCharWidth() * 34));

    // The table with the middle column beside it (the logo at its foot), the step
    // chart under both in the room the window has left.
    imgFahrbild = benannt(new Fahrbild(m_tabelle), QStringLiteral("imgFahrbild"));
    auto *tabelleUndMitte = new QHBoxLayout;
    tabelleUndMitte->setSpacing(8);
    tabelleUndMitte->addWidget(DBTabelle, 0, Qt::AlignTop);
    tabelleUndMitte->addWidget(mittelWidget);
    auto *linkeSeite = new QVBoxLayout;
    linkeSeite->setSpacing(6);
    linkeSeite->addLayout(tabelleUndMitte);
    linkeSeite->addWidget(imgFahrbild, 1);
    spalten->addLayout(linkeSeite);

    spalten->addWidget(baueProgrammpanel(), 1);
    setCentralWidget(mitte);

    // "&Endlosschleife" and "b&eenden" both carry E: Alt+E always toggles the
    // check box, so that no single key ends the program. "beenden" stays on the
    // bar for the mouse and the bar's keyboard navigation (Alt, then the arrows).
    mnuLeiste->gibZugriffstasteAb(chkEndlos);

    // Every command sees the text just typed into the grid: connected before any
    // handler of a button, menu item or shortcut.
    verbindeUebernahme();

    connect(btnInsertLine, &QPushButton::clicked, this, &frmTrabolin::btnInsertLine_Click);
    connect(btnDeleteLine, &QPushButton::clicked, this, &frmTrabolin::btnDeleteLine_Click);
    connect(btnLineUp, &QPushButton::clicked, this, &frmTrabolin::btnLineUp_Click);
    connect(btnLineDown, &QPushButton::clicked, this, &frmTrabolin::btnLineDown_Click);
    connect(btnDelZeile, &QPushButton::clicked, this, &frmTrabolin::btnDelZeile_Click);
    connect(btnDelFolgende, &QPushButton::clicked, this, &frmTrabolin::btnDelFolgende_Click);
    connect(btnDelTabelle, &QPushButton::clicked, this, &frmTrabolin::btnDelTabelle_Click);
    connect(lblDel, &Beschriftung::geklickt, this, &frmTrabolin::lblDel_Click);
    connect(lblLogo, &Beschriftung::geklickt, this, &frmTrabolin::lblLogo_Click);
    connect(txtAdresse, &QLineEdit::textChanged, this, &frmTrabolin::txtAdresse_Change);
    connect(txtIPAdresse, &QLineEdit::textChanged, this, &frmTrabolin::txtIPAdresse_Change);
    connect(txtLocalPort, &QLineEdit::textChanged, this, &frmTrabolin::txtLocalPort_Change);
    connect(mnuDatei_laden, &QAction::triggered, this, &frmTrabolin::mnuDatei_laden_Click);
    connect(mnuDatei_speichern, &QAction::triggered, this, &frmTrabolin::mnuDatei_speichern_Click);
    connect(mnuDatei_Beenden, &QAction::triggered, this, &QWidget::close);
    connect(mnuBeenden, &QAction::triggered, this, &QWidget::close);
    connect(mnuHilfe, &QAction::triggered, this, &frmTrabolin::zeigeHilfe);
    connect(tasteF1, &QShortcut::activated, this, &frmTrabolin::zeigeHilfe);
    verbindeSteuerung();
    verbindeFahrbild();

    if (vorDemStart())
        vorDemStart()(*this);
    Form_Load();
}

std::function<std::unique_ptr<Zeitbasis>()> &frmTrabolin::zeitbasis()
{
    static std::function<std::unique_ptr<Zeitbasis>()> quelle;
    return quelle;
}

std::function<void(frmTrabolin &)> &frmTrabolin::vorDemStart()
{
    static std::function<void(frmTrabolin &)> vorgabe;
    return vorgabe;
}

frmTrabolin::~frmTrabolin()
{
    // The grid uses the store's selection model; it goes before the store does.
    delete takeCentralWidget();
}

void frmTrabolin::baueMenue()
{
    mnuLeiste = benannt(new Menueleiste, QStringLiteral("mnuLeiste"));
    mnuLeiste->setNativeMenuBar(false); // the right-hand items need our own menu bar
    setMenuBar(mnuLeiste);
    QMenuBar *leiste = mnuLeiste;

    mnuDatei = benannt(leiste->addMenu(QStringLiteral("&Datei")), QStringLiteral("mnuDatei"));
    mnuDatei->menuAction()->setObjectName(QStringLiteral("mnuDatei"));
    mnuDatei_laden = benannt(mnuDatei->addAction(QStringLiteral("öffnen / laden")),
                             QStringLiteral("mnuDatei_laden"));
    mnuDatei_laden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuDatei_speichern = benannt(mnuDatei->addAction(QStringLiteral("speichern / sichern")
                                                     + QString(11, u' ')),
                                 QStringLiteral("mnuDatei_speichern"));
    mnuDatei_speichern->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuDatei_L1 = benannt(mnuDatei->addSeparator(), QStringLiteral("mnuDatei_L1"));
    mnuDatei_Beenden = benannt(mnuDatei->addAction(QStringLiteral("beenden")),
                               QStringLiteral("mnuDatei_Beenden"));

    // "&?" and "b&eenden" are commands on the bar itself; start-up moves them to
    // its right edge.
    mnuHilfe = benannt(leiste->addAction(QStringLiteral("&?")), QStringLiteral("mnuHilfe"));
    mnuBeenden = benannt(leiste->addAction(QStringLiteral("b&eenden")), QStringLiteral("mnuBeenden"));

    tasteF1 = benannt(new QShortcut(QKeySequence(Qt::Key_F1), this), QStringLiteral("tasteF1"));
    tasteF1->setContext(Qt::WindowShortcut);

    // F10 enters the menu bar as a press of Alt alone does, as on other desktop
    // programs: "&Datei" is marked and the arrow keys go on to "&?" and "b&eenden".
    auto *tasteF10 = benannt(new QShortcut(QKeySequence(Qt::Key_F10), this), QStringLiteral("tasteF10"));
    tasteF10->setContext(Qt::WindowShortcut);
    connect(tasteF10, &QShortcut::activated, this, [this] {
        uebernehmeEingabe();
        QWidget *ziel = QApplication::focusWidget() ? QApplication::focusWidget() : this;
        QKeyEvent druck(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent loslassen(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QApplication::sendEvent(ziel, &druck);
        QApplication::sendEvent(ziel, &loslassen);
    });
}

QWidget *frmTrabolin::baueZeitpanel()
{
    pnlZeit = panel(QStringLiteral("pnlZeit"), QStringLiteral("Programm"));
    lblProgramm = ueberschrift(QStringLiteral("lblProgramm"), QStringLiteral("Programm"));
    lblStartzeitTitel = benannt(new Beschriftung(QStringLiteral("Startzeit")),
                                QStringLiteral("lblStartzeitTitel"));
    lblLaufzeitTitel = benannt(new Beschriftung(QStringLiteral("Laufzeit")),
                               QStringLiteral("lblLaufzeitTitel"));
    lblStartzeit = wertfeld(QStringLiteral("lblStartzeit"), QStringLiteral("Startzeit"));
    lblLaufzeit = wertfeld(QStringLiteral("lblLaufzeit"), QStringLiteral("Laufzeit"));
    lblDauerGesamtTitel = benannt(new Beschriftung(QStringLiteral("Dauer gesamt")),
                                  QStringLiteral("lblDauerGesamtTitel"));
    lblNochTitel = benannt(new Beschriftung(QStringLiteral("noch")), QStringLiteral("lblNochTitel"));
    lblDauerGesamt = wertfeld(QStringLiteral("lblDauerGesamt"), QStringLiteral("Dauer gesamt"));
    lblNoch = wertfeld(QStringLiteral("lblNoch"), QStringLiteral("noch"));
    const int zeitbreite = fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 16;
    for (Beschriftung *wert : {lblStartzeit, lblLaufzeit, lblDauerGesamt, lblNoch}) {
        wert->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        wert->setAlignment(Qt::AlignCenter);
        wert->setMinimumWidth(zeitbreite);
    }

    auto *gitter = new QGridLayout(pnlZeit);
    gitter->setContentsMargins(8, 6, 8, 8);
    gitter->addWidget(lblProgramm, 0, 0, 1, 2);
    gitter->addWidget(lblStartzeitTitel, 1, 0);
    gitter->addWidget(lblStartzeit, 1, 1);
    gitter->addWidget(lblLaufzeitTitel, 2, 0);
    gitter->addWidget(lblLaufzeit, 2, 1);
    gitter->addWidget(lblDauerGesamtTitel, 3, 0);
    gitter->addWidget(lblDauerGesamt, 3, 1);
    gitter->addWidget(lblNochTitel, 4, 0);
    gitter->addWidget(lblNoch, 4, 1);
    gitter->setColumnStretch(1, 1);
    return pnlZeit;
}

QWidget *frmTrabolin::baueAdresspanel()
{
    pnlAdresse = panel(QStringLiteral("pnlAdresse"), QStringLiteral("Adresse"));
    txtAdresse = benannt(new QLineEdit(QStringLiteral("1")), QStringLiteral("txtAdresse"));
    setzeTippgrenze(txtAdresse, 5);
    txtAdresse->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    lblAdresse[0] = benannt(new Beschriftung(QStringLiteral("Adresse:")), QStringLiteral("lblAdresse_0"));
    lblAdresse[1] = benannt(new Beschriftung(QStringLiteral("Adresse")), QStringLiteral("lblAdresse_1"));
    lblAdresse[0]->setBuddy(txtAdresse);
    lblDateiTitel = benannt(new Beschriftung(QStringLiteral("Datei:")), QStringLiteral("lblDateiTitel"));
    lblDatei = wertfeld(QStringLiteral("lblDatei"), QStringLiteral("Datei"));
    lblDatei->setzeGekuerzt(true);

    auto *gitter = new QGridLayout(pnlAdresse);
    gitter->setContentsMargins(8, 6, 8, 6);
    gitter->addWidget(lblAdresse[0], 0, 0);
    gitter->addWidget(txtAdresse, 0, 1);
    gitter->addWidget(lblAdresse[1], 0, 2);
    gitter->addWidget(lblDateiTitel, 1, 0);
    gitter->addWidget(lblDatei, 1, 1, 1, 2);
    gitter->setColumnStretch(2, 1);
    return pnlAdresse;
}

QWidget *frmTrabolin::baueEditpanel()
{
    pnlEdit = panel(QStringLiteral("pnlEdit"), QStringLiteral("Edit"));
    lblEdit = ueberschrift(QStringLiteral("lblEdit"), QStringLiteral("Edit"));
    btnInsertLine = knopf(QStringLiteral("btnInsertLine"), QStringLiteral("Zeile einfügen"),
                          QStringLiteral("fügt eine neue Zeile ein und schiebt alle folgenden Zeilen um eins nach unten"));
    btnDeleteLine = knopf(QStringLiteral("btnDeleteLine"), QStringLiteral("Zeile löschen"),
                          QStringLiteral("löscht die aktuelle Zeile und schiebt alle folgenden Zeilen um eins nach oben"));
    btnLineUp = knopf(QStringLiteral("btnLineUp"), QStringLiteral("Zeile aufwärts"),
                      QStringLiteral("verschiebt die aktuelle Zeile um eins nach oben"));
    btnLineDown = knopf(QStringLiteral("btnLineDown"), QStringLiteral("Zeile abwärts"),
                        QStringLiteral("verschiebt die aktuelle Zeile um eins nach unten"));

    auto *spalte = new QVBoxLayout(pnlEdit);
    spalte->setContentsMargins(8, 6, 8, 8);
    spalte->setSpacing(4);
    spalte->addWidget(lblEdit);
    for (QPushButton *k : {btnInsertLine, btnDeleteLine, btnLineUp, btnLineDown})
        spalte->addWidget(k);
    return pnlEdit;
}

QWidget *frmTrabolin::baueLoeschpanel()
{
    pnlDel = panel(QStringLiteral("pnlDel"), QStringLiteral("Löschen"));
    lblDel = ueberschrift(QStringLiteral("lblDel"), QStringLiteral("Löschen ..."));
    lblDel->setToolTip(QStringLiteral("öffnet / schliesst das Lösch-Menu"));
    lblDel->setAccessibleDescription(lblDel->toolTip());
    lblDel->setzeKlickbar(true);
    btnDelZeile = knopf(QStringLiteral("btnDelZeile"), QStringLiteral("aktuelle Zeile "),
                        QStringLiteral("löscht den Inhalt der aktuellen Zeile"));
    btnDelFolgende = knopf(QStringLiteral("btnDelFolgende"), QStringLiteral("Zeile + folgende"),
                           QStringLiteral("löscht die aktuelle und alle folgenden Zeilen"));
    btnDelTabelle = knopf(QStringLiteral("btnDelTabelle"), QStringLiteral("Tabelle"),
                          QStringLiteral("löscht die komplette Tabelle"));

    // The panel folds between two fixed heights; its buttons only show when open.
    auto *spalte = new QVBoxLayout(pnlDel);
    spalte->setContentsMargins(8, 4, 8, 4);
    spalte->setSpacing(3);
    spalte->addWidget(lblDel);
    for (QPushButton *k : {btnDelZeile, btnDelFolgende, btnDelTabelle}) {
        k->setFixedHeight(qMin(k->sizeHint().height(), 28));
        spalte->addWidget(k);
    }
    spalte->addStretch(1);
    setzeLoeschpanelHoehe(pnlDelOffen);
    return pnlDel;
}

QWidget *frmTrabolin::baueProgrammpanel()
{
    pnlProgramm = panel(QStringLiteral("pnlProgramm"), QStringLiteral("Zentrale und Verbindung"));
    auto *spalte = new QVBoxLayout(pnlProgramm);
    spalte->setContentsMargins(8, 6, 8, 8);
    spalte->setSpacing(6);

    // Command station
    lblZentrale = ueberschrift(QStringLiteral("lblZentrale"), QStringLiteral("Zentrale"));
    grpZentrale = new QButtonGroup(this);
    grpZentrale->setObjectName(QStringLiteral("grpZentrale"));
    // The options three to a row, so the panel keeps its width as stations come.
    auto *zentralen = new QGridLayout;
    zentralen->setContentsMargins(0, 0, 0, 0);
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        auto *option = benannt(new QRadioButton(stationen[i]->titel), QStringLiteral("optZentrale_%1").arg(i));
        option->setToolTip(stationen[i]->tipp);
        optZentrale.push_back(option);
        grpZentrale->addButton(option, i);
        zentralen->addWidget(option, i / 3, i % 3, Qt::AlignLeft); // clickable where it is drawn
    }
    zentralen->setColumnStretch(3, 1);
    // The window starts on the registry's start station, with the start captions of the address.
    const int start = startoption();
    optZentrale[start]->setChecked(true);
    const trabolin::Zentrale &startzeile = *stationen[start];
    spalte->addWidget(lblZentrale);
    spalte->addLayout(zentralen);
    spalte->addWidget(trennlinie());

    // Serial port
    lblSchnittstelle = ueberschrift(QStringLiteral("lblSchnittstelle"), QStringLiteral("Schnittstelle"));
    lstV24 = liste(QStringLiteral("lstV24"), {}, -1, true);
    btnV24 = knopf(QStringLiteral("btnV24"), QStringLiteral("&COM"),
                   QStringLiteral(" ermittelt alle freien Schnittstellen "));
    imgV24 = bild(QStringLiteral("imgV24"), QStringLiteral(":/v24.png"), QStringLiteral("serieller Anschluss"));
    lblBaudrate = benannt(new Beschriftung(QStringLiteral("Baudrate")), QStringLiteral("lblBaudrate"));
    lstBaudrate = liste(QStringLiteral("lstBaudrate"),
                        {QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                         QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"),
                         QStringLiteral("115200"), QStringLiteral("128000")},
                        0, true);
    lblParity = benannt(new Beschriftung(QStringLiteral("Parity")), QStringLiteral("lblParity"));
    lstParity = liste(QStringLiteral("lstParity"),
                      {QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("O"),
                       QStringLiteral("M"), QStringLiteral("S")},
                      0, true);
    lblDatenbits = benannt(new Beschriftung(QStringLiteral("Datenbits")), QStringLiteral("lblDatenbits"));
    lstDatenbits = liste(QStringLiteral("lstDatenbits"),
                         {QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")}, 2, true);
    lblStopbits = benannt(new Beschriftung(QStringLiteral("Stopbits")), QStringLiteral("lblStopbits"));
    lstStopbits = liste(QStringLiteral("lstStopbits"), {QStringLiteral("1"), QStringLiteral("2")}, 1, true);
    btnParameterSetzen = knopf(QStringLiteral("btnParameterSetzen"), QStringLiteral("&Parameter setzen"));
    chkUSB = benannt(new QCheckBox(QStringLiteral("&USB-Interface     ")), QStringLiteral("chkUSB"));
    chkUSB->setToolTip(QStringLiteral(" bei Verwendung des Lenz USB-Interfaces "));
    chkUSB->setEnabled(startzeile.usbInterface()); // only the stations that say so use it
    imgUSB = bild(QStringLiteral("imgUSB"), QStringLiteral(":/usb.png"), QStringLiteral("USB-Interface"));
    imgUSB->hide();
    lblFS = benannt(new Beschriftung(QStringLiteral("Fahrstufen")), QStringLiteral("lblFS"));
    lstFS = liste(QStringLiteral("lstFS"),
                  {QStringLiteral("14"), QStringLiteral("27"), QStringLiteral("28"), QStringLiteral("128")},
                  0, false);
    lblFS->setEnabled(startzeile.fahrstufen);
    lstFS->setEnabled(startzeile.fahrstufen);

    lblSchnittstelle->setBuddy(lstV24);
    lblBaudrate->setBuddy(lstBaudrate);
    lblParity->setBuddy(lstParity);
    lblDatenbits->setBuddy(lstDatenbits);
    lblStopbits->setBuddy(lstStopbits);
    lblFS->setBuddy(lstFS);

    auto *port = new QGridLayout;
    port->setHorizontalSpacing(6);
    port->setVerticalSpacing(4);
    port->addWidget(lblSchnittstelle, 0, 0, 1, 2);
    port->addWidget(lstV24, 1, 0);
    port->addWidget(btnV24, 1, 1);
    port->addWidget(imgV24, 1, 2, Qt::AlignCenter);
    port->addWidget(imgUSB, 1, 3, Qt::AlignCenter);
    port->addWidget(lblBaudrate, 2, 0);
    port->addWidget(lblParity, 2, 1);
    port->addWidget(lblDatenbits, 2, 2);
    port->addWidget(lblStopbits, 2, 3);
    port->addWidget(lstBaudrate, 3, 0);
    port->addWidget(lstParity, 3, 1);
    port->addWidget(lstDatenbits, 3, 2);
    port->addWidget(lstStopbits, 3, 3);
    port->addWidget(btnParameterSetzen, 4, 0, 1, 2);
    port->addWidget(chkUSB, 4, 2, 1, 2);
    port->addWidget(lblFS, 5, 0);
    port->addWidget(lstFS, 5, 1);
    for (int s = 0; s < 4; ++s)
        port->setColumnStretch(s, 1);
    spalte->addLayout(port);
    spalte->addWidget(trennlinie());

    // ECoS
    lblIPAdresse = benannt(new Beschriftung(QStringLiteral("IP-Adresse")), QStringLiteral("lblIPAdresse"));
    txtIPAdresse = benannt(new QLineEdit, QStringLiteral("txtIPAdresse"));
    setzeTippgrenze(txtIPAdresse, 15);
    lblLocalPort = benannt(new Beschriftung(QStringLiteral("LocalPort")), QStringLiteral("lblLocalPort"));
    txtLocalPort = benannt(new QLineEdit, QStringLiteral("txtLocalPort"));
    setzeTippgrenze(txtLocalPort, 5);
    btn15471 = knopf(QStringLiteral("btn15471"), QStringLiteral("Default"), startzeile.standardTipp);
    btnEcos = knopf(QStringLiteral("btnEcos"), startzeile.verbindenText, startzeile.verbindenTipp);
    btnEcos->setEnabled(!startzeile.istSeriell(startzeile.vorgaben()));
    btnListe = knopf(QStringLiteral("btnListe"), QStringLiteral("Lokliste einlesen"),
                     QStringLiteral(" listet alle angemeldeten Lokomotiven auf "));
    btnListe->setEnabled(false);
    btnLok = knopf(QStringLiteral("btnLok"), QStringLiteral("Kontrolle übernehmen"), lokTippAnfang + u' ');
    btnLok->setEnabled(false);
    lblRX = benannt(new Beschriftung(startzeile.antwortTitel), QStringLiteral("lblRX"));
    txtRX = benannt(new Antwortfeld, QStringLiteral("txtRX"));
    txtRX->setMinimumHeight(fontMetrics().height() * 4);

    lblIPAdresse->setBuddy(txtIPAdresse);
    lblLocalPort->setBuddy(txtLocalPort);
    lblRX->setBuddy(txtRX);

    auto *ecos = new QGridLayout;
    ecos->setHorizontalSpacing(6);
    ecos->setVerticalSpacing(4);
    ecos->addWidget(lblIPAdresse, 0, 0);
    ecos->addWidget(txtIPAdresse, 0, 1);
    ecos->addWidget(btnEcos, 0, 2);
    ecos->addWidget(lblLocalPort, 1, 0);
    ecos->addWidget(txtLocalPort, 1, 1);
    ecos->addWidget(btn15471, 1, 2);
    ecos->addWidget(btnListe, 2, 0, 1, 2);
    ecos->addWidget(btnLok, 2, 2);
    ecos->addWidget(lblRX, 3, 0, 1, 3);
    ecos->addWidget(txtRX, 4, 0, 1, 3);
    ecos->setColumnStretch(1, 1);
    ecos->setRowStretch(4, 1);
    spalte->addLayout(ecos, 1);
    spalte->addWidget(trennlinie());

    // Track power and run
    btnPower[0] = knopf(QStringLiteral("btnPower_0"), QStringLiteral("Power of&f"),
                        QStringLiteral(" Zentrale abschalten "));
    btnPower[1] = knopf(QStringLiteral("btnPower_1"), QStringLiteral("Power o&n"),
                        QStringLiteral(" Zentrale einschalten "));
    // What the layout says, beside the buttons that switch its power.
    lblGleis = benannt(new Gleisanzeige, QStringLiteral("lblGleis"));
    auto *strom = new QHBoxLayout;
    strom->addWidget(btnPower[0]);
    strom->addWidget(btnPower[1]);
    strom->addWidget(lblGleis);
    spalte->addLayout(strom);
    spalte->addWidget(trennlinie());

    btnStart = knopf(QStringLiteral("btnStart"), QStringLiteral("&starten"),
                     QStringLiteral(" startet das Programm "));
    btnSendStop = benannt(new Stoppknopf(QStringLiteral("St&op")), QStringLiteral("btnSendStop"));
    btnSendStop->setToolTip(QStringLiteral(" stoppt das laufende Programm "));
    btnSendZeile = knopf(QStringLiteral("btnSendZeile"), QStringLiteral("aktuelle &Zeile "),
                         QStringLiteral(" überträgt die aktuelle Zeile zum Interface "));
    for (QPushButton *k : {btnStart, btnSendStop, btnSendZeile})
        k->setEnabled(false);
    chkEndlos = benannt(new QCheckBox(QStringLiteral("&Endlosschleife")), QStringLiteral("chkEndlos"));
    chkEndlos->setToolTip(QStringLiteral(" führt das Programm endlos aus "));
    chkSignal = benannt(new QCheckBox(QStringLiteral("&akustisches Signal bei Programmende")),
                        QStringLiteral("chkSignal"));
    chkSignal->setToolTip(QStringLiteral(" startet bei Programmende die Datei \"Signal.wav\" "));

    auto *lauf = new QHBoxLayout;
    lauf->addWidget(btnStart);
    lauf->addWidget(btnSendStop);
    lauf->addWidget(btnSendZeile);
    spalte->addLayout(lauf);
    m_laufeinstellungen = benannt(new Einstellungsseite(QStringLiteral("Lauf"), laufeinstellungen()),
                                  QStringLiteral("pnlLaufeinstellungen"));
    auto *endlos = new QHBoxLayout;
    endlos->addWidget(chkEndlos);
    endlos->addStretch(1);
    endlos->addWidget(m_laufeinstellungen);
    spalte->addLayout(endlos);
    spalte->addWidget(chkSignal);

    // The settings of the selected station's own, below the common controls.
    m_einstellungsstapel = benannt(new QStackedWidget, QStringLiteral("stpEinstellungen"));
    for (int i = 0; i < int(stationen.size()); ++i) {
        auto *seite = new Einstellungsseite(i, stationen[i]->einstellungen());
        m_einstellungsseiten.push_back(seite);
        m_einstellungsstapel->addWidget(seite);
    }
    m_einstellungsstapel->setCurrentIndex(start);
    spalte->addWidget(m_einstellungsstapel);
    return pnlProgramm;
}

void frmTrabolin::verbindeUebernahme()
{
    for (QAbstractButton *k : findChildren<QAbstractButton *>())
        connect(k, &QAbstractButton::clicked, this, &frmTrabolin::uebernehmeEingabe);
    for (QAction *a : {mnuDatei_laden, mnuDatei_speichern, mnuDatei_Beenden, mnuHilfe, mnuBeenden})
        connect(a, &QAction::triggered, this, &frmTrabolin::uebernehmeEingabe);
    connect(tasteF1, &QShortcut::activated, this, &frmTrabolin::uebernehmeEingabe);
}

void frmTrabolin::uebernehmeEingabe()
{
    DBTabelle->uebernehmeEingabe();
}

void frmTrabolin::Form_Load()
{
    // Top left corner of the screen; showEvent makes the outer size exact once the
    // frame of the window is known. "&?" and "b&eenden" already stand at the right
    // edge of the menu bar (baueMenue).
    move(0, 0);
    resize(aussenBreite, aussenHoehe);
    setzeMenuRechtsbuendig(mnuLeiste, 2);

    m_hilfedatei = QDir(m_programmVerzeichnis).filePath(QStringLiteral("Trabolin.chm"));
    frageNachChmBetrachter();

    if (einzelinstanzPruefen) {
        m_einzelinstanz = std::make_unique<Einzelinstanz>(m_programmVerzeichnis);
        if (!m_einzelinstanz->erlangen()) {
            m_einzelinstanz.reset();
            m_zweiteInstanz = true;
            if (piepen)
                piepen();
            melde(QMessageBox::Critical, windowTitle(),
                  QStringLiteral("Das Programm wurde bereits gestartet ...") + QString(17, u' '));
            return;
        }
    }

    // The table store is the window's member and already attached to the grid.
    lblRelease->setText(QStringLiteral("Rel. %1.%2.%3")
                            .arg(version::major)
                            .arg(version::minor)
                            .arg(version::revision));

    if (const Fehler fehler = subReadConfig()) {
        zentraleFehlerbehandlung(fehler);
        return;
    }
    setzeGanz(txtLocalPort, EcosLocalPort);
    setzeGanz(txtIPAdresse, EcosIPAdresse);
    lblDatei->setText(ConfigDatei);

    // The delete panel starts closed.
    setzeLoeschpanelHoehe(pnlDelZu);

    ablauf().zustand().stopp = false;
    oeffneSchnittstelleBeimStart();
}

void frmTrabolin::Form_Unload()
{
    // A run still going on ends without sending anything more; the port closes first.
    m_schliesst = true;
    m_ablauf->beenden();
    if (V24->istOffen())
        V24->schliesse();

    // Commit a cell edit still open: first line, then last line.
    uebernehmeEingabe();
    m_tabelle.setzeAktuelleZeile(1);
    m_tabelle.setzeAktuelleZeile(anzahlZeilen);

    // A program file was loaded (or start-up never read the settings): ask first.
    const bool schreiben =
        lblDatei->text().compare(ConfigDatei, Qt::CaseInsensitive) == 0
        || (frage && frage(QStringLiteral(" Datei speichern..."),
                           QStringLiteral("aktuelle Daten in 'Trabolin.ini' speichern ?")
                               + QString(6, u' ')));
    if (schreiben) {
        const QString fehler = subWriteConfig();
        if (!fehler.isEmpty())
            melde(QMessageBox::Critical, QStringLiteral(" Datei speichern..."), fehler);
    }
    // Every network link closes, also one the fields no longer show: a station that
    // keeps a list of its clients hears that the program has gone.
    for (Netzverbindung *netz : m_netz)
        if (netz)
            netz->schliesse();
}

void frmTrabolin::closeEvent(QCloseEvent *ereignis)
{
    // A refused second instance ends without any shutdown step.
    if (!m_zweiteInstanz) {
        uebernehmeEingabe();
        Form_Unload();
    }
    ereignis->accept();
}

void frmTrabolin::showEvent(QShowEvent *ereignis)
{
    QMainWindow::showEvent(ereignis);
    if (m_aussenmassGesetzt)
        return;
    m_aussenmassGesetzt = true;
    QTimer::singleShot(0, this, [this] {
        const QSize rahmen = frameGeometry().size() - geometry().size();
        resize(aussenBreite - rahmen.width(), aussenHoehe - rahmen.height());
        move(0, 0);
    });
}

// --- table editing

void frmTrabolin::bearbeite(Bearbeitung (*befehl)(Tabellenspeicher &, int))
{
    uebernehmeEingabe();
    const Bearbeitung ergebnis = befehl(m_tabelle, m_tabelle.aktuelleZeile());
    if (ergebnis.piepen) {
        if (piepen)
            piepen();
        return;
    }
    m_bearbeitet = true;
    m_tabelle.setzeAktuelleZeile(ergebnis.zeile);
    m_bearbeitet = false;
    DBTabelle->viewport()->update();
}

void frmTrabolin::btnInsertLine_Click() { bearbeite(zeileEinfuegen); }
void frmTrabolin::btnDeleteLine_Click() { bearbeite(zeileLoeschen); }
void frmTrabolin::btnLineUp_Click() { bearbeite(zeileAufwaerts); }
void frmTrabolin::btnLineDown_Click() { bearbeite(zeileAbwaerts); }
void frmTrabolin::btnDelZeile_Click() { bearbeite(zeileLeeren); }
void frmTrabolin::btnDelFolgende_Click() { bearbeite(folgendeLeeren); }
void frmTrabolin::btnDelTabelle_Click()
{
    // An empty table is a new program: the run of the old one ends with its stop at
    // once, not only when the line that is running has run out.
    m_ablauf->halteAn();
    bearbeite(tabelleLeeren);
}

void frmTrabolin::setzeLoeschpanelHoehe(int hoehe)
{
    pnlDel->setFixedHeight(hoehe);
    const bool offen = hoehe == pnlDelOffen;
    for (QPushButton *k : {btnDelZeile, btnDelFolgende, btnDelTabelle})
        k->setVisible(offen);
}

void frmTrabolin::lblDel_Click()
{
    uebernehmeEingabe();
    setzeLoeschpanelHoehe(pnlDel->height() == pnlDelOffen ? pnlDelZu : pnlDelOffen);
    lblDel->setText(pnlDel->height() == pnlDelOffen ? QStringLiteral("Löschen")
                                                      : QStringLiteral("Löschen ..."));
}

// --- about box, help, address

QString frmTrabolin::infoTitel()
{
    return QStringLiteral(" Info über ") + QString::fromUtf8(version::produkt);
}

QString frmTrabolin::infoText()
{
    return QStringList{
        QStringLiteral("Programm:     ") + QString::fromUtf8(version::produkt),
        QStringLiteral("Release :       %1.%2").arg(version::major).arg(version::minor),
        QString(),
        QString::fromUtf8(version::copyright),
        QString(),
        QStringLiteral("mailto :           ") + QString::fromUtf8(version::kommentar),
    }.join(u'\n');
}

void frmTrabolin::lblLogo_Click()
{
    uebernehmeEingabe();
    QMessageBox box(QMessageBox::Information, infoTitel(), infoText(), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgInfo"));
    box.exec();
}

void frmTrabolin::zeigeHilfe()
{
    uebernehmeEingabe();
    if (QFileInfo(m_hilfedatei).isFile() && oeffneUrl
        && oeffneUrl(QUrl::fromLocalFile(m_hilfedatei)))
        return;
    zeigeHilfeImProgramm();
}

void frmTrabolin::frageNachChmBetrachter()
{
#ifdef Q_OS_WIN
    m_chmBetrachter = true;
#else
    // Asked once and without waiting: F1 during a run must not hold the window
    // while another program answers. Until the answer is in, F1 shows the help
    // inside the program.
    if (!QFileInfo(m_hilfedatei).isFile())
        return;
    for (const char *typ : {"application/vnd.ms-htmlhelp", "application/x-chm"}) {
        auto *abfrage = new QProcess(this);
        connect(abfrage, &QProcess::finished, this, [this, abfrage] {
            if (!abfrage->readAllStandardOutput().trimmed().isEmpty())
                m_chmBetrachter = true;
            abfrage->deleteLater();
        });
        connect(abfrage, &QProcess::errorOccurred, abfrage, &QObject::deleteLater);
        abfrage->start(QStringLiteral("xdg-mime"),
                       {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(typ)});
    }
#endif
}

void frmTrabolin::zeigeHilfeImProgramm()
{
    if (!m_hilfefenster) {
        m_hilfefenster = new QTextBrowser(this);
        m_hilfefenster->setWindowFlag(Qt::Window);
        m_hilfefenster->setObjectName(QStringLiteral("frmHilfe"));
        m_hilfefenster->setWindowTitle(QStringLiteral(" Lokomotiven-Trabolin - Hilfe"));
        m_hilfefenster->setOpenExternalLinks(true);
        m_hilfefenster->setSource(QUrl(QStringLiteral("qrc:/hilfe/index.html")));
        m_hilfefenster->resize(720, 620);
    }
    m_hilfefenster->show();
    m_hilfefenster->raise();
    m_hilfefenster->activateWindow();
}

void frmTrabolin::txtAdresse_Change()
{
    btnLok->setToolTip(lokTippAnfang + QStringLiteral(" (aktuell: ") + txtAdresse->text()
                       + QStringLiteral(") "));
}

} // namespace trabolin

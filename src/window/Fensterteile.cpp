// The station panel, the menu bar and the logo of the main window, as they are built.
#include "window/Fensterteile.h"

#include "stations/Zentralenregister.h"
#include "window/Antwortfeld.h"
#include "window/Bauteile.h"
#include "window/Einstellungsseite.h"
#include "window/Gleisanzeige.h"
#include "window/Menueleiste.h"
#include "window/Sprache.h"
#include "window/Stoppknopf.h"
#include "window/Tippgrenze.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace trabolin {

void Fensterteile::baueMenue(QMainWindow &fenster)
{
    mnuLeiste = benannt(new Menueleiste, QStringLiteral("mnuLeiste"));
    mnuLeiste->setNativeMenuBar(false); // the right-hand items need our own menu bar
    fenster.setMenuBar(mnuLeiste);
    QMenuBar *leiste = mnuLeiste;

    mnuDatei = benannt(leiste->addMenu(QString()), QStringLiteral("mnuDatei"));
    mnuDatei->menuAction()->setObjectName(QStringLiteral("mnuDatei"));
    mnuDatei_laden = benannt(mnuDatei->addAction(QString()), QStringLiteral("mnuDatei_laden"));
    mnuDatei_laden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuDatei_speichern = benannt(mnuDatei->addAction(QString()), QStringLiteral("mnuDatei_speichern"));
    mnuDatei_speichern->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuDatei_L1 = benannt(mnuDatei->addSeparator(), QStringLiteral("mnuDatei_L1"));
    mnuDatei_Beenden = benannt(mnuDatei->addAction(QString()), QStringLiteral("mnuDatei_Beenden"));

    // "&?" (help and the language) and "b&eenden" (a command on the bar itself) stand
    // at the bar's right edge (start-up puts a separator before them).
    mnuFrage = benannt(leiste->addMenu(QStringLiteral("&?")), QStringLiteral("mnuFrage"));
    mnuHilfe = mnuFrage->menuAction();
    mnuHilfe->setObjectName(QStringLiteral("mnuHilfe"));
    mnuHilfe_Hilfe = benannt(mnuFrage->addAction(QString()), QStringLiteral("mnuHilfe_Hilfe"));
    // "Sprache / Language" reads the same in both languages, for a user who cannot
    // read the one in effect.
    mnuSprache = benannt(mnuFrage->addMenu(QStringLiteral("&Sprache / Language")), QStringLiteral("mnuSprache"));
    mnuSprache->menuAction()->setObjectName(QStringLiteral("mnuSprache"));
    auto *sprachen = new QActionGroup(mnuSprache);
    mnuSprache_de = benannt(mnuSprache->addAction(QStringLiteral("&Deutsch")), QStringLiteral("mnuSprache_de"));
    mnuSprache_en = benannt(mnuSprache->addAction(QStringLiteral("&English")), QStringLiteral("mnuSprache_en"));
    for (QAction *a : {mnuSprache_de, mnuSprache_en}) {
        a->setCheckable(true);
        sprachen->addAction(a);
    }
    mnuBeenden = benannt(leiste->addAction(QString()), QStringLiteral("mnuBeenden"));
    beiSprache(mnuLeiste, [this] {
        mnuDatei->setTitle(tr("&Datei"));
        mnuDatei_laden->setText(tr("öffnen / laden"));
        mnuDatei_speichern->setText(tr("speichern / sichern") + QString(11, u' '));
        mnuDatei_Beenden->setText(tr("beenden"));
        // Its access key is that of "&Endlosschleife", which keeps it (see
        // Menueleiste::gibZugriffstasteAb): no single key ends the program.
        mnuBeenden->setText(tr("b&eenden"));
    });

    tasteF1 = benannt(new QShortcut(QKeySequence(Qt::Key_F1), &fenster), QStringLiteral("tasteF1"));
    tasteF1->setContext(Qt::WindowShortcut);

    // F10 enters the menu bar as a press of Alt alone does, as on other desktop
    // programs: "&Datei" is marked and the arrow keys go on to "&?" and "b&eenden".
    tasteF10 = benannt(new QShortcut(QKeySequence(Qt::Key_F10), &fenster), QStringLiteral("tasteF10"));
    tasteF10->setContext(Qt::WindowShortcut);
}

QString Fensterteile::lokTipp(const QString *adresse)
{
    return adresse ? tr(" übernimmt die Kontrolle über die Lok mit der o.a. ID (aktuell: %1) ").arg(*adresse)
                   : tr(" übernimmt die Kontrolle über die Lok mit der o.a. ID ");
}

QWidget *Fensterteile::baueFuss()
{
    lblLogo = benannt(new Beschriftung, QStringLiteral("lblLogo"));
    const QPixmap logo(QStringLiteral(":/logo.gif"));
    lblLogo->setPixmap(logo);
    lblLogo->setFixedSize(logo.size());
    lblLogo->setzeKlickbar(true);
    lblLogo->setAccessibleName(QStringLiteral("Logo"));
    beiSprache(lblLogo, [this] { lblLogo->setAccessibleDescription(tr("zeigt die Programminformation")); });
    lblRelease = wertfeld(QStringLiteral("lblRelease"), QStringLiteral("Release"));
    lblRelease->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto *fuss = new QWidget;
    auto *fusszeile = new QHBoxLayout(fuss);
    fusszeile->setContentsMargins(0, 0, 0, 0);
    fusszeile->setSpacing(8); // as a row of the middle column
    fusszeile->addWidget(lblLogo);
    fusszeile->addWidget(lblRelease, 1);

    return fuss;
}

QWidget *Fensterteile::baueProgrammpanel(QWidget &fenster, QCheckBox *chkEndlos)
{
    pnlProgramm = panel(QStringLiteral("pnlProgramm"), QString());
    auto *spalte = new QVBoxLayout(pnlProgramm);
    spalte->setContentsMargins(8, 6, 8, 8);
    spalte->setSpacing(6);

    // Command station
    lblZentrale = ueberschrift(QStringLiteral("lblZentrale"), QString());
    grpZentrale = new QButtonGroup(&fenster);
    grpZentrale->setObjectName(QStringLiteral("grpZentrale"));
    // The options three to a row, so the panel keeps its width as stations come.
    auto *zentralen = new QGridLayout;
    zentralen->setContentsMargins(0, 0, 0, 0);
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        auto *option = benannt(new QRadioButton, QStringLiteral("optZentrale_%1").arg(i));
        const trabolin::Zentrale *zeile = stationen[i].get();
        beiSprache(option, [option, zeile] {
            option->setText(zentralenText(zeile->titel));
            option->setToolTip(zentralenText(zeile->tipp));
        });
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
    lblSchnittstelle = ueberschrift(QStringLiteral("lblSchnittstelle"), QString());
    lstV24 = liste(QStringLiteral("lstV24"), {}, -1, true);
    btnV24 = knopf(QStringLiteral("btnV24"), QStringLiteral("&COM"));
    imgV24 = bild(QStringLiteral("imgV24"), QStringLiteral(":/v24.png"), QString());
    lblBaudrate = benannt(new Beschriftung, QStringLiteral("lblBaudrate"));
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
    lblDatenbits = benannt(new Beschriftung, QStringLiteral("lblDatenbits"));
    lstDatenbits = liste(QStringLiteral("lstDatenbits"),
                         {QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")}, 2, true);
    lblStopbits = benannt(new Beschriftung, QStringLiteral("lblStopbits"));
    lstStopbits = liste(QStringLiteral("lstStopbits"), {QStringLiteral("1"), QStringLiteral("2")}, 1, true);
    btnParameterSetzen = knopf(QStringLiteral("btnParameterSetzen"), QString());
    chkUSB = benannt(new QCheckBox, QStringLiteral("chkUSB"));
    chkUSB->setEnabled(startzeile.usbInterface()); // only the stations that say so use it
    imgUSB = bild(QStringLiteral("imgUSB"), QStringLiteral(":/usb.png"), QString());
    imgUSB->hide();
    lblFS = benannt(new Beschriftung, QStringLiteral("lblFS"));
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
    // The captions set with their buddies: each names its list for assistive tools.
    beiSprache(pnlProgramm, [this] {
        pnlProgramm->setAccessibleName(tr("Zentrale und Verbindung"));
        lblZentrale->setText(tr("Zentrale"));
        lblSchnittstelle->setText(tr("Schnittstelle"));
        btnV24->setToolTip(tr(" ermittelt alle freien Schnittstellen "));
        imgV24->setAccessibleName(tr("serieller Anschluss"));
        lblBaudrate->setText(tr("Baudrate"));
        lblDatenbits->setText(tr("Datenbits"));
        lblStopbits->setText(tr("Stopbits"));
        btnParameterSetzen->setText(tr("&Parameter setzen"));
        chkUSB->setText(tr("&USB-Interface     "));
        chkUSB->setToolTip(tr(" bei Verwendung des Lenz USB-Interfaces "));
        imgUSB->setAccessibleName(tr("USB-Interface"));
        lblFS->setText(tr("Fahrstufen"));
    });

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
    lblIPAdresse = benannt(new Beschriftung, QStringLiteral("lblIPAdresse"));
    txtIPAdresse = benannt(new QLineEdit, QStringLiteral("txtIPAdresse"));
    setzeTippgrenze(txtIPAdresse, 15);
    lblLocalPort = benannt(new Beschriftung(QStringLiteral("LocalPort")), QStringLiteral("lblLocalPort"));
    txtLocalPort = benannt(new QLineEdit, QStringLiteral("txtLocalPort"));
    setzeTippgrenze(txtLocalPort, 5);
    // "Default", the connect button and the reply label speak for the network station
    // shown: the Netzfeld sets their texts.
    btn15471 = knopf(QStringLiteral("btn15471"), QStringLiteral("Default"));
    btnEcos = knopf(QStringLiteral("btnEcos"), QString());
    btnEcos->setEnabled(!startzeile.istSeriell(startzeile.vorgaben()));
    btnListe = knopf(QStringLiteral("btnListe"), QString());
    btnListe->setEnabled(false);
    // Its tool tip names the current program's address: the window sets it.
    btnLok = knopf(QStringLiteral("btnLok"), QString());
    btnLok->setEnabled(false);
    lblRX = benannt(new Beschriftung, QStringLiteral("lblRX"));
    txtRX = benannt(new Antwortfeld, QStringLiteral("txtRX"));
    txtRX->setMinimumHeight(fenster.fontMetrics().height() * 4);

    lblIPAdresse->setBuddy(txtIPAdresse);
    lblLocalPort->setBuddy(txtLocalPort);
    lblRX->setBuddy(txtRX);
    beiSprache(lblIPAdresse, [this] {
        lblIPAdresse->setText(tr("IP-Adresse"));
        btnListe->setText(tr("Lokliste einlesen"));
        btnListe->setToolTip(tr(" listet alle angemeldeten Lokomotiven auf "));
        btnLok->setText(tr("Kontrolle übernehmen"));
    });

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
    btnPower[0] = knopf(QStringLiteral("btnPower_0"), QString());
    btnPower[1] = knopf(QStringLiteral("btnPower_1"), QString());
    // What the layout says, beside the buttons that switch its power.
    lblGleis = benannt(new Gleisanzeige, QStringLiteral("lblGleis"));
    auto *strom = new QHBoxLayout;
    strom->addWidget(btnPower[0]);
    strom->addWidget(btnPower[1]);
    strom->addWidget(lblGleis);
    spalte->addLayout(strom);
    spalte->addWidget(trennlinie());

    btnStart = knopf(QStringLiteral("btnStart"), QString());
    btnSendStop = benannt(new Stoppknopf(QStringLiteral("St&op")), QStringLiteral("btnSendStop"));
    btnSendZeile = knopf(QStringLiteral("btnSendZeile"), QString());
    for (QPushButton *k : {btnStart, btnSendStop, btnSendZeile})
        k->setEnabled(false);
    chkSignal = benannt(new QCheckBox, QStringLiteral("chkSignal"));
    beiSprache(btnStart, [this] {
        btnPower[0]->setText(tr("Power of&f"));
        btnPower[0]->setToolTip(tr(" Zentrale abschalten "));
        btnPower[1]->setText(tr("Power o&n"));
        btnPower[1]->setToolTip(tr(" Zentrale einschalten "));
        btnStart->setText(tr("&starten"));
        btnStart->setToolTip(tr(" startet das Programm "));
        btnSendStop->setToolTip(tr(" stoppt das laufende Programm "));
        btnSendZeile->setText(tr("aktuelle &Zeile "));
        btnSendZeile->setToolTip(tr(" überträgt die aktuelle Zeile zum Interface "));
        chkSignal->setText(tr("&akustisches Signal bei Programmende"));
        chkSignal->setToolTip(tr(" startet bei Programmende die Datei \"Signal.wav\" "));
    });

    auto *lauf = new QHBoxLayout;
    lauf->addWidget(btnStart);
    lauf->addWidget(btnSendStop);
    lauf->addWidget(btnSendZeile);
    spalte->addLayout(lauf);
    m_laufeinstellungen = benannt(new Einstellungsseite(QStringLiteral("Lauf"), laufeinstellungen()),
                                  QStringLiteral("pnlLaufeinstellungen"));
    auto *endlos = new QHBoxLayout;
    m_endlosReihe = endlos;
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

} // namespace trabolin

#pragma once
// The station panel, the menu bar and the logo of the main window as they are built,
// each control under its name, as a form designer would hand them over: the window
// derives from it and wires the controls.
#include "window/Beschriftung.h"

#include <QCoreApplication>
#include <QString>
#include <array>
#include <vector>

class QHBoxLayout;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;
class QShortcut;
class QStackedWidget;
class QWidget;

namespace trabolin {

class Antwortfeld;
class Einstellungsseite;
class Gleisanzeige;
class Menueleiste;

struct Fensterteile {
    Q_DECLARE_TR_FUNCTIONS(trabolin::Fensterteile)
public:
    // The menu bar of `fenster` with "&Datei", "&?" and "b&eenden", and the F1 and
    // F10 keys.
    void baueMenue(QMainWindow &fenster);
    // The logo and the release label in a row.
    QWidget *baueFuss();
    // The station panel: the stations, the serial port, the network fields, the power,
    // the run buttons with "Endlosschleife" (the page's) beside them, and the settings of
    // each station's own, the start station selected.
    QWidget *baueProgrammpanel(QWidget &fenster, QCheckBox *chkEndlos);
    // The tool tip of "Kontrolle übernehmen", with the current program's address once
    // one has been shown (`adresse` not null).
    static QString lokTipp(const QString *adresse);

    // --- station and connection panel
    QFrame *pnlProgramm;
    Beschriftung *lblZentrale;
    std::vector<QRadioButton *> optZentrale; // one per row of the station registry, in its order
    QButtonGroup *grpZentrale = nullptr; // ids as the indexes of optZentrale

    Beschriftung *lblSchnittstelle;
    QComboBox *lstV24;
    QPushButton *btnV24;
    Beschriftung *lblBaudrate;
    QComboBox *lstBaudrate;
    Beschriftung *lblParity;
    QComboBox *lstParity;
    Beschriftung *lblDatenbits;
    QComboBox *lstDatenbits;
    Beschriftung *lblStopbits;
    QComboBox *lstStopbits;
    QPushButton *btnParameterSetzen;
    QCheckBox *chkUSB;
    QLabel *imgUSB;
    QLabel *imgV24;
    Beschriftung *lblFS;
    QComboBox *lstFS;

    Beschriftung *lblIPAdresse;
    QLineEdit *txtIPAdresse;
    Beschriftung *lblLocalPort;
    QLineEdit *txtLocalPort;
    QPushButton *btn15471;
    QPushButton *btnEcos;
    QPushButton *btnListe;
    QPushButton *btnLok;
    Beschriftung *lblRX;
    Antwortfeld *txtRX;

    std::array<QPushButton *, 2> btnPower;
    Gleisanzeige *lblGleis; // the track state the selected station reports

    QPushButton *btnStart;
    QPushButton *btnSendStop; // a Stoppknopf: stops as it goes down
    QPushButton *btnSendZeile;
    QCheckBox *chkSignal = nullptr;

    // --- release label, logo: at the foot of the first page's middle column
    Beschriftung *lblRelease;
    Beschriftung *lblLogo;

    // --- menu bar
    QMenu *mnuDatei;
    QAction *mnuDatei_laden;
    QAction *mnuDatei_speichern;
    QAction *mnuDatei_L1;
    QAction *mnuDatei_Beenden;
    Menueleiste *mnuLeiste; // the one menu bar, "&?" and "b&eenden" at its right edge
    QMenu *mnuFrage;          // "&?"
    QAction *mnuHilfe;        // its item on the bar
    QAction *mnuHilfe_Hilfe;  // "&Hilfe", as F1
    QMenu *mnuSprache;        // "&Sprache / Language"
    QAction *mnuSprache_de;   // "&Deutsch"
    QAction *mnuSprache_en;   // "&English"
    QAction *mnuBeenden;
    QShortcut *tasteF1;
    QShortcut *tasteF10;

    // The settings of each station's own, one page per station in the registry's order;
    // the stack shows the selected station's page.
    QStackedWidget *m_einstellungsstapel = nullptr;
    std::vector<Einstellungsseite *> m_einstellungsseiten;
    Einstellungsseite *m_laufeinstellungen = nullptr; // the run's own, beside "Endlosschleife"
    QHBoxLayout *m_endlosReihe = nullptr;             // "Endlosschleife" and the run's own
};

} // namespace trabolin

#pragma once
#include "program/Tabelle.h"
#include "window/Beschriftung.h"
#include "window/Tabellenbearbeitung.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QFrame;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace trabolin {

class Ablauf;
class Fahrbetrieb;
class Fahrbild;
class Fensterbedienfeld;
class Klang;
class Netzverbindung;
class SerielleSchnittstelle;
class Tabellengitter;
class Zentralentreiber;

// What the first page's drivers made that a later page's drivers share, one entry per
// station of the registry: the network link (nullptr for none), so one link to a
// station carries every program, and what the drivers on one port share
// (Zentralenanschluss::gemeinsam). Empty for the first page, whose drivers make them.
struct Stationsteile {
    std::vector<Netzverbindung *> netz;
    std::vector<std::shared_ptr<void>> gemeinsam;
};

// What the program pages of one window share, handed to each page by the window.
struct Seitenumgebung {
    Fahrbetrieb &betrieb;       // the clock, the layout's reports, the list of programs
    Klang &klang;               // the end signal and the ring
    SerielleSchnittstelle &v24; // the one serial port
    QObject *linkEltern;        // the owner of the network links the page's drivers make
    // The window's station choice (0 and up, -1 for none) and "akustisches Signal bei
    // Programmende", asked as they are at the time.
    std::function<int()> zentraleOption;
    std::function<bool()> signal;
    // The window's beep as it stands at the time.
    std::function<void()> piepen;
    // What the first page's drivers made, for a later page's drivers.
    Stationsteile geteilt;
    // A widget of the window shown at the foot of the page's middle column (the logo
    // and the release); nullptr for none.
    QWidget *fuss = nullptr;
};

// One driving program: its table with the grid, the edit and delete panels acting on
// it, the address, the times, "Endlosschleife", the step chart, the program file, its
// run and its drivers, one per station of the registry. The page reads nothing of
// another page; what all programs share it reaches through its Seitenumgebung. Object
// names are the control names; that is how a test finds a control.
class Programmseite : public QWidget {
    Q_OBJECT
public:
    // Heights of the delete panel.
    static constexpr int pnlDelOffen = 125;
    static constexpr int pnlDelZu = 32;

    explicit Programmseite(Seitenumgebung umgebung, QWidget *parent = nullptr);
    ~Programmseite() override;

    Tabellenspeicher &tabelle() { return m_tabelle; }
    Ablauf &ablauf() { return *m_ablauf; }

    // --- its drivers, one per station of the registry, in the registry's order
    Zentralentreiber &treiber(int option) const { return *m_treiber[option]; }
    int anzahlTreiber() const { return int(m_treiber.size()); }
    // The network link each driver uses (nullptr for none), as made by the first page.
    const std::vector<Netzverbindung *> &netzlinks() const { return m_teile.netz; }
    // The links and what the drivers share on a port, for a later page.
    const Stationsteile &stationsteile() const { return m_teile; }
    // Locks the address field while the program runs (among several), with the tool
    // tip of controls locked during a run; unlocked, its own tool tip is back.
    void sperreAdresse(bool gesperrt);
    // A setting of station `option`'s own goes to the page's driver and link of it.
    void stelleEin(int option, const QString &schluessel, const QString &wert);
    // "Fahrstufen" (the index in its list) and "USB-Interface" go to every driver.
    void setzeFahrstufen(int index);
    void setzeUsbInterface(bool an);
    // The station chosen in the window has changed: the chart reckons as it drives.
    void zeigeZentrale(int option);
    // The captions beside the address field: the station's word for it and its range.
    void zeigeAdresstitel(const QString &titel, const QString &bereich);
    std::pair<QString, QString> adresstitel() const;
    // The chart takes the locomotive's measured profile as it stands now (its address,
    // station, "Fahrstufen" or the profiles changed) and "Fahrstufe in km/h".
    void zeigeProfil();
    QCheckBox *kmhSchalter() const { return chkKmh; }
    // "Kontakt-Zeitgrenze" in seconds, for the run and the chart.
    void setzeKontaktZeitgrenze(int sekunden);

    // --- its controls and files
    // The address as typed, and putting one in: as typed (cut at the field's limit) or
    // whole (a value read from "Trabolin.ini").
    QString adresse() const;
    void setzeAdresse(const QString &text, bool ganz = false);
    // "Endlosschleife": the page's own, shown by the window beside the run buttons.
    QCheckBox *endlosSchalter() const { return chkEndlos; }
    // The file the program came from, beside "Datei:".
    QString datei() const;
    void setzeDatei(const QString &pfad);
    // Loads program file `pfad` into the table, which stays as it was when the file
    // cannot be read whole; saves the table as program file `pfad`. Empty, or the
    // message saying why not.
    QString ladeProgramm(const QString &pfad);
    QString speichereProgramm(const QString &pfad);
    void setzeLoeschpanelOffen(bool offen);

    // Writes an open cell editor's text into the store. Every command of the page
    // calls this first, so it sees what the user has just typed.
    void uebernehmeEingabe();
    // Puts the cursor on the first line, then on the last, as closing and saving do
    // before the table is written.
    void durchlaufeZeilen();

signals:
    // The page's run or single line begins; it has ended (its display has ended already).
    void laufBeginnt(bool einzelzeile);
    void laufEndet();
    // A report to show once no run goes on, since a modal box would hold the run's
    // wait; `art` names its kind: one report of each kind waits at a time.
    void nachDemLauf(const QString &art, QMessageBox::Icon symbol, const QString &titel, const QString &text);
    // A report to show at once (a start refused before anything was sent).
    void meldung(QMessageBox::Icon symbol, const QString &titel, const QString &text);
    // The address field's text has changed.
    void adresseGeaendert(const QString &text);

private:
    QWidget *baueZeitpanel();
    QWidget *baueAdresspanel();
    QWidget *baueEditpanel();
    QWidget *baueLoeschpanel();
    void baueTreiber();
    // Every caption, tool tip and accessible text of the page, in the language in effect.
    void zeigeTexte();
    // "Löschen" after its caption has opened the panel, "Löschen ..." otherwise.
    void zeigeLoeschtitel();
    void verbindeLauf();
    void verbindeFahrbild();
    void zeigeFahrstand();
    void zeigeHoechsteFahrstufe();
    void setzeLoeschpanelHoehe(int hoehe);
    void bearbeite(Bearbeitung (*befehl)(Tabellenspeicher &, int));
    void lblDel_Click();
    void btnDelTabelle_Click();
    void piepe();

    Seitenumgebung m_umgebung;
    Tabellenspeicher m_tabelle;

    // --- run time panel
    QFrame *pnlZeit;
    Beschriftung *lblProgramm;
    Beschriftung *lblStartzeitTitel;
    Beschriftung *lblLaufzeitTitel;
    Beschriftung *lblStartzeit;
    Beschriftung *lblLaufzeit;
    Beschriftung *lblDauerGesamtTitel;
    Beschriftung *lblNochTitel;
    Beschriftung *lblDauerGesamt; // one pass from the current line; " je Durchlauf" when endless
    Beschriftung *lblNoch;        // the time left during a run or single line

    // --- address panel
    QFrame *pnlAdresse;
    QLineEdit *txtAdresse;
    std::array<Beschriftung *, 2> lblAdresse;
    Beschriftung *lblDateiTitel;
    Beschriftung *lblDatei;
    QCheckBox *chkKmh;

    // --- edit panel
    QFrame *pnlEdit;
    Beschriftung *lblEdit;
    QPushButton *btnInsertLine;
    QPushButton *btnDeleteLine;
    QPushButton *btnLineUp;
    QPushButton *btnLineDown;

    // --- delete panel
    QFrame *pnlDel;
    Beschriftung *lblDel;
    QPushButton *btnDelZeile;
    QPushButton *btnDelFolgende;
    QPushButton *btnDelTabelle;

    // --- table, its step chart, "Endlosschleife" (placed by the window)
    Tabellengitter *DBTabelle;
    Fahrbild *imgFahrbild;
    QPointer<QCheckBox> chkEndlos;

    std::unique_ptr<Fensterbedienfeld> m_bedienfeld;
    std::unique_ptr<Ablauf> m_ablauf;
    // Per station of the registry: the driver, the network link (or nullptr) and what
    // hands the station's own settings to them.
    std::vector<std::unique_ptr<Zentralentreiber>> m_treiber;
    Stationsteile m_teile;
    std::vector<std::function<void(const QString &, const QString &)>> m_einstellen;
    bool m_bearbeitet = false; // an editing command moves the cursor, not the run
    QString m_adressTipp;      // the address field's own tool tip while it is locked
    bool m_loeschenOhnePunkte = false;
};

} // namespace trabolin

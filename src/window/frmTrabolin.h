#pragma once
#include "program/Tabelle.h"
#include "program/Zentralentreiber.h"
#include "serial/V24.h"
#include "window/Antwortfeld.h"
#include "window/Beschriftung.h"
#include "window/Fensterteile.h"
#include "window/Hilfe.h"
#include "window/Menueleiste.h"
#include "window/Nachmeldungen.h"
#include "window/Programmliste.h"
#include "window/Programmseite.h"
#include "window/Tabellenbearbeitung.h"
#include "window/Tabellengitter.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace trabolin {

class Ablauf;
class Einzelinstanz;
class Fahrbetrieb;
class Laufknoepfe;
class Netzfeld;
class WavKlang;

// The program's only window. It owns the station panel with the serial port and the
// network links, the menus, the clock and the sound that every driving program shares,
// and its program pages (Programmseite), for now exactly one: each holds one program's
// table, controls, run and drivers. The first page's drivers are the stations' drivers:
// the port's bytes, the power, the locomotive list and the settings go to them. Its
// public face is what main and the tests need: the hooks that replace modal boxes, the
// beep and the clock, the current page's store and run logic, the settings file and the
// texts of the about box. Object names are the control names, arrays are named
// "<name>_<index>"; that is how a test finds a control.
class frmTrabolin : public QMainWindow, private Fensterteile {
    Q_OBJECT
public:
    // Outer size of the window, frame and title bar included.
    static constexpr int aussenBreite = 1024;
    static constexpr int aussenHoehe = 741;
    // Heights of the delete panel.
    static constexpr int pnlDelOffen = Programmseite::pnlDelOffen;
    static constexpr int pnlDelZu = Programmseite::pnlDelZu;
    // Characters of a reply shown in txtRX at most; a longer reply is shown with
    // its start and its end, and the number of characters left out between them.
    static constexpr qsizetype anzeigeKappe = Antwortfeld::anzeigeKappe;

    // `programmVerzeichnis` is where the program looks for its sounds, its help file
    // and the "COM<N>" port links; empty means the directory of the executable.
    explicit frmTrabolin(QWidget *parent = nullptr, const QString &programmVerzeichnis = {});
    ~frmTrabolin() override;

    // The store and the run of the current page.
    Tabellenspeicher &tabelle() { return aktuelleSeite().tabelle(); }
    Ablauf &ablauf() { return aktuelleSeite().ablauf(); }
    QString programmVerzeichnis() const { return m_programmVerzeichnis; }

    // The system beep. Every refused key and every refused line move goes through
    // it; tests replace it to count the beeps.
    std::function<void()> piepen;
    // Opens the help file; replaceable for tests. Returns whether it could be opened.
    std::function<bool(const QUrl &)> oeffneUrl;
    // Shows a modal message box with an icon and an OK button; replaceable for tests.
    std::function<void(QMessageBox::Icon, const QString &titel, const QString &text)> melde;

    // Asks a question in a modal box with Yes and No; true for Yes. Replaceable for tests.
    std::function<bool(const QString &titel, const QString &text)> frage;
    // The standard open (speichern false) or save dialog with the file type list;
    // returns the chosen path, empty when cancelled. Replaceable for tests.
    std::function<QString(bool speichern)> waehleDatei;
    // Runs in the constructor before start-up, so that a test can replace melde,
    // frage and the rest before Form_Load uses them. Empty in the program.
    static std::function<void(frmTrabolin &)> &vorDemStart();
    // The clock and the wait of the runs, made when the window is built; tests put in
    // one that runs in virtual time. Empty in the program: the real clock.
    static std::function<std::unique_ptr<Zeitbasis>()> &zeitbasis();
    // Start-up refuses a second instance for the same program folder; tests that open
    // several windows at once switch this off in vorDemStart.
    bool einzelinstanzPruefen = true;
    // True when start-up found another running instance: this one must end at once.
    bool zweiteInstanz() const { return m_zweiteInstanz; }

    // The settings file: read it and apply its values in file order (the error that
    // stopped the read, or none), and write it from the window's state (an empty text,
    // or the message saying why it could not be written).
    Fehler subReadConfig();
    QString subWriteConfig();

    // The file type list of the open and save dialogs.
    static QStringList dateifilter();
    // The help file "Trabolin.chm" in the program directory.
    QString hilfedatei() const { return m_hilfe->datei(); }
    // The texts of the about box.
    static QString infoTitel() { return Hilfe::infoTitel(); }
    static QString infoText() { return Hilfe::infoText(); }

protected:
    void closeEvent(QCloseEvent *ereignis) override;
    void showEvent(QShowEvent *ereignis) override;

private:
    // Writes an open cell editor's text into the store. Every command calls this
    // first, so it sees what the user has just typed. Every button, menu item and
    // shortcut of the window already does this before its own handlers run.
    void uebernehmeEingabe();
    // Puts the language chosen in the menu or read from "Trabolin.ini" into effect and
    // keeps it for the file.
    void waehleSprache(const QString &code);

    // Start-up, run once at the end of the constructor.
    void Form_Load();
    // Shutdown, run when the window closes.
    void Form_Unload();

    QString ConfigDatei;

    // "&Datei": load a program file into the table, save the table as a program file.
    void mnuDatei_laden_Click();
    void mnuDatei_speichern_Click();

    // --- serial port, station and run
    SerielleSchnittstelle *V24;  // the one serial port
    QString Zentrale;            // station code of the selected row ("DCC", "Lenz", "Ecos", ...)
    bool USBInterface = false;   // the Lenz USB interface is used (chkUSB)

    void btnPower_Click(int index);
    void btnV24_Click();
    void btnParameterSetzen_Click();
    void chkUSB_Click();
    void optZentrale_Click(int index);

    // Enables or disables the run and power buttons and sets the speed steps to "14".
    void subV24ok(bool status);
    // As subV24ok for a network station whose link came up (or not): the run and
    // power buttons follow `status`, and "Fahrstufen" keeps the mode the user chose
    // for that station.
    void subZentraleBereit(bool status);
    // The central error report: shows the message for the error, if it has one.
    void zentraleFehlerbehandlung(const Fehler &fehler);

    // --- handlers
    void lblLogo_Click();
    // F1 and "&?": opens the help file with the platform's viewer, or, without file
    // or viewer, the same help in a window of the program.
    void zeigeHilfe();

    QString einstellungsPfad() const;
    void verbindeUebernahme();

    // The clock, the sound, the port and the Fahrbetrieb every page shares.
    void baueGemeinsames();
    // A new page on the shared parts; the first one makes the network links.
    Programmseite *baueSeite(QWidget *fuss);
    // Wires page `seite` to the window: the station's settings, "Fahrstufen",
    // "USB-Interface", its run's begin and end, its messages.
    void nimmSeiteAuf(Programmseite &seite);
    Programmseite &aktuelleSeite() const { return *m_seiten[m_aktuelleSeite]; }
    // The page whose drivers are the stations' drivers.
    Programmseite &ersteSeite() const { return *m_seiten.front(); }
    Zentralentreiber &stationstreiber(int option) const { return ersteSeite().treiber(option); }
    void verbindeSteuerung();
    // The track indicator and the messages of a layout that ends or refuses a run.
    void verbindeGleismeldungen();
    void zeigeKontakt();
    void oeffneSchnittstelleBeimStart();
    // True when station `option` is to be reached through the serial port, with the
    // settings of its own as they are now.
    bool istSeriell(int option) const;
    // A setting of station `option`'s own has changed.
    void einstellungGeaendert(int option, const QString &schluessel, const QString &wert);
    // The port or the link of station `option` has been opened: the run and power
    // buttons are enabled now, or once a station that needs a moment has answered.
    void zentraleGeoeffnet(int option);
    // The controls of the way to the station: the connect button, every "über
    // Netzwerk", "&COM", the serial lists, "Parameter setzen", "USB-Interface" and
    // "Default". A change of them during a run would switch or reopen the way the
    // run's commands take, and its stop with them.
    QList<QWidget *> wegbedienung() const;
    // Enables them as station `option` wants them ("connect" for a network station and
    // for one chosen "über Netzwerk", "über Netzwerk" and "USB-Interface" where its row
    // has them), or, while a run or a single line goes on, disables them all with the
    // reason in their tool tips; their own tool tips come back afterwards.
    void zeigeWegbedienung(int option);
    void setzeVerbindenKnopf(int option) { zeigeWegbedienung(option); }
    // What a station switch does to the port's settings: "USB-Interface" unticked where
    // the station has none, the station's line settings in the lists and its handshake
    // on the port. During a run this waits until the run has ended, so that the stop
    // of the station driving goes out as that station needs it.
    void wendeZentralenvorgabenAn(int index);
    // A run or a single line begins (true) or has ended (false).
    void setzeFahrtsperre(bool gesperrt);
    void schnittstelleVerloren();
    // The network part of the station panel, on the first page's links.
    void verbindeNetz();
    // Shows the address captions of station `option` (-1: none yet) with its settings
    // as they are now on every page, in the language in effect; a switch of language
    // shows them anew.
    void zeigeAdresstitel(int option);
    // The port choice names the device its number stands for.
    void zeigeGeraet();

    QString m_programmVerzeichnis;
    std::unique_ptr<Zeitbasis> m_zeit;
    std::unique_ptr<WavKlang> m_klang;
    std::unique_ptr<Fahrbetrieb> m_betrieb;
    // The program pages, for now exactly one, and the one shown.
    std::vector<Programmseite *> m_seiten;
    int m_aktuelleSeite = 0;
    Programmliste *m_programme = nullptr; // the tabs and the menu "Fa&hrprogramm"
    Netzfeld *m_netzfeld = nullptr;
    Laufknoepfe *m_laufknoepfe = nullptr; // "&starten", "St&op", "aktuelle &Zeile "
    int m_v24Option = -1;  // the serial station the port was last opened for
    // The reports kept for after the runs: shown once nothing runs.
    Nachmeldungen m_nachDemLauf;
    bool m_fahrtsperre = false;         // a run or single line goes on: the way is locked
    bool m_vorgabenOffen = false;       // a station switch during the run waits for its end
    bool m_schliesst = false;           // shutdown has begun
    Hilfe *m_hilfe;
    bool m_aussenmassGesetzt = false;
    std::unique_ptr<Einzelinstanz> m_einzelinstanz;
    bool m_zweiteInstanz = false;
    QString m_gewaehlteSprache; // "de" or "en" once chosen in the menu or read from the file
    int m_adresstitelOption = -1;         // the station whose address captions the pages show
    std::optional<QString> m_lokAdresse;  // the address "Kontrolle übernehmen" names
};

} // namespace trabolin

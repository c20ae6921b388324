#pragma once
// The run logic for the driving program: the shared run state, the one wait with
// its stop action, the start of a run and of a single line, the running time and
// the sounds. What a command station does with a line is its driver's work
// (Zentralentreiber.h); the run logic calls the driver of the station selected at
// the moment it acts.
#include "program/Tabelle.h"
#include "program/Umgebung.h"
#include "program/Zeitplan.h"
#include "program/Zentralentreiber.h"

#include <QObject>
#include <array>

namespace trabolin {

// The run state shared by the run, the single line, the drivers and the wait.
struct Laufzustand {
    QString adresseText;   // txtAdresse as read at the start of a pass or single line
    qint16 adresseNummer = 0;
    qint16 XLRichtung = 1; // direction field of the IntelliBox "XL" commands
    bool stopp = false;    // the stop flag, raised only by the stop button
};

class Ablauf : public QObject {
    Q_OBJECT
public:
    Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit, Klang &klang,
           QObject *parent = nullptr);

    // The driver of station option `option` (0 to 2); not owned, it must outlive
    // every run. An option without a driver sends nothing.
    void setzeTreiber(int option, Zentralentreiber *treiber);
    // The driver of the station selected now, or nullptr.
    Zentralentreiber *treiber() const;

    Laufzustand &zustand() { return m_zustand; }
    Tabellenspeicher &tabelle() { return m_tabelle; }
    Bedienfeld &bedienfeld() { return m_bedienfeld; }

    // True while a run ("starten") or a single line is going on.
    bool laeuft() const { return m_laeuft > 0; }
    // True once the window is closing: waits return at once, nothing more is sent.
    bool beendet() const { return m_beendet; }

    // The one wait: `dauerMs` milliseconds with the window responsive, cut short
    // by the stop flag, in which case the selected station's stop goes out. Inside a
    // run or a single line the run's own waits end on the deadlines of its schedule
    // (Zeitplan), counted from the start, not from the moment the wait is called.
    void subWarten(int dauerMs);
    // Lets the window process its pending events once.
    void verarbeiteEreignisse();

    // Click on "St&op": raises the stop flag; the running wait ends at once.
    void stoppKlick();

    // Click on "&starten" and on "aktuelle &Zeile ".
    void btnStart_Click();
    void btnSendZeile_Click();

    // Click on "Power of&f" (index 0) or "Power o&n" (index 1).
    void btnPower_Click(int index);

    // The window closes: a run or single line still going on stops the locomotive
    // through the selected station's driver; then every wait returns at once and
    // every run ends without sending anything more.
    void beenden();

    // "hh:mm:ss" for a number of seconds; hours are not limited to 24.
    static QString ermittleZeittext(int sekunden);

    // Writes the running time since lblStartzeit into lblLaufzeit.
    void aktualisiereLaufzeit();
    // Writes the time of day into lblStartzeit.
    void setzeStartzeit();
    // Reads txtAdresse into the address text and number of the run state.
    void leseAdresse();

    // The end of a pass of a station that runs its own passes (Lenz, ECoS): true when
    // the next pass starts, at line 1. A stop raised during the pass ends the run
    // (also in endless mode); so does an endless pass that drove no line, which
    // would only spin. At the normal end the pass plays the end sound.
    bool naechsterPass(bool gefahren);

    // "Signal.wav" when "akustisches Signal bei Programmende" is ticked.
    void spieleEndsignal();
    // "ring.wav" three times, one second apart.
    void spieleRing();

private:
    Tabellenspeicher &m_tabelle;
    Bedienfeld &m_bedienfeld;
    Zeitbasis &m_zeit;
    Klang &m_klang;
    Laufzustand m_zustand;
    Zeitplan m_zeitplan;
    std::array<Zentralentreiber *, 3> m_treiber{};
    int m_laeuft = 0;
    bool m_beendet = false;
};

// A millisecond count clamped into the range of a wait.
int alsWartezeit(qint64 ms);

// Wait times of a table line: the "Dauer" value in seconds for the units "s" and
// "S", in minutes for every other unit; clamped to the range of a wait.
int wartezeitMs(qint64 dauer, const QString &einheit);

} // namespace trabolin

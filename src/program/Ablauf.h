#pragma once
// The run logic for the driving program: the shared run state, the one wait with
// its stop action, the row commands, the run started by "starten" and the single
// line. It reads the controls through Bedienfeld and reaches the port, the clock
// and the sound through the interfaces of Umgebung.h.
#include "program/Tabelle.h"
#include "program/Umgebung.h"
#include "stations/lenz/XpressNet.h"

#include <QObject>

namespace trabolin {

// The run state shared by the run, the single line, the row commands and the wait.
struct Laufzustand {
    QString adresseText;   // txtAdresse as read at the start of a pass or single line
    qint16 adresseNummer = 0;
    qint16 XLRichtung = 1; // direction field of the IntelliBox "XL" commands
    bool stopp = false;    // the stop flag, raised only by the stop button
};

class Ablauf : public QObject {
    Q_OBJECT
public:
    Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit,
           Ausgabe &v24, Klang &klang, QObject *parent = nullptr);

    Laufzustand &zustand() { return m_zustand; }
    LenzPuffer &LenzBefehl() { return m_lenzBefehl; }

    // True while a run ("starten") or a single line is going on.
    bool laeuft() const { return m_laeuft > 0; }

    // The one wait: `dauerMs` milliseconds with the window responsive, cut short
    // by the stop flag, in which case the selected station's stop goes out.
    void subWarten(int dauerMs);

    // Click on "St&op": raises the stop flag; the running wait ends at once.
    void stoppKlick();

    // Click on "&starten" and on "aktuelle &Zeile ".
    void btnStart_Click();
    void btnSendZeile_Click();

    // Click on "Power of&f" (index 0) or "Power o&n" (index 1).
    void btnPower_Click(int index);

    // Marks the program as ending: every wait returns at once and every run ends
    // without sending anything more.
    void beenden();

    // "hh:mm:ss" for a number of seconds; hours are not limited to 24.
    static QString ermittleZeittext(int sekunden);

    // Writes the running time since lblStartzeit into lblLaufzeit.
    void aktualisiereLaufzeit();

    // Two-byte command of the 6051 interface: both texts read as numbers.
    void sendeMaerklinBefehl(const QString &befehl, const QString &adresse);
    // The frame pending in LenzBefehl, with check byte and USB prefix.
    void sendeLenzBefehl();

    // Row commands for one table line on the 6021/6051 (address below 256) and
    // IntelliBox (256 or more) path.
    void Fahrbefehl();
    void Fahrbefehl_X();

private:
    void sendeStoppDerZentrale();
    // The stop on the 6021/IntelliBox path: speed 0 with the light off, or the
    // IntelliBox stop line for addresses of 256 and more.
    void sendeStoppMaerklin();
    void sendeStoppzeileXL();
    void schlussfolge();
    void endeBefehlOption0();
    void spieleRing();
    void leseAdresse();

    Tabellenspeicher &m_tabelle;
    Bedienfeld &m_bedienfeld;
    Zeitbasis &m_zeit;
    Ausgabe &m_v24;
    Klang &m_klang;
    Laufzustand m_zustand;
    LenzPuffer m_lenzBefehl;
    int m_laeuft = 0;
    bool m_beendet = false;
};

} // namespace trabolin

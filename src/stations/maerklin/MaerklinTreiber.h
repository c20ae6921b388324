#pragma once
// The driver for the Märklin 6021 with 6051 interface, the IntelliBox and the
// MasterControl: two-byte commands for addresses below 256, IntelliBox "XL" text
// commands from 256 on. The choice by address is this driver's own business.
#include "program/Ablauf.h"
#include "program/Programmzeile.h"
#include "program/Zentralentreiber.h"

namespace trabolin {

// The light is on for any text but blanks, F1 to F4 only for "X"; 500 ms after the
// function command (before the text command), 1000 ms after a change of direction.
inline constexpr Lesart maerklinLesart{Zeilenregeln::maerklin, Schaltregel::nichtBlank, Schaltregel::nurX, 500, 500, 1000};

class MaerklinTreiber : public Zentralentreiber {
public:
    MaerklinTreiber(Ablauf &ablauf, Ausgabe &v24);

    bool fahreProgramm() override;
    bool sendeZeile() override;
    void stoppNachWarten() override;
    void power(int index) override;
    void stoppBeimSchliessen() override;

    // Two-byte command of the 6051 interface: both texts read as numbers.
    void sendeMaerklinBefehl(const QString &befehl, const QString &adresse);

    // Row commands for the current table line on the two-byte path (address below
    // 256) and on the IntelliBox text path (256 or more).
    void Fahrbefehl();
    void Fahrbefehl_X();

private:
    bool mitTextbefehlen() const { return m_ablauf.zustand().adresseNummer >= 256; }
    void schreibe(const QByteArray &bytes);
    // Speed 0 with the light off, or the IntelliBox stop line.
    void sendeStopp();
    void sendeStoppzeileXL();
    // Two-byte stop, 500 ms, functions off: the end of a run or single line.
    void schlussfolge();
    // The end command of a run: the stop line or the closing sequence.
    void sendeEndbefehl();

    Ablauf &m_ablauf;
    Ausgabe &m_v24;
};

} // namespace trabolin

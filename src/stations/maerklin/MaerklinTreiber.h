#pragma once
// The driver for the Märklin 6021 with 6051 interface, the IntelliBox and the
// MasterControl: two-byte commands for addresses below 256, IntelliBox "XL" text
// commands from 256 on. The choice by address is this driver's own business.
#include "program/Laufkontext.h"
#include "program/Programmzeile.h"
#include "program/Umgebung.h"
#include "program/Zentralentreiber.h"

namespace trabolin {

class MaerklinTreiber : public Zentralentreiber {
public:
    // `lesart`: the rules for the cells and the pauses inside a line.
    MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart);

    // The line loop of a pass: a raised stop flag sends the stop and ends the run
    // without an end sound; the end of the program sends the end command.
    Passergebnis fahrePass(int startzeile) override;
    bool startzeitJePass() const override { return true; }
    void programmende() override { sendeEndbefehl(); }
    bool sendeZeile() override;
    void stoppNachWarten() override;
    void power(int index) override;
    void stoppeLok() override;

    // Two-byte command of the 6051 interface: both texts read as numbers.
    void sendeMaerklinBefehl(const QString &befehl, const QString &adresse);

    // Row commands for the current table line on the two-byte path (address below
    // 256) and on the IntelliBox text path (256 or more).
    void Fahrbefehl();
    void Fahrbefehl_X();

    // The direction field of the IntelliBox "XL" commands, 0 or 1: 1 from the start
    // of the program (when the settings file is read), switched by each "f"/"F" line
    // on the text path.
    qint16 XLRichtung() const { return m_XLRichtung; }

private:
    bool mitTextbefehlen() const { return m_lauf.adresseNummer() >= 256; }
    void schreibe(const QByteArray &bytes);
    // Speed 0 with the light off, or the IntelliBox stop line.
    void sendeStopp();
    void sendeStoppzeileXL();
    // Two-byte stop, 500 ms, functions off: the end of a run or single line.
    void schlussfolge();
    // The end command of a run: the stop line or the closing sequence.
    void sendeEndbefehl();

    Laufkontext &m_lauf;
    Ausgabe &m_v24;
    const Lesart m_lesart;
    qint16 m_XLRichtung = 1;
};

} // namespace trabolin

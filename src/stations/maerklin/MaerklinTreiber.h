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
    QCoro::Task<Passergebnis> fahrePass(int startzeile, Lok lok) override;
    bool startzeitJePass() const override { return true; }
    QCoro::Task<> programmende() override;
    QCoro::Task<bool> sendeZeile(Lok lok) override;
    void stoppNachWarten() override;
    // The 6051 and the IntelliBox read their s88 modules.
    bool liestKontakte() const override { return true; }
    void power(int index) override;
    void stoppeLok(const Lok &lok) override;

    // Two-byte command of the 6051 interface for the pass's locomotive: both texts
    // read as numbers; `wirkung` is what it does to the locomotive (the stop latch).
    void sendeMaerklinBefehl(const QString &befehl, const QString &adresse, Wirkung wirkung);

    // Row commands for the current table line on the two-byte path (address below
    // 256) and on the IntelliBox text path (256 or more).
    QCoro::Task<> Fahrbefehl();
    QCoro::Task<> Fahrbefehl_X();

    // The direction field of the IntelliBox "XL" commands, 0 or 1: 1 from the start
    // of the program (when the settings file is read), switched by each "f"/"F" line
    // on the text path.
    qint16 XLRichtung() const { return m_XLRichtung; }

private:
    static bool mitTextbefehlen(const Lok &lok) { return lok.nummer >= 256; }
    bool mitTextbefehlen() const { return mitTextbefehlen(m_lok); }
    // Bytes that are no locomotive's command (track power).
    void schreibe(const QByteArray &bytes);
    // A command for `lok`, through the stop latch.
    void schreibe(const QByteArray &bytes, const Lok &lok, Wirkung wirkung);
    // Speed 0 with the light off, or the IntelliBox stop line.
    void sendeStopp(const Lok &lok);
    void sendeStoppzeileXL();
    // Two-byte stop, 500 ms, functions off: the end of a run or single line.
    QCoro::Task<> schlussfolge();
    // The end command of a run: the stop line or the closing sequence.
    QCoro::Task<> sendeEndbefehl();

    Laufkontext &m_lauf;
    Ausgabe &m_v24;
    const Lesart m_lesart;
    qint16 m_XLRichtung = 1;
    Lok m_lok; // the locomotive of the pass or single line, as taken at its start
};

} // namespace trabolin

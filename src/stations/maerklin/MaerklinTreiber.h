#pragma once
// The driver for the Märklin 6021 with 6051 interface, the IntelliBox and the
// MasterControl: two-byte commands for addresses below 256, IntelliBox "XL" text
// commands from 256 on. The choice by address is this driver's own business. While a
// contact line waits, the s88 module of its contact is read every 100 ms, in the
// language of the pass's locomotive: "0xC0 + n" (after the reset mode "0xC0") on the
// two-byte path; on the text path XEvtSen to clear, XSensor for the baseline, then
// XEvtSen.
#include "program/Gleiszustand.h"
#include "program/Laufkontext.h"
#include "program/Programmzeile.h"
#include "program/Umgebung.h"
#include "program/Zentralentreiber.h"
#include "stations/maerklin/Maerklin.h"

#include <QTimer>

#include <memory>
#include <optional>

namespace trabolin {

class MaerklinTreiber : public Zentralentreiber {
public:
    // How often a waiting contact line reads its module.
    static constexpr int abfrageMs = 100;

    // `lesart`: the rules for the cells and the pauses inside a line; the contacts
    // read go to `melder` (without one the driver reads none).
    MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder *melder = nullptr);
    // The same with the module questions of the port shared with the drivers of the
    // other programs: whichever of them reads the port's bytes, an answer goes to the
    // watch that asked.
    MaerklinTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder *melder,
                    std::shared_ptr<S88Leitung> leitung);
    ~MaerklinTreiber() override;

    // The line loop of a pass: a raised stop flag sends the stop and ends the run
    // without an end sound; the end of the program sends the end command.
    QCoro::Task<Passergebnis> fahrePass(int startzeile, Lok lok) override;
    bool startzeitJePass() const override { return true; }
    QCoro::Task<> programmende() override;
    QCoro::Task<bool> sendeZeile(Lok lok) override;
    // The line as the row command drives it; a line without a wait returns when its
    // commands are out (after the second after a change of direction).
    QCoro::Task<bool> fahreLok(Lok lok, Programmzeile zeile) override;
    bool wechseltRichtungEigens() const override { return true; }
    // 14 steps on the 6051; the IntelliBox text command takes up to 127.
    QString fahrstufenmodus(const Lok &lok) const override
    {
        return mitTextbefehlen(lok) ? QStringLiteral("127") : QStringLiteral("14");
    }
    void stoppNachWarten() override;
    void power(int index) override;
    void stoppeLok(const Lok &lok) override;
    bool liestKontakte() const override { return m_melder != nullptr; }
    // Starts reading the module of contact `nummer` every abfrageMs, the first time
    // abfrageMs from now, when the line's commands have gone out and any text the
    // box answered them with has arrived; 0 stops it.
    void beobachteKontakt(int nummer) override;
    // The answers to the module questions.
    void empfange(const QByteArray &bytes) override;
    // One question for the module of the contact watched (the timer's step), through
    // the port's queue of questions.
    void frageKontakt();

    // Two-byte command of the 6051 interface for the pass's locomotive: both texts
    // read as numbers; `wirkung` is what it does to the locomotive (the stop latch).
    void sendeMaerklinBefehl(const QString &befehl, const QString &adresse, Wirkung wirkung);

    // Row commands for the current table line on the two-byte path (address below
    // 256) and on the IntelliBox text path (256 or more).
    // The row commands for line `z`; without one, for the table's current line.
    QCoro::Task<> Fahrbefehl(std::optional<Programmzeile> z = std::nullopt);
    QCoro::Task<> Fahrbefehl_X(std::optional<Programmzeile> z = std::nullopt);

    // The direction field of the IntelliBox "XL" commands, 0 or 1: 1 from the start
    // of the program (when the settings file is read), switched by each "f"/"F" line
    // on the text path.
    qint16 XLRichtung() const { return m_XLRichtung; }

private:
    // Writes the question of this step, when its turn on the port has come.
    void stelleFrage();
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
    Gleismelder *m_melder;
    QTimer m_abfrage;     // reads the module while a contact line waits
    int m_kontakt = 0;    // the contact watched, 0 for none
    int m_abfragen = 0;   // the questions of this watch so far
    S88Abfrage m_s88;
    std::shared_ptr<S88Leitung> m_leitung;
};

} // namespace trabolin

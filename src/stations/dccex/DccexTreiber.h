#pragma once
// The driver for a DCC-EX station: the lines of a pass, the single line, the power
// buttons and the stop, as text commands over the serial port or the network. A line
// goes out as on the Lenz: speed and direction, 100 ms, the functions F0 to F4. Every
// speed 0 keeps the direction of the last line driven: on DCC a change of direction
// also switches the lights.
#include "program/DccTreiber.h"
#include "program/Netzlink.h"
#include "stations/dccex/DccexBefehle.h"

#include <optional>

namespace trabolin {

class DccexTreiber : public DccTreiber {
public:
    DccexTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart);

    void power(int index) override;
    void stoppeLok(const Lok &lok) override;
    // The station sends every change of a sensor by itself ("<Q id>", "<q id>"); its
    // link reads them.
    bool liestKontakte() const override { return true; }
    // The <t> command's 128 steps: 1 to 126.
    int hoechsteFahrstufe() const override { return int(dccexHoechsteFahrstufe); }

protected:
    // Speed and direction, the pauses, the functions.
    QCoro::Task<bool> sendeFahrt(const Programmzeile &zeile, bool einzeln) override;
    bool sendePassende(const QString &einheit) override;
    bool sendeHalt() override;

private:
    // The address of `lok`.
    static qint64 adresse(const Lok &lok);
    // One command for the pass's locomotive, through the stop latch; nothing for a
    // command without address (the pause still runs). False, after telling the
    // window once, when the link is not open, and when the window closes (the stop
    // has gone out and nothing may follow it).
    bool sende(const std::optional<QByteArray> &befehl, Wirkung wirkung);
    // Speed and direction; the direction is remembered for the speed 0 that follows.
    bool sendeFahrstufe(qint64 fahrstufe, const QString &einheit);
    // "Fu", "F1" to "F4" of the line, one command each.
    bool sendeFunktionen(const Programmzeile &zeile);
    // Speed 0 for `lok` in the direction last sent to its address.
    std::optional<QByteArray> haltebefehl(const Lok &lok) const;

    Netzlink &m_link;
    qint64 m_richtungFuer = 0; // the address the remembered direction belongs to
    bool m_vorwaerts = true;
};

} // namespace trabolin

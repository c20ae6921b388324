#pragma once
// The driver for the Lenz LZ100 V3.0: XpressNet speed, function and power frames,
// composed in the slot buffer `LenzBefehl` and written by `sendeLenzBefehl`, through
// a Lenz serial interface or the Lenz USB interface.
#include "program/Ablauf.h"
#include "program/Programmzeile.h"
#include "program/Zentralentreiber.h"
#include "stations/lenz/XpressNet.h"

#include <optional>

namespace trabolin {

// The two address bytes of the speed and function frames: from 1 to 99 the short
// form 0x00 A, from 100 to 16383 the long form 0xC0 + A div 256, A mod 256. Any
// other address has no coding: there is none, and no frame goes out for it. That
// includes 0, which an empty or non-numeric address reads as: on DCC it would
// reach every locomotive at once.
std::optional<std::pair<quint8, quint8>> lenzAdressbytes(qint64 adresse);

// The speed byte: speed steps below 0 become 0, above 0 go up by one (step 1 is
// sent as 2), at most 127; the direction bit 0x80 for the units "M" and "S".
quint8 lenzFahrbyte(qint64 fahrstufe, const QString &einheit);

// The function byte: bit 4 "Fu", bits 3 to 0 F4 to F1; any text in a cell, a
// blank too, sets its bit.
quint8 lenzFunktionsbyte(const QString &fu, const QString &f1, const QString &f2,
                         const QString &f3, const QString &f4);

// Any text in a function cell switches it on; the function frame follows the speed
// frame after 100 ms, in a single line after a further 100 ms.
inline constexpr Lesart lenzLesart{Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 200, 0};

class LenzTreiber : public Zentralentreiber {
public:
    LenzTreiber(Ablauf &ablauf, Ausgabe &v24);

    bool fahreProgramm() override;
    bool sendeZeile() override;
    void stoppNachWarten() override;
    void power(int index) override;
    void stoppBeimSchliessen() override;

    LenzPuffer &LenzBefehl() { return m_lenzBefehl; }

    // The frame pending in LenzBefehl, with check byte and USB prefix, in one write.
    void sendeLenzBefehl();
    // Writes the address bytes of txtAdresse into slots 3 and 4; returns false and
    // leaves them empty when the address has no coding.
    bool ermittleLenzLokadresse();

    // The Lenz pass: the whole run from the current line, pass after pass.
    bool Fahrbefehl_Lenz();

private:
    // Slots 1 and 2 of the speed frame and the address bytes; false without address.
    bool bereiteFahrrahmenVor();
    void bereiteFunktionsrahmenVor(int zeile);
    void sendeFahrstufe(quint8 fahrbyte);
    void sendeFunktionen(int zeile);
    quint8 modusByte() const;

    Ablauf &m_ablauf;
    Ausgabe &m_v24;
    LenzPuffer m_lenzBefehl;
};

} // namespace trabolin

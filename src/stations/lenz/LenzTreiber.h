#pragma once
// The driver for the Lenz LZ100 V3.0: XpressNet speed, function and power frames,
// composed in the slot buffer `LenzBefehl` and written by `sendeLenzBefehl`, through
// a Lenz serial interface or the Lenz USB interface.
#include "program/DccTreiber.h"
#include "program/Umgebung.h"
#include "stations/lenz/LenzHoerer.h"
#include "stations/lenz/XpressNet.h"

#include <memory>
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

// The function byte: bit 4 "Fu", bits 3 to 0 F4 to F1.
quint8 lenzFunktionsbyte(bool fu, bool f1, bool f2, bool f3, bool f4);

// The line to the Lenz interface: with the Lenz USB interface every command goes out
// behind the prefix 0xFF 0xFE, through the serial interface as it is.
class LenzAusgabe : public Ausgabe {
public:
    explicit LenzAusgabe(Ausgabe &v24) : m_v24(v24) {}
    void setzeUsbInterface(bool an) { m_usb = an; }
    bool usbInterface() const { return m_usb; }
    void schreibe(const QByteArray &bytes) override;
    // With or without the prefix as given, not as the box stands now: a pass keeps
    // the interface it began with.
    void schreibe(const QByteArray &bytes, bool usb);

private:
    Ausgabe &m_v24;
    bool m_usb = false;
};

class LenzTreiber : public DccTreiber {
public:
    // The LZ100's broadcasts (track power, emergency stop) go to `melder`.
    LenzTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder &melder);
    // The same with the listener of the port shared with the drivers of the other
    // programs: whichever of them reads the port's bytes, a contact one of them asked
    // for is read as the answer to that question.
    LenzTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, std::shared_ptr<LenzHoerer> hoerer);

    // The address with the step mode and the interface chosen at the pass's start.
    Lok nimmLok(const QString &text, qint16 nummer) const override;
    void stoppNachWarten() override;
    void power(int index) override;
    void stoppeLok(const Lok &lok) override;
    // Speed 0 in the direction of the last speed frame sent, written past the slot
    // buffer.
    void halteDurchAnlage(const Lok &lok) override;
    // The broadcasts the interface passes on, in the traffic log and to the listener.
    void empfange(const QByteArray &bytes) override;
    // Asks the LZ100 for its state (XpressNet command station status request,
    // 21 24 05), so that the indicator shows it before the first broadcast.
    void schnittstelleGeoeffnet() override;
    // The LZ100 broadcasts every change of a feedback module.
    bool liestKontakte() const override { return true; }
    // A contact line begins to wait: the module of the contact is asked for its state
    // (both nibbles), past the slot buffer, through the interface of the pass.
    void beobachteKontakt(int nummer) override;
    // "Fahrstufen": the index of "14", "27", "28", "128"; -1 for no entry.
    void setzeFahrstufen(int index) override { m_fahrstufenIndex = index; }
    // "USB-Interface": the Lenz USB interface is used.
    void setzeUsbInterface(bool an) override { m_ausgabe.setzeUsbInterface(an); }

    LenzPuffer &LenzBefehl() { return m_lenzBefehl; }

    // The frame pending in LenzBefehl, with check byte (and USB prefix), in one write.
    void sendeLenzBefehl();
    // Writes the address bytes of the pass's locomotive into slots 3 and 4; returns
    // false and leaves them empty when the address has no coding.
    bool ermittleLenzLokadresse();

protected:
    // Per line: the speed and direction frame, the pauses, the function frame; the
    // last pause is waited with the function frame pending in the slot buffer.
    QCoro::Task<bool> sendeFahrt(const Programmzeile &zeile, bool einzeln) override;
    // Speed 0 in the direction of the last line's unit.
    bool sendePassende(const QString &einheit) override;
    // Speed 0 with the direction bit clear.
    bool sendeHalt() override;

private:
    // Slots 1 and 2 of the speed frame and the address bytes; false without address.
    bool bereiteFahrrahmenVor();
    void bereiteFunktionsrahmenVor(const Programmzeile &zeile);
    void sendeFahrstufe(quint8 fahrbyte);
    QCoro::Task<> sendeFunktionen(const Programmzeile &zeile);
    // The pending frame for the pass's locomotive, through the stop latch.
    void sendeLokbefehl(Wirkung wirkung);
    // The speed 0 frame for `lok`, direction bit as given, past the slot buffer.
    void schreibeHalt(const Lok &lok, quint8 richtung);
    static quint8 modusByte(int fahrstufenIndex);

    LenzAusgabe m_ausgabe;
    std::shared_ptr<LenzHoerer> m_hoerer;
    LenzPuffer m_lenzBefehl;
    int m_fahrstufenIndex = 0;
    bool m_vorwaerts = true; // the direction of the last speed frame sent
    Wirkung m_wirkung = Wirkung::ruhig; // what the frame pending in the slot buffer does
};

} // namespace trabolin

#pragma once
// XpressNet frames for the Lenz LZ100: the slot buffer the commands are composed
// in and the prefix of the Lenz USB interface. The frame with its check byte is
// shared with the other XpressNet stations.
#include "stations/Kontaktmeldung.h"
#include "stations/xpressnet/XpressNetRahmen.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <optional>

namespace trabolin {

// The 15 slots a frame is composed in, numbered 1 to 15. A slot is empty or holds
// one byte; the frame is the run of filled slots from slot 1 to the first empty one.
class LenzPuffer {
public:
    static constexpr int anzahlSlots = 15;

    void setze(int slot, quint8 wert);
    std::optional<quint8> slot(int nummer) const;
    void leeren();
    bool istLeer() const { return !m_slots[0].has_value(); }

    // The frame bytes: slots 1, 2, ... up to the last filled slot before the
    // first empty one.
    QByteArray rahmen() const;

private:
    std::array<std::optional<quint8>, anzahlSlots> m_slots{};
};

// A command for the Lenz USB interface: behind the prefix 0xFF 0xFE.
QByteArray mitUsbPrefix(const QByteArray &befehl);

// Feedback modules: module AA (from 0) holds the contacts AA * 8 + 1 to AA * 8 + 8,
// four in each nibble; contacts 1 to 1024.
inline constexpr int lenzGroessterKontakt = 1024;

// The feedback requests for the module of contact `kontakt`: "42 AA 80 X" for its
// lower nibble and "42 AA 81 X" for its upper one, each with its check byte. None for
// a contact outside 1 to 1024.
QList<QByteArray> lenzRueckmeldefragen(int kontakt);

// The contacts a whole feedback frame reports (the broadcast and the answer to the
// request read alike): header 0x4L, L / 2 pairs of address AA and data I TT N ZZZZ,
// check byte. A pair with TT = 10 is a feedback module: bit j of ZZZZ is contact
// AA * 8 + N * 4 + j + 1, four contacts in order for each such pair. A pair with any
// other TT tells of a turnout and is skipped; any other frame reports none.
QList<Kontaktmeldung> xpressNetRueckmeldung(const QByteArray &rahmen);

} // namespace trabolin

#pragma once
// XpressNet frames for the Lenz LZ100: the slot buffer the commands are composed
// in and the prefix of the Lenz USB interface. The frame with its check byte is
// shared with the other XpressNet stations.
#include "stations/xpressnet/XpressNetRahmen.h"

#include <QByteArray>
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

} // namespace trabolin

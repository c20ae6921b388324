#pragma once
// What every station that speaks XpressNet shares: a frame on the wire is its bytes
// and the check byte after them, and the command station's broadcasts read the same
// wherever the frames travel (on the serial port of the Lenz interfaces or inside
// the datagrams of a network station). How a station codes its speeds is its own.
#include "program/Gleiszustand.h"

#include <QByteArray>
#include <optional>

namespace trabolin {

// The XpressNet check byte: the exclusive-or of all frame bytes.
quint8 pruefbyte(const QByteArray &rahmen);

// One command as it goes on the wire: frame + check byte.
QByteArray xpressNetBefehl(const QByteArray &rahmen);

// The layout state that one whole frame (check byte included) reports, or none:
// 61 00 61 track power off, 61 01 60 normal operation, 61 02 63 programming mode,
// 61 08 69 short circuit, 81 00 81 emergency stop; and the LZ100's answer to the
// status request, 62 22 S X, by its status byte S (emergency off, emergency stop,
// service mode, power-up; none of them: on; it tells no short circuit). A station
// whose 62 22 carries bits of its own reads them before this.
std::optional<Gleiszustand> xpressNetGleiszustand(const QByteArray &rahmen);

} // namespace trabolin

#include "stations/xpressnet/XpressNetRahmen.h"

namespace trabolin {

quint8 pruefbyte(const QByteArray &rahmen)
{
    quint8 x = 0;
    for (char b : rahmen)
        x ^= static_cast<quint8>(b);
    return x;
}

QByteArray xpressNetBefehl(const QByteArray &rahmen)
{
    return rahmen + static_cast<char>(pruefbyte(rahmen));
}

std::optional<Gleiszustand> xpressNetGleiszustand(const QByteArray &rahmen)
{
    if (rahmen.size() == 4 && pruefbyte(rahmen) == 0 && quint8(rahmen[0]) == 0x62 && rahmen[1] == 0x22) {
        // The answer to the command station status request: bit 0 emergency off,
        // bit 1 emergency stop, bit 3 service mode, bit 6 power-up (track not yet on).
        const quint8 status = quint8(rahmen[2]);
        if (status & 0x01)
            return Gleiszustand::aus;
        if (status & 0x02)
            return Gleiszustand::nothalt;
        if (status & 0x08)
            return Gleiszustand::programmiermodus;
        if (status & 0x40)
            return Gleiszustand::aus;
        return Gleiszustand::an;
    }
    if (rahmen.size() != 3 || pruefbyte(rahmen) != 0)
        return std::nullopt;
    const quint8 kopf = static_cast<quint8>(rahmen[0]);
    const quint8 daten = static_cast<quint8>(rahmen[1]);
    if (kopf == 0x81 && daten == 0x00)
        return Gleiszustand::nothalt;
    if (kopf != 0x61)
        return std::nullopt;
    switch (daten) {
    case 0x00:
        return Gleiszustand::aus;
    case 0x01:
        return Gleiszustand::an;
    case 0x02:
        return Gleiszustand::programmiermodus;
    case 0x08:
        return Gleiszustand::kurzschluss;
    default:
        return std::nullopt;
    }
}

} // namespace trabolin

#include "stations/lenz/LenzMeldungsleser.h"

#include "stations/lenz/XpressNet.h"

namespace trabolin {

namespace {

// Header byte, data bytes, check byte.
qsizetype rahmenlaenge(char kopf)
{
    return (static_cast<quint8>(kopf) & 0x0F) + 2;
}

bool istUsbVorspann(const QByteArray &b, qsizetype i)
{
    return static_cast<quint8>(b[i]) == 0xFF && i + 1 < b.size()
           && (static_cast<quint8>(b[i + 1]) == 0xFD || static_cast<quint8>(b[i + 1]) == 0xFE);
}

} // namespace

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

QList<Gleiszustand> LenzMeldungsleser::lies(const QByteArray &bytes)
{
    m_rest += bytes;
    return suche(false);
}

QList<Gleiszustand> LenzMeldungsleser::schliesseAb()
{
    return suche(true);
}

QList<Gleiszustand> LenzMeldungsleser::suche(bool bisZumEnde)
{
    QList<Gleiszustand> zustaende;
    const QByteArray &b = m_rest;
    qsizetype i = 0;
    while (i < b.size()) {
        if (istUsbVorspann(b, i)) {
            i += 2;
            continue;
        }
        const qsizetype laenge = rahmenlaenge(b[i]);
        if (i + laenge > b.size()) {
            // A lone FF may yet become a prefix; any other start may yet become a frame.
            if (!bisZumEnde)
                break;
            ++i;
            continue;
        }
        const QByteArray rahmen = b.mid(i, laenge);
        if (pruefbyte(rahmen) != 0) {
            ++i;
            continue;
        }
        i += laenge;
        if (const auto z = xpressNetGleiszustand(rahmen); z && (zustaende.isEmpty() || zustaende.last() != *z))
            zustaende.append(*z);
    }
    m_rest.remove(0, i);
    return zustaende;
}

} // namespace trabolin

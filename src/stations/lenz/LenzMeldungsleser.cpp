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
        m_kontakte += xpressNetRueckmeldung(rahmen);
        if (const auto z = xpressNetGleiszustand(rahmen); z && (zustaende.isEmpty() || zustaende.last() != *z))
            zustaende.append(*z);
    }
    m_rest.remove(0, i);
    return zustaende;
}

} // namespace trabolin

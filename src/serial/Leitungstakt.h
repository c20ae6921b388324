#pragma once
// The serial line as one send queue for every program: the bytes of each command
// leave the port one character after the other at the port's baud rate, so a command
// written while earlier ones are still going out waits for them. The port's buffer
// holds it meanwhile, whole and in order, so commands of different programs never mix;
// this reckons, from the time of each write, how long each command waited for the line
// and when the line is free again.
#include <QtGlobal>

#include <algorithm>

namespace trabolin {

// The time one character takes on the line: start bit, data bits, parity bit and stop
// bits at `baud` (2400 baud, 8 data bits, no parity, 2 stop bits: 11 bits, 4.583 ms).
inline double zeichenMs(qint32 baud, int datenbits, bool paritaet, double stoppbits)
{
    return baud > 0 ? (1 + datenbits + (paritaet ? 1 : 0) + stoppbits) * 1000.0 / baud : 0;
}

class Leitungstakt {
public:
    // How long the commands waited for the line, from the port's opening on.
    struct Wartezahlen {
        qint64 befehle = 0;  // commands written
        qint64 gewartet = 0; // of them, those that waited
        double summeMs = 0;
        double hoechstMs = 0;
        double letzteMs = 0; // the last command's wait
    };

    // A command of `zeichen` characters written at `jetztMs`, each taking `msJeZeichen`:
    // returns how long it waits before its first character goes out.
    double schreibe(qint64 zeichen, double msJeZeichen, double jetztMs)
    {
        const double warte = std::max(0.0, m_freiAbMs - jetztMs);
        m_freiAbMs = jetztMs + warte + double(zeichen) * msJeZeichen;
        ++m_zahlen.befehle;
        if (warte > 0)
            ++m_zahlen.gewartet;
        m_zahlen.summeMs += warte;
        m_zahlen.hoechstMs = std::max(m_zahlen.hoechstMs, warte);
        m_zahlen.letzteMs = warte;
        return warte;
    }
    // When the last character written so far has left the line.
    double freiAbMs() const { return m_freiAbMs; }
    const Wartezahlen &wartezahlen() const { return m_zahlen; }
    // The port opened anew: nothing is on its way.
    void beginne() { *this = {}; }

private:
    double m_freiAbMs = 0;
    Wartezahlen m_zahlen;
};

} // namespace trabolin

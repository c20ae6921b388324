#pragma once
// What the Z21 driver needs of the UDP link: whether the Z21 has answered, and
// sending one datagram. The program wires in Z21Verbindung; the tests a recording double.
#include <QByteArray>

namespace trabolin {

class Z21Link {
public:
    virtual ~Z21Link() = default;
    virtual bool verbunden() const = 0;
    // Sends `datagramm` as one UDP datagram, unchanged. Returns false, and sends
    // nothing, while the link is not connected.
    virtual bool sende(const QByteArray &datagramm) = 0;
};

} // namespace trabolin

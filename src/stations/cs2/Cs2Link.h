#pragma once
// What the CS2 driver needs of the link: whether the Central Station answers, the
// hash this program sends under, and sending one frame. The program wires in
// Cs2Verbindung (TCP or UDP); the tests a recording double.
#include <QByteArray>
#include <QtGlobal>

namespace trabolin {

class Cs2Link {
public:
    virtual ~Cs2Link() = default;
    // The Central Station has answered the ping and has not fallen silent since.
    virtual bool verbunden() const = 0;
    // The hash of the frames this program sends.
    virtual quint16 hash() const = 0;
    // Sends one 13-byte frame, unchanged. False, and nothing sent, while there is no
    // way to the station (never connected, closed, the TCP link dropped). After the
    // pings went unanswered the way is still tried, so that the stop that follows
    // the loss goes out if it can.
    virtual bool sende(const QByteArray &rahmen) = 0;
};

} // namespace trabolin

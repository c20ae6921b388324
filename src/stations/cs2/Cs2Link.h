#pragma once
// What the CS2 driver needs of its link beyond every network station's: the hash this
// program sends under, and the direction the station holds for a locomotive (another
// controller may have turned it). The program wires in Cs2Verbindung (TCP or UDP); the tests a
// recording double.
//
// verbunden(): the Central Station has answered the ping and has not fallen silent
// since. sende(): one 13-byte frame, unchanged. False, and nothing sent, while there is
// no way to the station (never connected, closed, the TCP link dropped). After the
// pings went unanswered the way is still tried, so that the stop that follows the
// loss goes out if it can.
#include "program/Netzlink.h"

#include <QtGlobal>

#include <optional>

namespace trabolin {

class Cs2Link : public Netzlink {
public:
    // The hash of the frames this program sends.
    virtual quint16 hash() const = 0;
    // The locomotive's direction as the station last reported it or this program last
    // sent it; nothing while neither has happened on this link.
    virtual std::optional<bool> richtung(quint32 uid) const = 0;
};

} // namespace trabolin

#pragma once
// What a station's driver needs of the link to its command station: whether the
// station can be reached, and sending one command. Each network station's link
// implements it; a station that needs more of its link (a hash it sends under, say)
// extends it in its own folder. The program wires in the station's real link, the
// tests a recording double.
#include <QByteArray>

namespace trabolin {

class Netzlink {
public:
    virtual ~Netzlink() = default;

    // The station can be reached now. Commands that are of no use without it (the
    // track power, the locomotive list) go out only then.
    virtual bool verbunden() const = 0;

    // Sends `befehl` as it stands, nothing added, at once and on its own (its own
    // packet, datagram or write), never gathered with the next one. False when it
    // could not go out; nothing is sent while there is no way to the station.
    virtual bool sende(const QByteArray &befehl) = 0;
};

} // namespace trabolin

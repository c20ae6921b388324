#pragma once
// What the ECoS driver needs of the TCP link: whether it is connected, and sending
// one command text. The program wires in EcosVerbindung; the tests a recording double.
#include <QString>

namespace trabolin {

class EcosLink {
public:
    virtual ~EcosLink() = default;
    virtual bool verbunden() const = 0;
    // Sends `text` as its ASCII bytes, nothing added, at once as its own packet.
    // Returns false, and sends nothing, when the link is not connected.
    virtual bool sende(const QString &text) = 0;
};

} // namespace trabolin

#pragma once
// What the DCC-EX driver needs of the way to the station: whether a command can go out
// now, and writing one command as one write. The program wires in DccexVerbindung
// (serial port or TCP); the tests a recording double.
#include "program/Umgebung.h"

namespace trabolin {

class DccexLink : public Ausgabe {
public:
    virtual bool offen() const = 0;
};

} // namespace trabolin

#pragma once
// The Märklin Central Station 2 or 3 as the registry lists it, with its own settings
// "Protokoll" (MM2, DCC, mfx) and "über UDP".
#include "stations/Zentrale.h"
#include "stations/cs2/Cs2Rahmen.h"

namespace trabolin {

std::unique_ptr<Zentrale> cs2Zentrale();

// "MM2", "DCC", "mfx" read back: the item of the choice "Protokoll" (its index or its
// text); DCC for anything else.
Cs2Protokoll cs2ProtokollAus(const QString &wert);
// The range shown beside the address field: "1...255", "1...10239", "1...16383".
QString cs2Adressbereichstext(Cs2Protokoll protokoll);

} // namespace trabolin

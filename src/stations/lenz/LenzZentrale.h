#pragma once
// The Lenz LZ100 (XpressNet on the serial port or the Lenz USB interface) as the registry lists it.
#include "stations/Zentrale.h"

namespace trabolin {

std::unique_ptr<Zentrale> lenzZentrale();

} // namespace trabolin

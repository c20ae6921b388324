#pragma once
// The DCC-EX station (text commands over USB or TCP) as the registry lists it.
#include "stations/Zentrale.h"

namespace trabolin {

std::unique_ptr<Zentrale> dccexZentrale();

} // namespace trabolin

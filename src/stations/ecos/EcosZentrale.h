#pragma once
// The ESU ECoS (text commands over TCP) as the registry lists it.
#include "stations/Zentrale.h"

namespace trabolin {

std::unique_ptr<Zentrale> ecosZentrale();

} // namespace trabolin

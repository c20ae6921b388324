#pragma once
// The Märklin 6021 with its 6051 interface (and the IntelliBox and MasterControl that speak its language) as the registry lists it.
#include "stations/Zentrale.h"

namespace trabolin {

std::unique_ptr<Zentrale> maerklinZentrale();

} // namespace trabolin

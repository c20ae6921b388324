#pragma once
// The Roco / Fleischmann Z21 (UDP) as the registry lists it.
#include "stations/Zentrale.h"

namespace trabolin {

std::unique_ptr<Zentrale> z21Zentrale();

} // namespace trabolin

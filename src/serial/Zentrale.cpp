#include "serial/Zentrale.h"

namespace trabolin {

std::optional<Zentralenwahl> zentralenwahl(int index)
{
    switch (index) {
    case optionMaerklin:
        return Zentralenwahl{false, true, false, QStringLiteral("Adresse:"), QStringLiteral("1..."),
                             false, QStringLiteral("DCC")};
    case optionLenz:
        return Zentralenwahl{true, false, true, QStringLiteral("Adresse:"), QStringLiteral("1..."),
                             false, QStringLiteral("Lenz")};
    case optionEcos:
        return Zentralenwahl{false, true, false, QStringLiteral("ID:"), QStringLiteral("1000..."),
                             true, QStringLiteral("Ecos")};
    default:
        return std::nullopt;
    }
}

} // namespace trabolin

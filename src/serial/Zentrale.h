#pragma once
// The three kinds of command station and what choosing one of them sets in the window.
#include <QString>
#include <optional>

namespace trabolin {

inline constexpr int optionMaerklin = 0; // "&6021, IB, MC"
inline constexpr int optionLenz = 1;     // "&Lenz V3.0"
inline constexpr int optionEcos = 2;     // "Ecos"

// What the station switch sets, in this order.
struct Zentralenwahl {
    bool fahrstufenAktiv;  // lblFS and lstFS enabled
    bool usbAbwaehlen;     // chkUSB set to unchecked
    bool usbAktiv;         // chkUSB enabled
    QString adresseTitel;  // lblAdresse 0
    QString adresseBereich; // lblAdresse 1
    bool ecosAktiv;        // btnEcos enabled
    QString code;          // the station code `Zentrale`
};

// The effects of choosing option `index`; none for an index outside 0 to 2.
std::optional<Zentralenwahl> zentralenwahl(int index);

// True for the station codes that drive through the serial port.
inline bool istSerielleZentrale(const QString &code)
{
    return code == QLatin1String("Lenz") || code == QLatin1String("DCC");
}

} // namespace trabolin

#pragma once
// The command stations the program knows, one station object each, in the order of
// the option buttons under "Zentrale". A new station is a folder under stations/ with
// its station object, one line in the registry, its simulator under sim/ and its
// tests under tests/.
#include "stations/Zentrale.h"

#include <vector>

namespace trabolin {

// The stations, in the order of the option buttons.
const std::vector<std::unique_ptr<Zentrale>> &zentralenregister();

// The option of a station code, compared case-sensitively; -1 when no station has it.
// The run's own settings, declared as the stations declare theirs; the window shows
// them beside "Endlosschleife" and the settings file keeps them after line 56 as
// "[<schluessel>]".
const QList<Stationseinstellung> &laufeinstellungen();
// The key of "Kontakt-Zeitgrenze": how long a contact line waits at most, in seconds.
inline constexpr char16_t kontaktZeitgrenzeSchluessel[] = u"Kontakt-Zeitgrenze";

int zentralenoption(const QString &code);

// The option selected when the window opens, before the settings file is read.
int startoption();

// The station of option `option`, or nullptr outside the register.
const Zentrale *zentralenzeile(int option);

} // namespace trabolin

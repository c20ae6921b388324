#pragma once
// A pending error for the central error report: its number and its text. The serial
// port, the settings file and the program files all report through it.
#include <QString>

namespace trabolin {

// A pending error: number 0 means none.
struct Fehler {
    int nummer = 0;
    QString beschreibung;
    explicit operator bool() const { return nummer != 0; }
};

} // namespace trabolin

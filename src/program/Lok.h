#pragma once
// The locomotive a pass or a single line drives, as it was taken at its start, and
// what a command does to it. Every frame and every stop of a pass goes to this one
// locomotive, whatever the window's fields say meanwhile.
#include <QString>

namespace trabolin {

struct Lok {
    QString text;        // the address (the ECoS ID) as typed in txtAdresse
    qint16 nummer = 0;   // its number, held within the 16-bit range
    int fahrstufen = -1; // "Fahrstufen" (index of "14", "27", "28", "128") where the station uses it
    bool usb = false;    // "USB-Interface" where the station uses it
    int protokoll = -1;  // the station's own protocol choice where it has one
    bool operator==(const Lok &) const = default;
};

// What a command does to the locomotive it goes to. Commands that drive are held
// back by the stop latch; a stop always goes out.
enum class Wirkung {
    faehrt, // a speed above 0
    stellt, // a direction, or a function switched on
    haelt,  // speed 0
    ruhig,  // changes nothing that moves the locomotive (all functions off)
};

} // namespace trabolin

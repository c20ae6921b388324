#pragma once
// Wire formats of the Märklin 6051 interface (two-byte commands, also understood
// by IntelliBox and MasterControl) and the IntelliBox "XL" text commands.
#include <QByteArray>
#include <QString>
#include <optional>

namespace trabolin {

inline constexpr char maerklinPowerEin = 0x60; // "Power o&n"
inline constexpr char maerklinPowerAus = 0x61; // "Power of&f"

// Command byte and address byte in one write. A value outside 0 to 255 cannot be
// coded in its byte: then there is no command (the caller sends nothing).
std::optional<QByteArray> maerklinBefehl(qint64 befehl, qint64 adresse);

// Function byte of the two-byte path: 64 + 1*F1 + 2*F2 + 4*F3 + 8*F4.
int funktionsbyte(bool f1, bool f2, bool f3, bool f4);

// "XL " + address + "," + speed + "," + light + "," + direction + "," + F1..F4 + CR.
QByteArray xlFahrzeile(const QString &adresse, const QString &fahrstufe, bool licht,
                       int richtung, bool f1, bool f2, bool f3, bool f4);

// The stop of an "f"/"F" line: "XL " + address + ", 0," + CR.
QByteArray xlRichtungsstopp(const QString &adresse);

// The stop line: "XL" + address + ",0,0," + direction + ",0,0,0,0" + CR.
QByteArray xlStoppzeile(const QString &adresse, int richtung);

} // namespace trabolin

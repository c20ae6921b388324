#pragma once
// The Z21's lines in the traffic log: every datagram sent to it and every datagram
// received from it, shown as hex:
//
//   14:03:29.214 Z21 > 0A 00 40 00 E4 13 00 03 85 71
#include "program/Verkehrsprotokoll.h"

namespace trabolin {

inline void z21ProtokollGesendet(const QByteArray &bytes)
{
    Verkehrsprotokoll::hex(QStringLiteral("Z21 >"), bytes);
}

inline void z21ProtokollEmpfangen(const QByteArray &bytes)
{
    Verkehrsprotokoll::hex(QStringLiteral("Z21 <"), bytes);
}

} // namespace trabolin

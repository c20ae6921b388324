#pragma once
// The Central Station's lines in the traffic log: every frame sent to it and every
// whole frame received from it, 13 bytes in hex, one entry per frame (a frame that
// came split over several reads is written once it is whole, several that came in
// one read are written one by one):
//
//   14:03:29.214 CS2 > 00 08 AB 10 06 00 00 C0 03 01 F4 00 00
//   14:03:29.219 CS2 < 00 09 AB 10 06 00 00 C0 03 01 F4 00 00
#include "program/Verkehrsprotokoll.h"

namespace trabolin {

inline void cs2VerkehrGesendet(const QByteArray &rahmen)
{
    Verkehrsprotokoll::hex(QStringLiteral("CS2 >"), rahmen);
}

inline void cs2VerkehrEmpfangen(const QByteArray &rahmen)
{
    Verkehrsprotokoll::hex(QStringLiteral("CS2 <"), rahmen);
}

} // namespace trabolin

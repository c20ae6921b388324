#pragma once
// The ECoS link's lines in the traffic log: every text sent to the ECoS and every
// text received from it, one entry per line:
//
//   14:03:27.530 ECoS > set(1000,speed[40])
//   14:03:27.547 ECoS < <REPLY set(1000,speed[40])>
#include "program/Verkehrsprotokoll.h"

namespace trabolin {

inline void ecosProtokollGesendet(const QString &text)
{
    Verkehrsprotokoll::text(QStringLiteral("ECoS >"), text);
}

inline void ecosProtokollEmpfangen(const QString &text)
{
    Verkehrsprotokoll::text(QStringLiteral("ECoS <"), text);
}

} // namespace trabolin

#pragma once
// A DCC-EX station's lines in the traffic log: every command sent to it and every
// answer received from it, as text, one entry per line:
//
//   14:03:28.101 DCC-EX > <t 3 40 1>
//   14:03:28.109 DCC-EX < <l 3 0 169 0>
#include "program/Verkehrsprotokoll.h"

namespace trabolin {

inline void dccexProtokollGesendet(const QString &text)
{
    Verkehrsprotokoll::text(QStringLiteral("DCC-EX >"), text);
}

inline void dccexProtokollEmpfangen(const QString &text)
{
    Verkehrsprotokoll::text(QStringLiteral("DCC-EX <"), text);
}

} // namespace trabolin

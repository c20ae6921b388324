#include "program/Lokprofil.h"

#include <algorithm>
#include <cmath>

namespace trabolin {

double Lokprofil::mmProS(int stufe, bool vorwaerts) const
{
    if (stufe <= 0 || punkte.isEmpty())
        return 0;
    const auto wert = [vorwaerts](const Messpunkt &p) { return vorwaerts ? p.vorwaerts : p.rueckwaerts; };
    Messpunkt unten; // step 0 stands
    for (const Messpunkt &p : punkte) {
        if (p.stufe == stufe)
            return wert(p);
        if (p.stufe > stufe) {
            const double anteil = double(stufe - unten.stufe) / double(p.stufe - unten.stufe);
            return wert(unten) + (wert(p) - wert(unten)) * anteil;
        }
        unten = p;
    }
    return wert(punkte.last());
}

double Lokprofil::kmh(int stufe, bool vorwaerts) const
{
    return alsKmh(mmProS(stufe, vorwaerts), massstab);
}

int Lokprofil::naechsteStufe(double ziel, bool vorwaerts) const
{
    if (punkte.isEmpty())
        return 0;
    int beste = 0;
    double abweichung = std::abs(ziel);
    for (int s = 1; s <= punkte.last().stufe; ++s) {
        const double a = std::abs(kmh(s, vorwaerts) - ziel);
        if (a < abweichung) {
            abweichung = a;
            beste = s;
        }
    }
    return beste;
}

void Lokprofil::setzePunkt(const Messpunkt &punkt)
{
    const auto it = std::lower_bound(punkte.begin(), punkte.end(), punkt.stufe,
                                     [](const Messpunkt &p, int s) { return p.stufe < s; });
    if (it != punkte.end() && it->stufe == punkt.stufe)
        *it = punkt;
    else
        punkte.insert(it, punkt);
}

const QList<Massstab> &massstaebe()
{
    static const QList<Massstab> liste{{QStringLiteral("Z 1:220"), 220}, {QStringLiteral("N 1:160"), 160},
                                       {QStringLiteral("TT 1:120"), 120}, {QStringLiteral("H0 1:87"), 87},
                                       {QStringLiteral("0 1:45"), 45},    {QStringLiteral("1 1:32"), 32},
                                       {QStringLiteral("G 1:22.5"), 22.5}};
    return liste;
}

} // namespace trabolin

#include "window/Tabellenbearbeitung.h"

namespace trabolin {

namespace {

int begrenzt(int n)
{
    return qBound(1, n, anzahlZeilen);
}

void kopiereZeile(Tabellenspeicher &t, int von, int nach)
{
    for (int z = 1; z <= anzahlZellen; ++z)
        t.setzeZelle(nach, z, t.zelle(von, z));
}

void leereZeile(Tabellenspeicher &t, int zeile)
{
    for (int z = 1; z <= anzahlZellen; ++z)
        t.setzeZelle(zeile, z, QString());
}

void tausche(Tabellenspeicher &t, int a, int b)
{
    std::array<QString, anzahlZellen> puffer;
    for (int z = 1; z <= anzahlZellen; ++z)
        puffer[z - 1] = t.zelle(a, z);
    kopiereZeile(t, b, a);
    for (int z = 1; z <= anzahlZellen; ++z)
        t.setzeZelle(b, z, puffer[z - 1]);
}

} // namespace

Bearbeitung zeileEinfuegen(Tabellenspeicher &t, int n)
{
    n = begrenzt(n);
    for (int zeile = anzahlZeilen; zeile > n; --zeile)
        kopiereZeile(t, zeile - 1, zeile);
    leereZeile(t, n);
    return {n};
}

Bearbeitung zeileLoeschen(Tabellenspeicher &t, int n)
{
    n = begrenzt(n);
    for (int zeile = n; zeile < anzahlZeilen; ++zeile)
        kopiereZeile(t, zeile + 1, zeile);
    for (int z = 1; z <= 3; ++z)
        t.setzeZelle(anzahlZeilen, z, QString());
    return {n};
}

Bearbeitung zeileAufwaerts(Tabellenspeicher &t, int n)
{
    n = begrenzt(n);
    if (n < 2)
        return {n, true};
    tausche(t, n, n - 1);
    return {n - 1};
}

Bearbeitung zeileAbwaerts(Tabellenspeicher &t, int n)
{
    n = begrenzt(n);
    if (n > anzahlZeilen - 1)
        return {n, true};
    tausche(t, n, n + 1);
    return {n + 1};
}

Bearbeitung zeileLeeren(Tabellenspeicher &t, int n)
{
    n = begrenzt(n);
    leereZeile(t, n);
    return {n};
}

Bearbeitung folgendeLeeren(Tabellenspeicher &t, int n)
{
    n = begrenzt(n);
    for (int zeile = n; zeile <= anzahlZeilen; ++zeile)
        leereZeile(t, zeile);
    return {n};
}

Bearbeitung tabelleLeeren(Tabellenspeicher &t, int n)
{
    t.leeren();
    return {begrenzt(n)};
}

} // namespace trabolin

#include "program/Programmzeile.h"

#include "program/Laufkontext.h"
#include "program/Lokprofil.h"
#include "program/Zahlen.h"

namespace trabolin {

namespace {

bool schaltet(Schaltregel regel, const QString &zelle)
{
    switch (regel) {
    case Schaltregel::belegt:
        return !zelle.isEmpty();
    case Schaltregel::nichtBlank:
        return !ohneBlanks(zelle).isEmpty();
    case Schaltregel::nurX:
        return zelle == u"X";
    }
    return false;
}

bool istFahrt(const QString &e) { return e == u"s" || e == u"S" || e == u"m" || e == u"M"; }

// What a line takes after its pauses: its wait and, after a change of direction, the
// pause that follows it.
qint64 nachDerPause(const Programmzeile &z, const Lesart &l)
{
    return qMax(0, z.warteMs) + (z.richtungswechsel ? l.nachWechselMs : 0);
}

// What the profile makes of a line that drives: its step from scale km/h, and the
// time of a distance.
void wendeProfilAn(Programmzeile &z, const Fahrmass &mass)
{
    if (!mass.profil)
        return;
    const bool vorwaerts = istVorwaerts(z.einheit);
    if (mass.kmh && z.stufe > 0 && !z.richtungswechsel) {
        z.stufe = mass.profil->naechsteStufe(double(z.fahrstufe), vorwaerts);
        z.fahrstufe = z.stufe;
        z.fahrstufeText = QString::number(z.stufe);
    }
    if (z.streckeCm > 0)
        z.warteMs = streckenzeitMs(z.streckeCm, mass.profil->mmProS(z.stufe, vorwaerts));
}

} // namespace

int streckenzeitMs(int cm, double mmProS)
{
    if (mmProS <= 0)
        return 0;
    return alsWartezeit(rundeGerade(double(cm) * 10.0 / mmProS * 1000.0));
}

Programmzeile leseProgrammzeile(const Tabellenspeicher &tabelle, int zeile, const Lesart &lesart,
                                const Fahrmass &mass)
{
    Programmzeile z;
    z.nummer = zeile;
    const QString dauer = tabelle.zelle(zeile, 1);
    z.einheit = tabelle.zelle(zeile, 2);
    z.fahrstufeText = tabelle.zelle(zeile, 3);
    z.licht = schaltet(lesart.licht, tabelle.zelle(zeile, 4));
    for (int i = 0; i < 4; ++i)
        z.f[i] = schaltet(lesart.funktionen, tabelle.zelle(zeile, 5 + i));

    if (lesart.regeln == Zeilenregeln::dcc) {
        z.ende = dauer.isEmpty();
        z.dauer = leseGanzzahl(dauer, Leerzeichen::ueberall);
        z.faehrt = !z.ende && z.dauer > 0;
        z.vorwaerts = istVorwaerts(z.einheit);
        z.fahrstufe = leseGanzzahl(z.fahrstufeText, Leerzeichen::ueberall);
        z.stufe = int(qBound(qint64(0), z.fahrstufe, qint64(127)));
        if (istKontakteinheit(z.einheit))
            z.kontakt = int(qBound(qint64(0), z.dauer, qint64(99)));
        else if (istStreckeneinheit(z.einheit))
            z.streckeCm = int(qBound(qint64(0), z.dauer, qint64(9999)));
        else
            z.warteMs = wartezeitMs(z.dauer, z.einheit);
    } else {
        z.ende = ohneBlanks(dauer).isEmpty();
        z.dauer = istZahl(dauer) ? leseGanzzahl(dauer) : 0;
        z.faehrt = !z.ende;
        z.richtungswechsel = z.einheit == u"f" || z.einheit == u"F";
        z.fahrstufe = leseGanzzahl(z.fahrstufeText);
        if (z.richtungswechsel) {
            z.warteMs = alsWartezeit(rundeGerade(leseZahl(dauer, Leerzeichen::ueberall) * 1000.0));
            z.stufe = 0;
        } else if (istFahrt(z.einheit)) {
            z.warteMs = wartezeitMs(z.dauer, z.einheit);
            z.stufe = int(qBound(qint64(0), z.fahrstufe, qint64(255)));
        } else if (istKontakteinheit(z.einheit)) {
            // A contact 0 has nothing to wait for: the line drives and the next follows.
            z.kontakt = int(qBound(qint64(0), z.dauer, qint64(99)));
            z.stufe = int(qBound(qint64(0), z.fahrstufe, qint64(255)));
        } else if (istStreckeneinheit(z.einheit)) {
            z.streckeCm = int(qBound(qint64(0), z.dauer, qint64(9999)));
            z.stufe = int(qBound(qint64(0), z.fahrstufe, qint64(255)));
        }
    }
    wendeProfilAn(z, mass);
    if (z.faehrt)
        z.gesamtMs = alsWartezeit(qint64(lesart.pausen) * lesart.pauseMs + nachDerPause(z, lesart));
    return z;
}

qint64 ermittleEinzelzeileMs(const Programmzeile &zeile, const Lesart &lesart)
{
    return qint64(lesart.pausenEinzel) * lesart.pauseMs + nachDerPause(zeile, lesart);
}

Durchlauf ermittleDurchlauf(const Tabellenspeicher &tabelle, int startzeile, const Lesart &lesart,
                            const Fahrmass &mass)
{
    Durchlauf d;
    d.startzeile = startzeile;
    for (int nr = qMax(1, startzeile); nr <= anzahlZeilen; ++nr) {
        Programmzeile z = leseProgrammzeile(tabelle, nr, lesart, mass);
        if (z.ende)
            break;
        if (z.faehrt) {
            ++d.gefahren;
            d.gesamtMs += z.gesamtMs;
            d.hoechsteFahrstufe = qMax<qint64>(d.hoechsteFahrstufe, z.stufe);
        }
        d.zeilen.append(std::move(z));
    }
    return d;
}

qint64 ermittleRestMs(const Durchlauf &durchlauf, int zeile, qint64 msInZeile)
{
    qint64 rest = 0;
    for (const Programmzeile &z : durchlauf.zeilen) {
        if (z.nummer > zeile)
            rest += z.gesamtMs;
        else if (z.nummer == zeile)
            rest += qMax<qint64>(0, z.gesamtMs - qMax<qint64>(0, msInZeile));
    }
    return rest;
}

QString ermittleDauertext(qint64 ms)
{
    const qint64 s = qMax<qint64>(0, ms) / 1000;
    const QLatin1Char null('0');
    if (s < 3600)
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, null);
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, null).arg(s % 60, 2, 10, null);
}

} // namespace trabolin

#include "storage/Lokprofildatei.h"

#include "storage/Zeilenleser.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace trabolin {

namespace {

const QByteArray zeilenende = QByteArrayLiteral("\r\n");

// A number with a point as the decimal sign and nothing else; none for anything else.
std::optional<double> zahl(QStringView text)
{
    bool ok = false;
    const double wert = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(wert))
        return std::nullopt;
    return wert;
}

QString alsText(double wert)
{
    return QLocale::c().toString(wert, 'f', 1);
}

// The scale as written: no decimals where it has none ("87", "22.5").
QString massstabText(double wert)
{
    return QLocale::c().toString(wert, 'g', 6);
}

std::optional<Profilschluessel> leseKopf(QStringView zeile)
{
    const QStringList teile = zeile.mid(1, zeile.size() - 2).toString().split(u' ', Qt::SkipEmptyParts);
    if (teile.size() < 3)
        return std::nullopt;
    return Profilschluessel{teile.mid(0, teile.size() - 2).join(u' '), teile[teile.size() - 2], teile.last()};
}

// Reads one "key=value" line into the profile; false when it is one of ours but
// cannot be read, nothing (std::nullopt) when its key is not ours.
std::optional<bool> leseWert(Lokprofil &p, QStringView zeile)
{
    static const QRegularExpression stufe(QStringLiteral("^Stufe\\s*(\\d{1,4})$"));
    const qsizetype gleich = zeile.indexOf(u'=');
    if (gleich < 0)
        return std::nullopt;
    const QString schluessel = zeile.left(gleich).trimmed().toString();
    const QStringView wert = zeile.mid(gleich + 1).trimmed();
    if (schluessel == u"Datum") {
        const QDate d = QDate::fromString(wert.toString(), Qt::ISODate);
        if (!d.isValid())
            return false;
        p.datum = d;
        return true;
    }
    if (schluessel == u"Abstand") {
        const auto a = zahl(wert);
        if (!a || *a < 1 || *a > 1e6)
            return false;
        p.abstandMm = int(*a);
        return true;
    }
    if (schluessel == u"Massstab") {
        const auto m = zahl(wert);
        if (!m || *m <= 0 || *m > 1000)
            return false;
        p.massstab = *m;
        return true;
    }
    const auto treffer = stufe.match(schluessel);
    if (!treffer.hasMatch())
        return std::nullopt;
    const int s = treffer.captured(1).toInt();
    const QList<QStringView> werte = wert.split(u';');
    if (s < 1 || werte.size() != 2)
        return false;
    const auto v = zahl(werte[0]), r = zahl(werte[1]);
    if (!v || !r || *v < 0 || *r < 0)
        return false;
    p.setzePunkt({s, *v, *r});
    return true;
}

} // namespace

const Lokprofil *Profildatei::profil(const Profilschluessel &schluessel) const
{
    for (const Profilabschnitt &a : abschnitte)
        if (a.profil && a.profil->schluessel == schluessel)
            return &*a.profil;
    return nullptr;
}

void Profildatei::setze(const Lokprofil &profil)
{
    for (Profilabschnitt &a : abschnitte)
        if (a.profil && a.profil->schluessel == profil.schluessel) {
            a.profil = profil;
            return;
        }
    abschnitte.append({profil, u'[' + profil.schluessel.text() + u']', {}});
}

QList<Lokprofil> Profildatei::profile() const
{
    QList<Lokprofil> liste;
    for (const Profilabschnitt &a : abschnitte)
        if (a.profil)
            liste.append(*a.profil);
    return liste;
}

Profildatei leseProfildatei(QIODevice &geraet)
{
    Profildatei d;
    Zeilenleser leser(geraet);
    Profilabschnitt *abschnitt = nullptr;
    int nr = 0;
    // A note for a line passed over: its pattern (a whole sentence, translated when the
    // note is made) with the file's name, the line's number and the line.
    const auto hinweis = [&](const QString &zeile, const QString &muster) {
        d.hinweise << muster.arg(lokprofilDateiname, QString::number(nr), zeile);
    };
    for (auto text = leser.naechste(); text; text = leser.naechste()) {
        ++nr;
        const QString zeile = *text;
        const QString bloss = zeile.trimmed();
        if (bloss.isEmpty())
            continue;
        if (bloss.startsWith(u'[') && bloss.endsWith(u']')) {
            const auto schluessel = leseKopf(bloss);
            if (!schluessel)
                hinweis(zeile, QCoreApplication::translate("trabolin", "%1, Zeile %2: \"%3\" wird übergangen "
                                                                      "(Station, Adresse und Fahrstufen erwartet)."));
            abschnitt = nullptr;
            // A section that stands twice goes on in the first.
            for (Profilabschnitt &a : d.abschnitte)
                if (schluessel && a.profil && a.profil->schluessel == *schluessel)
                    abschnitt = &a;
            if (!abschnitt) {
                d.abschnitte.append(Profilabschnitt{});
                abschnitt = &d.abschnitte.last();
                abschnitt->kopf = zeile;
                if (schluessel)
                    abschnitt->profil = Lokprofil{*schluessel, {}, 0, 87, {}};
            }
            continue;
        }
        if (!abschnitt) {
            d.vorspann << zeile;
            continue;
        }
        const std::optional<bool> gelesen = abschnitt->profil ? leseWert(*abschnitt->profil, zeile) : std::nullopt;
        if (gelesen != true)
            abschnitt->fremd << zeile;
        if (gelesen == false)
            hinweis(zeile, QCoreApplication::translate("trabolin", "%1, Zeile %2: \"%3\" wird übergangen "
                                                                  "(kein gültiger Wert)."));
    }
    return d;
}

Profildatei leseProfildatei(const QByteArray &bytes)
{
    QByteArray kopie = bytes;
    QBuffer puffer(&kopie);
    puffer.open(QIODevice::ReadOnly);
    return leseProfildatei(puffer);
}

QByteArray schreibeProfildatei(const Profildatei &datei)
{
    QStringList zeilen = datei.vorspann;
    for (const Profilabschnitt &a : datei.abschnitte) {
        if (!zeilen.isEmpty())
            zeilen << QString();
        if (!a.profil) {
            zeilen << a.kopf << a.fremd;
            continue;
        }
        const Lokprofil &p = *a.profil;
        zeilen << u'[' + p.schluessel.text() + u']';
        if (p.datum.isValid())
            zeilen << QStringLiteral("Datum=") + p.datum.toString(Qt::ISODate);
        if (p.abstandMm > 0)
            zeilen << QStringLiteral("Abstand=%1").arg(p.abstandMm);
        zeilen << QStringLiteral("Massstab=") + massstabText(p.massstab);
        for (const Messpunkt &m : p.punkte)
            zeilen << QStringLiteral("Stufe %1=%2;%3").arg(m.stufe).arg(alsText(m.vorwaerts), alsText(m.rueckwaerts));
        zeilen << a.fremd;
    }
    QByteArray bytes;
    for (const QString &z : zeilen)
        bytes += z.toLatin1() + zeilenende;
    return bytes;
}

} // namespace trabolin

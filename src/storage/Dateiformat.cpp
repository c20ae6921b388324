#include "storage/Dateiformat.h"

#include "program/Zahlen.h"
#include "storage/Zeilenleser.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QSaveFile>

namespace trabolin {

namespace {

const QByteArray zeilenende = QByteArrayLiteral("\r\n");
const QString kopfProgramm = QStringLiteral("[Programm-Daten]");

bool leer(const QString &zelle)
{
    return ohneBlanks(zelle).isEmpty();
}

// The cell's number with at least `stellen` digits; a longer number is written whole.
QString mitNullen(const QString &zelle, int stellen)
{
    const qint64 zahl = leseGanzzahl(zelle);
    const QString ziffern = QString::number(zahl < 0 ? -zahl : zahl);
    return (zahl < 0 ? QStringLiteral("-") : QString())
           + QString(qMax<qsizetype>(0, stellen - ziffern.size()), u'0') + ziffern;
}

// A number place read back: its number without leading zeros; a missing place is empty.
QString zahlAus(QStringView platz)
{
    if (platz.isEmpty())
        return {};
    return QString::number(leseGanzzahl(platz));
}

} // namespace

QString kodiereZeile(const Tabellenzeile &z, bool einheitGross)
{
    QString zeile;
    // A distance of more than two digits takes four places; the unit after them
    // tells the reader so.
    const bool lang = istStreckeneinheit(z[1].trimmed()) && leseGanzzahl(z[0]) > 99;
    zeile += leer(z[0]) ? QStringLiteral("--") : mitNullen(z[0], lang ? 4 : 2);
    zeile += leer(z[1]) ? QStringLiteral("-") : (einheitGross ? z[1].toUpper() : z[1]);
    zeile += leer(z[2]) ? QStringLiteral("000") : mitNullen(z[2], 3);
    for (int i = 3; i < anzahlZellen; ++i)
        zeile += leer(z[i]) ? u'-' : u'X';
    return zeile;
}

Tabellenzeile dekodiereZeile(QStringView zeile)
{
    Tabellenzeile z;
    // A distance line of three or four digits: four digit places, then "W" or "w".
    if (zeile.size() >= 13 && istStreckeneinheit(zeile.mid(4, 1).toString()) && istZahl(zeile.mid(0, 4))
        && !zeile.mid(0, 4).contains(u' ')) {
        z = dekodiereZeile(zeile.mid(2));
        z[0] = zahlAus(zeile.mid(0, 4));
        return z;
    }
    const QStringView dauer = zeile.mid(0, 2);
    z[0] = dauer == u"--" ? QString() : zahlAus(dauer);
    const QStringView einheit = zeile.mid(2, 1);
    z[1] = einheit == u"-" ? QString() : einheit.toString();
    const QStringView stufe = zeile.mid(3, 3);
    z[2] = stufe == u"000" ? QString() : zahlAus(stufe);
    for (int i = 3; i < anzahlZellen; ++i)
        z[i] = zeile.mid(3 + i, 1) == u"-" ? QString() : QStringLiteral("X");
    return z;
}

Einstellungslesung leseEinstellungen(QIODevice &geraet, const QString &name)
{
    namespace ez = einstellungszeile;
    Einstellungslesung l;
    Einstellungen &w = l.werte;
    Zeilenleser leser(geraet);
    // Reads on up to line `nr`; false (and the failure noted) when the file ends before it.
    QString zeile;
    int gelesen = 0;
    auto bis = [&](int nr) {
        for (; gelesen < nr; ++gelesen) {
            const auto text = leser.naechste();
            if (!text) {
                // Each case a whole sentence, translated when the failure is found.
                const QString zeilennummer = QString::number(gelesen + 1);
                l.fehler = {dateifehler::hinterDateiende,
                            name.isEmpty() ? QCoreApplication::translate(
                                                 "trabolin", "Die Einstellungsdatei endet vor Zeile %1")
                                                 .arg(zeilennummer)
                                           : QCoreApplication::translate("trabolin", "Die Datei \"%1\" endet vor Zeile %2")
                                                 .arg(name, zeilennummer)};
                l.gueltigBis = gelesen;
                return false;
            }
            zeile = *text;
        }
        l.gueltigBis = gelesen;
        return true;
    };
    auto wert = [&](int nr, QString &ziel, const QString &vorgabe = {}) {
        if (!bis(nr))
            return false;
        ziel = zeile.isEmpty() ? vorgabe : zeile;
        return true;
    };

    for (int r = 1; r <= anzahlZeilen; ++r) {
        if (!bis(ez::tabelle(r)))
            return l;
        w.tabelle[r - 1] = dekodiereZeile(zeile);
    }
    if (!wert(ez::adresse, w.adresse) || !wert(ez::port, w.port, QStringLiteral("1"))
        || !wert(ez::baudrate, w.baudrate, QStringLiteral("9600"))
        || !wert(ez::parity, w.parity, QStringLiteral("N"))
        || !wert(ez::datenbits, w.datenbits, QStringLiteral("8"))
        || !wert(ez::stopbits, w.stopbits, QStringLiteral("1")) || !wert(ez::zentrale, w.zentrale)
        || !bis(ez::usb))
        return l;
    if (!istZahl(zeile)) {
        l.gueltigBis = ez::usb - 1;
        l.fehler = {dateifehler::typUnvertraeglich,
                    QCoreApplication::translate("trabolin", "Zeile 50 (USB-Interface) der Einstellungsdatei ist keine Zahl")};
        return l;
    }
    w.usb = leseZahl(zeile) == -1;
    if (!wert(ez::ecosPort, w.ecosPort) || !wert(ez::ecosAdresse, w.ecosAdresse))
        return l;
    // Further settings: a "[label]" line and its value line, wherever they stand; a
    // few hundred are more than the stations will ever need.
    constexpr qsizetype hoechstensWeitere = 256;
    for (auto text = leser.naechste(); text && w.weitere.size() < hoechstensWeitere;
         text = leser.naechste()) {
        if (!(text->startsWith(u'[') && text->endsWith(u']')))
            continue;
        const QString label = text->mid(1, text->size() - 2);
        const auto wertzeile = leser.naechste();
        if (!wertzeile)
            break;
        w.weitere.append({label, *wertzeile});
    }
    return l;
}

QString Einstellungen::weiterer(const QString &label, const QString &vorgabe) const
{
    for (const auto &[l, wert] : weitere)
        if (l == label)
            return wert;
    return vorgabe;
}

namespace {

QString fahrprogrammLabel(int nummer, const QString &teil = {})
{
    const QString kopf = QStringLiteral("Fahrprogramm %1").arg(nummer);
    return teil.isEmpty() ? kopf : kopf + u' ' + teil;
}

} // namespace

QList<std::pair<QString, QString>> fahrprogrammPaare(int nummer, const Fahrprogrammdaten &programm)
{
    QList<std::pair<QString, QString>> paare{
        {fahrprogrammLabel(nummer), programm.adresse},
        {fahrprogrammLabel(nummer, QStringLiteral("Endlosschleife")), programm.endlos ? QStringLiteral("1") : QStringLiteral("0")},
        {fahrprogrammLabel(nummer, QStringLiteral("Datei")), programm.datei}};
    for (int z = 1; z <= anzahlZeilen; ++z)
        paare.append({fahrprogrammLabel(nummer, QStringLiteral("Zeile %1").arg(z)), kodiereZeile(programm.tabelle[z - 1])});
    return paare;
}

QList<Fahrprogrammdaten> leseFahrprogramme(const Einstellungen &werte)
{
    QHash<QString, QString> nachLabel;
    for (const auto &[label, wert] : werte.weitere)
        nachLabel.insert(label, wert);
    QList<Fahrprogrammdaten> programme;
    for (int nummer = 2;; ++nummer) {
        const auto adresse = nachLabel.constFind(fahrprogrammLabel(nummer));
        if (adresse == nachLabel.constEnd())
            return programme;
        Fahrprogrammdaten p;
        p.adresse = *adresse;
        p.endlos = nachLabel.value(fahrprogrammLabel(nummer, QStringLiteral("Endlosschleife"))).trimmed() == u"1";
        p.datei = nachLabel.value(fahrprogrammLabel(nummer, QStringLiteral("Datei")));
        for (int z = 1; z <= anzahlZeilen; ++z)
            if (const auto zeile = nachLabel.constFind(fahrprogrammLabel(nummer, QStringLiteral("Zeile %1").arg(z)));
                zeile != nachLabel.constEnd())
                p.tabelle[z - 1] = dekodiereZeile(*zeile);
        programme.append(p);
    }
}

Einstellungslesung leseEinstellungen(const QByteArray &bytes)
{
    QBuffer puffer;
    puffer.setData(bytes);
    puffer.open(QIODevice::ReadOnly);
    return leseEinstellungen(puffer);
}

QByteArray schreibeEinstellungen(const Einstellungen &w)
{
    QStringList zeilen{kopfProgramm};
    for (const Tabellenzeile &z : w.tabelle)
        zeilen << kodiereZeile(z);
    auto paar = [&](const char *kopf, const QString &wert) {
        zeilen << QString() << QString::fromLatin1(kopf) << wert;
    };
    paar("[digit. Adresse / ID]", w.adresse);
    paar("[COM-Schnittstelle]", w.port);
    paar("[COM-Baudrate]", w.baudrate);
    paar("[COM-Parity]", w.parity);
    paar("[COM-Datenbits]", w.datenbits);
    paar("[COM-Stopbits]", w.stopbits);
    paar("[Zentrale]", w.zentrale);
    // A number as line output writes it: sign place (blank when not negative), digits, blank.
    paar("[USB-Interface]", w.usb ? QStringLiteral("-1 ") : QStringLiteral(" 0 "));
    paar("[Ecos LocalPort]", w.ecosPort);
    paar("[Ecos IP-Adresse]", w.ecosAdresse);
    for (const auto &[label, wert] : w.weitere)
        zeilen << QString() << u'[' + label + u']' << wert;
    QByteArray bytes;
    for (const QString &z : zeilen)
        bytes += z.toLatin1() + zeilenende;
    return bytes;
}

std::optional<Tabelleninhalt> leseProgramm(QIODevice &geraet, int *fehlendeZeile)
{
    Zeilenleser leser(geraet);
    Tabelleninhalt inhalt;
    for (int nr = 1; nr <= anzahlZeilen + 1; ++nr) {
        const auto zeile = leser.naechste();
        if (!zeile) {
            if (fehlendeZeile)
                *fehlendeZeile = nr;
            return std::nullopt;
        }
        if (nr > 1)
            inhalt[nr - 2] = dekodiereZeile(*zeile);
    }
    return inhalt;
}

std::optional<Tabelleninhalt> leseProgramm(const QByteArray &bytes, int *fehlendeZeile)
{
    QBuffer puffer;
    puffer.setData(bytes);
    puffer.open(QIODevice::ReadOnly);
    return leseProgramm(puffer, fehlendeZeile);
}

QByteArray schreibeProgramm(const Tabelleninhalt &tabelle)
{
    QByteArray bytes = kopfProgramm.toLatin1() + zeilenende;
    for (const Tabellenzeile &z : tabelle)
        bytes += kodiereZeile(z, true).toLatin1() + zeilenende;
    return bytes;
}

Tabelleninhalt tabelleAus(const Tabellenspeicher &speicher)
{
    Tabelleninhalt inhalt;
    for (int r = 1; r <= anzahlZeilen; ++r)
        for (int c = 1; c <= anzahlZellen; ++c)
            inhalt[r - 1][c - 1] = speicher.zelle(r, c);
    return inhalt;
}

void tabelleNach(Tabellenspeicher &speicher, const Tabelleninhalt &inhalt)
{
    speicher.setzeAlle([&inhalt](int r, int c) { return inhalt[r - 1][c - 1]; });
}

QString speichereDatei(const QString &pfad, const QByteArray &bytes)
{
    const QString name = QDir::toNativeSeparators(pfad);
    QSaveFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly)) {
        return QCoreApplication::translate("trabolin", "Die Datei \"%1\" kann nicht angelegt werden.\n\n"
                                                       "Der Ordner ist schreibgeschützt, nicht vorhanden oder der Name ist "
                                                       "ungültig. Die bisherige Datei bleibt unverändert.")
            .arg(name);
    }
    if (datei.write(bytes) != bytes.size()) {
        datei.cancelWriting();
        return QCoreApplication::translate("trabolin", "Die Datei \"%1\" konnte nicht vollständig geschrieben werden "
                                                       "(Datenträger voll?).\n\nDie bisherige Datei bleibt unverändert.")
            .arg(name);
    }
    if (!datei.commit()) {
        return QCoreApplication::translate("trabolin", "Die Datei \"%1\" konnte nicht gespeichert werden "
                                                       "(Datenträger voll oder Datei schreibgeschützt?).\n\n"
                                                       "Die bisherige Datei bleibt unverändert.")
            .arg(name);
    }
    return {};
}

Fehler oeffneZumLesen(QFile &datei)
{
    const QString name = QDir::toNativeSeparators(datei.fileName());
    if (!datei.exists())
        return {dateifehler::nichtGefunden,
                QCoreApplication::translate("trabolin", "Die Datei \"%1\" wurde nicht gefunden").arg(name)};
    if (!datei.open(QIODevice::ReadOnly))
        return {dateifehler::zugriff,
                QCoreApplication::translate("trabolin", "Die Datei \"%1\" kann nicht gelesen werden").arg(name)};
    return {};
}

} // namespace trabolin

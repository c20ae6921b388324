#include "stations/z21/Z21Befehle.h"

#include "stations/xpressnet/XpressNetRahmen.h"

#include <QtEndian>

namespace trabolin {

namespace {

constexpr quint8 xLok = 0xE4;           // locomotive instruction
constexpr quint8 xFunktion = 0xF8;      // LAN_X_SET_LOCO_FUNCTION behind 0xE4
constexpr quint8 xStatusAntwort = 0x62; // LAN_X_STATUS_CHANGED: 62 22 state
constexpr qsizetype kopfLaenge = 4;     // DataLen + header

quint16 liesWort(const QByteArray &bytes, qsizetype stelle)
{
    return qFromLittleEndian<quint16>(bytes.constData() + stelle);
}

QByteArray lokBefehl(const std::pair<quint8, quint8> &adresse, quint8 kennung, quint8 wert)
{
    const char x[] = {char(xLok), char(kennung), char(adresse.first), char(adresse.second), char(wert)};
    return z21XBefehl(QByteArray(x, sizeof x));
}

} // namespace

QByteArray z21Datensatz(quint16 kopf, const QByteArray &daten)
{
    QByteArray bytes(kopfLaenge, '\0');
    qToLittleEndian<quint16>(quint16(kopfLaenge + daten.size()), bytes.data());
    qToLittleEndian<quint16>(kopf, bytes.data() + 2);
    return bytes + daten;
}

QByteArray z21XBefehl(const QByteArray &xBytes)
{
    return z21Datensatz(z21KopfXBus, xpressNetBefehl(xBytes));
}

QByteArray z21SeriennummerAnfrage() { return z21Datensatz(z21KopfSeriennummer); }

QByteArray z21Abmelden() { return z21Datensatz(z21KopfAbmelden); }

QByteArray z21Broadcastflags(quint32 flags)
{
    QByteArray daten(4, '\0');
    qToLittleEndian<quint32>(flags, daten.data());
    return z21Datensatz(z21KopfBroadcastflags, daten);
}

QByteArray z21RmBusAbfrage(quint8 gruppe) { return z21Datensatz(z21KopfRmBusAbfrage, QByteArray(1, char(gruppe))); }

QByteArray z21StatusAnfrage() { return z21XBefehl(QByteArray("\x21\x24", 2)); }

QByteArray z21Gleisspannung(bool an) { return z21XBefehl(QByteArray(an ? "\x21\x81" : "\x21\x80", 2)); }

std::optional<std::pair<quint8, quint8>> z21Adressbytes(qint64 adresse)
{
    if (adresse < 1 || adresse > 9999)
        return std::nullopt;
    if (adresse < 128)
        return std::pair{quint8(0x00), quint8(adresse)};
    return std::pair{quint8(0xC0 | (adresse >> 8)), quint8(adresse & 0xFF)};
}

std::optional<quint8> z21Stufenkennung(int fahrstufen)
{
    switch (fahrstufen) {
    case 14: return quint8(0x10);
    case 28: return quint8(0x12);
    case 128: return quint8(0x13);
    default: return std::nullopt;
    }
}

int z21HoechsteFahrstufe(int stufen)
{
    switch (stufen) {
    case 14: return 14;
    case 28: return 28;
    default: return 126;
    }
}

quint8 z21Fahrbyte(int stufen, qint64 fahrstufe, bool vorwaerts)
{
    const quint8 r = vorwaerts ? 0x80 : 0x00;
    if (fahrstufe <= 0)
        return r;
    const qint64 s = qMin<qint64>(fahrstufe, z21HoechsteFahrstufe(stufen));
    if (stufen == 28) {
        const int v = int(s) + 3;
        return quint8(r | (v >> 1) | ((v & 1) << 4));
    }
    return quint8(r | (s + 1));
}

std::optional<QByteArray> z21Fahrbefehl(qint64 adresse, int fahrstufen, quint8 fahrbyte)
{
    const auto a = z21Adressbytes(adresse);
    const auto kennung = z21Stufenkennung(fahrstufen);
    if (!a || !kennung)
        return std::nullopt;
    return lokBefehl(*a, *kennung, fahrbyte);
}

std::optional<QByteArray> z21Funktionsbefehl(qint64 adresse, int funktion, bool an)
{
    const auto a = z21Adressbytes(adresse);
    if (!a || funktion < 0 || funktion > 0x3F)
        return std::nullopt;
    return lokBefehl(*a, xFunktion, quint8((an ? 0x40 : 0x00) | funktion));
}

QList<Z21Paket> z21Pakete(const QByteArray &datagramm)
{
    QList<Z21Paket> pakete;
    qsizetype stelle = 0;
    while (datagramm.size() - stelle >= kopfLaenge) {
        const quint16 laenge = liesWort(datagramm, stelle);
        if (laenge < kopfLaenge || laenge > datagramm.size() - stelle)
            break;
        Z21Paket paket{liesWort(datagramm, stelle + 2),
                       datagramm.mid(stelle + kopfLaenge, laenge - kopfLaenge)};
        stelle += laenge;
        // An XpressNet packet holds at least its header and check byte, and the
        // exclusive-or over all of them, check byte included, is 0.
        if (paket.kopf == z21KopfXBus && (paket.daten.size() < 2 || pruefbyte(paket.daten) != 0))
            continue;
        pakete.append(paket);
    }
    return pakete;
}

std::optional<quint32> z21Seriennummer(const Z21Paket &paket)
{
    if (paket.kopf != z21KopfSeriennummer || paket.daten.size() != 4)
        return std::nullopt;
    return qFromLittleEndian<quint32>(paket.daten.constData());
}

std::optional<quint8> z21Zentralenstatus(const Z21Paket &paket)
{
    if (paket.kopf != z21KopfXBus || paket.daten.size() != 4 || quint8(paket.daten[0]) != xStatusAntwort
        || paket.daten[1] != 0x22)
        return std::nullopt;
    return quint8(paket.daten[2]);
}

std::optional<Z21Rueckmeldung> z21RmBusKontakte(const Z21Paket &paket)
{
    if (paket.kopf != z21KopfRmBusDaten || paket.daten.size() != 11)
        return std::nullopt;
    Z21Rueckmeldung r;
    r.gruppe = quint8(paket.daten[0]);
    for (int modul = 0; modul < 10; ++modul)
        for (int bit = 0; bit < 8; ++bit)
            r.kontakte.append({r.gruppe * 80 + modul * 8 + bit + 1, bool(quint8(paket.daten[1 + modul]) & (1 << bit))});
    return r;
}

std::optional<Kontaktmeldung> z21CanKontakt(const Z21Paket &paket)
{
    if (paket.kopf != z21KopfCanMelder || paket.daten.size() != 10 || paket.daten[5] != 0x01)
        return std::nullopt;
    const int adresse = liesWort(paket.daten, 2);
    const int port = quint8(paket.daten[4]);
    const quint16 wert = liesWort(paket.daten, 6);
    if (adresse < 1)
        return std::nullopt;
    const bool belegt = wert == 0x1000 || wert == 0x1100 || (wert >= 0x1201 && wert <= 0x1203);
    if (!belegt && wert != 0x0000 && wert != 0x0100)
        return std::nullopt;
    return Kontaktmeldung{(adresse - 1) * 8 + port + 1, belegt};
}

std::optional<Gleiszustand> z21Gleiszustand(const Z21Paket &paket)
{
    if (const auto status = z21Zentralenstatus(paket)) {
        if (*status & 0x04)
            return Gleiszustand::kurzschluss;
        if (*status & 0x02)
            return Gleiszustand::aus;
        if (*status & 0x01)
            return Gleiszustand::nothalt;
        if (*status & 0x20)
            return Gleiszustand::programmiermodus;
        return Gleiszustand::an;
    }
    if (paket.kopf != z21KopfXBus)
        return std::nullopt;
    return xpressNetGleiszustand(paket.daten);
}

} // namespace trabolin

#include "stations/cs2/Cs2Rahmen.h"

#include <QtEndian>

namespace trabolin {

namespace {

QByteArray rahmen(quint16 hash, quint8 befehl, const QByteArray &daten)
{
    return cs2Kodiere({0, befehl, false, hash, daten});
}

QByteArray uidBytes(quint32 uid)
{
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(uid, b.data());
    return b;
}

} // namespace

QByteArray cs2Kodiere(const Cs2Rahmen &r)
{
    QByteArray bytes(cs2RahmenLaenge, '\0');
    const quint32 kennung = quint32(r.prioritaet & 0x0F) << 25 | quint32(r.befehl) << 17
                            | quint32(r.antwort ? 1 : 0) << 16 | r.hash;
    qToBigEndian<quint32>(kennung, bytes.data());
    const qsizetype dlc = qMin<qsizetype>(r.daten.size(), 8);
    bytes[4] = char(dlc);
    for (qsizetype i = 0; i < dlc; ++i)
        bytes[5 + i] = r.daten[i];
    return bytes;
}

std::optional<Cs2Rahmen> cs2Dekodiere(const QByteArray &bytes)
{
    if (bytes.size() != cs2RahmenLaenge)
        return std::nullopt;
    const quint8 dlc = quint8(bytes[4]);
    if (dlc > 8)
        return std::nullopt;
    const quint32 kennung = qFromBigEndian<quint32>(bytes.constData());
    Cs2Rahmen r;
    r.prioritaet = quint8((kennung >> 25) & 0x0F);
    r.befehl = quint8(kennung >> 17);
    r.antwort = kennung & 0x10000;
    r.hash = quint16(kennung);
    r.daten = bytes.mid(5, dlc);
    return r;
}

quint16 cs2Hash(quint32 uid)
{
    const quint16 x = quint16(uid >> 16) ^ quint16(uid);
    return quint16(((x << 3) & 0xFC00) | 0x0300 | (x & 0x007F));
}

Cs2Bereich cs2Adressbereich(Cs2Protokoll protokoll)
{
    switch (protokoll) {
    case Cs2Protokoll::mm2: return {1, 255};
    case Cs2Protokoll::dcc: return {1, 10239};
    case Cs2Protokoll::mfx: return {1, 16383};
    }
    return {};
}

QString cs2Protokollname(Cs2Protokoll protokoll)
{
    switch (protokoll) {
    case Cs2Protokoll::mm2: return QStringLiteral("MM2");
    case Cs2Protokoll::dcc: return QStringLiteral("DCC");
    case Cs2Protokoll::mfx: return QStringLiteral("mfx");
    }
    return {};
}

std::optional<quint32> cs2LokUid(Cs2Protokoll protokoll, qint64 adresse)
{
    const Cs2Bereich b = cs2Adressbereich(protokoll);
    if (adresse < b.von || adresse > b.bis)
        return std::nullopt;
    switch (protokoll) {
    case Cs2Protokoll::mm2: return quint32(adresse);
    case Cs2Protokoll::dcc: return quint32(0xC000 + adresse);
    case Cs2Protokoll::mfx: return quint32(0x4000 + adresse);
    }
    return std::nullopt;
}

int cs2HoechsteFahrstufe(int fahrstufenIndex)
{
    switch (fahrstufenIndex) {
    case 1: return 27;
    case 2: return 28;
    case 3: return 126;
    default: return 14;
    }
}

quint16 cs2Geschwindigkeitswert(qint64 fahrstufe, int hoechste)
{
    if (hoechste <= 0)
        return 0;
    // The station turns the value back into the decoder's step rounding down, so the
    // value is rounded up: step × 1000 / hoechste rounded down again gives the step.
    const qint64 stufe = qBound(qint64(0), fahrstufe, qint64(hoechste));
    return quint16((stufe * 1000 + hoechste - 1) / hoechste);
}

QByteArray cs2Pingbefehl(quint16 hash) { return rahmen(hash, cs2Ping, {}); }

QByteArray cs2Fahrbefehl(quint16 hash, quint32 uid, quint16 wert)
{
    QByteArray w(2, '\0');
    qToBigEndian<quint16>(wert, w.data());
    return rahmen(hash, cs2Geschwindigkeit, uidBytes(uid) + w);
}

QByteArray cs2Richtungsbefehl(quint16 hash, quint32 uid, bool vorwaerts)
{
    return rahmen(hash, cs2Richtung, uidBytes(uid) + char(vorwaerts ? 1 : 2));
}

QByteArray cs2Funktionsbefehl(quint16 hash, quint32 uid, int nummer, bool an)
{
    return rahmen(hash, cs2Funktion, uidBytes(uid) + char(nummer) + char(an ? 1 : 0));
}

QByteArray cs2Systembefehl(quint16 hash, Cs2System unterbefehl)
{
    return rahmen(hash, cs2System, uidBytes(0) + char(unterbefehl));
}

QByteArray cs2Zustandsfrage(quint16 hash) { return rahmen(hash, cs2System, uidBytes(0)); }

bool cs2IstPingantwort(const Cs2Rahmen &r)
{
    return r.befehl == cs2Ping && r.antwort;
}

std::optional<Gleiszustand> cs2Gleiszustand(const Cs2Rahmen &r)
{
    if (r.befehl != cs2System || !r.antwort || r.daten.size() < 5)
        return std::nullopt;
    switch (quint8(r.daten[4])) {
    case cs2Stopp: return Gleiszustand::aus;
    case cs2Go: return Gleiszustand::an;
    case cs2Halt: return Gleiszustand::nothalt;
    case cs2Ueberlast: return Gleiszustand::kurzschluss;
    default: return std::nullopt;
    }
}

std::optional<Cs2Kontaktmeldung> cs2Kontaktmeldung(const Cs2Rahmen &r)
{
    if (r.befehl != cs2S88Ereignis || !r.antwort || r.daten.size() != 8)
        return std::nullopt;
    const bool alt = r.daten[4] != 0;
    const bool neu = r.daten[5] != 0;
    return Cs2Kontaktmeldung{qFromBigEndian<quint16>(r.daten.constData() + 2), neu, alt != neu};
}

void cs2MeldeKontakt(const Cs2Kontaktmeldung &m, Gleismelder &melder)
{
    if (m.wechsel)
        melder.meldeKontakt(m.kontakt, m.belegt);
    else
        melder.meldeKontaktstand(m.kontakt, m.belegt);
}

void Cs2Richtungen::gesendet(const QByteArray &bytes)
{
    if (const auto r = cs2Dekodiere(bytes); r && r->befehl == cs2Richtung && !r->antwort)
        merke(*r);
}

void Cs2Richtungen::gelesen(const Cs2Rahmen &r)
{
    if (r.befehl == cs2Richtung && r.antwort)
        merke(r);
}

void Cs2Richtungen::merke(const Cs2Rahmen &r)
{
    if (r.daten.size() < 5)
        return; // a question for the direction, no direction
    const quint32 uid = qFromBigEndian<quint32>(r.daten.constData());
    switch (quint8(r.daten[4])) {
    case 1: m_vorwaerts.insert(uid, true); break;
    case 2: m_vorwaerts.insert(uid, false); break;
    case 3: // turned round
        if (const auto it = m_vorwaerts.find(uid); it != m_vorwaerts.end())
            *it = !*it;
        break;
    default: break; // 0: the direction stays
    }
}

std::optional<bool> Cs2Richtungen::vorwaerts(quint32 uid) const
{
    if (const auto it = m_vorwaerts.constFind(uid); it != m_vorwaerts.cend())
        return *it;
    return std::nullopt;
}

QList<Cs2Rahmen> Cs2Leser::fuettere(const QByteArray &bytes)
{
    QList<Cs2Rahmen> rahmen;
    for (const QByteArray &stueck : zerlege(bytes))
        if (const auto r = cs2Dekodiere(stueck))
            rahmen.append(*r);
    return rahmen;
}

QList<QByteArray> Cs2Leser::zerlege(const QByteArray &bytes)
{
    m_rest.append(bytes);
    QList<QByteArray> stuecke;
    qsizetype stelle = 0;
    for (; m_rest.size() - stelle >= cs2RahmenLaenge; stelle += cs2RahmenLaenge)
        stuecke.append(m_rest.mid(stelle, cs2RahmenLaenge));
    m_rest.remove(0, stelle);
    return stuecke;
}

} // namespace trabolin

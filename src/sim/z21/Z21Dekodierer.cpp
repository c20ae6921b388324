#include "sim/z21/Z21Dekodierer.h"

#include <QtEndian>

namespace trabolin::sim {

namespace {

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString hex(quint8 byte)
{
    return hex(QByteArray(1, char(byte)));
}

quint8 xorUeber(const QByteArray &bytes)
{
    quint8 x = 0;
    for (const char b : bytes)
        x ^= quint8(b);
    return x;
}

QByteArray datensatz(quint16 kopf, const QByteArray &daten)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint16>(quint16(4 + daten.size()), bytes.data());
    qToLittleEndian<quint16>(kopf, bytes.data() + 2);
    return bytes + daten;
}

QByteArray xAntwort(QByteArray x)
{
    x.append(char(xorUeber(x)));
    return datensatz(0x40, x);
}

QString anAus(bool an)
{
    return an ? QStringLiteral("an") : QStringLiteral("aus");
}

// The speed byte RV as the Z21 reads it in the given mode: direction in bit 7; in
// 14 and 128 steps 0 stands, 1 is an emergency stop, 2 and up are steps 1 and up; in
// 28 steps bit 4 is the lowest bit of the five, 0 and 1 stand, 2 and 3 are emergency stops.
void liesFahrbyte(Z21Lok &lok, quint8 rv)
{
    lok.vorwaerts = rv & 0x80;
    int wert = rv & 0x7F;
    int nothaltAb = 1, erste = 2;
    if (lok.stufen == 14) {
        wert = rv & 0x0F;
    } else if (lok.stufen == 28) {
        wert = ((rv & 0x0F) << 1) | ((rv >> 4) & 1);
        nothaltAb = 2;
        erste = 4;
    }
    lok.nothalt = wert >= nothaltAb && wert < erste;
    lok.fahrstufe = wert >= erste ? wert - erste + 1 : 0;
}

} // namespace

Z21Ergebnis Z21Dekodierer::verarbeite(const QByteArray &datagramm, const QString &absender)
{
    Z21Ergebnis e;
    m_clients.insert(absender, m_clients.value(absender, 0)); // whoever talks is a client
    qsizetype stelle = 0;
    while (stelle < datagramm.size()) {
        const QByteArray rest = datagramm.mid(stelle);
        const quint16 laenge = rest.size() >= 2 ? qFromLittleEndian<quint16>(rest.constData()) : 0;
        if (rest.size() < 4 || laenge < 4 || laenge > rest.size()) {
            e.zeilen << QStringLiteral("FEHLER: Länge %1 passt nicht, %2 Bytes übrig: %3")
                            .arg(laenge).arg(rest.size()).arg(hex(rest));
            break;
        }
        const QByteArray bytes = rest.left(laenge);
        stelle += laenge;
        e.zeilen << hex(bytes) + QStringLiteral("  ")
                        + paket(qFromLittleEndian<quint16>(bytes.constData() + 2), bytes.mid(4), absender, e);
        aufStrecke(e);
    }
    return e;
}

QString Z21Dekodierer::paket(quint16 kopf, const QByteArray &daten, const QString &absender, Z21Ergebnis &e)
{
    auto laengeFalsch = [&](const char *name) {
        return QStringLiteral("FEHLER: Länge %1 falsch für %2").arg(daten.size() + 4).arg(QLatin1String(name));
    };
    switch (kopf) {
    case 0x10: {
        if (!daten.isEmpty())
            return laengeFalsch("LAN_GET_SERIAL_NUMBER");
        QByteArray nummer(4, '\0');
        qToLittleEndian<quint32>(m_seriennummer, nummer.data());
        e.antworten.append({absender, datensatz(0x10, nummer)});
        return QStringLiteral("LAN_GET_SERIAL_NUMBER -> Seriennummer %1").arg(m_seriennummer);
    }
    case 0x30:
        if (!daten.isEmpty())
            return laengeFalsch("LAN_LOGOFF");
        m_clients.remove(absender);
        return QStringLiteral("LAN_LOGOFF -> %1 abgemeldet").arg(absender);
    case 0x50: {
        if (daten.size() != 4)
            return laengeFalsch("LAN_SET_BROADCASTFLAGS");
        const quint32 flags = qFromLittleEndian<quint32>(daten.constData());
        m_clients[absender] = flags;
        return QStringLiteral("LAN_SET_BROADCASTFLAGS ") + QString::number(flags, 16).toUpper().rightJustified(8, u'0');
    }
    case 0x81: {
        if (daten.size() != 1)
            return laengeFalsch("LAN_RMBUS_GETDATA");
        const quint8 gruppe = quint8(daten[0]);
        if (gruppe > 1)
            return QStringLiteral("LAN_RMBUS_GETDATA Gruppe %1 gibt es nicht").arg(gruppe);
        e.antworten.append({absender, rmBus(gruppe)});
        return QStringLiteral("LAN_RMBUS_GETDATA Gruppe %1 -> %2").arg(gruppe).arg(hex(rmBus(gruppe)));
    }
    case 0x40:
        if (daten.size() < 2 || xorUeber(daten) != 0)
            return QStringLiteral("FEHLER: Prüfbyte %1, richtig wäre %2")
                .arg(hex(quint8(daten.isEmpty() ? 0 : daten.back())),
                     hex(xorUeber(daten.chopped(daten.isEmpty() ? 0 : 1))));
        return xBefehl(daten.chopped(1), absender, e);
    default:
        return QStringLiteral("unbekannter Befehl, keine Antwort");
    }
}

QString Z21Dekodierer::xBefehl(const QByteArray &x, const QString &absender, Z21Ergebnis &e)
{
    const quint8 k = quint8(x[0]);
    const quint8 k2 = x.size() > 1 ? quint8(x[1]) : 0;
    if (k == 0x21 && x.size() == 2 && k2 == 0x24) {
        e.antworten.append({absender, xAntwort(QByteArray("\x62\x22", 2) + char(zentralenstatus()))});
        return QStringLiteral("LAN_X_GET_STATUS -> Gleis ") + anAus(m_gleisAn);
    }
    if (k == 0x21 && x.size() == 2 && (k2 == 0x80 || k2 == 0x81)) {
        m_gleisAn = k2 == 0x81;
        m_kurzschluss = m_nothalt = false;
        anAlle(xAntwort(QByteArray("\x61", 1) + char(m_gleisAn ? 0x01 : 0x00)), absender, e);
        return QStringLiteral("LAN_X_SET_TRACK_POWER_%1 -> Gleis %2")
            .arg(m_gleisAn ? QStringLiteral("ON") : QStringLiteral("OFF"), anAus(m_gleisAn));
    }
    const bool fahren = k == 0xE4 && (k2 == 0x10 || k2 == 0x12 || k2 == 0x13);
    const bool funktion = k == 0xE4 && k2 == 0xF8;
    const bool gleis = k == 0x21 && (k2 == 0x24 || k2 == 0x80 || k2 == 0x81);
    if ((fahren || funktion || gleis) && x.size() != (gleis ? 2 : 5))
        return QStringLiteral("FEHLER: Länge %1 falsch für %2 %3").arg(x.size() + 5).arg(hex(k), hex(k2));
    if (fahren || funktion) {
        const int adresse = ((quint8(x[2]) & 0x3F) << 8) | quint8(x[3]);
        Z21Lok &lok = m_loks[adresse];
        lok.adresse = adresse;
        const quint8 wert = quint8(x[4]);
        if (fahren) {
            lok.stufen = k2 == 0x10 ? 14 : k2 == 0x12 ? 28 : 128;
            liesFahrbyte(lok, wert);
            return QStringLiteral("LAN_X_SET_LOCO_DRIVE -> ") + zustand(lok);
        }
        const int nummer = wert & 0x3F;
        const int art = wert >> 6; // 0 off, 1 on, 2 toggle
        if (art == 3)
            return QStringLiteral("FEHLER: Schaltart 3 in LAN_X_SET_LOCO_FUNCTION");
        if (nummer <= 4)
            lok.f[nummer] = art == 2 ? !lok.f[nummer] : art == 1;
        return QStringLiteral("LAN_X_SET_LOCO_FUNCTION F%1 %2 -> ")
                   .arg(nummer)
                   .arg(art == 2 ? QStringLiteral("umschalten") : anAus(art == 1))
               + zustand(lok);
    }
    e.antworten.append({absender, xAntwort(QByteArray("\x61\x82", 2))});
    return QStringLiteral("unbekannter X-Befehl -> LAN_X_UNKNOWN_COMMAND");
}

quint8 Z21Dekodierer::zentralenstatus() const
{
    return quint8((m_nothalt ? 0x01 : 0) | (m_gleisAn ? 0 : 0x02) | (m_kurzschluss ? 0x04 : 0));
}

Z21Ergebnis Z21Dekodierer::anlage(const QString &aktion)
{
    Z21Ergebnis e;
    QByteArray x;
    if (aktion == u"aus" || aktion == u"an") {
        m_gleisAn = aktion == u"an";
        m_kurzschluss = m_nothalt = false;
        x = m_gleisAn ? QByteArray("\x61\x01", 2) : QByteArray("\x61\x00", 2);
    } else if (aktion == u"kurzschluss") {
        m_gleisAn = false;
        m_kurzschluss = true;
        x = QByteArray("\x61\x08", 2);
    } else if (aktion == u"nothalt") {
        m_nothalt = true;
        x = QByteArray("\x81\x00", 2);
    } else if (aktion == u"flut") {
        // Broadcasts of the state as it is, and datagrams a Z21 never sends.
        const QByteArray gleich = xAntwort(QByteArray("\x62\x22", 2) + char(zentralenstatus()));
        const QByteArray falsch = QByteArray::fromHex("07004000610161") + QByteArray::fromHex("FFFF00");
        for (int i = 0; i < 2000; ++i)
            anAlle(i % 2 ? gleich : falsch, QString(), e);
        e.zeilen << QStringLiteral("Anlage: Flut von 2000 Datagrammen, die nichts ändern");
        return e;
    } else {
        e.zeilen << QStringLiteral("FEHLER: unbekannt: %1 (aus, an, kurzschluss, nothalt, flut, stumm, antworten)").arg(aktion);
        return e;
    }
    anAlle(xAntwort(x), QString(), e);
    e.zeilen << QStringLiteral("Anlage: %1 -> Rundruf %2, Gleis %3")
                    .arg(aktion, hex(xAntwort(x)), anAus(m_gleisAn));
    aufStrecke(e);
    return e;
}

Z21Ergebnis Z21Dekodierer::bewege(qint64 jetztMs)
{
    Z21Ergebnis e;
    m_jetzt = qMax(m_jetzt, jetztMs);
    melde(m_gleise.rueckeVor(m_jetzt), e);
    return e;
}

void Z21Dekodierer::aufStrecke(Z21Ergebnis &e)
{
    for (const Z21Lok &lok : std::as_const(m_loks)) {
        const int hoechste = lok.stufen == 128 ? 126 : lok.stufen;
        const bool steht = !m_gleisAn || m_nothalt || lok.nothalt;
        melde(m_gleise.setzeFahrt(lok.adresse, steht ? 0.0 : double(lok.fahrstufe) / hoechste, lok.vorwaerts, m_jetzt), e);
    }
}

QByteArray Z21Dekodierer::rmBus(quint8 gruppe) const
{
    return datensatz(0x80, QByteArray(1, char(gruppe)) + m_module.mid(gruppe * 10, 10));
}

void Z21Dekodierer::melde(const QList<Gleise<int>::Wechsel> &wechsel, Z21Ergebnis &e)
{
    // One record for each change, in order: a contact crossed between two moves is
    // reported occupied and then free.
    for (const auto &[adresse, ort, w] : wechsel) {
        const int n = w.nummer - 1;
        if (n < 0 || n >= m_module.size() * 8)
            continue;
        const quint8 bit = quint8(1 << (n % 8));
        const quint8 alt = quint8(m_module[n / 8]);
        m_module[n / 8] = char(w.belegt ? alt | bit : alt & ~bit);
        const QByteArray satz = rmBus(quint8(n / 80));
        for (auto it = m_clients.cbegin(); it != m_clients.cend(); ++it)
            if (it.value() & 0x00000002)
                e.antworten.append({it.key(), satz});
        e.zeilen << hex(satz) + QStringLiteral("  Strecke: Lok %1 bei %2 mm, Kontakt %3 %4 -> LAN_RMBUS_DATACHANGED")
                                    .arg(adresse)
                                    .arg(qRound(ort))
                                    .arg(w.nummer)
                                    .arg(w.belegt ? QStringLiteral("belegt") : QStringLiteral("frei"));
    }
}

void Z21Dekodierer::anAlle(const QByteArray &datagramm, const QString &absender, Z21Ergebnis &e) const
{
    // The sender hears the answer; every other client that asked for the general
    // messages (flag 0x00000001) hears it as a broadcast. The layout is no sender.
    if (!absender.isEmpty())
        e.antworten.append({absender, datagramm});
    for (auto it = m_clients.cbegin(); it != m_clients.cend(); ++it)
        if (it.key() != absender && (it.value() & 1))
            e.antworten.append({it.key(), datagramm});
}

QString Z21Dekodierer::zustand(const Z21Lok &lok) const
{
    QString text = QStringLiteral("Lok %1: %2 Fahrstufen, %3, ")
                       .arg(lok.adresse)
                       .arg(lok.stufen)
                       .arg(lok.vorwaerts ? QStringLiteral("vorwärts") : QStringLiteral("rückwärts"));
    text += lok.nothalt ? QStringLiteral("Nothalt") : QStringLiteral("Fahrstufe %1").arg(lok.fahrstufe);
    text += QStringLiteral(", Licht ") + anAus(lok.f[0]);
    for (int i = 1; i <= 4; ++i)
        text += QStringLiteral(", F%1 ").arg(i) + anAus(lok.f[i]);
    return text;
}

void Z21Dekodierer::gehoert(const QString &absender, qint64 zeitMs)
{
    m_gehoert[absender] = zeitMs;
}

QStringList Z21Dekodierer::vergissStille(qint64 zeitMs)
{
    QStringList zeilen;
    for (auto it = m_gehoert.begin(); it != m_gehoert.end();) {
        if (zeitMs - it.value() < clientFristMs) {
            ++it;
            continue;
        }
        if (m_clients.remove(it.key()) > 0)
            zeilen << QStringLiteral("%1 seit %2 s still -> abgemeldet").arg(it.key()).arg(clientFristMs / 1000);
        it = m_gehoert.erase(it);
    }
    return zeilen;
}

std::optional<Z21Lok> Z21Dekodierer::lok(int adresse) const
{
    const auto it = m_loks.constFind(adresse);
    if (it == m_loks.cend())
        return std::nullopt;
    return *it;
}

} // namespace trabolin::sim

#include "sim/cs2/Cs2Dekodierer.h"

namespace trabolin::sim {

namespace {

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

quint32 wort32(const QByteArray &b, int i)
{
    return quint32(quint8(b[i])) << 24 | quint32(quint8(b[i + 1])) << 16 | quint32(quint8(b[i + 2])) << 8
           | quint32(quint8(b[i + 3]));
}

quint16 wort16(const QByteArray &b, int i)
{
    return quint16(quint8(b[i]) << 8 | quint8(b[i + 1]));
}

// A frame of 13 bytes: identifier (priority 0), DLC, data padded with zeros.
QByteArray baue(quint8 befehl, bool antwort, quint16 hash, const QByteArray &daten)
{
    const quint32 id = quint32(befehl) << 17 | (antwort ? 0x10000u : 0u) | hash;
    QByteArray b;
    b.append(char(id >> 24)).append(char(id >> 16)).append(char(id >> 8)).append(char(id));
    b.append(char(daten.size()));
    b.append(daten);
    b.append(QByteArray(8 - daten.size(), '\0'));
    return b;
}

QByteArray uid(quint32 u)
{
    QByteArray b;
    b.append(char(u >> 24)).append(char(u >> 16)).append(char(u >> 8)).append(char(u));
    return b;
}

QString anAus(bool an)
{
    return an ? QStringLiteral("an") : QStringLiteral("aus");
}

} // namespace

quint16 cs2SimHash(quint32 u)
{
    const quint32 x = (u >> 16 ^ u) & 0xFFFF;
    // Bits 0 to 6 stay, bits 7 to 12 go to 10 to 15, bits 9, 8, 7 become 1, 1, 0.
    return quint16((x & 0x7F) | 0x0300 | ((x >> 7) & 0x3F) << 10);
}

QString cs2SimLokname(quint32 u)
{
    if (u >= 0xC000 && u <= 0xFFFF)
        return QStringLiteral("DCC %1").arg(u - 0xC000);
    if (u >= 0x4000 && u <= 0x7FFF)
        return QStringLiteral("mfx %1").arg(u - 0x4000);
    if (u <= 0x03FF)
        return QStringLiteral("MM2 %1").arg(u);
    return QStringLiteral("UID %1").arg(u, 8, 16, QLatin1Char('0'));
}

Cs2Ergebnis Cs2Dekodierer::verarbeite(const QByteArray &bytes, const QString &absender, bool strom)
{
    Cs2Ergebnis e;
    QByteArray puffer = strom ? m_reste.value(absender) + bytes : bytes;
    qsizetype stelle = 0;
    for (; puffer.size() - stelle >= 13; stelle += 13) {
        const QByteArray r = puffer.mid(stelle, 13);
        e.zeilen << hex(r) + QStringLiteral("  ") + rahmen(r, e);
    }
    const QByteArray rest = puffer.mid(stelle);
    if (strom) {
        m_reste.insert(absender, rest);
    } else if (!rest.isEmpty()) {
        e.zeilen << QStringLiteral("FEHLER: %1 Bytes übrig, kein ganzer Rahmen: %2").arg(rest.size()).arg(hex(rest));
    }
    return e;
}

QString Cs2Dekodierer::rahmen(const QByteArray &r, Cs2Ergebnis &e)
{
    const quint32 id = wort32(r, 0);
    const int dlc = quint8(r[4]);
    if (id >> 29)
        return QStringLiteral("FEHLER: Kennung %1 hat mehr als 29 Bit").arg(id, 8, 16, QLatin1Char('0'));
    if (dlc > 8)
        return QStringLiteral("FEHLER: DLC %1 über 8").arg(dlc);
    const quint8 befehl = quint8(id >> 17);
    const bool antwort = id & 0x10000;
    const quint16 hash = quint16(id);
    const QByteArray d = r.mid(5, dlc);
    if (r.mid(5 + dlc) != QByteArray(8 - dlc, '\0'))
        return QStringLiteral("FEHLER: Bytes hinter DLC %1 nicht 0").arg(dlc);
    if (antwort)
        return QStringLiteral("Antwortbit gesetzt, wird übergangen");
    QString hashText;
    if ((hash & 0x0380) != 0x0300)
        hashText = QStringLiteral(" (Hash %1 ohne Kennung 0x0300)").arg(hash, 4, 16, QLatin1Char('0'));
    const auto echo = [&] { e.antworten << baue(befehl, true, hash, d); };

    switch (befehl) {
    case 0x18:
        if (dlc != 0)
            return QStringLiteral("Ping mit DLC %1 (nur Antworten haben 8)").arg(dlc) + hashText;
        e.antworten << baue(0x18, true, cs2SimHash(eigeneUid),
                            uid(eigeneUid) + char(softwarestand >> 8) + char(softwarestand & 0xFF)
                                + char(geraetekennung >> 8) + char(geraetekennung & 0xFF));
        return QStringLiteral("Ping -> CS2 %1").arg(QString::number(eigeneUid, 16).rightJustified(8, u'0').toUpper())
               + hashText;
    case 0x00:
        if (dlc < 5)
            return QStringLiteral("FEHLER: Systembefehl mit DLC %1").arg(dlc);
        return system(hash, d, e) + hashText;
    case 0x04: {
        if (dlc != 4 && dlc != 6)
            return QStringLiteral("FEHLER: Geschwindigkeit mit DLC %1").arg(dlc);
        Cs2Lok &lok = m_loks[wort32(d, 0)];
        lok.uid = wort32(d, 0);
        if (dlc == 4) {
            e.antworten << baue(befehl, true, hash, d + char(lok.geschwindigkeit >> 8) + char(lok.geschwindigkeit & 0xFF));
            return QStringLiteral("Geschwindigkeit abfragen -> ") + zustand(lok) + hashText;
        }
        lok.geschwindigkeit = qMin<int>(wort16(d, 4), 1023);
        echo();
        return QStringLiteral("Geschwindigkeit %1 -> ").arg(wort16(d, 4)) + zustand(lok) + hashText;
    }
    case 0x05: {
        if (dlc != 4 && dlc != 5)
            return QStringLiteral("FEHLER: Richtung mit DLC %1").arg(dlc);
        Cs2Lok &lok = m_loks[wort32(d, 0)];
        lok.uid = wort32(d, 0);
        if (dlc == 4) {
            e.antworten << baue(befehl, true, hash, d + char(lok.vorwaerts ? 1 : 2));
            return QStringLiteral("Richtung abfragen -> ") + zustand(lok) + hashText;
        }
        const int r5 = quint8(d[4]);
        const bool neu = r5 == 1 ? true : r5 == 2 ? false : r5 == 3 ? !lok.vorwaerts : lok.vorwaerts;
        if (neu != lok.vorwaerts)
            lok.geschwindigkeit = 0; // a change of direction stops the locomotive
        lok.vorwaerts = neu;
        echo();
        const QStringList namen{"bleibt", "vorwärts", "rückwärts", "umschalten"};
        return QStringLiteral("Richtung %1 -> ").arg(r5 < 4 ? namen[r5] : QStringLiteral("bleibt (%1)").arg(r5))
               + zustand(lok) + hashText;
    }
    case 0x06: {
        if (dlc != 5 && dlc != 6)
            return QStringLiteral("FEHLER: Funktion mit DLC %1").arg(dlc);
        Cs2Lok &lok = m_loks[wort32(d, 0)];
        lok.uid = wort32(d, 0);
        const int nr = quint8(d[4]);
        if (dlc == 5) {
            e.antworten << baue(befehl, true, hash, d + char(nr <= 4 && lok.f[nr] ? 1 : 0));
            return QStringLiteral("F%1 abfragen -> ").arg(nr) + zustand(lok) + hashText;
        }
        if (nr <= 4)
            lok.f[nr] = quint8(d[5]) != 0;
        echo();
        return QStringLiteral("F%1 %2 -> ").arg(nr).arg(quint8(d[5])) + zustand(lok) + hashText;
    }
    default:
        return QStringLiteral("unbekannter Befehl 0x%1, keine Antwort").arg(befehl, 2, 16, QLatin1Char('0'));
    }
}

QString Cs2Dekodierer::system(quint16 hash, const QByteArray &d, Cs2Ergebnis &e)
{
    const quint8 sub = quint8(d[4]);
    e.antworten << baue(0x00, true, hash, d);
    switch (sub) {
    case 0x00:
        m_gleisAn = false;
        return QStringLiteral("System Stopp -> Gleis aus");
    case 0x01:
        m_gleisAn = true;
        return QStringLiteral("System Go -> Gleis an");
    case 0x02:
        for (Cs2Lok &lok : m_loks)
            lok.geschwindigkeit = 0;
        return QStringLiteral("System Halt -> alle Loks Geschwindigkeit 0");
    case 0x03: {
        Cs2Lok &lok = m_loks[wort32(d, 0)];
        lok.uid = wort32(d, 0);
        lok.geschwindigkeit = 0;
        return QStringLiteral("Lok Nothalt -> ") + zustand(lok);
    }
    default:
        return QStringLiteral("Systembefehl 0x%1").arg(sub, 2, 16, QLatin1Char('0'));
    }
}

Cs2Ergebnis Cs2Dekodierer::anlage(const QString &aktion)
{
    Cs2Ergebnis e;
    const quint16 h = cs2SimHash(eigeneUid);
    if (aktion == u"stopp") {
        m_gleisAn = false;
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x00));
        e.zeilen << QStringLiteral("Anlage: Stopp-Taste, Gleis aus");
    } else if (aktion == u"go") {
        m_gleisAn = true;
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x01));
        e.zeilen << QStringLiteral("Anlage: Go, Gleis an");
    } else if (aktion == u"halt") {
        for (Cs2Lok &lok : m_loks)
            lok.geschwindigkeit = 0;
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x02));
        e.zeilen << QStringLiteral("Anlage: Halt, alle Loks Geschwindigkeit 0");
    } else if (aktion == u"ueberlast") {
        m_gleisAn = false;
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x0A) + char(0x01));
        e.zeilen << QStringLiteral("Anlage: Überlast auf Kanal 1, Gleis aus");
    } else {
        e.zeilen << QStringLiteral("Anlage: unbekannt: %1 (stopp, go, halt, ueberlast, trennen, stumm, antworten)")
                        .arg(aktion);
    }
    return e;
}

std::optional<Cs2Lok> Cs2Dekodierer::lok(quint32 u) const
{
    if (!m_loks.contains(u))
        return std::nullopt;
    return m_loks.value(u);
}

QString Cs2Dekodierer::zustand(const Cs2Lok &lok) const
{
    return QStringLiteral("Lok %1: %2, Geschwindigkeit %3, Licht %4, F1 %5, F2 %6, F3 %7, F4 %8")
        .arg(cs2SimLokname(lok.uid), lok.vorwaerts ? QStringLiteral("vorwärts") : QStringLiteral("rückwärts"))
        .arg(lok.geschwindigkeit)
        .arg(anAus(lok.f[0]), anAus(lok.f[1]), anAus(lok.f[2]), anAus(lok.f[3]), anAus(lok.f[4]));
}

} // namespace trabolin::sim

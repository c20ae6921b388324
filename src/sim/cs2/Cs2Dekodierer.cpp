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
        e.zeilen << m_nachher;
        m_nachher.clear();
        aufStrecke(e);
    }
    const QByteArray rest = puffer.mid(stelle);
    if (strom) {
        m_reste.insert(absender, rest);
    } else if (!rest.isEmpty()) {
        e.zeilen << QStringLiteral("FEHLER: %1 Bytes übrig, kein ganzer Rahmen: %2").arg(rest.size()).arg(hex(rest));
    }
    return e;
}

int Cs2Dekodierer::fahrstufenVon(quint32 u) const
{
    if (u >= 0x4000 && u <= 0x7FFF)
        return 126; // mfx
    return u >= 0xC000 ? m_fahrstufenDcc : m_fahrstufenMm2;
}

void Cs2Dekodierer::setzeFahrstufen(int stufen)
{
    m_fahrstufenMm2 = stufen;
    m_fahrstufenDcc = stufen;
}

Cs2Lok &Cs2Dekodierer::befehlsziel(quint32 u)
{
    Cs2Lok &lok = m_loks[u];
    lok.uid = u;
    if (!m_halt)
        return lok;
    // During a Halt the station takes the command but keeps it from the decoder.
    auto it = m_gehalten.find(u);
    if (it == m_gehalten.end())
        it = m_gehalten.insert(u, lok);
    return *it;
}

QString Cs2Dekodierer::nachBefehl(quint32 u) const
{
    return (m_halt ? QStringLiteral("gehalten bis Go, ") : QString()) + zustand(m_loks.value(u));
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
    // The station takes no frame whose hash lacks the mark of bits 7 to 9.
    if ((hash & 0x0380) != 0x0300)
        return QStringLiteral("Hash %1 ohne Kennung 0x0300, wird übergangen").arg(hash, 4, 16, QLatin1Char('0'));
    // Every answer goes out under the station's own hash.
    const quint16 h = cs2SimHash(eigeneUid);
    const auto echo = [&] { e.antworten << baue(befehl, true, h, d); };

    switch (befehl) {
    case 0x18: {
        if (dlc != 0)
            return QStringLiteral("Ping mit DLC %1 (nur Antworten haben 8)").arg(dlc);
        // Every device behind the gateway answers: the track format processor, then the GUI.
        const auto kennung = [](quint16 wert) { return QByteArray(1, char(wert >> 8)) + char(wert & 0xFF); };
        e.antworten << baue(0x18, true, h, uid(eigeneUid) + kennung(softwarestand) + kennung(gfpKennung));
        e.antworten << baue(0x18, true, h, uid(guiUid) + kennung(softwarestand) + kennung(geraetekennung));
        return QStringLiteral("Ping -> CS2 %1 und GUI %2")
            .arg(QString::number(eigeneUid, 16).rightJustified(8, u'0').toUpper(),
                 QString::number(guiUid, 16).rightJustified(8, u'0').toUpper());
    }
    case 0x00:
        if (dlc == 4) {
            // The state query: Stop or Go, from the station's own UID.
            e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(m_gleisAn ? 0x01 : 0x00));
            return QStringLiteral("Zustand abfragen -> Gleis %1").arg(anAus(m_gleisAn));
        }
        if (dlc < 5)
            return QStringLiteral("FEHLER: Systembefehl mit DLC %1").arg(dlc);
        return system(d, e);
    case 0x04: {
        if (dlc != 4 && dlc != 6)
            return QStringLiteral("FEHLER: Geschwindigkeit mit DLC %1").arg(dlc);
        const quint32 u = wort32(d, 0);
        Cs2Lok &lok = befehlsziel(u);
        if (dlc == 4) {
            e.antworten << baue(befehl, true, h, d + char(lok.geschwindigkeit >> 8) + char(lok.geschwindigkeit & 0xFF));
            return QStringLiteral("Geschwindigkeit abfragen -> ") + nachBefehl(u);
        }
        lok.geschwindigkeit = qMin<int>(wort16(d, 4), 1023);
        echo();
        return QStringLiteral("Geschwindigkeit %1 -> ").arg(wort16(d, 4)) + nachBefehl(u);
    }
    case 0x05: {
        if (dlc != 4 && dlc != 5)
            return QStringLiteral("FEHLER: Richtung mit DLC %1").arg(dlc);
        const quint32 u = wort32(d, 0);
        Cs2Lok &lok = befehlsziel(u);
        if (dlc == 4) {
            e.antworten << baue(befehl, true, h, d + char(lok.vorwaerts ? 1 : 2));
            return QStringLiteral("Richtung abfragen -> ") + nachBefehl(u);
        }
        const int r5 = quint8(d[4]);
        const bool neu = r5 == 1 ? true : r5 == 2 ? false : r5 == 3 ? !lok.vorwaerts : lok.vorwaerts;
        if (neu != lok.vorwaerts)
            lok.geschwindigkeit = 0; // a change of direction stops the locomotive
        lok.vorwaerts = neu;
        echo();
        const QStringList namen{"bleibt", "vorwärts", "rückwärts", "umschalten"};
        return QStringLiteral("Richtung %1 -> ").arg(r5 < 4 ? namen[r5] : QStringLiteral("bleibt (%1)").arg(r5))
               + nachBefehl(u);
    }
    case 0x06: {
        if (dlc != 5 && dlc != 6)
            return QStringLiteral("FEHLER: Funktion mit DLC %1").arg(dlc);
        const quint32 u = wort32(d, 0);
        Cs2Lok &lok = befehlsziel(u);
        const int nr = quint8(d[4]);
        if (dlc == 5) {
            e.antworten << baue(befehl, true, h, d + char(nr <= 4 && lok.f[nr] ? 1 : 0));
            return QStringLiteral("F%1 abfragen -> ").arg(nr) + nachBefehl(u);
        }
        if (nr <= 4)
            lok.f[nr] = quint8(d[5]) != 0;
        echo();
        return QStringLiteral("F%1 %2 -> ").arg(nr).arg(quint8(d[5])) + nachBefehl(u);
    }
    case 0x11: {
        if (dlc != 4)
            return QStringLiteral("S88-Ereignis mit DLC %1, nicht nachgebildet").arg(dlc);
        // The question for one contact: its state as old and new state.
        const int kontakt = wort16(d, 2);
        const char stand = m_gleise.belegt(kontakt) ? 1 : 0;
        e.antworten << baue(0x11, true, h, d + stand + stand + QByteArray(2, '\0'));
        return QStringLiteral("Kontakt %1 abfragen -> %2").arg(kontakt).arg(stand ? QStringLiteral("belegt") : QStringLiteral("frei"));
    }
    default:
        return QStringLiteral("unbekannter Befehl 0x%1, keine Antwort").arg(befehl, 2, 16, QLatin1Char('0'));
    }
}

void Cs2Dekodierer::halt()
{
    m_halt = true;
    m_gehalten.clear();
    for (Cs2Lok &lok : m_loks)
        lok.geschwindigkeit = 0;
}

void Cs2Dekodierer::go()
{
    m_gleisAn = true;
    if (!m_halt)
        return;
    // The commands held since the Halt reach the decoders now.
    m_halt = false;
    for (const Cs2Lok &lok : std::as_const(m_gehalten)) {
        m_loks.insert(lok.uid, lok);
        m_nachher << QStringLiteral("Go nach Halt -> ") + zustand(lok);
    }
    m_gehalten.clear();
}

QString Cs2Dekodierer::system(const QByteArray &d, Cs2Ergebnis &e)
{
    const quint8 sub = quint8(d[4]);
    e.antworten << baue(0x00, true, cs2SimHash(eigeneUid), d);
    switch (sub) {
    case 0x00:
        m_gleisAn = false;
        return QStringLiteral("System Stopp -> Gleis aus");
    case 0x01:
        go();
        return QStringLiteral("System Go -> Gleis an");
    case 0x02:
        halt();
        return QStringLiteral("System Halt -> alle Loks Geschwindigkeit 0, Lokbefehle gehalten bis Go");
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
    const QStringList teile = aktion.split(u' ', Qt::SkipEmptyParts);
    if (aktion == u"stopp") {
        m_gleisAn = false;
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x00));
        e.zeilen << QStringLiteral("Anlage: Stopp-Taste, Gleis aus");
    } else if (aktion == u"go") {
        go();
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x01));
        e.zeilen << QStringLiteral("Anlage: Go, Gleis an") << m_nachher;
        m_nachher.clear();
    } else if (aktion == u"halt") {
        halt();
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x02));
        e.zeilen << QStringLiteral("Anlage: Halt, alle Loks Geschwindigkeit 0, Lokbefehle gehalten bis Go");
    } else if (aktion == u"ueberlast") {
        m_gleisAn = false;
        e.antworten << baue(0x00, true, h, uid(eigeneUid) + char(0x0A) + char(0x01));
        e.zeilen << QStringLiteral("Anlage: Überlast auf Kanal 1, Gleis aus");
    } else if (teile.size() == 3 && teile[0] == u"wenden" && cs2SimLokUid(teile[1], teile[2])) {
        // Another controller (the station's wheel, a phone) turns the locomotive round;
        // the station reports the new direction to everybody.
        const quint32 u = *cs2SimLokUid(teile[1], teile[2]);
        Cs2Lok &lok = befehlsziel(u);
        lok.vorwaerts = !lok.vorwaerts;
        lok.geschwindigkeit = 0;
        e.antworten << baue(0x05, true, h, uid(u) + char(lok.vorwaerts ? 1 : 2));
        e.zeilen << QStringLiteral("Anlage: anderer Regler wendet -> ") + nachBefehl(u);
    } else {
        e.zeilen << QStringLiteral("Anlage: unbekannt: %1 (stopp, go, halt, ueberlast, wenden DCC|MM2|mfx <Adresse>, "
                                   "trennen, stumm, antworten)")
                        .arg(aktion);
    }
    aufStrecke(e);
    return e;
}

Cs2Ergebnis Cs2Dekodierer::bewege(qint64 jetztMs)
{
    Cs2Ergebnis e;
    m_jetzt = qMax(m_jetzt, jetztMs);
    melde(m_gleise.rueckeVor(m_jetzt), e);
    return e;
}

void Cs2Dekodierer::aufStrecke(Cs2Ergebnis &e)
{
    for (const Cs2Lok &lok : std::as_const(m_loks)) {
        const double anteil = m_gleisAn ? double(fahrstufe(lok)) / fahrstufenVon(lok.uid) : 0.0;
        melde(m_gleise.setzeFahrt(lok.uid, anteil, lok.vorwaerts, m_jetzt), e);
    }
}

void Cs2Dekodierer::melde(const QList<Gleise<quint32>::Wechsel> &wechsel, Cs2Ergebnis &e) const
{
    for (const auto &[uid, ort, w] : wechsel) {
        QByteArray d(8, '\0');
        d[2] = char(w.nummer >> 8);
        d[3] = char(w.nummer & 0xFF);
        d[4] = char(w.belegt ? 0 : 1);
        d[5] = char(w.belegt ? 1 : 0);
        const QByteArray r = baue(0x11, true, cs2SimHash(eigeneUid), d);
        e.antworten << r;
        e.zeilen << hex(r) + QStringLiteral("  Strecke: Lok %1 bei %2 mm, Kontakt %3 %4")
                                  .arg(cs2SimLokname(uid))
                                  .arg(qRound(ort))
                                  .arg(w.nummer)
                                  .arg(w.belegt ? QStringLiteral("belegt") : QStringLiteral("frei"));
    }
}

std::optional<Cs2Lok> Cs2Dekodierer::lok(quint32 u) const
{
    if (!m_loks.contains(u))
        return std::nullopt;
    return m_loks.value(u);
}

int Cs2Dekodierer::fahrstufe(const Cs2Lok &lok) const
{
    // The station's rounding down of the value into the decoder's step.
    return int(qMin(lok.geschwindigkeit, 1000) * fahrstufenVon(lok.uid) / 1000);
}

QString Cs2Dekodierer::zustand(const Cs2Lok &lok) const
{
    return QStringLiteral("Lok %1: %2, Geschwindigkeit %3, Fahrstufe %4 von %5, Licht %6, F1 %7, F2 %8, F3 %9, F4 %10")
        .arg(cs2SimLokname(lok.uid), lok.vorwaerts ? QStringLiteral("vorwärts") : QStringLiteral("rückwärts"))
        .arg(lok.geschwindigkeit)
        .arg(fahrstufe(lok))
        .arg(fahrstufenVon(lok.uid))
        .arg(anAus(lok.f[0]), anAus(lok.f[1]), anAus(lok.f[2]), anAus(lok.f[3]), anAus(lok.f[4]));
}

std::optional<quint32> cs2SimLokUid(const QString &protokoll, const QString &adresse)
{
    bool ok = false;
    const uint a = adresse.toUInt(&ok);
    if (!ok)
        return std::nullopt;
    if (protokoll.compare(u"DCC", Qt::CaseInsensitive) == 0 && a >= 1 && a <= 10239)
        return 0xC000 + a;
    if (protokoll.compare(u"mfx", Qt::CaseInsensitive) == 0 && a >= 1 && a <= 16383)
        return 0x4000 + a;
    if (protokoll.compare(u"MM2", Qt::CaseInsensitive) == 0 && a >= 1 && a <= 255)
        return a;
    return std::nullopt;
}

} // namespace trabolin::sim

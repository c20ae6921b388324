#include "stations/maerklin/Maerklin.h"

namespace trabolin {

namespace {
// The interfaces take the characters one byte each; what a user types into the
// address field is plain ASCII, anything else goes out as its Latin-1 byte.
QByteArray alsBytes(const QString &text)
{
    return text.toLatin1();
}

char bit(bool an)
{
    return an ? '1' : '0';
}
} // namespace

std::optional<QByteArray> maerklinBefehl(qint64 befehl, qint64 adresse)
{
    if (befehl < 0 || befehl > 255 || adresse < 0 || adresse > 255)
        return std::nullopt;
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(befehl);
    bytes[1] = static_cast<char>(adresse);
    return bytes;
}

int funktionsbyte(bool f1, bool f2, bool f3, bool f4)
{
    return 64 + (f1 ? 1 : 0) + (f2 ? 2 : 0) + (f3 ? 4 : 0) + (f4 ? 8 : 0);
}

QByteArray xlFahrzeile(const QString &adresse, const QString &fahrstufe, bool licht,
                       int richtung, bool f1, bool f2, bool f3, bool f4)
{
    QByteArray t = "XL " + alsBytes(adresse) + ',' + alsBytes(fahrstufe) + ',' + bit(licht)
                   + ',' + QByteArray::number(richtung);
    for (bool f : {f1, f2, f3, f4})
        t += QByteArray(",") + bit(f);
    return t + '\r';
}

QByteArray xlRichtungsstopp(const QString &adresse)
{
    return "XL " + alsBytes(adresse) + ", 0,\r";
}

QByteArray xlStoppzeile(const QString &adresse, int richtung)
{
    return "XL" + alsBytes(adresse) + ",0,0," + QByteArray::number(richtung) + ",0,0,0,0\r";
}

int s88Modul(int kontakt)
{
    return (kontakt - 1) / 16 + 1;
}

QByteArray p50Modulfrage(int modul)
{
    if (modul < 1 || modul > maerklinGroessterModul)
        return {};
    return QByteArray(1, char(0xC0 + modul));
}

QByteArray p50xSensorfrage(int modul)
{
    if (modul < 1 || modul > maerklinGroessterModul)
        return {};
    return QByteArrayLiteral("X\x98") + char(modul);
}

QByteArray p50xEreignisfrage()
{
    return QByteArrayLiteral("X\xCB");
}

QList<Kontaktmeldung> s88Kontakte(int modul, quint8 hoch, quint8 tief)
{
    QList<Kontaktmeldung> kontakte;
    const quint16 bits = quint16(hoch << 8 | tief);
    for (int i = 0; i < 16; ++i)
        kontakte.append({(modul - 1) * 16 + i + 1, bool(bits & (0x8000 >> i))});
    return kontakte;
}

void S88Abfrage::beginne()
{
    m_gesehen.clear();
    m_art.reset();
    m_antwort.clear();
}

void S88Abfrage::frage(Art art, int modul)
{
    m_art = art;
    m_modul = modul;
    m_antwort.clear();
}

QList<Kontaktmeldung> S88Abfrage::lies(const QByteArray &bytes)
{
    if (!m_art)
        return {};
    m_antwort += bytes;
    const QByteArray &a = m_antwort;
    switch (*m_art) {
    case Art::p50:
        if (a.size() < 2)
            return {};
        m_art.reset();
        return vergleiche(quint8(a[0]), quint8(a[1]));
    case Art::xSensor:
        if (!a.isEmpty() && a[0] != '\0') {
            m_art.reset(); // the box refused the question
            return {};
        }
        if (a.size() < 3)
            return {};
        m_art.reset();
        return vergleiche(quint8(a[1]), quint8(a[2]));
    case Art::xEreignisse:
    case Art::xVergessen: {
        // Module by module up to the 00 after the last.
        std::optional<std::pair<quint8, quint8>> bits;
        qsizetype i = 0;
        while (i < a.size() && a[i] != '\0' && i + 2 < a.size()) {
            if (quint8(a[i]) == m_modul)
                bits = std::pair{quint8(a[i + 1]), quint8(a[i + 2])};
            i += 3;
        }
        if (i >= a.size() || a[i] != '\0')
            return {}; // more to come
        const bool lesen = *m_art == Art::xEreignisse;
        m_art.reset();
        return bits && lesen ? vergleiche(bits->first, bits->second) : QList<Kontaktmeldung>{};
    }
    }
    return {};
}

QList<Kontaktmeldung> S88Abfrage::vergleiche(quint8 hoch, quint8 tief)
{
    QList<Kontaktmeldung> melden;
    for (const Kontaktmeldung &k : s88Kontakte(m_modul, hoch, tief)) {
        const auto alt = m_gesehen.constFind(k.nummer);
        const bool erstesMal = alt == m_gesehen.constEnd();
        if (!erstesMal && *alt == k.belegt)
            continue;
        m_gesehen.insert(k.nummer, k.belegt);
        if (!erstesMal || !k.belegt)
            melden.append(k);
    }
    return melden;
}

void S88Leitung::frage(S88Abfrage &abfrage, Frage stellen)
{
    m_warten.removeIf([&](const auto &w) { return w.first == &abfrage; });
    const bool wartet = m_offen && m_offen != &abfrage && m_offen->wartetAufAntwort();
    if (wartet && m_seit.isValid() && m_seit.elapsed() < verlorenMs)
        m_warten.append({&abfrage, std::move(stellen)});
    else
        stelle(abfrage, stellen);
}

void S88Leitung::stelle(S88Abfrage &abfrage, const Frage &stellen)
{
    m_offen = &abfrage;
    m_seit.start();
    stellen();
}

QList<Kontaktmeldung> S88Leitung::lies(const QByteArray &bytes)
{
    if (!m_offen)
        return {};
    QList<Kontaktmeldung> meldungen = m_offen->lies(bytes);
    if (!m_offen->wartetAufAntwort() && !m_warten.isEmpty()) {
        const auto [abfrage, stellen] = m_warten.takeFirst();
        stelle(*abfrage, stellen);
    }
    return meldungen;
}

void S88Leitung::vergiss(const S88Abfrage &abfrage)
{
    m_warten.removeIf([&](const auto &w) { return w.first == &abfrage; });
    if (m_offen == &abfrage)
        m_offen = nullptr;
}

} // namespace trabolin

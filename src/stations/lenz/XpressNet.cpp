#include "stations/lenz/XpressNet.h"

namespace trabolin {

void LenzPuffer::setze(int slot, quint8 wert)
{
    if (slot >= 1 && slot <= anzahlSlots)
        m_slots[slot - 1] = wert;
}

std::optional<quint8> LenzPuffer::slot(int nummer) const
{
    if (nummer < 1 || nummer > anzahlSlots)
        return std::nullopt;
    return m_slots[nummer - 1];
}

void LenzPuffer::leeren()
{
    m_slots.fill(std::nullopt);
}

QByteArray LenzPuffer::rahmen() const
{
    QByteArray bytes;
    for (const auto &s : m_slots) {
        if (!s)
            break;
        bytes.append(static_cast<char>(*s));
    }
    return bytes;
}

QByteArray mitUsbPrefix(const QByteArray &befehl)
{
    return QByteArrayLiteral("\xFF\xFE") + befehl;
}

QList<QByteArray> lenzRueckmeldefragen(int kontakt)
{
    if (kontakt < 1 || kontakt > lenzGroessterKontakt)
        return {};
    const char modul = char((kontakt - 1) / 8);
    return {xpressNetBefehl(QByteArray{"\x42", 1} + modul + char(0x80)),
            xpressNetBefehl(QByteArray{"\x42", 1} + modul + char(0x81))};
}

QList<Kontaktmeldung> xpressNetRueckmeldung(const QByteArray &rahmen)
{
    QList<Kontaktmeldung> kontakte;
    const quint8 kopf = rahmen.isEmpty() ? 0 : quint8(rahmen[0]);
    const qsizetype paare = (kopf & 0x0F) / 2;
    if ((kopf & 0xF0) != 0x40 || rahmen.size() != 2 * paare + 2 || pruefbyte(rahmen) != 0)
        return kontakte;
    for (qsizetype p = 0; p < paare; ++p) {
        const int modul = quint8(rahmen[1 + 2 * p]);
        const quint8 daten = quint8(rahmen[2 + 2 * p]);
        if (((daten >> 5) & 0x03) != 0x02)
            continue; // a turnout's feedback
        const int erster = modul * 8 + ((daten & 0x10) ? 4 : 0) + 1;
        for (int j = 0; j < 4; ++j)
            kontakte.append({erster + j, bool(daten & (1 << j))});
    }
    return kontakte;
}

} // namespace trabolin

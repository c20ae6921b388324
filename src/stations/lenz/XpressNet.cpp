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

} // namespace trabolin

#include "storage/Zeilenleser.h"

namespace trabolin {

namespace {
constexpr qint64 blockgroesse = 64 * 1024;
}

bool Zeilenleser::fuellen()
{
    if (m_pos < m_puffer.size())
        return true;
    if (m_ende)
        return false;
    m_puffer.resize(blockgroesse);
    const qint64 n = m_geraet.read(m_puffer.data(), blockgroesse);
    if (n <= 0) {
        m_puffer.clear();
        m_ende = true;
        return false;
    }
    m_puffer.resize(n);
    m_pos = 0;
    return true;
}

std::optional<QString> Zeilenleser::naechste()
{
    QByteArray zeile;
    while (fuellen()) {
        if (m_nachCR) {
            m_nachCR = false;
            if (m_puffer[m_pos] == '\n')
                ++m_pos;
            continue;
        }
        const char *anfang = m_puffer.constData() + m_pos;
        const char *ende = m_puffer.constData() + m_puffer.size();
        const char *p = anfang;
        while (p != ende && *p != '\r' && *p != '\n')
            ++p;
        const qsizetype platz = laengeMax - zeile.size();
        zeile.append(anfang, qMin<qsizetype>(p - anfang, platz));
        m_pos += p - anfang;
        if (p != ende) {
            m_nachCR = *p == '\r';
            ++m_pos;
            return QString::fromLatin1(zeile);
        }
    }
    if (!zeile.isEmpty())
        return QString::fromLatin1(zeile);
    return std::nullopt;
}

} // namespace trabolin

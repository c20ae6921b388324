#include "window/Nachmeldungen.h"

#include <algorithm>

namespace trabolin {

void Nachmeldungen::melde(const QString &art, std::function<void()> meldung)
{
    const bool schonOffen = std::any_of(m_wartend.cbegin(), m_wartend.cend(),
                                        [&](const auto &m) { return m.first == art; });
    if (!schonOffen)
        m_wartend.append({art, std::move(meldung)});
    zeige();
}

void Nachmeldungen::zeige()
{
    if (m_jetzt && !m_jetzt())
        return;
    for (auto &[art, meldung] : std::exchange(m_wartend, {}))
        meldung();
}

void Nachmeldungen::verwirf(const QString &art)
{
    m_wartend.removeIf([&](const auto &m) { return m.first == art; });
}

} // namespace trabolin

#include "stations/ecos/EcosKontrollen.h"

#include <QRegularExpression>

namespace trabolin {

void EcosKontrollen::lies(const QString &antwort)
{
    // Each reply block on its own, as the link may deliver several in one text:
    // "<REPLY request(1001,control)>" (or "request(1001, control, force)",
    // "release(1001,control)") up to its "<END n (...)>", 0 granting.
    static const QRegularExpression block(
        QStringLiteral("<REPLY\\s+(request|release)\\(\\s*([^,\\s)]+)\\s*,\\s*control\\b.*?<END\\s+(\\d+)"),
        QRegularExpression::DotMatchesEverythingOption);
    for (auto treffer = block.globalMatch(antwort); treffer.hasNext();) {
        const QRegularExpressionMatch m = treffer.next();
        const QString id = m.captured(2);
        const bool ok = m.captured(3).toInt() == 0;
        if (m.captured(1) == u"release") {
            if (ok)
                m_ids.remove(id);
            continue;
        }
        if (ok)
            m_ids.insert(id);
        emit beantwortet(id, ok);
    }
}

} // namespace trabolin

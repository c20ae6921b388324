#include "stations/ecos/EcosKontrollen.h"

#include "stations/ecos/EcosBefehle.h"

#include <QRegularExpression>

namespace trabolin {

void EcosKontrollen::lies(const QString &antwort)
{
    // "request(1001,control)", "request(1001, control, force)", "release(1001,control)".
    static const QRegularExpression kopf(
        QStringLiteral("<REPLY\\s+(request|release)\\(\\s*([^,\\s)]+)\\s*,\\s*control\\b"));
    const QRegularExpressionMatch m = kopf.match(antwort);
    if (!m.hasMatch())
        return;
    const QString id = m.captured(2);
    const bool ok = bewerteEcosAntwort(antwort) == EcosWertung::ok;
    if (m.captured(1) == u"release") {
        if (ok)
            m_ids.remove(id);
        return;
    }
    if (ok)
        m_ids.insert(id);
    emit beantwortet(id, ok);
}

} // namespace trabolin

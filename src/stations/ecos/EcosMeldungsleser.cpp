#include "stations/ecos/EcosMeldungsleser.h"

#include <QRegularExpression>

namespace trabolin {

namespace {

enum class Kopf { keiner, fremd, eigenerStatus, eigenerAndere };

// What a line that opens a block says: "<EVENT 1>" and the replies to the program's
// own requests are its own; the answer to "get(1, status)" keeps the link alive.
Kopf kopf(const QString &zeile)
{
    if (!zeile.startsWith(u'<') || !zeile.endsWith(u'>'))
        return Kopf::keiner;
    QString innen = zeile.mid(1, zeile.size() - 2);
    innen.remove(u' ');
    if (innen == u"EVENT1")
        return Kopf::eigenerAndere;
    if (innen == u"REPLYget(1,status)")
        return Kopf::eigenerStatus;
    if (innen == u"REPLYrequest(1,view)")
        return Kopf::eigenerAndere;
    if (innen.startsWith(u"EVENT") || innen.startsWith(u"REPLY"))
        return Kopf::fremd;
    return Kopf::keiner;
}

// "1 status[GO]": GO on, STOP (and SHUTDOWN, the ECoS switching itself off) off.
bool leseStatus(const QString &zeile, Gleiszustand &zustand)
{
    static const QRegularExpression status(QStringLiteral("^1\\s(?:.*\\s)?status\\[\\s*(\\w+)\\s*\\]"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto treffer = status.match(zeile);
    if (!treffer.hasMatch())
        return false;
    const QString wert = treffer.captured(1).toUpper();
    if (wert == u"GO")
        zustand = Gleiszustand::an;
    else if (wert == u"STOP" || wert == u"SHUTDOWN")
        zustand = Gleiszustand::aus;
    else
        return false;
    return true;
}

} // namespace

QString ecosStatusBeobachten()
{
    return QStringLiteral("request(1, view)");
}

QString ecosStatusAbfrage()
{
    return QStringLiteral("get(1, status)");
}

EcosMeldungen EcosMeldungsleser::lies(const QString &text)
{
    EcosMeldungen m;
    qsizetype anfang = 0;
    while (anfang < text.size()) {
        qsizetype ende = text.indexOf(u'\n', anfang);
        ende = ende < 0 ? text.size() : ende + 1;
        const QStringView roh = QStringView(text).mid(anfang, ende - anfang);
        anfang = ende;
        const QString zeile = roh.trimmed().toString();

        const Kopf k = kopf(zeile);
        if (k == Kopf::eigenerStatus || k == Kopf::eigenerAndere) {
            m_imBlock = true; // also when the block before it never ended
            m.statusAntwort = m.statusAntwort || k == Kopf::eigenerStatus;
            continue;
        }
        if (k == Kopf::fremd)
            m_imBlock = false;
        if (!m_imBlock) {
            m.rest += roh;
            continue;
        }
        if (zeile.startsWith(QLatin1String("<END"))) {
            m_imBlock = false;
            continue;
        }
        Gleiszustand z = Gleiszustand::unbekannt;
        if (leseStatus(zeile, z) && (m.gleis.isEmpty() || m.gleis.last() != z))
            m.gleis.append(z);
    }
    return m;
}

} // namespace trabolin

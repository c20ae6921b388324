#include "stations/ecos/EcosMeldungsleser.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <utility>

namespace trabolin {

namespace {

enum class Kopf { keiner, fremd, eigenerStatus, eigenerAndere, modulliste, modulereignis };

// A feedback module's object: 100 to 299.
bool istModul(int objekt) { return objekt >= 100 && objekt <= 299; }

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
    if (innen == u"REPLYqueryObjects(26,ports)")
        return Kopf::modulliste;
    static const QRegularExpression modul(QStringLiteral("^(?:EVENT(\\d+)|REPLY(?:get\\((\\d+),state\\)|request\\((\\d+),view\\)))$"));
    if (const auto m = modul.match(innen); m.hasMatch()) {
        const bool ereignis = m.capturedLength(1) > 0;
        const int objekt = (ereignis ? m.captured(1) : m.capturedLength(2) > 0 ? m.captured(2) : m.captured(3)).toInt();
        if (istModul(objekt))
            return ereignis ? Kopf::modulereignis : Kopf::eigenerAndere;
    }
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

// "100 state[0x4]": the module's inputs.
std::optional<EcosModulstand> leseModulstand(const QString &zeile)
{
    static const QRegularExpression stand(QStringLiteral("^(\\d+)\\s+state\\[\\s*0x([0-9a-f]+)\\s*\\]"),
                                          QRegularExpression::CaseInsensitiveOption);
    const auto m = stand.match(zeile);
    bool ok = false;
    const quint32 zustand = m.captured(2).toUInt(&ok, 16);
    if (!m.hasMatch() || !ok || !istModul(m.captured(1).toInt()))
        return std::nullopt;
    return EcosModulstand{m.captured(1).toInt(), zustand, false};
}

// "100 ports[16]": a module and its ports; "100" alone: a module without them.
std::optional<EcosModul> leseModul(const QString &zeile)
{
    static const QRegularExpression modul(QStringLiteral("^(\\d+)(?:\\s+ports\\[\\s*(\\d+)\\s*\\])?\\s*$"));
    const auto m = modul.match(zeile);
    if (!m.hasMatch() || !istModul(m.captured(1).toInt()))
        return std::nullopt;
    return EcosModul{m.captured(1).toInt(), m.captured(2).toInt()};
}

} // namespace

QString ecosModulAbfrage() { return QStringLiteral("queryObjects(26, ports)"); }
QString ecosModulBeobachten(int objekt) { return QStringLiteral("request(%1, view)").arg(objekt); }
QString ecosModulstandAbfrage(int objekt) { return QStringLiteral("get(%1, state)").arg(objekt); }

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
        if (k == Kopf::eigenerStatus || k == Kopf::eigenerAndere || k == Kopf::modulliste
            || k == Kopf::modulereignis) {
            m_imBlock = true; // also when the block before it never ended
            m_ereignis = k == Kopf::modulereignis;
            m_liste = k == Kopf::modulliste;
            m.statusAntwort = m.statusAntwort || k == Kopf::eigenerStatus;
            if (m_liste)
                m_module.clear();
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
            // The list of modules counts once it is whole.
            if (std::exchange(m_liste, false)) {
                m.modulliste = true;
                m.module = m_module;
            }
            continue;
        }
        Gleiszustand z = Gleiszustand::unbekannt;
        if (leseStatus(zeile, z) && (m.gleis.isEmpty() || m.gleis.last() != z))
            m.gleis.append(z);
        if (auto stand = leseModulstand(zeile)) {
            stand->ereignis = m_ereignis;
            m.modulstaende.append(*stand);
        } else if (auto modul = leseModul(zeile); modul && m_liste) {
            m_module.append(*modul);
        }
    }
    return m;
}

void EcosRueckmelder::setzeModule(const QList<EcosModul> &module)
{
    m_module = module;
    std::sort(m_module.begin(), m_module.end(), [](const EcosModul &a, const EcosModul &b) { return a.objekt < b.objekt; });
}

int EcosRueckmelder::ports(int objekt) const
{
    for (const EcosModul &m : m_module)
        if (m.objekt == objekt && m.ports > 0)
            return m.ports;
    return 16;
}

int EcosRueckmelder::nummer(int objekt, int port) const
{
    if (m_module.isEmpty())
        return (objekt - 100) * 16 + port;
    int davor = 0;
    for (const EcosModul &m : m_module)
        if (m.objekt < objekt)
            davor += ports(m.objekt);
    return davor + port;
}

QList<EcosRueckmelder::Kontakt> EcosRueckmelder::stand(int objekt, quint32 zustand)
{
    const auto alt = m_staende.constFind(objekt);
    const bool bekannt = alt != m_staende.cend();
    const quint32 vorher = bekannt ? *alt : 0;
    m_staende.insert(objekt, zustand);
    QList<Kontakt> kontakte;
    for (int i = 0; i < qMin(ports(objekt), 32); ++i)
        if (!bekannt || ((vorher ^ zustand) >> i & 1))
            kontakte.append({nummer(objekt, i + 1), bool(zustand >> i & 1)});
    return kontakte;
}

void EcosRueckmelder::leere()
{
    m_module.clear();
    m_staende.clear();
}

} // namespace trabolin

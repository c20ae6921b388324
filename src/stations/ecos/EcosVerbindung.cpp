#include "stations/ecos/EcosVerbindung.h"

#include "program/TcpAufbau.h"
#include "stations/ecos/EcosProtokoll.h"

#include <QStringDecoder>
#include <QTcpSocket>

namespace trabolin {

namespace {

// Names in the locomotive list may carry umlauts: UTF-8 where the bytes are valid
// UTF-8, otherwise each byte as its Latin-1 character, so nothing is ever lost.
QString alsText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

} // namespace

EcosVerbindung::EcosVerbindung(QObject *parent)
    : Netzverbindung(parent), m_socket(new QTcpSocket(this)), m_wache(new EcosStatuswache(*this, this))
{
    m_ruhe.setSingleShot(true);
    connect(&m_ruhe, &QTimer::timeout, this, &EcosVerbindung::liefere);
    connect(m_socket, &QTcpSocket::readyRead, this, &EcosVerbindung::lies);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        // No waiting to gather small writes into one packet: each command is sent alone.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_warVerbunden = true;
        m_wache->beginne();
    });
    auto weg = [this] {
        if (!m_warVerbunden || m_verliert)
            return;
        m_verliert = true;
        lies();
        if (!m_kopf.isEmpty())
            liefere();
        // Reported while the link still counts as up: the locomotive's stop is tried
        // first and goes out if the socket still carries it. Then the link is gone.
        m_wache->beende(true);
        m_warVerbunden = false;
        m_verliert = false;
        emit verloren();
    };
    connect(m_socket, &QTcpSocket::disconnected, this, weg);
    connect(m_socket, &QTcpSocket::errorOccurred, this, weg);
    // An ECoS that no longer answers is as lost as one whose link has closed: the
    // link is dropped, which reports it.
    connect(m_wache, &EcosStatuswache::stumm, m_socket, &QTcpSocket::abort);
}

EcosVerbindung::~EcosVerbindung() = default;

bool EcosVerbindung::verbinde(const QString &host, quint16 port, int wartezeitMs)
{
    if (tcpVerbindet(*m_socket))
        return false; // a connect is under way already; this one changes nothing
    if (verbunden() && m_socket->peerName() == host && m_socket->peerPort() == port) {
        QMetaObject::invokeMethod(this, [this] { emit verbindungsergebnis(verbunden()); }, Qt::QueuedConnection);
        return true;
    }
    m_warVerbunden = false; // dropping the old link is no loss to report
    m_wache->beende(false);
    m_socket->abort();
    m_ruhe.stop();
    m_kopf.clear();
    m_ende.clear();
    m_ausgelassen = 0;

    verbindeTcp(*m_socket, host, port, wartezeitMs, [this](bool) {
        if (!verbunden())
            m_socket->abort();
        emit verbindungsergebnis(verbunden());
    });
    return false;
}

bool EcosVerbindung::verbunden() const
{
    return m_warVerbunden && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool EcosVerbindung::sende(const QByteArray &befehl)
{
    if (!verbunden())
        return false;
    ecosProtokollGesendet(QString::fromLatin1(befehl));
    return schreibeTcp(*m_socket, befehl);
}

void EcosVerbindung::schliesse()
{
    if (tcpVerbindet(*m_socket))
        QMetaObject::invokeMethod(this, [this] { emit verbindungsergebnis(false); }, Qt::QueuedConnection);
    m_warVerbunden = false;
    m_wache->beende(false);
    m_ruhe.stop();
    schliesseTcp(*m_socket);
}

void EcosVerbindung::lies()
{
    const QByteArray neu = m_socket->readAll();
    if (neu.isEmpty())
        return;
    ecosProtokollEmpfangen(QString::fromLatin1(neu));
    if (m_kopf.isEmpty())
        m_alter.start();
    const qsizetype platz = kappe - m_kopf.size();
    if (neu.size() <= platz) {
        m_kopf += neu;
    } else {
        m_kopf += neu.left(platz);
        m_ende += neu.mid(platz);
        if (m_ende.size() > endstueck) {
            m_ausgelassen += m_ende.size() - endstueck;
            m_ende = m_ende.right(endstueck);
        }
    }
    if (endetMitEndzeile() || m_alter.elapsed() >= hoechstesAlterMs)
        liefere();
    else
        m_ruhe.start(ruheMs);
}

bool EcosVerbindung::endetMitEndzeile() const
{
    const QByteArray &letztes = m_ende.isEmpty() ? m_kopf : m_ende;
    QByteArray schluss = letztes.right(512);
    while (schluss.endsWith('\n') || schluss.endsWith('\r'))
        schluss.chop(1);
    const qsizetype anfang = qMax(schluss.lastIndexOf('\n'), schluss.lastIndexOf('\r')) + 1;
    const QByteArray zeile = schluss.mid(anfang);
    return zeile.startsWith("<END") && zeile.endsWith('>');
}

void EcosVerbindung::liefere()
{
    m_ruhe.stop();
    if (m_kopf.isEmpty())
        return;
    const QString text = alsText(m_kopf + m_ende);
    const qint64 ausgelassen = m_ausgelassen;
    m_kopf.clear();
    m_ende.clear();
    m_ausgelassen = 0;
    // The watch's own replies and the ECoS's events are not replies to the user's
    // commands: alone they leave the reply field and the run buttons as they are.
    const QString rest = m_wache->lies(text);
    if (rest.size() != text.size() && rest.trimmed().isEmpty())
        return;
    emit antwort(rest, ausgelassen);
}

} // namespace trabolin

#include "stations/ecos/EcosVerbindung.h"

#include "program/Verkehrsprotokoll.h"

#include <QEventLoop>
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

EcosVerbindung::EcosVerbindung(QObject *parent) : Netzverbindung(parent), m_socket(new QTcpSocket(this))
{
    m_ruhe.setSingleShot(true);
    connect(&m_ruhe, &QTimer::timeout, this, &EcosVerbindung::liefere);
    connect(m_socket, &QTcpSocket::readyRead, this, &EcosVerbindung::lies);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        // No waiting to gather small writes into one packet: each command is sent alone.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_warVerbunden = true;
    });
    auto weg = [this] {
        if (!m_warVerbunden)
            return;
        m_warVerbunden = false;
        lies();
        if (!m_kopf.isEmpty())
            liefere();
        emit verloren();
    };
    connect(m_socket, &QTcpSocket::disconnected, this, weg);
    connect(m_socket, &QTcpSocket::errorOccurred, this, weg);
}

EcosVerbindung::~EcosVerbindung() = default;

bool EcosVerbindung::verbinde(const QString &host, quint16 port, int wartezeitMs)
{
    if (verbunden() && m_socket->peerName() == host && m_socket->peerPort() == port)
        return true;
    m_warVerbunden = false; // dropping the old link is no loss to report
    m_socket->abort();
    m_ruhe.stop();
    m_kopf.clear();
    m_ende.clear();
    m_ausgelassen = 0;

    QEventLoop schleife;
    QTimer uhr;
    uhr.setSingleShot(true);
    connect(&uhr, &QTimer::timeout, &schleife, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::connected, &schleife, &QEventLoop::quit);
    uhr.start(wartezeitMs);
    m_socket->connectToHost(host, port);
    // A refused or unreachable host does not end the wait: the outcome is known
    // when the time is up, as for a host that does not answer at all.
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        schleife.exec();
    if (!verbunden())
        m_socket->abort();
    return verbunden();
}

bool EcosVerbindung::verbunden() const
{
    return m_warVerbunden && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool EcosVerbindung::sende(const QString &text)
{
    if (!verbunden())
        return false;
    Verkehrsprotokoll::ecosGesendet(text);
    const QByteArray bytes = text.toLatin1();
    const bool geschrieben = m_socket->write(bytes) == bytes.size();
    m_socket->flush();
    return geschrieben;
}

void EcosVerbindung::schliesse()
{
    m_warVerbunden = false;
    m_ruhe.stop();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        return;
    m_socket->flush();
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->waitForDisconnected(500);
    m_socket->abort();
}

void EcosVerbindung::lies()
{
    const QByteArray neu = m_socket->readAll();
    if (neu.isEmpty())
        return;
    Verkehrsprotokoll::ecosEmpfangen(QString::fromLatin1(neu));
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
    emit antwort(text, ausgelassen);
}

} // namespace trabolin

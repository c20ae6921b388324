#include "stations/cs2/Cs2Verbindung.h"

#include "program/TcpAufbau.h"
#include "stations/cs2/Cs2Verkehr.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

namespace trabolin {

Cs2Verbindung::Cs2Verbindung(QObject *parent)
    : Netzverbindung(parent), m_tcp(new QTcpSocket(this)), m_udpSocket(new QUdpSocket(this))
{
    m_ping.setInterval(pingAbstandMs);
    connect(&m_ping, &QTimer::timeout, this, &Cs2Verbindung::pingFaellig);
    connect(m_tcp, &QTcpSocket::readyRead, this, [this] { empfange(m_tcp->readAll()); });
    connect(m_tcp, &QTcpSocket::connected, this,
            [this] { m_tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    // The station closed the link or it broke: nothing can go out any more.
    auto weg = [this] {
        if (m_udp || !m_offen)
            return;
        m_offen = false;
        const bool warVerbunden = m_verbunden;
        m_verbunden = false;
        m_ping.stop();
        if (m_warten)
            m_warten->quit();
        if (warVerbunden) {
            if (m_melder)
                m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
            emit verloren();
        }
    };
    connect(m_tcp, &QTcpSocket::disconnected, this, weg);
    connect(m_tcp, &QTcpSocket::errorOccurred, this, weg);
    connect(m_udpSocket, &QUdpSocket::readyRead, this, [this] {
        while (m_udpSocket->hasPendingDatagrams()) {
            const QNetworkDatagram d = m_udpSocket->receiveDatagram();
            if (!d.isValid())
                break;
            // Only the station itself is listened to.
            if (!d.senderAddress().isEqual(m_ziel, QHostAddress::ConvertV4MappedToIPv4))
                continue;
            // A datagram holds whole frames: a broken one does not shift the next.
            m_leser.leere();
            empfange(d.data());
            m_leser.leere();
        }
    });
}

Cs2Verbindung::~Cs2Verbindung()
{
    m_offen = false; // closing is no loss to report
}

bool Cs2Verbindung::verbinde(const QString &host, quint16 port, int wartezeit)
{
    if (m_warten)
        return false; // a connect is waiting already; this click changes nothing
    schliesse();
    m_port = port;
    // The window's connect button waits as long as for every station; the station
    // gets its 3 s, no more.
    wartezeit = qMin(wartezeit, wartezeitMs);
    QElapsedTimer uhr;
    uhr.start();
    if (m_udp) {
        m_ziel = QHostAddress(host.trimmed());
        if (m_ziel.isNull())
            m_ziel = sucheAdresse(host.trimmed(), wartezeit);
        m_offen = !m_ziel.isNull()
                  && m_udpSocket->bind(QHostAddress(QHostAddress::AnyIPv4), m_empfangsport,
                                       QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
    } else {
        verbindeTcp(*m_tcp, host, port, wartezeit);
        m_offen = m_tcp->state() == QAbstractSocket::ConnectedState;
        m_ziel = m_tcp->peerAddress();
    }
    m_beantwortet = false;
    if (m_offen && schreibe(cs2Pingbefehl(m_hash))) {
        const qint64 rest = wartezeit - uhr.elapsed();
        if (rest > 0 && !m_beantwortet) {
            QEventLoop schleife;
            QTimer frist;
            frist.setSingleShot(true);
            connect(&frist, &QTimer::timeout, &schleife, &QEventLoop::quit);
            m_warten = &schleife;
            frist.start(int(rest));
            schleife.exec();
            m_warten = nullptr;
        }
    }
    if (!m_offen || !m_beantwortet) {
        schliesse();
        emit antwort(QStringLiteral("Keine Antwort von der CS2 (%1:%2, %3)")
                         .arg(host.trimmed())
                         .arg(port)
                         .arg(m_udp ? QStringLiteral("UDP") : QStringLiteral("TCP")),
                     0);
        return false;
    }
    m_verbunden = true;
    m_verpasst = 0;
    m_ping.start();
    emit antwort(QStringLiteral("CS2 verbunden (%1)").arg(m_udp ? QStringLiteral("UDP") : QStringLiteral("TCP")), 0);
    return true;
}

QHostAddress Cs2Verbindung::sucheAdresse(const QString &name, int wartezeit)
{
    // Looked up while the window goes on; a name that does not resolve in time fails
    // as a station that does not answer.
    QHostAddress gefunden;
    QEventLoop schleife;
    QTimer frist;
    frist.setSingleShot(true);
    connect(&frist, &QTimer::timeout, &schleife, &QEventLoop::quit);
    m_warten = &schleife;
    QObject kontext; // a late answer finds nobody to call once this returns
    const int suche = QHostInfo::lookupHost(name, &kontext, [&](const QHostInfo &info) {
        const QList<QHostAddress> adressen = info.addresses();
        for (const QHostAddress &a : adressen)
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                gefunden = a;
                break;
            }
        schleife.quit();
    });
    frist.start(wartezeit);
    schleife.exec();
    m_warten = nullptr;
    QHostInfo::abortHostLookup(suche);
    return gefunden;
}

void Cs2Verbindung::schliesse()
{
    m_ping.stop();
    if (m_warten)
        m_warten->quit();
    m_verbunden = false;
    m_offen = false; // what follows is no loss to report
    schliesseTcp(*m_tcp);
    m_udpSocket->abort();
    m_leser.leere();
}

bool Cs2Verbindung::sende(const QByteArray &rahmen)
{
    return m_offen && schreibe(rahmen);
}

bool Cs2Verbindung::schreibe(const QByteArray &bytes)
{
    cs2VerkehrGesendet(bytes);
    if (m_udp)
        return m_udpSocket->writeDatagram(bytes, m_ziel, m_port) == bytes.size();
    if (m_tcp->write(bytes) != bytes.size())
        return false;
    m_tcp->flush(); // out now, without waiting for the next round of events
    return true;
}

void Cs2Verbindung::pingFaellig()
{
    if (m_beantwortet) {
        m_verpasst = 0;
    } else if (++m_verpasst >= verpassteBisVerloren) {
        verliere();
        return;
    }
    m_beantwortet = false;
    schreibe(cs2Pingbefehl(m_hash));
}

void Cs2Verbindung::verliere()
{
    // The way stays open: the stop the run sends on this report is still tried.
    m_ping.stop();
    m_verbunden = false;
    if (m_melder)
        m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
    emit verloren();
}

void Cs2Verbindung::empfange(const QByteArray &bytes)
{
    for (const QByteArray &stueck : m_leser.zerlege(bytes)) {
        cs2VerkehrEmpfangen(stueck);
        const auto gelesen = cs2Dekodiere(stueck);
        if (!gelesen)
            continue; // a DLC above 8: logged, nothing more
        const Cs2Rahmen &r = *gelesen;
        if (cs2IstPingantwort(r)) {
            m_beantwortet = true;
            if (m_warten)
                m_warten->quit();
        }
        if (const auto z = cs2Gleiszustand(r); z && m_melder && m_verbunden)
            m_melder->meldeGleiszustand(*z);
        emit rahmen(r);
    }
}

} // namespace trabolin

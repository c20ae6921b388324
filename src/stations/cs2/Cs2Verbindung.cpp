#include "stations/cs2/Cs2Verbindung.h"

#include "program/TcpAufbau.h"
#include "stations/cs2/Cs2Verkehr.h"

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
    m_frist.setSingleShot(true);
    connect(&m_frist, &QTimer::timeout, this, &Cs2Verbindung::scheitere);
    connect(m_tcp, &QTcpSocket::readyRead, this, [this] { empfange(m_tcp->readAll()); });
    connect(m_tcp, &QTcpSocket::connected, this, [this] {
        m_tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (m_aufbau != Aufbau::tcpVerbindet)
            return;
        m_offen = true;
        m_ziel = m_tcp->peerAddress();
        behalteTcpAusgang(*m_tcp);
        sendeErstenPing();
    });
    // The station closed the link or it broke: nothing can go out any more.
    auto weg = [this] {
        if (m_udp || !m_offen)
            return;
        if (m_aufbau != Aufbau::keiner) {
            m_offen = false;
            scheitere();
            return;
        }
        const bool warVerbunden = m_verbunden;
        m_verbunden = false;
        m_ping.stop();
        if (warVerbunden) {
            // Reported while the way still counts as open: the stop the run sends on
            // this report is written, not refused (a station that has only closed its
            // sending side still reads it).
            if (m_melder)
                m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
            emit verloren();
        }
        m_offen = false;
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
    m_aufbau = Aufbau::keiner;
    if (m_suche >= 0)
        QHostInfo::abortHostLookup(m_suche);
}

bool Cs2Verbindung::verbinde(const QString &host, quint16 port, int wartezeit)
{
    if (m_aufbau != Aufbau::keiner)
        return false; // a connect is under way already; this click changes nothing
    schliesse();
    m_port = port;
    m_host = host.trimmed();
    // The window's connect button waits as long as for every station; the station
    // gets its 3 s, no more.
    m_frist.start(qMin(wartezeit, wartezeitMs));
    m_beantwortet = false;
    if (!m_udp) {
        // A refused or unreachable host does not end the wait early: the outcome is
        // known when the time is up, as for a station that does not answer.
        m_aufbau = Aufbau::tcpVerbindet;
        m_tcp->connectToHost(m_host, port);
        return false;
    }
    const QHostAddress adresse(m_host);
    if (!adresse.isNull()) {
        zielGefunden(adresse);
        return false;
    }
    // Looked up while the window goes on; a name that does not resolve fails as a
    // station that does not answer.
    m_aufbau = Aufbau::sucheName;
    m_suche = QHostInfo::lookupHost(m_host, this, [this](const QHostInfo &info) {
        m_suche = -1;
        if (m_aufbau != Aufbau::sucheName)
            return;
        const QList<QHostAddress> adressen = info.addresses();
        for (const QHostAddress &a : adressen)
            if (a.protocol() == QAbstractSocket::IPv4Protocol)
                return zielGefunden(a);
        scheitere();
    });
    return false;
}

void Cs2Verbindung::zielGefunden(const QHostAddress &adresse)
{
    m_ziel = adresse;
    m_offen = m_udpSocket->bind(QHostAddress(QHostAddress::AnyIPv4), m_empfangsport,
                                QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
    if (!m_offen)
        return scheitere();
    sendeErstenPing();
}

void Cs2Verbindung::sendeErstenPing()
{
    m_aufbau = Aufbau::wartetAufPing;
    if (!schreibe(cs2Pingbefehl(m_hash)))
        scheitere();
}

void Cs2Verbindung::gelungen()
{
    m_frist.stop();
    m_aufbau = Aufbau::keiner;
    m_verbunden = true;
    m_verpasst = 0;
    m_ping.start();
    // What the track does is not known until the station answers the question; a
    // station whose firmware does not know it leaves it so.
    if (m_melder)
        m_melder->meldeGleiszustand(Gleiszustand::unbekannt);
    schreibe(cs2Zustandsfrage(m_hash));
    emit antwort(verbundenMuster().arg(m_udp ? QStringLiteral("UDP") : QStringLiteral("TCP")), 0);
    emit verbindungsergebnis(true);
}

QString Cs2Verbindung::verbundenMuster() { return tr("CS2 verbunden (%1)"); }

QString Cs2Verbindung::keineAntwortMuster() { return tr("Keine Antwort von der CS2 (%1:%2, %3)"); }

void Cs2Verbindung::scheitere()
{
    if (m_aufbau == Aufbau::keiner)
        return;
    m_aufbau = Aufbau::keiner;
    schliesse();
    emit antwort(keineAntwortMuster().arg(m_host).arg(m_port).arg(m_udp ? QStringLiteral("UDP") : QStringLiteral("TCP")),
                 0);
    emit verbindungsergebnis(false);
}

void Cs2Verbindung::schliesse()
{
    m_ping.stop();
    m_verbunden = false;
    m_offen = false; // what follows is no loss to report
    // A connect under way ends as one without an answer.
    scheitere();
    m_frist.stop();
    if (m_suche >= 0)
        QHostInfo::abortHostLookup(m_suche);
    m_suche = -1;
    schliesseTcp(*m_tcp);
    m_udpSocket->abort();
    m_leser.leere();
    m_richtungen.leere();
}

bool Cs2Verbindung::sende(const QByteArray &rahmen)
{
    if (!m_offen || !schreibe(rahmen))
        return false;
    m_richtungen.gesendet(rahmen);
    return true;
}

bool Cs2Verbindung::schreibe(const QByteArray &bytes)
{
    cs2VerkehrGesendet(bytes);
    if (m_udp)
        return m_udpSocket->writeDatagram(bytes, m_ziel, m_port) == bytes.size();
    return schreibeTcp(*m_tcp, bytes);
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
        // Every device behind the station answers a ping; the first answer makes the link.
        if (cs2IstPingantwort(r)) {
            m_beantwortet = true;
            if (m_aufbau == Aufbau::wartetAufPing)
                gelungen();
        }
        m_richtungen.gelesen(r);
        if (const auto z = cs2Gleiszustand(r); z && m_melder && m_verbunden)
            m_melder->meldeGleiszustand(*z);
        if (const auto k = cs2Kontaktmeldung(r); k && m_melder && m_verbunden)
            cs2MeldeKontakt(*k, *m_melder);
        emit rahmen(r);
    }
}

} // namespace trabolin

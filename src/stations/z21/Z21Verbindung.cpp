#include "stations/z21/Z21Verbindung.h"

#include "stations/z21/Z21Protokoll.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <utility>

namespace trabolin {

Z21Verbindung::Z21Verbindung(QObject *parent) : Netzverbindung(parent), m_socket(new QUdpSocket(this))
{
    m_status.setInterval(statusAbstandMs);
    connect(&m_status, &QTimer::timeout, this, &Z21Verbindung::frageStatus);
    m_frist.setSingleShot(true);
    connect(&m_frist, &QTimer::timeout, this, &Z21Verbindung::fristAbgelaufen);
    connect(m_socket, &QUdpSocket::readyRead, this, &Z21Verbindung::lies);
    m_aufbau.setSingleShot(true);
    connect(&m_aufbau, &QTimer::timeout, this, &Z21Verbindung::aufbauEnde);
}

Z21Verbindung::~Z21Verbindung() = default;

bool Z21Verbindung::verbinde(const QString &host, quint16 port, int wartezeit)
{
    if (m_wartet)
        return false; // a connect is waiting already; this click changes nothing
    if (m_verbunden)
        schliesse();
    m_socket->abort();
    m_ziel.clear();
    m_port = port;
    m_seriennummer.reset();

    m_wartet = true;
    m_aufbau.start(wartezeit);
    const QHostAddress adresse(host.trimmed());
    if (!adresse.isNull()) {
        zielGefunden(adresse);
    } else {
        // A name is looked up while the wait runs; a name that does not resolve
        // fails as a Z21 that does not answer.
        m_suche = QHostInfo::lookupHost(host.trimmed(), this, [this](const QHostInfo &info) {
            m_suche = -1;
            const QList<QHostAddress> adressen = info.addresses();
            for (const QHostAddress &a : adressen)
                if (a.protocol() == QAbstractSocket::IPv4Protocol)
                    return zielGefunden(a);
            if (!adressen.isEmpty())
                zielGefunden(adressen.first());
        });
    }
    return false;
}

void Z21Verbindung::aufbauEnde()
{
    // The serial number has come, or the wait is over (or the link was closed meanwhile).
    if (!m_wartet)
        return;
    m_wartet = false;
    m_aufbau.stop();
    if (m_suche >= 0)
        QHostInfo::abortHostLookup(m_suche);
    m_suche = -1;

    if (!m_seriennummer) {
        m_socket->abort();
        emit verbindungsergebnis(false);
        return;
    }
    m_verbunden = true;
    frageStatus(); // with the broadcast flags before it, as at every status request
    m_status.start();
    // What the feedback modules report now: their answers are states, not changes.
    m_kontakte.clear();
    for (quint8 gruppe : {0, 1})
        m_rmBusFrage[gruppe] = sende(z21RmBusAbfrage(gruppe));
    emit antwort(verbundenMuster().arg(*m_seriennummer), 0);
    emit verbindungsergebnis(true);
}

QString Z21Verbindung::verbundenMuster() { return tr("Z21 verbunden, Seriennummer %1"); }

void Z21Verbindung::zielGefunden(const QHostAddress &adresse)
{
    if (!m_wartet)
        return;
    m_ziel = adresse;
    const bool v4 = adresse.protocol() == QAbstractSocket::IPv4Protocol;
    if (!m_socket->bind(v4 ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(QHostAddress::AnyIPv6), 0))
        return; // no socket to send from: the wait runs out as for a silent Z21
    schreibe(z21SeriennummerAnfrage());
}

void Z21Verbindung::frageStatus()
{
    // A Z21 that restarted has forgotten the flags it was given at the connect and
    // would report nothing more: they go out again before every status request.
    sende(z21Broadcastflags(broadcastflags));
    // An answer still outstanding keeps its own deadline, and so do the requests
    // asked again after one.
    if (sende(z21StatusAnfrage()) && !m_frist.isActive()) {
        m_nachgefragt = 0;
        m_gehoert = false; // from now on any datagram of the Z21 shows that it is there
        m_frist.start(m_fristMs);
    }
}

void Z21Verbindung::fristAbgelaufen()
{
    if (!m_verbunden)
        return;
    if (m_nachgefragt < nachfragen) {
        ++m_nachgefragt;
        if (sende(z21StatusAnfrage()))
            m_frist.start(m_nachfrageMs);
        else
            verliere(); // the socket takes nothing more
        return;
    }
    if (m_gehoert) {
        // The Z21 still talks, only its status answers went astray: the regular
        // request goes on.
        m_nachgefragt = 0;
        return;
    }
    verliere();
}

void Z21Verbindung::verliere()
{
    // The Z21 is gone (switched off, the network down), or only its answers are: the
    // loss is reported while the link still sends, so the locomotive's stop goes out
    // first. Nothing reconnects by itself; the user connects again.
    m_status.stop();
    m_frist.stop();
    m_nachgefragt = 0;
    if (m_melder)
        m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
    m_verbunden = false;
    m_seriennummer.reset();
    emit verloren();
}

bool Z21Verbindung::sende(const QByteArray &datagramm)
{
    return m_verbunden && schreibe(datagramm);
}

bool Z21Verbindung::schreibe(const QByteArray &datagramm)
{
    z21ProtokollGesendet(datagramm);
    return m_socket->writeDatagram(datagramm, m_ziel, m_port) == datagramm.size();
}

void Z21Verbindung::schliesse()
{
    m_status.stop();
    m_frist.stop();
    m_nachgefragt = 0;
    if (m_wartet) {
        // A connect that was waiting ends without the Z21, reported from the event loop.
        m_seriennummer.reset();
        QMetaObject::invokeMethod(this, &Z21Verbindung::aufbauEnde, Qt::QueuedConnection);
    }
    if (m_verbunden)
        schreibe(z21Abmelden());
    m_verbunden = false;
    m_seriennummer.reset();
    m_socket->abort();
}

void Z21Verbindung::meldeKontakte(const Z21Paket &paket)
{
    QList<Kontaktmeldung> kontakte;
    bool antwort = false;
    if (const auto r = z21RmBusKontakte(paket)) {
        kontakte = r->kontakte;
        if (r->gruppe < 2)
            antwort = std::exchange(m_rmBusFrage[r->gruppe], false);
    } else if (const auto k = z21CanKontakt(paket)) {
        kontakte = {*k};
    }
    // A record holds the whole group: only the contacts that changed are events.
    for (const Kontaktmeldung &k : std::as_const(kontakte)) {
        const auto alt = m_kontakte.constFind(k.nummer);
        if (alt != m_kontakte.cend() && *alt == k.belegt)
            continue;
        m_kontakte.insert(k.nummer, k.belegt);
        if (!m_melder)
            continue;
        if (antwort)
            m_melder->meldeKontaktstand(k.nummer, k.belegt);
        else
            m_melder->meldeKontakt(k.nummer, k.belegt);
    }
}

void Z21Verbindung::lies()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagramm = m_socket->receiveDatagram();
        if (!datagramm.isValid())
            break;
        // Only the Z21 itself is listened to; whatever else reaches the port is dropped.
        if (!datagramm.senderAddress().isEqual(m_ziel, QHostAddress::ConvertV4MappedToIPv4))
            continue;
        const QByteArray bytes = datagramm.data();
        m_gehoert = true;
        z21ProtokollEmpfangen(bytes);
        for (const Z21Paket &p : z21Pakete(bytes)) {
            if (m_wartet && !m_seriennummer) {
                m_seriennummer = z21Seriennummer(p);
                if (m_seriennummer)
                    QMetaObject::invokeMethod(this, &Z21Verbindung::aufbauEnde, Qt::QueuedConnection);
            }
            if (z21Zentralenstatus(p)) {
                m_frist.stop();
                m_nachgefragt = 0;
            }
            if (const auto z = z21Gleiszustand(p); z && m_melder && m_verbunden)
                m_melder->meldeGleiszustand(*z);
            if (m_verbunden)
                meldeKontakte(p);
            emit paket(p);
        }
    }
}

} // namespace trabolin

#include "program/TcpAufbau.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trabolin {

namespace {

// The connect under way: a child of the socket, so that it goes with the socket, and
// found again by its name. Deleting it gives the connect up: its connections and its
// timer go with it.
const QString aufbauName = QStringLiteral("trabolin_tcpAufbau");

QObject *aufbauVon(const QTcpSocket &socket)
{
    return socket.findChild<QObject *>(aufbauName, Qt::FindDirectChildrenOnly);
}

// The second descriptor of a connected socket: a child of the socket, found by its
// name, closed with it.
const QString ausgangName = QStringLiteral("trabolin_tcpAusgang");

class Ausgang : public QObject {
public:
    Ausgang(QTcpSocket &socket, int fd) : QObject(&socket), m_fd(fd) { setObjectName(ausgangName); }
    ~Ausgang() override { ::close(m_fd); }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

Ausgang *ausgangVon(const QTcpSocket &socket)
{
    return socket.findChild<Ausgang *>(ausgangName, Qt::FindDirectChildrenOnly);
}

} // namespace

void verbindeTcp(QTcpSocket &socket, const QString &host, quint16 port, int wartezeitMs,
                 std::function<void(bool verbunden)> fertig)
{
    brichTcpAufbauAb(socket);
    auto *aufbau = new QObject(&socket);
    aufbau->setObjectName(aufbauName);
    auto *uhr = new QTimer(aufbau);
    uhr->setSingleShot(true);
    // Called once: the first of the connection and the deadline ends the connect.
    auto ende = [aufbau, uhr, sock = &socket, fertig = std::move(fertig)] {
        const bool verbunden = sock->state() == QAbstractSocket::ConnectedState;
        uhr->stop();
        QObject::disconnect(sock, nullptr, aufbau, nullptr);
        aufbau->setObjectName(QString()); // no longer found as the connect under way
        aufbau->deleteLater();
        if (verbunden)
            behalteTcpAusgang(*sock);
        fertig(verbunden);
    };
    auto einmal = std::make_shared<decltype(ende)>(std::move(ende));
    QObject::connect(uhr, &QTimer::timeout, aufbau, [einmal] { (*einmal)(); });
    QObject::connect(&socket, &QTcpSocket::connected, aufbau, [einmal] { (*einmal)(); });
    uhr->start(wartezeitMs);
    socket.connectToHost(host, port);
    if (socket.state() == QAbstractSocket::ConnectedState)
        uhr->start(0); // up already: the outcome still comes from the event loop
}

bool tcpVerbindet(const QTcpSocket &socket)
{
    return aufbauVon(socket) != nullptr;
}

void brichTcpAufbauAb(QTcpSocket &socket)
{
    // Never called from the connect's own slots: once it has ended it has no name.
    delete aufbauVon(socket);
}

void schliesseTcp(QTcpSocket &socket)
{
    brichTcpAufbauAb(socket);
    delete ausgangVon(socket);
    if (socket.state() == QAbstractSocket::UnconnectedState)
        return;
    socket.flush();
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(500);
    socket.abort();
}

void behalteTcpAusgang(QTcpSocket &socket)
{
    delete ausgangVon(socket);
    const int fd = int(socket.socketDescriptor());
    if (fd < 0)
        return;
    const int zweiter = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (zweiter < 0)
        return; // without it the stop on a close is lost as before, nothing worse
    auto *ausgang = new Ausgang(socket, zweiter);
    // Connected after the station's own handlers, so it goes after their report.
    QObject::connect(&socket, &QAbstractSocket::stateChanged, ausgang, [ausgang](QAbstractSocket::SocketState s) {
        if (s != QAbstractSocket::ConnectedState)
            ausgang->deleteLater();
    });
}

bool schreibeTcp(QTcpSocket &socket, const QByteArray &bytes)
{
    if (socket.isValid()) {
        const bool ganz = socket.write(bytes) == bytes.size();
        socket.flush(); // out now, without waiting for the next round of events
        return ganz;
    }
    // Qt has closed its descriptor on the end of the stream and is reporting it.
    const Ausgang *ausgang = ausgangVon(socket);
    if (!ausgang || socket.state() != QAbstractSocket::ConnectedState)
        return false;
    const ssize_t n = ::send(ausgang->fd(), bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    return n == bytes.size();
}

} // namespace trabolin

#include "program/TcpAufbau.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

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
    if (socket.state() == QAbstractSocket::UnconnectedState)
        return;
    socket.flush();
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(500);
    socket.abort();
}

} // namespace trabolin

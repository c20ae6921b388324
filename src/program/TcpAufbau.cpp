#include "program/TcpAufbau.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace trabolin {

void verbindeTcp(QTcpSocket &socket, const QString &host, quint16 port, int wartezeitMs)
{
    QEventLoop schleife;
    QTimer uhr;
    uhr.setSingleShot(true);
    QObject::connect(&uhr, &QTimer::timeout, &schleife, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &schleife, &QEventLoop::quit);
    uhr.start(wartezeitMs);
    socket.connectToHost(host, port);
    if (socket.state() != QAbstractSocket::ConnectedState)
        schleife.exec();
}

void schliesseTcp(QTcpSocket &socket)
{
    if (socket.state() == QAbstractSocket::UnconnectedState)
        return;
    socket.flush();
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(500);
    socket.abort();
}

} // namespace trabolin

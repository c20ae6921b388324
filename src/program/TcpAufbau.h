#pragma once
// Opening and closing the TCP link of a network station, shared by every station that
// talks TCP: the connection is made on the main loop, so the window stays usable and
// no event loop is nested, and the last command written before closing still goes out.
#include <QString>

#include <functional>

class QTcpSocket;

namespace trabolin {

// Starts the connection to `host`:`port` and returns at once. `fertig` follows from the
// event loop, never from inside this call: with true as soon as the link is up, with
// false when `wartezeitMs` has passed without it. A refused or unreachable host does
// not end the wait early: the outcome is known when the time is up, as for a host that
// does not answer at all. A connect still under way on the socket is given up first,
// and its `fertig` never comes.
void verbindeTcp(QTcpSocket &socket, const QString &host, quint16 port, int wartezeitMs,
                 std::function<void(bool verbunden)> fertig);

// Whether a connect started by verbindeTcp() is still under way on the socket.
bool tcpVerbindet(const QTcpSocket &socket);

// Gives up a connect under way on the socket: its `fertig` never comes. The socket
// itself is left as it is.
void brichTcpAufbauAb(QTcpSocket &socket);

// Closes the link: what is written is flushed, and the close waits at most 500 ms for
// the peer before the socket is dropped. A connect under way is given up.
void schliesseTcp(QTcpSocket &socket);

// Qt closes a socket's descriptor the moment it reads the end of the stream, before it
// reports the close: a stop written on that report would be lost, although a station
// that has only closed its sending side still reads what it is sent. behalteTcpAusgang()
// keeps a second descriptor on the connection that has just come up; schreibeTcp()
// writes through it once Qt's own is closed, until the socket leaves the connected
// state (its report of the close is over then) or is closed.
void behalteTcpAusgang(QTcpSocket &socket);

// Writes `bytes` at once, not gathered with what follows. False when they did not go
// out whole; a peer that has gone altogether is no fault, only false.
bool schreibeTcp(QTcpSocket &socket, const QByteArray &bytes);

} // namespace trabolin

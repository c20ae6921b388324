#pragma once
// Opening and closing the TCP link of a network station, shared by every station that
// talks TCP: the window stays usable while a connection is being made, and the last
// command written before closing still goes out.
#include <QString>

class QTcpSocket;

namespace trabolin {

// Starts the connection to `host`:`port` and waits for it in an event loop, at most
// `wartezeitMs`. A refused or unreachable host does not end the wait early: the outcome
// is known when the time is up, as for a host that does not answer at all. The caller
// looks at the socket's state afterwards.
void verbindeTcp(QTcpSocket &socket, const QString &host, quint16 port, int wartezeitMs);

// Closes the link: what is written is flushed, and the close waits at most 500 ms for
// the peer before the socket is dropped.
void schliesseTcp(QTcpSocket &socket);

} // namespace trabolin

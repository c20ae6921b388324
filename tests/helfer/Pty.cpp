#include "helfer/Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace trabolin::test {

Pty::Pty()
{
    termios roh{};
    ::cfmakeraw(&roh); // no CR/LF translation, no echo, every byte passes
    ::cfsetspeed(&roh, B9600);
    char name[128] = {};
    if (::openpty(&m_master, &m_slave, name, &roh, nullptr) == 0) {
        m_slavePfad = QString::fromLocal8Bit(name);
        return;
    }
    m_fehler = QString::fromLocal8Bit(std::strerror(errno));
    m_slave = m_master = -1;
}

Pty::~Pty()
{
    schliesseMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

bool Pty::verknuepfe(const QString &verzeichnis, int nummer) const
{
    return QFile::link(m_slavePfad, QDir(verzeichnis).filePath(QStringLiteral("COM%1").arg(nummer)));
}

bool Pty::slaveEinstellungen(termios &t) const
{
    return m_slave >= 0 && ::tcgetattr(m_slave, &t) == 0;
}

// Reads what the master has within `warteMs` into m_ungelesen; false when nothing came.
bool Pty::nimm(int warteMs)
{
    pollfd p{m_master, POLLIN, 0};
    char puffer[4096];
    const ssize_t n = m_master >= 0 && ::poll(&p, 1, warteMs) > 0 && (p.revents & POLLIN) ? ::read(m_master, puffer, sizeof puffer) : 0;
    if (n > 0)
        m_ungelesen += QByteArray(puffer, qsizetype(n));
    return n > 0;
}

QByteArray Pty::lies(int erwarteteBytes, int timeoutMs)
{
    const QDeadlineTimer frist(timeoutMs);
    while (m_master >= 0 && m_ungelesen.size() < erwarteteBytes && !frist.hasExpired()) {
        QCoreApplication::processEvents();
        nimm(2);
    }
    const QByteArray ergebnis = m_ungelesen.left(erwarteteBytes);
    m_ungelesen.remove(0, ergebnis.size());
    return ergebnis;
}

QByteArray Pty::liesVorhandenes()
{
    while (nimm(0)) {
    }
    return std::exchange(m_ungelesen, {});
}

bool Pty::schreibe(const QByteArray &bytes)
{
    return m_master >= 0 && ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

void Pty::schliesseMaster()
{
    if (m_master >= 0)
        ::close(std::exchange(m_master, -1));
}

} // namespace trabolin::test

#include "helfer/Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace trabolin::test {

namespace {

bool roh(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t); // no CR/LF translation, no echo, every byte passes
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

} // namespace

Pty::Pty()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0
        && ::ptsname_r(m_master, name, sizeof name) == 0) {
        m_slavePfad = QString::fromLocal8Bit(name);
        m_slave = ::open(name, O_RDWR | O_NOCTTY);
        if (m_slave >= 0 && roh(m_slave) && roh(m_master))
            return;
    }
    m_fehler = QString::fromLocal8Bit(std::strerror(errno));
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
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

QByteArray Pty::lies(int erwarteteBytes, int timeoutMs)
{
    const QDeadlineTimer frist(timeoutMs);
    while (m_master >= 0 && m_ungelesen.size() < erwarteteBytes && !frist.hasExpired()) {
        QCoreApplication::processEvents();
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 2) <= 0 || !(p.revents & POLLIN))
            continue;
        char puffer[4096];
        const ssize_t n = ::read(m_master, puffer, sizeof puffer);
        if (n > 0)
            m_ungelesen += QByteArray(puffer, qsizetype(n));
    }
    const QByteArray ergebnis = m_ungelesen.left(erwarteteBytes);
    m_ungelesen.remove(0, ergebnis.size());
    return ergebnis;
}

void Pty::schliesseMaster()
{
    if (m_master < 0)
        return;
    ::close(m_master);
    m_master = -1;
}

} // namespace trabolin::test

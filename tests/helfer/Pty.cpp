#include "helfer/Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
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
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0
        || ::ptsname_r(m_master, name, sizeof name) != 0) {
        m_fehler = QString::fromLocal8Bit(std::strerror(errno));
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePfad = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0 || !roh(m_slave) || !roh(m_master)) {
        m_fehler = QString::fromLocal8Bit(std::strerror(errno));
        if (m_slave >= 0)
            ::close(m_slave);
        ::close(m_master);
        m_slave = m_master = -1;
        return;
    }
    m_leser = std::thread([this] { lese(); });
}

Pty::~Pty()
{
    schliesseMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

qint64 Pty::jetztNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Pty::lese()
{
    char puffer[4096];
    while (!m_halt) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = ::read(m_master, puffer, sizeof puffer);
        if (n <= 0)
            continue;
        const qint64 zeit = jetztNs();
        {
            std::lock_guard<std::mutex> sperre(m_mutex);
            const QByteArray bytes(puffer, qsizetype(n));
            m_ungelesen += bytes;
            m_stuecke.append({zeit, bytes});
        }
        m_neu.notify_all();
    }
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
    while (true) {
        QCoreApplication::processEvents();
        std::unique_lock<std::mutex> sperre(m_mutex);
        m_neu.wait_for(sperre, std::chrono::milliseconds(2),
                      [&] { return m_ungelesen.size() >= erwarteteBytes; });
        if (m_ungelesen.size() >= erwarteteBytes || frist.hasExpired()) {
            const QByteArray ergebnis = m_ungelesen.left(erwarteteBytes);
            m_ungelesen.remove(0, ergebnis.size());
            return ergebnis;
        }
    }
}

QList<Pty::Stueck> Pty::nimmStuecke()
{
    std::lock_guard<std::mutex> sperre(m_mutex);
    QList<Stueck> ergebnis;
    ergebnis.swap(m_stuecke);
    return ergebnis;
}

void Pty::schliesseMaster()
{
    if (m_master < 0)
        return;
    m_halt = true;
    if (m_leser.joinable())
        m_leser.join();
    ::close(m_master);
    m_master = -1;
}

} // namespace trabolin::test

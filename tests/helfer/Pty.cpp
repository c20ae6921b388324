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
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0
        || ::ptsname_r(master_, name, sizeof name) != 0) {
        fehler_ = QString::fromLocal8Bit(std::strerror(errno));
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
        return;
    }
    slavePfad_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0 || !roh(slave_) || !roh(master_)) {
        fehler_ = QString::fromLocal8Bit(std::strerror(errno));
        if (slave_ >= 0)
            ::close(slave_);
        ::close(master_);
        slave_ = master_ = -1;
        return;
    }
    leser_ = std::thread([this] { lese(); });
}

Pty::~Pty()
{
    schliesseMaster();
    if (slave_ >= 0)
        ::close(slave_);
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
    while (!halt_) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = ::read(master_, puffer, sizeof puffer);
        if (n <= 0)
            continue;
        const qint64 zeit = jetztNs();
        {
            std::lock_guard<std::mutex> sperre(mutex_);
            const QByteArray bytes(puffer, qsizetype(n));
            ungelesen_ += bytes;
            stuecke_.append({zeit, bytes});
        }
        neu_.notify_all();
    }
}

bool Pty::verknuepfe(const QString &verzeichnis, int nummer) const
{
    return QFile::link(slavePfad_, QDir(verzeichnis).filePath(QStringLiteral("COM%1").arg(nummer)));
}

bool Pty::slaveEinstellungen(termios &t) const
{
    return slave_ >= 0 && ::tcgetattr(slave_, &t) == 0;
}

QByteArray Pty::lies(int erwarteteBytes, int timeoutMs)
{
    const QDeadlineTimer frist(timeoutMs);
    while (true) {
        QCoreApplication::processEvents();
        std::unique_lock<std::mutex> sperre(mutex_);
        neu_.wait_for(sperre, std::chrono::milliseconds(2),
                      [&] { return ungelesen_.size() >= erwarteteBytes; });
        if (ungelesen_.size() >= erwarteteBytes || frist.hasExpired()) {
            const QByteArray ergebnis = ungelesen_.left(erwarteteBytes);
            ungelesen_.remove(0, ergebnis.size());
            return ergebnis;
        }
    }
}

QList<Pty::Stueck> Pty::nimmStuecke()
{
    std::lock_guard<std::mutex> sperre(mutex_);
    QList<Stueck> ergebnis;
    ergebnis.swap(stuecke_);
    return ergebnis;
}

void Pty::schliesseMaster()
{
    if (master_ < 0)
        return;
    halt_ = true;
    if (leser_.joinable())
        leser_.join();
    ::close(master_);
    master_ = -1;
}

} // namespace trabolin::test

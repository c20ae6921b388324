#pragma once
// The far end of a serial line for the benchmarks: a pseudo-terminal in raw mode
// whose master side a thread reads, stamping every byte with its arrival time.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include "serial/V24.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace trabolin::bench {

using Uhr = std::chrono::steady_clock;

class Pty {
public:
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        name = ptsname(master);
        roh(master);
        // Keep one descriptor on the slave open for the whole run, so the line
        // does not hang up when a port on it is closed and opened again.
        slave = ::open(name.c_str(), O_RDWR | O_NOCTTY);
        if (slave >= 0)
            roh(slave);
    }
    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    bool ok() const { return master >= 0 && slave >= 0; }

    // A link "COM1" in the program folder `ordner` to the slave side, as a user links
    // an adapter: the program's port 1 opens the pseudo-terminal.
    void verlinkeAlsCom1(const QString &ordner) const
    {
        QFile::link(QString::fromStdString(name), QDir(ordner).filePath(QStringLiteral("COM1")));
    }
    // The program's own port `v24` (made for the program folder `ordner`) opened as
    // port 1 on the pseudo-terminal; what failed, or empty.
    QString oeffneAlsCom1(SerielleSchnittstelle &v24, const QString &ordner) const
    {
        verlinkeAlsCom1(ordner);
        v24.setzeStandardzuordnung(false);
        v24.setzePortNummer(1);
        const Fehler f = v24.oeffne();
        return f ? f.beschreibung : QString();
    }

    static void roh(int fd)
    {
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }

    int master = -1;
    int slave = -1;
    std::string name;
};

// Reads the master side in its own thread and stamps every byte as it arrives.
class Empfaenger {
public:
    explicit Empfaenger(int fd) : m_fd(fd), m_faden([this] { lies(); }) {}
    ~Empfaenger()
    {
        m_ende = true;
        m_faden.join();
    }

    // Waits (at most a second) until `anzahl` bytes have come in all told and
    // gives the time the last of them arrived.
    bool warteAuf(size_t anzahl, Uhr::time_point &ankunft, QByteArray &bytes)
    {
        std::unique_lock sperre(m_mutex);
        if (!m_da.wait_for(sperre, std::chrono::seconds(1), [&] { return m_bytes.size() >= anzahl; }))
            return false;
        ankunft = m_zeiten[anzahl - 1];
        bytes = m_bytes.left(static_cast<qsizetype>(anzahl));
        return true;
    }
    // Everything that has come in so far, with the arrival time of each byte.
    void alles(QByteArray &bytes, std::vector<Uhr::time_point> &zeiten)
    {
        std::lock_guard sperre(m_mutex);
        bytes = m_bytes;
        zeiten = m_zeiten;
    }
    void leeren()
    {
        std::lock_guard sperre(m_mutex);
        m_bytes.clear();
        m_zeiten.clear();
    }
    // Makes the far end answer: `antwort` sees every byte as it comes in, in the reading
    // thread, and what it gives back is written to the line at once. Empty: silent.
    void setzeAntwort(std::function<QByteArray(char)> antwort)
    {
        std::lock_guard sperre(m_antwortMutex);
        m_antwort = std::move(antwort);
    }

private:
    void lies()
    {
        char puffer[256];
        while (!m_ende) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const auto n = ::read(m_fd, puffer, sizeof puffer);
            const auto jetzt = Uhr::now();
            if (n <= 0)
                continue;
            {
                std::lock_guard sperre(m_mutex);
                m_bytes.append(puffer, n);
                m_zeiten.insert(m_zeiten.end(), static_cast<size_t>(n), jetzt);
                m_da.notify_all();
            }
            std::lock_guard sperre(m_antwortMutex);
            for (ssize_t i = 0; m_antwort && i < n; ++i)
                if (const QByteArray a = m_antwort(puffer[i]); !a.isEmpty())
                    [[maybe_unused]] auto w = ::write(m_fd, a.constData(), static_cast<size_t>(a.size()));
        }
    }

    int m_fd;
    std::atomic<bool> m_ende{false};
    std::mutex m_mutex;
    std::condition_variable m_da;
    std::mutex m_antwortMutex;
    std::function<QByteArray(char)> m_antwort;
    QByteArray m_bytes;
    std::vector<Uhr::time_point> m_zeiten;
    std::thread m_faden;
};

} // namespace trabolin::bench

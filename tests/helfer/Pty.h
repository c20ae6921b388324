#pragma once
// A pseudo-terminal standing in for a serial interface: the code under test opens the
// slave side like a serial device, and everything it writes is collected from the
// master side by a reader thread, with the time each chunk arrived. The thread keeps
// collecting while the test runs an event loop in its own thread.
#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct termios;

namespace trabolin::test {

class Pty {
public:
    // One read from the master: the bytes and when they arrived (jetztNs() clock).
    struct Stueck {
        qint64 zeitNs = 0;
        QByteArray bytes;
    };

    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool ok() const { return m_master >= 0; }
    QString fehler() const { return m_fehler; }
    // The device path of the slave, e.g. "/dev/pts/4".
    QString slavePfad() const { return m_slavePfad; }
    // Creates the symbolic link "COM<nummer>" to the slave in `verzeichnis`.
    bool verknuepfe(const QString &verzeichnis, int nummer) const;
    // The line settings of the slave as the driver holds them.
    bool slaveEinstellungen(termios &t) const;

    // Waits until `erwarteteBytes` bytes have arrived or `timeoutMs` has passed,
    // processing Qt events meanwhile (QSerialPort writes from the event loop), and
    // returns up to that many of the bytes not yet taken by lies().
    QByteArray lies(int erwarteteBytes, int timeoutMs);
    // Every chunk that arrived since the last call, oldest first.
    QList<Stueck> nimmStuecke();

    // Closes the master side: for the slave this looks like an unplugged adapter.
    void schliesseMaster();

    // Monotonic clock in ns (CLOCK_MONOTONIC, the clock of QElapsedTimer and steady_clock).
    static qint64 jetztNs();

private:
    void lese();

    int m_master = -1;
    int m_slave = -1; // kept open: the settings stay readable and the master never sees EIO
    QString m_slavePfad;
    QString m_fehler;
    std::thread m_leser;
    std::atomic<bool> m_halt{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_neu;
    QByteArray m_ungelesen;
    QList<Stueck> m_stuecke;
};

} // namespace trabolin::test

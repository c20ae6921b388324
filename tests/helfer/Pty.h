#pragma once
// A pseudo-terminal standing in for a serial interface: the code under test opens the
// slave side like a serial device, and the test reads what it wrote from the master side.
#include <QByteArray>
#include <QString>

struct termios;

namespace trabolin::test {

class Pty {
public:
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
    // returns up to that many of the bytes not yet returned.
    QByteArray lies(int erwarteteBytes, int timeoutMs);

    // What has arrived by now, without waiting: a write to the port is on the master
    // as soon as it returns.
    QByteArray liesVorhandenes();
    // Bytes "from the device": the port under test reads them.
    bool schreibe(const QByteArray &bytes);

    // Closes the master side: for the slave this looks like an unplugged adapter.
    void schliesseMaster();

private:
    bool nimm(int warteMs);
    int m_master = -1;
    int m_slave = -1; // kept open: the settings stay readable and the master never sees EIO
    QString m_slavePfad;
    QString m_fehler;
    QByteArray m_ungelesen;
};

} // namespace trabolin::test

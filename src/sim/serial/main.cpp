// trabolin-serial-sim: a command station on a pseudo-terminal. Trabolin opens the link
// like a serial port (a link "COM<N>" in its program directory stands for port N);
// everything it writes is decoded and printed, one line per command, with the time
// since the start and the state the locomotive is left in. A DCC-EX station answers
// as well, on the pseudo-terminal or, with --tcp, on a TCP port of 127.0.0.1.
#include "sim/serial/DccexStation.h"
#include "sim/serial/Dekodierer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

using namespace trabolin::sim;

namespace {

volatile std::sig_atomic_t beenden = 0;

void signalEmpfangen(int)
{
    beenden = 1;
}

void installiereSignale()
{
    struct sigaction aktion {};
    aktion.sa_handler = signalEmpfangen; // no SA_RESTART: poll() returns at once
    sigemptyset(&aktion.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &aktion, nullptr);
}

void schreibeZeile(const QString &zeile, std::FILE *ziel = stdout)
{
    std::fputs(qPrintable(zeile + u'\n'), ziel);
    std::fflush(ziel); // read live by users and tests
}

int fehlerEnde(const QString &text)
{
    schreibeZeile(QStringLiteral("trabolin-serial-sim: %1").arg(text), stderr);
    return 1;
}

bool roh(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t); // every byte passes unchanged
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

qint64 jetztMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

const auto simStart = std::chrono::steady_clock::now();

void zeige(const QList<Ereignis> &ereignisse)
{
    for (const Ereignis &e : ereignisse)
        schreibeZeile(ausgabezeile(e));
}

// Writes all of `bytes`; a peer that takes nothing for a second loses the rest.
void sendeGanz(int fd, const QByteArray &bytes)
{
    qsizetype geschrieben = 0;
    while (fd >= 0 && geschrieben < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + geschrieben, size_t(bytes.size() - geschrieben));
        if (n > 0) {
            geschrieben += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0)
            return;
    }
}

// The poll timeout up to the station's next deadline, at most 250 ms so that the end
// signal is looked at.
int wartezeit(const DccexStation &station)
{
    int warten = 250;
    if (const auto frist = station.frist())
        warten = int(std::clamp<qint64>(*frist - jetztMs(simStart), 0, warten));
    return warten;
}

// A DCC-EX station on the pseudo-terminal: each time Trabolin opens the port, the
// station resets, as an Arduino on USB does. The opening is seen by inotify.
int dccexAmTerminal(DccexStation &station, int master, int slave, const QByteArray &slavePfad)
{
    const int beobachter = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (beobachter < 0 || ::inotify_add_watch(beobachter, slavePfad.constData(), IN_OPEN) < 0)
        return fehlerEnde(QStringLiteral("inotify: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK); // see sendeGanz()
    zeige(station.starte(jetztMs(simStart)).ereignisse);
    char puffer[4096];
    while (!beenden) {
        pollfd p[2] = {{master, POLLIN, 0}, {beobachter, POLLIN, 0}};
        const int bereit = ::poll(p, 2, wartezeit(station));
        DccexSchritt schritt = station.ticke(jetztMs(simStart));
        if (bereit > 0 && (p[1].revents & POLLIN)) {
            while (::read(beobachter, puffer, sizeof puffer) > 0) {
            }
            ::tcflush(slave, TCIFLUSH); // answers nobody read are gone with the reset
            schritt.ereignisse += station.starte(jetztMs(simStart)).ereignisse;
        }
        if (bereit > 0 && (p[0].revents & POLLIN)) {
            const ssize_t n = ::read(master, puffer, sizeof puffer);
            if (n > 0) {
                const DccexSchritt neu = station.fuettere(QByteArray(puffer, qsizetype(n)), jetztMs(simStart));
                schritt.ereignisse += neu.ereignisse;
                schritt.antwort += neu.antwort;
            }
        } else if (bereit > 0 && (p[0].revents & (POLLHUP | POLLERR))) {
            ::usleep(10000);
        }
        zeige(schritt.ereignisse);
        sendeGanz(master, schritt.antwort);
    }
    ::close(beobachter);
    return 0;
}

// A DCC-EX station with a network interface on 127.0.0.1:port, one client at a time:
// a new connection replaces the one before. A WiFi station does not reset on connect.
int dccexImNetz(DccexStation &station, quint16 port)
{
    const int lauscher = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int ja = 1;
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_port = htons(port);
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (lauscher < 0 || ::setsockopt(lauscher, SOL_SOCKET, SO_REUSEADDR, &ja, sizeof ja) != 0
        || ::bind(lauscher, reinterpret_cast<sockaddr *>(&adresse), sizeof adresse) != 0
        || ::listen(lauscher, 4) != 0)
        return fehlerEnde(QStringLiteral("TCP-Port %1: %2").arg(port).arg(QString::fromLocal8Bit(std::strerror(errno))));
    socklen_t laenge = sizeof adresse; // port 0: the system chose one
    ::getsockname(lauscher, reinterpret_cast<sockaddr *>(&adresse), &laenge);
    schreibeZeile(QStringLiteral("Simulator DCC-EX bereit (Ende mit Strg+C) an 127.0.0.1:%1")
                      .arg(ntohs(adresse.sin_port)));
    zeige(station.starte(jetztMs(simStart)).ereignisse);

    int kunde = -1;
    char puffer[4096];
    while (!beenden) {
        pollfd p[2] = {{lauscher, POLLIN, 0}, {kunde, POLLIN, 0}};
        const int bereit = ::poll(p, kunde >= 0 ? 2 : 1, wartezeit(station));
        DccexSchritt schritt = station.ticke(jetztMs(simStart));
        if (bereit > 0 && (p[0].revents & POLLIN)) {
            const int neu = ::accept4(lauscher, nullptr, nullptr, SOCK_CLOEXEC);
            if (neu >= 0) {
                if (kunde >= 0)
                    ::close(kunde);
                kunde = neu;
                schritt.ereignisse.append({jetztMs(simStart), false, QStringLiteral("verbunden")});
            }
        } else if (bereit > 0 && kunde >= 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = ::read(kunde, puffer, sizeof puffer);
            if (n > 0) {
                schritt = station.fuettere(QByteArray(puffer, qsizetype(n)), jetztMs(simStart));
            } else {
                ::close(kunde);
                kunde = -1;
                schritt.ereignisse.append({jetztMs(simStart), false, QStringLiteral("getrennt")});
            }
        }
        zeige(schritt.ereignisse);
        sendeGanz(kunde, schritt.antwort);
    }
    if (kunde >= 0)
        ::close(kunde);
    ::close(lauscher);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trabolin-serial-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simuliert eine Zentrale an einer seriellen Schnittstelle: zeigt jeden Befehl, "
        "den Trabolin sendet, mit dem Zustand der Lok."));
    parser.addHelpOption();
    const QCommandLineOption stationOption(QStringLiteral("station"),
                                           QStringLiteral("Zentrale: lenz, maerklin oder dccex."),
                                           QStringLiteral("lenz|maerklin|dccex"));
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Verknüpfung auf die Schnittstelle, z. B. build/COM3."),
                                        QStringLiteral("pfad"));
    const QCommandLineOption usbOption(QStringLiteral("usb"),
                                       QStringLiteral("Lenz USB-Interface: jeder Rahmen braucht FF FE davor."));
    const QCommandLineOption tcpOption(QStringLiteral("tcp"),
                                       QStringLiteral("DCC-EX im Netz: auf 127.0.0.1 an diesem TCP-Port statt --link."),
                                       QStringLiteral("port"));
    const QCommandLineOption bootOption(QStringLiteral("boot"),
                                        QStringLiteral("DCC-EX: Startzeit nach jedem Öffnen in ms (Vorgabe 1000)."),
                                        QStringLiteral("ms"), QStringLiteral("1000"));
    parser.addOptions({stationOption, linkOption, usbOption, tcpOption, bootOption});
    parser.process(app);

    const QString stationText = parser.value(stationOption);
    const QString link = parser.value(linkOption);
    const bool dccex = stationText == QLatin1String("dccex");
    if (stationText != QLatin1String("lenz") && stationText != QLatin1String("maerklin") && !dccex)
        return fehlerEnde(QStringLiteral("--station lenz, --station maerklin oder --station dccex angeben"));
    if ((parser.isSet(tcpOption) || parser.isSet(bootOption)) && !dccex)
        return fehlerEnde(QStringLiteral("--tcp und --boot gelten nur für --station dccex"));
    bool zahl = false;
    const qint64 bootMs = parser.value(bootOption).toLongLong(&zahl);
    if (!zahl || bootMs < 0)
        return fehlerEnde(QStringLiteral("--boot braucht eine Zahl von Millisekunden"));
    DccexStation dccexStation(bootMs);
    if (parser.isSet(tcpOption)) {
        const uint port = parser.value(tcpOption).toUInt(&zahl);
        if (!zahl || port > 65535 || !link.isEmpty())
            return fehlerEnde(QStringLiteral("--tcp braucht einen Port von 1 bis 65535 (0: frei gewählt) "
                                             "und kein --link"));
        installiereSignale();
        return dccexImNetz(dccexStation, quint16(port));
    }
    if (link.isEmpty())
        return fehlerEnde(QStringLiteral("--link PFAD angeben"));
    const Station station = stationText == QLatin1String("lenz") ? Station::Lenz : Station::Maerklin;
    if (parser.isSet(usbOption) && station != Station::Lenz)
        return fehlerEnde(QStringLiteral("--usb gilt nur für --station lenz"));

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char slavePfad[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0
        || ::ptsname_r(master, slavePfad, sizeof slavePfad) != 0)
        return fehlerEnde(QStringLiteral("kein Pseudo-Terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    // The slave stays open here as well: without it the master reports a hang-up until
    // Trabolin opens the port, and every time it closes it.
    const int slave = ::open(slavePfad, O_RDWR | O_NOCTTY);
    if (slave < 0 || !roh(slave) || !roh(master))
        return fehlerEnde(QStringLiteral("Pseudo-Terminal %1: %2")
                              .arg(QString::fromLocal8Bit(slavePfad), QString::fromLocal8Bit(std::strerror(errno))));

    // A link left behind by an earlier run is replaced; anything else at the path stays.
    const QFileInfo vorhanden(link);
    if (vorhanden.isSymLink())
        QFile::remove(link);
    else if (vorhanden.exists())
        return fehlerEnde(QStringLiteral("%1 gibt es schon und ist keine Verknüpfung").arg(link));
    if (::symlink(slavePfad, QFile::encodeName(link).constData()) != 0)
        return fehlerEnde(QStringLiteral("Verknüpfung %1: %2").arg(link, QString::fromLocal8Bit(std::strerror(errno))));

    installiereSignale();
    const QString name = dccex ? QStringLiteral("DCC-EX")
                         : station == Station::Lenz ? QStringLiteral("Lenz")
                                                    : QStringLiteral("Märklin");
    schreibeZeile(QStringLiteral("Simulator %1%2 bereit an %3 -> %4 (Ende mit Strg+C)")
                      .arg(name, parser.isSet(usbOption) ? QStringLiteral(" USB") : QString(), link,
                           QString::fromLocal8Bit(slavePfad)));

    Dekodierer dekodierer(station, parser.isSet(usbOption));
    const auto start = std::chrono::steady_clock::now();
    char puffer[4096];
    int ergebnis = 0;
    if (dccex)
        ergebnis = dccexAmTerminal(dccexStation, master, slave, slavePfad);
    while (!dccex && !beenden) {
        int warten = 250; // the end signal is looked at least this often
        if (const auto frist = dekodierer.frist())
            warten = int(std::clamp<qint64>(*frist - jetztMs(start), 0, warten));
        pollfd p{master, POLLIN, 0};
        const int bereit = ::poll(&p, 1, warten);
        QList<Ereignis> ereignisse;
        if (bereit > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master, puffer, sizeof puffer);
            if (n > 0)
                ereignisse = dekodierer.fuettere(QByteArray(puffer, qsizetype(n)), jetztMs(start));
        } else if (bereit == 0) {
            ereignisse = dekodierer.ticke(jetztMs(start));
        } else if (bereit > 0) {
            ::usleep(10000); // a hang-up or an error on the master: do not spin
        }
        for (const Ereignis &e : ereignisse)
            schreibeZeile(ausgabezeile(e));
    }

    // Remove the link only while it still points to this run's terminal.
    char ziel[256] = {};
    const ssize_t laenge = ::readlink(QFile::encodeName(link).constData(), ziel, sizeof ziel - 1);
    if (laenge > 0 && std::strcmp(ziel, slavePfad) == 0)
        ::unlink(QFile::encodeName(link).constData());
    ::close(slave);
    ::close(master);
    return ergebnis;
}

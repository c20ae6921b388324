// trabolin-serial-sim: a command station on a pseudo-terminal. Trabolin opens the link
// like a serial port (a link "COM<N>" in its program directory stands for port N);
// everything it writes is decoded and printed, one line per command, with the time
// since the start and the state the locomotive is left in.
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
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace trabolin::sim;

namespace {

volatile std::sig_atomic_t beenden = 0;

void signalEmpfangen(int)
{
    beenden = 1;
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
                                           QStringLiteral("Zentrale: lenz oder maerklin."),
                                           QStringLiteral("lenz|maerklin"));
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Verknüpfung auf die Schnittstelle, z. B. build/COM3."),
                                        QStringLiteral("pfad"));
    const QCommandLineOption usbOption(QStringLiteral("usb"),
                                       QStringLiteral("Lenz USB-Interface: jeder Rahmen braucht FF FE davor."));
    parser.addOptions({stationOption, linkOption, usbOption});
    parser.process(app);

    const QString stationText = parser.value(stationOption);
    const QString link = parser.value(linkOption);
    if (stationText != QLatin1String("lenz") && stationText != QLatin1String("maerklin"))
        return fehlerEnde(QStringLiteral("--station lenz oder --station maerklin angeben"));
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

    struct sigaction aktion {};
    aktion.sa_handler = signalEmpfangen; // no SA_RESTART: poll() returns at once
    sigemptyset(&aktion.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &aktion, nullptr);

    schreibeZeile(QStringLiteral("Simulator %1%2 bereit an %3 -> %4 (Ende mit Strg+C)")
                      .arg(station == Station::Lenz ? QStringLiteral("Lenz") : QStringLiteral("Märklin"),
                           parser.isSet(usbOption) ? QStringLiteral(" USB") : QString(), link,
                           QString::fromLocal8Bit(slavePfad)));

    Dekodierer dekodierer(station, parser.isSet(usbOption));
    const auto start = std::chrono::steady_clock::now();
    char puffer[4096];
    while (!beenden) {
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
    return 0;
}

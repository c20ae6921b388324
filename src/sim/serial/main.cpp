// trabolin-serial-sim: a command station on a pseudo-terminal. Trabolin opens the link
// like a serial port (a link "COM<N>" in its program directory stands for port N);
// everything it writes is decoded and printed, one line per command, with the time
// since the start and the state the locomotive is left in. A DCC-EX station answers
// as well, on the pseudo-terminal or, with --tcp, on a TCP port of 127.0.0.1.
#include "sim/Fahrkurve.h"
#include "sim/serial/DccexStation.h"
#include "sim/serial/Dekodierer.h"
#include "sim/Terminal.h"

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

// What a station sends, written as far as the peer takes it each time round the loop,
// so that the loop goes on reading while a flood goes out: a stop sent in the middle
// of a flood is seen when it comes, not when the flood has drained. A peer that takes
// nothing for a second loses the rest, as with sendeGanz().
class Ausgang {
public:
    void haenge(const QByteArray &bytes, qint64 zeitMs)
    {
        if (m_rest.isEmpty())
            m_seit = zeitMs;
        m_rest += bytes;
    }
    // The events to poll for besides reading.
    short ereignisse() const { return m_rest.isEmpty() ? short(0) : short(POLLOUT); }
    void schreibe(int fd, qint64 zeitMs)
    {
        while (fd >= 0 && !m_rest.isEmpty()) {
            const ssize_t n = ::write(fd, m_rest.constData(), size_t(m_rest.size()));
            if (n > 0) {
                m_rest.remove(0, qsizetype(n));
                m_seit = zeitMs;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if (n < 0 && errno != EAGAIN)
                    m_rest.clear();
                break;
            }
        }
        if (!m_rest.isEmpty() && zeitMs - m_seit >= 1000)
            m_rest.clear();
    }
    void leere() { m_rest.clear(); }

private:
    QByteArray m_rest;
    qint64 m_seit = 0; // when the peer last took something
};

// The layout around the simulated station: actions typed on the terminal, one per
// line, and actions an option sets for some seconds after the first bytes Trabolin
// sends. What an action does depends on the station.
class Anlage {
public:
    void nach(double sekunden, const QString &aktion)
    {
        const std::pair<qint64, QString> eintrag{qRound64(sekunden * 1000), aktion};
        m_geplant.insert(std::upper_bound(m_geplant.begin(), m_geplant.end(), eintrag,
                                          [](const auto &a, const auto &b) { return a.first < b.first; }),
                         eintrag);
    }
    // Bytes from Trabolin arrived: the timed actions count from the first of them.
    void beginne(qint64 zeitMs)
    {
        if (!m_beginn)
            m_beginn = zeitMs;
    }
    // The terminal as an entry for poll(); ignored once it has closed.
    pollfd terminal() const { return {m_terminal, POLLIN, 0}; }
    // The actions typed (when poll() found the terminal readable) and those due now.
    QStringList aktionen(const pollfd &terminal, qint64 zeitMs)
    {
        QStringList liste;
        if (terminal.revents & (POLLIN | POLLHUP | POLLERR)) {
            char puffer[512];
            const ssize_t n = ::read(m_terminal, puffer, sizeof puffer);
            if (n <= 0)
                m_terminal = -1; // no terminal, or it has closed: nothing more comes
            else
                m_eingabe.append(puffer, n);
            liste << nimmZeilen(m_eingabe);
        }
        while (m_beginn && !m_geplant.isEmpty() && *m_beginn + m_geplant.first().first <= zeitMs)
            liste << m_geplant.takeFirst().second;
        return liste;
    }
    // When the next timed action is due.
    std::optional<qint64> frist() const
    {
        if (!m_beginn || m_geplant.isEmpty())
            return std::nullopt;
        return *m_beginn + m_geplant.first().first;
    }

private:
    int m_terminal = STDIN_FILENO;
    QByteArray m_eingabe;
    QList<std::pair<qint64, QString>> m_geplant; // in the order of their times
    std::optional<qint64> m_beginn;
};

Anlage anlage;

// What the LZ100 broadcasts on the layout's actions: track power off (also on a short
// circuit, which it does not tell apart), on, emergency stop, programming mode; through
// the USB interface behind FF FD. A flood of feedback broadcasts and noise changes
// nothing. Empty for any other action.
QByteArray lenzRundruf(const QString &aktion, bool usb, Dekodierer &dekodierer, QString &text)
{
    const auto rahmen = [usb](const char *hex) {
        return (usb ? QByteArray::fromHex("FFFD") : QByteArray()) + QByteArray::fromHex(hex);
    };
    QByteArray bytes;
    if (aktion == u"aus" || aktion == u"kurzschluss") {
        dekodierer.setzeGleis(false);
        bytes = rahmen("610061");
        text = aktion == u"aus" ? QStringLiteral("Stopp-Taste: Gleis aus") : QStringLiteral("Kurzschluss: Gleis aus");
    } else if (aktion == u"an") {
        dekodierer.setzeGleis(true);
        bytes = rahmen("610160");
        text = QStringLiteral("Gleis an");
    } else if (aktion == u"nothalt") {
        bytes = rahmen("810081");
        text = QStringLiteral("Nothalt: alle Loks halten");
    } else if (aktion == u"programmieren") {
        dekodierer.setzeGleis(false);
        bytes = rahmen("610263");
        text = QStringLiteral("Programmiermodus: Gleis aus");
    } else if (aktion == u"flut") {
        for (int i = 0; i < 10000; ++i)
            bytes += rahmen("42010241") + QByteArray::fromHex("07FF13");
        text = QStringLiteral("Flut: 10000 Rückmeldungen und Rauschen");
        return bytes;
    } else {
        return {};
    }
    text += QStringLiteral(", Rundruf ") + QString::fromLatin1(bytes.toHex(' ').toUpper());
    return bytes;
}

// The poll timeout up to the next deadline (`frist`, the layout's), at most 250 ms so
// that the end signal is looked at.
int wartezeit(std::optional<qint64> frist)
{
    int warten = 250;
    for (const auto f : {frist, anlage.frist()})
        if (f)
            warten = int(std::clamp<qint64>(*f - jetztMs(simStart), 0, warten));
    return warten;
}

int wartezeit(const DccexStation &station)
{
    return wartezeit(station.frist());
}

// A layout action on a DCC-EX station; "trennen" is the caller's.
void dccexAnlage(DccexStation &station, const QString &aktion, DccexSchritt &schritt)
{
    if (aktion == u"aus" || aktion == u"an" || aktion == u"kurzschluss" || aktion == u"flut"
        || aktion == u"prog-aus" || aktion == u"prog-an" || aktion == u"haengen") {
        const DccexSchritt neu = station.anlage(aktion, jetztMs(simStart));
        schritt.ereignisse += neu.ereignisse;
        schritt.antwort += neu.antwort;
    } else {
        schritt.ereignisse.append({jetztMs(simStart), true,
                                   QStringLiteral("FEHLER: unbekannt: %1 (aus, an, kurzschluss, prog-aus, prog-an, flut, haengen, trennen)").arg(aktion)});
    }
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
    Ausgang ausgang;
    while (!beenden) {
        pollfd p[3] = {{master, short(POLLIN | ausgang.ereignisse()), 0}, {beobachter, POLLIN, 0}, anlage.terminal()};
        const int bereit = ::poll(p, 3, wartezeit(station));
        DccexSchritt schritt = station.ticke(jetztMs(simStart));
        for (const QString &aktion : anlage.aktionen(p[2], jetztMs(simStart))) {
            if (aktion == u"trennen") { // the USB cable pulled: the simulator ends
                schritt.ereignisse.append({jetztMs(simStart), false, QStringLiteral("Anlage     getrennt")});
                beenden = 1;
            } else {
                dccexAnlage(station, aktion, schritt);
            }
        }
        if (bereit > 0 && (p[1].revents & POLLIN)) {
            while (::read(beobachter, puffer, sizeof puffer) > 0) {
            }
            ::tcflush(slave, TCIFLUSH); // answers nobody read are gone with the reset
            ausgang.leere();
            schritt.ereignisse += station.starte(jetztMs(simStart)).ereignisse;
        }
        if (bereit > 0 && (p[0].revents & POLLIN)) {
            const ssize_t n = ::read(master, puffer, sizeof puffer);
            if (n > 0) {
                anlage.beginne(jetztMs(simStart));
                const DccexSchritt neu = station.fuettere(QByteArray(puffer, qsizetype(n)), jetztMs(simStart));
                schritt.ereignisse += neu.ereignisse;
                schritt.antwort += neu.antwort;
            }
        } else if (bereit > 0 && (p[0].revents & (POLLHUP | POLLERR))) {
            ::usleep(10000);
        }
        zeige(schritt.ereignisse);
        ausgang.haenge(schritt.antwort, jetztMs(simStart));
        ausgang.schreibe(master, jetztMs(simStart));
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
        pollfd p[3] = {{lauscher, POLLIN, 0}, anlage.terminal(), {kunde, POLLIN, 0}};
        const int bereit = ::poll(p, kunde >= 0 ? 3 : 2, wartezeit(station));
        DccexSchritt schritt = station.ticke(jetztMs(simStart));
        for (const QString &aktion : anlage.aktionen(p[1], jetztMs(simStart))) {
            if (aktion != u"trennen") {
                dccexAnlage(station, aktion, schritt);
            } else if (kunde >= 0) {
                ::close(kunde);
                kunde = -1;
                schritt.ereignisse.append({jetztMs(simStart), false, QStringLiteral("Anlage     getrennt")});
            }
        }
        if (bereit > 0 && (p[0].revents & POLLIN)) {
            const int neu = ::accept4(lauscher, nullptr, nullptr, SOCK_CLOEXEC);
            if (neu >= 0) {
                if (kunde >= 0)
                    ::close(kunde);
                kunde = neu;
                schritt.ereignisse.append({jetztMs(simStart), false, QStringLiteral("verbunden")});
            }
        } else if (bereit > 0 && kunde >= 0 && (p[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = ::read(kunde, puffer, sizeof puffer);
            if (n > 0) {
                anlage.beginne(jetztMs(simStart));
                const DccexSchritt neu = station.fuettere(QByteArray(puffer, qsizetype(n)), jetztMs(simStart));
                schritt.ereignisse += neu.ereignisse;
                schritt.antwort += neu.antwort;
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
    // Layout actions some seconds after Trabolin's first bytes, as typed on the terminal.
    const QStringList zeitAktionen{QStringLiteral("aus"), QStringLiteral("kurzschluss"), QStringLiteral("nothalt"),
                                   QStringLiteral("trennen"), QStringLiteral("haengen")};
    QList<QCommandLineOption> zeitOptionen;
    for (const QString &aktion : zeitAktionen) {
        zeitOptionen.append(QCommandLineOption(
            aktion + QStringLiteral("-nach"),
            QStringLiteral("Anlage: \"%1\" S Sekunden nach den ersten Bytes von Trabolin.").arg(aktion),
            QStringLiteral("S")));
        parser.addOption(zeitOptionen.last());
    }
    fuegeKurvenoptionenHinzu(parser);
    parser.process(app);
    waehleKurve(parser);
    for (qsizetype i = 0; i < zeitAktionen.size(); ++i) {
        if (!parser.isSet(zeitOptionen[i]))
            continue;
        bool ok = false;
        const double sekunden = parser.value(zeitOptionen[i]).toDouble(&ok);
        if (!ok || sekunden < 0)
            return fehlerEnde(QStringLiteral("--%1-nach braucht Sekunden").arg(zeitAktionen[i]));
        anlage.nach(sekunden, zeitAktionen[i]);
    }

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
    const bool usb = parser.isSet(usbOption);
    if (!dccex) // the layout's broadcasts must never hold the simulator (see sendeGanz())
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    while (!dccex && !beenden) {
        std::optional<qint64> frist;
        for (const auto f : {dekodierer.frist(), dekodierer.streckenfrist()})
            if (f)
                frist = std::min(frist.value_or(*f), *f);
        if (frist)
            frist = *frist - jetztMs(start) + jetztMs(simStart);
        pollfd p[2] = {{master, POLLIN, 0}, anlage.terminal()};
        const int bereit = ::poll(p, 2, wartezeit(frist));
        QList<Ereignis> ereignisse;
        if (bereit > 0 && (p[0].revents & POLLIN)) {
            const ssize_t n = ::read(master, puffer, sizeof puffer);
            if (n > 0) {
                anlage.beginne(jetztMs(simStart));
                const std::optional<bool> vorher = dekodierer.gleis();
                ereignisse = dekodierer.fuettere(QByteArray(puffer, qsizetype(n)), jetztMs(start));
                // The LZ100 tells every device of a change of the power, the PC that made it too.
                QString text;
                if (station == Station::Lenz && dekodierer.gleis() && dekodierer.gleis() != vorher)
                    sendeGanz(master, lenzRundruf(*dekodierer.gleis() ? QStringLiteral("an") : QStringLiteral("aus"),
                                                  usb, dekodierer, text));
                // The status answer 62 22 S X: S bit 0 is the emergency off (track off).
                if (station == Station::Lenz && dekodierer.nimmStatusfrage())
                    sendeGanz(master, (usb ? QByteArray::fromHex("FFFE") : QByteArray())
                                          + QByteArray::fromHex(dekodierer.gleis().value_or(true) ? "62220040" : "62220141"));
            }
        } else if (bereit == 0) {
            ereignisse = dekodierer.ticke(jetztMs(start));
        } else if (bereit > 0 && (p[0].revents & (POLLHUP | POLLERR))) {
            ::usleep(10000); // a hang-up or an error on the master: do not spin
        }
        for (const QString &aktion : anlage.aktionen(p[1], jetztMs(simStart))) {
            QString text;
            QByteArray bytes;
            if (aktion == u"trennen") { // the adapter pulled: the simulator ends
                text = QStringLiteral("getrennt");
                beenden = 1;
            } else if (station == Station::Lenz) {
                bytes = lenzRundruf(aktion, usb, dekodierer, text);
            }
            if (text.isEmpty())
                ereignisse.append({jetztMs(start), true, station == Station::Lenz
                    ? QStringLiteral("FEHLER: unbekannt: %1 (aus, an, kurzschluss, nothalt, programmieren, flut, trennen)").arg(aktion)
                    : QStringLiteral("FEHLER: die Märklin-Zentrale meldet nichts (nur: trennen)")});
            else
                ereignisse.append({jetztMs(start), false, QStringLiteral("Anlage     ") + text});
            sendeGanz(master, bytes);
        }
        for (const Ereignis &e : ereignisse)
            schreibeZeile(ausgabezeile(e));
        // The answers to feedback questions and the broadcasts of the track's contacts.
        sendeGanz(master, dekodierer.nimmAntwort());
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

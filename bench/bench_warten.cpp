// Figures for the wait: how far past its time a wait ends, what it costs in CPU
// while it sleeps, how long a stop click takes to reach the wire, and how long the
// stop takes from a key press (Alt+O) or a mouse press on "St&op" delivered to the
// main window during a run to the bytes arriving at the far end of the port, and,
// on the Z21, to the stop datagram arriving at a UDP socket; how long from a report of
// the layout (track power off) written by the station to the stop arriving back at it,
// for each station that reports; on the Central Station, from St&op during a run
// to the speed-0 frame arriving at its TCP peer; and from a contact's report (occupied)
// written by the station to the first command of the line after the contact line, on
// the 6051 and the IntelliBox also from the contact occupied through the program's poll.
//
//   QT_QPA_PLATFORM=offscreen bench_warten [--kurz]
//
// --kurz takes fewer samples (a quick look, not for the record).
#include "Laufende.h"
#include "program/Ablauf.h"
#include "stations/Zentralenregister.h"
#include "stations/cs2/Cs2Treiber.h"
#include "stations/cs2/Cs2Verbindung.h"
#include "stations/cs2/Cs2Zentrale.h"
#include "stations/ecos/EcosVerbindung.h"
#include "stations/z21/Z21Verbindung.h"
#include "window/Gleisanzeige.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "program/EchteZeit.h"
#include "program/Tabelle.h"
#include "serial/V24.h"
#include "window/frmTrabolin.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Bedienung.h"
#include "Fensterfeld.h"
#include "Leitung.h"
#include "Messung.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

using namespace trabolin;
using namespace trabolin::bench;

namespace {

double msZwischen(Uhr::time_point a, Uhr::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Verteilung {
    double p50, p99, min, max;
};

Verteilung verteilung(std::vector<double> werte)
{
    std::sort(werte.begin(), werte.end());
    const auto quantil = [&](double p) {
        const auto i = static_cast<size_t>(std::ceil(p * werte.size())) - 1;
        return werte[std::min(i, werte.size() - 1)];
    };
    return {quantil(0.50), quantil(0.99), werte.front(), werte.back()};
}

// Prints "<titel> (<art>, N <was>): p50, p99, max" with the failures, or that nothing
// was measured.
void druckeLatenz(const char *titel, const QString &art, const char *was, const std::vector<double> &latenz,
                  int fehler)
{
    if (latenz.empty()) {
        std::printf("%s (%s): keine Messung, %d Fehler\n", titel, qPrintable(art), fehler);
        return;
    }
    const auto l = verteilung(latenz);
    std::printf("%s (%s, %zu %s): p50 %.3f ms, p99 %.3f ms, max %.3f ms%s\n", titel, qPrintable(art),
                latenz.size(), was, l.p50, l.p99, l.max,
                fehler ? qPrintable(QStringLiteral(", %1 Fehler").arg(fehler)) : "");
    std::fflush(stdout);
}

// ------------------------------------------------------------ (a) overshoot

// Stamped by the code right after the wait, where a run's next command goes out:
// the waits follow each other inside one coroutine, so no event loop of the
// benchmark's own comes between the deadline and the stamp.
QCoro::Task<> wartereihe(EchteZeit &zeit, int dauer, int anzahl, std::vector<double> &drueber)
{
    for (int i = 0; i < anzahl; ++i) {
        const auto start = Uhr::now();
        co_await zeit.warte(dauer, [] { return false; });
        drueber.push_back(msZwischen(start, Uhr::now()) - dauer);
    }
}

void ueberschreitung(EchteZeit &zeit, int dauer, int anzahl)
{
    std::vector<double> drueber;
    drueber.reserve(anzahl);
    QCoro::waitFor(wartereihe(zeit, dauer, anzahl, drueber));
    const auto v = verteilung(drueber);
    std::printf("warten %d ms (%d mal): p50 %.3f ms, p99 %.3f ms, min %.3f ms, max %.3f ms\n",
                dauer, anzahl, v.p50, v.p99, v.min, v.max);
    std::fflush(stdout);
}

// ------------------------------------------------------------ (b) CPU while waiting


void rechenzeit(EchteZeit &zeit, int dauer)
{
    const double cpuVorher = cpuSekunden();
    const auto start = Uhr::now();
    warteAus(zeit, dauer);
    const double wand = msZwischen(start, Uhr::now()) / 1000.0;
    const double cpu = cpuSekunden() - cpuVorher;
    std::printf("CPU waehrend %d ms Warten: %.3f %% eines Kerns (%.2f ms CPU in %.3f s)\n", dauer,
                100.0 * cpu / wand, cpu * 1000.0, wand);
    std::fflush(stdout);
}

// ------------------------------------------------------------ (c) stop click to wire

// The slave side written with write(2) at once.
class DirektAusgabe : public Ausgabe {
public:
    explicit DirektAusgabe(int fd) : m_fd(fd) {}
    void schreibe(const QByteArray &bytes) override
    {
        [[maybe_unused]] auto n = ::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    }

private:
    int m_fd;
};

void stoppLatenz(const char *art, EchteZeit &zeit, Ausgabe &ausgabe, Empfaenger &empfaenger,
                 int anzahl)
{
    Tabellenspeicher tabelle;
    Bedienung bedienung;
    StillerKlang klang;
    Ablauf ablauf(tabelle, bedienung, zeit, klang);
    MaerklinTreiber maerklin(ablauf, ausgabe, zentralenzeile(0)->lesart);
    ablauf.setzeTreiber(0, &maerklin);

    std::mt19937 zufall(24);
    std::uniform_int_distribution<int> klickNach(5, 20);
    std::vector<double> latenz, aufwachen;
    int fehler = 0;
    // A single line of a minute on the 6021, address 24; the stop comes in its first
    // pause, after the line's function byte has gone out.
    tabelle.setzeZelle(1, 1, QStringLiteral("60"));
    tabelle.setzeZelle(1, 2, QStringLiteral("s"));
    tabelle.setzeZelle(1, 3, QStringLiteral("5"));
    for (int i = 0; i < anzahl; ++i) {
        tabelle.setzeAktuelleZeile(1);
        Uhr::time_point klick{};
        Uhr::time_point zurueck{};
        QTimer::singleShot(klickNach(zufall), Qt::PreciseTimer, [&] {
            empfaenger.leeren();
            klick = Uhr::now();
            ablauf.stoppKlick();
            // The wait is resumed in the next round of the event loop.
            QTimer::singleShot(0, [&] { zurueck = Uhr::now(); });
        });
        ablauf.btnSendZeile_Click();
        warteAufLaufende(ablauf);
        // What the program does next anyway: its next wait or the main loop
        // processes events, which lets a buffering port write.
        QCoreApplication::processEvents();

        Uhr::time_point ankunft{};
        QByteArray bytes;
        if (!empfaenger.warteAuf(2, ankunft, bytes) || bytes != QByteArray("\x00\x18", 2)) {
            ++fehler;
            continue;
        }
        latenz.push_back(msZwischen(klick, ankunft));
        aufwachen.push_back(msZwischen(klick, zurueck));
    }
    if (latenz.empty()) {
        std::printf("Stopp bis Leitung (%s): keine Messung, %d Fehler\n", art, fehler);
        return;
    }
    const auto l = verteilung(latenz);
    const auto a = verteilung(aufwachen);
    std::printf("Stopp bis Leitung (%s, %zu Stopps): p50 %.3f ms, p99 %.3f ms, max %.3f ms; "
                "Klick bis Ende der Wartezeit: p50 %.3f ms, p99 %.3f ms%s\n",
                art, latenz.size(), l.p50, l.p99, l.max, a.p50, a.p99,
                fehler ? qPrintable(QStringLiteral(", %1 Fehler").arg(fehler)) : "");
    std::fflush(stdout);
}

// ------------------------------------------------------------ (d) press on the window to wire

// A run of one 60-second line on the 6021 with locomotive 24 through the window's
// own port; 5 to 20 ms into the line's wait the press is delivered as the window
// system delivers it (shortcut handling for Alt+O, the mouse press on the button).
// The time runs from just before the delivery to the arrival of the stop bytes
// 0x00 0x18, the first bytes after the press. With `dccex` the station is DCC-EX: it
// is told it is up, the press comes after the functions (105 to 120 ms into the line)
// and the stop is "<t 24 0 0>" and its line feed.
void stoppLatenzFenster(const char *art, bool maus, const Pty &pty, Empfaenger &empfaenger, int anzahl,
                        bool dccex = false)
{
    const QByteArray stopp = dccex ? QByteArray("<t 24 0 0>\n") : QByteArray("\x00\x18", 2);
    QTemporaryDir verzeichnis;
    pty.verlinkeAlsCom1(verzeichnis.path());
    frmTrabolin fenster(nullptr, verzeichnis.path()); // quietly, as main set up
    fenster.piepen = [] {};
    feld<SerielleSchnittstelle>(fenster, "V24")->setzeStandardzuordnung(false);
    fenster.show();
    feld<QRadioButton>(fenster, "optZentrale", dccex ? zentralenoption(QStringLiteral("DCC-EX")) : 0)->click();
    feld<QComboBox>(fenster, "lstV24")->setEditText(QStringLiteral("1"));
    feld<QPushButton>(fenster, "btnParameterSetzen")->click();
    if (!feld<SerielleSchnittstelle>(fenster, "V24")->istOffen()) {
        std::printf("Stopp bis Leitung (%s): Schnittstelle nicht offen\n", art);
        return;
    }
    if (dccex) { // the station answers the program's "<s>"
        [[maybe_unused]] auto n = ::write(pty.master, "<iDCC-EX V-5.0.0 / BENCH>\n", 26);
        if (!QTest::qWaitFor([&] { return feld<QPushButton>(fenster, "btnStart")->isEnabled(); }, 2000)) {
            std::printf("Stopp bis Leitung (%s): die Zentrale gilt nicht als bereit\n", art);
            return;
        }
    }
    feld<QLineEdit>(fenster, "txtAdresse")->setText(QStringLiteral("24"));
    for (int c = 1; c <= anzahlZellen; ++c)
        fenster.tabelle().setzeZelle(1, c, QStringList{"60", "s", "5", "", "", "", "", ""}[c - 1]);

    std::mt19937 zufall(24);
    std::uniform_int_distribution<int> druckNach(dccex ? 105 : 5, dccex ? 120 : 20);
    std::vector<double> latenz;
    int fehler = 0;
    QPushButton *stoppKnopf = feld<QPushButton>(fenster, "btnSendStop");
    for (int i = 0; i < anzahl; ++i) {
        fenster.tabelle().setzeAktuelleZeile(1);
        Uhr::time_point druck{};
        QTimer::singleShot(druckNach(zufall), Qt::PreciseTimer, &fenster, [&] {
            empfaenger.leeren(); // the line's own command has gone out by now
            druck = Uhr::now();
            if (maus)
                QTest::mousePress(stoppKnopf, Qt::LeftButton);
            else
                QTest::keyPress(&fenster, Qt::Key_O, Qt::AltModifier);
        });
        feld<QPushButton>(fenster, "btnStart")->click();
        warteAufLaufende(fenster.ablauf());
        if (maus)
            QTest::mouseRelease(stoppKnopf, Qt::LeftButton);
        else
            QTest::keyRelease(&fenster, Qt::Key_O, Qt::AltModifier);

        Uhr::time_point ankunft{};
        QByteArray bytes;
        if (!empfaenger.warteAuf(size_t(stopp.size()), ankunft, bytes) || bytes != stopp)
            ++fehler;
        else
            latenz.push_back(msZwischen(druck, ankunft));
        QTest::qWait(120); // the access key's delayed click of the button comes and goes
    }
    druckeLatenz("Stopp bis Leitung", art, "Stopps", latenz, fehler);
}

// ------------------------------------------------------------ (e) press on the window to a Z21 datagram

// What a peer thread received, each message stamped with its arrival, for the
// benchmark's thread to wait for.
class Empfangsliste {
public:
    // Waits (at most a second) for `bytes` after the last leeren() and gives its arrival.
    bool warteAuf(const QByteArray &bytes, Uhr::time_point &ankunft)
    {
        std::unique_lock sperre(m_mutex);
        return m_da.wait_for(sperre, std::chrono::seconds(1), [&] {
            for (const auto &[zeit, empfangen] : m_empfangen)
                if (empfangen == bytes) {
                    ankunft = zeit;
                    return true;
                }
            return false;
        });
    }
    void leeren()
    {
        std::lock_guard sperre(m_mutex);
        m_empfangen.clear();
    }
    // Without waiting: whether `bytes` has come after the last leeren(), and its arrival.
    bool hat(const QByteArray &bytes, Uhr::time_point &ankunft)
    {
        std::lock_guard sperre(m_mutex);
        for (const auto &[zeit, empfangen] : m_empfangen)
            if (empfangen == bytes) {
                ankunft = zeit;
                return true;
            }
        return false;
    }

protected:
    void merke(Uhr::time_point zeit, const QByteArray &bytes)
    {
        std::lock_guard sperre(m_mutex);
        m_empfangen.emplace_back(zeit, bytes);
        m_da.notify_all();
    }

    std::mutex m_mutex;

private:
    std::condition_variable m_da;
    std::vector<std::pair<Uhr::time_point, QByteArray>> m_empfangen;
};

// A Z21 on 127.0.0.1 in its own thread: it answers the request for the serial number
// and for the status, and stamps every datagram as it arrives.
class Z21Gegenstelle : public Empfangsliste {
public:
    Z21Gegenstelle()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t laenge = sizeof a;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &laenge) != 0)
            return;
        port = ntohs(a.sin_port);
        m_faden = std::thread([this] { lies(); });
    }
    ~Z21Gegenstelle()
    {
        m_ende = true;
        if (m_faden.joinable())
            m_faden.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    quint16 port = 0;

    // A datagram to the program, as the Z21's broadcasts go (to where it last heard from).
    void sendeAnProgramm(const QByteArray &datagramm)
    {
        std::lock_guard sperre(m_mutex);
        ::sendto(m_fd, datagramm.constData(), size_t(datagramm.size()), 0,
                 reinterpret_cast<const sockaddr *>(&m_programm), sizeof m_programm);
    }

private:
    void lies()
    {
        char puffer[1500];
        while (!m_ende) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            sockaddr_in von{};
            socklen_t laenge = sizeof von;
            const auto n = ::recvfrom(m_fd, puffer, sizeof puffer, 0, reinterpret_cast<sockaddr *>(&von), &laenge);
            const auto jetzt = Uhr::now();
            if (n <= 0)
                continue;
            const QByteArray bytes(puffer, n);
            {
                std::lock_guard sperre(m_mutex);
                m_programm = von;
            }
            if (bytes == QByteArray("\x04\x00\x10\x00", 4)) {
                static const char antwort[] = {8, 0, 0x10, 0, 0x40, char(0xE2), 1, 0};
                ::sendto(m_fd, antwort, sizeof antwort, 0, reinterpret_cast<sockaddr *>(&von), laenge);
            }
            if (bytes == QByteArray::fromHex("07004000212405")) { // the status: track power on
                static const char status[] = {8, 0, 0x40, 0, 0x62, 0x22, 0, 0x40};
                ::sendto(m_fd, status, sizeof status, 0, reinterpret_cast<sockaddr *>(&von), laenge);
            }
            merke(jetzt, bytes);
        }
    }

    int m_fd = -1;
    std::atomic<bool> m_ende{false};
    sockaddr_in m_programm{};
    std::thread m_faden;
};

// As (d) with Alt+O, on the Z21 connected through the window: the time from the press
// to the arrival of the stop datagram (locomotive 24, 14 steps, speed 0 backwards).
void stoppLatenzZ21(int anzahl)
{
    Z21Gegenstelle z21;
    if (z21.port == 0) {
        std::printf("Stopp bis Datagramm (Z21): kein UDP-Socket\n");
        return;
    }
    QTemporaryDir verzeichnis;
    frmTrabolin fenster(nullptr, verzeichnis.path());
    fenster.piepen = [] {};
    fenster.show();
    feld<QRadioButton>(fenster, "optZentrale", zentralenoption(QStringLiteral("Z21")))->click();
    feld<QLineEdit>(fenster, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
    feld<QLineEdit>(fenster, "txtLocalPort")->setText(QString::number(z21.port));
    feld<QPushButton>(fenster, "btnEcos")->click();
    // The connect's answer comes on the event loop.
    if (!QTest::qWaitFor([&] { return feld<QPushButton>(fenster, "btnStart")->isEnabled(); }, 5000)) {
        std::printf("Stopp bis Datagramm (Z21): keine Verbindung\n");
        return;
    }
    feld<QLineEdit>(fenster, "txtAdresse")->setText(QStringLiteral("24"));
    for (int c = 1; c <= anzahlZellen; ++c)
        fenster.tabelle().setzeZelle(1, c, QStringList{"60", "s", "5", "", "", "", "", ""}[c - 1]);
    const QByteArray stopp = QByteArray::fromHex("0A004000E410001800EC");

    std::mt19937 zufall(24);
    std::uniform_int_distribution<int> druckNach(5, 20);
    std::vector<double> latenz;
    int fehler = 0;
    for (int i = 0; i < anzahl; ++i) {
        fenster.tabelle().setzeAktuelleZeile(1);
        Uhr::time_point druck{};
        QTimer::singleShot(druckNach(zufall), Qt::PreciseTimer, &fenster, [&] {
            z21.leeren();
            druck = Uhr::now();
            QTest::keyPress(&fenster, Qt::Key_O, Qt::AltModifier);
        });
        feld<QPushButton>(fenster, "btnStart")->click();
        warteAufLaufende(fenster.ablauf());
        QTest::keyRelease(&fenster, Qt::Key_O, Qt::AltModifier);
        Uhr::time_point ankunft{};
        if (z21.warteAuf(stopp, ankunft))
            latenz.push_back(msZwischen(druck, ankunft));
        else
            ++fehler;
        QTest::qWait(120);
    }
    druckeLatenz("Stopp bis Datagramm", QStringLiteral("Z21 ueber UDP, Fenster, Alt+O gedrueckt"), "Stopps",
                 latenz, fehler);
}

// ------------------------------------------------------------ (f) layout report to wire

// A run of one 60-second line on locomotive 24 (ECoS: ID 1000) through the window; after
// the line's commands (205 to 220 ms into it) the station reports the track power off,
// written by the far end; the time runs to the arrival there of the stop, the first
// bytes after the report. Then the power comes back, which the window waits for.
// Runs the event loop until `bedingung` holds, at most `ms`; looks every millisecond.
template <typename Bedingung>
bool laufeBis(Bedingung bedingung, int ms)
{
    QEventLoop schleife;
    QTimer blick;
    blick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&blick, &QTimer::timeout, &schleife, [&] {
        if (bedingung())
            schleife.quit();
    });
    QTimer::singleShot(ms, &schleife, &QEventLoop::quit);
    blick.start(1);
    schleife.exec();
    return bedingung();
}

// With `kontakt`, the table's first line is a contact line for contact 1 and the
// report is that contact becoming occupied: the time from the report written to the
// first command of the next line (speed 6 backwards) arriving, then St&op.
void meldungBisStopp(const char *art, const QString &code, const Pty &pty, Empfaenger &ptyEmpfaenger, int anzahl,
                     bool kontakt = false)
{
    struct Station {
        QByteArray aus, an, stopp;
        QByteArray belegt, frei, weiter; // contact 1; the start of the next line's first command
    };
    // The contact reports as the public protocol documents give them.
    const QMap<QString, Station> stationen{
        {QStringLiteral("Lenz"), {QByteArray::fromHex("610061"), QByteArray::fromHex("610160"),
                                  QByteArray::fromHex("E410001800EC"), QByteArray::fromHex("42004103"),
                                  QByteArray::fromHex("42004002"), QByteArray::fromHex("E410001807EB")}},
        {QStringLiteral("Ecos"), {"<EVENT 1>\n1 status[STOP]\n<END 0 (OK)>\n", "<EVENT 1>\n1 status[GO]\n<END 0 (OK)>\n",
                                  "set(1000,speed[0])", "<EVENT 100>\n100 state[0x1]\n<END 0 (OK)>\n",
                                  "<EVENT 100>\n100 state[0x0]\n<END 0 (OK)>\n", "set(1000,"}},
        {QStringLiteral("DCC-EX"), {"<p0>\n", "<p1>\n", "<t 24 0 0>\n", "<Q 1>\n", "<q 1>\n", "<t 24 "}},
        {QStringLiteral("Z21"), {QByteArray::fromHex("07004000610869"), QByteArray::fromHex("07004000610160"),
                                 QByteArray::fromHex("0A004000E410001800EC"),
                                 QByteArray::fromHex("0F0080000001000000000000000000"),
                                 QByteArray::fromHex("0F0080000000000000000000000000"),
                                 QByteArray::fromHex("0A004000E410001807EB")}},
    };
    const Station station = stationen.value(code);
    const char *titel = kontakt ? "Kontakt bis naechste Zeile" : "Meldung bis Stopp";
    const int option = zentralenoption(code);
    const bool ecos = code == u"Ecos", dccex = code == u"DCC-EX", z21 = code == u"Z21";
    QTemporaryDir verzeichnis;
    pty.verlinkeAlsCom1(verzeichnis.path());
    frmTrabolin fenster(nullptr, verzeichnis.path()); // quietly, as set up before
    fenster.piepen = [] {};
    feld<SerielleSchnittstelle>(fenster, "V24")->setzeStandardzuordnung(false);
    fenster.show();
    feld<QRadioButton>(fenster, "optZentrale", option)->click();

    int fd = pty.master;
    int lauscher = -1;
    std::unique_ptr<Empfaenger> tcpEmpfaenger;
    std::unique_ptr<Z21Gegenstelle> z21Gegenstelle;
    if (z21) { // a peer on a local UDP port, answering the serial number
        z21Gegenstelle = std::make_unique<Z21Gegenstelle>();
        feld<QLineEdit>(fenster, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
        feld<QLineEdit>(fenster, "txtLocalPort")->setText(QString::number(z21Gegenstelle->port));
        feld<QPushButton>(fenster, "btnEcos")->click();
        if (!QTest::qWaitFor([&] { return feld<Z21Verbindung>(fenster, "TCP")->verbunden(); }, 5000)) {
            std::printf("%s (%s): keine Verbindung\n", titel, art);
            return;
        }
    } else if (ecos) { // a peer on a local TCP port
        lauscher = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in adresse{};
        adresse.sin_family = AF_INET;
        adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t laenge = sizeof adresse;
        ::bind(lauscher, reinterpret_cast<sockaddr *>(&adresse), sizeof adresse);
        ::listen(lauscher, 1);
        ::getsockname(lauscher, reinterpret_cast<sockaddr *>(&adresse), &laenge);
        feld<EcosVerbindung>(fenster, "TCP")->wache().setzeZeiten(3'600'000, 3'600'000);
        feld<QLineEdit>(fenster, "txtIPAdresse")->setText(QStringLiteral("127.0.0.1"));
        feld<QLineEdit>(fenster, "txtLocalPort")->setText(QString::number(ntohs(adresse.sin_port)));
        feld<QPushButton>(fenster, "btnEcos")->click();
        fd = ::accept4(lauscher, nullptr, nullptr, SOCK_CLOEXEC);
        const bool verbunden = QTest::qWaitFor([&] { return feld<EcosVerbindung>(fenster, "TCP")->verbunden(); }, 5000);
        if (fd < 0 || !verbunden) {
            std::printf("%s (%s): keine Verbindung\n", titel, art);
            return;
        }
        tcpEmpfaenger = std::make_unique<Empfaenger>(fd);
    } else {
        feld<QComboBox>(fenster, "lstV24")->setEditText(QStringLiteral("1"));
        feld<QPushButton>(fenster, "btnParameterSetzen")->click();
    }
    Empfaenger &empfaenger = tcpEmpfaenger ? *tcpEmpfaenger : ptyEmpfaenger;
    const auto schreibe = [&](const QByteArray &b) {
        if (z21Gegenstelle)
            return z21Gegenstelle->sendeAnProgramm(b);
        [[maybe_unused]] auto n = ::write(fd, b.constData(), size_t(b.size()));
    };
    const auto leeren = [&] { z21Gegenstelle ? z21Gegenstelle->leeren() : empfaenger.leeren(); };
    if (dccex) { // the station answers the program's "<s>"
        schreibe("<iDCC-EX V-5.0.0 / BENCH>\n");
        if (!QTest::qWaitFor([&] { return feld<QPushButton>(fenster, "btnStart")->isEnabled(); }, 2000))
            std::printf("%s (%s): die Zentrale gilt nicht als bereit\n", titel, art);
    }
    feld<QLineEdit>(fenster, "txtAdresse")->setText(QString::fromLatin1(ecos ? "1000" : "24"));
    for (int c = 1; c <= anzahlZellen; ++c) {
        fenster.tabelle().setzeZelle(1, c, QStringList{kontakt ? "1" : "60", kontakt ? "K" : "s", "5", "", "", "", "", ""}[c - 1]);
        fenster.tabelle().setzeZelle(2, c, kontakt ? QStringList{"60", "s", "6", "", "", "", "", ""}[c - 1] : QString());
    }

    std::mt19937 zufall(24);
    // A contact comes well after the line's commands and its question for the contact.
    std::uniform_int_distribution<int> meldungNach(kontakt ? 405 : 205, kontakt ? 420 : 220);
    if (kontakt) { // the contact's state before the first line: free
        schreibe(station.frei);
        QTest::qWait(50);
    }
    std::vector<double> latenz;
    int fehler = 0;
    for (int i = 0; i < anzahl; ++i) {
        fenster.tabelle().setzeAktuelleZeile(1);
        Uhr::time_point meldung{};
        QTimer::singleShot(meldungNach(zufall), Qt::PreciseTimer, &fenster, [&] {
            leeren(); // the line's own commands have gone out by now
            meldung = Uhr::now();
            schreibe(kontakt ? station.belegt : station.aus);
        });
        if (kontakt) {
            // The next line's first command, then St&op; the contact is free again.
            fenster.ablauf().btnStart_Click();
            Uhr::time_point ankunft{};
            // Looked at from the event loop every millisecond, so that the program's own
            // handling is not held up by the benchmark (QTest::qWaitFor sleeps 10 ms
            // between its rounds).
            const bool da = laufeBis([&] {
                if (meldung == Uhr::time_point{})
                    return false;
                if (z21Gegenstelle)
                    return z21Gegenstelle->hat(station.weiter, ankunft);
                QByteArray alle;
                std::vector<Uhr::time_point> zeiten;
                empfaenger.alles(alle, zeiten);
                if (!alle.startsWith(station.weiter))
                    return false;
                ankunft = zeiten[size_t(station.weiter.size()) - 1];
                return true;
            }, 2000);
            fenster.ablauf().stoppKlick();
            warteAufLaufende(fenster.ablauf());
            if (da)
                latenz.push_back(msZwischen(meldung, ankunft));
            else
                ++fehler;
            meldung = {};
            schreibe(station.frei);
            QTest::qWait(20);
            leeren();
            continue;
        }
        // Through the run logic: the far end here answers no request, so the ECoS's run
        // buttons stay off; the report and the stop do not pass through them.
        fenster.ablauf().btnStart_Click();
        warteAufLaufende(fenster.ablauf());
        Uhr::time_point ankunft{};
        QByteArray bytes = station.stopp;
        if (z21Gegenstelle ? !z21Gegenstelle->warteAuf(station.stopp, ankunft)
                           : !empfaenger.warteAuf(size_t(station.stopp.size()), ankunft, bytes) || bytes != station.stopp)
            ++fehler;
        else
            latenz.push_back(msZwischen(meldung, ankunft));
        schreibe(station.an);
        if (!QTest::qWaitFor([&] { return feld<QLabel>(fenster, "lblGleis")->text() == u"Gleis: an"; }, 2000))
            ++fehler;
        QTest::qWait(20);
    }
    if (lauscher >= 0) {
        tcpEmpfaenger.reset();
        ::close(fd);
        ::close(lauscher);
    }
    druckeLatenz(titel, art, "Meldungen", latenz, fehler);
}

// ------------------------------------------------------------ (g) St&op to a CS2 frame

// A Central Station's CAN gateway on 127.0.0.1 over TCP in its own thread: it answers
// every ping as a CS2 does (command 0x18 with the response bit, its UID, version and
// device) and stamps every whole 13-byte frame as it arrives.
class Cs2Gegenstelle : public Empfangsliste {
public:
    Cs2Gegenstelle()
    {
        m_lauscher = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t laenge = sizeof a;
        if (m_lauscher < 0 || ::bind(m_lauscher, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0
            || ::listen(m_lauscher, 1) != 0
            || ::getsockname(m_lauscher, reinterpret_cast<sockaddr *>(&a), &laenge) != 0)
            return;
        port = ntohs(a.sin_port);
        m_faden = std::thread([this] { lies(); });
    }
    ~Cs2Gegenstelle()
    {
        m_ende = true;
        if (m_faden.joinable())
            m_faden.join();
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_lauscher >= 0)
            ::close(m_lauscher);
    }
    quint16 port = 0;

    // A frame to the program, as the station's own reports go.
    void sendeAnProgramm(const QByteArray &rahmen)
    {
        std::lock_guard sperre(m_mutex);
        if (m_fd >= 0)
            [[maybe_unused]] auto w = ::write(m_fd, rahmen.constData(), size_t(rahmen.size()));
    }

private:
    void lies()
    {
        QByteArray rest;
        char puffer[1500];
        while (!m_ende) {
            pollfd p{m_fd >= 0 ? m_fd.load() : m_lauscher, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            if (m_fd < 0) {
                m_fd = ::accept4(m_lauscher, nullptr, nullptr, SOCK_CLOEXEC);
                if (m_fd >= 0) {
                    int an = 1;
                    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &an, sizeof an);
                }
                continue;
            }
            const auto n = ::read(m_fd, puffer, sizeof puffer);
            const auto jetzt = Uhr::now();
            if (n <= 0) {
                ::close(m_fd);
                m_fd = -1;
                continue;
            }
            rest.append(puffer, n);
            while (rest.size() >= 13) {
                const QByteArray rahmen = rest.left(13);
                rest.remove(0, 13);
                if (rahmen.startsWith(QByteArray("\x00\x30", 2)) && rahmen[4] == 0) {
                    static const QByteArray antwort = QByteArray::fromHex("00318B5B08435332080401FFFF");
                    [[maybe_unused]] auto w = ::write(m_fd, antwort.constData(), size_t(antwort.size()));
                }
                merke(jetzt, rahmen);
            }
        }
    }

    int m_lauscher = -1;
    std::atomic<int> m_fd{-1};
    std::atomic<bool> m_ende{false};
    std::thread m_faden;
};

// A run of one 60-second line on the Central Station (MM2 locomotive 24, "14", Fahrstufe
// 5) through Cs2Treiber and Cs2Verbindung over TCP, without the window; 105 to 120 ms
// into the line (after the functions) St&op is clicked. The time runs from the click
// to the arrival of the speed-0 frame at the peer. With `kontakt`, the first line is a
// contact line for contact 1, which becomes occupied (an S88 event, 0x11) 405 to 420 ms
// into it; the time runs from the event written to the next line's first frame (its
// direction, backwards) arriving, then St&op.
void stoppLatenzCs2(EchteZeit &zeit, int anzahl, bool kontakt = false)
{
    const char *titel = kontakt ? "Kontakt bis naechste Zeile" : "Stopp bis Rahmen";
    Cs2Gegenstelle cs2;
    if (cs2.port == 0) {
        std::printf("%s (CS2): kein TCP-Socket\n", titel);
        return;
    }
    Cs2Verbindung link;
    link.verbinde(QStringLiteral("127.0.0.1"), cs2.port); // the outcome follows on the event loop
    if (!QTest::qWaitFor([&] { return link.verbunden(); }, 5000)) {
        std::printf("%s (CS2): keine Verbindung\n", titel);
        return;
    }
    Tabellenspeicher tabelle;
    Bedienung bedienung;
    StillerKlang klang;
    Ablauf ablauf(tabelle, bedienung, zeit, klang);
    Cs2Treiber treiber(ablauf, link, cs2Zentrale()->lesart);
    treiber.setzeProtokoll(Cs2Protokoll::mm2);
    treiber.setzeFahrstufen(0);
    ablauf.setzeTreiber(bedienung.zentraleOption(), &treiber);
    link.setzeGleismelder(&ablauf.gleismelder(bedienung.zentraleOption()));
    for (int c = 1; c <= anzahlZellen; ++c) {
        tabelle.setzeZelle(1, c, QStringList{kontakt ? "1" : "60", kontakt ? "K" : "s", "5", "", "", "", "", ""}[c - 1]);
        tabelle.setzeZelle(2, c, kontakt ? QStringList{"60", "s", "6", "", "", "", "", ""}[c - 1] : QString());
    }
    const quint16 h = link.hash();
    const QByteArray hash = QByteArray(1, char(h >> 8)) + char(h);
    const QByteArray stopp = QByteArray::fromHex("0008") + hash + QByteArray::fromHex("060000001800000000");
    // Contact 1 of device 0, old and new state, as the public CAN documents give them.
    const auto s88 = [&](bool alt, bool neu) {
        return QByteArray::fromHex("0023") + hash + QByteArray::fromHex("0800000001") + char(alt) + char(neu)
               + QByteArray(2, '\0');
    };
    const QByteArray weiter = cs2Richtungsbefehl(h, *cs2LokUid(Cs2Protokoll::mm2, 24), false);
    if (kontakt) { // the contact's state before the first line: free
        cs2.sendeAnProgramm(s88(false, false));
        QTest::qWait(50);
    }

    std::mt19937 zufall(24);
    std::uniform_int_distribution<int> klickNach(kontakt ? 405 : 105, kontakt ? 420 : 120);
    std::vector<double> latenz;
    int fehler = 0;
    for (int i = 0; i < anzahl; ++i) {
        tabelle.setzeAktuelleZeile(1);
        Uhr::time_point klick{};
        QTimer::singleShot(klickNach(zufall), Qt::PreciseTimer, [&] {
            cs2.leeren(); // the line's own frames have gone out by now
            klick = Uhr::now();
            if (kontakt)
                cs2.sendeAnProgramm(s88(false, true));
            else
                ablauf.stoppKlick();
        });
        ablauf.btnStart_Click();
        Uhr::time_point ankunft{};
        if (kontakt) {
            const bool da = laufeBis([&] { return klick != Uhr::time_point{} && cs2.hat(weiter, ankunft); }, 2000);
            ablauf.stoppKlick();
            warteAufLaufende(ablauf);
            da ? latenz.push_back(msZwischen(klick, ankunft)) : void(++fehler);
            cs2.sendeAnProgramm(s88(true, false));
            QTest::qWait(20);
            continue;
        }
        warteAufLaufende(ablauf);
        if (cs2.warteAuf(stopp, ankunft))
            latenz.push_back(msZwischen(klick, ankunft));
        else
            ++fehler;
        QTest::qWait(20);
    }
    link.schliesse();
    druckeLatenz(titel, QString::fromLatin1(kontakt ? "CS2 ueber TCP, S88 Kontakt 1" : "CS2 ueber TCP, St&op geklickt"),
                 kontakt ? "Meldungen" : "Stopps", latenz, fehler);
}

// ------------------------------------------- (h) contact on the 6051 and the IntelliBox

// The s88 module 1 behind a 6051 or an IntelliBox, as the public P50 and P50X documents
// give its reads: 0xC0+1 answers the module's two bytes (bit 7 of the first is contact
// 1); XSensor (X 98 01) answers 00 and the two bytes; XEvtSen (X CB) the module and its
// bytes if it changed since the last XEvtSen, then 00. It answers in the reading thread
// of the line and notes when it first told contact 1 occupied.
class S88Gegenstelle {
public:
    // The contact's state at the module; from the benchmark's thread.
    void setzeBelegt(bool belegt)
    {
        std::lock_guard sperre(m_mutex);
        m_belegt = belegt;
        m_gesagt = {};
        if (!belegt)
            m_antworten = 0;
    }
    // Reads answered since setzeBelegt(false).
    int antworten()
    {
        std::lock_guard sperre(m_mutex);
        return m_antworten;
    }
    // When an answer first told contact 1 occupied since setzeBelegt(true); else none.
    Uhr::time_point gesagt()
    {
        std::lock_guard sperre(m_mutex);
        return m_gesagt;
    }

    QByteArray antworte(char c)
    {
        const quint8 b = quint8(c);
        std::lock_guard sperre(m_mutex);
        const bool nachX = m_vorher == 'X';
        const bool nachSensor = m_vorher == 0x98 && m_vorVorher == 'X';
        m_vorVorher = m_vorher;
        m_vorher = b;
        const QByteArray modul = QByteArray(m_belegt ? "\x80" : "\x00", 1) + '\0';
        QByteArray antwort;
        if (b == 0xC1 && !nachX) {
            antwort = modul;
        } else if (nachSensor && b == 1) {
            antwort = '\0' + modul;
            m_gemeldet = m_belegt;
        } else if (nachX && b == 0xCB) {
            antwort = m_gemeldet != m_belegt ? '\1' + modul + '\0' : QByteArray(1, '\0');
            m_gemeldet = m_belegt;
        } else {
            return {};
        }
        ++m_antworten;
        if (m_belegt && m_gesagt == Uhr::time_point{})
            m_gesagt = Uhr::now();
        return antwort;
    }

private:
    std::mutex m_mutex;
    bool m_belegt = false;
    bool m_gemeldet = false; // as the last XSensor or XEvtSen told it
    quint8 m_vorher = 0, m_vorVorher = 0;
    int m_antworten = 0;
    Uhr::time_point m_gesagt{};
};

// A contact line for contact 1 on locomotive 24 (the 6051) or 300 (the IntelliBox, XL
// lines), then a line of 60 s at speed 6, through the window's own port; once the
// program has read the module twice (free), the contact becomes occupied at a random
// moment within the next poll period (0 to 99 ms later). Two figures: from
// the answer that first tells it occupied to the next line's first command arriving
// (the functions byte 0x40 0x18; on the IntelliBox "XL 300,6", which follows the line's
// own pause of 500 ms: taken off the figures and said so), and from the contact
// becoming occupied, with the program's poll.
void kontaktBisZeileS88(const char *art, bool intellibox, const Pty &pty, Empfaenger &empfaenger, int anzahl)
{
    QTemporaryDir verzeichnis;
    pty.verlinkeAlsCom1(verzeichnis.path());
    frmTrabolin fenster(nullptr, verzeichnis.path());
    fenster.piepen = [] {};
    feld<SerielleSchnittstelle>(fenster, "V24")->setzeStandardzuordnung(false);
    fenster.show();
    feld<QRadioButton>(fenster, "optZentrale", zentralenoption(QStringLiteral("DCC")))->click();
    feld<QComboBox>(fenster, "lstV24")->setEditText(QStringLiteral("1"));
    feld<QPushButton>(fenster, "btnParameterSetzen")->click();
    feld<QLineEdit>(fenster, "txtAdresse")->setText(QString::fromLatin1(intellibox ? "300" : "24"));
    for (int c = 1; c <= anzahlZellen; ++c) {
        fenster.tabelle().setzeZelle(1, c, QStringList{"1", "K", "5", "", "", "", "", ""}[c - 1]);
        fenster.tabelle().setzeZelle(2, c, QStringList{"60", "s", "6", "", "", "", "", ""}[c - 1]);
    }
    const QByteArray weiter = intellibox ? QByteArray("XL 300,6") : QByteArray("\x40\x18", 2);
    const int pause = intellibox ? zentralenzeile(zentralenoption(QStringLiteral("DCC")))->lesart.pauseMs : 0;
    S88Gegenstelle s88;
    empfaenger.setzeAntwort([&](char b) { return s88.antworte(b); });

    std::mt19937 zufall(24);
    std::uniform_int_distribution<int> belegtNach(0, 99);
    std::vector<double> latenz, mitAbfrage;
    int fehler = 0;
    for (int i = 0; i < anzahl; ++i) {
        fenster.tabelle().setzeAktuelleZeile(1);
        s88.setzeBelegt(false);
        Uhr::time_point belegt{};
        fenster.ablauf().btnStart_Click();
        // The IntelliBox's first two reads clear its events and take the baseline.
        if (laufeBis([&] { return s88.antworten() >= 2; }, 3000))
            QTimer::singleShot(belegtNach(zufall), Qt::PreciseTimer, &fenster, [&] {
                empfaenger.leeren(); // the line's own commands have gone out by now
                belegt = Uhr::now();
                s88.setzeBelegt(true);
            });
        Uhr::time_point ankunft{};
        const bool da = laufeBis([&] {
            if (belegt == Uhr::time_point{})
                return false;
            QByteArray alle;
            std::vector<Uhr::time_point> zeiten;
            empfaenger.alles(alle, zeiten);
            const auto bei = alle.indexOf(weiter);
            if (bei < 0)
                return false;
            ankunft = zeiten[size_t(bei + weiter.size()) - 1];
            return true;
        }, 2000);
        fenster.ablauf().stoppKlick();
        warteAufLaufende(fenster.ablauf());
        const Uhr::time_point gesagt = s88.gesagt();
        if (da && gesagt != Uhr::time_point{}) {
            latenz.push_back(msZwischen(gesagt, ankunft) - pause);
            mitAbfrage.push_back(msZwischen(belegt, ankunft) - pause);
        } else {
            ++fehler;
        }
        QTest::qWait(20);
    }
    empfaenger.setzeAntwort({});
    const QString ohne = pause ? QStringLiteral(", ohne die %1 ms Pause vor der XL-Zeile").arg(pause) : QString();
    druckeLatenz("Kontakt bis naechste Zeile", QString::fromLatin1(art) + QStringLiteral(", Antwort belegt") + ohne,
                 "Meldungen", latenz, fehler);
    druckeLatenz("Kontakt bis naechste Zeile", QString::fromLatin1(art) + QStringLiteral(", belegt mit Abfrage") + ohne,
                 "Meldungen", mitAbfrage, fehler);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool kurz = app.arguments().contains(QStringLiteral("--kurz"));
    // --kontakte: only the contact figures.
    const bool nurKontakte = app.arguments().contains(QStringLiteral("--kontakte"));
    const int teiler = kurz ? 10 : 1;

    EchteZeit zeit;
    trabolin::bench::startetStill();

    if (!nurKontakte) {
        ueberschreitung(zeit, 10, 200 / teiler);
        ueberschreitung(zeit, 100, 100 / teiler);
        ueberschreitung(zeit, 1000, 20 / teiler);
        rechenzeit(zeit, kurz ? 2000 : 10'000);

    }
    Pty pty;
    if (!pty.ok()) {
        std::printf("Stopp bis Leitung: kein Pseudo-Terminal (%s)\n", std::strerror(errno));
        return 1;
    }
    Empfaenger empfaenger(pty.master);
    const int stopps = kurz ? 20 : 100;
    if (!nurKontakte) {
        {
            DirektAusgabe ausgabe(pty.slave);
            stoppLatenz("write(2)", zeit, ausgabe, empfaenger, stopps);
        }
        {
            // The program's own port, reached as "COM1" through a link in a scratch
            // program directory, as a user links an adapter.
            QTemporaryDir verzeichnis;
            SerielleSchnittstelle v24(verzeichnis.path());
            if (const QString f = pty.oeffneAlsCom1(v24, verzeichnis.path()); !f.isEmpty()) {
                std::printf("Stopp bis Leitung (V24): %s\n", qPrintable(f));
                return 1;
            }
            stoppLatenz("V24", zeit, v24, empfaenger, stopps);
        }
        stoppLatenzFenster("Fenster, Alt+O gedrueckt", false, pty, empfaenger, stopps);
        stoppLatenzFenster("Fenster, Maustaste auf St&op gedrueckt", true, pty, empfaenger, stopps);
        stoppLatenzFenster("DCC-EX, Fenster, Maustaste auf St&op gedrueckt", true, pty, empfaenger, stopps, true);
        stoppLatenzZ21(stopps);
        stoppLatenzCs2(zeit, stopps);
        meldungBisStopp("Lenz, 61 00 61", QStringLiteral("Lenz"), pty, empfaenger, stopps);
        meldungBisStopp("Ecos, status[STOP]", QStringLiteral("Ecos"), pty, empfaenger, stopps);
        meldungBisStopp("DCC-EX, <p0>", QStringLiteral("DCC-EX"), pty, empfaenger, stopps);
        meldungBisStopp("Z21, 61 08 Kurzschluss", QStringLiteral("Z21"), pty, empfaenger, stopps);
    }
meldungBisStopp("Lenz, 42 00 41 03", QStringLiteral("Lenz"), pty, empfaenger, stopps, true);
meldungBisStopp("Ecos, 100 state[0x1]", QStringLiteral("Ecos"), pty, empfaenger, stopps, true);
meldungBisStopp("DCC-EX, <Q 1>", QStringLiteral("DCC-EX"), pty, empfaenger, stopps, true);
meldungBisStopp("Z21, R-Bus 1", QStringLiteral("Z21"), pty, empfaenger, stopps, true);
stoppLatenzCs2(zeit, stopps, true);
    kontaktBisZeileS88("6051, C1", false, pty, empfaenger, stopps);
    kontaktBisZeileS88("IntelliBox, XEvtSen", true, pty, empfaenger, stopps);
    return 0;
}

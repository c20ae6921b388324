// Figures for several driving programs on one station link and one clock: the run
// logic with the real wait underneath, each program with its own Z21 driver on one
// link that writes every command as a UDP datagram to 127.0.0.1 and stamps it the
// moment the write returns.
//  (1) 8 programs, endless, 8 lines of 1 s each: how late each speed command goes out
//      against its table time (the program's schedule start plus the lines before it);
//  (2) "St&op" with 8 locomotives driving: from the call to the last of the 8 stops;
//  (3) two programs started with "Alle starten", endless: how far apart their speed
//      commands for the same table time go out, over the whole run;
//  (4) the CPU time while 8 programs wait inside long lines;
//  (5) 8 programs on the 6051 through the serial port (a pseudo-terminal at the
//      interface's 2400,N,8,2): how long the commands wait in the line's send queue
//      for the ones before them, and after "St&op" how long until the last of the 8
//      stops has left the line.
//
//   bench_mehrere [--kurz] [--sekunden=N] [--gleichlauf=N] [--nur=5]
//
// (1) runs 60 s, (3) 60 s by default (--gleichlauf=600 for ten minutes); --kurz runs
// 10 s each (a quick look, not for the record).
#include "Laufende.h"
#include "program/Ablauf.h"
#include "program/EchteZeit.h"
#include "program/Fahrbetrieb.h"
#include "program/Netzlink.h"
#include "program/Programmzeile.h"
#include "stations/Zentralenregister.h"
#include "serial/V24.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "stations/z21/Z21Treiber.h"

#include "helfer/Pty.h"

#include "Bedienung.h"
#include "Messung.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace trabolin;
using namespace trabolin::bench;

namespace {

using Uhr = EchteZeit::Uhr;

// The link: each command one datagram to a socket on 127.0.0.1 that nobody reads (the
// kernel drops what overflows; the write is what counts), stamped as it returns.
class Udplink : public Netzlink {
public:
    struct Stempel {
        Uhr::time_point zeit;
        QByteArray bytes;
    };
    std::vector<Stempel> stempel;

    Udplink()
    {
        m_ziel.bind(QHostAddress::LocalHost, 0);
        stempel.reserve(1 << 20);
    }
    bool verbunden() const override { return true; }
    bool sende(const QByteArray &befehl) override
    {
        const bool raus = m_socket.writeDatagram(befehl, QHostAddress::LocalHost, m_ziel.localPort()) == befehl.size();
        stempel.push_back({Uhr::now(), befehl});
        return raus;
    }

private:
    QUdpSocket m_ziel;
    QUdpSocket m_socket;
};

// One driving program with its driver of type `Treiber` on `link`, the station's.
template <typename Treiber>
struct Programm {
    Tabellenspeicher tabelle;
    Bedienung feld;
    StillerKlang klang;
    Ablauf ablauf;
    Treiber treiber;
    template <typename Link>
    Programm(Fahrbetrieb &betrieb, Link &link, int option, int adresse)
        : feld(true, QString::number(adresse), option), ablauf(betrieb, tabelle, feld, klang),
          treiber(ablauf, link, zentralenzeile(option)->lesart)
    {
        ablauf.setzeTreiber(option, &treiber);
    }
    // `zeilen` lines of `dauerS` seconds, line z at speed step `stufe` times z.
    void fuelle(int zeilen, int dauerS, const QString &einheit = QStringLiteral("S"), int stufe = 10)
    {
        for (int z = 1; z <= zeilen; ++z) {
            tabelle.setzeZelle(z, 1, QString::number(dauerS));
            tabelle.setzeZelle(z, 2, einheit);
            tabelle.setzeZelle(z, 3, QString::number(stufe * z));
        }
    }
};

struct Betrieb {
    EchteZeit zeit;
    Fahrbetrieb betrieb{zeit};
    Udplink link;
    int option = zentralenoption(QStringLiteral("Z21"));
    std::vector<std::unique_ptr<Programm<Z21Treiber>>> programme;
    explicit Betrieb(int anzahl, int zeilen, int dauerS)
    {
        for (int n = 0; n < anzahl; ++n) {
            programme.push_back(std::make_unique<Programm<Z21Treiber>>(betrieb, link, option, 3 + n));
            programme.back()->treiber.setzeFahrstufen(3); // 128 steps: LAN_X_SET_LOCO_DRIVE E4 13
            programme.back()->fuelle(zeilen, dauerS);
        }
    }
    // "Alle starten"; the schedule's start in ms on the clock, -1 when the start
    // straddled a millisecond (then the figures are not exact).
    qint64 starte()
    {
        // Just after a millisecond tick, so that the start read inside fits its millisecond.
        const qint64 tick = zeit.monotonMs();
        while (zeit.monotonMs() == tick) {
        }
        const qint64 vorher = zeit.monotonMs();
        betrieb.alleStarten();
        return zeit.monotonMs() == vorher ? vorher : -1;
    }
    void laufe(int ms) { warteAus(zeit, ms); }
};

// A speed command LAN_X_SET_LOCO_DRIVE: 0A 00 40 00 E4 13 <address MSB> <LSB> <speed> <xor>.
int fahrAdresse(const QByteArray &b)
{
    if (b.size() != 10 || quint8(b[4]) != 0xE4 || (quint8(b[5]) & 0xF0) != 0x10)
        return -1;
    return ((quint8(b[6]) & 0x3F) << 8) | quint8(b[7]);
}

double msSeit(qint64 startMs, Uhr::time_point t)
{
    return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count() - double(startMs);
}



// The offsets of the lines' starts within a pass, and the pass's length.
std::pair<std::vector<qint64>, qint64> plan(const Programm<Z21Treiber> &p)
{
    const Durchlauf d = ermittleDurchlauf(p.tabelle, 1, zentralenzeile(zentralenoption(QStringLiteral("Z21")))->lesart);
    std::vector<qint64> anfang;
    qint64 t = 0;
    for (const Programmzeile &z : d.zeilen) {
        anfang.push_back(t);
        t += z.gesamtMs;
    }
    return {anfang, t};
}

void puenktlichkeit(int sekunden)
{
    Betrieb b(8, 8, 1);
    const auto [anfang, pass] = plan(*b.programme[0]);
    const qint64 start = b.starte();
    b.laufe(sekunden * 1000);
    b.betrieb.stoppAlle();
    b.laufe(200);
    std::vector<double> spaet;
    std::vector<int> gezaehlt(64, 0);
    for (const auto &s : b.link.stempel) {
        const int a = fahrAdresse(s.bytes);
        if (a < 3 || a > 10 || quint8(s.bytes[8]) == 0x80 || quint8(s.bytes[8]) == 0x00)
            continue; // the stops at the end
        const int n = gezaehlt[a]++;
        const qint64 soll = qint64(n / int(anfang.size())) * pass + anfang[size_t(n) % anfang.size()];
        spaet.push_back(msSeit(start, s.zeit) - double(soll));
    }
    std::printf("(1) 8 Programme, %d s, %zu Fahrbefehle%s: nach der Tabellenzeit p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                sekunden, spaet.size(), start < 0 ? " (Start ungenau)" : "", quantil(spaet, 0.5),
                quantil(spaet, 0.99), quantil(spaet, 1.0));
    std::fflush(stdout);
}

void stopp(int wiederholungen)
{
    std::vector<double> letzte;
    for (int i = 0; i < wiederholungen; ++i) {
        Betrieb b(8, 1, 60);
        b.starte();
        b.laufe(150 + (i % 7) * 37); // inside the lines, at varying moments
        const std::size_t vorher = b.link.stempel.size();
        const auto t0 = Uhr::now();
        b.betrieb.stoppAlle();
        b.laufe(50);
        Uhr::time_point letzter = t0;
        int halte = 0;
        for (std::size_t k = vorher; k < b.link.stempel.size(); ++k)
            if (fahrAdresse(b.link.stempel[k].bytes) >= 0 && (quint8(b.link.stempel[k].bytes[8]) & 0x7F) == 0) {
                ++halte;
                letzter = std::max(letzter, b.link.stempel[k].zeit);
            }
        if (halte >= 8)
            letzte.push_back(std::chrono::duration<double, std::milli>(letzter - t0).count());
    }
    std::printf("(2) St&op mit 8 fahrenden Loks, %zu von %d: letzter Halt nach p50 %.3f ms, p99 %.3f ms\n",
                letzte.size(), wiederholungen, quantil(letzte, 0.5), quantil(letzte, 0.99));
    std::fflush(stdout);
}

void gleichlauf(int sekunden)
{
    Betrieb b(2, 4, 1);
    b.starte();
    b.laufe(sekunden * 1000);
    b.betrieb.stoppAlle();
    b.laufe(200);
    std::vector<Uhr::time_point> je[2];
    for (const auto &s : b.link.stempel) {
        const int a = fahrAdresse(s.bytes);
        if ((a == 3 || a == 4) && (quint8(s.bytes[8]) & 0x7F) != 0)
            je[a - 3].push_back(s.zeit);
    }
    const std::size_t n = std::min(je[0].size(), je[1].size());
    double groesster = 0, zuletzt = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const double d = std::chrono::duration<double, std::milli>(je[1][k] - je[0][k]).count();
        groesster = std::max(groesster, std::fabs(d));
        zuletzt = d;
    }
    std::printf("(3) 2 Programme, Alle starten, %d s, %zu Fahrbefehle je Programm: Abstand max %.3f ms, am Ende %.3f ms\n",
                sekunden, n, groesster, zuletzt);
    std::fflush(stdout);
}

void rechenzeit(int sekunden)
{
    Betrieb b(8, 1, 99);
    b.starte();
    b.laufe(500);
    const double vorher = cpuSekunden();
    const auto t0 = Uhr::now();
    b.laufe(sekunden * 1000);
    const double wand = std::chrono::duration<double>(Uhr::now() - t0).count();
    const double cpu = cpuSekunden() - vorher;
    std::printf("(4) CPU, 8 Programme warten in ihren Zeilen, %d s: %.3f %% eines Kerns\n", sekunden,
                100.0 * cpu / wand);
    b.betrieb.beenden();
    b.laufe(10);
    std::fflush(stdout);
}

void seriell(int sekunden)
{
    EchteZeit zeit;
    Fahrbetrieb betrieb{zeit};
    QTemporaryDir ordner;
    test::Pty pty;
    if (!pty.ok() || !pty.verknuepfe(ordner.path(), 3)) {
        std::printf("(5) kein Pseudo-Terminal: %s\n", qPrintable(pty.fehler()));
        return;
    }
    SerielleSchnittstelle v24(ordner.path());
    v24.setzeStandardzuordnung(false);
    v24.setzePortNummer(3);
    v24.setzeEinstellungen(QStringLiteral("2400,N,8,2"));
    v24.setzeHandshake(false);
    if (v24.oeffne().nummer != 0) {
        std::printf("(5) COM3 geht nicht auf\n");
        return;
    }
    const int option = zentralenoption(QStringLiteral("DCC"));
    std::vector<std::unique_ptr<Programm<MaerklinTreiber>>> programme;
    for (int n = 0; n < 8; ++n) {
        programme.push_back(std::make_unique<Programm<MaerklinTreiber>>(betrieb, v24, option, 3 + n));
        programme.back()->fuelle(25, 1, QStringLiteral("s"), 2);
    }
    QTimer leeren; // the interface reads what the port sends
    QObject::connect(&leeren, &QTimer::timeout, [&pty] { pty.liesVorhandenes(); });
    leeren.start(20);
    betrieb.alleStarten();
    warteAus(zeit, sekunden * 1000);
    const Leitungstakt::Wartezahlen w = v24.leitung().wartezahlen();
    // St&op between two lines' commands, the line idle: each locomotive's stop goes
    // out first, one after the other (16 characters), then the passes' and the runs'
    // repetitions of it.
    warteAus(zeit, 250);
    const qint64 vorher = v24.leitung().wartezahlen().befehle;
    const double druck = v24.leitungJetztMs();
    betrieb.stoppAlle();
    warteAus(zeit, 200); // not yet the functions' end 500 ms later
    const double alleMs = v24.leitung().freiAbMs() - druck;
    const qint64 alle = v24.leitung().wartezahlen().befehle - vorher;
    std::printf("(5) 8 Programme auf der 6051 (2400,N,8,2, %.3f ms je Zeichen), %d s: %lld Befehle, %lld davon "
                "warteten auf die Leitung, im Mittel %.3f ms, hoechstens %.3f ms\n"
                "    St&op: der Halt der achten Lok nach 16 Zeichen, %.3f ms; alle %lld Halte mit den "
                "Wiederholungen der Laeufe nach %.3f ms aus der Leitung\n",
                zeichenMs(2400, 8, false, 2), sekunden, static_cast<long long>(w.befehle),
                static_cast<long long>(w.gewartet), w.befehle ? w.summeMs / double(w.befehle) : 0.0, w.hoechstMs,
                16 * zeichenMs(2400, 8, false, 2), static_cast<long long>(alle), alleMs);
    betrieb.beenden();
    warteAus(zeit, 100);
    std::fflush(stdout);
}


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool kurz = false;
    for (int i = 1; i < argc; ++i)
        kurz = kurz || std::strcmp(argv[i], "--kurz") == 0;
    const bool nurSeriell = wert(argc, argv, "--nur", 0) == 5;
    if (!nurSeriell) {
        puenktlichkeit(wert(argc, argv, "--sekunden", kurz ? 10 : 60));
        stopp(kurz ? 20 : 100);
        gleichlauf(wert(argc, argv, "--gleichlauf", kurz ? 10 : 60));
        rechenzeit(kurz ? 5 : 10);
    }
    seriell(kurz ? 5 : 20);
    return 0;
}

// Figures for the timing of a long run: an endless run of two short lines on the
// 6021 path (locomotive 24), through the program's own port to a pseudo-terminal,
// the real wait underneath. Every command is stamped as it arrives at the far end
// and set against the table's own clock (time zero is the arrival of the first
// command). Prints the pass period, the drift in total (how far the run has moved
// away from the table's clock by its end) and the jitter of single commands.
//
//   bench_takt [--kurz] [--sekunden=N]
//
// 60 s by default; --kurz runs 15 s (a quick look, not for the record).
#include "Laufende.h"
#include "program/Ablauf.h"
#include "program/EchteZeit.h"
#include "program/Tabelle.h"
#include "serial/V24.h"
#include "stations/Zentralenregister.h"
#include "stations/maerklin/MaerklinTreiber.h"

#include "Bedienung.h"
#include "Leitung.h"
#include "Messung.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace trabolin;
using namespace trabolin::bench;

namespace {

// Two lines of one second, each with the 500 ms pause before its speed: a pass lasts
// 3000 ms. The function byte of line 1 (F1 on, 0x41) marks the start of a pass.
const char *const zeile1[] = {"1", "s", "5", "", "X", "", "", ""};
const char *const zeile2[] = {"1", "s", "0", "", "", "", "", ""};
constexpr int passMs = 3000;
// The commands of a pass (byte 1, the address byte is 24) and when the table sends them.
struct Befehl {
    quint8 byte;
    int nachMs;
};
constexpr Befehl plan[] = {{0x41, 0}, {0x05, 500}, {0x40, 1500}, {0x00, 2000}};

double ms(Uhr::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int sekunden = app.arguments().contains(QStringLiteral("--kurz")) ? 15 : 60;
    for (const QString &a : app.arguments())
        if (a.startsWith(QStringLiteral("--sekunden=")))
            sekunden = std::max(6, a.mid(11).toInt());
    const int paesse = sekunden * 1000 / passMs;

    Pty pty;
    if (!pty.ok()) {
        std::printf("Takt: kein Pseudo-Terminal (%s)\n", std::strerror(errno));
        return 1;
    }
    Empfaenger empfaenger(pty.master);

    // The program's own port, reached as "COM1" through a link in a scratch program
    // directory, as a user links an adapter.
    QTemporaryDir verzeichnis;
    SerielleSchnittstelle v24(verzeichnis.path());
    if (const QString f = pty.oeffneAlsCom1(v24, verzeichnis.path()); !f.isEmpty()) {
        std::printf("Takt: %s\n", qPrintable(f));
        return 1;
    }

    Tabellenspeicher tabelle;
    for (int c = 1; c <= anzahlZellen; ++c) {
        tabelle.setzeZelle(1, c, QString::fromLatin1(zeile1[c - 1]));
        tabelle.setzeZelle(2, c, QString::fromLatin1(zeile2[c - 1]));
    }
    tabelle.setzeAktuelleZeile(1);
    Bedienung bedienung(true); // endless
    StillerKlang klang;
    EchteZeit zeit;
    Ablauf ablauf(tabelle, bedienung, zeit, klang);
    MaerklinTreiber maerklin(ablauf, v24, zentralenzeile(0)->lesart);
    ablauf.setzeTreiber(0, &maerklin);

    // The stop comes in the first pause of the pass after the last one measured.
    QTimer::singleShot(paesse * passMs + 250, Qt::PreciseTimer, [&] { ablauf.stoppKlick(); });
    ablauf.btnStart_Click();
    warteAufLaufende(ablauf);
    QCoreApplication::processEvents(); // lets the port write what it still holds
    warteAus(zeit, 200);

    QByteArray bytes;
    std::vector<Uhr::time_point> zeiten;
    empfaenger.alles(bytes, zeiten);
    const qsizetype befehle = paesse * qsizetype(std::size(plan));
    if (bytes.size() < 2 * befehle) {
        std::printf("Takt: nur %lld von %lld Befehlen angekommen\n", static_cast<long long>(bytes.size() / 2),
                    static_cast<long long>(befehle));
        return 1;
    }

    // Every command against the table: x when the table sends it, y when it arrived,
    // both from the arrival of the first command. The straight line through them
    // (least squares) gives the pass period and the drift free of the jitter of
    // single commands; the jitter is what is left around the line.
    std::vector<double> x, y;
    int falsch = 0;
    for (qsizetype i = 0; i < befehle; ++i) {
        const Befehl &soll = plan[i % qsizetype(std::size(plan))];
        if (quint8(bytes[2 * i]) != soll.byte || quint8(bytes[2 * i + 1]) != 24)
            ++falsch;
        x.push_back(double(i / qsizetype(std::size(plan)) * passMs + soll.nachMs));
        y.push_back(ms(zeiten[size_t(2 * i)] - zeiten[0]));
    }
    const double n = double(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double steigung = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double achse = (sy - steigung * sx) / n;
    std::vector<double> streuung;
    for (size_t i = 0; i < x.size(); ++i)
        streuung.push_back(std::abs(y[i] - (achse + steigung * x[i])));
    std::printf("Takt: %d Durchlaeufe zu %d ms in %d s: Periode %.4f ms, Drift gesamt %+.3f ms "
                "(Gerade durch %zu Befehle); Streuung um die Gerade p50 %.3f ms, p99 %.3f ms, max %.3f ms; "
                "letzter Befehl gegen die Tabelle %+.3f ms%s\n",
                paesse, passMs, sekunden, steigung * passMs, (steigung - 1.0) * x.back(), x.size(),
                quantil(streuung, 0.5), quantil(streuung, 0.99), quantil(streuung, 1.0), y.back() - x.back(),
                falsch ? qPrintable(QStringLiteral(", %1 falsche Befehle").arg(falsch)) : "");
    return falsch ? 1 : 0;
}

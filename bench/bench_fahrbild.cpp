// What the step chart costs while a run goes on: the main window runs a table on the
// 6021 path (its port closed, so nothing goes out) with the chart shown, and once more
// with the chart hidden; each time the CPU share of the process and the number of
// times the chart was painted and how much of it on average; and with a contact line
// that waits out its time limit for a contact that never comes: on the 6051 path with
// the chart shown and hidden (its poll of the s88 module every 100 ms included), and on
// the Lenz, whose contacts report by themselves, with the chart shown.
//
//   QT_QPA_PLATFORM=offscreen bench_fahrbild [--kurz]
//
// --kurz runs two lines of 5 s instead of four.
#include "Laufende.h"
#include "program/Ablauf.h"
#include "stations/Zentralenregister.h"
#include "window/Fahrbild.h"
#include "window/frmTrabolin.h"

#include "Fensterfeld.h"
#include "Messung.h"

#include <QApplication>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>

using namespace trabolin;
using trabolin::bench::Bildzaehler;
using trabolin::bench::cpuSekunden;
using trabolin::bench::feld;

namespace {

// `kontakt`: one contact line instead of `zeilen` lines of 5 s; `option` the station.
void miss(frmTrabolin &f, bool sichtbar, int zeilen, bool kontakt = false, int option = 0)
{
    feld<QRadioButton>(f, "optZentrale", option)->setChecked(true);
    feld<Fahrbild>(f, "imgFahrbild")->setVisible(sichtbar);
    f.tabelle().leeren();
    for (int z = 1; z <= (kontakt ? 1 : zeilen); ++z) {
        f.tabelle().setzeZelle(z, 1, QStringLiteral("5"));
        f.tabelle().setzeZelle(z, 2, kontakt ? QStringLiteral("K") : z % 2 ? QStringLiteral("s") : QStringLiteral("S"));
        f.tabelle().setzeZelle(z, 3, QString::number(3 * z));
        f.tabelle().setzeZelle(z, 4, QStringLiteral("X"));
    }
    if (kontakt)
        feld<QSpinBox>(f, "einstellung_Lauf_Kontakt-Zeitgrenze")->setValue(5 * zeilen);
    f.tabelle().setzeAktuelleZeile(1);
    QTest::qWait(200);

    Bildzaehler zaehler;
    feld<Fahrbild>(f, "imgFahrbild")->installEventFilter(&zaehler);
    const double cpuVorher = cpuSekunden();
    const auto start = std::chrono::steady_clock::now();
    f.ablauf().btnStart_Click();
    warteAufLaufende(f.ablauf());
    const double wand = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSekunden() - cpuVorher;
    feld<Fahrbild>(f, "imgFahrbild")->removeEventFilter(&zaehler);
    std::printf("%s%sLauf %.1f s, Fahrbild %s: %.3f %% eines Kerns (%.1f ms CPU), %d Bilder (%.1f je Sekunde, "
                "je Bild %.0f Pixel)\n",
                kontakt ? "Kontaktzeile wartet, " : "", kontakt ? (option ? "Lenz, " : "6051, ") : "", wand, sichtbar ? "sichtbar" : "verborgen", 100.0 * cpu / wand, cpu * 1000.0, zaehler.bilder,
                zaehler.bilder / wand, zaehler.bilder ? double(zaehler.pixel) / zaehler.bilder : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool kurz = app.arguments().contains(QStringLiteral("--kurz"));
    QTemporaryDir verzeichnis;
    // No settings file there: start-up's report is not shown.
    trabolin::bench::startetStill();
    frmTrabolin f(nullptr, verzeichnis.path());
    f.show();
    if (!QTest::qWaitForWindowExposed(&f))
        return 1;
    const int zeilen = kurz ? 2 : 4;
    miss(f, true, zeilen);
    miss(f, false, zeilen);
    miss(f, true, zeilen, true);
    miss(f, false, zeilen, true);
    miss(f, true, zeilen, true, zentralenoption(QStringLiteral("Lenz")));
    return 0;
}

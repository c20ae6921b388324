#pragma once
// How fast a simulated locomotive runs at the share of its top step that a command
// gives it, as a decoder drives a motor: below a start step it stands, at the start
// step it creeps, from there its speed rises on a curve (not a straight line: the
// low steps are finer) to its top speed, which forwards and backwards differ by a few
// percent, as a real motor and gear do. With an acceleration time the locomotive
// does not jump to a new speed but gets there at a steady rate, the time it takes
// from standstill to its top speed (braking alike; a change of direction brakes to
// a stand and accelerates the other way).
//
// The simulators' programs drive the decoder-like curve (dekoder()) unless started
// with --gerade; the decoder classes on their own keep the straight line (gerade():
// the share times 1 m/s in both directions, at once) that the track's figures in
// their tests are reckoned with.
#include <QCommandLineParser>

#include <algorithm>
#include <cmath>

namespace trabolin::sim {

struct Fahrkurve {
    double startanteil = 0;        // below this share of the top step it stands
    double kriechanteil = 0;       // its speed at the start step, as a share of the top speed
    double exponent = 1;           // the curve from there to the top: 1 is straight
    double vorwaertsMmProS = 1000; // top speed forwards
    double rueckwaertsMmProS = 1000;
    int anfahrMs = 0;              // from standstill to the top speed; 0: at once

    // The speed at `anteil` (0 to 1) of the top step, in mm/s.
    double mmProS(double anteil, bool vorwaerts) const
    {
        if (anteil <= 0 || anteil < startanteil)
            return 0;
        const double spitze = vorwaerts ? vorwaertsMmProS : rueckwaertsMmProS;
        const double x = startanteil >= 1 ? 1 : std::clamp((anteil - startanteil) / (1 - startanteil), 0.0, 1.0);
        return spitze * (kriechanteil + (1 - kriechanteil) * std::pow(x, exponent));
    }

    // The change of speed a millisecond while it accelerates or brakes.
    double mmProSjeMs() const { return anfahrMs > 0 ? std::max(vorwaertsMmProS, rueckwaertsMmProS) / anfahrMs : 0; }

    static Fahrkurve gerade() { return {}; }
    // Stands below step 4 of 126 (3 %), creeps at 3 % of its top speed there, rises
    // with the power 1.4; 1000 mm/s forwards, 4 % less backwards; no acceleration time.
    static Fahrkurve dekoder() { return {0.03, 0.03, 1.4, 1000, 960, 0}; }
};

// The curve every track takes when it is laid: the straight line, until a simulator's
// program sets its own at its start.
inline Fahrkurve &streckenkurve()
{
    static Fahrkurve kurve = Fahrkurve::gerade();
    return kurve;
}

// Where the locomotive stands on every track when it is laid, in mm from its start:
// 1.5 m, between the two contacts (sim/Strecke.h), unless a simulator's program is
// started with --start.
inline double &streckenstartMm()
{
    static double mm = 1500;
    return mm;
}

// The programs' options --gerade, --anfahren MS, --spitze MM/S and --start MM; after
// the command line is read, waehleKurve() sets the curve and the start of the tracks
// to come by them.
inline QCommandLineOption geradeOption()
{
    return QCommandLineOption(QStringLiteral("gerade"),
                              QStringLiteral("Geschwindigkeit als Gerade (Anteil der Stufe mal 1 m/s, "
                                             "vorwärts wie rückwärts) statt der Dekoderkurve"));
}
inline QCommandLineOption anfahrOption()
{
    return QCommandLineOption(QStringLiteral("anfahren"),
                              QStringLiteral("Anfahr- und Bremszeit vom Stand bis zur Höchstgeschwindigkeit"),
                              QStringLiteral("MS"));
}
// --spitze MM/S: the top speed forwards instead of 1000 mm/s (the curve's backwards
// speed keeps its share of it), so that a test crosses the track in a moment.
inline QCommandLineOption spitzeOption()
{
    return QCommandLineOption(QStringLiteral("spitze"),
                              QStringLiteral("Höchstgeschwindigkeit vorwärts in mm/s (Standard 1000; rückwärts "
                                             "im selben Verhältnis)"),
                              QStringLiteral("MM/S"));
}
// --start MM: where the locomotive stands on its track at the start; 50 puts it
// behind contact 1 (at 100 to 200 mm), as measuring a locomotive wants it.
inline QCommandLineOption startOption()
{
    return QCommandLineOption(QStringLiteral("start"),
                              QStringLiteral("Wo die Lok auf ihrem Gleis (3000 mm) anfangs steht, in mm vom Anfang "
                                             "(Standard 1500, zwischen den Kontakten; 50: hinter Kontakt 1)"),
                              QStringLiteral("MM"));
}
inline void fuegeKurvenoptionenHinzu(QCommandLineParser &parser)
{
    parser.addOption(geradeOption());
    parser.addOption(anfahrOption());
    parser.addOption(spitzeOption());
    parser.addOption(startOption());
}
inline void waehleKurve(const QCommandLineParser &parser)
{
    Fahrkurve kurve = parser.isSet(geradeOption()) ? Fahrkurve::gerade() : Fahrkurve::dekoder();
    kurve.anfahrMs = std::max(0, parser.value(anfahrOption()).toInt());
    if (const double spitze = parser.value(spitzeOption()).toDouble(); spitze > 0) {
        kurve.rueckwaertsMmProS *= spitze / kurve.vorwaertsMmProS;
        kurve.vorwaertsMmProS = spitze;
    }
    streckenkurve() = kurve;
    if (parser.isSet(startOption()))
        streckenstartMm() = parser.value(startOption()).toDouble();
}

} // namespace trabolin::sim

#pragma once
// How fast a simulated locomotive runs at the share of its top step that a command
// gives it, as a decoder drives a motor: below a start step it stands, at the start
// step it creeps, from there its speed rises on a curve (not a straight line: the
// low steps are finer) to its top speed, which forwards and backwards differ by a few
// percent, as a real motor and gear do. A new speed holds at once (no acceleration
// or braking time).
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

    // The speed at `anteil` (0 to 1) of the top step, in mm/s.
    double mmProS(double anteil, bool vorwaerts) const
    {
        if (anteil <= 0 || anteil < startanteil)
            return 0;
        const double spitze = vorwaerts ? vorwaertsMmProS : rueckwaertsMmProS;
        const double x = startanteil >= 1 ? 1 : std::clamp((anteil - startanteil) / (1 - startanteil), 0.0, 1.0);
        return spitze * (kriechanteil + (1 - kriechanteil) * std::pow(x, exponent));
    }

    static Fahrkurve gerade() { return {}; }
    // Stands below step 4 of 126 (3 %), creeps at 3 % of its top speed there, rises
    // with the power 1.4; 1000 mm/s forwards, 4 % less backwards.
    static Fahrkurve dekoder() { return {0.03, 0.03, 1.4, 1000, 960}; }
};

// The curve every track takes when it is laid: the straight line, until a simulator's
// program sets its own at its start.
inline Fahrkurve &streckenkurve()
{
    static Fahrkurve kurve = Fahrkurve::gerade();
    return kurve;
}

// The programs' option --gerade; after the command line is read, waehleKurve()
// sets the curve of the tracks to come by it.
inline QCommandLineOption geradeOption()
{
    return QCommandLineOption(QStringLiteral("gerade"),
                              QStringLiteral("Geschwindigkeit als Gerade (Anteil der Stufe mal 1 m/s, "
                                             "vorwärts wie rückwärts) statt der Dekoderkurve"));
}
inline void waehleKurve(const QCommandLineParser &parser)
{
    streckenkurve() = parser.isSet(geradeOption()) ? Fahrkurve::gerade() : Fahrkurve::dekoder();
}

} // namespace trabolin::sim

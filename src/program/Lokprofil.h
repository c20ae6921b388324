#pragma once
// A locomotive's measured speed profile: its speed in millimetres a second on the
// model at the speed steps measured, forwards and backwards, for one station, one
// address and one "Fahrstufen" mode. Between two measured steps the speed is taken
// as a straight line, step 0 stands, and above the top step measured the top speed
// holds. Distance lines ("W"/"w") reckon their time from it, and a program that reads
// "Fahrstufe" as scale km/h picks the step whose speed comes nearest.
#include <QDate>
#include <QList>
#include <QString>

namespace trabolin {

// The speed measured at one step, in mm/s on the model.
struct Messpunkt {
    int stufe = 0;
    double vorwaerts = 0;
    double rueckwaerts = 0;
    bool operator==(const Messpunkt &) const = default;
};

// Which locomotive a profile belongs to: station code ("Z21"), the address as typed
// (the ECoS ID) and the "Fahrstufen" mode ("128"). As a section header "[Z21 3 128]".
struct Profilschluessel {
    QString zentrale;
    QString adresse;
    QString modus;
    bool operator==(const Profilschluessel &) const = default;
    QString text() const { return zentrale + u' ' + adresse + u' ' + modus; }
};

struct Lokprofil {
    Profilschluessel schluessel;
    QDate datum;
    int abstandMm = 0;     // between the two contacts measured over
    double massstab = 87;  // 1:massstab; 87 is H0
    QList<Messpunkt> punkte; // ascending by step, each step once

    // The speed at `stufe` in mm/s: 0 at step 0 and below, linear between the
    // measured steps (and between step 0 and the lowest one), the top speed above
    // the top step. 0 for a profile without points.
    double mmProS(int stufe, bool vorwaerts) const;
    // The same speed at full size, in km/h, by the profile's scale.
    double kmh(int stufe, bool vorwaerts) const;
    // The step from 0 to the top step measured whose speed comes nearest to `kmh`
    // at full size; on a tie the lower step. 0 for a profile without points.
    int naechsteStufe(double kmh, bool vorwaerts) const;
    // Puts in or replaces the point of its step, keeping the order.
    void setzePunkt(const Messpunkt &punkt);
};

// Model mm/s to full-size km/h at scale 1:massstab.
inline double alsKmh(double mmProS, double massstab) { return mmProS * massstab * 3.6 / 1000.0; }

// The scales "Maßstab" offers: its text and its ratio.
struct Massstab {
    QString text;
    double verhaeltnis;
};
const QList<Massstab> &massstaebe();

} // namespace trabolin

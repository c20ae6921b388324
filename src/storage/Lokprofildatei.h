#pragma once
// "Lokprofile.ini", beside "Trabolin.ini": the measured speed profiles, readable and
// editable by hand. Latin-1 text, CR LF, one section per locomotive:
//
//   [Z21 3 128]            station code, address (ECoS ID), "Fahrstufen" mode
//   Datum=2026-12-07       the day it was measured
//   Abstand=1200           mm between the two contacts
//   Massstab=87            the scale 1:87
//   Stufe 64=512.3;498.7   mm/s forwards;backwards, a point as the decimal sign
//
// Sections are separated by an empty line. Reading never gives up on a line: a line
// that cannot be read (a broken number, a header without three parts, a date that is
// none) is left out of the profile with a German note naming its line, and is kept
// as it stands; a line with a key the program does not know is kept without a note.
// Writing puts every kept line back in its section, so a hand edit is never lost.
// Empty lines are not kept; a section that stands twice is read as one.
#include "program/Lokprofil.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <optional>

namespace trabolin {

inline const QString lokprofilDateiname = QStringLiteral("Lokprofile.ini");

struct Profilabschnitt {
    std::optional<Lokprofil> profil; // none: its header could not be read
    QString kopf;                    // the header line as it stood
    QStringList fremd;               // lines kept as they stood
};

struct Profildatei {
    QStringList vorspann;              // lines before the first section, kept
    QList<Profilabschnitt> abschnitte;
    QStringList hinweise;              // one German note per line left out

    // The profile of `schluessel`, or nullptr.
    const Lokprofil *profil(const Profilschluessel &schluessel) const;
    // Puts in or replaces the profile of its key; lines kept in its section stay.
    void setze(const Lokprofil &profil);
    // Every profile read, in file order.
    QList<Lokprofil> profile() const;
};

Profildatei leseProfildatei(QIODevice &geraet);
Profildatei leseProfildatei(const QByteArray &bytes);
QByteArray schreibeProfildatei(const Profildatei &datei);

} // namespace trabolin

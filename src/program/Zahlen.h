#pragma once
#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace trabolin {

// How blanks are treated when a text is read as a number.
enum class Leerzeichen {
    fuehrende, // only blanks in front of the number are skipped ("1 2" reads as 1)
    ueberall,  // blanks anywhere are skipped ("1 2" reads as 12)
};

// The leading number of a text: optional blanks, an optional sign, digits and an
// optional decimal point with digits. A text without such a number reads as 0.
double leseZahl(QStringView text, Leerzeichen blanks = Leerzeichen::fuehrende);

// Rounds to a whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
qint64 rundeGerade(double wert);

// leseZahl followed by rundeGerade.
qint64 leseGanzzahl(QStringView text, Leerzeichen blanks = Leerzeichen::fuehrende);

// True when the whole text is a number: digits (with an optional sign and decimal
// point), optionally surrounded by blanks. An empty or blank text is no number.
bool istZahl(QStringView text);

// Clamps a whole number into the signed 16-bit range.
qint16 alsInt16(qint64 wert);

} // namespace trabolin

#include "program/Zahlen.h"

#include <cmath>
#include <limits>

namespace trabolin {

namespace {

struct Zerlegung {
    double wert = 0;
    qsizetype ende = 0;  // index after the last character that belongs to the number
    bool ziffern = false; // at least one digit was read
};

Zerlegung zerlege(QStringView text, Leerzeichen blanks)
{
    Zerlegung z;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto ueberspringe = [&] {
        while (i < n && text[i] == u' ')
            ++i;
    };
    ueberspringe();
    bool negativ = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negativ = text[i] == u'-';
        ++i;
    }
    double wert = 0;
    bool nachkomma = false;
    double faktor = 1;
    while (true) {
        if (blanks == Leerzeichen::ueberall)
            ueberspringe();
        if (i >= n)
            break;
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            const int ziffer = c.unicode() - u'0';
            if (nachkomma) {
                faktor /= 10;
                wert += ziffer * faktor;
            } else {
                wert = wert * 10 + ziffer;
            }
            z.ziffern = true;
            ++i;
        } else if (c == u'.' && !nachkomma) {
            nachkomma = true;
            ++i;
        } else {
            break;
        }
    }
    z.wert = negativ ? -wert : wert;
    z.ende = i;
    return z;
}

} // namespace

double leseZahl(QStringView text, Leerzeichen blanks)
{
    const Zerlegung z = zerlege(text, blanks);
    return z.ziffern ? z.wert : 0.0;
}

qint64 rundeGerade(double wert)
{
    if (!std::isfinite(wert))
        return 0;
    constexpr double grenze = 9.0e18;
    if (wert > grenze)
        return std::numeric_limits<qint64>::max();
    if (wert < -grenze)
        return std::numeric_limits<qint64>::min();
    // nearbyint rounds with the current mode, which is round-half-to-even by default.
    return static_cast<qint64>(std::nearbyint(wert));
}

qint64 leseGanzzahl(QStringView text, Leerzeichen blanks)
{
    return rundeGerade(leseZahl(text, blanks));
}

bool istZahl(QStringView text)
{
    const Zerlegung z = zerlege(text, Leerzeichen::fuehrende);
    if (!z.ziffern)
        return false;
    for (qsizetype i = z.ende; i < text.size(); ++i)
        if (text[i] != u' ')
            return false;
    return true;
}

qint16 alsInt16(qint64 wert)
{
    return static_cast<qint16>(qBound(qint64(std::numeric_limits<qint16>::min()), wert,
                                      qint64(std::numeric_limits<qint16>::max())));
}

} // namespace trabolin

#pragma once
// What the benchmarks measure the process by: its CPU time so far, and a count of the
// paints a widget gets and of the pixels they cover.
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRect>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace trabolin::bench {

// The p-quantile (0 to 1) of `werte`: the value at rank ceil(p n); 0 for none.
inline double quantil(std::vector<double> werte, double p)
{
    if (werte.empty())
        return 0;
    std::sort(werte.begin(), werte.end());
    const auto i = static_cast<size_t>(std::ceil(p * double(werte.size()))) - 1;
    return werte[std::min(i, werte.size() - 1)];
}

// The number after "<name>=" among the program's arguments, `vorgabe` without one.
inline int wert(int argc, char **argv, const char *name, int vorgabe)
{
    const size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, n) == 0 && argv[i][n] == '=')
            return std::atoi(argv[i] + n + 1);
    return vorgabe;
}

// User and system time of the process so far, in seconds.
inline double cpuSekunden()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Installed as an event filter: counts the paints and their pixels.
class Bildzaehler : public QObject {
public:
    int bilder = 0;
    qint64 pixel = 0; // painted, summed over all paints
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            ++bilder;
            for (const QRect &r : static_cast<QPaintEvent *>(e)->region())
                pixel += qint64(r.width()) * r.height();
        }
        return false;
    }
};

} // namespace trabolin::bench

#pragma once
// What the benchmarks measure the process by: its CPU time so far, and a count of the
// paints a widget gets and of the pixels they cover.
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRect>

#include <sys/resource.h>

namespace trabolin::bench {

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

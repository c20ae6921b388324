#pragma once
// A click on "starten" returns at the run's first wait; the benchmarks then let the
// event loop run, as the program's own loop would, until the run has ended.
#include "program/Ablauf.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QCoro/QCoroTask>

inline void warteAufLaufende(trabolin::Ablauf &ablauf)
{
    if (!ablauf.laeuft())
        return;
    QEventLoop schleife;
    QObject::connect(&ablauf, &trabolin::Ablauf::laufEndet, &schleife, &QEventLoop::quit);
    schleife.exec();
}

// A wait of the clock, run to its end in an event loop of the benchmark's own.
template <typename Zeit>
void warteAus(Zeit &zeit, int ms)
{
    QCoro::waitFor(zeit.warte(ms, [] { return false; }));
}

// The event loop for `ms`, as the program's own loop runs while nothing happens
// (QTest::qWait instead wakes every 10 ms, which shows in a CPU figure).
inline void laufeSchleife(int ms)
{
    QEventLoop schleife;
    QTimer::singleShot(ms, Qt::PreciseTimer, &schleife, &QEventLoop::quit);
    schleife.exec();
}

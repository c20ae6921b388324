#include "program/EchteZeit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <thread>
#include <utility>

#ifdef Q_OS_LINUX
#include <QSocketNotifier>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace trabolin {

namespace {

using Uhr = EchteZeit::Uhr;

#ifdef Q_OS_LINUX
// The kernel's clock for the waits: CLOCK_BOOTTIME when both the clock and a timerfd
// on it can be had (Linux 3.15 and later), so that the clock and the timer agree.
clockid_t uhrkennung()
{
    static const clockid_t kennung = [] {
#ifdef CLOCK_BOOTTIME
        timespec ts{};
        if (::clock_gettime(CLOCK_BOOTTIME, &ts) == 0) {
            const int fd = ::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
                return clockid_t(CLOCK_BOOTTIME);
            }
        }
#endif
        return clockid_t(CLOCK_MONOTONIC);
    }();
    return kennung;
}

// The time points of Uhr are those of the kernel's clock, so they can be handed to a
// timerfd on that clock as they are.
timespec alsTimespec(Uhr::time_point zeitpunkt)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        zeitpunkt.time_since_epoch())
                        .count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return ts;
}
#endif

} // namespace

EchteZeit::Uhr::time_point EchteZeit::Uhr::now() noexcept
{
#ifdef Q_OS_LINUX
    timespec ts{};
    ::clock_gettime(uhrkennung(), &ts);
    return time_point(duration(std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec));
#else
    return time_point(std::chrono::duration_cast<duration>(std::chrono::steady_clock::now().time_since_epoch()));
#endif
}

bool EchteZeit::Uhr::zaehltSchlaf()
{
#if defined(Q_OS_LINUX) && defined(CLOCK_BOOTTIME)
    return uhrkennung() == CLOCK_BOOTTIME;
#else
    return false;
#endif
}

// The kernel wakes a thread that has slept long (hundreds of ms) noticeably later
// than one that has slept briefly: the CPU has gone into deeper idle states, and
// on virtual machines the host adds its own delay. So a long wait first sleeps
// until shortly before its end and then sets the timer again for the rest: the
// second, short sleep ends much closer to the deadline.
constexpr auto vorlauf = std::chrono::milliseconds(1);

// The machinery of one level of nested waits, kept and reused for the next wait
// at the same depth. Its event loop ends when the deadline has been reached
// (abgelaufen), when wecke() is called (geweckt), or when the application quits
// all loops.
struct EchteZeit::Ebene {
    QEventLoop schleife;
    Uhr::time_point ende;
    bool geweckt = false;
    bool abgelaufen = false;

#ifdef Q_OS_LINUX
    int fd = -1;
    std::unique_ptr<QSocketNotifier> melder;
#endif
    std::unique_ptr<QTimer> wecker; // where no timerfd can be had

    Ebene()
    {
#ifdef Q_OS_LINUX
        fd = ::timerfd_create(uhrkennung(), TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd >= 0) {
            // The notifier stays enabled for the life of the level: once the expiry
            // is read the descriptor is quiet until the timer is set again.
            melder = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(melder.get(), &QSocketNotifier::activated, &schleife, [this] {
                quint64 anzahl = 0;
                // Reading clears the readiness; without it the notifier would fire again.
                if (::read(fd, &anzahl, sizeof anzahl) > 0)
                    gefeuert();
            });
            return;
        }
#endif
        nimmQtTimer();
    }

    ~Ebene()
    {
#ifdef Q_OS_LINUX
        melder.reset(); // before the descriptor goes
        if (fd >= 0)
            ::close(fd);
#endif
    }

    Ebene(const Ebene &) = delete;
    Ebene &operator=(const Ebene &) = delete;

    void nimmQtTimer()
    {
        wecker = std::make_unique<QTimer>();
        wecker->setSingleShot(true);
        wecker->setTimerType(Qt::PreciseTimer);
        QObject::connect(wecker.get(), &QTimer::timeout, &schleife, [this] { gefeuert(); });
    }

    // Starts the timing of a wait that ends at `bis`.
    void stelle(Uhr::time_point bis)
    {
        ende = bis;
        geweckt = false;
        abgelaufen = false;
        const auto jetzt = Uhr::now();
        armiere(ende - jetzt > 3 * vorlauf ? ende - vorlauf : ende);
    }

    void gefeuert()
    {
        if (Uhr::now() < ende) {
            // The early stop of a long sleep, or the coarse fallback timer firing
            // a little before the deadline: sleep on for the rest.
            armiere(ende);
            return;
        }
        abgelaufen = true;
        schleife.quit();
    }

    void armiere(Uhr::time_point zeitpunkt)
    {
#ifdef Q_OS_LINUX
        if (fd >= 0) {
            itimerspec wert{};
            wert.it_value = alsTimespec(zeitpunkt);
            if (wert.it_value.tv_sec == 0 && wert.it_value.tv_nsec == 0)
                wert.it_value.tv_nsec = 1; // zero would disarm the timer
            if (::timerfd_settime(fd, TFD_TIMER_ABSTIME, &wert, nullptr) == 0)
                return;
            // Should the kernel refuse, the Qt timer takes over for good.
            melder.reset();
            ::close(fd);
            fd = -1;
            nimmQtTimer();
        }
#endif
        // Whole milliseconds, rounded up.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(zeitpunkt - Uhr::now()).count();
        wecker->start(static_cast<int>(std::clamp<long long>(ms, 0, 24LL * 3600 * 1000)));
    }

    // Stops a timer that has not fired, so it does not go off later in someone
    // else's event loop. Not needed once the deadline has been reached.
    void ruhe()
    {
#ifdef Q_OS_LINUX
        if (fd >= 0) {
            const itimerspec aus{};
            ::timerfd_settime(fd, 0, &aus, nullptr);
            return;
        }
#endif
        wecker->stop();
    }
};

EchteZeit::EchteZeit() = default;
EchteZeit::~EchteZeit() = default;

QTime EchteZeit::tageszeit() const
{
    return QTime::currentTime();
}

qint64 EchteZeit::monotonMs() const
{
    // Rounded down, a wait up to a deadline in whole milliseconds never ends before it.
    return std::chrono::duration_cast<std::chrono::milliseconds>(Uhr::now().time_since_epoch()).count();
}

void EchteZeit::verarbeiteEreignisse()
{
    QCoreApplication::processEvents();
}

void EchteZeit::warte(int dauerMs, const std::function<bool()> &abbruch)
{
    const auto ende = Uhr::now() + std::chrono::milliseconds(std::max(dauerMs, 0));
    const auto abgebrochen = [&abbruch] { return abbruch && abbruch(); };

    // One round of events always, so that a click waiting in the queue is seen.
    QCoreApplication::processEvents();
    if (abgebrochen() || Uhr::now() >= ende)
        return;

    if (!QCoreApplication::instance()) {
        // No event loop to sleep in: sleep in slices and look at `abbruch` between them.
        while (!abgebrochen()) {
            const auto jetzt = Uhr::now();
            if (jetzt >= ende)
                return;
            std::this_thread::sleep_until(std::min(ende, jetzt + std::chrono::milliseconds(10)));
        }
        return;
    }

    // Waits nest strictly, so the level for this depth is free; make it the first
    // time this depth is reached.
    const size_t tiefe = m_laufend.size();
    if (m_ebenen.size() <= tiefe)
        m_ebenen.push_back(std::make_unique<Ebene>());
    Ebene &ebene = *m_ebenen[tiefe];

    m_laufend.push_back(&ebene);
    struct Abmeldung {
        std::vector<Ebene *> &laufend;
        Ebene &ebene;
        ~Abmeldung()
        {
            laufend.pop_back();
            if (!ebene.abgelaufen)
                ebene.ruhe();
        }
    } abmeldung{m_laufend, ebene};

    ebene.stelle(ende);
    for (;;) {
        // A wecke() that came while this wait was not inside its loop (during
        // `abbruch`) must not be lost.
        if (!ebene.geweckt && !ebene.abgelaufen)
            ebene.schleife.exec();
        const bool geweckt = std::exchange(ebene.geweckt, false);
        if (ebene.abgelaufen || abgebrochen() || Uhr::now() >= ende)
            return;
        // The loop ended without a reason of ours: the application is quitting
        // and quits (or refuses to start) every event loop. Entering it again
        // would only spin.
        if (!geweckt)
            return;
    }
}

void EchteZeit::wecke()
{
    for (Ebene *ebene : m_laufend) {
        ebene->geweckt = true;
        ebene->schleife.quit();
    }
}

} // namespace trabolin

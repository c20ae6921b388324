#include "program/EchteZeit.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <coroutine>
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

// The timer of one wait, kept and reused by a later wait. When the deadline has
// been reached (abgelaufen) or wecke() is called (geweckt), it hands the suspended
// coroutine to the event loop to be resumed there, once.
struct EchteZeit::Wecker {
    QObject &kontext;
    Uhr::time_point ende;
    bool geweckt = false;
    bool abgelaufen = false;
    std::coroutine_handle<> fortsetzung; // the suspended wait, until it is handed on

#ifdef Q_OS_LINUX
    int fd = -1;
    std::unique_ptr<QSocketNotifier> melder;
#endif
    std::unique_ptr<QTimer> qtWecker; // where no timerfd can be had

    explicit Wecker(QObject &k) : kontext(k)
    {
#ifdef Q_OS_LINUX
        fd = ::timerfd_create(uhrkennung(), TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd >= 0) {
            // The notifier stays enabled for the life of the timer: once the expiry
            // is read the descriptor is quiet until the timer is set again.
            melder = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(melder.get(), &QSocketNotifier::activated, &kontext, [this] {
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

    ~Wecker()
    {
#ifdef Q_OS_LINUX
        melder.reset(); // before the descriptor goes
        if (fd >= 0)
            ::close(fd);
#endif
    }

    Wecker(const Wecker &) = delete;
    Wecker &operator=(const Wecker &) = delete;

    void nimmQtTimer()
    {
        qtWecker = std::make_unique<QTimer>();
        qtWecker->setSingleShot(true);
        qtWecker->setTimerType(Qt::PreciseTimer);
        QObject::connect(qtWecker.get(), &QTimer::timeout, &kontext, [this] { gefeuert(); });
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
        // Resumed here, straight from the timer's event: nothing else is on the stack,
        // and the deadline costs no further round of the event loop.
        if (fortsetzung)
            std::exchange(fortsetzung, {}).resume();
    }

    // Resumes the suspended wait from the event loop, not from the caller's stack:
    // the code that woke it (a click, a report) finishes first.
    void setzeFort()
    {
        if (!fortsetzung)
            return;
        QMetaObject::invokeMethod(&kontext, [h = std::exchange(fortsetzung, {})] { h.resume(); },
                                  Qt::QueuedConnection);
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
        qtWecker->start(static_cast<int>(std::clamp<long long>(ms, 0, 24LL * 3600 * 1000)));
    }

    // Stops a timer that has not fired, so it does not go off for the next wait
    // that takes it. Not needed once the deadline has been reached.
    void ruhe()
    {
#ifdef Q_OS_LINUX
        if (fd >= 0) {
            const itimerspec aus{};
            ::timerfd_settime(fd, 0, &aus, nullptr);
            return;
        }
#endif
        qtWecker->stop();
    }
};

// The suspension of a wait: the coroutine hands itself to its timer, which resumes
// it from the event loop.
class EchteZeit::Schlaf {
public:
    explicit Schlaf(Wecker &wecker) : m_wecker(wecker) {}
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) noexcept
    {
        m_wecker.fortsetzung = h;
        // Woken, or run out, while it was not suspended: the event loop resumes it
        // at once.
        if (m_wecker.geweckt || m_wecker.abgelaufen)
            m_wecker.setzeFort();
    }
    void await_resume() const noexcept {}

private:
    Wecker &m_wecker;
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

EchteZeit::Wecker &EchteZeit::nimmWecker()
{
    if (m_frei.empty()) {
        m_wecker.push_back(std::make_unique<Wecker>(m_kontext));
        m_frei.push_back(m_wecker.back().get());
    }
    Wecker *w = m_frei.back();
    m_frei.pop_back();
    m_laufend.push_back(w);
    return *w;
}

void EchteZeit::gibZurueck(Wecker &wecker)
{
    if (!wecker.abgelaufen)
        wecker.ruhe();
    wecker.fortsetzung = {};
    std::erase(m_laufend, &wecker);
    m_frei.push_back(&wecker);
}

QCoro::Task<> EchteZeit::warte(int dauerMs, std::function<bool()> abbruch)
{
    const auto ende = Uhr::now() + std::chrono::milliseconds(std::max(dauerMs, 0));
    const auto abgebrochen = [&abbruch] { return abbruch && abbruch(); };

    if (!QCoreApplication::instance()) {
        // No event loop to be resumed from: sleep in slices and look at `abbruch`
        // between them.
        while (!abgebrochen()) {
            const auto jetzt = Uhr::now();
            if (jetzt >= ende)
                co_return;
            std::this_thread::sleep_until(std::min(ende, jetzt + std::chrono::milliseconds(10)));
        }
        co_return;
    }

    Wecker &wecker = nimmWecker();
    struct Rueckgabe {
        EchteZeit &zeit;
        Wecker &wecker;
        ~Rueckgabe() { zeit.gibZurueck(wecker); }
    } rueckgabe{*this, wecker};

    // One round of the event loop always, so that a click waiting in the queue is
    // seen before a wait that has nothing left to wait ends.
    wecker.geweckt = true;
    co_await Schlaf(wecker);
    wecker.stelle(ende);
    if (abgebrochen() || Uhr::now() >= ende)
        co_return;
    for (;;) {
        co_await Schlaf(wecker);
        wecker.geweckt = false;
        if (wecker.abgelaufen || abgebrochen() || Uhr::now() >= ende)
            co_return;
    }
}

void EchteZeit::wecke()
{
    for (Wecker *w : m_laufend) {
        w->geweckt = true;
        w->setzeFort();
    }
}

} // namespace trabolin

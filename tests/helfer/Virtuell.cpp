#include "helfer/Virtuell.h"

#include <utility>

namespace trabolin::test {

void VirtuelleZeit::bei(qint64 zeitpunkt, std::function<void()> aktion)
{
    m_ereignisse.emplace(zeitpunkt, std::move(aktion));
}

void VirtuelleZeit::zaehleSchritt() const
{
    if (++m_schritte > hoechstensSchritte)
        qFatal("Der Lauf endet nicht: mehr als %lld Schritte der Uhr", hoechstensSchritte);
}

QTime VirtuelleZeit::tageszeit() const
{
    zaehleSchritt();
    return tagesbeginn.addMSecs(static_cast<int>(jetzt % (24 * 3600 * 1000)));
}

void VirtuelleZeit::verarbeiteEreignisse()
{
    zaehleSchritt();
    ++ereignisrunden;
    // Events due now; an event may itself wait, which moves the clock on.
    while (!m_ereignisse.empty() && m_ereignisse.begin()->first <= jetzt) {
        auto aktion = std::move(m_ereignisse.begin()->second);
        m_ereignisse.erase(m_ereignisse.begin());
        aktion();
    }
}

QCoro::Task<> VirtuelleZeit::warte(int dauerMs, std::function<bool()> abbruch)
{
    const qint64 ende = jetzt + dauerMs;
    verarbeiteEreignisse();
    while (!(abbruch && abbruch()) && jetzt < ende) {
        qint64 naechstes = ende;
        if (!m_ereignisse.empty())
            naechstes = qMin(naechstes, qMax(jetzt, m_ereignisse.begin()->first));
        jetzt = naechstes;
        verarbeiteEreignisse();
    }
    co_return;
}

struct GleichzeitigeZeit::Warte {
    qint64 ende = 0;
    std::function<bool()> abbruch;
    quint64 nummer = 0;
    bool geweckt = true; // the first round of events comes at once, as in the real wait
    std::coroutine_handle<> fortsetzung;
};

struct GleichzeitigeZeit::Schlaf {
    Warte &w;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) noexcept { w.fortsetzung = h; }
    void await_resume() const noexcept {}
};

QCoro::Task<> GleichzeitigeZeit::warte(int dauerMs, std::function<bool()> abbruch)
{
    Warte w{jetzt + qMax(dauerMs, 0), std::move(abbruch), m_begonnen++};
    m_warten.push_back(&w);
    for (;;) {
        co_await Schlaf{w};
        w.geweckt = false;
        if ((w.abbruch && w.abbruch()) || jetzt >= w.ende)
            break;
    }
    m_warten.remove(&w);
}

void GleichzeitigeZeit::wecke()
{
    for (Warte *w : m_warten)
        w->geweckt = true;
}

void GleichzeitigeZeit::laufe(qint64 bis)
{
    const auto setzeFort = [](Warte *w) { std::exchange(w->fortsetzung, {}).resume(); };
    for (;;) {
        zaehleSchritt();
        Warte *geweckt = nullptr;
        Warte *faellig = nullptr;
        for (Warte *w : m_warten) {
            if (!w->fortsetzung)
                continue;
            if (w->geweckt && !geweckt)
                geweckt = w;
            if (w->ende <= jetzt && (!faellig || w->nummer < faellig->nummer))
                faellig = w;
        }
        if (geweckt) {
            setzeFort(geweckt);
            continue;
        }
        if (!m_ereignisse.empty() && m_ereignisse.begin()->first <= jetzt) {
            ++ereignisrunden;
            auto aktion = std::move(m_ereignisse.begin()->second);
            m_ereignisse.erase(m_ereignisse.begin());
            aktion();
            continue;
        }
        if (faellig) {
            setzeFort(faellig);
            continue;
        }
        qint64 naechstes = std::numeric_limits<qint64>::max();
        if (!m_ereignisse.empty())
            naechstes = m_ereignisse.begin()->first;
        for (const Warte *w : m_warten)
            if (w->fortsetzung)
                naechstes = qMin(naechstes, w->ende);
        if (naechstes == std::numeric_limits<qint64>::max() || naechstes > bis)
            return;
        jetzt = qMax(jetzt, naechstes);
    }
}

} // namespace trabolin::test

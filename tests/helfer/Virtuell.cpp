#include "helfer/Virtuell.h"

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

} // namespace trabolin::test

#pragma once
// The simulators' layout for several locomotives at once: a virtual track (Strecke)
// for each address that runs, all alike: 3 m, the locomotive starting at 1.5 m (or
// where streckenstartMm() in sim/Fahrkurve.h says), the track's first contact at
// 0.1 m and its second at 2.8 m, each 0.1 m long. Track n
// holds contacts 2n - 1 and 2n, so track 1 is the one track the simulators always had,
// with contacts 1 and 2. An address gets its track the first time it runs (a speed
// above 0 reaches the track): the first address to run gets track 1, the next one
// track 2, and so on up to `hoechstens`. It keeps its track for as long as the
// simulator runs and stands where it stopped. An address that starts to run when every
// track is taken runs on none. Track 1 lies there from the start, its contacts free.
//
// Every call moves all tracks up to the same moment. The contacts that changed come
// back in the order the locomotives reached them, over all tracks (within the same
// millisecond the lower track first), and msBisWechsel() is the nearest change on any.
#include "sim/Strecke.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace trabolin::sim {

template <typename Adresse>
class Gleise {
public:
    // Tracks at most: contacts 1 to 16, one s88 module of 16 inputs.
    static constexpr int hoechstens = 8;

    // A contact that changed, the locomotive that changed it and where that stands
    // after the move.
    struct Wechsel {
        Adresse lok{};
        double ortMm = 0;
        Kontaktwechsel kontakt;
    };

    Gleise() { m_gleise.append({Strecke::gleis(1), std::nullopt}); }

    // From `jetztMs` on, `lok` runs at `anteil` (0 to 1) of its top speed, forwards or
    // backwards, on its track if it has one or gets one now. Returns what changed on
    // every track up to then.
    QList<Wechsel> setzeFahrt(const Adresse &lok, double anteil, bool vorwaerts, qint64 jetztMs)
    {
        QList<Wechsel> wechsel = rueckeVor(jetztMs);
        Gleis *gleis = gleisVon(lok);
        if (!gleis && anteil > 0)
            gleis = vergib(lok);
        if (gleis)
            gleis->strecke.setzeFahrt(anteil, vorwaerts, jetztMs); // moved up to jetztMs above
        return wechsel;
    }

    // Every locomotive stops at `jetztMs` and keeps its track.
    QList<Wechsel> halteAlle(qint64 jetztMs)
    {
        QList<Wechsel> wechsel = rueckeVor(jetztMs);
        for (Gleis &gleis : m_gleise)
            gleis.strecke.setzeFahrt(0, true, jetztMs);
        return wechsel;
    }

    // Moves every track up to `jetztMs` and returns the contacts that changed, in the
    // order they changed.
    QList<Wechsel> rueckeVor(qint64 jetztMs)
    {
        QList<Wechsel> wechsel;
        for (Gleis &gleis : m_gleise)
            for (const Kontaktwechsel &k : gleis.strecke.rueckeVor(jetztMs))
                wechsel.append({gleis.lok.value_or(Adresse{}), gleis.strecke.ort(), k});
        std::stable_sort(wechsel.begin(), wechsel.end(), [](const Wechsel &a, const Wechsel &b) {
            return a.kontakt.zeitMs < b.kontakt.zeitMs;
        });
        return wechsel;
    }

    // Milliseconds from the last move until the next contact edge on any track, -1
    // when no locomotive is heading for one.
    qint64 msBisWechsel() const
    {
        qint64 naechste = -1;
        for (const Gleis &gleis : m_gleise) {
            const qint64 ms = gleis.strecke.msBisWechsel();
            if (ms >= 0 && (naechste < 0 || ms < naechste))
                naechste = ms;
        }
        return naechste;
    }

    bool belegt(int nummer) const
    {
        const qsizetype i = (nummer + 1) / 2 - 1;
        return nummer >= 1 && i < m_gleise.size() && m_gleise[i].strecke.belegt(nummer);
    }
    // The contacts of the tracks there are so far (track 1's always), in their order.
    QList<Kontaktort> kontakte() const
    {
        QList<Kontaktort> alle;
        for (const Gleis &gleis : m_gleise)
            alle += gleis.strecke.kontakte();
        return alle;
    }
    // The speed of the locomotive on track `nummer` (from 1) now, in mm/s; 0 for none.
    double mmProS(int nummer) const
    {
        return nummer >= 1 && nummer <= m_gleise.size() ? m_gleise[nummer - 1].strecke.mmProS() : 0.0;
    }
    // The track of `lok`, from 1; 0 while it has none.
    int gleis(const Adresse &lok) const
    {
        for (qsizetype i = 0; i < m_gleise.size(); ++i)
            if (m_gleise[i].lok == lok)
                return int(i) + 1;
        return 0;
    }

private:
    struct Gleis {
        Strecke strecke;
        std::optional<Adresse> lok; // none before a locomotive has run on it
    };

    Gleis *gleisVon(const Adresse &lok)
    {
        const int nummer = gleis(lok);
        return nummer > 0 ? &m_gleise[nummer - 1] : nullptr;
    }
    // The first track without a locomotive, laid when all there are have one.
    Gleis *vergib(const Adresse &lok)
    {
        if (m_gleise.last().lok) {
            if (m_gleise.size() >= hoechstens)
                return nullptr;
            m_gleise.append({Strecke::gleis(int(m_gleise.size()) + 1), std::nullopt});
        }
        m_gleise.last().lok = lok;
        return &m_gleise.last();
    }

    QList<Gleis> m_gleise;
};

} // namespace trabolin::sim

#pragma once
// The simulators' virtual track: one straight track of `laengeMm` millimetres with
// buffers at both ends, the simulated locomotive on it, and track contacts at places
// along it. The locomotive moves at the speed its curve (sim/Fahrkurve.h) gives for
// the share of the top step that its speed step is (the simulator reckons the share
// from its station's steps); on the straight line the top speed is 1 m/s on the
// model (speed step 64 of 128 crosses the demo track's 2.6 m between its contacts in
// about 5 s). Forwards is towards the far end. A contact is occupied while the
// locomotive's place lies within its length.
//
// The simulator calls rueckeVor() with its clock whenever it handles something and
// on a timer set from msBisWechsel(); each call moves the locomotive up to that
// moment and returns the contacts that changed on the way, in order. A contact
// crossed entirely between two calls reports occupied and then free. Several
// locomotives, each on a track of its own, are sim/Gleise.h.
#include "sim/Fahrkurve.h"

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <utility>

namespace trabolin::sim {

struct Kontaktort {
    int nummer = 0;         // as the station counts its contacts, from 1
    double anfangMm = 0;    // where it begins
    double laengeMm = 100;  // how long it is
};

struct Kontaktwechsel {
    int nummer = 0;
    bool belegt = false;
    qint64 zeitMs = 0; // when the locomotive crossed the edge, to the millisecond after
};

class Strecke {
public:
    // Track `nummer` (from 1) of the demo's layout: 3 m, its first contact (2n - 1) at
    // 0.1 m, its second (2n) at 2.8 m, the locomotive standing at 1.5 m between them
    // (or where streckenstartMm() says). Track 1 has contacts 1 and 2.
    static Strecke gleis(int nummer)
    {
        return Strecke({{2 * nummer - 1, 100, 100}, {2 * nummer, 2800, 100}}, 3000, streckenstartMm());
    }
    Strecke(QList<Kontaktort> kontakte, double laengeMm, double startMm, Fahrkurve kurve = streckenkurve())
        : m_kontakte(std::move(kontakte)), m_laenge(laengeMm), m_ort(std::clamp(startMm, 0.0, laengeMm)),
          m_kurve(kurve)
    {
        for (const Kontaktort &k : m_kontakte)
            if (liegtAuf(k, m_ort))
                m_belegt.append(k.nummer);
    }

    // From `jetztMs` on the locomotive runs at `anteil` (0 to 1) of its top speed,
    // forwards or backwards; the way up to then is covered at the speed before.
    QList<Kontaktwechsel> setzeFahrt(double anteil, bool vorwaerts, qint64 jetztMs)
    {
        QList<Kontaktwechsel> wechsel = rueckeVor(jetztMs);
        m_anteil = std::clamp(anteil, 0.0, 1.0);
        m_vorwaerts = vorwaerts;
        if (m_kurve.anfahrMs <= 0)
            m_v = zielV();
        return wechsel;
    }

    // Moves the locomotive up to `jetztMs` (a time before the last one moves nothing)
    // and returns the contacts that changed on the way.
    QList<Kontaktwechsel> rueckeVor(qint64 jetztMs)
    {
        QList<Kontaktwechsel> wechsel;
        if (!m_zeitGesetzt) {
            m_zeit = jetztMs;
            m_zeitGesetzt = true;
        }
        // While it accelerates or brakes: millisecond by millisecond.
        while (m_zeit < jetztMs && rampe()) {
            const double ziel = zielV();
            const double a = m_kurve.mmProSjeMs();
            const double v0 = std::exchange(m_v, m_v < ziel ? std::min(ziel, m_v + a) : std::max(ziel, m_v - a));
            const double nach = std::clamp(m_ort + (v0 + m_v) / 2.0 / 1000.0, 0.0, m_laenge);
            const qint64 t = ++m_zeit;
            kreuze(nach, [t](double) { return t; }, wechsel);
        }
        const qint64 dauer = jetztMs - m_zeit;
        if (dauer <= 0)
            return wechsel;
        const qint64 ab = std::exchange(m_zeit, jetztMs);
        const double weg = geschwindigkeit() * double(dauer) / 1000.0;
        const double ziel = std::clamp(m_ort + (m_vorwaerts ? weg : -weg), 0.0, m_laenge);
        kreuze(ziel, [this, ab](double ort) { return ab + msBis(ort); }, wechsel);
        return wechsel;
    }

    // Milliseconds from the last move until the next contact edge at the speed of
    // now, -1 when none lies ahead (standing, or nothing before the buffer).
    qint64 msBisWechsel() const
    {
        // While it accelerates or brakes: a copy moved on until an edge or its speed.
        if (rampe()) {
            Strecke kopie = *this;
            for (qint64 ms = 1;; ++ms) {
                if (!kopie.rueckeVor(m_zeit + ms).isEmpty())
                    return ms;
                if (!kopie.rampe()) {
                    const qint64 rest = kopie.msBisWechsel();
                    return rest < 0 ? -1 : ms + rest;
                }
            }
        }
        const double v = geschwindigkeit();
        if (v <= 0)
            return -1;
        double naechste = -1;
        for (const Kontaktort &k : m_kontakte)
            for (const double e : {k.anfangMm, k.anfangMm + k.laengeMm}) {
                const double abstand = m_vorwaerts ? e - m_ort : m_ort - e;
                if (abstand > 0 && (naechste < 0 || abstand < naechste))
                    naechste = abstand;
            }
        if (naechste < 0)
            return -1;
        return aufMs(naechste / v * 1000.0);
    }

    bool belegt(int nummer) const { return m_belegt.contains(nummer); }
    double ort() const { return m_ort; }
    // The speed of now in mm/s, in either direction.
    double mmProS() const { return std::abs(m_v); }
    double anteil() const { return m_anteil; }
    const QList<Kontaktort> &kontakte() const { return m_kontakte; }

private:
    // The speed it runs at once it has got there; with its direction, in mm/s forwards.
    double geschwindigkeit() const { return m_kurve.mmProS(m_anteil, m_vorwaerts); }
    double zielV() const { return m_vorwaerts ? geschwindigkeit() : -geschwindigkeit(); }
    bool rampe() const { return m_kurve.anfahrMs > 0 && m_v != zielV(); }
    // Moves the locomotive from where it stands to `nach` and notes every contact whose
    // edges lie on the way, in the order it meets them, at the time `zeitAn` gives for
    // the edge's place.
    template <typename Zeit>
    void kreuze(double nach, Zeit zeitAn, QList<Kontaktwechsel> &wechsel)
    {
        struct Kante {
            double ort;
            int nummer;
        };
        const bool vorwaerts = nach > m_ort;
        QList<Kante> kanten;
        const double von = std::min(m_ort, nach);
        const double bis = std::max(m_ort, nach);
        for (const Kontaktort &k : m_kontakte)
            for (const double e : {k.anfangMm, k.anfangMm + k.laengeMm})
                if (e >= von && e <= bis && (e != m_ort))
                    kanten.append({e, k.nummer});
        std::sort(kanten.begin(), kanten.end(),
                  [vorwaerts](const Kante &a, const Kante &b) { return vorwaerts ? a.ort < b.ort : a.ort > b.ort; });
        for (const Kante &k : kanten) {
            const bool jetzt = belegtAn(k.nummer, k.ort, vorwaerts);
            if (jetzt != m_belegt.contains(k.nummer)) {
                if (jetzt)
                    m_belegt.append(k.nummer);
                else
                    m_belegt.removeAll(k.nummer);
                wechsel.append({k.nummer, jetzt, zeitAn(k.ort)});
            }
        }
        m_ort = nach;
    }
    // Milliseconds from the last move to place `ort` at the speed of now, rounded up.
    qint64 msBis(double ort) const { return aufMs(std::abs(ort - m_ort) / geschwindigkeit() * 1000.0); }
    // Rounded up to the millisecond, at least 1; what the steps of an acceleration
    // leave in the last digits of a place does not make a whole millisecond more.
    static qint64 aufMs(double ms) { return std::max<qint64>(1, qint64(std::ceil(ms - 1e-6))); }
    static bool liegtAuf(const Kontaktort &k, double ort)
    {
        return ort >= k.anfangMm && ort <= k.anfangMm + k.laengeMm;
    }
    // Whether contact `nummer` is occupied just past edge `ort` in the direction of travel.
    bool belegtAn(int nummer, double ort, bool vorwaerts) const
    {
        const double danach = ort + (vorwaerts ? 1e-6 : -1e-6);
        for (const Kontaktort &k : m_kontakte)
            if (k.nummer == nummer && danach > k.anfangMm && danach < k.anfangMm + k.laengeMm)
                return true;
        return false;
    }

    QList<Kontaktort> m_kontakte;
    double m_laenge;
    double m_ort;
    Fahrkurve m_kurve;
    double m_v = 0; // mm/s now, forwards above 0
    double m_anteil = 0;
    bool m_vorwaerts = true;
    qint64 m_zeit = 0;
    bool m_zeitGesetzt = false;
    QList<int> m_belegt;
};

} // namespace trabolin::sim

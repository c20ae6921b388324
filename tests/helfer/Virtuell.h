#pragma once
// Test doubles for the run logic: a clock that runs in virtual time, a port that
// records every write with its virtual time, a sound that records what it plays
// and a set of controls held in plain fields.
#include "program/Umgebung.h"

#include <QList>
#include <coroutine>
#include <functional>
#include <limits>
#include <list>
#include <map>

namespace trabolin::test {

class VirtuelleZeit : public Zeitbasis {
public:
    qint64 jetzt = 0;                       // virtual milliseconds since the start
    QTime tagesbeginn = QTime(12, 0, 0);    // time of day at jetzt == 0
    int ereignisrunden = 0;                 // how often events were processed

    // Runs `aktion` as an event at virtual time `zeitpunkt`.
    void bei(qint64 zeitpunkt, std::function<void()> aktion);

    QTime tageszeit() const override;
    qint64 monotonMs() const override { return jetzt; }
    // Runs the events that are due now.
    void verarbeiteEreignisse();
    // Moves the clock on to the end of the wait, running each event as its time
    // comes, and ends without suspending: the run goes on in the caller's stack, so
    // a test's click on "starten" returns when the run has ended.
    QCoro::Task<> warte(int dauerMs, std::function<bool()> abbruch) override;
    void wecke() override {}

protected:
    // A run that never ends would hang the test until its time limit: after this many
    // steps of the clock the test program stops at once with a message instead.
    static constexpr qint64 hoechstensSchritte = 1'000'000;
    void zaehleSchritt() const;

    mutable qint64 m_schritte = 0;
    std::multimap<qint64, std::function<void()>> m_ereignisse;
};

// A clock in virtual time whose waits suspend, as the real clock's do, so that several
// runs go on side by side: a click on "starten" returns at the run's first wait, and
// laufe() then moves the clock from one deadline or event to the next, resuming each
// wait when its time has come, or at once when it was woken. At one moment a woken
// wait goes first, then the events due, then the waits due in the order they began.
class GleichzeitigeZeit : public VirtuelleZeit {
public:
    QCoro::Task<> warte(int dauerMs, std::function<bool()> abbruch) override;
    void wecke() override;
    // Runs until nothing waits and no event is left, or until the clock would pass `bis`.
    void laufe(qint64 bis = std::numeric_limits<qint64>::max());
    // How many waits are suspended now.
    int wartende() const { return int(m_warten.size()); }

private:
    struct Warte;
    struct Schlaf;
    std::list<Warte *> m_warten;
    quint64 m_begonnen = 0;
};

// A virtual clock lent to an owner that wants its own (the window): every call goes
// to the test's clock, which outlives it.
class GelieheneZeit : public Zeitbasis {
public:
    explicit GelieheneZeit(VirtuelleZeit &zeit) : m_zeit(zeit) {}
    QTime tageszeit() const override { return m_zeit.tageszeit(); }
    qint64 monotonMs() const override { return m_zeit.monotonMs(); }
    QCoro::Task<> warte(int dauerMs, std::function<bool()> abbruch) override
    {
        return m_zeit.warte(dauerMs, std::move(abbruch));
    }
    void wecke() override { m_zeit.wecke(); }

private:
    VirtuelleZeit &m_zeit;
};

struct Schreibvorgang {
    qint64 zeit;
    QByteArray bytes;
};

class Mitschrift : public Ausgabe {
public:
    explicit Mitschrift(VirtuelleZeit &zeit) : m_zeit(zeit) {}
    QList<Schreibvorgang> vorgaenge;
    qint64 schreibMs = 0; // how far each write moves the clock on, as a slow port does
    void schreibe(const QByteArray &b) override { vorgaenge.append({m_zeit.jetzt, b}); m_zeit.jetzt += schreibMs; }

private:
    VirtuelleZeit &m_zeit;
};

class KlangMitschrift : public Klang {
public:
    explicit KlangMitschrift(const VirtuelleZeit &zeit) : m_zeit(zeit) {}
    QList<QPair<qint64, QString>> gespielt;
    void spiele(const QString &datei) override { gespielt.append({m_zeit.jetzt, datei}); }

private:
    const VirtuelleZeit &m_zeit;
};

struct TestBedienfeld : Bedienfeld {
    QString adresse = QStringLiteral("24");
    int option = 0;
    bool mitEndlos = false;
    bool mitSignal = false;
    bool mitKmh = false; // "Fahrstufe in km/h"
    QString start;
    QString lauf;
    int pieptoene = 0;

    QString adresseText() const override { return adresse; }
    int zentraleOption() const override { return option; }
    bool endlos() const override { return mitEndlos; }
    bool signal() const override { return mitSignal; }
    bool kmh() const override { return mitKmh; }
    QString startzeit() const override { return start; }
    void setzeStartzeit(const QString &t) override { start = t; }
    void setzeLaufzeit(const QString &t) override { lauf = t; }
    void piepe() override { ++pieptoene; }
};

} // namespace trabolin::test

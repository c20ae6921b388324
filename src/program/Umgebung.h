#pragma once
// The small interfaces through which the run logic reaches the outside world:
// the serial port, the clock with its event-processing wait, the sound and the
// controls of the main window. The program wires in the real ones; the tests wire
// in doubles so that a long line runs in virtual time with every byte recorded.
#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>
#include <QTime>
#include <functional>

namespace trabolin {

// Where the commands for the serial command stations go.
class Ausgabe {
public:
    virtual ~Ausgabe() = default;
    // One write of the whole byte string, unchanged. A port that is not open, or
    // that has vanished, takes nothing and reports nothing.
    virtual void schreibe(const QByteArray &bytes) = 0;
};

// The clock and the wait.
class Zeitbasis {
public:
    virtual ~Zeitbasis() = default;
    // The time of day, for the start and running times.
    virtual QTime tageszeit() const = 0;
    // Milliseconds on a monotonic clock, from an arbitrary origin: the time base of
    // a run's schedule. Never goes back, whatever happens to the time of day.
    virtual qint64 monotonMs() const = 0;
    // Waits `dauerMs` (at least 0) milliseconds as a coroutine: the caller is
    // suspended and the window's event loop runs on (no nested event loop). Lets the
    // event loop run at least once, and ends as soon as `abbruch` is true when it is
    // woken or when the time has run out, whichever comes first. Never ends before
    // the time has run out unless `abbruch` is true. Several waits may run at once.
    virtual QCoro::Task<> warte(int dauerMs, std::function<bool()> abbruch) = 0;
    // Wakes every running warte() so that it looks at its `abbruch` again at once.
    // Called whenever the stop flag is raised, so an event-driven wait needs no polling.
    virtual void wecke() = 0;
};

// Sound: plays a WAV file from the program's directory without waiting.
class Klang {
public:
    virtual ~Klang() = default;
    // Plays `datei` ("Signal.wav" or "ring.wav"); a sound still playing is cut off.
    // A file that cannot be played gives the system beep instead; nothing is reported.
    virtual void spiele(const QString &datei) = 0;
};

// The controls of the main window that the run logic reads and writes.
class Bedienfeld {
public:
    virtual ~Bedienfeld() = default;
    virtual QString adresseText() const = 0;     // txtAdresse
    virtual int zentraleOption() const = 0;      // optZentrale: 0 and up, or -1 for none
    virtual bool endlos() const = 0;             // chkEndlos
    virtual bool signal() const = 0;             // chkSignal
    virtual bool kmh() const { return false; }   // "Fahrstufe in km/h"
    virtual QString startzeit() const = 0;       // lblStartzeit
    virtual void setzeStartzeit(const QString &text) = 0;
    virtual void setzeLaufzeit(const QString &text) = 0; // lblLaufzeit
    virtual void piepe() = 0;                    // the system beep
};

} // namespace trabolin

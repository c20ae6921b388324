#pragma once
// What a station driver sees of the run logic: the one wait, the stop flag, the
// table with its current line, the address, the running time and the sounds. The
// run logic (Ablauf) provides it; a driver never reaches the window or the run's
// own state behind it.
#include "program/Lok.h"
#include "program/Programmzeile.h"
#include "program/Tabelle.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <functional>
#include <limits>

namespace trabolin {

// A millisecond count clamped into the range of a wait.
inline int alsWartezeit(qint64 ms)
{
    return static_cast<int>(qBound(qint64(std::numeric_limits<int>::min()), ms,
                                   qint64(std::numeric_limits<int>::max())));
}

// Wait times of a table line: the "Dauer" value in seconds for the units "s" and
// "S", in minutes for every other unit; clamped to the range of a wait.
inline int wartezeitMs(qint64 dauer, const QString &einheit)
{
    return alsWartezeit(dauer * ((einheit == u"s" || einheit == u"S") ? 1000 : 60000));
}

class Zentralentreiber;

class Laufkontext {
public:
    virtual ~Laufkontext() = default;

    // The one wait every driver uses: `dauerMs` milliseconds, cut short by the stop
    // flag, in which case the driver that drives sends its stop
    // (Zentralentreiber::stoppNachWarten). A coroutine: the caller is suspended and
    // the main event loop runs on, so no box or dialog can hold the wait. Inside a
    // run or a single line the run's own waits end on the deadlines of its schedule
    // (Zeitplan), counted from its start, not from the moment the wait is called.
    virtual QCoro::Task<> subWarten(int dauerMs) = 0;

    // The wait of a contact line: until contact `kontakt` of the station that drives
    // reports occupied (its first change to occupied from now on), cut short by the
    // stop flag as subWarten is. When the contact does not come within the time
    // limit ("Kontakt-Zeitgrenze"), the run ends as the layout ends it: the stop flag
    // is raised, the locomotive's stop goes out at once and the window tells the user.
    // The next line's time counts from the moment the wait ends.
    virtual QCoro::Task<> subWartenAufKontakt(int kontakt) = 0;

    // A wait outside the table's schedule, for a station's answer: at most
    // `hoechstensMs`, or until `bis` holds, looked at again whenever weckeWarten() is
    // called; cut short by the stop flag and the end as subWarten is, without a stop.
    virtual QCoro::Task<> warteAufAntwort(int hoechstensMs, std::function<bool()> bis) = 0;
    virtual void weckeWarten() = 0;

    // The wait after a line's commands: for its contact when it has one, else its time.
    QCoro::Task<> warteZeileAus(int kontakt, int warteMs)
    {
        return kontakt > 0 ? subWartenAufKontakt(kontakt) : subWarten(warteMs);
    }

    // The one gate of every command for a locomotive, asked by the driver right
    // before it writes one to `lok` on its station. A stop (Wirkung::haelt) always
    // passes; a command that drives passes only while a run or single line goes on
    // and no stop has been decided since its start (the stop latch). The run keeps
    // here which locomotives got a speed above 0 and have not been stopped since.
    // False: the command must not go out (the driver drops it silently).
    virtual bool durchlassen(Zentralentreiber &treiber, const Lok &lok, Wirkung wirkung) = 0;

    // The stop flag, raised by "St&op" and when the layout ends the run (its track
    // power goes off, a short circuit, an emergency stop, a lost link); the run logic
    // lowers it.
    virtual bool stopp() const = 0;
    // True when the layout (or the program's own "Power of&f") raised the stop flag:
    // the locomotive is then stopped in the direction of the line that was running,
    // so that its lights do not change when the power returns.
    virtual bool haltDurchAnlage() const = 0;
    // True once the window is closing: nothing more may be sent.
    virtual bool beendet() const = 0;

    // The table store; its current line is the line under the grid's cursor.
    virtual Tabellenspeicher &tabelle() = 0;
    // What the locomotive's profile makes of the lines of the pass or single line
    // going on (distance lines, "Fahrstufe in km/h"); taken at its start.
    virtual Fahrmass fahrmass() const { return {}; }
    // A line of the table as the driver with `lesart` drives it now.
    Programmzeile liesZeile(int zeile, const Lesart &lesart) { return leseProgrammzeile(tabelle(), zeile, lesart, fahrmass()); }

    // The address as read at the start of the pass or of the single line: the text
    // and its number (held within the 16-bit range).
    virtual QString adresseText() const = 0;
    virtual qint16 adresseNummer() const = 0;

    // The unit of the last line with a "Dauer" text in this run, kept across its
    // passes; empty at the start of a run.
    virtual QString &gemerkteEinheit() = 0;

    // Writes the running time since the start time into "Laufzeit".
    virtual void aktualisiereLaufzeit() = 0;
    // "akustisches Signal bei Programmende" is ticked.
    virtual bool signal() const = 0;
    // "Signal.wav" when that box is ticked.
    virtual void spieleEndsignal() = 0;
    // "ring.wav" three times, one second apart.
    virtual QCoro::Task<> spieleRing() = 0;
};

} // namespace trabolin

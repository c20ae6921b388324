#pragma once
// What the run logic asks of a command station. Each kind of station has one driver
// in its own folder under stations/; the run logic keeps only what all of them
// share (run state, stop flag, the wait, the times, the end sound) and hands the
// station's own work to the driver of the station selected at that moment.

namespace trabolin {

class Zentralentreiber {
public:
    virtual ~Zentralentreiber() = default;

    // "&starten": drives the table from the grid's current line until the run is
    // over. The run logic has already written the start time, lowered the stop
    // flag and read the address. Returns whether the end sound is due now (when
    // "akustisches Signal bei Programmende" is ticked): false leaves it out.
    virtual bool fahreProgramm() = 0;

    // "aktuelle &Zeile ": sends the current line, waits out its duration and stops
    // the locomotive. The ring sequence that follows is the run logic's; it sounds
    // only when this returns true, so a line that never went out (no link to the
    // station) does not ring as if it had been driven.
    virtual bool sendeZeile() = 0;

    // The stop action of a wait that the stop flag has cut short.
    virtual void stoppNachWarten() = 0;

    // "Power of&f" (index 0) and "Power o&n" (index 1).
    virtual void power(int index) = 0;

    // The window closes while a run or a single line is going on: the locomotive
    // is stopped now, before the port or the link is closed.
    virtual void stoppBeimSchliessen() = 0;
};

} // namespace trabolin

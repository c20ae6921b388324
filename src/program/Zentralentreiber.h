#pragma once
// What the run logic asks of a command station. Each kind of station has one driver
// in its own folder under stations/ and one row in the station registry; the run
// logic keeps what all of them share (run state, stop flag, the wait, the passes,
// the times, the end sound) and asks the driver of the station selected at that
// moment for the station's own work.
#include "program/Lok.h"
#include "program/Programmzeile.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>
#include <functional>

namespace trabolin {

// How a pass of a run ended.
struct Passergebnis {
    enum class Ende {
        regulaer,   // at an empty "Dauer" or after line 25: the run goes on or ends normally
        gestoppt,   // a stop ended the run and the station's stop went out: one end sound
        abgebrochen // the run ends without an end sound (closing, no link, the 6021 stop)
    };
    Ende ende = Ende::regulaer;
    bool gefahren = false; // at least one line was driven
};

// How a reply of a network station reads.
enum class Antwortwertung {
    keine,  // neither an error nor a success: nothing changes
    fehler, // red field, run buttons disabled
    ok,     // green field, run buttons enabled
};

class Zentralentreiber {
public:
    virtual ~Zentralentreiber() = default;

    // The locomotive a pass or single line on this station drives: the address as
    // read at its start and the station's own settings that pick the locomotive or
    // shape its frames. Taken once at the start; the pass uses nothing else.
    virtual Lok nimmLok(const QString &text, qint16 nummer) const { return {text, nummer}; }

    // One pass of a run from `startzeile` to an empty "Dauer" or line 25, driving
    // `lok`. The run logic has written the start time and lowered the stop flag. A
    // coroutine: its waits suspend it on the main event loop.
    virtual QCoro::Task<Passergebnis> fahrePass(int startzeile, Lok lok) = 0;
    // True when every pass writes a new start time (the running time starts again
    // from 00:00:00), false when the start time is written once per run.
    virtual bool startzeitJePass() const { return false; }
    // The program has ended without endless mode; the run's end sound follows.
    virtual QCoro::Task<> programmende() { co_return; }

    // "aktuelle &Zeile ": sends the current line, waits out its duration and stops
    // the locomotive. The ring sequence that follows is the run logic's; it sounds
    // only when this returns true, so a line that never went out (no link to the
    // station) does not ring as if it had been driven.
    virtual QCoro::Task<bool> sendeZeile(Lok lok) = 0;

    // Sends what `zeile` sets, on its own and without its wait, to `lok`: its speed
    // step in its direction (on the 6051 path a change of direction for a line with
    // `richtungswechsel`). For the measuring run, which times the locomotive between
    // two contacts; it passes the same gate as a run. False when it could not go out.
    virtual QCoro::Task<bool> fahreLok(Lok lok, Programmzeile zeile)
    {
        (void)lok, (void)zeile;
        co_return false;
    }

    // True when a line's unit does not give the direction: the locomotive keeps its
    // own and a change is a command of its own (the 6051 path, "f"/"F").
    virtual bool wechseltRichtungEigens() const { return false; }

    // The stop action of a wait that the stop flag has cut short.
    virtual void stoppNachWarten() = 0;

    // "Power of&f" (index 0) and "Power o&n" (index 1).
    virtual void power(int index) = 0;

    // Stops `lok` at once, with what "St&op" ends in on this station: at every end of
    // a run or single line that left it moving, when the window closes, and when a
    // run moves on to another station or locomotive.
    virtual void stoppeLok(const Lok &lok) = 0;
    // The layout has ended the run or single line (track off, short circuit, the
    // station's own stop, a lost link): stops the locomotive of the pass going on at
    // once, from the code that read the report, in the direction it drove, so that
    // its lights do not change when the power returns. The halt of the pass at its
    // next line follows as before and may repeat it.
    virtual void halteDurchAnlage(const Lok &lok) { stoppeLok(lok); }

    // True when the station reads the layout's feedback contacts: only then may a
    // table with contact lines ("k"/"K") run on it.
    virtual bool liestKontakte() const { return false; }
    // A contact line waits for contact `nummer` on this station; 0 when the wait is
    // over. A station that reports its contacts by itself has nothing to do; one that
    // must be asked polls it while the line waits, and only then.
    virtual void beobachteKontakt(int nummer) { (void)nummer; }

    // The serial port has just been opened for this station (at start-up or by
    // "Parameter setzen"); a station that can be asked for its state asks now.
    virtual void schnittstelleGeoeffnet() {}

    // Bytes the serial port read while this station is selected; a station that
    // reports the layout's state on the port reads them.
    virtual void empfange(const QByteArray &bytes) { (void)bytes; }

    // The shared controls, handed over whenever they change: "Fahrstufen" (index
    // 0 to 3 of "14", "27", "28", "128", -1 for none) and "USB-Interface". A station
    // whose row does not enable them leaves them alone.
    virtual void setzeFahrstufen(int index) { (void)index; }
    virtual void setzeUsbInterface(bool an) { (void)an; }
    // The highest Fahrstufe the station drives in the mode chosen now; a line above
    // it drives at it. 0: the station has no such top of its own.
    virtual int hoechsteFahrstufe() const { return 0; }
    // The "Fahrstufen" mode `lok` is driven in, for the key of its measured profile:
    // the choice's text ("14", "27", "28", "128") where the station takes it, else the
    // top step the station drives.
    virtual QString fahrstufenmodus(const Lok &lok) const
    {
        static const char *const modi[] = {"14", "27", "28", "128"};
        if (lok.fahrstufen >= 0 && lok.fahrstufen < 4)
            return QString::fromLatin1(modi[lok.fahrstufen]);
        return QString::number(hoechsteFahrstufe() > 0 ? hoechsteFahrstufe() : 127);
    }

    // The buttons of a network station: "Lokliste einlesen", "Kontrolle übernehmen"
    // (false when the link was not connected) and the judgement of a reply.
    virtual void leseLokliste() {}
    virtual QCoro::Task<bool> uebernehmeKontrolle(QString kennung)
    {
        (void)kennung;
        co_return true;
    }
    virtual Antwortwertung bewerteAntwort(const QString &antwort) const
    {
        (void)antwort;
        return Antwortwertung::keine;
    }

    // Before a run or a single line of one of several programs drives `lok`: a
    // station on which a locomotive must be taken first (the ECoS's control) takes it.
    // False when it was refused or not answered: nothing is driven, and the driver has
    // told the user through `hinweis`.
    virtual QCoro::Task<bool> sichereLok(Lok lok)
    {
        (void)lok;
        co_return true;
    }

    // Called when a command could not go out because the link is not connected;
    // the handler then ends. The window tells the user once, after the run.
    std::function<void()> nichtVerbunden;
    // Called when a run or a single line sends nothing because the settings do not
    // fit the station, with the text that tells the user why; the handler then ends.
    // The window shows it once, after the run.
    std::function<void(const QString &text)> hinweis;
};

} // namespace trabolin

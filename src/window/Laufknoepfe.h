#pragma once
#include <QObject>
#include <functional>

class QPushButton;

namespace trabolin {

class Ablauf;
class Fahrbetrieb;

// The run buttons: "&starten" and "aktuelle &Zeile " act on the current program,
// "St&op" stops every program, as it goes down. The port or the station's replies
// decide whether they can be used; "St&op" stays enabled whatever they decide while a
// program runs or sends a single line, so a driving locomotive can always be stopped,
// and afterwards it shows their last decision again.
class Laufknoepfe : public QObject {
    Q_OBJECT
public:
    // `stopp` is a Stoppknopf; `aktuell` is the current program's run.
    Laufknoepfe(QPushButton *start, QPushButton *stopp, QPushButton *zeile, Fahrbetrieb &betrieb,
                std::function<Ablauf &()> aktuell, QObject *eltern);

    // What the port or the station's replies decide.
    void setzeFreigabe(bool aktiv);
    // Shows "St&op" as the last decision and the runs going on want it.
    void zeigeStopp();

private:
    // A run or single line begins (a click during one is refused by the run logic):
    // from here on the locomotive can always be stopped.
    void haltStoppBereit();

    QPushButton *m_start;
    QPushButton *m_stopp;
    QPushButton *m_zeile;
    Fahrbetrieb &m_betrieb;
    std::function<Ablauf &()> m_aktuell;
    bool m_freigabe = false; // what the port or the station last decided
};

} // namespace trabolin

#pragma once
// What every driving program on the one station link shares: the clock, what the
// layout reports (the track state and the contacts of each station), the list of
// programs, and the stops that concern all of them ("St&op", "Power of&f", closing).
// Each program's run (Ablauf) keeps its own table, address, schedule, stop flag and
// moved locomotives; it never reads another program's state, it only asks here
// whether its locomotive is driven by another program already.
#include "program/Gleiszustand.h"
#include "program/Lok.h"
#include "program/Lokprofil.h"
#include "program/Umgebung.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

namespace trabolin {

class Ablauf;

class Fahrbetrieb : public QObject {
    Q_OBJECT
public:
    explicit Fahrbetrieb(Zeitbasis &zeit, QObject *parent = nullptr);
    ~Fahrbetrieb() override;

    Zeitbasis &zeit() const { return m_zeit; }

    // Where the driver or link of station option `option` (0 and up, the order of
    // the station registry) reports what the layout says. Every report reaches every
    // program: each one that drives on that station ends on a report that stops the
    // track (Gleiszustand.h), and a contact ends the waits of every program that
    // waits for it.
    Gleismelder &gleismelder(int option);
    // What the layout of station option `option` says now.
    Gleiszustand gleiszustand(int option) const;
    // What contact `nummer` of station option `option` last reported: occupied,
    // free, or nothing yet.
    std::optional<bool> kontaktzustand(int option, int nummer) const;

    // The station codes ("Z21"), by option: the first part of a profile's key.
    void setzeStationscodes(const QStringList &codes) { m_codes = codes; }
    QString stationscode(int option) const { return m_codes.value(option); }
    // The measured profiles of the locomotives ("Lokprofile.ini"); a run takes the one
    // of its locomotive at its start.
    void setzeLokprofile(const QList<Lokprofil> &profile) { m_profile = profile; }
    const QList<Lokprofil> &lokprofile() const { return m_profile; }
    const Lokprofil *lokprofil(const Profilschluessel &schluessel) const;

    // When contact `nummer` of station option `option` last changed to `belegt` as a
    // change counts (from a state known before, or an event), on the clock's
    // monotonic time; none before the first such change.
    std::optional<qint64> letzterWechsel(int option, int nummer, bool belegt) const;

    // The programs, in the order they were made (program 1 first).
    const std::vector<Ablauf *> &programme() const { return m_programme; }
    // The number (from 1) of the program `programm` is.
    int nummerVon(const Ablauf &programm) const;
    // How many programs there are.
    int anzahl() const { return int(m_programme.size()); }
    // The number of the program other than `ausser` whose run or single line drives
    // `lok` on station option `option` now; 0 when none does.
    int faehrtSchon(const Ablauf &ausser, int option, const Lok &lok) const;
    // True while any program runs or sends a single line.
    bool laeuftEtwas() const;

    // "Alle starten": every program that does not run and has a first line starts from
    // line 1, all on one schedule start, so that tables of equal length stay in step.
    void alleStarten();
    // "St&op": the run or single line of every program ends at once; each stops the
    // locomotives it moved.
    void stoppAlle();
    // The run of every program that drives on station option `option` ends now, as
    // "St&op" ends it (a lost link: the stop that follows finds no link).
    void stoppAufStation(int option);
    // "Power of&f": the run of every program ends as the layout would end it, with its
    // stop at once, before the track command goes out.
    void powerAus();
    // The window closes: every program stops its locomotives, then nothing more goes out.
    void beenden();

signals:
    // Station option `option` reported a new track state.
    void gleiszustandGeaendert(int option);
    // Contact `nummer` of station option `option` changed.
    void kontaktGeaendert(int option, int nummer, bool belegt);

private:
    friend class Ablauf;
    class Melder;
    void nimmAuf(Ablauf &programm);
    void gibAb(Ablauf &programm);
    void meldeGleis(int option, Gleiszustand zustand);
    void meldeKontakt(int option, int nummer, bool belegt, bool ereignis);

    Zeitbasis &m_zeit;
    std::vector<Ablauf *> m_programme;
    std::vector<std::unique_ptr<Melder>> m_melder; // per option
    std::vector<Gleiszustand> m_gleis;             // per option, as last reported
    std::vector<QHash<int, bool>> m_kontakte;      // per option: each contact as last reported
    QHash<qint64, qint64> m_wechsel; // by option, contact and state: when it last changed to it
    QStringList m_codes;
    QList<Lokprofil> m_profile;
};

} // namespace trabolin

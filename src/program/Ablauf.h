#pragma once
// The run logic for the driving program: the shared run state, the one wait with
// its stop action, the run pass after pass, the single line, the running time and
// the sounds. What a command station does with a pass or a line is its driver's
// work (Zentralentreiber.h); each pass goes to the driver of the station selected
// when it starts.
#include "program/Fahrbetrieb.h"
#include "program/Gleiszustand.h"
#include "program/Laufkontext.h"
#include "program/Tabelle.h"
#include "program/Umgebung.h"
#include "program/Zeitplan.h"
#include "program/Zentralentreiber.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace trabolin {

// The run state shared by the run, the single line, the drivers and the wait.
struct Laufzustand {
    QString adresseText;   // txtAdresse as read at the start of a pass or single line
    qint16 adresseNummer = 0;
    bool stopp = false;    // the stop flag, raised only by the stop button
    QString gemerkteEinheit; // unit of the last line with a "Dauer" text in this run
};

class Ablauf : public QObject, public Laufkontext {
    Q_OBJECT
public:
    // A program on its own, with a Fahrbetrieb of its own on `zeit`.
    Ablauf(Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Zeitbasis &zeit, Klang &klang,
           QObject *parent = nullptr);
    // One of the programs of `betrieb`, on its clock and link.
    Ablauf(Fahrbetrieb &betrieb, Tabellenspeicher &tabelle, Bedienfeld &bedienfeld, Klang &klang,
           QObject *parent = nullptr);
    ~Ablauf() override;

    Fahrbetrieb &betrieb() const { return m_betrieb; }

    // The driver of station option `option` (0 and up, the order of the station
    // registry); not owned, it must outlive every run. An option without a driver
    // sends nothing.
    void setzeTreiber(int option, Zentralentreiber *treiber);
    // The driver of the station selected now, or nullptr.
    Zentralentreiber *treiber() const;
    // The driver that drives now: that of the running pass or single line, else the
    // selected one. A stop goes to it, so no stop bytes reach the wrong station.
    Zentralentreiber *aktiverTreiber() const;
    // The option of the station that drives now (see aktiverTreiber), -1 for none.
    int aktiveOption() const { return optionVon(aktiverTreiber()); }
    // True while this program's run or single line drives `lok` on station option `option`.
    bool faehrt(int option, const Lok &lok) const;
    // The locomotives the run gave a speed above 0 and that have had no stop since,
    // each with the driver of the station it was driven on.
    const std::vector<std::pair<Zentralentreiber *, Lok>> &bewegte() const { return m_bewegt; }

    Laufzustand &zustand() { return m_zustand; }

    // True while a run ("starten") or a single line is going on.
    bool laeuft() const { return m_laeuft; }
    // True while what goes on is a measuring run (fahreMessung): no line of the table runs.
    bool misst() const { return m_laeuft && m_misst; }

    // Click on "St&op": raises the stop flag; the running wait ends at once.
    void stoppKlick();

    // Where the driver (or link) of station option `option` reports what the layout
    // says. A run or single line on that station ends on a report that stops the
    // track (Gleiszustand.h), as "St&op" ends it but without an end sound: the
    // station's stop goes out at once, from the report (Zentralentreiber::
    // halteDurchAnlage), whatever modal box is open, and `angehalten` follows; power
    // coming back starts nothing.
    Gleismelder &gleismelder(int option);
    // What the layout of the selected station, or of station option `option`, says now.
    Gleiszustand gleiszustand() const;
    Gleiszustand gleiszustand(int option) const;
    // What contact `nummer` of the selected station, or of station option `option`,
    // last reported: occupied, free, or nothing yet.
    std::optional<bool> kontaktzustand(int nummer) const;
    std::optional<bool> kontaktzustand(int option, int nummer) const;
    // The contact the running line waits for, 0 when none.
    int wartetAufKontakt() const { return m_kontaktwarte ? m_kontaktwarte->kontakt : 0; }

    // The key of the profile of the locomotive the address field names on station
    // option `option` now: its station code, the address as typed (trimmed) and its
    // "Fahrstufen" mode, the choice's text where the station has one ("128"), else
    // the top step it drives ("14" on the 6051, "127" on the ECoS).
    Profilschluessel profilschluessel(int option) const;
    // The top step a measurement goes up to on station option `option`: the station's
    // own top in the mode chosen, else that of the mode (14, 27, 28, 126), else 14 on
    // the 6051 path and 127 on the others.
    int hoechsteMessstufe(int option) const;

    // What a measuring run gets from a wait for a contact.
    struct Kontaktankunft {
        enum class Art { gemeldet, zeitgrenze, gestoppt } art = Art::gestoppt;
        qint64 ms = 0; // when the report was read, on the clock's monotonic time
    };
    // A measuring run drives this program's locomotive on the selected station as a
    // run would: refused with a beep while one goes on, refused when the layout
    // forbids driving or another program drives the locomotive; otherwise it counts as
    // a single line going on (laufBeginnt(true)), "St&op", "Power of&f", a report
    // that stops the track and closing end it as they end a run, and every
    // locomotive it moved gets its stop at its end. `messung` drives it through the
    // driver and waits with warteAufKontakt.
    QCoro::Task<> fahreMessung(std::function<QCoro::Task<>(Zentralentreiber &treiber, Lok lok)> messung);
    // Waits until contact `kontakt` of the station that drives has changed to
    // `belegt` (from a state known before, or by an event the station sent by itself)
    // at `seitMs` or later on the clock's monotonic time, at most `grenzeMs`; cut
    // short by the stop flag. A change that came before the wait began (while the
    // command that set the locomotive going was still being sent) counts. Polls the
    // contact where the station must be asked.
    QCoro::Task<Kontaktankunft> warteAufKontakt(int kontakt, bool belegt, int grenzeMs, qint64 seitMs);

    // "Kontakt-Zeitgrenze": how long a contact line waits at most for its contact,
    // in seconds (at least 1). Taken when a contact line starts waiting.
    void setzeKontaktZeitgrenze(int sekunden) { m_kontaktgrenzeS = qMax(1, sekunden); }
    int kontaktZeitgrenze() const { return m_kontaktgrenzeS; }

    // Click on "&starten" and on "aktuelle &Zeile ": the run or line starts and goes
    // on as a coroutine on the main event loop; the click returns at its first wait.
    // laufEndet tells when it has ended.
    void btnStart_Click();
    void btnSendZeile_Click();
    // "starten" from line 1 with its schedule counted from `startMs` on the clock's
    // monotonic time, for "Alle starten" (Fahrbetrieb::alleStarten). Nothing when line 1
    // has no "Dauer".
    void starteAbZeile1(qint64 startMs);

    // Click on "Power of&f" (index 0) or "Power o&n" (index 1). "Power of&f" during a
    // run or single line is the user's choice to end it: it ends as the layout ends
    // it, without a message.
    void btnPower_Click(int index);

    // The run or single line going on ends at once, as "St&op" ends it, but the
    // locomotive's stop goes out here and now, not when the running wait next looks
    // at the stop flag: for a handler that opens a box or replaces the table while
    // the run waits. Nothing when nothing runs.
    void halteAn();

    // The window closes: a run or single line still going on stops the locomotive
    // through the driver that drives it; then every wait returns at once and every
    // run ends without sending anything more.
    void beenden();

    // "hh:mm:ss" for a number of seconds; hours are not limited to 24.
    static QString ermittleZeittext(int sekunden);

    // Writes the time of day into lblStartzeit.
    void setzeStartzeit();
    // Reads txtAdresse into the address text and number of the run state.
    void leseAdresse();

    // --- what the drivers see (Laufkontext)
    QCoro::Task<> subWarten(int dauerMs) override;
    QCoro::Task<> warteAufAntwort(int hoechstensMs, std::function<bool()> bis) override;
    void weckeWarten() override;
    QCoro::Task<> subWartenAufKontakt(int kontakt) override;
    bool durchlassen(Zentralentreiber &treiber, const Lok &lok, Wirkung wirkung) override;
    bool stopp() const override { return m_zustand.stopp; }
    bool haltDurchAnlage() const override { return m_halt.has_value(); }
    bool beendet() const override { return m_beendet; }
    Tabellenspeicher &tabelle() override { return m_tabelle; }
    Fahrmass fahrmass() const override { return {m_profil ? &*m_profil : nullptr, m_kmh}; }
    QString adresseText() const override { return m_zustand.adresseText; }
    qint16 adresseNummer() const override { return m_zustand.adresseNummer; }
    QString &gemerkteEinheit() override { return m_zustand.gemerkteEinheit; }
    void aktualisiereLaufzeit() override;
    bool signal() const override { return m_bedienfeld.signal(); }
    void spieleEndsignal() override;
    QCoro::Task<> spieleRing() override;

signals:
    // The state of the selected station's layout has changed.
    void gleiszustandGeaendert();
    // The layout has ended the run or single line that is going on (not the
    // program's own "Power of&f"); `ursache` is what it reported.
    void angehalten(Gleiszustand ursache);
    // "starten" or "aktuelle Zeile" was refused: the layout of the selected station
    // says `zustand`, in which no locomotive may be sent a speed.
    void gesperrt(Gleiszustand zustand);
    // "starten" or "aktuelle Zeile" was refused: the lines to be driven have contact
    // lines and the selected station reads no contacts.
    void ohneKontakte();
    // "starten" or "aktuelle Zeile" was refused: program number `programm` drives
    // the same locomotive (`lok`, its address as typed) on this station now.
    void lokBelegt(int programm, const QString &lok);
    // A contact of the selected station has changed.
    void kontaktGeaendert(int nummer, bool belegt);
    // A contact line begins to wait for `kontakt`, or its wait is over (0).
    void kontaktwarteGeaendert(int kontakt);
    // "starten" or "aktuelle Zeile" was refused: the lines to be driven need the
    // locomotive's measured profile (distance lines, "Fahrstufe in km/h"), and it has
    // none on this station, or one that does not move it at a distance line's step.
    void profilFehlt(const QString &titel, const QString &text);
    // A contact line ended the run: its contact did not report within the time limit.
    void kontaktVerfehlt(int kontakt);
    // A run ("starten") or a single line begins, after the refusal of a second one;
    // it has ended. For the run display of the window.
    void laufBeginnt(bool einzelzeile);
    void laufEndet();

private:
    // The station and locomotive of the pass or single line going on.
    struct Passziel {
        Zentralentreiber *treiber = nullptr;
        Lok lok;
    };
    // What "&starten" and "aktuelle &Zeile " share: a second start while one is going
    // on is refused with a beep, a start the selected station's layout forbids with
    // `gesperrt`. Otherwise the run or line counts as going on, is announced, its
    // schedule starts, the stop flag is lowered and the address read; then the passes
    // or the line run, every locomotive they left moving gets its stop, and the end
    // is announced.
    // `start`: the moment on the monotonic clock its schedule counts from; now when none.
    // `messung`: a measuring run instead of the table.
    QCoro::Task<> fahre(bool einzelzeile, std::optional<qint64> start = std::nullopt,
                        std::function<QCoro::Task<>(Zentralentreiber &, Lok)> messung = {});
    // Runs the passes of a run until it ends.
    QCoro::Task<> fahrePaesse();
    // The single line on the selected station, and the ring after it.
    QCoro::Task<> fahreZeile();
    // The pass or single line that begins drives `lok` on `t`: the snapshot it keeps.
    void beginnePass(Zentralentreiber *t, const Lok &lok);
    // Joins the Fahrbetrieb: listed among its programs, told what the layout reports.
    void schliesseAn();
    // False, after `lokBelegt`, when another program drives the locomotive the
    // address field names on the selected station now.
    bool lokFrei();
    // With several programs: the station takes the locomotive before the run drives
    // it (the ECoS's control); false when it refused.
    QCoro::Task<bool> sichereLok();
    // Speed 0 for every locomotive the run moved and has not stopped since, through
    // the station it was driven on; `ausser` keeps the one the next pass drives on.
    void stoppeBewegte(const Passziel *ausser = nullptr);
    // The stop at once of the locomotive of the pass going on, then of every other
    // one the run moved: for closing, "Power of&f" and a handler ending the run.
    void stoppeAlle();
    // False, after `ohneKontakte`, when the lines about to be driven have contact
    // lines and the selected station reads no contacts.
    bool kannKontakte(bool einzelzeile);
    // False, after `profilFehlt`, when the lines about to be driven need a profile
    // the locomotive does not have.
    bool kannProfil(bool einzelzeile);
    // The lines a start is about to drive: the current one, or the pass from the
    // cursor and every later pass from line 1, read by `lesart` with `mass`.
    QList<Programmzeile> zuFahren(bool einzelzeile, const Lesart &lesart, const Fahrmass &mass = {}) const;
    // The option of driver `t`, -1 when it has none.
    int optionVon(const Zentralentreiber *t) const;
    // False, after `gesperrt`, when the selected station's layout forbids driving.
    bool darfFahren();

    std::unique_ptr<Fahrbetrieb> m_eigenerBetrieb; // a program on its own
    Fahrbetrieb &m_betrieb;
    Tabellenspeicher &m_tabelle;
    Bedienfeld &m_bedienfeld;
    Zeitbasis &m_zeit;
    Klang &m_klang;
    Laufzustand m_zustand;
    Zeitplan m_zeitplan;
    std::vector<Zentralentreiber *> m_treiber;
    std::optional<Passziel> m_pass; // the pass or single line going on
    std::vector<std::pair<Zentralentreiber *, Lok>> m_bewegt; // moved and not stopped since
    std::optional<Gleiszustand> m_halt; // what ended the run that is going on
    friend class Fahrbetrieb;
    // What the shared Fahrbetrieb passes on: station option `option` reported
    // `zustand`; contact `nummer` of it changed to occupied in a way that ends a wait.
    void gleisGemeldet(int option, Gleiszustand zustand);
    void kontaktGewechselt(int option, int nummer, bool belegt);
    // "Power of&f" ends this program's run as the layout would, with its stop at once.
    void endeDurchPowerAus();

    // The wait of a contact line going on.
    struct Kontaktwarte {
        int option = -1;
        int kontakt = 0;
        bool erreicht = false;
    };
    std::optional<Kontaktwarte> m_kontaktwarte;
    // The wait of a measuring run going on: for `belegt` at `kontakt`, and whether it came.
    struct Messwarte {
        int option = -1;
        int kontakt = 0;
        bool belegt = true;
        bool gekommen = false;
    };
    std::optional<Messwarte> m_messwarte;
    std::optional<Lokprofil> m_profil; // of the pass going on
    bool m_kmh = false;
    int m_kontaktgrenzeS = 120;
    bool m_laeuft = false;
    bool m_misst = false;
    bool m_beendet = false;
};

} // namespace trabolin

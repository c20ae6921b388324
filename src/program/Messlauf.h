#pragma once
// Measuring a locomotive's speed ("Lok einmessen"): it runs between two track
// contacts A and B at each speed step asked for and is timed from A's change to
// occupied to B's, forwards and backwards. The locomotive stands behind A, on the
// side away from B. For each step and run: forwards through A and B, stop once B is
// free again (beyond B), backwards through B and A, stop once A is free again
// (beyond A). The time is that between the arrivals of the two reports as the
// program reads them: both come over the same link, so its delay cancels. The same
// point of the train (its front forwards, its back backwards) makes both reports, so
// its length cancels too.
//
// A step whose runs differ by more than 3 % (the slowest from the fastest, of the
// mean, in either direction) is measured once more and flagged when they still do;
// a step slower than the step below it is flagged (a slipping or stalling
// locomotive). A contact that does not report within "Kontakt-Zeitgrenze" ends the
// measurement with the locomotive's stop and a message. It runs as the program's
// run does (Ablauf::fahreMessung): "St&op", "Power of&f", a track report and
// closing end it with the locomotive's stop; "&Abbrechen" stops it at once.
#include "program/Lokprofil.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace trabolin {

class Ablauf;
class Zentralentreiber;
struct Lok;

struct Messauftrag {
    int kontaktA = 1;
    int kontaktB = 2;
    int abstandMm = 0;
    QList<int> stufen;
    int durchlaeufe = 2; // runs per step and direction
    double massstab = 87;
};

// One step of the measurement, as the table shows it.
struct Messzeile {
    int stufe = 0;
    QList<double> vorwaerts;   // mm/s of each run
    QList<double> rueckwaerts;
    bool wiederholt = false;   // measured once more: its runs differed by more than 3 %
    bool unruhig = false;      // they still did
    bool langsamer = false;    // slower than the step below it
    double mittelVor() const;
    double mittelRueck() const;
    // The larger spread of the two directions: slowest from fastest, in % of the mean.
    double streuung() const;
    bool fertig = false;       // every run done
};

class Messlauf : public QObject {
    Q_OBJECT
public:
    // The most the runs of a step may differ, in percent.
    static constexpr double hoechsteStreuung = 3.0;

    explicit Messlauf(Ablauf &ablauf, QObject *parent = nullptr);

    // The list "8, 16, 32, 64, 126": the steps, ascending, each once, within 1 to
    // `hoechste`; none when the text holds anything else or nothing.
    static std::optional<QList<int>> leseStufen(const QString &text, int hoechste);
    // Eight steps spread over 1 to `hoechste`, the top one included.
    static QList<int> vorgabeStufen(int hoechste);
    // Why the task cannot be measured, in German; empty when it can.
    static QString pruefe(const Messauftrag &auftrag);

    // "&Messen": the measurement of the program's locomotive on the selected station.
    // Nothing while one goes on.
    void starte(const Messauftrag &auftrag);
    // "&Abbrechen": the locomotive stops at once and the measurement ends.
    void abbrechen();
    bool laeuft() const { return m_laeuft; }

    const QList<Messzeile> &zeilen() const { return m_zeilen; }
    // The profile of the steps measured whole, keyed for the locomotive measured.
    Lokprofil profil() const;

signals:
    // Step `index` of zeilen() has a new run or flag.
    void zeileGeaendert(int index);
    // The measurement has ended: whole (`meldung` empty), or not, with the reason
    // when it was no stop of the user's.
    void beendet(bool vollstaendig, const QString &meldung);

private:
    QCoro::Task<> messe(Zentralentreiber &treiber, Lok lok);
    // One run through both contacts at `stufe`; its speed in mm/s, or none when the
    // measurement ends (m_meldung then says why, when it was not a stop).
    QCoro::Task<std::optional<double>> fahrt(Zentralentreiber &treiber, const Lok &lok, int stufe, bool vorwaerts);

    Ablauf &m_ablauf;
    Messauftrag m_auftrag;
    QList<Messzeile> m_zeilen;
    Profilschluessel m_schluessel;
    bool m_laeuft = false;
    bool m_vollstaendig = false;
    bool m_vorwaerts = true; // the 6051 path's direction, from the locomotive's at the start
    QString m_meldung;
};

} // namespace trabolin

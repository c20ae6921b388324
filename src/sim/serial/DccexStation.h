#pragma once
// The DCC-EX station of the serial simulator, without I/O: bytes in, printed lines and
// answer bytes out. It reads the station's text commands "<...>", keeps each
// locomotive's speed, direction and F0 to F4 and the track power, and answers as the
// station (CommandStation-EX 5.x) does: "<iDCC-EX ...>" and then the power of its
// tracks to "<s>", the power broadcast after every power command (each output, "<p1 A>",
// "<p0 B>", then the tracks that are on, "<p1 MAIN>", and the whole when all agree,
// "<p1>"), the track assignments to "<=>" ("<= A MAIN>", "<= B PROG>"), the "<l ...>"
// broadcast after every locomotive command, "<# 50>" to "<#>", "<X>" to anything
// malformed. An overload
// is told only as a diagnostic line, and the output comes back by itself. After a
// start (power-on, or the reset an Arduino goes through whenever its USB port is
// opened) it is deaf and silent for a boot delay: what arrives meanwhile is lost, as on
// the real station. Its sensors are the virtual tracks' contacts (sensor n on pin
// 21 + n: 1 and 2 on pins 22 and 23 for the first track, 3 and 4 for the second, ...):
// every change goes out unasked as "<Q id>" (occupied) or "<q id>" (free), "<Q>" and
// "<s>" list the states of the tracks' sensors there are so far, "<S>" their
// definitions "<Q id vpin pullup>". Every locomotive runs on its own track (Gleise)
// at the share of step 126 it was given.
#include "sim/Gleise.h"
#include "sim/serial/Dekodierer.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <optional>

namespace trabolin::sim {

struct DccexLok {
    int adresse = 0;
    int fahrstufe = 0; // 0 to 126
    bool nothalt = false;
    bool vorwaerts = true;
    bool f[5] = {false, false, false, false, false}; // F0 (light) to F4
};

// What one step of the station gives: lines to print and bytes to send back.
struct DccexSchritt {
    QList<Ereignis> ereignisse;
    QByteArray antwort;
};

class DccexStation {
public:
    // A command without ">" this long is noise and dropped.
    static constexpr qsizetype laengsterBefehl = 256;
    // The first words of the answer to "<s>".
    static constexpr const char *kennung = "<iDCC-EX V-5.0.0 / TRABOLIN-SIM / SIMULATOR G-0000000>";
    // The overload line of MotorDriver.cpp (5.x) for the main track A.
    static constexpr const char *ueberlast =
        "<* TRACK A POWER OVERLOAD 2147mA (max 2000mA) detected after 12ms. Pause 40ms *>";

    // The answer to "<#>": MAX_LOCOS of the firmware's default configuration.
    static constexpr int lokplaetze = 50;

    explicit DccexStation(qint64 startdauerMs = 1000);

    // Power-on or reset at zeitMs: locomotives forgotten, track power off, deaf until
    // the boot delay is over.
    DccexSchritt starte(qint64 zeitMs);
    // Bytes that arrived at zeitMs.
    DccexSchritt fuettere(const QByteArray &bytes, qint64 zeitMs);
    // Time has passed: reports the end of the boot delay.
    DccexSchritt ticke(qint64 zeitMs);
    // The layout around the station at zeitMs: "aus" and "an" (its power switched by
    // hand), "kurzschluss" (an overload on the main track: the diagnostic line, and the
    // track on again after the station's pause), "prog-aus" and "prog-an" (the
    // programming track alone), "flut" (a flood of diagnostic lines and noise that
    // change nothing), "haengen" (the firmware hangs: it answers nothing more until it
    // is started again, and over the network its link stays open); each change of the
    // power is broadcast.
    DccexSchritt anlage(const QString &aktion, qint64 zeitMs);
    // When ticke() has something to report.
    std::optional<qint64> frist() const;

    bool bereit() const { return !m_startBis; }
    bool gleis() const { return m_gleis; }
    bool programmiergleis() const { return m_prog; }
    std::optional<DccexLok> lok(int adresse) const;
    const Gleise<int> &gleise() const { return m_gleise; }

private:
    // The tracks up to m_jetztMs: each sensor that changed is broadcast.
    void bewegeStrecke(DccexSchritt &schritt);
    void meldeSensoren(const QList<Gleise<int>::Wechsel> &wechsel, DccexSchritt &schritt);
    QByteArray sensorstaende() const;
    void befehl(const QByteArray &text, DccexSchritt &schritt);
    bool lokbefehl(char opcode, const QList<QByteArray> &teile, DccexSchritt &schritt,
                   const QString &roh);
    void meldeVerworfenes(DccexSchritt &schritt);
    void melde(DccexSchritt &schritt, const QString &text, bool fehler = false);
    QString zustand(const DccexLok &lok) const;
    // The power broadcast of CommandDistributor::broadcastPower.
    QByteArray stromRundruf() const;

    qint64 m_startdauerMs;
    std::optional<qint64> m_startBis; // deaf until then
    qint64 m_jetztMs = 0;
    QByteArray m_befehl;   // the command being gathered, from its "<"
    QByteArray m_verworfen; // bytes outside commands, reported at the next line end
    QByteArray m_verloren;  // bytes lost during the boot
    bool m_gleis = false; // output A, the main track
    bool m_prog = false;  // output B, the programming track
    bool m_join = false;  // the programming track drives as a main track
    bool m_haengt = false; // hung: deaf and silent until the next start
    QMap<int, DccexLok> m_loks;
    Gleise<int> m_gleise;
};

} // namespace trabolin::sim

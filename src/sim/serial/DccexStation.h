#pragma once
// The DCC-EX station of the serial simulator, without I/O: bytes in, printed lines and
// answer bytes out. It reads the station's text commands "<...>", keeps each
// locomotive's speed, direction and F0 to F4 and the track power, and answers as the
// station does: "<iDCC-EX ...>" to "<s>", "<p1>"/"<p0>" to power commands, "<l ...>"
// after every locomotive command, "<X>" to anything malformed. After a start (power-on,
// or the reset an Arduino goes through whenever its USB port is opened) it is deaf for
// a boot delay: what arrives meanwhile is lost, as on the real station.
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

    explicit DccexStation(qint64 startdauerMs = 1000);

    // Power-on or reset at zeitMs: locomotives forgotten, track power off, deaf until
    // the boot delay is over.
    DccexSchritt starte(qint64 zeitMs);
    // Bytes that arrived at zeitMs.
    DccexSchritt fuettere(const QByteArray &bytes, qint64 zeitMs);
    // Time has passed: reports the end of the boot delay.
    DccexSchritt ticke(qint64 zeitMs);
    // When ticke() has something to report.
    std::optional<qint64> frist() const;

    bool bereit() const { return !m_startBis; }
    bool gleis() const { return m_gleis; }
    std::optional<DccexLok> lok(int adresse) const;

private:
    void befehl(const QByteArray &text, DccexSchritt &schritt);
    bool lokbefehl(char opcode, const QList<QByteArray> &teile, DccexSchritt &schritt,
                   const QString &roh);
    void meldeVerworfenes(DccexSchritt &schritt);
    void melde(DccexSchritt &schritt, const QString &text, bool fehler = false);
    QString zustand(const DccexLok &lok) const;

    qint64 m_startdauerMs;
    std::optional<qint64> m_startBis; // deaf until then
    qint64 m_jetztMs = 0;
    QByteArray m_befehl;   // the command being gathered, from its "<"
    QByteArray m_verworfen; // bytes outside commands, reported at the next line end
    QByteArray m_verloren;  // bytes lost during the boot
    bool m_gleis = false;
    QMap<int, DccexLok> m_loks;
};

} // namespace trabolin::sim

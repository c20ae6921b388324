#pragma once
// The decoder of the serial station simulator: bytes in, decoded commands out, with
// no I/O of its own. It reads what Trabolin writes to a Lenz interface (XpressNet
// frames, optionally behind the USB prefix 0xFF 0xFE) or to a 6051 / IntelliBox
// interface (two-byte commands, single power bytes, "XL" text lines) and keeps the
// state of every locomotive it has seen, so that each command can be shown with the
// state it leaves behind. Every locomotive runs on its own virtual track (Gleise: the
// first to run on contacts 1 and 2, the next on 3 and 4, ...) at the share of its top
// step that its speed step gives, and the station reports the tracks' contacts as the
// real one does, one s88 numbering for all of them: the LZ100 broadcasts every change
// of a feedback nibble (42 AA DATA X) and answers the feedback request 42 AA 8N X; the
// 6051 answers the module reads 0x80 + n / 0xC0 + n (reset mode on from the start:
// a contact reads occupied once if it was occupied at any time since the last read),
// the IntelliBox XSensor (58 98 mm -> 00 high low) and XEvtSen (58 CB -> the modules
// changed since the last XEvtSen, each module high low, then 00).
#include "sim/Gleise.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>
#include <utility>

namespace trabolin::sim {

// The text of received bytes as it can be printed: control bytes and bytes above 0x7E as <xx>.
QString lesbar(const QByteArray &bytes);
// "an" or "aus", as the simulators print a switch.
QString anAus(bool an);

enum class Station { Lenz, Maerklin };

// One decoded command or one fault, with the time it was recognised.
struct Ereignis {
    qint64 zeitMs = 0;
    bool fehler = false;
    QString text; // without the time, e.g. "Fahren     Lok 3: ..." or "FEHLER: ..."
};

// " (Lok 3 bei 2800 mm)": what a contact's line adds of the locomotive that changed it.
QString streckenzusatz(int adresse, double ortMm);

// "  1234 ms  " + text: the line the simulator prints.
QString ausgabezeile(const Ereignis &ereignis);

// Everything the simulator knows about one locomotive.
struct Lok {
    int adresse = 0;
    int fahrstufe = 0;
    bool nothalt = false;
    bool vorwaerts = true;
    int stufenzahl = 0; // XpressNet speed-step mode 14/27/28/128; 0 = none given
    bool licht = false;
    bool f[4] = {false, false, false, false};
};

class Dekodierer {
public:
    // Bytes that stand still this long without completing their command are a cut
    // command: the interfaces expect a command to arrive in one piece.
    static constexpr qint64 pauseMs = 100;

    // With usbPflicht (Lenz only) a frame without the USB prefix is refused, as the
    // Lenz USB interface would; otherwise both forms are accepted.
    explicit Dekodierer(Station station, bool usbPflicht = false);

    // Bytes that arrived at zeitMs (milliseconds on any steady clock).
    QList<Ereignis> fuettere(const QByteArray &bytes, qint64 zeitMs);
    // Time has passed without new bytes: reports pending bytes whose pause has run out.
    QList<Ereignis> ticke(qint64 zeitMs);
    // When ticke() has something to report; nothing while no bytes are pending.
    std::optional<qint64> frist() const;

    // The track power as last switched; nothing before the first power command.
    std::optional<bool> gleis() const { return gleis_; }
    // The layout switched the power itself (the station's own buttons, a short circuit).
    void setzeGleis(bool an) { gleis_ = an; }
    // True once after the PC asked for the command station's status (21 24 05): the
    // LZ100 answers 62 22 S X to it.
    bool nimmStatusfrage() { return std::exchange(statusfrage_, false); }
    std::optional<Lok> lok(int adresse) const;

    // The bytes the station sends back now (answers and broadcasts), once.
    QByteArray nimmAntwort() { return std::exchange(antwort_, {}); }
    // When a locomotive reaches the next contact edge on any track, if one moves.
    std::optional<qint64> streckenfrist() const;
    const Gleise<int> &gleise() const { return gleise_; }

private:
    // The tracks up to jetztMs_: each contact that changed is printed and reported.
    void bewegeStrecke();
    void meldeKontakte(const QList<Gleise<int>::Wechsel> &wechsel);
    void fahreAufStrecke(const Lok &lok, int hoechsteStufe);
    // The LZ100's frame for the nibble of `kontakt`: 42 AA DATA X.
    QByteArray lenzRueckmeldung(int kontakt) const;
    // The 6051's or the IntelliBox's two bytes of module `modul`; `gemerkt` adds the
    // contacts occupied since the last read and forgets them.
    QByteArray modulbytes(int modul, QHash<int, bool> *gemerkt);
    void p50xBefehl(quint8 befehl, int modul);
    void zerlege(bool ende);
    void zerlegeLenz(bool ende);
    void zerlegeMaerklin(bool ende);
    bool gueltigerLenzRahmenAb(qsizetype pos) const;
    void lenzRahmen(const QByteArray &rahmen, bool vorspann);
    void xlZeile(const QByteArray &zeile);
    void verwirf(qsizetype anzahl);
    void meldeVerworfenes();
    void melde(const QString &text, bool fehler = false);
    void meldeLok(const QString &befehl, const Lok &lok);
    Lok &lokFuer(int adresse);
    QString zustand(const Lok &lok) const;

    Station station_;
    bool usbPflicht_;
    QByteArray puffer_;
    QByteArray verworfen_; // bytes skipped while searching for the next command
    qint64 letzteBytesMs_ = 0;
    qint64 jetztMs_ = 0;
    QList<Ereignis> ereignisse_;
    QMap<int, Lok> loks_;
    std::optional<bool> gleis_;
    bool statusfrage_ = false;
    Gleise<int> gleise_;
    QByteArray antwort_;
    bool ruecksetzen_ = true;       // 6051 reset mode
    QHash<int, bool> seitLesen_;    // 6051: contacts occupied since their module was read
    QHash<int, bool> seitEreignis_; // IntelliBox: occupied since the last XEvtSen
    QSet<int> geaendert_;           // IntelliBox: modules changed since the last XEvtSen
};

} // namespace trabolin::sim

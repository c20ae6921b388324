#pragma once
#include "program/Lokprofil.h"
#include "program/Programmzeile.h"

#include <QFrame>
#include <QHash>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <optional>

namespace trabolin {

// The driving program as a step chart: the time to the right, the speed step upward,
// forwards and backwards in two colours, each change of direction as a mark, the
// light and F1 to F4 as thin bars below. Idle, it shows one pass from the current
// line; during a run, the pass being driven, with the line being driven marked and a
// cursor at the running time. It paints when the table, the current line, the station
// or the run changes; during a run when the cursor moves by a pixel (at most ten times
// a second) or the time left by a second, and not at all while a line has used up its
// time. Everything but the cursor is drawn once into a pixmap and drawn again only when
// the pass, the line being driven, the size, pixel ratio, font, palette or style change;
// a move of the cursor copies its old and new strip from there.
class Fahrbild : public QFrame {
    Q_OBJECT
public:
    explicit Fahrbild(Tabellenspeicher &tabelle, QWidget *parent = nullptr);

    // Milliseconds on a monotonic clock; replaceable for tests.
    std::function<qint64()> uhr;

    // The station's way of reading a line and its pauses.
    void setzeLesart(const Lesart &lesart);
    // The station's highest Fahrstufe in the mode chosen now: a line above it is drawn
    // at it, as the station drives it. 0: no top of the station's own.
    void setzeHoechsteFahrstufe(int hoechste);
    // The locomotive's measured profile, and "Fahrstufe in km/h": distance lines are
    // drawn with the time it gives them, and in km/h the scale says km/h.
    void setzeFahrmass(std::optional<Lokprofil> profil, bool kmh);
    // Reads the pass again (the table, the current line or the station changed).
    void aktualisiere();

    // A contact line is drawn with the time it took when it last ran in this run, or
    // before that with the time limit ("Kontakt-Zeitgrenze"), and hatched: its length
    // is a guess. `ms`: the time limit.
    void setzeKontaktgrenze(qint64 ms);
    // The running contact line waits for contact `kontakt` (0: no longer).
    void setzeKontaktwarte(int kontakt);
    // True when the pass holds a contact line: its times are guesses ("≈").
    bool geschaetzt() const { return m_geschaetzt; }

    // A run or a single line begins; the run starts driving `zeile` now (a line at or
    // before the one driven last starts a new pass); the run or single line has ended.
    void laufBeginnt(bool einzelzeile);
    void zeileBeginnt(int zeile);
    void laufEndet();
    // One tick of the run's clock: moves the cursor and reports the time left when
    // they have changed, and plans the next tick. The timer calls it; tests call it
    // after setting their own clock.
    void takt();

    bool laeuft() const { return m_laeuft; }
    const Durchlauf &durchlauf() const { return m_durchlauf; }
    // The line being driven, 0 when there is none.
    int laufzeile() const { return m_laufzeile; }
    // The time left in the pass or the single line; -1 when nothing runs.
    qint64 restMs() const;
    // What the chart shows, in words: its tool tip and accessible name.
    QString beschreibung() const;

    // The chart's geometry in widget coordinates.
    struct Stufe {
        int zeile;
        QRectF rechteck; // over the line's time, from its speed step down to 0
        bool vorwaerts;
        bool kontakt = false; // a contact line: its time is a guess
    };
    QRectF flaeche() const; // where the steps are drawn; the bars lie below it
    QList<Stufe> stufen() const;
    QList<qreal> wechsel() const; // x of each change of direction
    qreal cursorX() const;        // -1 when nothing runs

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The pass, the line being driven or the shown time left has changed.
    void geaendert();

protected:
    void paintEvent(QPaintEvent *ereignis) override;
    void changeEvent(QEvent *ereignis) override;

private:
    qint64 msInZeile() const;
    qint64 laufMs() const; // where the cursor stands in the pass
    // Until the next line begins, neither the cursor nor the time left can move.
    bool stehtStill() const;
    qreal xBei(qint64 ms) const;
    QFont kleineSchrift() const;
    struct Schriftmasse {
        int breite127; // the widest label of the scale
        int hoehe;
    };
    const Schriftmasse &schriftmasse() const;
    int balkenHoehe() const;
    void planeTakt();
    // The chart without the cursor, as m_grund holds it.
    void zeichneGrund(QPainter &p);
    void verwirfGrund();

    Tabellenspeicher &m_tabelle;
    Lesart m_lesart;
    int m_hoechsteFahrstufe = 0;
    std::optional<Lokprofil> m_profil;
    bool m_kmh = false;
    Fahrmass fahrmass() const { return {m_profil ? &*m_profil : nullptr, m_kmh}; }
    // The scale's top: the highest step, or in km/h its speed.
    QString skalenspitze() const;
    Durchlauf m_durchlauf;
    int m_passStart = 1;      // first line of the pass being driven
    bool m_laeuft = false;
    bool m_einzelzeile = false;
    int m_laufzeile = 0;
    qint64 m_zeilenbeginn = 0; // uhr() when m_laufzeile began
    QTimer m_takt;
    mutable std::optional<Schriftmasse> m_schriftmasse; // of kleineSchrift()
    QPixmap m_grund;             // the chart without the cursor, in device pixels
    bool m_grundVeraltet = true;
    QPalette::ColorGroup m_grundGruppe = QPalette::Active;
    int m_cursorPixel = -1;      // as last painted
    qint64 m_restSekunden = -1;  // as last reported
    qint64 m_kontaktgrenze = 120000;
    QHash<int, qint64> m_kontaktGedauert; // line -> how long it took when it last ran in this run
    int m_kontaktwarte = 0;
    bool m_geschaetzt = false;
    // The time a contact line is drawn with.
    qint64 kontaktMs(const Programmzeile &z) const;
    // The line being driven has ended: a contact line keeps how long it took.
    void merkeKontaktdauer();
    // The tool tip and accessible name say what beschreibung() says now.
    void zeigeBeschreibung();
};

} // namespace trabolin

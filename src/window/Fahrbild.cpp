#include "window/Fahrbild.h"

#include "program/Laufkontext.h"
#include "window/Sprache.h"
#include "window/Tabellengitter.h"

#include <QCoreApplication>

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace trabolin {

namespace {

const QColor farbeVorwaerts(0x1b, 0x3f, 0x7a);
const QColor farbeRueckwaerts(0xb0, 0x3a, 0x1e);
const QColor farbeLicht(0xe0, 0xa8, 0x00);
const QColor farbeFunktion(0x55, 0x6b, 0x78);
const QColor farbeWechsel(0x33, 0x33, 0x33);

constexpr int anzahlBalken = 5; // "Fu", "F1" to "F4"
constexpr qint64 kuerzesterTakt = 200; // the cursor moves at most five times a second
constexpr qint64 laengsterTakt = 1000;

QString kontaktwarteText(int kontakt)
{
    return QCoreApplication::translate("trabolin", "wartet auf Kontakt %1").arg(kontakt);
}

QColor hell(const QColor &c, bool stark) { return QColor(c.red(), c.green(), c.blue(), stark ? 130 : 55); }

} // namespace

Fahrbild::Fahrbild(Tabellenspeicher &tabelle, QWidget *parent)
    : QFrame(parent), m_tabelle(tabelle)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setBackgroundRole(QPalette::Base);
    // The cached picture covers the whole widget, background and frame included.
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto start = std::make_shared<QElapsedTimer>();
    start->start();
    uhr = [start] { return start->elapsed(); };

    m_takt.setSingleShot(true);
    connect(&m_takt, &QTimer::timeout, this, &Fahrbild::takt);
    connect(&tabelle, &QAbstractItemModel::dataChanged, this, &Fahrbild::aktualisiere);
    connect(&tabelle, &QAbstractItemModel::modelReset, this, &Fahrbild::aktualisiere);
    connect(tabelle.auswahl(), &QItemSelectionModel::currentRowChanged, this, &Fahrbild::aktualisiere);
    aktualisiere();
    // The picture's words and the description follow a switch of language at once.
    beiSprache(this, [this] {
        verwirfGrund();
        zeigeBeschreibung();
    });
}

void Fahrbild::setzeLesart(const Lesart &lesart)
{
    m_lesart = lesart;
    aktualisiere();
}

void Fahrbild::setzeHoechsteFahrstufe(int hoechste)
{
    if (hoechste == m_hoechsteFahrstufe)
        return;
    m_hoechsteFahrstufe = hoechste;
    aktualisiere();
}

void Fahrbild::setzeFahrmass(std::optional<Lokprofil> profil, bool kmh)
{
    m_profil = std::move(profil);
    m_kmh = kmh;
    m_schriftmasse.reset();
    aktualisiere();
}

QString Fahrbild::skalenspitze() const
{
    if (m_kmh && m_profil)
        return QStringLiteral("%1 km/h").arg(qRound(m_profil->kmh(int(m_durchlauf.hoechsteFahrstufe), true)));
    return QString::number(m_durchlauf.hoechsteFahrstufe);
}

void Fahrbild::setzeKontaktgrenze(qint64 ms)
{
    if (ms == m_kontaktgrenze)
        return;
    m_kontaktgrenze = ms;
    aktualisiere();
}

void Fahrbild::setzeKontaktwarte(int kontakt)
{
    if (kontakt == m_kontaktwarte)
        return;
    // A contact line has ended when its wait is over: the time it took is kept from
    // then on, also while the line runs again in a later pass.
    if (kontakt == 0)
        merkeKontaktdauer();
    m_kontaktwarte = kontakt;
    verwirfGrund();
    zeigeBeschreibung();
}

void Fahrbild::zeigeBeschreibung()
{
    const QString text = beschreibung();
    if (toolTip() != text) {
        setToolTip(text);
        setAccessibleName(text);
    }
}

qint64 Fahrbild::kontaktMs(const Programmzeile &z) const
{
    const auto gedauert = m_kontaktGedauert.constFind(z.nummer);
    if (gedauert != m_kontaktGedauert.constEnd())
        return *gedauert;
    return z.gesamtMs + m_kontaktgrenze;
}

void Fahrbild::merkeKontaktdauer()
{
    if (!m_laeuft || m_laufzeile <= 0)
        return;
    if (leseProgrammzeile(m_tabelle, m_laufzeile, m_lesart, fahrmass()).kontakt > 0)
        m_kontaktGedauert.insert(m_laufzeile, msInZeile());
}

void Fahrbild::aktualisiere()
{
    m_durchlauf =
        ermittleDurchlauf(m_tabelle, m_laeuft ? m_passStart : m_tabelle.aktuelleZeile(), m_lesart, fahrmass());
    // A contact line takes what its contact takes: drawn with the guess.
    m_geschaetzt = false;
    for (Programmzeile &z : m_durchlauf.zeilen) {
        if (!z.faehrt || z.kontakt <= 0)
            continue;
        const qint64 ms = kontaktMs(z);
        m_durchlauf.gesamtMs += ms - z.gesamtMs;
        z.gesamtMs = alsWartezeit(ms);
        m_geschaetzt = true;
    }
    if (m_hoechsteFahrstufe > 0) {
        // The station drives a step above its mode's top at the top.
        m_durchlauf.hoechsteFahrstufe = qMin<qint64>(m_durchlauf.hoechsteFahrstufe, m_hoechsteFahrstufe);
        for (Programmzeile &z : m_durchlauf.zeilen)
            z.stufe = qMin(z.stufe, m_hoechsteFahrstufe);
    }
    zeigeBeschreibung();
    m_restSekunden = -1;
    verwirfGrund();
    emit geaendert();
    planeTakt();
}

void Fahrbild::laufBeginnt(bool einzelzeile)
{
    m_laeuft = true;
    m_einzelzeile = einzelzeile;
    m_kontaktGedauert.clear(); // the times of this run's contact lines
    m_kontaktwarte = 0;
    m_passStart = m_tabelle.aktuelleZeile();
    m_laufzeile = einzelzeile ? m_passStart : 0;
    m_zeilenbeginn = uhr();
    aktualisiere();
}

void Fahrbild::zeileBeginnt(int zeile)
{
    if (!m_laeuft)
        return;
    if (!m_einzelzeile) {
        if (m_laufzeile > 0 && zeile <= m_laufzeile)
            m_passStart = zeile; // an endless run starts its next pass
        m_laufzeile = zeile;
    }
    m_zeilenbeginn = uhr();
    aktualisiere();
}

void Fahrbild::laufEndet()
{
    m_laeuft = false;
    m_kontaktwarte = 0;
    m_laufzeile = 0;
    m_takt.stop();
    aktualisiere();
}

qint64 Fahrbild::msInZeile() const { return qMax<qint64>(0, uhr() - m_zeilenbeginn); }

qint64 Fahrbild::restMs() const
{
    if (!m_laeuft)
        return -1;
    if (m_einzelzeile) {
        const Programmzeile z = leseProgrammzeile(m_tabelle, m_laufzeile, m_lesart, fahrmass());
        const qint64 dauer = ermittleEinzelzeileMs(z, m_lesart) + (z.kontakt > 0 ? m_kontaktgrenze : 0);
        return qMax<qint64>(0, dauer - msInZeile());
    }
    if (m_laufzeile == 0)
        return m_durchlauf.gesamtMs;
    return ermittleRestMs(m_durchlauf, m_laufzeile, msInZeile());
}

bool Fahrbild::stehtStill() const
{
    if (m_einzelzeile)
        return restMs() == 0;
    for (const Programmzeile &z : m_durchlauf.zeilen)
        if (z.nummer == m_laufzeile)
            return msInZeile() >= z.gesamtMs;
    return true; // no line driven yet, or one the pass does not hold
}

qint64 Fahrbild::laufMs() const
{
    qint64 ms = 0;
    for (const Programmzeile &z : m_durchlauf.zeilen) {
        if (z.nummer == m_laufzeile)
            return ms + qMin<qint64>(msInZeile(), z.gesamtMs);
        if (z.nummer > m_laufzeile)
            break;
        ms += z.gesamtMs;
    }
    return ms;
}

QString Fahrbild::beschreibung() const
{
    const Durchlauf &d = m_durchlauf;
    if (d.gefahren == 0)
        return tr("keine Zeile");
    QString text = tr("%1 %2, %3%4 %5, höchste Fahrstufe %6")
                       .arg(d.gefahren)
                       .arg(d.gefahren == 1 ? tr("Zeile") : tr("Zeilen"))
                       .arg(m_geschaetzt ? QStringLiteral("≈ ") : QString())
                       .arg(ermittleDauertext(d.gesamtMs))
                       .arg(d.gesamtMs >= 3600 * 1000 ? QStringLiteral("h") : QStringLiteral("min"))
                       .arg(skalenspitze());
    if (m_laeuft && m_kontaktwarte > 0)
        text += QStringLiteral(", ") + kontaktwarteText(m_kontaktwarte);
    return text;
}

// ---------------------------------------------------------------- geometry

QFont Fahrbild::kleineSchrift() const
{
    QFont f = font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * 0.8);
    else
        f.setPixelSize(qMax(7, f.pixelSize() * 4 / 5));
    return f;
}

const Fahrbild::Schriftmasse &Fahrbild::schriftmasse() const
{
    // Measuring a text shapes it, which would cost more than the whole cursor's move:
    // the measures are kept until the picture is drawn again.
    if (!m_schriftmasse) {
        const QFontMetrics fm(kleineSchrift());
        // In km/h the scale's top carries the unit.
        m_schriftmasse = Schriftmasse{fm.horizontalAdvance(m_kmh ? QStringLiteral("127 km/h") : QStringLiteral("127")),
                                      fm.height()};
    }
    return *m_schriftmasse;
}

int Fahrbild::balkenHoehe() const { return qMax(6, schriftmasse().hoehe - 1); }

QRectF Fahrbild::flaeche() const
{
    const QRect r = contentsRect();
    const Schriftmasse &fm = schriftmasse();
    const int links = fm.breite127 + 8;
    const int oben = fm.hoehe / 2 + 2;
    const int unten = fm.hoehe + anzahlBalken * balkenHoehe() + 6;
    return QRectF(r.left() + links, r.top() + oben, qMax(1, r.width() - links - 8),
                  qMax(1, r.height() - oben - unten));
}

qreal Fahrbild::xBei(qint64 ms) const
{
    const QRectF f = flaeche();
    if (m_durchlauf.gesamtMs <= 0)
        return f.left();
    return f.left() + f.width() * double(ms) / double(m_durchlauf.gesamtMs);
}

QList<Fahrbild::Stufe> Fahrbild::stufen() const
{
    const QRectF f = flaeche();
    const double hoechste = double(qMax<qint64>(1, m_durchlauf.hoechsteFahrstufe));
    QList<Stufe> liste;
    bool vorwaerts = true; // on the 6051 path the direction the locomotive had
    int stufe = 0;
    qint64 t = 0;
    for (const Programmzeile &z : m_durchlauf.zeilen) {
        if (!z.faehrt)
            continue;
        if (m_lesart.regeln == Zeilenregeln::dcc)
            vorwaerts = z.vorwaerts;
        if (z.stufe >= 0)
            stufe = z.stufe;
        const qreal y = f.bottom() - f.height() * stufe / hoechste;
        liste.append({z.nummer, QRectF(QPointF(xBei(t), y), QPointF(xBei(t + z.gesamtMs), f.bottom())), vorwaerts,
                      z.kontakt > 0});
        if (z.richtungswechsel)
            vorwaerts = !vorwaerts;
        t += z.gesamtMs;
    }
    return liste;
}

QList<qreal> Fahrbild::wechsel() const
{
    QList<qreal> liste;
    qint64 t = 0;
    int vorige = -1; // direction of the previous line on DCC: -1 none yet
    for (const Programmzeile &z : m_durchlauf.zeilen) {
        if (!z.faehrt)
            continue;
        if (m_lesart.regeln == Zeilenregeln::dcc) {
            if (vorige >= 0 && vorige != int(z.vorwaerts))
                liste.append(xBei(t));
            vorige = int(z.vorwaerts);
        } else if (z.richtungswechsel) {
            liste.append(xBei(t + qint64(m_lesart.pausen) * m_lesart.pauseMs + qMax(0, z.warteMs)));
        }
        t += z.gesamtMs;
    }
    return liste;
}

qreal Fahrbild::cursorX() const { return m_laeuft ? xBei(laufMs()) : -1; }

QSize Fahrbild::sizeHint() const { return {480, 130}; }
QSize Fahrbild::minimumSizeHint() const { return {160, 70}; }

// ---------------------------------------------------------------- the run's clock

void Fahrbild::planeTakt()
{
    if (!m_laeuft || stehtStill()) {
        m_takt.stop();
        return;
    }
    qint64 bis = laengsterTakt;
    const qint64 rest = restMs();
    if (rest > 0)
        bis = qMin(bis, rest % 1000 + 1);
    const double msJePixel = double(m_durchlauf.gesamtMs) / flaeche().width();
    const qint64 pos = laufMs();
    if (msJePixel > 0 && isVisible()) {
        const double naechstes = (std::floor(pos / msJePixel) + 1) * msJePixel;
        bis = qMin(bis, qint64(std::ceil(naechstes - pos)));
    }
    m_takt.start(int(qBound(kuerzesterTakt, bis, laengsterTakt)));
}

void Fahrbild::takt()
{
    const int pixel = qRound(cursorX());
    if (pixel != m_cursorPixel) {
        const QRect r = contentsRect();
        const int von = qMin(pixel, m_cursorPixel < 0 ? pixel : m_cursorPixel);
        const int bis = qMax(pixel, m_cursorPixel);
        update(QRect(von - 3, r.top(), bis - von + 7, r.height()));
    }
    const qint64 sekunden = restMs() / 1000;
    if (sekunden != m_restSekunden) {
        m_restSekunden = sekunden;
        emit geaendert();
    }
    planeTakt();
}

// ---------------------------------------------------------------- painting

// Everything but the cursor is drawn once into m_grund and copied from there: while a
// run goes on, a tick repaints only the cursor's old and new strip, which costs a copy
// of a few columns and one line instead of the whole chart with its texts.

void Fahrbild::verwirfGrund()
{
    m_grundVeraltet = true;
    m_schriftmasse.reset();
    update();
}

void Fahrbild::changeEvent(QEvent *ereignis)
{
    switch (ereignis->type()) {
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::FontChange:
        verwirfGrund();
        break;
    default:
        break;
    }
    QFrame::changeEvent(ereignis);
}

void Fahrbild::paintEvent(QPaintEvent *ereignis)
{
    // The picture is drawn again when something it shows has changed (the pass, the
    // line being driven, the font, palette or style), or the widget's size, its
    // screen's pixel ratio or the colours in use (enabled or not, active window or not).
    const qreal dpr = devicePixelRatioF();
    const QPalette::ColorGroup gruppe = palette().currentColorGroup();
    if (m_grundVeraltet || m_grund.devicePixelRatio() != dpr || m_grund.deviceIndependentSize() != QSizeF(size())
        || m_grundGruppe != gruppe) {
        m_schriftmasse.reset();
        m_grund = QPixmap(size() * dpr);
        m_grund.setDevicePixelRatio(dpr);
        QPainter g(&m_grund);
        zeichneGrund(g);
        m_grundVeraltet = false;
        m_grundGruppe = gruppe;
    }

    // Only the part being repainted is copied (a tick repaints a strip a few pixels
    // wide), and as it is: the picture is opaque throughout, nothing to blend.
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : ereignis->region())
        p.drawPixmap(QPointF(r.topLeft()), m_grund, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));

    // The cursor at the running time.
    if (m_laeuft && m_durchlauf.gefahren > 0) {
        const qreal x = cursorX();
        const QRectF f = flaeche();
        // A line two pixels wide with square ends from the top of the scale to the foot
        // of the bars, filled as the rectangle it covers: the same pixels as drawing
        // the line with a pen, without the stroker's cost.
        const qreal oben = f.top() - 2;
        const qreal unten = f.bottom() + 4 + anzahlBalken * balkenHoehe();
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.fillRect(QRectF(x - 1, oben - 1, 2, unten - oben + 2), laufzeileMarke);
        m_cursorPixel = qRound(x);
    } else {
        m_cursorPixel = -1;
    }
}

void Fahrbild::zeichneGrund(QPainter &p)
{
    // What the widget would paint on its own: the background and the frame.
    p.fillRect(rect(), palette().brush(backgroundRole()));
    drawFrame(&p);

    const QRectF f = flaeche();
    const QFont klein = kleineSchrift();
    const QFontMetrics fm(klein);
    p.setFont(klein);
    const QColor text = palette().color(QPalette::Text);
    const QColor linie = palette().color(QPalette::Mid);

    if (m_durchlauf.gefahren == 0) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(contentsRect(), Qt::AlignCenter, beschreibung());
        return;
    }

    const QList<Stufe> liste = stufen();
    const int hb = balkenHoehe();
    const qreal balkenOben = f.bottom() + 4;

    // The line being driven: tinted under its bars, its step filled more strongly.
    for (const Stufe &s : liste)
        if (s.zeile == m_laufzeile && m_laeuft)
            p.fillRect(QRectF(s.rechteck.left(), balkenOben, s.rechteck.width(), anzahlBalken * hb),
                       laufzeileGrund);

    // Scale: the highest step at the top, 0 at the bottom; the total time at the right.
    p.setPen(linie);
    p.drawLine(QPointF(f.left(), f.top()), QPointF(f.right(), f.top()));
    p.drawLine(QPointF(f.left(), f.bottom()), QPointF(f.right(), f.bottom()));
    p.setPen(text);
    const int links = contentsRect().left() + 3;
    const int textBreite = int(f.left()) - links - 4;
    p.drawText(QRectF(links, f.top() - fm.height() / 2.0, textBreite, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, skalenspitze());
    p.drawText(QRectF(links, f.bottom() - fm.height() / 2.0, textBreite, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    const qreal zeitOben = balkenOben + anzahlBalken * hb + 1;
    p.drawText(QRectF(f.left(), zeitOben, f.width(), fm.height()), Qt::AlignLeft | Qt::AlignTop,
               ermittleDauertext(0));
    p.drawText(QRectF(f.left(), zeitOben, f.width(), fm.height()), Qt::AlignRight | Qt::AlignTop,
               ermittleDauertext(m_durchlauf.gesamtMs));

    // The steps: filled lightly, the outline strong, in the colour of the direction.
    QPointF vorher;
    bool erste = true;
    for (const Stufe &s : liste) {
        const QColor farbe = s.vorwaerts ? farbeVorwaerts : farbeRueckwaerts;
        p.fillRect(s.rechteck, hell(farbe, m_laeuft && s.zeile == m_laufzeile));
        if (s.kontakt) // its length is a guess
            p.fillRect(s.rechteck, QBrush(farbe, Qt::BDiagPattern));
        p.setPen(QPen(farbe, 2));
        if (!erste)
            p.drawLine(vorher, s.rechteck.topLeft());
        p.drawLine(s.rechteck.topLeft(), s.rechteck.topRight());
        vorher = s.rechteck.topRight();
        erste = false;
    }

    // Changes of direction: a dashed line with a small double arrow on top.
    p.setPen(QPen(farbeWechsel, 1, Qt::DashLine));
    for (qreal x : wechsel()) {
        p.drawLine(QPointF(x, f.top()), QPointF(x, f.bottom()));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(farbeWechsel);
        const qreal y = f.top() + 1;
        p.drawPolygon(QPolygonF({QPointF(x - 7, y + 4), QPointF(x - 1, y), QPointF(x - 1, y + 8)}));
        p.drawPolygon(QPolygonF({QPointF(x + 7, y + 4), QPointF(x + 1, y), QPointF(x + 1, y + 8)}));
        p.restore();
    }

    // The light and F1 to F4: one thin bar each, where the line switches it on.
    static const char *const namen[anzahlBalken] = {QT_TR_NOOP("Fu"), "F1", "F2", "F3", "F4"};
    for (int b = 0; b < anzahlBalken; ++b) {
        const qreal y = balkenOben + b * hb;
        p.setPen(text);
        p.drawText(QRectF(links, y, textBreite, hb), Qt::AlignRight | Qt::AlignVCenter,
                   tr(namen[b]));
        p.fillRect(QRectF(f.left(), y + hb / 2.0, f.width(), 1), palette().color(QPalette::Midlight));
    }
    int i = 0;
    for (const Programmzeile &z : m_durchlauf.zeilen) {
        if (!z.faehrt)
            continue;
        const QRectF &r = liste[i++].rechteck;
        for (int b = 0; b < anzahlBalken; ++b)
            if (b == 0 ? z.licht : z.f[b - 1])
                p.fillRect(QRectF(r.left(), balkenOben + b * hb + 2, r.width(), hb - 4),
                           b == 0 ? farbeLicht : farbeFunktion);
    }

    // The running contact line tells what it waits for, over its bars.
    if (m_laeuft && m_kontaktwarte > 0)
        for (const Stufe &s : liste)
            if (s.zeile == m_laufzeile) {
                const QRectF feld(s.rechteck.left(), balkenOben, qMax<qreal>(s.rechteck.width(), f.right() - s.rechteck.left()),
                                  anzahlBalken * hb);
                p.setPen(text);
                p.drawText(feld.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           kontaktwarteText(m_kontaktwarte));
            }
}

} // namespace trabolin

#include "window/Gleisanzeige.h"

#include "window/Sprache.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPalette>

namespace trabolin {

namespace {

struct Farben {
    QColor grund;
    QColor schrift;
};

// Invalid colours: the window's own.
Farben farbenFuer(Gleiszustand zustand)
{
    switch (zustand) {
    case Gleiszustand::an:
        return {QColor(0, 128, 0), Qt::white};
    case Gleiszustand::aus:
    case Gleiszustand::programmiermodus:
        return {QColor(255, 191, 0), Qt::black};
    case Gleiszustand::kurzschluss:
    case Gleiszustand::nothalt:
        return {QColor(255, 0, 0), Qt::white};
    case Gleiszustand::verbindungVerloren:
        return {QColor(80, 80, 80), Qt::white};
    case Gleiszustand::unbekannt:
        break;
    }
    return {};
}

QString kontaktText(int nummer, std::optional<bool> belegt)
{
    if (nummer <= 0)
        return {};
    return QStringLiteral(" · K%1 %2").arg(nummer).arg(!belegt ? QStringLiteral("?")
                                                       : *belegt ? QCoreApplication::translate("trabolin::Gleisanzeige", "belegt")
                                                                 : QCoreApplication::translate("trabolin::Gleisanzeige", "frei"));
}

} // namespace

Gleisanzeige::Gleisanzeige(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    m_fensterfarben = palette();
    m_zustand = Gleiszustand::an; // so that the first call below paints
    zeige(Gleiszustand::unbekannt);
    beiSprache(this, [this] {
        setToolTip(tr(" zeigt, was die Zentrale über das Gleis meldet "));
        int breite = 0;
        for (Gleiszustand z : {Gleiszustand::an, Gleiszustand::aus, Gleiszustand::kurzschluss, Gleiszustand::nothalt,
                               Gleiszustand::verbindungVerloren, Gleiszustand::unbekannt})
            breite = qMax(breite, fontMetrics().horizontalAdvance(gleisanzeigeText(z)));
        // A contact line's wait beside the track state it runs on.
        breite = qMax(breite, fontMetrics().horizontalAdvance(gleisanzeigeText(Gleiszustand::an)
                                                              + kontaktText(99, std::nullopt)));
        setMinimumWidth(breite + 4 * frameWidth() + 12);
        zeigeText();
    });
}

void Gleisanzeige::zeige(Gleiszustand zustand)
{
    if (zustand == m_zustand)
        return;
    m_zustand = zustand;
    zeigeText();
    const Farben f = farbenFuer(zustand);
    QPalette p = m_fensterfarben;
    if (f.grund.isValid()) {
        p.setColor(QPalette::Window, f.grund);
        p.setColor(QPalette::WindowText, f.schrift);
    }
    setPalette(p);
}

void Gleisanzeige::zeigeKontakt(int nummer, std::optional<bool> belegt)
{
    if (nummer == m_kontakt && belegt == m_kontaktBelegt)
        return;
    m_kontakt = nummer;
    m_kontaktBelegt = belegt;
    zeigeText();
}

void Gleisanzeige::zeigeText()
{
    const QString text = gleisanzeigeText(m_zustand) + kontaktText(m_kontakt, m_kontaktBelegt);
    setText(text);
    setAccessibleName(text);
}

} // namespace trabolin

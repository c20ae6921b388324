#pragma once
#include "program/Gleiszustand.h"

#include <QLabel>
#include <QPalette>

namespace trabolin {

// The small field beside the power buttons that shows what the layout says about
// itself: "Gleis: an" on green, "Gleis: aus" on amber, "Kurzschluss" and "Nothalt"
// on red, "Verbindung verloren" on dark grey, "unbekannt" in the window's colours.
// The text is also the accessible name, so a screen reader announces each change.
// Its width fits the longest text, so the buttons beside it never move.
class Gleisanzeige : public QLabel {
    Q_OBJECT
public:
    explicit Gleisanzeige(QWidget *parent = nullptr);

    Gleiszustand zustand() const { return m_zustand; }

    // Shows `zustand` at once.
    void zeige(Gleiszustand zustand);

private:
    Gleiszustand m_zustand = Gleiszustand::unbekannt;
    QPalette m_fensterfarben; // the colours of "unbekannt"
};

} // namespace trabolin

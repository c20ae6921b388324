#pragma once
#include "program/Gleiszustand.h"

#include <QLabel>
#include <QPalette>

#include <optional>

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
    // While a contact line waits: its contact `nummer` (0: none) and what it last
    // reported, after the track state ("Gleis: an · K12 frei").
    void zeigeKontakt(int nummer, std::optional<bool> belegt);

private:
    void zeigeText();

    Gleiszustand m_zustand = Gleiszustand::unbekannt;
    int m_kontakt = 0;
    std::optional<bool> m_kontaktBelegt;
    QPalette m_fensterfarben; // the colours of "unbekannt"
};

} // namespace trabolin

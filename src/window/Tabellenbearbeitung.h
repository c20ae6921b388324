#pragma once
// The commands that change the driving program a whole line at a time. Each takes
// the current line n (1 to 25), changes the store and says where the grid's cursor
// goes afterwards, or that the command was refused with a beep (then nothing changed).
#include "program/Tabelle.h"

namespace trabolin {

struct Bearbeitung {
    int zeile;          // the cursor's line after the command
    bool piepen = false; // refused: beep, table and cursor stay as they were
};

// "Zeile einfügen": lines n to 24 move down one, line n becomes empty, line 25's
// old contents are lost. The cursor stays on n, the new empty line.
Bearbeitung zeileEinfuegen(Tabellenspeicher &tabelle, int n);

// "Zeile löschen": lines n+1 to 25 move up one; then only "Dauer", "Einheit" and
// "Fahrstufe" of line 25 are emptied, its function cells stay. Cursor on n.
Bearbeitung zeileLoeschen(Tabellenspeicher &tabelle, int n);

// "Zeile aufwärts" / "Zeile abwärts": swaps line n with the line above / below and
// the cursor follows the moved line. Line 1 up and line 25 down are refused.
Bearbeitung zeileAufwaerts(Tabellenspeicher &tabelle, int n);
Bearbeitung zeileAbwaerts(Tabellenspeicher &tabelle, int n);

// The delete panel: "aktuelle Zeile " empties line n, "Zeile + folgende" lines n
// to 25, "Tabelle" every line. The cursor stays where it is.
Bearbeitung zeileLeeren(Tabellenspeicher &tabelle, int n);
Bearbeitung folgendeLeeren(Tabellenspeicher &tabelle, int n);
Bearbeitung tabelleLeeren(Tabellenspeicher &tabelle, int n);

} // namespace trabolin

#pragma once
// Everything the registry, the window and the settings file need to know of the
// Central Station, in one place: its row (caption, code, how it is reached, texts of
// the network controls, how it reads a line, how its link and driver are made) and
// its own settings "Protokoll" and "über UDP", described as data.
#include "stations/Zentralenregister.h"
#include "stations/cs2/Cs2Rahmen.h"

#include <QStringList>

namespace trabolin {

class Cs2Treiber;
class Cs2Verbindung;

// The row of the Central Station.
Zentralenzeile cs2Zentralenzeile();

// A setting of the station's own, as the station panel shows it and the settings file
// keeps it after line 56 as "[CS2 <schluessel>]".
struct Cs2Einstellung {
    enum class Art { auswahl, haken };
    QString schluessel;      // key in the settings file
    QString titel;           // caption, "&" before the access key
    Art art = Art::haken;
    QStringList eintraege;   // the items of a choice
    QString vorgabe;         // the default as the settings file writes it
    QString tipp;            // tool tip
    bool waehrendFahrt = false; // may change during a run
};
QList<Cs2Einstellung> cs2Einstellungen();

// "MM2", "DCC", "mfx" read back: the item of the choice "Protokoll" (its index or its
// text); DCC for anything else.
Cs2Protokoll cs2ProtokollAus(const QString &wert);
// The range shown beside the address field: "1...255", "1...10239", "1...16383".
QString cs2Adressbereichstext(Cs2Protokoll protokoll);

// The message box when the station does not answer the connect's ping.
struct Cs2Meldung {
    QString titel;
    QString text;
};
Cs2Meldung cs2KeineAntwort();

// Applies the station's settings to its link and driver: the protocol, and UDP for the
// next connect.
void cs2Uebernimm(Cs2Treiber &treiber, Cs2Verbindung &verbindung, Cs2Protokoll protokoll, bool udp);

} // namespace trabolin

#pragma once
// The command stations the program knows, one row each, in the order of the option
// buttons under "Zentrale". A row holds everything the window, the settings file and
// the run logic need to know of its station: the option's caption, the station code
// of the settings file, how the station is reached, the texts and controls that
// choosing it sets, and how its driver (and its network link) is made.
//
// A new station is a folder under stations/ with its driver, one row here, its
// simulator under sim/ and its tests.
#include "program/Gleiszustand.h"
#include "program/Laufkontext.h"
#include "program/Netzverbindung.h"
#include "program/Programmzeile.h"
#include "program/Umgebung.h"
#include "program/Zentralentreiber.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace trabolin {

class SerielleSchnittstelle;

// How a station is reached.
enum class Transport {
    seriell,  // through the serial port
    netzwerk, // through its network link
    waehlbar, // through the serial port, or its network link when the user chooses that
};

// What a driver is made with.
struct Zentralenanschluss {
    Laufkontext &lauf;
    Ausgabe &v24;         // the serial port
    Netzverbindung *netz; // the station's own network link; nullptr for a serial station
    const Lesart &lesart; // how the station reads a line, and its pauses inside a line
    Gleismelder &melder;  // where the driver or the link reports what the layout says
};

struct Zentralenzeile {
    QString titel;   // caption of the option button, "&" before the access key
    QString tipp;    // its tool tip; empty for none
    QString code;    // the station code `Zentrale` (line 47 of "Trabolin.ini")
    QString name;    // the station's name in the texts of the network controls
    Transport transport = Transport::seriell;
    quint16 standardport = 0; // network port that "Default" puts; 0 for none
    QString adresseTitel;     // lblAdresse 0
    QString adresseBereich;   // lblAdresse 1
    bool fahrstufen = false;  // enables "Fahrstufen"
    bool usb = false;         // enables "USB-Interface" (else it is unticked)
    QString verbindenText;    // caption of the connect button
    QString verbindenTipp;    // its tool tip
    QString standardTipp;     // tool tip of "Default"
    QString antwortTitel;     // the label over the reply field
    bool lokliste = false;    // "Lokliste einlesen" and "Kontrolle übernehmen" once connected
    // Host and port stand in lines 52 to 56 of the settings file; otherwise they
    // follow line 56 as "[<name> LocalPort]" and "[<name> IP-Adresse]".
    bool netzInFestenZeilen = false;
    bool beimStart = false; // selected when the window opens
    // The line settings that choosing the station puts into the port settings
    // ("115200,N,8,1"), and whether the port uses the RTS/CTS handshake; empty: the
    // settings stay as they are.
    QString serielleVorgabe;
    bool handshake = true;
    // How the driver reads a line and the pauses it puts inside one; the window's
    // "Dauer gesamt", "noch" and step chart reckon with the same.
    Lesart lesart;
    // Makes the station's network link (owned by `eltern`); empty for a serial station.
    // A station that can also be reached through the serial port uses `v24` for it.
    std::function<Netzverbindung *(QObject *eltern, SerielleSchnittstelle &v24)> verbindung;
    // Makes the station's driver.
    std::function<std::unique_ptr<Zentralentreiber>(const Zentralenanschluss &)> treiber;

    bool hatNetz() const { return transport != Transport::seriell; }
    // True when the station drives through the serial port; `ueberNetzwerk` is the
    // user's choice for a station that can take either.
    bool istSeriell(bool ueberNetzwerk = false) const
    {
        return transport == Transport::seriell || (transport == Transport::waehlbar && !ueberNetzwerk);
    }
};

// The rows, in the order of the option buttons.
const std::vector<Zentralenzeile> &zentralenregister();

// The option of a station code, compared case-sensitively; -1 when no row has it.
int zentralenoption(const QString &code);

// The option selected when the window opens, before the settings file is read.
int startoption();

// The row of option `option`, or nullptr outside the register.
const Zentralenzeile *zentralenzeile(int option);

} // namespace trabolin

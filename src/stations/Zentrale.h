#pragma once
// One command station as the window, the settings file and the run logic know it:
// its captions and texts, how it is reached, its defaults, the settings of its own,
// and how its driver and its network link are made, together. Each station folder
// provides one such object; the registry lists them, one line each.
#include "program/Gleiszustand.h"
#include "program/Laufkontext.h"
#include "program/Netzverbindung.h"
#include "program/Programmzeile.h"
#include "program/Umgebung.h"
#include "program/Zentralentreiber.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QObject;

namespace trabolin {

class SerielleSchnittstelle;

// A setting of a station's own, declared as data. The station panel shows it below
// the common controls while the station is selected; the settings file keeps it after
// line 56 as "[<name> <schluessel>]".
struct Stationseinstellung {
    enum class Art {
        haken,   // a check box: "1" or "0"
        auswahl, // a choice of `eintraege`: the item's text
        zahl,    // a whole number from `von` to `bis`: its digits
        text,    // a text of at most `laenge` characters
    };
    QString schluessel;    // key in the settings file
    QString titel;         // caption, "&" before the access key
    Art art = Art::haken;
    QStringList eintraege; // the items of a choice
    int von = 0;           // the range of a number
    int bis = 0;
    int laenge = 0;        // the longest text
    QString vorgabe;       // the default, as the settings file writes it
    QString tipp;          // tool tip
    bool waehrendFahrt = false; // may change while a run or a single line goes on
};

// The values of a station's own settings, by key, as the settings file writes them.
using Einstellungswerte = QMap<QString, QString>;

// What a driver is made with.
struct Zentralenanschluss {
    Laufkontext &lauf;
    SerielleSchnittstelle &v24; // the serial port
    const Lesart &lesart;       // how the station reads a line, and its pauses inside a line
    Gleismelder &melder;        // where the driver or the link reports what the layout says
    QObject *eltern;            // the owner of the network link
    // The network link made already with the driver of another program: a further
    // program's driver shares it (one link to the station carries every program).
    Netzverbindung *netz = nullptr;
    // What the first program's driver of this station shares with the drivers of the
    // other programs on the same port (the listener to the station's replies, the
    // queue of contact questions); empty for the first program's driver, which makes it.
    std::shared_ptr<void> gemeinsam;
};

// The network link of type `Link` a driver is made with: the one the connection
// brings (`a.netz`), or a new one, owned by `a.eltern` and reporting to `a.melder`;
// `argumente` go before the owner to its constructor.
template <typename Link, typename... Argumente>
Link *nimmLink(const Zentralenanschluss &a, Argumente &&...argumente)
{
    if (a.netz)
        return static_cast<Link *>(a.netz);
    auto *link = new Link(std::forward<Argumente>(argumente)..., a.eltern);
    link->setzeGleismelder(&a.melder);
    return link;
}

// What the drivers of every program share on one port: the one the connection
// brings (`a.gemeinsam`), or a new one made from `argumente`.
template <typename T, typename... Argumente>
std::shared_ptr<T> nimmGemeinsam(const Zentralenanschluss &a, Argumente &&...argumente)
{
    if (a.gemeinsam)
        return std::static_pointer_cast<T>(a.gemeinsam);
    return std::make_shared<T>(std::forward<Argumente>(argumente)...);
}

// A station's driver and its network link, made together.
struct Zentralenteile {
    std::unique_ptr<Zentralentreiber> treiber;
    Netzverbindung *netz = nullptr; // owned by the Zentralenanschluss's `eltern`; nullptr for none
    // Hands a setting of the station's own to the driver or the link that uses it.
    std::function<void(const QString &schluessel, const QString &wert)> einstellen;
    // What further programs' drivers share with this one (Zentralenanschluss::gemeinsam).
    std::shared_ptr<void> gemeinsam;
};

// The texts of a registry row and of its settings (captions, tool tips, titles, the
// items of a choice) are German sources marked for translation with
// QT_TRANSLATE_NOOP("trabolin::Zentrale", "..."); the window shows each through this,
// in the language in effect. An empty text stays empty.
QString zentralenText(const QString &quelle);

// A message box: its title and its text.
struct Zentralenmeldung {
    QString titel;
    QString text;
};

// The port settings a station wants when it is chosen ("115200,N,8,1"; empty: the
// settings stay as they are) and whether the port uses the RTS/CTS handshake.
struct Seriellvorgabe {
    QString einstellungen;
    bool handshake = true;
};

class Zentrale {
public:
    virtual ~Zentrale() = default;

    QString titel;          // caption of the option button, "&" before the access key
    QString tipp;           // its tool tip; empty for none
    QString code;           // the station code `Zentrale` (line 47 of "Trabolin.ini")
    QString name;           // the station's name in texts and in the keys after line 56
    bool netz = false;      // has a network link: the network fields show its host and port
    quint16 standardport = 0; // network port that "Default" puts; 0 for none
    QString adresseTitel;   // lblAdresse 0
    QString adresseBereich; // lblAdresse 1
    bool fahrstufen = false; // enables "Fahrstufen"
    QString verbindenText;  // caption of the connect button
    QString verbindenTipp;  // its tool tip
    QString standardTipp;   // tool tip of "Default"
    QString antwortTitel;   // the label over the reply field
    // How the driver reads a line and the pauses it puts inside one; the window's
    // "Dauer gesamt", "noch" and step chart reckon with the same.
    Lesart lesart;

    // Makes the driver and, for a network station, its link.
    virtual Zentralenteile baue(const Zentralenanschluss &anschluss) const = 0;

    // The settings of the station's own, in the order the panel shows them and the
    // settings file writes them.
    virtual QList<Stationseinstellung> einstellungen() const { return {}; }
    // True when the station drives through the serial port with these settings.
    virtual bool istSeriell(const Einstellungswerte &werte) const
    {
        (void)werte;
        return !netz;
    }
    // The range beside the address field with these settings.
    virtual QString adressbereich(const Einstellungswerte &werte) const
    {
        (void)werte;
        return adresseBereich;
    }
    // The message when the station does not answer the connect, in the language in effect.
    virtual Zentralenmeldung keineAntwort() const
    {
        return {QCoreApplication::translate("trabolin::Zentrale", " Verbindungsaufbau gescheitert..."),
                QCoreApplication::translate("trabolin::Zentrale", "Die %1 antwortet nicht !             ").arg(name)};
    }
    // What choosing the station does to the port's settings.
    virtual Seriellvorgabe seriell() const { return {}; }
    // Uses "USB-Interface" (else it is unticked when the station is chosen).
    virtual bool usbInterface() const { return false; }
    // "Lokliste einlesen" and "Kontrolle übernehmen" once connected.
    virtual bool lokliste() const { return false; }
    // Host and port stand in lines 52 to 56 of the settings file; otherwise they
    // follow line 56 as "[<name> LocalPort]" and "[<name> IP-Adresse]".
    virtual bool netzInFestenZeilen() const { return false; }
    // Selected when the window opens, before the settings file is read.
    virtual bool beimStart() const { return false; }

    // The defaults of the station's own settings.
    Einstellungswerte vorgaben() const
    {
        Einstellungswerte w;
        for (const Stationseinstellung &e : einstellungen())
            w.insert(e.schluessel, e.vorgabe);
        return w;
    }
};

} // namespace trabolin

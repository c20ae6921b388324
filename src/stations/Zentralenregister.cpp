#include "stations/Zentralenregister.h"

#include "stations/dccex/DccexTreiber.h"
#include "stations/dccex/DccexVerbindung.h"
#include "stations/ecos/EcosTreiber.h"
#include "stations/ecos/EcosVerbindung.h"
#include "stations/lenz/LenzTreiber.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "stations/z21/Z21Treiber.h"
#include "stations/z21/Z21Verbindung.h"

namespace trabolin {

namespace {

std::vector<Zentralenzeile> baueRegister()
{
    std::vector<Zentralenzeile> r;

    Zentralenzeile maerklin;
    maerklin.titel = QStringLiteral("&6021, IB, MC");
    maerklin.tipp = QStringLiteral(" 6021 & 6051, IntelliBox, MasterControl u.ä. ");
    maerklin.code = QStringLiteral("DCC");
    maerklin.name = QStringLiteral("6021");
    maerklin.adresseTitel = QStringLiteral("Adresse:");
    maerklin.adresseBereich = QStringLiteral("1...");
    // The light is on for any text but blanks, F1 to F4 only for "X"; 500 ms after the
    // function command (before the text command), 1000 ms after a change of direction.
    maerklin.lesart = {Zeilenregeln::maerklin, Schaltregel::nichtBlank, Schaltregel::nurX, 500, 1, 1, 1000};
    maerklin.treiber = [](const Zentralenanschluss &a) {
        return std::make_unique<MaerklinTreiber>(a.lauf, a.v24, a.lesart);
    };
    r.push_back(maerklin);

    Zentralenzeile lenz;
    lenz.titel = QStringLiteral("&Lenz V3.0");
    lenz.tipp = QStringLiteral(" Lenz LZ100 V3.0");
    lenz.code = QStringLiteral("Lenz");
    lenz.name = QStringLiteral("Lenz");
    lenz.adresseTitel = QStringLiteral("Adresse:");
    lenz.adresseBereich = QStringLiteral("1...");
    lenz.fahrstufen = true;
    lenz.usb = true;
    // Any text in a function cell switches it on; the function frame follows the speed
    // frame after 100 ms, in a single line after 100 ms more.
    lenz.lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 2, 0};
    lenz.treiber = [](const Zentralenanschluss &a) {
        return std::make_unique<LenzTreiber>(a.lauf, a.v24, a.lesart, a.melder);
    };
    r.push_back(lenz);

    Zentralenzeile ecos;
    ecos.titel = QStringLiteral("Ecos");
    ecos.code = QStringLiteral("Ecos");
    ecos.name = QStringLiteral("Ecos");
    ecos.transport = Transport::netzwerk;
    ecos.standardport = 15471;
    ecos.adresseTitel = QStringLiteral("ID:");
    ecos.adresseBereich = QStringLiteral("1000...");
    ecos.verbindenText = QStringLiteral("PC mit Ecos verbinden");
    ecos.verbindenTipp = QStringLiteral(" stellt die TCP-Verbindung zwischen PC und Ecos her ");
    ecos.standardTipp = QStringLiteral(" setzt den von ESU vorgegebenen Standardwert ");
    ecos.antwortTitel = QStringLiteral("letzte Antwort der Ecos");
    ecos.lokliste = true;
    ecos.netzInFestenZeilen = true;
    ecos.beimStart = true;
    // Only "X" switches a function on; direction, functions and speed go out 100 ms apart.
    ecos.lesart = {Zeilenregeln::dcc, Schaltregel::nurX, Schaltregel::nurX, 100, 2, 2, 0};
    ecos.verbindung = [](QObject *eltern, SerielleSchnittstelle &) { return new EcosVerbindung(eltern); };
    ecos.treiber = [](const Zentralenanschluss &a) {
        // The link is the one this row made; it reports the track state itself.
        auto *link = static_cast<EcosVerbindung *>(a.netz);
        link->setzeGleismelder(&a.melder);
        return std::make_unique<EcosTreiber>(a.lauf, *link, a.lesart);
    };
    r.push_back(ecos);

    Zentralenzeile z21;
    z21.titel = QStringLiteral("Z&21");
    z21.tipp = QStringLiteral(" Roco / Fleischmann Z21 ");
    z21.code = QStringLiteral("Z21");
    z21.name = QStringLiteral("Z21");
    z21.transport = Transport::netzwerk;
    z21.standardport = 21105;
    z21.adresseTitel = QStringLiteral("Adresse:");
    z21.adresseBereich = QStringLiteral("1...9999");
    z21.fahrstufen = true;
    z21.verbindenText = QStringLiteral("PC mit Z21 verbinden");
    z21.verbindenTipp = QStringLiteral(" stellt die UDP-Verbindung zwischen PC und Z21 her ");
    z21.standardTipp = QStringLiteral(" setzt den von Roco vorgegebenen Standardwert ");
    z21.antwortTitel = QStringLiteral("letzte Antwort der Z21");
    // As on the Lenz: any text in a function cell switches it on; the functions follow
    // the speed after 100 ms, in a single line after 100 ms more.
    z21.lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 2, 0};
    z21.verbindung = [](QObject *eltern, SerielleSchnittstelle &) { return new Z21Verbindung(eltern); };
    z21.treiber = [](const Zentralenanschluss &a) {
        // The link reads the Z21's broadcasts; it reports the track state itself.
        auto *link = static_cast<Z21Verbindung *>(a.netz);
        link->setzeGleismelder(&a.melder);
        return std::make_unique<Z21Treiber>(a.lauf, *link, a.lesart);
    };
    r.push_back(z21);

    Zentralenzeile dccex;
    dccex.titel = QStringLiteral("DCC-E&X");
    dccex.tipp = QStringLiteral(" DCC-EX (Arduino oder ESP32) über USB oder Netzwerk ");
    dccex.code = QStringLiteral("DCC-EX");
    dccex.name = QStringLiteral("DCC-EX");
    dccex.transport = Transport::waehlbar;
    dccex.standardport = dccexStandardPort;
    dccex.adresseTitel = QStringLiteral("Adresse:");
    dccex.adresseBereich = QStringLiteral("1...10239");
    dccex.verbindenText = QStringLiteral("PC mit DCC-EX verbinden");
    dccex.verbindenTipp = QStringLiteral(" stellt die TCP-Verbindung zwischen PC und DCC-EX her ");
    dccex.standardTipp = QStringLiteral(" setzt den Standardport der DCC-EX (2560) ");
    dccex.antwortTitel = QStringLiteral("letzte Antworten der DCC-EX");
    dccex.serielleVorgabe = QStringLiteral("115200,N,8,1");
    dccex.handshake = false;
    // As on the Lenz: any text in a function cell switches it on; the functions follow
    // the speed after 100 ms, in a single line after 100 ms more.
    dccex.lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 2, 0};
    // The link carries the commands over the serial port as well, and reads its answers.
    dccex.verbindung = [](QObject *eltern, SerielleSchnittstelle &v24) {
        return new DccexVerbindung(v24, eltern);
    };
    dccex.treiber = [](const Zentralenanschluss &a) {
        // The link reads the station's answers; it reports the track state itself.
        auto *link = static_cast<DccexVerbindung *>(a.netz);
        link->setzeGleismelder(&a.melder);
        return std::make_unique<DccexTreiber>(a.lauf, *link, a.lesart);
    };
    r.push_back(dccex);

    return r;
}

} // namespace

const std::vector<Zentralenzeile> &zentralenregister()
{
    static const std::vector<Zentralenzeile> rows = baueRegister();
    return rows;
}

int zentralenoption(const QString &code)
{
    const auto &r = zentralenregister();
    for (int i = 0; i < int(r.size()); ++i)
        if (r[i].code == code)
            return i;
    return -1;
}

int startoption()
{
    const auto &r = zentralenregister();
    for (int i = 0; i < int(r.size()); ++i)
        if (r[i].beimStart)
            return i;
    return 0;
}

const Zentralenzeile *zentralenzeile(int option)
{
    const auto &r = zentralenregister();
    return (option >= 0 && option < int(r.size())) ? &r[option] : nullptr;
}

} // namespace trabolin

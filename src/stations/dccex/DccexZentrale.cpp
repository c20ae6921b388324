#include "stations/dccex/DccexZentrale.h"

#include "stations/dccex/DccexBefehle.h"
#include "stations/dccex/DccexTreiber.h"
#include "stations/dccex/DccexVerbindung.h"

namespace trabolin {

namespace {

const QString ueberNetzwerk = QStringLiteral("über Netzwerk");

class DccexZentrale : public Zentrale {
public:
    DccexZentrale()
    {
        titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "DCC-E&X"));
        tipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " DCC-EX (Arduino oder ESP32) über USB oder Netzwerk "));
        code = QStringLiteral("DCC-EX");
        name = QStringLiteral("DCC-EX");
        netz = true;
        standardport = dccexStandardPort;
        adresseTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Adresse:"));
        adresseBereich = QStringLiteral("1...10239");
        verbindenText = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "PC mit DCC-EX verbinden"));
        verbindenTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " stellt die TCP-Verbindung zwischen PC und DCC-EX her "));
        standardTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " setzt den Standardport der DCC-EX (2560) "));
        antwortTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "letzte Antworten der DCC-EX"));
        // As on the Lenz: any text in a function cell switches it on; the functions follow
        // the speed after 100 ms, in a single line after 100 ms more.
        lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 2, 0};
    }

    Zentralenteile baue(const Zentralenanschluss &a) const override
    {
        // The link carries the commands over the serial port as well, reads the station's
        // answers and reports the track state itself.
        auto *link = nimmLink<DccexVerbindung>(a, a.v24);
        auto einstellen = [link](const QString &schluessel, const QString &wert) {
            if (schluessel == ueberNetzwerk)
                link->setzeUeberNetzwerk(wert == u"1");
        };
        return {std::make_unique<DccexTreiber>(a.lauf, *link, a.lesart), link, einstellen};
    }

    // The station sits on USB, or on the network when the user ticks "über Netzwerk".
    QList<Stationseinstellung> einstellungen() const override
    {
        Stationseinstellung netzwahl;
        netzwahl.schluessel = ueberNetzwerk;
        netzwahl.titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "über Netz&werk"));
        netzwahl.vorgabe = QStringLiteral("0");
        netzwahl.tipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " DCC-EX über das Netzwerk (WiFi, Ethernet) statt über USB "));
        return {netzwahl};
    }
    bool istSeriell(const Einstellungswerte &werte) const override { return werte.value(ueberNetzwerk) != u"1"; }
    // The station's USB line: 115200 baud, no handshake.
    Seriellvorgabe seriell() const override { return {QStringLiteral("115200,N,8,1"), false}; }
};

} // namespace

std::unique_ptr<Zentrale> dccexZentrale() { return std::make_unique<DccexZentrale>(); }

} // namespace trabolin

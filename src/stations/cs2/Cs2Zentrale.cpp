#include "stations/cs2/Cs2Zentrale.h"

#include "stations/cs2/Cs2Treiber.h"
#include "stations/cs2/Cs2Verbindung.h"

#include <QCoreApplication>

namespace trabolin {

namespace {

const QString protokollSchluessel = QStringLiteral("Protokoll");
const QString udpSchluessel = QStringLiteral("über UDP");

class Cs2Zentrale : public Zentrale {
public:
    Cs2Zentrale()
    {
        titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "CS&2/CS3"));
        tipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " Märklin Central Station 2 oder 3 über Netzwerk "));
        code = QStringLiteral("CS2");
        name = QStringLiteral("CS2");
        netz = true;
        standardport = Cs2Verbindung::standardPort;
        adresseTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Adresse:"));
        adresseBereich = cs2Adressbereichstext(Cs2Protokoll::mm2);
        fahrstufen = true;
        verbindenText = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "PC mit CS2 verbinden"));
        verbindenTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " stellt die Verbindung zwischen PC und CS2 her (TCP oder UDP) "));
        standardTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " setzt den von Märklin vorgegebenen Standardport (15731) "));
        antwortTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "letzte Antwort der CS2"));
        // As on the Lenz: any text in a function cell switches it on; the functions follow
        // the speed after 100 ms, in a single line too.
        lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 1, 0};
    }

    Zentralenteile baue(const Zentralenanschluss &a) const override
    {
        // The link reads the station's frames and reports the track state itself.
        auto *link = nimmLink<Cs2Verbindung>(a);
        auto treiber = std::make_unique<Cs2Treiber>(a.lauf, *link, a.lesart);
        auto einstellen = [link, t = treiber.get()](const QString &schluessel, const QString &wert) {
            if (schluessel == protokollSchluessel)
                t->setzeProtokoll(cs2ProtokollAus(wert));
            else if (schluessel == udpSchluessel)
                link->setzeUeberUdp(wert == u"1"); // for the next connect
        };
        return {std::move(treiber), link, einstellen};
    }

    QList<Stationseinstellung> einstellungen() const override
    {
        Stationseinstellung protokoll;
        protokoll.schluessel = protokollSchluessel;
        protokoll.titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Proto&koll"));
        protokoll.art = Stationseinstellung::Art::auswahl;
        protokoll.eintraege = {QStringLiteral("MM2"), QStringLiteral("DCC"), QStringLiteral("mfx")};
        protokoll.vorgabe = QStringLiteral("MM2");
        protokoll.tipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " das Gleisprotokoll der Lok: MM2 1...255, DCC 1...10239, mfx 1...16383 "));
        Stationseinstellung udp;
        udp.schluessel = udpSchluessel;
        udp.titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "ü&ber UDP"));
        udp.vorgabe = QStringLiteral("0");
        udp.tipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " UDP an Port 15731, Antworten auf Port 15730, für eine CS2 ohne TCP-Gateway "));
        return {protokoll, udp};
    }
    QString adressbereich(const Einstellungswerte &werte) const override
    {
        return cs2Adressbereichstext(cs2ProtokollAus(werte.value(protokollSchluessel)));
    }
    Zentralenmeldung keineAntwort() const override
    {
        return {QCoreApplication::translate("trabolin::Zentrale", " CS2..."),
                QCoreApplication::translate("trabolin::Zentrale",
                                            "Keine Antwort von der CS2 !\nBitte IP-Adresse und LocalPort prüfen und "
                                            "ob das CAN-Gateway der Central Station eingeschaltet ist (TCP, oder UDP "
                                            "mit \"über UDP\").")};
    }
};

} // namespace

std::unique_ptr<Zentrale> cs2Zentrale() { return std::make_unique<Cs2Zentrale>(); }

Cs2Protokoll cs2ProtokollAus(const QString &wert)
{
    const QString w = wert.trimmed();
    if (w == u"0" || w.compare(u"MM2", Qt::CaseInsensitive) == 0)
        return Cs2Protokoll::mm2;
    if (w == u"2" || w.compare(u"mfx", Qt::CaseInsensitive) == 0)
        return Cs2Protokoll::mfx;
    return Cs2Protokoll::dcc;
}

QString cs2Adressbereichstext(Cs2Protokoll protokoll)
{
    const Cs2Bereich b = cs2Adressbereich(protokoll);
    return QStringLiteral("%1...%2").arg(b.von).arg(b.bis);
}

} // namespace trabolin

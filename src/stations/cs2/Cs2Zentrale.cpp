#include "stations/cs2/Cs2Zentrale.h"

#include "stations/cs2/Cs2Treiber.h"
#include "stations/cs2/Cs2Verbindung.h"

namespace trabolin {

Zentralenzeile cs2Zentralenzeile()
{
    Zentralenzeile cs2;
    cs2.titel = QStringLiteral("CS&2/CS3");
    cs2.tipp = QStringLiteral(" Märklin Central Station 2 oder 3 über Netzwerk ");
    cs2.code = QStringLiteral("CS2");
    cs2.name = QStringLiteral("CS2");
    cs2.transport = Transport::netzwerk;
    cs2.standardport = Cs2Verbindung::standardPort;
    cs2.adresseTitel = QStringLiteral("Adresse:");
    cs2.adresseBereich = cs2Adressbereichstext(Cs2Protokoll::mm2);
    cs2.fahrstufen = true;
    cs2.verbindenText = QStringLiteral("PC mit CS2 verbinden");
    cs2.verbindenTipp = QStringLiteral(" stellt die Verbindung zwischen PC und CS2 her (TCP oder UDP) ");
    cs2.standardTipp = QStringLiteral(" setzt den von Märklin vorgegebenen Standardport (15731) ");
    cs2.antwortTitel = QStringLiteral("letzte Antwort der CS2");
    // As on the Lenz: any text in a function cell switches it on; the functions follow
    // the speed after 100 ms, in a single line too.
    cs2.lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 1, 0};
    cs2.verbindung = [](QObject *eltern, SerielleSchnittstelle &) { return new Cs2Verbindung(eltern); };
    cs2.treiber = [](const Zentralenanschluss &a) -> std::unique_ptr<Zentralentreiber> {
        // The link this row made; it reads the station's frames and reports the track.
        auto *link = qobject_cast<Cs2Verbindung *>(a.netz);
        if (!link)
            return nullptr;
        link->setzeGleismelder(&a.melder);
        return std::make_unique<Cs2Treiber>(a.lauf, *link, a.lesart);
    };
    return cs2;
}

QList<Cs2Einstellung> cs2Einstellungen()
{
    return {
        {QStringLiteral("Protokoll"), QStringLiteral("&Protokoll"), Cs2Einstellung::Art::auswahl,
         {QStringLiteral("MM2"), QStringLiteral("DCC"), QStringLiteral("mfx")}, QStringLiteral("MM2"),
         QStringLiteral(" das Gleisprotokoll der Lok: MM2 1...255, DCC 1...10239, mfx 1...16383 "), false},
        {QStringLiteral("über UDP"), QStringLiteral("über &UDP"), Cs2Einstellung::Art::haken, {},
         QStringLiteral("0"),
         QStringLiteral(" UDP an Port 15731, Antworten auf Port 15730, für eine CS2 ohne TCP-Gateway "), false},
    };
}

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

Cs2Meldung cs2KeineAntwort()
{
    return {QStringLiteral(" CS2..."),
            QStringLiteral("Keine Antwort von der CS2 !\nBitte IP-Adresse und LocalPort prüfen und ob das "
                           "CAN-Gateway der Central Station eingeschaltet ist (TCP, oder UDP mit \"über UDP\").")};
}

void cs2Uebernimm(Cs2Treiber &treiber, Cs2Verbindung &verbindung, Cs2Protokoll protokoll, bool udp)
{
    treiber.setzeProtokoll(protokoll);
    verbindung.setzeUeberUdp(udp);
}

} // namespace trabolin

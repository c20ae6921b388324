#pragma once
// The run logic wired to the test doubles: a table, controls in plain fields, a
// clock in virtual time, a recording port and a recording sound.
#include "helfer/Virtuell.h"
#include "program/Ablauf.h"
#include "program/Netzlink.h"
#include "stations/cs2/Cs2Link.h"
#include "stations/cs2/Cs2Rahmen.h"
#include "stations/dccex/DccexTreiber.h"
#include "stations/ecos/EcosStatuswache.h"
#include "stations/ecos/EcosTreiber.h"
#include "stations/lenz/LenzTreiber.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "stations/Zentralenregister.h"
#include "stations/z21/Z21Treiber.h"

#include <QStringList>

namespace trabolin::test {

// "5,s,7,X" fills cells 1 to 4 of a table line; the cells not named are emptied.
inline void fuelleZeile(Tabellenspeicher &tabelle, int nr, const QString &zellen)
{
    const QStringList teile = zellen.split(QLatin1Char(','));
    for (int i = 0; i < anzahlZellen; ++i)
        tabelle.setzeZelle(nr, i + 1, i < teile.size() ? teile[i] : QString());
}

// A network station's link as the tests see it: every command with its virtual time,
// shown as `zeige` shows it; `offen` false makes it refuse, as a link that is not
// connected does. `Link` is the interface the driver takes.
template <typename Link = Netzlink>
class Netzmitschrift : public Link {
public:
    Netzmitschrift(VirtuelleZeit &zeit, QString (*zeige)(const QByteArray &)) : m_zeit(zeit), m_zeige(zeige) {}
    bool offen = true;
    qint64 schreibMs = 0; // how far each command moves the clock on
    QStringList gesendet; // "<time> <command>"
    bool verbunden() const override { return offen; }
    bool sende(const QByteArray &befehl) override
    {
        if (!offen)
            return false;
        gesendet << QString::number(m_zeit.jetzt) + QLatin1Char(' ') + m_zeige(befehl);
        m_zeit.jetzt += schreibMs;
        return true;
    }

    // The ECoS's command texts as they stand; the binary stations' bytes in hex.
    static QString alsText(const QByteArray &befehl) { return QString::fromLatin1(befehl); }
    static QString alsHex(const QByteArray &befehl) { return QString::fromLatin1(befehl.toHex(' ').toUpper()); }

private:
    VirtuelleZeit &m_zeit;
    QString (*m_zeige)(const QByteArray &);
};

// The ECoS link: every command text.
class LinkMitschrift : public Netzmitschrift<> {
public:
    explicit LinkMitschrift(VirtuelleZeit &zeit) : Netzmitschrift(zeit, alsText) {}
};

// The Z21 link: every datagram in hex.
class Z21Mitschrift : public Netzmitschrift<> {
public:
    explicit Z21Mitschrift(VirtuelleZeit &zeit) : Netzmitschrift(zeit, alsHex) {}
};

// The Central Station link: every frame in hex, sent under a fixed hash.
class Cs2Linkmitschrift : public Netzmitschrift<Cs2Link> {
public:
    explicit Cs2Linkmitschrift(VirtuelleZeit &zeit) : Netzmitschrift(zeit, alsHex) {}
    quint16 hash() const override { return 0x4711; }
    // The directions as the link keeps them: from what it sent and what it read.
    bool sende(const QByteArray &rahmen) override
    {
        if (!Netzmitschrift::sende(rahmen))
            return false;
        richtungen.gesendet(rahmen);
        return true;
    }
    std::optional<bool> richtung(quint32 uid) const override { return richtungen.vorwaerts(uid); }
    Cs2Richtungen richtungen;
};

// The way to a DCC-EX station: its commands on the recording port, open while the
// ECoS link double is.
class DccexAufPort : public Netzlink {
public:
    DccexAufPort(Ausgabe &port, const LinkMitschrift &link) : m_port(port), m_link(link) {}
    bool verbunden() const override { return m_link.offen; }
    bool sende(const QByteArray &befehl) override
    {
        if (!m_link.offen)
            return false;
        m_port.schreibe(befehl);
        return true;
    }

private:
    Ausgabe &m_port;
    const LinkMitschrift &m_link;
};

struct Aufbau {
    Tabellenspeicher tabelle;
    TestBedienfeld feld;
    VirtuelleZeit zeit;
    Mitschrift port{zeit};
    KlangMitschrift klang{zeit};
    Ablauf ablauf{tabelle, feld, zeit, klang};
    MaerklinTreiber maerklin{ablauf, port, zentralenzeile(0)->lesart, &ablauf.gleismelder(0)};
    LenzTreiber lenz{ablauf, port, zentralenzeile(1)->lesart, ablauf.gleismelder(1)};
    LinkMitschrift link{zeit};
    EcosTreiber ecos{ablauf, link, zentralenzeile(2)->lesart};
    EcosStatuswache ecosWache{link}; // what the ECoS link reads of the layout
    DccexAufPort dccexLink{port, link};
    DccexTreiber dccex{ablauf, dccexLink, zentralenzeile(4)->lesart};
    Z21Mitschrift z21link{zeit};
    Z21Treiber z21{ablauf, z21link, zentralenzeile(zentralenoption(QStringLiteral("Z21")))->lesart};
    int nichtVerbunden = 0; // how often a network driver found no link

    Aufbau()
    {
        ablauf.setzeTreiber(0, &maerklin);
        ablauf.setzeTreiber(1, &lenz);
        ablauf.setzeTreiber(2, &ecos);
        ablauf.setzeTreiber(4, &dccex);
        ablauf.setzeTreiber(zentralenoption(QStringLiteral("Z21")), &z21);
        ecos.nichtVerbunden = dccex.nichtVerbunden = z21.nichtVerbunden = [this] { ++nichtVerbunden; };
        ecosWache.setzeMelder(&ablauf.gleismelder(2));
    }

    void zeile(int nr, const QString &zellen) { fuelleZeile(tabelle, nr, zellen); }
    void zeilen(const QStringList &liste)
    {
        for (int i = 0; i < liste.size(); ++i)
            zeile(i + 1, liste[i]);
    }
    QStringList klaenge() const
    {
        QStringList k;
        for (const auto &[t, datei] : klang.gespielt)
            k << QString::number(t) + QLatin1Char(' ') + datei;
        return k;
    }
};


} // namespace trabolin::test

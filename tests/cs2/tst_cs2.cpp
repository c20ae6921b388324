// The Märklin Central Station 2/3: frames against the public CAN protocol description
// ("Kommunikation über CAN", version 2.0), the simulator's decoder, the driver's runs in
// virtual time, and the link against the simulator over TCP and UDP on 127.0.0.1.
#include "helfer/Aufbau.h"
#include "helfer/Feld.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Simulatorprozess.h"
#include "helfer/Verbinden.h"
#include "program/Verkehrsprotokoll.h"
#include "stations/Zentralenregister.h"
#include "sim/cs2/Cs2Dekodierer.h"
#include "stations/cs2/Cs2Rahmen.h"
#include "stations/cs2/Cs2Treiber.h"
#include "stations/cs2/Cs2Verbindung.h"
#include "stations/cs2/Cs2Zentrale.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

using namespace trabolin;
using namespace trabolin::sim;
using namespace trabolin::test;

namespace {

QString hex(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }
QByteArray bytes(const QString &hexText) { return QByteArray::fromHex(hexText.toLatin1()); }

// The hash of the description's examples ("00084711 6 ..."): it carries the mark
// 0x0300 in bits 7 to 9 as every newer device's hash does.
constexpr quint16 beispielHash = 0x4711;
// A frame as the issue writes it, "hh hh" standing for the hash: with the example hash.
QString v(QString frame) { return frame.replace(QStringLiteral("hh hh"), QStringLiteral("47 11")); }

// The CS2 link as the tests see it: every frame in hex with its virtual time; `offen`:
// frames can go out.
class Cs2Mitschrift : public Cs2Linkmitschrift {
public:
    explicit Cs2Mitschrift(VirtuelleZeit &zeit) : Cs2Linkmitschrift(zeit) {}
    bool antwortet = true; // the station answers its pings
    bool verbunden() const override { return antwortet; }
    quint16 hash() const override { return beispielHash; }
};

// The run logic with the CS2 driver at an option of its own, beside the others.
struct Cs2Aufbau : Aufbau {
    static constexpr int option = 7;
    std::unique_ptr<Zentrale> station = cs2Zentrale();
    Cs2Mitschrift cs2link{zeit};
    Cs2Treiber cs2{ablauf, cs2link, station->lesart};
    QStringList hinweise;
    QStringList ursachen; // what ended a run, as the indicator shows it

    Cs2Aufbau()
    {
        ablauf.setzeTreiber(option, &cs2);
        feld.option = option;
        feld.mitSignal = true;
        cs2.nichtVerbunden = [this] { ++nichtVerbunden; };
        cs2.hinweis = [this](const QString &text) { hinweise << text; };
        QObject::connect(&ablauf, &Ablauf::angehalten,
                         [this](Gleiszustand z) { ursachen << gleisanzeigeText(z); });
    }
    // A driver on a real link in place of the recording one: DCC 3, 128 steps.
    std::unique_ptr<Cs2Treiber> fahreUeber(Cs2Link &link)
    {
        auto treiber = std::make_unique<Cs2Treiber>(ablauf, link, station->lesart);
        ablauf.setzeTreiber(option, treiber.get());
        treiber->setzeProtokoll(Cs2Protokoll::dcc);
        treiber->setzeFahrstufen(3);
        feld.adresse = QStringLiteral("3");
        return treiber;
    }
    // A frame from the station, read as the link reads it.
    void empfange(const QString &frame)
    {
        const auto r = cs2Dekodiere(bytes(frame));
        QVERIFY(r);
        cs2link.richtungen.gelesen(*r);
        if (const auto z = cs2Gleiszustand(*r))
            ablauf.gleismelder(option).meldeGleiszustand(*z);
    }
};

// What the layout does at a virtual time: "3000 <13 bytes>" a frame from the station,
// "3000 stopp" St&op, "3000 schliessen" the window closing.
struct Ereignis {
    qint64 zeit;
    QString was;
};

// A run or single line on the CS2.
struct Fahrt {
    QString adresse = QStringLiteral("3");
    Cs2Protokoll protokoll = Cs2Protokoll::dcc;
    int fahrstufen = 3; // the entry chosen in "Fahrstufen"
    QStringList tabelle;
    bool einzeln = false;
    QList<Ereignis> ereignisse;
    QStringList erwartet; // "<time> <frame>", the frame as the issue writes it
    QStringList klaenge;
    QString ursache;      // what the run logic reported as ending the run
    int hinweise = 0;
};

// Records what the link reports of the layout; `beimMelden` acts on each report as the
// run logic would. Contacts: "Ereignis 5 belegt" (meldeKontakt), "Stand 5 frei".
struct Meldungen : Gleismelder {
    QStringList zustaende, meldungen;
    std::function<void(Gleiszustand)> beimMelden;
    void meldeGleiszustand(Gleiszustand z) override
    {
        zustaende << gleisanzeigeText(z);
        if (beimMelden)
            beimMelden(z);
    }
    void meldeKontakt(int nummer, bool belegt) override { merke(u"Ereignis", nummer, belegt); }
    void meldeKontaktstand(int nummer, bool belegt) override { merke(u"Stand", nummer, belegt); }
    void merke(QStringView art, int nummer, bool belegt)
    {
        meldungen << art.toString() + QStringLiteral(" %1 ").arg(nummer)
                         + (belegt ? QStringLiteral("belegt") : QStringLiteral("frei"));
    }
};

// The simulator as a child process on free ports: "TCP <port>, UDP <port>" in its first line.
struct Simulator : Simulatorprozess {
    quint16 tcp = 0, udp = 0;

    bool starte(quint16 antwortport, const QStringList &mehr = {})
    {
        schnitt = ohneZeit;
        if (!Simulatorprozess::starte(QStringLiteral(CS2_SIMULATOR),
                                      QStringList{"--port", "0", "--antwortport", QString::number(antwortport)} + mehr))
            return false;
        const auto treffer = QRegularExpression(QStringLiteral("TCP (\\d+), UDP (\\d+)")).match(erste);
        tcp = quint16(treffer.captured(1).toUInt());
        udp = quint16(treffer.captured(2).toUInt());
        return tcp != 0 && udp != 0;
    }
};

quint16 freierUdpPort()
{
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

// The simulator, its decoder in 128-step mode, and a link to it over TCP or UDP that
// reports to `melder`.
struct AmSimulator {
    Simulator sim;
    Cs2Verbindung link;
    bool udp = false;
    bool starte(bool ueberUdp, Gleismelder &melder)
    {
        udp = ueberUdp;
        const quint16 antwortport = freierUdpPort();
        link.setzeUeberUdp(udp);
        link.setzeEmpfangsport(antwortport);
        link.setzeGleismelder(&melder);
        return sim.starte(antwortport, {"--fahrstufen", "126"});
    }
    bool verbinde(const QString &host = QStringLiteral("127.0.0.1"))
    {
        return verbindeUndWarte(link, host, udp ? sim.udp : sim.tcp);
    }
};

// A TCP peer that plays a station answering only the first `antworten` pings, and
// can drop the connection.
struct Gegenstelle {
    QTcpServer server;
    QTcpSocket *client = nullptr;
    int antworten = 1;
    QList<QByteArray> empfangen; // whole frames
    QByteArray rest;

    Gegenstelle()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, client, [this] {
                rest += client->readAll();
                while (rest.size() >= 13) {
                    const QByteArray r = rest.left(13);
                    rest.remove(0, 13);
                    empfangen << r;
                    // A ping (CAN-ID 0x0030xxxx, DLC 0) is answered as the description's
                    // section 6.1 shows: response bit, DLC 8, UID, version, device.
                    if (r.startsWith(bytes("00 30")) && r[4] == 0 && antworten-- > 0)
                        client->write(bytes("00 31 8B 5B 08 43 53 32 08 04 01 FF FF"));
                }
            });
        });
    }
    int pings() const
    {
        return int(std::count_if(empfangen.cbegin(), empfangen.cend(),
                                 [](const QByteArray &r) { return r.startsWith(bytes("00 30")); }));
    }
};

} // namespace

Q_DECLARE_METATYPE(Fahrt)

class TestCs2 : public QObject {
    Q_OBJECT
private slots:
    void rahmen_data()
    {
        QTest::addColumn<QByteArray>("ist");
        QTest::addColumn<QString>("soll"); // empty: nothing may go out
        const auto uid = [](Cs2Protokoll p, qint64 a) { return cs2LokUid(p, a).value_or(0xFFFFFFFF); };
        // Description, 3.4 "Lok Geschwindigkeit", examples "00084711 6 00 00 C0 03 01 20" and
        // "00084711 6 00 00 40 01 03 20".
        QTest::newRow("3.4 dcc 3 v=0x120") << cs2Fahrbefehl(beispielHash, uid(Cs2Protokoll::dcc, 3), 0x120)
                                           << "00 08 47 11 06 00 00 C0 03 01 20 00 00";
        QTest::newRow("3.4 mfx 1 v=800") << cs2Fahrbefehl(beispielHash, uid(Cs2Protokoll::mfx, 1), 800)
                                         << "00 08 47 11 06 00 00 40 01 03 20 00 00";
        // Description, 2.1 and 2.2: "00004711 5 00 00 00 00 00" Stopp an alle, "... 01" Go an alle.
        QTest::newRow("2.1 stopp an alle") << cs2Systembefehl(beispielHash, cs2Stopp)
                                           << "00 00 47 11 05 00 00 00 00 00 00 00 00";
        QTest::newRow("2.2 go an alle") << cs2Systembefehl(beispielHash, cs2Go)
                                        << "00 00 47 11 05 00 00 00 00 01 00 00 00";
        // Description, 3.5 "Lok Richtung": "000A4711 5 00 00 C0 05 01" DCC 5 forwards, "... 02" backwards.
        QTest::newRow("3.5 dcc 5 vorwaerts") << cs2Richtungsbefehl(beispielHash, uid(Cs2Protokoll::dcc, 5), true)
                                             << "00 0A 47 11 05 00 00 C0 05 01 00 00 00";
        QTest::newRow("3.5 dcc 5 rueckwaerts") << cs2Richtungsbefehl(beispielHash, uid(Cs2Protokoll::dcc, 5), false)
                                               << "00 0A 47 11 05 00 00 C0 05 02 00 00 00";
        // Description, 3.6 "Lok Funktion": "000C4711 6 00 00 C0 0A 00 01" light on, DCC address 10.
        QTest::newRow("3.6 dcc 10 licht ein") << cs2Funktionsbefehl(beispielHash, uid(Cs2Protokoll::dcc, 10), 0, true)
                                              << "00 0C 47 11 06 00 00 C0 0A 00 01 00 00";
        // Description, 6.1: Ping 0x18 (in CAN-ID 0x30), DLC 0 asks every device.
        QTest::newRow("6.1 ping") << cs2Pingbefehl(beispielHash) << "00 30 47 11 00 00 00 00 00 00 00 00 00";
    }
    void rahmen()
    {
        QFETCH(QByteArray, ist);
        QTEST(hex(ist), "soll");
    }

    // The value is step × 1000 / max rounded up, the step limited to 0..max, max = 14,
    // 27, 28, 126 for "14", "27", "28", "128": the station rounds value × max / 1000
    // down into the decoder's step, so step 1 of 14 must be 72 (71 gives step 0).
    void werte_data()
    {
        QTest::addColumn<int>("fahrstufenIndex");
        QTest::addColumn<qint64>("stufe");
        QTest::addColumn<int>("wert");
        QTest::newRow("14: 1 -> 72") << 0 << qint64(1) << 72;
        QTest::newRow("28: 2 -> 72") << 2 << qint64(2) << 72;
        QTest::newRow("128: 8 -> 64") << 3 << qint64(8) << 64;
        QTest::newRow("27: 1 -> 38") << 1 << qint64(1) << 38;
        QTest::newRow("27: 27 -> 1000") << 1 << qint64(27) << 1000;
        QTest::newRow("128: 126 -> 1000") << 3 << qint64(126) << 1000;
        QTest::newRow("128: 127 begrenzt") << 3 << qint64(127) << 1000;
        QTest::newRow("28: 14 -> 500") << 2 << qint64(14) << 500;
        QTest::newRow("keine wahl wie 14") << -1 << qint64(14) << 1000;
        QTest::newRow("negativ -> 0") << 0 << qint64(-5) << 0;
    }
    void werte()
    {
        QFETCH(int, fahrstufenIndex);
        QFETCH(qint64, stufe);
        QTEST(int(cs2Geschwindigkeitswert(stufe, cs2HoechsteFahrstufe(fahrstufenIndex))), "wert");
        // Every step of the mode comes back as itself through the station's rounding down.
        const int hoechste = cs2HoechsteFahrstufe(fahrstufenIndex);
        for (int k = 0; k <= hoechste; ++k)
            QCOMPARE(cs2Geschwindigkeitswert(k, hoechste) * hoechste / 1000, k);
    }

    void adressen_data()
    {
        QTest::addColumn<int>("protokoll");
        QTest::addColumn<qint64>("adresse");
        QTest::addColumn<qint64>("uid"); // -1: none
        QTest::newRow("mm2 1") << 0 << qint64(1) << qint64(0x0001);
        QTest::newRow("mm2 255") << 0 << qint64(255) << qint64(0x00FF);
        QTest::newRow("mm2 0") << 0 << qint64(0) << qint64(-1);
        QTest::newRow("dcc 10239") << 1 << qint64(10239) << qint64(0xC000 + 10239);
        QTest::newRow("mfx 16384") << 2 << qint64(16384) << qint64(-1);
    }
    void adressen()
    {
        QFETCH(int, protokoll);
        QFETCH(qint64, adresse);
        const auto ist = cs2LokUid(Cs2Protokoll(protokoll), adresse);
        QTEST(ist ? qint64(*ist) : qint64(-1), "uid");
    }

    // The description's hash: the halves of the UID exclusive-or'ed, the mark 0x0300 in
    // bits 7 to 9 (worked by hand from the rule).
    void hash_data()
    {
        QTest::addColumn<quint32>("uid");
        QTest::addColumn<quint16>("hash");
        QTest::newRow("cs2 43533208") << quint32(0x43533208) << quint16(0x8B5B);
        QTest::newRow("0") << quint32(0) << quint16(0x0300);
        QTest::newRow("hälften gleich") << quint32(0x12341234) << quint16(0x0300);
        QTest::newRow("0000FFFF") << quint32(0x0000FFFF) << quint16(0xFF7F);
        QTest::newRow("00000080: bit 7 rückt nach 10") << quint32(0x00000080) << quint16(0x0700);
    }
    void hash()
    {
        QFETCH(quint32, uid);
        QFETCH(quint16, hash);
        QCOMPARE(QString::number(cs2Hash(uid), 16), QString::number(hash, 16));
    }

    // Pieces as they come from TCP, "|" between two reads; the frames read, and what
    // each says of the layout.
    void lesen_data()
    {
        QTest::addColumn<QString>("stuecke");
        QTest::addColumn<QStringList>("rahmen"); // "<command> <response> <hash> <data>"
        QTest::addColumn<QStringList>("gleis");
        QTest::addColumn<int>("offen");
        // Description, 3.2: "00054711 6 FF FA 8C 43 00 05" the answer to a bind.
        QTest::newRow("ein rahmen") << "00 05 47 11 06 FF FA 8C 43 00 05 00 00"
                                    << QStringList{"2 1 4711 FF FA 8C 43 00 05"} << QStringList{""} << 0;
        QTest::newRow("geteilt in drei") << "00 05 47|11 06 FF FA 8C 43 00|05 00 00"
                                         << QStringList{"2 1 4711 FF FA 8C 43 00 05"} << QStringList{""} << 0;
        // Description, 2.11: "00004711 6 43 53 32 08 0A 01" overload on channel 1, as an answer.
        QTest::newRow("zwei in einem, der dritte halb")
            << "00 01 47 11 06 43 53 32 08 0A 01 00 00 00 01 47 11 05 00 00 00 00 01 00 00 00 00 31 8B"
            << QStringList{"0 1 4711 43 53 32 08 0A 01", "0 1 4711 00 00 00 00 01"}
            << QStringList{"Kurzschluss", "Gleis: an"} << 3;
        QTest::newRow("dlc 9 wird verworfen, der naechste zaehlt")
            << "00 01 47 11 09 00 00 00 00 00 00 00 00|00 01 47 11 05 00 00 00 00 02 00 00 00"
            << QStringList{"0 1 4711 00 00 00 00 02"} << QStringList{"Nothalt"} << 0;
        QTest::newRow("stopp mit antwortbit") << "00 01 47 11 05 43 53 32 08 00 00 00 00"
                                              << QStringList{"0 1 4711 43 53 32 08 00"} << QStringList{"Gleis: aus"}
                                              << 0;
        // Our own Stop as another program sends it: no response bit, not the layout's report.
        QTest::newRow("stopp ohne antwortbit") << "00 00 47 11 05 00 00 00 00 00 00 00 00"
                                               << QStringList{"0 0 4711 00 00 00 00 00"} << QStringList{""} << 0;
        // Description, 2.4: "00004711 5 00 00 C0 03 03" Lok Nothalt DCC 3: a locomotive, not the layout.
        QTest::newRow("lok nothalt") << "00 01 47 11 05 00 00 C0 03 03 00 00 00"
                                     << QStringList{"0 1 4711 00 00 C0 03 03"} << QStringList{""} << 0;
        QTest::newRow("ping antwort") << "00 31 8B 5B 08 43 53 32 08 04 01 FF FF"
                                      << QStringList{"18 1 8b5b 43 53 32 08 04 01 FF FF"} << QStringList{""} << 0;
    }
    void lesen()
    {
        QFETCH(QString, stuecke);
        Cs2Leser leser;
        QStringList rahmen, gleis;
        bool ping = false;
        for (const QString &stueck : stuecke.split(u'|'))
            for (const Cs2Rahmen &r : leser.fuettere(bytes(stueck))) {
                rahmen << QString::number(r.befehl, 16) + u' ' + QString::number(int(r.antwort)) + u' '
                              + QString::number(r.hash, 16) + u' ' + hex(r.daten);
                const auto z = cs2Gleiszustand(r);
                gleis << (z ? gleisanzeigeText(*z) : QString());
                ping = ping || cs2IstPingantwort(r);
            }
        QTEST(rahmen, "rahmen");
        QTEST(gleis, "gleis");
        QTEST(int(leser.offen()), "offen");
        QCOMPARE(ping, stuecke.startsWith(QStringLiteral("00 31")));
    }

    // The S88 events of the station (command 0x11 with the response bit, DLC 8: device
    // id, contact id, old state, new state, time) as the public CAN description lays
    // them out; the description's example of contact 5 with hash 6778 first. A new state
    // 1 is occupied; old = new is a state, not a change (the station sends 1, 1 for a
    // contact that stays occupied).
    void kontakte_data()
    {
        QTest::addColumn<QString>("rahmen");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("kontakt 5 belegt") << "00 23 67 78 08 00 00 00 05 00 01 00 00" << "Ereignis 5 belegt";
        QTest::newRow("kontakt 5 frei") << "00 23 67 78 08 00 00 00 05 01 00 00 0A" << "Ereignis 5 frei";
        QTest::newRow("alt und neu belegt") << "00 23 67 78 08 00 00 00 05 01 01 00 00" << "Stand 5 belegt";
        QTest::newRow("kontaktkennung big endian, geraet egal")
            << "00 23 67 78 08 12 34 00 0C 00 01 00 00" << "Ereignis 12 belegt";
        QTest::newRow("ohne antwortbit eine frage") << "00 22 67 78 08 00 00 00 05 00 01 00 00" << "";
        QTest::newRow("dlc 7 schaltet ereignisse ein") << "00 23 67 78 07 00 00 00 01 00 10 FF 00" << "";
        QTest::newRow("anderer befehl") << "00 01 67 78 08 00 00 00 05 00 01 00 00" << "";
    }
    void kontakte()
    {
        QFETCH(QString, rahmen);
        const auto r = cs2Dekodiere(bytes(rahmen));
        QVERIFY(r);
        Meldungen melder;
        if (const auto k = cs2Kontaktmeldung(*r))
            cs2MeldeKontakt(*k, melder);
        QTEST(melder.meldungen.join(u'|'), "meldung");
    }

    // A contact line against the simulator: "K" drives the locomotive forwards at the top
    // step, the simulator's locomotive reaches contact 2 and the station's S88 event
    // ends the line's wait; the next line drives after it and the run ends as usual.
    void kontaktZumSimulator()
    {
        Cs2Aufbau a;
        AmSimulator s;
        QVERIFY(s.starte(false, a.ablauf.gleismelder(Cs2Aufbau::option)) && s.verbinde());
        const auto treiber = a.fahreUeber(s.link);
        QVERIFY(treiber->liestKontakte());
        a.zeilen({"2,K,126", "1,S,5"});
        QSignalSpy verfehlt(&a.ablauf, &Ablauf::kontaktVerfehlt);
        bool wartete = false;
        a.zeit.bei(1000, [&] {
            wartete = a.ablauf.wartetAufKontakt() == 2;
            QTRY_COMPARE(a.ablauf.kontaktzustand(Cs2Aufbau::option, 2), std::optional<bool>(true));
        });
        a.ablauf.btnStart_Click();
        QVERIFY(wartete && !a.ablauf.laeuft());
        QCOMPARE(verfehlt.size(), 0);
        // Line 2's time counts from the contact at 1000: its pause and its second.
        QCOMPARE(a.klaenge(), QStringList(2, QStringLiteral("2100 Signal.wav")));
        QTRY_COMPARE(s.sim.anzahl(QStringLiteral("Geschwindigkeit 0 ->")), 1);
        // The event on the wire as the description lays it out, between line 1 and line 2.
        const QStringList zeilen = s.sim.lies();
        const auto stelle = [&](const char *text) { qsizetype i = 0; while (i < zeilen.size() && !zeilen[i].contains(text)) ++i; return i; };
        const qsizetype ereignis = stelle("00 23 8B 5B 08 00 00 00 02 00 01 00 00  Strecke: Lok DCC 3");
        QVERIFY(ereignis < zeilen.size());
        QVERIFY(stelle("Geschwindigkeit 1000 -> Lok DCC 3: vorwärts") < ereignis);
        QVERIFY(ereignis < stelle("Geschwindigkeit 40 -> Lok DCC 3: vorwärts"));
    }

    // The simulator's decoder: bytes from clients ("T" over TCP, "U" one UDP datagram);
    // the line printed for the last frame (after the frame's bytes, unless it starts
    // with "!") and the answers to the last input.
    void simulator_data()
    {
        QTest::addColumn<QStringList>("eingaben");
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<QStringList>("antworten");
        const auto reihe = [](const char *name, const QStringList &eingaben, const QString &zeile,
                              const QStringList &antworten = {}) {
            QTest::newRow(name) << eingaben
                                << (zeile.startsWith(u'!') ? zeile.mid(1) : eingaben.last().mid(2) + QStringLiteral("  ") + zeile)
                                << antworten;
        };
        // DCC 3 with the station's 28 steps, MM2 24 with 14.
        const QString lok3 = QStringLiteral("Lok DCC 3: vorwärts, Geschwindigkeit ");
        const QString aus = QStringLiteral(", Licht aus, F1 aus, F2 aus, F3 aus, F4 aus");
        const QString mm24 = QStringLiteral("Lok MM2 24: vorwärts, Geschwindigkeit %1, Fahrstufe %2 von 14") + aus;
        const QString v288 = QStringLiteral("T 00 08 47 11 06 00 00 C0 03 01 20 00 00");
        // Description, 6.1: every device answers with its UID, version and kind: the
        // track format processor (0x0000) and the GUI (0xFFFF), under the station's hash.
        reihe("ping, zwei geraete", {"T 00 30 47 11 00 00 00 00 00 00 00 00 00"}, "Ping -> CS2 43533208 und GUI 43533209",
              {"00 31 8B 5B 08 43 53 32 08 04 01 00 00", "00 31 8B 5B 08 43 53 32 09 04 01 FF FF"});
        // Description, 3.4: the answer is the command with the response bit, from the station.
        reihe("geschwindigkeit, geteilt", {"T 00 08 47 11 06 00", "T 00 C0 03 01 20 00 00"},
              "!00 08 47 11 06 00 00 C0 03 01 20 00 00  Geschwindigkeit 288 -> " + lok3 + "288, Fahrstufe 8 von 28" + aus,
              {"00 09 8B 5B 06 00 00 C0 03 01 20 00 00"});
        // The value rounded down into the decoder's step: 72 is step 1 of 14, 71 step 0.
        reihe("mm2 24, 72 ist stufe 1", {"T 00 08 47 11 06 00 00 00 18 00 48 00 00"},
              "Geschwindigkeit 72 -> " + mm24.arg(72).arg(1), {"00 09 8B 5B 06 00 00 00 18 00 48 00 00"});
        reihe("mm2 24, 71 ist stufe 0", {"T 00 08 47 11 06 00 00 00 18 00 47 00 00"},
              "Geschwindigkeit 71 -> " + mm24.arg(71).arg(0), {"00 09 8B 5B 06 00 00 00 18 00 47 00 00"});
        // Description, 3.5: a change of direction sets the speed to 0.
        reihe("richtungswechsel haelt", {v288, "T 00 0A 47 11 05 00 00 C0 03 02 00 00 00"},
              "Richtung rückwärts -> Lok DCC 3: rückwärts, Geschwindigkeit 0, Fahrstufe 0 von 28" + aus,
              {"00 0B 8B 5B 05 00 00 C0 03 02 00 00 00"});
        reihe("gleiche richtung haelt nicht", {v288, "T 00 0A 47 11 05 00 00 C0 03 01 00 00 00"},
              "Richtung vorwärts -> " + lok3 + "288, Fahrstufe 8 von 28" + aus, {"00 0B 8B 5B 05 00 00 C0 03 01 00 00 00"});
        // Description, 2.1 and 2.2: Go and Stop to every device, answered under the station's hash.
        reihe("system stopp, zwei in einem datagramm",
              {"U 00 00 47 11 05 00 00 00 00 01 00 00 00 00 00 47 11 05 00 00 00 00 00 00 00 00"},
              "!00 00 47 11 05 00 00 00 00 00 00 00 00  System Stopp -> Gleis aus",
              {"00 01 8B 5B 05 00 00 00 00 01 00 00 00", "00 01 8B 5B 05 00 00 00 00 00 00 00 00"});
        // Description, 2.3: after Halt the locomotive commands are taken and held until Go.
        const QString halt = QStringLiteral("T 00 00 47 11 05 00 00 00 00 02 00 00 00");
        const QString v500 = QStringLiteral("T 00 08 47 11 06 00 00 C0 03 01 F4 00 00");
        reihe("halt haelt lokbefehle", {v288, halt, v500},
              "Geschwindigkeit 500 -> gehalten bis Go, " + lok3 + "0, Fahrstufe 0 von 28" + aus,
              {"00 09 8B 5B 06 00 00 C0 03 01 F4 00 00"});
        reihe("go nach halt", {halt, v500, "T 00 00 47 11 05 00 00 00 00 01 00 00 00"},
              "!Go nach Halt -> " + lok3 + "500, Fahrstufe 14 von 28" + aus, {"00 01 8B 5B 05 00 00 00 00 01 00 00 00"});
        reihe("halbes datagramm", {"U 00 30 47 11 00 00"}, "!FEHLER: 6 Bytes übrig, kein ganzer Rahmen: 00 30 47 11 00 00");
        reihe("dlc 9", {"T 00 08 47 11 09 00 00 C0 03 01 20 00 00"}, "FEHLER: DLC 9 über 8");
        reihe("bytes hinter dlc", {"T 00 0A 47 11 05 00 00 C0 03 01 07 00 00"}, "FEHLER: Bytes hinter DLC 5 nicht 0");
        // Description, 1.3: bits 7 to 9 of the hash are 1, 1, 0; a frame without it is not taken.
        reihe("hash ohne kennung, ping", {"T 00 30 47 91 00 00 00 00 00 00 00 00 00"},
              "Hash 4791 ohne Kennung 0x0300, wird übergangen");
        reihe("hash ohne kennung, geschwindigkeit",
              {v288, "T 00 08 12 34 06 00 00 C0 03 00 00 00 00", "T 00 08 47 11 04 00 00 C0 03 00 00 00 00"},
              "Geschwindigkeit abfragen -> " + lok3 + "288, Fahrstufe 8 von 28" + aus, {"00 09 8B 5B 06 00 00 C0 03 01 20 00 00"});
    }
    void simulator()
    {
        QFETCH(QStringList, eingaben);
        QFETCH(QStringList, antworten);
        Cs2Dekodierer cs2;
        Cs2Ergebnis e;
        for (const QString &eingabe : eingaben)
            e = cs2.verarbeite(bytes(eingabe.mid(2)), QStringLiteral("a"), eingabe.startsWith(u'T'));
        QTEST(e.zeilen.value(e.zeilen.size() - 1), "zeile");
        QStringList gesendet;
        for (const QByteArray &a : e.antworten)
            gesendet << hex(a);
        QCOMPARE(gesendet, antworten);
    }

    // Two locomotives at once on the simulator's decoder, each on a track of its own:
    // the first one commanded on contacts 1 and 2 as always, the second on 3 and 4.
    // Each contact as the station reports it (the public CAN description's S88 event:
    // command 0x11 with the response bit, DLC 8, device 0, contact id, old state, new
    // state, time 0; the question with DLC 4 answered with the state as old and new). Steps
    // "<ms> <frame>" over TCP, "<ms> <layout action>" or "<ms>" alone; the S88 frames
    // sent, and the simulator's lines of the contacts.
    void simulatorZweiLoks_data()
    {
        QTest::addColumn<QStringList>("schritte");
        QTest::addColumn<QStringList>("s88");
        QTest::addColumn<QStringList>("strecke");
        // DCC 3 and DCC 4 at speed 1000 (step 28 of 28, the top speed): DCC 3 at 0 ms
        // reaches contact 2 at 1300 ms, DCC 4 from 500 ms contact 4 at 1800 ms.
        QTest::newRow("DCC 3 und DCC 4")
            << QStringList{"0 00 08 47 11 06 00 00 C0 03 03 E8 00 00", "500 00 08 47 11 06 00 00 C0 04 03 E8 00 00",
                           "1300", "1400", "1800", "1850 00 22 47 11 04 00 00 00 04 00 00 00 00", "1900"}
            << QStringList{"00 23 8B 5B 08 00 00 00 02 00 01 00 00", "00 23 8B 5B 08 00 00 00 02 01 00 00 00",
                           "00 23 8B 5B 08 00 00 00 04 00 01 00 00", "00 23 8B 5B 08 00 00 00 04 01 01 00 00",
                           "00 23 8B 5B 08 00 00 00 04 01 00 00 00"}
            << QStringList{"Strecke: Lok DCC 3 bei 2800 mm, Kontakt 2 belegt", "Strecke: Lok DCC 3 bei 2900 mm, Kontakt 2 frei",
                           "Strecke: Lok DCC 4 bei 2800 mm, Kontakt 4 belegt", "Strecke: Lok DCC 4 bei 2900 mm, Kontakt 4 frei"};
        // mfx 5 at 500 (step 63 of 126, half the top speed) takes track 1, MM2 24 at
        // 1000 track 2 and reaches contact 4 at 1300 ms. The Halt at 1350 ms stops both
        // where they stand (MM2 24 on its contact); after Go mfx 5 at 1000 goes on from
        // 2.175 m and reaches contact 2 at 2625 ms.
        QTest::newRow("mfx 5 und MM2 24, halt")
            << QStringList{"0 00 08 47 11 06 00 00 40 05 01 F4 00 00", "0 00 08 47 11 06 00 00 00 18 03 E8 00 00",
                           "1300", "1350 halt", "1900 go", "2000 00 08 47 11 06 00 00 40 05 03 E8 00 00", "2700"}
            << QStringList{"00 23 8B 5B 08 00 00 00 04 00 01 00 00", "00 23 8B 5B 08 00 00 00 02 00 01 00 00"}
            << QStringList{"Strecke: Lok MM2 24 bei 2800 mm, Kontakt 4 belegt",
                           "Strecke: Lok mfx 5 bei 2875 mm, Kontakt 2 belegt"};
    }
    void simulatorZweiLoks()
    {
        QFETCH(QStringList, schritte);
        Cs2Dekodierer cs2;
        QStringList s88, strecke;
        const auto nimm = [&](const Cs2Ergebnis &e) {
            for (const QString &zeile : e.zeilen)
                if (zeile.contains(u"  Strecke: "))
                    strecke << zeile.section(QStringLiteral("  "), 1);
            for (const QByteArray &a : e.antworten)
                if (a.startsWith(QByteArray::fromHex("0023")))
                    s88 << hex(a);
        };
        for (const QString &schritt : schritte) {
            const QString rest = schritt.section(u' ', 1);
            nimm(cs2.bewege(schritt.section(u' ', 0, 0).toLongLong()));
            if (!rest.isEmpty())
                nimm(rest.at(0).isLetter() ? cs2.anlage(rest) : cs2.verarbeite(bytes(rest), QStringLiteral("a")));
        }
        QTEST(s88, "s88");
        QTEST(strecke, "strecke");
    }

    // The simulator as the layout: what each terminal command announces to every client,
    // the station's own system frames with the response bit (description 2.1 to 2.3
    // and 2.11), from its own UID and hash.
    void simulatorAnlage_data()
    {
        QTest::addColumn<QString>("aktion");
        QTest::addColumn<QStringList>("antworten");
        QTest::addColumn<bool>("gleisAn");
        QTest::newRow("stopp") << "stopp" << QStringList{"00 01 8B 5B 05 43 53 32 08 00 00 00 00"} << false;
        QTest::newRow("go") << "go" << QStringList{"00 01 8B 5B 05 43 53 32 08 01 00 00 00"} << true;
        QTest::newRow("halt") << "halt" << QStringList{"00 01 8B 5B 05 43 53 32 08 02 00 00 00"} << true;
        QTest::newRow("ueberlast") << "ueberlast" << QStringList{"00 01 8B 5B 06 43 53 32 08 0A 01 00 00"} << false;
        // Another controller turns DCC 3 round: the station reports the new direction
        // (description 3.5, the answer with the response bit) and the locomotive stops.
        QTest::newRow("wenden DCC 3") << "wenden DCC 3" << QStringList{"00 0B 8B 5B 05 00 00 C0 03 02 00 00 00"} << true;
        QTest::newRow("wenden MM2 256 gibt es nicht") << "wenden MM2 256" << QStringList{} << true;
        QTest::newRow("unbekannt") << "blitz" << QStringList{} << true;
    }
    void simulatorAnlage()
    {
        QFETCH(QString, aktion);
        Cs2Dekodierer cs2;
        cs2.verarbeite(bytes("00 08 47 11 06 00 00 C0 03 01 20 00 00"), QStringLiteral("a"));
        const Cs2Ergebnis e = cs2.anlage(aktion);
        QStringList gesendet;
        for (const QByteArray &a : e.antworten)
            gesendet << hex(a);
        QTEST(gesendet, "antworten");
        QTEST(cs2.gleisAn(), "gleisAn");
        // Halt and turning round stop the locomotive; the others leave the speed as it was.
        const bool haelt = aktion == u"halt" || aktion == u"wenden DCC 3";
        QCOMPARE(cs2.lok(0xC003).value_or(Cs2Lok{}).geschwindigkeit, haelt ? 0 : 0x120);
    }

    void fahrt_data()
    {
        QTest::addColumn<Fahrt>("fahrt");
        const auto funktionen = [](const QString &zeit, const QString &uid, const QString &an) {
            QStringList z;
            for (int f = 0; f <= 4; ++f)
                z << zeit + u' ' + v(QStringLiteral("00 0C hh hh 06 00 00 %1 0%2 0%3 00 00").arg(uid).arg(f).arg(an[f]));
            return z;
        };
        // DCC 3, "128", "S", step 63: forwards, then the speed; and its speed 0.
        const QStringList start3{"0 " + v("00 0A hh hh 05 00 00 C0 03 01 00 00 00"),
                                 "0 " + v("00 08 hh hh 06 00 00 C0 03 01 F4 00 00")};
        const QString halt3 = v("00 08 hh hh 06 00 00 C0 03 00 00 00 00");
        const QStringList ende(2, QStringLiteral("2100 Signal.wav"));
        // The line: [direction], speed, 100 ms, F0-F4, the line's time; speed 0 at the end.
        QTest::newRow("dcc 3, 128, S, 63") << Fahrt{.tabelle = {"2,S,63,X"},
            .erwartet = start3 + funktionen("100", "C0 03", "10000") + QStringList{"2100 " + halt3},
            .klaenge = ende};
        // The direction only on the first line and when it changes.
        QTest::newRow("richtung nur beim wechsel") << Fahrt{.adresse = "24", .protokoll = Cs2Protokoll::mm2,
            .fahrstufen = 0, .tabelle = {"1,s,7", "1,s,14", "1,S,14"},
            .erwartet = QStringList{"0 " + v("00 0A hh hh 05 00 00 00 18 02 00 00 00"),
                                    "0 " + v("00 08 hh hh 06 00 00 00 18 01 F4 00 00")}
                        + funktionen("100", "00 18", "00000")
                        + QStringList{"1100 " + v("00 08 hh hh 06 00 00 00 18 03 E8 00 00")}
                        + funktionen("1200", "00 18", "00000")
                        + QStringList{"2200 " + v("00 0A hh hh 05 00 00 00 18 01 00 00 00"),
                                      "2200 " + v("00 08 hh hh 06 00 00 00 18 03 E8 00 00")}
                        + funktionen("2300", "00 18", "00000")
                        + QStringList{"3300 " + v("00 08 hh hh 06 00 00 00 18 00 00 00 00")},
            .klaenge = {"3300 Signal.wav", "3300 Signal.wav"}};
        // St&op during the line's time: speed 0 at once. During the pause before the
        // functions: they follow at once, speed 0 last.
        QTest::newRow("stopp mitten im lauf") << Fahrt{.protokoll = Cs2Protokoll::mfx, .fahrstufen = 2,
            .tabelle = {"60,S,40,X", "60,S,5"}, .ereignisse = {{3000, "stopp"}},
            .erwartet = QStringList{"0 " + v("00 0A hh hh 05 00 00 40 03 01 00 00 00"),
                                    "0 " + v("00 08 hh hh 06 00 00 40 03 03 E8 00 00")}
                        + funktionen("100", "40 03", "10000")
                        + QStringList{"3000 " + v("00 08 hh hh 06 00 00 40 03 00 00 00 00")},
            .klaenge = {"3000 Signal.wav"}};
        QTest::newRow("stopp vor den funktionen") << Fahrt{.tabelle = {"60,S,63"}, .ereignisse = {{50, "stopp"}},
            .erwartet = start3 + funktionen("50", "C0 03", "00000") + QStringList{"50 " + halt3},
            .klaenge = {"50 Signal.wav"}};
        QTest::newRow("schliessen: halt, dann nichts") << Fahrt{.tabelle = {"60,S,63"},
            .ereignisse = {{50, "schliessen"}},
            .erwartet = start3 + QStringList{"50 " + halt3}};
        // Every report of the layout during the line: speed 0 at once, as the report is
        // read, and once more from the pass as it ends the run.
        const QStringList erste = start3 + funktionen("100", "C0 03", "00000");
        // The same line once more from 2100, and the stop as the run ends.
        const QStringList zweite = QStringList{"2100 " + v("00 08 hh hh 06 00 00 C0 03 01 F4 00 00")}
                                   + funktionen("2200", "C0 03", "00000") + QStringList{"4200 " + halt3};
        const QStringList ende4200(2, QStringLiteral("4200 Signal.wav"));
        QTest::newRow("anlage stopp") << Fahrt{.tabelle = {"60,S,63", "60,S,5"},
            .ereignisse = {{3000, "00 01 8B 5B 05 43 53 32 08 00 00 00 00"}},
            .erwartet = erste + QStringList(2, "3000 " + halt3), .ursache = "Gleis: aus"};
        QTest::newRow("einzelne zeile, anlage stopp") << Fahrt{.tabelle = {"60,S,63"}, .einzeln = true,
            .ereignisse = {{3000, "00 01 8B 5B 05 43 53 32 08 00 00 00 00"}},
            .erwartet = erste + QStringList(2, "3000 " + halt3), .ursache = "Gleis: aus"};
        // Go, the station's echoes of our commands and frames it does not know change nothing.
        QTest::newRow("go, echos, unbekanntes") << Fahrt{.tabelle = {"2,S,63"},
            .ereignisse = {{500, "00 01 8B 5B 05 00 00 00 00 01 00 00 00"},
                           {600, "00 09 47 11 06 00 00 C0 03 01 F4 00 00"},
                           {700, "00 0B 47 11 05 00 00 C0 03 01 00 00 00"},
                           {800, "00 45 47 11 08 01 02 03 04 05 06 07 08"},
                           {900, "00 31 8B 5B 08 43 53 32 08 04 01 FF FF"}},
            .erwartet = erste + QStringList{"2100 " + halt3}, .klaenge = ende};
        QTest::newRow("einzelne zeile") << Fahrt{.tabelle = {"5,s,63,X,,,X"}, .einzeln = true,
            .erwartet = QStringList{"0 " + v("00 0A hh hh 05 00 00 C0 03 02 00 00 00"),
                                    "0 " + v("00 08 hh hh 06 00 00 C0 03 01 F4 00 00")}
                        + funktionen("100", "C0 03", "10010") + QStringList{"5100 " + halt3},
            .klaenge = {"5100 ring.wav", "6100 ring.wav", "7100 ring.wav"}};
        // A stop during the line's time: speed 0 at once, then the ring sequence
        // without its pauses.
        QTest::newRow("einzelne zeile, stopp in der dauer") << Fahrt{.tabelle = {"60,S,63"}, .einzeln = true,
            .ereignisse = {{1000, "stopp"}}, .erwartet = erste + QStringList{"1000 " + halt3},
            .klaenge = QStringList(3, QStringLiteral("1000 ring.wav"))};
        // Another controller turns the locomotive round during line 1 (the station's
        // direction answer, description 3.5): line 2, forwards as line 1, tells the
        // direction again before its speed. Reported the way the table goes, it does not.
        QTest::newRow("anderer regler wendet") << Fahrt{.tabelle = {"2,S,63", "2,S,63"},
            .ereignisse = {{1000, "00 0B 8B 5B 05 00 00 C0 03 02 00 00 00"}},
            .erwartet = erste + QStringList{"2100 " + v("00 0A hh hh 05 00 00 C0 03 01 00 00 00")} + zweite,
            .klaenge = ende4200};
        // The value 3 turns the locomotive round (description 3.5, a toggle): once, and
        // line 2 tells forwards again; twice, and it stands as it was.
        QTest::newRow("anderer regler schaltet um") << Fahrt{.tabelle = {"2,S,63", "2,S,63"},
            .ereignisse = {{1000, "00 0B 8B 5B 05 00 00 C0 03 03 00 00 00"}},
            .erwartet = erste + QStringList{"2100 " + v("00 0A hh hh 05 00 00 C0 03 01 00 00 00")} + zweite,
            .klaenge = ende4200};
        QTest::newRow("anderer regler schaltet zweimal um") << Fahrt{.tabelle = {"2,S,63", "2,S,63"},
            .ereignisse = {{1000, "00 0B 8B 5B 05 00 00 C0 03 03 00 00 00"},
                           {1500, "00 0B 8B 5B 05 00 00 C0 03 03 00 00 00"}},
            .erwartet = erste + zweite, .klaenge = ende4200};
        QTest::newRow("anderer regler: gleiche richtung") << Fahrt{.tabelle = {"2,S,63", "2,S,63"},
            .ereignisse = {{1000, "00 0B 8B 5B 05 00 00 C0 03 01 00 00 00"}},
            .erwartet = erste + zweite, .klaenge = ende4200};
        // Another locomotive turned round changes nothing for this one.
        QTest::newRow("anderer regler wendet eine andere lok") << Fahrt{.tabelle = {"2,S,63", "2,S,63"},
            .ereignisse = {{1000, "00 0B 8B 5B 05 00 00 C0 04 02 00 00 00"}},
            .erwartet = erste + zweite, .klaenge = ende4200};
        // Outside the protocol's range: a message, nothing for the locomotive.
        QTest::newRow("mm2 256") << Fahrt{.adresse = "256", .protokoll = Cs2Protokoll::mm2,
                                          .tabelle = {"2,S,63"}, .hinweise = 1};
        QTest::newRow("dcc 10240, einzelne zeile") << Fahrt{.adresse = "10240", .tabelle = {"2,S,63"},
                                                            .einzeln = true, .hinweise = 1};
        QTest::newRow("mfx 16383 geht") << Fahrt{.adresse = "16383", .protokoll = Cs2Protokoll::mfx,
            .tabelle = {"1,M,0"},
            .erwartet = QStringList{"0 " + v("00 0A hh hh 05 00 00 7F FF 01 00 00 00"),
                                    "0 " + v("00 08 hh hh 06 00 00 7F FF 00 00 00 00")}
                        + funktionen("100", "7F FF", "00000")
                        + QStringList{"60100 " + v("00 08 hh hh 06 00 00 7F FF 00 00 00 00")},
            .klaenge = {"60100 Signal.wav", "60100 Signal.wav"}};
    }
    void fahrt()
    {
        QFETCH(Fahrt, fahrt);
        Cs2Aufbau a;
        a.feld.adresse = fahrt.adresse;
        a.cs2.setzeProtokoll(fahrt.protokoll);
        a.cs2.setzeFahrstufen(fahrt.fahrstufen);
        a.zeilen(fahrt.tabelle);
        for (const Ereignis &e : fahrt.ereignisse)
            a.zeit.bei(e.zeit, [&a, e] {
                if (e.was == u"stopp")
                    a.ablauf.stoppKlick();
                else if (e.was == u"schliessen")
                    a.ablauf.beenden();
                else
                    a.empfange(e.was);
            });
        fahrt.einzeln ? a.ablauf.btnSendZeile_Click() : a.ablauf.btnStart_Click();
        QCOMPARE(a.cs2link.gesendet, fahrt.erwartet);
        QCOMPARE(a.klaenge(), fahrt.klaenge);
        QCOMPARE(a.ursachen.join(u'|'), fahrt.ursache);
        QCOMPARE(int(a.hinweise.size()), fahrt.hinweise);
        if (fahrt.hinweise)
            QCOMPARE(a.hinweise.first(), Cs2Treiber::bereichsHinweis(fahrt.protokoll));
        QVERIFY(!a.ablauf.laeuft());
    }

    // The direction goes out on the first line of every run, but not again on the
    // passes of an endless run: the station keeps it.
    void richtungJeLauf_data()
    {
        QTest::addColumn<bool>("endlos");
        QTest::addColumn<QStringList>("richtungen"); // the times of the direction frames
        QTest::newRow("zwei laeufe") << false << QStringList{"0", "1100"};
        QTest::newRow("endlos, zwei durchgaenge") << true << QStringList{"0"};
    }
    void richtungJeLauf()
    {
        QFETCH(bool, endlos);
        Cs2Aufbau a;
        a.cs2.setzeProtokoll(Cs2Protokoll::dcc);
        a.cs2.setzeFahrstufen(0); // "14": step 5 is 358 (01 66); address 24
        a.zeilen({"1,S,5"});
        a.feld.mitEndlos = endlos;
        if (endlos)
            a.zeit.bei(1500, [&a] { a.ablauf.stoppKlick(); });
        a.ablauf.btnStart_Click();
        if (!endlos)
            a.ablauf.btnStart_Click();
        QStringList richtungen;
        for (const QString &z : std::as_const(a.cs2link.gesendet))
            if (z.section(u' ', 1, 2) == u"00 0A")
                richtungen << z.section(u' ', 0, 0);
        QTEST(richtungen, "richtungen");
        // Both runs, or both passes, drove their line.
        QCOMPARE(a.cs2link.gesendet.filter(QStringLiteral(" 00 08 47 11 06 00 00 C0 18 01 66 ")).size(), 2);
    }

    // "Power o&n" and "Power of&f": System Go and Stop to every device (description 2.1,
    // 2.2); nothing while the station does not answer. The stop on a station change.
    void power_data()
    {
        QTest::addColumn<bool>("antwortet");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("verbunden") << true
                                   << QStringList{"0 00 00 47 11 05 00 00 00 00 00 00 00 00",
                                                  "0 00 00 47 11 05 00 00 00 00 01 00 00 00",
                                                  "0 00 08 47 11 06 00 00 00 05 00 00 00 00"};
        // The stop is still tried; power is not.
        QTest::newRow("antwortet nicht") << false << QStringList{"0 00 08 47 11 06 00 00 00 05 00 00 00 00"};
    }
    void power()
    {
        QFETCH(bool, antwortet);
        Cs2Aufbau a;
        a.feld.adresse = QStringLiteral("5");
        a.cs2link.antwortet = antwortet;
        a.cs2.power(0);
        a.cs2.power(1);
        a.cs2.stoppeLok(a.cs2.nimmLok(a.feld.adresse, 5));
        QTEST(a.cs2link.gesendet, "erwartet");
    }

    // The link over TCP losing its station while a run drives; the run logic sends the
    // locomotive's stop on the report. A peer that falls silent (answers only the first
    // `antworten` pings) is lost after three pings in a row without an answer and still
    // takes the stop; a peer that closes or drops the connection is lost at once, the
    // stop is still written (the traffic log shows the attempt) and nothing after it.
    void verlust_data()
    {
        QTest::addColumn<int>("antworten");
        QTest::addColumn<QString>("trennen"); // how the peer drops the connection; empty: never
        QTest::addColumn<int>("pings");       // pings the peer has seen when the link is lost
        QTest::newRow("nur der erste ping") << 1 << "" << 4;
        QTest::newRow("die ersten drei pings") << 3 << "" << 6;
        QTest::newRow("gegenstelle schliesst") << 1 << "schliessen" << 1;
        QTest::newRow("gegenstelle bricht ab") << 1 << "abbrechen" << 1;
    }
    void verlust()
    {
        QFETCH(int, antworten);
        QFETCH(QString, trennen);
        QTemporaryDir verzeichnis;
        Verkehrsprotokoll log;
        QVERIFY(log.oeffne(verzeichnis.filePath(QStringLiteral("verkehr.log"))));
        Gegenstelle peer;
        peer.antworten = antworten;
        Cs2Verbindung cs2;
        Meldungen melder;
        cs2.setzeGleismelder(&melder);
        cs2.setzePingAbstand(300);
        // Description, 3.4: speed 0 for DCC 3, with the program's hash.
        const QByteArray halt = bytes("00 08 AB 10 06 00 00 C0 03 00 00 00 00");
        melder.beimMelden = [&](Gleiszustand z) {
            if (z == Gleiszustand::verbindungVerloren)
                cs2.sende(halt);
        };
        QSignalSpy verloren(&cs2, &Cs2Verbindung::verloren);
        QVERIFY(verbindeUndWarte(cs2, QStringLiteral("127.0.0.1"), peer.server.serverPort()));
        QCOMPARE(peer.pings(), 1);
        if (!trennen.isEmpty())
            trennen == u"abbrechen" ? peer.client->abort() : peer.client->disconnectFromHost();
        QVERIFY(verloren.wait(5000));
        QTEST(peer.pings(), "pings");
        QCOMPARE(melder.zustaende, (QStringList{"unbekannt", "Verbindung verloren"}));
        QVERIFY(!cs2.verbunden());
        QFile datei(verzeichnis.filePath(QStringLiteral("verkehr.log")));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        const QStringList gesendet = QString::fromUtf8(datei.readAll()).split(u'\n').filter(QStringLiteral("CS2 >"));
        QVERIFY(gesendet.last().endsWith(QStringLiteral("CS2 > 00 08 AB 10 06 00 00 C0 03 00 00 00 00")));
        if (trennen.isEmpty()) {
            QTRY_VERIFY(peer.empfangen.contains(halt));
            QTest::qWait(400); // no more pings after the loss
            QCOMPARE(peer.pings(), 4 + antworten - 1);
        } else {
            QCOMPARE(gesendet.size(), 3); // ping, the state query, the stop
            QVERIFY(!cs2.sende(halt));    // after the report nothing more is tried
        }
        QCOMPARE(verloren.size(), 1);
    }

    // What the link reads over TCP, with the traffic log: the ping and its answer; a frame
    // split over two reads is one frame and one entry once it is whole, two frames in one
    // read are two, a frame with DLC 9 is logged as it came and read no further; then a
    // frame sent. Behind it a flood of frames the program does not act on (feedback
    // events, speed answers of another controller, DLC 9, unknown commands): the report
    // behind them still comes through, once, and the link stays up.
    void lesenUeberTcp()
    {
        QTemporaryDir verzeichnis;
        Verkehrsprotokoll log;
        QVERIFY(log.oeffne(verzeichnis.filePath(QStringLiteral("verkehr.log"))));
        Gegenstelle peer;
        Cs2Verbindung cs2;
        Meldungen melder;
        cs2.setzeGleismelder(&melder);
        QSignalSpy rahmen(&cs2, &Cs2Verbindung::rahmen);
        QVERIFY(verbindeUndWarte(cs2, QStringLiteral("127.0.0.1"), peer.server.serverPort()));
        // Description, 2.1 and 2.2: Stop and Go of the CS2 with serial number 04, as answers.
        peer.client->write(bytes("00 01 8B 5B 05 43"));
        peer.client->flush();
        QTest::qWait(50); // the first piece is read on its own
        peer.client->write(bytes("53 32 08 00 00 00 00 00 01 8B 5B 05 43 53 32 08 01 00 00 00"
                                 " 00 45 47 11 09 01 02 03 04 05 06 07 08"));
        QTRY_COMPARE(rahmen.size(), 3);
        QVERIFY(cs2.sende(bytes("00 08 AB 10 06 00 00 C0 03 00 00 00 00")));
        QFile datei(verzeichnis.filePath(QStringLiteral("verkehr.log")));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        QStringList eintraege = QString::fromUtf8(datei.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(eintraege.takeFirst().contains(u"--- Trabolin-Verkehrsprotokoll begonnen am "));
        for (QString &e : eintraege)
            e = e.section(u' ', 1);
        QCOMPARE(eintraege, (QStringList{"CS2 > 00 30 AB 10 00 00 00 00 00 00 00 00 00",
                                         "CS2 < 00 31 8B 5B 08 43 53 32 08 04 01 FF FF",
                                         "CS2 > 00 00 AB 10 04 00 00 00 00 00 00 00 00",
                                         "CS2 < 00 01 8B 5B 05 43 53 32 08 00 00 00 00",
                                         "CS2 < 00 01 8B 5B 05 43 53 32 08 01 00 00 00",
                                         "CS2 < 00 45 47 11 09 01 02 03 04 05 06 07 08",
                                         "CS2 > 00 08 AB 10 06 00 00 C0 03 00 00 00 00"}));
        const QByteArray runde = bytes("00 23 7B 79 08 00 01 00 05 00 01 00 32"    // S88 event with response bit
                                       " 00 09 47 11 06 00 00 40 05 01 F4 00 00"  // speed of another controller
                                       " 00 01 47 11 09 00 00 00 00 00 00 00 00"  // DLC 9: dropped
                                       " 00 FF FF FF 08 FF FF FF FF FF FF FF FF"); // an unknown command
        peer.client->write(runde.repeated(5000) + bytes("00 01 8B 5B 05 43 53 32 08 00 00 00 00"));
        QTRY_COMPARE_WITH_TIMEOUT(rahmen.size(), 3 + 3 * 5000 + 1, 20000);
        QCOMPARE(melder.zustaende, (QStringList{"unbekannt", "Gleis: aus", "Gleis: an", "Gleis: aus"}));
        QVERIFY(cs2.verbunden());
    }

    // The connect does not wait in a loop of its own: verbinde() returns before the
    // station has answered, a second click meanwhile changes nothing, the outcome and
    // its text follow on the test's loop. A station that does not answer the ping
    // within the wait gives no link, and nothing goes out afterwards.
    void ohneAntwort_data()
    {
        QTest::addColumn<bool>("udp");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("antworten");
        QTest::newRow("tcp, antwortet") << false << "127.0.0.1" << 1;
        QTest::newRow("tcp") << false << "127.0.0.1" << 0;
        QTest::newRow("udp") << true << "127.0.0.1" << 0;
        QTest::newRow("udp, name unbekannt") << true << "cs2.invalid" << 0;
    }
    void ohneAntwort()
    {
        QFETCH(bool, udp);
        QFETCH(QString, host);
        QFETCH(int, antworten);
        Gegenstelle peer;
        peer.antworten = antworten;
        QUdpSocket stumm;
        QVERIFY(stumm.bind(QHostAddress::LocalHost, 0));
        const quint16 port = udp ? stumm.localPort() : peer.server.serverPort();
        Cs2Verbindung cs2;
        cs2.setzeUeberUdp(udp);
        cs2.setzeEmpfangsport(freierUdpPort());
        QSignalSpy ergebnis(&cs2, &Netzverbindung::verbindungsergebnis);
        QSignalSpy texte(&cs2, &Cs2Verbindung::antwort);
        QVERIFY(!cs2.verbinde(host, port, 500));
        QVERIFY(cs2.verbindet() && ergebnis.isEmpty() && texte.isEmpty());
        QVERIFY(!cs2.verbinde(host, port, 500));
        QVERIFY(ergebnis.wait(3000));
        QCOMPARE(ergebnis.first().first().toBool(), antworten > 0);
        QCOMPARE(texte.size(), 1);
        QCOMPARE(texte.first().first().toString(),
                 antworten > 0 ? QStringLiteral("CS2 verbunden (TCP)")
                               : QStringLiteral("Keine Antwort von der CS2 (%1:%2, %3)").arg(host).arg(port).arg(udp ? "UDP" : "TCP"));
        QVERIFY(!cs2.verbindet());
        QCOMPARE(cs2.verbunden(), antworten > 0);
        if (antworten > 0)
            return;
        QVERIFY(!cs2.sende(cs2Pingbefehl(cs2.hash())));
        if (host != u"127.0.0.1") {
            QVERIFY(!stumm.hasPendingDatagrams());
        } else if (udp) {
            QVERIFY(stumm.hasPendingDatagrams());
            QCOMPARE(hex(stumm.receiveDatagram().data()).left(5), QStringLiteral("00 30"));
        } else {
            QCOMPARE(peer.pings(), 1);
        }
    }

    // A run on the real link, in virtual time, and during its line St&op or a report of
    // the layout typed at the simulator, over TCP and over UDP: the link's reply on
    // connecting and what the simulator reads, frame by frame (the link's own hash, the
    // station's echoes no report of the layout). A report ends the run with the speed-0
    // frame at the simulator, at once and again as the pass ends; a station fallen silent
    // is lost after three pings and still gets it; a dropped TCP connection ends the run
    // with nothing more to send.
    void fahrtZumSimulator_data()
    {
        QTest::addColumn<bool>("udp");
        QTest::addColumn<QString>("aktion"); // "St&op", else typed at the simulator
        QTest::addColumn<QString>("ursache");
        QTest::addColumn<int>("halte"); // the speed-0 frames the simulator reads
        for (const bool udp : {false, true}) {
            const QString weg = udp ? QStringLiteral("udp, ") : QStringLiteral("tcp, ");
            QTest::newRow(qPrintable(weg + "St&op")) << udp << "St&op" << "" << 1;
            QTest::newRow(qPrintable(weg + "stopp")) << udp << "stopp" << "Gleis: aus" << 2;
            QTest::newRow(qPrintable(weg + "halt")) << udp << "halt" << "Nothalt" << 2;
            QTest::newRow(qPrintable(weg + "ueberlast")) << udp << "ueberlast" << "Kurzschluss" << 2;
            QTest::newRow(qPrintable(weg + "stumm")) << udp << "stumm" << "Verbindung verloren" << 1;
        }
        QTest::newRow("tcp, go") << false << "go" << "" << 1;
        QTest::newRow("tcp, trennen") << false << "trennen" << "Verbindung verloren" << 0;
    }
    void fahrtZumSimulator()
    {
        QFETCH(bool, udp);
        QFETCH(QString, aktion);
        QFETCH(int, halte);
        Cs2Aufbau a; // first, so that it outlives the link that reports to it
        AmSimulator s;
        QVERIFY(s.starte(udp, a.ablauf.gleismelder(Cs2Aufbau::option)));
        if (aktion == u"stumm") // lost after three pings, in a few tenths of a second
            s.link.setzePingAbstand(100);
        QSignalSpy texte(&s.link, &Cs2Verbindung::antwort);
        // One way over UDP goes by name.
        QVERIFY(s.verbinde(udp && aktion == u"St&op" ? QStringLiteral("localhost") : QStringLiteral("127.0.0.1")));
        QCOMPARE(texte.value(0).value(0).toString(), udp ? QStringLiteral("CS2 verbunden (UDP)") : QStringLiteral("CS2 verbunden (TCP)"));
        const auto treiber = a.fahreUeber(s.link);
        a.zeilen({"60,S,63,X", "60,S,5"});
        a.zeit.bei(1000, [&] {
            if (aktion == u"St&op")
                return a.ablauf.stoppKlick();
            // The line's wait, in real time, until the report has ended the run.
            QTRY_COMPARE(s.sim.anzahl(QStringLiteral("Fahrstufe 63 von 126, Licht an,")), 5);
            s.sim.tippe(aktion.toLatin1());
            if (aktion == u"go") // read, and the run goes on
                QTRY_VERIFY(a.ablauf.gleiszustand(Cs2Aufbau::option) == Gleiszustand::an);
            else
                QVERIFY(QTest::qWaitFor([&] { return !a.ursachen.isEmpty(); }, 5000));
        });
        a.ablauf.btnStart_Click();
        QTEST(a.ursachen.join(u'|'), "ursache");
        QVERIFY(!a.ablauf.laeuft());
        // Description, 3.4: speed 0 for DCC 3 with the program's hash.
        QTRY_VERIFY(s.sim.anzahl(QStringLiteral("00 08 AB 10 06 00 00 C0 03 00 00 00 00")) >= halte);
        // Line 1 is step 63, the value 500, step 63 of 126 at the decoder; line 2 step 5,
        // the value 40 (5 × 1000 / 126 rounded up), step 5 again.
        const auto lok = [](int wert, const char *licht) {
            return QStringLiteral(" -> Lok DCC 3: vorwärts, Geschwindigkeit %1, Fahrstufe %2 von 126, Licht %3, F1 aus, "
                                  "F2 aus, F3 aus, F4 aus")
                .arg(wert).arg(wert == 500 ? 63 : wert == 40 ? 5 : 0).arg(QLatin1String(licht));
        };
        QStringList erwartet{"Richtung vorwärts" + lok(0, "aus"), "Geschwindigkeit 500" + lok(500, "aus")};
        for (int f = 0; f <= 4; ++f)
            erwartet << QStringLiteral("F%1 %2").arg(f).arg(f == 0 ? 1 : 0) + lok(500, "an");
        if (aktion == u"go") { // the second line as usual, speed 0 at the end of the run
            erwartet << "Geschwindigkeit 40" + lok(40, "an");
            for (int f = 0; f <= 4; ++f)
                erwartet << QStringLiteral("F%1 0").arg(f) + lok(40, "aus");
            erwartet << "Geschwindigkeit 0" + lok(0, "aus");
        } else if (aktion != u"stumm") { // the silent station reads them without acting
            // After a Halt the station holds them until Go; the decoder stays at 0.
            const QString nach = aktion == u"halt" ? QStringLiteral("gehalten bis Go, ") : QString();
            for (int i = 0; i < halte; ++i)
                erwartet << "Geschwindigkeit 0 -> " + nach + lok(0, "an").mid(4);
        }
        QStringList gelesen;
        for (const QString &z : s.sim.lies().filter(QStringLiteral("Lok DCC 3")))
            gelesen << z.section(QStringLiteral("  "), 1);
        QCOMPARE(gelesen, erwartet);
    }

    // At connect the link asks the station for its track state (a system frame with DLC
    // 4 and UID 0) once the ping is answered; until the answer "unbekannt" stands. Both
    // devices of the station answer the ping; the link is made once.
    void zustandBeimVerbinden_data()
    {
        QTest::addColumn<bool>("udp");
        QTest::addColumn<QString>("vorher"); // typed at the simulator before the connect
        QTest::addColumn<QString>("zustand");
        QTest::newRow("tcp, gleis an") << false << "" << "Gleis: an";
        QTest::newRow("tcp, gleis aus") << false << "stopp" << "Gleis: aus";
        QTest::newRow("udp, gleis aus") << true << "stopp" << "Gleis: aus";
        QTest::newRow("udp, gleis an") << true << "go" << "Gleis: an";
    }
    void zustandBeimVerbinden()
    {
        QFETCH(bool, udp);
        QFETCH(QString, vorher);
        QFETCH(QString, zustand);
        Meldungen melder;
        AmSimulator s;
        QVERIFY(s.starte(udp, melder));
        if (!vorher.isEmpty()) {
            s.sim.tippe(vorher.toLatin1());
            QVERIFY(s.sim.wartetAuf(QStringLiteral("Anlage: ")));
        }
        QSignalSpy texte(&s.link, &Cs2Verbindung::antwort);
        QSignalSpy ergebnisse(&s.link, &Netzverbindung::verbindungsergebnis);
        QVERIFY(s.verbinde());
        QTRY_COMPARE(melder.zustaende, (QStringList{"unbekannt", zustand}));
        // The question on the wire, after the ping, with the program's hash.
        QVERIFY(s.sim.wartetAuf(QStringLiteral("Zustand abfragen")));
        const QStringList gelesen = s.sim.lies().filter(QRegularExpression(QStringLiteral("^[0-9A-F]{2} ")));
        QCOMPARE(gelesen.value(0).left(38), QStringLiteral("00 30 AB 10 00 00 00 00 00 00 00 00 00"));
        QCOMPARE(gelesen.value(1).left(38), QStringLiteral("00 00 AB 10 04 00 00 00 00 00 00 00 00"));
        // Two answers to the ping, one link.
        QTest::qWait(100);
        QCOMPARE(texte.size(), 1);
        QCOMPARE(ergebnisse.size(), 1);
    }

    // A station whose firmware does not answer the question: the state stays
    // "unbekannt" and a run drives.
    void zustandOhneAntwort()
    {
        Gegenstelle peer;
        Cs2Aufbau a;
        Cs2Verbindung link;
        link.setzeGleismelder(&a.ablauf.gleismelder(Cs2Aufbau::option));
        QVERIFY(verbindeUndWarte(link, QStringLiteral("127.0.0.1"), peer.server.serverPort()));
        QTRY_COMPARE(peer.empfangen.size(), 2);
        QCOMPARE(hex(peer.empfangen[1]), QStringLiteral("00 00 AB 10 04 00 00 00 00 00 00 00 00"));
        QTest::qWait(200);
        QCOMPARE(a.ablauf.gleiszustand(Cs2Aufbau::option), Gleiszustand::unbekannt);
        const auto treiber = a.fahreUeber(link);
        a.zeilen({"1,S,63"});
        QSignalSpy gesperrt(&a.ablauf, &Ablauf::gesperrt);
        a.ablauf.btnStart_Click();
        QCOMPARE(gesperrt.size(), 0);
        // Description, 3.4: the speed of DCC 3, 500, with the program's hash.
        QTRY_VERIFY(peer.empfangen.contains(bytes("00 08 AB 10 06 00 00 C0 03 01 F4 00 00")));
    }

    // The simulator's UDP frames go to the port it was given on the PC address, not
    // back to the port a datagram came from.
    void udpZiel()
    {
        QUdpSocket pc;
        QVERIFY(pc.bind(QHostAddress::LocalHost, 0));
        QUdpSocket absender;
        QVERIFY(absender.bind(QHostAddress::LocalHost, 0));
        Simulator sim;
        QVERIFY(sim.starte(pc.localPort(), {"--pc", "127.0.0.1"}));
        // Description, 6.1: a ping to every device.
        absender.writeDatagram(bytes("00 30 47 11 00 00 00 00 00 00 00 00 00"), QHostAddress::LocalHost, sim.udp);
        QStringList angekommen;
        const auto sammle = [&] {
            while (pc.hasPendingDatagrams())
                angekommen << hex(pc.receiveDatagram().data());
            return angekommen.size();
        };
        QTRY_VERIFY(sammle() >= 2);
        QCOMPARE(angekommen, (QStringList{"00 31 8B 5B 08 43 53 32 08 04 01 00 00", "00 31 8B 5B 08 43 53 32 09 04 01 FF FF"}));
        QTest::qWait(100);
        QVERIFY(!absender.hasPendingDatagrams());
        // The layout's reports go there too, without the PC having sent anything from it.
        sim.tippe("stopp");
        QTRY_VERIFY(pc.hasPendingDatagrams());
        QCOMPARE(hex(pc.receiveDatagram().data()), QStringLiteral("00 01 8B 5B 05 43 53 32 08 00 00 00 00"));
        QVERIFY(!absender.hasPendingDatagrams());
    }

    // The station in the window: its option, its fields, the address range its
    // "Protokoll" gives, a connect that gets no answer, and an address outside the range.
    void fenster()
    {
        QTcpServer stumm; // takes the connection, never answers the ping
        QVERIFY(stumm.listen(QHostAddress::LocalHost));
        test::Fensteranlage a;
        a.starte();
        a.meldungen.clear();
        frmTrabolin &f = *a.f;
        const int option = zentralenoption(QStringLiteral("CS2"));
        auto *knopf = test::feld<QRadioButton>(f, QStringLiteral("optZentrale"), option);
        QCOMPARE(knopf->text(), QStringLiteral("CS&2/CS3"));
        QCOMPARE(knopf->toolTip(), QStringLiteral(" Märklin Central Station 2 oder 3 über Netzwerk "));
        knopf->click();
        auto *bereich = test::feld<QLabel>(f, QStringLiteral("lblAdresse_1"));
        auto *protokoll = test::feld<QComboBox>(f, QStringLiteral("einstellung_%1_Protokoll").arg(option));
        QVERIFY(protokoll && protokoll->isVisible() && test::feld<QComboBox>(f, QStringLiteral("lstFS"))->isEnabled());
        QCOMPARE(bereich->text(), QStringLiteral("1...255"));
        protokoll->setCurrentText(QStringLiteral("mfx"));
        QCOMPARE(bereich->text(), QStringLiteral("1...16383"));
        protokoll->setCurrentText(QStringLiteral("DCC"));
        QCOMPARE(bereich->text(), QStringLiteral("1...10239"));

        test::feld<QPushButton>(f, QStringLiteral("btn15471"))->click();
        auto *port = test::feld<QLineEdit>(f, QStringLiteral("txtLocalPort"));
        QCOMPARE(port->text(), QStringLiteral("15731"));
        port->setText(QString::number(stumm.serverPort()));
        test::feld<QLineEdit>(f, QStringLiteral("txtIPAdresse"))->setText(QStringLiteral("127.0.0.1"));
        auto *verbinden = test::feld<QPushButton>(f, QStringLiteral("btnEcos"));
        QCOMPARE(verbinden->text(), QStringLiteral("PC mit CS2 verbinden"));
        verbinden->click();
        // The window goes on while the station is waited for; the message follows.
        QVERIFY2(a.meldungen.isEmpty(), qPrintable(a.meldungen.join(u'\n')));
        QTRY_COMPARE_WITH_TIMEOUT(a.meldungen.size(), 1, 6000);
        QVERIFY2(a.meldungen[0].startsWith(QStringLiteral(" CS2...|Keine Antwort von der CS2 !")), qPrintable(a.meldungen[0]));
        QCOMPARE(a.knoepfe(), QStringLiteral("aus"));

        // Connected to the simulator: address 10240 lies above DCC's range. The run
        // sends nothing for the locomotive and says why, once.
        Simulator sim;
        QVERIFY(sim.starte(0));
        port->setText(QString::number(sim.tcp));
        verbinden->click();
        QTRY_COMPARE(a.knoepfe(), QStringLiteral("an"));
        a.meldungen.clear();
        test::feld<QLineEdit>(f, QStringLiteral("txtAdresse"))->setText(QStringLiteral("10240"));
        test::fuelleZeile(f.tabelle(), 1, QStringLiteral("1,S,40"));
        f.tabelle().setzeAktuelleZeile(1);
        test::feld<QPushButton>(f, QStringLiteral("btnStart"))->click();
        QCOMPARE(a.meldungen, QStringList{" CS2...|Die Adresse liegt außerhalb des Bereichs für DCC (1...10239) !\n"
                                           "Bitte eine Adresse von 1 bis 10239 eingeben oder ein anderes Protokoll wählen."});
        QTest::qWait(200);
        QVERIFY(sim.lies().filter(QStringLiteral("Geschwindigkeit")).isEmpty());
    }
};

QTEST_MAIN(TestCs2)
#include "tst_cs2.moc"

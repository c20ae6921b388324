// The messages of the core library in both languages: each case makes its message
// through the code that makes it for the user (a run refused for want of a profile,
// an ECoS that refuses or ignores a control request, a Z21 asked for 27 steps, a
// station that does not answer, a broken settings file, a port that cannot be), once
// with no translator installed (the German, byte for byte) and once with the
// program's English translation installed. And every text of the station registry
// that the window shows has its English.
#include "helfer/Aufbau.h"
#include "program/Gleiszustand.h"
#include "program/Messlauf.h"
#include "serial/V24.h"
#include "stations/cs2/Cs2Treiber.h"
#include "stations/ecos/EcosKontrollen.h"
#include "storage/Dateiformat.h"

#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// A run on the Z21 with a distance line and no locomotive profile: the message it refuses with.
QString profilFehlt()
{
    Aufbau a;
    const int option = zentralenoption(QStringLiteral("Z21"));
    a.feld.option = option;
    a.feld.adresse = QStringLiteral("3");
    a.ablauf.treiber()->setzeFahrstufen(3);
    a.ablauf.betrieb().setzeStationscodes({"DCC", "Lenz", "Ecos", "Z21"});
    a.zeilen({"2,S,10", "120,W,64"});
    QSignalSpy fehlt(&a.ablauf, &Ablauf::profilFehlt);
    a.ablauf.btnStart_Click();
    return fehlt.isEmpty() ? QString() : fehlt[0][0].toString() + u'|' + fehlt[0][1].toString();
}

// A run of ID 1004 on the ECoS whose control the station refuses (or, with no
// `antwort`, never answers): what the driver tells the user. A second program stands
// beside it: only then does a program ask the ECoS for control before it drives.
QString ecosKontrolle(const QString &antwort)
{
    Aufbau a;
    Tabellenspeicher tabelle2;
    TestBedienfeld feld2;
    KlangMitschrift klang2{a.zeit};
    Ablauf zweites(a.ablauf.betrieb(), tabelle2, feld2, klang2);
    auto kontrollen = std::make_shared<EcosKontrollen>();
    EcosTreiber ecos{a.ablauf, a.link, zentralenzeile(2)->lesart, kontrollen};
    a.ablauf.setzeTreiber(2, &ecos);
    a.feld.option = 2;
    a.feld.adresse = QStringLiteral("1004");
    a.zeilen({"2,S,5"});
    QStringList hinweise;
    ecos.hinweis = [&](const QString &text) { hinweise << text; };
    if (!antwort.isEmpty())
        a.zeit.bei(50, [&] { kontrollen->lies(antwort); });
    a.ablauf.btnStart_Click();
    a.ablauf.setzeTreiber(2, &a.ecos);
    return hinweise.join(u'|');
}

// A line on the Z21 with "27" chosen under "Fahrstufen".
QString z21Siebenundzwanzig()
{
    Aufbau a;
    a.feld.option = zentralenoption(QStringLiteral("Z21"));
    a.feld.adresse = QStringLiteral("3");
    a.z21.setzeFahrstufen(1);
    QStringList hinweise;
    a.z21.hinweis = [&](const QString &text) { hinweise << text; };
    a.zeilen({"2,S,10"});
    a.ablauf.btnStart_Click();
    return hinweise.join(u'|');
}

// A settings file that ends after its third line.
QString einstellungenKurz()
{
    QByteArray bytes("0\r\n1\r\n2\r\n");
    QBuffer puffer(&bytes);
    puffer.open(QIODevice::ReadOnly);
    return leseEinstellungen(puffer).fehler.beschreibung;
}

QString meldung(const QString &fall)
{
    if (fall == u"profil fehlt")
        return profilFehlt();
    if (fall == u"ecos verweigert")
        return ecosKontrolle(QStringLiteral("<REPLY request(1004,control)>\n<END 25 (controlled by somebody else)>"));
    if (fall == u"ecos schweigt")
        return ecosKontrolle({});
    if (fall == u"z21 27 fahrstufen")
        return z21Siebenundzwanzig();
    if (fall == u"z21 antwortet nicht") {
        const Zentralenmeldung m = zentralenzeile(zentralenoption(QStringLiteral("Z21")))->keineAntwort();
        return m.titel + u'|' + m.text;
    }
    if (fall == u"cs2 antwortet nicht")
        return zentralenzeile(zentralenoption(QStringLiteral("CS2")))->keineAntwort().text;
    if (fall == u"cs2 ausserhalb")
        return Cs2Treiber::bereichsHinweis(Cs2Protokoll::mm2);
    if (fall == u"verbindung verloren") {
        const Gleismeldung m = gleisSperrMeldung(Gleiszustand::verbindungVerloren, QStringLiteral("Lenz"), true);
        return m.titel + u'|' + m.text;
    }
    if (fall == u"kurzschluss hält an")
        return gleisHaltMeldung(Gleiszustand::kurzschluss).text;
    if (fall == u"gleisanzeige")
        return gleisanzeigeText(Gleiszustand::aus);
    if (fall == u"einstellungen kurz")
        return einstellungenKurz();
    if (fall == u"datei fehlt") {
        QFile datei(QStringLiteral("/gibt/es/nicht.ini"));
        return oeffneZumLesen(datei).beschreibung;
    }
    if (fall == u"parität") {
        QTemporaryDir leer;
        SerielleSchnittstelle v24(leer.path());
        return v24.setzeEinstellungen(QStringLiteral("9600,X,8,1")).beschreibung;
    }
    if (fall == u"anschluss fehlt")
        return fehlermeldung(Fehler{fehlernummer::anschlussFehlt, {}})->text;
    if (fall == u"port ohne gerät") {
        QTemporaryDir ordner;
        QFile::link(QStringLiteral("/gibt/es/nicht"), ordner.filePath(QStringLiteral("COM3")));
        SerielleSchnittstelle v24(ordner.path());
        return v24.geraeteHinweis(3).replace(ordner.path(), QStringLiteral("<ordner>"));
    }
    if (fall == u"messung ohne kontakte")
        return Messlauf::pruefe(Messauftrag{0, 0, 100, {8}, 2, 87});
    if (fall == u"spaltenkopf") {
        Tabellenspeicher t;
        return t.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return QStringLiteral("unbekannter Fall ") + fall;
}

// Registry texts that are names and stay as they are in English.
const QStringList namen{"CS&2/CS3", "DCC-E&X", "Ecos", "&Lenz V3.0", " Lenz LZ100 V3.0", "&6021, IB, MC",
                        "Z2&1", " Roco / Fleischmann Z21 ", "ID:"};

// Every text of the registry the window shows through zentralenText.
QStringList registertexte()
{
    QStringList texte;
    auto einstellungen = [&texte](const QList<Stationseinstellung> &liste) {
        for (const Stationseinstellung &e : liste)
            texte << e.titel << e.tipp;
    };
    for (const auto &z : zentralenregister()) {
        texte << z->titel << z->tipp << z->adresseTitel << z->verbindenText << z->verbindenTipp << z->standardTipp
              << z->antwortTitel;
        einstellungen(z->einstellungen());
    }
    einstellungen(laufeinstellungen());
    texte.removeAll(QString());
    return texte;
}

} // namespace

class TstSprachmeldungen : public QObject {
    Q_OBJECT

    QTranslator m_englisch;

    bool englisch()
    {
        return m_englisch.load(QStringLiteral(":/i18n/trabolin_en.qm")) && QCoreApplication::installTranslator(&m_englisch);
    }

private slots:
    void meldungen_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("deutsch");
        QTest::addColumn<QString>("englisch");
        QTest::newRow("profil fehlt")
            << "profil fehlt"
            << " Lokprofil...|Für die Lok 3 auf der Z21 (Fahrstufen 128) ist noch keine Geschwindigkeit gemessen.\n"
               "Zeilen mit W oder w und \"Fahrstufe in km/h\" brauchen ein Lokprofil: bitte die Lok zuerst mit "
               "\"Lok einmessen ...\" einmessen."
            << " Locomotive profile...|No speed has been measured yet for locomotive 3 on the Z21 (speed steps 128).\n"
               "Lines with W or w and \"Speed step in km/h\" need a locomotive profile: please measure the "
               "locomotive first with \"Measure locomotive ...\".";
        QTest::newRow("ecos verweigert") << "ecos verweigert" << "Die Ecos gibt ID 1004 nicht frei: sie fährt nicht !"
                                         << "The Ecos does not release ID 1004: it does not drive!";
        QTest::newRow("ecos schweigt")
            << "ecos schweigt" << "Die Ecos antwortet nicht auf die Kontrolle über ID 1004: sie fährt nicht !"
            << "The Ecos does not answer the request to control ID 1004: it does not drive!";
        QTest::newRow("z21 27 fahrstufen")
            << "z21 27 fahrstufen" << "Die Z21 kennt keine 27 Fahrstufen, bitte 14, 28 oder 128 wählen !"
            << "The Z21 has no 27 speed steps, please choose 14, 28 or 128!";
        QTest::newRow("z21 antwortet nicht")
            << "z21 antwortet nicht" << " Verbindungsaufbau gescheitert...|Die Z21 antwortet nicht !             "
            << " Connection failed...|The Z21 does not answer!             ";
        QTest::newRow("cs2 antwortet nicht")
            << "cs2 antwortet nicht"
            << "Keine Antwort von der CS2 !\nBitte IP-Adresse und LocalPort prüfen und ob das CAN-Gateway der "
               "Central Station eingeschaltet ist (TCP, oder UDP mit \"über UDP\")."
            << "No answer from the CS2!\nPlease check the IP address and LocalPort, and that the Central "
               "Station's CAN gateway is switched on (TCP, or UDP with \"via UDP\").";
        QTest::newRow("cs2 ausserhalb")
            << "cs2 ausserhalb"
            << "Die Adresse liegt außerhalb des Bereichs für MM2 (1...255) !\n"
               "Bitte eine Adresse von 1 bis 255 eingeben oder ein anderes Protokoll wählen."
            << "The address is outside the range for MM2 (1...255)!\n"
               "Please enter an address from 1 to 255 or choose another protocol.";
        QTest::newRow("verbindung verloren")
            << "verbindung verloren"
            << " Verbindung...|Die Verbindung zur Lenz ist abgebrochen !\n"
               "Bitte zuerst die Schnittstelle prüfen und \"Parameter setzen\" drücken."
            << " Connection...|The connection to the Lenz was lost!\n"
               "Please check the port first and press \"Set parameters\".";
        QTest::newRow("kurzschluss hält an")
            << "kurzschluss hält an"
            << "Die Gleisspannung wurde abgeschaltet (Kurzschluss). Das Fahrprogramm wurde angehalten."
            << "The track power was switched off (short circuit). The driving program was stopped.";
        QTest::newRow("gleisanzeige") << "gleisanzeige" << "Gleis: aus" << "Track: off";
        QTest::newRow("einstellungen kurz") << "einstellungen kurz" << "Die Einstellungsdatei endet vor Zeile 4"
                                            << "The settings file ends before line 4";
        QTest::newRow("datei fehlt") << "datei fehlt" << "Die Datei \"/gibt/es/nicht.ini\" wurde nicht gefunden"
                                     << "The file \"/gibt/es/nicht.ini\" was not found";
        QTest::newRow("parität") << "parität" << "Ungültige Parität „X“ (N, E, O, M oder S)"
                                 << "Invalid parity \"X\" (N, E, O, M or S)";
        QTest::newRow("anschluss fehlt")
            << "anschluss fehlt" << "Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    "
            << "Error 8002:  The given port (COM port?) does not exist!    ";
        QTest::newRow("port ohne gerät")
            << "port ohne gerät" << " Schnittstelle 3 = <ordner>/COM3 (über COM3 im Programmverzeichnis), nicht vorhanden "
            << " Port 3 = <ordner>/COM3 (via COM3 in the program folder), not present ";
        QTest::newRow("messung ohne kontakte")
            << "messung ohne kontakte"
            << "Bitte bei \"Kontakt A\" und \"Kontakt B\" die Nummern der beiden Kontakte eintragen."
            << "Please enter the numbers of the two contacts under \"Contact A\" and \"Contact B\".";
        QTest::newRow("spaltenkopf") << "spaltenkopf" << "Fahrstufe" << "Speed step";
    }
    void meldungen()
    {
        QFETCH(QString, fall);
        QTEST(meldung(fall), "deutsch");
        QVERIFY(englisch());
        const QString englischeMeldung = meldung(fall);
        QCoreApplication::removeTranslator(&m_englisch);
        QTEST(englischeMeldung, "englisch");
        QTEST(meldung(fall), "deutsch"); // and back, once the translator is gone
    }

    // Each registry text the window shows: the German source as it stands with no
    // translator, an English text of its own with the translation (names stay).
    void registertexte()
    {
        const QStringList texte = ::registertexte();
        QVERIFY(texte.size() > 30);
        for (const QString &t : texte)
            QCOMPARE(zentralenText(t), t);
        QVERIFY(englisch());
        QStringList gleich;
        for (const QString &t : texte) {
            const QString e = zentralenText(t);
            if (e.isEmpty() || (e == t) != namen.contains(t))
                gleich << t + QStringLiteral(" -> ") + e;
        }
        QCoreApplication::removeTranslator(&m_englisch);
        QVERIFY2(gleich.isEmpty(), qPrintable(gleich.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TstSprachmeldungen)
#include "tst_sprachmeldungen.moc"

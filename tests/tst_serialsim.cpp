// The serial station simulator: its decoder against the bytes Trabolin writes to the
// Lenz and the 6051 / IntelliBox interfaces and against broken commands, its DCC-EX
// station with its answers, and the program itself on a pseudo-terminal link.
#include "sim/serial/DccexStation.h"
#include "sim/serial/Dekodierer.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace trabolin::sim;

namespace {

const QString alleAus = QStringLiteral("Licht aus F1 aus F2 aus F3 aus F4 aus");

// "E4 13 00|03 85 71": the pieces as they arrive, one read each.
QList<QByteArray> h(const char *hex)
{
    QList<QByteArray> stuecke;
    for (const QByteArray &teil : QByteArray(hex).split('|'))
        stuecke.append(QByteArray::fromHex(teil));
    return stuecke;
}

QStringList texte(const QList<Ereignis> &ereignisse)
{
    QStringList ergebnis;
    for (const Ereignis &e : ereignisse)
        ergebnis.append(e.text);
    return ergebnis;
}

// A drive on the virtual track: at each time the bytes given (in hex, or as text for
// DCC-EX; none: the time has only passed), and everything the station sent, in order.
struct Streckenfall {
    std::optional<Station> station; // none: DCC-EX
    QList<std::pair<qint64, QByteArray>> schritte;
    QByteArray antwort;
};

// What a drive on the virtual track gave: the bytes the station sent, the lines it
// printed, and after each step when the track has to be moved next ("-": never).
struct Streckenlauf {
    QByteArray antwort;
    QStringList zeilen;
    QStringList fristen;
};

Streckenlauf fahre(const Streckenfall &fall)
{
    Streckenlauf lauf;
    const auto frist = [&](std::optional<qint64> f) { lauf.fristen << (f ? QString::number(*f) : QStringLiteral("-")); };
    if (fall.station) {
        Dekodierer d(*fall.station);
        for (const auto &[zeit, bytes] : fall.schritte) {
            lauf.zeilen += texte(bytes.isEmpty() ? d.ticke(zeit) : d.fuettere(bytes, zeit));
            lauf.antwort += d.nimmAntwort();
            frist(d.streckenfrist());
        }
    } else {
        DccexStation station(0);
        station.starte(0);
        for (const auto &[zeit, bytes] : fall.schritte) {
            const DccexSchritt schritt = bytes.isEmpty() ? station.ticke(zeit) : station.fuettere(bytes, zeit);
            lauf.zeilen += texte(schritt.ereignisse);
            lauf.antwort += schritt.antwort;
            frist(station.frist());
        }
    }
    return lauf;
}

// One decoder case: the bytes in pieces as they arrive, one read each.
struct Fall {
    Station station;
    bool usb = false;
    QList<QByteArray> stuecke;
    QStringList sofort;    // printed as the bytes arrive
    QStringList nachPause; // printed once they stand still 100 ms
};

} // namespace

Q_DECLARE_METATYPE(Fall)
Q_DECLARE_METATYPE(Streckenfall)

class TstSerialsim : public QObject {
    Q_OBJECT

private slots:
    void dekodierer_data()
    {
        QTest::addColumn<Fall>("fall");
        const Station lenz = Station::Lenz, maerklin = Station::Maerklin;
        const QString gleisAn = QStringLiteral("Power ein  Gleis an");
        QTest::newRow("lenz lange adresse 28 fs") << Fall{
            lenz, false, h("E4 12 C4 D2 8B 6B E4 12 C4 D2 95 75"),
            {"Fahren     Lok 1234: Fahrstufe 19 vorwärts (28 FS) | " + alleAus + " | Gleis unbekannt",
             "Fahren     Lok 1234: Fahrstufe 8 vorwärts (28 FS) | " + alleAus + " | Gleis unbekannt"}};
        QTest::newRow("lenz power, fahren, funktionen, nothalt: der zustand bleibt") << Fall{
            lenz, false, h("21 81 A0 E4 13 00 03 85 71|E4 20 00 03 11 D6|E4 13 00 03 81 75|21 80 A1"),
            {gleisAn, "Fahren     Lok 3: Fahrstufe 4 vorwärts (128 FS) | " + alleAus + " | Gleis an",
             "Funktionen Lok 3: Fahrstufe 4 vorwärts (128 FS) | Licht an F1 an F2 aus F3 aus F4 aus | Gleis an",
             "Fahren     Lok 3: Nothalt vorwärts (128 FS) | Licht an F1 an F2 aus F3 aus F4 aus | Gleis an",
             "Power aus  Gleis aus"}};
        QTest::newRow("lenz usb verlangt") << Fall{
            lenz, true, h("FF FE 21 81 A0 21 80 A1"), {gleisAn, "FEHLER: USB-Vorspann FF FE fehlt: 21 80 A1"}};
        QTest::newRow("lenz rahmen in zwei stücken") << Fall{
            lenz, false, h("FF|FE E4 13 00|03 85 71"),
            {"Fahren     Lok 3: Fahrstufe 4 vorwärts (128 FS) | " + alleAus + " | Gleis unbekannt"}};
        QTest::newRow("lenz prüfbyte falsch, müll, dann gültig") << Fall{
            lenz, false, h("E4 13 00 03 85 70 12 34 21 81 A0"),
            {"FEHLER: Prüfbyte falsch in E4 13 00 03 85 70 (erwartet 71)",
             "FEHLER: unbekannte Bytes übersprungen: 12 34", gleisAn}};
        QTest::newRow("lenz abgeschnitten")
            << Fall{lenz, false, h("E4 13 00"), {}, {"FEHLER: Rahmen abgeschnitten: E4 13 00"}};
        QTest::newRow("lenz unbekannter befehl, unbekannter kopf")
            << Fall{lenz, false, h("E3 00 00 03 E0 55"), {"FEHLER: unbekannter Befehl E3 00 00 03 E0"},
                    {"FEHLER: unbekannte Bytes übersprungen: 55"}};

        const auto lok24 = [](const QString &befehl, const QString &fahrt, const QString &licht) {
            return befehl.leftJustified(11) + "Lok 24: " + fahrt + " | Licht " + licht
                   + " F1 aus F2 aus F3 aus F4 aus | Gleis unbekannt";
        };
        QTest::newRow("6051 halt und wenden") << Fall{
            maerklin, false, h("17 18 10 18 1F 18 0F 18"),
            {lok24("Fahren", "Fahrstufe 7 vorwärts", "an"), lok24("Fahren", "Fahrstufe 0 vorwärts", "an"),
             lok24("Wenden", "Fahrstufe 0 rückwärts", "an"), lok24("Wenden", "Fahrstufe 0 vorwärts", "aus")}};
        QTest::newRow("6051 power; funktionsbits, 0x60 als adressbyte") << Fall{
            maerklin, false, h("60 45 60 61"),
            {gleisAn, "Funktionen Lok 96: Fahrstufe 0 vorwärts | Licht aus F1 an F2 aus F3 an F4 aus | Gleis an",
             "Power aus  Gleis aus"}};
        QTest::newRow("xl fahrzeile, halt der f-zeile, stoppzeile") << Fall{
            maerklin, false, {"XL 300,12,1,1,0,1,0,0\rXL 300, 0,\r", "XL300,0,0,0,0,0,0,0\r"},
            {"Fahren     Lok 300: Fahrstufe 12 vorwärts | Licht an F1 aus F2 an F3 aus F4 aus | Gleis unbekannt",
             "Fahren     Lok 300: Fahrstufe 0 vorwärts | Licht an F1 aus F2 an F3 aus F4 aus | Gleis unbekannt",
             "Fahren     Lok 300: Fahrstufe 0 rückwärts | " + alleAus + " | Gleis unbekannt"}};
        QTest::newRow("xl unbekannt, müll, 6051, xl abgeschnitten") << Fall{
            maerklin, false, {"XL 300,a\rXA\r\x20\xFF\x17\x18XL 300,1"},
            {"FEHLER: unbekannte Zeile \"XL 300,a\"", "FEHLER: unbekannte Zeile \"XA\"",
             "FEHLER: unbekannte Bytes übersprungen: 20 FF", lok24("Fahren", "Fahrstufe 7 vorwärts", "an")},
            {"FEHLER: Zeile abgeschnitten: \"XL 300,1\""}};
    }
    void dekodierer()
    {
        QFETCH(Fall, fall);
        Dekodierer d(fall.station, fall.usb);
        qint64 zeit = 0;
        QList<Ereignis> ereignisse;
        for (const QByteArray &stueck : fall.stuecke) {
            ereignisse += d.fuettere(stueck, zeit);
            zeit += 10;
        }
        const qint64 letztes = zeit - 10;
        ereignisse += d.ticke(letztes + Dekodierer::pauseMs - 1);
        QCOMPARE(texte(ereignisse), fall.sofort);
        const QList<Ereignis> spaet = d.ticke(letztes + Dekodierer::pauseMs);
        QCOMPARE(texte(spaet), fall.nachPause);
        for (const Ereignis &e : spaet)
            QCOMPARE(e.zeitMs, letztes + Dekodierer::pauseMs);
        QVERIFY(!d.frist());
    }

    // The DCC-EX station, booted: commands in pieces -> printed lines and answers.
    void dccex_data()
    {
        QTest::addColumn<QList<QByteArray>>("stuecke");
        QTest::addColumn<QStringList>("zeilen");
        QTest::addColumn<QByteArray>("antwort");
        const auto lok3 = [](const char *befehl, const char *fahrt, const char *licht, const char *f4) {
            return QString::fromLatin1(befehl).leftJustified(16) + "Lok 3: " + fahrt + " | Licht " + licht
                   + " F1 aus F2 aus F3 aus F4 " + f4 + " | Gleis an";
        };
        QTest::newRow("fahren, funktionen, nothalt")
            << QList<QByteArray>{"<1>\n<t 3 40 1>\n", "<F 3 0 1>\n<F 3 4 1>\n<F 3 9 1>\n<t 3 -1 0>\n"}
            << QStringList{"<1>             Gleis an", lok3("<t 3 40 1>", "Fahrstufe 40 vorwärts", "aus", "aus"),
                           lok3("<F 3 0 1>", "Fahrstufe 40 vorwärts", "an", "aus"),
                           lok3("<F 3 4 1>", "Fahrstufe 40 vorwärts", "an", "an"),
                           lok3("<F 3 9 1>", "Fahrstufe 40 vorwärts", "an", "an"),
                           lok3("<t 3 -1 0>", "Nothalt rückwärts", "an", "an")}
            << QByteArray("<p1 A>\n<p1 B>\n<p1 MAIN>\n<p1 PROG>\n<p1>\n"
                          "<l 3 0 169 0>\n<l 3 0 169 1>\n<l 3 0 169 17>\n<l 3 0 169 17>\n<l 3 0 1 17>\n");
        // The answers as CommandStation-EX 5.x gives them: DCCEXParser.cpp answers "<s>"
        // with its version line, CommandDistributor::broadcastPower and Sensor::printAll
        // (sensors 1 and 2, "<q 1>" free); broadcastPower sends
        // each output ("<p1 A>"), the tracks that are on ("<p1 MAIN>", "<p1 PROG>" or
        // "<p1 JOIN>") and "<p0>"/"<p1>" when all outputs agree; TrackManager.cpp answers
        // "<=>" with "<= A MAIN>" per output.
        const QByteArray kennung = QByteArray(DccexStation::kennung) + '\n';
        QTest::newRow("status, gleise")
            << QList<QByteArray>{"<s><1 MAIN><0 prog><s>"}
            << QStringList{"<s>             Status: Gleis aus", "<1 MAIN>        Gleis MAIN an",
                           "<0 prog>        Gleis PROG aus", "<s>             Status: Gleis an"}
            << kennung + "<p0 A>\n<p0 B>\n<p0>\n<q 1>\n<q 2>\n" + "<p1 A>\n<p0 B>\n<p1 MAIN>\n"
                   + "<p1 A>\n<p0 B>\n<p1 MAIN>\n" + kennung + "<p1 A>\n<p0 B>\n<p1 MAIN>\n<q 1>\n<q 2>\n";
        QTest::newRow("gleise, join, prog an")
            << QList<QByteArray>{"<=>", "<1 JOIN>", "<0><1 PROG>"}
            << QStringList{"<=>             Gleise: A MAIN, B PROG", "<1 JOIN>        Gleis JOIN an",
                           "<0>             Gleis aus", "<1 PROG>        Gleis PROG an"}
            << QByteArray("<= A MAIN>\n<= B PROG>\n<p1 A>\n<p1 B>\n<p1 JOIN>\n<p1>\n<p0 A>\n<p0 B>\n<p0>\n"
                          "<p0 A>\n<p1 B>\n<p1 PROG>\n");
        QStringList falsch;
        QByteArray eingabe, x;
        for (const char *b : {"<t 0 40 1>", "<t 10240 1 1>", "<t 3 127 1>", "<t 3 40 2>", "<t 3 40>",
                              "<t 3 4O 1>", "<F 3 69 1>", "<F 3 1 2>", "<q>", "<>", "<1 XY>"}) {
            falsch << QString::fromLatin1(b).leftJustified(16) + "FEHLER: ungültiger Befehl, Antwort <X>";
            eingabe += b;
            x += "<X>\n";
        }
        QTest::newRow("ungültig") << QList<QByteArray>{eingabe} << falsch << x;
        QTest::newRow("müll, stücke, ohne ende")
            << QList<QByteArray>{"ab\n<t 3", " 5 0>", "<t 3 <0>"}
            << QStringList{"FEHLER: Text außerhalb von <...> übersprungen: \"ab\"",
                           "<t 3 5 0>       Lok 3: Fahrstufe 5 rückwärts | Licht aus F1 aus F2 aus F3 aus F4 aus"
                           " | Gleis aus",
                           "FEHLER: Befehl ohne Ende: \"<t 3 \"", "<0>             Gleis aus"}
            << QByteArray("<l 3 0 6 0>\n<p0 A>\n<p0 B>\n<p0>\n");
    }
    void dccex()
    {
        QFETCH(QList<QByteArray>, stuecke);
        DccexStation station(100);
        station.starte(0);
        QCOMPARE(texte(station.fuettere("<1>\n", 99).ereignisse),
                 QStringList{"verloren, die Zentrale bootet noch: \"<1><0A>\""});
        QCOMPARE(station.frist(), std::optional<qint64>(100));
        QCOMPARE(texte(station.ticke(100).ereignisse), QStringList{"bereit"});
        QStringList zeilen;
        QByteArray antwort;
        for (const QByteArray &stueck : stuecke) {
            const DccexSchritt schritt = station.fuettere(stueck, 200);
            zeilen += texte(schritt.ereignisse);
            antwort += schritt.antwort;
        }
        QTEST(zeilen, "zeilen");
        QTEST(antwort, "antwort");
    }

    // Two locomotives at once, each on a track of its own. The first one (3, or 300 on
    // the XL path) at its top step (1 m/s) from 1.5 m reaches contact 2 (2.8 m to
    // 2.9 m) after 1300 ms and leaves it after 1400 ms; the stations report it in their
    // formats: the LZ100's broadcast and answer 42 00 42 00 (module 0, lower nibble,
    // input 2); the 6051's module 1 with contact 2 in bit 6 of its high byte, still set
    // at the first read after the contact was left (reset mode); XSensor "00 high low" as
    // the module stands (at 1450 ms contact 2, already left, reads free), XEvtSen the module
    // changed, then 00; DCC-EX "<Q 2>" and "<q 2>" unasked. The second one (4, 301) from
    // 500 ms on, which reaches contact 4 of its track at 1800 ms and leaves it at
    // 1900 ms. Contact 4 as each station reports it: the LZ100's feedback module 0,
    // lower nibble, input 4 (42 00 48 0A); bit 4 of the first byte of s88 module 1 on
    // the 6051 and the IntelliBox (10 00); DCC-EX sensor 4. The lines of the contacts
    // name the locomotive and where it stands, and the track is moved next at the
    // nearer edge of either locomotive.
    void zweiLoks_data()
    {
        QTest::addColumn<Streckenfall>("fall");
        QTest::addColumn<QStringList>("kontakte"); // the contacts' lines, without "Kontakt    "
        QTest::addColumn<QString>("fristen");
        const auto x = [](const char *hex) { return QByteArray::fromHex(hex); };
        QTest::newRow("lenz") << Streckenfall{Station::Lenz,
            {{0, x("E4 13 00 03 FF 0B")}, {500, x("E4 13 00 04 FF 0C")}, {1300, {}}, {1400, {}}, {1800, {}},
             {1850, x("42 00 80 C2")}, {1900, {}}},
            x("42 00 42 00 42 00 40 02 42 00 48 0A 42 00 48 0A 42 00 40 02")}
            << QStringList{"2 belegt, Rundruf 42 00 42 00 (Lok 3 bei 2800 mm)",
                           "2 frei, Rundruf 42 00 40 02 (Lok 3 bei 2900 mm)",
                           "4 belegt, Rundruf 42 00 48 0A (Lok 4 bei 2800 mm)",
                           "4 frei, Rundruf 42 00 40 02 (Lok 4 bei 2900 mm)"}
            << "1300 1300 1400 1800 1900 1900 -";
        QTest::newRow("6051") << Streckenfall{Station::Maerklin,
            {{0, x("0E 03")}, {500, x("0E 04")}, {1350, x("C1")}, {1450, x("C1")}, {1550, x("C1")},
             {1850, x("C1")}, {1950, x("C1")}, {2050, x("C1")}},
            x("40 00 40 00 00 00 10 00 10 00 00 00")}
            << QStringList{"2 belegt (Lok 3 bei 2850 mm)", "2 frei (Lok 3 bei 2950 mm)",
                           "4 belegt (Lok 4 bei 2850 mm)", "4 frei (Lok 4 bei 2950 mm)"}
            << "1300 1300 1400 1800 1800 1900 - -";
        QTest::newRow("intellibox") << Streckenfall{Station::Maerklin,
            {{0, "XL 300,127,0,1\r"}, {500, "XL 301,127,0,1\r"}, {1450, x("58 98 01 58 CB")}, {1850, x("58 98 01")},
             {1950, x("58 CB 58 CB")}},
            x("00 00 00 01 40 00 00 00 10 00 01 10 00 00 00")}
            << QStringList{"2 belegt (Lok 300 bei 2950 mm)", "2 frei (Lok 300 bei 2950 mm)",
                           "4 belegt (Lok 301 bei 2850 mm)", "4 frei (Lok 301 bei 2950 mm)"}
            << "1300 1300 1800 1900 -";
        // "<Q>" and "<S>" name the sensors of both tracks now.
        QTest::newRow("dccex") << Streckenfall{std::nullopt,
            {{0, "<t 3 126 1>"}, {500, "<t 4 126 1>"}, {1300, {}}, {1400, {}}, {1800, "<Q>"}, {1850, "<S>"},
             {1900, {}}},
            "<l 3 0 255 0>\n<l 4 0 255 0>\n<Q 2>\n<q 2>\n<Q 4>\n<q 1>\n<q 2>\n<q 3>\n<Q 4>\n"
            "<Q 1 22 1>\n<Q 2 23 1>\n<Q 3 24 1>\n<Q 4 25 1>\n<q 4>\n"}
            << QStringList{"2 belegt, Meldung <Q 2> (Lok 3 bei 2800 mm)", "2 frei, Meldung <q 2> (Lok 3 bei 2900 mm)",
                           "4 belegt, Meldung <Q 4> (Lok 4 bei 2800 mm)", "4 frei, Meldung <q 4> (Lok 4 bei 2900 mm)"}
            << "1300 1300 1400 1800 1900 1900 -";
    }
    void zweiLoks()
    {
        QFETCH(Streckenfall, fall);
        const Streckenlauf lauf = fahre(fall);
        QCOMPARE(fall.station ? lauf.antwort.toHex(' ') : lauf.antwort, fall.station ? fall.antwort.toHex(' ') : fall.antwort);
        QStringList kontakte;
        for (const QString &zeile : lauf.zeilen)
            if (zeile.startsWith(u"Kontakt    "))
                kontakte << zeile.mid(11);
        QTEST(kontakte, "kontakte");
        QTEST(lauf.fristen.join(u' '), "fristen");
    }

    // The program on a link: a command cut short is reported once the bytes stand
    // still, and the link is gone after the end signal. What it prints for whole
    // commands shows in the runs through the window.
    void programm()
    {
        QTemporaryDir verzeichnis;
        const QString link = verzeichnis.filePath(QStringLiteral("COM3"));
        QProcess sim;
        sim.start(QStringLiteral(SIMULATOR_PROGRAMM), {"--station", "maerklin", "--link", link});
        QVERIFY(sim.waitForReadyRead(5000));
        QVERIFY(sim.readLine().contains("bereit"));
        QVERIFY(QFileInfo(link).isSymLink());

        const int fd = ::open(QFile::encodeName(link).constData(), O_WRONLY | O_NOCTTY);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "\x17", 1), ssize_t(1));
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        ::close(fd);
        const QRegularExpression zeile(QStringLiteral("^ *\\d+ ms  FEHLER: Befehl abgeschnitten: 17\\n$"));
        const QString gelesen = QString::fromUtf8(sim.readLine());
        QVERIFY2(zeile.match(gelesen).hasMatch(), qPrintable(gelesen));

        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TstSerialsim)
#include "tst_serialsim.moc"

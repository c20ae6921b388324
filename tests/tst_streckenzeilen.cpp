// Distance lines ("W"/"w") and "Fahrstufe in km/h" with a locomotive's measured
// profile: how a line reads, that a distance line drives exactly as long as the
// time line of the time its profile gives (the same bytes at the same virtual times on
// every station), and the refusal at the start where a profile is missing.
#include "helfer/Aufbau.h"

#include <QtTest>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// Step 16: 100 mm/s forwards, 90 backwards; step 64: 500 and 480; H0.
Lokprofil profil(const Profilschluessel &schluessel = {})
{
    return Lokprofil{schluessel, QDate(2026, 12, 7), 1200, 87, {{16, 100, 90}, {64, 500, 480}}};
}

// The wire of a station in the test set-up, as "<ms> <bytes or text>".
QStringList draht(const Aufbau &a, int option)
{
    if (option == 2)
        return a.link.gesendet;
    if (option == zentralenoption(QStringLiteral("Z21")))
        return a.z21link.gesendet;
    QStringList d;
    for (const Schreibvorgang &v : a.port.vorgaenge)
        d << QString::number(v.zeit) + u' ' + QString::fromLatin1(v.bytes.toHex(' '));
    return d;
}

void mitProfil(Aufbau &a, int option)
{
    QStringList codes;
    for (const auto &z : zentralenregister())
        codes << z->code;
    a.ablauf.betrieb().setzeStationscodes(codes);
    a.ablauf.betrieb().setzeLokprofile({profil(a.ablauf.profilschluessel(option))});
}

} // namespace

class TstStreckenzeilen : public QObject {
    Q_OBJECT

private slots:
    void lesen_data()
    {
        QTest::addColumn<QString>("zellen");
        QTest::addColumn<bool>("maerklin");
        QTest::addColumn<bool>("kmh");
        QTest::addColumn<bool>("mitProfil");
        QTest::addColumn<int>("stufe");
        QTest::addColumn<int>("warteMs");
        QTest::addColumn<int>("streckeCm");
        QTest::newRow("W: 1.2 m bei 500 mm/s") << "120,W,64" << false << false << true << 64 << 2400 << 120;
        QTest::newRow("w: 1.2 m bei 480 mm/s") << "120,w,64" << false << false << true << 64 << 2500 << 120;
        QTest::newRow("1 cm bei 100 mm/s") << "1,W,16" << false << false << true << 16 << 100 << 1;
        QTest::newRow("9999 cm") << "9999,W,64" << false << false << true << 64 << 199980 << 9999;
        QTest::newRow("zwischen zwei stufen") << "30,W,40" << false << false << true << 40 << 1000 << 30;
        QTest::newRow("stufe 0 fährt nicht") << "120,W,0" << false << false << true << 0 << 0 << 120;
        QTest::newRow("ohne profil") << "120,W,64" << false << false << false << 64 << 0 << 120;
        QTest::newRow("6051: W wie K") << "120,W,64" << true << false << true << 64 << 2400 << 120;
        QTest::newRow("km/h vorwärts") << "5,S,31" << false << true << true << 16 << 5000 << 0;
        QTest::newRow("km/h rückwärts") << "5,s,31" << false << true << true << 17 << 5000 << 0;
        QTest::newRow("km/h 0") << "5,S,0" << false << true << true << 0 << 5000 << 0;
        QTest::newRow("km/h mit strecke") << "120,W,157" << false << true << true << 64 << 2400 << 120;
        QTest::newRow("km/h ohne profil: stufe") << "5,S,31" << false << true << false << 31 << 5000 << 0;
        QTest::newRow("profil, andere einheit: wie immer") << "5,m,20" << false << false << true << 20 << 300000 << 0;
        QTest::newRow("kontakt bleibt kontakt") << "3,K,20" << false << true << true << 10 << 0 << 0;
    }
    void lesen()
    {
        QFETCH(QString, zellen);
        QFETCH(bool, maerklin);
        QFETCH(bool, kmh);
        QFETCH(bool, mitProfil);
        Tabellenspeicher tabelle;
        fuelleZeile(tabelle, 1, zellen);
        Lesart lesart;
        lesart.regeln = maerklin ? Zeilenregeln::maerklin : Zeilenregeln::dcc;
        const Lokprofil p = profil();
        const Programmzeile z = leseProgrammzeile(tabelle, 1, lesart, {mitProfil ? &p : nullptr, kmh});
        QTEST(z.stufe, "stufe");
        QTEST(z.warteMs, "warteMs");
        QTEST(z.streckeCm, "streckeCm");
        QCOMPARE(z.fahrstufeText, QString::number(z.fahrstufe));
    }

    // 2.5 m at 500 mm/s and 2.4 m backwards at 480 mm/s take 5 s each; in H0 157 km/h
    // is step 64 forwards, 150 km/h step 64 backwards and 31 km/h step 16: on every
    // station the wire of the table with distances in km/h is the wire of the table in
    // seconds and steps, byte for byte and millisecond for millisecond.
    void wieZeitzeilen_data()
    {
        QTest::addColumn<int>("option");
        for (const char *code : {"DCC", "Lenz", "Ecos", "Z21", "DCC-EX"})
            QTest::newRow(code) << zentralenoption(QString::fromLatin1(code));
    }
    void wieZeitzeilen()
    {
        QFETCH(int, option);
        const bool maerklin = option == 0;
        const QStringList strecke{"250,W,157,X", maerklin ? "250,W,157" : "240,w,150", "2,S,31"};
        const QStringList zeit{"5,S,64,X", maerklin ? "5,S,64" : "5,s,64", "2,S,16"};
        QStringList draehte[2];
        for (int i = 0; i < 2; ++i) {
            Aufbau a;
            a.feld.option = option;
            a.feld.adresse = option == 2 ? QStringLiteral("1003") : QStringLiteral("3");
            a.ablauf.treiber()->setzeFahrstufen(3);
            mitProfil(a, option);
            a.zeilen(i == 0 ? strecke : zeit);
            a.feld.mitKmh = i == 0;
            a.ablauf.btnStart_Click();
            draehte[i] = draht(a, option);
            QVERIFY(!draehte[i].isEmpty());
        }
        QCOMPARE(draehte[0], draehte[1]);
    }

    // A start that needs the profile and has none (or one at whose step a distance
    // line would stand) is refused with a message, and nothing goes on the wire; a
    // table without distance lines and without km/h starts as it always has.
    void verweigert_data()
    {
        QTest::addColumn<QStringList>("tabelle");
        QTest::addColumn<bool>("kmh");
        QTest::addColumn<bool>("mitProfil");
        QTest::addColumn<QString>("meldung"); // empty: it runs
        const QString fehlt = QStringLiteral(
            "Für die Lok 3 auf der Z21 (Fahrstufen 128) ist noch keine Geschwindigkeit gemessen.\n"
            "Zeilen mit W oder w und \"Fahrstufe in km/h\" brauchen ein Lokprofil: bitte die Lok zuerst mit "
            "\"Lok einmessen ...\" einmessen.");
        QTest::newRow("strecke ohne profil") << QStringList{"2,S,10", "120,W,64"} << false << false << fehlt;
        QTest::newRow("km/h ohne profil") << QStringList{"2,S,10"} << true << false << fehlt;
        QTest::newRow("strecke hinter dem ende: fährt") << QStringList{"2,S,10", "", "120,W,64"} << false << false << "";
        QTest::newRow("stufe 0 steht") << QStringList{"2,S,10", "120,w,0"} << false << true
                                       << "Zeile 2: Bei Fahrstufe 0 fährt die Lok nach ihrem Lokprofil nicht, eine "
                                          "Strecke ist so nicht zu fahren.";
        QTest::newRow("ohne strecke, ohne km/h, ohne profil: fährt") << QStringList{"2,S,10"} << false << false << "";
    }
    void verweigert()
    {
        QFETCH(QStringList, tabelle);
        QFETCH(bool, kmh);
        QFETCH(bool, mitProfil);
        QFETCH(QString, meldung);
        Aufbau a;
        const int option = zentralenoption(QStringLiteral("Z21"));
        a.feld.option = option;
        a.feld.adresse = QStringLiteral("3");
        a.feld.mitKmh = kmh;
        a.ablauf.treiber()->setzeFahrstufen(3);
        mitProfil ? ::mitProfil(a, option) : a.ablauf.betrieb().setzeStationscodes({"DCC", "Lenz", "Ecos", "Z21"});
        a.zeilen(tabelle);
        QSignalSpy fehlt(&a.ablauf, &Ablauf::profilFehlt);
        a.ablauf.btnStart_Click();
        QCOMPARE(fehlt.size(), meldung.isEmpty() ? 0 : 1);
        if (!meldung.isEmpty()) {
            QCOMPARE(fehlt[0][0].toString(), QStringLiteral(" Lokprofil..."));
            QCOMPARE(fehlt[0][1].toString(), meldung);
        }
        QCOMPARE(a.z21link.gesendet.isEmpty(), !meldung.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstStreckenzeilen)
#include "tst_streckenzeilen.moc"

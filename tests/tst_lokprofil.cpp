// A locomotive's measured profile without a window: the speed between and beyond the
// measured steps, the step nearest to a scale speed, the bytes of "Lokprofile.ini"
// and what a hand-edited file with broken lines reads as and is written back as.
#include "storage/Lokprofildatei.h"

#include <QtTest>

using namespace trabolin;

namespace {

// Step 16: 100 mm/s forwards, 90 backwards; step 64: 500 and 480; H0.
Lokprofil beispiel()
{
    return Lokprofil{{QStringLiteral("Z21"), QStringLiteral("3"), QStringLiteral("128")}, QDate(2026, 12, 7), 1200, 87,
                     {{16, 100, 90}, {64, 500, 480}}};
}

QString punkte(const Lokprofil &p)
{
    QStringList t;
    for (const Messpunkt &m : p.punkte)
        t << QStringLiteral("%1:%2/%3").arg(m.stufe).arg(m.vorwaerts).arg(m.rueckwaerts);
    return t.join(u' ');
}

} // namespace

class TstLokprofil : public QObject {
    Q_OBJECT

private slots:
    void geschwindigkeit_data()
    {
        QTest::addColumn<int>("stufe");
        QTest::addColumn<bool>("vorwaerts");
        QTest::addColumn<double>("mmProS");
        QTest::newRow("stufe 0 steht") << 0 << true << 0.0;
        QTest::newRow("negative stufe steht") << -3 << false << 0.0;
        QTest::newRow("zwischen 0 und der ersten") << 8 << true << 50.0;
        QTest::newRow("gemessen vorwärts") << 16 << true << 100.0;
        QTest::newRow("gemessen rückwärts") << 16 << false << 90.0;
        QTest::newRow("mitten zwischen zwei") << 40 << true << 300.0;
        QTest::newRow("mitten zwischen zwei rückwärts") << 40 << false << 285.0;
        QTest::newRow("ein viertel") << 28 << true << 200.0;
        QTest::newRow("oberste gemessen") << 64 << false << 480.0;
        QTest::newRow("darüber hält sie") << 126 << true << 500.0;
    }
    void geschwindigkeit()
    {
        QFETCH(int, stufe);
        QFETCH(bool, vorwaerts);
        QFETCH(double, mmProS);
        QCOMPARE(beispiel().mmProS(stufe, vorwaerts), mmProS);
    }

    // In H0 100 mm/s are 31.32 km/h and 500 mm/s 156.6 km/h; step 15 gives 29.36 and
    // step 17 33.93 km/h forwards.
    void naechsteStufe_data()
    {
        QTest::addColumn<double>("kmh");
        QTest::addColumn<bool>("vorwaerts");
        QTest::addColumn<int>("stufe");
        QTest::newRow("0 km/h") << 0.0 << true << 0;
        QTest::newRow("31 km/h: stufe 16") << 31.0 << true << 16;
        QTest::newRow("33 km/h: stufe 17") << 33.0 << true << 17;
        QTest::newRow("rückwärts langsamer: eine stufe höher") << 31.0 << false << 17;
        QTest::newRow("über der spitze: oberste gemessene") << 300.0 << true << 64;
        QTest::newRow("ganz wenig: stufe 0") << 0.9 << true << 0;
        QTest::newRow("156.6 km/h: stufe 64") << 156.6 << true << 64;
    }
    void naechsteStufe()
    {
        QFETCH(double, kmh);
        QFETCH(bool, vorwaerts);
        QTEST(beispiel().naechsteStufe(kmh, vorwaerts), "stufe");
    }

    void leeresProfil()
    {
        const Lokprofil leer;
        QCOMPARE(leer.mmProS(20, true), 0.0);
        QCOMPARE(leer.naechsteStufe(50, true), 0);
    }

    // The example of the file's description, and a second section in another scale.
    void schreiben()
    {
        Profildatei d;
        Lokprofil z21{{QStringLiteral("Z21"), QStringLiteral("3"), QStringLiteral("128")}, QDate(2026, 12, 7), 1200, 87,
                      {{64, 512.3, 498.7}}};
        d.setze(z21);
        // Points put in out of order are kept in step order.
        Lokprofil ecos{{QStringLiteral("Ecos"), QStringLiteral("1001"), QStringLiteral("127")}, QDate(2026, 1, 2), 2700,
                       22.5, {}};
        ecos.setzePunkt({127, 1000, 960});
        ecos.setzePunkt({8, 12.26, 11});
        d.setze(ecos);
        QCOMPARE(schreibeProfildatei(d),
                 QByteArray("[Z21 3 128]\r\nDatum=2026-12-07\r\nAbstand=1200\r\nMassstab=87\r\nStufe 64=512.3;498.7\r\n"
                            "\r\n[Ecos 1001 127]\r\nDatum=2026-01-02\r\nAbstand=2700\r\nMassstab=22.5\r\n"
                            "Stufe 8=12.3;11.0\r\nStufe 127=1000.0;960.0\r\n"));
        // Measured again, the profile takes the place of the old one.
        z21.punkte = {{32, 250, 240}};
        d.setze(z21);
        QCOMPARE(d.abschnitte.size(), 2);
        QCOMPARE(punkte(*d.profil(z21.schluessel)), QStringLiteral("32:250/240"));
    }

    // A hand-edited file: what it reads as, the notes, and the bytes it is written
    // back as (every line the reader could not take is still there).
    void lesen_data()
    {
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<QString>("profile"); // "<key>|<date>|<distance>|<scale>|<points>" each, ";" between
        QTest::addColumn<QStringList>("hinweise");
        QTest::addColumn<QByteArray>("zurueck");
        const QByteArray gut = "[Z21 3 128]\r\nDatum=2026-12-07\r\nAbstand=1200\r\nMassstab=87\r\nStufe 64=512.3;498.7\r\n";
        QTest::newRow("wie geschrieben") << gut << "Z21 3 128|2026-12-07|1200|87|64:512.3/498.7" << QStringList() << gut;
        QTest::newRow("nur LF, blanks, stufen durcheinander")
            << QByteArray("\n[Z21 3 128]\nDatum = 2026-12-07\n Stufe 64 = 512.3 ; 498.7\nStufe 8=10;9\n\n")
            << "Z21 3 128|2026-12-07|0|87|8:10/9 64:512.3/498.7" << QStringList()
            << QByteArray("[Z21 3 128]\r\nDatum=2026-12-07\r\nMassstab=87\r\nStufe 8=10.0;9.0\r\nStufe 64=512.3;498.7\r\n");
        QTest::newRow("komma als dezimalzeichen, kaputtes datum, fremder schlüssel")
            << QByteArray("# meine Loks\r\n[Lenz 1234 28]\r\nDatum=7.12.2026\r\nStufe 14=300,5;290\r\nNotiz=neue Räder\r\n"
                          "Stufe 28=600;580\r\n")
            << "Lenz 1234 28||0|87|28:600/580"
            << QStringList{"Lokprofile.ini, Zeile 3: \"Datum=7.12.2026\" wird übergangen (kein gültiger Wert).",
                           "Lokprofile.ini, Zeile 4: \"Stufe 14=300,5;290\" wird übergangen (kein gültiger Wert)."}
            << QByteArray("# meine Loks\r\n\r\n[Lenz 1234 28]\r\nMassstab=87\r\nStufe 28=600.0;580.0\r\n"
                          "Datum=7.12.2026\r\nStufe 14=300,5;290\r\nNotiz=neue Räder\r\n");
        QTest::newRow("kopf ohne fahrstufen: abschnitt bleibt wie er war")
            << QByteArray("[Z21 3]\r\nStufe 8=1;1\r\n\r\n[Z21 4 128]\r\nStufe 8=2;2\r\nStufe 9=-1;2\r\nAbstand=0\r\n")
            << "Z21 4 128||0|87|8:2/2"
            << QStringList{"Lokprofile.ini, Zeile 1: \"[Z21 3]\" wird übergangen (Station, Adresse und Fahrstufen erwartet).",
                           "Lokprofile.ini, Zeile 6: \"Stufe 9=-1;2\" wird übergangen (kein gültiger Wert).",
                           "Lokprofile.ini, Zeile 7: \"Abstand=0\" wird übergangen (kein gültiger Wert)."}
            << QByteArray("[Z21 3]\r\nStufe 8=1;1\r\n\r\n[Z21 4 128]\r\nMassstab=87\r\nStufe 8=2.0;2.0\r\n"
                          "Stufe 9=-1;2\r\nAbstand=0\r\n");
        QTest::newRow("abschnitt doppelt: zusammengelegt, der spätere wert gilt")
            << QByteArray("[DCC-EX 3 126]\r\nStufe 10=1;1\r\n[DCC-EX 3 126]\r\nStufe 10=2;2\r\nMassstab=160\r\n")
            << "DCC-EX 3 126||0|160|10:2/2" << QStringList()
            << QByteArray("[DCC-EX 3 126]\r\nMassstab=160\r\nStufe 10=2.0;2.0\r\n");
        QTest::newRow("leer") << QByteArray() << "" << QStringList() << QByteArray();
    }
    void lesen()
    {
        QFETCH(QByteArray, datei);
        const Profildatei d = leseProfildatei(datei);
        QStringList profile;
        for (const Lokprofil &p : d.profile())
            profile << QStringLiteral("%1|%2|%3|%4|%5")
                           .arg(p.schluessel.text(), p.datum.toString(Qt::ISODate))
                           .arg(p.abstandMm)
                           .arg(p.massstab)
                           .arg(punkte(p));
        QTEST(profile.join(u';'), "profile");
        QTEST(d.hinweise, "hinweise");
        QTEST(schreibeProfildatei(d), "zurueck");
    }
};

QTEST_GUILESS_MAIN(TstLokprofil)
#include "tst_lokprofil.moc"

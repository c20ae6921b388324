// The file layouts without a window: row lines, the settings file byte for byte, short
// and altered files, program files, and writes that fail.
#include "helfer/OhneRoot.h"
#include "storage/Dateiformat.h"

#include <QtTest>

using namespace trabolin;
using trabolin::test::ohneRoot;

namespace {

Tabellenzeile zellen(const QString &text)
{
    Tabellenzeile z;
    const QStringList teile = text.split(u',');
    for (int i = 0; i < anzahlZellen && i < teile.size(); ++i)
        z[i] = teile[i];
    return z;
}
QString alsText(const Tabellenzeile &z) { return QStringList(z.begin(), z.end()).join(u','); }

QByteArray vorlage()
{
    QFile f(QStringLiteral(TRABOLIN_TESTDATEN "/Trabolin.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// The hand-written settings file with line `nr` (1-based) replaced, or cut after `bis` lines.
QByteArray vorlageMit(int nr, const QByteArray &zeile, int bis = 56)
{
    QList<QByteArray> z = vorlage().split('\n');
    z.removeLast();
    if (nr > 0)
        z[nr - 1] = zeile + '\r';
    return z.mid(0, bis).join('\n') + (bis > 0 ? "\n" : "");
}

} // namespace

class TestDateien : public QObject {
    Q_OBJECT
private slots:
    // Cells -> row line (settings file / program file) -> cells read back. Rows without
    // cells read lines the writer never makes: short lines, other characters.
    void zeile_data()
    {
        QTest::addColumn<QString>("zellen");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("dat");
        QTest::addColumn<QString>("zurueck");
        QTest::newRow("Nullen") << "0,f,0,,,,," << "00f000-----" << "00F000-----" << "0,f,,,,,,";
        QTest::newRow("führende Null, Blanks") << "07, ,128, ,X, , ,x" << "07-128-X--X" << "07-128-X--X" << "7,,128,,X,,,X";
        QTest::newRow("zu lang schiebt") << "123,S,9,X,X,X,X,X" << "123S009XXXXX" << "123S009XXXXX" << "12,3,0,X,X,X,X,X";
        // A distance of three or four digits takes four places, told by the "W" or "w"
        // after them; two digits and every other unit keep the two places.
        QTest::newRow("strecke vierstellig") << "1200,W,64,X" << "1200W064X----" << "1200W064X----" << "1200,W,64,X,,,,";
        QTest::newRow("strecke dreistellig") << "150,w,20,,X" << "0150w020-X---" << "0150W020-X---" << "150,w,20,,X,,,";
        QTest::newRow("strecke zweistellig") << "99,w,5" << "99w005-----" << "99W005-----" << "99,w,5,,,,,";
        QTest::newRow("kurz, W an fünfter stelle") << QString() << "12sW0" << QString() << "12,s,0,X,X,X,X,X";
        QTest::newRow("leere Zeile") << QString() << "" << QString() << ",,,X,X,X,X,X";
        QTest::newRow("fremde Zeichen") << QString() << "ab?xyz+ -.\t" << QString() << "0,?,0,X,X,,X,X";
    }
    void zeile()
    {
        QFETCH(QString, zellen); QFETCH(QString, ini);
        if (!zellen.isNull()) {
            QCOMPARE(kodiereZeile(::zellen(zellen)), ini);
            QTEST(kodiereZeile(::zellen(zellen), true), "dat");
        }
        QTEST(alsText(dekodiereZeile(ini)), "zurueck");
    }

    // How far a read gets, and what it reports.
    void einstellungenLesen_data()
    {
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<int>("gueltigBis");
        QTest::addColumn<int>("fehler");
        QTest::addColumn<QString>("werte"); // address|port|baud|station|usb|host
        QTest::newRow("0 Zeilen") << QByteArray() << 0 << 62 << "||||0|";
        QTest::newRow("55 Zeilen") << vorlageMit(0, {}, 55) << 55 << 62 << "1003|3|19200|Ecos|1|";
        QTest::newRow("Überschriften geändert") << vorlageMit(1, "x").replace("[COM-Baudrate]", "Baud?")
                                               << 56 << 0 << "1003|3|19200|Ecos|1|192.168.1.10";
        QTest::newRow("nur LF, 60 Zeilen") << QByteArray(vorlage()).replace("\r\n", "\n") + "a\nb\nc\nd\n"
                                          << 56 << 0 << "1003|3|19200|Ecos|1|192.168.1.10";
        QTest::newRow("leere Werte: Vorgaben") << vorlageMit(32, "").replace("19200", "")
                                              << 56 << 0 << "1003|1|9600|Ecos|1|192.168.1.10";
        QTest::newRow("USB leer") << vorlageMit(50, "") << 49 << 13 << "1003|3|19200|Ecos|0|";
        QTest::newRow("USB 1") << vorlageMit(50, "1") << 56 << 0 << "1003|3|19200|Ecos|0|192.168.1.10";
        QTest::newRow("USB -1 mit Blanks") << vorlageMit(50, "  -1  ") << 56 << 0 << "1003|3|19200|Ecos|1|192.168.1.10";
    }
    void einstellungenLesen()
    {
        QFETCH(QByteArray, datei); QFETCH(int, gueltigBis); QFETCH(int, fehler); QFETCH(QString, werte);
        const Einstellungslesung l = leseEinstellungen(datei);
        QCOMPARE(l.gueltigBis, gueltigBis);
        QCOMPARE(l.fehler.nummer, fehler);
        const Einstellungen &w = l.werte;
        QCOMPARE(QStringList({w.adresse, w.port, w.baudrate, w.zentrale, QString::number(w.usb), w.ecosAdresse}).join(u'|'),
                 werte);
        if (gueltigBis >= 26)
            QCOMPARE(alsText(w.tabelle[0]), "5,s,28,X,,X,,");
    }

    // Settings after line 56, three lines each; a file of 56 lines has none and is
    // written back as it was. The reader takes every "[label]" line with its value
    // line wherever it stands; a label at the very end has no value.
    void weitereEinstellungen()
    {
        Einstellungen w = leseEinstellungen(vorlage()).werte;
        QVERIFY(w.weitere.isEmpty());
        QCOMPARE(schreibeEinstellungen(w), vorlage());
        w.weitere = {{"Z21 LocalPort", "21105"}, {"Z21 IP-Adresse", ""}};
        const QByteArray bytes = schreibeEinstellungen(w);
        QCOMPARE(bytes, vorlage() + "\r\n[Z21 LocalPort]\r\n21105\r\n\r\n[Z21 IP-Adresse]\r\n\r\n");
        QCOMPARE(leseEinstellungen(bytes).werte.weitere, w.weitere);
        const Einstellungslesung l = leseEinstellungen(vorlage() + "x\n[A]\nwert a\n[B]");
        QCOMPARE(l.fehler.nummer, 0);
        QCOMPARE(l.werte.weiterer("A"), "wert a");
        QCOMPARE(l.werte.weiterer("B", "-"), "-");
    }

    // 26 lines needed; more are ignored; a settings file is a program file too.
    // Programs 2 and up after line 56: their pairs byte for byte behind the first
    // program's 56 lines, and read back as they were, the unit's case kept; a file
    // without them, or whose numbering has a gap, gives what comes before the gap; a
    // pair missing in a program reads empty.
    void weitereFahrprogramme()
    {
        Einstellungen w = leseEinstellungen(vorlage()).werte;
        QVERIFY(leseFahrprogramme(w).isEmpty());
        const QByteArray ohne = schreibeEinstellungen(w);
        Fahrprogrammdaten zwei{QStringLiteral("4"), true, QStringLiteral("/home/bahn/pendel.dat"), {}};
        zwei.tabelle[0] = zellen(QStringLiteral("5,K,28,X,,X"));
        zwei.tabelle[1] = zellen(QStringLiteral("12,s,126"));
        Fahrprogrammdaten drei{QStringLiteral("1004"), false, QString(), {}};
        w.weitere << fahrprogrammPaare(2, zwei) << fahrprogrammPaare(3, drei);
        w.weitere.append({aktuellesFahrprogrammLabel, QStringLiteral("2")});
        const QByteArray bytes = schreibeEinstellungen(w);
        QVERIFY(bytes.startsWith(ohne)); // the first program and the stations as they were
        QVERIFY(bytes.contains("\r\n\r\n[Fahrprogramm 2]\r\n4\r\n\r\n[Fahrprogramm 2 Endlosschleife]\r\n1\r\n"
                               "\r\n[Fahrprogramm 2 Datei]\r\n/home/bahn/pendel.dat\r\n"
                               "\r\n[Fahrprogramm 2 Zeile 1]\r\n05K028X-X--\r\n\r\n[Fahrprogramm 2 Zeile 2]\r\n12s126-----\r\n"
                               "\r\n[Fahrprogramm 2 Zeile 3]\r\n---000-----\r\n"));
        QVERIFY(bytes.endsWith("\r\n[Fahrprogramm 3 Zeile 25]\r\n---000-----\r\n\r\n[Fahrprogramm aktuell]\r\n2\r\n"));
        const Einstellungen gelesen = leseEinstellungen(bytes).werte;
        const QList<Fahrprogrammdaten> programme = leseFahrprogramme(gelesen);
        QCOMPARE(programme.size(), 2);
        QCOMPARE(programme[0].adresse, QStringLiteral("4"));
        QVERIFY(programme[0].endlos && !programme[1].endlos);
        QCOMPARE(programme[0].datei, zwei.datei);
        QCOMPARE(alsText(programme[0].tabelle[0]), QStringLiteral("5,K,28,X,,X,,"));
        QCOMPARE(alsText(programme[0].tabelle[1]), QStringLiteral("12,s,126,,,,,"));
        QVERIFY(programme[0].tabelle[2] == Tabellenzeile{});
        QCOMPARE(programme[1].adresse, QStringLiteral("1004"));
        QCOMPARE(gelesen.weiterer(aktuellesFahrprogrammLabel), QStringLiteral("2"));
        // The first program is as it was.
        QCOMPARE(gelesen.adresse, w.adresse);

        // A gap: program 4 without 3 is not read; a program with only its address.
        Einstellungen luecke;
        luecke.weitere = {{QStringLiteral("Fahrprogramm 2"), QStringLiteral("7")},
                          {QStringLiteral("Fahrprogramm 4"), QStringLiteral("8")}};
        const QList<Fahrprogrammdaten> nur = leseFahrprogramme(luecke);
        QCOMPARE(nur.size(), 1);
        QCOMPARE(nur[0].adresse, QStringLiteral("7"));
        QVERIFY(!nur[0].endlos && nur[0].datei.isEmpty() && nur[0].tabelle[0] == Tabellenzeile{});
    }

    void programm_data()
    {
        QTest::addColumn<int>("zeilen");
        QTest::addColumn<int>("fehlt");
        QTest::newRow("25 Zeilen") << 25 << 26;
        QTest::newRow("26 Zeilen") << 26 << 0;
        QTest::newRow("Einstellungsdatei") << 56 << 0;
    }
    void programm()
    {
        QFETCH(int, zeilen); QFETCH(int, fehlt);
        int fehlend = 0;
        const auto t = leseProgramm(vorlageMit(0, {}, zeilen), &fehlend);
        QCOMPARE(t.has_value(), fehlt == 0);
        QCOMPARE(fehlend, fehlt);
        if (t) {
            QCOMPARE(alsText((*t)[1]), "12,M,5,,,,,X");
            QCOMPARE(schreibeProgramm(*t), vorlageMit(0, {}, 26).replace("05s", "05S").replace("--f", "--F"));
        }
    }

    // A write that cannot finish leaves the old file as it was and says so.
    void schreibfehler()
    {
        QTemporaryDir dir;
        const QString alt = dir.filePath("alt.dat");
        QCOMPARE(speichereDatei(alt, "alt\r\n"), QString());
        const QString neben = dir.filePath("alt.dat/neu.dat"); // parent is a regular file
        const QString text = speichereDatei(neben, "neu");
        QVERIFY(text.contains(QDir::toNativeSeparators(neben)) && text.contains("bleibt unverändert"));
        // A folder the user may read but not write to, the file itself writable.
        const auto lesbar = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(alt, lesbar | QFile::WriteOwner | QFile::WriteOther));
        QVERIFY(QFile::setPermissions(dir.path(), lesbar));
        QString fehler;
        const bool geprueft = ohneRoot([&] { fehler = speichereDatei(alt, "neu\r\n"); });
        QFile::setPermissions(dir.path(), lesbar | QFile::WriteOwner);
        if (!geprueft)
            QSKIP("cannot drop root for the read-only folder");
        QVERIFY(!fehler.isEmpty());
        QFile f(alt);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), "alt\r\n");
    }
};

QTEST_GUILESS_MAIN(TestDateien)
#include "tst_dateien.moc"

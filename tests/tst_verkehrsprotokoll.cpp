// The traffic log: what a real serial port writes and what the ECoS link passes in
// ends up in the file, one timestamped line each, and nothing at all while it is off.
#include "helfer/Pty.h"
#include "program/Verkehrsprotokoll.h"
#include "stations/ecos/EcosProtokoll.h"
#include "serial/V24.h"

#include <QtTest>

using namespace trabolin;
using trabolin::test::Pty;

namespace {

QByteArray inhalt(const QString &pfad)
{
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

// A start: the options after the program's name, $TRABOLIN_PROTOKOLL, the log chosen.
struct Aufruf {
    QStringList optionen;
    QString umgebung;
    QString ziel;
};

} // namespace

Q_DECLARE_METATYPE(Aufruf)

class TstVerkehrsprotokoll : public QObject {
    Q_OBJECT

private slots:
    void mitschrift()
    {
        QTemporaryDir verzeichnis;
        Pty pty;
        if (!pty.ok() || !pty.verknuepfe(verzeichnis.path(), 2))
            QSKIP("no pseudo-terminal on this machine");
        SerielleSchnittstelle v24(verzeichnis.path());
        v24.setzeStandardzuordnung(false);
        v24.setzePortNummer(2);
        const QString pfad = verzeichnis.filePath(QStringLiteral("verkehr.log"));

        // A log that cannot be opened says why and stays off; then one that can.
        auto protokoll = std::make_unique<Verkehrsprotokoll>();
        QVERIFY(!protokoll->oeffne(verzeichnis.filePath(QStringLiteral("fehlt/verkehr.log"))));
        QVERIFY(!protokoll->fehler().isEmpty());
        QVERIFY(!Verkehrsprotokoll::aktiv());
        QVERIFY(protokoll->oeffne(pfad));
        v24.schreibe("\x60"); // not open yet: nothing goes out, nothing is logged
        QCOMPARE(v24.oeffne().nummer, 0);
        v24.schreibe(QByteArray::fromHex("E41300038571"));
        v24.schreibe("XL 300,5\r");
        ecosProtokollGesendet(QStringLiteral("set(1000,speed[40])\n"));
        ecosProtokollEmpfangen(
            QStringLiteral("<REPLY set(1000,speed[40])>\r\n<END 0 (OK)>\r\n"));
        QCOMPARE(pty.lies(15, 2000).size(), 15);
        // Read while the log is still open: every line is on disk already.
        QStringList gelesen = QString::fromUtf8(inhalt(pfad)).split(u'\n', Qt::SkipEmptyParts);

        const QRegularExpression zeit(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "));
        for (QString &z : gelesen) {
            QVERIFY2(zeit.match(z).hasMatch(), qPrintable(z));
            z.remove(0, 13);
        }
        QVERIFY(gelesen.takeFirst().startsWith(u"--- Trabolin-Verkehrsprotokoll begonnen am "));
        QCOMPARE(gelesen, (QStringList{"V24 > E4 13 00 03 85 71",
                                       "V24 > 58 4C 20 33 30 30 2C 35 0D",
                                       "ECoS > set(1000,speed[40])",
                                       "ECoS < <REPLY set(1000,speed[40])>",
                                       "ECoS < <END 0 (OK)>"}));

        // Off again: the same traffic leaves the file as it was.
        protokoll.reset();
        const QByteArray vorher = inhalt(pfad);
        v24.schreibe("\x61");
        ecosProtokollGesendet(QStringLiteral("get(1,status)\n"));
        QCOMPARE(pty.lies(1, 2000), QByteArray("\x61"));
        QCOMPARE(inhalt(pfad), vorher);
    }

    void ziel_data()
    {
        QTest::addColumn<Aufruf>("fall");
        QTest::newRow("aus") << Aufruf{};
        QTest::newRow("option getrennt, stderr") << Aufruf{.optionen = {"--protokoll", "-"}, .ziel = "-"};
        QTest::newRow("umgebung") << Aufruf{.umgebung = "/tmp/u.log", .ziel = "/tmp/u.log"};
        QTest::newRow("option vor umgebung")
            << Aufruf{.optionen = {"--protokoll=-"}, .umgebung = "/tmp/u.log", .ziel = "-"};
        QTest::newRow("unbekannte optionen")
            << Aufruf{.optionen = {"--unbekannt", "-x", "datei.dat", "--protokoll=/tmp/v.log"}, .ziel = "/tmp/v.log"};
    }
    void ziel()
    {
        QFETCH(Aufruf, fall);
        QCOMPARE(protokollZiel(QStringList{"trabolin"} + fall.optionen, fall.umgebung), fall.ziel);
    }
};

QTEST_GUILESS_MAIN(TstVerkehrsprotokoll)
#include "tst_verkehrsprotokoll.moc"

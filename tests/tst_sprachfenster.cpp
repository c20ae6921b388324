// The main window's own texts in both languages: what the menus, the station panel
// and its messages say in German, in English after the switch and in German again
// after switching back; the access keys in English; the language kept in
// "Trabolin.ini" as "[Sprache]".
#include "helfer/Aufbau.h"
#include "helfer/Fensteranlage.h"
#include "helfer/Pty.h"
#include "helfer/Virtuell.h"
#include "stations/Zentralenregister.h"
#include "window/Sprache.h"

#include <map>

using namespace trabolin;
using trabolin::test::feld;

namespace {

const QByteArray vorlage = test::liesDatei(QStringLiteral(TRABOLIN_TESTDATEN "/Trabolin.ini"));

// A window on its own folder, with `ini` as its settings file (none for a null one).
struct Anlage : test::Fensteranlage {
    explicit Anlage(const QByteArray &ini = {})
    {
        if (!ini.isNull())
            test::schreibeDatei(ini_pfad(), ini);
        starte();
    }
    QString ini_pfad() const { return datei("Trabolin.ini"); }
};

// "&English" or "&Deutsch" under "&?" / "&Sprache / Language".
void waehleSprache(frmTrabolin &f, const QString &code)
{
    feld<QAction>(f, code == u"en" ? "mnuSprache_en" : "mnuSprache_de")->trigger();
}

// What the user (or a screen reader) reads of `name` as `eigenschaft` says.
QString gelesen(const QObject &fenster, const QString &name, const QString &eigenschaft)
{
    const QList<QObject *> treffer = fenster.findChildren<QObject *>(name);
    QObject *o = nullptr;
    for (QObject *t : treffer) // "mnuDatei" is the menu and its action on the bar
        if (eigenschaft != u"title" || qobject_cast<QMenu *>(t))
            o = o ? o : t;
    if (!o)
        return QStringLiteral("<%1 fehlt>").arg(name);
    return o->property(eigenschaft.toLatin1().constData()).toString();
}

} // namespace

class TestSprachfenster : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(setzeSprache(QStringLiteral("de"))); }
    void cleanupTestCase() { setzeSprache(QStringLiteral("de")); }

    // A text that keeps the blanks of its layout, or is made of a state, in German, in
    // English after "&English", in German again after "&Deutsch", at once, in the window
    // open all the while. (That every text changes and comes back: tst_sprache.)
    void texte_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("eigenschaft");
        QTest::addColumn<QString>("deutsch");
        QTest::addColumn<QString>("englisch");
        const QString blanks(11, u' ');
        QTest::newRow("speichern, mit Rand") << "mnuDatei_speichern" << "text" << "speichern / sichern" + blanks
                                           << "save / save as" + blanks;
        QTest::newRow("USB mit Rand") << "chkUSB" << "text" << "&USB-Interface     " << "&USB interface     ";
        QTest::newRow("Kontrolle, Tipp mit Adresse")
            << "btnLok" << "toolTip" << " übernimmt die Kontrolle über die Lok mit der o.a. ID (aktuell: 1003) "
            << " takes control of the locomotive with the ID given above (current: 1003) ";
    }
    void texte()
    {
        QFETCH(QString, name); QFETCH(QString, eigenschaft); QFETCH(QString, deutsch); QFETCH(QString, englisch);
        Anlage a(vorlage);
        feld<QLineEdit>(*a.f, "txtAdresse")->setText(QStringLiteral("1003"));
        QCOMPARE(gelesen(*a.f, name, eigenschaft), deutsch);
        waehleSprache(*a.f, "en");
        QCOMPARE(gelesen(*a.f, name, eigenschaft), englisch);
        waehleSprache(*a.f, "de");
        QCOMPARE(gelesen(*a.f, name, eigenschaft), deutsch);
    }

    // A message takes the language in effect when it is shown; the file dialog's types too.
    void meldungen()
    {
        Anlage a(vorlage);
        feld<QLineEdit>(*a.f, "txtIPAdresse")->clear();
        waehleSprache(*a.f, "en");
        QTest::mouseClick(feld<QPushButton>(*a.f, "btnEcos"), Qt::LeftButton);
        QCOMPARE(frmTrabolin::dateifilter(), (QStringList{"Command files (*.dat)", "Trabolin files (*.ini)", "All files (*)"}));
        waehleSprache(*a.f, "de");
        QTest::mouseClick(feld<QPushButton>(*a.f, "btnEcos"), Qt::LeftButton);
        QCOMPARE(a.meldungen, (QStringList{" Ecos...|Please enter the IP address of the Ecos!",
                                           " Ecos...|Bitte die IP-Adresse der Ecos eintragen !"}));
        QCOMPARE(frmTrabolin::dateifilter().first(), "Befehlsdateien (*.dat)");
    }

    // While a run goes on, the switch of language reaches the lock of the way to the
    // station: the locked controls say why in English, and after the run each has its
    // own tool tip back, in English, the one without a tool tip none.
    void sperreBeimWechsel()
    {
        test::VirtuelleZeit zeit;
        test::Fensteranlage a;
        test::Pty pty; // the 6021 on COM2
        QVERIFY(pty.ok() && pty.verknuepfe(a.ordner, 2));
        frmTrabolin::zeitbasis() = [&zeit] { return std::make_unique<test::GelieheneZeit>(zeit); };
        a.starte();
        frmTrabolin::zeitbasis() = nullptr;
        frmTrabolin &f = *a.f;
        QTest::mouseClick(feld<QRadioButton>(f, "optZentrale", zentralenoption(QStringLiteral("DCC"))), Qt::LeftButton);
        const QStringList port{"2", "9600", "N", "8", "1"};
        const QStringList listen{"lstV24", "lstBaudrate", "lstParity", "lstDatenbits", "lstStopbits"};
        for (int i = 0; i < port.size(); ++i)
            feld<QComboBox>(f, listen[i])->setEditText(port[i]);
        QTest::mouseClick(feld<QPushButton>(f, "btnParameterSetzen"), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return a.knoepfe(true) == u"an"; }));
        feld<QLineEdit>(f, "txtAdresse")->setText(QStringLiteral("24"));
        test::fuelleZeile(f.tabelle(), 1, QStringLiteral("10,S,40,X"));
        test::fuelleZeile(f.tabelle(), 2, QStringLiteral("10,S,20"));
        f.tabelle().setzeAktuelleZeile(1);
        auto *com = feld<QPushButton>(f, "btnV24");
        auto *baud = feld<QComboBox>(f, "lstBaudrate");
        QStringList waehrend;
        const qint64 t0 = zeit.jetzt;
        zeit.bei(t0 + 3000, [&] { waehrend << com->toolTip() << baud->toolTip(); });
        zeit.bei(t0 + 4000, [&] { waehleSprache(f, "en"); });
        zeit.bei(t0 + 5000, [&] { waehrend << com->toolTip() << baud->toolTip(); });
        QTest::mouseClick(feld<QPushButton>(f, "btnStart"), Qt::LeftButton);
        QVERIFY(test::laufAbgewartet(f));
        QCOMPARE(waehrend, (QStringList{" während der Fahrt gesperrt ", " während der Fahrt gesperrt ",
                                        " locked while running ", " locked while running "}));
        QCOMPARE((QStringList{com->toolTip(), baud->toolTip()}), (QStringList{" finds all free serial ports ", ""}));
        QVERIFY(com->isEnabled() && baud->isEnabled());
        // The switch left the run alone: it ended with locomotive 24's stop (6051: speed
        // 0, then the address) as the last command on the wire.
        const QByteArray draht = pty.liesVorhandenes();
        QVERIFY(draht.size() >= 2);
        QCOMPARE(quint8(draht.at(draht.size() - 1)), quint8(24));
        QCOMPARE(quint8(draht.at(draht.size() - 2)) & 0x0F, 0);
    }

    // "[Sprache]" after line 56: a file with it starts in its language; a choice in the
    // menu is written at closing, as the file's last two lines; a file without it, closed
    // without a choice, is written as before, without them.
    void einstellungsdatei_data()
    {
        QTest::addColumn<QByteArray>("zusatz"); // after the template's 56 lines
        QTest::addColumn<QString>("wahl");      // chosen in the menu, empty: none
        QTest::addColumn<QString>("titel");     // "&Datei" as the window starts
        QTest::addColumn<QByteArray>("ende");   // the last two lines written, empty: none
        QTest::newRow("ohne") << QByteArray() << "" << "&Datei" << QByteArray();
        QTest::newRow("English gewaehlt") << QByteArray() << "en" << "&Datei" << QByteArray("[Sprache]\r\nen\r\n");
        QTest::newRow("Deutsch gewaehlt") << QByteArray() << "de" << "&Datei" << QByteArray("[Sprache]\r\nde\r\n");
        QTest::newRow("en in der Datei") << QByteArray("\r\n[Sprache]\r\nen\r\n") << "" << "&File"
                                         << QByteArray("[Sprache]\r\nen\r\n");
        QTest::newRow("en, dann Deutsch") << QByteArray("\r\n[Sprache]\r\nen\r\n") << "de" << "&File"
                                          << QByteArray("[Sprache]\r\nde\r\n");
        QTest::newRow("unbekannte Sprache") << QByteArray("\r\n[Sprache]\r\nfr\r\n") << "" << "&Datei" << QByteArray();
    }
    void einstellungsdatei()
    {
        QFETCH(QByteArray, zusatz); QFETCH(QString, wahl); QFETCH(QString, titel); QFETCH(QByteArray, ende);
        // The file a window without any choice writes: the reference.
        Anlage ohne(vorlage);
        ohne.f->close();
        const QByteArray geschrieben = test::liesDatei(ohne.ini_pfad());
        QVERIFY(!geschrieben.contains("Sprache"));

        Anlage a(vorlage + zusatz);
        QCOMPARE(a.meldungen, QStringList());
        QCOMPARE(gelesen(*a.f, "mnuDatei", "title"), titel);
        QCOMPARE(feld<QAction>(*a.f, "mnuSprache_en")->isChecked(), titel == u"&File");
        if (!wahl.isEmpty())
            waehleSprache(*a.f, wahl);
        a.f->close();
        QCOMPARE(test::liesDatei(a.ini_pfad()), ende.isEmpty() ? geschrieben : geschrieben + "\r\n" + ende);
    }
};

QTEST_MAIN(TestSprachfenster)
#include "tst_sprachfenster.moc"

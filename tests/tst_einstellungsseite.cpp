// The controls a station's declared settings become: each kind with its default, a
// value from the settings file, one the control cannot show (left as it was), and the
// user's change, which is reported with the value as the settings file writes it.
#include "helfer/Feld.h"
#include "window/Einstellungsseite.h"

#include <QtTest>
#include <QtWidgets>

using namespace trabolin;
using Art = Stationseinstellung::Art;

class TstEinstellungsseite : public QObject {
    Q_OBJECT
private slots:
    void arten_data()
    {
        QTest::addColumn<int>("art");
        QTest::addColumn<QString>("vorgabe");
        QTest::addColumn<QString>("ausDatei");
        QTest::addColumn<QString>("ungueltig");
        QTest::addColumn<QString>("nachDatei");  // what the control holds then
        QTest::newRow("haken") << int(Art::haken) << "0" << "1" << "ja" << "0";
        QTest::newRow("auswahl") << int(Art::auswahl) << "MM2" << "mfx" << "MFX" << "mfx";
        QTest::newRow("zahl") << int(Art::zahl) << "5" << "12" << "13" << "12";
        QTest::newRow("zahl, kein Wert") << int(Art::zahl) << "5" << " 7 " << "x7" << "7";
        QTest::newRow("text") << int(Art::text) << "abc" << "ein langer Name" << "" << "";
    }
    void arten()
    {
        QFETCH(int, art); QFETCH(QString, vorgabe); QFETCH(QString, ausDatei); QFETCH(QString, ungueltig);
        QFETCH(QString, nachDatei);
        const Stationseinstellung e{.schluessel = "Wert", .titel = "&Wert", .art = Art(art), .eintraege = {"MM2", "DCC", "mfx"},
                                    .von = 1, .bis = 12, .laenge = 4, .vorgabe = vorgabe, .tipp = " ein Wert "};
        Einstellungsseite seite(7, {e});
        QSignalSpy geaendert(&seite, &Einstellungsseite::geaendert);
        auto *feld = test::feld<QWidget>(seite, QStringLiteral("einstellung_7_Wert"));
        QCOMPARE(feld->toolTip(), QStringLiteral(" ein Wert "));
        QCOMPARE(seite.werte().value(QStringLiteral("Wert")), vorgabe);
        QCOMPARE(seite.sperrbare(), QList<QWidget *>{feld}); // not changeable during a run
        if (e.art != Art::haken) // the label leads to its control
            QCOMPARE(test::feld<QLabel>(seite, QStringLiteral("lblEinstellung_7_Wert"))->buddy(), feld);

        seite.setzeWert(QStringLiteral("Wert"), ausDatei);
        const QString gelesen = e.art == Art::zahl ? ausDatei.trimmed() : ausDatei;
        QCOMPARE(seite.werte().value(QStringLiteral("Wert")), gelesen);
        QCOMPARE(geaendert.size(), 1);
        QCOMPARE(geaendert.last(), (QVariantList{QStringLiteral("Wert"), gelesen}));
        seite.setzeWert(QStringLiteral("Wert"), ungueltig);
        QCOMPARE(seite.werte().value(QStringLiteral("Wert")), nachDatei);

        // The user's own change.
        geaendert.clear();
        if (auto *haken = qobject_cast<QCheckBox *>(feld))
            haken->click();
        else if (auto *auswahl = qobject_cast<QComboBox *>(feld))
            auswahl->setCurrentIndex(1);
        else if (auto *zahl = qobject_cast<QSpinBox *>(feld))
            zahl->stepDown();
        else
            QTest::keyClicks(feld, QStringLiteral("wxyzv")); // typing stops at 4 characters
        const QString erwartet = QMap<int, QString>{{int(Art::haken), "1"}, {int(Art::auswahl), "DCC"},
                                                    {int(Art::zahl), QString::number(nachDatei.toInt() - 1)},
                                                    {int(Art::text), "wxyz"}}.value(art);
        QCOMPARE(seite.werte().value(QStringLiteral("Wert")), erwartet);
        QCOMPARE(geaendert.last().at(1).toString(), erwartet);
    }
};

QTEST_MAIN(TstEinstellungsseite)
#include "tst_einstellungsseite.moc"

// The station choice and the serial port controls of the main window: what the user
// sees after a click (enabled states, captions, messages) and what reaches the wire.
#include "helfer/Pty.h"
#include "window/frmTrabolin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace trabolin;
using trabolin::test::Pty;

namespace {

struct Meldung {
    QMessageBox::Icon symbol;
    QString titel, text;
};

const QString fehlerTitel = QStringLiteral(" zentrale Fehlerbehandlung...");
const QString text8002 =
    QStringLiteral("Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    ");
const QString text8005 = QStringLiteral(
    "Fehler 8005:  Der Anschluß wird bereits von einer anderen Anwendung benutzt !     ");

// A shown main window whose program directory holds "COM<N>" links to pseudo-terminals;
// its message boxes are collected instead of shown.
struct Anlage {
    QTemporaryDir verzeichnis;
    std::map<int, std::unique_ptr<Pty>> ptys;
    frmTrabolin fenster{nullptr, verzeichnis.path()};
    QList<Meldung> meldungen;

    explicit Anlage(const QList<int> &nummern = {})
    {
        fenster.V24->setzeStandardzuordnung(false);
        fenster.melde = [this](QMessageBox::Icon s, const QString &titel, const QString &text) {
            meldungen.append({s, titel, text});
        };
        fenster.piepen = [] {};
        for (int n : nummern)
            verbinde(n);
        fenster.show();
        if (!QTest::qWaitForWindowExposed(&fenster))
            qFatal("window not exposed");
    }
    Pty &verbinde(int n)
    {
        auto &pty = ptys[n];
        pty = std::make_unique<Pty>();
        if (!pty->ok() || !pty->verknuepfe(verzeichnis.path(), n))
            qFatal("pseudo-terminal for COM%d: %s", n, qPrintable(pty->fehler()));
        return *pty;
    }
    void klick(QAbstractButton *k) { QTest::mouseClick(k, Qt::LeftButton); }
    void waehle(int option) { klick(fenster.optZentrale[option]); }
    void tippe(QComboBox *liste, const QString &text)
    {
        liste->lineEdit()->clear();
        QTest::keyClicks(liste->lineEdit(), text);
    }
    // Applies the port settings; the four lists as given.
    void setze(const QString &port, const QString &baud = QStringLiteral("9600"),
               const QString &paritaet = QStringLiteral("N"))
    {
        fenster.lstV24->setEditText(port);
        fenster.lstBaudrate->setEditText(baud);
        fenster.lstParity->setEditText(paritaet);
        fenster.lstDatenbits->setEditText(QStringLiteral("8"));
        fenster.lstStopbits->setEditText(QStringLiteral("1"));
        meldungen.clear();
        klick(fenster.btnParameterSetzen);
    }
    QList<bool> knoepfe() const
    {
        QList<bool> an;
        for (QPushButton *k : {fenster.btnStart, fenster.btnSendStop, fenster.btnSendZeile,
                               fenster.btnPower[0], fenster.btnPower[1]})
            an << k->isEnabled();
        return an;
    }
};

const QList<bool> alleAn{true, true, true, true, true};
const QList<bool> alleAus{false, false, false, false, false};

} // namespace

class TstZentrale : public QObject {
    Q_OBJECT

private slots:
    void zentralenwechsel_data()
    {
        QTest::addColumn<int>("vorher");
        QTest::addColumn<int>("wahl");
        QTest::addColumn<bool>("fahrstufen");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<bool>("ecos");
        QTest::addColumn<QString>("titel");
        QTest::addColumn<QString>("bereich");
        QTest::addColumn<QString>("code");
        QTest::newRow("6021 nach Ecos") << 2 << 0 << false << false << false << "Adresse:" << "1..." << "DCC";
        QTest::newRow("6021 nach Lenz") << 1 << 0 << false << false << false << "Adresse:" << "1..." << "DCC";
        QTest::newRow("Lenz nach 6021") << 0 << 1 << true << true << false << "Adresse:" << "1..." << "Lenz";
        QTest::newRow("Lenz nach Ecos") << 2 << 1 << true << true << false << "Adresse:" << "1..." << "Lenz";
        QTest::newRow("Ecos nach 6021") << 0 << 2 << false << false << true << "ID:" << "1000..." << "Ecos";
        QTest::newRow("Ecos nach Lenz") << 1 << 2 << false << false << true << "ID:" << "1000..." << "Ecos";
    }
    void zentralenwechsel()
    {
        QFETCH(int, vorher);
        QFETCH(int, wahl);
        Anlage a;
        auto &f = a.fenster;
        a.waehle(vorher);
        f.txtAdresse->setText(QStringLiteral("1234"));
        const QList<bool> knoepfe = a.knoepfe();

        a.waehle(wahl);
        QVERIFY(f.optZentrale[wahl]->isChecked());
        QTEST(f.lblFS->isEnabled(), "fahrstufen");
        QTEST(f.lstFS->isEnabled(), "fahrstufen");
        QTEST(f.chkUSB->isEnabled(), "usb");
        QTEST(f.btnEcos->isEnabled(), "ecos");
        QTEST(f.lblAdresse[0]->text(), "titel");
        QTEST(f.lblAdresse[1]->text(), "bereich");
        QTEST(f.Zentrale, "code");
        QCOMPARE(f.txtAdresse->text(), QStringLiteral("1234"));
        QCOMPARE(a.knoepfe(), knoepfe);
    }

    void usbKasten_data()
    {
        QTest::addColumn<int>("klicks");
        QTest::addColumn<bool>("an");
        QTest::newRow("angehakt") << 1 << true;
        QTest::newRow("wieder abgehakt") << 2 << false;
    }
    void usbKasten()
    {
        QFETCH(int, klicks);
        QFETCH(bool, an);
        Anlage a;
        a.waehle(1);
        QVERIFY(!a.fenster.imgUSB->isVisibleTo(&a.fenster));
        for (int i = 0; i < klicks; ++i)
            a.klick(a.fenster.chkUSB);
        QCOMPARE(a.fenster.chkUSB->isChecked(), an);
        QCOMPARE(a.fenster.imgUSB->isVisibleTo(&a.fenster), an);
        QCOMPARE(a.fenster.USBInterface, an);
    }

    void usbFaelltBeiAndererZentraleWeg_data()
    {
        QTest::addColumn<int>("andere");
        QTest::newRow("Ecos") << 2;
        QTest::newRow("6021") << 0;
    }
    void usbFaelltBeiAndererZentraleWeg()
    {
        QFETCH(int, andere);
        Anlage a;
        auto &f = a.fenster;
        a.waehle(1);
        a.klick(f.chkUSB);
        QVERIFY(f.USBInterface);

        a.waehle(andere);
        QVERIFY(!f.chkUSB->isChecked());
        QVERIFY(!f.chkUSB->isEnabled());
        QVERIFY(f.imgUSB->isHidden());
        QVERIFY(!f.USBInterface);

        a.waehle(1);
        QVERIFY(f.chkUSB->isEnabled());
        QVERIFY(!f.chkUSB->isChecked());
        QVERIFY(f.imgUSB->isHidden());
    }

    void lenzNach6021LaesstPortUndFahrstufen()
    {
        Anlage a({2});
        auto &f = a.fenster;
        a.setze(QStringLiteral("2"));
        a.waehle(1);
        f.lstFS->setCurrentIndex(f.lstFS->findText(QStringLiteral("28")));

        a.waehle(0);
        QCOMPARE(f.lstFS->currentText(), QStringLiteral("28"));
        QVERIFY(!f.lstFS->isEnabled());
        QVERIFY(f.V24->istOffen());
        a.klick(f.btnPower[1]);
        QCOMPARE(a.ptys[2]->lies(1, 5000), QByteArray("\x60"));
    }

    void parameterSetzen_data()
    {
        QTest::addColumn<int>("power");
        QTest::addColumn<QByteArray>("byte");
        QTest::newRow("Power on") << 1 << QByteArray("\x60");
        QTest::newRow("Power off") << 0 << QByteArray("\x61");
    }
    void parameterSetzen()
    {
        QFETCH(int, power);
        Anlage a({2});
        auto &f = a.fenster;
        a.waehle(1);
        f.lstFS->setCurrentIndex(f.lstFS->findText(QStringLiteral("128")));
        a.waehle(0);

        a.setze(QStringLiteral("2"), QStringLiteral("9600"), QStringLiteral("n"));
        QCOMPARE(a.meldungen.size(), 1);
        QCOMPARE(a.meldungen[0].symbol, QMessageBox::Information);
        QCOMPARE(a.meldungen[0].titel, QStringLiteral(" Schnittstellenparameter setzen...            "));
        QCOMPARE(a.meldungen[0].text,
                 QStringLiteral("Die serielle Schnittstelle 2 wurde mit folgenden Parametern "
                                "initialisiert:        \n\n9600,N,8,1"));
        QCOMPARE(a.knoepfe(), alleAn);
        QCOMPARE(f.lstFS->currentText(), QStringLiteral("14"));

        a.klick(f.btnPower[power]);
        QTEST(a.ptys[2]->lies(1, 5000), "byte");
    }

    // After a working port on COM2 the user applies something that fails.
    void parameterFehler_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<bool>("fremdBelegt");
        QTest::addColumn<QString>("muster");
        QTest::addColumn<bool>("knoepfeAn");
        QTest::addColumn<bool>("offen");
        const QString allgemein = QStringLiteral("Fehler \\d+:  <.*> aufgetreten      ");
        QTest::newRow("COM3 als Text") << "COM3" << "9600" << false
                                       << QRegularExpression::escape(text8002) << false << false;
        QTest::newRow("leer") << "" << "9600" << false << QRegularExpression::escape(text8002)
                              << false << false;
        QTest::newRow("nicht verknüpft") << "4" << "9600" << false
                                         << QRegularExpression::escape(text8002) << false << false;
        QTest::newRow("fremd belegt") << "5" << "9600" << true << QRegularExpression::escape(text8005)
                                      << false << false;
        QTest::newRow("Baudrate abc") << "2" << "abc" << false << allgemein << true << true;
    }
    void parameterFehler()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(bool, fremdBelegt);
        QFETCH(QString, muster);
        QFETCH(bool, knoepfeAn);
        QFETCH(bool, offen);
        Anlage a({2, 5});
        auto &f = a.fenster;
        a.waehle(0);
        a.setze(QStringLiteral("2"));
        QCOMPARE(a.knoepfe(), alleAn);
        a.waehle(1);
        f.lstFS->setCurrentIndex(f.lstFS->findText(QStringLiteral("28")));
        a.waehle(0);
        SerielleSchnittstelle fremd(a.verzeichnis.path());
        fremd.setzeStandardzuordnung(false);
        fremd.setzePortNummer(5);
        if (fremdBelegt)
            QCOMPARE(fremd.oeffne().nummer, 0);

        a.setze(port, baud);
        QCOMPARE(a.meldungen.size(), 1);
        QCOMPARE(a.meldungen[0].symbol, QMessageBox::Critical);
        QCOMPARE(a.meldungen[0].titel, fehlerTitel);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(muster))
                     .match(a.meldungen[0].text)
                     .hasMatch(),
                 qPrintable(a.meldungen[0].text));
        QCOMPARE(a.knoepfe(), knoepfeAn ? alleAn : alleAus);
        QCOMPARE(f.lstFS->currentText(), QString::fromLatin1(knoepfeAn ? "28" : "14"));
        QCOMPARE(f.V24->istOffen(), offen);
        if (offen) {
            a.klick(f.btnPower[1]);
            QCOMPARE(a.ptys[2]->lies(1, 5000), QByteArray("\x60"));
        }
    }

    void suche_data()
    {
        QTest::addColumn<int>("offen");
        QTest::newRow("kein Port offen") << 0;
        QTest::newRow("COM3 offen") << 3;
    }
    void suche()
    {
        QFETCH(int, offen);
        Anlage a({1, 3});
        auto &f = a.fenster;
        a.waehle(0);
        if (offen)
            a.setze(QString::number(offen));

        a.klick(f.btnV24);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QStringList eintraege;
        for (int i = 0; i < f.lstV24->count(); ++i)
            eintraege << f.lstV24->itemText(i);
        QCOMPARE(eintraege, (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
        QCOMPARE(f.lstV24->currentText(), QString());
        if (offen) {
            QVERIFY(f.V24->istOffen());
            a.klick(f.btnPower[0]);
            QCOMPARE(a.ptys[3]->lies(1, 5000), QByteArray("\x61"));
        }

        a.meldungen.clear();
        a.klick(f.btnParameterSetzen);
        QCOMPARE(a.meldungen.size(), 1);
        QCOMPARE(a.meldungen[0].text, text8002);
        QCOMPARE(a.knoepfe(), alleAus);
    }

    void geraetImTooltip_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<QString>("geraet"); // empty: the pty linked as COM4
        QTest::newRow("COM-Verknüpfung") << false << "4" << "";
        QTest::newRow("Standardzuordnung USB") << true << "5" << "/dev/ttyUSB0";
        QTest::newRow("Standardzuordnung seriell") << true << "2" << "/dev/ttyS1";
    }
    void geraetImTooltip()
    {
        QFETCH(bool, standard);
        QFETCH(QString, eingabe);
        QFETCH(QString, geraet);
        Anlage a({4});
        a.fenster.V24->setzeStandardzuordnung(standard);
        if (geraet.isEmpty())
            geraet = a.ptys[4]->slavePfad();
        a.tippe(a.fenster.lstV24, eingabe);
        QVERIFY2(a.fenster.lstV24->toolTip().contains(geraet), qPrintable(a.fenster.lstV24->toolTip()));
    }
};

QTEST_MAIN(TstZentrale)
#include "tst_zentrale.moc"

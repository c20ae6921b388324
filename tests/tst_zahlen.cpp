#include "program/Zahlen.h"

#include <QtTest>

using namespace trabolin;

class TestZahlen : public QObject {
    Q_OBJECT
private slots:
    void leseGanzzahl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blanksUeberall");
        QTest::addColumn<qint64>("erwartet");
        QTest::newRow("leer") << "" << false << qint64(0);
        QTest::newRow("fuehrende blanks") << " 300" << false << qint64(300);
        QTest::newRow("kein anfang") << "COM3" << false << qint64(0);
        QTest::newRow("blank in der zahl") << "1 2" << false << qint64(1);
        QTest::newRow("blank ueberall") << "1 2" << true << qint64(12);
        QTest::newRow("negativ") << "-5" << false << qint64(-5);
        QTest::newRow("halb gerade ab") << "2.5" << false << qint64(2);
        QTest::newRow("halb gerade auf") << "3.5" << false << qint64(4);
        QTest::newRow("halb negativ") << "-0.5" << false << qint64(0);
        QTest::newRow("nur punkt") << "." << false << qint64(0);
    }
    void leseGanzzahl()
    {
        QFETCH(QString, text);
        QFETCH(bool, blanksUeberall);
        QFETCH(qint64, erwartet);
        QCOMPARE(trabolin::leseGanzzahl(text, blanksUeberall ? Leerzeichen::ueberall
                                                             : Leerzeichen::fuehrende),
                 erwartet);
    }

    void istZahl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("erwartet");
        QTest::newRow("umgeben von blanks") << " 5 " << true;
        QTest::newRow("leer") << "" << false;
        QTest::newRow("blank") << " " << false;
        QTest::newRow("zwei zahlen") << "1 2" << false;
        QTest::newRow("text") << "5a" << false;
    }
    void istZahl()
    {
        QFETCH(QString, text);
        QTEST(trabolin::istZahl(text), "erwartet");
    }

    void alsInt16()
    {
        QCOMPARE(trabolin::alsInt16(40000), qint16(32767));
        QCOMPARE(trabolin::alsInt16(-40000), qint16(-32768));
        QCOMPARE(trabolin::alsInt16(256), qint16(256));
    }
};

QTEST_GUILESS_MAIN(TestZahlen)
#include "tst_zahlen.moc"

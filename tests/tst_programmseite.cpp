// Several driving programs on one station link: the pages after the first drive
// through the first page's network links, so a station sees one client whatever the
// number of programs, and the window's tests still find each link once by its name.
#include "window/Programmseite.h"

#include "helfer/Verbinden.h"
#include "helfer/Virtuell.h"
#include "program/Fahrbetrieb.h"
#include "program/Netzverbindung.h"
#include "serial/V24.h"
#include "stations/Zentralenregister.h"
#include "stations/ecos/EcosKontrollen.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <QtWidgets>

using namespace trabolin;

class TestProgrammseite : public QObject {
    Q_OBJECT

private slots:
    // Per network station of the registry: the second page's driver uses the link the
    // first page's driver made, and no second link comes up beside it.
    void linksGeteilt_data()
    {
        QTest::addColumn<int>("option");
        const auto &stationen = zentralenregister();
        for (int i = 0; i < int(stationen.size()); ++i)
            if (stationen[i]->netz)
                QTest::newRow(qPrintable(stationen[i]->name)) << i;
    }
    void linksGeteilt()
    {
        QFETCH(int, option);
        QTemporaryDir ordner;
        test::VirtuelleZeit zeit;
        test::KlangMitschrift klang(zeit);
        Fahrbetrieb betrieb(zeit);
        QObject eigner; // owns the links, as the window does
        SerielleSchnittstelle v24(ordner.path());
        auto umgebung = [&](Stationsteile teile) {
            return Seitenumgebung{betrieb, klang, v24, &eigner, [option] { return option; }, [] { return false; },
                                  {}, std::move(teile), nullptr};
        };
        Programmseite erste(umgebung({}));
        const QList<Netzverbindung *> vorher = eigner.findChildren<Netzverbindung *>();
        QVERIFY(erste.netzlinks()[option]);
        Programmseite zweite(umgebung(erste.stationsteile()));

        QCOMPARE(zweite.netzlinks()[option], erste.netzlinks()[option]);
        // What the drivers share on the port (the Lenz listener, the 6051's module
        // questions) is the first page's on every later page too.
        for (std::size_t i = 0; i < erste.stationsteile().gemeinsam.size(); ++i)
            QCOMPARE(zweite.stationsteile().gemeinsam[i], erste.stationsteile().gemeinsam[i]);
        QVERIFY(std::count_if(erste.stationsteile().gemeinsam.begin(), erste.stationsteile().gemeinsam.end(),
                              [](const auto &g) { return g != nullptr; }) >= 2);
        QCOMPARE(eigner.findChildren<Netzverbindung *>(), vorher);
        // Both pages' runs are programs of the one Fahrbetrieb: "St&op" reaches both.
        QCOMPARE(betrieb.nummerVon(erste.ablauf()), 1);
        QCOMPARE(betrieb.nummerVon(zweite.ablauf()), 2);
    }

    // The ECoS controls the programs hold come from the replies on the one link and go
    // with it: after a lost link no program drives an ID on an old grant, each asks
    // again. The ECoS here is a local server that grants 1003 and then drops the link.
    void ecosKontrollenGehenMitDemLink()
    {
        const auto &stationen = zentralenregister();
        const auto ecos = std::find_if(stationen.begin(), stationen.end(), [](const auto &z) { return z->code == u"Ecos"; });
        QVERIFY(ecos != stationen.end());
        const int option = int(ecos - stationen.begin());
        QTemporaryDir ordner;
        test::VirtuelleZeit zeit;
        test::KlangMitschrift klang(zeit);
        Fahrbetrieb betrieb(zeit);
        QObject eigner;
        SerielleSchnittstelle v24(ordner.path());
        auto umgebung = [&](Stationsteile teile) {
            return Seitenumgebung{betrieb, klang, v24, &eigner, [option] { return option; }, [] { return false; },
                                  {}, std::move(teile), nullptr};
        };
        Programmseite erste(umgebung({}));
        Programmseite zweite(umgebung(erste.stationsteile()));
        const auto kontrollen = std::static_pointer_cast<EcosKontrollen>(zweite.stationsteile().gemeinsam[option]);
        QVERIFY(kontrollen);

        QTcpServer station;
        QVERIFY(station.listen(QHostAddress::LocalHost));
        Netzverbindung &link = *erste.netzlinks()[option];
        QVERIFY(test::verbindeUndWarte(link, QStringLiteral("127.0.0.1"), station.serverPort()));
        QTRY_VERIFY(station.hasPendingConnections());
        QTcpSocket *gegenstelle = station.nextPendingConnection();
        gegenstelle->write("<REPLY request(1003,control)>\n<END 0 (OK)>\n");
        QTRY_VERIFY(kontrollen->hat(QStringLiteral("1003")));
        QVERIFY(!kontrollen->hat(QStringLiteral("1004")));

        QSignalSpy verloren(&link, &Netzverbindung::verloren);
        gegenstelle->abort();
        QTRY_COMPARE(verloren.size(), 1);
        QVERIFY(!kontrollen->hat(QStringLiteral("1003")));
    }
};

QTEST_MAIN(TestProgrammseite)
#include "tst_programmseite.moc"

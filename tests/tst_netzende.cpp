// A network station that closes its end of the TCP link while a line drives, through
// each station's real link and driver: the run ends as on a lost link, and the
// locomotive's stop is written before the socket closes. A station that closed only
// its sending side (a half close) still reads it: the stop is read here at its end.
// A station that closed altogether is lost the same way, once. The Z21 talks UDP,
// which has no end of stream.
#include "helfer/Aufbau.h"
#include "helfer/Verbinden.h"
#include "stations/cs2/Cs2Treiber.h"
#include "stations/cs2/Cs2Verbindung.h"
#include "stations/cs2/Cs2Zentrale.h"
#include "stations/dccex/DccexVerbindung.h"
#include "stations/ecos/EcosVerbindung.h"
#include "serial/V24.h"
#include "window/Gleisanzeige.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

#include <sys/socket.h>

using namespace trabolin;
using namespace trabolin::test;

namespace {

// The station's end: takes the connection, keeps what it reads, answers the Central
// Station's ping (as its description's section 6.1 shows), and closes its side.
struct Gegenstelle {
    QTcpServer server;
    QTcpSocket *client = nullptr;
    QByteArray gelesen;
    qsizetype beimSchliessen = -1; // what it had read when it closed

    explicit Gegenstelle(bool cs2)
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this, cs2] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, cs2] {
                const qsizetype vorher = gelesen.size();
                gelesen += client->readAll();
                for (qsizetype i = vorher - vorher % 13; cs2 && i + 13 <= gelesen.size(); i += 13)
                    if (gelesen.mid(i, 2) == QByteArray::fromHex("0030") && gelesen[i + 4] == 0)
                        client->write(QByteArray::fromHex("00318B5B084353320804 01FFFF"));
            });
        });
    }
    void schliesse(bool halb)
    {
        beimSchliessen = gelesen.size();
        if (halb)
            ::shutdown(int(client->socketDescriptor()), SHUT_WR);
        else
            client->disconnectFromHost();
    }
    QByteArray danach() const { return gelesen.mid(beimSchliessen); }
};

} // namespace

class TstNetzende : public QObject {
    Q_OBJECT
private slots:
    void ende_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<bool>("halb");
        QTest::addColumn<QString>("halt"); // the locomotive's stop on the wire, a pattern
        // ECoS PC interface: set(<id>, speed[0]). DCC-EX: <t cab speed direction>. CS2 CAN
        // description, 3.4, in hex: speed (command 0x04) 0 for DCC 3 (UID 0xC003), any hash.
        const QStringList halte{"set\\(1000,speed\\[0\\]\\)", "<t 3 0 1>", "0008....060000C00300000000"};
        const QStringList stationen{"Ecos", "DCC-EX", "CS2"};
        for (int i = 0; i < stationen.size(); ++i) {
            QTest::addRow("%s halb geschlossen", qPrintable(stationen[i])) << stationen[i] << true << halte[i];
            QTest::addRow("%s ganz geschlossen", qPrintable(stationen[i])) << stationen[i] << false << halte[i];
        }
    }
    void ende()
    {
        QFETCH(QString, station);
        QFETCH(bool, halb);
        QFETCH(QString, halt);
        const int option = zentralenoption(station);
        const Lesart lesart = zentralenzeile(option)->lesart;
        Aufbau a; // first, so that it outlives the link that reports to it
        Gegenstelle peer(station == u"CS2");
        SerielleSchnittstelle v24;
        std::unique_ptr<Netzverbindung> link;
        std::unique_ptr<Zentralentreiber> treiber;
        a.feld.option = option;
        a.feld.adresse = QStringLiteral("3");
        if (station == u"Ecos") {
            auto l = std::make_unique<EcosVerbindung>();
            l->wache().setzeZeiten(60000, 60000); // the peer answers nothing: not silent in this test
            l->setzeGleismelder(&a.ablauf.gleismelder(option));
            treiber = std::make_unique<EcosTreiber>(a.ablauf, *l, lesart);
            link = std::move(l);
            a.feld.adresse = QStringLiteral("1000");
        } else if (station == u"DCC-EX") {
            auto l = std::make_unique<DccexVerbindung>(v24);
            l->setzeUeberNetzwerk(true);
            l->setzeGleismelder(&a.ablauf.gleismelder(option));
            treiber = std::make_unique<DccexTreiber>(a.ablauf, *l, lesart);
            link = std::move(l);
        } else {
            auto l = std::make_unique<Cs2Verbindung>();
            l->setzeGleismelder(&a.ablauf.gleismelder(option));
            auto t = std::make_unique<Cs2Treiber>(a.ablauf, *l, lesart);
            t->setzeProtokoll(Cs2Protokoll::dcc);
            treiber = std::move(t);
            link = std::move(l);
        }
        a.ablauf.setzeTreiber(option, treiber.get());
        QVERIFY(verbindeUndWarte(*link, QStringLiteral("127.0.0.1"), peer.server.serverPort()));
        QTRY_VERIFY(peer.client);
        QStringList ursachen;
        QObject::connect(&a.ablauf, &Ablauf::angehalten, [&](Gleiszustand z) { ursachen << gleisanzeigeText(z); });
        QSignalSpy verloren(link.get(), &Netzverbindung::verloren);

        // A line of 60 s; 1 s into it the station closes its end.
        a.zeilen({"60,S,40"});
        a.zeit.bei(1000, [&] {
            QTest::qWait(200); // the line is at the station
            peer.schliesse(halb);
            QVERIFY(QTest::qWaitFor([&] { return !ursachen.isEmpty(); }, 5000));
        });
        a.ablauf.btnStart_Click();
        QCOMPARE(ursachen, QStringList{QStringLiteral("Verbindung verloren")});
        QVERIFY(!a.ablauf.laeuft());
        QCOMPARE(a.zeit.jetzt, qint64(1000));
        QCOMPARE(verloren.size(), 1);
        QVERIFY(!link->verbunden());
        if (halb) {
            const QRegularExpression stopp(halt);
            const auto gelesen = [&] {
                const QByteArray d = peer.danach();
                return station == u"CS2" ? QString::fromLatin1(d.toHex().toUpper()) : QString::fromLatin1(d);
            };
            QTRY_VERIFY2(stopp.match(gelesen()).hasMatch(), qPrintable(gelesen()));
        }
        QTest::qWait(100); // nothing more comes of it
        QCOMPARE(verloren.size(), 1);
    }
};

QTEST_MAIN(TstNetzende)
#include "tst_netzende.moc"

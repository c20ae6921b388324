// trabolin-cs2-sim: a small stand-in for a Märklin Central Station 2 or 3 on 127.0.0.1,
// for trying Trabolin without a layout and for the tests. It takes the CAN frames of
// the station's network gateway over TCP (port 15731) and UDP (datagrams to 15731;
// like the station it sends its own to port 15730 of the PC address it is set to, not
// back to where a datagram came from), answers pings, echoes every command with the
// response bit and prints every frame with the time, its bytes, what it is and the
// locomotive's state after it, one line each. It also acts as the layout: commands
// typed on its terminal press the station's stop key, report an overload, stop every
// locomotive, drop the TCP connections or make it fall silent. Every locomotive runs
// on a virtual track of its own whose contacts send S88 events.
#include "sim/Fahrkurve.h"
#include "sim/Terminal.h"
#include "sim/cs2/Cs2Dekodierer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

using namespace trabolin::sim;

namespace {

bool lesePort(const QString &text, uint &port)
{
    bool ok = false;
    port = text.toUInt(&ok);
    return ok && port <= 65535;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trabolin-cs2-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Eine kleine Central Station 2/3 zum Ausprobieren: CAN-Rahmen über TCP und UDP auf 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("TCP- und UDP-Port (Standard 15731; 0: freie Ports)."),
        QStringLiteral("N"), QStringLiteral("15731"));
    const QCommandLineOption antwortOption(
        QStringLiteral("antwortport"), QStringLiteral("UDP-Port, an den die Antworten gehen (Standard 15730)."),
        QStringLiteral("N"), QStringLiteral("15730"));
    const QCommandLineOption pcOption(
        QStringLiteral("pc"), QStringLiteral("IP-Adresse des PCs, an die die UDP-Rahmen gehen (Standard 127.0.0.1)."),
        QStringLiteral("ADRESSE"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption stufenOption(
        QStringLiteral("fahrstufen"),
        QStringLiteral("Fahrstufen der MM2- und DCC-Decoder (Standard: MM2 14, DCC 28; mfx immer 126)."),
        QStringLiteral("N"));
    parser.addOption(portOption);
    parser.addOption(antwortOption);
    parser.addOption(pcOption);
    parser.addOption(stufenOption);
    fuegeKurvenoptionenHinzu(parser);
    parser.process(app);
    waehleKurve(parser);

    uint port = 0, antwortport = 0;
    if (!lesePort(parser.value(portOption), port) || !lesePort(parser.value(antwortOption), antwortport)) {
        std::fprintf(stderr, "trabolin-cs2-sim: ungültiger Port\n");
        return 2;
    }
    const QHostAddress pc(parser.value(pcOption));
    if (pc.isNull()) {
        std::fprintf(stderr, "trabolin-cs2-sim: ungültige PC-Adresse\n");
        return 2;
    }
    Cs2Dekodierer cs2;
    if (parser.isSet(stufenOption)) {
        const int stufen = parser.value(stufenOption).toInt();
        if (stufen != 14 && stufen != 27 && stufen != 28 && stufen != 126) {
            std::fprintf(stderr, "trabolin-cs2-sim: Fahrstufen 14, 27, 28 oder 126\n");
            return 2;
        }
        cs2.setzeFahrstufen(stufen);
    }
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, quint16(port))) {
        std::fprintf(stderr, "trabolin-cs2-sim: TCP-Port %u: %s\n", port, qPrintable(server.errorString()));
        return 1;
    }
    QUdpSocket udp;
    // With free ports the UDP port is the TCP port's number where it is free too.
    if (!udp.bind(QHostAddress::LocalHost, server.serverPort())
        && (port != 0 || !udp.bind(QHostAddress::LocalHost, 0))) {
        std::fprintf(stderr, "trabolin-cs2-sim: UDP-Port %u: %s\n", port, qPrintable(udp.errorString()));
        return 1;
    }
    std::printf("trabolin-cs2-sim lauscht auf 127.0.0.1: TCP %u, UDP %u, Antworten über UDP an %s Port %u\n",
                unsigned(server.serverPort()), unsigned(udp.localPort()), qPrintable(pc.toString()), antwortport);
    std::fflush(stdout);

    QSet<QTcpSocket *> tcpClients;
    bool stumm = false;       // the station has fallen silent: it hears and answers nothing
    const auto gibAus = [&](const Cs2Ergebnis &e) {
        const QString zeit = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
        for (const QString &zeile : e.zeilen)
            std::printf("%s %s\n", qPrintable(zeit), qPrintable(zeile));
        std::fflush(stdout); // read live by users and tests
        for (const QByteArray &a : e.antworten) {
            for (QTcpSocket *c : std::as_const(tcpClients))
                c->write(a);
            udp.writeDatagram(a, pc, quint16(antwortport));
        }
    };
    const auto meldung = [&](const QString &text) { gibAus({{text}, {}}); };
    // The virtual tracks: moved on before each frame is taken and at the next contact's
    // edge on any of them.
    QElapsedTimer uhr;
    uhr.start();
    QTimer streckenuhr;
    streckenuhr.setSingleShot(true);
    streckenuhr.setTimerType(Qt::PreciseTimer);
    const auto planeStrecke = [&] {
        const qint64 ms = cs2.gleise().msBisWechsel();
        if (ms >= 0)
            streckenuhr.start(int(qMin<qint64>(ms, 3600000)));
        else
            streckenuhr.stop();
    };
    const auto nimm = [&](const Cs2Ergebnis &e) {
        gibAus(e);
        planeStrecke();
    };
    QObject::connect(&streckenuhr, &QTimer::timeout, [&] {
        gibAus(cs2.bewege(uhr.elapsed()));
        planeStrecke();
    });
    const auto anlage = [&](const QString &aktion) {
        if (aktion == u"stumm" || aktion == u"antworten") {
            stumm = aktion == u"stumm";
            meldung(stumm ? QStringLiteral("Anlage: stumm, keine Antworten mehr")
                          : QStringLiteral("Anlage: antwortet wieder"));
        } else if (aktion == u"trennen") {
            meldung(QStringLiteral("Anlage: %1 TCP-Verbindung(en) getrennt").arg(tcpClients.size()));
            const auto clients = tcpClients;
            for (QTcpSocket *c : clients)
                c->abort();
        } else if (!stumm) {
            gibAus(cs2.bewege(uhr.elapsed()));
            nimm(cs2.anlage(aktion));
        }
    };
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *c = server.nextPendingConnection()) {
            const QString name = QStringLiteral("tcp:%1").arg(c->peerPort());
            tcpClients.insert(c);
            c->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            meldung(QStringLiteral("TCP-Verbindung von %1:%2").arg(c->peerAddress().toString()).arg(c->peerPort()));
            QObject::connect(c, &QTcpSocket::readyRead, c, [&, c, name] {
                const QByteArray bytes = c->readAll();
                if (stumm) {
                    meldung(QStringLiteral("stumm: %1 -> keine Antwort")
                                .arg(QString::fromLatin1(bytes.toHex(' ').toUpper())));
                    return;
                }
                gibAus(cs2.bewege(uhr.elapsed()));
                nimm(cs2.verarbeite(bytes, name));
            });
            QObject::connect(c, &QTcpSocket::disconnected, c, [&, c, name] {
                tcpClients.remove(c);
                cs2.vergiss(name);
                meldung(QStringLiteral("TCP-Verbindung %1 beendet").arg(name));
                c->deleteLater();
            });
        }
    });
    QObject::connect(&udp, &QUdpSocket::readyRead, [&] {
        while (udp.hasPendingDatagrams()) {
            const QNetworkDatagram d = udp.receiveDatagram();
            if (!d.isValid())
                break;
            if (stumm) {
                meldung(QStringLiteral("stumm: %1 -> keine Antwort")
                            .arg(QString::fromLatin1(d.data().toHex(' ').toUpper())));
                continue;
            }
            gibAus(cs2.bewege(uhr.elapsed()));
            nimm(cs2.verarbeite(d.data(), QStringLiteral("udp"), false));
        }
    });
    // The layout's actions typed on the terminal, one per line.
    lauscheAufTerminal(&app, anlage);
    return app.exec();
}

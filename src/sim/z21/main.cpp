// trabolin-z21-sim: a small stand-in for a Roco/Fleischmann Z21 on 127.0.0.1, for
// trying Trabolin without a layout and for the tests. It answers the Z21 LAN
// protocol over UDP as far as Trabolin uses it and prints every packet it receives
// with the time, its bytes, what it is and the state it leaves behind, one line each.
#include "sim/z21/Z21Dekodierer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QNetworkDatagram>
#include <QTime>
#include <QUdpSocket>

#include <cstdio>

using namespace trabolin::sim;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trabolin-z21-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Eine kleine Z21 zum Ausprobieren: UDP auf 127.0.0.1, Seriennummer, Status, Gleisspannung, Loks."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("UDP-Port (Standard 21105; 0: ein freier Port)."),
                                        QStringLiteral("N"), QStringLiteral("21105"));
    parser.addOption(portOption);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "trabolin-z21-sim: ungültiger Port: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::LocalHost, quint16(port))) {
        std::fprintf(stderr, "trabolin-z21-sim: Port %u: %s\n", port, qPrintable(socket.errorString()));
        return 1;
    }
    std::printf("trabolin-z21-sim lauscht auf 127.0.0.1:%u\n", unsigned(socket.localPort()));
    std::fflush(stdout);

    Z21Dekodierer z21;
    QHash<QString, QPair<QHostAddress, quint16>> clients; // the decoder's names for the clients
    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            if (!d.isValid())
                break;
            const QString name = QStringLiteral("%1:%2").arg(d.senderAddress().toString()).arg(d.senderPort());
            clients.insert(name, {d.senderAddress(), quint16(d.senderPort())});
            const Z21Ergebnis e = z21.verarbeite(d.data(), name);
            const QString zeit = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
            for (const QString &zeile : e.zeilen)
                std::printf("%s %s\n", qPrintable(zeit), qPrintable(zeile));
            std::fflush(stdout); // read live by users and tests
            for (const Z21Antwort &a : e.antworten) {
                const auto ziel = clients.value(a.ziel);
                socket.writeDatagram(a.datagramm, ziel.first, ziel.second);
            }
        }
    });
    return app.exec();
}

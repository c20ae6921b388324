// trabolin-z21-sim: a small stand-in for a Roco/Fleischmann Z21 on 127.0.0.1, for
// trying Trabolin without a layout and for the tests. It answers the Z21 LAN
// protocol over UDP as far as Trabolin uses it and prints every packet it receives
// with the time, its bytes, what it is and the state it leaves behind, one line each.
// It also acts as the layout around the Z21: commands typed on its terminal (or
// options that act some seconds after the first datagram) switch the track off,
// short-circuit it, stop every locomotive, flood the clients or make it fall silent;
// "verliere N" drops its next N datagrams to the clients, as a lossy Wi-Fi does,
// while it still hears and acts on everything. Every locomotive runs on a virtual
// track of its own; the first one's two contacts are inputs 1 and 2 of R-Bus module 1,
// the next one's inputs 3 and 4, and so on.
#include "sim/Fahrkurve.h"
#include "sim/z21/Z21Dekodierer.h"
#include "sim/Terminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QNetworkDatagram>
#include <QTime>
#include <QTimer>
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
    // Layout actions some seconds after the first datagram, as typed on the terminal.
    const QStringList zeitAktionen{QStringLiteral("aus"), QStringLiteral("kurzschluss"), QStringLiteral("nothalt"),
                                   QStringLiteral("stumm")};
    QList<QCommandLineOption> zeitOptionen;
    for (const QString &aktion : zeitAktionen) {
        zeitOptionen.append(QCommandLineOption(
            aktion + QStringLiteral("-nach"),
            QStringLiteral("Anlage: \"%1\" S Sekunden nach dem ersten Datagramm.").arg(aktion), QStringLiteral("S")));
        parser.addOption(zeitOptionen.last());
    }
    fuegeKurvenoptionenHinzu(parser);
    parser.process(app);
    waehleKurve(parser);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "trabolin-z21-sim: ungültiger Port: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }
    for (const QCommandLineOption &o : zeitOptionen) {
        if (parser.isSet(o) && (parser.value(o).toDouble(&ok), !ok || parser.value(o).toDouble() < 0)) {
            std::fprintf(stderr, "trabolin-z21-sim: ungültige Sekunden: %s\n", qPrintable(parser.value(o)));
            return 2;
        }
    }
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::LocalHost, quint16(port))) {
        std::fprintf(stderr, "trabolin-z21-sim: Port %u: %s\n", port, qPrintable(socket.errorString()));
        return 1;
    }
    std::printf("trabolin-z21-sim lauscht auf 127.0.0.1:%u\n", unsigned(socket.localPort()));
    std::fflush(stdout);

    Z21Dekodierer z21;
    QElapsedTimer uhr; // for the clients' silence
    uhr.start();
    QHash<QString, QPair<QHostAddress, quint16>> clients; // the decoder's names for the clients
    bool stumm = false; // the Z21 has fallen silent: it hears and answers nothing
    qint64 verlieren = 0; // how many of its next datagrams to the clients get lost
    const auto gibAus = [&](const Z21Ergebnis &e) {
        const QString zeit = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
        for (const QString &zeile : e.zeilen)
            std::printf("%s %s\n", qPrintable(zeit), qPrintable(zeile));
        for (const Z21Antwort &a : e.antworten) {
            if (verlieren > 0) {
                --verlieren;
                std::printf("%s verloren: %s\n", qPrintable(zeit), a.datagramm.toHex(' ').toUpper().constData());
                continue;
            }
            const auto ziel = clients.value(a.ziel);
            socket.writeDatagram(a.datagramm, ziel.first, ziel.second);
        }
        std::fflush(stdout); // read live by users and tests
    };
    // The virtual tracks: moved on before each datagram is taken and at the next
    // contact's edge on any of them.
    QTimer streckenuhr;
    streckenuhr.setSingleShot(true);
    streckenuhr.setTimerType(Qt::PreciseTimer);
    const auto planeStrecke = [&] {
        const qint64 ms = z21.gleise().msBisWechsel();
        if (ms >= 0)
            streckenuhr.start(int(qMin<qint64>(ms, 3600000)));
        else
            streckenuhr.stop();
    };
    QObject::connect(&streckenuhr, &QTimer::timeout, [&] {
        if (!stumm)
            gibAus(z21.bewege(uhr.elapsed()));
        planeStrecke();
    });
    const auto anlage = [&](const QString &aktion) {
        if (aktion.startsWith(u"verliere")) {
            bool ok = false;
            const QString zahl = aktion.section(u' ', 1, 1, QString::SectionSkipEmpty);
            const qint64 n = zahl.isEmpty() ? 1 : zahl.toLongLong(&ok);
            if (zahl.isEmpty() || (ok && n >= 0))
                verlieren = n;
            gibAus({{QStringLiteral("Anlage: die nächsten %1 Datagramme an die Clients gehen verloren").arg(verlieren)}, {}});
        } else if (aktion == u"stumm" || aktion == u"antworten") {
            stumm = aktion == u"stumm";
            gibAus({{stumm ? QStringLiteral("Anlage: stumm, keine Antworten mehr") : QStringLiteral("Anlage: antwortet wieder")}, {}});
        } else if (!stumm) {
            gibAus(z21.bewege(uhr.elapsed()));
            gibAus(z21.anlage(aktion));
            planeStrecke();
        }
    };
    bool erstes = true;
    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            if (!d.isValid())
                break;
            if (std::exchange(erstes, false))
                for (qsizetype i = 0; i < zeitAktionen.size(); ++i)
                    if (parser.isSet(zeitOptionen[i]))
                        QTimer::singleShot(qRound(parser.value(zeitOptionen[i]).toDouble() * 1000), &socket,
                                           [&anlage, a = zeitAktionen[i]] { anlage(a); });
            if (stumm) {
                gibAus({{QStringLiteral("stumm: %1 -> keine Antwort").arg(QString::fromLatin1(d.data().toHex(' ').toUpper()))}, {}});
                continue;
            }
            const QString name = QStringLiteral("%1:%2").arg(d.senderAddress().toString()).arg(d.senderPort());
            clients.insert(name, {d.senderAddress(), quint16(d.senderPort())});
            z21.gehoert(name, uhr.elapsed());
            gibAus(z21.bewege(uhr.elapsed()));
            gibAus(z21.verarbeite(d.data(), name));
            planeStrecke();
        }
    });
    // A client silent for a minute is forgotten, as the Z21 does.
    QTimer stille;
    QObject::connect(&stille, &QTimer::timeout, &socket, [&] {
        gibAus({z21.vergissStille(uhr.elapsed()), {}});
    });
    stille.start(1000);
    // The layout's actions typed on the terminal, one per line.
    lauscheAufTerminal(&app, anlage);
    return app.exec();
}

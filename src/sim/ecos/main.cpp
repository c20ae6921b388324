// trabolin-ecos-sim: a small stand-in for an ESU ECoS on 127.0.0.1, for trying
// Trabolin without a layout and for the tests. It speaks enough of the ECoS PC
// interface to answer everything Trabolin sends, worded as current firmware words
// it (or, with --alt, as older firmware did), and prints every command it receives
// with the resulting state of the locomotive, one line each.
//
// It also acts as the layout around the ECoS: commands typed on its terminal (or
// options that act some seconds after the first connection) press its stop button,
// short-circuit the track, make it fall silent or drop the connection. A client that
// asked to be told ("request(1, view)") gets an event for each change of the power.
// Every locomotive runs on a virtual track of its own (sim/Gleise.h); the contacts are
// the ports of the s88 module 100 (16 ports): the first locomotive to run has ports 1
// and 2, the next 3 and 4, and so on. A client that asked for the module
// ("request(100, view)") gets an event for each change of its ports.
#include "sim/Fahrkurve.h"
#include "sim/Terminal.h"
#include "sim/ecos/EcosDekodierer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
#include <QTimer>

#include <cstdio>

namespace {

using trabolin::sim::EcosDekodierer;
using trabolin::sim::EcosErgebnis;

// The decoder (sim/ecos/EcosDekodierer.h) on a TCP server, its tracks on a timer.
class Simulator : public QObject {
public:
    explicit Simulator(bool alt) : m_dekodierer(alt), m_alt(alt)
    {
        m_uhr.start();
        m_streckenuhr.setSingleShot(true);
        m_streckenuhr.setTimerType(Qt::PreciseTimer);
        connect(&m_streckenuhr, &QTimer::timeout, this, [this] {
            fuehreAus(m_dekodierer.bewege(m_uhr.elapsed()));
            planeStrecke();
        });
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                const QString name = QStringLiteral("Client %1").arg(++m_gezaehlt);
                connect(s, &QTcpSocket::readyRead, this, [this, s, name] {
                    fuehreAus(m_dekodierer.verarbeite(s->readAll(), name, m_uhr.elapsed()));
                    planeStrecke();
                });
                connect(s, &QTcpSocket::disconnected, this, [this, s, name] {
                    m_dekodierer.getrennt(name);
                    m_verbindungen.remove(name);
                    s->deleteLater();
                });
                m_verbindungen.insert(name, s);
                m_dekodierer.verbunden(name);
                if (m_verbindungen.size() == 1)
                    starteZeitplan();
            }
        });
    }

    // A layout action at `sekunden` after the first connection.
    void nach(double sekunden, const QString &aktion) { m_zeitplan.append({sekunden, aktion}); }

    // Reads the layout actions typed on the terminal, one per line.
    void lauscheAufTerminal()
    {
        trabolin::sim::lauscheAufTerminal(this, [this](const QString &zeile) { schalte(zeile); });
    }

    bool lausche(quint16 port)
    {
        if (!m_server.listen(QHostAddress::LocalHost, port)) {
            std::fprintf(stderr, "trabolin-ecos-sim: Port %u: %s\n", unsigned(port),
                         qPrintable(m_server.errorString()));
            return false;
        }
        std::printf("trabolin-ecos-sim lauscht auf 127.0.0.1:%u%s\n", unsigned(m_server.serverPort()),
                    m_alt ? " (alte Antworten)" : "");
        std::fflush(stdout);
        return true;
    }

private:
    // One layout action, typed or due.
    void schalte(const QString &aktion)
    {
        fuehreAus(m_dekodierer.anlage(aktion, m_uhr.elapsed()));
        planeStrecke();
    }

    // Prints the decoder's lines, writes its texts to their clients, and drops every
    // connection when it says so.
    void fuehreAus(const EcosErgebnis &e)
    {
        const QString zeit = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
        for (const QString &zeile : e.zeilen)
            std::printf("%s %s\n", qPrintable(zeit), qPrintable(zeile));
        if (!e.hinweis.isEmpty())
            std::printf("%s\n", qPrintable(e.hinweis));
        std::fflush(stdout);
        QSet<QTcpSocket *> geschrieben;
        for (const auto &[ziel, text] : e.sendungen)
            if (QTcpSocket *s = m_verbindungen.value(ziel); s && s->state() == QAbstractSocket::ConnectedState) {
                s->write(text);
                geschrieben.insert(s);
            }
        for (QTcpSocket *s : geschrieben)
            s->flush();
        if (e.trennen)
            for (QTcpSocket *s : m_verbindungen.values()) // each abort removes it from the list
                s->abort();
    }

    void planeStrecke()
    {
        const qint64 ms = m_dekodierer.msBisWechsel();
        if (ms >= 0)
            m_streckenuhr.start(int(qMin<qint64>(ms, 3600000)));
        else
            m_streckenuhr.stop();
    }

    void starteZeitplan()
    {
        for (const auto &[sekunden, aktion] : std::as_const(m_zeitplan))
            QTimer::singleShot(qRound(sekunden * 1000), this, [this, aktion] { schalte(aktion); });
    }

    QTcpServer m_server;
    EcosDekodierer m_dekodierer;
    bool m_alt;
    QHash<QString, QTcpSocket *> m_verbindungen; // by the decoder's names for them
    int m_gezaehlt = 0;
    QList<std::pair<double, QString>> m_zeitplan;
    QElapsedTimer m_uhr;
    QTimer m_streckenuhr; // to the next contact's edge on any track
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trabolin-ecos-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Eine kleine Ecos zum Ausprobieren: TCP auf 127.0.0.1, Lokliste mit vier Loks (IDs 1000 bis 1003)."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP-Port (Standard 15471; 0: ein freier Port)."),
                                        QStringLiteral("N"), QStringLiteral("15471"));
    const QCommandLineOption altOption(QStringLiteral("alt"),
                                       QStringLiteral("Antworten wie ältere Firmware (NERROR_OK)."));
    parser.addOption(portOption);
    parser.addOption(altOption);
    // Layout actions some seconds after the first connection, as typed on the terminal.
    const QStringList aktionen{QStringLiteral("aus"), QStringLiteral("kurzschluss"), QStringLiteral("stumm"),
                               QStringLiteral("trennen")};
    const QStringList erklaerungen{
        QStringLiteral("Die Stopp-Taste der Ecos S Sekunden nach der ersten Verbindung (status[STOP])."),
        QStringLiteral("Ein Kurzschluss S Sekunden nach der ersten Verbindung (status[STOP])."),
        QStringLiteral("Die Ecos antwortet S Sekunden nach der ersten Verbindung nicht mehr."),
        QStringLiteral("Die Ecos trennt S Sekunden nach der ersten Verbindung jede Verbindung.")};
    QList<QCommandLineOption> zeitOptionen;
    for (qsizetype i = 0; i < aktionen.size(); ++i) {
        zeitOptionen.append(QCommandLineOption(aktionen[i] + QStringLiteral("-nach"), erklaerungen[i], QStringLiteral("S")));
        parser.addOption(zeitOptionen.last());
    }
    trabolin::sim::fuegeKurvenoptionenHinzu(parser);
    parser.process(app);
    trabolin::sim::waehleKurve(parser);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "trabolin-ecos-sim: ungültiger Port: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }
    Simulator sim(parser.isSet(altOption));
    for (qsizetype i = 0; i < aktionen.size(); ++i) {
        if (!parser.isSet(zeitOptionen[i]))
            continue;
        const double sekunden = parser.value(zeitOptionen[i]).toDouble(&ok);
        if (!ok || sekunden < 0) {
            std::fprintf(stderr, "trabolin-ecos-sim: ungültige Sekunden: %s\n", qPrintable(parser.value(zeitOptionen[i])));
            return 2;
        }
        sim.nach(sekunden, aktionen[i]);
    }
    if (!sim.lausche(quint16(port)))
        return 1;
    sim.lauscheAufTerminal();
    return app.exec();
}

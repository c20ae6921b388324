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
#include "sim/Gleise.h"
#include "sim/Terminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
#include <QTimer>

#include <array>
#include <cstdio>

namespace {

struct Lok {
    QString name;
    int fahrstufe = 0;
    int richtung = 0;
    std::array<int, 29> funktionen{}; // func[0] is the light
    bool kontrolle = false;
};

// One argument of a command: its text without surrounding blanks and where it
// starts in the command text.
struct Argument {
    QString text;
    qsizetype stelle;
};

// Splits "a, b[1, 2], c" at the commas outside brackets.
QList<Argument> argumente(const QString &befehl, qsizetype anfang, qsizetype ende)
{
    QList<Argument> liste;
    int tiefe = 0;
    qsizetype start = anfang;
    for (qsizetype i = anfang; i <= ende; ++i) {
        const QChar c = i < ende ? befehl[i] : QChar(u',');
        if (c == u'[' || c == u'(')
            ++tiefe;
        else if (c == u']' || c == u')')
            --tiefe;
        else if (c == u',' && tiefe == 0) {
            qsizetype a = start;
            while (a < i && befehl[a] == u' ')
                ++a;
            liste.append({befehl.mid(a, i - a).trimmed(), a});
            start = i + 1;
        }
    }
    return liste;
}

class Simulator : public QObject {
public:
    static constexpr int flutMeldungen = 20000;

    explicit Simulator(bool alt) : m_alt(alt)
    {
        const char *namen[] = {"BR 218", "V 200", "Köf II", "ICE 3"};
        for (int i = 0; i < 4; ++i)
            m_loks[1000 + i].name = QString::fromUtf8(namen[i]);
        m_uhr.start();
        m_streckenuhr.setSingleShot(true);
        m_streckenuhr.setTimerType(Qt::PreciseTimer);
        connect(&m_streckenuhr, &QTimer::timeout, this, [this] {
            bewege();
            planeStrecke();
        });
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { lies(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    m_beobachter.remove(s);
                    m_s88Beobachter.remove(s);
                    m_verbindungen.removeAll(s);
                    s->deleteLater();
                });
                m_verbindungen.append(s);
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

    // One layout action: "aus" (the ECoS's stop button), "an" (its go button),
    // "kurzschluss", "stumm" (no answers, no events, the connection stays),
    // "antworten" (answers again), "trennen" (drops every connection), "flut" (a
    // flood of events that change nothing).
    void schalte(const QString &aktion)
    {
        bewege();
        schalteAnlage(aktion);
        aufStrecke();
    }

    void schalteAnlage(const QString &aktion)
    {
        if (aktion == u"aus")
            setzeStrom(false, QStringLiteral("Stopp-Taste"));
        else if (aktion == u"an")
            setzeStrom(true, QStringLiteral("Go-Taste"));
        else if (aktion == u"kurzschluss")
            setzeStrom(false, QStringLiteral("Kurzschluss"));
        else if (aktion == u"stumm" || aktion == u"antworten") {
            m_stumm = aktion == u"stumm";
            drucke(aktion, m_stumm ? QStringLiteral("keine Antworten mehr") : QStringLiteral("antwortet wieder"), {});
        } else if (aktion == u"flut") {
            // A flood of events that change nothing: the program must stay responsive.
            drucke(aktion, QStringLiteral("%1 Meldungen").arg(flutMeldungen), {});
            sendeEreignis(m_beobachter, 1, statuszeile(), flutMeldungen);
        } else if (aktion == u"trennen") {
            drucke(aktion, QStringLiteral("%1 Verbindung(en) getrennt").arg(m_verbindungen.size()), {});
            for (QTcpSocket *s : QList(m_verbindungen)) // each abort removes it from the list
                s->abort();
        } else {
            std::printf("Befehle: aus, an, kurzschluss, stumm, antworten, trennen, flut\n");
            std::fflush(stdout);
        }
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
    // One TCP packet without a line end is one command; otherwise every line is.
    // Commands that arrive together in one read are answered one by one.
    void lies(QTcpSocket *s)
    {
        const QByteArray stueck = s->readAll();
        m_fragender = s;
        if (m_stumm) {
            drucke(QString::fromLatin1(stueck).trimmed(), QStringLiteral("stumm"), QStringLiteral("keine Antwort"));
            return;
        }
        bewege();
        qsizetype anfang = 0;
        while (anfang < stueck.size()) {
            qsizetype ende = anfang;
            while (ende < stueck.size() && stueck[ende] != '\n' && stueck[ende] != '\r')
                ++ende;
            const bool mitZeilenende = ende < stueck.size();
            const QByteArray befehl = stueck.mid(anfang, ende - anfang);
            while (ende < stueck.size() && (stueck[ende] == '\n' || stueck[ende] == '\r'))
                ++ende;
            anfang = ende;
            for (const QByteArray &einzeln : befehle(befehl)) {
                s->write(beantworte(QString::fromLatin1(einzeln), mitZeilenende).toUtf8());
                // A change of the power is reported after the reply that made it.
                if (std::exchange(m_stromGeaendert, false))
                    meldeStrom();
                // Each command reaches the tracks before the next one: the first
                // locomotive set running gets the first track.
                aufStrecke();
            }
        }
        s->flush();
        planeStrecke();
    }

    // The tracks follow the locomotives: their speed of 127, dir[0] forwards, standing
    // without power.
    void aufStrecke()
    {
        for (auto it = m_loks.cbegin(); it != m_loks.cend(); ++it)
            melde(m_gleise.setzeFahrt(it.key(), m_strom ? it->fahrstufe / 127.0 : 0.0, it->richtung == 0,
                                      m_uhr.elapsed()));
        planeStrecke();
    }
    void bewege() { melde(m_gleise.rueckeVor(m_uhr.elapsed())); }
    void planeStrecke()
    {
        const qint64 ms = m_gleise.msBisWechsel();
        if (ms >= 0)
            m_streckenuhr.start(int(qMin<qint64>(ms, 3600000)));
        else
            m_streckenuhr.stop();
    }
    QString s88Zeile() const { return QStringLiteral("100 state[0x%1]").arg(m_s88, 0, 16); }
    // Each change of a contact: port n of module 100, an event to those who asked for it.
    void melde(const QList<trabolin::sim::Gleise<int>::Wechsel> &wechsel)
    {
        for (const auto &[id, ort, w] : wechsel) {
            if (w.nummer < 1 || w.nummer > 16)
                continue;
            const quint32 bit = 1u << (w.nummer - 1);
            m_s88 = w.belegt ? m_s88 | bit : m_s88 & ~bit;
            drucke(QStringLiteral("Strecke: Lok %1 bei %2 mm").arg(id).arg(qRound(ort)),
                   QStringLiteral("Kontakt %1 %2").arg(w.nummer).arg(w.belegt ? QStringLiteral("belegt") : QStringLiteral("frei")),
                   m_stumm ? QString() : QStringLiteral("EVENT ") + s88Zeile());
            if (m_stumm)
                continue;
            sendeEreignis(m_s88Beobachter, 100, s88Zeile());
        }
    }

    void drucke(const QString &befehl, const QString &zustand, const QString &ende)
    {
        std::printf("%s %s -> %s [%s]\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))),
                    qPrintable(befehl), qPrintable(zustand), qPrintable(ende));
        std::fflush(stdout);
    }

    QString stromzustand() const { return m_strom ? QStringLiteral("strom=an") : QStringLiteral("strom=aus"); }
    QString statuszeile() const { return m_strom ? QStringLiteral("1 status[GO]") : QStringLiteral("1 status[STOP]"); }

    void setzeStrom(bool an, const QString &anlass)
    {
        const bool geaendert = m_strom != an;
        m_strom = an;
        drucke(anlass, stromzustand(), geaendert && !m_stumm ? QStringLiteral("EVENT ") + statuszeile() : QString());
        if (geaendert)
            meldeStrom();
    }

    // The event of object 1 to every client that asked for it.
    void meldeStrom()
    {
        if (!m_stumm)
            sendeEreignis(m_beobachter, 1, statuszeile());
    }

    // "<EVENT id>", the object's line and "<END 0 (OK)>" to each connected client of
    // `an`, `mal` times over.
    static void sendeEreignis(const QSet<QTcpSocket *> &an, int objekt, const QString &zeile, int mal = 1)
    {
        const QByteArray ereignis = QStringLiteral("<EVENT %1>\n%2\n<END 0 (OK)>\n").arg(objekt).arg(zeile).toUtf8();
        for (QTcpSocket *s : an)
            if (s->state() == QAbstractSocket::ConnectedState) {
                s->write(ereignis.repeated(mal));
                s->flush();
            }
    }

    void starteZeitplan()
    {
        for (const auto &[sekunden, aktion] : std::as_const(m_zeitplan))
            QTimer::singleShot(qRound(sekunden * 1000), this, [this, aktion] { schalte(aktion); });
    }

    // A slow reader may find two packets in one read: each command ends with the
    // bracket that closes its first one, so the piece is split there.
    static QList<QByteArray> befehle(const QByteArray &stueck)
    {
        QList<QByteArray> liste;
        qsizetype anfang = 0;
        int tiefe = 0;
        for (qsizetype i = 0; i < stueck.size(); ++i) {
            if (stueck[i] == '(')
                ++tiefe;
            else if (stueck[i] == ')' && tiefe > 0 && --tiefe == 0) {
                liste << stueck.mid(anfang, i + 1 - anfang);
                anfang = i + 1;
            }
        }
        liste << stueck.mid(anfang);
        liste.removeIf([](const QByteArray &b) { return b.trimmed().isEmpty(); });
        return liste;
    }

    QString ende(int nummer, const QString &neu, const QString &alt, bool mitZeilenende) const
    {
        if (nummer == 0 && !m_alt)
            return mitZeilenende ? QStringLiteral("<END 0 (OK)>\n")
                                 : QStringLiteral("<END 0 (OK, but no newline after packet)>\n");
        return QStringLiteral("<END %1 (%2)>\n").arg(nummer).arg(m_alt ? alt : neu);
    }

    QString beantworte(const QString &befehl, bool mitZeilenende)
    {
        QString zeilen;
        int lok = -1;
        const QString endzeile = fuehreAus(befehl.trimmed(), mitZeilenende, zeilen, lok);
        QString zustand;
        if (lok >= 0 && m_loks.contains(lok)) {
            const Lok &l = m_loks[lok];
            zustand = QStringLiteral("%1 speed=%2 dir=%3 licht=%4 f1=%5 f2=%6 f3=%7 f4=%8 kontrolle=%9")
                          .arg(lok).arg(l.fahrstufe).arg(l.richtung).arg(l.funktionen[0])
                          .arg(l.funktionen[1]).arg(l.funktionen[2]).arg(l.funktionen[3])
                          .arg(l.funktionen[4]).arg(l.kontrolle ? 1 : 0);
            if (!m_strom) // the ECoS keeps the speed and sends it when the power returns
                zustand += QStringLiteral(" strom=aus");
        } else {
            zustand = stromzustand();
        }
        drucke(befehl, zustand, endzeile.trimmed().mid(1).chopped(1));
        return QStringLiteral("<REPLY ") + befehl + QStringLiteral(">\n") + zeilen + endzeile;
    }

    QString fuehreAus(const QString &befehl, bool nl, QString &zeilen, int &lok)
    {
        static const QRegularExpression form(QStringLiteral("^(\\w+)\\s*\\((.*)\\)$"));
        const auto m = form.match(befehl);
        if (!m.hasMatch())
            return ende(10, QStringLiteral("unknown command"), QStringLiteral("NERROR_UNKNOWNCOMMAND"), nl);
        const QString name = m.captured(1);
        const QList<Argument> args = argumente(befehl, m.capturedStart(2), m.capturedEnd(2));
        auto unbekanntesObjekt = [&](qsizetype stelle) {
            return ende(15, QStringLiteral("unknown object at %1").arg(stelle),
                        QStringLiteral("NERROR_UNKNOWNID"), nl);
        };
        auto unbekannteOption = [&](qsizetype stelle) {
            return ende(11, QStringLiteral("unknown option at %1").arg(stelle),
                        QStringLiteral("NERROR_UNKNOWNOPTION"), nl);
        };
        if (args.isEmpty() || args[0].text.isEmpty())
            return unbekanntesObjekt(m.capturedStart(2));

        bool zahl = false;
        const int id = args[0].text.toInt(&zahl);
        if (name == u"queryObjects" && zahl && id == 26) {
            // The feedback manager lists its one s88 module.
            for (qsizetype i = 1; i < args.size(); ++i)
                if (args[i].text != u"ports")
                    return unbekannteOption(args[i].stelle);
            zeilen += args.size() > 1 ? QStringLiteral("100 ports[16]\n") : QStringLiteral("100\n");
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if (zahl && id == 100 && (name == u"request" || name == u"release" || name == u"get")) {
            const QString option = name == u"get" ? QStringLiteral("state") : QStringLiteral("view");
            if (args.size() != 2 || args[1].text != option)
                return unbekannteOption(args.size() > 1 ? args[1].stelle : befehl.size() - 1);
            if (name == u"get")
                zeilen += s88Zeile() + u'\n';
            else if (name == u"request")
                m_s88Beobachter.insert(m_fragender);
            else
                m_s88Beobachter.remove(m_fragender);
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if (name == u"queryObjects") {
            if (!zahl || id != 10)
                return unbekanntesObjekt(args[0].stelle);
            for (qsizetype i = 1; i < args.size(); ++i)
                if (args[i].text != u"name" && args[i].text != u"addr")
                    return unbekannteOption(args[i].stelle);
            for (auto it = m_loks.cbegin(); it != m_loks.cend(); ++it) {
                QString zeile = QString::number(it.key());
                for (qsizetype i = 1; i < args.size(); ++i)
                    zeile += args[i].text == u"name"
                                 ? QStringLiteral(" name[\"%1\"]").arg(it->name)
                                 : QStringLiteral(" addr[%1]").arg(it.key() - 997);
                zeilen += zeile + u'\n';
            }
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if (name == u"set" && zahl && id == 1) {
            if (args.size() != 2 || (args[1].text != u"go" && args[1].text != u"stop"))
                return unbekannteOption(args.size() > 1 ? args[1].stelle : befehl.size() - 1);
            const bool an = args[1].text == u"go";
            m_stromGeaendert = m_strom != an;
            m_strom = an;
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if ((name == u"request" || name == u"release") && zahl && id == 1) {
            if (args.size() != 2 || args[1].text != u"view")
                return unbekannteOption(args.size() > 1 ? args[1].stelle : befehl.size() - 1);
            if (name == u"request")
                m_beobachter.insert(m_fragender);
            else
                m_beobachter.remove(m_fragender);
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if (name == u"get" && zahl && id == 1) {
            for (qsizetype i = 1; i < args.size(); ++i)
                if (args[i].text != u"status")
                    return unbekannteOption(args[i].stelle);
            if (args.size() < 2)
                return unbekannteOption(befehl.size() - 1);
            zeilen += statuszeile() + u'\n';
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if (!zahl || !m_loks.contains(id))
            return unbekanntesObjekt(args[0].stelle);
        lok = id;
        Lok &l = m_loks[id];
        if (name == u"request" || name == u"release") {
            if (args.size() != 2 || (args[1].text != u"control" && args[1].text != u"view"))
                return unbekannteOption(args.size() > 1 ? args[1].stelle : befehl.size() - 1);
            if (args[1].text == u"control")
                l.kontrolle = name == u"request";
            return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
        }
        if (name != u"set")
            return ende(10, QStringLiteral("unknown command"), QStringLiteral("NERROR_UNKNOWNCOMMAND"), nl);
        if (!l.kontrolle)
            return ende(25, QStringLiteral("controlled by somebody else"), QStringLiteral("NERROR_NOCONTROL"), nl);

        // Every option is checked before any takes effect.
        static const QRegularExpression option(QStringLiteral("^(\\w+)\\s*\\[\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\]$"));
        Lok neu = l;
        if (args.size() < 2)
            return unbekannteOption(befehl.size() - 1);
        for (qsizetype i = 1; i < args.size(); ++i) {
            const auto o = option.match(args[i].text);
            const QString art = o.captured(1);
            const int wert = o.captured(2).toInt();
            const bool paar = o.capturedLength(3) > 0;
            if (o.hasMatch() && art == u"speed" && !paar && wert <= 127)
                neu.fahrstufe = wert;
            else if (o.hasMatch() && art == u"dir" && !paar && wert <= 1)
                neu.richtung = wert;
            else if (o.hasMatch() && art == u"func" && paar && wert < int(neu.funktionen.size()))
                neu.funktionen[wert] = o.captured(3).toInt() != 0 ? 1 : 0;
            else
                return unbekannteOption(args[i].stelle);
        }
        l = neu;
        return ende(0, {}, QStringLiteral("NERROR_OK"), nl);
    }

    QTcpServer m_server;
    QMap<int, Lok> m_loks;
    bool m_strom = true;
    bool m_alt;
    bool m_stromGeaendert = false; // by the command being answered
    bool m_stumm = false;
    QList<QTcpSocket *> m_verbindungen;
    QSet<QTcpSocket *> m_beobachter; // clients told of each change of the power
    QTcpSocket *m_fragender = nullptr; // the client whose command is being answered
    QList<std::pair<double, QString>> m_zeitplan;
    trabolin::sim::Gleise<int> m_gleise; // by the locomotives' IDs
    QElapsedTimer m_uhr;
    QTimer m_streckenuhr;   // to the next contact's edge on any track
    quint32 m_s88 = 0;      // the ports of module 100, bit 0 port 1
    QSet<QTcpSocket *> m_s88Beobachter; // clients told of each change of module 100
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

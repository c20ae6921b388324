#include "sim/ecos/EcosDekodierer.h"

#include <QRegularExpression>

#include <utility>

namespace trabolin::sim {

namespace {

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

// A slow reader may find two packets in one read: each command ends with the
// bracket that closes its first one, so the piece is split there.
QList<QByteArray> befehle(const QByteArray &stueck)
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

} // namespace

EcosDekodierer::EcosDekodierer(bool alt) : m_alt(alt)
{
    const char *namen[] = {"BR 218", "V 200", "Köf II", "ICE 3"};
    for (int i = 0; i < 4; ++i)
        m_loks[1000 + i].name = QString::fromUtf8(namen[i]);
}

void EcosDekodierer::verbunden(const QString &client)
{
    if (!m_verbindungen.contains(client))
        m_verbindungen.append(client);
}

void EcosDekodierer::getrennt(const QString &client)
{
    m_beobachter.remove(client);
    m_s88Beobachter.remove(client);
    m_verbindungen.removeAll(client);
}

EcosErgebnis EcosDekodierer::verarbeite(const QByteArray &stueck, const QString &client, qint64 jetztMs)
{
    EcosErgebnis e;
    m_fragender = client;
    if (m_stumm) {
        drucke(e, QString::fromLatin1(stueck).trimmed(), QStringLiteral("stumm"), QStringLiteral("keine Antwort"));
        return e;
    }
    melde(m_gleise.rueckeVor(jetztMs), e);
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
            e.sendungen.append({client, beantworte(QString::fromLatin1(einzeln), mitZeilenende, e).toUtf8()});
            // A change of the power is reported after the reply that made it.
            if (std::exchange(m_stromGeaendert, false))
                meldeStrom(e);
            // Each command reaches the tracks before the next one: the first
            // locomotive set running gets the first track.
            aufStrecke(jetztMs, e);
        }
    }
    return e;
}

EcosErgebnis EcosDekodierer::anlage(const QString &aktion, qint64 jetztMs)
{
    EcosErgebnis e = bewege(jetztMs);
    schalteAnlage(aktion, e);
    aufStrecke(jetztMs, e);
    return e;
}

EcosErgebnis EcosDekodierer::bewege(qint64 jetztMs)
{
    EcosErgebnis e;
    melde(m_gleise.rueckeVor(jetztMs), e);
    return e;
}

void EcosDekodierer::schalteAnlage(const QString &aktion, EcosErgebnis &e)
{
    if (aktion == u"aus")
        setzeStrom(false, QStringLiteral("Stopp-Taste"), e);
    else if (aktion == u"an")
        setzeStrom(true, QStringLiteral("Go-Taste"), e);
    else if (aktion == u"kurzschluss")
        setzeStrom(false, QStringLiteral("Kurzschluss"), e);
    else if (aktion == u"stumm" || aktion == u"antworten") {
        m_stumm = aktion == u"stumm";
        drucke(e, aktion, m_stumm ? QStringLiteral("keine Antworten mehr") : QStringLiteral("antwortet wieder"), {});
    } else if (aktion == u"flut") {
        // A flood of events that change nothing: the program must stay responsive.
        drucke(e, aktion, QStringLiteral("%1 Meldungen").arg(flutMeldungen), {});
        sendeEreignis(m_beobachter, 1, statuszeile(), e, flutMeldungen);
    } else if (aktion == u"trennen") {
        drucke(e, aktion, QStringLiteral("%1 Verbindung(en) getrennt").arg(m_verbindungen.size()), {});
        e.trennen = true;
    } else {
        e.hinweis = QStringLiteral("Befehle: aus, an, kurzschluss, stumm, antworten, trennen, flut");
    }
}

// The tracks follow the locomotives: their speed of 127, dir[0] forwards, standing
// without power.
void EcosDekodierer::aufStrecke(qint64 jetztMs, EcosErgebnis &e)
{
    for (auto it = m_loks.cbegin(); it != m_loks.cend(); ++it)
        melde(m_gleise.setzeFahrt(it.key(), m_strom ? it->fahrstufe / 127.0 : 0.0, it->richtung == 0, jetztMs), e);
}

QString EcosDekodierer::s88Zeile() const
{
    return QStringLiteral("%1 state[0x%2]").arg(s88Modul).arg(m_s88, 0, 16);
}

// Each change of a contact: port n of module 100, an event to those who asked for it.
void EcosDekodierer::melde(const QList<Gleise<int>::Wechsel> &wechsel, EcosErgebnis &e)
{
    for (const auto &[id, ort, w] : wechsel) {
        if (w.nummer < 1 || w.nummer > 16)
            continue;
        const quint32 bit = 1u << (w.nummer - 1);
        m_s88 = w.belegt ? m_s88 | bit : m_s88 & ~bit;
        drucke(e, QStringLiteral("Strecke: Lok %1 bei %2 mm").arg(id).arg(qRound(ort)),
               QStringLiteral("Kontakt %1 %2").arg(w.nummer).arg(w.belegt ? QStringLiteral("belegt") : QStringLiteral("frei")),
               m_stumm ? QString() : QStringLiteral("EVENT ") + s88Zeile());
        if (!m_stumm)
            sendeEreignis(m_s88Beobachter, s88Modul, s88Zeile(), e);
    }
}

void EcosDekodierer::drucke(EcosErgebnis &e, const QString &befehl, const QString &zustand, const QString &ende)
{
    e.zeilen << QStringLiteral("%1 -> %2 [%3]").arg(befehl, zustand, ende);
}

QString EcosDekodierer::stromzustand() const
{
    return m_strom ? QStringLiteral("strom=an") : QStringLiteral("strom=aus");
}
QString EcosDekodierer::statuszeile() const
{
    return m_strom ? QStringLiteral("1 status[GO]") : QStringLiteral("1 status[STOP]");
}

void EcosDekodierer::setzeStrom(bool an, const QString &anlass, EcosErgebnis &e)
{
    const bool geaendert = m_strom != an;
    m_strom = an;
    drucke(e, anlass, stromzustand(), geaendert && !m_stumm ? QStringLiteral("EVENT ") + statuszeile() : QString());
    if (geaendert)
        meldeStrom(e);
}

// The event of object 1 to every client that asked for it.
void EcosDekodierer::meldeStrom(EcosErgebnis &e)
{
    if (!m_stumm)
        sendeEreignis(m_beobachter, 1, statuszeile(), e);
}

// "<EVENT id>", the object's line and "<END 0 (OK)>" to each client of `an`, `mal`
// times over.
void EcosDekodierer::sendeEreignis(const QSet<QString> &an, int objekt, const QString &zeile, EcosErgebnis &e,
                                   int mal) const
{
    const QByteArray ereignis = QStringLiteral("<EVENT %1>\n%2\n<END 0 (OK)>\n").arg(objekt).arg(zeile).toUtf8();
    for (const QString &client : m_verbindungen) // in the order they connected
        if (an.contains(client))
            e.sendungen.append({client, ereignis.repeated(mal)});
}

QString EcosDekodierer::ende(int nummer, const QString &neu, const QString &alt, bool mitZeilenende) const
{
    if (nummer == 0 && !m_alt)
        return mitZeilenende ? QStringLiteral("<END 0 (OK)>\n")
                             : QStringLiteral("<END 0 (OK, but no newline after packet)>\n");
    return QStringLiteral("<END %1 (%2)>\n").arg(nummer).arg(m_alt ? alt : neu);
}

QString EcosDekodierer::beantworte(const QString &befehl, bool mitZeilenende, EcosErgebnis &e)
{
    QString zeilen;
    int lok = -1;
    const QString endzeile = fuehreAus(befehl.trimmed(), mitZeilenende, zeilen, lok);
    QString zustand;
    if (lok >= 0 && m_loks.contains(lok)) {
        const EcosLok &l = m_loks[lok];
        zustand = QStringLiteral("%1 speed=%2 dir=%3 licht=%4 f1=%5 f2=%6 f3=%7 f4=%8 kontrolle=%9")
                      .arg(lok).arg(l.fahrstufe).arg(l.richtung).arg(l.funktionen[0])
                      .arg(l.funktionen[1]).arg(l.funktionen[2]).arg(l.funktionen[3])
                      .arg(l.funktionen[4]).arg(l.kontrolle ? 1 : 0);
        if (!m_strom) // the ECoS keeps the speed and sends it when the power returns
            zustand += QStringLiteral(" strom=aus");
    } else {
        zustand = stromzustand();
    }
    drucke(e, befehl, zustand, endzeile.trimmed().mid(1).chopped(1));
    return QStringLiteral("<REPLY ") + befehl + QStringLiteral(">\n") + zeilen + endzeile;
}

QString EcosDekodierer::fuehreAus(const QString &befehl, bool nl, QString &zeilen, int &lok)
{
    static const QRegularExpression form(QStringLiteral("^(\\w+)\\s*\\((.*)\\)$"));
    const auto m = form.match(befehl);
    if (!m.hasMatch())
        return ende(10, QStringLiteral("unknown command"), QStringLiteral("NERROR_UNKNOWNCOMMAND"), nl);
    const QString name = m.captured(1);
    const QList<Argument> args = argumente(befehl, m.capturedStart(2), m.capturedEnd(2));
    auto unbekanntesObjekt = [&](qsizetype stelle) {
        return ende(15, QStringLiteral("unknown object at %1").arg(stelle), QStringLiteral("NERROR_UNKNOWNID"), nl);
    };
    auto unbekannteOption = [&](qsizetype stelle) {
        return ende(11, QStringLiteral("unknown option at %1").arg(stelle), QStringLiteral("NERROR_UNKNOWNOPTION"), nl);
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
    if (zahl && id == s88Modul && (name == u"request" || name == u"release" || name == u"get")) {
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
                zeile += args[i].text == u"name" ? QStringLiteral(" name[\"%1\"]").arg(it->name)
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
    EcosLok &l = m_loks[id];
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
    EcosLok neu = l;
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

} // namespace trabolin::sim

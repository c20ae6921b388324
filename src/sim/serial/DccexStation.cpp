#include "sim/serial/DccexStation.h"

#include <algorithm>

namespace trabolin::sim {

namespace {

bool nurLeerraum(const QByteArray &bytes)
{
    return bytes.trimmed().isEmpty();
}

// A whole decimal number, an optional minus in front; nothing else.
std::optional<int> ganzzahl(const QByteArray &feld)
{
    const qsizetype ziffernAb = feld.startsWith('-') ? 1 : 0;
    if (feld.size() <= ziffernAb || feld.size() > ziffernAb + 6)
        return std::nullopt;
    for (qsizetype i = ziffernAb; i < feld.size(); ++i)
        if (feld[i] < '0' || feld[i] > '9')
            return std::nullopt;
    return feld.toInt();
}

} // namespace

DccexStation::DccexStation(qint64 startdauerMs) : m_startdauerMs(startdauerMs) {}

DccexSchritt DccexStation::starte(qint64 zeitMs)
{
    m_jetztMs = zeitMs;
    m_startBis = zeitMs + m_startdauerMs;
    m_befehl.clear();
    m_verworfen.clear();
    m_gleis = m_prog = m_join = false;
    m_haengt = false; // a reset ends the hang
    m_loks.clear();
    m_gleise.halteAlle(zeitMs); // the locomotives stop where they are, each on its track
    DccexSchritt schritt;
    melde(schritt, QStringLiteral("Start: die Zentrale bootet %1 ms, Gleis aus").arg(m_startdauerMs));
    return schritt;
}

std::optional<qint64> DccexStation::frist() const
{
    const qint64 ms = m_gleise.msBisWechsel();
    if (ms < 0)
        return m_startBis;
    return std::min(m_startBis.value_or(m_jetztMs + ms), m_jetztMs + ms);
}

void DccexStation::bewegeStrecke(DccexSchritt &schritt)
{
    meldeSensoren(m_gleise.rueckeVor(m_jetztMs), schritt);
}

void DccexStation::meldeSensoren(const QList<Gleise<int>::Wechsel> &wechsel, DccexSchritt &schritt)
{
    for (const auto &[adresse, ort, w] : wechsel) {
        // Sensor::checkAll: each change to every client, once the station runs.
        const QByteArray meldung = QByteArray(w.belegt ? "<Q " : "<q ") + QByteArray::number(w.nummer) + ">";
        if (!m_haengt && !m_startBis)
            schritt.antwort += meldung + '\n';
        melde(schritt, QStringLiteral("Kontakt    %1 %2, Meldung %3")
                           .arg(w.nummer)
                           .arg(w.belegt ? QStringLiteral("belegt") : QStringLiteral("frei"), QString::fromLatin1(meldung))
                           + streckenzusatz(adresse, ort));
    }
}

QByteArray DccexStation::sensorstaende() const
{
    // Sensor::printAll: "<Q id>" active, "<q id>" inactive.
    QByteArray r;
    for (const Kontaktort &k : m_gleise.kontakte())
        r += QByteArray(m_gleise.belegt(k.nummer) ? "<Q " : "<q ") + QByteArray::number(k.nummer) + ">\n";
    return r;
}

DccexSchritt DccexStation::ticke(qint64 zeitMs)
{
    m_jetztMs = zeitMs;
    DccexSchritt schritt;
    bewegeStrecke(schritt);
    if (m_startBis && zeitMs >= *m_startBis) {
        m_startBis.reset();
        melde(schritt, QStringLiteral("bereit"));
    }
    return schritt;
}

DccexSchritt DccexStation::anlage(const QString &aktion, qint64 zeitMs)
{
    m_jetztMs = zeitMs;
    DccexSchritt schritt;
    if (aktion == u"haengen") {
        // A firmware that hangs: the network link stays open, nothing is answered.
        m_haengt = true;
        m_befehl.clear();
        melde(schritt, QStringLiteral("Anlage     Zentrale hängt: die Verbindung bleibt offen, keine Antwort mehr"));
        return schritt;
    }
    if (m_haengt)
        return schritt; // a hung station does nothing, on the layout either
    if (aktion == u"flut") {
        for (int i = 0; i < 2000; ++i)
            schritt.antwort += m_gleis ? "<* Strom 120mA *>\n<p1>\nRauschen\xFF\x07\n" : "<* Strom 0mA *>\n<p0>\n\xFF\x07\n";
        melde(schritt, QStringLiteral("Anlage     Flut: 2000 Meldungen und Rauschen"));
        return schritt;
    }
    if (aktion == u"kurzschluss") {
        // The firmware switches the output off, says so only in a diagnostic line, and
        // switches it on again after its pause without a broadcast.
        schritt.antwort += QByteArray(ueberlast) + '\n';
        melde(schritt, QStringLiteral("Anlage     Kurzschluss: Gleis A überlastet, nach 40 ms wieder an, Meldung %1")
                           .arg(QLatin1String(ueberlast)));
        return schritt;
    }
    const bool an = aktion == u"an" || aktion == u"prog-an";
    if (aktion.startsWith(u"prog-")) {
        m_prog = an;
    } else {
        m_gleis = m_prog = an;
        m_join = m_join && an;
    }
    schritt.antwort += stromRundruf();
    melde(schritt, QStringLiteral("Anlage     Hand: Gleis %1, Programmiergleis %2, Rundruf %3")
                       .arg(anAus(m_gleis), anAus(m_prog), lesbar(stromRundruf())));
    return schritt;
}

std::optional<DccexLok> DccexStation::lok(int adresse) const
{
    const auto it = m_loks.constFind(adresse);
    if (it == m_loks.constEnd())
        return std::nullopt;
    return *it;
}

void DccexStation::melde(DccexSchritt &schritt, const QString &text, bool fehler)
{
    schritt.ereignisse.append({m_jetztMs, fehler, text});
}

void DccexStation::meldeVerworfenes(DccexSchritt &schritt)
{
    if (!nurLeerraum(m_verworfen))
        melde(schritt, QStringLiteral("FEHLER: Text außerhalb von <...> übersprungen: \"%1\"")
                           .arg(lesbar(m_verworfen.trimmed())),
              true);
    m_verworfen.clear();
}

DccexSchritt DccexStation::fuettere(const QByteArray &bytes, qint64 zeitMs)
{
    DccexSchritt schritt = ticke(zeitMs);
    if (m_haengt) {
        if (!bytes.isEmpty())
            melde(schritt, QStringLiteral("hängt, nichts beantwortet: \"%1\"").arg(lesbar(bytes)));
        return schritt;
    }
    if (m_startBis) {
        if (!bytes.isEmpty())
            melde(schritt, QStringLiteral("verloren, die Zentrale bootet noch: \"%1\"").arg(lesbar(bytes)));
        return schritt;
    }
    for (const char c : bytes) {
        if (m_befehl.isEmpty()) {
            // Between commands the station skips everything; line ends are expected.
            if (c == '<') {
                meldeVerworfenes(schritt);
                m_befehl = "<";
            } else if (c == '\n' || c == '\r') {
                meldeVerworfenes(schritt);
            } else {
                m_verworfen += c;
                if (m_verworfen.size() >= laengsterBefehl)
                    meldeVerworfenes(schritt);
            }
            continue;
        }
        if (c == '<') { // the station starts over at every "<"
            melde(schritt, QStringLiteral("FEHLER: Befehl ohne Ende: \"%1\"").arg(lesbar(m_befehl)), true);
            m_befehl = "<";
            continue;
        }
        m_befehl += c;
        if (c == '>') {
            const QByteArray text = m_befehl;
            m_befehl.clear();
            befehl(text, schritt);
        } else if (m_befehl.size() >= laengsterBefehl) {
            melde(schritt, QStringLiteral("FEHLER: Befehl ohne Ende: \"%1\"").arg(lesbar(m_befehl)), true);
            m_befehl.clear();
        }
    }
    return schritt;
}

QString DccexStation::zustand(const DccexLok &lok) const
{
    QString text = QStringLiteral("Lok %1: ").arg(lok.adresse);
    text += lok.nothalt ? QStringLiteral("Nothalt") : QStringLiteral("Fahrstufe %1").arg(lok.fahrstufe);
    text += lok.vorwaerts ? QStringLiteral(" vorwärts") : QStringLiteral(" rückwärts");
    text += QStringLiteral(" | Licht %1").arg(anAus(lok.f[0]));
    for (int i = 1; i <= 4; ++i)
        text += QStringLiteral(" F%1 %2").arg(i).arg(anAus(lok.f[i]));
    return text + QStringLiteral(" | Gleis %1").arg(anAus(m_gleis));
}

QByteArray DccexStation::stromRundruf() const
{
    QByteArray r = QByteArray("<p") + (m_gleis ? '1' : '0') + " A>\n<p" + (m_prog ? '1' : '0') + " B>\n";
    if (m_join) {
        r += "<p1 JOIN>\n";
    } else {
        if (m_gleis)
            r += "<p1 MAIN>\n";
        if (m_prog)
            r += "<p1 PROG>\n";
    }
    if (m_gleis == m_prog)
        r += m_gleis ? "<p1>\n" : "<p0>\n";
    return r;
}

// One whole command "<...>": the opcode is its first character, the parameters follow
// separated by blanks.
void DccexStation::befehl(const QByteArray &text, DccexSchritt &schritt)
{
    const QString roh = lesbar(text).leftJustified(15) + u' ';
    const QByteArray innen = text.mid(1, text.size() - 2).trimmed();
    const char opcode = innen.isEmpty() ? '\0' : innen[0];
    const QByteArray parameter = innen.mid(1).simplified();
    const QList<QByteArray> teile = parameter.isEmpty() ? QList<QByteArray>{} : parameter.split(' ');

    if (opcode == 's' && teile.isEmpty()) {
        // DCCEXParser.cpp: the version line first, then the power broadcast.
        schritt.antwort += QByteArray(kennung) + '\n';
        schritt.antwort += stromRundruf();
        schritt.antwort += sensorstaende();
        melde(schritt, roh + QStringLiteral("Status: Gleis %1").arg(anAus(m_gleis)));
        return;
    }
    if (opcode == '#' && teile.isEmpty()) {
        // DCCEXParser.cpp: the number of locomotive slots, "<# %d>\n" with MAX_LOCOS.
        schritt.antwort += "<# " + QByteArray::number(lokplaetze) + ">\n";
        melde(schritt, roh + QStringLiteral("Lokplätze: %1").arg(lokplaetze));
        return;
    }
    if (opcode == 'Q' && teile.isEmpty()) {
        schritt.antwort += sensorstaende();
        melde(schritt, roh + QStringLiteral("Sensoren: %1").arg(lesbar(sensorstaende()).replace(QStringLiteral("<0A>"), QStringLiteral(" "))));
        return;
    }
    if (opcode == 'S' && teile.isEmpty()) {
        // The definitions: sensor id, vpin, pull-up.
        QByteArray definitionen;
        for (const Kontaktort &k : m_gleise.kontakte())
            definitionen += "<Q " + QByteArray::number(k.nummer) + ' ' + QByteArray::number(21 + k.nummer) + " 1>\n";
        schritt.antwort += definitionen;
        melde(schritt, roh + QStringLiteral("Sensordefinitionen"));
        return;
    }
    if (opcode == '=' && teile.isEmpty()) {
        schritt.antwort += "<= A MAIN>\n<= B PROG>\n";
        melde(schritt, roh + QStringLiteral("Gleise: A MAIN, B PROG"));
        return;
    }
    if ((opcode == '0' || opcode == '1') && teile.size() <= 1) {
        const QByteArray gleis = teile.isEmpty() ? QByteArray() : teile[0].toUpper();
        if (gleis.isEmpty() || gleis == "MAIN" || gleis == "PROG" || gleis == "JOIN") {
            const bool an = opcode == '1';
            if (gleis != "PROG")
                m_gleis = an;
            if (gleis != "MAIN")
                m_prog = an;
            m_join = an && gleis == "JOIN";
            const QByteArray name = gleis.isEmpty() ? QByteArray() : ' ' + gleis;
            schritt.antwort += stromRundruf();
            melde(schritt, roh + QStringLiteral("Gleis%1 %2").arg(QString::fromLatin1(name), anAus(an)));
            return;
        }
    }
    if ((opcode == 't' || opcode == 'F') && lokbefehl(opcode, teile, schritt, roh))
        return;
    schritt.antwort += "<X>\n";
    melde(schritt, roh + QStringLiteral("FEHLER: ungültiger Befehl, Antwort <X>"), true);
}

// "<t CAB SPEED DIR>" (SPEED -1 emergency stop, 0 to 126) and "<F CAB FUNCTION 0|1>";
// both answer with the locomotive's state "<l CAB 0 SPEEDBYTE FUNCTIONMAP>".
bool DccexStation::lokbefehl(char opcode, const QList<QByteArray> &teile, DccexSchritt &schritt,
                             const QString &roh)
{
    if (teile.size() != 3)
        return false;
    const auto cab = ganzzahl(teile[0]), wert = ganzzahl(teile[1]), zustand2 = ganzzahl(teile[2]);
    if (!cab || !wert || !zustand2 || *cab < 1 || *cab > 10239 || (*zustand2 != 0 && *zustand2 != 1))
        return false;
    if (opcode == 't' ? (*wert < -1 || *wert > 126) : (*wert < 0 || *wert > 68))
        return false;

    auto it = m_loks.find(*cab);
    if (it == m_loks.end())
        it = m_loks.insert(*cab, DccexLok{*cab});
    DccexLok &lok = *it;
    if (opcode == 't') {
        lok.nothalt = *wert < 0;
        lok.fahrstufe = qMax(*wert, 0);
        lok.vorwaerts = *zustand2 == 1;
        meldeSensoren(m_gleise.setzeFahrt(lok.adresse, double(lok.fahrstufe) / 126, lok.vorwaerts, m_jetztMs), schritt);
    } else if (*wert <= 4) {
        lok.f[*wert] = *zustand2 == 1;
    }
    // The DCC speed byte: 0 stop, 1 emergency stop, steps 1 to 126 as 2 to 127; bit 7 forwards.
    const int code = lok.nothalt ? 1 : (lok.fahrstufe == 0 ? 0 : lok.fahrstufe + 1);
    int funktionen = 0;
    for (int i = 0; i <= 4; ++i)
        funktionen |= lok.f[i] ? 1 << i : 0;
    schritt.antwort += QStringLiteral("<l %1 0 %2 %3>\n")
                           .arg(lok.adresse)
                           .arg(code | (lok.vorwaerts ? 0x80 : 0))
                           .arg(funktionen)
                           .toLatin1();
    melde(schritt, roh + zustand(lok));
    return true;
}

} // namespace trabolin::sim

#include "stations/dccex/DccexBefehle.h"

#include "program/Tabelle.h"

namespace trabolin {

namespace {

QByteArray zahl(qint64 wert)
{
    return QByteArray::number(wert);
}

// Bytes as text for the reply field and the log: control characters become ".".
QString lesbar(const QByteArray &bytes)
{
    QString text = QString::fromLatin1(bytes);
    for (QChar &c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            c = u'.';
    return text;
}

bool nurLeerraum(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

// "<p0>", "<p0 MAIN>": the opcode p with the state digit, then the end or a blank.
bool istGleismeldung(const QByteArray &rahmen, char zustand)
{
    return rahmen.size() >= 4 && rahmen[1] == 'p' && rahmen[2] == zustand
           && (rahmen[3] == '>' || rahmen[3] == ' ');
}

} // namespace

bool dccexAdresseGueltig(qint64 adresse)
{
    return adresse >= dccexKleinsteAdresse && adresse <= dccexGroessteAdresse;
}

QByteArray dccexKontaktfrage()
{
    return QByteArrayLiteral("<Q>\n");
}

std::optional<Kontaktmeldung> dccexKontakt(const QByteArray &rahmen)
{
    if (rahmen.size() < 5 || (rahmen[1] != 'Q' && rahmen[1] != 'q') || rahmen[2] != ' ' || !rahmen.endsWith('>'))
        return std::nullopt;
    const QList<QByteArray> woerter = rahmen.mid(2, rahmen.size() - 3).simplified().split(' ');
    bool zahl = false;
    const int id = woerter.value(0).toInt(&zahl);
    if (woerter.size() != 1 || !zahl || id < 0)
        return std::nullopt;
    return Kontaktmeldung{id, rahmen[1] == 'Q'};
}

std::optional<QByteArray> dccexFahrbefehl(qint64 adresse, qint64 fahrstufe, const QString &einheit)
{
    if (!dccexAdresseGueltig(adresse))
        return std::nullopt;
    const qint64 stufe = qBound<qint64>(0, fahrstufe, dccexHoechsteFahrstufe);
    return "<t " + zahl(adresse) + ' ' + zahl(stufe) + (istVorwaerts(einheit) ? " 1>\n" : " 0>\n");
}

std::optional<QByteArray> dccexFunktionsbefehl(qint64 adresse, int funktion, bool an)
{
    if (!dccexAdresseGueltig(adresse))
        return std::nullopt;
    return "<F " + zahl(adresse) + ' ' + zahl(funktion) + (an ? " 1>\n" : " 0>\n");
}

QByteArray dccexPowerbefehl(bool an)
{
    return an ? QByteArrayLiteral("<1>\n") : QByteArrayLiteral("<0>\n");
}

QByteArray dccexStatusbefehl()
{
    return QByteArrayLiteral("<s>\n");
}

QByteArray dccexLebenszeichen()
{
    return QByteArrayLiteral("<#>\n");
}

DccexArt dccexArt(const QByteArray &rahmen)
{
    if (rahmen.startsWith("<iDCC-EX"))
        return DccexArt::kennung;
    if (rahmen == "<X>")
        return DccexArt::abgelehnt;
    if (istGleismeldung(rahmen, '1'))
        return DccexArt::gleisAn;
    if (istGleismeldung(rahmen, '0'))
        return DccexArt::gleisAus;
    if (rahmen.startsWith("<l "))
        return DccexArt::lok;
    if (rahmen.startsWith("<*"))
        return DccexArt::meldung;
    return DccexArt::sonstige;
}

QList<DccexAntwort> DccexZerleger::fuettere(const QByteArray &bytes)
{
    QList<DccexAntwort> aus;
    for (const char c : bytes) {
        if (m_rahmen.isEmpty()) {
            // Outside a frame: noise until the next "<"; a line end closes a piece of it.
            if (c == '<') {
                gibMuellAus(aus);
                m_rahmen = "<";
            } else if (c == '\n' || c == '\r') {
                gibMuellAus(aus);
            } else {
                m_muell += c;
                if (m_muell.size() >= laengsterRahmen)
                    gibMuellAus(aus);
            }
            continue;
        }
        // Inside a frame. A diagnostic line "<* ... *>" may hold brackets of its own.
        const bool meldung = m_rahmen.size() >= 2 && m_rahmen[1] == '*';
        if (meldung && c == '<' && (m_rahmen.endsWith('\n') || m_rahmen.endsWith('\r'))) {
            m_muell = m_rahmen; // a new frame at the start of a line: the diagnostic broke off
            gibMuellAus(aus);
            m_rahmen = "<";
            continue;
        }
        if (meldung && (c == '\n' || c == '\r')) {
            // Older firmware puts line breaks inside its diagnostic frames
            // ("<* \n*** MAIN TRACK POWER OVERLOAD ... ***\n *>").
            m_rahmen += c;
            if (m_rahmen.size() >= laengsterRahmen) {
                m_muell = m_rahmen;
                m_rahmen.clear();
                gibMuellAus(aus);
            }
            continue;
        }
        if (c == '\n' || c == '\r') {
            // A line end inside a frame: it broke off (a reset, a lost byte).
            m_muell = m_rahmen;
            m_rahmen.clear();
            gibMuellAus(aus);
            continue;
        }
        if (c == '<' && !meldung) {
            m_muell = m_rahmen; // an unfinished frame, and a new one begins
            gibMuellAus(aus);
            m_rahmen = "<";
            continue;
        }
        m_rahmen += c;
        if (c == '>' && (!meldung || (m_rahmen.size() >= 4 && m_rahmen.endsWith("*>")))) {
            aus.append({dccexArt(m_rahmen), lesbar(m_rahmen)});
            m_rahmen.clear();
        } else if (m_rahmen.size() >= laengsterRahmen) {
            m_muell = m_rahmen; // far too long for an answer: noise
            m_rahmen.clear();
            gibMuellAus(aus);
        }
    }
    return aus;
}

void DccexZerleger::leere()
{
    m_rahmen.clear();
    m_muell.clear();
}

void DccexZerleger::gibMuellAus(QList<DccexAntwort> &aus)
{
    if (!nurLeerraum(m_muell))
        aus.append({DccexArt::muell, lesbar(m_muell.trimmed())});
    m_muell.clear();
}

} // namespace trabolin

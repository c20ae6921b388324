#include "stations/dccex/DccexGleise.h"

#include <QList>
#include <QRegularExpression>

namespace trabolin {

namespace {

bool istAusgang(const QByteArray &wort)
{
    return wort.size() == 1 && wort[0] >= 'A' && wort[0] <= 'H';
}

// The words between "<" and ">" after the opcode's first character.
QList<QByteArray> woerter(const QByteArray &rahmen, qsizetype ab)
{
    return rahmen.mid(ab, rahmen.size() - ab - 1).simplified().split(' ');
}

} // namespace

QByteArray dccexGleisfrage()
{
    return QByteArrayLiteral("<=>\n");
}

std::optional<char> dccexUeberlast(const QByteArray &rahmen)
{
    if (!rahmen.startsWith("<*"))
        return std::nullopt;
    // "TRACK A POWER OVERLOAD 1200mA (max 1000mA) detected after 100ms. Pause 40ms"
    // (5.x), "TRACK 0 POWER OVERLOAD ...", "MAIN TRACK POWER OVERLOAD current=...",
    // and in older versions "*** MAIN TRACK POWER OVERLOAD ... ***" between line
    // breaks (shown as dots once read).
    static const QRegularExpression muster(
        QStringLiteral("(?:\\bTRACK\\s+([A-H0-7])|\\b(MAIN|PROG)\\s+TRACK)\\s+POWER\\s+OVERLOAD\\b"));
    const QRegularExpressionMatch m = muster.match(QString::fromLatin1(rahmen));
    if (!m.hasMatch())
        return std::nullopt;
    if (m.capturedLength(2) > 0)
        return m.captured(2) == u"MAIN" ? 'M' : 'P';
    const char ausgang = m.captured(1).at(0).toLatin1();
    return ausgang <= '7' ? char('A' + (ausgang - '0')) : ausgang;
}

void DccexGleise::vergiss()
{
    m_art.clear();
    m_strom.clear();
}

bool DccexGleise::istHauptgleis(char ausgang) const
{
    // Until "<=>" has been answered, the firmware's own start: A MAIN, B PROG.
    const QByteArray art = m_art.value(ausgang, ausgang == 'A' ? QByteArrayLiteral("MAIN") : QByteArray());
    return art.startsWith("MAIN");
}

Gleiszustand DccexGleise::hauptgleis() const
{
    for (auto it = m_strom.cbegin(); it != m_strom.cend(); ++it)
        if (!it.value() && istHauptgleis(it.key()))
            return Gleiszustand::aus;
    return Gleiszustand::an;
}

std::optional<Gleiszustand> DccexGleise::lies(const QByteArray &rahmen)
{
    if (rahmen.size() < 3 || !rahmen.startsWith('<') || !rahmen.endsWith('>'))
        return std::nullopt;
    if (rahmen[1] == '=') {
        // "<= A MAIN>", "<= B PROG>", "<= C DC 3>": which output drives which track.
        const QList<QByteArray> w = woerter(rahmen, 2);
        if (w.size() >= 2 && istAusgang(w[0]))
            m_art[w[0][0]] = w[1];
        return std::nullopt;
    }
    if (const auto ausgang = dccexUeberlast(rahmen)) {
        // The station switches the output off now and on again after its pause.
        const bool haupt = *ausgang == 'M' || (*ausgang != 'P' && istHauptgleis(*ausgang));
        return haupt ? std::optional(Gleiszustand::kurzschluss) : std::nullopt;
    }
    if (rahmen[1] != 'p' || (rahmen[2] != '0' && rahmen[2] != '1') || (rahmen[3] != '>' && rahmen[3] != ' '))
        return std::nullopt;
    const bool an = rahmen[2] == '1';
    const QList<QByteArray> w = woerter(rahmen, 3);
    const QByteArray was = w.value(0);
    if (istAusgang(was)) {
        // "<p1 A>", "<p0 B>": one output.
        m_strom[was[0]] = an;
        return istHauptgleis(was[0]) ? std::optional(hauptgleis()) : std::nullopt;
    }
    if (was.isEmpty() || was == "MAIN" || was == "JOIN") {
        // "<p0>", "<p1>": every output; "<p1 MAIN>", "<p1 JOIN>": the main track.
        QList<char> ausgaenge = m_art.keys() + m_strom.keys();
        ausgaenge << 'A' << 'B';
        for (const char a : ausgaenge)
            if (was.isEmpty() || istHauptgleis(a))
                m_strom[a] = an;
        return an ? Gleiszustand::an : Gleiszustand::aus;
    }
    return std::nullopt; // "<p0 PROG>", "<p1 PROG>": the programming track alone
}

} // namespace trabolin

#include "stations/cs2/Cs2Treiber.h"

#include "program/Zahlen.h"
#include "stations/cs2/Cs2Verbindung.h"

namespace trabolin {

Cs2Treiber::Cs2Treiber(Laufkontext &lauf, Cs2Link &link, const Lesart &lesart)
    : DccTreiber(lauf, lesart), m_link(link)
{
}

QString Cs2Treiber::bereichsHinweis(Cs2Protokoll protokoll)
{
    const Cs2Bereich b = cs2Adressbereich(protokoll);
    return tr("Die Adresse liegt außerhalb des Bereichs für %1 (%2...%3) !\n"
              "Bitte eine Adresse von %2 bis %3 eingeben oder ein anderes Protokoll wählen.")
        .arg(cs2Protokollname(protokoll))
        .arg(b.von)
        .arg(b.bis);
}

bool Cs2Treiber::sende(const QByteArray &rahmen, Wirkung wirkung)
{
    return sendeUeberLink(m_lok, wirkung, [&] { return m_link.sende(rahmen); });
}

Lok Cs2Treiber::nimmLok(const QString &text, qint16 nummer) const
{
    Lok lok{text, nummer};
    lok.fahrstufen = m_fahrstufenIndex;
    lok.protokoll = int(m_protokoll);
    return lok;
}

std::optional<quint32> Cs2Treiber::lokUidStill(const Lok &lok)
{
    return cs2LokUid(Cs2Protokoll(lok.protokoll), leseGanzzahl(lok.text, Leerzeichen::ueberall));
}

std::optional<quint32> Cs2Treiber::lokUid()
{
    const auto uid = lokUidStill(m_lok);
    if (!uid && hinweis)
        hinweis(bereichsHinweis(m_protokoll));
    return uid;
}

bool Cs2Treiber::richtungVorFahrt(quint32 uid, bool vorwaerts, bool richtungImmer) const
{
    if (richtungImmer || uid != m_richtungFuer || m_vorwaerts != vorwaerts)
        return true;
    // The station serves several controllers: its wheel or a phone may have turned the
    // locomotive since this program last told it its direction.
    const auto gemeldet = m_link.richtung(uid);
    return gemeldet && *gemeldet != vorwaerts;
}

bool Cs2Treiber::sendeRichtungUndFahrt(quint32 uid, const Programmzeile &zeile, bool richtungImmer)
{
    const quint16 h = m_link.hash();
    if (richtungVorFahrt(uid, zeile.vorwaerts, richtungImmer)) {
        if (!sende(cs2Richtungsbefehl(h, uid, zeile.vorwaerts), Wirkung::stellt))
            return false;
        m_richtungFuer = uid;
        m_vorwaerts = zeile.vorwaerts;
    }
    const quint16 wert = cs2Geschwindigkeitswert(zeile.fahrstufe, cs2HoechsteFahrstufe(m_lok.fahrstufen));
    return sende(cs2Fahrbefehl(h, uid, wert), wert > 0 ? Wirkung::faehrt : Wirkung::haelt);
}

bool Cs2Treiber::sendeFunktionen(quint32 uid, const Programmzeile &zeile)
{
    for (int f = 0; f <= 4; ++f) {
        const bool an = f == 0 ? zeile.licht : zeile.f[f - 1];
        if (!sende(cs2Funktionsbefehl(m_link.hash(), uid, f, an), an ? Wirkung::stellt : Wirkung::ruhig))
            return false;
    }
    return true;
}

bool Cs2Treiber::sendeHaltFuer(quint32 uid)
{
    return sende(cs2Fahrbefehl(m_link.hash(), uid, 0), Wirkung::haelt);
}

void Cs2Treiber::power(int index)
{
    if (m_link.verbunden())
        sende(cs2Systembefehl(m_link.hash(), index == 1 ? cs2Go : cs2Stopp), Wirkung::ruhig);
}

void Cs2Treiber::stoppeLok(const Lok &lok)
{
    // At once and straight to the link: the run is being left behind.
    if (const auto uid = lokUidStill(lok)) {
        m_lauf.durchlassen(*this, lok, Wirkung::haelt);
        m_link.sende(cs2Fahrbefehl(m_link.hash(), *uid, 0));
    }
}

Antwortwertung Cs2Treiber::bewerteAntwort(const QString &antwort) const
{
    // The link's own replies, German or in the language in effect when they were made.
    const auto beginntWie = [&antwort](const QString &muster) {
        return antwort.startsWith(muster.left(muster.indexOf(u'%')));
    };
    if (antwort.startsWith(QStringLiteral("CS2 verbunden")) || beginntWie(Cs2Verbindung::verbundenMuster()))
        return Antwortwertung::ok;
    if (antwort.startsWith(QStringLiteral("Keine Antwort")) || beginntWie(Cs2Verbindung::keineAntwortMuster()))
        return Antwortwertung::fehler;
    return Antwortwertung::keine;
}

// ---------------------------------------------------------------- run and single line

void Cs2Treiber::beginnePass(bool neuerLauf)
{
    if (neuerLauf)
        m_vorwaerts.reset();
}

bool Cs2Treiber::beginneZeile()
{
    m_zeilenUid = lokUid();
    return m_zeilenUid.has_value();
}

QCoro::Task<bool> Cs2Treiber::sendeFahrt(const Programmzeile &zeile, bool einzeln)
{
    const auto uid = einzeln ? m_zeilenUid : lokUid();
    if (!uid || !sendeRichtungUndFahrt(*uid, zeile, einzeln))
        co_return false;
    co_await pausiere(pausen(einzeln));
    co_return sendeFunktionen(*uid, zeile);
}

bool Cs2Treiber::sendePassende(const QString &)
{
    const auto uid = lokUid();
    return uid && sendeHaltFuer(*uid);
}

bool Cs2Treiber::sendeHalt()
{
    return sendePassende({});
}

bool Cs2Treiber::sendeZeilenende(const Programmzeile &)
{
    return m_zeilenUid && sendeHaltFuer(*m_zeilenUid);
}

} // namespace trabolin

#include "stations/ecos/EcosTreiber.h"

#include "program/Zahlen.h"
#include "stations/ecos/EcosBefehle.h"

namespace trabolin {

namespace {

EcosFunktionszellen funktionszellen(const Tabellenspeicher &t, int zeile)
{
    return {t.zelle(zeile, 4), t.zelle(zeile, 5), t.zelle(zeile, 6), t.zelle(zeile, 7), t.zelle(zeile, 8)};
}

} // namespace

EcosTreiber::EcosTreiber(Ablauf &ablauf, EcosLink &link) : m_ablauf(ablauf), m_link(link) {}

bool EcosTreiber::sende(const QString &text)
{
    if (m_ablauf.beendet())
        return false; // the window closes: the stop has gone out and nothing may follow it
    if (m_link.sende(text))
        return true;
    if (nichtVerbunden)
        nichtVerbunden();
    return false;
}

bool EcosTreiber::sendeFahrt(const QString &einheit, const QString &funktionen, const QString &fahrstufe)
{
    if (!sende(ecosRichtung(m_ecosId, einheit)))
        return false;
    m_ablauf.subWarten(100);
    if (!sende(funktionen))
        return false;
    m_ablauf.subWarten(100);
    return sende(ecosFahrstufe(m_ecosId, fahrstufe));
}

void EcosTreiber::power(int index)
{
    if (m_link.verbunden())
        sende(ecosPower(index));
}

void EcosTreiber::stoppBeimSchliessen()
{
    if (!m_ecosId.isNull())
        m_link.sende(ecosStopp(m_ecosId));
}

bool EcosTreiber::uebernehmeKontrolle()
{
    m_ecosId = m_ablauf.bedienfeld().adresseText();
    if (!sende(ecosKontrolle(m_ecosId)))
        return false;
    m_ablauf.subWarten(200);
    return sende(ecosKontrolle(m_ecosId));
}

// ---------------------------------------------------------------- run and single line

bool EcosTreiber::fahreProgramm() { return Fahrbefehl_Ecos(); }

bool EcosTreiber::Fahrbefehl_Ecos()
{
    Tabellenspeicher &tabelle = m_ablauf.tabelle();
    Laufzustand &z = m_ablauf.zustand();
    int startzeile = tabelle.aktuelleZeile();

    for (;;) {
        z.stopp = false;
        m_ecosId = m_ablauf.bedienfeld().adresseText(); // fixed for the pass
        bool gefahren = false;
        for (int zeile = startzeile; zeile <= anzahlZeilen; ++zeile) {
            const QString dauerText = tabelle.zelle(zeile, 1);
            if (dauerText.isEmpty())
                break;
            const qint64 dauer = leseGanzzahl(dauerText, Leerzeichen::ueberall);
            if (dauer <= 0)
                continue;
            if (z.stopp)
                return sende(ecosStopp(m_ecosId));
            tabelle.setzeAktuelleZeile(zeile);
            const QString einheit = tabelle.zelle(zeile, 2);
            const QString fahrstufe = ecosFahrstufentext(tabelle.zelle(zeile, 3));
            if (!sendeFahrt(einheit, ecosFunktionen(m_ecosId, funktionszellen(tabelle, zeile)), fahrstufe))
                return false;
            m_ablauf.subWarten(wartezeitMs(dauer, einheit));
            if (m_ablauf.beendet())
                return false;
            m_ablauf.aktualisiereLaufzeit();
            gefahren = true;
        }
        // The pass ends with the locomotive at speed 0: at an empty Dauer, and also
        // after a full table.
        if (!sende(ecosStopp(m_ecosId)))
            return false;

        if (!m_ablauf.naechsterPass(gefahren))
            return !m_ablauf.beendet();
        startzeile = 1;
    }
}

bool EcosTreiber::sendeZeile()
{
    Tabellenspeicher &t = m_ablauf.tabelle();
    const int zeile = t.aktuelleZeile();
    m_ecosId = m_ablauf.bedienfeld().adresseText();
    const qint64 dauer = leseGanzzahl(t.zelle(zeile, 1));
    const QString einheit = t.zelle(zeile, 2);
    const QString fahrstufe = ecosFahrstufentext(t.zelle(zeile, 3));
    t.setzeAktuelleZeile(zeile);

    if (!sendeFahrt(einheit, ecosFunktionenEinzeln(m_ecosId, funktionszellen(t, zeile)), fahrstufe))
        return false;
    m_ablauf.subWarten(wartezeitMs(dauer, einheit));
    if (!sende(ecosStopp(m_ecosId)))
        return false;
    m_ablauf.aktualisiereLaufzeit();
    return true;
}

} // namespace trabolin

#include "program/Messlauf.h"

#include "program/Ablauf.h"
#include "program/Zentralentreiber.h"

#include <QRegularExpression>

#include <algorithm>

namespace trabolin {

namespace {

double mittel(const QList<double> &werte)
{
    if (werte.isEmpty())
        return 0;
    double summe = 0;
    for (const double w : werte)
        summe += w;
    return summe / double(werte.size());
}

double spanne(const QList<double> &werte)
{
    const double m = mittel(werte);
    if (werte.size() < 2 || m <= 0)
        return 0;
    const auto [klein, gross] = std::minmax_element(werte.begin(), werte.end());
    return (*gross - *klein) / m * 100.0;
}

// A line that drives at `stufe`: "S" forwards, "s" backwards where the unit is the
// direction; on the 6051 path the locomotive keeps its own.
Programmzeile fahrzeile(int stufe, bool vorwaerts)
{
    Programmzeile z;
    z.faehrt = true;
    z.einheit = vorwaerts ? QStringLiteral("S") : QStringLiteral("s");
    z.vorwaerts = vorwaerts;
    z.fahrstufe = stufe;
    z.fahrstufeText = QString::number(stufe);
    z.stufe = stufe;
    return z;
}

Programmzeile richtungswechsel()
{
    Programmzeile z;
    z.faehrt = true;
    z.einheit = QStringLiteral("F");
    z.richtungswechsel = true;
    z.stufe = 0;
    return z;
}

} // namespace

double Messzeile::mittelVor() const { return mittel(vorwaerts); }
double Messzeile::mittelRueck() const { return mittel(rueckwaerts); }
double Messzeile::streuung() const { return qMax(spanne(vorwaerts), spanne(rueckwaerts)); }

Messlauf::Messlauf(Ablauf &ablauf, QObject *parent) : QObject(parent), m_ablauf(ablauf) {}

std::optional<QList<int>> Messlauf::leseStufen(const QString &text, int hoechste)
{
    static const QRegularExpression trenner(QStringLiteral("[,;\\s]+"));
    QList<int> stufen;
    for (const QString &teil : text.split(trenner, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int s = teil.toInt(&ok);
        if (!ok || s < 1 || s > hoechste)
            return std::nullopt;
        stufen.append(s);
    }
    std::sort(stufen.begin(), stufen.end());
    stufen.erase(std::unique(stufen.begin(), stufen.end()), stufen.end());
    if (stufen.isEmpty())
        return std::nullopt;
    return stufen;
}

QList<int> Messlauf::vorgabeStufen(int hoechste)
{
    QList<int> stufen;
    for (int i = 1; i <= 8; ++i) {
        const int s = qMax(1, int(std::lround(double(hoechste) * i / 8.0)));
        if (stufen.isEmpty() || stufen.last() != s)
            stufen.append(s);
    }
    return stufen;
}

QString Messlauf::pruefe(const Messauftrag &a)
{
    if (a.kontaktA < 1 || a.kontaktB < 1)
        return tr("Bitte bei \"Kontakt A\" und \"Kontakt B\" die Nummern der beiden Kontakte eintragen.");
    if (a.kontaktA == a.kontaktB)
        return tr("\"Kontakt A\" und \"Kontakt B\" müssen zwei verschiedene Kontakte sein.");
    if (a.abstandMm < 1)
        return tr("Bitte bei \"Abstand (mm)\" die Strecke zwischen den beiden Kontakten in mm eintragen.");
    if (a.stufen.isEmpty())
        return tr("Bitte bei \"Fahrstufen\" die zu messenden Fahrstufen eintragen, zum Beispiel "
                  "\"8, 16, 32, 64, 126\".");
    if (a.durchlaeufe < 1)
        return tr("Bitte bei \"Durchläufe\" mindestens 1 eintragen.");
    return {};
}

void Messlauf::starte(const Messauftrag &auftrag)
{
    if (m_laeuft)
        return;
    m_auftrag = auftrag;
    m_zeilen.clear();
    for (const int s : auftrag.stufen)
        m_zeilen.append(Messzeile{s, {}, {}});
    m_meldung.clear();
    m_vollstaendig = false;
    m_laeuft = true;
    m_schluessel = m_ablauf.profilschluessel(m_ablauf.aktiveOption());
    [](Messlauf *self) -> QCoro::Task<> {
        co_await self->m_ablauf.fahreMessung(
            [self](Zentralentreiber &t, Lok lok) { return self->messe(t, std::move(lok)); });
        self->m_laeuft = false;
        emit self->beendet(self->m_vollstaendig, self->m_meldung);
    }(this);
}

void Messlauf::abbrechen()
{
    m_ablauf.halteAn();
}

QCoro::Task<> Messlauf::messe(Zentralentreiber &treiber, Lok lok)
{
    m_vorwaerts = true;
    for (int i = 0; i < m_zeilen.size(); ++i) {
        Messzeile &z = m_zeilen[i];
        for (int runde = 0; runde < 2; ++runde) {
            z.vorwaerts.clear();
            z.rueckwaerts.clear();
            for (int d = 0; d < m_auftrag.durchlaeufe; ++d) {
                for (const bool vorwaerts : {true, false}) {
                    const std::optional<double> v = co_await fahrt(treiber, lok, z.stufe, vorwaerts);
                    if (!v)
                        co_return;
                    (vorwaerts ? z.vorwaerts : z.rueckwaerts).append(*v);
                    emit zeileGeaendert(i);
                }
            }
            if (z.streuung() <= hoechsteStreuung)
                break;
            if (runde == 0)
                z.wiederholt = true;
            else
                z.unruhig = true;
        }
        z.fertig = true;
        if (i > 0) {
            const Messzeile &unten = m_zeilen[i - 1];
            z.langsamer = z.mittelVor() < unten.mittelVor() || z.mittelRueck() < unten.mittelRueck();
        }
        emit zeileGeaendert(i);
    }
    m_vollstaendig = true;
}

QCoro::Task<std::optional<double>> Messlauf::fahrt(Zentralentreiber &treiber, const Lok &lok, int stufe,
                                                   bool vorwaerts)
{
    using Art = Ablauf::Kontaktankunft::Art;
    const int ein = vorwaerts ? m_auftrag.kontaktA : m_auftrag.kontaktB;
    const int aus = vorwaerts ? m_auftrag.kontaktB : m_auftrag.kontaktA;
    if (treiber.wechseltRichtungEigens() && m_vorwaerts != vorwaerts) {
        if (!co_await treiber.fahreLok(lok, richtungswechsel()))
            co_return std::nullopt;
    }
    m_vorwaerts = vorwaerts;
    // Reports from the moment the command goes out count: it may take its pauses.
    qint64 seit = m_ablauf.betrieb().zeit().monotonMs();
    if (!co_await treiber.fahreLok(lok, fahrzeile(stufe, vorwaerts)))
        co_return std::nullopt;
    const int grenzeMs = m_ablauf.kontaktZeitgrenze() * 1000;
    // Through the first contact, through the second, and on until it is free again.
    const std::pair<int, bool> schritte[] = {{ein, true}, {aus, true}, {aus, false}};
    qint64 zeiten[2] = {};
    for (int s = 0; s < 3; ++s) {
        const Ablauf::Kontaktankunft a =
            co_await m_ablauf.warteAufKontakt(schritte[s].first, schritte[s].second, grenzeMs, seit);
        if (a.art == Art::gemeldet) {
            if (s < 2)
                zeiten[s] = a.ms;
            seit = a.ms;
            continue;
        }
        if (a.art == Art::zeitgrenze) {
            treiber.stoppeLok(lok);
            // One whole sentence for each case, so that a translation can word each as it needs.
            const bool belegt = schritte[s].second;
            const QString muster =
                belegt ? (vorwaerts ? tr("Kontakt %1 hat sich nicht innerhalb von %2 s als belegt gemeldet "
                                         "(Fahrstufe %3, vorwärts).\nDie Messung ist beendet, die Lok angehalten.")
                                    : tr("Kontakt %1 hat sich nicht innerhalb von %2 s als belegt gemeldet "
                                         "(Fahrstufe %3, rückwärts).\nDie Messung ist beendet, die Lok angehalten."))
                       : (vorwaerts ? tr("Kontakt %1 hat sich nicht innerhalb von %2 s als frei gemeldet "
                                         "(Fahrstufe %3, vorwärts).\nDie Messung ist beendet, die Lok angehalten.")
                                    : tr("Kontakt %1 hat sich nicht innerhalb von %2 s als frei gemeldet "
                                         "(Fahrstufe %3, rückwärts).\nDie Messung ist beendet, die Lok angehalten."));
            m_meldung = muster.arg(schritte[s].first).arg(m_ablauf.kontaktZeitgrenze()).arg(stufe);
        }
        co_return std::nullopt;
    }
    treiber.stoppeLok(lok);
    const qint64 ms = zeiten[1] - zeiten[0];
    co_return ms > 0 ? double(m_auftrag.abstandMm) * 1000.0 / double(ms) : 0.0;
}

Lokprofil Messlauf::profil() const
{
    Lokprofil p{m_schluessel, QDate::currentDate(), m_auftrag.abstandMm, m_auftrag.massstab, {}};
    for (const Messzeile &z : m_zeilen)
        if (z.fertig)
            p.setzePunkt({z.stufe, z.mittelVor(), z.mittelRueck()});
    return p;
}

} // namespace trabolin

#include "program/Fahrbetrieb.h"

#include "program/Ablauf.h"

#include <algorithm>

namespace trabolin {

namespace {

qint64 wechselSchluessel(int option, int nummer, bool belegt)
{
    return (qint64(option) << 33) | (qint64(quint32(nummer)) << 1) | (belegt ? 1 : 0);
}

} // namespace

// The reporting point of one station: its reports carry its option.
class Fahrbetrieb::Melder : public Gleismelder {
public:
    Melder(Fahrbetrieb &betrieb, int option) : m_betrieb(betrieb), m_option(option) {}
    void meldeGleiszustand(Gleiszustand zustand) override { m_betrieb.meldeGleis(m_option, zustand); }
    void meldeKontakt(int nummer, bool belegt) override { m_betrieb.meldeKontakt(m_option, nummer, belegt, true); }
    void meldeKontaktstand(int nummer, bool belegt) override
    {
        m_betrieb.meldeKontakt(m_option, nummer, belegt, false);
    }

private:
    Fahrbetrieb &m_betrieb;
    int m_option;
};

Fahrbetrieb::Fahrbetrieb(Zeitbasis &zeit, QObject *parent) : QObject(parent), m_zeit(zeit) {}

Fahrbetrieb::~Fahrbetrieb() = default;

void Fahrbetrieb::nimmAuf(Ablauf &programm)
{
    m_programme.push_back(&programm);
}

void Fahrbetrieb::gibAb(Ablauf &programm)
{
    std::erase(m_programme, &programm);
}

int Fahrbetrieb::nummerVon(const Ablauf &programm) const
{
    const auto it = std::find(m_programme.begin(), m_programme.end(), &programm);
    return it == m_programme.end() ? 0 : int(it - m_programme.begin()) + 1;
}

int Fahrbetrieb::faehrtSchon(const Ablauf &ausser, int option, const Lok &lok) const
{
    for (const Ablauf *p : m_programme)
        if (p != &ausser && p->faehrt(option, lok))
            return nummerVon(*p);
    return 0;
}

bool Fahrbetrieb::laeuftEtwas() const
{
    return std::any_of(m_programme.begin(), m_programme.end(), [](const Ablauf *p) { return p->laeuft(); });
}

void Fahrbetrieb::alleStarten()
{
    const qint64 start = m_zeit.monotonMs();
    for (Ablauf *p : std::vector<Ablauf *>(m_programme))
        p->starteAbZeile1(start);
}

void Fahrbetrieb::stoppAlle()
{
    // A copy: a program's stop may end its run, and with it what the window does.
    for (Ablauf *p : std::vector<Ablauf *>(m_programme))
        p->stoppKlick();
}

void Fahrbetrieb::stoppAufStation(int option)
{
    for (Ablauf *p : std::vector<Ablauf *>(m_programme))
        if (p->laeuft() && p->aktiveOption() == option)
            p->stoppKlick();
}

void Fahrbetrieb::powerAus()
{
    for (Ablauf *p : std::vector<Ablauf *>(m_programme))
        p->endeDurchPowerAus();
}

void Fahrbetrieb::beenden()
{
    for (Ablauf *p : std::vector<Ablauf *>(m_programme))
        p->beenden();
}

Gleismelder &Fahrbetrieb::gleismelder(int option)
{
    option = qMax(option, 0);
    if (option >= int(m_melder.size())) {
        m_melder.resize(option + 1);
        m_gleis.resize(option + 1, Gleiszustand::unbekannt);
    }
    if (!m_melder[option])
        m_melder[option] = std::make_unique<Melder>(*this, option);
    return *m_melder[option];
}

Gleiszustand Fahrbetrieb::gleiszustand(int option) const
{
    return (option >= 0 && option < int(m_gleis.size())) ? m_gleis[option] : Gleiszustand::unbekannt;
}

std::optional<bool> Fahrbetrieb::kontaktzustand(int option, int nummer) const
{
    if (option < 0 || option >= int(m_kontakte.size()))
        return std::nullopt;
    const auto it = m_kontakte[option].constFind(nummer);
    return it == m_kontakte[option].constEnd() ? std::nullopt : std::optional<bool>(*it);
}

void Fahrbetrieb::meldeGleis(int option, Gleiszustand zustand)
{
    if (m_gleis[option] == zustand)
        return;
    m_gleis[option] = zustand;
    emit gleiszustandGeaendert(option);
    for (Ablauf *p : std::vector<Ablauf *>(m_programme))
        p->gleisGemeldet(option, zustand);
}

void Fahrbetrieb::meldeKontakt(int option, int nummer, bool belegt, bool ereignis)
{
    if (option >= int(m_kontakte.size()))
        m_kontakte.resize(option + 1);
    QHash<int, bool> &stand = m_kontakte[option];
    const auto alt = stand.constFind(nummer);
    const bool bekannt = alt != stand.constEnd();
    if (bekannt && *alt == belegt)
        return;
    stand.insert(nummer, belegt);
    emit kontaktGeaendert(option, nummer, belegt);
    // The first change to occupied of a contact a line waits for ends its wait: an
    // occupied contact counts only once it has been free. A measuring run waits for
    // either change, by the same rule.
    if (bekannt || ereignis)
        m_wechsel.insert(wechselSchluessel(option, nummer, belegt), m_zeit.monotonMs());
    if (bekannt || ereignis)
        for (Ablauf *p : std::vector<Ablauf *>(m_programme))
            p->kontaktGewechselt(option, nummer, belegt);
}

std::optional<qint64> Fahrbetrieb::letzterWechsel(int option, int nummer, bool belegt) const
{
    const auto it = m_wechsel.constFind(wechselSchluessel(option, nummer, belegt));
    return it == m_wechsel.constEnd() ? std::nullopt : std::optional<qint64>(*it);
}

const Lokprofil *Fahrbetrieb::lokprofil(const Profilschluessel &schluessel) const
{
    for (const Lokprofil &p : m_profile)
        if (p.schluessel == schluessel)
            return &p;
    return nullptr;
}

} // namespace trabolin

#include "program/Zeitplan.h"

namespace trabolin {

Zeitplan::Lauf::Lauf(Zeitplan &plan, qint64 jetztMs) : m_plan(plan), m_vorher(plan.m_lauf)
{
    m_plan.m_lauf = Stand{true, m_plan.m_tiefe, jetztMs, 0};
}

Zeitplan::Lauf::~Lauf()
{
    m_plan.m_lauf = m_vorher;
}

int Zeitplan::wartezeit(int dauerMs, qint64 jetztMs)
{
    Lauf::Stand &lauf = m_lauf;
    if (!lauf.aktiv || m_tiefe != lauf.tiefe)
        return dauerMs;
    // The longest wait stands for a line: the pauses inside a line are short, the
    // line's own time is the long one.
    lauf.laengste = qMax<qint64>(lauf.laengste, dauerMs);
    const qint64 rueckstand = jetztMs - lauf.soll;
    // A run behind by more than a line (the machine was suspended, a modal box held
    // the window) starts afresh from now rather than race through the lines it
    // missed; one ahead of its schedule (its last wait was cut short) starts afresh
    // too, so no wait lasts longer than asked. A smaller delay is made up by the
    // waits that follow.
    if (rueckstand < 0 || rueckstand > lauf.laengste)
        lauf.soll = jetztMs;
    lauf.soll += dauerMs;
    return static_cast<int>(qMax<qint64>(lauf.soll - jetztMs, 0));
}

} // namespace trabolin

#include "program/Zeitplan.h"

namespace trabolin {

Zeitplan::Lauf::Lauf(Zeitplan &plan, qint64 jetztMs) : m_plan(plan), m_vorher(plan.m_lauf)
{
    m_plan.m_lauf = Stand{true, jetztMs};
}

Zeitplan::Lauf::~Lauf()
{
    m_plan.m_lauf = m_vorher;
}

int Zeitplan::wartezeit(int dauerMs, qint64 jetztMs)
{
    Lauf::Stand &lauf = m_lauf;
    // A run starts from the event loop, never from inside a wait (its waits do not
    // nest): its own waits are those asked for while no other wait is suspended.
    if (!lauf.aktiv || m_tiefe != 0)
        return dauerMs;
    const qint64 rueckstand = jetztMs - lauf.soll;
    // A small delay (a busy moment, the writing of a command) is made up by the waits
    // that follow, so the table keeps its time for hours. A run behind by more (the
    // process was held, the machine was suspended, a modal box held the window)
    // starts afresh from now, so every later line gets its full time rather than
    // firing back to back; one ahead of its schedule (its last wait was cut short)
    // starts afresh too, so no wait lasts longer than asked.
    if (rueckstand < 0 || rueckstand > aufholbarMs)
        lauf.soll = jetztMs;
    lauf.soll += dauerMs;
    return static_cast<int>(qMax<qint64>(lauf.soll - jetztMs, 0));
}

} // namespace trabolin

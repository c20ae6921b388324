#include "stations/lenz/LenzHoerer.h"

namespace trabolin {

LenzHoerer::LenzHoerer(Gleismelder &melder, QObject *parent) : QObject(parent), m_melder(melder)
{
    m_ruhe.setSingleShot(true);
    m_ruhe.setInterval(ruheMs);
    connect(&m_ruhe, &QTimer::timeout, this, [this] { melde(m_leser.schliesseAb()); });
}

void LenzHoerer::nimm(const QByteArray &bytes)
{
    melde(m_leser.lies(bytes));
    if (m_leser.wartet())
        m_ruhe.start();
    else
        m_ruhe.stop();
}

void LenzHoerer::melde(const QList<Gleiszustand> &zustaende)
{
    for (Gleiszustand z : zustaende)
        m_melder.meldeGleiszustand(z);
}

} // namespace trabolin

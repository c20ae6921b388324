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
    const QList<Kontaktmeldung> kontakte = m_leser.nimmKontakte();
    for (qsizetype i = 0; i + 3 < kontakte.size(); i += 4) {
        const bool antwort = m_gefragt.remove((kontakte[i].nummer - 1) / 4);
        for (qsizetype j = i; j < i + 4; ++j) {
            if (antwort)
                m_melder.meldeKontaktstand(kontakte[j].nummer, kontakte[j].belegt);
            else
                m_melder.meldeKontakt(kontakte[j].nummer, kontakte[j].belegt);
        }
    }
}

void LenzHoerer::gefragt(int kontakt)
{
    const int erstes = (kontakt - 1) / 8 * 2;
    m_gefragt << erstes << erstes + 1;
}

} // namespace trabolin

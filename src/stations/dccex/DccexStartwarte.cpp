#include "stations/dccex/DccexStartwarte.h"

#include "stations/dccex/DccexVerbindung.h"

namespace trabolin {

DccexStartwarte::DccexStartwarte(DccexVerbindung &verbindung, int hoechstens, int wiederholung,
                                 QObject *parent)
    : QObject(parent), m_verbindung(verbindung)
{
    m_frist.setSingleShot(true);
    m_frist.setInterval(hoechstens);
    m_wiederholung.setInterval(wiederholung);
    connect(&m_frist, &QTimer::timeout, this, [this] { ende(false); });
    connect(&m_wiederholung, &QTimer::timeout, this,
            [this] { m_verbindung.schreibe(dccexStatusbefehl()); });
    connect(&m_verbindung, &DccexVerbindung::rahmen, this, &DccexStartwarte::antwort);
}

void DccexStartwarte::beginne()
{
    m_verbindung.neuerAnfang();
    m_frist.start();
    m_wiederholung.start();
    m_verbindung.schreibe(dccexStatusbefehl());
}

void DccexStartwarte::brichAb()
{
    m_frist.stop();
    m_wiederholung.stop();
}

void DccexStartwarte::antwort(const DccexAntwort &a)
{
    if (wartet() && a.art == DccexArt::kennung)
        ende(true);
}

void DccexStartwarte::ende(bool beantwortet)
{
    brichAb();
    emit fertig(beantwortet);
}

} // namespace trabolin

#include "stations/ecos/EcosStatuswache.h"

#include "stations/ecos/EcosBefehle.h"

namespace trabolin {

EcosStatuswache::EcosStatuswache(Netzlink &link, QObject *parent) : QObject(parent), m_link(link)
{
    m_frist.setSingleShot(true);
    setzeZeiten(10000, 3000);
    connect(&m_abfrage, &QTimer::timeout, this, &EcosStatuswache::frage);
    connect(&m_frist, &QTimer::timeout, this, [this] {
        beende(true);
        emit stumm();
    });
}

void EcosStatuswache::setzeZeiten(int abfrageMs, int antwortMs)
{
    m_abfrage.setInterval(abfrageMs);
    m_frist.setInterval(antwortMs);
}

void EcosStatuswache::beginne()
{
    m_leser = EcosMeldungsleser();
    m_rueckmelder.leere();
    m_abfrage.start();
    m_link.sende(ecosBytes(ecosStatusBeobachten()));
    frage();
    m_link.sende(ecosBytes(ecosModulAbfrage()));
}

void EcosStatuswache::beende(bool verloren)
{
    const bool warAktiv = aktiv();
    m_abfrage.stop();
    m_frist.stop();
    if (verloren && warAktiv && m_melder)
        m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
}

void EcosStatuswache::frage()
{
    // An answer still outstanding keeps its own deadline.
    if (m_link.sende(ecosBytes(ecosStatusAbfrage())) && !m_frist.isActive())
        m_frist.start();
}

QString EcosStatuswache::lies(const QString &text)
{
    const EcosMeldungen m = m_leser.lies(text);
    if (m.statusAntwort)
        m_frist.stop();
    if (m_melder)
        for (Gleiszustand z : m.gleis)
            m_melder->meldeGleiszustand(z);
    if (m.modulliste) {
        m_rueckmelder.setzeModule(m.module);
        for (const EcosModul &modul : m.module) {
            m_link.sende(ecosBytes(ecosModulBeobachten(modul.objekt)));
            m_link.sende(ecosBytes(ecosModulstandAbfrage(modul.objekt)));
        }
    }
    for (const EcosModulstand &stand : m.modulstaende)
        for (const EcosRueckmelder::Kontakt &k : m_rueckmelder.stand(stand.objekt, stand.zustand)) {
            if (!m_melder)
                continue;
            if (stand.ereignis)
                m_melder->meldeKontakt(k.nummer, k.belegt);
            else
                m_melder->meldeKontaktstand(k.nummer, k.belegt);
        }
    return m.rest;
}

} // namespace trabolin

#include "window/Laufknoepfe.h"

#include "program/Ablauf.h"
#include "program/Fahrbetrieb.h"
#include "window/Stoppknopf.h"

#include <QPushButton>

namespace trabolin {

Laufknoepfe::Laufknoepfe(QPushButton *start, QPushButton *stopp, QPushButton *zeile, Fahrbetrieb &betrieb,
                         std::function<Ablauf &()> aktuell, QObject *eltern)
    : QObject(eltern), m_start(start), m_stopp(stopp), m_zeile(zeile), m_betrieb(betrieb),
      m_aktuell(std::move(aktuell))
{
    // The run goes on on the event loop; its end shows the stop button's state.
    connect(m_start, &QPushButton::clicked, this, [this] {
        haltStoppBereit();
        m_aktuell().btnStart_Click();
        zeigeStopp();
    });
    // The stop goes out as the button goes down (mouse, Space, Alt+O), not on the release.
    connect(static_cast<Stoppknopf *>(m_stopp), &Stoppknopf::gedrueckt, this, [this] { m_betrieb.stoppAlle(); });
    connect(m_zeile, &QPushButton::clicked, this, [this] {
        haltStoppBereit();
        m_aktuell().btnSendZeile_Click();
        zeigeStopp();
    });
}

void Laufknoepfe::haltStoppBereit()
{
    if (!m_aktuell().laeuft())
        m_stopp->setEnabled(true);
}

void Laufknoepfe::zeigeStopp()
{
    m_stopp->setEnabled(m_freigabe || m_betrieb.laeuftEtwas());
}

void Laufknoepfe::setzeFreigabe(bool aktiv)
{
    for (QPushButton *k : {m_start, m_zeile})
        k->setEnabled(aktiv);
    m_freigabe = aktiv;
    zeigeStopp();
}

} // namespace trabolin

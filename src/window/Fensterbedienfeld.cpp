#include "window/Fensterbedienfeld.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace trabolin {

QString Fensterbedienfeld::adresseText() const { return m_steuer.adresse->text(); }
int Fensterbedienfeld::zentraleOption() const { return m_steuer.zentrale ? m_steuer.zentrale() : -1; }
bool Fensterbedienfeld::endlos() const { return m_steuer.endlos->isChecked(); }

bool Fensterbedienfeld::kmh() const { return m_steuer.kmh && m_steuer.kmh->isChecked(); }
bool Fensterbedienfeld::signal() const { return m_steuer.signal && m_steuer.signal(); }
QString Fensterbedienfeld::startzeit() const { return m_steuer.startzeit->text(); }
void Fensterbedienfeld::setzeStartzeit(const QString &text) { m_steuer.startzeit->setText(text); }
void Fensterbedienfeld::setzeLaufzeit(const QString &text) { m_steuer.laufzeit->setText(text); }

void Fensterbedienfeld::piepe()
{
    if (m_steuer.piepen)
        m_steuer.piepen();
}

} // namespace trabolin

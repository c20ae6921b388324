#include "window/Fensterbedienfeld.h"

#include "window/frmTrabolin.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace trabolin {

QString Fensterbedienfeld::adresseText() const { return m_fenster.txtAdresse->text(); }
int Fensterbedienfeld::zentraleOption() const { return m_fenster.grpZentrale->checkedId(); }
bool Fensterbedienfeld::endlos() const { return m_fenster.chkEndlos->isChecked(); }
bool Fensterbedienfeld::signal() const { return m_fenster.chkSignal->isChecked(); }
QString Fensterbedienfeld::startzeit() const { return m_fenster.lblStartzeit->text(); }
void Fensterbedienfeld::setzeStartzeit(const QString &text) { m_fenster.lblStartzeit->setText(text); }
void Fensterbedienfeld::setzeLaufzeit(const QString &text) { m_fenster.lblLaufzeit->setText(text); }

void Fensterbedienfeld::piepe()
{
    if (m_fenster.piepen)
        m_fenster.piepen();
}

} // namespace trabolin

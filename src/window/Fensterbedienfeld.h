#pragma once
// The controls of the main window as the run logic sees them.
#include "program/Umgebung.h"

namespace trabolin {

class frmTrabolin;

class Fensterbedienfeld : public Bedienfeld {
public:
    explicit Fensterbedienfeld(frmTrabolin &fenster) : m_fenster(fenster) {}

    QString adresseText() const override;
    int zentraleOption() const override;
    bool endlos() const override;
    bool signal() const override;
    QString startzeit() const override;
    void setzeStartzeit(const QString &text) override;
    void setzeLaufzeit(const QString &text) override;
    void piepe() override;

private:
    frmTrabolin &m_fenster;
};

} // namespace trabolin

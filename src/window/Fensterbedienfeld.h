#pragma once
// The controls of the main window as the run logic sees them.
#include "program/Umgebung.h"

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace trabolin {

class Fensterbedienfeld : public Bedienfeld {
public:
    // The window's controls the run logic reads and writes; `piepen` sounds the
    // window's beep as it stands at the time.
    struct Steuerelemente {
        QLineEdit *adresse;
        QButtonGroup *zentrale; // ids as the station options
        QCheckBox *endlos;
        QCheckBox *signal;
        QLabel *startzeit;
        QLabel *laufzeit;
        std::function<void()> piepen;
    };
    explicit Fensterbedienfeld(Steuerelemente steuer) : m_steuer(std::move(steuer)) {}

    QString adresseText() const override;
    int zentraleOption() const override;
    bool endlos() const override;
    bool signal() const override;
    QString startzeit() const override;
    void setzeStartzeit(const QString &text) override;
    void setzeLaufzeit(const QString &text) override;
    void piepe() override;

private:
    Steuerelemente m_steuer;
};

} // namespace trabolin

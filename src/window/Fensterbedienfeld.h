#pragma once
// The controls of one driving program as its run logic sees them: its own address,
// "Endlosschleife" and times, and the window's station choice and end signal.
#include "program/Umgebung.h"

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace trabolin {

class Fensterbedienfeld : public Bedienfeld {
public:
    // The controls the run logic reads and writes; `zentrale` and `signal` ask the
    // window's station choice and "akustisches Signal" as they are at the time, and
    // `piepen` sounds the window's beep as it stands at the time.
    struct Steuerelemente {
        QLineEdit *adresse;
        std::function<int()> zentrale; // the station option, -1 for none
        QCheckBox *endlos;
        std::function<bool()> signal;
        QLabel *startzeit;
        QLabel *laufzeit;
        std::function<void()> piepen;
        QCheckBox *kmh = nullptr; // "Fahrstufe in km/h"
    };
    explicit Fensterbedienfeld(Steuerelemente steuer) : m_steuer(std::move(steuer)) {}

    QString adresseText() const override;
    int zentraleOption() const override;
    bool endlos() const override;
    bool signal() const override;
    bool kmh() const override;
    QString startzeit() const override;
    void setzeStartzeit(const QString &text) override;
    void setzeLaufzeit(const QString &text) override;
    void piepe() override;

private:
    Steuerelemente m_steuer;
};

} // namespace trabolin

#pragma once
// The controls and the sound of a run (by default on the 6021 with locomotive 24), as the benchmarks
// that drive the run logic without the window need them.
#include "program/Umgebung.h"

namespace trabolin::bench {

class StillerKlang : public Klang {
public:
    void spiele(const QString &) override {}
};

class Bedienung : public Bedienfeld {
public:
    explicit Bedienung(bool endlos = false, QString adresse = QStringLiteral("24"), int option = 0)
        : m_endlos(endlos), m_adresse(std::move(adresse)), m_option(option)
    {
    }
    QString adresseText() const override { return m_adresse; }
    int zentraleOption() const override { return m_option; }
    bool endlos() const override { return m_endlos; }
    bool signal() const override { return false; }
    QString startzeit() const override { return m_start; }
    void setzeStartzeit(const QString &text) override { m_start = text; }
    void setzeLaufzeit(const QString &) override {}
    void piepe() override {}

private:
    bool m_endlos;
    QString m_adresse;
    int m_option;
    QString m_start;
};

} // namespace trabolin::bench

#include "stations/lenz/LenzZentrale.h"

#include "serial/V24.h"
#include "stations/lenz/LenzTreiber.h"

namespace trabolin {

namespace {

class LenzZentrale : public Zentrale {
public:
    LenzZentrale()
    {
        titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "&Lenz V3.0"));
        tipp = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", " Lenz LZ100 V3.0"));
        code = QStringLiteral("Lenz");
        name = QStringLiteral("Lenz");
        adresseTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Adresse:"));
        adresseBereich = QStringLiteral("1...");
        fahrstufen = true;
        // Any text in a function cell switches it on; the function frame follows the speed
        // frame after 100 ms, in a single line after 100 ms more.
        lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 2, 0};
    }

    Zentralenteile baue(const Zentralenanschluss &a) const override
    {
        auto hoerer = nimmGemeinsam<LenzHoerer>(a, a.melder);
        return {std::make_unique<LenzTreiber>(a.lauf, a.v24, a.lesart, hoerer), nullptr, {}, hoerer};
    }
    bool usbInterface() const override { return true; }
};

} // namespace

std::unique_ptr<Zentrale> lenzZentrale() { return std::make_unique<LenzZentrale>(); }

} // namespace trabolin

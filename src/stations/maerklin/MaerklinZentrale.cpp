#include "stations/maerklin/MaerklinZentrale.h"

#include "serial/V24.h"
#include "stations/maerklin/MaerklinTreiber.h"

namespace trabolin {

namespace {

class MaerklinZentrale : public Zentrale {
public:
    MaerklinZentrale()
    {
        titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "&6021, IB, MC"));
        tipp = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", " 6021 & 6051, IntelliBox, MasterControl u.ä. "));
        code = QStringLiteral("DCC");
        name = QStringLiteral("6021");
        adresseTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Adresse:"));
        adresseBereich = QStringLiteral("1...");
        // The light is on for any text but blanks, F1 to F4 only for "X"; 500 ms after the
        // function command (before the text command), 1000 ms after a change of direction.
        lesart = {Zeilenregeln::maerklin, Schaltregel::nichtBlank, Schaltregel::nurX, 500, 1, 1, 1000};
    }

    Zentralenteile baue(const Zentralenanschluss &a) const override
    {
        auto leitung = nimmGemeinsam<S88Leitung>(a);
        return {std::make_unique<MaerklinTreiber>(a.lauf, a.v24, a.lesart, &a.melder, leitung), nullptr, {}, leitung};
    }
};

} // namespace

std::unique_ptr<Zentrale> maerklinZentrale() { return std::make_unique<MaerklinZentrale>(); }

} // namespace trabolin

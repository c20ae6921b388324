#include "stations/z21/Z21Zentrale.h"

#include "stations/z21/Z21Treiber.h"
#include "stations/z21/Z21Verbindung.h"

namespace trabolin {

namespace {

class Z21Zentrale : public Zentrale {
public:
    Z21Zentrale()
    {
        titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Z2&1"));
        tipp = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", " Roco / Fleischmann Z21 "));
        code = QStringLiteral("Z21");
        name = QStringLiteral("Z21");
        netz = true;
        standardport = 21105;
        adresseTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Adresse:"));
        adresseBereich = QStringLiteral("1...9999");
        fahrstufen = true;
        verbindenText = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "PC mit Z21 verbinden"));
        verbindenTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " stellt die UDP-Verbindung zwischen PC und Z21 her "));
        standardTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " setzt den von Roco vorgegebenen Standardwert "));
        antwortTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "letzte Antwort der Z21"));
        // As on the Lenz: any text in a function cell switches it on; the functions follow
        // the speed after 100 ms, in a single line after 100 ms more.
        lesart = {Zeilenregeln::dcc, Schaltregel::belegt, Schaltregel::belegt, 100, 1, 2, 0};
    }

    Zentralenteile baue(const Zentralenanschluss &a) const override
    {
        // The link reads the Z21's broadcasts; it reports the track state itself.
        auto *link = nimmLink<Z21Verbindung>(a);
        return {std::make_unique<Z21Treiber>(a.lauf, *link, a.lesart), link, {}};
    }
};

} // namespace

std::unique_ptr<Zentrale> z21Zentrale() { return std::make_unique<Z21Zentrale>(); }

} // namespace trabolin

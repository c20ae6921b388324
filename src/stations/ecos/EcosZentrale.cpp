#include "stations/ecos/EcosZentrale.h"

#include "stations/ecos/EcosTreiber.h"
#include "stations/ecos/EcosVerbindung.h"

namespace trabolin {

namespace {

class EcosZentrale : public Zentrale {
public:
    EcosZentrale()
    {
        titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Ecos"));
        code = QStringLiteral("Ecos");
        name = QStringLiteral("Ecos");
        netz = true;
        standardport = 15471;
        adresseTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "ID:"));
        adresseBereich = QStringLiteral("1000...");
        verbindenText = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "PC mit Ecos verbinden"));
        verbindenTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " stellt die TCP-Verbindung zwischen PC und Ecos her "));
        standardTipp = QStringLiteral(
            QT_TRANSLATE_NOOP("trabolin::Zentrale", " setzt den von ESU vorgegebenen Standardwert "));
        antwortTitel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "letzte Antwort der Ecos"));
        // Only "X" switches a function on; direction, functions and speed go out 100 ms apart.
        lesart = {Zeilenregeln::dcc, Schaltregel::nurX, Schaltregel::nurX, 100, 2, 2, 0};
    }

    Zentralenteile baue(const Zentralenanschluss &a) const override
    {
        // The link reports the track state itself.
        auto *link = nimmLink<EcosVerbindung>(a);
        // The controls the link's replies grant, for the drivers of every program.
        auto kontrollen = nimmGemeinsam<EcosKontrollen>(a);
        if (!a.gemeinsam) {
            QObject::connect(link, &Netzverbindung::antwort, kontrollen.get(),
                             [k = kontrollen.get()](const QString &text, qint64) { k->lies(text); });
            QObject::connect(link, &Netzverbindung::verloren, kontrollen.get(),
                             [k = kontrollen.get()] { k->vergiss(); });
        }
        return {std::make_unique<EcosTreiber>(a.lauf, *link, a.lesart, kontrollen), link, {}, kontrollen};
    }
    bool lokliste() const override { return true; }
    bool netzInFestenZeilen() const override { return true; }
    bool beimStart() const override { return true; }
};

} // namespace

std::unique_ptr<Zentrale> ecosZentrale() { return std::make_unique<EcosZentrale>(); }

} // namespace trabolin

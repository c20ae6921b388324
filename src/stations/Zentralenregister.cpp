#include "stations/Zentralenregister.h"

#include <QCoreApplication>

#include "stations/cs2/Cs2Zentrale.h"
#include "stations/dccex/DccexZentrale.h"
#include "stations/ecos/EcosZentrale.h"
#include "stations/lenz/LenzZentrale.h"
#include "stations/maerklin/MaerklinZentrale.h"
#include "stations/z21/Z21Zentrale.h"

namespace trabolin {

QString zentralenText(const QString &quelle)
{
    if (quelle.isEmpty())
        return quelle;
    return QCoreApplication::translate("trabolin::Zentrale", quelle.toUtf8().constData());
}

const std::vector<std::unique_ptr<Zentrale>> &zentralenregister()
{
    static const std::vector<std::unique_ptr<Zentrale>> stationen = [] {
        std::vector<std::unique_ptr<Zentrale>> r;
        r.push_back(maerklinZentrale());
        r.push_back(lenzZentrale());
        r.push_back(ecosZentrale());
        r.push_back(z21Zentrale());
        r.push_back(dccexZentrale());
        r.push_back(cs2Zentrale());
        return r;
    }();
    return stationen;
}

const QList<Stationseinstellung> &laufeinstellungen()
{
    static const QList<Stationseinstellung> einstellungen = [] {
        Stationseinstellung grenze;
        grenze.schluessel = QString::fromUtf16(kontaktZeitgrenzeSchluessel);
        grenze.titel = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale", "Kontakt-Zeit&grenze (s)"));
        grenze.art = Stationseinstellung::Art::zahl;
        grenze.von = 1;
        grenze.bis = 3600;
        grenze.vorgabe = QStringLiteral("120");
        grenze.tipp = QStringLiteral(QT_TRANSLATE_NOOP("trabolin::Zentrale",
                                                       " so lange wartet eine Zeile mit K oder k höchstens auf "
                                                       "ihren Kontakt, dann hält die Lok an "));
        grenze.waehrendFahrt = true; // taken when a contact line starts waiting
        return QList<Stationseinstellung>{grenze};
    }();
    return einstellungen;
}

int zentralenoption(const QString &code)
{
    const auto &r = zentralenregister();
    for (int i = 0; i < int(r.size()); ++i)
        if (r[i]->code == code)
            return i;
    return -1;
}

int startoption()
{
    const auto &r = zentralenregister();
    for (int i = 0; i < int(r.size()); ++i)
        if (r[i]->beimStart())
            return i;
    return 0;
}

const Zentrale *zentralenzeile(int option)
{
    const auto &r = zentralenregister();
    return (option >= 0 && option < int(r.size())) ? r[option].get() : nullptr;
}

} // namespace trabolin

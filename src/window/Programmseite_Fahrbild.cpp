// The page's step chart and the times beside "Startzeit": the length of one pass,
// and during a run or single line the time left.
#include "window/Programmseite.h"

#include "program/Ablauf.h"
#include "program/Programmzeile.h"
#include "stations/Zentralenregister.h"
#include "window/Fahrbild.h"
#include "window/Fensterbedienfeld.h"
#include "window/Tabellengitter.h"

#include <QCheckBox>
#include <QLineEdit>

namespace trabolin {

namespace {

// The selected station's way of reading a line, and its pauses.
Lesart lesartFuer(int option)
{
    const trabolin::Zentrale *zeile = zentralenzeile(option);
    return zeile ? zeile->lesart : Lesart{};
}

} // namespace

void Programmseite::verbindeFahrbild()
{
    zeigeZentrale(m_bedienfeld->zentraleOption());
    connect(chkEndlos, &QCheckBox::toggled, this, &Programmseite::zeigeFahrstand);
    connect(imgFahrbild, &Fahrbild::geaendert, this, &Programmseite::zeigeFahrstand);
    connect(chkKmh, &QCheckBox::toggled, this, &Programmseite::zeigeProfil);
    connect(txtAdresse, &QLineEdit::textChanged, this, &Programmseite::zeigeProfil);
    // The run puts the cursor on each line as it starts driving it.
    connect(&m_tabelle, &Tabellenspeicher::zeileGesetzt, this, [this](int zeile) {
        if (!m_bearbeitet)
            imgFahrbild->zeileBeginnt(zeile);
    });
    zeigeFahrstand();
}

void Programmseite::zeigeZentrale(int option)
{
    imgFahrbild->setzeLesart(lesartFuer(option));
    zeigeHoechsteFahrstufe();
    zeigeProfil();
}

void Programmseite::zeigeProfil()
{
    const Lokprofil *p =
        m_umgebung.betrieb.lokprofil(m_ablauf->profilschluessel(m_bedienfeld->zentraleOption()));
    imgFahrbild->setzeFahrmass(p ? std::optional<Lokprofil>(*p) : std::nullopt, chkKmh->isChecked());
}

void Programmseite::zeigeHoechsteFahrstufe()
{
    const int option = m_bedienfeld->zentraleOption();
    const bool gibt = option >= 0 && option < int(m_treiber.size());
    imgFahrbild->setzeHoechsteFahrstufe(gibt ? m_treiber[option]->hoechsteFahrstufe() : 0);
}

void Programmseite::zeigeFahrstand()
{
    // A contact line's time is a guess.
    const QString ungefaehr = imgFahrbild->geschaetzt() ? QStringLiteral("≈ ") : QString();
    QString gesamt = ungefaehr + ermittleDauertext(imgFahrbild->durchlauf().gesamtMs);
    if (chkEndlos->isChecked())
        gesamt += tr(" je Durchlauf");
    if (lblDauerGesamt->text() != gesamt)
        lblDauerGesamt->setText(gesamt);
    const qint64 rest = imgFahrbild->restMs();
    const QString noch = rest < 0 ? QString() : ungefaehr + ermittleDauertext(rest);
    if (lblNoch->text() != noch)
        lblNoch->setText(noch);
    DBTabelle->setzeLaufzeile(imgFahrbild->laufzeile());
}

} // namespace trabolin

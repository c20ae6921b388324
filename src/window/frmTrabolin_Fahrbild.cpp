// The main window's step chart and the times beside "Startzeit": the length of one
// pass, and during a run or single line the time left.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "stations/Zentralenregister.h"
#include "window/Fahrbild.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>

namespace trabolin {

namespace {

// The selected station's way of reading a line, and its pauses.
Lesart lesartFuer(int option)
{
    const trabolin::Zentrale *zeile = zentralenzeile(option);
    return zeile ? zeile->lesart : Lesart{};
}

} // namespace

void frmTrabolin::verbindeFahrbild()
{
    imgFahrbild->setzeLesart(lesartFuer(grpZentrale->checkedId()));
    zeigeHoechsteFahrstufe();
    connect(grpZentrale, &QButtonGroup::idToggled, this, [this](int option, bool an) {
        if (an) {
            imgFahrbild->setzeLesart(lesartFuer(option));
            zeigeHoechsteFahrstufe();
        }
    });
    // The chart draws what the station drives in the mode chosen.
    connect(lstFS, &QComboBox::currentIndexChanged, this, &frmTrabolin::zeigeHoechsteFahrstufe);
    connect(chkEndlos, &QCheckBox::toggled, this, &frmTrabolin::zeigeFahrstand);
    connect(imgFahrbild, &Fahrbild::geaendert, this, &frmTrabolin::zeigeFahrstand);
    connect(m_ablauf.get(), &Ablauf::laufBeginnt, imgFahrbild, &Fahrbild::laufBeginnt);
    // The run puts the cursor on each line as it starts driving it.
    connect(&m_tabelle, &Tabellenspeicher::zeileGesetzt, this, [this](int zeile) {
        if (!m_bearbeitet)
            imgFahrbild->zeileBeginnt(zeile);
    });
    zeigeFahrstand();
}

void frmTrabolin::zeigeHoechsteFahrstufe()
{
    const int option = grpZentrale->checkedId();
    const bool gibt = option >= 0 && option < int(m_treiber.size());
    imgFahrbild->setzeHoechsteFahrstufe(gibt ? m_treiber[option]->hoechsteFahrstufe() : 0);
}

void frmTrabolin::zeigeFahrstand()
{
    // A contact line's time is a guess.
    const QString ungefaehr = imgFahrbild->geschaetzt() ? QStringLiteral("≈ ") : QString();
    QString gesamt = ungefaehr + ermittleDauertext(imgFahrbild->durchlauf().gesamtMs);
    if (chkEndlos->isChecked())
        gesamt += QStringLiteral(" je Durchlauf");
    if (lblDauerGesamt->text() != gesamt)
        lblDauerGesamt->setText(gesamt);
    const qint64 rest = imgFahrbild->restMs();
    const QString noch = rest < 0 ? QString() : ungefaehr + ermittleDauertext(rest);
    if (lblNoch->text() != noch)
        lblNoch->setText(noch);
    DBTabelle->setzeLaufzeile(imgFahrbild->laufzeile());
}

} // namespace trabolin

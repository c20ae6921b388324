// The main window's step chart and the times beside "Startzeit": the length of one
// pass, and during a run or single line the time left.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "serial/Zentrale.h"
#include "stations/ecos/EcosTreiber.h"
#include "stations/lenz/LenzTreiber.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "window/Fahrbild.h"

#include <QButtonGroup>
#include <QCheckBox>

namespace trabolin {

namespace {

Lesart lesartFuer(int option)
{
    switch (option) {
    case optionMaerklin:
        return maerklinLesart;
    case optionLenz:
        return lenzLesart;
    default:
        return ecosLesart;
    }
}

} // namespace

void frmTrabolin::verbindeFahrbild()
{
    imgFahrbild->setzeLesart(lesartFuer(grpZentrale->checkedId()));
    connect(grpZentrale, &QButtonGroup::idToggled, this, [this](int option, bool an) {
        if (an)
            imgFahrbild->setzeLesart(lesartFuer(option));
    });
    connect(chkEndlos, &QCheckBox::toggled, this, &frmTrabolin::zeigeFahrstand);
    connect(imgFahrbild, &Fahrbild::geaendert, this, &frmTrabolin::zeigeFahrstand);
    connect(m_ablauf.get(), &Ablauf::laufBeginnt, imgFahrbild, &Fahrbild::laufBeginnt);
    connect(m_ablauf.get(), &Ablauf::laufEndet, imgFahrbild, &Fahrbild::laufEndet);
    // The run puts the cursor on each line as it starts driving it.
    connect(&m_tabelle, &Tabellenspeicher::zeileGesetzt, this, [this](int zeile) {
        if (!m_bearbeitet)
            imgFahrbild->zeileBeginnt(zeile);
    });
    zeigeFahrstand();
}

void frmTrabolin::zeigeFahrstand()
{
    QString gesamt = ermittleDauertext(imgFahrbild->durchlauf().gesamtMs);
    if (chkEndlos->isChecked())
        gesamt += QStringLiteral(" je Durchlauf");
    if (lblDauerGesamt->text() != gesamt)
        lblDauerGesamt->setText(gesamt);
    const qint64 rest = imgFahrbild->restMs();
    const QString noch = rest < 0 ? QString() : ermittleDauertext(rest);
    if (lblNoch->text() != noch)
        lblNoch->setText(noch);
    DBTabelle->setzeLaufzeile(imgFahrbild->laufzeile());
}

} // namespace trabolin

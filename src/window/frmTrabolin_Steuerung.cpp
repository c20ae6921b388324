// The main window's serial port, station choice and run buttons.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "program/EchteZeit.h"
#include "program/WavKlang.h"
#include "program/Zahlen.h"
#include "serial/Zentrale.h"
#include "stations/lenz/LenzTreiber.h"
#include "stations/maerklin/MaerklinTreiber.h"
#include "window/Fensterbedienfeld.h"
#include "window/Stoppknopf.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace trabolin {

void frmTrabolin::verbindeSteuerung()
{
    V24 = new SerielleSchnittstelle(m_programmVerzeichnis, this);
    V24->setObjectName(QStringLiteral("V24"));
    m_zeit = std::make_unique<EchteZeit>();
    m_klang = std::make_unique<WavKlang>(
        [this] {
            if (piepen)
                piepen();
        },
        m_programmVerzeichnis);
    m_bedienfeld = std::make_unique<Fensterbedienfeld>(*this);
    m_ablauf = std::make_unique<Ablauf>(m_tabelle, *m_bedienfeld, *m_zeit, *m_klang);
    m_maerklin = std::make_unique<MaerklinTreiber>(*m_ablauf, *V24);
    m_lenz = std::make_unique<LenzTreiber>(*m_ablauf, *V24);
    m_ablauf->setzeTreiber(optionMaerklin, m_maerklin.get());
    m_ablauf->setzeTreiber(optionLenz, m_lenz.get());

    connect(btnStart, &QPushButton::clicked, this, &frmTrabolin::btnStart_Click);
    // The stop goes out as the button goes down (mouse, Space, Alt+O), not on the release.
    connect(static_cast<Stoppknopf *>(btnSendStop), &Stoppknopf::gedrueckt, this, &frmTrabolin::btnSendStop_Click);
    connect(btnSendZeile, &QPushButton::clicked, this, &frmTrabolin::btnSendZeile_Click);
    for (int i = 0; i < 2; ++i)
        connect(btnPower[i], &QPushButton::clicked, this, [this, i] { btnPower_Click(i); });
    connect(btnV24, &QPushButton::clicked, this, &frmTrabolin::btnV24_Click);
    connect(btnParameterSetzen, &QPushButton::clicked, this, &frmTrabolin::btnParameterSetzen_Click);
    // toggled, not clicked: setting the box from the program has the same effect.
    connect(chkUSB, &QCheckBox::toggled, this, &frmTrabolin::chkUSB_Click);
    for (int i = 0; i < 3; ++i)
        connect(optZentrale[i], &QRadioButton::toggled, this, [this, i](bool an) {
            if (an)
                optZentrale_Click(i);
        });
    // The port choice names the device its number stands for.
    auto zeigeGeraet = [this](const QString &text) {
        lstV24->setToolTip(V24->geraeteHinweis(static_cast<int>(leseGanzzahl(text))));
    };
    connect(lstV24, &QComboBox::editTextChanged, this, zeigeGeraet);
    zeigeGeraet(lstV24->currentText());
    connect(V24, &SerielleSchnittstelle::verloren, this, &frmTrabolin::schnittstelleVerloren);
    verbindeEcos();

    // Logging out of the desktop, or the application being told to quit, ends the
    // program as "beenden" does: the locomotive is stopped before anything closes.
    auto schliesseBeimEnde = [this] {
        if (!m_schliesst)
            close();
    };
    connect(qApp, &QGuiApplication::commitDataRequest, this, schliesseBeimEnde);
    connect(qApp, &QCoreApplication::aboutToQuit, this, schliesseBeimEnde);
}

// ---------------------------------------------------------------- run buttons

void frmTrabolin::btnStart_Click()
{
    haltStoppknopfBereit();
    m_ablauf->btnStart_Click();
    zeigeStoppknopf();
    zeigeAufgeschobeneMeldungen();
}

void frmTrabolin::btnSendStop_Click()
{
    m_ablauf->stoppKlick();
}

void frmTrabolin::btnSendZeile_Click()
{
    haltStoppknopfBereit();
    m_ablauf->btnSendZeile_Click();
    zeigeStoppknopf();
    zeigeAufgeschobeneMeldungen();
}

void frmTrabolin::haltStoppknopfBereit()
{
    // A run or single line begins (a click during one is refused by the run logic):
    // from here on the locomotive can always be stopped.
    if (!m_ablauf->laeuft())
        btnSendStop->setEnabled(true);
}

void frmTrabolin::zeigeStoppknopf()
{
    btnSendStop->setEnabled(m_stoppFreigabe || m_ablauf->laeuft());
}

void frmTrabolin::btnPower_Click(int index)
{
    m_ablauf->btnPower_Click(index);
}

// ---------------------------------------------------------------- serial port

void frmTrabolin::subV24ok(bool status)
{
    setzeLaufknoepfe(status);
    for (QPushButton *k : btnPower)
        k->setEnabled(status);
    lstFS->setCurrentText(QStringLiteral("14"));
}

void frmTrabolin::zentraleFehlerbehandlung(const Fehler &fehler)
{
    if (const auto meldung = fehlermeldung(fehler))
        melde(QMessageBox::Critical, meldung->titel, meldung->text);
}

void frmTrabolin::btnV24_Click()
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    lstV24->clear();
    const QStringList frei = V24->freiePorts();
    lstV24->addItems(frei);
    // Adding to an empty list would pick its first item: the text stays empty
    // until the user picks a port.
    lstV24->setCurrentIndex(-1);
    lstV24->setEditText(QString());
    QApplication::restoreOverrideCursor();
}

void frmTrabolin::btnParameterSetzen_Click()
{
    const Anwendung a = wendeParameterAn(*V24, lstV24->currentText(), lstBaudrate->currentText(),
                                         lstParity->currentText(), lstDatenbits->currentText(),
                                         lstStopbits->currentText());
    if (a.fehler) {
        zentraleFehlerbehandlung(a.fehler);
        if (schnittstelleUnbrauchbar(a.fehler))
            subV24ok(false);
        return;
    }
    // The port is usable again: a report of the lost one is out of date.
    m_nachDemLauf.removeIf([](const auto &m) { return m.first == u"V24"; });
    melde(QMessageBox::Information, a.meldungTitel, a.meldungText);
    subV24ok(true);
}

void frmTrabolin::chkUSB_Click()
{
    USBInterface = chkUSB->isChecked();
    imgUSB->setVisible(USBInterface);
}

void frmTrabolin::oeffneSchnittstelleBeimStart()
{
    if (!istSerielleZentrale(Zentrale))
        return;
    V24->setzePortNummer(
        static_cast<int>(leseGanzzahl(lstV24->currentText(), Leerzeichen::ueberall)));
    if (const Fehler f = V24->oeffne()) {
        zentraleFehlerbehandlung(f);
        return;
    }
    subV24ok(true);
}

void frmTrabolin::schnittstelleVerloren()
{
    meldeNachDemLauf(QStringLiteral("V24"), [this] {
        subV24ok(false);
        zentraleFehlerbehandlung(
            {fehlernummer::oeffnenFehlgeschlagen,
             QStringLiteral("Die serielle Schnittstelle %1 ist nicht mehr erreichbar (Adapter entfernt?)")
                 .arg(V24->portNummer())});
    });
}

void frmTrabolin::meldeNachDemLauf(const QString &art, std::function<void()> meldung)
{
    const bool schonOffen = std::any_of(m_nachDemLauf.cbegin(), m_nachDemLauf.cend(),
                                        [&](const auto &m) { return m.first == art; });
    if (!schonOffen)
        m_nachDemLauf.append({art, std::move(meldung)});
    zeigeAufgeschobeneMeldungen();
}

void frmTrabolin::zeigeAufgeschobeneMeldungen()
{
    if (m_ablauf->laeuft() || m_schliesst)
        return;
    for (auto &[art, meldung] : std::exchange(m_nachDemLauf, {}))
        meldung();
}

// ---------------------------------------------------------------- station

void frmTrabolin::optZentrale_Click(int index)
{
    const auto wahl = zentralenwahl(index);
    if (!wahl)
        return;
    lblFS->setEnabled(wahl->fahrstufenAktiv);
    lstFS->setEnabled(wahl->fahrstufenAktiv);
    if (wahl->usbAbwaehlen)
        chkUSB->setChecked(false);
    chkUSB->setEnabled(wahl->usbAktiv);
    lblAdresse[0]->setText(wahl->adresseTitel);
    lblAdresse[1]->setText(wahl->adresseBereich);
    btnEcos->setEnabled(wahl->ecosAktiv);
    Zentrale = wahl->code;
}

} // namespace trabolin

// The main window's shared parts and its pages' wiring, the serial port, the power
// and the station choice.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "program/EchteZeit.h"
#include "program/Fahrbetrieb.h"
#include "program/Netzverbindung.h"
#include "program/WavKlang.h"
#include "program/Zahlen.h"
#include "stations/Zentralenregister.h"
#include "window/Bauteile.h"
#include "window/Einstellungsseite.h"
#include "window/Gleisanzeige.h"
#include "window/Laufknoepfe.h"
#include "window/Netzfeld.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

namespace trabolin {

void frmTrabolin::baueGemeinsames()
{
    V24 = new SerielleSchnittstelle(m_programmVerzeichnis, this);
    V24->setObjectName(QStringLiteral("V24"));
    if (zeitbasis())
        m_zeit = zeitbasis()();
    else
        m_zeit = std::make_unique<EchteZeit>();
    m_klang = std::make_unique<WavKlang>(
        [this] {
            if (piepen)
                piepen();
        },
        m_programmVerzeichnis);
    m_betrieb = std::make_unique<Fahrbetrieb>(*m_zeit);
}

Programmseite *frmTrabolin::baueSeite(QWidget *fuss)
{
    Seitenumgebung umgebung{*m_betrieb, *m_klang, *V24, this,
                            [this] { return grpZentrale ? grpZentrale->checkedId() : -1; },
                            [this] { return chkSignal && chkSignal->isChecked(); },
                            [this] {
                                if (piepen)
                                    piepen();
                            },
                            m_seiten.empty() ? Stationsteile{} : ersteSeite().stationsteile(), fuss};
    auto *seite = new Programmseite(std::move(umgebung));
    m_seiten.push_back(seite);
    return seite;
}

void frmTrabolin::verbindeSteuerung()
{
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        connect(m_einstellungsseiten[i], &Einstellungsseite::geaendert, this,
                [this, i](const QString &schluessel, const QString &wert) { einstellungGeaendert(i, schluessel, wert); });
    }

    m_laufknoepfe = new Laufknoepfe(btnStart, btnSendStop, btnSendZeile, *m_betrieb,
                                    [this]() -> Ablauf & { return aktuelleSeite().ablauf(); }, this);
    for (int i = 0; i < 2; ++i)
        connect(btnPower[i], &QPushButton::clicked, this, [this, i] { btnPower_Click(i); });
    connect(btnV24, &QPushButton::clicked, this, &frmTrabolin::btnV24_Click);
    connect(btnParameterSetzen, &QPushButton::clicked, this, &frmTrabolin::btnParameterSetzen_Click);
    // toggled, not clicked: setting the box from the program has the same effect.
    connect(chkUSB, &QCheckBox::toggled, this, &frmTrabolin::chkUSB_Click);
    for (int i = 0; i < int(optZentrale.size()); ++i) {
        connect(optZentrale[i], &QRadioButton::toggled, this, [this, i](bool an) {
            if (an)
                optZentrale_Click(i);
        });
    }
    // The speed-step mode goes to the drivers whenever it changes, and the charts
    // draw what the station drives in it.
    connect(lstFS, &QComboBox::currentIndexChanged, this, [this](int index) {
        for (Programmseite *seite : m_seiten)
            seite->setzeFahrstufen(index);
    });
    connect(grpZentrale, &QButtonGroup::idToggled, this, [this](int option, bool an) {
        if (!an)
            return;
        for (Programmseite *seite : m_seiten)
            seite->zeigeZentrale(option);
        // The tabs name each program's locomotive as the station does: "Lok 3", "ID 1001".
        if (m_programme)
            m_programme->aktualisiere();
    });
    connect(lstV24, &QComboBox::editTextChanged, this, &frmTrabolin::zeigeGeraet);
    zeigeGeraet();
    connect(V24, &SerielleSchnittstelle::verloren, this, &frmTrabolin::schnittstelleVerloren);
    // What arrives on the port belongs to the station wired to it, the one it was
    // opened for, whatever option is selected now: a run on the LZ100 goes on after
    // the option has been changed until its pass ends, and its short circuit must
    // still end it. A station selected since, without the port opened again, reads
    // them too, as it always has.
    connect(V24, &SerielleSchnittstelle::empfangen, this, [this](const QByteArray &bytes) {
        Zentralentreiber *verdrahtet = m_v24Option >= 0 && m_v24Option < ersteSeite().anzahlTreiber()
                                           ? &stationstreiber(m_v24Option)
                                           : nullptr;
        if (verdrahtet)
            verdrahtet->empfange(bytes);
        if (Zentralentreiber *t = ersteSeite().ablauf().treiber(); t && t != verdrahtet)
            t->empfange(bytes);
    });
    verbindeNetz();
    verbindeGleismeldungen();
    // Logging out of the desktop, or the application being told to quit, ends the
    // program as "beenden" does: the locomotive is stopped before anything closes.
    auto schliesseBeimEnde = [this] {
        if (!m_schliesst)
            close();
    };
    connect(qApp, &QGuiApplication::commitDataRequest, this, schliesseBeimEnde);
    connect(qApp, &QCoreApplication::aboutToQuit, this, schliesseBeimEnde);
}

// ---------------------------------------------------------------- the layout

void frmTrabolin::zeigeGeraet()
{
    lstV24->setToolTip(V24->geraeteHinweis(static_cast<int>(leseGanzzahl(lstV24->currentText()))));
}

void frmTrabolin::zeigeAdresstitel(int option)
{
    const trabolin::Zentrale *z = zentralenzeile(option);
    if (!z)
        return;
    m_adresstitelOption = option;
    const QString titel = zentralenText(z->adresseTitel);
    const QString bereich = zentralenText(z->adressbereich(m_einstellungsseiten[option]->werte()));
    for (Programmseite *seite : m_seiten)
        seite->zeigeAdresstitel(titel, bereich);
}

void frmTrabolin::verbindeGleismeldungen()
{
    connect(m_betrieb.get(), &Fahrbetrieb::gleiszustandGeaendert, this, [this](int option) {
        if (option == grpZentrale->checkedId())
            lblGleis->zeige(m_betrieb->gleiszustand(option));
    });
    // "Kontakt-Zeitgrenze" as set, for the runs and the charts.
    auto setzeGrenze = [this] {
        const int s = m_laufeinstellungen->werte().value(QString::fromUtf16(kontaktZeitgrenzeSchluessel)).toInt();
        for (Programmseite *seite : m_seiten)
            seite->setzeKontaktZeitgrenze(s);
    };
    connect(m_laufeinstellungen, &Einstellungsseite::geaendert, this, setzeGrenze);
}

void frmTrabolin::zeigeKontakt()
{
    // The contact the current page's line waits for, beside the track state.
    const int k = aktuelleSeite().ablauf().wartetAufKontakt();
    lblGleis->zeigeKontakt(k, k > 0 ? aktuelleSeite().ablauf().kontaktzustand(k) : std::nullopt);
}

// ---------------------------------------------------------------- run buttons

void frmTrabolin::btnPower_Click(int index)
{
    ersteSeite().ablauf().btnPower_Click(index);
}

void frmTrabolin::verbindeNetz()
{
    // The first page's drivers made the network links: one per network station.
    m_netzfeld = new Netzfeld(
        *this,
        Netzfeld::Fenster{*m_betrieb, m_nachDemLauf, ersteSeite().netzlinks(),
                          [this](int option) -> Zentralentreiber & { return stationstreiber(option); },
                          [this](int option) { return istSeriell(option); }, [this] { return m_fahrtsperre; },
                          [this] { return m_schliesst; },
                          [this](QMessageBox::Icon symbol, const QString &titel, const QString &text) {
                              melde(symbol, titel, text);
                          },
                          [this] { return aktuelleSeite().adresse(); },
                          [this](const QString &adresse) { aktuelleSeite().setzeAdresse(adresse); }},
        this);
    connect(m_netzfeld, &Netzfeld::laufknoepfe, m_laufknoepfe, &Laufknoepfe::setzeFreigabe);
    connect(m_netzfeld, &Netzfeld::zentraleBereit, this, &frmTrabolin::subZentraleBereit);
    connect(m_netzfeld, &Netzfeld::schnittstelleBereit, this, [this] { subV24ok(true); });
}

// ---------------------------------------------------------------- serial port

void frmTrabolin::subV24ok(bool status)
{
    subZentraleBereit(status);
    lstFS->setCurrentText(QStringLiteral("14"));
}

void frmTrabolin::subZentraleBereit(bool status)
{
    m_laufknoepfe->setzeFreigabe(status);
    for (QPushButton *k : btnPower)
        k->setEnabled(status);
}

void frmTrabolin::zentraleFehlerbehandlung(const Fehler &fehler)
{
    if (const auto meldung = fehlermeldung(fehler))
        melde(QMessageBox::Critical, meldung->titel, meldung->text);
}

void frmTrabolin::btnV24_Click()
{
    if (m_fahrtsperre)
        return; // disabled during a run; a shortcut must not reopen the port either
    QApplication::setOverrideCursor(Qt::BusyCursor);
    lstV24->clear();
    const QStringList frei = V24->freiePorts();
    lstV24->addItems(frei);
    // Adding to an empty list would pick its first item: the text stays empty
    // until the user picks a port.
    lstV24->setCurrentIndex(-1);
    lstV24->setEditText(QString());
    QApplication::restoreOverrideCursor();
    // The scan has closed and reopened the port: a station that restarts when its port
    // opens (on USB) is waited for again, with the run buttons off meanwhile.
    const int option = grpZentrale->checkedId();
    if (V24->istOffen() && istSeriell(option) && m_netzfeld->link(option))
        zentraleGeoeffnet(option);
}

void frmTrabolin::btnParameterSetzen_Click()
{
    if (m_fahrtsperre)
        return; // disabled during a run: reopening the port would cut the run's way off
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
    m_nachDemLauf.verwirf(QStringLiteral("V24"));
    melde(QMessageBox::Information, a.meldungTitel, a.meldungText);
    const int option = grpZentrale->checkedId();
    if (istSeriell(option))
        zentraleGeoeffnet(option);
    else
        subV24ok(true);
}

void frmTrabolin::chkUSB_Click()
{
    USBInterface = chkUSB->isChecked();
    imgUSB->setVisible(USBInterface);
    for (Programmseite *seite : m_seiten)
        seite->setzeUsbInterface(USBInterface);
}

void frmTrabolin::oeffneSchnittstelleBeimStart()
{
    const int option = zentralenoption(Zentrale);
    const trabolin::Zentrale *z = zentralenzeile(option);
    if (!z || !istSeriell(option))
        return;
    V24->setzePortNummer(
        static_cast<int>(leseGanzzahl(lstV24->currentText(), Leerzeichen::ueberall)));
    if (const Fehler f = V24->oeffne()) {
        zentraleFehlerbehandlung(f);
        return;
    }
    if (!z->seriell().einstellungen.isEmpty()) {
        // A station with line settings of its own (115200 baud, say) runs at the
        // saved ones from the start; the others keep the port's initial settings
        // until "Parameter setzen".
        if (const Fehler f = V24->setzeEinstellungen(lstBaudrate->currentText() + u',' + lstParity->currentText()
                                                     + u',' + lstDatenbits->currentText() + u','
                                                     + lstStopbits->currentText())) {
            zentraleFehlerbehandlung(f);
            return;
        }
    }
    zentraleGeoeffnet(option);
}

bool frmTrabolin::istSeriell(int option) const
{
    const trabolin::Zentrale *z = zentralenzeile(option);
    return z && z->istSeriell(m_einstellungsseiten[option]->werte());
}

void frmTrabolin::einstellungGeaendert(int option, const QString &schluessel, const QString &wert)
{
    for (Programmseite *seite : m_seiten)
        seite->stelleEin(option, schluessel, wert);
    // The way to the station or its address range may have changed; nothing is opened
    // or closed by it.
    if (option == grpZentrale->checkedId()) {
        zeigeAdresstitel(option);
        zeigeWegbedienung(option);
    }
}

void frmTrabolin::zentraleGeoeffnet(int option)
{
    m_v24Option = option;
    Netzverbindung *netz = m_netzfeld->link(option);
    // The buttons stay off while the station boots; they come on when it answers.
    subV24ok(!(netz && netz->warteAufZentrale()));
    if (option >= 0 && option < ersteSeite().anzahlTreiber())
        stationstreiber(option).schnittstelleGeoeffnet();
}

namespace {

const char *const eigenerTipp = "eigenerTipp";
// The lock's tool tip as it was put on the control, in the language then in effect;
// empty while the control is not locked.
const char *const gesetzterSperrtipp = "gesetzterSperrtipp";

} // namespace

QList<QWidget *> frmTrabolin::wegbedienung() const
{
    QList<QWidget *> liste{btnEcos, btnV24, lstV24, lstBaudrate, lstParity, lstDatenbits,
                           lstStopbits, btnParameterSetzen, chkUSB, btn15471, lstFS, btnListe, btnLok};
    for (const Einstellungsseite *seite : m_einstellungsseiten)
        liste << seite->sperrbare();
    return liste;
}

void frmTrabolin::zeigeWegbedienung(int option)
{
    const trabolin::Zentrale *z = zentralenzeile(option);
    for (QWidget *w : wegbedienung()) {
        const QString gesetzt = w->property(gesetzterSperrtipp).toString();
        const bool zeigtSperre = !gesetzt.isEmpty() && w->toolTip() == gesetzt;
        if (m_fahrtsperre) {
            // A tool tip set meanwhile (the station's connect button, or any own tool
            // tip after a switch of language) is its own.
            if (!zeigtSperre)
                w->setProperty(eigenerTipp, w->toolTip());
            const QString sperre = fahrtsperreTipp;
            w->setToolTip(sperre);
            w->setProperty(gesetzterSperrtipp, sperre);
            w->setEnabled(false);
            continue;
        }
        if (zeigtSperre)
            w->setToolTip(w->property(eigenerTipp).toString());
        w->setProperty(gesetzterSperrtipp, QString());
        bool an = true;
        if (w == btnEcos)
            an = z && z->netz && !istSeriell(option);
        else if (w == chkUSB)
            an = z && z->usbInterface();
        else if (w == lstFS)
            an = z && z->fahrstufen;
        else if (w == btnListe || w == btnLok) // the list buttons of a station that was connected
            an = m_netzfeld->lokknoepfeErlaubt();
        w->setEnabled(an);
    }
}

void frmTrabolin::setzeFahrtsperre(bool gesperrt)
{
    m_fahrtsperre = gesperrt;
    const int option = grpZentrale->checkedId();
    if (!gesperrt && std::exchange(m_vorgabenOffen, false))
        wendeZentralenvorgabenAn(option);
    zeigeWegbedienung(option);
}

void frmTrabolin::schnittstelleVerloren()
{
    m_nachDemLauf.melde(QStringLiteral("V24"), [this] {
        subV24ok(false);
        zentraleFehlerbehandlung(
            {fehlernummer::oeffnenFehlgeschlagen,
             tr("Die serielle Schnittstelle %1 ist nicht mehr erreichbar (Adapter entfernt?)").arg(V24->portNummer())});
    });
}

// ---------------------------------------------------------------- station

void frmTrabolin::optZentrale_Click(int index)
{
    const trabolin::Zentrale *z = zentralenzeile(index);
    if (!z)
        return;
    m_einstellungsstapel->setCurrentIndex(index);
    m_netzfeld->merkeFahrstufen(zentralenoption(Zentrale), index);
    lblFS->setEnabled(z->fahrstufen);
    lstFS->setEnabled(z->fahrstufen);
    if (m_fahrtsperre)
        m_vorgabenOffen = true; // the station driving keeps its port settings until the run ends
    else
        wendeZentralenvorgabenAn(index);
    zeigeAdresstitel(index);
    if (z->netz)
        m_netzfeld->zeige(index);
    zeigeWegbedienung(index);
    Zentrale = z->code;
    lblGleis->zeige(m_betrieb->gleiszustand(index));
}

void frmTrabolin::wendeZentralenvorgabenAn(int index)
{
    const trabolin::Zentrale *z = zentralenzeile(index);
    if (!z)
        return;
    if (!z->usbInterface())
        chkUSB->setChecked(false);
    const Seriellvorgabe vorgabe = z->seriell();
    if (!vorgabe.einstellungen.isEmpty()) {
        // The station's own line settings go into the lists; "Parameter setzen" applies them.
        const QStringList teile = vorgabe.einstellungen.split(u',');
        QComboBox *listen[] = {lstBaudrate, lstParity, lstDatenbits, lstStopbits};
        for (int i = 0; i < 4 && i < teile.size(); ++i)
            listen[i]->setEditText(teile[i]);
    }
    V24->setzeHandshake(vorgabe.handshake);
}

} // namespace trabolin

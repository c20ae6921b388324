#include "window/frmTrabolin.h"

#include "Version.h"
#include "program/Ablauf.h"
#include "program/Fahrbetrieb.h"
#include "program/Benutzerverzeichnis.h"
#include "program/Netzverbindung.h"
#include "program/WavKlang.h"
#include "stations/Zentralenregister.h"
#include "window/Einstellungsseite.h"
#include "window/Bauteile.h"
#include "window/Einzelinstanz.h"
#include "window/Laufknoepfe.h"
#include "window/Netzfeld.h"
#include "window/Sprache.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

// The pictures are compiled into the window library, a static library, so their
// registration has to be pulled in by hand.
static void ladeBilder()
{
    Q_INIT_RESOURCE(trabolin);
    Q_INIT_RESOURCE(hilfe);
}

namespace trabolin {

namespace {


QString waehleDateiImDialog(QWidget *eltern, bool speichern)
{
    const QString filter = frmTrabolin::dateifilter().join(QStringLiteral(";;"));
    QString typ = frmTrabolin::dateifilter().first();
    return speichern ? QFileDialog::getSaveFileName(eltern, {}, {}, filter, &typ)
                     : QFileDialog::getOpenFileName(eltern, {}, {}, filter, &typ);
}

} // namespace

frmTrabolin::frmTrabolin(QWidget *parent, const QString &programmVerzeichnis)
    : QMainWindow(parent),
      m_programmVerzeichnis(programmVerzeichnis.isEmpty() ? QCoreApplication::applicationDirPath()
                                                          : programmVerzeichnis),
      m_nachDemLauf([this] { return !m_betrieb->laeuftEtwas() && !m_schliesst; })
{
    ladeBilder();
    m_hilfe = new Hilfe(m_programmVerzeichnis, this);
    setObjectName(QStringLiteral("frmTrabolin"));
    setWindowTitle(QStringLiteral(" ") + QString::fromUtf8(version::produkt));
    setWindowIcon(QIcon(QStringLiteral(":/trabolin.png")));

    piepen = [] { QApplication::beep(); };
    oeffneUrl = [this](const QUrl &url) {
        return m_hilfe->hatBetrachter() && QDesktopServices::openUrl(url);
    };
    melde = [this](QMessageBox::Icon symbol, const QString &titel, const QString &text) {
        QMessageBox box(symbol, titel, text, QMessageBox::Ok, this);
        box.exec();
    };
    frage = [this](const QString &titel, const QString &text) {
        QMessageBox box(QMessageBox::Question, titel, text, QMessageBox::Yes | QMessageBox::No, this);
        return box.exec() == QMessageBox::Yes;
    };
    waehleDatei = [this](bool speichern) { return waehleDateiImDialog(this, speichern); };

    baueMenue(*this);
    connect(tasteF10, &QShortcut::activated, this, [this] {
        uebernehmeEingabe();
        QWidget *ziel = QApplication::focusWidget() ? QApplication::focusWidget() : this;
        QKeyEvent druck(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent loslassen(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QApplication::sendEvent(ziel, &druck);
        QApplication::sendEvent(ziel, &loslassen);
    });

    auto *mitte = benannt(new QWidget, QStringLiteral("frmTrabolinMitte"));
    auto *spalten = new QHBoxLayout(mitte);
    spalten->setContentsMargins(6, 6, 6, 6);
    spalten->setSpacing(8);

    QWidget *fuss = baueFuss();

    // The program page on the left, the station panel beside it.
    baueGemeinsames();
    Programmseite *seite = baueSeite(fuss);
    QWidget *panel = baueProgrammpanel(*this, seite->endlosSchalter());
    m_programme = new Programmliste(
        {m_seiten, m_aktuelleSeite, *m_betrieb,
         [this] {
             Programmseite *neu = baueSeite(nullptr);
             nimmSeiteAuf(*neu);
             return neu;
         },
         [this](QMessageBox::Icon symbol, const QString &titel, const QString &text) { melde(symbol, titel, text); },
         [this](const QString &titel, const QString &text) { return frage(titel, text); },
         [this] {
             const trabolin::Zentrale *z = zentralenzeile(grpZentrale->checkedId());
             return z && z->code == u"Ecos" ? QStringLiteral("ID") : tr("Lok");
         },
         [this] {
             zeigeKontakt();
             emit aktuelleSeite().adresseGeaendert(aktuelleSeite().adresse());
         },
         [this] { return btnStart->isEnabled(); }, benutzerVerzeichnis(m_programmVerzeichnis)},
        m_endlosReihe, mnuLeiste, this);
    spalten->addWidget(m_programme->flaeche());
    spalten->addWidget(panel, 1);
    setCentralWidget(mitte);

    // "&Endlosschleife" and "b&eenden" both carry E: Alt+E always toggles the
    // check box, so that no single key ends the program. "beenden" stays on the
    // bar for the mouse and the bar's keyboard navigation (Alt, then the arrows).
    mnuLeiste->gibZugriffstasteAb(seite->endlosSchalter());

    // Every command sees the text just typed into the grid: connected before any
    // handler of a button, menu item or shortcut.
    verbindeUebernahme();

    connect(lblLogo, &Beschriftung::geklickt, this, &frmTrabolin::lblLogo_Click);
    connect(mnuDatei_laden, &QAction::triggered, this, &frmTrabolin::mnuDatei_laden_Click);
    connect(mnuDatei_speichern, &QAction::triggered, this, &frmTrabolin::mnuDatei_speichern_Click);
    connect(mnuDatei_Beenden, &QAction::triggered, this, &QWidget::close);
    connect(mnuBeenden, &QAction::triggered, this, &QWidget::close);
    connect(mnuHilfe_Hilfe, &QAction::triggered, this, &frmTrabolin::zeigeHilfe);
    connect(mnuSprache_de, &QAction::triggered, this, [this] { waehleSprache(QStringLiteral("de")); });
    connect(mnuSprache_en, &QAction::triggered, this, [this] { waehleSprache(QStringLiteral("en")); });
    beiSprache(this, [this] {
        mnuHilfe_Hilfe->setText(tr("&Hilfe") + QStringLiteral("\tF1"));
        (sprache() == u"en" ? mnuSprache_en : mnuSprache_de)->setChecked(true);
    });
    connect(tasteF1, &QShortcut::activated, this, &frmTrabolin::zeigeHilfe);
    nimmSeiteAuf(*seite);
    verbindeSteuerung();
    // After the texts of the panel's own (set when they were built): the texts made
    // from the window's state, and the lock of the way to the station over them.
    beiSprache(this, [this] {
        btnLok->setToolTip(lokTipp(m_lokAdresse ? &*m_lokAdresse : nullptr));
        zeigeAdresstitel(m_adresstitelOption);
        zeigeGeraet();
        if (m_fahrtsperre)
            zeigeWegbedienung(grpZentrale->checkedId());
    });

    if (vorDemStart())
        vorDemStart()(*this);
    Form_Load();
}

std::function<std::unique_ptr<Zeitbasis>()> &frmTrabolin::zeitbasis()
{
    static std::function<std::unique_ptr<Zeitbasis>()> quelle;
    return quelle;
}

std::function<void(frmTrabolin &)> &frmTrabolin::vorDemStart()
{
    static std::function<void(frmTrabolin &)> vorgabe;
    return vorgabe;
}

frmTrabolin::~frmTrabolin()
{
    // The pages go first: their runs belong to the window's Fahrbetrieb, their drivers
    // use the links the window owns.
    for (Programmseite *seite : std::exchange(m_seiten, {}))
        delete seite;
    delete takeCentralWidget();
}

void frmTrabolin::nimmSeiteAuf(Programmseite &seite)
{
    // The station's own settings, "Fahrstufen", "USB-Interface" and "Kontakt-Zeitgrenze"
    // reach the page's drivers and run now, and whenever they change.
    seite.setzeFahrstufen(lstFS->currentIndex());
    seite.setzeUsbInterface(USBInterface);
    for (int i = 0; i < int(m_einstellungsseiten.size()); ++i) {
        const Einstellungswerte &werte = m_einstellungsseiten[i]->werte();
        for (auto it = werte.cbegin(); it != werte.cend(); ++it)
            seite.stelleEin(i, it.key(), it.value());
    }
    seite.zeigeZentrale(grpZentrale->checkedId());
    // A page added later shows the address captions the first one shows ("ID:" and
    // "1000..." once the ECoS has been chosen).
    if (&seite != m_seiten.front()) {
        const auto [titel, bereich] = ersteSeite().adresstitel();
        seite.zeigeAdresstitel(titel, bereich);
    }
    seite.setzeKontaktZeitgrenze(
        m_laufeinstellungen->werte().value(QString::fromUtf16(kontaktZeitgrenzeSchluessel)).toInt());

    // While a run or a single line goes on, the way to the station stays as it is.
    connect(&seite, &Programmseite::laufBeginnt, this, [this] { setzeFahrtsperre(true); });
    connect(&seite, &Programmseite::laufEndet, this, [this] {
        setzeFahrtsperre(m_betrieb->laeuftEtwas());
        m_laufknoepfe->zeigeStopp();
        m_nachDemLauf.zeige();
    });
    connect(&seite, &Programmseite::nachDemLauf, this,
            [this](const QString &art, QMessageBox::Icon symbol, const QString &titel, const QString &text) {
                m_nachDemLauf.melde(art, [this, symbol, titel, text] { melde(symbol, titel, text); });
            });
    connect(&seite, &Programmseite::meldung, this,
            [this](QMessageBox::Icon symbol, const QString &titel, const QString &text) { melde(symbol, titel, text); });
    // A start the selected station's layout forbids.
    connect(&seite.ablauf(), &Ablauf::gesperrt, this, [this](Gleiszustand zustand) {
        const int option = grpZentrale->checkedId();
        const trabolin::Zentrale *z = zentralenzeile(option);
        const Gleismeldung m = gleisSperrMeldung(zustand, z ? z->name : QString(), z && istSeriell(option));
        melde(QMessageBox::Critical, m.titel, m.text);
    });
    // The current page's contact wait beside the track state; "Kontrolle übernehmen"
    // names its address.
    const auto aktuell = [this, &seite] { return &seite == &aktuelleSeite(); };
    connect(&seite.ablauf(), &Ablauf::kontaktwarteGeaendert, this, [this, aktuell] {
        if (aktuell())
            zeigeKontakt();
    });
    connect(&seite.ablauf(), &Ablauf::kontaktGeaendert, this, [this, aktuell] {
        if (aktuell())
            zeigeKontakt();
    });
    connect(&seite, &Programmseite::adresseGeaendert, this, [this, aktuell](const QString &text) {
        if (aktuell()) {
            m_lokAdresse = text;
            btnLok->setToolTip(lokTipp(&text));
        }
    });
}

void frmTrabolin::verbindeUebernahme()
{
    // The pages see to their own controls.
    for (QAbstractButton *k : findChildren<QAbstractButton *>())
        if (std::none_of(m_seiten.cbegin(), m_seiten.cend(), [k](const Programmseite *s) {
                return s->isAncestorOf(k) || s->endlosSchalter() == k;
            }))
            connect(k, &QAbstractButton::clicked, this, &frmTrabolin::uebernehmeEingabe);
    for (QAction *a : {mnuDatei_laden, mnuDatei_speichern, mnuDatei_Beenden, mnuHilfe_Hilfe, mnuBeenden})
        connect(a, &QAction::triggered, this, &frmTrabolin::uebernehmeEingabe);
    connect(tasteF1, &QShortcut::activated, this, &frmTrabolin::uebernehmeEingabe);
}

void frmTrabolin::waehleSprache(const QString &code)
{
    m_gewaehlteSprache = code;
    if (code != sprache())
        setzeSprache(code);
}

void frmTrabolin::uebernehmeEingabe()
{
    for (Programmseite *seite : m_seiten)
        seite->uebernehmeEingabe();
}

void frmTrabolin::Form_Load()
{
    // Top left corner of the screen; showEvent makes the outer size exact once the
    // frame of the window is known. "&?" and "b&eenden" already stand at the right
    // edge of the menu bar (baueMenue).
    move(0, 0);
    resize(aussenBreite, aussenHoehe);
    setzeMenuRechtsbuendig(mnuLeiste, 3); // after "&Datei" and "Fa&hrprogramm"

    m_hilfe->frageNachBetrachter();

    if (einzelinstanzPruefen) {
        m_einzelinstanz = std::make_unique<Einzelinstanz>(m_programmVerzeichnis);
        if (!m_einzelinstanz->erlangen()) {
            m_einzelinstanz.reset();
            m_zweiteInstanz = true;
            if (piepen)
                piepen();
            melde(QMessageBox::Critical, windowTitle(), tr("Das Programm wurde bereits gestartet ...") + QString(17, u' '));
            return;
        }
    }

    lblRelease->setText(QStringLiteral("Rel. %1.%2.%3")
                            .arg(version::major)
                            .arg(version::minor)
                            .arg(version::revision));

    if (const Fehler fehler = subReadConfig()) {
        zentraleFehlerbehandlung(fehler);
        return;
    }
    m_netzfeld->fuelleFelder();
    aktuelleSeite().setzeDatei(ConfigDatei);

    // The delete panel starts closed.
    aktuelleSeite().setzeLoeschpanelOffen(false);

    ablauf().zustand().stopp = false;
    oeffneSchnittstelleBeimStart();
}

void frmTrabolin::Form_Unload()
{
    // A run still going on ends without sending anything more; the port closes first.
    m_schliesst = true;
    m_betrieb->beenden();
    if (V24->istOffen())
        V24->schliesse();

    // Commit a cell edit still open: first line, then last line.
    uebernehmeEingabe();
    aktuelleSeite().durchlaufeZeilen();

    // A program file was loaded (or start-up never read the settings): ask first.
    const bool schreiben =
        aktuelleSeite().datei().compare(ConfigDatei, Qt::CaseInsensitive) == 0
        || (frage && frage(tr(" Datei speichern..."),
                           tr("aktuelle Daten in 'Trabolin.ini' speichern ?") + QString(6, u' ')));
    if (schreiben) {
        const QString fehler = subWriteConfig();
        if (!fehler.isEmpty())
            melde(QMessageBox::Critical, tr(" Datei speichern..."), fehler);
    }
    // Every network link closes, also one the fields no longer show: a station that
    // keeps a list of its clients hears that the program has gone.
    for (Netzverbindung *netz : m_netzfeld->links())
        if (netz)
            netz->schliesse();
}

void frmTrabolin::closeEvent(QCloseEvent *ereignis)
{
    // A refused second instance ends without any shutdown step.
    if (!m_zweiteInstanz) {
        uebernehmeEingabe();
        Form_Unload();
    }
    ereignis->accept();
}

void frmTrabolin::showEvent(QShowEvent *ereignis)
{
    QMainWindow::showEvent(ereignis);
    if (m_aussenmassGesetzt)
        return;
    m_aussenmassGesetzt = true;
    QTimer::singleShot(0, this, [this] {
        const QSize rahmen = frameGeometry().size() - geometry().size();
        resize(aussenBreite - rahmen.width(), aussenHoehe - rahmen.height());
        move(0, 0);
    });
}

// --- about box and help

void frmTrabolin::lblLogo_Click()
{
    uebernehmeEingabe();
    QMessageBox box(QMessageBox::Information, infoTitel(), infoText(), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgInfo"));
    box.exec();
}

void frmTrabolin::zeigeHilfe()
{
    uebernehmeEingabe();
    m_hilfe->zeige(oeffneUrl);
}

} // namespace trabolin

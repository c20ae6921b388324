#include "window/Programmseite.h"

#include "program/Ablauf.h"
#include "program/Netzverbindung.h"
#include "stations/Zentralenregister.h"
#include "storage/Dateiformat.h"
#include "window/Bauteile.h"
#include "window/Fahrbild.h"
#include "window/Fensterbedienfeld.h"
#include "window/Tabellengitter.h"
#include "window/Tippgrenze.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trabolin {

Programmseite::Programmseite(Seitenumgebung umgebung, QWidget *parent)
    : QWidget(parent), m_umgebung(std::move(umgebung))
{
    setObjectName(QStringLiteral("Programmseite"));
    DBTabelle = benannt(new Tabellengitter(m_tabelle), QStringLiteral("DBTabelle"));
    DBTabelle->setAccessibleName(QStringLiteral("Fahrprogramm"));
    DBTabelle->setzePiepen([this] { piepe(); });
    DBTabelle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);

    auto *mittelspalte = new QVBoxLayout;
    mittelspalte->setSpacing(8);
    mittelspalte->addWidget(baueZeitpanel());
    mittelspalte->addWidget(baueAdresspanel());
    mittelspalte->addWidget(baueEditpanel());
    mittelspalte->addWidget(baueLoeschpanel());
    mittelspalte->addStretch(1);
    if (m_umgebung.fuss)
        mittelspalte->addWidget(m_umgebung.fuss);

    auto *mittelWidget = new QWidget;
    mittelWidget->setLayout(mittelspalte);
    mittelspalte->setContentsMargins(0, 0, 0, 0);
    mittelWidget->setFixedWidth(qMax(220, fontMetrics().averageCharWidth() * 34));

    // The table with the middle column beside it, the step chart under both in the
    // room the page has left.
    imgFahrbild = benannt(new Fahrbild(m_tabelle), QStringLiteral("imgFahrbild"));
    auto *linkeSeite = new QVBoxLayout(this);
    linkeSeite->setContentsMargins(0, 0, 0, 0);
    linkeSeite->setSpacing(6);
    auto *tabelleUndMitte = new QHBoxLayout;
    tabelleUndMitte->setSpacing(8);
    linkeSeite->addLayout(tabelleUndMitte);
    tabelleUndMitte->addWidget(DBTabelle, 0, Qt::AlignTop);
    tabelleUndMitte->addWidget(mittelWidget);
    linkeSeite->addWidget(imgFahrbild, 1);

    chkEndlos = benannt(new QCheckBox(QStringLiteral("&Endlosschleife")), QStringLiteral("chkEndlos"));
    chkEndlos->setToolTip(QStringLiteral(" führt das Programm endlos aus "));

    // Every command sees the text just typed into the grid: connected before any
    // handler of a button.
    QList<QAbstractButton *> knoepfe = findChildren<QAbstractButton *>();
    knoepfe << chkEndlos.data();
    for (QAbstractButton *k : knoepfe)
        connect(k, &QAbstractButton::clicked, this, &Programmseite::uebernehmeEingabe);
    connect(btnInsertLine, &QPushButton::clicked, this, [this] { bearbeite(zeileEinfuegen); });
    connect(btnDeleteLine, &QPushButton::clicked, this, [this] { bearbeite(zeileLoeschen); });
    connect(btnLineUp, &QPushButton::clicked, this, [this] { bearbeite(zeileAufwaerts); });
    connect(btnLineDown, &QPushButton::clicked, this, [this] { bearbeite(zeileAbwaerts); });
    connect(btnDelZeile, &QPushButton::clicked, this, [this] { bearbeite(zeileLeeren); });
    connect(btnDelFolgende, &QPushButton::clicked, this, [this] { bearbeite(folgendeLeeren); });
    connect(btnDelTabelle, &QPushButton::clicked, this, &Programmseite::btnDelTabelle_Click);
    connect(lblDel, &Beschriftung::geklickt, this, &Programmseite::lblDel_Click);
    connect(txtAdresse, &QLineEdit::textChanged, this, &Programmseite::adresseGeaendert);

    m_bedienfeld = std::make_unique<Fensterbedienfeld>(Fensterbedienfeld::Steuerelemente{
        txtAdresse, m_umgebung.zentraleOption, chkEndlos, m_umgebung.signal, lblStartzeit, lblLaufzeit,
        [this] { piepe(); }, chkKmh});
    m_ablauf = std::make_unique<Ablauf>(m_umgebung.betrieb, m_tabelle, *m_bedienfeld, m_umgebung.klang);
    baueTreiber();
    verbindeLauf();
    verbindeFahrbild();
}

Programmseite::~Programmseite()
{
    // The grid uses the store's selection model and the chart reads the store: both go
    // before the store does. "Endlosschleife" goes with the page wherever it is shown.
    delete layout();
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    delete chkEndlos;
}

void Programmseite::piepe()
{
    if (m_umgebung.piepen)
        m_umgebung.piepen();
}

QWidget *Programmseite::baueZeitpanel()
{
    pnlZeit = panel(QStringLiteral("pnlZeit"), QStringLiteral("Programm"));
    lblProgramm = ueberschrift(QStringLiteral("lblProgramm"), QStringLiteral("Programm"));
    lblStartzeitTitel = benannt(new Beschriftung(QStringLiteral("Startzeit")),
                                QStringLiteral("lblStartzeitTitel"));
    lblLaufzeitTitel = benannt(new Beschriftung(QStringLiteral("Laufzeit")),
                               QStringLiteral("lblLaufzeitTitel"));
    lblStartzeit = wertfeld(QStringLiteral("lblStartzeit"), QStringLiteral("Startzeit"));
    lblLaufzeit = wertfeld(QStringLiteral("lblLaufzeit"), QStringLiteral("Laufzeit"));
    lblDauerGesamtTitel = benannt(new Beschriftung(QStringLiteral("Dauer gesamt")),
                                  QStringLiteral("lblDauerGesamtTitel"));
    lblNochTitel = benannt(new Beschriftung(QStringLiteral("noch")), QStringLiteral("lblNochTitel"));
    lblDauerGesamt = wertfeld(QStringLiteral("lblDauerGesamt"), QStringLiteral("Dauer gesamt"));
    lblNoch = wertfeld(QStringLiteral("lblNoch"), QStringLiteral("noch"));
    const int zeitbreite = fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 16;
    for (Beschriftung *wert : {lblStartzeit, lblLaufzeit, lblDauerGesamt, lblNoch}) {
        wert->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        wert->setAlignment(Qt::AlignCenter);
        wert->setMinimumWidth(zeitbreite);
    }

    auto *gitter = new QGridLayout(pnlZeit);
    gitter->setContentsMargins(8, 6, 8, 8);
    gitter->addWidget(lblProgramm, 0, 0, 1, 2);
    gitter->addWidget(lblStartzeitTitel, 1, 0);
    gitter->addWidget(lblStartzeit, 1, 1);
    gitter->addWidget(lblLaufzeitTitel, 2, 0);
    gitter->addWidget(lblLaufzeit, 2, 1);
    gitter->addWidget(lblDauerGesamtTitel, 3, 0);
    gitter->addWidget(lblDauerGesamt, 3, 1);
    gitter->addWidget(lblNochTitel, 4, 0);
    gitter->addWidget(lblNoch, 4, 1);
    gitter->setColumnStretch(1, 1);
    return pnlZeit;
}

QWidget *Programmseite::baueAdresspanel()
{
    pnlAdresse = panel(QStringLiteral("pnlAdresse"), QStringLiteral("Adresse"));
    txtAdresse = benannt(new QLineEdit(QStringLiteral("1")), QStringLiteral("txtAdresse"));
    setzeTippgrenze(txtAdresse, 5);
    txtAdresse->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    lblAdresse[0] = benannt(new Beschriftung(QStringLiteral("Adresse:")), QStringLiteral("lblAdresse_0"));
    lblAdresse[1] = benannt(new Beschriftung(QStringLiteral("Adresse")), QStringLiteral("lblAdresse_1"));
    lblAdresse[0]->setBuddy(txtAdresse);
    lblDateiTitel = benannt(new Beschriftung(QStringLiteral("Datei:")), QStringLiteral("lblDateiTitel"));
    lblDatei = wertfeld(QStringLiteral("lblDatei"), QStringLiteral("Datei"));
    lblDatei->setzeGekuerzt(true);
    chkKmh = benannt(new QCheckBox(QStringLiteral("Fahrstufe &in km/h")), QStringLiteral("chkKmh"));
    chkKmh->setToolTip(QStringLiteral(" die Spalte Fahrstufe ist die Geschwindigkeit des Vorbilds in km/h; "
                                      "die Lok braucht dazu ein Lokprofil (Lok einmessen) "));

    auto *gitter = new QGridLayout(pnlAdresse);
    gitter->setContentsMargins(8, 6, 8, 6);
    gitter->addWidget(lblAdresse[0], 0, 0);
    gitter->addWidget(txtAdresse, 0, 1);
    gitter->addWidget(lblAdresse[1], 0, 2);
    gitter->addWidget(lblDateiTitel, 1, 0);
    gitter->addWidget(lblDatei, 1, 1, 1, 2);
    gitter->addWidget(chkKmh, 2, 0, 1, 3);
    gitter->setColumnStretch(2, 1);
    return pnlAdresse;
}

QWidget *Programmseite::baueEditpanel()
{
    pnlEdit = panel(QStringLiteral("pnlEdit"), QStringLiteral("Edit"));
    lblEdit = ueberschrift(QStringLiteral("lblEdit"), QStringLiteral("Edit"));
    btnInsertLine = knopf(QStringLiteral("btnInsertLine"), QStringLiteral("Zeile einfügen"),
                          QStringLiteral("fügt eine neue Zeile ein und schiebt alle folgenden Zeilen um eins nach unten"));
    btnDeleteLine = knopf(QStringLiteral("btnDeleteLine"), QStringLiteral("Zeile löschen"),
                          QStringLiteral("löscht die aktuelle Zeile und schiebt alle folgenden Zeilen um eins nach oben"));
    btnLineUp = knopf(QStringLiteral("btnLineUp"), QStringLiteral("Zeile aufwärts"),
                      QStringLiteral("verschiebt die aktuelle Zeile um eins nach oben"));
    btnLineDown = knopf(QStringLiteral("btnLineDown"), QStringLiteral("Zeile abwärts"),
                        QStringLiteral("verschiebt die aktuelle Zeile um eins nach unten"));

    auto *spalte = new QVBoxLayout(pnlEdit);
    spalte->setContentsMargins(8, 6, 8, 8);
    spalte->setSpacing(4);
    spalte->addWidget(lblEdit);
    for (QPushButton *k : {btnInsertLine, btnDeleteLine, btnLineUp, btnLineDown})
        spalte->addWidget(k);
    return pnlEdit;
}

QWidget *Programmseite::baueLoeschpanel()
{
    pnlDel = panel(QStringLiteral("pnlDel"), QStringLiteral("Löschen"));
    lblDel = ueberschrift(QStringLiteral("lblDel"), QStringLiteral("Löschen ..."));
    lblDel->setToolTip(QStringLiteral("öffnet / schliesst das Lösch-Menu"));
    lblDel->setAccessibleDescription(lblDel->toolTip());
    lblDel->setzeKlickbar(true);
    btnDelZeile = knopf(QStringLiteral("btnDelZeile"), QStringLiteral("aktuelle Zeile "),
                        QStringLiteral("löscht den Inhalt der aktuellen Zeile"));
    btnDelFolgende = knopf(QStringLiteral("btnDelFolgende"), QStringLiteral("Zeile + folgende"),
                           QStringLiteral("löscht die aktuelle und alle folgenden Zeilen"));
    btnDelTabelle = knopf(QStringLiteral("btnDelTabelle"), QStringLiteral("Tabelle"),
                          QStringLiteral("löscht die komplette Tabelle"));

    // The panel folds between two fixed heights; its buttons only show when open.
    auto *spalte = new QVBoxLayout(pnlDel);
    spalte->setContentsMargins(8, 4, 8, 4);
    spalte->setSpacing(3);
    spalte->addWidget(lblDel);
    for (QPushButton *k : {btnDelZeile, btnDelFolgende, btnDelTabelle}) {
        k->setFixedHeight(qMin(k->sizeHint().height(), 28));
        spalte->addWidget(k);
    }
    spalte->addStretch(1);
    setzeLoeschpanelHoehe(pnlDelOffen);
    return pnlDel;
}

void Programmseite::baueTreiber()
{
    // One driver per station of the registry, and the network link of each network
    // station, made together by the station; the run asks for the one of the selected
    // option. A later page's drivers take the first page's links.
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        const trabolin::Zentrale &z = *stationen[i];
        const Stationsteile &erste = m_umgebung.geteilt;
        Netzverbindung *geteilt = i < int(erste.netz.size()) ? erste.netz[i] : nullptr;
        Zentralenteile teile = z.baue(Zentralenanschluss{
            *m_ablauf, m_umgebung.v24, z.lesart, m_ablauf->gleismelder(i), m_umgebung.linkEltern, geteilt,
            i < int(erste.gemeinsam.size()) ? erste.gemeinsam[i] : nullptr});
        if (teile.netz && !geteilt)
            teile.netz->setObjectName(QStringLiteral("TCP"));
        m_teile.netz.push_back(teile.netz);
        m_teile.gemeinsam.push_back(teile.gemeinsam);
        teile.treiber->hinweis = [this, titel = u' ' + z.name + QStringLiteral("...")](const QString &text) {
            emit nachDemLauf(QStringLiteral("Hinweis"), QMessageBox::Critical, titel, text);
        };
        m_ablauf->setzeTreiber(i, teile.treiber.get());
        m_treiber.push_back(std::move(teile.treiber));
        m_einstellen.push_back(std::move(teile.einstellen));
    }
}

void Programmseite::sperreAdresse(bool gesperrt)
{
    if (gesperrt == !txtAdresse->isEnabled())
        return;
    if (gesperrt)
        m_adressTipp = txtAdresse->toolTip();
    txtAdresse->setToolTip(gesperrt ? fahrtsperreTipp : m_adressTipp);
    txtAdresse->setEnabled(!gesperrt);
}

void Programmseite::stelleEin(int option, const QString &schluessel, const QString &wert)
{
    if (option >= 0 && option < int(m_einstellen.size()) && m_einstellen[option])
        m_einstellen[option](schluessel, wert);
}

void Programmseite::setzeFahrstufen(int index)
{
    for (const auto &t : m_treiber)
        t->setzeFahrstufen(index);
    // The chart draws what the station drives in the mode chosen.
    zeigeHoechsteFahrstufe();
    zeigeProfil();
}

void Programmseite::setzeUsbInterface(bool an)
{
    for (const auto &t : m_treiber)
        t->setzeUsbInterface(an);
}

void Programmseite::zeigeAdresstitel(const QString &titel, const QString &bereich)
{
    lblAdresse[0]->setText(titel);
    lblAdresse[1]->setText(bereich);
}

std::pair<QString, QString> Programmseite::adresstitel() const
{
    return {lblAdresse[0]->text(), lblAdresse[1]->text()};
}

void Programmseite::setzeKontaktZeitgrenze(int sekunden)
{
    m_ablauf->setzeKontaktZeitgrenze(sekunden);
    imgFahrbild->setzeKontaktgrenze(qint64(m_ablauf->kontaktZeitgrenze()) * 1000);
}

void Programmseite::verbindeLauf()
{
    connect(m_ablauf.get(), &Ablauf::laufBeginnt, this, [this](bool einzelzeile) {
        // A measuring run drives no line of the table: the chart stays as it is.
        if (!m_ablauf->misst())
            imgFahrbild->laufBeginnt(einzelzeile);
        emit laufBeginnt(einzelzeile);
    });
    connect(m_ablauf.get(), &Ablauf::laufEndet, this, [this] {
        // The run's display ends before a message tells why it ended: "noch", the
        // chart's cursor and the running line's tint are gone while the box is open.
        imgFahrbild->laufEndet();
        emit laufEndet();
    });
    // The message never holds the stop back: it waits until the run has ended.
    connect(m_ablauf.get(), &Ablauf::angehalten, this, [this](Gleiszustand ursache) {
        const Gleismeldung m = gleisHaltMeldung(ursache);
        if (!m.text.isEmpty()) // a lost link tells of itself
            emit nachDemLauf(QStringLiteral("Gleis"), QMessageBox::Critical, m.titel, m.text);
    });
    // A contact line's wait is shown in the chart; a contact that never came is told
    // after the run.
    auto zeigeKontakt = [this] { imgFahrbild->setzeKontaktwarte(m_ablauf->wartetAufKontakt()); };
    connect(m_ablauf.get(), &Ablauf::kontaktwarteGeaendert, this, zeigeKontakt);
    connect(m_ablauf.get(), &Ablauf::kontaktGeaendert, this, zeigeKontakt);
    connect(m_ablauf.get(), &Ablauf::kontaktVerfehlt, this, [this](int kontakt) {
        emit nachDemLauf(QStringLiteral("Kontakt"), QMessageBox::Warning, QStringLiteral(" Kontaktfahrt..."),
                         QStringLiteral("Kontakt %1 nicht erreicht – Lok angehalten").arg(kontakt));
    });
    connect(m_ablauf.get(), &Ablauf::ohneKontakte, this, [this] {
        const trabolin::Zentrale *z = zentralenzeile(m_bedienfeld->zentraleOption());
        emit meldung(QMessageBox::Critical, QStringLiteral(" Kontaktfahrt..."),
                     QStringLiteral("Die %1 kann keine Kontakte lesen, Zeilen mit K oder k fahren nicht !")
                         .arg(z ? z->name : QString()));
    });
}

// --- the program's controls and files

QString Programmseite::adresse() const
{
    return txtAdresse->text();
}

void Programmseite::setzeAdresse(const QString &text, bool ganz)
{
    if (ganz)
        setzeGanz(txtAdresse, text);
    else
        txtAdresse->setText(text);
}

QString Programmseite::datei() const
{
    return lblDatei->text();
}

void Programmseite::setzeDatei(const QString &pfad)
{
    lblDatei->setText(pfad);
}

QString Programmseite::ladeProgramm(const QString &pfad)
{
    QFile datei(pfad);
    if (const Fehler f = oeffneZumLesen(datei))
        return f.beschreibung + QStringLiteral(".\n\nDie Tabelle bleibt unverändert.");
    int fehlt = 0;
    // Decoded completely first: a short file leaves the table as it was.
    const auto inhalt = leseProgramm(datei, &fehlt);
    datei.close();
    if (!inhalt)
        return QStringLiteral("Die Datei \"%1\" ist keine vollständige Befehlsdatei: sie endet vor "
                              "Zeile %2 von 26.\n\nDie Tabelle bleibt unverändert.")
            .arg(QDir::toNativeSeparators(pfad))
            .arg(fehlt);
    tabelleNach(m_tabelle, *inhalt);
    m_tabelle.alleGeaendert();
    lblDatei->setText(QDir::toNativeSeparators(pfad));
    return {};
}

QString Programmseite::speichereProgramm(const QString &pfad)
{
    durchlaufeZeilen();
    return speichereDatei(pfad, schreibeProgramm(tabelleAus(m_tabelle)));
}

void Programmseite::uebernehmeEingabe()
{
    DBTabelle->uebernehmeEingabe();
}

void Programmseite::durchlaufeZeilen()
{
    m_tabelle.setzeAktuelleZeile(1);
    m_tabelle.setzeAktuelleZeile(anzahlZeilen);
}

// --- table editing

void Programmseite::bearbeite(Bearbeitung (*befehl)(Tabellenspeicher &, int))
{
    uebernehmeEingabe();
    const Bearbeitung ergebnis = befehl(m_tabelle, m_tabelle.aktuelleZeile());
    if (ergebnis.piepen) {
        piepe();
        return;
    }
    m_bearbeitet = true;
    m_tabelle.setzeAktuelleZeile(ergebnis.zeile);
    m_bearbeitet = false;
    DBTabelle->viewport()->update();
}

void Programmseite::btnDelTabelle_Click()
{
    // An empty table is a new program: the run of the old one ends with its stop at
    // once, not only when the line that is running has run out.
    m_ablauf->halteAn();
    bearbeite(tabelleLeeren);
}

void Programmseite::setzeLoeschpanelOffen(bool offen)
{
    setzeLoeschpanelHoehe(offen ? pnlDelOffen : pnlDelZu);
}

void Programmseite::setzeLoeschpanelHoehe(int hoehe)
{
    pnlDel->setFixedHeight(hoehe);
    const bool offen = hoehe == pnlDelOffen;
    for (QPushButton *k : {btnDelZeile, btnDelFolgende, btnDelTabelle})
        k->setVisible(offen);
}

void Programmseite::lblDel_Click()
{
    uebernehmeEingabe();
    setzeLoeschpanelHoehe(pnlDel->height() == pnlDelOffen ? pnlDelZu : pnlDelOffen);
    lblDel->setText(pnlDel->height() == pnlDelOffen ? QStringLiteral("Löschen")
                                                      : QStringLiteral("Löschen ..."));
}

} // namespace trabolin

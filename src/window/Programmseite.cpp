#include "window/Programmseite.h"

#include "program/Ablauf.h"
#include "program/Netzverbindung.h"
#include "stations/Zentralenregister.h"
#include "storage/Dateiformat.h"
#include "window/Bauteile.h"
#include "window/Fahrbild.h"
#include "window/Fensterbedienfeld.h"
#include "window/Sprache.h"
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

    chkEndlos = benannt(new QCheckBox, QStringLiteral("chkEndlos"));

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
    beiSprache(this, [this] { zeigeTexte(); });
}

void Programmseite::zeigeTexte()
{
    DBTabelle->setAccessibleName(tr("Fahrprogramm"));
    chkEndlos->setText(tr("&Endlosschleife"));
    chkEndlos->setToolTip(tr(" führt das Programm endlos aus "));

    pnlZeit->setAccessibleName(tr("Programm"));
    lblProgramm->setText(tr("Programm"));
    lblStartzeitTitel->setText(tr("Startzeit"));
    lblLaufzeitTitel->setText(tr("Laufzeit"));
    lblDauerGesamtTitel->setText(tr("Dauer gesamt"));
    lblNochTitel->setText(tr("noch"));
    lblStartzeit->setAccessibleDescription(lblStartzeitTitel->text());
    lblLaufzeit->setAccessibleDescription(lblLaufzeitTitel->text());
    lblDauerGesamt->setAccessibleDescription(lblDauerGesamtTitel->text());
    lblNoch->setAccessibleDescription(lblNochTitel->text());

    pnlAdresse->setAccessibleName(tr("Adresse"));
    lblDateiTitel->setText(tr("Datei:"));
    lblDatei->setAccessibleDescription(tr("Datei"));
    chkKmh->setText(tr("Fahrstufe &in km/h"));
    chkKmh->setToolTip(tr(" die Spalte Fahrstufe ist die Geschwindigkeit des Vorbilds in km/h; "
                          "die Lok braucht dazu ein Lokprofil (Lok einmessen) "));
    if (!txtAdresse->isEnabled())
        txtAdresse->setToolTip(tr(" während der Fahrt gesperrt "));

    pnlEdit->setAccessibleName(tr("Edit"));
    lblEdit->setText(tr("Edit"));
    const auto beschrifte = [](QPushButton *k, const QString &text, const QString &tipp) {
        k->setText(text);
        k->setToolTip(tipp);
    };
    beschrifte(btnInsertLine, tr("Zeile einfügen"),
               tr("fügt eine neue Zeile ein und schiebt alle folgenden Zeilen um eins nach unten"));
    beschrifte(btnDeleteLine, tr("Zeile löschen"),
               tr("löscht die aktuelle Zeile und schiebt alle folgenden Zeilen um eins nach oben"));
    beschrifte(btnLineUp, tr("Zeile aufwärts"), tr("verschiebt die aktuelle Zeile um eins nach oben"));
    beschrifte(btnLineDown, tr("Zeile abwärts"), tr("verschiebt die aktuelle Zeile um eins nach unten"));

    pnlDel->setAccessibleName(tr("Löschen"));
    zeigeLoeschtitel();
    lblDel->setToolTip(tr("öffnet / schliesst das Lösch-Menu"));
    lblDel->setAccessibleDescription(lblDel->toolTip());
    beschrifte(btnDelZeile, tr("aktuelle Zeile "), tr("löscht den Inhalt der aktuellen Zeile"));
    beschrifte(btnDelFolgende, tr("Zeile + folgende"), tr("löscht die aktuelle und alle folgenden Zeilen"));
    beschrifte(btnDelTabelle, tr("Tabelle"), tr("löscht die komplette Tabelle"));

    // The times beside them carry words too (" je Durchlauf").
    zeigeFahrstand();
}

void Programmseite::zeigeLoeschtitel()
{
    lblDel->setText(m_loeschenOhnePunkte ? tr("Löschen") : tr("Löschen ..."));
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
    // The captions are set by zeigeTexte, in the language in effect.
    pnlZeit = panel(QStringLiteral("pnlZeit"), QString());
    lblProgramm = ueberschrift(QStringLiteral("lblProgramm"), QString());
    lblStartzeitTitel = benannt(new Beschriftung, QStringLiteral("lblStartzeitTitel"));
    lblLaufzeitTitel = benannt(new Beschriftung, QStringLiteral("lblLaufzeitTitel"));
    lblStartzeit = wertfeld(QStringLiteral("lblStartzeit"), QString());
    lblLaufzeit = wertfeld(QStringLiteral("lblLaufzeit"), QString());
    lblDauerGesamtTitel = benannt(new Beschriftung, QStringLiteral("lblDauerGesamtTitel"));
    lblNochTitel = benannt(new Beschriftung, QStringLiteral("lblNochTitel"));
    lblDauerGesamt = wertfeld(QStringLiteral("lblDauerGesamt"), QString());
    lblNoch = wertfeld(QStringLiteral("lblNoch"), QString());
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
    pnlAdresse = panel(QStringLiteral("pnlAdresse"), QString());
    txtAdresse = benannt(new QLineEdit(QStringLiteral("1")), QStringLiteral("txtAdresse"));
    setzeTippgrenze(txtAdresse, 5);
    txtAdresse->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    // Until the window puts in the station's own words (again after a switch of language).
    lblAdresse[0] = benannt(new Beschriftung(tr("Adresse:")), QStringLiteral("lblAdresse_0"));
    lblAdresse[1] = benannt(new Beschriftung(tr("Adresse")), QStringLiteral("lblAdresse_1"));
    lblAdresse[0]->setBuddy(txtAdresse);
    lblDateiTitel = benannt(new Beschriftung, QStringLiteral("lblDateiTitel"));
    lblDatei = wertfeld(QStringLiteral("lblDatei"), QString());
    lblDatei->setzeGekuerzt(true);
    chkKmh = benannt(new QCheckBox, QStringLiteral("chkKmh"));

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
    pnlEdit = panel(QStringLiteral("pnlEdit"), QString());
    lblEdit = ueberschrift(QStringLiteral("lblEdit"), QString());
    btnInsertLine = knopf(QStringLiteral("btnInsertLine"), QString());
    btnDeleteLine = knopf(QStringLiteral("btnDeleteLine"), QString());
    btnLineUp = knopf(QStringLiteral("btnLineUp"), QString());
    btnLineDown = knopf(QStringLiteral("btnLineDown"), QString());

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
    pnlDel = panel(QStringLiteral("pnlDel"), QString());
    lblDel = ueberschrift(QStringLiteral("lblDel"), QString());
    lblDel->setzeKlickbar(true);
    btnDelZeile = knopf(QStringLiteral("btnDelZeile"), QString());
    btnDelFolgende = knopf(QStringLiteral("btnDelFolgende"), QString());
    btnDelTabelle = knopf(QStringLiteral("btnDelTabelle"), QString());

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
    txtAdresse->setToolTip(gesperrt ? tr(" während der Fahrt gesperrt ") : m_adressTipp);
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
        emit nachDemLauf(QStringLiteral("Kontakt"), QMessageBox::Warning, tr(" Kontaktfahrt..."),
                         tr("Kontakt %1 nicht erreicht – Lok angehalten").arg(kontakt));
    });
    connect(m_ablauf.get(), &Ablauf::ohneKontakte, this, [this] {
        const trabolin::Zentrale *z = zentralenzeile(m_bedienfeld->zentraleOption());
        emit meldung(QMessageBox::Critical, tr(" Kontaktfahrt..."),
                     tr("Die %1 kann keine Kontakte lesen, Zeilen mit K oder k fahren nicht !")
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
        return tr("%1.\n\nDie Tabelle bleibt unverändert.").arg(f.beschreibung);
    int fehlt = 0;
    // Decoded completely first: a short file leaves the table as it was.
    const auto inhalt = leseProgramm(datei, &fehlt);
    datei.close();
    if (!inhalt)
        return tr("Die Datei \"%1\" ist keine vollständige Befehlsdatei: sie endet vor "
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
    m_loeschenOhnePunkte = pnlDel->height() == pnlDelOffen;
    zeigeLoeschtitel();
}

} // namespace trabolin

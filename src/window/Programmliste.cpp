#include "window/Programmliste.h"

#include "program/Ablauf.h"
#include "program/Fahrbetrieb.h"
#include "program/Zahlen.h"
#include "stations/Zentralenregister.h"
#include "storage/Dateiformat.h"
#include "storage/Lokprofildatei.h"
#include "window/Bauteile.h"
#include "window/Messfenster.h"
#include "window/Sprache.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>

namespace trabolin {

namespace {

// The marker of a running program's tab: a green dot, drawn once.
const QIcon &fahrmarke()
{
    static const QIcon marke = [] {
        QPixmap bild(12, 12);
        bild.fill(Qt::transparent);
        QPainter maler(&bild);
        maler.setRenderHint(QPainter::Antialiasing);
        maler.setBrush(QColor(0x1e, 0x8c, 0x3a));
        maler.setPen(Qt::NoPen);
        maler.drawEllipse(1, 1, 10, 10);
        maler.end();
        return QIcon(bild);
    }();
    return marke;
}

bool tabelleLeer(const Tabellenspeicher &t)
{
    for (int z = 1; z <= anzahlZeilen; ++z)
        for (int c = 1; c <= anzahlZellen; ++c)
            if (!t.zelle(z, c).trimmed().isEmpty())
                return false;
    return true;
}

} // namespace

Programmliste::Programmliste(Anschluss anschluss, QBoxLayout *endlosReihe, QMenuBar *leiste, QWidget *fenster)
    : QObject(fenster), m_a(std::move(anschluss)), m_endlosReihe(endlosReihe)
{
    m_flaeche = new QWidget;
    m_flaeche->setObjectName(QStringLiteral("pnlProgramme"));
    auto *spalte = new QVBoxLayout(m_flaeche);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);
    m_reiterzeile = new QWidget;
    auto *zeile = new QHBoxLayout(m_reiterzeile);
    zeile->setContentsMargins(0, 0, 0, 2);
    m_reiter = new QTabBar;
    m_reiter->setObjectName(QStringLiteral("tabProgramme"));
    m_reiter->setExpanding(false);
    m_reiter->setDrawBase(false);
    zeile->addWidget(m_reiter);
    zeile->addStretch(1);
    m_anhalten = new QPushButton;
    m_anhalten->setObjectName(QStringLiteral("btnLokAnhalten"));
    zeile->addWidget(m_anhalten);
    m_reiterzeile->hide();
    spalte->addWidget(m_reiterzeile);
    m_stapel = new QStackedWidget;
    m_stapel->setObjectName(QStringLiteral("stkProgramme"));
    spalte->addWidget(m_stapel);
    Programmseite *erste = m_a.seiten.front();
    m_stapel->setSizePolicy(erste->sizePolicy());
    m_flaeche->setSizePolicy(erste->sizePolicy());
    m_stapel->addWidget(erste);
    m_reiter->addTab(reitertext(0));

    auto *menue = new QMenu(leiste);
    menue->setObjectName(QStringLiteral("mnuFahrprogramm"));
    menue->menuAction()->setObjectName(QStringLiteral("mnuFahrprogramm"));
    leiste->insertMenu(leiste->actions().value(1), menue);
    m_neu = menue->addAction(QString(), this, [this] { neueLok(); });
    m_neu->setObjectName(QStringLiteral("mnuNeueLok"));
    m_neu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_entfernen = menue->addAction(QString(), this, [this] { entferneLok(); });
    m_entfernen->setObjectName(QStringLiteral("mnuLokEntfernen"));
    m_entfernen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    m_laden = leiste->findChild<QAction *>(QStringLiteral("mnuDatei_laden"));
    m_alle = menue->addAction(QString(), this, [this] {
        if (m_a.darfStarten())
            m_a.betrieb.alleStarten();
    });
    m_alle->setObjectName(QStringLiteral("mnuAlleStarten"));
    m_alle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    for (QAction *a : {m_neu, m_entfernen, m_alle})
        fenster->addAction(a); // the shortcuts work with the menu closed
    // Measuring: the profiles are read now, so that every run finds its locomotive's.
    QStringList codes;
    for (const auto &z : zentralenregister())
        codes << z->code;
    m_a.betrieb.setzeStationscodes(codes);
    m_messen = new Messfenster({m_a.betrieb, [this]() -> Ablauf & { return m_a.seiten[m_a.aktuell]->ablauf(); },
                                QDir(m_a.ordner).filePath(lokprofilDateiname), m_a.melde},
                               fenster);
    m_messen->leseProfile();
    m_einmessen = menue->addAction(QString(), this, [this] { m_messen->zeige(); });
    m_einmessen->setObjectName(QStringLiteral("mnuLokEinmessen"));
    connect(m_messen, &Messfenster::profileGeaendert, this, [this] {
        for (Programmseite *s : m_a.seiten)
            s->zeigeProfil();
    });
    auto *vor = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), fenster);
    // Shift+Tab arrives as Backtab; on X11 the shortcut map looks it up as Ctrl+Shift+Tab.
    auto *zurueck = new QShortcut(fenster);
    zurueck->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    connect(vor, &QShortcut::activated, this, [this] { zeige((m_a.aktuell + 1) % int(m_a.seiten.size())); });
    const auto vorige = [this] {
        const int n = int(m_a.seiten.size());
        zeige((m_a.aktuell + n - 1) % n);
    };
    connect(zurueck, &QShortcut::activated, this, vorige);
    connect(zurueck, &QShortcut::activatedAmbiguously, this, vorige); // a platform that finds both
    connect(m_reiter, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0)
            zeige(index);
    });
    connect(m_anhalten, &QPushButton::clicked, this, [this] { m_a.seiten[m_a.aktuell]->ablauf().stoppKlick(); });
    nimmAuf(erste);
    // The captions, and the tabs' texts and tool tips, in the language in effect.
    beiSprache(this, [this, menue] {
        m_reiter->setAccessibleName(tr("Fahrprogramme"));
        m_reiter->setToolTip(tr(" ein Fahrprogramm je Lok; Strg+Tab wechselt "));
        m_anhalten->setText(tr("Lok anhal&ten"));
        m_anhalten->setToolTip(tr(" hält nur die Lok dieses Fahrprogramms an "));
        menue->setTitle(tr("Fa&hrprogramm"));
        m_neu->setText(tr("&Neue Lok"));
        m_entfernen->setText(tr("Lok &entfernen"));
        m_alle->setText(tr("&Alle starten"));
        m_einmessen->setText(tr("Lok ein&messen ..."));
        // The tab bar's scroll buttons carry Qt's own names, set once when the bar is
        // made: they are Qt's texts, in the language of Qt's translation now in effect.
        for (auto [name, text] : {std::pair{"ScrollLeftButton", "Scroll Left"}, std::pair{"ScrollRightButton", "Scroll Right"}})
            if (auto *knopf = m_reiter->findChild<QWidget *>(QLatin1String(name)))
                knopf->setAccessibleName(QTabBar::tr(text));
        aktualisiere();
    });
}

Programmseite *Programmliste::nimmAuf(Programmseite *seite)
{
    connect(seite, &Programmseite::laufBeginnt, this, &Programmliste::aktualisiere);
    connect(seite, &Programmseite::laufEndet, this, &Programmliste::aktualisiere);
    connect(seite, &Programmseite::adresseGeaendert, this, &Programmliste::aktualisiere);
    connect(&seite->ablauf(), &Ablauf::profilFehlt, this,
            [this](const QString &titel, const QString &text) { m_a.melde(QMessageBox::Critical, titel, text); });
    seite->zeigeProfil();
    // A locomotive another program drives is refused with the number of that program.
    connect(&seite->ablauf(), &Ablauf::lokBelegt, this, [this](int programm, const QString &lok) {
        m_a.melde(QMessageBox::Critical, tr(" Adresse..."),
                  tr("%1 %2 fährt schon im Fahrprogramm %3 !").arg(m_a.adresswort(), lok).arg(programm));
    });
    return seite;
}

QString Programmliste::reitertext(int index) const
{
    const QString adresse = m_a.seiten[index]->adresse().trimmed();
    return m_a.adresswort() + u' ' + (adresse.isEmpty() ? QStringLiteral("?") : adresse);
}

Programmseite *Programmliste::neueLok(bool zeigen)
{
    if (int(m_a.seiten.size()) >= hoechstens) {
        m_a.melde(QMessageBox::Information, tr(" Neue Lok..."),
                  tr("Mehr als %1 Fahrprogramme gehen nicht !").arg(hoechstens));
        return nullptr;
    }
    qint64 hoechste = 0;
    for (const Programmseite *s : m_a.seiten)
        hoechste = qMax(hoechste, leseGanzzahl(s->adresse()));
    Programmseite *seite = nimmAuf(m_a.neueSeite());
    seite->setzeAdresse(QString::number(hoechste + 1));
    m_stapel->addWidget(seite);
    QCheckBox *endlos = seite->endlosSchalter();
    m_endlosReihe->insertWidget(0, endlos);
    endlos->hide();
    m_reiter->addTab(reitertext(int(m_a.seiten.size()) - 1));
    if (zeigen)
        zeige(int(m_a.seiten.size()) - 1);
    else
        aktualisiere();
    return seite;
}

void Programmliste::entferneLok()
{
    Programmseite *seite = m_a.seiten[m_a.aktuell];
    if (m_a.seiten.size() < 2 || seite->ablauf().laeuft())
        return;
    if (!tabelleLeer(seite->tabelle())
        && !m_a.frage(tr(" Lok entfernen..."),
                      tr("Fahrprogramm für %1 mit seiner Tabelle entfernen ?").arg(reitertext(m_a.aktuell))))
        return;
    const int index = m_a.aktuell;
    m_a.seiten.erase(m_a.seiten.begin() + index);
    m_reiter->blockSignals(true);
    m_reiter->removeTab(index);
    m_reiter->blockSignals(false);
    m_stapel->removeWidget(seite);
    m_a.aktuell = -1;
    zeige(qMin(index, int(m_a.seiten.size()) - 1));
    delete seite; // its checkbox goes with it
}

void Programmliste::zeige(int index)
{
    if (index < 0 || index >= int(m_a.seiten.size()))
        return;
    m_a.aktuell = index;
    m_stapel->setCurrentWidget(m_a.seiten[index]);
    for (int i = 0; i < int(m_a.seiten.size()); ++i)
        m_a.seiten[i]->endlosSchalter()->setVisible(i == index);
    m_reiter->blockSignals(true);
    m_reiter->setCurrentIndex(index);
    m_reiter->blockSignals(false);
    aktualisiere();
    if (m_a.gewechselt)
        m_a.gewechselt();
}

void Programmliste::aktualisiere()
{
    const bool mehrere = m_a.seiten.size() > 1;
    m_reiterzeile->setVisible(mehrere);
    for (int i = 0; i < int(m_a.seiten.size()) && i < m_reiter->count(); ++i) {
        const bool faehrt = m_a.seiten[i]->ablauf().laeuft();
        m_reiter->setTabText(i, reitertext(i));
        m_reiter->setTabIcon(i, faehrt ? fahrmarke() : QIcon());
        m_reiter->setAccessibleTabName(i, reitertext(i) + (faehrt ? tr(" – fährt") : QString()));
    }
    const bool laeuft = !m_a.seiten.empty() && m_a.aktuell >= 0 && m_a.aktuell < int(m_a.seiten.size())
                        && m_a.seiten[m_a.aktuell]->ablauf().laeuft();
    m_entfernen->setEnabled(mehrere && !laeuft);
    m_entfernen->setToolTip(laeuft ? tr(" gesperrt, solange dieses Fahrprogramm fährt ") : QString());
    m_anhalten->setEnabled(laeuft);
    // With several programs a running program keeps its address and its table: its
    // address field and "öffnen / laden" are locked until it ends. One program loads
    // and changes its address during a run as it always did.
    for (Programmseite *seite : m_a.seiten)
        seite->sperreAdresse(mehrere && seite->ablauf().laeuft());
    if (m_laden) {
        m_laden->setEnabled(!(mehrere && laeuft));
        m_laden->setToolTip(mehrere && laeuft ? tr(" während der Fahrt gesperrt ") : QString());
    }
}

} // namespace trabolin

#include "window/Messfenster.h"

#include "program/Ablauf.h"
#include "program/Messlauf.h"
#include "storage/Dateiformat.h"
#include "storage/Lokprofildatei.h"
#include "window/Beschriftung.h"
#include "window/Sprache.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <array>
#include <vector>

namespace trabolin {

// Speed over step: forwards solid, backwards dashed, each measured step a circle, the
// straight lines between them as distance lines will reckon with them.
class Messbild : public QWidget {
    Q_OBJECT
public:
    explicit Messbild(QWidget *parent) : QWidget(parent)
    {
        setMinimumSize(320, 180);
        beiSprache(this, [this] {
            setAccessibleName(tr("Geschwindigkeit über Fahrstufe"));
            setToolTip(tr(" Geschwindigkeit in mm/s über der Fahrstufe, vorwärts durchgezogen, "
                          "rückwärts gestrichelt; die Kreise sind die gemessenen Stufen "));
            update();
        });
    }
    void zeige(const QList<Messzeile> &zeilen, int hoechste)
    {
        m_zeilen = zeilen;
        m_hoechste = qMax(1, hoechste);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), palette().base());
        const QFontMetrics fm(font());
        const QRectF f = QRectF(rect()).adjusted(fm.horizontalAdvance(QStringLiteral("00000")) + 6, fm.height(), -8,
                                                 -fm.height() - 6);
        Lokprofil profil;
        double hoechstMm = 0;
        for (const Messzeile &z : m_zeilen) {
            if (z.vorwaerts.isEmpty() && z.rueckwaerts.isEmpty())
                continue;
            profil.setzePunkt({z.stufe, z.mittelVor(), z.mittelRueck()});
            hoechstMm = qMax(hoechstMm, qMax(z.mittelVor(), z.mittelRueck()));
        }
        hoechstMm = hoechstMm > 0 ? hoechstMm * 1.1 : 100;
        const auto punkt = [&](double stufe, double mm) {
            return QPointF(f.left() + f.width() * stufe / m_hoechste, f.bottom() - f.height() * mm / hoechstMm);
        };
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(f);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(0, f.top() - fm.height() / 2.0, f.left() - 4, fm.height()), Qt::AlignRight,
                   QString::number(qRound(hoechstMm)));
        p.drawText(QRectF(0, f.bottom() - fm.height() / 2.0, f.left() - 4, fm.height()), Qt::AlignRight,
                   QStringLiteral("0"));
        p.drawText(QRectF(f.left(), 0, f.width(), fm.height()), Qt::AlignLeft, QStringLiteral("mm/s"));
        p.drawText(QRectF(f.left(), f.bottom() + 2, f.width(), fm.height()), Qt::AlignLeft, QStringLiteral("0"));
        p.drawText(QRectF(f.left(), f.bottom() + 2, f.width(), fm.height()), Qt::AlignRight,
                   tr("Fahrstufe %1").arg(m_hoechste));
        if (profil.punkte.isEmpty())
            return;
        for (const bool vorwaerts : {true, false}) {
            QPen stift(vorwaerts ? palette().color(QPalette::Highlight) : palette().color(QPalette::Text), 1.5,
                       vorwaerts ? Qt::SolidLine : Qt::DashLine);
            p.setPen(stift);
            QPainterPath linie(punkt(0, 0));
            for (int s = 1; s <= m_hoechste; ++s)
                linie.lineTo(punkt(s, profil.mmProS(s, vorwaerts)));
            p.drawPath(linie);
            stift.setStyle(Qt::SolidLine);
            p.setPen(stift);
            for (const Messpunkt &m : profil.punkte)
                p.drawEllipse(punkt(m.stufe, vorwaerts ? m.vorwaerts : m.rueckwaerts), 3, 3);
        }
    }

private:
    QList<Messzeile> m_zeilen;
    int m_hoechste = 126;
};

namespace {

QString zahl(double wert, int stellen = 1)
{
    return QLocale::c().toString(wert, 'f', stellen);
}

} // namespace

Messfenster::Messfenster(Anschluss anschluss, QWidget *parent) : QWidget(parent, Qt::Window), m_a(std::move(anschluss))
{
    setObjectName(QStringLiteral("frmEinmessen"));
    auto *gitter = new QGridLayout(this);
    // The caption of each field is set in the language in effect, below.
    std::vector<std::pair<Beschriftung *, QWidget *>> felder;
    const auto feld = [&](int zeile, int spalte, QWidget *w, const char *name) {
        auto *b = new Beschriftung;
        b->setObjectName(QStringLiteral("lbl") + QLatin1String(name + 3));
        b->setBuddy(w);
        w->setObjectName(QLatin1String(name));
        gitter->addWidget(b, zeile, spalte);
        gitter->addWidget(w, zeile, spalte + 1);
        felder.emplace_back(b, w);
    };
    const auto kontakt = [](int wert) {
        auto *s = new QSpinBox;
        s->setRange(1, 2048);
        s->setValue(wert);
        return s;
    };
    txtKontaktA = kontakt(1);
    txtKontaktB = kontakt(2);
    txtAbstand = new QSpinBox;
    txtAbstand->setRange(0, 100000);
    txtAbstand->setSpecialValueText(QStringLiteral(" "));
    txtFahrstufen = new QLineEdit;
    txtDurchlaeufe = new QSpinBox;
    txtDurchlaeufe->setRange(1, 9);
    txtDurchlaeufe->setValue(2);
    lstMassstab = new QComboBox;
    for (const Massstab &m : massstaebe())
        lstMassstab->addItem(m.text, m.verhaeltnis);
    lstMassstab->setCurrentText(QStringLiteral("H0 1:87"));
    feld(0, 0, txtKontaktA, "txtKontaktA");
    feld(0, 2, txtKontaktB, "txtKontaktB");
    feld(1, 0, txtAbstand, "txtAbstand");
    feld(1, 2, lstMassstab, "lstMassstab");
    feld(2, 0, txtFahrstufen, "txtFahrstufen");
    feld(2, 2, txtDurchlaeufe, "txtDurchlaeufe");

    btnMessen = new QPushButton;
    btnMessen->setObjectName(QStringLiteral("btnMessen"));
    btnAbbrechen = new QPushButton;
    btnAbbrechen->setObjectName(QStringLiteral("btnAbbrechen"));
    btnAbbrechen->setEnabled(false);
    gitter->addWidget(btnMessen, 0, 4);
    gitter->addWidget(btnAbbrechen, 1, 4);

    tabMessung = new QTableWidget(0, 5);
    tabMessung->setObjectName(QStringLiteral("tabMessung"));
    tabMessung->verticalHeader()->hide();
    tabMessung->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabMessung->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    imgMessung = new Messbild(this);
    imgMessung->setObjectName(QStringLiteral("imgMessung"));
    lblStand = new Beschriftung(QString(), Beschriftung::Art::wert);
    lblStand->setObjectName(QStringLiteral("lblStand"));
    lblStand->setWordWrap(true);
    gitter->addWidget(tabMessung, 3, 0, 1, 5);
    gitter->addWidget(imgMessung, 4, 0, 1, 5);
    gitter->addWidget(lblStand, 5, 0, 1, 5);
    gitter->setRowStretch(4, 1);

    beiSprache(this, [this, felder] {
        setWindowTitle(tr(" Lok einmessen"));
        const std::array<std::pair<QString, QString>, 6> texte{{
            {tr("Kontakt A"), tr(" der Kontakt, hinter dem die Lok steht (auf der Seite weg von B) ")},
            {tr("Kontakt B"), tr(" der Kontakt am Ende der Messstrecke ")},
            {tr("Abstand (mm)"), tr(" die Strecke zwischen A und B am Gleis gemessen, vom Anfang des einen "
                                    "Kontakts zum Anfang des anderen ")},
            {tr("Maßstab"), tr(" rechnet mm/s der Modellbahn in km/h des Vorbilds um ")},
            {tr("Fahrstufen"), tr(" die zu messenden Fahrstufen, z. B. 8, 16, 32, 64, 126 ")},
            {tr("Durchläufe"), tr(" Fahrten je Fahrstufe und Richtung ")},
        }};
        for (std::size_t i = 0; i < felder.size(); ++i) {
            felder[i].first->setText(texte[i].first);
            felder[i].second->setToolTip(texte[i].second);
        }
        btnMessen->setText(tr("&Messen"));
        btnMessen->setToolTip(tr(" fährt die Lok je Fahrstufe von A nach B und zurück und misst die Zeit "));
        btnAbbrechen->setText(tr("&Abbrechen"));
        btnAbbrechen->setToolTip(tr(" hält die Lok sofort an und beendet die Messung "));
        tabMessung->setAccessibleName(tr("Messung"));
        tabMessung->setHorizontalHeaderLabels(
            {tr("Fahrstufe"), tr("vorwärts mm/s"), tr("rückwärts mm/s"), QStringLiteral("km/h"), tr("Streuung %")});
        // What the table and the status line say in words.
        for (int i = 0; i < tabMessung->rowCount() && i < m_gezeigt.size(); ++i)
            zeigeZeile(i, m_gezeigt);
        zeigeStandtext();
    });

    connect(btnMessen, &QPushButton::clicked, this, &Messfenster::btnMessen_Click);
    connect(btnAbbrechen, &QPushButton::clicked, this, [this] {
        if (m_lauf)
            m_lauf->abbrechen();
    });
}

Messfenster::~Messfenster()
{
    // A measurement still suspended goes on only when its waits are resumed, which
    // ends it at once; its object must outlive that.
    if (m_lauf && m_lauf->laeuft())
        m_lauf.release()->deleteLater();
}

bool Messfenster::misst() const
{
    return m_lauf && m_lauf->laeuft();
}

void Messfenster::zeige()
{
    if (!misst()) {
        Ablauf &ablauf = m_a.ablauf();
        m_hoechste = ablauf.hoechsteMessstufe(ablauf.aktiveOption());
        QStringList stufen;
        for (const int s : Messlauf::vorgabeStufen(m_hoechste))
            stufen << QString::number(s);
        txtFahrstufen->setText(stufen.join(QStringLiteral(", ")));
        zeigeStand();
        zeigeProfil();
    }
    show();
    raise();
    activateWindow();
}

void Messfenster::zeigeProfil()
{
    // The profile the locomotive has now, in the table and the picture.
    Ablauf &ablauf = m_a.ablauf();
    QList<Messzeile> zeilen;
    if (const Lokprofil *p = m_a.betrieb.lokprofil(ablauf.profilschluessel(ablauf.aktiveOption())))
        for (const Messpunkt &m : p->punkte)
            zeilen.append(Messzeile{m.stufe, {m.vorwaerts}, {m.rueckwaerts}, false, false, false, true});
    tabMessung->setRowCount(int(zeilen.size()));
    for (int i = 0; i < zeilen.size(); ++i)
        zeigeZeile(i, zeilen);
    imgMessung->zeige(zeilen, m_hoechste);
}

void Messfenster::zeigeStand()
{
    Ablauf &ablauf = m_a.ablauf();
    m_stand = Stand::profil;
    m_schluessel = ablauf.profilschluessel(ablauf.aktiveOption());
    zeigeStandtext();
}

void Messfenster::zeigeStandtext()
{
    switch (m_stand) {
    case Stand::keiner:
        return;
    case Stand::misst:
        lblStand->setText(tr("Misst ..."));
        return;
    case Stand::abgebrochen:
        lblStand->setText(tr("Die Messung wurde abgebrochen; das Lokprofil bleibt, wie es war."));
        return;
    case Stand::profil:
        break;
    }
    const Profilschluessel &s = m_schluessel;
    QString text = tr("Lok %1 auf der %2, Fahrstufen %3").arg(s.adresse, s.zentrale, s.modus);
    if (const Lokprofil *p = m_a.betrieb.lokprofil(s))
        text += tr(": eingemessen%1, %2 %3.")
                    .arg(p->datum.isValid() ? tr(" am %1").arg(p->datum.toString(tr("dd.MM.yyyy"))) : QString())
                    .arg(p->punkte.size())
                    .arg(p->punkte.size() == 1 ? tr("Fahrstufe", "gezählt") : tr("Fahrstufen", "gezählt"));
    else
        text += tr(": noch nicht eingemessen.");
    lblStand->setText(text);
}

QString Messfenster::leseProfile()
{
    QFile datei(m_a.profilpfad);
    if (!datei.open(QIODevice::ReadOnly))
        return {};
    const Profildatei d = leseProfildatei(datei);
    m_a.betrieb.setzeLokprofile(d.profile());
    return d.hinweise.join(u'\n');
}

void Messfenster::btnMessen_Click()
{
    if (misst())
        return;
    Ablauf &ablauf = m_a.ablauf();
    Messauftrag a;
    a.kontaktA = txtKontaktA->value();
    a.kontaktB = txtKontaktB->value();
    a.abstandMm = txtAbstand->value();
    const auto stufen = Messlauf::leseStufen(txtFahrstufen->text(), m_hoechste);
    a.stufen = stufen.value_or(QList<int>{});
    a.durchlaeufe = txtDurchlaeufe->value();
    a.massstab = lstMassstab->currentData().toDouble();
    QString fehler = stufen ? Messlauf::pruefe(a)
                            : tr("Bitte bei \"Fahrstufen\" Fahrstufen von 1 bis %1 eintragen, durch "
                                 "Kommas getrennt.")
                                  .arg(m_hoechste);
    const Zentralentreiber *t = ablauf.treiber();
    if (fehler.isEmpty() && (!t || !t->liestKontakte()))
        fehler = tr("Die gewählte Zentrale meldet keine Kontakte: so kann keine Lok eingemessen werden.");
    if (!fehler.isEmpty()) {
        m_a.melde(QMessageBox::Information, tr(" Lok einmessen..."), fehler);
        return;
    }
    m_lauf = std::make_unique<Messlauf>(ablauf);
    connect(m_lauf.get(), &Messlauf::zeileGeaendert, this, [this](int index) {
        zeigeZeile(index, m_lauf->zeilen());
        imgMessung->zeige(m_lauf->zeilen(), m_lauf->zeilen().last().stufe);
    });
    connect(m_lauf.get(), &Messlauf::beendet, this, &Messfenster::gemessen);
    tabMessung->setRowCount(int(a.stufen.size()));
    btnMessen->setEnabled(false);
    btnAbbrechen->setEnabled(true);
    m_stand = Stand::misst;
    zeigeStandtext();
    m_lauf->starte(a);
    if (!m_lauf->laeuft())
        return;
    for (int i = 0; i < a.stufen.size(); ++i)
        zeigeZeile(i, m_lauf->zeilen());
    imgMessung->zeige(m_lauf->zeilen(), a.stufen.last());
}

void Messfenster::zeigeZeile(int index, const QList<Messzeile> &zeilen)
{
    if (&zeilen != &m_gezeigt)
        m_gezeigt = zeilen;
    const Messzeile &z = zeilen.at(index);
    for (int c = 0; c < 5; ++c)
        if (!tabMessung->item(index, c))
            tabMessung->setItem(index, c, new QTableWidgetItem);
    tabMessung->item(index, 0)->setText(QString::number(z.stufe));
    const auto werte = [](const QList<double> &liste) {
        QStringList t;
        for (const double v : liste)
            t << zahl(v);
        return t.join(QStringLiteral(" / "));
    };
    const double massstab = lstMassstab->currentData().toDouble();
    const bool beide = !z.vorwaerts.isEmpty() && !z.rueckwaerts.isEmpty();
    tabMessung->item(index, 1)->setText(z.fertig ? zahl(z.mittelVor()) : werte(z.vorwaerts));
    tabMessung->item(index, 2)->setText(z.fertig ? zahl(z.mittelRueck()) : werte(z.rueckwaerts));
    tabMessung->item(index, 3)->setText(beide ? zahl(alsKmh((z.mittelVor() + z.mittelRueck()) / 2, massstab)) : QString());
    QStringList merkmale{zahl(z.streuung())};
    if (z.unruhig)
        merkmale << tr("unruhig");
    else if (z.wiederholt)
        merkmale << tr("wiederholt");
    if (z.langsamer)
        merkmale << tr("langsamer als darunter");
    tabMessung->item(index, 4)->setText(merkmale.join(QStringLiteral(", ")));
    const QString tipp = z.unruhig || z.langsamer
                             ? tr(" Diese Stufe bitte prüfen: die Lok rutscht, stockt oder die Kontakte "
                                  "melden ungleich ")
                             : QString();
    for (int c = 0; c < 5; ++c) {
        tabMessung->item(index, c)->setToolTip(tipp);
        tabMessung->item(index, c)->setBackground(tipp.isEmpty() ? QBrush() : QBrush(QColor(255, 230, 180)));
    }
}

void Messfenster::gemessen(bool vollstaendig, const QString &meldung)
{
    btnMessen->setEnabled(true);
    btnAbbrechen->setEnabled(false);
    if (vollstaendig) {
        speichere(m_lauf->profil());
        zeigeStand();
        return;
    }
    m_stand = Stand::abgebrochen;
    zeigeStandtext();
    if (!meldung.isEmpty())
        m_a.melde(QMessageBox::Critical, tr(" Lok einmessen..."), meldung);
}

void Messfenster::speichere(const Lokprofil &profil)
{
    Profildatei d;
    QFile datei(m_a.profilpfad);
    if (datei.open(QIODevice::ReadOnly)) {
        d = leseProfildatei(datei);
        datei.close();
    }
    d.setze(profil);
    m_a.betrieb.setzeLokprofile(d.profile());
    emit profileGeaendert();
    const QString fehler = speichereDatei(m_a.profilpfad, schreibeProfildatei(d));
    if (!fehler.isEmpty())
        m_a.melde(QMessageBox::Critical, tr(" Lok einmessen..."), fehler);
}

void Messfenster::closeEvent(QCloseEvent *ereignis)
{
    // Closing the window stops the locomotive.
    if (misst())
        m_lauf->abbrechen();
    ereignis->accept();
}

} // namespace trabolin

#include "Messfenster.moc"

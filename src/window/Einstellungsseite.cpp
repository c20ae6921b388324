#include "window/Einstellungsseite.h"

#include "window/Beschriftung.h"
#include "window/Sprache.h"
#include "window/Tippgrenze.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace trabolin {

Einstellungsseite::Einstellungsseite(const QString &option, const QList<Stationseinstellung> &einstellungen,
                                     QWidget *parent)
    : QWidget(parent), m_einstellungen(einstellungen)
{
    auto *zeile = new QHBoxLayout(this);
    zeile->setContentsMargins(0, 0, 0, 0);
    zeile->setSpacing(6);
    for (const Stationseinstellung &e : einstellungen) {
        const QString name = QStringLiteral("einstellung_%1_%2").arg(option).arg(e.schluessel);
        const QString schluessel = e.schluessel;
        m_werte.insert(schluessel, e.vorgabe);
        QWidget *feld = nullptr;
        using Art = Stationseinstellung::Art;
        if (e.art == Art::haken) {
            auto *haken = new QCheckBox;
            beiSprache(haken, [haken, titel = e.titel] { haken->setText(zentralenText(titel)); });
            haken->setChecked(e.vorgabe == u"1");
            // toggled, not clicked: a value from the settings file counts as the user's.
            connect(haken, &QCheckBox::toggled, this,
                    [this, schluessel](bool an) { merke(schluessel, an ? QStringLiteral("1") : QStringLiteral("0")); });
            feld = haken;
        } else {
            auto *beschriftung = new Beschriftung;
            beschriftung->setObjectName(QStringLiteral("lblEinstellung_%1_%2").arg(option).arg(e.schluessel));
            zeile->addWidget(beschriftung);
            if (e.art == Art::auswahl) {
                // The items are shown in the language in effect; the value is the
                // item's source, as the settings file writes it.
                auto *auswahl = new QComboBox;
                for (const QString &eintrag : e.eintraege)
                    auswahl->addItem(zentralenText(eintrag), eintrag);
                auswahl->setCurrentIndex(qMax(0, auswahl->findData(e.vorgabe)));
                beiSprache(auswahl, [auswahl] {
                    for (int i = 0; i < auswahl->count(); ++i)
                        auswahl->setItemText(i, zentralenText(auswahl->itemData(i).toString()));
                });
                connect(auswahl, &QComboBox::currentIndexChanged, this, [this, schluessel, auswahl](int i) {
                    merke(schluessel, auswahl->itemData(i).toString());
                });
                feld = auswahl;
            } else if (e.art == Art::zahl) {
                auto *zahl = new QSpinBox;
                zahl->setRange(e.von, e.bis);
                zahl->setValue(e.vorgabe.toInt());
                connect(zahl, &QSpinBox::valueChanged, this,
                        [this, schluessel](int wert) { merke(schluessel, QString::number(wert)); });
                feld = zahl;
            } else {
                auto *text = new QLineEdit;
                if (e.laenge > 0)
                    setzeTippgrenze(text, e.laenge);
                setzeGanz(text, e.vorgabe);
                connect(text, &QLineEdit::textChanged, this,
                        [this, schluessel](const QString &t) { merke(schluessel, t); });
                feld = text;
            }
            beschriftung->setBuddy(feld);
            // Set with its buddy: the caption names the field for assistive tools.
            beiSprache(beschriftung, [beschriftung, titel = e.titel] { beschriftung->setText(zentralenText(titel)); });
        }
        feld->setObjectName(name);
        beiSprache(feld, [feld, tipp = e.tipp] { feld->setToolTip(zentralenText(tipp)); });
        zeile->addWidget(feld);
        m_felder.insert(schluessel, feld);
        if (!e.waehrendFahrt)
            m_sperrbar << feld;
    }
    zeile->addStretch(1);
}

void Einstellungsseite::setzeWert(const QString &schluessel, const QString &wert)
{
    QWidget *feld = m_felder.value(schluessel);
    if (auto *haken = qobject_cast<QCheckBox *>(feld)) {
        haken->setChecked(wert == u"1");
    } else if (auto *auswahl = qobject_cast<QComboBox *>(feld)) {
        if (const int i = auswahl->findData(wert); i >= 0)
            auswahl->setCurrentIndex(i);
    } else if (auto *zahl = qobject_cast<QSpinBox *>(feld)) {
        bool ok = false;
        const int n = wert.trimmed().toInt(&ok);
        if (ok && n >= zahl->minimum() && n <= zahl->maximum())
            zahl->setValue(n);
    } else if (auto *text = qobject_cast<QLineEdit *>(feld)) {
        setzeGanz(text, wert);
    }
}

void Einstellungsseite::merke(const QString &schluessel, const QString &wert)
{
    m_werte.insert(schluessel, wert);
    emit geaendert(schluessel, wert);
}

} // namespace trabolin

#include "window/Bauteile.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace trabolin {

Fahrtsperretipp::operator QString() const
{
    return QCoreApplication::translate("trabolin", " während der Fahrt gesperrt ");
}

QPushButton *knopf(const QString &name, const QString &text, const QString &tipp)
{
    auto *k = benannt(new QPushButton(text), name);
    k->setToolTip(tipp);
    return k;
}

Beschriftung *ueberschrift(const QString &name, const QString &text)
{
    auto *l = benannt(new Beschriftung(text), name);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

Beschriftung *wertfeld(const QString &name, const QString &beschreibung)
{
    auto *l = benannt(new Beschriftung({}, Beschriftung::Art::wert), name);
    l->setAccessibleDescription(beschreibung);
    return l;
}

QComboBox *liste(const QString &name, const QStringList &eintraege, int start, bool editierbar)
{
    auto *l = benannt(new QComboBox, name);
    l->setEditable(editierbar);
    if (editierbar)
        l->setInsertPolicy(QComboBox::NoInsert);
    l->addItems(eintraege);
    l->setCurrentIndex(start);
    if (editierbar && start < 0)
        l->setEditText({});
    return l;
}

QFrame *panel(const QString &name, const QString &zugangsname)
{
    auto *p = benannt(new QFrame, name);
    p->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    p->setAccessibleName(zugangsname);
    return p;
}

QFrame *trennlinie()
{
    auto *linie = new QFrame;
    linie->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    return linie;
}

QLabel *bild(const QString &name, const QString &datei, const QString &zugangsname)
{
    auto *b = benannt(new QLabel, name);
    const QPixmap p(datei);
    b->setPixmap(p);
    b->setFixedSize(p.size());
    b->setAccessibleName(zugangsname);
    return b;
}

} // namespace trabolin

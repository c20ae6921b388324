#include "window/Menueleiste.h"

#include <QAbstractButton>
#include <QAction>
#include <QProxyStyle>
#include <QShortcutEvent>
#include <QStyleOptionMenuItem>

namespace trabolin {

namespace {

// The window's style, except that a separator on the menu bar splits it into a
// left and a right part, and Alt alone enters the bar's keyboard navigation.
class Leistenstil : public QProxyStyle {
public:
    int styleHint(StyleHint hinweis, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *rueckgabe) const override
    {
        if (hinweis == SH_DrawMenuBarSeparator || hinweis == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hinweis, option, widget, rueckgabe);
    }

    // Some styles (Fusion among them) mark a bar item only while its menu is open:
    // during keyboard navigation (F10, Alt, the arrow keys) the user would not see
    // which item Enter opens. The current item is drawn as an open one instead.
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *punkt = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (element == CE_MenuBarItem && punkt && (punkt->state & State_Selected)) {
            QStyleOptionMenuItem markiert = *punkt;
            markiert.state |= State_Sunken;
            QProxyStyle::drawControl(element, &markiert, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

void waehleAus(QAbstractButton *knopf)
{
    // What an access key does to a button, but at once: a check box toggles on
    // every press, however fast the presses follow each other.
    if (knopf->focusPolicy() != Qt::NoFocus)
        knopf->setFocus(Qt::ShortcutFocusReason);
    knopf->click();
}

} // namespace

Menueleiste::Menueleiste(QWidget *parent)
    : QMenuBar(parent)
{
    auto *stil = new Leistenstil;
    stil->setParent(this);
    setStyle(stil);
}

void Menueleiste::gibZugriffstasteAb(QAbstractButton *knopf)
{
    m_vorrang.append(knopf);
    knopf->installEventFilter(this);
}

QAbstractButton *Menueleiste::vorrangFuer(const QKeySequence &taste) const
{
    for (const QPointer<QAbstractButton> &knopf : m_vorrang)
        if (knopf && knopf->isEnabled() && knopf->isVisible()
            && QKeySequence::mnemonic(knopf->text()) == taste)
            return knopf;
    return nullptr;
}

// Two owners of one key sequence get it in turn, each marked as ambiguous, and
// a button takes an ambiguous access key as a mere move of the focus. Here
// both turns go to the button, as a full press of its access key.
bool Menueleiste::event(QEvent *ereignis)
{
    if (ereignis->type() == QEvent::Shortcut)
        if (QAbstractButton *knopf = vorrangFuer(static_cast<QShortcutEvent *>(ereignis)->key())) {
            waehleAus(knopf);
            return true;
        }
    return QMenuBar::event(ereignis);
}

bool Menueleiste::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (ereignis->type() == QEvent::Shortcut) {
        auto *kurz = static_cast<QShortcutEvent *>(ereignis);
        if (kurz->isAmbiguous() && vorrangFuer(kurz->key()) == objekt) {
            waehleAus(static_cast<QAbstractButton *>(objekt));
            return true;
        }
    }
    return QMenuBar::eventFilter(objekt, ereignis);
}

void setzeMenuRechtsbuendig(QMenuBar *leiste, int position)
{
    if (!leiste)
        return;
    const QList<QAction *> punkte = leiste->actions();
    if (position == -1)
        position = static_cast<int>(punkte.size());
    if (position < 1 || position > punkte.size())
        return;
    leiste->insertSeparator(punkte.at(position - 1));
    leiste->update();
}

} // namespace trabolin

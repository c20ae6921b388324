#include "window/Stoppknopf.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace trabolin {

Stoppknopf::Stoppknopf(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    connect(this, &QAbstractButton::clicked, this, &Stoppknopf::geklickt);
}

void Stoppknopf::druecken()
{
    if (!isEnabled())
        return;
    m_schonGemeldet = true;
    emit gedrueckt();
}

void Stoppknopf::geklickt()
{
    if (m_schonGemeldet)
        m_schonGemeldet = false;
    else
        emit gedrueckt();
}

bool Stoppknopf::event(QEvent *ereignis)
{
    if (ereignis->type() != QEvent::Shortcut)
        return QPushButton::event(ereignis);
    // The access key acts at once. The button still shows its short press; the
    // delayed click that follows is the end of this press, no second one.
    druecken();
    const bool erledigt = QPushButton::event(ereignis);
    // An access key shared with another control only moves the focus: no click follows.
    if (static_cast<QShortcutEvent *>(ereignis)->isAmbiguous())
        m_schonGemeldet = false;
    return erledigt;
}

void Stoppknopf::mousePressEvent(QMouseEvent *ereignis)
{
    if (ereignis->button() == Qt::LeftButton && hitButton(ereignis->position().toPoint()))
        druecken();
    QPushButton::mousePressEvent(ereignis);
}

void Stoppknopf::mouseReleaseEvent(QMouseEvent *ereignis)
{
    QPushButton::mouseReleaseEvent(ereignis);
    if (ereignis->button() == Qt::LeftButton)
        m_schonGemeldet = false; // also when the pointer left the button and no click came
}

void Stoppknopf::keyPressEvent(QKeyEvent *ereignis)
{
    if (ereignis->key() == Qt::Key_Space && !ereignis->isAutoRepeat())
        druecken();
    QPushButton::keyPressEvent(ereignis);
}

void Stoppknopf::keyReleaseEvent(QKeyEvent *ereignis)
{
    QPushButton::keyReleaseEvent(ereignis);
    if (ereignis->key() == Qt::Key_Space && !ereignis->isAutoRepeat())
        m_schonGemeldet = false;
}

void Stoppknopf::focusOutEvent(QFocusEvent *ereignis)
{
    QPushButton::focusOutEvent(ereignis);
    if (!isDown())
        m_schonGemeldet = false;
}

} // namespace trabolin

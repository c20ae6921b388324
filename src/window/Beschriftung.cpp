#include "window/Beschriftung.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace trabolin {

Beschriftung::Beschriftung(const QString &text, Art art, QWidget *parent)
    : QLabel(parent), m_art(art)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

void Beschriftung::setText(const QString &text)
{
    QLabel::setText(text);
    abgleichen();
}

void Beschriftung::setBuddy(QWidget *buddy)
{
    QLabel::setBuddy(buddy);
    abgleichen();
}

QString Beschriftung::ohneZeichen(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size()) {
            ++i; // "&&" stands for one "&", "&x" marks the access key x
        }
        s += text.at(i);
    }
    s = s.trimmed();
    while (s.endsWith(u':'))
        s.chop(1);
    return s.trimmed();
}

void Beschriftung::abgleichen()
{
    if (m_art == Art::wert)
        setAccessibleName(text());
    if (QWidget *partner = buddy())
        partner->setAccessibleName(ohneZeichen(text()));
    if (m_gekuerzt)
        setToolTip(text());
    updateGeometry();
    update();
}

void Beschriftung::setzeKlickbar(bool klickbar)
{
    m_klickbar = klickbar;
    setCursor(klickbar ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setFocusPolicy(klickbar ? Qt::TabFocus : Qt::NoFocus);
}

void Beschriftung::setzeGekuerzt(bool gekuerzt)
{
    m_gekuerzt = gekuerzt;
    abgleichen();
}

QSize Beschriftung::sizeHint() const
{
    QSize s = QLabel::sizeHint();
    if (m_gekuerzt)
        s.setWidth(qMin(s.width(), fontMetrics().averageCharWidth() * 20));
    return s;
}

QSize Beschriftung::minimumSizeHint() const
{
    QSize s = QLabel::minimumSizeHint();
    if (m_gekuerzt)
        s.setWidth(fontMetrics().averageCharWidth() * 6);
    return s;
}

void Beschriftung::mouseReleaseEvent(QMouseEvent *ereignis)
{
    QLabel::mouseReleaseEvent(ereignis);
    if (m_klickbar && ereignis->button() == Qt::LeftButton && rect().contains(ereignis->position().toPoint()))
        emit geklickt();
}

void Beschriftung::keyPressEvent(QKeyEvent *ereignis)
{
    if (m_klickbar && ereignis->modifiers() == Qt::NoModifier
        && (ereignis->key() == Qt::Key_Space || ereignis->key() == Qt::Key_Return
            || ereignis->key() == Qt::Key_Enter)) {
        emit geklickt();
        return;
    }
    QLabel::keyPressEvent(ereignis);
}

void Beschriftung::paintEvent(QPaintEvent *ereignis)
{
    if (m_gekuerzt && pixmap().isNull()) {
        QFrame::paintEvent(ereignis);
        QPainter maler(this);
        const QRect feld = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const QString gezeigt = fontMetrics().elidedText(text(), Qt::ElideMiddle, feld.width());
        style()->drawItemText(&maler, feld, QStyle::visualAlignment(layoutDirection(), alignment()),
                              palette(), isEnabled(), gezeigt, foregroundRole());
    } else {
        QLabel::paintEvent(ereignis);
    }
    if (m_klickbar && hasFocus()) {
        QStylePainter maler(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(backgroundRole());
        maler.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

} // namespace trabolin

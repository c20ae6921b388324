#include "window/Antwortfeld.h"

namespace trabolin {

Antwortfeld::Antwortfeld(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
}

void Antwortfeld::mouseDoubleClickEvent(QMouseEvent *ereignis)
{
    QPlainTextEdit::mouseDoubleClickEvent(ereignis);
    emit doppelklick(textCursor().selectedText());
}

} // namespace trabolin

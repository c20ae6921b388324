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

void Antwortfeld::zeigeAntwort(const QString &antwort, qint64 ausgelassen)
{
    if (antwort.size() <= anzeigeKappe && ausgelassen == 0) {
        setPlainText(antwort);
        return;
    }
    const qsizetype ende = qMin<qsizetype>(antwort.size() / 2, 1024);
    const qsizetype anfang = qMin(antwort.size() - ende, anzeigeKappe - ende);
    const qint64 weggelassen = antwort.size() - anfang - ende + ausgelassen;
    setPlainText(antwort.left(anfang) + QStringLiteral("\n[... %1 Zeichen nicht angezeigt ...]\n").arg(weggelassen)
                 + antwort.right(ende));
}

void Antwortfeld::zeigeWertung(bool ok)
{
    QPalette farben = palette();
    farben.setColor(QPalette::Base, ok ? QColor(0, 128, 0) : QColor(255, 0, 0));
    farben.setColor(QPalette::Text, Qt::white);
    setPalette(farben);
}

void Antwortfeld::mouseDoubleClickEvent(QMouseEvent *ereignis)
{
    QPlainTextEdit::mouseDoubleClickEvent(ereignis);
    emit doppelklick(textCursor().selectedText());
}

} // namespace trabolin

#include "window/Antwortfeld.h"

#include "window/Sprache.h"

namespace trabolin {

Antwortfeld::Antwortfeld(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    // The note in a shortened reply follows the language.
    connect(&Sprachwechsel::instanz(), &Sprachwechsel::gewechselt, this, [this] {
        if (!m_gekuerzt.isEmpty())
            zeigeGekuerzt();
    });
}

void Antwortfeld::zeigeAntwort(const QString &antwort, qint64 ausgelassen)
{
    if (antwort.size() <= anzeigeKappe && ausgelassen == 0) {
        m_gekuerzt.clear();
        setPlainText(antwort);
        return;
    }
    m_gekuerzt = antwort;
    m_ausgelassen = ausgelassen;
    zeigeGekuerzt();
}

void Antwortfeld::zeigeGekuerzt()
{
    const QString &antwort = m_gekuerzt;
    const qsizetype ende = qMin<qsizetype>(antwort.size() / 2, 1024);
    const qsizetype anfang = qMin(antwort.size() - ende, anzeigeKappe - ende);
    const qint64 weggelassen = antwort.size() - anfang - ende + m_ausgelassen;
    setPlainText(antwort.left(anfang) + tr("\n[... %1 Zeichen nicht angezeigt ...]\n").arg(weggelassen)
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

#pragma once
#include <QPlainTextEdit>

namespace trabolin {

// The field that shows the last reply of the ECoS. A double click selects the word
// under the pointer, as in any text field, and then reports it, so that an object
// ID can be taken from the locomotive list.
class Antwortfeld : public QPlainTextEdit {
    Q_OBJECT
public:
    // Characters of a reply shown at most; a longer reply is shown with its start and
    // its end, and the number of characters left out between them.
    static constexpr qsizetype anzeigeKappe = 64 * 1024;

    explicit Antwortfeld(QWidget *parent = nullptr);

    // Shows a whole reply, of which the link has left out `ausgelassen` characters
    // already. A huge reply would hold the window while the field lays it out: its
    // start and its end are shown, which hold the list's head and the END line.
    void zeigeAntwort(const QString &antwort, qint64 ausgelassen = 0);
    // Colours the field as the reply reads: green for a good one, red for an error.
    void zeigeWertung(bool ok);

signals:
    // After a double click; the word under the pointer is selected by then.
    void doppelklick(const QString &auswahl);

protected:
    void mouseDoubleClickEvent(QMouseEvent *ereignis) override;

private:
    // Shows the shortened reply kept below, its note in the language in effect.
    void zeigeGekuerzt();

    // The reply shown shortened and the characters the link had left out; the reply
    // is empty while a whole one is shown.
    QString m_gekuerzt;
    qint64 m_ausgelassen = 0;
};

} // namespace trabolin

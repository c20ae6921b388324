#pragma once
#include <QPlainTextEdit>

namespace trabolin {

// The field that shows the last reply of the ECoS. A double click selects the word
// under the pointer, as in any text field, and then reports it, so that an object
// ID can be taken from the locomotive list.
class Antwortfeld : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit Antwortfeld(QWidget *parent = nullptr);

signals:
    // After a double click; the word under the pointer is selected by then.
    void doppelklick(const QString &auswahl);

protected:
    void mouseDoubleClickEvent(QMouseEvent *ereignis) override;
};

} // namespace trabolin

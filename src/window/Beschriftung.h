#pragma once
#include <QLabel>

namespace trabolin {

// A label of the main window. Besides showing its text it
// - keeps the accessible texts in step with the text: a value label (Art::wert)
//   carries its value as accessible name, a caption label passes its text, without
//   access key and colon, on to its buddy as the buddy's accessible name;
// - can report clicks (setzeKlickbar), also by Space or Enter when it has the focus;
// - can shorten a long text in the middle for display (setzeGekuerzt) while text()
//   keeps the full text and the tool tip shows it.
// setText and setBuddy hide the QLabel functions of the same name; call them through
// a Beschriftung pointer so the accessible texts follow.
class Beschriftung : public QLabel {
    Q_OBJECT
public:
    enum class Art { titel, wert };

    explicit Beschriftung(const QString &text = {}, Art art = Art::titel,
                          QWidget *parent = nullptr);

    void setText(const QString &text);
    void setBuddy(QWidget *buddy);

    void setzeKlickbar(bool klickbar);
    void setzeGekuerzt(bool gekuerzt);

    // The text as an accessible name: without "&" and without a trailing colon.
    static QString ohneZeichen(const QString &text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void geklickt();

protected:
    void mouseReleaseEvent(QMouseEvent *ereignis) override;
    void keyPressEvent(QKeyEvent *ereignis) override;
    void paintEvent(QPaintEvent *ereignis) override;

private:
    void abgleichen();

    Art m_art;
    bool m_klickbar = false;
    bool m_gekuerzt = false;
};

} // namespace trabolin

#pragma once
#include <QList>
#include <QMenuBar>
#include <QPointer>

class QAbstractButton;

namespace trabolin {

// The window's one menu bar: every item is an action of this bar, so keyboard
// navigation and assistive technology reach all of them under their captions.
// Items after a separator stand at the right edge of the bar (see
// setzeMenuRechtsbuendig), and pressing Alt alone enters the bar's keyboard
// navigation in every style.
class Menueleiste : public QMenuBar {
    Q_OBJECT
public:
    explicit Menueleiste(QWidget *parent = nullptr);

    // The access key of `knopf` (the letter after "&" in its caption) acts on the
    // button every time it is pressed, even where an item of this bar has the same
    // access key: that item stays reachable with the mouse and the bar's keyboard
    // navigation, but the key alone no longer selects it.
    void gibZugriffstasteAb(QAbstractButton *knopf);

protected:
    bool event(QEvent *ereignis) override;
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    // The button that owns the key sequence, or nullptr.
    QAbstractButton *vorrangFuer(const QKeySequence &taste) const;

    QList<QPointer<QAbstractButton>> m_vorrang;
};

// Right-justifies the menu bar from the item at `position` on (1-based; -1 for
// the last item): a separator goes in before that item, and the items after a
// separator are drawn at the bar's right edge.
void setzeMenuRechtsbuendig(QMenuBar *leiste, int position);

} // namespace trabolin

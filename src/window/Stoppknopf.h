#pragma once
#include <QPushButton>

namespace trabolin {

// A push button that acts when it goes down, not when it comes up: `gedrueckt` is
// emitted as the left mouse button goes down on it, as Space goes down while it has
// the focus (not for the key's auto-repeat) and as its access key is pressed.
// A plain button acts on the release, and on its access key only about 100 ms
// later; a stop cannot wait that long. The click that ends such a press emits
// nothing more; a click without a press before it (click() from the program, the
// press action of assistive technology) emits `gedrueckt` once.
class Stoppknopf : public QPushButton {
    Q_OBJECT
public:
    explicit Stoppknopf(const QString &text, QWidget *parent = nullptr);

signals:
    void gedrueckt();

protected:
    bool event(QEvent *ereignis) override;
    void mousePressEvent(QMouseEvent *ereignis) override;
    void mouseReleaseEvent(QMouseEvent *ereignis) override;
    void keyPressEvent(QKeyEvent *ereignis) override;
    void keyReleaseEvent(QKeyEvent *ereignis) override;
    void focusOutEvent(QFocusEvent *ereignis) override;

private:
    void druecken();
    void geklickt();

    bool m_schonGemeldet = false; // the press of the running click has emitted already
};

} // namespace trabolin

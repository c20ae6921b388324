#pragma once
#include "program/Tabelle.h"

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

class QKeyEvent;

namespace trabolin {

// The marks of the line a run is driving, in the grid and in the step chart.
inline const QColor laufzeileGrund(0xff, 0xf0, 0xb8);
inline const QColor laufzeileMarke(0x1e, 0x8c, 0x3a);

// Opens a one-line editor per cell, limited to the column's length, and checks
// every typed character with pruefeTaste before the editor takes it: accepted,
// replaced by "X", or discarded with a beep. Text that comes in any other way
// (pasted by key, context menu or middle button, dropped, committed by an input
// method) passes the same check in the editor's validator: if one of its
// characters is refused, nothing of it is taken and the editor beeps.
// A key with Alt or Meta that no control of the window claimed as its access key
// types nothing and beeps; Ctrl+Alt counts as AltGr, which types characters.
// Escape beeps and keeps the edit open with what was typed; Enter and Tab end it.
class Zellendelegat : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit Zellendelegat(QObject *parent = nullptr);

    std::function<void()> piepen;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;

    // The editor that is open at the moment, or nullptr.
    QLineEdit *offenerEditor() const { return m_editor; }

    // The line a run is driving (1 to 25), 0 for none: tinted, with a mark at its left.
    int laufzeile = 0;
    void paint(QPainter *maler, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    bool pruefeTasten(QLineEdit *editor, QKeyEvent *ereignis);

    mutable QPointer<QLineEdit> m_editor;
};

// The grid of the driving program. It shows and edits the table store directly
// and uses the store's selection model, so its current row plus 1 is the current
// line that every command reads.
class Tabellengitter : public QTableView {
    Q_OBJECT
public:
    explicit Tabellengitter(Tabellenspeicher &tabelle, QWidget *parent = nullptr);

    // Called for every refused key.
    void setzePiepen(std::function<void()> piepen);

    // Writes the text of an open cell editor into the store and closes the editor.
    // Returns whether an editor was open.
    bool uebernehmeEingabe();

    QLineEdit *offenerEditor() const;

    // Marks the line a run is driving; 0 for none.
    void setzeLaufzeile(int zeile);
    int laufzeile() const { return m_delegat->laufzeile; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    // Each column wide enough for its caption as the store gives it in the language in
    // effect, and the header painted anew.
    void passeSpaltenAn();

    Zellendelegat *m_delegat;
    int m_spaltenbreite = 0; // all eight columns at their own width
};

} // namespace trabolin

#include "window/Tabellengitter.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

namespace trabolin {

namespace {

const char *const spaltenEigenschaft = "trabolinSpalte";

// Column widths in average character widths: wide enough for the caption.
constexpr std::array<int, anzahlZellen> spaltenZeichen{6, 7, 9, 4, 4, 4, 4, 4};

} // namespace

Zellendelegat::Zellendelegat(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *Zellendelegat::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                     const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("Zelleneditor"));
    editor->setFrame(false);
    editor->setMaxLength(spalten[index.column()].laenge);
    editor->setProperty(spaltenEigenschaft, index.column());
    // Every character has to pass the key check: no pasting, dropping or
    // composing past it.
    editor->setContextMenuPolicy(Qt::NoContextMenu);
    editor->setAcceptDrops(false);
    editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_editor = editor;
    return editor;
}

void Zellendelegat::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (m_editor == editor)
        m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool Zellendelegat::eventFilter(QObject *objekt, QEvent *ereignis)
{
    auto *editor = qobject_cast<QLineEdit *>(objekt);
    if (editor) {
        switch (ereignis->type()) {
        case QEvent::KeyPress: {
            auto *taste = static_cast<QKeyEvent *>(ereignis);
            if (pruefeTasten(editor, taste))
                return true;
            // Enter would only commit later, through the event loop; the store
            // is to hold the text at once.
            if (taste->key() == Qt::Key_Return || taste->key() == Qt::Key_Enter)
                emit commitData(editor);
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The middle button would paste the X11 selection.
            if (static_cast<QMouseEvent *>(ereignis)->button() == Qt::MiddleButton)
                return true;
            break;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(objekt, ereignis);
}

// True when the event has been dealt with here and the editor must not see it.
bool Zellendelegat::pruefeTasten(QLineEdit *editor, QKeyEvent *ereignis)
{
    if (ereignis->matches(QKeySequence::Paste)) {
        if (piepen)
            piepen();
        return true;
    }
    const QString text = ereignis->text();
    if (text.isEmpty())
        return false;
    if (ereignis->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    // Backspace, Delete, Enter, Escape and Tab keep their editing meaning.
    for (QChar c : text)
        if (!c.isPrint())
            return false;

    const int spalte = editor->property(spaltenEigenschaft).toInt();
    QString genommen;
    bool unveraendert = true;
    for (QChar c : text) {
        switch (pruefeTaste(spalte, c)) {
        case Taste::annehmen:
            genommen += c;
            break;
        case Taste::alsX:
            genommen += u'X';
            unveraendert = unveraendert && c == u'X';
            break;
        case Taste::verwerfen:
            unveraendert = false;
            if (piepen)
                piepen();
            break;
        }
    }
    if (unveraendert)
        return false;
    if (!genommen.isEmpty())
        editor->insert(genommen); // replaces a selection and keeps the length limit
    return true;
}

Tabellengitter::Tabellengitter(Tabellenspeicher &tabelle, QWidget *parent)
    : QTableView(parent), m_delegat(new Zellendelegat(this))
{
    setModel(&tabelle);
    QItemSelectionModel *eigene = selectionModel();
    setSelectionModel(tabelle.auswahl());
    if (eigene && eigene != tabelle.auswahl())
        eigene->deleteLater();
    setItemDelegate(m_delegat);

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView *kopf = horizontalHeader();
    kopf->setSectionsMovable(false);
    kopf->setSectionsClickable(false);
    kopf->setHighlightSections(false);
    kopf->setSectionResizeMode(QHeaderView::Fixed);
    // "F4" takes up the room the vertical scroll bar needs when the grid is too
    // short for all 25 lines.
    kopf->setStretchLastSection(true);
    const int zeichen = fontMetrics().averageCharWidth();
    m_spaltenbreite = 0;
    for (int s = 0; s < anzahlZellen; ++s) {
        const int breite = qMax(spaltenZeichen[s] * zeichen + 12,
                                fontMetrics().horizontalAdvance(QString::fromUtf8(spalten[s].titel)) + 16);
        kopf->resizeSection(s, breite);
        m_spaltenbreite += breite;
    }

    setzePiepen([] { QApplication::beep(); });
}

void Tabellengitter::setzePiepen(std::function<void()> piepen)
{
    m_delegat->piepen = std::move(piepen);
}

QLineEdit *Tabellengitter::offenerEditor() const
{
    return state() == QAbstractItemView::EditingState ? m_delegat->offenerEditor() : nullptr;
}

bool Tabellengitter::uebernehmeEingabe()
{
    QLineEdit *editor = offenerEditor();
    if (!editor)
        return false;
    emit m_delegat->commitData(editor);
    emit m_delegat->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

QSize Tabellengitter::sizeHint() const
{
    const int breite = 2 * frameWidth() + verticalScrollBar()->sizeHint().width() + m_spaltenbreite;
    const int hoehe = 2 * frameWidth() + horizontalHeader()->sizeHint().height()
                      + anzahlZeilen * verticalHeader()->defaultSectionSize();
    return {breite, hoehe};
}

QSize Tabellengitter::minimumSizeHint() const
{
    return {sizeHint().width(), horizontalHeader()->sizeHint().height() * 5};
}

} // namespace trabolin

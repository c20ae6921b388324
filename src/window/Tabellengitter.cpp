#include "window/Tabellengitter.h"

#include "window/Sprache.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QValidator>

namespace trabolin {

namespace {

const char *const spaltenEigenschaft = "trabolinSpalte";

// Column widths in average character widths: wide enough for the caption.
constexpr std::array<int, anzahlZellen> spaltenZeichen{6, 7, 9, 4, 4, 4, 4, 4};

void piepe(const std::function<void()> &piepen)
{
    if (piepen)
        piepen();
}

// The key check for text that reaches a cell editor other than by a typed key.
// It looks only at what is new against the text it last accepted: characters
// that were in the cell before (for example loaded from a file) are left alone.
// A refused character makes the whole change invalid; the editor then puts back
// the text from before the change.
class Zellenpruefer : public QValidator {
public:
    // `einheitPasst`: for the unit column, whether a unit may stand beside the line's "Dauer".
    Zellenpruefer(int spalte, std::function<void()> piepen, std::function<bool(const QString &)> einheitPasst,
                  QObject *parent)
        : QValidator(parent), m_spalte(spalte), m_piepen(std::move(piepen)), m_einheitPasst(std::move(einheitPasst))
    {
    }

    void setzeAusgangstext(const QString &text) { m_bisher = text; }

    State validate(QString &text, int &) const override
    {
        const qsizetype laengeAlt = m_bisher.size();
        qsizetype vorn = 0;
        while (vorn < laengeAlt && vorn < text.size() && m_bisher[vorn] == text[vorn])
            ++vorn;
        qsizetype hinten = 0;
        while (hinten < laengeAlt - vorn && hinten < text.size() - vorn
               && m_bisher[laengeAlt - 1 - hinten] == text[text.size() - 1 - hinten])
            ++hinten;
        for (qsizetype i = vorn; i < text.size() - hinten; ++i) {
            switch (pruefeTaste(m_spalte, text[i])) {
            case Taste::annehmen:
                break;
            case Taste::alsX:
                text[i] = u'X';
                break;
            case Taste::verwerfen:
                piepe(m_piepen);
                return Invalid;
            }
        }
        // A distance of more than two digits keeps its "W" or "w".
        if (m_spalte == 1 && m_einheitPasst && !m_einheitPasst(text)) {
            piepe(m_piepen);
            return Invalid;
        }
        m_bisher = text;
        return Acceptable;
    }

private:
    int m_spalte;
    std::function<void()> m_piepen;
    std::function<bool(const QString &)> m_einheitPasst;
    mutable QString m_bisher;
};

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
    const auto *tabelle = qobject_cast<const Tabellenspeicher *>(index.model());
    const int zeile = index.row() + 1;
    editor->setMaxLength(tabelle ? tabelle->laengeMax(zeile, index.column() + 1) : spalten[index.column()].laenge);
    editor->setProperty(spaltenEigenschaft, index.column());
    // Text pasted, dropped or committed by an input method passes the key check too.
    std::function<bool(const QString &)> passt;
    if (tabelle)
        passt = [tabelle, zeile](const QString &e) { return tabelle->einheitPasst(zeile, e); };
    editor->setValidator(new Zellenpruefer(index.column(), [this] { piepe(piepen); }, passt, editor));
    // No composing in a cell of one to three characters: a dead key followed by a
    // letter types the plain letter, which the key check then sees.
    editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_editor = editor;
    return editor;
}

void Zellendelegat::paint(QPainter *maler, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.row() + 1 != laufzeile) {
        QStyledItemDelegate::paint(maler, option, index);
        return;
    }
    maler->fillRect(option.rect, laufzeileGrund);
    QStyledItemDelegate::paint(maler, option, index);
    if (index.column() == 0)
        maler->fillRect(QRect(option.rect.left(), option.rect.top(), 4, option.rect.height()), laufzeileMarke);
}

void Zellendelegat::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (m_editor == editor)
        m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void Zellendelegat::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *zeile = qobject_cast<QLineEdit *>(editor))
        if (auto *pruefer = dynamic_cast<const Zellenpruefer *>(zeile->validator()))
            const_cast<Zellenpruefer *>(pruefer)->setzeAusgangstext(index.data(Qt::EditRole).toString());
    QStyledItemDelegate::setEditorData(editor, index);
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
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(objekt, ereignis);
}

// True when the event has been dealt with here and the editor must not see it.
bool Zellendelegat::pruefeTasten(QLineEdit *editor, QKeyEvent *ereignis)
{
    // Escape would throw the edit away: it beeps, and what was typed stays.
    if (ereignis->key() == Qt::Key_Escape) {
        piepe(piepen);
        return true;
    }
    const QString text = ereignis->text();
    if (text.isEmpty())
        return false;
    // Backspace, Delete, Enter and Tab keep their editing meaning.
    for (QChar c : text)
        if (!c.isPrint())
            return false;
    const auto befehlstasten = ereignis->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Ctrl with a letter is an editing command (select all, copy, paste, undo);
    // it types nothing itself, and what it pastes passes the validator.
    if (befehlstasten == Qt::ControlModifier)
        return false;
    // Alt or Meta with a key that no control claimed: a command, not typing.
    // Ctrl+Alt is how some systems report AltGr, which types characters.
    if (befehlstasten != Qt::NoModifier && befehlstasten != (Qt::ControlModifier | Qt::AltModifier)) {
        piepe(piepen);
        return true;
    }

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
            piepe(piepen);
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
    beiSprache(this, [this] { passeSpaltenAn(); });

    setzePiepen([] { QApplication::beep(); });
}

void Tabellengitter::passeSpaltenAn()
{
    QHeaderView *kopf = horizontalHeader();
    const int zeichen = fontMetrics().averageCharWidth();
    const int vorher = m_spaltenbreite;
    m_spaltenbreite = 0;
    for (int s = 0; s < anzahlZellen; ++s) {
        const QString titel = model()->headerData(s, Qt::Horizontal, Qt::DisplayRole).toString();
        const int breite = qMax(spaltenZeichen[s] * zeichen + 12, fontMetrics().horizontalAdvance(titel) + 16);
        kopf->resizeSection(s, breite);
        m_spaltenbreite += breite;
    }
    kopf->viewport()->update();
    if (m_spaltenbreite != vorher)
        updateGeometry();
}

void Tabellengitter::setzePiepen(std::function<void()> piepen)
{
    m_delegat->piepen = std::move(piepen);
}

QLineEdit *Tabellengitter::offenerEditor() const
{
    return state() == QAbstractItemView::EditingState ? m_delegat->offenerEditor() : nullptr;
}

void Tabellengitter::setzeLaufzeile(int zeile)
{
    const int vorher = m_delegat->laufzeile;
    if (vorher == zeile)
        return;
    m_delegat->laufzeile = zeile;
    // Only the two rows whose tint changes are painted again, not the whole grid.
    for (int z : {vorher, zeile})
        if (z > 0)
            viewport()->update(QRect(0, rowViewportPosition(z - 1), viewport()->width(), rowHeight(z - 1)));
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

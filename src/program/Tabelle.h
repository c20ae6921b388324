#pragma once
#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QString>
#include <array>
#include <functional>

namespace trabolin {

// One column of the driving program: its caption (a German source, marked for
// translation; headerData shows it translated) and the longest text the grid takes.
struct Spalte {
    const char *titel;
    int laenge;
};

inline constexpr int anzahlZeilen = 25;
inline constexpr int anzahlZellen = 8;
inline constexpr std::array<Spalte, anzahlZellen> spalten{{
    {QT_TRANSLATE_NOOP("trabolin::Tabellenspeicher", "Dauer"), 2},
    {QT_TRANSLATE_NOOP("trabolin::Tabellenspeicher", "Einheit"), 1},
    {QT_TRANSLATE_NOOP("trabolin::Tabellenspeicher", "Fahrstufe"), 3},
    {QT_TRANSLATE_NOOP("trabolin::Tabellenspeicher", "Fu"), 1},
    {"F1", 1},    {"F2", 1},      {"F3", 1},        {"F4", 1},
}};

// What the grid does with one typed character.
enum class Taste {
    annehmen, // take the character as typed
    alsX,     // take it, replaced by "X"
    verwerfen // discard it and beep
};

// Removes leading and trailing blanks (only blanks, as the table cells hold them).
QString ohneBlanks(const QString &text);

// The units "M", "S", "K" and "W" drive forwards, every other unit backwards.
inline bool istVorwaerts(const QString &einheit)
{
    return einheit == u"M" || einheit == u"S" || einheit == u"K" || einheit == u"W";
}

// A contact line: "Dauer" is the number of a track contact, and the line drives until
// that contact reports occupied.
inline bool istKontakteinheit(const QString &einheit) { return einheit == u"k" || einheit == u"K"; }

// A distance line: "Dauer" is a distance in centimetres (1 to 9999), driven at the
// line's step for as long as the locomotive's measured speed takes to cover it.
inline bool istStreckeneinheit(const QString &einheit) { return einheit == u"w" || einheit == u"W"; }
// The longest "Dauer" of a distance line, and of every other line.
inline constexpr int dauerStreckeMax = 4;
inline constexpr int dauerMax = 2;

// Checks one typed character for the column (0 to 7) the cursor stands in.
Taste pruefeTaste(int spalte, QChar zeichen);

// The driving program: 25 lines of 8 text cells, lines and cells counted from 1.
// The grid shows and edits this model directly; the current line is the current
// row of selectionModel() plus 1, so the grid and the run logic share one cursor.
class Tabellenspeicher : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Tabellenspeicher(QObject *parent = nullptr);

    QString zelle(int zeile, int zelle) const;
    // The longest text the grid takes in a cell: the column's, but four characters
    // for "Dauer" where the line's unit is "W" or "w".
    int laengeMax(int zeile, int zelle) const;
    // False when `einheit` may not stand in line `zeile`: any unit other than "W" or
    // "w" beside a "Dauer" longer than two characters.
    bool einheitPasst(int zeile, const QString &einheit) const;
    void setzeZelle(int zeile, int zelle, const QString &text);
    // Every cell from `text(zeile, zelle)`, with one change notice for the whole
    // table: a table loaded at once is worked out once by those who follow it.
    void setzeAlle(const std::function<QString(int zeile, int zelle)> &text);
    void leeren();

    int aktuelleZeile() const;
    void setzeAktuelleZeile(int zeile);
    QItemSelectionModel *auswahl() { return &m_auswahl; }

    // Tells views that every cell may have changed.
    void alleGeaendert();

signals:
    // setzeAktuelleZeile moved the cursor: a run starts a line, or a command put the
    // cursor on the line it changed. The user's own moves in the grid do not count.
    void zeileGesetzt(int zeile);

public:
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &wert, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::array<std::array<QString, anzahlZellen>, anzahlZeilen> m_zellen;
    QItemSelectionModel m_auswahl;
};

} // namespace trabolin

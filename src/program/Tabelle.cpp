#include "program/Tabelle.h"

namespace trabolin {

QString ohneBlanks(const QString &text)
{
    qsizetype anfang = 0;
    qsizetype ende = text.size();
    while (anfang < ende && text[anfang] == u' ')
        ++anfang;
    while (ende > anfang && text[ende - 1] == u' ')
        --ende;
    return text.mid(anfang, ende - anfang);
}

Taste pruefeTaste(int spalte, QChar c)
{
    const char16_t z = c.unicode();
    const bool ziffer = z >= u'0' && z <= u'9';
    const bool ruecktaste = z == 8;
    switch (spalte) {
    case 0: // Dauer
        return ziffer || z == u' ' || ruecktaste ? Taste::annehmen : Taste::verwerfen;
    case 1: // Einheit
        return QStringView(u"sSmMfFkKwW").contains(c) || ruecktaste ? Taste::annehmen
                                                                 : Taste::verwerfen;
    case 2: // Fahrstufe
        return ziffer || ruecktaste ? Taste::annehmen : Taste::verwerfen;
    case 3: case 4: case 5: case 6: case 7: // Fu, F1 to F4
        if (QStringView(u"eEaAoOjJxX").contains(c))
            return Taste::alsX;
        return z == u' ' || ruecktaste ? Taste::annehmen : Taste::verwerfen;
    default:
        return Taste::verwerfen;
    }
}

Tabellenspeicher::Tabellenspeicher(QObject *parent)
    : QAbstractTableModel(parent), m_auswahl(this)
{
    m_auswahl.setCurrentIndex(index(0, 0), QItemSelectionModel::NoUpdate);
}

QString Tabellenspeicher::zelle(int zeile, int zelle) const
{
    if (zeile < 1 || zeile > anzahlZeilen || zelle < 1 || zelle > anzahlZellen)
        return {};
    return m_zellen[zeile - 1][zelle - 1];
}

void Tabellenspeicher::setzeZelle(int zeile, int zelle, const QString &text)
{
    if (zeile < 1 || zeile > anzahlZeilen || zelle < 1 || zelle > anzahlZellen)
        return;
    if (m_zellen[zeile - 1][zelle - 1] == text)
        return;
    m_zellen[zeile - 1][zelle - 1] = text;
    const QModelIndex i = index(zeile - 1, zelle - 1);
    emit dataChanged(i, i);
}

void Tabellenspeicher::setzeAlle(const std::function<QString(int, int)> &text)
{
    bool anders = false;
    for (int r = 1; r <= anzahlZeilen; ++r)
        for (int c = 1; c <= anzahlZellen; ++c) {
            QString neu = text(r, c);
            if (m_zellen[r - 1][c - 1] != neu) {
                m_zellen[r - 1][c - 1] = std::move(neu);
                anders = true;
            }
        }
    if (anders)
        alleGeaendert();
}

void Tabellenspeicher::leeren()
{
    for (auto &zeile : m_zellen)
        for (auto &z : zeile)
            z.clear();
    alleGeaendert();
}

int Tabellenspeicher::aktuelleZeile() const
{
    const int zeile = m_auswahl.currentIndex().row();
    return qBound(0, zeile, anzahlZeilen - 1) + 1;
}

void Tabellenspeicher::setzeAktuelleZeile(int zeile)
{
    zeile = qBound(1, zeile, anzahlZeilen);
    const int spalte = qMax(0, m_auswahl.currentIndex().column());
    m_auswahl.setCurrentIndex(index(zeile - 1, spalte),
                              QItemSelectionModel::ClearAndSelect);
    emit zeileGesetzt(zeile);
}

void Tabellenspeicher::alleGeaendert()
{
    emit dataChanged(index(0, 0), index(anzahlZeilen - 1, anzahlZellen - 1));
}

int Tabellenspeicher::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : anzahlZeilen;
}

int Tabellenspeicher::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : anzahlZellen;
}

QVariant Tabellenspeicher::data(const QModelIndex &i, int role) const
{
    if (!i.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_zellen[i.row()][i.column()];
}

bool Tabellenspeicher::setData(const QModelIndex &i, const QVariant &wert, int role)
{
    if (!i.isValid() || role != Qt::EditRole)
        return false;
    // The grid never hands over more than its column takes; this keeps loaded or
    // pasted texts inside the same limit.
    const QString text = wert.toString();
    if (i.column() == 1 && !einheitPasst(i.row() + 1, text))
        return false;
    setzeZelle(i.row() + 1, i.column() + 1, text.left(laengeMax(i.row() + 1, i.column() + 1)));
    return true;
}

int Tabellenspeicher::laengeMax(int zeile, int zelle) const
{
    if (zelle == 1 && istStreckeneinheit(this->zelle(zeile, 2).trimmed()))
        return dauerStreckeMax;
    return zelle >= 1 && zelle <= anzahlZellen ? spalten[zelle - 1].laenge : 0;
}

bool Tabellenspeicher::einheitPasst(int zeile, const QString &einheit) const
{
    return zelle(zeile, 1).size() <= dauerMax || einheit.isEmpty() || istStreckeneinheit(einheit.trimmed());
}

Qt::ItemFlags Tabellenspeicher::flags(const QModelIndex &i) const
{
    if (!i.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant Tabellenspeicher::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The units, told where they are typed: a contact line's "Dauer" is no time.
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && section == 1)
        return tr(" S/s Sekunden, M/m Minuten, F/f Richtungswechsel (6021), K/k fährt, bis der "
                  "Kontakt mit der Nummer unter \"Dauer\" belegt meldet, W/w fährt \"Dauer\" cm weit "
                  "(nach dem Lokprofil, erst W/w, dann bis 4 Ziffern); groß vorwärts, klein rückwärts ");
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < anzahlZellen)
        return tr(spalten[section].titel);
    if (orientation == Qt::Vertical)
        return section + 1;
    return {};
}

} // namespace trabolin

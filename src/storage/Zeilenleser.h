#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

namespace trabolin {

// Reads a text file line by line without ever holding more than one buffer and the
// start of one line: a file of any size and content can be read safely.
//
// A line ends at CR LF, at a lone LF or at a lone CR (hand-edited files come from
// every kind of editor). The last line counts even without a line end. Bytes are
// taken as Latin-1, one character per byte, so the fixed places of a row line are
// byte places. Of each line only the first `laengeMax` bytes are kept; the rest is
// skipped unread into memory.
class Zeilenleser {
public:
    static constexpr qsizetype laengeMax = 4096;

    explicit Zeilenleser(QIODevice &geraet) : m_geraet(geraet) {}

    // The next line, or nothing at the end of the data (or on a read error).
    std::optional<QString> naechste();

private:
    bool fuellen();

    QIODevice &m_geraet;
    QByteArray m_puffer;
    qsizetype m_pos = 0;
    bool m_ende = false;
    bool m_nachCR = false; // the last line ended in CR: a following LF belongs to it
};

} // namespace trabolin

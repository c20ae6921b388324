#pragma once
// Listens to the Lenz interface: the bytes the port reads go through the frame
// reader, and each state they report goes to the run logic. A frame start that is
// still incomplete when the line has been quiet for a moment was garbage: the reader
// then searches the bytes after it, so a broadcast behind garbage is not held back
// until the next byte arrives. Feedback frames report contacts: the first one for a
// nibble that was asked for (42 AA 8N) is its answer, a state; every other one is a
// broadcast of a change.
#include "program/Gleiszustand.h"
#include "stations/lenz/LenzMeldungsleser.h"

#include <QObject>
#include <QSet>
#include <QTimer>

namespace trabolin {

class LenzHoerer : public QObject {
    Q_OBJECT
public:
    // An interface sends a frame in one go: 17 bytes take 18 ms at 9600 baud.
    static constexpr int ruheMs = 50;

    explicit LenzHoerer(Gleismelder &melder, QObject *parent = nullptr);

    // Bytes as the port read them.
    void nimm(const QByteArray &bytes);
    // The request for the module of `kontakt` has gone out: the next report of each of
    // its two nibbles is the answer.
    void gefragt(int kontakt);

private:
    void melde(const QList<Gleiszustand> &zustaende);

    Gleismelder &m_melder;
    LenzMeldungsleser m_leser;
    QTimer m_ruhe;
    QSet<int> m_gefragt; // nibbles asked for and not yet answered: (contact - 1) / 4
};

} // namespace trabolin

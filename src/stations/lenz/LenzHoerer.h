#pragma once
// Listens to the Lenz interface: the bytes the port reads go through the frame
// reader, and each state they report goes to the run logic. A frame start that is
// still incomplete when the line has been quiet for a moment was garbage: the reader
// then searches the bytes after it, so a broadcast behind garbage is not held back
// until the next byte arrives.
#include "program/Gleiszustand.h"
#include "stations/lenz/LenzMeldungsleser.h"

#include <QObject>
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

private:
    void melde(const QList<Gleiszustand> &zustaende);

    Gleismelder &m_melder;
    LenzMeldungsleser m_leser;
    QTimer m_ruhe;
};

} // namespace trabolin

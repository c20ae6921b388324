#pragma once
#include <QString>

#include <memory>

class QLockFile;

namespace trabolin {

// Keeps a second copy of the program from starting for the same user and the same
// program folder. The mark is a lock file in the user's runtime folder, named after
// a hash of the program folder; it holds the process id, so the lock of a killed
// instance is recognised as stale and taken over.
class Einzelinstanz {
public:
    // `sperrordner` empty: the user's runtime folder (or the temporary folder).
    explicit Einzelinstanz(const QString &programmVerzeichnis, const QString &sperrordner = {});
    ~Einzelinstanz();

    // True when no other running instance holds the program folder; this instance
    // then holds it until it is destroyed.
    bool erlangen();
    QString sperrdatei() const { return m_pfad; }

private:
    QString m_pfad;
    std::unique_ptr<QLockFile> m_sperre;
};

} // namespace trabolin

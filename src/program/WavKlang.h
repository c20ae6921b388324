#pragma once
// The program's sounds: a WAV file from the program directory, played without
// waiting. When the file cannot be played, the system beep stands in for it.
#include "program/Umgebung.h"

#include <QHash>
#include <QObject>
#include <functional>

class QSoundEffect;

namespace trabolin {

class WavKlang : public QObject, public Klang {
public:
    // `piepen` is the system beep (the window passes QApplication::beep).
    // `verzeichnis` is where the files are looked for; empty means the directory
    // of the executable.
    explicit WavKlang(std::function<void()> piepen, const QString &verzeichnis = {},
                      QObject *parent = nullptr);
    ~WavKlang() override;

    // Returns at once. A sound that is still playing, of this file or another, is
    // cut off; a missing or unreadable file, or a machine without an
    // audio output, gives the beep.
    void spiele(const QString &datei) override;

private:
    QString verzeichnis() const;
    QSoundEffect *effektFuer(const QString &datei, const QString &pfad);
    void piepe();

    std::function<void()> m_piepen;
    QString m_verzeichnis;
    QHash<QString, QSoundEffect *> m_effekte; // by file name, owned as children
    QHash<QSoundEffect *, int> m_wartend;     // plays asked for while still loading
};

} // namespace trabolin

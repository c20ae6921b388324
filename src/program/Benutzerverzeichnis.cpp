#include "program/Benutzerverzeichnis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace trabolin {

namespace {

bool beschreibbar(const QString &verzeichnis)
{
#ifdef Q_OS_WIN
    const QFileInfo info(verzeichnis);
    return info.isDir() && info.isWritable();
#else
    // With the effective ids, as the later writes will be done.
    return QFileInfo(verzeichnis).isDir()
           && ::faccessat(AT_FDCWD, QFile::encodeName(verzeichnis).constData(), W_OK | X_OK,
                          AT_EACCESS) == 0;
#endif
}

} // namespace

QString benutzerVerzeichnis(const QString &programmVerzeichnis)
{
    if (beschreibbar(programmVerzeichnis))
        return programmVerzeichnis;
    // Named explicitly rather than by the application's name, so that the folder is
    // the same whoever asks (the window, the settings file, a test).
    const QString ordner =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("trabolin"));
    QDir().mkpath(ordner);
    return ordner;
}

} // namespace trabolin

#include "window/Einzelinstanz.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace trabolin {

Einzelinstanz::Einzelinstanz(const QString &programmVerzeichnis, const QString &sperrordner)
{
    QString ordner = sperrordner;
    if (ordner.isEmpty())
        ordner = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (ordner.isEmpty())
        ordner = QDir::tempPath();
    QDir().mkpath(ordner);
    QString programm = QFileInfo(programmVerzeichnis).canonicalFilePath();
    if (programm.isEmpty())
        programm = QFileInfo(programmVerzeichnis).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(programm.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    m_pfad = QDir(ordner).filePath(QStringLiteral("trabolin-%1.lock").arg(QString::fromLatin1(hash)));
}

Einzelinstanz::~Einzelinstanz() = default;

bool Einzelinstanz::erlangen()
{
    if (m_sperre && m_sperre->isLocked())
        return true;
    m_sperre = std::make_unique<QLockFile>(m_pfad);
    // Held for the whole run: only a dead owner makes the lock stale, never its age.
    m_sperre->setStaleLockTime(0);
    if (m_sperre->tryLock(0))
        return true;
    // Only a lock held by a running instance refuses the start; a folder where no lock
    // can be made at all must not keep the program from running.
    return m_sperre->error() != QLockFile::LockFailedError;
}

} // namespace trabolin

#include "program/WavKlang.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace trabolin {

WavKlang::WavKlang(std::function<void()> piepen, const QString &verzeichnis, QObject *parent)
    : QObject(parent), m_piepen(std::move(piepen)), m_verzeichnis(verzeichnis)
{
}

WavKlang::~WavKlang() = default;

QString WavKlang::verzeichnis() const
{
    return m_verzeichnis.isEmpty() ? QCoreApplication::applicationDirPath() : m_verzeichnis;
}

void WavKlang::piepe()
{
    if (m_piepen)
        m_piepen();
}

QSoundEffect *WavKlang::effektFuer(const QString &datei, const QString &pfad)
{
    if (QSoundEffect *effekt = m_effekte.value(datei))
        return effekt;

    auto *effekt = new QSoundEffect(QMediaDevices::defaultAudioOutput(), this);
    // Loading runs in the background; a file that turns out unplayable still gets
    // its beep for every play asked for in the meantime.
    connect(effekt, &QSoundEffect::statusChanged, this, [this, effekt] {
        if (effekt->status() == QSoundEffect::Error) {
            for (int i = m_wartend.take(effekt); i > 0; --i)
                piepe();
        } else if (effekt->status() == QSoundEffect::Ready) {
            m_wartend.remove(effekt);
        }
    });
    effekt->setSource(QUrl::fromLocalFile(pfad));
    m_effekte.insert(datei, effekt);
    return effekt;
}

void WavKlang::spiele(const QString &datei)
{
    // One sound at a time: whatever still plays, this file or another, is cut off,
    // also when the beep stands in for the new one.
    for (QSoundEffect *spielend : std::as_const(m_effekte))
        spielend->stop();

    const QString pfad = QDir(verzeichnis()).filePath(datei);
    if (!QFileInfo(pfad).isFile() || QMediaDevices::audioOutputs().isEmpty()) {
        piepe();
        return;
    }

    QSoundEffect *effekt = effektFuer(datei, pfad);
    if (effekt->status() == QSoundEffect::Error) {
        piepe();
        return;
    }
    // Follow the user's choice of output should it have changed since the last play.
    const QAudioDevice ausgang = QMediaDevices::defaultAudioOutput();
    if (!ausgang.isNull() && effekt->audioDevice() != ausgang)
        effekt->setAudioDevice(ausgang);

    effekt->play();
    if (effekt->status() != QSoundEffect::Ready)
        ++m_wartend[effekt];
}

} // namespace trabolin

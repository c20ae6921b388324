#include "window/Hilfe.h"

#include "Version.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTextBrowser>

namespace trabolin {

Hilfe::Hilfe(const QString &programmVerzeichnis, QWidget *fenster)
    : QObject(fenster), m_fenster(fenster),
      m_datei(QDir(programmVerzeichnis).filePath(QStringLiteral("Trabolin.chm")))
{
}

void Hilfe::frageNachBetrachter()
{
#ifdef Q_OS_WIN
    m_betrachter = true;
#else
    // Asked once and without waiting: F1 during a run must not hold the window
    // while another program answers. Until the answer is in, F1 shows the help
    // inside the program.
    if (!QFileInfo(m_datei).isFile())
        return;
    for (const char *typ : {"application/vnd.ms-htmlhelp", "application/x-chm"}) {
        auto *abfrage = new QProcess(m_fenster);
        connect(abfrage, &QProcess::finished, this, [this, abfrage] {
            if (!abfrage->readAllStandardOutput().trimmed().isEmpty())
                m_betrachter = true;
            abfrage->deleteLater();
        });
        connect(abfrage, &QProcess::errorOccurred, abfrage, &QObject::deleteLater);
        abfrage->start(QStringLiteral("xdg-mime"),
                       {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(typ)});
    }
#endif
}

void Hilfe::zeige(const std::function<bool(const QUrl &)> &oeffne)
{
    if (QFileInfo(m_datei).isFile() && oeffne && oeffne(QUrl::fromLocalFile(m_datei)))
        return;
    zeigeImProgramm();
}

void Hilfe::zeigeImProgramm()
{
    if (!m_hilfefenster) {
        m_hilfefenster = new QTextBrowser(m_fenster);
        m_hilfefenster->setWindowFlag(Qt::Window);
        m_hilfefenster->setObjectName(QStringLiteral("frmHilfe"));
        m_hilfefenster->setWindowTitle(QStringLiteral(" Lokomotiven-Trabolin - Hilfe"));
        m_hilfefenster->setOpenExternalLinks(true);
        m_hilfefenster->setSource(QUrl(QStringLiteral("qrc:/hilfe/index.html")));
        m_hilfefenster->resize(720, 620);
    }
    m_hilfefenster->show();
    m_hilfefenster->raise();
    m_hilfefenster->activateWindow();
}

QString Hilfe::infoTitel()
{
    return QStringLiteral(" Info über ") + QString::fromUtf8(version::produkt);
}

QString Hilfe::infoText()
{
    return QStringList{
        QStringLiteral("Programm:     ") + QString::fromUtf8(version::produkt),
        QStringLiteral("Release :       %1.%2").arg(version::major).arg(version::minor),
        QString(),
        QString::fromUtf8(version::copyright),
        QString(),
        QStringLiteral("mailto :           ") + QString::fromUtf8(version::kommentar),
    }.join(u'\n');
}

} // namespace trabolin

#include "window/Hilfe.h"

#include "Version.h"
#include "window/Sprache.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTextBrowser>

namespace trabolin {

namespace {

QString chmName(const QString &code)
{
    return code == u"en" ? QStringLiteral("Trabolin_en.chm") : QStringLiteral("Trabolin.chm");
}

} // namespace

Hilfe::Hilfe(const QString &programmVerzeichnis, QWidget *fenster)
    : QObject(fenster), m_fenster(fenster), m_verzeichnis(programmVerzeichnis)
{
}

QString Hilfe::datei() const
{
    return QDir(m_verzeichnis).filePath(chmName(sprache()));
}

void Hilfe::frageNachBetrachter()
{
#ifdef Q_OS_WIN
    m_betrachter = true;
#else
    // Asked once and without waiting: F1 during a run must not hold the window
    // while another program answers. Until the answer is in, F1 shows the help
    // inside the program.
    const QDir ordner(m_verzeichnis);
    if (!QFileInfo(ordner.filePath(chmName(QStringLiteral("de")))).isFile()
        && !QFileInfo(ordner.filePath(chmName(QStringLiteral("en")))).isFile())
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
    const QString chm = datei();
    if (QFileInfo(chm).isFile() && oeffne && oeffne(QUrl::fromLocalFile(chm)))
        return;
    zeigeImProgramm();
}

QUrl Hilfe::seiteIn(const QString &code, const QUrl &seite)
{
    // The pages of both languages have the same names and anchors: "fenster.html#gleisanzeige"
    // in German is "en/fenster.html#gleisanzeige" in English.
    QString name = QStringLiteral("index.html");
    QString anker;
    if (seite.scheme() == u"qrc" && seite.path().startsWith(u"/hilfe/")) {
        name = QFileInfo(seite.path()).fileName();
        anker = seite.fragment();
    }
    QUrl url(QStringLiteral("qrc:/hilfe/") + (code == u"en" ? QStringLiteral("en/") : QString()) + name);
    if (!anker.isEmpty())
        url.setFragment(anker);
    return url;
}

void Hilfe::zeigeImProgramm()
{
    if (!m_hilfefenster) {
        m_hilfefenster = new QTextBrowser(m_fenster);
        m_hilfefenster->setWindowFlag(Qt::Window);
        m_hilfefenster->setObjectName(QStringLiteral("frmHilfe"));
        m_hilfefenster->setOpenExternalLinks(true);
        m_hilfefenster->resize(720, 620);
        // A switch of language shows the same page in the other language.
        beiSprache(m_hilfefenster, [this] {
            m_hilfefenster->setWindowTitle(tr(" Lokomotiven-Trabolin - Hilfe"));
            const QUrl seite = seiteIn(sprache(), m_hilfefenster->source());
            if (seite != m_hilfefenster->source())
                m_hilfefenster->setSource(seite);
        });
    }
    m_hilfefenster->show();
    m_hilfefenster->raise();
    m_hilfefenster->activateWindow();
}

QString Hilfe::infoTitel()
{
    return tr(" Info über ") + QString::fromUtf8(version::produkt);
}

QString Hilfe::infoText()
{
    return QStringList{
        tr("Programm:     ") + QString::fromUtf8(version::produkt),
        QStringLiteral("Release :       %1.%2").arg(version::major).arg(version::minor),
        QString(),
        QString::fromUtf8(version::copyright),
        QString(),
        QStringLiteral("mailto :           ") + QString::fromUtf8(version::kommentar),
    }.join(u'\n');
}

} // namespace trabolin

#pragma once
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QTextBrowser;
class QWidget;

namespace trabolin {

// The help of a window, in the language in effect: the file "Trabolin.chm" (German) or
// "Trabolin_en.chm" (English) in the program directory, opened with the platform's
// viewer, or, without file or viewer, the same pages in a window of the program
// (":/hilfe/" German, ":/hilfe/en/" English); and the texts of the about box.
class Hilfe : public QObject {
    Q_OBJECT
public:
    // `fenster` owns the help window.
    Hilfe(const QString &programmVerzeichnis, QWidget *fenster);

    // The CHM file of the language in effect.
    QString datei() const;
    // True once a program is known to show CHM files.
    bool hatBetrachter() const { return m_betrachter; }
    // Asks, once and without waiting, whether a program is registered for CHM files.
    void frageNachBetrachter();
    // Opens the file with `oeffne` where it exists and `oeffne` succeeds, otherwise
    // shows the help inside the program.
    void zeige(const std::function<bool(const QUrl &)> &oeffne);

    // The page of the built-in help in the language `code` ("de" or "en") that matches
    // `seite` (a page of either language, with its anchor); the contents page for
    // anything else.
    static QUrl seiteIn(const QString &code, const QUrl &seite = {});

    // The texts of the about box.
    static QString infoTitel();
    static QString infoText();

private:
    void zeigeImProgramm();

    QWidget *m_fenster;
    QString m_verzeichnis;
    bool m_betrachter = false;
    QTextBrowser *m_hilfefenster = nullptr;
};

} // namespace trabolin

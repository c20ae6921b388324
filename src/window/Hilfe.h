#pragma once
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QTextBrowser;
class QWidget;

namespace trabolin {

// The help of a window: the file "Trabolin.chm" in the program directory, opened
// with the platform's viewer, or, without file or viewer, the same pages in a window
// of the program; and the texts of the about box.
class Hilfe : public QObject {
    Q_OBJECT
public:
    // `fenster` owns the help window.
    Hilfe(const QString &programmVerzeichnis, QWidget *fenster);

    QString datei() const { return m_datei; }
    // True once a program is known to show CHM files.
    bool hatBetrachter() const { return m_betrachter; }
    // Asks, once and without waiting, whether a program is registered for CHM files.
    void frageNachBetrachter();
    // Opens the file with `oeffne` where it exists and `oeffne` succeeds, otherwise
    // shows the help inside the program.
    void zeige(const std::function<bool(const QUrl &)> &oeffne);

    // The texts of the about box.
    static QString infoTitel();
    static QString infoText();

private:
    void zeigeImProgramm();

    QWidget *m_fenster;
    QString m_datei;
    bool m_betrachter = false;
    QTextBrowser *m_hilfefenster = nullptr;
};

} // namespace trabolin

#pragma once
// The driving programs of the window, one page each, and how the user moves between
// them: a tab bar over the pages (shown only with two or more, with "Lok anhal&ten"
// beside it for the current program), the menu "Fa&hrprogramm" ("&Neue Lok",
// "Lok &entfernen", "&Alle starten", "Lok ein&messen ..." with its window), Ctrl+Tab and Ctrl+Shift+Tab, and each page's
// "Endlosschleife" shown beside the run buttons for the current page. With one program
// the window looks as it always has.
#include "window/Programmseite.h"

#include <QMessageBox>
#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QBoxLayout;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QWidget;

namespace trabolin {

class Fahrbetrieb;
class Messfenster;

class Programmliste : public QObject {
    Q_OBJECT
public:
    static constexpr int hoechstens = 8;

    struct Anschluss {
        std::vector<Programmseite *> &seiten; // the window's pages, the first already made
        int &aktuell;                         // the index of the page shown
        Fahrbetrieb &betrieb;
        // Makes a page on the shared parts and wires it to the window.
        std::function<Programmseite *()> neueSeite;
        std::function<void(QMessageBox::Icon, const QString &, const QString &)> melde;
        std::function<bool(const QString &, const QString &)> frage;
        // The word for an address on the station chosen now: "Lok" or "ID".
        std::function<QString()> adresswort;
        // The page shown has changed: the window follows it.
        std::function<void()> gewechselt;
        // "&starten" may be pressed now (the way to the station is ready).
        std::function<bool()> darfStarten;
        // The folder of "Trabolin.ini", where "Lokprofile.ini" lies beside it.
        QString ordner = {};
    };

    // `endlosReihe`: the row beside the run buttons where each page's "Endlosschleife"
    // stands; `leiste`: the menu bar, which gets "Fa&hrprogramm" after "&Datei".
    Programmliste(Anschluss anschluss, QBoxLayout *endlosReihe, QMenuBar *leiste, QWidget *fenster);

    // The window " Lok einmessen", made at the start (it reads the profiles then).
    Messfenster *messfenster() const { return m_messen; }
    // The tab row and the pages, for the window's layout.
    QWidget *flaeche() const { return m_flaeche; }

    // "&Neue Lok": a page with an empty table and the address after the highest in
    // use; refused with a message beyond `hoechstens`. The new page, or nullptr. It
    // becomes the current page unless `zeigen` is false (the programs read from the
    // settings file, where the one shown is chosen once all are there).
    Programmseite *neueLok(bool zeigen = true);
    // "Lok &entfernen": the current page, after a question when its table is not
    // empty; not while it runs, never the last one.
    void entferneLok();
    void zeige(int index);
    // The tab captions and markers, and what may be done now.
    void aktualisiere();

private:
    Programmseite *nimmAuf(Programmseite *seite);
    QString reitertext(int index) const;

    Anschluss m_a;
    QBoxLayout *m_endlosReihe;
    QWidget *m_flaeche;
    QWidget *m_reiterzeile;
    QTabBar *m_reiter;
    QStackedWidget *m_stapel;
    QPushButton *m_anhalten;
    QAction *m_neu, *m_entfernen, *m_alle, *m_einmessen;
    QAction *m_laden; // "öffnen / laden" of the menu "&Datei"; nullptr without it
    Messfenster *m_messen;
};

} // namespace trabolin

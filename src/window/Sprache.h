#pragma once

#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>

namespace trabolin {

// The window's language: German ("de", the texts in the code) or English ("en", from
// the translation built into the program). Qt's own texts follow: the buttons of the
// message boxes ("&Ja" / "&Yes"), the file dialogs and the context menus of the text
// fields, German from "qtbase_de.qm" in Qt's translations folder (on Debian the package
// qt6-translations-l10n; without it Qt keeps its English texts and the program runs on).

// The language a user without a "[Sprache]" line gets: English when the system speaks
// English, German otherwise (also for the C/POSIX locale).
QString systemsprache();
// The same for the locale `ort`: "en" for any English, "de" for everything else.
QString spracheFuer(const QLocale &ort);

// "de" or "en", whichever is in effect.
QString sprache();

// Puts `code` ("de" or "en"; anything else counts as "de") into effect at once: every
// text registered with beiSprache is set anew, and so is every later message. Needs the
// application object. Returns false when Qt's German texts could not be loaded (the
// program's own texts are German all the same).
bool setzeSprache(const QString &code);

// Runs `texte` now and again after every change of language, as long as `besitzer`
// lives: the place where a widget sets what the user reads (captions, tool tips,
// accessible names) with tr(), so that a switch of language reaches it.
void beiSprache(QObject *besitzer, std::function<void()> texte);

// Sends gewechselt() after every change of language; the texts of beiSprache hang on it.
class Sprachwechsel : public QObject {
    Q_OBJECT
public:
    static Sprachwechsel &instanz();
signals:
    void gewechselt();
};

} // namespace trabolin

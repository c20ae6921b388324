#include "window/Sprache.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace trabolin {

namespace {

struct Uebersetzer {
    QPointer<QTranslator> programm; // the program's English texts
    QPointer<QTranslator> qt;       // Qt's own German texts
    QString code = QStringLiteral("de");
};

Uebersetzer &uebersetzer()
{
    static Uebersetzer u;
    return u;
}

void entferne(QPointer<QTranslator> &t)
{
    if (t) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

} // namespace

QString spracheFuer(const QLocale &ort)
{
    return ort.language() == QLocale::English ? QStringLiteral("en") : QStringLiteral("de");
}

QString systemsprache()
{
    return spracheFuer(QLocale::system());
}

QString sprache()
{
    return uebersetzer().code;
}

bool setzeSprache(const QString &code)
{
    QCoreApplication *anwendung = QCoreApplication::instance();
    if (!anwendung)
        return false;
    Uebersetzer &u = uebersetzer();
    const bool englisch = code == u"en";
    entferne(u.programm);
    entferne(u.qt);
    // One translation: installed when it loads, `ziel` then points to it.
    const auto lade = [anwendung](QPointer<QTranslator> &ziel, const QString &name, const QString &ordner) {
        auto *t = new QTranslator(anwendung);
        if (!t->load(name, ordner)) {
            delete t;
            return false;
        }
        QCoreApplication::installTranslator(t);
        ziel = t;
        return true;
    };
    const bool ok = englisch ? lade(u.programm, QStringLiteral(":/i18n/trabolin_en.qm"), QString())
                             : lade(u.qt, QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    u.code = englisch ? QStringLiteral("en") : QStringLiteral("de");
    emit Sprachwechsel::instanz().gewechselt();
    return ok;
}

Sprachwechsel &Sprachwechsel::instanz()
{
    static Sprachwechsel w;
    return w;
}

void beiSprache(QObject *besitzer, std::function<void()> texte)
{
    texte();
    QObject::connect(&Sprachwechsel::instanz(), &Sprachwechsel::gewechselt, besitzer, std::move(texte));
}

} // namespace trabolin

#pragma once
// The main window as the window tests start it: shown, on its own program folder, its
// messages, questions and beeps recorded instead of shown or sounded, and the machine's
// own serial devices kept out of its port choice. A test's own set-up derives from it,
// puts what the folder needs there (settings file, port links) and then calls starte().
// The window's controls are Qt widgets, found by their object names (feld), so the
// widget and test headers come with it.
#include "helfer/Feld.h"
#include "program/Ablauf.h"
#include "program/Benutzerverzeichnis.h"
#include "storage/Dateiformat.h"
#include "window/Gleisanzeige.h"
#include "window/frmTrabolin.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <memory>

namespace trabolin::test {

// A file's bytes, "<fehlt>" for a file that cannot be read.
inline QByteArray liesDatei(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}
inline void schreibeDatei(const QString &pfad, const QByteArray &bytes)
{
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(pfad));
}

// Waits in the test's own event loop until the run or single line started by a click
// has ended (the click returns at the run's first wait); false after `ms`.
inline bool laufAbgewartet(frmTrabolin &f, int ms = 60000)
{
    return QTest::qWaitFor([&] { return !f.ablauf().laeuft(); }, ms);
}

struct Fensteranlage {
    QTemporaryDir verzeichnis;
    QString ordner = verzeichnis.path(); // the program folder; another's for a second window
    bool einzelinstanz = false;          // the single-instance check at start-up
    bool antwort = false;                // the answer to every question
    bool echteDialoge = false;           // the window's own question box and file dialogs instead
    std::unique_ptr<frmTrabolin> f;
    QStringList meldungen, fragen;    // "<title>|<text>", start-up's own included
    QList<QMessageBox::Icon> symbole; // the icon of each message
    int pieptoene = 0;

    void starte()
    {
        const auto ruhig = frmTrabolin::vorDemStart(); // the quiet start of every test program
        frmTrabolin::vorDemStart() = [this, ruhig](frmTrabolin &w) {
            const auto echt = std::make_pair(w.frage, w.waehleDatei);
            ruhig(w);
            w.melde = [this](QMessageBox::Icon symbol, const QString &titel, const QString &text) {
                symbole << symbol;
                meldungen << titel + u'|' + text;
            };
            w.frage = [this](const QString &titel, const QString &text) {
                fragen << titel + u'|' + text;
                return antwort;
            };
            w.piepen = [this] { ++pieptoene; };
            w.einzelinstanzPruefen = einzelinstanz;
            if (echteDialoge)
                std::tie(w.frage, w.waehleDatei) = echt;
        };
        f = std::make_unique<frmTrabolin>(nullptr, ordner);
        frmTrabolin::vorDemStart() = ruhig;
        feld<SerielleSchnittstelle>(*f, "V24")->setzeStandardzuordnung(false);
        f->show();
        if (!QTest::qWaitForWindowExposed(f.get()))
            qFatal("window not exposed");
    }
    QString datei(const QString &name) const { return QDir(ordner).filePath(name); }
    // "an" or "aus" when the three run buttons (with `power` the power buttons as well)
    // agree, "gemischt" when they do not.
    QString knoepfe(bool power = false) const
    {
        QStringList namen{QStringLiteral("btnStart"), QStringLiteral("btnSendStop"), QStringLiteral("btnSendZeile")};
        if (power)
            namen << QStringLiteral("btnPower_0") << QStringLiteral("btnPower_1");
        const auto an = std::count_if(namen.begin(), namen.end(),
                                      [this](const QString &n) { return feld<QPushButton>(*f, n)->isEnabled(); });
        return an == namen.size() ? QStringLiteral("an") : an == 0 ? QStringLiteral("aus") : QStringLiteral("gemischt");
    }
    // The settings as closing would save them now: the window writes its settings file,
    // the file format's own reader reads it back (the station code, the USB box, ...).
    Einstellungen gespeichert() const
    {
        if (const QString fehler = f->subWriteConfig(); !fehler.isEmpty())
            qFatal("settings not written: %s", qPrintable(fehler));
        QFile datei(QDir(benutzerVerzeichnis(ordner)).filePath(QStringLiteral("Trabolin.ini")));
        if (!datei.open(QIODevice::ReadOnly))
            qFatal("settings not readable: %s", qPrintable(datei.fileName()));
        return leseEinstellungen(datei).werte;
    }
};

} // namespace trabolin::test

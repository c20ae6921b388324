#include "program/Verkehrsprotokoll.h"
#include "window/Sprache.h"
#include "window/frmTrabolin.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trabolin"));
    // The system's language until "Trabolin.ini" names one; Qt's standard buttons and
    // dialogs speak the window's language. The lines on stderr are in the language in
    // effect, as the window's texts.
    if (!trabolin::setzeSprache(trabolin::systemsprache()) && trabolin::sprache() == u"de")
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate("trabolin", "trabolin: qtbase_de.qm fehlt (Paket "
                                                                        "qt6-translations-l10n), Qt-Dialoge bleiben "
                                                                        "englisch")));

    // The traffic log: off unless asked for on the command line or in the environment.
    trabolin::Verkehrsprotokoll protokoll;
    const QString ziel = trabolin::protokollZiel(QApplication::arguments(),
                                                 qEnvironmentVariable("TRABOLIN_PROTOKOLL"));
    if (!ziel.isEmpty() && !protokoll.oeffne(ziel))
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                                    "trabolin", "trabolin: Verkehrsprotokoll %1 kann nicht geöffnet werden: %2")
                                    .arg(ziel, protokoll.fehler())));

    trabolin::frmTrabolin fenster;
    // A second instance has shown its message and ends without touching any file.
    if (fenster.zweiteInstanz())
        return 0;
    fenster.show();
    return app.exec();
}

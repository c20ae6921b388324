#include "program/Verkehrsprotokoll.h"
#include "window/frmTrabolin.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trabolin"));

    // The traffic log: off unless asked for on the command line or in the environment.
    trabolin::Verkehrsprotokoll protokoll;
    const QString ziel = trabolin::protokollZiel(QApplication::arguments(),
                                                 qEnvironmentVariable("TRABOLIN_PROTOKOLL"));
    if (!ziel.isEmpty() && !protokoll.oeffne(ziel))
        std::fprintf(stderr, "trabolin: Verkehrsprotokoll %s kann nicht geöffnet werden: %s\n",
                     qPrintable(ziel), qPrintable(protokoll.fehler()));

    trabolin::frmTrabolin fenster;
    fenster.show();
    return app.exec();
}

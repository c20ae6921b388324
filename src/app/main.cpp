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
    // A second instance has shown its message and ends without touching any file.
    if (fenster.zweiteInstanz())
        return 0;
    fenster.show();
    return app.exec();
}

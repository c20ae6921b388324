#include "window/frmTrabolin.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trabolin"));

    trabolin::frmTrabolin fenster;
    // A second instance has shown its message and ends without touching any file.
    if (fenster.zweiteInstanz())
        return 0;
    fenster.show();
    return app.exec();
}

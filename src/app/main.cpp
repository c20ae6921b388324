#include "window/frmTrabolin.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trabolin"));

    trabolin::frmTrabolin fenster;
    fenster.show();
    return app.exec();
}

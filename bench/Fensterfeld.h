#pragma once
// A control or another named part of the main window, found by its object name as a
// user's tools find it ("btnStart", "optZentrale_0", the serial port "V24", a network
// station's link "TCP" by its type). Missing: the benchmark ends with the name.
#include "window/frmTrabolin.h"

#include <QObject>
#include <QString>
#include <QtGlobal>

namespace trabolin::bench {

template <class T>
T *feld(const QObject &fenster, const QString &name)
{
    T *teil = fenster.findChild<T *>(name);
    if (!teil)
        qFatal("%s fehlt im Fenster", qPrintable(name));
    return teil;
}

template <class T>
T *feld(const QObject &fenster, const QString &name, int index)
{
    return feld<T>(fenster, name + u'_' + QString::number(index));
}

// Every main window made from now on starts quietly: no modal box for the missing
// settings file, no save question when it closes, and a second window may start
// beside the first.
inline void startetStill()
{
    frmTrabolin::vorDemStart() = [](frmTrabolin &f) {
        f.melde = [](QMessageBox::Icon, const QString &, const QString &) {};
        f.frage = [](const QString &, const QString &) { return false; };
        f.einzelinstanzPruefen = false;
    };
}

} // namespace trabolin::bench

#pragma once
// Small builders of the window's controls, shared by the window and its program pages:
// each control gets its object name, which is how tests and assistive tools find it.
#include "window/Beschriftung.h"

#include <QString>
#include <QStringList>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace trabolin {

// The tool tip of a control locked while a run goes on, in the language in effect
// whenever it is read: fahrtsperreTipp stands where a QString goes.
struct Fahrtsperretipp {
    operator QString() const;
};
inline constexpr Fahrtsperretipp fahrtsperreTipp{};

template <class W>
W *benannt(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton *knopf(const QString &name, const QString &text, const QString &tipp = {});
// A bold caption.
Beschriftung *ueberschrift(const QString &name, const QString &text);
// A label that shows a value, such as a time, with the caption beside it as its
// accessible description.
Beschriftung *wertfeld(const QString &name, const QString &beschreibung);
// A list with `eintraege`, item `start` chosen (-1: none, the edit text empty).
QComboBox *liste(const QString &name, const QStringList &eintraege, int start, bool editierbar);
// A raised panel with its accessible name.
QFrame *panel(const QString &name, const QString &zugangsname);
QFrame *trennlinie();
// A picture from the resources, at its own size.
QLabel *bild(const QString &name, const QString &datei, const QString &zugangsname);

} // namespace trabolin

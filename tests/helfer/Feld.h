#pragma once
// A control of the main window found as the user's tools find it, by its object name:
// the control's name ("btnStart", "lstFS"), for a row of controls "<name>_<index>"
// ("optZentrale_2", "btnPower_0"). The window's own members stay its own business, so
// a change inside the window breaks only the tests that are about it.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <QtGlobal>

namespace trabolin::test {

// The one child of `fenster` named `name` that is a T. Missing, of another type or
// there twice: the test program ends with the name, since every later line would only
// fail less clearly.
template <class T = QObject>
T *feld(const QObject &fenster, const QString &name)
{
    const QList<T *> treffer = fenster.findChildren<T *>(name);
    if (treffer.size() != 1)
        qFatal("control \"%s\" of type %s: found %d times", qPrintable(name),
               T::staticMetaObject.className(), int(treffer.size()));
    return treffer.first();
}

// Control `index` of a row of controls, such as the station options.
template <class T = QObject>
T *feld(const QObject &fenster, const QString &name, int index)
{
    return feld<T>(fenster, name + u'_' + QString::number(index));
}

// Several controls of one type, in the order named.
template <class T = QObject>
QList<T *> felder(const QObject &fenster, const QStringList &namen)
{
    QList<T *> liste;
    for (const QString &name : namen)
        liste << feld<T>(fenster, name);
    return liste;
}

// What each named control shows, as the user reads it: the text of a label, a button or
// an entry field, the current text of a list.
inline QStringList anzeigen(const QObject &fenster, const QStringList &namen)
{
    QStringList texte;
    for (QWidget *w : felder<QWidget>(fenster, namen)) {
        const QVariant text = w->property("text");
        texte << (text.isValid() ? text : w->property("currentText")).toString();
    }
    return texte;
}

} // namespace trabolin::test

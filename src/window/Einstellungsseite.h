#pragma once
// The controls of a station's own settings, made from what the station declares: a
// check box, a choice, a number or a text each, in the order declared. The window
// shows the page of the selected station below its common controls.
#include "stations/Zentrale.h"

#include <QWidget>

namespace trabolin {

class Einstellungsseite : public QWidget {
    Q_OBJECT
public:
    // The controls are named "einstellung_<option>_<key>", their labels
    // "lblEinstellung_<option>_<key>".
    Einstellungsseite(int option, const QList<Stationseinstellung> &einstellungen, QWidget *parent = nullptr)
        : Einstellungsseite(QString::number(option), einstellungen, parent)
    {
    }
    // The same with another name part than the option: "Lauf" for the run's own.
    Einstellungsseite(const QString &kennung, const QList<Stationseinstellung> &einstellungen,
                      QWidget *parent = nullptr);

    // The values now, by key, as the settings file writes them.
    const Einstellungswerte &werte() const { return m_werte; }
    // The settings in their declared order.
    const QList<Stationseinstellung> &einstellungen() const { return m_einstellungen; }
    // Puts a value read from the settings file into its control. A value the control
    // cannot show (an item the choice does not have, a number out of range) leaves
    // the setting as it is.
    void setzeWert(const QString &schluessel, const QString &wert);
    // The controls that must not change while a run or a single line goes on.
    QList<QWidget *> sperrbare() const { return m_sperrbar; }

signals:
    // A value has changed, by the user or by setzeWert.
    void geaendert(const QString &schluessel, const QString &wert);

private:
    void merke(const QString &schluessel, const QString &wert);

    QList<Stationseinstellung> m_einstellungen;
    Einstellungswerte m_werte;
    QMap<QString, QWidget *> m_felder;
    QList<QWidget *> m_sperrbar;
};

} // namespace trabolin

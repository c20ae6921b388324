#pragma once
// The window " Lok einmessen" (menu "Fa&hrprogramm", "Lok ein&messen ..."): measures
// the current program's locomotive on the selected station between two contacts
// (program/Messlauf.h) and keeps the result in "Lokprofile.ini" beside
// "Trabolin.ini". Not modal: "St&op", the power buttons and the track field of the
// main window keep working while it measures; closing it stops the locomotive. It
// shows each step as it is measured in a table and as a picture of speed over step,
// both directions, the measured points marked and the straight lines between them
// that distance lines and "Fahrstufe in km/h" reckon with.
#include "program/Lokprofil.h"
#include "program/Messlauf.h"

#include <QMessageBox>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace trabolin {

class Ablauf;
class Beschriftung;
class Fahrbetrieb;
class Messbild;
class Messlauf;
struct Messzeile;

class Messfenster : public QWidget {
    Q_OBJECT
public:
    struct Anschluss {
        Fahrbetrieb &betrieb;
        std::function<Ablauf &()> ablauf; // the current program's run
        QString profilpfad;               // "Lokprofile.ini"
        std::function<void(QMessageBox::Icon, const QString &titel, const QString &text)> melde;
    };
    Messfenster(Anschluss anschluss, QWidget *parent);
    ~Messfenster() override;

    // Opens or raises the window; the station's default steps when it does not measure.
    void zeige();
    bool misst() const;
    // Reads "Lokprofile.ini" into the Fahrbetrieb. The notes on lines it left out, one
    // a line; empty when it read every line (or there is no file yet).
    QString leseProfile();

signals:
    // The profiles in the Fahrbetrieb have changed (a measurement was kept).
    void profileGeaendert();

protected:
    void closeEvent(QCloseEvent *ereignis) override;

private:
    void btnMessen_Click();
    // Row `index` of the table from `zeilen`.
    void zeigeZeile(int index, const QList<Messzeile> &zeilen);
    void zeigeProfil();
    void gemessen(bool vollstaendig, const QString &meldung);
    // The status line: the locomotive and its profile as they are now.
    void zeigeStand();
    // The status line's text for m_stand, in the language in effect.
    void zeigeStandtext();
    // Keeps the profile just measured: the file is read afresh, so that what a user
    // edited meanwhile stays, the profile put in, and the file written.
    void speichere(const Lokprofil &profil);

    Anschluss m_a;
    QSpinBox *txtKontaktA;
    QSpinBox *txtKontaktB;
    QSpinBox *txtAbstand;
    QLineEdit *txtFahrstufen;
    QSpinBox *txtDurchlaeufe;
    QComboBox *lstMassstab;
    QPushButton *btnMessen;
    QPushButton *btnAbbrechen;
    QTableWidget *tabMessung;
    Messbild *imgMessung;
    Beschriftung *lblStand;
    std::unique_ptr<Messlauf> m_lauf;
    int m_hoechste = 126;
    // What the status line tells: the profile of m_schluessel, a measurement going on or
    // one cancelled; and the steps the table shows, for a switch of language.
    enum class Stand { keiner, profil, misst, abgebrochen };
    Stand m_stand = Stand::keiner;
    Profilschluessel m_schluessel;
    QList<Messzeile> m_gezeigt;
};

} // namespace trabolin

#pragma once
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace trabolin {

class Fahrbetrieb;
class Nachmeldungen;
class Netzverbindung;
class Zentralentreiber;
struct Fensterteile;

// The network part of the station panel: the links of the network stations with what
// they report, the host and port of each of them, of which "IP-Adresse" and "LocalPort"
// show one (the selected network station, or the one selected last; the others are
// kept here until they are selected), and the connect button, "Default", "Lokliste
// einlesen", "Kontrolle übernehmen" and the reply field, for the station shown.
class Netzfeld : public QObject {
    Q_OBJECT
public:
    // What it needs of the window, asked as it is at the time.
    struct Fenster {
        Fahrbetrieb &betrieb;
        Nachmeldungen &nachDemLauf; // the reports kept for after the runs
        // The links per station of the registry (nullptr for none) and the station
        // drivers they belong to.
        std::vector<Netzverbindung *> netz;
        std::function<Zentralentreiber &(int option)> treiber;
        std::function<bool(int option)> istSeriell;
        std::function<bool()> gesperrt;  // a run or single line goes on: the way is locked
        std::function<bool()> schliesst; // shutdown has begun
        std::function<void(QMessageBox::Icon, const QString &titel, const QString &text)> melde;
        // The current program's address, and putting one in.
        std::function<QString()> adresse;
        std::function<void(const QString &)> setzeAdresse;
    };
    Netzfeld(Fensterteile &teile, Fenster fenster, QObject *eltern);

    Netzverbindung *link(int option) const { return option >= 0 ? m_fenster.netz[option] : nullptr; }
    const std::vector<Netzverbindung *> &links() const { return m_fenster.netz; }

    // Host and port (in that order) of network station `option`, and setting them;
    // for the station shown, the fields take them with fuelleFelder.
    std::pair<QString, QString> adresse(int option) const;
    void setzeAdresse(int option, const std::pair<QString, QString> &adresse);
    // Puts the shown station's host and port into the fields, whole.
    void fuelleFelder();
    // Shows the host and port of network station `option` in the fields, with its
    // connect button and reply label.
    void zeige(int option);
    // "Lokliste einlesen" and "Kontrolle übernehmen" are of use: the station shown has
    // them and has been connected.
    bool lokknoepfeErlaubt() const;

    // "Fahrstufen" of each network station that uses it, kept while another station is
    // selected. On a switch from station `vorher` to `neu` the list's value is kept for
    // the one and that of the other goes back into the list; the serial stations share
    // the one the port check sets.
    void merkeFahrstufen(int vorher, int neu);
    // Those of station `option`: the list's while it is selected, empty for a station
    // without its own or none chosen yet; and setting them (a value the list does not
    // have is left out).
    QString fahrstufen(int option) const;
    void setzeFahrstufen(int option, const QString &fahrstufen);

signals:
    // The replies or the state of the link decide the run buttons.
    void laufknoepfe(bool aktiv);
    // The selected station's link has come up and the station needs a moment (false),
    // or it has answered (true): the run and power buttons follow.
    void zentraleBereit(bool bereit);
    // The selected station reached through the serial port has answered after its port
    // was opened: the port check has ended well.
    void schnittstelleBereit();

private:
    void verbindeLinks();
    // The connect button, the tool tip of "Default" and the reply label of the station
    // shown, in the language in effect.
    void zeigeTexte();
    void btnEcos_Click();
    // The outcome of the connect the button started, for the station at `option`.
    void verbindungsergebnis(int option, bool verbunden);
    void btnLok_Click();
    // A whole reply: shown, coloured, and the run buttons follow it.
    void TCP_DataArrival(const QString &antwort, qint64 ausgelassen = 0);
    // Network station `option` cannot be reached: the run buttons go off when it is the
    // station selected (a link lost in the background leaves them to the station
    // selected), and the user is told once, under that station's title, after the run
    // or single line that is going on.
    void ecosNichtErreichbar(int option, const QString &text);

    Fensterteile &m_teile;
    Fenster m_fenster;
    int m_netzOption = -1;        // the network station the fields show
    Netzverbindung *TCP = nullptr; // its link
    // Mirrors of the two fields, the host and port of the station shown.
    QString EcosIPAdresse;
    QString EcosLocalPort;
    std::vector<std::pair<QString, QString>> m_netzadressen; // host, port of each station not shown
    std::vector<bool> m_warVerbunden; // the station's link has been up
    std::vector<QString> m_fahrstufenJe; // "Fahrstufen" of each station not selected
    bool m_ecosVerbindet = false;     // a connection attempt is waiting
};

} // namespace trabolin

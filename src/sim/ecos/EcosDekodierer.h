#pragma once
// The decoder of the ECoS simulator: the text its clients send in, printed lines and
// the texts to send back out, with no I/O of its own. It speaks enough of the ECoS PC
// interface to answer everything Trabolin sends, worded as current firmware words it
// (or, with `alt`, as older firmware did): the locomotive list (IDs 1000 to 1003),
// control of a locomotive, its speed (0 to 127), direction and functions, the
// ECoS's state (object 1) and the s88 feedback module 100 with its 16 ports.
//
// It also plays the layout around the ECoS (anlage()): its stop and go buttons, a
// short circuit, silence, dropped connections and a flood of events. A client that
// asked to be told ("request(1, view)") gets an event for each change of the power.
// Every locomotive runs on a virtual track of its own (sim/Gleise.h) at the share
// of its top speed that its step gives (step / 127), standing without power; the
// contacts are the ports of module 100: the first locomotive to run has ports 1 and
// 2, the next 3 and 4, and so on. A client that asked for the module
// ("request(100, view)") gets an event for each change of its ports, as the ECoS
// sends it:
//
//   <EVENT 100>
//   100 state[0x1]
//   <END 0 (OK)>
#include "sim/Gleise.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>

namespace trabolin::sim {

struct EcosLok {
    QString name;
    int fahrstufe = 0;
    int richtung = 0;                 // dir[0] forwards
    std::array<int, 29> funktionen{}; // func[0] is the light
    bool kontrolle = false;
};

// A text to send to the client named as it was named to the decoder.
struct EcosSendung {
    QString ziel;
    QByteArray text;
};

struct EcosErgebnis {
    // One per command or change: "<what> -> <state> [<end>]", to be printed behind the time.
    QStringList zeilen;
    QString hinweis;              // printed as it stands (the list of layout actions)
    QList<EcosSendung> sendungen; // in the order they go out
    bool trennen = false;         // every connection is to be dropped
};

class EcosDekodierer {
public:
    static constexpr int flutMeldungen = 20000;
    static constexpr int s88Modul = 100;

    explicit EcosDekodierer(bool alt = false);

    // The clients, by any name for each (such as "127.0.0.1:5000").
    void verbunden(const QString &client);
    void getrennt(const QString &client);

    // What client `client` sent in one read at `jetztMs` (any steady clock): one piece
    // without a line end is one command; otherwise every line is. Each command is
    // answered to the client, followed by the events it caused.
    EcosErgebnis verarbeite(const QByteArray &stueck, const QString &client, qint64 jetztMs);

    // One layout action at `jetztMs`: "aus" (the ECoS's stop button), "an" (its go
    // button), "kurzschluss", "stumm" (no answers, no events, the connection stays),
    // "antworten" (answers again), "trennen" (drops every connection), "flut" (a flood
    // of events that change nothing). Anything else gives the list of them.
    EcosErgebnis anlage(const QString &aktion, qint64 jetztMs);

    // Moves the locomotives on their tracks up to `jetztMs`: the events of the
    // contacts they changed.
    EcosErgebnis bewege(qint64 jetztMs);
    // Milliseconds from the last move until the next contact edge, -1 for none.
    qint64 msBisWechsel() const { return m_gleise.msBisWechsel(); }
    const Gleise<int> &gleise() const { return m_gleise; }

    const QMap<int, EcosLok> &loks() const { return m_loks; }
    bool strom() const { return m_strom; }
    bool stumm() const { return m_stumm; }
    quint32 s88() const { return m_s88; } // the ports of module 100, bit 0 port 1

private:
    void schalteAnlage(const QString &aktion, EcosErgebnis &e);
    void aufStrecke(qint64 jetztMs, EcosErgebnis &e);
    void melde(const QList<Gleise<int>::Wechsel> &wechsel, EcosErgebnis &e);
    QString s88Zeile() const;
    QString stromzustand() const;
    QString statuszeile() const;
    void setzeStrom(bool an, const QString &anlass, EcosErgebnis &e);
    void meldeStrom(EcosErgebnis &e);
    void sendeEreignis(const QSet<QString> &an, int objekt, const QString &zeile, EcosErgebnis &e, int mal = 1) const;
    static void drucke(EcosErgebnis &e, const QString &befehl, const QString &zustand, const QString &ende);
    QString ende(int nummer, const QString &neu, const QString &alt, bool mitZeilenende) const;
    QString beantworte(const QString &befehl, bool mitZeilenende, EcosErgebnis &e);
    QString fuehreAus(const QString &befehl, bool nl, QString &zeilen, int &lok);

    QMap<int, EcosLok> m_loks;
    bool m_strom = true;
    bool m_alt;
    bool m_stromGeaendert = false; // by the command being answered
    bool m_stumm = false;
    QStringList m_verbindungen;
    QSet<QString> m_beobachter;    // clients told of each change of the power
    QString m_fragender;           // the client whose command is being answered
    Gleise<int> m_gleise;          // by the locomotives' IDs
    quint32 m_s88 = 0;
    QSet<QString> m_s88Beobachter; // clients told of each change of module 100
};

} // namespace trabolin::sim

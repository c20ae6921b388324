#pragma once
// Reading what the ECoS tells about the track. After connecting the program asks to
// be told of changes of object 1, the ECoS itself ("request(1, view)"), and asks for
// its state now ("get(1, status)", repeated while connected to see that the link
// still answers). The ECoS answers, and reports each change as an event:
//
//   <EVENT 1>
//   1 status[STOP]
//   <END 0 (OK)>
//
// GO is track power on, STOP off: the ECoS's own stop button and its short-circuit
// protection both switch to STOP. The s88 feedback modules are objects 100, 101, ...
// (ECoS detectors from 200): the program asks for them ("queryObjects(26, ports)",
// answered by one line "100 ports[16]" per module), then per module to be told of its
// changes ("request(100, view)") and for its state ("get(100, state)"); both the answer
// and every event carry the module's inputs as one number, bit i being port i + 1:
//
//   <EVENT 100>
//   100 state[0x4]
//   <END 0 (OK)>
//
// These blocks are the program's own business; the reply field shows, and judges,
// only the rest.
#include "program/Gleiszustand.h"
#include "stations/Kontaktmeldung.h"

#include <QHash>
#include <QList>
#include <QString>

namespace trabolin {

// "request(1, view)": the ECoS reports each change of its state from now on.
QString ecosStatusBeobachten();
// "get(1, status)": the ECoS's state now.
QString ecosStatusAbfrage();
// "queryObjects(26, ports)": the feedback modules and their ports.
QString ecosModulAbfrage();
// "request(100, view)" and "get(100, state)" for module `objekt`.
QString ecosModulBeobachten(int objekt);
QString ecosModulstandAbfrage(int objekt);

// A feedback module's state as one block read it.
struct EcosModulstand {
    int objekt = 0;
    quint32 zustand = 0;   // bit i: port i + 1 occupied
    bool ereignis = false; // from an EVENT block, not the answer to "get"
    bool operator==(const EcosModulstand &) const = default;
};
// A module and its ports as "queryObjects(26, ports)" lists it (0: none given).
struct EcosModul {
    int objekt = 0;
    int ports = 0;
    bool operator==(const EcosModul &) const = default;
};

struct EcosMeldungen {
    QList<Gleiszustand> gleis;  // the states reported, in order
    bool statusAntwort = false; // the reply to "get(1, status)" was among them
    bool modulliste = false;    // the reply to "queryObjects(26, ports)" ended among them
    QList<EcosModul> module;    // what it listed
    QList<EcosModulstand> modulstaende; // the modules' states, in order
    QString rest;               // the text without those blocks, line ends as they came
};

// Takes the replies as they arrive, in whatever pieces, and takes the events of
// object 1 and the replies to the two requests above out of them. A block cut off
// between two pieces goes on in the next one.
class EcosMeldungsleser {
public:
    EcosMeldungen lies(const QString &text);

private:
    bool m_imBlock = false; // inside such a block: its END line has not come yet
    bool m_ereignis = false; // that block is an EVENT
    bool m_liste = false;    // that block is the reply to "queryObjects(26, ports)"
    QList<EcosModul> m_module; // what it has listed so far
};

// The flat contact numbers of the feedback modules: the ports of all lower modules
// plus the port, the modules and their ports as the ECoS listed them (16 ports for a
// module listed without them); before the list, 16 ports for each module from 100 on.
// A module's state gives the contacts that changed since its last one (all of its
// ports while it was unknown).
class EcosRueckmelder {
public:
    using Kontakt = Kontaktmeldung;
    void setzeModule(const QList<EcosModul> &module);
    int nummer(int objekt, int port) const;
    QList<Kontakt> stand(int objekt, quint32 zustand);
    void leere();

private:
    int ports(int objekt) const;
    QList<EcosModul> m_module;
    QHash<int, quint32> m_staende;
};

} // namespace trabolin

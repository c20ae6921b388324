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
// protection both switch to STOP. These blocks are the program's own business; the
// reply field shows, and judges, only the rest.
#include "program/Gleiszustand.h"

#include <QList>
#include <QString>

namespace trabolin {

// "request(1, view)": the ECoS reports each change of its state from now on.
QString ecosStatusBeobachten();
// "get(1, status)": the ECoS's state now.
QString ecosStatusAbfrage();

struct EcosMeldungen {
    QList<Gleiszustand> gleis;  // the states reported, in order
    bool statusAntwort = false; // the reply to "get(1, status)" was among them
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
};

} // namespace trabolin

#pragma once
// The command texts of the ECoS PC interface as Trabolin sends them, and the
// evaluation of the ECoS's replies. Every text goes out exactly as built here:
// no line end, no separator, as the bytes of ecosBytes.
#include "program/Zentralentreiber.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace trabolin {

// "set(ID,dir[0])" for the units "M" and "S" (forwards), "set(ID,dir[1])" for any other unit.
QString ecosRichtung(const QString &id, const QString &einheit);

// The light and F1 to F4, each "1" when on, else "0".
using EcosFunktionen = std::array<bool, 5>;

// The run's form without blanks: "set(ID,func[0,1],func[1,0],...,func[4,0])".
QString ecosFunktionen(const QString &id, const EcosFunktionen &an);
// The single line's form: "set(ID, func[0, 1], func[1, 0], ..., func[4, 0])".
QString ecosFunktionenEinzeln(const QString &id, const EcosFunktionen &an);

// The speed text of a "Fahrstufe" cell: "0" below 0 and for an empty cell (a line
// that stands), "127" above 127, otherwise the text as typed (leading zeros stay).
QString ecosFahrstufentext(const QString &fahrstufe);
// "set(ID,speed[" + speed text + "])"; the speed text is used as given.
QString ecosFahrstufe(const QString &id, const QString &fahrstufentext);
// "set(ID,speed[0])".
QString ecosStopp(const QString &id);

// "queryObjects(10, name)": the list of the locomotives registered in the ECoS.
QString ecosLokliste();
// "request(ID,control)".
QString ecosKontrolle(const QString &id);
// "set(1,stop)" for index 0 ("Power of&f"), "set(1,go)" for index 1 ("Power o&n").
QString ecosPower(int index);

// The bytes of a command text on the link: each character as its Latin-1 byte (a
// character beyond Latin-1, which only a typed ID or speed text can bring, as "?"),
// nothing added.
inline QByteArray ecosBytes(const QString &text) { return text.toLatin1(); }

// How a reply of the ECoS reads.
using EcosWertung = Antwortwertung;

// "ERROR" anywhere makes an error and "(OK)" anywhere a success, the second test
// winning. Then, when the text holds an END line, the number of its last
// "<END n (...)>" decides: 0 is a success (current firmware writes
// "(OK, but no newline after packet)", older firmware "NERROR_OK"), any other
// number an error (current firmware words its errors in lower case).
EcosWertung bewerteEcosAntwort(const QString &antwort);

} // namespace trabolin

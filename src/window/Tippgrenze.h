#pragma once
#include <QString>

class QLineEdit;

namespace trabolin {

// A length limit of a text field that holds for typing only. A longer text that the
// program puts in with setzeGanz (a value read from "Trabolin.ini") is kept whole, so
// it is written back whole; typing can shorten it but never makes a text longer than
// the limit or than it already is.
void setzeTippgrenze(QLineEdit *feld, int grenze);
void setzeGanz(QLineEdit *feld, const QString &text);

} // namespace trabolin

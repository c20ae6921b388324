#include "stations/maerklin/Maerklin.h"

namespace trabolin {

namespace {
// The interfaces take the characters one byte each; what a user types into the
// address field is plain ASCII, anything else goes out as its Latin-1 byte.
QByteArray alsBytes(const QString &text)
{
    return text.toLatin1();
}

char bit(bool an)
{
    return an ? '1' : '0';
}
} // namespace

std::optional<QByteArray> maerklinBefehl(qint64 befehl, qint64 adresse)
{
    if (befehl < 0 || befehl > 255 || adresse < 0 || adresse > 255)
        return std::nullopt;
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(befehl);
    bytes[1] = static_cast<char>(adresse);
    return bytes;
}

int funktionsbyte(bool f1, bool f2, bool f3, bool f4)
{
    return 64 + (f1 ? 1 : 0) + (f2 ? 2 : 0) + (f3 ? 4 : 0) + (f4 ? 8 : 0);
}

QByteArray xlFahrzeile(const QString &adresse, const QString &fahrstufe, bool licht,
                       int richtung, bool f1, bool f2, bool f3, bool f4)
{
    QByteArray t = "XL " + alsBytes(adresse) + ',' + alsBytes(fahrstufe) + ',' + bit(licht)
                   + ',' + QByteArray::number(richtung);
    for (bool f : {f1, f2, f3, f4})
        t += QByteArray(",") + bit(f);
    return t + '\r';
}

QByteArray xlRichtungsstopp(const QString &adresse)
{
    return "XL " + alsBytes(adresse) + ", 0,\r";
}

QByteArray xlStoppzeile(const QString &adresse, int richtung)
{
    return "XL" + alsBytes(adresse) + ",0,0," + QByteArray::number(richtung) + ",0,0,0,0\r";
}

} // namespace trabolin

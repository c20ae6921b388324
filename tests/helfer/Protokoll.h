#pragma once
// Writes recorded port traffic as one readable line per write, so a test can
// compare the whole conversation at once: "500 17 18" for bytes, "500 'XL 300,0,<CR>'"
// for the IntelliBox texts, "500 <t 3 40 1><LF>" for the DCC-EX commands.
#include "helfer/Virtuell.h"

#include <QStringList>

namespace trabolin::test {

inline QString alsText(const QByteArray &bytes)
{
    if (bytes.startsWith("XL")) {
        QString t = QString::fromLatin1(bytes);
        t.replace(QLatin1Char('\r'), QLatin1String("<CR>"));
        return QLatin1Char('\'') + t + QLatin1Char('\'');
    }
    if (bytes.startsWith('<'))
        return QString::fromLatin1(bytes).replace(QLatin1Char('\n'), QLatin1String("<LF>"));
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

inline QStringList protokoll(const Mitschrift &m)
{
    QStringList zeilen;
    for (const auto &v : m.vorgaenge)
        zeilen << QString::number(v.zeit) + QLatin1Char(' ') + alsText(v.bytes);
    return zeilen;
}

} // namespace trabolin::test

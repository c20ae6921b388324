#include "program/Verkehrsprotokoll.h"

#include <QCommandLineParser>
#include <QDate>
#include <QTime>

#include <cstdio>

namespace trabolin {

Verkehrsprotokoll::~Verkehrsprotokoll()
{
    if (s_aktiv == this)
        s_aktiv = nullptr;
}

bool Verkehrsprotokoll::oeffne(const QString &ziel)
{
    m_datei.close();
    if (ziel == u"-") {
        m_datei.open(stderr, QIODevice::WriteOnly);
    } else {
        m_datei.setFileName(ziel);
        m_datei.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    if (!m_datei.isOpen()) {
        m_fehler = m_datei.errorString();
        return false;
    }
    s_aktiv = this;
    eintrag(QStringLiteral("---"), QStringLiteral("Trabolin-Verkehrsprotokoll begonnen am ")
                                      + QDate::currentDate().toString(Qt::ISODate));
    return true;
}

void Verkehrsprotokoll::schreibeHex(const QString &richtung, const QByteArray &bytes)
{
    eintrag(richtung, QString::fromLatin1(bytes.toHex(' ').toUpper()));
}

void Verkehrsprotokoll::schreibeText(const QString &richtung, const QString &text)
{
    // A reply comes as several lines in one piece; each gets its own entry, without
    // the line ends, so that the log reads like the conversation.
    QStringList zeilen = text.split(u'\n');
    if (zeilen.size() > 1 && zeilen.last().isEmpty())
        zeilen.removeLast();
    for (QString &zeile : zeilen) {
        if (zeile.endsWith(u'\r'))
            zeile.chop(1);
        eintrag(richtung, zeile);
    }
}

void Verkehrsprotokoll::eintrag(const QString &richtung, const QString &inhalt)
{
    const QByteArray zeile = (QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) + u' '
                              + richtung + u' ' + inhalt + u'\n')
                                 .toUtf8();
    m_datei.write(zeile);
    m_datei.flush(); // a crash or a pulled plug must not cost the last lines
}

QString protokollZiel(const QStringList &argumente, const QString &umgebung)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption protokoll(QStringLiteral("protokoll"), QString(), QStringLiteral("datei"));
    parser.addOption(protokoll);
    // Unknown options are no reason to stop: the program starts anyway.
    parser.parse(argumente);
    if (parser.isSet(protokoll))
        return parser.value(protokoll);
    return umgebung;
}

} // namespace trabolin

#pragma once
// The traffic log for troubleshooting a real layout: every byte the program sends on
// the serial port and every text or datagram a station's link exchanges with it, one
// line each, with the time of day to the millisecond and the direction behind its
// prefix:
//
//   14:03:27.512 V24 > E4 13 00 03 85 71
//   14:03:29.004 V24 < 61 00 61
//
// The serial port's lines are written here; each station names its own lines in its
// folder and hands them to hex() or text(). It is switched on by the command-line
// option --protokoll=DATEI (or "-" for standard error) or the environment variable
// TRABOLIN_PROTOKOLL. main() owns the one log; the senders call the static
// functions, which cost a null check while no log is open.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace trabolin {

class Verkehrsprotokoll {
public:
    Verkehrsprotokoll() = default;
    ~Verkehrsprotokoll();
    Verkehrsprotokoll(const Verkehrsprotokoll &) = delete;
    Verkehrsprotokoll &operator=(const Verkehrsprotokoll &) = delete;

    // Opens the target ("-" = standard error, anything else a file that is appended
    // to) and makes this the program's log until it is destroyed. False with fehler()
    // set when the file cannot be opened; the program then runs without a log.
    bool oeffne(const QString &ziel);
    QString fehler() const { return m_fehler; }

    // Bytes written to the serial port, shown as hex.
    static void v24Gesendet(const QByteArray &bytes) { hex(QStringLiteral("V24 >"), bytes); }
    // Bytes read from the serial port, shown as hex.
    static void v24Empfangen(const QByteArray &bytes) { hex(QStringLiteral("V24 <"), bytes); }

    // One entry "richtung inhalt" per call: the bytes shown as hex ("E4 13 00").
    static void hex(const QString &richtung, const QByteArray &bytes)
    {
        if (s_aktiv)
            s_aktiv->schreibeHex(richtung, bytes);
    }
    // One entry per line of `text`, without its line ends.
    static void text(const QString &richtung, const QString &text)
    {
        if (s_aktiv)
            s_aktiv->schreibeText(richtung, text);
    }
    static bool aktiv() { return s_aktiv != nullptr; }

private:
    void schreibeHex(const QString &richtung, const QByteArray &bytes);
    void schreibeText(const QString &richtung, const QString &text);
    void eintrag(const QString &richtung, const QString &inhalt);

    QFile m_datei;
    QString m_fehler;
    static inline Verkehrsprotokoll *s_aktiv = nullptr;
};

// Where the log goes, from the program's arguments and the value of the environment
// variable TRABOLIN_PROTOKOLL: "--protokoll=DATEI" or "--protokoll DATEI" wins over the
// variable; empty when the log stays off. Other arguments are left alone.
QString protokollZiel(const QStringList &argumente, const QString &umgebung);

} // namespace trabolin

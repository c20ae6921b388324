#pragma once
// The traffic log for troubleshooting a real layout: every byte the program sends on
// the serial port (as text for a DCC-EX station), every text it sends to and receives
// from the ECoS or a DCC-EX station and every datagram to and from the Z21, one line
// each, with the time of day to the millisecond:
//
//   14:03:27.512 V24 > E4 13 00 03 85 71
//   14:03:29.004 V24 < 61 00 61
//   14:03:27.530 ECoS > set(1000,speed[40])
//   14:03:27.547 ECoS < <REPLY set(1000,speed[40])>
//   14:03:28.101 DCC-EX > <t 3 40 1>
//   14:03:28.109 DCC-EX < <l 3 0 169 0>
//   14:03:29.214 Z21 > 0A 00 40 00 E4 13 00 03 85 71
//
// It is switched on by the command-line option --protokoll=DATEI (or "-" for standard
// error) or the environment variable TRABOLIN_PROTOKOLL. main() owns the one log; the
// senders call the static functions, which cost a null check while no log is open.
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
    static void v24Gesendet(const QByteArray &bytes)
    {
        if (s_aktiv)
            s_aktiv->hex(QStringLiteral("V24 >"), bytes);
    }
    // Bytes the Lenz interface passed on from the command station, shown as hex.
    static void v24Empfangen(const QByteArray &bytes)
    {
        if (s_aktiv)
            s_aktiv->hex(QStringLiteral("V24 <"), bytes);
    }
    // A text sent on the ECoS link / received from it; each of its lines becomes an entry.
    static void ecosGesendet(const QString &text)
    {
        if (s_aktiv)
            s_aktiv->text(QStringLiteral("ECoS >"), text);
    }
    static void ecosEmpfangen(const QString &text)
    {
        if (s_aktiv)
            s_aktiv->text(QStringLiteral("ECoS <"), text);
    }
    // A command sent to a DCC-EX station / an answer received from it, as text.
    static void dccexGesendet(const QString &text)
    {
        if (s_aktiv)
            s_aktiv->text(QStringLiteral("DCC-EX >"), text);
    }
    static void dccexEmpfangen(const QString &text)
    {
        if (s_aktiv)
            s_aktiv->text(QStringLiteral("DCC-EX <"), text);
    }
    // A datagram sent to the Z21 / received from it, shown as hex.
    static void z21Gesendet(const QByteArray &bytes)
    {
        if (s_aktiv)
            s_aktiv->hex(QStringLiteral("Z21 >"), bytes);
    }
    static void z21Empfangen(const QByteArray &bytes)
    {
        if (s_aktiv)
            s_aktiv->hex(QStringLiteral("Z21 <"), bytes);
    }
    static bool aktiv() { return s_aktiv != nullptr; }

private:
    void hex(const QString &richtung, const QByteArray &bytes);
    void text(const QString &richtung, const QString &text);
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

#pragma once
// The one serial port of the program: the Lenz interface, the 6051 / IntelliBox
// interface or a DCC-EX station hangs on it. What arrives is handed on by empfangen();
// the window owns one of them, its port `V24`.
#include "program/Fehler.h"
#include "program/Umgebung.h"
#include "serial/Leitungstakt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <optional>

namespace trabolin {

// Error numbers of the serial port and of the central error report.
namespace fehlernummer {
inline constexpr int keineBerechtigung = 70;      // no read/write permission on the device node
inline constexpr int ungueltigeParameter = 380;   // line settings text invalid or refused by the driver
inline constexpr int anschlussFehlt = 8002;       // the port number maps to no existing port
inline constexpr int anschlussBelegt = 8005;      // another program holds the port
inline constexpr int oeffnenFehlgeschlagen = 8010; // any other failure while opening
inline constexpr int komponenteFehlt = 429;       // reported silently
inline constexpr int dialogAbgebrochen = 32755;   // reported silently
} // namespace fehlernummer

// A message box text of the central error report.
struct Meldung {
    QString titel;
    QString text;
};

// What is known about a failed (or successful) attempt to open a port; the input of
// bewerteOeffnung(), kept apart so that every case can be judged without a device.
struct Oeffnungsbefund {
    QString pfad;                 // device path; empty when the number maps to none
    bool vorhanden = false;       // something exists at the path
    int zugriffsFehler = 0;       // errno of the read/write access check, 0 = allowed
    QSerialPort::SerialPortError portFehler = QSerialPort::NoError; // after open()
    QString portText;             // QSerialPort's description of portFehler
    QString gruppe;               // group owning the device node, for the permission hint
};

// Turns an open attempt into the error to report: no path or nothing there -> 8002,
// missing permission -> keineBerechtigung (with the dialout hint), a lock or an
// exclusive open by someone else -> 8005, anything else -> oeffnenFehlgeschlagen.
Fehler bewerteOeffnung(const Oeffnungsbefund &befund);

// The central error report: the message for an error, or nothing for 0, 429 and 32755.
std::optional<Meldung> fehlermeldung(const Fehler &fehler);

// True for the errors after which the run and power buttons are disabled (8002, 8005).
bool schnittstelleUnbrauchbar(const Fehler &fehler);

class SerielleSchnittstelle : public QObject, public Ausgabe {
    Q_OBJECT
public:
    explicit SerielleSchnittstelle(
        QString programmVerzeichnis = QCoreApplication::applicationDirPath(),
        QObject *parent = nullptr);
    ~SerielleSchnittstelle() override;

    int portNummer() const { return m_nummer; }
    // Changing the number of an open port closes it first, so that the number always
    // names the device that is open.
    void setzePortNummer(int nummer);

    // The device the number maps to: a file or symbolic link "COM<N>" in the program
    // directory first (in the per-user folder instead when the program directory is
    // read-only, see benutzerVerzeichnis()), then COM1-4 -> /dev/ttyS0-3, COM5-12 -> /dev/ttyUSB0-7,
    // COM13-16 -> /dev/ttyACM0-3, COM17 and up -> /dev/ttyS(N-1). On Windows "COM<N>".
    // Empty for numbers of 0 and below. A link is resolved to its final target.
    QString geraet(int nummer) const;
    // Tool tip for the port choice: which device the number stands for.
    QString geraeteHinweis(int nummer) const;
    // Without the fixed mapping only "COM<N>" entries of the program directory count
    // (tests use it so that the machine's own ports stay out of the way).
    void setzeStandardzuordnung(bool aktiv) { m_standardzuordnung = aktiv; }

    // Opens the port exclusively with its current line settings. An open port stays
    // open and gives no error.
    Fehler oeffne();
    void schliesse();
    bool istOffen() const;

    // "9600,N,8,1": baud, parity N/E/O/M/S, data bits 5-8, stop bits 1/1.5/2. On an
    // error the previous settings stay in force.
    Fehler setzeEinstellungen(const QString &text);
    QString einstellungen() const;
    // RTS/CTS handshake on (the start setting) or off, for the station chosen.
    void setzeHandshake(bool an);
    bool handshake() const;

    // One write of the whole byte string. A closed or vanished port takes nothing.
    void schreibe(const QByteArray &bytes) override;
    // The same for a station that logs its commands as text itself: no hex line.
    void schreibeOhneProtokoll(const QByteArray &bytes);

    // The line as a send queue: how long the commands written since the port opened
    // waited for the ones before them, at the port's line settings.
    const Leitungstakt &leitung() const { return m_leitung; }
    // Now on the clock of leitung(): ms since the port opened.
    double leitungJetztMs() const { return double(m_seitOeffnung.nsecsElapsed()) / 1e6; }

    // The free ports 1 to 16, as texts; the port number is restored afterwards and
    // that port is (re)opened when possible. Reports nothing.
    QStringList freiePorts();

signals:
    // The open port vanished (adapter unplugged); it is closed now. Once per opening.
    void verloren();
    // Bytes that arrived on the port, as they came.
    void empfangen(const QByteArray &bytes);

private:
    void portFehler(QSerialPort::SerialPortError fehler);
    void verwirfHaengendeAusgabe();

    QString m_verzeichnis; // where the "COM<N>" links are looked for
    bool m_imProgrammverzeichnis = true;
    int m_nummer = 1;
    bool m_standardzuordnung = true;
    bool m_schliesstGerade = false;
    bool m_verloren = false;  // vanished while open; its close may still be queued
    quint64 m_oeffnung = 0;   // counts successful openings
    QSerialPort m_port;
    Leitungstakt m_leitung;
    QElapsedTimer m_seitOeffnung; // the clock of m_leitung
};

// The outcome of the apply button: either an error for the central error report or
// the information message to show.
struct Anwendung {
    Fehler fehler;
    QString meldungTitel;
    QString meldungText;
};

// The apply button without its window: close, take the port number from portText,
// open, set the line settings from the four texts as they stand, and build the
// information message from what the port reports back.
Anwendung wendeParameterAn(SerielleSchnittstelle &v24, const QString &portText,
                           const QString &baud, const QString &parity, const QString &daten,
                           const QString &stop);

} // namespace trabolin

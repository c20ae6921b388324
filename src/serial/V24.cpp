#include "serial/V24.h"

#include "program/Benutzerverzeichnis.h"
#include "program/Verkehrsprotokoll.h"
#include "program/Zahlen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace trabolin {

namespace {

// The messages are translated when they are made, in the language in effect.
QString titelFehlerbehandlung() { return QCoreApplication::translate("trabolin", " zentrale Fehlerbehandlung..."); }

// The line settings of the port in QSerialPort's terms.
struct Leitung {
    qint32 baud = 9600;
    QSerialPort::Parity paritaet = QSerialPort::NoParity;
    QSerialPort::DataBits daten = QSerialPort::Data8;
    QSerialPort::StopBits stop = QSerialPort::TwoStop;
};

// A field read as a whole number: blanks around it are allowed, a fraction is not.
bool ganzzahl(const QString &feld, qint64 &wert)
{
    if (!istZahl(feld))
        return false;
    const double zahl = leseZahl(feld);
    wert = rundeGerade(zahl);
    return zahl == double(wert);
}

// Reads "9600,N,8,1"; on failure `grund` says what is wrong, in the language in effect.
std::optional<Leitung> zerlegeEinstellungen(const QString &text, QString &grund)
{
    const QStringList felder = text.split(u',');
    if (felder.size() != 4) {
        grund = QCoreApplication::translate("trabolin", "Ungültige Schnittstellenparameter „%1“: erwartet werden "
                                                        "Baudrate, Parität, Datenbits und Stoppbits, z. B. 9600,N,8,1")
                    .arg(text);
        return std::nullopt;
    }
    Leitung l;
    qint64 zahl = 0;
    if (!ganzzahl(felder[0], zahl) || zahl <= 0 || zahl > INT_MAX) {
        grund = QCoreApplication::translate("trabolin", "Ungültige Baudrate „%1“").arg(felder[0]);
        return std::nullopt;
    }
    l.baud = qint32(zahl);

    const QString p = felder[1].trimmed().toUpper();
    if (p == u"N")
        l.paritaet = QSerialPort::NoParity;
    else if (p == u"E")
        l.paritaet = QSerialPort::EvenParity;
    else if (p == u"O")
        l.paritaet = QSerialPort::OddParity;
    else if (p == u"M")
        l.paritaet = QSerialPort::MarkParity;
    else if (p == u"S")
        l.paritaet = QSerialPort::SpaceParity;
    else {
        grund = QCoreApplication::translate("trabolin", "Ungültige Parität „%1“ (N, E, O, M oder S)").arg(felder[1]);
        return std::nullopt;
    }

    if (!ganzzahl(felder[2], zahl) || zahl < 5 || zahl > 8) {
        grund = QCoreApplication::translate("trabolin", "Ungültige Anzahl Datenbits „%1“ (5 bis 8)").arg(felder[2]);
        return std::nullopt;
    }
    l.daten = QSerialPort::DataBits(zahl);

    const double stop = istZahl(felder[3]) ? leseZahl(felder[3]) : 0;
    if (stop == 1) {
        l.stop = QSerialPort::OneStop;
    } else if (stop == 2) {
        l.stop = QSerialPort::TwoStop;
    } else if (stop == 1.5) {
#ifdef Q_OS_WIN
        l.stop = QSerialPort::OneAndHalfStop;
#else
        // termios knows one or two stop bits only; QSerialPort would quietly send one.
        grund = QCoreApplication::translate("trabolin", "1,5 Stoppbits werden von dieser Schnittstelle nicht unterstützt");
        return std::nullopt;
#endif
    } else {
        grund = QCoreApplication::translate("trabolin", "Ungültige Anzahl Stoppbits „%1“ (1, 1.5 oder 2)").arg(felder[3]);
        return std::nullopt;
    }
    return l;
}

QChar paritaetsbuchstabe(QSerialPort::Parity p)
{
    switch (p) {
    case QSerialPort::EvenParity: return u'E';
    case QSerialPort::OddParity: return u'O';
    case QSerialPort::MarkParity: return u'M';
    case QSerialPort::SpaceParity: return u'S';
    default: return u'N';
    }
}

QString stoppbits(QSerialPort::StopBits s)
{
    switch (s) {
    case QSerialPort::OneAndHalfStop: return QStringLiteral("1.5");
    case QSerialPort::TwoStop: return QStringLiteral("2");
    default: return QStringLiteral("1");
    }
}

QString systemText(int fehler)
{
    return QString::fromLocal8Bit(std::strerror(fehler));
}

} // namespace

Fehler bewerteOeffnung(const Oeffnungsbefund &b)
{
    using namespace fehlernummer;
    if (b.pfad.isEmpty())
        return {anschlussFehlt, QCoreApplication::translate("trabolin", "Zu dieser Nummer gibt es keine Schnittstelle")};
    if (!b.vorhanden)
        return {anschlussFehlt, QCoreApplication::translate("trabolin", "%1 gibt es nicht").arg(b.pfad)};
    switch (b.zugriffsFehler) {
    case 0:
        break;
    case EACCES:
    case EPERM: {
        // The usual cause on Linux: the user is not in the group that owns serial devices.
        const QString gruppe =
            b.gruppe.isEmpty() || b.gruppe == u"root" ? QStringLiteral("dialout") : b.gruppe;
        return {keineBerechtigung,
                QCoreApplication::translate("trabolin", "Keine Berechtigung für %1 (Gruppe %2?) - Abhilfe: "
                                                        "sudo usermod -aG %2 $USER, danach ab- und wieder anmelden")
                    .arg(b.pfad, gruppe)};
    }
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return {anschlussFehlt, QCoreApplication::translate("trabolin", "%1 gibt es nicht").arg(b.pfad)};
    default:
        return {oeffnenFehlgeschlagen,
                QCoreApplication::translate("trabolin", "%1 kann nicht geöffnet werden: %2")
                    .arg(b.pfad, systemText(b.zugriffsFehler))};
    }
    switch (b.portFehler) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::ResourceError: // a node without hardware behind it answers with EIO
        return {anschlussFehlt, QCoreApplication::translate("trabolin", "%1 antwortet nicht: %2").arg(b.pfad, b.portText)};
    case QSerialPort::PermissionError: // lock file or exclusive open of another program
        return {anschlussBelegt,
                QCoreApplication::translate("trabolin", "%1 ist bereits belegt: %2").arg(b.pfad, b.portText)};
    default:
        return {oeffnenFehlgeschlagen,
                QCoreApplication::translate("trabolin", "%1 kann nicht geöffnet werden: %2").arg(b.pfad, b.portText)};
    }
}

std::optional<Meldung> fehlermeldung(const Fehler &f)
{
    using namespace fehlernummer;
    switch (f.nummer) {
    case 0:
    case komponenteFehlt:
    case dialogAbgebrochen:
        return std::nullopt;
    case anschlussFehlt:
        return Meldung{titelFehlerbehandlung(),
                       QCoreApplication::translate("trabolin", "Fehler 8002:  Der angegebene Anschluß (COM-Port ?) "
                                                               "existiert nicht !    ")};
    case anschlussBelegt:
        return Meldung{titelFehlerbehandlung(),
                       QCoreApplication::translate("trabolin", "Fehler 8005:  Der Anschluß wird bereits von einer "
                                                               "anderen Anwendung benutzt !     ")};
    default:
        return Meldung{titelFehlerbehandlung(),
                       QCoreApplication::translate("trabolin", "Fehler %1:  <%2> aufgetreten      ")
                           .arg(QString::number(f.nummer), f.beschreibung)};
    }
}

bool schnittstelleUnbrauchbar(const Fehler &f)
{
    return f.nummer == fehlernummer::anschlussFehlt || f.nummer == fehlernummer::anschlussBelegt;
}

SerielleSchnittstelle::SerielleSchnittstelle(QString programmVerzeichnis, QObject *parent)
    : QObject(parent),
      m_verzeichnis(benutzerVerzeichnis(programmVerzeichnis)),
      m_imProgrammverzeichnis(m_verzeichnis == programmVerzeichnis)
{
    // Initial line settings: 9600 baud, no parity, 8 data bits, 2 stop bits. The 6051
    // interface wants two stop bits; a receiver set for one takes the second as idle
    // line, so two suit every interface until the user applies his own settings.
    //
    // Flow control: RTS/CTS. The Lenz LI100 / LI-USB, the 6051 and the IntelliBox all
    // hold the PC back with CTS while they are busy; without the handshake bytes get
    // lost in bursts. A device that never raises CTS must not freeze the window, so:
    // writes only fill QSerialPort's buffer and the event loop hands them to the
    // driver (nothing here waits for bytes to be written), and schliesse() discards
    // output the driver cannot get rid of, so that close() never waits for a drain.
    const Leitung start;
    m_port.setBaudRate(start.baud);
    m_port.setParity(start.paritaet);
    m_port.setDataBits(start.daten);
    m_port.setStopBits(start.stop);
    m_port.setFlowControl(QSerialPort::HardwareControl);

    connect(&m_port, &QSerialPort::errorOccurred, this, &SerielleSchnittstelle::portFehler);
    // Everything that arrives is read at once, so that a full input buffer never makes
    // the driver lower RTS and stall the interface; only a DCC-EX station's answers
    // are looked at.
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        const QByteArray bytes = m_port.readAll();
        if (!bytes.isEmpty())
            emit empfangen(bytes);
    });
}

SerielleSchnittstelle::~SerielleSchnittstelle()
{
    schliesse();
}

void SerielleSchnittstelle::setzePortNummer(int nummer)
{
    if (nummer != m_nummer && m_port.isOpen())
        schliesse();
    m_nummer = nummer;
}

QString SerielleSchnittstelle::geraet(int nummer) const
{
    if (nummer <= 0)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(nummer);
#else
    const QFileInfo eintrag(QDir(m_verzeichnis).filePath(QStringLiteral("COM%1").arg(nummer)));
    if (eintrag.isSymLink() || eintrag.exists()) {
        const QString ziel = eintrag.canonicalFilePath(); // empty for a dangling link
        return ziel.isEmpty() ? eintrag.absoluteFilePath() : ziel;
    }
    if (!m_standardzuordnung)
        return {};
    if (nummer <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(nummer - 1);
    if (nummer <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(nummer - 5);
    if (nummer <= 16)
        return QStringLiteral("/dev/ttyACM%1").arg(nummer - 13);
    return QStringLiteral("/dev/ttyS%1").arg(nummer - 1);
#endif
}

QString SerielleSchnittstelle::geraeteHinweis(int nummer) const
{
    if (nummer <= 0)
        return tr(" Keine gültige Schnittstellennummer - bitte 1, 2, 3 ... eingeben ");
    const QString pfad = geraet(nummer);
    if (pfad.isEmpty())
        return tr(" Zur Schnittstelle %1 gibt es kein Gerät ").arg(nummer);
    const QString eintrag = QStringLiteral("COM%1").arg(nummer);
#ifndef Q_OS_WIN
    const bool ueberEintrag = QFileInfo(QDir(m_verzeichnis).filePath(eintrag)).isSymLink()
                              || QFileInfo::exists(QDir(m_verzeichnis).filePath(eintrag));
    const bool fehlt = !QFileInfo::exists(pfad);
#else
    const bool ueberEintrag = false;
    const bool fehlt = false;
#endif
    // Each case a whole text, so that a translation can word it as it needs.
    const QString n = QString::number(nummer);
    if (ueberEintrag && m_imProgrammverzeichnis)
        return (fehlt ? tr(" Schnittstelle %1 = %2 (über %3 im Programmverzeichnis), nicht vorhanden ")
                      : tr(" Schnittstelle %1 = %2 (über %3 im Programmverzeichnis) "))
            .arg(n, pfad, eintrag);
    if (ueberEintrag)
        return (fehlt ? tr(" Schnittstelle %1 = %2 (über %3 in %4), nicht vorhanden ")
                      : tr(" Schnittstelle %1 = %2 (über %3 in %4) "))
            .arg(n, pfad, eintrag, m_verzeichnis);
    return (fehlt ? tr(" Schnittstelle %1 = %2, nicht vorhanden ") : tr(" Schnittstelle %1 = %2 ")).arg(n, pfad);
}

Fehler SerielleSchnittstelle::oeffne()
{
    if (istOffen())
        return {};
    if (m_port.isOpen()) // vanished, its close still queued
        schliesse();

    Oeffnungsbefund befund;
    befund.pfad = geraet(m_nummer);
    if (befund.pfad.isEmpty())
        return bewerteOeffnung(befund);
#ifdef Q_OS_WIN
    befund.vorhanden = true;
#else
    const QFileInfo info(befund.pfad);
    befund.vorhanden = info.exists();
    if (!befund.vorhanden)
        return bewerteOeffnung(befund);
    // Checked with the effective ids, as open() will; QSerialPort reports a missing
    // permission and a port held by someone else both as PermissionError.
    if (::faccessat(AT_FDCWD, QFile::encodeName(befund.pfad).constData(), R_OK | W_OK,
                    AT_EACCESS) != 0) {
        befund.zugriffsFehler = errno;
        befund.gruppe = info.group();
        return bewerteOeffnung(befund);
    }
#endif
    m_port.setPortName(befund.pfad);
    m_port.clearError();
    if (m_port.open(QIODevice::ReadWrite)) {
        m_verloren = false;
        ++m_oeffnung;
        m_leitung.beginne();
        m_seitOeffnung.start();
        return {};
    }
    befund.portFehler = m_port.error();
    befund.portText = m_port.errorString();
    return bewerteOeffnung(befund);
}

void SerielleSchnittstelle::schliesse()
{
    if (!m_port.isOpen())
        return;
    m_schliesstGerade = true;
    if (!m_verloren) {
        // Hand what is still buffered to the driver, as far as it takes it at once.
        for (int i = 0; i < 16 && m_port.bytesToWrite() > 0; ++i) {
            if (!m_port.flush())
                break;
        }
        verwirfHaengendeAusgabe();
    }
    m_port.close();
    m_schliesstGerade = false;
}

// The kernel's close() waits until the driver has sent its output queue (up to 30 s by
// default). With CTS held low that queue never empties, so it is dropped instead; so is
// a queue that would need longer than a blink to go out.
void SerielleSchnittstelle::verwirfHaengendeAusgabe()
{
#ifndef Q_OS_WIN
    const int fd = int(m_port.handle());
    int ausstehend = 0;
    if (::ioctl(fd, TIOCOUTQ, &ausstehend) != 0 || ausstehend <= 0)
        return;
    int leitungen = 0;
    const bool bereit =
        !handshake() || (::ioctl(fd, TIOCMGET, &leitungen) == 0 && (leitungen & TIOCM_CTS));
    const int bitsJeZeichen = 1 + int(m_port.dataBits())
                              + (m_port.parity() == QSerialPort::NoParity ? 0 : 1)
                              + (m_port.stopBits() == QSerialPort::TwoStop ? 2 : 1);
    const qint64 dauerMs = qint64(ausstehend) * bitsJeZeichen * 1000 / qMax(1, m_port.baudRate());
    if (!bereit || dauerMs > 250)
        m_port.clear(QSerialPort::Output);
#endif
}

bool SerielleSchnittstelle::istOffen() const
{
    return m_port.isOpen() && !m_verloren;
}

void SerielleSchnittstelle::portFehler(QSerialPort::SerialPortError fehler)
{
    // A device that is gone fails writes with ResourceError (EIO). Its reads return
    // nothing although the notifier says readable, which QSerialPort reports as
    // ReadError or ResourceError depending on a stale errno: both mean the same here.
    const bool weg = fehler == QSerialPort::ResourceError || fehler == QSerialPort::ReadError;
    if (!weg || m_schliesstGerade || !m_port.isOpen() || m_verloren)
        return;
    m_verloren = true;
    // This runs inside QSerialPort's own notifier, which close() deletes: close later.
    const quint64 oeffnung = m_oeffnung;
    QMetaObject::invokeMethod(
        this,
        [this, oeffnung] {
            if (oeffnung == m_oeffnung && m_port.isOpen())
                schliesse();
            emit verloren();
        },
        Qt::QueuedConnection);
}

void SerielleSchnittstelle::setzeHandshake(bool an)
{
    const auto art = an ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl;
    if (m_port.flowControl() != art)
        m_port.setFlowControl(art);
}

Fehler SerielleSchnittstelle::setzeEinstellungen(const QString &text)
{
    QString grund;
    const std::optional<Leitung> neu = zerlegeEinstellungen(text, grund);
    if (!neu)
        return {fehlernummer::ungueltigeParameter, grund};

    const Leitung alt{m_port.baudRate(), m_port.parity(), m_port.dataBits(), m_port.stopBits()};
    auto uebernimm = [this](const Leitung &l) {
        return m_port.setBaudRate(l.baud) && m_port.setParity(l.paritaet)
               && m_port.setDataBits(l.daten) && m_port.setStopBits(l.stop);
    };
    if (uebernimm(*neu))
        return {};
    const QString ursache = m_port.errorString();
    uebernimm(alt);
    return {fehlernummer::ungueltigeParameter,
            tr("Die Schnittstelle lehnt die Parameter „%1“ ab: %2").arg(text, ursache)};
}

QString SerielleSchnittstelle::einstellungen() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(m_port.baudRate())
        .arg(paritaetsbuchstabe(m_port.parity()))
        .arg(int(m_port.dataBits()))
        .arg(stoppbits(m_port.stopBits()));
}

void SerielleSchnittstelle::schreibe(const QByteArray &bytes)
{
    if (istOffen() && !bytes.isEmpty())
        Verkehrsprotokoll::v24Gesendet(bytes);
    schreibeOhneProtokoll(bytes);
}

bool SerielleSchnittstelle::handshake() const
{
    return m_port.flowControl() == QSerialPort::HardwareControl;
}

void SerielleSchnittstelle::schreibeOhneProtokoll(const QByteArray &bytes)
{
    if (!istOffen() || bytes.isEmpty())
        return;
    m_port.write(bytes);
    const bool paritaet = m_port.parity() != QSerialPort::NoParity;
    const double stopp = m_port.stopBits() == QSerialPort::OneStop ? 1 : m_port.stopBits() == QSerialPort::TwoStop ? 2 : 1.5;
    m_leitung.schreibe(bytes.size(), zeichenMs(m_port.baudRate(), int(m_port.dataBits()), paritaet, stopp),
                       double(m_seitOeffnung.nsecsElapsed()) / 1e6);
    // Hand the bytes to the driver now, without blocking, so a stop goes out the
    // moment it is sent and not only at the next round of events.
    m_port.flush();
}

QStringList SerielleSchnittstelle::freiePorts()
{
    const int gemerkt = m_nummer;
    schliesse();
    QStringList frei;
    for (int n = 1; n <= 16; ++n) {
        m_nummer = n;
        if (!oeffne()) {
            schliesse();
            frei << QString::number(n);
        }
    }
    m_nummer = gemerkt;
    oeffne(); // a port that cannot be opened again is not reported here
    return frei;
}

Anwendung wendeParameterAn(SerielleSchnittstelle &v24, const QString &portText, const QString &baud,
                           const QString &parity, const QString &daten, const QString &stop)
{
    Anwendung a;
    if (v24.istOffen())
        v24.schliesse();
    v24.setzePortNummer(int(std::clamp<qint64>(leseGanzzahl(portText), INT_MIN, INT_MAX)));
    if (!v24.istOffen()) {
        a.fehler = v24.oeffne();
        if (a.fehler)
            return a;
    }
    a.fehler = v24.setzeEinstellungen(baud + u',' + parity + u',' + daten + u',' + stop);
    if (a.fehler)
        return a;
    a.meldungTitel = QCoreApplication::translate("trabolin", " Schnittstellenparameter setzen...            ");
    // The message breaks its line twice before the settings. A message box breaks lines
    // at "\n" (a lone "\r" is not a line break there), so the two breaks are "\n\n".
    a.meldungText = QCoreApplication::translate("trabolin", "Die serielle Schnittstelle %1 wurde mit folgenden "
                                                            "Parametern initialisiert:        \n\n%2")
                        .arg(QString::number(v24.portNummer()), v24.einstellungen().toUpper());
    return a;
}

} // namespace trabolin

#include "stations/lenz/LenzTreiber.h"

#include "program/Verkehrsprotokoll.h"
#include "program/Zahlen.h"

namespace trabolin {

namespace {

constexpr quint8 kopfLok = 0xE4;        // locomotive instruction, four data bytes
constexpr quint8 kennungFunktion = 0x20; // function group 1: F0 to F4
constexpr quint8 kopfBetrieb = 0x21;    // track power: 0x80 off, 0x81 on

// Speed 0 in the direction of the unit: 0x80 forwards ("M", "S"), else 0x00.
quint8 haltebyte(const QString &einheit) { return istVorwaerts(einheit) ? 0x80 : 0x00; }

qint64 alsZahl(const QString &text) { return leseGanzzahl(text, Leerzeichen::ueberall); }

} // namespace

std::optional<std::pair<quint8, quint8>> lenzAdressbytes(qint64 adresse)
{
    if (adresse < 1 || adresse > 16383)
        return std::nullopt;
    if (adresse < 100)
        return std::pair{quint8(0x00), quint8(adresse)};
    const qint64 lang = adresse + 0xC000;
    return std::pair{quint8(lang >> 8), quint8(lang & 0xFF)};
}

quint8 lenzFahrbyte(qint64 fahrstufe, const QString &einheit)
{
    qint64 v = qMax<qint64>(fahrstufe, 0);
    if (v > 0)
        ++v;
    v = qMin<qint64>(v, 127);
    return quint8(v + (istVorwaerts(einheit) ? 0x80 : 0));
}

quint8 lenzFunktionsbyte(bool fu, bool f1, bool f2, bool f3, bool f4)
{
    return quint8((fu << 4) | (f4 << 3) | (f3 << 2) | (f2 << 1) | int(f1));
}

void LenzAusgabe::schreibe(const QByteArray &bytes)
{
    schreibe(bytes, m_usb);
}

void LenzAusgabe::schreibe(const QByteArray &bytes, bool usb)
{
    m_v24.schreibe(usb ? mitUsbPrefix(bytes) : bytes);
}

LenzTreiber::LenzTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder &melder)
    : LenzTreiber(lauf, v24, lesart, std::make_shared<LenzHoerer>(melder))
{
}

LenzTreiber::LenzTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, std::shared_ptr<LenzHoerer> hoerer)
    : DccTreiber(lauf, lesart), m_ausgabe(v24), m_hoerer(std::move(hoerer))
{
}

Lok LenzTreiber::nimmLok(const QString &text, qint16 nummer) const
{
    Lok lok{text, nummer};
    lok.fahrstufen = m_fahrstufenIndex;
    lok.usb = m_ausgabe.usbInterface();
    return lok;
}

quint8 LenzTreiber::modusByte(int index)
{
    // "14", "27", "28", "128"; with no entry chosen the 14 steps that the port
    // check selects, rather than a mode byte the command station does not know.
    return quint8(0x10 + ((index >= 0 && index <= 3) ? index : 0));
}

void LenzTreiber::sendeLenzBefehl()
{
    if (m_lauf.beendet()) {
        // The window closes: the stop has gone out and nothing may follow it.
        m_lenzBefehl.leeren();
        return;
    }
    if (m_lenzBefehl.istLeer())
        return;
    m_ausgabe.schreibe(xpressNetBefehl(m_lenzBefehl.rahmen()));
    m_lenzBefehl.leeren();
}

void LenzTreiber::sendeLokbefehl(Wirkung wirkung)
{
    if (m_lauf.beendet()) {
        m_lenzBefehl.leeren();
        return;
    }
    if (m_lenzBefehl.istLeer())
        return;
    if (m_lauf.durchlassen(*this, m_lok, wirkung))
        m_ausgabe.schreibe(xpressNetBefehl(m_lenzBefehl.rahmen()), m_lok.usb);
    m_lenzBefehl.leeren();
}

bool LenzTreiber::ermittleLenzLokadresse()
{
    const auto bytes = lenzAdressbytes(alsZahl(m_lok.text));
    if (!bytes)
        return false;
    m_lenzBefehl.setze(3, bytes->first);
    m_lenzBefehl.setze(4, bytes->second);
    return true;
}

bool LenzTreiber::bereiteFahrrahmenVor()
{
    m_lenzBefehl.leeren();
    if (!ermittleLenzLokadresse())
        return false; // an address without coding: the buffer stays empty, nothing goes out
    m_lenzBefehl.setze(1, kopfLok);
    m_lenzBefehl.setze(2, modusByte(m_lok.fahrstufen));
    return true;
}

void LenzTreiber::sendeFahrstufe(quint8 fahrbyte)
{
    if (bereiteFahrrahmenVor()) {
        m_lenzBefehl.setze(5, fahrbyte);
        if (!m_lauf.beendet())
            m_vorwaerts = fahrbyte & 0x80;
    }
    sendeLokbefehl((fahrbyte & 0x7F) ? Wirkung::faehrt : Wirkung::haelt);
}

void LenzTreiber::bereiteFunktionsrahmenVor(const Programmzeile &z)
{
    m_lenzBefehl.leeren();
    if (!ermittleLenzLokadresse())
        return;
    const quint8 byte = lenzFunktionsbyte(z.licht, z.f[0], z.f[1], z.f[2], z.f[3]);
    m_lenzBefehl.setze(5, byte);
    m_lenzBefehl.setze(1, kopfLok);
    m_lenzBefehl.setze(2, kennungFunktion);
    m_wirkung = byte ? Wirkung::stellt : Wirkung::ruhig;
}

QCoro::Task<> LenzTreiber::sendeFunktionen(const Programmzeile &zeile)
{
    // The function frame is pending during the pause: a stop in that time makes the
    // wait send it at once, unless it switches a function on, which the stop latch
    // holds back.
    bereiteFunktionsrahmenVor(zeile);
    co_await m_lauf.subWarten(m_lesart.pauseMs);
    sendeLokbefehl(m_wirkung);
}

void LenzTreiber::stoppNachWarten() { sendeLokbefehl(m_wirkung); }

void LenzTreiber::empfange(const QByteArray &bytes)
{
    Verkehrsprotokoll::v24Empfangen(bytes);
    m_hoerer->nimm(bytes);
}

void LenzTreiber::power(int index)
{
    m_lenzBefehl.leeren();
    m_lenzBefehl.setze(1, kopfBetrieb);
    m_lenzBefehl.setze(2, quint8(0x80 + index));
    sendeLenzBefehl();
}

void LenzTreiber::schnittstelleGeoeffnet()
{
    // Past the slot buffer: nothing may be pending there when the port has just opened.
    m_ausgabe.schreibe(xpressNetBefehl(QByteArray("\x21\x24", 2)));
}

void LenzTreiber::beobachteKontakt(int nummer)
{
    if (m_lauf.beendet())
        return;
    const QList<QByteArray> fragen = lenzRueckmeldefragen(nummer);
    if (!fragen.isEmpty())
        m_hoerer->gefragt(nummer);
    for (const QByteArray &frage : fragen)
        m_ausgabe.schreibe(frage, m_lok.usb);
}

void LenzTreiber::schreibeHalt(const Lok &lok, quint8 richtung)
{
    const auto adresse = lenzAdressbytes(alsZahl(lok.text));
    if (!adresse)
        return;
    m_lauf.durchlassen(*this, lok, Wirkung::haelt);
    const char rahmen[] = {char(kopfLok), char(modusByte(lok.fahrstufen)), char(adresse->first),
                           char(adresse->second), char(richtung)};
    m_ausgabe.schreibe(xpressNetBefehl(QByteArray(rahmen, 5)), lok.usb);
}

void LenzTreiber::stoppeLok(const Lok &lok)
{
    // Written at once and past the buffer: a frame pending there is dropped.
    m_lenzBefehl.leeren();
    schreibeHalt(lok, 0x00);
}

void LenzTreiber::halteDurchAnlage(const Lok &lok)
{
    if (!m_lauf.beendet())
        schreibeHalt(lok, m_vorwaerts ? 0x80 : 0x00);
}

// ---------------------------------------------------------------- run and single line

QCoro::Task<bool> LenzTreiber::sendeFahrt(const Programmzeile &z, bool einzeln)
{
    sendeFahrstufe(lenzFahrbyte(alsInt16(z.fahrstufe), z.einheit));
    co_await pausiere(pausen(einzeln) - 1);
    co_await sendeFunktionen(z);
    co_return true;
}

bool LenzTreiber::sendePassende(const QString &einheit)
{
    // At an empty Dauer and also after a full table.
    sendeFahrstufe(haltebyte(einheit));
    return true;
}

bool LenzTreiber::sendeHalt()
{
    sendeFahrstufe(0x00);
    return true;
}

} // namespace trabolin

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
    m_v24.schreibe(m_usb ? mitUsbPrefix(bytes) : bytes);
}

LenzTreiber::LenzTreiber(Laufkontext &lauf, Ausgabe &v24, const Lesart &lesart, Gleismelder &melder)
    : DccTreiber(lauf, lesart), m_ausgabe(v24), m_hoerer(melder)
{
}

quint8 LenzTreiber::modusByte() const
{
    // "14", "27", "28", "128"; with no entry chosen the 14 steps that the port
    // check selects, rather than a mode byte the command station does not know.
    const int index = m_fahrstufenIndex;
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
    const QByteArray rahmen = m_lenzBefehl.rahmen();
    m_ausgabe.schreibe(xpressNetBefehl(rahmen));
    m_lenzBefehl.leeren();
    // The window processes its events once per slot, but only after the write: a
    // handler that runs now cannot cut into this frame.
    for (qsizetype i = 0; i < rahmen.size(); ++i)
        m_lauf.verarbeiteEreignisse();
}

bool LenzTreiber::ermittleLenzLokadresse()
{
    const auto bytes = lenzAdressbytes(alsZahl(m_lauf.adresseFeld()));
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
    m_lenzBefehl.setze(2, modusByte());
    return true;
}

void LenzTreiber::sendeFahrstufe(quint8 fahrbyte)
{
    if (bereiteFahrrahmenVor()) {
        m_lenzBefehl.setze(5, fahrbyte);
        if (!m_lauf.beendet())
            m_vorwaerts = fahrbyte & 0x80;
    }
    sendeLenzBefehl();
}

void LenzTreiber::bereiteFunktionsrahmenVor(const Programmzeile &z)
{
    m_lenzBefehl.leeren();
    if (!ermittleLenzLokadresse())
        return;
    m_lenzBefehl.setze(5, lenzFunktionsbyte(z.licht, z.f[0], z.f[1], z.f[2], z.f[3]));
    m_lenzBefehl.setze(1, kopfLok);
    m_lenzBefehl.setze(2, kennungFunktion);
}

void LenzTreiber::sendeFunktionen(const Programmzeile &zeile)
{
    // The function frame is pending during the pause: a stop in that time makes the
    // wait send it at once.
    bereiteFunktionsrahmenVor(zeile);
    m_lauf.subWarten(m_lesart.pauseMs);
    sendeLenzBefehl();
}

void LenzTreiber::stoppNachWarten() { sendeLenzBefehl(); }

void LenzTreiber::empfange(const QByteArray &bytes)
{
    Verkehrsprotokoll::v24Empfangen(bytes);
    m_hoerer.nimm(bytes);
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

void LenzTreiber::stoppeLok()
{
    // Written at once and past the buffer: a frame pending there is dropped.
    m_lenzBefehl.leeren();
    const auto adresse = lenzAdressbytes(alsZahl(m_lauf.adresseFeld()));
    if (!adresse)
        return;
    const char rahmen[] = {char(kopfLok), char(modusByte()), char(adresse->first),
                           char(adresse->second), 0};
    m_ausgabe.schreibe(xpressNetBefehl(QByteArray(rahmen, 5)));
}

void LenzTreiber::halteDurchAnlage()
{
    if (m_lauf.beendet())
        return;
    const auto adresse = lenzAdressbytes(alsZahl(m_lauf.adresseFeld()));
    if (!adresse)
        return;
    const char rahmen[] = {char(kopfLok), char(modusByte()), char(adresse->first),
                           char(adresse->second), char(m_vorwaerts ? 0x80 : 0x00)};
    m_ausgabe.schreibe(xpressNetBefehl(QByteArray(rahmen, 5)));
}

// ---------------------------------------------------------------- run and single line

bool LenzTreiber::sendeFahrt(const Programmzeile &z, bool einzeln)
{
    sendeFahrstufe(lenzFahrbyte(alsInt16(z.fahrstufe), z.einheit));
    pausiere(pausen(einzeln) - 1);
    sendeFunktionen(z);
    return true;
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

#pragma once
// The datagrams of the Z21 LAN protocol as Trabolin sends them, and the reading of
// what a Z21 sends back. A Z21 packet is DataLen (2 bytes) + Header (2 bytes) + data,
// both numbers little-endian, DataLen counting the whole packet. The XpressNet
// commands travel behind the header 0x0040 with their own check byte at the end.
#include "program/Gleiszustand.h"
#include "stations/Kontaktmeldung.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <optional>

namespace trabolin {

// The headers Trabolin uses.
enum Z21Kopf : quint16 {
    z21KopfSeriennummer = 0x0010,
    z21KopfAbmelden = 0x0030,
    z21KopfXBus = 0x0040,
    z21KopfBroadcastflags = 0x0050,
    z21KopfRmBusDaten = 0x0080,   // LAN_RMBUS_DATACHANGED
    z21KopfRmBusAbfrage = 0x0081, // LAN_RMBUS_GETDATA
    z21KopfCanMelder = 0x00C4,    // LAN_CAN_DETECTOR
};

// The broadcast flags: the general messages (track power, status), the R-Bus feedback
// modules' changes and the CAN occupancy detectors' changes (firmware 1.30 on).
constexpr quint32 z21FlagAllgemein = 0x00000001;
constexpr quint32 z21FlagRmBus = 0x00000002;
constexpr quint32 z21FlagCanMelder = 0x00080000;

// One packet: header and the data after it (for 0x0040 the XpressNet bytes with
// their check byte).
struct Z21Paket {
    quint16 kopf = 0;
    QByteArray daten;
    bool operator==(const Z21Paket &) const = default;
};

// DataLen + header + data.
QByteArray z21Datensatz(quint16 kopf, const QByteArray &daten = {});
// An XpressNet command behind the header 0x0040, with its check byte (the
// exclusive-or of the XpressNet bytes) appended.
QByteArray z21XBefehl(const QByteArray &xBytes);

// LAN_GET_SERIAL_NUMBER: 04 00 10 00.
QByteArray z21SeriennummerAnfrage();
// LAN_LOGOFF: 04 00 30 00.
QByteArray z21Abmelden();
// LAN_SET_BROADCASTFLAGS: 08 00 50 00 and the flags, little-endian.
QByteArray z21Broadcastflags(quint32 flags);
// LAN_RMBUS_GETDATA: 05 00 81 00 GG, for group 0 (modules 1 to 10) or 1 (11 to 20).
QByteArray z21RmBusAbfrage(quint8 gruppe);
// LAN_X_GET_STATUS: 07 00 40 00 21 24 05.
QByteArray z21StatusAnfrage();
// Track power: "Power o&n" 07 00 40 00 21 81 A0, "Power of&f" 07 00 40 00 21 80 A1.
QByteArray z21Gleisspannung(bool an);

// The two address bytes of the locomotive commands: 1 to 127 as 00 A, 128 to 9999
// as 0xC0 | A >> 8, A & 0xFF. Any other address has no coding.
std::optional<std::pair<quint8, quint8>> z21Adressbytes(qint64 adresse);

// The speed-step byte 0x10 | S of LAN_X_SET_LOCO_DRIVE: S = 0, 2, 3 for 14, 28 and
// 128 steps. The Z21 knows no 27-step mode: nothing for 27 or any other number.
std::optional<quint8> z21Stufenkennung(int fahrstufen);

// The speed byte RV of LAN_X_SET_LOCO_DRIVE for `fahrstufe` in the mode of `stufen`
// steps, as the Z21 reads it (the DCC coding that XpressNet carries):
// - 14 steps: R | (s + 1) for s in 1 to 14; s above 14 drives at 14;
// - 28 steps: with v = s + 3 for s in 1 to 28, R | (v >> 1) | ((v & 1) << 4): the
//   lowest bit of the five travels in bit 4 (step 1 0x02, step 2 0x12, step 28 0x1F);
//   s above 28 drives at 28;
// - 128 steps: R | (s + 1) for s in 1 to 126; s above 126 drives at 126.
// 0 and below stand (R alone). R is 0x80 forwards, 0x00 backwards.
quint8 z21Fahrbyte(int stufen, qint64 fahrstufe, bool vorwaerts);
// The highest Fahrstufe of the mode: 14, 28 or 126.
int z21HoechsteFahrstufe(int stufen);

// LAN_X_SET_LOCO_DRIVE: 0A 00 40 00 E4 1S AH AL RV XOR, RV being the speed byte with
// its direction bit 0x80 (forwards). Nothing without address coding or step mode.
std::optional<QByteArray> z21Fahrbefehl(qint64 adresse, int fahrstufen, quint8 fahrbyte);
// LAN_X_SET_LOCO_FUNCTION: 0A 00 40 00 E4 F8 AH AL TTNNNNNN XOR for function
// `funktion` (0 is the light), TT = 01 on, 00 off.
std::optional<QByteArray> z21Funktionsbefehl(qint64 adresse, int funktion, bool an);

// Splits a received datagram into its packets. A packet whose DataLen is below 4
// or runs past the end of the datagram ends the reading (what follows cannot be
// found again); an XpressNet packet whose check byte does not fit is skipped.
QList<Z21Paket> z21Pakete(const QByteArray &datagramm);

// The serial number from LAN_GET_SERIAL_NUMBER's answer 08 00 10 00 + 4 bytes.
std::optional<quint32> z21Seriennummer(const Z21Paket &paket);
// The central state byte of LAN_X_STATUS_CHANGED (62 22 state).
std::optional<quint8> z21Zentralenstatus(const Z21Paket &paket);

// One feedback contact as the Z21 numbers it, from 1.
// LAN_RMBUS_DATACHANGED (80 00 GG s0 ... s9): the group and every one of its 80 contacts,
// one byte per module, bit 0 the module's input 1. Contact n lies in group (n - 1) / 80,
// byte ((n - 1) / 8) mod 10, bit (n - 1) mod 8. Nothing for any other packet.
struct Z21Rueckmeldung {
    int gruppe = 0;
    QList<Kontaktmeldung> kontakte;
};
std::optional<Z21Rueckmeldung> z21RmBusKontakte(const Z21Paket &paket);
// LAN_CAN_DETECTOR (C4 00 NId Addr Port Type Value1 Value2, the words little endian) of
// type 0x01, the occupancy: contact (Addr - 1) * 8 + Port + 1; Value1 0x0000 and 0x0100
// free, 0x1000, 0x1100 and the overloads 0x1201 to 0x1203 occupied. Nothing for another
// type or packet.
std::optional<Kontaktmeldung> z21CanKontakt(const Z21Paket &paket);

// The layout's state a packet reports: the broadcasts track power off (61 00), on
// (61 01), programming mode (61 02), short circuit (61 08) and emergency stop (81 00),
// and the central state of LAN_X_STATUS_CHANGED (0x04 short circuit, 0x02 track power
// off, 0x01 emergency stop, 0x20 programming mode, none of them: on). Nothing for any
// other packet.
std::optional<Gleiszustand> z21Gleiszustand(const Z21Paket &paket);

} // namespace trabolin

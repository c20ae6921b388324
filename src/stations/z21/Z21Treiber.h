#pragma once
// The driver for the Roco/Fleischmann Z21: a line goes out as the Lenz drives it
// (speed and direction, a pause, F0 to F4), as Z21 LAN datagrams over UDP. Two things
// differ on purpose. Every speed 0 (the halt after a stop, the end of a pass, the
// stop on closing) keeps the direction of the last line driven at that address: on
// DCC a change of direction also switches the locomotive's lights. And the Z21 has no
// 27-step mode: with "27" chosen nothing goes out and the user is told why.
#include "program/DccTreiber.h"
#include "program/Netzlink.h"

#include <QCoreApplication>
#include <optional>

namespace trabolin {

class Z21Treiber : public DccTreiber {
    Q_DECLARE_TR_FUNCTIONS(trabolin::Z21Treiber)
public:
    Z21Treiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart);

    // The address with the step mode chosen at the pass's start.
    Lok nimmLok(const QString &text, qint16 nummer) const override;
    void power(int index) override;
    void stoppeLok(const Lok &lok) override;
    // "Fahrstufen": the index of "14", "27", "28", "128"; -1 for no entry (14 steps).
    void setzeFahrstufen(int index) override { m_fahrstufenIndex = index; }
    Antwortwertung bewerteAntwort(const QString &antwort) const override;
    // The link reads the contacts from the R-Bus and CAN detectors' reports, which it reports by itself.
    bool liestKontakte() const override { return true; }
    // The top of the mode chosen in "Fahrstufen": 14, 28 or 126.
    int hoechsteFahrstufe() const override;

    // The steps of the index chosen in "Fahrstufen": 14, 28 or 128; nothing for 27.
    static std::optional<int> stufen(int fahrstufenIndex);

protected:
    // The speed-step mode is fixed for a pass and for a single line; a single line
    // in the 27-step mode sends nothing and tells the user why.
    void beginnePass(bool neuerLauf) override;
    bool beginneZeile() override;
    // Speed and direction, the pauses, F0 to F4.
    QCoro::Task<bool> sendeFahrt(const Programmzeile &zeile, bool einzeln) override;
    // Speed 0 in the direction of the last line driven.
    bool sendePassende(const QString &einheit) override;
    bool sendeHalt() override;

private:
    // Sends one datagram for the pass's locomotive through the stop latch; false
    // when it could not go out (closing, no link).
    bool sende(const QByteArray &datagramm, Wirkung wirkung);
    // False, and the user told once, when the mode is 27 steps.
    bool modusGeht();
    // The address of `lok`.
    static qint64 adresse(const Lok &lok);
    // Speed and direction for that address; an address outside 1 to 9999 sends
    // nothing and counts as sent.
    bool sendeFahrstufe(quint8 fahrbyte);
    bool sendeFunktionen(const Programmzeile &zeile);
    // The speed byte of a line in the mode of the running pass or single line.
    quint8 fahrbyte(const Programmzeile &zeile) const;
    // Speed 0 for `lok` in the direction last driven at its address.
    std::optional<QByteArray> haltebefehl(const Lok &lok) const;

    Netzlink &m_link;
    int m_fahrstufenIndex = 0;
    std::optional<int> m_stufen = 14; // the mode of the running pass or single line
    qint64 m_richtungFuer = 0;        // the address the remembered direction belongs to
    bool m_vorwaerts = true;
};

} // namespace trabolin

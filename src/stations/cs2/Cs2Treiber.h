#pragma once
// The driver for a Märklin Central Station 2 or 3: a line goes out as CAN frames,
// [direction], speed, 100 ms, F0 to F4, then its time is waited out; the end of a pass
// and every stop are speed 0. The station keeps each locomotive's direction and sets
// its speed to 0 when the direction changes, so the direction goes out only on the
// first line of a run, when it changes and when another controller (the station's
// wheel, a phone) has turned the locomotive the other way. A locomotive is addressed by its UID, which
// depends on the protocol chosen ("MM2", "DCC", "mfx"); an address outside that
// protocol's range sends nothing for the locomotive and tells the user why.
#include "program/DccTreiber.h"
#include "stations/cs2/Cs2Link.h"
#include "stations/cs2/Cs2Rahmen.h"

#include <QCoreApplication>
#include <optional>

namespace trabolin {

class Cs2Treiber : public DccTreiber {
    Q_DECLARE_TR_FUNCTIONS(trabolin::Cs2Treiber)
public:
    Cs2Treiber(Laufkontext &lauf, Cs2Link &link, const Lesart &lesart);

    // "Power of&f": System Stop, "Power o&n": System Go.
    // The address with the protocol and the step mode chosen at the pass's start.
    Lok nimmLok(const QString &text, qint16 nummer) const override;
    void power(int index) override;
    void stoppeLok(const Lok &lok) override;
    // "Fahrstufen": the index of "14", "27", "28", "128"; -1 for no entry (14 steps).
    void setzeFahrstufen(int index) override { m_fahrstufenIndex = index; }
    Antwortwertung bewerteAntwort(const QString &antwort) const override;
    // The link reads the contacts from the S88 events of the station, which it reports by itself.
    bool liestKontakte() const override { return true; }

    // The choice "Protokoll".
    void setzeProtokoll(Cs2Protokoll protokoll) { m_protokoll = protokoll; }
    Cs2Protokoll protokoll() const { return m_protokoll; }

    // The text that tells the user an address lies outside the protocol's range.
    static QString bereichsHinweis(Cs2Protokoll protokoll);

protected:
    // A new run forgets the direction the station was told.
    void beginnePass(bool neuerLauf) override;
    // The locomotive of a single line is fixed at its start; an address outside the
    // protocol's range sends nothing and tells the user why.
    bool beginneZeile() override;
    // [direction], speed, the pauses, F0 to F4. A single line always tells the
    // direction: nothing says what the station holds.
    QCoro::Task<bool> sendeFahrt(const Programmzeile &zeile, bool einzeln) override;
    bool sendePassende(const QString &einheit) override;
    bool sendeHalt() override;
    // Speed 0 for the locomotive the single line began with.
    bool sendeZeilenende(const Programmzeile &zeile) override;

private:
    // Sends one frame; false when it could not go out (closing, no link).
    bool sende(const QByteArray &rahmen, Wirkung wirkung);
    // The UID of the address txtAdresse holds now; nothing, after telling the user
    // once, when it lies outside the protocol's range.
    std::optional<quint32> lokUid();
    // The UID without telling anybody.
    static std::optional<quint32> lokUidStill(const Lok &lok);
    // Whether the direction goes out before the line's speed: on the first line of a
    // run and of a single line, when the table's direction changes, and when the
    // station reports the locomotive the other way round.
    bool richtungVorFahrt(quint32 uid, bool vorwaerts, bool richtungImmer) const;
    // [direction] and speed of a line.
    bool sendeRichtungUndFahrt(quint32 uid, const Programmzeile &zeile, bool richtungImmer);
    bool sendeFunktionen(quint32 uid, const Programmzeile &zeile);
    // Speed 0 for the locomotive.
    bool sendeHaltFuer(quint32 uid);

    Cs2Link &m_link;
    int m_fahrstufenIndex = 0;
    Cs2Protokoll m_protokoll = Cs2Protokoll::mm2; // the first item of "Protokoll"
    // The direction the station was last told for m_richtungFuer; none at the start of a run.
    std::optional<bool> m_vorwaerts;
    quint32 m_richtungFuer = 0;
    std::optional<quint32> m_zeilenUid; // the locomotive of the single line going on
};

} // namespace trabolin

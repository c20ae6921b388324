#pragma once
// Reading what the LZ100 tells the PC. The LI100, the LI101F and the Lenz USB
// interface pass the command station's broadcasts on to the port: XpressNet frames
// whose header's low four bits give the number of data bytes, closed by the check
// byte; through the USB interface each frame comes after FF FD or FF FE. What a
// whole frame reports is read as on every XpressNet station (xpressNetGleiszustand).
#include "program/Gleiszustand.h"
#include "stations/Kontaktmeldung.h"

#include <QByteArray>
#include <QList>
#include <optional>
#include <utility>

namespace trabolin {

// Cuts the bytes arriving from the port into frames, in whatever pieces they come.
// A frame whose check byte does not fit is no frame: its first byte is dropped and
// the search goes on from the next one, so the reader finds its way back into the
// stream after garbage. At most one incomplete frame is held (17 bytes), so a flood
// costs no memory.
class LenzMeldungsleser {
public:
    // Takes the next bytes and returns the states their whole frames report, in
    // order, a run of the same state once.
    QList<Gleiszustand> lies(const QByteArray &bytes);

    // True while the start of a frame waits for its remaining bytes.
    bool wartet() const { return !m_rest.isEmpty(); }

    // The line has gone quiet while a frame waited: the interface sends a frame in
    // one go, so the waiting start was garbage. The bytes held are searched once
    // more without it, a frame after it is found, and nothing is held afterwards.
    QList<Gleiszustand> schliesseAb();

    // The contacts that the feedback frames found by lies() and schliesseAb() since
    // the last call reported, four for each feedback pair (xpressNetRueckmeldung).
    QList<Kontaktmeldung> nimmKontakte() { return std::exchange(m_kontakte, {}); }

private:
    // Searches `m_rest` from the front; with `bisZumEnde` an incomplete frame at the
    // front is dropped byte by byte instead of waited for.
    QList<Gleiszustand> suche(bool bisZumEnde);

    QByteArray m_rest;
    QList<Kontaktmeldung> m_kontakte;
};

} // namespace trabolin

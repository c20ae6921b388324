#pragma once
// The driver for the ESU ECoS: the run's pass, the single line, the power buttons
// and the stop on closing, as text commands over the TCP link.
#include "program/Ablauf.h"
#include "program/Programmzeile.h"
#include "program/Zentralentreiber.h"
#include "stations/ecos/EcosLink.h"

#include <functional>

namespace trabolin {

// Only "X" switches a function on; direction, functions and speed go out 100 ms apart.
inline constexpr Lesart ecosLesart{Zeilenregeln::dcc, Schaltregel::nurX, Schaltregel::nurX, 200, 200, 0};

class EcosTreiber : public Zentralentreiber {
public:
    EcosTreiber(Ablauf &ablauf, EcosLink &link);

    bool fahreProgramm() override;
    bool sendeZeile() override;
    // Nothing: the pass sends its own stop at the next line.
    void stoppNachWarten() override {}
    void power(int index) override;
    void stoppBeimSchliessen() override;

    // The ECoS pass: the whole run from the current line, pass after pass.
    bool Fahrbefehl_Ecos();

    // "Kontrolle übernehmen": takes txtAdresse as the ECoS ID and asks for control
    // twice, 200 ms apart. Returns false when the link was not connected.
    bool uebernehmeKontrolle();

    // The ECoS ID text: txtAdresse as read by the last pass, single line or control request.
    QString ecosId() const { return m_ecosId; }

    // Called when a command could not go out because the link is not connected;
    // the handler then ends. The window tells the user once, after the run.
    std::function<void()> nichtVerbunden;

private:
    // Sends one command; false when it could not go out.
    bool sende(const QString &text);
    // The direction, the functions text and the speed of a line, 100 ms apart;
    // false as soon as one of them could not go out.
    bool sendeFahrt(const QString &einheit, const QString &funktionen, const QString &fahrstufe);

    Ablauf &m_ablauf;
    EcosLink &m_link;
    QString m_ecosId;
};

} // namespace trabolin

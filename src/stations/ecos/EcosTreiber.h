#pragma once
// The driver for the ESU ECoS: the lines of a pass, the single line, the power
// buttons, the locomotive list, the control request and the stop, as text commands
// over the TCP link.
#include "program/DccTreiber.h"
#include "program/Netzlink.h"
#include "stations/ecos/EcosKontrollen.h"

#include <QCoreApplication>
#include <memory>

namespace trabolin {

class EcosTreiber : public DccTreiber {
    Q_DECLARE_TR_FUNCTIONS(trabolin::EcosTreiber)
public:
    EcosTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart);
    // The same with the controls the link's replies grant, shared with the drivers of
    // the other programs: a further program takes control of its ID before it drives.
    EcosTreiber(Laufkontext &lauf, Netzlink &link, const Lesart &lesart, std::shared_ptr<EcosKontrollen> kontrollen);

    void power(int index) override;
    void stoppeLok(const Lok &lok) override;

    // "Lokliste einlesen": the list of the locomotives, when the link is up.
    void leseLokliste() override;
    // "Kontrolle übernehmen": asks for control of the ECoS ID `kennung` (txtAdresse)
    // twice, 200 ms apart. Returns false when the link was not connected. The ID a
    // pass drives is its own, taken at its start.
    QCoro::Task<bool> uebernehmeKontrolle(QString kennung) override;
    Antwortwertung bewerteAntwort(const QString &antwort) const override;
    // An ID not under control yet is asked for ("request(ID,control)") and the run
    // waits for the reply, at most `kontrollfristMs`; refused or unanswered, the user
    // is told and nothing is driven.
    QCoro::Task<bool> sichereLok(Lok lok) override;
    static constexpr int kontrollfristMs = 2000;
    // The link reads the contacts from the s88 modules' events, which it reports by itself.
    bool liestKontakte() const override { return true; }

    // The ECoS ID text: txtAdresse as read by the last pass, single line or control request.
    QString ecosId() const { return m_ecosId; }

protected:
    // The ID is fixed for a pass and for a single line.
    void beginnePass(bool neuerLauf) override;
    bool beginneZeile() override;
    // Direction, a pause, functions, a pause, speed. A single line sends its functions
    // in the form with blanks and first moves the cursor onto its own line, so that
    // the grid shows it.
    QCoro::Task<bool> sendeFahrt(const Programmzeile &zeile, bool einzeln) override;
    // "set(ID,speed[0])", for the end of a pass, for the halt after a stop and after a
    // single line; after a single line the running time is shown as well.
    bool sendePassende(const QString &einheit) override;
    bool sendeHalt() override;
    bool sendeZeilenende(const Programmzeile &zeile) override;

private:
    // Sends one command text for the pass's locomotive as its bytes, through the
    // stop latch with what it does; false when it could not go out.
    bool sende(const QString &text, Wirkung wirkung);
    // The direction, the functions text (`funktionAn`: it switches one on) and the
    // speed of a line, a pause apart; false as soon as one of them could not go out.
    QCoro::Task<bool> sendeFahrt(QString einheit, QString funktionen, bool funktionAn, QString fahrstufe);

    Netzlink &m_link;
    QString m_ecosId;
    std::shared_ptr<EcosKontrollen> m_kontrollen; // none: every ID is taken by hand
};

} // namespace trabolin

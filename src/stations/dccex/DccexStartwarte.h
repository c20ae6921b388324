#pragma once
// The wait for a DCC-EX station after the port was opened or the link came up. An
// Arduino on USB restarts whenever its port is opened, and what it is sent in its first
// seconds is lost; so the station is asked "<s>" at once and again every second until
// it answers with its "<iDCC-EX ...>" line, for at most five seconds. Only then may a
// locomotive command go out. The waiting runs on timers: nothing blocks meanwhile.
#include <QObject>
#include <QTimer>

namespace trabolin {

class DccexVerbindung;
struct DccexAntwort;

class DccexStartwarte : public QObject {
    Q_OBJECT
public:
    static constexpr int hoechstensMs = 5000;
    static constexpr int wiederholungMs = 1000;

    explicit DccexStartwarte(DccexVerbindung &verbindung, int hoechstens = hoechstensMs,
                             int wiederholung = wiederholungMs, QObject *parent = nullptr);

    // Other times than five seconds and one (for the tests).
    void setzeZeiten(int hoechstens, int wiederholung)
    {
        m_frist.setInterval(hoechstens);
        m_wiederholung.setInterval(wiederholung);
    }

    // Starts (or starts over) the wait: forgets a half-received answer, sends "<s>".
    void beginne();
    // Ends a wait without a result (the port or link was closed).
    void brichAb();
    bool wartet() const { return m_frist.isActive(); }

signals:
    // The wait is over: the station answered, or it did not within the time.
    void fertig(bool beantwortet);

private:
    void antwort(const DccexAntwort &a);
    void ende(bool beantwortet);

    DccexVerbindung &m_verbindung;
    QTimer m_frist;
    QTimer m_wiederholung;
};

} // namespace trabolin

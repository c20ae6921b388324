#pragma once
// The link of a network station as the window's network fields and buttons use it:
// connect to the host and port the user typed, whether it is up, close it, and the
// replies and the loss of the link as they come. Each network station brings its own.
#include <QObject>
#include <QString>

namespace trabolin {

class Netzverbindung : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Connects and waits until the link is up or `wartezeitMs` has passed, processing
    // events meanwhile. Returns whether the link is up. A link whose handshake runs on
    // the main loop returns false at once instead: verbindungsergebnis() follows.
    virtual bool verbinde(const QString &host, quint16 port, int wartezeitMs = 3500) = 0;
    virtual bool verbunden() const = 0;
    // The window's connect: starts it and reports the outcome with
    // verbindungsergebnis(). By default verbinde() does the work and the outcome is
    // reported as it returns; a link whose handshake runs on the main loop returns at
    // once and reports when the station has answered or the wait is over.
    virtual void beginneVerbindung(const QString &host, quint16 port) { emit verbindungsergebnis(verbinde(host, port)); }
    // Closes the link after writing what is still pending.
    virtual void schliesse() = 0;

    // The port or the link has just been opened. A station that needs a moment before
    // it takes commands starts waiting for it and returns true; zentraleBereit()
    // follows. Others return false: they take commands at once.
    virtual bool warteAufZentrale() { return false; }

signals:
    // A whole reply (or what has come of it), with the number of bytes that were
    // left out of its middle because it outgrew what is kept.
    void antwort(const QString &text, qint64 ausgelassen);
    // The outcome of beginneVerbindung(): whether the link is up.
    void verbindungsergebnis(bool verbunden);
    // The link that was up is gone.
    void verloren();
    // The wait of warteAufZentrale() is over: the station answered, or not in time.
    void zentraleBereit(bool geantwortet);
};

} // namespace trabolin

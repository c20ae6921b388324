#include "stations/dccex/DccexVerbindung.h"

#include "program/TcpAufbau.h"
#include "stations/dccex/DccexGleise.h"
#include "stations/dccex/DccexProtokoll.h"
#include "serial/V24.h"

#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace trabolin {

DccexVerbindung::DccexVerbindung(SerielleSchnittstelle &v24, QObject *parent)
    : Netzverbindung(parent), m_v24(v24), m_socket(new QTcpSocket(this)), m_startwarte(*this)
{
    connect(&m_startwarte, &DccexStartwarte::fertig, this, [this](bool geantwortet) {
        if (!offen()) {
            m_zurueckgehalten.clear();
            return; // the port or the link went away meanwhile: nothing to enable
        }
        // What was held back during the wait goes out first: the stops it stands for.
        for (const QByteArray &befehl : std::exchange(m_zurueckgehalten, {}))
            schreibe(befehl);
        if (!geantwortet)
            zeige(tr("(die DCC-EX hat in %1 s nicht geantwortet: Schnittstelle, "
                     "Baudrate 115200, Stromversorgung prüfen)")
                      .arg(DccexStartwarte::hoechstensMs / 1000));
        else
            frageGleise();
        emit zentraleBereit(geantwortet);
    });
    connect(&m_v24, &SerielleSchnittstelle::empfangen, this, [this](const QByteArray &bytes) {
        if (!m_ueberNetzwerk)
            empfange(bytes);
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = m_socket->readAll();
        if (!bytes.isEmpty() && m_stille.isActive())
            m_stille.start(); // whatever the station sends shows that it lives
        if (m_ueberNetzwerk)
            empfange(bytes);
    });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        // Each command goes out at once, not gathered with the next one.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_warVerbunden = true;
        m_lebenszeichen.start();
        m_stille.start();
    });
    m_lebenszeichen.setInterval(lebenszeichenMs);
    connect(&m_lebenszeichen, &QTimer::timeout, this, &DccexVerbindung::frageLebenszeichen);
    m_stille.setSingleShot(true);
    m_stille.setInterval(stilleMs);
    connect(&m_stille, &QTimer::timeout, this, &DccexVerbindung::stilleAbgelaufen);
    auto weg = [this] { verliere(); };
    connect(&m_v24, &SerielleSchnittstelle::verloren, this, [this] {
        if (!m_ueberNetzwerk && m_melder)
            m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
    });
    connect(m_socket, &QTcpSocket::disconnected, this, weg);
    connect(m_socket, &QTcpSocket::errorOccurred, this, weg);
}

DccexVerbindung::~DccexVerbindung() = default;

void DccexVerbindung::setzeUeberNetzwerk(bool netzwerk)
{
    if (netzwerk != m_ueberNetzwerk) {
        m_zerleger.leere();
        if (m_stille.isActive())
            m_stille.start(); // the silence counts from when the link is taken into use
    }
    m_ueberNetzwerk = netzwerk;
}

bool DccexVerbindung::verbinde(const QString &host, quint16 port, int wartezeitMs)
{
    if (tcpVerbindet(*m_socket))
        return false; // a connect is under way already; this one changes nothing
    if (netzVerbunden() && m_socket->peerName() == host && m_socket->peerPort() == port) {
        QMetaObject::invokeMethod(this, [this] { emit verbindungsergebnis(netzVerbunden()); }, Qt::QueuedConnection);
        return true;
    }
    m_warVerbunden = false; // dropping the old link is no loss to report
    m_lebenszeichen.stop();
    m_stille.stop();
    m_socket->abort();
    m_zerleger.leere();

    verbindeTcp(*m_socket, host, port, wartezeitMs, [this](bool) {
        if (!netzVerbunden()) {
            m_warVerbunden = false;
            m_socket->abort();
        }
        emit verbindungsergebnis(netzVerbunden());
    });
    return false;
}

void DccexVerbindung::verliere()
{
    if (!m_warVerbunden || m_verliert)
        return;
    // Reported while the link still counts as up: the locomotive's stop is tried
    // first and goes out if the socket still carries it. Then the link is gone.
    m_verliert = true;
    m_lebenszeichen.stop();
    m_stille.stop();
    if (m_ueberNetzwerk && m_melder)
        m_melder->meldeGleiszustand(Gleiszustand::verbindungVerloren);
    m_warVerbunden = false;
    m_verliert = false;
    emit verloren();
}

void DccexVerbindung::frageLebenszeichen()
{
    // Asked only while the commands take the network; the answer itself is of no
    // interest, any byte from the station is.
    if (m_ueberNetzwerk && netzVerbunden())
        schreibe(dccexLebenszeichen());
}

void DccexVerbindung::stilleAbgelaufen()
{
    if (!m_ueberNetzwerk || !netzVerbunden()) {
        if (m_warVerbunden)
            m_stille.start(); // a link not in use is not judged
        return;
    }
    // The station hangs with its link open, or the network between is gone without
    // a word. The loss is reported first, while the socket still takes the
    // locomotive's stop; then the link is dropped, after what was written has gone.
    verliere();
    m_socket->flush();
    m_socket->abort();
}

bool DccexVerbindung::netzVerbunden() const
{
    return m_warVerbunden && m_socket->state() == QAbstractSocket::ConnectedState;
}

void DccexVerbindung::schliesse()
{
    if (tcpVerbindet(*m_socket))
        QMetaObject::invokeMethod(this, [this] { emit verbindungsergebnis(false); }, Qt::QueuedConnection);
    m_warVerbunden = false;
    m_lebenszeichen.stop();
    m_stille.stop();
    schliesseTcp(*m_socket);
}

bool DccexVerbindung::warteAufZentrale()
{
    m_startwarte.beginne();
    return true;
}

bool DccexVerbindung::offen() const
{
    return m_ueberNetzwerk ? netzVerbunden() : m_v24.istOffen();
}

bool DccexVerbindung::sende(const QByteArray &befehl)
{
    if (!offen())
        return false;
    schreibe(befehl);
    return true;
}

void DccexVerbindung::schreibe(const QByteArray &befehl)
{
    if (!offen() || befehl.isEmpty())
        return;
    merkeRichtung(befehl);
    // While the station boots, only the question whether it is up goes out; a command
    // for a locomotive or the track is kept as the stop it stands for, sent once the
    // wait is over.
    if (m_startwarte.wartet() && befehl != dccexStatusbefehl()) {
        halteZurueck(befehl);
        return;
    }
    dccexProtokollGesendet(QString::fromLatin1(befehl));
    if (m_ueberNetzwerk) {
        schreibeTcp(*m_socket, befehl);
    } else {
        m_v24.schreibeOhneProtokoll(befehl);
    }
}

namespace {

// "<t 3 40 1>\n" -> {"t", "3", "40", "1"}; "<0>\n" -> {"0"}.
QList<QByteArray> befehlsteile(const QByteArray &befehl)
{
    QByteArray innen = befehl.trimmed();
    if (innen.startsWith('<') && innen.endsWith('>'))
        innen = innen.mid(1, innen.size() - 2);
    return innen.simplified().split(' ');
}

} // namespace

void DccexVerbindung::merkeRichtung(const QByteArray &befehl)
{
    const QList<QByteArray> teile = befehlsteile(befehl);
    if (teile.size() == 4 && teile[0] == "t")
        m_richtung.insert(teile[1], teile[3]);
}

void DccexVerbindung::halteZurueck(const QByteArray &befehl)
{
    // "<t cab speed dir>" and "<F cab n on>": the locomotive is stopped, in the
    // direction last asked for (forwards when none was); "<0>": the track goes off.
    // Nothing else is sent after a stop, so a command that would drive adds nothing
    // more: no speed, no function, no power on.
    const QList<QByteArray> teile = befehlsteile(befehl);
    QByteArray stopp;
    if (teile.size() == 1 && teile[0] == "0") {
        stopp = dccexPowerbefehl(false);
    } else if (teile.size() == 4 && (teile[0] == "t" || teile[0] == "F")) {
        const QByteArray &adresse = teile[1];
        stopp = "<t " + adresse + " 0 " + m_richtung.value(adresse, QByteArrayLiteral("1")) + ">\n";
        // One stop per locomotive: a later direction replaces the earlier.
        m_zurueckgehalten.removeIf([&](const QByteArray &b) { return b.startsWith("<t " + adresse + ' '); });
    }
    if (!stopp.isEmpty() && !m_zurueckgehalten.contains(stopp))
        m_zurueckgehalten.append(stopp);
}

void DccexVerbindung::empfange(const QByteArray &bytes)
{
    for (const DccexAntwort &a : m_zerleger.fuettere(bytes)) {
        dccexProtokollEmpfangen(a.text);
        const QByteArray text = a.text.toLatin1();
        if (const auto z = m_gleise.lies(text); z && m_melder)
            m_melder->meldeGleiszustand(*z);
        if (const auto k = dccexKontakt(text); k && m_melder) {
            if (m_kontaktstaende)
                m_melder->meldeKontaktstand(k->nummer, k->belegt);
            else
                m_melder->meldeKontakt(k->nummer, k->belegt);
        }
        if (text.startsWith("<#") || text == "<X>")
            m_kontaktstaende = false; // past the answers to "<s>" and "<Q>"
        emit rahmen(a);
        // The answers to "<#>" come every few seconds and tell the user nothing, and a
        // busy layout reports its sensors many times a second (shown beside the track
        // state while a contact line waits): both are logged, not shown, so that no
        // redrawn reply field stands between a contact and the next line.
        if (!a.text.startsWith(QLatin1String("<#")) && !dccexKontakt(text))
            zeige(a.text);
    }
}

void DccexVerbindung::frageGleise()
{
    // Which output drives the main track, then the power of each: "<s>" is the
    // firmware's only question for it, answered with "<p...>" after its "<iDCC-EX ...>".
    schreibe(dccexGleisfrage());
    m_kontaktstaende = true;
    schreibe(dccexStatusbefehl());
    schreibe(dccexKontaktfrage());
    schreibe(dccexLebenszeichen());
}

void DccexVerbindung::zeige(const QString &zeile)
{
    m_letzte.append(zeile);
    if (m_letzte.size() > gezeigteAntworten)
        m_letzte.removeFirst();
    emit antwort(m_letzte.join(u'\n'), 0);
}

} // namespace trabolin

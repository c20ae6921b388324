#include "window/Netzfeld.h"

#include "program/Fahrbetrieb.h"
#include "program/Netzverbindung.h"
#include "program/Zahlen.h"
#include "stations/Zentralenregister.h"
#include "window/Antwortfeld.h"
#include "window/Fensterteile.h"
#include "window/Nachmeldungen.h"
#include "window/Sprache.h"
#include "window/Tippgrenze.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace trabolin {

namespace {

// " Ecos...": the title of the messages of a network station.
QString netzTitel(const trabolin::Zentrale &z)
{
    return u' ' + z.name + QStringLiteral("...");
}

// The port as the user typed it, blanks around it allowed: 1 to 65535, or 0 for
// anything else.
quint16 leseTcpPort(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    for (const QChar c : t)
        if (c < u'0' || c > u'9')
            return 0;
    bool ok = false;
    const uint port = t.toUInt(&ok);
    return (ok && port >= 1 && port <= 65535) ? quint16(port) : 0;
}

} // namespace

Netzfeld::Netzfeld(Fensterteile &teile, Fenster fenster, QObject *eltern)
    : QObject(eltern), m_teile(teile), m_fenster(std::move(fenster))
{
    const auto &stationen = zentralenregister();
    for (const auto &z : stationen) {
        // A station kept after line 56 starts on its default port, as a file without its lines gives it.
        m_netzadressen.emplace_back(QString(), z->netz && !z->netzInFestenZeilen()
                                                   ? QString::number(z->standardport) : QString());
        m_warVerbunden.push_back(false);
        m_fahrstufenJe.emplace_back();
    }
    verbindeLinks();
    // The fields show the start station's host and port, or those of the first network station.
    m_netzOption = stationen[startoption()]->netz ? startoption() : -1;
    for (int i = 0; m_netzOption < 0 && i < int(stationen.size()); ++i)
        if (stationen[i]->netz)
            m_netzOption = i;
    TCP = link(m_netzOption);
    beiSprache(this, [this] { zeigeTexte(); });

    connect(teile.txtIPAdresse, &QLineEdit::textChanged, this, [this](const QString &text) { EcosIPAdresse = text; });
    connect(teile.txtLocalPort, &QLineEdit::textChanged, this, [this](const QString &text) { EcosLocalPort = text; });
    connect(teile.btn15471, &QPushButton::clicked, this, [this] {
        if (m_netzOption >= 0)
            m_teile.txtLocalPort->setText(QString::number(zentralenregister()[m_netzOption]->standardport));
    });
    connect(teile.btnEcos, &QPushButton::clicked, this, &Netzfeld::btnEcos_Click);
    connect(teile.btnListe, &QPushButton::clicked, this, [this] {
        if (m_netzOption >= 0)
            m_fenster.treiber(m_netzOption).leseLokliste();
    });
    connect(teile.btnLok, &QPushButton::clicked, this, &Netzfeld::btnLok_Click);
    connect(teile.txtRX, &Antwortfeld::doppelklick, this,
            [this](const QString &auswahl) { m_fenster.setzeAdresse(ohneBlanks(auswahl)); });
}

void Netzfeld::verbindeLinks()
{
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        Netzverbindung *netz = link(i);
        if (!netz)
            continue;
        const QString name = stationen[i]->name;
        m_fenster.treiber(i).nichtVerbunden = [this, i, name] {
            // A link whose loss has been reported needs no second message.
            if (m_fenster.betrieb.gleiszustand(i) == Gleiszustand::verbindungVerloren)
                emit laufknoepfe(false);
            else
                ecosNichtErreichbar(i, tr("Die %1 ist nicht verbunden !").arg(name));
        };
        connect(netz, &Netzverbindung::antwort, this, &Netzfeld::TCP_DataArrival);
        connect(netz, &Netzverbindung::verbindungsergebnis, this,
                [this, i](bool verbunden) { verbindungsergebnis(i, verbunden); });
        // A station that needed a moment after the opening has answered (or not in time).
        connect(netz, &Netzverbindung::zentraleBereit, this, [this, i] {
            if (m_fenster.schliesst() || m_teile.grpZentrale->checkedId() != i)
                return;
            // Over the serial port this ends the port check; over the network the
            // user's "Fahrstufen" stay.
            if (m_fenster.istSeriell(i))
                emit schnittstelleBereit();
            else
                emit zentraleBereit(true);
        });
        connect(netz, &Netzverbindung::verloren, this, [this, i, name] {
            if (m_fenster.schliesst())
                return;
            // A run on this station ends now rather than after its line: the stop ends
            // the wait, and the stop command that follows finds no link.
            m_fenster.betrieb.stoppAufStation(i);
            ecosNichtErreichbar(i, tr("Die Verbindung zur %1 ist abgebrochen !").arg(name));
        });
    }
}

void Netzfeld::zeige(int option)
{
    if (option == m_netzOption)
        return;
    if (m_netzOption >= 0)
        m_netzadressen[m_netzOption] = adresse(m_netzOption);
    m_netzOption = option;
    TCP = link(option);
    // Whole, as kept: a host longer than typing allows survives the switch.
    setzeGanz(m_teile.txtLocalPort, m_netzadressen[option].second);
    setzeGanz(m_teile.txtIPAdresse, m_netzadressen[option].first);
    zeigeTexte();
    const bool lokknoepfe = lokknoepfeErlaubt();
    m_teile.btnListe->setEnabled(lokknoepfe);
    m_teile.btnLok->setEnabled(lokknoepfe);
}

void Netzfeld::zeigeTexte()
{
    // Without a network station in the registry the texts stay as they are built.
    if (m_netzOption < 0)
        return;
    const trabolin::Zentrale &z = *zentralenregister()[m_netzOption];
    m_teile.btnEcos->setText(zentralenText(z.verbindenText));
    m_teile.btnEcos->setToolTip(zentralenText(z.verbindenTipp));
    m_teile.btn15471->setToolTip(zentralenText(z.standardTipp));
    m_teile.lblRX->setText(zentralenText(z.antwortTitel));
}

bool Netzfeld::lokknoepfeErlaubt() const
{
    return m_netzOption >= 0 && zentralenregister()[m_netzOption]->lokliste() && m_warVerbunden[m_netzOption];
}

namespace {

// A network station whose "Fahrstufen" are its own.
bool eigeneFahrstufen(int option)
{
    const trabolin::Zentrale *z = zentralenzeile(option);
    return z && z->fahrstufen && z->netz;
}

} // namespace

void Netzfeld::merkeFahrstufen(int vorher, int neu)
{
    if (vorher == neu)
        return;
    if (eigeneFahrstufen(vorher))
        m_fahrstufenJe[vorher] = m_teile.lstFS->currentText();
    if (eigeneFahrstufen(neu) && !m_fahrstufenJe[neu].isEmpty())
        m_teile.lstFS->setCurrentText(m_fahrstufenJe[neu]);
}

QString Netzfeld::fahrstufen(int option) const
{
    if (!eigeneFahrstufen(option))
        return {};
    return m_teile.grpZentrale->checkedId() == option ? m_teile.lstFS->currentText() : m_fahrstufenJe[option];
}

void Netzfeld::setzeFahrstufen(int option, const QString &fahrstufen)
{
    if (!eigeneFahrstufen(option) || m_teile.lstFS->findText(fahrstufen) < 0)
        return;
    m_fahrstufenJe[option] = fahrstufen;
    if (m_teile.grpZentrale->checkedId() == option)
        m_teile.lstFS->setCurrentText(fahrstufen);
}

std::pair<QString, QString> Netzfeld::adresse(int option) const
{
    if (option == m_netzOption)
        return {EcosIPAdresse, EcosLocalPort};
    return m_netzadressen[option];
}

void Netzfeld::setzeAdresse(int option, const std::pair<QString, QString> &adresse)
{
    if (option == m_netzOption) {
        EcosIPAdresse = adresse.first;
        EcosLocalPort = adresse.second;
    } else {
        m_netzadressen[option] = adresse;
    }
}

void Netzfeld::fuelleFelder()
{
    setzeGanz(m_teile.txtLocalPort, EcosLocalPort);
    setzeGanz(m_teile.txtIPAdresse, EcosIPAdresse);
}

void Netzfeld::btnEcos_Click()
{
    if (m_ecosVerbindet || !TCP || m_fenster.gesperrt())
        return; // the attempt already waiting gives the answer; during a run it is disabled
    const trabolin::Zentrale &z = *zentralenregister()[m_netzOption];
    const QString ecosTitel = netzTitel(z);
    const QString host = m_teile.txtIPAdresse->text().trimmed();
    if (host.isEmpty()) {
        m_fenster.melde(QMessageBox::Critical, ecosTitel,
                        tr("Bitte die IP-Adresse der %1 eintragen !").arg(z.name));
        return;
    }
    const quint16 port = leseTcpPort(m_teile.txtLocalPort->text());
    if (port == 0) {
        m_fenster.melde(QMessageBox::Critical, ecosTitel,
                        tr("Der LocalPort muss eine Zahl von 1 bis 65535 sein (Standard: %1) !").arg(z.standardport));
        return;
    }

    // The outcome comes with verbindungsergebnis(): at once from a link that waits
    // in verbinde(), later from one whose handshake runs on the main loop.
    m_ecosVerbindet = true;
    TCP->beginneVerbindung(host, port);
}

void Netzfeld::verbindungsergebnis(int option, bool verbunden)
{
    if (!m_ecosVerbindet)
        return; // not the answer to a click on the connect button
    m_ecosVerbindet = false;
    if (m_fenster.schliesst())
        return;
    const trabolin::Zentrale &z = *zentralenregister()[option];
    if (verbunden) {
        m_warVerbunden[option] = true;
        if (option == m_netzOption) {
            m_teile.btnListe->setEnabled(z.lokliste());
            m_teile.btnLok->setEnabled(z.lokliste());
            if (TCP->warteAufZentrale())
                emit zentraleBereit(false); // on again when the station has answered
        }
        return;
    }
    const Zentralenmeldung keine = z.keineAntwort();
    m_fenster.melde(QMessageBox::Critical, keine.titel, keine.text);
}

void Netzfeld::btnLok_Click()
{
    if (m_netzOption < 0)
        return;
    // The request's pause runs on the event loop; what it left to tell follows it.
    QCoro::connect(m_fenster.treiber(m_netzOption).uebernehmeKontrolle(m_fenster.adresse()), this,
                   [this](bool) { m_fenster.nachDemLauf.zeige(); });
}

void Netzfeld::TCP_DataArrival(const QString &antwort, qint64 ausgelassen)
{
    m_teile.txtRX->zeigeAntwort(antwort, ausgelassen);
    // How the shown network station reads a reply.
    const Antwortwertung wertung =
        m_netzOption >= 0 ? m_fenster.treiber(m_netzOption).bewerteAntwort(antwort) : Antwortwertung::keine;
    if (wertung == Antwortwertung::keine)
        return;
    const bool ok = wertung == Antwortwertung::ok;
    m_teile.txtRX->zeigeWertung(ok);
    emit laufknoepfe(ok);
}

void Netzfeld::ecosNichtErreichbar(int option, const QString &text)
{
    if (m_teile.grpZentrale->checkedId() == option)
        emit laufknoepfe(false);
    const QString titel = netzTitel(*zentralenregister()[option]);
    m_fenster.nachDemLauf.melde(QStringLiteral("Netz %1").arg(option),
                                [this, titel, text] { m_fenster.melde(QMessageBox::Critical, titel, text); });
}

} // namespace trabolin

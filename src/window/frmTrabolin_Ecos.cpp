// The main window's network controls: host and port, the connection, the replies in
// txtRX, the locomotive list and the control request, for the network station the
// fields show.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "program/Fahrbetrieb.h"
#include "program/Netzverbindung.h"
#include "stations/Zentralenregister.h"
#include "window/Tippgrenze.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

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

void frmTrabolin::verbindeEcos()
{
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        Netzverbindung *netz = m_netz[i];
        if (!netz)
            continue;
        const QString name = stationen[i]->name;
        stationstreiber(i).nichtVerbunden = [this, i, name] {
            // A link whose loss has been reported needs no second message.
            if (m_betrieb->gleiszustand(i) == Gleiszustand::verbindungVerloren)
                setzeLaufknoepfe(false);
            else
                ecosNichtErreichbar(i, QStringLiteral("Die %1 ist nicht verbunden !").arg(name));
        };
        connect(netz, &Netzverbindung::antwort, this, &frmTrabolin::TCP_DataArrival);
        connect(netz, &Netzverbindung::verbindungsergebnis, this,
                [this, i](bool verbunden) { verbindungsergebnis(i, verbunden); });
        // A station that needed a moment after the opening has answered (or not in time).
        connect(netz, &Netzverbindung::zentraleBereit, this, [this, i] {
            if (m_schliesst || grpZentrale->checkedId() != i)
                return;
            // Over the serial port this ends the port check; over the network the
            // user's "Fahrstufen" stay.
            if (istSeriell(i))
                subV24ok(true);
            else
                subZentraleBereit(true);
        });
        connect(netz, &Netzverbindung::verloren, this, [this, i, name] {
            if (m_schliesst)
                return;
            // A run on this station ends now rather than after its line: the stop ends
            // the wait, and the stop command that follows finds no link.
            m_betrieb->stoppAufStation(i);
            ecosNichtErreichbar(i, QStringLiteral("Die Verbindung zur %1 ist abgebrochen !").arg(name));
        });
    }
    // The fields show the start station's host and port, or those of the first network station.
    m_netzOption = stationen[startoption()]->netz ? startoption() : -1;
    for (int i = 0; m_netzOption < 0 && i < int(stationen.size()); ++i)
        if (stationen[i]->netz)
            m_netzOption = i;
    TCP = m_netzOption >= 0 ? m_netz[m_netzOption] : nullptr;

    connect(btn15471, &QPushButton::clicked, this, &frmTrabolin::btn15471_Click);
    connect(btnEcos, &QPushButton::clicked, this, &frmTrabolin::btnEcos_Click);
    connect(btnListe, &QPushButton::clicked, this, &frmTrabolin::btnListe_Click);
    connect(btnLok, &QPushButton::clicked, this, &frmTrabolin::btnLok_Click);
    connect(txtRX, &Antwortfeld::doppelklick, this, &frmTrabolin::txtRX_DblClick);
}

void frmTrabolin::zeigeNetzfelder(int option)
{
    if (option == m_netzOption)
        return;
    const trabolin::Zentrale &z = *zentralenregister()[option];
    if (m_netzOption >= 0)
        m_netzadressen[m_netzOption] = netzadresse(m_netzOption);
    m_netzOption = option;
    TCP = m_netz[option];
    // Whole, as kept: a host longer than typing allows survives the switch.
    setzeGanz(txtLocalPort, m_netzadressen[option].second);
    setzeGanz(txtIPAdresse, m_netzadressen[option].first);
    btnEcos->setText(z.verbindenText);
    btnEcos->setToolTip(z.verbindenTipp);
    btn15471->setToolTip(z.standardTipp);
    lblRX->setText(z.antwortTitel);
    const bool lokknoepfe = z.lokliste() && m_warVerbunden[option];
    btnListe->setEnabled(lokknoepfe);
    btnLok->setEnabled(lokknoepfe);
}

std::pair<QString, QString> frmTrabolin::netzadresse(int option) const
{
    if (option == m_netzOption)
        return {EcosIPAdresse, EcosLocalPort};
    return m_netzadressen[option];
}

void frmTrabolin::setzeNetzadresse(int option, const std::pair<QString, QString> &adresse)
{
    if (option == m_netzOption) {
        EcosIPAdresse = adresse.first;
        EcosLocalPort = adresse.second;
    } else {
        m_netzadressen[option] = adresse;
    }
}

Antwortwertung frmTrabolin::bewerteAntwort(const QString &antwort) const
{
    return m_netzOption >= 0 ? stationstreiber(m_netzOption).bewerteAntwort(antwort) : Antwortwertung::keine;
}

void frmTrabolin::btn15471_Click()
{
    if (m_netzOption >= 0)
        txtLocalPort->setText(QString::number(zentralenregister()[m_netzOption]->standardport));
}

void frmTrabolin::btnEcos_Click()
{
    if (m_ecosVerbindet || !TCP || m_fahrtsperre)
        return; // the attempt already waiting gives the answer; during a run it is disabled
    const trabolin::Zentrale &z = *zentralenregister()[m_netzOption];
    const QString ecosTitel = netzTitel(z);
    const QString host = txtIPAdresse->text().trimmed();
    if (host.isEmpty()) {
        melde(QMessageBox::Critical, ecosTitel,
              QStringLiteral("Bitte die IP-Adresse der %1 eintragen !").arg(z.name));
        return;
    }
    const quint16 port = leseTcpPort(txtLocalPort->text());
    if (port == 0) {
        melde(QMessageBox::Critical, ecosTitel,
              QStringLiteral("Der LocalPort muss eine Zahl von 1 bis 65535 sein (Standard: %1) !")
                  .arg(z.standardport));
        return;
    }

    // The outcome comes with verbindungsergebnis(): at once from a link that waits
    // in verbinde(), later from one whose handshake runs on the main loop.
    m_ecosVerbindet = true;
    TCP->beginneVerbindung(host, port);
}

void frmTrabolin::verbindungsergebnis(int option, bool verbunden)
{
    if (!m_ecosVerbindet)
        return; // not the answer to a click on the connect button
    m_ecosVerbindet = false;
    if (m_schliesst)
        return;
    const trabolin::Zentrale &z = *zentralenregister()[option];
    if (verbunden) {
        m_warVerbunden[option] = true;
        if (option == m_netzOption) {
            btnListe->setEnabled(z.lokliste());
            btnLok->setEnabled(z.lokliste());
            if (TCP->warteAufZentrale())
                subZentraleBereit(false); // on again when the station has answered
        }
        return;
    }
    const Zentralenmeldung keine = z.keineAntwort();
    melde(QMessageBox::Critical, keine.titel, keine.text);
}

void frmTrabolin::btnListe_Click()
{
    if (m_netzOption >= 0)
        stationstreiber(m_netzOption).leseLokliste();
}

void frmTrabolin::btnLok_Click()
{
    if (m_netzOption < 0)
        return;
    // The request's pause runs on the event loop; what it left to tell follows it.
    QCoro::connect(stationstreiber(m_netzOption).uebernehmeKontrolle(aktuelleSeite().adresse()), this,
                   [this](bool) { zeigeAufgeschobeneMeldungen(); });
}

void frmTrabolin::txtRX_DblClick(const QString &auswahl)
{
    aktuelleSeite().setzeAdresse(ohneBlanks(auswahl));
}

void frmTrabolin::TCP_DataArrival(const QString &antwort, qint64 ausgelassen)
{
    // A huge reply would hold the window while the field lays it out: its start
    // and its end are shown, which hold the list's head and the END line.
    if (antwort.size() <= anzeigeKappe && ausgelassen == 0) {
        txtRX->setPlainText(antwort);
    } else {
        const qsizetype ende = qMin<qsizetype>(antwort.size() / 2, 1024);
        const qsizetype anfang = qMin(antwort.size() - ende, anzeigeKappe - ende);
        const qint64 weggelassen = antwort.size() - anfang - ende + ausgelassen;
        txtRX->setPlainText(antwort.left(anfang)
                            + QStringLiteral("\n[... %1 Zeichen nicht angezeigt ...]\n").arg(weggelassen)
                            + antwort.right(ende));
    }

    const Antwortwertung wertung = bewerteAntwort(antwort);
    if (wertung == Antwortwertung::keine)
        return;
    const bool ok = wertung == Antwortwertung::ok;
    QPalette farben = txtRX->palette();
    farben.setColor(QPalette::Base, ok ? QColor(0, 128, 0) : QColor(255, 0, 0));
    farben.setColor(QPalette::Text, Qt::white);
    txtRX->setPalette(farben);
    setzeLaufknoepfe(ok);
}

void frmTrabolin::setzeLaufknoepfe(bool aktiv)
{
    for (QPushButton *k : {btnStart, btnSendZeile})
        k->setEnabled(aktiv);
    m_stoppFreigabe = aktiv;
    zeigeStoppknopf();
}

void frmTrabolin::ecosNichtErreichbar(int option, const QString &text)
{
    if (grpZentrale->checkedId() == option)
        setzeLaufknoepfe(false);
    const QString titel = netzTitel(*zentralenregister()[option]);
    meldeNachDemLauf(QStringLiteral("Netz %1").arg(option),
                     [this, titel, text] { melde(QMessageBox::Critical, titel, text); });
}

} // namespace trabolin

// The main window's ECoS controls: host and port, the connection, the replies in
// txtRX, the locomotive list and the control request.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "serial/Zentrale.h"
#include "stations/ecos/EcosBefehle.h"
#include "stations/ecos/EcosTreiber.h"
#include "stations/ecos/EcosVerbindung.h"

#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

namespace trabolin {

namespace {

const QString ecosTitel = QStringLiteral(" Ecos...");

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
    TCP = new EcosVerbindung(this);
    TCP->setObjectName(QStringLiteral("TCP"));
    m_ecos = std::make_unique<EcosTreiber>(*m_ablauf, *TCP);
    m_ablauf->setzeTreiber(optionEcos, m_ecos.get());
    m_ecos->nichtVerbunden = [this] { ecosNichtErreichbar(QStringLiteral("Die Ecos ist nicht verbunden !")); };

    connect(btn15471, &QPushButton::clicked, this, &frmTrabolin::btn15471_Click);
    connect(btnEcos, &QPushButton::clicked, this, &frmTrabolin::btnEcos_Click);
    connect(btnListe, &QPushButton::clicked, this, &frmTrabolin::btnListe_Click);
    connect(btnLok, &QPushButton::clicked, this, &frmTrabolin::btnLok_Click);
    connect(txtRX, &Antwortfeld::doppelklick, this, &frmTrabolin::txtRX_DblClick);
    connect(TCP, &EcosVerbindung::antwort, this, &frmTrabolin::TCP_DataArrival);
    connect(TCP, &EcosVerbindung::verloren, this, [this] {
        if (m_schliesst)
            return;
        // A run on the ECoS ends now rather than after its line: the stop ends the
        // wait, and the stop command that follows finds no link.
        if (m_ablauf->laeuft() && m_ablauf->treiber() == m_ecos.get())
            m_ablauf->stoppKlick();
        ecosNichtErreichbar(QStringLiteral("Die Verbindung zur Ecos ist abgebrochen !"));
    });
}

void frmTrabolin::btn15471_Click()
{
    txtLocalPort->setText(QStringLiteral("15471"));
}

void frmTrabolin::btnEcos_Click()
{
    if (m_ecosVerbindet)
        return; // the attempt already waiting gives the answer
    const QString host = txtIPAdresse->text().trimmed();
    if (host.isEmpty()) {
        melde(QMessageBox::Critical, ecosTitel, QStringLiteral("Bitte die IP-Adresse der Ecos eintragen !"));
        return;
    }
    const quint16 port = leseTcpPort(txtLocalPort->text());
    if (port == 0) {
        melde(QMessageBox::Critical, ecosTitel,
              QStringLiteral("Der LocalPort muss eine Zahl von 1 bis 65535 sein (Standard: 15471) !"));
        return;
    }

    m_ecosVerbindet = true;
    const bool verbunden = TCP->verbinde(host, port);
    m_ecosVerbindet = false;
    if (m_schliesst)
        return;
    if (verbunden) {
        btnListe->setEnabled(true);
        btnLok->setEnabled(true);
        return;
    }
    melde(QMessageBox::Critical, QStringLiteral(" Verbindungsaufbau gescheitert..."),
          QStringLiteral("Die Ecos antwortet nicht !             "));
}

void frmTrabolin::btnListe_Click()
{
    if (TCP->verbunden())
        TCP->sende(ecosLokliste());
}

void frmTrabolin::btnLok_Click()
{
    m_ecos->uebernehmeKontrolle();
    zeigeAufgeschobeneMeldungen();
}

void frmTrabolin::txtRX_DblClick(const QString &auswahl)
{
    txtAdresse->setText(ohneBlanks(auswahl));
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

    const EcosWertung wertung = bewerteEcosAntwort(antwort);
    if (wertung == EcosWertung::keine)
        return;
    const bool ok = wertung == EcosWertung::ok;
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

void frmTrabolin::ecosNichtErreichbar(const QString &text)
{
    setzeLaufknoepfe(false);
    meldeNachDemLauf(QStringLiteral("Ecos"),
                     [this, text] { melde(QMessageBox::Critical, ecosTitel, text); });
}

} // namespace trabolin

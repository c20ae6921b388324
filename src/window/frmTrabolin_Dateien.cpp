// The main window's settings file and program files: gathers the values from the
// controls and applies them; the file layout itself lives in storage/.
#include "window/frmTrabolin.h"

#include "program/Ablauf.h"
#include "program/Zahlen.h"
#include "stations/Zentralenregister.h"
#include "storage/Dateiformat.h"
#include "window/Einstellungsseite.h"
#include "window/Netzfeld.h"

#include <QCheckBox>
#include <QComboBox>
#include "program/Benutzerverzeichnis.h"

#include <QDir>
#include <QFile>
#include <QRadioButton>

namespace trabolin {

// "Trabolin.ini" beside the program, or in the user's folder when the program's
// folder is not writable (an installed package).
namespace {

// The labels of a station's host and port, its own settings and its "Fahrstufen"
// after line 56.
QString portLabel(const trabolin::Zentrale &z) { return z.name + QStringLiteral(" LocalPort"); }
QString hostLabel(const trabolin::Zentrale &z) { return z.name + QStringLiteral(" IP-Adresse"); }
QString einstellungsLabel(const trabolin::Zentrale &z, const Stationseinstellung &e) { return z.name + u' ' + e.schluessel; }
QString fahrstufenLabel(const trabolin::Zentrale &z) { return z.name + QStringLiteral(" Fahrstufen"); }

} // namespace

QString frmTrabolin::einstellungsPfad() const
{
    return QDir::toNativeSeparators(
        QDir(benutzerVerzeichnis(m_programmVerzeichnis)).filePath(QStringLiteral("Trabolin.ini")));
}

Fehler frmTrabolin::subReadConfig()
{
    namespace ez = einstellungszeile;
    ConfigDatei = einstellungsPfad();

    QFile datei(ConfigDatei);
    if (const Fehler f = oeffneZumLesen(datei))
        return f;
    const Einstellungslesung l = leseEinstellungen(datei);
    datei.close();
    const Einstellungen &w = l.werte;

    // In file order, up to the line where the read stopped.
    for (int r = 1; r <= anzahlZeilen && l.gilt(ez::tabelle(r)); ++r)
        for (int c = 1; c <= anzahlZellen; ++c)
            ersteSeite().tabelle().setzeZelle(r, c, w.tabelle[r - 1][c - 1]);
    if (l.gilt(ez::adresse))
        ersteSeite().setzeAdresse(w.adresse, true);
    const std::pair<int, std::pair<QComboBox *, const QString *>> listen[] = {
        {ez::port, {lstV24, &w.port}},           {ez::baudrate, {lstBaudrate, &w.baudrate}},
        {ez::parity, {lstParity, &w.parity}},    {ez::datenbits, {lstDatenbits, &w.datenbits}},
        {ez::stopbits, {lstStopbits, &w.stopbits}},
    };
    for (const auto &[zeile, liste] : listen)
        if (l.gilt(zeile))
            liste.first->setEditText(*liste.second);
    if (l.gilt(ez::zentrale)) {
        Zentrale = w.zentrale;
        // Selecting an option that is not yet selected runs the station switch; for
        // the one already selected only its address captions are set. Any other
        // code selects nothing.
        if (const int option = zentralenoption(Zentrale); option >= 0) {
            optZentrale[option]->setChecked(true);
            zeigeAdresstitel(option);
            // The switch put the station's own line settings into the lists; the
            // saved ones are what the user set.
            for (const auto &[zeile, liste] : listen)
                if (l.gilt(zeile))
                    liste.first->setEditText(*liste.second);
        }
    }
    if (l.gilt(ez::usb))
        chkUSB->setChecked(w.usb);
    if (l.gilt(ez::anzahl))
        for (const Stationseinstellung &e : m_laufeinstellungen->einstellungen())
            m_laufeinstellungen->setzeWert(e.schluessel, w.weiterer(e.schluessel, e.vorgabe));
    // Each network station's host and port: those in lines 52 to 56, the others
    // after line 56, with the station's default port when the file has none.
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        const trabolin::Zentrale &z = *stationen[i];
        if (l.gilt(ez::anzahl))
            for (const Stationseinstellung &e : m_einstellungsseiten[i]->einstellungen())
                m_einstellungsseiten[i]->setzeWert(e.schluessel, w.weiterer(einstellungsLabel(z, e), e.vorgabe));
        if (!z.netz)
            continue;
        auto [host, port] = m_netzfeld->adresse(i);
        if (z.netzInFestenZeilen()) {
            if (l.gilt(ez::ecosPort))
                port = w.ecosPort;
            if (l.gilt(ez::ecosAdresse))
                host = w.ecosAdresse;
        } else if (l.gilt(ez::anzahl)) {
            port = w.weiterer(portLabel(z), QString::number(z.standardport));
            host = w.weiterer(hostLabel(z));
        }
        m_netzfeld->setzeAdresse(i, {host, port});
        if (l.gilt(ez::anzahl))
            m_netzfeld->setzeFahrstufen(i, w.weiterer(fahrstufenLabel(z)));
    }
    // The programs after the first, and the one shown when the window closed.
    for (const Fahrprogrammdaten &p : l.gilt(ez::anzahl) ? leseFahrprogramme(w) : QList<Fahrprogrammdaten>{}) {
        Programmseite *seite = m_programme->neueLok(false);
        if (!seite)
            break;
        tabelleNach(seite->tabelle(), p.tabelle);
        seite->setzeAdresse(p.adresse, true);
        seite->endlosSchalter()->setChecked(p.endlos);
        seite->setzeDatei(p.datei);
    }
    for (int n = 0; n < int(m_seiten.size()); ++n)
        m_seiten[n]->kmhSchalter()->setChecked(w.weiterer(kmhLabel(n + 1)).trimmed() == u"1");
    m_programme->zeige(int(leseGanzzahl(w.weiterer(aktuellesFahrprogrammLabel, QStringLiteral("1")))) - 1);
    // A language the user chose; without the line the system's language stays.
    if (const QString code = w.weiterer(spracheLabel).trimmed(); code == u"de" || code == u"en")
        waehleSprache(code);
    return l.fehler;
}

QString frmTrabolin::subWriteConfig()
{
    if (ConfigDatei.isEmpty())
        ConfigDatei = einstellungsPfad();
    Einstellungen w;
    w.tabelle = tabelleAus(ersteSeite().tabelle());
    w.adresse = ersteSeite().adresse();
    w.port = lstV24->currentText();
    w.baudrate = lstBaudrate->currentText();
    w.parity = lstParity->currentText();
    w.datenbits = lstDatenbits->currentText();
    w.stopbits = lstStopbits->currentText();
    w.zentrale = Zentrale;
    w.usb = USBInterface;
    // Lines 52 to 56 hold one network station's host and port, the lines after 56
    // those of the others, in the order of the registry.
    const auto &stationen = zentralenregister();
    for (int i = 0; i < int(stationen.size()); ++i) {
        const trabolin::Zentrale &z = *stationen[i];
        const auto [host, port] = m_netzfeld->adresse(i);
        if (!z.netz) {
        } else if (z.netzInFestenZeilen()) {
            w.ecosPort = port;
            w.ecosAdresse = host;
        } else {
            w.weitere.append({portLabel(z), port});
            w.weitere.append({hostLabel(z), host});
        }
        for (const Stationseinstellung &e : m_einstellungsseiten[i]->einstellungen())
            w.weitere.append({einstellungsLabel(z, e), m_einstellungsseiten[i]->werte().value(e.schluessel)});
        if (const QString fs = m_netzfeld->fahrstufen(i); !fs.isEmpty())
            w.weitere.append({fahrstufenLabel(z), fs});
    }
    for (const Stationseinstellung &e : m_laufeinstellungen->einstellungen())
        w.weitere.append({e.schluessel, m_laufeinstellungen->werte().value(e.schluessel)});
    for (int n = 1; n < int(m_seiten.size()); ++n) {
        Programmseite &s = *m_seiten[n];
        w.weitere << fahrprogrammPaare(n + 1, {s.adresse(), s.endlosSchalter()->isChecked(), s.datei(), tabelleAus(s.tabelle())});
    }
    for (int n = 0; n < int(m_seiten.size()); ++n)
        if (m_seiten[n]->kmhSchalter()->isChecked())
            w.weitere.append({kmhLabel(n + 1), QStringLiteral("1")});
    if (m_seiten.size() > 1)
        w.weitere.append({aktuellesFahrprogrammLabel, QString::number(m_aktuelleSeite + 1)});
    if (!m_gewaehlteSprache.isEmpty())
        w.weitere.append({spracheLabel, m_gewaehlteSprache});
    return speichereDatei(ConfigDatei, schreibeEinstellungen(w));
}

QStringList frmTrabolin::dateifilter()
{
    return {tr("Befehlsdateien (*.dat)"), tr("Trabolin-Dateien (*.ini)"), tr("Alle Dateien (*)")};
}

void frmTrabolin::mnuDatei_laden_Click()
{
    uebernehmeEingabe();
    // Another program replaces the one the locomotive is driving: the run ends, and
    // its stop goes out now, before the file dialog holds the window.
    Programmseite &seite = aktuelleSeite();
    seite.ablauf().halteAn();
    const QString pfad = waehleDatei ? waehleDatei(false) : QString();
    if (pfad.isEmpty())
        return;
    if (const QString fehler = seite.ladeProgramm(pfad); !fehler.isEmpty())
        melde(QMessageBox::Critical, tr(" Datei laden..."), fehler);
}

void frmTrabolin::mnuDatei_speichern_Click()
{
    uebernehmeEingabe();
    const QString pfad = waehleDatei ? waehleDatei(true) : QString();
    if (pfad.isEmpty())
        return;
    if (const QString fehler = aktuelleSeite().speichereProgramm(pfad); !fehler.isEmpty())
        melde(QMessageBox::Critical, tr(" Datei speichern..."), fehler);
}

} // namespace trabolin

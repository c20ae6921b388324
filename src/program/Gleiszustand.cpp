#include "program/Gleiszustand.h"

namespace trabolin {

namespace {

const QString titelSpannung = QStringLiteral(" Gleisspannung...");
const QString angehalten = QStringLiteral(" Das Fahrprogramm wurde angehalten.");

} // namespace

QString gleisanzeigeText(Gleiszustand zustand)
{
    switch (zustand) {
    case Gleiszustand::an:
        return QStringLiteral("Gleis: an");
    case Gleiszustand::aus:
    case Gleiszustand::programmiermodus:
        return QStringLiteral("Gleis: aus");
    case Gleiszustand::kurzschluss:
        return QStringLiteral("Kurzschluss");
    case Gleiszustand::nothalt:
        return QStringLiteral("Nothalt");
    case Gleiszustand::verbindungVerloren:
        return QStringLiteral("Verbindung verloren");
    case Gleiszustand::unbekannt:
        break;
    }
    return QStringLiteral("unbekannt");
}

bool sperrtFahrt(Gleiszustand zustand)
{
    return zustand != Gleiszustand::an && zustand != Gleiszustand::unbekannt;
}

Gleismeldung gleisHaltMeldung(Gleiszustand zustand)
{
    switch (zustand) {
    case Gleiszustand::aus:
        return {titelSpannung, QStringLiteral("Die Gleisspannung wurde abgeschaltet.") + angehalten};
    case Gleiszustand::kurzschluss:
        return {titelSpannung, QStringLiteral("Die Gleisspannung wurde abgeschaltet (Kurzschluss).") + angehalten};
    case Gleiszustand::programmiermodus:
        return {titelSpannung,
                QStringLiteral("Die Gleisspannung wurde abgeschaltet (Programmiermodus).") + angehalten};
    case Gleiszustand::nothalt:
        return {QStringLiteral(" Nothalt..."),
                QStringLiteral("Die Zentrale hat alle Loks angehalten (Nothalt).") + angehalten};
    case Gleiszustand::verbindungVerloren:
    case Gleiszustand::an:
    case Gleiszustand::unbekannt:
        break;
    }
    return {};
}

Gleismeldung gleisSperrMeldung(Gleiszustand zustand, const QString &zentrale, bool seriell)
{
    const QString einschalten = QStringLiteral("\nBitte zuerst die Gleisspannung wieder einschalten.");
    switch (zustand) {
    case Gleiszustand::aus:
        return {titelSpannung, QStringLiteral("Die Gleisspannung ist abgeschaltet !") + einschalten};
    case Gleiszustand::kurzschluss:
        return {titelSpannung,
                QStringLiteral("Die Gleisspannung ist wegen eines Kurzschlusses abgeschaltet !")
                    + QStringLiteral("\nBitte zuerst den Kurzschluss beheben und die Gleisspannung einschalten.")};
    case Gleiszustand::programmiermodus:
        return {titelSpannung, QStringLiteral("Die Zentrale ist im Programmiermodus, das Gleis hat keine Spannung !")};
    case Gleiszustand::nothalt:
        return {QStringLiteral(" Nothalt..."), QStringLiteral("Die Zentrale hat alle Loks angehalten (Nothalt) !")
                                                    + einschalten};
    case Gleiszustand::verbindungVerloren:
        return {QStringLiteral(" Verbindung..."),
                QStringLiteral("Die Verbindung zur %1 ist abgebrochen !\n").arg(zentrale)
                    + (seriell ? QStringLiteral("Bitte zuerst die Schnittstelle prüfen und \"Parameter setzen\" drücken.")
                               : QStringLiteral("Bitte zuerst neu verbinden."))};
    case Gleiszustand::an:
    case Gleiszustand::unbekannt:
        break;
    }
    return {};
}

} // namespace trabolin

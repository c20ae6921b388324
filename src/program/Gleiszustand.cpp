#include "program/Gleiszustand.h"

#include <QCoreApplication>

namespace trabolin {

// The texts are translated when they are made, in the language in effect.

QString gleisanzeigeText(Gleiszustand zustand)
{
    switch (zustand) {
    case Gleiszustand::an:
        return QCoreApplication::translate("trabolin", "Gleis: an");
    case Gleiszustand::aus:
    case Gleiszustand::programmiermodus:
        return QCoreApplication::translate("trabolin", "Gleis: aus");
    case Gleiszustand::kurzschluss:
        return QCoreApplication::translate("trabolin", "Kurzschluss");
    case Gleiszustand::nothalt:
        return QCoreApplication::translate("trabolin", "Nothalt");
    case Gleiszustand::verbindungVerloren:
        return QCoreApplication::translate("trabolin", "Verbindung verloren");
    case Gleiszustand::unbekannt:
        break;
    }
    return QCoreApplication::translate("trabolin", "unbekannt");
}

bool sperrtFahrt(Gleiszustand zustand)
{
    return zustand != Gleiszustand::an && zustand != Gleiszustand::unbekannt;
}

Gleismeldung gleisHaltMeldung(Gleiszustand zustand)
{
    const QString titelSpannung = QCoreApplication::translate("trabolin", " Gleisspannung...");
    switch (zustand) {
    case Gleiszustand::aus:
        return {titelSpannung, QCoreApplication::translate(
                                   "trabolin", "Die Gleisspannung wurde abgeschaltet. Das Fahrprogramm wurde angehalten.")};
    case Gleiszustand::kurzschluss:
        return {titelSpannung,
                QCoreApplication::translate("trabolin", "Die Gleisspannung wurde abgeschaltet (Kurzschluss). "
                                                        "Das Fahrprogramm wurde angehalten.")};
    case Gleiszustand::programmiermodus:
        return {titelSpannung,
                QCoreApplication::translate("trabolin", "Die Gleisspannung wurde abgeschaltet (Programmiermodus). "
                                                        "Das Fahrprogramm wurde angehalten.")};
    case Gleiszustand::nothalt:
        return {QCoreApplication::translate("trabolin", " Nothalt..."),
                QCoreApplication::translate("trabolin", "Die Zentrale hat alle Loks angehalten (Nothalt). "
                                                        "Das Fahrprogramm wurde angehalten.")};
    case Gleiszustand::verbindungVerloren:
    case Gleiszustand::an:
    case Gleiszustand::unbekannt:
        break;
    }
    return {};
}

Gleismeldung gleisSperrMeldung(Gleiszustand zustand, const QString &zentrale, bool seriell)
{
    const QString titelSpannung = QCoreApplication::translate("trabolin", " Gleisspannung...");
    switch (zustand) {
    case Gleiszustand::aus:
        return {titelSpannung, QCoreApplication::translate("trabolin", "Die Gleisspannung ist abgeschaltet !\n"
                                                                       "Bitte zuerst die Gleisspannung wieder einschalten.")};
    case Gleiszustand::kurzschluss:
        return {titelSpannung,
                QCoreApplication::translate("trabolin", "Die Gleisspannung ist wegen eines Kurzschlusses abgeschaltet !\n"
                                                        "Bitte zuerst den Kurzschluss beheben und die Gleisspannung "
                                                        "einschalten.")};
    case Gleiszustand::programmiermodus:
        return {titelSpannung, QCoreApplication::translate(
                                   "trabolin", "Die Zentrale ist im Programmiermodus, das Gleis hat keine Spannung !")};
    case Gleiszustand::nothalt:
        return {QCoreApplication::translate("trabolin", " Nothalt..."),
                QCoreApplication::translate("trabolin", "Die Zentrale hat alle Loks angehalten (Nothalt) !\n"
                                                        "Bitte zuerst die Gleisspannung wieder einschalten.")};
    case Gleiszustand::verbindungVerloren:
        return {QCoreApplication::translate("trabolin", " Verbindung..."),
                seriell ? QCoreApplication::translate("trabolin", "Die Verbindung zur %1 ist abgebrochen !\n"
                                                                  "Bitte zuerst die Schnittstelle prüfen und "
                                                                  "\"Parameter setzen\" drücken.")
                              .arg(zentrale)
                        : QCoreApplication::translate("trabolin", "Die Verbindung zur %1 ist abgebrochen !\n"
                                                                  "Bitte zuerst neu verbinden.")
                              .arg(zentrale)};
    case Gleiszustand::an:
    case Gleiszustand::unbekannt:
        break;
    }
    return {};
}

} // namespace trabolin

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>trabolin</name>
    <message>
        <source> während der Fahrt gesperrt </source>
        <translation> locked while running </translation>
    </message>
</context>
<context>
    <name>trabolin::Antwortfeld</name>
    <message>
        <source>
[... %1 Zeichen nicht angezeigt ...]
</source>
        <translation>
[... %1 characters not shown ...]
</translation>
    </message>
</context>
<context>
    <name>trabolin::Fensterteile</name>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>öffnen / laden</source>
        <translation>open / load</translation>
    </message>
    <message>
        <source>speichern / sichern</source>
        <translation>save / save as</translation>
    </message>
    <message>
        <source>beenden</source>
        <translation>exit</translation>
    </message>
    <message>
        <source>b&amp;eenden</source>
        <translation>&amp;exit</translation>
    </message>
    <message>
        <source> übernimmt die Kontrolle über die Lok mit der o.a. ID (aktuell: %1) </source>
        <translation> takes control of the locomotive with the ID given above (current: %1) </translation>
    </message>
    <message>
        <source> übernimmt die Kontrolle über die Lok mit der o.a. ID </source>
        <translation> takes control of the locomotive with the ID given above </translation>
    </message>
    <message>
        <source>zeigt die Programminformation</source>
        <translation>shows the program information</translation>
    </message>
    <message>
        <source>Zentrale und Verbindung</source>
        <translation>Command station and connection</translation>
    </message>
    <message>
        <source>Zentrale</source>
        <translation>Command station</translation>
    </message>
    <message>
        <source>Schnittstelle</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source> ermittelt alle freien Schnittstellen </source>
        <translation> finds all free serial ports </translation>
    </message>
    <message>
        <source>serieller Anschluss</source>
        <translation>serial port</translation>
    </message>
    <message>
        <source>Baudrate</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>Datenbits</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>Stopbits</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>&amp;Parameter setzen</source>
        <translation>Set &amp;parameters</translation>
    </message>
    <message>
        <source>&amp;USB-Interface     </source>
        <translation>&amp;USB interface     </translation>
    </message>
    <message>
        <source> bei Verwendung des Lenz USB-Interfaces </source>
        <translation> when using the Lenz USB interface </translation>
    </message>
    <message>
        <source>USB-Interface</source>
        <translation>USB interface</translation>
    </message>
    <message>
        <source>Fahrstufen</source>
        <translation>Speed steps</translation>
    </message>
    <message>
        <source>IP-Adresse</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>Lokliste einlesen</source>
        <translation>Read locomotive list</translation>
    </message>
    <message>
        <source> listet alle angemeldeten Lokomotiven auf </source>
        <translation> lists all registered locomotives </translation>
    </message>
    <message>
        <source>Kontrolle übernehmen</source>
        <translation>Take control</translation>
    </message>
    <message>
        <source> Zentrale abschalten </source>
        <translation> switch the command station off </translation>
    </message>
    <message>
        <source> Zentrale einschalten </source>
        <translation> switch the command station on </translation>
    </message>
    <message>
        <source>&amp;starten</source>
        <translation>&amp;start</translation>
    </message>
    <message>
        <source> startet das Programm </source>
        <translation> starts the program </translation>
    </message>
    <message>
        <source> stoppt das laufende Programm </source>
        <translation> stops the running program </translation>
    </message>
    <message>
        <source>aktuelle &amp;Zeile </source>
        <translation>current l&amp;ine </translation>
    </message>
    <message>
        <source> überträgt die aktuelle Zeile zum Interface </source>
        <translation> sends the current line to the interface </translation>
    </message>
    <message>
        <source>&amp;akustisches Signal bei Programmende</source>
        <translation>&amp;acoustic signal at program end</translation>
    </message>
    <message>
        <source> startet bei Programmende die Datei &quot;Signal.wav&quot; </source>
        <translation> plays the file &quot;Signal.wav&quot; when the program ends </translation>
    </message>
    <message>
        <source>Power of&amp;f</source>
        <translation>Powe&amp;r off</translation>
    </message>
    <message>
        <source>Power o&amp;n</source>
        <translation>Power o&amp;n</translation>
    </message>
</context>
<context>
    <name>trabolin::Gleisanzeige</name>
    <message>
        <source>belegt</source>
        <translation>occupied</translation>
    </message>
    <message>
        <source>frei</source>
        <translation>free</translation>
    </message>
    <message>
        <source> zeigt, was die Zentrale über das Gleis meldet </source>
        <translation> shows what the command station reports about the track </translation>
    </message>
</context>
<context>
    <name>trabolin::Hilfe</name>
    <message>
        <source> Lokomotiven-Trabolin - Hilfe</source>
        <translation> Lokomotiven-Trabolin - Help</translation>
    </message>
    <message>
        <source> Info über </source>
        <translation> About </translation>
    </message>
    <message>
        <source>Programm:     </source>
        <translation>Program:      </translation>
    </message>
</context>
<context>
    <name>trabolin::Netzfeld</name>
    <message>
        <source>Die %1 ist nicht verbunden !</source>
        <translation>The %1 is not connected!</translation>
    </message>
    <message>
        <source>Die Verbindung zur %1 ist abgebrochen !</source>
        <translation>The connection to the %1 has been lost!</translation>
    </message>
    <message>
        <source>Bitte die IP-Adresse der %1 eintragen !</source>
        <translation>Please enter the IP address of the %1!</translation>
    </message>
    <message>
        <source>Der LocalPort muss eine Zahl von 1 bis 65535 sein (Standard: %1) !</source>
        <translation>The LocalPort must be a number from 1 to 65535 (default: %1)!</translation>
    </message>
</context>
<context>
    <name>trabolin::frmTrabolin</name>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Lok</source>
        <translation>Loco</translation>
    </message>
    <message>
        <source>Das Programm wurde bereits gestartet ...</source>
        <translation>The program is already running ...</translation>
    </message>
    <message>
        <source> Datei speichern...</source>
        <translation> Save file...</translation>
    </message>
    <message>
        <source>aktuelle Daten in &apos;Trabolin.ini&apos; speichern ?</source>
        <translation>save the current data to &apos;Trabolin.ini&apos;?</translation>
    </message>
    <message>
        <source>Befehlsdateien (*.dat)</source>
        <translation>Command files (*.dat)</translation>
    </message>
    <message>
        <source>Trabolin-Dateien (*.ini)</source>
        <translation>Trabolin files (*.ini)</translation>
    </message>
    <message>
        <source>Alle Dateien (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source> Datei laden...</source>
        <translation> Load file...</translation>
    </message>
    <message>
        <source>Die serielle Schnittstelle %1 ist nicht mehr erreichbar (Adapter entfernt?)</source>
        <translation>The serial port %1 can no longer be reached (adapter removed?)</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>trabolin</name>
    <message>
        <source> während der Fahrt gesperrt </source>
        <translation> locked while running </translation>
    </message>
    <message>
        <source>Gleis: an</source>
        <translation>Track: on</translation>
    </message>
    <message>
        <source>Gleis: aus</source>
        <translation>Track: off</translation>
    </message>
    <message>
        <source>Kurzschluss</source>
        <translation>Short circuit</translation>
    </message>
    <message>
        <source>Nothalt</source>
        <translation>Emergency stop</translation>
    </message>
    <message>
        <source>Verbindung verloren</source>
        <translation>Connection lost</translation>
    </message>
    <message>
        <source>unbekannt</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source> Gleisspannung...</source>
        <translation> Track power...</translation>
    </message>
    <message>
        <source>Die Gleisspannung wurde abgeschaltet. Das Fahrprogramm wurde angehalten.</source>
        <translation>The track power was switched off. The driving program was stopped.</translation>
    </message>
    <message>
        <source>Die Gleisspannung wurde abgeschaltet (Kurzschluss). Das Fahrprogramm wurde angehalten.</source>
        <translation>The track power was switched off (short circuit). The driving program was stopped.</translation>
    </message>
    <message>
        <source>Die Gleisspannung wurde abgeschaltet (Programmiermodus). Das Fahrprogramm wurde angehalten.</source>
        <translation>The track power was switched off (programming mode). The driving program was stopped.</translation>
    </message>
    <message>
        <source> Nothalt...</source>
        <translation> Emergency stop...</translation>
    </message>
    <message>
        <source>Die Zentrale hat alle Loks angehalten (Nothalt). Das Fahrprogramm wurde angehalten.</source>
        <translation>The command station has stopped all locomotives (emergency stop). The driving program was stopped.</translation>
    </message>
    <message>
        <source>Die Gleisspannung ist abgeschaltet !
Bitte zuerst die Gleisspannung wieder einschalten.</source>
        <translation>The track power is off!
Please switch the track power back on first.</translation>
    </message>
    <message>
        <source>Die Gleisspannung ist wegen eines Kurzschlusses abgeschaltet !
Bitte zuerst den Kurzschluss beheben und die Gleisspannung einschalten.</source>
        <translation>The track power is off because of a short circuit!
Please clear the short circuit first and switch the track power on.</translation>
    </message>
    <message>
        <source>Die Zentrale ist im Programmiermodus, das Gleis hat keine Spannung !</source>
        <translation>The command station is in programming mode, the track has no power!</translation>
    </message>
    <message>
        <source>Die Zentrale hat alle Loks angehalten (Nothalt) !
Bitte zuerst die Gleisspannung wieder einschalten.</source>
        <translation>The command station has stopped all locomotives (emergency stop)!
Please switch the track power back on first.</translation>
    </message>
    <message>
        <source> Verbindung...</source>
        <translation> Connection...</translation>
    </message>
    <message>
        <source>Die Verbindung zur %1 ist abgebrochen !
Bitte zuerst die Schnittstelle prüfen und &quot;Parameter setzen&quot; drücken.</source>
        <translation>The connection to the %1 was lost!
Please check the port first and press &quot;Set parameters&quot;.</translation>
    </message>
    <message>
        <source>Die Verbindung zur %1 ist abgebrochen !
Bitte zuerst neu verbinden.</source>
        <translation>The connection to the %1 was lost!
Please connect again first.</translation>
    </message>
    <message>
        <source> zentrale Fehlerbehandlung...</source>
        <translation> Error handling...</translation>
    </message>
    <message>
        <source>Ungültige Schnittstellenparameter „%1“: erwartet werden Baudrate, Parität, Datenbits und Stoppbits, z. B. 9600,N,8,1</source>
        <translation>Invalid port parameters &quot;%1&quot;: expected baud rate, parity, data bits and stop bits, e.g. 9600,N,8,1</translation>
    </message>
    <message>
        <source>Ungültige Baudrate „%1“</source>
        <translation>Invalid baud rate &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Ungültige Parität „%1“ (N, E, O, M oder S)</source>
        <translation>Invalid parity &quot;%1&quot; (N, E, O, M or S)</translation>
    </message>
    <message>
        <source>Ungültige Anzahl Datenbits „%1“ (5 bis 8)</source>
        <translation>Invalid number of data bits &quot;%1&quot; (5 to 8)</translation>
    </message>
    <message>
        <source>1,5 Stoppbits werden von dieser Schnittstelle nicht unterstützt</source>
        <translation>This port does not support 1.5 stop bits</translation>
    </message>
    <message>
        <source>Ungültige Anzahl Stoppbits „%1“ (1, 1.5 oder 2)</source>
        <translation>Invalid number of stop bits &quot;%1&quot; (1, 1.5 or 2)</translation>
    </message>
    <message>
        <source>Zu dieser Nummer gibt es keine Schnittstelle</source>
        <translation>There is no port with this number</translation>
    </message>
    <message>
        <source>%1 gibt es nicht</source>
        <translation>%1 does not exist</translation>
    </message>
    <message>
        <source>Keine Berechtigung für %1 (Gruppe %2?) - Abhilfe: sudo usermod -aG %2 $USER, danach ab- und wieder anmelden</source>
        <translation>No permission for %1 (group %2?) - to fix: sudo usermod -aG %2 $USER, then log out and back in</translation>
    </message>
    <message>
        <source>%1 kann nicht geöffnet werden: %2</source>
        <translation>%1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>%1 antwortet nicht: %2</source>
        <translation>%1 does not respond: %2</translation>
    </message>
    <message>
        <source>%1 ist bereits belegt: %2</source>
        <translation>%1 is already in use: %2</translation>
    </message>
    <message>
        <source>Fehler 8002:  Der angegebene Anschluß (COM-Port ?) existiert nicht !    </source>
        <translation>Error 8002:  The given port (COM port?) does not exist!    </translation>
    </message>
    <message>
        <source>Fehler 8005:  Der Anschluß wird bereits von einer anderen Anwendung benutzt !     </source>
        <translation>Error 8005:  The port is already used by another application!     </translation>
    </message>
    <message>
        <source>Fehler %1:  &lt;%2&gt; aufgetreten      </source>
        <translation>Error %1:  &lt;%2&gt; occurred      </translation>
    </message>
    <message>
        <source> Schnittstellenparameter setzen...            </source>
        <translation> Set port parameters...            </translation>
    </message>
    <message>
        <source>Die serielle Schnittstelle %1 wurde mit folgenden Parametern initialisiert:        

%2</source>
        <translation>Serial port %1 was set up with these parameters:        

%2</translation>
    </message>
    <message>
        <source>Die Einstellungsdatei endet vor Zeile %1</source>
        <translation>The settings file ends before line %1</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; endet vor Zeile %2</source>
        <translation>The file &quot;%1&quot; ends before line %2</translation>
    </message>
    <message>
        <source>Zeile 50 (USB-Interface) der Einstellungsdatei ist keine Zahl</source>
        <translation>Line 50 (USB interface) of the settings file is not a number</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; kann nicht angelegt werden.

Der Ordner ist schreibgeschützt, nicht vorhanden oder der Name ist ungültig. Die bisherige Datei bleibt unverändert.</source>
        <translation>The file &quot;%1&quot; cannot be created.

The folder is read-only or missing, or the name is invalid. The existing file stays unchanged.</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; konnte nicht vollständig geschrieben werden (Datenträger voll?).

Die bisherige Datei bleibt unverändert.</source>
        <translation>The file &quot;%1&quot; could not be written completely (disk full?).

The existing file stays unchanged.</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; konnte nicht gespeichert werden (Datenträger voll oder Datei schreibgeschützt?).

Die bisherige Datei bleibt unverändert.</source>
        <translation>The file &quot;%1&quot; could not be saved (disk full or file read-only?).

The existing file stays unchanged.</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; wurde nicht gefunden</source>
        <translation>The file &quot;%1&quot; was not found</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; kann nicht gelesen werden</source>
        <translation>The file &quot;%1&quot; cannot be read</translation>
    </message>
    <message>
        <source>%1, Zeile %2: &quot;%3&quot; wird übergangen (Station, Adresse und Fahrstufen erwartet).</source>
        <translation>%1, line %2: &quot;%3&quot; is skipped (station, address and speed steps expected).</translation>
    </message>
    <message>
        <source>%1, Zeile %2: &quot;%3&quot; wird übergangen (kein gültiger Wert).</source>
        <translation>%1, line %2: &quot;%3&quot; is skipped (not a valid value).</translation>
    </message>
    <message>
        <source>trabolin: qtbase_de.qm fehlt (Paket qt6-translations-l10n), Qt-Dialoge bleiben englisch</source>
        <translation>trabolin: qtbase_de.qm is missing (package qt6-translations-l10n), Qt dialogs stay English</translation>
    </message>
    <message>
        <source>trabolin: Verkehrsprotokoll %1 kann nicht geöffnet werden: %2</source>
        <translation>trabolin: traffic log %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>wartet auf Kontakt %1</source>
        <translation>waiting for contact %1</translation>
    </message>
</context>
<context>
    <name>trabolin::Ablauf</name>
    <message>
        <source> Lokprofil...</source>
        <translation> Locomotive profile...</translation>
    </message>
    <message>
        <source>Für die Lok %1 auf der %2 (Fahrstufen %3) ist noch keine Geschwindigkeit gemessen.
Zeilen mit W oder w und &quot;Fahrstufe in km/h&quot; brauchen ein Lokprofil: bitte die Lok zuerst mit &quot;Lok einmessen ...&quot; einmessen.</source>
        <translation>No speed has been measured yet for locomotive %1 on the %2 (speed steps %3).
Lines with W or w and &quot;Speed step in km/h&quot; need a locomotive profile: please measure the locomotive first with &quot;Measure locomotive ...&quot;.</translation>
    </message>
    <message>
        <source>Zeile %1: Bei Fahrstufe %2 fährt die Lok nach ihrem Lokprofil nicht, eine Strecke ist so nicht zu fahren.</source>
        <translation>Line %1: according to its profile the locomotive does not move at speed step %2, so it cannot cover a distance.</translation>
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
    <name>trabolin::Cs2Treiber</name>
    <message>
        <source>Die Adresse liegt außerhalb des Bereichs für %1 (%2...%3) !
Bitte eine Adresse von %2 bis %3 eingeben oder ein anderes Protokoll wählen.</source>
        <translation>The address is outside the range for %1 (%2...%3)!
Please enter an address from %2 to %3 or choose another protocol.</translation>
    </message>
</context>
<context>
    <name>trabolin::Cs2Verbindung</name>
    <message>
        <source>CS2 verbunden (%1)</source>
        <translation>CS2 connected (%1)</translation>
    </message>
    <message>
        <source>Keine Antwort von der CS2 (%1:%2, %3)</source>
        <translation>No answer from the CS2 (%1:%2, %3)</translation>
    </message>
</context>
<context>
    <name>trabolin::DccexVerbindung</name>
    <message>
        <source>(die DCC-EX hat in %1 s nicht geantwortet: Schnittstelle, Baudrate 115200, Stromversorgung prüfen)</source>
        <translation>(the DCC-EX did not answer within %1 s: check the port, baud rate 115200 and power supply)</translation>
    </message>
</context>
<context>
    <name>trabolin::EcosTreiber</name>
    <message>
        <source>Die Ecos gibt ID %1 nicht frei: sie fährt nicht !</source>
        <translation>The Ecos does not release ID %1: it does not drive!</translation>
    </message>
    <message>
        <source>Die Ecos antwortet nicht auf die Kontrolle über ID %1: sie fährt nicht !</source>
        <translation>The Ecos does not answer the request to control ID %1: it does not drive!</translation>
    </message>
</context>
<context>
    <name>trabolin::Fahrbild</name>
    <message>
        <source>keine Zeile</source>
        <translation>no line</translation>
    </message>
    <message>
        <source>%1 %2, %3%4 %5, höchste Fahrstufe %6</source>
        <translation>%1 %2, %3%4 %5, top speed step %6</translation>
    </message>
    <message>
        <source>Zeile</source>
        <translation>line</translation>
    </message>
    <message>
        <source>Zeilen</source>
        <translation>lines</translation>
    </message>
    <message>
        <source>Fu</source>
        <translation>F0</translation>
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
    <name>trabolin::Messbild</name>
    <message>
        <source>Geschwindigkeit über Fahrstufe</source>
        <translation>Speed over speed step</translation>
    </message>
    <message>
        <source> Geschwindigkeit in mm/s über der Fahrstufe, vorwärts durchgezogen, rückwärts gestrichelt; die Kreise sind die gemessenen Stufen </source>
        <translation> speed in mm/s over the speed step, forwards solid, backwards dashed; the circles are the measured steps </translation>
    </message>
    <message>
        <source>Fahrstufe %1</source>
        <translation>speed step %1</translation>
    </message>
</context>
<context>
    <name>trabolin::Messfenster</name>
    <message>
        <source> Lok einmessen</source>
        <translation> Measure loco</translation>
    </message>
    <message>
        <source>Kontakt A</source>
        <translation>Contact A</translation>
    </message>
    <message>
        <source> der Kontakt, hinter dem die Lok steht (auf der Seite weg von B) </source>
        <translation> the contact behind which the loco stands (on the side away from B) </translation>
    </message>
    <message>
        <source>Kontakt B</source>
        <translation>Contact B</translation>
    </message>
    <message>
        <source> der Kontakt am Ende der Messstrecke </source>
        <translation> the contact at the end of the measuring section </translation>
    </message>
    <message>
        <source>Abstand (mm)</source>
        <translation>Distance (mm)</translation>
    </message>
    <message>
        <source> die Strecke zwischen A und B am Gleis gemessen, vom Anfang des einen Kontakts zum Anfang des anderen </source>
        <translation> the distance between A and B measured on the track, from the start of one contact to the start of the other </translation>
    </message>
    <message>
        <source>Maßstab</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source> rechnet mm/s der Modellbahn in km/h des Vorbilds um </source>
        <translation> converts the model&apos;s mm/s into the prototype&apos;s km/h </translation>
    </message>
    <message>
        <source>Fahrstufen</source>
        <translation>Speed steps</translation>
    </message>
    <message>
        <source> die zu messenden Fahrstufen, z. B. 8, 16, 32, 64, 126 </source>
        <translation> the speed steps to measure, e.g. 8, 16, 32, 64, 126 </translation>
    </message>
    <message>
        <source>Durchläufe</source>
        <translation>Runs</translation>
    </message>
    <message>
        <source> Fahrten je Fahrstufe und Richtung </source>
        <translation> runs per speed step and direction </translation>
    </message>
    <message>
        <source>&amp;Messen</source>
        <translation>&amp;Measure</translation>
    </message>
    <message>
        <source> fährt die Lok je Fahrstufe von A nach B und zurück und misst die Zeit </source>
        <translation> drives the loco from A to B and back at each speed step and measures the time </translation>
    </message>
    <message>
        <source>&amp;Abbrechen</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source> hält die Lok sofort an und beendet die Messung </source>
        <translation> stops the loco at once and ends the measurement </translation>
    </message>
    <message>
        <source>Messung</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>Fahrstufe</source>
        <translation>Speed step</translation>
    </message>
    <message>
        <source>vorwärts mm/s</source>
        <translation>forwards mm/s</translation>
    </message>
    <message>
        <source>rückwärts mm/s</source>
        <translation>backwards mm/s</translation>
    </message>
    <message>
        <source>Streuung %</source>
        <translation>Spread %</translation>
    </message>
    <message>
        <source>Misst ...</source>
        <translation>Measuring ...</translation>
    </message>
    <message>
        <source>Die Messung wurde abgebrochen; das Lokprofil bleibt, wie es war.</source>
        <translation>The measurement was cancelled; the loco profile stays as it was.</translation>
    </message>
    <message>
        <source>Lok %1 auf der %2, Fahrstufen %3</source>
        <translation>Loco %1 on the %2, speed steps %3</translation>
    </message>
    <message>
        <source>: eingemessen%1, %2 %3.</source>
        <translation>: measured%1, %2 %3.</translation>
    </message>
    <message>
        <source> am %1</source>
        <translation> on %1</translation>
    </message>
    <message>
        <source>dd.MM.yyyy</source>
        <translation>yyyy-MM-dd</translation>
    </message>
    <message>
        <source>: noch nicht eingemessen.</source>
        <translation>: not measured yet.</translation>
    </message>
    <message>
        <source>Bitte bei &quot;Fahrstufen&quot; Fahrstufen von 1 bis %1 eintragen, durch Kommas getrennt.</source>
        <translation>Please enter speed steps from 1 to %1 under &quot;Speed steps&quot;, separated by commas.</translation>
    </message>
    <message>
        <source>Die gewählte Zentrale meldet keine Kontakte: so kann keine Lok eingemessen werden.</source>
        <translation>The selected command station reports no contacts: no loco can be measured on it.</translation>
    </message>
    <message>
        <source> Lok einmessen...</source>
        <translation> Measure loco...</translation>
    </message>
    <message>
        <source>unruhig</source>
        <translation>unsteady</translation>
    </message>
    <message>
        <source>wiederholt</source>
        <translation>repeated</translation>
    </message>
    <message>
        <source>langsamer als darunter</source>
        <translation>slower than the step below</translation>
    </message>
    <message>
        <source> Diese Stufe bitte prüfen: die Lok rutscht, stockt oder die Kontakte melden ungleich </source>
        <translation> Please check this step: the loco slips, stalls or the contacts report unevenly </translation>
    </message>
    <message>
        <source>Fahrstufe</source>
        <comment>gezählt</comment>
        <translation>speed step</translation>
    </message>
    <message>
        <source>Fahrstufen</source>
        <comment>gezählt</comment>
        <translation>speed steps</translation>
    </message>
</context>
<context>
    <name>trabolin::Messlauf</name>
    <message>
        <source>Bitte bei &quot;Kontakt A&quot; und &quot;Kontakt B&quot; die Nummern der beiden Kontakte eintragen.</source>
        <translation>Please enter the numbers of the two contacts under &quot;Contact A&quot; and &quot;Contact B&quot;.</translation>
    </message>
    <message>
        <source>&quot;Kontakt A&quot; und &quot;Kontakt B&quot; müssen zwei verschiedene Kontakte sein.</source>
        <translation>&quot;Contact A&quot; and &quot;Contact B&quot; must be two different contacts.</translation>
    </message>
    <message>
        <source>Bitte bei &quot;Abstand (mm)&quot; die Strecke zwischen den beiden Kontakten in mm eintragen.</source>
        <translation>Please enter the distance between the two contacts in mm under &quot;Distance (mm)&quot;.</translation>
    </message>
    <message>
        <source>Bitte bei &quot;Fahrstufen&quot; die zu messenden Fahrstufen eintragen, zum Beispiel &quot;8, 16, 32, 64, 126&quot;.</source>
        <translation>Please enter the speed steps to measure under &quot;Speed steps&quot;, for example &quot;8, 16, 32, 64, 126&quot;.</translation>
    </message>
    <message>
        <source>Bitte bei &quot;Durchläufe&quot; mindestens 1 eintragen.</source>
        <translation>Please enter at least 1 under &quot;Runs&quot;.</translation>
    </message>
    <message>
        <source>Kontakt %1 hat sich nicht innerhalb von %2 s als belegt gemeldet (Fahrstufe %3, vorwärts).
Die Messung ist beendet, die Lok angehalten.</source>
        <translation>Contact %1 did not report occupied within %2 s (speed step %3, forward).
The measurement has ended, the locomotive is stopped.</translation>
    </message>
    <message>
        <source>Kontakt %1 hat sich nicht innerhalb von %2 s als belegt gemeldet (Fahrstufe %3, rückwärts).
Die Messung ist beendet, die Lok angehalten.</source>
        <translation>Contact %1 did not report occupied within %2 s (speed step %3, reverse).
The measurement has ended, the locomotive is stopped.</translation>
    </message>
    <message>
        <source>Kontakt %1 hat sich nicht innerhalb von %2 s als frei gemeldet (Fahrstufe %3, vorwärts).
Die Messung ist beendet, die Lok angehalten.</source>
        <translation>Contact %1 did not report free within %2 s (speed step %3, forward).
The measurement has ended, the locomotive is stopped.</translation>
    </message>
    <message>
        <source>Kontakt %1 hat sich nicht innerhalb von %2 s als frei gemeldet (Fahrstufe %3, rückwärts).
Die Messung ist beendet, die Lok angehalten.</source>
        <translation>Contact %1 did not report free within %2 s (speed step %3, reverse).
The measurement has ended, the locomotive is stopped.</translation>
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
    <name>trabolin::Programmliste</name>
    <message>
        <source>Fahrprogramme</source>
        <translation>Driving programs</translation>
    </message>
    <message>
        <source> ein Fahrprogramm je Lok; Strg+Tab wechselt </source>
        <translation> one driving program per loco; Ctrl+Tab switches </translation>
    </message>
    <message>
        <source>Lok anhal&amp;ten</source>
        <translation>S&amp;top loco</translation>
    </message>
    <message>
        <source> hält nur die Lok dieses Fahrprogramms an </source>
        <translation> stops only the loco of this driving program </translation>
    </message>
    <message>
        <source>Fa&amp;hrprogramm</source>
        <translation>Driving progra&amp;m</translation>
    </message>
    <message>
        <source>&amp;Neue Lok</source>
        <translation>&amp;New loco</translation>
    </message>
    <message>
        <source>Lok &amp;entfernen</source>
        <translation>&amp;Remove loco</translation>
    </message>
    <message>
        <source>&amp;Alle starten</source>
        <translation>Start &amp;all</translation>
    </message>
    <message>
        <source>Lok ein&amp;messen ...</source>
        <translation>&amp;Measure loco ...</translation>
    </message>
    <message>
        <source> Adresse...</source>
        <translation> Address...</translation>
    </message>
    <message>
        <source>%1 %2 fährt schon im Fahrprogramm %3 !</source>
        <translation>%1 %2 is already running in driving program %3 !</translation>
    </message>
    <message>
        <source> Neue Lok...</source>
        <translation> New loco...</translation>
    </message>
    <message>
        <source>Mehr als %1 Fahrprogramme gehen nicht !</source>
        <translation>No more than %1 driving programs are possible !</translation>
    </message>
    <message>
        <source> Lok entfernen...</source>
        <translation> Remove loco...</translation>
    </message>
    <message>
        <source>Fahrprogramm für %1 mit seiner Tabelle entfernen ?</source>
        <translation>Remove the driving program for %1 with its table ?</translation>
    </message>
    <message>
        <source> – fährt</source>
        <translation> – running</translation>
    </message>
    <message>
        <source> gesperrt, solange dieses Fahrprogramm fährt </source>
        <translation> locked while this driving program runs </translation>
    </message>
    <message>
        <source> während der Fahrt gesperrt </source>
        <translation> locked while running </translation>
    </message>
</context>
<context>
    <name>trabolin::Programmseite</name>
    <message>
        <source>Fahrprogramm</source>
        <translation>Driving program</translation>
    </message>
    <message>
        <source>&amp;Endlosschleife</source>
        <translation>&amp;Endless loop</translation>
    </message>
    <message>
        <source> führt das Programm endlos aus </source>
        <translation> runs the program endlessly </translation>
    </message>
    <message>
        <source>Programm</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Startzeit</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>Laufzeit</source>
        <translation>Running time</translation>
    </message>
    <message>
        <source>Dauer gesamt</source>
        <translation>Total time</translation>
    </message>
    <message>
        <source>noch</source>
        <translation>remaining</translation>
    </message>
    <message>
        <source>Adresse</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Datei:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Fahrstufe &amp;in km/h</source>
        <translation>Spee&amp;d in km/h</translation>
    </message>
    <message>
        <source> die Spalte Fahrstufe ist die Geschwindigkeit des Vorbilds in km/h; die Lok braucht dazu ein Lokprofil (Lok einmessen) </source>
        <translation> the column Speed step is the prototype&apos;s speed in km/h; the loco needs a loco profile for it (Measure loco) </translation>
    </message>
    <message>
        <source> während der Fahrt gesperrt </source>
        <translation> locked while running </translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Zeile einfügen</source>
        <translation>Insert line</translation>
    </message>
    <message>
        <source>fügt eine neue Zeile ein und schiebt alle folgenden Zeilen um eins nach unten</source>
        <translation>inserts a new line and moves all following lines down by one</translation>
    </message>
    <message>
        <source>Zeile löschen</source>
        <translation>Delete line</translation>
    </message>
    <message>
        <source>löscht die aktuelle Zeile und schiebt alle folgenden Zeilen um eins nach oben</source>
        <translation>deletes the current line and moves all following lines up by one</translation>
    </message>
    <message>
        <source>Zeile aufwärts</source>
        <translation>Line up</translation>
    </message>
    <message>
        <source>verschiebt die aktuelle Zeile um eins nach oben</source>
        <translation>moves the current line up by one</translation>
    </message>
    <message>
        <source>Zeile abwärts</source>
        <translation>Line down</translation>
    </message>
    <message>
        <source>verschiebt die aktuelle Zeile um eins nach unten</source>
        <translation>moves the current line down by one</translation>
    </message>
    <message>
        <source>Löschen</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>öffnet / schliesst das Lösch-Menu</source>
        <translation>opens / closes the delete menu</translation>
    </message>
    <message>
        <source>aktuelle Zeile </source>
        <translation>current line </translation>
    </message>
    <message>
        <source>löscht den Inhalt der aktuellen Zeile</source>
        <translation>clears the contents of the current line</translation>
    </message>
    <message>
        <source>Zeile + folgende</source>
        <translation>line + following</translation>
    </message>
    <message>
        <source>löscht die aktuelle und alle folgenden Zeilen</source>
        <translation>clears the current line and all following lines</translation>
    </message>
    <message>
        <source>Tabelle</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>löscht die komplette Tabelle</source>
        <translation>clears the whole table</translation>
    </message>
    <message>
        <source>Löschen ...</source>
        <translation>Delete ...</translation>
    </message>
    <message>
        <source>Adresse:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source> Kontaktfahrt...</source>
        <translation> Contact run...</translation>
    </message>
    <message>
        <source>Kontakt %1 nicht erreicht – Lok angehalten</source>
        <translation>Contact %1 not reached – loco stopped</translation>
    </message>
    <message>
        <source>Die %1 kann keine Kontakte lesen, Zeilen mit K oder k fahren nicht !</source>
        <translation>The %1 cannot read contacts, lines with K or k do not run !</translation>
    </message>
    <message>
        <source>%1.

Die Tabelle bleibt unverändert.</source>
        <translation>%1.

The table stays unchanged.</translation>
    </message>
    <message>
        <source>Die Datei &quot;%1&quot; ist keine vollständige Befehlsdatei: sie endet vor Zeile %2 von 26.

Die Tabelle bleibt unverändert.</source>
        <translation>The file &quot;%1&quot; is not a complete command file: it ends before line %2 of 26.

The table stays unchanged.</translation>
    </message>
    <message>
        <source> je Durchlauf</source>
        <translation> per pass</translation>
    </message>
</context>
<context>
    <name>trabolin::SerielleSchnittstelle</name>
    <message>
        <source> Keine gültige Schnittstellennummer - bitte 1, 2, 3 ... eingeben </source>
        <translation> Not a valid port number - please enter 1, 2, 3 ... </translation>
    </message>
    <message>
        <source> Zur Schnittstelle %1 gibt es kein Gerät </source>
        <translation> There is no device for port %1 </translation>
    </message>
    <message>
        <source> Schnittstelle %1 = %2 (über %3 im Programmverzeichnis), nicht vorhanden </source>
        <translation> Port %1 = %2 (via %3 in the program folder), not present </translation>
    </message>
    <message>
        <source> Schnittstelle %1 = %2 (über %3 im Programmverzeichnis) </source>
        <translation> Port %1 = %2 (via %3 in the program folder) </translation>
    </message>
    <message>
        <source> Schnittstelle %1 = %2 (über %3 in %4), nicht vorhanden </source>
        <translation> Port %1 = %2 (via %3 in %4), not present </translation>
    </message>
    <message>
        <source> Schnittstelle %1 = %2 (über %3 in %4) </source>
        <translation> Port %1 = %2 (via %3 in %4) </translation>
    </message>
    <message>
        <source> Schnittstelle %1 = %2, nicht vorhanden </source>
        <translation> Port %1 = %2, not present </translation>
    </message>
    <message>
        <source> Schnittstelle %1 = %2 </source>
        <translation> Port %1 = %2 </translation>
    </message>
    <message>
        <source>Die Schnittstelle lehnt die Parameter „%1“ ab: %2</source>
        <translation>The port refuses the parameters &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>trabolin::Tabellenspeicher</name>
    <message>
        <source> S/s Sekunden, M/m Minuten, F/f Richtungswechsel (6021), K/k fährt, bis der Kontakt mit der Nummer unter &quot;Dauer&quot; belegt meldet, W/w fährt &quot;Dauer&quot; cm weit (nach dem Lokprofil, erst W/w, dann bis 4 Ziffern); groß vorwärts, klein rückwärts </source>
        <translation> S/s seconds, M/m minutes, F/f change of direction (6021), K/k drives until the contact numbered under &quot;Time&quot; reports occupied, W/w drives &quot;Time&quot; cm (by the locomotive profile, first W/w, then up to 4 digits); capital forward, small reverse </translation>
    </message>
    <message>
        <source>Dauer</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Einheit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Fahrstufe</source>
        <translation>Speed step</translation>
    </message>
    <message>
        <source>Fu</source>
        <translation>F0</translation>
    </message>
</context>
<context>
    <name>trabolin::Z21Treiber</name>
    <message>
        <source>Die Z21 kennt keine 27 Fahrstufen, bitte 14, 28 oder 128 wählen !</source>
        <translation>The Z21 has no 27 speed steps, please choose 14, 28 or 128!</translation>
    </message>
</context>
<context>
    <name>trabolin::Z21Verbindung</name>
    <message>
        <source>Z21 verbunden, Seriennummer %1</source>
        <translation>Z21 connected, serial number %1</translation>
    </message>
</context>
<context>
    <name>trabolin::Zentrale</name>
    <message>
        <source>CS&amp;2/CS3</source>
        <translation>CS&amp;2/CS3</translation>
    </message>
    <message>
        <source> Märklin Central Station 2 oder 3 über Netzwerk </source>
        <translation> Märklin Central Station 2 or 3 over the network </translation>
    </message>
    <message>
        <source>Adresse:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>PC mit CS2 verbinden</source>
        <translation>Connect PC to CS2</translation>
    </message>
    <message>
        <source> stellt die Verbindung zwischen PC und CS2 her (TCP oder UDP) </source>
        <translation> connects the PC to the CS2 (TCP or UDP) </translation>
    </message>
    <message>
        <source> setzt den von Märklin vorgegebenen Standardport (15731) </source>
        <translation> puts Märklin&apos;s default port (15731) </translation>
    </message>
    <message>
        <source>letzte Antwort der CS2</source>
        <translation>last answer of the CS2</translation>
    </message>
    <message>
        <source>Proto&amp;koll</source>
        <translation>Trac&amp;k protocol</translation>
    </message>
    <message>
        <source> das Gleisprotokoll der Lok: MM2 1...255, DCC 1...10239, mfx 1...16383 </source>
        <translation> the locomotive&apos;s track protocol: MM2 1...255, DCC 1...10239, mfx 1...16383 </translation>
    </message>
    <message>
        <source>ü&amp;ber UDP</source>
        <translation>&amp;via UDP</translation>
    </message>
    <message>
        <source> UDP an Port 15731, Antworten auf Port 15730, für eine CS2 ohne TCP-Gateway </source>
        <translation> UDP to port 15731, answers on port 15730, for a CS2 without TCP gateway </translation>
    </message>
    <message>
        <source> CS2...</source>
        <translation> CS2...</translation>
    </message>
    <message>
        <source>Keine Antwort von der CS2 !
Bitte IP-Adresse und LocalPort prüfen und ob das CAN-Gateway der Central Station eingeschaltet ist (TCP, oder UDP mit &quot;über UDP&quot;).</source>
        <translation>No answer from the CS2!
Please check the IP address and LocalPort, and that the Central Station&apos;s CAN gateway is switched on (TCP, or UDP with &quot;via UDP&quot;).</translation>
    </message>
    <message>
        <source>DCC-E&amp;X</source>
        <translation>DCC-E&amp;X</translation>
    </message>
    <message>
        <source> DCC-EX (Arduino oder ESP32) über USB oder Netzwerk </source>
        <translation> DCC-EX (Arduino or ESP32) over USB or the network </translation>
    </message>
    <message>
        <source>PC mit DCC-EX verbinden</source>
        <translation>Connect PC to DCC-EX</translation>
    </message>
    <message>
        <source> stellt die TCP-Verbindung zwischen PC und DCC-EX her </source>
        <translation> makes the TCP connection between the PC and the DCC-EX </translation>
    </message>
    <message>
        <source> setzt den Standardport der DCC-EX (2560) </source>
        <translation> puts the DCC-EX&apos;s default port (2560) </translation>
    </message>
    <message>
        <source>letzte Antworten der DCC-EX</source>
        <translation>last answers of the DCC-EX</translation>
    </message>
    <message>
        <source>über Netz&amp;werk</source>
        <translation>via net&amp;work</translation>
    </message>
    <message>
        <source> DCC-EX über das Netzwerk (WiFi, Ethernet) statt über USB </source>
        <translation> DCC-EX over the network (WiFi, Ethernet) instead of USB </translation>
    </message>
    <message>
        <source>Ecos</source>
        <translation>Ecos</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>ID:</translation>
    </message>
    <message>
        <source>PC mit Ecos verbinden</source>
        <translation>Connect PC to Ecos</translation>
    </message>
    <message>
        <source> stellt die TCP-Verbindung zwischen PC und Ecos her </source>
        <translation> makes the TCP connection between the PC and the Ecos </translation>
    </message>
    <message>
        <source> setzt den von ESU vorgegebenen Standardwert </source>
        <translation> puts ESU&apos;s default value </translation>
    </message>
    <message>
        <source>letzte Antwort der Ecos</source>
        <translation>last answer of the Ecos</translation>
    </message>
    <message>
        <source>&amp;Lenz V3.0</source>
        <translation>&amp;Lenz V3.0</translation>
    </message>
    <message>
        <source> Lenz LZ100 V3.0</source>
        <translation> Lenz LZ100 V3.0</translation>
    </message>
    <message>
        <source>&amp;6021, IB, MC</source>
        <translation>&amp;6021, IB, MC</translation>
    </message>
    <message>
        <source> 6021 &amp; 6051, IntelliBox, MasterControl u.ä. </source>
        <translation> 6021 &amp; 6051, IntelliBox, MasterControl and the like </translation>
    </message>
    <message>
        <source>Z2&amp;1</source>
        <translation>Z2&amp;1</translation>
    </message>
    <message>
        <source> Roco / Fleischmann Z21 </source>
        <translation> Roco / Fleischmann Z21 </translation>
    </message>
    <message>
        <source>PC mit Z21 verbinden</source>
        <translation>Connect PC to Z21</translation>
    </message>
    <message>
        <source> stellt die UDP-Verbindung zwischen PC und Z21 her </source>
        <translation> makes the UDP connection between the PC and the Z21 </translation>
    </message>
    <message>
        <source> setzt den von Roco vorgegebenen Standardwert </source>
        <translation> puts Roco&apos;s default value </translation>
    </message>
    <message>
        <source>letzte Antwort der Z21</source>
        <translation>last answer of the Z21</translation>
    </message>
    <message>
        <source> Verbindungsaufbau gescheitert...</source>
        <translation> Connection failed...</translation>
    </message>
    <message>
        <source>Die %1 antwortet nicht !             </source>
        <translation>The %1 does not answer!             </translation>
    </message>
    <message>
        <source>Kontakt-Zeit&amp;grenze (s)</source>
        <translation>Lon&amp;gest wait for a contact (s)</translation>
    </message>
    <message>
        <source> so lange wartet eine Zeile mit K oder k höchstens auf ihren Kontakt, dann hält die Lok an </source>
        <translation> the longest a line with K or k waits for its contact, then the locomotive stops </translation>
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

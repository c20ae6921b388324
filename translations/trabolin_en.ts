<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>trabolin</name>
    <message>
        <source>wartet auf Kontakt %1</source>
        <translation>waiting for contact %1</translation>
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
    <name>trabolin::frmTrabolin</name>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;Help</translation>
    </message>
</context>
</TS>

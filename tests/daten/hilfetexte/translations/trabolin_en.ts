<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>trabolin::Programmliste</name>
    <message>
        <source>Lok anhal&amp;ten</source>
        <translation>S&amp;top loco</translation>
    </message>
    <message>
        <source>Fahrprogramm für %1 mit seiner Tabelle entfernen ?</source>
        <translation>Remove the driving program for %1 with its table ?</translation>
    </message>
</context>
<context>
    <name>trabolin::Programmseite</name>
    <message>
        <source>Kontakt %1 nicht erreicht – Lok angehalten</source>
        <translation>Contact %1 not reached – loco stopped</translation>
    </message>
    <message>
        <source>Dauer gesamt</source>
        <translation type="unfinished">Total time</translation>
    </message>
</context>
<context>
    <name>trabolin</name>
    <message>
        <source>Die Gleisspannung ist abgeschaltet !
Bitte zuerst die Gleisspannung wieder einschalten.</source>
        <translation>The track power is off!
Please switch the track power back on first.</translation>
    </message>
    <message>
        <source>aktuelle Daten in &apos;Trabolin.ini&apos; speichern ?</source>
        <translation>save the current data to &apos;Trabolin.ini&apos;?</translation>
    </message>
    <message>
        <source>CS2 verbunden (%1)</source>
        <translation>CS2 connected (%1)</translation>
    </message>
    <message>
        <source> 6021 &amp; 6051, IntelliBox, MasterControl u.ä. </source>
        <translation> 6021 &amp; 6051, IntelliBox, MasterControl and the like </translation>
    </message>
    <message>
        <source>Die Messung wurde abgebrochen; das Lokprofil bleibt, wie es war.</source>
        <translation>The measurement was cancelled; the loco profile stays as it was.</translation>
    </message>
</context>
</TS>

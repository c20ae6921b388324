<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
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
    <name>trabolin::frmTrabolin</name>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;Help</translation>
    </message>
</context>
</TS>

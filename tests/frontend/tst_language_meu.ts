<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A marker catalogue for tst_language, installed as Meu_en.qm. -->
<TS version="2.1" language="de">
<context>
    <name>MainWindow</name>
    <message>
        <source>Datei</source>
        <translation>MEU:Datei</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A marker catalogue for tst_language, installed as A2Ltranslator_la.qm. -->
<TS version="2.1" language="en">
<context>
    <name>MainWindow</name>
    <message>
        <source>Datei</source>
        <translation>LA:File</translation>
    </message>
</context>
<context>
    <name>LanguageSelection</name>
    <message>
        <source>Sprachauswahl</source>
        <translation>LA:Language</translation>
    </message>
</context>
</TS>

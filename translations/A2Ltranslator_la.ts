<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="de_DE">
<context>
    <name>LanguageSelection</name>
    <message>
        <source>Sprachauswahl</source>
        <translation>Language selection</translation>
    </message>
    <message>
        <source>Deutsch</source>
        <translation>German</translation>
    </message>
    <message>
        <source>Englisch</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Sprache übernehmen und dieses Fenster schließen</source>
        <translation>Apply language and close this window</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Neustart erforderlich</source>
        <translation>Restart required</translation>
    </message>
    <message>
        <source>Bitte Programm neu starten, um Änderungen zu übernehmen.</source>
        <translation>Please restart the program to apply the changes.</translation>
    </message>
    <message>
        <source>Direkt neu starten</source>
        <translation>Restart now</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quillmoor Converter</source>
        <translation>Quillmoor Converter</translation>
    </message>
    <message>
        <source>Ursprungsdatei</source>
        <translation>Source file</translation>
    </message>
    <message>
        <source>Hier wird die zu konvertierende A2L ausgewählt</source>
        <translation>Select the A2L file to convert here</translation>
    </message>
    <message>
        <source>Ursprungs-A2L*</source>
        <translation>Source A2L*</translation>
    </message>
    <message>
        <source>Datei auswählen...</source>
        <translation>Select file...</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Ausgabeformat</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Die Ausgabedatei wird komprimiert&lt;br/&gt;-------------&lt;br/&gt;Diese Option wird für die Übertragung an den Logger empfohlen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;The output file is compressed&lt;br/&gt;-------------&lt;br/&gt;Recommended for transferring the file to the logger&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Datei &amp;zlib komprimieren</source>
        <translation>Compress file with &amp;zlib</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Bei unkomprimierter Ausgabe wird die Zeileneinrückung aktiviert, dies dient zur besseren Lesbarkeit der Datei&lt;br/&gt;-------------&lt;br/&gt;Diese Option ist für die menschenlesbare Ausgabe der .cfginclude empfohlen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Uncompressed output is written with indented lines, which makes the file easier to read&lt;br/&gt;-------------&lt;br/&gt;Recommended for a human-readable .cfginclude&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Datei in Klarte&amp;xt ausgeben</source>
        <translation>Write file as plain te&amp;xt</translation>
    </message>
    <message>
        <source>Parameter der Ausgabedatei</source>
        <translation>Output file parameters</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Hier können Sie ein Signal-Prefix festlegen&lt;br/&gt;-------------&lt;br/&gt;Das Signal-Prefix muss dem in der Hauptkonfig entsprechen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set a signal prefix here&lt;br/&gt;-------------&lt;br/&gt;The signal prefix must match the one in the main configuration&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Signal-Prefix</source>
        <translation>Signal prefix</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Hier können Sie einen Stationsnamen festlegen&lt;br/&gt;-------------&lt;br/&gt;Der Stationsname muss dem in der Hauptkonfig entsprechen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set a station name here&lt;br/&gt;-------------&lt;br/&gt;The station name must match the one in the main configuration&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Stationsname</source>
        <translation>Station name</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Hier wird das Ausgabeverzeichnis für die .cfginclude festgelegt&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set the folder and file name of the output .cfginclude here&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Ausgabeverzeichnis*</source>
        <translation>Output file*</translation>
    </message>
    <message>
        <source>Verzeichnis wählen...</source>
        <translation>Choose output file...</translation>
    </message>
    <message>
        <source>Kompatible Versionen</source>
        <translation>Compatible versions</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Erw.</source>
        <translation>Adv.</translation>
    </message>
    <message>
        <source>* = Diese Felder sind Pflichtfelder</source>
        <translation>* = Required fields</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Jetzt konvertieren!&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Convert now!&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Konvertieren</source>
        <translation>Convert</translation>
    </message>
    <message>
        <source>A2L konvertieren</source>
        <translation>Convert A2L</translation>
    </message>
    <message>
        <source>Dateiauswahl</source>
        <translation>File selection</translation>
    </message>
    <message>
        <source>Hier wird das zu vergleichende A2L ausgewählt</source>
        <translation>Select the new A2L file to compare here</translation>
    </message>
    <message>
        <source>Neues A2L-File*</source>
        <translation>New A2L file*</translation>
    </message>
    <message>
        <source>Hier wird das bisher genutzte A2L ausgewählt</source>
        <translation>Select the previously used A2L file here</translation>
    </message>
    <message>
        <source>Bisheriges A2L-File*</source>
        <translation>Previous A2L file*</translation>
    </message>
    <message>
        <source>Optionen</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Zeigt alle verglichenen Werte und die Einzelresultate der Vergleiche an</source>
        <translation>Shows every compared value and the result of each comparison</translation>
    </message>
    <message>
        <source>Detailausgabe</source>
        <translation>Detailed output</translation>
    </message>
    <message>
        <source>Ausgabefenster</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Jetzt vergleichen!</source>
        <translation>Compare now!</translation>
    </message>
    <message>
        <source>Vergleichen</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>A2L Vergleich</source>
        <translation>Compare A2L</translation>
    </message>
    <message>
        <source>Datei auswählen (.cfginclude)*</source>
        <translation>Select file (.cfginclude)*</translation>
    </message>
    <message>
        <source>Dekomprimieren</source>
        <translation>Decompress</translation>
    </message>
    <message>
        <source>CfgInclude dekomprimieren</source>
        <translation>Decompress CfgInclude</translation>
    </message>
    <message>
        <source>Optionales Ausgabefenster</source>
        <translation>Optional log window</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Beenden</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Sprachen</source>
        <translation>Languages</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Über Quillmoor</source>
        <translation>About Quillmoor</translation>
    </message>
    <message>
        <source>Dokumentation</source>
        <translation>Documentation</translation>
    </message>
    <message>
        <source>Handbuch</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Auswahl der Ursprungs-A2L...</source>
        <translation>Select the source A2L...</translation>
    </message>
    <message>
        <source>A2L-Datei (*.a2l)</source>
        <translation>A2L file (*.a2l)</translation>
    </message>
    <message>
        <source>Auswahl des Zielverzeichnisses und Dateinamen...</source>
        <translation>Select the output folder and file name...</translation>
    </message>
    <message>
        <source>cfg-include-Dateien (*.cfginclude)</source>
        <translation>cfg include files (*.cfginclude)</translation>
    </message>
    <message>
        <source>Fehlende Argumente</source>
        <translation>Missing arguments</translation>
    </message>
    <message>
        <source>Der Pfad der Ursprungs-A2L und/oder der Pfad und Name der Ausgabe .cfginclude wurden nicht angegeben!

Bitte korrigieren!</source>
        <translation>The path of the source A2L and/or the path and name of the output .cfginclude are missing!

Please correct this!</translation>
    </message>
    <message>
        <source>Auswahl der bisherigen A2L...</source>
        <translation>Select the previous A2L...</translation>
    </message>
    <message>
        <source>Auswahl der neuen A2L...</source>
        <translation>Select the new A2L...</translation>
    </message>
    <message>
        <source>Der Pfad der bisherigen A2L und/oder der Pfad der neuen A2L wurden nicht angegeben!

Bitte korrigieren!</source>
        <translation>The path of the previous A2L and/or the path of the new A2L are missing!

Please correct this!</translation>
    </message>
    <message>
        <source>Auswahl der CfgInclude...</source>
        <translation>Select the CfgInclude...</translation>
    </message>
    <message>
        <source>CfgInclude-Datei (*.cfginclude)</source>
        <translation>CfgInclude file (*.cfginclude)</translation>
    </message>
    <message>
        <source>Fehler bei der Verarbeitung!
</source>
        <translation>Processing failed!
</translation>
    </message>
    <message>
        <source>A2L wurde konvertiert!</source>
        <translation>The A2L file has been converted!</translation>
    </message>
    <message>
        <source>A2L's wurden verglichen!</source>
        <translation>The A2L files have been compared!</translation>
    </message>
    <message>
        <source>CfgInclude wurde dekomprimiert!</source>
        <translation>The CfgInclude has been decompressed!</translation>
    </message>
    <message>
        <source>Abgeschlossen!</source>
        <translation>Finished!</translation>
    </message>
    <message>
        <source>Fehler!</source>
        <translation>Error!</translation>
    </message>
    <message>
        <source>Fehler bei der Verarbeitung! Für weitere Informationen bitte das optionale Ausgabefenster aktivieren.</source>
        <translation>Processing failed! For more information, please turn on the optional log window.</translation>
    </message>
    <message>
        <source>Dateifehler</source>
        <translation>File error</translation>
    </message>
    <message>
        <source>Versionsdatei (%1) wurde nicht gefunden.</source>
        <translation>Versions file (%1) was not found.</translation>
    </message>
    <message>
        <source>1.4.4 bis 1.5.4</source>
        <translation>1.4.4 to 1.5.4</translation>
    </message>
    <message>
        <source>1.5.5 bis 2017.06</source>
        <translation>1.5.5 to 2017.06</translation>
    </message>
    <message>
        <source>2017.06+</source>
        <translation>2017.06+</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>Warnung!</source>
        <translation>Warning!</translation>
    </message>
    <message>
        <source>Auswahl der End-Version muss größer sein als die Start-Version!</source>
        <translation>The end version must be later than the start version!</translation>
    </message>
    <message>
        <source>Der ausgewählte Versionsbereich ist leider nicht kompatibel! 
Folgende Bereiche sind erlaubt:

1.4.4 - 1.5.4
1.5.5 - 2017.06.0
2017.06.0 - 2019.02</source>
        <translation>Unfortunately, the selected version range is not compatible! 
The following ranges are allowed:

1.4.4 - 1.5.4
1.5.5 - 2017.06.0
2017.06.0 - 2019.02</translation>
    </message>
    <message>
        <source>KOLDAN Quillmoor</source>
        <translation>KOLDAN Quillmoor</translation>
    </message>
    <message>
        <source>Der vorherige Lauf dieses Auftrags ist noch nicht beendet.

Bitte warten, bis er abgeschlossen ist.</source>
        <translation>The previous run of this job has not finished yet.

Please wait until it is complete.</translation>
    </message>
    <message>
        <source>%1 konnte nicht gestartet werden (%2).</source>
        <translation>%1 could not be started (%2).</translation>
    </message>
    <message>
        <source>%1 ist abgestürzt.</source>
        <translation>%1 crashed.</translation>
    </message>
    <message>
        <source>%1 wurde mit dem Exit-Code %2 ohne Ergebnis beendet.</source>
        <translation>%1 ended with exit code %2 without a result.</translation>
    </message>
    <message>
        <source>Version %1 (GUI)
Version %2 (Converter)

© %3 KOLDAN Messtechnik
© %4 KOLDAN Messtechnik und das Quillmoor-Team</source>
        <translation>Version %1 (GUI)
Version %2 (Converter)

© %3 KOLDAN Messtechnik
© %4 KOLDAN Messtechnik and the Quillmoor team</translation>
    </message>
</context>
</TS>

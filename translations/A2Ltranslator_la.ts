<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="de_DE">
<context>
    <name>LanguageSelection</name>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="12"/>
        <source>Sprachauswahl</source>
        <translation>Language selection</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="15"/>
        <source>Deutsch</source>
        <translation>German</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="16"/>
        <source>Englisch</source>
        <translation>English</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="20"/>
        <source>Sprache übernehmen und dieses Fenster schließen</source>
        <translation>Apply language and close this window</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="22"/>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="40"/>
        <source>Neustart erforderlich</source>
        <translation>Restart required</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="41"/>
        <source>Bitte Programm neu starten, um Änderungen zu übernehmen.</source>
        <translation>Please restart the program to apply the changes.</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/languageselection.cpp" line="43"/>
        <source>Direkt neu starten</source>
        <translation>Restart now</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="294"/>
        <source>Quillmoor Converter</source>
        <translation>Quillmoor Converter</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="295"/>
        <source>Ursprungsdatei</source>
        <translation>Source file</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="296"/>
        <source>Hier wird die zu konvertierende A2L ausgewählt</source>
        <translation>Select the A2L file to convert here</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="297"/>
        <source>Ursprungs-A2L*</source>
        <translation>Source A2L*</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="298"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="336"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="340"/>
        <source>Datei auswählen...</source>
        <translation>Select file...</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="299"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="326"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="337"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="341"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="356"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="357"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="300"/>
        <source>Ausgabeformat</source>
        <translation>Output format</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="302"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Die Ausgabedatei wird komprimiert&lt;br/&gt;-------------&lt;br/&gt;Diese Option wird für die Übertragung an den Logger empfohlen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;The output file is compressed&lt;br/&gt;-------------&lt;br/&gt;Recommended for transferring the file to the logger&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="304"/>
        <source>Datei &amp;zlib komprimieren</source>
        <translation>Compress file with &amp;zlib</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="306"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Bei unkomprimierter Ausgabe wird die Zeileneinrückung aktiviert, dies dient zur besseren Lesbarkeit der Datei&lt;br/&gt;-------------&lt;br/&gt;Diese Option ist für die menschenlesbare Ausgabe der .cfginclude empfohlen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Uncompressed output is written with indented lines, which makes the file easier to read&lt;br/&gt;-------------&lt;br/&gt;Recommended for a human-readable .cfginclude&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="310"/>
        <source>Datei in Klarte&amp;xt ausgeben</source>
        <translation>Write file as plain te&amp;xt</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="311"/>
        <source>Parameter der Ausgabedatei</source>
        <translation>Output file parameters</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="313"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Hier können Sie ein Signal-Prefix festlegen&lt;br/&gt;-------------&lt;br/&gt;Das Signal-Prefix muss dem in der Hauptkonfig entsprechen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set a signal prefix here&lt;br/&gt;-------------&lt;br/&gt;The signal prefix must match the one in the main configuration&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="315"/>
        <source>Signal-Prefix</source>
        <translation>Signal prefix</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="317"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Hier können Sie einen Stationsnamen festlegen&lt;br/&gt;-------------&lt;br/&gt;Der Stationsname muss dem in der Hauptkonfig entsprechen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set a station name here&lt;br/&gt;-------------&lt;br/&gt;The station name must match the one in the main configuration&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="320"/>
        <source>Stationsname</source>
        <translation>Station name</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="322"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Hier wird das Ausgabeverzeichnis für die .cfginclude festgelegt&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set the folder and file name of the output .cfginclude here&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="324"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="354"/>
        <source>Ausgabeverzeichnis*</source>
        <translation>Output file*</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="325"/>
        <source>Verzeichnis wählen...</source>
        <translation>Choose output file...</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="327"/>
        <source>Kompatible Versionen</source>
        <translation>Compatible versions</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="328"/>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="329"/>
        <source>Erw.</source>
        <translation>Adv.</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="330"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="349"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="359"/>
        <source>* = Diese Felder sind Pflichtfelder</source>
        <translation>* = Required fields</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="332"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Jetzt konvertieren!&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Convert now!&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="333"/>
        <source>Konvertieren</source>
        <translation>Convert</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="334"/>
        <source>A2L konvertieren</source>
        <translation>Convert A2L</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="335"/>
        <location filename="../frontend/app/mainwindowform.cpp" line="353"/>
        <source>Dateiauswahl</source>
        <translation>File selection</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="338"/>
        <source>Hier wird das zu vergleichende A2L ausgewählt</source>
        <translation>Select the new A2L file to compare here</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="339"/>
        <source>Neues A2L-File*</source>
        <translation>New A2L file*</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="342"/>
        <source>Hier wird das bisher genutzte A2L ausgewählt</source>
        <translation>Select the previously used A2L file here</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="343"/>
        <source>Bisheriges A2L-File*</source>
        <translation>Previous A2L file*</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="344"/>
        <source>Optionen</source>
        <translation>Options</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="346"/>
        <source>Zeigt alle verglichenen Werte und die Einzelresultate der Vergleiche an</source>
        <translation>Shows every compared value and the result of each comparison</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="347"/>
        <source>Detailausgabe</source>
        <translation>Detailed output</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="348"/>
        <source>Ausgabefenster</source>
        <translation>Output</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="350"/>
        <source>Jetzt vergleichen!</source>
        <translation>Compare now!</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="351"/>
        <source>Vergleichen</source>
        <translation>Compare</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="352"/>
        <source>A2L Vergleich</source>
        <translation>Compare A2L</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="355"/>
        <source>Datei auswählen (.cfginclude)*</source>
        <translation>Select file (.cfginclude)*</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="358"/>
        <source>Dekomprimieren</source>
        <translation>Decompress</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="360"/>
        <source>CfgInclude dekomprimieren</source>
        <translation>Decompress CfgInclude</translation>
    </message>
    <message>
        <location filename="../frontend/app/mainwindowform.cpp" line="361"/>
        <location filename="../frontend/app/menus.cpp" line="22"/>
        <source>Optionales Ausgabefenster</source>
        <translation>Optional log window</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="17"/>
        <source>Datei</source>
        <translation>File</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="18"/>
        <source>Beenden</source>
        <translation>Exit</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="20"/>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="21"/>
        <source>Sprachen</source>
        <translation>Languages</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="27"/>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="28"/>
        <source>Über Quillmoor</source>
        <translation>About Quillmoor</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="29"/>
        <source>Dokumentation</source>
        <translation>Documentation</translation>
    </message>
    <message>
        <location filename="../frontend/app/menus.cpp" line="30"/>
        <source>Handbuch</source>
        <translation>Manual</translation>
    </message>
    <message>
        <location filename="../frontend/converter/convertworkflow.cpp" line="13"/>
        <source>Auswahl der Ursprungs-A2L...</source>
        <translation>Select the source A2L...</translation>
    </message>
    <message>
        <location filename="../frontend/converter/compareworkflow.cpp" line="11"/>
        <location filename="../frontend/converter/compareworkflow.cpp" line="20"/>
        <location filename="../frontend/converter/convertworkflow.cpp" line="14"/>
        <source>A2L-Datei (*.a2l)</source>
        <translation>A2L file (*.a2l)</translation>
    </message>
    <message>
        <location filename="../frontend/converter/filechoice.cpp" line="26"/>
        <source>Auswahl des Zielverzeichnisses und Dateinamen...</source>
        <translation>Select the output folder and file name...</translation>
    </message>
    <message>
        <location filename="../frontend/converter/filechoice.cpp" line="27"/>
        <source>cfg-include-Dateien (*.cfginclude)</source>
        <translation>cfg include files (*.cfginclude)</translation>
    </message>
    <message>
        <location filename="../frontend/converter/compareworkflow.cpp" line="40"/>
        <location filename="../frontend/converter/convertworkflow.cpp" line="67"/>
        <location filename="../frontend/converter/decompressworkflow.cpp" line="33"/>
        <source>Fehlende Argumente</source>
        <translation>Missing arguments</translation>
    </message>
    <message>
        <location filename="../frontend/converter/convertworkflow.cpp" line="68"/>
        <source>Der Pfad der Ursprungs-A2L und/oder der Pfad und Name der Ausgabe .cfginclude wurden nicht angegeben!

Bitte korrigieren!</source>
        <translation>The path of the source A2L and/or the path and name of the output .cfginclude are missing!

Please correct this!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/compareworkflow.cpp" line="11"/>
        <source>Auswahl der bisherigen A2L...</source>
        <translation>Select the previous A2L...</translation>
    </message>
    <message>
        <location filename="../frontend/converter/compareworkflow.cpp" line="20"/>
        <source>Auswahl der neuen A2L...</source>
        <translation>Select the new A2L...</translation>
    </message>
    <message>
        <location filename="../frontend/converter/compareworkflow.cpp" line="41"/>
        <source>Der Pfad der bisherigen A2L und/oder der Pfad der neuen A2L wurden nicht angegeben!

Bitte korrigieren!</source>
        <translation>The path of the previous A2L and/or the path of the new A2L are missing!

Please correct this!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/decompressworkflow.cpp" line="20"/>
        <source>Auswahl der CfgInclude...</source>
        <translation>Select the CfgInclude...</translation>
    </message>
    <message>
        <location filename="../frontend/converter/decompressworkflow.cpp" line="21"/>
        <source>CfgInclude-Datei (*.cfginclude)</source>
        <translation>CfgInclude file (*.cfginclude)</translation>
    </message>
    <message>
        <location filename="../frontend/converter/decompressworkflow.cpp" line="33"/>
        <source>Fehler bei der Verarbeitung!
</source>
        <translation>Processing failed!
</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="167"/>
        <source>A2L wurde konvertiert!</source>
        <translation>The A2L file has been converted!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="162"/>
        <source>A2L&apos;s wurden verglichen!</source>
        <translation>The A2L files have been compared!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="165"/>
        <source>CfgInclude wurde dekomprimiert!</source>
        <translation>The CfgInclude has been decompressed!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="100"/>
        <source>Abgeschlossen!</source>
        <translation>Finished!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="104"/>
        <location filename="../frontend/versions/versionselection.cpp" line="61"/>
        <source>Fehler!</source>
        <translation>Error!</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="105"/>
        <source>Fehler bei der Verarbeitung! Für weitere Informationen bitte das optionale Ausgabefenster aktivieren.</source>
        <translation>Processing failed! For more information, please turn on the optional log window.</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="24"/>
        <source>Dateifehler</source>
        <translation>File error</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="25"/>
        <source>Versionsdatei (%1) wurde nicht gefunden.</source>
        <translation>Versions file (%1) was not found.</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="32"/>
        <source>1.4.4 bis 1.5.4</source>
        <translation>1.4.4 to 1.5.4</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="32"/>
        <source>1.5.5 bis 2017.06</source>
        <translation>1.5.5 to 2017.06</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="32"/>
        <source>2017.06+</source>
        <translation>2017.06+</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="43"/>
        <location filename="../frontend/versions/versionselection.cpp" line="45"/>
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="31"/>
        <location filename="../frontend/versions/versionselection.cpp" line="77"/>
        <source>Warnung!</source>
        <translation>Warning!</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="78"/>
        <source>Auswahl der End-Version muss größer sein als die Start-Version!</source>
        <translation>The end version must be later than the start version!</translation>
    </message>
    <message>
        <location filename="../frontend/versions/versionselection.cpp" line="62"/>
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
        <location filename="../frontend/prefs/about.cpp" line="31"/>
        <source>KOLDAN Quillmoor</source>
        <translation>KOLDAN Quillmoor</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="32"/>
        <source>Der vorherige Lauf dieses Auftrags ist noch nicht beendet.

Bitte warten, bis er abgeschlossen ist.</source>
        <translation>The previous run of this job has not finished yet.

Please wait until it is complete.</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="191"/>
        <source>%1 konnte nicht gestartet werden (%2).</source>
        <translation>%1 could not be started (%2).</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="194"/>
        <source>%1 ist abgestürzt.</source>
        <translation>%1 crashed.</translation>
    </message>
    <message>
        <location filename="../frontend/converter/jobs.cpp" line="196"/>
        <source>%1 wurde mit dem Exit-Code %2 ohne Ergebnis beendet.</source>
        <translation>%1 ended with exit code %2 without a result.</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/about.cpp" line="27"/>
        <source>Version %1 (GUI)
Version %2 (Converter)

© %3 KOLDAN Messtechnik
© %4 KOLDAN Messtechnik und das Quillmoor-Team</source>
        <translation>Version %1 (GUI)
Version %2 (Converter)

© %3 KOLDAN Messtechnik
© %4 KOLDAN Messtechnik and the Quillmoor team</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/about.cpp" line="44"/>
        <source>Das Handbuch %1 wurde weder im Arbeitsverzeichnis noch im Programmordner gefunden.</source>
        <translation>The manual %1 was found neither in the working directory nor in the program folder.</translation>
    </message>
    <message>
        <location filename="../frontend/prefs/about.cpp" line="51"/>
        <source>Das Handbuch %1 konnte nicht geöffnet werden. Ist ein Programm zum Anzeigen von PDF-Dateien installiert?</source>
        <translation>The manual %1 could not be opened. Is a program for viewing PDF files installed?</translation>
    </message>
</context>
</TS>

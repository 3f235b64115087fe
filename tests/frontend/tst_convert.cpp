// The convert tab: fragments, the command and what the converter receives, the
// mandatory paths, the file dialogs with the suggested output path.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

const QString kMissingText = QStringLiteral(
    "Der Pfad der Ursprungs-A2L und/oder der Pfad und Name der Ausgabe .cfginclude wurden "
    "nicht angegeben!\n\nBitte korrigieren!");

// A window whose start-up boxes (the versions file) have been answered.
using Fixture = WindowFixture;

}  // namespace

class ConvertTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void commandOfTheExample();
    void argumentsReceived_data();
    void argumentsReceived();
    void missingPaths_data();
    void missingPaths();
    void inputDialogSuggestsOutput_data();
    void inputDialogSuggestsOutput();
    void cancelledInputDialogEmptiesStem();
    void outputDialog();
};

void ConvertTest::cleanup() {
    clearOverrideCursors();
}

void ConvertTest::commandOfTheExample() {
    Fixture f;
    f.ws.setScript({"out converting\\n", "out Done.\\n"});
    f.ui.logOptionalLog->setPlainText("output of an earlier job\n");
    f.ui.convertInputInputfile->setText("C:/Daten/ecu.a2l");
    f.ui.convertInputOutputfile->setText("C:/Daten/ecu.cfginclude");
    f.ui.convertOptionIntenation->setChecked(true);
    f.ui.convertInputStation->clear();
    f.ui.convertInputPrefix->setText("ECU1");
    f.ui.convertSelectLibrary->setCurrentIndex(2);
    f.ui.convertButtonConvert->click();

    const QString command =
        "QuillmoorConverter.exe convert  \"C:/Daten/ecu.a2l\" \"C:/Daten/ecu.cfginclude\"  -i  -p "
        "ECU1 -l tarVix=2017.06.0";
    QCOMPARE(f.state.convertArguments,
             command.mid(QString("QuillmoorConverter.exe convert ").size()));
    // The command is the first line of the emptied log.
    QCOMPARE(logText(f.w).section('\n', 0, 0), command);
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes[0].text, QString("A2L wurde konvertiert!"));
    QCOMPARE(logText(f.w), command + "\nconverting\nDone.\n");
    QCOMPARE(f.ws.calls(),
             (QList<QStringList>{{"convert", "C:/Daten/ecu.a2l", "C:/Daten/ecu.cfginclude", "-i",
                                  "-p", "ECU1", "-l", "tarVix=2017.06.0"}}));
}

void ConvertTest::argumentsReceived_data() {
    QTest::addColumn<bool>("zlib");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("tail");
    QTest::newRow("zlib, no names")
        << true << ""
        << ""
        << "out.cfginclude" << QStringList{"-z", "-l", "tarVix=2017.06.0"};
    QTest::newRow("station before prefix")
        << false << "LOG7"
        << "ECU1"
        << "out.cfginclude"
        << QStringList{"-i", "-n", "LOG7", "-p", "ECU1", "-l", "tarVix=2017.06.0"};
    QTest::newRow("prefix of two words")
        << false << ""
        << "ECU 1"
        << "out.cfginclude" << QStringList{"-i", "-p", "ECU", "1", "-l", "tarVix=2017.06.0"};
    QTest::newRow("prefix of blanks only")
        << false << ""
        << "   "
        << "out.cfginclude" << QStringList{"-i", "-p", "-l", "tarVix=2017.06.0"};
    QTest::newRow("station with blanks")
        << true << " a b "
        << ""
        << "out.cfginclude" << QStringList{"-z", "-n", "a", "b", "-l", "tarVix=2017.06.0"};
    QTest::newRow("output without .cfginclude")
        << false << ""
        << ""
        << "my output.txt" << QStringList{"-i", "-l", "tarVix=2017.06.0"};
}

void ConvertTest::argumentsReceived() {
    QFETCH(bool, zlib);
    QFETCH(QString, station);
    QFETCH(QString, prefix);
    QFETCH(QString, output);
    QFETCH(QStringList, tail);
    Fixture f;
    f.ws.setScript({"out Done.\\n"});
    f.ui.convertInputInputfile->setText("in put.a2l");
    f.ui.convertInputOutputfile->setText(output);
    (zlib ? f.ui.convertOptionZlib : f.ui.convertOptionIntenation)->setChecked(true);
    f.ui.convertInputStation->setText(station);
    f.ui.convertInputPrefix->setText(prefix);
    f.ui.convertSelectLibrary->setCurrentIndex(2);
    f.ui.convertButtonConvert->click();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.ws.calls(),
             (QList<QStringList>{QStringList{"convert", "in put.a2l", output} + tail}));
}

void ConvertTest::missingPaths_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("no input") << ""
                              << "out.cfginclude";
    QTest::newRow("no output") << "in.a2l"
                               << "";
    QTest::newRow("neither") << ""
                             << "";
}

void ConvertTest::missingPaths() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    Fixture f;
    f.ui.logOptionalLog->setPlainText("earlier log\n");
    f.ui.convertInputInputfile->setText(input);
    f.ui.convertInputOutputfile->setText(output);
    f.ui.convertSelectLibrary->setCurrentIndex(1);
    f.ui.convertButtonConvert->click();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes[0].title, QString("Fehlende Argumente"));
    QCOMPARE(f.watcher.boxes[0].text, kMissingText);
    QCOMPARE(f.watcher.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(f.watcher.boxes[0].buttons, QStringList{"OK"});
    // Nothing started, nothing else changed.
    QTest::qWait(100);
    QCOMPARE(Access::converterProcess(f.w).state(), QProcess::NotRunning);
    QVERIFY(f.ws.calls().isEmpty());
    QCOMPARE(logText(f.w), QString("earlier log\n"));
    QVERIFY(f.ui.centralWidget->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(f.state.convertArguments.isEmpty());
}

void ConvertTest::inputDialogSuggestsOutput_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("stem");
    QTest::newRow("normal path") << "ecu.a2l"
                                 << "ecu";
    QTest::newRow("two dots") << "ecu.v2.a2l"
                              << "ecu.v2";
    QTest::newRow("dot only in a directory") << "rev2.1/ecu"
                                             << "rev2";
    // An empty stem: the suggested output is ".cfginclude" alone.
    QTest::newRow("no dot at all") << "data/ecu"
                                   << "";
}

void ConvertTest::inputDialogSuggestsOutput() {
    QFETCH(QString, file);
    QFETCH(QString, stem);
    Fixture f;
    if (stem.isEmpty() && f.ws.path().contains('.')) {
        QSKIP("the temporary folder's path has a dot of its own");
    }
    const QString stemPath = stem.isEmpty() ? QString() : f.ws.filePath(stem);
    QVERIFY(QDir(f.ws.path()).mkpath(QFileInfo(f.ws.filePath(file)).path()));
    f.ws.writeFile(file, "ASAP2_VERSION 1 71\n");
    // A path typed before is replaced.
    f.ui.convertInputOutputfile->setText("typed.cfginclude");
    f.watcher.queueFile(f.ws.filePath(file));
    f.ui.convertSelectInput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 1);
    const auto& seen = f.watcher.fileDialogs[0];
    QCOMPARE(seen.caption, QString("Auswahl der Ursprungs-A2L..."));
    QCOMPARE(seen.nameFilters, QStringList{"A2L-Datei (*.a2l)"});
    QVERIFY(!seen.save);
    QTRY_COMPARE(f.ui.convertInputInputfile->text(), f.ws.filePath(file));
    QCOMPARE(f.state.convertInputArgument, " \"" + f.ws.filePath(file) + "\"");
    QCOMPARE(Access::convertInputStem(f.w), stemPath);
    QCOMPARE(f.ui.convertInputOutputfile->text(), stemPath + ".cfginclude");
    QCOMPARE(f.state.convertOutputPath, stemPath + ".cfginclude");

    // The output dialog starts at the stem.
    f.watcher.queueFile("");
    f.ui.convertSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 2);
    if (!stem.isEmpty()) {
        QCOMPARE(f.watcher.fileDialogs[1].directory, QFileInfo(stemPath).absolutePath());
    }
    QCOMPARE(f.ui.convertInputOutputfile->text(), stemPath + ".cfginclude");
    QCOMPARE(f.watcher.unexpected, 0);
}

void ConvertTest::cancelledInputDialogEmptiesStem() {
    Fixture f;
    QVERIFY(QDir(f.ws.path()).mkpath("sub"));
    f.ws.writeFile("sub/ecu.a2l", "x");
    f.watcher.queueFile(f.ws.filePath("sub/ecu.a2l"));
    f.ui.convertSelectInput->click();
    QTRY_COMPARE(Access::convertInputStem(f.w), f.ws.filePath("sub/ecu"));
    f.ui.convertInputOutputfile->setText("mine.cfginclude");

    f.watcher.queueFile("");
    f.ui.convertSelectInput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 2);
    QVERIFY(Access::convertInputStem(f.w).isEmpty());
    // The fields keep what they held.
    QCOMPARE(f.ui.convertInputInputfile->text(), f.ws.filePath("sub/ecu.a2l"));
    QCOMPARE(f.ui.convertInputOutputfile->text(), QString("mine.cfginclude"));

    // Without a stem the output dialog has no start path: neither sub/ nor ecu.
    f.watcher.queueFile("");
    f.ui.convertSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 3);
    QVERIFY(f.watcher.fileDialogs[2].directory != f.ws.filePath("sub"));
    for (const QString& selected : f.watcher.fileDialogs[2].selectedFiles) {
        QVERIFY2(!selected.endsWith("/ecu"), qPrintable(selected));
    }
    QCOMPARE(f.watcher.unexpected, 0);
}

void ConvertTest::outputDialog() {
    Fixture f;
    f.watcher.queueFile(f.ws.filePath("chosen_without_ending"));
    f.ui.convertSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 1);
    const auto& seen = f.watcher.fileDialogs[0];
    QCOMPARE(seen.caption, QString("Auswahl des Zielverzeichnisses und Dateinamen..."));
    QCOMPARE(seen.nameFilters, QStringList{"cfg-include-Dateien (*.cfginclude)"});
    QVERIFY(seen.save);
    // Taken as returned: no extension added.
    QTRY_COMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("chosen_without_ending"));
    QCOMPARE(f.state.convertOutputArgument, " \"" + f.ws.filePath("chosen_without_ending") + "\"");
    // A cancelled dialog changes nothing.
    f.watcher.queueFile("");
    f.ui.convertSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 2);
    QCOMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("chosen_without_ending"));
    QCOMPARE(f.watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(ConvertTest)
#include "tst_convert.moc"

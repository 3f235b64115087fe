// The decompress tab: the suggested output path, what the converter receives,
// the missing-path box, and the log left as it is.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

using Fixture = WindowFixture;

}  // namespace

class DecompressTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void suggestedOutputIsTheInput();
    void chosenOutputReachesConverter();
    void cancelledInputDialogEmptiesStem();
    void missingPaths_data();
    void missingPaths();
};

void DecompressTest::cleanup() {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

void DecompressTest::suggestedOutputIsTheInput() {
    Fixture f;
    f.ws.writeFile("ecu.cfginclude", "x");
    f.ws.setScript({"out Done.\\n"});
    f.ui.decompressOutputFile->setText("earlier.cfginclude");
    f.watcher.queueFile(f.ws.filePath("ecu.cfginclude"));
    f.ui.decompressSelectInput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 1);
    QCOMPARE(f.watcher.fileDialogs[0].caption, QString("Auswahl der CfgInclude..."));
    QCOMPARE(f.watcher.fileDialogs[0].nameFilters, QStringList{"CfgInclude-Datei (*.cfginclude)"});
    QVERIFY(!f.watcher.fileDialogs[0].save);
    // The input replaces the earlier output, which becomes the input path itself.
    QTRY_COMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("ecu.cfginclude"));
    QCOMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("ecu.cfginclude"));
    QCOMPARE(Access::decompressInputStem(f.w), f.ws.filePath("ecu"));

    f.ui.logOptionalLog->setPlainText("kept\n");
    f.ui.decompressButtonDecompress->click();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes[0].title, QString("Abgeschlossen!"));
    QCOMPARE(f.watcher.boxes[0].text, QString("CfgInclude wurde dekomprimiert!"));
    QCOMPARE(f.ws.calls(), (QList<QStringList>{{"decompress", f.ws.filePath("ecu.cfginclude"),
                                                f.ws.filePath("ecu.cfginclude")}}));
    // Neither emptied nor given the command.
    QCOMPARE(logText(f.w), QString("kept\nDone.\n"));
}

void DecompressTest::chosenOutputReachesConverter() {
    Fixture f;
    f.ws.writeFile("ecu.cfginclude", "x");
    f.ws.setScript({"out Done.\\n"});
    f.watcher.queueFile(f.ws.filePath("ecu.cfginclude"));
    f.ui.decompressSelectInput->click();
    QTRY_COMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("ecu.cfginclude"));
    f.watcher.queueFile(f.ws.filePath("plain text"));
    f.ui.decompressSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 2);
    const auto& seen = f.watcher.fileDialogs[1];
    QCOMPARE(seen.caption, QString("Auswahl des Zielverzeichnisses und Dateinamen..."));
    QCOMPARE(seen.nameFilters, QStringList{"cfg-include-Dateien (*.cfginclude)"});
    QVERIFY(seen.save);
    QCOMPARE(seen.directory, f.ws.path());
    QTRY_COMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("plain text"));
    f.ui.decompressButtonDecompress->click();
    QCOMPARE(f.state.decompressArguments, " \"" + f.ws.filePath("ecu.cfginclude") + "\" \"" +
                                              f.ws.filePath("plain text") + "\"");
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.ws.calls(), (QList<QStringList>{{"decompress", f.ws.filePath("ecu.cfginclude"),
                                                f.ws.filePath("plain text")}}));
}

void DecompressTest::cancelledInputDialogEmptiesStem() {
    Fixture f;
    QVERIFY(QDir(f.ws.path()).mkpath("sub"));
    f.ws.writeFile("sub/ecu.cfginclude", "x");
    f.watcher.queueFile(f.ws.filePath("sub/ecu.cfginclude"));
    f.ui.decompressSelectInput->click();
    QTRY_COMPARE(Access::decompressInputStem(f.w), f.ws.filePath("sub/ecu"));
    f.watcher.queueFile("");
    f.ui.decompressSelectInput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 2);
    QVERIFY(Access::decompressInputStem(f.w).isEmpty());
    QCOMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("sub/ecu.cfginclude"));
    // The output dialog then has no start path.
    f.watcher.queueFile("");
    f.ui.decompressSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 3);
    QVERIFY(f.watcher.fileDialogs[2].directory != f.ws.filePath("sub"));
    for (const QString& selected : f.watcher.fileDialogs[2].selectedFiles) {
        QVERIFY2(!selected.endsWith("/ecu"), qPrintable(selected));
    }
    // A cancelled output dialog changes nothing.
    QCOMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("sub/ecu.cfginclude"));
    QCOMPARE(f.watcher.unexpected, 0);
}

void DecompressTest::missingPaths_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("no input") << ""
                              << "out.cfginclude";
    QTest::newRow("no output") << "in.cfginclude"
                               << "";
}

void DecompressTest::missingPaths() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    Fixture f;
    f.ui.decompressInputFile->setText(input);
    f.ui.decompressOutputFile->setText(output);
    f.ui.decompressButtonDecompress->click();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes[0].title, QString("Fehlende Argumente"));
    QCOMPARE(f.watcher.boxes[0].text, QString("Fehler bei der Verarbeitung!\n"));
    QCOMPARE(f.watcher.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(f.watcher.boxes[0].buttons, QStringList{"OK"});
    QTest::qWait(100);
    QVERIFY(f.ws.calls().isEmpty());
    QVERIFY(f.ui.centralWidget->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

QUILLMOOR_TEST_MAIN(DecompressTest)
#include "tst_decompress.moc"

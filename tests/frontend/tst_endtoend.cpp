// The real converter run through the window: the sample A2L converted with the
// convert tab's fields and button, the success box, and an XML output file, in a
// folder whose name has an umlaut and a blank.
// Skips when the converter has not been built into the runtime folder.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void convertSampleThroughTheWindow();
};

void EndToEndTest::convertSampleThroughTheWindow() {
    const QString runtime = qEnvironmentVariable("QUILLMOOR_RUNTIME_DIR");
    const QString converter = QDir(runtime).filePath("QuillmoorConverter.exe");
    const QString sample = QDir(runtime).filePath("samples/demo_ecu.a2l");
    if (runtime.isEmpty() || !QFile::exists(converter) || !QFile::exists(sample)) {
        QSKIP(
            "QuillmoorConverter.exe or samples/demo_ecu.a2l is not in the runtime folder "
            "(QUILLMOOR_RUNTIME_DIR); build the converter to run this test");
    }
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    // The real converter takes the stand-in's place; the versions file comes along.
    ws.removeConverter();
    QVERIFY(QFile::copy(converter, ws.filePath("QuillmoorConverter.exe")));
    QVERIFY(QFile::setPermissions(ws.filePath("QuillmoorConverter.exe"),
                                  QFile::permissions(converter)));
    // Input and output in a folder whose name has an umlaut and a blank.
    const QString data = ws.filePath(QString::fromUtf8("Müller Daten"));
    QVERIFY(QDir().mkpath(data));
    const QString input = data + "/demo ecu.a2l";
    const QString outputPath = data + "/demo ecu.cfginclude";
    QVERIFY(QFile::copy(sample, input));
    if (QFile::exists(QDir(runtime).filePath("tarvixVersions.xml"))) {
        QVERIFY(QFile::copy(QDir(runtime).filePath("tarvixVersions.xml"),
                            ws.filePath("tarvixVersions.xml")));
    }

    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();
    auto& ui = Access::ui(w);
    ui.convertInputInputfile->setText(input);
    ui.convertInputOutputfile->setText(outputPath);
    ui.convertOptionIntenation->setChecked(true);
    ui.convertInputPrefix->setText("DEMO");
    ui.convertSelectLibrary->setCurrentIndex(2);
    ui.convertButtonConvert->click();

    QTRY_VERIFY_WITH_TIMEOUT(!watcher.boxes.isEmpty(), 60000);
    const QString log = ui.logOptionalLog->toPlainText();
    QCOMPARE(watcher.boxes[0].title, QString("Abgeschlossen!"));
    QCOMPARE(watcher.boxes[0].text, QString("A2L wurde konvertiert!"));
    QVERIFY2(log.contains("Done."), qPrintable(log));
    QVERIFY2(log.startsWith("QuillmoorConverter.exe convert  \"" + input), qPrintable(log));

    QFile output(outputPath);
    QVERIFY2(output.open(QIODevice::ReadOnly), qPrintable(log));
    const QByteArray content = output.readAll();
    QVERIFY(content.trimmed().startsWith("<"));
    QVERIFY(content.contains("DEMO"));
    QTRY_COMPARE(Access::converterProcess(w).state(), QProcess::NotRunning);
    QCOMPARE(watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"

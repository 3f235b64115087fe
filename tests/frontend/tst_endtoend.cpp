// The real converter run through the window: the sample A2L converted with the
// convert tab's fields and button, the success box, and an XML output file.
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
    void samplesAtTheDefaultRange_data();
    void samplesAtTheDefaultRange();
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
    QVERIFY(QFile::copy(sample, ws.filePath("demo ecu.a2l")));
    if (QFile::exists(QDir(runtime).filePath("tarvixVersions.xml"))) {
        QVERIFY(QFile::copy(QDir(runtime).filePath("tarvixVersions.xml"),
                            ws.filePath("tarvixVersions.xml")));
    }

    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();
    auto& ui = Access::ui(w);
    ui.convertInputInputfile->setText(ws.filePath("demo ecu.a2l"));
    ui.convertInputOutputfile->setText(ws.filePath("demo ecu.cfginclude"));
    ui.convertOptionIntenation->setChecked(true);
    ui.convertInputPrefix->setText("DEMO");
    ui.convertSelectLibrary->setCurrentIndex(2);
    ui.convertButtonConvert->click();

    QTRY_VERIFY_WITH_TIMEOUT(!watcher.boxes.isEmpty(), 60000);
    const QString log = ui.logOptionalLog->toPlainText();
    QCOMPARE(watcher.boxes[0].title, QString("Abgeschlossen!"));
    QCOMPARE(watcher.boxes[0].text, QString("A2L wurde konvertiert!"));
    QVERIFY2(log.contains("Done."), qPrintable(log));
    QVERIFY(log.startsWith("QuillmoorConverter.exe convert  \"" + ws.filePath("demo ecu.a2l")));

    QFile output(ws.filePath("demo ecu.cfginclude"));
    QVERIFY2(output.open(QIODevice::ReadOnly), qPrintable(log));
    const QByteArray content = output.readAll();
    QVERIFY(content.trimmed().startsWith("<"));
    QVERIFY(content.contains("DEMO"));
    QTRY_COMPARE(Access::converterProcess(w).state(), QProcess::NotRunning);
    QCOMPARE(watcher.unexpected, 0);
}

void EndToEndTest::samplesAtTheDefaultRange_data() {
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("title");
    QTest::newRow("demo_ecu.a2l") << "demo_ecu.a2l"
                                  << "Abgeschlossen!";
    QTest::newRow("demo_ecu_full.a2l") << "demo_ecu_full.a2l"
                                       << "Fehler!";
}

// What a new user does first: a bundled sample converted with every setting of
// the window as it comes. The default sample succeeds; the full one shows
// what the oldest loggers leave out.
void EndToEndTest::samplesAtTheDefaultRange() {
    QFETCH(QString, sample);
    QFETCH(QString, title);
    const QString runtime = qEnvironmentVariable("QUILLMOOR_RUNTIME_DIR");
    const QString converter = QDir(runtime).filePath("QuillmoorConverter.exe");
    const QString samplePath = QDir(runtime).filePath("samples/" + sample);
    if (runtime.isEmpty() || !QFile::exists(converter) || !QFile::exists(samplePath)) {
        QSKIP(
            "QuillmoorConverter.exe or the samples are not in the runtime folder "
            "(QUILLMOOR_RUNTIME_DIR); build the converter to run this test");
    }
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    ws.removeConverter();
    QVERIFY(QFile::copy(converter, ws.filePath("QuillmoorConverter.exe")));
    QVERIFY(QFile::setPermissions(ws.filePath("QuillmoorConverter.exe"),
                                  QFile::permissions(converter)));
    QVERIFY(QFile::copy(samplePath, ws.filePath(sample)));
    QVERIFY(QFile::copy(QDir(runtime).filePath("tarvixVersions.xml"),
                        ws.filePath("tarvixVersions.xml")));

    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();
    auto& ui = Access::ui(w);
    QCOMPARE(ui.convertSelectLibrary->currentIndex(), 0);
    ui.convertInputInputfile->setText(ws.filePath(sample));
    ui.convertInputOutputfile->setText(ws.filePath("out.cfginclude"));
    ui.convertButtonConvert->click();
    QTRY_VERIFY_WITH_TIMEOUT(!watcher.boxes.isEmpty(), 60000);
    const QString log = ui.logOptionalLog->toPlainText();
    QVERIFY2(log.contains(" -l tarVix=1.4.4"), qPrintable(log));
    QVERIFY2(watcher.boxes[0].title == title, qPrintable(log));
    QVERIFY(QFile::exists(ws.filePath("out.cfginclude")));
    QTRY_COMPARE(Access::converterProcess(w).state(), QProcess::NotRunning);
    QCOMPARE(watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"

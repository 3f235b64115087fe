// The real converter run through the window on a bundled sample in a folder whose name has
// an umlaut and a blank: the box, and an output of well-formed XML holding the prefix.
#include "testsupport.h"

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void convertSample_data();
    void convertSample();
};

void EndToEndTest::convertSample_data() {
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("title");
    QTest::newRow("demo_ecu, prefix, newest range") << "demo_ecu.a2l"
                                                    << "DEMO" << 2 << "Abgeschlossen!";
    // What a new user does first: everything as the window comes. The full sample
    // holds what the oldest loggers leave out.
    QTest::newRow("demo_ecu at the defaults") << "demo_ecu.a2l"
                                              << "" << 0 << "Abgeschlossen!";
    QTest::newRow("demo_ecu_full at the defaults") << "demo_ecu_full.a2l"
                                                   << "" << 0 << "Fehler!";
}

void EndToEndTest::convertSample() {
    QFETCH(QString, sample);
    QFETCH(QString, prefix);
    QFETCH(int, range);
    QFETCH(QString, title);
    const QDir runtime(qEnvironmentVariable("QUILLMOOR_RUNTIME_DIR"));
    const QString converter = runtime.filePath("QuillmoorConverter.exe");
    if (runtime.path().isEmpty() || !QFile::exists(converter) ||
        !QFile::exists(runtime.filePath("samples/" + sample))) {
        QSKIP("QuillmoorConverter.exe or a sample is not in QUILLMOOR_RUNTIME_DIR: build them");
    }
    TestWorkspace ws;
    ws.removeConverter();
    QVERIFY(QFile::copy(converter, ws.filePath("QuillmoorConverter.exe")));
    QVERIFY(QFile::setPermissions(ws.filePath("QuillmoorConverter.exe"),
                                  QFile::permissions(converter)));
    const QString data = ws.filePath(QString::fromUtf8("Müller Daten"));
    QVERIFY(QDir().mkpath(data));
    const QString input = data + "/in put.a2l";
    const QString outputPath = data + "/out.cfginclude";
    QVERIFY(QFile::copy(runtime.filePath("samples/" + sample), input));
    QVERIFY(QFile::copy(runtime.filePath("tarvixVersions.xml"), ws.filePath("tarvixVersions.xml")));

    DialogWatcher watcher;
    MainWindow w;
    MainWindowForm& ui = MainWindowTestAccess::ui(w);
    ui.convertInputInputfile->setText(input);
    ui.convertInputOutputfile->setText(outputPath);
    ui.convertInputPrefix->setText(prefix);
    ui.convertSelectLibrary->setCurrentIndex(range);
    ui.convertButtonConvert->click();
    QTRY_VERIFY_WITH_TIMEOUT(!watcher.boxes.isEmpty(), 60000);
    const QString log = ui.logOptionalLog->toPlainText();
    QVERIFY2(watcher.boxes[0].title == title, qPrintable(log));
    QFile output(outputPath);
    QVERIFY2(output.open(QIODevice::ReadOnly), qPrintable(log));
    if (title == "Abgeschlossen!") {
        QVERIFY(output.readAll().contains(prefix.toUtf8()));
        const QString xmllint = QStandardPaths::findExecutable("xmllint");
        if (!xmllint.isEmpty()) {
            QCOMPARE(QProcess::execute(xmllint, {"--noout", output.fileName()}), 0);
        }
    }
    QTRY_COMPARE(MainWindowTestAccess::processOf(w, 0).state(), QProcess::NotRunning);
    QCOMPARE(watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"

// The compare tab: arguments, the missing-path box, the output box next to the
// log, and the file dialogs.
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

const QString kMissingText = QStringLiteral(
    "Der Pfad der bisherigen A2L und/oder der Pfad der neuen A2L wurden nicht "
    "angegeben!\n\nBitte korrigieren!");

struct Fixture : WindowFixture {
    void compare(const QString& oldPath, const QString& newPath) {
        ui.compareInputOld->setText(oldPath);
        ui.compareInputNew->setText(newPath);
        ui.compareButtonCompare->click();
    }
};

}  // namespace

class CompareTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void arguments_data();
    void arguments();
    void missingPaths_data();
    void missingPaths();
    void compareAfterConvert();
    void onlyTheLogScrolls();
    void fileDialogs();
};

void CompareTest::cleanup() {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

void CompareTest::arguments_data() {
    QTest::addColumn<bool>("detail");
    QTest::addColumn<QString>("oldPath");
    QTest::addColumn<QString>("newPath");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QStringList>("received");
    QTest::newRow("without detail") << false << "/a/old ecu.a2l"
                                    << "/a/new.a2l"
                                    << " \"/a/old ecu.a2l\" \"/a/new.a2l\""
                                    << QStringList{"compare", "/a/old ecu.a2l", "/a/new.a2l"};
    QTest::newRow("with detail") << true << "/a/old.a2l"
                                 << "/a/new.a2l"
                                 << " \"/a/old.a2l\" \"/a/new.a2l\" -v"
                                 << QStringList{"compare", "/a/old.a2l", "/a/new.a2l", "-v"};
    QTest::newRow("same file twice")
        << false << "/a/ecu.a2l"
        << "/a/ecu.a2l"
        << " \"/a/ecu.a2l\" \"/a/ecu.a2l\"" << QStringList{"compare", "/a/ecu.a2l", "/a/ecu.a2l"};
}

void CompareTest::arguments() {
    QFETCH(bool, detail);
    QFETCH(QString, oldPath);
    QFETCH(QString, newPath);
    QFETCH(QString, tail);
    QFETCH(QStringList, received);
    Fixture f;
    f.ws.setScript({"out 3 changes\\n", "out Done.\\n"});
    f.ui.compareSelectDetail->setChecked(detail);
    f.compare(oldPath, newPath);
    // The argument tail ends with the new file's quote when there is no detail flag.
    QCOMPARE(f.state.compareArguments, tail);
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes[0].title, QString("Abgeschlossen!"));
    QCOMPARE(f.watcher.boxes[0].text, QString("A2L's wurden verglichen!"));
    QCOMPARE(f.ws.calls(), QList<QStringList>{received});
    QCOMPARE(f.ui.compareTextOutput->toPlainText(), QString("3 changes\nDone.\n"));
}

void CompareTest::missingPaths_data() {
    QTest::addColumn<QString>("oldPath");
    QTest::addColumn<QString>("newPath");
    QTest::newRow("no old file") << ""
                                 << "/a/new.a2l";
    QTest::newRow("no new file") << "/a/old.a2l"
                                 << "";
}

void CompareTest::missingPaths() {
    QFETCH(QString, oldPath);
    QFETCH(QString, newPath);
    Fixture f;
    f.ui.compareTextOutput->setPlainText("result of the last comparison");
    f.compare(oldPath, newPath);
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes[0].title, QString("Fehlende Argumente"));
    QCOMPARE(f.watcher.boxes[0].text, kMissingText);
    QCOMPARE(f.watcher.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(f.watcher.boxes[0].buttons, QStringList{"OK"});
    QTest::qWait(100);
    QVERIFY(f.ws.calls().isEmpty());
    QCOMPARE(f.ui.compareTextOutput->toPlainText(), QString("result of the last comparison"));
    QVERIFY(f.ui.centralWidget->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void CompareTest::compareAfterConvert() {
    Fixture f;
    f.ws.setScript({"out converted\\nDone.\\n"});
    f.ui.convertInputInputfile->setText("in.a2l");
    f.ui.convertInputOutputfile->setText("out.cfginclude");
    f.ui.convertSelectLibrary->setCurrentIndex(0);
    f.ui.convertButtonConvert->click();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QTRY_COMPARE(Access::converterProcess(f.w).state(), QProcess::NotRunning);
    const QString convertLog = logText(f.w);
    QVERIFY(convertLog.startsWith("QuillmoorConverter.exe convert "));
    QVERIFY(convertLog.endsWith("converted\nDone.\n"));

    f.ui.compareTextOutput->setPlainText("stale result");
    f.ws.setScript({"out no differences\\n", "sleep 100", "out Done.\\n"});
    f.compare("/a/old.a2l", "/a/new.a2l");
    // The compare box is emptied at the start; the log keeps the convert run.
    QCOMPARE(f.ui.compareTextOutput->toPlainText(), QString());
    QCOMPARE(logText(f.w), convertLog);
    QTRY_COMPARE(f.watcher.boxes.size(), 2);
    QCOMPARE(f.watcher.boxes[1].text, QString("A2L's wurden verglichen!"));
    QCOMPARE(logText(f.w), convertLog + "no differences\nDone.\n");
    QCOMPARE(f.ui.compareTextOutput->toPlainText(), QString("no differences\nDone.\n"));
}

void CompareTest::onlyTheLogScrolls() {
    Fixture f;
    f.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.w));
    // Show the log dock through its menu entry.
    for (QAction* menu : f.w.menuBar()->actions()) {
        for (QAction* entry : menu->menu()->actions()) {
            if (entry->isCheckable()) {
                entry->trigger();
            }
        }
    }
    QVERIFY(f.ui.dockWidget->isVisible());
    QStringList script;
    for (int i = 0; i < 40; ++i) {
        script << QString("out CHARACTERISTIC K_%1 differs in its limits\\n").arg(i);
        script << "sleep 5";
    }
    script << "out Done.\\n";
    f.ws.setScript(script);
    f.ui.tabWidget->setCurrentIndex(1);
    f.compare("/a/old.a2l", "/a/new.a2l");
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCoreApplication::processEvents();
    QScrollBar* logBar = f.ui.logOptionalLog->verticalScrollBar();
    QScrollBar* compareBar = f.ui.compareTextOutput->verticalScrollBar();
    QVERIFY(logBar->maximum() > 0);
    QCOMPARE(logBar->value(), logBar->maximum());
    QVERIFY(compareBar->maximum() > 0);
    QCOMPARE(compareBar->value(), 0);
}

void CompareTest::fileDialogs() {
    Fixture f;
    f.ws.writeFile("old.a2l", "x");
    f.ws.writeFile("new.a2l", "x");
    f.watcher.queueFile(f.ws.filePath("old.a2l"));
    f.ui.compareSelectOld->click();
    QTRY_COMPARE(f.ui.compareInputOld->text(), f.ws.filePath("old.a2l"));
    QCOMPARE(f.state.compareOldArgument, " \"" + f.ws.filePath("old.a2l") + "\"");
    f.watcher.queueFile(f.ws.filePath("new.a2l"));
    f.ui.compareSelectNew->click();
    QTRY_COMPARE(f.ui.compareInputNew->text(), f.ws.filePath("new.a2l"));
    // No path is derived from the other file.
    QCOMPARE(f.ui.compareInputOld->text(), f.ws.filePath("old.a2l"));
    // Cancelled dialogs change nothing.
    f.watcher.queueFile("");
    f.ui.compareSelectOld->click();
    f.watcher.queueFile("");
    f.ui.compareSelectNew->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 4);
    QCOMPARE(f.ui.compareInputOld->text(), f.ws.filePath("old.a2l"));
    QCOMPARE(f.ui.compareInputNew->text(), f.ws.filePath("new.a2l"));
    const QStringList captions{"Auswahl der bisherigen A2L...", "Auswahl der neuen A2L...",
                               "Auswahl der bisherigen A2L...", "Auswahl der neuen A2L..."};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(f.watcher.fileDialogs[i].caption, captions[i]);
        QCOMPARE(f.watcher.fileDialogs[i].nameFilters, QStringList{"A2L-Datei (*.a2l)"});
        QVERIFY(!f.watcher.fileDialogs[i].save);
    }
    QCOMPARE(f.watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(CompareTest)
#include "tst_compare.moc"

// The three jobs through the window against the scripted stand-in converter:
// the arguments it receives, the boxes and the log of each way a run can end,
// the busy state, file dialogs and dropped files.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

const QString kFailureText = QStringLiteral(
    "Fehler bei der Verarbeitung! Für weitere Informationen bitte das optionale "
    "Ausgabefenster aktivieren.");
const QString kSuccess[] = {"A2L wurde konvertiert!", "A2L's wurden verglichen!",
                            "CfgInclude wurde dekomprimiert!"};

// Drags `urls` onto `edit` and drops them there; returns whether the field took the drag.
bool dropOn(QLineEdit* edit, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    mime.setText(urls.value(0).toLocalFile());  // as file managers send it, the path as text too
    const QPoint at = edit->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &move);
    if (enter.isAccepted() && move.isAccepted()) {
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &drop);
    }
    return enter.isAccepted() && move.isAccepted();
}

// Drags `urls` over `edit` with Shift held, which proposes a move, without dropping them;
// returns the action the field asks for.
Qt::DropAction dragWithShift(QLineEdit* edit, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(edit->rect().center(), Qt::CopyAction | Qt::MoveAction, &mime,
                          Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(edit, &enter);
    return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
}

}  // namespace

class JobsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { clearOverrideCursors(); }
    void convertArguments_data();
    void convertArguments();
    void compareAndDecompressArguments();
    void missingPaths();
    void runEnds_data();
    void runEnds();
    void converterMissing();
    void whileRunning();
    void fileDialogs();
    void drops();
};

void JobsTest::convertArguments_data() {
    QTest::addColumn<bool>("zlib");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("range");
    QTest::addColumn<QStringList>("tail");
    QTest::newRow("defaults") << false << ""
                              << "" << 0 << QStringList{"-i", "-l", "tarVix=1.4.4"};
    QTest::newRow("zlib, second range") << true << ""
                                        << "" << 1 << QStringList{"-z", "-l", "tarVix=1.5.5"};
    QTest::newRow("station before prefix")
        << false << "LOG7"
        << "ECU 1" << 2
        << QStringList{"-i", "-n", "LOG7", "-p", "ECU", "1", "-l", "tarVix=2017.06.0"};
}

// The command is logged as the first line of the emptied log, the stand-in gets
// it split into arguments, and its output follows in the log.
void JobsTest::convertArguments() {
    QFETCH(bool, zlib);
    QFETCH(QString, station);
    QFETCH(QString, prefix);
    QFETCH(int, range);
    QFETCH(QStringList, tail);
    WindowFixture f;
    f.ui.logOptionalLog->setPlainText("earlier run\n");
    (zlib ? f.ui.convertOptionZlib : f.ui.convertOptionIntenation)->setChecked(true);
    f.ui.convertInputStation->setText(station);
    f.ui.convertInputPrefix->setText(prefix);
    f.ui.convertSelectLibrary->setCurrentIndex(range);
    f.ui.convertInputInputfile->setText("in put.a2l");
    f.ui.convertInputOutputfile->setText("out.cfginclude");
    f.ws.setScript({"out converting\\n", "sleep 200", "out Done.\\n"});
    f.ui.convertButtonConvert->click();
    QVERIFY(isBusy(f.w));
    QVERIFY(waitForRun(f, Job::Convert, 1));
    const QStringList args = QStringList{"convert", "in put.a2l", "out.cfginclude"} + tail;
    QCOMPARE(f.ws.calls(), QList<QStringList>{args});
    const QStringList log = logText(f.w).split('\n');
    QVERIFY2(log.value(0).startsWith("QuillmoorConverter.exe convert  \"in put.a2l\""),
             qPrintable(log.value(0)));
    QCOMPARE(log.mid(1), (QStringList{"converting", "Done.", ""}));
}

// Compare empties its output box, keeps the log and shows its output in both;
// decompress keeps the log as it is and logs no command.
void JobsTest::compareAndDecompressArguments() {
    WindowFixture f;
    f.ui.logOptionalLog->setPlainText("earlier\n");
    f.ui.compareTextOutput->setPlainText("old result");
    f.ui.compareSelectDetail->setChecked(true);
    f.ui.compareInputOld->setText("/a b/old.a2l");
    f.ui.compareInputNew->setText("new.a2l");
    f.ws.setScript({"out <b>a</b> Gr\\xc3", "sleep 100", "out \\xb6\\xdfe\\nDone.\\n"});
    f.ui.compareButtonCompare->click();
    QVERIFY(waitForRun(f, Job::Compare, 1));
    QCOMPARE(f.watcher.boxes[0].text, kSuccess[1]);
    const QString shown = QString::fromUtf8("<b>a</b> Größe\nDone.\n");
    QCOMPARE(f.ui.compareTextOutput->toPlainText(), shown);
    QCOMPARE(logText(f.w), "earlier\n" + shown);

    f.ui.compareSelectDetail->setChecked(false);
    QVERIFY(runJob(f, Job::Compare, {"out Done.\\n"}, 2));
    QVERIFY(runJob(f, Job::Decompress, {"out Done.\\n"}, 3));
    QCOMPARE(f.watcher.boxes[2].text, kSuccess[2]);
    QCOMPARE(f.ws.calls(), (QList<QStringList>{{"compare", "/a b/old.a2l", "new.a2l", "-v"},
                                               {"compare", "old.a2l", "new.a2l"},
                                               {"decompress", "in.cfginclude", "out.cfginclude"}}));
    QCOMPARE(logText(f.w), "earlier\n" + shown + "Done.\nDone.\n");
}

// A missing path is reported and nothing is started.
void JobsTest::missingPaths() {
    WindowFixture f;
    f.ui.logOptionalLog->setPlainText("earlier\n");
    int shown = 0;
    for (Job job : {Job::Convert, Job::Compare, Job::Decompress}) {
        const JobWidgets widgets = widgetsOf(f.w, job);
        for (QLineEdit* given : {widgets.first, widgets.second}) {
            widgets.first->clear();
            widgets.second->clear();
            given->setText("given.a2l");
            widgets.button->click();
            ++shown;
            QTRY_COMPARE(f.watcher.boxes.size(), shown);
            QVERIFY(isIdle(f.w));
        }
    }
    QTest::qWait(100);
    QCOMPARE(titles(f.watcher), QStringList(6, "Fehlende Argumente"));
    QVERIFY(f.ws.calls().isEmpty());
    QCOMPARE(logText(f.w), QString("earlier\n"));
}

void JobsTest::runEnds_data() {
    QTest::addColumn<int>("job");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("expectedTitles");
    QTest::addColumn<QString>("logEnd");
    for (int job = 0; job < 3; ++job) {
        QTest::addRow("job %d: done", job) << job << QStringList{"out Done.\\n", "sleep 100"}
                                           << QStringList{"Abgeschlossen!"} << "Done.\n";
        QTest::addRow("job %d: error", job) << job << QStringList{"out Error. no file\\n"}
                                            << QStringList{"Fehler!"} << "Error. no file\n";
        QTest::addRow("job %d: no output", job)
            << job << QStringList{} << QStringList{"Fehler!"}
            << "QuillmoorConverter.exe wurde mit dem Exit-Code 0 ohne Ergebnis beendet.\n";
    }
    QTest::newRow("warning") << 0 << QStringList{"out Warning: odd\\n"} << QStringList{"Fehler!"}
                             << "Warning: odd\n";
    QTest::newRow("done and error in one delivery")
        << 1 << QStringList{"out Done.\\nError.\\n"} << QStringList{"Abgeschlossen!", "Fehler!"}
        << "Done.\nError.\n";
    QTest::newRow("warning, later done")
        << 0 << QStringList{"out Warning: a\\n", "sleep 300", "out Done.\\n"}
        << QStringList{"Fehler!", "Abgeschlossen!"} << "Warning: a\nDone.\n";
    QTest::newRow("marker split over deliveries")
        << 2 << QStringList{"out working\\nDo", "sleep 200", "out ne.\\n", "sleep 200"}
        << QStringList{"Abgeschlossen!"} << "working\nDone.\n";
    QTest::newRow("wrong case is no marker")
        << 2 << QStringList{"out done. ERROR. warning:", "err cannot open\\n", "exit 3"}
        << QStringList{"Fehler!"}
        << "done. ERROR. warning:\nQuillmoorConverter.exe wurde mit dem Exit-Code 3 ohne "
           "Ergebnis beendet.\ncannot open\n";
    QTest::newRow("crash") << 1 << QStringList{"out working\\n", "err out of memory\\n", "crash"}
                           << QStringList{"Fehler!"}
                           << "working\nQuillmoorConverter.exe ist abgestürzt.\nout of memory\n";
    QTest::newRow("character cut by the end")
        << 2 << QStringList{"out Done. Ma\\xc3"} << QStringList{"Abgeschlossen!"}
        << QString::fromUtf8("Done. MaÃ");
}

// Each box the run deserves, once, in order; the log ends as the run left it;
// the window is usable again.
void JobsTest::runEnds() {
    QFETCH(int, job);
    QFETCH(QStringList, script);
    QFETCH(QStringList, expectedTitles);
    QFETCH(QString, logEnd);
    WindowFixture f;
    QVERIFY(runJob(f, Job(job), script, int(expectedTitles.size())));
    QCOMPARE(titles(f.watcher), expectedTitles);
    for (const DialogWatcher::Box& box : f.watcher.boxes) {
        QCOMPARE(box.text, box.title == "Fehler!" ? kFailureText : kSuccess[job]);
        QCOMPARE(box.icon, QMessageBox::Information);
    }
    // Only the convert job starts the log with its command.
    QVERIFY2(job == 0 ? logText(f.w).endsWith(logEnd) : logText(f.w) == logEnd,
             qPrintable(logText(f.w)));
    QVERIFY(job == 1 || f.ui.compareTextOutput->toPlainText().isEmpty());
    QVERIFY(isIdle(f.w));
    QCOMPARE(f.ws.calls().size(), 1);
    QCOMPARE(f.watcher.unexpected, 0);
}

// A converter that cannot be started is reported, and the job can start again.
void JobsTest::converterMissing() {
    WindowFixture f;
    f.ws.removeConverter();
    startJob(f.w, Job::Convert);
    QTRY_COMPARE(titles(f.watcher), QStringList{"Fehler!"});
    QVERIFY(isIdle(f.w));
    const QStringList lines = logText(f.w).split('\n');
    QVERIFY(lines.value(0).startsWith("QuillmoorConverter.exe convert "));
    QVERIFY2(lines.value(1).startsWith("QuillmoorConverter.exe konnte nicht gestartet werden"),
             qPrintable(logText(f.w)));
    startJob(f.w, Job::Convert);
    QTRY_COMPARE(f.watcher.boxes.size(), 2);
    // Shown and longer than its view, the log ends scrolled to the failure.
    f.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.w));
    f.ui.dockWidget->show();
    f.ui.logOptionalLog->setPlainText(QString(100, '\n'));
    QScrollBar* bar = f.ui.logOptionalLog->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    startJob(f.w, Job::Decompress);
    QTRY_COMPARE(titles(f.watcher), (QStringList{"Fehler!", "Fehler!", "Fehler!"}));
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(isIdle(f.w));
}

// Busy while the run goes on, menus usable, drops refused. Output that arrives while
// the run's box is open is shown, and its marker reported, when the box closes, not
// only when the run ends; a second start of a run that has reported but not ended is
// refused.
void JobsTest::whileRunning() {
    WindowFixture f;
    f.ws.writeFile("new.a2l", "x");
    const QUrl dropped = QUrl::fromLocalFile(f.ws.filePath("new.a2l"));
    f.watcher.holdBoxesMs = 500;
    f.ws.setScript({"sleep 300", "out Done.\\n", "sleep 100", "out Error. late\\n", "sleep 3000"});
    startJob(f.w, Job::Decompress);
    QVERIFY(isBusy(f.w));
    QVERIFY(!dropOn(f.ui.compareInputOld, {dropped}));
    QAction* logAction = menuEntry(f.w, "Optionales Ausgabefenster");
    QVERIFY(logAction != nullptr && logAction->isEnabled() && f.w.menuBar()->isEnabled());
    QTRY_COMPARE(titles(f.watcher), (QStringList{"Abgeschlossen!", "Fehler!"}));
    QCOMPARE(Access::decompresserProcess(f.w).state(), QProcess::Running);
    QVERIFY(logText(f.w).endsWith("Done.\nError. late\n"));
    QVERIFY(isIdle(f.w));
    QVERIFY(!dropOn(f.ui.compareInputOld, {dropped}));
    f.watcher.holdBoxesMs = 0;
    startJob(f.w, Job::Decompress);
    QTRY_COMPARE(f.watcher.boxes.size(), 3);
    QVERIFY(f.watcher.boxes[2].text.startsWith("Der vorherige Lauf"));
    QVERIFY(isIdle(f.w));
    QCOMPARE(f.ws.calls().size(), 1);
    QVERIFY(waitForRun(f, Job::Decompress, 3));
    QVERIFY(dropOn(f.ui.compareInputOld, {dropped}));
    QVERIFY(runJob(f, Job::Decompress, {"out Done.\\n"}, 4));
    QCOMPARE(f.ws.calls().size(), 2);
}

// The input dialogs of convert and decompress suggest the output beside the
// input, and the output dialogs start there; a cancelled input dialog forgets
// that place. The compare dialogs fill their fields.
void JobsTest::fileDialogs() {
    WindowFixture f;
    f.ws.writeFile("ecu.v2.a2l", "x");
    f.watcher.queueFile(f.ws.filePath("ecu.v2.a2l"));
    f.ui.convertSelectInput->click();
    QTRY_COMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("ecu.v2.cfginclude"));
    QCOMPARE(f.ui.convertInputInputfile->text(), f.ws.filePath("ecu.v2.a2l"));
    QCOMPARE(f.watcher.fileDialogs[0].nameFilters, QStringList{"A2L-Datei (*.a2l)"});
    f.watcher.queueFile(f.ws.filePath("chosen"));
    f.ui.convertSelectOutput->click();
    QTRY_COMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("chosen"));
    QVERIFY(f.watcher.fileDialogs[1].save);
    QCOMPARE(f.watcher.fileDialogs[1].selectedFiles, QStringList{f.ws.filePath("ecu.v2")});
    f.watcher.queueFile("");
    f.ui.convertSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 3);
    QCOMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("chosen"));

    f.ws.writeFile("packed.cfginclude", "x");
    f.watcher.queueFile(f.ws.filePath("packed.cfginclude"));
    f.ui.decompressSelectInput->click();
    QTRY_COMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("packed.cfginclude"));
    QCOMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("packed.cfginclude"));
    f.watcher.queueFile("");
    f.ui.decompressSelectInput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 5);
    QCOMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("packed.cfginclude"));
    f.watcher.queueFile("");
    f.ui.decompressSelectOutput->click();
    QTRY_COMPARE(f.watcher.fileDialogs.size(), 6);
    QVERIFY(!f.watcher.fileDialogs[5].selectedFiles.value(0).endsWith("/packed"));
    QCOMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("packed.cfginclude"));

    f.watcher.queueFile(f.ws.filePath("ecu.v2.a2l"));
    f.ui.compareSelectOld->click();
    QTRY_COMPARE(f.ui.compareInputOld->text(), f.ws.filePath("ecu.v2.a2l"));
    f.watcher.queueFile(f.ws.filePath("packed.cfginclude"));
    f.ui.compareSelectNew->click();
    QTRY_COMPARE(f.ui.compareInputNew->text(), f.ws.filePath("packed.cfginclude"));
    QCOMPARE(f.watcher.unexpected, 0);
}

// A dropped file fills the field as its dialog would; only one local file is taken.
void JobsTest::drops() {
    WindowFixture f;
    f.ws.writeFile("a b.a2l", "x");
    f.ws.writeFile("c.a2l", "x");
    const QUrl a = QUrl::fromLocalFile(f.ws.filePath("a b.a2l"));
    const QUrl c = QUrl::fromLocalFile(f.ws.filePath("c.a2l"));
    QVERIFY(dropOn(f.ui.convertInputInputfile, {a}));
    QCOMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("a b.cfginclude"));
    QVERIFY(dropOn(f.ui.decompressInputFile, {c}));
    QCOMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("c.cfginclude"));
    QVERIFY(dropOn(f.ui.convertInputOutputfile, {c}));
    QVERIFY(dropOn(f.ui.decompressOutputFile, {a}));
    QVERIFY(dropOn(f.ui.compareInputOld, {a}));
    QVERIFY(dropOn(f.ui.compareInputNew, {c}));
    for (const QList<QUrl>& refused :
         {QList<QUrl>{a, c}, QList<QUrl>{QUrl("https://example.com/a.a2l")},
          QList<QUrl>{QUrl::fromLocalFile(f.ws.path())}}) {
        QVERIFY(!dropOn(f.ui.compareInputOld, refused));
    }
    // A file is copied, never moved, and only a drop fills the field: not a passing drag.
    QCOMPARE(dragWithShift(f.ui.compareInputOld, {c}), Qt::CopyAction);
    const QString fields[] = {
        f.ui.convertInputInputfile->text(), f.ui.convertInputOutputfile->text(),
        f.ui.compareInputOld->text(),       f.ui.compareInputNew->text(),
        f.ui.decompressInputFile->text(),   f.ui.decompressOutputFile->text()};
    QCOMPARE(QStringList(std::begin(fields), std::end(fields)),
             (QStringList{a.toLocalFile(), c.toLocalFile(), a.toLocalFile(), c.toLocalFile(),
                          c.toLocalFile(), a.toLocalFile()}));
}

QUILLMOOR_TEST_MAIN(JobsTest)
#include "tst_jobs.moc"

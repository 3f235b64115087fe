// The three jobs through the window, run against the scripted stand-in converter.
#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

const QString kFailureText = QStringLiteral(
    "Fehler bei der Verarbeitung! Für weitere Informationen bitte das optionale "
    "Ausgabefenster aktivieren.");
const QString kSuccess[] = {"A2L wurde konvertiert!", "A2L's wurden verglichen!",
                            "CfgInclude wurde dekomprimiert!"};

// The three jobs of the window, with their two path fields and their button.
enum class Job { Convert, Compare, Decompress };
struct JobWidgets {
    QLineEdit* first;
    QLineEdit* second;
    QPushButton* button;
};

JobWidgets widgetsOf(MainWindow& w, Job job) {
    MainWindowForm& ui = Access::ui(w);
    const JobWidgets all[] = {
        {ui.convertInputInputfile, ui.convertInputOutputfile, ui.convertButtonConvert},
        {ui.compareInputOld, ui.compareInputNew, ui.compareButtonCompare},
        {ui.decompressInputFile, ui.decompressOutputFile, ui.decompressButtonDecompress}};
    return all[int(job)];
}

// Fills the two paths of `job` with fixed names and presses its button.
void startJob(MainWindow& w, Job job) {
    const char* names[][2] = {{"in put.a2l", "out.cfginclude"},
                              {"/a b/old.a2l", "new.a2l"},
                              {"in.cfginclude", "out.cfginclude"}};
    const JobWidgets widgets = widgetsOf(w, job);
    widgets.first->setText(QString::fromLatin1(names[int(job)][0]));
    widgets.second->setText(QString::fromLatin1(names[int(job)][1]));
    widgets.button->click();
}

// Waits until the run of `job` has ended and been handled and `boxes` boxes have been
// shown in all; true when exactly that many were shown.
bool waitForRun(WindowFixture& f, Job job, int boxes) {
    QProcess& process = Access::processOf(f.w, int(job));
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() &&
           (process.state() != QProcess::NotRunning || Access::runActive(f.w, process) ||
            f.watcher.boxes.size() < boxes)) {
        QTest::qWait(10);
    }
    QTest::qWait(50);  // a box too many would show now
    return f.watcher.boxes.size() == boxes;
}

// Starts `job` against the stand-in playing `script`, then waits as above.
bool runJob(WindowFixture& f, Job job, const QStringList& script, int boxes = 1) {
    f.ws.setScript(script);
    startJob(f.w, job);
    return waitForRun(f, job, boxes);
}

// Busy: form and dock disabled under the wait cursor; idle: enabled, no override cursor.
bool isBusy(MainWindow& w) {
    MainWindowForm& ui = Access::ui(w);
    return !ui.centralWidget->isEnabled() && !ui.dockWidgetContents->isEnabled() &&
           QApplication::overrideCursor() != nullptr &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

bool isIdle(MainWindow& w) {
    MainWindowForm& ui = Access::ui(w);
    return ui.centralWidget->isEnabled() && ui.dockWidgetContents->isEnabled() &&
           QApplication::overrideCursor() == nullptr;
}

QString logText(MainWindow& w) {
    return Access::ui(w).logOptionalLog->toPlainText();
}

// Drags `urls` over `edit`, offering a copy or a move with `modifiers` held, and drops them
// there when `drop` is set; returns the action the field asks for (IgnoreAction: refused).
Qt::DropAction dropOn(QLineEdit* edit, const QList<QUrl>& urls, bool drop = true,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMimeData mime;
    mime.setUrls(urls);
    mime.setText(urls.value(0).toLocalFile());  // as file managers send it, the path as text too
    const QPoint at = edit->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(edit, &enter);
    QDragMoveEvent move(at, offered, &mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(edit, &move);
    if (!enter.isAccepted() || !move.isAccepted()) {
        return Qt::IgnoreAction;
    }
    if (drop) {
        QDropEvent dropped(QPointF(at), offered, &mime, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(edit, &dropped);
    }
    return move.dropAction();
}

}  // namespace

class JobsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        // A failing test leaves no override cursor to the next one.
        while (QApplication::overrideCursor() != nullptr) {
            QApplication::restoreOverrideCursor();
        }
    }
    void arguments_data();
    void arguments();
    void missingPaths();
    void runEnds_data();
    void runEnds();
    void converterMissing();
    void whileRunning();
    void fileDialogs();
    void drops();
};

void JobsTest::arguments_data() {
    QTest::addColumn<int>("job");
    QTest::addColumn<bool>("option");  // zlib for convert, details for compare
    QTest::addColumn<QStringList>("stationPrefixRange");
    QTest::addColumn<QStringList>("options");
    const QStringList none;
    QTest::newRow("convert, zlib, second range")
        << 0 << true << QStringList{"", "", "1"} << QStringList{"-z", "-l", "tarVix=1.5.5"};
    QTest::newRow("convert, station before prefix, first range")
        << 0 << false << QStringList{"LOG7", "ECU 1", "0"}
        << QStringList{"-i", "-n", "LOG7", "-p", "ECU", "1", "-l", "tarVix=1.4.4"};
    QTest::newRow("compare") << 1 << false << none << none;
    QTest::newRow("compare, details") << 1 << true << none << QStringList{"-v"};
    QTest::newRow("decompress") << 2 << false << none << none;
}

// The stand-in gets the paths and options as arguments. Convert logs its command as the
// first line of the emptied log, compare and decompress keep the log; the output follows
// there, and a compare run shows it in its emptied output box too.
void JobsTest::arguments() {
    QFETCH(int, job);
    QFETCH(bool, option);
    QFETCH(QStringList, stationPrefixRange);
    QFETCH(QStringList, options);
    WindowFixture f;
    f.ui.logOptionalLog->setPlainText("earlier\n");
    f.ui.compareTextOutput->setPlainText("old result");
    if (option) {
        (job == 0 ? f.ui.convertOptionZlib
                  : static_cast<QAbstractButton*>(f.ui.compareSelectDetail))
            ->setChecked(true);
    }
    if (!stationPrefixRange.isEmpty()) {
        f.ui.convertInputStation->setText(stationPrefixRange[0]);
        f.ui.convertInputPrefix->setText(stationPrefixRange[1]);
        f.ui.convertSelectLibrary->setCurrentIndex(stationPrefixRange[2].toInt());
    }
    f.ws.setScript({"out <b>a</b> Gr\\xc3", "sleep 200", "out \\xb6\\xdfe\\nDone.\\n"});
    startJob(f.w, Job(job));
    QVERIFY(isBusy(f.w));
    QVERIFY(waitForRun(f, Job(job), 1));
    const JobWidgets widgets = widgetsOf(f.w, Job(job));
    const QStringList args = QStringList{QStringList{"convert", "compare", "decompress"}[job],
                                         widgets.first->text(), widgets.second->text()} +
                             options;
    QCOMPARE(f.ws.calls(), QList<QStringList>{args});
    const QString shown = QString::fromUtf8("<b>a</b> Größe\nDone.\n");
    QCOMPARE(f.ui.compareTextOutput->toPlainText(), job == 1 ? shown : "old result");
    const QString log = logText(f.w);
    const QString head = job == 0 ? "QuillmoorConverter.exe convert  \"in put.a2l\"" : "earlier";
    QVERIFY2(log.startsWith(head) && log.indexOf('\n') >= head.size(), qPrintable(log));
    QCOMPARE(log.mid(log.indexOf('\n') + 1), shown);
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
    QCOMPARE(f.watcher.titles(), QStringList(6, "Fehlende Argumente"));
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

// Each box the run deserves, once, in order; the log as the run left it; the window usable.
void JobsTest::runEnds() {
    QFETCH(int, job);
    QFETCH(QStringList, script);
    QFETCH(QStringList, expectedTitles);
    QFETCH(QString, logEnd);
    WindowFixture f;
    QVERIFY(runJob(f, Job(job), script, int(expectedTitles.size())));
    QCOMPARE(f.watcher.titles(), expectedTitles);
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
    QTRY_COMPARE(f.watcher.titles(), QStringList{"Fehler!"});
    QVERIFY(isIdle(f.w));
    QVERIFY2(logText(f.w).split('\n').value(1).startsWith(
                 "QuillmoorConverter.exe konnte nicht gestartet werden"),
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
    QTRY_COMPARE(f.watcher.titles(), (QStringList{"Fehler!", "Fehler!", "Fehler!"}));
    QCOMPARE(bar->value(), bar->maximum());
}

// Busy while the run goes on, menus usable, drops refused. Output that arrives while the run's
// box is open is shown, and its marker reported, when the box closes, not only when the run
// ends; a second start of a run that has reported but not ended is refused.
void JobsTest::whileRunning() {
    WindowFixture f;
    f.ws.writeFile("new.a2l", "x");
    const QUrl dropped = QUrl::fromLocalFile(f.ws.filePath("new.a2l"));
    f.watcher.holdBoxesMs = 500;
    f.ws.setScript({"sleep 300", "out Done.\\n", "sleep 100", "out Error. late\\n", "sleep 3000"});
    startJob(f.w, Job::Decompress);
    QVERIFY(isBusy(f.w));
    QAction* logAction = menuEntry(f.w, "Optionales Ausgabefenster");
    QVERIFY(logAction != nullptr && logAction->isEnabled() && f.w.menuBar()->isEnabled());
    QTRY_COMPARE(f.watcher.titles(), (QStringList{"Abgeschlossen!", "Fehler!"}));
    QCOMPARE(Access::processOf(f.w, 2).state(), QProcess::Running);
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

// The input dialogs of convert and decompress suggest the output beside the input, and the
// output dialogs start there; a cancelled input dialog forgets that place. The compare
// dialogs fill their fields.
void JobsTest::fileDialogs() {
    WindowFixture f;
    f.ws.writeFile("ecu.v2.a2l", "x");
    f.ws.writeFile("packed.cfginclude", "x");
    // Answers the next file dialog with `name` in the workspace (empty: cancels) and opens it.
    const auto choose = [&f](QToolButton* button, const QString& name) {
        f.watcher.queueFile(name.isEmpty() ? name : f.ws.filePath(name));
        button->click();
    };
    choose(f.ui.convertSelectInput, "ecu.v2.a2l");
    QCOMPARE(f.ui.convertInputInputfile->text(), f.ws.filePath("ecu.v2.a2l"));
    QCOMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("ecu.v2.cfginclude"));
    QCOMPARE(f.watcher.fileDialogs[0].nameFilters, QStringList{"A2L-Datei (*.a2l)"});
    choose(f.ui.convertSelectOutput, "chosen");
    QCOMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("chosen"));
    QVERIFY(f.watcher.fileDialogs[1].save);
    QCOMPARE(f.watcher.fileDialogs[1].selectedFiles, QStringList{f.ws.filePath("ecu.v2")});
    choose(f.ui.convertSelectOutput, "");
    QCOMPARE(f.ui.convertInputOutputfile->text(), f.ws.filePath("chosen"));

    choose(f.ui.decompressSelectInput, "packed.cfginclude");
    QCOMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("packed.cfginclude"));
    QCOMPARE(f.ui.decompressOutputFile->text(), f.ws.filePath("packed.cfginclude"));
    choose(f.ui.decompressSelectInput, "");
    QCOMPARE(f.ui.decompressInputFile->text(), f.ws.filePath("packed.cfginclude"));
    choose(f.ui.decompressSelectOutput, "");
    QVERIFY(!f.watcher.fileDialogs.value(5).selectedFiles.value(0).endsWith("/packed"));

    choose(f.ui.compareSelectOld, "ecu.v2.a2l");
    choose(f.ui.compareSelectNew, "packed.cfginclude");
    QCOMPARE(f.ui.compareInputOld->text(), f.ws.filePath("ecu.v2.a2l"));
    QCOMPARE(f.ui.compareInputNew->text(), f.ws.filePath("packed.cfginclude"));
    QCOMPARE(f.watcher.fileDialogs.size(), 8);
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
    QCOMPARE(dropOn(f.ui.compareInputOld, {c}, false, Qt::ShiftModifier), Qt::CopyAction);
    QList<QString> fields;
    for (Job job : {Job::Convert, Job::Compare, Job::Decompress}) {
        fields << widgetsOf(f.w, job).first->text() << widgetsOf(f.w, job).second->text();
    }
    QCOMPARE(fields, (QStringList{a.toLocalFile(), c.toLocalFile(), a.toLocalFile(),
                                  c.toLocalFile(), c.toLocalFile(), a.toLocalFile()}));
}

QUILLMOOR_TEST_MAIN(JobsTest)
#include "tst_jobs.moc"

// The converter's output in the window: marker recognition, the busy state, the
// result boxes, and the recovery when a run ends without a marker.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QtTest>

#include "converter/markers.h"
#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

const QString kFailureText = QStringLiteral(
    "Fehler bei der Verarbeitung! Für weitere Informationen bitte das optionale "
    "Ausgabefenster aktivieren.");

enum class Job { Convert, Compare, Decompress };

QProcess& processOf(MainWindow& w, Job job) {
    switch (job) {
        case Job::Compare:
            return Access::comparerProcess(w);
        case Job::Decompress:
            return Access::decompresserProcess(w);
        case Job::Convert:
            break;
    }
    return Access::converterProcess(w);
}

// Fills the mandatory fields of a job and presses its button.
void startJob(MainWindow& w, Job job) {
    auto& ui = Access::ui(w);
    switch (job) {
        case Job::Convert:
            ui.convertSelectLibrary->setCurrentIndex(2);
            ui.convertInputInputfile->setText(QStringLiteral("in.a2l"));
            ui.convertInputOutputfile->setText(QStringLiteral("out.cfginclude"));
            ui.convertButtonConvert->click();
            break;
        case Job::Compare:
            ui.compareInputOld->setText(QStringLiteral("old.a2l"));
            ui.compareInputNew->setText(QStringLiteral("new.a2l"));
            ui.compareButtonCompare->click();
            break;
        case Job::Decompress:
            ui.decompressInputFile->setText(QStringLiteral("in.cfginclude"));
            ui.decompressOutputFile->setText(QStringLiteral("out.cfginclude"));
            ui.decompressButtonDecompress->click();
            break;
    }
}

bool isBusy(MainWindow& w) {
    auto& ui = Access::ui(w);
    return !ui.centralWidget->isEnabled() && !ui.dockWidgetContents->isEnabled() &&
           QApplication::overrideCursor() != nullptr &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

// Idle: both widgets enabled and no override cursor left on the stack.
bool isIdle(MainWindow& w) {
    auto& ui = Access::ui(w);
    return ui.centralWidget->isEnabled() && ui.dockWidgetContents->isEnabled() &&
           QApplication::overrideCursor() == nullptr;
}

QStringList titles(const DialogWatcher& watcher) {
    QStringList result;
    for (const auto& box : watcher.boxes) {
        result << box.title;
    }
    return result;
}

// Records message boxes as they appear, with how many were open below each, and
// closes the top one when `closeWhen` says so. Closes everything after ten
// seconds, so that a missing box fails the test instead of hanging it.
class BoxRecorder : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        int openBelow = 0;
    };

    BoxRecorder() {
        connect(&timer_, &QTimer::timeout, this, &BoxRecorder::poll);
        timer_.start(10);
        started_.start();
    }

    int openNow() const { return int(open().size()); }
    qint64 oldestOpenMs() const { return open().isEmpty() ? 0 : since_.elapsed(); }

    std::function<bool(const QList<QMessageBox*>&)> closeWhen;
    QList<Seen> seen;

private:
    static QList<QMessageBox*> open() {
        QList<QMessageBox*> boxes;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (box != nullptr && box->isVisible()) {
                boxes << box;
            }
        }
        return boxes;
    }

    void poll() {
        const QList<QMessageBox*> boxes = open();
        for (QMessageBox* box : boxes) {
            if (!known_.contains(box)) {
                known_ << box;
                seen << Seen{box->windowTitle(), box->text(), int(boxes.size()) - 1};
                if (boxes.size() == 1) {
                    since_.start();
                }
            }
        }
        auto* top = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (top == nullptr) {
            return;
        }
        if (started_.elapsed() > 10000 || (closeWhen && closeWhen(boxes))) {
            top->button(QMessageBox::Ok)->click();
            since_.start();
        }
    }

    QTimer timer_;
    QElapsedTimer started_;
    QElapsedTimer since_;
    QList<QPointer<QMessageBox>> known_;
};

}  // namespace

class OutputTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    // Window-free parts
    void scanMarkers_data();
    void scanMarkers();
    void chunkTextDropsOnlyNul();
    void decoder_data();
    void decoder();
    void decoderAnySplit();
    void runOutputFindsSplitMarkers_data();
    void runOutputFindsSplitMarkers();

    // Through the window and the scripted converter
    void resultBoxes_data();
    void resultBoxes();
    void wrongCaseIsNoMarker();
    void splitMarkerRecognisedAtEnd();
    void nulAndHighBytes();
    void utf8Output_data();
    void utf8Output();
    void outputKeptAsPlainText();
    void outputAfterBusyStateStillAppended();
    void nestedBoxes();
    void outputWhileBoxOpen();
    void endWithoutResult_data();
    void endWithoutResult();
    void converterMissing();
    void converterKilled();
    void secondStartWhileRunning();
    void menusUsableWhileBusy();
};

void OutputTest::cleanup() {
    clearOverrideCursors();
}

void OutputTest::scanMarkers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("done");
    QTest::addColumn<bool>("failure");
    QTest::newRow("done") << "Converting...\nDone.\n" << true << false;
    QTest::newRow("error") << "Error. file not found" << false << true;
    QTest::newRow("warning") << "Warning: unknown block" << false << true;
    QTest::newRow("done and error") << "Done.\nError.\n" << true << true;
    QTest::newRow("error and warning") << "Warning: x\nError. y" << false << true;
    QTest::newRow("lower case") << "done. error. warning:" << false << false;
    QTest::newRow("capitals") << "DONE. ERROR. WARNING:" << false << false;
    QTest::newRow("without dot or colon") << "Done Error Warning" << false << false;
    QTest::newRow("inside words") << "UnDone.Errors.Warning:s" << true << true;
    QTest::newRow("empty") << "" << false << false;
}

void OutputTest::scanMarkers() {
    QFETCH(QString, text);
    QFETCH(bool, done);
    QFETCH(bool, failure);
    const output::Markers found = output::scanMarkers(text);
    QCOMPARE(found.done, done);
    QCOMPARE(found.failure, failure);
}

void OutputTest::chunkTextDropsOnlyNul() {
    QCOMPARE(output::chunkText(QByteArray("abc\0Done.\0\n", 11)), QString("abcDone.\n"));
    QCOMPARE(output::chunkText(QByteArray("\xe4\xf6\xfc\xdf \x80\xff")),
             QString::fromUtf8("äöüß \u0080ÿ"));
    QCOMPARE(output::chunkText(QByteArray("\0\0", 2)), QString());
}

void OutputTest::decoder_data() {
    QTest::addColumn<QByteArrayList>("deliveries");
    QTest::addColumn<QStringList>("texts");  // one per delivery, then the end
    const QString none;
    QTest::newRow("ASCII") << QByteArrayList{"Done.\n"} << QStringList{"Done.\n", none};
    QTest::newRow("UTF-8 path") << QByteArrayList{"C:/pr\xc3\xbc" "fstand/a.a2l"}
                                << QStringList{QString::fromUtf8("C:/prüfstand/a.a2l"), none};
    QTest::newRow("two bytes split") << QByteArrayList{"pr\xc3",
                                                       "\xbc"
                                                       "f"}
                                     << QStringList{"pr", QString::fromUtf8("üf"), none};
    QTest::newRow("three bytes split twice")
        << QByteArrayList{"\xe2", "\x82", "\xac 5"}
        << QStringList{none, none, QString::fromUtf8("€ 5"), none};
    QTest::newRow("four bytes split")
        << QByteArrayList{"a\xf0\x9f", "\x98\x80"}
        << QStringList{"a", QString::fromUtf8("\xf0\x9f\x98\x80"), none};
    QTest::newRow("Latin-1") << QByteArrayList{"Gr\xf6\xdf" "e"}
                             << QStringList{QString::fromUtf8("Größe"), none};
    QTest::newRow("Latin-1 at the end, then ASCII")
        << QByteArrayList{"Stra\xdf", "e"} << QStringList{"Stra", QString::fromUtf8("ße"), none};
    QTest::newRow("Latin-1 at the end of the output")
        << QByteArrayList{"Ma\xdf"} << QStringList{"Ma", QString::fromUtf8("ß")};
    QTest::newRow("cut sequence then ASCII")
        << QByteArrayList{"\xe2\x82" "A"} << QStringList{QString::fromUtf8("â\u0082A"), none};
    QTest::newRow("overlong, surrogate, above U+10FFFF, lone continuation")
        << QByteArrayList{"\xc0\x80\xed\xa0\x80\xf5\x80\x80\x80\x80"}
        << QStringList{QString::fromUtf8("\u00c0\u0080\u00ed\u00a0\u0080\u00f5\u0080\u0080"
                                         "\u0080\u0080"),
                       none};
    QTest::newRow("NUL inside a sequence") << QByteArrayList{QByteArray("\xc3\0\xbc", 3)}
                                           << QStringList{QString::fromUtf8("Ã¼"), none};
    QTest::newRow("NUL bytes dropped")
        << QByteArrayList{QByteArray("a\0b\xc3", 4), QByteArray("\0\xa4", 2)}
        << QStringList{"ab", QString::fromUtf8("Ã¤"), none};
}

// Deliveries decoded one after the other, then the end of the output.
void OutputTest::decoder() {
    QFETCH(QByteArrayList, deliveries);
    QFETCH(QStringList, texts);
    output::OutputDecoder decoder;
    QStringList got;
    for (const QByteArray& bytes : deliveries) {
        got << decoder.decode(bytes);
    }
    got << decoder.finish();
    QCOMPARE(got, texts);
}

// The same text whichever byte the output is split at.
void OutputTest::decoderAnySplit() {
    const QByteArray bytes =
        QString::fromUtf8("Prüfstand € 5 \xf0\x9f\x98\x80 Größe").toUtf8() + QByteArray(
                                                                                 " Gr\xf6\xdf"
                                                                                 "e Done.\n");
    const QString expected =
        QString::fromUtf8("Prüfstand € 5 \xf0\x9f\x98\x80 Größe Größe Done.\n");
    for (qsizetype at = 0; at <= bytes.size(); ++at) {
        output::OutputDecoder decoder;
        QString text = decoder.decode(bytes.left(at));
        text += decoder.decode(bytes.mid(at));
        text += decoder.finish();
        QVERIFY2(text == expected, qPrintable(QString("split at %1: %2").arg(at).arg(text)));
    }
}

void OutputTest::runOutputFindsSplitMarkers_data() {
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<bool>("done");
    QTest::addColumn<bool>("failure");
    QTest::newRow("two pieces") << QStringList{"working\nDo", "ne.\n"} << true << false;
    QTest::newRow("three pieces") << QStringList{"Warn", "in", "g: x"} << false << true;
    QTest::newRow("one letter each") << QStringList{"E", "r", "r", "o", "r", "."} << false << true;
    QTest::newRow("long chunks") << QStringList{QString(5000, 'x') + "Err",
                                                "or." + QString(5000, 'y')}
                                 << false << true;
    QTest::newRow("no marker") << QStringList{"Don", "e", " Error"} << false << false;
    QTest::newRow("gap between pieces") << QStringList{"Do", "x", "ne."} << false << false;
}

void OutputTest::runOutputFindsSplitMarkers() {
    QFETCH(QStringList, chunks);
    QFETCH(bool, done);
    QFETCH(bool, failure);
    output::RunOutput run;
    run.begin();
    for (const QString& chunk : chunks) {
        QVERIFY(!run.feed(chunk).any());
    }
    QVERIFY(!run.markerInChunk());
    QCOMPARE(run.wholeOutput().done, done);
    QCOMPARE(run.wholeOutput().failure, failure);
    QVERIFY(run.end());
    QVERIFY(!run.end());
    // A new run forgets the earlier one.
    run.begin();
    QVERIFY(!run.wholeOutput().any());
}

void OutputTest::resultBoxes_data() {
    QTest::addColumn<int>("job");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("expectedTitles");
    QTest::addColumn<QStringList>("expectedTexts");
    const QString success[] = {"A2L wurde konvertiert!", "A2L's wurden verglichen!",
                               "CfgInclude wurde dekomprimiert!"};
    const char* names[] = {"convert", "compare", "decompress"};
    for (int job = 0; job < 3; ++job) {
        const QByteArray name(names[job]);
        QTest::newRow(name + " success")
            << job << QStringList{"out Reading...\\n", "sleep 100", "out Done.\\n", "sleep 100"}
            << QStringList{"Abgeschlossen!"} << QStringList{success[job]};
        QTest::newRow(name + " error") << job << QStringList{"out Error. no such file\\n"}
                                       << QStringList{"Fehler!"} << QStringList{kFailureText};
        QTest::newRow(name + " warning") << job << QStringList{"out Warning: odd block\\n"}
                                         << QStringList{"Fehler!"} << QStringList{kFailureText};
        QTest::newRow(name + " done and error in one chunk")
            << job << QStringList{"out Done.\\nError.\\n"}
            << QStringList{"Abgeschlossen!", "Fehler!"} << QStringList{success[job], kFailureText};
    }
    QTest::newRow("error and warning in one chunk")
        << 2 << QStringList{"out Warning: a\\nError. b\\n"} << QStringList{"Fehler!"}
        << QStringList{kFailureText};
    QTest::newRow("warning, later done")
        << 0 << QStringList{"out Warning: a\\n", "sleep 300", "out Done.\\n"}
        << QStringList{"Fehler!", "Abgeschlossen!"}
        << QStringList{kFailureText, "A2L wurde konvertiert!"};
}

void OutputTest::resultBoxes() {
    QFETCH(int, job);
    QFETCH(QStringList, script);
    QFETCH(QStringList, expectedTitles);
    QFETCH(QStringList, expectedTexts);
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    ws.setScript(script);
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job(job));
    QVERIFY(isBusy(w));
    QTRY_COMPARE(processOf(w, Job(job)).state(), QProcess::NotRunning);
    QTRY_COMPARE(watcher.boxes.size(), expectedTitles.size());
    QTest::qWait(100);  // no late extra box, e.g. from the end of the run
    QCOMPARE(titles(watcher), expectedTitles);
    for (int i = 0; i < watcher.boxes.size(); ++i) {
        QCOMPARE(watcher.boxes[i].text, expectedTexts[i]);
        QCOMPARE(watcher.boxes[i].icon, QMessageBox::Information);
        QCOMPARE(watcher.boxes[i].buttons, QStringList{"OK"});
    }
    QVERIFY(isIdle(w));
    QCOMPARE(ws.calls().size(), 1);
    QCOMPARE(watcher.unexpected, 0);
}

void OutputTest::wrongCaseIsNoMarker() {
    TestWorkspace ws;
    ws.setScript({"out done.\\nERROR.\\nwarning:\\nWARNING:\\n", "sleep 600"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Decompress);
    QTRY_VERIFY(logText(w).contains("WARNING:"));
    QTest::qWait(200);
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(isBusy(w));
    // The run ends without a result: the window recovers with the failure box.
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Fehler!"));
    QVERIFY(isIdle(w));
}

void OutputTest::splitMarkerRecognisedAtEnd() {
    TestWorkspace ws;
    ws.setScript({"out working\\nDo", "sleep 200", "out ne.\\n", "sleep 400"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Decompress);
    QTRY_VERIFY(logText(w).endsWith("Done.\n"));
    // Neither delivery holds the whole marker: still busy while the run goes on.
    QTest::qWait(150);
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(isBusy(w));
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Abgeschlossen!"));
    QCOMPARE(watcher.boxes[0].text, QString("CfgInclude wurde dekomprimiert!"));
    QVERIFY(isIdle(w));
    QCOMPARE(logText(w), QString("working\nDone.\n"));
}

void OutputTest::nulAndHighBytes() {
    TestWorkspace ws;
    ws.setScript({"out Gr\\xf6\\xdfe \\xe4\\0 nach NUL Done.\\n"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Compare);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Abgeschlossen!"));
    const QString expected = QString::fromUtf8("Größe ä nach NUL Done.\n");
    QCOMPARE(logText(w), expected);
    QCOMPARE(Access::ui(w).compareTextOutput->toPlainText(), expected);
}

void OutputTest::utf8Output_data() {
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("UTF-8 in one delivery")
        << QStringList{"out Reading C:/pr\\xc3\\xbc" "fstand/\\xe2\\x82\\xac.a2l\\nDone.\\n"}
        << QString::fromUtf8("Reading C:/prüfstand/€.a2l\nDone.\n");
    QTest::newRow("character split over two deliveries")
        << QStringList{"out Reading C:/pr\\xc3", "sleep 100",
                       "out \\xbc"
                       "fstand\\nDone.\\n"}
        << QString::fromUtf8("Reading C:/prüfstand\nDone.\n");
    QTest::newRow("code page output")
        << QStringList{"out Gr\\xf6\\xdf" "e\\n", "sleep 100", "out Stra\\xdf", "sleep 100",
                       "out e Done.\\n"}
        << QString::fromUtf8("Größe\nStraße Done.\n");
}

// The converter writes UTF-8: shown as such in the log and in the compare box,
// also when a character arrives in two deliveries; other bytes as Latin-1.
void OutputTest::utf8Output() {
    QFETCH(QStringList, script);
    QFETCH(QString, expected);
    TestWorkspace ws;
    ws.setScript(script);
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Compare);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Abgeschlossen!"));
    QCOMPARE(logText(w), expected);
    QCOMPARE(Access::ui(w).compareTextOutput->toPlainText(), expected);
}

void OutputTest::outputKeptAsPlainText() {
    // Markup-like output on the first line of an empty view, then more of it.
    TestWorkspace ws;
    ws.setScript(
        {"out <b>bold?</b> a < b > c<br>\\n", "sleep 100", "out &amp; <i>x</i>\\nDone.\\n"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Compare);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    const QString expected = "<b>bold?</b> a < b > c<br>\n&amp; <i>x</i>\nDone.\n";
    QCOMPARE(logText(w), expected);
    QCOMPARE(Access::ui(w).compareTextOutput->toPlainText(), expected);
}

void OutputTest::outputAfterBusyStateStillAppended() {
    TestWorkspace ws;
    ws.setScript({"out Done.\\n", "sleep 300", "out trailing words\\n", "sleep 100"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Decompress);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QVERIFY(isIdle(w));
    QTRY_VERIFY(logText(w).endsWith("trailing words\n"));
    QTRY_COMPARE(Access::decompresserProcess(w).state(), QProcess::NotRunning);
    QTest::qWait(100);
    QCOMPARE(watcher.boxes.size(), 1);
    QVERIFY(isIdle(w));
}

void OutputTest::nestedBoxes() {
    // The decompress run reports late, while the compare run started after its
    // first result runs too: the compare box opens on top of the decompress box.
    TestWorkspace ws;
    ws.setScript({"out Done.\\n", "sleep 700", "out Error. late\\n", "sleep 100"});
    auto* watcher = new DialogWatcher;
    MainWindow w;
    watcher->boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Decompress);
    QTRY_COMPARE(watcher->boxes.size(), 1);
    QCOMPARE(watcher->boxes[0].title, QString("Abgeschlossen!"));
    delete watcher;
    ws.setScript({"sleep 1400", "out Done.\\n"});
    startJob(w, Job::Compare);
    QVERIFY(isBusy(w));

    BoxRecorder boxes;
    boxes.closeWhen = [](const QList<QMessageBox*>& open) { return open.size() == 2; };
    QTRY_VERIFY_WITH_TIMEOUT(boxes.seen.size() == 2 && boxes.openNow() == 0, 10000);
    QCOMPARE(boxes.seen[0].title, QString("Fehler!"));
    QCOMPARE(boxes.seen[1].title, QString("Abgeschlossen!"));
    QCOMPARE(boxes.seen[1].text, QString("A2L's wurden verglichen!"));
    QCOMPARE(boxes.seen[1].openBelow, 1);
    QVERIFY(isIdle(w));
}

void OutputTest::outputWhileBoxOpen() {
    // Output of the same run that arrives while its box is open is shown, and
    // its marker reported, once the box is closed, not only when the run ends.
    TestWorkspace ws;
    ws.setScript({"out Done.\\n", "sleep 100", "out Error. late\\n", "sleep 4000"});
    auto* watcher = new DialogWatcher;
    MainWindow w;
    delete watcher;  // it answered whatever the start-up showed (versions file)
    BoxRecorder boxes;
    boxes.closeWhen = [&boxes](const QList<QMessageBox*>&) { return boxes.oldestOpenMs() > 400; };
    startJob(w, Job::Decompress);
    QTRY_VERIFY_WITH_TIMEOUT(boxes.seen.size() == 2 && boxes.openNow() == 0, 3000);
    QCOMPARE(Access::decompresserProcess(w).state(), QProcess::Running);
    QCOMPARE(boxes.seen[0].title, QString("Abgeschlossen!"));
    QCOMPARE(boxes.seen[1].title, QString("Fehler!"));
    QCOMPARE(boxes.seen[1].openBelow, 0);
    QVERIFY(logText(w).endsWith("Done.\nError. late\n"));
    Access::decompresserProcess(w).kill();
    QTRY_COMPARE(Access::decompresserProcess(w).state(), QProcess::NotRunning);
    // A marker already ended the run; being killed afterwards shows no box.
    QTest::qWait(100);
    QCOMPARE(boxes.seen.size(), 2);
}

void OutputTest::endWithoutResult_data() {
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QString>("errorStream");
    QTest::newRow("no output, exit 0")
        << QStringList{}
        << "QuillmoorConverter.exe wurde mit dem Exit-Code 0 ohne Ergebnis beendet."
        << "";
    QTest::newRow("output without marker, exit 3")
        << QStringList{"out half a line", "err cannot open in.cfginclude\\n", "exit 3"}
        << "QuillmoorConverter.exe wurde mit dem Exit-Code 3 ohne Ergebnis beendet."
        << "cannot open in.cfginclude\n";
}

void OutputTest::endWithoutResult() {
    QFETCH(QStringList, script);
    QFETCH(QString, logLine);
    QFETCH(QString, errorStream);
    TestWorkspace ws;
    ws.setScript(script);
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Decompress);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Fehler!"));
    QCOMPARE(watcher.boxes[0].text, kFailureText);
    QVERIFY(isIdle(w));
    // The line stands on its own line, after what the converter printed.
    const QStringList lines = logText(w).split('\n');
    QVERIFY2(lines.contains(logLine), qPrintable(logText(w)));
    QVERIFY(logText(w).endsWith(logLine + "\n" + errorStream));
}

void OutputTest::converterMissing() {
    TestWorkspace ws;
    ws.removeConverter();
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Convert);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Fehler!"));
    QVERIFY(isIdle(w));
    // The log holds the command, then the line about the failed start.
    const QStringList lines = logText(w).split('\n');
    QVERIFY(lines.value(0).startsWith("QuillmoorConverter.exe convert "));
    QVERIFY2(lines.value(1).startsWith("QuillmoorConverter.exe konnte nicht gestartet werden"),
             qPrintable(logText(w)));
    // The job can be started again.
    startJob(w, Job::Convert);
    QTRY_COMPARE(watcher.boxes.size(), 2);
    QCOMPARE(watcher.unexpected, 0);
}

void OutputTest::converterKilled() {
    TestWorkspace ws;
    ws.setScript({"out working\\n", "err out of memory\\n", "crash"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Compare);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes[0].title, QString("Fehler!"));
    QVERIFY(isIdle(w));
    QVERIFY2(
        logText(w).endsWith("working\nQuillmoorConverter.exe ist abgestürzt.\nout of memory\n"),
        qPrintable(logText(w)));
    // The compare box shows only what the converter printed.
    QCOMPARE(Access::ui(w).compareTextOutput->toPlainText(), QString("working\n"));

    // Killed from outside while it runs.
    ws.setScript({"out still going\\n", "sleep 5000"});
    startJob(w, Job::Compare);
    QTRY_VERIFY(logText(w).endsWith("still going\n"));
    Access::comparerProcess(w).kill();
    QTRY_COMPARE(watcher.boxes.size(), 2);
    QCOMPARE(watcher.boxes[1].title, QString("Fehler!"));
    QVERIFY(logText(w).endsWith("QuillmoorConverter.exe ist abgestürzt.\n"));
    QVERIFY(isIdle(w));
}

void OutputTest::secondStartWhileRunning() {
    TestWorkspace ws;
    ws.setScript({"out Done.\\n", "sleep 1500", "out Error. late\\n"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    startJob(w, Job::Decompress);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QVERIFY(isIdle(w));
    QCOMPARE(Access::decompresserProcess(w).state(), QProcess::Running);
    // The earlier run is still going: a warning, no second run, no busy state.
    startJob(w, Job::Decompress);
    QTRY_COMPARE(watcher.boxes.size(), 2);
    QCOMPARE(watcher.boxes[1].title, QString("Warnung!"));
    QCOMPARE(watcher.boxes[1].icon, QMessageBox::Warning);
    QVERIFY(watcher.boxes[1].text.startsWith("Der vorherige Lauf"));
    QVERIFY(isIdle(w));
    QCOMPARE(ws.calls().size(), 1);
    // The earlier run's later output is still handled.
    QTRY_COMPARE_WITH_TIMEOUT(watcher.boxes.size(), 3, 5000);
    QCOMPARE(watcher.boxes[2].title, QString("Fehler!"));
    // Once it has ended, the job starts again.
    QTRY_COMPARE(Access::decompresserProcess(w).state(), QProcess::NotRunning);
    QTest::qWait(50);
    ws.setScript({"out Done.\\n"});
    startJob(w, Job::Decompress);
    QTRY_COMPARE(watcher.boxes.size(), 4);
    QCOMPARE(watcher.boxes[3].title, QString("Abgeschlossen!"));
    QCOMPARE(ws.calls().size(), 2);
}

void OutputTest::menusUsableWhileBusy() {
    TestWorkspace ws;
    ws.setScript({"sleep 800", "out Done.\\n"});
    DialogWatcher watcher;
    MainWindow w;
    watcher.boxes.clear();  // whatever the start-up showed (versions file)
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    startJob(w, Job::Decompress);
    QVERIFY(isBusy(w));
    QVERIFY(w.menuBar()->isEnabled());
    QAction* logAction = nullptr;
    for (QAction* menu : w.menuBar()->actions()) {
        QVERIFY(menu->isEnabled());
        for (QAction* entry : menu->menu()->actions()) {
            QVERIFY(entry->isEnabled());
            if (entry->isCheckable()) {
                logAction = entry;
            }
        }
    }
    QVERIFY(logAction != nullptr);
    logAction->trigger();
    QVERIFY(Access::ui(w).dockWidget->isVisible());
    QVERIFY(isBusy(w));
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QVERIFY(isIdle(w));
}

QUILLMOOR_TEST_MAIN(OutputTest)
#include "tst_output.moc"

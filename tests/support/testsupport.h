#pragma once

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>

#include "app/formstate.h"
#include "app/mainwindow.h"
#include "app/mainwindowform.h"

// Reaches the private parts of the window that the tests check.
class MainWindowTestAccess {
public:
    static FormState& state(MainWindow& w) { return w.state; }
    static MainWindowForm& ui(MainWindow& w) { return *w.ui; }
    static QProcess& converterProcess(MainWindow& w) { return w.converterProcess; }
    static QProcess& decompresserProcess(MainWindow& w) { return w.decompresserProcess; }
    static QProcess& processOf(MainWindow& w, int job) {
        return *std::array{&w.converterProcess, &w.comparerProcess, &w.decompresserProcess}[job];
    }
    static QProcess& infoProcess(MainWindow& w) { return w.infoProcess; }
    static bool runActive(MainWindow& w, QProcess& process) { return w.runOf(process).isActive(); }
    static QStringList& versionList(MainWindow& w) { return w.versionList; }
    static QSize& savedWindowSize(MainWindow& w) { return w.savedWindowSize; }
    static std::function<bool(const QString&, const QStringList&)>& launchDetached(MainWindow& w) {
        return w.launchDetached;
    }
};

// A temporary working directory per test: it becomes the current directory, gets
// its own settings store, and holds the scripted stand-in converter under the
// name the front-end runs. Restores the previous directory when destroyed.
// On Windows the store is the registry key HKEY_CURRENT_USER\Software\KOLDAN\VELMOR,
// which QSettings::setPath cannot move: it is removed at start and at the end instead.
class TestWorkspace {
public:
    TestWorkspace();
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace&) = delete;
    TestWorkspace& operator=(const TestWorkspace&) = delete;

    bool isValid() const { return valid_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Whether anything was stored: the settings file of this workspace (organization
    // KOLDAN, application VELMOR), or on Windows the registry key.
    bool settingsStored() const;

    // The script the stand-in converter plays (see standin.cpp for the verbs).
    void setScript(const QStringList& lines);
    // Removes the stand-in converter, so that starting it fails.
    void removeConverter();
    // Each run of the stand-in with the arguments it received.
    QList<QStringList> calls() const;
    void writeFile(const QString& name, const QByteArray& bytes);

private:
    QTemporaryDir dir_;
    QString previousDirectory_;
    bool valid_ = false;
};

// Watches for modal dialogs, records what they show and answers them.
// Message boxes are answered with the next queued button text, or else their
// OK button (a box without one is rejected and counted as unexpected). File
// dialogs take the next queued path (an empty path cancels). Anything else open
// longer than the watchdog limit is rejected and counted as unexpected, so a
// wrong dialog fails a test instead of hanging it.
class DialogWatcher : public QObject {
    Q_OBJECT

public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
    };
    struct FileDialogSeen {
        QStringList nameFilters;
        QStringList selectedFiles;
        bool save = false;
    };

    explicit DialogWatcher(QObject* parent = nullptr);

    void queueButton(const QString& buttonText) { buttonQueue_ << buttonText; }
    void queueFile(const QString& path) { fileQueue_ << path; }
    // A handler for the next dialog of another kind; returns true when it dealt with it.
    void queueHandler(std::function<bool(QWidget*)> handler) { handlers_ << handler; }

    QList<Box> boxes;
    QList<FileDialogSeen> fileDialogs;
    int unexpected = 0;
    // How long a message box stays open before it is answered.
    int holdBoxesMs = 0;

private:
    void poll();

    QTimer timer_;
    QStringList buttonQueue_;
    QStringList fileQueue_;
    QList<std::function<bool(QWidget*)>> handlers_;
    QPointer<QWidget> current_;
    qint64 currentSince_ = 0;
    QPointer<QMessageBox> heldBox_;
};

// A window built in its own workspace after `prepare` (settings, files) has run. Boxes
// shown during start-up have been answered and are forgotten.
struct WindowFixture {
    explicit WindowFixture(const std::function<void(TestWorkspace&)>& prepare = {});
    TestWorkspace ws;
    bool prepared;
    DialogWatcher watcher;
    MainWindow w;
    MainWindowForm& ui = MainWindowTestAccess::ui(w);
    FormState& state = MainWindowTestAccess::state(w);
};
// Writes a versions file with `versions` (without one, start-up reports the missing file).
void writeVersions(TestWorkspace& ws, const QStringList& versions);

// The three jobs of the window.
enum class Job { Convert, Compare, Decompress };
// The two path fields and the button of a job.
struct JobWidgets {
    QLineEdit* first;
    QLineEdit* second;
    QPushButton* button;
};
JobWidgets widgetsOf(MainWindow& w, Job job);
// Fills the two paths of `job` with fixed names and presses its button.
void startJob(MainWindow& w, Job job);
// Waits until the run of `job` has ended and been handled and `boxes` boxes
// have been shown in all; true when exactly that many were shown.
bool waitForRun(WindowFixture& f, Job job, int boxes);
// Starts `job` against the stand-in playing `script`, then waits as above.
bool runJob(WindowFixture& f, Job job, const QStringList& script, int boxes = 1);
// Busy: form and dock disabled under the wait cursor; idle: enabled, no cursor.
bool isBusy(MainWindow& w);
bool isIdle(MainWindow& w);
// The titles of the boxes seen so far.
QStringList titles(const DialogWatcher& watcher);
// A menu entry by its text, or null.
QAction* menuEntry(MainWindow& w, const QString& text);

// The plain text of the log view.
QString logText(MainWindow& w);

// Pops every override cursor, so that a failing test leaves none to the next one.
void clearOverrideCursors();

// main() for a front-end test: headless unless a platform is chosen, widget
// file dialogs (so that tests can answer them), then the Qt Test run.
#define QUILLMOOR_TEST_MAIN(TestClass)                           \
    int main(int argc, char* argv[]) {                           \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {    \
            qputenv("QT_QPA_PLATFORM", "offscreen");             \
        }                                                        \
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs); \
        QApplication app(argc, argv);                            \
        TestClass test;                                          \
        QTEST_SET_MAIN_SOURCE_PATH                               \
        return QTest::qExec(&test, argc, argv);                  \
    }

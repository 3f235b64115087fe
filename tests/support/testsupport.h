#pragma once

#include <QtTest>
#include <QtWidgets>
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
    // The process of job 0 convert, 1 compare, 2 decompress.
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

// A temporary working directory per test: the current directory until destroyed, with its
// own settings store and the stand-in converter under the name the front-end runs. On
// Windows the store is the registry key HKEY_CURRENT_USER\Software\KOLDAN\VELMOR, which
// QSettings::setPath cannot move: it is removed at start and at the end instead.
class TestWorkspace {
public:
    TestWorkspace();
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace&) = delete;
    TestWorkspace& operator=(const TestWorkspace&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
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
};

// Watches for modal dialogs, records what they show and answers them. Message boxes take
// the next queued button text, or else OK (a box without one is rejected and counted as
// unexpected); file dialogs take the next queued path (an empty path cancels). Anything
// else open longer than the watchdog limit is rejected and counted as unexpected, so a
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
    QStringList titles() const;

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
// A menu entry by its text, or null.
QAction* menuEntry(MainWindow& w, const QString& text);

// main() for a front-end test: headless unless a platform is chosen, widget file dialogs
// (so that tests can answer them), then the Qt Test run.
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

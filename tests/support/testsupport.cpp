#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTextBrowser>

namespace {
constexpr int kPollMs = 10;
constexpr qint64 kWatchdogMs = 5000;

#ifdef Q_OS_WIN
const QString kRegistryParent = QStringLiteral("HKEY_CURRENT_USER\\Software\\KOLDAN");

void removeRegistrySettings() {
    QSettings parent(kRegistryParent, QSettings::NativeFormat);
    parent.remove(QStringLiteral("VELMOR"));
    parent.sync();
}
#endif
}  // namespace

TestWorkspace::TestWorkspace() : previousDirectory_(QDir::currentPath()) {
    if (!dir_.isValid()) {
        return;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("settings"));
#ifdef Q_OS_WIN
    removeRegistrySettings();
#endif
    const QString converter = dir_.filePath(QStringLiteral("QuillmoorConverter.exe"));
    valid_ = QFile::copy(QStringLiteral(QUILLMOOR_STANDIN_PATH), converter) &&
             QFile::setPermissions(converter, QFile::permissions(converter) | QFile::ExeOwner) &&
             QDir::setCurrent(dir_.path());
}

TestWorkspace::~TestWorkspace() {
    QDir::setCurrent(previousDirectory_);
#ifdef Q_OS_WIN
    removeRegistrySettings();
#endif
}

bool TestWorkspace::settingsStored() const {
#ifdef Q_OS_WIN
    return QSettings(kRegistryParent, QSettings::NativeFormat)
        .childGroups()
        .contains(QStringLiteral("VELMOR"));
#else
    return QFile::exists(dir_.filePath(QStringLiteral("settings/KOLDAN/VELMOR.conf")));
#endif
}

void TestWorkspace::setScript(const QStringList& lines) {
    writeFile(QStringLiteral("standin-script.txt"), lines.join(QLatin1Char('\n')).toUtf8() + '\n');
}

void TestWorkspace::removeConverter() {
    QFile::remove(dir_.filePath(QStringLiteral("QuillmoorConverter.exe")));
}

QList<QStringList> TestWorkspace::calls() const {
    QList<QStringList> result;
    QFile file(dir_.filePath(QStringLiteral("standin-calls.txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line == "call") {
            result.append(QStringList());
        } else if (line.startsWith("arg ") && !result.isEmpty()) {
            QByteArray arg = line.mid(4);
            arg.replace("%0A", "\n").replace("%0D", "\r").replace("%25", "%");
            result.last().append(QString::fromLocal8Bit(arg));
        }
    }
    return result;
}

void TestWorkspace::writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(dir_.filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

DialogWatcher::DialogWatcher(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &DialogWatcher::poll);
    timer_.start(kPollMs);
}

void DialogWatcher::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (box != heldBox_) {
            heldBox_ = box;
            currentSince_ = now;
        }
        if (now - currentSince_ < holdBoxesMs) {
            return;
        }
        heldBox_ = nullptr;
        Box seen;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
        }
        boxes << seen;
        if (!buttonQueue_.isEmpty()) {
            const QString wanted = buttonQueue_.takeFirst();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == wanted) {
                    chosen = button;
                }
            }
        }
        if (chosen == nullptr) {
            chosen = box->button(QMessageBox::Ok);
        }
        if (chosen != nullptr) {
            chosen->click();
        } else {
            ++unexpected;
            box->reject();
        }
        return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        FileDialogSeen seen;
        seen.nameFilters = dialog->nameFilters();
        seen.selectedFiles = dialog->selectedFiles();
        seen.save = dialog->acceptMode() == QFileDialog::AcceptSave;
        fileDialogs << seen;
        if (fileQueue_.isEmpty()) {
            ++unexpected;
            dialog->reject();
            return;
        }
        const QString answer = fileQueue_.takeFirst();
        if (answer.isEmpty()) {
            dialog->reject();
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit == nullptr) {
            ++unexpected;
            dialog->reject();
            return;
        }
        edit->setText(answer);
        static_cast<QDialog*>(dialog)->accept();
        return;
    }
    if (!handlers_.isEmpty() && handlers_.first()(modal)) {
        handlers_.removeFirst();
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (current_ != modal) {
        current_ = modal;
        currentSince_ = now;
    } else if (now - currentSince_ > kWatchdogMs) {
        ++unexpected;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
}

QString logText(MainWindow& w) {
    return MainWindowTestAccess::ui(w).logOptionalLog->toPlainText();
}

void clearOverrideCursors() {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

namespace {
// Writes the versions file before the window that reads it is built.
bool writeVersions(TestWorkspace& ws, const QStringList* versions) {
    if (versions != nullptr) {
        ws.writeFile(QStringLiteral("tarvixVersions.xml"),
                     "<r><TopVersion>2019.02</TopVersion><VersionList>" +
                         versions->join(QLatin1Char('\n')).toUtf8() + "</VersionList></r>");
    }
    return versions != nullptr;
}
}  // namespace

WindowFixture::WindowFixture(const QStringList* versions)
    : versionsWritten(writeVersions(ws, versions)) {
    watcher.boxes.clear();
}

QProcess& processOf(MainWindow& w, Job job) {
    switch (job) {
        case Job::Compare:
            return MainWindowTestAccess::comparerProcess(w);
        case Job::Decompress:
            return MainWindowTestAccess::decompresserProcess(w);
        case Job::Convert:
            break;
    }
    return MainWindowTestAccess::converterProcess(w);
}

void startJob(MainWindow& w, Job job) {
    MainWindowForm& ui = MainWindowTestAccess::ui(w);
    switch (job) {
        case Job::Convert:
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

bool waitForRun(WindowFixture& f, Job job, int boxes) {
    QProcess& process = processOf(f.w, job);
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() &&
           (process.state() != QProcess::NotRunning ||
            MainWindowTestAccess::runActive(f.w, process) || f.watcher.boxes.size() < boxes)) {
        QTest::qWait(10);
    }
    QTest::qWait(50);  // a box too many would show now
    return f.watcher.boxes.size() == boxes;
}

bool runJob(WindowFixture& f, Job job, const QStringList& script, int boxes) {
    f.ws.setScript(script);
    startJob(f.w, job);
    return waitForRun(f, job, boxes);
}

bool isBusy(MainWindow& w) {
    MainWindowForm& ui = MainWindowTestAccess::ui(w);
    return !ui.centralWidget->isEnabled() && !ui.dockWidgetContents->isEnabled() &&
           QApplication::overrideCursor() != nullptr &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

bool isIdle(MainWindow& w) {
    MainWindowForm& ui = MainWindowTestAccess::ui(w);
    return ui.centralWidget->isEnabled() && ui.dockWidgetContents->isEnabled() &&
           QApplication::overrideCursor() == nullptr;
}

QStringList titles(const DialogWatcher& watcher) {
    QStringList result;
    for (const DialogWatcher::Box& box : watcher.boxes) {
        result << box.title;
    }
    return result;
}

namespace {
QAction* findEntry(const QList<QAction*>& actions, const QString& text) {
    for (QAction* entry : actions) {
        if (entry->text() == text) {
            return entry;
        }
        if (entry->menu() != nullptr) {
            if (QAction* found = findEntry(entry->menu()->actions(), text)) {
                return found;
            }
        }
    }
    return nullptr;
}
}  // namespace

QAction* menuEntry(MainWindow& w, const QString& text) {
    return findEntry(w.menuBar()->actions(), text);
}

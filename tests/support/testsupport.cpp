#include "testsupport.h"

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
    QFile::copy(QStringLiteral(QUILLMOOR_STANDIN_PATH), converter);
    QFile::setPermissions(converter, QFile::permissions(converter) | QFile::ExeOwner);
    QDir::setCurrent(dir_.path());
}

TestWorkspace::~TestWorkspace() {
    QDir::setCurrent(previousDirectory_);
#ifdef Q_OS_WIN
    removeRegistrySettings();
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
    for (const QByteArray& line :
         file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList()) {
        if (line == "call") {
            result.append(QStringList());
        } else if (line.startsWith("arg ") && !result.isEmpty()) {
            result.last().append(QString::fromLocal8Bit(line.mid(4)));
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
        Box seen{box->windowTitle(), box->text(), box->icon(), {}};
        const QString wanted = buttonQueue_.isEmpty() ? QString() : buttonQueue_.takeFirst();
        QAbstractButton* chosen = box->button(QMessageBox::Ok);
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
            chosen = button->text() == wanted ? button : chosen;
        }
        boxes << seen;
        if (chosen != nullptr) {
            chosen->click();
        } else {
            ++unexpected;
            box->reject();
        }
        return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        fileDialogs << FileDialogSeen{dialog->nameFilters(), dialog->selectedFiles(),
                                      dialog->acceptMode() == QFileDialog::AcceptSave};
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (fileQueue_.isEmpty() || edit == nullptr) {
            ++unexpected;
        }
        const QString answer = fileQueue_.isEmpty() ? QString() : fileQueue_.takeFirst();
        if (answer.isEmpty() || edit == nullptr) {
            dialog->reject();
        } else {
            edit->setText(answer);
            static_cast<QDialog*>(dialog)->accept();
        }
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
        modal->close();  // a dialog is rejected
    }
}

WindowFixture::WindowFixture(const std::function<void(TestWorkspace&)>& prepare)
    : prepared(prepare ? (prepare(ws), true) : false) {
    watcher.boxes.clear();
}

QStringList DialogWatcher::titles() const {
    QStringList result;
    for (const Box& box : boxes) {
        result << box.title;
    }
    return result;
}

QAction* menuEntry(MainWindow& w, const QString& text) {
    const QList<QAction*> entries = w.findChildren<QAction*>();
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&text](QAction* entry) { return entry->text() == text; });
    return it == entries.end() ? nullptr : *it;
}

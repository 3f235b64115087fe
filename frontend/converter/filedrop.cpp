#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"

// Files dropped on the path fields. A drop does what choosing the same file in
// the field's file dialog does: the path goes into the field, an input of the
// convert or decompress tab also suggests the output path, and the field's
// argument fragment is rebuilt. Only a single local file is taken; text that
// is no file is dropped into the field as ever.

namespace {

// The local file a drag carries, or an empty string when it carries anything
// else: several files, a folder, a remote URL.
QString droppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return QString();
    }
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        return QString();
    }
    const QString path = urls.first().toLocalFile();
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        return QString();
    }
    return path;
}

}  // namespace

void MainWindow::acceptFileDrops() {
    for (QLineEdit* edit :
         {ui->convertInputInputfile, ui->convertInputOutputfile, ui->compareInputOld,
          ui->compareInputNew, ui->decompressInputFile, ui->decompressOutputFile}) {
        edit->installEventFilter(this);
    }
}

// While a run of any job goes on, its paths stay as they were started.
bool MainWindow::acceptsDrops() const {
    return !busy && !convertRun.isActive() && !compareRun.isActive() && !decompressRun.isActive();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    if (!acceptsDrops()) {
        drop->ignore();
        return true;
    }
    if (!drop->mimeData()->hasUrls()) {
        return false;
    }
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        takeDroppedFile(edit, path);
    }
    return true;
}

void MainWindow::takeDroppedFile(QLineEdit* edit, const QString& path) {
    edit->setText(path);
    if (edit == ui->convertInputInputfile) {
        convertInputStem = commandline::stemOf(path);
        ui->convertInputOutputfile->setText(convertInputStem + QStringLiteral(".cfginclude"));
        convertInputTextChanged();
        convertOutputTextChanged();
    } else if (edit == ui->convertInputOutputfile) {
        convertOutputTextChanged();
    } else if (edit == ui->compareInputOld) {
        compareOldTextChanged();
    } else if (edit == ui->compareInputNew) {
        compareNewTextChanged();
    } else if (edit == ui->decompressInputFile) {
        decompressInputStem = commandline::stemOf(path);
        ui->decompressOutputFile->setText(decompressInputStem + QStringLiteral(".cfginclude"));
        decompressInputFile();
        decompressOutputFile();
    } else if (edit == ui->decompressOutputFile) {
        decompressOutputFile();
    }
}

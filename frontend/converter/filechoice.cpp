#include <QFileDialog>
#include <QLineEdit>

#include "app/mainwindow.h"
#include "converter/commandline.h"

// The input dialog of the convert and decompress tabs. The dialog's result,
// cut before its last ".", is kept as `stem` (also when cancelled, which
// empties it); a chosen file replaces the output path by stem + ".cfginclude".
void MainWindow::chooseInputAndSuggestOutput(QLineEdit* inputEdit, QLineEdit* outputEdit,
                                             QString& stem, const QString& caption,
                                             const QString& filter) {
    stem = QFileDialog::getOpenFileName(this, caption, QString(), filter);
    if (stem.isEmpty()) {
        return;
    }
    inputEdit->setText(stem);
    stem = commandline::stemOf(stem);
    outputEdit->setText(stem + QStringLiteral(".cfginclude"));
}

// The output dialog of the convert and decompress tabs; the chosen path is
// taken as returned, without an added extension.
void MainWindow::chooseOutputFile(QLineEdit* outputEdit, const QString& startPath) {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Auswahl des Zielverzeichnisses und Dateinamen..."),
                                     startPath, tr("cfg-include-Dateien (*.cfginclude)"));
    if (!path.isEmpty()) {
        outputEdit->setText(path);
    }
}

// A file dialog of the compare tab: a chosen file goes into `edit`.
void MainWindow::chooseFile(QLineEdit* edit, const QString& caption, const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(this, caption, QString(), filter);
    if (!path.isEmpty()) {
        edit->setText(path);
    }
}

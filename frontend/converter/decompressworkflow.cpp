#include <QLineEdit>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"

void MainWindow::decompressInputFile() {
    state.decompressInputPath = ui->decompressInputFile->text();
    state.decompressInputArgument = commandline::pathFragment(state.decompressInputPath);
}

void MainWindow::decompressOutputFile() {
    state.decompressOutputPath = ui->decompressOutputFile->text();
    state.decompressOutputArgument = commandline::pathFragment(state.decompressOutputPath);
}

void MainWindow::decompressSelectInputFile() {}

void MainWindow::decompressSelectOutputFile() {}

void MainWindow::decompress() {}

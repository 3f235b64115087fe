#include <QLineEdit>
#include <QMessageBox>

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

void MainWindow::decompressSelectInputFile() {
    chooseInputAndSuggestOutput(ui->decompressInputFile, ui->decompressOutputFile,
                                decompressInputStem, tr("Auswahl der CfgInclude..."),
                                tr("CfgInclude-Datei (*.cfginclude)"));
}

void MainWindow::decompressSelectOutputFile() {
    chooseOutputFile(ui->decompressOutputFile, decompressInputStem);
}

void MainWindow::decompress() {
    state.decompressArguments.clear();
    decompressInputFile();
    decompressOutputFile();
    if (state.decompressInputArgument.isEmpty() || state.decompressOutputArgument.isEmpty()) {
        QMessageBox::warning(this, tr("Fehlende Argumente"), tr("Fehler bei der Verarbeitung!\n"));
        return;
    }
    if (jobStillRunning(decompresserProcess)) {
        return;
    }
    state.decompressArguments = state.decompressInputArgument + state.decompressOutputArgument;
    // Neither the log nor an output box is emptied, and no command is logged.
    launchJob(decompresserProcess,
              commandline::commandString(state.converterName, QStringLiteral("decompress"),
                                         state.decompressArguments));
    enterBusyState();
}

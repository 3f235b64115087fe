#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextBrowser>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"

void MainWindow::compareSelectFileOld() {
    chooseFile(ui->compareInputOld, tr("Auswahl der bisherigen A2L..."), tr("A2L-Datei (*.a2l)"));
}

void MainWindow::compareOldTextChanged() {
    state.compareOldPath = ui->compareInputOld->text();
    state.compareOldArgument = commandline::pathFragment(state.compareOldPath);
}

void MainWindow::compareSelectFileNew() {
    chooseFile(ui->compareInputNew, tr("Auswahl der neuen A2L..."), tr("A2L-Datei (*.a2l)"));
}

void MainWindow::compareNewTextChanged() {
    state.compareNewPath = ui->compareInputNew->text();
    state.compareNewArgument = commandline::pathFragment(state.compareNewPath);
}

void MainWindow::compareSelectDetail() {
    state.compareDetailChecked = ui->compareSelectDetail->isChecked();
    state.compareDetailArgument =
        commandline::switchFragment(state.compareDetailChecked, QStringLiteral(" -v"), QString());
}

void MainWindow::compare() {
    state.compareArguments.clear();
    compareOldTextChanged();
    compareNewTextChanged();
    compareSelectDetail();
    if (state.compareOldArgument.isEmpty() || state.compareNewArgument.isEmpty()) {
        QMessageBox::warning(this, tr("Fehlende Argumente"),
                             tr("Der Pfad der bisherigen A2L und/oder der Pfad der neuen A2L "
                                "wurden nicht angegeben!\n\nBitte korrigieren!"));
        return;
    }
    // Checked before the output box is emptied: the earlier run still writes there.
    if (jobStillRunning(comparerProcess)) {
        return;
    }
    state.compareArguments =
        state.compareOldArgument + state.compareNewArgument + state.compareDetailArgument;
    // The log keeps what it holds; the compare output is appended to it.
    ui->compareTextOutput->clear();
    launchJob(comparerProcess,
              commandline::commandString(state.converterName, QStringLiteral("compare"),
                                         state.compareArguments));
    enterBusyState();
}

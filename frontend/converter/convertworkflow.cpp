#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTextBrowser>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"
#include "converter/logview.h"

void MainWindow::convertSelectInputFile() {
    chooseInputAndSuggestOutput(ui->convertInputInputfile, ui->convertInputOutputfile,
                                convertInputStem, tr("Auswahl der Ursprungs-A2L..."),
                                tr("A2L-Datei (*.a2l)"));
}

void MainWindow::convertInputTextChanged() {
    state.convertInputPath = ui->convertInputInputfile->text();
    state.convertInputArgument = commandline::pathFragment(state.convertInputPath);
}

void MainWindow::convertSelectOutputFile() {
    chooseOutputFile(ui->convertInputOutputfile, convertInputStem);
}

void MainWindow::convertOutputTextChanged() {
    state.convertOutputPath = ui->convertInputOutputfile->text();
    state.convertOutputArgument = commandline::pathFragment(state.convertOutputPath);
}

void MainWindow::convertSelectZlib() {
    state.zlibChecked = ui->convertOptionZlib->isChecked();
    state.zlibArgument =
        commandline::switchFragment(state.zlibChecked, QStringLiteral(" -z"), QStringLiteral(" "));
}

void MainWindow::convertSelectIntenation() {
    state.intenationChecked = ui->convertOptionIntenation->isChecked();
    state.intenationArgument = commandline::switchFragment(
        state.intenationChecked, QStringLiteral(" -i"), QStringLiteral(" "));
}

void MainWindow::convertPrefixname() {
    state.prefixName = ui->convertInputPrefix->text();
    state.prefixArgument = commandline::valueFragment(state.prefixName, QStringLiteral(" -p "));
}

void MainWindow::convertStationname() {
    state.stationName = ui->convertInputStation->text();
    state.stationArgument = commandline::valueFragment(state.stationName, QStringLiteral(" -n "));
}

void MainWindow::convert() {
    state.convertArguments.clear();
    convertInputTextChanged();
    convertOutputTextChanged();
    convertSelectZlib();
    convertSelectIntenation();
    convertPrefixname();
    convertStationname();
    convertLibraryVersion();
    if (state.libraryArgument.isEmpty()) {
        return;
    }
    if (state.convertInputArgument.isEmpty() || state.convertOutputArgument.isEmpty()) {
        QMessageBox::warning(
            this, tr("Fehlende Argumente"),
            tr("Der Pfad der Ursprungs-A2L und/oder der Pfad und Name der "
               "Ausgabe .cfginclude wurden nicht angegeben!\n\nBitte korrigieren!"));
        return;
    }
    if (jobStillRunning(converterProcess)) {
        return;
    }
    // Station before prefix, the version fragment last.
    state.convertArguments = state.convertInputArgument + state.convertOutputArgument +
                             state.zlibArgument + state.intenationArgument + state.stationArgument +
                             state.prefixArgument + state.libraryArgument;
    const QString command = commandline::commandString(
        state.converterName, QStringLiteral("convert"), state.convertArguments);
    launchJob(converterProcess, command);
    logview::replacePlainText(ui->logOptionalLog, command + QLatin1Char('\n'));
    enterBusyState();
}

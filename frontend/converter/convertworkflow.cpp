#include <QLineEdit>
#include <QRadioButton>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"

void MainWindow::convertSelectInputFile() {}

void MainWindow::convertInputTextChanged() {
    state.convertInputPath = ui->convertInputInputfile->text();
    state.convertInputArgument = commandline::pathFragment(state.convertInputPath);
}

void MainWindow::convertSelectOutputFile() {}

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

void MainWindow::convert() {}

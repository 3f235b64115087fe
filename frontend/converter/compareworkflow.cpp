#include <QCheckBox>
#include <QLineEdit>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"

void MainWindow::compareSelectFileOld() {}

void MainWindow::compareOldTextChanged() {
    state.compareOldPath = ui->compareInputOld->text();
    state.compareOldArgument = commandline::pathFragment(state.compareOldPath);
}

void MainWindow::compareSelectFileNew() {}

void MainWindow::compareNewTextChanged() {
    state.compareNewPath = ui->compareInputNew->text();
    state.compareNewArgument = commandline::pathFragment(state.compareNewPath);
}

void MainWindow::compareSelectDetail() {
    state.compareDetailChecked = ui->compareSelectDetail->isChecked();
    state.compareDetailArgument =
        commandline::switchFragment(state.compareDetailChecked, QStringLiteral(" -v"), QString());
}

void MainWindow::compare() {}

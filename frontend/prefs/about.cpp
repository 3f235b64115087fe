#include "app/mainwindow.h"

void MainWindow::ReadyReadInfo() {}

void MainWindow::info() {}

void MainWindow::documentation() {}

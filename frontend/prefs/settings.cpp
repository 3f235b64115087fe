#include "app/mainwindow.h"

void MainWindow::loadSettings() {}

void MainWindow::saveSettings() {}

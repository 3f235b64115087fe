#include "app/mainwindow.h"
#include "app/mainwindowform.h"

void MainWindow::loadVersionsFile() {}

void MainWindow::fillBasicLibraryRanges() {}

void MainWindow::fillAdvancedLibraryVersions() {}

bool MainWindow::checkLibraryCompatibility() { return true; }

void MainWindow::showIncompatibleRangeWarning() {}

void MainWindow::convertLibraryVersion() {}

void MainWindow::advancedOptions() {}

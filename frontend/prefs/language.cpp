#include "app/mainwindow.h"

void MainWindow::selectTranslationToLoad(int) {}

void MainWindow::languages() {}

#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWindowStateChangeEvent>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"

namespace {
constexpr int kMinimumWidthWithoutDock = 600;
constexpr int kMinimumWidthWithDock = 1250;
}  // namespace

void MainWindow::buildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(tr("Datei"));
    fileMenu->addAction(tr("Beenden"), this, &MainWindow::close);

    QMenu* settingsMenu = menuBar()->addMenu(tr("Einstellungen"));
    settingsMenu->addAction(tr("Sprachen"), this, &MainWindow::languages);
    auto* logAction = new QAction(tr("Optionales Ausgabefenster"), this);
    logAction->setCheckable(true);
    connect(logAction, &QAction::triggered, this, &MainWindow::setLogVisibility);
    settingsMenu->addAction(logAction);

    QMenu* helpMenu = menuBar()->addMenu(tr("Hilfe"));
    helpMenu->addAction(tr("Über Quillmoor"), this, &MainWindow::info);
    QMenu* documentationMenu = helpMenu->addMenu(tr("Dokumentation"));
    auto* manualAction = new QAction(tr("Handbuch"), this);
    connect(manualAction, &QAction::triggered, this, &MainWindow::documentation);
    documentationMenu->addAction(manualAction);
}

void MainWindow::rememberWindowSize(bool excludeDock) {
    logDockWidth = ui->dockWidget->width();
    savedWindowSize.setHeight(height());
    savedWindowSize.setWidth(excludeDock ? width() - logDockWidth : width());
}

void MainWindow::applyWindowSize(bool withDock) {
    QSize size = savedWindowSize;
    if (withDock) {
        setMinimumWidth(kMinimumWidthWithDock);
        size.setWidth(size.width() + logDockWidth);
    } else {
        setMinimumWidth(kMinimumWidthWithoutDock);
    }
    resize(size);
}

void MainWindow::setLogVisibility(bool checkStatus) {
    if (!isMaximized()) {
        rememberWindowSize(!checkStatus);
        applyWindowSize(checkStatus);
    }
    ui->dockWidget->setVisible(checkStatus);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool dockShown = ui->dockWidget->isVisible();
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        if (old == Qt::WindowNoState && windowState() == Qt::WindowMaximized) {
            if (dockShown) {
                rememberWindowSize(true);
            }
        } else if (old == Qt::WindowMaximized) {
            applyWindowSize(dockShown);
        }
    }
    QMainWindow::changeEvent(event);
}

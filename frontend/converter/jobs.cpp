#include <QCoreApplication>
#include <QDir>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"

void MainWindow::startJob(QProcess& process, const QString& command) {
    QStringList arguments = commandline::splitCommand(command);
    if (arguments.isEmpty()) {
        return;
    }
    const QString program =
        commandline::resolveProgram(arguments.takeFirst(), QDir::currentPath(),
                                    QCoreApplication::applicationDirPath(), qgetenv("PATH"));
    process.start(program, arguments, QIODevice::ReadWrite);
}

void MainWindow::enterBusyState() {}

void MainWindow::leaveBusyState() {}

void MainWindow::handleJobOutput(QProcess&, QTextBrowser*, const QString&) {}

void MainWindow::ReadyReadConverter() {}

void MainWindow::ReadyReadComparer() {}

void MainWindow::ReadyReadDecompresser() {}

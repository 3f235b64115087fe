#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QTextBrowser>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "converter/commandline.h"
#include "converter/logview.h"
#include "converter/markers.h"

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

// A running process refuses a second start, so a second run of the same job
// would leave the window busy with nothing to end it. The run counts as going
// on until its end has been handled.
bool MainWindow::jobStillRunning(const QProcess& process) {
    if (process.state() == QProcess::NotRunning && !runOf(process).isActive()) {
        return false;
    }
    QMessageBox::warning(this, tr("Warnung!"),
                         tr("Der vorherige Lauf dieses Auftrags ist noch nicht beendet.\n\n"
                            "Bitte warten, bis er abgeschlossen ist."));
    return true;
}

void MainWindow::launchJob(QProcess& process, const QString& command) {
    watchJobEnds();
    runOf(process).begin();
    startJob(process, command);
    if (process.state() == QProcess::NotRunning && process.error() != QProcess::FailedToStart) {
        // Nothing was started and no signal will tell: end the run from the event
        // loop, after the job slot has finished its own steps.
        QMetaObject::invokeMethod(
            this,
            [this, &process] {
                jobEnded(process, QProcess::FailedToStart, -1, QProcess::NormalExit);
            },
            Qt::QueuedConnection);
    }
}

// The ends of runs are handled from the event loop (queued), never inside the
// job slot that starts the process, so that a failed start is reported after
// that slot has written the log and entered the busy state.
void MainWindow::watchJobEnds() {
    if (jobEndsWatched) {
        return;
    }
    jobEndsWatched = true;
    for (QProcess* process : {&converterProcess, &comparerProcess, &decompresserProcess}) {
        connect(
            process, &QProcess::errorOccurred, this,
            [this, process](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    jobEnded(*process, error, -1, QProcess::NormalExit);
                }
            },
            Qt::QueuedConnection);
        connect(
            process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus exitStatus) {
                jobEnded(*process, QProcess::UnknownError, exitCode, exitStatus);
            },
            Qt::QueuedConnection);
    }
}

void MainWindow::enterBusyState() {
    ui->centralWidget->setEnabled(false);
    ui->dockWidgetContents->setEnabled(false);
    if (!busy) {
        busy = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void MainWindow::leaveBusyState() {
    ui->centralWidget->setEnabled(true);
    ui->dockWidgetContents->setEnabled(true);
    if (busy) {
        busy = false;
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::reportMarkers(const output::Markers& markers, const QString& successText) {
    if (markers.done) {
        leaveBusyState();
        QMessageBox::information(this, tr("Abgeschlossen!"), successText);
    }
    if (markers.failure) {
        leaveBusyState();
        QMessageBox::information(this, tr("Fehler!"),
                                 tr("Fehler bei der Verarbeitung! Für weitere Informationen "
                                    "bitte das optionale Ausgabefenster aktivieren."));
    }
}

void MainWindow::handleJobOutput(QProcess& process, QTextBrowser* jobView,
                                 const QString& successText) {
    // QProcess does not signal again while this handler runs, so output that
    // arrived while a box was open is taken up here, as a delivery of its own.
    do {
        output::RunOutput& run = runOf(process);
        const QString text = run.decode(process.readAll());
        showJobText(jobView, text);
        // Recorded before any box opens, so that the end of the run, handled
        // while a box is open, knows that this run has had its marker.
        const output::Markers markers = run.feed(text);
        reportMarkers(markers, successText);
    } while (process.bytesAvailable() > 0);
}

void MainWindow::showJobText(QTextBrowser* jobView, const QString& text) {
    if (jobView != nullptr) {
        logview::appendPlainText(jobView, text);
    }
    logview::appendPlainText(ui->logOptionalLog, text);
    logview::scrollToEnd(ui->logOptionalLog);
}

void MainWindow::ReadyReadConverter() {
    handleJobOutput(converterProcess, nullptr, successTextOf(converterProcess));
}

void MainWindow::ReadyReadComparer() {
    handleJobOutput(comparerProcess, ui->compareTextOutput, successTextOf(comparerProcess));
}

void MainWindow::ReadyReadDecompresser() {
    handleJobOutput(decompresserProcess, nullptr, successTextOf(decompresserProcess));
}

void MainWindow::readJobOutput(QProcess& process) {
    if (&process == &converterProcess) {
        ReadyReadConverter();
    } else if (&process == &comparerProcess) {
        ReadyReadComparer();
    } else if (&process == &decompresserProcess) {
        ReadyReadDecompresser();
    }
}

output::RunOutput& MainWindow::runOf(const QProcess& process) {
    if (&process == &comparerProcess) {
        return compareRun;
    }
    if (&process == &decompresserProcess) {
        return decompressRun;
    }
    return convertRun;
}

QString MainWindow::successTextOf(const QProcess& process) const {
    if (&process == &comparerProcess) {
        return tr("A2L's wurden verglichen!");
    }
    if (&process == &decompresserProcess) {
        return tr("CfgInclude wurde dekomprimiert!");
    }
    return tr("A2L wurde konvertiert!");
}

// A run has ended: started or not, crashed or exited. A run whose output held a
// marker has been reported already. Otherwise the window is still busy: report
// a marker that came split over deliveries, or else the failure, with a line
// in the log that says what happened and what the converter wrote on its error
// stream.
void MainWindow::jobEnded(QProcess& process, QProcess::ProcessError error, int exitCode,
                          QProcess::ExitStatus exitStatus) {
    const bool failedToStart = error == QProcess::FailedToStart;
    if (!failedToStart && process.bytesAvailable() > 0) {
        readJobOutput(process);
    }
    output::RunOutput& run = runOf(process);
    if (!run.isActive()) {
        return;
    }
    // A character cut off by the end of the output is shown byte by byte.
    const QString held = run.finishText();
    if (!held.isEmpty()) {
        showJobText(&process == &comparerProcess ? ui->compareTextOutput : nullptr, held);
    }
    run.end();
    const bool crashed = !failedToStart && exitStatus == QProcess::CrashExit;
    const output::Markers whole = run.wholeOutput();
    const bool result = run.markerInChunk() || whole.any();

    QString line;
    if (failedToStart) {
        line = tr("%1 konnte nicht gestartet werden (%2).")
                   .arg(state.converterName, process.errorString());
    } else if (crashed) {
        line = tr("%1 ist abgestürzt.").arg(state.converterName);
    } else if (!result) {
        line = tr("%1 wurde mit dem Exit-Code %2 ohne Ergebnis beendet.")
                   .arg(state.converterName)
                   .arg(exitCode);
    }
    if (!line.isEmpty()) {
        logview::appendLine(ui->logOptionalLog, line);
        if (!failedToStart) {
            logview::appendPlainText(ui->logOptionalLog,
                                     output::chunkText(process.readAllStandardError()));
        }
        logview::scrollToEnd(ui->logOptionalLog);
    }
    if (run.markerInChunk()) {
        return;
    }
    output::Markers outcome = whole;
    if (!result) {
        outcome.failure = true;
    }
    reportMarkers(outcome, successTextOf(process));
}

// The process members outlive the form: a process still running when the
// window is destroyed is killed by its destructor, which reads what is left of
// its output and would deliver it to handlers whose widgets are gone.
void MainWindow::detachJobProcesses() {
    for (QProcess* process :
         {&converterProcess, &comparerProcess, &decompresserProcess, &infoProcess}) {
        process->disconnect(this);
    }
}

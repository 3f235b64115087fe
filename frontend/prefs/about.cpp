#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>

#include "app/mainwindow.h"
#include "app/runtimefiles.h"
#include "prefs/aboutline.h"
#include "prefs/manualurl.h"

namespace {
const QString kFrontendVersion = QStringLiteral("1.28");
const QString kFirstYears = QStringLiteral("2014-2017");
const QString kSecondYears = QStringLiteral("2018-2019");
}  // namespace

// Runs the converter without arguments; its first output line names its version.
void MainWindow::info() {
    startJob(infoProcess, state.converterName);
}

// One line per delivery; later lines wait in the buffer for the next signal.
void MainWindow::ReadyReadInfo() {
    const QString converterVersion = aboutline::cleanVersionLine(infoProcess.readLine());
    if (!aboutline::isConverterVersion(converterVersion)) {
        return;
    }
    // One multi-argument arg() so that a "%" in the converter's line stays text.
    const QString text = tr("Version %1 (GUI)\nVersion %2 (Converter)\n\n"
                            "© %3 KOLDAN Messtechnik\n"
                            "© %4 KOLDAN Messtechnik und das Quillmoor-Team")
                             .arg(kFrontendVersion, converterVersion, kFirstYears, kSecondYears);
    QMessageBox::about(this, tr("KOLDAN Quillmoor"), text);
}

// The manual of the window's language, from the working directory or else from
// the program's folder. A manual that is missing or that no program opens is
// reported: otherwise the menu entry would seem to do nothing.
void MainWindow::documentation() {
    const QString relativePath = manualurl::manualRelativePath(language);
    const QString folder = runtimefiles::folderHolding(relativePath);
    if (folder.isEmpty()) {
        QMessageBox::warning(
            this, tr("Handbuch"),
            tr("Das Handbuch %1 wurde weder im Arbeitsverzeichnis noch im Programmordner "
               "gefunden.")
                .arg(QDir::toNativeSeparators(relativePath)));
        return;
    }
    if (!QDesktopServices::openUrl(manualurl::manualUrl(language, folder))) {
        QMessageBox::warning(
            this, tr("Handbuch"),
            tr("Das Handbuch %1 konnte nicht geöffnet werden. Ist ein Programm "
               "zum Anzeigen von PDF-Dateien installiert?")
                .arg(QDir::toNativeSeparators(QDir(folder).filePath(relativePath))));
    }
}

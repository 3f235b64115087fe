#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "app/runtimefiles.h"
#include "versions/compatibility.h"
#include "versions/versionsfilereader.h"

namespace {
const QString kVersionsFileName = QStringLiteral("tarvixVersions.xml");
const QString kLibraryOption = QStringLiteral(" -l ");
}  // namespace

void MainWindow::loadVersionsFile() {
    VersionsFileReader reader;
    if (reader.read(runtimefiles::locate(kVersionsFileName))) {
        versionList = reader.versionList;
        versionsFileLoaded = true;
        return;
    }
    QMessageBox::warning(this, tr("Dateifehler"),
                         tr("Versionsdatei (%1) wurde nicht gefunden.").arg(kVersionsFileName),
                         QMessageBox::Ok, QMessageBox::NoButton);
    versionsFileLoaded = false;
}

void MainWindow::fillBasicLibraryRanges() {
    const QStringList& rangeData = compatibility::basicRangeData();
    const QString texts[] = {tr("1.4.4 bis 1.5.4"), tr("1.5.5 bis 2017.06"), tr("2017.06+")};
    QComboBox* box = ui->convertSelectLibrary;
    for (int range = 0; range < 3; ++range) {
        box->insertItem(box->count(), QIcon(), texts[range], rangeData.at(range));
    }
}

void MainWindow::fillAdvancedLibraryVersions() {
    QComboBox* startBox = ui->convertSelectLibrary;
    QComboBox* endBox = ui->convertSelectLibraryLast;
    for (const QString& version : std::as_const(versionList)) {
        startBox->insertItem(startBox->count(), QIcon(), tr("%1").arg(version),
                             QString(QStringLiteral("tarVix+") + version));
        endBox->insertItem(endBox->count(), QIcon(), tr("%1").arg(version), version);
    }
}

bool MainWindow::checkLibraryCompatibility() {
    QComboBox* startBox = ui->convertSelectLibrary;
    QComboBox* endBox = ui->convertSelectLibraryLast;
    if (compatibility::isCompatibleRange(startBox->currentText(), endBox->currentText(),
                                         startBox->currentIndex(), endBox->currentIndex())) {
        return true;
    }
    showIncompatibleRangeWarning();
    return false;
}

void MainWindow::showIncompatibleRangeWarning() {
    QMessageBox::warning(this, tr("Fehler!"),
                         tr("Der ausgewählte Versionsbereich ist leider nicht kompatibel! \n"
                            "Folgende Bereiche sind erlaubt:\n\n"
                            "1.4.4 - 1.5.4\n1.5.5 - 2017.06.0\n2017.06.0 - 2019.02"),
                         QMessageBox::Ok, QMessageBox::NoButton);
}

// Runs again, nested, whenever a combo box changes inside advancedOptions() or
// inside the restore below; advancedLibraryMode then still holds the old mode.
void MainWindow::convertLibraryVersion() {
    QComboBox* startBox = ui->convertSelectLibrary;
    QComboBox* endBox = ui->convertSelectLibraryLast;
    const int start = startBox->currentIndex();
    const int end = endBox->currentIndex();

    if (advancedLibraryMode && start >= end) {
        QMessageBox::warning(this, tr("Warnung!"),
                             tr("Auswahl der End-Version muss größer sein als die Start-Version!"),
                             QMessageBox::Ok, QMessageBox::NoButton);
        // Put back the pair of the last build: the end if only the end moved,
        // otherwise the start. The index change runs this slot for that pair.
        if (state.libraryStartIndex == start) {
            endBox->setCurrentIndex(state.libraryEndIndex);
        } else {
            startBox->setCurrentIndex(state.libraryStartIndex);
        }
        return;
    }

    state.libraryStartIndex = start;
    state.librarySelection = startBox->itemData(start, Qt::UserRole);
    state.libraryArgument = kLibraryOption + state.librarySelection.toString();
    if (!advancedLibraryMode) {
        return;
    }
    if (!checkLibraryCompatibility()) {
        return;
    }
    state.libraryEndIndex = end;
    state.librarySelection2 = QVariant(endBox->currentText());
    state.libraryArgument = kLibraryOption + state.librarySelection.toString() + QLatin1Char('-') +
                            state.librarySelection2.toString();
}

void MainWindow::advancedOptions() {
    QCheckBox* modeBox = ui->cbAdvancedOptions;
    if (!versionsFileLoaded) {
        modeBox->setChecked(false);
        return;
    }
    QComboBox* startBox = ui->convertSelectLibrary;
    QComboBox* endBox = ui->convertSelectLibraryLast;
    if (modeBox->isChecked()) {
        startBox->clear();
        endBox->clear();
        ui->label->show();
        endBox->show();
        fillAdvancedLibraryVersions();
        endBox->setCurrentIndex(1);
        startBox->setCurrentIndex(0);
    } else {
        startBox->clear();
        ui->label->hide();
        endBox->hide();
        fillBasicLibraryRanges();
        startBox->setCurrentIndex(0);
    }
    // Written last: the nested runs above must still see the previous mode.
    advancedLibraryMode = modeBox->isChecked();
}

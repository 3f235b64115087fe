#include <QCoreApplication>
#include <QLibraryInfo>
#include <memory>

#include "app/mainwindow.h"
#include "app/runtimefiles.h"
#include "prefs/languageselection.h"

namespace {

// Loads the catalogue `baseName` from the first of `folders` that has it, the
// way QTranslator looks for it in one folder (suffix ".qm" first).
bool loadCatalogue(QTranslator& translator, const QString& baseName, const QStringList& folders) {
    for (const QString& folder : folders) {
        if (translator.load(baseName, folder)) {
            return true;
        }
    }
    return false;
}

}  // namespace

// Catalogues are looked up by base name in the working directory, then beside
// the executable. German is the source language, so "Meu_en" may well be
// absent; the source texts then stay.
void MainWindow::selectTranslationToLoad(int value) {
    const QStringList folders = runtimefiles::searchFolders();
    if (value == 0) {
        static_cast<void>(loadCatalogue(translator, QStringLiteral("A2Ltranslator_la"), folders));
        language = 0;
        saveSettings();
    } else if (value == 1) {
        static_cast<void>(loadCatalogue(translator, QStringLiteral("Meu_en"), folders));
        language = 1;
        saveSettings();
    } else {
        // A stray stored value is kept as it is and not written back.
        static_cast<void>(loadCatalogue(translator, QStringLiteral("Meu_en"), folders));
    }
    // Qt's own texts (file dialogs, standard buttons) in the language the window
    // shows: English with the English catalogue, German otherwise. Qt's German
    // catalogue is shipped beside the program; Qt's installation has it too.
    if (value != 0) {
        static_cast<void>(loadCatalogue(
            qtTranslator, QStringLiteral("qtbase_de"),
            folders + QStringList{QLibraryInfo::path(QLibraryInfo::TranslationsPath)}));
    }
}

void MainWindow::languages() {
    const int preselected =
        language == 1 ? LanguageSelection::kGermanCode : LanguageSelection::kEnglishCode;
    const auto dialog = std::make_unique<LanguageSelection>(preselected, this);
    if (dialog->exec() != 1) {
        return;
    }
    if (dialog->chosenLanguage() == LanguageSelection::kEnglishCode) {
        language = 0;
    } else if (dialog->chosenLanguage() == LanguageSelection::kGermanCode) {
        language = 1;
    }
    saveSettings();
    if (dialog->isRestartRequested()) {
        // quit() only takes effect once control is back in the event loop, after
        // the new instance has been launched. The argument list starts with the
        // program itself, which is not one of the arguments to pass on.
        QCoreApplication::quit();
        const QStringList arguments = QCoreApplication::arguments();
        launchDetached(arguments.value(0), arguments.mid(1));
    }
}

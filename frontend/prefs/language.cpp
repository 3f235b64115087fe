#include <QCoreApplication>
#include <memory>

#include "app/mainwindow.h"
#include "prefs/languageselection.h"

// Catalogues are looked up by base name in the working directory. German is the
// source language, so "Meu_en" may well be absent; the source texts then stay.
void MainWindow::selectTranslationToLoad(int value) {
    if (value == 0) {
        static_cast<void>(translator.load(QStringLiteral("A2Ltranslator_la")));
        language = 0;
        saveSettings();
    } else if (value == 1) {
        static_cast<void>(translator.load(QStringLiteral("Meu_en")));
        language = 1;
        saveSettings();
    } else {
        // A stray stored value is kept as it is and not written back.
        static_cast<void>(translator.load(QStringLiteral("Meu_en")));
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
        // the new instance has been launched with the whole argument list.
        QCoreApplication::quit();
        const QStringList arguments = QCoreApplication::arguments();
        launchDetached(arguments.value(0), arguments);
    }
}

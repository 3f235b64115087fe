#pragma once

#include <QDialog>

class QComboBox;

// Asks for the interface language. The combo items carry the fixed language codes
// 42 (German) and 31 (English); accepting shows the restart notice, which can ask
// for an immediate restart.
class LanguageSelection : public QDialog {
    Q_OBJECT

public:
    static constexpr int kGermanCode = 42;
    static constexpr int kEnglishCode = 31;

    explicit LanguageSelection(int languageCode, QWidget* parent = nullptr,
                               Qt::WindowFlags flags = Qt::WindowFlags());

    // Meaningful only after the dialog ended accepted.
    int chosenLanguage() const { return selectedLanguage; }
    bool isRestartRequested() const { return restartRequested; }

public slots:
    void discardChanges();
    void acceptChanges();

private:
    int selectedLanguage = 0;
    QComboBox* languageCombo = nullptr;
    bool restartRequested = false;
};

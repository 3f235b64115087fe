#include "prefs/languageselection.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

LanguageSelection::LanguageSelection(int languageCode, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags) {
    auto* heading = new QLabel(tr("Sprachauswahl"), this);

    languageCombo = new QComboBox(this);
    languageCombo->insertItem(languageCombo->count(), QIcon(), tr("Deutsch"), kGermanCode);
    languageCombo->insertItem(languageCombo->count(), QIcon(), tr("Englisch"), kEnglishCode);
    languageCombo->setCurrentIndex(languageCombo->findData(languageCode));

    auto* acceptButton =
        new QPushButton(tr("Sprache übernehmen und dieses Fenster schließen"), this);
    connect(acceptButton, &QPushButton::released, this, &LanguageSelection::acceptChanges);
    auto* cancelButton = new QPushButton(tr("Abbrechen"), this);
    connect(cancelButton, &QPushButton::released, this, &LanguageSelection::discardChanges);

    auto* layout = new QVBoxLayout;
    layout->addWidget(heading);
    layout->addWidget(languageCombo);
    layout->addWidget(acceptButton);
    layout->addWidget(cancelButton);
    setLayout(layout);
}

void LanguageSelection::discardChanges() {
    done(0);
}

void LanguageSelection::acceptChanges() {
    selectedLanguage = languageCombo->itemData(languageCombo->currentIndex()).toInt();

    QMessageBox notice(QMessageBox::Information, tr("Neustart erforderlich"),
                       tr("Bitte Programm neu starten, um Änderungen zu übernehmen."),
                       QMessageBox::Ok, this);
    QPushButton* restartButton = notice.addButton(tr("Direkt neu starten"), QMessageBox::YesRole);
    notice.exec();
    if (notice.clickedButton() == restartButton) {
        restartRequested = true;
    }
    done(1);
}

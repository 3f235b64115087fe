#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QProcess>
#include <QSize>
#include <QStringList>
#include <QTranslator>
#include <functional>

#include "app/formstate.h"

class MainWindowForm;
class QTextBrowser;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void tabSelected();
    void convertSelectInputFile();
    void convertInputTextChanged();
    void convertSelectOutputFile();
    void convertOutputTextChanged();
    void convertSelectZlib();
    void convertSelectIntenation();
    void convertPrefixname();
    void convertStationname();
    void convertLibraryVersion();
    void convert();
    void compareSelectFileOld();
    void compareOldTextChanged();
    void compareSelectFileNew();
    void compareNewTextChanged();
    void compareSelectDetail();
    void compare();
    void decompressInputFile();
    void decompressOutputFile();
    void decompressSelectInputFile();
    void decompressSelectOutputFile();
    void decompress();
    void ReadyReadConverter();
    void ReadyReadComparer();
    void ReadyReadDecompresser();
    void ReadyReadInfo();
    void selectTranslationToLoad(int value);
    void languages();
    void info();
    void documentation();
    void setLogVisibility(bool checkStatus);
    void advancedOptions();

private:
    friend class MainWindowTestAccess;

    // Start-up (app/mainwindow.cpp)
    void applyInitialState();
    void connectSignals();

    // Menus, log dock and window size (app/menus.cpp)
    void buildMenus();
    void rememberWindowSize(bool excludeDock);
    void applyWindowSize(bool withDock);

    // Jobs and their output (converter/)
    void startJob(QProcess& process, const QString& command);
    void enterBusyState();
    void leaveBusyState();
    void handleJobOutput(QProcess& process, QTextBrowser* jobView, const QString& successText);

    // Versions (versions/)
    void loadVersionsFile();
    void fillBasicLibraryRanges();
    void fillAdvancedLibraryVersions();
    bool checkLibraryCompatibility();
    void showIncompatibleRangeWarning();

    // Settings (prefs/)
    void loadSettings();
    void saveSettings();

    FormState state;
    MainWindowForm* ui;
    QProcess converterProcess;
    QProcess comparerProcess;
    QProcess decompresserProcess;
    QProcess infoProcess;
    QStringList versionList;
    bool advancedLibraryMode = false;
    bool versionsFileLoaded = false;
    int language = 0;
    QString convertInputStem;
    QString decompressInputStem;
    QTranslator translator;
    int logDockWidth = 0;
    QSize savedWindowSize;

    // Language restart (prefs/): starts the new instance; tests replace it.
    std::function<bool(const QString&, const QStringList&)> launchDetached =
        [](const QString& program, const QStringList& arguments) {
            return QProcess::startDetached(program, arguments);
        };
};

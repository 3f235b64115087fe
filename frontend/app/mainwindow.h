#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QProcess>
#include <QSize>
#include <QStringList>
#include <QTranslator>
#include <functional>

#include "app/formstate.h"
#include "converter/markers.h"

class MainWindowForm;
class QLineEdit;
class QTextBrowser;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void showJobText(QTextBrowser* jobView, const QString& text);

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
    // Qt's own catalogue for the window's language, installed beside `translator`.
    QTranslator qtTranslator;
    int logDockWidth = 0;
    QSize savedWindowSize;

    // Job runs: file choice, start guard, the end of a run (converter/)
    void chooseInputAndSuggestOutput(QLineEdit* inputEdit, QLineEdit* outputEdit, QString& stem,
                                     const QString& caption, const QString& filter);
    void chooseOutputFile(QLineEdit* outputEdit, const QString& startPath);
    void chooseFile(QLineEdit* edit, const QString& caption, const QString& filter);
    // Files dropped on the path fields (converter/filedrop.cpp)
    void acceptFileDrops();
    bool acceptsDrops() const;
    void takeDroppedFile(QLineEdit* edit, const QString& path);
    bool jobStillRunning(const QProcess& process);
    void launchJob(QProcess& process, const QString& command);
    void watchJobEnds();
    void jobEnded(QProcess& process, QProcess::ProcessError error, int exitCode,
                  QProcess::ExitStatus exitStatus);
    void readJobOutput(QProcess& process);
    void detachJobProcesses();
    void reportMarkers(const output::Markers& markers, const QString& successText);
    output::RunOutput& runOf(const QProcess& process);
    QString successTextOf(const QProcess& process) const;
    output::RunOutput convertRun;
    output::RunOutput compareRun;
    output::RunOutput decompressRun;
    bool busy = false;
    bool jobEndsWatched = false;

    // Language restart (prefs/): starts the new instance; tests replace it.
    std::function<bool(const QString&, const QStringList&)> launchDetached =
        [](const QString& program, const QStringList& arguments) {
            return QProcess::startDetached(program, arguments);
        };
};

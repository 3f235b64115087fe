#pragma once

class QCheckBox;
class QComboBox;
class QDockWidget;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;
class QSpacerItem;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class QVBoxLayout;
class QWidget;

// The widget tree of the main window. Holds one pointer per widget, layout and
// spacer; owns nothing (widgets belong to the window, layouts to their widgets).
// Texts go through the translation context "MainWindow".
class MainWindowForm {
public:
    void setupUi(QMainWindow* window);
    void retranslateUi(QMainWindow* window);

    QWidget* centralWidget = nullptr;
    QVBoxLayout* verticalLayout_19 = nullptr;
    QTabWidget* tabWidget = nullptr;
    QSpacerItem* centralSpacer = nullptr;

    // Tab 0: convert
    QWidget* convert = nullptr;
    QVBoxLayout* verticalLayout_4 = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QGroupBox* ConvertGroupInput = nullptr;
    QVBoxLayout* verticalLayout_12 = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QLabel* convertLabelInput = nullptr;
    QLineEdit* convertInputInputfile = nullptr;
    QToolButton* convertSelectInput = nullptr;
    QGroupBox* ConvertGroupOptions = nullptr;
    QVBoxLayout* verticalLayout_14 = nullptr;
    QVBoxLayout* verticalLayout_13 = nullptr;
    QRadioButton* convertOptionZlib = nullptr;
    QRadioButton* convertOptionIntenation = nullptr;
    QGroupBox* ConvertGroupOutput = nullptr;
    QVBoxLayout* verticalLayout_11 = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QLabel* convertLabelLibrary = nullptr;
    QHBoxLayout* horizontalLayout_5 = nullptr;
    QComboBox* convertSelectLibrary = nullptr;
    QLabel* label = nullptr;
    QComboBox* convertSelectLibraryLast = nullptr;
    QCheckBox* cbAdvancedOptions = nullptr;
    QLabel* convertLabelPrefix = nullptr;
    QLineEdit* convertInputPrefix = nullptr;
    QLabel* convertLabelStation = nullptr;
    QLineEdit* convertInputStation = nullptr;
    QLabel* convertLabelOutput = nullptr;
    QLineEdit* convertInputOutputfile = nullptr;
    QToolButton* convertSelectOutput = nullptr;
    QSpacerItem* convertLeftSpacer = nullptr;
    QLabel* ConvertLabelMandatory = nullptr;
    QVBoxLayout* verticalLayout_3 = nullptr;
    QPushButton* convertButtonConvert = nullptr;
    QSpacerItem* convertRightSpacer = nullptr;

    // Tab 1: compare (the page is named "compile")
    QWidget* compile = nullptr;
    QVBoxLayout* verticalLayout_7 = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QVBoxLayout* verticalLayout_5 = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QGroupBox* CompareGroupFiles = nullptr;
    QVBoxLayout* verticalLayout_9 = nullptr;
    QGridLayout* gridLayout = nullptr;
    QLabel* compareLabelOld = nullptr;
    QLineEdit* compareInputOld = nullptr;
    QToolButton* compareSelectOld = nullptr;
    QLabel* compareLabelNew = nullptr;
    QLineEdit* compareInputNew = nullptr;
    QToolButton* compareSelectNew = nullptr;
    QGroupBox* CompareGroupOptions = nullptr;
    QVBoxLayout* verticalLayout_10 = nullptr;
    QCheckBox* compareSelectDetail = nullptr;
    QGroupBox* CompareGroupOutput = nullptr;
    QVBoxLayout* verticalLayout_8 = nullptr;
    QTextBrowser* compareTextOutput = nullptr;
    QLabel* CompareLabelMandatory = nullptr;
    QVBoxLayout* verticalLayout_6 = nullptr;
    QPushButton* compareButtonCompare = nullptr;
    QSpacerItem* compareRightSpacer = nullptr;

    // Tab 2: decompress
    QWidget* decompress = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QWidget* widget = nullptr;
    QGridLayout* gridLayout_5 = nullptr;
    QGroupBox* groupBox = nullptr;
    QVBoxLayout* verticalLayout_15 = nullptr;
    QGridLayout* gridLayout_8 = nullptr;
    QLabel* decompressLabelInputFile = nullptr;
    QLineEdit* decompressInputFile = nullptr;
    QToolButton* decompressSelectInput = nullptr;
    QLabel* decompressLabelOutputFile = nullptr;
    QLineEdit* decompressOutputFile = nullptr;
    QToolButton* decompressSelectOutput = nullptr;
    QVBoxLayout* verticalLayout_22 = nullptr;
    QPushButton* decompressButtonDecompress = nullptr;
    QSpacerItem* decompressButtonSpacer = nullptr;
    QSpacerItem* decompressSpacer = nullptr;
    QLabel* DecompressLabelMandatory = nullptr;

    // Log dock
    QDockWidget* dockWidget = nullptr;
    QWidget* dockWidgetContents = nullptr;
    QGridLayout* gridLayout_7 = nullptr;
    QGroupBox* LogGroupBox = nullptr;
    QGridLayout* gridLayout_6 = nullptr;
    QTextBrowser* logOptionalLog = nullptr;
};

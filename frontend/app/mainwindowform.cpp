#include "app/mainwindowform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kSpacing = 6;
constexpr int kMargins = 11;

template <typename Layout>
Layout* makeLayout(QWidget* owner, const char* name, bool margins11) {
    auto* layout = new Layout(owner);
    layout->setObjectName(QString::fromLatin1(name));
    layout->setSpacing(kSpacing);
    if (margins11) {
        layout->setContentsMargins(kMargins, kMargins, kMargins, kMargins);
    }
    return layout;
}

template <typename Layout>
Layout* makeSubLayout(const char* name) {
    auto* layout = new Layout();
    layout->setObjectName(QString::fromLatin1(name));
    layout->setSpacing(kSpacing);
    return layout;
}

template <typename Widget>
Widget* makeWidget(QWidget* parent, const char* name) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

void setPolicy(QWidget* widget, QSizePolicy::Policy h, QSizePolicy::Policy v) {
    QSizePolicy policy(h, v);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
}

}  // namespace

void MainWindowForm::setupUi(QMainWindow* window) {
    if (window->objectName().isEmpty()) {
        window->setObjectName(QString::fromLatin1("MainWindow"));
    }
    window->resize(1241, 540);
    setPolicy(window, QSizePolicy::Fixed, QSizePolicy::Fixed);
    window->setMinimumSize(640, 480);
    window->setMaximumSize(99999, 99999);

    centralWidget = makeWidget<QWidget>(window, "centralWidget");
    verticalLayout_19 = makeLayout<QVBoxLayout>(centralWidget, "verticalLayout_19", true);
    tabWidget = makeWidget<QTabWidget>(centralWidget, "tabWidget");
    setPolicy(tabWidget, QSizePolicy::Expanding, QSizePolicy::Expanding);
    tabWidget->setMinimumSize(0, 0);

    // Tab 0: convert
    convert = makeWidget<QWidget>(nullptr, "convert");
    verticalLayout_4 = makeLayout<QVBoxLayout>(convert, "verticalLayout_4", true);
    horizontalLayout = makeSubLayout<QHBoxLayout>("horizontalLayout");
    verticalLayout_2 = makeSubLayout<QVBoxLayout>("verticalLayout_2");
    verticalLayout_2->setContentsMargins(-1, -1, -1, 10);

    ConvertGroupInput = makeWidget<QGroupBox>(convert, "ConvertGroupInput");
    setPolicy(ConvertGroupInput, QSizePolicy::Preferred, QSizePolicy::Expanding);
    ConvertGroupInput->setMaximumSize(16777215, 70);
    verticalLayout_12 = makeLayout<QVBoxLayout>(ConvertGroupInput, "verticalLayout_12", true);
    gridLayout_3 = makeSubLayout<QGridLayout>("gridLayout_3");
    convertLabelInput = makeWidget<QLabel>(ConvertGroupInput, "convertLabelInput");
    gridLayout_3->addWidget(convertLabelInput, 0, 0, 1, 1);
    convertInputInputfile = makeWidget<QLineEdit>(ConvertGroupInput, "convertInputInputfile");
    gridLayout_3->addWidget(convertInputInputfile, 0, 1, 1, 1);
    convertSelectInput = makeWidget<QToolButton>(ConvertGroupInput, "convertSelectInput");
    gridLayout_3->addWidget(convertSelectInput, 0, 2, 1, 1);
    verticalLayout_12->addLayout(gridLayout_3);
    verticalLayout_2->addWidget(ConvertGroupInput);

    ConvertGroupOptions = makeWidget<QGroupBox>(convert, "ConvertGroupOptions");
    setPolicy(ConvertGroupOptions, QSizePolicy::Preferred, QSizePolicy::Expanding);
    ConvertGroupOptions->setMaximumSize(16777215, 90);
    verticalLayout_14 = makeLayout<QVBoxLayout>(ConvertGroupOptions, "verticalLayout_14", true);
    verticalLayout_13 = makeSubLayout<QVBoxLayout>("verticalLayout_13");
    convertOptionZlib = makeWidget<QRadioButton>(ConvertGroupOptions, "convertOptionZlib");
    verticalLayout_13->addWidget(convertOptionZlib);
    convertOptionIntenation =
        makeWidget<QRadioButton>(ConvertGroupOptions, "convertOptionIntenation");
    convertOptionIntenation->setChecked(true);
    verticalLayout_13->addWidget(convertOptionIntenation);
    verticalLayout_14->addLayout(verticalLayout_13);
    verticalLayout_2->addWidget(ConvertGroupOptions);

    ConvertGroupOutput = makeWidget<QGroupBox>(convert, "ConvertGroupOutput");
    setPolicy(ConvertGroupOutput, QSizePolicy::Preferred, QSizePolicy::Expanding);
    ConvertGroupOutput->setMaximumSize(16777215, 140);
    verticalLayout_11 = makeLayout<QVBoxLayout>(ConvertGroupOutput, "verticalLayout_11", true);
    gridLayout_2 = makeSubLayout<QGridLayout>("gridLayout_2");
    convertLabelLibrary = makeWidget<QLabel>(ConvertGroupOutput, "convertLabelLibrary");
    gridLayout_2->addWidget(convertLabelLibrary, 0, 0, 1, 1);
    horizontalLayout_5 = makeSubLayout<QHBoxLayout>("horizontalLayout_5");
    convertSelectLibrary = makeWidget<QComboBox>(ConvertGroupOutput, "convertSelectLibrary");
    setPolicy(convertSelectLibrary, QSizePolicy::Expanding, QSizePolicy::Fixed);
    horizontalLayout_5->addWidget(convertSelectLibrary);
    label = makeWidget<QLabel>(ConvertGroupOutput, "label");
    setPolicy(label, QSizePolicy::Maximum, QSizePolicy::Preferred);
    horizontalLayout_5->addWidget(label);
    convertSelectLibraryLast =
        makeWidget<QComboBox>(ConvertGroupOutput, "convertSelectLibraryLast");
    setPolicy(convertSelectLibraryLast, QSizePolicy::Expanding, QSizePolicy::Fixed);
    horizontalLayout_5->addWidget(convertSelectLibraryLast);
    gridLayout_2->addLayout(horizontalLayout_5, 0, 1, 1, 1);
    cbAdvancedOptions = makeWidget<QCheckBox>(ConvertGroupOutput, "cbAdvancedOptions");
    gridLayout_2->addWidget(cbAdvancedOptions, 0, 2, 1, 1);
    convertLabelPrefix = makeWidget<QLabel>(ConvertGroupOutput, "convertLabelPrefix");
    gridLayout_2->addWidget(convertLabelPrefix, 1, 0, 1, 1);
    convertInputPrefix = makeWidget<QLineEdit>(ConvertGroupOutput, "convertInputPrefix");
    gridLayout_2->addWidget(convertInputPrefix, 1, 1, 1, 1);
    convertLabelStation = makeWidget<QLabel>(ConvertGroupOutput, "convertLabelStation");
    gridLayout_2->addWidget(convertLabelStation, 2, 0, 1, 1);
    convertInputStation = makeWidget<QLineEdit>(ConvertGroupOutput, "convertInputStation");
    gridLayout_2->addWidget(convertInputStation, 2, 1, 1, 1);
    convertLabelOutput = makeWidget<QLabel>(ConvertGroupOutput, "convertLabelOutput");
    gridLayout_2->addWidget(convertLabelOutput, 3, 0, 1, 1);
    convertInputOutputfile = makeWidget<QLineEdit>(ConvertGroupOutput, "convertInputOutputfile");
    gridLayout_2->addWidget(convertInputOutputfile, 3, 1, 1, 1);
    convertSelectOutput = makeWidget<QToolButton>(ConvertGroupOutput, "convertSelectOutput");
    setPolicy(convertSelectOutput, QSizePolicy::Minimum, QSizePolicy::Fixed);
    gridLayout_2->addWidget(convertSelectOutput, 3, 2, 1, 1);
    verticalLayout_11->addLayout(gridLayout_2);
    verticalLayout_2->addWidget(ConvertGroupOutput);

    convertLeftSpacer = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout_2->addItem(convertLeftSpacer);
    ConvertLabelMandatory = makeWidget<QLabel>(convert, "ConvertLabelMandatory");
    verticalLayout_2->addWidget(ConvertLabelMandatory);
    horizontalLayout->addLayout(verticalLayout_2);

    verticalLayout_3 = makeSubLayout<QVBoxLayout>("verticalLayout_3");
    convertButtonConvert = makeWidget<QPushButton>(convert, "convertButtonConvert");
    verticalLayout_3->addWidget(convertButtonConvert);
    convertRightSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout_3->addItem(convertRightSpacer);
    horizontalLayout->addLayout(verticalLayout_3);
    verticalLayout_4->addLayout(horizontalLayout);
    tabWidget->addTab(convert, QString());

    // Tab 1: compare
    compile = makeWidget<QWidget>(nullptr, "compile");
    verticalLayout_7 = makeLayout<QVBoxLayout>(compile, "verticalLayout_7", true);
    horizontalLayout_3 = makeSubLayout<QHBoxLayout>("horizontalLayout_3");
    verticalLayout_5 = makeSubLayout<QVBoxLayout>("verticalLayout_5");
    horizontalLayout_2 = makeSubLayout<QHBoxLayout>("horizontalLayout_2");

    CompareGroupFiles = makeWidget<QGroupBox>(compile, "CompareGroupFiles");
    CompareGroupFiles->setMinimumSize(300, 90);
    verticalLayout_9 = makeLayout<QVBoxLayout>(CompareGroupFiles, "verticalLayout_9", true);
    gridLayout = makeSubLayout<QGridLayout>("gridLayout");
    compareLabelOld = makeWidget<QLabel>(CompareGroupFiles, "compareLabelOld");
    gridLayout->addWidget(compareLabelOld, 0, 0, 1, 1);
    compareInputOld = makeWidget<QLineEdit>(CompareGroupFiles, "compareInputOld");
    gridLayout->addWidget(compareInputOld, 0, 1, 1, 1);
    compareSelectOld = makeWidget<QToolButton>(CompareGroupFiles, "compareSelectOld");
    gridLayout->addWidget(compareSelectOld, 0, 2, 1, 1);
    compareLabelNew = makeWidget<QLabel>(CompareGroupFiles, "compareLabelNew");
    gridLayout->addWidget(compareLabelNew, 1, 0, 1, 1);
    compareInputNew = makeWidget<QLineEdit>(CompareGroupFiles, "compareInputNew");
    gridLayout->addWidget(compareInputNew, 1, 1, 1, 1);
    compareSelectNew = makeWidget<QToolButton>(CompareGroupFiles, "compareSelectNew");
    gridLayout->addWidget(compareSelectNew, 1, 2, 1, 1);
    verticalLayout_9->addLayout(gridLayout);
    horizontalLayout_2->addWidget(CompareGroupFiles);

    CompareGroupOptions = makeWidget<QGroupBox>(compile, "CompareGroupOptions");
    CompareGroupOptions->setMinimumSize(120, 0);
    verticalLayout_10 = makeLayout<QVBoxLayout>(CompareGroupOptions, "verticalLayout_10", true);
    compareSelectDetail = makeWidget<QCheckBox>(CompareGroupOptions, "compareSelectDetail");
    verticalLayout_10->addWidget(compareSelectDetail);
    horizontalLayout_2->addWidget(CompareGroupOptions);
    verticalLayout_5->addLayout(horizontalLayout_2);

    CompareGroupOutput = makeWidget<QGroupBox>(compile, "CompareGroupOutput");
    verticalLayout_8 = makeLayout<QVBoxLayout>(CompareGroupOutput, "verticalLayout_8", true);
    compareTextOutput = makeWidget<QTextBrowser>(CompareGroupOutput, "compareTextOutput");
    verticalLayout_8->addWidget(compareTextOutput);
    verticalLayout_5->addWidget(CompareGroupOutput);
    CompareLabelMandatory = makeWidget<QLabel>(compile, "CompareLabelMandatory");
    verticalLayout_5->addWidget(CompareLabelMandatory);
    horizontalLayout_3->addLayout(verticalLayout_5);

    verticalLayout_6 = makeSubLayout<QVBoxLayout>("verticalLayout_6");
    compareButtonCompare = makeWidget<QPushButton>(compile, "compareButtonCompare");
    verticalLayout_6->addWidget(compareButtonCompare);
    compareRightSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout_6->addItem(compareRightSpacer);
    horizontalLayout_3->addLayout(verticalLayout_6);
    verticalLayout_7->addLayout(horizontalLayout_3);
    tabWidget->addTab(compile, QString());

    // Tab 2: decompress
    decompress = makeWidget<QWidget>(nullptr, "decompress");
    gridLayout_4 = makeLayout<QGridLayout>(decompress, "gridLayout_4", true);
    verticalLayout = makeSubLayout<QVBoxLayout>("verticalLayout");
    widget = makeWidget<QWidget>(decompress, "widget");
    gridLayout_5 = makeLayout<QGridLayout>(widget, "gridLayout_5", false);
    gridLayout_5->setContentsMargins(0, 0, -1, -1);

    groupBox = makeWidget<QGroupBox>(widget, "groupBox");
    setPolicy(groupBox, QSizePolicy::Preferred, QSizePolicy::Fixed);
    groupBox->setMinimumSize(300, 90);
    groupBox->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignTop);
    verticalLayout_15 = makeLayout<QVBoxLayout>(groupBox, "verticalLayout_15", true);
    gridLayout_8 = makeSubLayout<QGridLayout>("gridLayout_8");
    decompressLabelInputFile = makeWidget<QLabel>(groupBox, "decompressLabelInputFile");
    gridLayout_8->addWidget(decompressLabelInputFile, 0, 0, 1, 1);
    decompressInputFile = makeWidget<QLineEdit>(groupBox, "decompressInputFile");
    gridLayout_8->addWidget(decompressInputFile, 0, 1, 1, 1);
    decompressSelectInput = makeWidget<QToolButton>(groupBox, "decompressSelectInput");
    gridLayout_8->addWidget(decompressSelectInput, 0, 2, 1, 1);
    decompressLabelOutputFile = makeWidget<QLabel>(groupBox, "decompressLabelOutputFile");
    gridLayout_8->addWidget(decompressLabelOutputFile, 1, 0, 1, 1);
    decompressOutputFile = makeWidget<QLineEdit>(groupBox, "decompressOutputFile");
    gridLayout_8->addWidget(decompressOutputFile, 1, 1, 1, 1);
    decompressSelectOutput = makeWidget<QToolButton>(groupBox, "decompressSelectOutput");
    gridLayout_8->addWidget(decompressSelectOutput, 1, 2, 1, 1);
    verticalLayout_15->addLayout(gridLayout_8);
    gridLayout_5->addWidget(groupBox, 1, 0, 1, 1);

    verticalLayout_22 = makeSubLayout<QVBoxLayout>("verticalLayout_22");
    verticalLayout_22->setSizeConstraint(QLayout::SetMinimumSize);
    verticalLayout_22->setContentsMargins(0, -1, -1, -1);
    decompressButtonDecompress = makeWidget<QPushButton>(widget, "decompressButtonDecompress");
    verticalLayout_22->addWidget(decompressButtonDecompress);
    decompressButtonSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout_22->addItem(decompressButtonSpacer);
    gridLayout_5->addLayout(verticalLayout_22, 1, 1, 1, 1);

    verticalLayout->addWidget(widget, 0, Qt::AlignTop);
    decompressSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout->addItem(decompressSpacer);
    DecompressLabelMandatory = makeWidget<QLabel>(decompress, "DecompressLabelMandatory");
    verticalLayout->addWidget(DecompressLabelMandatory);
    gridLayout_4->addLayout(verticalLayout, 0, 0, 1, 1);
    tabWidget->addTab(decompress, QString());

    verticalLayout_19->addWidget(tabWidget);
    centralSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    verticalLayout_19->addItem(centralSpacer);
    window->setCentralWidget(centralWidget);

    // Log dock
    dockWidget = makeWidget<QDockWidget>(window, "dockWidget");
    setPolicy(dockWidget, QSizePolicy::Expanding, QSizePolicy::MinimumExpanding);
    dockWidget->setMinimumSize(658, 517);
    dockWidget->setMaximumSize(524287, 524287);
    dockWidget->setFloating(false);
    dockWidget->setFeatures(QDockWidget::DockWidgetVerticalTitleBar);
    dockWidgetContents = makeWidget<QWidget>(nullptr, "dockWidgetContents");
    gridLayout_7 = makeLayout<QGridLayout>(dockWidgetContents, "gridLayout_7", true);
    LogGroupBox = makeWidget<QGroupBox>(dockWidgetContents, "LogGroupBox");
    setPolicy(LogGroupBox, QSizePolicy::Expanding, QSizePolicy::Expanding);
    gridLayout_6 = makeLayout<QGridLayout>(LogGroupBox, "gridLayout_6", true);
    logOptionalLog = makeWidget<QTextBrowser>(LogGroupBox, "logOptionalLog");
    logOptionalLog->viewport()->setProperty("cursor", QVariant(QCursor(Qt::ArrowCursor)));
    gridLayout_6->addWidget(logOptionalLog, 0, 0, 1, 1);
    gridLayout_7->addWidget(LogGroupBox, 0, 0, 1, 1);
    dockWidget->setWidget(dockWidgetContents);
    window->addDockWidget(Qt::RightDockWidgetArea, dockWidget);

    retranslateUi(window);
    tabWidget->setCurrentIndex(0);
}

void MainWindowForm::retranslateUi(QMainWindow* window) {
    window->setWindowTitle(QCoreApplication::translate("MainWindow", "Quillmoor Converter"));
    ConvertGroupInput->setTitle(QCoreApplication::translate("MainWindow", "Ursprungsdatei"));
    convertLabelInput->setToolTip(QCoreApplication::translate(
        "MainWindow", "Hier wird die zu konvertierende A2L ausgewählt"));
    convertLabelInput->setText(QCoreApplication::translate("MainWindow", "Ursprungs-A2L*"));
    convertSelectInput->setToolTip(QCoreApplication::translate("MainWindow", "Datei auswählen..."));
    convertSelectInput->setText(QCoreApplication::translate("MainWindow", "..."));
    ConvertGroupOptions->setTitle(QCoreApplication::translate("MainWindow", "Ausgabeformat"));
    convertOptionZlib->setToolTip(QCoreApplication::translate(
        "MainWindow",
        "<html><head/><body><p>Die Ausgabedatei wird komprimiert<br/>-------------<br/>Diese "
        "Option wird für die Übertragung an den Logger empfohlen</p></body></html>"));
    convertOptionZlib->setText(
        QCoreApplication::translate("MainWindow", "Datei &zlib komprimieren"));
    convertOptionIntenation->setToolTip(QCoreApplication::translate(
        "MainWindow",
        "<html><head/><body><p>Bei unkomprimierter Ausgabe wird die Zeileneinrückung "
        "aktiviert, dies dient zur besseren Lesbarkeit der Datei<br/>-------------<br/>Diese "
        "Option ist für die menschenlesbare Ausgabe der .cfginclude "
        "empfohlen</p></body></html>"));
    convertOptionIntenation->setText(
        QCoreApplication::translate("MainWindow", "Datei in Klarte&xt ausgeben"));
    ConvertGroupOutput->setTitle(
        QCoreApplication::translate("MainWindow", "Parameter der Ausgabedatei"));
    convertLabelPrefix->setToolTip(QCoreApplication::translate(
        "MainWindow",
        "<html><head/><body><p>Hier können Sie ein Signal-Prefix festlegen<br/>-------------"
        "<br/>Das Signal-Prefix muss dem in der Hauptkonfig entsprechen</p></body></html>"));
    convertLabelPrefix->setText(QCoreApplication::translate("MainWindow", "Signal-Prefix"));
    convertLabelStation->setToolTip(QCoreApplication::translate(
        "MainWindow",
        "<html><head/><body><p>Hier können Sie einen Stationsnamen festlegen<br/>"
        "-------------<br/>Der Stationsname muss dem in der Hauptkonfig "
        "entsprechen</p></body></html>"));
    convertLabelStation->setText(QCoreApplication::translate("MainWindow", "Stationsname"));
    convertLabelOutput->setToolTip(QCoreApplication::translate(
        "MainWindow",
        "<html><head/><body><p>Hier wird das Ausgabeverzeichnis für die .cfginclude "
        "festgelegt</p></body></html>"));
    convertLabelOutput->setText(QCoreApplication::translate("MainWindow", "Ausgabeverzeichnis*"));
    convertSelectOutput->setToolTip(
        QCoreApplication::translate("MainWindow", "Verzeichnis wählen..."));
    convertSelectOutput->setText(QCoreApplication::translate("MainWindow", "..."));
    convertLabelLibrary->setText(QCoreApplication::translate("MainWindow", "Kompatible Versionen"));
    label->setText(QCoreApplication::translate("MainWindow", "-"));
    cbAdvancedOptions->setText(QCoreApplication::translate("MainWindow", "Erw."));
    ConvertLabelMandatory->setText(
        QCoreApplication::translate("MainWindow", "* = Diese Felder sind Pflichtfelder"));
    convertButtonConvert->setToolTip(QCoreApplication::translate(
        "MainWindow", "<html><head/><body><p>Jetzt konvertieren!</p></body></html>"));
    convertButtonConvert->setText(QCoreApplication::translate("MainWindow", "Konvertieren"));
    tabWidget->setTabText(tabWidget->indexOf(convert),
                          QCoreApplication::translate("MainWindow", "A2L konvertieren"));
    CompareGroupFiles->setTitle(QCoreApplication::translate("MainWindow", "Dateiauswahl"));
    compareSelectOld->setToolTip(QCoreApplication::translate("MainWindow", "Datei auswählen..."));
    compareSelectOld->setText(QCoreApplication::translate("MainWindow", "..."));
    compareLabelNew->setToolTip(
        QCoreApplication::translate("MainWindow", "Hier wird das zu vergleichende A2L ausgewählt"));
    compareLabelNew->setText(QCoreApplication::translate("MainWindow", "Neues A2L-File*"));
    compareSelectNew->setToolTip(QCoreApplication::translate("MainWindow", "Datei auswählen..."));
    compareSelectNew->setText(QCoreApplication::translate("MainWindow", "..."));
    compareLabelOld->setToolTip(
        QCoreApplication::translate("MainWindow", "Hier wird das bisher genutzte A2L ausgewählt"));
    compareLabelOld->setText(QCoreApplication::translate("MainWindow", "Bisheriges A2L-File*"));
    CompareGroupOptions->setTitle(QCoreApplication::translate("MainWindow", "Optionen"));
    compareSelectDetail->setToolTip(QCoreApplication::translate(
        "MainWindow", "Zeigt alle verglichenen Werte und die Einzelresultate der Vergleiche an"));
    compareSelectDetail->setText(QCoreApplication::translate("MainWindow", "Detailausgabe"));
    CompareGroupOutput->setTitle(QCoreApplication::translate("MainWindow", "Ausgabefenster"));
    CompareLabelMandatory->setText(
        QCoreApplication::translate("MainWindow", "* = Diese Felder sind Pflichtfelder"));
    compareButtonCompare->setToolTip(
        QCoreApplication::translate("MainWindow", "Jetzt vergleichen!"));
    compareButtonCompare->setText(QCoreApplication::translate("MainWindow", "Vergleichen"));
    tabWidget->setTabText(tabWidget->indexOf(compile),
                          QCoreApplication::translate("MainWindow", "A2L Vergleich"));
    groupBox->setTitle(QCoreApplication::translate("MainWindow", "Dateiauswahl"));
    decompressLabelOutputFile->setText(
        QCoreApplication::translate("MainWindow", "Ausgabeverzeichnis*"));
    decompressLabelInputFile->setText(
        QCoreApplication::translate("MainWindow", "Datei auswählen (.cfginclude)*"));
    decompressSelectInput->setText(QCoreApplication::translate("MainWindow", "..."));
    decompressSelectOutput->setText(QCoreApplication::translate("MainWindow", "..."));
    decompressButtonDecompress->setText(
        QCoreApplication::translate("MainWindow", "Dekomprimieren"));
    DecompressLabelMandatory->setText(
        QCoreApplication::translate("MainWindow", "* = Diese Felder sind Pflichtfelder"));
    tabWidget->setTabText(tabWidget->indexOf(decompress),
                          QCoreApplication::translate("MainWindow", "CfgInclude dekomprimieren"));
    LogGroupBox->setTitle(QCoreApplication::translate("MainWindow", "Optionales Ausgabefenster"));
}

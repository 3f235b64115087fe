#include "app/mainwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "app/mainwindowform.h"

namespace {
constexpr int kStartWidth = 600;
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new MainWindowForm), savedWindowSize(-1, -1) {
    loadSettings();
    selectTranslationToLoad(language);
    QCoreApplication::installTranslator(&translator);
    if (!qtTranslator.isEmpty()) {
        QCoreApplication::installTranslator(&qtTranslator);
    }
    buildMenus();
    ui->setupUi(this);
    advancedLibraryMode = ui->cbAdvancedOptions->isChecked();
    versionsFileLoaded = false;
    applyInitialState();
    loadVersionsFile();
    connectSignals();
    acceptFileDrops();
    setWindowFlags(windowFlags() | Qt::CustomizeWindowHint);
}

MainWindow::~MainWindow() {
    detachJobProcesses();
    delete ui;
}

void MainWindow::applyInitialState() {
    setMinimumWidth(kStartWidth);
    resize(kStartWidth, height());
    logDockWidth = ui->dockWidget->width();
    ui->dockWidget->hide();
    fillBasicLibraryRanges();

    ui->convertInputInputfile->setText(state.convertInputPath);
    ui->convertInputOutputfile->setText(state.convertOutputPath);
    ui->convertInputPrefix->setText(state.prefixName);
    ui->convertInputStation->setText(state.stationName);
    ui->compareInputOld->setText(state.compareOldPath);
    ui->compareInputNew->setText(state.compareNewPath);
    ui->decompressInputFile->setText(state.decompressInputPath);
    ui->decompressOutputFile->setText(state.decompressOutputPath);

    ui->compareSelectDetail->setChecked(state.compareDetailChecked);
    ui->convertOptionZlib->setChecked(state.zlibChecked);
    ui->convertOptionIntenation->setChecked(state.intenationChecked);

    ui->tabWidget->setCurrentIndex(state.currentTab);
    ui->label->hide();
    ui->convertSelectLibraryLast->hide();
}

void MainWindow::connectSignals() {
    auto* f = ui;
    connect(f->tabWidget, &QTabWidget::currentChanged, this, &MainWindow::tabSelected);
    connect(f->convertSelectInput, &QToolButton::released, this,
            &MainWindow::convertSelectInputFile);
    connect(f->convertInputInputfile, &QLineEdit::textChanged, this,
            &MainWindow::convertInputTextChanged);
    connect(f->convertSelectOutput, &QToolButton::released, this,
            &MainWindow::convertSelectOutputFile);
    connect(f->convertInputOutputfile, &QLineEdit::textChanged, this,
            &MainWindow::convertOutputTextChanged);
    connect(f->convertOptionZlib, &QRadioButton::toggled, this, &MainWindow::convertSelectZlib);
    connect(f->convertOptionIntenation, &QRadioButton::toggled, this,
            &MainWindow::convertSelectIntenation);
    connect(f->convertInputPrefix, &QLineEdit::textChanged, this, &MainWindow::convertPrefixname);
    connect(f->convertInputStation, &QLineEdit::textChanged, this, &MainWindow::convertStationname);
    connect(f->convertSelectLibrary, &QComboBox::currentIndexChanged, this,
            &MainWindow::convertLibraryVersion);
    connect(f->convertSelectLibraryLast, &QComboBox::currentIndexChanged, this,
            &MainWindow::convertLibraryVersion);
    connect(f->convertButtonConvert, &QPushButton::released, this, &MainWindow::convert);
    connect(f->cbAdvancedOptions, &QCheckBox::toggled, this, &MainWindow::advancedOptions);
    connect(f->compareSelectOld, &QToolButton::released, this, &MainWindow::compareSelectFileOld);
    connect(f->compareInputOld, &QLineEdit::textChanged, this, &MainWindow::compareOldTextChanged);
    connect(f->compareSelectNew, &QToolButton::released, this, &MainWindow::compareSelectFileNew);
    connect(f->compareInputNew, &QLineEdit::textChanged, this, &MainWindow::compareNewTextChanged);
    connect(f->compareSelectDetail, &QCheckBox::toggled, this, &MainWindow::compareSelectDetail);
    connect(f->compareButtonCompare, &QPushButton::released, this, &MainWindow::compare);
    connect(f->decompressInputFile, &QLineEdit::textChanged, this,
            &MainWindow::decompressInputFile);
    connect(f->decompressOutputFile, &QLineEdit::textChanged, this,
            &MainWindow::decompressOutputFile);
    connect(f->decompressSelectInput, &QToolButton::released, this,
            &MainWindow::decompressSelectInputFile);
    connect(f->decompressSelectOutput, &QToolButton::released, this,
            &MainWindow::decompressSelectOutputFile);
    connect(f->decompressButtonDecompress, &QPushButton::released, this, &MainWindow::decompress);
    connect(&converterProcess, &QProcess::readyRead, this, &MainWindow::ReadyReadConverter);
    connect(&comparerProcess, &QProcess::readyRead, this, &MainWindow::ReadyReadComparer);
    connect(&decompresserProcess, &QProcess::readyRead, this, &MainWindow::ReadyReadDecompresser);
    connect(&infoProcess, &QProcess::readyRead, this, &MainWindow::ReadyReadInfo);
}

void MainWindow::tabSelected() {
    const int index = ui->tabWidget->currentIndex();
    if (index >= 0 && index <= 2) {
        state.currentTab = index;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    saveSettings();
    event->accept();
}

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startupDefaults();
    void widgetTree_data();
    void widgetTree();
    void menuBar();
    void restoreRunsNoSlot();
    void wiringReachesSlots();
    void tabSelection();
};

void MainWindowTest::startupDefaults() {
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    DialogWatcher watcher;
    MainWindow w;
    auto& ui = Access::ui(w);
    QCOMPARE(w.size(), QSize(600, 540));
    QCOMPARE(w.minimumWidth(), 600);
    QVERIFY(ui.dockWidget->isHidden());
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QVERIFY(ui.convertOptionIntenation->isChecked());
    QVERIFY(!ui.convertOptionZlib->isChecked());
    QVERIFY(!ui.compareSelectDetail->isChecked());
    QVERIFY(!ui.cbAdvancedOptions->isChecked());
    QVERIFY(ui.label->isHidden());
    QVERIFY(ui.convertSelectLibraryLast->isHidden());
    QVERIFY(w.windowFlags().testFlag(Qt::CustomizeWindowHint));
    QCOMPARE(w.windowTitle(), QString("Quillmoor Converter"));
    QCOMPARE(ui.dockWidget->features(), QDockWidget::DockWidgetVerticalTitleBar);
    QCOMPARE(ui.dockWidget->minimumSize(), QSize(658, 517));
    // Nothing was built from the empty fields.
    const FormState& s = Access::state(w);
    QVERIFY(s.convertInputArgument.isEmpty());
    QVERIFY(s.zlibArgument.isEmpty());
    QVERIFY(s.libraryArgument.isEmpty());
    QCOMPARE(s.converterName, QString("QuillmoorConverter.exe"));
    QCOMPARE(Access::savedWindowSize(w), QSize(-1, -1));
    QCOMPARE(Access::logDockWidth(w), ui.dockWidget->width());
}

void MainWindowTest::widgetTree_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    const char* rows[][3] = {
        {"centralWidget", "QWidget", "MainWindow"},
        {"tabWidget", "QTabWidget", "centralWidget"},
        {"convertInputInputfile", "QLineEdit", "ConvertGroupInput"},
        {"convertSelectInput", "QToolButton", "ConvertGroupInput"},
        {"convertOptionZlib", "QRadioButton", "ConvertGroupOptions"},
        {"convertOptionIntenation", "QRadioButton", "ConvertGroupOptions"},
        {"convertSelectLibrary", "QComboBox", "ConvertGroupOutput"},
        {"convertSelectLibraryLast", "QComboBox", "ConvertGroupOutput"},
        {"cbAdvancedOptions", "QCheckBox", "ConvertGroupOutput"},
        {"convertInputPrefix", "QLineEdit", "ConvertGroupOutput"},
        {"convertInputStation", "QLineEdit", "ConvertGroupOutput"},
        {"convertInputOutputfile", "QLineEdit", "ConvertGroupOutput"},
        {"convertButtonConvert", "QPushButton", "convert"},
        {"compareInputOld", "QLineEdit", "CompareGroupFiles"},
        {"compareInputNew", "QLineEdit", "CompareGroupFiles"},
        {"compareSelectDetail", "QCheckBox", "CompareGroupOptions"},
        {"compareTextOutput", "QTextBrowser", "CompareGroupOutput"},
        {"compareButtonCompare", "QPushButton", "compile"},
        {"decompressInputFile", "QLineEdit", "groupBox"},
        {"decompressOutputFile", "QLineEdit", "groupBox"},
        {"decompressButtonDecompress", "QPushButton", "widget"},
        {"DecompressLabelMandatory", "QLabel", "decompress"},
        {"dockWidgetContents", "QWidget", "dockWidget"},
        {"logOptionalLog", "QTextBrowser", "LogGroupBox"},
    };
    for (const auto& row : rows) {
        QTest::newRow(row[0]) << row[0] << row[1] << row[2];
    }
}

void MainWindowTest::widgetTree() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    TestWorkspace ws;
    DialogWatcher watcher;
    MainWindow w;
    auto* widget = w.findChild<QWidget*>(name);
    QVERIFY2(widget != nullptr, qPrintable(name));
    QCOMPARE(QString(widget->metaObject()->className()), className);
    QVERIFY(widget->parentWidget() != nullptr);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
}

void MainWindowTest::menuBar() {
    TestWorkspace ws;
    DialogWatcher watcher;
    MainWindow w;
    QStringList titles;
    QStringList entries;
    for (QAction* menuAction : w.menuBar()->actions()) {
        titles << menuAction->text();
        for (QAction* entry : menuAction->menu()->actions()) {
            entries << entry->text();
            QVERIFY(entry->shortcut().isEmpty());
            if (entry->menu() != nullptr) {
                for (QAction* sub : entry->menu()->actions()) {
                    entries << "> " + sub->text();
                }
            }
        }
    }
    QCOMPARE(titles, (QStringList{"Datei", "Einstellungen", "Hilfe"}));
    QCOMPARE(entries, (QStringList{"Beenden", "Sprachen", "Optionales Ausgabefenster",
                                   "Über Quillmoor", "Dokumentation", "> Handbuch"}));
}

void MainWindowTest::restoreRunsNoSlot() {
    TestWorkspace ws;
    {
        QSettings settings("KOLDAN", "VELMOR");
        settings.setValue("convinput", "/stored/in.a2l");
        settings.setValue("prefix", "PRE");
        settings.setValue("compinputold", "/stored/old.a2l");
        settings.setValue("decompinput", "/stored/x.cfginclude");
        settings.setValue("zlibradio", true);
        settings.setValue("intenradio", false);
        settings.setValue("detailchecked", true);
    }
    DialogWatcher watcher;
    MainWindow w;
    const FormState& s = Access::state(w);
    // Whatever the window restored, no change slot ran: every fragment is empty.
    for (const QString* fragment :
         {&s.convertInputArgument, &s.convertOutputArgument, &s.zlibArgument, &s.intenationArgument,
          &s.prefixArgument, &s.stationArgument, &s.libraryArgument, &s.compareOldArgument,
          &s.compareNewArgument, &s.compareDetailArgument, &s.decompressInputArgument,
          &s.decompressOutputArgument}) {
        QVERIFY(fragment->isEmpty());
    }
}

void MainWindowTest::wiringReachesSlots() {
    TestWorkspace ws;
    DialogWatcher watcher;
    MainWindow w;
    auto& ui = Access::ui(w);
    FormState& s = Access::state(w);

    ui.convertInputInputfile->setText("/in.a2l");
    QCOMPARE(s.convertInputArgument, QString(" \"/in.a2l\""));
    ui.convertInputOutputfile->setText("/out.cfginclude");
    QCOMPARE(s.convertOutputArgument, QString(" \"/out.cfginclude\""));
    ui.convertInputPrefix->setText("P");
    QCOMPARE(s.prefixArgument, QString(" -p P"));
    ui.convertInputStation->setText("S");
    QCOMPARE(s.stationArgument, QString(" -n S"));
    ui.convertOptionZlib->setChecked(true);
    QCOMPARE(s.zlibArgument, QString(" -z"));
    QCOMPARE(s.intenationArgument, QString(" "));
    QVERIFY(s.zlibChecked);
    QVERIFY(!s.intenationChecked);
    ui.compareInputOld->setText("/old.a2l");
    QCOMPARE(s.compareOldArgument, QString(" \"/old.a2l\""));
    ui.compareInputNew->setText("/new.a2l");
    QCOMPARE(s.compareNewArgument, QString(" \"/new.a2l\""));
    ui.compareSelectDetail->setChecked(true);
    QCOMPARE(s.compareDetailArgument, QString(" -v"));
    ui.compareSelectDetail->setChecked(false);
    QCOMPARE(s.compareDetailArgument, QString());
    ui.decompressInputFile->setText("/x.cfginclude");
    QCOMPARE(s.decompressInputArgument, QString(" \"/x.cfginclude\""));
    ui.decompressOutputFile->setText("/y.cfginclude");
    QCOMPARE(s.decompressOutputArgument, QString(" \"/y.cfginclude\""));
    ui.decompressOutputFile->clear();
    QCOMPARE(s.decompressOutputArgument, QString());
    QCOMPARE(s.decompressOutputPath, QString());
    QCOMPARE(watcher.unexpected, 0);
}

void MainWindowTest::tabSelection() {
    TestWorkspace ws;
    DialogWatcher watcher;
    MainWindow w;
    auto& ui = Access::ui(w);
    ui.tabWidget->setCurrentIndex(2);
    QCOMPARE(Access::state(w).currentTab, 2);
    ui.tabWidget->setCurrentIndex(1);
    QCOMPARE(Access::state(w).currentTab, 1);
}

QUILLMOOR_TEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {
const QStringList kTextKeys{"convinput",    "convoutput",   "prefix",      "stationname",
                            "compinputold", "compinputnew", "decompinput", "decompoutput"};

QStringList allKeys() {
    return QStringList{"lang"} + kTextKeys + QStringList{"detailchecked",     "libraryselection",
                                                         "libraryselection2", "zlibradio",
                                                         "intenradio",        "currenttab"};
}

QVariant stored(const QString& key) {
    return QSettings("KOLDAN", "VELMOR").value(key);
}

void store(const QVariantMap& values) {
    QSettings settings("KOLDAN", "VELMOR");
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        settings.setValue(it.key(), it.value());
    }
}

QLineEdit* edit(MainWindow& w, const QString& key) {
    MainWindowForm& ui = Access::ui(w);
    QLineEdit* edits[] = {ui.convertInputInputfile, ui.convertInputOutputfile,
                          ui.convertInputPrefix,    ui.convertInputStation,
                          ui.compareInputOld,       ui.compareInputNew,
                          ui.decompressInputFile,   ui.decompressOutputFile};
    return edits[kTextKeys.indexOf(key)];
}

void triggerMenuEntry(MainWindow& w, const QString& text) {
    for (QAction* menu : w.menuBar()->actions()) {
        for (QAction* entry : menu->menu()->actions()) {
            if (entry->text() == text) {
                entry->trigger();
                return;
            }
        }
    }
    QFAIL(qPrintable("no menu entry " + text));
}

// A workspace with a versions file, so that start-up shows no box.
struct Workspace : TestWorkspace {
    Workspace() {
        writeFile("tarvixVersions.xml",
                  "<r><TopVersion>2</TopVersion><VersionList>1.4.4 1.5.4</VersionList></r>");
    }
};
}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstRunWritesDefaults();
    void storedValuesReachWidgets();
    void closingSaves_data();
    void closingSaves();
    void destructionDoesNotSave();
    void strayLanguageValue();
    void strayTabIndex();
    void radioKeys_data();
    void radioKeys();
    void librarySelectionRoundTrip();
    void garbageValues();
};

void SettingsTest::firstRunWritesDefaults() {
    Workspace ws;
    DialogWatcher watcher;
    QVERIFY(!ws.settingsStored());
    MainWindow w;
    // Written at start-up, before anything was closed.
    QVERIFY(ws.settingsStored());
    QSettings settings("KOLDAN", "VELMOR");
    QStringList keys = settings.allKeys();
    keys.sort();
    QStringList expected = allKeys();
    expected.sort();
    QCOMPARE(keys, expected);
    QCOMPARE(settings.value("lang").toInt(), 0);
    for (const QString& key : kTextKeys) {
        QCOMPARE(settings.value(key).toString(), QString());
    }
    QCOMPARE(settings.value("detailchecked").toBool(), false);
    QCOMPARE(settings.value("libraryselection").toString(), QString("tarVix=1.4.4"));
    QCOMPARE(settings.value("libraryselection2").toString(), QString("tarVix=1.4.4"));
    QCOMPARE(settings.value("zlibradio").toBool(), false);
    QCOMPARE(settings.value("intenradio").toBool(), true);
    QCOMPARE(settings.value("currenttab").toInt(), 0);

    MainWindowForm& ui = Access::ui(w);
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QVERIFY(ui.convertOptionIntenation->isChecked());
    QVERIFY(!ui.convertOptionZlib->isChecked());
    QVERIFY(!ui.compareSelectDetail->isChecked());
    QCOMPARE(Access::language(w), 0);
    const FormState& s = Access::state(w);
    QVERIFY(!s.convertInputPath.isNull());
    QCOMPARE(s.librarySelection, QVariant(QString("tarVix=1.4.4")));
    QCOMPARE(s.librarySelection2, QVariant(QString("tarVix=1.4.4")));
    QCOMPARE(watcher.unexpected, 0);
}

void SettingsTest::storedValuesReachWidgets() {
    Workspace ws;
    QVariantMap values;
    for (const QString& key : kTextKeys) {
        values[key] = "/stored/" + key + " with blank.a2l";
    }
    values["lang"] = 0;
    values["detailchecked"] = true;
    values["zlibradio"] = true;
    values["intenradio"] = false;
    values["currenttab"] = 2;
    values["libraryselection"] = "tarVix+1.5.5";
    values["libraryselection2"] = "2017.02.0";
    store(values);
    DialogWatcher watcher;
    MainWindow w;
    MainWindowForm& ui = Access::ui(w);
    const FormState& s = Access::state(w);
    for (const QString& key : kTextKeys) {
        QCOMPARE(edit(w, key)->text(), values[key].toString());
    }
    QCOMPARE(s.convertInputPath, values["convinput"].toString());
    QCOMPARE(s.decompressOutputPath, values["decompoutput"].toString());
    QVERIFY(ui.compareSelectDetail->isChecked());
    QVERIFY(ui.convertOptionZlib->isChecked());
    QVERIFY(!ui.convertOptionIntenation->isChecked());
    QCOMPARE(ui.tabWidget->currentIndex(), 2);
    QCOMPARE(s.currentTab, 2);
    QCOMPARE(s.librarySelection, QVariant(QString("tarVix+1.5.5")));
    QCOMPARE(s.librarySelection2, QVariant(QString("2017.02.0")));
    // The restore ran no slot: no fragment was built from the restored values.
    for (const QString* fragment :
         {&s.convertInputArgument, &s.convertOutputArgument, &s.prefixArgument, &s.stationArgument,
          &s.zlibArgument, &s.intenationArgument, &s.compareOldArgument, &s.compareNewArgument,
          &s.compareDetailArgument, &s.decompressInputArgument, &s.decompressOutputArgument,
          &s.libraryArgument}) {
        QVERIFY(fragment->isEmpty());
    }
    // The start-up save wrote the loaded values back unchanged.
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        QCOMPARE(stored(it.key()).toString(), it.value().toString());
    }
}

void SettingsTest::closingSaves_data() {
    QTest::addColumn<bool>("throughMenu");
    QTest::newRow("close button") << false;
    QTest::newRow("Datei > Beenden") << true;
}

void SettingsTest::closingSaves() {
    QFETCH(bool, throughMenu);
    Workspace ws;
    DialogWatcher watcher;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const QString& key : kTextKeys) {
        edit(w, key)->setText("/typed/" + key);
    }
    MainWindowForm& ui = Access::ui(w);
    ui.compareSelectDetail->setChecked(true);
    ui.convertOptionZlib->setChecked(true);
    ui.tabWidget->setCurrentIndex(1);
    ui.convertSelectLibrary->setCurrentIndex(2);
    // Changes alone are not stored.
    QCOMPARE(stored("convinput").toString(), QString());

    if (throughMenu) {
        triggerMenuEntry(w, "Beenden");
    } else {
        QVERIFY(w.close());
    }
    QVERIFY(!w.isVisible());
    for (const QString& key : kTextKeys) {
        QCOMPARE(stored(key).toString(), "/typed/" + key);
    }
    QCOMPARE(stored("detailchecked").toBool(), true);
    QCOMPARE(stored("zlibradio").toBool(), true);
    QCOMPARE(stored("intenradio").toBool(), false);
    QCOMPARE(stored("currenttab").toInt(), 1);
    QCOMPARE(stored("libraryselection").toString(), QString("tarVix=2017.06.0"));
    QCOMPARE(stored("libraryselection2").toString(), QString("tarVix=1.4.4"));
    QCOMPARE(stored("lang").toInt(), 0);
}

void SettingsTest::destructionDoesNotSave() {
    Workspace ws;
    DialogWatcher watcher;
    {
        MainWindow w;
        Access::ui(w).convertInputInputfile->setText("/typed.a2l");
        Access::ui(w).tabWidget->setCurrentIndex(2);
    }
    QCOMPARE(stored("convinput").toString(), QString());
    QCOMPARE(stored("currenttab").toInt(), 0);
}

// A language value other than 0 and 1 is neither saved at start-up nor changed.
void SettingsTest::strayLanguageValue() {
    Workspace ws;
    store({{"lang", 7}, {"convinput", "/in.a2l"}});
    const QByteArray before = ws.settingsSnapshot();
    DialogWatcher watcher;
    MainWindow w;
    QCOMPARE(Access::language(w), 7);
    QCOMPARE(ws.settingsSnapshot(), before);
    QVERIFY(w.close());
    QCOMPARE(stored("lang").toInt(), 7);
    QCOMPARE(stored("convinput").toString(), QString("/in.a2l"));
    QCOMPARE(QSettings("KOLDAN", "VELMOR").allKeys().size(), allKeys().size());
}

void SettingsTest::strayTabIndex() {
    Workspace ws;
    store({{"currenttab", 5}});
    DialogWatcher watcher;
    {
        MainWindow w;
        QCOMPARE(Access::ui(w).tabWidget->currentIndex(), 0);
        QCOMPARE(Access::state(w).currentTab, 5);
        QVERIFY(w.close());
        QCOMPARE(stored("currenttab").toInt(), 5);
    }
    MainWindow w;
    Access::ui(w).tabWidget->setCurrentIndex(2);
    QVERIFY(w.close());
    QCOMPARE(stored("currenttab").toInt(), 2);
}

void SettingsTest::radioKeys_data() {
    QTest::addColumn<bool>("zlib");
    QTest::addColumn<bool>("intenation");
    QTest::addColumn<bool>("zlibShown");
    QTest::newRow("both true: intenation set last") << true << true << false;
    QTest::newRow("both false: intenation stays") << false << false << false;
    QTest::newRow("zlib only") << true << false << true;
}

void SettingsTest::radioKeys() {
    QFETCH(bool, zlib);
    QFETCH(bool, intenation);
    QFETCH(bool, zlibShown);
    Workspace ws;
    store({{"zlibradio", zlib}, {"intenradio", intenation}});
    DialogWatcher watcher;
    MainWindow w;
    MainWindowForm& ui = Access::ui(w);
    QCOMPARE(ui.convertOptionZlib->isChecked(), zlibShown);
    QCOMPARE(ui.convertOptionIntenation->isChecked(), !zlibShown);
    // The members keep the stored values until a toggle refreshes them.
    QCOMPARE(Access::state(w).zlibChecked, zlib);
    QCOMPARE(Access::state(w).intenationChecked, intenation);
    QVERIFY(w.close());
    QCOMPARE(stored("zlibradio").toBool(), zlib);
    QCOMPARE(stored("intenradio").toBool(), intenation);
}

void SettingsTest::librarySelectionRoundTrip() {
    Workspace ws;
    store({{"libraryselection", "tarVix=2017.06.0"}, {"libraryselection2", "2019.02"}});
    DialogWatcher watcher;
    {
        MainWindow w;
        QCOMPARE(Access::ui(w).convertSelectLibrary->currentIndex(), 0);
        QCOMPARE(Access::ui(w).convertSelectLibrary->currentText(), QString("1.4.4 bis 1.5.4"));
        QVERIFY(Access::state(w).libraryArgument.isEmpty());
        QVERIFY(w.close());
        QCOMPARE(stored("libraryselection").toString(), QString("tarVix=2017.06.0"));
        QCOMPARE(stored("libraryselection2").toString(), QString("2019.02"));
    }
    // A selection made in between overwrites the range value, not the end value.
    MainWindow w;
    Access::ui(w).convertSelectLibrary->setCurrentIndex(1);
    QVERIFY(w.close());
    QCOMPARE(stored("libraryselection").toString(), QString("tarVix=1.5.5"));
    QCOMPARE(stored("libraryselection2").toString(), QString("2019.02"));
}

// Values of the wrong kind go through the usual QVariant conversions.
void SettingsTest::garbageValues() {
#ifdef Q_OS_WIN
    QSKIP("the settings are in the registry on Windows, there is no file to garble");
#endif
    Workspace ws;
    QVERIFY(QDir().mkpath(QFileInfo(ws.settingsFile()).path()));
    QFile file(ws.settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "this line is no key\n"
        "[General]\n"
        "lang=abc\n"
        "currenttab=2x\n"
        "detailchecked=maybe\n"
        "zlibradio=0\n"
        "intenradio=\n"
        "convinput=42\n"
        "prefix=@Invalid()\n"
        "libraryselection=@Invalid()\n"
        "\x01\x02\xff=\xfe\n"
        "[Other]\n"
        "convoutput=/not/general\n");
    file.close();
    DialogWatcher watcher;
    MainWindow w;
    const FormState& s = Access::state(w);
    QCOMPARE(Access::language(w), 0);
    QCOMPARE(s.currentTab, 0);
    QCOMPARE(s.compareDetailChecked, true);
    QCOMPARE(s.zlibChecked, false);
    QCOMPARE(s.intenationChecked, false);
    QCOMPARE(s.convertInputPath, QString("42"));
    QCOMPARE(s.prefixName, QString());
    QCOMPARE(s.convertOutputPath, QString());
    QCOMPARE(s.librarySelection, QVariant(QString()));
    QCOMPARE(s.librarySelection2, QVariant(QString("tarVix=1.4.4")));
    MainWindowForm& ui = Access::ui(w);
    QVERIFY(ui.convertOptionIntenation->isChecked());
    QVERIFY(ui.compareSelectDetail->isChecked());
    QCOMPARE(ui.convertInputInputfile->text(), QString("42"));
    // Language 0 was saved at start-up, with everything else as read.
    QCOMPARE(stored("lang").toInt(), 0);
    QCOMPARE(stored("lang").toString(), QString("0"));
    QCOMPARE(stored("currenttab").toString(), QString("0"));
    QCOMPARE(watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"

// The window around the jobs: settings, versions, log dock, language, About box, manual.
#include "prefs/languageselection.h"
#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

// Positions: 0 1.4.4, 1 1.5.4, 2 1.5.5, 3 2016.10.0, 4 2017.02.0, 5 2017.06.0,
// 6 2017.10.0, 7 2018.06.0, 8 2019.02.
const QStringList kVersions{"1.4.4",     "1.5.4",     "1.5.5",     "2016.10.0", "2017.02.0",
                            "2017.06.0", "2017.10.0", "2018.06.0", "2019.02"};
const QStringList kTextKeys{"convinput",    "convoutput",   "prefix",      "stationname",
                            "compinputold", "compinputnew", "decompinput", "decompoutput"};

// Writes a versions file with `versions` (without one, start-up reports the missing file).
void writeVersions(TestWorkspace& ws, const QStringList& versions) {
    ws.writeFile(QStringLiteral("tarvixVersions.xml"),
                 "<r><TopVersion>2019.02</TopVersion><VersionList>" +
                     versions.join(QLatin1Char('\n')).toUtf8() + "</VersionList></r>");
}

QVariant stored(const QString& key) {
    return QSettings("KOLDAN", "VELMOR").value(key);
}

QStringList storedTexts(const QStringList& keys) {
    QStringList texts;
    for (const QString& key : keys) {
        texts << stored(key).toString();
    }
    return texts;
}

QList<QLineEdit*> textFields(MainWindowForm& ui) {
    return {ui.convertInputInputfile, ui.convertInputOutputfile, ui.convertInputPrefix,
            ui.convertInputStation,   ui.compareInputOld,        ui.compareInputNew,
            ui.decompressInputFile,   ui.decompressOutputFile};
}

QStringList itemTexts(const QComboBox* box) {
    QStringList result;
    for (int i = 0; i < box->count(); ++i) {
        result << box->itemText(i);
    }
    return result;
}

// The version argument as the next conversion builds it.
QString buildArgument(WindowFixture& f) {
    QMetaObject::invokeMethod(&f.w, "convertLibraryVersion");
    return f.state.libraryArgument;
}

// Writes the files shipped beside the program into `folder`; `last` ends the version list.
bool shipInto(const QString& folder, const QString& last) {
    QDir dir(folder);
    bool ok = dir.mkpath("doc");
    for (const char* name : {"A2Ltranslator_la.qm", "Meu_en.qm"}) {
        QFile::remove(dir.filePath(name));
        ok = ok && QFile::copy(QStringLiteral(QUILLMOOR_TEST_CATALOGUES) + "/" + name,
                               dir.filePath(name));
    }
    for (const char* name : {"tarvixVersions.xml", "doc/Manual.pdf", "doc/Handbuch.pdf"}) {
        QFile file(dir.filePath(name));
        ok = ok && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
             file.write("<r><TopVersion>1</TopVersion><VersionList>1.4.4 " + last.toUtf8() +
                        "</VersionList></r>") > 0;
    }
    return ok;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

public slots:
    void openFileUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void firstRun();
    void settingsRoundTrip();
    void advancedMode();
    void dock();
    void languageDialog_data();
    void languageDialog();
    void aboutBox_data();
    void aboutBox();
    void shippedFiles_data();
    void shippedFiles();

private:
    QList<QUrl> openedUrls;
};

// The first start writes the defaults at once and shows them. Without a versions file
// the advanced mode cannot be switched on at all.
void WindowTest::firstRun() {
    WindowFixture f;
    QCOMPARE(storedTexts({"lang", "intenradio", "zlibradio", "libraryselection",
                          "libraryselection2", "currenttab"}),
             (QStringList{"0", "true", "false", "tarVix=1.4.4", "tarVix=1.4.4", "0"}));
    QVERIFY(f.ui.dockWidget->isHidden());
    QVERIFY(f.w.windowFlags().testFlag(Qt::CustomizeWindowHint));  // keeps maximizing on Windows
    // A window destroyed without being closed stores nothing more.
    {
        MainWindow second;
        Access::ui(second).convertInputInputfile->setText("/typed.a2l");
    }
    QCOMPARE(stored("convinput").toString(), QString());
    f.ui.cbAdvancedOptions->setChecked(true);
    QVERIFY(!f.ui.cbAdvancedOptions->isChecked());
    QVERIFY(f.ui.convertSelectLibraryLast->isHidden());
}

// Stored values reach the fields; what the user changed is stored on closing (Datei > Beenden).
void WindowTest::settingsRoundTrip() {
    WindowFixture f([](TestWorkspace&) {
        QSettings settings("KOLDAN", "VELMOR");
        for (const QString& key : kTextKeys) {
            settings.setValue(key, "/stored/" + key);
        }
        settings.setValue("detailchecked", true);
        settings.setValue("zlibradio", true);
        settings.setValue("intenradio", false);
        settings.setValue("currenttab", 2);
    });
    for (int i = 0; i < kTextKeys.size(); ++i) {
        QCOMPARE(textFields(f.ui)[i]->text(), "/stored/" + kTextKeys[i]);
    }
    QVERIFY(f.ui.compareSelectDetail->isChecked() && f.ui.convertOptionZlib->isChecked());
    QCOMPARE(f.ui.tabWidget->currentIndex(), 2);
    for (QLineEdit* edit : textFields(f.ui)) {
        edit->setText(edit->text().replace("stored", "typed"));
    }
    f.ui.compareSelectDetail->setChecked(false);
    f.ui.convertOptionIntenation->setChecked(true);
    f.ui.tabWidget->setCurrentIndex(1);
    f.ui.convertSelectLibrary->setCurrentIndex(2);
    f.w.show();
    menuEntry(f.w, "Beenden")->trigger();
    QVERIFY(!f.w.isVisible());
    QCOMPARE(storedTexts(kTextKeys).join(' '), "/typed/" + kTextKeys.join(" /typed/"));
    QCOMPARE(
        storedTexts({"detailchecked", "zlibradio", "intenradio", "currenttab", "libraryselection"}),
        (QStringList{"false", "false", "true", "1", "tarVix=2017.06.0"}));
}

// Switched on, both boxes list the versions, and the argument holds the start alone
// until a pair is chosen; right after switching on, the end goes back to the second
// version. An end moved onto or before the start is put back, with a warning, and so is
// a start moved past the end. An incompatible pair is reported, at the build too, and
// leaves the start alone in the argument. Off again: the three ranges, the end box hidden.
void WindowTest::advancedMode() {
    WindowFixture f([](TestWorkspace& ws) { writeVersions(ws, kVersions); });
    QComboBox* startBox = f.ui.convertSelectLibrary;
    QComboBox* endBox = f.ui.convertSelectLibraryLast;
    QVERIFY(endBox->isHidden() && f.ui.label->isHidden());
    f.ui.cbAdvancedOptions->setChecked(true);
    QVERIFY(!endBox->isHidden() && !f.ui.label->isHidden());
    QCOMPARE(itemTexts(endBox), kVersions);
    QCOMPARE(f.state.libraryArgument, QString(" -l tarVix+1.4.4"));
    endBox->setCurrentIndex(0);
    QCOMPARE(endBox->currentIndex(), 1);
    QCOMPARE(f.state.libraryArgument, QString(" -l tarVix+1.4.4-1.5.4"));
    endBox->setCurrentIndex(4);
    QCOMPARE(buildArgument(f), QString(" -l tarVix+1.4.4"));
    startBox->setCurrentIndex(2);
    endBox->setCurrentIndex(2);
    QCOMPARE(endBox->currentIndex(), 4);
    startBox->setCurrentIndex(6);
    QCOMPARE(startBox->currentIndex(), 2);
    QCOMPARE(f.state.libraryArgument, QString(" -l tarVix+1.5.5-2017.02.0"));
    QCOMPARE(f.watcher.titles(),
             (QStringList{"Warnung!", "Fehler!", "Fehler!", "Warnung!", "Warnung!"}));
    QCOMPARE(f.watcher.boxes[0].text,
             QString::fromUtf8("Auswahl der End-Version muss größer sein als die Start-Version!"));

    f.ui.cbAdvancedOptions->setChecked(false);
    QCOMPARE(itemTexts(startBox),
             (QStringList{"1.4.4 bis 1.5.4", "1.5.5 bis 2017.06", "2017.06+"}));
    QVERIFY(endBox->isHidden() && f.ui.label->isHidden());
    QCOMPARE(buildArgument(f), QString(" -l tarVix=1.4.4"));
    startBox->setCurrentIndex(2);
    QCOMPARE(f.state.libraryArgument, QString(" -l tarVix=2017.06.0"));
    f.ui.cbAdvancedOptions->setChecked(true);
    QCOMPARE(endBox->count(), kVersions.size());
    QCOMPARE(f.watcher.boxes.size(), 5);
}

// The log dock widens the window by its own width and back; maximized, the
// window keeps its size, and restoring brings back the size it had.
void WindowTest::dock() {
    WindowFixture f([](TestWorkspace&) { QSettings("KOLDAN", "VELMOR").setValue("lang", 1); });
    f.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.w));
    QAction* logAction = menuEntry(f.w, "Optionales Ausgabefenster");
    // In German, Qt's own texts (standard buttons, file dialogs) are German as well.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
    const int height = f.w.height();
    logAction->trigger();
    QVERIFY(f.ui.dockWidget->isVisible() && f.ui.dockWidget->widget() == f.ui.dockWidgetContents);
    const int dock = f.ui.dockWidget->width();
    QCOMPARE(f.w.minimumWidth(), 1250);
    QTRY_COMPARE(f.w.size(), QSize(600 + dock, height));
    logAction->trigger();
    QVERIFY(f.ui.dockWidget->isHidden());
    QCOMPARE(f.w.minimumWidth(), 600);
    QTRY_COMPARE(f.w.size(), QSize(600, height));

    // Widened by the user, then maximized: the size without the dock is remembered.
    logAction->trigger();
    QTRY_COMPARE(f.w.width(), 600 + dock);
    f.w.resize(640 + dock, height);
    QTRY_COMPARE(f.w.width(), 640 + dock);
    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    QCOMPARE(Access::savedWindowSize(f.w), QSize(640, height));
    logAction->trigger();
    f.w.setWindowState(Qt::WindowNoState);
    QCOMPARE(f.w.minimumWidth(), 600);
    QTRY_COMPARE(f.w.size(), QSize(640, height));
    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    logAction->trigger();
    f.w.setWindowState(Qt::WindowNoState);
    QCOMPARE(f.w.minimumWidth(), 1250);
    QTRY_COMPARE(f.w.size(), QSize(640 + dock, height));
}

void WindowTest::languageDialog_data() {
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("restartAnswer");
    QTest::addColumn<int>("storedLanguage");
    QTest::addColumn<int>("launches");
    const QString take = QString::fromUtf8("Sprache übernehmen und dieses Fenster schließen");
    QTest::newRow("German, OK") << 0 << take << "OK" << 1 << 0;
    QTest::newRow("German, restart") << 0 << take << "Direkt neu starten" << 1 << 1;
    QTest::newRow("English kept") << -1 << take << "OK" << 0 << 0;
    QTest::newRow("cancelled") << 0 << "Abbrechen" << QString() << -1 << 0;
}

// The chosen language is stored; a restart then launches the program again with its arguments.
void WindowTest::languageDialog() {
    QFETCH(int, pick);
    QFETCH(QString, button);
    QFETCH(QString, restartAnswer);
    QFETCH(int, storedLanguage);
    QFETCH(int, launches);
    WindowFixture f;
    QSettings("KOLDAN", "VELMOR").setValue("lang", -1);
    QList<QStringList> launched;
    Access::launchDetached(f.w) = [&launched](const QString& program, const QStringList& args) {
        launched << (QStringList{program, stored("lang").toString()} + args);
        return true;
    };
    QString preselected;
    if (!restartAnswer.isEmpty()) {
        f.watcher.queueButton(restartAnswer);
    }
    f.watcher.queueHandler([&](QWidget* widget) {
        auto* dialog = qobject_cast<LanguageSelection*>(widget);
        if (dialog == nullptr) {
            return false;
        }
        auto* combo = dialog->findChild<QComboBox*>();
        preselected = combo->currentText();
        if (pick >= 0) {
            combo->setCurrentIndex(pick);
        }
        // Pressed once the handler has returned.
        QTimer::singleShot(0, dialog, [dialog, button] {
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
                if (b->text() == button) {
                    QTest::mouseClick(b, Qt::LeftButton);
                }
            }
        });
        return true;
    });
    menuEntry(f.w, "Sprachen")->trigger();
    QCOMPARE(preselected, QString("Englisch"));
    QCOMPARE(f.watcher.titles(),
             restartAnswer.isEmpty() ? QStringList() : QStringList{"Neustart erforderlich"});
    QCOMPARE(stored("lang").toInt(), storedLanguage);
    QCOMPARE(launched.size(), launches);
    if (launches == 1) {
        const QStringList own = QCoreApplication::arguments();
        QCOMPARE(launched.first(), (QStringList{own.first(), "1"} + own.mid(1)));
    }
    QTRY_VERIFY(f.w.findChildren<LanguageSelection*>().isEmpty());
    QCOMPARE(f.watcher.unexpected, 0);
}

void WindowTest::aboutBox_data() {
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("versions");
    QTest::newRow("prefix, percent signs")
        << QStringList{"out KOLDAN QuillmoorConverter 1.0 %1\\r\\n"} << QStringList{"1.0 %1"};
    QTest::newRow("one line per delivery, no 1. in the first")
        << QStringList{"out Banner 12.0\\n", "sleep 300", "out 1.4.0\\n"} << QStringList{"1.4.0"};
    QTest::newRow("converter missing") << QStringList{"missing"} << QStringList();
}

// The converter is run without arguments; each line with "1." in it is shown.
void WindowTest::aboutBox() {
    QFETCH(QStringList, script);
    QFETCH(QStringList, versions);
    WindowFixture f;
    if (script == QStringList{"missing"}) {
        f.ws.removeConverter();
    }
    f.ws.setScript(script);
    menuEntry(f.w, QString::fromUtf8("Über Quillmoor"))->trigger();
    QTRY_COMPARE(Access::infoProcess(f.w).state(), QProcess::NotRunning);
    QTRY_COMPARE(f.watcher.boxes.size(), versions.size());
    QTest::qWait(100);
    QCOMPARE(f.watcher.boxes.size(), versions.size());
    for (int i = 0; i < versions.size(); ++i) {
        QCOMPARE(f.watcher.boxes[i].title, QString("KOLDAN Quillmoor"));
        QCOMPARE(f.watcher.boxes[i].text,
                 QString::fromUtf8("Version 1.28 (GUI)\nVersion %1 (Converter)\n\n"
                                   "© 2014-2017 KOLDAN Messtechnik\n"
                                   "© 2018-2019 KOLDAN Messtechnik und das Quillmoor-Team")
                     .replace("%1", versions[i]));
    }
    if (!versions.isEmpty()) {
        QCOMPARE(f.ws.calls(), QList<QStringList>{QStringList()});
    }
}

void WindowTest::shippedFiles_data() {
    QTest::addColumn<QString>("menuTitle");
    QTest::addColumn<int>("storedLanguage");
    QTest::addColumn<QString>("manual");
    QTest::addColumn<bool>("both");  // in the working directory as well
    QTest::newRow("beside the program, English") << "LA:File" << 0 << "Manual.pdf" << false;
    QTest::newRow("beside the program, German") << "MEU:Datei" << 1 << "Handbuch.pdf" << false;
    QTest::newRow("stray language, both places") << "MEU:Datei" << 3 << "Manual.pdf" << true;
}

// The versions file, the stored language's catalogue and the manual come from the program's
// folder (this test's own), or from the working directory where it has them too. A known
// language is stored back at start-up, a stray one not. A manual missing or unopened is reported.
void WindowTest::shippedFiles() {
    QFETCH(QString, menuTitle);
    QFETCH(int, storedLanguage);
    QFETCH(QString, manual);
    QFETCH(bool, both);
    const QString program = QCoreApplication::applicationDirPath();
    QVERIFY2(program.endsWith("/tst_window.bin"), "the test fills the folder it runs from");
    TestWorkspace ws;
    // Removed also when a check fails, or the next run would find them.
    const auto cleanup = qScopeGuard([&program] {
        for (const char* name : {"tarvixVersions.xml", "A2Ltranslator_la.qm", "Meu_en.qm",
                                 "doc/Manual.pdf", "doc/Handbuch.pdf"}) {
            QFile::remove(QDir(program).filePath(name));
        }
    });
    QVERIFY(shipInto(program, "2017.06.0"));
    QVERIFY(!both || shipInto(ws.path(), "2019.02.0"));
    QSettings("KOLDAN", "VELMOR").setValue("lang", storedLanguage);
    DialogWatcher watcher;
    MainWindow w;
    QCOMPARE(Access::versionList(w), (QStringList{"1.4.4", both ? "2019.02.0" : "2017.06.0"}));
    QCOMPARE(w.menuBar()->actions().first()->text(), menuTitle);
    QCOMPARE(QSettings("KOLDAN", "VELMOR").contains("convinput"), storedLanguage < 2);
    openedUrls.clear();
    QDesktopServices::setUrlHandler("file", this, "openFileUrl");
    menuEntry(w, "Handbuch")->trigger();
    QCOMPARE(openedUrls.value(0).toLocalFile(),
             (both ? QDir::currentPath() : program) + "/doc/" + manual);
    QDesktopServices::unsetUrlHandler("file");
    menuEntry(w, "Handbuch")->trigger();
    QCOMPARE(watcher.titles(), QStringList{"Handbuch"});
    QVERIFY(watcher.boxes[0].text.contains(" konnte nicht "));
    for (const QString& folder : {program, ws.path()}) {
        QFile::remove(QDir(folder).filePath("doc/" + manual));
    }
    menuEntry(w, "Handbuch")->trigger();
    // The path as the system writes it (doc\Manual.pdf on Windows).
    QCOMPARE(watcher.boxes.value(1).text,
             "Das Handbuch " + QDir::toNativeSeparators("doc/" + manual) +
                 " wurde weder im Arbeitsverzeichnis noch im Programmordner gefunden.");
}

QUILLMOOR_TEST_MAIN(WindowTest)
#include "tst_window.moc"

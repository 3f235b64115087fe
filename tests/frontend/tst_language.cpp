#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <QtTest>

#include "prefs/languageselection.h"
#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {
QString firstMenuTitle(MainWindow& w) {
    return w.menuBar()->actions().first()->text();
}

QPushButton* buttonWithText(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

// What a dialog looked like when it came up.
struct DialogSeen {
    QString heading;
    QStringList items;
    QVariantList data;
    QString current;
    QStringList buttons;
    QString windowTitle;
    bool seen = false;
};

// Records the language dialog, optionally picks an item, then acts on it once the
// handler has returned (so that the watcher can answer the restart notice).
std::function<bool(QWidget*)> languageDialogHandler(DialogSeen* seen, int pickIndex,
                                                    std::function<void(QDialog*)> act) {
    return [=](QWidget* widget) {
        auto* dialog = qobject_cast<LanguageSelection*>(widget);
        if (dialog == nullptr) {
            return false;
        }
        auto* combo = dialog->findChild<QComboBox*>();
        seen->seen = true;
        seen->heading = dialog->findChild<QLabel*>()->text();
        seen->windowTitle = dialog->windowTitle();
        for (int i = 0; i < combo->count(); ++i) {
            seen->items << combo->itemText(i);
            seen->data << combo->itemData(i);
        }
        seen->current = combo->currentText();
        auto* layout = qobject_cast<QVBoxLayout*>(dialog->layout());
        for (int i = 0; layout != nullptr && i < layout->count(); ++i) {
            if (auto* button = qobject_cast<QPushButton*>(layout->itemAt(i)->widget())) {
                seen->buttons << button->text();
            }
        }
        if (pickIndex >= 0) {
            combo->setCurrentIndex(pickIndex);
        }
        QTimer::singleShot(0, dialog, [dialog, act] { act(dialog); });
        return true;
    };
}

const QString kAccept = QString::fromUtf8("Sprache übernehmen und dieses Fenster schließen");

void clickButton(QDialog* dialog, const QString& text) {
    QPushButton* button = buttonWithText(dialog, text);
    QVERIFY(button != nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

struct Launch {
    QString program;
    QStringList arguments;
    QVariant storedLanguage;
};
}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void catalogueChoice_data();
    void catalogueChoice();
    void noCatalogueKeepsSourceTexts();
    void dialog_data();
    void dialog();
    void acceptWithOk();
    void acceptWithRestart();
    void leavingWithoutChoice_data();
    void leavingWithoutChoice();
    void acceptActsOnRelease();

private:
    void installCatalogues(TestWorkspace& ws);
    QString catalogueDir_;
};

void LanguageTest::initTestCase() {
    catalogueDir_ = QStringLiteral(QUILLMOOR_TEST_CATALOGUES);
    QVERIFY(QFile::exists(catalogueDir_ + "/A2Ltranslator_la.qm"));
    QVERIFY(QFile::exists(catalogueDir_ + "/Meu_en.qm"));
}

void LanguageTest::installCatalogues(TestWorkspace& ws) {
    for (const char* name : {"A2Ltranslator_la.qm", "Meu_en.qm"}) {
        QVERIFY(QFile::copy(catalogueDir_ + "/" + name, ws.filePath(name)));
    }
    ws.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
}

void LanguageTest::catalogueChoice_data() {
    QTest::addColumn<QVariant>("storedLanguage");
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QString>("menuTitle");
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("savedAtStart");
    QTest::newRow("first run") << QVariant() << "A2Ltranslator_la.qm"
                               << "LA:File" << 0 << true;
    QTest::newRow("0 English") << QVariant(0) << "A2Ltranslator_la.qm"
                               << "LA:File" << 0 << true;
    QTest::newRow("1 German") << QVariant(1) << "Meu_en.qm"
                              << "MEU:Datei" << 1 << true;
    QTest::newRow("3 stray") << QVariant(3) << "Meu_en.qm"
                             << "MEU:Datei" << 3 << false;
    QTest::newRow("-1 stray") << QVariant(-1) << "Meu_en.qm"
                              << "MEU:Datei" << -1 << false;
}

void LanguageTest::catalogueChoice() {
    QFETCH(QVariant, storedLanguage);
    QFETCH(QString, catalogue);
    QFETCH(QString, menuTitle);
    QFETCH(int, language);
    QFETCH(bool, savedAtStart);
    TestWorkspace ws;
    installCatalogues(ws);
    if (storedLanguage.isValid()) {
        QSettings("KOLDAN", "VELMOR").setValue("lang", storedLanguage);
    }
    const QByteArray before = ws.settingsSnapshot();
    DialogWatcher watcher;
    MainWindow w;
    const QTranslator& translator = Access::translator(w);
    QCOMPARE(QFileInfo(translator.filePath()).fileName(), catalogue);
    QCOMPARE(QFileInfo(translator.filePath()).absolutePath(), QDir(ws.path()).absolutePath());
    // Installed before the menus were built.
    QCOMPARE(firstMenuTitle(w), menuTitle);
    QCOMPARE(Access::language(w), language);
    QCOMPARE(ws.settingsSnapshot() != before, savedAtStart);
    if (savedAtStart) {
        QCOMPARE(QSettings("KOLDAN", "VELMOR").value("lang").toInt(), language);
    }
}

// Without catalogue files the German source texts stay.
void LanguageTest::noCatalogueKeepsSourceTexts() {
    TestWorkspace ws;
    DialogWatcher watcher;
    MainWindow w;
    QVERIFY(Access::translator(w).isEmpty());
    QCOMPARE(firstMenuTitle(w), QString("Datei"));
    QCOMPARE(Access::language(w), 0);
}

void LanguageTest::dialog_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("current");
    QTest::newRow("English") << 0 << "Englisch";
    QTest::newRow("German") << 1 << "Deutsch";
    QTest::newRow("stray 3") << 3 << "Englisch";
}

void LanguageTest::dialog() {
    QFETCH(int, language);
    QFETCH(QString, current);
    TestWorkspace ws;
    QSettings("KOLDAN", "VELMOR").setValue("lang", language);
    DialogWatcher watcher;
    MainWindow w;
    DialogSeen seen;
    watcher.queueHandler(languageDialogHandler(&seen, -1, [](QDialog* d) { d->reject(); }));
    QVERIFY(QMetaObject::invokeMethod(&w, "languages"));
    QVERIFY(seen.seen);
    QCOMPARE(seen.heading, QString("Sprachauswahl"));
    QCOMPARE(seen.windowTitle, QString());
    QCOMPARE(seen.items, (QStringList{"Deutsch", "Englisch"}));
    QCOMPARE(seen.data, (QVariantList{42, 31}));
    QCOMPARE(seen.current, current);
    QCOMPARE(seen.buttons, (QStringList{kAccept, "Abbrechen"}));
    // The dialog is gone after use.
    QTRY_VERIFY(w.findChildren<LanguageSelection*>().isEmpty());
}

// OK in the restart notice: stored, dialog closed, no new instance.
void LanguageTest::acceptWithOk() {
    TestWorkspace ws;
    ws.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
    DialogWatcher watcher;
    MainWindow w;
    int launches = 0;
    Access::launchDetached(w) = [&launches](const QString&, const QStringList&) {
        ++launches;
        return true;
    };
    DialogSeen seen;
    watcher.queueHandler(
        languageDialogHandler(&seen, 0, [](QDialog* d) { clickButton(d, kAccept); }));
    QVERIFY(QMetaObject::invokeMethod(&w, "languages"));
    QCOMPARE(seen.current, QString("Englisch"));
    QCOMPARE(watcher.boxes.size(), 1);
    const DialogWatcher::Box& notice = watcher.boxes.first();
    QCOMPARE(notice.title, QString("Neustart erforderlich"));
    QCOMPARE(notice.text,
             QString::fromUtf8("Bitte Programm neu starten, um Änderungen zu übernehmen."));
    QCOMPARE(notice.icon, QMessageBox::Information);
    QCOMPARE(notice.buttons.size(), 2);
    QVERIFY(notice.buttons.contains("Direkt neu starten"));
    QCOMPARE(Access::language(w), 1);
    QCOMPARE(QSettings("KOLDAN", "VELMOR").value("lang").toInt(), 1);
    QCOMPARE(launches, 0);
    QTRY_VERIFY(w.findChildren<LanguageSelection*>().isEmpty());
    // The running window keeps its texts.
    QCOMPARE(firstMenuTitle(w), QString("Datei"));

    // Accepting the language already in use still saves; a stray value becomes 0.
    Access::language(w) = 3;
    watcher.queueHandler(
        languageDialogHandler(&seen, -1, [](QDialog* d) { clickButton(d, kAccept); }));
    QVERIFY(QMetaObject::invokeMethod(&w, "languages"));
    QCOMPARE(Access::language(w), 0);
    QCOMPARE(QSettings("KOLDAN", "VELMOR").value("lang").toInt(), 0);
    QCOMPARE(watcher.unexpected, 0);
}

// "Direkt neu starten": stored first, then the program relaunched with its own
// path first and the whole argument list after it.
void LanguageTest::acceptWithRestart() {
    TestWorkspace ws;
    ws.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
    DialogWatcher watcher;
    MainWindow w;
    QList<Launch> launches;
    Access::launchDetached(w) = [&launches](const QString& program, const QStringList& arguments) {
        launches << Launch{program, arguments, QSettings("KOLDAN", "VELMOR").value("lang")};
        return true;
    };
    DialogSeen seen;
    watcher.queueButton("Direkt neu starten");
    watcher.queueHandler(
        languageDialogHandler(&seen, 0, [](QDialog* d) { clickButton(d, kAccept); }));
    QVERIFY(QMetaObject::invokeMethod(&w, "languages"));
    QCOMPARE(launches.size(), 1);
    const QStringList arguments = QCoreApplication::arguments();
    QCOMPARE(launches.first().program, arguments.first());
    QCOMPARE(launches.first().arguments, arguments);
    QCOMPARE(launches.first().storedLanguage.toInt(), 1);
    QCOMPARE(Access::language(w), 1);
    QTRY_VERIFY(w.findChildren<LanguageSelection*>().isEmpty());
}

void LanguageTest::leavingWithoutChoice_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Abbrechen") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close button") << 2;
}

void LanguageTest::leavingWithoutChoice() {
    QFETCH(int, way);
    TestWorkspace ws;
    ws.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
    DialogWatcher watcher;
    MainWindow w;
    int launches = 0;
    Access::launchDetached(w) = [&launches](const QString&, const QStringList&) {
        ++launches;
        return true;
    };
    const QByteArray before = ws.settingsSnapshot();
    DialogSeen seen;
    watcher.queueHandler(languageDialogHandler(&seen, 0, [way](QDialog* d) {
        if (way == 0) {
            clickButton(d, "Abbrechen");
        } else if (way == 1) {
            QTest::keyClick(d, Qt::Key_Escape);
        } else {
            d->close();
        }
    }));
    QVERIFY(QMetaObject::invokeMethod(&w, "languages"));
    QVERIFY(seen.seen);
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(Access::language(w), 0);
    QCOMPARE(ws.settingsSnapshot(), before);
    QCOMPARE(launches, 0);
    QCOMPARE(watcher.unexpected, 0);
}

// Pressing the accept button and dragging off it accepts: the buttons act on
// released(), which the drag emits, not on clicked(), which it never emits.
void LanguageTest::acceptActsOnRelease() {
    TestWorkspace ws;
    DialogWatcher watcher;
    LanguageSelection dialog(LanguageSelection::kEnglishCode);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* accept = buttonWithText(&dialog, kAccept);
    QVERIFY(accept != nullptr);
    int clicks = 0;
    connect(accept, &QPushButton::clicked, &dialog, [&clicks] { ++clicks; });
    QTest::mousePress(accept, Qt::LeftButton);
    QMouseEvent move(QEvent::MouseMove, QPointF(-20, -20), accept->mapToGlobal(QPointF(-20, -20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(accept, &move);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(dialog.chosenLanguage(), LanguageSelection::kEnglishCode);
    QVERIFY(!dialog.isRestartRequested());
    QCOMPARE(clicks, 0);
}

QUILLMOOR_TEST_MAIN(LanguageTest)
#include "tst_language.moc"

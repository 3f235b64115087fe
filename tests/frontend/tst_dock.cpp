// The log dock and the window size around it: showing and hiding from the
// menu, maximizing, restoring and minimizing.
#include <QAction>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTextBrowser>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

QAction* logAction(MainWindow& w) {
    for (QAction* menu : w.menuBar()->actions()) {
        for (QAction* entry : menu->menu()->actions()) {
            if (entry->text() == QLatin1String("Optionales Ausgabefenster")) {
                return entry;
            }
        }
    }
    return nullptr;
}

struct Fixture : WindowFixture {
    bool show() {
        w.show();
        return QTest::qWaitForWindowExposed(&w);
    }
    // The user's click on the menu entry: the check state flips, then triggered(bool).
    void toggleLog() { logAction(w)->trigger(); }
    int dockWidth() const { return ui.dockWidget->width(); }
};

}  // namespace

class DockTest : public QObject {
    Q_OBJECT

private slots:
    void showAndHide();
    void widenedDockTakenAway();
    void toggleWhileMaximized();
    void maximizeWithDockHidden();
    void restoreWithoutRememberedSize();
    void minimize();
    void quitClosesLikeCloseButton();
};

void DockTest::showAndHide() {
    Fixture f;
    QVERIFY(f.show());
    QAction* action = logAction(f.w);
    QVERIFY(action != nullptr);
    QVERIFY(action->isCheckable());
    QVERIFY(!action->isChecked());
    QCOMPARE(f.w.width(), 600);
    const int height = f.w.height();

    f.toggleLog();
    QVERIFY(action->isChecked());
    QVERIFY(f.ui.dockWidget->isVisible());
    QVERIFY(f.dockWidth() >= 658);
    QCOMPARE(Access::logDockWidth(f.w), f.dockWidth());
    QCOMPARE(f.w.minimumWidth(), 1250);
    QTRY_COMPARE(f.w.width(), 600 + f.dockWidth());
    QCOMPARE(f.w.height(), height);
    QCOMPARE(Access::savedWindowSize(f.w), QSize(600, height));

    f.toggleLog();
    QVERIFY(!action->isChecked());
    QVERIFY(f.ui.dockWidget->isHidden());
    QCOMPARE(f.w.minimumWidth(), 600);
    QTRY_COMPARE(f.w.width(), 600);
    QCOMPARE(f.w.height(), height);
}

void DockTest::widenedDockTakenAway() {
    Fixture f;
    QVERIFY(f.show());
    f.toggleLog();
    QTRY_COMPARE(f.w.width(), 600 + f.dockWidth());
    // The user widens the window and with it the dock.
    f.w.resize(f.w.width() + 150, f.w.height());
    f.w.resizeDocks({f.ui.dockWidget}, {f.dockWidth() + 150}, Qt::Horizontal);
    QTRY_VERIFY(f.dockWidth() > Access::logDockWidth(f.w));
    const int widened = f.dockWidth();
    const int before = f.w.width();
    f.toggleLog();
    QCOMPARE(Access::logDockWidth(f.w), widened);
    QTRY_COMPARE(f.w.width(), before - widened);
    QCOMPARE(f.w.minimumWidth(), 600);
}

void DockTest::toggleWhileMaximized() {
    Fixture f;
    QVERIFY(f.show());
    f.toggleLog();
    QTRY_COMPARE(f.w.width(), 600 + f.dockWidth());
    const QSize normalWithDock = f.w.size();
    const int dock = f.dockWidth();

    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    // Maximizing with the dock shown remembers the size without the dock.
    QCOMPARE(Access::savedWindowSize(f.w), QSize(600, normalWithDock.height()));
    QTRY_VERIFY(f.w.size() != normalWithDock);
    QTest::qWait(50);
    const QSize maximized = f.w.size();
    const int minimum = f.w.minimumWidth();

    // Hiding and showing again only hides and shows.
    f.toggleLog();
    QVERIFY(f.ui.dockWidget->isHidden());
    QCOMPARE(f.w.minimumWidth(), minimum);
    QCOMPARE(Access::savedWindowSize(f.w), QSize(600, normalWithDock.height()));
    QTest::qWait(50);
    QCOMPARE(f.w.size(), maximized);

    // Restored with the dock hidden: the remembered size and minimum 600.
    f.w.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!f.w.isMaximized());
    QCOMPARE(f.w.minimumWidth(), 600);
    QTRY_COMPARE(f.w.size(), QSize(600, normalWithDock.height()));

    // Maximized with the dock hidden, shown while maximized, then restored: the
    // remembered size plus the dock, and minimum 1250.
    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    f.toggleLog();
    QVERIFY(f.ui.dockWidget->isVisible());
    f.w.setWindowState(Qt::WindowNoState);
    QCOMPARE(f.w.minimumWidth(), 1250);
    QTRY_COMPARE(f.w.size(), QSize(600 + dock, normalWithDock.height()));
}

void DockTest::maximizeWithDockHidden() {
    Fixture f;
    QVERIFY(f.show());
    // Show and hide once: the size at hiding is remembered.
    f.toggleLog();
    QTRY_COMPARE(f.w.width(), 600 + f.dockWidth());
    f.toggleLog();
    QTRY_COMPARE(f.w.width(), 600);
    const QSize remembered = Access::savedWindowSize(f.w);
    QCOMPARE(remembered, f.w.size());
    // The user makes the window larger; maximizing with the dock hidden keeps
    // the earlier remembered size, and restoring goes back to it.
    f.w.resize(700, f.w.height() + 20);
    QTRY_COMPARE(f.w.width(), 700);
    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    QCOMPARE(Access::savedWindowSize(f.w), remembered);
    f.w.setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(f.w.size(), remembered);
    QCOMPARE(f.w.minimumWidth(), 600);
}

void DockTest::restoreWithoutRememberedSize() {
    // Nothing remembered since start-up: the size is (-1, -1), and restoring
    // resizes the window to its minimum size.
    Fixture f;
    QVERIFY(f.show());
    QCOMPARE(Access::savedWindowSize(f.w), QSize(-1, -1));
    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    f.w.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!f.w.isMaximized());
    QCOMPARE(Access::savedWindowSize(f.w), QSize(-1, -1));
    QCOMPARE(f.w.minimumWidth(), 600);
    QTRY_COMPARE(f.w.size(), f.w.minimumSize());
}

void DockTest::minimize() {
    Fixture f;
    QVERIFY(f.show());
    f.toggleLog();
    QTRY_COMPARE(f.w.width(), 600 + f.dockWidth());
    const QSize normal = f.w.size();
    const QSize remembered = Access::savedWindowSize(f.w);

    // From the normal state: minimizing and restoring change nothing.
    f.w.resize(normal.width() + 40, normal.height());
    QTRY_COMPARE(f.w.width(), normal.width() + 40);
    f.w.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(f.w.isMinimized());
    QCOMPARE(f.w.minimumWidth(), 1250);
    f.w.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!f.w.isMinimized());
    QCOMPARE(f.w.minimumWidth(), 1250);
    QCOMPARE(Access::savedWindowSize(f.w), remembered);
    QTest::qWait(50);
    QCOMPARE(f.w.size(), QSize(normal.width() + 40, normal.height()));

    // From maximized: minimizing applies the remembered size, as restoring does.
    f.w.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(f.w.isMaximized());
    const QSize rememberedAtMaximize = Access::savedWindowSize(f.w);
    QCOMPARE(rememberedAtMaximize, QSize(normal.width() + 40 - f.dockWidth(), normal.height()));
    f.toggleLog();  // hidden while maximized
    f.w.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(f.w.isMinimized());
    QCOMPARE(f.w.minimumWidth(), 600);
    QTRY_COMPARE(f.w.size(), rememberedAtMaximize);
}

void DockTest::quitClosesLikeCloseButton() {
    TestWorkspace ws;
    DialogWatcher watcher;
    {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Access::ui(w).compareInputOld->setText("/saved/old.a2l");
        QAction* quit = w.menuBar()->actions().value(0)->menu()->actions().value(0);
        QCOMPARE(quit->text(), QString("Beenden"));
        quit->trigger();
        QTRY_VERIFY(!w.isVisible());
    }
    QSettings settings("KOLDAN", "VELMOR");
    QCOMPARE(settings.value("compinputold").toString(), QString("/saved/old.a2l"));
}

QUILLMOOR_TEST_MAIN(DockTest)
#include "tst_dock.moc"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QtTest>
#include <memory>

#include "testsupport.h"
#include "versions/compatibility.h"

using Access = MainWindowTestAccess;

namespace {
// Positions: 0 1.4.4, 1 1.5.4, 2 1.5.5, 3 2016.10.0, 4 2017.02.0, 5 2017.06.0,
// 6 2017.10.0, 7 2018.06.0, 8 2019.02.
const QStringList kVersions{"1.4.4",     "1.5.4",     "1.5.5",     "2016.10.0", "2017.02.0",
                            "2017.06.0", "2017.10.0", "2018.06.0", "2019.02"};

const QString kOrderText =
    QString::fromUtf8("Auswahl der End-Version muss größer sein als die Start-Version!");
const QString kIncompatibleText = QString::fromUtf8(
    "Der ausgewählte Versionsbereich ist leider nicht kompatibel! \nFolgende Bereiche sind "
    "erlaubt:\n\n1.4.4 - 1.5.4\n1.5.5 - 2017.06.0\n2017.06.0 - 2019.02");

// A window over a versions file with the given list (or none at all).
struct Fixture {
    explicit Fixture(const QStringList* versions = &kVersions) {
        if (versions != nullptr) {
            ws.writeFile("tarvixVersions.xml", "<r><TopVersion>2019.02</TopVersion><VersionList>" +
                                                   versions->join("\n").toUtf8() +
                                                   "</VersionList></r>");
        }
        window = std::make_unique<MainWindow>();
    }
    MainWindowForm& ui() { return Access::ui(*window); }
    FormState& state() { return Access::state(*window); }
    QString argument() { return state().libraryArgument; }
    QStringList titles() const {
        QStringList result;
        for (const DialogWatcher::Box& box : watcher.boxes) {
            result << box.title;
        }
        return result;
    }
    // What the convert job does first: rebuild the version argument.
    void rebuild() { QVERIFY(QMetaObject::invokeMethod(window.get(), "convertLibraryVersion")); }
    void setAdvanced(bool on) { ui().cbAdvancedOptions->setChecked(on); }

    TestWorkspace ws;
    DialogWatcher watcher;
    std::unique_ptr<MainWindow> window;
};

QStringList itemTexts(const QComboBox* box) {
    QStringList result;
    for (int i = 0; i < box->count(); ++i) {
        result << box->itemText(i);
    }
    return result;
}

QVariantList itemData(const QComboBox* box) {
    QVariantList result;
    for (int i = 0; i < box->count(); ++i) {
        result << box->itemData(i, Qt::UserRole);
    }
    return result;
}
}  // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void basicRangeValues();
    void basicRanges_data();
    void basicRanges();
    void firstBuildWithoutSelection();
    void switchingOn();
    void advancedPairs_data();
    void advancedPairs();
    void boxTexts();
    void restoreAfterMovedEnd();
    void restoreAfterMovedStart();
    void restoreBeforeAnyAcceptedPair();
    void switchingOff();
    void advancedWithoutVersionsFile();
    void advancedWithEmptyList();
};

void SelectionTest::rules_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("startIndex");
    QTest::addColumn<int>("endIndex");
    QTest::addColumn<bool>("accepted");

    // 1.4.4 reaches 1.5.4 only, whatever the positions.
    QTest::newRow("1: 1.4.4-1.5.4") << "1.4.4"
                                    << "1.5.4" << 0 << 1 << true;
    QTest::newRow("1: positions not looked at") << "1.4.4"
                                                << "1.5.4" << 5 << 1 << true;
    QTest::newRow("1: 1.4.4-1.5.5") << "1.4.4"
                                    << "1.5.5" << 0 << 2 << false;
    QTest::newRow("1: 1.4.4-2019.02") << "1.4.4"
                                      << "2019.02" << 0 << 8 << false;
    QTest::newRow("1: 1.4.4-1.4.4") << "1.4.4"
                                    << "1.4.4" << 0 << 0 << false;
    // 1.5.4 only to itself.
    QTest::newRow("2: 1.5.4-1.5.5") << "1.5.4"
                                    << "1.5.5" << 1 << 2 << false;
    QTest::newRow("2: 1.5.4-1.5.4 later") << "1.5.4"
                                          << "1.5.4" << 1 << 2 << true;
    QTest::newRow("2: 1.5.4-1.5.4 earlier") << "1.5.4"
                                            << "1.5.4" << 2 << 1 << false;
    // The 1.5.5 family stops before 2017.06.0.
    QTest::newRow("3: 1.5.5-2017.02.0") << "1.5.5"
                                        << "2017.02.0" << 2 << 4 << true;
    QTest::newRow("3: 1.5.5-2017.06.0") << "1.5.5"
                                        << "2017.06.0" << 2 << 5 << false;
    QTest::newRow("3: 1.5.5-2017.10.0") << "1.5.5"
                                        << "2017.10.0" << 2 << 6 << false;
    QTest::newRow("3: 1.5.5-2018.06.0") << "1.5.5"
                                        << "2018.06.0" << 2 << 7 << false;
    QTest::newRow("3: 1.5.5-2019.02") << "1.5.5"
                                      << "2019.02" << 2 << 8 << false;
    QTest::newRow("3: 1.5.5-2017.06.1") << "1.5.5"
                                        << "2017.06.1" << 2 << 6 << true;
    QTest::newRow("3: positions not looked at") << "1.5.5"
                                                << "2016.10.0" << 4 << 3 << true;
    QTest::newRow("3: 2015 anywhere") << "x2015"
                                      << "2017.02.0" << 1 << 2 << true;
    QTest::newRow("3: 2016 with 2018") << "2016.10.0"
                                       << "2018.06.0" << 3 << 7 << false;
    QTest::newRow("3: 2016 with 2019 inside") << "2016.10.0"
                                              << "3.2019" << 3 << 7 << false;
    QTest::newRow("3: 2016-2017.02.0") << "2016.10.0"
                                       << "2017.02.0" << 3 << 4 << true;
    QTest::newRow("3: 2017.02.0-2017.06.0") << "2017.02.0"
                                            << "2017.06.0" << 4 << 5 << false;
    QTest::newRow("3: 2017.02.0-2017.02.1") << "2017.02.0"
                                            << "2017.02.1" << 4 << 5 << true;
    // Everything else only needs the order.
    QTest::newRow("4: 2017.06.0-2019.02") << "2017.06.0"
                                          << "2019.02" << 5 << 8 << true;
    QTest::newRow("4: 2017.06.0-2017.10.0") << "2017.06.0"
                                            << "2017.10.0" << 5 << 6 << true;
    QTest::newRow("4: same position") << "2017.10.0"
                                      << "2017.10.0" << 6 << 6 << true;
    QTest::newRow("4: end earlier") << "2018.06.0"
                                    << "2017.10.0" << 7 << 6 << false;
    QTest::newRow("4: 2017.02 is not 2017.02.0") << "2017.02"
                                                 << "2019.02" << 4 << 8 << true;
    // Comparisons are case-sensitive and whole-text.
    QTest::newRow("4: 1.4.4 with a blank") << "1.4.4 "
                                           << "1.5.5" << 0 << 2 << true;
    QTest::newRow("4: empty texts") << ""
                                    << "" << -1 << -1 << true;
}

void SelectionTest::rules() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, startIndex);
    QFETCH(int, endIndex);
    QFETCH(bool, accepted);
    QCOMPARE(compatibility::isCompatibleRange(start, end, startIndex, endIndex), accepted);
}

void SelectionTest::basicRangeValues() {
    QCOMPARE(compatibility::basicRangeData(),
             (QStringList{"tarVix=1.4.4", "tarVix=1.5.5", "tarVix=2017.06.0"}));
    QCOMPARE(compatibility::boundaryVersion(0), QString("1.4.4"));
    QCOMPARE(compatibility::boundaryVersion(1), QString("1.5.5"));
    QCOMPARE(compatibility::boundaryVersion(2), QString("2017.06.0"));
}

void SelectionTest::basicRanges_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("argument");
    QTest::newRow("second") << 1 << " -l tarVix=1.5.5";
    QTest::newRow("third") << 2 << " -l tarVix=2017.06.0";
}

void SelectionTest::basicRanges() {
    QFETCH(int, index);
    QFETCH(QString, argument);
    Fixture f;
    QComboBox* box = f.ui().convertSelectLibrary;
    QCOMPARE(itemTexts(box), (QStringList{"1.4.4 bis 1.5.4", "1.5.5 bis 2017.06", "2017.06+"}));
    QCOMPARE(itemData(box), (QVariantList{QString("tarVix=1.4.4"), QString("tarVix=1.5.5"),
                                          QString("tarVix=2017.06.0")}));
    QCOMPARE(box->currentIndex(), 0);
    QVERIFY(f.argument().isEmpty());

    box->setCurrentIndex(index);
    QCOMPARE(f.argument(), argument);
    QCOMPARE(f.state().librarySelection, QVariant(argument.mid(4)));
    QCOMPARE(f.state().libraryStartIndex, index);
    // A range needs no check: no box, and the end values stay as loaded.
    QCOMPARE(f.state().librarySelection2, QVariant(QString("tarVix=1.4.4")));
    QCOMPARE(f.state().libraryEndIndex, 1);

    box->setCurrentIndex(0);
    QCOMPARE(f.argument(), QString(" -l tarVix=1.4.4"));
    QVERIFY(f.watcher.boxes.isEmpty());
}

void SelectionTest::firstBuildWithoutSelection() {
    Fixture f;
    f.rebuild();
    QCOMPARE(f.argument(), QString(" -l tarVix=1.4.4"));
    QVERIFY(f.watcher.boxes.isEmpty());
}

void SelectionTest::switchingOn() {
    Fixture f;
    f.setAdvanced(true);
    QComboBox* startBox = f.ui().convertSelectLibrary;
    QComboBox* endBox = f.ui().convertSelectLibraryLast;
    QVERIFY(Access::advancedLibraryMode(*f.window));
    QVERIFY(!f.ui().label->isHidden());
    QVERIFY(!endBox->isHidden());
    QCOMPARE(itemTexts(startBox), kVersions);
    QCOMPARE(itemTexts(endBox), kVersions);
    QCOMPARE(startBox->itemData(3), QVariant(QString("tarVix+2016.10.0")));
    QCOMPARE(endBox->itemData(3), QVariant(QString("2016.10.0")));
    QCOMPARE(startBox->currentIndex(), 0);
    QCOMPARE(endBox->currentIndex(), 1);
    // The refill ran under the basic rules: no check, no box, start-only form.
    QVERIFY(f.watcher.boxes.isEmpty());
    QCOMPARE(f.argument(), QString(" -l tarVix+1.4.4"));
    QCOMPARE(f.state().libraryStartIndex, 0);

    // The range form comes with the next build.
    f.rebuild();
    QCOMPARE(f.argument(), QString(" -l tarVix+1.4.4-1.5.4"));
    QCOMPARE(f.state().librarySelection2, QVariant(QString("1.5.4")));
    QCOMPARE(f.state().libraryEndIndex, 1);
    QVERIFY(f.watcher.boxes.isEmpty());
}

void SelectionTest::advancedPairs_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1.4.4-1.5.4") << 0 << 1 << " -l tarVix+1.4.4-1.5.4" << true;
    QTest::newRow("1.4.4-1.5.5") << 0 << 2 << " -l tarVix+1.4.4" << false;
    QTest::newRow("1.4.4-2019.02") << 0 << 8 << " -l tarVix+1.4.4" << false;
    QTest::newRow("1.5.4-1.5.5") << 1 << 2 << " -l tarVix+1.5.4" << false;
    QTest::newRow("1.5.5-2017.02.0") << 2 << 4 << " -l tarVix+1.5.5-2017.02.0" << true;
    QTest::newRow("1.5.5-2017.06.0") << 2 << 5 << " -l tarVix+1.5.5" << false;
    QTest::newRow("1.5.5-2017.10.0") << 2 << 6 << " -l tarVix+1.5.5" << false;
    QTest::newRow("2016.10.0-2017.02.0") << 3 << 4 << " -l tarVix+2016.10.0-2017.02.0" << true;
    QTest::newRow("2016.10.0-2018.06.0") << 3 << 7 << " -l tarVix+2016.10.0" << false;
    QTest::newRow("2017.02.0-2017.06.0") << 4 << 5 << " -l tarVix+2017.02.0" << false;
    QTest::newRow("2017.06.0-2019.02") << 5 << 8 << " -l tarVix+2017.06.0-2019.02" << true;
    QTest::newRow("2017.10.0-2018.06.0") << 6 << 7 << " -l tarVix+2017.10.0-2018.06.0" << true;
}

void SelectionTest::advancedPairs() {
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, argument);
    QFETCH(bool, accepted);
    Fixture f;
    f.setAdvanced(true);
    QComboBox* startBox = f.ui().convertSelectLibrary;
    QComboBox* endBox = f.ui().convertSelectLibraryLast;

    // Reach the pair so that its last step is a real change of one box.
    endBox->setCurrentIndex(end == 8 ? 7 : 8);
    if (start == 0) {
        f.watcher.boxes.clear();
    } else {
        endBox->setCurrentIndex(end);
        f.watcher.boxes.clear();
    }
    const QVariant endTextBefore = f.state().librarySelection2;
    const int endIndexBefore = f.state().libraryEndIndex;
    if (start == 0) {
        endBox->setCurrentIndex(end);
    } else {
        startBox->setCurrentIndex(start);
    }
    QCOMPARE(startBox->currentIndex(), start);
    QCOMPARE(endBox->currentIndex(), end);
    QCOMPARE(f.argument(), argument);
    QCOMPARE(f.state().libraryStartIndex, start);
    QCOMPARE(f.state().librarySelection, QVariant("tarVix+" + kVersions.at(start)));
    if (accepted) {
        QVERIFY(f.watcher.boxes.isEmpty());
        QCOMPARE(f.state().libraryEndIndex, end);
        QCOMPARE(f.state().librarySelection2, QVariant(kVersions.at(end)));
    } else {
        QCOMPARE(f.titles(), QStringList{"Fehler!"});
        // Both boxes stay as chosen; the end values of the last accepted pair stay.
        QCOMPARE(f.state().libraryEndIndex, endIndexBefore);
        QCOMPARE(f.state().librarySelection2, endTextBefore);
        // Every later build meets the same pair and says so again.
        f.rebuild();
        QCOMPARE(f.titles(), (QStringList{"Fehler!", "Fehler!"}));
        QCOMPARE(f.argument(), argument);
    }
}

void SelectionTest::boxTexts() {
    Fixture f;
    f.setAdvanced(true);
    f.ui().convertSelectLibraryLast->setCurrentIndex(5);  // 1.4.4-2017.06.0: incompatible
    f.ui().convertSelectLibraryLast->setCurrentIndex(0);  // end onto the start: order
    QCOMPARE(f.watcher.boxes.size(), 2);
    const DialogWatcher::Box incompatible = f.watcher.boxes.at(0);
    QCOMPARE(incompatible.title, QString("Fehler!"));
    QCOMPARE(incompatible.text, kIncompatibleText);
    QCOMPARE(incompatible.icon, QMessageBox::Warning);
    QCOMPARE(incompatible.buttons.size(), 1);
    const DialogWatcher::Box order = f.watcher.boxes.at(1);
    QCOMPARE(order.title, QString("Warnung!"));
    QCOMPARE(order.text, kOrderText);
    QCOMPARE(order.icon, QMessageBox::Warning);
    QCOMPARE(order.buttons.size(), 1);
    QCOMPARE(f.watcher.unexpected, 0);
}

// An accepted pair 1.5.5-2017.02.0, then the end moved onto and before the start.
void SelectionTest::restoreAfterMovedEnd() {
    Fixture f;
    f.setAdvanced(true);
    QComboBox* startBox = f.ui().convertSelectLibrary;
    QComboBox* endBox = f.ui().convertSelectLibraryLast;
    endBox->setCurrentIndex(4);
    startBox->setCurrentIndex(2);
    QCOMPARE(f.argument(), QString(" -l tarVix+1.5.5-2017.02.0"));
    for (int wrongEnd : {2, 0}) {
        f.watcher.boxes.clear();
        endBox->setCurrentIndex(wrongEnd);
        // Warning first, then the end goes back and the pair is built again, quietly.
        QCOMPARE(f.titles(), QStringList{"Warnung!"});
        QCOMPARE(endBox->currentIndex(), 4);
        QCOMPARE(startBox->currentIndex(), 2);
        QCOMPARE(f.argument(), QString(" -l tarVix+1.5.5-2017.02.0"));
        QCOMPARE(f.state().libraryEndIndex, 4);
    }
}

void SelectionTest::restoreAfterMovedStart() {
    Fixture f;
    f.setAdvanced(true);
    QComboBox* startBox = f.ui().convertSelectLibrary;
    QComboBox* endBox = f.ui().convertSelectLibraryLast;
    endBox->setCurrentIndex(8);
    startBox->setCurrentIndex(5);
    QCOMPARE(f.argument(), QString(" -l tarVix+2017.06.0-2019.02"));
    endBox->setCurrentIndex(7);
    QCOMPARE(f.argument(), QString(" -l tarVix+2017.06.0-2018.06.0"));
    for (int wrongStart : {7, 8}) {
        f.watcher.boxes.clear();
        startBox->setCurrentIndex(wrongStart);
        QCOMPARE(f.titles(), QStringList{"Warnung!"});
        QCOMPARE(startBox->currentIndex(), 5);
        QCOMPARE(endBox->currentIndex(), 7);
        QCOMPARE(f.state().libraryStartIndex, 5);
        QCOMPARE(f.argument(), QString(" -l tarVix+2017.06.0-2018.06.0"));
    }
}

// Right after switching on, no pair has been accepted: the end goes back to the
// second version, which advanced mode preselects.
void SelectionTest::restoreBeforeAnyAcceptedPair() {
    Fixture f;
    f.setAdvanced(true);
    f.ui().convertSelectLibraryLast->setCurrentIndex(0);
    QCOMPARE(f.titles(), QStringList{"Warnung!"});
    QCOMPARE(f.ui().convertSelectLibraryLast->currentIndex(), 1);
    QCOMPARE(f.argument(), QString(" -l tarVix+1.4.4-1.5.4"));
}

void SelectionTest::switchingOff() {
    Fixture f;
    f.setAdvanced(true);
    QComboBox* startBox = f.ui().convertSelectLibrary;
    QComboBox* endBox = f.ui().convertSelectLibraryLast;
    endBox->setCurrentIndex(4);
    startBox->setCurrentIndex(2);
    f.watcher.boxes.clear();

    f.setAdvanced(false);
    QVERIFY(!Access::advancedLibraryMode(*f.window));
    QCOMPARE(itemTexts(startBox),
             (QStringList{"1.4.4 bis 1.5.4", "1.5.5 bis 2017.06", "2017.06+"}));
    QCOMPARE(startBox->currentIndex(), 0);
    QVERIFY(f.ui().label->isHidden());
    QVERIFY(endBox->isHidden());
    QCOMPARE(endBox->count(), kVersions.size());
    QCOMPARE(endBox->currentIndex(), 4);
    // The refill ran under the advanced rules against the kept end box (rule 4,
    // no box): the argument holds the first range joined with the old end until
    // the next build.
    QVERIFY(f.watcher.boxes.isEmpty());
    QCOMPARE(f.argument(), QString(" -l tarVix=1.4.4-2017.02.0"));
    f.rebuild();
    QCOMPARE(f.argument(), QString(" -l tarVix=1.4.4"));
    startBox->setCurrentIndex(2);
    QCOMPARE(f.argument(), QString(" -l tarVix=2017.06.0"));
    QVERIFY(f.watcher.boxes.isEmpty());

    // On again: the end box is filled anew, not appended to.
    f.setAdvanced(true);
    QCOMPARE(endBox->count(), kVersions.size());
    QCOMPARE(startBox->count(), kVersions.size());
    QCOMPARE(f.argument(), QString(" -l tarVix+1.4.4"));
    QVERIFY(f.watcher.boxes.isEmpty());
}

void SelectionTest::advancedWithoutVersionsFile() {
    Fixture f(nullptr);
    QCOMPARE(f.titles(), QStringList{"Dateifehler"});
    f.watcher.boxes.clear();
    f.ui().convertSelectLibrary->setCurrentIndex(1);
    f.setAdvanced(true);
    QVERIFY(!f.ui().cbAdvancedOptions->isChecked());
    QVERIFY(!Access::advancedLibraryMode(*f.window));
    QVERIFY(f.ui().label->isHidden());
    QVERIFY(f.ui().convertSelectLibraryLast->isHidden());
    QCOMPARE(f.ui().convertSelectLibrary->count(), 3);
    QCOMPARE(f.ui().convertSelectLibrary->currentIndex(), 1);
    QCOMPARE(f.argument(), QString(" -l tarVix=1.5.5"));
    QVERIFY(f.watcher.boxes.isEmpty());
}

void SelectionTest::advancedWithEmptyList() {
    const QStringList none;
    Fixture f(&none);
    QVERIFY(f.watcher.boxes.isEmpty());
    f.setAdvanced(true);
    QVERIFY(Access::advancedLibraryMode(*f.window));
    QCOMPARE(f.ui().convertSelectLibrary->count(), 0);
    QCOMPARE(f.ui().convertSelectLibraryLast->count(), 0);
    QVERIFY(!f.ui().convertSelectLibraryLast->isHidden());
    QVERIFY(f.watcher.boxes.isEmpty());
    // A conversion meets no pair at all: the order warning, then the bare option.
    f.rebuild();
    QCOMPARE(f.titles(), QStringList{"Warnung!"});
    QCOMPARE(f.argument(), QString(" -l "));
    QCOMPARE(f.watcher.unexpected, 0);
}

QUILLMOOR_TEST_MAIN(SelectionTest)
#include "tst_selection.moc"

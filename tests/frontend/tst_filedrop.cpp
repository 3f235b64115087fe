// Files dropped on the path fields: the same result as choosing the file in the
// field's dialog, local files only, nothing while a job runs.
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

QLineEdit* field(MainWindow& w, const QString& name) {
    return Access::ui(w).centralWidget->findChild<QLineEdit*>(name);
}

// Drags `urls` onto `edit` and drops them there, as the platform delivers it.
// Returns whether the field took the drag when it entered.
bool dropOn(QLineEdit* edit, const QList<QUrl>& urls, const QString& text = QString()) {
    QMimeData mime;
    if (!urls.isEmpty()) {
        mime.setUrls(urls);
    }
    if (!text.isEmpty()) {
        mime.setText(text);
    }
    const QPoint at = edit->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    const bool taken = enter.isAccepted();
    if (taken) {
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &drop);
    }
    return taken;
}

}  // namespace

class FileDropTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { clearOverrideCursors(); }
    void dropOnPathField_data();
    void dropOnPathField();
    void refusedDrops_data();
    void refusedDrops();
    void droppedInputIsConverted();
    void noDropWhileJobRuns();
};

void FileDropTest::dropOnPathField_data() {
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("otherField");  // a field the drop fills besides
    QTest::addColumn<QString>("otherText");   // relative to the workspace
    QTest::addColumn<QStringList>("fragments");
    QTest::newRow("convert input")
        << "convertInputInputfile"
        << "ecu v2.a2l"
        << "convertInputOutputfile"
        << "ecu v2.cfginclude" << QStringList{"convertInputArgument", "convertOutputArgument"};
    QTest::newRow("convert output") << "convertInputOutputfile"
                                    << "old.cfginclude"
                                    << ""
                                    << "" << QStringList{"convertOutputArgument"};
    QTest::newRow("compare old") << "compareInputOld"
                                 << "r1.a2l"
                                 << ""
                                 << "" << QStringList{"compareOldArgument"};
    QTest::newRow("compare new") << "compareInputNew"
                                 << "r2.a2l"
                                 << ""
                                 << "" << QStringList{"compareNewArgument"};
    QTest::newRow("decompress input")
        << "decompressInputFile"
        << "packed.cfginclude"
        << "decompressOutputFile"
        << "packed.cfginclude"
        << QStringList{"decompressInputArgument", "decompressOutputArgument"};
    QTest::newRow("decompress output") << "decompressOutputFile"
                                       << "plain.cfginclude"
                                       << ""
                                       << "" << QStringList{"decompressOutputArgument"};
}

// The field holds the dropped path, its fragment is rebuilt, and an input of
// the convert or decompress tab suggests its output as its dialog does.
void FileDropTest::dropOnPathField() {
    QFETCH(QString, fieldName);
    QFETCH(QString, file);
    QFETCH(QString, otherField);
    QFETCH(QString, otherText);
    QFETCH(QStringList, fragments);
    WindowFixture f;
    f.ws.writeFile(file, "x");
    const QString path = f.ws.filePath(file);
    QLineEdit* edit = field(f.w, fieldName);
    QVERIFY(edit != nullptr);
    QVERIFY(dropOn(edit, {QUrl::fromLocalFile(path)}));
    QCOMPARE(edit->text(), path);
    if (!otherField.isEmpty()) {
        QCOMPARE(field(f.w, otherField)->text(), f.ws.filePath(otherText));
    }
    const FormState& s = f.state;
    const QMap<QString, QString> byName{{"convertInputArgument", s.convertInputArgument},
                                        {"convertOutputArgument", s.convertOutputArgument},
                                        {"compareOldArgument", s.compareOldArgument},
                                        {"compareNewArgument", s.compareNewArgument},
                                        {"decompressInputArgument", s.decompressInputArgument},
                                        {"decompressOutputArgument", s.decompressOutputArgument}};
    const QString fieldFile = fragments.size() == 2 ? otherText : file;
    QCOMPARE(byName.value(fragments.first()), " \"" + path + "\"");
    if (fragments.size() == 2) {
        QCOMPARE(byName.value(fragments.last()), " \"" + f.ws.filePath(fieldFile) + "\"");
    }
    QCOMPARE(f.watcher.boxes.size(), 0);
}

void FileDropTest::refusedDrops_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("remote URL") << "remote";
    QTest::newRow("two files") << "two";
    QTest::newRow("folder") << "folder";
}

// Only one local file is taken; the field keeps its text.
void FileDropTest::refusedDrops() {
    QFETCH(QString, what);
    WindowFixture f;
    f.ws.writeFile("a.a2l", "x");
    f.ws.writeFile("b.a2l", "x");
    QList<QUrl> urls;
    if (what == "remote") {
        urls << QUrl("https://example.com/a.a2l");
    } else if (what == "two") {
        urls << QUrl::fromLocalFile(f.ws.filePath("a.a2l"))
             << QUrl::fromLocalFile(f.ws.filePath("b.a2l"));
    } else {
        urls << QUrl::fromLocalFile(f.ws.path());
    }
    f.ui.convertInputInputfile->setText("kept.a2l");
    QVERIFY(!dropOn(f.ui.convertInputInputfile, urls, urls.first().toString()));
    QCOMPARE(f.ui.convertInputInputfile->text(), QString("kept.a2l"));
    QCOMPARE(f.ui.convertInputOutputfile->text(), QString());
}

// A dropped input goes into the convert command like a chosen one.
void FileDropTest::droppedInputIsConverted() {
    WindowFixture f;
    f.ws.setScript({"out Done.\\n"});
    f.ws.writeFile("demo.a2l", "x");
    QVERIFY(dropOn(f.ui.convertInputInputfile, {QUrl::fromLocalFile(f.ws.filePath("demo.a2l"))}));
    f.ui.convertButtonConvert->click();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes.first().title, QString("Abgeschlossen!"));
    QCOMPARE(f.ws.calls().size(), 1);
    const QStringList args = f.ws.calls().first();
    QCOMPARE(args.mid(0, 3),
             (QStringList{"convert", f.ws.filePath("demo.a2l"), f.ws.filePath("demo.cfginclude")}));
}

// While a job runs, its paths stay as they were started: a drop is refused.
void FileDropTest::noDropWhileJobRuns() {
    WindowFixture f;
    f.ws.setScript({"out working\\n", "sleep 60000"});
    f.ws.writeFile("new.a2l", "x");
    f.ui.compareInputOld->setText("old.a2l");
    f.ui.compareInputNew->setText("new.a2l");
    f.ui.compareButtonCompare->click();
    QProcess& process = Access::comparerProcess(f.w);
    QTRY_COMPARE(process.state(), QProcess::Running);
    const QUrl url = QUrl::fromLocalFile(f.ws.filePath("new.a2l"));
    QVERIFY(!dropOn(f.ui.compareInputOld, {url}));
    QCOMPARE(f.ui.compareInputOld->text(), QString("old.a2l"));
    QVERIFY(!dropOn(f.ui.convertInputInputfile, {url}));
    QCOMPARE(f.ui.convertInputInputfile->text(), QString());
    process.kill();
    QTRY_COMPARE(f.watcher.boxes.size(), 1);
    QCOMPARE(f.watcher.boxes.first().title, QString("Fehler!"));
    QVERIFY(dropOn(f.ui.compareInputOld, {url}));
    QCOMPARE(f.ui.compareInputOld->text(), url.toLocalFile());
}

QUILLMOOR_TEST_MAIN(FileDropTest)
#include "tst_filedrop.moc"

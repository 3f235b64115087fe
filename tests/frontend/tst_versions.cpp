#include <QComboBox>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

#include "testsupport.h"
#include "versions/versionsfilereader.h"

using Access = MainWindowTestAccess;

namespace {
QByteArray wrap(const QByteArray& versionList) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TarvixVersions>\n"
           "  <TopVersion>2019.02</TopVersion>\n  <VersionList>" +
           versionList + "</VersionList>\n</TarvixVersions>\n";
}

const QString kMissingText =
    QStringLiteral("Versionsdatei (tarvixVersions.xml) wurde nicht gefunden.");
}  // namespace

class VersionsTest : public QObject {
    Q_OBJECT

private slots:
    void reader_data();
    void reader();
    void readerOnMissingFile();
    void readerTakesBytesAsUtf8_data();
    void readerTakesBytesAsUtf8();
    void shippedFile();
    void windowLoadsList();
    void windowReportsUnreadableFile_data();
    void windowReportsUnreadableFile();
    void fileIsLookedUpInWorkingDirectory();
};

void VersionsTest::reader_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QStringList>("list");

    const QStringList three{"1.4.4", "1.5.4", "2017.02.0"};
    QTest::newRow("single blanks") << wrap("1.4.4 1.5.4 2017.02.0") << true << "2019.02" << three;
    QTest::newRow("line breaks, tabs, indentation")
        << wrap("\n\t  1.4.4\r\n    1.5.4\t\t2017.02.0\n  ") << true << "2019.02" << three;
    QTest::newRow("no declaration")
        << QByteArray(
               "<r><TopVersion>9</TopVersion><VersionList>1.4.4 1.5.4 2017.02.0"
               "</VersionList></r>")
        << true << "9" << three;
    QTest::newRow("comma is no separator")
        << wrap("1.4.4,1.5.4 2017.02.0;2017.06.0") << true << "2019.02"
        << QStringList{"1.4.4,1.5.4", "2017.02.0;2017.06.0"};
    QTest::newRow("nested elements run together")
        << wrap("<v>1.4.4</v><v>1.5.4</v>") << true << "2019.02" << QStringList{"1.4.41.5.4"};
    QTest::newRow("nested elements with whitespace")
        << wrap("<v>1.4.4</v> <v>1.5.4</v>\n<g><v>2017.02.0</v></g>") << true << "2019.02" << three;
    QTest::newRow("comment and processing instruction between")
        << QByteArray(
               "<r><TopVersion>x</TopVersion>\n<!-- c --><?pi data?>\n"
               "<VersionList>1.4.4</VersionList></r>")
        << true << "x" << QStringList{"1.4.4"};
    QTest::newRow("character data forms of the top version")
        << QByteArray(
               "<r><TopVersion><![CDATA[20]]>19<!-- c -->.0&amp;2<?pi x?></TopVersion>"
               "<VersionList>1.4.4</VersionList></r>")
        << true << "2019.0&2" << QStringList{"1.4.4"};
    QTest::newRow("empty top version")
        << QByteArray("<r><TopVersion/><VersionList>1.4.4</VersionList></r>") << true << ""
        << QStringList{"1.4.4"};
    QTest::newRow("anchor deeper in a wrapper")
        << QByteArray(
               "<r><a/><w><TopVersion>7</TopVersion><VersionList>1.4.4 1.5.4"
               "</VersionList></w></r>")
        << true << "7" << QStringList{"1.4.4", "1.5.4"};
    QTest::newRow("list outside the wrapper of the anchor")
        << QByteArray("<r><w><TopVersion>7</TopVersion></w><VersionList>1.4.4</VersionList></r>")
        << true << "7" << QStringList();
    QTest::newRow("only a top version")
        << QByteArray("<TopVersion>2019.02</TopVersion>") << true << "2019.02" << QStringList();
    QTest::newRow("another element before the list")
        << QByteArray(
               "<r><TopVersion>7</TopVersion><Other>x</Other><VersionList>1.4.4"
               "</VersionList></r>")
        << true << "7" << QStringList();
    QTest::newRow("list name in other case")
        << QByteArray("<r><TopVersion>7</TopVersion><versionlist>1.4.4</versionlist></r>") << true
        << "7" << QStringList();
    QTest::newRow("element inside the top version")
        << QByteArray(
               "<r><TopVersion>20<b>19</b></TopVersion><VersionList>1.4.4</VersionList>"
               "</r>")
        << true << "20" << QStringList();
    QTest::newRow("first anchor wins")
        << QByteArray(
               "<r><TopVersion>1</TopVersion><VersionList>a</VersionList>"
               "<TopVersion>2</TopVersion><VersionList>b</VersionList></r>")
        << true << "1" << QStringList{"a"};
    QTest::newRow("garbage after the list")
        << QByteArray(
               "<r><TopVersion>7</TopVersion><VersionList>1.4.4 1.5.4</VersionList>"
               "</wrong><<&& no xml")
        << true << "7" << QStringList{"1.4.4", "1.5.4"};
    QTest::newRow("error inside the list")
        << QByteArray(
               "<r><TopVersion>7</TopVersion><VersionList>1.4.4 <v>1.5.4</w> 2017.02.0"
               "</VersionList></r>")
        << true << "7" << QStringList{"1.4.4", "1.5.4"};
    QTest::newRow("file cut off inside a nested element")
        << QByteArray("<r><TopVersion>7</TopVersion><VersionList>1.4.4 <v>1.5.4</v> <v>2017")
        << true << "7" << QStringList{"1.4.4", "1.5.4"};

    QTest::newRow("empty file") << QByteArray() << false << "" << QStringList();
    QTest::newRow("only whitespace") << QByteArray(" \n\t\n") << false << "" << QStringList();
    QTest::newRow("not XML") << QByteArray("TopVersion 2019.02\nVersionList 1.4.4 1.5.4\n") << false
                             << "" << QStringList();
    QTest::newRow("no TopVersion")
        << QByteArray("<r><Top>2019.02</Top><VersionList>1.4.4</VersionList></r>") << false << ""
        << QStringList();
    QTest::newRow("TopVersion in other case")
        << QByteArray("<r><topversion>2019.02</topversion><VersionList>1.4.4</VersionList></r>")
        << false << "" << QStringList();
    QTest::newRow("TOPVERSION")
        << QByteArray("<r><TOPVERSION>2019.02</TOPVERSION><VersionList>1.4.4</VersionList></r>")
        << false << "" << QStringList();
    QTest::newRow("malformed before the anchor")
        << QByteArray(
               "<r><a></b><TopVersion>2019.02</TopVersion><VersionList>1.4.4"
               "</VersionList></r>")
        << false << "" << QStringList();
    QTest::newRow("undefined entity before the anchor")
        << QByteArray(
               "<r>&nope;<TopVersion>2019.02</TopVersion><VersionList>1.4.4"
               "</VersionList></r>")
        << false << "" << QStringList();
    QTest::newRow("anchor after a second root")
        << QByteArray(
               "<a/><r><TopVersion>2019.02</TopVersion><VersionList>1.4.4</VersionList>"
               "</r>")
        << false << "" << QStringList();
}

void VersionsTest::reader() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QString, top);
    QFETCH(QStringList, list);
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    ws.writeFile("tarvixVersions.xml", bytes);
    VersionsFileReader reader;
    QCOMPARE(reader.read("tarvixVersions.xml"), ok);
    QCOMPARE(reader.topVersion, top);
    QCOMPARE(reader.versionList, list);
}

void VersionsTest::readerOnMissingFile() {
    TestWorkspace ws;
    VersionsFileReader reader;
    QVERIFY(!reader.read("tarvixVersions.xml"));
    QVERIFY(reader.topVersion.isEmpty());
    QVERIFY(reader.versionList.isEmpty());
    // A directory of that name cannot be read either.
    QVERIFY(QDir(ws.path()).mkdir("tarvixVersions.xml"));
    QVERIFY(!reader.read("tarvixVersions.xml"));
}

// The bytes are UTF-8 whatever the declaration says; a UTF-16 file is misread.
void VersionsTest::readerTakesBytesAsUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QStringList>("list");

    const QString document = QString::fromUtf8(
        "<r><TopVersion>2019.02-ä</TopVersion><VersionList>1.4.4 1.5.5-ß</VersionList></r>");
    QTest::newRow("UTF-8 with a byte order mark")
        << QByteArray("\xEF\xBB\xBF") + document.toUtf8() << true << QString::fromUtf8("2019.02-ä")
        << QStringList{"1.4.4", QString::fromUtf8("1.5.5-ß")};
    QTest::newRow("declaration naming Latin-1, bytes in UTF-8")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>") + document.toUtf8() << true
        << QString::fromUtf8("2019.02-ä") << QStringList{"1.4.4", QString::fromUtf8("1.5.5-ß")};

    QStringEncoder latin1(QStringEncoder::Latin1);
    const QByteArray latinBytes = latin1(document);
    QTest::newRow("Latin-1 bytes are misread")
        << latinBytes << true << QString::fromUtf8("2019.02-\uFFFD")
        << QStringList{"1.4.4", QString::fromUtf8("1.5.5-\uFFFD")};

    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray utf16Bytes =
        utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + document);
    QTest::newRow("UTF-16 file") << utf16Bytes << false << "" << QStringList();
}

void VersionsTest::readerTakesBytesAsUtf8() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QString, top);
    QFETCH(QStringList, list);
    VersionsFileReader reader;
    QCOMPARE(reader.readBytes(bytes), ok);
    QCOMPARE(reader.topVersion, top);
    QCOMPARE(reader.versionList, list);
}

// The file delivered in the runtime folder: oldest first, every version the
// compatibility rules name, and the three basic range starts.
void VersionsTest::shippedFile() {
    const QString runtime = qEnvironmentVariable("QUILLMOOR_RUNTIME_DIR");
    if (runtime.isEmpty()) {
        QSKIP("QUILLMOOR_RUNTIME_DIR is not set (run through ctest)");
    }
    VersionsFileReader reader;
    QVERIFY(reader.read(runtime + "/tarvixVersions.xml"));
    QCOMPARE(reader.topVersion, QString("2019.02"));
    QStringList list = reader.versionList;
    QCOMPARE(list.first(), QString("1.4.4"));
    QCOMPARE(list.last(), reader.topVersion);
    for (const char* version : {"1.4.4", "1.5.4", "1.5.5", "2017.02.0", "2017.06.0", "2017.10.0"}) {
        QVERIFY2(list.contains(version), version);
    }
    for (const char* year : {"2016", "2018", "2019"}) {
        QVERIFY2(!list.filter(year).isEmpty(), year);
    }
    QVERIFY(list.indexOf("1.5.4") < list.indexOf("1.5.5"));
    QVERIFY(list.indexOf("2017.02.0") < list.indexOf("2017.06.0"));
    QVERIFY(list.indexOf("2017.06.0") < list.indexOf("2017.10.0"));
    QCOMPARE(list.removeDuplicates(), 0);
}

void VersionsTest::windowLoadsList() {
    TestWorkspace ws;
    ws.writeFile("tarvixVersions.xml", wrap("1.4.4\n1.5.4\n1.5.5"));
    DialogWatcher watcher;
    MainWindow w;
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(Access::versionsFileLoaded(w));
    QCOMPARE(Access::versionList(w), (QStringList{"1.4.4", "1.5.4", "1.5.5"}));

    // A file with a TopVersion and nothing else counts as read, with no versions.
    TestWorkspace ws2;
    ws2.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
    MainWindow w2;
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(Access::versionsFileLoaded(w2));
    QVERIFY(Access::versionList(w2).isEmpty());
    QCOMPARE(watcher.unexpected, 0);
}

void VersionsTest::windowReportsUnreadableFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("present");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("not XML") << QByteArray("1.4.4 1.5.4") << true;
    QTest::newRow("malformed") << QByteArray("<r><a></b><TopVersion>1</TopVersion></r>") << true;
    QTest::newRow("no TopVersion") << QByteArray("<r><VersionList>1.4.4</VersionList></r>") << true;
}

void VersionsTest::windowReportsUnreadableFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, present);
    TestWorkspace ws;
    if (present) {
        ws.writeFile("tarvixVersions.xml", bytes);
    }
    DialogWatcher watcher;
    MainWindow w;
    // The box appears while the window is being built, before it is shown.
    QCOMPARE(watcher.boxes.size(), 1);
    const DialogWatcher::Box& box = watcher.boxes.first();
    QCOMPARE(box.title, QString("Dateifehler"));
    QCOMPARE(box.text, kMissingText);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons.size(), 1);
    QVERIFY(!Access::versionsFileLoaded(w));
    QVERIFY(Access::versionList(w).isEmpty());
    // The basic ranges need no file.
    QCOMPARE(Access::ui(w).convertSelectLibrary->count(), 3);
}

// The file beside the program does not count: only the working directory.
void VersionsTest::fileIsLookedUpInWorkingDirectory() {
    TestWorkspace ws;
    QVERIFY(QDir(ws.path()).mkdir("elsewhere"));
    ws.writeFile("tarvixVersions.xml", wrap("1.4.4 1.5.4"));
    QVERIFY(QDir::setCurrent(ws.filePath("elsewhere")));
    DialogWatcher watcher;
    MainWindow w;
    QCOMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first().text, kMissingText);
    QVERIFY(!Access::versionsFileLoaded(w));
}

QUILLMOOR_TEST_MAIN(VersionsTest)
#include "tst_versions.moc"

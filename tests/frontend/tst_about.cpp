#include <QDesktopServices>
#include <QDir>
#include <QSettings>
#include <QtTest>

#include "prefs/aboutline.h"
#include "prefs/manualurl.h"
#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {
QString aboutText(const QString& converterVersion) {
    return QString::fromUtf8(
               "Version 1.28 (GUI)\nVersion %1 (Converter)\n\n"
               "© 2014-2017 KOLDAN Messtechnik\n"
               "© 2018-2019 KOLDAN Messtechnik und das Quillmoor-Team")
        .arg(converterVersion);
}
}  // namespace

class AboutTest : public QObject {
    Q_OBJECT

public slots:
    // Stands in for the desktop's handler of file URLs.
    void openFileUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void cleanLine_data();
    void cleanLine();
    void aboutBoxes_data();
    void aboutBoxes();
    void withoutConverter();
    void manualUrlText_data();
    void manualUrlText();
    void manual_data();
    void manual();

private:
    QList<QUrl> openedUrls;
};

void AboutTest::cleanLine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<bool>("shown");
    QTest::newRow("prefix and CR LF")
        << QByteArray("KOLDAN QuillmoorConverter 1.9.2\r\n") << "1.9.2" << true;
    QTest::newRow("blanks and beta") << QByteArray("  1.9.2  beta \n") << "1.9.2 beta" << true;
    QTest::newRow("12.0.1 has no 1.") << QByteArray("12.0.1\n") << "12.0.1" << false;
    QTest::newRow("2.1.0 has 1.") << QByteArray("2.1.0\n") << "2.1.0" << true;
    QTest::newRow("every prefix removed")
        << QByteArray("KOLDAN QuillmoorConverter xKOLDAN QuillmoorConverter 1.3") << "x1.3" << true;
    QTest::newRow("prefix in other case kept")
        << QByteArray("koldan quillmoorconverter 1.2\n") << "koldan quillmoorconverter 1.2" << true;
    QTest::newRow("prefix with a tab kept")
        << QByteArray("KOLDAN QuillmoorConverter\t1.2") << "KOLDAN QuillmoorConverter 1.2" << true;
    QTest::newRow("stops at NUL") << QByteArray("1.5 ok\0hidden 9", 15) << "1.5 ok" << true;
    QTest::newRow("NUL before the version") << QByteArray("x\0 1.5", 6) << "x" << false;
    QTest::newRow("Latin-1") << QByteArray("Version\xA0\xE9 1.4\t\n")
                             << QString::fromUtf8("Version é 1.4") << true;
    QTest::newRow("banner") << QByteArray("Usage: QuillmoorConverter <verb> ...\n")
                            << "Usage: QuillmoorConverter <verb> ..." << false;
    QTest::newRow("empty") << QByteArray() << "" << false;
}

void AboutTest::cleanLine() {
    QFETCH(QByteArray, line);
    QFETCH(QString, cleaned);
    QFETCH(bool, shown);
    const QString result = aboutline::cleanVersionLine(line);
    QCOMPARE(result, cleaned);
    QCOMPARE(aboutline::isConverterVersion(result), shown);
}

void AboutTest::aboutBoxes_data() {
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("versions");
    QTest::newRow("prefix and CR LF")
        << QStringList{"out KOLDAN QuillmoorConverter 1.9.2\\r\\n"} << QStringList{"1.9.2"};
    QTest::newRow("blanks and beta")
        << QStringList{"out   1.9.2  beta \\n"} << QStringList{"1.9.2 beta"};
    QTest::newRow("12.0.1") << QStringList{"out 12.0.1\\n"} << QStringList();
    QTest::newRow("2.1.0") << QStringList{"out 2.1.0\\n"} << QStringList{"2.1.0"};
    QTest::newRow("percent sign stays text")
        << QStringList{"out KOLDAN QuillmoorConverter 1.0 %1 %3\\n"} << QStringList{"1.0 %1 %3"};
    // One line per delivery: each examined line with "1." gets a box of its own.
    QTest::newRow("three deliveries")
        << QStringList{"out Banner 2.0\\n", "sleep 300", "out KOLDAN QuillmoorConverter 1.4.0\\n",
                       "sleep 300", "out second 1.5\\n"}
        << QStringList{"1.4.0", "second 1.5"};
    QTest::newRow("two lines in one delivery")
        << QStringList{"out KOLDAN QuillmoorConverter 1.9.2\\nKOLDAN QuillmoorConverter 1.7\\n"}
        << QStringList{"1.9.2"};
    QTest::newRow("standard error is not read")
        << QStringList{"err 1.9.9\\n", "sleep 200", "out 1.2.3\\n"} << QStringList{"1.2.3"};
}

void AboutTest::aboutBoxes() {
    QFETCH(QStringList, script);
    QFETCH(QStringList, versions);
    TestWorkspace ws;
    ws.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
    ws.setScript(script);
    DialogWatcher watcher;
    MainWindow w;
    QVERIFY(QMetaObject::invokeMethod(&w, "info"));
    QProcess& process = Access::infoProcess(w);
    QTRY_COMPARE(watcher.boxes.size(), versions.size());
    QTRY_COMPARE(process.state(), QProcess::NotRunning);
    QTest::qWait(100);  // room for a box that should not come
    QCOMPARE(watcher.boxes.size(), versions.size());
    for (int i = 0; i < versions.size(); ++i) {
        QCOMPARE(watcher.boxes.at(i).title, QString("KOLDAN Quillmoor"));
        QCOMPARE(watcher.boxes.at(i).text, aboutText(versions.at(i)));
        QCOMPARE(watcher.boxes.at(i).buttons.size(), 1);
    }
    // The converter ran once, without arguments.
    QCOMPARE(ws.calls(), QList<QStringList>{QStringList()});
    QCOMPARE(watcher.unexpected, 0);
}

void AboutTest::withoutConverter() {
    TestWorkspace ws;
    ws.writeFile("tarvixVersions.xml", "<TopVersion>1</TopVersion>");
    ws.removeConverter();
    DialogWatcher watcher;
    MainWindow w;
    QVERIFY(QMetaObject::invokeMethod(&w, "info"));
    QTest::qWait(300);
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(Access::infoProcess(w).state(), QProcess::NotRunning);
}

void AboutTest::manualUrlText_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");
    QTest::newRow("English, drive letter") << 0 << "C:/Tools/conv"
                                           << "file:///C:/Tools/conv/doc/Manual.pdf"
                                           << "/C:/Tools/conv/doc/Manual.pdf";
    QTest::newRow("German, drive letter") << 1 << "C:/Tools/conv"
                                          << "file:///C:/Tools/conv/doc/Handbuch.pdf"
                                          << "/C:/Tools/conv/doc/Handbuch.pdf";
    QTest::newRow("stray value, Unix") << 3 << "/opt/quill"
                                       << "file:///opt/quill/doc/Manual.pdf"
                                       << "/opt/quill/doc/Manual.pdf";
    QTest::newRow("blanks") << 1 << "C:/Program Files/Quill moor"
                            << "file:///C:/Program Files/Quill moor/doc/Handbuch.pdf"
                            << "/C:/Program Files/Quill moor/doc/Handbuch.pdf";
    QTest::newRow("Unix with blanks") << 0 << "/home/a b/x"
                                      << "file:///home/a b/x/doc/Manual.pdf"
                                      << "/home/a b/x/doc/Manual.pdf";
}

void AboutTest::manualUrlText() {
    QFETCH(int, language);
    QFETCH(QString, directory);
    QFETCH(QString, text);
    QFETCH(QString, path);
    QCOMPARE(manualurl::manualUrlText(language, directory), text);
    const QUrl url = manualurl::manualUrl(language, directory);
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QString("file"));
    QCOMPARE(url.host(), QString());
    QCOMPARE(url.path(), path);
}

void AboutTest::manual_data() {
    QTest::addColumn<QVariant>("storedLanguage");
    QTest::addColumn<QString>("subdirectory");
    QTest::addColumn<QString>("file");
    QTest::newRow("0") << QVariant(0) << ""
                       << "Manual.pdf";
    QTest::newRow("1") << QVariant(1) << ""
                       << "Handbuch.pdf";
    QTest::newRow("3") << QVariant(3) << ""
                       << "Manual.pdf";
    QTest::newRow("blanks in the working directory") << QVariant(1) << "with blanks/and more"
                                                     << "Handbuch.pdf";
}

// The manual below the working directory, handed to the desktop as a file URL.
void AboutTest::manual() {
    QFETCH(QVariant, storedLanguage);
    QFETCH(QString, subdirectory);
    QFETCH(QString, file);
    TestWorkspace ws;
    QSettings("KOLDAN", "VELMOR").setValue("lang", storedLanguage);
    if (!subdirectory.isEmpty()) {
        QVERIFY(QDir(ws.path()).mkpath(subdirectory));
        QVERIFY(QDir::setCurrent(ws.filePath(subdirectory)));
    }
    DialogWatcher watcher;
    MainWindow w;
    openedUrls.clear();
    QDesktopServices::setUrlHandler("file", this, "openFileUrl");
    QVERIFY(QMetaObject::invokeMethod(&w, "documentation"));
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(openedUrls.size(), 1);
    const QUrl url = openedUrls.first();
    const QString expectedPath = QDir::currentPath() + "/doc/" + file;
    QCOMPARE(url.toLocalFile(), expectedPath);
    // A Windows path (C:/...) gets the slash that a POSIX path starts with: file:///C:/...
    const QString urlPath = expectedPath.startsWith('/') ? expectedPath : "/" + expectedPath;
    QCOMPARE(url.toString(), "file://" + urlPath);
    QCOMPARE(url, QUrl::fromLocalFile(expectedPath));
}

QUILLMOOR_TEST_MAIN(AboutTest)
#include "tst_about.moc"

// The files shipped beside the program, found when it is started from another
// folder: the versions file, the catalogues and the manual are looked up in the
// working directory first, then in the folder of the executable. This test
// program is built into a folder of its own, which plays the program's folder.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSettings>
#include <QtTest>

#include "testsupport.h"

using Access = MainWindowTestAccess;

namespace {

const QStringList kShippedFiles{"tarvixVersions.xml", "A2Ltranslator_la.qm", "Meu_en.qm",
                                "doc/Manual.pdf", "doc/Handbuch.pdf"};

// Writes the shipped files into `folder`; `tag` tells the versions files apart.
bool shipInto(const QString& folder, const QString& tag) {
    const QString catalogues = QStringLiteral(QUILLMOOR_TEST_CATALOGUES);
    QDir dir(folder);
    if (!dir.mkpath("doc")) {
        return false;
    }
    bool ok = true;
    for (const char* name : {"A2Ltranslator_la.qm", "Meu_en.qm"}) {
        QFile::remove(dir.filePath(name));
        ok = ok && QFile::copy(catalogues + "/" + name, dir.filePath(name));
    }
    const QByteArray versions = "<Root><TopVersion>1</TopVersion><VersionList>1.4.4 " +
                                tag.toUtf8() + "</VersionList></Root>";
    for (const QString& name :
         {QString("tarvixVersions.xml"), QString("doc/Manual.pdf"), QString("doc/Handbuch.pdf")}) {
        QFile file(dir.filePath(name));
        ok = ok && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
             file.write(name.endsWith(".xml") ? versions : QByteArray("%PDF-1.4\n")) > 0;
    }
    return ok;
}

void removeShipped(const QString& folder) {
    for (const QString& name : kShippedFiles) {
        QFile::remove(QDir(folder).filePath(name));
    }
}

}  // namespace

class RuntimeFolderTest : public QObject {
    Q_OBJECT

public slots:
    void openFileUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase();
    void cleanup();
    void shippedFilesFound_data();
    void shippedFilesFound();

private:
    QString programFolder_;
    QList<QUrl> openedUrls;
};

void RuntimeFolderTest::initTestCase() {
    programFolder_ = QCoreApplication::applicationDirPath();
    QVERIFY2(programFolder_.endsWith("/tst_runtimefolder.bin"),
             "the test must run from its own folder, which it fills");
}

void RuntimeFolderTest::cleanup() {
    removeShipped(programFolder_);
    QDesktopServices::unsetUrlHandler("file");
}

void RuntimeFolderTest::shippedFilesFound_data() {
    QTest::addColumn<QString>("where");  // "program", "both"
    QTest::addColumn<int>("storedLanguage");
    QTest::addColumn<QString>("menuTitle");
    QTest::addColumn<QString>("manual");
    QTest::newRow("beside the program, English") << "program" << 0 << "LA:File"
                                                 << "Manual.pdf";
    QTest::newRow("beside the program, German") << "program" << 1 << "MEU:Datei"
                                                << "Handbuch.pdf";
    QTest::newRow("in both, English") << "both" << 0 << "LA:File"
                                      << "Manual.pdf";
}

// Started in an empty working directory, the window takes the files from the
// program's folder; where the working directory has them too, they win.
void RuntimeFolderTest::shippedFilesFound() {
    QFETCH(QString, where);
    QFETCH(int, storedLanguage);
    QFETCH(QString, menuTitle);
    QFETCH(QString, manual);
    TestWorkspace ws;
    QVERIFY(shipInto(programFolder_, "2017.06.0"));
    QString expectedFolder = programFolder_;
    QString expectedLast = "2017.06.0";
    if (where == "both") {
        QVERIFY(shipInto(ws.path(), "2019.02.0"));
        expectedFolder = QDir::currentPath();
        expectedLast = "2019.02.0";
    }
    QSettings("KOLDAN", "VELMOR").setValue("lang", storedLanguage);
    DialogWatcher watcher;
    MainWindow w;
    QCOMPARE(watcher.boxes.size(), 0);  // no "Dateifehler"
    QVERIFY(Access::versionsFileLoaded(w));
    QCOMPARE(Access::versionList(w), (QStringList{"1.4.4", expectedLast}));
    QCOMPARE(w.menuBar()->actions().first()->text(), menuTitle);
    QDesktopServices::setUrlHandler("file", this, "openFileUrl");
    openedUrls.clear();
    QVERIFY(QMetaObject::invokeMethod(&w, "documentation"));
    QCOMPARE(watcher.boxes.size(), 0);
    QCOMPARE(openedUrls.size(), 1);
    QCOMPARE(openedUrls.first().toLocalFile(), expectedFolder + "/doc/" + manual);
}

QUILLMOOR_TEST_MAIN(RuntimeFolderTest)
#include "tst_runtimefolder.moc"

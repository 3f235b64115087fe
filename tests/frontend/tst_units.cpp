// The window-free parts of the front-end.
#include "converter/commandline.h"
#include "converter/markers.h"
#include "prefs/manualurl.h"
#include "testsupport.h"
#include "versions/compatibility.h"
#include "versions/versionsfilereader.h"

class UnitsTest : public QObject {
    Q_OBJECT

private slots:
    void paths();
    void decoder_data();
    void decoder();
    void decoderAnySplit();
    void splitMarkers_data();
    void splitMarkers();
    void rules_data();
    void rules();
    void versionsFile_data();
    void versionsFile();
};

// The converter is looked up in the working directory, the program's folder, then PATH,
// skipping files that cannot run; else the bare name. Output stems cut at the last dot of
// the name. The manual's address on Windows: three slashes before a drive, a share keeps two.
void UnitsTest::paths() {
    QTemporaryDir work, app, pathA, pathB;
    const QString name = "QuillmoorConverter.exe";
    auto place = [&](const QTemporaryDir& dir, bool executable) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::setPermissions(
            file.fileName(), QFile::ReadOwner | (executable ? QFile::ExeOwner : QFile::ReadOwner)));
    };
    const QByteArray path = (pathA.path() + QDir::listSeparator() + pathB.path()).toLocal8Bit();
    auto resolve = [&] { return commandline::resolveProgram(name, work.path(), app.path(), path); };
    QCOMPARE(resolve(), name);
    place(pathB, true);
    QCOMPARE(resolve(), pathB.filePath(name));
    place(pathA, false);
#ifdef Q_OS_WIN
    // Windows has no execute permission: an .exe is a program wherever it lies.
    QCOMPARE(resolve(), pathA.filePath(name));
#else
    QCOMPARE(resolve(), pathB.filePath(name));
#endif
    place(app, true);
    QCOMPARE(resolve(), app.filePath(name));
    place(work, true);
    QCOMPARE(resolve(), work.filePath(name));
    QCOMPARE(commandline::resolveProgram("./tool", work.path(), app.path(), path),
             QString("./tool"));
    QTemporaryDir other;
    QVERIFY(QDir(other.path()).mkdir(name));
    QCOMPARE(commandline::resolveProgram(name, other.path(), QString(), QByteArray()), name);
    QCOMPARE(commandline::stemOf("/x/ecu.v2.cfginclude"), QString("/x/ecu.v2"));
    QCOMPARE(commandline::stemOf("C:/Daten/rev2.1/ecu"), QString("C:/Daten/rev2"));
    QCOMPARE(commandline::stemOf("C:/Daten/ecu"), QString());
    QCOMPARE(manualurl::manualUrlText(0, "C:/Programme"),
             QString("file:///C:/Programme/doc/Manual.pdf"));
    QCOMPARE(manualurl::manualUrlText(1, "//server/share"),
             QString("file://///server/share/doc/Handbuch.pdf"));
}

void UnitsTest::decoder_data() {
    QTest::addColumn<QByteArrayList>("deliveries");
    QTest::addColumn<QStringList>("texts");  // one per delivery, then the end
    const QString none;
    const auto u = [](const char* utf8) { return QString::fromUtf8(utf8); };
    QTest::newRow("two bytes split, then three bytes split twice")
        << QByteArrayList{"pr\xc3", "\xbc\x66\xe2", "\x82", "\xac 5"}
        << QStringList{"pr", u("üf"), none, "€ 5", none};
    QTest::newRow("cut sequence then ASCII")
        << QByteArrayList{"\xe2\x82\x41"} << QStringList{u("â\u0082A"), none};
    // Two bytes at the end that cannot start the character: shown at once.
    QTest::newRow("invalid start at the end")
        << QByteArrayList{"a\xe0\x80"} << QStringList{u("aà\u0080"), none};
    QTest::newRow("overlong, surrogate, above U+10FFFF, lone continuation")
        << QByteArrayList{"\xc0\x80\xed\xa0\x80\xf5\x80\xbf\x80"}
        << QStringList{u("\u00c0\u0080\u00ed\u00a0\u0080\u00f5\u0080\u00bf\u0080"), none};
    // Valid at the edges: E0 A0, ED 9F, F4 8F, F0 90, C2, DF, EF; not E0 9F, F4 90.
    QTest::newRow("edges of the second-byte ranges")
        << QByteArrayList{"\xe0\xa0\x80\xe0\x9f\xbf\xed\x9f\xbf\xf4\x8f\xbf\xbf\xf4\x90\x80\x80"
                          "\xf0\x90\x80\x80\xc2\x80\xdf\xbf\xef\xbf\xbf"}
        << QStringList{u("\xe0\xa0\x80\u00e0\u009f\u00bf\xed\x9f\xbf\xf4\x8f\xbf\xbf\u00f4\u0090"
                         "\u0080\u0080\xf0\x90\x80\x80\xc2\x80\xdf\xbf\xef\xbf\xbf"),
                       none};
    QTest::newRow("second byte above the range after E0 and F0")
        << QByteArrayList{"\xe0\xc0\x80\xf0\xc0\x80\x80"}
        << QStringList{u("\u00e0\u00c0\u0080\u00f0\u00c0\u0080\u0080"), none};
    QTest::newRow("NUL bytes dropped, also inside a sequence")
        << QByteArrayList{QByteArray("a\0b\xc3", 4), QByteArray("\0\xa4", 2)}
        << QStringList{"ab", u("Ã¤"), none};
    QTest::newRow("held bytes at the end, as Latin-1")
        << QByteArrayList{"x\xf0\x9f\x98"} << QStringList{"x", u("ð\u009f\u0098")};
}

void UnitsTest::decoder() {
    QFETCH(QByteArrayList, deliveries);
    QFETCH(QStringList, texts);
    output::OutputDecoder decoder;
    QStringList got;
    for (const QByteArray& bytes : deliveries) {
        got << decoder.decode(bytes);
    }
    got << decoder.finish();
    QCOMPARE(got, texts);
}

// The same text whichever byte the output is split at.
void UnitsTest::decoderAnySplit() {
    const QByteArray bytes = QString::fromUtf8("Prüf € \xf0\x9f\x98\x80 ").toUtf8() +
                             "Gr\xf6\xdf"
                             "e";
    const QString expected = QString::fromUtf8("Prüf € \xf0\x9f\x98\x80 Größe");
    for (qsizetype at = 0; at <= bytes.size(); ++at) {
        output::OutputDecoder decoder;
        QString text = decoder.decode(bytes.left(at));
        text += decoder.decode(bytes.mid(at));
        text += decoder.finish();
        QVERIFY2(text == expected, qPrintable(QString("split at %1: %2").arg(at).arg(text)));
    }
    QCOMPARE(output::chunkText(QByteArray("a\0\xe4\xc3", 4)), QString::fromUtf8("aäÃ"));
}

void UnitsTest::splitMarkers_data() {
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<bool>("done");
    QTest::addColumn<bool>("failure");
    QTest::newRow("two pieces") << QStringList{"working\nDo", "ne.\n"} << true << false;
    QTest::newRow("one letter each") << QStringList{"E", "r", "r", "o", "r", "."} << false << true;
    QTest::newRow("long chunks") << QStringList{QString(50, 'x') + "Warnin",
                                                "g:" + QString(50, 'y')}
                                 << false << true;
    // Markers are case-sensitive and end in their dot or colon.
    QTest::newRow("gap, no dot or colon")
        << QStringList{"Do", "x", "ne. Error Done Warning"} << false << false;
}

// Markers that no single delivery holds are still known when the run ends.
void UnitsTest::splitMarkers() {
    QFETCH(QStringList, chunks);
    QFETCH(bool, done);
    QFETCH(bool, failure);
    output::RunOutput run;
    run.begin();
    for (const QString& chunk : chunks) {
        QVERIFY(!run.feed(chunk).any());
    }
    QVERIFY(!run.markerInChunk());
    QCOMPARE(run.wholeOutput().done, done);
    QCOMPARE(run.wholeOutput().failure, failure);
    QVERIFY(run.end());
    QVERIFY(!run.end());
    run.begin();
    QVERIFY(run.isActive());
    QVERIFY(!run.wholeOutput().any());
    QVERIFY(run.feed("Done.").done);
    QVERIFY(run.markerInChunk());
    run.end();
    run.begin();  // the last run's "Done." is not joined to this one's output
    run.feed("x");
    QVERIFY(!run.wholeOutput().any());
}

void UnitsTest::rules_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("startIndex");
    QTest::addColumn<int>("endIndex");
    QTest::addColumn<bool>("accepted");
    const auto row = [](const char* start, const char* end, int startIndex, int endIndex,
                        bool accepted) {
        QTest::addRow("%s at %d, %s at %d", start, startIndex, end, endIndex)
            << QString(start) << QString(end) << startIndex << endIndex << accepted;
    };
    // 1.4.4 reaches 1.5.4 only, whatever the positions; 1.5.4 only itself, later.
    row("1.4.4", "1.5.4", 5, 1, true);
    row("1.4.4", "1.5.5", 0, 2, false);
    row("1.5.4", "1.5.4", 1, 2, true);
    row("1.5.4", "1.5.4", 1, 1, true);
    row("1.5.4", "1.5.4", 2, 1, false);
    row("1.5.4", "1.5.5", 1, 2, false);
    // The 1.5.5 family (also 2015, 2016, 2017.02.0) stops before 2017.06.0.
    row("1.5.5", "2017.02.0", 4, 3, true);
    row("1.5.5", "2017.06.0", 2, 5, false);
    row("x2015", "2017.10.0", 1, 6, false);
    row("2016.10.0", "2018.06.0", 3, 7, false);
    row("2016.10.0", "3.2019", 3, 7, false);
    row("2017.02.0", "2017.06.1", 4, 5, true);
    row("2017.02.0", "2017.06.0", 4, 5, false);
    // Everything else only needs the order.
    row("2017.06.0", "2019.02", 5, 8, true);
    row("2017.10.0", "2017.10.0", 6, 6, true);
    row("2018.06.0", "2017.10.0", 7, 6, false);
}

void UnitsTest::rules() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, startIndex);
    QFETCH(int, endIndex);
    QFETCH(bool, accepted);
    QCOMPARE(compatibility::isCompatibleRange(start, end, startIndex, endIndex), accepted);
}

void UnitsTest::versionsFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("white space of any kind")
        << QByteArray(
               "<?xml version=\"1.0\"?><r><TopVersion>2019.02</TopVersion>"
               "<VersionList>\n\t 1.4.4\r\n 1.5.4\t2017.02.0\n</VersionList></r>")
        << true << "2019.02" << QStringList{"1.4.4", "1.5.4", "2017.02.0"};
    QTest::newRow("UTF-8 whatever the declaration says")
        << QByteArray(
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><w><TopVersion>7-\xc3\xa4"
               "</TopVersion><VersionList>a</VersionList></w>")
        << true << QString::fromUtf8("7-ä") << QStringList{"a"};
    QTest::newRow("another element before the list")
        << QByteArray(
               "<r><TopVersion>7</TopVersion><Other>9</Other><VersionList>a</VersionList></r>")
        << true << "7" << QStringList();
    QTest::newRow("garbage after the list")
        << QByteArray("<r><TopVersion>7</TopVersion><VersionList>a b</VersionList></wrong><<")
        << true << "7" << QStringList{"a", "b"};
    QTest::newRow("no TopVersion")
        << QByteArray("<r><topversion>1</topversion><VersionList>a</VersionList></r>") << false
        << "" << QStringList();
    QTest::newRow("malformed before the anchor")
        << QByteArray("<r><a></b><TopVersion>1</TopVersion><VersionList>a</VersionList></r>")
        << false << "" << QStringList();
    QTest::newRow("empty file") << QByteArray() << false << "" << QStringList();
}

void UnitsTest::versionsFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QString, top);
    QFETCH(QStringList, list);
    VersionsFileReader reader;
    QCOMPARE(reader.readBytes(bytes), ok);
    QCOMPARE(reader.topVersion, top);
    QCOMPARE(reader.versionList, list);
}

QUILLMOOR_TEST_MAIN(UnitsTest)
#include "tst_units.moc"

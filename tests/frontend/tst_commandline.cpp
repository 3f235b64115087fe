#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "converter/commandline.h"
#include "testsupport.h"

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void fragments();
    void stem_data();
    void stem();
    void splitting_data();
    void splitting();
    void resolution();
};

void CommandLineTest::fragments() {
    using namespace commandline;
    QCOMPARE(pathFragment(QString()), QString());
    QCOMPARE(pathFragment("C:/Daten/ecu.a2l"), QString(" \"C:/Daten/ecu.a2l\""));
    QCOMPARE(pathFragment("/with blank/a.a2l"), QString(" \"/with blank/a.a2l\""));
    QCOMPARE(switchFragment(true, " -z", " "), QString(" -z"));
    QCOMPARE(switchFragment(false, " -z", " "), QString(" "));
    QCOMPARE(switchFragment(false, " -v", QString()), QString());
    QCOMPARE(valueFragment(QString(), " -p "), QString(" "));
    QCOMPARE(valueFragment("ECU1", " -p "), QString(" -p ECU1"));
    QCOMPARE(valueFragment("  two words ", " -n "), QString(" -n   two words "));
    QCOMPARE(commandString("QuillmoorConverter.exe", "convert", " \"a\""),
             QString("QuillmoorConverter.exe convert  \"a\""));
}

void CommandLineTest::stem_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stem");
    QTest::newRow("normal") << "C:/Daten/ecu.a2l"
                            << "C:/Daten/ecu";
    QTest::newRow("dot only in a directory") << "C:/Daten/rev2.1/ecu"
                                             << "C:/Daten/rev2";
    QTest::newRow("no dot") << "C:/Daten/ecu"
                            << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("two dots") << "/x/ecu.v2.cfginclude"
                              << "/x/ecu.v2";
}

void CommandLineTest::stem() {
    QFETCH(QString, path);
    QFETCH(QString, stem);
    QCOMPARE(commandline::stemOf(path), stem);
}

void CommandLineTest::splitting_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("pieces");
    // The convert example: two blanks after convert, before -i and before -p.
    QTest::newRow("convert example")
        << "QuillmoorConverter.exe convert  \"C:/Daten/ecu.a2l\" \"C:/Daten/ecu.cfginclude\"  -i  "
           "-p ECU1 -l tarVix=2017.06.0"
        << QStringList{"QuillmoorConverter.exe",
                       "convert",
                       "C:/Daten/ecu.a2l",
                       "C:/Daten/ecu.cfginclude",
                       "-i",
                       "-p",
                       "ECU1",
                       "-l",
                       "tarVix=2017.06.0"};
    QTest::newRow("quoted blanks")
        << "prog  \"/a b/c d.a2l\"  x" << QStringList{"prog", "/a b/c d.a2l", "x"};
    QTest::newRow("prefix of two words")
        << "prog -p two words" << QStringList{"prog", "-p", "two", "words"};
    QTest::newRow("prefix of blanks")
        << "prog -p    -l tarVix=1.4.4" << QStringList{"prog", "-p", "-l", "tarVix=1.4.4"};
    QTest::newRow("empty quotes vanish") << "prog \"\" x" << QStringList{"prog", "x"};
    QTest::newRow("triple quote is a literal quote")
        << "prog \"a\"\"\"b\"" << QStringList{"prog", "a\"b"};
    QTest::newRow("only blanks") << "   " << QStringList{};
}

void CommandLineTest::splitting() {
    QFETCH(QString, command);
    QFETCH(QStringList, pieces);
    QCOMPARE(commandline::splitCommand(command), pieces);
}

void CommandLineTest::resolution() {
    QTemporaryDir work, app, pathA, pathB;
    QVERIFY(work.isValid() && app.isValid() && pathA.isValid() && pathB.isValid());
    const QString name = "QuillmoorConverter.exe";
    auto place = [&](const QTemporaryDir& dir, bool executable) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
        if (executable) {
            p |= QFile::ExeOwner;
        }
        QVERIFY(QFile::setPermissions(dir.filePath(name), p));
    };
    const QByteArray searchPath =
        (pathA.path() + QDir::listSeparator() + pathB.path()).toLocal8Bit();

    // Nothing anywhere: the bare name comes back, so that starting fails visibly.
    QCOMPARE(commandline::resolveProgram(name, work.path(), app.path(), searchPath), name);

    place(pathB, true);
    QCOMPARE(commandline::resolveProgram(name, work.path(), app.path(), searchPath),
             QDir::cleanPath(pathB.filePath(name)));
    place(pathA, false);
#ifdef Q_OS_WIN
    // Windows has no execute permission: an .exe is a program wherever it lies.
    QCOMPARE(commandline::resolveProgram(name, work.path(), app.path(), searchPath),
             QDir::cleanPath(pathA.filePath(name)));
#else
    // not executable: skipped
    QCOMPARE(commandline::resolveProgram(name, work.path(), app.path(), searchPath),
             QDir::cleanPath(pathB.filePath(name)));
#endif
    place(app, true);
    QCOMPARE(commandline::resolveProgram(name, work.path(), app.path(), searchPath),
             QDir::cleanPath(app.filePath(name)));
    place(work, true);
    QCOMPARE(commandline::resolveProgram(name, work.path(), app.path(), searchPath),
             QDir::cleanPath(work.filePath(name)));

    // A name with a directory part is used as given.
    QCOMPARE(commandline::resolveProgram("./tool", work.path(), app.path(), searchPath),
             QString("./tool"));
    // A directory of that name is no program.
    QTemporaryDir other;
    QVERIFY(QDir(other.path()).mkdir(name));
    QCOMPARE(commandline::resolveProgram(name, other.path(), QString(), QByteArray()), name);
}

QUILLMOOR_TEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"

// /include: quoted and bare paths, / and \, relative to the including file, nested,
// capitals, missing files, cycles and the depth cap.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "test_helpers.h"

using a2ltest::TempDir;

namespace {

std::string meas(const std::string& name) {
    return "/begin MEASUREMENT " + name +
           " \"\" UBYTE NO_COMPU_METHOD 0 0 0 255 /end MEASUREMENT\n";
}

// The read failed with an error in file `file` (its name), at `line` and `column` (0: any),
// saying `says`.
void expectError(const a2l::ReadResult& result, const char* file, std::uint32_t line,
                 const char* says, std::uint32_t column = 0) {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(std::filesystem::path(result.error->location.file).filename(), file);
    if (line) {
        EXPECT_EQ(result.error->location.line, line);
    }
    if (column) {
        EXPECT_EQ(result.error->location.column, column);
    }
    EXPECT_NE(result.error->message.find(says), std::string::npos) << result.error->message;
}

std::vector<std::string> measurementNames(const a2l::Document& doc) {
    std::vector<std::string> names;
    for (const auto& m : doc.all<a2l::Measurement>()) {
        names.push_back(m.name);
    }
    return names;
}

TEST(Includes, NestedAndRelativeToTheIncludingFile) {
    TempDir dir;
    auto main = dir.write("main.a2l", "/begin PROJECT p \"\"\n/begin MODULE m \"\"\n" + meas("m0") +
                                          "/include \"sub/a.a2l\"\n" + meas("m3") +
                                          "/INCLUDE sub\\d.a2l\n/end MODULE\n/end PROJECT\n");
    dir.write("sub/a.a2l", meas("m1") + "/Include \"../b.a2l\"\n");
    dir.write("b.a2l", "/include \"./sub/c.a2l\"" + meas("m2b"));
    dir.write("sub/c.a2l", meas("m2a"));
    dir.write("sub/d.a2l", meas("m4"));
    auto result = a2l::readFile(main);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    const auto& doc = *result.document;
    EXPECT_EQ(doc.files().size(), 5u);
    // File order is kept across files; includes are transparent in the tree.
    EXPECT_EQ(measurementNames(doc),
              (std::vector<std::string>{"m0", "m1", "m2a", "m2b", "m3", "m4"}));
    auto module = doc.blocks(a2l::BlockKind::Module).at(0);
    EXPECT_EQ(module.children().size(), 6u);
    for (const auto& child : module.children()) {
        EXPECT_EQ(child.parent(), module);
    }
    auto m2a = doc.find(a2l::BlockKind::Measurement, "m2a");
    ASSERT_TRUE(m2a);
    EXPECT_EQ(std::filesystem::path(m2a.location().file).filename(), "c.a2l");
    EXPECT_EQ(m2a.location().line, 1u);
}

TEST(Includes, FileNameCaseIsForgiven) {
    TempDir dir;
    auto main =
        dir.write("main.a2l", "/begin MODULE m \"\"\n/include \"PARTS.A2L\"\n/end MODULE\n");
    dir.write("parts.a2l", meas("x"));
    auto result = a2l::readFile(main);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    EXPECT_EQ(measurementNames(*result.document), std::vector<std::string>{"x"});
}

TEST(Includes, IncludePathsAreSearchedAfterTheFilesFolder) {
    TempDir dir;
    auto main = dir.write("a/main.a2l", "/begin MODULE m \"\" /include \"lib.a2l\" /end MODULE\n");
    dir.write("common/lib.a2l", meas("fromLib"));
    EXPECT_FALSE(a2l::readFile(main).ok());
    a2l::ReadOptions options;
    options.includePaths.push_back(dir.path() / "common");
    auto result = a2l::readFile(main, options);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    EXPECT_EQ(measurementNames(*result.document), std::vector<std::string>{"fromLib"});
}

TEST(Includes, MissingFileIsAnErrorAtTheDirective) {
    TempDir dir;
    auto main = dir.write("main.a2l", "/begin MODULE m \"\"\n  /include sub/a.a2l\n/end MODULE\n");
    dir.write("sub/a.a2l", "\n\n    /include \"gone.aml\"\n");
    expectError(a2l::readFile(main), "a.a2l", 3, "\"gone.aml\" not found", 5);
}

TEST(Includes, CyclesAreDetected) {
    TempDir dir;
    auto self = dir.write("self.a2l", "/include \"self.a2l\"\n");
    auto a = dir.write("a.a2l", "/include \"b.a2l\"\n");
    dir.write("b.a2l", "\n/include \"sub/../a.a2l\"\n");
    expectError(a2l::readFile(self), "self.a2l", 1, "include cycle: self.a2l -> self.a2l");
    std::filesystem::create_directories(dir.path() / "sub");
    expectError(a2l::readFile(a), "b.a2l", 2, "include cycle: a.a2l -> b.a2l -> a.a2l");
}

TEST(Includes, SameFileTwiceIsNoCycle) {
    TempDir dir;
    auto main =
        dir.write("main.a2l", "/begin MODULE m \"\" /include x.a2l /include x.a2l /end MODULE");
    dir.write("x.a2l", "/begin UNIT u \"\" \"m\" EXTENDED_SI /end UNIT\n");
    auto result = a2l::readFile(main);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    EXPECT_EQ(result.document->count(a2l::BlockKind::Unit), 2u);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].message.find("duplicate UNIT \"u\""), std::string::npos);
}

TEST(Includes, DepthIsCapped) {
    TempDir dir;
    for (int i = 0; i < 6; ++i) {
        dir.write("f" + std::to_string(i) + ".a2l",
                  "/include f" + std::to_string(i + 1) + ".a2l\n");
    }
    dir.write("f6.a2l", meas("deep"));
    a2l::ReadOptions options;
    options.maxIncludeDepth = 6;
    EXPECT_TRUE(a2l::readFile(dir.path() / "f0.a2l", options).ok());
    options.maxIncludeDepth = 5;
    expectError(a2l::readFile(dir.path() / "f0.a2l", options), "f5.a2l", 0,
                "includes nested deeper than 5");
}

TEST(Includes, ErrorsInIncludedFilesNameThatFile) {
    TempDir dir;
    auto main = dir.write("main.a2l", "/begin MODULE m \"\"\n/include part.a2l\n/end MODULE\n");
    dir.write("part.a2l", "/begin MEASUREMENT x \"ok\"\n  \"broken\n/end MEASUREMENT\n");
    expectError(a2l::readFile(main), "part.a2l", 2, "unterminated string", 3);
}

TEST(Includes, BlocksMustCloseInTheirOwnFile) {
    TempDir dir;
    auto main = dir.write("main.a2l", "/include open.a2l\n/end MODULE\n");
    dir.write("open.a2l", "/begin MODULE m \"\"\n");
    expectError(a2l::readFile(main), "open.a2l", 0, "/begin MODULE is never closed");
}

TEST(Includes, CommentedIncludeIsIgnored) {
    TempDir dir;
    auto main = dir.write(
        "main.a2l", "// /include \"missing.a2l\"\n/* /include missing.a2l */\n" + meas("only"));
    auto result = a2l::readFile(main);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    EXPECT_EQ(result.document->files().size(), 1u);
}

TEST(Includes, MissingMainFileIsAnError) {
    TempDir dir;
    expectError(a2l::readFile(dir.path() / "absent.a2l"), "absent.a2l", 0, "cannot open");
}

TEST(Includes, CanBeSwitchedOffForUntrustedInput) {
    TempDir dir;
    auto main = dir.write("main.a2l", "/begin MODULE m \"\"\n  /include part.a2l\n/end MODULE\n");
    dir.write("part.a2l", meas("x"));
    a2l::ReadOptions options;
    options.followIncludes = false;
    expectError(a2l::readFile(main, options), "main.a2l", 2, "/include is switched off");
}

TEST(Includes, TransparentInsideIfData) {
    TempDir dir;
    auto main = dir.write(
        "main.a2l",
        "/begin MODULE m \"\"\n/begin MEASUREMENT x \"\" UBYTE NO_COMPU_METHOD 0 0 0 255\n"
        "  /begin IF_DATA XCP /include daq.a2l /end IF_DATA\n/end MEASUREMENT\n/end MODULE\n");
    dir.write("daq.a2l", "/begin DAQ_EVENT FIXED_EVENT_LIST EVENT 3 /end DAQ_EVENT\n");
    auto result = a2l::readFile(main);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    auto m = result.document->find<a2l::Measurement>("x");
    ASSERT_TRUE(m);
    ASSERT_EQ(m->ifData.size(), 1u);
    EXPECT_EQ(m->daqEvents.fixedEvents, std::vector<std::uint32_t>{3});
    EXPECT_EQ(m->ifData[0].children().size(), 1u);
}

TEST(Includes, AFileIncludedAgainIsReadOnceAndTheTotalIsCapped) {
    TempDir dir;
    std::string main = "/begin MODULE m \"\"\n";
    for (int i = 0; i < 10; ++i) {
        main += "/include part.a2l\n";
    }
    main += "/end MODULE\n";
    auto mainPath = dir.write("main.a2l", main);
    // About 10 kB: a unit and a long comment.
    dir.write("part.a2l", "/begin UNIT u \"\" \"m\" EXTENDED_SI /end UNIT\n/* " +
                              std::string(10000, 'c') + " */\n");
    a2l::ReadOptions options;
    options.validate = false;
    auto result = a2l::readFile(mainPath, options);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    const auto& doc = *result.document;
    EXPECT_EQ(doc.files().size(), 11u);
    auto units = doc.blocks(a2l::BlockKind::Unit);
    ASSERT_EQ(units.size(), 10u);
    // Every inclusion reads the same bytes, not a copy of its own.
    for (const auto& u : units) {
        EXPECT_EQ(u.rawText().data(), units.front().rawText().data());
        EXPECT_EQ(std::filesystem::path(u.location().file).filename(), "part.a2l");
    }

    // Each inclusion counts: the sixth passes 55,000 bytes.
    options.maxIncludedBytes = 55000;
    expectError(a2l::readFile(mainPath, options), "main.a2l", 7, "add up to more than 55000 bytes");
}

TEST(Includes, WhatIsNoRegularFileIsNamedForWhatItIs) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "folder.a2l");
#ifndef _WIN32
    // Named pipes and devices are POSIX files: Windows has neither behind a file path.
    ASSERT_EQ(::mkfifo((dir.path() / "pipe.a2l").c_str(), 0644), 0);
#endif
    struct Row {
        const char* include;
        const char* says;
    };
    const Row rows[] = {
        {"folder.a2l", "it is a folder, not a regular file"},
#ifndef _WIN32
        {"pipe.a2l", "it is a FIFO (named pipe), not a regular file"},
        {"/dev/null", "it is a character device, not a regular file"},
#endif
    };
    for (const auto& row : rows) {
        auto main = dir.write("main.a2l", std::string("/begin MODULE m \"\"\n/include \"") +
                                              row.include + "\"\n/end MODULE\n");
        // Opening the FIFO would wait for a writer.
        expectError(a2l::readFile(main), "main.a2l", 2, row.says);
    }
#ifndef _WIN32
    expectError(a2l::readFile(dir.path() / "pipe.a2l"), "pipe.a2l", 0, "a FIFO");
#endif
}

}  // namespace

// /include: path forms, relative to the including file, nested, missing files, cycles, caps.
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

// The read failed in the file named `file`, at `line` and `column` (0: any), saying `says`.
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

// Quoted and bare names, / and \, other capitals, commented ones, include paths, IF_DATA.
TEST(Includes, NestedAndRelativeToTheIncludingFile) {
    TempDir dir;
    auto main = dir.write(
        "main.a2l", "/begin PROJECT p \"\"\n/begin MODULE m \"\"\n" + meas("m0") +
                        "/include \"sub/a.a2l\"\n" + meas("m3") +
                        "/INCLUDE sub\\d.a2l\n// /include \"missing.a2l\"\n"
                        "/* /include missing.a2l */ /include \"PARTS.A2L\" /include lib^1.a2l "
                        "/include LIB~2.A2L\n"
                        "/begin MEASUREMENT m7 \"\" UBYTE NO_COMPU_METHOD 0 0 0 255\n"
                        "  /begin IF_DATA XCP /include daq.a2l /end IF_DATA\n/end MEASUREMENT\n"
                        "/end MODULE\n/end PROJECT\n");
    dir.write("sub/a.a2l", meas("m1") + "/Include \"../b.a2l\"\n");
    dir.write("b.a2l", "/include \"./sub/c.a2l\"" + meas("m2b"));
    dir.write("sub/c.a2l", meas("m2a"));
    dir.write("sub/d.a2l", meas("m4"));
    dir.write("parts.a2l", meas("m5"));
    dir.write("common/lib^1.a2l", meas("m6"));
    dir.write("lib~1.a2l", meas("m6"));  // no case folding makes ~ a ^, or ^ a ~
    dir.write("common/lib~2.a2l", meas("m6b"));
    dir.write("lib^2.a2l", meas("m6x"));
    dir.write("daq.a2l", "/begin DAQ_EVENT FIXED_EVENT_LIST EVENT 3 /end DAQ_EVENT\n");
    EXPECT_FALSE(a2l::readFile(main).ok());
    a2l::ReadOptions options;  // searched after the including file's folder
    options.includePaths.push_back(dir.path() / "common");
    auto result = a2l::readFile(main, options);
    ASSERT_TRUE(result.ok()) << result.error->toString();
    const auto& doc = *result.document;
    EXPECT_EQ(doc.files().size(), 9u);
    // File order is kept across files; includes are transparent in the tree.
    std::vector<std::string> names;
    for (const auto& m : doc.all<a2l::Measurement>())
        names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"m0", "m1", "m2a", "m2b", "m3", "m4", "m5", "m6",
                                               "m6b", "m7"}));
    auto module = doc.blocks(a2l::BlockKind::Module).at(0);
    EXPECT_EQ(module.children().size(), 10u);
    for (const auto& child : module.children())
        EXPECT_EQ(child.parent(), module);
    auto m2a = doc.find(a2l::BlockKind::Measurement, "m2a");
    ASSERT_TRUE(m2a);
    EXPECT_EQ(std::filesystem::path(m2a.location().file).filename(), "c.a2l");
    EXPECT_EQ(m2a.location().line, 1u);
    // Inside an IF_DATA too.
    const auto m7 = doc.find<a2l::Measurement>("m7").value();
    ASSERT_EQ(m7.ifData.size(), 1u);
    EXPECT_EQ(m7.ifData[0].children().size(), 1u);
    EXPECT_EQ(m7.daqEvents.fixedEvents, std::vector<std::uint32_t>{3});
}

TEST(Includes, DepthIsCapped) {
    TempDir dir;
    for (int i = 0; i < 6; ++i)
        dir.write("f" + std::to_string(i) + ".a2l",
                  "/include f" + std::to_string(i + 1) + ".a2l\n");
    dir.write("f6.a2l", meas("deep"));
    a2l::ReadOptions options;
    options.maxIncludeDepth = 6;
    EXPECT_TRUE(a2l::readFile(dir.path() / "f0.a2l", options).ok());
    options.maxIncludeDepth = 5;
    expectError(a2l::readFile(dir.path() / "f0.a2l", options), "f5.a2l", 0,
                "includes nested deeper than 5");
    // Five levels inside one object: what follows the innermost include is read in its file.
    dir.write("m.a2l",
              "/begin MEASUREMENT x \"\" UBYTE NO_COMPU_METHOD 0 0 0 255\n"
              "/include f2.a2l\n/end MEASUREMENT\n");
    dir.write("f5.a2l", "/include f6.a2l\nECU_ADDRESS 0x1234\n");
    dir.write("f6.a2l", "FORMAT \"%5.2\"\n");
    auto result = a2l::readFile(dir.path() / "m.a2l");
    ASSERT_TRUE(result.ok()) << result.error->toString();
    const auto x = result.document->find<a2l::Measurement>("x").value();
    EXPECT_EQ(std::tie(x.ecuAddress, x.format), std::make_tuple(0x1234u, "%5.2"));
}

// A failing read names the file where it failed (`file`), the line and column (0: any).
TEST(Includes, FailuresNameTheirFile) {
    struct Row {
        const char* name;
        bool followIncludes;
        const char* file;
        std::uint32_t line;
        std::uint32_t column;
        const char* says;
        const char* main;  // read; its text (nullptr: the file is not written)
        const char* mainText;
        const char* other;  // another file and its text, or nullptr
        const char* otherText;
    };
    const Row rows[] = {
        {"missing file, at the directive", true, "a.a2l", 3, 5, "\"gone.aml\" not found",
         "main.a2l", "/begin MODULE m \"\"\n  /include sub/a.a2l\n/end MODULE\n", "sub/a.a2l",
         "\n\n    /include \"gone.aml\"\n"},
        {"includes itself", true, "self.a2l", 1, 0, "include cycle: self.a2l -> self.a2l",
         "self.a2l", "/include \"self.a2l\"\n", nullptr, nullptr},
        // b.a2l names its includer as sub/../a.a2l: the same file by another path.
        {"cycle through another file", true, "b.a2l", 2, 0,
         "include cycle: a.a2l -> b.a2l -> a.a2l", "a.a2l", "/include \"sub/b.a2l\"\n", "sub/b.a2l",
         "\n/include \"../a.a2l\"\n"},
        {"error inside an included file", true, "part.a2l", 2, 3, "unterminated string", "main.a2l",
         "/begin MODULE m \"\"\n/include part.a2l\n/end MODULE\n", "part.a2l",
         "/begin MEASUREMENT x \"ok\"\n  \"broken\n/end MEASUREMENT\n"},
        {"block left open at the end of its file", true, "open.a2l", 0, 0,
         "/begin MODULE is never closed", "main.a2l", "/include open.a2l\n/end MODULE\n",
         "open.a2l", "/begin MODULE m \"\"\n"},
        {"includes switched off", false, "main.a2l", 2, 0, "/include is switched off", "main.a2l",
         "/begin MODULE m \"\"\n  /include part.a2l\n/end MODULE\n", "part.a2l", ""},
        {"missing main file", true, "absent.a2l", 0, 0, "cannot open", "absent.a2l", nullptr,
         nullptr, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        if (row.mainText)
            dir.write(row.main, row.mainText);
        if (row.other)
            dir.write(row.other, row.otherText);
        a2l::ReadOptions options;
        options.followIncludes = row.followIncludes;
        expectError(a2l::readFile(dir.path() / row.main, options), row.file, row.line, row.says,
                    row.column);
    }
}

TEST(Includes, AFileIncludedAgainIsReadOnceAndTheTotalIsCapped) {
    TempDir dir;
    std::string main = "/begin MODULE m \"\"\n";
    for (int i = 0; i < 10; ++i)
        main += "/include part.a2l\n";
    main += "/end MODULE\n";
    auto mainPath = dir.write("main.a2l", main);
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

    // Each inclusion counts: ten of them just fit, the sixth passes 55,000 bytes.
    options.maxIncludedBytes = 10 * std::filesystem::file_size(dir.path() / "part.a2l");
    EXPECT_TRUE(a2l::readFile(mainPath, options).ok());
    options.maxIncludedBytes = 55000;
    expectError(a2l::readFile(mainPath, options), "main.a2l", 7, "add up to more than 55000 bytes");
    // Again after another file: the third inclusion reads part.a2l, not the file before it.
    dir.write("other.a2l", "/begin UNIT o \"\" \"m\" EXTENDED_SI /end UNIT\n");
    auto mixed = a2l::readText("/include part.a2l /include other.a2l /include part.a2l",
                               (dir.path() / "mixed.a2l").string(), options);
    ASSERT_TRUE(mixed.ok()) << mixed.error->toString();
    EXPECT_EQ(mixed.document->blocks(a2l::BlockKind::Unit).at(2).name(), "u");
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

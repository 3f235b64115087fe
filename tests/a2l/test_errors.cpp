// Errors stop the read at file, line and column; tolerated problems become warnings there.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_helpers.h"

namespace {

struct ErrorRow {
    const char* name;
    std::string input;
    std::uint32_t line;
    std::uint32_t column;
    const char* says;  // part of the message
};

std::string deepNesting(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "/begin B\n";
    for (int i = 0; i < depth; ++i)
        s += "/end B\n";
    return s;
}

TEST(Errors, StructuralErrorsStopTheReadAtTheirPlace) {
    const ErrorRow rows[] = {
        {"end names another block", "/begin PROJECT p \"\"\n  /begin MODULE m \"\"\n/end PROJECT\n",
         3, 1, "expected /end MODULE to close the block begun at line 2, found /end PROJECT"},
        {"end without begin", "ASAP2_VERSION 1 71\n  /end MODULE\n", 2, 3,
         "/end MODULE without a matching /begin"},
        {"begin never closed", "/begin PROJECT p \"\"\n /begin HEADER \"h\"\n/end HEADER\n", 1, 8,
         "/begin PROJECT is never closed: expected /end PROJECT"},
        {"string open at end of file", "/begin X \"abc", 1, 10,
         "unterminated string: expected the closing quote before the end of the file"},
        {"line break inside a string", "/begin X\n  \"line\nbreak\" /end X", 2, 3,
         "expected the closing quote before the end of the line"},
        {"comment never closed", "/begin X 1 /end X\n  /* no end", 2, 3,
         "unterminated comment: expected \"*/\""},
        {"string instead of keyword", "/begin \"X\n\" /end X", 1, 8,
         "expected a block keyword after /begin, found \"X\""},  // up to the line's end
        {"long string instead of keyword", "/begin \"" + std::string(50, 's') + "\"", 1, 8,
         "found \"sssssssssssssssssssssssssssssssssssssss\""},  // cut after 40 characters
        {"keyword too long", "/begin " + std::string(70000, 'K') + " /end K", 1, 8,
         "block keyword too long"},
        {"begin at end of file", "/begin   ", 1, 10,
         "expected a block keyword after /begin, found the end of the file"},
        {"end at end of file", "/begin X\n/end", 2, 5, "expected a block keyword after /end"},
        {"directive instead of keyword", "/begin /end X", 1, 8,
         "expected a block keyword after /begin, found \"/end\""},
        {"missing include", "/begin P\n   /include \"nope.a2l\"\n/end P", 2, 4,
         "included file \"nope.a2l\" not found"},
        {"include without a name", "/include /begin X /end X", 1, 1,
         "expected a file name after /include"},
        {"A2ML never closed", "/begin A2ML block \"X\" struct { };", 1, 1,
         "/begin A2ML is never closed"},
        {"nesting deeper than the cap", deepNesting(300), 257, 1, "blocks nested deeper than 256"},
    };
    for (const auto& row : rows) {
        auto result = a2l::readText(row.input, "bad.a2l");
        ASSERT_TRUE(!result.ok() && result.error) << row.name;
        const auto& e = *result.error;
        EXPECT_EQ(e.toString(), "bad.a2l:" + std::to_string(row.line) + ":" +
                                    std::to_string(row.column) + ": error: " + e.message)
            << row.name;
        EXPECT_NE(e.message.find(row.says), std::string::npos) << row.name << ": " << e.message;
    }
}

TEST(Errors, NestingCapIsAnOption) {
    a2l::ReadOptions options;
    options.maxNesting = 4;
    EXPECT_TRUE(a2l::readText(deepNesting(4), "x.a2l", options).ok());
    auto result = a2l::readText(deepNesting(5), "x.a2l", options);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error->location.line, 5u);
    // Hostile nesting without a cap: the reader keeps its own stack, not recursion.
    options.maxNesting = 2000000;
    result = a2l::readText(deepNesting(200000), "deep.a2l", options);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.document->blockCount(), 200000u);
}

struct WarningRow {
    const char* name;
    bool deepOnly;     // found only by ReadOptions::validateDeep (optional keywords)
    std::string body;  // inside a MODULE that defines COMPU_METHOD CM
    std::uint32_t line;
    std::uint32_t column;
    const char* says;
};

TEST(Errors, ToleratedProblemsAreWarningsAtTheirPlace) {
    const std::string head =
        "/begin PROJECT p \"\"\n/begin MODULE m \"\"\n"
        "/begin COMPU_METHOD CM \"\" IDENTICAL \"%4.0\" \"\" /end COMPU_METHOD\n";
    const std::string tail = "\n/end MODULE\n/end PROJECT\n";
    const std::string M = "/begin MEASUREMENT x \"\" UBYTE CM 0 0 ", E = " /end MEASUREMENT";
    const WarningRow rows[] = {
        {"identifier for a number", false, M + "inf 255" + E, 4, 38,
         "MEASUREMENT x: expected a number for the lower limit, found identifier \"inf\""},
        {"malformed number", false, M + "1.2.3 255" + E, 4, 38,
         "MEASUREMENT x: expected a number for the lower limit, found"},
        {"string for an identifier", false, "/begin MEASUREMENT x \"\" UBYTE \"CM\" 0 0 0 255" + E,
         4, 31, "expected an identifier for the conversion, found string \"CM\""},
        {"bad ECU_ADDRESS", true, M + "0 255\n ECU_ADDRESS 0x12G4" + E, 5, 14,
         "ECU_ADDRESS 0x12G4 is no address"},
        {"MATRIX_DIM beyond 32 bits", true, M + "0 255 MATRIX_DIM 2 4.29497e+09" + E, 4, 57,
         "MATRIX_DIM value 4.29497e+09 is out of range"},
        {"negative MATRIX_DIM", true, M + "0 255 MATRIX_DIM -1" + E, 4, 55,
         "MATRIX_DIM value -1 is out of range"},
        {"missing parameter", false, M + "0" + E, 4, 40, "MEASUREMENT x: missing the upper limit"},
        {"undefined COMPU_METHOD", false, "/begin MEASUREMENT x \"\" UBYTE CM_NONE 0 0 0 255" + E,
         4, 8, "MEASUREMENT x: reference to undefined COMPU_METHOD \"CM_NONE\""},
        {"undefined axis conversion", false,
         "/begin CHARACTERISTIC c \"\" CURVE 0x10 RL 0 CM 0 1\n"
         "  /begin AXIS_DESCR STD_AXIS NO_INPUT_QUANTITY CM_AX 8 0 7 STEP_SIZE 1 /end AXIS_DESCR\n"
         "/end CHARACTERISTIC",
         5, 10, "AXIS_DESCR c: reference to undefined COMPU_METHOD \"CM_AX\""},
        {"undefined AXIS_PTS conversion", false,
         "/begin AXIS_PTS ax \"\" 0x10 NO_INPUT_QUANTITY RL 0 CM_AX 8 0 7 /end AXIS_PTS", 4, 8,
         "AXIS_PTS ax: reference to undefined COMPU_METHOD \"CM_AX\""},
        {"unknown datatype", false, "/begin MEASUREMENT x \"\" UBYTE7 CM 0 0 0 255" + E, 4, 25,
         "unknown datatype \"UBYTE7\""},
        {"byte order without its value", true, M + "0 255 BYTE_ORDER" + E, 4, 55,
         "MEASUREMENT x: missing BYTE_ORDER"},
        {"number below a double", true, M + "1e-400 255" + E, 4, 38,
         "the lower limit 1e-400 is beyond the range of a double, read as 0"},
        {"unknown byte order", true, M + "0 255 BYTE_ORDER SIDEWAYS" + E, 4, 55,
         "unknown BYTE_ORDER \"SIDEWAYS\""},
        // The first named object of the file is the one that is kept.
        {"duplicate name", false,
         "/begin COMPU_METHOD CM \"\" IDENTICAL \"%4.0\" \"\" /end COMPU_METHOD", 4, 21,
         "duplicate COMPU_METHOD \"CM\""},
        {"identifier for a coefficient", false,
         "/begin COMPU_METHOD CM2 \"\" LINEAR \"%4.0\" \"\" COEFFS_LINEAR 1 x /end COMPU_METHOD", 4,
         61, "COMPU_METHOD CM2: expected a number for coefficient b, found identifier \"x\""},
        {"second default value", false,
         "/begin COMPU_VTAB V \"\" TAB_VERB 1 0 \"a\" DEFAULT_VALUE \"z\" \"y\" /end COMPU_VTAB", 4,
         59, "unexpected string \"y\""},
        {"short table", false,
         "/begin COMPU_VTAB V \"\" TAB_VERB 3 0 \"a\" 1 \"b\" DEFAULT_VALUE \"z\" /end COMPU_VTAB",
         4, 47, "table announces 3 entries but has 2"},
        {"undefined table reference", false,
         "/begin COMPU_METHOD CM2 \"\" TAB_VERB \"%4.0\" \"\" COMPU_TAB_REF NOPE /end COMPU_METHOD",
         4, 8, "COMPU_TAB_REF to undefined table \"NOPE\""},
    };
    for (const auto& row : rows) {
        for (bool deep : {false, true}) {
            a2l::ReadOptions options;
            options.validateDeep = deep;
            auto result = a2l::readText(head + row.body + tail, "w.a2l", options);
            ASSERT_TRUE(result.ok()) << row.name << ": " << result.error->toString();
            if (row.deepOnly && !deep) {
                EXPECT_TRUE(result.warnings.empty()) << row.name;
                continue;
            }
            ASSERT_EQ(result.warnings.size(), 1u) << row.name;
            const auto& w = result.warnings[0];
            EXPECT_EQ(w.toString(), "w.a2l:" + std::to_string(row.line) + ":" +
                                        std::to_string(row.column) + ": warning: " + w.message)
                << row.name;
            EXPECT_NE(w.message.find(row.says), std::string::npos) << row.name << ": " << w.message;
        }
    }
    // A conversion without its type, format and unit: three missing fields, and the type is
    // not called unknown besides.
    auto bare = a2l::readText(head + "/begin COMPU_METHOD C \"\" /end COMPU_METHOD" + tail, "w");
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(bare.warnings.size(), 3u);
    // Duplicates come in the order of the file, not of the name index (m2 sorts first there).
    std::string twice;
    for (const char* n : {"m1", "m2", "m1", "m2"})
        twice +=
            std::string("/begin MEASUREMENT ") + n + " \"\" UBYTE CM 0 0 0 255 /end MEASUREMENT\n";
    auto dups = a2l::readText(head + twice + tail, "w");
    ASSERT_EQ(dups.warnings.size(), 2u);
    EXPECT_EQ(std::make_pair(dups.warnings[0].location.line, dups.warnings[1].location.line),
              std::make_pair(6u, 7u));
}

TEST(Errors, WarningsBeyondTheCapAreCounted) {
    std::string text = "/begin MODULE m \"\"\n";
    for (int i = 0; i < 20; ++i)
        text += "/begin MEASUREMENT m" + std::to_string(i) +
                " \"\" UBYTE UNDEFINED 0 0 0 255 ECU_ADDRESS 0x12G4 /end MEASUREMENT\n";
    text += "/end MODULE\n";
    a2l::ReadOptions options;
    options.maxWarnings = 5;
    auto result = a2l::readText(text, "many.a2l", options);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.warnings.size(), 5u);
    EXPECT_EQ(result.suppressedWarnings, 15u);
    EXPECT_EQ(result.document->suppressedWarnings(), 15u);
    // The full decoder's findings on measurements are kept with nothing else to decode after
    // them (each object's findings pass on when it is done).
    options.maxWarnings = 1000;
    options.validateDeep = true;
    result = a2l::readText(text, "many.a2l", options);
    ASSERT_TRUE(result.ok());
    auto bad = [](const a2l::Diagnostic& w) {
        return w.message.find("0x12G4 is no address") != std::string::npos;
    };
    EXPECT_EQ(std::count_if(result.warnings.begin(), result.warnings.end(), bad), 20);
}

}  // namespace

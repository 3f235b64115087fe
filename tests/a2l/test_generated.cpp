// A generated file read on two threads gives what one thread reads.
#include <gtest/gtest.h>

#include "a2l_generator.h"
#include "test_helpers.h"

namespace {

// All a caller sees of a read: error, warnings, unknown keywords, and the tree with the ids,
// places and extents of its blocks and the block each object name finds.
std::string fingerprint(const a2l::ReadResult& r) {
    std::string s = r.error ? "error " + r.error->toString() + "\n" : "";
    for (const auto& w : r.warnings)
        s += w.toString() + "\n";
    s += std::to_string(r.suppressedWarnings) + " suppressed\n";
    if (!r.ok())
        return s;
    const a2l::Document& doc = *r.document;
    for (const auto& [keyword, n] : doc.unknownKeywords())
        s += keyword + "=" + std::to_string(n) + "\n";
    std::vector<a2l::BlockRef> open{doc.root()};
    while (!open.empty()) {
        a2l::BlockRef b = open.back();
        open.pop_back();
        s += std::to_string(b.id()) + " " + std::string(b.keyword()) + " " + std::string(b.name()) +
             " in " + std::to_string(b.parent().id()) + " at " + std::to_string(b.line()) + " " +
             std::to_string(b.rawText().size()) + " " + std::to_string(b.params().size()) + "\n";
        auto children = b.children();
        open.insert(open.end(), children.rbegin(), children.rend());
        if (b.kind() != a2l::BlockKind::Other)
            s += "finds " + std::to_string(doc.find(b.kind(), b.name()).id()) + "\n";
    }
    for (int k = 0; k < static_cast<int>(a2l::BlockKind::Count_); ++k) {
        for (const auto& b : doc.blocks(static_cast<a2l::BlockKind>(k)))
            s += std::to_string(b.id()) + " ";
    }
    return s;
}

// `insert` put in at the start of the first object line after `at` (a fraction of the text).
std::string withInsert(std::string text, double at, const std::string& insert) {
    auto pos = text.find("\n    /begin ", static_cast<std::size_t>(text.size() * at));
    return text.insert(pos + 1, insert);
}

TEST(TwoThreads, ReadTheDocumentOneThreadReads) {
    a2l::gen::Options options;
    options.targetBytes = 300'000;
    const std::string text = a2l::gen::generateString(options);
    const std::string m = "/begin MEASUREMENT ";
    const std::string limits = " UBYTE CM_IDENT 0 0 0 255 /end MEASUREMENT\n";
    a2ltest::TempDir dir;
    dir.write("part.a2l", m + "M_Included \"\"" + limits);
    std::string hidden;  // object lines enough to hold the middle of the text
    for (int i = 0; i < 20; ++i)
        hidden += m + "M_Hidden \"\"" + limits;
    const std::string twiceCm =
        "/begin COMPU_METHOD CM_Twice \"\" IDENTICAL \"%4.0\" \"\" /end COMPU_METHOD\n";
    std::string kinds;  // more warnings than are kept
    for (int i = 0; i < 4; ++i)
        kinds += m + "M_Kinds 7" + limits;
    auto swap = [&](std::string s, const std::string& from, const std::string& to) {
        s.replace(s.find("/begin " + from), 7 + from.size(), "/begin " + to);
        s.replace(s.find("/end " + from), 5 + from.size(), "/end " + to);
        return s;
    };
    std::string deep;  // eight levels
    for (int i = 0; i < 8; ++i)
        deep = "/begin V" + std::to_string(i) + " " + deep + " /end V" + std::to_string(i);
    std::string deeper = text;
    deeper.replace(deeper.find("/begin MODULE"), 6, "/begin GROUP G \"\"\n/begin");
    deeper.replace(deeper.find("/end MODULE"), 11, "/end MODULE /end GROUP");
    std::string unclosed = text;
    unclosed.erase(unclosed.find("/end MODULE"), 11);
    struct Row {
        const char* what;
        std::string text;
        unsigned threads;  // 0: the read fails
    } rows[] = {
        {"plain", text, 2},
        {"problems beyond the middle",
         withInsert(withInsert(text, 0.75,
                               m + "M_Twice \"\"" + limits + kinds + m +
                                   "M_Undef \"\" UBYTE CM_NONE 0 0 0 1 /end MEASUREMENT\n" +
                                   "/begin VENDOR_X 1 /end VENDOR_X\n"),
                    0.25, m + "M_Twice \"\"" + limits),
         2},
        // Names are indexed kind by kind, two groups of kinds at once: the duplicates of both
        // are reported as one pass reports them.
        {"duplicates of two kinds",
         withInsert(withInsert(text, 0.75, m + "M_Twice \"\"" + limits + twiceCm), 0.25,
                    twiceCm + m + "M_Twice \"\"" + limits),
         2},
        {"middle commented out", withInsert(text, 0.5, "/*\n" + hidden + "*/\n"), 1},
        {"middle inside a group",
         withInsert(withInsert(text, 0.55, "/end GROUP\n"), 0.45, "/begin GROUP G \"\"\n"), 1},
        {"objects in a group, not a module", swap(text, "MODULE", "GROUP"), 1},
        {"module in an IF_DATA",
         swap(withInsert(text, 0.75, "/begin VENDOR_X 1 /end VENDOR_X\n"), "PROJECT", "IF_DATA"),
         1},
        {"module one level deeper, nesting at the limit beyond the middle",
         withInsert(deeper, 0.75, deep + "\n"), 0},
        {"axis description of the module beyond the middle",
         withInsert(text, 0.75, "/begin AXIS_DESCR STD_AXIS Q 7 8 0 1 /end AXIS_DESCR\n"), 1},
        {"include beyond the middle", withInsert(text, 0.75, "/include \"part.a2l\"\n"), 1},
        {"unterminated string", withInsert(text, 0.75, m + "M_Open \"open\n"), 0},
        {"unterminated string before the middle", withInsert(text, 0.25, m + "M_Open \"o\n"), 0},
        {"wrong end", withInsert(text, 0.75, "/begin GROUP G \"\" /end FUNCTION\n"), 0},
        {"module never closed", unclosed, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        a2l::ReadOptions one;
        one.maxWarnings = 3;
        one.maxNesting = 10;
        a2l::ReadOptions two = one;
        two.parallelAbove = 1;
        const std::string name = (dir.path() / "main.a2l").string();
        auto a = a2l::readText(row.text, name, one);
        auto b = a2l::readText(row.text, name, two);
        EXPECT_EQ(std::make_pair(a.ok(), a.threads), std::make_pair(row.threads != 0, 1u));
        if (row.threads != 0) {
            EXPECT_EQ(b.threads, row.threads);
        }
        EXPECT_EQ(fingerprint(a), fingerprint(b));
    }
}

}  // namespace

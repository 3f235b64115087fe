// Tokens as real files write them: strings, numbers, identifiers, comments, directives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>

#include "test_helpers.h"

using a2ltest::readOk;

namespace {

// The parameters of the first block of `text`.
std::vector<a2l::Item> firstBlockParams(const std::string& text) {
    static std::vector<std::shared_ptr<const a2l::Document>> keepAlive;
    auto result = readOk(text);
    if (!result.ok())
        return {};
    keepAlive.push_back(result.document);
    auto children = result.document->root().children();
    if (children.empty()) {
        ADD_FAILURE() << "no block in: " << text;
        return {};
    }
    return children.front().params();
}

struct StringCase {
    const char* written;  // as in the file, quotes included
    const char* decoded;
};

TEST(Lexing, StringEscapes) {
    const StringCase cases[] = {
        {R"("")", ""},
        {R"("a\"b")", "a\"b"},
        {R"("a""b")", "a\"b"},
        {R"("""q""")", "\"q\""},
        {R"("end quote\"")", "end quote\""},
        {R"("back\\slash")", "back\\slash"},
        {R"("x\\")", "x\\"},
        {R"("tab\there")", "tab\there"},
        {R"("nl\nhere")", "nl\nhere"},
        {R"("unknown\q\d\ escapes")", "unknown\\q\\d\\ escapes"},
        {"\"contin\\\nued\"", "continued"},
        {"\"contin\\\r\nued\"", "continued"},
        {"\"end\\\r\n\"", "end"},
        {"\"old mac\\\r\"", "old mac"},       // a CR alone after the backslash, then the quote
        {R"("eight ch\tx")", "eight ch\tx"},  // the escape is the ninth byte
        {R"("/* not a comment */ // nor this")", "/* not a comment */ // nor this"},
        {R"("/begin X")", "/begin X"},
    };
    for (const auto& c : cases) {
        auto params = firstBlockParams(std::string("/begin BLK ") + c.written + " /end BLK");
        ASSERT_EQ(params.size(), 1u) << c.written;
        EXPECT_EQ(params[0].kind, a2l::Item::Kind::String) << c.written;
        EXPECT_EQ(params[0].text, c.decoded) << c.written;
    }
}

// Quotes, blanks and NUL bytes split; identifiers keep their dots, indices and hyphens.
TEST(Lexing, ParametersSplitAsWritten) {
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"\"a\" \"b\"word\"c\"", {"a", "b", "word", "c"}},
        {std::string("a\0b", 3), {"a", "b"}},
        {"veRy_ComPlex[identifier_123].and.I.am.lo__n_g a-b-c x.y[3].z _u - .",
         {"veRy_ComPlex[identifier_123].and.I.am.lo__n_g", "a-b-c", "x.y[3].z", "_u", "-", "."}},
    };
    for (const auto& [written, texts] : rows) {
        std::vector<std::string> got;
        for (const auto& p : firstBlockParams("/begin BLK " + written + " /end BLK"))
            got.push_back(p.text);
        EXPECT_EQ(got, texts) << written;
    }
    for (const auto& p : firstBlockParams("/begin BLK a-b-c x.y[3].z _u /end BLK"))
        EXPECT_EQ(p.kind, a2l::Item::Kind::Identifier) << p.text;
}

// Every number reads as strtod's nearest double: beyond range infinite or zero with its sign,
// subnormals as they are, leading zeros counting neither before an exponent nor as hex digits.
TEST(Lexing, NumberForms) {
    std::istringstream forms(
        "0 42 -7 +5 .1 1. -.5 1.5e3 4.29497e+09 .1E-2 1.E2 0x1F 0XfF -0x10 0x80000000 1e309 "
        "1.8E+308 -1.8E+308 0.001e400 0.001E400 1e-400 -1e-400 2e-324 1000e-327 4.9e-324 "
        "1.7976931348623157e308 0x00000000000000000000001F");
    std::vector<std::string> cases(std::istream_iterator<std::string>(forms), {});
    cases.push_back("0." + std::string(400, '0') + "1e10");
    cases.push_back(std::string(100000, '7'));
    cases.push_back("-" + std::string(400, '9') + ".5");
    for (const auto& written : cases) {
        SCOPED_TRACE(written.substr(0, 40));
        auto params = firstBlockParams("/begin BLK " + written + " /end BLK");
        ASSERT_EQ(params.size(), 1u);
        EXPECT_EQ(params[0].kind, a2l::Item::Kind::Number);
        auto v = params[0].toDouble();
        ASSERT_TRUE(v.has_value());
        const double nearest = std::strtod(written.c_str(), nullptr);
        EXPECT_EQ(*v, nearest);
        EXPECT_EQ(std::signbit(*v), std::signbit(nearest));
    }
}

// Integers take integral floats within their range only.
TEST(Lexing, IntegersAcceptIntegralFloatsOnly) {
    auto params = firstBlockParams(
        "/begin BLK 4.29497e+09 1.5 0xFFFFFFFFFFFFFFFF -1 1e3 0x 12abc "
        "+0xFFFFFFFFFFFFFFFF 1e309 " +
        std::string(30, '9') + " -9223372036854775808 -9223372036854775809 /end BLK");
    ASSERT_EQ(params.size(), 12u);
    EXPECT_EQ(params[0].toUInt(), 4294970000ull);
    EXPECT_FALSE(params[1].toUInt().has_value());
    EXPECT_EQ(params[2].toUInt(), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_FALSE(params[2].toInt());  // beyond int64
    EXPECT_FALSE(params[3].toUInt().has_value());
    EXPECT_EQ(params[3].toInt(), -1);
    EXPECT_EQ(params[4].toInt(), 1000);
    EXPECT_FALSE(params[5].toDouble() || params[6].toDouble());  // "0x" without digits, "12abc"
    EXPECT_EQ(params[7].toUInt(), 0xFFFFFFFFFFFFFFFFull);  // signed, beyond a double's 53 bits
    EXPECT_FALSE(params[8].toUInt().has_value());
    EXPECT_FALSE(params[9].toUInt() || params[9].toInt());
    EXPECT_EQ(params[10].toInt(), std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(params[11].toInt().has_value());
}

// Comments anywhere; directives in any letter case.
TEST(Lexing, CommentsAndDirectives) {
    auto result = readOk(
        "/* head /* a second opener inside is text */\n"
        "/BEGIN /* between directive and keyword */ MEASUREMENT/*glued*/m1 // line comment "
        "/begin NOT_A_BLOCK\n"
        "  \"c\" UBYTE/**/NO_COMPU_METHOD 0 0 0 255 // trailing\n"
        "  ECU_ADDRESS/* glued on both sides */0x10 /Begin IF_DATA X /eNd IF_DATA\n"
        "/END /* before keyword */ MEASUREMENT // done");
    ASSERT_TRUE(result.ok());
    const auto& doc = *result.document;
    EXPECT_EQ(doc.blockCount(), 2u);
    auto ms = doc.all<a2l::Measurement>();
    ASSERT_EQ(ms.size(), 1u);
    EXPECT_EQ(ms[0].name, "m1");
    EXPECT_EQ(ms[0].conversion, "NO_COMPU_METHOD");
    EXPECT_EQ(ms[0].ecuAddress, 0x10u);
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front().toString();
}

}  // namespace

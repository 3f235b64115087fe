// A byte-order mark decides the encoding, else UTF-8 when valid, else Windows-1252; any to UTF-8.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#ifdef __linux__
#include <unistd.h>
#endif

#include "test_helpers.h"

namespace {

// "Temperatur ä € 🚗 U+F0041" (a UTF-8 lead byte above F0) with a warning on line 2 (undefined
// conversion), as narrow (UTF-8), UTF-16 and UTF-32 literals.
#define SOURCE_TEXT(P)                                                                      \
    P##"/begin MODULE m \"Modul \u00e4\"\n/begin MEASUREMENT t \"Temperatur \u00e4 \u20ac " \
       "\U0001F697 \U000F0041\" UBYTE CM_X 0 0 0 255 /end MEASUREMENT\n/end MODULE\n"
const std::string kSource = SOURCE_TEXT();
const std::string kLong = "Temperatur \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x9A\x97 \xF3\xB0\x81\x81";

// The code units of `text` as bytes in either order, behind a byte-order mark.
template <class Char>
std::string encoded(const std::basic_string<Char>& text, bool big) {
    std::string out;
    for (std::uint32_t unit : std::basic_string<Char>(1, Char(0xFEFF)) + text)
        for (std::size_t k = 0; k < sizeof(Char); ++k)
            out += static_cast<char>(unit >> (8 * (big ? sizeof(Char) - 1 - k : k)));
    return out;
}

TEST(Encoding, ByteOrderMarksDecide) {
    struct Case {
        const char* name;
        std::string bytes;
        a2l::Encoding encoding;
    };
    const Case cases[] = {
        {"UTF-8 without BOM", kSource, a2l::Encoding::Bytes},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + kSource, a2l::Encoding::Utf8Bom},
        {"UTF-8, CRLF line ends", std::regex_replace(kSource, std::regex("\n"), "\r\n"),
         a2l::Encoding::Bytes},
        {"UTF-16LE", encoded(std::u16string(SOURCE_TEXT(u)), false), a2l::Encoding::Utf16LE},
        {"UTF-16BE", encoded(std::u16string(SOURCE_TEXT(u)), true), a2l::Encoding::Utf16BE},
        {"UTF-32LE", encoded(std::u32string(SOURCE_TEXT(U)), false), a2l::Encoding::Utf32LE},
        {"UTF-32BE", encoded(std::u32string(SOURCE_TEXT(U)), true), a2l::Encoding::Utf32BE},
    };
    for (const auto& c : cases) {
        auto result = a2l::readText(c.bytes, "enc.a2l");
        ASSERT_TRUE(result.ok()) << c.name << ": " << result.error->toString();
        const auto& doc = *result.document;
        EXPECT_EQ(doc.encoding(), c.encoding) << c.name;
        EXPECT_EQ(doc.find<a2l::Measurement>("t").value().longIdentifier, kLong) << c.name;
        // Positions count in the decoded text; a BOM takes no column.
        ASSERT_EQ(result.warnings.size(), 1u) << c.name;
        EXPECT_EQ(result.warnings[0].location.line, 2u) << c.name;
        EXPECT_EQ(result.warnings[0].location.column, 8u) << c.name;
        auto module = doc.blocks(a2l::BlockKind::Module)[0];
        EXPECT_EQ(module.location().column, 8u) << c.name;
        EXPECT_EQ(doc.blocks(a2l::BlockKind::Measurement)[0].line(), 2u) << c.name;
    }
}

// A file edited with two editors holds both encodings; bytes in comments play no part.
TEST(Encoding, EachTextWithoutBomDecidesOnItsOwn) {
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"\xF6\xDF", "\xC3\xB6\xC3\x9F"},  // the same in Latin-1 and Windows-1252
        {"\x93quoted\x94 \x80 \xB0", "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC \xC2\xB0"},
        {"\xC3\xA4", "\xC3\xA4"},                                          // valid UTF-8 among them
        {"\xC3", "\xC3\x83"},                                              // truncated sequence
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                  // overlong
        {"\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},                  // overlong, 3 bytes
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // surrogate
        {"\xF0\x80\x80\xAF", "\xC3\xB0\xE2\x82\xAC\xE2\x82\xAC\xC2\xAF"},  // overlong, 4 bytes
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // beyond U+10FFFF
        {"\x81", "\xC2\x81"},  // unassigned in 1252: C1 control
    };
    std::string text = "/* \xFC\xDF */ /begin B";
    for (const auto& c : cases) {
        text += " \"" + c.bytes + "\"";
    }
    auto result = a2ltest::readOk(text + " /end B // \xFF\xFE\n");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.document->encoding(), a2l::Encoding::Bytes);
    auto params = result.document->root().children()[0].params();
    ASSERT_EQ(params.size(), std::size(cases));
    for (std::size_t i = 0; i < params.size(); ++i) {
        EXPECT_EQ(params[i].text, cases[i].utf8) << i;
    }
    // A byte-order mark alone is an empty text in its encoding.
    EXPECT_EQ(a2l::readText("\xFF\xFE", "le.a2l").document->encoding(), a2l::Encoding::Utf16LE);
    EXPECT_EQ(a2l::readText("\xFE\xFF", "be.a2l").document->encoding(), a2l::Encoding::Utf16BE);
    // Only a whole UTF-32 byte-order mark counts: these are text with NUL characters.
    for (const std::string& start :
         {std::string("\xFF\x41\0\0", 4), std::string("\0\0\x41\xFF", 4)}) {
        auto nul = a2l::readText(start + " /begin B /end B", "nul.a2l");
        ASSERT_TRUE(nul.ok()) << nul.error->toString();
        EXPECT_EQ(nul.document->encoding(), a2l::Encoding::Bytes);
    }
}

#ifdef __linux__
// The reader scans eight bytes at a time past the text, up to its NUL sentinel and padding; a
// file is mapped only when those fit into its last page. For files of a page and around, each
// byte up to the padding lies in the mapping that holds the text (from /proc/self/maps).
TEST(Encoding, TheBytesAfterTheTextAreTheReadersOwn) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    a2ltest::TempDir dir;
    for (std::size_t size : {page - 10, page - 9, page - 8, page - 1, page, page + 1, 2 * page}) {
        const std::string head = "/begin PROJECT p \"\" /end PROJECT";
        auto file = dir.write("f.a2l", head + std::string(size - head.size(), ' '));
        auto result = a2l::readFile(file);
        ASSERT_TRUE(result.ok()) << size;
        const std::string_view text = result.document->root().rawText();
        ASSERT_EQ(text.size(), size);
        const auto first = reinterpret_cast<std::uintptr_t>(text.data());
        const std::uintptr_t last = first + size + 8;  // the sentinel and 8 bytes of padding
        std::ifstream maps("/proc/self/maps");
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::string rest;
        bool inside = false;
        while (maps >> std::hex >> from >> dash >> to && std::getline(maps, rest))
            inside = inside || (from <= first && first < to && last < to);
        EXPECT_TRUE(inside) << "file of " << size << " bytes";
    }
}
#endif

}  // namespace

// Escaping of echoed texts, the status line, the XML writer, zlib streams and atomic files.
#include <gtest/gtest.h>

#include <filesystem>

#include "cfgconv/fileio.hpp"
#include "cfgconv/report.hpp"
#include "cfgconv/xml.hpp"
#include "cfgconv/zstream.hpp"
#include "job_support.hpp"

using namespace cfgconv;
using namespace jobtest;
namespace fs = std::filesystem;

TEST(Escape, BreaksMarkersShowsControlCharactersAndKeepsTheRest) {
    const struct {
        const char* text;
        const char* shown;
    } rows[] = {
        {"Done.", "Done%2E"},
        {"C:/Daten/Done./Error.Warning:x.a2l", "C:/Daten/Done%2E/Error%2EWarning%3Ax.a2l"},
        {"Signal_Error.Warning::Done..", "Signal_Error%2EWarning%3A:Done%2E."},
        {"WarningWarning:", "WarningWarning%3A"},
        {"line\nbreak\tand\rreturn\x7f", "line%0Abreak%09and%0Dreturn%7F"},
        // A display format and percent signs stay as written.
        {"format %8.2 -> %10.0", "format %8.2 -> %10.0"},
        {"100% Done.", "100% Done%2E"},
        {"Done%2E literal", "Done%2E literal"},
        {"C:/pr\u00fcfstand/\u20ac.a2l", "C:/pr\u00fcfstand/\u20ac.a2l"},
    };
    for (const auto& row : rows) {
        const std::string shown = escapeEcho(row.text);
        EXPECT_EQ(shown, row.shown) << row.text;
    }
}

TEST(Xml, IndentedIsReindentedCompactAndEscapesAttributes) {
    auto build = [](bool indent) {
        XmlWriter w(indent);
        w.open("cfginclude");
        w.attr("format", std::uint64_t{3});
        w.attr("text", "a<b>&\"c\"\n\r\tend \xC3\xA4 \xFF \xEF\xBF\xBE bad");
        w.open("station");
        w.attr("name", "S");
        w.open("events");
        w.close();
        w.close();
        w.open("signals");
        w.open("signal");
        w.attr("min", -0.0);
        w.attr("max", 1e300 * 1e300);
        w.attr("x", 0.1);
        w.attrHex("address", 0x1234);
        w.close();
        w.close();
        w.close();
        return w.take();
    };
    std::string compact = build(false), indented = build(true);
    EXPECT_EQ(compact.find('\n'), std::string::npos);
    for (const char* piece :
         {"\n  <station name=\"S\">\n    <events/>\n  </station>\n",
          // Bytes that are no UTF-8, and U+FFFE, which XML does not allow, byte by byte.
          "text=\"a&lt;b&gt;&amp;&quot;c&quot;&#10;&#13;&#9;end \xC3\xA4 \xEF\xBF\xBD "
          "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD bad\"",
          "min=\"0\" max=\"INF\" x=\"0.1\" address=\"0x00001234\""})
        EXPECT_PRED2(has, indented, piece);
    std::string re, err;
    ASSERT_TRUE(reindentCfgInclude(compact, &re, &err)) << err;
    EXPECT_EQ(re, indented);
}

namespace {
// Runs a compressed file through CfgIncludeDecompressor in pieces of `piece` bytes.
struct Streamed {
    bool ok = false;
    bool failedEarly = false;  // a feed() refused, before finish()
    std::string out, error;
    std::size_t largestPiece = 0;
    std::uint64_t compactBytes = 0;
};
Streamed decompressInPieces(std::string_view z, std::size_t piece,
                            std::uint64_t compactLimit = kMaxInflatedBytes,
                            std::uint64_t indentedLimit = kMaxInflatedBytes) {
    Streamed r;
    CfgIncludeDecompressor d(
        [&](std::string_view p, std::string*) {
            r.largestPiece = std::max(r.largestPiece, p.size());
            r.out.append(p);
            return true;
        },
        compactLimit, indentedLimit);
    r.ok = true;
    for (std::size_t at = 0; at < z.size() && r.ok; at += piece)
        r.ok = d.feed(z.substr(at, piece));
    r.failedEarly = !r.ok;
    r.ok = r.ok && d.finish();
    r.error = d.error();
    r.compactBytes = d.compactBytes();
    return r;
}

std::string cfgDocument(bool indent, int signals) {
    XmlWriter w(indent);
    w.open("cfginclude");
    w.attr("format", std::uint64_t{3});
    w.open("signals");
    for (int i = 0; i < signals; ++i) {
        w.open("signal");
        w.attr("name", "S&" + std::to_string(i) + "\"\n");
        w.attr("max", 1e300 * 1e300);
        w.close();
    }
    w.close();
    w.close();
    return w.take();
}

const char* const kDecl = R"(<?xml version="1.0" encoding="UTF-8"?>)";
}  // namespace

TEST(Decompress, StreamedInAnyPiecesGivesTheIndentedForm) {
    const std::string z = zlibCompress(cfgDocument(false, 3000));
    const std::string indented = cfgDocument(true, 3000);
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, z.size()}) {
        Streamed r = decompressInPieces(z, piece);
        ASSERT_TRUE(r.ok) << piece << ": " << r.error;
        EXPECT_EQ(r.out, indented) << piece;
    }
    // What is no compact .cfginclude is refused whole, and however the compact form is cut.
    const std::string good =
        std::string(kDecl) +
        R"(<cfginclude format="1"><a b="1" c-1.d="&#x10FFFF;&#65;&#1114111;"/></cfginclude>)";
    std::string whole, err;
    ASSERT_TRUE(reindentCfgInclude(good, &whole, &err)) << err;
    const std::string bad[] = {
        "plain text",
        good.substr(0, good.size() - 3),
        std::string(kDecl) + R"(<other format="1"/>)",
        std::string(kDecl) + R"(<cfginclude format="1">text</cfginclude>)",
        std::string(kDecl) + R"(<cfginclude format="1"><a></b></cfginclude>)",
        std::string(kDecl) + R"(<cfginclude format="1" x="&bogus;"/>)",
        std::string(kDecl) + R"(<cfginclude format="1" x="&#0;"/>)",
        std::string(kDecl) + R"(<cfginclude format="1" x="&12;"/>)",
        std::string(kDecl) + R"(<cfginclude format="1" x="&#x110000;"/>)",
        std::string(kDecl) + R"(<cfginclude format="1" x="a<b"/>)",
        std::string(kDecl) + R"(<cfginclude format="1"/><second format="1"/>)",
        std::string(kDecl) + R"(<cfginclude x="1"/>)",
        std::string(kDecl) + R"(<cfginclude format="1"><a>)",
        std::string(kDecl) + R"(<cfginclude format="1" x="unterminated/>)",
        std::string(kDecl) + "<cfginclude format=\"1\"><" + std::string(257, 'n') +
            "/></cfginclude>",
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(reindentCfgInclude(b, &whole, &err)) << b;
        Streamed r = decompressInPieces(zlibCompress(b), 1);
        EXPECT_FALSE(r.ok) << b;
        EXPECT_TRUE(whole.empty()) << b;
        EXPECT_EQ(r.error, err) << b;
        EXPECT_TRUE(r.out.empty()) << b;
    }
}

TEST(Decompress, IndentationBombStopsAtTheLimitInBoundedPieces) {
    // 62 nested elements make every 4-byte <s/> a line of 131 bytes.
    std::string compact = std::string(kDecl) + R"(<cfginclude format="3">)", open, close, body;
    for (int i = 0; i < 62; ++i)
        open += "<a>", close += "</a>";
    for (int i = 0; i < 200000; ++i)
        body += "<s/>";
    compact += open + body + close + "</cfginclude>";
    const std::string z = zlibCompress(compact);
    ASSERT_LT(z.size(), 16000u);
    const std::uint64_t limit = 4 << 20;
    Streamed r = decompressInPieces(z, 1 << 16, kMaxInflatedBytes, limit);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "the indented content exceeds the limit of 4194304 bytes");
    EXPECT_LE(r.out.size(), limit);
    EXPECT_LE(r.largestPiece, std::size_t{3} << 19);  // about a megabyte at a time
    EXPECT_LT(r.compactBytes, compact.size());        // stopped early
    // Under the limit the same document goes through.
    Streamed whole = decompressInPieces(z, 1 << 16, kMaxInflatedBytes, 64 << 20);
    EXPECT_TRUE(whole.ok) << whole.error;
    // Declaration and root (39 + 24 + 14), <a> and </a> at depth k (2k + 4, 2k + 5), <s/> at 63.
    EXPECT_EQ(whole.out.size(), 77u + 4 * (62 * 63 / 2) + 9 * 62 + 200000u * 131);
    EXPECT_LE(whole.largestPiece, std::size_t{3} << 19);
}

// zlibInflate (a whole file) and CfgIncludeDecompressor (in pieces) refuse in the same words.
TEST(Zlib, RoundTripLimitAndEveryBrokenStreamIsRefused) {
    const std::string doc = cfgDocument(false, 3000), z = zlibCompress(doc);
    EXPECT_LT(z.size(), doc.size() / 3);
    std::string out, err;
    for (const std::string& stream : {z, zlibCompressWithZlib(doc, 6)}) {
        ASSERT_TRUE(zlibInflate(stream, &out, &err)) << err;
        EXPECT_EQ(out, doc);
    }
    EXPECT_FALSE(zlibInflate(z, &out, &err, 1 << 16));
    EXPECT_EQ(err, "the decompressed content exceeds the limit of 65536 bytes");
    Streamed big = decompressInPieces(z, 4096, 1 << 16);
    EXPECT_TRUE(big.failedEarly);
    EXPECT_EQ(big.error, err);
    EXPECT_TRUE(zlibInflate(z, &out, &err, doc.size()) && out == doc) << err;  // at the limit
    EXPECT_TRUE(decompressInPieces(z, 4096, doc.size()).ok);
    // The header is judged on the first bytes, before the rest is read.
    Streamed notZlib = decompressInPieces("PK\x03\x04" + std::string(100000, 'x'), 2);
    EXPECT_TRUE(notZlib.failedEarly);
    EXPECT_PRED2(has, notZlib.error, "no zlib stream header");

    std::string corrupt = z;
    corrupt[corrupt.size() / 2] ^= 0x55;
    const struct {
        std::string input;
        const char* says;
        const char* streamedSays = nullptr;  // if not the same
    } rows[] = {
        {"", "too short", "the file is empty"},
        {z.substr(0, 4), "too short"},
        {doc, "no zlib stream header"},
        {"\x88\x1C" + z.substr(2), "no zlib stream header"},  // a 64 kB window
        {"\x78\x20" + z.substr(2), "no zlib stream header"},  // a preset dictionary
        {z.substr(0, z.size() / 2), "truncated"},
        {z.substr(0, z.size() - 1), "truncated"},  // checksum cut
        {corrupt, ""},
        {z + "x", "the file has 1 bytes after the end of the compressed stream"},
        {z + std::string(70000, 'y'), "the file has 70000 bytes after the end"},
    };
    for (const auto& row : rows) {
        EXPECT_FALSE(zlibInflate(row.input, &out, &err)) << row.says;
        EXPECT_PRED2(has, err, row.says);
        for (std::size_t piece : {std::size_t{1}, std::size_t{1} << 16}) {
            Streamed r = decompressInPieces(row.input, piece);
            EXPECT_FALSE(r.ok) << row.says;
            EXPECT_PRED2(has, r.error, row.streamedSays ? row.streamedSays : row.says);
        }
    }
}

using AtomicWrite = FolderTest;

TEST_F(AtomicWrite, ReplacesCompletelyOrNotAtAll) {
    fs::path target = dir / "out.cfginclude";
    std::string err;
    ASSERT_TRUE(writeFileAtomically(target, "first", &err)) << err;
    ASSERT_TRUE(writeFileAtomically(target, "second version", &err)) << err;
    EXPECT_EQ(slurp(target), "second version");
    // Failures leave the old file and no temporary file.
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "x.cfginclude", "data", &err));
    EXPECT_PRED2(has, err, "does not exist");
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(writeFileAtomically(dir / "folder", "data", &err));
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"folder", "out.cfginclude"}));
    EXPECT_EQ(slurp(target), "second version");
#ifndef _WIN32
    if (::geteuid() != 0) {  // root writes into read-only folders anyway
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(writeFileAtomically(target, "third", &err));
        fs::permissions(dir, fs::perms::owner_all);
        EXPECT_EQ(slurp(target), "second version");
    }
#endif
}

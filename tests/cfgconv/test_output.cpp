// Escaping of echoed texts, the status line, the XML writer, zlib streams and atomic files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "cfgconv/fileio.hpp"
#include "cfgconv/report.hpp"
#include "cfgconv/xml.hpp"
#include "cfgconv/zstream.hpp"
#include "process_id.hpp"

using namespace cfgconv;
namespace fs = std::filesystem;

namespace {
bool hasMarker(const std::string& s) {
    return s.find("Done.") != std::string::npos || s.find("Error.") != std::string::npos ||
           s.find("Warning:") != std::string::npos;
}

std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

fs::path freshDir(const std::string& name) {
    fs::path d =
        fs::temp_directory_path() / ("cfgconv_test_" + name + "_" + std::to_string(processId()));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

TEST(Escape, NoMarkerSurvivesAndTheTextIsRecoverable) {
    const std::string texts[] = {
        "Done.",           "C:/Daten/Done./Error.Warning:x.a2l", "Signal_Error.Warning::Done..",
        "100% Done.",      "line\nbreak\tand\rreturn",           "WarningWarning:",
        "Done%2E literal", "plain text with no marker",
    };
    for (const auto& t : texts) {
        std::string e = escapeEcho(t);
        EXPECT_FALSE(hasMarker(e)) << e;
        EXPECT_EQ(e.find('\n'), std::string::npos);
        EXPECT_EQ(unescape(e), t);
    }
    EXPECT_EQ(escapeEcho("Done."), "Done%2E");
    EXPECT_EQ(escapeEcho("Error. Warning:"), "Error%2E Warning%3A");
    EXPECT_EQ(escapeEcho("plain"), "plain");
}

TEST(Reporter, StatusLineIsTheOnlyMarkerAndLeavesInOneDelivery) {
    RecordingSink sink;
    Reporter rep(sink);
    rep.line("Reading /tmp/Done./x.a2l");
    rep.line("Left out Error.Signal: reason");
    int rc = rep.finish(Status::Warning, "2 left out: Done.A, Warning:B");
    EXPECT_EQ(rc, 1);
    ASSERT_EQ(sink.deliveries.size(), 3u);
    EXPECT_FALSE(hasMarker(sink.deliveries[0]));
    EXPECT_FALSE(hasMarker(sink.deliveries[1]));
    const std::string& last = sink.deliveries[2];
    EXPECT_EQ(last.rfind("Warning: ", 0), 0u);
    EXPECT_EQ(last.find("Warning:", 1), std::string::npos);
    EXPECT_EQ(last.find("Done."), std::string::npos);
    EXPECT_EQ(last.back(), '\n');
    EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), 1);

    RecordingSink s2;
    Reporter r2(s2);
    EXPECT_EQ(r2.finish(Status::Done), 0);
    EXPECT_EQ(s2.all(), "Done.\n");
    RecordingSink s3;
    Reporter r3(s3);
    EXPECT_EQ(r3.finish(Status::Error, "bad file Done.a2l"), 2);
    EXPECT_EQ(s3.all(), "Error. bad file Done%2Ea2l\n");
}

TEST(Xml, IndentedIsReindentedCompactAndEscapesAttributes) {
    auto build = [](bool indent) {
        XmlWriter w(indent);
        w.open("cfginclude");
        w.attr("format", std::uint64_t{3});
        w.attr("text", "a<b>&\"c\"\n\tend \xC3\xA4 \xFF bad");
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
    EXPECT_NE(indented.find("\n  <station name=\"S\">\n    <events/>\n  </station>\n"),
              std::string::npos)
        << indented;
    EXPECT_NE(indented.find(
                  "text=\"a&lt;b&gt;&amp;&quot;c&quot;&#10;&#9;end \xC3\xA4 \xEF\xBF\xBD bad\""),
              std::string::npos)
        << indented;
    EXPECT_NE(indented.find("min=\"0\" max=\"INF\" x=\"0.1\" address=\"0x00001234\""),
              std::string::npos);
    std::string re, err;
    ASSERT_TRUE(reindentCfgInclude(compact, &re, &err)) << err;
    EXPECT_EQ(re, indented);
}

TEST(Xml, ReindentRefusesWhatIsNotACompactCfgInclude) {
    const char* decl = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    std::string good = std::string(decl) + R"(<cfginclude format="1"><a b="1"/></cfginclude>)";
    std::string out, err;
    ASSERT_TRUE(reindentCfgInclude(good, &out, &err)) << err;
    const std::string bad[] = {
        "plain text",
        std::string(decl) + R"(<other format="1"/>)",
        std::string(decl) + R"(<cfginclude/>)",
        std::string(decl) + R"(<cfginclude format="1"><a></b></cfginclude>)",
        std::string(decl) + R"(<cfginclude format="1"><a>)",
        std::string(decl) + R"(<cfginclude format="1">text</cfginclude>)",
        std::string(decl) + R"(<cfginclude format="1"/><second format="1"/>)",
        std::string(decl) + R"(<cfginclude format="1" x="&bogus;"/>)",
        std::string(decl) + R"(<cfginclude format="1" x="unterminated/>)",
        good.substr(0, good.size() - 3),
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(reindentCfgInclude(b, &out, &err)) << b;
        EXPECT_TRUE(out.empty());
    }
}

TEST(Zlib, RoundTripAndEveryBrokenStreamIsRefused) {
    std::string text;
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i)
        text += "<signal name=\"S" + std::to_string(rng() % 1000) + "\"/>";
    std::string z = zlibCompress(text);
    EXPECT_LT(z.size(), text.size() / 3);
    std::string out, err;
    ASSERT_TRUE(zlibInflate(z, &out, &err)) << err;
    EXPECT_EQ(out, text);
    // Standard zlib reads what we write, and we read what zlib writes.
    std::string zz = zlibCompressWithZlib(text, 6);
    ASSERT_TRUE(zlibInflate(zz, &out, &err)) << err;
    EXPECT_EQ(out, text);

    EXPECT_FALSE(zlibInflate(text, &out, &err));  // plain text
    EXPECT_NE(err.find("not a compressed"), std::string::npos) << err;
    EXPECT_FALSE(zlibInflate(z.substr(0, z.size() / 2), &out, &err));  // truncated
    EXPECT_NE(err.find("truncated"), std::string::npos) << err;
    EXPECT_FALSE(zlibInflate(z.substr(0, z.size() - 1), &out, &err));  // checksum cut
    std::string corrupt = z;
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_FALSE(zlibInflate(corrupt, &out, &err));
    EXPECT_FALSE(zlibInflate(z + "trailing", &out, &err));
    EXPECT_NE(err.find("after the end"), std::string::npos) << err;
    EXPECT_FALSE(zlibInflate("", &out, &err));
    // A bomb: output beyond the limit stops the inflation.
    std::string zeros(1 << 20, '\0');
    std::string bomb = zlibCompress(zeros);
    EXPECT_FALSE(zlibInflate(bomb, &out, &err, 1 << 16));
    EXPECT_NE(err.find("exceeds the limit"), std::string::npos) << err;
    EXPECT_TRUE(zlibInflate(bomb, &out, &err, 1 << 20)) << err;  // exactly at the limit is fine
    EXPECT_EQ(out.size(), std::size_t{1} << 20);
}

TEST(AtomicWrite, ReplacesCompletelyOrNotAtAll) {
    fs::path d = freshDir("atomic");
    fs::path target = d / "out.cfginclude";
    std::string err;
    ASSERT_TRUE(writeFileAtomically(target, "first", &err)) << err;
    ASSERT_TRUE(writeFileAtomically(target, "second version", &err)) << err;
    EXPECT_EQ(slurp(target), "second version");
    // Failures leave the old file and no temporary file.
    EXPECT_FALSE(writeFileAtomically(d / "missing" / "x.cfginclude", "data", &err));
    EXPECT_NE(err.find("does not exist"), std::string::npos) << err;
    fs::create_directory(d / "folder");
    EXPECT_FALSE(writeFileAtomically(d / "folder", "data", &err));
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(d)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2u);  // out.cfginclude and folder
    EXPECT_EQ(slurp(target), "second version");
#ifndef _WIN32
    if (::geteuid() != 0) {  // root writes into read-only folders anyway
        fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(writeFileAtomically(target, "third", &err));
        fs::permissions(d, fs::perms::owner_all);
        EXPECT_EQ(slurp(target), "second version");
    }
#endif
    fs::remove_all(d);
}

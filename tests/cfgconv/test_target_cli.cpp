// Logger versions, -l values and the command line the front-end sends. The refusals of
// malformed command lines are checked through whole jobs (test_files.cpp).
#include <gtest/gtest.h>

#include "cfgconv/cli.hpp"
#include "cfgconv/target.hpp"

using namespace cfgconv;

namespace {
Version v(const char* s) {
    auto r = Version::parse(s);
    EXPECT_TRUE(r) << s;
    return r.value_or(Version{});
}
}  // namespace

TEST(Version, ComparesNumericallyByDottedParts) {
    EXPECT_TRUE(v("1.5.5") < v("2017.06.0"));
    EXPECT_LT(compare(v("1.5.9"), v("1.5.10")), 0);
    EXPECT_EQ(v("2019.02"), v("2019.2.0"));
    EXPECT_EQ(v("2019.02").str(), "2019.2.0");
    EXPECT_LT(compare(v("1.4.4"), v("1.4.4.1")), 0);
    for (const char* bad :
         {"", "1..2", ".1", "1.", "a.b", "1.2.3.4.5", "1.-2", "1 .2", "1234567890"})
        EXPECT_FALSE(Version::parse(bad)) << bad;
}

// Basic ranges are named by their first version; advanced ranges take the generation of
// their oldest version.
TEST(Target, RangesAndTheirGeneration) {
    const struct {
        const char* text;
        Generation gen;
        const char* last;  // "" for an open range
    } rows[] = {
        {"tarVix=1.4.4", Generation::G1, "1.5.4"},
        {"tarVix=1.5.5", Generation::G2, "2017.6.0"},
        {"tarVix=2017.06.0", Generation::G3, ""},
        {"tarVix+1.5.5-2017.02.0", Generation::G2, "2017.2.0"},
        {"tarVix+2017.06.0-2019.02", Generation::G3, "2019.2.0"},
        {"tarVix+1.4.4-2019.02", Generation::G1, "2019.2.0"},
        {"tarVix+1.5.4-1.5.5", Generation::G1, "1.5.5"},
        {"tarVix+2016.10.0", Generation::G2, ""},
        {"tarVix+2019.02", Generation::G3, ""},
        {"tarVix+1.4.4", Generation::G1, ""},
    };
    std::string err;
    for (const auto& row : rows) {
        auto t = parseTarget(row.text, &err);
        ASSERT_TRUE(t) << row.text << ": " << err;
        EXPECT_EQ(t->generation, row.gen) << row.text;
        EXPECT_EQ(t->last ? t->last->str() : "", row.last) << row.text;
    }
    EXPECT_TRUE(parseTarget("tarVix=1.5.5", &err)->lastExclusive);
    for (const char* bad : {"tarVix=1.5.4", "tarVix=2018.06.0", "tarVix=", "tarVix=x",
                            "tarvix=1.4.4", "tarVix", "other=1.4.4", "tarVix:1.4.4", "",
                            "tarVix+2017.02.0-1.5.5", "tarVix+1.4.3", "tarVix+1.0-1.5.5", "tarVix+",
                            "tarVix+1.5.5-", "tarVix+-1.5.5", "tarVix+1.5.5-2017.02.0-2019.02"}) {
        err.clear();
        EXPECT_FALSE(parseTarget(bad, &err)) << bad;
        EXPECT_FALSE(err.empty()) << bad;
    }
}

TEST(CommandLine, AcceptsWhatTheFrontEndSends) {
    std::string err;
    auto c = parseCommandLine({"convert", "C:/Daten/ecu.a2l", "C:/Daten/ecu.cfginclude", "-i", "-p",
                               "ECU1", "-l", "tarVix=2017.06.0"},
                              &err);
    ASSERT_TRUE(c) << err;
    EXPECT_EQ(c->kind, Command::Kind::Convert);
    EXPECT_EQ(c->input, "C:/Daten/ecu.a2l");
    EXPECT_EQ(c->output, "C:/Daten/ecu.cfginclude");
    EXPECT_FALSE(c->compressed);
    EXPECT_EQ(c->prefix.value_or(""), "ECU1");
    EXPECT_FALSE(c->station);
    EXPECT_EQ(c->target.generation, Generation::G3);
    // Options in any order after the paths.
    c = parseCommandLine(
        {"convert", "a.a2l", "b.cfginclude", "-l", "tarVix+1.5.5", "-p", "P", "-z", "-n", "ST"},
        &err);
    ASSERT_TRUE(c) << err;
    EXPECT_TRUE(c->compressed);
    EXPECT_EQ(c->station.value_or(""), "ST");
    EXPECT_TRUE(parseCommandLine({"compare", "old.a2l", "new.a2l", "-v"}, &err)->verbose);
    EXPECT_FALSE(parseCommandLine({"compare", "old.a2l", "new.a2l"}, &err)->verbose);
    EXPECT_EQ(parseCommandLine({"decompress", "x", "x"}, &err)->kind, Command::Kind::Decompress);
    EXPECT_EQ(parseCommandLine({}, &err)->kind, Command::Kind::Version);
}

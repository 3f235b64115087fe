// Logger versions, -l values and the command line.
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
    EXPECT_EQ(v("2017.06.0"), v("2017.6"));
    EXPECT_EQ(v("2019.02").str(), "2019.2.0");
    EXPECT_LT(compare(v("1.4.4"), v("1.4.4.1")), 0);
    for (const char* bad :
         {"", "1..2", ".1", "1.", "a.b", "1.2.3.4.5", "1.-2", "1 .2", "1234567890"})
        EXPECT_FALSE(Version::parse(bad)) << bad;
}

TEST(Target, BasicRangesByTheirStart) {
    std::string err;
    auto t = parseTarget("tarVix=1.4.4", &err);
    ASSERT_TRUE(t) << err;
    EXPECT_EQ(t->generation, Generation::G1);
    EXPECT_EQ(t->last->str(), "1.5.4");
    t = parseTarget("tarVix=1.5.5", &err);
    ASSERT_TRUE(t) << err;
    EXPECT_EQ(t->generation, Generation::G2);
    EXPECT_TRUE(t->lastExclusive);
    EXPECT_EQ(t->last->str(), "2017.6.0");
    t = parseTarget("tarVix=2017.06.0", &err);
    ASSERT_TRUE(t) << err;
    EXPECT_EQ(t->generation, Generation::G3);
    EXPECT_FALSE(t->last);
    // Not a range start, or not a version: refused.
    for (const char* bad : {"tarVix=1.5.4", "tarVix=2018.06.0", "tarVix=", "tarVix=x",
                            "tarvix=1.4.4", "tarVix", "other=1.4.4", "tarVix:1.4.4", ""}) {
        err.clear();
        EXPECT_FALSE(parseTarget(bad, &err)) << bad;
        EXPECT_FALSE(err.empty()) << bad;
    }
}

TEST(Target, AdvancedRangesUseTheOldestVersionsGeneration) {
    std::string err;
    struct Case {
        const char* text;
        Generation gen;
        bool open;
    } cases[] = {
        {"tarVix+1.5.5-2017.02.0", Generation::G2, false},
        {"tarVix+2017.06.0-2019.02", Generation::G3, false},
        {"tarVix+1.4.4-2019.02", Generation::G1, false},
        {"tarVix+1.5.4-1.5.5", Generation::G1, false},
        {"tarVix+2016.10.0", Generation::G2, true},
        {"tarVix+2019.02", Generation::G3, true},
        {"tarVix+1.4.4", Generation::G1, true},
    };
    for (const auto& c : cases) {
        auto t = parseTarget(c.text, &err);
        ASSERT_TRUE(t) << c.text << ": " << err;
        EXPECT_EQ(t->generation, c.gen) << c.text;
        EXPECT_EQ(!t->last, c.open) << c.text;
    }
    for (const char* bad : {"tarVix+2017.02.0-1.5.5", "tarVix+1.4.3", "tarVix+1.0-1.5.5", "tarVix+",
                            "tarVix+1.5.5-", "tarVix+-1.5.5", "tarVix+1.5.5-2017.02.0-2019.02"})
        EXPECT_FALSE(parseTarget(bad, &err)) << bad;
}

namespace {
std::optional<Command> parse(std::vector<std::string> a, std::string* err) {
    return parseCommandLine(a, err);
}
}  // namespace

TEST(CommandLine, AcceptsWhatTheFrontEndSends) {
    std::string err;
    auto c = parse({"convert", "C:/Daten/ecu.a2l", "C:/Daten/ecu.cfginclude", "-i", "-p", "ECU1",
                    "-l", "tarVix=2017.06.0"},
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
    c = parse(
        {"convert", "a.a2l", "b.cfginclude", "-l", "tarVix+1.5.5", "-p", "P", "-z", "-n", "ST"},
        &err);
    ASSERT_TRUE(c) << err;
    EXPECT_TRUE(c->compressed);
    EXPECT_EQ(c->station.value_or(""), "ST");

    c = parse({"compare", "old.a2l", "new.a2l", "-v"}, &err);
    ASSERT_TRUE(c) << err;
    EXPECT_TRUE(c->verbose);
    c = parse({"compare", "old.a2l", "new.a2l"}, &err);
    ASSERT_TRUE(c) << err;
    EXPECT_FALSE(c->verbose);
    c = parse({"decompress", "x.cfginclude", "x.cfginclude"}, &err);
    ASSERT_TRUE(c) << err;
    EXPECT_EQ(c->kind, Command::Kind::Decompress);
    c = parse({}, &err);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, Command::Kind::Version);
}

TEST(CommandLine, RefusesEveryMalformedList) {
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{"convert", "a", "b", "-i", "-x", "-l", "tarVix=1.4.4"}, "unknown option '-x'"},
        {{"convert", "a", "b", "-i", "-p", "-l", "tarVix=1.4.4"}, "-p has no value"},
        {{"convert", "a", "b", "-i", "-l", "tarVix=1.4.4", "-p"}, "-p has no value"},
        {{"convert", "a", "b", "-i", "-n", "-p", "X", "-l", "tarVix=1.4.4"}, "-n has no station"},
        {{"convert", "a", "b", "-i", "-z", "-l", "tarVix=1.4.4"}, "not both"},
        {{"convert", "a", "b", "-l", "tarVix=1.4.4"}, "one of -z"},
        {{"convert", "a", "b", "-i", "-p", "EC", "U1", "-l", "tarVix=1.4.4"},
         "extra argument 'U1'"},
        {{"convert", "a", "b", "-i", "-n", "My", "Station", "-l", "tarVix=1.4.4"},
         "extra argument 'Station'"},
        {{"convert", "a", "b", "-i", "-l"}, "-l has no target"},
        {{"convert", "a", "b", "-i"}, "-l with the target version is missing"},
        {{"convert", "a", "b", "-i", "-l", "tarVix=9.9"}, "unknown -l value"},
        {{"convert", "a", "b", "-i", "-l", "junk"}, "unknown -l value"},
        {{"convert", "a", "b", "-i", "-i", "-l", "tarVix=1.4.4"}, "-i given twice"},
        {{"convert", "a", "b", "-i", "-p", "A", "-p", "B", "-l", "tarVix=1.4.4"}, "-p given twice"},
        {{"convert", "a", "-i", "-l", "tarVix=1.4.4"}, "output path is missing"},
        {{"convert", "a"}, "output path is missing"},
        {{"convert"}, "input A2L path is missing"},
        {{"convert", "", "b", "-i", "-l", "tarVix=1.4.4"}, "input A2L path is empty"},
        {{"compare", "a"}, "new A2L path is missing"},
        {{"compare", "a", "b", "-x"}, "unknown option '-x'"},
        {{"compare", "a", "b", "c"}, "extra argument 'c'"},
        {{"compare", "a", "b", "-v", "-v"}, "-v given twice"},
        {{"decompress", "a"}, "output path is missing"},
        {{"decompress", "a", "b", "c"}, "extra argument 'c'"},
        {{"decompress", "a", "b", "-i"}, "unknown option '-i'"},
        {{"convrt", "a", "b"}, "unknown command 'convrt'"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_FALSE(parseCommandLine(c.args, &err)) << c.mentions;
        EXPECT_NE(err.find(c.mentions), std::string::npos) << "message: " << err;
    }
}

// Logger versions and -l values, conversion math, and the .cfginclude of each generation.
#include <gtest/gtest.h>

#include "cfgconv/cfginclude.hpp"
#include "cfgconv/conversion.hpp"
#include "cfgconv/target.hpp"
#include "job_support.hpp"
#include "xml_check.hpp"

using namespace cfgconv;
using jobtest::has;

namespace {

Version v(const char* s) {
    auto r = Version::parse(s);
    EXPECT_TRUE(r) << s;
    return r.value_or(Version{});
}

Conversion conv(std::string name, ConvKind kind, const char* kindText, std::string table = "") {
    Conversion c;
    c.name = std::move(name);
    c.kind = kind;
    c.kindText = kindText;
    c.tableRef = std::move(table);
    return c;
}

Conversion ratFunc(std::string name, std::array<double, 6> k) {
    Conversion c = conv(std::move(name), ConvKind::RatFunc, "RAT_FUNC");
    c.coeffs = k;
    return c;
}

// A measurement at 0x1000 of the range 0..100 added to `model`, for further settings.
Measurement& add(ConvertModel& model, std::string name, DataType t,
                 std::string conversion = "NO_COMPU_METHOD") {
    Measurement& m = model.measurements.emplace_back();
    m.name = std::move(name);
    m.type = t;
    m.typeText = dataTypeName(t);
    m.conversion = std::move(conversion);
    m.address = 0x1000;
    m.lower = 0;
    m.upper = 100;
    return m;
}

// A small model with one signal per feature that separates the generations.
ConvertModel featureModel() {
    ConvertModel m;
    m.station.moduleName = "ENGINE";
    m.station.byteOrder = ByteOrder::Little;
    m.station.protocol = "XCP";
    m.station.transport = "CAN";
    m.station.events = {{1, "10ms", "10ms", 10'000'000, 0}};

    Conversion lin = conv("CM_LIN", ConvKind::Linear, "LINEAR");
    lin.coeffsLinear = std::array<double, 2>{0.25, -40};
    lin.unit = "degC";
    m.conversions.push_back(lin);
    m.conversions.push_back(ratFunc("CM_RAT_LINEAR", {0, 4, 8, 0, 0, 2}));
    m.conversions.push_back(ratFunc("CM_RAT", {0, 1, 0, 0, 1, 1}));
    m.conversions.push_back(ratFunc("CM_RAT_QUAD", {1, 0, 0, 0, 0, 1}));
    m.conversions.push_back(conv("CM_VERB", ConvKind::TabVerb, "TAB_VERB", "VT_GEAR"));
    // Shares the table.
    m.conversions.push_back(conv("CM_VERB2", ConvKind::TabVerb, "TAB_VERB", "VT_GEAR"));
    m.conversions.push_back(conv("CM_TAB", ConvKind::TabIntp, "TAB_INTP", "T_CURVE"));
    Conversion form = conv("CM_FORM", ConvKind::Form, "FORM");
    form.formula = "X1*X1 < 4 && \"q\"";
    m.conversions.push_back(form);

    m.tables.push_back({"VT_GEAR", Table::Kind::Verbal, {}, "invalid", std::nullopt});
    m.tables.back().rows = {{0, 0, 0, "Neutral"}, {1, 0, 0, "First <1>"}};
    m.tables.push_back({"T_CURVE", Table::Kind::Numeric, {}, std::nullopt, std::nullopt});
    m.tables.back().rows = {{0, 0, 10, ""}, {10, 0, 30, ""}, {20, 0, 20, ""}};

    add(m, "u8", DataType::UByte);
    add(m, "temp", DataType::SWord, "CM_LIN").event = 1;
    add(m, "ratLinear", DataType::ULong, "CM_RAT_LINEAR");
    add(m, "u64", DataType::UInt64);
    add(m, "f64", DataType::Float64);
    add(m, "flag", DataType::UByte).bitMask = 0xFE;  // every bit but one: still a mask
    // Selects every bit: written without a mask everywhere.
    add(m, "fullMask", DataType::UWord).bitMask = 0xFFFF;
    add(m, "gear", DataType::UByte, "CM_VERB");
    add(m, "gear2", DataType::UByte, "CM_VERB2");
    add(m, "rat", DataType::UWord, "CM_RAT");
    add(m, "curve", DataType::UWord, "CM_TAB");
    add(m, "form", DataType::UWord, "CM_FORM");
    Measurement& arr = add(m, "arr", DataType::SWord);
    arr.dims = {2, 3};
    arr.address = 0x2000;
    add(m, "quad", DataType::UWord, "CM_RAT_QUAD");
    add(m, "half", DataType::Float16);
    add(m, "undefinedConv", DataType::UByte, "CM_MISSING");
    m.reindex();
    return m;
}

ConvertResult build(const ConvertModel& m, const char* target,
                    std::optional<std::string> station = std::nullopt, std::string prefix = "") {
    std::string err;
    auto t = parseTarget(target, &err);
    EXPECT_TRUE(t) << err;
    ConvertOptions o;
    o.target = *t;
    o.station = std::move(station);
    o.prefix = std::move(prefix);
    o.sourceName = "feature.a2l";
    return buildCfgInclude(m, o);
}

std::vector<std::string> leftNames(const ConvertResult& r) {
    std::vector<std::string> v;
    for (const auto& l : r.leftOut)
        v.push_back(l.name);
    return v;
}

}  // namespace

// Basic ranges are named by their first version, advanced ones by their oldest one's generation.
TEST(Target, VersionsRangesAndTheirGeneration) {
    // Versions compare numerically by their dotted parts.
    EXPECT_TRUE(v("1.5.5") < v("2017.06.0"));
    EXPECT_LT(compare(v("1.5.9"), v("1.5.10")), 0);
    EXPECT_EQ(v("2019.02"), v("2019.2.0"));
    EXPECT_LT(compare(v("1.4.4"), v("1.4.4.1")), 0);
    EXPECT_GT(compare(v("1.4.4.1"), v("1.4.4")), 0);
    for (const char* bad :
         {"", "1..2", ".1", "1.", "a.b", "1.2.3.4.5", "1.-2", "1 .2", "1234567890"})
        EXPECT_FALSE(Version::parse(bad)) << bad;
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

// RAT_FUNC maps phys to raw = (a phys^2 + b phys + c) / (d phys^2 + e phys + f); the file
// needs raw to phys. Each row: the coefficients, the inverse's kind and generation, and raw
// values with their hand-computed phys.
TEST(Conversion, RatFuncIsInvertedAndMatchesHandComputedValues) {
    using K = PhysConversion::Kind;
    const struct {
        std::array<double, 6> k;
        K kind;
        Generation needs;
        std::vector<std::pair<double, double>> rawPhys;
    } rows[] = {
        {{0, 4, 8, 0, 0, 2}, K::Linear, Generation::G1, {{10, 3}}},  // phys = 0.5 raw - 2
        {{0, 100, 0, 0, 0, 1}, K::Linear, Generation::G1, {{250, 2.5}}},
        // raw / (1 - raw)
        {{0, 1, 0, 0, 1, 1}, K::Rational, Generation::G3, {{0.5, 1}, {0.75, 3}}},
        {{0, 3, -6, 0, 2, 5}, K::Rational, Generation::G3, {}},
        {{1, 0, 0, 0, 0, 1}, K::Unsupported, Generation::G1, {}},  // second degree
        {{0, 2, 4, 0, 1, 2}, K::Unsupported, Generation::G1, {}},  // constant
        {{0, 0, 4, 0, 0, 1}, K::Unsupported, Generation::G1, {}},  // b = 0 and e = 0
    };
    ConvertModel m;
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.k));
        auto p = resolveConversion(ratFunc("R", row.k), m);
        ASSERT_EQ(p.kind, row.kind);
        if (p.kind == K::Unsupported)
            continue;
        EXPECT_EQ(p.needs, row.needs);
        for (const auto& [raw, phys] : row.rawPhys)
            EXPECT_DOUBLE_EQ(applyConversion(p, raw), phys) << raw;
        // The inverse undoes the file's own function.
        for (double x : {0.0, 0.3, 4.0, 17.5, 100.0})
            EXPECT_NEAR(applyConversion(p, ratFuncForward(row.k, x)), x, 1e-9);
    }
    EXPECT_EQ(resolveConversion(conv("H", ConvKind::RatFunc, "RAT_FUNC"), m).kind, K::Unsupported);
}

TEST(Conversion, LinearAndTables) {
    ConvertModel m = featureModel();
    auto p = resolveConversion(*m.findConversion("CM_LIN"), m);
    ASSERT_EQ(p.kind, PhysConversion::Kind::Linear);
    EXPECT_DOUBLE_EQ(applyConversion(p, 200), 10);  // 0.25 * 200 - 40
    p = resolveConversion(*m.findConversion("CM_TAB"), m);
    ASSERT_EQ(p.kind, PhysConversion::Kind::Table);
    // Interpolated between the rows, clamped below and above them.
    for (auto [raw, phys] : {std::pair{5.0, 20.0}, {15.0, 25.0}, {-3.0, 10.0}, {99.0, 20.0}})
        EXPECT_DOUBLE_EQ(applyConversion(p, raw), phys) << raw;
    Conversion wrong = conv("W", ConvKind::TabVerb, "TAB_VERB", "T_CURVE");
    EXPECT_EQ(resolveConversion(wrong, m).kind, PhysConversion::Kind::Unsupported);
    wrong.tableRef = "NOWHERE";
    EXPECT_EQ(resolveConversion(wrong, m).kind, PhysConversion::Kind::Unsupported);
}

// Per generation: what is left out (and the version its reason names), held and not held.
using CfgIncludeFile = jobtest::FolderTest;

TEST_F(CfgIncludeFile, EachGenerationHoldsItsFeaturesAndNamesTheRest) {
    using Names = std::vector<std::string>;
    const struct {
        const char* target;
        Names leftOut;  // besides the never writable: second-degree RAT_FUNC, FLOAT16, undefined
        std::pair<const char*, const char*> reason;  // a left-out name and a part of its reason
        std::array<std::size_t, 2> arraysSplitAndTables;
        Names holds, lacks = {};
        std::optional<std::string> station = std::nullopt;  // with the prefix ECU1
    } rows[] = {
        {"tarVix=1.4.4",
         {"u64", "f64", "flag", "gear", "gear2", "rat", "curve", "form"},
         {"u64", "1.5.5"},
         {1, 0},
         {"<station name=\"ENGINE\" byteOrder=\"little\">",
          "name=\"arr[1][2]\" a2lName=\"arr\" address=\"0x0000200A\"",
          // The linear RAT_FUNC becomes an exact linear conversion, allowed everywhere.
          "id=\"CM_RAT_LINEAR\" kind=\"linear\" factor=\"0.5\" offset=\"-2\"", "name=\"fullMask\""},
         {"dims=", "bitMask"}},
        {"tarVix+1.5.5-2017.02.0",
         {"rat", "curve", "form"},
         {"rat", "2017.6.0"},
         {1, 1},
         {"bitMask=\"0x000000FE\"",
          "target=\"tarVix+1.5.5-2017.02.0\" firstVersion=\"1.5.5\" lastVersion=\"2017.2.0\"",
          // The shared verbal table appears once and both conversions refer to it.
          "<table id=\"VT_GEAR\" kind=\"verbal\" default=\"invalid\">", "text=\"First &lt;1&gt;\"",
          "id=\"CM_VERB2\" kind=\"verbal\" table=\"VT_GEAR\""}},
        {"tarVix=2017.06.0",
         {},
         {"half", ""},
         {0, 2},
         {"<station name=\"Test Bench &lt;1&gt;\" prefix=\"ECU1\" byteOrder=\"little\">",
          "name=\"ECU1.arr\" a2lName=\"arr\" address=\"0x00002000\"",
          // The unit from the COMPU_METHOD, the event from the station's channels.
          "unit=\"degC\" min=\"0\" max=\"100\" event=\"1\" conversion=\"CM_LIN\"",
          "id=\"CM_TAB\" kind=\"table\" table=\"T_CURVE\" interpolate=\"true\"",
          "expression=\"X1*X1 &lt; 4 &amp;&amp; &quot;q&quot;\""},
         {},
         "Test Bench <1>"},
    };
    ConvertModel m = featureModel();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target);
        auto r = build(m, row.target, row.station, row.station ? "ECU1" : "");
        Names expected = row.leftOut, left = leftNames(r);
        expected.insert(expected.end(), {"quad", "half", "undefinedConv"});
        std::sort(expected.begin(), expected.end());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, expected);
        for (const auto& l : r.leftOut)
            if (l.name == row.reason.first) {
                EXPECT_PRED2(has, l.reason, row.reason.second);
            }
        for (const auto& piece : row.holds)
            EXPECT_PRED2(has, r.document, piece);
        for (const auto& piece : row.lacks)
            EXPECT_FALSE(has(r.document, piece)) << piece;
        EXPECT_EQ((std::array{r.arraysSplit, r.tables}), row.arraysSplitAndTables);
        jobtest::spit(dir / "out.cfginclude", r.document);
        std::string why;
        EXPECT_TRUE(xmlFileWellFormed((dir / "out.cfginclude").string(), &why)) << why;
    }
}

TEST(CfgInclude, ByteOrderAndLimitsOfSplitting) {
    ConvertModel m;
    m.station.moduleName = "M";
    add(m, "big", DataType::ULong).byteOrder = ByteOrder::Big;
    add(m, "swapped", DataType::ULong).byteOrder = ByteOrder::MsbFirstMswLast;
    add(m, "huge", DataType::UByte).dims = {1000, 1000};
    add(m, "ones", DataType::UByte).dims = {1, 1, 1};  // MATRIX_DIM 1 1 1 is a scalar
    add(m, "virtual", DataType::UByte).address.reset();
    // 2^64 elements: a 64-bit product wraps to 0.
    add(m, "wraps", DataType::UByte).dims = {65536, 65536, 65536, 65536};
    // The elements of a split array lie one element's size apart.
    const std::pair<DataType, unsigned> sizes[] = {
        {DataType::UByte, 1},   {DataType::SByte, 1},  {DataType::UWord, 2},  {DataType::SWord, 2},
        {DataType::ULong, 4},   {DataType::SLong, 4},  {DataType::UInt64, 8}, {DataType::Int64, 8},
        {DataType::Float32, 4}, {DataType::Float64, 8}};
    for (auto [type, size] : sizes)
        add(m, dataTypeName(type), type).dims = {2};
    m.reindex();
    auto r = build(m, "tarVix=1.5.5");
    for (auto [type, size] : sizes) {
        const std::string name = dataTypeName(type);
        EXPECT_PRED2(has, r.document,
                     "name=\"" + name + "[1]\" a2lName=\"" + name + "\" address=\"0x0000100" +
                         std::to_string(size) + "\"");
    }
    EXPECT_PRED2(has, r.document,
                 "name=\"big\" a2lName=\"big\" address=\"0x00001000\" extension=\"0\" "
                 "type=\"uint32\" byteOrder=\"big\"");
    EXPECT_PRED2(has, r.document, "name=\"ones\"");
    EXPECT_EQ(leftNames(r), (std::vector<std::string>{"swapped", "huge", "virtual", "wraps"}));
    auto r3 = build(m, "tarVix=2017.06.0");
    EXPECT_PRED2(has, r3.document,
                 "name=\"huge\" a2lName=\"huge\" address=\"0x00001000\" extension=\"0\" "
                 "type=\"uint8\" byteOrder=\"little\" dims=\"1000x1000\"");
}

TEST(CfgInclude, LeftOutAreAllCountedButOnlyTheFirstKeptInDetail) {
    ConvertModel m;
    for (int i = 0; i < 1500; ++i)
        add(m, "h" + std::to_string(i), DataType::Float16);
    add(m, "ok", DataType::UByte);
    m.reindex();
    auto r = build(m, "tarVix=2017.06.0");
    EXPECT_EQ(std::tie(r.measurements, r.leftOutCount, r.signals),
              std::make_tuple(1501u, 1500u, 1u));
    EXPECT_EQ(r.leftOut.size(), kKeptLeftOut);
    EXPECT_EQ(r.leftOut.front().name, "h0");
    ASSERT_EQ(r.leftOutByCategory.size(), 1u);
    EXPECT_EQ(r.leftOutByCategory.begin()->second, 1500u);
}

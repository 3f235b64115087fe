// Conversion math, the target generations and the .cfginclude written for them.
#include <gtest/gtest.h>

#include <cmath>

#include "cfgconv/cfginclude.hpp"
#include "cfgconv/conversion.hpp"
#include "cfgconv/xml.hpp"
#include "xml_check.hpp"

using namespace cfgconv;

namespace {

Conversion conv(std::string name, ConvKind kind, const char* kindText) {
    Conversion c;
    c.name = std::move(name);
    c.kind = kind;
    c.kindText = kindText;
    return c;
}

Conversion ratFunc(std::string name, std::array<double, 6> k) {
    Conversion c = conv(std::move(name), ConvKind::RatFunc, "RAT_FUNC");
    c.coeffs = k;
    return c;
}

Measurement meas(std::string name, DataType t, std::string conversion = "NO_COMPU_METHOD") {
    Measurement m;
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
    m.station.transportParams = {{"baudrate", "500000"}};
    m.station.events = {{1, "10ms", "10ms", 10'000'000, 0}};

    Conversion lin = conv("CM_LIN", ConvKind::Linear, "LINEAR");
    lin.coeffsLinear = std::array<double, 2>{0.25, -40};
    lin.unit = "degC";
    m.conversions.push_back(lin);
    m.conversions.push_back(ratFunc("CM_RAT_LINEAR", {0, 4, 8, 0, 0, 2}));
    m.conversions.push_back(ratFunc("CM_RAT", {0, 1, 0, 0, 1, 1}));
    m.conversions.push_back(ratFunc("CM_RAT_QUAD", {1, 0, 0, 0, 0, 1}));
    Conversion verb = conv("CM_VERB", ConvKind::TabVerb, "TAB_VERB");
    verb.tableRef = "VT_GEAR";
    m.conversions.push_back(verb);
    Conversion verb2 = conv("CM_VERB2", ConvKind::TabVerb, "TAB_VERB");
    verb2.tableRef = "VT_GEAR";  // shares the table
    m.conversions.push_back(verb2);
    Conversion tab = conv("CM_TAB", ConvKind::TabIntp, "TAB_INTP");
    tab.tableRef = "T_CURVE";
    m.conversions.push_back(tab);
    Conversion form = conv("CM_FORM", ConvKind::Form, "FORM");
    form.formula = "X1*X1 < 4 && \"q\"";
    m.conversions.push_back(form);

    Table vt;
    vt.name = "VT_GEAR";
    vt.kind = Table::Kind::Verbal;
    vt.rows = {{0, 0, 0, "Neutral"}, {1, 0, 0, "First <1>"}};
    vt.defaultText = "invalid";
    m.tables.push_back(vt);
    Table t;
    t.name = "T_CURVE";
    t.kind = Table::Kind::Numeric;
    t.rows = {{0, 0, 10, ""}, {10, 0, 30, ""}, {20, 0, 20, ""}};
    m.tables.push_back(t);

    m.measurements.push_back(meas("u8", DataType::UByte));
    m.measurements.push_back(meas("temp", DataType::SWord, "CM_LIN"));
    m.measurements.back().event = 1;
    m.measurements.push_back(meas("ratLinear", DataType::ULong, "CM_RAT_LINEAR"));
    m.measurements.push_back(meas("u64", DataType::UInt64));
    m.measurements.push_back(meas("f64", DataType::Float64));
    Measurement masked = meas("flag", DataType::UByte);
    masked.bitMask = 0x04;
    m.measurements.push_back(masked);
    Measurement fullMask = meas("fullMask", DataType::UWord);
    fullMask.bitMask = 0xFFFF;  // selects every bit: written without a mask everywhere
    m.measurements.push_back(fullMask);
    m.measurements.push_back(meas("gear", DataType::UByte, "CM_VERB"));
    m.measurements.push_back(meas("gear2", DataType::UByte, "CM_VERB2"));
    m.measurements.push_back(meas("rat", DataType::UWord, "CM_RAT"));
    m.measurements.push_back(meas("curve", DataType::UWord, "CM_TAB"));
    m.measurements.push_back(meas("form", DataType::UWord, "CM_FORM"));
    Measurement arr = meas("arr", DataType::UWord);
    arr.dims = {2, 3};
    arr.address = 0x2000;
    m.measurements.push_back(arr);
    m.measurements.push_back(meas("quad", DataType::UWord, "CM_RAT_QUAD"));
    m.measurements.push_back(meas("half", DataType::Float16));
    m.measurements.push_back(meas("undefinedConv", DataType::UByte, "CM_MISSING"));
    m.reindex();
    return m;
}

ConvertResult build(const ConvertModel& m, const char* target, bool indent = true,
                    std::optional<std::string> station = std::nullopt, std::string prefix = "") {
    std::string err;
    auto t = parseTarget(target, &err);
    EXPECT_TRUE(t) << err;
    ConvertOptions o;
    o.target = *t;
    o.station = std::move(station);
    o.prefix = std::move(prefix);
    o.sourceName = "feature.a2l";
    o.indent = indent;
    return buildCfgInclude(m, o);
}

std::vector<std::string> leftNames(const ConvertResult& r) {
    std::vector<std::string> v;
    for (const auto& l : r.leftOut)
        v.push_back(l.name);
    return v;
}

bool has(const std::string& doc, const std::string& piece) {
    return doc.find(piece) != std::string::npos;
}

}  // namespace

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
        {{0, 1, 0, 0, 1, 1},
         K::Rational,
         Generation::G3,
         {{0.5, 1}, {0.75, 3}}},  // raw / (1 - raw)
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
    EXPECT_DOUBLE_EQ(applyConversion(p, 5), 20);
    EXPECT_DOUBLE_EQ(applyConversion(p, 15), 25);
    EXPECT_DOUBLE_EQ(applyConversion(p, -3), 10);  // clamped below
    EXPECT_DOUBLE_EQ(applyConversion(p, 99), 20);  // clamped above
    EXPECT_EQ(resolveConversion(*m.findConversion("CM_VERB"), m).needs, Generation::G2);
    Conversion wrong = conv("W", ConvKind::TabVerb, "TAB_VERB");
    wrong.tableRef = "T_CURVE";
    EXPECT_EQ(resolveConversion(wrong, m).kind, PhysConversion::Kind::Unsupported);
    wrong.tableRef = "NOWHERE";
    EXPECT_EQ(resolveConversion(wrong, m).kind, PhysConversion::Kind::Unsupported);
}

// Per generation: what is left out (with the version the reason names), what the file holds
// and what it must not hold.
TEST(CfgInclude, EachGenerationHoldsItsFeaturesAndNamesTheRest) {
    using Names = std::vector<std::string>;
    const struct {
        const char* target;
        Names leftOut;  // besides the never writable: second-degree RAT_FUNC, FLOAT16, undefined
        std::pair<const char*, const char*> reason;  // a left-out name and a part of its reason
        Names holds, lacks;
        std::size_t arraysSplit, tables;
    } rows[] = {
        {"tarVix=1.4.4",
         {"u64", "f64", "flag", "gear", "gear2", "rat", "curve", "form"},
         {"u64", "1.5.5"},
         {"format=\"1\"", "name=\"arr[1][2]\" a2lName=\"arr\" address=\"0x0000200A\"",
          // The linear RAT_FUNC becomes an exact linear conversion, allowed everywhere.
          "id=\"CM_RAT_LINEAR\" kind=\"linear\" factor=\"0.5\" offset=\"-2\"", "name=\"fullMask\""},
         {"dims=", "bitMask"},
         1,
         0},
        {"tarVix+1.5.5-2017.02.0",
         {"rat", "curve", "form"},
         {"rat", "2017.6.0"},
         {"bitMask=\"0x00000004\"",
          // The shared verbal table appears once and both conversions refer to it.
          "<table id=\"VT_GEAR\" kind=\"verbal\" default=\"invalid\">", "text=\"First &lt;1&gt;\"",
          "id=\"CM_VERB2\" kind=\"verbal\" table=\"VT_GEAR\""},
         {},
         1,
         1},
        {"tarVix=2017.06.0",
         {},
         {"half", ""},
         {"name=\"arr\" a2lName=\"arr\" address=\"0x00002000\"", "dims=\"2x3\"",
          "id=\"CM_RAT\" kind=\"rational\" num1=\"-1\" num0=\"0\" den1=\"1\" den0=\"-1\"",
          "id=\"CM_TAB\" kind=\"table\" table=\"T_CURVE\" interpolate=\"true\"",
          "expression=\"X1*X1 &lt; 4 &amp;&amp; &quot;q&quot;\""},
         {},
         0,
         2},
    };
    ConvertModel m = featureModel();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target);
        auto r = build(m, row.target);
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
        EXPECT_EQ(r.arraysSplit, row.arraysSplit);
        EXPECT_EQ(r.tables, row.tables);
        std::string why;
        EXPECT_TRUE(xmlWellFormed(r.document, &why)) << why;
    }
}

TEST(CfgInclude, StationPrefixAndDeterminism) {
    ConvertModel m = featureModel();
    auto r = build(m, "tarVix=2017.06.0", true, std::string("Test Bench <1>"), "ECU1");
    EXPECT_TRUE(
        has(r.document,
            "<station name=\"Test Bench &lt;1&gt;\" prefix=\"ECU1\" byteOrder=\"little\">"));
    EXPECT_TRUE(has(r.document, "name=\"ECU1.temp\" a2lName=\"temp\""));
    EXPECT_TRUE(has(r.document, "unit=\"degC\""));  // from the COMPU_METHOD
    EXPECT_TRUE(has(r.document, "event=\"1\" conversion=\"CM_LIN\""));
    EXPECT_TRUE(has(r.document,
                    "<event channel=\"1\" name=\"10ms\" shortName=\"10ms\" cycleNs=\"10000000\""));
    EXPECT_TRUE(has(r.document, "<param name=\"baudrate\" value=\"500000\"/>"));
    auto plain = build(m, "tarVix=2017.06.0");
    EXPECT_TRUE(has(plain.document, "<station name=\"ENGINE\" byteOrder=\"little\">"));
    EXPECT_TRUE(has(plain.document, "name=\"temp\" a2lName=\"temp\""));
    // Same input, same bytes; compact reindented equals indented.
    EXPECT_EQ(build(m, "tarVix=2017.06.0").document, plain.document);
    auto compact = build(m, "tarVix=2017.06.0", false);
    std::string re, err;
    ASSERT_TRUE(reindentCfgInclude(compact.document, &re, &err)) << err;
    EXPECT_EQ(re, plain.document);
}

TEST(CfgInclude, ByteOrderAndLimitsOfSplitting) {
    ConvertModel m;
    m.station.moduleName = "M";
    Measurement big = meas("big", DataType::ULong);
    big.byteOrder = ByteOrder::Big;
    m.measurements.push_back(big);
    Measurement swapped = meas("swapped", DataType::ULong);
    swapped.byteOrder = ByteOrder::MsbFirstMswLast;
    m.measurements.push_back(swapped);
    Measurement huge = meas("huge", DataType::UByte);
    huge.dims = {1000, 1000};
    m.measurements.push_back(huge);
    Measurement ones = meas("ones", DataType::UByte);
    ones.dims = {1, 1, 1};  // MATRIX_DIM 1 1 1 is a scalar
    m.measurements.push_back(ones);
    Measurement noAddr = meas("virtual", DataType::UByte);
    noAddr.address.reset();
    m.measurements.push_back(noAddr);
    Measurement wraps = meas("wraps", DataType::UByte);
    wraps.dims = {65536, 65536, 65536, 65536};  // 2^64 elements: a 64-bit product wraps to 0
    m.measurements.push_back(wraps);
    m.reindex();
    auto r = build(m, "tarVix=1.5.5");
    EXPECT_TRUE(has(r.document,
                    "name=\"big\" a2lName=\"big\" address=\"0x00001000\" extension=\"0\" "
                    "type=\"uint32\" byteOrder=\"big\""));
    EXPECT_TRUE(has(r.document, "name=\"ones\""));
    EXPECT_EQ(leftNames(r), (std::vector<std::string>{"swapped", "huge", "virtual", "wraps"}));
    auto r3 = build(m, "tarVix=2017.06.0");
    EXPECT_TRUE(has(r3.document,
                    "name=\"huge\" a2lName=\"huge\" address=\"0x00001000\" extension=\"0\" "
                    "type=\"uint8\" byteOrder=\"little\" dims=\"1000x1000\""));
}

TEST(CfgInclude, LeftOutAreAllCountedButOnlyTheFirstKeptInDetail) {
    ConvertModel m;
    for (int i = 0; i < 1500; ++i)
        m.measurements.push_back(meas("h" + std::to_string(i), DataType::Float16));
    m.measurements.push_back(meas("ok", DataType::UByte));
    m.reindex();
    auto r = build(m, "tarVix=2017.06.0");
    EXPECT_EQ(r.measurements, 1501u);
    EXPECT_EQ(r.leftOutCount, 1500u);
    EXPECT_EQ(r.leftOut.size(), kKeptLeftOut);
    EXPECT_EQ(r.leftOut.front().name, "h0");
    ASSERT_EQ(r.leftOutByCategory.size(), 1u);
    EXPECT_EQ(r.leftOutByCategory.begin()->second, 1500u);
    EXPECT_EQ(r.signals, 1u);
}

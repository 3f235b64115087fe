// The compare on models edited the way users' A2L files change.
#include <gtest/gtest.h>

#include "cfgconv/compare.hpp"

using namespace cfgconv;

namespace {

ConvertModel base() {
    ConvertModel m;
    m.station.byteOrder = ByteOrder::Little;
    Conversion lin;
    lin.name = "CM_LIN";
    lin.kind = ConvKind::Linear;
    lin.kindText = "LINEAR";
    lin.coeffsLinear = std::array<double, 2>{2, 1};
    lin.unit = "rpm";
    m.conversions.push_back(lin);
    for (int i = 0; i < 4; ++i) {
        Measurement s;
        s.name = "sig" + std::to_string(i);
        s.type = DataType::UWord;
        s.typeText = "UWORD";
        s.conversion = "CM_LIN";
        s.address = 0x100 + 2 * i;
        s.upper = 100;
        m.measurements.push_back(s);
    }
    Characteristic c;
    c.name = "map";
    c.type = "MAP";
    c.address = 0x8000;
    c.recordLayout = "RL";
    c.conversion = "CM_LIN";
    c.axes.push_back({"STD_AXIS", "sig0", "CM_LIN", 8, 0, 100, ""});
    m.characteristics.push_back(c);
    m.reindex();
    return m;
}

struct Run {
    CompareResult r;
    std::vector<std::string> lines;
};

Run run(const ConvertModel& a, const ConvertModel& b, bool verbose) {
    Run out;
    out.r = compareModels(a, b, verbose, [&](std::string_view l) { out.lines.emplace_back(l); });
    return out;
}

bool hasLine(const Run& r, const std::string& l) {
    return std::find(r.lines.begin(), r.lines.end(), l) != r.lines.end();
}

}  // namespace

TEST(Compare, IdenticalFilesShowNoDifference) {
    auto r = run(base(), base(), false);
    EXPECT_FALSE(r.r.signals.any());
    EXPECT_FALSE(r.r.conversions.any());
    EXPECT_EQ(r.r.signals.unchanged, 4u);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_EQ(
        compareSummary(r.r),
        "Summary: signals 0 added, 0 removed, 0 changed, 4 unchanged; characteristics 0 added, 0 "
        "removed, 0 changed, 1 unchanged; conversions 0 added, 0 removed, 0 changed, 1 unchanged");
}

TEST(Compare, AddressChangeRemovalAdditionAndConversionChange) {
    ConvertModel oldM = base(), newM = base();
    newM.measurements[1].address = 0x200;
    newM.measurements.erase(newM.measurements.begin() + 2);  // sig2 removed
    Measurement added = newM.measurements[0];
    added.name = "sigNew";
    newM.measurements.push_back(added);
    newM.conversions[0].coeffsLinear = std::array<double, 2>{2, 5};  // offset changed
    newM.characteristics[0].axes[0].maxAxisPoints = 16;
    newM.reindex();

    auto r = run(oldM, newM, false);
    EXPECT_EQ(r.r.signals.added, 1u);
    EXPECT_EQ(r.r.signals.removed, 1u);
    // Every remaining signal uses the changed conversion, sig1 also moved.
    EXPECT_EQ(r.r.signals.changed, 3u);
    EXPECT_EQ(r.r.conversions.changed, 1u);
    EXPECT_EQ(r.r.characteristics.changed, 1u);
    EXPECT_TRUE(hasLine(r, "+ signal sigNew"));
    EXPECT_TRUE(hasLine(r, "- signal sig2"));
    bool sawAddress = false;
    for (const auto& l : r.lines)
        if (l.rfind("~ signal sig1: address 0x00000102 -> 0x00000200", 0) == 0)
            sawAddress = true;
    EXPECT_TRUE(sawAddress);
    bool sawConv = false;
    for (const auto& l : r.lines)
        if (l.rfind("~ conversion CM_LIN: definition LINEAR COEFFS_LINEAR 2 1 -> LINEAR "
                    "COEFFS_LINEAR 2 5",
                    0) == 0)
            sawConv = true;
    EXPECT_TRUE(sawConv);

    // -v lists every compared value with its result.
    auto v = run(oldM, newM, true);
    EXPECT_EQ(v.r.signals.changed, 3u);
    EXPECT_TRUE(hasLine(v, "    address: 0x00000102 -> 0x00000200: changed"));
    EXPECT_TRUE(hasLine(v, "    data type: UWORD: same"));
    EXPECT_TRUE(hasLine(v, "    unit: rpm: same"));
    EXPECT_GT(v.lines.size(), r.lines.size() + 30);
}

TEST(Compare, ConversionSwappedOnOneSignal) {
    ConvertModel oldM = base(), newM = base();
    Conversion id;
    id.name = "CM_ID";
    id.kind = ConvKind::Identical;
    id.kindText = "IDENTICAL";
    newM.conversions.push_back(id);
    newM.measurements[3].conversion = "CM_ID";
    newM.measurements[3].bitMask = 0xF0;
    newM.reindex();
    auto r = run(oldM, newM, false);
    EXPECT_EQ(r.r.signals.changed, 1u);
    EXPECT_EQ(r.r.conversions.added, 1u);
    ASSERT_TRUE(hasLine(r, "+ conversion CM_ID"));
    EXPECT_TRUE(hasLine(
        r, "~ signal sig3: bit mask none -> 0x000000F0; conversion CM_LIN -> CM_ID; unit rpm -> "))
        << r.lines[0];
}

// The compare on models edited the way users' A2L files change.
#include <gtest/gtest.h>

#include <functional>

#include "cfgconv/compare.hpp"
#include "job_support.hpp"

using namespace cfgconv;
using jobtest::has;

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

}  // namespace

TEST(Compare, AddressChangeRemovalAdditionAndConversionChange) {
    ConvertModel oldM = base(), newM = base();
    newM.measurements[1].address = 0x200;
    newM.measurements.erase(newM.measurements.begin() + 2);  // sig2 removed
    Measurement added = newM.measurements[0];
    added.name = "sigNew";
    newM.measurements.push_back(added);
    newM.conversions[0].coeffsLinear = std::array<double, 2>{2, 5};  // offset changed
    newM.characteristics[0].axes[0].maxAxisPoints = 16;
    Conversion id;
    id.name = "CM_ID";
    id.kind = ConvKind::Identical;
    id.kindText = "IDENTICAL";
    newM.conversions.push_back(id);
    newM.measurements[2].conversion = "CM_ID";  // sig3 swaps its conversion
    newM.measurements[2].bitMask = 0xF0;
    newM.reindex();

    auto r = run(oldM, newM, false);
    // sig0 and sig1 use the changed conversion, sig1 also moved.
    const std::string lin = "definition LINEAR COEFFS_LINEAR 2 1 -> LINEAR COEFFS_LINEAR 2 5";
    EXPECT_EQ(
        r.lines,
        (std::vector<std::string>{
            "~ signal sig0: conversion " + lin,
            "~ signal sig1: address 0x00000102 -> 0x00000200; conversion " + lin,
            "~ signal sig3: bit mask none -> 0x000000F0; conversion CM_LIN -> CM_ID; unit rpm -> ",
            "+ signal sigNew", "- signal sig2",
            "~ characteristic map: axes STD_AXIS sig0 CM_LIN 8 0..100 -> STD_AXIS sig0 CM_LIN "
            "16 0..100; conversion " +
                lin,
            "~ conversion CM_LIN: " + lin, "+ conversion CM_ID"}));
    // -v spells out what was added and removed (changes: VerboseShowsChangesNotWhatStayed).
    const auto v = run(oldM, newM, true).lines;
    const std::string rest = "; data type UWORD; dimensions scalar; conversion CM_LIN; unit rpm";
    for (const std::string& l :
         {"+ signal sigNew: address 0x00000100" + rest, "- signal sig2: address 0x00000104" + rest})
        EXPECT_NE(std::find(v.begin(), v.end(), l), v.end()) << l;
}

namespace {

// Old and new model with a verbal table of `rows` entries behind one signal.
std::pair<ConvertModel, ConvertModel> gearTables(int rows) {
    ConvertModel oldM = base();
    Conversion gear;
    gear.name = "CM_GEAR";
    gear.kind = ConvKind::TabVerb;
    gear.kindText = "TAB_VERB";
    gear.tableRef = "VTAB_GEAR";
    gear.format = "%10.0";
    oldM.conversions.push_back(gear);
    Table& t = oldM.tables.emplace_back(
        Table{"VTAB_GEAR", Table::Kind::Verbal, {}, "invalid", std::nullopt});
    for (int i = 0; i < rows; ++i)
        t.rows.push_back({double(i), 0, 0, "gear " + std::to_string(i)});
    oldM.measurements[2].conversion = "CM_GEAR";
    oldM.reindex();
    return {oldM, oldM};
}

}  // namespace

// Of a changed verbal table the entries that differ, once; unchanged objects only counted.
TEST(Compare, VerboseShowsChangesNotWhatStayed) {
    auto [oldM, newM] = gearTables(3000);
    newM.measurements[1].address = 0x200;
    newM.measurements[1].upper = 200;
    Table& t = newM.tables[0];
    t.rows[3].text = "third";
    t.rows.pop_back();                       // 2999 removed
    t.rows.push_back({5000, 0, 0, "park"});  // 5000 added
    t.defaultText = "none";
    newM.conversions.back().format = "%8.0";
    newM.reindex();
    auto v = run(oldM, newM, true);
    EXPECT_EQ(std::tie(v.r.conversions.changed, v.r.signals.changed, v.r.signals.unchanged),
              std::make_tuple(1u, 2u, 2u));
    const std::vector<std::string> table = {
        "      3: \"gear 3\" -> \"third\"",
        "      5000: added \"park\"",
        "      2999: removed \"gear 2999\"",
        "      default: \"invalid\" -> \"none\"",
    };
    std::vector<std::string> expected = {
        "~ signal sig1",
        "    address: 0x00000102 -> 0x00000200",
        "    upper limit: 100 -> 200",
        "    unchanged: extension 0; data type UWORD; byte order little; bit mask none; "
        "dimensions scalar; conversion CM_LIN; unit rpm; lower limit 0; event none",
        "~ signal sig2",
        "    conversion definition: TAB_VERB TABLE VTAB_GEAR, entries changed:"};
    expected.insert(expected.end(), table.begin(), table.end());
    expected.push_back(
        "    unchanged: address 0x00000104; extension 0; data type UWORD; byte order little; bit "
        "mask none; dimensions scalar; conversion CM_GEAR; unit \"\"; lower limit 0; upper limit "
        "100; event none");
    expected.push_back("~ conversion CM_GEAR");
    expected.push_back("    definition: TAB_VERB TABLE VTAB_GEAR, entries changed:");
    expected.insert(expected.end(), table.begin(), table.end());
    expected.push_back("    format: %10.0 -> %8.0");
    expected.push_back("    unchanged: kind TAB_VERB; unit \"\"");
    EXPECT_EQ(v.lines, expected);

    // A signal whose conversion stayed lists only its name; the form without -v keeps
    // the whole definitions.
    ConvertModel moved = oldM;
    moved.measurements[2].address = 0x300;
    moved.reindex();
    auto m = run(oldM, moved, true);
    ASSERT_EQ(m.lines.size(), 3u);
    EXPECT_TRUE(run(oldM, oldM, true).lines.empty());
    EXPECT_PRED2(has, m.lines[2], "; conversion CM_GEAR; ");
    auto plain = run(oldM, newM, false);
    ASSERT_EQ(plain.lines.size(), 3u);
    EXPECT_PRED2(has, plain.lines[1], "2999=\"gear 2999\" default \"invalid\" } -> TAB_VERB");
}

// A renamed table with the same entries; two entries of one key: both definitions shown whole.
TEST(Compare, VerboseTableHeadAndSize) {
    auto verbose = [](const std::function<void(ConvertModel&, ConvertModel&)>& edit) {
        auto [oldM, newM] = gearTables(2);
        edit(oldM, newM);
        oldM.reindex();
        newM.reindex();
        return run(oldM, newM, true).lines;
    };
    const auto renamed = verbose([](ConvertModel&, ConvertModel& b) {
        b.conversions.back().unit = "-";
        b.conversions.back().tableRef = b.tables[0].name = "VTAB_GEAR2";
    });
    EXPECT_EQ(
        std::vector<std::string>(renamed.end() - 4, renamed.end()),
        (std::vector<std::string>{
            "~ conversion CM_GEAR",
            "    definition: TAB_VERB TABLE VTAB_GEAR -> TAB_VERB TABLE VTAB_GEAR2, same entries",
            "    unit: \"\" -> -", "    unchanged: kind TAB_VERB; format %10.0"}));
    EXPECT_EQ(
        verbose([](ConvertModel&, ConvertModel& b) { b.conversions.back().unit = "-"; }).back(),
        "    unchanged: kind TAB_VERB; definition TAB_VERB TABLE VTAB_GEAR (2 entries, "
        "default \"invalid\"); format %10.0");
    const auto dup = verbose([](ConvertModel& a, ConvertModel& b) {
        a.tables[0].rows[1].raw = 0;
        b.tables[0].rows[1] = {0, 0, 0, "first"};
    });
    EXPECT_TRUE(std::any_of(dup.begin(), dup.end(), [](const std::string& l) {
        return has(l, "=\"gear 1\"") && has(l, "=\"first\"");
    })) << ::testing::PrintToString(dup);
}

TEST(Compare, TheFirstOfTwoObjectsOfOneNameCounts) {
    ConvertModel oldM = base(), newM = base();
    for (int i : {0, 1}) {
        Measurement again = oldM.measurements[i];
        again.address = 0x900;
        oldM.measurements.push_back(again);  // sig0 and sig1 again, elsewhere: ignored
    }
    newM.measurements[2].address = 0x904;  // sig2 moved
    Measurement again = newM.measurements[2];
    again.address = 0x104;
    newM.measurements.push_back(again);                  // sig2 again, where it was: ignored
    newM.measurements.erase(newM.measurements.begin());  // sig0 removed
    auto r = run(oldM, newM, false);
    // sig1 as first given and sig3 unchanged.
    EXPECT_EQ(std::tie(r.r.signals.added, r.r.signals.removed, r.r.signals.changed,
                       r.r.signals.unchanged),
              std::make_tuple(0u, 1u, 1u, 2u));
    EXPECT_EQ(r.lines, (std::vector<std::string>{"~ signal sig2: address 0x00000104 -> 0x00000904",
                                                 "- signal sig0"}));
}

// Also values from elsewhere in the model: the station's byte order, the conversion's unit.
TEST(Compare, EveryShownValueChangedAloneIsAChange) {
    auto edited = [](const std::function<void(ConvertModel&)>& edit) {
        ConvertModel b = base();
        edit(b);
        b.reindex();
        return run(base(), b, false).r;
    };
    const std::pair<const char*, std::function<void(Measurement&)>> signalEdits[] = {
        {"address", [](Measurement& s) { s.address = 0x900; }},
        {"no address", [](Measurement& s) { s.address.reset(); }},
        {"extension", [](Measurement& s) { s.extension = 1; }},
        {"data type", [](Measurement& s) { s.typeText = "SWORD"; }},
        {"byte order", [](Measurement& s) { s.byteOrder = ByteOrder::Big; }},
        {"bit mask", [](Measurement& s) { s.bitMask = 0xFF; }},
        {"dimensions", [](Measurement& s) { s.dims = {4}; }},
        {"conversion", [](Measurement& s) { s.conversion = "NO_COMPU_METHOD"; }},
        {"unit", [](Measurement& s) { s.physUnit = "km/h"; }},
        {"lower limit", [](Measurement& s) { s.lower = -1; }},
        {"upper limit", [](Measurement& s) { s.upper = 101; }},
        {"event", [](Measurement& s) { s.event = 3; }},
    };
    for (const auto& [what, edit] : signalEdits)
        EXPECT_GE(edited([&](ConvertModel& m) { edit(m.measurements[1]); }).signals.changed, 1u)
            << what;
    EXPECT_GE(edited([](ConvertModel& m) { m.station.byteOrder = ByteOrder::Big; }).signals.changed,
              1u);
    const std::pair<const char*, std::function<void(Characteristic&)>> characteristicEdits[] = {
        {"type", [](Characteristic& c) { c.type = "CURVE"; }},
        {"address", [](Characteristic& c) { c.address = 0x8002; }},
        {"extension", [](Characteristic& c) { c.extension = 2; }},
        {"record layout", [](Characteristic& c) { c.recordLayout = "RL2"; }},
        {"byte order", [](Characteristic& c) { c.byteOrder = ByteOrder::Big; }},
        {"bit mask", [](Characteristic& c) { c.bitMask = 0xF0; }},
        {"dimensions", [](Characteristic& c) { c.dims.assign(2, 3); }},  // 3x3
        {"conversion", [](Characteristic& c) { c.conversion = "CM_X"; }},
        {"lower limit", [](Characteristic& c) { c.lower = -1; }},
        {"upper limit", [](Characteristic& c) { c.upper = 7; }},
        {"axis attribute", [](Characteristic& c) { c.axes[0].attribute = "COM_AXIS"; }},
        {"axis input", [](Characteristic& c) { c.axes[0].inputQuantity = "sig1"; }},
        {"axis conversion", [](Characteristic& c) { c.axes[0].conversion = "CM_Y"; }},
        {"axis points", [](Characteristic& c) { c.axes[0].maxAxisPoints = 9; }},
        {"axis lower", [](Characteristic& c) { c.axes[0].lower = 1; }},
        {"axis upper", [](Characteristic& c) { c.axes[0].upper = 99; }},
        {"axis points ref", [](Characteristic& c) { c.axes[0].axisPtsRef = "AP"; }},
        {"second axis", [](Characteristic& c) { c.axes.push_back({}); }},
    };
    for (const auto& [what, edit] : characteristicEdits)
        EXPECT_EQ(
            edited([&](ConvertModel& m) { edit(m.characteristics[0]); }).characteristics.changed,
            1u)
            << what;
    // The conversion's unit changes every signal that uses it.
    EXPECT_EQ(edited([](ConvertModel& m) { m.conversions[0].unit = "1/min"; }).signals.changed, 4u);
}

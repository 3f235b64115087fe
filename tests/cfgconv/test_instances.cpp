// ASAP2 1.7 INSTANCEs become signals: measurement types directly, structures component by
// component at their offsets, with what cannot be placed reported as left out.
#include <gtest/gtest.h>

#include <a2l/a2l.h>

#include <filesystem>
#include <map>
#include <string>

#include "cfgconv/a2l_adapter.hpp"
#include "cfgconv/cfginclude.hpp"

using namespace cfgconv;

namespace {

// Measurement and characteristic types, structures nested, pointed to and looping, and
// instances of each, some of which cannot be placed.
ConvertModel instancesModel() {
    auto result = a2l::readFile(std::filesystem::path(CFGCONV_TEST_DATA) / "instances.a2l");
    EXPECT_TRUE(result.ok()) << (result.error ? result.error->toString() : "");
    ConvertModel model;
    if (result.ok())
        fillModel(*result.document, &model);
    return model;
}

std::string category(const Measurement& m) {
    return m.unusable ? m.unusable->category : std::string();
}

std::map<std::string, Measurement> byName(const ConvertModel& m) {
    std::map<std::string, Measurement> out;
    for (const auto& x : m.measurements)
        out.emplace(x.name, x);
    return out;
}

}  // namespace

TEST(Instances, MeasurementAndStructureInstancesBecomeSignals) {
    auto signals = byName(instancesModel());

    const Measurement& n = signals.at("nEng");
    EXPECT_EQ(std::tie(n.address, n.extension, n.type, n.conversion, n.physUnit, n.upper, n.event),
              std::make_tuple(0x1000u, 2u, DataType::UWord, "CM_Lin", "rpm", 32767.0, 3u));
    EXPECT_FALSE(n.unusable);

    // car[i] at 0x2000 + i * 0x40; wheel[j] at +0x10 + j * 0x10 inside it.
    EXPECT_EQ(signals.at("car[0].count").address, 0x2000u);
    EXPECT_EQ(signals.at("car[1].count").address, 0x2040u);
    EXPECT_EQ(signals.at("car[0].wheel[1].speed").address, 0x2020u);
    EXPECT_EQ(signals.at("car[1].wheel[0].speed").address, 0x2050u);
    const Measurement& accel = signals.at("car[1].wheel[1].accel");
    EXPECT_EQ(accel.address, 0x2064u);
    EXPECT_EQ(accel.dims, (std::vector<std::uint32_t>{3}));  // the type's own array
    EXPECT_EQ(accel.type, DataType::Float32);
    // Calibration components give no signal.
    EXPECT_EQ(signals.count("car[0].wheel[0].gain"), 0u);
    EXPECT_EQ(signals.count("param"), 0u);
    // ADDRESS_TYPE DIRECT is a plain address.
    EXPECT_EQ(signals.at("direct.speed").address, 0x3000u);
    EXPECT_FALSE(signals.at("direct.speed").unusable);
}

TEST(Instances, WhatCannotBePlacedIsLeftOutWithAReason) {
    ConvertModel model = instancesModel();
    auto signals = byName(model);
    EXPECT_EQ(category(signals.at("car[0].next")), "pointer-addressed instance");
    EXPECT_EQ(category(signals.at("viaPointer")), "pointer-addressed instance");
    ASSERT_EQ(category(signals.at("typo")), "undefined type");
    EXPECT_NE(signals.at("typo").unusable->reason.find("M_U61"), std::string::npos);
    // A structure that contains itself ends at the depth limit with one unusable signal.
    const std::string deepest = "loop" + [] {
        std::string s;
        for (int i = 0; i < 17; ++i)
            s += ".self";
        return s;
    }();
    EXPECT_EQ(category(signals.at(deepest)), "type nested too deeply");
    // 90,000 structures of two signals each exceed the limit: one entry, not a partial array.
    EXPECT_EQ(category(signals.at("huge")), "instance too large");
    EXPECT_EQ(signals.count("huge[0][0].speed"), 0u);

    ConvertOptions options;
    std::string error;
    options.target = *parseTarget("tarVix=2017.06.0", &error);
    ConvertResult r = buildCfgInclude(model, options);
    std::map<std::string, std::size_t> expected{{"pointer-addressed instance", 3},
                                                {"undefined type", 1},
                                                {"type nested too deeply", 1},
                                                {"instance too large", 1}};
    EXPECT_EQ(r.leftOutByCategory, expected);
    EXPECT_NE(r.document.find("<signal name=\"car[1].wheel[1].accel\" a2lName=\"car[1].wheel[1]"
                              ".accel\" address=\"0x00002064\""),
              std::string::npos);
    EXPECT_NE(r.document.find("name=\"nEng\" a2lName=\"nEng\" address=\"0x00001000\" "
                              "extension=\"2\" type=\"uint16\""),
              std::string::npos);
    // One signal per placed measurement component: 1 + 2 cars x (1 + 2 wheels x 2) + 2 direct.
    EXPECT_EQ(r.signals, 1u + 2u * (1u + 2u * 2u) + 2u);
}

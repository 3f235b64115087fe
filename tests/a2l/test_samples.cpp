// The public sample files, read in place. Object counts are compared with an independent
// scan of the files (test_helpers.cpp), not with the engine's own figures.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "test_helpers.h"

namespace fs = std::filesystem;
using a2ltest::countBlocks;
using a2ltest::sharedDir;
using a2ltest::slurp;

namespace {

class Samples : public ::testing::Test {
protected:
    void SetUp() override {
        if (sharedDir().empty()) {
            GTEST_SKIP() << "public A2L samples not found at " QUILLMOOR_SHARED_A2L_DIR
                            " (set QUILLMOOR_SHARED_A2L_DIR); the inline tests cover the rest";
        }
    }
    // The document of a sample that reads without error (an exception fails the test).
    const a2l::Document& read(const char* file) {
        result_ = a2l::readFile(sharedDir() / file);
        if (!result_.ok()) {
            throw std::runtime_error(file + (": " + result_.error->toString()));
        }
        return *result_.document;
    }
    a2l::ReadResult result_;
};

TEST_F(Samples, EveryGoodSampleReadsAndCountsAgree) {
    // Each sample with the files it includes, all scanned for the independent counts.
    const std::vector<const char*> samples[] = {
        {"ASAP2_Demo_V161.a2l"},
        {"ASAP2_Demo_V171.a2l"},
        {"A2L_Example.a2l"},
        {"example-a2l-file.a2l"},
        {"torture/freeTest.a2l"},
        {"xcplite/xcp_demo_autodetect.a2l", "xcplite/XCP_104.aml"},
        {"nested_includes/TEST_Nested_Includes.a2l", "nested_includes/AMLTemplate.aml",
         "nested_includes/submodules/MODULE_INCLUDES.a2l",
         "nested_includes/submodules/MEASUREMENTS.a2l",
         "nested_includes/submodules/CHARACTERISTICS.a2l",
         "nested_includes/submodules/TRANSFORMERS.a2l"}};
    for (const auto& files : samples) {
        const char* name = files[0];
        fs::path main = sharedDir() / name;
        auto result = a2l::readFile(main);
        ASSERT_TRUE(result.ok()) << name << ": " << result.error->toString();
        const auto& doc = *result.document;
        EXPECT_EQ(doc.files().size(), files.size()) << name;
        std::map<std::string, std::size_t> scan;
        for (const char* f : files) {
            for (const auto& [k, n] : countBlocks(slurp(sharedDir() / f)))
                scan[k] += n;
        }
        a2ltest::expectScanCounts(doc, scan, name);
        for (const auto& m : doc.all<a2l::Measurement>())
            EXPECT_NE(m.dataType, a2l::DataType::Unknown) << name << " " << m.name;
        // The reading pass checks fixed parameters itself; the full decoder (validateDeep)
        // checks them again with the optional keywords: it reports whatever the first does.
        a2l::ReadOptions deep;
        deep.validateDeep = true;
        auto full = a2l::readFile(main, deep);
        ASSERT_TRUE(full.ok()) << name;
        std::set<std::string> fullSet;
        for (const auto& w : full.warnings)
            fullSet.insert(w.toString());
        for (const auto& w : result.warnings)
            EXPECT_TRUE(fullSet.count(w.toString())) << name << ": " << w.toString();
    }
}

TEST_F(Samples, BrokenSamplesFailAtTheRightLine) {
    const std::tuple<const char*, std::uint32_t, std::uint32_t, const char*> rows[] = {
        {"engine_ecu.a2l", 7, 5, "\"supp1_if.aml\" not found"},
        {"malformed/invalidString.a2l", 13, 28, "unterminated string"}};
    for (const auto& [file, line, column, says] : rows) {
        auto r = a2l::readFile(sharedDir() / file);
        ASSERT_FALSE(r.ok()) << file;
        EXPECT_EQ(r.error->toString(), (sharedDir() / file).string() + ":" + std::to_string(line) +
                                           ":" + std::to_string(column) +
                                           ": error: " + r.error->message);
        EXPECT_NE(r.error->message.find(says), std::string::npos) << r.error->message;
    }
}

TEST_F(Samples, Demo161ConversionsAndXcpOnCan) {
    const auto& doc = read("ASAP2_Demo_V161.a2l");
    std::set<a2l::ConversionKind> kinds;
    for (const auto& c : doc.all<a2l::CompuMethod>())
        kinds.insert(c.kind);
    using K = a2l::ConversionKind;
    // TAB_NOINTP occurs in this file only as a COMPU_TAB, not as a COMPU_METHOD kind.
    EXPECT_EQ(kinds,
              (std::set<K>{K::Identical, K::Linear, K::RatFunc, K::TabIntp, K::TabVerb, K::Form}));
    const auto tab = doc.find<a2l::CompuTab>("CM.TAB_NOINTP.DEFAULT_VALUE.REF").value();
    EXPECT_EQ(tab.kind, K::TabNoIntp);
    ASSERT_EQ(tab.pairs.size(), 12u);
    EXPECT_EQ(tab.pairs[0], std::make_pair(-3.0, 98.0));
    const auto xcp = doc.xcp();
    ASSERT_TRUE(xcp.size() == 1 && xcp[0].onCan.size() == 1);
    const auto& can = xcp[0].onCan[0];
    EXPECT_EQ(std::tie(can.canIdBroadcast, can.canIdMaster, can.canIdSlave, can.baudrate),
              std::make_tuple(0x52u, 0x51u, 0x50u, 0x7A120u));
    auto events = doc.xcpEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].name, "5ms");
    EXPECT_DOUBLE_EQ(*events[0].cycleSeconds(), 0.005);
    EXPECT_EQ(doc.blocks(a2l::BlockKind::A2ml).size(), 1u);
}

TEST_F(Samples, ToolWrittenFileWithCrlfAndVendorIfData) {
    const auto& doc = read("A2L_Example.a2l");
    const auto m = doc.find<a2l::Measurement>("backgroundlightmax").value();
    EXPECT_EQ(std::tie(m.dataType, m.ecuAddress, m.physUnit, m.readWrite),
              std::make_tuple(a2l::DataType::UInt64, 0x70012470u, "km/h", true));
    ASSERT_EQ(m.ifData.size(), 1u);
    EXPECT_EQ(m.ifData[0].name(), "CANAPE_EXT");
    EXPECT_EQ(m.block.line(), 874u);
    const auto xcp = doc.xcp();
    ASSERT_TRUE(xcp.size() == 1 && xcp[0].onIp.size() == 1);
    EXPECT_EQ(std::tie(xcp[0].onIp[0].port, xcp[0].onIp[0].address),
              std::make_tuple(0x15B3u, "192.168.0.128"));
}

TEST_F(Samples, TortureStringsAndNumbers) {
    const auto& doc = read("torture/freeTest.a2l");
    ASSERT_EQ(doc.modules().size(), 1u);
    EXPECT_EQ(doc.modules()[0].longIdentifier,
              "great example with different escaped quotation \" marks like double quotes \" and "
              "backslash escaped at the end \"");
    const auto a = doc.find<a2l::Characteristic>("char_a").value();
    EXPECT_EQ(a.longIdentifier,
              "any unknown es\\cape\\d\\ \\character, escaped backslash \\ and for fun \\\\ and "
              "\\\\");
    const auto b = doc.find<a2l::Characteristic>("char_b").value();
    EXPECT_EQ(b.longIdentifier.find('\n'), std::string::npos);
    const auto c = doc.find<a2l::Characteristic>("char_c").value();
    EXPECT_EQ(std::tie(c.lowerLimit, c.upperLimit), std::make_tuple(0.001, 100.0));
    EXPECT_TRUE(doc.find<a2l::Characteristic>("veRy_ComPlex[identifier_123].and.I.am.lo__n_g"));
}

TEST_F(Samples, XcpliteIncludeAndEventBindings) {
    const auto& doc = read("xcplite/xcp_demo_autodetect.a2l");
    auto a2ml = doc.blocks(a2l::BlockKind::A2ml);
    ASSERT_EQ(a2ml.size(), 1u);
    EXPECT_EQ(fs::path(a2ml[0].location().file).filename(), "XCP_104.aml");
    EXPECT_NE(a2ml[0].rawText().find("\"XCP_ON_CAN\""), std::string_view::npos);
    const auto sum = doc.find<a2l::Measurement>("g_param_sum").value();
    EXPECT_TRUE(sum.daqEvents.variable);
    EXPECT_EQ(sum.daqEvents.defaultEvents, std::vector<std::uint32_t>{0});
    const auto c32 = doc.find<a2l::Measurement>("counter32").value();
    EXPECT_EQ(c32.daqEvents.fixedEvents, std::vector<std::uint32_t>{0});
    EXPECT_EQ(std::tie(c32.upperLimit, c32.ecuAddressExtension), std::make_tuple(4.29497e9, 2u));
    ASSERT_EQ(doc.xcpEvents().size(), 1u);
    EXPECT_EQ(doc.xcpEvents()[0].name, "mainloop");
    const auto par = doc.modPar();
    ASSERT_TRUE(par && par->memorySegments.size() == 2);
    EXPECT_EQ(std::tie(par->epk, par->memorySegments[1].address),
              std::make_tuple("V1.5", 0x80010000u));
}

}  // namespace

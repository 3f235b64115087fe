// DAQ events, addresses from IF_DATA KP_BLOBs, and INSTANCEs as signals or left out.
#include <gtest/gtest.h>

#include <a2l/a2l.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "cfgconv/a2l_adapter.hpp"
#include "cfgconv/cfginclude.hpp"

using namespace cfgconv;

namespace {

const char* const kXcpEvents = R"(
  /begin IF_DATA XCP
    /begin DAQ DYNAMIC 0 4 0 OPTIMISATION_TYPE_DEFAULT ADDRESS_EXTENSION_FREE
      IDENTIFICATION_FIELD_TYPE_ABSOLUTE GRANULARITY_ODT_ENTRY_SIZE_DAQ_BYTE 8 NO_OVERLOAD_INDICATION
      /begin EVENT "1 ms" "1ms" 1 DAQ 1 1 6 0 /end EVENT
      /begin EVENT "10 ms" "10ms" 2 DAQ 1 10 6 0 /end EVENT
    /end DAQ
  /end IF_DATA)";

// A second XCP block (another transport layer, say) defines events of its own.
const std::string kTwoXcpBlocks = std::string(kXcpEvents) + R"(
  /begin IF_DATA XCP /begin DAQ DYNAMIC 0 1 0 OPTIMISATION_TYPE_DEFAULT ADDRESS_EXTENSION_FREE
    IDENTIFICATION_FIELD_TYPE_ABSOLUTE GRANULARITY_ODT_ENTRY_SIZE_DAQ_BYTE 8 NO_OVERLOAD_INDICATION
    /begin EVENT "100 ms" "100ms" 3 DAQ 1 100 6 0 /end EVENT /end DAQ /end IF_DATA)";

// CCP numbers event channels in the QP_BLOB's RASTER; DAQ lists 5 and 6 are other numbers.
const char* const kCcpSources = R"(
  /begin IF_DATA ASAP1B_CCP
    /begin SOURCE "10 ms" 4 1 /begin QP_BLOB 5 LENGTH 8 RASTER 2 /end QP_BLOB /end SOURCE
    /begin SOURCE "100 ms" 4 10 /begin QP_BLOB 6 LENGTH 8 RASTER 3 /end QP_BLOB /end SOURCE
    /begin TP_BLOB 0x201 0x202 0x200 0x300 0 1 BAUDRATE 500000 /end TP_BLOB
  /end IF_DATA)";

std::string a2lWith(const std::string& moduleIfData, const std::string& measurementIfData,
                    const std::string& extra = "") {
    return "ASAP2_VERSION 1 61\n/begin PROJECT p \"\"\n/begin MODULE ECU \"\"\n" + moduleIfData +
           "\n  /begin MEASUREMENT m \"\" UWORD NO_COMPU_METHOD 0 0 0 100 ECU_ADDRESS 0x100\n" +
           measurementIfData + "\n  /end MEASUREMENT\n" + extra + "/end MODULE\n/end PROJECT\n";
}

// The model of what the engine read; `info` gets what loading it noted.
ConvertModel modelOf(const a2l::ReadResult& result, LoadInfo* info = nullptr) {
    EXPECT_TRUE(result.ok()) << (result.error ? result.error->toString() : "");
    ConvertModel model;
    if (result.ok())
        fillModel(*result.document, &model, {}, nullptr, info);
    return model;
}
ConvertModel modelOf(const std::string& text, LoadInfo* info = nullptr) {
    return modelOf(a2l::readText(text, "binding.a2l"), info);
}

std::map<std::string, Measurement> byName(const ConvertModel& m) {
    std::map<std::string, Measurement> out;
    for (const auto& x : m.measurements)
        out.emplace(x.name, x);
    return out;
}

std::string category(const Measurement& m) {
    return m.unusable ? m.unusable->category : std::string();
}

const char* const kFixed3Default2 =
    "/begin IF_DATA XCP /begin DAQ_EVENT FIXED_EVENT_LIST EVENT 3 /end DAQ_EVENT /end IF_DATA "
    "/begin IF_DATA XCP /begin DAQ_EVENT VARIABLE /begin DEFAULT_EVENT_LIST EVENT 2 "
    "/end DEFAULT_EVENT_LIST /end DAQ_EVENT /end IF_DATA";

}  // namespace

TEST(Binding, SignalsNameOnlyEventsOfTheStationProtocolThatTheFileDefines) {
    struct Row {
        const char* what;
        const char* module;
        std::string measurement;
        std::optional<std::uint32_t> event;
    };
    const Row rows[] = {
        {"XCP fixed event", kXcpEvents,
         "/begin IF_DATA XCP /begin DAQ_EVENT FIXED_EVENT_LIST EVENT 2 /end DAQ_EVENT /end IF_DATA",
         2},
        {"XCP default event", kXcpEvents,
         "/begin IF_DATA XCP /begin DAQ_EVENT VARIABLE /begin DEFAULT_EVENT_LIST EVENT 1 "
         "/end DEFAULT_EVENT_LIST /end DAQ_EVENT /end IF_DATA",
         1},
        {"XCP fixed event the file does not define, default event it does", kXcpEvents,
         kFixed3Default2, 2},
        {"XCP event of the second XCP block", kTwoXcpBlocks.c_str(),
         "/begin IF_DATA XCP /begin DAQ_EVENT FIXED_EVENT_LIST EVENT 3 /end DAQ_EVENT /end IF_DATA",
         3},
        {"XCP binding to an undefined channel only", kXcpEvents,
         "/begin IF_DATA XCP /begin DAQ_EVENT FIXED_EVENT_LIST EVENT 7 /end DAQ_EVENT /end IF_DATA",
         std::nullopt},
        {"foreign RASTER next to an XCP binding", kXcpEvents,
         "/begin IF_DATA ETK KP_BLOB 0x100 INTERN 2 RASTER 1 /end IF_DATA "
         "/begin IF_DATA XCP /begin DAQ_EVENT FIXED_EVENT_LIST EVENT 2 /end DAQ_EVENT /end IF_DATA",
         2},
        {"foreign RASTER alone, on a channel number XCP defines", kXcpEvents,
         "/begin IF_DATA ETK KP_BLOB 0x100 INTERN 2 RASTER 1 /end IF_DATA", std::nullopt},
        {"CCP raster", kCcpSources,
         "/begin IF_DATA ASAP1B_CCP KP_BLOB 0 0x100 2 RASTER 3 /end IF_DATA", 3},
        {"CCP raster naming a DAQ list number, not a channel", kCcpSources,
         "/begin IF_DATA ASAP1B_CCP KP_BLOB 0 0x100 2 RASTER 5 /end IF_DATA", std::nullopt},
        {"foreign RASTER in a CCP file", kCcpSources,
         "/begin IF_DATA ETK KP_BLOB 0x100 INTERN 2 RASTER 2 /end IF_DATA", std::nullopt},
        {"no protocol at all", "",
         "/begin IF_DATA ETK KP_BLOB 0x100 INTERN 2 RASTER 0 /end IF_DATA", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ConvertModel model = modelOf(a2lWith(row.module, row.measurement));
        ASSERT_EQ(model.measurements.size(), 1u);
        EXPECT_EQ(model.measurements[0].event, row.event);
    }
}

TEST(Binding, CcpEventsAreNumberedByChannelLikeTheSignals) {
    ConvertModel model = modelOf(a2lWith(kCcpSources, ""));
    EXPECT_EQ(model.station.protocol, "CCP");
    ASSERT_EQ(model.station.events.size(), 2u);
    EXPECT_EQ(model.station.events[0].channel, 2u);
    EXPECT_EQ(model.station.events[1].channel, 3u);
    // Without a RASTER in its QP_BLOB a source keeps its DAQ list number.
    ConvertModel old = modelOf(a2lWith(
        "/begin IF_DATA ASAP1B_CCP /begin SOURCE \"s\" 4 1 /begin QP_BLOB 4 LENGTH 8 /end QP_BLOB "
        "/end SOURCE /end IF_DATA",
        "/begin IF_DATA ASAP1B_CCP KP_BLOB 0 0x100 2 RASTER 4 /end IF_DATA"));
    ASSERT_EQ(old.station.events.size(), 1u);
    EXPECT_EQ(old.station.events[0].channel, 4u);
    EXPECT_EQ(old.measurements.at(0).event, 4u);
}

TEST(Binding, AddressesFromIfDataKpBlobs) {
    // The vendor's A2ML puts the address third; without A2ML ASAP1B_CCP has it second and
    // every other interface first.
    const std::string a2ml = R"(/begin A2ML block "IF_DATA" taggedunion {
        "VENDOR" taggedstruct { "KP_BLOB" struct { uint; uint; ulong; }; }; }; /end A2ML)";
    const char* measurements = R"(
  /begin MEASUREMENT vendor "" UBYTE NO_COMPU_METHOD 0 0 0 1
    /begin IF_DATA VENDOR KP_BLOB 1 2 0x3000 /end IF_DATA /end MEASUREMENT
  /begin MEASUREMENT ccp "" UBYTE NO_COMPU_METHOD 0 0 0 1
    /begin IF_DATA ASAP1B_CCP KP_BLOB 1 0x4000 1 /end IF_DATA /end MEASUREMENT
  /begin MEASUREMENT dimBlock "" UBYTE NO_COMPU_METHOD 0 0 0 1
    /begin IF_DATA DIM /begin KP_BLOB 0x5000 WORD /end KP_BLOB /end IF_DATA /end MEASUREMENT
  /begin MEASUREMENT agree "" UBYTE NO_COMPU_METHOD 0 0 0 1
    /begin IF_DATA ETK KP_BLOB 0x6000 INTERN 1 /end IF_DATA
    /begin IF_DATA ASAP1B_KWP2000 KP_BLOB 0x6000 EXTERN 1 /end IF_DATA /end MEASUREMENT
  /begin MEASUREMENT differ "" UBYTE NO_COMPU_METHOD 0 0 0 1
    /begin IF_DATA ETK KP_BLOB 0x7000 INTERN 1 /end IF_DATA
    /begin IF_DATA ASAP1B_KWP2000 KP_BLOB 0x7001 EXTERN 1 /end IF_DATA /end MEASUREMENT
  /begin MEASUREMENT notANumber "" UBYTE NO_COMPU_METHOD 0 0 0 1
    /begin IF_DATA ETK KP_BLOB INTERN 0x8000 /end IF_DATA /end MEASUREMENT
)";
    // "m" has both: its ECU_ADDRESS wins.
    LoadInfo info;
    auto signals = byName(modelOf(
        a2lWith(a2ml, "/begin IF_DATA ETK KP_BLOB 0x9999 INTERN 2 /end IF_DATA", measurements),
        &info));
    // Each: a name, its address, the category of its being unusable.
    const std::tuple<const char*, std::optional<std::uint64_t>, const char*> rows[] = {
        {"m", 0x100, ""},  // ECU_ADDRESS, not its KP_BLOB's 0x9999
        {"vendor", 0x3000, ""},
        {"ccp", 0x4000, ""},
        {"dimBlock", 0x5000, ""},
        {"agree", 0x6000, ""},
        {"differ", std::nullopt, "conflicting IF_DATA addresses"},
        {"notANumber", std::nullopt, ""},
    };
    for (const auto& [name, address, unusable] : rows) {
        SCOPED_TRACE(name);
        ASSERT_EQ(signals.count(name), 1u);
        EXPECT_EQ(signals.at(name).address, address);
        EXPECT_EQ(category(signals.at(name)), unusable);
    }
    EXPECT_NE(signals.at("differ").unusable->reason.find("0x7000 (ETK), 0x7001 (ASAP1B_KWP2000)"),
              std::string::npos);
    EXPECT_EQ(info.addressesFromIfData, 4u);

    // The address is the first ulong of each interface's KP_BLOB, wherever tags and comments are.
    const char* fields = R"(
      block "IF_DATA" taggedunion if_data {
        "ETK" taggedstruct {
          /* "KP_BLOB" struct { uint; ulong; }; in a comment does not count, nor on the
             comment's next line: "KP_BLOB" struct { uint; ulong; }; */
          ("RASTER" uchar)*;
          "KP_BLOB" struct { ulong; enum { "INTERN" = 0, "EXTERN" = 1 }; uint; };
        };
        "ASAP1B_CCP" taggedstruct {
          (block "SOURCE" struct { struct { char[101]; int; long; }; taggedstruct { }; })*;
          block "KP_BLOB" struct { uint; ulong; uchar; taggedstruct { ("RASTER" uchar)*; }; };
        };
        "VENDOR" taggedunion { "KP_BLOB" struct { enum { "A" = 0 }; struct { uint; uint; }; ulong; }; };
        "NOADDR" taggedstruct { "KP_BLOB" struct { uint; uchar; }; };
      };)";
    EXPECT_EQ(a2l::kpBlobAddressFields(fields), (std::map<std::string, std::size_t, std::less<>>{
                                                    {"ETK", 0}, {"ASAP1B_CCP", 1}, {"VENDOR", 3}}));
}

TEST(Instances, BecomeSignalsOrAreLeftOutWithAReason) {
    // Types and structures (nested, pointed to, looping) and instances of each.
    const ConvertModel model =
        modelOf(a2l::readFile(std::filesystem::path(CFGCONV_TEST_DATA) / "instances.a2l"));
    auto signals = byName(model);

    const Measurement& n = signals.at("nEng");
    EXPECT_EQ(std::tie(n.address, n.extension, n.type, n.conversion, n.physUnit, n.upper, n.event),
              std::make_tuple(0x1000u, 2u, DataType::UWord, "CM_Lin", "rpm", 32767.0, 3u));

    // car[i] at 0x2000 + i * 0x40; wheel[j] at +0x10 + j * 0x10 inside it; DIRECT is plain.
    for (const auto& [name, address] : {std::pair{"car[0].count", 0x2000u},
                                        {"car[1].count", 0x2040u},
                                        {"car[0].wheel[1].speed", 0x2020u},
                                        {"car[1].wheel[0].speed", 0x2050u},
                                        {"car[1].wheel[1].accel", 0x2064u},
                                        {"direct.speed", 0x3000u}})
        EXPECT_EQ(signals.at(name).address, address) << name;
    const Measurement& accel = signals.at("car[1].wheel[1].accel");
    EXPECT_EQ(accel.dims, (std::vector<std::uint32_t>{3}));  // the type's own array
    EXPECT_EQ(accel.type, DataType::Float32);
    // Calibration components give no signal.
    EXPECT_EQ(signals.count("car[0].wheel[0].gain"), 0u);
    EXPECT_EQ(signals.count("param"), 0u);

    EXPECT_EQ(category(signals.at("car[0].next")), "pointer-addressed instance");
    EXPECT_EQ(category(signals.at("viaPointer")), "pointer-addressed instance");
    ASSERT_EQ(category(signals.at("typo")), "undefined type");
    EXPECT_NE(signals.at("typo").unusable->reason.find("M_U61"), std::string::npos);
    // A structure that contains itself ends at the depth limit with one unusable signal.
    std::string deepest = "loop";
    for (int i = 0; i < 17; ++i)
        deepest += ".self";
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
    // One signal per placed measurement component: 1 + 2 cars x (1 + 2 wheels x 2) + 2 direct.
    EXPECT_EQ(r.signals, 1u + 2u * (1u + 2u * 2u) + 2u);
}

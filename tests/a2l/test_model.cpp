// The typed model on data/model.a2l, which uses every field the converter and compare read.
#include <gtest/gtest.h>

#include <cmath>

#include "test_helpers.h"

namespace {

class Model : public ::testing::Test {
protected:
    void SetUp() override {
        result_ = a2ltest::readOk(a2ltest::slurp(A2L_TEST_DATA "/model.a2l"));
        ASSERT_TRUE(result_.ok());
        EXPECT_TRUE(result_.warnings.empty()) << result_.warnings.front().toString();
        // Unknown blocks are counted, but not those inside an IF_DATA (A2ML describes these).
        EXPECT_EQ(doc().unknownKeywords(), (std::map<std::string, std::size_t, std::less<>>{
                                               {"NESTED", 1}, {"VENDOR_THING", 2}}));
    }
    const a2l::Document& doc() const { return *result_.document; }
    a2l::ReadResult result_;
};

TEST_F(Model, ProjectHeaderModuleAndModPar) {
    EXPECT_EQ(doc().asap2Version(), std::make_pair(1, 71));  // not A2ML_VERSION's, which follows
    ASSERT_TRUE(doc().project() && doc().header());
    EXPECT_EQ(std::tie(doc().project()->name, doc().project()->longIdentifier),
              std::make_tuple("Demo", "Demo project"));
    const a2l::Header h = *doc().header();  // header() returns a copy
    EXPECT_EQ(std::tie(h.comment, h.version, h.projectNo),
              std::make_tuple("Header comment", "V1.2", "P_42"));
    ASSERT_EQ(doc().modules().size(), 1u);
    EXPECT_EQ(std::tie(doc().modules()[0].name, doc().modules()[0].longIdentifier),
              std::make_tuple("Engine", "Engine ECU"));
    auto c = doc().modCommon();
    ASSERT_TRUE(c);
    EXPECT_EQ(std::tie(c->byteOrder, c->deposit, c->dataSize),
              std::make_tuple(a2l::ByteOrder::MsbFirst, "ABSOLUTE", 16u));
    EXPECT_EQ(std::tie(c->alignmentByte, c->alignmentWord, c->alignmentLong, c->alignmentInt64,
                       c->alignmentFloat16, c->alignmentFloat32, c->alignmentFloat64),
              std::make_tuple(1u, 2u, 4u, 8u, 2u, 4u, 8u));
    auto p = doc().modPar();
    ASSERT_TRUE(p);
    EXPECT_EQ(std::tie(p->epk, p->cpuType, p->noOfInterfaces),
              std::make_tuple("EPK_1.0", "TC397", 2u));
    EXPECT_EQ(p->addrEpk, (std::vector<std::uint64_t>{0x8000, 0x9000}));
    ASSERT_EQ(p->systemConstants.size(), 1u);
    EXPECT_EQ(p->systemConstants[0].second, "3.14");
    ASSERT_EQ(p->memorySegments.size(), 2u);
    const auto& s = p->memorySegments[0];
    EXPECT_EQ(
        std::tie(s.name, s.prgType, s.memoryType, s.attribute, s.address, s.size, s.offsets[0]),
        std::make_tuple("Cal", "DATA", "FLASH", "INTERN", 0x80010000u, 0x4000u, -1));
    EXPECT_EQ(s.ifData.size(), 1u);
    EXPECT_EQ(p->memorySegments[1].offsets, (std::array<std::int64_t, 5>{0, 1, 2, 3, 4}));
}

TEST_F(Model, MeasurementsWithEveryFieldAndDaqEventBindings) {
    const auto m = doc().find<a2l::Measurement>("nEng").value();
    EXPECT_EQ(
        std::tie(m.longIdentifier, m.dataType, m.conversion, m.resolution, m.accuracy, m.lowerLimit,
                 m.upperLimit),
        std::make_tuple("engine speed", a2l::DataType::UWord, "CM_Lin", 2u, 0.5, 0.0, 8000.0));
    EXPECT_EQ(std::tie(m.ecuAddress, m.ecuAddressExtension, m.bitMask, m.byteOrder, m.arraySize),
              std::make_tuple(0xD0001000u, 1u, 0x0FFFu, a2l::ByteOrder::MsbLast, 4u));
    EXPECT_EQ(m.matrixDim, (std::vector<std::uint32_t>{2, 3, 1}));
    // The sizes of the data types, which place the elements of arrays and structures.
    const std::pair<const char*, unsigned> sizes[] = {
        {"UBYTE", 1},        {"SBYTE", 1},        {"UWORD", 2},        {"SWORD", 2},
        {"ULONG", 4},        {"SLONG", 4},        {"A_UINT64", 8},     {"A_INT64", 8},
        {"FLOAT16_IEEE", 2}, {"FLOAT32_IEEE", 4}, {"FLOAT64_IEEE", 8}, {"UINT7", 0}};
    for (const auto& [type, bytes] : sizes) {
        const a2l::DataType t = a2l::dataTypeFromString(type);
        EXPECT_EQ(a2l::sizeOf(t), bytes) << type;
        EXPECT_EQ(a2l::toString(t), bytes ? type : "") << type;
    }
    EXPECT_EQ(std::tie(m.physUnit, m.displayIdentifier, m.readWrite, m.discrete, m.format),
              std::make_tuple("rpm", "n_eng", true, true, "%6.1"));
    EXPECT_EQ(m.extendedLimits, std::make_pair(-100.0, 9000.0));
    EXPECT_EQ(m.maxRefresh, (std::make_pair(std::uint32_t{3}, std::int64_t{10})));
    EXPECT_EQ(std::tie(m.refMemorySegment, m.symbolLink), std::make_tuple("Ram", "nEngSym"));
    ASSERT_EQ(m.ifData.size(), 2u);
    EXPECT_EQ(m.ifData[1].name(), "CANAPE_EXT");
    EXPECT_TRUE(m.daqEvents.fromXcp);
    EXPECT_EQ(m.daqEvents.fixedEvents, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(m.block.location().line, 45u);
    const auto oil = doc().find<a2l::Measurement>("tOil").value();
    EXPECT_EQ(oil.ecuAddress, 0xD0001010u);  // after an unknown keyword and its values
    EXPECT_TRUE(oil.daqEvents.variable);
    EXPECT_EQ(oil.daqEvents.availableEvents, (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(oil.daqEvents.defaultEvents, (std::vector<std::uint32_t>{2}));
    EXPECT_TRUE(oil.daqEvents.fixedEvents.empty());
    const auto etk = doc().find<a2l::Measurement>("etk").value();
    EXPECT_FALSE(etk.daqEvents.fromXcp);
    EXPECT_EQ(etk.daqEvents.rasters, (std::vector<std::uint32_t>{5}));
    EXPECT_DOUBLE_EQ(etk.lowerLimit, -1e12);
    const auto types = doc().find<a2l::Measurement>("types").value();
    EXPECT_EQ(std::tie(types.dataType, types.upperLimit),
              std::make_tuple(a2l::DataType::UInt64, 4.29497e9));
    EXPECT_TRUE(types.daqEvents.empty());
}

TEST_F(Model, CompuMethodsOfEveryKindAndTheirTables) {
    std::vector<a2l::ConversionKind> kinds;
    for (const auto& c : doc().all<a2l::CompuMethod>())
        kinds.push_back(c.kind);
    using K = a2l::ConversionKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::Identical, K::Linear, K::RatFunc, K::TabIntp, K::TabNoIntp,
                                     K::TabVerb, K::TabVerb, K::Form}));
    const auto lin = doc().find<a2l::CompuMethod>("CM_Lin").value();
    EXPECT_EQ(std::tie(lin.format, lin.unit), std::make_tuple("%6.1", "rpm"));
    EXPECT_EQ(lin.coeffsLinear, (std::array<double, 2>{0.5, -10}));
    const auto rat = doc().find<a2l::CompuMethod>("CM_Rat").value();
    EXPECT_EQ(rat.coeffs, (std::array<double, 6>{0, 4, 8, 0, 0, 5}));
    EXPECT_EQ(rat.refUnit, "U_Nm");
    EXPECT_EQ(doc().find<a2l::CompuMethod>("CM_Intp")->compuTabRef, "T_Intp");
    const auto form = doc().find<a2l::CompuMethod>("CM_Form").value();
    EXPECT_EQ(std::tie(form.formula, form.formulaInv, form.statusStringRef),
              std::make_tuple("X1/10-40", "(X1+40)*10", "V_Gear"));
    EXPECT_FALSE(doc().find<a2l::CompuMethod>("CM_Absent"));
    const auto t = doc().find<a2l::CompuTab>("T_Intp").value();
    EXPECT_EQ(t.kind, a2l::ConversionKind::TabIntp);
    EXPECT_EQ(t.pairs, (std::vector<std::pair<double, double>>{{0, 0}, {100, 5.5}, {200, 10}}));
    EXPECT_EQ(t.defaultValueNumeric, -1.0);
    EXPECT_FALSE(t.defaultValue);
    const auto n = doc().find<a2l::CompuTab>("T_NoIntp").value();
    EXPECT_EQ(std::tie(n.kind, n.defaultValue),
              std::make_tuple(a2l::ConversionKind::TabNoIntp, "none"));
    const auto v = doc().find<a2l::CompuVtab>("V_Gear").value();
    EXPECT_EQ(v.entries, (std::vector<std::pair<double, std::string>>{
                             {0, "Neutral"}, {1, "First"}, {2, "Second"}}));
    EXPECT_EQ(v.defaultValue, "?");
    const auto r = doc().find<a2l::CompuVtabRange>("R_Level").value();
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(std::tie(r.entries[1].min, r.entries[1].max, r.entries[1].text, r.defaultValue),
              std::make_tuple(9.5, 100.0, "high", "out"));
}

TEST_F(Model, CharacteristicAxesRecordLayoutUnitGroupFunction) {
    const auto c = doc().find<a2l::Characteristic>("KF").value();
    EXPECT_EQ(std::tie(c.type, c.address, c.deposit, c.maxDiff, c.conversion, c.bitMask),
              std::make_tuple("MAP", 0x80010100u, "RL_Map", 0.5, "CM_Lin", ~0ull));
    EXPECT_EQ(
        std::tie(c.byteOrder, c.ecuAddressExtension, c.number, c.readOnly, c.displayIdentifier),
        std::make_tuple(a2l::ByteOrder::MsbFirst, 2u, 8u, true, "kf"));
    ASSERT_EQ(c.axes.size(), 4u);
    const auto& x = c.axes[0];
    EXPECT_EQ(std::tie(x.attribute, x.inputQuantity, x.maxAxisPoints, x.monotony, x.readOnly),
              std::make_tuple("STD_AXIS", "nEng", 8u, "MON_INCREASE", true));
    EXPECT_EQ(x.extendedLimits, std::make_pair(-100.0, 9000.0));
    EXPECT_EQ(std::tie(c.axes[1].axisPtsRef, c.axes[1].lowerLimit),
              std::make_tuple("AX_Oil", -40.0));
    EXPECT_EQ(c.axes[2].fixAxisParDist, (std::array<double, 3>{0, 1, 4}));
    EXPECT_EQ(c.axes[3].fixAxisParList, (std::vector<double>{0, 5, 20}));
    const auto a = doc().find<a2l::AxisPts>("AX_Oil").value();
    EXPECT_EQ(std::tie(a.address, a.inputQuantity, a.deposit, a.maxAxisPoints, a.depositMode,
                       a.ecuAddressExtension),
              std::make_tuple(0x80010200u, "tOil", "RL_Axis", 6u, "ABSOLUTE", 1u));
    const auto rl = doc().find<a2l::RecordLayout>("RL_Map").value();
    ASSERT_EQ(rl.entries.size(), 4u);
    EXPECT_EQ(rl.entries[2].keyword, "NO_AXIS_PTS_X");
    EXPECT_EQ(rl.entries[2].params, (std::vector<std::string>{"2", "UBYTE"}));
    EXPECT_EQ(std::tie(rl.fncValuesPosition, rl.fncValuesType, rl.fncValuesIndexMode,
                       rl.fncValuesAddressType, rl.alignmentWord),
              std::make_tuple(1u, a2l::DataType::SWord, "COLUMN_DIR", "DIRECT", 2u));
    EXPECT_FALSE(rl.alignmentFloat64);  // AXIS_PTS_X 3 is no alignment
    // A FNC_VALUES short of its index mode and addressing still gives its data type.
    const auto rs = doc().find<a2l::RecordLayout>("RL_Short").value();
    EXPECT_EQ(rs.fncValuesType, a2l::DataType::UByte);
    std::vector<a2l::Diagnostic> found;  // its stray number before the first entry
    doc().recordLayout(rs.block, &found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].message,
              "RECORD_LAYOUT RL_Short: unexpected number \"7\" (expected a keyword)");
    const auto nm = doc().find<a2l::Unit>("U_Nm").value();
    EXPECT_EQ(std::tie(nm.display, nm.type), std::make_tuple("Nm", "EXTENDED_SI"));
    EXPECT_EQ(nm.siExponents, (std::array<int, 7>{2, 1, -2, 0, 0, 0, 0}));
    const auto knm = doc().find<a2l::Unit>("U_kNm").value();
    EXPECT_EQ(knm.refUnit, "U_Nm");
    EXPECT_EQ(knm.unitConversion, std::make_pair(1000.0, 0.0));
    using Names = std::vector<std::string>;
    auto groups = doc().all<a2l::Group>();
    ASSERT_EQ(groups.size(), 2u);
    const auto& g = groups[0];
    EXPECT_EQ(std::tie(g.name, g.longIdentifier, g.root, g.refMeasurements, g.refCharacteristics,
                       g.subGroups),
              std::make_tuple("G_Engine", "engine", true, Names{"nEng", "tOil"}, Names{"KF"},
                              Names{"G_Sub"}));
    EXPECT_FALSE(groups[1].root);
    auto functions = doc().all<a2l::Function>();
    ASSERT_EQ(functions.size(), 1u);
    const auto& f = functions[0];
    EXPECT_EQ(std::tie(f.version, f.defCharacteristics, f.inMeasurements, f.outMeasurements,
                       f.locMeasurements, f.subFunctions),
              std::make_tuple("2.0", Names{"KF"}, Names{"nEng"}, Names{"tOil"}, Names{"etk"},
                              Names{"F_Sub"}));
}

TEST_F(Model, XcpLayersAndCcp) {
    auto xcp = doc().xcp();
    ASSERT_EQ(xcp.size(), 1u);
    const auto& x = xcp[0];
    ASSERT_TRUE(x.protocolLayer && x.daq);
    const auto& pl = *x.protocolLayer;
    EXPECT_EQ(std::tie(pl.version, pl.timeouts[0], pl.maxCto, pl.byteOrder),
              std::make_tuple(0x104u, 1000u, 8u, "BYTE_ORDER_MSB_LAST"));
    EXPECT_EQ(pl.optionalCommands, (std::vector<std::string>{"GET_ID", "SET_MTA"}));
    EXPECT_EQ(
        std::tie(x.daq->config, x.daq->maxDaq, x.daq->prescalerSupported, x.daq->timestampUnit),
        std::make_tuple("STATIC", 3u, true, "UNIT_1US"));
    ASSERT_EQ(x.daq->events.size(), 3u);
    const auto& e0 = x.daq->events[0];
    EXPECT_EQ(std::tie(e0.name, e0.shortName, e0.channel, e0.direction),
              std::make_tuple("10 ms task", "10ms", 0u, "DAQ"));
    EXPECT_DOUBLE_EQ(*e0.cycleMicroseconds(), 10000);  // cycleSeconds() times a million
    EXPECT_DOUBLE_EQ(*x.daq->events[1].cycleMicroseconds(), 250);
    // The unit codes: 0 to 9 are 1 ns to 1 s, 10 to 12 are 1, 10 and 100 ps.
    for (std::uint32_t code = 0; code < 14; ++code) {
        a2l::XcpEvent e;
        e.timeCycle = 1;
        e.timeUnit = code;
        const auto s = e.cycleSeconds();
        ASSERT_EQ(s.has_value(), code < 13) << code;
        if (s) {
            EXPECT_DOUBLE_EQ(*s, std::pow(10.0, code < 10 ? int(code) - 9 : int(code) - 22));
        }
    }
    EXPECT_EQ(x.daq->events[1].priority, 1u);
    EXPECT_FALSE(x.daq->events[2].cycleSeconds());  // not cyclic
    EXPECT_EQ(doc().xcpEvents().size(), 3u);
    ASSERT_EQ(x.onCan.size(), 2u);
    EXPECT_FALSE(x.onCan[1].canIdMaster);  // a keyword where its value should be
    const auto& can = x.onCan[0];
    EXPECT_EQ(std::tie(can.version, can.canIdBroadcast, can.canIdMaster, can.canIdSlave,
                       can.baudrate, can.samplePoint, can.canFd, can.canFdDataBaudrate),
              std::make_tuple(0x104u, 0x100u, 0x7E0u, 0x7E8u, 500000u, 80.0, true, 2000000u));
    ASSERT_EQ(x.onIp.size(), 2u);
    EXPECT_EQ(std::tie(x.onIp[0].tcp, x.onIp[0].port, x.onIp[0].address),
              std::make_tuple(false, 5555u, "192.168.1.10"));
    EXPECT_EQ(std::tie(x.onIp[1].tcp, x.onIp[1].address), std::make_tuple(true, "ecu.local"));
    auto ccp = doc().ccp();
    ASSERT_EQ(ccp.size(), 1u);
    const auto& c = ccp[0];
    EXPECT_EQ(
        std::tie(c.ccpVersion, c.canIdCro, c.canIdDto, c.stationAddress, c.byteOrder, c.baudrate),
        std::make_tuple(0x201u, 0x700u, 0x701u, 0x33u, 1u, 500000u));
    ASSERT_EQ(c.sources.size(), 2u);
    EXPECT_EQ(std::tie(c.sources[0].name, c.sources[0].canIdFixed, c.sources[0].raster),
              std::make_tuple("10ms", 0x210u, 0u));
    EXPECT_DOUBLE_EQ(*c.sources[0].cycleSeconds(), 0.010);
    EXPECT_FALSE(c.sources[1].cycleSeconds());  // angle based
    EXPECT_EQ(c.sources[1].raster, 1u);
}

TEST_F(Model, GenericTreeTypedefsAndInstances) {
    auto m = doc().find(a2l::BlockKind::Measurement, "nEng");
    ASSERT_TRUE(m);
    EXPECT_EQ(m.keyword(), "MEASUREMENT");
    EXPECT_EQ(m.parent().kind(), a2l::BlockKind::Module);
    EXPECT_EQ(m.child("IF_DATA").name(), "XCP");  // the first of its two IF_DATA
    auto items = m.items();
    // name, long identifier, 6 fixed parameters, 33 optional tokens, 2 IF_DATA blocks
    ASSERT_EQ(items.size(), 43u);
    EXPECT_EQ(items[1].kind, a2l::Item::Kind::String);
    EXPECT_EQ(items.back().kind, a2l::Item::Kind::Block);
    EXPECT_EQ(items.back().block.keyword(), "IF_DATA");
    auto canape = items.back().block.params();
    ASSERT_EQ(canape.size(), 11u);
    EXPECT_EQ(std::tie(canape[2].text, canape[3].text), std::make_tuple("LINK_MAP", "nEng"));
    const auto at = canape[3].location();
    EXPECT_EQ(std::make_pair(at.line, at.column), std::make_pair(52u, 46u));  // its opening quote
    EXPECT_EQ(doc().blocks(a2l::BlockKind::IfData).size(), 9u);
    // A2ML is kept as raw text, whatever it holds.
    auto a2ml = doc().blocks(a2l::BlockKind::A2ml);
    ASSERT_EQ(a2ml.size(), 1u);
    EXPECT_NE(a2ml[0].rawText().find("taggedunion { \"X\" struct { uint; }; };"),
              std::string_view::npos);
    EXPECT_TRUE(a2ml[0].items().empty());
    EXPECT_EQ(doc().count(a2l::BlockKind::TypedefCharacteristic), 1u);
    auto type = doc().measurement(doc().find(a2l::BlockKind::TypedefMeasurement, "M_U16"));
    EXPECT_EQ(std::tie(type.dataType, type.matrixDim),
              std::make_tuple(a2l::DataType::UWord, std::vector<std::uint32_t>{4}));
    EXPECT_FALSE(type.ecuAddress);

    auto s = doc().typedefStructure(doc().find(a2l::BlockKind::TypedefStructure, "S"));
    EXPECT_EQ(std::tie(s.longIdentifier, s.size), std::make_tuple("a structure", 0x20u));
    ASSERT_EQ(s.components.size(), 2u);
    const auto& speed = s.components[0];
    EXPECT_EQ(std::tie(speed.name, speed.typeName, speed.offset, speed.matrixDim),
              std::make_tuple("speed", "M_U16", 4u, std::vector<std::uint32_t>{2, 3}));
    EXPECT_TRUE(a2l::isPointerAddress(speed.addressType));
    EXPECT_EQ(std::tie(s.components[1].name, s.components[1].addressType),
              std::make_tuple("gain", ""));

    auto instances = doc().all<a2l::Instance>();
    ASSERT_EQ(instances.size(), 1u);
    const auto& in = instances[0];
    EXPECT_EQ(std::tie(in.name, in.typeName, in.address, in.ecuAddressExtension, in.matrixDim),
              std::make_tuple("inst", "S", 0x80001000u, 1u, std::vector<std::uint32_t>{5}));
    EXPECT_EQ(std::tie(in.addressType, in.readWrite, in.displayIdentifier),
              std::make_tuple("DIRECT", true, "i_1"));
    EXPECT_FALSE(a2l::isPointerAddress(in.addressType));
    std::vector<a2l::Diagnostic> found;  // the stray 9 after READ_WRITE
    doc().instance(in.block, &found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].message, "INSTANCE inst: unexpected number \"9\" (expected a keyword)");
    EXPECT_EQ(in.daqEvents.fixedEvents, (std::vector<std::uint32_t>{7}));
}

}  // namespace

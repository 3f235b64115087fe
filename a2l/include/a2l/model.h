// Typed views of the A2L objects the converter and the compare use. Each view is decoded
// from the block tree on request (Document's accessors); the block it came from stays
// reachable through `block`, so nothing beyond these fields is lost.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "a2l/block.h"

namespace a2l {

enum class DataType : std::uint8_t {
    Unknown,
    UByte,
    SByte,
    UWord,
    SWord,
    ULong,
    SLong,
    UInt64,  // A_UINT64
    Int64,   // A_INT64
    Float16,
    Float32,
    Float64
};
DataType dataTypeFromString(std::string_view keyword);  // UBYTE ... FLOAT64_IEEE, Unknown else
std::string_view toString(DataType type);               // the A2L keyword ("" for Unknown)
unsigned sizeOf(DataType type);                         // bytes, 0 for Unknown

// MSB_FIRST is big endian, MSB_LAST little endian (BIG_ENDIAN / LITTLE_ENDIAN are mapped
// to those, as ASAP2 1.7 deprecates them in their favour).
enum class ByteOrder : std::uint8_t {
    Unspecified,
    MsbFirst,
    MsbLast,
    MsbFirstMswLast,
    MsbLastMswFirst
};
ByteOrder byteOrderFromString(std::string_view keyword);
std::string_view toString(ByteOrder order);

enum class ConversionKind : std::uint8_t {
    Unknown,
    Identical,
    Linear,
    RatFunc,
    TabIntp,
    TabNoIntp,
    TabVerb,
    Form
};
ConversionKind conversionKindFromString(std::string_view keyword);
std::string_view toString(ConversionKind kind);

struct Project {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
};

struct Header {
    BlockRef block;
    std::string comment;
    std::string version;
    std::string projectNo;
};

struct Module {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
};

struct ModCommon {
    BlockRef block;
    std::string comment;
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::string deposit;  // ABSOLUTE / DIFFERENCE, empty when absent
    std::optional<std::uint32_t> dataSize;
    std::optional<std::uint32_t> alignmentByte;
    std::optional<std::uint32_t> alignmentWord;
    std::optional<std::uint32_t> alignmentLong;
    std::optional<std::uint32_t> alignmentInt64;
    std::optional<std::uint32_t> alignmentFloat16;
    std::optional<std::uint32_t> alignmentFloat32;
    std::optional<std::uint32_t> alignmentFloat64;
};

struct MemorySegment {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::string prgType;     // CODE, DATA, OFFLINE_DATA, VARIABLES, SERAM, RESERVED,
                             // CALIBRATION_VARIABLES, EXCLUDE_FROM_FLASH
    std::string memoryType;  // RAM, EEPROM, EPROM, ROM, REGISTER, FLASH, NOT_IN_ECU
    std::string attribute;   // INTERN / EXTERN
    std::uint64_t address = 0;
    std::uint64_t size = 0;
    std::array<std::int64_t, 5> offsets{-1, -1, -1, -1, -1};
    std::vector<BlockRef> ifData;
};

struct ModPar {
    BlockRef block;
    std::string comment;
    std::string epk;
    std::vector<std::uint64_t> addrEpk;
    std::string version;
    std::string supplier;
    std::string customer;
    std::string customerNo;
    std::string user;
    std::string phoneNo;
    std::string ecu;
    std::string cpuType;
    std::optional<std::uint32_t> noOfInterfaces;
    std::optional<std::uint64_t> ecuCalibrationOffset;
    std::vector<std::pair<std::string, std::string>> systemConstants;
    std::vector<MemorySegment> memorySegments;
};

// DAQ events a measurement or characteristic is bound to, from IF_DATA XCP DAQ_EVENT
// (FIXED_EVENT_LIST, DEFAULT_EVENT_LIST, VARIABLE AVAILABLE_EVENT_LIST), from the RASTER of
// IF_DATA ASAP1B_CCP, and from the RASTER of other systems' blocks (ETK, KWP2000, vendors).
// Each list holds the numbers of its own system: a RASTER of an ETK block is no CCP event.
struct DaqEventBinding {
    bool fromXcp = false;
    bool variable = false;                       // XCP DAQ_EVENT VARIABLE
    std::vector<std::uint32_t> fixedEvents;      // FIXED_EVENT_LIST EVENT n
    std::vector<std::uint32_t> defaultEvents;    // DEFAULT_EVENT_LIST EVENT n
    std::vector<std::uint32_t> availableEvents;  // AVAILABLE_EVENT_LIST EVENT n
    std::vector<std::uint32_t> ccpRasters;       // RASTER n of IF_DATA ASAP1B_CCP
    std::vector<std::uint32_t> rasters;          // RASTER n of any other IF_DATA
    // Event numbers that are no event number (not an unsigned integer of 32 bits), as
    // "file:line:column: warning: ..."; they are in none of the lists above.
    std::vector<std::string> unreadable;
    bool empty() const {
        return fixedEvents.empty() && defaultEvents.empty() && availableEvents.empty() &&
               ccpRasters.empty() && rasters.empty() && !variable;
    }
};

// An address from the KP_BLOB of an IF_DATA block, as files of the ASAP2 1.2x era give it
// instead of ECU_ADDRESS ("/begin IF_DATA ETK KP_BLOB 0x380420 EXTERN 1 /end IF_DATA").
struct IfDataAddress {
    std::string interfaceName;  // ETK, ASAP1B_KWP2000, ASAP1B_CCP, ...
    std::uint64_t address = 0;
};

struct Measurement {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    DataType dataType = DataType::Unknown;
    std::string dataTypeText;  // as written (kept for unknown types)
    std::string conversion;    // COMPU_METHOD name or NO_COMPU_METHOD
    std::uint32_t resolution = 0;
    double accuracy = 0;
    double lowerLimit = 0;
    double upperLimit = 0;
    std::optional<std::uint64_t> ecuAddress;
    std::optional<std::uint32_t> ecuAddressExtension;
    std::optional<std::uint64_t> bitMask;
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::optional<std::uint32_t> arraySize;
    std::vector<std::uint32_t> matrixDim;
    std::string physUnit;
    std::string displayIdentifier;
    std::string format;
    bool readWrite = false;
    bool discrete = false;
    std::optional<std::pair<double, double>> extendedLimits;
    std::optional<std::pair<std::uint32_t, std::int64_t>> maxRefresh;  // scaling unit, rate
    std::string refMemorySegment;
    std::string symbolLink;
    std::vector<BlockRef> ifData;  // the IF_DATA blocks, as generic trees
    DaqEventBinding daqEvents;     // decoded from ifData
    // The KP_BLOB addresses of ifData, decoded only when ECU_ADDRESS is absent.
    std::vector<IfDataAddress> ifDataAddresses;
    // Values that could not be read as written, "file:line:column: warning: ...", in file
    // order. `unreadable`: an ECU_ADDRESS that is missing or no address (not a number, negative,
    // beyond 64 bits), a BIT_MASK that is missing or no unsigned 64-bit integer, a DAQ event number
    // that is missing, no number or beyond its type, or a limit that is missing or no number;
    // the measurement cannot be placed.
    // `beyondRange`: real numbers beyond the range of a double, read as an infinity or zero.
    std::vector<std::string> unreadable;
    std::vector<std::string> beyondRange;
};

struct AxisDescr {
    BlockRef block;
    std::string attribute;  // CURVE_AXIS, COM_AXIS, FIX_AXIS, RES_AXIS, STD_AXIS
    std::string inputQuantity;
    std::string conversion;
    std::uint32_t maxAxisPoints = 0;
    double lowerLimit = 0;
    double upperLimit = 0;
    std::string axisPtsRef;
    std::string curveAxisRef;
    std::optional<std::array<double, 3>> fixAxisPar;      // offset, shift, number of points
    std::optional<std::array<double, 3>> fixAxisParDist;  // offset, distance, number of points
    std::vector<double> fixAxisParList;
    std::optional<double> maxGrad;
    std::string deposit;  // ABSOLUTE / DIFFERENCE
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::string format;
    std::string physUnit;
    std::string monotony;
    bool readOnly = false;
    std::optional<std::pair<double, double>> extendedLimits;
};

struct Characteristic {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::string type;  // VALUE, CURVE, MAP, CUBOID, CUBE_4, CUBE_5, VAL_BLK, ASCII
    std::uint64_t address = 0;
    std::string deposit;  // RECORD_LAYOUT name
    double maxDiff = 0;
    std::string conversion;
    double lowerLimit = 0;
    double upperLimit = 0;
    std::vector<AxisDescr> axes;
    std::optional<std::uint64_t> bitMask;
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::optional<std::uint32_t> ecuAddressExtension;
    std::vector<std::uint32_t> matrixDim;
    std::optional<std::uint32_t> number;
    std::string format;
    std::string physUnit;
    std::string displayIdentifier;
    std::string refMemorySegment;
    std::string comparisonQuantity;
    std::string symbolLink;
    bool readOnly = false;
    bool discrete = false;
    std::optional<std::pair<double, double>> extendedLimits;
    std::optional<std::pair<std::uint32_t, std::int64_t>> maxRefresh;
    std::vector<BlockRef> ifData;
    DaqEventBinding daqEvents;
};

struct AxisPts {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::uint64_t address = 0;
    std::string inputQuantity;
    std::string deposit;  // RECORD_LAYOUT name
    double maxDiff = 0;
    std::string conversion;
    std::uint32_t maxAxisPoints = 0;
    double lowerLimit = 0;
    double upperLimit = 0;
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::optional<std::uint32_t> ecuAddressExtension;
    std::string format;
    std::string physUnit;
    std::string displayIdentifier;
    std::string depositMode;  // DEPOSIT ABSOLUTE / DIFFERENCE
    std::string refMemorySegment;
    std::string symbolLink;
    bool readOnly = false;
    std::optional<std::pair<double, double>> extendedLimits;
    std::vector<BlockRef> ifData;
};

struct CompuMethod {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    ConversionKind kind = ConversionKind::Unknown;
    std::string kindText;  // as written
    std::string format;
    std::string unit;
    std::optional<std::array<double, 6>> coeffs;        // COEFFS a b c d e f
    std::optional<std::array<double, 2>> coeffsLinear;  // COEFFS_LINEAR a b
    std::string compuTabRef;
    std::string formula;     // FORMULA
    std::string formulaInv;  // FORMULA_INV
    std::string refUnit;
    std::string statusStringRef;
    // Coefficients beyond the range of a double (read as an infinity or zero),
    // "file:line:column: warning: ...".
    std::vector<std::string> beyondRange;
    // Coefficients that are missing or no number (read as 0), in the same form.
    std::vector<std::string> unreadable;
};

struct CompuTab {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    ConversionKind kind = ConversionKind::Unknown;  // TabIntp or TabNoIntp
    std::vector<std::pair<double, double>> pairs;   // in value -> out value
    std::optional<std::string> defaultValue;
    std::optional<double> defaultValueNumeric;
};

struct CompuVtab {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    ConversionKind kind = ConversionKind::Unknown;        // TabVerb
    std::vector<std::pair<double, std::string>> entries;  // value -> text
    std::optional<std::string> defaultValue;
};

struct CompuVtabRangeEntry {
    double min = 0;
    double max = 0;
    std::string text;
};

struct CompuVtabRange {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::vector<CompuVtabRangeEntry> entries;
    std::optional<std::string> defaultValue;
};

// One line of a RECORD_LAYOUT (FNC_VALUES, AXIS_PTS_X, NO_AXIS_PTS_X, ...), parameters as written.
struct RecordLayoutEntry {
    std::string keyword;
    std::vector<std::string> params;
};

struct RecordLayout {
    BlockRef block;
    std::string name;
    std::vector<RecordLayoutEntry> entries;
    // FNC_VALUES position datatype index_mode address_type, the most used line
    std::optional<std::uint32_t> fncValuesPosition;
    DataType fncValuesType = DataType::Unknown;
    std::string fncValuesIndexMode;
    std::string fncValuesAddressType;
    std::optional<std::uint32_t> alignmentByte;
    std::optional<std::uint32_t> alignmentWord;
    std::optional<std::uint32_t> alignmentLong;
    std::optional<std::uint32_t> alignmentInt64;
    std::optional<std::uint32_t> alignmentFloat32;
    std::optional<std::uint32_t> alignmentFloat64;
};

struct Unit {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::string display;
    std::string type;  // DERIVED / EXTENDED_SI
    std::string refUnit;
    std::optional<std::array<int, 7>>
        siExponents;  // length mass time current temperature amount luminous
    std::optional<std::pair<double, double>> unitConversion;  // gradient, offset
};

struct Group {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    bool root = false;
    std::vector<std::string> refCharacteristics;
    std::vector<std::string> refMeasurements;
    std::vector<std::string> subGroups;
    std::vector<std::string> functions;  // FUNCTION_LIST
};

// ASAP2 1.7 typed instances. TYPEDEF_MEASUREMENT has the parameters of a MEASUREMENT without
// an address and is decoded by Document::measurement(); TYPEDEF_STRUCTURE lays components out
// at offsets; an INSTANCE places a type at an address.
struct StructureComponent {
    std::string name;
    std::string typeName;      // a TYPEDEF_* name
    std::uint64_t offset = 0;  // from the start of the structure
    std::vector<std::uint32_t> matrixDim;
    std::string addressType;  // ADDRESS_TYPE (PBYTE, PWORD, ... or DIRECT); empty when absent
};

struct TypedefStructure {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::uint64_t size = 0;  // total size in bytes
    std::vector<StructureComponent> components;
};

struct Instance {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::string typeName;  // a TYPEDEF_* name
    std::uint64_t address = 0;
    std::optional<std::uint32_t> ecuAddressExtension;
    std::vector<std::uint32_t> matrixDim;  // an array of the type
    std::string addressType;               // ADDRESS_TYPE; empty when absent
    std::string displayIdentifier;
    bool readWrite = false;
    std::vector<BlockRef> ifData;
    DaqEventBinding daqEvents;  // decoded from ifData
};

// True when an ADDRESS_TYPE makes the address that of a pointer to the object.
inline bool isPointerAddress(const std::string& addressType) {
    return !addressType.empty() && addressType != "DIRECT";
}

struct Function {
    BlockRef block;
    std::string name;
    std::string longIdentifier;
    std::string version;
    std::vector<std::string> defCharacteristics;
    std::vector<std::string> refCharacteristics;
    std::vector<std::string> inMeasurements;
    std::vector<std::string> outMeasurements;
    std::vector<std::string> locMeasurements;
    std::vector<std::string> subFunctions;
};

// ---- IF_DATA XCP / CCP basics ----------------------------------------------------------

struct XcpEvent {
    std::string name;
    std::string shortName;
    std::uint32_t channel = 0;
    std::string direction;  // DAQ, STIM, DAQ_STIM
    std::uint32_t maxDaqList = 0;
    std::uint32_t timeCycle = 0;  // in units of timeUnit; 0 = not cyclic
    std::uint32_t timeUnit = 0;   // XCP code: 0 = 1 ns, 1 = 10 ns, ... 6 = 1 ms, 9 = 1 s
    std::uint32_t priority = 0;
    // Cycle time, when the event is cyclic and the unit code known.
    std::optional<double> cycleSeconds() const;
    std::optional<double> cycleMicroseconds() const;
};

struct XcpProtocolLayer {
    std::uint32_t version = 0;
    std::array<std::uint32_t, 7> timeouts{};  // T1..T7 in ms
    std::uint32_t maxCto = 0;
    std::uint32_t maxDto = 0;
    std::string byteOrder;           // BYTE_ORDER_MSB_LAST / BYTE_ORDER_MSB_FIRST
    std::string addressGranularity;  // ADDRESS_GRANULARITY_BYTE / _WORD / _DWORD
    std::vector<std::string> optionalCommands;
};

struct XcpDaq {
    std::string config;  // STATIC / DYNAMIC
    std::uint32_t maxDaq = 0;
    std::uint32_t maxEventChannel = 0;
    std::uint32_t minDaq = 0;
    std::string optimisationType;
    std::string addressExtension;
    std::string identificationFieldType;
    std::string granularityOdtEntrySizeDaq;
    std::uint32_t maxOdtEntrySizeDaq = 0;
    std::string overloadIndication;
    bool prescalerSupported = false;
    std::optional<std::uint32_t> timestampTicks;
    std::string timestampSize;  // SIZE_BYTE, SIZE_WORD, SIZE_DWORD
    std::string timestampUnit;  // UNIT_1NS ... UNIT_1S
    std::vector<XcpEvent> events;
};

struct XcpOnCan {
    std::uint32_t version = 0;
    std::optional<std::uint32_t> canIdBroadcast;
    std::optional<std::uint32_t> canIdMaster;
    std::optional<std::uint32_t> canIdSlave;
    std::optional<std::uint32_t> baudrate;
    std::optional<double> samplePoint;
    bool canFd = false;
    std::optional<std::uint32_t> canFdDataBaudrate;
};

struct XcpOnIp {
    bool tcp = false;  // XCP_ON_TCP_IP, else XCP_ON_UDP_IP
    std::uint32_t version = 0;
    std::uint32_t port = 0;
    std::string address;  // ADDRESS "..." or HOST_NAME "..." (IPv4 dotted or a name)
};

// One IF_DATA XCP block (at module level it carries the protocol layer, DAQ and transport
// layers; a transport layer may also sit in an XCP_ON_... block of its own).
struct XcpInfo {
    BlockRef block;
    std::optional<XcpProtocolLayer> protocolLayer;
    std::optional<XcpDaq> daq;
    std::vector<XcpOnCan> onCan;
    std::vector<XcpOnIp> onIp;
};

struct CcpSource {
    std::string name;
    std::uint32_t scalingUnit = 0;  // CSE code: 0 = 1 us, 1 = 10 us, ... 3 = 1 ms, 6 = 1 s
    std::uint32_t rate = 0;
    std::optional<std::uint32_t> daqListNumber;  // QP_BLOB
    std::optional<std::uint32_t> canIdFixed;
    std::optional<std::uint32_t> raster;
    std::optional<double> cycleSeconds() const;  // only for time-based CSE codes
};

// IF_DATA ASAP1B_CCP (and the same layout under other interface names).
struct CcpInfo {
    BlockRef block;
    std::optional<std::uint32_t> ccpVersion;  // TP_BLOB
    std::optional<std::uint32_t> blobVersion;
    std::optional<std::uint32_t> canIdCro;
    std::optional<std::uint32_t> canIdDto;
    std::optional<std::uint32_t> stationAddress;
    std::optional<std::uint32_t> byteOrder;
    std::optional<std::uint32_t> baudrate;
    std::vector<CcpSource> sources;
};

}  // namespace a2l

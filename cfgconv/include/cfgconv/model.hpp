// The converter's own picture of an A2L file: only what a .cfginclude and the
// compare need, in plain types. The adapter (a2l_adapter.hpp) fills it from the
// A2L engine; everything else in cfgconv works on this model alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace cfgconv {

enum class DataType : std::uint8_t {
    UByte,
    SByte,
    UWord,
    SWord,
    ULong,
    SLong,
    UInt64,
    Int64,
    Float16,
    Float32,
    Float64,
    Unknown
};

// Byte order of a value in ECU memory. MSB_LAST (and LITTLE_ENDIAN) is Intel order,
// MSB_FIRST (and BIG_ENDIAN) Motorola order; the word-swapped orders are kept apart
// because no logger version can read them.
enum class ByteOrder : std::uint8_t { Unspecified, Little, Big, MsbFirstMswLast, MsbLastMswFirst };

enum class ConvKind { Identical, Linear, RatFunc, TabIntp, TabNoIntp, TabVerb, Form, Unknown };

// A COMPU_METHOD as written in the A2L file (before any inversion).
struct Conversion {
    std::string name;
    ConvKind kind = ConvKind::Unknown;
    std::string kindText;  // keyword as written, for messages
    std::string format;
    std::string unit;
    std::optional<std::array<double, 6>> coeffs;        // COEFFS a..f
    std::optional<std::array<double, 2>> coeffsLinear;  // COEFFS_LINEAR a, b
    std::string tableRef;                               // COMPU_TAB_REF
    std::string formula;                                // FORMULA
    std::string formulaInv;                             // FORMULA_INV
    // The first coefficient beyond the range of a double (`beyondRange`) and the first one
    // that is missing or no number (`unreadable`), "file:line:column: ...": either makes the
    // conversion unusable.
    std::string beyondRange;
    std::string unreadable;
};

// COMPU_TAB, COMPU_VTAB and COMPU_VTAB_RANGE in one shape.
struct Table {
    enum class Kind { Numeric, Verbal, VerbalRange };
    struct Row {
        double raw = 0;     // raw value, or lower bound of a range
        double rawMax = 0;  // upper bound of a range (VerbalRange only)
        double phys = 0;    // Numeric only
        std::string text;   // Verbal and VerbalRange
    };
    std::string name;
    Kind kind = Kind::Numeric;
    std::vector<Row> rows;
    std::optional<std::string> defaultText;
    std::optional<double> defaultNumeric;
};

// Why a signal cannot be recorded whatever the target (an INSTANCE reached through a pointer,
// an undefined type): the category and sentence of the left-out report.
struct Unusable {
    std::string category;
    std::string reason;
};

// Fields ordered largest first: a large A2L holds hundreds of thousands of these.
struct Measurement {
    std::string name;
    std::string typeText;    // keyword as written
    std::string conversion;  // COMPU_METHOD name, empty or NO_COMPU_METHOD for none
    std::string physUnit;
    double lower = 0;
    double upper = 0;
    std::optional<std::uint64_t> address;
    std::optional<std::uint64_t> bitMask;
    std::vector<std::uint32_t> dims;           // ARRAY_SIZE or MATRIX_DIM; empty for a scalar
    std::shared_ptr<const Unusable> unusable;  // set when it cannot be recorded at all
    std::optional<std::uint32_t> event;        // DAQ event channel assigned in IF_DATA
    std::uint32_t extension = 0;
    DataType type = DataType::Unknown;
    ByteOrder byteOrder = ByteOrder::Unspecified;
};

struct AxisDescr {
    std::string attribute;
    std::string inputQuantity;
    std::string conversion;
    std::uint32_t maxAxisPoints = 0;
    double lower = 0;
    double upper = 0;
    std::string axisPtsRef;
};

struct Characteristic {
    std::string name;
    std::string type;  // VALUE, CURVE, MAP, ...
    std::uint64_t address = 0;
    std::uint32_t extension = 0;
    std::string recordLayout;
    std::string conversion;
    double lower = 0;
    double upper = 0;
    std::optional<std::uint64_t> bitMask;
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::vector<std::uint32_t> dims;
    std::vector<AxisDescr> axes;
};

struct DaqEvent {
    std::uint32_t channel = 0;
    std::string name;
    std::string shortName;
    std::uint64_t cycleNs = 0;  // 0: not cyclic or unknown
    std::uint32_t priority = 0;
};

struct Station {
    std::string moduleName;
    std::string protocol;   // "XCP", "CCP" or empty
    std::string transport;  // "CAN", "UDP", "TCP", ... or empty
    std::vector<std::pair<std::string, std::string>> transportParams;
    ByteOrder byteOrder = ByteOrder::Unspecified;
    std::vector<DaqEvent> events;
};

struct ConvertModel {
    Station station;
    std::vector<Measurement> measurements;
    std::vector<Characteristic> characteristics;
    std::vector<Conversion> conversions;
    std::vector<Table> tables;

    // Lookups by name; call reindex() after filling the vectors.
    void reindex();
    const Conversion* findConversion(const std::string& name) const;
    const Table* findTable(const std::string& name) const;

private:
    std::unordered_map<std::string, std::size_t> conversionIndex_;
    std::unordered_map<std::string, std::size_t> tableIndex_;
};

// Keyword names used in messages and in the compare.
const char* dataTypeName(DataType t);
DataType dataTypeFromName(std::string_view keyword);
unsigned dataTypeBytes(DataType t);      // 0 for Unknown
const char* byteOrderName(ByteOrder o);  // "little", "big", ...
ConvKind convKindFromName(std::string_view keyword);

}  // namespace cfgconv

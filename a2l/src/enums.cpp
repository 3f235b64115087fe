// Keyword <-> enum mappings of the typed model.
#include <array>

#include "a2l/document.h"
#include "a2l/model.h"

namespace a2l {

namespace {

struct DataTypeName {
    DataType type;
    std::string_view name;
    unsigned size;
};

constexpr std::array<DataTypeName, 11> kDataTypes{{
    {DataType::UByte, "UBYTE", 1},
    {DataType::SByte, "SBYTE", 1},
    {DataType::UWord, "UWORD", 2},
    {DataType::SWord, "SWORD", 2},
    {DataType::ULong, "ULONG", 4},
    {DataType::SLong, "SLONG", 4},
    {DataType::UInt64, "A_UINT64", 8},
    {DataType::Int64, "A_INT64", 8},
    {DataType::Float16, "FLOAT16_IEEE", 2},
    {DataType::Float32, "FLOAT32_IEEE", 4},
    {DataType::Float64, "FLOAT64_IEEE", 8},
}};

}  // namespace

DataType dataTypeFromString(std::string_view keyword) {
    for (const auto& entry : kDataTypes) {
        if (entry.name == keyword) {
            return entry.type;
        }
    }
    return DataType::Unknown;
}

std::string_view toString(DataType type) {
    for (const auto& entry : kDataTypes) {
        if (entry.type == type) {
            return entry.name;
        }
    }
    return {};
}

unsigned sizeOf(DataType type) {
    for (const auto& entry : kDataTypes) {
        if (entry.type == type) {
            return entry.size;
        }
    }
    return 0;
}

ByteOrder byteOrderFromString(std::string_view keyword) {
    if (keyword == "MSB_FIRST" || keyword == "BIG_ENDIAN") {
        return ByteOrder::MsbFirst;
    }
    if (keyword == "MSB_LAST" || keyword == "LITTLE_ENDIAN") {
        return ByteOrder::MsbLast;
    }
    if (keyword == "MSB_FIRST_MSW_LAST") {
        return ByteOrder::MsbFirstMswLast;
    }
    if (keyword == "MSB_LAST_MSW_FIRST") {
        return ByteOrder::MsbLastMswFirst;
    }
    return ByteOrder::Unspecified;
}

std::string_view toString(ByteOrder order) {
    switch (order) {
        case ByteOrder::MsbFirst:
            return "MSB_FIRST";
        case ByteOrder::MsbLast:
            return "MSB_LAST";
        case ByteOrder::MsbFirstMswLast:
            return "MSB_FIRST_MSW_LAST";
        case ByteOrder::MsbLastMswFirst:
            return "MSB_LAST_MSW_FIRST";
        case ByteOrder::Unspecified:
            break;
    }
    return {};
}

ConversionKind conversionKindFromString(std::string_view keyword) {
    if (keyword == "IDENTICAL") {
        return ConversionKind::Identical;
    }
    if (keyword == "LINEAR") {
        return ConversionKind::Linear;
    }
    if (keyword == "RAT_FUNC") {
        return ConversionKind::RatFunc;
    }
    if (keyword == "TAB_INTP") {
        return ConversionKind::TabIntp;
    }
    if (keyword == "TAB_NOINTP") {
        return ConversionKind::TabNoIntp;
    }
    if (keyword == "TAB_VERB") {
        return ConversionKind::TabVerb;
    }
    if (keyword == "FORM") {
        return ConversionKind::Form;
    }
    return ConversionKind::Unknown;
}

std::string_view toString(ConversionKind kind) {
    switch (kind) {
        case ConversionKind::Identical:
            return "IDENTICAL";
        case ConversionKind::Linear:
            return "LINEAR";
        case ConversionKind::RatFunc:
            return "RAT_FUNC";
        case ConversionKind::TabIntp:
            return "TAB_INTP";
        case ConversionKind::TabNoIntp:
            return "TAB_NOINTP";
        case ConversionKind::TabVerb:
            return "TAB_VERB";
        case ConversionKind::Form:
            return "FORM";
        case ConversionKind::Unknown:
            break;
    }
    return {};
}

std::string_view toString(Encoding encoding) {
    switch (encoding) {
        case Encoding::Bytes:
            return "bytes (UTF-8 or Windows-1252)";
        case Encoding::Utf8Bom:
            return "UTF-8 with BOM";
        case Encoding::Utf16LE:
            return "UTF-16LE";
        case Encoding::Utf16BE:
            return "UTF-16BE";
        case Encoding::Utf32LE:
            return "UTF-32LE";
        case Encoding::Utf32BE:
            return "UTF-32BE";
    }
    return {};
}

}  // namespace a2l

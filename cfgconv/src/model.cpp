#include "cfgconv/model.hpp"

#include <string_view>

namespace cfgconv {

void ConvertModel::reindex() {
    conversionIndex_.clear();
    tableIndex_.clear();
    conversionIndex_.reserve(conversions.size());
    tableIndex_.reserve(tables.size());
    // The first definition wins, like the A2L engine's own lookups.
    for (std::size_t i = 0; i < conversions.size(); ++i)
        conversionIndex_.emplace(conversions[i].name, i);
    for (std::size_t i = 0; i < tables.size(); ++i)
        tableIndex_.emplace(tables[i].name, i);
}

const Conversion* ConvertModel::findConversion(const std::string& name) const {
    auto it = conversionIndex_.find(name);
    return it == conversionIndex_.end() ? nullptr : &conversions[it->second];
}

const Table* ConvertModel::findTable(const std::string& name) const {
    auto it = tableIndex_.find(name);
    return it == tableIndex_.end() ? nullptr : &tables[it->second];
}

namespace {
struct TypeInfo {
    DataType type;
    const char* name;
    unsigned bytes;
};
constexpr TypeInfo kTypes[] = {
    {DataType::UByte, "UBYTE", 1},          {DataType::SByte, "SBYTE", 1},
    {DataType::UWord, "UWORD", 2},          {DataType::SWord, "SWORD", 2},
    {DataType::ULong, "ULONG", 4},          {DataType::SLong, "SLONG", 4},
    {DataType::UInt64, "A_UINT64", 8},      {DataType::Int64, "A_INT64", 8},
    {DataType::Float16, "FLOAT16_IEEE", 2}, {DataType::Float32, "FLOAT32_IEEE", 4},
    {DataType::Float64, "FLOAT64_IEEE", 8},
};
}  // namespace

const char* dataTypeName(DataType t) {
    for (const auto& i : kTypes)
        if (i.type == t)
            return i.name;
    return "UNKNOWN";
}

DataType dataTypeFromName(std::string_view keyword) {
    for (const auto& i : kTypes)
        if (keyword == i.name)
            return i.type;
    return DataType::Unknown;
}

unsigned dataTypeBytes(DataType t) {
    for (const auto& i : kTypes)
        if (i.type == t)
            return i.bytes;
    return 0;
}

const char* byteOrderName(ByteOrder o) {
    switch (o) {
        case ByteOrder::Little:
            return "little";
        case ByteOrder::Big:
            return "big";
        case ByteOrder::MsbFirstMswLast:
            return "MSB_FIRST_MSW_LAST";
        case ByteOrder::MsbLastMswFirst:
            return "MSB_LAST_MSW_FIRST";
        case ByteOrder::Unspecified:
            break;
    }
    return "unspecified";
}

ConvKind convKindFromName(std::string_view k) {
    if (k == "IDENTICAL")
        return ConvKind::Identical;
    if (k == "LINEAR")
        return ConvKind::Linear;
    if (k == "RAT_FUNC")
        return ConvKind::RatFunc;
    if (k == "TAB_INTP")
        return ConvKind::TabIntp;
    if (k == "TAB_NOINTP")
        return ConvKind::TabNoIntp;
    if (k == "TAB_VERB")
        return ConvKind::TabVerb;
    if (k == "FORM")
        return ConvKind::Form;
    return ConvKind::Unknown;
}

}  // namespace cfgconv

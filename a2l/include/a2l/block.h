// The generic block tree: every /begin ... /end block of the file, in file order, with its
// keyword, parameters, children and position. Nothing of a file is lost here; the typed model
// (model.h) is a view on top of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "a2l/diagnostic.h"

namespace a2l {

class Document;
class BlockRef;
struct Item;

// Block keywords the typed model knows. Every other keyword is Other (kept, never fatal).
enum class BlockKind : std::uint8_t {
    Other,
    Root,  // the top level of the main file (not a block of the file itself)
    Project,
    Header,
    Module,
    ModCommon,
    ModPar,
    MemorySegment,
    MemoryLayout,
    Measurement,
    Characteristic,
    AxisDescr,
    AxisPts,
    CompuMethod,
    CompuTab,
    CompuVtab,
    CompuVtabRange,
    RecordLayout,
    Unit,
    Group,
    Function,
    IfData,
    A2ml,
    // ASAP2 1.7 type definitions and the instances that place them at an address.
    TypedefMeasurement,
    TypedefCharacteristic,
    TypedefAxis,
    TypedefBlob,
    TypedefStructure,
    Instance,
    Count_  // number of kinds, not a kind
};

// A handle to one block of a Document (cheap to copy; valid while the Document lives).
class BlockRef {
public:
    BlockRef() = default;
    BlockRef(const Document* doc, std::uint32_t id) : doc_(doc), id_(id) {}

    bool valid() const { return doc_ != nullptr; }
    explicit operator bool() const { return valid(); }
    const Document* document() const { return doc_; }
    std::uint32_t id() const { return id_; }

    std::string_view keyword() const;  // as written, e.g. "MEASUREMENT"
    BlockKind kind() const;
    // First parameter when it is an identifier (the object name of MEASUREMENT, COMPU_METHOD,
    // IF_DATA's interface name, ...); empty otherwise.
    std::string_view name() const;

    SourceLocation location() const;  // position of the /begin directive
    std::uint16_t fileIndex() const;
    std::uint32_t line() const;

    BlockRef parent() const;  // invalid for the root
    // Children in file order; /include is transparent (blocks of included files appear in place).
    std::vector<BlockRef> children() const;
    std::vector<BlockRef> children(std::string_view keyword) const;
    BlockRef child(std::string_view keyword) const;  // first child with that keyword

    // Parameters and child blocks in file order (include-transparent).
    std::vector<Item> items() const;
    // Only the parameters (identifiers, strings, numbers), in file order.
    std::vector<Item> params() const;

    // The source text between the keyword and /end, verbatim (A2ML is kept this way).
    std::string_view rawText() const;

    friend bool operator==(const BlockRef& a, const BlockRef& b) {
        return a.doc_ == b.doc_ && a.id_ == b.id_;
    }

private:
    const Document* doc_ = nullptr;
    std::uint32_t id_ = 0;
};

// One parameter of a block, or one of its child blocks (items keep the file order).
struct Item {
    enum class Kind : std::uint8_t { Identifier, String, Number, Block };

    Kind kind = Kind::Identifier;
    // Identifier and number: as written. String: without quotes, escapes resolved, UTF-8.
    std::string text;
    BlockRef block;  // kind == Block: the child block
    const Document* doc = nullptr;
    std::uint16_t fileIndex = 0;  // index into Document::files()
    std::uint32_t offset = 0;     // byte offset of the token in that file

    SourceLocation location() const;

    bool isIdentifier() const { return kind == Kind::Identifier; }
    bool isString() const { return kind == Kind::String; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isBlock() const { return kind == Kind::Block; }

    // Number forms of A2L: decimal, 0x/0X hex, floats such as .1, 1., 4.29497e+09.
    // Integer conversions accept a float literal when its value is integral.
    std::optional<double> toDouble() const;
    std::optional<std::int64_t> toInt() const;
    std::optional<std::uint64_t> toUInt() const;
};

}  // namespace a2l

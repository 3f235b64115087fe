// Typed views: each object is decoded from its block's items on request. Parameters of the
// wrong kind or missing ones become warnings; the decoder never stops on them.
#include <cmath>

#include "impl.h"

namespace a2l {

using detail::Cursor;
using detail::kNone;
using detail::RawTok;
using Kind = Item::Kind;

namespace {

// Set on the reading thread while the reader validates (see validateDocument).
thread_local bool validating_ = false;

std::string_view kindName(Kind k) {
    switch (k) {
        case Kind::Identifier:
            return "identifier";
        case Kind::String:
            return "string";
        case Kind::Number:
            return "number";
        case Kind::Block:
            return "block";
    }
    return "token";
}

// Sequential reader of one block's items with typed accessors.
class Decoder {
public:
    Decoder(const Document& doc, std::uint32_t block, std::vector<Diagnostic>* sink)
        : doc_(doc), d_(doc.impl()), block_(block), cursor_(doc.impl(), block), sink_(sink) {}

    const Document& doc() const { return doc_; }

    bool peek(RawTok& t) {
        if (!have_ && !done_) {
            have_ = cursor_.next(cur_);
            done_ = !have_;
        }
        if (have_) {
            t = cur_;
        }
        return have_;
    }
    void take() { have_ = false; }

    // `name` must outlive the decoder (it is the decoded object's own name field).
    void setObjectName(std::string_view name) { objectName_ = name; }

    void warn(const RawTok* at, const std::string& message) {
        if (sink_ == nullptr) {
            return;
        }
        Diagnostic diag;
        diag.severity = Severity::Warning;
        if (at != nullptr) {
            diag.location = d_.locate(at->file, offsetOf(*at));
        } else {
            const auto& b = d_.blocks[block_];
            diag.location = d_.locate(b.file, b.bodyEnd);
        }
        diag.message = std::string(d_.keyword(block_));
        if (!objectName_.empty()) {
            diag.message += " ";
            diag.message += objectName_;
        }
        diag.message += ": " + message;
        sink_->push_back(std::move(diag));
    }

    // Fetches the next parameter for a field; warns when the block ends or a child block
    // stands where the parameter should be.
    bool field(RawTok& t, const char* what) {
        if (!peek(t) || t.kind == Kind::Block) {
            warn(have_ ? &cur_ : nullptr, std::string("missing ") + what);
            return false;
        }
        take();
        return true;
    }

    std::string ident(const char* what) {
        RawTok t;
        if (!field(t, what)) {
            return {};
        }
        if (t.kind != Kind::Identifier) {
            wrongKind(t, what, "an identifier");
        }
        return detail::tokenText(t);
    }

    std::string text(const char* what) {
        RawTok t;
        if (!field(t, what)) {
            return {};
        }
        if (t.kind != Kind::String) {
            wrongKind(t, what, "a string");
        }
        if (validating_) {
            return {};  // the reader's check needs the kind, not the text
        }
        return detail::tokenText(t);
    }

    double number(const char* what) {
        RawTok t;
        double v = 0;
        if (field(t, what) && !(t.kind == Kind::Number && detail::parseDouble(t.view(), v))) {
            wrongKind(t, what, "a number");
        }
        return v;
    }

    std::uint64_t u64(const char* what, std::uint64_t max = ~std::uint64_t{0}) {
        RawTok t;
        std::uint64_t v = 0;
        if (!field(t, what)) {
            return 0;
        }
        if (t.kind != Kind::Number || !detail::parseUInt64(t.view(), v)) {
            // Negative numbers where unsigned ones stand (-1 for "none") wrap as in C.
            std::int64_t s;
            if (t.kind == Kind::Number && detail::parseInt64(t.view(), s)) {
                return static_cast<std::uint64_t>(s);
            }
            wrongKind(t, what, "an unsigned integer");
            return 0;
        }
        if (v > max) {
            warn(&t, std::string(what) + " " + std::string(t.view()) + " is out of range");
            return max;
        }
        return v;
    }

    std::uint32_t u32(const char* what) {
        return static_cast<std::uint32_t>(u64(what, 0xFFFFFFFFu));
    }

    std::int64_t i64(const char* what) {
        RawTok t;
        std::int64_t v = 0;
        if (field(t, what) && !(t.kind == Kind::Number && detail::parseInt64(t.view(), v))) {
            wrongKind(t, what, "an integer");
        }
        return v;
    }

    // All numbers that follow (MATRIX_DIM, FIX_AXIS_PAR_LIST, ...).
    std::vector<double> numbers() {
        std::vector<double> out;
        RawTok t;
        while (peek(t) && t.kind == Kind::Number) {
            take();
            double v = 0;
            if (!detail::parseDouble(t.view(), v)) {
                wrongKind(t, "value", "a number");
            }
            out.push_back(v);
        }
        return out;
    }

    // Skips the parameters of a keyword the decoder does not use (vendor or newer keywords):
    // everything up to the next identifier or block.
    void skipArgs() {
        RawTok t;
        while (peek(t) && (t.kind == Kind::Number || t.kind == Kind::String)) {
            take();
        }
    }

    void stray(const RawTok& t) {
        warn(&t, "unexpected " + std::string(kindName(t.kind)) + " \"" + std::string(t.view()) +
                     "\" (expected a keyword)");
    }

private:
    void wrongKind(const RawTok& t, const char* what, const char* expected) {
        warn(&t, std::string("expected ") + expected + " for " + what + ", found " +
                     std::string(kindName(t.kind)) + " \"" + std::string(t.view()) + "\"");
    }

    std::uint32_t offsetOf(const RawTok& t) const {
        auto off = static_cast<std::uint32_t>(t.p - d_.files[t.file]->data.get());
        return t.kind == Kind::String ? off - 1 : off;
    }

    const Document& doc_;
    const Document::Impl& d_;
    std::uint32_t block_;
    Cursor cursor_;
    RawTok cur_;
    bool have_ = false;
    bool done_ = false;
    std::vector<Diagnostic>* sink_;
    std::string_view objectName_;
};

// Loop over the optional part of a block: `onKeyword` returns false for keywords it does not
// know (their parameters are skipped), `onBlock` gets the child blocks.
template <typename OnKeyword, typename OnBlock>
void options(Decoder& dec, OnKeyword&& onKeyword, OnBlock&& onBlock) {
    RawTok t;
    while (dec.peek(t)) {
        dec.take();
        if (t.kind == Kind::Block) {
            onBlock(BlockRef(&dec.doc(), t.block));
            continue;
        }
        if (t.kind != Kind::Identifier) {
            dec.stray(t);
            continue;
        }
        if (!onKeyword(t.view())) {
            dec.skipArgs();
        }
    }
}

void nameAndComment(Decoder& dec, std::string& name, std::string& longId) {
    name = dec.ident("the name");
    dec.setObjectName(name);
    longId = dec.text("the long identifier");
}

ByteOrder byteOrderField(Decoder& dec) {
    RawTok t;
    dec.peek(t);
    std::string v = dec.ident("BYTE_ORDER");
    ByteOrder order = byteOrderFromString(v);
    if (order == ByteOrder::Unspecified && !v.empty()) {
        dec.warn(&t, "unknown BYTE_ORDER \"" + v + "\"");
    }
    return order;
}

std::vector<std::uint32_t> matrixDim(Decoder& dec) {
    std::vector<std::uint32_t> dims;
    RawTok t;
    while (dec.peek(t) && t.kind == Kind::Number) {
        dec.take();
        // Integral floats (4.0, 1e3) are accepted like everywhere an integer stands; anything
        // negative, fractional or beyond 32 bits is reported and counts as 0.
        std::uint64_t v = 0;
        if (!detail::parseUInt64(t.view(), v) || v > 0xFFFFFFFFu) {
            dec.warn(&t, "MATRIX_DIM value " + std::string(t.view()) + " is out of range");
            v = 0;
        }
        dims.push_back(static_cast<std::uint32_t>(v));
    }
    if (dims.empty()) {
        dec.warn(nullptr, "MATRIX_DIM without dimensions");
    }
    return dims;
}

std::vector<std::string> identList(const Document& doc, BlockRef block) {
    std::vector<std::string> out;
    Cursor cursor(doc.impl(), block.id());
    RawTok t;
    while (cursor.next(t)) {
        if (t.kind == Kind::Identifier) {
            out.push_back(detail::tokenText(t));
        }
    }
    return out;
}

// XCP TIME_UNIT / timestamp unit codes: 0 = 1 ns ... 9 = 1 s, 10..12 = 1, 10, 100 ps.
std::optional<double> xcpUnitSeconds(std::uint32_t code) {
    static constexpr double kUnits[13] = {1e-9, 1e-8, 1e-7, 1e-6,  1e-5,  1e-4, 1e-3,
                                          1e-2, 1e-1, 1.0,  1e-12, 1e-11, 1e-10};
    if (code < 13) {
        return kUnits[code];
    }
    return std::nullopt;
}

}  // namespace

// ---- XCP / CCP helpers --------------------------------------------------------------------

std::optional<double> XcpEvent::cycleSeconds() const {
    auto unit = xcpUnitSeconds(timeUnit);
    if (timeCycle == 0 || !unit) {
        return std::nullopt;
    }
    return timeCycle * *unit;
}

std::optional<double> XcpEvent::cycleMicroseconds() const {
    auto s = cycleSeconds();
    if (!s) {
        return std::nullopt;
    }
    return *s * 1e6;
}

std::optional<double> CcpSource::cycleSeconds() const {
    // CCP CSE codes 0..10: 1 us, 10 us, 100 us, 1 ms, 10 ms, 100 ms, 1 s, 10 s, 1 min, 1 h,
    // 1 day; 100 and up are angle or event based.
    static constexpr double kUnits[11] = {1e-6, 1e-5, 1e-4, 1e-3,   1e-2,   1e-1,
                                          1.0,  10.0, 60.0, 3600.0, 86400.0};
    if (scalingUnit > 10 || rate == 0) {
        return std::nullopt;
    }
    return rate * kUnits[scalingUnit];
}

// ---- single objects -----------------------------------------------------------------------

Measurement Document::measurement(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Measurement m;
    m.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, m.name, m.longIdentifier);
    {
        RawTok t;
        dec.peek(t);
        m.dataTypeText = dec.ident("the datatype");
        m.dataType = dataTypeFromString(m.dataTypeText);
        if (m.dataType == DataType::Unknown && !m.dataTypeText.empty()) {
            dec.warn(&t, "unknown datatype \"" + m.dataTypeText + "\"");
        }
    }
    m.conversion = dec.ident("the conversion");
    m.resolution = dec.u32("the resolution");
    m.accuracy = dec.number("the accuracy");
    m.lowerLimit = dec.number("the lower limit");
    m.upperLimit = dec.number("the upper limit");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "ECU_ADDRESS") {
                m.ecuAddress = dec.u64("ECU_ADDRESS");
            } else if (k == "ECU_ADDRESS_EXTENSION") {
                m.ecuAddressExtension =
                    static_cast<std::uint32_t>(dec.i64("ECU_ADDRESS_EXTENSION"));
            } else if (k == "BIT_MASK") {
                m.bitMask = dec.u64("BIT_MASK");
            } else if (k == "BYTE_ORDER") {
                m.byteOrder = byteOrderField(dec);
            } else if (k == "ARRAY_SIZE") {
                m.arraySize = dec.u32("ARRAY_SIZE");
            } else if (k == "MATRIX_DIM") {
                m.matrixDim = matrixDim(dec);
            } else if (k == "PHYS_UNIT") {
                m.physUnit = dec.text("PHYS_UNIT");
            } else if (k == "DISPLAY_IDENTIFIER") {
                m.displayIdentifier = dec.ident("DISPLAY_IDENTIFIER");
            } else if (k == "FORMAT") {
                m.format = dec.text("FORMAT");
            } else if (k == "READ_WRITE") {
                m.readWrite = true;
            } else if (k == "DISCRETE") {
                m.discrete = true;
            } else if (k == "EXTENDED_LIMITS") {
                double lo = dec.number("the lower extended limit");
                m.extendedLimits = std::make_pair(lo, dec.number("the upper extended limit"));
            } else if (k == "MAX_REFRESH") {
                std::uint32_t unit = dec.u32("the MAX_REFRESH scaling unit");
                m.maxRefresh = std::make_pair(unit, dec.i64("the MAX_REFRESH rate"));
            } else if (k == "REF_MEMORY_SEGMENT") {
                m.refMemorySegment = dec.ident("REF_MEMORY_SEGMENT");
            } else if (k == "SYMBOL_LINK") {
                m.symbolLink = dec.text("SYMBOL_LINK");
                dec.i64("the SYMBOL_LINK offset");
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.kind() == BlockKind::IfData) {
                m.ifData.push_back(child);
            }
        });
    if (!m.ifData.empty() && !validating_) {
        m.daqEvents = daqEvents(m.ifData);
    }
    return m;
}

AxisDescr decodeAxisDescr(const Document& doc, BlockRef block, std::vector<Diagnostic>* warnings) {
    AxisDescr a;
    a.block = block;
    Decoder dec(doc, block.id(), warnings);
    a.attribute = dec.ident("the attribute");
    a.inputQuantity = dec.ident("the input quantity");
    a.conversion = dec.ident("the conversion");
    a.maxAxisPoints = dec.u32("the maximum number of axis points");
    a.lowerLimit = dec.number("the lower limit");
    a.upperLimit = dec.number("the upper limit");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "AXIS_PTS_REF") {
                a.axisPtsRef = dec.ident("AXIS_PTS_REF");
            } else if (k == "CURVE_AXIS_REF") {
                a.curveAxisRef = dec.ident("CURVE_AXIS_REF");
            } else if (k == "FIX_AXIS_PAR" || k == "FIX_AXIS_PAR_DIST") {
                std::array<double, 3> v{dec.number("the offset"), dec.number("the shift/distance"),
                                        dec.number("the number of points")};
                (k == "FIX_AXIS_PAR" ? a.fixAxisPar : a.fixAxisParDist) = v;
            } else if (k == "MAX_GRAD") {
                a.maxGrad = dec.number("MAX_GRAD");
            } else if (k == "DEPOSIT") {
                a.deposit = dec.ident("DEPOSIT");
            } else if (k == "BYTE_ORDER") {
                a.byteOrder = byteOrderField(dec);
            } else if (k == "FORMAT") {
                a.format = dec.text("FORMAT");
            } else if (k == "PHYS_UNIT") {
                a.physUnit = dec.text("PHYS_UNIT");
            } else if (k == "MONOTONY") {
                a.monotony = dec.ident("MONOTONY");
            } else if (k == "READ_ONLY") {
                a.readOnly = true;
            } else if (k == "EXTENDED_LIMITS") {
                double lo = dec.number("the lower extended limit");
                a.extendedLimits = std::make_pair(lo, dec.number("the upper extended limit"));
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.keyword() == "FIX_AXIS_PAR_LIST") {
                Decoder list(doc, child.id(), warnings);
                a.fixAxisParList = list.numbers();
            }
        });
    return a;
}

Characteristic Document::characteristic(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Characteristic c;
    c.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, c.name, c.longIdentifier);
    c.type = dec.ident("the type");
    c.address = dec.u64("the address");
    c.deposit = dec.ident("the record layout");
    c.maxDiff = dec.number("the maximum difference");
    c.conversion = dec.ident("the conversion");
    c.lowerLimit = dec.number("the lower limit");
    c.upperLimit = dec.number("the upper limit");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "BIT_MASK") {
                c.bitMask = dec.u64("BIT_MASK");
            } else if (k == "BYTE_ORDER") {
                c.byteOrder = byteOrderField(dec);
            } else if (k == "ECU_ADDRESS_EXTENSION") {
                c.ecuAddressExtension =
                    static_cast<std::uint32_t>(dec.i64("ECU_ADDRESS_EXTENSION"));
            } else if (k == "MATRIX_DIM") {
                c.matrixDim = matrixDim(dec);
            } else if (k == "NUMBER") {
                c.number = dec.u32("NUMBER");
            } else if (k == "FORMAT") {
                c.format = dec.text("FORMAT");
            } else if (k == "PHYS_UNIT") {
                c.physUnit = dec.text("PHYS_UNIT");
            } else if (k == "DISPLAY_IDENTIFIER") {
                c.displayIdentifier = dec.ident("DISPLAY_IDENTIFIER");
            } else if (k == "REF_MEMORY_SEGMENT") {
                c.refMemorySegment = dec.ident("REF_MEMORY_SEGMENT");
            } else if (k == "COMPARISON_QUANTITY") {
                c.comparisonQuantity = dec.ident("COMPARISON_QUANTITY");
            } else if (k == "SYMBOL_LINK") {
                c.symbolLink = dec.text("SYMBOL_LINK");
                dec.i64("the SYMBOL_LINK offset");
            } else if (k == "READ_ONLY") {
                c.readOnly = true;
            } else if (k == "DISCRETE") {
                c.discrete = true;
            } else if (k == "EXTENDED_LIMITS") {
                double lo = dec.number("the lower extended limit");
                c.extendedLimits = std::make_pair(lo, dec.number("the upper extended limit"));
            } else if (k == "MAX_REFRESH") {
                std::uint32_t unit = dec.u32("the MAX_REFRESH scaling unit");
                c.maxRefresh = std::make_pair(unit, dec.i64("the MAX_REFRESH rate"));
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.kind() == BlockKind::AxisDescr) {
                c.axes.push_back(decodeAxisDescr(*this, child, warnings));
            } else if (child.kind() == BlockKind::IfData) {
                c.ifData.push_back(child);
            }
        });
    if (!c.ifData.empty() && !validating_) {
        c.daqEvents = daqEvents(c.ifData);
    }
    return c;
}

AxisPts Document::axisPts(BlockRef block, std::vector<Diagnostic>* warnings) const {
    AxisPts a;
    a.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, a.name, a.longIdentifier);
    a.address = dec.u64("the address");
    a.inputQuantity = dec.ident("the input quantity");
    a.deposit = dec.ident("the record layout");
    a.maxDiff = dec.number("the maximum difference");
    a.conversion = dec.ident("the conversion");
    a.maxAxisPoints = dec.u32("the maximum number of axis points");
    a.lowerLimit = dec.number("the lower limit");
    a.upperLimit = dec.number("the upper limit");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "BYTE_ORDER") {
                a.byteOrder = byteOrderField(dec);
            } else if (k == "ECU_ADDRESS_EXTENSION") {
                a.ecuAddressExtension =
                    static_cast<std::uint32_t>(dec.i64("ECU_ADDRESS_EXTENSION"));
            } else if (k == "FORMAT") {
                a.format = dec.text("FORMAT");
            } else if (k == "PHYS_UNIT") {
                a.physUnit = dec.text("PHYS_UNIT");
            } else if (k == "DISPLAY_IDENTIFIER") {
                a.displayIdentifier = dec.ident("DISPLAY_IDENTIFIER");
            } else if (k == "DEPOSIT") {
                a.depositMode = dec.ident("DEPOSIT");
            } else if (k == "REF_MEMORY_SEGMENT") {
                a.refMemorySegment = dec.ident("REF_MEMORY_SEGMENT");
            } else if (k == "SYMBOL_LINK") {
                a.symbolLink = dec.text("SYMBOL_LINK");
                dec.i64("the SYMBOL_LINK offset");
            } else if (k == "READ_ONLY") {
                a.readOnly = true;
            } else if (k == "EXTENDED_LIMITS") {
                double lo = dec.number("the lower extended limit");
                a.extendedLimits = std::make_pair(lo, dec.number("the upper extended limit"));
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.kind() == BlockKind::IfData) {
                a.ifData.push_back(child);
            }
        });
    return a;
}

CompuMethod Document::compuMethod(BlockRef block, std::vector<Diagnostic>* warnings) const {
    CompuMethod c;
    c.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, c.name, c.longIdentifier);
    {
        RawTok t;
        dec.peek(t);
        c.kindText = dec.ident("the conversion type");
        c.kind = conversionKindFromString(c.kindText);
        if (c.kind == ConversionKind::Unknown && !c.kindText.empty()) {
            dec.warn(&t, "unknown conversion type \"" + c.kindText + "\"");
        }
    }
    c.format = dec.text("the format");
    c.unit = dec.text("the unit");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "COEFFS") {
                std::array<double, 6> v{};
                static const char* const kNames[6] = {"coefficient a", "coefficient b",
                                                      "coefficient c", "coefficient d",
                                                      "coefficient e", "coefficient f"};
                for (int i = 0; i < 6; ++i) {
                    v[static_cast<std::size_t>(i)] = dec.number(kNames[i]);
                }
                c.coeffs = v;
            } else if (k == "COEFFS_LINEAR") {
                double a = dec.number("coefficient a");
                c.coeffsLinear = std::array<double, 2>{a, dec.number("coefficient b")};
            } else if (k == "COMPU_TAB_REF") {
                c.compuTabRef = dec.ident("COMPU_TAB_REF");
            } else if (k == "REF_UNIT") {
                c.refUnit = dec.ident("REF_UNIT");
            } else if (k == "STATUS_STRING_REF") {
                c.statusStringRef = dec.ident("STATUS_STRING_REF");
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.keyword() != "FORMULA") {
                return;
            }
            Decoder f(*this, child.id(), warnings);
            c.formula = f.text("the formula");
            options(
                f,
                [&](std::string_view k) {
                    if (k == "FORMULA_INV") {
                        c.formulaInv = f.text("FORMULA_INV");
                        return true;
                    }
                    return false;
                },
                [](BlockRef) {});
        });
    return c;
}

namespace {

template <typename Obj>
void defaultValues(Decoder& dec, Obj& obj, bool numericAllowed, std::optional<double>* numeric) {
    options(
        dec,
        [&](std::string_view k) {
            if (k == "DEFAULT_VALUE") {
                obj.defaultValue = dec.text("DEFAULT_VALUE");
                return true;
            }
            if (numericAllowed && k == "DEFAULT_VALUE_NUMERIC") {
                *numeric = dec.number("DEFAULT_VALUE_NUMERIC");
                return true;
            }
            return false;
        },
        [](BlockRef) {});
}

// The number of entries a table announces, and whether the next token still belongs to
// the entries (a keyword such as DEFAULT_VALUE ends them early).
bool entryFollows(Decoder& dec, std::size_t index, std::size_t count) {
    RawTok t;
    if (index >= count) {
        return false;
    }
    if (!dec.peek(t) || t.kind == Kind::Identifier || t.kind == Kind::Block) {
        dec.warn(dec.peek(t) ? &t : nullptr, "table announces " + std::to_string(count) +
                                                 " entries but has " + std::to_string(index));
        return false;
    }
    return true;
}

}  // namespace

CompuTab Document::compuTab(BlockRef block, std::vector<Diagnostic>* warnings) const {
    CompuTab c;
    c.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, c.name, c.longIdentifier);
    c.kind = conversionKindFromString(dec.ident("the conversion type"));
    std::size_t n = dec.u32("the number of value pairs");
    for (std::size_t i = 0; entryFollows(dec, i, n); ++i) {
        double in = dec.number("an input value");
        c.pairs.emplace_back(in, dec.number("an output value"));
    }
    defaultValues(dec, c, true, &c.defaultValueNumeric);
    return c;
}

CompuVtab Document::compuVtab(BlockRef block, std::vector<Diagnostic>* warnings) const {
    CompuVtab c;
    c.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, c.name, c.longIdentifier);
    c.kind = conversionKindFromString(dec.ident("the conversion type"));
    std::size_t n = dec.u32("the number of value pairs");
    for (std::size_t i = 0; entryFollows(dec, i, n); ++i) {
        double in = dec.number("an input value");
        c.entries.emplace_back(in, dec.text("an output text"));
    }
    defaultValues(dec, c, false, nullptr);
    return c;
}

CompuVtabRange Document::compuVtabRange(BlockRef block, std::vector<Diagnostic>* warnings) const {
    CompuVtabRange c;
    c.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, c.name, c.longIdentifier);
    std::size_t n = dec.u32("the number of value triples");
    for (std::size_t i = 0; entryFollows(dec, i, n); ++i) {
        CompuVtabRangeEntry e;
        e.min = dec.number("a lower bound");
        e.max = dec.number("an upper bound");
        e.text = dec.text("an output text");
        c.entries.push_back(std::move(e));
    }
    defaultValues(dec, c, false, nullptr);
    return c;
}

namespace {

bool isRecordLayoutKeyword(std::string_view k) {
    static constexpr std::string_view kPrefixes[] = {"FNC_VALUES",
                                                     "IDENTIFICATION",
                                                     "AXIS_PTS_",
                                                     "AXIS_RESCALE_",
                                                     "NO_AXIS_PTS_",
                                                     "NO_RESCALE_",
                                                     "FIX_NO_AXIS_PTS_",
                                                     "SRC_ADDR_",
                                                     "RIP_ADDR_",
                                                     "SHIFT_OP_",
                                                     "OFFSET_",
                                                     "DIST_OP_",
                                                     "ALIGNMENT_",
                                                     "RESERVED",
                                                     "STATIC_RECORD_LAYOUT",
                                                     "STATIC_ADDRESS_OFFSETS"};
    for (auto prefix : kPrefixes) {
        if (k.substr(0, prefix.size()) == prefix) {
            return true;
        }
    }
    return false;
}

std::optional<std::uint32_t> firstU32(const RecordLayoutEntry& e) {
    std::uint64_t v;
    if (!e.params.empty() && detail::parseUInt64(e.params[0], v) && v <= 0xFFFFFFFFu) {
        return static_cast<std::uint32_t>(v);
    }
    return std::nullopt;
}

}  // namespace

RecordLayout Document::recordLayout(BlockRef block, std::vector<Diagnostic>* warnings) const {
    RecordLayout r;
    r.block = block;
    Decoder dec(*this, block.id(), warnings);
    r.name = dec.ident("the name");
    dec.setObjectName(r.name);
    RawTok t;
    while (dec.peek(t)) {
        dec.take();
        if (t.kind == Kind::Block) {
            continue;
        }
        if (t.kind == Kind::Identifier && isRecordLayoutKeyword(t.view())) {
            r.entries.push_back({std::string(t.view()), {}});
        } else if (!r.entries.empty()) {
            r.entries.back().params.push_back(detail::tokenText(t));
        } else {
            dec.stray(t);
        }
    }
    for (const auto& e : r.entries) {
        if (e.keyword == "FNC_VALUES") {
            r.fncValuesPosition = firstU32(e);
            if (e.params.size() > 1) {
                r.fncValuesType = dataTypeFromString(e.params[1]);
            }
            if (e.params.size() > 2) {
                r.fncValuesIndexMode = e.params[2];
            }
            if (e.params.size() > 3) {
                r.fncValuesAddressType = e.params[3];
            }
        } else if (e.keyword == "ALIGNMENT_BYTE") {
            r.alignmentByte = firstU32(e);
        } else if (e.keyword == "ALIGNMENT_WORD") {
            r.alignmentWord = firstU32(e);
        } else if (e.keyword == "ALIGNMENT_LONG") {
            r.alignmentLong = firstU32(e);
        } else if (e.keyword == "ALIGNMENT_INT64") {
            r.alignmentInt64 = firstU32(e);
        } else if (e.keyword == "ALIGNMENT_FLOAT32_IEEE") {
            r.alignmentFloat32 = firstU32(e);
        } else if (e.keyword == "ALIGNMENT_FLOAT64_IEEE") {
            r.alignmentFloat64 = firstU32(e);
        }
    }
    return r;
}

Unit Document::unit(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Unit u;
    u.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, u.name, u.longIdentifier);
    u.display = dec.text("the display text");
    u.type = dec.ident("the unit type");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "REF_UNIT") {
                u.refUnit = dec.ident("REF_UNIT");
            } else if (k == "SI_EXPONENTS") {
                std::array<int, 7> e{};
                for (auto& x : e) {
                    x = static_cast<int>(dec.i64("an SI exponent"));
                }
                u.siExponents = e;
            } else if (k == "UNIT_CONVERSION") {
                double g = dec.number("the gradient");
                u.unitConversion = std::make_pair(g, dec.number("the offset"));
            } else {
                return false;
            }
            return true;
        },
        [](BlockRef) {});
    return u;
}

Group Document::group(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Group g;
    g.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, g.name, g.longIdentifier);
    options(
        dec,
        [&](std::string_view k) {
            if (k == "ROOT") {
                g.root = true;
                return true;
            }
            return false;
        },
        [&](BlockRef child) {
            std::string_view k = child.keyword();
            if (k == "REF_CHARACTERISTIC") {
                g.refCharacteristics = identList(*this, child);
            } else if (k == "REF_MEASUREMENT") {
                g.refMeasurements = identList(*this, child);
            } else if (k == "SUB_GROUP") {
                g.subGroups = identList(*this, child);
            } else if (k == "FUNCTION_LIST") {
                g.functions = identList(*this, child);
            }
        });
    return g;
}

TypedefStructure Document::typedefStructure(BlockRef block,
                                            std::vector<Diagnostic>* warnings) const {
    TypedefStructure t;
    t.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, t.name, t.longIdentifier);
    t.size = dec.u64("the structure size");
    options(
        dec, [&](std::string_view) { return false; },
        [&](BlockRef child) {
            if (child.keyword() != "STRUCTURE_COMPONENT") {
                return;
            }
            StructureComponent c;
            Decoder cd(*this, child.id(), warnings);
            c.name = cd.ident("the component name");
            cd.setObjectName(c.name);
            c.typeName = cd.ident("the component type");
            c.offset = cd.u64("the address offset");
            options(
                cd,
                [&](std::string_view k) {
                    if (k == "MATRIX_DIM") {
                        c.matrixDim = matrixDim(cd);
                    } else if (k == "ADDRESS_TYPE") {
                        c.addressType = cd.ident("ADDRESS_TYPE");
                    } else {
                        return false;
                    }
                    return true;
                },
                [](BlockRef) {});
            t.components.push_back(std::move(c));
        });
    return t;
}

Instance Document::instance(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Instance in;
    in.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, in.name, in.longIdentifier);
    in.typeName = dec.ident("the type");
    in.address = dec.u64("the address");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "ECU_ADDRESS_EXTENSION") {
                in.ecuAddressExtension =
                    static_cast<std::uint32_t>(dec.i64("ECU_ADDRESS_EXTENSION"));
            } else if (k == "MATRIX_DIM") {
                in.matrixDim = matrixDim(dec);
            } else if (k == "ADDRESS_TYPE") {
                in.addressType = dec.ident("ADDRESS_TYPE");
            } else if (k == "DISPLAY_IDENTIFIER") {
                in.displayIdentifier = dec.ident("DISPLAY_IDENTIFIER");
            } else if (k == "READ_WRITE") {
                in.readWrite = true;
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.kind() == BlockKind::IfData) {
                in.ifData.push_back(child);
            }
        });
    if (!in.ifData.empty() && !validating_) {
        in.daqEvents = daqEvents(in.ifData);
    }
    return in;
}

Function Document::function(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Function f;
    f.block = block;
    Decoder dec(*this, block.id(), warnings);
    nameAndComment(dec, f.name, f.longIdentifier);
    options(
        dec,
        [&](std::string_view k) {
            if (k == "FUNCTION_VERSION") {
                f.version = dec.text("FUNCTION_VERSION");
                return true;
            }
            return false;
        },
        [&](BlockRef child) {
            std::string_view k = child.keyword();
            if (k == "DEF_CHARACTERISTIC") {
                f.defCharacteristics = identList(*this, child);
            } else if (k == "REF_CHARACTERISTIC") {
                f.refCharacteristics = identList(*this, child);
            } else if (k == "IN_MEASUREMENT") {
                f.inMeasurements = identList(*this, child);
            } else if (k == "OUT_MEASUREMENT") {
                f.outMeasurements = identList(*this, child);
            } else if (k == "LOC_MEASUREMENT") {
                f.locMeasurements = identList(*this, child);
            } else if (k == "SUB_FUNCTION") {
                f.subFunctions = identList(*this, child);
            }
        });
    return f;
}

// ---- project level ------------------------------------------------------------------------

std::optional<Project> Document::project() const {
    const auto& ids = impl_->byKind[static_cast<std::size_t>(BlockKind::Project)];
    if (ids.empty()) {
        return std::nullopt;
    }
    Project p;
    p.block = BlockRef(this, ids.front());
    Decoder dec(*this, ids.front(), nullptr);
    nameAndComment(dec, p.name, p.longIdentifier);
    return p;
}

std::optional<Header> Document::header() const {
    const auto& ids = impl_->byKind[static_cast<std::size_t>(BlockKind::Header)];
    if (ids.empty()) {
        return std::nullopt;
    }
    Header h;
    h.block = BlockRef(this, ids.front());
    Decoder dec(*this, ids.front(), nullptr);
    h.comment = dec.text("the comment");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "VERSION") {
                h.version = dec.text("VERSION");
            } else if (k == "PROJECT_NO") {
                h.projectNo = dec.ident("PROJECT_NO");
            } else {
                return false;
            }
            return true;
        },
        [](BlockRef) {});
    return h;
}

std::vector<Module> Document::modules() const {
    std::vector<Module> out;
    for (std::uint32_t id : impl_->byKind[static_cast<std::size_t>(BlockKind::Module)]) {
        Module m;
        m.block = BlockRef(this, id);
        Decoder dec(*this, id, nullptr);
        nameAndComment(dec, m.name, m.longIdentifier);
        out.push_back(std::move(m));
    }
    return out;
}

namespace {

bool alignment(Decoder& dec, std::string_view k, ModCommon& c) {
    std::optional<std::uint32_t>* slot = nullptr;
    if (k == "ALIGNMENT_BYTE") {
        slot = &c.alignmentByte;
    } else if (k == "ALIGNMENT_WORD") {
        slot = &c.alignmentWord;
    } else if (k == "ALIGNMENT_LONG") {
        slot = &c.alignmentLong;
    } else if (k == "ALIGNMENT_INT64") {
        slot = &c.alignmentInt64;
    } else if (k == "ALIGNMENT_FLOAT16_IEEE") {
        slot = &c.alignmentFloat16;
    } else if (k == "ALIGNMENT_FLOAT32_IEEE") {
        slot = &c.alignmentFloat32;
    } else if (k == "ALIGNMENT_FLOAT64_IEEE") {
        slot = &c.alignmentFloat64;
    } else {
        return false;
    }
    *slot = dec.u32("the alignment");
    return true;
}

}  // namespace

std::optional<ModCommon> Document::modCommon() const {
    const auto& ids = impl_->byKind[static_cast<std::size_t>(BlockKind::ModCommon)];
    if (ids.empty()) {
        return std::nullopt;
    }
    ModCommon c;
    c.block = BlockRef(this, ids.front());
    Decoder dec(*this, ids.front(), nullptr);
    c.comment = dec.text("the comment");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "BYTE_ORDER") {
                c.byteOrder = byteOrderField(dec);
            } else if (k == "DEPOSIT") {
                c.deposit = dec.ident("DEPOSIT");
            } else if (k == "DATA_SIZE") {
                c.dataSize = dec.u32("DATA_SIZE");
            } else {
                return alignment(dec, k, c);
            }
            return true;
        },
        [](BlockRef) {});
    return c;
}

std::optional<ModPar> Document::modPar() const {
    const auto& ids = impl_->byKind[static_cast<std::size_t>(BlockKind::ModPar)];
    if (ids.empty()) {
        return std::nullopt;
    }
    ModPar m;
    m.block = BlockRef(this, ids.front());
    Decoder dec(*this, ids.front(), nullptr);
    m.comment = dec.text("the comment");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "EPK") {
                m.epk = dec.text("EPK");
            } else if (k == "ADDR_EPK") {
                m.addrEpk.push_back(dec.u64("ADDR_EPK"));
            } else if (k == "VERSION") {
                m.version = dec.text("VERSION");
            } else if (k == "SUPPLIER") {
                m.supplier = dec.text("SUPPLIER");
            } else if (k == "CUSTOMER") {
                m.customer = dec.text("CUSTOMER");
            } else if (k == "CUSTOMER_NO") {
                m.customerNo = dec.text("CUSTOMER_NO");
            } else if (k == "USER") {
                m.user = dec.text("USER");
            } else if (k == "PHONE_NO") {
                m.phoneNo = dec.text("PHONE_NO");
            } else if (k == "ECU") {
                m.ecu = dec.text("ECU");
            } else if (k == "CPU_TYPE") {
                m.cpuType = dec.text("CPU_TYPE");
            } else if (k == "NO_OF_INTERFACES") {
                m.noOfInterfaces = dec.u32("NO_OF_INTERFACES");
            } else if (k == "ECU_CALIBRATION_OFFSET") {
                m.ecuCalibrationOffset =
                    static_cast<std::uint64_t>(dec.i64("ECU_CALIBRATION_OFFSET"));
            } else if (k == "SYSTEM_CONSTANT") {
                std::string name = dec.text("the constant name");
                m.systemConstants.emplace_back(std::move(name), dec.text("the constant value"));
            } else {
                return false;
            }
            return true;
        },
        [&](BlockRef child) {
            if (child.kind() != BlockKind::MemorySegment) {
                return;
            }
            MemorySegment s;
            s.block = child;
            Decoder sd(*this, child.id(), nullptr);
            nameAndComment(sd, s.name, s.longIdentifier);
            s.prgType = sd.ident("the program type");
            s.memoryType = sd.ident("the memory type");
            s.attribute = sd.ident("the attribute");
            s.address = sd.u64("the address");
            s.size = sd.u64("the size");
            for (auto& o : s.offsets) {
                o = sd.i64("an offset");
            }
            options(
                sd, [](std::string_view) { return false; },
                [&](BlockRef g) {
                    if (g.kind() == BlockKind::IfData) {
                        s.ifData.push_back(g);
                    }
                });
            m.memorySegments.push_back(std::move(s));
        });
    return m;
}

// ---- IF_DATA --------------------------------------------------------------------------------

namespace {

void collectEvents(const Document& doc, BlockRef block, std::vector<std::uint32_t>* list,
                   DaqEventBinding& out) {
    Cursor cursor(doc.impl(), block.id());
    RawTok t;
    bool expectEvent = false;
    while (cursor.next(t)) {
        if (t.kind == Kind::Block) {
            std::string_view k = doc.impl().keyword(t.block);
            std::vector<std::uint32_t>* sub = list;
            if (k == "FIXED_EVENT_LIST") {
                sub = &out.fixedEvents;
            } else if (k == "DEFAULT_EVENT_LIST") {
                sub = &out.defaultEvents;
            } else if (k == "AVAILABLE_EVENT_LIST") {
                sub = &out.availableEvents;
            } else {
                continue;
            }
            collectEvents(doc, BlockRef(&doc, t.block), sub, out);
            continue;
        }
        if (t.kind == Kind::Identifier) {
            std::string_view k = t.view();
            expectEvent = k == "EVENT";
            if (k == "FIXED_EVENT_LIST") {
                list = &out.fixedEvents;
            } else if (k == "VARIABLE") {
                out.variable = true;
                list = &out.defaultEvents;
            }
            continue;
        }
        std::uint64_t v;
        if (expectEvent && t.kind == Kind::Number && detail::parseUInt64(t.view(), v)) {
            if (v <= 0xFFFFFFFFu) {
                (list != nullptr ? *list : out.fixedEvents)
                    .push_back(static_cast<std::uint32_t>(v));
            }
        }
        expectEvent = false;
    }
}

void collectRasters(const Document& doc, std::uint32_t block, DaqEventBinding& out) {
    Cursor cursor(doc.impl(), block);
    RawTok t;
    bool expect = false;
    while (cursor.next(t)) {
        if (t.kind == Kind::Block) {
            collectRasters(doc, t.block, out);
            expect = false;
            continue;
        }
        std::uint64_t v;
        if (expect && t.kind == Kind::Number && detail::parseUInt64(t.view(), v) &&
            v <= 0xFFFFFFFFu) {
            out.rasters.push_back(static_cast<std::uint32_t>(v));
        }
        expect = t.kind == Kind::Identifier && t.view() == "RASTER";
    }
}

bool isXcpName(std::string_view n) {
    return n == "XCP" || n == "XCPplus";
}

std::uint32_t u32Of(const Item& item) {
    auto v = item.toUInt();
    return v && *v <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(*v) : 0;
}

}  // namespace

DaqEventBinding Document::daqEvents(const std::vector<BlockRef>& ifData) const {
    DaqEventBinding out;
    for (const BlockRef& b : ifData) {
        // The interface name is the first word; reading it directly saves a cursor per block
        // (this runs for every decoded measurement).
        std::string_view name = impl_->nameOf(b.id());
        if (isXcpName(name)) {
            auto visit = [&](std::uint32_t c) {
                if (impl_->keyword(c) == "DAQ_EVENT") {
                    out.fromXcp = true;
                    collectEvents(*this, BlockRef(this, c), nullptr, out);
                }
            };
            bool viaInclude = false;
            for (std::uint32_t c = impl_->blocks[b.id()].firstChild; c != kNone;
                 c = impl_->blocks[c].nextSibling) {
                viaInclude = viaInclude || (impl_->blocks[c].flags & detail::kIncludeFlag) != 0;
            }
            if (viaInclude) {  // an /include inside IF_DATA: the include-transparent walk
                for (std::uint32_t c : detail::childIds(*impl_, b.id())) {
                    visit(c);
                }
            } else {
                for (std::uint32_t c = impl_->blocks[b.id()].firstChild; c != kNone;
                     c = impl_->blocks[c].nextSibling) {
                    visit(c);
                }
            }
        } else if (name != "CANAPE_EXT" && name != "CANAPE") {
            collectRasters(*this, b.id(), out);
        }
    }
    return out;
}

XcpInfo Document::xcpInfo(BlockRef ifDataBlock) const {
    XcpInfo x;
    x.block = ifDataBlock;
    for (const BlockRef& child : ifDataBlock.children()) {
        std::string_view k = child.keyword();
        if (k == "PROTOCOL_LAYER") {
            XcpProtocolLayer p;
            Decoder dec(*this, child.id(), nullptr);
            p.version = dec.u32("the version");
            for (auto& t : p.timeouts) {
                t = dec.u32("a timeout");
            }
            p.maxCto = dec.u32("MAX_CTO");
            p.maxDto = dec.u32("MAX_DTO");
            p.byteOrder = dec.ident("the byte order");
            p.addressGranularity = dec.ident("the address granularity");
            options(
                dec,
                [&](std::string_view kw) {
                    if (kw == "OPTIONAL_CMD") {
                        p.optionalCommands.push_back(dec.ident("the command"));
                        return true;
                    }
                    return false;
                },
                [](BlockRef) {});
            x.protocolLayer = std::move(p);
        } else if (k == "DAQ") {
            XcpDaq q;
            Decoder dec(*this, child.id(), nullptr);
            q.config = dec.ident("the DAQ configuration type");
            q.maxDaq = dec.u32("MAX_DAQ");
            q.maxEventChannel = dec.u32("MAX_EVENT_CHANNEL");
            q.minDaq = dec.u32("MIN_DAQ");
            q.optimisationType = dec.ident("the optimisation type");
            q.addressExtension = dec.ident("the address extension");
            q.identificationFieldType = dec.ident("the identification field type");
            q.granularityOdtEntrySizeDaq = dec.ident("the ODT entry granularity");
            q.maxOdtEntrySizeDaq = dec.u32("MAX_ODT_ENTRY_SIZE_DAQ");
            q.overloadIndication = dec.ident("the overload indication");
            options(
                dec,
                [&](std::string_view kw) {
                    if (kw == "PRESCALER_SUPPORTED") {
                        q.prescalerSupported = true;
                        return true;
                    }
                    return false;
                },
                [&](BlockRef b) {
                    std::string_view bk = b.keyword();
                    if (bk == "EVENT") {
                        XcpEvent e;
                        Decoder ed(*this, b.id(), nullptr);
                        e.name = ed.text("the event name");
                        e.shortName = ed.text("the short name");
                        e.channel = ed.u32("the channel number");
                        e.direction = ed.ident("the direction");
                        e.maxDaqList = ed.u32("MAX_DAQ_LIST");
                        e.timeCycle = ed.u32("the time cycle");
                        e.timeUnit = ed.u32("the time unit");
                        e.priority = ed.u32("the priority");
                        q.events.push_back(std::move(e));
                    } else if (bk == "TIMESTAMP_SUPPORTED") {
                        Decoder td(*this, b.id(), nullptr);
                        q.timestampTicks = td.u32("the timestamp ticks");
                        q.timestampSize = td.ident("the timestamp size");
                        q.timestampUnit = td.ident("the timestamp unit");
                    }
                });
            x.daq = std::move(q);
        } else if (k == "XCP_ON_CAN") {
            XcpOnCan c;
            std::vector<Item> items = child.items();
            std::size_t i = 0;
            if (i < items.size() && items[i].isNumber()) {
                c.version = u32Of(items[i++]);
            }
            for (; i < items.size(); ++i) {
                const Item& it = items[i];
                bool hasNext = i + 1 < items.size() && items[i + 1].isNumber();
                if (it.isBlock() && it.text == "CAN_FD") {
                    c.canFd = true;
                    auto inner = it.block.params();
                    for (std::size_t j = 0; j + 1 < inner.size(); ++j) {
                        if (inner[j].text == "CAN_FD_DATA_TRANSFER_BAUDRATE") {
                            c.canFdDataBaudrate = u32Of(inner[j + 1]);
                        }
                    }
                } else if (it.isIdentifier() && hasNext) {
                    const Item& v = items[i + 1];
                    if (it.text == "CAN_ID_BROADCAST") {
                        c.canIdBroadcast = u32Of(v);
                    } else if (it.text == "CAN_ID_MASTER") {
                        c.canIdMaster = u32Of(v);
                    } else if (it.text == "CAN_ID_SLAVE") {
                        c.canIdSlave = u32Of(v);
                    } else if (it.text == "BAUDRATE") {
                        c.baudrate = u32Of(v);
                    } else if (it.text == "SAMPLE_POINT") {
                        c.samplePoint = v.toDouble();
                    }
                }
            }
            x.onCan.push_back(c);
        } else if (k == "XCP_ON_UDP_IP" || k == "XCP_ON_TCP_IP") {
            XcpOnIp ip;
            ip.tcp = k == "XCP_ON_TCP_IP";
            std::vector<Item> items = child.params();
            std::size_t i = 0;
            if (i < items.size() && items[i].isNumber()) {
                ip.version = u32Of(items[i++]);
            }
            if (i < items.size() && items[i].isNumber()) {
                ip.port = u32Of(items[i++]);
            }
            for (; i + 1 < items.size(); ++i) {
                if (items[i].isIdentifier() &&
                    (items[i].text == "ADDRESS" || items[i].text == "HOST_NAME" ||
                     items[i].text == "IPV6")) {
                    ip.address = items[i + 1].text;
                }
            }
            x.onIp.push_back(ip);
        }
    }
    return x;
}

CcpInfo Document::ccpInfo(BlockRef ifDataBlock) const {
    CcpInfo c;
    c.block = ifDataBlock;
    for (const BlockRef& child : ifDataBlock.children()) {
        std::string_view k = child.keyword();
        if (k == "TP_BLOB") {
            std::vector<Item> items = child.params();
            std::optional<std::uint32_t>* fixed[] = {&c.ccpVersion,     &c.blobVersion,
                                                     &c.canIdCro,       &c.canIdDto,
                                                     &c.stationAddress, &c.byteOrder};
            std::size_t i = 0;
            for (; i < items.size() && i < 6 && items[i].isNumber(); ++i) {
                *fixed[i] = u32Of(items[i]);
            }
            for (; i + 1 < items.size(); ++i) {
                if (items[i].isIdentifier() && items[i].text == "BAUDRATE") {
                    c.baudrate = u32Of(items[i + 1]);
                }
            }
        } else if (k == "SOURCE") {
            CcpSource s;
            Decoder dec(*this, child.id(), nullptr);
            s.name = dec.text("the source name");
            s.scalingUnit = dec.u32("the scaling unit");
            s.rate = dec.u32("the rate");
            for (const BlockRef& qp : child.children("QP_BLOB")) {
                std::vector<Item> items = qp.params();
                std::size_t i = 0;
                if (i < items.size() && items[i].isNumber()) {
                    s.daqListNumber = u32Of(items[i++]);
                }
                for (; i + 1 < items.size(); ++i) {
                    if (items[i].text == "CAN_ID_FIXED") {
                        s.canIdFixed = u32Of(items[i + 1]);
                    } else if (items[i].text == "RASTER") {
                        s.raster = u32Of(items[i + 1]);
                    }
                }
            }
            c.sources.push_back(std::move(s));
        }
    }
    return c;
}

std::vector<XcpInfo> Document::xcp() const {
    std::vector<XcpInfo> out;
    for (std::uint32_t id : impl_->byKind[static_cast<std::size_t>(BlockKind::IfData)]) {
        BlockRef b(this, id);
        if (b.parent().kind() == BlockKind::Module && isXcpName(b.name())) {
            out.push_back(xcpInfo(b));
        }
    }
    return out;
}

std::vector<CcpInfo> Document::ccp() const {
    std::vector<CcpInfo> out;
    for (std::uint32_t id : impl_->byKind[static_cast<std::size_t>(BlockKind::IfData)]) {
        BlockRef b(this, id);
        if (b.parent().kind() == BlockKind::Module && b.name() == "ASAP1B_CCP") {
            out.push_back(ccpInfo(b));
        }
    }
    return out;
}

std::vector<XcpEvent> Document::xcpEvents() const {
    std::vector<XcpEvent> out;
    for (const auto& x : xcp()) {
        if (x.daq) {
            out.insert(out.end(), x.daq->events.begin(), x.daq->events.end());
        }
    }
    return out;
}

// ---- lists and lookups ----------------------------------------------------------------------

namespace {

template <typename T, typename Fn>
std::vector<T> all(const Document& doc, BlockKind kind, Fn fn) {
    std::vector<T> out;
    const auto& ids = doc.impl().byKind[static_cast<std::size_t>(kind)];
    out.reserve(ids.size());
    for (std::uint32_t id : ids) {
        out.push_back(fn(BlockRef(&doc, id)));
    }
    return out;
}

template <typename T, typename Fn>
std::optional<T> lookup(const Document& doc, BlockKind kind, std::string_view name, Fn fn) {
    BlockRef b = doc.find(kind, name);
    if (!b) {
        return std::nullopt;
    }
    return fn(b);
}

}  // namespace

std::vector<Measurement> Document::measurements() const {
    return all<Measurement>(*this, BlockKind::Measurement,
                            [this](BlockRef b) { return measurement(b); });
}
std::vector<Characteristic> Document::characteristics() const {
    return all<Characteristic>(*this, BlockKind::Characteristic,
                               [this](BlockRef b) { return characteristic(b); });
}
std::vector<AxisPts> Document::axisPts() const {
    return all<AxisPts>(*this, BlockKind::AxisPts, [this](BlockRef b) { return axisPts(b); });
}
std::vector<CompuMethod> Document::compuMethods() const {
    return all<CompuMethod>(*this, BlockKind::CompuMethod,
                            [this](BlockRef b) { return compuMethod(b); });
}
std::vector<CompuTab> Document::compuTabs() const {
    return all<CompuTab>(*this, BlockKind::CompuTab, [this](BlockRef b) { return compuTab(b); });
}
std::vector<CompuVtab> Document::compuVtabs() const {
    return all<CompuVtab>(*this, BlockKind::CompuVtab, [this](BlockRef b) { return compuVtab(b); });
}
std::vector<CompuVtabRange> Document::compuVtabRanges() const {
    return all<CompuVtabRange>(*this, BlockKind::CompuVtabRange,
                               [this](BlockRef b) { return compuVtabRange(b); });
}
std::vector<RecordLayout> Document::recordLayouts() const {
    return all<RecordLayout>(*this, BlockKind::RecordLayout,
                             [this](BlockRef b) { return recordLayout(b); });
}
std::vector<Unit> Document::units() const {
    return all<Unit>(*this, BlockKind::Unit, [this](BlockRef b) { return unit(b); });
}
std::vector<Group> Document::groups() const {
    return all<Group>(*this, BlockKind::Group, [this](BlockRef b) { return group(b); });
}
std::vector<Function> Document::functions() const {
    return all<Function>(*this, BlockKind::Function, [this](BlockRef b) { return function(b); });
}
std::vector<Instance> Document::instances() const {
    return all<Instance>(*this, BlockKind::Instance, [this](BlockRef b) { return instance(b); });
}

std::optional<Measurement> Document::findMeasurement(std::string_view name) const {
    return lookup<Measurement>(*this, BlockKind::Measurement, name,
                               [this](BlockRef b) { return measurement(b); });
}
std::optional<Characteristic> Document::findCharacteristic(std::string_view name) const {
    return lookup<Characteristic>(*this, BlockKind::Characteristic, name,
                                  [this](BlockRef b) { return characteristic(b); });
}
std::optional<CompuMethod> Document::findCompuMethod(std::string_view name) const {
    return lookup<CompuMethod>(*this, BlockKind::CompuMethod, name,
                               [this](BlockRef b) { return compuMethod(b); });
}
std::optional<CompuTab> Document::findCompuTab(std::string_view name) const {
    return lookup<CompuTab>(*this, BlockKind::CompuTab, name,
                            [this](BlockRef b) { return compuTab(b); });
}
std::optional<CompuVtab> Document::findCompuVtab(std::string_view name) const {
    return lookup<CompuVtab>(*this, BlockKind::CompuVtab, name,
                             [this](BlockRef b) { return compuVtab(b); });
}
std::optional<CompuVtabRange> Document::findCompuVtabRange(std::string_view name) const {
    return lookup<CompuVtabRange>(*this, BlockKind::CompuVtabRange, name,
                                  [this](BlockRef b) { return compuVtabRange(b); });
}
std::optional<RecordLayout> Document::findRecordLayout(std::string_view name) const {
    return lookup<RecordLayout>(*this, BlockKind::RecordLayout, name,
                                [this](BlockRef b) { return recordLayout(b); });
}
std::optional<Unit> Document::findUnit(std::string_view name) const {
    return lookup<Unit>(*this, BlockKind::Unit, name, [this](BlockRef b) { return unit(b); });
}
std::optional<AxisPts> Document::findAxisPts(std::string_view name) const {
    return lookup<AxisPts>(*this, BlockKind::AxisPts, name,
                           [this](BlockRef b) { return axisPts(b); });
}

// ---- validation while reading ---------------------------------------------------------------

namespace detail {

// After reading: decodes the conversions and their tables (few) and, when `deep`, every
// MEASUREMENT, CHARACTERISTIC and AXIS_PTS with all optional keywords (otherwise the
// reading pass has checked their fixed parameters and COMPU_METHOD references).
void validateDocument(const Document& doc, Document::Impl& impl, bool deep) {
    // The DAQ event bindings are not checked; skipping them halves the cost of this pass.
    validating_ = true;
    struct Reset {
        ~Reset() { validating_ = false; }
    } reset;
    std::vector<Diagnostic> found;
    auto checkConversion = [&](const std::string& conversion, BlockRef where,
                               const std::string& owner) {
        if (conversion.empty() || conversion == "NO_COMPU_METHOD" ||
            impl.findName(BlockKind::CompuMethod, conversion) != kNone) {
            return;
        }
        const auto& b = impl.blocks[where.id()];
        impl.warn(b.file, b.kwOff,
                  std::string(impl.keyword(where.id())) + " " + owner +
                      ": reference to undefined COMPU_METHOD \"" + conversion + "\"");
    };
    auto flush = [&] {
        for (auto& d : found) {
            impl.warn(std::move(d));
        }
        found.clear();
    };
    if (deep) {
        for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::Measurement)]) {
            Measurement m = doc.measurement(BlockRef(&doc, id), &found);
            flush();
            checkConversion(m.conversion, m.block, m.name);
        }
        for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::Characteristic)]) {
            Characteristic c = doc.characteristic(BlockRef(&doc, id), &found);
            flush();
            checkConversion(c.conversion, c.block, c.name);
            for (const auto& axis : c.axes) {
                checkConversion(axis.conversion, axis.block, c.name);
            }
        }
        for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::AxisPts)]) {
            AxisPts a = doc.axisPts(BlockRef(&doc, id), &found);
            flush();
            checkConversion(a.conversion, a.block, a.name);
        }
    }
    for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::CompuTab)]) {
        doc.compuTab(BlockRef(&doc, id), &found);
        flush();
    }
    for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::CompuVtab)]) {
        doc.compuVtab(BlockRef(&doc, id), &found);
        flush();
    }
    for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::CompuVtabRange)]) {
        doc.compuVtabRange(BlockRef(&doc, id), &found);
        flush();
    }
    for (std::uint32_t id : impl.byKind[static_cast<std::size_t>(BlockKind::CompuMethod)]) {
        CompuMethod c = doc.compuMethod(BlockRef(&doc, id), &found);
        flush();
        const std::string& ref = c.compuTabRef;
        if (!ref.empty() && impl.findName(BlockKind::CompuTab, ref) == kNone &&
            impl.findName(BlockKind::CompuVtab, ref) == kNone &&
            impl.findName(BlockKind::CompuVtabRange, ref) == kNone) {
            const auto& b = impl.blocks[id];
            impl.warn(
                b.file, b.kwOff,
                "COMPU_METHOD " + c.name + ": COMPU_TAB_REF to undefined table \"" + ref + "\"");
        }
    }
}

}  // namespace detail
}  // namespace a2l

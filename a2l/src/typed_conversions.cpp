// Typed views of conversions and what they refer to: COMPU_METHOD, the COMPU_TAB kinds,
// RECORD_LAYOUT and UNIT.
#include <cmath>

#include "decoder.h"

namespace a2l {

using namespace decoding;

CompuMethod Document::compuMethod(BlockRef block, std::vector<Diagnostic>* warnings) const {
    CompuMethod c;
    c.block = block;
    Decoder dec(*this, block.id(), warnings);
    dec.recordProblems(&c.unreadable, &c.beyondRange);
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
                    v[static_cast<std::size_t>(i)] = dec.requiredNumber(kNames[i]);
                }
                c.coeffs = v;
            } else if (k == "COEFFS_LINEAR") {
                double a = dec.requiredNumber("coefficient a");
                c.coeffsLinear = std::array<double, 2>{a, dec.requiredNumber("coefficient b")};
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

}  // namespace a2l

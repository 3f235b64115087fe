// Typed views of the measured and calibrated objects: MEASUREMENT (and TYPEDEF_MEASUREMENT),
// CHARACTERISTIC with its AXIS_DESCRs, and AXIS_PTS.
#include "decoder.h"

namespace a2l {

using namespace decoding;

// ---- single objects -----------------------------------------------------------------------

Measurement Document::measurement(BlockRef block, std::vector<Diagnostic>* warnings) const {
    Measurement m;
    m.block = block;
    Decoder dec(*this, block.id(), warnings);
    dec.recordProblems(&m.unreadable, &m.beyondRange);
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
    m.lowerLimit = dec.requiredNumber("the lower limit");
    m.upperLimit = dec.requiredNumber("the upper limit");
    options(
        dec,
        [&](std::string_view k) {
            if (k == "ECU_ADDRESS") {
                m.ecuAddress = dec.address("ECU_ADDRESS");
            } else if (k == "ECU_ADDRESS_EXTENSION") {
                m.ecuAddressExtension =
                    static_cast<std::uint32_t>(dec.i64("ECU_ADDRESS_EXTENSION"));
            } else if (k == "BIT_MASK") {
                m.bitMask = dec.requiredU64("BIT_MASK");
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
        // An ECU_ADDRESS that cannot be read is no absent one: no other address stands in.
        if (!m.ecuAddress && m.unreadable.empty()) {
            m.ifDataAddresses = ifDataAddresses(m.ifData);
        }
        m.unreadable.insert(m.unreadable.end(), m.daqEvents.unreadable.begin(),
                            m.daqEvents.unreadable.end());
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

}  // namespace a2l

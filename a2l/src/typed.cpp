// Typed views: each object is decoded from its block's items on request. Parameters of the
// wrong kind or missing ones become warnings; the decoder never stops on them. This file
// holds the structural kinds (GROUP, FUNCTION, TYPEDEF_STRUCTURE, INSTANCE), the project
// level, the lists and lookups of every kind, and the validation while reading; the other
// kinds have files of their own (typed_*.cpp).
#include "decoder.h"

namespace a2l {

using namespace decoding;

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

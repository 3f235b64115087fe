#include "cfgconv/cfginclude.hpp"

#include <unordered_map>

#include "cfgconv/conversion.hpp"
#include "cfgconv/xml.hpp"

namespace cfgconv {

const char* formatTypeName(DataType t) {
    switch (t) {
        case DataType::UByte:
            return "uint8";
        case DataType::SByte:
            return "int8";
        case DataType::UWord:
            return "uint16";
        case DataType::SWord:
            return "int16";
        case DataType::ULong:
            return "uint32";
        case DataType::SLong:
            return "int32";
        case DataType::UInt64:
            return "uint64";
        case DataType::Int64:
            return "int64";
        case DataType::Float32:
            return "float32";
        case DataType::Float64:
            return "float64";
        default:
            break;
    }
    return "";
}

std::optional<Generation> typeGeneration(DataType t) {
    switch (t) {
        case DataType::UByte:
        case DataType::SByte:
        case DataType::UWord:
        case DataType::SWord:
        case DataType::ULong:
        case DataType::SLong:
        case DataType::Float32:
            return Generation::G1;
        case DataType::UInt64:
        case DataType::Int64:
        case DataType::Float64:
            return Generation::G2;
        default:
            break;
    }
    return std::nullopt;
}

std::vector<std::uint32_t> effectiveDims(const std::vector<std::uint32_t>& dims) {
    std::vector<std::uint32_t> d;
    for (auto v : dims)
        d.push_back(v == 0 ? 1 : v);
    while (!d.empty() && d.back() == 1)
        d.pop_back();
    return d;
}

std::uint64_t elementCount(const std::vector<std::uint32_t>& dims, std::uint64_t limit) {
    std::uint64_t n = 1;
    for (auto d : dims) {
        n *= d;
        if (n > limit)
            return limit + 1;
    }
    return n;
}

namespace {

const char* kindName(PhysConversion::Kind k) {
    switch (k) {
        case PhysConversion::Kind::Identity:
            return "identity";
        case PhysConversion::Kind::Linear:
            return "linear";
        case PhysConversion::Kind::Rational:
            return "rational";
        case PhysConversion::Kind::Table:
            return "table";
        case PhysConversion::Kind::Verbal:
            return "verbal";
        case PhysConversion::Kind::VerbalRange:
            return "verbalRange";
        case PhysConversion::Kind::Formula:
            return "formula";
        case PhysConversion::Kind::Unsupported:
            break;
    }
    return "";
}

std::string generationText(Generation g) {
    return generationStart(g).str();
}

// The byte order a signal is written with: its own, else the module's, else Intel.
ByteOrder effectiveOrder(ByteOrder own, ByteOrder module) {
    if (own != ByteOrder::Unspecified)
        return own;
    if (module != ByteOrder::Unspecified)
        return module;
    return ByteOrder::Little;
}

bool fullMask(std::uint64_t mask, DataType t) {
    unsigned bits = dataTypeBytes(t) * 8;
    std::uint64_t all = bits >= 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << bits) - 1);
    return (mask & all) == all;
}

struct Planned {
    const Measurement* m;
    std::string conversionId;  // empty: identity without a COMPU_METHOD
    std::optional<std::uint64_t> mask;
    ByteOrder order;
    std::vector<std::uint32_t> dims;
    bool split;
    std::string unit;
};

}  // namespace

ConvertResult buildCfgInclude(const ConvertModel& model, MeasurementSource& source,
                              const ConvertOptions& opt) {
    ConvertResult result;
    const Generation gen = opt.target.generation;
    const ByteOrder moduleOrder = model.station.byteOrder;

    // Resolve each COMPU_METHOD once.
    std::unordered_map<std::string, PhysConversion> resolved;
    auto resolve = [&](const std::string& name) -> const PhysConversion* {
        auto it = resolved.find(name);
        if (it != resolved.end())
            return &it->second;
        const Conversion* c = model.findConversion(name);
        if (!c)
            return nullptr;
        return &resolved.emplace(name, resolveConversion(*c, model)).first->second;
    };

    // Signals are written while the measurements arrive (the caller may stream them from the
    // A2L document without keeping them); the conversions and tables they use follow.
    XmlWriter w(opt.indent, source.sizeHint() * 400 + 4096);
    w.open("cfginclude");
    w.attr("format", static_cast<std::uint64_t>(static_cast<int>(gen)));
    w.attr("generator", kGeneratorName);
    w.attr("generatorVersion", kGeneratorVersion);
    w.attr("target", opt.target.text);
    w.attr("firstVersion", opt.target.first.str());
    if (opt.target.last) {
        w.attr("lastVersion", opt.target.last->str());
        if (opt.target.lastExclusive)
            w.attr("lastExclusive", "true");
    }
    w.attr("source", opt.sourceName);

    const Station& st = model.station;
    w.open("station");
    w.attr("name", opt.station ? *opt.station : st.moduleName);
    if (!opt.prefix.empty())
        w.attr("prefix", opt.prefix);
    if (st.byteOrder == ByteOrder::Little || st.byteOrder == ByteOrder::Big)
        w.attr("byteOrder", byteOrderName(st.byteOrder));
    if (!st.protocol.empty()) {
        w.open("protocol");
        w.attr("name", st.protocol);
        if (!st.transport.empty())
            w.attr("transport", st.transport);
        for (const auto& [k, v] : st.transportParams) {
            w.open("param");
            w.attr("name", k);
            w.attr("value", v);
            w.close();
        }
        w.close();
    }
    if (!st.events.empty()) {
        w.open("events");
        for (const auto& e : st.events) {
            w.open("event");
            w.attr("channel", e.channel);
            w.attr("name", e.name);
            if (!e.shortName.empty())
                w.attr("shortName", e.shortName);
            w.attr("cycleNs", e.cycleNs);
            w.attr("priority", e.priority);
            w.close();
            ++result.events;
        }
        w.close();
    }
    w.close();  // station

    w.open("signals");
    const std::string prefix = opt.prefix.empty() ? std::string() : opt.prefix + ".";
    auto writeSignal = [&](const Planned& p, const std::string& name, std::uint64_t address,
                           bool withDims) {
        const Measurement& m = *p.m;
        w.open("signal");
        w.attr("name", prefix + name);
        w.attr("a2lName", m.name);
        w.attrHex("address", address);
        w.attr("extension", m.extension);
        w.attr("type", formatTypeName(m.type));
        w.attr("byteOrder", byteOrderName(p.order));
        if (p.mask)
            w.attrHex("bitMask", *p.mask);
        if (withDims) {
            std::string d;
            for (std::size_t i = 0; i < p.dims.size(); ++i) {
                if (i)
                    d += 'x';
                d += std::to_string(p.dims[i]);
            }
            w.attr("dims", d);
        }
        if (!p.unit.empty())
            w.attr("unit", p.unit);
        w.attr("min", m.lower);
        w.attr("max", m.upper);
        if (m.event)
            w.attr("event", *m.event);
        if (!p.conversionId.empty())
            w.attr("conversion", p.conversionId);
        w.close();
        ++result.signals;
    };
    auto writePlanned = [&](const Planned& p) {
        const Measurement& m = *p.m;
        ++result.measurementsWritten;
        if (!p.split) {
            writeSignal(p, m.name, *m.address, !p.dims.empty());
            return;
        }
        // One signal per element, row-major (the last index varies fastest).
        ++result.arraysSplit;
        const std::uint64_t size = dataTypeBytes(m.type);
        forEachElement(p.dims, [&](std::uint64_t i, const std::string& suffix) {
            writeSignal(p, m.name + suffix, *m.address + i * size, false);
        });
    };
    std::vector<std::string> usedConversions;
    std::unordered_map<std::string, bool> conversionSeen;
    auto leave = [&](const Measurement& m, std::string category, std::string reason) {
        ++result.leftOutCount;
        ++result.leftOutByCategory[category];
        if (result.leftOut.size() < kKeptLeftOut)
            result.leftOut.push_back({m.name, std::move(category), std::move(reason)});
    };
    const std::string needNewer = " needs logger version ";

    Measurement m;
    while (source.next(m)) {
        ++result.measurements;
        if (m.unusable) {
            leave(m, m.unusable->category, m.unusable->reason);
            continue;
        }
        auto tg = typeGeneration(m.type);
        if (!tg) {
            leave(m, m.typeText + " data type",
                  "data type " + m.typeText + " is not supported by any logger version");
            continue;
        }
        if (*tg > gen) {
            leave(m, m.typeText + " data type",
                  "data type " + m.typeText + needNewer + generationText(*tg) + " or later");
            continue;
        }
        if (!m.address) {
            leave(m, "no ECU address", "it has neither ECU_ADDRESS nor an IF_DATA KP_BLOB address");
            continue;
        }
        ByteOrder order = effectiveOrder(m.byteOrder, moduleOrder);
        if (order != ByteOrder::Little && order != ByteOrder::Big) {
            leave(m, "word-swapped byte order",
                  std::string("byte order ") + byteOrderName(order) +
                      " is not supported by any logger version");
            continue;
        }
        std::optional<std::uint64_t> mask = m.bitMask;
        if (mask && fullMask(*mask, m.type))
            mask.reset();  // selects every bit: no mask at all
        if (mask && (m.type == DataType::Float32 || m.type == DataType::Float64)) {
            leave(m, "bit mask on a float",
                  "a bit mask on a floating-point value cannot be recorded");
            continue;
        }
        if (mask && gen < Generation::G2) {
            leave(m, "bit mask",
                  "its BIT_MASK" + needNewer + generationText(Generation::G2) + " or later");
            continue;
        }
        std::string convName = m.conversion == "NO_COMPU_METHOD" ? std::string() : m.conversion;
        std::string unit = m.physUnit;
        if (!convName.empty()) {
            const PhysConversion* p = resolve(convName);
            if (!p) {
                leave(m, "undefined conversion", "its conversion " + convName + " is not defined");
                continue;
            }
            if (p->kind == PhysConversion::Kind::Unsupported) {
                leave(m, p->category, p->reason);
                continue;
            }
            if (p->needs > gen) {
                leave(m, p->category,
                      "its conversion " + convName + " (" + p->category + ")" + needNewer +
                          generationText(p->needs) + " or later");
                continue;
            }
            if (unit.empty())
                unit = model.findConversion(convName)->unit;
        }
        auto dims = effectiveDims(m.dims);
        bool split = false;
        if (!dims.empty() && gen < Generation::G3) {
            if (elementCount(dims, kMaxSplitElements) > kMaxSplitElements) {
                leave(m, "array too large to split",
                      "it has more than " + std::to_string(kMaxSplitElements) +
                          " elements, the limit of signals per array");
                continue;
            }
            split = true;
        }
        if (!convName.empty() && !conversionSeen[convName]) {
            conversionSeen[convName] = true;
            usedConversions.push_back(convName);
        }
        writePlanned({&m, convName, mask, order, std::move(dims), split, std::move(unit)});
    }

    w.close();  // signals

    // Tables used by the written conversions, in order of first use.
    std::vector<const Table*> usedTables;
    {
        std::unordered_map<const Table*, bool> seen;
        for (const auto& name : usedConversions) {
            const PhysConversion& p = resolved.at(name);
            if (p.table && !seen[p.table]) {
                seen[p.table] = true;
                usedTables.push_back(p.table);
            }
        }
    }

    if (!usedTables.empty()) {
        w.open("tables");
        for (const Table* t : usedTables) {
            w.open("table");
            w.attr("id", t->name);
            w.attr("kind", t->kind == Table::Kind::Numeric  ? "numeric"
                           : t->kind == Table::Kind::Verbal ? "verbal"
                                                            : "verbalRange");
            if (t->kind == Table::Kind::Numeric) {
                if (t->defaultNumeric)
                    w.attr("default", *t->defaultNumeric);
            } else if (t->defaultText) {
                w.attr("default", *t->defaultText);
            }
            for (const auto& r : t->rows) {
                switch (t->kind) {
                    case Table::Kind::Numeric:
                        w.open("point");
                        w.attr("raw", r.raw);
                        w.attr("phys", r.phys);
                        break;
                    case Table::Kind::Verbal:
                        w.open("entry");
                        w.attr("raw", r.raw);
                        w.attr("text", r.text);
                        break;
                    case Table::Kind::VerbalRange:
                        w.open("range");
                        w.attr("min", r.raw);
                        w.attr("max", r.rawMax);
                        w.attr("text", r.text);
                        break;
                }
                w.close();
            }
            w.close();
            ++result.tables;
        }
        w.close();
    }

    if (!usedConversions.empty()) {
        w.open("conversions");
        for (const auto& name : usedConversions) {
            const PhysConversion& p = resolved.at(name);
            const Conversion* c = model.findConversion(name);
            w.open("conversion");
            w.attr("id", name);
            w.attr("kind", kindName(p.kind));
            switch (p.kind) {
                case PhysConversion::Kind::Linear:
                    w.attr("factor", p.factor);
                    w.attr("offset", p.offset);
                    break;
                case PhysConversion::Kind::Rational:
                    w.attr("num1", p.num1);
                    w.attr("num0", p.num0);
                    w.attr("den1", p.den1);
                    w.attr("den0", p.den0);
                    break;
                case PhysConversion::Kind::Table:
                    w.attr("table", p.table->name);
                    w.attr("interpolate", p.interpolate ? "true" : "false");
                    break;
                case PhysConversion::Kind::Verbal:
                case PhysConversion::Kind::VerbalRange:
                    w.attr("table", p.table->name);
                    break;
                case PhysConversion::Kind::Formula:
                    w.attr("expression", p.formula);
                    if (!p.formulaInv.empty())
                        w.attr("inverse", p.formulaInv);
                    break;
                default:
                    break;
            }
            if (!c->unit.empty())
                w.attr("unit", c->unit);
            if (!c->format.empty())
                w.attr("format", c->format);
            w.close();
            ++result.conversions;
        }
        w.close();
    }

    w.close();  // cfginclude
    result.document = w.take();
    return result;
}

ConvertResult buildCfgInclude(const ConvertModel& model, const ConvertOptions& opt) {
    VectorMeasurementSource source(model.measurements);
    return buildCfgInclude(model, source, opt);
}

}  // namespace cfgconv

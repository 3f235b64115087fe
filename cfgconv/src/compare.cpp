#include "cfgconv/compare.hpp"

#include <unordered_map>
#include <utility>
#include <vector>

#include "cfgconv/cfginclude.hpp"
#include "cfgconv/xml.hpp"

namespace cfgconv {

namespace {

using Fields = std::vector<std::pair<const char*, std::string>>;

std::string num(double v) {
    return formatNumber(v);
}

std::string dimsText(const std::vector<std::uint32_t>& dims) {
    auto d = effectiveDims(dims);
    if (d.empty())
        return "scalar";
    std::string s;
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (i)
            s += 'x';
        s += std::to_string(d[i]);
    }
    return s;
}

std::string orderText(ByteOrder own, ByteOrder module) {
    return byteOrderName(own != ByteOrder::Unspecified ? own : module);
}

std::string maskText(const std::optional<std::uint64_t>& m) {
    return m ? formatHex(*m) : "none";
}

// The definition of a conversion as one comparable text (tables inlined).
std::string conversionDefinition(const ConvertModel& model, const std::string& name) {
    const Conversion* c = model.findConversion(name);
    if (!c)
        return "undefined";
    std::string s = c->kindText;
    if (c->coeffs) {
        s += " COEFFS";
        for (double v : *c->coeffs)
            s += " " + num(v);
    }
    if (c->coeffsLinear)
        s += " COEFFS_LINEAR " + num((*c->coeffsLinear)[0]) + " " + num((*c->coeffsLinear)[1]);
    if (!c->formula.empty())
        s += " FORMULA \"" + c->formula + "\"";
    if (!c->formulaInv.empty())
        s += " FORMULA_INV \"" + c->formulaInv + "\"";
    if (!c->tableRef.empty()) {
        s += " TABLE " + c->tableRef;
        if (const Table* t = model.findTable(c->tableRef)) {
            s += " {";
            for (const auto& r : t->rows) {
                s += " " + num(r.raw);
                if (t->kind == Table::Kind::VerbalRange)
                    s += ".." + num(r.rawMax);
                s += t->kind == Table::Kind::Numeric ? "=" + num(r.phys) : "=\"" + r.text + "\"";
            }
            if (t->defaultText)
                s += " default \"" + *t->defaultText + "\"";
            if (t->defaultNumeric)
                s += " default " + num(*t->defaultNumeric);
            s += " }";
        }
    }
    return s;
}

std::string unitOf(const ConvertModel& model, const std::string& physUnit,
                   const std::string& conv) {
    if (!physUnit.empty())
        return physUnit;
    const Conversion* c = model.findConversion(conv);
    return c ? c->unit : std::string();
}

Fields signalFields(const ConvertModel& model, const Measurement& m) {
    Fields f;
    f.reserve(12);
    f.emplace_back("address", m.address ? formatHex(*m.address) : "none");
    f.emplace_back("extension", std::to_string(m.extension));
    f.emplace_back("data type", m.typeText);
    f.emplace_back("byte order", orderText(m.byteOrder, model.station.byteOrder));
    f.emplace_back("bit mask", maskText(m.bitMask));
    f.emplace_back("dimensions", dimsText(m.dims));
    f.emplace_back("conversion", m.conversion);
    f.emplace_back("unit", unitOf(model, m.physUnit, m.conversion));
    f.emplace_back("lower limit", num(m.lower));
    f.emplace_back("upper limit", num(m.upper));
    f.emplace_back("event", m.event ? std::to_string(*m.event) : "none");
    return f;
}

Fields characteristicFields(const ConvertModel& model, const Characteristic& c) {
    Fields f;
    f.emplace_back("type", c.type);
    f.emplace_back("address", formatHex(c.address));
    f.emplace_back("extension", std::to_string(c.extension));
    f.emplace_back("record layout", c.recordLayout);
    f.emplace_back("byte order", orderText(c.byteOrder, model.station.byteOrder));
    f.emplace_back("bit mask", maskText(c.bitMask));
    f.emplace_back("dimensions", dimsText(c.dims));
    f.emplace_back("conversion", c.conversion);
    f.emplace_back("lower limit", num(c.lower));
    f.emplace_back("upper limit", num(c.upper));
    std::string axes;
    for (std::size_t i = 0; i < c.axes.size(); ++i) {
        const auto& a = c.axes[i];
        if (i)
            axes += "; ";
        axes += a.attribute + " " + a.inputQuantity + " " + a.conversion + " " +
                std::to_string(a.maxAxisPoints) + " " + num(a.lower) + ".." + num(a.upper);
        if (!a.axisPtsRef.empty())
            axes += " " + a.axisPtsRef;
    }
    f.emplace_back("axes", axes.empty() ? "none" : axes);
    return f;
}

Fields conversionFields(const ConvertModel& model, const Conversion& c) {
    Fields f;
    f.emplace_back("kind", c.kindText);
    f.emplace_back("definition", conversionDefinition(model, c.name));
    f.emplace_back("unit", c.unit);
    f.emplace_back("format", c.format);
    return f;
}

template <class T, class FieldsFn, class ExtraFn>
CompareCounts compareKind(const char* what, const std::vector<T>& oldList,
                          const std::vector<T>& newList, bool verbose, FieldsFn fieldsOf,
                          ExtraFn extra, const std::function<void(std::string_view)>& emit) {
    CompareCounts counts;
    std::unordered_map<std::string_view, const T*> oldByName;
    oldByName.reserve(oldList.size());
    for (const auto& o : oldList)
        oldByName.emplace(o.name, &o);
    std::unordered_map<std::string_view, bool> inNew;
    inNew.reserve(newList.size());
    std::string line;
    for (const auto& n : newList) {
        if (!inNew.emplace(n.name, true).second)
            continue;  // duplicate name: first one counts
        auto it = oldByName.find(n.name);
        if (it == oldByName.end()) {
            ++counts.added;
            emit(std::string("+ ") + what + " " + n.name);
            continue;
        }
        const T& o = *it->second;
        Fields fo = fieldsOf(o, true), fn = fieldsOf(n, false);
        extra(o, n, fo, fn);
        line.clear();
        std::vector<std::string> details;
        for (std::size_t i = 0; i < fo.size(); ++i) {
            bool same = fo[i].second == fn[i].second;
            if (!same) {
                if (!line.empty())
                    line += "; ";
                line += std::string(fo[i].first) + " " + fo[i].second + " -> " + fn[i].second;
            }
            if (verbose)
                details.push_back(same ? std::string("    ") + fo[i].first + ": " + fo[i].second +
                                             ": same"
                                       : std::string("    ") + fo[i].first + ": " + fo[i].second +
                                             " -> " + fn[i].second + ": changed");
        }
        if (line.empty()) {
            ++counts.unchanged;
            if (verbose)
                emit(std::string("= ") + what + " " + n.name);
        } else {
            ++counts.changed;
            emit(std::string("~ ") + what + " " + n.name + ": " + line);
        }
        for (const auto& d : details)
            emit(d);
    }
    for (const auto& o : oldList) {
        if (inNew.count(o.name))
            continue;
        if (oldByName.at(o.name) != &o)
            continue;  // duplicate name in the old file
        ++counts.removed;
        emit(std::string("- ") + what + " " + o.name);
    }
    return counts;
}

}  // namespace

CompareResult compareModels(const ConvertModel& oldM, const ConvertModel& newM, bool verbose,
                            const std::function<void(std::string_view)>& emit) {
    CompareResult r;
    // Definitions are compared for every object that uses a conversion: build each text once.
    std::unordered_map<std::string, std::string> oldDefs, newDefs;
    auto definition = [](const ConvertModel& model,
                         std::unordered_map<std::string, std::string>& cache,
                         const std::string& name) -> const std::string& {
        auto it = cache.find(name);
        if (it == cache.end())
            it = cache.emplace(name, conversionDefinition(model, name)).first;
        return it->second;
    };
    // A signal whose conversion keeps its name but changes its definition has changed too.
    auto convExtra = [&](const auto& o, const auto& n, Fields& fo, Fields& fn) {
        if (o.conversion != n.conversion)
            return;
        const std::string& a = definition(oldM, oldDefs, o.conversion);
        const std::string& b = definition(newM, newDefs, n.conversion);
        if (a != b) {
            fo.emplace_back("conversion definition", a);
            fn.emplace_back("conversion definition", b);
        }
    };
    auto none = [](const auto&, const auto&, Fields&, Fields&) {};
    r.signals = compareKind(
        "signal", oldM.measurements, newM.measurements, verbose,
        [&](const Measurement& m, bool isOld) { return signalFields(isOld ? oldM : newM, m); },
        convExtra, emit);
    r.characteristics = compareKind(
        "characteristic", oldM.characteristics, newM.characteristics, verbose,
        [&](const Characteristic& c, bool isOld) {
            return characteristicFields(isOld ? oldM : newM, c);
        },
        convExtra, emit);
    r.conversions = compareKind(
        "conversion", oldM.conversions, newM.conversions, verbose,
        [&](const Conversion& c, bool isOld) { return conversionFields(isOld ? oldM : newM, c); },
        none, emit);
    return r;
}

std::string compareSummary(const CompareResult& r) {
    auto part = [](const char* what, const CompareCounts& c) {
        return std::string(what) + " " + std::to_string(c.added) + " added, " +
               std::to_string(c.removed) + " removed, " + std::to_string(c.changed) + " changed, " +
               std::to_string(c.unchanged) + " unchanged";
    };
    return "Summary: " + part("signals", r.signals) + "; " +
           part("characteristics", r.characteristics) + "; " + part("conversions", r.conversions);
}

}  // namespace cfgconv

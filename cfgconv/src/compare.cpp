#include "cfgconv/compare.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <exception>
#include <functional>
#include <string_view>
#include <thread>

#include <unordered_map>
#include <utility>
#include <vector>

#include "cfgconv/cfginclude.hpp"
#include "cfgconv/prefetch.hpp"
#include "cfgconv/xml.hpp"

namespace cfgconv {

namespace {

// A conversion's definition: the whole of it as one comparable text, and for a
// table its entries apart, so that a changed table can be shown entry by entry.
struct Definition {
    std::string text;
    std::string head;  // the text without the table's entries
    std::vector<std::pair<std::string, std::string>> entries;  // raw value(s) -> value
    std::string fallback;                                      // the default, if any
    bool hasTable = false;
};

// One compared value of an object. `main` marks the values that name an added
// or removed object's essentials in the detailed output; `definition` points at
// the structured form of a conversion definition.
struct Field {
    Field(const char* l, std::string v, bool m = false, const Definition* d = nullptr)
        : label(l), value(std::move(v)), main(m), definition(d) {}
    const char* label;
    std::string value;
    bool main;
    const Definition* definition;
};
using Fields = std::vector<Field>;

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

// The definition of a conversion (tables inlined in its text).
Definition conversionDefinition(const ConvertModel& model, const std::string& name) {
    Definition d;
    const Conversion* c = model.findConversion(name);
    if (!c) {
        d.text = d.head = "undefined";
        return d;
    }
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
    if (c->tableRef.empty()) {
        d.text = d.head = s;
        return d;
    }
    s += " TABLE " + c->tableRef;
    d.head = s;
    const Table* t = model.findTable(c->tableRef);
    if (!t) {
        d.text = s;
        return d;
    }
    d.hasTable = true;
    s += " {";
    for (const auto& r : t->rows) {
        std::string key = num(r.raw);
        if (t->kind == Table::Kind::VerbalRange)
            key += ".." + num(r.rawMax);
        std::string value = t->kind == Table::Kind::Numeric ? num(r.phys) : "\"" + r.text + "\"";
        s += " " + key + "=" + value;
        d.entries.emplace_back(std::move(key), std::move(value));
    }
    if (t->defaultText)
        d.fallback = "\"" + *t->defaultText + "\"";
    if (t->defaultNumeric)
        d.fallback = num(*t->defaultNumeric);
    if (!d.fallback.empty())
        s += " default " + d.fallback;
    s += " }";
    d.text = std::move(s);
    return d;
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
    f.emplace_back("address", m.address ? formatHex(*m.address) : "none", true);
    f.emplace_back("extension", std::to_string(m.extension));
    f.emplace_back("data type", m.typeText, true);
    f.emplace_back("byte order", orderText(m.byteOrder, model.station.byteOrder));
    f.emplace_back("bit mask", maskText(m.bitMask));
    f.emplace_back("dimensions", dimsText(m.dims), true);
    f.emplace_back("conversion", m.conversion, true);
    f.emplace_back("unit", unitOf(model, m.physUnit, m.conversion), true);
    f.emplace_back("lower limit", num(m.lower));
    f.emplace_back("upper limit", num(m.upper));
    f.emplace_back("event", m.event ? std::to_string(*m.event) : "none");
    return f;
}

Fields characteristicFields(const ConvertModel& model, const Characteristic& c) {
    Fields f;
    f.emplace_back("type", c.type, true);
    f.emplace_back("address", formatHex(c.address), true);
    f.emplace_back("extension", std::to_string(c.extension));
    f.emplace_back("record layout", c.recordLayout, true);
    f.emplace_back("byte order", orderText(c.byteOrder, model.station.byteOrder));
    f.emplace_back("bit mask", maskText(c.bitMask));
    f.emplace_back("dimensions", dimsText(c.dims), true);
    f.emplace_back("conversion", c.conversion, true);
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

Fields conversionFields(const Conversion& c, const Definition& definition) {
    Fields f;
    f.emplace_back("kind", c.kindText, true);
    f.emplace_back("definition", definition.text, false, &definition);
    f.emplace_back("unit", c.unit, true);
    f.emplace_back("format", c.format, true);
    return f;
}

// A value as the detailed output shows it: an empty one (no unit, say) as "".
std::string shown(const std::string& value) {
    return value.empty() ? std::string("\"\"") : value;
}

// A value in a list of unchanged values: a table by its head and size.
std::string shortValue(const Field& f) {
    if (!f.definition || !f.definition->hasTable)
        return shown(f.value);
    const Definition& d = *f.definition;
    std::string s = d.head + " (" + std::to_string(d.entries.size()) +
                    (d.entries.size() == 1 ? " entry" : " entries");
    if (!d.fallback.empty())
        s += ", default " + d.fallback;
    return s + ")";
}

bool uniqueKeys(const Definition& d) {
    std::unordered_map<std::string_view, bool> seen;
    for (const auto& e : d.entries)
        if (!seen.emplace(e.first, true).second)
            return false;
    return true;
}

// The detailed lines of one changed value: "    FIELD: OLD -> NEW", or for two
// versions of a table the head and then only the entries that differ.
void emitChange(const Field& o, const Field& n, const std::function<void(std::string_view)>& emit) {
    const Definition* a = o.definition;
    const Definition* b = n.definition;
    if (!a || !b || !a->hasTable || !b->hasTable || !uniqueKeys(*a) || !uniqueKeys(*b)) {
        emit(std::string("    ") + o.label + ": " + shown(o.value) + " -> " + shown(n.value));
        return;
    }
    std::unordered_map<std::string_view, std::string_view> oldEntries, newEntries;
    for (const auto& e : a->entries)
        oldEntries.emplace(e.first, e.second);
    for (const auto& e : b->entries)
        newEntries.emplace(e.first, e.second);
    std::vector<std::string> lines;
    for (const auto& e : b->entries) {
        auto it = oldEntries.find(e.first);
        if (it == oldEntries.end())
            lines.push_back("      " + e.first + ": added " + e.second);
        else if (it->second != e.second)
            lines.push_back("      " + e.first + ": " + std::string(it->second) + " -> " +
                            e.second);
    }
    for (const auto& e : a->entries)
        if (!newEntries.count(e.first))
            lines.push_back("      " + e.first + ": removed " + e.second);
    if (a->fallback != b->fallback)
        lines.push_back("      default: " + (a->fallback.empty() ? "none" : a->fallback) + " -> " +
                        (b->fallback.empty() ? "none" : b->fallback));
    std::string head = std::string("    ") + o.label + ": " + a->head;
    if (a->head != b->head)
        head += " -> " + b->head;
    emit(head + (lines.empty() ? ", same entries" : ", entries changed:"));
    for (const auto& l : lines)
        emit(l);
}

// "NAME: FIELD VALUE; ..." with the main values of an added or removed object.
std::string withMainFields(const std::string& name, const Fields& fields) {
    std::string s = name + ":";
    bool first = true;
    for (const auto& f : fields) {
        if (!f.main)
            continue;
        s += first ? " " : "; ";
        first = false;
        s += std::string(f.label) + " " + shown(f.value);
    }
    return s;
}

// The same bits: equal doubles may still print differently (0 and -0).
bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The position of the first object of each name in a list, in one flat table: no node per
// name, which the maps of two files of hundreds of thousands of objects would allocate.
class FirstByName {
public:
    static constexpr std::size_t kNone = SIZE_MAX;

    template <class T>
    explicit FirstByName(const std::vector<T>& list) {
        std::size_t size = 16;
        while (size < list.size() * 2)
            size *= 2;
        slots_.assign(size, Slot{});
        mask_ = size - 1;
        names_.reserve(list.size());
        for (const auto& item : list)
            names_.emplace_back(item.name);
        first_.reserve(names_.size());
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const std::size_t h = hashOf(names_[i]);
            Slot& slot = slots_[slotOf(names_[i], h)];
            first_.push_back(slot.id == kEmpty);
            if (slot.id == kEmpty)
                slot = {tagOf(h), static_cast<std::uint32_t>(i)};
        }
    }
    // The position of the first object named `name`, or kNone.
    std::size_t find(std::string_view name) const {
        const std::uint32_t at = slots_[slotOf(name, hashOf(name))].id;
        return at == kEmpty ? kNone : at;
    }
    // Whether the object at `i` is the first of its name.
    bool isFirst(std::size_t i) const { return first_[i]; }

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;
    // A slot keeps more bits of its name's hash than its place tells, so that a probe passing
    // another name rarely has to read that name.
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t id = kEmpty;
    };
    static std::size_t hashOf(std::string_view name) { return std::hash<std::string_view>()(name); }
    static std::uint32_t tagOf(std::size_t h) {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(h) >> 32);
    }
    // The slot holding `name`, or the empty slot where it belongs.
    std::size_t slotOf(std::string_view name, std::size_t h) const {
        const std::uint32_t tag = tagOf(h);
        std::size_t s = h & mask_;
        while (slots_[s].id != kEmpty && (slots_[s].tag != tag || names_[slots_[s].id] != name))
            s = (s + 1) & mask_;
        return s;
    }
    std::vector<std::string_view> names_;
    std::vector<bool> first_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// `sameAs(o, n)` is a quick check that may only say true when every field and the extra
// fields of the two would read the same; the fields are then not formatted at all.
template <class T, class FieldsFn, class ExtraFn, class SameFn>
CompareCounts compareKind(const char* what, const std::vector<T>& oldList,
                          const std::vector<T>& newList, bool verbose, FieldsFn fieldsOf,
                          ExtraFn extra, SameFn sameAs,
                          const std::function<void(std::string_view)>& emit) {
    CompareCounts counts;
    const FirstByName oldByName(oldList), newByName(newList);
    std::vector<bool> found(oldList.size(), false);  // the old objects a new one is named like
    std::string line;
    for (std::size_t j = 0; j < newList.size(); ++j) {
        const T& n = newList[j];
        if (!newByName.isFirst(j))
            continue;  // duplicate name: first one counts
        const std::size_t at = oldByName.find(n.name);
        if (at == FirstByName::kNone) {
            ++counts.added;
            emit(std::string("+ ") + what + " " +
                 (verbose ? withMainFields(n.name, fieldsOf(n, false)) : n.name));
            continue;
        }
        found[at] = true;
        const T& o = oldList[at];
        if (sameAs(o, n)) {
            ++counts.unchanged;
            continue;
        }
        Fields fo = fieldsOf(o, true), fn = fieldsOf(n, false);
        extra(o, n, fo, fn);
        line.clear();
        for (std::size_t i = 0; i < fo.size(); ++i) {
            if (fo[i].value == fn[i].value)
                continue;
            if (!line.empty())
                line += "; ";
            line += std::string(fo[i].label) + " " + fo[i].value + " -> " + fn[i].value;
        }
        if (line.empty()) {
            ++counts.unchanged;
            continue;
        }
        ++counts.changed;
        if (!verbose) {
            emit(std::string("~ ") + what + " " + n.name + ": " + line);
            continue;
        }
        // One line per changed value, then the unchanged values together.
        emit(std::string("~ ") + what + " " + n.name);
        std::string same;
        for (std::size_t i = 0; i < fo.size(); ++i) {
            if (fo[i].value != fn[i].value) {
                emitChange(fo[i], fn[i], emit);
                continue;
            }
            same += same.empty() ? "    unchanged: " : "; ";
            same += std::string(fo[i].label) + " " + shortValue(fo[i]);
        }
        if (!same.empty())
            emit(same);
    }
    for (std::size_t i = 0; i < oldList.size(); ++i) {
        if (found[i] || !oldByName.isFirst(i))
            continue;  // still there, or a duplicate name in the old file
        const T& o = oldList[i];
        ++counts.removed;
        emit(std::string("- ") + what + " " +
             (verbose ? withMainFields(o.name, fieldsOf(o, true)) : o.name));
    }
    return counts;
}

}  // namespace

namespace {

// The rules that decide whether two objects of one name differ, with the definitions of the
// conversions they use built once each. Not shared between threads: each keeps its own.
class Rules {
public:
    Rules(const ConvertModel& oldM, const ConvertModel& newM)
        : oldM_(oldM),
          newM_(newM),
          sameStationOrder_(oldM.station.byteOrder == newM.station.byteOrder) {}

    const Definition& definition(bool isOld, const std::string& name) {
        auto& cache = isOld ? oldDefs_ : newDefs_;
        auto it = cache.find(name);
        if (it == cache.end())
            it = cache.emplace(name, conversionDefinition(isOld ? oldM_ : newM_, name)).first;
        return it->second;
    }
    // A signal whose conversion keeps its name but changes its definition has changed too.
    template <class T>
    void convExtra(const T& o, const T& n, Fields& fo, Fields& fn) {
        if (o.conversion != n.conversion)
            return;
        const Definition& a = definition(true, o.conversion);
        const Definition& b = definition(false, n.conversion);
        if (a.text != b.text) {
            fo.emplace_back("conversion definition", a.text, false, &a);
            fn.emplace_back("conversion definition", b.text, false, &b);
        }
    }
    // Most objects of two releases are the same: they are recognised without formatting their
    // fields when everything those fields and convExtra read is equal (same bits for numbers).
    bool sameSignal(const Measurement& o, const Measurement& n) {
        return sameStationOrder_ && o.address == n.address && o.extension == n.extension &&
               o.typeText == n.typeText && o.byteOrder == n.byteOrder && o.bitMask == n.bitMask &&
               o.dims == n.dims && sameBits(o.lower, n.lower) && sameBits(o.upper, n.upper) &&
               o.event == n.event &&
               unitOf(oldM_, o.physUnit, o.conversion) == unitOf(newM_, n.physUnit, n.conversion) &&
               sameConversion(o.conversion, n.conversion);
    }
    bool sameCharacteristic(const Characteristic& o, const Characteristic& n) {
        return sameStationOrder_ && o.type == n.type && o.address == n.address &&
               o.extension == n.extension && o.recordLayout == n.recordLayout &&
               o.byteOrder == n.byteOrder && o.bitMask == n.bitMask && o.dims == n.dims &&
               sameBits(o.lower, n.lower) && sameBits(o.upper, n.upper) &&
               std::equal(o.axes.begin(), o.axes.end(), n.axes.begin(), n.axes.end(), sameAxis) &&
               sameConversion(o.conversion, n.conversion);
    }

private:
    bool sameConversion(const std::string& o, const std::string& n) {
        return o == n && definition(true, o).text == definition(false, n).text;
    }
    static bool sameAxis(const AxisDescr& o, const AxisDescr& n) {
        return o.attribute == n.attribute && o.inputQuantity == n.inputQuantity &&
               o.conversion == n.conversion && o.maxAxisPoints == n.maxAxisPoints &&
               sameBits(o.lower, n.lower) && sameBits(o.upper, n.upper) &&
               o.axisPtsRef == n.axisPtsRef;
    }

    const ConvertModel& oldM_;
    const ConvertModel& newM_;
    const bool sameStationOrder_;
    std::unordered_map<std::string, Definition> oldDefs_, newDefs_;
};

}  // namespace

CompareResult compareModels(const ConvertModel& oldM, const ConvertModel& newM, bool verbose,
                            const std::function<void(std::string_view)>& emit) {
    CompareResult r;
    Rules rules(oldM, newM);
    auto signals = [&](Rules& with, const std::function<void(std::string_view)>& to) {
        return compareKind(
            "signal", oldM.measurements, newM.measurements, verbose,
            [&](const Measurement& m, bool isOld) { return signalFields(isOld ? oldM : newM, m); },
            [&](const auto& o, const auto& n, Fields& fo, Fields& fn) {
                with.convExtra(o, n, fo, fn);
            },
            [&](const Measurement& o, const Measurement& n) { return with.sameSignal(o, n); }, to);
    };
    auto characteristics = [&](Rules& with, const std::function<void(std::string_view)>& to) {
        return compareKind(
            "characteristic", oldM.characteristics, newM.characteristics, verbose,
            [&](const Characteristic& c, bool isOld) {
                return characteristicFields(isOld ? oldM : newM, c);
            },
            [&](const auto& o, const auto& n, Fields& fo, Fields& fn) {
                with.convExtra(o, n, fo, fn);
            },
            [&](const Characteristic& o, const Characteristic& n) {
                return with.sameCharacteristic(o, n);
            },
            to);
    };
    if (workerThreads() > 1 && !oldM.characteristics.empty() && !newM.characteristics.empty()) {
        // The characteristics on a second thread, their lines held until the signals' are out.
        Rules ownRules(oldM, newM);
        std::vector<std::string> lines;
        std::exception_ptr failure;
        std::thread other([&] {
            try {
                r.characteristics = characteristics(
                    ownRules, [&](std::string_view line) { lines.emplace_back(line); });
            } catch (...) {
                failure = std::current_exception();
            }
        });
        try {
            r.signals = signals(rules, emit);
        } catch (...) {
            other.join();
            throw;
        }
        other.join();
        if (failure)
            std::rethrow_exception(failure);
        for (const auto& line : lines)
            emit(line);
    } else {
        r.signals = signals(rules, emit);
        r.characteristics = characteristics(rules, emit);
    }
    auto never = [](const auto&, const auto&) { return false; };
    auto none = [](const auto&, const auto&, Fields&, Fields&) {};
    r.conversions = compareKind(
        "conversion", oldM.conversions, newM.conversions, verbose,
        [&](const Conversion& c, bool isOld) {
            return conversionFields(c, rules.definition(isOld, c.name));
        },
        none, never, emit);
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

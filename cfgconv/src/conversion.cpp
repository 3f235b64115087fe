#include "cfgconv/conversion.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace cfgconv {

PhysConversion resolveConversion(const Conversion& c, const ConvertModel& model) {
    PhysConversion p;
    auto unsupported = [&](std::string category, std::string reason) {
        p.kind = PhysConversion::Kind::Unsupported;
        p.category = std::move(category);
        p.reason = std::move(reason);
        return p;
    };
    if (!c.beyondRange.empty())
        return unsupported("coefficient beyond the range of a double",
                           "conversion " + c.name + ": " + c.beyondRange);
    if (!c.unreadable.empty())
        return unsupported("coefficient that cannot be read",
                           "conversion " + c.name + ": " + c.unreadable);
    switch (c.kind) {
        case ConvKind::Identical:
            p.kind = PhysConversion::Kind::Identity;
            p.category = "identity";
            return p;
        case ConvKind::Linear:
            if (!c.coeffsLinear)
                return unsupported("incomplete conversion",
                                   "LINEAR conversion " + c.name + " has no COEFFS_LINEAR");
            p.kind = PhysConversion::Kind::Linear;
            p.factor = (*c.coeffsLinear)[0];
            p.offset = (*c.coeffsLinear)[1];
            p.category = "linear";
            return p;
        case ConvKind::RatFunc: {
            if (!c.coeffs)
                return unsupported("incomplete conversion",
                                   "RAT_FUNC conversion " + c.name + " has no COEFFS");
            const auto& k = *c.coeffs;
            const double a = k[0], b = k[1], cc = k[2], d = k[3], e = k[4], f = k[5];
            if (a != 0 || d != 0)
                return unsupported(
                    "second-degree rational function",
                    "RAT_FUNC " + c.name + " is of second degree and has no rational inverse");
            if (e == 0) {
                // raw = (b x + c) / f  =>  x = (f raw - c) / b
                if (b == 0 || f == 0)
                    return unsupported("non-invertible rational function",
                                       "RAT_FUNC " + c.name + " cannot be inverted");
                p.kind = PhysConversion::Kind::Linear;
                p.factor = f / b;
                p.offset = -cc / b;
                p.category = "linear";
                return p;
            }
            // raw = (b x + c) / (e x + f)  =>  x = (-f raw + c) / (e raw - b)
            if (b * f - cc * e == 0)
                return unsupported("non-invertible rational function",
                                   "RAT_FUNC " + c.name + " is constant and cannot be inverted");
            p.kind = PhysConversion::Kind::Rational;
            p.num1 = -f;
            p.num0 = cc;
            p.den1 = e;
            p.den0 = -b;
            p.needs = Generation::G3;
            p.category = "rational function";
            return p;
        }
        case ConvKind::TabIntp:
        case ConvKind::TabNoIntp:
        case ConvKind::TabVerb: {
            const Table* t = c.tableRef.empty() ? nullptr : model.findTable(c.tableRef);
            if (!t)
                return unsupported("undefined conversion table",
                                   c.kindText + " conversion " + c.name + " refers to table '" +
                                       c.tableRef + "', which is not defined");
            p.table = t;
            if (c.kind == ConvKind::TabVerb) {
                if (t->kind == Table::Kind::Numeric)
                    return unsupported(
                        "conversion table of the wrong kind",
                        "TAB_VERB conversion " + c.name + " refers to numeric table " + t->name);
                p.kind = t->kind == Table::Kind::Verbal ? PhysConversion::Kind::Verbal
                                                        : PhysConversion::Kind::VerbalRange;
                p.needs = Generation::G2;
                p.category = t->kind == Table::Kind::Verbal ? "verbal table" : "verbal range table";
                return p;
            }
            if (t->kind != Table::Kind::Numeric)
                return unsupported(
                    "conversion table of the wrong kind",
                    c.kindText + " conversion " + c.name + " refers to verbal table " + t->name);
            p.kind = PhysConversion::Kind::Table;
            p.interpolate = c.kind == ConvKind::TabIntp;
            p.needs = Generation::G3;
            p.category = p.interpolate ? "interpolated table" : "table without interpolation";
            return p;
        }
        case ConvKind::Form:
            if (c.formula.empty())
                return unsupported("incomplete conversion",
                                   "FORM conversion " + c.name + " has no FORMULA");
            p.kind = PhysConversion::Kind::Formula;
            p.formula = c.formula;
            p.formulaInv = c.formulaInv;
            p.needs = Generation::G3;
            p.category = "formula";
            return p;
        case ConvKind::Unknown:
            break;
    }
    return unsupported("unknown conversion kind",
                       "conversion " + c.name + " has the unknown kind '" + c.kindText + "'");
}

double applyConversion(const PhysConversion& p, double raw) {
    switch (p.kind) {
        case PhysConversion::Kind::Identity:
            return raw;
        case PhysConversion::Kind::Linear:
            return p.factor * raw + p.offset;
        case PhysConversion::Kind::Rational:
            return (p.num1 * raw + p.num0) / (p.den1 * raw + p.den0);
        case PhysConversion::Kind::Table: {
            const auto& rows = p.table->rows;
            if (rows.empty())
                return p.table->defaultNumeric.value_or(std::nan(""));
            if (!p.interpolate) {
                for (const auto& r : rows)
                    if (r.raw == raw)
                        return r.phys;
                return p.table->defaultNumeric.value_or(std::nan(""));
            }
            // Rows sorted by raw value; outside the table the edge value holds.
            std::vector<const Table::Row*> sorted;
            for (const auto& r : rows)
                sorted.push_back(&r);
            std::stable_sort(
                sorted.begin(), sorted.end(),
                [](const Table::Row* x, const Table::Row* y) { return x->raw < y->raw; });
            if (raw <= sorted.front()->raw)
                return sorted.front()->phys;
            if (raw >= sorted.back()->raw)
                return sorted.back()->phys;
            for (std::size_t i = 1; i < sorted.size(); ++i) {
                if (raw <= sorted[i]->raw) {
                    const auto& l = *sorted[i - 1];
                    const auto& h = *sorted[i];
                    return l.phys + (h.phys - l.phys) * (raw - l.raw) / (h.raw - l.raw);
                }
            }
            return sorted.back()->phys;
        }
        default:
            break;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

double ratFuncForward(const std::array<double, 6>& k, double x) {
    return (k[0] * x * x + k[1] * x + k[2]) / (k[3] * x * x + k[4] * x + k[5]);
}

}  // namespace cfgconv

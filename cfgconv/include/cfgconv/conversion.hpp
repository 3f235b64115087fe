// COMPU_METHODs turned into the raw-to-physical functions a .cfginclude holds.
#pragma once

#include <string>

#include "cfgconv/model.hpp"
#include "cfgconv/target.hpp"

namespace cfgconv {

struct PhysConversion {
    enum class Kind {
        Identity,
        Linear,
        Rational,
        Table,
        Verbal,
        VerbalRange,
        Formula,
        Unsupported
    };
    Kind kind = Kind::Unsupported;
    double factor = 1, offset = 0;                  // Linear: phys = factor * raw + offset
    double num1 = 0, num0 = 0, den1 = 0, den0 = 1;  // Rational: (num1*raw + num0)/(den1*raw + den0)
    const Table* table = nullptr;                   // Table, Verbal, VerbalRange
    bool interpolate = false;                       // Table
    std::string formula, formulaInv;                // Formula (ASAP2 syntax, X1 = raw)
    Generation needs = Generation::G1;              // oldest format generation that holds it
    std::string category;  // short name for summaries ("rational function")
    std::string reason;    // Unsupported: why
};

// Resolves a COMPU_METHOD. RAT_FUNC coefficients map the physical value to the
// raw one, raw = (a x^2 + b x + c) / (d x^2 + e x + f); with a = d = 0 the
// inverse is x = (c - f raw) / (e raw - b), linear exactly when e = 0. A
// second-degree RAT_FUNC has no rational inverse and is Unsupported.
PhysConversion resolveConversion(const Conversion& c, const ConvertModel& model);

// Evaluates a Linear, Rational or Identity conversion, or a numeric table
// (interpolated or not, clamped at the ends). NaN for anything else.
double applyConversion(const PhysConversion& p, double raw);

// The RAT_FUNC of a COMPU_METHOD in its own direction (physical to raw).
double ratFuncForward(const std::array<double, 6>& k, double phys);

}  // namespace cfgconv

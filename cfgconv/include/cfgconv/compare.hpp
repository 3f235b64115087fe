// What changed between two A2L files, for deciding whether a logger
// configuration must be regenerated.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "cfgconv/model.hpp"

namespace cfgconv {

struct CompareCounts {
    std::size_t added = 0, removed = 0, changed = 0, unchanged = 0;
    bool any() const { return added || removed || changed; }
};

struct CompareResult {
    CompareCounts signals;
    CompareCounts characteristics;
    CompareCounts conversions;
};

// Compares signals (MEASUREMENTs), characteristics and conversions by name and
// emits one line per difference through `emit` ("+ signal X", "- signal X",
// "~ signal X: address 0x10 -> 0x14"). With `verbose`, the differences are
// spelled out for reading: an added or removed object with its main values, a
// changed object with one line per changed value ("    address: 0x10 -> 0x14"),
// a changed table entry by entry, then the values that stayed on one line.
// Unchanged objects are only counted, in both forms.
CompareResult compareModels(const ConvertModel& oldModel, const ConvertModel& newModel,
                            bool verbose, const std::function<void(std::string_view)>& emit);

// The one-line summary with the counts.
std::string compareSummary(const CompareResult& r);

}  // namespace cfgconv

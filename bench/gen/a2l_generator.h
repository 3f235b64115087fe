// Generator of large, realistic A2L files for benchmarks and tests: measurements with
// IF_DATA, conversions of every kind, characteristics with axes, comments.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace a2l::gen {

struct Options {
    std::uint64_t targetBytes = 1 << 20;  // the file ends at the first object past this size
    std::uint32_t seed = 1;
};

// What was written, counted while writing (tests compare the reader's counts with these).
struct Counts {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t measurements = 0;
    std::uint64_t characteristics = 0;
    std::uint64_t axisPts = 0;
    std::uint64_t compuMethods = 0;
    std::uint64_t compuTabs = 0;
    std::uint64_t compuVtabs = 0;
    std::uint64_t compuVtabRanges = 0;
    std::uint64_t recordLayouts = 0;
    std::uint64_t units = 0;
    std::uint64_t groups = 0;
    std::uint64_t functions = 0;
    std::uint64_t daqEvents = 0;
};

// Writes the file in chunks (memory stays small whatever the size). Throws
// std::runtime_error when the file cannot be written.
Counts generateFile(const std::filesystem::path& path, const Options& options);
// The same content as a string (for small sizes).
std::string generateString(const Options& options, Counts* counts = nullptr);

}  // namespace a2l::gen

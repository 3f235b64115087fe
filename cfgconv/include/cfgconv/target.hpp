// Logger versions and the target range given with -l.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cfgconv {

// A logger version such as "2017.06.0". Versions compare numerically part by
// part; missing parts count as 0, so "2019.02" == "2019.2" == "2019.2.0".
struct Version {
    std::vector<std::uint32_t> parts;  // trailing zeros removed

    static std::optional<Version> parse(std::string_view text);
    std::string str() const;  // canonical: at least three parts, no leading zeros
    friend int compare(const Version& a, const Version& b);
    friend bool operator==(const Version& a, const Version& b) { return compare(a, b) == 0; }
    friend bool operator<(const Version& a, const Version& b) { return compare(a, b) < 0; }
    friend bool operator<=(const Version& a, const Version& b) { return compare(a, b) <= 0; }
};

// The three generations of the .cfginclude format, named by the oldest logger
// version that reads each.
enum class Generation : int {
    G1 = 1,  // 1.4.4 up to 1.5.4: 8/16/32-bit integers, FLOAT32, identity and linear
    G2 = 2,  // 1.5.5 up to before 2017.06.0: + 64-bit integers, FLOAT64, bit masks, verbal tables
    G3 = 3,  // 2017.06.0 and later: + rational functions, interpolated tables, arrays, formulas
};

Generation generationOf(const Version& v);  // v must be >= oldestLoggerVersion()
const Version& oldestLoggerVersion();       // 1.4.4
const Version& generationStart(Generation g);

struct Target {
    std::string text;  // the -l value as given
    Version first;
    std::optional<Version> last;  // absent: open at the top
    bool lastExclusive = false;   // the 1.5.5 basic range ends before 2017.06.0
    Generation generation = Generation::G1;

    std::string describe() const;  // e.g. "1.5.5 up to before 2017.6.0"
};

// Parses "tarVix=V" (V one of the basic range starts 1.4.4, 1.5.5, 2017.06.0),
// "tarVix+S-E" and "tarVix+S". On failure returns nothing and sets *error.
std::optional<Target> parseTarget(std::string_view text, std::string* error);

}  // namespace cfgconv

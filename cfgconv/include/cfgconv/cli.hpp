// The command line the front-end sends, validated strictly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cfgconv/target.hpp"

namespace cfgconv {

struct Command {
    enum class Kind { Version, Convert, Compare, Decompress };
    Kind kind = Kind::Version;
    std::string input;                   // convert, decompress: input; compare: old A2L
    std::string output;                  // convert, decompress: output; compare: new A2L
    bool compressed = false;             // -z (else -i)
    std::optional<std::string> station;  // -n
    std::optional<std::string> prefix;   // -p
    Target target;                       // -l
    bool verbose = false;                // compare -v
};

// Parses the arguments after the program name. On error returns nothing and
// sets *error to a sentence saying what is wrong.
std::optional<Command> parseCommandLine(const std::vector<std::string>& args, std::string* error);

// Usage text for the error stream.
std::string usageText();

}  // namespace cfgconv

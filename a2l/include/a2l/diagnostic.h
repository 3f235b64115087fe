// Positions and messages reported by the A2L reader.
#pragma once

#include <cstdint>
#include <string>

namespace a2l {

// A place in a source file. Lines and columns count from 1; columns count bytes.
struct SourceLocation {
    std::string file;
    std::uint32_t line = 0;
    std::uint32_t column = 0;
};

enum class Severity : std::uint8_t { Warning, Error };

struct Diagnostic {
    Severity severity = Severity::Error;
    SourceLocation location;
    std::string message;  // says what was expected and what was found

    // "file:line:column: error: message" (the form compilers use, so editors can jump to it)
    std::string toString() const;
};

}  // namespace a2l

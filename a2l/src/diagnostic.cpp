#include "a2l/diagnostic.h"

namespace a2l {

std::string Diagnostic::toString() const {
    std::string out = location.file.empty() ? std::string("<input>") : location.file;
    if (location.line != 0) {
        out += ':';
        out += std::to_string(location.line);
        if (location.column != 0) {
            out += ':';
            out += std::to_string(location.column);
        }
    }
    out += severity == Severity::Error ? ": error: " : ": warning: ";
    out += message;
    return out;
}

}  // namespace a2l

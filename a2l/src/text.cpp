// Lexing helpers, text decoding and number parsing.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "impl.h"

namespace a2l::detail {

const char* scanString(const char* p, const char* end, const char** badAt) {
    const char* q = p + 1;
    for (;;) {
        // Jump to the next quote, backslash, line feed or NUL, eight bytes at a time.
        std::uint64_t v = load8(q);
        std::uint64_t stop =
            bytesEqual(v, '"') | bytesEqual(v, '\\') | bytesEqual(v, '\n') | bytesEqual(v, 0);
        if (stop == 0) {
            q += 8;
            continue;
        }
        q += firstByte(stop);
        char c = *q;
        if (c == '"') {
            if (q[1] == '"') {  // "" stands for one quote
                q += 2;
                continue;
            }
            return q + 1;
        }
        if (c == '\\') {
            if (q + 1 >= end) {
                *badAt = p;
                return nullptr;
            }
            // A backslash escapes the next byte; before a line end it continues the line.
            q += (q[1] == '\r' && q[2] == '\n') ? 3 : 2;
            continue;
        }
        if (c == '\n') {
            *badAt = q;
            return nullptr;
        }
        if (q >= end) {  // NUL: the sentinel, or a NUL byte inside the string
            *badAt = p;
            return nullptr;
        }
        ++q;
    }
}

bool equalsNoCaseSlow(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') {
            x = static_cast<char>(x - 32);
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<char>(y - 32);
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones map to the C1 controls as
// Windows itself does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

// Code points beyond Unicode and surrogates become U+FFFD.
void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD;
    }
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* e = p + s.size();
    while (p < e) {
        unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int n = 0;
        std::uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (e - p <= n) {
            return false;
        }
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        p += n + 1;
    }
    return true;
}

std::string appendCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 8);
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else if (c < 0xA0) {
            appendUtf8(out, kCp1252High[c - 0x80]);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::string decodeText(std::string_view raw, bool isString) {
    // Plain ASCII without escapes is the rule; test eight bytes at a time for the exceptions.
    bool plain = true;
    std::size_t at = 0;
    for (; at + 8 <= raw.size(); at += 8) {
        std::uint64_t v = load8(raw.data() + at);
        std::uint64_t odd = v & kHigh;
        if (isString) {
            odd |= bytesEqual(v, '\\') | bytesEqual(v, '"');
        }
        if (odd != 0) {
            plain = false;
            break;
        }
    }
    for (; plain && at < raw.size(); ++at) {
        char ch = raw[at];
        if (static_cast<unsigned char>(ch) >= 0x80 || (isString && (ch == '\\' || ch == '"'))) {
            plain = false;
        }
    }
    if (plain) {
        return std::string(raw);
    }
    std::string bytes;
    if (isString) {
        bytes.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            char c = raw[i];
            if (c == '"' && i + 1 < raw.size() && raw[i + 1] == '"') {
                bytes += '"';
                ++i;
                continue;
            }
            if (c != '\\' || i + 1 >= raw.size()) {
                bytes += c;
                continue;
            }
            char n = raw[i + 1];
            switch (n) {
                case '"':
                case '\\':
                case '\'':
                    bytes += n;
                    ++i;
                    break;
                case 'n':
                    bytes += '\n';
                    ++i;
                    break;
                case 't':
                    bytes += '\t';
                    ++i;
                    break;
                case 'r':
                    bytes += '\r';
                    ++i;
                    break;
                case '\n':  // line continuation
                    ++i;
                    break;
                case '\r':
                    i += (i + 2 < raw.size() && raw[i + 2] == '\n') ? 2 : 1;
                    break;
                default:  // unknown escapes stay as written
                    bytes += c;
                    break;
            }
        }
    } else {
        bytes.assign(raw);
    }
    if (isValidUtf8(bytes)) {
        return bytes;
    }
    return appendCp1252(bytes);
}

std::string tokenText(const RawTok& tok) {
    return decodeText(tok.view(), tok.kind == Item::Kind::String);
}

namespace {

bool parseHex(std::string_view s, std::uint64_t& out) {
    if (s.empty()) {
        return false;
    }
    while (s.size() > 1 && s[0] == '0') {  // leading zeros do not count against the width
        s.remove_prefix(1);
    }
    if (s.size() > 16) {
        return false;
    }
    std::uint64_t v = 0;
    for (char c : s) {
        unsigned d;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        v = (v << 4) | d;
    }
    out = v;
    return true;
}

bool parseDec(std::string_view s, std::uint64_t& out) {
    if (s.empty()) {
        return false;
    }
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), out, 10);
    return ec == std::errc() && ptr == s.data() + s.size();
}

bool isHexPrefix(std::string_view s) {
    return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
}

// The value of a decimal real that from_chars found beyond the range of a double: an
// infinity when its magnitude is at least 1 (above the largest double), else zero (below
// the smallest subnormal). `s` is unsigned and well-formed.
double beyondRangeValue(std::string_view s) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t intEnd = 0;
    while (intEnd < s.size() && digit(s[intEnd])) {
        ++intEnd;
    }
    // Power of ten of the first significant digit, before the exponent.
    long long lead = 0;
    bool found = false;
    for (std::size_t k = 0; k < intEnd && !found; ++k) {
        if (s[k] != '0') {
            lead = static_cast<long long>(intEnd - k) - 1;
            found = true;
        }
    }
    std::size_t k = intEnd;
    if (k < s.size() && s[k] == '.') {
        for (++k; k < s.size() && digit(s[k]); ++k) {
            if (!found && s[k] != '0') {
                lead = -static_cast<long long>(k - intEnd);
                found = true;
            }
        }
    }
    long long exp = 0;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        ++k;
        bool negExp = k < s.size() && s[k] == '-';
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) {
            ++k;
        }
        for (; k < s.size() && digit(s[k]); ++k) {
            if (exp < 1000000000) {  // saturate: any larger exponent is beyond range alike
                exp = exp * 10 + (s[k] - '0');
            }
        }
        exp = negExp ? -exp : exp;
    }
    return found && lead + exp >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

}  // namespace

bool parseDouble(std::string_view s, double& out, bool* beyondRange) {
    bool neg = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) {
        return false;
    }
    if (isHexPrefix(s)) {
        std::uint64_t v;
        if (!parseHex(s.substr(2), v)) {
            return false;
        }
        out = neg ? -static_cast<double>(v) : static_cast<double>(v);
        return true;
    }
    // Plain integers (most numbers of a file) without the general float parser.
    if (s.size() <= 15) {
        std::uint64_t v = 0;
        std::size_t i = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            v = v * 10 + static_cast<std::uint64_t>(s[i] - '0');
        }
        if (i == s.size()) {
            out = neg ? -static_cast<double>(v) : static_cast<double>(v);
            return true;
        }
    }
    // from_chars takes neither a sign nor "inf"/"nan" words we would want here.
    if (!((s[0] >= '0' && s[0] <= '9') || s[0] == '.')) {
        return false;
    }
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ptr != s.data() + s.size() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        return false;
    }
    if (ec == std::errc::result_out_of_range) {
        v = beyondRangeValue(s);  // from_chars leaves v as it was
        if (beyondRange != nullptr) {
            *beyondRange = true;
        }
    }
    out = neg ? -v : v;
    return true;
}

bool parseUInt64(std::string_view s, std::uint64_t& out) {
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
    }
    if (isHexPrefix(s)) {
        return parseHex(s.substr(2), out);
    }
    if (parseDec(s, out)) {
        return true;
    }
    // Float literals where an integer stands (4.29497e+09): take them when integral.
    double d;
    if (!parseDouble(s, d) || d < 0 || d >= 18446744073709551616.0 || std::floor(d) != d) {
        return false;
    }
    out = static_cast<std::uint64_t>(d);
    return true;
}

bool parseInt64(std::string_view s, std::int64_t& out) {
    bool neg = false;
    std::string_view body = s;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        neg = body[0] == '-';
        body.remove_prefix(1);
    }
    std::uint64_t mag;
    bool ok = isHexPrefix(body) ? parseHex(body.substr(2), mag) : parseDec(body, mag);
    if (ok) {
        if (neg) {
            if (mag > 9223372036854775808ull) {
                return false;
            }
            out = static_cast<std::int64_t>(0 - mag);
        } else {
            if (mag > 9223372036854775807ull) {
                return false;
            }
            out = static_cast<std::int64_t>(mag);
        }
        return true;
    }
    double d;
    if (!parseDouble(s, d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0 ||
        std::floor(d) != d) {
        return false;
    }
    out = static_cast<std::int64_t>(d);
    return true;
}

BlockKind classifyKeyword(std::string_view k) {
    if (k.size() > 8 && k.substr(0, 8) == "TYPEDEF_") {
        const std::string_view rest = k.substr(8);
        if (rest == "MEASUREMENT") {
            return BlockKind::TypedefMeasurement;
        }
        if (rest == "CHARACTERISTIC") {
            return BlockKind::TypedefCharacteristic;
        }
        if (rest == "AXIS") {
            return BlockKind::TypedefAxis;
        }
        if (rest == "BLOB") {
            return BlockKind::TypedefBlob;
        }
        if (rest == "STRUCTURE") {
            return BlockKind::TypedefStructure;
        }
        return BlockKind::Other;
    }
    switch (k.size()) {
        case 4:
            if (k == "UNIT") {
                return BlockKind::Unit;
            }
            if (k == "A2ML") {
                return BlockKind::A2ml;
            }
            break;
        case 5:
            if (k == "GROUP") {
                return BlockKind::Group;
            }
            break;
        case 6:
            if (k == "HEADER") {
                return BlockKind::Header;
            }
            if (k == "MODULE") {
                return BlockKind::Module;
            }
            break;
        case 7:
            if (k == "PROJECT") {
                return BlockKind::Project;
            }
            if (k == "IF_DATA") {
                return BlockKind::IfData;
            }
            if (k == "MOD_PAR") {
                return BlockKind::ModPar;
            }
            break;
        case 8:
            if (k == "INSTANCE") {
                return BlockKind::Instance;
            }
            if (k == "FUNCTION") {
                return BlockKind::Function;
            }
            if (k == "AXIS_PTS") {
                return BlockKind::AxisPts;
            }
            break;
        case 9:
            if (k == "COMPU_TAB") {
                return BlockKind::CompuTab;
            }
            break;
        case 10:
            if (k == "MOD_COMMON") {
                return BlockKind::ModCommon;
            }
            if (k == "AXIS_DESCR") {
                return BlockKind::AxisDescr;
            }
            if (k == "COMPU_VTAB") {
                return BlockKind::CompuVtab;
            }
            break;
        case 11:
            if (k == "MEASUREMENT") {
                return BlockKind::Measurement;
            }
            break;
        case 12:
            if (k == "COMPU_METHOD") {
                return BlockKind::CompuMethod;
            }
            break;
        case 13:
            if (k == "RECORD_LAYOUT") {
                return BlockKind::RecordLayout;
            }
            if (k == "MEMORY_LAYOUT") {
                return BlockKind::MemoryLayout;
            }
            break;
        case 14:
            if (k == "CHARACTERISTIC") {
                return BlockKind::Characteristic;
            }
            if (k == "MEMORY_SEGMENT") {
                return BlockKind::MemorySegment;
            }
            break;
        case 16:
            if (k == "COMPU_VTAB_RANGE") {
                return BlockKind::CompuVtabRange;
            }
            break;
        default:
            break;
    }
    return BlockKind::Other;
}

bool isStandardKeyword(std::string_view keyword) {
    static const std::unordered_set<std::string_view> kKeywords{
        "ANNOTATION",
        "ANNOTATION_TEXT",
        "AR_COMPONENT",
        "BIT_OPERATION",
        "BLOB",
        "CALIBRATION_HANDLE",
        "CALIBRATION_METHOD",
        "DEF_CHARACTERISTIC",
        "DEPENDENT_CHARACTERISTIC",
        "FIX_AXIS_PAR_LIST",
        "FORMULA",
        "FRAME",
        "FUNCTION_LIST",
        "IN_MEASUREMENT",
        "INSTANCE",
        "LOC_MEASUREMENT",
        "MAP_LIST",
        "OUT_MEASUREMENT",
        "OVERWRITE",
        "REF_CHARACTERISTIC",
        "REF_GROUP",
        "REF_MEASUREMENT",
        "STRUCTURE_COMPONENT",
        "SUB_FUNCTION",
        "SUB_GROUP",
        "TRANSFORMER",
        "TRANSFORMER_IN_OBJECTS",
        "TRANSFORMER_OUT_OBJECTS",
        "TYPEDEF_AXIS",
        "TYPEDEF_BLOB",
        "TYPEDEF_CHARACTERISTIC",
        "TYPEDEF_MEASUREMENT",
        "TYPEDEF_STRUCTURE",
        "USER_RIGHTS",
        "VAR_ADDRESS",
        "VAR_CHARACTERISTIC",
        "VAR_CRITERION",
        "VAR_FORBIDDEN_COMB",
        "VARIANT_CODING",
        "VIRTUAL",
        "VIRTUAL_CHARACTERISTIC",
    };
    return classifyKeyword(keyword) != BlockKind::Other || kKeywords.count(keyword) != 0;
}

std::pair<std::uint32_t, std::uint32_t> FileData::lineColumn(std::uint32_t offset) const {
    std::call_once(linesOnce_, [this] {
        lineStarts_.push_back(0);
        const char* base = data.get();
        const char* p = base;
        const char* e = base + size;
        while (p < e) {
            const char* q =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(e - p)));
            if (q == nullptr) {
                break;
            }
            lineStarts_.push_back(static_cast<std::uint32_t>(q + 1 - base));
            p = q + 1;
        }
    });
    auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    auto line = static_cast<std::uint32_t>(it - lineStarts_.begin());
    std::uint32_t start = lineStarts_[line - 1];
    if (line == 1) {
        start = begin;  // a UTF-8 BOM takes no column
    }
    std::uint32_t column = offset >= start ? offset - start + 1 : 1;
    return {line, column};
}

}  // namespace a2l::detail

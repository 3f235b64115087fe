#include "cfgconv/xml.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace cfgconv {

namespace {
constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// Length of the valid UTF-8 sequence at s[i], or 0 when invalid.
std::size_t utf8Length(std::string_view s, std::size_t i, std::uint32_t* cp) {
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    unsigned char c = b(0);
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    std::size_t n;
    std::uint32_t v;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        v = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        v = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        v = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80)
            return 0;
        v = (v << 6) | (b(k) & 0x3F);
    }
    if ((n == 3 && v < 0x800) || (n == 4 && (v < 0x10000 || v > 0x10FFFF)))
        return 0;
    if (v >= 0xD800 && v <= 0xDFFF)
        return 0;
    *cp = v;
    return n;
}
}  // namespace

void appendEscapedAttr(std::string& out, std::string_view value) {
    for (std::size_t i = 0; i < value.size();) {
        unsigned char c = static_cast<unsigned char>(value[i]);
        if (c >= 0x20 && c < 0x80) {
            switch (c) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                default:
                    out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        if (c == '\t' || c == '\n' || c == '\r') {
            out += c == '\t' ? "&#9;" : c == '\n' ? "&#10;" : "&#13;";
            ++i;
            continue;
        }
        std::uint32_t cp = 0;
        std::size_t n = c < 0x20 ? 0 : utf8Length(value, i, &cp);
        if (n == 0 || cp == 0xFFFE || cp == 0xFFFF) {
            out += kReplacement;
            ++i;
        } else {
            out.append(value.substr(i, n));
            i += n;
        }
    }
}

void appendNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0)
        value = 0;  // no "-0"
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

std::string formatNumber(double value) {
    std::string s;
    appendNumber(s, value);
    return s;
}

std::string formatHex(std::uint64_t value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value, 16);
    std::string digits(buf, r.ptr);
    for (auto& ch : digits)
        if (ch >= 'a' && ch <= 'f')
            ch = static_cast<char>(ch - 'a' + 'A');
    if (digits.size() < 8)
        digits.insert(0, 8 - digits.size(), '0');
    return "0x" + digits;
}

XmlWriter::XmlWriter(bool indent, std::size_t reserve) : indent_(indent) {
    out_.reserve(reserve);
    out_ += kDeclaration;
    if (indent_)
        out_ += '\n';
}

void XmlWriter::newLine() {
    if (indent_)
        out_ += '\n';
}

void XmlWriter::finishStartTag() {
    if (startTagOpen_) {
        out_ += '>';
        newLine();
        startTagOpen_ = false;
    }
}

void XmlWriter::open(std::string_view name) {
    finishStartTag();
    if (indent_)
        out_.append(2 * stack_.size(), ' ');
    out_ += '<';
    out_ += name;
    stack_.emplace_back(name);
    startTagOpen_ = true;
}

void XmlWriter::attr(std::string_view name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    appendEscapedAttr(out_, value);
    out_ += '"';
}

void XmlWriter::attr(std::string_view name, double value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    appendNumber(out_, value);
    out_ += '"';
}

void XmlWriter::attr(std::string_view name, std::uint64_t value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, r.ptr);
    out_ += '"';
}

void XmlWriter::attrHex(std::string_view name, std::uint64_t value) {
    attr(name, std::string_view(formatHex(value)));
}

void XmlWriter::close() {
    if (stack_.empty())
        throw std::logic_error("XmlWriter::close without open element");
    if (startTagOpen_) {
        out_ += "/>";
        startTagOpen_ = false;
    } else {
        if (indent_)
            out_.append(2 * (stack_.size() - 1), ' ');
        out_ += "</";
        out_ += stack_.back();
        out_ += '>';
    }
    stack_.pop_back();
    newLine();
}

std::string XmlWriter::take() {
    if (!stack_.empty())
        throw std::logic_error("XmlWriter::take with open elements");
    return std::move(out_);
}

namespace {
bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Validates an attribute value's character and entity references.
bool validAttrValue(std::string_view v) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        char c = v[i];
        if (c == '<')
            return false;
        if (c != '&')
            continue;
        std::size_t semi = v.find(';', i);
        if (semi == std::string_view::npos)
            return false;
        std::string_view ref = v.substr(i + 1, semi - i - 1);
        if (ref == "amp" || ref == "lt" || ref == "gt" || ref == "quot" || ref == "apos") {
        } else if (ref.size() >= 2 && ref[0] == '#') {
            bool hex = ref[1] == 'x';
            std::string_view digits = ref.substr(hex ? 2 : 1);
            if (digits.empty())
                return false;
            std::uint32_t cp = 0;
            auto r =
                std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (r.ec != std::errc() || r.ptr != digits.data() + digits.size())
                return false;
            if (cp == 0 || cp > 0x10FFFF)
                return false;
        } else {
            return false;
        }
        i = semi;
    }
    return true;
}
}  // namespace

bool reindentCfgInclude(std::string_view in, std::string* indented, std::string* error) {
    auto fail = [&](const std::string& what, std::size_t pos) {
        *error =
            "the content is not a compact .cfginclude: " + what + " at byte " + std::to_string(pos);
        indented->clear();
        return false;
    };
    if (in.substr(0, kDeclaration.size()) != kDeclaration)
        return fail("no XML declaration", 0);
    std::string& out = *indented;
    out.clear();
    out.reserve(in.size() + in.size() / 4);
    out += kDeclaration;
    out += '\n';
    std::vector<std::string_view> stack;
    std::size_t pos = kDeclaration.size();
    bool rootSeen = false;
    while (pos < in.size()) {
        if (in[pos] != '<')
            return fail("text outside a tag", pos);
        if (rootSeen && stack.empty())
            return fail("content after the root element", pos);
        std::size_t tagStart = pos;
        if (pos + 1 < in.size() && in[pos + 1] == '/') {
            std::size_t p = pos + 2;
            std::size_t nameStart = p;
            while (p < in.size() && isNameChar(in[p]))
                ++p;
            std::string_view name = in.substr(nameStart, p - nameStart);
            if (p >= in.size() || in[p] != '>')
                return fail("malformed end tag", pos);
            if (stack.empty() || stack.back() != name)
                return fail("mismatched end tag", pos);
            stack.pop_back();
            out.append(2 * stack.size(), ' ');
            out.append(in.substr(tagStart, p + 1 - tagStart));
            out += '\n';
            pos = p + 1;
            continue;
        }
        std::size_t p = pos + 1;
        if (p >= in.size() || !isNameStart(in[p]))
            return fail("malformed tag", pos);
        std::size_t nameStart = p;
        while (p < in.size() && isNameChar(in[p]))
            ++p;
        std::string_view name = in.substr(nameStart, p - nameStart);
        if (!rootSeen && name != "cfginclude")
            return fail("the root element is not <cfginclude>", pos);
        bool hasFormat = false;
        // Attributes: exactly one blank before each, name="value".
        while (p < in.size() && in[p] == ' ') {
            ++p;
            std::size_t an = p;
            if (p >= in.size() || !isNameStart(in[p]))
                return fail("malformed attribute", p);
            while (p < in.size() && isNameChar(in[p]))
                ++p;
            std::string_view attrName = in.substr(an, p - an);
            if (p + 1 >= in.size() || in[p] != '=' || in[p + 1] != '"')
                return fail("malformed attribute", p);
            p += 2;
            std::size_t close = in.find('"', p);
            if (close == std::string_view::npos)
                return fail("unterminated attribute", p);
            if (!validAttrValue(in.substr(p, close - p)))
                return fail("malformed attribute value", p);
            if (!rootSeen && attrName == "format")
                hasFormat = true;
            p = close + 1;
        }
        bool selfClosing = false;
        if (p < in.size() && in[p] == '/') {
            selfClosing = true;
            ++p;
        }
        if (p >= in.size() || in[p] != '>')
            return fail("malformed tag", pos);
        if (!rootSeen) {
            if (!hasFormat)
                return fail("<cfginclude> without a format attribute", pos);
            rootSeen = true;
        }
        if (stack.size() > 64)
            return fail("elements nested too deeply", pos);
        out.append(2 * stack.size(), ' ');
        out.append(in.substr(tagStart, p + 1 - tagStart));
        out += '\n';
        if (!selfClosing)
            stack.push_back(name);
        pos = p + 1;
    }
    if (!rootSeen)
        return fail("no root element", pos);
    if (!stack.empty())
        return fail("the document ends inside <" + std::string(stack.back()) + ">", pos);
    return true;
}

}  // namespace cfgconv

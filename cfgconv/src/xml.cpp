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
    auto plain = [](unsigned char c) {
        return c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"';
    };
    for (std::size_t i = 0; i < value.size();) {
        // Runs of characters that stay as they are go in at once.
        std::size_t j = i;
        while (j < value.size() && plain(static_cast<unsigned char>(value[j])))
            ++j;
        if (j > i) {
            out.append(value.data() + i, j - i);
            i = j;
            if (i == value.size())
                break;
        }
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

}  // namespace cfgconv

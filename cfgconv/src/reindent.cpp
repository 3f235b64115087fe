// The compact form of a .cfginclude to its indented form, checked on the way and streamed:
// memory stays bounded by the output piece size, the open element names and the longest
// name, whatever the input.
#include <cstring>

#include "cfgconv/xml.hpp"

namespace cfgconv {

namespace {

constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
// Output is handed on in pieces of this size.
constexpr std::size_t kPiece = std::size_t{1} << 20;
// Element and attribute names of the format are short; a longer one is no .cfginclude.
constexpr std::size_t kMaxName = 256;
// "#x10FFFF" with room for leading zeros.
constexpr std::size_t kMaxReference = 32;
// Deepest nesting accepted (the format uses four levels).
constexpr std::size_t kMaxDepth = 64;

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// A character or entity reference between '&' and ';'.
bool validReference(std::string_view ref) {
    if (ref == "amp" || ref == "lt" || ref == "gt" || ref == "quot" || ref == "apos")
        return true;
    if (ref.size() < 2 || ref[0] != '#')
        return false;
    bool hex = ref[1] == 'x';
    std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty())
        return false;
    std::uint32_t cp = 0;
    for (char c : digits) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        cp = cp * (hex ? 16 : 10) + d;
        if (cp > 0x10FFFF)
            return false;
    }
    return cp != 0;
}

}  // namespace

CfgIncludeReindenter::CfgIncludeReindenter(Writer write, std::uint64_t limit)
    : write_(std::move(write)), limit_(limit) {
    out_.reserve(kPiece + 4096);
}

bool CfgIncludeReindenter::fail(std::string_view what, std::uint64_t pos) {
    if (!failed_)
        error_ = "the content is not a compact .cfginclude: " + std::string(what) + " at byte " +
                 std::to_string(pos);
    failed_ = true;
    out_.clear();
    return false;
}

bool CfgIncludeReindenter::flush(bool all) {
    if (out_.size() < kPiece && !all)
        return true;
    if (produced_ + out_.size() > limit_) {
        error_ = "the indented content exceeds the limit of " + std::to_string(limit_) + " bytes";
        failed_ = true;
        out_.clear();
        return false;
    }
    if (out_.empty())
        return true;
    std::string why;
    if (!write_(out_, &why)) {
        error_ = why;
        failed_ = true;
        out_.clear();
        return false;
    }
    produced_ += out_.size();
    out_.clear();
    return true;
}

bool CfgIncludeReindenter::startTagDone(bool selfClosing) {
    out_ += ">\n";
    if (!rootSeen_) {
        if (!hasFormat_)
            return fail("<cfginclude> without a format attribute", tagStart_);
        rootSeen_ = true;
    }
    if (!selfClosing)
        stack_.push_back(name_);
    state_ = State::BetweenTags;
    return flush(false);
}

bool CfgIncludeReindenter::feed(std::string_view in) {
    if (failed_)
        return false;
    for (std::size_t i = 0; i < in.size(); ++i, ++pos_) {
        const char c = in[i];
        switch (state_) {
            case State::Declaration:
                if (c != kDeclaration[declared_])
                    return fail("no XML declaration", 0);
                if (++declared_ == kDeclaration.size()) {
                    out_ += kDeclaration;
                    out_ += '\n';
                    state_ = State::BetweenTags;
                }
                break;
            case State::BetweenTags:
                if (c != '<')
                    return fail("text outside a tag", pos_);
                if (rootSeen_ && stack_.empty())
                    return fail("content after the root element", pos_);
                tagStart_ = pos_;
                state_ = State::TagOpened;
                break;
            case State::TagOpened:
                name_.clear();
                if (c == '/') {
                    if (stack_.empty())
                        return fail("mismatched end tag", tagStart_);
                    out_.append(2 * (stack_.size() - 1), ' ');
                    out_ += "</";
                    state_ = State::EndName;
                    break;
                }
                if (!isNameStart(c))
                    return fail("malformed tag", tagStart_);
                if (stack_.size() > kMaxDepth)
                    return fail("elements nested too deeply", tagStart_);
                out_.append(2 * stack_.size(), ' ');
                out_ += '<';
                out_ += c;
                name_ += c;
                state_ = State::StartName;
                break;
            case State::EndName:
                if (isNameChar(c)) {
                    if (name_.size() >= kMaxName)
                        return fail("element name too long", tagStart_);
                    name_ += c;
                    out_ += c;
                } else if (c == '>') {
                    if (name_ != stack_.back())
                        return fail("mismatched end tag", tagStart_);
                    stack_.pop_back();
                    out_ += ">\n";
                    state_ = State::BetweenTags;
                    if (!flush(false))
                        return false;
                } else {
                    return fail("malformed end tag", tagStart_);
                }
                break;
            case State::StartName:
                if (isNameChar(c)) {
                    if (name_.size() >= kMaxName)
                        return fail("element name too long", tagStart_);
                    name_ += c;
                    out_ += c;
                    break;
                }
                if (!rootSeen_ && name_ != "cfginclude")
                    return fail("the root element is not <cfginclude>", tagStart_);
                state_ = State::InStartTag;
                [[fallthrough]];
            case State::InStartTag:
                if (c == ' ') {
                    out_ += c;
                    state_ = State::AttrNameStart;
                } else if (c == '/') {
                    out_ += c;
                    state_ = State::SelfClosing;
                } else if (c == '>') {
                    if (!startTagDone(false))
                        return false;
                } else {
                    return fail("malformed tag", tagStart_);
                }
                break;
            case State::AttrNameStart:
                if (!isNameStart(c))
                    return fail("malformed attribute", pos_);
                attrName_.assign(1, c);
                out_ += c;
                state_ = State::AttrName;
                break;
            case State::AttrName:
                if (isNameChar(c)) {
                    if (attrName_.size() >= kMaxName)
                        return fail("attribute name too long", pos_);
                    attrName_ += c;
                    out_ += c;
                } else if (c == '=') {
                    out_ += c;
                    state_ = State::AttrQuote;
                } else {
                    return fail("malformed attribute", pos_);
                }
                break;
            case State::AttrQuote:
                if (c != '"')
                    return fail("malformed attribute", pos_);
                out_ += c;
                valueStart_ = pos_ + 1;
                state_ = State::AttrValue;
                break;
            case State::AttrValue: {
                // Most bytes are here: copy the run up to the next special byte at once.
                std::size_t j = i;
                while (j < in.size() && in[j] != '"' && in[j] != '&' && in[j] != '<')
                    ++j;
                out_.append(in.data() + i, j - i);
                pos_ += j - i;
                i = j;
                if (i == in.size()) {
                    --i;  // the loop's increment steps past the end again
                    --pos_;
                    if (!flush(false))
                        return false;
                    break;
                }
                const char s = in[i];
                if (s == '<')
                    return fail("malformed attribute value", valueStart_);
                out_ += s;
                if (s == '&') {
                    reference_.clear();
                    state_ = State::AttrReference;
                } else {
                    if (!rootSeen_ && attrName_ == "format")
                        hasFormat_ = true;
                    state_ = State::InStartTag;
                }
                if (!flush(false))
                    return false;
                break;
            }
            case State::AttrReference:
                if (c == ';') {
                    if (!validReference(reference_))
                        return fail("malformed attribute value", valueStart_);
                    state_ = State::AttrValue;
                } else if (c == '"' || c == '<' || reference_.size() >= kMaxReference) {
                    return fail("malformed attribute value", valueStart_);
                } else {
                    reference_ += c;
                }
                out_ += c;
                break;
            case State::SelfClosing:
                if (c != '>')
                    return fail("malformed tag", tagStart_);
                if (!startTagDone(true))
                    return false;
                break;
        }
    }
    return true;
}

bool CfgIncludeReindenter::finish() {
    if (failed_)
        return false;
    if (state_ == State::Declaration)
        return fail("no XML declaration", 0);
    if (state_ != State::BetweenTags)
        return fail("the document ends inside a tag", pos_);
    if (!rootSeen_)
        return fail("no root element", pos_);
    if (!stack_.empty())
        return fail("the document ends inside <" + stack_.back() + ">", pos_);
    return flush(true);
}

bool reindentCfgInclude(std::string_view compact, std::string* indented, std::string* error) {
    indented->clear();
    CfgIncludeReindenter reindenter([&](std::string_view piece, std::string*) {
        indented->append(piece);
        return true;
    });
    if (!reindenter.feed(compact) || !reindenter.finish()) {
        *error = reindenter.error();
        indented->clear();
        return false;
    }
    return true;
}

}  // namespace cfgconv

// A small streaming XML writer for the .cfginclude, and the re-indenter that
// turns its compact form into its indented form.
//
// The documents hold all data in attributes, never in text nodes, so the
// indented form is the compact form with a line break after every tag and two
// blanks of indentation per level: reindent(compact) == indented, byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cfgconv {

class XmlWriter {
public:
    explicit XmlWriter(bool indent, std::size_t reserve = 0);

    void open(std::string_view name);
    void attr(std::string_view name, std::string_view value);
    void attr(std::string_view name, const char* value) { attr(name, std::string_view(value)); }
    void attr(std::string_view name, double value);
    void attr(std::string_view name, std::uint64_t value);
    void attr(std::string_view name, std::uint32_t value) {
        attr(name, static_cast<std::uint64_t>(value));
    }
    void attrHex(std::string_view name, std::uint64_t value);
    void close();

    // The finished document (all elements must be closed).
    std::string take();

private:
    void finishStartTag();
    void newLine();

    bool indent_;
    std::string out_;
    std::vector<std::string> stack_;
    bool startTagOpen_ = false;
};

// Writes a double as the shortest text that reads back to the same value;
// infinities and NaN as INF, -INF and NaN.
void appendNumber(std::string& out, double value);
std::string formatNumber(double value);
std::string formatHex(std::uint64_t value);  // "0x" and at least 8 upper-case digits

// Escapes an attribute value. Invalid UTF-8 and characters XML 1.0 cannot hold
// become U+FFFD; tab, line feed and carriage return become character references
// so that they survive attribute normalisation.
void appendEscapedAttr(std::string& out, std::string_view value);

// Turns the compact form into the indented form piece by piece, checking it as
// reindentCfgInclude() does. The indented text goes to `write` in pieces of about a
// megabyte, so memory stays bounded whatever the nesting; more than `limit` bytes of
// indented text is an error (nothing beyond the limit reaches `write`).
class CfgIncludeReindenter {
public:
    // Takes a piece of output; returns false and sets *error when it cannot be kept.
    using Writer = std::function<bool(std::string_view, std::string*)>;
    explicit CfgIncludeReindenter(Writer write, std::uint64_t limit = UINT64_MAX);

    bool feed(std::string_view compact);  // false: error() says why; no further use
    bool finish();                        // the end of the compact form
    const std::string& error() const { return error_; }
    std::uint64_t produced() const { return produced_ + out_.size(); }

private:
    enum class State {
        Declaration,
        BetweenTags,
        TagOpened,
        StartName,
        InStartTag,
        AttrNameStart,
        AttrName,
        AttrQuote,
        AttrValue,
        AttrReference,
        SelfClosing,
        EndName,
    };
    bool fail(std::string_view what, std::uint64_t pos);
    bool flush(bool all);
    bool startTagDone(bool selfClosing);

    Writer write_;
    std::uint64_t limit_;
    std::uint64_t produced_ = 0;  // bytes handed to write_
    std::uint64_t pos_ = 0;       // bytes of compact form consumed
    std::uint64_t tagStart_ = 0;
    std::uint64_t valueStart_ = 0;
    std::string out_;
    std::string error_;
    std::string name_;       // element name being read
    std::string attrName_;   // attribute name being read (only "format" matters)
    std::string reference_;  // character or entity reference being read
    std::vector<std::string> stack_;
    std::size_t declared_ = 0;
    State state_ = State::Declaration;
    bool rootSeen_ = false;
    bool hasFormat_ = false;
    bool failed_ = false;
};

// Checks that `compact` is a compact .cfginclude (declaration, one root element
// <cfginclude> with a format attribute, no text between tags, well-formed
// attributes) and writes its indented form to *indented. Returns false and sets
// *error otherwise.
bool reindentCfgInclude(std::string_view compact, std::string* indented, std::string* error);

}  // namespace cfgconv

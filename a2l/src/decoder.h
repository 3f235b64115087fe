// The typed decoder's tools, shared by the decoders of each object kind: a sequential
// reader of one block's parameters with typed accessors, and the fields many kinds share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "impl.h"

namespace a2l::detail {

using Kind = Item::Kind;

// Set on the reading thread while the reader validates (see validateDocument).
inline thread_local bool validating_ = false;

inline std::string_view kindName(Kind k) {
    switch (k) {
        case Kind::Identifier:
            return "identifier";
        case Kind::String:
            return "string";
        case Kind::Number:
            return "number";
        case Kind::Block:
            return "block";
    }
    return "token";
}

// Sequential reader of one block's items with typed accessors.
class Decoder {
public:
    Decoder(const Document& doc, std::uint32_t block, std::vector<Diagnostic>* sink)
        : doc_(doc), d_(doc.impl()), block_(block), cursor_(doc.impl(), block), sink_(sink) {}

    const Document& doc() const { return doc_; }

    bool peek(RawTok& t) {
        if (!have_ && !done_) {
            have_ = cursor_.next(cur_);
            done_ = !have_;
        }
        if (have_) {
            t = cur_;
        }
        return have_;
    }
    void take() { have_ = false; }

    // `name` must outlive the decoder (it is the decoded object's own name field).
    void setObjectName(std::string_view name) { objectName_ = name; }

    // Values that could not be read as written go here too ("file:line:column: warning:
    // ..."), whether or not warnings are collected: `unreadable` for an address that is no
    // address, `beyondRange` for real numbers beyond the range of a double.
    void recordProblems(std::vector<std::string>* unreadable,
                        std::vector<std::string>* beyondRange) {
        unreadable_ = unreadable;
        beyondRange_ = beyondRange;
    }

    void warn(const RawTok* at, const std::string& message) {
        if (sink_ == nullptr) {
            return;
        }
        sink_->push_back(diagnose(at, message));
    }

    Diagnostic diagnose(const RawTok* at, const std::string& message) const {
        Diagnostic diag;
        diag.severity = Severity::Warning;
        if (at != nullptr) {
            diag.location = d_.locate(at->file, offsetOf(*at));
        } else {
            const auto& b = d_.blocks[block_];
            diag.location = d_.locate(b.file, b.bodyEnd);
        }
        diag.message = std::string(d_.keyword(block_));
        if (!objectName_.empty()) {
            diag.message += " ";
            diag.message += objectName_;
        }
        diag.message += ": " + message;
        return diag;
    }

    // Warns, and records the problem in `list` when there is one.
    void problem(const RawTok& at, const std::string& message, std::vector<std::string>* list) {
        if (list != nullptr) {
            list->push_back(diagnose(&at, message).toString());
        }
        warn(&at, message);
    }

    // Fetches the next parameter for a field; warns when the block ends or a child block
    // stands where the parameter should be.
    bool field(RawTok& t, const char* what) {
        if (!peek(t) || t.kind == Kind::Block) {
            warn(have_ ? &cur_ : nullptr, std::string("missing ") + what);
            return false;
        }
        take();
        return true;
    }

    std::string ident(const char* what) {
        RawTok t;
        if (!field(t, what)) {
            return {};
        }
        if (t.kind != Kind::Identifier) {
            wrongKind(t, what, "an identifier");
        }
        return detail::tokenText(t);
    }

    std::string text(const char* what) {
        RawTok t;
        if (!field(t, what)) {
            return {};
        }
        if (t.kind != Kind::String) {
            wrongKind(t, what, "a string");
        }
        if (validating_) {
            return {};  // the reader's check needs the kind, not the text
        }
        return detail::tokenText(t);
    }

    double number(const char* what) { return readNumber(what, nullptr); }

    // A number the object cannot do without: as number(), and when it is missing or no
    // number that is recorded with the `unreadable` problems too, so that the 0 read in its
    // place is never taken for a value of the file.
    double requiredNumber(const char* what) { return readNumber(what, unreadable_); }

    // An address: an unsigned integer of at most 64 bits. Anything else (no number, a
    // negative number, more than 64 bits) is reported and gives no address.
    std::optional<std::uint64_t> address(const char* what) {
        RawTok t;
        std::uint64_t v = 0;
        if (!field(t, what)) {
            recordMissing(what, unreadable_);
            return std::nullopt;
        }
        if (t.kind == Kind::Number && detail::parseUInt64(t.view(), v)) {
            return v;
        }
        problem(t,
                std::string(what) + " " + shortText(t) +
                    " is no address (an unsigned integer of at most 64 bits)",
                unreadable_);
        return std::nullopt;
    }

    std::uint64_t u64(const char* what, std::uint64_t max = ~std::uint64_t{0}) {
        return readUnsigned(what, max, nullptr);
    }

    // An unsigned 64-bit value the object cannot do without (a BIT_MASK): as u64(), and when
    // it is missing or cannot be read that is recorded with the `unreadable` problems too,
    // so that the 0 read in its place is never taken for a value of the file.
    std::uint64_t requiredU64(const char* what) {
        return readUnsigned(what, ~std::uint64_t{0}, unreadable_);
    }

    std::uint32_t u32(const char* what) {
        return static_cast<std::uint32_t>(u64(what, 0xFFFFFFFFu));
    }

    std::int64_t i64(const char* what) {
        RawTok t;
        std::int64_t v = 0;
        if (field(t, what) && !(t.kind == Kind::Number && detail::parseInt64(t.view(), v))) {
            wrongKind(t, what, "an integer");
        }
        return v;
    }

    // All numbers that follow (MATRIX_DIM, FIX_AXIS_PAR_LIST, ...).
    std::vector<double> numbers() {
        std::vector<double> out;
        RawTok t;
        while (peek(t) && t.kind == Kind::Number) {
            take();
            double v = 0;
            if (!detail::parseDouble(t.view(), v)) {
                wrongKind(t, "value", "a number");
            }
            out.push_back(v);
        }
        return out;
    }

    // Skips the parameters of a keyword the decoder does not use (vendor or newer keywords):
    // everything up to the next identifier or block.
    void skipArgs() {
        RawTok t;
        while (peek(t) && (t.kind == Kind::Number || t.kind == Kind::String)) {
            take();
        }
    }

    void stray(const RawTok& t) {
        warn(&t, "unexpected " + std::string(kindName(t.kind)) + " \"" + std::string(t.view()) +
                     "\" (expected a keyword)");
    }

private:
    std::uint64_t readUnsigned(const char* what, std::uint64_t max,
                               std::vector<std::string>* unreadable) {
        RawTok t;
        std::uint64_t v = 0;
        if (!field(t, what)) {
            recordMissing(what, unreadable);
            return 0;
        }
        if (t.kind != Kind::Number || !detail::parseUInt64(t.view(), v)) {
            // Negative numbers where unsigned ones stand (-1 for "none") wrap as in C.
            std::int64_t s;
            if (t.kind == Kind::Number && detail::parseInt64(t.view(), s)) {
                return static_cast<std::uint64_t>(s);
            }
            problem(t,
                    unreadable != nullptr && t.kind == Kind::Number
                        ? std::string(what) + " " + shortText(t) +
                              " is no unsigned integer of at most 64 bits"
                        : wrongKindMessage(t, what, "an unsigned integer"),
                    unreadable);
            return 0;
        }
        if (v > max) {
            warn(&t, std::string(what) + " " + std::string(t.view()) + " is out of range");
            return max;
        }
        return v;
    }

    double readNumber(const char* what, std::vector<std::string>* unreadable) {
        RawTok t;
        double v = 0;
        bool beyond = false;
        if (!field(t, what)) {
            recordMissing(what, unreadable);
        } else if (!(t.kind == Kind::Number && detail::parseDouble(t.view(), v, &beyond))) {
            problem(t, wrongKindMessage(t, what, "a number"), unreadable);
        } else if (beyond) {
            problem(t,
                    std::string(what) + " " + shortText(t) +
                        " is beyond the range of a double, read as " +
                        (v == 0  ? "0"
                         : v > 0 ? "INF"
                                 : "-INF"),
                    beyondRange_);
        }
        return v;
    }

    // After field() has warned that `what` is missing: records it in `unreadable` too.
    void recordMissing(const char* what, std::vector<std::string>* unreadable) const {
        if (unreadable != nullptr) {
            unreadable->push_back(
                diagnose(have_ ? &cur_ : nullptr, std::string("missing ") + what).toString());
        }
    }

    // A token's text for a message, cut after 40 characters.
    static std::string shortText(const RawTok& t) {
        return std::string(t.view().substr(0, 40)) + (t.view().size() > 40 ? "..." : "");
    }

    static std::string wrongKindMessage(const RawTok& t, const char* what, const char* expected) {
        return std::string("expected ") + expected + " for " + what + ", found " +
               std::string(kindName(t.kind)) + " \"" + std::string(t.view()) + "\"";
    }
    void wrongKind(const RawTok& t, const char* what, const char* expected) {
        warn(&t, wrongKindMessage(t, what, expected));
    }

    std::uint32_t offsetOf(const RawTok& t) const {
        auto off = static_cast<std::uint32_t>(t.p - d_.files[t.file]->data.get());
        return t.kind == Kind::String ? off - 1 : off;
    }

    const Document& doc_;
    const Document::Impl& d_;
    std::uint32_t block_;
    Cursor cursor_;
    RawTok cur_;
    bool have_ = false;
    bool done_ = false;
    std::vector<Diagnostic>* sink_;
    std::vector<std::string>* unreadable_ = nullptr;
    std::vector<std::string>* beyondRange_ = nullptr;
    std::string_view objectName_;
};

// Loop over the optional part of a block: `onKeyword` returns false for keywords it does not
// know (their parameters are skipped), `onBlock` gets the child blocks.
template <typename OnKeyword, typename OnBlock>
void options(Decoder& dec, OnKeyword&& onKeyword, OnBlock&& onBlock) {
    RawTok t;
    while (dec.peek(t)) {
        dec.take();
        if (t.kind == Kind::Block) {
            onBlock(BlockRef(&dec.doc(), t.block));
            continue;
        }
        if (t.kind != Kind::Identifier) {
            dec.stray(t);
            continue;
        }
        if (!onKeyword(t.view())) {
            dec.skipArgs();
        }
    }
}

inline void nameAndComment(Decoder& dec, std::string& name, std::string& longId) {
    name = dec.ident("the name");
    dec.setObjectName(name);
    longId = dec.text("the long identifier");
}

inline ByteOrder byteOrderField(Decoder& dec) {
    RawTok t;
    dec.peek(t);
    std::string v = dec.ident("BYTE_ORDER");
    ByteOrder order = byteOrderFromString(v);
    if (order == ByteOrder::Unspecified && !v.empty()) {
        dec.warn(&t, "unknown BYTE_ORDER \"" + v + "\"");
    }
    return order;
}

inline std::vector<std::uint32_t> matrixDim(Decoder& dec) {
    std::vector<std::uint32_t> dims;
    RawTok t;
    while (dec.peek(t) && t.kind == Kind::Number) {
        dec.take();
        // Integral floats (4.0, 1e3) are accepted like everywhere an integer stands; anything
        // negative, fractional or beyond 32 bits is reported and counts as 0.
        std::uint64_t v = 0;
        if (!detail::parseUInt64(t.view(), v) || v > 0xFFFFFFFFu) {
            dec.warn(&t, "MATRIX_DIM value " + std::string(t.view()) + " is out of range");
            v = 0;
        }
        dims.push_back(static_cast<std::uint32_t>(v));
    }
    if (dims.empty()) {
        dec.warn(nullptr, "MATRIX_DIM without dimensions");
    }
    return dims;
}

inline std::vector<std::string> identList(const Document& doc, BlockRef block) {
    std::vector<std::string> out;
    Cursor cursor(doc.impl(), block.id());
    RawTok t;
    while (cursor.next(t)) {
        if (t.kind == Kind::Identifier) {
            out.push_back(detail::tokenText(t));
        }
    }
    return out;
}

}  // namespace a2l::detail

// The names the typed decoders (typed*.cpp) use unqualified: `using namespace decoding;`.
namespace a2l::decoding {
using detail::Cursor;
using detail::Decoder;
using detail::kNone;
using detail::RawTok;
using detail::validating_;
using Kind = Item::Kind;
using detail::byteOrderField;
using detail::identList;
using detail::matrixDim;
using detail::nameAndComment;
using detail::options;
}  // namespace a2l::decoding

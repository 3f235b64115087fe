// Internal representation of a Document: the source buffers and a flat array of block
// records. Parameters are not stored; they are lexed again from the buffer when asked for
// (lexing is cheaper than keeping tens of millions of tokens in memory).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "a2l/document.h"

namespace a2l::detail {

// Byte classes, where a byte at a time is enough (the hot loops test eight at a time).
enum CharClass : std::uint8_t { kWord = 0, kSpace = 1, kQuote = 2, kSlash = 3, kNul = 4 };

struct CharTable {
    std::array<std::uint8_t, 256> cls{};
    constexpr CharTable() {
        for (auto& c : cls) {
            c = kWord;
        }
        for (int i = 1; i <= 0x20; ++i) {
            cls[i] = kSpace;
        }
        cls['"'] = kQuote;
        cls['/'] = kSlash;
        cls[0] = kNul;
    }
};
inline constexpr CharTable kChars{};

inline std::uint8_t charClass(char c) {
    return kChars.cls[static_cast<unsigned char>(c)];
}

// The bytes of one file: a read-only mapping of the file when the page after its end
// supplies the sentinel, else a heap copy.
class Buffer {
public:
    Buffer() = default;
    explicit Buffer(std::unique_ptr<char[]> heap) : heap_(std::move(heap)), ptr_(heap_.get()) {}
    Buffer(char* mapped, std::size_t mapLen) : ptr_(mapped), mapLen_(mapLen) {}
    Buffer(Buffer&& other) noexcept { *this = std::move(other); }
    Buffer& operator=(Buffer&& other) noexcept;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer();
    char* get() const { return ptr_; }
    // Gives the pages of a mapping that lie wholly before `offset` back to the system; the
    // bytes stay readable (touched again, they are read from the file). A heap copy stays.
    void releaseBefore(std::size_t offset);

private:
    std::unique_ptr<char[]> heap_;
    char* ptr_ = nullptr;
    std::size_t mapLen_ = 0;
    std::size_t released_ = 0;  // bytes from the start already given back
};

// Every buffer ends in a NUL sentinel so hot loops test one condition; a NUL inside the
// file is treated as white space.
struct FileData {
    std::string path;
    std::filesystem::path dir;  // folder the file's own /include paths are relative to
    Encoding encoding = Encoding::Bytes;
    Buffer data;
    std::uint32_t size = 0;   // bytes without the sentinel
    std::uint32_t begin = 0;  // first byte after a UTF-8 BOM

    const char* ptr(std::uint32_t offset) const { return data.get() + offset; }
    std::string_view text() const { return {data.get(), size}; }

    // Line and column (1-based) of a byte offset; the line index is built on first use.
    std::pair<std::uint32_t, std::uint32_t> lineColumn(std::uint32_t offset) const;

private:
    mutable std::once_flag linesOnce_;
    mutable std::vector<std::uint32_t> lineStarts_;
};

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

enum BlockFlags : std::uint8_t { kIncludeFlag = 1, kRawFlag = 2 };

struct BlockRec {
    std::uint32_t kwOff = 0;      // keyword position (in `file`; for an include: unused)
    std::uint32_t bodyBegin = 0;  // just after the keyword
    std::uint32_t bodyEnd = 0;    // at the /end directive
    std::uint32_t after = 0;      // after "/end KEYWORD" (include: after the path, in the includer)
    std::uint32_t parent = kNone;  // real parent block (includes are transparent)
    std::uint32_t firstChild = kNone;
    std::uint32_t nextSibling = kNone;
    std::uint16_t kwLen = 0;
    std::uint16_t file = 0;
    BlockKind kind = BlockKind::Other;
    std::uint8_t flags = 0;
};

// Objects by name: open addressing over (hash, block id). Keys are not stored; a hash match
// is confirmed by reading the block's name from the buffer, which happens only for true
// duplicates and (rarely) equal 64-bit hashes. One cache miss per insert, no node per name.
class NameIndex {
public:
    static std::uint64_t hash(std::string_view s) {
        std::uint64_t h = 0xcbf29ce484222325ull ^ s.size();
        std::size_t i = 0;
        for (; i + 8 <= s.size(); i += 8) {
            std::uint64_t w;
            std::memcpy(&w, s.data() + i, 8);
            h = (h ^ w) * 0x100000001b3ull;
            h ^= h >> 29;
        }
        for (; i < s.size(); ++i) {
            h = (h ^ static_cast<unsigned char>(s[i])) * 0x100000001b3ull;
        }
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        return h;
    }

    void reserve(std::size_t n) {
        if (n != 0 && n * 2 > slots_.size()) {
            rehash(n * 2);
        }
    }
    std::size_t size() const { return count_; }
    std::size_t slotCount() const { return slots_.size(); }
    // The slot a hash starts probing at (valid after reserve()).
    std::size_t home(std::uint64_t h) const { return h & mask_; }

    // Inserts `id` unless a block of the same name is there; returns that block, else kNone.
    template <typename SameName>
    std::uint32_t insert(std::uint64_t h, std::uint32_t id, SameName&& same) {
        if ((count_ + 1) * 2 > slots_.size()) {
            rehash(slots_.empty() ? 16 : slots_.size() * 2);
        }
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            Slot& s = slots_[i];
            if (s.id == kEmpty) {
                s.hash = h;
                s.id = id;
                ++count_;
                return kEmpty;
            }
            if (s.hash == h && same(s.id)) {
                return s.id;
            }
        }
    }

    template <typename SameName>
    std::uint32_t find(std::uint64_t h, SameName&& same) const {
        if (slots_.empty()) {
            return kEmpty;
        }
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.id == kEmpty) {
                return kEmpty;
            }
            if (s.hash == h && same(s.id)) {
                return s.id;
            }
        }
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t id = kEmpty;
    };
    void rehash(std::size_t want) {
        std::size_t n = 16;
        while (n < want) {
            n *= 2;
        }
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(n, Slot{});
        mask_ = n - 1;
        for (const Slot& s : old) {
            if (s.id != kEmpty) {
                std::size_t i = s.hash & mask_;
                while (slots_[i].id != kEmpty) {
                    i = (i + 1) & mask_;
                }
                slots_[i] = s;
            }
        }
    }
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

}  // namespace a2l::detail

namespace a2l {

struct Document::Impl {
    std::vector<std::unique_ptr<detail::FileData>> files;
    std::vector<SourceFile> publicFiles;
    std::vector<detail::BlockRec> blocks;
    std::array<std::vector<std::uint32_t>, static_cast<std::size_t>(BlockKind::Count_)> byKind;
    std::array<detail::NameIndex, static_cast<std::size_t>(BlockKind::Count_)> byName;
    std::vector<Diagnostic> warnings;
    std::size_t suppressed = 0;
    std::size_t maxWarnings = 1000;
    std::map<std::string, std::size_t, std::less<>> unknown;
    std::optional<std::pair<int, int>> version;
    // Address field of each interface's KP_BLOB per the file's A2ML, worked out on first use.
    mutable std::once_flag kpBlobOnce;
    mutable std::map<std::string, std::size_t, std::less<>> kpBlobFields;

    std::string_view keyword(std::uint32_t id) const {
        const auto& b = blocks[id];
        return {files[b.file]->ptr(b.kwOff), b.kwLen};
    }
    SourceLocation locate(std::uint16_t file, std::uint32_t offset) const;
    // The first word after a block's keyword (its name for the named objects).
    std::string_view nameOf(std::uint32_t id) const;
    // The object of a kind with this name, or detail::kNone.
    std::uint32_t findName(BlockKind kind, std::string_view name) const;
    void warn(std::uint16_t file, std::uint32_t offset, std::string message);
    void warn(Diagnostic diagnostic);
};

namespace detail {

// A parameter token or a child block, as the cursor yields it.
struct RawTok {
    Item::Kind kind = Item::Kind::Identifier;
    const char* p = nullptr;  // identifier/number: the word; string: content without quotes
    std::uint32_t len = 0;
    std::uint16_t file = 0;
    std::uint32_t block = kNone;  // kind == Block
    std::string_view view() const { return {p, len}; }
};

// Walks the items of one block in file order, descending into /include transparently and
// jumping over child blocks (their extent is known from the block records).
class Cursor {
public:
    Cursor(const Document::Impl& doc, std::uint32_t block);
    bool next(RawTok& tok);

private:
    struct Frame {
        std::uint16_t file;
        const char* p;
        const char* end;
        std::uint32_t nextChild;
    };
    // A stack of frames that lives inside the cursor for the usual depth (one frame, plus
    // one per /include being walked): cursors are made for every decoded object.
    class Frames {
    public:
        bool empty() const { return size_ == 0; }
        Frame& back() { return size_ <= kInline ? inline_[size_ - 1] : more_.back(); }
        void push_back(const Frame& f) {
            if (size_ < kInline) {
                inline_[size_] = f;
            } else {
                more_.push_back(f);
            }
            ++size_;
        }
        void pop_back() {
            if (size_ > kInline) {
                more_.pop_back();
            }
            --size_;
        }

    private:
        static constexpr std::size_t kInline = 4;
        Frame inline_[kInline];
        std::vector<Frame> more_;
        std::size_t size_ = 0;
    };

    const Document::Impl& doc_;
    Frames frames_;
};

// ---- lexing helpers shared by the reader and the cursor ----

// Eight bytes at a time (SWAR): every buffer has kPadding readable bytes after its
// sentinel, so the hot loops may load a word past the end.
constexpr std::size_t kPadding = 8;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

inline std::uint64_t load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
// High bit set in each byte < n (n <= 128); exact for the lowest such byte.
inline std::uint64_t bytesBelow(std::uint64_t x, std::uint8_t n) {
    return (x - kOnes * n) & ~x & kHigh;
}
inline std::uint64_t bytesEqual(std::uint64_t x, std::uint8_t b) {
    return bytesBelow(x ^ (kOnes * b), 1);
}
// High bit set in each byte > n (n < 128); exact for every byte.
inline std::uint64_t bytesAbove(std::uint64_t x, std::uint8_t n) {
    return (((x & ~kHigh) + kOnes * (127 - n)) | x) & kHigh;
}
inline unsigned firstByte(std::uint64_t mask) {
    return static_cast<unsigned>(__builtin_ctzll(mask)) / 8;
}

// Skips white space (bytes 0x01..0x20) and comments. Returns nullptr for an unterminated
// /* comment, with `commentStart` set to where it began. Inline: it runs between every two
// tokens.
inline const char* skipTrivia(const char* p, const char* end, const char** commentStart) {
    for (;;) {
        std::uint64_t v = load8(p);
        std::uint64_t stop = bytesAbove(v, 0x20) | bytesEqual(v, 0);
        if (stop == 0) {
            p += 8;
            continue;
        }
        p += firstByte(stop);
        char c = *p;
        if (c == '/') {
            if (p[1] == '*') {
                // "/*" inside a comment is plain text: the comment ends at the first "*/".
                const char* q = p + 2;
                for (;;) {
                    q = static_cast<const char*>(std::memchr(q, '*', static_cast<size_t>(end - q)));
                    if (q == nullptr || q + 1 >= end) {
                        *commentStart = p;
                        return nullptr;
                    }
                    if (q[1] == '/') {
                        break;
                    }
                    ++q;
                }
                p = q + 2;
                continue;
            }
            if (p[1] == '/') {
                const char* q =
                    static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
                p = q == nullptr ? end : q + 1;
                continue;
            }
            return p;
        }
        if (c == '\0' && p < end) {
            ++p;  // a NUL inside the file counts as white space
            continue;
        }
        return p;
    }
}

// End of a word starting at p: it stops at white space or NUL, a quote, or a comment start.
inline const char* scanWord(const char* p) {
    for (;;) {
        std::uint64_t v = load8(p);
        std::uint64_t stop = bytesBelow(v, 0x21) | bytesEqual(v, '"') | bytesEqual(v, '/');
        if (stop == 0) {
            p += 8;
            continue;
        }
        p += firstByte(stop);
        if (*p == '/' && p[1] != '*' && p[1] != '/') {
            ++p;  // a slash inside a word (a/b) is part of it
            continue;
        }
        return p;
    }
}

// p at the opening quote. Returns the position after the closing quote, or nullptr when
// the string is not terminated on its line (`badAt` then points at the offending byte).
const char* scanString(const char* p, const char* end, const char** badAt);

bool equalsNoCaseSlow(std::string_view a, std::string_view b);
// ASCII letters compared without case; the exact match (the usual case) is one memcmp.
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a == b || equalsNoCaseSlow(a, b));
}
// A word is a number when it starts like one: a digit, or a sign or point before a digit.
inline bool looksNumeric(std::string_view w) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = !w.empty() && (w[0] == '+' || w[0] == '-') ? 1 : 0;
    if (i < w.size() && digit(w[i])) {
        return true;
    }
    return i + 1 < w.size() && w[i] == '.' && digit(w[i + 1]);
}

// Text of a string's raw content (between the quotes) or of a word, as UTF-8: escapes
// resolved for strings; bytes decoded as UTF-8 when valid, else as Windows-1252.
std::string decodeText(std::string_view raw, bool isString);
std::string tokenText(const RawTok& tok);
bool isValidUtf8(std::string_view bytes);
void appendUtf8(std::string& out, std::uint32_t cp);

// A real number. One beyond the range of a double is still a number: an infinity for
// magnitudes above the largest double, a zero below the smallest subnormal, and
// *beyondRange (when given) says so.
bool parseDouble(std::string_view s, double& out, bool* beyondRange = nullptr);
bool parseInt64(std::string_view s, std::int64_t& out);
bool parseUInt64(std::string_view s, std::uint64_t& out);

std::vector<std::uint32_t> childIds(const Document::Impl& d, std::uint32_t id);
Item makeItem(const Document* doc, const RawTok& tok);

BlockKind classifyKeyword(std::string_view keyword);
bool isStandardKeyword(std::string_view keyword);

}  // namespace detail
}  // namespace a2l

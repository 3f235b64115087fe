// The reading pass: checks the token structure, builds the block records and the kind/name
// indexes, and follows /include (the files themselves are loaded by source.cpp).
#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <system_error>
#include <thread>

#include "impl.h"
#include "source.h"

namespace a2l {

namespace detail {
void validateDocument(const Document& doc, Document::Impl& impl, bool deep);
}  // namespace detail

namespace {

using detail::BlockRec;
using detail::FileData;
using detail::kNone;

namespace fs = std::filesystem;
using detail::kMaxFileSize;

// Thrown inside the reader of a file's second half when it gives up (see startSecondHalf).
struct Abandoned {};

struct ReadFailure {
    Diagnostic diagnostic;
};

// The fixed parameters of the large object kinds, checked in the reading pass itself so
// that files with hundreds of thousands of objects need no second pass. Kinds: I identifier,
// S string, N number, U unsigned integer. Names and messages match the typed decoder's.
struct Schema {
    const char* kinds;
    const char* const* names;
    int conversion;  // index of the COMPU_METHOD reference, -1 for none
    int datatype;    // index of a datatype keyword, -1 for none
};

constexpr const char* kMeasurementNames[] = {
    "the name",       "the long identifier", "the datatype",    "the conversion",
    "the resolution", "the accuracy",        "the lower limit", "the upper limit"};
constexpr const char* kCharacteristicNames[] = {
    "the name",       "the long identifier", "the type",
    "the address",    "the record layout",   "the maximum difference",
    "the conversion", "the lower limit",     "the upper limit"};
constexpr const char* kAxisPtsNames[] = {"the name",          "the long identifier",
                                         "the address",       "the input quantity",
                                         "the record layout", "the maximum difference",
                                         "the conversion",    "the maximum number of axis points",
                                         "the lower limit",   "the upper limit"};
constexpr const char* kAxisDescrNames[] = {"the attribute",   "the input quantity",
                                           "the conversion",  "the maximum number of axis points",
                                           "the lower limit", "the upper limit"};

constexpr Schema kMeasurementSchema{"ISIIUNNN", kMeasurementNames, 3, 2};
constexpr Schema kCharacteristicSchema{"ISIUININN", kCharacteristicNames, 6, -1};
constexpr Schema kAxisPtsSchema{"ISUIINIUNN", kAxisPtsNames, 6, -1};
constexpr Schema kAxisDescrSchema{"IIIUNN", kAxisDescrNames, 2, -1};

const Schema* schemaFor(BlockKind kind) {
    switch (kind) {
        case BlockKind::Measurement:
            return &kMeasurementSchema;
        case BlockKind::Characteristic:
            return &kCharacteristicSchema;
        case BlockKind::AxisPts:
            return &kAxisPtsSchema;
        case BlockKind::AxisDescr:
            return &kAxisDescrSchema;
        default:
            return nullptr;
    }
}

// A reference to check once every COMPU_METHOD is known.
struct ConversionRef {
    std::uint32_t block;
    std::uint16_t file;
    std::uint32_t offset;
    std::uint32_t len;
};

class Reader {
public:
    Reader(Document::Impl& doc, const ReadOptions& options) : d_(doc), opt_(options) {}
    ~Reader() { stopSecondHalf(); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Registers the bytes of one file (after BOM detection and UTF-16/32 decoding).
    std::uint16_t addFile(detail::SourceBytes bytes, std::string path, fs::path dir,
                          std::uint16_t fromFile, const char* fromPos) {
        if (d_.files.size() >= 0xFFFF) {
            fail(fromFile, fromPos, "too many included files");
        }
        std::string error;
        if (!detail::decodeSource(bytes, path, error)) {
            fail(fromFile, fromPos, error);
        }
        auto f = std::make_unique<FileData>();
        f->path = std::move(path);
        f->dir = std::move(dir);
        f->encoding = bytes.encoding;
        f->begin = bytes.begin;
        f->data = std::move(bytes.data);
        f->size = static_cast<std::uint32_t>(bytes.size);
        d_.publicFiles.push_back({f->path, f->encoding, bytes.size});
        d_.files.push_back(std::move(f));
        return static_cast<std::uint16_t>(d_.files.size() - 1);
    }

    std::uint16_t loadFile(const fs::path& path, std::string display, std::uint16_t fromFile,
                           const char* fromPos) {
        detail::SourceBytes bytes;
        std::string error;
        if (!detail::loadBytes(path, display, bytes, error)) {
            fail(fromFile, fromPos, error);
        }
        return addFile(std::move(bytes), std::move(display), path.parent_path(), fromFile, fromPos);
    }

    // Another entry for a file already read: the same bytes, not read or mapped again.
    std::uint16_t shareFile(std::uint16_t original, std::uint16_t fromFile, const char* fromPos) {
        if (d_.files.size() >= 0xFFFF) {
            fail(fromFile, fromPos, "too many included files");
        }
        d_.publicFiles.push_back(d_.publicFiles[original]);
        d_.files.push_back(borrowed(*d_.files[original]));
        return static_cast<std::uint16_t>(d_.files.size() - 1);
    }

    void parseRoot() {
        const FileData& f = *d_.files[0];
        BlockRec root;
        root.kind = BlockKind::Root;
        root.file = 0;
        root.bodyBegin = f.begin;
        root.bodyEnd = f.size;
        root.after = f.size;
        // Generous: pages of the reservation that stay unused are never touched, so they cost
        // address space, not memory; growing by copying would briefly need both copies.
        d_.blocks.reserve(f.size / 48 + 16);
        d_.blocks.push_back(root);
        std::error_code ec;
        includeStack_.push_back(
            fs::weakly_canonical(fs::absolute(detail::pathFromText(f.path), ec), ec));
        startSecondHalf();
        try {
            parseFile(0, 0, 0);
        } catch (...) {
            stopSecondHalf();  // before the caller drops the text the other thread reads
            throw;
        }
        stopSecondHalf();
    }

    // A large main file is read from both ends at once: another thread reads the module from
    // a line in the middle that looks like the start of an object ("/begin MEASUREMENT"), into
    // records of its own, up to the /end of the module. When this thread reaches that line and
    // finds itself at module level there, it takes the other's records over and goes on at
    // the /end. Otherwise (the line was inside a comment, a string or a nested block), or when
    // the other gave up (an /include, an error: this thread reads the rest again and reports
    // it), the other's work is dropped. Either way the document is the one a single thread
    // reads.
    void startSecondHalf() {
        const FileData& f = *d_.files[0];
        if (opt_.parallelAbove == 0 || f.size <= opt_.parallelAbove) {
            return;
        }
        const char* base = f.data.get();
        const char* from = splitCandidate(base + f.begin + (f.size - f.begin) / 2, base + f.size);
        if (from == nullptr) {
            return;
        }
        half_ = std::make_unique<Document::Impl>();
        half_->maxWarnings = d_.maxWarnings;
        half_->files.push_back(borrowed(f));
        BlockRec module;  // stands for the module this thread will be in at `from`
        module.kind = BlockKind::Module;
        half_->blocks.reserve(static_cast<std::size_t>(base + f.size - from) / 48 + 16);
        half_->blocks.push_back(module);
        halfReader_ = std::make_unique<Reader>(*half_, opt_);
        halfReader_->quickChecks_ = quickChecks_;
        halfReader_->nesting_ = kModuleNesting;
        halfReader_->cancel_ = &stopHalf_;
        try {
            halfThread_ = std::thread([this, from] { halfReader_->readSecondHalf(from); });
        } catch (const std::system_error&) {
            halfReader_.reset();
            half_.reset();
            return;
        }
        joinAt_ = from;
    }

    void stopSecondHalf() {
        joinAt_ = nullptr;
        if (halfThread_.joinable()) {
            stopHalf_.store(true, std::memory_order_relaxed);
            halfThread_.join();
        }
        halfReader_.reset();
        half_.reset();
    }

    [[noreturn]] void fail(std::uint16_t file, const char* pos, std::string message) {
        Diagnostic diag;
        diag.severity = Severity::Error;
        if (file < d_.files.size() && pos != nullptr) {
            const FileData& f = *d_.files[file];
            diag.location = d_.locate(file, static_cast<std::uint32_t>(pos - f.data.get()));
        } else if (!d_.files.empty()) {
            diag.location.file = d_.files[0]->path;
        }
        diag.message = std::move(message);
        throw ReadFailure{std::move(diag)};
    }

private:
    // An entry for the bytes of `o`, which stay owned by `o`.
    static std::unique_ptr<FileData> borrowed(const FileData& o) {
        auto f = std::make_unique<FileData>();
        f->path = o.path;
        f->dir = o.dir;
        f->encoding = o.encoding;
        f->begin = o.begin;
        f->data = detail::Buffer(o.data.get(), 0);
        f->size = o.size;
        return f;
    }

    struct Open {
        std::uint32_t rec;
        std::uint32_t last;
        const Schema* schema = nullptr;  // fixed parameters checked while reading
        std::uint32_t index = 0;         // next fixed parameter
        std::string_view name;           // the object's name (first parameter)
    };

    // PROJECT and MODULE: the nesting inside a module.
    static constexpr std::uint32_t kModuleNesting = 2;

    // The first line at or after p (within a few MB) that starts, after blanks, with
    // "/begin" and the keyword of a module-level object.
    static const char* splitCandidate(const char* p, const char* end) {
        const char* limit = p + std::min<std::ptrdiff_t>(end - p, std::ptrdiff_t{4} << 20);
        while (p < limit) {
            p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (p == nullptr) {
                return nullptr;
            }
            const char* q = ++p;
            while (q < end && (*q == ' ' || *q == '\t')) {
                ++q;
            }
            if (end - q > 7 && std::memcmp(q, "/begin", 6) == 0 && (q[6] == ' ' || q[6] == '\t')) {
                const char* k = q + 7;
                while (k < end && (*k == ' ' || *k == '\t')) {
                    ++k;
                }
                const char* e = detail::scanWord(k);
                if (isObjectKind(detail::classifyKeyword({k, static_cast<std::size_t>(e - k)}))) {
                    return q;
                }
            }
        }
        return nullptr;
    }

    // On the other thread: the module from `from` to its /end.
    void readSecondHalf(const char* from) {
        try {
            parseFile(0, 0, 0, from);
        } catch (...) {
            stoppedAt_ = nullptr;  // gave up, failed or ran out of memory: the first half reads on
        }
    }

    // This thread has reached (p == joinAt_) or passed the line the other began at. Returns
    // where to go on.
    const char* joinSecondHalf(std::vector<Open>& stack, const char* p) {
        // (At module level no object is open: no name or fixed parameter is pending.)
        const bool here = p == joinAt_ && nesting_ == kModuleNesting && ifDataDepth_ == 0 &&
                          d_.blocks[stack.back().rec].kind == BlockKind::Module;
        joinAt_ = nullptr;
        if (!here) {
            stopHalf_.store(true, std::memory_order_relaxed);
        }
        halfThread_.join();
        const Reader& other = *halfReader_;
        if (!here || other.stoppedAt_ == nullptr) {
            stopSecondHalf();
            return p;
        }
        const Document::Impl& h = *half_;
        const std::uint32_t module = stack.back().rec;
        const auto offset = static_cast<std::uint32_t>(d_.blocks.size() - 1);
        auto id = [&](std::uint32_t i) {
            return i == kNone ? kNone : i == 0 ? module : offset + i;
        };
        // The other's blocks are copied on a thread of their own, mostly first touches of memory,
        // while this one takes over the rest; nothing else here reads or writes d_.blocks. The
        // room is reserved first, so the copy allocates nothing and cannot throw.
        d_.blocks.reserve(d_.blocks.size() + h.blocks.size() - 1);
        auto copyBlocks = [&] {
            for (std::size_t i = 1; i < h.blocks.size(); ++i) {
                BlockRec rec = h.blocks[i];
                rec.parent = id(rec.parent);
                rec.firstChild = id(rec.firstChild);
                rec.nextSibling = id(rec.nextSibling);
                d_.blocks.push_back(rec);
            }
        };
        {
            std::jthread copier;  // joined at the end of this scope, also when a merge throws
            try {
                copier = std::jthread(copyBlocks);
            } catch (const std::system_error&) {
                copyBlocks();  // no thread to be had: here
            }
            for (std::size_t k = 0; k < h.byKind.size(); ++k) {
                d_.byKind[k].reserve(d_.byKind[k].size() + h.byKind[k].size());
                for (std::uint32_t i : h.byKind[k]) {
                    d_.byKind[k].push_back(id(i));
                }
            }
            for (const auto& [keyword, count] : h.unknown) {
                d_.unknown[keyword] += count;
            }
            names_.reserve(names_.size() + other.names_.size());
            for (PendingName n : other.names_) {
                n.id = id(n.id);
                names_.push_back(n);
            }
            conversions_.reserve(conversions_.size() + other.conversions_.size());
            for (ConversionRef ref : other.conversions_) {
                ref.block = id(ref.block);
                conversions_.push_back(ref);
            }
            for (const auto& w : h.warnings) {
                d_.warn(w);
            }
            d_.suppressed += h.suppressed;
        }
        // The module ends where the other stopped: no child follows the other's.
        const Open& top = stack.back();
        if (const std::uint32_t first = id(h.blocks[0].firstChild); first != kNone) {
            (top.last == kNone ? d_.blocks[module].firstChild : d_.blocks[top.last].nextSibling) =
                first;
        }
        const char* resume = other.stoppedAt_;
        stopSecondHalf();
        threads_ = 2;
        return resume;
    }

    // The token at p for a message: a string with its quotes, a word in quotes.
    static std::string quoteToken(const char* p, const char* end) {
        if (p >= end) {
            return "the end of the file";
        }
        const char* q = p + 1;
        if (*p == '"') {
            while (q < end && *q != '"' && *q != '\n' && q - p < 40) {
                ++q;
            }
            return std::string(p, static_cast<std::size_t>(q - p)) + "\"";
        }
        while (q < end && detail::charClass(*q) == detail::kWord && q - p < 40) {
            ++q;
        }
        return "\"" + std::string(p, static_cast<std::size_t>(q - p)) + "\"";
    }

    std::uint32_t realParent(std::uint32_t rec) const {
        const BlockRec& b = d_.blocks[rec];
        return (b.flags & detail::kIncludeFlag) != 0 ? b.parent : rec;
    }

    static bool isObjectKind(BlockKind k) {
        switch (k) {
            case BlockKind::Measurement:
            case BlockKind::Characteristic:
            case BlockKind::AxisPts:
            case BlockKind::CompuMethod:
            case BlockKind::CompuTab:
            case BlockKind::CompuVtab:
            case BlockKind::CompuVtabRange:
            case BlockKind::RecordLayout:
            case BlockKind::Unit:
            case BlockKind::Group:
            case BlockKind::Function:
            case BlockKind::TypedefMeasurement:
            case BlockKind::TypedefCharacteristic:
            case BlockKind::TypedefAxis:
            case BlockKind::TypedefBlob:
            case BlockKind::TypedefStructure:
            case BlockKind::Instance:
                return true;
            default:
                return false;
        }
    }

    std::uint32_t addChild(std::vector<Open>& stack, BlockRec rec) {
        auto id = static_cast<std::uint32_t>(d_.blocks.size());
        Open& top = stack.back();
        d_.blocks.push_back(rec);
        if (top.last == kNone) {
            d_.blocks[top.rec].firstChild = id;
        } else {
            d_.blocks[top.last].nextSibling = id;
        }
        top.last = id;
        return id;
    }

    const char* skip(std::uint16_t fi, const char* p, const char* end) {
        const char* commentStart = nullptr;
        const char* q = detail::skipTrivia(p, end, &commentStart);
        if (q == nullptr) {
            fail(fi, commentStart,
                 "unterminated comment: expected \"*/\" before the end of the file");
        }
        return q;
    }

    const char* string(std::uint16_t fi, const char* p, const char* end) {
        const char* bad = nullptr;
        const char* q = detail::scanString(p, end, &bad);
        if (q == nullptr) {
            if (bad != nullptr && *bad == '\n') {
                fail(fi, p,
                     "unterminated string: expected the closing quote before the end of the line "
                     "(a line break inside a string must be escaped with a backslash)");
            }
            fail(fi, p,
                 "unterminated string: expected the closing quote before the end of the file");
        }
        return q;
    }

    // Reads the keyword after /begin or /end.
    std::string_view keywordAfter(std::uint16_t fi, const char*& p, const char* end,
                                  std::string_view directive) {
        p = skip(fi, p, end);
        if (p >= end || *p == '"' || *p == '/') {
            fail(fi, p,
                 "expected a block keyword after " + std::string(directive) + ", found " +
                     quoteToken(p, end));
        }
        const char* k = p;
        p = detail::scanWord(p);
        return {k, static_cast<std::size_t>(p - k)};
    }

    void parseFile(std::uint16_t fi, std::uint32_t container, std::uint32_t includeDepth,
                   const char* from = nullptr) {
        const FileData& f = *d_.files[fi];
        const char* base = f.data.get();
        const char* end = base + f.size;
        const char* p = from != nullptr ? from : base + f.begin;
        std::vector<Open> stack;
        stack.reserve(16);
        stack.push_back({container, kNone, nullptr, 0, {}});
        std::uint32_t pendingName = kNone;
        int versionState = 0;
        int versionMajor = 0;
        const char* releasedTo = p;

        for (;;) {
            p = skip(fi, p, end);
            if (p >= end) {
                break;
            }
            if (fi == 0 && joinAt_ != nullptr && p >= joinAt_) {
                p = joinSecondHalf(stack, p);
                continue;
            }
            if (*p == '"') {
                const char* q = string(fi, p, end);
                if (stack.back().schema != nullptr) {
                    checkParam(fi, stack.back(), p, static_cast<std::uint32_t>(q - p), true);
                }
                p = q;
                pendingName = kNone;
                versionState = 0;
                continue;
            }
            const char* w = p;
            p = detail::scanWord(p);
            std::string_view word(w, static_cast<std::size_t>(p - w));
            if (*w == '/' && word.size() >= 4) {
                if (detail::equalsNoCase(word, "/begin")) {
                    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
                        throw Abandoned{};
                    }
                    if (opt_.releaseParsedText && cancel_ == nullptr &&
                        w - releasedTo > kReleaseStep) {
                        d_.files[fi]->data.releaseBefore(static_cast<std::size_t>(w - base));
                        releasedTo = w;
                    }
                    pendingName = begin(fi, stack, w, p, end);
                    versionState = 0;
                    continue;
                }
                if (detail::equalsNoCase(word, "/end")) {
                    if (cancel_ != nullptr && stack.size() == 1) {
                        stoppedAt_ = w;  // the end of the module: the first half goes on here
                        return;
                    }
                    endBlock(fi, stack, w, p, end);
                    pendingName = kNone;
                    versionState = 0;
                    continue;
                }
                if (detail::equalsNoCase(word, "/include")) {
                    if (cancel_ != nullptr) {
                        throw Abandoned{};  // files are opened in the order of the text
                    }
                    include(fi, stack, w, p, end, includeDepth);
                    pendingName = kNone;
                    versionState = 0;
                    continue;
                }
            }
            if (stack.back().schema != nullptr) {
                checkParam(fi, stack.back(), w, static_cast<std::uint32_t>(p - w), false);
            }
            if (pendingName != kNone) {
                setName(pendingName, word, fi, w);
                pendingName = kNone;
            }
            if (fi == 0 && stack.size() == 1) {
                // ASAP2_VERSION major minor, at the top of the main file.
                if (versionState == 0 && word == "ASAP2_VERSION") {
                    versionState = 1;
                } else if (versionState == 1) {
                    std::int64_t v;
                    versionState = detail::parseInt64(word, v) ? 2 : 0;
                    versionMajor = static_cast<int>(v);
                } else if (versionState == 2) {
                    std::int64_t v;
                    if (detail::parseInt64(word, v)) {
                        d_.version = std::make_pair(versionMajor, static_cast<int>(v));
                    }
                    versionState = 0;
                }
            }
        }
        if (stack.size() > 1) {
            const BlockRec& open = d_.blocks[stack.back().rec];
            std::string kw(d_.keyword(stack.back().rec));
            fail(fi, base + open.kwOff,
                 "/begin " + kw + " is never closed: expected /end " + kw +
                     " before the end of the file");
        }
    }

    std::uint32_t begin(std::uint16_t fi, std::vector<Open>& stack, const char* w, const char*& p,
                        const char* end) {
        const char* base = d_.files[fi]->data.get();
        std::string_view kw = keywordAfter(fi, p, end, "/begin");
        if (kw.size() > 0xFFFF) {
            fail(fi, kw.data(), "block keyword too long");
        }
        if (++nesting_ > opt_.maxNesting) {
            fail(fi, w,
                 "blocks nested deeper than " + std::to_string(opt_.maxNesting) +
                     " levels (is a /end missing?)");
        }
        if (stack.back().schema != nullptr) {
            missingParams(fi, stack.back(), w);
        }
        std::uint32_t parent = realParent(stack.back().rec);
        BlockRec rec;
        rec.kwOff = static_cast<std::uint32_t>(kw.data() - base);
        rec.kwLen = static_cast<std::uint16_t>(kw.size());
        rec.bodyBegin = static_cast<std::uint32_t>(p - base);
        rec.parent = parent;
        rec.file = fi;
        rec.kind = detail::classifyKeyword(kw);
        std::uint32_t id = addChild(stack, rec);

        std::uint32_t pendingName = kNone;
        BlockKind kind = rec.kind;
        if (isObjectKind(kind)) {
            BlockKind pk = d_.blocks[parent].kind;
            if (pk == BlockKind::Module || pk == BlockKind::Root) {
                d_.byKind[static_cast<std::size_t>(kind)].push_back(id);
                pendingName = id;
            }
        } else if (kind != BlockKind::Other) {
            d_.byKind[static_cast<std::size_t>(kind)].push_back(id);
        } else if (ifDataDepth_ == 0 && !detail::isStandardKeyword(kw)) {
            auto it = d_.unknown.find(kw);
            if (it == d_.unknown.end()) {
                d_.unknown.emplace(std::string(kw), 1);
            } else {
                ++it->second;
            }
        }

        if (kind == BlockKind::A2ml) {
            rawBlock(fi, id, w, p, end);
            --nesting_;
            return kNone;
        }
        if (kind == BlockKind::IfData) {
            ++ifDataDepth_;
        }
        Open open{id, kNone, nullptr, 0, {}};
        if (quickChecks_) {
            // Objects count only at module level; an AXIS_DESCR belongs to its object.
            open.schema =
                (pendingName != kNone || kind == BlockKind::AxisDescr) ? schemaFor(kind) : nullptr;
        }
        stack.push_back(open);
        return pendingName;
    }

    // A2ML has a grammar of its own; it is kept as raw text up to "/end A2ML".
    void rawBlock(std::uint16_t fi, std::uint32_t id, const char* w, const char*& p,
                  const char* end) {
        const char* base = d_.files[fi]->data.get();
        for (;;) {
            p = skip(fi, p, end);
            if (p >= end) {
                fail(fi, w,
                     "/begin A2ML is never closed: expected /end A2ML before the end of the file");
            }
            if (*p == '"') {
                p = string(fi, p, end);
                continue;
            }
            const char* x = p;
            p = detail::scanWord(p);
            if (detail::equalsNoCase({x, static_cast<std::size_t>(p - x)}, "/end")) {
                std::string_view kw = keywordAfter(fi, p, end, "/end");
                if (!detail::equalsNoCase(kw, "A2ML")) {
                    fail(fi, x,
                         "expected /end A2ML to close the A2ML block, found /end " +
                             std::string(kw));
                }
                BlockRec& rec = d_.blocks[id];
                rec.bodyEnd = static_cast<std::uint32_t>(x - base);
                rec.after = static_cast<std::uint32_t>(p - base);
                rec.flags |= detail::kRawFlag;
                return;
            }
        }
    }

    void endBlock(std::uint16_t fi, std::vector<Open>& stack, const char* w, const char*& p,
                  const char* end) {
        const char* base = d_.files[fi]->data.get();
        std::string_view kw = keywordAfter(fi, p, end, "/end");
        if (stack.size() == 1) {
            fail(fi, w,
                 "/end " + std::string(kw) + " without a matching /begin" +
                     (fi != 0 ? " in this file (a block must end in the file it begins in)" : ""));
        }
        std::uint32_t top = stack.back().rec;
        std::string_view open = d_.keyword(top);
        if (!detail::equalsNoCase(kw, open)) {
            auto [line, col] = d_.files[fi]->lineColumn(d_.blocks[top].kwOff);
            (void)col;
            fail(fi, w,
                 "expected /end " + std::string(open) + " to close the block begun at line " +
                     std::to_string(line) + ", found /end " + std::string(kw));
        }
        if (stack.back().schema != nullptr) {
            missingParams(fi, stack.back(), w);
        }
        BlockRec& rec = d_.blocks[top];
        rec.bodyEnd = static_cast<std::uint32_t>(w - base);
        rec.after = static_cast<std::uint32_t>(p - base);
        if (rec.kind == BlockKind::IfData) {
            --ifDataDepth_;
        }
        --nesting_;
        stack.pop_back();
    }

    // Finds an include: relative to the including file, then in the include paths; on a
    // case-sensitive file system also ignoring the letter case of the name (files written
    // on Windows often get it wrong).
    std::optional<fs::path> resolve(const fs::path& dir, const std::string& name) {
        std::string norm = name;
        for (char& c : norm) {
            if (c == '\\') {
                c = '/';
            }
        }
        fs::path rel(norm);
        std::vector<fs::path> candidates;
        if (rel.is_absolute()) {
            candidates.push_back(rel);
        } else {
            candidates.push_back(dir / rel);
            for (const auto& extra : opt_.includePaths) {
                candidates.push_back(extra / rel);
            }
        }
        std::error_code ec;
        for (const auto& c : candidates) {
            if (fs::is_regular_file(c, ec)) {
                return c;
            }
        }
        for (const auto& c : candidates) {
            fs::path parent = c.parent_path();
            std::string leaf = detail::pathText(c.filename());
            if (!fs::is_directory(parent, ec)) {
                continue;
            }
            for (const auto& entry : fs::directory_iterator(parent, ec)) {
                if (detail::equalsNoCase(detail::pathText(entry.path().filename()), leaf) &&
                    entry.is_regular_file(ec)) {
                    return entry.path();
                }
            }
        }
        // A folder, FIFO or device of that name: loading it says what it is.
        for (const auto& c : candidates) {
            if (fs::exists(c, ec)) {
                return c;
            }
        }
        return std::nullopt;
    }

    void include(std::uint16_t fi, std::vector<Open>& stack, const char* w, const char*& p,
                 const char* end, std::uint32_t includeDepth) {
        const char* base = d_.files[fi]->data.get();
        if (!opt_.followIncludes) {
            fail(fi, w, "/include is switched off for this read");
        }
        p = skip(fi, p, end);
        std::string name;
        if (p < end && *p == '"') {
            const char* q = string(fi, p, end);
            name.assign(p + 1, static_cast<std::size_t>(q - p - 2));  // paths keep backslashes
            p = q;
        } else if (p < end && *p != '/') {
            const char* q = detail::scanWord(p);
            name.assign(p, static_cast<std::size_t>(q - p));
            p = q;
        } else {
            fail(fi, w, "expected a file name after /include, found " + quoteToken(p, end));
        }
        const fs::path dir = d_.files[fi]->dir;
        auto found = resolve(dir, name);
        if (!found) {
            std::error_code aec;
            fs::path where =
                fs::absolute(dir.empty() ? fs::path(".") : dir, aec).lexically_normal();
            fail(fi, w,
                 "included file \"" + name + "\" not found (looked in \"" +
                     detail::pathText(where) + "\")");
        }
        if (includeDepth + 1 > opt_.maxIncludeDepth) {
            fail(fi, w,
                 "includes nested deeper than " + std::to_string(opt_.maxIncludeDepth) + " levels");
        }
        std::error_code ec;
        fs::path canonical = fs::weakly_canonical(fs::absolute(*found, ec), ec);
        for (const auto& open : includeStack_) {
            if (open == canonical) {
                std::string chain;
                for (const auto& s : includeStack_) {
                    chain += detail::pathText(s.filename()) + " -> ";
                }
                chain += detail::pathText(canonical.filename());
                fail(fi, w, "include cycle: " + chain);
            }
        }
        // A file included again shares the bytes read the first time; its text is parsed
        // again, so it counts again against the cap on included bytes.
        auto seen = loaded_.find(canonical);
        std::uint16_t ni =
            seen != loaded_.end()
                ? shareFile(seen->second, fi, w)
                : loadFile(*found, detail::pathText(found->lexically_normal()), fi, w);
        loaded_.emplace(canonical, ni);
        const FileData& nf = *d_.files[ni];
        includedBytes_ += nf.size;
        if (includedBytes_ > opt_.maxIncludedBytes) {
            fail(fi, w,
                 "the /include files add up to more than " + std::to_string(opt_.maxIncludedBytes) +
                     " bytes (a file included again counts again)");
        }
        BlockRec rec;
        rec.kwOff = static_cast<std::uint32_t>(w - base);
        rec.flags = detail::kIncludeFlag;
        rec.file = ni;
        rec.bodyBegin = nf.begin;
        rec.bodyEnd = nf.size;
        rec.after = static_cast<std::uint32_t>(p - base);
        rec.parent = realParent(stack.back().rec);
        std::uint32_t id = addChild(stack, rec);
        includeStack_.push_back(canonical);
        parseFile(ni, id, includeDepth + 1);
        includeStack_.pop_back();
    }

    std::string objectLabel(const Open& open) const {
        std::string label(d_.keyword(open.rec));
        std::string_view name = open.name;
        if (d_.blocks[open.rec].kind == BlockKind::AxisDescr) {
            const std::uint32_t owner = d_.blocks[open.rec].parent;
            if (cancel_ != nullptr && owner == 0) {
                throw Abandoned{};  // owned by the module this reader does not know the name of
            }
            name = d_.nameOf(owner);  // messages name the owner
        }
        if (!name.empty()) {
            label += " ";
            label += name;
        }
        return label;
    }

    // One fixed parameter of an object: its kind, and the references to check later.
    void checkParam(std::uint16_t fi, Open& open, const char* at, std::uint32_t len,
                    bool isString) {
        const Schema& schema = *open.schema;
        char want = schema.kinds[open.index];
        if (want == '\0') {
            open.schema = nullptr;  // all fixed parameters seen
            return;
        }
        std::string_view text(isString ? at + 1 : at, isString ? len - 2 : len);
        int index = static_cast<int>(open.index++);
        bool ok;
        const char* expected;
        switch (want) {
            case 'S':
                ok = isString;
                expected = "a string";
                break;
            case 'I':
                ok = !isString && !detail::looksNumeric(text);
                expected = "an identifier";
                break;
            case 'U': {
                std::uint64_t u;
                std::int64_t i;
                ok = !isString && detail::looksNumeric(text) &&
                     (detail::parseUInt64(text, u) || detail::parseInt64(text, i));
                expected = "an unsigned integer";
                break;
            }
            default: {
                double v;
                ok = !isString && detail::looksNumeric(text) && detail::parseDouble(text, v);
                expected = "a number";
                break;
            }
        }
        if (index == 0) {
            open.name = text;
        }
        const auto offset = static_cast<std::uint32_t>(at - d_.files[fi]->data.get());
        if (!ok) {
            const char* found = isString                     ? "string"
                                : detail::looksNumeric(text) ? "number"
                                                             : "identifier";
            d_.warn(fi, offset,
                    objectLabel(open) + ": expected " + expected + " for " + schema.names[index] +
                        ", found " + found + " \"" + std::string(text) + "\"");
        } else if (index == schema.datatype && dataTypeFromString(text) == DataType::Unknown) {
            d_.warn(fi, offset,
                    objectLabel(open) + ": unknown datatype \"" + std::string(text) + "\"");
        }
        if (index == schema.conversion && !isString && text != "NO_COMPU_METHOD") {
            conversions_.push_back({open.rec, fi, offset, len});
        }
        if (schema.kinds[open.index] == '\0') {
            open.schema = nullptr;
        }
    }

    // The block ends (or a child begins) before all fixed parameters were given.
    void missingParams(std::uint16_t fi, Open& open, const char* at) {
        const auto offset = static_cast<std::uint32_t>(at - d_.files[fi]->data.get());
        for (; open.schema->kinds[open.index] != '\0'; ++open.index) {
            d_.warn(fi, offset, objectLabel(open) + ": missing " + open.schema->names[open.index]);
        }
        open.schema = nullptr;
    }

public:
    void setQuickChecks(bool on) { quickChecks_ = on; }
    unsigned threads() const { return threads_; }

    // References to COMPU_METHODs noted while reading, checked now that all are known.
    void checkConversions() {
        for (const auto& ref : conversions_) {
            std::string_view name(d_.files[ref.file]->ptr(ref.offset), ref.len);
            if (d_.findName(BlockKind::CompuMethod, name) != kNone) {
                continue;
            }
            const BlockRec& b = d_.blocks[ref.block];
            std::string_view owner =
                b.kind == BlockKind::AxisDescr ? d_.nameOf(b.parent) : d_.nameOf(ref.block);
            d_.warn(b.file, b.kwOff,
                    std::string(d_.keyword(ref.block)) + " " + std::string(owner) +
                        ": reference to undefined COMPU_METHOD \"" + std::string(name) + "\"");
        }
        conversions_.clear();
    }

private:
    // Names are noted while reading and indexed afterwards, in the order of their home
    // slots: inserting while the file streams through the cache cost a cache and TLB miss
    // per name, sorted insertion touches the table almost sequentially.
    void setName(std::uint32_t id, std::string_view name, std::uint16_t fi, const char* at) {
        names_.push_back({detail::NameIndex::hash(name), id,
                          static_cast<std::uint32_t>(at - d_.files[fi]->data.get()),
                          static_cast<std::uint32_t>(name.size()), fi,
                          static_cast<std::uint8_t>(d_.blocks[id].kind)});
    }

public:
    void buildNameIndex() {
        constexpr auto kKinds = static_cast<std::size_t>(BlockKind::Count_);
        // setName() comes right after the block's keyword, before any other block begins.
        assert(
            std::is_sorted(names_.begin(), names_.end(),
                           [](const PendingName& a, const PendingName& b) { return a.id < b.id; }));
        std::array<std::size_t, kKinds + 1> start{};  // names of the kinds before k
        for (const auto& n : names_) {
            ++start[n.kind + 1];
        }
        for (std::size_t k = 0; k < kKinds; ++k) {
            start[k + 1] += start[k];
        }
        // Each kind has a table of its own: the kinds of a file that two threads read are
        // indexed in two groups side by side. Duplicates are reported after.
        std::array<std::vector<Duplicate>, kKinds> duplicates;
        std::size_t split = kKinds;  // the first kind of the second group
        if (threads_ > 1) {
            std::size_t best = names_.size();
            for (std::size_t k = 1; k < kKinds; ++k) {
                const std::size_t larger = std::max(start[k], names_.size() - start[k]);
                if (larger < best) {
                    best = larger;
                    split = k;
                }
            }
        }
        std::thread other;
        std::exception_ptr otherFailed;
        if (split < kKinds) {
            try {
                other = std::thread([&] {
                    try {
                        indexKinds(split, kKinds, start, duplicates);
                    } catch (...) {
                        otherFailed = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {
                split = kKinds;  // no thread to be had: one pass
            }
        }
        try {
            indexKinds(0, split, start, duplicates);
        } catch (...) {
            if (other.joinable()) {
                other.join();
            }
            throw;
        }
        if (other.joinable()) {
            other.join();
        }
        if (otherFailed) {
            std::rethrow_exception(otherFailed);
        }
        // The index meets duplicates in the order of its slots; they are reported in the order
        // of the file (names_ is in block order).
        std::vector<Duplicate> all;
        for (const auto& ofKind : duplicates) {
            all.insert(all.end(), ofKind.begin(), ofKind.end());
        }
        std::sort(all.begin(), all.end(),
                  [](const Duplicate& a, const Duplicate& b) { return a.name < b.name; });
        for (const Duplicate& dup : all) {
            const PendingName& n = names_[dup.name];
            std::string_view name(d_.files[n.file]->ptr(n.offset), n.len);
            const BlockRec& rec = d_.blocks[dup.first];
            SourceLocation loc = d_.locate(rec.file, rec.kwOff);
            d_.warn(n.file, n.offset,
                    "duplicate " + std::string(d_.keyword(n.id)) + " \"" + std::string(name) +
                        "\" (first defined at " + loc.file + ":" + std::to_string(loc.line) +
                        "); the first one is used");
        }
        names_.clear();
        names_.shrink_to_fit();
    }

private:
    struct Duplicate {
        std::uint32_t name;   // in names_
        std::uint32_t first;  // the block the index keeps
    };

    // Indexes the names of the kinds [from, to), whose positions in kind order start at
    // start[from]; touches only those kinds' tables and duplicates.
    void indexKinds(
        std::size_t from, std::size_t to,
        const std::array<std::size_t, static_cast<std::size_t>(BlockKind::Count_) + 1>& start,
        std::array<std::vector<Duplicate>, static_cast<std::size_t>(BlockKind::Count_)>&
            duplicates) {
        if (start[from] == start[to]) {
            return;
        }
        for (std::size_t k = from; k < to; ++k) {
            d_.byName[k].reserve(start[k + 1] - start[k]);
        }
        // The names ordered by kind, then home slot, then block id: a counting sort, as the
        // homes are bounded by the table sizes. Names arrive in the order of their blocks, so
        // the sort, being stable, keeps equal homes in the order of their ids: the first of
        // two blocks of one name is the one the index keeps.
        std::vector<std::size_t> base(to - from + 1, 0);
        for (std::size_t k = from; k < to; ++k) {
            base[k - from + 1] = base[k - from] + d_.byName[k].slotCount();
        }
        std::vector<std::uint32_t> next(base.back() + 1, 0);
        std::vector<std::uint32_t> homes(names_.size());
        for (std::uint32_t i = 0; i < names_.size(); ++i) {
            const PendingName& n = names_[i];
            if (n.kind >= from && n.kind < to) {
                homes[i] = static_cast<std::uint32_t>(base[n.kind - from] +
                                                      d_.byName[n.kind].home(n.hash));
                ++next[homes[i] + 1];
            }
        }
        for (std::size_t s = 1; s < next.size(); ++s) {
            next[s] += next[s - 1];
        }
        std::vector<std::uint32_t> order(start[to] - start[from]);
        for (std::uint32_t i = 0; i < names_.size(); ++i) {
            const PendingName& n = names_[i];
            if (n.kind >= from && n.kind < to) {
                order[next[homes[i]]++] = i;
            }
        }
        for (std::uint32_t i : order) {
            const PendingName& n = names_[i];
            std::string_view name(d_.files[n.file]->ptr(n.offset), n.len);
            std::uint32_t first = d_.byName[n.kind].insert(
                n.hash, n.id, [&](std::uint32_t other) { return d_.nameOf(other) == name; });
            if (first != kNone) {
                duplicates[n.kind].push_back({i, first});
            }
        }
    }

    struct PendingName {
        std::uint64_t hash;
        std::uint32_t id;
        std::uint32_t offset;
        std::uint32_t len;
        std::uint16_t file;
        std::uint8_t kind;
    };
    std::vector<PendingName> names_;

    Document::Impl& d_;
    // With releaseParsedText, parsed text is given back in steps of this size.
    static constexpr std::ptrdiff_t kReleaseStep = std::ptrdiff_t{4} << 20;
    const ReadOptions& opt_;
    std::vector<fs::path> includeStack_;        // canonical paths of the files being read
    std::map<fs::path, std::uint16_t> loaded_;  // canonical path -> first entry of an include
    std::uint64_t includedBytes_ = 0;           // bytes of /include files parsed so far
    std::uint32_t nesting_ = 0;
    std::uint32_t ifDataDepth_ = 0;
    bool quickChecks_ = false;
    std::vector<ConversionRef> conversions_;

    // Reading the second half on another thread (startSecondHalf).
    std::unique_ptr<Document::Impl> half_;
    std::unique_ptr<Reader> halfReader_;
    std::thread halfThread_;
    std::atomic<bool> stopHalf_{false};
    const char* joinAt_ = nullptr;  // where the other began, until this thread gets there
    unsigned threads_ = 1;          // 2 once the other's work is taken over
    // In the reader of the second half: the flag that stops it, and where it stopped
    // (nullptr: it gave up).
    const std::atomic<bool>* cancel_ = nullptr;
    const char* stoppedAt_ = nullptr;
};

ReadResult finish(std::unique_ptr<Document::Impl> impl, Reader& reader,
                  const ReadOptions& options) {
    ReadResult result;
    const bool quick = options.validate && !options.validateDeep;
    reader.setQuickChecks(quick);
    try {
        reader.parseRoot();
        reader.buildNameIndex();
        if (quick) {
            reader.checkConversions();
        }
    } catch (const ReadFailure& failure) {
        result.error = failure.diagnostic;
        result.warnings = std::move(impl->warnings);
        result.suppressedWarnings = impl->suppressed;
        return result;
    }
    auto* raw = impl.get();
    auto doc = std::make_shared<Document>(std::move(impl));
    if (options.validate) {
        detail::validateDocument(*doc, *raw, options.validateDeep);
    }
    result.warnings = raw->warnings;
    result.suppressedWarnings = raw->suppressed;
    result.threads = reader.threads();
    result.document = std::move(doc);
    return result;
}

}  // namespace

ReadResult readFile(const std::filesystem::path& path, const ReadOptions& options) {
    auto impl = std::make_unique<Document::Impl>();
    impl->maxWarnings = options.maxWarnings;
    Reader reader(*impl, options);
    try {
        reader.loadFile(path, detail::pathText(path), 0xFFFF, nullptr);
    } catch (const ReadFailure& failure) {
        ReadResult result;
        result.error = failure.diagnostic;
        result.error->location.file = detail::pathText(path);
        return result;
    }
    return finish(std::move(impl), reader, options);
}

ReadResult readText(std::string_view text, const std::string& name, const ReadOptions& options) {
    auto impl = std::make_unique<Document::Impl>();
    impl->maxWarnings = options.maxWarnings;
    Reader reader(*impl, options);
    try {
        if (text.size() > kMaxFileSize) {
            reader.fail(0xFFFF, nullptr, "text larger than 4 GiB");
        }
        reader.addFile(detail::bytesOf(text), name, fs::path(name).parent_path(), 0xFFFF, nullptr);
    } catch (const ReadFailure& failure) {
        ReadResult result;
        result.error = failure.diagnostic;
        result.error->location.file = name;
        return result;
    }
    return finish(std::move(impl), reader, options);
}

}  // namespace a2l

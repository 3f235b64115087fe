// Reading A2L files: a2l::readFile gives a Document (the block tree plus typed views) or a
// structured error. Warnings (things the reader tolerated) are listed either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "a2l/block.h"
#include "a2l/diagnostic.h"
#include "a2l/model.h"

namespace a2l {

// How the bytes of a source file were taken. Without a byte-order mark the structure is
// read as bytes and each text is decoded as UTF-8 when valid, else as Windows-1252.
enum class Encoding : std::uint8_t { Bytes, Utf8Bom, Utf16LE, Utf16BE, Utf32LE, Utf32BE };
std::string_view toString(Encoding encoding);

struct ReadOptions {
    // Deepest /begin nesting accepted (real files stay below 10; the cap keeps hostile input
    // from exhausting memory or the stack).
    std::uint32_t maxNesting = 256;
    // Deepest chain of /include accepted.
    std::uint32_t maxIncludeDepth = 32;
    // Report parameters of the wrong kind and references to undefined COMPU_METHODs (and
    // COMPU_TAB_REFs to undefined tables) as warnings. Off: only the structure is checked.
    bool validate = true;
    // With validate: the reading pass checks the fixed parameters of MEASUREMENT,
    // CHARACTERISTIC, AXIS_PTS and AXIS_DESCR and their COMPU_METHOD references, and the
    // conversions and tables are decoded. validateDeep also decodes every one of those
    // objects with all optional keywords (ECU_ADDRESS, BYTE_ORDER, ...) while reading, which
    // costs a second pass over them; without it such problems are reported when an object is
    // decoded (the `warnings` argument of Document::measurement and the like).
    bool validateDeep = false;
    // Warnings kept beyond this are only counted (Document::suppressedWarnings()).
    std::size_t maxWarnings = 1000;
    // Off: an /include directive is an error (for untrusted input that must not reach
    // other files).
    bool followIncludes = true;
    // Folders searched for /include files after the folder of the including file.
    std::vector<std::filesystem::path> includePaths;
    // Bytes of /include files parsed in all, a file included again counting again (its text
    // is parsed again); beyond it the read fails. Caps the work and memory a few small files
    // that include each other many times could demand.
    std::uint64_t maxIncludedBytes = std::uint64_t{1} << 30;
    // For a caller that then decodes the objects front to back (and calls
    // Document::releaseTextBefore as it goes): a mapped file gives the pages it has parsed back
    // to the system while it reads, so the text and the block tree need not be resident
    // together. Touched again, the pages are read from the file; nothing else changes.
    bool releaseParsedText = false;
    // A main file larger than this many bytes is read on two threads, from its start and from
    // an object in its middle; the document is the same as from one thread. 0: one thread.
    std::uint64_t parallelAbove = 0;
};

struct SourceFile {
    std::string path;  // as opened (the main file as given, includes resolved)
    Encoding encoding = Encoding::Bytes;
    std::uint64_t size = 0;  // bytes after decoding a UTF-16/32 file to UTF-8
};

class Document {
public:
    struct Impl;
    explicit Document(std::unique_ptr<Impl> impl);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // ---- sources, diagnostics --------------------------------------------------------
    const std::vector<SourceFile>& files() const;  // [0] is the main file
    Encoding encoding() const { return files().front().encoding; }
    const std::vector<Diagnostic>& warnings() const;
    std::size_t suppressedWarnings() const;
    // Keywords of blocks outside IF_DATA and A2ML that the reader does not know, with counts.
    const std::map<std::string, std::size_t, std::less<>>& unknownKeywords() const;
    std::optional<std::pair<int, int>> asap2Version() const;  // ASAP2_VERSION major minor
    SourceLocation locate(std::uint16_t fileIndex, std::uint32_t offset) const;
    // A hint for reading a large document front to back: the text of `block`'s file before
    // the block is not needed again soon. A mapped file gives those pages back to the system
    // (fewer resident bytes); touched again, they are read from the file. Nothing a reader of
    // the document sees changes.
    void releaseTextBefore(BlockRef block) const;

    // ---- the block tree ----------------------------------------------------------------
    BlockRef root() const;  // the top level of the main file
    std::size_t blockCount() const;
    // Blocks of a kind in file order. For the object kinds (MEASUREMENT, COMPU_METHOD, ...)
    // only the objects of a MODULE (or of a file's top level); AXIS_DESCR, IF_DATA,
    // MEMORY_SEGMENT etc. everywhere.
    std::vector<BlockRef> blocks(BlockKind kind) const;
    std::size_t count(BlockKind kind) const;
    // Object by name (hash lookup) for the named kinds; invalid when absent.
    BlockRef find(BlockKind kind, std::string_view name) const;

    // ---- typed views -------------------------------------------------------------------
    std::optional<Project> project() const;
    std::optional<Header> header() const;
    std::vector<Module> modules() const;
    std::optional<ModCommon> modCommon() const;  // of the first MODULE that has one
    std::optional<ModPar> modPar() const;        // of the first MODULE that has one

    // Every object of a type in file order, and one by name (hash lookup; nullopt when
    // absent). T is any type with an ObjectKind below: all<Measurement>(),
    // find<CompuMethod>("CM_Speed"), ...
    template <typename T>
    std::vector<T> all() const;
    template <typename T>
    std::optional<T> find(std::string_view name) const;

    // One object from its block (decoding problems go to `warnings` when given).
    // measurement() decodes TYPEDEF_MEASUREMENT blocks as well.
    Measurement measurement(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    Characteristic characteristic(BlockRef block,
                                  std::vector<Diagnostic>* warnings = nullptr) const;
    AxisPts axisPts(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    CompuMethod compuMethod(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    CompuTab compuTab(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    CompuVtab compuVtab(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    CompuVtabRange compuVtabRange(BlockRef block,
                                  std::vector<Diagnostic>* warnings = nullptr) const;
    RecordLayout recordLayout(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    Unit unit(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    Group group(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    Function function(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;
    TypedefStructure typedefStructure(BlockRef block,
                                      std::vector<Diagnostic>* warnings = nullptr) const;
    Instance instance(BlockRef block, std::vector<Diagnostic>* warnings = nullptr) const;

    // IF_DATA XCP / ASAP1B_CCP blocks at MODULE level (and their transport layers).
    std::vector<XcpInfo> xcp() const;
    std::vector<CcpInfo> ccp() const;
    XcpInfo xcpInfo(BlockRef ifDataBlock) const;
    CcpInfo ccpInfo(BlockRef ifDataBlock) const;
    // All DAQ events of the module-level IF_DATA XCP blocks, in file order.
    std::vector<XcpEvent> xcpEvents() const;
    // DAQ event binding decoded from a list of IF_DATA blocks (a measurement's, say).
    DaqEventBinding daqEvents(const std::vector<BlockRef>& ifData) const;
    // The addresses in the KP_BLOBs of a list of IF_DATA blocks, one per KP_BLOB that gives
    // one. Which parameter of a KP_BLOB is the address comes from the file's A2ML where it
    // declares the interface's KP_BLOB (its first ulong); without a declaration it is the
    // second parameter for ASAP1B_CCP (address extension, address, size) and the first for
    // every other interface (ETK, ASAP1B_KWP2000, DIM: address, location or size, ...).
    std::vector<IfDataAddress> ifDataAddresses(const std::vector<BlockRef>& ifData) const;

    const Impl& impl() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// The block kind of each decoded object type and the Document member that decodes it.
template <typename T>
struct ObjectKind;

namespace detail {
template <BlockKind K, auto Decode>
struct Decodes {
    static constexpr BlockKind kind = K;
    static constexpr auto decode = Decode;
};
}  // namespace detail

// clang-format off
template <> struct ObjectKind<Measurement> : detail::Decodes<BlockKind::Measurement, &Document::measurement> {};
template <> struct ObjectKind<Characteristic> : detail::Decodes<BlockKind::Characteristic, &Document::characteristic> {};
template <> struct ObjectKind<AxisPts> : detail::Decodes<BlockKind::AxisPts, &Document::axisPts> {};
template <> struct ObjectKind<CompuMethod> : detail::Decodes<BlockKind::CompuMethod, &Document::compuMethod> {};
template <> struct ObjectKind<CompuTab> : detail::Decodes<BlockKind::CompuTab, &Document::compuTab> {};
template <> struct ObjectKind<CompuVtab> : detail::Decodes<BlockKind::CompuVtab, &Document::compuVtab> {};
template <> struct ObjectKind<CompuVtabRange> : detail::Decodes<BlockKind::CompuVtabRange, &Document::compuVtabRange> {};
template <> struct ObjectKind<RecordLayout> : detail::Decodes<BlockKind::RecordLayout, &Document::recordLayout> {};
template <> struct ObjectKind<Unit> : detail::Decodes<BlockKind::Unit, &Document::unit> {};
template <> struct ObjectKind<Group> : detail::Decodes<BlockKind::Group, &Document::group> {};
template <> struct ObjectKind<Function> : detail::Decodes<BlockKind::Function, &Document::function> {};
template <> struct ObjectKind<TypedefStructure> : detail::Decodes<BlockKind::TypedefStructure, &Document::typedefStructure> {};
template <> struct ObjectKind<Instance> : detail::Decodes<BlockKind::Instance, &Document::instance> {};
// clang-format on

template <typename T>
std::vector<T> Document::all() const {
    std::vector<T> out;
    std::vector<BlockRef> found = blocks(ObjectKind<T>::kind);
    out.reserve(found.size());
    for (const BlockRef& b : found) {
        out.push_back((this->*ObjectKind<T>::decode)(b, nullptr));
    }
    return out;
}

template <typename T>
std::optional<T> Document::find(std::string_view name) const {
    BlockRef b = find(ObjectKind<T>::kind, name);
    if (!b) {
        return std::nullopt;
    }
    return (this->*ObjectKind<T>::decode)(b, nullptr);
}

struct ReadResult {
    std::shared_ptr<const Document> document;  // null when the read failed
    std::optional<Diagnostic> error;           // set when the read failed
    std::vector<Diagnostic> warnings;          // tolerated problems (also when it failed)
    std::size_t suppressedWarnings = 0;
    // Threads that read the main file: 2 when a second one read its second half (see
    // ReadOptions::parallelAbove) and its work was used, else 1.
    unsigned threads = 1;

    bool ok() const { return document != nullptr; }
};

// Reads an A2L file and everything it includes.
ReadResult readFile(const std::filesystem::path& path, const ReadOptions& options = {});
// Reads A2L text held in memory; `name` stands for the file in messages, and relative
// /include paths are taken relative to its folder.
ReadResult readText(std::string_view text, const std::string& name = "<memory>",
                    const ReadOptions& options = {});

// From A2ML text: for each interface whose KP_BLOB struct is declared, the index of the
// parameter that holds the address (its first ulong). Interfaces whose KP_BLOB has no ulong
// are absent.
std::map<std::string, std::size_t, std::less<>> kpBlobAddressFields(std::string_view a2ml);

}  // namespace a2l

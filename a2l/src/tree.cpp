// The block tree: cursor over a block's items, BlockRef / Item accessors and the
// Document's generic queries.
#include "impl.h"

namespace a2l {

using detail::BlockRec;
using detail::kNone;

SourceLocation Document::Impl::locate(std::uint16_t file, std::uint32_t offset) const {
    SourceLocation loc;
    if (file >= files.size()) {
        return loc;
    }
    const auto& f = *files[file];
    loc.file = f.path;
    auto [line, column] = f.lineColumn(offset);
    loc.line = line;
    loc.column = column;
    return loc;
}

std::string_view Document::Impl::nameOf(std::uint32_t id) const {
    const BlockRec& b = blocks[id];
    const detail::FileData& f = *files[b.file];
    const char* end = f.ptr(f.size);
    const char* commentStart = nullptr;
    const char* p = detail::skipTrivia(f.ptr(b.bodyBegin), end, &commentStart);
    if (p == nullptr || p >= end || *p == '"' || *p == '/') {
        return {};
    }
    const char* q = detail::scanWord(p);
    return {p, static_cast<std::size_t>(q - p)};
}

std::uint32_t Document::Impl::findName(BlockKind kind, std::string_view name) const {
    return byName[static_cast<std::size_t>(kind)].find(
        detail::NameIndex::hash(name), [&](std::uint32_t id) { return nameOf(id) == name; });
}

void Document::Impl::warn(std::uint16_t file, std::uint32_t offset, std::string message) {
    if (warnings.size() >= maxWarnings) {
        ++suppressed;
        return;
    }
    warnings.push_back({Severity::Warning, locate(file, offset), std::move(message)});
}

void Document::Impl::warn(Diagnostic diagnostic) {
    if (warnings.size() >= maxWarnings) {
        ++suppressed;
        return;
    }
    warnings.push_back(std::move(diagnostic));
}

namespace detail {

Cursor::Cursor(const Document::Impl& doc, std::uint32_t block) : doc_(doc) {
    const BlockRec& b = doc.blocks[block];
    if ((b.flags & kRawFlag) != 0) {
        return;  // A2ML: raw text only
    }
    const FileData& f = *doc.files[b.file];
    frames_.push_back({b.file, f.ptr(b.bodyBegin), f.ptr(b.bodyEnd), b.firstChild});
}

bool Cursor::next(RawTok& tok) {
    while (!frames_.empty()) {
        Frame& fr = frames_.back();
        const FileData& f = *doc_.files[fr.file];
        const char* commentStart = nullptr;
        const char* p = skipTrivia(fr.p, fr.end, &commentStart);
        if (p == nullptr || p >= fr.end) {
            frames_.pop_back();
            continue;
        }
        tok.file = fr.file;
        if (*p == '"') {
            const char* bad = nullptr;
            const char* q = scanString(p, f.ptr(f.size), &bad);
            if (q == nullptr) {  // checked while reading; only a guard
                frames_.pop_back();
                continue;
            }
            tok.kind = Item::Kind::String;
            tok.p = p + 1;
            tok.len = static_cast<std::uint32_t>(q - p - 2);
            fr.p = q;
            return true;
        }
        const char* w = p;
        p = scanWord(p);
        std::string_view word(w, static_cast<std::size_t>(p - w));
        if (*w == '/' && word.size() >= 6) {
            if (equalsNoCase(word, "/begin")) {
                std::uint32_t child = fr.nextChild;
                if (child == kNone) {
                    frames_.pop_back();
                    continue;
                }
                const BlockRec& c = doc_.blocks[child];
                fr.nextChild = c.nextSibling;
                fr.p = f.ptr(c.after);
                tok.kind = Item::Kind::Block;
                tok.block = child;
                tok.p = w;
                tok.len = static_cast<std::uint32_t>(word.size());
                return true;
            }
            if (equalsNoCase(word, "/include")) {
                std::uint32_t inc = fr.nextChild;
                if (inc == kNone) {
                    frames_.pop_back();
                    continue;
                }
                const BlockRec& c = doc_.blocks[inc];
                fr.nextChild = c.nextSibling;
                fr.p = f.ptr(c.after);
                const FileData& nf = *doc_.files[c.file];
                frames_.push_back({c.file, nf.ptr(c.bodyBegin), nf.ptr(c.bodyEnd), c.firstChild});
                continue;
            }
        }
        tok.kind = looksNumeric(word) ? Item::Kind::Number : Item::Kind::Identifier;
        tok.p = w;
        tok.len = static_cast<std::uint32_t>(word.size());
        tok.block = kNone;
        fr.p = p;
        return true;
    }
    return false;
}

namespace {

void collectChildren(const Document::Impl& d, std::uint32_t id, std::vector<std::uint32_t>& out) {
    for (std::uint32_t c = d.blocks[id].firstChild; c != kNone; c = d.blocks[c].nextSibling) {
        if ((d.blocks[c].flags & kIncludeFlag) != 0) {
            collectChildren(d, c, out);
        } else {
            out.push_back(c);
        }
    }
}

}  // namespace

std::vector<std::uint32_t> childIds(const Document::Impl& d, std::uint32_t id) {
    std::vector<std::uint32_t> out;
    collectChildren(d, id, out);
    return out;
}

Item makeItem(const Document* doc, const RawTok& tok) {
    Item item;
    item.kind = tok.kind;
    item.doc = doc;
    item.fileIndex = tok.file;
    item.offset = static_cast<std::uint32_t>(tok.p - doc->impl().files[tok.file]->data.get() -
                                             (tok.kind == Item::Kind::String ? 1 : 0));
    if (tok.kind == Item::Kind::Block) {
        item.block = BlockRef(doc, tok.block);
        item.text = std::string(doc->impl().keyword(tok.block));
    } else {
        item.text = tokenText(tok);
    }
    return item;
}

}  // namespace detail

// ---- BlockRef ----------------------------------------------------------------------------

std::string_view BlockRef::keyword() const {
    if (doc_ == nullptr) {
        return {};
    }
    return doc_->impl().keyword(id_);
}

BlockKind BlockRef::kind() const {
    return doc_ == nullptr ? BlockKind::Other : doc_->impl().blocks[id_].kind;
}

std::string_view BlockRef::name() const {
    if (doc_ == nullptr) {
        return {};
    }
    detail::Cursor cursor(doc_->impl(), id_);
    detail::RawTok tok;
    if (cursor.next(tok) && tok.kind == Item::Kind::Identifier) {
        return tok.view();
    }
    return {};
}

SourceLocation BlockRef::location() const {
    if (doc_ == nullptr) {
        return {};
    }
    const auto& d = doc_->impl();
    const BlockRec& b = d.blocks[id_];
    if (b.kind == BlockKind::Root) {
        return {d.files[0]->path, 1, 1};
    }
    return d.locate(b.file, b.kwOff);
}

std::uint16_t BlockRef::fileIndex() const {
    return doc_ == nullptr ? 0 : doc_->impl().blocks[id_].file;
}

std::uint32_t BlockRef::line() const {
    return location().line;
}

BlockRef BlockRef::parent() const {
    if (doc_ == nullptr) {
        return {};
    }
    std::uint32_t p = doc_->impl().blocks[id_].parent;
    return p == kNone ? BlockRef() : BlockRef(doc_, p);
}

std::vector<BlockRef> BlockRef::children() const {
    std::vector<BlockRef> out;
    if (doc_ == nullptr) {
        return out;
    }
    for (std::uint32_t c : detail::childIds(doc_->impl(), id_)) {
        out.emplace_back(doc_, c);
    }
    return out;
}

std::vector<BlockRef> BlockRef::children(std::string_view keyword) const {
    std::vector<BlockRef> out;
    if (doc_ == nullptr) {
        return out;
    }
    for (std::uint32_t c : detail::childIds(doc_->impl(), id_)) {
        if (doc_->impl().keyword(c) == keyword) {
            out.emplace_back(doc_, c);
        }
    }
    return out;
}

BlockRef BlockRef::child(std::string_view keyword) const {
    if (doc_ == nullptr) {
        return {};
    }
    for (std::uint32_t c : detail::childIds(doc_->impl(), id_)) {
        if (doc_->impl().keyword(c) == keyword) {
            return {doc_, c};
        }
    }
    return {};
}

std::vector<Item> BlockRef::items() const {
    std::vector<Item> out;
    if (doc_ == nullptr) {
        return out;
    }
    detail::Cursor cursor(doc_->impl(), id_);
    detail::RawTok tok;
    while (cursor.next(tok)) {
        out.push_back(detail::makeItem(doc_, tok));
    }
    return out;
}

std::vector<Item> BlockRef::params() const {
    std::vector<Item> out;
    if (doc_ == nullptr) {
        return out;
    }
    detail::Cursor cursor(doc_->impl(), id_);
    detail::RawTok tok;
    while (cursor.next(tok)) {
        if (tok.kind != Item::Kind::Block) {
            out.push_back(detail::makeItem(doc_, tok));
        }
    }
    return out;
}

std::string_view BlockRef::rawText() const {
    if (doc_ == nullptr) {
        return {};
    }
    const auto& d = doc_->impl();
    const BlockRec& b = d.blocks[id_];
    return d.files[b.file]->text().substr(b.bodyBegin, b.bodyEnd - b.bodyBegin);
}

// ---- Item --------------------------------------------------------------------------------

SourceLocation Item::location() const {
    return doc == nullptr ? SourceLocation{} : doc->locate(fileIndex, offset);
}

std::optional<double> Item::toDouble() const {
    double v;
    if (kind == Kind::Number && detail::parseDouble(text, v)) {
        return v;
    }
    return std::nullopt;
}

std::optional<std::int64_t> Item::toInt() const {
    std::int64_t v;
    if (kind == Kind::Number && detail::parseInt64(text, v)) {
        return v;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> Item::toUInt() const {
    std::uint64_t v;
    if (kind == Kind::Number && detail::parseUInt64(text, v)) {
        return v;
    }
    return std::nullopt;
}

// ---- Document: generic part --------------------------------------------------------------

Document::Document(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Document::~Document() = default;

const std::vector<SourceFile>& Document::files() const {
    return impl_->publicFiles;
}
const std::vector<Diagnostic>& Document::warnings() const {
    return impl_->warnings;
}
std::size_t Document::suppressedWarnings() const {
    return impl_->suppressed;
}
const std::map<std::string, std::size_t, std::less<>>& Document::unknownKeywords() const {
    return impl_->unknown;
}
std::optional<std::pair<int, int>> Document::asap2Version() const {
    return impl_->version;
}

SourceLocation Document::locate(std::uint16_t fileIndex, std::uint32_t offset) const {
    return impl_->locate(fileIndex, offset);
}

void Document::releaseTextBefore(BlockRef block) const {
    if (block.document() != this || block.id() >= impl_->blocks.size()) {
        return;
    }
    const auto& b = impl_->blocks[block.id()];
    if (b.flags & detail::kIncludeFlag) {
        return;
    }
    impl_->files[b.file]->data.releaseBefore(b.kwOff);
}

BlockRef Document::root() const {
    return {this, 0};
}

std::size_t Document::blockCount() const {
    std::size_t n = 0;
    for (const auto& b : impl_->blocks) {
        if ((b.flags & detail::kIncludeFlag) == 0 && b.kind != BlockKind::Root) {
            ++n;
        }
    }
    return n;
}

std::vector<BlockRef> Document::blocks(BlockKind kind) const {
    std::vector<BlockRef> out;
    const auto& ids = impl_->byKind[static_cast<std::size_t>(kind)];
    out.reserve(ids.size());
    for (std::uint32_t id : ids) {
        out.emplace_back(this, id);
    }
    return out;
}

std::size_t Document::count(BlockKind kind) const {
    return impl_->byKind[static_cast<std::size_t>(kind)].size();
}

BlockRef Document::find(BlockKind kind, std::string_view name) const {
    std::uint32_t id = impl_->findName(kind, name);
    return id == kNone ? BlockRef() : BlockRef(this, id);
}

}  // namespace a2l

// Typed views of the measurement protocols: XCP and CCP at module level, and the DAQ event
// binding of an object's IF_DATA blocks.
#include <cctype>
#include <mutex>

#include "decoder.h"

namespace a2l {

using namespace decoding;

namespace {

// XCP TIME_UNIT / timestamp unit codes: 0 = 1 ns ... 9 = 1 s, 10..12 = 1, 10, 100 ps.
std::optional<double> xcpUnitSeconds(std::uint32_t code) {
    static constexpr double kUnits[13] = {1e-9, 1e-8, 1e-7, 1e-6,  1e-5,  1e-4, 1e-3,
                                          1e-2, 1e-1, 1.0,  1e-12, 1e-11, 1e-10};
    if (code < 13) {
        return kUnits[code];
    }
    return std::nullopt;
}

}  // namespace

// ---- XCP / CCP helpers --------------------------------------------------------------------

std::optional<double> XcpEvent::cycleSeconds() const {
    auto unit = xcpUnitSeconds(timeUnit);
    if (timeCycle == 0 || !unit) {
        return std::nullopt;
    }
    return timeCycle * *unit;
}

std::optional<double> XcpEvent::cycleMicroseconds() const {
    auto s = cycleSeconds();
    if (!s) {
        return std::nullopt;
    }
    return *s * 1e6;
}

std::optional<double> CcpSource::cycleSeconds() const {
    // CCP CSE codes 0..10: 1 us, 10 us, 100 us, 1 ms, 10 ms, 100 ms, 1 s, 10 s, 1 min, 1 h,
    // 1 day; 100 and up are angle or event based.
    static constexpr double kUnits[11] = {1e-6, 1e-5, 1e-4, 1e-3,   1e-2,   1e-1,
                                          1.0,  10.0, 60.0, 3600.0, 86400.0};
    if (scalingUnit > 10 || rate == 0) {
        return std::nullopt;
    }
    return rate * kUnits[scalingUnit];
}

// ---- IF_DATA --------------------------------------------------------------------------------

namespace {

void collectEvents(const Document& doc, BlockRef block, std::vector<std::uint32_t>* list,
                   DaqEventBinding& out) {
    Cursor cursor(doc.impl(), block.id());
    RawTok t;
    RawTok event;  // the last EVENT keyword
    bool expectEvent = false;
    // What stands after EVENT and is no event number of 32 bits (a larger number, a string,
    // a keyword, nothing) leaves the event unknown.
    auto unknownEvent = [&](const RawTok& at, const std::string& message) {
        const auto& impl = doc.impl();
        Diagnostic diag;
        diag.severity = Severity::Warning;
        diag.location = impl.locate(
            at.file, static_cast<std::uint32_t>(at.p - impl.files[at.file]->data.get()));
        diag.message = message;
        out.unreadable.push_back(diag.toString());
    };
    auto noNumber = [&] {
        const std::string text(t.view().substr(0, 40));
        unknownEvent(t, "DAQ event number " + (t.kind == Kind::String ? '"' + text + '"' : text) +
                            " is no event number (an unsigned integer of 32 bits)");
    };
    while (cursor.next(t)) {
        if (t.kind == Kind::Block) {
            if (expectEvent) {
                unknownEvent(event, "EVENT without its event number");
                expectEvent = false;
            }
            std::string_view k = doc.impl().keyword(t.block);
            std::vector<std::uint32_t>* sub = list;
            if (k == "FIXED_EVENT_LIST") {
                sub = &out.fixedEvents;
            } else if (k == "DEFAULT_EVENT_LIST") {
                sub = &out.defaultEvents;
            } else if (k == "AVAILABLE_EVENT_LIST") {
                sub = &out.availableEvents;
            } else {
                continue;
            }
            collectEvents(doc, BlockRef(&doc, t.block), sub, out);
            continue;
        }
        if (t.kind == Kind::Identifier) {
            if (expectEvent) {
                noNumber();
            }
            std::string_view k = t.view();
            expectEvent = k == "EVENT";
            event = t;
            if (k == "FIXED_EVENT_LIST") {
                list = &out.fixedEvents;
            } else if (k == "VARIABLE") {
                out.variable = true;
                list = &out.defaultEvents;
            }
            continue;
        }
        std::uint64_t v;
        if (expectEvent && t.kind == Kind::Number && detail::parseUInt64(t.view(), v) &&
            v <= 0xFFFFFFFFu) {
            (list != nullptr ? *list : out.fixedEvents).push_back(static_cast<std::uint32_t>(v));
        } else if (expectEvent) {
            noNumber();
        }
        expectEvent = false;
    }
    if (expectEvent) {
        unknownEvent(event, "EVENT without its event number");
    }
}

void collectRasters(const Document& doc, std::uint32_t block, std::vector<std::uint32_t>& out) {
    Cursor cursor(doc.impl(), block);
    RawTok t;
    bool expect = false;
    while (cursor.next(t)) {
        if (t.kind == Kind::Block) {
            collectRasters(doc, t.block, out);
            expect = false;
            continue;
        }
        std::uint64_t v;
        if (expect && t.kind == Kind::Number && detail::parseUInt64(t.view(), v) &&
            v <= 0xFFFFFFFFu) {
            out.push_back(static_cast<std::uint32_t>(v));
        }
        expect = t.kind == Kind::Identifier && t.view() == "RASTER";
    }
}

bool isXcpName(std::string_view n) {
    return n == "XCP" || n == "XCPplus";
}

std::uint32_t u32Of(const Item& item) {
    auto v = item.toUInt();
    return v && *v <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(*v) : 0;
}

}  // namespace

DaqEventBinding Document::daqEvents(const std::vector<BlockRef>& ifData) const {
    DaqEventBinding out;
    for (const BlockRef& b : ifData) {
        // The interface name is the first word; reading it directly saves a cursor per block
        // (this runs for every decoded measurement).
        std::string_view name = impl_->nameOf(b.id());
        if (isXcpName(name)) {
            auto visit = [&](std::uint32_t c) {
                if (impl_->keyword(c) == "DAQ_EVENT") {
                    out.fromXcp = true;
                    collectEvents(*this, BlockRef(this, c), nullptr, out);
                }
            };
            bool viaInclude = false;
            for (std::uint32_t c = impl_->blocks[b.id()].firstChild; c != kNone;
                 c = impl_->blocks[c].nextSibling) {
                viaInclude = viaInclude || (impl_->blocks[c].flags & detail::kIncludeFlag) != 0;
            }
            if (viaInclude) {  // an /include inside IF_DATA: the include-transparent walk
                for (std::uint32_t c : detail::childIds(*impl_, b.id())) {
                    visit(c);
                }
            } else {
                for (std::uint32_t c = impl_->blocks[b.id()].firstChild; c != kNone;
                     c = impl_->blocks[c].nextSibling) {
                    visit(c);
                }
            }
        } else if (name == "ASAP1B_CCP") {
            collectRasters(*this, b.id(), out.ccpRasters);
        } else if (name != "CANAPE_EXT" && name != "CANAPE") {
            collectRasters(*this, b.id(), out.rasters);
        }
    }
    return out;
}

namespace {

// A2ML as far as the KP_BLOB layouts need it: words, quoted tags and punctuation, without
// comments.
class A2mlTokens {
public:
    explicit A2mlTokens(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            char c = text[i];
            if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
                std::size_t e = text.find("*/", i + 2);
                i = e == std::string_view::npos ? text.size() : e + 2;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
                std::size_t e = text.find('\n', i);
                i = e == std::string_view::npos ? text.size() : e + 1;
            } else if (c == '"') {
                std::size_t e = text.find('"', i + 1);
                e = e == std::string_view::npos ? text.size() : e;
                tokens_.push_back({text.substr(i + 1, e - i - 1), true});
                i = e + 1;
            } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
                std::size_t e = i;
                while (e < text.size() &&
                       (std::isalnum(static_cast<unsigned char>(text[e])) || text[e] == '_')) {
                    ++e;
                }
                tokens_.push_back({text.substr(i, e - i), false});
                i = e;
            } else {
                if (static_cast<unsigned char>(c) > ' ') {
                    tokens_.push_back({text.substr(i, 1), false});
                }
                ++i;
            }
        }
    }

    struct Token {
        std::string_view text;
        bool tag;  // a quoted keyword
    };
    std::size_t size() const { return tokens_.size(); }
    const Token& operator[](std::size_t i) const { return tokens_[i]; }
    bool is(std::size_t i, std::string_view punct) const {
        return i < tokens_.size() && !tokens_[i].tag && tokens_[i].text == punct;
    }
    // The index after the brace that matches the one at `open`.
    std::size_t skipBraces(std::size_t open) const {
        int depth = 0;
        for (std::size_t i = open; i < tokens_.size(); ++i) {
            if (is(i, "{")) {
                ++depth;
            } else if (is(i, "}") && --depth == 0) {
                return i + 1;
            }
        }
        return tokens_.size();
    }

private:
    std::vector<Token> tokens_;
};

// The fixed members of the struct body that opens at `open`, as the kind of each parameter
// they take in order ("ulong", "enum", ...). Optional parts (taggedstruct, taggedunion) end the
// fixed members; a nested struct contributes its members.
void structMembers(const A2mlTokens& tok, std::size_t open, std::vector<std::string_view>& out,
                   int depth = 0) {
    std::size_t i = open + 1;
    while (i < tok.size() && !tok.is(i, "}") && depth < 8) {
        std::string_view type = tok[i].text;
        if (type == "taggedstruct" || type == "taggedunion") {
            return;
        }
        if (type == "struct") {
            std::size_t j = i + 1;
            if (j < tok.size() && !tok.is(j, "{")) {
                ++j;  // a named struct defined in place
            }
            if (!tok.is(j, "{")) {
                return;  // a reference to a struct defined elsewhere: layout unknown
            }
            structMembers(tok, j, out, depth + 1);
            i = tok.skipBraces(j);
        } else {
            out.push_back(type);
            ++i;
            if (tok.is(i, "{")) {
                i = tok.skipBraces(i);  // enum values
            }
        }
        while (i < tok.size() && !tok.is(i, ";") && !tok.is(i, "}")) {
            ++i;  // array sizes and the like
        }
        if (tok.is(i, ";")) {
            ++i;
        }
    }
}

// Parameter `field` of the KP_BLOB that `cursor` walks into: the parameters after the word
// KP_BLOB in the IF_DATA itself, or those of a KP_BLOB block. Only a number counts.
std::optional<std::uint64_t> kpBlobParameter(const Document::Impl& impl, Cursor& cursor,
                                             std::size_t field, bool afterKeyword) {
    RawTok t;
    bool inBlob = !afterKeyword;
    std::size_t index = 0;
    while (cursor.next(t)) {
        if (!inBlob) {
            if (t.kind == Kind::Block && impl.keyword(t.block) == "KP_BLOB") {
                Cursor inner(impl, t.block);
                return kpBlobParameter(impl, inner, field, false);
            }
            inBlob = t.kind == Kind::Identifier && t.view() == "KP_BLOB";
            continue;
        }
        if (t.kind == Kind::Block) {
            break;
        }
        if (index++ == field) {
            std::uint64_t v;
            if (t.kind == Kind::Number && detail::parseUInt64(t.view(), v)) {
                return v;
            }
            break;
        }
    }
    return std::nullopt;
}

}  // namespace

std::map<std::string, std::size_t, std::less<>> kpBlobAddressFields(std::string_view a2ml) {
    A2mlTokens tok(a2ml);
    std::map<std::string, std::size_t, std::less<>> out;
    // Tags of the braces that enclose the current token ("" for an untagged one).
    std::vector<std::string_view> tags;
    std::string_view lastTag;
    for (std::size_t i = 0; i < tok.size(); ++i) {
        if (tok.is(i, "{")) {
            tags.push_back(lastTag);
            lastTag = {};
        } else if (tok.is(i, "}")) {
            if (!tags.empty()) {
                tags.pop_back();
            }
            lastTag = {};
        } else if (tok.is(i, ";")) {
            lastTag = {};
        } else if (tok[i].tag && tok[i].text == "KP_BLOB" && tok.is(i + 1, "struct") &&
                   tok.is(i + 2, "{")) {
            const std::size_t open = i + 2;
            std::string_view owner;
            for (auto it = tags.rbegin(); it != tags.rend() && owner.empty(); ++it) {
                owner = *it;
            }
            std::vector<std::string_view> members;
            structMembers(tok, open, members);
            for (std::size_t m = 0; m < members.size(); ++m) {
                if (members[m] == "ulong") {
                    out.emplace(std::string(owner), m);
                    break;
                }
            }
            i = tok.skipBraces(open) - 1;
        } else if (tok[i].tag) {
            lastTag = tok[i].text;
        }
    }
    return out;
}

std::vector<IfDataAddress> Document::ifDataAddresses(const std::vector<BlockRef>& ifData) const {
    std::call_once(impl_->kpBlobOnce, [this] {
        for (std::uint32_t id : impl_->byKind[static_cast<std::size_t>(BlockKind::A2ml)]) {
            for (auto& [name, field] : kpBlobAddressFields(BlockRef(this, id).rawText())) {
                impl_->kpBlobFields.emplace(name, field);
            }
        }
    });
    std::vector<IfDataAddress> out;
    for (const BlockRef& b : ifData) {
        std::string_view name = impl_->nameOf(b.id());
        std::size_t field = name == "ASAP1B_CCP" ? 1 : 0;
        if (auto it = impl_->kpBlobFields.find(name); it != impl_->kpBlobFields.end()) {
            field = it->second;
        }
        Cursor cursor(*impl_, b.id());
        RawTok first;
        if (!cursor.next(first)) {  // the interface name
            continue;
        }
        if (auto a = kpBlobParameter(*impl_, cursor, field, true)) {
            out.push_back({std::string(name), *a});
        }
    }
    return out;
}

XcpInfo Document::xcpInfo(BlockRef ifDataBlock) const {
    XcpInfo x;
    x.block = ifDataBlock;
    for (const BlockRef& child : ifDataBlock.children()) {
        std::string_view k = child.keyword();
        if (k == "PROTOCOL_LAYER") {
            XcpProtocolLayer p;
            Decoder dec(*this, child.id(), nullptr);
            p.version = dec.u32("the version");
            for (auto& t : p.timeouts) {
                t = dec.u32("a timeout");
            }
            p.maxCto = dec.u32("MAX_CTO");
            p.maxDto = dec.u32("MAX_DTO");
            p.byteOrder = dec.ident("the byte order");
            p.addressGranularity = dec.ident("the address granularity");
            options(
                dec,
                [&](std::string_view kw) {
                    if (kw == "OPTIONAL_CMD") {
                        p.optionalCommands.push_back(dec.ident("the command"));
                        return true;
                    }
                    return false;
                },
                [](BlockRef) {});
            x.protocolLayer = std::move(p);
        } else if (k == "DAQ") {
            XcpDaq q;
            Decoder dec(*this, child.id(), nullptr);
            q.config = dec.ident("the DAQ configuration type");
            q.maxDaq = dec.u32("MAX_DAQ");
            q.maxEventChannel = dec.u32("MAX_EVENT_CHANNEL");
            q.minDaq = dec.u32("MIN_DAQ");
            q.optimisationType = dec.ident("the optimisation type");
            q.addressExtension = dec.ident("the address extension");
            q.identificationFieldType = dec.ident("the identification field type");
            q.granularityOdtEntrySizeDaq = dec.ident("the ODT entry granularity");
            q.maxOdtEntrySizeDaq = dec.u32("MAX_ODT_ENTRY_SIZE_DAQ");
            q.overloadIndication = dec.ident("the overload indication");
            options(
                dec,
                [&](std::string_view kw) {
                    if (kw == "PRESCALER_SUPPORTED") {
                        q.prescalerSupported = true;
                        return true;
                    }
                    return false;
                },
                [&](BlockRef b) {
                    std::string_view bk = b.keyword();
                    if (bk == "EVENT") {
                        XcpEvent e;
                        Decoder ed(*this, b.id(), nullptr);
                        e.name = ed.text("the event name");
                        e.shortName = ed.text("the short name");
                        e.channel = ed.u32("the channel number");
                        e.direction = ed.ident("the direction");
                        e.maxDaqList = ed.u32("MAX_DAQ_LIST");
                        e.timeCycle = ed.u32("the time cycle");
                        e.timeUnit = ed.u32("the time unit");
                        e.priority = ed.u32("the priority");
                        q.events.push_back(std::move(e));
                    } else if (bk == "TIMESTAMP_SUPPORTED") {
                        Decoder td(*this, b.id(), nullptr);
                        q.timestampTicks = td.u32("the timestamp ticks");
                        q.timestampSize = td.ident("the timestamp size");
                        q.timestampUnit = td.ident("the timestamp unit");
                    }
                });
            x.daq = std::move(q);
        } else if (k == "XCP_ON_CAN") {
            XcpOnCan c;
            std::vector<Item> items = child.items();
            std::size_t i = 0;
            if (i < items.size() && items[i].isNumber()) {
                c.version = u32Of(items[i++]);
            }
            for (; i < items.size(); ++i) {
                const Item& it = items[i];
                bool hasNext = i + 1 < items.size() && items[i + 1].isNumber();
                if (it.isBlock() && it.text == "CAN_FD") {
                    c.canFd = true;
                    auto inner = it.block.params();
                    for (std::size_t j = 0; j + 1 < inner.size(); ++j) {
                        if (inner[j].text == "CAN_FD_DATA_TRANSFER_BAUDRATE") {
                            c.canFdDataBaudrate = u32Of(inner[j + 1]);
                        }
                    }
                } else if (it.isIdentifier() && hasNext) {
                    const Item& v = items[i + 1];
                    if (it.text == "CAN_ID_BROADCAST") {
                        c.canIdBroadcast = u32Of(v);
                    } else if (it.text == "CAN_ID_MASTER") {
                        c.canIdMaster = u32Of(v);
                    } else if (it.text == "CAN_ID_SLAVE") {
                        c.canIdSlave = u32Of(v);
                    } else if (it.text == "BAUDRATE") {
                        c.baudrate = u32Of(v);
                    } else if (it.text == "SAMPLE_POINT") {
                        c.samplePoint = v.toDouble();
                    }
                }
            }
            x.onCan.push_back(c);
        } else if (k == "XCP_ON_UDP_IP" || k == "XCP_ON_TCP_IP") {
            XcpOnIp ip;
            ip.tcp = k == "XCP_ON_TCP_IP";
            std::vector<Item> items = child.params();
            std::size_t i = 0;
            if (i < items.size() && items[i].isNumber()) {
                ip.version = u32Of(items[i++]);
            }
            if (i < items.size() && items[i].isNumber()) {
                ip.port = u32Of(items[i++]);
            }
            for (; i + 1 < items.size(); ++i) {
                if (items[i].isIdentifier() &&
                    (items[i].text == "ADDRESS" || items[i].text == "HOST_NAME" ||
                     items[i].text == "IPV6")) {
                    ip.address = items[i + 1].text;
                }
            }
            x.onIp.push_back(ip);
        }
    }
    return x;
}

CcpInfo Document::ccpInfo(BlockRef ifDataBlock) const {
    CcpInfo c;
    c.block = ifDataBlock;
    for (const BlockRef& child : ifDataBlock.children()) {
        std::string_view k = child.keyword();
        if (k == "TP_BLOB") {
            std::vector<Item> items = child.params();
            std::optional<std::uint32_t>* fixed[] = {&c.ccpVersion,     &c.blobVersion,
                                                     &c.canIdCro,       &c.canIdDto,
                                                     &c.stationAddress, &c.byteOrder};
            std::size_t i = 0;
            for (; i < items.size() && i < 6 && items[i].isNumber(); ++i) {
                *fixed[i] = u32Of(items[i]);
            }
            for (; i + 1 < items.size(); ++i) {
                if (items[i].isIdentifier() && items[i].text == "BAUDRATE") {
                    c.baudrate = u32Of(items[i + 1]);
                }
            }
        } else if (k == "SOURCE") {
            CcpSource s;
            Decoder dec(*this, child.id(), nullptr);
            s.name = dec.text("the source name");
            s.scalingUnit = dec.u32("the scaling unit");
            s.rate = dec.u32("the rate");
            for (const BlockRef& qp : child.children("QP_BLOB")) {
                std::vector<Item> items = qp.params();
                std::size_t i = 0;
                if (i < items.size() && items[i].isNumber()) {
                    s.daqListNumber = u32Of(items[i++]);
                }
                for (; i + 1 < items.size(); ++i) {
                    if (items[i].text == "CAN_ID_FIXED") {
                        s.canIdFixed = u32Of(items[i + 1]);
                    } else if (items[i].text == "RASTER") {
                        s.raster = u32Of(items[i + 1]);
                    }
                }
            }
            c.sources.push_back(std::move(s));
        }
    }
    return c;
}

std::vector<XcpInfo> Document::xcp() const {
    std::vector<XcpInfo> out;
    for (std::uint32_t id : impl_->byKind[static_cast<std::size_t>(BlockKind::IfData)]) {
        BlockRef b(this, id);
        if (b.parent().kind() == BlockKind::Module && isXcpName(b.name())) {
            out.push_back(xcpInfo(b));
        }
    }
    return out;
}

std::vector<CcpInfo> Document::ccp() const {
    std::vector<CcpInfo> out;
    for (std::uint32_t id : impl_->byKind[static_cast<std::size_t>(BlockKind::IfData)]) {
        BlockRef b(this, id);
        if (b.parent().kind() == BlockKind::Module && b.name() == "ASAP1B_CCP") {
            out.push_back(ccpInfo(b));
        }
    }
    return out;
}

std::vector<XcpEvent> Document::xcpEvents() const {
    std::vector<XcpEvent> out;
    for (const auto& x : xcp()) {
        if (x.daq) {
            out.insert(out.end(), x.daq->events.begin(), x.daq->events.end());
        }
    }
    return out;
}

}  // namespace a2l

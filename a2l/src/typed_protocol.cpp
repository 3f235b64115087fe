// Typed views of the measurement protocols: XCP and CCP at module level, and the DAQ event
// binding of an object's IF_DATA blocks.
#include "decoder.h"

namespace a2l {

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
    bool expectEvent = false;
    while (cursor.next(t)) {
        if (t.kind == Kind::Block) {
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
            std::string_view k = t.view();
            expectEvent = k == "EVENT";
            if (k == "FIXED_EVENT_LIST") {
                list = &out.fixedEvents;
            } else if (k == "VARIABLE") {
                out.variable = true;
                list = &out.defaultEvents;
            }
            continue;
        }
        std::uint64_t v;
        if (expectEvent && t.kind == Kind::Number && detail::parseUInt64(t.view(), v)) {
            if (v <= 0xFFFFFFFFu) {
                (list != nullptr ? *list : out.fixedEvents)
                    .push_back(static_cast<std::uint32_t>(v));
            }
        }
        expectEvent = false;
    }
}

void collectRasters(const Document& doc, std::uint32_t block, DaqEventBinding& out) {
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
            out.rasters.push_back(static_cast<std::uint32_t>(v));
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
        } else if (name != "CANAPE_EXT" && name != "CANAPE") {
            collectRasters(*this, b.id(), out);
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

#include "cfgconv/a2l_adapter.hpp"

#include <a2l/a2l.h>

#include "cfgconv/fileio.hpp"
#include "cfgconv/prefetch.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <unordered_map>

namespace cfgconv {

namespace {

DataType mapType(a2l::DataType t) {
    switch (t) {
        case a2l::DataType::UByte:
            return DataType::UByte;
        case a2l::DataType::SByte:
            return DataType::SByte;
        case a2l::DataType::UWord:
            return DataType::UWord;
        case a2l::DataType::SWord:
            return DataType::SWord;
        case a2l::DataType::ULong:
            return DataType::ULong;
        case a2l::DataType::SLong:
            return DataType::SLong;
        case a2l::DataType::UInt64:
            return DataType::UInt64;
        case a2l::DataType::Int64:
            return DataType::Int64;
        case a2l::DataType::Float16:
            return DataType::Float16;
        case a2l::DataType::Float32:
            return DataType::Float32;
        case a2l::DataType::Float64:
            return DataType::Float64;
        case a2l::DataType::Unknown:
            break;
    }
    return DataType::Unknown;
}

ByteOrder mapOrder(a2l::ByteOrder o) {
    switch (o) {
        case a2l::ByteOrder::MsbFirst:
            return ByteOrder::Big;
        case a2l::ByteOrder::MsbLast:
            return ByteOrder::Little;
        case a2l::ByteOrder::MsbFirstMswLast:
            return ByteOrder::MsbFirstMswLast;
        case a2l::ByteOrder::MsbLastMswFirst:
            return ByteOrder::MsbLastMswFirst;
        case a2l::ByteOrder::Unspecified:
            break;
    }
    return ByteOrder::Unspecified;
}

ConvKind mapKind(a2l::ConversionKind k) {
    switch (k) {
        case a2l::ConversionKind::Identical:
            return ConvKind::Identical;
        case a2l::ConversionKind::Linear:
            return ConvKind::Linear;
        case a2l::ConversionKind::RatFunc:
            return ConvKind::RatFunc;
        case a2l::ConversionKind::TabIntp:
            return ConvKind::TabIntp;
        case a2l::ConversionKind::TabNoIntp:
            return ConvKind::TabNoIntp;
        case a2l::ConversionKind::TabVerb:
            return ConvKind::TabVerb;
        case a2l::ConversionKind::Form:
            return ConvKind::Form;
        case a2l::ConversionKind::Unknown:
            break;
    }
    return ConvKind::Unknown;
}

std::vector<std::uint32_t> dimsOf(const std::optional<std::uint32_t>& arraySize,
                                  const std::vector<std::uint32_t>& matrixDim) {
    if (!matrixDim.empty())
        return matrixDim;
    if (arraySize)
        return {*arraySize};
    return {};
}

std::string hexText(std::uint64_t v) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), kHex[v & 15]);
        v >>= 4;
    } while (v);
    return "0x" + s;
}

// What places a signal beyond its own MEASUREMENT: the DAQ event channels of the protocol the
// station is written for, and the count of addresses taken from IF_DATA.
class SignalBinding {
public:
    explicit SignalBinding(const Station& st) : protocol_(st.protocol) {
        for (const auto& e : st.events)
            channels_.push_back(e.channel);
        std::sort(channels_.begin(), channels_.end());
    }

    // The event a signal is recorded on: a channel of the station's <events>, bound in the
    // station's protocol. XCP: the first fixed event, else the first default event; CCP: the
    // first RASTER of the ASAP1B_CCP block. RASTERs of other systems (ETK, KWP2000, vendor
    // blocks) number channels of their own and never become the event, and a binding to a
    // channel the file does not define gives no event either.
    std::optional<std::uint32_t> eventOf(const a2l::DaqEventBinding& b) const {
        if (protocol_ == "XCP") {
            if (auto e = firstDefined(b.fixedEvents))
                return e;
            return firstDefined(b.defaultEvents);
        }
        if (protocol_ == "CCP")
            return firstDefined(b.ccpRasters);
        return std::nullopt;
    }

    // ECU_ADDRESS, else the address the IF_DATA KP_BLOBs agree on. KP_BLOBs that disagree make
    // the signal unusable rather than guessed.
    void placeAddress(const a2l::Measurement& a, Measurement& x) {
        x.address = a.ecuAddress;
        if (a.ecuAddress || a.ifDataAddresses.empty())
            return;
        const auto& all = a.ifDataAddresses;
        bool agree = std::all_of(all.begin(), all.end(),
                                 [&](const auto& c) { return c.address == all.front().address; });
        if (agree) {
            x.address = all.front().address;
            addressesFromIfData_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        std::string list;
        for (const auto& c : all)
            list += (list.empty() ? "" : ", ") + hexText(c.address) + " (" + c.interfaceName + ")";
        x.unusable = std::make_shared<const Unusable>(Unusable{
            "conflicting IF_DATA addresses",
            "it has no ECU_ADDRESS and its IF_DATA KP_BLOBs give different addresses: " + list});
    }

    std::size_t addressesFromIfData() const {
        return addressesFromIfData_.load(std::memory_order_relaxed);
    }

private:
    std::optional<std::uint32_t> firstDefined(const std::vector<std::uint32_t>& events) const {
        for (std::uint32_t e : events)
            if (std::binary_search(channels_.begin(), channels_.end(), e))
                return e;
        return std::nullopt;
    }

    std::string protocol_;
    std::vector<std::uint32_t> channels_;
    std::atomic<std::size_t> addressesFromIfData_{0};  // counted on the decoding threads
};

// A cycle time in whole nanoseconds; 0 (unknown) when it does not fit, as for a CCP rate of
// billions of days.
std::uint64_t cycleNanoseconds(double seconds) {
    const double ns = std::round(seconds * 1e9);
    return ns >= 0 && ns < 18446744073709551616.0 ? static_cast<std::uint64_t>(ns) : 0;
}

void fillStation(const a2l::Document& doc, Station& st) {
    auto modules = doc.modules();
    if (!modules.empty())
        st.moduleName = modules.front().name;
    if (auto mc = doc.modCommon())
        st.byteOrder = mapOrder(mc->byteOrder);

    auto xcps = doc.xcp();
    if (!xcps.empty()) {
        st.protocol = "XCP";
        for (const auto& x : xcps) {
            if (!x.onCan.empty()) {
                const auto& c = x.onCan.front();
                st.transport = c.canFd ? "CANFD" : "CAN";
                if (c.canIdBroadcast)
                    st.transportParams.emplace_back("canIdBroadcast", hexText(*c.canIdBroadcast));
                if (c.canIdMaster)
                    st.transportParams.emplace_back("canIdMaster", hexText(*c.canIdMaster));
                if (c.canIdSlave)
                    st.transportParams.emplace_back("canIdSlave", hexText(*c.canIdSlave));
                if (c.baudrate)
                    st.transportParams.emplace_back("baudrate", std::to_string(*c.baudrate));
                if (c.canFdDataBaudrate)
                    st.transportParams.emplace_back("dataBaudrate",
                                                    std::to_string(*c.canFdDataBaudrate));
                break;
            }
            if (!x.onIp.empty()) {
                const auto& ip = x.onIp.front();
                st.transport = ip.tcp ? "TCP" : "UDP";
                if (!ip.address.empty())
                    st.transportParams.emplace_back("address", ip.address);
                st.transportParams.emplace_back("port", std::to_string(ip.port));
                break;
            }
        }
        // The events of every XCP block, from the blocks read above: reading them again would
        // walk every IF_DATA of the file once more.
        for (const auto& x : xcps) {
            if (!x.daq)
                continue;
            for (const auto& e : x.daq->events) {
                DaqEvent d;
                d.channel = e.channel;
                d.name = e.name;
                d.shortName = e.shortName;
                if (auto s = e.cycleSeconds())
                    d.cycleNs = cycleNanoseconds(*s);
                d.priority = e.priority;
                st.events.push_back(std::move(d));
            }
        }
        return;
    }
    auto ccps = doc.ccp();
    if (!ccps.empty()) {
        const auto& c = ccps.front();
        st.protocol = "CCP";
        st.transport = "CAN";
        if (c.canIdCro)
            st.transportParams.emplace_back("canIdCro", hexText(*c.canIdCro));
        if (c.canIdDto)
            st.transportParams.emplace_back("canIdDto", hexText(*c.canIdDto));
        if (c.stationAddress)
            st.transportParams.emplace_back("stationAddress", hexText(*c.stationAddress));
        if (c.baudrate)
            st.transportParams.emplace_back("baudrate", std::to_string(*c.baudrate));
        // Measurements name the event channel (their RASTER), which the SOURCE's QP_BLOB gives
        // as its RASTER; the DAQ list number stands in only where the QP_BLOB has none.
        std::uint32_t channel = 0;
        for (const auto& s : c.sources) {
            DaqEvent d;
            d.channel = s.raster ? *s.raster : s.daqListNumber.value_or(channel);
            d.name = s.name;
            if (auto sec = s.cycleSeconds())
                d.cycleNs = cycleNanoseconds(*sec);
            st.events.push_back(std::move(d));
            ++channel;
        }
    }
}

// A MEASUREMENT or TYPEDEF_MEASUREMENT as the converter's signal (address and name are the
// caller's business for a type).
void assignMeasurement(a2l::Measurement&& a, Measurement& x, SignalBinding& binding) {
    x.name = std::move(a.name);
    x.type = mapType(a.dataType);
    x.typeText = a.dataTypeText.empty() ? std::string(a2l::toString(a.dataType)) : a.dataTypeText;
    x.conversion = std::move(a.conversion);
    x.lower = a.lowerLimit;
    x.upper = a.upperLimit;
    x.unusable.reset();
    binding.placeAddress(a, x);
    x.extension = a.ecuAddressExtension.value_or(0);
    x.bitMask = a.bitMask;
    x.byteOrder = mapOrder(a.byteOrder);
    x.dims = dimsOf(a.arraySize, a.matrixDim);
    x.physUnit = std::move(a.physUnit);
    x.event = binding.eventOf(a.daqEvents);
    if (!a.unreadable.empty())
        x.unusable = std::make_shared<const Unusable>(
            Unusable{"value that cannot be read", a.unreadable.front()});
}

// Turns the INSTANCEs of ASAP2 1.7 into signals: an instance of a TYPEDEF_MEASUREMENT is one
// signal named after the instance; an instance of a TYPEDEF_STRUCTURE gives a signal per
// measurement component, named "instance.component" ("instance[2].inner.component" through
// arrays of structures), at the instance's address plus the component offsets. Characteristic,
// axis and blob types are calibration data and give no signal. What cannot be placed (a
// pointer, an undefined type, a type that contains itself, more elements than the limit)
// becomes one unusable signal that the conversion reports as left out.
class InstanceExpander {
public:
    InstanceExpander(const a2l::Document& doc, SignalBinding& binding)
        : doc_(doc), binding_(binding) {}

    void expand(const a2l::Instance& in, std::vector<Measurement>& out) {
        const std::size_t first = out.size();
        Place where{in.name, in.address, in.ecuAddressExtension.value_or(0),
                    binding_.eventOf(in.daqEvents)};
        overflow_ = false;
        place(in.typeName, in.matrixDim, in.addressType, where, 0, out, first);
        if (overflow_) {
            out.resize(first);
            out.push_back(unusable(in.name, "instance too large",
                                   "its structure elements exceed the limit of " +
                                       std::to_string(kMaxSplitElements) + " signals"));
        }
    }

private:
    static constexpr int kMaxDepth = 16;

    struct Place {
        std::string name;
        std::uint64_t address;
        std::uint32_t extension;
        std::optional<std::uint32_t> event;
    };

    static Measurement unusable(const std::string& name, std::string category, std::string reason) {
        Measurement x;
        x.name = name;
        x.unusable =
            std::make_shared<const Unusable>(Unusable{std::move(category), std::move(reason)});
        return x;
    }

    void place(const std::string& typeName, const std::vector<std::uint32_t>& dims,
               const std::string& addressType, const Place& where, int depth,
               std::vector<Measurement>& out, std::size_t first) {
        if (overflow_)
            return;
        if (out.size() - first >= kMaxSplitElements) {
            overflow_ = true;
            return;
        }
        if (a2l::isPointerAddress(addressType)) {
            out.push_back(unusable(where.name, "pointer-addressed instance",
                                   "it is reached through a pointer (ADDRESS_TYPE " + addressType +
                                       "), so its address is known only at run "
                                       "time"));
            return;
        }
        if (depth > kMaxDepth) {
            out.push_back(unusable(where.name, "type nested too deeply",
                                   "its types nest more than " + std::to_string(kMaxDepth) +
                                       " levels deep (a structure that contains itself?)"));
            return;
        }
        if (a2l::BlockRef b = doc_.find(a2l::BlockKind::TypedefMeasurement, typeName)) {
            Measurement x;
            assignMeasurement(doc_.measurement(b), x, binding_);
            std::vector<std::uint32_t> all = dims;
            all.insert(all.end(), x.dims.begin(), x.dims.end());
            x.dims = std::move(all);
            x.name = where.name;
            x.address = where.address;
            x.extension = where.extension;
            x.event = where.event;
            out.push_back(std::move(x));
            return;
        }
        if (a2l::BlockRef b = doc_.find(a2l::BlockKind::TypedefStructure, typeName)) {
            const a2l::TypedefStructure& s = structure(b);
            const std::vector<std::uint32_t> shape = effectiveDims(dims);
            if (elementCount(shape, kMaxSplitElements) > kMaxSplitElements) {
                overflow_ = true;
                return;
            }
            forEachElement(shape, [&](std::uint64_t i, const std::string& suffix) {
                const std::string element = where.name + suffix;
                const std::uint64_t base = where.address + i * s.size;
                for (const auto& c : s.components) {
                    place(c.typeName, c.matrixDim, c.addressType,
                          {element + "." + c.name, base + c.offset, where.extension, where.event},
                          depth + 1, out, first);
                }
            });
            return;
        }
        if (doc_.find(a2l::BlockKind::TypedefCharacteristic, typeName) ||
            doc_.find(a2l::BlockKind::TypedefAxis, typeName) ||
            doc_.find(a2l::BlockKind::TypedefBlob, typeName))
            return;
        out.push_back(
            unusable(where.name, "undefined type", "its type " + typeName + " is not defined"));
    }

    const a2l::TypedefStructure& structure(a2l::BlockRef b) {
        auto it = structures_.find(b.id());
        if (it == structures_.end())
            it = structures_.emplace(b.id(), doc_.typedefStructure(b)).first;
        return it->second;
    }

    const a2l::Document& doc_;
    SignalBinding& binding_;
    std::unordered_map<std::uint32_t, a2l::TypedefStructure> structures_;
    bool overflow_ = false;
};

// Measurements decoded one at a time from the document: the typed views of a whole file at once
// would double the peak memory. The signals of INSTANCEs follow those of the MEASUREMENTs.
class DocMeasurementSource : public MeasurementSource {
public:
    DocMeasurementSource(const a2l::Document& doc, SignalBinding& binding)
        : doc_(doc),
          binding_(binding),
          blocks_(doc.blocks(a2l::BlockKind::Measurement)),
          instances_(doc.blocks(a2l::BlockKind::Instance)) {}
    std::size_t sizeHint() const override { return blocks_.size(); }
    bool next(Measurement& x) override {
        if (i_ < blocks_.size()) {
            // The text before this measurement is not read again: a large mapped file need
            // not stay resident beside the output that grows from it.
            if (i_ % kReleaseEvery == 0)
                releaseBefore(i_);
            noted_.clear();
            decodeAt(i_++, x, noted_);
            for (auto& n : noted_)
                note(std::move(n));
            return true;
        }
        while (pending_.empty() && j_ < instances_.size()) {
            expander_.expand(doc_.instance(instances_[j_++]), pending_);
            std::reverse(pending_.begin(), pending_.end());  // taken from the back
        }
        if (pending_.empty())
            return false;
        x = std::move(pending_.back());
        pending_.pop_back();
        return true;
    }

    std::size_t positionalCount() const override { return blocks_.size(); }
    void decodeAt(std::size_t i, Measurement& x, std::vector<std::string>& found) const override {
        a2l::Measurement a = doc_.measurement(blocks_[i]);
        for (auto& n : a.beyondRange)
            found.push_back(std::move(n));
        assignMeasurement(std::move(a), x, binding_);
    }
    void skipPositional() override { i_ = std::max(i_, blocks_.size()); }
    void releaseBefore(std::size_t i) override {
        if (i < blocks_.size())
            doc_.releaseTextBefore(blocks_[i]);
    }

private:
    static constexpr std::size_t kReleaseEvery = 4096;
    const a2l::Document& doc_;
    SignalBinding& binding_;
    std::vector<std::string> noted_;
    std::vector<a2l::BlockRef> blocks_;
    std::vector<a2l::BlockRef> instances_;
    std::size_t i_ = 0;
    std::size_t j_ = 0;
    InstanceExpander expander_{doc_, binding_};
    std::vector<Measurement> pending_;
};

// What a file without a MODULE holds instead, for the message.
std::string whyNoModule(std::string_view text) {
    if (text.empty())
        return " (the file is empty)";
    std::size_t nuls = 0;
    for (char c : text)
        nuls += c == '\0';
    if (nuls >= text.size() / 4)
        return " (the file looks like UTF-16 or UTF-32 text without a byte-order mark; save it "
               "as UTF-8 or with a byte-order mark)";
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return " (the file holds only blanks)";
    return {};
}

constexpr std::uint64_t kParallelReadAbove = std::uint64_t{8} << 20;

bool load(const std::filesystem::path& path, ConvertModel* model, LoadInfo* info,
          std::string* error, const LoadOptions& loadOptions,
          const std::function<void(MeasurementSource&)>& consume) {
    a2l::ReadOptions options;
    // The adapter decodes every object itself and names what it cannot use (an undefined
    // COMPU_METHOD leaves its signal out with a reason); decoding them twice would only cost time.
    options.validate = false;
    // The measurements are decoded front to back below, giving the text back behind them.
    options.releaseParsedText = true;
    // A compare reads its two files at once already; a convert reads a large file from both
    // ends.
    if (consume && workerThreads() > 1)
        options.parallelAbove = kParallelReadAbove;
    a2l::ReadResult rr = a2l::readFile(path, options);
    info->warnings = rr.warnings.size() + rr.suppressedWarnings;
    for (std::size_t i = 0; i < rr.warnings.size() && i < 5; ++i)
        info->firstWarnings.push_back(rr.warnings[i].toString());
    if (!rr.ok()) {
        if (rr.error) {
            const auto& e = *rr.error;
            // Without a line the error is about the file itself, and its message names it.
            *error = e.location.line == 0
                         ? e.message
                         : e.location.file + ":" + std::to_string(e.location.line) + ":" +
                               std::to_string(e.location.column) + ": " + e.message;
        } else {
            *error = "cannot read '" + pathText(path) + "'";
        }
        return false;
    }
    const a2l::Document& doc = *rr.document;
    for (const auto& f : doc.files())
        info->files.push_back(std::filesystem::path(std::u8string(f.path.begin(), f.path.end())));
    if (doc.count(a2l::BlockKind::Module) == 0) {
        *error = pathText(path) + ": no MODULE inside a PROJECT, nothing to convert" +
                 whyNoModule(doc.root().rawText());
        return false;
    }
    info->bytes = doc.files().empty() ? 0 : static_cast<std::size_t>(doc.files().front().size);
    info->measurements = doc.count(a2l::BlockKind::Measurement);
    info->instances = doc.count(a2l::BlockKind::Instance);
    fillModel(doc, model, loadOptions, consume, info);
    return true;
}

}  // namespace

void fillModel(const a2l::Document& doc, ConvertModel* model, const LoadOptions& loadOptions,
               const std::function<void(MeasurementSource&)>& consume, LoadInfo* info) {
    ConvertModel& m = *model;
    m = ConvertModel();
    fillStation(doc, m.station);

    std::vector<a2l::BlockRef> characteristicBlocks;
    if (loadOptions.characteristics)
        characteristicBlocks = doc.blocks(a2l::BlockKind::Characteristic);
    m.characteristics.reserve(characteristicBlocks.size());
    for (const auto& block : characteristicBlocks) {
        a2l::Characteristic a = doc.characteristic(block);
        Characteristic c;
        c.name = std::move(a.name);
        c.type = std::move(a.type);
        c.address = a.address;
        c.extension = a.ecuAddressExtension.value_or(0);
        c.recordLayout = std::move(a.deposit);
        c.conversion = std::move(a.conversion);
        c.lower = a.lowerLimit;
        c.upper = a.upperLimit;
        c.bitMask = a.bitMask;
        c.byteOrder = mapOrder(a.byteOrder);
        c.dims = a.matrixDim;
        if (c.dims.empty() && a.number)
            c.dims = {*a.number};
        for (auto& ax : a.axes) {
            AxisDescr d;
            d.attribute = std::move(ax.attribute);
            d.inputQuantity = std::move(ax.inputQuantity);
            d.conversion = std::move(ax.conversion);
            d.maxAxisPoints = ax.maxAxisPoints;
            d.lower = ax.lowerLimit;
            d.upper = ax.upperLimit;
            d.axisPtsRef = std::move(ax.axisPtsRef);
            c.axes.push_back(std::move(d));
        }
        m.characteristics.push_back(std::move(c));
    }

    auto methods = doc.all<a2l::CompuMethod>();
    m.conversions.reserve(methods.size());
    for (auto& a : methods) {
        Conversion c;
        c.name = std::move(a.name);
        c.kind = mapKind(a.kind);
        c.kindText = a.kindText.empty() ? std::string(a2l::toString(a.kind)) : a.kindText;
        c.format = std::move(a.format);
        c.unit = std::move(a.unit);
        c.coeffs = a.coeffs;
        c.coeffsLinear = a.coeffsLinear;
        c.tableRef = std::move(a.compuTabRef);
        c.formula = std::move(a.formula);
        c.formulaInv = std::move(a.formulaInv);
        if (!a.beyondRange.empty())
            c.beyondRange = std::move(a.beyondRange.front());
        if (!a.unreadable.empty())
            c.unreadable = std::move(a.unreadable.front());
        m.conversions.push_back(std::move(c));
    }

    for (auto& a : doc.all<a2l::CompuTab>()) {
        Table t;
        t.name = std::move(a.name);
        t.kind = Table::Kind::Numeric;
        for (const auto& [in, out] : a.pairs)
            t.rows.push_back({in, 0, out, {}});
        t.defaultNumeric = a.defaultValueNumeric;
        t.defaultText = a.defaultValue;
        m.tables.push_back(std::move(t));
    }
    for (auto& a : doc.all<a2l::CompuVtab>()) {
        Table t;
        t.name = std::move(a.name);
        t.kind = Table::Kind::Verbal;
        for (auto& [v, text] : a.entries)
            t.rows.push_back({v, 0, 0, std::move(text)});
        t.defaultText = std::move(a.defaultValue);
        m.tables.push_back(std::move(t));
    }
    for (auto& a : doc.all<a2l::CompuVtabRange>()) {
        Table t;
        t.name = std::move(a.name);
        t.kind = Table::Kind::VerbalRange;
        for (auto& e : a.entries)
            t.rows.push_back({e.min, e.max, 0, std::move(e.text)});
        t.defaultText = std::move(a.defaultValue);
        m.tables.push_back(std::move(t));
    }
    m.reindex();

    SignalBinding binding(m.station);
    DocMeasurementSource source(doc, binding);
    if (consume && workerThreads() > 1) {
        // Decoding on a second thread while `consume` writes.
        PrefetchingSource ahead(source);
        consume(ahead);
    } else if (consume) {
        consume(source);
    } else {
        m.measurements.reserve(source.sizeHint());
        Measurement x;
        while (source.next(x))
            m.measurements.push_back(std::move(x));
    }
    if (info)
        info->addressesFromIfData = binding.addressesFromIfData();
}

bool loadA2l(const std::filesystem::path& path, ConvertModel* model, LoadInfo* info,
             std::string* error, const LoadOptions& options) {
    return load(path, model, info, error, options, nullptr);
}

bool streamA2l(const std::filesystem::path& path, ConvertModel* model, LoadInfo* info,
               std::string* error, const std::function<void(MeasurementSource&)>& consume) {
    LoadOptions options;
    options.characteristics = false;
    return load(path, model, info, error, options, consume);
}

}  // namespace cfgconv

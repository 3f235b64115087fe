// Writing a .cfginclude from a ConvertModel for a target range of logger versions.
// The format is described in doc/cfginclude-format.md.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cfgconv/model.hpp"
#include "cfgconv/target.hpp"

namespace cfgconv {

inline constexpr const char* kGeneratorName = "KOLDAN QuillmoorConverter";
inline constexpr const char* kGeneratorVersion = "1.0.0";

// Arrays with more elements than this are left out when a target needs them split.
inline constexpr std::uint64_t kMaxSplitElements = 65536;

struct ConvertOptions {
    Target target;
    std::optional<std::string> station;  // -n; the MODULE name when absent
    std::string prefix;                  // -p; signal names become PREFIX.NAME
    std::string sourceName;              // file name of the A2L (no folders)
    bool indent = true;                  // -i; false gives the compact form written by -z
};

inline constexpr std::size_t kKeptLeftOut = 1000;

struct LeftOut {
    std::string name;      // MEASUREMENT name
    std::string category;  // e.g. "A_UINT64 data type", "bit mask", "rational function"
    std::string reason;    // a sentence
};

struct ConvertResult {
    std::string document;
    std::size_t measurements = 0;  // measurements seen
    std::size_t signals = 0;       // <signal> elements written
    std::size_t measurementsWritten = 0;
    std::size_t arraysSplit = 0;  // arrays written as one signal per element
    std::size_t conversions = 0;
    std::size_t tables = 0;
    std::size_t events = 0;
    // Measurements left out: all counted, per category; the first kKeptLeftOut kept in detail
    // (a large A2L for an old target can leave out a hundred thousand).
    std::size_t leftOutCount = 0;
    std::map<std::string, std::size_t> leftOutByCategory;
    std::vector<LeftOut> leftOut;
};

// Measurements one at a time, so a large A2L need not be held twice (document and model).
class MeasurementSource {
public:
    virtual ~MeasurementSource() = default;
    virtual std::size_t sizeHint() const = 0;  // expected count, for reserving the output
    virtual bool next(Measurement& out) = 0;   // false when there are no more
    // Values read as something else than written (a real number beyond the range of a double
    // read as an infinity or zero), "file:line:column: ...": all counted, the first kept.
    std::size_t notes = 0;
    std::vector<std::string> firstNotes;
    static constexpr std::size_t kFirstNotes = 5;
    void note(std::string text) {
        if (++notes <= kFirstNotes)
            firstNotes.push_back(std::move(text));
    }

    // A source may let its first positionalCount() measurements be decoded by position too,
    // so that several threads can share the work. decodeAt() must be safe to call from several
    // threads at once and puts the notes of its measurement into `notes`; after
    // skipPositional(), next() goes on behind the positional ones. releaseBefore(i) says that
    // the measurements before i are decoded and their text is no longer needed.
    virtual std::size_t positionalCount() const { return 0; }
    virtual void decodeAt(std::size_t /*i*/, Measurement& /*out*/,
                          std::vector<std::string>& /*notes*/) const {}
    virtual void skipPositional() {}
    virtual void releaseBefore(std::size_t /*i*/) {}
};

class VectorMeasurementSource : public MeasurementSource {
public:
    explicit VectorMeasurementSource(const std::vector<Measurement>& v) : v_(v) {}
    std::size_t sizeHint() const override { return v_.size(); }
    bool next(Measurement& out) override {
        if (i_ >= v_.size())
            return false;
        out = v_[i_++];
        return true;
    }

private:
    const std::vector<Measurement>& v_;
    std::size_t i_ = 0;
};

// Writes the .cfginclude for `model` (station, conversions, tables) and the measurements of
// `source`; model.measurements is not used.
ConvertResult buildCfgInclude(const ConvertModel& model, MeasurementSource& source,
                              const ConvertOptions& options);
// The same with the measurements of the model.
ConvertResult buildCfgInclude(const ConvertModel& model, const ConvertOptions& options);

// "uint8", "int16", "float32", ... (empty for types no format generation holds).
const char* formatTypeName(DataType t);
// The oldest generation that holds a data type; nullopt when none does.
std::optional<Generation> typeGeneration(DataType t);

// Dimensions as written: zeros count as one, trailing ones are dropped, a
// scalar has none.
std::vector<std::uint32_t> effectiveDims(const std::vector<std::uint32_t>& dims);

// The number of elements of an array with these dimensions, or limit + 1 as soon as it
// exceeds `limit` (the product of many large dimensions would wrap around 64 bits).
std::uint64_t elementCount(const std::vector<std::uint32_t>& dims, std::uint64_t limit);

// Calls fn(i, suffix) for every element in row-major order (the last index varies fastest):
// i counts from 0, suffix is "[a][b]...". The caller bounds the count with elementCount().
template <typename Fn>
void forEachElement(const std::vector<std::uint32_t>& dims, Fn&& fn) {
    const std::uint64_t count = elementCount(dims, ~std::uint64_t{0} - 1);
    std::vector<std::uint32_t> idx(dims.size(), 0);
    std::string suffix;
    for (std::uint64_t i = 0; i < count; ++i) {
        suffix.clear();
        for (auto v : idx)
            suffix += "[" + std::to_string(v) + "]";
        fn(i, suffix);
        for (std::size_t k = idx.size(); k-- > 0;) {
            if (++idx[k] < dims[k])
                break;
            idx[k] = 0;
        }
    }
}

}  // namespace cfgconv

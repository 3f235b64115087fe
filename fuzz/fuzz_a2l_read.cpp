// libFuzzer target: reads arbitrary bytes as an A2L file and, when that succeeds, walks the
// whole block tree and decodes every typed object, so the lazy lexing paths run as well.
#include <a2l/a2l.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::size_t walk(const a2l::BlockRef& block, int depth) {
    std::size_t n = 0;
    for (const auto& item : block.items()) {
        n += item.text.size();
        if (item.isNumber()) {
            n += item.toDouble().has_value() + item.toUInt().has_value();
        }
        if (item.isBlock() && depth < 64) {
            n += walk(item.block, depth + 1) + item.block.rawText().size() +
                 item.block.name().size() + item.block.location().line;
        }
    }
    return n;
}

// What a read gives: its error and warnings, and the blocks with their places and names.
std::string shape(const a2l::ReadResult& r) {
    std::string s = r.error ? r.error->toString() : std::string();
    for (const auto& w : r.warnings) {
        s += "\n" + w.toString();
    }
    if (r.ok()) {
        for (std::uint32_t k = 0; k < static_cast<std::uint32_t>(a2l::BlockKind::Count_); ++k) {
            for (const auto& b : r.document->blocks(static_cast<a2l::BlockKind>(k))) {
                s += "\n" + std::to_string(b.id()) + " " + std::to_string(b.parent().id()) + " " +
                     std::string(b.name()) + " " + std::to_string(b.rawText().size());
            }
        }
        s += "\n" + std::to_string(r.document->blockCount());
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    a2l::ReadOptions options;
    options.followIncludes = false;  // keep runs hermetic
    options.maxNesting = 64;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto result = a2l::readText(text, "fuzz.a2l", options);
    // Read again with the module split between two threads where the text allows it: the
    // same result.
    a2l::ReadOptions twoThreads = options;
    twoThreads.parallelAbove = 1;
    if (shape(a2l::readText(text, "fuzz.a2l", twoThreads)) != shape(result)) {
        __builtin_trap();
    }
    if (!result.ok()) {
        return result.error->toString().empty() ? 1 : 0;
    }
    const auto& doc = *result.document;
    volatile std::size_t sink = walk(doc.root(), 0);
    sink = sink + doc.all<a2l::Measurement>().size() + doc.all<a2l::Characteristic>().size() +
           doc.all<a2l::AxisPts>().size() + doc.all<a2l::CompuMethod>().size() +
           doc.all<a2l::CompuTab>().size() + doc.all<a2l::CompuVtab>().size() +
           doc.all<a2l::CompuVtabRange>().size() + doc.all<a2l::RecordLayout>().size() +
           doc.all<a2l::Unit>().size() + doc.all<a2l::Group>().size() +
           doc.all<a2l::Function>().size() + doc.xcp().size() + doc.ccp().size() +
           doc.xcpEvents().size() + doc.modules().size();
    if (auto p = doc.modPar()) {
        sink = sink + p->memorySegments.size();
    }
    if (auto c = doc.modCommon()) {
        sink = sink + static_cast<std::size_t>(c->byteOrder);
    }
    if (auto p = doc.project()) {
        sink = sink + p->name.size();
    }
    if (auto h = doc.header()) {
        sink = sink + h->comment.size();
    }
    for (const auto& m : doc.all<a2l::Measurement>()) {
        sink = sink + m.daqEvents.rasters.size() +
               doc.find<a2l::CompuMethod>(m.conversion).has_value();
    }
    return 0;
}

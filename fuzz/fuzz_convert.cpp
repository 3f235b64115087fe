// libFuzzer target for the converter behind the reader: arbitrary bytes read as an A2L file,
// turned into the converter's model, written as a .cfginclude for each format generation and
// compared with itself and with an empty model. Besides the sanitizers it checks two
// properties and aborts when one fails:
//   - the compact document (-z) reindented is the indented one (-i), byte for byte;
//   - a model compared with itself has no differences.
#include <a2l/a2l.h>
#include <cfgconv/a2l_adapter.hpp>
#include <cfgconv/cfginclude.hpp>
#include <cfgconv/compare.hpp>
#include <cfgconv/xml.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_convert: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    a2l::ReadOptions options;
    options.followIncludes = false;  // keep runs hermetic
    options.maxNesting = 64;
    options.validate = false;  // as the converter reads
    auto result = a2l::readText(std::string_view(reinterpret_cast<const char*>(data), size),
                                "fuzz.a2l", options);
    if (!result.ok()) {
        return 0;
    }
    cfgconv::ConvertModel model;
    cfgconv::fillModel(*result.document, &model);

    for (const char* targetText : {"tarVix=1.4.4", "tarVix=1.5.5", "tarVix=2017.06.0"}) {
        std::string error;
        auto target = cfgconv::parseTarget(targetText, &error);
        if (!target) {
            fail("a built-in target does not parse");
        }
        cfgconv::ConvertOptions convert;
        convert.target = *target;
        convert.prefix = "P";
        convert.sourceName = "fuzz.a2l";
        auto indented = cfgconv::buildCfgInclude(model, convert);
        convert.indent = false;
        auto compact = cfgconv::buildCfgInclude(model, convert);
        std::string reindented;
        if (!cfgconv::reindentCfgInclude(compact.document, &reindented, &error)) {
            fail("the compact document cannot be reindented");
        }
        if (reindented != indented.document) {
            fail("the compact document reindented differs from the indented one");
        }
    }

    auto ignore = [](std::string_view) {};
    auto same = cfgconv::compareModels(model, model, true, ignore);
    if (same.signals.any() || same.characteristics.any() || same.conversions.any()) {
        fail("a model compared with itself has differences");
    }
    cfgconv::compareModels(cfgconv::ConvertModel(), model, false, ignore);
    return 0;
}

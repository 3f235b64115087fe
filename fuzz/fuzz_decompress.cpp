// libFuzzer target for decompress: arbitrary bytes taken as a compressed .cfginclude and
// turned into the indented form piece by piece, with the converter's own limits (1 GiB of
// compact and of indented text). Besides the sanitizers it checks these properties and
// aborts when one fails:
//   - no piece handed on is larger than about a megabyte (memory stays bounded) and neither
//     form passes its limit;
//   - a document that goes through starts with the declaration and ends with the root's end
//     tag on its own line;
//   - the result does not depend on how the input is cut: fed one byte at a time (small
//     inputs), the same text or the same error comes out;
//   - for a compact form of up to 8 MiB, the streamed result equals inflating it whole and
//     re-indenting the whole text.
#include <cfgconv/xml.hpp>
#include <cfgconv/zstream.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_decompress: %s\n", what);
    std::abort();
}

constexpr std::size_t kLargestPiece = std::size_t{3} << 19;  // 1.5 MiB
constexpr std::size_t kKeep = std::size_t{8} << 20;          // output kept for comparisons

struct Outcome {
    bool ok = false;
    std::string error;
    std::string text;  // the first kKeep bytes
    std::uint64_t bytes = 0;
    std::uint64_t compact = 0;
};

Outcome decompress(std::string_view input, std::size_t piece) {
    Outcome r;
    cfgconv::CfgIncludeDecompressor d([&](std::string_view p, std::string*) {
        if (p.size() > kLargestPiece) {
            fail("a piece of output is larger than 1.5 MiB");
        }
        r.bytes += p.size();
        if (r.text.size() < kKeep) {
            r.text.append(p.substr(0, kKeep - r.text.size()));
        }
        return true;
    });
    r.ok = true;
    for (std::size_t at = 0; at < input.size() && r.ok; at += piece) {
        r.ok = d.feed(input.substr(at, piece));
    }
    r.ok = r.ok && d.finish();
    r.error = d.error();
    r.compact = d.compactBytes();
    if (r.bytes > cfgconv::kMaxInflatedBytes ||
        r.compact > cfgconv::kMaxInflatedBytes + (1 << 18)) {
        fail("a limit was passed");
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Outcome streamed = decompress(input, 1 << 16);
    if (streamed.ok) {
        if (streamed.text.rfind(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                                "\n",
                                0) != 0) {
            fail("the indented form does not start with the declaration");
        }
        if (streamed.bytes <= kKeep) {
            const std::string& t = streamed.text;
            std::size_t last = t.rfind('\n', t.size() - 2) + 1;
            std::string_view line(t.data() + last, t.size() - last);
            bool closes = line == "</cfginclude>\n" ||
                          (line.rfind("<cfginclude ", 0) == 0 && line.size() >= 3 &&
                           line.substr(line.size() - 3) == "/>\n");
            if (!closes) {
                fail("the indented form does not end with the root's end");
            }
        }
    }
    if (size <= 4096) {
        Outcome bytewise = decompress(input, 1);
        if (bytewise.ok != streamed.ok || bytewise.error != streamed.error ||
            bytewise.text != streamed.text) {
            fail("the result depends on how the input is cut");
        }
    }
    if (streamed.compact <= kKeep && streamed.bytes <= kKeep) {
        std::string compact, whole, error;
        bool ok = cfgconv::zlibInflate(input, &compact, &error, kKeep) &&
                  cfgconv::reindentCfgInclude(compact, &whole, &error);
        if (ok != streamed.ok || (ok && whole != streamed.text)) {
            fail("the streamed result differs from the whole-text one");
        }
    }
    return 0;
}

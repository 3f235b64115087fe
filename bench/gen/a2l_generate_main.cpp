// a2l-generate OUT SIZE_MB [SEED]: writes a realistic A2L file of about SIZE_MB megabytes.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "a2l_generator.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: a2l-generate OUT SIZE_MB [SEED]\n");
        return 2;
    }
    char* end = nullptr;
    double mb = std::strtod(argv[2], &end);
    if (end == argv[2] || *end != '\0' || mb <= 0 || mb > 4000) {
        std::fprintf(stderr, "a2l-generate: SIZE_MB must be a number between 0 and 4000\n");
        return 2;
    }
    a2l::gen::Options options;
    options.targetBytes = static_cast<std::uint64_t>(mb * 1024 * 1024);
    if (argc == 4) {
        options.seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    }
    try {
        auto counts = a2l::gen::generateFile(argv[1], options);
        std::printf(
            "%s: %llu bytes, %llu lines, %llu measurements, %llu characteristics, "
            "%llu axis points\n",
            argv[1], static_cast<unsigned long long>(counts.bytes),
            static_cast<unsigned long long>(counts.lines),
            static_cast<unsigned long long>(counts.measurements),
            static_cast<unsigned long long>(counts.characteristics),
            static_cast<unsigned long long>(counts.axisPts));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "a2l-generate: %s\n", e.what());
        return 1;
    }
    return 0;
}

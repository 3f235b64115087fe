// Reading speed and peak memory of the A2L engine on generated files of 10, 100 and 200 MB,
// next to `wc -l` on the same file in the same run. Each read runs in a fresh process (this
// program started again with --read-one) so its peak RSS is its own.
//
//   bench_a2l_read [--dir DIR] [--sizes 10,100,200] [--keep]
#include <sys/resource.h>
#include <sys/wait.h>

#include <a2l/a2l.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gen/a2l_generator.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child mode: read once, print "read_s typed_s peak_kb measurements warnings".
int readOne(const char* path, bool validate, bool typed) {
    a2l::ReadOptions options;
    options.validate = validate;
    auto t0 = Clock::now();
    auto result = a2l::readFile(path, options);
    auto t1 = Clock::now();
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", result.error->toString().c_str());
        return 1;
    }
    std::size_t n = 0;
    if (typed) {
        // What a converter does next: decode every measurement and look up its conversion.
        for (const auto& block : result.document->blocks(a2l::BlockKind::Measurement)) {
            auto m = result.document->measurement(block);
            n += result.document->find(a2l::BlockKind::CompuMethod, m.conversion) ? 1 : 0;
        }
    }
    auto t2 = Clock::now();
    std::printf("%.6f %.6f %ld %zu %zu\n", seconds(t0, t1), seconds(t1, t2), peakRssKb(),
                result.document->count(a2l::BlockKind::Measurement),
                result.warnings.size() + n * 0);
    return 0;
}

struct Run {
    double readS = 0;
    double typedS = 0;
    long peakKb = 0;
};

Run runChild(const std::string& self, const fs::path& file, const char* mode) {
    std::string cmd = "'" + self + "' --read-one " + mode + " '" + file.string() + "'";
    Run run;
    std::FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) {
        return run;
    }
    std::size_t count = 0;
    std::size_t warnings = 0;
    if (std::fscanf(p, "%lf %lf %ld %zu %zu", &run.readS, &run.typedS, &run.peakKb, &count,
                    &warnings) != 5) {
        run.readS = -1;
    }
    pclose(p);
    return run;
}

double timeWc(const fs::path& file) {
    std::string cmd = "wc -l '" + file.string() + "' > /dev/null";
    auto t0 = Clock::now();
    if (std::system(cmd.c_str()) != 0) {
        return -1;
    }
    return seconds(t0, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--read-one") == 0) {
        std::string mode = argv[2];
        return readOne(argv[3], mode != "structure", mode == "typed");
    }
    fs::path dir = fs::temp_directory_path();
    std::vector<int> sizes{10, 100, 200};
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (a == "--sizes" && i + 1 < argc) {
            sizes.clear();
            std::string list = argv[++i];
            for (std::size_t pos = 0; pos < list.size();) {
                std::size_t comma = list.find(',', pos);
                sizes.push_back(std::atoi(list.substr(pos, comma - pos).c_str()));
                pos = comma == std::string::npos ? list.size() : comma + 1;
            }
        } else if (a == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr,
                         "usage: bench_a2l_read [--dir DIR] [--sizes 10,100,200] [--keep]\n");
            return 2;
        }
    }
    std::string self = fs::canonical("/proc/self/exe").string();
    std::printf("%-6s %9s %8s %9s %9s %9s %9s %9s %10s %8s\n", "size", "bytes", "wc -l", "wc MB/s",
                "struct s", "MB/s", "read s", "MB/s", "+typed s", "peak/sz");
    constexpr int kRepeats = 3;
    for (int mb : sizes) {
        fs::path file = dir / ("quillmoor_bench_" + std::to_string(mb) + "MB.a2l");
        a2l::gen::Options options;
        options.targetBytes = static_cast<std::uint64_t>(mb) * 1024 * 1024;
        auto counts = a2l::gen::generateFile(file, options);
        double size = static_cast<double>(counts.bytes) / (1024.0 * 1024.0);
        double wc = 1e9;
        Run structure{1e9, 0, 0};
        Run full{1e9, 1e9, 0};
        for (int r = 0; r < kRepeats; ++r) {
            wc = std::min(wc, timeWc(file));
            Run s = runChild(self, file, "structure");
            if (s.readS >= 0 && s.readS < structure.readS) {
                structure = s;
            }
            Run t = runChild(self, file, "typed");
            if (t.readS >= 0 && t.readS < full.readS) {
                full = t;
            }
        }
        std::printf("%4dMB %9llu %8.3f %9.0f %9.3f %9.0f %9.3f %9.0f %10.3f %8.2f\n", mb,
                    static_cast<unsigned long long>(counts.bytes), wc, size / wc, structure.readS,
                    size / structure.readS, full.readS, size / full.readS, full.typedS,
                    static_cast<double>(full.peakKb) * 1024.0 / static_cast<double>(counts.bytes));
        std::fflush(stdout);
        if (!keep) {
            fs::remove(file);
        }
    }
    std::printf(
        "\nstruct: ReadOptions::validate = false (structure, includes, indexes)\n"
        "read:   default options (also decodes and checks every MEASUREMENT, "
        "CHARACTERISTIC, AXIS_PTS, COMPU_METHOD)\n"
        "+typed: decoding all measurements again and looking up their conversions\n"
        "peak/sz: peak RSS of the reading process (default read + typed) / file size\n");
    return 0;
}

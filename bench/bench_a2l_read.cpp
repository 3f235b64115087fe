// Reading speed and peak memory of the A2L engine on generated files of 10, 100 and 200 MB,
// next to `wc -l` on the same file in the same run. Each read runs in a fresh process (this
// program started again with --read-one) so its peak RSS is its own.
//
//   bench_a2l_read [--dir DIR] [--sizes 10,100,200] [--keep]
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

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

// CPU time of this process: on a shared machine the wall time also counts other load.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child mode: read once, print "read_s typed_s peak_kb measurements read_cpu_s".
int readOne(const char* path, bool validate, bool typed) {
    a2l::ReadOptions options;
    options.validate = validate;
    double c0 = cpuSeconds();
    auto t0 = Clock::now();
    auto result = a2l::readFile(path, options);
    auto t1 = Clock::now();
    double c1 = cpuSeconds();
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
    std::printf("%.6f %.6f %ld %zu %.6f\n", seconds(t0, t1), seconds(t1, t2), peakRssKb(),
                result.document->count(a2l::BlockKind::Measurement) + n * 0, c1 - c0);
    return 0;
}

struct Run {
    double readS = 0;
    double typedS = 0;
    long peakKb = 0;
    double cpuS = 0;
};

Run runChild(const std::string& self, const fs::path& file, const char* mode) {
    std::string cmd = "'" + self + "' --read-one " + mode + " '" + file.string() + "'";
    Run run;
    std::FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) {
        return run;
    }
    std::size_t count = 0;
    if (std::fscanf(p, "%lf %lf %ld %zu %lf", &run.readS, &run.typedS, &run.peakKb, &count,
                    &run.cpuS) != 5) {
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
    std::error_code made;
    fs::create_directories(dir, made);
    std::string self = fs::canonical("/proc/self/exe").string();
    std::printf("%-6s %10s %7s %8s | %8s %8s %8s | %8s %8s %8s | %8s %7s\n", "size", "bytes",
                "wc -l s", "wc MB/s", "struct s", "MB/s", "cpu MB/s", "read s", "MB/s", "cpu MB/s",
                "+typed s", "peak/sz");
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
                structure.readS = s.readS;
            }
            if (s.readS >= 0 && (structure.cpuS == 0 || s.cpuS < structure.cpuS)) {
                structure.cpuS = s.cpuS;
            }
            Run t = runChild(self, file, "typed");
            if (t.readS >= 0 && t.readS < full.readS) {
                full.readS = t.readS;
                full.typedS = std::min(full.typedS, t.typedS);
            }
            if (t.readS >= 0 && (full.cpuS == 0 || t.cpuS < full.cpuS)) {
                full.cpuS = t.cpuS;
            }
            full.peakKb = std::max(full.peakKb, t.peakKb);
        }
        std::printf(
            "%4dMB %10llu %7.3f %8.0f | %8.3f %8.0f %8.0f | %8.3f %8.0f %8.0f | %8.3f %7.2f\n", mb,
            static_cast<unsigned long long>(counts.bytes), wc, size / wc, structure.readS,
            size / structure.readS, size / structure.cpuS, full.readS, size / full.readS,
            size / full.cpuS, full.typedS,
            static_cast<double>(full.peakKb) * 1024.0 / static_cast<double>(counts.bytes));
        std::fflush(stdout);
        if (!keep) {
            fs::remove(file);
        }
    }
    std::printf(
        "\nbest of %d runs each; MB = 2^20 bytes; wall and CPU time of the read call alone\n"
        "struct:  ReadOptions::validate = false (structure, includes, name indexes)\n"
        "read:    default options (also checks the fixed parameters and COMPU_METHOD references\n"
        "         of every object and decodes the conversions and tables)\n"
        "+typed:  then decoding every MEASUREMENT and looking up its COMPU_METHOD "
        "(converter-like)\n"
        "peak/sz: peak RSS of that process (read + typed decode) / file size\n",
        kRepeats);
    return 0;
}

// Speed and peak memory of QuillmoorConverter.exe on generated A2L files: convert (-i and -z),
// compare of two files, decompress; next to `gzip -1` of the same A2L in the same run, plus
// an in-process breakdown (read, build, compress with libdeflate and zlib at several levels,
// inflate) that shows where the time goes. The timed runs are the best of --repeat, taken in
// rounds of one run of each program, so that a slow spell of the machine hits all alike; the
// ratios to `gzip -1` and to the input size come at the end, with the goals beside them.
// --sizes adds convert -z on files of those sizes, to see whether the cost grows linearly;
// a smaller file is run more often (up to 30 times), for about the measuring time of the largest.
//
//   bench_convert [--dir DIR] [--size MB] [--repeat N] [--sizes 10,100,400] [--exe CONVERTER]
//                 [--keep]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cfgconv/a2l_adapter.hpp"
#include "cfgconv/cfginclude.hpp"
#include "cfgconv/fileio.hpp"
#include "cfgconv/xml.hpp"
#include "cfgconv/zstream.hpp"
#include "gen/a2l_generator.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// CPU time of the last child run, printed (and cleared) by the next row().
double gLastCpuSeconds = -1;

struct ChildRun {
    int status = -1;
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: less disturbed by other load on the machine
    long peakKb = 0;
};

// Runs a program with its output to /dev/null (or `outFile`) and measures wall time and peak RSS.
// `threads` > 0 sets QUILLMOOR_THREADS for the child.
ChildRun runChild(const std::vector<std::string>& argv, const char* outFile = "/dev/null",
                  int threads = 0) {
    ChildRun r;
    std::fflush(stdout);  // else the child's freopen writes the parent's pending output again
    auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (threads > 0)
            setenv("QUILLMOOR_THREADS", std::to_string(threads).c_str(), 1);
        FILE* f = std::freopen(outFile, "w", stdout);
        (void)f;
        FILE* e = std::freopen("/dev/null", "w", stderr);
        (void)e;
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int st = 0;
    rusage ru{};
    wait4(pid, &st, 0, &ru);
    r.seconds = since(t0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.peakKb = ru.ru_maxrss;
    r.cpuSeconds = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec +
                   ru.ru_stime.tv_usec / 1e6;
    gLastCpuSeconds = r.cpuSeconds;
    return r;
}

int gRepeat = 3;

// A program to time: its arguments, QUILLMOOR_THREADS (0: unset) and how often to run it.
struct Timed {
    std::vector<std::string> argv;
    int threads = 0;
    int repeat = 0;  // 0: gRepeat
};

// The run with the least wall time of each program. The runs go round by round, one of each
// program a round, so that a slow spell of the machine falls on all of them alike rather than
// on the one that happens to run then.
std::vector<ChildRun> bestOfEach(const std::vector<Timed>& programs) {
    std::vector<ChildRun> best(programs.size());
    int rounds = 0;
    for (const auto& p : programs)
        rounds = std::max(rounds, p.repeat > 0 ? p.repeat : gRepeat);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < programs.size(); ++k) {
            if (round >= (programs[k].repeat > 0 ? programs[k].repeat : gRepeat))
                continue;
            ChildRun r = runChild(programs[k].argv, "/dev/null", programs[k].threads);
            if (round == 0 || r.seconds < best[k].seconds)
                best[k] = r;
        }
    }
    return best;
}

// A failed run is no figure: its goal is reported as not measured, and the program fails.
bool gAnyFailed = false;

void ratio(const char* what, double value, double goal, bool measured) {
    if (!measured) {
        gAnyFailed = true;
        std::printf("  %-52s   --     (goal <= %.1f x: not measured, the run FAILED)\n", what,
                    goal);
        return;
    }
    std::printf("  %-52s %6.2f x   (goal <= %.1f x: %s)\n", what, value, goal,
                value <= goal ? "met" : "NOT met");
}

// `inputBytes` is what the peak memory is compared with (both files for compare).
void row(const char* what, double seconds, std::uint64_t bytes, long peakKb, const char* note = "",
         std::uint64_t inputBytes = 0) {
    double mb = static_cast<double>(bytes) / 1e6;
    if (inputBytes == 0)
        inputBytes = bytes;
    std::printf("  %-40s %8.3f s %9.1f MB/s", what, seconds, mb / seconds);
    if (peakKb > 0)
        std::printf("   peak %7.1f MB (%.2fx input)", peakKb / 1024.0,
                    peakKb * 1024.0 / inputBytes);
    if (gLastCpuSeconds >= 0)
        std::printf("   cpu %6.3f s", gLastCpuSeconds);
    gLastCpuSeconds = -1;
    std::printf("  %s\n", note);
}

}  // namespace

int main(int argc, char** argv) {
    fs::path dir = fs::temp_directory_path() / "quillmoor-bench-convert";
    std::uint64_t sizeMb = 100;
    bool keep = false;
    std::vector<std::uint64_t> sizes;
    std::string exe = CFGCONV_EXE;  // --exe: another build, to compare two versions
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) {
            dir = argv[++i];
        } else if (!std::strcmp(argv[i], "--size") && i + 1 < argc) {
            sizeMb = std::strtoull(argv[++i], nullptr, 10);
        } else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) {
            gRepeat = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--sizes") && i + 1 < argc) {
            for (char* p = argv[++i]; *p;) {
                char* end = nullptr;
                std::uint64_t mb = std::strtoull(p, &end, 10);
                if (end == p)
                    break;
                if (mb > 0)
                    sizes.push_back(mb);
                p = *end == ',' ? end + 1 : end;
            }
        } else if (!std::strcmp(argv[i], "--exe") && i + 1 < argc) {
            exe = argv[++i];
        } else if (!std::strcmp(argv[i], "--keep")) {
            keep = true;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--dir DIR] [--size MB] [--repeat N] [--sizes MB,MB,...] "
                         "[--exe CONVERTER] [--keep]\n",
                         argv[0]);
            return 2;
        }
    }
    fs::create_directories(dir);
    fs::path a2l = dir / "bench.a2l", a2lEdited = dir / "bench_edited.a2l";
    fs::path outI = dir / "bench_i.cfginclude", outZ = dir / "bench_z.cfginclude",
             outD = dir / "bench_d.cfginclude";

    std::printf("Generating %llu MB A2L in %s ...\n", static_cast<unsigned long long>(sizeMb),
                dir.c_str());
    a2l::gen::Options go;
    go.targetBytes = sizeMb * 1000000;
    go.seed = 1;
    auto counts = a2l::gen::generateFile(a2l, go);
    std::uint64_t bytes = fs::file_size(a2l);
    std::printf("  %llu bytes, %llu measurements, %llu characteristics, %llu COMPU_METHODs\n",
                static_cast<unsigned long long>(bytes),
                static_cast<unsigned long long>(counts.measurements),
                static_cast<unsigned long long>(counts.characteristics),
                static_cast<unsigned long long>(counts.compuMethods));
    // The second file for compare: the same with some addresses moved.
    {
        std::string text, err;
        cfgconv::readWholeFile(a2l, &text, &err);
        std::size_t pos = 0;
        for (int i = 0; i < 1000; ++i) {
            pos = text.find("ECU_ADDRESS 0x", pos);
            if (pos == std::string::npos)
                break;
            pos += 14;
            text[pos] = text[pos] == '1' ? '2' : '1';
        }
        std::ofstream(a2lEdited, std::ios::binary) << text;
    }

    std::printf("\nThe converter program (wall time, best of %d, peak RSS of the process):\n",
                gRepeat);
    const std::vector<std::string> convertZ = {exe,  "convert", a2l.string(),      outZ.string(),
                                               "-z", "-l",      "tarVix=2017.06.0"};
    const std::vector<std::string> compareArgs = {exe, "compare", a2l.string(), a2lEdited.string()};
    std::vector<std::string> compareV = compareArgs;
    compareV.push_back("-v");
    const std::vector<ChildRun> runs = bestOfEach({
        {{"gzip", "-1", "-c", a2l.string()}},
        {{"wc", "-l", a2l.string()}},
        {{exe, "convert", a2l.string(), outI.string(), "-i", "-l", "tarVix=2017.06.0"}},
        {convertZ},
        {convertZ, 1},
        {{exe, "convert", a2l.string(), outZ.string() + ".g1", "-z", "-l", "tarVix=1.4.4"}},
        {compareArgs},
        {compareArgs, 1},
        {compareV},
    });
    const ChildRun &gz = runs[0], &wc = runs[1], &ci = runs[2], &cz = runs[3], &cz1 = runs[4],
                   &c1 = runs[5], &cmp = runs[6], &cmp1 = runs[7], &cmpv = runs[8];
    struct Shown {
        const char* what;
        const ChildRun& run;
        int okUpTo;  // the highest exit code of a success
        std::uint64_t inputBytes;
    };
    for (const Shown& r : {Shown{"gzip -1 of the A2L (reference)", gz, 0, bytes},
                           Shown{"wc -l of the A2L (reference)", wc, 0, bytes},
                           Shown{"convert -i (tarVix=2017.06.0)", ci, 1, bytes},
                           Shown{"convert -z (tarVix=2017.06.0)", cz, 1, bytes},
                           Shown{"convert -z, QUILLMOOR_THREADS=1", cz1, 1, bytes},
                           Shown{"convert -z (tarVix=1.4.4, arrays split)", c1, 1, bytes},
                           Shown{"compare of two files (MB/s per file)", cmp, 0, 2 * bytes},
                           Shown{"compare, QUILLMOOR_THREADS=1", cmp1, 0, 2 * bytes},
                           Shown{"compare -v of two files", cmpv, 0, 2 * bytes}}) {
        gLastCpuSeconds = r.run.cpuSeconds;
        row(r.what, r.run.seconds, bytes, r.run.peakKb, r.run.status <= r.okUpTo ? "" : "FAILED",
            r.inputBytes);
    }
    std::uint64_t zBytes = fs::exists(outZ) ? fs::file_size(outZ) : 0;
    std::uint64_t iBytes = fs::exists(outI) ? fs::file_size(outI) : 0;
    ChildRun dz = runChild({exe, "decompress", outZ.string(), outD.string()});
    row("decompress (MB/s, peak vs output)", dz.seconds, iBytes, dz.peakKb,
        dz.status == 0 ? "" : "FAILED");
    ChildRun gzd = runChild({"sh", "-c", "gzip -1 -c '" + outI.string() + "' | gzip -d -c"});
    row("gzip -1 | gzip -d of that output (ref.)", gzd.seconds, iBytes, 0);
    std::printf("  output: indented %.1f MB, compressed %.1f MB (%.1f%%)\n", iBytes / 1e6,
                zBytes / 1e6, iBytes ? 100.0 * zBytes / iBytes : 0.0);

    // Before the in-process part: a child forked later would count its memory as its own.
    if (!sizes.empty()) {
        std::printf("\nLinear cost: convert -z (tarVix=2017.06.0) by file size:\n");
        double lo = 0, hi = 0;
        bool sizesOk = true;
        // Every size gets about the measuring time of the largest: a hiccup of a few
        // milliseconds is a tenth of a 10 MB run but a hundredth of a 100 MB one, so a best of
        // three would weigh the small file's noise ten times as much.
        const std::uint64_t largest = *std::max_element(sizes.begin(), sizes.end());
        std::vector<Timed> programs;
        std::vector<fs::path> files;
        for (std::uint64_t mb : sizes) {
            files.push_back(dir / ("bench_" + std::to_string(mb) + "mb.a2l"));
            a2l::gen::Options o;
            o.targetBytes = mb * 1000000;
            o.seed = 1;
            a2l::gen::generateFile(files.back(), o);
            const int repeat = static_cast<int>(std::min<std::uint64_t>(
                30,
                std::max<std::uint64_t>(1, largest / mb) * static_cast<std::uint64_t>(gRepeat)));
            programs.push_back(
                {{exe, "convert", files.back().string(), (dir / "bench_sizes.cfginclude").string(),
                  "-z", "-l", "tarVix=2017.06.0"},
                 0,
                 repeat});
        }
        const std::vector<ChildRun> bySize = bestOfEach(programs);
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const ChildRun& run = bySize[k];
            const std::uint64_t n = fs::file_size(files[k]);
            std::string label = std::to_string(sizes[k]) + " MB (best of " +
                                std::to_string(programs[k].repeat) + ")";
            gLastCpuSeconds = run.cpuSeconds;
            row(label.c_str(), run.seconds, n, run.peakKb, run.status <= 1 ? "" : "FAILED");
            sizesOk = sizesOk && run.status <= 1;
            double rate = static_cast<double>(n) / run.seconds;
            lo = lo == 0 ? rate : std::min(lo, rate);
            hi = std::max(hi, rate);
            if (!keep)
                fs::remove(files[k]);
        }
        fs::remove(dir / "bench_sizes.cfginclude");
        if (sizesOk) {
            std::printf("  spread of MB/s: %.0f %% of the slowest (goal <= 15 %%: %s)\n",
                        100.0 * (hi - lo) / lo, hi - lo <= 0.15 * lo ? "met" : "NOT met");
        } else {
            gAnyFailed = true;
            std::printf("  spread of MB/s: not measured, a run FAILED\n");
        }
    }

    std::printf("\nIn-process breakdown:\n");
    cfgconv::ConvertModel model;
    cfgconv::LoadInfo info;
    std::string err;
    auto t = Clock::now();
    if (!cfgconv::loadA2l(a2l, &model, &info, &err)) {
        std::fprintf(stderr, "read failed: %s\n", err.c_str());
        return 1;
    }
    row("read A2L into a full model (compare)", since(t), bytes, 0);
    std::string targetErr;
    cfgconv::ConvertOptions opt;
    opt.target = *cfgconv::parseTarget("tarVix=2017.06.0", &targetErr);
    opt.sourceName = "bench.a2l";
    opt.indent = false;
    t = Clock::now();
    auto r = cfgconv::buildCfgInclude(model, opt);
    double buildS = since(t);
    row("build compact XML (MB/s of XML)", buildS, r.document.size(), 0);
    const std::string& doc = r.document;
    struct Level {
        const char* name;
        bool libdeflate;
        int level;
    };
    for (Level l : {Level{"libdeflate level 1", true, 1}, Level{"libdeflate level 3", true, 3},
                    Level{"libdeflate level 6", true, 6}, Level{"libdeflate level 9", true, 9},
                    Level{"zlib level 1", false, 1}, Level{"zlib level 3", false, 3},
                    Level{"zlib level 6", false, 6}}) {
        if (l.libdeflate && std::strcmp(cfgconv::compressorName(), "libdeflate") != 0)
            continue;
        t = Clock::now();
        std::string z = l.libdeflate ? cfgconv::zlibCompress(doc, l.level)
                                     : cfgconv::zlibCompressWithZlib(doc, l.level);
        double s = since(t);
        char note[64];
        std::snprintf(note, sizeof note, "-> %.1f MB (%.1f%%)", z.size() / 1e6,
                      100.0 * z.size() / doc.size());
        std::string line = std::string("compress, ") + l.name;
        row(line.c_str(), s, doc.size(), 0, note);
    }
    std::string z = cfgconv::zlibCompress(doc), inflated;
    t = Clock::now();
    cfgconv::zlibInflate(z, &inflated, &err);
    row("zlib inflate (MB/s of output)", since(t), inflated.size(), 0);
    std::string indented;
    t = Clock::now();
    cfgconv::reindentCfgInclude(inflated, &indented, &err);
    row("re-indent (MB/s of output)", since(t), indented.size(), 0);

    std::printf("\nAgainst the goals (same run):\n");
    const bool gzOk = gz.status == 0, czOk = gzOk && cz.status <= 1;
    ratio("convert -z, wall time / gzip -1", cz.seconds / gz.seconds, 1.0, czOk);
    ratio("compare of two files, wall time / gzip -1 of one", cmp.seconds / gz.seconds, 1.5,
          gzOk && cmp.status == 0);
    ratio("convert -z, peak RSS / input size", cz.peakKb * 1024.0 / static_cast<double>(bytes), 1.5,
          cz.status <= 1);
    if (gzOk && cz1.status <= 1 && cmp1.status == 0)
        std::printf("  (one thread: convert -z %.2f x, compare %.2f x of gzip -1)\n",
                    cz1.seconds / gz.seconds, cmp1.seconds / gz.seconds);

    if (!keep) {
        for (const auto& p : {a2l, a2lEdited, outI, outZ, outD, fs::path(outZ.string() + ".g1")})
            fs::remove(p);
    }
    if (gAnyFailed)
        std::fprintf(stderr, "bench_convert: a run FAILED (is %s the converter?)\n", exe.c_str());
    return gAnyFailed ? 1 : 0;
}

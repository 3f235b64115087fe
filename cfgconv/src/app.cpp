#include "cfgconv/app.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include "cfgconv/a2l_adapter.hpp"
#include "cfgconv/cfginclude.hpp"
#include "cfgconv/cli.hpp"
#include "cfgconv/compare.hpp"
#include "cfgconv/fileio.hpp"
#include "cfgconv/prefetch.hpp"
#include "cfgconv/xml.hpp"
#include "cfgconv/zstream.hpp"

namespace fs = std::filesystem;

namespace cfgconv {

namespace {

std::string megabytes(std::size_t bytes) {
    char buf[32];
    if (bytes < 1000000)
        std::snprintf(buf, sizeof buf, "%.1f kB", static_cast<double>(bytes) / 1e3);
    else
        std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return buf;
}

std::string seconds(std::chrono::steady_clock::time_point since) {
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f s", s);
    return buf;
}

// Arguments arrive as UTF-8 (the front-end is a Qt program); paths keep that on every platform.
fs::path toPath(const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

std::string fileNameOf(const std::string& path) {
    return pathText(toPath(path).filename());
}

// An output that names an existing folder (the front-end's field is an output folder) gets
// `name` inside that folder.
fs::path outputPath(const std::string& output, const fs::path& name) {
    fs::path p = toPath(output);
    std::error_code ec;
    return fs::is_directory(p, ec) ? p / name : p;
}

// "3 instances, " when the file has INSTANCE objects (ASAP2 1.7), else nothing.
std::string instancesText(const LoadInfo& info) {
    if (info.instances == 0)
        return {};
    return std::to_string(info.instances) + (info.instances == 1 ? " instance, " : " instances, ");
}

// Progress lines of a load, to the reporter at once or kept for later (a load on another thread).
using LineOut = std::function<void(std::string_view)>;

void reportIfDataAddresses(const LineOut& line, const LoadInfo& info) {
    if (info.addressesFromIfData)
        line("Took the address of " + std::to_string(info.addressesFromIfData) +
             " measurement(s) without ECU_ADDRESS from their IF_DATA KP_BLOB");
}

void reportTolerated(const LineOut& line, const LoadInfo& info) {
    if (!info.warnings)
        return;
    line("The A2L reader tolerated " + std::to_string(info.warnings) + " problem(s), first:");
    for (const auto& w : info.firstWarnings)
        line("  " + w);
}

bool load(const LineOut& line, const std::string& path, const std::string& what,
          ConvertModel* model, std::string* error, const LoadOptions& options = {}) {
    auto t0 = std::chrono::steady_clock::now();
    if (!checkRegularInput(toPath(path), what, error))
        return false;
    std::error_code ec;
    auto size = fs::file_size(toPath(path), ec);
    line("Reading " + path + (ec ? std::string() : " (" + megabytes(size) + ")"));
    LoadInfo info;
    if (!loadA2l(toPath(path), model, &info, error))
        return false;
    line("Read " + std::to_string(info.measurements) + " measurements, " + instancesText(info) +
         (options.characteristics
              ? std::to_string(model->characteristics.size()) + " characteristics, "
              : std::string()) +
         std::to_string(model->conversions.size()) + " conversions, " +
         std::to_string(model->tables.size()) + " conversion tables in " + seconds(t0));
    reportTolerated(line, info);
    reportIfDataAddresses(line, info);
    return true;
}

// Loads the new file on a second thread while the caller loads the old one; its progress
// lines are kept and reported after the old file's, in the order a one-thread run gives.
class BackgroundLoad {
public:
    BackgroundLoad(const std::string& path, ConvertModel* model)
        : thread_([this, path, model] {
              try {
                  ok_ = load([this](std::string_view l) { lines_.emplace_back(l); }, path,
                             "the new A2L", model, &error_);
              } catch (...) {
                  failure_ = std::current_exception();
              }
          }) {}
    ~BackgroundLoad() { wait(); }
    BackgroundLoad(const BackgroundLoad&) = delete;
    BackgroundLoad& operator=(const BackgroundLoad&) = delete;

    // Waits for the load, reports its lines and sets *error as load() does; a failure on the
    // thread (out of memory) is thrown here.
    bool finish(Reporter& rep, std::string* error) {
        wait();
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
        for (const auto& l : lines_)
            rep.line(l);
        *error = error_;
        return ok_;
    }

private:
    void wait() {
        if (thread_.joinable())
            thread_.join();
    }

    std::vector<std::string> lines_;
    std::string error_;
    bool ok_ = false;
    std::exception_ptr failure_;
    std::thread thread_;  // last: starts once the members above exist
};

int convert(const Command& cmd, Reporter& rep) {
    auto t0 = std::chrono::steady_clock::now();
    const fs::path input = toPath(cmd.input);
    const fs::path output = outputPath(cmd.output, fs::path(input.stem()) += ".cfginclude");
    if (sameFile(input, output))
        return rep.finish(Status::Error,
                          "the output " + pathText(output) +
                              " is the input A2L itself; choose another output file");
    std::string error;
    if (!checkRegularInput(input, "the input A2L", &error))
        return rep.finish(Status::Error, error);
    ConvertModel model;
    ConvertOptions opt;
    opt.target = cmd.target;
    opt.station = cmd.station;
    opt.prefix = cmd.prefix.value_or("");
    opt.sourceName = fileNameOf(cmd.input);
    opt.indent = !cmd.compressed;
    // The measurements go from the A2L document straight into the XML, so the document and a
    // full model never need memory at the same time.
    ConvertResult r;
    const LineOut toReporter = [&rep](std::string_view l) { rep.line(l); };
    std::error_code ec;
    auto size = fs::file_size(toPath(cmd.input), ec);
    rep.line("Reading " + cmd.input + (ec ? std::string() : " (" + megabytes(size) + ")"));
    LoadInfo info;
    bool read = streamA2l(toPath(cmd.input), &model, &info, &error, [&](MeasurementSource& source) {
        rep.line("Read " + std::to_string(source.sizeHint()) + " measurements, " +
                 instancesText(info) + std::to_string(model.conversions.size()) + " conversions, " +
                 std::to_string(model.tables.size()) + " conversion tables in " + seconds(t0));
        reportTolerated(toReporter, info);
        rep.line("Converting for " + cmd.target.text + " (logger versions " +
                 cmd.target.describe() + ", format generation " +
                 std::to_string(static_cast<int>(cmd.target.generation)) + ")");
        r = buildCfgInclude(model, source, opt);
        if (source.notes) {
            rep.line("Read " + std::to_string(source.notes) +
                     " real number(s) beyond the range of a double as an infinity or zero, first:");
            for (const auto& n : source.firstNotes)
                rep.line("  " + n);
        }
    });
    if (!read)
        return rep.finish(Status::Error, "cannot read the A2L file: " + error);
    reportIfDataAddresses(toReporter, info);
    // One line per left-out measurement, but not thousands: the front-end shows them in its log.
    constexpr std::size_t kListed = 100;
    for (std::size_t i = 0; i < r.leftOut.size() && i < kListed; ++i)
        rep.line("Left out " + r.leftOut[i].name + ": " + r.leftOut[i].reason);
    if (r.leftOutCount > kListed)
        rep.line("... and " + std::to_string(r.leftOutCount - kListed) +
                 " more measurements left out");

    std::string data;
    if (cmd.compressed) {
        data = zlibCompress(r.document);
        rep.line("Compressed " + megabytes(r.document.size()) + " to " + megabytes(data.size()) +
                 " with " + compressorName());
        std::string().swap(r.document);
    } else {
        data = std::move(r.document);
    }
    info.files.push_back(input);
    if (!writeFileAtomically(output, data, &error, info.files))
        return rep.finish(Status::Error, "nothing written: " + error);
    rep.line("Wrote " + pathText(output) + ": " + std::to_string(r.signals) + " signals from " +
             std::to_string(r.measurementsWritten) + " measurements" +
             (r.arraysSplit ? " (" + std::to_string(r.arraysSplit) + " arrays split into elements)"
                            : std::string()) +
             ", " + std::to_string(r.conversions) + " conversions, " + std::to_string(r.tables) +
             " tables, " + std::to_string(r.events) + " events, " + std::to_string(data.size()) +
             " bytes in " + seconds(t0));
    if (r.leftOutCount == 0)
        return rep.finish(Status::Done);

    // Counts by cause, then the first names (the log above lists the first hundred with reasons).
    std::string text = std::to_string(r.leftOutCount) + " of " + std::to_string(r.measurements) +
                       " measurements left out for " + cmd.target.text + " (";
    bool first = true;
    for (const auto& [cat, n] : r.leftOutByCategory) {
        if (!first)
            text += ", ";
        first = false;
        text += cat + ": " + std::to_string(n);
    }
    text += "): ";
    constexpr std::size_t kNamed = 20;
    for (std::size_t i = 0; i < r.leftOut.size() && i < kNamed; ++i) {
        if (i)
            text += ", ";
        text += r.leftOut[i].name;
    }
    if (r.leftOutCount > kNamed)
        text += " and " + std::to_string(r.leftOutCount - kNamed) + " more";
    return rep.finish(Status::Warning, text);
}

int compare(const Command& cmd, Reporter& rep, Sink& out) {
    ConvertModel oldModel, newModel;
    std::string error;
    const LineOut toReporter = [&rep](std::string_view l) { rep.line(l); };
    std::optional<BackgroundLoad> newLoad;
    if (workerThreads() > 1)
        newLoad.emplace(cmd.output, &newModel);
    if (!load(toReporter, cmd.input, "the old A2L", &oldModel, &error))
        return rep.finish(Status::Error, "cannot read the old A2L file: " + error);
    bool newRead = newLoad ? newLoad->finish(rep, &error)
                           : load(toReporter, cmd.output, "the new A2L", &newModel, &error);
    if (!newRead)
        return rep.finish(Status::Error, "cannot read the new A2L file: " + error);
    rep.line("Comparing " + cmd.input + " (old) with " + cmd.output + " (new)");
    // Difference lines can be many: buffered, not one delivery each. The detailed
    // form opens with the summary, so it is held until the counts are known.
    std::string buffer;
    auto emit = [&](std::string_view line) {
        buffer += escapeEcho(line);
        buffer += '\n';
        if (!cmd.verbose && buffer.size() > (1 << 15)) {
            out.write(buffer);
            buffer.clear();
        }
    };
    CompareResult r = compareModels(oldModel, newModel, cmd.verbose, emit);
    if (cmd.verbose)
        rep.line(compareSummary(r));
    out.write(buffer);
    bool regenerate = r.signals.any() || r.conversions.any();
    rep.line(compareSummary(r));
    rep.line(regenerate
                 ? "The logger configuration should be regenerated: signals or conversions changed."
                 : "No signal or conversion changed: the logger configuration is still valid.");
    return rep.finish(Status::Done);
}

// Streams: the input is read in pieces, inflated and re-indented on the fly into the
// temporary output, so memory stays a few megabytes whatever the file holds.
int decompress(const Command& cmd, Reporter& rep) {
    const fs::path input = toPath(cmd.input);
    std::string error;
    InputFile in;
    if (!in.open(input, &error))
        return rep.finish(Status::Error, error);
    rep.line("Decompressing " + cmd.input + " (" + std::to_string(in.size()) + " bytes)");
    const fs::path output = outputPath(cmd.output, input.filename());
    OutputFile out;
    std::string outputError;
    bool opened = false;
    auto openOutput = [&] {
        if (!opened && outputError.empty())
            opened = out.open(output, &outputError);
        return opened;
    };
    CfgIncludeDecompressor decompressor([&](std::string_view piece, std::string* why) {
        if (!openOutput() || !out.write(piece, &outputError)) {
            *why = outputError;
            return false;
        }
        return true;
    });
    auto failWith = [&](const std::string& message) {
        out.discard();
        return rep.finish(Status::Error, "nothing written: " + message);
    };
    std::vector<char> buffer(std::size_t{1} << 16);
    bool ok = true;
    for (bool first = true;; first = false) {
        long long n = in.read(buffer.data(), buffer.size(), &error);
        if (n < 0)
            return failWith(error);
        if (n == 0)
            break;
        ok = decompressor.feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        // The header was fine: check the output before inflating the rest.
        if (ok && first && !openOutput())
            break;
        if (!ok)
            break;
    }
    if (!outputError.empty())
        return failWith(outputError);
    if (!ok || !decompressor.finish())
        return failWith(cmd.input + ": " + decompressor.error());
    if (!openOutput())
        return failWith(outputError);
    in.close();  // the output may replace the input itself
    if (!out.commit(&error))
        return failWith(error);
    rep.line("Wrote " + pathText(output) + " (" + std::to_string(out.written()) +
             " bytes, indented)");
    return rep.finish(Status::Done);
}

}  // namespace

int runConverter(const std::vector<std::string>& args, Sink& out, std::ostream& err) {
    Reporter rep(out);
    if (args.empty()) {
        out.write(std::string(kGeneratorName) + " " + kGeneratorVersion + "\n");
        out.flush();
        err << usageText();
        return 0;
    }
    std::string error;
    auto cmd = parseCommandLine(args, &error);
    if (!cmd) {
        err << usageText();
        return rep.finish(Status::Error, error);
    }
    try {
        switch (cmd->kind) {
            case Command::Kind::Convert:
                return convert(*cmd, rep);
            case Command::Kind::Compare:
                return compare(*cmd, rep, out);
            case Command::Kind::Decompress:
                return decompress(*cmd, rep);
            case Command::Kind::Version:
                break;
        }
    } catch (const std::bad_alloc&) {
        if (!rep.finished())
            return rep.finish(Status::Error, "out of memory; nothing written");
    } catch (const std::exception& e) {
        if (!rep.finished())
            return rep.finish(Status::Error,
                              std::string("internal failure: ") + e.what() + "; nothing written");
    }
    return 2;
}

}  // namespace cfgconv

// Work on a second thread (decoding ahead, compare's loads, text given back) changes no output.
#include <gtest/gtest.h>

#include <a2l/a2l.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "a2l_generator.h"
#include "cfgconv/prefetch.hpp"
#include "job_support.hpp"

using namespace cfgconv;
using namespace jobtest;
namespace fs = std::filesystem;

namespace {

// Measurements "M0", "M1", ... with a note on every tenth, the first `positional` of them
// decodable by position too; throws at `failAt` when given.
class CountingSource : public MeasurementSource {
public:
    CountingSource(std::size_t count, std::size_t failAt = SIZE_MAX, std::size_t positional = 0)
        : count_(count), failAt_(failAt), positional_(std::min(positional, count)) {}
    std::size_t sizeHint() const override { return count_; }
    bool next(Measurement& out) override {
        if (i_ == count_ && i_ != failAt_)
            return false;
        std::vector<std::string> found;
        decodeAt(i_++, out, found);
        for (auto& n : found)
            note(std::move(n));
        return true;
    }
    std::size_t positionalCount() const override { return positional_; }
    void decodeAt(std::size_t i, Measurement& out, std::vector<std::string>& found) const override {
        if (i == failAt_)
            throw std::runtime_error("decoding failed");
        out = Measurement();
        out.name = "M" + std::to_string(i);
        if (i % 10 == 0)
            found.push_back(out.name);
    }
    void skipPositional() override { i_ = positional_; }

private:
    std::size_t count_, failAt_, positional_, i_ = 0;
};

// Sets QUILLMOOR_THREADS, or with nullptr removes it.
void setThreads(const char* value) {
#ifdef _WIN32
    _putenv_s("QUILLMOOR_THREADS", value ? value : "");  // "" removes it
#else
    value ? ::setenv("QUILLMOOR_THREADS", value, 1) : ::unsetenv("QUILLMOOR_THREADS");
#endif
}

// A job's lines without the times they report.
std::string withoutTimes(const std::string& out) {
    static const std::regex time(R"(in [0-9]+\.[0-9]+ s)");
    return std::regex_replace(out, time, "in <t>");
}

// A generated A2L of about 5 MB (10,000 measurements), sized so that the reader maps it.
void generateMappable(const fs::path& file) {
    a2l::gen::Options options;
    options.targetBytes = 5'000'000;
    a2l::gen::generateFile(file, options);
    // The reader maps a file whose last page has room to spare, else it copies it.
    std::uintmax_t size = fs::file_size(file);
    std::ofstream(file, std::ios::binary | std::ios::app)
        << std::string((4096 + 100 - size % 4096) % 4096, '\n');
}

using ThreadsTest = FolderTest;

}  // namespace

TEST(Threads, PrefetchingSourceHandsOverEverythingInOrder) {
    struct Row {
        std::size_t count, batch, ahead, positional;
    };
    for (Row row : {Row{0, 4, 1, 0}, Row{1, 4, 1, 0}, Row{7, 1, 1, 0}, Row{8, 4, 2, 0},
                    Row{1000, 256, 8, 0}, Row{1001, 3, 1, 0}, Row{5, 4, 1, 3},
                    Row{1000, 7, 2, 1000}, Row{1001, 16, 3, 500}, Row{33, 4, 1, 1}}) {
        SCOPED_TRACE(std::to_string(row.count) + " with " + std::to_string(row.positional) +
                     " by position");
        CountingSource inner(row.count, SIZE_MAX, row.positional);
        PrefetchingSource ahead(inner, row.batch, row.ahead);
        EXPECT_EQ(ahead.sizeHint(), row.count);
        Measurement m;
        std::size_t n = 0;
        while (ahead.next(m))
            ASSERT_EQ(m.name, "M" + std::to_string(n++));
        EXPECT_EQ(n, row.count);
        EXPECT_FALSE(ahead.next(m));  // stays exhausted
        // The notes, wherever they were decoded, in the order of their measurements.
        EXPECT_EQ(ahead.notes, (row.count + 9) / 10);
        std::vector<std::string> first;
        for (std::size_t i = 0; i < row.count && first.size() < 5; i += 10)
            first.push_back("M" + std::to_string(i));
        EXPECT_EQ(ahead.firstNotes, first);
    }
}

TEST(Threads, PrefetchingSourceRethrowsFailuresAndStopsWhenLeftEarly) {
    for (std::size_t positional : {0, 100}) {
        CountingSource inner(100, 10, positional);
        PrefetchingSource ahead(inner, 4, 2);
        Measurement m;
        std::size_t n = 0;
        EXPECT_THROW(
            while (ahead.next(m)) { ++n; }, std::runtime_error);
        EXPECT_EQ(n, 8u);  // the two whole batches before the failing one
    }
    // A reader that gives up early (its own failure) must not wait for the rest.
    CountingSource inner(1'000'000);
    {
        PrefetchingSource ahead(inner, 16, 2);
        Measurement m;
        ASSERT_TRUE(ahead.next(m));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // until it waits for room
    }  // the destructor stops the decoding thread: a hang here fails by the test's timeout
}

// Large enough for many batches and for text given back while reading (every 4 MB) and
// while decoding (every 4096 measurements).
TEST_F(ThreadsTest, JobsGiveTheSameBytesAndLinesOnOneAndOnTwoThreads) {
    const fs::path a2l = dir / "gen.a2l", edited = dir / "gen_edited.a2l";
    generateMappable(a2l);
    std::string text = slurp(a2l);
    // Signals and characteristics moved: compare's two kinds may go to two threads.
    for (const char* field : {"ECU_ADDRESS 0x", "VALUE 0x"}) {
        for (std::size_t pos = 0, i = 0; i < 50; ++i) {
            pos = text.find(field, pos);
            ASSERT_NE(pos, std::string::npos);
            pos += std::strlen(field) + 4;
            text[pos] = text[pos] == '1' ? '2' : '1';
        }
    }
    spit(edited, text);
    const fs::path missing = dir / "missing.a2l";

    struct Result {
        std::vector<std::string> logs, outputs;
    };
    auto runAll = [&](const char* threads) {
        setThreads(threads);
        EXPECT_EQ(workerThreads(), std::strtoul(threads, nullptr, 10));
        Result r;
        const fs::path out = dir / "out.cfginclude";
        Job j = run({"convert", a2l.string(), out.string(), "-z", "-l", "tarVix=1.5.5"});
        EXPECT_LE(j.rc, 1) << j.out;
        r.logs.push_back(withoutTimes(j.out));
        r.outputs.push_back(slurp(out));
        EXPECT_GT(r.outputs.back().size(), 1u << 16);  // decompressed in more than one piece
        done({"decompress", out.string(), (dir / "out.xml").string()});
        r.outputs.push_back(slurp(dir / "out.xml"));
        for (auto [oldFile, newFile] : {std::pair{a2l, edited}, std::pair{missing, edited},
                                        std::pair{a2l, missing}, std::pair{missing, missing}}) {
            Job c = run({"compare", oldFile.string(), newFile.string()});
            r.logs.push_back(withoutTimes(c.out));
        }
        return r;
    };
    Result one = runAll("1"), two = runAll("2");
    setThreads(nullptr);
    EXPECT_EQ(one.outputs, two.outputs);
    EXPECT_EQ(one.logs, two.logs);
    EXPECT_PRED2(has, two.logs[0], " more measurements left out");
    std::size_t listed = 0;
    for (std::size_t p = 0; (p = two.logs[0].find("\nLeft out ", p)) != std::string::npos; ++p)
        ++listed;
    EXPECT_EQ(listed, 100u);
    // The compares did what they should: differences found, and the failing file named.
    EXPECT_PRED2(has, two.logs[1], "should be regenerated");
    EXPECT_PRED2(has, two.logs[1], "~ characteristic");
    for (std::size_t i : {2, 3, 4})
        EXPECT_PRED2(has, two.logs[i],
                     i == 3 ? "cannot read the new A2L" : "cannot read the old A2L");
}

// A heap copy of a text (nothing to give back) is left alone.
TEST_F(ThreadsTest, TextGivenBackReadsTheSameAgain) {
    const fs::path file = dir / "gen.a2l";
    generateMappable(file);
    const std::string text = slurp(file);

    a2l::ReadOptions plain;
    plain.validate = false;
    a2l::ReadOptions releasing = plain;
    releasing.releaseParsedText = true;
    auto reference = a2l::readFile(file, plain);
    ASSERT_TRUE(reference.ok());
    auto expected = reference.document->all<a2l::Measurement>();
    ASSERT_GT(expected.size(), 8192u);

    auto mapped = a2l::readFile(file, releasing);
    auto copied = a2l::readText(text, "gen.a2l", releasing);
    for (auto* result : {&mapped, &copied}) {
        ASSERT_TRUE(result->ok());
        const a2l::Document& doc = *result->document;
        auto blocks = doc.blocks(a2l::BlockKind::Measurement);
        ASSERT_EQ(blocks.size(), expected.size());
        // Give back everything before the last measurement, then decode them all.
        doc.releaseTextBefore(blocks.back());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            a2l::Measurement m = doc.measurement(blocks[i]);
            ASSERT_EQ(m.name, expected[i].name) << i;
            ASSERT_EQ(m.ecuAddress, expected[i].ecuAddress) << m.name;
            ASSERT_EQ(m.conversion, expected[i].conversion) << m.name;
            if (i % 1000 == 0)
                doc.releaseTextBefore(blocks[i]);
        }
        EXPECT_EQ(doc.root().rawText(), text);
    }
}

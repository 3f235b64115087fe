#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace a2ltest {

a2l::ReadResult readOk(std::string_view text, const a2l::ReadOptions& options) {
    auto result = a2l::readText(text, "test.a2l", options);
    EXPECT_TRUE(result.ok()) << (result.error ? result.error->toString() : std::string());
    return result;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = fs::temp_directory_path() /
            ("a2l_test_" + std::to_string(rd()) + "_" + std::to_string(counter++));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path TempDir::write(const std::string& name, std::string_view content) const {
    fs::path file = path_ / name;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return file;
}

std::map<std::string, std::size_t> countBlocks(std::string_view t) {
    std::map<std::string, std::size_t> counts;
    std::size_t i = 0;
    const std::size_t n = t.size();
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto isBegin = [](std::string_view w) {
        return std::equal(w.begin(), w.end(), "/BEGIN",
                          [](char a, char b) { return std::toupper((unsigned char)a) == b; });
    };
    while (i < n) {
        char c = t[i];
        if (c == '/' && i + 1 < n && t[i + 1] == '*') {
            std::size_t e = t.find("*/", i + 2);
            i = e == std::string_view::npos ? n : e + 2;
        } else if (c == '/' && i + 1 < n && t[i + 1] == '/') {
            std::size_t e = t.find('\n', i);
            i = e == std::string_view::npos ? n : e + 1;
        } else if (c == '"') {
            // A doubled quote inside a string ends it and begins another: the same to the count.
            for (++i; i < n && t[i] != '"';)
                i += t[i] == '\\' ? 2 : 1;
            ++i;
        } else if (c == '/' && i + 6 <= n && isBegin(t.substr(i, 6))) {
            std::size_t k = i + 6;
            while (k < n && isSpace(t[k]))
                ++k;
            std::size_t e = k;
            while (e < n && !isSpace(t[e]) && t[e] != '"' && t[e] != '/')
                ++e;
            ++counts[std::string(t.substr(k, e - k))];
            i = e;
        } else {
            ++i;
        }
    }
    return counts;
}

void expectScanCounts(const a2l::Document& doc, const std::map<std::string, std::size_t>& scan,
                      const std::string& what) {
    using K = a2l::BlockKind;
    const char* keywords[] = {"MEASUREMENT", "CHARACTERISTIC", "AXIS_PTS",         "COMPU_METHOD",
                              "COMPU_TAB",   "COMPU_VTAB",     "COMPU_VTAB_RANGE", "RECORD_LAYOUT",
                              "UNIT",        "GROUP",          "FUNCTION",         "AXIS_DESCR",
                              "MODULE",      "IF_DATA"};
    const K kinds[] = {K::Measurement, K::Characteristic, K::AxisPts,        K::CompuMethod,
                       K::CompuTab,    K::CompuVtab,      K::CompuVtabRange, K::RecordLayout,
                       K::Unit,        K::Group,          K::Function,       K::AxisDescr,
                       K::Module,      K::IfData};
    static_assert(std::size(keywords) == std::size(kinds));
    std::size_t total = 0;
    for (const auto& [keyword, n] : scan)
        total += n;
    EXPECT_EQ(doc.blockCount(), total) << what;
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        auto found = scan.find(keywords[i]);
        EXPECT_EQ(doc.count(kinds[i]), found == scan.end() ? 0 : found->second)
            << what << " " << keywords[i];
    }
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path sharedDir() {
    fs::path dir = QUILLMOOR_SHARED_A2L_DIR;
    std::error_code ec;
    return fs::is_directory(dir, ec) ? dir : fs::path();
}

}  // namespace a2ltest

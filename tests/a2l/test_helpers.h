// Helpers shared by the A2L engine tests.
#pragma once

#include <a2l/a2l.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace a2ltest {

// Reads text and fails the test (with the error) when the read fails.
a2l::ReadResult readOk(std::string_view text, const a2l::ReadOptions& options = {});

// A fresh temporary folder, removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, std::string_view content) const;

private:
    std::filesystem::path path_;
};

// Counts "/begin KEYWORD" per keyword outside comments and strings: a scan written for the
// tests, independent of the engine's lexer.
std::map<std::string, std::size_t> countBlocks(std::string_view text);
// Expects the objects of each kind, and blocks in all, that `scan` (countBlocks) found.
void expectScanCounts(const a2l::Document& doc, const std::map<std::string, std::size_t>& scan,
                      const std::string& what);
std::string slurp(const std::filesystem::path& file);

// The folder with the public sample files, or empty when it is absent.
std::filesystem::path sharedDir();

}  // namespace a2ltest

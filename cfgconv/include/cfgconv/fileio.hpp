// Reading inputs whole and writing outputs atomically.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cfgconv {

// Reads a whole file. On failure returns false and sets *error to a sentence
// naming the path.
bool readWholeFile(const std::filesystem::path& path, std::string* data, std::string* error);

// Writes data to a temporary file beside `target`, flushes it to disk and renames
// it over the target only when complete. On failure the target is untouched and
// the temporary file is removed. While the write runs, SIGINT/SIGTERM remove the
// temporary file before the process ends (installInterruptCleanup()).
bool writeFileAtomically(const std::filesystem::path& target, std::string_view data,
                         std::string* error);

// Installs handlers that remove an unfinished temporary output on SIGINT/SIGTERM.
void installInterruptCleanup();

// A path as UTF-8 text for messages (path::string() gives the ANSI code page on Windows and
// throws for characters it cannot hold).
std::string pathText(const std::filesystem::path& path);

// True when both paths name the same existing file.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace cfgconv

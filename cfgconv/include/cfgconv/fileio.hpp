// Reading inputs and writing outputs atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace cfgconv {

// Reads a whole file. On failure returns false and sets *error to a sentence
// naming the path.
bool readWholeFile(const std::filesystem::path& path, std::string* data, std::string* error);

// An input file read in pieces. open() never blocks (a FIFO is refused, not waited on) and
// refuses everything that is not a regular file (a folder, a FIFO, a device, a socket).
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    bool open(const std::filesystem::path& path, std::string* error);
    std::uint64_t size() const { return size_; }
    // Reads up to `room` bytes; returns the count (0 at the end) or -1 with *error set.
    long long read(char* buffer, std::size_t room, std::string* error);
    // Windows refuses to replace a file that is open, as when decompressing onto the input.
    void close();

private:
    std::filesystem::path path_;
    std::uint64_t size_ = 0;
#ifdef _WIN32
    std::ifstream in_;
#else
    int fd_ = -1;
#endif
};

// Checks, without opening it (so without blocking on a FIFO), that `path` names an existing
// regular file or a symbolic link to one. `what` names the argument in the message
// ("the input A2L").
bool checkRegularInput(const std::filesystem::path& path, const std::string& what,
                       std::string* error);

// An output written to a temporary file beside its target and renamed over the target only
// when complete.
//
// open() refuses a target that exists and is neither a regular file nor a symbolic link to
// one (a FIFO, a device, a socket, a folder), a read-only target, and any of `readFiles`
// (the files the job read). A symbolic link is followed: the link stays and its target is
// replaced, with the temporary file in the target's folder. An existing target keeps its
// permission bits (and, when the process may set it, its owner). The temporary file is named
// `.NAME.PID.N.tmp`, with NAME shortened where the whole name would exceed the file system's
// limit. While it exists, SIGINT, SIGTERM and SIGHUP remove it before the process ends
// (installInterruptCleanup()). Destroying an uncommitted OutputFile removes it.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool open(const std::filesystem::path& target, std::string* error,
              const std::vector<std::filesystem::path>& readFiles = {});
    bool write(std::string_view data, std::string* error);
    // Flushes to disk, renames over the target and syncs the folder.
    bool commit(std::string* error);
    void discard();
    std::uint64_t written() const { return written_; }
    // The file that is replaced (the final target of a symbolic link).
    const std::filesystem::path& target() const { return target_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::uint64_t written_ = 0;
    bool active_ = false;
    bool keepMode_ = false;
    unsigned mode_ = 0;
    unsigned owner_ = 0, group_ = 0;
#ifdef _WIN32
    std::ofstream out_;
#else
    int fd_ = -1;
#endif
};

// Writes data through an OutputFile: on failure the target is untouched and the temporary
// file is removed.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view data,
                         std::string* error,
                         const std::vector<std::filesystem::path>& readFiles = {});

// Installs the handlers that remove an unfinished temporary output on SIGINT, SIGTERM and
// SIGHUP, and ignores SIGPIPE and SIGXFSZ so that a write to a closed pipe or beyond the
// file size limit fails with an error the job reports instead of ending the process.
void installInterruptCleanup();

// A path as UTF-8 text for messages (path::string() gives the ANSI code page on Windows and
// throws for characters it cannot hold).
std::string pathText(const std::filesystem::path& path);

// True when both paths name the same existing file.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace cfgconv

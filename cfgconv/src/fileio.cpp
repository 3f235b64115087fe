#include "cfgconv/fileio.hpp"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace cfgconv {

namespace {

// The temporary file being written, for the signal handler (async-signal-safe access), in
// the platform's own path characters.
fs::path::value_type gTempPath[4096];
std::atomic<bool> gTempActive{false};

void onInterrupt(int sig) {
    if (gTempActive.load()) {
#ifdef _WIN32
        _wunlink(gTempPath);
#else
        unlink(gTempPath);
#endif
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

std::string describe(const std::error_code& ec) {
    return ec.message();
}

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

#ifndef _WIN32
bool writeAllFd(int fd, std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left > (1u << 30) ? (1u << 30) : left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}
#endif

}  // namespace

std::string pathText(const fs::path& path) {
    std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

void installInterruptCleanup() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

bool readWholeFile(const fs::path& path, std::string* data, std::string* error) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        *error = "'" + pathText(path) + "' is a folder, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open '" + pathText(path) + "'" +
                 (fs::exists(path, ec) ? " for reading" : ": no such file");
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    data->clear();
    if (size > 0) {
        data->resize(static_cast<std::size_t>(size));
        in.read(data->data(), size);
        if (in.gcount() != size) {
            *error = "cannot read '" + pathText(path) + "'";
            return false;
        }
    }
    return true;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

bool writeFileAtomically(const fs::path& target, std::string_view data, std::string* error) {
    std::error_code ec;
    if (target.empty()) {
        *error = "the output path is empty";
        return false;
    }
    if (fs::is_directory(target, ec)) {
        *error = "the output '" + pathText(target) + "' is a folder";
        return false;
    }
    fs::path dir = target.parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec)) {
        *error = "the output folder '" + pathText(dir) + "' does not exist";
        return false;
    }
    static int counter = 0;
    fs::path temp = target;
    fs::path name = ".";
    name += target.filename();
    name += "." + std::to_string(processId()) + "." + std::to_string(++counter) + ".tmp";
    temp.replace_filename(name);
    const std::string tempText = pathText(temp);
    const auto& native = temp.native();  // wide on Windows
    if (native.size() >= std::size(gTempPath)) {
        *error = "the output path '" + pathText(target) + "' is too long";
        return false;
    }
    std::copy(native.begin(), native.end(), gTempPath);
    gTempPath[native.size()] = 0;
    gTempActive = true;

    bool ok = true;
    std::string what;
#ifdef _WIN32
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            ok = false;
            what = "cannot create a file in '" + (dir.empty() ? std::string(".") : pathText(dir)) +
                   "'";
        } else {
            out.write(data.data(), static_cast<std::streamsize>(data.size()));
            out.flush();
            if (!out) {
                ok = false;
                what = "cannot write '" + tempText + "' (disk full?)";
            }
        }
    }
#else
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        ok = false;
        what = "cannot create a file in '" + (dir.empty() ? std::string(".") : pathText(dir)) +
               "': " + std::strerror(errno);
    } else {
        if (!writeAllFd(fd, data)) {
            ok = false;
            what = "cannot write '" + tempText + "': " + std::strerror(errno);
        } else if (::fsync(fd) != 0) {
            ok = false;
            what = "cannot flush '" + tempText + "' to disk: " + std::strerror(errno);
        }
        if (::close(fd) != 0 && ok) {
            ok = false;
            what = "cannot close '" + tempText + "': " + std::strerror(errno);
        }
    }
#endif
    if (ok) {
        // std::filesystem::rename replaces an existing target on every platform.
        fs::rename(temp, target, ec);
        if (ec) {
            ok = false;
            what = "cannot replace '" + pathText(target) + "': " + describe(ec);
        }
    }
    if (!ok)
        fs::remove(temp, ec);
    gTempActive = false;
#ifndef _WIN32
    if (ok) {
        // Make the rename itself durable.
        int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
    }
#endif
    if (!ok)
        *error = what;
    return ok;
}

}  // namespace cfgconv

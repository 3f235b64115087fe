#include "cfgconv/fileio.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace cfgconv {

namespace {

// The temporary file being written, for the signal handler (async-signal-safe access), in
// the platform's own path characters.
fs::path::value_type gTempPath[4096];
std::atomic<bool> gTempActive{false};
// While a temporary file is created and noted above, an interrupt only leaves its number
// here: the creator ends the job once the name is noted, so that no file is left behind.
std::atomic<bool> gCreating{false};
std::atomic<int> gPendingSignal{0};

void onInterrupt(int sig) {
    gPendingSignal.store(sig);
    if (gCreating.load()) {
        return;
    }
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

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

std::string quoted(const fs::path& p) {
    return "'" + pathText(p) + "'";
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

// What a path that is not a regular file is, for messages.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}
#endif

// Longest file name the folder's file system takes, in the platform's path characters.
std::size_t nameMax(const fs::path& dir) {
#ifdef _WIN32
    (void)dir;
    return 255;  // UTF-16 units on NTFS
#else
    long n = ::pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    return n > 0 ? static_cast<std::size_t>(n) : 255;
#endif
}

// ".NAME.PID.N.tmp" beside `target`, with NAME cut (at a character boundary) where the whole
// name would be longer than the file system allows.
fs::path tempNameFor(const fs::path& target, int counter) {
    using string_type = fs::path::string_type;
    const std::string tail =
        "." + std::to_string(processId()) + "." + std::to_string(counter) + ".tmp";
    const string_type suffix(tail.begin(), tail.end());
    string_type base = target.filename().native();
    const std::size_t limit = nameMax(target.parent_path());
    if (1 + base.size() + suffix.size() > limit && limit > 1 + suffix.size()) {
        std::size_t cut = limit - 1 - suffix.size();
#ifdef _WIN32
        while (cut > 0 && base[cut] >= 0xDC00 && base[cut] <= 0xDFFF)  // low surrogate
            --cut;
#else
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
#endif
        base.resize(cut);
    }
    string_type name;
    name += '.';
    name += base;
    name += suffix;
    fs::path temp = target;
    temp.replace_filename(fs::path(name));
    return temp;
}

// Follows the symbolic links of the last component of `path` (each relative to its own
// folder). Returns false when there are too many.
bool followLinks(const fs::path& path, fs::path* resolved) {
    fs::path p = path;
    for (int i = 0; i < 40; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) {
            *resolved = p;
            return true;
        }
        fs::path link = fs::read_symlink(p, ec);
        if (ec) {
            *resolved = p;
            return true;
        }
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return false;
}

}  // namespace

std::string pathText(const fs::path& path) {
    std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

void installInterruptCleanup() {
#ifdef _WIN32
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
#else
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        // A caller that ignores hang-ups or interrupts (nohup) keeps ignoring them.
        if (sig != SIGTERM && ::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        ::sigaction(sig, &sa, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool readWholeFile(const fs::path& path, std::string* data, std::string* error) {
    InputFile in;
    if (!in.open(path, error))
        return false;
    data->clear();
    data->resize(static_cast<std::size_t>(in.size()));
    std::size_t got = 0;
    while (got < data->size()) {
        long long n = in.read(data->data() + got, data->size() - got, error);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    data->resize(got);
    return true;
}

bool checkRegularInput(const fs::path& path, const std::string& what, std::string* error) {
#ifdef _WIN32
    std::error_code ec;
    auto st = fs::status(path, ec);
    if (ec || !fs::exists(st) || fs::is_regular_file(st))
        return true;
    *error = what + " " + quoted(path) +
             (fs::is_directory(st) ? " is a folder, not a file" : " is not a regular file");
    return false;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return true;  // a missing file is the reader's to report
    *error = what + " " + quoted(path) + " is " + kindOf(st.st_mode) + ", not a regular file";
    return false;
#endif
}

InputFile::~InputFile() {
    close();
}

void InputFile::close() {
#ifdef _WIN32
    if (in_.is_open())
        in_.close();
#else
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
#endif
}

bool InputFile::open(const fs::path& path, std::string* error) {
    path_ = path;
#ifdef _WIN32
    std::error_code ec;
    auto st = fs::status(path, ec);
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        *error = quoted(path) +
                 (fs::is_directory(st) ? " is a folder, not a file" : " is not a regular file");
        return false;
    }
    in_.open(path, std::ios::binary);
    if (!in_) {
        *error =
            "cannot open " + quoted(path) + (fs::exists(st) ? " for reading" : ": no such file");
        return false;
    }
    size_ = fs::file_size(path, ec);
    if (ec)
        size_ = 0;
    return true;
#else
    // Look before opening: opening a FIFO waits for a writer, opening a device may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        int e = errno;
        *error = "cannot open " + quoted(path) +
                 (e == ENOENT ? std::string(": no such file") : ": " + std::string(strerror(e)));
        return false;
    }
    auto notRegular = [&](mode_t mode) {
        *error = quoted(path) + " is " + kindOf(mode) +
                 (S_ISDIR(mode) ? ", not a file" : ", not a regular file");
        return false;
    };
    if (!S_ISREG(st.st_mode))
        return notRegular(st.st_mode);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        *error = "cannot open " + quoted(path) + " for reading: " + std::strerror(errno);
        return false;
    }
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))  // replaced since the look
        return notRegular(st.st_mode);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
#endif
}

long long InputFile::read(char* buffer, std::size_t room, std::string* error) {
#ifdef _WIN32
    in_.read(buffer, static_cast<std::streamsize>(room));
    if (in_.bad()) {
        *error = "cannot read " + quoted(path_);
        return -1;
    }
    return static_cast<long long>(in_.gcount());
#else
    for (;;) {
        ssize_t n = ::read(fd_, buffer, room);
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            *error = "cannot read " + quoted(path_) + ": " + std::strerror(errno);
            return -1;
        }
    }
#endif
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::open(const fs::path& target, std::string* error,
                      const std::vector<fs::path>& readFiles) {
    discard();
    if (target.empty()) {
        *error = "the output path is empty";
        return false;
    }
    if (!followLinks(target, &target_)) {
        *error = "the output " + quoted(target) + " is a chain of too many symbolic links";
        return false;
    }
    // "the output 'x'" or, through a link, "the output 'x' (a link to 'y')".
    const std::string named =
        "the output " + quoted(target) +
        (target_ == target ? std::string() : " (a link to " + quoted(target_) + ")");
    std::error_code ec;
    keepMode_ = false;
#ifdef _WIN32
    auto st = fs::status(target_, ec);
    if (fs::exists(st)) {
        if (fs::is_directory(st)) {
            *error = named + " is a folder";
            return false;
        }
        if (!fs::is_regular_file(st)) {
            *error = named + " is not a regular file; choose a regular file";
            return false;
        }
        if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) {
            *error = named + " is read-only; make it writable or choose another file";
            return false;
        }
    }
#else
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            *error = named + " is a folder";
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            *error = named + " is " + kindOf(st.st_mode) + ", not a regular file; choose a file";
            return false;
        }
        // Root may write anything: the permission bits say what the owner wants.
        if ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) {
            *error = named + " is read-only; make it writable or choose another file";
            return false;
        }
        keepMode_ = true;
        mode_ = st.st_mode & 07777;
        owner_ = st.st_uid;
        group_ = st.st_gid;
    }
#endif
    for (const auto& read : readFiles) {
        if (sameFile(target_, read)) {
            *error = named + " is " + quoted(read) +
                     ", a file this job reads; choose another output file";
            return false;
        }
    }
    fs::path dir = target_.parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec)) {
        *error = "the output folder " + quoted(dir) + " does not exist";
        return false;
    }
    struct Creating {
        Creating() { gCreating.store(true); }
        ~Creating() {
            gCreating.store(false);
            if (const int sig = gPendingSignal.load()) {
                onInterrupt(sig);
            }
        }
    } creating;
    static int counter = 0;
    for (int attempt = 0;; ++attempt) {
        temp_ = tempNameFor(target_, ++counter);
        const auto& native = temp_.native();  // wide on Windows
        if (native.size() >= std::size(gTempPath)) {
            *error = "the output path " + quoted(target) + " is too long";
            return false;
        }
        std::string why;
#ifdef _WIN32
        if (fs::exists(temp_, ec) && attempt < 100)
            continue;
        out_.open(temp_, std::ios::binary | std::ios::trunc);
        bool created = static_cast<bool>(out_);
#else
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        bool created = fd_ >= 0;
        if (!created && errno == EEXIST && attempt < 100)
            continue;
        if (!created)
            why = std::string(": ") + std::strerror(errno);
#endif
        if (!created) {
            *error =
                "cannot create a file in " + (dir.empty() ? std::string("'.'") : quoted(dir)) + why;
            return false;
        }
        break;
    }
    std::copy(temp_.native().begin(), temp_.native().end(), gTempPath);
    gTempPath[temp_.native().size()] = 0;
    gTempActive = true;
    active_ = true;
    written_ = 0;
#ifndef _WIN32
    if (keepMode_) {
        if (::geteuid() == 0 && ::fchown(fd_, owner_, group_) != 0) {
            // The owner stays root; the permission bits below still hold.
        }
        ::fchmod(fd_, static_cast<mode_t>(mode_));
    }
#endif
    return true;
}

bool OutputFile::write(std::string_view data, std::string* error) {
    if (!active_) {
        *error = "no output file is open";
        return false;
    }
#ifdef _WIN32
    out_.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out_) {
        *error = "cannot write " + quoted(temp_) + " (disk full?)";
        discard();
        return false;
    }
#else
    if (!writeAllFd(fd_, data)) {
        *error = "cannot write " + quoted(temp_) + ": " + std::strerror(errno);
        discard();
        return false;
    }
#endif
    written_ += data.size();
    return true;
}

bool OutputFile::commit(std::string* error) {
    if (!active_) {
        *error = "no output file is open";
        return false;
    }
    std::string what;
#ifdef _WIN32
    out_.flush();
    if (!out_)
        what = "cannot write " + quoted(temp_) + " (disk full?)";
    out_.close();
#else
    if (::fsync(fd_) != 0)
        what = "cannot flush " + quoted(temp_) + " to disk: " + std::strerror(errno);
    if (::close(fd_) != 0 && what.empty())
        what = "cannot close " + quoted(temp_) + ": " + std::strerror(errno);
    fd_ = -1;
#endif
    if (what.empty()) {
        // std::filesystem::rename replaces an existing target on every platform.
        std::error_code ec;
        fs::rename(temp_, target_, ec);
        if (ec)
            what = "cannot replace " + quoted(target_) + ": " + ec.message();
    }
    if (!what.empty()) {
        *error = what;
        discard();
        return false;
    }
    active_ = false;
    gTempActive = false;
#ifndef _WIN32
    // Make the rename itself durable.
    fs::path dir = target_.parent_path();
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
#endif
    return true;
}

void OutputFile::discard() {
    if (!active_)
        return;
#ifdef _WIN32
    out_.close();
#else
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
#endif
    std::error_code ec;
    fs::remove(temp_, ec);
    active_ = false;
    gTempActive = false;
}

bool writeFileAtomically(const fs::path& target, std::string_view data, std::string* error,
                         const std::vector<fs::path>& readFiles) {
    OutputFile out;
    return out.open(target, error, readFiles) && out.write(data, error) && out.commit(error);
}

}  // namespace cfgconv

// Loading source files: bytes from disk, byte-order marks, UTF-16/32 to UTF-8.
#include "source.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace a2l::detail {

namespace fs = std::filesystem;

std::string pathText(const fs::path& path) {
    std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

fs::path pathFromText(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

namespace {

void unmap(char* p, std::size_t len) {
#ifdef _WIN32
    (void)p;  // files are read into memory there, never mapped
    (void)len;
#else
    ::munmap(p, len);
#endif
}

// A zeroed heap buffer with room for the sentinel and the padding.
std::unique_ptr<char[]> heapFor(std::uint64_t size) {
    return std::make_unique<char[]>(size + 1 + kPadding);
}

std::string utf16ToUtf8(const unsigned char* p, std::size_t n, bool bigEndian) {
    std::string out;
    out.reserve(n / 2 + 16);
    auto unit = [&](std::size_t i) -> std::uint32_t {
        return bigEndian ? (std::uint32_t(p[i]) << 8) | p[i + 1]
                         : (std::uint32_t(p[i + 1]) << 8) | p[i];
    };
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            std::uint32_t lo = unit(i + 2);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, u);  // lone surrogates become U+FFFD
    }
    return out;
}

std::string utf32ToUtf8(const unsigned char* p, std::size_t n, bool bigEndian) {
    std::string out;
    out.reserve(n / 4 + 16);
    for (std::size_t i = 0; i + 3 < n; i += 4) {
        std::uint32_t u = bigEndian
                              ? (std::uint32_t(p[i]) << 24) | (std::uint32_t(p[i + 1]) << 16) |
                                    (std::uint32_t(p[i + 2]) << 8) | p[i + 3]
                              : (std::uint32_t(p[i + 3]) << 24) | (std::uint32_t(p[i + 2]) << 16) |
                                    (std::uint32_t(p[i + 1]) << 8) | p[i];
        appendUtf8(out, u);
    }
    return out;
}

#ifndef _WIN32
const char* fileKind(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO (named pipe)";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "no regular file";
}
#endif

bool tooLarge(std::uint64_t size, const std::string& display, std::string& error) {
    if (size > kMaxFileSize) {
        error = "\"" + display + "\" is larger than 4 GiB";
        return true;
    }
    return false;
}

}  // namespace

Buffer& Buffer::operator=(Buffer&& other) noexcept {
    if (this != &other) {
        if (mapLen_ != 0) {
            unmap(ptr_, mapLen_);
        }
        heap_ = std::move(other.heap_);
        ptr_ = other.ptr_;
        mapLen_ = other.mapLen_;
        released_ = other.released_;
        other.ptr_ = nullptr;
        other.mapLen_ = 0;
        other.released_ = 0;
    }
    return *this;
}

Buffer::~Buffer() {
    if (mapLen_ != 0) {
        unmap(ptr_, mapLen_);
        mapLen_ = 0;
        ptr_ = nullptr;
    }
}

void Buffer::releaseBefore(std::size_t offset) {
#ifndef _WIN32
    if (mapLen_ == 0) {
        return;
    }
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t end = std::min(offset, mapLen_) / page * page;
    if (end < released_) {
        released_ = 0;  // a new pass over the text, faulting in again what an earlier one gave back
    }
    if (end > released_) {
        // The mapping is private and never written, so dropping its pages loses nothing.
        ::madvise(ptr_ + released_, end - released_, MADV_DONTNEED);
        released_ = end;
    }
#else
    (void)offset;
#endif
}

bool loadBytes(const fs::path& path, const std::string& display, SourceBytes& out,
               std::string& error) {
#ifdef _WIN32
    // Look before opening: Windows refuses to open a folder ("Permission denied"), which
    // would not say what the path names.
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "cannot read \"" + display + "\": it is a folder, not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open \"" + display + "\": " + std::strerror(errno);
        return false;
    }
    if (!fs::is_regular_file(path, ec)) {
        error = "cannot read \"" + display + "\": not a regular file";
        return false;
    }
    const std::uint64_t size = fs::file_size(path, ec);
    if (ec) {
        error = "cannot read \"" + display + "\": " + ec.message();
        return false;
    }
    if (tooLarge(size, display, error)) {
        return false;
    }
    auto bytes = heapFor(size);
    if (size > 0 && !in.read(bytes.get(), static_cast<std::streamsize>(size))) {
        error = "cannot read \"" + display + "\": short read";
        return false;
    }
#else
    // Look before opening: opening a FIFO waits for a writer, opening a device may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = "cannot read \"" + display + "\": it is " + fileKind(st.st_mode) +
                ", not a regular file";
        return false;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open \"" + display + "\": " + std::strerror(errno);
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "cannot read \"" + display + "\": not a regular file";
        return false;
    }
    auto size = static_cast<std::uint64_t>(st.st_size);
    if (tooLarge(size, display, error)) {
        return false;
    }
    // Map the file when its last page has room for the sentinel and the padding (the
    // kernel fills the rest of that page with zeros): no copy, and the pages stay shared
    // with the page cache.
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    if (size > 0 && size % page != 0 && size % page + kPadding < page) {
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (map != MAP_FAILED) {
            out.data = Buffer(static_cast<char*>(map), size);
            out.size = size;
            return true;
        }
    }
    auto bytes = heapFor(size);
    std::uint64_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, bytes.get() + got, size - got);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            error = "cannot read \"" + display + "\": short read";
            return false;
        }
        got += static_cast<std::uint64_t>(n);
    }
#endif
    bytes[size] = '\0';
    out.data = Buffer(std::move(bytes));
    out.size = size;
    return true;
}

SourceBytes bytesOf(std::string_view text) {
    SourceBytes out;
    auto bytes = heapFor(text.size());
    if (!text.empty()) {
        std::memcpy(bytes.get(), text.data(), text.size());
    }
    out.data = Buffer(std::move(bytes));
    out.size = text.size();
    return out;
}

bool decodeSource(SourceBytes& source, const std::string& display, std::string& error) {
    const auto* u = reinterpret_cast<const unsigned char*>(source.data.get());
    const std::uint64_t size = source.size;
    bool convert = false;
    bool big = false;
    bool wide32 = false;
    if (size >= 4 && u[0] == 0xFF && u[1] == 0xFE && u[2] == 0 && u[3] == 0) {
        source.encoding = Encoding::Utf32LE;
        convert = wide32 = true;
    } else if (size >= 4 && u[0] == 0 && u[1] == 0 && u[2] == 0xFE && u[3] == 0xFF) {
        source.encoding = Encoding::Utf32BE;
        convert = wide32 = big = true;
    } else if (size >= 2 && u[0] == 0xFF && u[1] == 0xFE) {
        source.encoding = Encoding::Utf16LE;
        convert = true;
    } else if (size >= 2 && u[0] == 0xFE && u[1] == 0xFF) {
        source.encoding = Encoding::Utf16BE;
        convert = big = true;
    } else if (size >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
        source.encoding = Encoding::Utf8Bom;
        source.begin = 3;
    }
    if (!convert) {
        return true;
    }
    const std::size_t skip = wide32 ? 4 : 2;
    std::string converted =
        wide32 ? utf32ToUtf8(u + skip, size - skip, big) : utf16ToUtf8(u + skip, size - skip, big);
    if (converted.size() > kMaxFileSize) {
        error = "file too large: " + display;
        return false;
    }
    SourceBytes decoded = bytesOf(converted);
    source.data = std::move(decoded.data);
    source.size = decoded.size;
    return true;
}

}  // namespace a2l::detail

// Loading one source file: its bytes from disk (mapped where possible) and their decoding
// (byte-order mark, UTF-16 and UTF-32 to UTF-8). The reading pass gets a buffer that ends
// in a NUL sentinel followed by kPadding readable bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "impl.h"

namespace a2l::detail {

// Offsets into a file are 32 bit.
constexpr std::uint64_t kMaxFileSize = 0xFFFFFFF0u;

// Paths as UTF-8 text (path::string() gives the ANSI code page on Windows and throws for
// characters it cannot hold).
std::string pathText(const std::filesystem::path& path);
std::filesystem::path pathFromText(const std::string& text);

struct SourceBytes {
    Buffer data;
    std::uint64_t size = 0;  // without the sentinel
    Encoding encoding = Encoding::Bytes;
    std::uint32_t begin = 0;  // first byte after a UTF-8 byte-order mark
};

// Reads the file at `path` (`display` names it in messages). On failure returns false and
// sets `error` to a message that names the file.
bool loadBytes(const std::filesystem::path& path, const std::string& display, SourceBytes& out,
               std::string& error);

// A copy of text held in memory, with the sentinel and padding.
SourceBytes bytesOf(std::string_view text);

// Detects a byte-order mark and decodes UTF-16/32 to UTF-8 (the buffer is replaced). Fails
// only when the decoded text passes kMaxFileSize.
bool decodeSource(SourceBytes& source, const std::string& display, std::string& error);

}  // namespace a2l::detail

// zlib streams (RFC 1950) for the compressed .cfginclude.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cfgconv/xml.hpp"

namespace cfgconv {

// Decompressed size above which decompress refuses to go on (decompression bombs), for the
// compact form and for the indented form alike.
inline constexpr std::size_t kMaxInflatedBytes = std::size_t{1} << 30;  // 1 GiB

// The compression library in use, for messages and benchmarks ("libdeflate" or "zlib").
const char* compressorName();

// Compresses into a complete zlib stream at the given level (1..9; 0 = default).
std::string zlibCompress(std::string_view data, int level = 0);

// The same with plain zlib, whatever compressorName() says (benchmark comparison).
std::string zlibCompressWithZlib(std::string_view data, int level);

// Inflates a complete zlib stream. Fails (returns false, sets *error) on a missing
// zlib header, a corrupt or truncated stream, data after the end of the stream,
// or output beyond `limit` bytes.
bool zlibInflate(std::string_view data, std::string* out, std::string* error,
                 std::size_t limit = kMaxInflatedBytes);

// A compressed .cfginclude to its indented form, piece by piece: the zlib stream is inflated
// through a fixed buffer and re-indented as it arrives, and the indented text goes to
// `write` in pieces of about a megabyte. Memory stays a few megabytes whatever the input.
// The zlib header is checked on the first two bytes. Fails on a missing header, a corrupt or
// truncated stream, bytes after its end, content that is no compact .cfginclude, more than
// `compactLimit` inflated bytes or more than `indentedLimit` indented bytes.
class CfgIncludeDecompressor {
public:
    explicit CfgIncludeDecompressor(CfgIncludeReindenter::Writer write,
                                    std::uint64_t compactLimit = kMaxInflatedBytes,
                                    std::uint64_t indentedLimit = kMaxInflatedBytes);
    ~CfgIncludeDecompressor();
    CfgIncludeDecompressor(const CfgIncludeDecompressor&) = delete;
    CfgIncludeDecompressor& operator=(const CfgIncludeDecompressor&) = delete;

    bool feed(std::string_view compressed);  // false: error() says why; no further use
    bool finish();                           // the end of the input
    const std::string& error() const { return error_; }
    std::uint64_t compactBytes() const { return compact_; }
    std::uint64_t indentedBytes() const { return reindenter_.produced(); }

private:
    bool fail(std::string message);
    bool inflateSome(std::string_view data);

    struct Stream;
    std::unique_ptr<Stream> zs_;
    CfgIncludeReindenter reindenter_;
    std::unique_ptr<char[]> buffer_;
    std::uint64_t compactLimit_;
    std::uint64_t compact_ = 0;
    std::uint64_t seen_ = 0;      // input bytes
    std::uint64_t trailing_ = 0;  // input bytes after the end of the stream
    std::string head_;            // the first bytes, until the header can be checked
    std::string error_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace cfgconv

// zlib streams (RFC 1950) for the compressed .cfginclude.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cfgconv {

// Decompressed size above which decompress() refuses to go on (decompression bombs).
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

}  // namespace cfgconv

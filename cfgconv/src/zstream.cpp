#include "cfgconv/zstream.hpp"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#ifdef CFGCONV_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace cfgconv {

namespace {
// Level chosen by measurement (bench_convert): the best size that keeps convert of
// a 100 MB A2L well under two seconds.
constexpr int kDefaultLevel = 6;
}  // namespace

const char* compressorName() {
#ifdef CFGCONV_HAVE_LIBDEFLATE
    return "libdeflate";
#else
    return "zlib";
#endif
}

std::string zlibCompressWithZlib(std::string_view data, int level) {
    if (level <= 0)
        level = kDefaultLevel;
    z_stream zs{};
    if (deflateInit(&zs, level) != Z_OK)
        throw std::runtime_error("deflateInit failed");
    std::string out;
    out.resize(deflateBound(&zs, static_cast<uLong>(data.size())));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&zs, Z_FINISH);
    std::size_t produced = zs.total_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    out.resize(produced);
    return out;
}

std::string zlibCompress(std::string_view data, int level) {
    if (level <= 0)
        level = kDefaultLevel;
#ifdef CFGCONV_HAVE_LIBDEFLATE
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> c(
        libdeflate_alloc_compressor(level), &libdeflate_free_compressor);
    if (!c)
        throw std::runtime_error("libdeflate_alloc_compressor failed");
    // Room for the worst case, left uninitialised: the stream is mostly a small part of it,
    // and zeroing it all would touch every page of a buffer as large as the input.
    const std::size_t bound = libdeflate_zlib_compress_bound(c.get(), data.size());
    std::unique_ptr<char[]> buffer(new char[bound]);
    std::size_t n =
        libdeflate_zlib_compress(c.get(), data.data(), data.size(), buffer.get(), bound);
    if (n == 0)
        throw std::runtime_error("libdeflate_zlib_compress failed");
    return std::string(buffer.get(), n);
#else
    return zlibCompressWithZlib(data, level);
#endif
}

bool zlibInflate(std::string_view data, std::string* out, std::string* error, std::size_t limit) {
    out->clear();
    // A zlib stream starts with CMF/FLG: deflate method, window <= 32K, and a
    // header checksum that makes the pair a multiple of 31.
    if (data.size() < 6) {
        *error = "the file is too short to be a compressed .cfginclude";
        return false;
    }
    auto cmf = static_cast<unsigned char>(data[0]);
    auto flg = static_cast<unsigned char>(data[1]);
    if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || ((cmf << 8) | flg) % 31 != 0 || (flg & 0x20)) {
        *error = "the file is not a compressed .cfginclude (no zlib stream header)";
        return false;
    }
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        *error = "cannot initialise zlib";
        return false;
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    std::size_t inLeft = data.size();
    // Compressed XML typically expands 5 to 20 times; grow geometrically from there.
    std::size_t cap = std::min(limit, std::max<std::size_t>(data.size() * 8, 1 << 16));
    out->resize(cap);
    std::size_t produced = 0;
    int rc = Z_OK;
    while (true) {
        if (zs.avail_in == 0 && inLeft > 0) {
            uInt chunk = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
            zs.avail_in = chunk;
            inLeft -= chunk;
        }
        if (produced == out->size()) {
            if (out->size() >= limit) {
                // Full at the limit: one more byte of output means the file is too big.
                char probe;
                zs.next_out = reinterpret_cast<Bytef*>(&probe);
                zs.avail_out = 1;
                rc = inflate(&zs, Z_NO_FLUSH);
                if (zs.avail_out == 0) {
                    inflateEnd(&zs);
                    *error = "the decompressed content exceeds the limit of " +
                             std::to_string(limit) + " bytes";
                    out->clear();
                    return false;
                }
                if (rc == Z_STREAM_END)
                    break;
                if (rc != Z_OK)
                    break;
                continue;
            }
            out->resize(std::min(limit, out->size() * 2));
        }
        std::size_t room = std::min<std::size_t>(out->size() - produced, 1u << 30);
        zs.next_out = reinterpret_cast<Bytef*>(out->data() + produced);
        zs.avail_out = static_cast<uInt>(room);
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += room - zs.avail_out;
        if (rc == Z_STREAM_END)
            break;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inLeft == 0)
            break;  // truncated
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            break;
    }
    std::size_t consumed = data.size() - inLeft - zs.avail_in;
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        out->clear();
        if (rc == Z_DATA_ERROR)
            *error = "the compressed stream is corrupt";
        else if (rc == Z_MEM_ERROR)
            *error = "out of memory while decompressing";
        else
            *error = "the compressed stream is truncated";
        return false;
    }
    if (consumed != data.size()) {
        out->clear();
        *error = "the file has " + std::to_string(data.size() - consumed) +
                 " bytes after the end of the compressed stream";
        return false;
    }
    out->resize(produced);
    return true;
}

namespace {
// Inflated bytes are re-indented from a buffer of this size.
constexpr std::size_t kInflateBuffer = std::size_t{1} << 18;
}  // namespace

struct CfgIncludeDecompressor::Stream {
    z_stream zs{};
    bool open = false;
};

CfgIncludeDecompressor::CfgIncludeDecompressor(CfgIncludeReindenter::Writer write,
                                               std::uint64_t compactLimit,
                                               std::uint64_t indentedLimit)
    : zs_(std::make_unique<Stream>()),
      reindenter_(std::move(write), indentedLimit),
      buffer_(std::make_unique<char[]>(kInflateBuffer)),
      compactLimit_(compactLimit) {}

CfgIncludeDecompressor::~CfgIncludeDecompressor() {
    if (zs_->open)
        inflateEnd(&zs_->zs);
}

bool CfgIncludeDecompressor::fail(std::string message) {
    if (!failed_)
        error_ = std::move(message);
    failed_ = true;
    return false;
}

bool CfgIncludeDecompressor::feed(std::string_view data) {
    if (failed_)
        return false;
    seen_ += data.size();
    if (ended_) {
        trailing_ += data.size();
        return true;
    }
    if (!zs_->open) {
        // A zlib stream starts with CMF/FLG: deflate method, window <= 32K, no preset
        // dictionary, and a header checksum that makes the pair a multiple of 31.
        std::size_t take = std::min(data.size(), 2 - head_.size());
        head_.append(data.substr(0, take));
        data.remove_prefix(take);
        if (head_.size() < 2)
            return true;
        auto cmf = static_cast<unsigned char>(head_[0]);
        auto flg = static_cast<unsigned char>(head_[1]);
        if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || ((cmf << 8) | flg) % 31 != 0 || (flg & 0x20))
            return fail("the file is not a compressed .cfginclude (no zlib stream header)");
        if (inflateInit(&zs_->zs) != Z_OK)
            return fail("cannot initialise zlib");
        zs_->open = true;
        if (!inflateSome(head_))
            return false;
    }
    return inflateSome(data);
}

bool CfgIncludeDecompressor::inflateSome(std::string_view data) {
    z_stream& zs = zs_->zs;
    while (!data.empty() && !ended_) {
        uInt chunk = static_cast<uInt>(std::min<std::size_t>(data.size(), 1u << 30));
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        zs.avail_in = chunk;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer_.get());
            zs.avail_out = static_cast<uInt>(kInflateBuffer);
            int rc = inflate(&zs, Z_NO_FLUSH);
            std::size_t produced = kInflateBuffer - zs.avail_out;
            compact_ += produced;
            if (compact_ > compactLimit_)
                return fail("the decompressed content exceeds the limit of " +
                            std::to_string(compactLimit_) + " bytes");
            if (produced > 0 && !reindenter_.feed(std::string_view(buffer_.get(), produced)))
                return fail(reindenter_.error());
            if (rc == Z_STREAM_END) {
                ended_ = true;
                break;
            }
            if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT)
                return fail("the compressed stream is corrupt");
            if (rc == Z_MEM_ERROR)
                return fail("out of memory while decompressing");
            if (rc == Z_BUF_ERROR)
                break;  // needs more input
        } while (zs.avail_in > 0 || zs.avail_out == 0);
        std::size_t used = chunk - zs.avail_in;
        if (used == 0 && !ended_)
            return fail("the compressed stream is corrupt");
        data.remove_prefix(used);
        if (ended_)
            trailing_ += data.size();
    }
    return true;
}

bool CfgIncludeDecompressor::finish() {
    if (failed_)
        return false;
    if (seen_ == 0)
        return fail("the file is empty, not a compressed .cfginclude");
    if (seen_ < 6)
        return fail("the file is too short to be a compressed .cfginclude (" +
                    std::to_string(seen_) + " bytes)");
    if (!ended_)
        return fail("the compressed stream is truncated");
    if (trailing_ > 0)
        return fail("the file has " + std::to_string(trailing_) +
                    " bytes after the end of the compressed stream");
    if (!reindenter_.finish())
        return fail(reindenter_.error());
    return true;
}

}  // namespace cfgconv

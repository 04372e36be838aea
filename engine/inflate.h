#pragma once

#include <cstddef>

#include <zlib.h>

// Inflating one stream's data as zlib data into a buffer of fixed size.
//
// The reference is zlib's inflate: inflateInit (zlib header and Adler-32 trailer, window bits 15),
// one inflate call with Z_FINISH into the whole buffer, inflateEnd. A stream is taken when that call
// returns Z_STREAM_END, or Z_NEED_DICT for a stream that asks for a preset dictionary (nothing is
// inflated then); any other result skips it. Bytes after the end of the zlib stream are ignored.

struct libdeflate_decompressor;

namespace pagewright::decode {

enum class InflateResult { Ok, Skipped, NoMemory };

// The reference, call for call: data[0, length) into out[0, capacity). The library's 32-bit
// counters are fed in pieces for buffers beyond their range, which gives the same result as one
// call. `produced` is what the stream inflated to.
InflateResult InflateWhole(const unsigned char* data, std::size_t length, unsigned char* out,
                           std::size_t capacity, std::size_t& produced);

// zlib with its state kept from one stream to the next (reset, not rebuilt): the same results as
// InflateWhole.
class ZlibInflater {
public:
    ZlibInflater() = default;
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    InflateResult Inflate(const unsigned char* data, std::size_t length, unsigned char* out,
                          std::size_t capacity, std::size_t& produced);

private:
    z_stream m_zs{};
    bool m_ready = false;
};

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
// libdeflate where it is sure to agree with zlib, zlib everywhere else: the same results and the
// same bytes as InflateWhole for every input.
//
// A stream is taken from libdeflate only when libdeflate inflated it and the deflate data follows
// zlib's rules (FollowsZlibRules); it is skipped at once when its header is one zlib refuses, or
// when it follows zlib's rules but does not fit. Everything else (a preset dictionary, data
// libdeflate refuses, data zlib's rules may refuse) is inflated again by zlib, whose result stands.
class LibdeflateInflater {
public:
    LibdeflateInflater() = default;
    ~LibdeflateInflater();
    LibdeflateInflater(const LibdeflateInflater&) = delete;
    LibdeflateInflater& operator=(const LibdeflateInflater&) = delete;

    InflateResult Inflate(const unsigned char* data, std::size_t length, unsigned char* out,
                          std::size_t capacity, std::size_t& produced);

private:
    libdeflate_decompressor* m_decompressor = nullptr;
    ZlibInflater m_zlib;
};
#endif

// The inflater of the stream loop, chosen when the engine is built (PAGEWRIGHT_INFLATE).
#ifdef PAGEWRIGHT_INFLATE_LIBDEFLATE
using Inflater = LibdeflateInflater;
#else
using Inflater = ZlibInflater;
#endif

} // namespace pagewright::decode

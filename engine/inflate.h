#pragma once

#include <cstddef>

#include <zlib.h>

// Inflating one stream's data as zlib data into a buffer of fixed size.
//
// The reference is zlib's inflate: inflateInit (zlib header and Adler-32 trailer, window bits 15),
// one inflate call with Z_FINISH into the whole buffer, inflateEnd. A stream is taken when that call
// returns Z_STREAM_END, or Z_NEED_DICT for a stream that asks for a preset dictionary (nothing is
// inflated then); any other result skips it. Bytes after the end of the zlib stream are ignored.

namespace pagewright::decode {

enum class InflateResult { Ok, Skipped, NoMemory };

// The reference, call for call: data[0, length) into out[0, capacity). The library's 32-bit
// counters are fed in pieces for buffers beyond their range, which gives the same result as one
// call. `produced` is what the stream inflated to.
InflateResult InflateWhole(const unsigned char* data, std::size_t length, unsigned char* out,
                           std::size_t capacity, std::size_t& produced);

// What the stream loop uses: the same results as InflateWhole for every input, with the library
// state kept from one stream to the next.
class Inflater {
public:
    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    InflateResult Inflate(const unsigned char* data, std::size_t length, unsigned char* out,
                          std::size_t capacity, std::size_t& produced);

private:
    z_stream m_zs{};
    bool m_ready = false;
};

} // namespace pagewright::decode

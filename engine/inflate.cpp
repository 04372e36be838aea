#include "engine/inflate.h"

#include <algorithm>
#include <climits>

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
#include "engine/deflate_rules.h"

#include <libdeflate.h>
#endif

namespace pagewright::decode {

namespace {

// One Z_FINISH call over the whole buffers, fed in pieces where they pass the 32-bit counters.
int InflateFinish(z_stream& zs, const unsigned char* data, std::size_t length, unsigned char* out,
                  std::size_t capacity, std::size_t& produced) {
    constexpr std::size_t kMaxPiece = UINT_MAX;
    std::size_t inLeft = length;
    std::size_t outLeft = capacity;
    int ret = Z_OK;
    for (;;) {
        const auto inPiece = static_cast<uInt>(std::min(inLeft, kMaxPiece));
        const auto outPiece = static_cast<uInt>(std::min(outLeft, kMaxPiece));
        zs.next_in = const_cast<Bytef*>(data + (length - inLeft));
        zs.avail_in = inPiece;
        zs.next_out = out + (capacity - outLeft);
        zs.avail_out = outPiece;
        ret = inflate(&zs, Z_FINISH);
        inLeft -= inPiece - zs.avail_in;
        outLeft -= outPiece - zs.avail_out;
        // Z_BUF_ERROR with a piece used up and more of the buffers beyond it: go on, exactly as a
        // single call over the whole buffers would have.
        const bool moreIn = zs.avail_in == 0 && inLeft > 0;
        const bool moreOut = zs.avail_out == 0 && outLeft > 0;
        if (ret != Z_BUF_ERROR || !(moreIn || moreOut))
            break;
    }
    produced = capacity - outLeft;
    return ret;
}

InflateResult Classify(int ret) {
    if (ret == Z_MEM_ERROR)
        return InflateResult::NoMemory;
    // Z_STREAM_END, or Z_NEED_DICT for a stream that wants a preset dictionary (nothing inflated).
    return ret >= 0 ? InflateResult::Ok : InflateResult::Skipped;
}

} // namespace

InflateResult InflateWhole(const unsigned char* data, std::size_t length, unsigned char* out,
                           std::size_t capacity, std::size_t& produced) {
    produced = 0;
    z_stream zs{};
    const int init = inflateInit(&zs);
    if (init != Z_OK) {
        inflateEnd(&zs);
        return init == Z_MEM_ERROR ? InflateResult::NoMemory : InflateResult::Skipped;
    }
    const int ret = InflateFinish(zs, data, length, out, capacity, produced);
    inflateEnd(&zs);
    return Classify(ret);
}

ZlibInflater::~ZlibInflater() {
    if (m_ready)
        inflateEnd(&m_zs);
}

InflateResult ZlibInflater::Inflate(const unsigned char* data, std::size_t length, unsigned char* out,
                                    std::size_t capacity, std::size_t& produced) {
    produced = 0;
    // inflateReset is inflateEnd plus inflateInit without giving the state back to the allocator.
    if (m_ready) {
        if (inflateReset(&m_zs) != Z_OK)
            return InflateResult::Skipped;
    } else {
        m_zs = z_stream{};
        const int init = inflateInit(&m_zs);
        if (init != Z_OK) {
            inflateEnd(&m_zs);
            return init == Z_MEM_ERROR ? InflateResult::NoMemory : InflateResult::Skipped;
        }
        m_ready = true;
    }
    return Classify(InflateFinish(m_zs, data, length, out, capacity, produced));
}

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE

LibdeflateInflater::~LibdeflateInflater() {
    if (m_decompressor)
        libdeflate_free_decompressor(m_decompressor);
}

InflateResult LibdeflateInflater::Inflate(const unsigned char* data, std::size_t length, unsigned char* out,
                                          std::size_t capacity, std::size_t& produced) {
    produced = 0;
    // zlib's verdict on the header, which needs nothing but its two bytes: Z_BUF_ERROR without
    // them, Z_DATA_ERROR for bad check bits, another method or a window over 32 KiB.
    if (length < 2)
        return InflateResult::Skipped;
    if (((static_cast<unsigned>(data[0]) << 8) | data[1]) % 31 != 0 || (data[0] & 0x0F) != 8 ||
        (data[0] >> 4) > 7)
        return InflateResult::Skipped;

    if (!m_decompressor) {
        m_decompressor = libdeflate_alloc_decompressor();
        if (!m_decompressor)
            return InflateResult::NoMemory;
    }
    std::size_t used = 0;
    std::size_t inflated = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(m_decompressor, data, length, out, capacity, &used, &inflated);
    if (result == LIBDEFLATE_SUCCESS && FollowsZlibRules(data, length)) {
        produced = inflated;
        return InflateResult::Ok;
    }
    // Data that zlib takes as valid throughout is inflated the same by both: when it does not fit
    // for libdeflate, zlib runs out of room at the same code. Checking that is far cheaper than
    // letting zlib fill ten times the data's length first.
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE && FollowsZlibRules(data, length))
        return InflateResult::Skipped;
    return m_zlib.Inflate(data, length, out, capacity, produced);
}

#endif

} // namespace pagewright::decode

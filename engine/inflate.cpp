#include "inflate.h"

#include <algorithm>
#include <climits>

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

Inflater::Inflater() = default;

Inflater::~Inflater() {
    if (m_ready)
        inflateEnd(&m_zs);
}

InflateResult Inflater::Inflate(const unsigned char* data, std::size_t length, unsigned char* out,
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

} // namespace pagewright::decode

#include "engine/inflate.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
#include "engine/deflate_rules.h"

#include <libdeflate.h>
#endif

namespace pagewright::decode {

namespace {

// How much room a stream gets first: a small limit whole; else four times its length (content
// streams of text mostly fit), or all the buffer already has; never more than the limit.
std::size_t FirstRoom(std::size_t capacity, std::size_t length, std::size_t limit, std::size_t wholeUpTo) {
    const std::size_t guess = limit <= wholeUpTo || length > limit / 4 ? limit : length * 4;
    return std::min(limit, std::max(capacity, guess));
}

// The room after `room` ran out: twice as much (at least 64 bytes), up to the limit.
std::size_t NextRoom(std::size_t room, std::size_t limit) {
    return room >= limit / 2 ? limit : std::min(limit, std::max<std::size_t>(room * 2, 64));
}

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

// The same decision as InflateFinish with `limit` bytes of output, into a buffer that grows as the
// output fills it. zlib keeps what it needs of the output in its own window, so the buffer may move
// between calls; running out of output space (Z_BUF_ERROR) is not final while room can be added.
int InflateGrowing(z_stream& zs, const unsigned char* data, std::size_t length, InflateBuffer& out,
                   std::size_t limit, std::size_t wholeUpTo, std::size_t& produced) {
    constexpr std::size_t kMaxPiece = UINT_MAX;
    produced = 0;
    std::size_t room = FirstRoom(out.Capacity(), length, limit, wholeUpTo);
    if (room > out.Capacity() || out.Capacity() == 0) {
        if (!out.Grow(room, 0))
            return Z_MEM_ERROR;
    }
    std::size_t inLeft = length;
    std::size_t done = 0;
    int ret = Z_OK;
    for (;;) {
        const auto inPiece = static_cast<uInt>(std::min(inLeft, kMaxPiece));
        const auto outPiece = static_cast<uInt>(std::min(room - done, kMaxPiece));
        zs.next_in = const_cast<Bytef*>(data + (length - inLeft));
        zs.avail_in = inPiece;
        zs.next_out = out.Data() + done;
        zs.avail_out = outPiece;
        ret = inflate(&zs, Z_FINISH);
        inLeft -= inPiece - zs.avail_in;
        done += outPiece - zs.avail_out;
        if (ret != Z_BUF_ERROR)
            break;
        const bool moreIn = zs.avail_in == 0 && inLeft > 0;
        const bool outFull = zs.avail_out == 0;
        if (outFull && done == room && room < limit) {
            room = NextRoom(room, limit);
            if (room > out.Capacity() && !out.Grow(room, done)) {
                ret = Z_MEM_ERROR;
                break;
            }
            continue;
        }
        if (!moreIn && !(outFull && done < room))
            break;
    }
    produced = done;
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

bool InflateBuffer::Grow(std::size_t capacity, std::size_t keep) {
    capacity = std::max<std::size_t>(capacity, 1);
    if (capacity > SIZE_MAX - m_front)
        return false;
    keep = std::min(keep, m_capacity);
    unsigned char* data = nullptr;
    if (keep > 0) {
        // realloc keeps the bytes; a large block moves by remapping its pages rather than copying.
        data = static_cast<unsigned char*>(std::realloc(m_data.get(), m_front + capacity));
        if (!data)
            return false;
        static_cast<void>(m_data.release());
    } else {
        // Nothing to keep: let the old block go first, so the two are never held at once.
        m_data.reset();
        m_capacity = 0;
        data = static_cast<unsigned char*>(std::malloc(m_front + capacity));
        if (!data)
            return false;
        std::memset(data, m_fill, m_front);
    }
    m_data.reset(data);
    m_capacity = capacity;
    return true;
}

InflateResult ZlibInflater::Inflate(const unsigned char* data, std::size_t length, InflateBuffer& out,
                                    std::size_t limit, std::size_t& produced, Proof) {
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
    return Classify(InflateGrowing(m_zs, data, length, out, limit, m_wholeLimitUpTo, produced));
}

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE

LibdeflateInflater::~LibdeflateInflater() {
    if (m_decompressor)
        libdeflate_free_decompressor(m_decompressor);
}

InflateResult LibdeflateInflater::Inflate(const unsigned char* data, std::size_t length, InflateBuffer& out,
                                          std::size_t limit, std::size_t& produced, Proof proof) {
    produced = 0;
    m_unproven = false;
    // zlib's verdict on the header, which needs nothing but its two bytes: Z_BUF_ERROR without
    // them, Z_DATA_ERROR for bad check bits, another method or a window over 32 KiB.
    if (length < 2)
        return InflateResult::Skipped;
    if (((static_cast<unsigned>(data[0]) << 8) | data[1]) % 31 != 0 || (data[0] & 0x0F) != 8 ||
        (data[0] >> 4) > 7)
        return InflateResult::Skipped;
    // A preset dictionary: zlib reads the dictionary's four-byte id and asks for it (Z_NEED_DICT,
    // nothing inflated), or runs out of input before the id.
    if ((data[1] & 0x20) != 0)
        return length >= 6 ? InflateResult::Ok : InflateResult::Skipped;

    if (!m_decompressor) {
        m_decompressor = libdeflate_alloc_decompressor();
        if (!m_decompressor)
            return InflateResult::NoMemory;
    }
    std::size_t room = FirstRoom(out.Capacity(), length, limit, m_wholeLimitUpTo);
    if ((room > out.Capacity() || out.Capacity() == 0) && !out.Grow(room, 0))
        return InflateResult::NoMemory;
    // The deflate data alone: the Adler-32 trailer is compared only for a stream whose answer is
    // proven (Prove), since a stream without text writes nothing whether zlib takes it or not.
    std::size_t used = 0;
    std::size_t inflated = 0;
    libdeflate_result result;
    for (;;) {
        result = libdeflate_deflate_decompress_ex(m_decompressor, data + 2, length - 2, out.Data(), room,
                                                  &used, &inflated);
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || room >= limit)
            break;
        // Every retry inflates the stream again from its start: one retry, into the whole limit.
        room = limit;
        if (room > out.Capacity() && !out.Grow(room, 0))
            return InflateResult::NoMemory;
    }
    // Whatever zlib inflates, libdeflate inflates to the same bytes; zlib only refuses more. So a
    // stream libdeflate refuses is one zlib refuses too: one that does not fit (zlib runs out of
    // room at the same code, or refuses the data before), bad data, or data that ends early.
    if (result != LIBDEFLATE_SUCCESS)
        return InflateResult::Skipped;
    // zlib reads four bytes of Adler-32 after the last block and runs out of input without them. In
    // PDFs this is mostly a trailer whose last byte, a line feed, was taken for the line end before
    // `endstream`.
    const std::size_t trailer = 2 + used;
    if (length - trailer < 4)
        return InflateResult::Skipped;
    m_adler = (static_cast<std::uint32_t>(data[trailer]) << 24) |
              (static_cast<std::uint32_t>(data[trailer + 1]) << 16) |
              (static_cast<std::uint32_t>(data[trailer + 2]) << 8) | data[trailer + 3];
    produced = inflated;
    m_unproven = true;
    if (proof == Proof::Deferred)
        return InflateResult::Ok;
    bool replaced = false;
    return Prove(data, length, out, limit, produced, replaced);
}

InflateResult LibdeflateInflater::Prove(const unsigned char* data, std::size_t length, InflateBuffer& out,
                                        std::size_t limit, std::size_t& produced, bool& replaced) {
    replaced = false;
    if (!m_unproven)
        return InflateResult::Ok;
    m_unproven = false;
    // A trailer that does not match: zlib inflates the stream (or refuses it before) and reports
    // the bad check; nothing stands.
    if (libdeflate_adler32(1, out.Data(), produced) != m_adler) {
        replaced = true;
        produced = 0;
        return InflateResult::Skipped;
    }
    if (FollowsZlibRules(data, length))
        return InflateResult::Ok;
    replaced = true;
    return m_zlib.Inflate(data, length, out, limit, produced);
}

#endif

} // namespace pagewright::decode

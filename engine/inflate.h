#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <zlib.h>

// Inflating one stream's data as zlib data into at most a given number of bytes.
//
// The reference is zlib's inflate: inflateInit (zlib header and Adler-32 trailer, window bits 15),
// one inflate call with Z_FINISH into a buffer of the whole limit, inflateEnd. A stream is taken when
// that call returns Z_STREAM_END, or Z_NEED_DICT for a stream that asks for a preset dictionary
// (nothing is inflated then); any other result skips it. Bytes after the end of the zlib stream are
// ignored.
//
// The stream loop's inflaters decide exactly as that call does, but they take memory only as the
// data needs it: above a small limit, the output buffer starts at four times the data's length and
// grows, up to the limit, while the stream is still inflating. A stream that needs more than the
// limit is skipped once the limit is reached, as the reference skips it.

struct libdeflate_decompressor;

namespace pagewright::decode {

enum class InflateResult { Ok, Skipped, NoMemory };

// When an inflater that can take another library's answer shows that zlib would give the same.
// Deferred: an Ok may come back before that is shown (Unproven() tells), and Prove() settles it
// later. The stream loop defers: a stream whose inflated bytes hold no text writes nothing whichever
// way zlib would decide, so only streams that give text need the proof.
enum class Proof { Now, Deferred };

// Limits up to this many bytes are given whole at once: so little memory is not worth a second
// inflation of the stream (libdeflate cannot continue where it ran out of room).
inline constexpr std::size_t kWholeLimitUpTo = 1 << 20;

// Room for one stream's inflated bytes, grown on demand and kept from one stream to the next.
// `front` bytes before the output are set to `fill` and stay so through every growth (the scanner
// reads them as the look-back of the stream's first bytes).
class InflateBuffer {
public:
    explicit InflateBuffer(std::size_t front = 0, unsigned char fill = 0) : m_front(front), m_fill(fill) {}

    // The output area; null before the first Grow.
    unsigned char* Data() { return m_data ? m_data.get() + m_front : nullptr; }
    // The front bytes, followed by the output.
    const unsigned char* Front() const { return m_data.get(); }
    std::size_t Capacity() const { return m_capacity; }

    // Makes room for at least `capacity` output bytes (never less than one), keeping the first `keep`
    // of the bytes already there. False when the memory cannot be had; the buffer stays as it was.
    bool Grow(std::size_t capacity, std::size_t keep);

private:
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    std::unique_ptr<unsigned char, Free> m_data;
    std::size_t m_front;
    unsigned char m_fill;
    std::size_t m_capacity = 0;
};

// The reference, call for call: data[0, length) into out[0, capacity). The library's 32-bit
// counters are fed in pieces for buffers beyond their range, which gives the same result as one
// call. `produced` is what the stream inflated to.
InflateResult InflateWhole(const unsigned char* data, std::size_t length, unsigned char* out,
                           std::size_t capacity, std::size_t& produced);

// zlib with its state kept from one stream to the next (reset, not rebuilt): the same results and the
// same bytes as InflateWhole with `limit` as its capacity, inflated into `out` from its start.
class ZlibInflater {
public:
    // `wholeLimitUpTo`: see kWholeLimitUpTo (0: the buffer grows from the start, for tests).
    explicit ZlibInflater(std::size_t wholeLimitUpTo = kWholeLimitUpTo) : m_wholeLimitUpTo(wholeLimitUpTo) {}
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    InflateResult Inflate(const unsigned char* data, std::size_t length, InflateBuffer& out,
                          std::size_t limit, std::size_t& produced, Proof proof = Proof::Now);
    // zlib's answers need no proof.
    bool Unproven() const { return false; }
    InflateResult Prove(const unsigned char*, std::size_t, InflateBuffer&, std::size_t, std::size_t&,
                        bool& replaced) {
        replaced = false;
        return InflateResult::Ok;
    }

private:
    std::size_t m_wholeLimitUpTo;
    z_stream m_zs{};
    bool m_ready = false;
};

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
// libdeflate where it is sure to agree with zlib, zlib everywhere else: the same results and the
// same bytes as InflateWhole for every input.
//
// A stream is taken from libdeflate only when libdeflate inflated its deflate data, four trailer
// bytes follow and hold the Adler-32 of the bytes inflated, and the deflate data follows zlib's
// rules (FollowsZlibRules). It is skipped at once when its header is one zlib refuses, when
// libdeflate refuses the data or it does not fit within the limit (zlib, which takes less, refuses
// or cannot fit it either), and when the trailer is short or wrong. A preset dictionary is decided
// from the header, as zlib stops there. libdeflate cannot continue where it ran out of room: a
// stream that outgrows its first room is inflated again into the whole limit. Data that zlib's
// rules may refuse is inflated again by zlib, whose result stands.
class LibdeflateInflater {
public:
    explicit LibdeflateInflater(std::size_t wholeLimitUpTo = kWholeLimitUpTo)
        : m_wholeLimitUpTo(wholeLimitUpTo), m_zlib(wholeLimitUpTo) {}
    ~LibdeflateInflater();
    LibdeflateInflater(const LibdeflateInflater&) = delete;
    LibdeflateInflater& operator=(const LibdeflateInflater&) = delete;

    InflateResult Inflate(const unsigned char* data, std::size_t length, InflateBuffer& out,
                          std::size_t limit, std::size_t& produced, Proof proof = Proof::Now);
    // True after an Inflate with Proof::Deferred that returned libdeflate's bytes unchecked.
    bool Unproven() const { return m_unproven; }
    // Settles the last Inflate's answer, given the same data, buffer and limit: libdeflate's bytes
    // stand when the trailer matches them and the data follows zlib's rules. Otherwise they are
    // `replaced`: by nothing (Skipped) for a wrong trailer, or by zlib's result of inflating the
    // stream again.
    InflateResult Prove(const unsigned char* data, std::size_t length, InflateBuffer& out, std::size_t limit,
                        std::size_t& produced, bool& replaced);

private:
    std::size_t m_wholeLimitUpTo;
    bool m_unproven = false;
    std::uint32_t m_adler = 0; // the trailer of the last stream inflated
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

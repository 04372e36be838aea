#include "engine/deflate_rules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace pagewright::decode {

namespace {

// Reads bits least significant first, as deflate packs them. Reading past the end yields zero
// bits and marks the reader overrun, which every caller turns into "unsure". A refill may load part
// of the byte after the buffered bits into the bits above them; loading that byte again later puts
// the same bits in the same places, so only skipping bytes has to clear them.
class BitReader {
public:
    BitReader(const unsigned char* data, std::size_t length) : m_p(data), m_end(data + length) {}

    void Refill() {
        if (std::endian::native == std::endian::little && m_end - m_p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, m_p, 8);
            m_bits |= word << m_count;
            m_p += (63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        while (m_count <= 56) {
            if (m_p < m_end)
                m_bits |= static_cast<std::uint64_t>(*m_p++) << m_count;
            else
                m_padding += 8;
            m_count += 8;
        }
    }
    unsigned Count() const { return m_count; }
    // At most 32 bits after a Refill.
    std::uint32_t Peek(unsigned n) const { return static_cast<std::uint32_t>(m_bits & ((1ull << n) - 1)); }
    void Drop(unsigned n) {
        m_bits >>= n;
        m_count -= n;
    }
    std::uint32_t Take(unsigned n) {
        if (m_count < n)
            Refill();
        const std::uint32_t v = Peek(n);
        Drop(n);
        return v;
    }
    // True once a bit beyond the data has been used.
    bool Overrun() const { return m_padding > m_count; }
    // Drops the bits up to the next byte boundary.
    void AlignToByte() { Drop(m_count & 7); }
    // Whole bytes not used yet: those in the bit buffer and those not loaded.
    std::size_t BytesLeft() const {
        const std::size_t buffered = m_count >= m_padding ? (m_count - m_padding) / 8 : 0;
        return static_cast<std::size_t>(m_end - m_p) + buffered;
    }
    // Skips n whole bytes; the reader must be at a byte boundary.
    bool SkipBytes(std::size_t n) {
        if (BytesLeft() < n)
            return false;
        while (n > 0 && m_count >= 8 && m_count > m_padding) {
            Drop(8);
            --n;
        }
        if (n > 0) {
            // The buffer is used up; what a refill left above it belongs to the skipped bytes.
            m_bits = 0;
            m_p += n;
        }
        return true;
    }

private:
    const unsigned char* m_p;
    const unsigned char* m_end;
    std::uint64_t m_bits = 0;
    unsigned m_count = 0;
    unsigned m_padding = 0;
};

constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Every 10-bit value with its bits in reverse order: deflate sends Huffman codes from their first
// bit on, so a code of n bits indexes the table by its reversal.
struct ReversedBits {
    std::array<std::uint16_t, 1024> bits{};
    constexpr ReversedBits() {
        for (unsigned v = 0; v < 1024; ++v) {
            unsigned r = 0;
            for (unsigned b = 0; b < 10; ++b)
                r |= ((v >> b) & 1u) << (9 - b);
            bits[v] = static_cast<std::uint16_t>(r);
        }
    }
};
inline constexpr ReversedBits kReversed{};

// A canonical Huffman code with a table for its short codes and a bit-by-bit walk for longer ones.
// Only the symbols matter here, never the values of the extra bits after lengths and distances,
// so decoding takes those bits along with the code.
class HuffmanCode {
public:
    static constexpr unsigned kMaxTableBits = 10;
    enum class Kind { CodeLengths, LiteralLength, Distance };

    // Builds the code from lengths[0, n). Returns false when zlib refuses the set: over-subscribed,
    // or incomplete other than a single code of one bit (and, for code lengths, any incomplete set).
    // An empty set is taken for distances only; decoding from it then fails.
    bool Build(const std::uint8_t* lengths, unsigned n, Kind kind) {
        if (!Measure(lengths, n, kind))
            return false;
        if (!m_empty)
            Fill(lengths, n);
        return true;
    }

    // The first half of Build: counts the lengths and decides whether zlib takes the set, without
    // making the tables that decoding needs.
    bool Measure(const std::uint8_t* lengths, unsigned n, Kind kind) {
        m_kind = kind;
        // Four sets of counters: runs of equal lengths would otherwise wait on one counter.
        std::uint16_t counts[4][16] = {};
        unsigned s = 0;
        for (; s + 4 <= n; s += 4) {
            ++counts[0][lengths[s]];
            ++counts[1][lengths[s + 1]];
            ++counts[2][lengths[s + 2]];
            ++counts[3][lengths[s + 3]];
        }
        for (; s < n; ++s)
            ++counts[0][lengths[s]];
        for (unsigned len = 0; len < 16; ++len)
            m_count[len] =
                static_cast<std::uint16_t>(counts[0][len] + counts[1][len] + counts[2][len] + counts[3][len]);
        unsigned max = 15;
        while (max > 0 && m_count[max] == 0)
            --max;
        m_empty = max == 0;
        m_complete = false;
        m_tableBits = max < kMaxTableBits ? max : kMaxTableBits;
        if (m_empty) {
            m_table[0] = 0;
            return kind == Kind::Distance;
        }
        int left = 1;
        for (unsigned len = 1; len <= 15; ++len) {
            left <<= 1;
            left -= m_count[len];
            if (left < 0)
                return false;
        }
        if (left > 0 && (kind == Kind::CodeLengths || max != 1))
            return false;
        m_complete = left == 0;
        return true;
    }

    // The second half of Build, for a set that Measure took.
    void Fill(const std::uint8_t* lengths, unsigned n) {
        std::array<std::uint16_t, 16> offsets{};
        for (unsigned len = 1; len < 15; ++len)
            offsets[len + 1] = static_cast<std::uint16_t>(offsets[len] + m_count[len]);
        for (unsigned s = 0; s < n; ++s)
            if (lengths[s] != 0)
                m_symbols[offsets[lengths[s]]++] = static_cast<std::uint16_t>(s);

        // The table for codes of up to `len` bits is built at 2^len entries, then doubled by copying
        // for the next length: a code's entry then stands at every index that starts with it.
        m_table[0] = 0;
        m_table[1] = 0;
        unsigned code = 0;
        unsigned index = 0;
        for (unsigned len = 1; len <= m_tableBits; ++len) {
            if (len > 1)
                std::memcpy(&m_table[1u << (len - 1)], &m_table[0], (1u << (len - 1)) * sizeof m_table[0]);
            for (unsigned k = 0; k < m_count[len]; ++k, ++code, ++index) {
                const unsigned symbol = m_symbols[index];
                m_table[kReversed.bits[code] >> (kMaxTableBits - len)] =
                    static_cast<std::uint16_t>((symbol << 5) | (len + Extra(symbol)));
            }
            code <<= 1;
        }
    }

    bool Complete() const { return m_complete; }
    bool Empty() const { return m_empty; }

    // The next symbol, with its extra bits dropped, or -1 for a code the set does not assign.
    // Uses at most 15 + 13 bits.
    int Decode(BitReader& in) const {
        const std::uint16_t entry = m_table[in.Peek(m_tableBits)];
        if (entry != 0) {
            in.Drop(entry & 31u);
            return static_cast<int>(entry >> 5);
        }
        if (m_empty)
            return -1;
        // Longer than the table: walk the canonical code one bit at a time.
        const std::uint32_t bits = in.Peek(15);
        int code = 0;
        int first = 0;
        int index = 0;
        for (unsigned len = 1; len <= 15; ++len) {
            code |= static_cast<int>((bits >> (len - 1)) & 1u);
            const int count = m_count[len];
            if (code - first < count) {
                const unsigned symbol = m_symbols[static_cast<std::size_t>(index + code - first)];
                in.Drop(len + Extra(symbol));
                return static_cast<int>(symbol);
            }
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        return -1;
    }

private:
    unsigned Extra(unsigned symbol) const {
        if (m_kind == Kind::LiteralLength && symbol >= 257 && symbol <= 285)
            return kLengthExtra[symbol - 257];
        if (m_kind == Kind::Distance && symbol <= 29)
            return kDistanceExtra[symbol];
        return 0;
    }

    Kind m_kind = Kind::CodeLengths;
    unsigned m_tableBits = 0;
    std::array<std::uint16_t, 16> m_count{};
    std::array<std::uint16_t, 288> m_symbols{};
    // symbol << 5 | bits to drop (code and extra bits, at most 28); 0 where the table cannot tell.
    std::array<std::uint16_t, 1u << kMaxTableBits> m_table{};
    bool m_empty = true;
    bool m_complete = false;
};

// Walks the codes of one block body up to its end-of-block code. zlib refuses literal/length
// codes 286 and 287 and distance codes 30 and 31 (both exist only in fixed blocks).
bool WalkBody(BitReader& reader, const HuffmanCode& literals, const HuffmanCode& distances) {
    // A local copy keeps the bit buffer in registers.
    BitReader in = reader;
    for (;;) {
        // A literal/length code and its extra bits take at most 20 bits, a distance 28 more. Once
        // bits beyond the data are used, every later refill still shows it.
        if (in.Count() < 20) {
            in.Refill();
            if (in.Overrun())
                return false;
        }
        const int symbol = literals.Decode(in);
        if (symbol < 256) {
            if (symbol < 0)
                return false;
            continue;
        }
        if (symbol == 256) {
            reader = in;
            return !in.Overrun();
        }
        if (symbol > 285)
            return false;
        if (in.Count() < 28)
            in.Refill();
        const int distance = distances.Decode(in);
        if (distance < 0 || distance > 29)
            return false;
    }
}

struct FixedCodes {
    HuffmanCode literals;
    HuffmanCode distances;
    FixedCodes() {
        std::uint8_t lengths[288];
        std::memset(lengths, 8, 144);
        std::memset(lengths + 144, 9, 112);
        std::memset(lengths + 256, 7, 24);
        std::memset(lengths + 280, 8, 8);
        literals.Build(lengths, 288, HuffmanCode::Kind::LiteralLength);
        std::memset(lengths, 5, 32);
        distances.Build(lengths, 32, HuffmanCode::Kind::Distance);
    }
};

} // namespace

bool FollowsZlibRules(const unsigned char* data, std::size_t length) {
    // The header as zlib reads it: check bits, method 8, a window of at most 32 KiB, and no preset
    // dictionary (zlib stops for one; the stream is then decided without this check).
    if (length < 2)
        return false;
    const unsigned header = (static_cast<unsigned>(data[0]) << 8) | data[1];
    if (header % 31 != 0 || (data[0] & 0x0F) != 8 || (data[0] >> 4) > 7 || (data[1] & 0x20) != 0)
        return false;

    static const FixedCodes fixed;
    BitReader in(data + 2, length - 2);
    HuffmanCode codeLengths;
    HuffmanCode literals;
    HuffmanCode distances;
    for (;;) {
        in.Refill();
        const bool last = in.Take(1) != 0;
        const unsigned type = in.Take(2);
        if (type == 0) {
            in.AlignToByte();
            in.Refill();
            const std::uint32_t len = in.Take(16);
            const std::uint32_t nlen = in.Take(16);
            if (in.Overrun() || len != (~nlen & 0xFFFFu) || !in.SkipBytes(len))
                return false;
        } else if (type == 1) {
            if (!WalkBody(in, fixed.literals, fixed.distances))
                return false;
        } else if (type == 2) {
            in.Refill();
            const unsigned nlen = in.Take(5) + 257;
            const unsigned ndist = in.Take(5) + 1;
            const unsigned ncode = in.Take(4) + 4;
            if (nlen > 286 || ndist > 30)
                return false;
            static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};
            std::uint8_t lengths[320] = {};
            in.Refill();
            for (unsigned i = 0; i < ncode; ++i)
                lengths[kOrder[i]] = static_cast<std::uint8_t>(in.Take(3));
            if (in.Overrun() || !codeLengths.Build(lengths, 19, HuffmanCode::Kind::CodeLengths))
                return false;
            std::memset(lengths, 0, 19);
            unsigned have = 0;
            while (have < nlen + ndist) {
                in.Refill();
                const int symbol = codeLengths.Decode(in);
                if (symbol < 0)
                    return false;
                if (symbol < 16) {
                    lengths[have++] = static_cast<std::uint8_t>(symbol);
                    continue;
                }
                std::uint8_t repeated = 0;
                unsigned copies = 0;
                if (symbol == 16) {
                    if (have == 0)
                        return false;
                    repeated = lengths[have - 1];
                    copies = 3 + in.Take(2);
                } else if (symbol == 17) {
                    copies = 3 + in.Take(3);
                } else {
                    copies = 11 + in.Take(7);
                }
                if (have + copies > nlen + ndist)
                    return false;
                std::memset(lengths + have, repeated, copies);
                have += copies;
            }
            if (in.Overrun() || lengths[256] == 0)
                return false;
            if (!literals.Measure(lengths, nlen, HuffmanCode::Kind::LiteralLength) ||
                !distances.Measure(lengths + nlen, ndist, HuffmanCode::Kind::Distance))
                return false;
            // With complete codes every code of the block is valid: no code is left unassigned, and
            // the header cannot give a length to the codes zlib refuses (literal/length 286 and 287,
            // distances 30 and 31). What remains to check is only what every deflate decoder checks,
            // so the body of a last block need not be walked; another block's body is walked only
            // to find where the next block starts.
            if (last && literals.Complete() && distances.Complete())
                return true;
            literals.Fill(lengths, nlen);
            if (!distances.Empty())
                distances.Fill(lengths + nlen, ndist);
            if (!WalkBody(in, literals, distances))
                return false;
        } else {
            return false;
        }
        if (last)
            return !in.Overrun();
    }
}

} // namespace pagewright::decode

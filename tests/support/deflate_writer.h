#pragma once

// Hand-made deflate data for tests: a bit writer and the pieces of fixed and dynamic blocks, so a
// test can write block headers and codes that no compressor would (too many codes, repeats that
// overrun, distance codes 30 and 31).

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

namespace pagewright::testing {

class BitWriter {
public:
    // Writes the low `count` bits of `value`, least significant first (header fields, extra bits).
    void Bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            m_acc |= ((value >> i) & 1u) << m_used;
            if (++m_used == 8)
                FlushByte();
        }
    }
    // Writes a Huffman code of `length` bits, most significant first.
    void Code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Bits((code >> i) & 1u, 1);
    }
    std::string Finish() {
        if (m_used > 0)
            FlushByte();
        return m_out;
    }

private:
    void FlushByte() {
        m_out.push_back(static_cast<char>(m_acc));
        m_acc = 0;
        m_used = 0;
    }
    std::string m_out;
    std::uint32_t m_acc = 0;
    int m_used = 0;
};

// The canonical codes for a list of code lengths (0 = symbol unused).
inline std::vector<std::uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
    const int maxLength = lengths.empty() ? 0 : *std::max_element(lengths.begin(), lengths.end());
    std::vector<std::uint32_t> count(static_cast<std::size_t>(maxLength) + 1, 0);
    for (const int l : lengths)
        if (l > 0)
            ++count[static_cast<std::size_t>(l)];
    std::vector<std::uint32_t> next(static_cast<std::size_t>(maxLength) + 1, 0);
    std::uint32_t code = 0;
    for (int bits = 1; bits <= maxLength; ++bits) {
        code = (code + count[static_cast<std::size_t>(bits) - 1]) << 1;
        next[static_cast<std::size_t>(bits)] = code;
    }
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] > 0)
            codes[s] = next[static_cast<std::size_t>(lengths[s])]++;
    return codes;
}

struct DynamicCodes {
    std::vector<int> literalLengths;
    std::vector<int> distanceLengths;
    std::vector<std::uint32_t> literals;
    std::vector<std::uint32_t> distances;
};

// A dynamic block header (BFINAL and BTYPE included) that sends the given code lengths one by one
// through a flat code-length code (symbols 0-15, four bits each). HLIT and HDIST are the list sizes,
// so sizes beyond what deflate allows can be written.
inline DynamicCodes DynamicHeader(BitWriter& w, const std::vector<int>& literalLengths,
                                  const std::vector<int>& distanceLengths, bool last = true) {
    w.Bits(last ? 1 : 0, 1);
    w.Bits(2, 2);
    w.Bits(static_cast<std::uint32_t>(literalLengths.size() - 257), 5);
    w.Bits(static_cast<std::uint32_t>(distanceLengths.size() - 1), 5);
    w.Bits(19 - 4, 4);
    static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (const int symbol : kOrder)
        w.Bits(symbol <= 15 ? 4 : 0, 3);
    // Sixteen codes of four bits: code = the length itself.
    for (const int l : literalLengths)
        w.Code(static_cast<std::uint32_t>(l), 4);
    for (const int l : distanceLengths)
        w.Code(static_cast<std::uint32_t>(l), 4);
    return DynamicCodes{literalLengths, distanceLengths, CanonicalCodes(literalLengths),
                        CanonicalCodes(distanceLengths)};
}

// Fixed-code symbols.
inline void FixedLiteral(BitWriter& w, int symbol) {
    if (symbol < 144)
        w.Code(static_cast<std::uint32_t>(0x30 + symbol), 8);
    else if (symbol < 256)
        w.Code(static_cast<std::uint32_t>(0x190 + symbol - 144), 9);
    else if (symbol < 280)
        w.Code(static_cast<std::uint32_t>(symbol - 256), 7);
    else
        w.Code(static_cast<std::uint32_t>(0xC0 + symbol - 280), 8);
}

// zlib framing around raw deflate data: header 78 9C, then the Adler-32 of `inflated`.
inline std::string ZlibWrap(const std::string& deflate, const std::string& inflated) {
    std::string z = "\x78\x9C";
    z += deflate;
    const uLong adler =
        adler32(1, reinterpret_cast<const Bytef*>(inflated.data()), static_cast<uInt>(inflated.size()));
    for (int shift = 24; shift >= 0; shift -= 8)
        z.push_back(static_cast<char>((adler >> shift) & 0xFF));
    return z;
}

} // namespace pagewright::testing

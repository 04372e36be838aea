#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define PAGEWRIGHT_SCAN_SSE2 1
#endif

// The content-stream scanner behind CPdfTextExtractor::ExtractText.
//
// The scanner's 15-byte look-back window is the input itself: while byte i is handled, window
// position k holds byte i - 15 + k, and positions before the start of the stream read as spaces.
// The first 15 bytes are scanned in a small copy that carries those spaces in front; from byte 15
// on the scanner reads the caller's bytes directly, so no byte is ever shifted through a window.

namespace pagewright::scan {

float ParseTrailingNumber(const unsigned char* window, int n);

// The number of ParseTrailingNumber as text: window[first, n] holds digits and points followed by
// spaces (or spaces only); first is n + 1 when window[n] is neither. window[0] never takes part.
inline int TrailingNumberStart(const unsigned char* window, int n) {
    int i = n;
    while (i > 0 && window[i] == ' ')
        --i;
    if (i > 0) {
        while (i > 0 && ((window[i] >= '0' && window[i] <= '9') || window[i] == '.'))
            --i;
    }
    return i + 1;
}

// ParseTrailingNumber's reading of window[first, n] (see TrailingNumberStart).
float ReadTrailingNumber(const unsigned char* window, int first, int n);

inline bool IsOperatorSpace(unsigned char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

// What a byte inside a string literal does: dropped, copied, or one of ')' and '\' that need
// handling.
enum : unsigned char { kDrop = 0, kCopy = 1, kSpecial = 2 };

struct StringClassTable {
    std::array<unsigned char, 256> cls{};
    constexpr StringClassTable() {
        for (int c = 0; c < 256; ++c)
            cls[c] = (c >= 0x20 && c != 0x7F && c != 0xFF) ? kCopy : kDrop;
        cls[static_cast<unsigned char>(')')] = kSpecial;
        cls[static_cast<unsigned char>('\\')] = kSpecial;
    }
};
inline constexpr StringClassTable kStringClass{};

// The first k in [i, end) at which a text object outside a literal needs a look: base[k] is '(' or
// base[k - 3, k - 1) is "Td" or "ET" (the byte at k completes them); end when there is none.
// base[i - 3] must be readable.
inline std::size_t NextTextEvent(const unsigned char* base, std::size_t i, std::size_t end) {
#ifdef PAGEWRIGHT_SCAN_SSE2
    const __m128i paren = _mm_set1_epi8('(');
    const __m128i d = _mm_set1_epi8('d');
    const __m128i t = _mm_set1_epi8('T');
    const __m128i e = _mm_set1_epi8('E');
    while (i + 16 <= end) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
        const __m128i back2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i - 2));
        const __m128i back3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i - 3));
        const __m128i td = _mm_and_si128(_mm_cmpeq_epi8(back3, t), _mm_cmpeq_epi8(back2, d));
        const __m128i et = _mm_and_si128(_mm_cmpeq_epi8(back3, e), _mm_cmpeq_epi8(back2, t));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(here, paren), _mm_or_si128(td, et));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0)
            return i + static_cast<std::size_t>(std::countr_zero(mask));
        i += 16;
    }
#endif
    for (; i < end; ++i) {
        const unsigned char back2 = base[i - 2];
        const unsigned char back3 = base[i - 3];
        if (base[i] == '(' || (back3 == 'T' && back2 == 'd') || (back3 == 'E' && back2 == 'T'))
            return i;
    }
    return end;
}

// The first k in [k, last) with base[k, k + 2) = "BT"; last when there is none. base[last] must be
// readable.
inline std::size_t NextBT(const unsigned char* base, std::size_t k, std::size_t last) {
#ifdef PAGEWRIGHT_SCAN_SSE2
    const __m128i b = _mm_set1_epi8('B');
    const __m128i t = _mm_set1_epi8('T');
    while (k + 16 <= last) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + k));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + k + 1));
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, b), _mm_cmpeq_epi8(next, t))));
        if (mask != 0)
            return k + static_cast<std::size_t>(std::countr_zero(mask));
        k += 16;
    }
#endif
    for (; k < last; ++k) {
        const void* hit = std::memchr(base + k, 'B', last - k);
        if (!hit)
            return last;
        k = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - base);
        if (base[k + 1] == 'T')
            return k;
    }
    return last;
}

// The first k in [i, end) whose byte inside a literal is not simply copied: a dropped byte, ')' or
// '\'; end when there is none.
inline std::size_t NextNonCopy(const unsigned char* base, std::size_t i, std::size_t end) {
#ifdef PAGEWRIGHT_SCAN_SSE2
    // Bytes below 0x20 found by a signed compare after flipping the top bit.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i below = _mm_set1_epi8(static_cast<char>(0x20 ^ 0x80));
    const __m128i del = _mm_set1_epi8(0x7F);
    const __m128i ff = _mm_set1_epi8(static_cast<char>(0xFF));
    const __m128i close = _mm_set1_epi8(')');
    const __m128i backslash = _mm_set1_epi8('\\');
    while (i + 16 <= end) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
        const __m128i control = _mm_cmplt_epi8(_mm_xor_si128(v, flip), below);
        const __m128i special =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, del), _mm_cmpeq_epi8(v, ff)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, close), _mm_cmpeq_epi8(v, backslash)));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(control, special)));
        if (mask != 0)
            return i + static_cast<std::size_t>(std::countr_zero(mask));
        i += 16;
    }
#endif
    for (; i < end; ++i)
        if (kStringClass.cls[base[i]] != kCopy)
            return i;
    return end;
}

// For the number in front of a literal, the number ParseTrailingNumber would read from
// window[0, 14] (see TrailingNumberStart): where it begins, and how many digits it begins with.
// window[15] must be readable.
inline int LeadingDigitsOfNumberBefore(const unsigned char* window, int& first) {
#ifdef PAGEWRIGHT_SCAN_SSE2
    // One look at the 16 bytes: which are spaces, which digits, which points. Bit k stands for
    // window[k]; only bits 1 to 14 take part.
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window));
    const __m128i fromZero = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(fromZero, _mm_set1_epi8(9)), fromZero);
    const __m128i point = _mm_cmpeq_epi8(v, _mm_set1_epi8('.'));
    constexpr unsigned kTaking = 0x7FFE;
    const auto spaces = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(' '))));
    const auto digits = static_cast<unsigned>(_mm_movemask_epi8(digit)) & kTaking;
    const auto number = digits | static_cast<unsigned>(_mm_movemask_epi8(point));
    // The last byte that is not a space, then the last byte before it that is neither digit nor
    // point (0 when there is none down to window[1]).
    const unsigned notSpace = ~spaces & kTaking;
    if (notSpace == 0) {
        first = 1;
        return 0;
    }
    const int last = static_cast<int>(std::bit_width(notSpace)) - 1;
    const unsigned outside = ~number & kTaking & ((2u << last) - 1);
    first = std::max(1, static_cast<int>(std::bit_width(outside)));
    return std::countr_one(digits >> first);
#else
    first = TrailingNumberStart(window, 14);
    int digits = 0;
    while (first + digits <= 14 && window[first + digits] >= '0' && window[first + digits] <= '9')
        ++digits;
    return digits;
#endif
}

struct ScanState {
    bool inText = false;
    bool inString = false;
    bool escape = false;
};

// True when the four bytes before position i are whitespace, a, b, whitespace.
inline bool OperatorEndsBefore(const unsigned char* base, std::size_t i, char a, char b) {
    return IsOperatorSpace(base[i - 4]) && base[i - 3] == static_cast<unsigned char>(a) &&
           base[i - 2] == static_cast<unsigned char>(b) && IsOperatorSpace(base[i - 1]);
}

// ScanRange's work on a state of its own: the sink writes bytes, which could alias a state reached
// through a reference, so the state would be read from memory again after every write.
template <typename Sink>
ScanState ScanPiece(const unsigned char* base, std::size_t from, std::size_t end, ScanState st, Sink& out) {
    std::size_t i = from;
    while (i < end) {
        if (!st.inText) {
            // BT takes effect once the whitespace after it (byte j) has been read: look for the
            // 'B' at j - 2 for every j still to be read.
            std::size_t k = i - 2;
            for (;; ++k) {
                k = NextBT(base, k, end - 2);
                if (k == end - 2)
                    return st;
                if (IsOperatorSpace(base[k - 1]) && IsOperatorSpace(base[k + 2]))
                    break;
            }
            st.inText = true;
            i = k + 3;
            continue;
        }

        if (st.inString) {
            if (st.escape) {
                st.escape = false;
                if (kStringClass.cls[base[i]] != kDrop)
                    out.Put(static_cast<char>(base[i]));
                ++i;
                continue;
            }
            // Copy runs of copyable bytes in one go; stop at ')' or '\', drop the others.
            for (;;) {
                const std::size_t stop = NextNonCopy(base, i, end);
                if (stop > i)
                    out.Append(base + i, stop - i);
                i = stop;
                if (i == end)
                    return st;
                if (kStringClass.cls[base[i]] == kSpecial)
                    break;
                ++i; // dropped byte
            }
            if (base[i] == ')')
                st.inString = false;
            else
                st.escape = true;
            ++i;
            continue;
        }

        // In a text object, outside a literal. Only '(' and the ends of Td and ET patterns matter,
        // and both patterns have 'd' or 'T' two bytes back.
        i = NextTextEvent(base, i, end);
        if (i == end)
            return st;
        const unsigned char c = base[i];
        if (OperatorEndsBefore(base, i, 'T', 'd')) {
            const float v = ParseTrailingNumber(base + i - 15, 10);
            if (v > 1.0f) {
                out.Put('\r');
                out.Put('\n');
            } else if (v < 1.0f) {
                out.Put('\t');
            }
        } else if (OperatorEndsBefore(base, i, 'E', 'T')) {
            st.inText = false;
            out.Put('\r');
            out.Put('\n');
            ++i; // the byte that completed ET gets no handling
            continue;
        }
        if (c == '(') {
            // Integer part of the number read as a float, truncated: above 1000 a tab, above 100 a
            // space. A number with fewer than three digits before its point is below 100 however
            // it is read, and most numbers before a literal (kerning in TJ arrays) are: they need
            // no reading.
            const unsigned char* window = base + i - 15;
            int first = 0;
            if (const int digits = LeadingDigitsOfNumberBefore(window, first); digits >= 3) {
                // The whole part decides, as the number lies between it and the next integer;
                // only at 100 and 1000 may the reading round up to the bound.
                unsigned long long whole = 0;
                for (int k = 0; k < digits; ++k)
                    whole = whole * 10 + static_cast<unsigned>(window[first + k] - '0');
                if (whole == 100 || whole == 1000) {
                    const float n = ReadTrailingNumber(window, first, 14);
                    if (n >= 1001.0f)
                        out.Put('\t');
                    else if (n >= 101.0f)
                        out.Put(' ');
                } else if (whole >= 1001) {
                    out.Put('\t');
                } else if (whole >= 101) {
                    out.Put(' ');
                }
            }
            // A literal of one plain byte, as a TJ array holds one per glyph, is copied at once.
            if (i + 2 < end && base[i + 2] == ')' && kStringClass.cls[base[i + 1]] == kCopy) {
                out.Put(static_cast<char>(base[i + 1]));
                i += 3;
                continue;
            }
            st.inString = true;
        }
        ++i;
    }
    return st;
}

// Scans base[from, end). base[from - 15, from) must be readable: it is the window in front of the
// first byte. The state carries over between calls so one stream can be scanned in pieces.
template <typename Sink>
void ScanRange(const unsigned char* base, std::size_t from, std::size_t end, ScanState& st, Sink& out) {
    st = ScanPiece(base, from, end, st, out);
}

// Scans a whole stream from a fresh state.
template <typename Sink> void ScanStream(const unsigned char* bytes, std::size_t length, Sink& out) {
    if (length == 0)
        return;
    ScanState st;
    // The head: 15 spaces stand for the window in front of the stream.
    constexpr std::size_t kPad = 15;
    unsigned char head[kPad * 2];
    std::memset(head, ' ', kPad);
    const std::size_t headLength = std::min(length, kPad);
    std::memcpy(head + kPad, bytes, headLength);
    ScanRange(head, kPad, kPad + headLength, st, out);
    if (length > kPad)
        ScanRange(bytes, kPad, length, st, out);
}

} // namespace pagewright::scan

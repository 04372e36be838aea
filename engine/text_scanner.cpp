#include "engine/text_scanner.h"
#include "engine/pdf_text_extractor.h"
#include "engine/text_sink.h"

#include <cfloat>
#include <charconv>

namespace pagewright::scan {

float ParseTrailingNumber(const unsigned char* window, int n) {
    return ReadTrailingNumber(window, TrailingNumberStart(window, n), n);
}

float ReadTrailingNumber(const unsigned char* window, int start, int n) {
    // The text is window[start .. n]: digits and points followed by spaces, or spaces only.
    const char* first = reinterpret_cast<const char*>(window + start);
    const char* last = reinterpret_cast<const char*>(window + n + 1);
    if (first == last || *first == ' ')
        return -1.0f;
    // Most operands are whole numbers of a few digits (kerning in TJ arrays, line moves); every
    // integer below 2^24 is exactly a float, so they need no float reading.
    unsigned whole = 0;
    const char* p = first;
    for (; p != last && *p >= '0' && *p <= '9' && p - first < 7; ++p)
        whole = whole * 10 + static_cast<unsigned>(*p - '0');
    if (p == last || *p == ' ')
        return static_cast<float>(whole);
#if FLT_EVAL_METHOD == 0
    // Decimals such as 12.345 with up to seven digits in all: an exact float divided by an exact
    // power of ten, which IEEE division rounds exactly as a full reading would.
    if (*p == '.' && p - first < 7) {
        static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};
        const char* q = p + 1;
        for (; q != last && *q >= '0' && *q <= '9' && q - first < 8; ++q)
            whole = whole * 10 + static_cast<unsigned>(*q - '0');
        const auto decimals = static_cast<std::size_t>(q - p - 1);
        if ((q == last || *q == ' ' || *q == '.') && (p > first || decimals > 0))
            return static_cast<float>(whole) / kPow10[decimals];
    }
#endif
    // from_chars reads the longest prefix that forms a number ("1.2.3" gives 1.2), like the
    // formatted input conversion does, but always with '.' as the decimal point, whatever the
    // locale of the process.
    float value = 0.0f;
    const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return -1.0f;
    return value;
}

} // namespace pagewright::scan

void CPdfTextExtractor::ExtractText(std::string& out, const unsigned char* bytes, std::size_t length) const {
    StringSink sink(out);
    pagewright::scan::ScanStream(bytes, length, sink);
}

bool CPdfTextExtractor::ExtractText(std::FILE* target, const unsigned char* bytes, std::size_t length) const {
    FileSink sink(target);
    pagewright::scan::ScanStream(bytes, length, sink);
    return sink.Flush();
}

float CPdfTextExtractor::ParseTrailingNumber(const unsigned char* window, int n) const {
    return pagewright::scan::ParseTrailingNumber(window, n);
}

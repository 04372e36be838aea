#include "engine/text_scanner.h"
#include "engine/pdf_text_extractor.h"
#include "engine/text_sink.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <limits>
#include <memory>
#include <new>

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

bool BufferSink::Grow(std::size_t more) {
    if (m_failed)
        return false;
    if (more > std::numeric_limits<std::size_t>::max() - m_size) {
        m_failed = true;
        return false;
    }
    const std::size_t need = m_size + more;
    std::size_t capacity = std::max<std::size_t>(m_capacity, 4096);
    while (capacity < need)
        capacity = capacity > std::numeric_limits<std::size_t>::max() / 2 ? need : capacity * 2;
    std::unique_ptr<char[]> data(new (std::nothrow) char[capacity]);
    if (!data) {
        m_failed = true;
        return false;
    }
    if (m_size > 0)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
    return true;
}

void FileSink::AppendLarge(const unsigned char* bytes, std::size_t n) {
    if (n >= kCapacity) {
        Flush();
        m_wroteText = m_wroteText || HoldsText(reinterpret_cast<const char*>(bytes), n);
        if (!m_failed && std::fwrite(bytes, 1, n, m_file) != n) {
            m_failed = true;
            m_errno = errno;
        }
        return;
    }
    if (m_used + n > kCapacity)
        Flush();
    std::memcpy(m_buffer + m_used, bytes, n);
    m_used += n;
}

bool FileSink::Flush() {
    m_wroteText = m_wroteText || HoldsText(m_buffer, m_used);
    if (m_used > 0 && !m_failed && std::fwrite(m_buffer, 1, m_used, m_file) != m_used) {
        m_failed = true;
        m_errno = errno;
    }
    m_used = 0;
    return !m_failed;
}

#pragma once

#include "engine/inflate.h"
#include "engine/text_scanner.h"
#include "engine/text_sink.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>

// The stream loop of CPdfTextExtractor: finds each `stream` ... `endstream` pair by byte search,
// inflates the bytes between them into at most ten times their length, and scans what inflated
// cleanly.

namespace pagewright::decode {

std::ptrdiff_t FindBytes(const unsigned char* bytes, const char* keyword, std::ptrdiff_t n);

// Calls visit(bytes, length) with the data of every `stream` ... `endstream` pair of data[0, size),
// in file order: the bytes after the keyword and its end-of-line (CR LF or LF) up to the end-of-line
// before `endstream` (CR LF or LF). Pairs without data are passed over. The walk ends at a `stream`
// with no `endstream` after it, or at an `endstream` with no `stream` before it. Returns false as
// soon as visit does.
template <typename Visit> bool ForEachStream(const unsigned char* data, std::size_t size, Visit&& visit) {
    const unsigned char* cursor = data;
    std::ptrdiff_t remaining = static_cast<std::ptrdiff_t>(size);
    while (remaining > 0) {
        const std::ptrdiff_t s = FindBytes(cursor, "stream", remaining);
        if (s < 0)
            break;
        // The first `endstream` cannot start before s - 3: it holds a `stream` of its own, and s is
        // the first one. When it starts at s - 3, the `stream` found is the one inside it and no
        // stream keyword precedes it: that ends the loop, as does a `stream` with no `endstream`.
        const std::ptrdiff_t from = s >= 3 ? s - 3 : 0;
        const std::ptrdiff_t endOffset = FindBytes(cursor + from, "endstream", remaining - from);
        if (endOffset < 0 || from + endOffset <= s)
            break;

        std::ptrdiff_t d = s + 6;
        if (cursor[d] == '\r' && cursor[d + 1] == '\n')
            d = s + 8;
        else if (cursor[d] == '\n')
            d = s + 7;
        std::ptrdiff_t e = from + endOffset;
        if (cursor[e - 2] == '\r' && cursor[e - 1] == '\n')
            e -= 2;
        else if (cursor[e - 1] == '\n')
            e -= 1;

        if (e > d && !visit(cursor + d, static_cast<std::size_t>(e - d)))
            return false;
        // 7 bytes past the data end lies inside `endstream`, beyond the start of its `stream`,
        // whichever end-of-line was trimmed.
        cursor += e + 7;
        remaining -= e + 7;
    }
    return true;
}

// The stream loop's work on one stream, with the state that serves every stream of a file: one
// output buffer, grown as the streams need it (up to ten times the length of the largest) and never
// shrunk, since fresh memory per stream costs page faults on every byte inflated into it; the
// inflater; and the text of a stream held back until its inflated bytes are shown to be zlib's.
// One converter per thread: several may convert streams of the same file at once.
class StreamConverter {
public:
    // Inflates one stream's data and appends the text of what inflated cleanly to `out`. Returns
    // false only when memory for the stream's output could not be had.
    template <typename Sink> bool Convert(const unsigned char* bytes, std::size_t length, Sink& out) {
        if (length > (std::numeric_limits<std::size_t>::max() - kPad) / 10)
            return false;
        const std::size_t limit = length * 10;
        std::size_t produced = 0;
        InflateResult result = m_inflater.Inflate(bytes, length, m_buffer, limit, produced, Proof::Deferred);
        if (result == InflateResult::NoMemory)
            return false;
        if (result != InflateResult::Ok || produced == 0)
            return true;
        if (!m_inflater.Unproven()) {
            scan::ScanState st;
            scan::ScanRange(m_buffer.Front(), kPad, kPad + produced, st, out);
            return true;
        }
        // Most streams (fonts, images) give no text and never need the proof.
        m_held.Clear();
        scan::ScanState st;
        scan::ScanRange(m_buffer.Front(), kPad, kPad + produced, st, m_held);
        if (m_held.Failed())
            return false;
        if (m_held.Size() == 0)
            return true;
        bool replaced = false;
        result = m_inflater.Prove(bytes, length, m_buffer, limit, produced, replaced);
        if (result == InflateResult::NoMemory)
            return false;
        if (replaced) {
            m_held.Clear();
            if (result == InflateResult::Ok && produced > 0) {
                scan::ScanState again;
                scan::ScanRange(m_buffer.Front(), kPad, kPad + produced, again, m_held);
            }
            if (m_held.Failed())
                return false;
        }
        out.Append(m_held.Bytes(), m_held.Size());
        return true;
    }

private:
    // Scanned output needs the 15 bytes in front of the stream to read as spaces; the output buffer
    // carries them, so the scanner can run on it in place.
    static constexpr std::size_t kPad = 15;
    InflateBuffer m_buffer{kPad, ' '};
    Inflater m_inflater;
    BufferSink m_held;
};

// Runs the loop over a whole file in memory, handing each cleanly inflated stream to the scanner.
// Returns false when memory for a stream's output could not be had, or when `cancel` is set between
// two streams; the text of the streams before has been written.
template <typename Sink>
bool ConvertStreams(const unsigned char* data, std::size_t size, Sink& out,
                    const std::atomic<bool>* cancel = nullptr) {
    StreamConverter converter;
    return ForEachStream(data, size, [&](const unsigned char* bytes, std::size_t length) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        return converter.Convert(bytes, length, out);
    });
}

} // namespace pagewright::decode

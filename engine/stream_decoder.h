#pragma once

#include "engine/inflate.h"
#include "engine/text_scanner.h"
#include "engine/text_sink.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

// The stream loop of CPdfTextExtractor: finds each `stream` ... `endstream` pair by byte search,
// inflates the bytes between them into at most ten times their length, and scans what inflated
// cleanly.

namespace pagewright::decode {

std::ptrdiff_t FindBytes(const unsigned char* bytes, const char* keyword, std::ptrdiff_t n);

// The walk over a file's `stream` ... `endstream` pairs, for data that may arrive in pieces: each
// Walk visits the pairs that lie whole in what has arrived, and the next one goes on from there,
// searching no byte twice but the few where a keyword may straddle the end of what had arrived.
// Given the whole file at once, or the same file in any number of pieces, it visits the same pairs.
class StreamWalker {
public:
    // Calls visit(bytes, length) with the data of every pair of data[0, available) not visited yet,
    // in file order: the bytes after the keyword and its end-of-line (CR LF or LF) up to the
    // end-of-line before `endstream` (CR LF or LF). Pairs without data are passed over. With
    // `complete`, the file ends at `available`, and the walk ends at a `stream` with no `endstream`
    // after it, or at an `endstream` with no `stream` before it. `data` is the same file on every
    // call, `available` never less than before. Returns false as soon as visit does (the walk has
    // then ended).
    template <typename Visit>
    bool Walk(const unsigned char* data, std::size_t available, bool complete, Visit&& visit) {
        const auto size = static_cast<std::ptrdiff_t>(available);
        while (!m_ended) {
            if (!m_inPair) {
                const std::ptrdiff_t found = FindBytes(data + m_searchFrom, "stream", size - m_searchFrom);
                if (found < 0) {
                    // A keyword may start in the last five bytes and end in the next piece.
                    if (complete)
                        m_ended = true;
                    else
                        m_searchFrom = std::max(m_searchFrom, size - 5);
                    return true;
                }
                m_stream = m_searchFrom + found;
                // The first `endstream` cannot start before the `stream` less 3: it holds a
                // `stream` of its own, and this is the first one. When it starts there, the
                // `stream` found is the one inside it and no stream keyword precedes it: that ends
                // the walk, as does a `stream` with no `endstream`.
                m_searchFrom = std::max(m_cursor, m_stream - 3);
                m_inPair = true;
            }
            const std::ptrdiff_t found = FindBytes(data + m_searchFrom, "endstream", size - m_searchFrom);
            if (found < 0) {
                if (complete)
                    m_ended = true;
                else
                    m_searchFrom = std::max(m_searchFrom, size - 8);
                return true;
            }
            std::ptrdiff_t e = m_searchFrom + found;
            if (e <= m_stream) {
                m_ended = true;
                return true;
            }
            std::ptrdiff_t d = m_stream + 6;
            if (data[d] == '\r' && data[d + 1] == '\n')
                d = m_stream + 8;
            else if (data[d] == '\n')
                d = m_stream + 7;
            if (data[e - 2] == '\r' && data[e - 1] == '\n')
                e -= 2;
            else if (data[e - 1] == '\n')
                e -= 1;
            // 7 bytes past the data end lies inside `endstream`, beyond the start of its `stream`,
            // whichever end-of-line was trimmed.
            m_cursor = m_searchFrom = e + 7;
            m_inPair = false;
            if (e > d && !visit(data + d, static_cast<std::size_t>(e - d))) {
                m_ended = true;
                return false;
            }
        }
        return true;
    }

private:
    std::ptrdiff_t m_cursor = 0;     // where the next pair is looked for
    std::ptrdiff_t m_searchFrom = 0; // where the search for the keyword looked for goes on
    std::ptrdiff_t m_stream = 0;     // the `stream` of the pair whose `endstream` is looked for
    bool m_inPair = false;
    bool m_ended = false;
};

// Calls visit(bytes, length) with the data of every `stream` ... `endstream` pair of data[0, size),
// in file order (StreamWalker over the whole file at once). Returns false as soon as visit does.
template <typename Visit> bool ForEachStream(const unsigned char* data, std::size_t size, Visit&& visit) {
    return StreamWalker().Walk(data, size, true, std::forward<Visit>(visit));
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

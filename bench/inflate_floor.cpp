// The floor of the conversion: the PDFs are read and their streams located exactly as the engine
// does, and every stream is inflated into ten times its length, but nothing is scanned and nothing
// is written. Whatever pagewright-cli spends beyond this is the cost of scanning and output.
//
// Usage: inflate_floor [--libdeflate] [--files-from LIST] FILE...
//   --libdeflate       inflate with libdeflate instead of zlib (when built with it), for comparison
//   --files-from LIST  also the files named in LIST, one path a line
// Prints a summary line, and the memory bound of the largest file: its size plus ten times its
// largest stream. Exit status 1 when a file cannot be read.

#include "engine/file_io.h"
#include "engine/stream_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <zlib.h>
#ifdef PAGEWRIGHT_FLOOR_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

struct Totals {
    std::size_t files = 0;
    std::size_t bytes = 0;
    std::size_t streams = 0;
    std::size_t inflated = 0;
    std::size_t produced = 0;
    std::size_t largestFile = 0;
    std::size_t largestFileStream = 0; // the largest stream of the largest file
};

// One buffer and one library state for the whole run: the cheapest way to do the same inflating.
class FloorInflater {
public:
    explicit FloorInflater(bool useLibdeflate) : m_libdeflate(useLibdeflate) {
        if (inflateInit(&m_zs) != Z_OK)
            throw std::bad_alloc();
#ifdef PAGEWRIGHT_FLOOR_LIBDEFLATE
        m_decompressor = libdeflate_alloc_decompressor();
        if (!m_decompressor)
            throw std::bad_alloc();
#endif
    }
    ~FloorInflater() {
        inflateEnd(&m_zs);
#ifdef PAGEWRIGHT_FLOOR_LIBDEFLATE
        libdeflate_free_decompressor(m_decompressor);
#endif
    }
    FloorInflater(const FloorInflater&) = delete;
    FloorInflater& operator=(const FloorInflater&) = delete;

    // Inflates one stream into 10 x length bytes; returns how many came out, or -1 when it failed.
    long long Inflate(const unsigned char* data, std::size_t length) {
        const std::size_t capacity = length * 10;
        if (capacity > m_capacity) {
            m_buffer.reset();
            m_buffer = std::make_unique_for_overwrite<unsigned char[]>(capacity);
            m_capacity = capacity;
        }
#ifdef PAGEWRIGHT_FLOOR_LIBDEFLATE
        if (m_libdeflate) {
            std::size_t in = 0;
            std::size_t out = 0;
            const auto r = libdeflate_zlib_decompress_ex(m_decompressor, data, length, m_buffer.get(),
                                                         capacity, &in, &out);
            return r == LIBDEFLATE_SUCCESS ? static_cast<long long>(out) : -1;
        }
#endif
        // Streams beyond 4 GiB are not in any corpus this is run on; feed zlib in one call.
        inflateReset(&m_zs);
        m_zs.next_in = const_cast<Bytef*>(data);
        m_zs.avail_in = static_cast<uInt>(length);
        m_zs.next_out = m_buffer.get();
        m_zs.avail_out = static_cast<uInt>(capacity);
        const int ret = inflate(&m_zs, Z_FINISH);
        return ret >= 0 ? static_cast<long long>(m_zs.total_out) : -1;
    }

private:
    bool m_libdeflate;
    z_stream m_zs{};
#ifdef PAGEWRIGHT_FLOOR_LIBDEFLATE
    libdeflate_decompressor* m_decompressor = nullptr;
#endif
    std::unique_ptr<unsigned char[]> m_buffer;
    std::size_t m_capacity = 0;
};

} // namespace

int main(int argc, char** argv) {
    bool useLibdeflate = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--libdeflate") == 0) {
            useLibdeflate = true;
        } else if (std::strcmp(argv[i], "--files-from") == 0 && i + 1 < argc) {
            std::ifstream list(argv[++i]);
            if (!list) {
                std::fprintf(stderr, "inflate_floor: cannot read %s\n", argv[i]);
                return 2;
            }
            for (std::string line; std::getline(list, line);)
                if (!line.empty())
                    files.push_back(line);
        } else
            files.emplace_back(argv[i]);
    }
#ifndef PAGEWRIGHT_FLOOR_LIBDEFLATE
    if (useLibdeflate) {
        std::fprintf(stderr, "inflate_floor: built without libdeflate\n");
        return 2;
    }
#endif
    if (files.empty()) {
        std::fprintf(stderr, "usage: inflate_floor [--libdeflate] FILE...\n");
        return 2;
    }

    FloorInflater inflater(useLibdeflate);
    Totals totals;
    int status = 0;
    for (const std::string& name : files) {
        // Read as ConvertFile reads its source.
        pagewright::io::UniqueFile in = pagewright::io::OpenFile(name, "rb");
        pagewright::io::FileBytes bytes;
        if (!in || pagewright::io::ReadWholeFile(in.get(), bytes) != 0) {
            std::fprintf(stderr, "inflate_floor: cannot read %s\n", name.c_str());
            status = 1;
            continue;
        }
        in.reset();
        ++totals.files;
        totals.bytes += bytes.size;
        std::size_t largestStream = 0;
        pagewright::decode::ForEachStream(bytes.data.get(), bytes.size,
                                          [&](const unsigned char* data, std::size_t length) {
                                              ++totals.streams;
                                              largestStream = std::max(largestStream, length);
                                              const long long out = inflater.Inflate(data, length);
                                              if (out >= 0) {
                                                  ++totals.inflated;
                                                  totals.produced += static_cast<std::size_t>(out);
                                              }
                                              return true;
                                          });
        if (bytes.size > totals.largestFile) {
            totals.largestFile = bytes.size;
            totals.largestFileStream = largestStream;
        }
    }
    std::printf("%zu files, %zu bytes, %zu streams, %zu inflated to %zu bytes (%s)\n", totals.files,
                totals.bytes, totals.streams, totals.inflated, totals.produced,
                useLibdeflate ? "libdeflate" : "zlib");
    std::printf("largest file %zu bytes, its largest stream %zu bytes, bound %zu bytes\n", totals.largestFile,
                totals.largestFileStream, totals.largestFile + 10 * totals.largestFileStream + (32u << 20));
    return status;
}

// Fuzz target for the engine: the whole stream loop over arbitrary bytes (and its walk in pieces), the
// scanner checked against the plain model of it, and the stream loop's inflaters checked against zlib's own
// one-call inflate (with libdeflate, when it is built in, among them).

#include "engine/inflate.h"
#include "engine/pdf_text_extractor.h"
#include "engine/stream_decoder.h"
#include "tests/support/reference_scanner.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

using pagewright::decode::InflateResult;

template <typename Inflater>
void ExpectSameAsZlib(Inflater& inflater, const char* who, const std::string& data, std::size_t capacity,
                      const std::vector<unsigned char>& expected, InflateResult expectedResult,
                      std::size_t expectedLength) {
    // A fresh buffer grows while the stream inflates, as the first stream of a file does.
    pagewright::decode::InflateBuffer out(15, ' ');
    std::size_t produced = 0;
    const InflateResult result = inflater.Inflate(reinterpret_cast<const unsigned char*>(data.data()),
                                                  data.size(), out, capacity, produced);
    if (out.Capacity() > std::max<std::size_t>(capacity, 1)) {
        std::fprintf(stderr, "%s grew its buffer past the limit: %zu > %zu\n", who, out.Capacity(), capacity);
        std::abort();
    }
    if (result != expectedResult ||
        (result == InflateResult::Ok &&
         (produced != expectedLength ||
          (produced > 0 && std::memcmp(out.Data(), expected.data(), produced) != 0)))) {
        std::fprintf(stderr, "%s decides differently from zlib: result %d vs %d, %zu vs %zu bytes\n", who,
                     static_cast<int>(result), static_cast<int>(expectedResult), produced, expectedLength);
        std::abort();
    }
}

// One inflater of each kind for the whole run, as the stream loop keeps one per file.
void CheckInflaters(const std::string& data, std::size_t capacity) {
    std::vector<unsigned char> expected(capacity + 1);
    std::size_t length = 0;
    const InflateResult result = pagewright::decode::InflateWhole(
        reinterpret_cast<const unsigned char*>(data.data()), data.size(), expected.data(), capacity, length);
    static pagewright::decode::ZlibInflater zlibKept;
    ExpectSameAsZlib(zlibKept, "zlib with kept state", data, capacity, expected, result, length);
    // The same with a buffer that grows from the first byte (the way of large streams).
    static pagewright::decode::ZlibInflater zlibGrowing(0);
    ExpectSameAsZlib(zlibGrowing, "zlib growing", data, capacity, expected, result, length);
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
    static pagewright::decode::LibdeflateInflater libdeflate;
    ExpectSameAsZlib(libdeflate, "libdeflate", data, capacity, expected, result, length);
    static pagewright::decode::LibdeflateInflater libdeflateGrowing(0);
    ExpectSameAsZlib(libdeflateGrowing, "libdeflate growing", data, capacity, expected, result, length);
#endif
}

// zlib data as the only stream of a file: the stream loop writes the text of what zlib inflates of
// it, or nothing, whichever inflater it uses and however late it proves the answer.
void CheckStreamLoop(const std::string& z) {
    const CPdfTextExtractor engine;
    if (engine.FindBytes(reinterpret_cast<const unsigned char*>(z.data()), "stream",
                         static_cast<std::ptrdiff_t>(z.size())) >= 0)
        return; // the data would frame another stream
    std::vector<unsigned char> inflated(z.size() * 10 + 1);
    std::size_t length = 0;
    std::string expected;
    if (pagewright::decode::InflateWhole(reinterpret_cast<const unsigned char*>(z.data()), z.size(),
                                         inflated.data(), z.size() * 10, length) == InflateResult::Ok)
        engine.ExtractText(expected, inflated.data(), length);
    const std::string file = "1 0 obj\nstream\r\n" + z + "\r\nendstream\n";
    std::string written;
    if (!engine.ConvertBytes(reinterpret_cast<const unsigned char*>(file.data()), file.size(), written) ||
        written != expected) {
        std::fprintf(stderr, "stream loop wrote %zu bytes where zlib's text is %zu\n", written.size(),
                     expected.size());
        std::abort();
    }
}

std::string AdlerBytes(const std::vector<unsigned char>& bytes, std::size_t n) {
    const uLong adler = adler32_z(1, bytes.data(), n);
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((adler >> shift) & 0xFF));
    return out;
}

// The input as zlib data, and as the deflate data of a zlib stream whose header is right and whose
// trailer holds the checksum of what zlib, or libdeflate, makes of it: the divergent cases need data
// that one of the two decodes completely.
void FuzzInflaters(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    CheckInflaters(raw, size * 10);

    const std::size_t room = size * 10 + (1u << 16);
    std::vector<unsigned char> out(room);
    std::vector<std::pair<std::string, std::size_t>> framed; // zlib data, inflated length
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK)
        std::abort();
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(size);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(room);
    if (inflate(&zs, Z_FINISH) == Z_STREAM_END)
        framed.emplace_back("\x78\x9C" + raw.substr(0, zs.total_in) + AdlerBytes(out, zs.total_out),
                            zs.total_out);
    inflateEnd(&zs);
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
    static libdeflate_decompressor* const decompressor = libdeflate_alloc_decompressor();
    std::size_t used = 0;
    std::size_t produced = 0;
    if (libdeflate_deflate_decompress_ex(decompressor, data, size, out.data(), room, &used, &produced) ==
        LIBDEFLATE_SUCCESS)
        framed.emplace_back("\x78\x9C" + raw.substr(0, used) + AdlerBytes(out, produced), produced);
#endif
    for (const auto& [z, inflated] : framed) {
        CheckInflaters(z, z.size() * 10);
        CheckStreamLoop(z);
        // Around the inflated size, where the bound decides.
        for (const std::size_t capacity :
             {std::size_t{0}, inflated / 2, inflated - (inflated > 0 ? 1 : 0), inflated, inflated + 1})
            CheckInflaters(z, capacity);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CPdfTextExtractor engine;
    FuzzInflaters(data, size);

    std::string text;
    engine.ExtractText(text, data, size);
    const std::string expected = pagewright::reference::ExtractText(data, size);
    if (text != expected) {
        std::fprintf(stderr, "scanner differs from the model: %zu bytes vs %zu expected\n", text.size(),
                     expected.size());
        std::abort();
    }

    std::string converted;
    engine.ConvertBytes(data, size, converted);

    // The walk over the input in pieces (as a large PDF is read) visits the pairs of the whole.
    std::vector<std::pair<std::size_t, std::size_t>> whole;
    pagewright::decode::ForEachStream(data, size, [&](const unsigned char* bytes, std::size_t length) {
        whole.emplace_back(static_cast<std::size_t>(bytes - data), length);
        return true;
    });
    std::vector<std::pair<std::size_t, std::size_t>> walked;
    pagewright::decode::StreamWalker walker;
    const std::size_t piece = size > 0 ? 1 + data[0] % 37 : 1;
    for (std::size_t available = 0;;) {
        available = std::min(size, available + piece);
        walker.Walk(data, available, available == size, [&](const unsigned char* bytes, std::size_t length) {
            walked.emplace_back(static_cast<std::size_t>(bytes - data), length);
            return true;
        });
        if (available == size)
            break;
    }
    if (walked != whole) {
        std::fprintf(stderr, "the walk in pieces of %zu visits other pairs than the whole walk\n", piece);
        std::abort();
    }

    // The same bytes as the only stream of a file: what inflates within ten times its length
    // must give exactly the scanner's text, and nothing otherwise.
    uLongf packedSize = compressBound(static_cast<uLong>(size));
    std::string file = "1 0 obj\n<< >>\nstream\r\n";
    const std::size_t head = file.size();
    file.resize(head + packedSize);
    if (compress2(reinterpret_cast<Bytef*>(file.data() + head), &packedSize, data, static_cast<uLong>(size),
                  6) != Z_OK)
        std::abort();
    file.resize(head + packedSize);
    // Stored (incompressible) blocks hold the input raw; a keyword among them frames other streams.
    if (engine.FindBytes(reinterpret_cast<const unsigned char*>(file.data() + head), "stream",
                         static_cast<std::ptrdiff_t>(packedSize)) >= 0)
        return 0;
    file += "\r\nendstream\nendobj\n";
    std::string fromFile;
    if (!engine.ConvertBytes(reinterpret_cast<const unsigned char*>(file.data()), file.size(), fromFile))
        std::abort();
    const bool fits = size <= packedSize * 10;
    if (fromFile != (fits ? text : std::string())) {
        std::fprintf(stderr, "stream loop lost or changed the text of its only stream\n");
        std::abort();
    }
    return 0;
}

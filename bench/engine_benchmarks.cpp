// Micro-benchmarks of the engine's inner loops on realistic data.
//
// The content streams are taken from a real PDF when PAGEWRIGHT_BENCH_PDF names one (every stream
// of it that inflates and holds a text object); otherwise they are generated in the shape that TeX
// and office programs write: text objects with TJ kerning arrays and Td moves between graphics.
// The raw file for FindBytes is that PDF, or a generated one whose streams are compressed text and
// incompressible image data.

#include "engine/pdf_text_extractor.h"
#include "engine/stream_decoder.h"
#include "tools/pdf_builder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::string GeneratedContent(int pages) {
    static const char* const kWords[] = {"Lorem", "ipsum",   "dolor",    "sit",
                                         "amet,", "con",     "sectetur", "adipiscing",
                                         "elit.", "Integer", "(nested)", "back\\slash"};
    std::mt19937 rng(42);
    std::string content;
    for (int page = 0; page < pages; ++page) {
        content += "q 1 0 0 1 72 72 cm 0.5 w 0 0 m 451 0 l S Q\n";
        content += "BT\n/F8 9.9626 Tf 91.925 759.927 Td\n";
        for (int line = 0; line < 50; ++line) {
            content += "[";
            for (int word = 0; word < 10; ++word) {
                content += pagewright::pdfgen::Literal(kWords[rng() % std::size(kWords)]);
                const int kern = static_cast<int>(rng() % 400);
                if (kern >= 20)
                    content += std::to_string(-kern);
            }
            content += "]TJ\n0 -11.955 Td\n";
            if (line % 10 == 9)
                content += "/F11 9.9626 Tf 13.948 0 Td (\\050Section\\051) Tj -13.948 0 Td /F8 9.9626 Tf\n";
        }
        content += "ET\n";
    }
    return content;
}

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::string& RawPdf() {
    static const std::string pdf = [] {
        if (const char* path = std::getenv("PAGEWRIGHT_BENCH_PDF")) {
            std::string bytes = ReadFile(path);
            if (!bytes.empty())
                return bytes;
            std::fprintf(stderr, "cannot read %s; using generated data\n", path);
        }
        std::mt19937 rng(7);
        std::string file;
        for (int i = 0; i < 20; ++i) {
            file += pagewright::pdfgen::MakePdf({GeneratedContent(1)});
            std::string image(200000, '\0');
            for (char& c : image)
                c = static_cast<char>(rng());
            file += pagewright::pdfgen::StreamObject(100 + i, image);
        }
        return file;
    }();
    return pdf;
}

// The inflated content streams of RawPdf(), joined; or generated ones.
const std::string& Content() {
    static const std::string content = [] {
        std::string joined;
        if (std::getenv("PAGEWRIGHT_BENCH_PDF")) {
            const std::string& pdf = RawPdf();
            std::string buffer;
            pagewright::decode::ForEachStream(
                reinterpret_cast<const unsigned char*>(pdf.data()), pdf.size(),
                [&](const unsigned char* data, std::size_t length) {
                    buffer.resize(length * 10);
                    std::size_t produced = 0;
                    if (pagewright::decode::InflateWhole(
                            data, length, reinterpret_cast<unsigned char*>(buffer.data()), buffer.size(),
                            produced) == pagewright::decode::InflateResult::Ok) {
                        const std::string_view stream(buffer.data(), produced);
                        if (stream.find("BT") != std::string_view::npos &&
                            stream.find("ET") != std::string_view::npos)
                            joined.append(stream).append("\n");
                    }
                    return true;
                });
        }
        if (joined.empty())
            joined = GeneratedContent(40);
        return joined;
    }();
    return content;
}

void BM_ExtractText(benchmark::State& state) {
    const std::string& content = Content();
    const CPdfTextExtractor engine;
    std::string out;
    for (auto _ : state) {
        out.clear();
        engine.ExtractText(out, reinterpret_cast<const unsigned char*>(content.data()), content.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * content.size()));
    state.counters["text_bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_ExtractText);

// The whole stream loop over the raw file: finding, inflating, scanning.
void BM_ConvertBytes(benchmark::State& state) {
    const std::string& pdf = RawPdf();
    const CPdfTextExtractor engine;
    std::string out;
    for (auto _ : state) {
        out.clear();
        engine.ConvertBytes(reinterpret_cast<const unsigned char*>(pdf.data()), pdf.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pdf.size()));
}
BENCHMARK(BM_ConvertBytes);

// A search through the whole raw file for a keyword that is not in it: every byte is looked at.
void BM_FindBytes(benchmark::State& state, const char* keyword) {
    std::string pdf = RawPdf();
    for (std::size_t at = pdf.find(keyword); at != std::string::npos; at = pdf.find(keyword, at))
        pdf[at] = '_';
    const CPdfTextExtractor engine;
    for (auto _ : state) {
        const auto found = engine.FindBytes(reinterpret_cast<const unsigned char*>(pdf.data()), keyword,
                                            static_cast<std::ptrdiff_t>(pdf.size()));
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pdf.size()));
}
BENCHMARK_CAPTURE(BM_FindBytes, stream, "stream");
BENCHMARK_CAPTURE(BM_FindBytes, endstream, "endstream");

// The stream loop's own walk: every `stream` ... `endstream` pair located, nothing inflated.
void BM_LocateStreams(benchmark::State& state) {
    const std::string& pdf = RawPdf();
    std::size_t streams = 0;
    for (auto _ : state) {
        streams = 0;
        pagewright::decode::ForEachStream(reinterpret_cast<const unsigned char*>(pdf.data()), pdf.size(),
                                          [&](const unsigned char*, std::size_t) {
                                              ++streams;
                                              return true;
                                          });
        benchmark::DoNotOptimize(streams);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pdf.size()));
    state.counters["streams"] = static_cast<double>(streams);
}
BENCHMARK(BM_LocateStreams);

} // namespace

BENCHMARK_MAIN();

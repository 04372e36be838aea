// Peak memory of one conversion: each PDF is converted by CPdfTextExtractor::ConvertFile in a
// process of its own, which then reports how far its resident memory rose (VmHWM over VmRSS before
// the call) and its peak address space (VmPeak). Beside each figure stand the two numbers it should
// stay near: the file's size and what its largest stream inflated to (for a stream that does not
// fit, the ten times its length that it filled before it was given up).
//
// Usage: peak_memory [--out DIR] [--files-from LIST] FILE...
//        peak_memory --make-bombs DIR
//   --out DIR         where the texts are written (default /tmp), one at a time, removed after
//   --files-from LIST also the files named in LIST, one path a line
//   --make-bombs DIR  writes the hand-made PDFs of the memory benchmark into DIR (see MakeBombs)
// Prints one line per file and a summary; Linux only (reads /proc/self/status).

#include "engine/file_io.h"
#include "engine/inflate.h"
#include "engine/pdf_text_extractor.h"
#include "engine/stream_decoder.h"
#include "tools/pdf_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM", "VmPeak").
long long StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stoll(line.substr(prefix.size())) * 1024;
    return -1;
}

struct Usage {
    long long baseline = 0; // resident before the conversion
    long long hwm = 0;      // peak resident
    long long peak = 0;     // peak address space
    int converted = 0;
};

// Converts `file` in a child process and returns what the child measured.
bool MeasureConversion(const std::string& file, const std::string& target, Usage& usage) {
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        close(fds[0]);
        Usage u;
        u.baseline = StatusBytes("VmRSS");
        const CPdfTextExtractor engine;
        u.converted = engine.ConvertFile(file, target) ? 1 : 0;
        u.hwm = StatusBytes("VmHWM");
        u.peak = StatusBytes("VmPeak");
        const ssize_t written = write(fds[1], &u, sizeof u);
        _exit(written == static_cast<ssize_t>(sizeof u) ? 0 : 1);
    }
    close(fds[1]);
    const ssize_t got = read(fds[0], &usage, sizeof usage);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    unlink(target.c_str());
    return got == static_cast<ssize_t>(sizeof usage) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The file's size and the most any one stream put into the inflate buffer.
bool Measure(const std::string& file, std::size_t& size, std::size_t& largest) {
    pagewright::io::UniqueFile in = pagewright::io::OpenFile(file, "rb");
    pagewright::io::FileBytes bytes;
    if (!in || pagewright::io::ReadWholeFile(in.get(), bytes) != 0)
        return false;
    size = bytes.size;
    largest = 0;
    pagewright::decode::ForEachStream(
        bytes.data.get(), bytes.size, [&](const unsigned char* data, std::size_t length) {
            // The reference inflate; `produced` counts what it wrote, also when it gave the stream up.
            const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(length * 10 + 1);
            std::size_t produced = 0;
            pagewright::decode::InflateWhole(data, length, buffer.get(), length * 10, produced);
            largest = std::max(largest, produced);
            return true;
        });
    return true;
}

// Deflates `times` copies of what `piece(i)` gives, without holding the whole raw data.
template <typename Piece> std::string DeflateStream(std::size_t times, Piece&& piece, int level) {
    z_stream zs{};
    deflateInit(&zs, level);
    std::string out;
    std::vector<unsigned char> chunk(1 << 20);
    for (std::size_t i = 0; i <= times; ++i) {
        const std::string raw = i < times ? piece(i) : std::string();
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
        zs.avail_in = static_cast<uInt>(raw.size());
        const int flush = i < times ? Z_NO_FLUSH : Z_FINISH;
        do {
            zs.next_out = chunk.data();
            zs.avail_out = static_cast<uInt>(chunk.size());
            deflate(&zs, flush);
            out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - zs.avail_out);
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    return out;
}

std::string OneStreamPdf(const std::string& data) {
    return "%PDF-1.4\n" + pagewright::pdfgen::StreamObject(1, data) + "%%EOF\n";
}

// PDFs whose streams push the memory of a conversion: one stream far over the bound (zeros, about
// 1000 to 1), one large stream that inflates to 3 times its length and one to about 9 times
// (random bytes among zeros), and a file of 400 page streams of text.
bool MakeBombs(const std::string& dir) {
    std::mt19937 rng(7);
    const auto randomAmongZeros = [&](std::size_t randomBytes) {
        return [&, randomBytes](std::size_t) {
            std::string block(1024, '\0');
            for (std::size_t k = 0; k < randomBytes; ++k)
                block[k] = static_cast<char>(rng());
            return block;
        };
    };
    const std::string zeros = DeflateStream(
        1024, [](std::size_t) { return std::string(1 << 20, '\0'); }, 9);
    const std::string ratio3 = DeflateStream(300 * 1024, randomAmongZeros(330), 6);
    const std::string ratio9 = DeflateStream(400 * 1024, randomAmongZeros(110), 6);
    std::vector<std::string> pages;
    for (int p = 0; p < 400; ++p) {
        std::vector<std::string> lines;
        for (int l = 0; l < 50; ++l)
            lines.push_back("Page " + std::to_string(p) + " line " + std::to_string(l) + " " +
                            std::to_string(rng()) + " of some text to show");
        pages.push_back(pagewright::pdfgen::LinesContent(lines));
    }
    using pagewright::pdfgen::WriteFile;
    return WriteFile(dir + "/bomb-zeros-1000x.pdf", OneStreamPdf(zeros)) &&
           WriteFile(dir + "/bomb-3x.pdf", OneStreamPdf(ratio3)) &&
           WriteFile(dir + "/bomb-9x.pdf", OneStreamPdf(ratio9)) &&
           WriteFile(dir + "/text-400-pages.pdf", pagewright::pdfgen::MakePdf(pages));
}

} // namespace

int main(int argc, char** argv) {
    std::string outDir = "/tmp";
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--make-bombs" && i + 1 < argc)
            return MakeBombs(argv[i + 1]) ? 0 : 1;
        if (arg == "--out" && i + 1 < argc) {
            outDir = argv[++i];
        } else if (arg == "--files-from" && i + 1 < argc) {
            std::ifstream list(argv[++i]);
            for (std::string line; std::getline(list, line);)
                if (!line.empty())
                    files.push_back(line);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: peak_memory [--out DIR] [--files-from LIST] FILE...\n");
        return 2;
    }

    const std::string target = outDir + "/peak_memory." + std::to_string(getpid()) + ".txt";
    double worstExcess = 0; // MiB above file + largest stream
    double worstRatio = 0;
    std::string worstFile;
    long long largestPeak = 0;
    int failed = 0;
    std::printf("%-52s %12s %12s %10s %10s %10s\n", "file", "size MiB", "stream MiB", "rise MiB",
                "VmPeak MiB", "excess MiB");
    for (const std::string& file : files) {
        Usage usage;
        std::size_t size = 0;
        std::size_t largest = 0;
        const bool measured = MeasureConversion(file, target, usage) && Measure(file, size, largest);
        // What Measure freed goes back to the system, or the next child would start with it resident
        // and reuse it without its memory rising.
        malloc_trim(0);
        if (!measured) {
            std::fprintf(stderr, "peak_memory: cannot measure %s\n", file.c_str());
            ++failed;
            continue;
        }
        const double rise = static_cast<double>(usage.hwm - usage.baseline) / kMiB;
        const double bound = static_cast<double>(size + largest) / kMiB;
        const double excess = rise - bound;
        if (excess > worstExcess) {
            worstExcess = excess;
            worstFile = file;
        }
        if (bound > 1)
            worstRatio = std::max(worstRatio, rise / bound);
        largestPeak = std::max(largestPeak, usage.peak);
        const std::string name = file.size() > 52 ? "..." + file.substr(file.size() - 49) : file;
        std::printf("%-52s %12.2f %12.2f %10.2f %10.1f %10.2f%s\n", name.c_str(),
                    static_cast<double>(size) / kMiB, static_cast<double>(largest) / kMiB, rise,
                    static_cast<double>(usage.peak) / kMiB, excess, usage.converted ? "" : "  (failed)");
    }
    std::printf(
        "files: %zu; most rise above size + largest stream: %.2f MiB (%s); most rise / (size + largest "
        "stream) over files above 1 MiB: %.2f; largest VmPeak: %.1f MiB\n",
        files.size() - static_cast<std::size_t>(failed), worstExcess, worstFile.c_str(), worstRatio,
        static_cast<double>(largestPeak) / kMiB);
    return failed == 0 ? 0 : 1;
}

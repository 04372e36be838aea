// Times the ordered runner over a list of PDFs with chosen split settings, to choose the size above
// which a PDF is split into parts and the size of a part (bench/RESULTS.md, "One large PDF").
// Usage: split_bench [-j N] [--split BYTES] [--part BYTES] [--rounds R] OUTDIR (--files-from LIST | FILE...)
// Prints the median wall time of R rounds (default 5), each into a freshly emptied OUTDIR.
#include "runner/ordered_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    pagewright::run::RunOptions options;
    int rounds = 5;
    std::vector<std::string> files;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-j" && hasValue)
            options.workers = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (arg == "--split" && hasValue)
            options.splitBytes = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--part" && hasValue)
            options.partBytes = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--rounds" && hasValue)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--files-from" && hasValue) {
            std::ifstream list(argv[++i]);
            for (std::string line; std::getline(list, line);)
                if (!line.empty())
                    files.push_back(line);
        } else if (out.empty())
            out = arg;
        else
            files.push_back(arg);
    }
    if (out.empty() || files.empty()) {
        std::fprintf(stderr, "usage: split_bench [-j N] [--split BYTES] [--part BYTES] [--rounds R] OUTDIR "
                             "(--files-from LIST | FILE...)\n");
        return 2;
    }
    std::vector<pagewright::run::Job> jobs;
    for (std::size_t i = 0; i < files.size(); ++i)
        jobs.push_back({files[i], fs::path(out) / (std::to_string(i) + ".txt")});
    std::vector<double> ms;
    std::size_t failed = 0;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(out);
        fs::create_directories(out);
        failed = 0;
        pagewright::run::OrderedRunner::Hooks hooks;
        hooks.done = [&](std::size_t, const pagewright::run::JobResult& r) { failed += r.converted ? 0 : 1; };
        const auto start = std::chrono::steady_clock::now();
        pagewright::run::OrderedRunner(jobs, options, hooks).Run();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "%zu files, -j %u, split above %zu, parts of %zu: median %.1f ms (min %.1f, max %.1f), %zu failed\n",
        files.size(), options.workers, options.splitBytes, options.partBytes, ms[ms.size() / 2], ms.front(),
        ms.back(), failed);
    return failed == 0 ? 0 : 1;
}

#include "cli/conversion_runner.h"

#include "engine/file_io.h"
#include "engine/os_path.h"
#include "engine/pdf_text_extractor.h"
#include "engine/target_path.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <unordered_map>

namespace pagewright::cli {

namespace {

// True when `target` is a regular file changed no earlier than `source`, a regular file, and is not
// one of the run's sources (that case fails in a conversion, and must fail here too).
bool TextIsCurrent(const std::string& source, const std::string& target,
                   const pagewright::io::FileSet& sources) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path text = OsPath(PathFromUtf8(target));
    const fs::path pdf = OsPath(PathFromUtf8(source));
    if (!fs::is_regular_file(text, ec) || !fs::is_regular_file(pdf, ec))
        return false;
    const auto textTime = fs::last_write_time(text, ec);
    if (ec)
        return false;
    const auto pdfTime = fs::last_write_time(pdf, ec);
    return !ec && textTime >= pdfTime && !sources.Contains(text);
}

} // namespace

RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress, const ThreadStarter& startThread,
                     Selection selection) {
    RunResult run;
    std::vector<FileResult>& results = run.files;
    results.resize(sources.size());
    // Groups of list positions that share a target, in order of first appearance.
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<std::string, std::size_t> groupOf;
    // Every source, by file identity: none of them may be replaced by another's text.
    pagewright::io::FileSet sourceFiles;
    sourceFiles.InsertAll(sources.size(), [&](std::size_t i) { return PathFromUtf8(sources[i]); });
    for (std::size_t i = 0; i < sources.size(); ++i) {
        results[i].source = sources[i];
        results[i].target = MakeTargetPath(sources[i], outputDirectory);
        const auto [it, inserted] = groupOf.try_emplace(JobPathKey(results[i].target), groups.size());
        if (inserted)
            groups.emplace_back();
        groups[it->second].push_back(i);
    }

    if (jobs == 0)
        jobs = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t wanted = std::min<std::size_t>(jobs, groups.size());

    // The order in which the groups are taken: the list's, or with several workers the largest
    // first, so that no worker is left converting a large file alone at the end.
    std::vector<std::size_t> order(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g)
        order[g] = g;
    if (wanted > 1) {
        std::vector<std::uintmax_t> bytes(groups.size(), 0);
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (const std::size_t i : groups[g]) {
                std::error_code ec;
                const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(sources[i]), ec);
                bytes[g] += ec ? 0 : size;
            }
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return bytes[a] > bytes[b]; });
    }

    const CPdfTextExtractor engine;
    std::atomic<std::size_t> nextGroup{0};
    std::size_t done = 0;
    std::mutex progressMutex;
    auto work = [&] {
        for (;;) {
            const std::size_t next = nextGroup.fetch_add(1);
            if (next >= order.size())
                return;
            const std::size_t g = order[next];
            const FileResult& decisive = results[groups[g].back()];
            const bool current = selection == Selection::Outdated &&
                                 TextIsCurrent(decisive.source, decisive.target, sourceFiles);
            for (const std::size_t i : groups[g]) {
                FileResult& result = results[i];
                if (current)
                    result.upToDate = true;
                else
                    result.converted =
                        engine.ConvertFile(PathFromUtf8(result.source), PathFromUtf8(result.target),
                                           &result.reason, &sourceFiles);
                const std::lock_guard lock(progressMutex);
                ++done;
                if (progress)
                    progress(result, done, sources.size());
            }
        }
    };

    RunOnWorkers(wanted, work, startThread, run);
    return run;
}

void RunOnWorkers(std::size_t wanted, const std::function<void()>& work, const ThreadStarter& startThread,
                  RunResult& run) {
    run.workers = 1;
    std::vector<std::jthread> threads;
    threads.reserve(wanted);
    for (std::size_t t = 1; t < wanted; ++t) {
        try {
            threads.push_back(startThread ? startThread(work) : std::jthread(work));
            ++run.workers;
        } catch (const std::system_error& e) {
            // The threads already running and this one share the work between them.
            run.threadProblem = e.code().message();
            break;
        }
    }
    work();
}

} // namespace pagewright::cli

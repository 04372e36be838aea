#include "cli/conversion_runner.h"

#include "engine/file_io.h"
#include "engine/os_path.h"
#include "engine/pdf_text_extractor.h"
#include "engine/target_path.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <unordered_map>

namespace pagewright::cli {

RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress, const ThreadStarter& startThread) {
    RunResult run;
    std::vector<FileResult>& results = run.files;
    results.resize(sources.size());
    // Groups of list positions that share a target, in order of first appearance.
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<std::string, std::size_t> groupOf;
    // Every source, by file identity: none of them may be replaced by another's text.
    pagewright::io::FileSet sourceFiles;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        results[i].source = sources[i];
        results[i].target = MakeTargetPath(sources[i], outputDirectory);
        sourceFiles.Insert(PathFromUtf8(sources[i]));
        const auto [it, inserted] = groupOf.try_emplace(JobPathKey(results[i].target), groups.size());
        if (inserted)
            groups.emplace_back();
        groups[it->second].push_back(i);
    }

    if (jobs == 0)
        jobs = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t wanted = std::min<std::size_t>(jobs, groups.size());

    const CPdfTextExtractor engine;
    std::atomic<std::size_t> nextGroup{0};
    std::size_t done = 0;
    std::mutex progressMutex;
    auto work = [&] {
        for (;;) {
            const std::size_t g = nextGroup.fetch_add(1);
            if (g >= groups.size())
                return;
            for (const std::size_t i : groups[g]) {
                FileResult& result = results[i];
                result.converted = engine.ConvertFile(
                    PathFromUtf8(result.source), PathFromUtf8(result.target), &result.reason, &sourceFiles);
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

#include "cli/ordered_runner.h"

#include "engine/os_path.h"
#include "engine/pdf_text_extractor.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace pagewright::cli {

RunResult ConvertAllInOrder(const std::vector<std::string>& sources, unsigned jobs,
                            const TextDelivery& deliver, const ThreadStarter& startThread) {
    RunResult run;
    std::vector<FileResult>& results = run.files;
    results.resize(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i)
        results[i].source = sources[i];
    if (jobs == 0)
        jobs = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t wanted = std::min<std::size_t>(jobs, sources.size());
    // How far a worker may run ahead of the file awaited: enough to keep every worker busy while
    // one file takes longer than the others.
    const std::size_t ahead = std::max<std::size_t>(4, 4 * wanted);

    const CPdfTextExtractor engine;
    std::vector<std::string> texts(sources.size());
    std::vector<bool> done(sources.size(), false);
    std::mutex mutex;
    std::condition_variable mayStart;
    std::size_t next = 0;      // the next file to start
    std::size_t delivered = 0; // files handed on, all before `next`
    bool stopped = false;

    auto work = [&] {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                mayStart.wait(lock,
                              [&] { return stopped || next >= sources.size() || next < delivered + ahead; });
                if (stopped || next >= sources.size())
                    return;
                i = next++;
            }
            std::string text;
            FileResult& result = results[i];
            result.converted = engine.ConvertFileToText(PathFromUtf8(result.source), text, &result.reason);

            const std::lock_guard lock(mutex);
            texts[i] = std::move(text);
            done[i] = true;
            while (!stopped && delivered < sources.size() && done[delivered]) {
                const std::size_t d = delivered++;
                if (!deliver(results[d], texts[d], delivered, sources.size()))
                    stopped = true;
                std::string().swap(texts[d]);
            }
            mayStart.notify_all();
        }
    };
    RunOnWorkers(wanted, work, startThread, run);

    for (std::size_t i = delivered; i < sources.size(); ++i)
        results[i] = {sources[i], {}, false, false, "not converted: the output failed"};
    return run;
}

} // namespace pagewright::cli

#include "cli/conversion_runner.h"

#include "engine/file_io.h"
#include "engine/os_path.h"
#include "engine/target_path.h"
#include "engine/temporary_files.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_map>

namespace pagewright::cli {

namespace {

// The files of `run` that are converted, as the runner's jobs, and a run of them that reports every
// file of `run` in list order (those left alone too).
class FileRun {
public:
    FileRun(RunResult& run, const ProgressCallback& progress) : m_run(run), m_progress(progress) {}

    void Add(std::size_t file, run::Job job) {
        m_jobs.push_back(std::move(job));
        m_fileOf.push_back(file);
    }

    void Run(unsigned workers, const io::FileSet* keep, const ThreadStarter& startThread,
             const TextDelivery& deliver) {
        run::RunOptions options;
        options.workers = workers;
        options.keep = keep;
        options.startThread = startThread;
        bool stopped = false;
        run::OrderedRunner::Hooks hooks;
        hooks.take = [&](std::size_t) { return !stopped; };
        if (deliver)
            hooks.deliver = [&](std::size_t i, const BufferSink& text, std::string& reason) {
                FileResult& file = m_run.files[m_fileOf[i]];
                switch (deliver(file, reinterpret_cast<const char*>(text.Bytes()), text.Size(), reason)) {
                case Delivery::Written:
                    return true;
                case Delivery::Skipped:
                    file.notWritten = true;
                    break;
                case Delivery::Stop:
                    stopped = true;
                    break;
                case Delivery::Failed:
                    break;
                }
                return false;
            };
        hooks.done = [&](std::size_t i, const run::JobResult& result) {
            FileResult& file = m_run.files[m_fileOf[i]];
            file.converted = result.converted;
            file.reason = result.reason;
            if (!stopped)
                ReportThrough(m_fileOf[i] + 1);
        };
        run::OrderedRunner runner(m_jobs, std::move(options), std::move(hooks));
        const run::RunReport report = runner.Run();
        m_run.workers = report.workers;
        m_run.threadProblem = report.threadProblem;
        if (!stopped)
            ReportThrough(m_run.files.size());
    }

private:
    // Reports the files before `end` not reported yet.
    void ReportThrough(std::size_t end) {
        for (; m_reported < end; ++m_reported)
            if (m_progress)
                m_progress(m_run.files[m_reported], m_reported + 1, m_run.files.size());
    }

    RunResult& m_run;
    const ProgressCallback& m_progress;
    std::vector<run::Job> m_jobs;
    std::vector<std::size_t> m_fileOf; // the file of each job
    std::size_t m_reported = 0;
};

// The group key of a target: the file it is, or its name when there is none yet.
std::string GroupKey(const std::string& target, const io::FileStatus& status, bool exists) {
    if (exists)
        return "file " + std::to_string(status.id.first) + ":" + std::to_string(status.id.second);
    return "name " + JobPathKey(target);
}

} // namespace

RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress, const ThreadStarter& startThread,
                     Selection selection, const io::FileSet& inputs) {
    RunResult run;
    run.files.resize(sources.size());
    // Every source and list, by file identity: none of them may be replaced by a text.
    io::FileSet keep = inputs;
    keep.InsertAll(sources.size(), [&](std::size_t i) { return PathFromUtf8(sources[i]); });

    // Targets grouped by what they are: each group's last source decides its text.
    std::vector<io::FileStatus> targetStatus(sources.size());
    std::vector<bool> targetExists(sources.size());
    std::unordered_map<std::string, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        FileResult& file = run.files[i];
        file.source = sources[i];
        file.target = MakeTargetPath(sources[i], outputDirectory);
        targetExists[i] = io::StatusOf(PathFromUtf8(file.target), targetStatus[i]) == 0;
        const auto [at, added] =
            groupOf.try_emplace(GroupKey(file.target, targetStatus[i], targetExists[i]), groups.size());
        if (added)
            groups.emplace_back();
        groups[at->second].push_back(i);
    }

    std::vector<bool> decides(sources.size(), false);
    for (std::vector<std::size_t>& group : groups) {
        const std::size_t last = group.back();
        decides[last] = true;
        bool current = false;
        if (selection == Selection::Outdated && targetExists[last] &&
            targetStatus[last].kind == io::FileKind::Regular && !keep.Find(targetStatus[last].id)) {
            io::FileStatus pdf;
            current = io::StatusOf(PathFromUtf8(sources[last]), pdf) == 0 &&
                      pdf.kind == io::FileKind::Regular && targetStatus[last].modified >= pdf.modified;
        }
        run.files[last].upToDate = current;
        if (group.size() > 1)
            run.shared.push_back(std::move(group));
    }

    io::RemoveStaleTemporaries(OsPath(PathFromUtf8(outputDirectory)));
    FileRun fileRun(run, progress);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        FileResult& file = run.files[i];
        if (!decides[i])
            file.superseded = true;
        else if (!file.upToDate)
            fileRun.Add(i, {PathFromUtf8(file.source), PathFromUtf8(file.target)});
    }
    fileRun.Run(jobs, &keep, startThread, {});
    return run;
}

RunResult ConvertAllInOrder(const std::vector<std::string>& sources, unsigned jobs,
                            const TextDelivery& deliver, const ProgressCallback& progress,
                            const ThreadStarter& startThread) {
    RunResult run;
    run.files.resize(sources.size());
    FileRun fileRun(run, progress);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        run.files[i].source = sources[i];
        fileRun.Add(i, {PathFromUtf8(sources[i]), {}});
    }
    fileRun.Run(
        jobs, nullptr, startThread,
        deliver ? deliver : [](const FileResult&, const char*, std::size_t, std::string&) {
            return Delivery::Written;
        });
    return run;
}

} // namespace pagewright::cli

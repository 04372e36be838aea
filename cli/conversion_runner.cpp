#include "cli/conversion_runner.h"

#include "engine/file_io.h"
#include "engine/os_path.h"
#include "engine/target_path.h"

#include <filesystem>
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
        bool outputFailed = false;
        run::OrderedRunner::Hooks hooks;
        hooks.take = [&](std::size_t) { return !outputFailed; };
        if (deliver)
            hooks.deliver = [&](std::size_t i, const BufferSink& text, std::string& reason) {
                if (deliver(m_run.files[m_fileOf[i]], reinterpret_cast<const char*>(text.Bytes()),
                            text.Size()))
                    return true;
                outputFailed = true;
                reason = "not converted: the output failed";
                return false;
            };
        hooks.done = [&](std::size_t i, const run::JobResult& result) {
            FileResult& file = m_run.files[m_fileOf[i]];
            file.converted = result.converted;
            file.reason = result.reason;
            ReportThrough(m_fileOf[i] + 1);
        };
        run::OrderedRunner runner(m_jobs, std::move(options), std::move(hooks));
        const run::RunReport report = runner.Run();
        m_run.workers = report.workers;
        m_run.threadProblem = report.threadProblem;
        if (outputFailed) {
            for (std::size_t f = m_reported; f < m_run.files.size(); ++f)
                m_run.files[f].reason = "not converted: the output failed";
            return;
        }
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

} // namespace

RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress, const ThreadStarter& startThread,
                     Selection selection) {
    RunResult run;
    run.files.resize(sources.size());
    // Every source, by file identity: none of them may be replaced by another's text.
    pagewright::io::FileSet sourceFiles;
    sourceFiles.InsertAll(sources.size(), [&](std::size_t i) { return PathFromUtf8(sources[i]); });
    // The last source of each target: the one whose text a full run leaves.
    std::unordered_map<std::string, std::size_t> lastOf;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        run.files[i].source = sources[i];
        run.files[i].target = MakeTargetPath(sources[i], outputDirectory);
        if (selection == Selection::Outdated)
            lastOf[JobPathKey(run.files[i].target)] = i;
    }
    std::unordered_map<std::string, bool> current;
    if (selection == Selection::Outdated)
        for (const auto& [key, last] : lastOf)
            current[key] = TextIsCurrent(sources[last], run.files[last].target, sourceFiles);

    FileRun fileRun(run, progress);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        FileResult& file = run.files[i];
        if (selection == Selection::Outdated && current[JobPathKey(file.target)])
            file.upToDate = true;
        else
            fileRun.Add(i, {PathFromUtf8(file.source), PathFromUtf8(file.target)});
    }
    fileRun.Run(jobs, &sourceFiles, startThread, {});
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
        deliver ? deliver : [](const FileResult&, const char*, std::size_t) { return true; });
    return run;
}

} // namespace pagewright::cli

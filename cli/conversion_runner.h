#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Converts a list of PDFs into an output directory on several threads.

namespace pagewright::cli {

struct FileResult {
    std::string source;
    std::string target;
    bool converted = false;
    bool upToDate = false; // left alone by an update: its text is not older than the PDF
    std::string reason;    // why it failed, or the note on a PDF without text
};

// Which files a run converts: all, or only those whose text is missing or older than the PDF.
enum class Selection { All, Outdated };

struct RunResult {
    std::vector<FileResult> files; // in list order
    std::size_t workers = 0;       // threads that converted, the calling one included
    std::string threadProblem;     // why fewer threads than asked for could be started
};

// Called once per file as soon as it is done, from the worker that converted it; calls never
// overlap.
using ProgressCallback = std::function<void(const FileResult& result, std::size_t done, std::size_t total)>;

// Starts one more thread running `work`. Throws std::system_error when the system refuses the
// thread, as std::jthread's constructor does (the default starter is that constructor).
using ThreadStarter = std::function<std::jthread(std::function<void()> work)>;

// Runs `work` on the calling thread and on up to `wanted` - 1 threads more, and returns when every
// run of it has returned. When the system refuses a thread, the threads already started and the
// calling one carry on alone: `run.workers` counts them and `run.threadProblem` says why.
void RunOnWorkers(std::size_t wanted, const std::function<void()>& work, const ThreadStarter& startThread,
                  RunResult& run);

// Converts every source into outputDirectory by the target path rule, `jobs` files at a time
// (0: one per core), the largest first when there are several; the calling thread is one of the
// workers. When the system refuses a thread,
// the files are shared among the workers already running, down to the calling thread alone, and
// `threadProblem` says why. Sources that map to the same target are converted one after the other
// in list order by the same worker, so the target is never written by two threads at once and ends
// with the text of the last of them that converted, as a run of one file at a time would. No
// source of the list is ever written as a target: such a file fails.
// With Selection::Outdated, the sources of a target are all left alone (`upToDate`) when the target
// is a regular file last changed no earlier than the last of them, the one whose text a full run
// leaves; otherwise they are converted as in a full run.
RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress = {},
                     const ThreadStarter& startThread = {}, Selection selection = Selection::All);

} // namespace pagewright::cli

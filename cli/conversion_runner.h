#pragma once

#include "runner/ordered_runner.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Converts a list of PDFs on several threads: into an output directory, or into memory for
// standard output. Both go through the one ordered runner, so every text is put in place (or
// written out) in list order.

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

// Called once per file, in list order, as soon as the file is done, from the calling thread.
using ProgressCallback = std::function<void(const FileResult& result, std::size_t done, std::size_t total)>;

using run::ThreadStarter;

// Converts every source into outputDirectory by the target path rule, `jobs` threads at a time (0:
// one per core; the calling thread is one of them). When the system refuses a thread, the files are
// shared among the workers already running, down to the calling thread alone, and `threadProblem`
// says why. Texts are put in place in list order, so sources that map to the same target end with
// the text of the last of them that converted, as a run of one file at a time would. No source of
// the list is ever written as a target: such a file fails.
// With Selection::Outdated, the sources of a target are all left alone (`upToDate`) when the target
// is a regular file last changed no earlier than the last of them, the one whose text a full run
// leaves; otherwise they are converted as in a full run.
RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress = {},
                     const ThreadStarter& startThread = {}, Selection selection = Selection::All);

// Called once per file in list order with the file's whole text (empty when it failed); returns
// false when the text could not be passed on (standard output closed): no file is started after
// that.
using TextDelivery = std::function<bool(const FileResult& result, const char* text, std::size_t size)>;

// Converts every source into memory, `jobs` threads at a time, and delivers each text in list order
// as soon as every file before it has been delivered, then reports the file to `progress`. Texts
// made ahead stay within the runner's bounds, never the whole list. After a refused delivery, the
// files not yet delivered end with converted false and the reason "not converted: the output
// failed".
RunResult ConvertAllInOrder(const std::vector<std::string>& sources, unsigned jobs,
                            const TextDelivery& deliver, const ProgressCallback& progress = {},
                            const ThreadStarter& startThread = {});

} // namespace pagewright::cli

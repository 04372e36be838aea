#pragma once

#include "engine/file_io.h"
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
    bool upToDate = false;   // left alone by an update: its text is not older than the PDF
    bool superseded = false; // left alone: a later PDF of the run has the same text file
    bool notWritten = false; // converted, but standard output had failed before its turn
    std::string reason;      // why it failed, or the note on a PDF without text
};

// Which files a run converts: all, or only those whose text is missing or older than the PDF.
enum class Selection { All, Outdated };

struct RunResult {
    std::vector<FileResult> files; // in list order
    std::size_t workers = 0;       // threads that converted, the calling one included
    std::string threadProblem;     // why fewer threads than asked for could be started
    // The files that share a text file (by name or by identity, through links), two or more each,
    // in list order: only the last of each is converted.
    std::vector<std::vector<std::size_t>> shared;
};

// Called once per file, in list order, as soon as the file is done, from the calling thread.
using ProgressCallback = std::function<void(const FileResult& result, std::size_t done, std::size_t total)>;

using run::ThreadStarter;

// Converts every source into outputDirectory by the target path rule, `jobs` threads at a time (0:
// one per core; the calling thread is one of them). When the system refuses a thread, the files are
// shared among the workers already running, down to the calling thread alone, and `threadProblem`
// says why. Texts are put in place in list order.
//
// Sources whose targets are one file (the same name, or two names of one file through a link) form
// a group: only the last of them is converted, as its text is the one a run of one file at a time
// would leave; the others are `superseded`. A failure of the last leaves the text file as it was.
// No source of the list and no file of `inputs` (the lists of the run) is ever written as a target:
// such a file fails.
// With Selection::Outdated, a group is left alone (`upToDate`) when its target is a regular file
// last changed no earlier than the group's last source; otherwise that source is converted as in a
// full run. Before the run, the temporaries that killed runs left in outputDirectory are removed.
RunResult ConvertAll(const std::vector<std::string>& sources, const std::string& outputDirectory,
                     unsigned jobs, const ProgressCallback& progress = {},
                     const ThreadStarter& startThread = {}, Selection selection = Selection::All,
                     const io::FileSet& inputs = {});

// What became of a text handed to standard output.
enum class Delivery {
    Written,
    Failed,  // not written whole: the file fails, with the reason given
    Skipped, // not written, as the output had failed before: the file is counted `notWritten`
    Stop,    // the output is gone for good (a broken pipe): the run ends here
};

// Called once per converted file in list order with the file's whole text; sets `reason` when it
// fails.
using TextDelivery = std::function<Delivery(const FileResult& result, const char* text, std::size_t size,
                                            std::string& reason)>;

// Converts every source into memory, `jobs` threads at a time, and delivers each text in list order
// as soon as every file before it has been delivered, then reports the file to `progress`. Texts
// made ahead stay within the runner's bounds, never the whole list. After Delivery::Stop no file is
// taken in hand or reported.
RunResult ConvertAllInOrder(const std::vector<std::string>& sources, unsigned jobs,
                            const TextDelivery& deliver, const ProgressCallback& progress = {},
                            const ThreadStarter& startThread = {});

} // namespace pagewright::cli

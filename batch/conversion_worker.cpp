#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "batch/job_window.h"
#include "batch/row_event_queue.h"
#include "engine/file_io.h"
#include "engine/temporary_files.h"
#include "runner/ordered_runner.h"

#include <QFileInfo>

#include <filesystem>
#include <new>
#include <vector>

namespace {

// How many rows may be converted ahead of the row put in place. Texts wait for their row to show
// "Converting", which the window shows once per frame: enough rows are made ahead to fill a frame.
constexpr std::size_t kRowsAhead = 1024;

const QString kNoMemory = QStringLiteral("not enough memory to convert the PDF");

} // namespace

QString FailureSummary(int failed, int rows, int withoutText) {
    if (failed == 0)
        return {};
    QString text = failed == 1
                       ? QStringLiteral("1 of %1 files could not be converted.").arg(rows)
                       : QStringLiteral("%1 of %2 files could not be converted.").arg(failed).arg(rows);
    text += QStringLiteral(" The tooltip of each row marked \"Failed\" says why.");
    const QString why = QStringLiteral(" (images, hexadecimal strings or unsupported encodings).");
    if (withoutText == 1)
        text += QStringLiteral("\n\n1 PDF gave no text") + why;
    else if (withoutText > 1)
        text += QStringLiteral("\n\n%1 PDFs gave no text").arg(withoutText) + why;
    return text;
}

void ConvertThreadProc(const RunRows& rows, RowEventQueue& events, std::atomic<bool>& stopRequested) {
    namespace run = pagewright::run;
    int taken = 0;
    int done = 0;
    int failed = 0;
    int withoutText = 0;
    try {
        const std::filesystem::path outputPath = ToFileSystemPath(rows.outputDirectory);
        std::vector<run::Job> jobs;
        jobs.reserve(static_cast<std::size_t>(rows.sources.size()));
        // Job i is the row rows.rows[i].
        for (const QString& name : rows.sources) {
            std::filesystem::path source = ToFileSystemPath(name);
            std::filesystem::path target = TargetFileSystemPath(source, outputPath);
            jobs.push_back({std::move(source), std::move(target)});
        }
        // What runs killed in the middle of a file left in the folder goes first.
        pagewright::io::RemoveStaleTemporaries(outputPath);
        // Every source of the run, by file identity: no row's text may replace the PDF of another.
        pagewright::io::FileSet sources;
        sources.InsertAll(jobs.size(), [&](std::size_t i) { return jobs[i].source; });

        run::RunOptions options;
        options.gated = true;
        options.ahead = kRowsAhead;
        options.keep = &sources;
        run::OrderedRunner::Hooks hooks;
        hooks.take = [&](std::size_t i) {
            if (stopRequested.load())
                return false;
            events.TakeRow(rows.rows[static_cast<qsizetype>(i)], i);
            taken = static_cast<int>(i) + 1;
            return true;
        };
        hooks.done = [&](std::size_t i, const run::JobResult& result) {
            // A PDF without text is complete all the same; the tooltip says why its text is empty.
            events.SetStatus(rows.rows[static_cast<qsizetype>(i)],
                             result.converted ? kStatusComplete : kStatusFailed,
                             QString::fromStdString(result.reason));
            failed += result.converted ? 0 : 1;
            withoutText += result.converted && !result.reason.empty() ? 1 : 0;
            done = static_cast<int>(i) + 1;
        };
        run::OrderedRunner runner(jobs, std::move(options), std::move(hooks));
        struct Attached {
            RowEventQueue& events;
            ~Attached() { events.Attach(nullptr); }
        } attached{events};
        events.Attach(&runner);
        runner.Run();
    } catch (const std::bad_alloc&) {
        // The rows in hand cannot be finished; they say why. The rest keep "Ready".
        try {
            for (int i = done; i < taken; ++i)
                events.SetStatus(rows.rows[i], kStatusFailed, kNoMemory);
            failed += taken - done;
            done = taken;
        } catch (const std::bad_alloc&) {
        }
    }

    // A folder that has gone (and so made every row fail) is not shown.
    const bool stopped = stopRequested.exchange(false);
    try {
        events.EndRun(!stopped && QFileInfo(rows.outputDirectory).isDir() ? rows.outputDirectory : QString(),
                      FailureSummary(failed, done, withoutText));
    } catch (const std::bad_alloc&) {
    }
}

#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "engine/file_io.h"
#include "engine/pdf_text_extractor.h"

#include <QFileInfo>
#include <QSet>

#include <memory>
#include <string>
#include <utility>

void ConvertThreadProc(IWorkerWindow& window, std::atomic<bool>& stopRequested) {
    window.SetProgressRange(1, 100);
    const QString outputDirectory = window.OutputDirectory();
    const auto engine = std::make_unique<CPdfTextExtractor>();
    // Every source of the run, by file identity: no row's text may replace the PDF of another.
    pagewright::io::FileSet sources;
    const QStringList names = window.ColumnTexts(kColumnName);
    for (const QString& path : names)
        sources.Insert(ToFileSystemPath(path));
    const QSet<QString> known(names.begin(), names.end());

    // The text of a row's PDF made while the row before it waited for the window, and the next one's.
    CPdfTextExtractor::AheadText ahead;
    CPdfTextExtractor::AheadText next;
    bool haveAhead = false;
    bool haveNext = false;
    if (window.RowCount() > 0) {
        for (int row = 0;; ++row) {
            if (stopRequested.load())
                break;
            window.SelectRow(row, true);
            const QString source = window.CellText(row, kColumnName);
            window.SetStatus(row, kStatusConverting, {});
            const QString target = TargetPathFor(source, outputDirectory);
            // A row that appeared during the run is a source of it too.
            if (!known.contains(source))
                sources.Insert(ToFileSystemPath(source));
            CPdfTextExtractor::TargetTurn turn;
            turn.ahead = haveAhead ? &ahead : nullptr;
            // The text file is looked at only once the row shows "Converting"; until then the next
            // row's PDF is read, if it was a source from the start (no text of this run can replace
            // it) and small.
            turn.waitForTurn = [&] {
                haveNext = false;
                if (row + 1 < window.RowCount()) {
                    const QString following = window.CellText(row + 1, kColumnName);
                    haveNext =
                        known.contains(following) && engine->ReadAhead(ToFileSystemPath(following), next);
                }
                window.WaitUntilShown();
            };
            std::string reason;
            const bool converted = engine->ConvertFile(ToFileSystemPath(source), ToFileSystemPath(target),
                                                       &reason, &sources, &turn);
            std::swap(ahead, next);
            haveAhead = std::exchange(haveNext, false);
            // Whatever the window did on seeing this row (a stop request among it) counts before the
            // next one.
            window.WaitUntilShown();
            // A PDF without text is complete all the same; the tooltip says why its text is empty.
            window.SetStatus(row, converted ? kStatusComplete : kStatusFailed,
                             QString::fromStdString(reason));
            if (row + 1 >= window.RowCount())
                break;
        }
    }

    // A folder that has gone (and so made every row fail) is not shown.
    if (!stopRequested.exchange(false) && QFileInfo(outputDirectory).isDir())
        window.OpenFolder(outputDirectory);

    ApplyStateChange(window, StateChange::RunEnded);
}
